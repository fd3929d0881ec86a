// A quick check that polygons are valid, for the unions that make tens of thousands of edges: the
// engine's own check of such a region costs more than much of the union did.
#pragma once

#include "output/PlaneRegion.h"

#include <vector>

namespace velrok {

// True when the polygons are plainly valid: every ring has three points or more, no two edges
// have a point in common (save an edge and the next, at the point they share), each hole lies
// inside its outer ring and outside the polygon's other holes, and no outer ring lies in another
// polygon's area. Each of those is told only where rounding cannot have changed the answer, so
// that the engine, which works exactly, finds the polygons valid too. False says only "not
// plainly": rings that touch may still be valid, and the engine must judge those. On up to
// `threads` threads (the caller's among them).
bool ClearlyValid(const std::vector<RegionPolygon>& polygons, unsigned threads = 1);

} // namespace velrok
