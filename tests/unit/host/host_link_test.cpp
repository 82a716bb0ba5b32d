#include "host/host_link.h"
#include "host/undo_journal.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_desktop.h"
#include "recording_sink.h"

namespace tessavue {
namespace {

using testing::FakeDesktop;
using testing::FakeWindow;

using testing::RecordingSink;

const std::string kHalfPrompt = "\xBA\xCF\xDD\xC4\xDE\x3A\x20";  // ｺﾏﾝﾄﾞ: in code page 932
const std::string kFullPrompt = "\x83\x52\x83\x7D\x83\x93\x83\x68\x3A\x20";  // コマンド:
const std::string kLt2000Class = "Afx:400000:8:10011:0:0";
const std::string kLt2006Class = "Afx:00400000:8:00010011:00000000:00000000";
const std::string kPasteClass = "Afx:00400000:0:00010011:00000000:00000000";

struct Host {
    WindowHandle main = 0, commandLine = 0, paste = 0;
};

// An AutoCAD LT of the given kind as the capture sees it: main window, its text
// window (a second top-level window naming AutoCAD), a few children.
Host AddHost(FakeDesktop& d, bool lt2006, const std::string& commandLineText) {
    Host h;
    h.main = d.Add({lt2006 ? "AutoCAD LT 2006 - [Drawing1.dwg]" : "AutoCAD LT 2000 - [Drawing1.dwg]", "AfxFrame", ""});
    d.Add({lt2006 ? "AutoCAD LT テキスト ウィンドウ" : "AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ", "AfxText", ""});
    d.Add({"", "Afx:400000:0:10011:0:0", "canvas", h.main});
    const WindowHandle bar = d.Add({"", "AfxControlBar", "", h.main});
    h.commandLine = d.Add({"", lt2006 ? kLt2006Class : kLt2000Class, commandLineText, bar});
    if (lt2006) h.paste = d.Add({"", kPasteClass, "Marin", bar});
    return h;
}

// A desktop of a case's own, one AutoCAD on it, and a link (not yet captured).
struct OwnHost {
    explicit OwnHost(bool lt2006) {
        link.ApplyTargetVersion(lt2006 ? "LT 2006" : "LT 2000");
        host = AddHost(desktop, lt2006, lt2006 ? kFullPrompt : kHalfPrompt);
    }
    FakeDesktop desktop;
    RecordingSink messages;
    HostLink link{desktop, messages};
    Host host;
};

class HostLinkTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    RecordingSink sink;
    HostLink link{desktop, sink};
};

TEST_F(HostLinkTest, VersionTableGivesPromptAndClassPrefix) {
    EXPECT_EQ(link.TargetVersion, "LT 2000");
    EXPECT_EQ(link.CommandPrompt, kHalfPrompt);
    struct Row { const char* version; std::string prompt; const char* prefix; };
    const Row rows[] = {{"LT 2000", kHalfPrompt, "Afx:400000:8:"},   {"2002", kHalfPrompt, "Afx:400000:8:"},
                        {"LT 2006", kFullPrompt, "Afx:00400000:8:"}, {"2006", kFullPrompt, "Afx:00400000:8:"},
                        {"2004", kHalfPrompt, "Afx:400000:8:"},      {"", kHalfPrompt, "Afx:400000:8:"},
                        {"lt 2006", kHalfPrompt, "Afx:400000:8:"}};
    for (const Row& r : rows) {
        link.ApplyTargetVersion(r.version);
        EXPECT_EQ(link.TargetVersion, r.version);
        EXPECT_EQ(link.CommandPrompt, r.prompt) << r.version;
        EXPECT_EQ(link.CommandLineClassPrefix, r.prefix) << r.version;
    }
    EXPECT_TRUE(desktop.log.empty()) << "applying a version must not capture or send";
}

TEST_F(HostLinkTest, CaptureFailureMessageIsTheThreePartsJoined) {
    const std::string m = CaptureFailureMessage();
    const auto first = m.find("\r\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(m.substr(0, first), "ＡｕｔｏＣＡＤが起動していないか、コマンドを入力しているか、対応できないバージョンの可能性");
    const auto second = m.find("\r\n\r\n", first + 2);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(m.substr(first + 2, second - first - 2),
              "があります（ＡｕｔｏＣＡＤのバージョンは、ヘルプメニューの対象バージョンで選択できます）。");
    EXPECT_EQ(m.substr(second + 4), "以上を確認してからヘルプメニューの捕捉を実行して下さい。");
}

TEST_F(HostLinkTest, CaptureFailsWithMessageWhenNoHostRuns) {
    desktop.Add({"Notepad", "Notepad", ""});
    link.CaptureHost();
    EXPECT_FALSE(link.CommandLineFound);
    EXPECT_FALSE(link.HostMainFound);
    ASSERT_EQ(sink.confirmations.size(), 1u);
    EXPECT_EQ(sink.confirmations[0], CaptureFailureMessage());
}

TEST_F(HostLinkTest, CaptureFindsIdleLt2000AndSkipsItsTextWindow) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    EXPECT_TRUE(link.CommandLineFound);
    EXPECT_EQ(link.HostMainWindow, h.main);
    EXPECT_EQ(link.CommandLineWindow, h.commandLine);
    EXPECT_TRUE(sink.confirmations.empty());
}

TEST_F(HostLinkTest, CaptureFailsWhileHostSitsInsideACommand) {
    AddHost(desktop, false, "始点を指定: ");
    link.CaptureHost();
    EXPECT_TRUE(link.HostMainFound);
    EXPECT_FALSE(link.CommandLineFound);
    EXPECT_EQ(sink.confirmations.size(), 1u);
}

TEST_F(HostLinkTest, PromptMustMatchWholeTextWithTrailingSpace) {
    AddHost(desktop, false, "ｺﾏﾝﾄﾞ:");
    link.CaptureHost();
    EXPECT_FALSE(link.CommandLineFound);
}

TEST_F(HostLinkTest, EditionMismatchFailsBothWays) {
    AddHost(desktop, true, kFullPrompt);
    link.CaptureHost();  // LT 2000 looking at an LT 2006
    EXPECT_FALSE(link.CommandLineFound);

    FakeDesktop other;
    RecordingSink otherSink;
    HostLink link2006{other, otherSink};
    link2006.ApplyTargetVersion("LT 2006");
    AddHost(other, false, kHalfPrompt);
    link2006.CaptureHost();
    EXPECT_FALSE(link2006.CommandLineFound);
    EXPECT_EQ(otherSink.confirmations.size(), 1u);
}

TEST_F(HostLinkTest, Lt2006NeedsItsPasteWindow) {
    link.ApplyTargetVersion("LT 2006");
    const Host h = AddHost(desktop, true, kFullPrompt);
    link.CaptureHost();
    EXPECT_TRUE(link.CommandLineFound);
    EXPECT_TRUE(link.PasteTargetFound);
    EXPECT_EQ(link.PasteTargetWindow, h.paste);
    EXPECT_TRUE(sink.confirmations.empty());

    // Without the paste window the host is not captured at all: a pasted command
    // would reach no window.
    desktop.At(h.paste).exists = false;
    link.CaptureHost();
    EXPECT_FALSE(link.CommandLineFound);
    EXPECT_EQ(sink.confirmations.size(), 1u);
}

TEST_F(HostLinkTest, UnknownVersionNeverCaptures) {
    link.ApplyTargetVersion("2004");
    AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    EXPECT_FALSE(link.CommandLineFound);
    EXPECT_EQ(sink.confirmations.size(), 1u);
}

TEST_F(HostLinkTest, SecondaryWindowsNamingAutoCadAreNeverTaken) {
    for (const char* title : {"AutoCAD Today", "AutoCAD LT ヘルプ", "AutoCAD ﾃｷｽﾄ", "テキスト - AutoCAD"}) {
        FakeDesktop d;
        RecordingSink s;
        HostLink l{d, s};
        const WindowHandle w = d.Add({title, "X", ""});
        d.Add({"", kLt2000Class, kHalfPrompt, w});
        l.CaptureHost();
        EXPECT_FALSE(l.HostMainFound) << title;
        EXPECT_FALSE(l.CommandLineFound) << title;
    }
}

TEST_F(HostLinkTest, LastPassingMainWindowWins) {
    AddHost(desktop, false, kHalfPrompt);
    const Host second = AddHost(desktop, false, "busy");
    link.CaptureHost();
    EXPECT_EQ(link.HostMainWindow, second.main);
    EXPECT_FALSE(link.CommandLineFound) << "only the last main window's children are searched";
}

TEST_F(HostLinkTest, CopyDataTransportCarriesTheZeroByteThenPostsNull) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    const std::string command = "-layer s 画層 A\r";
    link.SendHostCommand(command);
    link.SendHostCommand("");
    ASSERT_EQ(desktop.copyData.size(), 2u);
    EXPECT_EQ(desktop.copyData[0].window, h.main);
    EXPECT_EQ(desktop.copyData[0].dwData, 1u);
    EXPECT_EQ(desktop.copyData[0].payload, command + std::string(1, '\0'));
    EXPECT_EQ(desktop.copyData[1].payload, std::string(1, '\0'));
    const std::vector<std::string> expected = {"copydata", "null:" + std::to_string(h.main), "copydata",
                                               "null:" + std::to_string(h.main)};
    EXPECT_EQ(desktop.log, expected);
}

