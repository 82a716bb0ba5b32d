// The link to the running AutoCAD LT: which edition is served, the three windows a
// capture finds, and the command channel that types into AutoCAD and waits for its
// idle prompt. One HostLink lives for the whole run of the palette.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/desktop.h"
#include "host/palette.h"

namespace tessavue {

// The three parts of the capture-failure message, joined as AutoCAD users know it.
std::string CaptureFailureMessage();

enum class WaitMode { Exact, Contains };

class HostLink {
public:
    HostLink(Desktop& desktop, MessageSink& messages);

    // Host-link state. Public on purpose: the palette's commands read it as it is.
    std::string TargetVersion = "LT 2000";
    std::string CommandLineClassPrefix = "Afx:400000:8:";
    std::string CommandPrompt = "ｺﾏﾝﾄﾞ: ";
    WindowHandle HostMainWindow = 0;
    bool HostMainFound = false;
    WindowHandle CommandLineWindow = 0;
    bool CommandLineFound = false;
    WindowHandle PasteTargetWindow = 0;
    bool PasteTargetFound = false;

    // Stores the edition and derives its prompt and class-name texts. Does not capture.
    void ApplyTargetVersion(const std::string& version);
    // Finds AutoCAD's windows; shows the capture-failure message when it cannot.
    void CaptureHost();
    // What every command does before it types anything: captures AutoCAD when it is
    // not captured, or when the windows captured earlier are gone (AutoCAD was closed
    // or started again). False, after the capture-failure message, when AutoCAD
    // cannot be found.
    bool EnsureCaptured();
    // Enumeration callbacks; they only write the state above.
    void MainWindowProbe(WindowHandle window);
    void CommandLineProbe(WindowHandle window);

    // Types `text` into AutoCAD by the edition's transport; does not wait. False when
    // nothing was typed: on LT 2006 the clipboard stayed held by another program
    // through every try, so there was nothing to paste.
    bool SendHostCommand(const std::string& text);
    // Counting the commands typed from now: each text typed while AutoCAD shows its
    // idle prompt starts one command, which AutoCAD records as one undo step. For
    // steps typed by routines that do not note them (a layer change, a connector line),
    // so that a command can undo exactly what it typed.
    void CountCommands(bool on) {
        counting_ = on;
        counted_ = 0;
    }
    std::size_t CommandsCounted() const { return counted_; }

    // Whether the last SendHostCommand typed nothing, or the history could not be
    // read since (the clipboard held by another program either way).
    bool TypingFailed() const { return typingFailed_; }
    // The history could not be had through the clipboard: a command that stops for it
    // stops as for a typing failure, and tells the user why.
    void NoteClipboardHeld() { typingFailed_ = true; }
    // The whole current text of the command-line window (empty when it is gone).
    std::string ReadCommandLine();
    // Waits until the command line equals (or contains) `text`. False when the wait
    // was abandoned: AutoCAD's main or command-line window is gone, or the palette is
    // closing; and, for a text other than the idle prompt, when the command ended
    // without showing it (the user's Esc cancelled it).
    bool WaitForCommandLine(const std::string& text, WaitMode mode);
    // Types one command and waits for the idle prompt. False when it could not be
    // typed (TypingFailed) or the wait was abandoned.
    bool RunHostCommand(const std::string& text);

    // What a wait does between two polls of the command line: gives up when AutoCAD
    // is gone (looked at only when the last read `lastRead` came back empty) or the
    // palette is closing, else dispatches the palette's messages and pauses. `poll`
    // counts the polls of this wait from 0. False: abandon the wait.
    bool BetweenPolls(unsigned poll, const std::string& lastRead);
    // Whether AutoCAD's main window or its command-line window is gone.
    bool HostGone();

    // The palette is closing: every running wait ends with false, and so does any
    // wait started from now on.
    void AbandonWaits() { abandoned_ = true; }
    bool WaitsAbandoned() const { return abandoned_; }

    // A command stopped because AutoCAD could not be typed into; `left` are the
    // put-back commands it could not type either. While a command's frame is open the
    // report is kept, so that the frame adds the user's units it could not type back
    // and the user reads one message; otherwise it is shown at once.
    void ReportTypingFailed(const std::vector<std::string>& left);
    // The frame opens and closes the time reports are kept for; EndReports gives what
    // was reported (nullopt: nothing) when the outermost frame closes.
    void BeginReports() { ++reportDepth_; }
    std::optional<std::vector<std::string>> EndReports();

    Desktop& desktop() { return desktop_; }
    // Where the commands that drive AutoCAD tell the user why they stopped.
    MessageSink& messages() { return messages_; }

    // Milliseconds between two polls of a wait: 1, 2, 4, 8, then this. A poll is a
    // round trip to AutoCAD's thread, so this bounds both the CPU a long wait costs
    // (a poll costs about 0.1 ms under Wine: 1 % of a core at this pause) and how late
    // it notices the idle prompt.
    static constexpr unsigned kLongestPollPauseMs = 13;
    // Polls that may read the idle prompt before a typed command shows anything: about
    // a second at the longest pause, far more than AutoCAD takes to start a command.
    static constexpr unsigned kCommandStartPolls = 64;
    static unsigned PollPause(unsigned poll);

    static constexpr std::size_t kTitleBuffer = 256;
    static constexpr std::size_t kCommandLineBuffer = 1012;

private:
    bool SendTyped(const std::string& text);
    bool UsesCopyData() const;
    bool UsesPaste() const;

    Desktop& desktop_;
    MessageSink& messages_;
    bool abandoned_ = false;
    // The last pause of a wait ended with nothing on the palette's queue.
    bool queueEmptyAfterPause_ = false;
    bool typingFailed_ = false;
    bool counting_ = false;
    std::size_t counted_ = 0;
    int reportDepth_ = 0;
    std::optional<std::vector<std::string>> reported_;
};

// Whether a command typed into AutoCAD is over without having shown the prompt a wait
// looks for (the user's Esc cancelled it): the idle prompt read once the command line
// has left it, or read alone for as many polls as AutoCAD needs to start a command.
class CommandEndWatch {
public:
    explicit CommandEndWatch(const HostLink& link) : prompt_(link.CommandPrompt) {}
    // Called with each read of the command line.
    bool Seen(const std::string& current) {
        if (current != prompt_) {
            left_ = true;
            idlePolls_ = 0;
            return false;
        }
        return left_ || ++idlePolls_ > HostLink::kCommandStartPolls;
    }

private:
    std::string prompt_;
    bool left_ = false;
    unsigned idlePolls_ = 0;
};

}  // namespace tessavue
