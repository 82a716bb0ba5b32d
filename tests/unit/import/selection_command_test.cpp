// The selection of an existing figure against the in-process stand-in, with a scripted
// user at AutoCAD: the commands typed in order, the work files written, the stops that
// leave nothing behind, and the user's drawing as it was before, also when a wait is
// abandoned in the middle.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>

#include "core/sim_desktop.h"
#include "import/selection_command.h"
#include "import/listed_selection.h"
#include "import/dxf_reader.h"
#include "import/selection_export.h"
#include "host/undo_journal.h"
#include "dxf_text.h"
#include "recording_sink.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::Entity;
using sim::Point;
using sim::ScriptedUser;
using sim::SimDesktop;
using testing::RecordingSink;
using testing::TempFolder;

double Turn360(double degrees) {
    double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360.0 : d;
}

// Entities equal up to the rounding of a turn there and back.
void ExpectSameEntities(const std::vector<Entity>& before, const std::vector<Entity>& after) {
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const Entity& a = before[i];
        const Entity& b = after[i];
        EXPECT_EQ(a.kind, b.kind) << i;
        EXPECT_EQ(a.layer, b.layer) << i;
        ASSERT_EQ(a.points.size(), b.points.size()) << i;
        for (std::size_t p = 0; p < a.points.size(); ++p) {
            EXPECT_NEAR(a.points[p].x, b.points[p].x, 1e-9) << i;
            EXPECT_NEAR(a.points[p].y, b.points[p].y, 1e-9) << i;
        }
        EXPECT_NEAR(a.radius, b.radius, 1e-9) << i;
        EXPECT_NEAR(std::fmod(Turn360(a.startAngle - b.startAngle) + 1e-9, 360.0), 0.0, 1e-8) << i;
        EXPECT_NEAR(std::fmod(Turn360(a.endAngle - b.endAngle) + 1e-9, 360.0), 0.0, 1e-8) << i;
    }
}

class SelectionCommandTest : public ::testing::TestWithParam<Edition> {
protected:
    void SetUp() override {
        link.ApplyTargetVersion(GetParam() == Edition::LT2006 ? "LT 2006" : "LT 2000");
        files = DeriveProgramFiles(folder / "tessavue.exe", "tessavue.exe");
        auto& d = desktop.host().drawing();
        d.AddLine({100, 200}, {140, 200});
        d.AddLine({140, 200}, {140, 230});
        d.AddCircle({120, 215}, 5);
        d.AddArc({100, 230}, 10, 0, 90);
        d.AddLine({-50, -50}, {-60, -60});  // outside the window: not selected
    }
    void User(const std::string& script) {
        std::string error;
        auto user = ScriptedUser::Parse(script, &error);
        ASSERT_TRUE(user) << error;
        desktop.SetUser(std::move(*user));
    }
    // Commands the palette typed, without the history queries' own.
    std::vector<std::string> Typed() const {
        std::vector<std::string> out;
        for (const auto& chunk : desktop.host().ReceivedInput())
            if (chunk.transport != "user" && chunk.bytes != "copyhist " && chunk.bytes != "lastpoint " && chunk.bytes != " ")
                out.push_back(chunk.bytes);
        return out;
    }
    SelectionOutcome Run(bool projectAll) {
        SelectionCommand command{link, files, [](const std::filesystem::path& p) { return p.string(); },
                                 [this](bool busy) { busyCalls.push_back(busy); }, projectAll};
        return RunSelectionCommand(command, base);
    }
    std::vector<std::string> ExportOf(const std::filesystem::path& file, const std::string& version = "r12") const {
        return {"dxfout " + file.string() + "\r", "o p  ", "v " + version + " ", "16 "};
    }
    // What the selection types before it asks for anything, and after it is done: the
    // UCS checked, the units set for reading (LUNITS is already decimal; Enter keeps
    // it), and the user's LUPREC typed back.
    static std::vector<std::string> Opening() { return {"worlducs ", "lunits ", "luprec ", "8 "}; }
    static std::vector<std::string> Closing() { return {"luprec 4 "}; }
    bool Idle() { return link.ReadCommandLine() == link.CommandPrompt; }

    SimDesktop desktop{GetParam()};
    RecordingSink sink;
    HostLink link{desktop, sink};
    TempFolder folder;
    ProgramFiles files;
    PlanPoint base{7, 8};
    std::vector<bool> busyCalls;
};

