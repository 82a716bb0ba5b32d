// Benchmark, not a test: the reading of AutoCAD's LIST output back from the command
// history, on histories of 5,000 to 80,000 lines. Half the cases name line objects
// that never show an end point (a history cut short, a listing of other objects that
// mention 線分): the reader must stay linear in the history's length whatever it
// holds, which the printed complexity shows.
#include <benchmark/benchmark.h>

#include <string>

#include "import/listed_selection.h"

namespace {

// "list" and then `lines` lines: each object a "線分" line, with its start and end
// points when `complete`, alone when not.
std::string History(int lines, bool complete) {
    std::string text = "ｺﾏﾝﾄﾞ: list\r\n";
    for (int i = 0; i < lines;) {
        text += "                  線分      画層: \"0\"\r\n";
        ++i;
        if (!complete) continue;
        text += "              始点 点, X=   12.50000000  Y=  -3.25000000  Z=    0.00000000\r\n";
        text += "              終点 点, X=  112.50000000  Y=  96.75000000  Z=    0.00000000\r\n";
        i += 2;
    }
    return text;
}

void ReadListing(benchmark::State& state, bool complete) {
    const std::string history = History(static_cast<int>(state.range(0)), complete);
    static tessavue::EntityTableRows table;
    for (auto _ : state) {
        tessavue::ClearEntityTable(table);
        benchmark::DoNotOptimize(tessavue::ReadListedLines(history, table));
    }
    state.SetComplexityN(state.range(0));
}

void BM_ListingWithoutEndPoints(benchmark::State& state) { ReadListing(state, false); }
void BM_ListingOfWholeLines(benchmark::State& state) { ReadListing(state, true); }

BENCHMARK(BM_ListingWithoutEndPoints)->RangeMultiplier(2)->Range(5000, 80000)->Complexity();
BENCHMARK(BM_ListingOfWholeLines)->RangeMultiplier(2)->Range(5000, 80000)->Complexity();

}  // namespace

BENCHMARK_MAIN();
