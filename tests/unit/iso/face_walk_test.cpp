#include "iso/face_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"
#include "entity_rows.h"
#include "iso_test_support.h"

namespace tessavue {
namespace {

using testing::Export;
using testing::IndexOf;
using testing::Moved;
using testing::Record;
using testing::Rewrite;
using testing::ThreeEntities;
using testing::Turned;

double Value(const DxfLines& lines, std::size_t index) { return StrToFloat(lines[index]); }

TEST(FigureTurn, PointsTurnAboutTheBasePoint) {
    // Base (100, 50); a line from the base point to one unit east of it.
    DxfLines lines = Export({"LINE", "  8", "0", " 10", "100", " 20", "50", " 30", "7", " 11", "101", " 21", "50",
                             " 31", "7", "  0"});
    ASSERT_TRUE(Rewrite(lines, Turned(FaceTopLeft, 100, 50)));
    const std::size_t s = IndexOf(lines, "LINE");
    // The base point itself: a zero vector, written as plain zeros.
    EXPECT_EQ(lines[s + 4], "0");
    EXPECT_EQ(lines[s + 6], "0");
    EXPECT_EQ(lines[s + 8], "7");  // Z stays
    EXPECT_EQ(lines[s + 10], NumberText(std::cos(Radians(45.0))));
    EXPECT_EQ(lines[s + 12], NumberText(std::sin(Radians(45.0))));
    EXPECT_NEAR(Value(lines, s + 10), 0.707106781186548, 1e-15);

    DxfLines right = Export({"POINT", " 10", "100", " 20", "52", "  0"});
    ASSERT_TRUE(Rewrite(right, Turned(FaceRight, 100, 50)));
    const std::size_t p = IndexOf(right, "POINT");
    EXPECT_NEAR(Value(right, p + 2), std::sqrt(2.0), 1e-14);  // (0, 2) turned by -45
    EXPECT_NEAR(Value(right, p + 4), std::sqrt(2.0), 1e-14);
}

TEST(FigureTurn, OnlyArcAnglesGetTheFaceAngle) {
    // An arc's angles turn (and may leave 0..360); a text's rotation does not, even
    // on a layer called ARC.
    DxfLines lines = Export({"ARC", "  8", "0", " 10", "0", " 20", "0", " 40", "2", " 50", "350", " 51", "90", "  0",
                             "TEXT", "  8", "ARC", " 10", "0", " 20", "0", " 40", "2", " 50", "30", "  1", "ABC", "  0"});
    ASSERT_TRUE(Rewrite(lines, Turned(FaceTopLeft, 0, 0)));
    const std::size_t arc = IndexOf(lines, "ARC");
    EXPECT_EQ(lines[arc + 10], "395");
    EXPECT_EQ(lines[arc + 12], "135");
    const std::size_t text = IndexOf(lines, "TEXT");
    EXPECT_EQ(lines[text + 10], "30");

    DxfLines right = Export({"ARC", " 10", "0", " 20", "0", " 50", "10", " 51", "20", "  0"});
    ASSERT_TRUE(Rewrite(right, Turned(FaceRight, 0, 0)));
    EXPECT_EQ(right[IndexOf(right, " 50") + 1], "-35");
    EXPECT_EQ(right[IndexOf(right, " 51") + 1], "-25");
}

// A circle, arc or polyline with its extrusion pointing down (as MIRROR leaves them)
// holds object coordinates: world x = -object x, world angle = 180 - object angle.
// Turned or moved, the entity's world image must move as the world plan does; the
// expectation is worked out in world terms and read back through that relation.
TEST(FigureTurn, ObjectCoordinatesTurnAndMoveWithTheWorld) {
    constexpr double kPi = 3.141592653589793;
    const double baseX = 100, baseY = 100;
    // World geometry: an arc about (40, 10), radius 5, from 80 to 150 degrees; in
    // object terms its centre is (-40, 10) and it runs from 30 to 100 degrees.
    const DxfLines arc = {"ARC", "  8", "0", " 10", "-40", " 20", "10", " 30", "0", " 40", "5", "210", "0",
                          "220", "0", "230", "-1", " 50", "30", " 51", "100", "  0"};
    // A polyline vertex at world (60, 20), a line point at world (60, 20) whatever its extrusion.
    const DxfLines polyline = {"LWPOLYLINE", "  8", "0", " 90", "1", " 10", "-60", " 20", "20", "230", "-1", "  0"};
    const DxfLines line = {"LINE", "  8", "0", " 10", "60", " 20", "20", " 11", "60", " 21", "20", "230", "-1", "  0"};
    DxfLines entities = arc;
    entities.insert(entities.end(), polyline.begin(), polyline.end());
    entities.insert(entities.end(), line.begin(), line.end());
    const auto number = [](const DxfLines& lines, std::size_t from, const char* code) {
        return StrToFloat(lines[IndexOf(lines, code, from) + 1]);
    };
    for (int face = -1; face < 4; ++face) {  // -1: the plain move
        SCOPED_TRACE(face);
        DxfLines lines = Export(entities);
        const double turn = face < 0 ? 0 : FaceRow(face)->Angle;
        ASSERT_TRUE(Rewrite(lines, face < 0 ? Moved(baseX, baseY) : Turned(face, baseX, baseY)));
        const auto turned = [&](double x, double y) {
            const double a = turn * kPi / 180;
            const double dx = x - baseX, dy = y - baseY;
            return std::pair{dx * std::cos(a) - dy * std::sin(a), dx * std::sin(a) + dy * std::cos(a)};
        };
        const std::size_t a = IndexOf(lines, "ARC");
        const auto [cx, cy] = turned(40, 10);
        EXPECT_NEAR(-number(lines, a, " 10"), cx, 1e-9);
        EXPECT_NEAR(number(lines, a, " 20"), cy, 1e-9);
        EXPECT_NEAR(std::remainder(180 - number(lines, a, " 51") - (80 + turn), 360), 0, 1e-9) << "world start";
        EXPECT_NEAR(std::remainder(180 - number(lines, a, " 50") - (150 + turn), 360), 0, 1e-9) << "world end";
        const auto [px, py] = turned(60, 20);
        const std::size_t p = IndexOf(lines, "LWPOLYLINE");
        EXPECT_NEAR(-number(lines, p, " 10"), px, 1e-9);
        EXPECT_NEAR(number(lines, p, " 20"), py, 1e-9);
        const std::size_t l = IndexOf(lines, "LINE");
        EXPECT_NEAR(number(lines, l, " 10"), px, 1e-9) << "a line's points are world points";
        EXPECT_NEAR(number(lines, l, " 21"), py, 1e-9);
    }
}

// A point is an X pair right before its Y pair: moved or turned alone, an X (or Y)
// would leave its point split, and a reader that fills in the missing half reads
// another outline than the one written (a vertex X without its Y read at Y 0 stayed
// put while its neighbours moved). The move refuses such a point as the turn does.
TEST(FigureTurn, DamagedSectionIsLeftAsItWasAndTheFaultNamed) {
    struct Case {
        const char* name;
        DxfLines entities;
        SectionFault fault;
        const char* message;  // what the user is told
        bool moveToo;         // the move refuses it the same way
        bool endMarkFirst = false;  // an end mark before the header: the section is found line by line
    };
    const Case cases[] = {
        {"Y before its X", {"LINE", " 20", "1", " 10", "2", "  0"}, SectionFault::LoneY,
         "DXF ファイルの Y 座標 '1' の前に X 座標がありません。ファイルは書き換えません。", true},
        // The number check of the whole file refuses a coordinate that is no number
        // first; past an end mark it checks nothing, and the turn names it.
        {"no number", {"LINE", " 10", "1", " 20", "x", "  0"}, SectionFault::BadValue,
         "DXF ファイルのグループコード 20 の値 'x' は正しくありません。ファイルは書き出しません。", true},
        {"no number past an end mark", {"EOF", "  0", "LINE", " 10", "1", " 20", "x", "  0"},
         SectionFault::BadCoordinate, "DXF ファイルの座標 'x' は数値ではありません。ファイルは書き換えません。", true},
        {"empty angle past an end mark", {"EOF", "  0", "ARC", " 10", "1", " 20", "1", " 50", "", "  0"},
         SectionFault::BadCoordinate, "DXF ファイルの座標 '' は数値ではありません。ファイルは書き換えません。", false},
        // A section after the file's end mark is past the number check of the whole file;
        // its own pairs are checked, or a copy would carry the value to where the entity
        // reader takes it for a radius.
        {"a radius that is no number, in a section after the end mark",
         {"CIRCLE", "  8", "0", " 10", "1.25", " 20", "2.5", " 40", "2ableRecord", "  0"}, SectionFault::BadValue,
         "DXF ファイルのグループコード 40 の値 '2ableRecord' は正しくありません。ファイルは書き出しません。", true, true},
        {"a vertex X whose Y was lost",
         {"LWPOLYLINE", " 90", "3", " 10", "0", " 20", "0", " 10", "10", " 20", "0", " 10", "10", " 21", "10", "  0"},
         SectionFault::LoneX, "DXF ファイルの X 座標 '10' の後に Y 座標がありません。ファイルは書き換えません。", true},
        {"an X last in its entity", {"LINE", " 10", "1", " 20", "2", " 11", "3.5", "  0"}, SectionFault::LoneX,
         "DXF ファイルの X 座標 '3.5' の後に Y 座標がありません。ファイルは書き換えません。", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxfLines original = Export(c.entities);
        if (c.endMarkFirst) original.insert(original.begin(), {"  0", "EOF"});
        DxfLines lines = original;
        const SectionResult result = Rewrite(lines, Turned(FaceLeft, 0, 0, 10));
        EXPECT_EQ(result.Fault, c.fault);
        EXPECT_EQ(SectionFaultMessage(result), c.message);
        EXPECT_EQ(lines, original);
        if (!c.moveToo) continue;
        const SectionResult moved = Rewrite(lines, Moved(1, 2, 10));
        EXPECT_EQ(moved.Fault, c.fault);
        EXPECT_EQ(SectionFaultMessage(moved), c.message);
        EXPECT_EQ(lines, original);
    }
}

// Points far from the origin turn like any other: no square of a coordinate is
// taken, so 1e200 comes out as the turn says. Only a point the turn would carry
// beyond the largest double is refused, named, with the lines as they were.
TEST(FigureTurn, HugeCoordinatesTurnOrAreRefusedNamed) {
    constexpr double kPi = 3.141592653589793;
    const std::pair<double, double> points[] = {{1e200, 1e200}, {-1.5e200, 3.25e199}, {7.0e307, -2.5e307}};
    for (std::int32_t face = 0; face < 4; ++face) {
        for (const auto& [x, y] : points) {
            SCOPED_TRACE(face);
            DxfLines lines = Export({"LINE", " 10", NumberText(x), " 20", NumberText(y), "  0"});
            // Raised by 10 too: the raised copy and the number check take the turned
            // points as they are.
            ASSERT_TRUE(Rewrite(lines, Turned(face, 0, 0, 10)));
            EXPECT_TRUE(CheckNumberGroups(lines));
            const double a = FaceRow(face)->Angle * kPi / 180;
            const double wantX = x * std::cos(a) - y * std::sin(a);
            const double wantY = x * std::sin(a) + y * std::cos(a);
            const std::size_t line = IndexOf(lines, "LINE");
            const double gotX = StrToFloat(lines[line + 2]);
            const double gotY = StrToFloat(lines[line + 4]);
            EXPECT_NEAR(gotX, wantX, 1e-13 * std::hypot(x, y));
            EXPECT_NEAR(gotY, wantY, 1e-13 * std::hypot(x, y));
            const std::size_t copy = IndexOf(lines, "LINE", line + 1);
            ASSERT_LT(copy, lines.size()) << "no raised copy";
            EXPECT_EQ(lines[copy + 2], lines[line + 2]);
        }
    }
    const std::string largest = "1.7976931348623157E308";
    const DxfLines beyond = Export({"LINE", " 10", largest, " 20", largest, "  0"});
    DxfLines lines = beyond;
    const SectionResult result = Rewrite(lines, Turned(FaceTopLeft, 0, 0));
    EXPECT_EQ(result.Fault, SectionFault::OutOfRange);
    EXPECT_EQ(SectionFaultMessage(result), "DXF ファイルの座標 '" + largest +
                                               "' は大きすぎて、書き換えると数値の範囲を超えます。ファイルは書き換えません。");
    EXPECT_EQ(lines, beyond);
    lines = beyond;
    EXPECT_EQ(Rewrite(lines, Moved(-1e308, 0)).Fault, SectionFault::OutOfRange);
    EXPECT_EQ(lines, beyond);
}

// A code line that is no number loses every pair after it: the check refuses the file
// there instead of passing what it could no longer look at (a colour of 1e999 below a
// blank line in the header).
TEST(CheckNumberGroups, ALostPairRefusesTheFile) {
    struct Case {
        const char* name;
        std::size_t at;  // where the blank line goes: 0 the file's first line
        const char* named;
    };
    const Case cases[] = {
        {"a blank line as the header's first code", 4, ""},
        {"a blank line in a variable's pair", 5, "$ACADVER"},
    };
    const DxfLines clean = Export({"LINE", " 62", "7", "  0"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxfLines lines = Export({"LINE", " 62", "1e999", "  0"});
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(c.at), "");
        const SectionResult result = CheckNumberGroups(lines);
        EXPECT_EQ(result.Fault, SectionFault::BadGroupCode);
        EXPECT_EQ(result.Detail, c.named);
    }
    // Whatever follows the end mark is no part of the drawing.
    DxfLines trailing = clean;
    trailing.insert(trailing.end(), {"garbage", "after the end"});
    EXPECT_TRUE(CheckNumberGroups(trailing));
}

// Number groups are checked by the type their code has: what a DXF reader would
// refuse is named with its code; strings and handles are never looked at.
TEST(CheckNumberGroups, RefusesWhatNoReaderTakes) {
    struct Case {
        const char* name;
        DxfLines entities;
        const char* code;  // "" when the file passes
        const char* value;
    };
    const Case cases[] = {
        {"a plain export", ThreeEntities(), "", ""},
        {"colour out of range", {"LINE", " 62", "1e999", "  0"}, "62", "1e999"},
        {"colour with a fraction", {"LINE", " 62", "1.5", "  0"}, "62", "1.5"},
        {"colour right-aligned", {"LINE", " 62", "     7", "  0"}, "", ""},
        {"infinite elevation", {"LINE", " 30", "1e999", "  0"}, "30", "1e999"},
        {"a thickness that is no number", {"CIRCLE", " 39", "thick", "  0"}, "39", "thick"},
        {"flags too wide for any integer", {"POLYLINE", " 70", "99999999999999999999", "  0"}, "70", "99999999999999999999"},
        {"extended data real", {"LINE", "1001", "APP", "1040", "nan", "  0"}, "1040", "nan"},
        {"a text and a handle are strings", {"TEXT", "  1", "1e999", "  5", "ZZ", "  0"}, "", ""},
        {"a signed integer and real", {"LINE", " 62", "-3", " 39", "+2.5", "  0"}, "", ""},
        {"a real with two signs", {"LINE", " 39", "+-2.5", "  0"}, "39", "+-2.5"},
        {"an integer with two signs", {"LINE", " 62", "+-3", "  0"}, "62", "+-3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SectionResult result = CheckNumberGroups(Export(c.entities));
        if (std::string(c.code).empty()) {
            EXPECT_TRUE(result);
            continue;
        }
        EXPECT_EQ(result.Fault, SectionFault::BadValue);
        EXPECT_EQ(result.Code, c.code);
        EXPECT_EQ(result.Detail, c.value);
        EXPECT_EQ(SectionFaultMessage(result), std::string("DXF ファイルのグループコード ") + c.code + " の値 '" +
                                                   c.value + "' は正しくありません。ファイルは書き出しません。");
    }
}

TEST(FigureMove, SubtractsTheBasePointOnly) {
    DxfLines lines = Export(ThreeEntities());
    ASSERT_TRUE(Rewrite(lines, Moved(1, -2)));
    const std::size_t line = IndexOf(lines, "LINE");
    EXPECT_EQ(lines[line + 6], "0");    // X 1.0 - 1
    EXPECT_EQ(lines[line + 8], "4");    // Y 2.0 + 2
    EXPECT_EQ(lines[line + 10], "0.0"); // Z untouched
    EXPECT_EQ(lines[line + 12], "2.5");
    EXPECT_EQ(lines[line + 14], "-2");
    const std::size_t arc = IndexOf(lines, "ARC");
    EXPECT_EQ(lines[arc + 10], "2.0");    // radius untouched
    EXPECT_EQ(lines[arc + 12], "350.0");  // angles untouched

    const DxfLines damaged = Export({"LINE", " 10", "", "  0"});
    lines = damaged;
    EXPECT_FALSE(Rewrite(lines, Moved(1, 1)));
    EXPECT_EQ(lines, damaged);
}

HeightInputs Inputs(int face, double height, int sign = 1) {
    HeightInputs inputs;
    inputs.FaceCode = face;
    inputs.HeightSign = sign;
    inputs.Height = height;
    inputs.FigureKind = "既存図形";
    return inputs;
}

// The raised copy stands sqrt(2) x H along the frame's Y axis, up on the top faces
// and down on the side faces, the other way with the sign inverted.
TEST(RaisedCopy, RaisesAlongTheFrameYByFaceAndSign) {
    struct Case {
        int face;
        int sign;
        const char* raisedY;  // of a point at Y 0, height 10
    };
    for (const Case& c : {Case{FaceTopLeft, 1, "14.142135623731"}, Case{FaceTopRight, -1, "-14.142135623731"},
                          Case{FaceLeft, 1, "-14.142135623731"}, Case{FaceRight, -1, "14.142135623731"}}) {
        DxfLines lines = Export({"POINT", " 10", "0", " 20", "0", "  0"});
        ASSERT_TRUE(Rewrite(lines, Moved(0, 0, 10, c.face, c.sign)));
        const std::size_t copy = IndexOf(lines, "POINT", IndexOf(lines, "POINT") + 1);
        ASSERT_LT(copy, lines.size());
        EXPECT_EQ(lines[copy + 4], c.raisedY) << c.face;
    }
}

TEST(RaisedCopy, NoneWithoutHeightOrForFlatKinds) {
    DxfLines flat = Export(ThreeEntities());
    ASSERT_TRUE(Rewrite(flat, Moved(0, 0)));
    EXPECT_EQ(std::count(flat.begin(), flat.end(), "LINE"), 1);
    for (const char* kind : {"文字", "寸法"}) {
        DxfLines lines = Export(ThreeEntities());
        FigureSteps steps = Moved(0, 0, 10);
        steps.Inputs.FigureKind = kind;
        ASSERT_TRUE(Rewrite(lines, steps));
        EXPECT_EQ(lines, flat) << kind;
    }
    // Still refuses a file it could not have written into.
    DxfLines broken = {"  0", "EOF"};
    EXPECT_EQ(Rewrite(broken, Moved(0, 0)).Fault, SectionFault::NoEntities);
}

class HeightLines : public ::testing::Test {
protected:
    void SetUp() override { ClearEntityTable(table); }
    EntityTableRows table;
};

TEST_F(HeightLines, SharedCornersOncePerLayer) {
    table[0] = Record({0, "0", 0, 0, 10, 0});
    table[1] = Record({0, "0", 10, 0, 10, 5});
    HeightLinePoints points;
    CollectHeightLinePoints(table, Inputs(FaceTopLeft, 10), points);
    EXPECT_EQ(points.Count, 3);
    table[1].Layer = "壁";
    CollectHeightLinePoints(table, Inputs(FaceTopLeft, 10), points);
    EXPECT_EQ(points.Count, 4);
    // The first empty row ends the table.
    table[3] = Record({0, "0", 50, 50, 60, 60});
    CollectHeightLinePoints(table, Inputs(FaceTopLeft, 10), points);
    EXPECT_EQ(points.Count, 4);
}

TEST_F(HeightLines, RecordsRunFromBottomToTop) {
    table[0] = Record({0, "壁", 3, 4, 3, 4});
    const std::string text = HeightLineText(table, Inputs(FaceLeft, 10, -1));
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    RotateForFace(FaceLeft, -1, 3, 4, 0, x0, y0);
    RotateForFace(FaceLeft, -1, 3, 4, -10, x1, y1);
    EXPECT_EQ(text, LineRecord("壁", x0, y0, x1, y1));
    EXPECT_NEAR(y1 - y0, 10 * std::sqrt(2.0), 1e-12);  // e -1 and sign -1: up in the frame
    EXPECT_EQ(x1, x0);
}

TEST_F(HeightLines, CirclesGetTheirSilhouette) {
    table[0] = Record({1, "0", 5, -5, 2});
    for (int face : {FaceTopLeft, FaceTopRight, FaceLeft, FaceRight}) {
        HeightLinePoints points;
        CollectHeightLinePoints(table, Inputs(face, 10), points);
        ASSERT_EQ(points.Count, 2) << face;
        // Turned into the frame, both points lie level with the centre, a radius
        // either side: the outline is parallel to the height there.
        double cx = 0, cy = 0;
        RotateForFace(face, 1, 5, -5, 0, cx, cy);
        double distance[2];
        for (int i = 0; i < 2; ++i) {
            double x = 0, y = 0;
            RotateForFace(face, 1, points.X[i], points.Y[i], 0, x, y);
            EXPECT_NEAR(y, cy, 1e-12);
            distance[i] = x - cx;
        }
        EXPECT_NEAR(distance[0], 2, 1e-12);
        EXPECT_NEAR(distance[1], -2, 1e-12);
    }
}

// An ellipse's height lines stand where its outline, turned into the face's frame,
// is farthest left and right: the silhouette of the raised ellipse. For the outline
// C + A (cos u, sin u) the point farthest along a plan direction v is
// C + A A^T v / |A^T v|, at the parameter of A^T v; v is the plan direction the face
// turns onto the frame's X axis. An elliptical arc gets only the points it passes.
TEST_F(HeightLines, EllipsesGetTheirSilhouetteWhereTheirArcPasses) {
    const double cx = 5.123456789012345, cy = -3.987654321098765;
    const double mx = 2.718281828459045, my = 1.414213562373095, ratio = 0.4142135623730950;
    // The columns of A: the major semi-axis and the minor one, it turned by +90 degrees.
    const double ax = mx, ay = my, bx = -ratio * my, by = ratio * mx;
    struct Silhouette {
        double x[2], y[2];  // the far right and far left points
        double u[2];        // and their parameters, degrees
    };
    const auto silhouette = [&](int face) {
        const double f = FaceRow(face)->Angle * 3.141592653589793 / 180;
        Silhouette s{};
        for (int side = 0; side < 2; ++side) {
            const double vx = std::cos(f) * (side == 0 ? 1 : -1), vy = -std::sin(f) * (side == 0 ? 1 : -1);
            const double ux = ax * vx + ay * vy, uy = bx * vx + by * vy;  // A^T v
            const double length = std::hypot(ux, uy);
            s.x[side] = cx + (ax * ux + bx * uy) / length;
            s.y[side] = cy + (ay * ux + by * uy) / length;
            s.u[side] = std::atan2(uy, ux) * 180 / 3.141592653589793;
        }
        return s;
    };
    const auto ellipse = [&](double start, double end) {
        return Record({3, "楕円", cx, cy, mx, my, end, ratio, start});
    };
    const auto normal = [](double degrees) { return std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0); };
    for (int face : {FaceTopLeft, FaceTopRight, FaceLeft, FaceRight}) {
        SCOPED_TRACE(face);
        const Silhouette s = silhouette(face);
        struct Case {
            const char* name;
            EntityRecord row;
            std::vector<int> sides;  // which silhouette points, in the order expected
        };
        const Case cases[] = {
            {"whole", ellipse(0, 360), {0, 1}},
            {"around the right", ellipse(normal(s.u[0] - 20), normal(s.u[0] + 20)), {0}},
            {"around the left", ellipse(normal(s.u[1] - 20), normal(s.u[1] + 20)), {1}},
            {"between them", ellipse(normal(s.u[0] + 30), normal(s.u[0] + 150)), {}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            ClearEntityTable(table);
            table[0] = c.row;
            HeightLinePoints points;
            HeightInputs inputs = Inputs(face, 10);
            inputs.CircleHeightLines = false;
            CollectHeightLinePoints(table, inputs, points);
            EXPECT_EQ(points.Count, 0) << "an existing figure's ellipses wait for the check mark";
            inputs.CircleHeightLines = true;
            CollectHeightLinePoints(table, inputs, points);
            ASSERT_EQ(points.Count, static_cast<int>(c.sides.size()));
            std::vector<int> found;
            for (int i = 0; i < points.Count; ++i) {
                EXPECT_EQ(points.Layer[i], "楕円");
                for (int side = 0; side < 2; ++side) {
                    if (std::hypot(points.X[i] - s.x[side], points.Y[i] - s.y[side]) < 1e-12) found.push_back(side);
                }
            }
            std::sort(found.begin(), found.end());
            EXPECT_EQ(found, c.sides);
        }
    }
}

TEST_F(HeightLines, ArcsOnlyWhereTheyPass) {
    // Face 0 looks for 315 and 135 degrees.
    table[0] = Record({2, "0", 0, 0, 1, 300, 60});  // crosses 0: has 315 only
    table[1] = Record({2, "0", 9, 9, 1, 150, 200}); // has neither
    HeightLinePoints points;
    CollectHeightLinePoints(table, Inputs(FaceTopLeft, 10), points);
    ASSERT_EQ(points.Count, 1);
    EXPECT_NEAR(points.X[0], std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(points.Y[0], -std::sqrt(0.5), 1e-15);
    // Face 1 looks for 45 and 225.
    CollectHeightLinePoints(table, Inputs(FaceTopRight, 10), points);
    EXPECT_EQ(points.Count, 1);
    EXPECT_NEAR(points.Y[0], std::sqrt(0.5), 1e-15);
}

TEST_F(HeightLines, WhenThereAreNone) {
    table[0] = Record({0, "0", 0, 0, 1, 1});
    table[1] = Record({1, "0", 5, 5, 1});
    HeightInputs inputs = Inputs(FaceTopLeft, 10);
    inputs.CircleHeightLines = false;  // an existing figure's circles get none, its lines do
    HeightLinePoints points;
    CollectHeightLinePoints(table, inputs, points);
    EXPECT_EQ(points.Count, 2);
    inputs.FigureKind = "円";  // other kinds ignore that mark
    CollectHeightLinePoints(table, inputs, points);
    EXPECT_EQ(points.Count, 4);

    EXPECT_EQ(HeightLineText(table, Inputs(FaceTopLeft, 0)), "");
    inputs = Inputs(FaceTopLeft, 10);
    inputs.HeightLines = false;
    EXPECT_EQ(HeightLineText(table, inputs), "");
    inputs = Inputs(FaceTopLeft, 10);
    inputs.FigureKind = "寸法";
    EXPECT_EQ(HeightLineText(table, inputs), "");

    // Text stays flat: neither a copy nor height lines, whatever the table holds.
    DxfLines flat = Export(ThreeEntities());
    ASSERT_TRUE(Rewrite(flat, Moved(0, 0)));
    DxfLines lines = Export(ThreeEntities());
    FigureSteps steps = Moved(0, 0, 10);
    steps.Inputs.FigureKind = "文字";
    ASSERT_TRUE(Rewrite(lines, steps, &table));
    EXPECT_EQ(lines, flat);
}

// Height lines whose numbers would leave the doubles' range are refused, named, the
// list as it was: "INF" in a figure file is no number to any reader. The raised copy
// refuses a height without a finite lift before it looks at any point.
TEST_F(HeightLines, BeyondTheRangeAreRefusedNamed) {
    struct Case {
        const char* name;
        double x, y;     // the line's foot point, relative to the base point
        double height;
        SectionFault fault;
        const char* named;
        const char* copyNamed;  // the raised copy's refusal without the table, "" when it copies
    };
    const Case cases[] = {
        {"a height whose lift leaves the range", 3, 4, 1.5e308, SectionFault::HeightOutOfRange, "1.5E308", "1.5E308"},
        {"a point and a height that leave it together", 0, 1.7e308, 1e308, SectionFault::HeightOutOfRange, "1E308",
         ""},
        {"a point whose turn leaves it", 1.7e308, 1.7e308, 10, SectionFault::OutOfRange, "1.7E308", ""},
    };
    const DxfLines original = Export({"POINT", " 10", "0", " 20", "0", "  0"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        table[0] = Record({0, "0", c.x, c.y, c.x, c.y});
        DxfLines lines = original;
        const SectionResult result = Rewrite(lines, Moved(0, 0, c.height), &table);
        EXPECT_EQ(result.Fault, c.fault);
        EXPECT_EQ(result.Detail, c.named);
        EXPECT_EQ(lines, original);
        EXPECT_EQ(HeightLineText(table, Inputs(FaceTopLeft, c.height)), "");
        const SectionResult copied = Rewrite(lines, Moved(0, 0, c.height));
        EXPECT_EQ(copied.Detail, c.copyNamed);
        if (*c.copyNamed != '\0') {
            EXPECT_EQ(copied.Fault, SectionFault::HeightOutOfRange);
            EXPECT_EQ(SectionFaultMessage(copied), std::string("高さ '") + c.copyNamed +
                                                       "' は大きすぎて、高さ方向が数値の範囲を超えます。ファイルは書き換えません。");
            EXPECT_EQ(lines, original);
        } else {
            EXPECT_TRUE(copied);
        }
    }
}

// The whole rewrite of an exported plan: turn, raised copy, height lines, line by line.
TEST_F(HeightLines, WholeSectionAfterTheThreeSteps) {
    DxfLines lines = Export({"LINE", "  5", "1F", "  8", "0", " 10", "10", " 20", "20", " 11", "12", " 21", "20", "  0"});
    table[0] = Record({0, "0", 0, 0, 2, 0});  // the same line relative to the base point (10, 20)
    ASSERT_TRUE(Rewrite(lines, Turned(FaceTopRight, 10, 20, 5), &table));
    const DxfLines saved = testing::Resplit(lines);
    EntitiesSection section;
    ASSERT_TRUE(FindEntitiesSection(saved, section));
    const DxfLines body(saved.begin() + static_cast<std::ptrdiff_t>(section.Entities),
                        saved.begin() + static_cast<std::ptrdiff_t>(section.Endsec) + 1);
    const std::string ex = NumberText(2 * std::cos(Radians(-45.0)));
    const std::string ey = NumberText(2 * std::sin(Radians(-45.0)));
    const std::string up = NumberText(std::sqrt(2.0) * 5);
    // The copy raises the value as written, already in number text.
    const std::string eyUp = NumberText(std::sqrt(2.0) * 5 + StrToFloat(ey));
    double bx = 0, by = 0, tx = 0, ty = 0;
    RotateForFace(FaceTopRight, 1, 2, 0, 0, bx, by);
    RotateForFace(FaceTopRight, 1, 2, 0, 5, tx, ty);
    const DxfLines want = {
        "ENTITIES", "  0", "LINE", "  5", "1F", "  8", "0", " 10", "0", " 20", "0", " 11", ex, " 21", ey,
        "  0", "LINE", "  8", "0", " 10", "0", " 20", up, " 11", ex, " 21", eyUp,
        "  0", "LINE", "  8", "0", " 10", "0", " 20", "0", " 11", "0", " 21", up,
        "  0", "LINE", "  8", "0", " 10", NumberText(bx), " 20", NumberText(by), " 11", NumberText(tx), " 21",
        NumberText(ty), "  0", "ENDSEC"};
    EXPECT_EQ(body, want);
}

}  // namespace
}  // namespace tessavue
