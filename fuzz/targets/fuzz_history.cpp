// The searches over AutoCAD's command history and command line: SplitHistoryLines,
// HistoryShowsCancel, HistoryShowsAllFinished, HistoryShowsNonZeroCount, CurrentLayerInHistory,
// LastPointInPrompt, IsListingPause, WorldUcsInHistory, ValueInPrompt,
// LayerStateInListing and SameAsShown.
//
// Properties, each on any history with a line of AutoCAD's added where the search
// looks: the split keeps every byte but the line ends; what AutoCAD shows last is what
// the search reads (the current layer, WORLDUCS, a variable's value, a layer's state,
// the last point at every number text); lines above the command's echo never decide a
// cancel, nor whether a group of echoes finished, and a cancel after the group
// always counts; blank lines never change a count; the pause test ignores the case of ASCII
// letters; values look the same as themselves, both ways round, and values a whole
// shown unit apart do not look the same.
#include "fuzz_support.h"

#include <cstdint>
#include <string>
#include <vector>

#include "host/history_queries.h"
#include "host/host_frame.h"
#include "dxf_data/str_to_float.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

// A text as one line of the history: without line ends.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

void CheckSplit(const std::string& text, const std::vector<std::string>& lines) {
    std::string normal;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            normal += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            normal += text[i];
        }
    }
    if (!normal.empty() && normal.back() == '\n') normal.pop_back();
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].find_first_of("\r\n") == std::string::npos, "line " + std::to_string(i) + " holds a line end");
        if (i > 0) joined += '\n';
        joined += lines[i];
    }
    FUZZ_CHECK(joined == normal, std::string("the split lost or added bytes"));
    FUZZ_CHECK(!lines.empty() || text.empty(), std::string("a text without lines"));
}