TEST_F(HostLinkTest, PasteTransportPutsTextOnClipboardThenPastes) {
    link.ApplyTargetVersion("LT 2006");
    const Host h = AddHost(desktop, true, kFullPrompt);
    link.CaptureHost();
    link.SendHostCommand("copyhist ");
    ASSERT_EQ(desktop.log.size(), 1u);
    EXPECT_EQ(desktop.log[0], "paste:" + std::to_string(h.paste) + ":copyhist ");
    EXPECT_EQ(desktop.clipboard, "copyhist ") << "the command stays on the clipboard";
    EXPECT_TRUE(desktop.copyData.empty());
}

TEST_F(HostLinkTest, PasteWaitsOutABusyClipboardButNeverPastesStaleText) {
    link.ApplyTargetVersion("LT 2006");
    AddHost(desktop, true, kFullPrompt);
    link.CaptureHost();
    desktop.clipboard = "the user's own text";
    desktop.clipboardBusy = 3;
    link.SendHostCommand("line ");
    ASSERT_EQ(desktop.log.size(), 1u);
    EXPECT_NE(desktop.log[0].find(":line "), std::string::npos);

    desktop.log.clear();
    desktop.clipboardBusy = 1000;
    EXPECT_FALSE(link.SendHostCommand("erase "));
    EXPECT_TRUE(link.TypingFailed());
    EXPECT_TRUE(desktop.log.empty()) << "a clipboard that never opens must not paste the old text";
}

