// The union of a run's swept pieces without an overlay. An edge of a piece bounds the union
// exactly where no other piece covers it, so what is left of the pieces' edges, once each is cut
// by the pieces near it, is the union's boundary; those bits are then linked into rings. The
// pieces of a track overlap their neighbours many times over, which is what makes an overlay slow
// and what lets nearly every edge here be settled by one or two neighbours.
#pragma once

#include "output/PlaneRegion.h"
#include "output/SweptUnion.h"

#include <optional>
#include <vector>

namespace velrok {

// Edges closer than this to a line lie on it (times the size of the run): far above the rounding
// of a crossing point, far below anything drawn ...
inline constexpr double kCoverTolerance = 1e-11;
// ... plus this many times the rounding of the coordinates themselves (far from 0, in survey
// coordinates, it is what sets the noise of every point).
inline constexpr double kCoverRoundings = 64.0;
// ... and this much more per unit of length of the edge: two straight runs of the same heading,
// each worked out on its own, may differ that much in slope.
inline constexpr double kCoverSlope = 1e-9;
// Ends of boundary bits closer than this are one point when none matches exactly (times the size
// of the run, plus 16 times the roundings above).
inline constexpr double kCoverLinkTolerance = 1e-9;

// The grid's cells, times the median of the pieces' narrower side.
inline constexpr double kCoverCell = 0.5;
// ... but no more cells than this for each piece: the run's box is wide and its band thin, and
// empty cells cost more to make than the finer search saves.
inline constexpr double kCoverCellsPerPiece = 8.0;
// How many times the union by cover is tried, each time leaving more pieces to the engine.
inline constexpr int kCoverRounds = 8;
// What the engine made of the pieces left out is joined with the rest in a window this many grid
// cells wider than those pieces ...
inline constexpr double kCoverWindow = 4.0;
// ... whose sides keep this far (times the window's size) from every point of a ring.
inline constexpr double kCoverWindowClearance = 1e-7;

// Whether an edge is tried on runs of a track's pieces, each passed over at once where the edge
// lies well outside all of them, before their pieces: where the grid's cells list many pieces
// (pieces many steps long), always, or never. The union is the same (the last two are for tests).
enum class CoverRuns { WhenCrowded, Always, Never };

// The union of every piece of the set's tracks. Each piece is a counter-clockwise convex ring,
// perhaps with notches (a hull edge u->v given as u->x->v with x inside, as the swept outlines
// are); the pieces of a track come in run order. Where two pieces share an edge on the same side,
// the earlier one keeps it. Where the bits do not link into rings (a tie the tolerances did not
// settle), the pieces around the loose ends go to the engine, and the two parts are joined by
// the engine in a window round those pieces only (over the whole, when that does not work out).
// Nothing when a piece is of another shape, or the bits still do not link after kCoverRounds
// tries, or the rings are not valid: the caller then takes the engine's union. Works on up to
// `threads` threads. Throws GeometryError when the engine fails.
std::optional<PlaneRegion> UnionByCover(const TrackRefs& set, unsigned threads,
                                        CoverRuns runs = CoverRuns::WhenCrowded);
std::optional<PlaneRegion> UnionByCover(const TrackSet& set, unsigned threads,
                                        CoverRuns runs = CoverRuns::WhenCrowded);

} // namespace velrok
