#include "host/host_link.h"

#include "host/undo_journal.h"

namespace tessavue {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Titles of AutoCAD's own secondary windows that also name AutoCAD.
bool IsSecondaryAutoCadTitle(const std::string& title) {
    return Contains(title, "ﾃｷｽﾄ") || Contains(title, "テキスト") || Contains(title, "Today") ||
           Contains(title, "ヘルプ");
}

// How many times the clipboard is tried before a paste is given up. Another program
// (a clipboard viewer, the user's own copy) may hold it for a moment.
constexpr int kClipboardTries = 10;

}  // namespace

std::string CaptureFailureMessage() {
    return std::string("ＡｕｔｏＣＡＤが起動していないか、コマンドを入力しているか、対応できないバージョンの可能性") +
           "\r\n" +
           "があります（ＡｕｔｏＣＡＤのバージョンは、ヘルプメニューの対象バージョンで選択できます）。" +
           "\r\n\r\n" + "以上を確認してからヘルプメニューの捕捉を実行して下さい。";
}

HostLink::HostLink(Desktop& desktop, MessageSink& messages) : desktop_(desktop), messages_(messages) {}

bool HostLink::UsesCopyData() const { return TargetVersion == "LT 2000" || TargetVersion == "2002"; }

bool HostLink::UsesPaste() const { return TargetVersion == "LT 2006" || TargetVersion == "2006"; }

void HostLink::ApplyTargetVersion(const std::string& version) {
    TargetVersion = version;
    if (UsesPaste()) {
        CommandPrompt = "コマンド: ";
        CommandLineClassPrefix = "Afx:00400000:8:";
    } else {
        // LT 2000, 2002 and every unknown text: the unknown ones never capture.
        CommandPrompt = "ｺﾏﾝﾄﾞ: ";
        CommandLineClassPrefix = "Afx:400000:8:";
    }
}

void HostLink::MainWindowProbe(WindowHandle window) {
    const auto title = desktop_.WindowTitle(window, kTitleBuffer);
    if (!title || title->empty()) return;
    if (Contains(*title, "AutoCAD") && !IsSecondaryAutoCadTitle(*title)) {
        HostMainWindow = window;
        HostMainFound = true;
    }
}

void HostLink::CommandLineProbe(WindowHandle window) {
    const std::string className = desktop_.ClassName(window, kTitleBuffer);
    const std::string text = desktop_.WindowText(window, kTitleBuffer);
    if (Contains(className, CommandLineClassPrefix) && text == CommandPrompt) {
        CommandLineWindow = window;
        CommandLineFound = true;
    }
    if (UsesPaste() && Contains(className, "Afx:00400000:") && text == "Marin") {
        PasteTargetWindow = window;
        PasteTargetFound = true;
    }
}

void HostLink::CaptureHost() {
    HostMainFound = false;
    CommandLineFound = false;
    PasteTargetFound = UsesCopyData();
    for (WindowHandle w : desktop_.TopLevelWindows()) MainWindowProbe(w);
    if (HostMainFound) {
        for (WindowHandle w : desktop_.DescendantWindows(HostMainWindow)) CommandLineProbe(w);
    }
    if (CommandLineFound && PasteTargetFound) return;
    // LT 2006 without its paste window counts as not captured: every command tests
    // CommandLineFound, and typing into nowhere would leave the user waiting.
    CommandLineFound = false;
    messages_.ShowConfirmation(CaptureFailureMessage());
}

bool HostLink::EnsureCaptured() {
    // Handles kept from an earlier capture name nothing once AutoCAD has closed;
    // typing into them would do nothing and say nothing.
    if (CommandLineFound && !HostGone()) return true;
    CaptureHost();
    return CommandLineFound;
}

bool HostLink::SendHostCommand(const std::string& text) {
    typingFailed_ = false;
    const bool starts = counting_ && ReadCommandLine() == CommandPrompt;
    if (!SendTyped(text)) return false;
    if (starts) ++counted_;
    return true;
}

bool HostLink::SendTyped(const std::string& text) {
    if (UsesCopyData()) {
        std::string payload = text;
        payload.push_back('\0');
        desktop_.SendCopyData(HostMainWindow, 1, payload);
        desktop_.PostNull(HostMainWindow);
    } else if (UsesPaste()) {
        bool placed = false;
        for (int i = 0; i < kClipboardTries && !placed; ++i) {
            placed = desktop_.SetClipboardText(text);
            if (!placed) desktop_.WaitBriefly();
        }
        // Pasting whatever the clipboard held instead would type the user's own
        // text into AutoCAD.
        if (!placed) {
            typingFailed_ = true;
            return false;
        }
        desktop_.SendPaste(PasteTargetWindow);
    }
    return true;
}

std::string HostLink::ReadCommandLine() { return desktop_.WindowText(CommandLineWindow, kCommandLineBuffer); }

bool HostLink::WaitForCommandLine(const std::string& text, WaitMode mode) {
    // A wait for a prompt inside a command (not the idle prompt) also ends when the
    // command is over without showing it, cancelled by the user's Esc: the idle prompt
    // once the command line has left it, or the idle prompt alone for as many polls as
    // AutoCAD needs to start a typed command.
    const bool insideCommand = !(mode == WaitMode::Exact && text == CommandPrompt);
    CommandEndWatch over(*this);
    for (unsigned poll = 0;; ++poll) {
        if (abandoned_) return false;
        const std::string current = ReadCommandLine();
        if (mode == WaitMode::Exact ? current == text : Contains(current, text)) return true;
        if (insideCommand && over.Seen(current)) return false;
        if (!BetweenPolls(poll, current)) return false;
    }
}

bool HostLink::HostGone() {
    return !desktop_.WindowExists(HostMainWindow) || !desktop_.WindowExists(CommandLineWindow);
}

bool HostLink::BetweenPolls(unsigned poll, const std::string& lastRead) {
    // A command line that answers with text is alive; only silence needs the
    // (costlier) look at whether AutoCAD is still there.
    if (abandoned_ || (lastRead.empty() && HostGone())) return false;
    // A pause that ended with an empty queue leaves nothing to dispatch: under Wine
    // every look at the queue is a trip to the server, a sixth of a poll's cost.
    // A message that comes during the read wakes the next pause at once.
    if (poll == 0 || !queueEmptyAfterPause_) desktop_.PumpMessages();
    if (abandoned_) return false;
    queueEmptyAfterPause_ = !desktop_.PauseBetweenPolls(PollPause(poll));
    return true;
}

unsigned HostLink::PollPause(unsigned poll) { return poll < 4 ? 1u << poll : kLongestPollPauseMs; }

void HostLink::ReportTypingFailed(const std::vector<std::string>& left) {
    if (reportDepth_ == 0) {
        messages_.ShowConfirmation(TypingFailedMessage(left));
        return;
    }
    if (!reported_) reported_.emplace();
    reported_->insert(reported_->end(), left.begin(), left.end());
}

std::optional<std::vector<std::string>> HostLink::EndReports() {
    if (reportDepth_ > 0) --reportDepth_;
    if (reportDepth_ > 0) return std::nullopt;
    std::optional<std::vector<std::string>> reported;
    reported.swap(reported_);
    return reported;
}

bool HostLink::RunHostCommand(const std::string& text) {
    // Without the check the idle prompt, still there because nothing was pasted,
    // would pass for the end of a command that never ran.
    if (!SendHostCommand(text)) return false;
    return WaitForCommandLine(CommandPrompt, WaitMode::Exact);
}

}  // namespace tessavue
