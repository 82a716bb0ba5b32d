// The history queries against the in-process stand-in, with a scripted user: the
// command strings typed and the answers read back, per edition.
#include <gtest/gtest.h>

#include "core/sim_desktop.h"
#include "host/history_queries.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::ScriptedUser;
using sim::SimDesktop;

struct NoBoxes : MessageSink {
    void ShowConfirmation(const std::string& text) override { boxes.push_back(text); }
    void ShowInformation(const std::string& text) override { boxes.push_back(text); }
    std::vector<std::string> boxes;
};

class HistoryQueries : public ::testing::TestWithParam<Edition> {
protected:
    void SetUp() override {
        link.ApplyTargetVersion(GetParam() == Edition::LT2006 ? "LT 2006" : "LT 2000");
        link.CaptureHost();
        ASSERT_TRUE(link.CommandLineFound);
    }
    void User(const std::string& script) {
        std::string error;
        auto user = ScriptedUser::Parse(script, &error);
        ASSERT_TRUE(user) << error;
        desktop.SetUser(std::move(*user));
    }
    std::vector<std::string> Typed() const {
        std::vector<std::string> out;
        for (const auto& chunk : desktop.host().ReceivedInput()) out.push_back(chunk.bytes);
        return out;
    }
    bool Idle() { return link.ReadCommandLine() == link.CommandPrompt; }

    SimDesktop desktop{GetParam()};
    NoBoxes boxes;
    HostLink link{desktop, boxes};
};

TEST_P(HistoryQueries, PickedPointComesBackAsXAndY) {
    User("pick 12.5,-3.25\n");
    double x = 0, y = 0;
    ASSERT_TRUE(PickPointInHost(link, x, y));
    EXPECT_EQ(x, 12.5);
    EXPECT_EQ(y, -3.25);
    EXPECT_TRUE(Idle());
    const std::vector<std::string> expected = {"id ", "copyhist ", "lastpoint ", " "};
    EXPECT_EQ(Typed(), expected);
}

TEST_P(HistoryQueries, CancelledPickIsFalse) {
    desktop.host().SetLastPoint({1, 2});
    User("esc\n");
    double x = 99, y = 99;
    EXPECT_FALSE(PickPointInHost(link, x, y));
    EXPECT_EQ(x, 99) << "nothing written on failure";
    EXPECT_TRUE(Idle());
}

TEST_P(HistoryQueries, SelectionGoodEmptyAndCancelledAreToldApart) {
    desktop.host().Type("line 0,0 10,0  line 0,5 10,5  ");
    User("select 5,0\nenter\n");
    ASSERT_TRUE(link.RunHostCommand("select "));
    EXPECT_FALSE(WasCommandCancelled(link, "select"));
    EXPECT_TRUE(HistoryShowsSelection(link));

    User("enter\n");  // nothing picked
    ASSERT_TRUE(link.RunHostCommand("select "));
    EXPECT_FALSE(WasCommandCancelled(link, "select"));
    EXPECT_FALSE(HistoryShowsSelection(link));

    User("select 5,5\nesc\n");
    ASSERT_TRUE(link.RunHostCommand("select "));
    EXPECT_TRUE(WasCommandCancelled(link, "select"));
}

TEST_P(HistoryQueries, PreviousSelectionSetIsSeen) {
    EXPECT_FALSE(HasPreviousSelection(link)) << "a new drawing has no previous set";
    EXPECT_TRUE(Idle());
    desktop.host().Type("line 0,0 10,0  select l  ");
    EXPECT_TRUE(HasPreviousSelection(link));
}

TEST_P(HistoryQueries, CurrentLayerIsReadAndSwitched) {
    EXPECT_EQ(GetCurrentLayer(link), "0");
    for (const std::string name : {"外形 線", "中心線", "hidden lines"}) {
        ASSERT_TRUE(link.RunHostCommand("-layer m " + name + "\r\r"));
    }
    ASSERT_TRUE(SetCurrentLayer(link, "外形 線"));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(GetCurrentLayer(link), "外形 線");
    ASSERT_TRUE(SetCurrentLayer(link, "hidden lines"));
    EXPECT_EQ(GetCurrentLayer(link), "hidden lines");
    EXPECT_TRUE(SetCurrentLayer(link, ""));
}

TEST_P(HistoryQueries, RefusedLayerNameEndsAtTheIdlePromptWithFalse) {
    EXPECT_FALSE(SetCurrentLayer(link, "存在しない 画層"));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(GetCurrentLayer(link), "0");
}

TEST_P(HistoryQueries, AHostThatNeverAnswersEndsTheLayerSwitch) {
    // The stand-in vanishes while the palette waits for the layer prompt.
    int pumps = 0;
    desktop.pumpHook = [&] {
        if (++pumps == 2) desktop.RemoveHostWindows();
    };
    desktop.host().Type("line ");  // busy: the layer command is typed into the line prompt
    EXPECT_FALSE(SetCurrentLayer(link, "外形"));
}

TEST_P(HistoryQueries, UnreadableClipboardCountsAsCancelledNeverAsStaleHistory) {
    desktop.clipboard = "ｺﾏﾝﾄﾞ: select\r\n検出数: 5\r\n";
    desktop.clipboardBusy = 1000;
    EXPECT_TRUE(WasCommandCancelled(link, "select"));
    EXPECT_FALSE(HistoryShowsSelection(link));
    EXPECT_EQ(GetCurrentLayer(link), "0");
}

INSTANTIATE_TEST_SUITE_P(Editions, HistoryQueries, ::testing::Values(Edition::LT2000, Edition::LT2006),
                         [](const auto& param) { return param.param == Edition::LT2006 ? "LT2006" : "LT2000"; });

}  // namespace
}  // namespace tessavue
