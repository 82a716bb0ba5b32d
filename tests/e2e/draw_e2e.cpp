// The main use end to end: the real palette beside the real stand-in, started on a plan
// drawing. The test is the user at the stand-in: it selects the plan with a window,
// picks the base point and then the insertion point of each figure. What the drawing
// holds afterwards is checked against the isometric view a drafter expects, worked out
// here from the face's axes, not from the palette's own routines.
//
// The stand-in is started with --hold-at, so the insertion (or a command in the
// middle of the selection) waits until the test lets it in: meanwhile the figure file
// can be copied for the independent DXF reader, or the palette closed.
#include <windows.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <numbers>
#include <set>
#include <sstream>

#include "core/dxf_file.h"
#include "e2e_fixture.h"
#include "iso_view.h"

namespace tessavue::e2e {
namespace {

namespace fs = std::filesystem;
using sim::Entity;
using sim::EntityKind;
using sim::Point;

using namespace tessavue::testing;

// A point as the user types it with all its digits.
std::string XY(Point p) {
    std::ostringstream text;
    text << std::setprecision(17) << p.x << "," << p.y;
    return text.str();
}

// A point as AutoCAD shows it at eight decimals, the most it shows: how the palette
// reads what the user picked.
Point Shown(Point p) {
    const auto round = [](double v) {
        std::ostringstream text;
        text << std::fixed << std::setprecision(8) << v;
        return std::stod(text.str());
    };
    return {round(p.x), round(p.y)};
}

// The plans stand off whole numbers by this, so that their points have sixteen
// significant digits and AutoCAD's four decimals would round every one of them.
const Point kShift{0.14063885583995, 0.89259015094285};
Point S(double x, double y) { return {x + kShift.x, y + kShift.y}; }

// The direction buttons, in the order of the face codes.
const Control kButtons[] = {Control::Button2, Control::Button3, Control::Button4, Control::Button5};

// The user's objects as they were: same ids, kinds, layers and places (turned there and
// back they may differ in the last bits).
::testing::AssertionResult SameObjects(const std::vector<Entity>& before, const std::vector<Entity>& after) {
    if (before.size() != after.size())
        return ::testing::AssertionFailure() << before.size() << " objects before, " << after.size() << " after";
    for (std::size_t i = 0; i < before.size(); ++i) {
        const Entity& a = before[i];
        const Entity& b = after[i];
        bool same = a.id == b.id && a.kind == b.kind && a.layer == b.layer && a.points.size() == b.points.size() &&
                    Near(a.radius, b.radius) && Near(a.rotation, b.rotation) && a.block == b.block;
        for (std::size_t k = 0; same && k < a.points.size(); ++k) same = Near(a.points[k], b.points[k]);
        // Arc angles about a full turn are the same arc.
        const auto angle = [](double d) { return std::fmod(std::fmod(d, 360.0) + 360.0, 360.0); };
        same = same && Near(angle(a.startAngle), angle(b.startAngle)) && Near(angle(a.endAngle), angle(b.endAngle));
        if (!same) return ::testing::AssertionFailure() << "object " << a.id << " changed (now object " << b.id << ")";
    }
    return ::testing::AssertionSuccess();
}

// The first objects of `now`, which the user had before, are those of `plan`.
::testing::AssertionResult UserPartAsItWas(const std::vector<Entity>& plan, const std::vector<Entity>& now) {
    if (now.size() < plan.size()) return ::testing::AssertionFailure() << "objects of the user's are gone";
    return SameObjects(plan, {now.begin(), now.begin() + static_cast<long>(plan.size())});
}

// ---------------------------------------------------------------------------------
// Figure files kept for the independent reader
// ---------------------------------------------------------------------------------

// Each figure file caught before its insertion is copied here with the number of
// entities its insertion added; a check after this program reads each with ezdxf.
fs::path FiguresFolder() {
    static const fs::path folder = [] {
        const fs::path f = OwnFolder() / L"draw_e2e figures";
        std::error_code ignored;
        fs::remove_all(f, ignored);
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

std::vector<fs::path> FigureFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(OwnFolder())) {
        const std::wstring name = entry.path().filename().wstring();
        if (name.rfind(L"ip", 0) == 0 && entry.path().extension() == L".dxf") files.push_back(entry.path());
    }
    return files;
}

// ---------------------------------------------------------------------------------
// The fixture
// ---------------------------------------------------------------------------------

const char* const kOutline = "外形";

// The corner the user picks as the base point, with all its digits, and the point the
// palette reads there.
const Point kBase = S(100, 200);
const Point kBaseRead = Shown(kBase);

Plan PlanFigure() {
    Plan plan;
    plan.lines = {{S(100, 200), S(140, 200)}, {S(140, 200), S(140, 230)}};
    plan.circles = {{S(120, 215), 5}};
    plan.arcs = {{S(100, 230), 8, 0, 90}};
    plan.polylines = {{S(160, 200), S(180, 200), S(180, 220)}};
    plan.explodedLines = {{S(160, 200), S(180, 200)}, {S(180, 200), S(180, 220)}};
    return plan;
}

class DrawEndToEnd : public EndToEndTest {
protected:
    void SetUp() override {
        for (const fs::path& file : FigureFiles()) fs::remove(file);
        // Each test makes its own figure template, as on a first start.
        std::error_code ignored;
        fs::remove(OwnFolder() / L"elem.dxf", ignored);
    }

