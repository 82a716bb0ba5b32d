// The entity reader and the offset reader on DXF texts built for each case.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "dxf_data/str_to_float.h"
#include "import/dxf_reader.h"
#include "import/offset_connectors.h"
#include "dxf_text.h"
#include "entity_rows.h"
#include "recording_sink.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

using testing::DxfText;
using testing::RecordingSink;
using testing::TempFolder;

class EntityReader : public ::testing::Test {
protected:
    void SetUp() override { ClearEntityTable(table); }
    void Read(const DxfText& text, double baseX = 0, double baseY = 0) {
        ReadDxfEntities(SplitDxfLines(text.str()), "test.dxf", baseX, baseY, sink, table);
    }
    int Filled() const {
        int n = 0;
        while (n < kEntityRows && table[static_cast<std::size_t>(n)].Kind != -1) ++n;
        return n;
    }
    EntityTableRows table;
    RecordingSink sink;
};

TEST_F(EntityReader, LinesCirclesAndArcsRelativeToTheBasePoint) {
    DxfText t;
    t.Opening()
        .LineEntity(110, 220, 130, 250, "壁")
        .Circle(110, 220, 7.5)
        .Arc(100, 200, 3, 350, 10, "A")
        .End()
        .Eof();
    Read(t, 100, 200);
    ASSERT_EQ(Filled(), 3);
    EXPECT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[0].Layer, "壁");
    EXPECT_EQ(table[0].X1, 10);
    EXPECT_EQ(table[0].Y1, 20);
    EXPECT_EQ(table[0].X2, 30);
    EXPECT_EQ(table[0].Y2, 50);
    // The radius is a length: never shifted by the base point.
    EXPECT_EQ(table[1].Kind, 1);
    EXPECT_EQ(table[1].X1, 10);
    EXPECT_EQ(table[1].Y1, 20);
    EXPECT_EQ(table[1].X2, 7.5);
    // Angles stay as written, not normalised.
    EXPECT_EQ(table[2].Kind, 2);
    EXPECT_EQ(table[2].Layer, "A");
    EXPECT_EQ(table[2].X2, 3);
    EXPECT_EQ(table[2].Y2, 350);
    EXPECT_EQ(table[2].EndAngle, 10);
    EXPECT_TRUE(sink.confirmations.empty());
}

TEST_F(EntityReader, OnlyEntitiesAfterTheFirstEntitiesLineAndAppendsAfterFilledRows) {
    DxfText t;
    t.Begin("BLOCKS").Pair(0, "BLOCK").Pair(2, "B").LineEntity(1, 1, 2, 2).Pair(0, "ENDBLK").End();
    t.Begin("ENTITIES").LineEntity(5, 5, 6, 6).End().Eof();
    table[0].Kind = 1;  // a row from an earlier read
    Read(t);
    ASSERT_EQ(Filled(), 2);
    EXPECT_EQ(table[0].Kind, 1) << "earlier rows stay";
    EXPECT_EQ(table[1].X1, 5);
}

// A drafter's layer and block may carry the section's name: the reading still starts at
// the section itself, so the lines inside the block definition give no rows.
TEST_F(EntityReader, ALayerOrBlockNamedLikeTheSectionDoesNotStartTheReading) {
    DxfText t;
    t.Begin("TABLES").Pair(0, "TABLE").Pair(2, "LAYER").Pair(0, "LAYER").Pair(2, "ENTITIES").Pair(0, "ENDTAB").End();
    t.Begin("BLOCKS").Pair(0, "BLOCK").Pair(2, "OLD_ENTITIES").LineEntity(1, 1, 2, 2).Pair(0, "ENDBLK").End();
    t.Begin("ENTITIES").LineEntity(5, 5, 6, 6, "ENTITIES").End().Eof();
    Read(t);
    ASSERT_EQ(Filled(), 1);
    EXPECT_EQ(table[0].X1, 5);
    EXPECT_EQ(table[0].Layer, "ENTITIES");
}

