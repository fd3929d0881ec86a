// Byte layout of a vehicle record and the mapping between edit fields and unit slots.
#include "vehicle/VehicleRecord.h"

#include "common/NumberText.h"
#include "vehicle/Cp1252.h"
#include "vehicle/VehicleType.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace velrok {

namespace {

// Offsets of the record and of a unit slot; reserved members stay zero.
constexpr size_t kOffName = 0, kOffDescription = 100, kOffDeleted = 350, kOffVType = 352;
constexpr size_t kOffMaxTurning = 354, kOffMaxSegAngle = 362, kOffLockToLock = 374, kOffUnits = 390;
constexpr size_t kUnitOffKind = 104, kUnitOffWheelWidth = 106, kUnitOffVehicleWidth = 114,
                 kUnitOffFront = 122, kUnitOffWheelbase = 130, kUnitOffBack = 138, kUnitOffHitch = 146;

void PutInt16(RecordBytes& b, size_t at, std::int16_t v)
{
    const auto u = static_cast<std::uint16_t>(v);
    b[at] = static_cast<std::uint8_t>(u & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>(u >> 8);
}

void PutDouble(RecordBytes& b, size_t at, double v)
{
    const auto u = std::bit_cast<std::uint64_t>(v);
    for (size_t i = 0; i < 8; ++i)
        b[at + i] = static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF);
}

std::int16_t GetInt16(std::span<const std::uint8_t, kVehicleRecordLength> b, size_t at)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)));
}

double GetDouble(std::span<const std::uint8_t, kVehicleRecordLength> b, size_t at)
{
    std::uint64_t u = 0;
    for (size_t i = 0; i < 8; ++i)
        u |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
    return std::bit_cast<double>(u);
}

// A text cut to `width` characters of the code page; error names a character it cannot hold.
std::string ToCodePage(const std::string& utf8, size_t width, std::string_view what, std::string& bytes)
{
    Cp1252Text t = Utf8ToCp1252(utf8);
    if (!t.ok())
        return "The " + std::string(what) + " cannot be stored in a vehicle file: the character \"" +
               t.unmappable + "\" has no place in its code page (Windows-1252).";
    bytes = t.bytes.substr(0, width);
    return {};
}

std::string FromCodePage(std::span<const std::uint8_t, kVehicleRecordLength> b, size_t at, size_t width)
{
    std::string raw(reinterpret_cast<const char*>(b.data() + at), width);
    // A zero-padded (truncated) record reads as blanks rather than control characters.
    for (char& c : raw) {
        if (c == '\0')
            c = ' ';
    }
    return Cp1252ToUtf8(raw);
}

// ---- Field <-> slot mapping ---------------------------------------------------------------

enum class Member { WheelWidth, VehicleWidth, Front, Wheelbase, Back, Hitch };

double& MemberOf(UnitRecord& u, Member m)
{
    switch (m) {
    case Member::WheelWidth:
        return u.WheelWidth;
    case Member::VehicleWidth:
        return u.VehicleWidth;
    case Member::Front:
        return u.Front;
    case Member::Wheelbase:
        return u.Wheelbase;
    case Member::Back:
        return u.Back;
    case Member::Hitch:
        return u.Hitch;
    }
    throw std::logic_error("MemberOf: unknown member");
}

// One field written to (and/or read back from) one member of one slot (0-based).
struct Binding {
    std::string_view field;
    int slot;
    Member member;
    bool write;
    bool read;
};

struct Mapping {
    std::array<std::int16_t, kUnitSlots> kinds{};
    std::vector<Binding> bindings;
};

void AddBody(Mapping& m, int group, int slot)
{
    static constexpr std::array<std::array<std::string_view, 5>, 3> names = {{
        {"txt_WheelWidth_2", "txt_VeichleWidth_2", "txt_Front2", "txt_Wheelbase2", "txt_Back2"},
        {"txt_WheelWidth_3", "txt_VeichleWidth_3", "txt_Front3", "txt_Wheelbase3", "txt_Back3"},
        {"txt_WheelWidth_4", "txt_VeichleWidth_4", "txt_Front4", "txt_Wheelbase4", "txt_Back4"},
    }};
    const auto& n = names[static_cast<size_t>(group - 2)];
    m.kinds[static_cast<size_t>(slot)] = static_cast<std::int16_t>(UnitKind::Body);
    const Member members[] = {Member::WheelWidth, Member::VehicleWidth, Member::Front, Member::Wheelbase,
                              Member::Back};
    for (size_t i = 0; i < 5; ++i)
        m.bindings.push_back({n[i], slot, members[i], true, true});
}

void AddDrawbar(Mapping& m, int slot, std::string_view lengthField, bool readBack)
{
    m.kinds[static_cast<size_t>(slot)] = static_cast<std::int16_t>(UnitKind::Drawbar);
    m.bindings.push_back({lengthField, slot, Member::Wheelbase, true, readBack});
}

