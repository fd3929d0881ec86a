// Track unions on a few threads, largest track first, so that a long track started last does not
// keep the others waiting.
#include "output/SweptUnion.h"
#include "output/CoverUnion.h"

#include <algorithm>
#include <thread>

namespace velrok {

TrackRefs RefsOf(const TrackSet& set)
{
    TrackRefs refs;
    refs.reserve(set.size());
    for (const TrackPieces& track : set) {
        std::vector<const Ring*>& r = refs.emplace_back();
        r.reserve(track.size());
        for (const Ring& piece : track)
            r.push_back(&piece);
    }
    return refs;
}

PlaneRegion UnionOfSet(const TrackRefs& set, unsigned threads)
{
    if (std::optional<PlaneRegion> region = UnionByCover(set, threads))
        return std::move(*region);
    // The engine takes its own copies.
    TrackSet copies;
    copies.reserve(set.size());
    for (const std::vector<const Ring*>& track : set) {
        TrackPieces& pieces = copies.emplace_back();
        pieces.reserve(track.size());
        for (const Ring* piece : track)
            pieces.push_back(*piece);
    }
    std::vector<std::vector<PlaneRegion>> tracks = UnionsOfEachTrack({copies}, threads);
    return JoinTracks(std::move(tracks[0]));
}

PlaneRegion UnionOfSet(const TrackSet& set, unsigned threads)
{
    return UnionOfSet(RefsOf(set), threads);
}

unsigned SweptAreaThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxSweptThreads);
}

std::vector<std::vector<PlaneRegion>> UnionsOfEachTrack(const std::vector<TrackSet>& sets, unsigned threads)
{
    struct Task {
        size_t set, track, pieces;
    };
    std::vector<Task> tasks;
    std::vector<std::vector<PlaneRegion>> out(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        out[s].resize(sets[s].size());
        for (size_t t = 0; t < sets[s].size(); ++t)
            if (!sets[s][t].empty())
                tasks.push_back({s, t, sets[s][t].size()});
    }
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const Task& a, const Task& b) { return a.pieces > b.pieces; });
    RunSweptTasks(tasks.size(), threads, [&](size_t i) {
        const Task& t = tasks[i];
        out[t.set][t.track] = PlaneRegion::UnionOf(sets[t.set][t.track]);
    });
    return out;
}

PlaneRegion JoinTracks(std::vector<PlaneRegion> tracks)
{
    std::vector<PlaneRegion> filled;
    for (PlaneRegion& r : tracks)
        if (!r.IsEmpty())
            filled.push_back(std::move(r));
    if (filled.size() == 1)
        return std::move(filled.front());
    return filled.empty() ? PlaneRegion{} : PlaneRegion::Joined(filled);
}

std::vector<PlaneRegion> UnionsOfTracks(const std::vector<TrackSet>& sets, unsigned threads)
{
    std::vector<std::vector<PlaneRegion>> tracks = UnionsOfEachTrack(sets, threads);
    std::vector<PlaneRegion> out(sets.size());
    RunSweptTasks(sets.size(), threads, [&](size_t s) { out[s] = JoinTracks(std::move(tracks[s])); });
    return out;
}

} // namespace velrok