TEST_F(EntityReader, OtherEntityKindsGiveNoRows) {
    DxfText t;
    t.Opening();
    t.Pair(0, "POLYLINE").Pair(8, "0").Pair(66, "1").Pair(0, "VERTEX").Pair(10, "1").Pair(20, "1").Pair(0, "SEQEND");
    t.Pair(0, "INSERT").Pair(2, "B").Pair(10, "0").Pair(20, "0");
    t.Pair(0, "ELLIPSE").Pair(10, "0").Pair(20, "0").Pair(11, "5").Pair(21, "0").Pair(40, "0.5");
    t.Lwpolyline({{0, 0}, {1, 1}});
    Read(t.End().Eof());
    EXPECT_EQ(Filled(), 0);
}

// An entity starts only where a "  0" group names its kind: a layer, a text or a block
// that happens to be called LINE, CIRCLE or ARC starts nothing, and the entities
// after it keep their rows.
TEST_F(EntityReader, AKindNameOutsideAZeroGroupStartsNoEntity) {
    using testing::Row;
    struct Case {
        const char* name;
        std::function<void(DxfText&)> before;  // what stands before a circle, an arc and a line
        std::vector<Row> rows;
    };
    const std::vector<Row> three = {{1, "C", 10, 20, 5}, {2, "A", 0, 0, 2, 30, 60}, {0, "L", 3, 4, 5, 6}};
    const Case cases[] = {
        {"a polyline on layer LINE",
         [](DxfText& t) {
             t.Pair(0, "POLYLINE").Pair(8, "LINE").Pair(66, "1").Pair(0, "VERTEX").Pair(8, "LINE").Pair(10, "1").Pair(
                 20, "1").Pair(0, "SEQEND").Pair(8, "LINE");
         },
         three},
        {"a text reading CIRCLE",
         [](DxfText& t) { t.Pair(0, "TEXT").Pair(8, "T").Pair(10, "1").Pair(20, "2").Pair(40, "2.5").Pair(1, "CIRCLE"); },
         three},
        {"a block reference to a block named ARC",
         [](DxfText& t) { t.Pair(0, "INSERT").Pair(8, "0").Pair(2, "ARC").Pair(10, "0").Pair(20, "0"); }, three},
        {"a line on layer ARC", [](DxfText& t) { t.LineEntity(1, 1, 2, 2, "ARC"); },
         {{0, "ARC", 1, 1, 2, 2}, three[0], three[1], three[2]}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        DxfText t;
        t.Opening();
        c.before(t);
        t.Circle(10, 20, 5, "C").Arc(0, 0, 2, 30, 60, "A").LineEntity(3, 4, 5, 6, "L").End().Eof();
        Read(t);
        EXPECT_TRUE(testing::RowsAre(table, c.rows));
    }
}

// A circle or arc in object coordinates (extrusion 0,0,-1, as MIRROR leaves them)
// gets its row in world coordinates: X mirrored, the arc's angles a -> 180 - a with
// its ends exchanged. The extrusion may stand before or after the closing code.
TEST_F(EntityReader, MirroredCirclesAndArcsGetWorldRows) {
    using testing::Row;
    DxfText t;
    t.Opening();
    t.Pair(0, "CIRCLE").Pair(8, "C").Pair(10, "-40").Pair(20, "10").Pair(40, "5").Pair(210, "0").Pair(220, "0").Pair(
        230, "-1");
    t.Pair(0, "ARC").Pair(8, "A").Pair(10, "-40").Pair(20, "10").Pair(40, "5").Pair(50, "30").Pair(51, "100").Pair(
        230, "-1.0");
    t.Pair(0, "ARC").Pair(8, "B").Pair(10, "-40").Pair(20, "10").Pair(40, "5").Pair(230, "-1").Pair(50, "270").Pair(
        51, "300");
    t.Pair(0, "ARC").Pair(8, "up").Pair(10, "-40").Pair(20, "10").Pair(40, "5").Pair(50, "30").Pair(51, "100").Pair(
        230, "1");
    t.LineEntity(1, 2, 3, 4, "L");
    Read(t.End().Eof(), 100, 200);
    EXPECT_TRUE(testing::RowsAre(table, {{1, "C", 40 - 100, 10 - 200, 5},
                                         {2, "A", 40 - 100, 10 - 200, 5, 80, 150},
                                         {2, "B", 40 - 100, 10 - 200, 5, 240, 270},
                                         {2, "up", -40 - 100, 10 - 200, 5, 30, 100},
                                         {0, "L", 1 - 100, 2 - 200, 3 - 100, 4 - 200}},
                                1e-12));
}

TEST_F(EntityReader, AnUnclosedEntityIsOverwrittenByTheNextOne) {
    DxfText t;
    // The circle has no " 40": its row is left without advancing.
    t.Opening().Pair(0, "CIRCLE").Pair(8, "C").Pair(10, "1").Pair(20, "2");
    t.Pair(0, "LINE").Pair(8, "L").Pair(10, "3").Pair(20, "4").Pair(11, "5").Pair(21, "6").End().Eof();
    Read(t);
    ASSERT_EQ(Filled(), 1);
    EXPECT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[0].Layer, "L");

    ClearEntityTable(table);
    DxfText u;
    u.Opening().Pair(0, "ARC").Pair(8, "A").Pair(10, "1").Pair(20, "2").Pair(40, "3").Pair(50, "4").Eof();
    Read(u);
    EXPECT_EQ(table[0].Kind, 2) << "the row keeps what was read";
    EXPECT_EQ(table[0].Y2, 4);
    EXPECT_EQ(table[1].Kind, -1);
}