// The slot table of a configuration (1..13).
Mapping MappingFor(int code)
{
    const int c = CanonicalVehicleType(code);
    Mapping m;
    m.kinds[0] = static_cast<std::int16_t>(UnitKind::Motor);
    m.bindings = {{"txt_WheelWidth", 0, Member::WheelWidth, true, true},
                  {"txt_VeichleWidth", 0, Member::VehicleWidth, true, true},
                  {"txt_Front", 0, Member::Front, true, true},
                  {"txt_Wheelbase", 0, Member::Wheelbase, true, true},
                  {"txt_Back", 0, Member::Back, true, true}};
    if (c != 1)
        m.bindings.push_back({"txtHitch", 0, Member::Hitch, true, true});
    switch (c) {
    case 2:
        AddBody(m, 2, 1);
        break;
    case 3:
        // The drawbar and the body behind it both carry H2; it is read back from the body.
        AddDrawbar(m, 1, "txtHitch2", false);
        AddBody(m, 2, 2);
        m.bindings.push_back({"txtHitch2", 2, Member::Hitch, true, true});
        break;
    case 9:
        AddBody(m, 2, 1);
        m.bindings.push_back({"txtHitch2", 1, Member::Hitch, true, true});
        AddDrawbar(m, 2, "txtHitch3", true);
        m.bindings.push_back({"txtHitch3", 2, Member::Hitch, true, false});
        AddBody(m, 3, 3);
        break;
    case 10:
        AddBody(m, 2, 1);
        m.bindings.push_back({"txtHitch2", 1, Member::Hitch, true, true});
        AddDrawbar(m, 2, "txtHitch3", true);
        AddBody(m, 3, 3);
        AddDrawbar(m, 4, "txtHitch4", true);
        AddBody(m, 4, 5);
        break;
    case 11:
        AddBody(m, 2, 1);
        m.bindings.push_back({"txtHitch2", 1, Member::Hitch, true, true});
        AddBody(m, 3, 2);
        // Code 13 shows H3 from slot 3 although it never stores it there (so it reads 0).
        if (code == 13)
            m.bindings.push_back({"txtHitch3", 2, Member::Hitch, false, true});
        break;
    default:
        break;
    }
    return m;
}

std::string FieldError(ParseStatus status, std::string_view field)
{
    return std::string(status == ParseStatus::Empty ? "Missing value for " : "Bad value for ") +
           std::string(FieldDisplayName(field)) + "!";
}

} // namespace

std::string EncodeVehicleRecord(const VehicleRecord& record, RecordBytes& out)
{
    std::string name, description;
    if (std::string e = ToCodePage(record.Name, kNameLength, "name", name); !e.empty())
        return e;
    if (std::string e = ToCodePage(record.Description, kDescriptionLength, "description", description);
        !e.empty())
        return e;

    RecordBytes b{};
    std::fill(b.begin() + kOffName, b.begin() + kOffName + kNameLength, ' ');
    std::fill(b.begin() + kOffDescription, b.begin() + kOffDescription + kDescriptionLength, ' ');
    std::copy(name.begin(), name.end(), b.begin() + kOffName);
    std::copy(description.begin(), description.end(), b.begin() + kOffDescription);
    PutInt16(b, kOffDeleted, record.Deleted);
    PutInt16(b, kOffVType, record.VType);
    PutDouble(b, kOffMaxTurning, record.MaxTurning);
    PutDouble(b, kOffMaxSegAngle, record.MaxSegAngle);
    PutDouble(b, kOffLockToLock, record.LockToLock);
    for (size_t s = 0; s < kUnitSlots; ++s) {
        const UnitRecord& u = record.Units[s];
        const size_t at = kOffUnits + s * kUnitRecordLength;
        PutInt16(b, at + kUnitOffKind, u.Kind);
        PutDouble(b, at + kUnitOffWheelWidth, u.WheelWidth);
        PutDouble(b, at + kUnitOffVehicleWidth, u.VehicleWidth);
        PutDouble(b, at + kUnitOffFront, u.Front);
        PutDouble(b, at + kUnitOffWheelbase, u.Wheelbase);
        PutDouble(b, at + kUnitOffBack, u.Back);
        PutDouble(b, at + kUnitOffHitch, u.Hitch);
    }
    out = b;
    return {};
}

