// The 1634-byte record layout against offsets worked out by hand, and the field <-> slot mapping.
#include "vehicle/VehicleRecord.h"
#include "vehicle/VehicleType.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace velrok {
namespace {

// Little-endian bytes of a few doubles, from their IEEE-754 bit patterns (not from the writer).
constexpr std::uint8_t k40[8] = {0, 0, 0, 0, 0, 0, 0x44, 0x40};    // 40.0 = 0x4044000000000000
constexpr std::uint8_t k70[8] = {0, 0, 0, 0, 0, 0x80, 0x51, 0x40}; // 70.0 = 0x4051800000000000
constexpr std::uint8_t k7[8] = {0, 0, 0, 0, 0, 0, 0x1C, 0x40};     // 7.0
constexpr std::uint8_t k2_5[8] = {0, 0, 0, 0, 0, 0, 0x04, 0x40};   // 2.5
constexpr std::uint8_t k2_25[8] = {0, 0, 0, 0, 0, 0, 0x02, 0x40};  // 2.25
constexpr std::uint8_t k1_5[8] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};   // 1.5
constexpr std::uint8_t k5[8] = {0, 0, 0, 0, 0, 0, 0x14, 0x40};     // 5.0
constexpr std::uint8_t k2[8] = {0, 0, 0, 0, 0, 0, 0x00, 0x40};     // 2.0
constexpr std::uint8_t k3[8] = {0, 0, 0, 0, 0, 0, 0x08, 0x40};     // 3.0
constexpr std::uint8_t k6[8] = {0, 0, 0, 0, 0, 0, 0x18, 0x40};     // 6.0

void Put(RecordBytes& b, size_t at, const std::uint8_t (&v)[8])
{
    for (size_t i = 0; i < 8; ++i)
        b[at + i] = v[i];
}

// A code-3 (Tow Bar) record with a Windows-1252 name, typed in by hand.
VehicleRecord GoldenRecord()
{
    VehicleRecord r;
    r.Name = "Caf\xC3\xA9 \xE2\x82\xAC"; // "Café €" in UTF-8
    r.Description = "Test";
    r.VType = 3;
    r.MaxTurning = 40;
    r.MaxSegAngle = 70;
    r.LockToLock = 7;
    r.Units[0] = {1, 2.5, 2.5, 1.5, 5.0, 2.0, 2.25};
    r.Units[1] = {2, 0, 0, 0, 3.0, 0, 0};
    r.Units[2] = {3, 2.5, 2.25, 1.5, 6.0, 2.0, 3.0};
    return r;
}

TEST(VehicleRecordLayout, GoldenRecordMatchesHandComputedOffsets)
{
    RecordBytes expected{};
    for (size_t i = 0; i < 350; ++i)
        expected[i] = ' '; // Name 0..99 and Description 100..349 padded with blanks
    const std::uint8_t name[] = {'C', 'a', 'f', 0xE9, ' ', 0x80};
    std::copy(std::begin(name), std::end(name), expected.begin());
    expected[100] = 'T', expected[101] = 'e', expected[102] = 's', expected[103] = 't';
    // Deleted at 350 stays 0; VType at 352.
    expected[352] = 3;
    Put(expected, 354, k40);
    Put(expected, 362, k70);
    Put(expected, 374, k7);
    // Slot 1 starts at 390: Kind at 390+104 = 494, WheelWidth 496, VehicleWidth 504, Front 512,
    // Wheelbase 520, Back 528, Hitch 536.
    expected[494] = 1;
    Put(expected, 496, k2_5);
    Put(expected, 504, k2_5);
    Put(expected, 512, k1_5);
    Put(expected, 520, k5);
    Put(expected, 528, k2);
    Put(expected, 536, k2_25);
    // Slot 2 (drawbar) starts at 580: Kind at 684, Wheelbase at 710.
    expected[684] = 2;
    Put(expected, 710, k3);
    // Slot 3 starts at 770: Kind 874, WheelWidth 876, VehicleWidth 884, Front 892, Wheelbase 900,
    // Back 908, Hitch 916.
    expected[874] = 3;
    Put(expected, 876, k2_5);
    Put(expected, 884, k2_25);
    Put(expected, 892, k1_5);
    Put(expected, 900, k6);
    Put(expected, 908, k2);
    Put(expected, 916, k3);

    RecordBytes actual;
    actual.fill(0xAA);
    ASSERT_EQ(EncodeVehicleRecord(GoldenRecord(), actual), "");
    for (size_t i = 0; i < kVehicleRecordLength; ++i)
        EXPECT_EQ(static_cast<int>(actual[i]), static_cast<int>(expected[i])) << "byte " << i;

    const VehicleRecord back = DecodeVehicleRecord(expected);
    EXPECT_EQ(back.Name, "Caf\xC3\xA9 \xE2\x82\xAC" + std::string(94, ' '));
    EXPECT_EQ(back.Description, "Test" + std::string(246, ' '));
    EXPECT_EQ(back.VType, 3);
    EXPECT_EQ(back.Deleted, 0);
    EXPECT_EQ(back.MaxSegAngle, 70.0);
    EXPECT_EQ(back.Units[0], GoldenRecord().Units[0]);
    EXPECT_EQ(back.Units[1], GoldenRecord().Units[1]);
    EXPECT_EQ(back.Units[2], GoldenRecord().Units[2]);
    EXPECT_EQ(back.Units[3].Kind, 0);
}

