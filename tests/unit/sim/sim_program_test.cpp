// tessavue-sim.exe as the palette meets it: a separate process found by the real
// Win32 desktop, typed into by both transports, its dump asked for by WM_COPYDATA.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/program_path.h"

#include <filesystem>
#include <fstream>
#include <string>

#include "core/dump.h"
#include "host/host_link.h"
#include "recording_sink.h"
#include "platform/win32/win32_desktop.h"

namespace tessavue::sim {
namespace {

using tessavue::testing::RecordingSink;

std::filesystem::path ThisProgramFolder() { return tessavue::ProgramPath().parent_path(); }

// The build puts the program in <build>/sim and this test in <build>/tests/unit/sim.
std::filesystem::path SimProgramPath() { return ThisProgramFolder() / ".." / ".." / ".." / "sim" / "tessavue-sim.exe"; }

std::string ToShiftJis(const std::wstring& text) {
    const int n = WideCharToMultiByte(932, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return out;
}

class SimProgramTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 10000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void Start(const std::wstring& edition, const std::string& userScript) {
        ASSERT_TRUE(std::filesystem::exists(SimProgramPath())) << SimProgramPath().string();
        folder_ = std::filesystem::temp_directory_path() / (L"tessavue-sim-test-" + std::to_wstring(GetCurrentProcessId()));
        std::filesystem::create_directories(folder_);
        const auto script = folder_ / L"user.txt";
        std::ofstream(script, std::ios::binary) << userScript;
        dump_ = folder_ / L"ダンプ.txt";  // a Japanese file name must survive
        std::wstring commandLine = L"\"" + SimProgramPath().wstring() + L"\" --edition " + edition + L" --user-script \"" +
                                   script.wstring() + L"\" --dump \"" + dump_.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process_));
        WaitForInputIdle(process_.hProcess, 10000);
    }

    // Captures as the palette does, retrying while the program comes up.
    bool Capture(HostLink& link) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            link.CaptureHost();
            if (link.CommandLineFound) return true;
            if (WaitForSingleObject(process_.hProcess, 50) != WAIT_TIMEOUT) return false;
        }
        return false;
    }

    std::optional<SimDump> ReadDumpFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        return ReadDump(in);
    }

    PROCESS_INFORMATION process_{};
    std::filesystem::path folder_;
    std::filesystem::path dump_;
};

TEST_F(SimProgramTest, Lt2000TakesCopyDataAndTheUserAnswersTheWaitingPrompt) {
    Start(L"LT2000", "pick 0,100\npick 100,100\nenter\n");
    Win32Desktop desktop;
    RecordingSink sink;
    HostLink link(desktop, sink);
    ASSERT_TRUE(Capture(link));
    const std::string first = "-layer m 表ド A\r\rline 0,0 100,0 50,80 c ";
    ASSERT_TRUE(link.RunHostCommand(first));
    EXPECT_EQ(link.ReadCommandLine(), "ｺﾏﾝﾄﾞ: ");
    // The scripted user picks the points of this one while the wait goes on.
    ASSERT_TRUE(link.RunHostCommand("line "));

    const auto other = folder_ / L"other.txt";
    desktop.SendCopyData(link.HostMainWindow, 2, ToShiftJis(other.wstring()) + std::string(1, '\0'));
    const auto dump = ReadDumpFile(other);
    ASSERT_TRUE(dump.has_value());
    EXPECT_EQ(dump->edition, "LT2000");
    EXPECT_EQ(dump->currentLayer, "表ド A");
    ASSERT_EQ(dump->entities.size(), 4u);
    EXPECT_EQ(dump->entities[3].points[0], (Point{0, 100}));
    EXPECT_EQ(dump->entities[3].points[1], (Point{100, 100}));
    ASSERT_GE(dump->inputs.size(), 2u);
    EXPECT_EQ(dump->inputs[0], (InputChunk{"copydata", first}));

    // Closing the main window ends the program and leaves the dump at exit.
    PostMessageW(ToHwnd(link.HostMainWindow), WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, 10000), WAIT_OBJECT_0);
    const auto atExit = ReadDumpFile(dump_);
    ASSERT_TRUE(atExit.has_value());
    EXPECT_EQ(atExit->entities.size(), 4u);
}

TEST_F(SimProgramTest, Lt2006TakesPastedTextAndAWaitEndsWhenTheProgramDies) {
    Start(L"LT2006", "");
    Win32Desktop desktop;
    RecordingSink sink;
    HostLink link(desktop, sink);
    link.ApplyTargetVersion("LT 2006");
    ASSERT_TRUE(Capture(link));
    ASSERT_TRUE(link.PasteTargetFound);
    const std::string command = "line 1,2 @3,4  ";
    ASSERT_TRUE(link.RunHostCommand(command));
    desktop.SendCopyData(link.HostMainWindow, 2, std::string(1, '\0'));
    const auto dump = ReadDumpFile(dump_);
    ASSERT_TRUE(dump.has_value());
    ASSERT_EQ(dump->inputs.size(), 1u);
    EXPECT_EQ(dump->inputs[0], (InputChunk{"paste", command}));
    ASSERT_EQ(dump->entities.size(), 1u);
    EXPECT_EQ(dump->entities[0].points[1], (Point{4, 6}));

    // Nobody answers this prompt; the wait must end once the program is gone.
    link.SendHostCommand("line ");
    ASSERT_TRUE(link.WaitForCommandLine("1 点目を指定: ", WaitMode::Contains));
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
    EXPECT_FALSE(link.WaitForCommandLine(link.CommandPrompt, WaitMode::Exact));
}

}  // namespace
}  // namespace tessavue::sim