    // Starts the stand-in on `drawing`, holding at `holdAt`, and the palette with
    // `settings`.
    // LT 2006 takes the palette's typing through the clipboard and its paste window.
    ::testing::AssertionResult Start(const sim::Drawing& drawing, const std::wstring& holdAt, std::string settings,
                                     sim::Edition edition = sim::Edition::LT2000) {
        const fs::path file = OwnFolder() / L"draw_e2e 図面.dxf";
        std::ofstream(file, std::ios::binary) << sim::WriteDxf(drawing, std::nullopt, sim::DxfVersion::R2000);
        edition_ = edition;
        SimOptions options;
        options.edition = edition == sim::Edition::LT2006 ? L"LT2006" : L"LT2000";
        options.drawing = file;
        options.holdAt = holdAt;
        if (edition == sim::Edition::LT2006) settings += "[画面]\r\nAutoCAD=LT 2006\r\n";
        if (auto started = StartSim(options); !started) return started;
        if (auto started = StartPalette(settings); !started) return started;
        return ::testing::AssertionSuccess();
    }

    // The stand-in holds typed input that contains `text`.
    Status WaitForHeld(const std::string& text) {
        return WaitFor(
            [&] {
                auto line = sim().CommandLine();
                return line && line->find(text) != std::string::npos;
            },
            kDefaultBound, "the stand-in to hold the palette's input");
    }
    Status WaitUntilFree() {
        return WaitFor([&] { return Visible(Control::GroupBox1); }, kDefaultBound, "the palette to be un-busy");
    }

    const sim::EditionTexts& texts() const { return sim::TextsFor(edition_); }

    // 選択: the window, the end of the selection and the base point, typed by the user.
    void Select(Point corner1, Point corner2, Point base) {
        ASSERT_OK(palette().Click(Id(Control::Button1)));
        ASSERT_OK(WaitForPrompt(texts().selectObjects));
        ASSERT_OK(sim().Type("w " + XY(corner1) + " " + XY(corner2) + "\r\r"));
        ASSERT_OK(WaitForPrompt(texts().idPoint));
        ASSERT_OK(sim().Type(XY(base) + "\r"));
        ASSERT_OK(WaitUntilFree());
        ASSERT_OK(sim().WaitUntilIdle());
        EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    }

    // One direction button; the stand-in holds the insertion so the figure file can be
    // kept, then the user picks `at` (or presses Esc when `at` is empty). Returns the
    // entities the command added.
    // With `templatePoint` the command first asks for the point the figure template's
    // line is drawn from, and the user picks it.
    std::vector<Entity> Draw(const FaceView& face, std::optional<Point> at,
                             std::optional<Point> templatePoint = std::nullopt) {
        const std::size_t before = SimState().entities.size();
        const int lastId = before == 0 ? 0 : SimState().entities.back().id;
        EXPECT_OK(palette().Click(Id(kButtons[face.code])));
        if (templatePoint) {
            EXPECT_OK(WaitForPrompt(texts().idPoint));
            EXPECT_OK(sim().Type(XY(*templatePoint) + "\r"));
        }
        EXPECT_OK(WaitForHeld("-insert "));
        const auto files = FigureFiles();
        EXPECT_EQ(files.size(), 1u) << "one figure file while the insertion runs";
        fs::path kept;
        if (files.size() == 1) {
            const auto faceIndex = &face - kFaces;
            kept = FiguresFolder() / (std::to_string(++figureCount_) + " face " + std::to_string(faceIndex) + ".dxf");
            fs::copy_file(files.front(), kept, fs::copy_options::overwrite_existing);
        }
        EXPECT_OK(sim().Release());
        EXPECT_OK(WaitForPrompt(texts().insertPoint));
        if (at) {
            EXPECT_OK(sim().Type(XY(*at) + "\r"));
        } else {
            EXPECT_OK(sim().Type("\x1b"));
        }
        EXPECT_OK(WaitUntilFree());
        EXPECT_OK(sim().WaitUntilIdle());
        EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
        std::vector<Entity> added;
        for (const Entity& e : SimState().entities)
            if (e.id > lastId) added.push_back(e);
        if (!kept.empty() && at) {
            // The figure's entities come out of the insertion one for one.
            std::ofstream(FiguresFolder() / L"manifest.txt", std::ios::app | std::ios::binary)
                << ToUtf8(kept.filename().wstring()) << "\t" << added.size() << "\n";
        }
        EXPECT_TRUE(FigureFiles().empty()) << "the figure file is deleted after the command";
        for (const auto& block : SimState().blocks)
            EXPECT_NE(block.name.rfind("ip", 0), 0u) << "block " << block.name << " was not purged";
        return added;
    }

    // Draws the plan on `face` at `at` and checks the figure against the view expected.
    void ExpectPlanFigure(const FaceView& face, Point at, const FigureOptions& options = {}) {
        const Placement place{face, kBaseRead, at};
        EXPECT_TRUE(HoldsExactly(Draw(face, at), FigureOf(PlanFigure(), place, options)));
    }

