// The plan reader on a large nested plan, against a plain load of the same file:
// the walk over every placed entity (all rows, no table), the read into the entity
// table (it stops at 500 rows) and a hidden array that runs into the work bound.
// Prints figures; passes or fails on nothing.
//
// The plan: 40 references to PLANT (scaled unevenly, turned), each holding 20
// FLANGE (turned, mirrored half of them), each holding a circle and 8 BOLT (a hexagon
// as a closed polyline with a bulged side, and a circle): 40 x 20 x (1 + 8 x 7) =
// 45,600 rows, plus 20,000 lines of the plan itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "dxf_data/dxf_lines.h"
#include "import/plan_reader.h"
#include "dxf_text.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

using testing::DxfText;

struct Quiet : MessageSink {
    void ShowConfirmation(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
};

const std::filesystem::path& NestedPlan() {
    static const std::filesystem::path path = [] {
        DxfText t;
        t.Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1015").End();
        t.LayerTable({{"0"}, {"BOLTS"}, {"HIDDEN", -7}});
        t.Begin("BLOCKS");
        std::vector<DxfText::Vertex> hexagon;
        for (int i = 0; i < 6; ++i) {
            const double a = i * 1.0471975511965976;
            hexagon.push_back({0.8660254037844386 * std::cos(a), 0.8660254037844386 * std::sin(a), i == 0 ? 0.2 : 0});
        }
        t.Block("BOLT", 0.1234567890123457, -0.0987654321098765)
            .BulgedLwpolyline(hexagon, true, "BOLTS")
            .Circle(0, 0, 0.4330127018922193)
            .EndBlock();
        t.Block("FLANGE", 0, 0).Circle(0, 0, 5.123456789012345);
        for (int i = 0; i < 8; ++i) {
            const double a = i * 0.7853981633974483;
            t.Insert("BOLT", 4 * std::cos(a), 4 * std::sin(a), {1, 1, i * 45.0});
        }
        t.EndBlock();
        t.Block("PLANT", 1.5, -2.5);
        for (int i = 0; i < 20; ++i) t.Insert("FLANGE", i * 12.5, (i % 4) * 11.25, {i % 2 ? -1.0 : 1.0, 1, i * 7.5});
        t.EndBlock();
        t.Block("HIDDEN_GRID", 0, 0).LineEntity(0, 0, 1, 1, "HIDDEN").EndBlock();
        t.End().Begin("ENTITIES");
        for (int i = 0; i < 40; ++i) t.Insert("PLANT", (i % 8) * 300.0, (i / 8) * 60.0, {1.25, 0.75, 15});
        for (int i = 0; i < 20000; ++i) t.LineEntity(i * 0.5, -100.0 - i % 7, i * 0.5 + 0.25, -90.0 - i % 5);
        t.End().Eof();
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "tessavue-plan-bench.dxf";
        testing::WriteFile(file, t.str());
        return file;
    }();
    return path;
}

const std::filesystem::path& HiddenArray() {
    static const std::filesystem::path path = [] {
        DxfText t;
        t.LayerTable({{"HIDDEN", -7}});
        t.Begin("BLOCKS").Block("H", 0, 0).LineEntity(0, 0, 1, 1, "HIDDEN").EndBlock().End();
        t.Begin("ENTITIES").Insert("H", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}).End().Eof();
        const std::filesystem::path file = std::filesystem::temp_directory_path() / "tessavue-plan-bench-hidden.dxf";
        testing::WriteFile(file, t.str());
        return file;
    }();
    return path;
}

void PlainLoad(benchmark::State& state) {
    std::size_t lines = 0;
    for (auto _ : state) lines = LoadDxfLines(NestedPlan())->size();
    state.counters["lines"] = static_cast<double>(lines);
}

// Every row of the plan handed over, nothing kept.
void WalkEveryRow(benchmark::State& state) {
    long long rows = 0;
    for (auto _ : state) {
        const DxfLines lines = *LoadDxfLines(NestedPlan());
        rows = 0;
        WalkPlan(lines, NestedPlan(), 0, 0, [&](const EntityRecord&) { return ++rows, true; });
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}

// What the draw command does: the table fills at 500 rows and the read stops.
void ReadIntoTheTable(benchmark::State& state) {
    static EntityTableRows table;
    Quiet quiet;
    for (auto _ : state) {
        ClearEntityTable(table);
        ReadPlanEntities(NestedPlan(), 0, 0, quiet, table);
    }
}

// 10^10 cells of a hidden line: the work bound ends it.
void HiddenArrayToTheBound(benchmark::State& state) {
    PlanWalkEnd end = PlanWalkEnd::Whole;
    const DxfLines lines = *LoadDxfLines(HiddenArray());
    for (auto _ : state) end = WalkPlan(lines, HiddenArray(), 0, 0, [](const EntityRecord&) { return true; });
    state.counters["bound_reached"] = end == PlanWalkEnd::TooMuchWork ? 1 : 0;
}

BENCHMARK(PlainLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(WalkEveryRow)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadIntoTheTable)->Unit(benchmark::kMillisecond);
BENCHMARK(HiddenArrayToTheBound)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessavue

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("nested plan: %s\n", tessavue::NestedPlan().string().c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove(tessavue::NestedPlan(), ignored);
    std::filesystem::remove(tessavue::HiddenArray(), ignored);
    return 0;
}
