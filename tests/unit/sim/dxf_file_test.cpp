// The stand-in's DXF writer and reader, and its dxfout and filedia commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/dxf_file.h"
#include "core/host.h"
#include "core/transform.h"
#include "dxf_text.h"

namespace tessavue::sim {
namespace {

// Every kind the stand-in draws, on two layers, one of them Japanese.
Drawing Sample() {
    Drawing d;
    d.AddLayer("壁");
    d.AddLine({1, 2}, {3.25, -4});
    d.SetCurrentLayer("壁");
    d.AddCircle({110, 220}, 7.5);
    d.AddArc({0, 0}, 3, 350, 10);
    d.AddText({5, 6}, 2.5, 30, "寸法 A");
    d.AddPolyline({{0, 0}, {10, 0}, {10, 5}}, true);
    d.AddEllipse({1, 1}, {4, 0}, 0.5);
    return d;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = text.find("\r\n"); i != std::string::npos; i = text.find("\r\n", start)) {
        out.push_back(text.substr(start, i - start));
        start = i + 2;
    }
    return out;
}

std::size_t CountLine(const std::vector<std::string>& lines, const std::string& what) {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), what));
}

TEST(SimDxfWriter, R12HasItsHeaderTablesAndOldStylePolylines) {
    const auto lines = Lines(WriteDxf(Sample(), std::nullopt, DxfVersion::R12));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.back(), "EOF");
    const auto ver = std::find(lines.begin(), lines.end(), "$ACADVER");
    ASSERT_NE(ver, lines.end());
    EXPECT_EQ(*(ver + 2), "AC1009");
    const auto seed = std::find(lines.begin(), lines.end(), "$HANDSEED");
    ASSERT_NE(seed, lines.end());
    EXPECT_EQ(*(seed + 1), "  5");
    EXPECT_EQ(*(seed + 3), "  9") << "another variable follows the seed";
    for (const char* section : {"HEADER", "TABLES", "BLOCKS", "ENTITIES"}) EXPECT_EQ(CountLine(lines, section), 1u);
    // The table entry, $CLAYER, circle, arc, text, the polyline with its three vertices
    // and SEQEND, the ellipse's polyline with 72 vertices and SEQEND.
    EXPECT_EQ(CountLine(lines, "壁"), 2u + 3u + 5u + 74u);
    EXPECT_EQ(CountLine(lines, "LWPOLYLINE"), 0u);
    EXPECT_EQ(CountLine(lines, "ELLIPSE"), 0u);
    EXPECT_EQ(CountLine(lines, "POLYLINE"), 2u) << "the polyline and the ellipse";
    EXPECT_EQ(CountLine(lines, "SEQEND"), 2u);
    EXPECT_EQ(CountLine(lines, "VERTEX"), 3u + 72u);
    EXPECT_EQ(CountLine(lines, "AcDbEntity"), 0u) << "R12 has no subclass markers";
}

TEST(SimDxfWriter, R2000HasHandlesSubclassesAndLightweightPolylines) {
    const std::string text = WriteDxf(Sample(), std::nullopt, DxfVersion::R2000);
    const auto lines = Lines(text);
    const auto ver = std::find(lines.begin(), lines.end(), "$ACADVER");
    EXPECT_EQ(*(ver + 2), "AC1015");
    const auto poly = std::find(lines.begin(), lines.end(), "LWPOLYLINE");
    ASSERT_NE(poly, lines.end());
    const auto count = std::find(poly, lines.end(), " 90");
    ASSERT_NE(count, lines.end());
    EXPECT_EQ(*(count + 1), "3");
    EXPECT_EQ(CountLine(lines, "AcDbEntity"), 6u + 4u) << "six entities, two BLOCK and two ENDBLK";
    EXPECT_EQ(CountLine(lines, "ELLIPSE"), 1u);
    // Every handle is below the seed and none is used twice.
    const auto seed = std::find(lines.begin(), lines.end(), "$HANDSEED");
    const unsigned long seedValue = std::stoul(*(seed + 2), nullptr, 16);
    std::vector<unsigned long> handles;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] == "  5" || lines[i] == "105") {
            if (i > 0 && lines[i - 1] == "$HANDSEED") continue;
            handles.push_back(std::stoul(lines[i + 1], nullptr, 16));
        }
    }
    ASSERT_FALSE(handles.empty());
    for (unsigned long h : handles) EXPECT_LT(h, seedValue);
    std::sort(handles.begin(), handles.end());
    EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
}

