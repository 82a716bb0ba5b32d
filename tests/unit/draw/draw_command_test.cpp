// The draw command against the in-process stand-in: a plan is selected with the
// scripted user, a direction button is pressed and an insertion point picked; the
// stand-in's drawing then holds the projected figure, the block is purged and the
// figure file is gone. The refusals touch nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>

#include "core/dxf_file.h"
#include "core/sim_desktop.h"
#include "draw/draw_command.h"
#include "host/undo_journal.h"
#include "draw/figure_rewrite.h"
#include "draw/template_figure.h"
#include "draw/typed_figures.h"
#include "import/listed_selection.h"
#include "import/selection_command.h"
#include "iso/faces.h"
#include "dxf_text.h"
#include "iso_flow.h"
#include "iso_view.h"
#include "recording_sink.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::Entity;
using sim::EntityKind;
using sim::Point;
using sim::ScriptedUser;
using sim::SimDesktop;
using testing::RecordingSink;
using testing::TempFolder;

constexpr double kDegree = std::numbers::pi / 180.0;

class DrawCommandTest : public ::testing::TestWithParam<Edition> {
protected:
    void SetUp() override {
        link.ApplyTargetVersion(GetParam() == Edition::LT2006 ? "LT 2006" : "LT 2000");
        files = DeriveProgramFiles(folder / "tessavue.exe", "tessavue.exe");
        auto& d = desktop.host().drawing();
        d.AddLine({100, 200}, {140, 200});
        d.AddCircle({120, 215}, 5);
        planCount = d.entities().size();
    }
    void User(const std::string& script) {
        std::string error;
        auto user = ScriptedUser::Parse(script, &error);
        ASSERT_TRUE(user) << error;
        desktop.SetUser(std::move(*user));
    }
    void Select() {
        User("window 90,190 150,250\nenter\npick 100,200\n");
        SelectionCommand command{link, files, PathToText(), [](bool) {}, false};
        ASSERT_EQ(RunSelectionCommand(command, base), SelectionOutcome::Exported);
    }
    static PathText PathToText() {
        return [](const std::filesystem::path& p) { return p.string(); };
    }
    DrawOutcome Draw(std::int32_t face, const std::string& height, const std::string& kind = kExistingFigureKind,
                     const std::function<void(DrawRequest&)>& more = {}) {
        DrawRequest request;
        request.FaceCode = face;
        request.FigureKind = kind;
        request.HeightText = height;
        request.SelectionBase = base;
        if (more) more(request);
        // Where the typing stood at each lock and unlock of the palette.
        const auto setBusy = [this](bool busy) {
            busyCalls.push_back(busy);
            busyMarks.push_back(desktop.host().ReceivedInput().size());
        };
        DrawCommand command{link, sink, files, PathToText(), setBusy, [] { return LocalTime{2026, 12, 7, 9, 5, 3}; }};
        typedBefore = desktop.host().ReceivedInput().size();
        entitiesBefore = desktop.host().drawing().entities().size();
        return RunDrawCommand(command, request);
    }
    // The user at AutoCAD answers the point prompts of the id and insert commands once
    // they are asked: a pick there, or Esc where no point is given.
    void AnswerPoints(std::optional<Point> idPoint, std::optional<Point> insertionPoint) {
        desktop.pumpHook = [this, idPoint, insertionPoint] {
            sim::SimHost& host = desktop.host();
            if (host.Waiting() != sim::PromptKind::Point) return;
            const std::string& running = host.RunningCommand();
            if (running != "ID" && running != "INSERT") return;
            const std::optional<Point> point = running == "ID" ? idPoint : insertionPoint;
            if (point) {
                host.Click(*point);
            } else {
                host.Type("\x1b");
            }
        };
    }
    // The entities the last draw added.
    std::vector<Entity> AddedByDraw() const {
        const auto& all = desktop.host().drawing().entities();
        return {all.begin() + static_cast<std::ptrdiff_t>(entitiesBefore), all.end()};
    }
    std::size_t Typed(const std::string& command) const {
        const auto typed = TypedSinceDraw();
        return static_cast<std::size_t>(std::count(typed.begin(), typed.end(), command));
    }
    std::vector<std::string> TypedSinceDraw() const {
        std::vector<std::string> out;
        const auto& input = desktop.host().ReceivedInput();
        for (std::size_t i = typedBefore; i < input.size(); ++i)
            if (input[i].transport != "user" && input[i].bytes != "copyhist ") out.push_back(input[i].bytes);
        return out;
    }
    // What the draw typed after the frame's questions (the UCS, the current layer and
    // whether it is on and thawed), which every kind asks first.
    std::vector<std::string> TypedAfterFrame() const {
        std::vector<std::string> typed = TypedSinceDraw();
        const std::vector<std::string> frame = {"worlducs ", "-layer  ", "-layer ?\r0\r\r"};
        EXPECT_TRUE(typed.size() >= frame.size() && std::equal(frame.begin(), frame.end(), typed.begin()))
            << "the frame comes first";
        if (typed.size() >= frame.size()) typed.erase(typed.begin(), typed.begin() + static_cast<long>(frame.size()));
        return typed;
    }
    std::vector<Entity> Added() const {
        const auto& all = desktop.host().drawing().entities();
        return {all.begin() + static_cast<std::ptrdiff_t>(planCount), all.end()};
    }
    bool NoFigureFileLeft() const {
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            if (entry.path().filename().string().rfind("ip", 0) == 0) return false;
        return true;
    }
    const Entity* FindKind(EntityKind kind) const {
        static std::vector<Entity> added;
        added = Added();
        for (const auto& e : added)
            if (e.kind == kind) return &e;
        return nullptr;
    }

    SimDesktop desktop{GetParam()};
    RecordingSink sink;
    HostLink link{desktop, sink};
    TempFolder folder;
    ProgramFiles files;
    PlanPoint base;
    std::size_t planCount = 0;
    std::size_t typedBefore = 0;
    std::size_t entitiesBefore = 0;
    std::vector<bool> busyCalls;
    std::vector<std::size_t> busyMarks;
};

TEST_P(DrawCommandTest, TopLeftFaceInsertsExplodesAndPurgesTheProjectedPlan) {
    Select();
    User("pick 500,500\n");
    EXPECT_EQ(Draw(FaceTopLeft, "0"), DrawOutcome::Drawn);
    const std::filesystem::path figure = folder / "ip20261207090503.dxf";
    const std::vector<std::string> expected = {
        "-insert " + figure.string() + "\r x 1.22474487139159 y 0.707106781186548 r 0 ",
        "_explode l\r\r",
        "-purge b ip20261207090503\rn\r",
    };
    EXPECT_EQ(TypedAfterFrame(), expected);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(NoFigureFileLeft());
    EXPECT_EQ(desktop.host().drawing().FindBlock("ip20261207090503"), nullptr) << "the block is purged";

    // The plan edge keeps its length along the face's +X direction, 30 degrees.
    const Entity* line = FindKind(EntityKind::Line);
    ASSERT_NE(line, nullptr);
    EXPECT_NEAR(line->points[0].x, 500, 1e-9);
    EXPECT_NEAR(line->points[0].y, 500, 1e-9);
    EXPECT_NEAR(line->points[1].x - line->points[0].x, 40 * std::cos(30 * kDegree), 1e-9);
    EXPECT_NEAR(line->points[1].y - line->points[0].y, 40 * std::sin(30 * kDegree), 1e-9);

    // The circle is an ellipse with semi-axes sqrt(1.5) r and sqrt(0.5) r; its
    // centre, (20, 15) from the base point, goes 20 along 30 and 15 along 150 degrees.
    const Entity* ellipse = FindKind(EntityKind::Ellipse);
    ASSERT_NE(ellipse, nullptr);
    const double cx = 500 + 20 * std::cos(30 * kDegree) + 15 * std::cos(150 * kDegree);
    const double cy = 500 + 20 * std::sin(30 * kDegree) + 15 * std::sin(150 * kDegree);
    EXPECT_NEAR(ellipse->points[0].x, cx, 1e-9);
    EXPECT_NEAR(ellipse->points[0].y, cy, 1e-9);
    const double major = std::hypot(ellipse->points[1].x, ellipse->points[1].y);
    EXPECT_NEAR(major, std::sqrt(1.5) * 5, 1e-9);
    EXPECT_NEAR(major * ellipse->ratio, std::sqrt(0.5) * 5, 1e-9);
    EXPECT_EQ(Added().size(), 2u) << "no height, so no raised copy";
}

