// Drawing the sweep lines: one polyline per unit for each of the eight traced points.
#pragma once

#include "output/PlotSegment.h"
#include "output/SegmentCorners.h"
#include "geometry/SweepTypes.h"

#include <string>
#include <vector>

namespace velrok {

// Draws the eight sweep point lists of `records` (row 0 never drawn) unit by unit, at z = -0.1,
// then commits the group. The three level names are found or created along the way, as the sweep
// run expects them to exist afterwards. A unit abandoned at a drawbar row (flag 0), or left with
// fewer than two vertices, gets no line. A failure is reported as "<description> PlotSweeplines";
// returns false then.
bool PlotSweeplines(const PlotContext& ctx, const SweepRecords& records,
                    const std::vector<SegmentSpec>& segments, const std::string& LayerLeft,
                    const std::string& LayerRight, const std::string& Layerwheel);

} // namespace velrok
