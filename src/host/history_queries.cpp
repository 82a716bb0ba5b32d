#include "host/history_queries.h"

#include "dxf_data/str_to_float.h"
#include "dxf_data/text_lines.h"

namespace tessavue {
namespace {

bool Holds(const std::string& line, const char* part) { return line.find(part) != std::string::npos; }

bool BeginsWith(const std::string& line, const std::string& start) { return line.compare(0, start.size(), start) == 0; }

// How often the clipboard is tried, with a short pause between tries, before the
// history counts as unreadable. A clipboard viewer or the user's own copy may hold it.
constexpr int kClipboardTries = 10;
constexpr unsigned kClipboardPauseMs = 10;

// How many escapes a refused layer name may take to bring the idle prompt back,
// and how many polls each is given.
constexpr int kEscapes = 10;
constexpr unsigned kPollsPerEscape = 20;

const char kEscape[] = "\x1b";

// How many pauses one listing may take. The table holds 500 lines of LIST, some 3,500
// lines of text: at a page of a couple of dozen lines that is a few hundred pauses. A
// listing that goes on pausing far beyond is no listing of ours to page through.
constexpr int kMostListingPauses = 5000;

bool IsBlankOrControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
}

std::string Trimmed(const std::string& line) {
    std::size_t first = 0;
    std::size_t last = line.size();
    while (first < last && IsBlankOrControl(line[first])) ++first;
    while (last > first && IsBlankOrControl(line[last - 1])) --last;
    return line.substr(first, last - first);
}

// Brings AutoCAD back to its idle prompt with escapes: a bounded number of them, each
// given a moment to take effect, and given up as any wait is.
void EscapeToIdle(HostLink& link) {
    for (int escape = 0; escape < kEscapes; ++escape) {
        std::string current = link.ReadCommandLine();
        if (current == link.CommandPrompt) return;
        link.SendHostCommand(kEscape);
        for (unsigned poll = 0; poll < kPollsPerEscape; ++poll) {
            current = link.ReadCommandLine();
            if (current == link.CommandPrompt) return;
            if (!link.BetweenPolls(poll, current)) return;
        }
    }
}

}  // namespace

std::vector<std::string> SplitHistoryLines(const std::string& text) { return SplitLines(text); }

bool HistoryShowsCancel(const std::vector<std::string>& lines, const std::string& echoLine) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        // Both spellings, whatever the edition: the half-width one of LT 2000/2002 and
        // the full-width one of LT 2006.
        if (Holds(*line, "ｷｬﾝｾﾙ") || Holds(*line, "キャンセル")) return true;
        // The echo of that command, not of one whose name goes on ("copy" is not
        // "copyhist").
        if (BeginsWith(*line, echoLine)) {
            const char next = line->size() > echoLine.size() ? (*line)[echoLine.size()] : ' ';
            const bool wordGoesOn = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
                                    (next >= '0' && next <= '9') || next == '_';
            if (!wordGoesOn) return false;
        }
    }
    return false;
}

bool HistoryShowsAllFinished(const std::vector<std::string>& lines, const std::string& echoLine,
                             std::size_t count) {
    std::size_t seen = 0;
    for (auto line = lines.rbegin(); line != lines.rend() && seen < count; ++line) {
        if (Holds(*line, "ｷｬﾝｾﾙ") || Holds(*line, "キャンセル")) return false;
        if (BeginsWith(*line, echoLine)) {
            const char next = line->size() > echoLine.size() ? (*line)[echoLine.size()] : ' ';
            const bool wordGoesOn = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') ||
                                    (next >= '0' && next <= '9') || next == '_';
            if (!wordGoesOn) ++seen;
        }
    }
    return seen == count;
}

bool HistoryShowsNonZeroCount(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::string line = Trimmed(*it);
        if (line.empty()) continue;
        if (Holds(line, "select")) return false;
        const char last = line.back();
        if (last >= '1' && last <= '9') return true;
        if (last == '0') return !(line.size() >= 2 && line[line.size() - 2] == ' ');
    }
    return false;
}

bool HistoryShowsPreviousSelection(const std::vector<std::string>& lines) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (!Holds(lines[i], "pre")) continue;
        return i + 1 < lines.size() && !Holds(lines[i + 1], "直前");
    }
    return false;
}

std::string CurrentLayerInHistory(const std::vector<std::string>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (!BeginsWith(*it, "現在の画層")) continue;
        std::string name = *it;
        const std::size_t quote = name.find('"');
        if (quote != std::string::npos) name.erase(0, quote + 1);
        if (!name.empty()) name.pop_back();  // the closing quote
        return name;
    }
    return "0";
}

std::optional<PlanPoint> LastPointInPrompt(const std::string& commandLine) {
    std::string t = commandLine;
    if (const std::size_t open = t.find('<'); open != std::string::npos) t.erase(0, open + 1);
    if (const std::size_t close = t.find('>'); close != std::string::npos) t.erase(close);
    const std::size_t comma = t.find(',');
    const std::string xText = t.substr(0, comma);
    std::string yText;
    if (comma != std::string::npos) {
        const std::size_t next = t.find(',', comma + 1);
        yText = t.substr(comma + 1, next == std::string::npos ? std::string::npos : next - comma - 1);
    }
    const auto x = TryStrToFloat(xText);
    const auto y = TryStrToFloat(yText);
    if (!x || !y) return std::nullopt;
    return PlanPoint{*x, *y};
}