TEST_P(DrawCommandTest, ASideFaceTurnsTheBlockAndRaisesTheCopyTowardItsHeightDirection) {
    Select();
    User("pick 0,0\n");
    EXPECT_EQ(Draw(FaceLeft, "10"), DrawOutcome::Drawn);
    ASSERT_FALSE(TypedAfterFrame().empty());
    EXPECT_NE(TypedAfterFrame().front().find(" r -60 "), std::string::npos);
    // Plan +X of the left face goes to 330 degrees; the height goes toward 210.
    bool planEdge = false;
    bool heightLine = false;
    for (const auto& e : Added()) {
        if (e.kind != EntityKind::Line) continue;
        const double dx = e.points[1].x - e.points[0].x;
        const double dy = e.points[1].y - e.points[0].y;
        if (std::abs(std::hypot(dx, dy) - 40) < 1e-9 && std::abs(std::atan2(dy, dx) - (-30 * kDegree)) < 1e-9)
            planEdge = true;
        const double angle = std::atan2(std::abs(dy), std::abs(dx)) / kDegree;
        if (std::abs(std::hypot(dx, dy) - 10) < 1e-9 && std::abs(angle - 30) < 1e-9 && dx * dy > 0)
            heightLine = true;
    }
    EXPECT_TRUE(planEdge);
    EXPECT_TRUE(heightLine);
    EXPECT_TRUE(NoFigureFileLeft());
}

TEST_P(DrawCommandTest, NoSelectionTellsTheUserAndTypesNothing) {
    EXPECT_EQ(Draw(FaceTopRight, "10"), DrawOutcome::Refused);
    EXPECT_EQ(sink.confirmations, (std::vector<std::string>{NothingSelectedMessage()}));
    EXPECT_TRUE(TypedSinceDraw().empty());
    EXPECT_TRUE(busyCalls.empty());
}

TEST_P(DrawCommandTest, AHeightThatIsNoNumberAndAKindNotBuiltYetAreRefusedBeforeAnythingIsTyped) {
    Select();
    EXPECT_EQ(Draw(FaceTopLeft, "1O"), DrawOutcome::Refused);
    EXPECT_EQ(Draw(FaceTopLeft, "10", "不明"), DrawOutcome::Refused);
    EXPECT_EQ(Draw(FaceTopLeft, "10", "円", [](DrawRequest& r) { r.DiameterText = "1O"; }), DrawOutcome::Refused);
    EXPECT_EQ(Draw(FaceTopLeft, "10", "四角", [](DrawRequest& r) { r.XSideText = ""; }), DrawOutcome::Refused);
    ASSERT_EQ(sink.confirmations.size(), 4u);
    EXPECT_NE(sink.confirmations[0].find("1O"), std::string::npos);
    EXPECT_EQ(sink.confirmations[1], KindNotAvailableMessage("不明"));
    EXPECT_NE(sink.confirmations[2].find("直径"), std::string::npos);
    EXPECT_NE(sink.confirmations[3].find("Ｘ"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(files.figureTemplate));
    EXPECT_TRUE(TypedSinceDraw().empty());
    EXPECT_TRUE(busyCalls.empty());
    EXPECT_TRUE(NoFigureFileLeft());
    EXPECT_EQ(desktop.host().drawing().entities().size(), planCount);
}

TEST_P(DrawCommandTest, ACancelledInsertionPointSkipsTheExplosionAndLeavesNoFigureFileOrBlock) {
    Select();
    User("esc\n");
    EXPECT_EQ(Draw(FaceRight, "10"), DrawOutcome::Cancelled);
    const auto typed = TypedAfterFrame();
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[0].rfind("-insert ", 0), 0u);
    // AutoCAD defined the block when it read the file, before it asked for the point:
    // the cancelled insertion and the history query are undone, the definition with them.
    EXPECT_EQ(typed[1], "u u ");
    EXPECT_TRUE(desktop.host().drawing().blocks().empty());
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(NoFigureFileLeft());
    EXPECT_EQ(desktop.host().drawing().entities().size(), planCount);
    EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
}

// The palette closes while AutoCAD asks for the insertion point: the insertion is
// cancelled and the block purged without a wait, and the palette is free.
TEST_P(DrawCommandTest, AClosedPaletteAtTheInsertionPointCancelsTheInsertionAndPurgesTheBlock) {
    Select();
    User("");
    desktop.pumpHook = [this] {
        if (desktop.host().RunningCommand() == "INSERT") link.AbandonWaits();
    };
    EXPECT_EQ(Draw(FaceLeft, "10"), DrawOutcome::Cancelled);
    desktop.pumpHook = nullptr;
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(NoFigureFileLeft());
    EXPECT_TRUE(desktop.host().drawing().blocks().empty());
    EXPECT_EQ(desktop.host().drawing().entities().size(), planCount);
    EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
}

TEST_P(DrawCommandTest, AnInsertionPointGivenIsTypedAfterTheRotation) {
    Select();
    const std::filesystem::path figure = folder / "given.dxf";
    ASSERT_TRUE(std::filesystem::copy_file(files.selection, figure));
    typedBefore = desktop.host().ReceivedInput().size();
    EXPECT_TRUE(InsertFigureBlock(link, figure, figure.string(), "given", 1, 1, 0, PlanPoint{2.5, -3}));
    ASSERT_FALSE(TypedSinceDraw().empty());
    EXPECT_EQ(TypedSinceDraw().front(), "-insert " + figure.string() + "\r x 1 y 1 r 0 2.5,-3 ");
    EXPECT_FALSE(std::filesystem::exists(figure));
    EXPECT_EQ(desktop.host().drawing().FindBlock("given"), nullptr);
}

// ---------------------------------------------------------------------------------
// The figures typed in as numbers (円, 四角, 六角)
// ---------------------------------------------------------------------------------

// The figures drawn one after another at one picked point each: every face, each kind,
// the rectangle with X and Y apart, the hexagon 横, height 0, a negative height, 高さ
// unchecked and 高さ符号反転. Circles always stand on their two silhouette lines.
TEST_P(DrawCommandTest, NumberFiguresShowTheIsometricViewOnEveryFaceOnTheCurrentLayer) {
    desktop.host().Type("-layer m 外形\r\r");
    ASSERT_EQ(desktop.host().drawing().currentLayer(), "外形");
    int drawn = 0;
    for (const testing::NumberFigure& f : testing::NumberFigures()) {
        SCOPED_TRACE(f.name);
        const Point at{500.0 + 100 * drawn++, 300};
        AnswerPoints(Point{50, 50}, at);
        busyCalls.clear();
        busyMarks.clear();
        const DrawOutcome outcome = Draw(f.face, testing::Number(f.height), f.kind, [&](DrawRequest& r) {
            r.DiameterText = r.YSideText = r.AcrossFlatsText = testing::Number(f.a);
            r.XSideText = testing::Number(f.b);
            r.HexagonVertical = f.vertical;
            r.InvertHeightSign = f.invert;
            r.HeightLines = f.heightLines;
            r.CircleHeightLines = false;  // the menu mark is for existing figures only
        });
        desktop.pumpHook = nullptr;
        ASSERT_EQ(outcome, DrawOutcome::Drawn);
        EXPECT_TRUE(sink.confirmations.empty());
        // Only the first command makes the template, with the one point it asks for.
        EXPECT_EQ(Typed("id "), drawn == 1 ? 1u : 0u);

        testing::FigureOptions options;
        options.height = f.height;
        options.invert = f.invert;
        options.heightLines = f.heightLines;
        options.circleHeightLines = true;
        const testing::Placement place{testing::kFaces[f.face], {0, 0}, at};
        const std::vector<Entity> added = AddedByDraw();
        EXPECT_TRUE(testing::HoldsExactly(added, testing::FigureOf(testing::NumberFigurePlan(f), place, options)));
        for (const Entity& e : added) EXPECT_EQ(e.layer, "外形");
        // The palette is busy from before the first command it types to after the last.
        EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
        EXPECT_EQ(busyMarks, (std::vector<std::size_t>{typedBefore, desktop.host().ReceivedInput().size()}));
        EXPECT_TRUE(NoFigureFileLeft());
    }
    EXPECT_TRUE(desktop.host().drawing().blocks().empty());
    EXPECT_TRUE(std::filesystem::exists(files.figureTemplate));
    EXPECT_EQ(desktop.host().filedia, 1);
}

