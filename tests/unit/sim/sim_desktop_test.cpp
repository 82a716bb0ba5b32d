// The palette's host link against the in-process stand-in: capture, both transports,
// waits that the scripted user ends, and waits that end because the host is gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sim_desktop.h"
#include "host/host_link.h"
#include "recording_sink.h"

namespace tessavue::sim {
namespace {

using tessavue::testing::RecordingSink;

struct EditionCase {
    Edition edition;
    const char* targetVersion;
};

class SimDesktopCapture : public ::testing::TestWithParam<EditionCase> {};

TEST_P(SimDesktopCapture, HostLinkCapturesTheMainAndCommandLineWindows) {
    SimDesktop desktop(GetParam().edition);
    RecordingSink sink;
    HostLink link(desktop, sink);
    link.ApplyTargetVersion(GetParam().targetVersion);
    link.CaptureHost();
    EXPECT_TRUE(sink.All().empty());
    ASSERT_TRUE(link.CommandLineFound);
    // Not AutoCAD's text window, though its title names AutoCAD and it comes later.
    EXPECT_EQ(link.HostMainWindow, desktop.MainWindow());
    EXPECT_EQ(link.CommandLineWindow, desktop.CommandLineWindow());
    EXPECT_NE(desktop.TextWindow(), 0u);
    if (GetParam().edition == Edition::LT2006) {
        EXPECT_EQ(link.PasteTargetWindow, desktop.PasteWindow());
        EXPECT_TRUE(link.PasteTargetFound);
    }
}

TEST_P(SimDesktopCapture, CommandStringArrivesByteForByte) {
    SimDesktop desktop(GetParam().edition);
    RecordingSink sink;
    HostLink link(desktop, sink);
    link.ApplyTargetVersion(GetParam().targetVersion);
    link.CaptureHost();
    ASSERT_TRUE(link.CommandLineFound);
    // A layer name with a blank and a double-byte character whose second byte is 'h'.
    const std::string command = "-layer m 表ド A\r\r_line 0,0 @3.5,-2  ";
    desktop.clipboardBusy = 2;  // the paste transport must retry the clipboard
    ASSERT_TRUE(link.RunHostCommand(command));
    const auto& received = desktop.host().ReceivedInput();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].transport, GetParam().edition == Edition::LT2006 ? "paste" : "copydata");
    EXPECT_EQ(received[0].bytes, command);
    EXPECT_EQ(desktop.host().drawing().currentLayer(), "表ド A");
    ASSERT_EQ(desktop.host().drawing().entities().size(), 1u);
    EXPECT_EQ(desktop.host().drawing().entities()[0].points[1], (Point{3.5, -2}));
    EXPECT_EQ(link.ReadCommandLine(), std::string(desktop.host().texts().idlePrompt));
}

std::string EditionName(const ::testing::TestParamInfo<EditionCase>& param) {
    return std::string(TextsFor(param.param.edition).name);
}

INSTANTIATE_TEST_SUITE_P(Editions, SimDesktopCapture,
                         ::testing::Values(EditionCase{Edition::LT2000, "LT 2000"}, EditionCase{Edition::LT2002, "2002"},
                                           EditionCase{Edition::LT2006, "LT 2006"}),
                         EditionName);

TEST(SimDesktopCaptureFailure, WrongEditionOrBusyHostIsNotCaptured) {
    SimDesktop lt2006(Edition::LT2006);
    RecordingSink sink;
    HostLink wrong(lt2006, sink);
    wrong.CaptureHost();  // LT 2000 is the link's default
    EXPECT_FALSE(wrong.CommandLineFound);
    EXPECT_EQ(sink.All().size(), 1u);

    SimDesktop busy(Edition::LT2000);
    busy.host().Type("line ");
    HostLink link(busy, sink);
    link.CaptureHost();
    EXPECT_TRUE(link.HostMainFound);
    EXPECT_FALSE(link.CommandLineFound);
    EXPECT_EQ(sink.All().size(), 2u);
}