TEST(SimDxfWriter, OnlyTheChosenEntitiesAndTheAccuracyAsked) {
    const Drawing d = Sample();
    const std::vector<int> ids = {d.entities()[1].id};
    const auto lines = Lines(WriteDxf(d, ids, DxfVersion::R12, 2));
    EXPECT_EQ(CountLine(lines, "CIRCLE"), 1u);
    EXPECT_EQ(CountLine(lines, "LINE"), 0u);
    EXPECT_EQ(CountLine(lines, "7.5"), 1u);
    EXPECT_EQ(CountLine(lines, "110.0"), 1u);
    EXPECT_EQ(DxfEntityCount(d, ids), 1u);
}

TEST(SimDxfReader, ReadsBackWhatItWroteInBothVersions) {
    const Drawing d = Sample();
    for (DxfVersion v : {DxfVersion::R12, DxfVersion::R2000}) {
        std::string error;
        const auto file = ReadDxf(WriteDxf(d, std::nullopt, v), &error);
        ASSERT_TRUE(file) << error;
        ASSERT_EQ(file->entities.size(), d.entities().size());
        ASSERT_EQ(file->layers.size(), 2u);
        EXPECT_EQ(file->layers[1].name, "壁");
        for (std::size_t i = 0; i < 5; ++i) {
            Entity expected = d.entities()[i];
            expected.id = 0;
            EXPECT_EQ(file->entities[i], expected) << i;
        }
        const Entity& ellipse = file->entities[5];
        if (v == DxfVersion::R2000) {
            EXPECT_EQ(ellipse.kind, EntityKind::Ellipse);
            EXPECT_NEAR(ellipse.endAngle, 360, 1e-9);
        } else {
            EXPECT_EQ(ellipse.kind, EntityKind::Polyline);
            EXPECT_TRUE(ellipse.closed);
        }
    }
}

TEST(SimDxfBlocks, DefinitionsAndReferencesRoundTripInBothVersions) {
    Drawing d;
    Block part{"部品", {1, 1}, {}};
    Entity edge;
    edge.kind = EntityKind::Line;
    edge.points = {{0, 0}, {4, 0}};
    Entity hole;
    hole.kind = EntityKind::Circle;
    hole.points = {{2, 1}};
    hole.radius = 0.5;
    part.entities = {edge, hole};
    d.DefineBlock(part);
    d.AddLine({-1, -1}, {1, 1});
    d.AddInsert("部品", {10, 20}, 2, 0.5, 30);
    for (DxfVersion v : {DxfVersion::R12, DxfVersion::R2000}) {
        const std::string text = WriteDxf(d, std::nullopt, v);
        const auto lines = Lines(text);
        EXPECT_EQ(CountLine(lines, "INSERT"), 1u);
        // The block's line sits in BLOCKS, before the ENTITIES line.
        const auto entities = std::find(lines.begin(), lines.end(), "ENTITIES");
        EXPECT_EQ(std::count(lines.begin(), entities, std::string("LINE")), 1);
        std::string error;
        const auto file = ReadDxf(text, &error);
        ASSERT_TRUE(file) << error;
        ASSERT_EQ(file->blocks.size(), 1u) << "the 2000 layouts are no blocks of the drawing";
        EXPECT_EQ(file->blocks[0], part);
        ASSERT_EQ(file->entities.size(), 2u);
        Entity expected = d.entities()[1];
        expected.id = 0;
        EXPECT_EQ(file->entities[1], expected);
    }
}

TEST(SimDxfReader, RefusesWhatIsNoDxf) {
    std::string error;
    EXPECT_FALSE(ReadDxf("  0\r\nSECTION\r\n", &error));
    EXPECT_FALSE(ReadDxf("xx\r\nSECTION\r\n  0\r\nEOF\r\n", &error));
    EXPECT_NE(error.find("group code"), std::string::npos);
    EXPECT_FALSE(ReadDxf("  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\nabc\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n", &error));
    EXPECT_NE(error.find("no number"), std::string::npos);
}