// tessavue-iso run with `args` (the output file last), its output read back by the
// stand-in's own reader into `drawing`.
::testing::AssertionResult DrawnByIsoTool(const std::vector<std::filesystem::path>& args, sim::Drawing& drawing) {
    std::string report;
    if (const int status = RunIsoTool(args, report); status != 0)
        return ::testing::AssertionFailure() << "tessavue-iso ended with " << status << ": " << report;
    std::string error;
    if (!sim::LoadDxfFile(drawing, args.back(), &error))
        return ::testing::AssertionFailure() << "the stand-in cannot read the output: " << error;
    return ::testing::AssertionSuccess();
}

// The same figures typed in as numbers, drawn by tessavue-iso without AutoCAD: its
// DXF, read back by the stand-in's own reader, holds exactly what the palette's draws
// leave in the stand-in's drawing (the same expectations, from the face axes).
TEST(IsoToolNumberFigures, TheSameFiguresAsThePalettesOnEveryFace) {
    TempFolder folder;
    int drawn = 0;
    for (const testing::NumberFigure& f : testing::NumberFigures()) {
        SCOPED_TRACE(f.name);
        const Point at{500.0 + 100 * drawn++ + 0.12345678901234567, 300.98765432109876};
        const std::string kind = f.kind;
        std::vector<std::filesystem::path> args = {"--face", std::to_string(f.face), "--height", testing::Number(f.height),
                                                   "--at", testing::Number(at.x) + "," + testing::Number(at.y), "--kind"};
        if (kind == "円") {
            args.insert(args.end(), {"circle", "--diameter", testing::Number(f.a)});
        } else if (kind == "四角") {
            args.insert(args.end(), {"square", "--y", testing::Number(f.a), "--x", testing::Number(f.b)});
        } else {
            args.insert(args.end(), {"hexagon", "--across", testing::Number(f.a)});
            if (!f.vertical) args.push_back("--horizontal");
        }
        if (f.invert) args.push_back("--invert-sign");
        if (!f.heightLines) args.push_back("--no-height-lines");
        const std::filesystem::path out = folder / ("figure" + std::to_string(drawn) + ".dxf");
        args.push_back(out);
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool(args, drawing));
        testing::FigureOptions options;
        options.height = f.height;
        options.invert = f.invert;
        options.heightLines = f.heightLines;
        options.circleHeightLines = true;
        const testing::Placement place{testing::kFaces[f.face], {0, 0}, at};
        EXPECT_TRUE(testing::HoldsExactly(drawing.entities(), testing::FigureOf(testing::NumberFigurePlan(f), place, options)));
    }
}