// The drawing ends at its end mark: what a damaged or appended file holds after it is
// read by nobody, not even to close an entity the drawing left open.
TEST_F(EntityReader, NothingAfterTheEndMarkIsRead) {
    DxfText t;
    t.Opening().LineEntity(0.1, 0.2, 0.3, 0.4, "L").Pair(0, "CIRCLE").Pair(8, "C").Pair(10, "1").Pair(20, "2");
    t.End().Eof().Pair(40, "not a radius").Pair(0, "LINE").Pair(10, "x").Pair(20, "y").Pair(11, "z").Pair(21, "w");
    Read(t);
    // The circle keeps what it read, as an unclosed entity does; the line after the end
    // mark gives no row.
    ASSERT_EQ(Filled(), 2);
    EXPECT_EQ(table[0].Layer, "L");
    EXPECT_EQ(table[0].Y2, 0.4);
    EXPECT_EQ(table[1].Kind, 1);
    EXPECT_EQ(table[1].Layer, "C");
    EXPECT_EQ(table[1].X2, 0) << "no radius was read";
    EXPECT_TRUE(sink.confirmations.empty());
}

TEST_F(EntityReader, FullTableStopsWithOneMessagePerRead) {
    DxfText t;
    t.Opening();
    for (int i = 0; i < kEntityRows; ++i) t.LineEntity(i, 0, i, 1);
    Read(t.End().Eof());
    EXPECT_EQ(Filled(), kEntityRows);
    EXPECT_TRUE(sink.confirmations.empty()) << "500 entities fit without a message";

    DxfText more;
    more.Opening().Circle(0, 0, 1).Circle(0, 0, 2).End().Eof();
    const EntityRecord last = table[kEntityRows - 1];
    Read(more);
    ASSERT_EQ(sink.confirmations.size(), 1u);
    EXPECT_EQ(sink.confirmations[0], TableFullMessage());
    EXPECT_EQ(table[kEntityRows - 1].Kind, last.Kind);
    EXPECT_EQ(table[kEntityRows - 1].X1, last.X1);
    Read(more);
    EXPECT_EQ(sink.confirmations.size(), 2u) << "each read that meets a full table says so";
}

TEST_F(EntityReader, SecondFileFillsOnlyTheRowsLeft) {
    for (int i = 0; i < 480; ++i) table[static_cast<std::size_t>(i)].Kind = 0;
    DxfText t;
    t.Opening();
    for (int i = 0; i < 30; ++i) t.Arc(i, 0, 1, 0, 90);
    Read(t.End().Eof());
    EXPECT_EQ(Filled(), kEntityRows);
    EXPECT_EQ(table[480].Kind, 2);
    EXPECT_EQ(table[499].X1, 19);
    EXPECT_EQ(sink.confirmations.size(), 1u);
}

