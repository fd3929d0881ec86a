// Unions of a run's swept pieces, track by track on several threads. The pieces of one track (a
// unit's body, or one tyre) overlap their neighbours along the run many times over, while
// different tracks meet far less, so each track is one union of its own, the tracks are spread
// over the threads, and each set's track results are then joined.
#pragma once

#include "output/PlaneRegion.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace velrok {

// Runs task(i) for each i in [0, count) on up to `threads` threads, the caller's among them; a
// shared counter hands out the indices in order. Once all tasks have finished, the first
// exception (by index) that a task threw is thrown again.
template <class Task> void RunSweptTasks(size_t count, unsigned threads, Task task)
{
    std::atomic<size_t> next{0};
    std::vector<std::exception_ptr> errors(count);
    auto work = [&] {
        for (size_t i = next++; i < count; i = next++) {
            try {
                task(i);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        }
    };
    const size_t workers = std::min<size_t>(std::max(threads, 1u), count);
    std::vector<std::thread> pool;
    for (size_t t = 1; t < workers; ++t) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no more threads to be had: those there are do the rest
        }
    }
    work();
    for (std::thread& t : pool)
        t.join();
    for (const std::exception_ptr& e : errors)
        if (e)
            std::rethrow_exception(e);
}

using TrackPieces = std::vector<Ring>;     // the pieces of one track, as UnionOf takes them
using TrackSet = std::vector<TrackPieces>; // the tracks of one area (the body, the tyres)
// The same by reference, as the swept area holds its pieces: each is kept once, where it was made.
using TrackRefs = std::vector<std::vector<const Ring*>>;
TrackRefs RefsOf(const TrackSet& set);

// One region per set: the union of every piece of its tracks, the same region as
// PlaneRegion::UnionOf of all of them. Works on up to `threads` threads (at least one; the
// caller's among them); each track and each join has an engine context of its own. Throws the
// first GeometryError a track or join met.
std::vector<PlaneRegion> UnionsOfTracks(const std::vector<TrackSet>& sets, unsigned threads);
// Its two steps: the union of each track by itself (largest first, spread over the threads), one
// region per track of each set, and the union of one set's track regions.
std::vector<std::vector<PlaneRegion>> UnionsOfEachTrack(const std::vector<TrackSet>& sets, unsigned threads);
PlaneRegion JoinTracks(std::vector<PlaneRegion> tracks);
// The union of one set: by cover where that settles it (UnionByCover), otherwise by the engine as
// UnionsOfTracks makes it. Throws GeometryError when the engine fails.
PlaneRegion UnionOfSet(const TrackRefs& set, unsigned threads);
PlaneRegion UnionOfSet(const TrackSet& set, unsigned threads);

// The threads the swept area works on: the cores the machine reports, at least one, at most
// kMaxSweptThreads.
inline constexpr unsigned kMaxSweptThreads = 8;
unsigned SweptAreaThreads();

} // namespace velrok