// The round-bar bend drawn by tessavue-iso: on every face, the bend a drafter expects
// about the point (the same expectation the palette's bend is held to), read back by
// the stand-in's reader; and the palette's two limits on the bar, in its words.
TEST(IsoToolBend, TheBendAboutThePointOnEveryFaceAndTheBarsLimits) {
    TempFolder folder;
    struct Row {
        std::int32_t face;
        double bendRadius, barDiameter;
    };
    const Row rows[] = {{0, 20, 10}, {1, 20, 10}, {2, 35.5, 7.25}, {3, 12.345678901234567, 8.8}};
    for (const Row& row : rows) {
        const Point at{-123.45678901234567, 987.65432109876543};
        const std::filesystem::path out = folder / ("bend" + std::to_string(row.face) + ".dxf");
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool({"--kind", "bend", "--face", std::to_string(row.face), "--bend-radius",
                                    testing::Number(row.bendRadius), "--bar-diameter", testing::Number(row.barDiameter),
                                    "--at", testing::Number(at.x) + "," + testing::Number(at.y), out},
                                   drawing));
        EXPECT_TRUE(testing::HoldsExactly(
            drawing.entities(),
            testing::BendFigure(at, row.bendRadius, row.barDiameter / 2, FaceRow(row.face)->SideTurn)))
            << "face " << row.face;
    }
    struct Refusal {
        const char* bendRadius;
        const char* barDiameter;
        std::string told;
    };
    const Refusal refusals[] = {
        {"20", "20", BarNotBelowBendRadiusMessage()},
        {"20", "18.86", BarTooThickForBendMessage(20)},
    };
    for (const Refusal& r : refusals) {
        const std::filesystem::path out = folder / "refused.dxf";
        std::string report;
        EXPECT_EQ(RunIsoTool({"--kind", std::filesystem::path(u8"丸棒曲げ"), "--face", "0", "--bend-radius", r.bendRadius, "--bar-diameter",
                              r.barDiameter, out},
                             report),
                  2);
        EXPECT_NE(report.find(r.told), std::string::npos) << report;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// The two-face drawing by tessavue-iso: the closed chain through the points the top and
// front views give, each point where the face's axes put it (plan X and Y from the top
// view, the height from the front view straight up); and the palette's refusals.
TEST(IsoToolTwoFace, TheChainThroughBothViewsPointsAndThePalettesRefusals) {
    TempFolder folder;
    const std::vector<std::pair<Point, double>> points = {
        {{0.5, 0.25}, 0}, {{40.123456789012345, 0.25}, 0}, {{40.123456789012345, 20.5}, 12.75}, {{3.3, 18.8}, 7.0625}};
    std::string top, front;
    for (const auto& [p, z] : points) {
        top += (top.empty() ? "" : ",") + testing::Number(p.x) + "," + testing::Number(p.y);
        front += (front.empty() ? "" : ",") + testing::Number(z);
    }
    for (std::int32_t face : {0, 1}) {
        const Point at{-55.555555555555557, 77.777777777777771};
        const std::filesystem::path out = folder / ("two-face" + std::to_string(face) + ".dxf");
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool({"--kind", "two-face", "--face", std::to_string(face), "--top", top, "--front",
                                    front, "--at", testing::Number(at.x) + "," + testing::Number(at.y), out},
                                   drawing));
        const testing::FaceView& view = testing::kFaces[face];
        const auto place = [&](std::size_t i) {
            using testing::operator+;
            using testing::operator-;
            const Point d = points[i].first - points[0].first;
            return at + testing::Along(view.planX, d.x) + testing::Along(view.planY, d.y) +
                   testing::Along(90, points[i].second - points[0].second);
        };
        std::vector<testing::Expected> chain;
        for (std::size_t i = 0; i < points.size(); ++i)
            chain.push_back(testing::LineFrom(place(i), place((i + 1) % points.size()), "step"));
        EXPECT_TRUE(testing::HoldsExactly(drawing.entities(), chain)) << "face " << face;
    }
    struct Refusal {
        std::string face, top, front, told;
    };
    const Refusal refusals[] = {
        {"2", top, front, TwoFaceDirectionMessage()},
        {"0", "1,2,3,4", "0", TwoFaceCountsDifferMessage()},
        {"1", "1,2", "0", TwoFaceOnePointMessage()},
    };
    for (const Refusal& r : refusals) {
        const std::filesystem::path out = folder / "refused.dxf";
        std::string report;
        EXPECT_EQ(RunIsoTool({"--kind", "two-face", "--face", r.face, "--top", r.top, "--front", r.front, out}, report), 2);
        EXPECT_NE(report.find(r.told), std::string::npos) << report;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// The text by tessavue-iso: written at the point with rotation 0, as the palette's user
// writes it, and carried onto each face about that point: the glyphs' baseline along
// plan X's direction, their upright along plan Y's (the width factor and oblique
// angle worked out from the face axes, as for the palette's texts); a character code
// page 932 lacks kept as DXF's escape. Then the refusals.
TEST(IsoToolText, OnEveryFaceAboutItsStartPointAndTheRefusals) {
    TempFolder folder;
    struct Row {
        std::int32_t face;
        double height;
        std::filesystem::path text;  // as typed, UTF-8
        std::string held;            // as the drawing holds it
    };
    const Row rows[] = {
        {0, 5, std::filesystem::path(u8"寸法ABC"), "寸法ABC"},
        {1, 2.5, "ABC", "ABC"},
        {2, 3.3333333333333335, std::filesystem::path(u8"Ø25 é"), "\\U+00D8" "25 \\U+00E9"},
        {3, 0.123456789012345, std::filesystem::path(u8"高さ"), "高さ"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.face);
        const Point at{-1234.5678901234567, 0.30000000000000004};
        const std::filesystem::path out = folder / ("text" + std::to_string(row.face) + ".dxf");
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool({"--kind", "text", "--text", row.text, "--text-height", testing::Number(row.height),
                                    "--face", std::to_string(row.face), "--at",
                                    testing::Number(at.x) + "," + testing::Number(at.y), out},
                                   drawing));
        ASSERT_EQ(drawing.entities().size(), 1u);
        const Entity& text = drawing.entities().front();
        ASSERT_EQ(text.kind, EntityKind::Text);
        EXPECT_EQ(text.text, row.held);
        EXPECT_NEAR(text.points[0].x, at.x, 1e-9);
        EXPECT_NEAR(text.points[0].y, at.y, 1e-9);
        const testing::TextOnFace want = testing::ExpectedText(testing::kFaces[row.face], row.height);
        EXPECT_NEAR(std::remainder(text.rotation - want.rotation, 360.0), 0, 1e-9);
        EXPECT_NEAR(text.height, want.height, 1e-12);
        EXPECT_NEAR(text.widthFactor, want.width, 1e-12);
        EXPECT_NEAR(text.oblique, want.oblique, 1e-9);
    }
    const std::vector<std::vector<std::filesystem::path>> refused = {
        {"--kind", "text", "--face", "0"},
        {"--kind", "text", "--text", "", "--face", "0"},
        {"--kind", "text", "--text", "A\tB", "--face", "0"},
        {"--kind", "text", "--text", "A", "--text-height", "0", "--face", "0"},
    };
    for (std::vector<std::filesystem::path> args : refused) {
        const std::filesystem::path out = folder / "refused.dxf";
        args.push_back(out);
        std::string report;
        EXPECT_EQ(RunIsoTool(args, report), 2) << report;
        EXPECT_FALSE(std::filesystem::exists(out)) << report;
    }
}

// The turned part by tessavue-iso, from a drawing whose centre lines and outlines are
// picked by layer or by handle: the same stepped outline with a slope the palette's
// test draws, moved off whole numbers; each station's circle and each silhouette where
// the face's axes put them (the expectation the palette's figure is held to). Then the
// palette's refusals, in its words.
TEST(IsoToolAxis, TheTurnedPartOnTheFacesItsAxisAllowsAndTheRefusals) {
    TempFolder folder;
    const Point o{0.1234567890123457, -0.9876543210987654};
    std::string entities;
    const auto line = [&](const char* handle, const char* layer, Point a, Point b) {
        entities += "  0\r\nLINE\r\n  5\r\n" + std::string(handle) + "\r\n  8\r\n" + layer + "\r\n 10\r\n" +
                    testing::Number(a.x + o.x) + "\r\n 20\r\n" + testing::Number(a.y + o.y) + "\r\n 11\r\n" +
                    testing::Number(b.x + o.x) + "\r\n 21\r\n" + testing::Number(b.y + o.y) + "\r\n";
    };
    // A vertical axis at x = -200, the outline hanging from y = 100 right of it (the
    // first segment touches the axis: no station of its own).
    line("1A", "CENTRE_V", {-200, 0}, {-200, 100});
    line("2A", "OUTLINE_V", {-200, 100}, {-180, 100});
    line("2B", "OUTLINE_V", {-180, 100}, {-180, 60});
    line("2C", "OUTLINE_V", {-180, 60}, {-170, 50});
    line("2D", "OUTLINE_V", {-170, 50}, {-170, 0});
    // A horizontal axis at y = -100, the outline above it; one segment below it.
    line("3A", "H", {-200, -100}, {-100, -100});
    line("4A", "H", {-190, -80}, {-150, -80});
    line("4B", "H", {-150, -80}, {-140, -70});
    line("4C", "H", {-140, -70}, {-110, -70});
    line("4D", "H", {-130, -130}, {-120, -130});
    line("5A", "TWO", {0, 0}, {0, 1});
    line("5B", "TWO", {1, 0}, {1, 1});
    const std::filesystem::path plan = folder / "turned.dxf";
    std::ofstream(plan, std::ios::binary) << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n" << entities
                                          << "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";

    using testing::Silhouette;
    using testing::Station;
    for (std::int32_t face : {0, 1, 2, 3}) {
        SCOPED_TRACE(testing::kFaces[face].name);
        const Point at{600.0 + 150 * face + 0.3333333333333333, -300.6666666666667};
        std::vector<std::filesystem::path> pick = {"--centre-layer", "centre_v", "--outline-layer", "OUTLINE_V"};
        std::vector<Station> stations = {{0, 20}, {40, 20}, {50, 30}, {100, 30}};
        std::vector<Silhouette> silhouettes = {{0, 40, 20}, {50, 100, 30}};
        double axisDirection = 270, major = 0;
        if (face >= 2) {
            pick = {"--centre-handle", "3a", "--outline-handles", "4A,4B,4C,4D"};
            const double start = face == 2 ? -110 : -190;
            const auto along = [&](double x) { return std::abs(x - start); };
            stations = {{along(-190), 20}, {along(-150), 20}, {along(-140), 30}, {along(-110), 30}};
            silhouettes = {{along(-190), along(-150), 20}, {along(-140), along(-110), 30}};
            axisDirection = face == 2 ? 150 : 30;
            major = face == 2 ? 60 : 120;
        }
        std::vector<std::filesystem::path> args = {"--kind", "axis", "--face", std::to_string(face), "--at",
                                                   testing::Number(at.x) + "," + testing::Number(at.y)};
        args.insert(args.end(), pick.begin(), pick.end());
        const std::filesystem::path out = folder / ("axis" + std::to_string(face) + ".dxf");
        args.insert(args.end(), {plan, out});
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool(args, drawing));
        EXPECT_TRUE(testing::HoldsExactly(drawing.entities(),
                                          testing::TurnedPart(at, axisDirection, major, stations, silhouettes)));
    }

    struct Refusal {
        std::vector<std::filesystem::path> args;
        int status;
        std::string told;
    };
    const Refusal refusals[] = {
        {{"--face", "2", "--centre-layer", "CENTRE_V", "--outline-layer", "OUTLINE_V"}, 2,
         VerticalCentreLineFacesMessage()},
        {{"--face", "0", "--centre-handle", "3A", "--outline-layer", "H"}, 2, HorizontalCentreLineFacesMessage()},
        {{"--face", "0", "--centre-layer", "CENTRE_V", "--outline-layer", "NONE"}, 4, NoOutlineMessage()},
        {{"--face", "0", "--centre-handle", "FFFF", "--outline-layer", "OUTLINE_V"}, 4, NoCentreLineMessage()},
        {{"--face", "0", "--centre-layer", "CENTRE_V", "--outline-handles", "1A"}, 4, EmptyAxisFigureMessage()},
        {{"--face", "0", "--centre-layer", "TWO", "--outline-layer", "OUTLINE_V"}, 2, "2 lines were picked"},
    };
    for (const Refusal& r : refusals) {
        std::vector<std::filesystem::path> args = {"--kind", "axis"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        const std::filesystem::path out = folder / "refused.dxf";
        { std::ofstream(out) << "an earlier run's output"; }
        args.insert(args.end(), {plan, out});
        std::string report;
        EXPECT_EQ(RunIsoTool(args, report), r.status) << report;
        EXPECT_NE(report.find(r.told), std::string::npos) << report;
        EXPECT_FALSE(std::filesystem::exists(out)) << report;
    }
}

// ---- オフセット: the palette's copy along the depth, and tessavue-iso's ----------------

// The objects the offset tests select, at sixteen digits: two lines sharing a corner, a
// line on "0" ending on a polyline corner on 外形 (joined once on each layer), a circle
// and an arc running across 0 degrees. The draw fixture's own line and circle are there too.
struct OffsetDrawing {
    std::vector<std::pair<Point, Point>> lines = {
        {{100, 200}, {140, 200}},
        {{100.12345678901234, 260.98765432109876}, {140.56789012345678, 260.98765432109876}},
        {{140.56789012345678, 260.98765432109876}, {140.56789012345678, 290.33333333333331}},
        {{-7.7777777777777777, -3.1415926535897931}, {30.333333333333332, 10.222222222222221}}};
    std::vector<Point> polyline = {{-20.111111111111111, 10.222222222222221},
                                   {30.333333333333332, 10.222222222222221},
                                   {30.333333333333332, 40.444444444444443}};
    std::vector<std::pair<Point, double>> circles = {{{120, 215}, 5},
                                                     {{50.505050505050505, 60.606060606060606}, 5.123456789012345}};
    testing::PlanArc arc{{80.987654321098765, 90.12345678901234}, 7.5432109876543215, 340, 130};

    // The objects not in the draw fixture already, added to `d`.
    void AddTo(sim::Drawing& d, bool withFixtures) const {
        for (std::size_t i = withFixtures ? 0 : 1; i < lines.size(); ++i) d.AddLine(lines[i].first, lines[i].second);
        if (withFixtures) d.AddCircle(circles[0].first, circles[0].second);
        d.AddCircle(circles[1].first, circles[1].second);
        d.AddArc(arc.centre, arc.radius, arc.start, arc.end);
        d.AddLayer("外形");
        const std::string layer = d.currentLayer();
        d.SetCurrentLayer("外形");
        d.AddPolyline(polyline, false);
        d.SetCurrentLayer(layer);
    }
};

testing::Expected OnLayer(testing::Expected e, const std::string& layer) {
    const auto matches = e.matches;
    e.what += " on " + layer;
    e.matches = [matches, layer](const Entity& x) { return matches(x) && x.layer == layer; };
    return e;
}

// A circle as AutoCAD's copy leaves it, or as an ellipse of ratio 1.
testing::Expected RoundAt(Point c, double r, std::optional<std::pair<double, double>> arc, const std::string& what) {
    using testing::Near;
    using testing::operator+;
    return {what + " r " + testing::Number(r) + " about " + testing::Show(c), [=](const Entity& e) {
                if (!Near(e.points[0], c)) return false;
                if (e.kind == (arc ? EntityKind::Arc : EntityKind::Circle))
                    return Near(e.radius, r) &&
                           (!arc || (Near(c + testing::Along(e.startAngle, r), c + testing::Along(arc->first, r)) &&
                                     Near(c + testing::Along(e.endAngle, r), c + testing::Along(arc->second, r))));
                if (e.kind != EntityKind::Ellipse || !Near(std::hypot(e.points[1].x, e.points[1].y), r) ||
                    !Near(e.ratio, 1))
                    return false;
                if (!arc) return Near(std::abs(e.endAngle - e.startAngle), 360.0);
                return Near(testing::EllipsePoint(e, e.startAngle), c + testing::Along(arc->first, r)) &&
                       Near(testing::EllipsePoint(e, e.endAngle), c + testing::Along(arc->second, r));
            }};
}

// What an offset of the whole drawing adds, worked out from the face's height
// direction: every object moved `sign * height` along it, and with 高さ a line from each
// distinct corner (once per layer) to its copy, and with the circle box from each point
// where a circle or the arc runs along that direction. `exploded`: the polyline as its
// segments (tessavue-iso), else as one polyline (AutoCAD's copy).
std::vector<testing::Expected> OffsetOf(const OffsetDrawing& plan, std::int32_t face, double lift, bool heightLines,
                                        bool circleLines, bool exploded) {
    using testing::operator+;
    const double direction = testing::kFaces[face].up;
    const Point shift = testing::Along(direction, lift);
    std::vector<testing::Expected> figure;
    for (const auto& [a, b] : plan.lines)
        figure.push_back(OnLayer(testing::LineFrom(a + shift, b + shift, "copied line"), "0"));
    for (const auto& [c, r] : plan.circles)
        figure.push_back(OnLayer(RoundAt(c + shift, r, std::nullopt, "copied circle"), "0"));
    figure.push_back(OnLayer(
        RoundAt(plan.arc.centre + shift, plan.arc.radius, std::pair{plan.arc.start, plan.arc.end}, "copied arc"), "0"));
    if (exploded) {
        for (std::size_t i = 0; i + 1 < plan.polyline.size(); ++i)
            figure.push_back(OnLayer(
                testing::LineFrom(plan.polyline[i] + shift, plan.polyline[i + 1] + shift, "copied segment"), "外形"));
    } else {
        // Plan points placed on a face with no turn: the placement is the shift alone.
        const testing::Placement moved{{0, "", 0, 90, 90, 0, 0}, {0, 0}, shift};
        figure.push_back(OnLayer(testing::PolylineFor(moved, plan.polyline, 0, "copied polyline"), "外形"));
    }
    if (!heightLines) return figure;
    std::vector<std::pair<Point, std::string>> feet;
    const auto foot = [&](Point p, const std::string& layer) {
        for (const auto& [q, l] : feet)
            if (testing::Near(p, q) && l == layer) return;
        feet.push_back({p, layer});
    };
    for (const auto& [a, b] : plan.lines) foot(a, "0"), foot(b, "0");
    for (Point v : plan.polyline) foot(v, "外形");
    if (circleLines) {
        // The outline runs along the direction a quarter turn from it either way.
        for (const auto& [c, r] : plan.circles)
            for (double at : {direction - 90, direction + 90}) foot(c + testing::Along(at, r), "0");
        for (double at : {direction - 90, direction + 90})
            if (testing::ArcCovers(plan.arc, at)) foot(plan.arc.centre + testing::Along(at, plan.arc.radius), "0");
    }
    for (const auto& [p, layer] : feet) figure.push_back(OnLayer(testing::LineFrom(p, p + shift, "join"), layer));
    return figure;
}

// tessavue-iso's offset on each face, with the sign turned and each of the two boxes:
// the copies and joins a drafter works out from the face's depth, nothing else; and
// the palette's refusal of height 0.
TEST(IsoToolOffset, EachFaceSignAndBoxCopiesAlongTheDepthAndJoinsTheCorners) {
    TempFolder folder;
    const OffsetDrawing plan;
    sim::Drawing source;
    plan.AddTo(source, true);
    const std::filesystem::path drawing = folder / "drawing.dxf";
    std::ofstream(drawing, std::ios::binary) << sim::WriteDxf(source, std::nullopt, sim::DxfVersion::R2000);
    const double height = 12.345678901234567;
    int run = 0;
    for (std::int32_t face : {0, 1, 2, 3})
        for (bool invert : {false, true})
            for (bool heightLines : {true, false})
                for (bool circleLines : {false, true}) {
                    SCOPED_TRACE(std::string(testing::kFaces[face].name) + (invert ? " inverted" : "") +
                                 (heightLines ? " 高さ" : "") + (circleLines ? " 円、円弧の高さの線" : ""));
                    const std::filesystem::path out = folder / ("offset" + std::to_string(run++) + ".dxf");
                    std::vector<std::filesystem::path> args = {"--kind", "offset", "--face", std::to_string(face),
                                                               "--height", testing::Number(height)};
                    if (invert) args.push_back("--invert-sign");
                    if (!heightLines) args.push_back("--no-height-lines");
                    if (circleLines) args.push_back("--circle-height-lines");
                    args.insert(args.end(), {drawing, out});
                    sim::Drawing written;
                    ASSERT_TRUE(DrawnByIsoTool(args, written));
                    EXPECT_TRUE(testing::HoldsExactly(
                        written.entities(), OffsetOf(plan, face, invert ? -height : height, heightLines, circleLines, true)));
                }
    // The Japanese name; a window and a layer pick whole objects only: the polyline's
    // first segment lies inside this window, its second does not, so it is not picked.
    sim::Drawing picked;
    const std::filesystem::path out = folder / "picked.dxf";
    ASSERT_TRUE(DrawnByIsoTool({"--kind", std::filesystem::path(u8"オフセット"), "--face", "2", "--height", "4.5",
                                "--window", "-21,-4,31,30", drawing, out},
                               picked));
    using testing::operator+;
    const Point shift = testing::Along(210, 4.5);
    const Point a = plan.lines[3].first, b = plan.lines[3].second;
    EXPECT_TRUE(testing::HoldsExactly(picked.entities(), {testing::LineFrom(a + shift, b + shift, "copy"),
                                                          testing::LineFrom(a, a + shift, "join"),
                                                          testing::LineFrom(b, b + shift, "join")}));
    std::string report;
    EXPECT_EQ(RunIsoTool({"--kind", "offset", "--face", "0", "--layer", std::filesystem::path(u8"外形"), "--keep-originals",
                          "--height", "-3", drawing, out},
                         report),
              0)
        << report;
    sim::Drawing layerOnly;
    ASSERT_TRUE(sim::LoadDxfFile(layerOnly, out));
    std::vector<testing::Expected> polyline;
    const Point up = testing::Along(90, -3);
    for (std::size_t i = 0; i + 1 < plan.polyline.size(); ++i) {
        polyline.push_back(testing::LineFrom(plan.polyline[i], plan.polyline[i + 1], "original segment"));
        polyline.push_back(testing::LineFrom(plan.polyline[i] + up, plan.polyline[i + 1] + up, "copied segment"));
    }
    for (Point v : plan.polyline) polyline.push_back(testing::LineFrom(v, v + up, "join"));
    EXPECT_TRUE(testing::HoldsExactly(layerOnly.entities(), polyline));

    // A file from another program, its group codes not padded: the corners are joined
    // all the same.
    const std::filesystem::path bare = folder / "bare.dxf";
    std::ofstream(bare, std::ios::binary)
        << "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nWALL\n10\n1.2345678901234567\n20\n-9.8765432109876543\n30\n0\n"
           "11\n5.5\n21\n6.25\n31\n0\n0\nLWPOLYLINE\n8\nWALL\n90\n2\n70\n0\n10\n5.5\n20\n6.25\n10\n-3.3333333333333335\n"
           "20\n6.25\n0\nENDSEC\n0\nEOF\n";
    sim::Drawing bareOffset;
    ASSERT_TRUE(DrawnByIsoTool({"--kind", "offset", "--face", "3", "--height", "2.5", bare, out}, bareOffset));
    {
        const Point s = testing::Along(330, 2.5);
        const Point p1{1.2345678901234567, -9.8765432109876543}, p2{5.5, 6.25}, p3{-3.3333333333333335, 6.25};
        EXPECT_TRUE(testing::HoldsExactly(bareOffset.entities(),
                                          {testing::LineFrom(p1 + s, p2 + s, "copied line"),
                                           testing::LineFrom(p2 + s, p3 + s, "copied segment"),
                                           testing::LineFrom(p1, p1 + s, "join"), testing::LineFrom(p2, p2 + s, "join"),
                                           testing::LineFrom(p3, p3 + s, "join")}));
    }

    // A polyline MIRROR left with its extrusion pointing down: its vertices are held in
    // object coordinates, X against the world's; the joins stand on its corners as drawn.
    const std::filesystem::path mirrored = folder / "mirrored.dxf";
    std::ofstream(mirrored, std::ios::binary)
        << "  0\nSECTION\n  2\nENTITIES\n  0\nLWPOLYLINE\n  8\nWALL\n 90\n2\n 70\n0\n 10\n5.0123456789012345\n"
           " 20\n1.5\n 10\n-9.25\n 20\n1.5\n210\n0.0\n220\n0.0\n230\n-1.0\n  0\nENDSEC\n  0\nEOF\n";
    sim::Drawing mirroredOffset;
    ASSERT_TRUE(DrawnByIsoTool({"--kind", "offset", "--face", "0", "--height", "2.5", mirrored, out}, mirroredOffset));
    {
        const Point s = testing::Along(90, 2.5);
        const Point p1{-5.0123456789012345, 1.5}, p2{9.25, 1.5};
        EXPECT_TRUE(testing::HoldsExactly(mirroredOffset.entities(),
                                          {testing::LineFrom(p1 + s, p2 + s, "copied segment"),
                                           testing::LineFrom(p1, p1 + s, "join"), testing::LineFrom(p2, p2 + s, "join")}));
    }

    for (const char* zero : {"0", "-0", "0.0"}) {
        std::ofstream(out) << "left over";
        EXPECT_EQ(RunIsoTool({"--kind", "offset", "--face", "1", "--height", zero, drawing, out}, report), 2);
        EXPECT_NE(report.find(OffsetHeightZeroMessage()), std::string::npos) << report;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// The palette's offset in the stand-in and tessavue-iso's on the same drawing and the
// same selection (everything): both hold what the face's depth gives, object for
// object (AutoCAD's copy keeps the polyline whole, the tool writes its segments).
TEST_P(DrawCommandTest, OffsetByThePaletteAndByTessavueIsoHoldTheSame) {
    const OffsetDrawing plan;
    auto& d = desktop.host().drawing();
    plan.AddTo(d, false);
    const std::filesystem::path drawing = folder / "drawing.dxf";
    std::ofstream(drawing, std::ios::binary) << sim::WriteDxf(d, std::nullopt, sim::DxfVersion::R2000);
    struct Case {
        std::int32_t face;
        bool invert, heightLines, circleLines;
    };
    const Case cases[] = {{0, false, true, true}, {1, true, true, false}, {2, false, false, true}, {3, true, true, true}};
    const double height = 7.0710678118654755;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::kFaces[c.face].name);
        User("window -100,-100 400,400\nenter\n");
        ASSERT_EQ(Draw(c.face, testing::Number(height), "オフセット",
                       [&](DrawRequest& r) {
                           r.InvertHeightSign = c.invert;
                           r.HeightLines = c.heightLines;
                           r.CircleHeightLines = c.circleLines;
                       }),
                  DrawOutcome::Drawn);
        EXPECT_TRUE(sink.confirmations.empty());
        const double lift = c.invert ? -height : height;
        const std::vector<Entity> palette = AddedByDraw();
        EXPECT_TRUE(testing::HoldsExactly(palette, OffsetOf(plan, c.face, lift, c.heightLines, c.circleLines, false)));
        for (const Entity& e : palette) desktop.host().drawing().Erase(e.id);

        std::vector<std::filesystem::path> args = {"--kind", "offset", "--face", std::to_string(c.face), "--height",
                                                   testing::Number(height)};
        if (c.invert) args.push_back("--invert-sign");
        if (!c.heightLines) args.push_back("--no-height-lines");
        if (c.circleLines) args.push_back("--circle-height-lines");
        args.insert(args.end(), {drawing, folder / "offset.dxf"});
        sim::Drawing tool;
        ASSERT_TRUE(DrawnByIsoTool(args, tool));
        EXPECT_TRUE(
            testing::HoldsExactly(tool.entities(), OffsetOf(plan, c.face, lift, c.heightLines, c.circleLines, true)));
        // One entity more per polyline segment past the first, nothing else apart.
        EXPECT_EQ(tool.entities().size(), palette.size() + plan.polyline.size() - 2);
    }
}

// The dimension by tessavue-iso: for picks on each face, in each direction the face
// carries (and the picks swapped), the pieces where the face's axes put them: the
// extension lines from the measured points to the dimension line, which runs parallel
// to them the offset away along the face's other axis, on the third pick's side as the
// palette tells it: above or below the level of the pair's midpoint, left or right of
// it for an upright pair (through the picks when the pick is level with it); an arrowhead at each end pointing out;
// the true distance as the text, on the face (its baseline along the pair, its upright
// along the other axis) and centred half its height above the middle of the line. Then
// the palette's refusals, and command lines that give no dimension.
TEST(IsoToolDimension, ThePiecesOnEveryFaceFromTheFaceAxesAndThePalettesRefusals) {
    using testing::Along;
    using testing::operator+;
    using testing::operator-;
    TempFolder folder;
    struct Row {
        const char* name;
        int face;
        double direction;  // from the first pick to the second, degrees
        double length;
        // The third pick: left (+1) or right (-1) of the first-to-second line, 13.1 on
        // along it; 0 the midpoint itself, with all its digits or (`shown` > 0) as a
        // display shows it to that many decimals.
        int side;
        double offset = 10;
        int decimals = 4;
        int shown = 0;
    };
    const Row rows[] = {
        {"上左 30", 0, 30, 40.123456789012345, 1},
        {"上左 210 (swapped)", 0, 210, 17.25, -1, 3.5, 2},
        {"上右 150", 1, 150, 123.45678901234567, -1, 10, 8},
        {"上右 330 on the line", 1, 330, 9.8765432109876543, 0},
        {"左 330", 2, 330, 55.25, 1, 0.25, 0},
        {"左 90", 2, 90, 31.415926535897931, 1},
        {"左 270 (swapped)", 2, 270, 31.415926535897931, 1},
        {"右 30 on the line", 3, 30, 12.345678901234567, 0, 10, 6},
        {"右 210", 3, 210, 72.000001, -1},
        {"右 90 on the line", 3, 90, 20.5, 0},
        {"上左 30 on the line at eight decimals", 0, 30, 36.789012345678901, 0, 10, 4, 8},
        {"左 90 on the line at eight decimals", 2, 90, 36.789012345678901, 0, 10, 4, 8},
    };
    const auto near = [](Point a, Point b) { return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9; };
    int k = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const testing::FaceView& view = testing::kFaces[row.face];
        const Point p1{-345.67890123456789 + 211.1 * k++, 1234.5678901234567};
        const Point p2 = p1 + Along(row.direction, row.length);
        const Point middle{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
        const auto shown = [&](double v) {
            const double scale = std::pow(10.0, row.shown);
            return row.shown > 0 ? std::round(v * scale) / scale : v;
        };
        const Point p3 = row.side == 0 ? Point{shown(middle.x), shown(middle.y)}
                                       : middle + Along(row.direction + 90 * row.side, 7.3) + Along(row.direction, 13.1);
        const std::filesystem::path out = folder / ("dimension" + std::to_string(k) + ".dxf");
        const auto point = [](Point p) { return testing::Number(p.x) + "," + testing::Number(p.y); };
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool({"--kind", "dimension", "--face", std::to_string(row.face), "--p1", point(p1), "--p2",
                                    point(p2), "--p3", point(p3), "--offset", testing::Number(row.offset), "--decimals",
                                    std::to_string(row.decimals), out},
                                   drawing));

        // Along the pair: the face's plan X, or plan Y (straight up) for an upright pair;
        // the other axis is the one the dimension line moves along and the text stands on.
        const bool upright = std::fmod(row.direction, 180.0) == 90;
        const double other = upright ? view.planX + 180 : view.planY;
        const Point o = Along(other, 1);
        // The line goes above the midpoint's level when the third pick lies above it, or
        // for an upright pair to the left when the pick lies left of it: the side the
        // other axis points to (every face's other axis points up, or left when upright).
        ASSERT_GT(upright ? -o.x : o.y, 0);
        const double side = row.side == 0 ? 0 : (upright ? p3.x < middle.x : p3.y > middle.y) ? 1 : -1;
        const Point q1 = p1 + Along(other, side * row.offset);
        const Point q2 = p2 + Along(other, side * row.offset);
        std::vector<testing::Expected> pieces;
        const auto line = [&](Point a, Point b, const std::string& what) {
            pieces.push_back({what, [=](const Entity& e) {
                                  return e.kind == EntityKind::Line && ((near(e.points[0], a) && near(e.points[1], b)) ||
                                                                        (near(e.points[0], b) && near(e.points[1], a)));
                              }});
        };
        line(q1, q2, "dimension line");
        if (row.side != 0) {
            line(p1, q1, "extension line");
            line(p2, q2, "extension line");
        }
        for (const auto& [tip, toward] : {std::pair{q1, q2}, std::pair{q2, q1}}) {
            const Point inward = Along(std::atan2(toward.y - tip.y, toward.x - tip.x) * 180 / std::numbers::pi, 2.5);
            const Point base = tip + inward;
            const Point a = base + Along(other, 2.5 / 6), b = base + Along(other, -2.5 / 6);
            pieces.push_back({"arrowhead at " + testing::Show(tip), [=](const Entity& e) {
                                  return e.kind == EntityKind::Solid && e.points.size() == 4 && near(e.points[0], tip) &&
                                         ((near(e.points[1], a) && near(e.points[2], b)) ||
                                          (near(e.points[1], b) && near(e.points[2], a))) &&
                                         near(e.points[3], e.points[2]);
                              }});
        }
        char value[64];
        std::snprintf(value, sizeof value, "%.*f", row.decimals, row.length);
        const testing::TextOnFace text = testing::ExpectedTextAlong(upright ? 90 : view.planX, other, 2.5);
        pieces.push_back({std::string("the text ") + value, [=](const Entity& e) {
                              const double turn = std::fmod(e.rotation - text.rotation + 720, 360.0);
                              return e.kind == EntityKind::Text && e.text == value &&
                                     std::abs(e.height - text.height) < 1e-9 &&
                                     std::min(turn, 360 - turn) < 1e-9 && std::abs(e.widthFactor - text.width) < 1e-9 &&
                                     std::abs(e.oblique - text.oblique) < 1e-9;
                          }});
        EXPECT_TRUE(testing::HoldsExactly(drawing.entities(), pieces));

        // The stand-in's reader keeps the start point only: the text's centring is read
        // from the file itself.
        std::ifstream in(out, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) {
            while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
            lines.push_back(l.substr(std::min(l.find_first_not_of(' '), l.size())));
        }
        in.close();  // Windows replaces no file that is open
        std::map<std::string, std::string> groups;
        bool inText = false;
        for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
            if (lines[i] == "0") inText = lines[i + 1] == "TEXT";
            else if (inText) groups[lines[i]] = lines[i + 1];
        }
        EXPECT_EQ(groups["72"], "1") << "centred";
        EXPECT_EQ(groups["73"], "0") << "on its baseline";
        const Point align = Point{(q1.x + q2.x) / 2, (q1.y + q2.y) / 2} + Along(other, 1.25);
        EXPECT_TRUE(near(Point{std::stod(groups["11"]), std::stod(groups["21"])}, align))
            << groups["11"] << "," << groups["21"] << " against " << testing::Show(align);
        if (k == 1) {
            // The picture sets the text centred about the same point.
            const std::filesystem::path svg = folder / "dimension.svg";
            std::string report;
            ASSERT_EQ(RunIsoTool({"--kind", "dimension", "--face", std::to_string(row.face), "--p1", point(p1), "--p2",
                                  point(p2), "--p3", point(p3), "--svg", svg, folder / "with-picture.dxf"},
                                 report),
                      0)
                << report;
            std::ifstream picture(svg);
            const std::string drawn((std::istreambuf_iterator<char>(picture)), std::istreambuf_iterator<char>());
            EXPECT_NE(drawn.find(" text-anchor=\"middle\" font-size="), std::string::npos) << drawn;
        }
    }

    // Several faces at once: each face's dimension.
    {
        const Point p1{10.123456789012345, 20.987654321098765};
        const Point p2 = p1 + Along(30, 25);
        const std::filesystem::path out = folder / "two-faces.dxf";
        sim::Drawing drawing;
        ASSERT_TRUE(DrawnByIsoTool({"--kind", std::filesystem::path(u8"寸法"), "--face", "0,3", "--p1",
                                    testing::Number(p1.x) + "," + testing::Number(p1.y), "--p2",
                                    testing::Number(p2.x) + "," + testing::Number(p2.y), "--p3", "0,100", out},
                                   drawing));
        EXPECT_EQ(drawing.entities().size(), 12u) << "six pieces on each face";
    }

    struct Refusal {
        const char* name;
        std::string face;
        Point p1, p2;
        std::string told;
    };
    const Point p{100.12345678901234, -50.987654321098765};
    const Refusal refusals[] = {
        {"the same point twice", "0", p, p, DimensionSamePointsMessage()},
        {"45 degrees", "0", p, p + Along(45, 20), DimensionDirectionMessage(45)},
        {"29.85 degrees reads as 29", "0", p, p + Along(29.85, 20), DimensionDirectionMessage(29)},
        {"150 on 上左", "0", p, p + Along(150, 20), DimensionFaceMessage(0)},
        {"upright on 上右", "1", p, p + Along(90, 20), DimensionFaceMessage(1)},
        {"30 on 左", "2", p, p + Along(30, 20), DimensionFaceMessage(2)},
        {"30 on 右 and on 上右", "3,1", p, p + Along(30, 20), DimensionFaceMessage(1)},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        const std::filesystem::path out = folder / "refused.dxf";
        std::ofstream(out) << "an earlier run's output";
        std::string report;
        EXPECT_EQ(RunIsoTool({"--kind", "dimension", "--face", r.face, "--p1",
                              testing::Number(r.p1.x) + "," + testing::Number(r.p1.y), "--p2",
                              testing::Number(r.p2.x) + "," + testing::Number(r.p2.y), "--p3", "0,0", out},
                             report),
                  2);
        EXPECT_NE(report.find(r.told), std::string::npos) << report;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    // Command lines that give no dimension.
    const std::vector<std::vector<std::filesystem::path>> wrong = {
        {"--kind", "dimension", "--face", "0", "--p1", "0,0", "--p2", "1,1"},
        {"--kind", "dimension", "--face", "0", "--p1", "0,0", "--p2", "1,1", "--p3", "0,1", "--offset", "0"},
        {"--kind", "dimension", "--face", "0", "--p1", "0,0", "--p2", "1,1", "--p3", "0,1", "--decimals", "9"},
        {"--kind", "dimension", "--face", "0", "--p1", "0", "--p2", "1,1", "--p3", "0,1"},
    };
    for (std::vector<std::filesystem::path> args : wrong) {
        args.push_back(folder / "wrong.dxf");
        std::string report;
        EXPECT_EQ(RunIsoTool(args, report), 2) << report;
        EXPECT_FALSE(std::filesystem::exists(folder / "wrong.dxf"));
    }
}