TEST_F(EntityReader, ANonNumberEndsTheReadKeepingEarlierRows) {
    DxfText t;
    t.Opening().LineEntity(1, 2, 3, 4).Pair(0, "CIRCLE").Pair(10, "abc").Pair(20, "0").Pair(40, "1").End().Eof();
    try {
        Read(t);
        FAIL() << "no error";
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.Text(), "abc");
    }
    EXPECT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[0].Y2, 4);
}

TEST_F(EntityReader, NumbersWithBlanksSignsAndExponentsRead) {
    DxfText t;
    t.Opening().Pair(0, "CIRCLE").Pair(10, "  -1.5E+2 ").Pair(20, "+0.25").Pair(40, "1e-3").End().Eof();
    Read(t);
    EXPECT_EQ(table[0].X1, -150);
    EXPECT_EQ(table[0].Y1, 0.25);
    EXPECT_EQ(table[0].X2, 0.001);
}

TEST_F(EntityReader, MissingEntitiesOrFileIsAClearError) {
    DxfText t;
    t.Begin("HEADER").End().Eof();
    try {
        Read(t);
        FAIL() << "no error";
    } catch (const DxfReadError& e) {
        EXPECT_NE(std::string(e.what()).find("ENTITIES"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("test.dxf"), std::string::npos);
    }
    TempFolder folder;
    EXPECT_THROW(ReadDxfEntities(folder / "missing.dxf", 0, 0, sink, table), DxfReadError);
}

TEST_F(EntityReader, ReadsFilesWithAnyLineEndsAndBytesKept) {
    TempFolder folder;
    // Lone CR and lone LF ends; a Shift-JIS layer name whose second byte is '\\'.
    const std::string layer = "表";  // 95 5C in code page 932
    const std::string text = "  0\rSECTION\n  2\r\nENTITIES\n  0\nLINE\r  8\n" + layer +
                             "\r\n 10\n1\n 20\n2\n 11\n3\n 21\n4\n  0\nEOF";
    testing::WriteFile(folder / "ends.dxf", text);
    ReadDxfEntities(folder / "ends.dxf", 0, 0, sink, table);
    ASSERT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[0].Layer, layer);
    EXPECT_EQ(table[0].Y2, 4);
}

// ---- the offset reader --------------------------------------------------------------

TEST(AddVertexOnce, KeepsEachTripleOnceInTheOrderMet) {
    VertexSet set;
    EXPECT_TRUE(AddVertexOnce(set, 1, 2, "A"));
    EXPECT_FALSE(AddVertexOnce(set, 1, 2, "A"));
    EXPECT_TRUE(AddVertexOnce(set, 1, 2, "a")) << "layer texts compare case-sensitively";
    EXPECT_TRUE(AddVertexOnce(set, 1, 2.0000001, "A"));
    EXPECT_TRUE(AddVertexOnce(set, -0.5, 2, "A"));
    EXPECT_FALSE(AddVertexOnce(set, 1, 2, "a"));
    EXPECT_EQ(set.X, (std::vector<double>{1, 1, 1, -0.5}));
    EXPECT_EQ(set.Y, (std::vector<double>{2, 2, 2.0000001, 2}));
    EXPECT_EQ(set.Layer, (std::vector<std::string>{"A", "a", "A", "A"}));
}

VertexSet Collect(const DxfText& t) { return CollectOffsetVertices(SplitDxfLines(t.str()), "ofst.dxf"); }

TEST(OffsetReader, SharedEndPointsOncePerLayer) {
    DxfText t;
    t.Opening().LineEntity(0, 0, 10, 0, "A").LineEntity(10, 0, 10, 5, "A").LineEntity(10, 5, 0, 0, "B").End().Eof();
    const VertexSet set = Collect(t);
    ASSERT_EQ(set.Count(), 5u);
    EXPECT_EQ((std::vector<double>{0, 10, 10, 10, 0}), set.X);
    EXPECT_EQ((std::vector<double>{0, 0, 5, 5, 0}), set.Y);
    EXPECT_EQ((std::vector<std::string>{"A", "A", "A", "B", "B"}), set.Layer);
}