TEST(VehicleRecordLayout, NegativeValuesAndDeletedMarkAreLittleEndian)
{
    VehicleRecord r = GoldenRecord();
    r.Deleted = -1;
    r.VType = 13;
    r.Units[1].Front = -1.5; // 0xBFF8000000000000
    RecordBytes b;
    ASSERT_EQ(EncodeVehicleRecord(r, b), "");
    EXPECT_EQ(b[350], 0xFF);
    EXPECT_EQ(b[351], 0xFF);
    EXPECT_EQ(b[352], 13);
    EXPECT_EQ(b[353], 0);
    // Slot 2 Front at 580 + 122 = 702.
    EXPECT_EQ(b[708], 0xF8);
    EXPECT_EQ(b[709], 0xBF);
    EXPECT_EQ(DecodeVehicleRecord(b).Units[1].Front, -1.5);
}

TEST(VehicleRecordLayout, TextsAreCutAtTheirWidthAndCharactersOutsideTheCodePageAreRefused)
{
    VehicleRecord r = GoldenRecord();
    r.Name = std::string(120, 'N');
    r.Description = std::string(300, 'D');
    RecordBytes b;
    ASSERT_EQ(EncodeVehicleRecord(r, b), "");
    EXPECT_EQ(b[99], 'N');
    EXPECT_EQ(b[100], 'D');
    EXPECT_EQ(b[349], 'D');
    EXPECT_EQ(b[350], 0);

    r.Name = "Truck \xE2\x9C\x93"; // a check mark, not in Windows-1252
    b.fill(0x55);
    const std::string error = EncodeVehicleRecord(r, b);
    EXPECT_NE(error.find("\xE2\x9C\x93"), std::string::npos) << error;
    EXPECT_EQ(b[0], 0x55) << "nothing may be written for a refused record";
}

TEST(VehicleRecordLayout, UndefinedCodePageBytesSurviveARoundTrip)
{
    RecordBytes b{};
    for (size_t i = 0; i < 350; ++i)
        b[i] = ' ';
    b[0] = 0x81, b[1] = 0x8D, b[2] = 0x9F, b[3] = 0xFF;
    b[352] = 1;
    RecordBytes again;
    ASSERT_EQ(EncodeVehicleRecord(DecodeVehicleRecord(b), again), "");
    EXPECT_EQ(again, b);
}

// ---- Mapping ------------------------------------------------------------------------------

VehicleFields DotFields()
{
    // Distinct values per field so that a field written to the wrong member shows up.
    VehicleFields f;
    f.txt_Name = "  Rig  ";
    f.Text1 = " desc ";
    f.txt_MaxTurning = "41";
    f.txt_MaxSegAnle = "71";
    f.txt_LockToLock = "7.5";
    f.txt_Front = "1.1";
    f.txt_Wheelbase = "5.1";
    f.txt_Back = "2.1";
    f.txtHitch = "-0.6";
    f.txt_WheelWidth = "2.41";
    f.txt_VeichleWidth = "2.51";
    f.txtHitch2 = "3.2";
    f.txtHitch3 = "3.3";
    f.txtHitch4 = "3.4";
    f.txt_Front2 = "0.92";
    f.txt_Front3 = "0.93";
    f.txt_Front4 = "0.94";
    f.txt_Wheelbase2 = "9.2";
    f.txt_Wheelbase3 = "9.3";
    f.txt_Wheelbase4 = "9.4";
    f.txt_Back2 = "2.2";
    f.txt_Back3 = "2.3";
    f.txt_Back4 = "2.4";
    f.txt_WheelWidth_2 = "2.42";
    f.txt_WheelWidth_3 = "2.43";
    f.txt_WheelWidth_4 = "2.44";
    f.txt_VeichleWidth_2 = "2.52";
    f.txt_VeichleWidth_3 = "2.53";
    f.txt_VeichleWidth_4 = "2.54";
    return f;
}