TEST(SimDesktopWaits, ScriptedUserAnswersWhileThePaletteWaits) {
    SimDesktop desktop(Edition::LT2000);
    RecordingSink sink;
    HostLink link(desktop, sink);
    link.CaptureHost();
    ASSERT_TRUE(link.CommandLineFound);
    desktop.SetUser(*ScriptedUser::Parse("pick 1,1\npick 4,5\nenter\n"));
    ASSERT_TRUE(link.RunHostCommand("line "));
    EXPECT_TRUE(desktop.user()->Finished());
    ASSERT_EQ(desktop.host().drawing().entities().size(), 1u);
    EXPECT_EQ(desktop.host().drawing().entities()[0].points[1], (Point{4, 5}));
    EXPECT_EQ(desktop.calls.postNull, 1);
}

TEST(SimDesktopWaits, WaitEndsFalseOnceTheHostWindowsAreGone) {
    SimDesktop desktop(Edition::LT2006);
    RecordingSink sink;
    HostLink link(desktop, sink);
    link.ApplyTargetVersion("LT 2006");
    link.CaptureHost();
    ASSERT_TRUE(link.CommandLineFound);
    desktop.pumpHook = [&] {
        if (desktop.calls.pump == 3) desktop.RemoveHostWindows();
    };
    // No user: the line command would wait for ever without the way out.
    EXPECT_FALSE(link.RunHostCommand("line "));
    EXPECT_EQ(desktop.calls.pump, 3);
    EXPECT_EQ(link.ReadCommandLine(), "");
    EXPECT_TRUE(desktop.TopLevelWindows().size() == 1u);  // only the unrelated one
}

TEST(SimDesktopWindows, GetTextSemanticsAndAddedWindows) {
    SimDesktop desktop(Edition::LT2000);
    const WindowHandle cmd = desktop.CommandLineWindow();
    EXPECT_EQ(desktop.WindowText(cmd, 1012), "ｺﾏﾝﾄﾞ: ");
    EXPECT_EQ(desktop.WindowText(cmd, 4), "ｺﾏﾝ");
    EXPECT_EQ(desktop.WindowText(cmd, 1), "");
    EXPECT_EQ(desktop.ClassName(cmd, 256), "Afx:400000:8:10011:0:0");
    EXPECT_EQ(desktop.WindowTitle(desktop.TextWindow(), 256), "AutoCAD LT ﾃｷｽﾄ ｳｨﾝﾄﾞｳ - Drawing1.dwg");
    EXPECT_EQ(desktop.PasteWindow(), 0u);

    // A second AutoCAD started later: the capture takes the last one listed.
    const WindowHandle other = desktop.AddWindow(0, "AutoCAD LT 2000 - [Other.dwg]", "Afx:x", "");
    RecordingSink sink;
    HostLink link(desktop, sink);
    link.CaptureHost();
    EXPECT_EQ(link.HostMainWindow, other);
    EXPECT_FALSE(link.CommandLineFound);

    SimDesktop lt2006(Edition::LT2006);
    EXPECT_EQ(lt2006.ClassName(lt2006.CommandLineWindow(), 256), "Afx:00400000:8:00010011:00000000:00000000");
    const std::string pasteClass = lt2006.ClassName(lt2006.PasteWindow(), 256);
    EXPECT_NE(pasteClass.find("Afx:00400000:"), std::string::npos);
    EXPECT_EQ(pasteClass.find("Afx:00400000:8:"), std::string::npos);
    EXPECT_EQ(lt2006.WindowText(lt2006.PasteWindow(), 256), "Marin");
}

