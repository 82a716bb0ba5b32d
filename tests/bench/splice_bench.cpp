// The three ENTITIES splices on a large export, against a plain load and save of the
// same file: the splices must cost about as much as copying the list, not grow with
// its square. Prints figures; passes or fails on nothing.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "generated_export.h"
#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "iso/dxf_writer.h"
#include "iso/face_walk.h"
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

// Height lines of a full entity table: 500 line rows, 1000 points.
std::string HeightLines() {
    EntityTableRows table;
    ClearEntityTable(table);
    for (int i = 0; i < kEntityRows; ++i) table[i] = {0, "0", i * 1.0, 0, i * 1.0, 5, 0};
    HeightInputs inputs;
    inputs.Height = 10;
    inputs.FigureKind = "既存図形";
    return HeightLineText(table, inputs);
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

// Each splice the way a draw command runs it: load, splice, save.
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
const std::string& Heights() {
    static const std::string text = HeightLines();
    return text;
}

bool Splice1(DxfLines& lines) { return static_cast<bool>(ReplaceSectionEntities(lines, Figure())); }
bool Splice2(DxfLines& lines) { return static_cast<bool>(AppendRaisedCopy(lines, 14.142135623731)); }
bool Splice3(DxfLines& lines) { return static_cast<bool>(InsertAtSectionEnd(lines, Heights())); }
bool Splices2And3(DxfLines& lines) { return Splice2(lines) && Splice3(lines); }

BENCHMARK(LoadAndSave)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadSpliceSave, splice1_fill, Splice1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadSpliceSave, splice2_raised_copy, Splice2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadSpliceSave, splice3_height_lines, Splice3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadSpliceSave, splices2_and_3, Splices2And3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpliceOnly, splice1_fill, Splice1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpliceOnly, splice2_raised_copy, Splice2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SpliceOnly, splice3_height_lines, Splice3)->Unit(benchmark::kMillisecond);

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
