// The host colour table and how host colours and line weights map to DXF colour indexes and
// line weights, shared by the DXF reader and writer and the SVG writer.
#pragma once

#include <cstdint>
#include <string>

namespace velrok::host {

inline constexpr int kAciByLayer = 256;
inline constexpr int kLineweightByLayer = -1;

// Host colour -> AutoCAD colour index: white 0->7, blue 1->5, green 2->3, red 3->1, yellow 4->2,
// magenta 5->6, cyan 7->4; by-level and every other number -> BYLAYER (256).
int HostColorToAci(int hostColor);
// The reverse for the seven colours above; -1 when the host table has no entry for that index.
int AciToHostColor(int aci);

// Host weights 0..31 spread over the standard DXF line weights (hundredths of a millimetre),
// never decreasing; -1 (by level) -> BYLAYER (-1).
int WeightToLineweight(int weight);
// The smallest host weight written as at least this line weight; negative (by layer, by block,
// default) -> -1.
int LineweightToWeight(int lineweight);

// "#rrggbb" for a host colour, or for an AutoCAD colour index the host table lacks.
std::string HostColorRgb(int hostColor);
std::string AciRgb(int aci);

} // namespace velrok::host
