// Speed of turning kept DXF entities into the pieces the drawing shows: a parking-bay array of a
// block with arcs and a solid hatch, a hatch boundary of many edges, and multi-line text codes.
#include "host/DxfShapes.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace velrok;
using namespace velrok::host;

class Blocks : public DxfBlockLookup {
  public:
    DxfTagSpan Tags(const std::vector<std::pair<int, std::string>>& list)
    {
        std::vector<DxfTag>& tags = m_lists.emplace_back();
        for (const auto& [code, value] : list)
            tags.push_back({code, m_texts.emplace_back(value)});
        return tags;
    }
    std::map<std::string, DxfBlockDef, std::less<>> blocks;
    const DxfBlockDef* FindBlock(std::string_view name) const override
    {
        const auto it = blocks.find(name);
        return it == blocks.end() ? nullptr : &it->second;
    }

  private:
    std::deque<std::string> m_texts;
    std::deque<std::vector<DxfTag>> m_lists;
};

// One bay: two lines, a wheel stop arc, a solid hatch with an arc edge and a number.
void AddBay(Blocks& b)
{
    DxfBlockDef bay{"BAY", {}, {}};
    bay.entities.push_back({b.Tags({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "5"}}), {}});
    bay.entities.push_back({b.Tags({{0, "LINE"}, {10, "2.5"}, {20, "0"}, {11, "2.5"}, {21, "5"}}), {}});
    bay.entities.push_back(
        {b.Tags({{0, "ARC"}, {10, "1.25"}, {20, "0.5"}, {40, "0.8"}, {50, "0"}, {51, "180"}}), {}});
    bay.entities.push_back({b.Tags({{0, "HATCH"},
                                    {70, "1"},
                                    {91, "1"},
                                    {92, "1"},
                                    {93, "2"},
                                    {72, "1"},
                                    {10, "0.45"},
                                    {20, "4"},
                                    {11, "2.05"},
                                    {21, "4"},
                                    {72, "2"},
                                    {10, "1.25"},
                                    {20, "4"},
                                    {40, "0.8"},
                                    {50, "0"},
                                    {51, "180"},
                                    {73, "1"},
                                    {97, "0"}}),
                            {}});
    bay.entities.push_back(
        {b.Tags({{0, "MTEXT"}, {10, "1"}, {20, "2"}, {40, "0.4"}, {71, "5"}, {1, "{\\H1.2x;P}\\P\\S1^2;"}}),
         {}});
    b.blocks["BAY"] = std::move(bay);
}

void BM_ShapesOfBayArray(benchmark::State& state)
{
    Blocks b;
    AddBay(b);
    const std::string side = std::to_string(state.range(0));
    const DxfEntityTags array{b.Tags({{0, "INSERT"},
                                      {2, "BAY"},
                                      {10, "0"},
                                      {20, "0"},
                                      {50, "12"},
                                      {70, side},
                                      {71, side},
                                      {44, "2.5"},
                                      {45, "5.5"}}),
                              {}};
    size_t points = 0;
    for (auto _ : state) {
        const auto shapes = ShapesOfEntity(array, b);
        points = 0;
        for (const ShownPiece& p : shapes->pieces)
            points += p.points.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["bays"] = static_cast<double>(state.range(0) * state.range(0));
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_ShapesOfBayArray)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ShapesOfHatchWithManyEdges(benchmark::State& state)
{
    Blocks b;
    const int edges = static_cast<int>(state.range(0));
    std::vector<std::pair<int, std::string>> tags{
        {0, "HATCH"}, {70, "1"}, {91, "1"}, {92, "1"}, {93, std::to_string(edges)}};
    // A ring of arcs, each bulging out a little.
    for (int i = 0; i < edges; ++i) {
        const double a = 360.0 * i / edges;
        tags.insert(tags.end(), {{72, "2"},
                                 {10, std::to_string(100 * std::cos(a * 3.14159265 / 180))},
                                 {20, std::to_string(100 * std::sin(a * 3.14159265 / 180))},
                                 {40, "5"},
                                 {50, std::to_string(a)},
                                 {51, std::to_string(a + 90)},
                                 {73, "1"}});
    }
    const DxfEntityTags hatch{b.Tags(tags), {}};
    for (auto _ : state)
        benchmark::DoNotOptimize(ShapesOfEntity(hatch, b));
}
BENCHMARK(BM_ShapesOfHatchWithManyEdges)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PlainMText(benchmark::State& state)
{
    std::string raw;
    for (int i = 0; i < 1000; ++i)
        raw += "{\\fArial|b0|i0;Bay\\~" + std::to_string(i) + "} \\H0.7x;\\S1^2;%%d\\P";
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainMText(raw));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(raw.size()));
}
BENCHMARK(BM_PlainMText);

} // namespace