TEST(SimDesktopTransports, OnlyTheRightWindowAndRecordTypeAreTyped) {
    SimDesktop desktop(Edition::LT2000);
    desktop.SendCopyData(desktop.CommandLineWindow(), 1, std::string("line\0", 5));
    desktop.SendCopyData(desktop.MainWindow(), 7, std::string("line\0", 5));
    EXPECT_TRUE(desktop.host().ReceivedInput().empty());
    desktop.SendCopyData(desktop.MainWindow(), 2, std::string("C:\\out.txt\0", 11));
    EXPECT_EQ(desktop.dumpRequests, std::vector<std::string>{"C:\\out.txt"});
    // The payload is read as a zero-terminated string.
    desktop.SendCopyData(desktop.MainWindow(), 1, std::string("id\0junk", 7));
    EXPECT_EQ(desktop.host().ReceivedInput().back().bytes, "id");
    desktop.SendPaste(desktop.MainWindow());  // LT 2000 has no paste window
    EXPECT_EQ(desktop.host().ReceivedInput().size(), 1u);

    // copyhist puts the history on the shared clipboard.
    desktop.host().Type("\x1b");
    desktop.host().Type("copyhist ");
    ASSERT_TRUE(desktop.ClipboardText().has_value());
    EXPECT_NE(desktop.ClipboardText()->find("ｺﾏﾝﾄﾞ: copyhist\r\n"), std::string::npos);
}


// The fault hook: it comes at the N-th command the palette types, whatever the user
// typed in between, and does what its kind says to that command and no other.
TEST(SimDesktopFault, ComesAtTheNthCommandThePaletteTypes) {
    struct Case {
        const char* name;
        Fault fault;
        Edition edition;
        // What the stand-in took of the palette's three commands, and what it shows after.
        std::vector<std::string> taken;
        bool windowsGone;
        bool closePosted;
    };
    const Case cases[] = {
        {"Esc at the second: its first input, then the cancel", Fault::Esc, Edition::LT2000,
         {"line 0,0 @1,0  ", "line 0,1 @1,0  ", "line 0,2 @1,0  "}, false, false},
        {"AutoCAD closed at the second: nothing more is taken", Fault::Quit, Edition::LT2000,
         {"line 0,0 @1,0  "}, true, false},
        {"the palette closed at the second: taken, then the close", Fault::PaletteClose, Edition::LT2000,
         {"line 0,0 @1,0  ", "line 0,1 @1,0  ", "line 0,2 @1,0  "}, false, true},
        {"the clipboard held from the second", Fault::Clipboard, Edition::LT2006, {"line 0,0 @1,0  "}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop desktop(c.edition);
        RecordingSink sink;
        HostLink link(desktop, sink);
        link.ApplyTargetVersion(c.edition == Edition::LT2006 ? "LT 2006" : "LT 2000");
        link.CaptureHost();
        ASSERT_TRUE(link.CommandLineFound);
        bool closed = false;
        desktop.onPaletteClose = [&] { closed = true; };
        desktop.ArmFault(2, c.fault);
        link.SendHostCommand("line 0,0 @1,0  ");
        // The user's own typing is not one of the palette's commands.
        desktop.host().Receive("user", "id 5,5 ");
        link.SendHostCommand("line 0,1 @1,0  ");
        desktop.PumpMessages();
        link.SendHostCommand("line 0,2 @1,0  ");
        std::vector<std::string> taken;
        for (const InputChunk& chunk : desktop.host().ReceivedInput())
            if (chunk.transport != "user") taken.push_back(chunk.bytes);
        EXPECT_EQ(taken, c.taken);
        EXPECT_TRUE(desktop.host().FaultFired());
        EXPECT_EQ(!desktop.WindowExists(desktop.MainWindow()), c.windowsGone);
        EXPECT_EQ(closed, c.closePosted);
        // Esc: the second line command is cancelled before its first point, so only the
        // first and the third line are drawn; the palette's typing is recorded as typed.
        const std::size_t lines = c.fault == Fault::Esc ? 2u : c.fault == Fault::PaletteClose ? 3u : 1u;
        EXPECT_EQ(desktop.host().drawing().entities().size(), lines);
        if (c.fault == Fault::Clipboard) {
            EXPECT_TRUE(link.TypingFailed());
            desktop.ReleaseClipboard();
            EXPECT_TRUE(link.SendHostCommand("line 0,3 @1,0  "));
        }
    }
}

}  // namespace
}  // namespace tessavue::sim