// Layer states and the unit settings go out in the file and come back: off as the
// colour's sign, frozen as flag 1, $LUNITS and $LUPREC in both versions, $DIMDEC only in
// 2000 (R12 had none).
TEST(SimDxfSettings, LayerStatesAndUnitsRoundTripInBothVersions) {
    Drawing d;
    d.AddLayer("OFF").color = 1;
    d.FindLayer("OFF")->on = false;
    d.AddLayer("FROZEN").color = 5;
    d.FindLayer("FROZEN")->frozen = true;
    Layer& both = d.AddLayer("壁 2");
    both.color = 250;
    both.on = false;
    both.frozen = true;
    d.linearUnits = 4;
    d.unitPrecision = 8;
    d.dimensionDecimals = 1;
    d.AddLine({0, 0}, {1, 0});
    for (DxfVersion v : {DxfVersion::R12, DxfVersion::R2000}) {
        const bool r2000 = v == DxfVersion::R2000;
        SCOPED_TRACE(r2000 ? "2000" : "R12");
        const std::string text = WriteDxf(d, std::nullopt, v);
        // The pairs as written: the layer's name, then its flags and its colour.
        const auto lines = Lines(text);
        const auto off = std::find(lines.begin(), lines.end(), "OFF");
        ASSERT_NE(off, lines.end());
        EXPECT_EQ(std::vector<std::string>(off + 1, off + 5), (std::vector<std::string>{" 70", "0", " 62", "-1"}));
        const auto frozen = std::find(lines.begin(), lines.end(), "FROZEN");
        ASSERT_NE(frozen, lines.end());
        EXPECT_EQ(std::vector<std::string>(frozen + 1, frozen + 5), (std::vector<std::string>{" 70", "1", " 62", "5"}));
        EXPECT_EQ(CountLine(lines, "$DIMDEC"), r2000 ? 1u : 0u);

        std::string error;
        const auto file = ReadDxf(text, &error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(file->layers, d.layers());
        EXPECT_EQ(file->linearUnits, 4);
        EXPECT_EQ(file->unitPrecision, 8);
        EXPECT_EQ(file->dimensionDecimals, r2000 ? std::optional<int>(1) : std::nullopt);
        Drawing loaded;
        LoadDxfInto(loaded, *file);
        EXPECT_EQ(loaded.layers(), d.layers());
        EXPECT_EQ(loaded.linearUnits, 4);
        EXPECT_EQ(loaded.unitPrecision, 8);
        EXPECT_EQ(loaded.dimensionDecimals, r2000 ? 1 : 4) << "R12 leaves DIMDEC as it was";
    }
}

// A starting drawing from another program: its header's settings are taken when they
// are in range (AutoCAD would not have written others), its layers' states as coded.
TEST(SimDxfSettings, AStartingDrawingsHeaderAndLayers) {
    struct Row {
        const char* name;
        std::vector<std::pair<int, std::string>> header;  // after $ACADVER
        int lunits, luprec, dimdec;
    };
    const Row rows[] = {
        {"all three, padded as some writers do", {{9, "$LUNITS"}, {70, "     3"}, {9, "$LUPREC"}, {70, "2"}, {9, "$DIMDEC"}, {70, "6"}}, 3, 2, 6},
        {"none", {}, 2, 4, 4},
        {"out of range", {{9, "$LUNITS"}, {70, "6"}, {9, "$LUPREC"}, {70, "-1"}, {9, "$DIMDEC"}, {70, "9"}}, 2, 4, 4},
        {"a point variable between them", {{9, "$LUPREC"}, {70, "0"}, {9, "$INSBASE"}, {10, "0.0"}, {20, "0.0"}, {9, "$LUNITS"}, {70, "5"}}, 5, 0, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::DxfText text;
        text.Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1015");
        for (const auto& [code, value] : row.header) text.Pair(code, value);
        text.End().Begin("TABLES").Pair(0, "TABLE").Pair(2, "LAYER").Pair(70, "3");
        text.Pair(0, "LAYER").Pair(2, "0").Pair(70, "0").Pair(62, "7").Pair(6, "CONTINUOUS");
        text.Pair(0, "LAYER").Pair(2, "Hidden").Pair(70, "64").Pair(62, "-3").Pair(6, "CONTINUOUS");
        text.Pair(0, "LAYER").Pair(2, "Frozen").Pair(70, "65").Pair(62, "2").Pair(6, "CONTINUOUS");
        text.Pair(0, "ENDTAB").End().Begin("ENTITIES").LineEntity(0, 0, 1, 1, "Hidden").End().Eof();
        std::string error;
        const auto file = ReadDxf(text.str(), &error);
        ASSERT_TRUE(file) << error;
        Drawing d;
        LoadDxfInto(d, *file);
        EXPECT_EQ(d.linearUnits, row.lunits);
        EXPECT_EQ(d.unitPrecision, row.luprec);
        EXPECT_EQ(d.dimensionDecimals, row.dimdec);
        // Flag 64 (referenced) is no state of ours; flag 1 in 65 is frozen.
        EXPECT_EQ(d.layers(), (std::vector<Layer>{{"0", 7, true, false}, {"Hidden", 3, false, false}, {"Frozen", 2, true, true}}));
    }
}

// ---- the commands ----------------------------------------------------------------------

class SimDxfOut : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("tessavue-simdxf-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
        host.drawing() = Sample();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool Idle() const { return host.CommandLineText() == host.texts().idlePrompt; }
    std::filesystem::path folder;
    SimHost host;
};

TEST_F(SimDxfOut, FiledialogOneOpensTheDialogInstead) {
    host.Type("dxfout ");
    EXPECT_TRUE(Idle());
    EXPECT_EQ(host.HistoryLines().back(), host.texts().dxfoutDialog);
    host.Type("filedia ");
    EXPECT_NE(host.CommandLineText().find("FILEDIA"), std::string::npos);
    host.Type("2 ");
    EXPECT_EQ(host.HistoryLines().back(), "0 から 1 の整数が必要です。");
    host.Type("0 ");
    EXPECT_EQ(host.filedia, 0);
    EXPECT_TRUE(Idle());
}

TEST_F(SimDxfOut, ObjectsVersionAndAccuracyAsTheCommandLineGivesThem) {
    host.filedia = 0;
    host.SetPreviousSelection({host.drawing().entities()[1].id, host.drawing().entities()[4].id});
    const auto path = folder / "a b.dxf";
    host.Type("dxfout " + path.string() + "\r");
    // A blank in the name did not end it; the accuracy prompt offers the options.
    EXPECT_NE(host.CommandLineText().find("精度として"), std::string::npos);
    EXPECT_NE(host.CommandLineText().find("(O)"), std::string::npos);
    host.Type("o p  ");
    EXPECT_NE(host.CommandLineText().find("精度として"), std::string::npos);
    EXPECT_EQ(host.CommandLineText().find("(O)"), std::string::npos);
    host.Type("v r12 ");
    EXPECT_NE(host.CommandLineText().find("精度として"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path)) << "only the accuracy answer writes";
    host.Type("16 ");
    EXPECT_TRUE(Idle());
    ASSERT_TRUE(std::filesystem::exists(path));
    const auto file = ReadDxf(Read(path));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->entities.size(), 2u);
    EXPECT_EQ(file->entities[0].kind, EntityKind::Circle);
    EXPECT_EQ(file->entities[1].kind, EntityKind::Polyline);
    EXPECT_NE(Read(path).find("AC1009"), std::string::npos);
    EXPECT_EQ(host.writtenFiles, std::vector<std::filesystem::path>{path});
}

TEST_F(SimDxfOut, WholeDrawingIn2000AndBadAnswersAskAgain) {
    host.filedia = 0;
    const auto path = folder / "all";
    host.Type("dxfout " + path.string() + "\rv 2004 2000 17 ");
    EXPECT_NE(host.CommandLineText().find("精度として"), std::string::npos);
    const auto& history = host.HistoryLines();
    EXPECT_EQ(std::count(history.begin(), history.end(), std::string(host.texts().dxfoutBadAnswer)), 2);
    host.Type("8 ");
    EXPECT_TRUE(Idle());
    const auto written = folder / "all.dxf";  // the extension is added
    const auto file = ReadDxf(Read(written));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->entities.size(), Sample().entities().size());
    EXPECT_NE(Read(written).find("AC1015"), std::string::npos);
}