// Nothing pasted, the idle prompt is still there: the step must not pass for done.
TEST_F(HostLinkTest, APasteThatNeverHappenedFailsTheCommand) {
    link.ApplyTargetVersion("LT 2006");
    AddHost(desktop, true, kFullPrompt);
    link.CaptureHost();
    desktop.clipboardBusy = 1000;
    EXPECT_FALSE(link.RunHostCommand("erase "));
    EXPECT_TRUE(link.TypingFailed());
    EXPECT_FALSE(link.WaitsAbandoned());
    desktop.clipboardBusy = 0;
    EXPECT_TRUE(link.RunHostCommand("erase "));
    EXPECT_FALSE(link.TypingFailed()) << "each command starts afresh";
}

// Every command captures through EnsureCaptured before it types: it keeps a capture
// whose windows are still there, and captures again once they are gone.
TEST_F(HostLinkTest, EnsureCapturedCapturesAgainOnlyWhenTheWindowsAreGone) {
    struct Case {
        const char* name;
        bool capturedBefore;
        bool closeFirstHost;
        bool startSecondHost;
        bool found;
        bool secondHostTaken;
        std::size_t messages;
    };
    const Case cases[] = {
        {"never captured, AutoCAD running", false, false, false, true, false, 0},
        {"captured, AutoCAD still there", true, false, false, true, false, 0},
        {"captured, AutoCAD closed since", true, true, false, false, false, 1},
        {"captured, AutoCAD closed and started again", true, true, true, true, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnHost own(false);
        FakeDesktop& d = own.desktop;
        HostLink& l = own.link;
        RecordingSink& messages = own.messages;
        const Host first = own.host;
        if (c.capturedBefore) {
            l.CaptureHost();
            ASSERT_TRUE(l.CommandLineFound);
        }
        if (c.closeFirstHost) d.At(first.main).exists = false;
        Host second;
        if (c.startSecondHost) second = AddHost(d, false, kHalfPrompt);
        EXPECT_EQ(l.EnsureCaptured(), c.found);
        EXPECT_EQ(l.CommandLineFound, c.found);
        if (c.found) {
            EXPECT_EQ(l.CommandLineWindow, c.secondHostTaken ? second.commandLine : first.commandLine);
        }
        ASSERT_EQ(messages.confirmations.size(), c.messages);
        if (c.messages > 0) {
            EXPECT_EQ(messages.confirmations[0], CaptureFailureMessage());
        }
    }
}

TEST_F(HostLinkTest, OtherVersionsSendNothing) {
    link.ApplyTargetVersion("2004");
    AddHost(desktop, false, kHalfPrompt);
    link.SendHostCommand("line ");
    EXPECT_TRUE(desktop.log.empty());
}

TEST_F(HostLinkTest, CommandLineIsCutAt1011Bytes) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    desktop.At(h.commandLine).text = std::string(1500, 'x');
    EXPECT_EQ(link.ReadCommandLine().size(), 1011u);
    desktop.At(h.commandLine).exists = false;
    EXPECT_EQ(link.ReadCommandLine(), "");
}

