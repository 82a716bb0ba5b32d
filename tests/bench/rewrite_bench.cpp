// The figure-file rewrite of an existing figure (read, turn onto the face, raised
// copy, height lines, save) on generated selections of 10,000 and 100,000 LINE
// entities, against the plainest C++ copy of the same file in the same run: std::getline
// into a std::vector<std::string>, written back line by line with std::ofstream.
// Prints the times, the ratio rewrite / plain (aim: at most 1.0), the peak memory of
// the rewrite against the input's size (aim: at most 4), and the growth of the time
// from 10,000 to 100,000 entities (aim: at most 11). Passes or fails on nothing.
//
// Peak memory two ways: the heap, by counting every allocation of the process (the
// global operator new below: the largest sum of live bytes while the rewrite runs),
// and the whole process, in a child forked for one rewrite whose peak resident size
// (VmHWM of /proc/self/status, reset through /proc/self/clear_refs) is taken less its
// resident size before.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "draw/figure_rewrite.h"
#include "generated_export.h"

namespace {

std::atomic<long long> gLive{0};
std::atomic<long long> gPeak{0};

void* Counted(std::size_t size) {
    // Each block carries its size in front of it, so that delete can take it off.
    void* block = std::malloc(size + 16);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    const long long live = gLive += static_cast<long long>(size);
    long long peak = gPeak.load();
    while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + 16;
}

void Uncounted(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - 16;
    gLive -= static_cast<long long>(*static_cast<std::size_t*>(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Counted(size); }
void* operator new[](std::size_t size) { return Counted(size); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, std::size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, std::size_t) noexcept { Uncounted(p); }

namespace tessavue {
namespace {

constexpr int kRuns = 7;

class SilentSink : public MessageSink {
public:
    void ShowConfirmation(const std::string&) override {}
    void ShowInformation(const std::string&) override {}
};

// <chrono> cannot be compiled with the Shift-JIS execution character set (its
// micro sign), so the wall clock comes from timespec_get.
double NowMs() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The processor time of the process (user and system), in milliseconds: less shaken
// than the wall clock by other programs on the machine.
double CpuMs() {
    std::timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The naive copy the rewrite is measured against.
bool PlainCopy(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::ifstream in(from);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    std::ofstream out(to);
    for (const std::string& text : lines) out << text << '\n';
    return static_cast<bool>(out);
}

// An output that only counts the bytes.
class CountingOutput : public FigureOutput {
public:
    bool Write(std::string_view bytes) override {
        size += bytes.size();
        return true;
    }
    std::size_t size = 0;
};

struct Setup {
    std::filesystem::path Selection;
    std::filesystem::path Figure;
    std::filesystem::path Plain;
    FigureRewrite Rewrite;
};

EntityTableRows& Table() {
    static EntityTableRows table;
    return table;
}

bool Rewrite(const Setup& s) {
    SilentSink sink;
    return WriteFigureFile(s.Selection, s.Figure, s.Rewrite, Table(), sink);
}

long long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atoll(line.c_str() + std::strlen(field));
    }
    return -1;
}

// The rise of the peak resident size over the resident size before, in a child that
// runs one rewrite: what the rewrite asks of the machine, the program's own pages
// aside. -1 when it cannot be measured.
long long ProcessPeakBytes(const Setup& s) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        // The heap the parent freed would otherwise serve the rewrite without a rise.
        malloc_trim(0);
        {
            std::ofstream clear("/proc/self/clear_refs");
            clear << "5";
        }
        const long long before = StatusKb("VmRSS:");
        const bool done = Rewrite(s);
        const long long rise = done && before >= 0 ? (StatusKb("VmHWM:") - before) * 1024 : -1;
        ssize_t written = write(pipeEnds[1], &rise, sizeof rise);
        (void)written;
        _exit(0);
    }
    close(pipeEnds[1]);
    long long rise = -1;
    if (child < 0 || read(pipeEnds[0], &rise, sizeof rise) != sizeof rise) rise = -1;
    close(pipeEnds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return rise;
}

struct Figures {
    double InputBytes = 0;
    double Plain = 0;    // ms, median
    double Rewrite = 0;  // ms, median: read, turn, raised copy, height lines, save
    double PlainCpu = 0;    // processor ms, median
    double RewriteCpu = 0;
    double Table = 0;    // ms, median: the plan reader filling the table (the tool's first step)
    double InMemory = 0;  // processor ms, median: the rewrite of the file's bytes already read, output counted only
    double HeapPeak = 0;     // bytes
    double ProcessPeak = 0;  // bytes
};

Figures Measure(int count) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    Setup s;
    s.Selection = folder / ("tessavue-rewrite-bench-" + std::to_string(count) + ".dxf");
    s.Figure = folder / "tessavue-rewrite-bench-ip.dxf";
    s.Plain = folder / "tessavue-rewrite-bench-plain.dxf";
    WriteGeneratedExport(s.Selection, count, true);
    s.Rewrite.Inputs.FaceCode = 0;
    s.Rewrite.Inputs.Height = 10;
    s.Rewrite.Inputs.FigureKind = kExistingFigureKind;
    s.Rewrite.Inputs.CircleHeightLines = true;
    s.Rewrite.BaseX = 12.5;
    s.Rewrite.BaseY = 7.5;
    SilentSink sink;

    Figures f;
    f.InputBytes = static_cast<double>(std::filesystem::file_size(s.Selection));
    std::vector<double> plain, rewrite, table, plainCpu, rewriteCpu;
    // Taken in turn, so that a load on the machine falls on both alike.
    for (int run = 0; run < kRuns; ++run) {
        double t = NowMs();
        double c = CpuMs();
        if (!PlainCopy(s.Selection, s.Plain)) std::fprintf(stderr, "rewrite-bench: the plain copy failed\n");
        plain.push_back(NowMs() - t);
        plainCpu.push_back(CpuMs() - c);
        t = NowMs();
        if (!FillEntityTableFromSelection(s.Selection, {}, s.Rewrite.BaseX, s.Rewrite.BaseY, sink, Table()))
            std::fprintf(stderr, "rewrite-bench: the table could not be read\n");
        table.push_back(NowMs() - t);
        t = NowMs();
        c = CpuMs();
        if (!Rewrite(s)) std::fprintf(stderr, "rewrite-bench: the rewrite failed\n");
        rewrite.push_back(NowMs() - t);
        rewriteCpu.push_back(CpuMs() - c);
    }
    // Where the time goes: the rewrite itself, on bytes already read and with an output
    // that only counts them; the rest is reading and writing the files.
    {
        std::ifstream in(s.Selection, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<double> inMemory;
        for (int run = 0; run < kRuns; ++run) {
            CountingOutput counted;
            const double c = CpuMs();
            if (!RewriteFigure(bytes, StepsOf(s.Rewrite), Table(), counted))
                std::fprintf(stderr, "rewrite-bench: the rewrite in memory failed\n");
            inMemory.push_back(CpuMs() - c);
        }
        f.InMemory = Median(inMemory);
    }
    f.PlainCpu = Median(plainCpu);
    f.RewriteCpu = Median(rewriteCpu);
    f.Plain = Median(plain);
    f.Rewrite = Median(rewrite);
    f.Table = Median(table);
    const long long liveBefore = gLive.load();
    gPeak = liveBefore;
    Rewrite(s);
    f.HeapPeak = static_cast<double>(gPeak.load() - liveBefore);
    f.ProcessPeak = static_cast<double>(ProcessPeakBytes(s));

    std::error_code ignored;
    std::filesystem::remove(s.Selection, ignored);
    std::filesystem::remove(s.Figure, ignored);
    std::filesystem::remove(s.Plain, ignored);
    return f;
}

void Print(int count, const Figures& f) {
    const double mib = 1024.0 * 1024.0;
    std::printf("%7d LINEs, %.1f MiB: plain copy %7.1f ms | rewrite %7.1f ms = %.2f x plain | "
                "(the table before it: %.1f ms)\n",
                count, f.InputBytes / mib, f.Plain, f.Rewrite, f.Rewrite / f.Plain, f.Table);
    std::printf("%7s   processor time: plain copy %7.1f ms | rewrite %7.1f ms = %.2f x plain; of it the rewrite "
                "of the bytes in memory %.1f ms, reading and writing the files %.1f ms\n",
                "", f.PlainCpu, f.RewriteCpu, f.RewriteCpu / f.PlainCpu, f.InMemory, f.RewriteCpu - f.InMemory);
    std::printf("%7s   peak memory of the rewrite: heap %.1f MiB = %.2f x input; process %.1f MiB = %.2f x input\n", "",
                f.HeapPeak / mib, f.HeapPeak / f.InputBytes, f.ProcessPeak / mib, f.ProcessPeak / f.InputBytes);
}

}  // namespace
}  // namespace tessavue

int main() {
    using tessavue::Figures;
    std::printf("Figure-file rewrite (face 0, height 10, raised copy, height lines, save) against a plain "
                "getline-and-ofstream copy; median of %d runs taken in turn\n",
                tessavue::kRuns);
    const Figures small = tessavue::Measure(10000);
    tessavue::Print(10000, small);
    const Figures large = tessavue::Measure(100000);
    tessavue::Print(100000, large);
    const double ratio = large.Rewrite / large.Plain;
    const double peak = std::max(large.HeapPeak, large.ProcessPeak) / large.InputBytes;
    const double growth = large.Rewrite / small.Rewrite;
    std::printf("rewrite / plain at 100,000: %.2f wall, %.2f processor (aim at most 1.0: %s)\n", ratio,
                large.RewriteCpu / large.PlainCpu, ratio <= 1.0 ? "met" : "NOT met");
    std::printf("peak / input at 100,000: %.2f (aim at most 4: %s)\n", peak, peak <= 4.0 ? "met" : "NOT met");
    std::printf("time 100,000 / 10,000: %.1f (plain copy %.1f; aim at most 11: %s)\n", growth,
                large.Plain / small.Plain, growth <= 11.0 ? "met" : "NOT met");
    return 0;
}
