// Runs and checks the swept-area union tests share: a few vehicles along paths that turn, fold
// back and stand still, and the comparison of a region with the engine's union of every piece.
#pragma once

#include "output/DragAlongPath.h"
#include "output/SweptArea.h"
#include "output/SweptUnion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velrok::testing {

inline constexpr double kPi = 3.141592653589793;

struct Case {
    const char* name;
    std::vector<SegmentSpec> units;
    int vType;
    PathBuilder path;
};

inline SweptFootprints FootprintsOf(const Case& c, std::vector<PathTrackEntry>* track = nullptr)
{
    NullMessages messages;
    const auto run = DragAlongPath(c.units, c.path.Stations(), c.vType, messages);
    SweptFootprints f;
    for (size_t s = 0; s < run.corners.size(); ++s)
        for (size_t k = 0; k < c.units.size(); ++k)
            f.Add(k, run.track[s].station, run.corners[s][k], c.units[k]);
    if (track)
        *track = run.track;
    return f;
}

inline std::vector<Case> Cases()
{
    std::vector<Case> out;
    {
        PathBuilder p({5.0, -3.0}, 0.4);
        p.Line(20.0).Arc(12.0, kPi / 2.0).Line(10.0).Arc(15.0, -0.6 * kPi).Line(20.0);
        out.push_back({"SemiTrailerWinding", SemiTrailer(), 2, p});
    }
    {
        // Out and back over the same ground: late pieces lie over early ones of the same track.
        PathBuilder p({0.0, 0.0}, 0.0);
        p.Line(15.0).Arc(6.5, kPi).Line(15.0).Arc(6.5, -kPi).Line(10.0);
        out.push_back({"TruckUTurn", Truck(), 1, p});
    }
    {
        PathBuilder p({-20.0, 7.0}, -0.3);
        p.Line(60.0);
        out.push_back({"TruckStraight", Truck(), 1, p});
    }
    out.push_back({"TripleTrailerWinding", TripleTrailer(), 10, WindingPath(220.0)});
    return out;
}

inline size_t RingCount(const PlaneRegion& r)
{
    size_t n = 0;
    for (const RegionPolygon& p : r.Polygons())
        n += 1 + p.holes.size();
    return n;
}

inline TrackSet SetOf(const SweptFootprints& f, bool wheels)
{
    TrackSet set;
    for (const std::vector<SweptHull>& track : SweptHullTracks(f, wheels, true)) {
        TrackPieces& pieces = set.emplace_back();
        for (const SweptHull& h : track)
            pieces.push_back(h.outline);
    }
    return set;
}

// Today's way: one union of every piece of the area.
inline PlaneRegion ReferenceUnion(const TrackSet& set)
{
    std::vector<Ring> all;
    for (const TrackPieces& t : set)
        all.insert(all.end(), t.begin(), t.end());
    return PlaneRegion::UnionOf(all);
}

inline void ExpectSameRegion(const PlaneRegion& got, const PlaneRegion& want, const std::string& what)
{
    SCOPED_TRACE(what);
    const double area = want.Area();
    ASSERT_GT(area, 0.0);
    EXPECT_NEAR(got.Area(), area, 1e-9 * area);
    EXPECT_EQ(RingCount(got), RingCount(want));
    EXPECT_LT(got.SymDifference(want).Area(), 1e-7 * area);
}

} // namespace velrok::testing
