// The figure-file rewrite of an existing figure (load, turn onto the face, raised
// copy, height lines, save) on generated selections of 10,000 and 100,000 entities,
// against a plain load and save of the same file. Prints the figures, the ratio to
// the plain load and save (aim: at most 1.5) and the growth from 10,000 to 100,000
// entities (linear: about 10). Passes or fails on nothing.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "draw/figure_rewrite.h"
#include "generated_export.h"
#include "dxf_data/number_text.h"

namespace tessavue {
namespace {

constexpr int kRuns = 5;

class SilentSink : public MessageSink {
public:
    void ShowConfirmation(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
};

std::filesystem::path GeneratedSelection(int count) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tessavue-rewrite-bench-" + std::to_string(count) + ".dxf");
    WriteGeneratedExport(file, count);
    return file;
}

// <chrono> cannot be compiled with the Shift-JIS execution character set (its
// micro sign), so the wall clock comes from timespec_get.
double NowMs() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Median wall time of `work` in milliseconds.
template <typename Work>
double MedianMs(Work work) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const double start = NowMs();
        if (!work()) {
            std::fprintf(stderr, "rewrite-bench: a run failed\n");
            return -1;
        }
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Figures {
    // The steps of the rewrite, one run each after the medians: where the time goes.
    double Load = 0, Walk = 0, Copy = 0, Heights = 0, Save = 0;
    double Plain = 0;
    double Prepare = 0;
    double Rewrite = 0;
    double Whole = 0;
};

Figures Measure(int count) {
    const std::filesystem::path selection = GeneratedSelection(count);
    const std::filesystem::path figure = selection.parent_path() / "tessavue-rewrite-bench-ip.dxf";
    FigureRewrite rewrite;
    rewrite.Inputs.FaceCode = 0;
    rewrite.Inputs.Height = 10;
    rewrite.Inputs.FigureKind = kExistingFigureKind;
    rewrite.Inputs.CircleHeightLines = true;
    rewrite.BaseX = 12.5;
    rewrite.BaseY = 7.5;
    static EntityTableRows table;
    SilentSink sink;

    Figures f;
    f.Plain = MedianMs([&] {
        const auto lines = LoadDxfLines(selection);
        return lines && SaveDxfLines(figure, *lines);
    });
    f.Prepare = MedianMs(
        [&] { return FillEntityTableFromSelection(selection, {}, rewrite.BaseX, rewrite.BaseY, sink, table); });
    f.Rewrite = MedianMs([&] { return WriteFigureFile(selection, figure, rewrite, table, sink); });
    f.Whole = MedianMs([&] {
        return FillEntityTableFromSelection(selection, {}, rewrite.BaseX, rewrite.BaseY, sink, table) &&
               WriteFigureFile(selection, figure, rewrite, table, sink);
    });
    double t = NowMs();
    std::optional<DxfLines> lines = LoadDxfLines(selection);
    f.Load = NowMs() - t;
    t = NowMs();
    const bool stepsDone = lines && TurnEntitiesToFace(*lines, rewrite.Inputs.FaceCode, rewrite.BaseX, rewrite.BaseY);
    f.Walk = NowMs() - t;
    t = NowMs();
    const bool copied = stepsDone && CopyEntitiesToHeight(*lines, rewrite.Inputs);
    f.Copy = NowMs() - t;
    t = NowMs();
    const bool heights = copied && AddHeightLines(*lines, table, rewrite.Inputs);
    f.Heights = NowMs() - t;
    t = NowMs();
    if (!heights || !SaveDxfLines(figure, *lines)) std::fprintf(stderr, "rewrite-bench: the steps failed\n");
    f.Save = NowMs() - t;

    std::error_code ignored;
    std::filesystem::remove(selection, ignored);
    std::filesystem::remove(figure, ignored);
    return f;
}

void Print(int count, const Figures& f) {
    std::printf("%7d entities: load+save %8.1f ms | table %7.1f ms | rewrite %8.1f ms (%.2fx) | "
                "table+rewrite %8.1f ms (%.2fx)\n",
                count, f.Plain, f.Prepare, f.Rewrite, f.Rewrite / f.Plain, f.Whole, f.Whole / f.Plain);
    std::printf("%7s   rewrite steps: load %.1f ms, turn %.1f ms, raised copy %.1f ms, height lines %.1f ms, "
                "save %.1f ms\n",
                "", f.Load, f.Walk, f.Copy, f.Heights, f.Save);
}

}  // namespace
}  // namespace tessavue

int main() {
    using tessavue::Figures;
    std::printf("Figure-file rewrite (face 0, height 10, height lines) against a plain load and save; "
                "median of %d runs\n",
                tessavue::kRuns);
    const Figures small = tessavue::Measure(10000);
    tessavue::Print(10000, small);
    const Figures large = tessavue::Measure(100000);
    tessavue::Print(100000, large);
    std::printf("growth 10,000 -> 100,000 (linear: 10): load+save %.1fx, rewrite %.1fx, table+rewrite %.1fx\n",
                large.Plain / small.Plain, large.Rewrite / small.Rewrite, large.Whole / small.Whole);
    std::printf("aim: rewrite at most 1.5x the plain load and save at 100,000: %s\n",
                large.Whole <= 1.5 * large.Plain ? "met" : "NOT met");
    return 0;
}
