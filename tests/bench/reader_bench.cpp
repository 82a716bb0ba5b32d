// Benchmark, not a test: the entity reader and the explode check on a generated
// selection of 100,000 lines, each against a plain load of the same file. Both walk the
// file once from the ENTITIES line, so each should cost at most about 1.5 loads.
// Prints the figures; the exit code is 0 whatever they are.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "core/dxf_file.h"
#include "import/dxf_reader.h"
#include "import/selection_export.h"

namespace {

double Now() {
    std::timespec t{};
    std::timespec_get(&t, TIME_UTC);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The best of `runs` timings, in milliseconds: the least disturbed by the machine.
double Best(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        best = std::min(best, (Now() - start) * 1000.0);
    }
    return best;
}

struct Quiet : tessavue::MessageSink {
    void ShowConfirmation(const std::string&) override { ++boxes; }
    void ShowInformation(const std::string&) override { ++boxes; }
    int boxes = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = 7;
    tessavue::sim::Drawing drawing;
    drawing.AddLayer("outline");
    drawing.SetCurrentLayer("outline");
    for (int i = 0; i < count; ++i) drawing.AddLine({i * 0.5, 1.0 / (i + 1)}, {i * 0.5 + 3.25, -2.125});
    const auto path = std::filesystem::temp_directory_path() /
                      ("tessavue-reader-bench-" + std::to_string(std::random_device{}()) + ".dxf");
    {
        std::ofstream out(path, std::ios::binary);
        out << tessavue::sim::WriteDxf(drawing, std::nullopt, tessavue::sim::DxfVersion::R12);
    }
    const auto size = std::filesystem::file_size(path);
    std::size_t lineCount = 0;

    const double load = Best(runs, [&] { lineCount = tessavue::LoadDxfLines(path)->size(); });
    Quiet sink;
    const double read = Best(runs, [&] {
        tessavue::EntityTableRows table;
        tessavue::ClearEntityTable(table);
        tessavue::ReadDxfEntities(path, 100, 200, sink, table);
    });
    bool explode = true;
    const double check = Best(runs, [&] { explode = tessavue::SelectionNeedsExplode(path); });
    std::filesystem::remove(path);

    std::printf("file: %d LINE entities, %zu text lines, %.1f MB (best of %d runs)\n", count, lineCount,
                static_cast<double>(size) / 1e6, runs);
    std::printf("plain load              %9.2f ms\n", load);
    std::printf("ReadDxfEntities         %9.2f ms   %.2f x load (table full after 500 rows)\n", read, read / load);
    std::printf("SelectionNeedsExplode   %9.2f ms   %.2f x load (walks every line; %s)\n", check, check / load,
                explode ? "true" : "false");
    return 0;
}
