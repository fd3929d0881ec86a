// Drawing the swept envelope of a finished run.
#pragma once

#include "output/Envelope.h"
#include "output/PlotSegment.h"
#include "output/SegmentCorners.h"
#include "geometry/SweepTypes.h"

#include <vector>

namespace velrok {

// Resolves the "Envelope" style, computes the envelope (ComputeEnvelope; `pathTrack` holds the
// filled stations only, the segment line lists end up sorted without their empty row), draws the
// right line, then the left one, at z = -0.1, and commits the group. A side with fewer than two
// vertices is not drawn. Has no error report of its own: failures propagate to the caller's trap.
// Returns the vertices found on each side.
EnvelopePoints EvaluateEnvelope(const PlotContext& ctx, const std::vector<PathTrackEntry>& pathTrack,
                                SweepRecords& records, const std::vector<SegmentSpec>& segments,
                                double fordonslen);

} // namespace velrok
