// Fault runs: every command of the palette that changes the drawing, stopped at each of
// the commands it types into the in-process stand-in, by the user's Esc, by AutoCAD
// closing, by the palette closing and (LT 2006) by another program holding the
// clipboard. Whatever the stop, the palette ends free, leaves no half-made file, and
// the drawing is the user's: as it was, or with exactly the finished figure (for 文字,
// or with the text as the user wrote it), with the user's own FILEDIA, LUNITS and
// LUPREC. A held clipboard ends in one message that lists what the user types by hand
// to put the drawing back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "draw/draw_command.h"
#include "fault_runs.h"
#include "host/undo_journal.h"
#include "palette_commands.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::Fault;
using sim::Point;
using testing::CommandRow;
using testing::Commands;
using testing::DrawingState;
using testing::HostAnswers;
using testing::kUserPrecision;
using testing::kUserUnits;
using testing::Ready;
using testing::World;

// Rounds a stopped command may still wait once the fault came: its own cancel and
// put-back, each a few polls.
constexpr int kRoundsAfterFault = 400;
// Clipboard openings a held clipboard may cost: every try of every command typed after
// it, and of the history copies, is bounded.
constexpr int kClipboardOpenings = 60;

// What a clean run of the command types and leaves.
struct CleanRun {
    std::size_t typed = 0;
    DrawingState finished;
    std::optional<DrawingState> written;  // 文字: the text as the user wrote it
};

CleanRun RunClean(const CommandRow& row, Edition edition) {
    std::unique_ptr<World> w = Ready(row, edition);
    CleanRun clean;
    const std::size_t from = w->desktop.host().PaletteCommands();
    w->desktop.typingHook = [&](std::string& text) {
        if (row.text && text == "select l  ") clean.written = testing::StateOf(w->desktop.host().drawing());
    };
    w->Press(row.button);
    w->desktop.typingHook = nullptr;
    EXPECT_TRUE(w->TakeBoxes().empty()) << row.name << ": the clean run tells the user nothing";
    clean.typed = w->desktop.host().PaletteCommands() - from;
    clean.finished = testing::StateOf(w->desktop.host().drawing());
    return clean;
}

struct Tally {
    int runs = 0;
    int maxRoundsAfterFault = 0;
    int maxClipboardOpenings = 0;
};

// The user's settings as the drawing holds them after the run.
void ExpectUserSettings(const sim::SimHost& host, const std::string& name) {
    EXPECT_EQ(host.filedia, 1) << name;
    EXPECT_EQ(host.drawing().linearUnits, kUserUnits) << name;
    EXPECT_EQ(host.drawing().unitPrecision, kUserPrecision) << name;
}

// The drawing is the one before, the finished one, or (文字) the one with the text.
void ExpectUsersDrawing(const DrawingState& got, const DrawingState& before, const CleanRun& clean,
                        const std::string& name) {
    const std::string asBefore = testing::DrawingDifference(got, before);
    const std::string asFinished = testing::DrawingDifference(got, clean.finished);
    const std::string asWritten = clean.written ? testing::DrawingDifference(got, *clean.written) : "no text";
    EXPECT_TRUE(asBefore.empty() || asFinished.empty() || asWritten.empty())
        << name << ": against the drawing before: " << asBefore << "; against the finished one: " << asFinished
        << (clean.written ? "; against the written text: " + asWritten : std::string());
}

