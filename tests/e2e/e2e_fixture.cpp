#include "e2e_fixture.h"

#include <filesystem>
#include <fstream>

namespace tessavue::e2e {

void EndToEndTest::TearDown() {
    // Both programs are ended by handle even when the test failed half-way; a box
    // still open does not stop TerminateProcess.
    if (paletteProcess_ && paletteProcess_->Running()) EXPECT_OK(paletteProcess_->Terminate());
    if (sim_ && sim_->process().Running()) EXPECT_OK(sim_->process().Terminate());
    palette_.reset();
    paletteProcess_.reset();
    sim_.reset();
}

::testing::AssertionResult EndToEndTest::StartPalette(const std::string& settings) {
    const std::filesystem::path program = OwnFolder() / L"tessavue.exe";
    const std::filesystem::path ini = std::filesystem::path(program).replace_extension(L".ini");
    std::error_code error;
    // Each test starts from the defaults, or from the settings it names, never from
    // what an earlier run left.
    std::filesystem::remove(ini, error);
    if (!settings.empty()) {
        std::ofstream out(ini, std::ios::binary);
        out << settings;
        if (!out) return ::testing::AssertionFailure() << "could not write the settings file";
    }
    auto process = Process::Start(program, {});
    if (!process) return ::testing::AssertionFailure() << process.message();
    paletteProcess_.emplace(std::move(*process));
    auto found = Palette::Find(paletteProcess_->id());
    if (!found) return ::testing::AssertionFailure() << found.message();
    palette_.emplace(std::move(*found));
    if (Status settled = palette_->Settle(); !settled) return ::testing::AssertionFailure() << settled.message();
    if (!palette_->OpenBoxes().empty()) {
        auto boxes = palette_->DismissBoxes();
        return ::testing::AssertionFailure() << "the palette opened a message box at start-up"
                                             << (boxes && !boxes->empty() ? ": " + Describe(boxes->front()) : "");
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult EndToEndTest::StartSim(const std::wstring& edition) {
    SimOptions options;
    options.edition = edition;
    return StartSim(options);
}

::testing::AssertionResult EndToEndTest::StartSim(const SimOptions& options) {
    auto started = Sim::Start(OwnFolder() / L"tessavue-sim.exe", options);
    if (!started) return ::testing::AssertionFailure() << started.message();
    sim_.emplace(std::move(*started));
    return ::testing::AssertionSuccess();
}

sim::SimDump EndToEndTest::SimState() {
    const std::filesystem::path file = OwnFolder() / L"sim-state.dump";
    auto dump = sim_->Dump(file);
    EXPECT_TRUE(dump.ok()) << dump.message();
    std::error_code error;
    std::filesystem::remove(file, error);
    return dump ? *dump : sim::SimDump{};
}

Status EndToEndTest::WaitForPrompt(std::string_view prompt) {
    return WaitFor(
        [&] {
            auto line = sim_->CommandLine();
            return line && line->ends_with(prompt);
        },
        kDefaultBound, "the stand-in's prompt");
}

std::vector<MessageBoxText> EndToEndTest::Boxes() {
    auto boxes = palette_->DismissBoxes();
    EXPECT_TRUE(boxes.ok()) << boxes.message();
    return boxes ? *boxes : std::vector<MessageBoxText>{};
}

std::wstring EndToEndTest::Text(Control control) {
    auto text = palette_->Text(Id(control));
    EXPECT_TRUE(text.ok()) << text.message();
    return text ? *text : std::wstring(L"<unreadable>");
}

bool EndToEndTest::Visible(Control control) {
    auto visible = palette_->IsVisible(Id(control));
    EXPECT_TRUE(visible.ok()) << visible.message();
    return visible && *visible;
}

bool EndToEndTest::Enabled(Control control) {
    auto enabled = palette_->IsEnabled(Id(control));
    EXPECT_TRUE(enabled.ok()) << enabled.message();
    return enabled && *enabled;
}

}  // namespace tessavue::e2e
