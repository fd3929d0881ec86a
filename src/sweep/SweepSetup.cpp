// Field checks and unit tables of the thirteen configurations.
#include "sweep/SweepSetup.h"

#include "common/NumberText.h"
#include "vehicle/SumSegments.h"

#include <stdexcept>

namespace velrok {

namespace {

using Field = std::string VehicleFields::*;

constexpr const char* kMissing = "Missing value";
constexpr const char* kBad = "Bad value";
constexpr const char* kLockHint = "\r\r(A common value is 6-8 seconds)";

struct FieldCheck {
    Field field;
    const char* text;
};

// The check keys of the configurations, with their texts as users know them (typos included).
const FieldCheck W2{&VehicleFields::txt_WheelWidth_2, "Missing value for segemnt #2 Wheel Width!"};
const FieldCheck W3{&VehicleFields::txt_WheelWidth_3, "Missing value for segemnt #3 Wheel Width!"};
const FieldCheck W4{&VehicleFields::txt_WheelWidth_4, "Missing value for segemnt #4 Wheel Width!"};
const FieldCheck V2{&VehicleFields::txt_VeichleWidth_2, "Missing value for segemnt #2 Vehicle Width!"};
const FieldCheck V3{&VehicleFields::txt_VeichleWidth_3, "Missing value for segemnt #3 Vehicle Width!"};
const FieldCheck V4{&VehicleFields::txt_VeichleWidth_4, "Missing value for segemnt #4 Vehicle Width!"};
const FieldCheck S2{&VehicleFields::txt_WheelWidth_2, "Missing value for segment #2 Wheel Width!"};
const FieldCheck T2{&VehicleFields::txt_VeichleWidth_2, "Missing value for segment #2 Vehicle Width!"};
const FieldCheck H{&VehicleFields::txtHitch, "Missing value for Hitchpoint (H)!"};
const FieldCheck F2{&VehicleFields::txt_Front2, "Missing value for Front2 (F2)!"};
const FieldCheck F3{&VehicleFields::txt_Front3, "Missing value for Front3 (F3)!"};
const FieldCheck F4{&VehicleFields::txt_Front4, "Missing value for Front4 (F4)!"};
const FieldCheck WB2{&VehicleFields::txt_Wheelbase2, "Missing value for Wheelbase2 (WB2)!"};
const FieldCheck WB3{&VehicleFields::txt_Wheelbase3, "Missing value for Wheelbase3 (WB3)!"};
const FieldCheck WB4{&VehicleFields::txt_Wheelbase4, "Missing value for Wheelbase4 (WB4)!"};
const FieldCheck B2{&VehicleFields::txt_Back2, "Missing value for Back2 (B2)!"};
const FieldCheck B3{&VehicleFields::txt_Back3, "Missing value for Back3 (B3)!"};
const FieldCheck B4{&VehicleFields::txt_Back4, "Missing value for Back4 (B4)!"};
const FieldCheck H2{&VehicleFields::txtHitch2, "Missing value for Hitchpoint2 (H2)!"};
const FieldCheck H3{&VehicleFields::txtHitch3, "Missing value for Hitchpoint3 (H3)!"};
const FieldCheck H4{&VehicleFields::txtHitch4, "Missing value for Hitchpoint4 (H4)!"};

const std::vector<FieldCheck> kUnit1Checks{
    {&VehicleFields::txt_Front, "Missing value for Front (F)!"},
    {&VehicleFields::txt_Back, "Missing value for Back (B)!"},
    {&VehicleFields::txt_Wheelbase, "Missing value for Wheel Base (WB)!"},
    {&VehicleFields::txt_WheelWidth, "Missing value for Wheel Width!"},
    {&VehicleFields::txt_VeichleWidth, "Missing value for Vehicle Width!"},
    {&VehicleFields::txt_MaxTurning, "Missing value for Max Turning Angle!"},
    {&VehicleFields::txt_MaxSegAnle, "Missing value for Max Angle between Segments!"},
};

// Configurations 11 to 13 also read their second unit's coupling length and the third unit's
// fields; those are checked like every other field so that an empty one is named, not trapped.
std::vector<FieldCheck> ConfigurationChecks(int16_t vType)
{
    switch (vType) {
    case 2:
    case 4:
    case 5:
    case 8:
        return {W2, V2, H, F2, WB2, B2};
    case 3:
        return {W2, V2, H, F2, WB2, B2, H2};
    case 9:
        return {W2, V2, W3, V3, H, F2, WB2, B2, H2, H3, F3, WB3, B3};
    case 10:
        return {W2, V2, W3, V3, W4, V4, H, F2, WB2, B2, H2, H3, F3, WB3, B3, F4, WB4, B4, H4};
    case 11:
    case 12:
    case 13:
        return {S2, T2, H, F2, WB2, B2, H2, W3, V3, F3, WB3, B3};
    default:
        return {};
    }
}

// Where a value of a unit comes from: a field, possibly negated.
struct Src {
    Field field = nullptr;
    bool negate = false;
};
Src Neg(Field f)
{
    return {f, true};
}

struct UnitSource {
    int32_t kind = kKindBody;
    int widths = 1; // 1 = unit 1's width fields, 2 = the "_2" fields, ...
    Src front, wheelbase, back, hitch;
    bool hitchCircle = false;
};

using VF = VehicleFields;

std::vector<UnitSource> TrailingUnits(int16_t vType)
{
    switch (vType) {
    case 2:
        return {{kKindBody, 2, {&VF::txt_Front2}, {&VF::txt_Wheelbase2}, {&VF::txt_Back2}, {}, false}};
    case 4:
    case 5:
    case 8:
        return {{kKindBody, 2, Neg(&VF::txt_Front2), {&VF::txt_Wheelbase2}, {&VF::txt_Back2}, {}, false}};
    case 3:
        return {{kKindDrawbar, 2, {}, {&VF::txtHitch2}, {}, {}, false},
                {kKindBody, 2, {&VF::txt_Front2}, {&VF::txt_Wheelbase2}, {&VF::txt_Back2}, {}, false}};
    case 9:
        return {{kKindBody,
                 2,
                 {&VF::txt_Front2},
                 {&VF::txt_Wheelbase2},
                 {&VF::txt_Back2},
                 {&VF::txtHitch2},
                 false},
                {kKindDrawbar, 3, {}, {&VF::txtHitch3}, {}, {}, false},
                {kKindBody, 3, {&VF::txt_Front3}, {&VF::txt_Wheelbase3}, {&VF::txt_Back3}, {}, false}};
    case 10:
        // The middle trailer hangs the last drawbar on its rear overhang: Back3 is also its Hitch.
        return {{kKindBody,
                 2,
                 {&VF::txt_Front2},
                 {&VF::txt_Wheelbase2},
                 {&VF::txt_Back2},
                 {&VF::txtHitch2},
                 false},
                {kKindDrawbar, 3, {}, {&VF::txtHitch3}, {}, {}, false},
                {kKindBody,
                 3,
                 {&VF::txt_Front3},
                 {&VF::txt_Wheelbase3},
                 {&VF::txt_Back3},
                 {&VF::txt_Back3},
                 false},
                {kKindDrawbar, 4, {}, {&VF::txtHitch4}, {}, {}, false},
                {kKindBody, 4, {&VF::txt_Front4}, {&VF::txt_Wheelbase4}, {&VF::txt_Back4}, {}, false}};
    case 11:
        return {{kKindBody,
                 2,
                 Neg(&VF::txt_Front2),
                 {&VF::txt_Wheelbase2},
                 {&VF::txt_Back2},
                 {&VF::txtHitch2},
                 true},
                {kKindBody, 3, Neg(&VF::txt_Front3), {&VF::txt_Wheelbase3}, {&VF::txt_Back3}, {}, false}};
    case 12:
        return {{kKindBody,
                 2,
                 {&VF::txt_Front2},
                 {&VF::txt_Wheelbase2},
                 {&VF::txt_Back2},
                 {&VF::txtHitch2},
                 true},
                {kKindBody, 3, Neg(&VF::txt_Front3), {&VF::txt_Wheelbase3}, {&VF::txt_Back3}, {}, false}};
    case 13:
        return {{kKindBody,
                 2,
                 {&VF::txt_Front2},
                 {&VF::txt_Wheelbase2},
                 Neg(&VF::txt_Back2),
                 Neg(&VF::txtHitch2),
                 true},
                {kKindBody, 3, {&VF::txt_Front3}, {&VF::txt_Wheelbase3}, {&VF::txt_Back3}, {}, false}};
    default:
        return {};
    }
}

// The names users see for the fields whose values the last checks refuse.
struct FieldLabel {
    Field field;
    const char* label;
};
const std::vector<FieldLabel> kLabels{
    {&VF::txt_Wheelbase, "Wheel Base (WB)"},
    {&VF::txt_Wheelbase2, "Wheelbase2 (WB2)"},
    {&VF::txt_Wheelbase3, "Wheelbase3 (WB3)"},
    {&VF::txt_Wheelbase4, "Wheelbase4 (WB4)"},
    {&VF::txtHitch2, "Hitchpoint2 (H2)"},
    {&VF::txtHitch3, "Hitchpoint3 (H3)"},
    {&VF::txtHitch4, "Hitchpoint4 (H4)"},
    {&VF::txt_WheelWidth, "Wheel Width"},
    {&VF::txt_VeichleWidth, "Vehicle Width"},
    {&VF::txt_WheelWidth_2, "segment #2 Wheel Width"},
    {&VF::txt_VeichleWidth_2, "segment #2 Vehicle Width"},
    {&VF::txt_WheelWidth_3, "segment #3 Wheel Width"},
    {&VF::txt_VeichleWidth_3, "segment #3 Vehicle Width"},
    {&VF::txt_WheelWidth_4, "segment #4 Wheel Width"},
    {&VF::txt_VeichleWidth_4, "segment #4 Vehicle Width"},
};

std::string LabelOf(Field f)
{
    for (const FieldLabel& l : kLabels)
        if (l.field == f)
            return l.label;
    throw std::logic_error("no label for a checked field");
}

// The width fields of group #widths (2 to 4); group #1's for anything else.
Field WheelWidthField(int widths)
{
    constexpr Field kFields[] = {&VF::txt_WheelWidth, &VF::txt_WheelWidth_2, &VF::txt_WheelWidth_3,
                                 &VF::txt_WheelWidth_4};
    return kFields[widths >= 2 && widths <= 4 ? widths - 1 : 0];
}

Field VehicleWidthField(int widths)
{
    constexpr Field kFields[] = {&VF::txt_VeichleWidth, &VF::txt_VeichleWidth_2, &VF::txt_VeichleWidth_3,
                                 &VF::txt_VeichleWidth_4};
    return kFields[widths >= 2 && widths <= 4 ? widths - 1 : 0];
}

class Converter {
  public:
    Converter(const VehicleFields& fields, char sep) : m_fields(fields), m_sep(sep) {}
    double operator()(Field f) const
    {
        const ParsedNumber n = ParseNumber(m_fields.*f, m_sep);
        if (!n.ok())
            throw std::runtime_error("Type mismatch");
        return n.value;
    }
    double operator()(const Src& s) const
    {
        if (s.field == nullptr)
            return 0.0;
        const double v = (*this)(s.field);
        return s.negate ? -v : v;
    }

