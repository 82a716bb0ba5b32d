// What every end-to-end test shares: the palette and the stand-in started from this
// test program's own folder, ended by their handles after each test however it went.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "control_names.h"
#include "message_boxes.h"
#include "palette.h"
#include "program.h"
#include "sim.h"
#include "texts.h"
#include "ui/controls.h"

namespace tessavue::e2e {

// gtest prints boxes as UTF-8 "title": "text" so that a failed comparison is legible.
inline void PrintTo(const MessageBoxText& box, std::ostream* out) { *out << Describe(box); }

// The three lines of the capture-failure box.
inline const std::wstring kCaptureFailureText =
    L"ＡｕｔｏＣＡＤが起動していないか、コマンドを入力しているか、対応できないバージョンの可能性\r\n"
    L"があります（ＡｕｔｏＣＡＤのバージョンは、ヘルプメニューの対象バージョンで選択できます）。\r\n\r\n"
    L"以上を確認してからヘルプメニューの捕捉を実行して下さい。";
inline constexpr const wchar_t* kConfirmTitle = L"確認";

inline int Id(Control control) { return ControlId(control); }

class EndToEndTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Starts tessavue.exe with no settings file (the defaults) and waits until its
    // window is up and its start-up is handled.
    // `settings` (Shift-JIS INI text), when given, is written as the palette's settings
    // file first: the settings file is how a test chooses the edition and the options.
    ::testing::AssertionResult StartPalette(const std::string& settings = {});
    // Starts tessavue-sim.exe of `edition` and waits until it is idle.
    ::testing::AssertionResult StartSim(const std::wstring& edition = L"LT2000");
    ::testing::AssertionResult StartSim(const SimOptions& options);

    Palette& palette() { return *palette_; }
    Process& paletteProcess() { return *paletteProcess_; }
    Sim& sim() { return *sim_; }

    // The stand-in's state, through a dump file beside this program.
    sim::SimDump SimState();
    // Waits until the stand-in asks with `prompt`, alone or after the echo of its
    // command.
    Status WaitForPrompt(std::string_view prompt);

    // Presses OK on every box the palette shows until it settles; a failure to do so
    // fails the test.
    std::vector<MessageBoxText> Boxes();
    // The text of control `id`, or a failure of the test.
    std::wstring Text(Control control);
    bool Visible(Control control);
    bool Enabled(Control control);

private:
    std::optional<Process> paletteProcess_;
    std::optional<Palette> palette_;
    std::optional<Sim> sim_;
};

}  // namespace tessavue::e2e

namespace tessavue::sim {
inline void PrintTo(const InputChunk& chunk, std::ostream* out) {
    *out << chunk.transport << " " << QuoteBytes(chunk.bytes);
}
}  // namespace tessavue::sim

// Checks a driver step (Status or Expected) and shows its reason when it failed.
#define ASSERT_OK(step)                                              \
    do {                                                             \
        const auto& step_result_ = (step);                           \
        ASSERT_TRUE(step_result_.ok()) << #step ": " << step_result_.message(); \
    } while (0)
#define EXPECT_OK(step)                                              \
    do {                                                             \
        const auto& step_result_ = (step);                           \
        EXPECT_TRUE(step_result_.ok()) << #step ": " << step_result_.message(); \
    } while (0)