TEST(OffsetReader, LwpolylineCountDecidesHowManyVertices) {
    DxfText t;
    t.Opening().Lwpolyline({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {7, 7}});
    // Four of five: the count says 4.
    std::string text = t.str();
    text.replace(text.find(" 90\r\n5"), 6, " 90\r\n4");
    const VertexSet four = CollectOffsetVertices(SplitDxfLines(text), "ofst.dxf");
    EXPECT_EQ(four.Count(), 4u);

    DxfText u;
    u.Opening().Lwpolyline({{0, 0}, {1, 0}, {1, 1}}, "0", false).End().Eof();
    EXPECT_EQ(Collect(u).Count(), 1u) << "without a count only the first vertex";
}

// A polyline MIRROR left extruded down (230 = -1) holds its vertices in object
// coordinates, X against the world's: its corners are joined where the drawing shows
// them, at the world's X. A line's points are the world's whatever its extrusion.
TEST(OffsetReader, AMirroredPolylinesCornersAreTheWorlds) {
    DxfText t;
    t.Opening().Lwpolyline({{5.0123456789012345, 4}, {-9.25, 4}}, "P").Pair(210, "0.0").Pair(220, "0.0").Pair(230, "-1.0");
    t.LineEntity(1.5, 2.5, 3.5, 4.5, "L").Pair(210, "0.0").Pair(220, "0.0").Pair(230, "-1.0");
    t.Lwpolyline({{7.75, 1}, {8.25, 1}}, "Q").End().Eof();
    const VertexSet set = Collect(t);
    EXPECT_EQ(set.X, (std::vector<double>{-5.0123456789012345, 9.25, 1.5, 3.5, 7.75, 8.25}));
    EXPECT_EQ(set.Y, (std::vector<double>{4, 4, 2.5, 4.5, 1, 1}));
}

// The offset reader takes kinds the same way: a polyline on layer LINE is a polyline.
TEST(OffsetReader, AKindNameOutsideAZeroGroupStartsNoEntity) {
    DxfText t;
    t.Opening().Lwpolyline({{0, 0}, {4, 0}}, "LINE");
    t.Pair(0, "TEXT").Pair(8, "T").Pair(10, "7").Pair(20, "7").Pair(1, "LWPOLYLINE");
    t.LineEntity(4, 0, 4, 3, "W").End().Eof();
    const VertexSet set = Collect(t);
    EXPECT_EQ(set.X, (std::vector<double>{0, 4, 4, 4}));
    EXPECT_EQ(set.Y, (std::vector<double>{0, 0, 0, 3}));
    EXPECT_EQ(set.Layer, (std::vector<std::string>{"LINE", "LINE", "W", "W"}));
}

// Both readers stop at the section's end: a line drawn in another section is no
// entity of the plan, and a value there never closes one of its entities.
TEST(OffsetReader, StopsAtEndsecAsTheEntityReaderDoes) {
    DxfText t;
    t.Opening().LineEntity(0, 0, 1, 1).End().Begin("OBJECTS").LineEntity(5, 5, 6, 6).End().Eof();
    EXPECT_EQ(Collect(t).Count(), 2u);
    EntityTableRows table;
    ClearEntityTable(table);
    RecordingSink sink;
    ReadDxfEntities(SplitDxfLines(t.str()), "x.dxf", 0, 0, sink, table);
    EXPECT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[1].Kind, -1) << "the line in OBJECTS is no entity of the plan";

    // A circle left open in ENTITIES is not closed by a radius in the next section.
    DxfText open;
    open.Opening().Pair(0, "CIRCLE").Pair(8, "C").Pair(10, "1").Pair(20, "2").End().Begin("OBJECTS");
    open.Pair(0, "X").Pair(40, "not a radius").End().Eof();
    ClearEntityTable(table);
    EXPECT_NO_THROW(ReadDxfEntities(SplitDxfLines(open.str()), "x.dxf", 0, 0, sink, table));
    EXPECT_EQ(table[0].Kind, 1);
    EXPECT_EQ(table[0].Layer, "C");
    EXPECT_EQ(table[1].Kind, -1);
    EXPECT_TRUE(sink.confirmations.empty());
}

