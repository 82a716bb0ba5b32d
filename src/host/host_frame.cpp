#include "host/host_frame.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/history_queries.h"
#include "host/undo_journal.h"

namespace tessavue {
namespace {

bool BeginsWith(const std::string& line, const std::string& start) { return line.compare(0, start.size(), start) == 0; }

// The blank-separated words of `text`.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

bool IsOneOf(const std::string& word, std::initializer_list<const char*> choices) {
    for (const char* choice : choices)
        if (word == choice) return true;
    return false;
}

std::string Shown(double value, int lunits, int luprec) {
    char buffer[400];
    if (lunits == 1) {
        std::snprintf(buffer, sizeof buffer, "%.*E", luprec, value);
    } else if (lunits == 4 || lunits == 5) {
        // Architectural and fractional units show the nearest 1/2^luprec.
        const double steps = std::round(std::ldexp(value, luprec));
        std::snprintf(buffer, sizeof buffer, "%.0f", steps);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.*f", luprec, value);
    }
    std::string text = buffer;
    // A value that shows as zero shows without its sign.
    if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.E+") == std::string::npos) text.erase(0, 1);
    return text;
}

}  // namespace

std::optional<int> WorldUcsInHistory(const std::vector<std::string>& lines) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        const std::size_t at = line->find("WORLDUCS");
        if (at == std::string::npos) continue;
        const std::size_t equals = line->find('=', at);
        if (equals == std::string::npos) continue;
        std::size_t digit = line->find_first_not_of(' ', equals + 1);
        if (digit == std::string::npos || (*line)[digit] < '0' || (*line)[digit] > '9') continue;
        return (*line)[digit] - '0';
    }
    return std::nullopt;
}

std::optional<int> ValueInPrompt(const std::string& commandLine) {
    const std::size_t open = commandLine.rfind('<');
    if (open == std::string::npos) return std::nullopt;
    const std::size_t close = commandLine.find('>', open);
    if (close == std::string::npos || close == open + 1) return std::nullopt;
    int value = 0;
    for (std::size_t i = open + 1; i < close; ++i) {
        const char c = commandLine[i];
        if (c < '0' || c > '9' || value > 1000000) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

LayerState LayerStateInListing(const std::vector<std::string>& lines, const std::string& name) {
    LayerState state;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (!BeginsWith(*line, name) || line->size() == name.size()) continue;
        const char after = (*line)[name.size()];
        if (after != ' ' && after != '\t') continue;
        state.Listed = true;
        // Only whole words count: "ﾌﾘｰｽﾞ解除" would hold "ﾌﾘｰｽﾞ".
        for (const std::string& word : Words(line->substr(name.size()))) {
            if (IsOneOf(word, {"ｵﾌ", "オフ", "Off", "OFF"})) state.Off = true;
            if (IsOneOf(word, {"ﾌﾘｰｽﾞ", "フリーズ", "Frozen", "FROZEN"})) state.Frozen = true;
        }
        return state;
    }
    return state;
}

bool SameAsShown(double a, double b, int lunits, int luprec) { return Shown(a, lunits, luprec) == Shown(b, lunits, luprec); }

std::string NotWorldUcsMessage() {
    return "ＡｕｔｏＣＡＤの現在のＵＣＳがワールド座標系ではないため、中止しました。"
           "ＵＣＳコマンドでワールド（Ｗ）に戻してから、もう一度実行して下さい。";
}

std::string HiddenLayerMessage(const std::string& layer, const LayerState& state) {
    const char* how = state.Off && state.Frozen ? "オフでフリーズされている" : state.Off ? "オフになっている" : "フリーズされている";
    return "現在の画層「" + layer + "」が" + how + "ため、作図を中止しました。" +
           "図形が見えず、作図に使う最後のオブジェクトも選べません。画層をオンにしてフリーズを解除するか、"
           "別の画層を現在にしてから、もう一度実行して下さい。";
}

std::string UnitsUnreadMessage() {
    return "ＡｕｔｏＣＡＤの単位の設定（LUNITS、LUPREC）を読み取れなかったため、中止しました。";
}

HostFrame::~HostFrame() {
    try {
        std::vector<std::string> units;
        try {
            units = Close();
        } catch (...) {
            link_.EndReports();
            throw;
        }
        // A command whose wait was abandoned (the palette closing) may leave AutoCAD
        // asking the user for something the palette was to answer: it is cancelled,
        // so that AutoCAD is left at its idle prompt. (Typing the units back cancels
        // it first, so then there is nothing left to cancel.)
        if (!typedBack_ && link_.WaitsAbandoned() && !link_.HostGone() &&
            link_.ReadCommandLine() != link_.CommandPrompt)
            link_.SendHostCommand("\x1b\x1b");
        std::optional<std::vector<std::string>> left = link_.EndReports();
        if (!units.empty()) {
            if (!left) left.emplace();
            left->insert(left->end(), units.begin(), units.end());
        }
        if (left) link_.messages().ShowConfirmation(TypingFailedMessage(*left));
    } catch (...) {
        // Nothing may leave a destructor; the put-back is as far as it got.
    }
}

std::optional<int> HostFrame::Exchange(const std::string& name, int wanted) {
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!link_.SendHostCommand(name + " ")) return std::nullopt;
    // The prompt names the variable; an AutoCAD that does not know it is back at its
    // idle prompt instead, and must not be waited for.
    std::string prompt;
    for (unsigned poll = 0;; ++poll) {
        if (link_.WaitsAbandoned()) return std::nullopt;
        prompt = link_.ReadCommandLine();
        if (prompt.find(upper) != std::string::npos) break;
        if (prompt == link_.CommandPrompt) return std::nullopt;
        if (!link_.BetweenPolls(poll, prompt)) return std::nullopt;
    }
    const std::optional<int> value = ValueInPrompt(prompt);
    // Enter keeps the value, also one that could not be read.
    const bool change = value && *value != wanted;
    if (change) restore_.push_back(name + " " + std::to_string(*value) + " ");
    if (!link_.RunHostCommand(change ? std::to_string(wanted) + " " : std::string(" "))) return std::nullopt;
    return value;
}

