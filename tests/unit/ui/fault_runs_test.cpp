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

#include "core/sim_desktop.h"
#include "draw/draw_command.h"
#include "fake_form_view.h"
#include "fake_profile_file.h"
#include "fault_runs.h"
#include "host/undo_journal.h"
#include "temp_folder.h"
#include "ui/tform1.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::Fault;
using sim::Point;
using testing::DrawingState;
using testing::HostAnswers;

// The user's own settings, none of them AutoCAD's defaults, so a missed put-back shows.
constexpr int kUserUnits = 4;
constexpr int kUserPrecision = 3;
// A wait that goes on this many rounds after the fault is taken for a hang; the run
// abandons it so that the test fails instead of hanging.
constexpr int kHangRounds = 20000;
// Rounds a stopped command may still wait once the fault came: its own cancel and
// put-back, each a few polls.
constexpr int kRoundsAfterFault = 400;
// Clipboard openings a held clipboard may cost: every try of every command typed after
// it, and of the history copies, is bounded.
constexpr int kClipboardOpenings = 60;

// The plan, with points that AutoCAD shows rounded at any precision.
const Point kLineA{100.14063885583995, 200.89259015094285};
const Point kLineB{140.26409564485229, 201.20990003712664};
const Point kCentre{120.31830988618379, 215.70710678118655};
constexpr double kRadius = 5.196152422706632;
const Point kPolyline[] = {{150.5773502691896, 200.33333333333334}, {170.1234567890123, 200.33333333333334},
                           {170.1234567890123, 230.98765432109876}};
const Point kAxisFrom{-200.5, 0.25};
const Point kAxisTo{-200.5, 100.25};

Point Mid(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

class World {
public:
    explicit World(Edition edition)
        : edition_(edition),
          desktop(edition),
          form(view, desktop, profile, DeriveProgramFiles(folder.path() / "tessavue.exe", "tessavue.exe")) {
        form.FormCreate();
        form.Host().ApplyTargetVersion(edition == Edition::LT2006 ? "LT 2006" : "LT 2000");
        form.SetClock([] { return LocalTime{2026, 12, 8, 13, 14, 15}; });
        auto& d = desktop.host().drawing();
        d.linearUnits = kUserUnits;
        d.unitPrecision = kUserPrecision;
        d.AddLine(kLineA, kLineB);
        d.AddCircle(kCentre, kRadius);
        d.AddPolyline({kPolyline[0], kPolyline[1], kPolyline[2]}, false);
        d.AddLine(kAxisFrom, kAxisTo);
        d.AddLine({-200.5, 100.25}, {-180.75, 100.25});
        d.AddLine({-180.75, 100.25}, {-180.75, 60.5});
        d.AddLine({-180.75, 60.5}, {-170.25, 0.25});
        desktop.pumpHook = [this] {
            ++rounds;
            if (desktop.host().FaultFired()) ++roundsAfterFault;
            if (roundsAfterFault > kHangRounds && !hung) {
                hung = true;
                form.Host().AbandonWaits();
            }
            // A user who closed the palette picks nothing more in AutoCAD.
            if (!form.ClosePending()) answers.Step(desktop.host());
        };
        desktop.onPaletteClose = [this] { form.FormCloseQuery(); };
    }

    void Press(Control button) { testing::PressButton(form, button); }
    bool Busy() { return !view.Enabled(Control::menu_help); }
    std::vector<testing::ShownBox> TakeBoxes() {
        std::vector<testing::ShownBox> boxes = view.boxes;
        view.boxes.clear();
        return boxes;
    }
    // Files a stopped command must not leave: the figure files and the offset file.
    std::vector<std::string> LeftFiles() const {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("ip", 0) == 0 || name == "ofst.dxf") left.push_back(name);
        }
        return left;
    }
    bool Exists(const std::filesystem::path& file) const { return std::filesystem::exists(file); }
    Edition edition() const { return edition_; }

    Edition edition_;
    testing::TempFolder folder{"tessavue-faults"};
    testing::FakeFormView view;
    sim::SimDesktop desktop;
    testing::FakeProfileFile profile;
    TForm1 form;
    HostAnswers answers;
    int rounds = 0;
    int roundsAfterFault = 0;
    bool hung = false;
};

