// The commands the palette types for its main job, driven by the exact strings it
// types: ROTATE, EXPLODE, U, -INSERT of a DXF file, _EXPLODE of that reference, and
// -PURGE of its definition. Checked against the prompts AutoCAD shows, the undo steps
// it keeps and the geometry it leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/dump.h"
#include "core/dxf_file.h"
#include "core/host.h"
#include "core/transform.h"
#include "sim_history.h"

namespace tessavue::sim {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr double kTolerance = 1e-9;

std::string Back(const SimHost& host, std::size_t fromEnd) {
    const auto& lines = host.HistoryLines();
    return fromEnd < lines.size() ? lines[lines.size() - 1 - fromEnd] : std::string("<none>");
}

bool HistoryHolds(const SimHost& host, const std::string& line) {
    for (const std::string& l : host.HistoryLines()) {
        if (l == line) return true;
    }
    return false;
}

void ExpectNear(Point actual, Point expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, kTolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, kTolerance) << what;
}

// Every coordinate-bearing value of the drawing's entities, compared with a tolerance:
// turning there and back is exact only up to rounding.
void ExpectSameGeometry(const Drawing& actual, const Drawing& expected) {
    ASSERT_EQ(actual.entities().size(), expected.entities().size());
    for (std::size_t i = 0; i < actual.entities().size(); ++i) {
        const Entity& a = actual.entities()[i];
        const Entity& e = expected.entities()[i];
        ASSERT_EQ(a.kind, e.kind) << i;
        ASSERT_EQ(a.points.size(), e.points.size()) << i;
        for (std::size_t p = 0; p < a.points.size(); ++p) ExpectNear(a.points[p], e.points[p], "point");
        EXPECT_NEAR(a.radius, e.radius, kTolerance);
        const double startDiff = std::remainder(a.startAngle - e.startAngle, 360.0);
        const double endDiff = std::remainder(a.endAngle - e.endAngle, 360.0);
        EXPECT_NEAR(startDiff, 0.0, 1e-7) << i;
        EXPECT_NEAR(endDiff, 0.0, 1e-7) << i;
    }
}

// A plan of each kind the selection turns and explodes.
void DrawPlan(SimHost& host) {
    Drawing& d = host.drawing();
    d.AddLine({0, 0}, {40, 0});
    d.AddCircle({10, 10}, 5);
    d.AddArc({30, 10}, 4, 30, 150);
    d.AddPolyline({{0, 20}, {20, 20}, {20, 30}}, true);
}

// A point of an ellipse entity at parameter `t` (degrees).
Point OnEllipse(const Entity& e, double t) {
    const Point c = e.points[0];
    const Point a = e.points[1];
    const Point b{-a.y * e.ratio, a.x * e.ratio};
    return Point{c.x + a.x * std::cos(t * kDegree) + b.x * std::sin(t * kDegree),
                 c.y + a.y * std::cos(t * kDegree) + b.y * std::sin(t * kDegree)};
}

double Sweep(double start, double end) {
    double s = std::fmod(end - start, 360.0);
    if (s <= 0) s += 360.0;
    return s;
}

TEST(SimRotate, TurnsThePreviousSetAboutTheLastPointAndBackAgain) {
    SimHost host(Edition::LT2000);
    DrawPlan(host);
    const Drawing before = host.drawing();
    host.Type("select all  ");
    host.Type("id 10,0 ");
    host.Type("rotate pre  @ 45 ");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    EXPECT_TRUE(HistoryHolds(host, "現在の UCS 内の正の角度の方向:  ANGDIR=反時計回り  ANGBASE=0"));
    EXPECT_TRUE(HistoryHolds(host, "基点を指定: @"));
    EXPECT_TRUE(HistoryHolds(host, "回転角度を指定 または [参照(R)]: 45"));

    const auto& e = host.drawing().entities();
    const double h = std::sqrt(0.5);
    ExpectNear(e[0].points[0], {10 - 10 * h, -10 * h}, "line start about (10,0)");
    ExpectNear(e[0].points[1], {10 + 30 * h, 30 * h}, "line end");
    ExpectNear(e[1].points[0], {10 - 10 * h, 10 * h}, "circle centre");
    EXPECT_DOUBLE_EQ(e[2].startAngle, 75.0);
    EXPECT_DOUBLE_EQ(e[2].endAngle, 195.0);
    EXPECT_EQ(host.LastPoint(), (Point{10, 0}));

    host.Type("rotate pre  @ -90 ");
    host.Type("rotate pre  @ 45 ");
    ExpectSameGeometry(host.drawing(), before);
}

TEST(SimRotate, PickedAngleAndLaterEditionsDefault) {
    SimHost host(Edition::LT2006);
    host.drawing().AddLine({0, 0}, {10, 0});
    host.Type("rotate l  0,0 ");
    EXPECT_EQ(host.CommandLineText(), "回転角度を指定 または [コピー(C)/参照(R)] <0>: ");
    ASSERT_TRUE(host.Click({0, 5}));
    ExpectNear(host.drawing().entities()[0].points[1], {0, 10}, "turned by the picked 90 degrees");
    host.Type("rotate l  0,0 abc ");
    EXPECT_EQ(Back(host, 0), "角度、2 点、またはオプション キーワードが必要です。");
    host.Type(" ");
    EXPECT_FALSE(host.InCommand());
    ExpectNear(host.drawing().entities()[0].points[1], {0, 10}, "Enter keeps angle 0");
}

TEST(SimExplode, PolylineFallsIntoLinesThatBecomeThePreviousSet) {
    SimHost host(Edition::LT2000);
    DrawPlan(host);
    host.Type("select all  ");
    host.Type("explode pre  ");
    // The line, circle and arc cannot be exploded; the closed polyline gives 3 lines.
    EXPECT_TRUE(HistoryHolds(host, "3 個のｵﾌﾞｼﾞｪｸﾄは分解できません。"));
    const auto& e = host.drawing().entities();
    ASSERT_EQ(e.size(), 6u);
    for (std::size_t i = 3; i < 6; ++i) EXPECT_EQ(e[i].kind, EntityKind::Line);
    EXPECT_EQ(e[5].points[0], (Point{20, 30}));
    EXPECT_EQ(e[5].points[1], (Point{0, 20}));
    EXPECT_EQ(host.PreviousSelection(), (std::vector<int>{e[3].id, e[4].id, e[5].id}));
}

TEST(SimUndo, ExplosionAndTheQueriesAfterItAreUndoneStepByStep) {
    SimHost host(Edition::LT2000);
    DrawPlan(host);
    host.Type("select all  ");
    const Drawing before = host.drawing();
    const std::size_t depth = host.UndoDepth();
    // What the selection types: the explosion, the previous-set query, then undo.
    host.Type("explode pre  ");
    host.Type("select pre\r ");
    host.Type("copyhist ");
    host.Type("filedia 0 ");
    EXPECT_EQ(host.UndoDepth(), depth + 4);
    host.Type("u ");
    EXPECT_EQ(Back(host, 0), "ｺﾏﾝﾄﾞ: u FILEDIA");
    host.Type("u u u ");
    EXPECT_EQ(Back(host, 0), "ｺﾏﾝﾄﾞ: u EXPLODE");
    EXPECT_EQ(host.UndoDepth(), depth);
    EXPECT_EQ(host.drawing().entities(), before.entities());
}