// The picture --svg writes: one element for every entity of the figure, a text in
// UTF-8 with its markup characters escaped; a quadratic spline drawn through its
// curve's middle, worked out from its control points (a Bezier's middle is a quarter
// of each end and half of the middle point).
TEST(IsoToolSvg, EveryShapeIsDrawnAndTextsAreUtf8) {
    WorldFigure figure;
    figure.Entities.push_back({"0", 256, WorldLine{{0, 0}, {100, 50}}});
    WorldEllipse arc;
    arc.Centre = {50, 25};
    arc.MajorAxis = {20, 0};
    arc.Ratio = 0.5;
    arc.StartParam = 0;
    arc.EndParam = 2;
    figure.Entities.push_back({"0", 256, arc});
    WorldSpline spline;
    spline.Degree = 2;
    spline.Knots = {0, 0, 0, 1, 1, 1};
    spline.ControlPoints = {{0, 0}, {40, 80}, {80, 0}};
    figure.Entities.push_back({"0", 256, spline});
    figure.Entities.push_back({"0", 256, WorldSolid{{{10, 10}, {20, 10}, {10, 20}, {20, 20}}}});
    figure.Entities.push_back({"0", 256, WorldPoint{{70, 40}}});
    WorldText text;
    text.Text = "A&B<壁>";
    text.Insert = {5, 45};
    figure.Entities.push_back({"0", 256, text});
    const std::string svg = FigureSvg(figure);
    const auto count = [&](const std::string& element) {
        std::size_t n = 0;
        for (std::size_t at = svg.find(element); at != std::string::npos; at = svg.find(element, at + 1)) ++n;
        return n;
    };
    for (const char* element : {"<line ", "<path ", "<polyline ", "<polygon ", "<circle ", "<text "})
        EXPECT_EQ(count(element), 1u) << element << "\n" << svg;
    EXPECT_NE(svg.find(reinterpret_cast<const char*>(u8"A&amp;B&lt;壁&gt;</text>")), std::string::npos) << svg;
    // The picture's frame: the extent from (0, 0) to (100, 50) with a margin of 5 %
    // of the larger side; X from the left, Y from the top.
    const double margin = 5;
    const std::string middle = testing::Number(40 + margin) + "," + testing::Number(50 + margin - 40);
    EXPECT_NE(svg.find(middle), std::string::npos) << "the spline's middle " << middle << "\n" << svg;
}

