// The template fill's ENTITIES splice on a large export, against a plain load and save
// of the same file: the splice must cost about as much as copying the list, not grow
// with its square. (The raised copy and the height lines are the figure rewrite's:
// rewrite_bench.) Prints figures; passes or fails on nothing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "generated_export.h"
#include "dxf_data/dxf_lines.h"
#include "iso/dxf_writer.h"
#include "dxf_data/number_text.h"

namespace tessavue {
namespace {

constexpr int kEntities = 100000;

std::filesystem::path GeneratedExport() {
    static const std::filesystem::path path = [] {
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "tessavue-splice-bench.dxf";
        WriteGeneratedExport(file, kEntities);
        return file;
    }();
    return path;
}

std::filesystem::path Output() { return std::filesystem::temp_directory_path() / "tessavue-splice-bench-out.dxf"; }

// A figure of a few hundred records, as a parametric figure would write.
std::string FigureText(int records) {
    std::string text;
    for (int i = 0; i < records; ++i) text += LineRecord("0", i, 0, i, 10);
    return text;
}

void SetLineCount(benchmark::State& state, const DxfLines& lines) {
    state.counters["lines"] = static_cast<double>(lines.size());
}

void LoadAndSave(benchmark::State& state) {
    const std::filesystem::path in = GeneratedExport();
    DxfLines last;
    for (auto _ : state) {
        auto lines = LoadDxfLines(in);
        if (!lines || !SaveDxfLines(Output(), *lines)) state.SkipWithError("load or save failed");
        else last = std::move(*lines);
    }
    SetLineCount(state, last);
}

// The splice the way the template fill runs it: load, splice, save.
template <typename Splice>
void LoadSpliceSave(benchmark::State& state, Splice splice) {
    const std::filesystem::path in = GeneratedExport();
    DxfLines last;
    for (auto _ : state) {
        auto lines = LoadDxfLines(in);
        if (!lines || !splice(*lines) || !SaveDxfLines(Output(), *lines)) state.SkipWithError("splice failed");
        else last = std::move(*lines);
    }
    SetLineCount(state, last);
}

// The splice alone, on a fresh copy of the loaded list each time.
template <typename Splice>
void SpliceOnly(benchmark::State& state, Splice splice) {
    const auto loaded = LoadDxfLines(GeneratedExport());
    if (!loaded) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        DxfLines lines = *loaded;
        state.ResumeTiming();
        if (!splice(lines)) state.SkipWithError("splice failed");
        benchmark::DoNotOptimize(lines.data());
        state.PauseTiming();
        lines = DxfLines();  // the release is not the splice's cost
        state.ResumeTiming();
    }
    SetLineCount(state, *loaded);
}

const std::string& Figure() {
    static const std::string text = FigureText(200);
    return text;
}

bool Splice1(DxfLines& lines) { return static_cast<bool>(ReplaceSectionEntities(lines, Figure())); }

BENCHMARK(LoadAndSave)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadSpliceSave, splice1_fill, Splice1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpliceOnly, splice1_fill, Splice1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessavue

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("ENTITIES section of %d entities (%s)\n", tessavue::kEntities,
                tessavue::GeneratedExport().string().c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove(tessavue::GeneratedExport(), ignored);
    std::filesystem::remove(tessavue::Output(), ignored);
    return 0;
}