class TempFolder {
public:
    TempFolder() {
        path = std::filesystem::temp_directory_path() / ("tessavue-siminsert-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

// A figure file as the palette writes one: a line, a circle and an arc about the
// origin, on a layer of its own.
std::filesystem::path WriteFigure(const std::filesystem::path& folder) {
    Drawing figure;
    figure.AddLayer("ISO").color = 3;
    figure.SetCurrentLayer("ISO");
    figure.AddLine({1, 2}, {7, -3});
    figure.AddCircle({2, 1}, 3);
    figure.AddArc({-1, 4}, 2, 20, 110);
    const std::string text = WriteDxf(figure, std::nullopt, DxfVersion::R2000);
    const auto path = folder / "ip20261207212400.dxf";
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return path;
}

std::string Number(double v) {
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

// The image of a block point under insertion at `at` with the scales and rotation.
Point Place(Point p, Point at, double sx, double sy, double degrees) {
    const double r = degrees * kDegree;
    const double x = p.x * sx;
    const double y = p.y * sy;
    return Point{at.x + x * std::cos(r) - y * std::sin(r), at.y + x * std::sin(r) + y * std::cos(r)};
}

struct Insertion {
    double sx;
    double sy;
    double rotation;
};

class SimInsertExplode : public ::testing::TestWithParam<Insertion> {};

TEST_P(SimInsertExplode, NonUniformScaleGivesTheExactEllipses) {
    const Insertion ins = GetParam();
    TempFolder folder;
    const auto file = WriteFigure(folder.path);
    SimHost host(Edition::LT2000);
    host.drawing().AddLine({-50, -50}, {-40, -50});
    const Point at{5, 6};
    host.Type("-insert " + file.string() + "\r x " + Number(ins.sx) + " y " + Number(ins.sy) + " r " +
              Number(ins.rotation) + " ");
    // The palette lets the user pick the insertion point.
    EXPECT_EQ(host.CommandLineText(),
              "挿入位置を指定 または [尺度(S)/X/Y/Z/回転(R)/一括尺度(PS)/一括X(PX)/一括Y(PY)/一括Z(PZ)/一括回転(PR)]: ");
    ASSERT_TRUE(host.Click(at));
    ASSERT_FALSE(host.InCommand());
    EXPECT_TRUE(HistoryHolds(host, "X 尺度を指定 <1>: " + Number(ins.sx)));
    EXPECT_TRUE(HistoryHolds(host, "回転角度を指定 <0>: " + Number(ins.rotation)));
    const Block* block = host.drawing().FindBlock("ip20261207212400");
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(block->entities.size(), 3u);
    const Entity& ref = host.drawing().entities().back();
    EXPECT_EQ(ref.kind, EntityKind::Insert);
    EXPECT_EQ(ref.block, "ip20261207212400");
    EXPECT_EQ(ref.points[0], at);

    host.Type("_explode l\r\r");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    const auto& e = host.drawing().entities();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[1].layer, "ISO");

    ASSERT_EQ(e[1].kind, EntityKind::Line);
    ExpectNear(e[1].points[0], Place({1, 2}, at, ins.sx, ins.sy, ins.rotation), "line start");
    ExpectNear(e[1].points[1], Place({7, -3}, at, ins.sx, ins.sy, ins.rotation), "line end");

    // Semi-axes sqrt(1.5) r along the insertion's angle and sqrt(0.5) r across it.
    ASSERT_EQ(e[2].kind, EntityKind::Ellipse);
    ExpectNear(e[2].points[0], Place({2, 1}, at, ins.sx, ins.sy, ins.rotation), "ellipse centre");
    const Point major = e[2].points[1];
    EXPECT_NEAR(std::hypot(major.x, major.y), std::sqrt(1.5) * 3, kTolerance);
    EXPECT_NEAR(e[2].ratio * std::hypot(major.x, major.y), std::sqrt(0.5) * 3, kTolerance);
    EXPECT_NEAR(std::remainder(std::atan2(major.y, major.x) / kDegree - ins.rotation, 180.0), 0.0, 1e-9);
    EXPECT_EQ(e[2].startAngle, 0.0);
    EXPECT_EQ(e[2].endAngle, 360.0);

    // The elliptical arc runs through the images of the arc's ends and middle.
    ASSERT_EQ(e[3].kind, EntityKind::Ellipse);
    const Entity& arc = e[3];
    const double sweep = Sweep(arc.startAngle, arc.endAngle);
    const auto onArc = [](double deg) { return Point{-1 + 2 * std::cos(deg * kDegree), 4 + 2 * std::sin(deg * kDegree)}; };
    ExpectNear(OnEllipse(arc, arc.startAngle), Place(onArc(20), at, ins.sx, ins.sy, ins.rotation), "arc start");
    ExpectNear(OnEllipse(arc, arc.startAngle + sweep), Place(onArc(110), at, ins.sx, ins.sy, ins.rotation), "arc end");
    ExpectNear(OnEllipse(arc, arc.startAngle + sweep / 2), Place(onArc(65), at, ins.sx, ins.sy, ins.rotation),
               "arc middle");

    // The definition is no longer used: the purge takes it, with no question asked.
    host.Type("-purge b ip20261207212400\rn\r");
    EXPECT_FALSE(host.InCommand());
    EXPECT_EQ(host.drawing().FindBlock("ip20261207212400"), nullptr);
    EXPECT_TRUE(HistoryHolds(host, "ﾌﾞﾛｯｸ \"ip20261207212400\" を削除しています。"));
    EXPECT_TRUE(HistoryHolds(host, "1 個のﾌﾞﾛｯｸを削除しました。"));

    // The explosion (and the insertion before it) are single undo steps.
    host.Type("u u ");
    EXPECT_EQ(host.drawing().entities().size(), 2u);
    EXPECT_EQ(host.drawing().entities().back().kind, EntityKind::Insert);
    host.Type("u ");
    EXPECT_EQ(host.drawing().entities().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(IsometricFaces, SimInsertExplode,
                         ::testing::Values(Insertion{std::sqrt(1.5), std::sqrt(0.5), 0},
                                           Insertion{std::sqrt(1.5), std::sqrt(0.5), -60},
                                           Insertion{std::sqrt(1.5), std::sqrt(0.5), 60}));

TEST(SimInsertExplodeScales, MirroredAndUniform) {
    TempFolder folder;
    const auto file = WriteFigure(folder.path);
    SimHost host(Edition::LT2006);
    // Mirrored in x: the arc must still run through the mirrored ends the right way round.
    host.Type("-insert " + file.string() + "\r x -2 y 1 r 30 0,0 _explode l\r\r");
    const auto& e = host.drawing().entities();
    ASSERT_EQ(e.size(), 3u);
    ASSERT_EQ(e[2].kind, EntityKind::Ellipse);
    const double sweep = Sweep(e[2].startAngle, e[2].endAngle);
    const auto onArc = [](double deg) { return Point{-1 + 2 * std::cos(deg * kDegree), 4 + 2 * std::sin(deg * kDegree)}; };
    ExpectNear(OnEllipse(e[2], e[2].startAngle + sweep / 2), Place(onArc(65), {0, 0}, -2, 1, 30), "mirrored middle");
    const Point start = OnEllipse(e[2], e[2].startAngle);
    const Point end = OnEllipse(e[2], e[2].startAngle + sweep);
    const Point a = Place(onArc(20), {0, 0}, -2, 1, 30);
    const Point b = Place(onArc(110), {0, 0}, -2, 1, 30);
    // Counter-clockwise on the mirrored curve, the arc starts at the image of its end.
    ExpectNear(start, b, "mirrored start");
    ExpectNear(end, a, "mirrored end");

    // Uniform scale (the definition is reused without asking when named alone).
    host.Type("-insert ip20261207212400\r x 2 y 2 r 90 0,0 _explode l\r\r");
    const auto& u = host.drawing().entities();
    ASSERT_EQ(u.size(), 6u);
    ASSERT_EQ(u[4].kind, EntityKind::Circle);
    EXPECT_NEAR(u[4].radius, 6, kTolerance);
    ExpectNear(u[4].points[0], {-2, 4}, "turned centre");
    ASSERT_EQ(u[5].kind, EntityKind::Arc);
    EXPECT_NEAR(u[5].startAngle, 110, 1e-9);
    EXPECT_NEAR(u[5].endAngle, 200, 1e-9);
}

TEST(SimInsert, ReferenceIsPickedAndFramedByWhatItShows) {
    TempFolder folder;
    const auto file = WriteFigure(folder.path);
    SimHost host(Edition::LT2000);
    host.Type("-insert " + file.string() + "\r x 2 y 1 r 90 100,0 ");
    // The line (1,2)-(7,-3) of the definition lies at (98,2)-(103,14) in the drawing.
    const auto box = host.drawing().ComputeExtents();
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->max.y, 14, 1e-9);
    host.Type("erase ");
    ASSERT_TRUE(host.Click({100.5, 8}));
    host.Type(" ");
    EXPECT_TRUE(host.drawing().entities().empty());
    host.Type("u ");
    host.Type("erase c 99,3 97,1  ");
    EXPECT_TRUE(host.drawing().entities().empty());
}

TEST(SimInsert, FileNameGivenAgainAsksToRedefine) {
    TempFolder folder;
    const auto file = WriteFigure(folder.path);
    SimHost host(Edition::LT2000);
    host.Type("-insert " + file.string() + "\r0,0 ");
    host.Type("-insert " + file.string() + "\r");
    EXPECT_EQ(host.CommandLineText(), "ﾌﾞﾛｯｸ \"ip20261207212400\" は既に存在します。再定義しますか? [はい(Y)/いいえ(N)] <N>: ");
    host.Type("y 1,1 ");
    EXPECT_FALSE(host.InCommand());
    EXPECT_EQ(host.drawing().entities().size(), 2u);
}

TEST(SimInsert, MissingFileAndBadAnswersAreRefused) {
    TempFolder folder;
    SimHost host(Edition::LT2000);
    const std::string missing = (folder.path / "nothing.dxf").string();
    host.Type("-insert " + missing + "\r");
    EXPECT_EQ(Back(host, 0), "\"" + missing + "\": ﾌｧｲﾙが見つかりません。");
    EXPECT_FALSE(host.InCommand());
    EXPECT_TRUE(host.drawing().entities().empty());
    EXPECT_TRUE(host.drawing().blocks().empty());

    const auto file = WriteFigure(folder.path);
    host.Type("-insert " + file.string() + "\r x 0 ");
    EXPECT_EQ(Back(host, 0), "値は 0 以外でなければなりません。");
    host.Type("abc ");
    EXPECT_EQ(Back(host, 0), "数値、またはｵﾌﾟｼｮﾝ ｷｰﾜｰﾄﾞが必要です。");
    host.Type("\x1b");
    EXPECT_FALSE(host.InCommand());
    EXPECT_TRUE(host.drawing().entities().empty());
}

TEST(SimPurge, KeepsDefinitionsInUseAndAsksWhenToldTo) {
    TempFolder folder;
    const auto file = WriteFigure(folder.path);
    SimHost host(Edition::LT2000);
    host.Type("-insert " + file.string() + "\r0,0 ");
    host.Type("-purge b *\rn\r");
    EXPECT_NE(host.drawing().FindBlock("ip20261207212400"), nullptr);
    EXPECT_EQ(Back(host, 0), "削除する未使用のﾌﾞﾛｯｸはありません。");

    host.Type("erase l  ");
    host.Type("-purge b IP2026*\r\r");
    EXPECT_EQ(host.CommandLineText(), "ﾌﾞﾛｯｸ \"ip20261207212400\" を削除しますか? <N>: ");
    host.Type("n ");
    EXPECT_NE(host.drawing().FindBlock("ip20261207212400"), nullptr);
    host.Type("-purge b ip20261207212400\ry y ");
    EXPECT_EQ(host.drawing().FindBlock("ip20261207212400"), nullptr);
}

TEST(SimDump, ExplodedEllipsesAndReferencesSurviveTheRoundTrip) {
    TempFolder folder;
    const auto file = WriteFigure(folder.path);
    SimHost host(Edition::LT2000);
    host.Type("-insert " + file.string() + "\r x " + Number(std::sqrt(1.5)) + " y " + Number(std::sqrt(0.5)) +
              " r -60 3,4 ");
    host.Type("-insert " + file.string() + "\ry x 1.5 y 0.5 r 60 7,8 _explode l\r\r");
    std::stringstream text;
    WriteDump(MakeDump(host), text);
    std::string error;
    const auto back = ReadDump(text, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->entities, host.drawing().entities());
    ASSERT_EQ(back->blocks.size(), 1u);
    EXPECT_EQ(back->blocks, host.drawing().blocks());
    EXPECT_EQ(back->history, host.HistoryLines());

    // A definition cut short is no complete dump.
    std::string cut = text.str();
    const auto firstArc = cut.find("\narc ", cut.find("\nblock "));
    ASSERT_NE(firstArc, std::string::npos);
    cut.erase(firstArc + 1, cut.find('\n', firstArc + 1) - firstArc);
    std::istringstream cutStream(cut);
    EXPECT_FALSE(ReadDump(cutStream, &error));
    // So is one whose definition's records are interrupted by another record.
    std::string interrupted = text.str();
    const auto blockLine = interrupted.find("\nblock ");
    interrupted.insert(interrupted.find('\n', blockLine + 1) + 1, "history \"x\"\n");
    std::istringstream interruptedStream(interrupted);
    EXPECT_FALSE(ReadDump(interruptedStream, &error));
}


// LIST as the palette reads it: every selected object in selection order, a line with
// its "始点" and "終点" lines and their X=, Y=, Z= fields under the unit precision; other
// objects under their own names; Esc cancels, and an empty selection lists nothing.
// The four objects take 26 lines after the 4 of the command and its selection, more
// than the text window's 24: the listing waits once for Enter.
TEST(SimList, ListsEachSelectedObjectUnderTheUnitPrecision) {
    for (Edition edition : {Edition::LT2000, Edition::LT2006}) {
        SCOPED_TRACE(std::string(TextsFor(edition).name));
        SimHost host(edition);
        Drawing& d = host.drawing();
        d.AddLine({10, 20}, {30, 20.126});
        d.AddCircle({5, 5}, 2);
        d.AddArc({0, 0}, 3, 0, 90);
        d.AddPolyline({{0, 0}, {1, 1}}, false);
        d.unitPrecision = 2;
        host.Type("list all\r\r");
        EXPECT_EQ(host.CommandLineText(), std::string(TextsFor(edition).listPause));
        host.Type("\r");
        const auto& lines = host.HistoryLines();
        std::vector<std::string> listing;
        bool after = false;
        for (const std::string& line : lines) {
            if (line.find("list") != std::string::npos) after = true;
            else if (after) listing.push_back(line);
        }
        const auto count = [&](const std::string& marker) {
            return std::count_if(listing.begin(), listing.end(),
                                 [&](const std::string& l) { return l.find(marker) != std::string::npos; });
        };
        EXPECT_EQ(count("線分"), 1);
        EXPECT_EQ(count("画層"), 4) << "four objects";
        EXPECT_EQ(count("始点"), 1);
        EXPECT_EQ(count("終点"), 1);
        EXPECT_TRUE(HistoryHolds(host, "              始点 点, X=    10.00  Y=    20.00  Z=     0.00"));
        EXPECT_TRUE(HistoryHolds(host, "              終点 点, X=    30.00  Y=    20.13  Z=     0.00"));
        EXPECT_EQ(host.CommandLineText(), std::string(TextsFor(edition).idlePrompt));

        host.Type("list \x1b");
        EXPECT_NE(Back(host, 0).find(std::string(TextsFor(edition).cancel)), std::string::npos);
        const std::size_t before = host.HistoryLines().size();
        host.Type("list \r");
        for (std::size_t i = before; i < host.HistoryLines().size(); ++i)
            EXPECT_EQ(host.HistoryLines()[i].find("画層"), std::string::npos) << "nothing listed";
    }
}


// ELLIPSE as the bend types it: the arc by its centre, the first axis relative to the
// centre, the other axis's distance as a point relative to the first axis's end, and
// true angles from the first axis. The arc's ends lie at those angles.
TEST(SimEllipse, ArcByCentreWithTrueAngles) {
    SimHost host;
    host.Type("_ellipse\ra\rc\r0,0\r@12.2474487139159,0\r@4.3E-16,7.07106781186548\r-30\r30\r");
    ASSERT_EQ(host.drawing().entities().size(), 1u);
    const Entity& e = host.drawing().entities().back();
    ASSERT_EQ(e.kind, EntityKind::Ellipse);
    EXPECT_NEAR(e.points[1].x, 12.2474487139159, 1e-9);
    EXPECT_NEAR(e.ratio, std::sqrt(1.0 / 3.0), 1e-9);
    const auto at = [&](double parameter) {
        const double t = parameter * kDegree;
        return Point{e.points[1].x * std::cos(t), e.ratio * e.points[1].x * std::sin(t)};
    };
    // The points at -30 and 30 degrees of the isometric circle of radius 10.
    ExpectNear(at(e.startAngle), {10 * std::cos(30 * kDegree), -5}, "start");
    ExpectNear(at(e.endAngle), {10 * std::cos(30 * kDegree), 5}, "end");
    EXPECT_EQ(host.CommandLineText(), std::string(host.texts().idlePrompt));
    // An axis of no length is refused and asked again; Esc then leaves nothing.
    host.Type("_ellipse\ra\rc\r5,5\r@0,0\r\x1b");
    EXPECT_EQ(host.drawing().entities().size(), 1u);
}

// SCALE by reference about a base point, the new length a point's distance from the
// base; a factor of 0 is asked again.
TEST(SimScale, ByReferenceAndRefusingZero) {
    SimHost host;
    host.drawing().AddLine({10, 0}, {20, 0});
    host.Type("scale l  0,0 r 0,0 10,0 0,30 ");
    const Entity& e = host.drawing().entities().back();
    ExpectNear(e.points[0], {30, 0}, "start");
    ExpectNear(e.points[1], {60, 0}, "end");
    host.Type("scale l  0,0 0 ");
    EXPECT_TRUE(HistoryHolds(host, std::string(host.texts().scaleNotPositive)));
    host.Type("0.5 ");
    ExpectNear(host.drawing().entities().back().points[1], {30, 0}, "halved");
}

// COPY: one copy in LT 2000 and 2002; LT 2006 asks for more until Enter.
TEST(SimCopy, OneCopyOrUntilEnter) {
    for (Edition edition : {Edition::LT2000, Edition::LT2006}) {
        SimHost host(edition);
        host.drawing().AddLine({0, 0}, {1, 0});
        host.Type("select l  ");
        host.Type("copy pre  0,0 @10<90 ");
        EXPECT_EQ(host.drawing().entities().size(), 2u);
        ExpectNear(host.drawing().entities().back().points[0], {0, 10}, "copied");
        EXPECT_EQ(host.InCommand(), edition == Edition::LT2006) << "LT 2006 asks for another point";
        // Only LT 2006 needs the second blank; at the idle prompt it would repeat COPY.
        if (edition == Edition::LT2006) host.Type(" ");
        EXPECT_FALSE(host.InCommand());
        EXPECT_EQ(host.drawing().entities().size(), 2u);
    }
}

// DXFOUT to a file that is there asks before replacing it; the answer No writes nothing.
TEST(SimDxfOutReplace, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "tessavue-sim-replace.dxf";
    std::ofstream(file) << "mine";
    SimHost host;
    host.filedia = 0;
    host.drawing().AddLine({0, 0}, {1, 0});
    host.Type("dxfout " + file.string() + "\r");
    EXPECT_EQ(host.Waiting(), PromptKind::Text);
    host.Type("n ");
    EXPECT_FALSE(host.InCommand());
    {
        std::ifstream in(file);  // closed before the file is written again
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");
    }
    host.Type("dxfout " + file.string() + "\ry 16 ");
    EXPECT_GT(std::filesystem::file_size(file), 100u);
    std::filesystem::remove(file);
}


// DIMLINEAR from three typed points: one dimension object, horizontal or vertical as
// the points say, whose picture holds the dimension line, two extension lines, two
// filled arrowheads and the measured text; "select l" picks it and EXPLODE takes it
// apart into those pieces, which a DXF export and an uneven insertion carry.
TEST(SimDimLinear, OneObjectThatExplodesIntoItsPicture) {
    struct Case {
        const char* name;
        const char* typed;
        Point lineFrom, lineTo;
        const char* value;
    };
    const Case cases[] = {
        {"horizontal", "_dimlinear 100,200 140,200 120,210 ", {100, 210}, {140, 210}, "40.0000"},
        {"vertical", "_dimlinear 0,0 0,50 -10,25 ", {-10, 0}, {-10, 50}, "50.0000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimHost host;
        host.Type(c.typed);
        ASSERT_EQ(host.drawing().entities().size(), 1u);
        EXPECT_EQ(host.drawing().entities()[0].kind, EntityKind::Dimension);
        EXPECT_EQ(host.CommandLineText(), std::string(host.texts().idlePrompt));
        host.Type("select l  ");
        host.Type("explode pre  ");
        const auto& pieces = host.drawing().entities();
        int lines = 0, solids = 0, texts = 0;
        bool dimensionLine = false;
        for (const Entity& e : pieces) {
            lines += e.kind == EntityKind::Line;
            solids += e.kind == EntityKind::Solid;
            if (e.kind == EntityKind::Text) {
                ++texts;
                EXPECT_EQ(e.text, c.value);
            }
            if (e.kind == EntityKind::Line && e.points[0] == c.lineFrom && e.points[1] == c.lineTo) dimensionLine = true;
        }
        EXPECT_EQ(lines, 3);
        EXPECT_EQ(solids, 2);
        EXPECT_EQ(texts, 1);
        EXPECT_TRUE(dimensionLine);
        // Arrowheads point at the ends of the dimension line.
        for (const Entity& e : pieces)
            if (e.kind == EntityKind::Solid) {
                EXPECT_TRUE(e.points[0] == c.lineFrom || e.points[0] == c.lineTo);
            }

        // Through DXF and back, and through an insertion scaled unevenly and exploded.
        Drawing drawing;
        drawing.DefineBlock(Block{"dim", {0, 0}, pieces});
        drawing.AddInsert("dim", {0, 0}, std::sqrt(1.5), std::sqrt(0.5), 30);
        const auto file = ReadDxf(WriteDxf(drawing, std::nullopt, DxfVersion::R2000));
        ASSERT_TRUE(file);
        const Block* block = nullptr;
        for (const Block& b : file->blocks)
            if (b.name == "dim") block = &b;
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(block->entities.size(), pieces.size()) << "SOLIDs come back from the file";
        const Explosion explosion = ExplodeInsert(file->entities.back(), *block);
        EXPECT_TRUE(explosion.leftover.empty());
        for (const Entity& e : explosion.entities) {
            if (e.kind != EntityKind::Solid) continue;
            ASSERT_EQ(e.points.size(), 4u);
        }
    }
}


// ---- CIRCLE, ARC and PLINE ----------------------------------------------------------
// Each row types (and picks) one command and checks every history line it leaves, the
// objects it draws on the current layer and that "u" takes the whole command back.
// The geometry expected is worked out here from the points given.

// The centre of the circle through three points, where the two perpendicular
// bisectors meet (Cramer's rule on the points as given).
Point CentreThrough(Point a, Point b, Point c) {
    const double a1 = 2 * (b.x - a.x), b1 = 2 * (b.y - a.y);
    const double c1 = b.x * b.x + b.y * b.y - a.x * a.x - a.y * a.y;
    const double a2 = 2 * (c.x - a.x), b2 = 2 * (c.y - a.y);
    const double c2 = c.x * c.x + c.y * c.y - a.x * a.x - a.y * a.y;
    const double det = a1 * b2 - a2 * b1;
    return Point{(c1 * b2 - c2 * b1) / det, (a1 * c2 - a2 * c1) / det};
}

// The direction from `c` to `p` in degrees, within [0, 360).
double DegreesAt(Point c, Point p) {
    double d = std::atan2(p.y - c.y, p.x - c.x) / kDegree;
    return d < 0 ? d + 360 : d;
}

// The counter-clockwise turn from direction `from` to `to` (degrees), within (0, 360].
double CcwTurn(double from, double to) {
    const double t = std::fmod(to - from + 720.0, 360.0);
    return t == 0 ? 360.0 : t;
}

// The signed sweep (degrees) of the arc from `a` to `b` about `c` that passes `m`.
double SweepThrough(Point c, Point a, Point m, Point b) {
    const double whole = CcwTurn(DegreesAt(c, a), DegreesAt(c, b));
    return CcwTurn(DegreesAt(c, a), DegreesAt(c, m)) < whole ? whole : whole - 360.0;
}

// The arc that leaves `a` along `direction` (degrees) and ends at `b`: its centre
// lies on the normal at `a`, as far from `a` as from `b`. Returns the signed sweep.
double TangentSweep(Point a, double direction, Point b, Point* centreOut = nullptr) {
    const Point n{-std::sin(direction * kDegree), std::cos(direction * kDegree)};
    const Point ab{b.x - a.x, b.y - a.y};
    const double s = (ab.x * ab.x + ab.y * ab.y) / (2 * (n.x * ab.x + n.y * ab.y));
    const Point c{a.x + s * n.x, a.y + s * n.y};
    if (centreOut != nullptr) *centreOut = c;
    const double ccw = CcwTurn(DegreesAt(c, a), DegreesAt(c, b));
    return s > 0 ? ccw : ccw - 360.0;
}

double BulgeOf(double sweepDegrees) { return std::tan(sweepDegrees * kDegree / 4); }

constexpr const char* kLayer = "壁";

Entity CircleOf(Point c, double r) {
    Entity e;
    e.kind = EntityKind::Circle;
    e.layer = kLayer;
    e.points = {c};
    e.radius = r;
    return e;
}
Entity ArcOf(Point c, double r, double start, double end) {
    Entity e = CircleOf(c, r);
    e.kind = EntityKind::Arc;
    e.startAngle = start;
    e.endAngle = end;
    return e;
}
Entity PolylineOf(std::vector<Point> vertices, std::vector<double> bulges, bool closed) {
    Entity e;
    e.kind = EntityKind::Polyline;
    e.layer = kLayer;
    e.points = std::move(vertices);
    e.bulges = std::move(bulges);
    e.closed = closed;
    return e;
}
// The arc through three points as ARC keeps it: counter-clockwise.
Entity ArcThrough(Point a, Point m, Point b) {
    const Point c = CentreThrough(a, m, b);
    const bool ccw = SweepThrough(c, a, m, b) > 0;
    return ArcOf(c, std::hypot(a.x - c.x, a.y - c.y), DegreesAt(c, ccw ? a : b), DegreesAt(c, ccw ? b : a));
}

void ExpectSameEntity(const Entity& got, const Entity& want) {
    ASSERT_EQ(got.kind, want.kind);
    EXPECT_EQ(got.layer, want.layer);
    ASSERT_EQ(got.points.size(), want.points.size());
    for (std::size_t i = 0; i < got.points.size(); ++i) ExpectNear(got.points[i], want.points[i], "point");
    EXPECT_NEAR(got.radius, want.radius, kTolerance);
    if (want.kind == EntityKind::Arc) {
        EXPECT_NEAR(got.startAngle, want.startAngle, kTolerance);
        EXPECT_NEAR(got.endAngle, want.endAngle, kTolerance);
        EXPECT_GE(got.startAngle, 0.0);
        EXPECT_LT(got.endAngle, 360.0);
    }
    EXPECT_EQ(got.closed, want.closed);
    for (std::size_t i = 0; i < got.points.size(); ++i)
        EXPECT_NEAR(BulgeAt(got, i), BulgeAt(want, i), kTolerance) << "bulge " << i;
    EXPECT_LE(got.bulges.size(), got.points.size());
}

// What the user does: types bytes or picks a point.
struct Act {
    std::string typed;
    std::optional<Point> pick;
};
Act Typed(std::string text) { return Act{std::move(text), std::nullopt}; }
Act Pick(Point p) { return Act{"", p}; }

struct DrawRow {
    std::string name;
    Edition edition;
    std::string before;               // typed first, not checked: an earlier circle, LUPREC
    std::vector<Act> acts;
    std::vector<std::string> lines;   // every history line from the command's echo on
    std::string command;              // the name "u" undoes
    std::vector<Entity> drawn;
};

void RunDrawRows(const std::vector<DrawRow>& rows) {
    for (const DrawRow& row : rows) {
        SCOPED_TRACE(row.name);
        SimHost host(row.edition);
        host.drawing().AddLayer(kLayer);
        host.drawing().SetCurrentLayer(kLayer);
        host.Type(row.before);
        const Drawing before = host.drawing();
        const std::size_t firstLine = host.HistoryLines().size();
        const std::size_t firstEntity = before.entities().size();
        for (const Act& act : row.acts) {
            if (act.pick) {
                EXPECT_TRUE(host.Click(*act.pick)) << "a point prompt waits for the pick";
            } else {
                host.Type(act.typed);
            }
        }
        const auto lines = testing::LinesFrom(host, firstLine);
        EXPECT_EQ(lines, row.lines) << testing::Dump(lines);
        EXPECT_FALSE(host.InCommand());
        EXPECT_EQ(host.CommandLineText(), std::string(host.texts().idlePrompt));
        const auto& entities = host.drawing().entities();
        ASSERT_EQ(entities.size(), firstEntity + row.drawn.size());
        for (std::size_t i = 0; i < row.drawn.size(); ++i) {
            SCOPED_TRACE("object " + std::to_string(i));
            ExpectSameEntity(entities[firstEntity + i], row.drawn[i]);
        }
        if (!row.drawn.empty()) {
            EXPECT_EQ(host.drawing().LastVisibleEntity(), entities.back().id) << "the new object is the last";
        }
        host.Type("u ");
        EXPECT_EQ(testing::LineFromEnd(host, 0), std::string(host.texts().idlePrompt) + "u " + row.command);
        EXPECT_EQ(host.drawing().entities(), before.entities()) << "one undo step takes the whole command back";
    }
}

const std::string kCircleCentre = "円の中心点を指定 または [3点(3P)/2点(2P)/接、接、半(T)]: ";
const std::string kCircleRadius = "円の半径を指定 または [直径(D)]: ";
std::string CircleRadiusWith(const std::string& value) { return "円の半径を指定 または [直径(D)] <" + value + ">: "; }

TEST(SimCircle, CentreAndRadiusDiameterThreeAndTwoPointsPicksAndRefusals) {
    const Point c16{12.345678901234567, -7.654321098765432};
    const Point p1{3.141592653589793, 2.718281828459045};
    const Point p2{-1.4142135623730951, 9.869604401089358};
    const Point p3{7.0710678118654755, -4.123105625617661};
    const Point centre3 = CentreThrough(p1, p2, p3);
    const Point collinearCentre = CentreThrough({0, 0}, {1, 1}, {3, 0});
    const double pi = std::numbers::pi;
    const std::vector<DrawRow> rows = {
        {"typed centre and radius (LT 2000)", Edition::LT2000, "",
         {Typed("circle 12.345678901234567,-7.654321098765432 3.141592653589793 ")},
         {"ｺﾏﾝﾄﾞ: circle " + kCircleCentre + "12.345678901234567,-7.654321098765432", kCircleRadius + "3.141592653589793"},
         "CIRCLE", {CircleOf(c16, pi)}},
        {"Enter takes the last radius, shown under LUPREC (LT 2006)", Edition::LT2006,
         "circle 0,0 3.141592653589793 luprec 2 ",
         {Typed("c 1.5,2.5  ")},
         {"コマンド: c " + kCircleCentre + "1.5,2.5", CircleRadiusWith("3.14")},
         "C", {CircleOf({1.5, 2.5}, pi)}},
        {"diameter with the last one as its default (LT 2000)", Edition::LT2000, "circle 0,0 3.141592653589793 ",
         {Typed("circle 1.5,2.5 d 7.5 ")},
         {"ｺﾏﾝﾄﾞ: circle " + kCircleCentre + "1.5,2.5", CircleRadiusWith("3.1416") + "d", "円の直径を指定 <6.2832>: 7.5"},
         "CIRCLE", {CircleOf({1.5, 2.5}, 3.75)}},
        {"picked centre and radius: each prompt alone on its line (LT 2000)", Edition::LT2000, "",
         {Typed("circle "), Pick(c16), Pick({c16.x + 3, c16.y - 4})},
         {"ｺﾏﾝﾄﾞ: circle " + kCircleCentre, kCircleRadius},
         "CIRCLE", {CircleOf(c16, 5)}},
        {"a radius given as a point relative to the centre (LT 2006)", Edition::LT2006, "",
         {Typed("circle 1,1 @0.6,-0.8 ")},
         {"コマンド: circle " + kCircleCentre + "1,1", kCircleRadius + "@0.6,-0.8"},
         "CIRCLE", {CircleOf({1, 1}, 1)}},
        {"refusals, each asked again (LT 2006)", Edition::LT2006, "",
         {Typed("circle t abc 4,4 0 -2 xyz 2 ")},
         {"コマンド: circle " + kCircleCentre + "t", "このオプションには対応していません。", kCircleCentre + "abc",
          "点、またはオプション キーワードが必要です。", kCircleCentre + "4,4", kCircleRadius + "0",
          "値は 0 以外で正でなければなりません。", kCircleRadius + "-2", "値は 0 以外で正でなければなりません。",
          kCircleRadius + "xyz", "数値の距離、2 点目、またはオプション キーワードが必要です。", kCircleRadius + "2"},
         "CIRCLE", {CircleOf({4, 4}, 2)}},
        {"three points (LT 2000)", Edition::LT2000, "",
         {Typed("circle 3p 3.141592653589793,2.718281828459045 -1.4142135623730951,9.869604401089358 "
                "7.0710678118654755,-4.123105625617661 ")},
         {"ｺﾏﾝﾄﾞ: circle " + kCircleCentre + "3p", "円周上の 1 点目を指定: 3.141592653589793,2.718281828459045",
          "円周上の 2 点目を指定: -1.4142135623730951,9.869604401089358",
          "円周上の 3 点目を指定: 7.0710678118654755,-4.123105625617661"},
         "CIRCLE", {CircleOf(centre3, std::hypot(p1.x - centre3.x, p1.y - centre3.y))}},
        {"three points in a line are refused (LT 2006)", Edition::LT2006, "",
         {Typed("circle 3p 0,0 1,1 2.5,2.5 "), Pick({3, 0})},
         {"コマンド: circle " + kCircleCentre + "3p", "円周上の 1 点目を指定: 0,0", "円周上の 2 点目を指定: 1,1",
          "円周上の 3 点目を指定: 2.5,2.5", "3 点が一直線上にあるため作図できません。", "円周上の 3 点目を指定: "},
         "CIRCLE", {CircleOf(collinearCentre, std::hypot(collinearCentre.x, collinearCentre.y))}},
        {"two ends of a diameter (LT 2006)", Edition::LT2006, "",
         {Typed("circle 2p 1.5,2.25 @4,-3 ")},
         {"コマンド: circle " + kCircleCentre + "2p", "円の直径の 1 点目の端点を指定: 1.5,2.25",
          "円の直径の 2 点目の端点を指定: @4,-3"},
         "CIRCLE", {CircleOf({3.5, 0.75}, 2.5)}},
        {"a radius beyond the number range is refused (LT 2000)", Edition::LT2000, "",
         {Typed("circle 1e308,0 @1e308,0 2 ")},
         {"ｺﾏﾝﾄﾞ: circle " + kCircleCentre + "1e308,0", kCircleRadius + "@1e308,0", "無効です。", kCircleRadius + "2"},
         "CIRCLE", {CircleOf({1e308, 0}, 2)}},
        {"Esc before the radius draws nothing (LT 2000)", Edition::LT2000, "",
         {Typed("circle 5,5 \x1b")},
         {"ｺﾏﾝﾄﾞ: circle " + kCircleCentre + "5,5", kCircleRadius + "*ｷｬﾝｾﾙ*"},
         "CIRCLE", {}},
    };
    RunDrawRows(rows);
}

const std::string kArcStart = "円弧の始点を指定 または [中心(C)]: ";
const std::string kArcSecond = "円弧の 2 点目を指定 または [中心(C)/終点(E)]: ";
const std::string kArcEnd = "円弧の終点を指定: ";
const std::string kArcCentre = "円弧の中心を指定: ";
const std::string kArcEndOrAngle = "円弧の終点を指定 または [角度(A)/弦長(L)]: ";

TEST(SimArc, ThreePointsCentreFormsPicksAndRefusals) {
    const Point s{12.345678901234567, 3.141592653589793};
    const Point m{7.0710678118654755, 9.869604401089358};
    const Point e{-2.718281828459045, 4.123105625617661};
    const Point c{1.4142135623730951, 1.7320508075688772};
    const Point cs{c.x - 5.5, c.y + 0.25};
    const Point ce{cs.x, cs.y - 9};
    const std::vector<DrawRow> rows = {
        {"three typed points, counter-clockwise (LT 2000)", Edition::LT2000, "",
         {Typed("arc 12.345678901234567,3.141592653589793 7.0710678118654755,9.869604401089358 "
                "-2.718281828459045,4.123105625617661 ")},
         {"ｺﾏﾝﾄﾞ: arc " + kArcStart + "12.345678901234567,3.141592653589793",
          kArcSecond + "7.0710678118654755,9.869604401089358", kArcEnd + "-2.718281828459045,4.123105625617661"},
         "ARC", {ArcThrough(s, m, e)}},
        {"three picked points, clockwise: the same arc (LT 2006)", Edition::LT2006, "",
         {Typed("a "), Pick(e), Pick(m), Pick(s)},
         {"コマンド: a " + kArcStart, kArcSecond, kArcEnd},
         "A", {ArcThrough(s, m, e)}},
        {"centre first, relative points (LT 2000)", Edition::LT2000, "",
         {Typed("arc c 1.4142135623730951,1.7320508075688772 @-5.5,0.25 @0,-9 ")},
         {"ｺﾏﾝﾄﾞ: arc " + kArcStart + "c", kArcCentre + "1.4142135623730951,1.7320508075688772",
          "円弧の始点を指定: @-5.5,0.25", kArcEndOrAngle + "@0,-9"},
         "ARC", {ArcOf(c, std::hypot(5.5, 0.25), DegreesAt(c, cs), DegreesAt(c, ce))}},
        {"start, centre, end; the angle option refused (LT 2006)", Edition::LT2006, "",
         {Typed("arc 10,0 c 0,0 a -1,-1 ")},
         {"コマンド: arc " + kArcStart + "10,0", kArcSecond + "c", kArcCentre + "0,0", kArcEndOrAngle + "a",
          "このオプションには対応していません。", kArcEndOrAngle + "-1,-1"},
         "ARC", {ArcOf({0, 0}, 10, 0, 225)}},
        {"start, end, centre (LT 2000)", Edition::LT2000, "",
         {Typed("arc 10,0 e 0,10 0,0 ")},
         {"ｺﾏﾝﾄﾞ: arc " + kArcStart + "10,0", kArcSecond + "e", kArcEnd + "0,10",
          "円弧の中心を指定 または [角度(A)/方向(D)/半径(R)]: 0,0"},
         "ARC", {ArcOf({0, 0}, 10, 0, 90)}},
        {"text for a point and three points in a line are refused (LT 2006)", Edition::LT2006, "",
         {Typed("arc 0,0 xyz 1,1 2.5,2.5 3,0 ")},
         {"コマンド: arc " + kArcStart + "0,0", kArcSecond + "xyz", "点、またはオプション キーワードが必要です。",
          kArcSecond + "1,1", kArcEnd + "2.5,2.5", "3 点が一直線上にあるため作図できません。", kArcEnd + "3,0"},
         "ARC", {ArcThrough({0, 0}, {1, 1}, {3, 0})}},
        {"Esc before the end draws nothing (LT 2000)", Edition::LT2000, "",
         {Typed("arc 0,0 5,5 \x1b")},
         {"ｺﾏﾝﾄﾞ: arc " + kArcStart + "0,0", kArcSecond + "5,5", kArcEnd + "*ｷｬﾝｾﾙ*"},
         "ARC", {}},
    };
    RunDrawRows(rows);
}

const std::string kPlineStart = "始点を指定: ";
const std::string kPlineNext = "次の点を指定 または [円弧(A)/半幅(H)/長さ(L)/元に戻す(U)/幅(W)]: ";
const std::string kPlineNextClose = "次の点を指定 または [円弧(A)/閉じる(C)/半幅(H)/長さ(L)/元に戻す(U)/幅(W)]: ";
const std::string kPlineArc =
    "円弧の終点を指定 または [角度(A)/中心(CE)/方向(D)/半幅(H)/直線(L)/半径(R)/2 点目(S)/元に戻す(U)/幅(W)]: ";
const std::string kPlineArcClose =
    "円弧の終点を指定 または [角度(A)/中心(CE)/閉じる(CL)/方向(D)/半幅(H)/直線(L)/半径(R)/2 点目(S)/元に戻す(U)/幅(W)]: ";

TEST(SimPline, OnePolylineOfLinesAndArcs) {
    // Lines, a tangent arc, a line along the arc's end by its length, an arc through a
    // second point.
    const Point p0{1.2345678901234567, 2.3456789012345678};
    const Point p1{11.358024679135802, 2.8456789012345678};
    const Point p2{14.691358024691358, 7.290123456790123};
    const double lineDirection = std::atan2(p1.y - p0.y, p1.x - p0.x) / kDegree;
    Point tangentCentre;
    const double tangentSweep = TangentSweep(p1, lineDirection, p2, &tangentCentre);
    // The arc ends square to its radius, turned the way it runs.
    const double endDirection = DegreesAt(tangentCentre, p2) + (tangentSweep > 0 ? 90 : -90);
    const Point p3{p2.x + 2.5 * std::cos(endDirection * kDegree), p2.y + 2.5 * std::sin(endDirection * kDegree)};
    const Point mid{12.0987654321098765, 12.345678901234567};
    const Point p4{6.543210987654321, 9.876543210987654};
    const double throughSweep = SweepThrough(CentreThrough(p3, mid, p4), p3, mid, p4);
    // An arc about a centre, counter-clockwise to the direction of the point given.
    const Point q0{10.123456789012345, 2.718281828459045};
    const Point qc{3.3333333333333335, -1.4142135623730951};
    const Point qd{-2.5, 6.25};
    const double qr = std::hypot(q0.x - qc.x, q0.y - qc.y);
    const double qTo = DegreesAt(qc, qd);
    const Point q1{qc.x + qr * std::cos(qTo * kDegree), qc.y + qr * std::sin(qTo * kDegree)};
    const double qSweep = CcwTurn(DegreesAt(qc, q0), qTo);
    const Point q2{q1.x + 4, q1.y - 1.5};
    // The closing arc from (0,10), leaving to -X after a quarter about the origin,
    // back to (10,0): three quarters of the same circle.
    const double closing = TangentSweep({0, 10}, 180, {10, 0});
    EXPECT_NEAR(closing, 270, kTolerance) << "the test's own geometry";

    const std::string echo2000 = "ｺﾏﾝﾄﾞ: pline " + kPlineStart;
    const std::string echo2006 = "コマンド: pline " + kPlineStart;
    const std::string width = "現在の線幅は 0.0000";
    const std::vector<DrawRow> rows = {
        {"lines, a segment undone, closed (LT 2000)", Edition::LT2000, "",
         {Typed("pline 0,0 10,0 20,0 u 10,10 c ")},
         {echo2000 + "0,0", width, kPlineNext + "10,0", kPlineNextClose + "20,0", kPlineNextClose + "u",
          kPlineNextClose + "10,10", kPlineNextClose + "c"},
         "PLINE", {PolylineOf({{0, 0}, {10, 0}, {10, 10}}, {}, true)}},
        {"tangent arc, length along it, arc by a second point (LT 2006)", Edition::LT2006, "",
         {Typed("pline 1.2345678901234567,2.3456789012345678 11.358024679135802,2.8456789012345678 a "
                "14.691358024691358,7.290123456790123 l l 2.5 a s 12.0987654321098765,12.345678901234567 "
                "6.543210987654321,9.876543210987654  ")},
         {echo2006 + "1.2345678901234567,2.3456789012345678", width, kPlineNext + "11.358024679135802,2.8456789012345678",
          kPlineNextClose + "a", kPlineArcClose + "14.691358024691358,7.290123456790123", kPlineArcClose + "l",
          kPlineNextClose + "l", "線分の長さを指定: 2.5", kPlineNextClose + "a", kPlineArcClose + "s",
          "円弧の 2 点目を指定: 12.0987654321098765,12.345678901234567", "円弧の終点を指定: 6.543210987654321,9.876543210987654",
          kPlineArcClose},
         "PLINE",
         {PolylineOf({p0, p1, p2, p3, p4}, {0, BulgeOf(tangentSweep), 0, BulgeOf(throughSweep), 0}, false)}},
        {"first segment an arc about a centre, widths refused, closed by an arc (LT 2000)", Edition::LT2000, "",
         {Typed("pl 10,0 a ce 0,0 0,5 w cl ")},
         {"ｺﾏﾝﾄﾞ: pl " + kPlineStart + "10,0", "現在の線幅は 0.0000", kPlineNext + "a", kPlineArc + "ce", "円弧の中心点を指定: 0,0",
          kArcEndOrAngle + "0,5", kPlineArcClose + "w", "このｵﾌﾟｼｮﾝには対応していません。", kPlineArcClose + "cl"},
         "PL", {PolylineOf({{10, 0}, {0, 10}}, {BulgeOf(90), BulgeOf(closing)}, true)}},
        {"picked points, an arc about a centre, Esc keeps what was drawn (LT 2006)", Edition::LT2006, "",
         {Typed("pline "), Pick(q0), Typed("a ce "), Pick(qc), Pick(qd), Typed("l "), Pick(q2), Typed("\x1b")},
         {echo2006, width, kPlineNext + "a", kPlineArc + "ce", "円弧の中心点を指定: ", kArcEndOrAngle,
          kPlineArcClose + "l", kPlineNextClose, kPlineNextClose + "*キャンセル*"},
         "PLINE", {PolylineOf({q0, q1, q2}, {BulgeOf(qSweep), 0}, false)}},
        {"first segment a tangent arc, leaving along +X; undone past the start and drawn again (LT 2000)",
         Edition::LT2000, "",
         {Typed("pline 1,2 a 4.141592653589793,4.718281828459045 u u 7.0710678118654755,-0.5  ")},
         {echo2000 + "1,2", width, kPlineNext + "a", kPlineArc + "4.141592653589793,4.718281828459045", kPlineArcClose + "u",
          kPlineArc + "u", "すべてのｾｸﾞﾒﾝﾄが元に戻されました。", kPlineArc + "7.0710678118654755,-0.5", kPlineArcClose},
         "PLINE", {PolylineOf({{1, 2}, {7.0710678118654755, -0.5}}, {BulgeOf(TangentSweep({1, 2}, 0, {7.0710678118654755, -0.5})), 0}, false)}},
        {"a point beyond the number range is refused (LT 2006)", Edition::LT2006, "",
         {Typed("pline 1e308,0 @1e308,0 0,0  ")},
         {echo2006 + "1e308,0", width, kPlineNext + "@1e308,0", "無効です。", kPlineNext + "0,0", kPlineNextClose},
         "PLINE", {PolylineOf({{1e308, 0}, {0, 0}}, {}, false)}},
        {"closed after one segment, as AutoCAD allows with two points (LT 2006)", Edition::LT2006, "",
         {Typed("pline 2.5,-1.25 @7.5,3.75 c ")},
         {echo2006 + "2.5,-1.25", width, kPlineNext + "@7.5,3.75", kPlineNextClose + "c"},
         "PLINE", {PolylineOf({{2.5, -1.25}, {10, 2.5}}, {}, true)}},
        {"Esc after the start point draws nothing (LT 2000)", Edition::LT2000, "",
         {Typed("pline 3,4 \x1b")},
         {echo2000 + "3,4", width, kPlineNext + "*ｷｬﾝｾﾙ*"},
         "PLINE", {}},
        {"text refused; a second point in line with the ends refused (LT 2006)", Edition::LT2006, "",
         {Typed("pline 0,0 abc a s 1,1 2,2 3,0  ")},
         {echo2006 + "0,0", width, kPlineNext + "abc", "点、またはオプション キーワードが必要です。", kPlineNext + "a",
          kPlineArc + "s", "円弧の 2 点目を指定: 1,1", "円弧の終点を指定: 2,2", "3 点が一直線上にあるため作図できません。",
          "円弧の終点を指定: 3,0", kPlineArcClose},
         "PLINE",
         {PolylineOf({{0, 0}, {3, 0}}, {BulgeOf(SweepThrough(CentreThrough({0, 0}, {1, 1}, {3, 0}), {0, 0}, {1, 1}, {3, 0})), 0},
                     false)}},
    };
    RunDrawRows(rows);
}


// What the palette's selection asks of the new objects: a pick on the curve (on the
// arc of a polyline, away from its chord) selects it, and LIST shows it under its
// own name with its centre, radius, angles or vertices.
TEST(SimCurves, PickedOnTheCurveAndListed) {
    struct Row {
        const char* typed;
        Point onCurve;
        std::vector<std::string> listed;  // the listing's lines after the handle line
    };
    const std::vector<Row> rows = {
        {"circle 1.5,2.5 3.141592653589793 ", {1.5, 2.5 + std::numbers::pi},
         {"            中心点 点, X=   1.5000  Y=   2.5000  Z=   0.0000", "            半径    3.1416",
          "            円周   19.7392", "            面積   31.0063"}},
        {"arc c 0,0 10,0 0,5 ", {10 * std::cos(45 * kDegree), 10 * std::sin(45 * kDegree)},
         {"            中心点 点, X=   0.0000  Y=   0.0000  Z=   0.0000", "            半径   10.0000",
          "            開始角度 0", "            終了角度 90"}},
        {"pline 20,0 a s 25,5 30,0  ", {25, 5},
         {"              位置 点, X=  20.0000  Y=   0.0000  Z=   0.0000",
          "              位置 点, X=  30.0000  Y=   0.0000  Z=   0.0000"}},
    };
    const char* names[] = {"円", "円弧", "ﾎﾟﾘﾗｲﾝ"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.typed);
        SimHost host(Edition::LT2000);
        host.drawing().AddLine({-100, -100}, {-90, -100});  // something else to miss
        host.Type(row.typed);
        host.Type("select ");
        ASSERT_TRUE(host.Click(row.onCurve));
        host.Type(" ");
        ASSERT_EQ(host.PreviousSelection().size(), 1u);
        EXPECT_EQ(host.PreviousSelection()[0], host.drawing().entities().back().id);
        const std::size_t first = host.HistoryLines().size();
        host.Type("list p  ");
        const auto lines = testing::LinesFrom(host, first);
        ASSERT_GE(lines.size(), row.listed.size() + 3) << testing::Dump(lines);
        EXPECT_EQ(testing::CountEqual(lines, "                  " + std::string(names[i]) + "      画層: 0"), 1)
            << testing::Dump(lines);
        const std::vector<std::string> tail(lines.end() - static_cast<std::ptrdiff_t>(row.listed.size()), lines.end());
        EXPECT_EQ(tail, row.listed) << testing::Dump(lines);
    }
}

}  // namespace
}  // namespace tessavue::sim