    // A direction button whose command asks `prompt` first: the user types `answers`
    // once it is asked. Returns what the command added.
    std::vector<Entity> DrawAnswering(int face, std::string_view prompt, const std::string& answers) {
        const int lastId = SimState().entities.back().id;
        EXPECT_OK(palette().Click(Id(kButtons[face])));
        EXPECT_OK(WaitForPrompt(prompt));
        EXPECT_OK(sim().Type(answers));
        EXPECT_OK(WaitUntilFree());
        EXPECT_OK(sim().WaitUntilIdle());
        EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
        return AddedSince(lastId);
    }
    // A figure typed from a point the user picks at `at`.
    std::vector<Entity> DrawFromPick(int face, Point at) {
        return DrawAnswering(face, texts().idPoint, XY(at) + "\r");
    }
    std::vector<Entity> AddedSince(int lastId) {
        std::vector<Entity> added;
        for (const Entity& e : SimState().entities)
            if (e.id > lastId) added.push_back(e);
        return added;
    }

    fs::path WorkFile(const wchar_t* name) const { return OwnFolder() / name; }

private:
    sim::Edition edition_ = sim::Edition::LT2000;
    static inline int figureCount_ = 0;
};

// The user's plan about the base point (100, 200): two lines meeting at a corner, a
// circle, a quarter arc, an open polyline, and a line far off that the window misses.
sim::Drawing PlanDrawing() {
    sim::Drawing d;
    d.AddLayer(kOutline);
    d.SetCurrentLayer(kOutline);
    d.AddLine(S(100, 200), S(140, 200));
    d.AddLine(S(140, 200), S(140, 230));
    d.AddCircle(S(120, 215), 5);
    d.AddArc(S(100, 230), 8, 0, 90);
    d.AddPolyline({S(160, 200), S(180, 200), S(180, 220)}, false);
    d.AddLine({-50, -50}, {-60, -60});
    return d;
}


const Point kCorner1{90, 190};
const Point kCorner2{195, 245};

std::string Settings(bool projectAll, bool circleHeightLines = false) {
    return std::string("[メニュー]\r\n全て投影=") + (projectAll ? "1" : "0") + "\r\n円、円弧の高さの線=" +
           (circleHeightLines ? "1" : "0") + "\r\n";
}

// ---------------------------------------------------------------------------------
// The four faces, with the palette turning the plan and with AutoCAD turning it
// ---------------------------------------------------------------------------------

struct FaceRun {
    const char* name;
    bool projectAll;
    sim::Edition edition;
};

class FourFaces : public DrawEndToEnd, public ::testing::WithParamInterface<FaceRun> {};

TEST_P(FourFaces, EachFaceShowsThePlanAsTheIsometricViewAndTheDrawingIsLeftAsItWas) {
    const bool projectAll = GetParam().projectAll;
    ASSERT_TRUE(Start(PlanDrawing(), L"-insert ", Settings(projectAll), GetParam().edition));
    const std::vector<Entity> plan = SimState().entities;

    Select(kCorner1, kCorner2, kBase);
    EXPECT_TRUE(SameObjects(plan, SimState().entities)) << "after the selection";
    EXPECT_TRUE(fs::exists(WorkFile(L"tessavue.dxf")));
    EXPECT_EQ(fs::exists(WorkFile(L"l_45.dxf")), projectAll);
    EXPECT_EQ(fs::exists(WorkFile(L"r_45.dxf")), projectAll);
    EXPECT_TRUE(fs::exists(WorkFile(L"explode.dxf"))) << "the polyline is exploded for its height lines";

    const Point places[] = {{400, 300}, {700, 300}, {400, 50}, {700, 50}};
    for (std::size_t i = 0; i < std::size(kFaces); ++i) {
        SCOPED_TRACE(kFaces[i].name);
        ExpectPlanFigure(kFaces[i], places[i]);
    }
    const sim::SimDump state = SimState();
    const std::string transport = GetParam().edition == sim::Edition::LT2006 ? "paste" : "copydata";
    for (const auto& chunk : state.inputs) {
        if (chunk.bytes.starts_with("-insert ")) {
            EXPECT_EQ(chunk.transport, transport);
        }
    }
    EXPECT_TRUE(UserPartAsItWas(plan, state.entities)) << "after the four figures";
    EXPECT_TRUE(state.blocks.empty());
}

INSTANTIATE_TEST_SUITE_P(Runs, FourFaces,
                         ::testing::Values(FaceRun{"ProjectAllOff", false, sim::Edition::LT2000},
                                           FaceRun{"ProjectAllOn", true, sim::Edition::LT2000},
                                           FaceRun{"ProjectAllOnLT2006", true, sim::Edition::LT2006}),
                         [](const ::testing::TestParamInfo<FaceRun>& p) { return std::string(p.param.name); });

// ---------------------------------------------------------------------------------
// The height options, one selection and several figures
// ---------------------------------------------------------------------------------

TEST_F(DrawEndToEnd, HeightLinesForCirclesUncheckedHeightZeroHeightAndInvertedSign) {
    ASSERT_TRUE(Start(PlanDrawing(), L"-insert ", Settings(false, true)));
    Select(kCorner1, kCorner2, kBase);

    {
        SCOPED_TRACE("circle and arc height lines: the arc touches 45 degrees only");
        FigureOptions options;
        options.circleHeightLines = true;
        ExpectPlanFigure(kFaces[1], {400, 300}, options);
    }
    {
        SCOPED_TRACE("高さ unchecked: the raised copy without height lines");
        ASSERT_OK(palette().Click(Id(Control::CheckBox1)));
        ASSERT_OK(palette().Settle());
        FigureOptions options;
        options.heightLines = false;
        ExpectPlanFigure(kFaces[2], {700, 300}, options);
        ASSERT_OK(palette().Click(Id(Control::CheckBox1)));
    }
    {
        SCOPED_TRACE("height 0: the plan alone");
        ASSERT_OK(palette().SetText(Id(Control::Edit1), L"0"));
        FigureOptions options;
        options.height = 0;
        ExpectPlanFigure(kFaces[3], {400, 50}, options);
        ASSERT_OK(palette().SetText(Id(Control::Edit1), L"10"));
    }
    {
        SCOPED_TRACE("高さ符号反転: the copy and the height lines go the other way");
        ASSERT_OK(palette().RunMenu(Id(Control::menu_help_othr_sign)));
        ASSERT_OK(palette().Settle());
        FigureOptions options;
        options.invert = true;
        options.circleHeightLines = true;
        ExpectPlanFigure(kFaces[0], {700, 50}, options);
    }
    {
        SCOPED_TRACE("Esc at the insertion point: nothing drawn, nothing left");
        EXPECT_TRUE(Draw(kFaces[0], std::nullopt).empty());
    }
    EXPECT_TRUE(SimState().blocks.empty());
}

// ---------------------------------------------------------------------------------
// A block reference in the plan
// ---------------------------------------------------------------------------------

TEST_F(DrawEndToEnd, BlockReferenceLinesGetHeightLinesAndTheReferenceStays) {
    sim::Drawing d;
    d.AddLayer(kOutline);
    d.SetCurrentLayer(kOutline);
    sim::Block part;
    part.name = "部品";
    part.base = {0, 0};
    for (auto [a, b] : {std::pair<Point, Point>{{0, 0}, {10, 0}}, {{10, 0}, {10, 5}}}) {
        Entity line;
        line.kind = EntityKind::Line;
        line.layer = kOutline;
        line.points = {a, b};
        part.entities.push_back(line);
    }
    d.DefineBlock(part);
    d.AddLine({100, 200}, {140, 200});
    d.AddInsert("部品", {150, 210});
    ASSERT_TRUE(Start(d, L"-insert ", Settings(false)));
    const sim::SimDump before = SimState();

    Select(kCorner1, kCorner2, kBase);
    const sim::SimDump selected = SimState();
    EXPECT_TRUE(SameObjects(before.entities, selected.entities)) << "the explosion is undone";
    EXPECT_EQ(selected.blocks, before.blocks);
    ASSERT_TRUE(fs::exists(WorkFile(L"explode.dxf")));

    const Placement place{kFaces[0], kBaseRead, {500, 300}};
    const auto added = Draw(kFaces[0], place.at);
    // The block's lines, as the explosion placed them, stand on height lines.
    for (Point foot : {Point{150, 210}, Point{160, 210}, Point{160, 215}, Point{100, 200}, Point{140, 200}}) {
        const testing::Expected want = LineFrom(place(foot), place(foot, kHeight), "height line");
        EXPECT_TRUE(std::any_of(added.begin(), added.end(), want.matches)) << want.what;
    }
    EXPECT_TRUE(std::any_of(added.begin(), added.end(), LineFrom(place({100, 200}), place({140, 200}), "").matches));
    const sim::SimDump after = SimState();
    ASSERT_GE(after.entities.size(), before.entities.size());
    EXPECT_TRUE(SameObjects(before.entities, {after.entities.begin(), after.entities.begin() + 2}));
    ASSERT_EQ(after.blocks.size(), 1u) << "the user's block stays; the figure's is purged";
    EXPECT_EQ(after.blocks.front().name, "部品");
}

// ---------------------------------------------------------------------------------
// The palette or the stand-in closed in the middle of a selection
// ---------------------------------------------------------------------------------

struct Interruption {
    const char* name;
    const wchar_t* holdAt;  // the command the stand-in is busy with when the close comes
    bool projectAll;
};

class ClosedMidSelection : public DrawEndToEnd, public ::testing::WithParamInterface<Interruption> {};

TEST_P(ClosedMidSelection, ThePaletteClosesOnlyAfterPuttingTheDrawingBack) {
    ASSERT_TRUE(Start(PlanDrawing(), GetParam().holdAt, Settings(GetParam().projectAll)));
    const std::vector<Entity> plan = SimState().entities;

    ASSERT_OK(palette().Click(Id(Control::Button1)));
    ASSERT_OK(WaitForPrompt(texts().selectObjects));
    ASSERT_OK(sim().Type("w 90,190 195,245\r\r"));
    ASSERT_OK(WaitForPrompt(texts().idPoint));
    ASSERT_OK(sim().Type("100,200\r"));
    ASSERT_OK(WaitForHeld(ToCp932(GetParam().holdAt)));

    // The user closes the palette while AutoCAD is still busy.
    ASSERT_TRUE(PostMessageW(palette().window(), WM_CLOSE, 0, 0));
    Process& process = paletteProcess();
    ASSERT_OK(process.WaitForExit(kDefaultBound));
    // AutoCAD finishes its command and then takes what the palette typed before it went.
    ASSERT_OK(sim().Release());
    ASSERT_OK(sim().WaitUntilIdle());

    const sim::SimDump state = SimState();
    std::string typed;
    for (const auto& chunk : state.inputs) typed += chunk.bytes;
    std::string history;
    for (const auto& line : state.history) history += line + "\n";
    EXPECT_TRUE(SameObjects(plan, state.entities)) << "typed: " << sim::QuoteBytes(typed) << "\nhistory:\n" << history;
    EXPECT_GT(typed.rfind("filedia 1 "), typed.rfind("filedia 0 ")) << "FILEDIA is set back: " << sim::QuoteBytes(typed);
    EXPECT_TRUE(typed.ends_with("luprec 4 ")) << "and the user's LUPREC: " << sim::QuoteBytes(typed);
    EXPECT_EQ(state.unitPrecision, 4);
    EXPECT_FALSE(fs::exists(WorkFile(L"tessavue.dxf"))) << "the palette deletes its work files as it closes";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ClosedMidSelection,
    ::testing::Values(Interruption{"Turn", L"rotate pre  100,200 -90 ", true},
                      Interruption{"WholeExport", L"explode.dxf", false}),
    [](const ::testing::TestParamInfo<Interruption>& p) { return std::string(p.param.name); });

// Closed while the user is still picking objects: the selection in AutoCAD is
// cancelled, nothing was turned, and the stand-in is back at its idle prompt.
TEST_F(DrawEndToEnd, ThePaletteClosedWhileTheUserSelectsCancelsTheSelection) {
    ASSERT_TRUE(Start(PlanDrawing(), {}, Settings(true)));
    const std::vector<Entity> plan = SimState().entities;
    ASSERT_OK(palette().Click(Id(Control::Button1)));
    ASSERT_OK(WaitForPrompt(texts().selectObjects));
    ASSERT_TRUE(PostMessageW(palette().window(), WM_CLOSE, 0, 0));
    ASSERT_OK(paletteProcess().WaitForExit(kDefaultBound));
    ASSERT_OK(sim().WaitUntilIdle());
    const sim::SimDump state = SimState();
    EXPECT_TRUE(SameObjects(plan, state.entities));
    for (const auto& chunk : state.inputs) {
        EXPECT_FALSE(chunk.bytes.starts_with("rotate")) << "nothing is turned";
        EXPECT_FALSE(chunk.bytes.starts_with("filedia")) << "FILEDIA is never touched";
    }
}

// Closed while AutoCAD is busy with the insertion: the insertion is cancelled and its
// block purged once AutoCAD takes the typing; nothing of the figure stays.
TEST_F(DrawEndToEnd, ThePaletteClosedDuringTheInsertionLeavesNoFigureOrBlock) {
    ASSERT_TRUE(Start(PlanDrawing(), L"-insert ", Settings(false)));
    Select(kCorner1, kCorner2, kBase);
    const std::vector<Entity> plan = SimState().entities;

    ASSERT_OK(palette().Click(Id(kButtons[2])));
    ASSERT_OK(WaitForHeld("-insert "));
    ASSERT_TRUE(PostMessageW(palette().window(), WM_CLOSE, 0, 0));
    ASSERT_OK(paletteProcess().WaitForExit(kDefaultBound));
    EXPECT_TRUE(FigureFiles().empty()) << "the palette deletes the figure file before it goes";
    ASSERT_OK(sim().Release());
    ASSERT_OK(sim().WaitUntilIdle());

    const sim::SimDump state = SimState();
    EXPECT_TRUE(SameObjects(plan, state.entities));
    EXPECT_TRUE(state.blocks.empty());
}

TEST_F(DrawEndToEnd, TheStandInClosedMidSelectionLeavesThePaletteFreeAndQuiet) {
    ASSERT_TRUE(Start(PlanDrawing(), L"rotate pre  100,200 -90 ", Settings(true)));
    ASSERT_OK(palette().Click(Id(Control::Button1)));
    ASSERT_OK(WaitForPrompt(texts().selectObjects));
    ASSERT_OK(sim().Type("w 90,190 195,245\r\r"));
    ASSERT_OK(WaitForPrompt(texts().idPoint));
    ASSERT_OK(sim().Type("100,200\r"));
    ASSERT_OK(WaitForHeld("rotate pre  100,200 -90 "));

    ASSERT_OK(sim().process().AskToClose(kDefaultBound));
    ASSERT_OK(WaitUntilFree());
    EXPECT_TRUE(Enabled(Control::Button1));
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    EXPECT_TRUE(palette().Exists());
}


// Runs on a copydata edition and on LT 2006, which types through the clipboard.
class EditionRuns : public DrawEndToEnd, public ::testing::WithParamInterface<sim::Edition> {};
std::string EditionName(const ::testing::TestParamInfo<sim::Edition>& p) {
    return p.param == sim::Edition::LT2006 ? "LT2006" : "LT2000";
}

// ---------------------------------------------------------------------------------
// The figures typed in as numbers (円, 四角, 六角)
// ---------------------------------------------------------------------------------

class NumberFigureRuns : public EditionRuns {};

// The user makes a layer current, then draws each row at a point of its own; only the
// first command asks for the template's point, and no line of it stays.
TEST_P(NumberFigureRuns, EachKindOnEachFaceShowsTheIsometricViewOnTheCurrentLayer) {
    ASSERT_TRUE(Start(PlanDrawing(), L"-insert ", Settings(false), GetParam()));
    const std::vector<Entity> plan = SimState().entities;
    ASSERT_OK(sim().Type(ToCp932(L"-layer m 部品\r\r")));
    ASSERT_OK(sim().WaitUntilIdle());

    bool inverted = false;
    bool heightLines = true;
    int drawn = 0;
    for (const NumberFigure& f : NumberFigures()) {
        SCOPED_TRACE(f.name);
        ASSERT_OK(palette().SelectKind(FromCp932(f.kind)));
        ASSERT_OK(palette().Settle());
        const std::string kind = f.kind;
        if (kind == "円") ASSERT_OK(palette().SetText(Id(Control::Edit2), FromCp932(Number(f.a))));
        if (kind == "四角") {
            ASSERT_OK(palette().SetText(Id(Control::Edit3), FromCp932(Number(f.a))));
            ASSERT_OK(palette().SetText(Id(Control::Edit4), FromCp932(Number(f.b))));
        }
        if (kind == "六角") {
            ASSERT_OK(palette().SetText(Id(Control::Edit5), FromCp932(Number(f.a))));
            ASSERT_OK(palette().Click(Id(f.vertical ? Control::RadioButton1 : Control::RadioButton2)));
        }
        ASSERT_OK(palette().SetText(Id(Control::Edit1), FromCp932(Number(f.height))));
        if (f.invert != inverted) {
            ASSERT_OK(palette().RunMenu(Id(Control::menu_help_othr_sign)));
            inverted = f.invert;
        }
        if (f.heightLines != heightLines) {
            ASSERT_OK(palette().Click(Id(Control::CheckBox1)));
            heightLines = f.heightLines;
        }
        ASSERT_OK(palette().Settle());

        const Point at{300.0 + 60 * (drawn % 8), 100.0 + 80 * (drawn / 8)};
        const std::optional<Point> templatePoint = drawn == 0 ? std::optional<Point>(Point{50, 50}) : std::nullopt;
        ++drawn;
        const std::vector<Entity> added = Draw(kFaces[f.face], at, templatePoint);
        FigureOptions options;
        options.height = f.height;
        options.invert = f.invert;
        options.heightLines = f.heightLines;
        options.circleHeightLines = true;
        EXPECT_TRUE(HoldsExactly(added, FigureOf(NumberFigurePlan(f), Placement{kFaces[f.face], {0, 0}, at}, options)));
        for (const Entity& e : added) EXPECT_EQ(e.layer, "部品");
    }
    const sim::SimDump state = SimState();
    EXPECT_TRUE(UserPartAsItWas(plan, state.entities)) << "the user's objects are as they were";
    std::size_t ids = 0;
    for (const auto& chunk : state.inputs) ids += chunk.bytes == "id " ? 1 : 0;
    EXPECT_EQ(ids, 1u) << "one template point, asked once";
    EXPECT_TRUE(state.blocks.empty());
    EXPECT_TRUE(fs::exists(WorkFile(L"elem.dxf")));
}

INSTANTIATE_TEST_SUITE_P(Editions, NumberFigureRuns, ::testing::Values(sim::Edition::LT2000, sim::Edition::LT2006),
                         EditionName);

// Esc at the template's point: the command ends quietly, nothing drawn, no template.
TEST_F(DrawEndToEnd, EscAtTheTemplatePointEndsTheNumberFigureQuietly) {
    ASSERT_TRUE(Start(PlanDrawing(), L"-insert ", Settings(false)));
    const std::vector<Entity> plan = SimState().entities;
    ASSERT_OK(palette().SelectKind(L"円"));
    ASSERT_OK(palette().Click(Id(kButtons[0])));
    ASSERT_OK(WaitForPrompt(texts().idPoint));
    ASSERT_OK(sim().Type("\x1b"));
    ASSERT_OK(WaitUntilFree());
    ASSERT_OK(sim().WaitUntilIdle());
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    EXPECT_TRUE(SameObjects(plan, SimState().entities));
    EXPECT_FALSE(fs::exists(WorkFile(L"elem.dxf")));
}


// ---------------------------------------------------------------------------------
// A turned part (既存軸) and a two-face solid (２面選択)
// ---------------------------------------------------------------------------------

class AxisAndTwoFaceRuns : public EditionRuns {
protected:
    // The user answers a selection in AutoCAD by typing the points of the objects.
    void Choose(Control button, const std::string& picks) {
        ASSERT_OK(palette().Click(Id(button)));
        ASSERT_OK(WaitForPrompt(texts().selectObjects));
        ASSERT_OK(sim().Type(picks + "\r"));
        ASSERT_OK(WaitUntilFree());
        ASSERT_OK(sim().WaitUntilIdle());
    }
    // The user picks `points` one by one at the id prompts, then presses Esc.
    void PickPoints(Control button, const std::vector<Point>& points) {
        ASSERT_OK(palette().Click(Id(button)));
        for (Point p : points) {
            ASSERT_OK(WaitForPrompt(texts().idPoint));
            ASSERT_OK(sim().Type(XY(p) + "\r"));
        }
        ASSERT_OK(WaitForPrompt(texts().idPoint));
        ASSERT_OK(sim().Type("\x1b"));
        ASSERT_OK(WaitUntilFree());
        ASSERT_OK(sim().WaitUntilIdle());
    }
};

// The part of the in-process test, drawn by the real palette: a vertical axis on 上左
// and a horizontal one on 右; then three points in each view and the chain on both
// top faces; 左 refused.
TEST_P(AxisAndTwoFaceRuns, TheTurnedPartAndTheTwoFaceSolidLandWhereTheFacesPutThem) {
    sim::Drawing d = PlanDrawing();
    d.AddLine({-200, 0}, {-200, 100});
    d.AddLine({-180, 100}, {-180, 60});
    d.AddLine({-180, 60}, {-170, 50});
    d.AddLine({-170, 50}, {-170, 0});
    d.AddLine({-200, -100}, {-100, -100});
    d.AddLine({-190, -80}, {-150, -80});
    d.AddLine({-150, -80}, {-140, -70});
    d.AddLine({-140, -70}, {-110, -70});
    ASSERT_TRUE(Start(d, L"-insert ", Settings(false), GetParam()));
    const std::vector<Entity> plan = SimState().entities;

    ASSERT_OK(palette().SelectKind(L"既存軸"));
    Choose(Control::Button10, "-200,30\r");
    Choose(Control::Button11, "-180,80\r-175,55\r-170,25\r");
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    {
        SCOPED_TRACE("vertical axis on 上左");
        const Point at{300, 300};
        EXPECT_TRUE(HoldsExactly(Draw(kFaces[0], at, Point{50, 50}),
                                 TurnedPart(at, 270, 0, {{0, 20}, {40, 20}, {50, 30}, {100, 30}},
                                            {{0, 40, 20}, {50, 100, 30}})));
    }
    Choose(Control::Button10, "-150,-100\r");
    Choose(Control::Button11, "-170,-80\r-145,-75\r-125,-70\r");
    {
        SCOPED_TRACE("horizontal axis on 右: from the outline's smallest X toward 30 degrees");
        const Point at{500, 300};
        EXPECT_TRUE(HoldsExactly(Draw(kFaces[3], at),
                                 TurnedPart(at, 30, 120, {{0, 20}, {40, 20}, {50, 30}, {80, 30}},
                                            {{0, 40, 20}, {50, 80, 30}})));
    }

    ASSERT_OK(palette().SelectKind(L"２面選択"));
    // Points of a top view and a front view with all their digits; each corner of the
    // chain is the start plus the top view's step along the face's plan axes and the
    // front view's rise straight up.
    const std::vector<Point> top = {S(0, 0), S(10.123456789012345, 0.3183098861837907), S(10, 5.7071067811865476)};
    const std::vector<Point> front = {S(0, 0), S(10.123456789012345, 0), S(10, 8.1415926535897931)};
    PickPoints(Control::Button7, top);
    PickPoints(Control::Button8, front);
    EXPECT_EQ(Text(Control::Label9), L"3");
    EXPECT_EQ(Text(Control::Label10), L"3");
    for (int face : {0, 1}) {
        SCOPED_TRACE(kFaces[face].name);
        const Point at = S(300.0 + 100 * face, 100);
        const std::vector<Entity> added = DrawFromPick(face, at);
        std::vector<Point> corner;
        for (std::size_t i = 0; i < top.size(); ++i)
            corner.push_back(at + Along(kFaces[face].planX, top[i].x - top[0].x) +
                             Along(kFaces[face].planY, top[i].y - top[0].y) + Point{0, front[i].y - front[0].y});
        EXPECT_TRUE(HoldsExactly(added, {LineFrom(corner[0], corner[1], "first"), LineFrom(corner[1], corner[2], "second"),
                                         LineFrom(corner[2], corner[0], "closing")}));
    }
    ASSERT_OK(palette().Click(Id(kButtons[2])));
    EXPECT_EQ(Boxes(), (std::vector<MessageBoxText>{{kConfirmTitle, L"２面選択ではこの方向は作図できません。"}}));

    const sim::SimDump state = SimState();
    EXPECT_TRUE(UserPartAsItWas(plan, state.entities)) << "the selections change nothing";
    EXPECT_TRUE(state.blocks.empty());
}

INSTANTIATE_TEST_SUITE_P(Editions, AxisAndTwoFaceRuns, ::testing::Values(sim::Edition::LT2000, sim::Edition::LT2006),
                         EditionName);


// ---------------------------------------------------------------------------------
// A round-bar bend (丸棒曲げ) and an offset (オフセット), typed straight into AutoCAD
// ---------------------------------------------------------------------------------

class BendAndOffsetRuns : public EditionRuns {};

// The bend on 上左 and on 左, picked by the user; then the plan's corner lines offset
// on 右 with their connectors on the plan's layer, the current layer as before.
TEST_P(BendAndOffsetRuns, TheBendAndTheOffsetLandWhereTheFacesPutThem) {
    ASSERT_TRUE(Start(PlanDrawing(), {}, Settings(false), GetParam()));
    const std::vector<Entity> plan = SimState().entities;
    ASSERT_OK(palette().SelectKind(L"丸棒曲げ"));
    ASSERT_OK(palette().SetText(Id(Control::Edit7), L"20"));
    ASSERT_OK(palette().SetText(Id(Control::Edit8), L"10"));
    for (int face : {0, 2}) {
        SCOPED_TRACE(kFaces[face].name);
        // The bend stands about the point as the palette reads it.
        const Point at = S(300.0 + 150 * face, 300);
        EXPECT_TRUE(HoldsExactly(DrawFromPick(face, at), BendFigure(Shown(at), 20, 5, face == 2 ? -60 : 0)));
    }

    ASSERT_OK(palette().SelectKind(L"オフセット"));
    const int lastId = SimState().entities.back().id;
    ASSERT_OK(palette().Click(Id(kButtons[3])));
    ASSERT_OK(WaitForPrompt(texts().selectObjects));
    ASSERT_OK(sim().Type("120,200\r140,215\r\r"));
    ASSERT_OK(WaitUntilFree());
    ASSERT_OK(sim().WaitUntilIdle());
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    // Height 10 along the right face's depth, 330 degrees.
    const Point shift = Along(330, 10);
    std::vector<testing::Expected> figure = {LineFrom(S(100, 200) + shift, S(140, 200) + shift, "copy"),
                                             LineFrom(S(140, 200) + shift, S(140, 230) + shift, "copy")};
    for (Point corner : {S(100, 200), S(140, 200), S(140, 230)})
        figure.push_back(LineFrom(corner, corner + shift, "connector"));
    const std::vector<Entity> added = AddedSince(lastId);
    EXPECT_TRUE(HoldsExactly(added, figure));
    for (const Entity& e : added) EXPECT_EQ(e.layer, kOutline);
    const sim::SimDump state = SimState();
    EXPECT_TRUE(UserPartAsItWas(plan, state.entities));
    EXPECT_FALSE(fs::exists(WorkFile(L"ofst.dxf")));
}

INSTANTIATE_TEST_SUITE_P(Editions, BendAndOffsetRuns, ::testing::Values(sim::Edition::LT2000, sim::Edition::LT2006),
                         EditionName);


// ---------------------------------------------------------------------------------
// A text (文字) written with the stand-in's own text command
// ---------------------------------------------------------------------------------

class TextRuns : public EditionRuns {};

// On each face the text keeps its start point, and its baseline and upright run along
// the face's images of plan X and Y at true length; LT 2006 is asked with "-text".
TEST_P(TextRuns, ATextLiesOnEachFaceAtItsStartPoint) {
    ASSERT_TRUE(Start(PlanDrawing(), {}, Settings(false), GetParam()));
    ASSERT_OK(palette().SelectKind(L"文字"));
    for (int face : {0, 1, 2, 3}) {
        SCOPED_TRACE(kFaces[face].name);
        const Point at = S(300.0 + 100 * face, 400);
        std::ostringstream answers;
        answers << XY(at) << "\r5\r0\rABC\r";
        const std::vector<Entity> added = DrawAnswering(face, texts().textStartPoint, answers.str());
        ASSERT_EQ(added.size(), 1u);
        const Entity& text = added.front();
        EXPECT_EQ(text.kind, EntityKind::Text);
        EXPECT_TRUE(Near(text.points[0], at));
        const TextOnFace want = ExpectedText(kFaces[face], 5);
        EXPECT_NEAR(std::remainder(text.rotation - want.rotation, 360.0), 0, 1e-6);
        EXPECT_NEAR(text.height, want.height, 1e-6);
        EXPECT_NEAR(text.widthFactor, want.width, 1e-6);
        EXPECT_NEAR(text.oblique, want.oblique, 1e-6);
    }
    const std::string word = GetParam() == sim::Edition::LT2006 ? "-text " : "text ";
    bool asked = false;
    for (const auto& chunk : SimState().inputs) asked = asked || chunk.bytes == word;
    EXPECT_TRUE(asked) << "the palette asks with " << word;
}


// A dimension of a pair along the face's direction, the third point on the line: its
// dimension line runs through the picked points and its text is the true distance.
TEST_P(TextRuns, ADimensionRunsThroughThePickedPoints) {
    ASSERT_TRUE(Start(PlanDrawing(), {}, Settings(false), GetParam()));
    ASSERT_OK(palette().SelectKind(L"寸法"));
    struct Case {
        int face;
        double direction;
    };
    for (const Case& c : {Case{0, 30}, Case{2, 90}, Case{3, 210}}) {
        SCOPED_TRACE(kFaces[c.face].name);
        const Point p1 = S(300.0 + 100 * c.face, 450);
        const Point p2 = p1 + Along(c.direction, 40);
        const Point middle{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
        const int lastId = SimState().entities.back().id;
        ASSERT_OK(palette().Click(Id(kButtons[c.face])));
        for (Point p : {p1, p2, middle}) {
            ASSERT_OK(WaitForPrompt(texts().idPoint));
            std::ostringstream point;
            point << std::setprecision(17) << p.x << "," << p.y << "\r";
            ASSERT_OK(sim().Type(point.str()));
        }
        ASSERT_OK(WaitUntilFree());
        ASSERT_OK(sim().WaitUntilIdle());
        EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
        const auto within = [](Point a, Point b) { return Near(a, b); };
        bool line = false;
        bool value = false;
        for (const Entity& e : AddedSince(lastId)) {
            if (e.kind == EntityKind::Line &&
                ((within(e.points[0], p1) && within(e.points[1], p2)) || (within(e.points[0], p2) && within(e.points[1], p1))))
                line = true;
            value = value || (e.kind == EntityKind::Text && e.text == "40.0000");
        }
        EXPECT_TRUE(line);
        EXPECT_TRUE(value);
    }
}

INSTANTIATE_TEST_SUITE_P(Editions, TextRuns, ::testing::Values(sim::Edition::LT2000, sim::Edition::LT2006),
                         EditionName);

}  // namespace
}  // namespace tessavue::e2e
