// The marker drawn where the angle between two units exceeded its limit.
#pragma once

#include "output/PlotSegment.h"
#include "output/SegmentCorners.h"

#include <string>

namespace velrok {

inline constexpr double kMarkerLegLength = 5.0; // drawing units
inline constexpr int kMarkerColor = 3;          // host colour number, with level only (no style)

// Two 5-unit legs from the offending unit's lead point V (point 0 of `current`): one towards the
// lead point of the unit ahead (point 0 of `previous`), one along the offending unit's axis forward
// (away from `rearAxle`); and |angleDeg| rounded to one decimal, half to even, as text at the
// midpoint of the leg ends. Both at z = 0 on the level `levelName`, then the group is committed.
// A failure is reported as "<description> Plot Exceede Segment angle"; returns false then.
bool PlotExceededSegmentAngle(const PlotContext& ctx, const SegmentCorners& previous,
                              const SegmentCorners& current, Point2d rearAxle, double angleDeg,
                              const std::string& levelName);

} // namespace velrok
