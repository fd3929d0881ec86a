// Loading and saving a large project drawing kept whole: a generated file of a quarter million
// and of one million entities (100 MB), to show that time and memory grow linearly. Run each
// benchmark and size in a process of its own (--benchmark_filter='BM_LoadAndSave/1000000$') so
// the peak memory counter, the process's peak resident size above what it held before the file
// was made, belongs to that run alone.
#include "host/DxfDocument.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace velrok::host;


double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1e3; // kilobytes on Linux
}

// Kerbs, trees and notes as a project drawing holds them: lines and arcs with handles, owners,
// layers and XDATA, block references and points, padded to about 100 bytes an entity.
std::string ProjectDrawing(int entities)
{
    std::string t;
    t.reserve(static_cast<size_t>(entities) * 112 + 4096);
    t += "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$HANDSEED\n5\nFFFFFF\n0\nENDSEC\n"
         "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n5\n2\n70\n2\n0\nLAYER\n5\n10\n2\nKERB\n70\n0\n62\n8\n6\n"
         "CONTINUOUS\n0\nLAYER\n5\n11\n2\nTREES\n70\n0\n62\n3\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
         "0\nSECTION\n2\nENTITIES\n";
    char buffer[256];
    for (int i = 0; i < entities; ++i) {
        const double x = (i % 1000) * 1.25, y = (i / 1000) * 0.75;
        int n = 0;
        switch (i % 4) {
        case 0:
        case 1:
            n = std::snprintf(buffer, sizeof buffer,
                              "0\nLINE\n5\n%X\n330\n1F\n100\nAcDbEntity\n8\nKERB\n100\nAcDbLine\n10\n%.3f\n20\n%.3f\n"
                              "11\n%.3f\n21\n%.3f\n",
                              i + 0x100, x, y, x + 1.0, y + 0.5);
            break;
        case 2:
            n = std::snprintf(buffer, sizeof buffer,
                              "0\nINSERT\n5\n%X\n330\n1F\n100\nAcDbEntity\n8\nTREES\n2\nTREE\n10\n%.3f\n20\n%.3f\n"
                              "1001\nVELROK\n1000\nok\n",
                              i + 0x100, x, y);
            break;
        default:
            n = std::snprintf(buffer, sizeof buffer,
                              "0\nARC\n5\n%X\n330\n1F\n100\nAcDbEntity\n8\nKERB\n10\n%.3f\n20\n%.3f\n40\n2.5\n50\n0\n"
                              "51\n90\n",
                              i + 0x100, x, y);
            break;
        }
        t.append(buffer, static_cast<size_t>(n));
    }
    t += "0\nENDSEC\n0\nEOF\n";
    return t;
}

// Nothing but short plain lines, as a survey export holds them: about 70 bytes an entity, so the
// elements weigh more against the file than in a mixed drawing.
std::string LinesDrawing(int entities)
{
    std::string t;
    t.reserve(static_cast<size_t>(entities) * 80 + 256);
    t += "0\nSECTION\n2\nENTITIES\n";
    char buffer[160];
    for (int i = 0; i < entities; ++i) {
        const double x = (i % 1000) * 1.25, y = (i / 1000) * 0.75;
        const int n = std::snprintf(buffer, sizeof buffer, "0\nLINE\n5\n%X\n8\nKERB\n10\n%.3f\n20\n%.3f\n11\n%.3f\n21\n%.3f\n",
                                    i + 0x100, x, y, x + 1.0, y + 0.5);
        t.append(buffer, static_cast<size_t>(n));
    }
    t += "0\nENDSEC\n0\nEOF\n";
    return t;
}

void Report(benchmark::State& state, double before, size_t fileBytes)
{
    const double file = static_cast<double>(fileBytes) / 1e6;
    state.counters["file_MB"] = file;
    state.counters["peak_MB"] = PeakMegabytes() - before;
    state.counters["peak_per_file"] = (PeakMegabytes() - before) / file;
}

// The document alone: one buffer of the file and the tags as views into it.
void BM_DocumentParse(benchmark::State& state)
{
    const double before = ResidentMegabytes();
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string text = ProjectDrawing(static_cast<int>(state.range(0)));
        bytes = text.size();
        state.ResumeTiming();
        DxfDocument::Parsed p = DxfDocument::Parse(std::move(text));
        if (!p.document)
            state.SkipWithError(p.error.c_str());
        benchmark::DoNotOptimize(p.document->Entities().size());
    }
    Report(state, before, bytes);
}
BENCHMARK(BM_DocumentParse)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(250'000)->Arg(1'000'000);

// What opening and saving costs the user: the drawing read from its file with its elements built,
// then saved as the drawing window saves it. The file is written before the clock starts and its
// text let go, so what is measured is what the program holds, not the generator's buffer.
void LoadAndSave(benchmark::State& state, std::string text)
{
    const std::string path = "/tmp/velrok-bench-" + std::to_string(::getpid()) + ".dxf";
    const std::string saved = path + ".saved.dxf";
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    const size_t bytes = text.size();
    std::string().swap(text);
    for (auto _ : state) {
        DxfImport r = ReadDxfFile(path);
        if (!r.ok()) {
            state.SkipWithError(r.error.c_str());
            break;
        }
        std::string error;
        if (!WriteDxfFile(*r.drawing, saved, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::remove(path.c_str());
    std::remove(saved.c_str());
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

// A drawing `make` writes, loaded and saved; the peak set against its file.
void LoadAndSaveOf(benchmark::State& state, std::string (*make)(int))
{
    const double before = ResidentMegabytes();
    size_t bytes = 0;
    {
        std::string text = make(static_cast<int>(state.range(0)));
        bytes = text.size();
        LoadAndSave(state, std::move(text));
    }
    Report(state, before, bytes);
}

void BM_LoadAndSave(benchmark::State& state) { LoadAndSaveOf(state, ProjectDrawing); }
BENCHMARK(BM_LoadAndSave)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(250'000)->Arg(1'000'000);

void BM_LoadAndSaveLines(benchmark::State& state) { LoadAndSaveOf(state, LinesDrawing); }
BENCHMARK(BM_LoadAndSaveLines)->Unit(benchmark::kMillisecond)->Iterations(1)->Arg(1'000'000);


} // namespace
