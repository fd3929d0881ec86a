// Drawing the clearance envelope and the conflicts of a run into its named group.
#pragma once

#include "output/Conflicts.h"
#include "output/PlaneRegion.h"
#include "output/PlotSegment.h"

namespace velrok {

inline constexpr int kClearanceColor = 4;  // "Cyan"
inline constexpr int kConflictsColor = 1;  // "Red"
inline constexpr double kConflictMarkerRadius = 0.5;

// Every ring of the envelope as a closed line string at z = -0.1, style "Clearance" (level
// "Velrok_Clearance"); commits the group.
void PlotClearanceEnvelope(const PlotContext& ctx, const PlaneRegion& envelope);

// Each conflict's inside pieces as line strings, a circle at the point where the vehicle first
// meets it and a text naming the class and that station ("Kerb at station 41.8"), at z = 0, style
// "Conflicts" (level "Velrok_Conflicts"); commits the group.
void PlotConflicts(const PlotContext& ctx, const ConflictResult& result);

} // namespace velrok