UnitRecord Body(int group)
{
    const double g = group;
    return {3, 2.4 + g / 100, 2.5 + g / 100, 0.9 + g / 100, 9.0 + g / 10, 2.0 + g / 10, 0};
}

struct SlotCase {
    int code;
    std::array<UnitRecord, 6> slots; // expected slots 2..6 in [1..5]; slot 1 Hitch in [0]
};

class SlotMapping : public ::testing::TestWithParam<SlotCase> {};

TEST_P(SlotMapping, FieldsGoToTheSlotsOfTheConfiguration)
{
    const SlotCase& c = GetParam();
    const RecordFromFieldsResult built = RecordFromFields(DotFields(), c.code, '.');
    ASSERT_TRUE(built.ok()) << built.error;
    const VehicleRecord& r = built.record;
    EXPECT_EQ(r.Name, "Rig");
    EXPECT_EQ(r.Description, "desc");
    EXPECT_EQ(r.VType, c.code);
    EXPECT_EQ(r.LockToLock, 7.5);
    const UnitRecord motor{1, 2.41, 2.51, 1.1, 5.1, 2.1, c.slots[0].Hitch};
    EXPECT_EQ(r.Units[0], motor);
    for (size_t s = 1; s < 6; ++s) {
        const UnitRecord& e = c.slots[s];
        const UnitRecord& a = r.Units[s];
        EXPECT_EQ(a.Kind, e.Kind) << "slot " << s + 1;
        EXPECT_DOUBLE_EQ(a.WheelWidth, e.WheelWidth) << "slot " << s + 1;
        EXPECT_DOUBLE_EQ(a.VehicleWidth, e.VehicleWidth) << "slot " << s + 1;
        EXPECT_DOUBLE_EQ(a.Front, e.Front) << "slot " << s + 1;
        EXPECT_DOUBLE_EQ(a.Wheelbase, e.Wheelbase) << "slot " << s + 1;
        EXPECT_DOUBLE_EQ(a.Back, e.Back) << "slot " << s + 1;
        EXPECT_DOUBLE_EQ(a.Hitch, e.Hitch) << "slot " << s + 1;
    }
}

SlotCase Case(int code)
{
    SlotCase c{code, {}};
    auto withHitch = [](UnitRecord u, double h) {
        u.Hitch = h;
        return u;
    };
    const UnitRecord none{};
    const UnitRecord drawbar3{2, 0, 0, 0, 3.3, 0, 0};
    switch (CanonicalVehicleType(code)) {
    case 1:
        c.slots = {none, none, none, none, none, none};
        break;
    case 2:
        c.slots = {withHitch(none, -0.6), Body(2), none, none, none, none};
        break;
    case 3:
        c.slots = {withHitch(none, -0.6),
                   UnitRecord{2, 0, 0, 0, 3.2, 0, 0},
                   withHitch(Body(2), 3.2),
                   none,
                   none,
                   none};
        break;
    case 9:
        c.slots = {withHitch(none, -0.6),
                   withHitch(Body(2), 3.2),
                   UnitRecord{2, 0, 0, 0, 3.3, 0, 3.3},
                   Body(3),
                   none,
                   none};
        break;
    case 10:
        c.slots = {withHitch(none, -0.6),
                   withHitch(Body(2), 3.2),
                   drawbar3,
                   Body(3),
                   UnitRecord{2, 0, 0, 0, 3.4, 0, 0},
                   Body(4)};
        break;
    default:
        c.slots = {withHitch(none, -0.6), withHitch(Body(2), 3.2), Body(3), none, none, none};
        break;
    }
    return c;
}

INSTANTIATE_TEST_SUITE_P(EveryCode, SlotMapping,
                         ::testing::Values(Case(1), Case(2), Case(3), Case(4), Case(5), Case(6), Case(7),
                                           Case(8), Case(9), Case(10), Case(11), Case(12), Case(13)),
                         [](const auto& info) { return "Code" + std::to_string(info.param.code); });

class RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(RoundTrip, FieldsInUseComeBackThroughTheBytesAndOthersKeepTheirText)
{
    const int code = GetParam();
    const RecordFromFieldsResult built = RecordFromFields(DotFields(), code, '.');
    ASSERT_TRUE(built.ok()) << built.error;
    RecordBytes bytes;
    ASSERT_EQ(EncodeVehicleRecord(built.record, bytes), "");
    const VehicleRecord back = DecodeVehicleRecord(bytes);
    ASSERT_EQ(CheckRecordShowable(back), "");

    VehicleFields shown; // defaults with a decimal comma, so untouched fields are recognisable
    FieldsFromRecord(back, shown, ',');
    const VehicleFields original = DotFields();
    const VehicleFields defaults;
    const auto filled = FieldsFilledFromRecord(code);
    for (std::string_view name : VehicleFieldNames()) {
        const std::string& got = *FieldByName(shown, name);
        const bool isFilled = std::find(filled.begin(), filled.end(), name) != filled.end();
        if (code == 13 && name == "txtHitch3") {
            EXPECT_EQ(got, "0") << "code 13 shows H3 from the Hitch of slot 3, which is never stored";
        } else if (isFilled) {
            std::string want = *FieldByName(original, name);
            want.erase(0, want.find_first_not_of(' '));
            want.erase(want.find_last_not_of(' ') + 1);
            std::replace(want.begin(), want.end(), '.', ',');
            EXPECT_EQ(got, want) << name;
        } else {
            EXPECT_EQ(got, *FieldByName(defaults, name)) << name << " is not in use and must keep its text";
        }
    }
    RecordBytes again;
    ASSERT_EQ(EncodeVehicleRecord(RecordFromFields(shown, code, ',').record, again), "");
    EXPECT_EQ(again, bytes) << "a second trip through the fields gives the same bytes";
}

INSTANTIATE_TEST_SUITE_P(EveryCode, RoundTrip, ::testing::Range(1, 14));

TEST(RecordFromFields, FieldNotANumberOrEmptyIsRefusedNeverZero)
{
    VehicleFields f = DotFields();
    f.txt_Back2 = "2,2"; // comma while the separator is "."
    RecordFromFieldsResult r = RecordFromFields(f, 2, '.');
    EXPECT_EQ(r.error, "Bad value for Back2 (B2)!");

    f = DotFields();
    f.txt_Wheelbase3 = "  ";
    EXPECT_EQ(RecordFromFields(f, 11, '.').error, "Missing value for Wheelbase3 (WB3)!");
    EXPECT_EQ(RecordFromFields(f, 2, '.').error, "") << "WB3 is not used by a semitrailer";

    f = DotFields();
    f.txt_LockToLock = "";
    EXPECT_EQ(RecordFromFields(f, 1, '.').error, "Missing value for Lock to lock!");
}

TEST(RecordFromFields, NameIsTrimmedCutAndCheckedAgainstTheCodePage)
{
    VehicleFields f = DotFields();
    f.txt_Name = " " + std::string(99, 'a') + "\xC3\xA9xyz ";
    RecordFromFieldsResult r = RecordFromFields(f, 1, '.');
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.record.Name, std::string(99, 'a') + "\xC3\xA9") << "cut at 100 characters, not bytes";

    f.txt_Name = "\xE5\x8D\xA1\xE8\xBD\xA6"; // Chinese for truck
    r = RecordFromFields(f, 1, '.');
    EXPECT_NE(r.error.find("Windows-1252"), std::string::npos) << r.error;
}

TEST(CheckRecordShowable, RefusesUnknownTypesAndNonFiniteNumbersInUseOnly)
{
    VehicleRecord r = RecordFromFields(DotFields(), 2, '.').record;
    EXPECT_EQ(CheckRecordShowable(r), "");
    r.Units[3].Front = std::numeric_limits<double>::quiet_NaN(); // slot 4 is not read for code 2
    EXPECT_EQ(CheckRecordShowable(r), "");
    r.Units[1].Back = std::numeric_limits<double>::infinity();
    EXPECT_NE(CheckRecordShowable(r).find("Back2 (B2)"), std::string::npos) << CheckRecordShowable(r);
    r.Units[1].Back = 1;
    r.MaxTurning = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(CheckRecordShowable(r), "");
    for (int bad : {0, 14, -1}) {
        VehicleRecord t = RecordFromFields(DotFields(), 2, '.').record;
        t.VType = static_cast<std::int16_t>(bad);
        EXPECT_NE(CheckRecordShowable(t).find("unknown vehicle type"), std::string::npos) << bad;
        VehicleFields fields;
        EXPECT_THROW(FieldsFromRecord(t, fields, '.'), std::invalid_argument);
    }
}

} // namespace
} // namespace velrok