void FaultRun(const CommandRow& row, Edition edition, Fault fault, std::size_t n, const CleanRun& clean,
              Tally& tally) {
    const std::string name = std::string(row.name) + " " + sim::FaultName(fault) + " at " + std::to_string(n) + " of " +
                             std::to_string(clean.typed) + (edition == Edition::LT2006 ? " (LT 2006)" : " (LT 2000)");
    SCOPED_TRACE(name);
    std::unique_ptr<World> w = Ready(row, edition);
    const DrawingState before = testing::StateOf(w->desktop.host().drawing());
    const ProgramFiles& files = w->form.Files();
    const bool selectionBefore = w->Exists(files.selection);
    w->desktop.ArmFault(n, fault);
    w->Press(row.button);
    ++tally.runs;

    EXPECT_TRUE(w->desktop.host().FaultFired() || w->desktop.host().PaletteCommands() == 0) << name;
    EXPECT_FALSE(w->hung) << name << ": a wait went on after the fault";
    EXPECT_LE(w->roundsAfterFault, kRoundsAfterFault) << name;
    tally.maxRoundsAfterFault = std::max(tally.maxRoundsAfterFault, w->roundsAfterFault);
    EXPECT_FALSE(w->Busy()) << name;
    EXPECT_EQ(w->LeftFiles(), std::vector<std::string>{}) << name;
    std::vector<testing::ShownBox> boxes = w->TakeBoxes();
    for (const auto& box : boxes) EXPECT_NE(box.kind, "error") << name << ": " << box.text;

    // A selection stopped half way leaves no selection file; a drawing command leaves
    // the one it found.
    if (row.selection) {
        const bool whole = w->Exists(files.selection) && w->Exists(files.turnedLeft) && w->Exists(files.turnedRight) &&
                           w->Exists(files.exploded);
        EXPECT_TRUE(whole || (!w->Exists(files.selection) && !w->Exists(files.turnedLeft) &&
                              !w->Exists(files.turnedRight) && !w->Exists(files.exploded)))
            << name << ": half a selection's files";
    } else if (fault != Fault::PaletteClose) {
        EXPECT_EQ(w->Exists(files.selection), selectionBefore) << name;
    }

    sim::SimHost& host = w->desktop.host();
    // FAULT_TRACE="<command> <fault> <n>" prints what that run typed.
    if (const char* only = std::getenv("FAULT_TRACE"); only != nullptr && name.rfind(only, 0) == 0) {
        for (const auto& chunk : host.ReceivedInput()) {
            std::string bytes = chunk.bytes;
            for (char& c : bytes)
                if (c == '\r') c = '|';
                else if (c == '\x1b') c = '~';
            std::printf("TRACE %-8s [%s]\n", chunk.transport.c_str(), bytes.c_str());
        }
        for (const auto& box : boxes) {
            std::string text = box.text;
            for (char& c : text)
                if (c == '\r' || c == '\n') c = '/';
            std::printf("TRACE box: %s\n", text.c_str());
        }
        std::printf("TRACE %s\n", testing::DrawingDifference(testing::StateOf(host.drawing()), before).c_str());
    }
    switch (fault) {
        case Fault::Esc:
        case Fault::PaletteClose:
            ExpectUsersDrawing(testing::StateOf(host.drawing()), before, clean, name);
            ExpectUserSettings(host, name);
            EXPECT_EQ(host.CommandLineText(), std::string(host.texts().idlePrompt)) << name;
            break;
        case Fault::Quit: {
            // AutoCAD again: the next command captures it and draws in it.
            EXPECT_TRUE(w->view.destroyed == 0) << name;
            w->desktop.StartNewHost();
            w->view.comboIndex = 5;  // 丸棒曲げ
            w->answers = {};
            w->answers.ids = {{10.5, 20.25}};
            w->Press(Control::Button2);
            EXPECT_EQ(w->TakeBoxes().size(), 0u) << name << ": the new AutoCAD is captured without a word";
            EXPECT_GT(w->desktop.host().drawing().entities().size(), 0u) << name << ": the bend is drawn in it";
            EXPECT_FALSE(w->Busy()) << name;
            break;
        }
        case Fault::Clipboard: {
            // Every opening tried while the other program held the clipboard failed.
            const int openings = (1 << 30) - w->desktop.clipboardBusy;
            tally.maxClipboardOpenings = std::max(tally.maxClipboardOpenings, openings);
            EXPECT_LE(openings, kClipboardOpenings) << name;
            ASSERT_EQ(boxes.size(), 1u) << name << ": one message";
            const std::string header = TypingFailedMessage({});
            EXPECT_EQ(boxes[0].text.substr(0, header.size()), header) << name;
            w->desktop.ReleaseClipboard();
            testing::TypeByHand(host, testing::HandTypedCommands(boxes[0].text));
            const DrawingState after = testing::StateOf(host.drawing());
            const std::string asBefore = testing::DrawingDifference(after, before);
            const std::string asWritten = clean.written ? testing::DrawingDifference(after, *clean.written) : "-";
            const std::string asFinished = testing::DrawingDifference(after, clean.finished);
            EXPECT_TRUE(asBefore.empty() || asWritten.empty() || asFinished.empty())
                << name << ": after the commands typed by hand: " << asBefore << "\n" << boxes[0].text;
            ExpectUserSettings(host, name);
            break;
        }
    }
}

class FaultRuns : public ::testing::Test {};

TEST_F(FaultRuns, EveryCommandStoppedAtEveryTypedCommandByEveryFault) {
    Tally tally;
    for (const CommandRow& row : Commands()) {
        for (Edition edition : {Edition::LT2000, Edition::LT2006}) {
            const CleanRun clean = RunClean(row, edition);
            ASSERT_GT(clean.typed, 0u) << row.name;
            std::vector<Fault> faults = {Fault::Esc, Fault::Quit, Fault::PaletteClose};
            if (edition == Edition::LT2006) faults.push_back(Fault::Clipboard);
            for (std::size_t n = 1; n <= clean.typed; ++n)
                for (Fault fault : faults) FaultRun(row, edition, fault, n, clean, tally);
            std::printf("[ fault runs ] %s (%s): %zu typed commands\n", row.name,
                        edition == Edition::LT2006 ? "LT 2006" : "LT 2000", clean.typed);
        }
    }
    std::printf("[ fault runs ] %d runs; at most %d wait rounds after a fault, %d clipboard openings\n", tally.runs,
                tally.maxRoundsAfterFault, tally.maxClipboardOpenings);
}

}  // namespace
}  // namespace tessavue