TEST_F(SimDxfOut, EscapeLeavesNoFile) {
    host.filedia = 0;
    const auto path = folder / "c.dxf";
    host.Type("dxfout " + path.string() + "\ro p ");
    host.Type("\x1b");
    EXPECT_TRUE(Idle());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SimDxfLoad, StartsADrawingFromAFile) {
    const auto path = std::filesystem::temp_directory_path() / ("tessavue-simload-" + std::to_string(std::random_device{}()) + ".dxf");
    {
        std::ofstream out(path, std::ios::binary);
        out << WriteDxf(Sample(), std::nullopt, DxfVersion::R2000);
    }
    Drawing d;
    std::string error;
    ASSERT_TRUE(LoadDxfFile(d, path, &error)) << error;
    EXPECT_EQ(d.entities().size(), 6u);
    EXPECT_NE(d.FindLayer("壁"), nullptr);
    EXPECT_EQ(d.entities()[0].id, 1);
    std::filesystem::remove(path);
    EXPECT_FALSE(LoadDxfFile(d, path, &error));
}

// ---- what files of other programs hold -------------------------------------------------

// An entity as the reader must leave it; numbers within 1e-12 of the hand-worked ones.
struct Kept {
    EntityKind kind;
    std::vector<Point> points;
    double radius = 0, start = 0, end = 0, ratio = 1;
    bool closed = false;
    std::vector<double> bulges = {};
    double normalZ = 1;
    std::string block = "";
};