TEST_P(SelectionCommandTest, LinesOnlyWithoutProjectAllWriteJustTheSelectionFile) {
    // A corner AutoCAD would show rounded at its four decimals is read at eight.
    User("window 90,190 150,250\nenter\npick 100.14063885583995,200.89259015094285\n");
    const auto before = desktop.host().drawing().entities();
    EXPECT_EQ(Run(false), SelectionOutcome::Exported);
    std::vector<std::string> expected = Opening();
    for (const auto& s : {"select ", "id ", "filedia 0 "}) expected.push_back(s);
    for (const auto& s : ExportOf(files.selection)) expected.push_back(s);
    expected.push_back("filedia 1 ");
    for (const auto& s : Closing()) expected.push_back(s);
    EXPECT_EQ(Typed(), expected);
    EXPECT_EQ(base.X, 100.14063886);
    EXPECT_EQ(base.Y, 200.89259015);
    EXPECT_EQ(desktop.host().drawing().unitPrecision, 4) << "the user's LUPREC is back";
    EXPECT_TRUE(std::filesystem::exists(files.selection));
    EXPECT_FALSE(std::filesystem::exists(files.turnedLeft));
    EXPECT_FALSE(std::filesystem::exists(files.turnedRight));
    EXPECT_FALSE(std::filesystem::exists(files.exploded));
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    ExpectSameEntities(before, desktop.host().drawing().entities());
    EXPECT_TRUE(Idle());
}

TEST_P(SelectionCommandTest, ProjectAllTurnsThereAndBackWithAnExportBetweenEachTurn) {
    User("window 90,190 150,250\nenter\npick 100.14063885583995,200.89259015094285\n");
    const auto before = desktop.host().drawing().entities();
    EXPECT_EQ(Run(true), SelectionOutcome::Exported);
    std::vector<std::string> expected = Opening();
    auto add = [&](const std::vector<std::string>& s) { expected.insert(expected.end(), s.begin(), s.end()); };
    add({"select ", "id ", "filedia 0 "});
    add(ExportOf(files.selection));
    // Turned about the point as read, typed as numbers: the exports stand about the very
    // point the figure is later moved by.
    add({"rotate pre  100.14063886,200.89259015 45 "});
    add(ExportOf(files.turnedLeft));
    add({"rotate pre  100.14063886,200.89259015 -90 "});
    add(ExportOf(files.turnedRight));
    add({"rotate pre  100.14063886,200.89259015 45 ", "filedia 1 "});
    add(Closing());
    EXPECT_EQ(Typed(), expected);
    EXPECT_TRUE(std::filesystem::exists(files.turnedLeft));
    EXPECT_TRUE(std::filesystem::exists(files.turnedRight));
    EXPECT_EQ(testing::ReadFile(files.turnedLeft).find("$HANDSEED"), std::string::npos);
    ExpectSameEntities(before, desktop.host().drawing().entities());
}