VehicleRecord DecodeVehicleRecord(std::span<const std::uint8_t, kVehicleRecordLength> b)
{
    VehicleRecord r;
    r.Name = FromCodePage(b, kOffName, kNameLength);
    r.Description = FromCodePage(b, kOffDescription, kDescriptionLength);
    r.Deleted = GetInt16(b, kOffDeleted);
    r.VType = GetInt16(b, kOffVType);
    r.MaxTurning = GetDouble(b, kOffMaxTurning);
    r.MaxSegAngle = GetDouble(b, kOffMaxSegAngle);
    r.LockToLock = GetDouble(b, kOffLockToLock);
    for (size_t s = 0; s < kUnitSlots; ++s) {
        UnitRecord& u = r.Units[s];
        const size_t at = kOffUnits + s * kUnitRecordLength;
        u.Kind = GetInt16(b, at + kUnitOffKind);
        u.WheelWidth = GetDouble(b, at + kUnitOffWheelWidth);
        u.VehicleWidth = GetDouble(b, at + kUnitOffVehicleWidth);
        u.Front = GetDouble(b, at + kUnitOffFront);
        u.Wheelbase = GetDouble(b, at + kUnitOffWheelbase);
        u.Back = GetDouble(b, at + kUnitOffBack);
        u.Hitch = GetDouble(b, at + kUnitOffHitch);
    }
    return r;
}

RecordFromFieldsResult RecordFromFields(const VehicleFields& fields, int code, char decimalSeparator)
{
    RecordFromFieldsResult result;
    if (!IsVehicleType(code)) {
        result.error = "No vehicle type is selected.";
        return result;
    }
    VehicleRecord& r = result.record;
    std::string bytes;
    if (std::string e = ToCodePage(Trim(fields.txt_Name), kNameLength, "name", bytes); !e.empty()) {
        result.error = e;
        return result;
    }
    r.Name = Cp1252ToUtf8(bytes);
    if (std::string e = ToCodePage(Trim(fields.Text1), kDescriptionLength, "description", bytes);
        !e.empty()) {
        result.error = e;
        return result;
    }
    r.Description = Cp1252ToUtf8(bytes);
    r.VType = static_cast<std::int16_t>(code);

    auto number = [&](std::string_view field, double& target) {
        const ParsedNumber p = ParseNumber(*FieldByName(fields, field), decimalSeparator);
        if (!p.ok() && result.error.empty())
            result.error = FieldError(p.status, field);
        target = p.value;
    };
    number("txt_MaxTurning", r.MaxTurning);
    number("txt_MaxSegAnle", r.MaxSegAngle);
    number("txt_LockToLock", r.LockToLock);
    const Mapping m = MappingFor(code);
    for (size_t s = 0; s < kUnitSlots; ++s)
        r.Units[s].Kind = m.kinds[s];
    // Errors are reported for the first failing field in tab order, whatever the slot order.
    for (std::string_view field : DimensionFieldsInUse(code)) {
        for (const Binding& bind : m.bindings) {
            if (bind.write && bind.field == field)
                number(field, MemberOf(r.Units[static_cast<size_t>(bind.slot)], bind.member));
        }
    }
    if (!result.ok())
        result.record = VehicleRecord{};
    return result;
}

std::string CheckRecordShowable(const VehicleRecord& record)
{
    if (!IsVehicleType(record.VType))
        return "The vehicle record has an unknown vehicle type (" + std::to_string(record.VType) +
               "); it may not be a vehicle file.";
    auto bad = [](double v) { return !std::isfinite(v); };
    const char* limit = bad(record.MaxTurning)    ? "Max Turning Angle"
                        : bad(record.MaxSegAngle) ? "Max Angle between Segments"
                        : bad(record.LockToLock)  ? "Lock to lock"
                                                  : nullptr;
    if (limit)
        return std::string("The vehicle record holds an invalid number for ") + limit + ".";
    UnitRecord units[kUnitSlots];
    std::copy(record.Units.begin(), record.Units.end(), units);
    for (const Binding& bind : MappingFor(record.VType).bindings) {
        if (bind.read && bad(MemberOf(units[bind.slot], bind.member)))
            return "The vehicle record holds an invalid number for " +
                   std::string(FieldDisplayName(bind.field)) + ".";
    }
    return {};
}

void FieldsFromRecord(const VehicleRecord& record, VehicleFields& fields, char decimalSeparator)
{
    if (const std::string why = CheckRecordShowable(record); !why.empty())
        throw std::invalid_argument("FieldsFromRecord: " + why);
    fields.txt_Name = Trim(record.Name);
    fields.Text1 = Trim(record.Description);
    fields.txt_MaxTurning = FormatNumber(record.MaxTurning, decimalSeparator);
    fields.txt_MaxSegAnle = FormatNumber(record.MaxSegAngle, decimalSeparator);
    fields.txt_LockToLock = FormatNumber(record.LockToLock, decimalSeparator);
    UnitRecord units[kUnitSlots];
    std::copy(record.Units.begin(), record.Units.end(), units);
    for (const Binding& bind : MappingFor(record.VType).bindings) {
        if (bind.read)
            *FieldByName(fields, bind.field) =
                FormatNumber(MemberOf(units[bind.slot], bind.member), decimalSeparator);
    }
}

} // namespace velrok