// Esc at the point the template asks for: nothing drawn, no template, no message.
TEST_P(DrawCommandTest, EscAtTheTemplatePointEndsQuietly) {
    const auto before = desktop.host().drawing().entities();
    AnswerPoints(std::nullopt, Point{500, 300});
    EXPECT_EQ(Draw(FaceTopLeft, "10", "円"), DrawOutcome::Cancelled);
    desktop.pumpHook = nullptr;
    EXPECT_TRUE(sink.confirmations.empty());
    EXPECT_EQ(desktop.host().drawing().entities(), before);
    EXPECT_FALSE(std::filesystem::exists(files.figureTemplate));
    EXPECT_EQ(Typed("filedia 0 "), 0u);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
}

// The template's line is not the previous selection (the user's Esc in the line
// command; "select l" finding another object): the user's objects are neither
// exported nor erased, what was typed is undone, and the user is told.
TEST_P(DrawCommandTest, ATemplateLineNotMadeLeavesTheUsersObjectsAlone) {
    struct Case {
        const char* name;
        std::function<void(std::string&)> user;
    };
    const Case cases[] = {
        {"Esc after the line's first point",
         [](std::string& text) {
             if (text.starts_with("line ")) text = text.substr(0, text.find('@')) + "\x1b";
         }},
        {"the last object is the user's line",
         [](std::string& text) {
             if (text == "select l  ") text = "select 140,200  ";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.confirmations.clear();
        const auto before = desktop.host().drawing().entities();
        AnswerPoints(Point{50, 50}, Point{500, 300});
        desktop.typingHook = c.user;
        EXPECT_EQ(Draw(FaceTopLeft, "10", "四角"), DrawOutcome::Refused);
        desktop.typingHook = nullptr;
        desktop.pumpHook = nullptr;
        EXPECT_EQ(sink.confirmations, (std::vector<std::string>{TemplateLineFailedMessage()}));
        EXPECT_EQ(desktop.host().drawing().entities(), before) << "nothing erased, no line left";
        EXPECT_EQ(Typed("erase pre  "), 0u);
        EXPECT_FALSE(std::filesystem::exists(files.figureTemplate));
        EXPECT_EQ(desktop.host().filedia, 1);
        EXPECT_EQ(Typed("-layer  "), 1u) << "only the frame's look at the layer: the figure is not begun";
        EXPECT_EQ(desktop.host().drawing().unitPrecision, 4) << "the user's LUPREC is back";
        EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
    }
}

// A template whose ENTITIES section is not closed is refused, and left as it was.
TEST_P(DrawCommandTest, ADamagedTemplateIsRefusedAndNotWritten) {
    const std::string damaged = testing::DxfText().Opening().LineEntity(0, 0, 0, 1).Eof().str();
    std::ofstream(files.figureTemplate, std::ios::binary) << damaged;
    EXPECT_EQ(Draw(FaceRight, "10", "六角"), DrawOutcome::Refused);
    ASSERT_EQ(sink.confirmations.size(), 1u);
    std::ifstream in(files.figureTemplate, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
    EXPECT_EQ(desktop.host().drawing().entities().size(), planCount);
    EXPECT_EQ(Typed("id "), 0u);
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
}


// The text of one isometric arc, as the stand-in and AutoCAD read it: the second
// axis's X is not exactly 0 and is written in exponent form.
TEST(IsoEllipseCommand, CentreAxesAndAnglesAsTyped) {
    const std::string text = IsoEllipseCommand(0, 0, 10, -30, 30, 0);
    EXPECT_EQ(text.substr(0, text.find("@", text.find("@") + 1)),
              "_ellipse\ra\rc\r0,0\r@12.2474487139159,0\r");
    const std::string second = text.substr(text.find("@", text.find("@") + 1));
    EXPECT_NE(second.find("E-16,7.07106781186548\r"), std::string::npos) << second;
    EXPECT_TRUE(second.ends_with("\r-30\r30\r")) << second;
    EXPECT_NEAR(LargestBendDiameter(20), 18.856180831641, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Editions, DrawCommandTest, ::testing::Values(Edition::LT2000, Edition::LT2006));

// LT 2006 types through the clipboard, which another program may hold.
class DrawThroughTheClipboard : public DrawCommandTest {};

// An insertion that could not be pasted is no insertion: the command says so, and
// nothing is drawn or left behind.
TEST_P(DrawThroughTheClipboard, AnInsertionThatCannotBePastedIsTold) {
    Select();
    desktop.clipboardBusy = 1000;
    EXPECT_EQ(Draw(FaceTopLeft, "10"), DrawOutcome::Cancelled);
    desktop.clipboardBusy = 0;
    ASSERT_EQ(sink.confirmations.size(), 1u);
    EXPECT_EQ(sink.confirmations[0], TypingFailedMessage({}));
    EXPECT_TRUE(TypedSinceDraw().empty());
    EXPECT_TRUE(Added().empty());
    EXPECT_TRUE(desktop.host().drawing().blocks().empty());
    EXPECT_TRUE(NoFigureFileLeft());
    EXPECT_EQ(busyCalls, (std::vector<bool>{true, false}));
}

INSTANTIATE_TEST_SUITE_P(Lt2006, DrawThroughTheClipboard, ::testing::Values(Edition::LT2006));

}  // namespace
}  // namespace tessavue
