// Round trips to AutoCAD per figure, for every command of the palette that changes the
// drawing, run once on the in-process stand-in (LT 2000) as the fault runs run them:
// the commands typed (each one a wait on AutoCAD), the copies of the command history
// among them, and the bytes those copies carried, after a history of 100 and of 5,000
// lines (the history grows the longer AutoCAD is open, and every copy carries all of
// it). Prints figures; nothing here passes or fails.
#include <cstdio>
#include <iterator>
#include <string>

#include "palette_commands.h"

namespace {

using namespace tessavue;
using namespace tessavue::testing;

std::size_t HistoryLines(const sim::SimHost& host) {
    const std::string text = host.HistoryText();
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    return lines;
}

struct Figures {
    std::size_t typed = 0;
    std::size_t historyCopies = 0;
    long long bytes = 0;
    bool clean = true;
};

Figures Run(const CommandRow& row, std::size_t historyLines) {
    std::unique_ptr<World> w = Ready(row, Edition::LT2000);
    sim::SimHost& host = w->desktop.host();
    // The user's own work before the command: each ID leaves its echo and its answer.
    while (HistoryLines(host) < historyLines) host.Type("id 12.5,7.25 ");
    const std::size_t typedBefore = host.PaletteCommands();
    const std::size_t inputBefore = host.ReceivedInput().size();
    const long long bytesBefore = w->desktop.calls.clipboardBytesRead;
    w->Press(row.button);
    Figures f;
    f.typed = host.PaletteCommands() - typedBefore;
    const auto& input = host.ReceivedInput();
    for (std::size_t i = inputBefore; i < input.size(); ++i)
        f.historyCopies += input[i].bytes.starts_with("copyhist") ? 1 : 0;
    f.bytes = w->desktop.calls.clipboardBytesRead - bytesBefore;
    f.clean = w->TakeBoxes().empty();
    return f;
}

}  // namespace

int main() {
    std::printf("round trips per figure (in-process stand-in, LT 2000)\n");
    std::printf("%-12s %8s %9s %18s %18s\n", "command", "typed", "history", "bytes (100 lines)",
                "bytes (5000 lines)");
    // The kinds' own names are Shift-JIS in the program; the table names them in ASCII,
    // in the order of the command rows.
    const char* const labels[] = {"select",    "existing", "circle", "square",  "hexagon",  "axis",
                                  "two-face",  "bend",     "offset", "text",    "dimension"};
    std::size_t index = 0;
    for (const CommandRow& row : Commands()) {
        const char* label = index < std::size(labels) ? labels[index] : "?";
        ++index;
        const Figures shortHistory = Run(row, 100);
        const Figures longHistory = Run(row, 5000);
        std::printf("%-12s %8zu %9zu %18lld %18lld%s\n", label, longHistory.typed, longHistory.historyCopies,
                    shortHistory.bytes, longHistory.bytes,
                    shortHistory.clean && longHistory.clean ? "" : "  (the palette showed a message)");
    }
    return 0;
}
