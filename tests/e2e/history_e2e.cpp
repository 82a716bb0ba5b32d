// The history queries through the real Win32 desktop against the real stand-in, with
// its scripted user: both transports, the real clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "host/history_queries.h"
#include "platform/win32/win32_desktop.h"
#include "program.h"
#include "link_support.h"
#include "sim.h"

namespace tessavue::e2e {
namespace {

class HistoryEndToEnd : public ::testing::TestWithParam<Edition> {
protected:
    // Starts the stand-in with `script` for its user (Shift-JIS text) and captures it.
    ::testing::AssertionResult Start(const std::string& script) {
        SimOptions options;
        options.edition = GetParam().sim;
        options.userScript = OwnFolder() / (std::wstring(L"history_e2e_") + GetParam().sim + L".script");
        std::ofstream(options.userScript, std::ios::binary) << script;
        auto started = Sim::Start(OwnFolder() / L"tessavue-sim.exe", options);
        if (!started) return ::testing::AssertionFailure() << started.message();
        sim_.emplace(std::move(*started));
        link.ApplyTargetVersion(GetParam().target);
        link.CaptureHost();
        if (!link.CommandLineFound) return ::testing::AssertionFailure() << "capture failed";
        return ::testing::AssertionSuccess();
    }
    void TearDown() override {
        if (sim_) (void)sim_->process().Terminate();
    }
    bool Idle() { return link.ReadCommandLine() == link.CommandPrompt; }

    Win32Desktop desktop;
    RecordingSink sink;
    HostLink link{desktop, sink};
    std::optional<Sim> sim_;
};

TEST_P(HistoryEndToEnd, PointPickedByTheUserComesBackAsXAndY) {
    ASSERT_TRUE(Start("pick 12.5,-3.25\n"));
    double x = 0, y = 0;
    ASSERT_TRUE(PickPointInHost(link, x, y));
    EXPECT_EQ(x, 12.5);
    EXPECT_EQ(y, -3.25);
    EXPECT_TRUE(Idle());
}

TEST_P(HistoryEndToEnd, CancelledPickEndsWithFalse) {
    ASSERT_TRUE(Start("esc\n"));
    double x = 0, y = 0;
    EXPECT_FALSE(PickPointInHost(link, x, y));
    EXPECT_TRUE(Idle());
}

TEST_P(HistoryEndToEnd, GoodEmptyAndCancelledSelectionsAreToldApart) {
    // The user's answers, prompt by prompt: a pick and Enter; Enter alone; a pick and Esc.
    ASSERT_TRUE(Start("select 5,0\nenter\nenter\nselect 5,5\nesc\n"));
    ASSERT_TRUE(link.RunHostCommand("line 0,0 10,0  line 0,5 10,5  "));

    ASSERT_TRUE(link.RunHostCommand("select "));
    EXPECT_FALSE(WasCommandCancelled(link, "select"));
    EXPECT_TRUE(HistoryShowsSelection(link));

    ASSERT_TRUE(link.RunHostCommand("select "));
    EXPECT_FALSE(WasCommandCancelled(link, "select"));
    EXPECT_FALSE(HistoryShowsSelection(link));

    ASSERT_TRUE(link.RunHostCommand("select "));
    EXPECT_TRUE(WasCommandCancelled(link, "select"));
    EXPECT_TRUE(HasPreviousSelection(link)) << "the good selection is still the previous set";
}

TEST_P(HistoryEndToEnd, LayersWithBlanksAndJapaneseNamesAreReadAndSwitched) {
    ASSERT_TRUE(Start(""));
    EXPECT_EQ(GetCurrentLayer(link), "0");
    for (const std::string name : {"外形 線", "hidden lines"}) ASSERT_TRUE(link.RunHostCommand("-layer m " + name + "\r\r"));
    ASSERT_TRUE(SetCurrentLayer(link, "0"));
    ASSERT_TRUE(SetCurrentLayer(link, "外形 線"));
    EXPECT_EQ(GetCurrentLayer(link), "外形 線");
    ASSERT_TRUE(SetCurrentLayer(link, "hidden lines"));
    EXPECT_EQ(GetCurrentLayer(link), "hidden lines");

    EXPECT_FALSE(SetCurrentLayer(link, "ない 画層"));
    EXPECT_TRUE(Idle()) << "a refused name leaves AutoCAD at its idle prompt";
    EXPECT_EQ(GetCurrentLayer(link), "hidden lines");
    EXPECT_TRUE(sink.confirmations.empty());
}

INSTANTIATE_TEST_SUITE_P(Editions, HistoryEndToEnd, BothEditions(), EditionName);

}  // namespace
}  // namespace tessavue::e2e