// One command of the palette: what it needs done first (run without a fault), what
// the user answers at AutoCAD, and the button pressed.
struct CommandRow {
    const char* name;
    int kind;  // the figure-kind list's item
    std::function<void(World&)> setup;
    std::function<void(HostAnswers&)> answers;
    Control button;
    bool selection = false;  // 選択: the drawing ends as it began
    bool text = false;       // 文字: the user's own text may stay, as written
};

void SelectPlan(HostAnswers& a) {
    a.selections = {{Mid(kLineA, kLineB), {kCentre.x + kRadius, kCentre.y}, Mid(kPolyline[0], kPolyline[1])}};
    a.ids = {kLineA};
}

void MakeTemplate(World& w) {
    w.view.comboIndex = 3;
    w.answers = {};
    w.answers.ids = {{50.25, 50.75}};
    w.answers.insertAt = Point{-600.125, -300.375};
    w.Press(Control::Button2);
}

const Point kInsertAt{512.3456789012345, 300.98765432109876};

std::vector<CommandRow> Commands() {
    const Point dim1{300.14063885583995, 500.89259015094285};
    const Point dim2{dim1.x + 40.123456789012345 * std::cos(std::acos(-1.0) / 6),
                     dim1.y + 40.123456789012345 * 0.5};
    return {
        {"選択", 0, [](World& w) { w.view.checked[Control::menu_help_othr_a_ll] = true; }, SelectPlan,
         Control::Button1, true},
        {"既存図形", 0,
         [](World& w) {
             w.view.checked[Control::menu_help_othr_a_ll] = true;
             w.view.checked[Control::CheckBox1] = true;
             SelectPlan(w.answers);
             w.Press(Control::Button1);
         },
         [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button2},
        {"円", 2, {}, [](HostAnswers& a) {
             a.ids = {{50.25, 50.75}};
             a.insertAt = kInsertAt;
         },
         Control::Button3},
        {"四角", 3, MakeTemplate, [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button4},
        {"六角", 4, MakeTemplate, [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button5},
        {"既存軸", 1,
         [](World& w) {
             MakeTemplate(w);
             w.answers = {};
             w.answers.selections = {{Mid(kAxisFrom, kAxisTo)},
                                     {{-190.625, 100.25}, {-180.75, 80.375}, {-175.5, 30.375}}};
             w.Press(Control::Button10);
             w.Press(Control::Button11);
         },
         [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button2},
        {"２面選択", 9,
         [](World& w) {
             w.answers = {};
             w.answers.ids = {{0.5, 0.25}, {10.75, 0.25}, {10.75, 5.125}};
             w.Press(Control::Button7);
             w.answers.ids = {{0.5, 0.25}, {10.75, 0.25}, {10.75, 8.375}};
             w.Press(Control::Button8);
         },
         [](HostAnswers& a) { a.ids = {{600.5, 500.25}}; }, Control::Button3},
        {"丸棒曲げ", 5, {}, [](HostAnswers& a) { a.ids = {{300.125, 300.875}}; }, Control::Button4},
        {"オフセット", 8, [](World& w) { w.view.checked[Control::CheckBox1] = true; },
         [](HostAnswers& a) { a.selections = {{Mid(kLineA, kLineB), Mid(kPolyline[1], kPolyline[2])}}; },
         Control::Button5},
        {"文字", 6, {}, [](HostAnswers& a) { a.text = HostAnswers::Text{{400.3333333333333, 400.6666666666667}, "5.5", "ABC"}; },
         Control::Button2, false, true},
        {"寸法", 7, {}, [dim1, dim2](HostAnswers& a) { a.ids = {dim1, dim2, Mid(dim1, dim2)}; }, Control::Button2},
    };
}

// The command's world made ready: the setup run, the answers given, the kind chosen.
std::unique_ptr<World> Ready(const CommandRow& row, Edition edition) {
    auto w = std::make_unique<World>(edition);
    w->view.comboIndex = row.kind;
    if (row.setup) row.setup(*w);
    w->view.comboIndex = row.kind;
    w->answers = {};
    row.answers(w->answers);
    w->TakeBoxes();
    return w;
}

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
