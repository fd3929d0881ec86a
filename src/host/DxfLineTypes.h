// How the host's line styles appear as DXF line types: the solid style "0" is CONTINUOUS, the
// seven dashed standard styles have descriptive names of their own, and any other style (one
// read from a file) keeps its name.
#pragma once

#include "host/InMemoryDrawing.h"

#include <optional>
#include <string>
#include <string_view>

namespace velrok::host {

inline constexpr const char* kDxfContinuous = "Continuous";

// BYLAYER, BYBLOCK and CONTINUOUS, which every drawing has.
bool IsDxfSpecialLineType(std::string_view name);
// The DXF line type name a host style is written under.
std::string DxfLineTypeName(const DrawingLineStyle& style);
// The standard host style ("1" to "7") a DXF line type name stands for, if it is one of ours.
std::optional<std::string> StandardStyleOfDxfLineType(std::string_view name);

} // namespace velrok::host
