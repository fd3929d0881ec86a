// The names of the standard line styles as DXF line types.
#include "host/DxfLineTypes.h"

#include "host/DxfDocument.h"

#include <array>
#include <utility>

namespace velrok::host {

namespace {

// Prefixed so they never take the place of a same-named line type of another pattern that a
// project drawing already defines (DASHED, DOT ...).
constexpr std::array<std::pair<const char*, const char*>, 7> kStandardNames = {{
    {"1", "VELROK_DOTTED"},
    {"2", "VELROK_MEDIUM_DASHED"},
    {"3", "VELROK_LONG_DASHED"},
    {"4", "VELROK_DASH_DOT"},
    {"5", "VELROK_SHORT_DASHED"},
    {"6", "VELROK_DASH_DOT_DOT"},
    {"7", "VELROK_LONG_SHORT_DASH"},
}};

} // namespace

bool IsDxfSpecialLineType(std::string_view name)
{
    return SameIgnoringCase(name, "BYLAYER") || SameIgnoringCase(name, "BYBLOCK") ||
           SameIgnoringCase(name, "CONTINUOUS");
}

std::string DxfLineTypeName(const DrawingLineStyle& style)
{
    if (style.name == "0" || style.dashes.empty())
        return style.name == "0" ? kDxfContinuous : style.name;
    for (const auto& [host, dxf] : kStandardNames)
        if (style.name == host)
            return dxf;
    return style.name;
}

std::optional<std::string> StandardStyleOfDxfLineType(std::string_view name)
{
    for (const auto& [host, dxf] : kStandardNames)
        if (SameIgnoringCase(name, dxf))
            return std::string(host);
    return std::nullopt;
}

} // namespace velrok::host