TEST_F(HostLinkTest, RunHostCommandReturnsAsSoonAsPromptIsBack) {
    AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    EXPECT_TRUE(link.RunHostCommand("redraw "));
    EXPECT_EQ(desktop.textReads, 1 + 3) << "capture reads 3 children; one poll suffices";
    EXPECT_EQ(desktop.waits, 0);
}

TEST_F(HostLinkTest, WaitPollsWithPumpAndPauseUntilText) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    desktop.At(h.commandLine).text = "obj: ";
    int reads = 0;
    desktop.onRead = [&](WindowHandle w) {
        if (w == h.commandLine && ++reads == 5) desktop.At(h.commandLine).text = "LASTPOINT を指定 <1,2,0>: ";
    };
    EXPECT_TRUE(link.WaitForCommandLine("LASTPOINT", WaitMode::Contains));
    EXPECT_EQ(reads, 5);
    EXPECT_EQ(desktop.pumps, 4);
    EXPECT_EQ(desktop.waits, 4) << "every unsuccessful poll sleeps on the queue";
    EXPECT_EQ(desktop.pauses, (std::vector<unsigned>{1, 2, 4, 8}));
}

// The queue is looked at on the first poll and after every pause that saw a message
// come in; a pause that ran its whole time leaves nothing to dispatch.
TEST_F(HostLinkTest, WaitLooksAtTheQueueOnlyAfterAPauseThatSawMessages) {
    struct Row {
        std::vector<bool> pausesSawMessages;  // one per unsuccessful poll
        int pumps;
    };
    const Row rows[] = {
        {{true, true, true, true}, 4},
        {{false, false, false, false}, 1},
        {{false, false, true, false}, 2},
        {{true, false, false, true}, 2},
    };
    for (const Row& row : rows) {
        FakeDesktop fake;
        HostLink wait(fake, sink);
        const Host h = AddHost(fake, false, kHalfPrompt);
        wait.CaptureHost();
        fake.At(h.commandLine).text = "obj: ";
        std::size_t reads = 0;
        fake.onRead = [&](WindowHandle w) {
            if (w != h.commandLine) return;
            ++reads;
            if (reads <= row.pausesSawMessages.size()) fake.pauseBringsMessages = row.pausesSawMessages[reads - 1];
            if (reads == row.pausesSawMessages.size() + 1) fake.At(h.commandLine).text = kHalfPrompt;
        };
        EXPECT_TRUE(wait.WaitForCommandLine(kHalfPrompt, WaitMode::Exact));
        EXPECT_EQ(fake.waits, static_cast<int>(row.pausesSawMessages.size()));
        EXPECT_EQ(fake.pumps, row.pumps) << "after pauses " << ::testing::PrintToString(row.pausesSawMessages);
    }
}