// Polylines, block references and ellipses (which R12 shows as polylines) are not
// exploded: the whole selection is exported once more in DXF 2000, and the drawing is
// never changed for it.
TEST_P(SelectionCommandTest, PolylinesBlocksAndEllipsesAreExportedWholeInDxf2000AndNothingIsExploded) {
    struct Case {
        const char* name;
        std::function<void(sim::Drawing&)> add;
    };
    const Case cases[] = {
        {"a polyline", [](sim::Drawing& d) { d.AddPolyline({{100, 240}, {130, 240}, {130, 245}}, false); }},
        {"a block reference",
         [](sim::Drawing& d) {
             Entity line;
             line.points = {{0, 0}, {5, 0}};
             d.DefineBlock(sim::Block{"part", {0, 0}, {line}});
             d.AddInsert("part", {110, 240});
         }},
        {"an ellipse", [](sim::Drawing& d) { d.AddEllipse({120, 240}, {5, 0}, 0.5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop own(GetParam());
        RecordingSink ownSink;
        HostLink ownLink(own, ownSink);
        ownLink.ApplyTargetVersion(link.TargetVersion);
        c.add(own.host().drawing());
        std::string error;
        auto user = ScriptedUser::Parse("window 90,190 150,250\nenter\npick 100,200\n", &error);
        ASSERT_TRUE(user) << error;
        own.SetUser(std::move(*user));
        const auto before = own.host().drawing();
        SelectionCommand command{ownLink, files, [](const std::filesystem::path& p) { return p.string(); },
                                 [](bool) {}, false};
        EXPECT_EQ(RunSelectionCommand(command, base), SelectionOutcome::Exported);
        std::vector<std::string> typed;
        for (const auto& chunk : own.host().ReceivedInput())
            if (chunk.transport != "user" && chunk.bytes != "copyhist " && chunk.bytes != "lastpoint " &&
                chunk.bytes != " ")
                typed.push_back(chunk.bytes);
        std::vector<std::string> expected = Opening();
        auto add = [&](const std::vector<std::string>& s) { expected.insert(expected.end(), s.begin(), s.end()); };
        add({"select ", "id ", "filedia 0 "});
        add(ExportOf(files.selection));
        add(ExportOf(files.exploded, "2000"));
        add({"filedia 1 "});
        add(Closing());
        EXPECT_EQ(typed, expected);
        EXPECT_TRUE(std::filesystem::exists(files.exploded));
        EXPECT_EQ(own.host().drawing().entities(), before.entities()) << "nothing was exploded";
        EXPECT_EQ(own.host().drawing().blocks(), before.blocks());
        EXPECT_TRUE(ownSink.confirmations.empty());
        std::filesystem::remove(files.exploded);
    }
}

TEST_P(SelectionCommandTest, EscAtTheSelectionOrThePickStopsQuietlyAndLeavesNoWorkFile) {
    for (const char* script : {"select 120,200\nesc\n", "window 90,190 150,250\nenter\nesc\n", "enter\n"}) {
        SCOPED_TRACE(script);
        testing::WriteFile(files.selection, "an earlier selection");
        testing::WriteFile(files.exploded, "an earlier explosion");
        busyCalls.clear();
        User(script);
        EXPECT_EQ(Run(true), SelectionOutcome::Stopped);
        EXPECT_FALSE(std::filesystem::exists(files.selection));
        EXPECT_FALSE(std::filesystem::exists(files.exploded));
        EXPECT_EQ(base.X, 7) << "the base point keeps its value";
        EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
        EXPECT_TRUE(sink.confirmations.empty());
        EXPECT_TRUE(Idle());
        for (const auto& typed : Typed()) EXPECT_NE(typed, "filedia 0 ");
    }
}

TEST_P(SelectionCommandTest, NoHostToCaptureDoesNothingAndStaysUnbusy) {
    desktop.RemoveHostWindows();
    EXPECT_EQ(Run(false), SelectionOutcome::NotCaptured);
    EXPECT_TRUE(busyCalls.empty());
    EXPECT_EQ(sink.confirmations.size(), 1u) << "the capture tells the user";
}

// The palette closes while AutoCAD writes a work file: every wait from then on is
// abandoned, and the selection sends what puts the drawing back before it stops.
void AbandonWhenWriting(SimDesktop& desktop, const std::string& name, const std::function<void()>& action) {
    desktop.host().pathFromText = [&desktop, name, action](const std::string& text) {
        if (text.find(name) != std::string::npos) action();
        (void)desktop;
        return std::filesystem::path(text);
    };
}

TEST_P(SelectionCommandTest, AClosedPaletteBetweenTheTurnsTurnsThePlanBack) {
    User("window 90,190 150,250\nenter\npick 100,200\n");
    const auto before = desktop.host().drawing().entities();
    AbandonWhenWriting(desktop, "l_45.dxf", [this] { link.AbandonWaits(); });
    EXPECT_EQ(Run(true), SelectionOutcome::Abandoned);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    ExpectSameEntities(before, desktop.host().drawing().entities());
    const auto typed = Typed();
    ASSERT_GE(typed.size(), 2u);
    ASSERT_GE(typed.size(), 3u);
    // The turn and the export it began are undone: the plan is back bit for bit.
    EXPECT_EQ(typed[typed.size() - 3], "u u ");
    EXPECT_EQ(typed[typed.size() - 2], "filedia 1 ") << "the file dialogs are back on";
    EXPECT_EQ(typed.back(), "luprec 4 ") << "and the user's units";
    EXPECT_FALSE(std::filesystem::exists(files.turnedRight));
    EXPECT_TRUE(Idle());
}

TEST_P(SelectionCommandTest, AClosedPaletteDuringTheWholeExportPutsTheSettingsBack) {
    desktop.host().drawing().AddPolyline({{100, 240}, {130, 240}, {130, 245}}, false);
    User("window 90,190 150,250\nenter\npick 100,200\n");
    const auto before = desktop.host().drawing().entities();
    AbandonWhenWriting(desktop, "explode.dxf", [this] { link.AbandonWaits(); });
    EXPECT_EQ(Run(false), SelectionOutcome::Abandoned);
    EXPECT_EQ(desktop.host().drawing().entities(), before);
    const auto typed = Typed();
    ASSERT_GE(typed.size(), 2u);
    EXPECT_EQ(typed[typed.size() - 2], "filedia 1 ");
    EXPECT_EQ(typed.back(), "luprec 4 ");
    EXPECT_EQ(desktop.host().drawing().unitPrecision, 4);
    EXPECT_TRUE(Idle());
}

TEST_P(SelectionCommandTest, AClosedPaletteWhileTheUserSelectsCancelsTheSelectionInTheHost) {
    User("select 120,200\n");  // the user never ends the selection
    desktop.pumpHook = [this] {
        if (desktop.user() != nullptr && desktop.user()->Finished()) link.AbandonWaits();
    };
    EXPECT_EQ(Run(false), SelectionOutcome::Abandoned);
    EXPECT_TRUE(Idle()) << "the select command was cancelled";
    EXPECT_FALSE(std::filesystem::exists(files.selection));
    for (const auto& typed : Typed()) EXPECT_NE(typed, "filedia 0 ");
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
}

TEST_P(SelectionCommandTest, AHostClosedInTheMiddleGetsNothingMoreTyped) {
    User("window 90,190 150,250\nenter\npick 100,200\n");
    std::size_t typedWhenGone = 0;
    AbandonWhenWriting(desktop, "l_45.dxf", [this, &typedWhenGone] {
        typedWhenGone = desktop.host().ReceivedInput().size();
        desktop.RemoveHostWindows();
    });
    EXPECT_EQ(Run(true), SelectionOutcome::Abandoned);
    EXPECT_GT(typedWhenGone, 0u);
    EXPECT_EQ(desktop.host().ReceivedInput().size(), typedWhenGone);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
}

// A work file that cannot be read ends the selection with its error, never with the
// user's file dialogs off.
TEST_P(SelectionCommandTest, AnUnreadableWorkFileStillTurnsTheFileDialogsBackOn) {
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> spoil;
    };
    const Case cases[] = {
        {"damaged", [](const std::filesystem::path& p) { testing::WriteFile(p, "  0\r\nEOF\r\n"); }},
        {"unreadable", [](const std::filesystem::path& p) { std::filesystem::create_directory(p); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        User("window 90,190 150,250\nenter\npick 100,200\n");
        // AutoCAD writes the selection elsewhere; what lies under its name is spoilt.
        const std::filesystem::path elsewhere = folder / "elsewhere.dxf";
        desktop.host().pathFromText = [&](const std::string& text) {
            if (text != files.selection.string()) return std::filesystem::path(text);
            c.spoil(files.selection);
            return elsewhere;
        };
        EXPECT_THROW(Run(false), DxfReadError);
        desktop.host().pathFromText = nullptr;
        const auto typed = Typed();
        EXPECT_EQ(typed[typed.size() - 2], "filedia 1 ");
        EXPECT_EQ(typed.back(), "luprec 4 ");
        EXPECT_TRUE(Idle());
        EXPECT_TRUE(sink.confirmations.empty()) << "the error box shows the error";
        std::filesystem::remove_all(files.selection);
        std::filesystem::remove(elsewhere);
    }
}

// AutoCAD closed after an earlier command: the next command captures again and says
// that AutoCAD is not there, instead of typing into windows that are gone.
TEST_P(SelectionCommandTest, AClosedHostIsCapturedAgainAndTheFailureTold) {
    User("window 90,190 150,250\nenter\npick 100,200\n");
    ASSERT_EQ(Run(false), SelectionOutcome::Exported);
    const std::size_t typed = desktop.host().ReceivedInput().size();
    desktop.RemoveHostWindows();
    busyCalls.clear();
    EXPECT_EQ(Run(false), SelectionOutcome::NotCaptured);
    ASSERT_EQ(sink.confirmations.size(), 1u);
    EXPECT_EQ(sink.confirmations[0], CaptureFailureMessage());
    EXPECT_EQ(desktop.host().ReceivedInput().size(), typed);
    EXPECT_TRUE(busyCalls.empty());
}

// The user's units decide how the palette reads: it sets decimal units at eight
// decimals for the selection, and types the user's own values back, whatever they were.
TEST_P(SelectionCommandTest, ThePickIsReadAtEightDecimalsInAnyUnitsAndTheUnitsComeBack) {
    struct Case {
        int lunits, luprec;
        std::vector<std::string> opening, closing;
    };
    const Case cases[] = {
        {2, 4, {"worlducs ", "lunits ", "luprec ", "8 "}, {"luprec 4 "}},
        {4, 2, {"worlducs ", "lunits ", "2 ", "luprec ", "8 "}, {"lunits 4 ", "luprec 2 "}},
        {1, 3, {"worlducs ", "lunits ", "2 ", "luprec ", "8 "}, {"lunits 1 ", "luprec 3 "}},
        {5, 6, {"worlducs ", "lunits ", "2 ", "luprec ", "8 "}, {"lunits 5 ", "luprec 6 "}},
        {2, 8, {"worlducs ", "lunits ", "luprec "}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("LUNITS " + std::to_string(c.lunits) + " LUPREC " + std::to_string(c.luprec));
        auto& d = desktop.host().drawing();
        d.linearUnits = c.lunits;
        d.unitPrecision = c.luprec;
        const std::size_t from = desktop.host().ReceivedInput().size();
        User("window 90,190 150,250\nenter\npick 140.12345678901234,229.98765432109876\n");
        ASSERT_EQ(Run(false), SelectionOutcome::Exported);
        std::vector<std::string> typed;
        const auto& input = desktop.host().ReceivedInput();
        for (std::size_t i = from; i < input.size(); ++i)
            if (input[i].transport != "user" && input[i].bytes != "copyhist " && input[i].bytes != "lastpoint " &&
                input[i].bytes != " ")
                typed.push_back(input[i].bytes);
        ASSERT_GE(typed.size(), c.opening.size() + c.closing.size());
        EXPECT_EQ(std::vector<std::string>(typed.begin(), typed.begin() + static_cast<long>(c.opening.size())), c.opening);
        EXPECT_EQ(std::vector<std::string>(typed.end() - static_cast<long>(c.closing.size()), typed.end()), c.closing);
        EXPECT_EQ(base.X, 140.12345679);
        EXPECT_EQ(base.Y, 229.98765432);
        EXPECT_EQ(d.linearUnits, c.lunits);
        EXPECT_EQ(d.unitPrecision, c.luprec);
        EXPECT_TRUE(Idle());
    }
}

// A listing longer than AutoCAD's text window stops for Enter; the palette answers each
// pause of the listing it asked for, so the user only selects. Forty lines of an
// outline with sixteen digits come back whole, at eight decimals, and the centre line
// is level as the user's LUPREC shows it.
TEST_P(SelectionCommandTest, ALongListingIsPagedThroughByThePalette) {
    auto& d = desktop.host().drawing();
    std::vector<ListedLine> drawn;
    Point at{-300.14063885583995, 10.89259015094285};
    for (int i = 0; i < 40; ++i) {
        const Point next{at.x + (i % 2 == 0 ? 0.7071067811865476 : 0.0), at.y + 2.718281828459045};
        d.AddLine(at, next);
        drawn.push_back({at.x, at.y, next.x, next.y});
        at = next;
    }
    const auto shown = [](double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.8f", v);
        return std::strtod(text, nullptr);
    };
    User("window -310,0 -270,130\nenter\n");
    link.CaptureHost();
    // Were a pause left unanswered, the wait would never end: bound it, so that the test
    // fails instead of hanging.
    int pumps = 0;
    desktop.pumpHook = [&] {
        if (++pumps > 100000) link.AbandonWaits();
    };
    std::optional<std::vector<ListedLine>> outline;
    EXPECT_EQ(SelectOutline(link, outline), "");
    ASSERT_TRUE(outline);
    ASSERT_EQ(outline->size(), 40u);
    for (std::size_t i = 0; i < 40; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ((*outline)[i].X1, shown(drawn[i].X1));
        EXPECT_EQ((*outline)[i].Y1, shown(drawn[i].Y1));
        EXPECT_EQ((*outline)[i].X2, shown(drawn[i].X2));
        EXPECT_EQ((*outline)[i].Y2, shown(drawn[i].Y2));
    }
    int pauses = 0;
    int answered = 0;
    for (const std::string& line : desktop.host().HistoryLines()) pauses += IsListingPause(line) ? 1 : 0;
    for (const auto& chunk : desktop.host().ReceivedInput()) answered += chunk.transport != "user" && chunk.bytes == "\r";
    EXPECT_GE(pauses, 10) << "forty lines of LIST are more than ten pages of the text window";
    EXPECT_EQ(answered, pauses) << "each pause answered by the palette, none by the user";
    EXPECT_TRUE(Idle());
    EXPECT_EQ(d.unitPrecision, 4);
}

TEST(LevelCentreLine, LevelAsTheUsersUnitsShowItThenExactly) {
    struct Case {
        const char* name;
        ListedLine line;
        int lunits, luprec;
        std::optional<ListedLine> level;
    };
    const Case cases[] = {
        {"vertical at four decimals", {100.14063886, 0.5, 100.14063887, 80.25}, 2, 4,
         ListedLine{100.14063886, 0.5, 100.14063886, 80.25}},
        {"not at eight", {100.14063886, 0.5, 100.14063887, 80.25}, 2, 8, std::nullopt},
        {"horizontal at two", {-5.5, 7.123, 60.25, 7.1249}, 2, 2, ListedLine{-5.5, 7.123, 60.25, 7.123}},
        {"exactly vertical", {3, 1, 3, 9}, 2, 8, ListedLine{3, 1, 3, 9}},
        {"slanted", {0, 0, 100, 1}, 2, 0, std::nullopt},
        {"architectural, the same eighth", {12.01, 0, 12.05, 40}, 4, 3, ListedLine{12.01, 0, 12.01, 40}},
    };
    for (const Case& c : cases) EXPECT_EQ(LevelCentreLine(c.line, c.lunits, c.luprec), c.level) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Editions, SelectionCommandTest, ::testing::Values(Edition::LT2000, Edition::LT2006));

// LT 2006 types through the clipboard, which another program may hold.
class SelectionThroughTheClipboard : public SelectionCommandTest {};

// A command that could not be pasted stops the selection with a message; the drawing
// is put back, and what the put-back could not type either is named for the user.
TEST_P(SelectionThroughTheClipboard, ACommandThatCannotBePastedStopsAndIsTold) {
    struct Case {
        const char* name;
        int busyTries;  // clipboard openings that fail once the first turn is typed
        std::vector<std::string> leftUndone;
        bool putBack;
    };
    const Case cases[] = {
        {"the clipboard comes back for the put-back", 10, {}, true},
        {"the clipboard stays held", 1000000, {"u ", "filedia 1 ", "luprec 4 "}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.confirmations.clear();
        desktop.clipboardBusy = 0;
        User("window 90,190 150,250\nenter\npick 100,200\n");
        const auto before = desktop.host().drawing().entities();
        desktop.typingHook = [&](const std::string& text) {
            if (text == "rotate pre  100,200 45 ") desktop.clipboardBusy = c.busyTries;
        };
        EXPECT_EQ(Run(true), SelectionOutcome::Failed);
        desktop.typingHook = nullptr;
        ASSERT_EQ(sink.confirmations.size(), 1u);
        EXPECT_EQ(sink.confirmations[0], TypingFailedMessage(c.leftUndone));
        EXPECT_FALSE(std::filesystem::exists(files.turnedLeft)) << "the export never ran";
        if (c.putBack) {
            ExpectSameEntities(before, desktop.host().drawing().entities());
            EXPECT_EQ(Typed().back(), "luprec 4 ");
        }
        EXPECT_TRUE(Idle());
        EXPECT_EQ(busyCalls.back(), false);
        desktop.clipboardBusy = 0;
        // Put back by hand, as the message asks, before the next case.
        for (const std::string& command : c.leftUndone) ASSERT_TRUE(link.RunHostCommand(command));
        ExpectSameEntities(before, desktop.host().drawing().entities());
    }
}

INSTANTIATE_TEST_SUITE_P(Lt2006, SelectionThroughTheClipboard, ::testing::Values(Edition::LT2006));

}  // namespace
}  // namespace tessavue