bool IsListingPause(const std::string& commandLine) {
    if (Holds(commandLine, "ﾘﾀｰﾝ") || Holds(commandLine, "リターン")) return true;
    for (std::size_t i = 0; i + 5 <= commandLine.size(); ++i) {
        std::string word = commandLine.substr(i, 5);
        for (char& c : word)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (word == "enter") return true;
    }
    return false;
}

bool RunHostListing(HostLink& link, const std::string& command) {
    if (!link.SendHostCommand(command)) return false;
    int pauses = 0;
    for (unsigned poll = 0;; ++poll) {
        if (link.WaitsAbandoned()) return false;
        const std::string current = link.ReadCommandLine();
        if (current == link.CommandPrompt) return true;
        if (IsListingPause(current) && pauses < kMostListingPauses) {
            // AutoCAD takes the Enter before the typing returns, so the next read shows
            // the next part of the listing: another pause, or the idle prompt.
            if (!link.SendHostCommand("\r")) return false;
            ++pauses;
            poll = 0;
            continue;
        }
        if (!link.BetweenPolls(poll, current)) return false;
    }
}

HostHistory CopyHostHistory(HostLink& link) {
    Desktop& desktop = link.desktop();
    HostHistory history;
    // The clipboard is emptied first, so an old history is never taken for the new
    // one; a clipboard that cannot be emptied leaves no history to trust.
    bool emptied = false;
    for (int i = 0; i < kClipboardTries && !emptied; ++i) {
        emptied = desktop.EmptyClipboard();
        if (!emptied) desktop.PauseBetweenPolls(kClipboardPauseMs);
    }
    if (!emptied) {
        link.NoteClipboardHeld();
        return history;
    }
    const bool finished = link.RunHostCommand("copyhist ");
    history.typed = !link.TypingFailed();
    std::optional<std::string> text;
    for (int i = 0; i < kClipboardTries && !text; ++i) {
        text = desktop.ClipboardText();
        if (!text) desktop.PauseBetweenPolls(kClipboardPauseMs);
    }
    if (!text) {
        link.NoteClipboardHeld();
        return history;
    }
    history.lines = SplitHistoryLines(*text);
    history.finished = finished;
    return history;
}

bool WasCommandCancelled(HostLink& link, const std::string& echo) {
    const HostHistory history = CopyHostHistory(link);
    // A history that could not be had counts as a cancel: the caller stops.
    return !history.finished || HistoryShowsCancel(history.lines, link.CommandPrompt + echo);
}

bool HistoryShowsSelection(HostLink& link) {
    const HostHistory history = CopyHostHistory(link);
    return history.finished && HistoryShowsNonZeroCount(history.lines);
}

bool HasPreviousSelection(HostLink& link) {
    if (!link.RunHostCommand("select pre\r ")) return false;
    const HostHistory history = CopyHostHistory(link);
    return history.finished && HistoryShowsPreviousSelection(history.lines);
}

bool ReadLastPoint(HostLink& link, double& x, double& y) {
    if (!link.SendHostCommand("lastpoint ")) return false;
    if (!link.WaitForCommandLine("LASTPOINT", WaitMode::Contains)) return false;
    const std::optional<PlanPoint> point = LastPointInPrompt(link.ReadCommandLine());
    // Enter keeps the value and ends the command, also when it could not be read.
    if (!link.RunHostCommand(" ")) return false;
    if (!point) return false;
    x = point->X;
    y = point->Y;
    return true;
}

bool PickPointInHost(HostLink& link, double& x, double& y) {
    link.RunHostCommand("id ");
    if (WasCommandCancelled(link, "id 点を指定:")) return false;
    return ReadLastPoint(link, x, y);
}

std::string GetCurrentLayer(HostLink& link) {
    // The first blank runs the layer command, which names the current layer in the
    // history; the second ends it at its option prompt.
    link.RunHostCommand("-layer  ");
    const HostHistory history = CopyHostHistory(link);
    return CurrentLayerInHistory(history.lines);
}

bool SetCurrentLayer(HostLink& link, const std::string& name) {
    if (name.empty()) return true;
    // The carriage return ends the name, so names with blanks arrive whole.
    if (!link.SendHostCommand("-layer s " + name + "\r")) return false;
    CommandEndWatch over(link);
    for (unsigned poll = 0;; ++poll) {
        const std::string current = link.ReadCommandLine();
        // The user's Esc ended the layer command before it asked.
        if (over.Seen(current)) return false;
        if (Holds(current, "ｵﾌﾟｼｮﾝを入力") || Holds(current, "オプションを入力")) {
            link.RunHostCommand("\r");
            return true;
        }
        if (Holds(current, "画層名を入力")) {
            EscapeToIdle(link);
            return false;
        }
        if (!link.BetweenPolls(poll, current)) return false;
    }
}

}  // namespace tessavue
