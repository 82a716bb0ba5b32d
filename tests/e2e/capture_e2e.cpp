// Help > 捕捉(&C) against no host, a host inside a command, a host of another edition
// and an idle host.
#include "e2e_fixture.h"

namespace tessavue::e2e {
namespace {

class Capture : public EndToEndTest {
protected:
    std::vector<MessageBoxText> CaptureFromMenu() {
        EXPECT_OK(palette().RunMenu(Id(Control::menu_help_catc)));
        return Boxes();
    }
    const std::vector<MessageBoxText> kFailure{{kConfirmTitle, kCaptureFailureText}};
};

TEST_F(Capture, FailsWithTheThreePartMessageWhenNoHostRuns) {
    ASSERT_TRUE(StartPalette());
    EXPECT_EQ(CaptureFromMenu(), kFailure);
    // Nothing was captured: asking again fails again, with one box again.
    EXPECT_EQ(CaptureFromMenu(), kFailure);
}

TEST_F(Capture, FailsWhileTheHostIsInsideACommand) {
    ASSERT_TRUE(StartSim());
    ASSERT_OK(sim().Type("line "));
    ASSERT_OK(sim().WaitUntilBusy());
    ASSERT_TRUE(StartPalette());
    EXPECT_EQ(CaptureFromMenu(), kFailure);
    // A capture only looks: the host got nothing but what the test typed.
    EXPECT_EQ(SimState().inputs, (std::vector<sim::InputChunk>{{"copydata", "line "}}));
}

TEST_F(Capture, FailsAgainstAHostOfAnotherEdition) {
    // The palette starts as "LT 2000"; an LT 2006 has other class names and prompt.
    ASSERT_TRUE(StartSim(L"LT2006"));
    ASSERT_TRUE(StartPalette());
    EXPECT_EQ(CaptureFromMenu(), kFailure);
}

TEST_F(Capture, EditionChosenInTheSettingsFileCapturesThatEdition) {
    ASSERT_TRUE(StartSim(L"LT2006"));
    ASSERT_TRUE(StartPalette("[画面]\r\nAutoCAD=LT 2006\r\n"));
    EXPECT_EQ(CaptureFromMenu(), std::vector<MessageBoxText>{});
}

TEST_F(Capture, SucceedsSilentlyAgainstTheIdleHost) {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartPalette());
    EXPECT_EQ(CaptureFromMenu(), std::vector<MessageBoxText>{});
    // The host is left as it was: idle, nothing typed.
    EXPECT_OK(sim().WaitUntilIdle());
    EXPECT_EQ(SimState().inputs, std::vector<sim::InputChunk>{});
}

TEST_F(Capture, SucceedsOnceTheHostHasLeftItsCommand) {
    ASSERT_TRUE(StartSim());
    ASSERT_OK(sim().Type("line "));
    ASSERT_OK(sim().WaitUntilBusy());
    ASSERT_TRUE(StartPalette());
    EXPECT_EQ(CaptureFromMenu(), kFailure);
    ASSERT_OK(sim().Type("\x1b"));
    ASSERT_OK(sim().WaitUntilIdle());
    EXPECT_EQ(CaptureFromMenu(), std::vector<MessageBoxText>{});
}

}  // namespace
}  // namespace tessavue::e2e
