// The host link's real Win32 side against the real stand-in: capture per edition,
// both transports byte for byte, and a wait that ends when the host goes away.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "host/host_link.h"
#include "platform/win32/win32_desktop.h"
#include "program.h"
#include "link_support.h"
#include "sim.h"
#include "core/dump.h"

namespace tessavue::e2e {
namespace {

class HostLinkEndToEnd : public ::testing::Test {
protected:
    ::testing::AssertionResult StartSim(const std::wstring& edition) {
        SimOptions options;
        options.edition = edition;
        options.dump = OwnFolder() / (L"host_link_e2e_" + edition + L".dump");
        auto started = Sim::Start(OwnFolder() / L"tessavue-sim.exe", options);
        if (!started) return ::testing::AssertionFailure() << started.message();
        sim_.emplace(std::move(*started));
        return ::testing::AssertionSuccess();
    }
    void TearDown() override {
        if (sim_) (void)sim_->process().Terminate();
    }

    sim::SimDump Dump() {
        auto dump = sim_->Dump();
        EXPECT_TRUE(dump.ok()) << dump.message();
        return dump.ok() ? *dump : sim::SimDump{};
    }

    Win32Desktop desktop;
    RecordingSink sink;
    HostLink link{desktop, sink};
    std::optional<Sim> sim_;
};

TEST_F(HostLinkEndToEnd, CaptureSucceedsForEachEditionAndFailsForAMismatch) {
    struct Case { const wchar_t* simEdition; const char* target; bool captures; };
    const Case cases[] = {
        {L"LT2000", "LT 2000", true}, {L"LT2002", "2002", true},     {L"LT2006", "LT 2006", true},
        {L"LT2006", "2006", true},    {L"LT2006", "LT 2000", false}, {L"LT2000", "LT 2006", false},
        {L"LT2000", "2004", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        ASSERT_TRUE(StartSim(c.simEdition));
        sink.confirmations.clear();
        link.ApplyTargetVersion(c.target);
        link.CaptureHost();
        EXPECT_EQ(link.CommandLineFound, c.captures);
        EXPECT_EQ(sink.confirmations.size(), c.captures ? 0u : 1u);
        if (c.captures) {
            EXPECT_EQ(link.HostMainWindow, FromHwnd(sim_->mainWindow()));
            EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
        } else if (!sink.confirmations.empty()) {
            EXPECT_EQ(sink.confirmations[0], CaptureFailureMessage());
        }
        ASSERT_TRUE(sim_->process().Terminate().ok());
        sim_.reset();
    }
}

TEST_F(HostLinkEndToEnd, CaptureFailsWhileTheHostSitsInACommand) {
    ASSERT_TRUE(StartSim(L"LT2000"));
    ASSERT_TRUE(sim_->Type("line ").ok());
    ASSERT_TRUE(sim_->WaitUntilBusy().ok());
    link.CaptureHost();
    EXPECT_TRUE(link.HostMainFound);
    EXPECT_FALSE(link.CommandLineFound);
    ASSERT_EQ(sink.confirmations.size(), 1u);
    EXPECT_EQ(sink.confirmations[0], CaptureFailureMessage());
}

// Each command string must reach AutoCAD exactly as typed, whatever the transport:
// blanks as Enter, the carriage return, Shift-JIS text whose second bytes look like
// ASCII ("ソ" is 83 5C, a backslash).
void TypeCommandsByteForByte(HostLinkEndToEnd& test, HostLink& link, const std::wstring& edition,
                             const std::string& target, const std::string& transport,
                             std::function<sim::SimDump()> dump) {
    (void)test;
    (void)edition;
    link.ApplyTargetVersion(target);
    link.CaptureHost();
    ASSERT_TRUE(link.CommandLineFound);
    const std::vector<std::string> commands = {"line 0,0 @10,5  ", "ソフト表示 ", "", "_LINE 1.5,2.25\r3,4\r\r"};
    for (const std::string& c : commands) EXPECT_TRUE(link.RunHostCommand(c)) << c;
    EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);

    const sim::SimDump d = dump();
    std::vector<sim::InputChunk> received;
    for (const auto& chunk : d.inputs)
        if (chunk.transport == transport) received.push_back(chunk);
    ASSERT_EQ(received.size(), commands.size());
    for (std::size_t i = 0; i < commands.size(); ++i) EXPECT_EQ(received[i].bytes, commands[i]) << i;

    std::vector<std::vector<double>> lines;
    for (const auto& e : d.entities)
        if (e.kind == sim::EntityKind::Line && e.points.size() == 2)
            lines.push_back({e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y});
    const std::vector<std::vector<double>> expected = {{0, 0, 10, 5}, {1.5, 2.25, 3, 4}};
    EXPECT_EQ(lines, expected);
}

TEST_F(HostLinkEndToEnd, CommandsArriveByteForByteByCopyData) {
    ASSERT_TRUE(StartSim(L"LT2002"));
    TypeCommandsByteForByte(*this, link, L"LT2002", "2002", "copydata", [this] { return Dump(); });
}

TEST_F(HostLinkEndToEnd, CommandsArriveByteForByteByPaste) {
    ASSERT_TRUE(StartSim(L"LT2006"));
    TypeCommandsByteForByte(*this, link, L"LT2006", "LT 2006", "paste", [this] { return Dump(); });
}

TEST_F(HostLinkEndToEnd, KillingTheHostEndsAWaitWithinASecond) {
    ASSERT_TRUE(StartSim(L"LT2000"));
    link.CaptureHost();
    ASSERT_TRUE(link.CommandLineFound);
    link.SendHostCommand("line ");  // the stand-in now waits for a point from the user
    ASSERT_TRUE(sim_->WaitUntilBusy().ok());

    std::atomic<DWORD> killedAt{0};
    const DWORD started = GetTickCount();
    HANDLE process = sim_->process().handle();
    std::thread killer([&] {
        // The waiting thread is already inside its wait once it has polled a few times;
        // the kill itself is timed from the moment TerminateProcess returns.
        TerminateProcess(process, 9);
        WaitForSingleObject(process, INFINITE);
        killedAt = GetTickCount() - started + 1;  // ticks since the start, never 0
    });
    const bool result = link.WaitForCommandLine(link.CommandPrompt, WaitMode::Exact);
    const DWORD endedAt = GetTickCount() - started + 1;
    killer.join();
    EXPECT_FALSE(result);
    ASSERT_NE(killedAt.load(), 0u);
    EXPECT_LT(endedAt - std::min(endedAt, killedAt.load()), 1000u) << "the wait outlived the host";
}

}  // namespace
}  // namespace tessavue::e2e
