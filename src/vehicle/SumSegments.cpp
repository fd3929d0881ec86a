// Total length and minimum centreline turning radius of the vehicle being edited.
#include "vehicle/SumSegments.h"

#include "common/NumberText.h"
#include "vehicle/VehicleType.h"

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

namespace velrok {

namespace {

// Degrees to radians with pi as 4 * atan(1), the same one-liner as the sweep's DegToRad; kept
// here so that the vehicle library does not depend on the geometry library.
double DegToRad(double degrees)
{
    return degrees / 180.0 * (4.0 * std::atan(1.0));
}

// The fields whose plain sum is the total length; front overhangs of bodies never count.
std::vector<std::string_view> LengthFields(int code)
{
    switch (CanonicalVehicleType(code)) {
    case 1:
        return {"txt_Front", "txt_Wheelbase", "txt_Back"};
    case 2:
        return {"txt_Front", "txt_Wheelbase", "txtHitch", "txt_Wheelbase2", "txt_Back2"};
    case 3:
        return {"txt_Front", "txt_Wheelbase", "txtHitch", "txtHitch2", "txt_Wheelbase2", "txt_Back2"};
    case 9:
        return {"txt_Front", "txt_Wheelbase", "txtHitch",       "txt_Wheelbase2",
                "txt_Back2", "txtHitch3",     "txt_Wheelbase3", "txt_Back3"};
    case 10:
        return {"txt_Front",      "txt_Wheelbase", "txtHitch",  "txt_Wheelbase2", "txt_Back2", "txtHitch3",
                "txt_Wheelbase3", "txt_Back3",     "txtHitch4", "txt_Wheelbase4", "txt_Back4"};
    case 11:
        return {"txt_Front", "txt_Wheelbase",  "txtHitch", "txt_Wheelbase2",
                "txtHitch2", "txt_Wheelbase3", "txt_Back3"};
    default:
        return {};
    }
}

std::string Failure(ParseStatus status, std::string_view field)
{
    return std::string(status == ParseStatus::Empty ? "Missing value for " : "Bad value for ") +
           std::string(FieldDisplayName(field)) + "!";
}

} // namespace

SegmentsSummary SumSegments(int code, const VehicleFields& fields, char decimalSeparator)
{
    SegmentsSummary s;
    std::string failure;
    for (std::string_view field : LengthFields(code)) {
        const ParsedNumber p = ParseNumber(*FieldByName(fields, field), decimalSeparator);
        if (!p.ok()) {
            if (failure.empty())
                failure = Failure(p.status, field);
            s.lengthOk = false;
        }
        s.totalLength += p.value;
    }
    if (!s.lengthOk)
        s.totalLength = std::numeric_limits<double>::quiet_NaN();
    s.totalLengthText = std::string(kTotalLengthPrefix) +
                        (s.lengthOk ? FormatNumber(s.totalLength, decimalSeparator) : std::string("?"));

    const ParsedNumber a = ParseNumber(fields.txt_MaxTurning, decimalSeparator);
    if (!a.ok()) {
        if (failure.empty())
            failure = Failure(a.status, "txt_MaxTurning");
    } else if (a.value != 0.0) {
        const ParsedNumber wb = ParseNumber(fields.txt_Wheelbase, decimalSeparator);
        if (!wb.ok()) {
            if (failure.empty())
                failure = Failure(wb.status, "txt_Wheelbase");
        } else {
            const double r = RoundHalfEven(wb.value / std::sin(DegToRad(a.value)), 2);
            s.panel1Text = std::string(kMinTurningRadiusPrefix) + FormatPattern00(r, decimalSeparator);
        }
    }
    if (!failure.empty())
        s.panel1Text = failure;
    return s;
}

} // namespace velrok