FrameOutcome HostFrame::Open(const FrameNeeds& needs) {
    const auto ended = [this] {
        if (link_.TypingFailed() && !link_.WaitsAbandoned()) link_.ReportTypingFailed({});
        return FrameOutcome::Ended;
    };
    const auto unread = [&ended](const HostHistory&) { return ended(); };
    if (!link_.RunHostCommand("worlducs ")) return ended();
    if (needs.VisibleLayer && !link_.RunHostCommand("-layer  ")) return ended();
    const HostHistory history = CopyHostHistory(link_);
    if (!history.finished) return unread(history);
    // An AutoCAD that does not answer the question is taken at its word: nothing is
    // known against the world's UCS.
    if (WorldUcsInHistory(history.lines) == 0) {
        link_.messages().ShowConfirmation(NotWorldUcsMessage());
        return FrameOutcome::Refused;
    }
    if (needs.VisibleLayer) {
        const std::string layer = CurrentLayerInHistory(history.lines);
        if (!RunHostListing(link_, "-layer ?\r" + layer + "\r\r")) return ended();
        const HostHistory listing = CopyHostHistory(link_);
        if (!listing.finished) return unread(listing);
        const LayerState state = LayerStateInListing(listing.lines, layer);
        if (state.Off || state.Frozen) {
            link_.messages().ShowConfirmation(HiddenLayerMessage(layer, state));
            return FrameOutcome::Refused;
        }
    }
    if (needs.FullPrecision) {
        const std::optional<int> units = Exchange("lunits", 2);
        if (!units) {
            if (link_.WaitsAbandoned() || link_.TypingFailed() || link_.HostGone()) return ended();
            link_.messages().ShowConfirmation(UnitsUnreadMessage());
            return FrameOutcome::Refused;
        }
        userUnits_ = *units;
        const std::optional<int> precision = Exchange("luprec", kReadingDecimals);
        if (!precision) {
            if (link_.WaitsAbandoned() || link_.TypingFailed() || link_.HostGone()) return ended();
            link_.messages().ShowConfirmation(UnitsUnreadMessage());
            return FrameOutcome::Refused;
        }
        userPrecision_ = *precision;
        fullPrecision_ = true;
    }
    return FrameOutcome::Ready;
}

std::vector<std::string> HostFrame::Close() {
    std::vector<std::string> commands;
    commands.swap(restore_);
    if (commands.empty() || link_.HostGone()) return {};
    typedBack_ = true;
    // A command still asking for input (the one that stopped) is cancelled first.
    if (link_.ReadCommandLine() != link_.CommandPrompt) link_.SendHostCommand("\x1b\x1b");
    const auto type = [this](const std::vector<std::string>& all) -> std::vector<std::string> {
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (!link_.SendHostCommand(all[i])) return {all.begin() + static_cast<std::ptrdiff_t>(i), all.end()};
            // Once the waits are over (the palette closing) what is typed queues up in order.
            if (!link_.WaitsAbandoned()) link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
        }
        return {};
    };
    if (std::vector<std::string> left = type(commands); !left.empty()) return left;
    if (link_.WaitsAbandoned() || link_.HostGone()) return {};
    // The user's Esc may fall on a value typed back, which then stays as the palette
    // set it: the history tells, and the values are typed back once more.
    const HostHistory history = CopyHostHistory(link_);
    const std::string first = commands.front().substr(0, commands.front().find(' '));
    if (!history.finished || HistoryShowsCancel(history.lines, link_.CommandPrompt + first)) return type(commands);
    return {};
}

}  // namespace tessavue