std::string Show(const Entity& e) {
    std::ostringstream out;
    out << "kind " << static_cast<int>(e.kind) << " points";
    for (const Point& p : e.points) out << " (" << p.x << ", " << p.y << ")";
    out << " radius " << e.radius << " angles " << e.startAngle << ".." << e.endAngle << " ratio " << e.ratio
        << (e.closed ? " closed" : "") << " normalZ " << e.normalZ << " block '" << e.block << "'";
    return out.str();
}

bool Matches(const Entity& e, const Kept& k) {
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-12 * std::max(1.0, std::abs(b)); };
    if (e.kind != k.kind || e.points.size() != k.points.size() || e.closed != k.closed || e.block != k.block ||
        e.normalZ != k.normalZ || e.bulges.size() != k.bulges.size())
        return false;
    for (std::size_t i = 0; i < k.points.size(); ++i)
        if (!near(e.points[i].x, k.points[i].x) || !near(e.points[i].y, k.points[i].y)) return false;
    for (std::size_t i = 0; i < k.bulges.size(); ++i)
        if (!near(e.bulges[i], k.bulges[i])) return false;
    return near(e.radius, k.radius) && near(e.startAngle, k.start) && near(e.endAngle, k.end) && near(e.ratio, k.ratio);
}

using testing::DxfText;

// One record as a file writes it: its type, then (code, value) pairs.
std::string Record(const char* type, const std::vector<std::pair<int, std::string>>& pairs) {
    DxfText text;
    text.Pair(0, type);
    for (const auto& [code, value] : pairs) text.Pair(code, value);
    return text.str();
}

struct ReadCase {
    const char* name;
    std::string blocks;    // the records of the BLOCKS section
    std::string entities;  // the records of the ENTITIES section
    std::vector<Kept> kept;
    std::vector<std::string> blockNames = {};
};