// A plan with hundreds of corners gets every one of them, in the order met.
TEST(OffsetReader, EveryCornerOfALargePlan) {
    DxfText t;
    t.Opening();
    std::vector<double> xs, ys;
    for (int i = 0; i < 300; ++i) {
        const double x = 12.34567890123457 + i * 1.414213562373095, y = -9.876543210987654 + i * 0.5;
        t.LineEntity(x, y, x + 0.7071067811865476, y + 3.141592653589793);
        xs.insert(xs.end(), {x, x + 0.7071067811865476});
        ys.insert(ys.end(), {y, y + 3.141592653589793});
    }
    const VertexSet set = Collect(t.End().Eof());
    ASSERT_EQ(set.Count(), 600u);
    for (std::size_t i = 0; i < 600; ++i) {
        EXPECT_DOUBLE_EQ(set.X[i], xs[i]) << i;
        EXPECT_DOUBLE_EQ(set.Y[i], ys[i]) << i;
    }
}

// Where a circle, arc or ellipse runs parallel to the offset direction d: the points
// farthest across it, C +- A A^T n / |A^T n| for the outline C + A (cos t, sin t) and
// n perpendicular to d; on an arc only those it passes through.
TEST(OffsetReader, TangentPointsOfCirclesArcsAndEllipses) {
    struct Curve {
        double cx, cy, ax, ay, bx, by;  // the columns of A: the points at t = 0 and t = 90
    };
    const auto support = [](const Curve& c, double degrees, double side) {
        const double nx = -std::sin(degrees * 3.141592653589793 / 180) * side;
        const double ny = std::cos(degrees * 3.141592653589793 / 180) * side;
        const double ux = c.ax * nx + c.ay * ny, uy = c.bx * nx + c.by * ny;  // A^T n
        const double length = std::hypot(ux, uy);
        return std::pair{c.cx + (c.ax * ux + c.bx * uy) / length, c.cy + (c.ay * ux + c.by * uy) / length};
    };
    const double k = std::sqrt(1.5), m = std::sqrt(0.5);
    // An isometric circle of the top face: major sqrt(1.5) r across, minor sqrt(0.5) r up.
    const Curve top{101.2345678901234, 55.55555555555556, 2 * k, 0, 0, 2 * m};
    // Of the left face: major at 120 degrees.
    const double c120 = std::cos(2.094395102067600), s120 = std::sin(2.094395102067600);
    const Curve left{-40.75, 12.125, 3 * k * c120, 3 * k * s120, -3 * m * s120, 3 * m * c120};
    const Curve circle{7.5, -2.25, 1.75, 0, 0, 1.75};
    struct Case {
        const char* name;
        const char* direction;
        std::vector<std::pair<double, double>> points;
    };
    const Case cases[] = {
        {"up", "90",
         {support(top, 90, 1), support(top, 90, -1), support(left, 90, 1), support(left, 90, -1),
          support(circle, 90, 1), support(circle, 90, -1), {7.5 + 1.75, -2.25}}},
        {"toward 210", "210",
         {support(top, 210, 1), support(top, 210, -1), support(left, 210, 1), support(left, 210, -1),
          support(circle, 210, 1), support(circle, 210, -1)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxfText t;
        t.Opening()
            .Ellipse(top.cx, top.cy, top.ax, top.ay, m / k, 0, 2 * 3.141592653589793, "E1")
            .Ellipse(left.cx, left.cy, left.ax, left.ay, m / k, 0, 2 * 3.141592653589793, "E2")
            .Circle(circle.cx, circle.cy, 1.75, "C")
            // Over 0 degrees: passes 0 (up: the right-hand point), not 180 nor 120 or 300.
            .Arc(circle.cx, circle.cy, 1.75, 330, 30, "A")
            .LineEntity(0, 0, 1, 1, "L");
        const VertexSet set =
            CollectOffsetTangents(SplitDxfLines(t.End().Eof().str()), "ofst.dxf", StrToFloat(c.direction));
        ASSERT_EQ(set.Count(), c.points.size());
        for (const auto& [x, y] : c.points) {
            bool found = false;
            for (std::size_t i = 0; i < set.Count(); ++i)
                found = found || (std::fabs(set.X[i] - x) < 1e-9 && std::fabs(set.Y[i] - y) < 1e-9);
            EXPECT_TRUE(found) << "(" << x << ", " << y << ") missing";
        }
    }
}

TEST(OffsetReader, ConnectorCommandText) {
    EXPECT_EQ(ConnectorCommand(12.5, 3, -10, "90"), "line 12.5,3 @-10<90  ");
    EXPECT_EQ(ConnectorCommand(0.00005, -2, 7.25, "210"), "line 5E-5,-2 @7.25<210  ");
}


// ---- damaged files: the linear walk against the plain one ---------------------------

namespace naive {
// The walk as written down first: every entity scans forward until its closing code,
// to the end of the file when that never comes. Quadratic on some damaged files, but
// plainly right; the reader must give the same rows.
void Read(const DxfLines& all, EntityTableRows& table) {
    std::size_t start = 0;
    while (all[start].find("ENTITIES") == std::string::npos) ++start;
    const DxfLines lines(all.begin() + static_cast<std::ptrdiff_t>(start), all.end());
    std::size_t write = 0;
    while (write < table.size() && table[write].Kind != -1) ++write;
    const auto value = [&](std::size_t j) { return j + 1 < lines.size() ? lines[j + 1] : std::string(); };
    for (std::size_t r = 0; r < lines.size(); ++r) {
        int kind = lines[r] == "LINE" ? 0 : lines[r] == "CIRCLE" ? 1 : lines[r] == "ARC" ? 2 : -1;
        // A kind counts only as the value of a "  0" group.
        if (kind < 0 || r == 0 || lines[r - 1] != "  0") continue;
        if (write >= table.size()) return;
        EntityRecord& row = table[write];
        row.Kind = kind;
        for (std::size_t j = r + 1; j < lines.size(); ++j) {
            const std::string& c = lines[j];
            if (c == "  8") row.Layer = value(j);
            if (c == " 10") row.X1 = StrToFloat(value(j));
            if (c == " 20") row.Y1 = StrToFloat(value(j));
            if (kind == 0 && c == " 11") row.X2 = StrToFloat(value(j));
            if (kind == 0 && c == " 21") {
                row.Y2 = StrToFloat(value(j));
                ++write, r = j;
                break;
            }
            if (kind != 0 && c == " 40") {
                row.X2 = StrToFloat(value(j));
                if (kind == 1) {
                    ++write, r = j;
                    break;
                }
            }
            if (kind == 2 && c == " 50") row.Y2 = StrToFloat(value(j));
            if (kind == 2 && c == " 51") {
                row.EndAngle = StrToFloat(value(j));
                ++write, r = j;
                break;
            }
        }
    }
}
}  // namespace naive

bool SameRows(const EntityTableRows& a, const EntityTableRows& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].Kind != b[i].Kind || a[i].Layer != b[i].Layer) return false;
        if (a[i].Kind == -1) continue;
        if (a[i].X1 != b[i].X1 || a[i].Y1 != b[i].Y1 || a[i].X2 != b[i].X2 || a[i].Y2 != b[i].Y2 ||
            a[i].EndAngle != b[i].EndAngle)
            return false;
    }
    return true;
}