TEST_F(HostLinkTest, LongWaitsPauseLongerButNeverBeyondTheCap) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    desktop.At(h.commandLine).text = "obj: ";
    int reads = 0;
    desktop.onRead = [&](WindowHandle) {
        if (++reads == 200) desktop.At(h.commandLine).text = kHalfPrompt;
    };
    EXPECT_TRUE(link.WaitForCommandLine(kHalfPrompt, WaitMode::Exact));
    ASSERT_EQ(desktop.pauses.size(), 199u);
    EXPECT_EQ(desktop.pauses[4], HostLink::kLongestPollPauseMs);
    EXPECT_EQ(*std::max_element(desktop.pauses.begin(), desktop.pauses.end()), HostLink::kLongestPollPauseMs);
    EXPECT_EQ(desktop.pauses.back(), HostLink::kLongestPollPauseMs);
}

TEST_F(HostLinkTest, ExactModeNeedsTheWholeText) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    desktop.At(h.commandLine).text = "ｺﾏﾝﾄﾞ: line";
    int reads = 0;
    desktop.onRead = [&](WindowHandle) {
        if (++reads == 3) desktop.At(h.commandLine).text = kHalfPrompt;
    };
    EXPECT_TRUE(link.WaitForCommandLine(kHalfPrompt, WaitMode::Exact));
    EXPECT_EQ(reads, 3);
}

TEST_F(HostLinkTest, WaitIsAbandonedWhenHostWindowsVanish) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    desktop.At(h.commandLine).text = "obj: ";
    int pumps = 0;
    desktop.onPump = [&] {
        if (++pumps == 3) desktop.At(h.main).exists = false;  // AutoCAD closed
    };
    EXPECT_FALSE(link.RunHostCommand("select "));
    EXPECT_EQ(pumps, 3);

    desktop.At(h.main).exists = true;
    desktop.At(h.commandLine).exists = false;
    EXPECT_FALSE(link.WaitForCommandLine(kHalfPrompt, WaitMode::Exact));

    // A live command line that shows nothing for a moment is not taken for a closed host.
    desktop.At(h.commandLine).exists = true;
    desktop.At(h.commandLine).text = "";
    int reads = 0;
    desktop.onRead = [&](WindowHandle) {
        if (++reads == 3) desktop.At(h.commandLine).text = kHalfPrompt;
    };
    EXPECT_TRUE(link.WaitForCommandLine(kHalfPrompt, WaitMode::Exact));
}

TEST_F(HostLinkTest, ClosingThePaletteAbandonsRunningAndLaterWaits) {
    const Host h = AddHost(desktop, false, kHalfPrompt);
    link.CaptureHost();
    desktop.At(h.commandLine).text = "obj: ";
    desktop.onPump = [&] { link.AbandonWaits(); };  // the close arrives among the palette's messages
    EXPECT_FALSE(link.RunHostCommand("select "));
    EXPECT_EQ(desktop.pumps, 1);
    EXPECT_EQ(desktop.waits, 0) << "no pause after the close was seen";
    desktop.At(h.commandLine).text = kHalfPrompt;
    EXPECT_FALSE(link.RunHostCommand("line ")) << "a wait started after the close ends at once";
}


// ---- the undo journal ----------------------------------------------------------------

// One thing a command does to the drawing, as the journal is told of it.
struct JournalStep {
    enum Kind { Run, Note, Undo, Turn, DialogsOff, DialogsOn } kind;
    int amount = 0;        // steps noted or undone, degrees turned
    bool typable = true;   // false: the clipboard stays busy through every try
};