// The expected values are worked out by hand from the extrusion's object axes. For
// the extrusion (0, -0.6, 0.8) the arbitrary-axis rule gives object X = world Z x N =
// (0.6, 0, 0), unit (1, 0, 0), and object Y = N x X = (0, 0.8, 0.6): an object point
// (x, y) at elevation z lies in plan at (x, 0.8 y - 0.6 z).
const std::vector<ReadCase>& ReadCases() {
    const double s3 = std::sqrt(3.0);
    static const std::vector<ReadCase> cases = {
        {"an array reference: 2 columns 5 apart, 3 rows 7 apart, turned 90 degrees",
         "",
         Record("INSERT", {{8, "0"}, {2, "P"}, {10, "10"}, {20, "20"}, {50, "90"}, {70, "2"}, {71, "3"},
                           {44, "5"}, {45, "7"}}),
         {{EntityKind::Insert, {{10, 20}}, 0, 0, 0, 1, false, {}, 1, "P"},
          {EntityKind::Insert, {{10, 25}}, 0, 0, 0, 1, false, {}, 1, "P"},
          {EntityKind::Insert, {{3, 20}}, 0, 0, 0, 1, false, {}, 1, "P"},
          {EntityKind::Insert, {{3, 25}}, 0, 0, 0, 1, false, {}, 1, "P"},
          {EntityKind::Insert, {{-4, 20}}, 0, 0, 0, 1, false, {}, 1, "P"},
          {EntityKind::Insert, {{-4, 25}}, 0, 0, 0, 1, false, {}, 1, "P"}}},
        {"arc angles past 360 and below 0 come in [0, 360)",
         "",
         Record("ARC", {{8, "0"}, {10, "1"}, {20, "2"}, {40, "3"}, {50, "98.25"}, {51, "441.75"}}) +
             Record("ARC", {{8, "0"}, {10, "1"}, {20, "2"}, {40, "3"}, {50, "-90.0"}, {51, "0.000000000000006"}}),
         {{EntityKind::Arc, {{1, 2}}, 3, 98.25, 81.75},
          {EntityKind::Arc, {{1, 2}}, 3, 270, 0.000000000000006}}},
        {"a circle and an arc in a tilted plane are the ellipses they project to",
         "",
         Record("CIRCLE", {{8, "0"}, {10, "10"}, {20, "20"}, {30, "0"}, {40, "5"}, {210, "0"}, {220, "-0.6"},
                           {230, "0.8"}}) +
             Record("ARC", {{8, "0"}, {10, "10"}, {20, "20"}, {30, "5"}, {40, "5"}, {50, "0"}, {51, "90"},
                            {210, "0"}, {220, "-0.6"}, {230, "0.8"}}),
         {{EntityKind::Ellipse, {{10, 16}, {5, 0}}, 0, 0, 360, 0.8},
          {EntityKind::Ellipse, {{10, 13}, {5, 0}}, 0, 0, 90, 0.8}}},
        {"a tilted polyline is projected, its arc segment apart as an elliptical arc",
         "",
         Record("LWPOLYLINE", {{8, "0"}, {90, "3"}, {70, "0"}, {38, "5"}, {10, "0"}, {20, "0"}, {10, "10"},
                               {20, "0"}, {10, "10"}, {20, "10"}, {210, "0"}, {220, "-0.6"}, {230, "0.8"}}) +
             Record("LWPOLYLINE", {{8, "0"}, {90, "3"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"},
                                   {20, "0"}, {10, "10"}, {20, "10"}, {210, "0"}, {220, "-0.6"}, {230, "0.8"}}),
         {{EntityKind::Polyline, {{0, -3}, {10, -3}, {10, 5}}},
          // the half circle about (5, 0) from 180 to 360 degrees
          {EntityKind::Ellipse, {{5, 0}, {5, 0}}, 0, 180, 0, 0.8},
          {EntityKind::Polyline, {{10, 0}, {10, 8}}}}},
        {"an ellipse seen from below runs the other way round in the world",
         "",
         Record("ELLIPSE", {{8, "0"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "0"}, {40, "0.5"}, {41, "0"},
                            {42, DxfText::N(std::numbers::pi / 2)}, {210, "0"}, {220, "0"}, {230, "-1"}}),
         // from (4, 2) clockwise to (1, 0.5): counter-clockwise from 270 to 360
         {{EntityKind::Ellipse, {{1, 2}, {3, 0}}, 0, 270, 0, 0.5}}},
        {"a solid seen from below has its corners mirrored into the world",
         "",
         Record("SOLID", {{8, "0"}, {10, "1"}, {20, "0"}, {11, "2"}, {21, "0"}, {12, "1"}, {22, "1"}, {13, "2"},
                          {23, "1"}, {210, "0"}, {220, "0"}, {230, "-1"}}),
         {{EntityKind::Solid, {{-1, 0}, {-2, 0}, {-1, 1}, {-2, 1}}}}},
        {"a mirrored text, an edge-on circle and paper space hold nothing of the plan",
         "",
         Record("TEXT", {{8, "0"}, {10, "1"}, {20, "2"}, {40, "2.5"}, {1, "A"}, {230, "-1"}}) +
             Record("CIRCLE", {{8, "0"}, {10, "1"}, {20, "2"}, {40, "3"}, {210, "1"}, {220, "0"}, {230, "0"}}) +
             Record("LINE", {{8, "0"}, {67, "1"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}) +
             Record("LINE", {{8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}),
         {{EntityKind::Line, {{0, 0}, {1, 1}}}}},
        {"meshes are left out with their vertices; a spline fit shows its fitted points only",
         "",
         Record("POLYLINE", {{8, "0"}, {66, "1"}, {70, "64"}, {71, "3"}, {72, "1"}}) +
             Record("VERTEX", {{8, "0"}, {10, "0"}, {20, "0"}, {70, "192"}}) +
             Record("VERTEX", {{8, "0"}, {10, "1"}, {20, "0"}, {70, "192"}}) +
             Record("VERTEX", {{8, "0"}, {10, "0"}, {20, "1"}, {70, "192"}}) +
             Record("VERTEX", {{8, "0"}, {10, "0"}, {20, "0"}, {70, "128"}, {71, "1"}, {72, "2"}, {73, "3"}}) +
             Record("SEQEND", {{8, "0"}}) +
             Record("POLYLINE", {{8, "0"}, {66, "1"}, {70, "4"}}) +
             Record("VERTEX", {{8, "0"}, {10, "0"}, {20, "0"}, {70, "16"}}) +
             Record("VERTEX", {{8, "0"}, {10, "0"}, {20, "0"}, {70, "8"}}) +
             Record("VERTEX", {{8, "0"}, {10, "5"}, {20, "9"}, {70, "16"}}) +
             Record("VERTEX", {{8, "0"}, {10, "4"}, {20, "4"}, {70, "8"}}) +
             Record("SEQEND", {{8, "0"}}),
         {{EntityKind::Polyline, {{0, 0}, {4, 4}}}}},
        {"an R12 file of a later program: its layout blocks are no blocks; a nested block is",
         Record("BLOCK", {{8, "0"}, {2, "$MODEL_SPACE"}, {70, "0"}, {10, "0"}, {20, "0"}}) +
             Record("ENDBLK", {{8, "0"}}) +
             Record("BLOCK", {{8, "0"}, {2, "$PAPER_SPACE"}, {70, "0"}, {10, "0"}, {20, "0"}}) +
             Record("ENDBLK", {{8, "0"}}) +
             Record("BLOCK", {{8, "0"}, {2, "INNER"}, {70, "0"}, {10, "1"}, {20, "1"}}) +
             Record("LINE", {{8, "0"}, {10, "0"}, {20, "0"}, {11, "2"}, {21, "0"}}) + Record("ENDBLK", {{8, "0"}}) +
             Record("BLOCK", {{8, "0"}, {2, "OUTER"}, {70, "0"}, {10, "0"}, {20, "0"}}) +
             Record("INSERT", {{8, "0"}, {2, "INNER"}, {10, "3"}, {20, "4"}, {50, "30"}}) +
             Record("ENDBLK", {{8, "0"}}),
         Record("INSERT", {{8, "0"}, {2, "OUTER"}, {10, "7"}, {20, "8"}}),
         {{EntityKind::Insert, {{7, 8}}, 0, 0, 0, 1, false, {}, 1, "OUTER"}},
         {"INNER", "OUTER"}},
        {"a closed flag written with its plinegen bit and blanks; a POLYLINE without its own point",
         "",
         Record("LWPOLYLINE", {{8, "0"}, {90, "3"}, {70, "   129"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "0"},
                               {10, "1"}, {20, "1"}}) +
             Record("POLYLINE", {{8, "0"}, {66, "1"}, {70, "1"}}) +
             Record("VERTEX", {{8, "0"}, {10, "2"}, {20, "3"}}) + Record("VERTEX", {{8, "0"}, {10, "4"}, {20, "5"}}) +
             Record("SEQEND", {{8, "0"}}),
         {{EntityKind::Polyline, {{0, 0}, {1, 0}, {1, 1}}, 0, 0, 0, 1, true},
          {EntityKind::Polyline, {{2, 3}, {4, 5}}, 0, 0, 0, 1, true}}},
        {"a mirrored polyline keeps its object coordinates, its bulges and its extrusion",
         "",
         Record("LWPOLYLINE", {{8, "0"}, {90, "2"}, {70, "0"}, {10, "0"}, {20, "0"}, {42, DxfText::N(s3)}, {10, "1"},
                               {20, "0"}, {210, "0"}, {220, "0"}, {230, "-1"}}),
         {{EntityKind::Polyline, {{0, 0}, {1, 0}}, 0, 0, 0, 1, false, {s3, 0}, -1}}},
    };
    return cases;
}

TEST(SimDxfReader, KeepsWhatFilesOfOtherProgramsShowInPlan) {
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.name);
        const std::string whole = DxfText().Begin("BLOCKS").str() + c.blocks + DxfText().End().Begin("ENTITIES").str() +
                                  c.entities + DxfText().End().Eof().str();
        std::string error;
        const auto file = ReadDxf(whole, &error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(file->entities.size(), c.kept.size());
        for (std::size_t i = 0; i < c.kept.size() && i < file->entities.size(); ++i)
            EXPECT_TRUE(Matches(file->entities[i], c.kept[i])) << "entity " << i << ": " << Show(file->entities[i]);
        std::vector<std::string> names;
        for (const Block& b : file->blocks) names.push_back(b.name);
        EXPECT_EQ(names, c.blockNames);
    }
}

// Block references read from a file place their definitions where the file's own
// numbers say: a mirrored reference (extrusion (0, 0, -1), object X against the world's)
// at object (10, 5), turned 30 degrees, scaled (2, 3) puts the block's point (1, 0)
// at object (10 + 2 cos 30, 5 + 2 sin 30), in the world (-10 - sqrt 3, 6); a nested
// reference inside a block whose base point is not the origin moves with the base.
TEST(SimDxfReader, BlockReferencesPlaceTheirDefinitionsWhereTheFileSays) {
    struct Case {
        const char* name;
        std::string blocks;
        std::string reference;
        std::vector<Point> lineEnds;  // the block's line, exploded all the way
    };
    const double s3 = std::sqrt(3.0);
    const std::string unit = Record("BLOCK", {{8, "0"}, {2, "U"}, {70, "0"}, {10, "0"}, {20, "0"}}) +
                             Record("LINE", {{8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}}) +
                             Record("ENDBLK", {{8, "0"}});
    const Case cases[] = {
        {"mirrored, turned and scaled", unit,
         Record("INSERT", {{8, "0"}, {2, "U"}, {10, "10"}, {20, "5"}, {41, "2"}, {42, "3"}, {50, "30"}, {210, "0"},
                           {220, "0"}, {230, "-1"}}),
         {{-10, 5}, {-10 - s3, 6}}},
        {"nested in a block based at (2911.61, 3180.47)",
         unit + Record("BLOCK", {{8, "0"}, {2, "SLAB"}, {70, "0"}, {10, "2911.61"}, {20, "3180.47"}}) +
             Record("INSERT", {{8, "0"}, {2, "U"}, {10, "2912.61"}, {20, "3181.47"}, {50, "90"}}) +
             Record("ENDBLK", {{8, "0"}}),
         Record("INSERT", {{8, "0"}, {2, "SLAB"}, {10, "0"}, {20, "0"}}),
         {{1, 1}, {1, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string whole = DxfText().Begin("BLOCKS").str() + c.blocks + DxfText().End().Begin("ENTITIES").str() +
                                  c.reference + DxfText().End().Eof().str();
        std::string error;
        const auto file = ReadDxf(whole, &error);
        if (!file) {
            ADD_FAILURE() << error;
            continue;
        }
        Drawing d;
        LoadDxfInto(d, *file);
        // Explode until only lines are left.
        std::vector<Entity> pieces = d.entities();
        for (int depth = 0; depth < 4; ++depth) {
            std::vector<Entity> next;
            for (const Entity& e : pieces) {
                if (e.kind != EntityKind::Insert) {
                    next.push_back(e);
                    continue;
                }
                if (const Block* block = d.FindBlock(e.block)) {
                    for (Entity& part : ExplodeInsert(e, *block).entities) next.push_back(std::move(part));
                }
            }
            pieces = std::move(next);
        }
        if (pieces.size() != 1 || pieces[0].kind != EntityKind::Line) {
            ADD_FAILURE() << pieces.size() << " pieces, the first " << (pieces.empty() ? "none" : Show(pieces[0]));
            continue;
        }
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_NEAR(pieces[0].points[i].x, c.lineEnds[i].x, 1e-9) << i;
            EXPECT_NEAR(pieces[0].points[i].y, c.lineEnds[i].y, 1e-9) << i;
        }
    }
}

}  // namespace
}  // namespace tessavue::sim
