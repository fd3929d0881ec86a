// The envelope of the worst case: a Triple Trailer dragged along a 998-unit winding path.
#include "output/DragAlongPath.h"
#include "output/Envelope.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velrok;

class QuietStatus : public StatusService {
  public:
    void SetPanel(int, const std::string&) override {}
    void SetProgressVisible(bool) override {}
    void SetProgressMaximum(int) override {}
    void SetProgressValue(int) override {}
    void RestoreWindow() override {}
};

void EnvelopeOf998UnitPath(benchmark::State& state, EnvelopeWalk walk)
{
    const testing::PathBuilder path = testing::WindingPath(998.0);
    testing::NullMessages messages;
    const testing::DraggedRun run =
        testing::DragAlongPath(testing::TripleTrailer(), path.Stations(), 10, messages);
    if (messages.count != 0 || run.cannotFollow != 0) {
        state.SkipWithError("the vehicle could not be dragged along the path");
        return;
    }
    QuietStatus status;
    size_t vertices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SweepRecords records = run.records; // the envelope sorts and trims the lists it is given
        state.ResumeTiming();
        const EnvelopePoints e =
            ComputeEnvelope(run.track, records, testing::kTripleTrailerLength, 2.6, status, walk);
        vertices = e.left.size() + e.right.size();
        benchmark::DoNotOptimize(e);
    }
    state.counters["stations"] = static_cast<double>(run.track.size());
    state.counters["lines"] =
        static_cast<double>(run.records.LeftSegmentLines.size() + run.records.RightSegmentLines.size());
    state.counters["vertices"] = static_cast<double>(vertices);
}

void BM_Envelope998(benchmark::State& state)
{
    EnvelopeOf998UnitPath(state, EnvelopeWalk::Grid);
}
BENCHMARK(BM_Envelope998)->Unit(benchmark::kMillisecond);

// The look-ahead stop with boxes of row groups instead of the grid, for comparison.
void BM_Envelope998Groups(benchmark::State& state)
{
    EnvelopeOf998UnitPath(state, EnvelopeWalk::StopAtLookAhead);
}
BENCHMARK(BM_Envelope998Groups)->Unit(benchmark::kMillisecond);

// The walk over every row, for comparison.
void BM_Envelope998FullWalk(benchmark::State& state)
{
    EnvelopeOf998UnitPath(state, EnvelopeWalk::Full);
}
BENCHMARK(BM_Envelope998FullWalk)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