// What the journal holds after each series of steps is exactly what puts the drawing
// back, and a step that never reached AutoCAD is not held.
TEST_F(HostLinkTest, TheJournalHoldsWhatWasTypedAndPutsItBackInOrder) {
    struct Case {
        const char* name;
        std::vector<JournalStep> steps;
        std::vector<std::string> putBack;
    };
    using S = JournalStep;
    const Case cases[] = {
        {"nothing done", {}, {}},
        {"turned there and partly back", {{S::Turn, 45}, {S::Turn, -90}}, {"rotate pre  78.14063886,-118.89259016 45 "}},
        {"turned there and back", {{S::Turn, 45}, {S::Turn, -90}, {S::Turn, 45}}, {}},
        {"file dialogs off", {{S::DialogsOff}}, {"filedia 1 "}},
        {"file dialogs off and on again", {{S::DialogsOff}, {S::DialogsOn}}, {}},
        {"exploded, queried, one undone",
         {{S::DialogsOff}, {S::Run}, {S::Run}, {S::Note, 1}, {S::Undo, 1}},
         {"u u ", "filedia 1 "}},
        // The newest steps first: what was done after the turn is undone before it is
        // turned back.
        {"everything at once",
         {{S::DialogsOff}, {S::Turn, 45}, {S::Run}, {S::Note, 2}},
         {"u u u ", "rotate pre  78.14063886,-118.89259016 -45 ", "filedia 1 "}},
        // FILEDIA set after a step is a step of its own for "u".
        {"file dialogs set among undo steps", {{S::Run}, {S::DialogsOff}, {S::DialogsOn}}, {"u u u "}},
        {"a turn that was never typed", {{S::Turn, 45, false}}, {}},
        {"an explosion that was never typed", {{S::DialogsOff}, {S::Run, 0, false}}, {"filedia 1 "}},
        {"an undo that was never typed", {{S::Run}, {S::Run}, {S::Undo, 2, false}}, {"u u "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OwnHost own(true);
        FakeDesktop& d = own.desktop;
        own.link.CaptureHost();
        UndoJournal journal(own.link);
        for (const JournalStep& step : c.steps) {
            d.clipboardBusy = step.typable ? 0 : 1000;
            bool done = true;
            switch (step.kind) {
                case S::Run: done = journal.Run("explode pre  "); break;
                case S::Note: journal.NoteSteps(static_cast<std::size_t>(step.amount)); break;
                case S::Undo: done = journal.Undo(static_cast<std::size_t>(step.amount)); break;
                case S::Turn: done = journal.Turn(step.amount, 78.14063886, -118.89259016); break;
                case S::DialogsOff: done = journal.FileDialogs(false); break;
                case S::DialogsOn: done = journal.FileDialogs(true); break;
            }
            EXPECT_EQ(done, step.typable);
        }
        d.clipboardBusy = 0;
        EXPECT_EQ(journal.PutBackCommands(), c.putBack);
        d.log.clear();
        EXPECT_TRUE(journal.PutBack().empty());
        std::vector<std::string> typed;
        for (const std::string& entry : d.log) typed.push_back(entry.substr(entry.find(':', 6) + 1));
        EXPECT_EQ(typed, c.putBack);
        EXPECT_TRUE(journal.PutBackCommands().empty()) << "put back once, the journal is empty";
    }
}

// The put-back types through the clipboard too: what it cannot type is handed back
// so that the user can be told to finish it by hand.
TEST_F(HostLinkTest, APutBackThatCannotBeTypedSaysWhatIsLeft) {
    link.ApplyTargetVersion("LT 2006");
    AddHost(desktop, true, kFullPrompt);
    link.CaptureHost();
    UndoJournal journal(link);
    ASSERT_TRUE(journal.FileDialogs(false));
    ASSERT_TRUE(journal.Turn(45, 1e-5, 1234567.125));
    ASSERT_TRUE(journal.Run("explode pre  "));
    desktop.log.clear();
    // The turn back gets through after a few tries; then the clipboard stays held.
    desktop.clipboardBusy = 3;
    desktop.onRead = [&](WindowHandle) {
        if (desktop.log.size() == 1) desktop.clipboardBusy = 1000;
    };
    const std::vector<std::string> left = journal.PutBack();
    ASSERT_EQ(desktop.log.size(), 1u);
    EXPECT_NE(desktop.log[0].find("u "), std::string::npos);
    EXPECT_EQ(left, (std::vector<std::string>{"rotate pre  1E-5,1234567.125 -45 ", "filedia 1 "}));

    const std::string opening = TypingFailedMessage({});
    const std::string message = TypingFailedMessage(left);
    EXPECT_EQ(message.find(opening), 0u) << "the same opening as with nothing left";
    const auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(endsWith(message, "\r\n\r\nrotate pre  1E-5,1234567.125 -45\r\nfiledia 1"))
        << "each command on its own line, trimmed";
    EXPECT_TRUE(endsWith(TypingFailedMessage({"-purge b ip1\rn\r"}), "\r\n-purge b ip1\r\nn"))
        << "a carriage return ends the line: a blank would not end the block name";
}

}  // namespace
}  // namespace tessavue
