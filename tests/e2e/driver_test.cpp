// The driver's own parts that the palette tests rely on without showing them: how a
// command line is quoted, how a wait reports its end, how a started program is ended.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program.h"
#include "texts.h"
#include "waiting.h"

namespace tessavue::e2e {
namespace {

std::vector<std::wstring> SplitAgain(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* parts = CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> split(parts, parts + count);
    LocalFree(parts);
    return split;
}

TEST(CommandLine, EveryArgumentSurvivesTheSplit) {
    const std::vector<std::wstring> arguments = {
        L"plain", L"two words", L"", L"say \"hi\"", L"trailing\\", L"C:\\日本語 フォルダ\\", L"a\\\\\"b", L"--edition",
    };
    const std::filesystem::path program = L"C:\\テスト フォルダ\\tessavue-sim.exe";
    const auto split = SplitAgain(BuildCommandLine(program, arguments));
    ASSERT_EQ(split.size(), arguments.size() + 1);
    EXPECT_EQ(split[0], program.wstring());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        EXPECT_EQ(split[i + 1], arguments[i]) << "argument " << i << " " << ToUtf8(arguments[i]);
    }
}

TEST(Waiting, MetConditionEndsTheWaitAndAMissedOneNamesWhatWasAwaited) {
    int polls = 0;
    EXPECT_TRUE(WaitFor([&] { return ++polls == 3; }, milliseconds(10000), "three polls").ok());
    EXPECT_EQ(polls, 3);

    const Status missed = WaitFor([] { return false; }, milliseconds(30), "the moon");
    ASSERT_FALSE(missed.ok());
    EXPECT_EQ(missed.message(), "timed out after 30 ms waiting for the moon");
}

class Programs : public ::testing::Test {
protected:
    const std::filesystem::path driver_ = OwnFolder() / L"tessavue-driver.exe";

    // The driver itself serves as the program to start: it ends at once with --help and
    // waits (for a palette no one starts) otherwise.
    Expected<Process> StartDriver(std::vector<std::wstring> arguments) { return Process::Start(driver_, arguments); }
};

TEST_F(Programs, ExitCodesOfTheCommandLineDriver) {
    const std::vector<std::pair<std::vector<std::wstring>, DWORD>> cases = {
        {{L"--help"}, 0},
        {{L"no-such-command"}, 2},
        {{L"--pid", L"1", L"click"}, 2},
        {{L"--timeout", L"abc", L"boxes"}, 2},
        {{L"click", L"Edit99"}, 2},
        {{L"--timeout", L"50", L"wait-palette"}, 1},
        {{L"sim-wait-prompt", L"no-such-prompt"}, 2},
        // No stand-in runs: the wait ends at its bound.
        {{L"--timeout", L"50", L"sim-wait-prompt", L"insert-point"}, 1},
    };
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(ToUtf8(arguments.front()));
        auto process = StartDriver(arguments);
        ASSERT_TRUE(process.ok()) << process.message();
        ASSERT_TRUE(process->WaitForExit(kDefaultBound).ok());
        EXPECT_EQ(process->ExitCode(), expected);
    }
}

TEST_F(Programs, MissingProgramIsReportedByName) {
    auto process = Process::Start(OwnFolder() / L"no-such-program.exe", {});
    ASSERT_FALSE(process.ok());
    EXPECT_NE(process.message().find("no-such-program.exe"), std::string::npos) << process.message();
}

TEST_F(Programs, TerminateAndTheDestructorEndTheProgram) {
    auto first = StartDriver({L"--timeout", L"600000", L"wait-palette"});
    ASSERT_TRUE(first.ok()) << first.message();
    EXPECT_TRUE(first->Running());
    ASSERT_TRUE(first->Terminate().ok());
    EXPECT_FALSE(first->Running());

    HANDLE watched = nullptr;
    {
        auto second = StartDriver({L"--timeout", L"600000", L"wait-palette"});
        ASSERT_TRUE(second.ok()) << second.message();
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), second->handle(), GetCurrentProcess(), &watched, SYNCHRONIZE,
                                    FALSE, 0));
    }
    // Gone with its object: the handle is signalled without waiting.
    EXPECT_EQ(WaitForSingleObject(watched, 0), WAIT_OBJECT_0);
    CloseHandle(watched);
}

}  // namespace
}  // namespace tessavue::e2e
