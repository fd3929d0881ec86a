// DXF reading and writing speed, and sampling a path at the sweep's station step.
#include "host/DxfReader.h"
#include "host/DxfWriter.h"
#include "host/InMemoryDrawing.h"

#include "TestPaths.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <string>

namespace {

using namespace velrok;
using namespace velrok::host;

// A drawing of line strings like a sweep run leaves behind, on a few levels, in one group.
std::shared_ptr<InMemoryDrawing> LineStrings(int count, int vertices)
{
    auto d = std::make_shared<InMemoryDrawing>();
    LevelHandle levels[] = {d->AddNewLevel("Velrok_Vehicle"), d->AddNewLevel("Velrok_LeftSweep"),
                            d->AddNewLevel("Velrok_RightSweep")};
    NamedGroupHandle group = d->AddNewNamedGroup("517201208143000");
    std::vector<Point3d> points(static_cast<size_t>(vertices));
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < vertices; ++k)
            points[k] = {i * 0.2 + std::cos(k * 0.7) * 1.3, std::sin(i * 0.001) * 50 + k * 0.41, -0.1};
        ElementHandle h = d->CreateLineElement1(points);
        d->SetLevel(h, levels[i % 3]);
        d->SetColor(h, i % 8);
        d->AddElement(h);
        d->AddGroupMember(group, h);
    }
    d->CommitGroup(group);
    return d;
}

void BM_WriteDxf100kLineStrings(benchmark::State& state)
{
    auto d = LineStrings(100000, 5);
    const std::string path = VELROK_BINARY_DIR "/bench_write.dxf";
    std::string error;
    for (auto _ : state) {
        if (!WriteDxfFile(*d, path, error))
            state.SkipWithError(error.c_str());
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    state.counters["MB"] = static_cast<double>(in.tellg()) / 1e6;
}
BENCHMARK(BM_WriteDxf100kLineStrings)->Unit(benchmark::kMillisecond);

void BM_ReadDxf10MB(benchmark::State& state)
{
    // About 10 MB of line strings with every attribute a real file carries.
    const std::string path = VELROK_BINARY_DIR "/bench_read.dxf";
    std::string error;
    if (!WriteDxfFile(*LineStrings(25000, 6), path, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    size_t elements = 0;
    for (auto _ : state) {
        DxfImport r = ReadDxfFile(path);
        if (!r.ok()) {
            state.SkipWithError(r.error.c_str());
            break;
        }
        elements = r.drawing->ModelElements().size();
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    state.counters["MB"] = static_cast<double>(in.tellg()) / 1e6;
    state.counters["elements"] = static_cast<double>(elements);
}
BENCHMARK(BM_ReadDxf10MB)->Unit(benchmark::kMillisecond);

// 5000 stations along a 998-unit polyline of straights and bulged arcs, through the host interface.
void BM_Sample5000Stations(benchmark::State& state)
{
    InMemoryDrawing d;
    DrawingElement path;
    path.kind = ElementKind::Polyline;
    for (int i = 0; i <= 200; ++i) {
        path.vertices.push_back({i * 4.0, (i % 2) * 1.5, 0});
        path.extras->bulges.push_back(i % 3 == 0 ? 0.2 : 0.0);
    }
    // Scaled so the path is exactly as long as a path may be; bulges do not change with scale.
    const double scale = 998.0 / PathCurve::FromVertices(path.vertices, path.extras->bulges, false).Length();
    for (Point3d& p : path.vertices)
        p = {p.x * scale, p.y * scale, 0};
    ElementHandle h = d.AddNewElement(path);
    CadHost& host = d;
    const double length = host.Length(h);
    const double step = length / 5000.0;
    for (auto _ : state) {
        double sum = 0.0;
        for (int s = 0; s < 5000; ++s)
            sum += host.PointAtDistance(h, s * step).x;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["length"] = length;
}
BENCHMARK(BM_Sample5000Stations)->Unit(benchmark::kMicrosecond);

} // namespace