  private:
    const VehicleFields& m_fields;
    char m_sep;
};

// The fields each unit's length and widths came from, for naming them in a refusal.
struct UnitFields {
    Field wheelbase;
    Field wheelWidth;
    Field vehicleWidth;
};

std::vector<UnitFields> UnitFieldList(int16_t vType)
{
    if (vType < 1 || vType > 13)
        return {};
    std::vector<UnitFields> list{{&VF::txt_Wheelbase, &VF::txt_WheelWidth, &VF::txt_VeichleWidth}};
    for (const UnitSource& u : TrailingUnits(vType))
        list.push_back({u.wheelbase.field, WheelWidthField(u.widths), VehicleWidthField(u.widths)});
    return list;
}

bool Blank(const std::string& text)
{
    return Trim(text).empty();
}

} // namespace

std::optional<Refusal> CheckRunFields(const SweepInputs& in, char sep)
{
    if (Blank(in.txt_Speed))
        return Refusal{kMissing, "Missing value for Speed!"};
    const ParsedNumber speed = ParseNumber(in.txt_Speed, sep);
    if (!speed.ok())
        return Refusal{kBad, "Bad value for Speed!"};
    if (speed.value > kMaxSpeed)
        return Refusal{kBad, "I refuse to maneuver at this speed! Lower speed to 30 or less"};

    const VehicleFields& f = in.fields;
    if (Blank(f.txt_LockToLock))
        return Refusal{kMissing, std::string("Missing value for Lock to lock!") + kLockHint};
    const ParsedNumber lock = ParseNumber(f.txt_LockToLock, sep);
    if (!lock.ok())
        return Refusal{kBad, std::string("Bad value for Lock to lock!") + kLockHint};
    if (!(lock.value > 0.0))
        return Refusal{kBad, std::string("Bad value for Lock to lock! Must be above zero!") + kLockHint};

    const ParsedNumber spacing = ParseNumber(in.txt_plotSpacing, sep);
    if (!spacing.ok())
        return Refusal{kBad, "Bad value for Plot spacing!"};
    if (spacing.value < 0.0)
        return Refusal{kBad, "Bad value for Plot spacing! Must not be negative!"};

    for (const FieldCheck& c : kUnit1Checks)
        if (Blank(f.*c.field))
            return Refusal{kMissing, c.text};
    for (const FieldCheck& c : ConfigurationChecks(in.VType))
        if (Blank(f.*c.field))
            return Refusal{kMissing, c.text};
    return std::nullopt;
}

std::vector<SegmentSpec> BuildSegments(int16_t vType, const VehicleFields& fields, char sep)
{
    if (vType < 1 || vType > 13)
        return {};
    const Converter num(fields, sep);
    const std::vector<UnitSource> trailing = TrailingUnits(vType);
    std::vector<SegmentSpec> segments;

    SegmentSpec u1;
    u1.Kind = kKindMotor;
    u1.WheelWidth = num(&VF::txt_WheelWidth);
    u1.VehicleWidth = num(&VF::txt_VeichleWidth);
    u1.Front = num(&VF::txt_Front);
    u1.Wheelbase = num(&VF::txt_Wheelbase);
    u1.Back = num(&VF::txt_Back);
    u1.MaxTurningAngle = num(&VF::txt_MaxTurning);
    u1.MaxSegmentAngle = num(&VF::txt_MaxSegAnle);
    if (!trailing.empty()) {
        u1.Hitch = num(&VF::txtHitch);
        // Every coupled configuration shows the coupling on the towing unit.
        u1.DrawHitchCircle = true;
    }
    segments.push_back(u1);

    for (const UnitSource& src : trailing) {
        SegmentSpec u;
        u.Kind = src.kind;
        u.WheelWidth = num(WheelWidthField(src.widths));
        u.VehicleWidth = num(VehicleWidthField(src.widths));
        u.Front = num(src.front);
        u.Wheelbase = num(src.wheelbase);
        u.Back = num(src.back);
        u.Hitch = num(src.hitch);
        u.MaxSegmentAngle = num(&VF::txt_MaxSegAnle);
        u.DrawHitchCircle = src.hitchCircle;
        segments.push_back(u);
    }
    return segments;
}

std::optional<Refusal> CheckSegmentValues(int16_t vType, const std::vector<SegmentSpec>& segments)
{
    const std::vector<UnitFields> fields = UnitFieldList(vType);
    for (size_t i = 0; i < segments.size() && i < fields.size(); ++i) {
        const SegmentSpec& s = segments[i];
        if (!(s.Wheelbase > 0.0))
            return Refusal{kBad, "Bad value for " + LabelOf(fields[i].wheelbase) + "! Must be above zero!"};
        if (s.WheelWidth < 0.0)
            return Refusal{kBad,
                           "Bad value for " + LabelOf(fields[i].wheelWidth) + "! Must not be negative!"};
        if (s.VehicleWidth < 0.0)
            return Refusal{kBad,
                           "Bad value for " + LabelOf(fields[i].vehicleWidth) + "! Must not be negative!"};
    }
    return std::nullopt;
}

double RunVehicleLength(int16_t vType, const VehicleFields& f, char sep)
{
    const SegmentsSummary summary = SumSegments(vType, f, sep);
    if (!summary.lengthOk)
        throw std::runtime_error("Type mismatch");
    return summary.totalLength;
}

} // namespace velrok