std::string AsciiCase(std::string text, bool upper) {
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int digit = data.ConsumeIntegralInRange(0, 9);
    const int value = data.ConsumeIntegralInRange(0, 1000000);
    const bool off = data.ConsumeBool();
    const bool frozen = data.ConsumeBool();
    const int lunits = data.ConsumeIntegralInRange(1, 5);
    const int luprec = data.ConsumeIntegralInRange(0, 8);
    const double a = FiniteNumber(data);
    const double b = FiniteNumber(data);
    const std::string name = OneLine(data.ConsumeRandomLengthString(40));
    const std::string echo = OneLine(data.ConsumeRandomLengthString(40));
    const std::string text = data.ConsumeRemainingBytesAsString();

    const std::vector<std::string> lines = SplitHistoryLines(text);
    CheckSplit(text, lines);
    const auto with = [&](const std::string& line) {
        std::vector<std::string> more = lines;
        more.push_back(line);
        return more;
    };

    // The cancel is decided below the echo line: lines above it never count.
    const bool cancelled = HistoryShowsCancel(lines, echo);
    std::vector<std::string> echoed = {"ｷｬﾝｾﾙ", "*キャンセル*"};
    echoed.insert(echoed.end(), lines.begin(), lines.end());
    bool echoSeen = false;
    // The echo is the command's whole word: "copy" is not the echo of "copyhist".
    const auto isEcho = [&echo](const std::string& line) {
        if (line.compare(0, echo.size(), echo) != 0) return false;
        const char next = line.size() > echo.size() ? line[echo.size()] : ' ';
        return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || (next >= '0' && next <= '9') ||
                 next == '_');
    };
    for (const std::string& line : lines) echoSeen = echoSeen || isEcho(line);
    if (echoSeen) FUZZ_CHECK(HistoryShowsCancel(echoed, echo) == cancelled, std::string("lines above the echo decided a cancel"));
    {
        std::vector<std::string> done = lines;
        done.push_back(echo);
        done.push_back("終点を指定:");
        const bool marks = echo.find("ｷｬﾝｾﾙ") != std::string::npos || echo.find("キャンセル") != std::string::npos;
        FUZZ_CHECK(marks || !HistoryShowsCancel(done, echo), "a cancel above the echo '" + echo + "' counted");
    }

    // A group of commands is finished when its echoes are the last ones and no cancel
    // follows; what stands above the group never decides, and fewer echoes never fail
    // where more succeed.
    {
        const bool marks = echo.find("ｷｬﾝｾﾙ") != std::string::npos || echo.find("キャンセル") != std::string::npos;
        const std::size_t group = static_cast<std::size_t>(value % 5) + 1;
        const bool finished = HistoryShowsAllFinished(lines, echo, group);
        FUZZ_CHECK(HistoryShowsAllFinished(echoed, echo, group) == finished,
                   std::string("lines above a group of echoes decided whether it finished"));
        if (finished)
            FUZZ_CHECK(HistoryShowsAllFinished(lines, echo, group - 1),
                       "a group of " + std::to_string(group) + " finished, its last " + std::to_string(group - 1) + " not");
        std::vector<std::string> typed = lines;
        for (std::size_t i = 0; i < group; ++i) typed.push_back(echo);
        if (!marks)
            FUZZ_CHECK(HistoryShowsAllFinished(typed, echo, group),
                       "a group of " + std::to_string(group) + " echoes '" + echo + "' just typed not finished");
        typed.push_back("*キャンセル*");
        FUZZ_CHECK(!HistoryShowsAllFinished(typed, echo, group), std::string("a cancel after the group not seen"));
    }

    // Blank lines change no count; a count AutoCAD shows last decides.
    const bool counted = HistoryShowsNonZeroCount(lines);
    FUZZ_CHECK(HistoryShowsNonZeroCount(with("   ")) == counted, std::string("a blank line changed the count"));
    FUZZ_CHECK(!HistoryShowsNonZeroCount(with("ｵﾌﾞｼﾞｪｸﾄを選択: 検出数: 0")), std::string("a count of 0 read as some"));
    FUZZ_CHECK(HistoryShowsNonZeroCount(with("ｵﾌﾞｼﾞｪｸﾄを選択: 検出数: " + std::to_string(value + 1))),
               "the count " + std::to_string(value + 1) + " read as none");

    // The current layer AutoCAD shows last.
    (void)CurrentLayerInHistory(lines);
    if (name.find('"') == std::string::npos) {
        const std::string layer = CurrentLayerInHistory(with("現在の画層: \"" + name + "\""));
        FUZZ_CHECK(layer == name, "the layer \"" + name + "\" read as \"" + layer + "\"");
    }

    // WORLDUCS and a variable's value in its prompt.
    (void)WorldUcsInHistory(lines);
    const std::optional<int> ucs = WorldUcsInHistory(with("WORLDUCS = " + std::to_string(digit) + " (読み込み専用)"));
    FUZZ_CHECK(ucs == digit, "WORLDUCS = " + std::to_string(digit) + " read otherwise");
    (void)ValueInPrompt(name);
    const std::optional<int> prompted =
        ValueInPrompt(name + "LUPREC の新しい値を入力 <" + std::to_string(value) + ">: ");
    FUZZ_CHECK(prompted == value, "the prompt's <" + std::to_string(value) + "> read otherwise");

    // The state of a layer in the last listing line that names it.
    (void)LayerStateInListing(lines, name);
    const std::string listed = name + "  " + (off ? "ｵﾌ" : "ｵﾝ") + "  " + (frozen ? "ﾌﾘｰｽﾞ" : "-") + "  7  CONTINUOUS";
    const LayerState state = LayerStateInListing(with(listed), name);
    FUZZ_CHECK(state.Listed && state.Off == off && state.Frozen == frozen, "the listing line '" + listed + "' read otherwise");

    // The last point at every number text.
    (void)LastPointInPrompt(name);
    const std::optional<double> x = TryStrToFloat(NumberText(a));
    const std::optional<double> y = TryStrToFloat(NumberText(b));
    if (x && y) {
        const std::string prompt = "LASTPOINT の新しい値を入力 <" + NumberText(a) + "," + NumberText(b) + ",0>: ";
        const std::optional<PlanPoint> point = LastPointInPrompt(prompt);
        FUZZ_CHECK(point && point->X == *x && point->Y == *y, "the prompt '" + prompt + "' read otherwise");
    }

    // The pause test: the case of ASCII letters never matters.
    const bool pause = IsListingPause(echo);
    FUZZ_CHECK(IsListingPause(AsciiCase(echo, true)) == pause && IsListingPause(AsciiCase(echo, false)) == pause,
               "the pause test on '" + echo + "' depends on the case");
    FUZZ_CHECK(IsListingPause(echo + "続けるには Enter キーを押してください"), std::string("a pause not seen"));

    // Values as AutoCAD shows them.
    FUZZ_CHECK(SameAsShown(a, a, lunits, luprec), "the value " + NumberText(a) + " looks unlike itself");
    FUZZ_CHECK(SameAsShown(a, b, lunits, luprec) == SameAsShown(b, a, lunits, luprec),
               std::string("the comparison depends on the order"));
    if (lunits == 2 && std::fabs(a) < 1e15 && std::fabs(b) < 1e15) {
        const double unit = std::pow(10.0, -luprec);
        if (std::fabs(a - b) > 1.01 * unit)
            FUZZ_CHECK(!SameAsShown(a, b, lunits, luprec), "the values " + NumberText(a) + " and " + NumberText(b) +
                                                                " look the same at " + std::to_string(luprec) +
                                                                " decimals");
    }
    return 0;
}