TEST(DamagedFiles, UnclosedEntitiesGiveTheRowsOfThePlainWalk) {
    // Entity keywords, codes and values in a random order: many entities never close.
    const std::vector<std::string> tokens = {"LINE", "CIRCLE", "ARC", "  0", "  0", "  8", " 10", " 20",
                                             " 11",  " 21",    " 40",  " 50", " 51", "1.5", "-2",  "L1"};
    std::mt19937 random(12345);
    int differing = 0;
    for (int round = 0; round < 300; ++round) {
        DxfLines lines = {"  0", "ENTITIES"};
        const int length = 5 + static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) lines.push_back(tokens[random() % tokens.size()]);
        EntityTableRows fast, plain;
        ClearEntityTable(fast);
        ClearEntityTable(plain);
        RecordingSink sink;
        bool fastThrew = false, plainThrew = false;
        try {
            ReadDxfEntities(lines, "x.dxf", 0, 0, sink, fast);
        } catch (const ConvertError&) {
            fastThrew = true;
        }
        try {
            naive::Read(lines, plain);
        } catch (const ConvertError&) {
            plainThrew = true;
        }
        EXPECT_EQ(fastThrew, plainThrew) << round;
        if (!SameRows(fast, plain)) ++differing;
    }
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace tessavue
