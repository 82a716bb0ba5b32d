// The plan reader on DXF texts built for each case: blocks inside blocks, turned,
// scaled, mirrored and arrayed; polylines; ellipses; layers; and files that try to
// make it loop or run forever. Expected rows come from maps worked out here, from
// the references' definition (base point to insertion point, scaled, then turned),
// never from the reader's own arithmetic.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "import/dxf_reader.h"
#include "import/plan_reader.h"
#include "import/mtext_lines.h"
#include "world_shapes.h"
#include "dxf_text.h"
#include "entity_rows.h"
#include "plan_maps.h"
#include "recording_sink.h"

namespace tessavue {
namespace {

using testing::DxfText;
using testing::PlanPoint;
using testing::RecordingSink;
using testing::Row;
using testing::RowsAre;
using testing::RowTraces;
using Placement = DxfText::Placement;
using Vertex = DxfText::Vertex;

using testing::MappedArc;
using testing::MappedCircle;
using testing::Map2;
using testing::Reference;
using testing::Relative;
constexpr double kPi = testing::kPi;
double Rad(double degrees) { return degrees * kPi / 180; }

class PlanReader : public ::testing::Test {
protected:
    void SetUp() override { ClearEntityTable(table); }
    void Read(const DxfText& text, PlanPoint base = {}) {
        ReadPlanEntities(SplitDxfLines(text.str()), "plan.dxf", base.x, base.y, sink, table);
    }
    int Filled() const { return testing::FilledRows(table); }
    EntityTableRows table;
    RecordingSink sink;
};

// A plan with a header, the given layers, blocks and entities.
DxfText Plan(const std::function<void(DxfText&)>& blocks, const std::function<void(DxfText&)>& entities,
             const std::vector<DxfText::LayerEntry>& layers = {}) {
    DxfText t;
    t.Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1015").End();
    if (!layers.empty()) t.LayerTable(layers);
    t.Begin("BLOCKS");
    blocks(t);
    t.End().Begin("ENTITIES");
    entities(t);
    t.End().Eof();
    return t;
}

// ---- blocks inside blocks -----------------------------------------------------------

// Three levels of references, each turned and scaled, with base points off the
// origin. The innermost block holds a line on "0", an arc on "WALL" and a circle; the
// rows must be those entities under the product of the three maps.
TEST_F(PlanReader, ThreeLevelsOfTurnedAndScaledBlocks) {
    struct Level {
        double sx, sy, degrees;
    };
    struct Case {
        const char* name;
        std::array<Level, 3> levels;  // inner, middle, outer
        bool round;                   // a circle stays a circle (worked out by hand)
    };
    const Case cases[] = {
        {"even scales and turns", {{{2.5, 2.5, 30}, {1.5, 1.5, 110}, {0.75, 0.75, -20}}}, true},
        {"a mirror in the middle", {{{2.5, 2.5, 30}, {-1.5, 1.5, 110}, {0.75, 0.75, -20}}}, true},
        {"turned inside an uneven scale", {{{1, 1, 35}, {1, 1, 0}, {2, 0.5, 0}}}, false},
        {"uneven in the middle, mirrored inside", {{{-1, 1, 72.5}, {3, 1.25, 15}, {1.1, 1.1, -40}}}, false},
    };
    const PlanPoint innerBase{1.234567890123456, -0.9876543210987654};
    const PlanPoint middleBase{-7.071067811865475, 3.333333333333333};
    const PlanPoint outerBase{12.56637061435917, 6.283185307179586};
    const PlanPoint innerAt{4.123105625617661, -2.449489742783178};
    const PlanPoint middleAt{-15.87401051968199, 9.486832980505138};
    const PlanPoint outerAt{1234.567890123457, -987.6543210987654};
    const PlanPoint base{1000.000000000001, -1000.123456789012};
    const PlanPoint lineFrom{3.141592653589793, 2.718281828459045}, lineTo{-1.414213562373095, 1.732050807568877};
    const PlanPoint arcCentre{0.5772156649015329, 1.618033988749895};
    const double arcRadius = 0.6931471805599453, arcFrom = 12.34567890123456, arcTo = 245.6789012345679;
    const PlanPoint circleCentre{-2.302585092994046, 0.4342944819032518};
    const double circleRadius = 1.059463094359295;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        const auto place = [](Level l) { return Placement{l.sx, l.sy, l.degrees}; };
        Read(Plan(
                 [&](DxfText& t) {
                     t.Block("INNER", innerBase.x, innerBase.y)
                         .LineEntity(lineFrom.x, lineFrom.y, lineTo.x, lineTo.y)
                         .Arc(arcCentre.x, arcCentre.y, arcRadius, arcFrom, arcTo, "WALL")
                         .Circle(circleCentre.x, circleCentre.y, circleRadius, "WALL")
                         .EndBlock();
                     t.Block("MIDDLE", middleBase.x, middleBase.y).Insert("INNER", innerAt.x, innerAt.y, place(c.levels[0])).EndBlock();
                     t.Block("OUTER", outerBase.x, outerBase.y).Insert("MIDDLE", middleAt.x, middleAt.y, place(c.levels[1])).EndBlock();
                 },
                 [&](DxfText& t) { t.Insert("OUTER", outerAt.x, outerAt.y, place(c.levels[2]), "PLAN"); }),
             base);
        const auto map = [](PlanPoint at, Level l, PlanPoint b) { return Reference(at, l.sx, l.sy, l.degrees, b); };
        const Map2 w = map(outerAt, c.levels[2], outerBase)
                           .After(map(middleAt, c.levels[1], middleBase))
                           .After(map(innerAt, c.levels[0], innerBase));
        ASSERT_EQ(w.Similar(), c.round) << "the case table is wrong";
        ASSERT_EQ(Filled(), 3);
        EXPECT_TRUE(sink.confirmations.empty());
        // The line on "0" takes the outer reference's layer.
        const PlanPoint from = w(lineFrom), to = w(lineTo);
        const EntityRecord& line = table[0];
        EXPECT_EQ(line.Kind, 0);
        EXPECT_EQ(line.Layer, "PLAN");
        EXPECT_TRUE(RowTraces(line, Relative({from, to}, base), 1e-9));
        EXPECT_EQ(table[1].Layer, "WALL");
        EXPECT_EQ(table[2].Layer, "WALL");
        EXPECT_EQ(table[1].Kind, c.round ? 2 : 3);
        EXPECT_EQ(table[2].Kind, c.round ? 1 : 3);
        EXPECT_TRUE(RowTraces(table[1], Relative(MappedArc(w, arcCentre, arcRadius, arcFrom, arcTo), base), 1e-9));
        EXPECT_TRUE(RowTraces(table[2], Relative(MappedCircle(w, circleCentre, circleRadius), base), 1e-9));
        if (c.round) {
            EXPECT_NEAR(table[2].X2, circleRadius * std::sqrt(std::fabs(w.Det())), 1e-12);
        } else {
            const auto [longest, shortest] = w.Stretches();
            EXPECT_NEAR(std::hypot(table[2].X2, table[2].Y2), circleRadius * longest, 1e-12);
            EXPECT_NEAR(table[2].Ratio, shortest / longest, 1e-12);
        }
    }
}

// Inside a turned reference inside an unevenly scaled one, circles, arcs and ellipses
// become ellipses that only the full product of the two maps gives: the turn moves an
// arc's ends and shears an ellipse's axes away from the scale's. Each row must lie on
// the mapped curve and the mapped curve on the row, with the major semi-axis where it
// reaches farthest from the centre and the ratio where it comes nearest.
TEST_F(PlanReader, CurvesInATurnedReferenceInsideAnUnevenOneAreTheShearedEllipses) {
    const PlanPoint centre{0.3183098861837907, -0.1591549430918953};
    const double r = 2.236067977499790;
    const PlanPoint major{1.772453850905516, 0.25};
    const double ratio = 0.5257311121191336, from = 0.3141592653589793, to = 4.71238898038469;
    const PlanPoint turnedBase{0.7071067811865476, 0.5};
    const PlanPoint turnedAt{-3.605551275463989, 1.414213562373095};
    const PlanPoint unevenBase{-0.25, 8.660254037844386};
    const PlanPoint unevenAt{500.1234567890123, 250.9876543210988};
    Read(Plan(
        [&](DxfText& t) {
            t.Block("HOLE", turnedBase.x, turnedBase.y)
                .Circle(centre.x, centre.y, r, "HOLES")
                .Arc(centre.x, centre.y, r, 200.5, 20.25, "HOLES")
                .Ellipse(centre.x, centre.y, major.x, major.y, ratio, from, to, "SLOTS")
                .EndBlock();
            t.Block("PLATE", unevenBase.x, unevenBase.y).Insert("HOLE", turnedAt.x, turnedAt.y, {1, 1, 37.5}).EndBlock();
        },
        [&](DxfText& t) { t.Insert("PLATE", unevenAt.x, unevenAt.y, {3.5, 1.25, 0}); }));
    const Map2 w = Reference(unevenAt, 3.5, 1.25, 0, unevenBase).After(Reference(turnedAt, 1, 1, 37.5, turnedBase));
    ASSERT_EQ(Filled(), 3);
    const PlanPoint c = w(centre);
    // The source ellipse at parameter u, and the circle at angle a, mapped.
    const auto ellipseAt = [&](double u) {
        return w({centre.x + std::cos(u) * major.x - std::sin(u) * ratio * major.y,
                  centre.y + std::cos(u) * major.y + std::sin(u) * ratio * major.x});
    };
    const auto circleAt = [&](double a) { return w({centre.x + r * std::cos(a), centre.y + r * std::sin(a)}); };
    struct Case {
        const char* name;
        const char* layer;
        std::function<PlanPoint(double)> image;  // of the source parameter, radians
        double from, to;                        // radians; the whole curve from 0 to 2 pi
        bool whole;
    };
    const Case cases[] = {
        {"circle", "HOLES", circleAt, 0, 2 * kPi, true},
        {"arc", "HOLES", circleAt, Rad(200.5), Rad(20.25) + 2 * kPi, false},
        {"ellipse", "SLOTS", ellipseAt, from, to, false},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const Case& k = cases[i];
        SCOPED_TRACE(k.name);
        const EntityRecord& row = table[i];
        EXPECT_EQ(row.Kind, 3);
        EXPECT_EQ(row.Layer, k.layer);
        EXPECT_NEAR(row.X1, c.x, 1e-12);
        EXPECT_NEAR(row.Y1, c.y, 1e-12);
        EXPECT_EQ(row.StartParameter == 0 && row.EndAngle == 360, k.whole);
        // The mapped curve, sampled; w keeps the turning sense (no mirror).
        ASSERT_GT(w.Det(), 0);
        std::vector<PlanPoint> samples;
        const int n = k.whole ? 24 : 25;
        for (int j = 0; j < n; ++j) samples.push_back(k.image(k.from + (k.to - k.from) * j / (k.whole ? n : n - 1)));
        EXPECT_TRUE(RowTraces(row, samples, 1e-9));
        // And the row on the mapped curve's ellipse: farthest along its major axis.
        double farthest = 0, nearest = 1e300;
        PlanPoint farthestAt;
        for (int j = 0; j < 3600; ++j) {
            const PlanPoint p = k.image(2 * kPi * j / 3600);
            const double distance = std::hypot(p.x - c.x, p.y - c.y);
            if (distance > farthest) farthest = distance, farthestAt = {p.x - c.x, p.y - c.y};
            nearest = std::min(nearest, distance);
        }
        const double length = std::hypot(row.X2, row.Y2);
        EXPECT_NEAR(length, farthest, 1e-5);
        EXPECT_NEAR(row.Ratio * length, nearest, 1e-5);
        EXPECT_NEAR(std::fabs(row.X2 * farthestAt.y - row.Y2 * farthestAt.x) / (length * farthest), 0, 1e-3)
            << "the major semi-axis points where the ellipse reaches farthest";
    }
    // The scale alone would leave the ellipse's axes along X and Y; the turn inside it
    // shears them.
    EXPECT_GT(std::fabs(table[2].Y2), 0.1 * std::hypot(table[2].X2, table[2].Y2));
}

// Mirrored references keep arcs as arcs, running counter-clockwise: the row's angles
// are the mirrored image's, worked out by hand (a -> 180 - a for a mirror in X, a ->
// -a in Y, a -> a + 180 for both, and an extrusion (0, 0, -1) mirrors X).
TEST_F(PlanReader, MirroredReferencesKeepArcsCounterClockwise) {
    const PlanPoint centre{3.3, 1.1};
    const PlanPoint at{50.12345678901234, 20.45678901234568};
    struct Case {
        const char* name;
        Placement placement;
        Row row;
    };
    const Case cases[] = {
        {"mirrored in X", {-1, 1, 0}, {2, "0", at.x - 3.3, at.y + 1.1, 2.5, 80, 170}},
        {"mirrored in Y", {1, -1, 0}, {2, "0", at.x + 3.3, at.y - 1.1, 2.5, 260, 350}},
        {"mirrored in both", {-1, -1, 0}, {2, "0", at.x - 3.3, at.y - 1.1, 2.5, 190, 280}},
        {"extrusion pointing down", {1, 1, 0, 1, 1, 0, 0, -1}, {2, "0", -(at.x + 3.3), at.y + 1.1, 2.5, 80, 170}},
        {"mirrored in X and turned by 90", {-1, 1, 90}, {2, "0", at.x - 1.1, at.y - 3.3, 2.5, 170, 260}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        Read(Plan([&](DxfText& t) { t.Block("A", 0, 0).Arc(centre.x, centre.y, 2.5, 10, 100).EndBlock(); },
                  [&](DxfText& t) { t.Insert("A", at.x, at.y, c.placement); }));
        EXPECT_TRUE(RowsAre(table, {c.row}, 1e-12));
    }
}

// An array: columns and rows step along the turned axes by the spacing, unscaled.
// Cells without spacing lie on each other and count once.
TEST_F(PlanReader, ArraysPlaceEveryCellAlongTheTurnedAxes) {
    const PlanPoint at{10.12345678901234, 20.98765432109877};
    const double columnSpacing = 2.718281828459045, rowSpacing = -1.414213562373095;
    Read(Plan([&](DxfText& t) { t.Block("HOLE", 0.5, 0.25).Circle(0.5, 0.25, 0.125).EndBlock(); },
              [&](DxfText& t) {
                  t.Insert("HOLE", at.x, at.y, {2, 2, 30, 3, 2, columnSpacing, rowSpacing});
                  t.Insert("HOLE", 0, 0, {1, 1, 0, 1000, 2, 0, 5.5});
              }));
    std::vector<Row> rows;
    const double c = std::cos(Rad(30)), s = std::sin(Rad(30));
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double u = column * columnSpacing, v = row * rowSpacing;
            rows.push_back({1, "0", at.x + c * u - s * v, at.y + s * u + c * v, 0.25});
        }
    }
    rows.push_back({1, "0", 0, 0, 0.125});
    rows.push_back({1, "0", 0, 5.5, 0.125});
    EXPECT_TRUE(RowsAre(table, rows, 1e-12));
}

// ---- polylines ----------------------------------------------------------------------

// A closed polyline with a quarter-circle bulge, a straight side and a half-circle
// bulged clockwise, in a block placed with uneven scales: straight segments are line
// rows between the mapped vertices, bulged ones ellipse rows through the mapped arcs.
// The same outline as an LWPOLYLINE and as an R12 POLYLINE.
TEST_F(PlanReader, BulgedPolylineInsideAnUnevenReference) {
    const std::vector<Vertex> outline = {{0.1234567890123457, 0.9876543210987654, std::tan(Rad(22.5))},
                                         {-1.876543210987654, 2.987654321098765, 0},
                                         {-3.123456789012346, 1.234567890123457, -1},
                                         {-0.5555555555555556, -1.777777777777778, 0}};
    const PlanPoint blockBase{-1.5, 0.6180339887498949};
    const PlanPoint at{321.0987654321098, -123.4567890123457};
    const Map2 w = Reference(at, 2, 0.5, 35, blockBase);
    // The arc of a bulged segment: it turns by 4 atan(bulge) about a centre that lies
    // half a chord over tan(half that turn) to the left of the chord's middle.
    const auto bulgeArc = [&](const Vertex& p, const Vertex& q) {
        const double turn = 4 * std::atan(p.bulge);
        const double dx = q.x - p.x, dy = q.y - p.y;
        const double toCentre = 0.5 / std::tan(turn / 2);
        const PlanPoint centre{(p.x + q.x) / 2 - dy * toCentre, (p.y + q.y) / 2 + dx * toCentre};
        std::vector<PlanPoint> points;
        for (int i = 0; i <= 8; ++i) {
            const double t = turn * i / 8;
            const double rx = p.x - centre.x, ry = p.y - centre.y;
            points.push_back(w({centre.x + rx * std::cos(t) - ry * std::sin(t),
                                centre.y + rx * std::sin(t) + ry * std::cos(t)}));
        }
        if (turn < 0) std::reverse(points.begin(), points.end());  // rows run counter-clockwise
        return points;
    };
    struct Case {
        const char* name;
        std::function<void(DxfText&)> polyline;
    };
    const Case cases[] = {
        {"LWPOLYLINE", [&](DxfText& t) { t.BulgedLwpolyline(outline, true, "CUT"); }},
        {"POLYLINE", [&](DxfText& t) { t.Polyline(outline, 1, "CUT"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        Read(Plan(
            [&](DxfText& t) {
                t.Block("P", blockBase.x, blockBase.y);
                c.polyline(t);
                t.EndBlock();
            },
            [&](DxfText& t) { t.Insert("P", at.x, at.y, {2, 0.5, 35}); }));
        ASSERT_EQ(Filled(), 4);
        const PlanPoint v1 = w({outline[1].x, outline[1].y}), v2 = w({outline[2].x, outline[2].y});
        const PlanPoint v3 = w({outline[3].x, outline[3].y}), v0 = w({outline[0].x, outline[0].y});
        EXPECT_TRUE(RowsAre(table,
                            {{3, "CUT", table[0].X1, table[0].Y1, table[0].X2, table[0].Y2, table[0].EndAngle,
                              table[0].Ratio, table[0].StartParameter},
                             {0, "CUT", v1.x, v1.y, v2.x, v2.y},
                             {3, "CUT", table[2].X1, table[2].Y1, table[2].X2, table[2].Y2, table[2].EndAngle,
                              table[2].Ratio, table[2].StartParameter},
                             {0, "CUT", v3.x, v3.y, v0.x, v0.y}},
                            1e-9));
        EXPECT_TRUE(RowTraces(table[0], bulgeArc(outline[0], outline[1]), 1e-9)) << "quarter circle";
        EXPECT_TRUE(RowTraces(table[2], bulgeArc(outline[2], outline[3]), 1e-9)) << "half circle, clockwise";
    }
}

TEST_F(PlanReader, PolylineKinds) {
    const std::vector<Vertex> three = {{0.25, 0.5}, {1.75, 0.5}, {1.75, 2.125}};
    struct Case {
        const char* name;
        std::function<void(DxfText&)> entity;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        {"open 2-D", [&](DxfText& t) { t.Polyline(three, 0); },
         {{0, "0", 0.25, 0.5, 1.75, 0.5}, {0, "0", 1.75, 0.5, 1.75, 2.125}}},
        {"closed 3-D, in the world", [&](DxfText& t) { t.Polyline(three, 8 | 1); },
         {{0, "0", 0.25, 0.5, 1.75, 0.5}, {0, "0", 1.75, 0.5, 1.75, 2.125}, {0, "0", 1.75, 2.125, 0.25, 0.5}}},
        {"a mesh is a surface", [&](DxfText& t) { t.Polyline(three, 16); }, {}},
        {"a repeated vertex draws no segment", [&](DxfText& t) { t.BulgedLwpolyline({{1, 1}, {1, 1}, {2, 1}}, false); },
         {{0, "0", 1, 1, 2, 1}}},
        {"a single vertex draws nothing", [&](DxfText& t) { t.BulgedLwpolyline({{1, 1}}, true); }, {}},
        {"two bulges of 1 make a full circle", [&](DxfText& t) { t.BulgedLwpolyline({{0, 0, 1}, {2, 0, 1}}, true); },
         {{2, "0", 1, 0, 1, 180, 0}, {2, "0", 1, 0, 1, 0, 180}}},
        {"extrusion pointing down mirrors X",
         [&](DxfText& t) { t.BulgedLwpolyline({{0.5, 0.25}, {2.5, 0.25, 1}, {2.5, 2.25}}, false, "0", -1); },
         {{0, "0", -0.5, 0.25, -2.5, 0.25}, {2, "0", -2.5, 1.25, 1, 90, 270}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        DxfText t;
        t.Opening();
        c.entity(t);
        Read(t.End().Eof());
        EXPECT_TRUE(RowsAre(table, c.rows, 1e-12));
    }
}

// ---- ellipses and arcs --------------------------------------------------------------

// An ELLIPSE as written: centre, major semi-axis, ratio, parameters in radians. The
// row keeps them (parameters in degrees); an extrusion pointing down reverses the
// parameter, and the row runs t -> -t so that it still goes counter-clockwise.
TEST_F(PlanReader, EllipsesKeepTheirAxesAndRunCounterClockwise) {
    const double cx = 12.3456789012345, cy = -6.54321098765432, mx = 3.605551275463989, my = -2.0;
    const double ratio = 0.3819660112501051, from = 0.5235987755982988, to = 2.356194490192345;
    DxfText t;
    t.Opening()
        .Ellipse(cx, cy, mx, my, ratio, 0, 2 * kPi, "E")
        .Ellipse(cx, cy, mx, my, ratio, from, to, "E")
        .Ellipse(cx, cy, mx, my, ratio, from, to, "E", -1)
        .Ellipse(cx, cy, mx, my, ratio, to, from + 2 * kPi, "E");
    Read(t.End().Eof(), {2, 3});
    EXPECT_TRUE(RowsAre(table,
                        {{3, "E", cx - 2, cy - 3, mx, my, 360, ratio, 0},
                         {3, "E", cx - 2, cy - 3, mx, my, 135, ratio, 30},
                         {3, "E", cx - 2, cy - 3, mx, my, 330, ratio, 225},
                         {3, "E", cx - 2, cy - 3, mx, my, 30, ratio, 135}},
                        1e-12));
    // The reversed one traces the written curve backwards.
    std::vector<PlanPoint> written;
    for (int i = 8; i >= 0; --i) {
        const double u = from + (to - from) * i / 8;
        // Minor semi-axis: the extrusion (0, 0, -1) crossed with the major one.
        written.push_back({cx - 2 + std::cos(u) * mx + std::sin(u) * ratio * my,
                           cy - 3 + std::cos(u) * my - std::sin(u) * ratio * mx});
    }
    EXPECT_TRUE(RowTraces(table[2], written, 1e-12));
}

// Arc angles end up between 0 and 360 whatever the file says, so that an arc over 0
// degrees reads as one; start and end on one direction is the whole circle.
TEST_F(PlanReader, ArcAnglesAreNormalised) {
    DxfText t;
    t.Opening().Arc(1, 2, 3, 98.25, 441.75).Arc(1, 2, 3, -90, 0.5).Arc(1, 2, 3, 30, 30).Arc(1, 2, 3, 725, 10);
    Read(t.End().Eof());
    EXPECT_TRUE(RowsAre(table, {{2, "0", 1, 2, 3, 98.25, 81.75},
                                {2, "0", 1, 2, 3, 270, 0.5},
                                {1, "0", 1, 2, 3},
                                {2, "0", 1, 2, 3, 5, 10}}));
}

// Top-level entities read back digit for digit: no map touches them.
TEST_F(PlanReader, PlainEntitiesKeepEveryDigit) {
    DxfText t;
    t.Opening()
        .LineEntity(110.1234567890123, 220.9876543210987, 130.0000000000001, 250.3333333333333, "壁")
        .Circle(110.1234567890123, 220.9876543210987, 7.500000000000001)
        .Arc(100.0000000000001, 200.9999999999999, 3.141592653589793, 350.1234567890123, 10.98765432109877, "A");
    Read(t.End().Eof());
    EXPECT_TRUE(RowsAre(table, {{0, "壁", 110.1234567890123, 220.9876543210987, 130.0000000000001, 250.3333333333333},
                                {1, "0", 110.1234567890123, 220.9876543210987, 7.500000000000001},
                                {2, "A", 100.0000000000001, 200.9999999999999, 3.141592653589793, 350.1234567890123,
                                 10.98765432109877}}));
}

// ---- layers -------------------------------------------------------------------------

// An entity of a block on layer "0" takes the layer of the reference that places it,
// at every level; one on another layer keeps its own.
TEST_F(PlanReader, LayerZeroTakesTheReferencesLayerAtEachLevel) {
    Read(Plan(
        [](DxfText& t) {
            t.Block("B", 0, 0).Circle(1, 1, 1).EndBlock();
            t.Block("A", 0, 0)
                .LineEntity(0, 0, 1, 0)
                .LineEntity(0, 0, 0, 1, "WALL")
                .Insert("B", 0, 0)
                .Insert("B", 5, 0, {}, "FRAME")
                .EndBlock();
        },
        [](DxfText& t) {
            t.Insert("A", 0, 0, {}, "DOOR");
            t.Insert("A", 0, 10);
            t.LineEntity(7, 7, 8, 8);
        }));
    EXPECT_TRUE(RowsAre(table, {{0, "DOOR", 0, 0, 1, 0},
                                {0, "WALL", 0, 0, 0, 1},
                                {1, "DOOR", 1, 1, 1},
                                {1, "FRAME", 6, 1, 1},
                                {0, "0", 0, 10, 1, 10},
                                {0, "WALL", 0, 10, 0, 11},
                                {1, "0", 1, 11, 1},
                                {1, "FRAME", 6, 11, 1},
                                {0, "0", 7, 7, 8, 8}}));
}

// A layer that is off (negative colour) or frozen (flag 1) shows nothing; a frozen
// reference hides all it holds, one that is only off hides what takes its layer.
// Names compare without case; a Shift-JIS name's second byte is not a letter.
TEST_F(PlanReader, HiddenLayersGiveNoRows) {
    const std::vector<DxfText::LayerEntry> layers = {
        {"0", 7, 0}, {"OFF", -7, 0}, {"FROZEN", 3, 1}, {"ON", 1, 0}, {"ア", -2, 0}};
    Read(Plan(
             [](DxfText& t) { t.Block("B", 0, 0).LineEntity(0, 0, 1, 0).LineEntity(0, 0, 0, 1, "ON").EndBlock(); },
             [](DxfText& t) {
                 t.LineEntity(1, 1, 2, 2, "OFF").LineEntity(1, 1, 2, 2, "frozen").Circle(3, 3, 1, "ON");
                 t.Insert("B", 10, 0, {}, "OFF");      // the "ON" line shows
                 t.Insert("B", 20, 0, {}, "Frozen");   // nothing shows
                 t.Insert("B", 30, 0, {}, "on");       // both show
                 t.LineEntity(5, 5, 6, 6, "ア").LineEntity(5, 5, 6, 6, "ヂ");  // 83 41 and 83 61
             },
             layers));
    EXPECT_TRUE(RowsAre(table, {{1, "ON", 3, 3, 1},
                                {0, "ON", 10, 0, 10, 1},
                                {0, "on", 30, 0, 31, 0},
                                {0, "ON", 30, 0, 30, 1},
                                {0, "ヂ", 5, 5, 6, 6}}));
}

// ---- texts, splines, points and solids as shapes -------------------------------------

// What the walk hands over when shapes are asked for.
struct Walked {
    std::vector<EntityRecord> rows;
    std::vector<WorldEntity> shapes;
    PlanShapesLeftOut leftOut;
};
Walked WalkWithShapes(const DxfText& text, PlanPoint base) {
    Walked w;
    const PlanWalkEnd end = WalkPlan(
        SplitDxfLines(text.str()), "plan.dxf", base.x, base.y,
        [&](const EntityRecord& row) {
            w.rows.push_back(row);
            return true;
        },
        [&](const WorldEntity& shape) {
            w.shapes.push_back(shape);
            return true;
        },
        w.leftOut);
    EXPECT_EQ(end, PlanWalkEnd::Whole);
    return w;
}

bool Near(Vec2 drawn, PlanPoint expected, double tolerance) {
    return std::hypot(drawn.X - expected.x, drawn.Y - expected.y) <= tolerance;
}

// Inside a reference (turned, unevenly scaled) inside another, a text, an aligned
// text, a spline, a point and a solid come out placed by the product of the two maps
// and relative to the base point: a text's glyph box corner for corner, its alignment
// point too; a spline's control and fit points with its knots and weights as they
// were. A mirrored placement leaves the texts out (counted); beside them in model
// space a mirrored text, a tilted one and one in a tilted reference, a text of no
// height, a text on a frozen layer and a spline whose knots do not fit its points
// are counted or hidden, and a point keeps no plane.
TEST_F(PlanReader, ShapesInsideTurnedUnevenReferencesArePlacedByBothMaps) {
    struct Level {
        double sx, sy, degrees;
    };
    struct Case {
        const char* name;
        Level inner, outer;
        bool mirrored;
    };
    const Case cases[] = {
        {"turned inside an uneven scale", {1, 1, 35}, {2, 0.5, 0}, false},
        {"uneven and turned at both levels", {1.75, 0.6, -62.5}, {0.8, 1.3, 20}, false},
        {"mirrored outside", {1, 1, 35}, {-2, 0.5, 0}, true},
    };
    const PlanPoint innerBase{1.234567890123456, -0.9876543210987654};
    const PlanPoint outerBase{-7.071067811865475, 3.333333333333333};
    const PlanPoint innerAt{4.123105625617661, -2.449489742783178};
    const PlanPoint outerAt{1234.567890123457, -987.6543210987654};
    const PlanPoint base{1000.000000000001, -1000.123456789012};
    const PlanPoint textAt{3.141592653589793, 2.718281828459045};
    const double height = 1.414213562373095, rotation = 27.5, width = 0.8164965809277260, oblique = 15;
    const PlanPoint alignedStart{-1.732050807568877, 0.5772156649015329}, alignedAt{2.23606797749979, -0.6931471805599453};
    const std::vector<PlanPoint> controls = {
        {0.1, 0.2}, {1.618033988749895, 2.302585092994046}, {3.605551275463989, -1.259921049894873}, {5.5, 0.25}};
    const std::vector<double> knots = {0, 0, 0, 0, 1, 1, 1, 1};
    const std::vector<double> weights = {1, 0.7071067811865476, 0.7071067811865476, 1};
    const std::vector<PlanPoint> fits = {{0.1, 0.2}, {5.5, 0.25}};
    const PlanPoint pointAt{-4.444444444444445, 6.666666666666667};
    const PlanPoint solid[3] = {{0, 0}, {2.718281828459045, 0.3333333333333333}, {1.0471975511965976, 1.7724538509055159}};
    const PlanPoint looseAt{7.777777777777778, -8.888888888888889};
    const auto N = DxfText::N;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto place = [](Level l) { return Placement{l.sx, l.sy, l.degrees}; };
        const DxfText plan = Plan(
            [&](DxfText& t) {
                t.Block("INNER", innerBase.x, innerBase.y).LineEntity(0, 0, 1, 1);
                t.Pair(0, "TEXT").Pair(8, "0").Pair(10, N(textAt.x)).Pair(20, N(textAt.y)).Pair(30, "0.0");
                t.Pair(40, N(height)).Pair(1, "TAG 1").Pair(50, N(rotation)).Pair(41, N(width)).Pair(51, N(oblique));
                t.Pair(7, "ROMANS");
                t.Pair(0, "TEXT").Pair(8, "NOTES").Pair(10, N(alignedStart.x)).Pair(20, N(alignedStart.y));
                t.Pair(40, N(height)).Pair(1, "C").Pair(72, "1").Pair(11, N(alignedAt.x)).Pair(21, N(alignedAt.y));
                t.Pair(73, "3");
                t.Pair(0, "SPLINE").Pair(8, "CURVES").Pair(210, "0.0").Pair(220, "0.0").Pair(230, "1.0");
                t.Pair(70, "12").Pair(71, "3").Pair(72, "8").Pair(73, "4").Pair(74, "2");
                for (double k : knots) t.Pair(40, N(k));
                for (double w : weights) t.Pair(41, N(w));
                for (const PlanPoint& p : controls) t.Pair(10, N(p.x)).Pair(20, N(p.y)).Pair(30, "0.0");
                for (const PlanPoint& p : fits) t.Pair(11, N(p.x)).Pair(21, N(p.y)).Pair(31, "0.0");
                t.Pair(0, "POINT").Pair(8, "0").Pair(10, N(pointAt.x)).Pair(20, N(pointAt.y)).Pair(30, "0.0");
                t.Pair(0, "SOLID").Pair(8, "FILL");
                for (int i = 0; i < 3; ++i) t.Pair(10 + i, N(solid[i].x)).Pair(20 + i, N(solid[i].y)).Pair(30 + i, "0.0");
                t.EndBlock();
                t.Block("OUTER", outerBase.x, outerBase.y).Insert("INNER", innerAt.x, innerAt.y, place(c.inner)).EndBlock();
                t.Block("LABEL", 0, 0).Pair(0, "TEXT").Pair(8, "0").Pair(10, "1").Pair(20, "2").Pair(40, "2.5");
                t.Pair(1, "in a tilted reference").EndBlock();
            },
            [&](DxfText& t) {
                t.Insert("OUTER", outerAt.x, outerAt.y, place(c.outer), "PLAN");
                t.Pair(0, "TEXT").Pair(8, "0").Pair(10, "1").Pair(20, "2").Pair(40, "2.5").Pair(1, "mirrored");
                t.Extrusion(-1);
                t.Pair(0, "TEXT").Pair(8, "0").Pair(10, "1").Pair(20, "2").Pair(40, "2.5").Pair(1, "tilted");
                t.Pair(210, "0.0").Pair(220, "0.6").Pair(230, "0.8");
                t.Pair(0, "INSERT").Pair(8, "0").Pair(2, "LABEL").Pair(10, "3").Pair(20, "4").Pair(30, "0");
                t.Pair(210, "0.6").Pair(220, "0.0").Pair(230, "0.8");
                t.Pair(0, "TEXT").Pair(8, "0").Pair(10, "1").Pair(20, "2").Pair(40, "0").Pair(1, "no height");
                t.Pair(0, "TEXT").Pair(8, "HIDDEN").Pair(10, "1").Pair(20, "2").Pair(40, "2.5").Pair(1, "frozen");
                t.Pair(0, "SPLINE").Pair(8, "0").Pair(70, "8").Pair(71, "3").Pair(40, "0").Pair(40, "1");
                t.Pair(10, "0").Pair(20, "0").Pair(10, "1").Pair(20, "1").Pair(10, "2").Pair(20, "0");
                t.Pair(0, "POINT").Pair(8, "0").Pair(10, N(looseAt.x)).Pair(20, N(looseAt.y)).Pair(30, "5.0");
                t.Pair(210, "0.0").Pair(220, "0.6").Pair(230, "0.8");
            },
            {{"0", 7, 0}, {"HIDDEN", 7, 1}});
        const Walked walked = WalkWithShapes(plan, base);
        const auto map = [](PlanPoint at, Level l, PlanPoint b) { return Reference(at, l.sx, l.sy, l.degrees, b); };
        const Map2 w = map(outerAt, c.outer, outerBase).After(map(innerAt, c.inner, innerBase));
        ASSERT_EQ(w.Det() < 0, c.mirrored) << "the case table is wrong";
        ASSERT_FALSE(w.Similar()) << "the case table is wrong";
        const auto placed = [&](PlanPoint p) { return Relative({w(p)}, base)[0]; };
        const double tolerance = 1e-9;

        // The rows are those of the walk without shapes.
        ASSERT_EQ(walked.rows.size(), 1u);
        EXPECT_TRUE(RowTraces(walked.rows[0], Relative({w({0, 0}), w({1, 1})}, base), tolerance));

        EXPECT_EQ(walked.leftOut.Mirrored, c.mirrored ? 3u : 1u);
        EXPECT_EQ(walked.leftOut.Tilted, 2u);
        EXPECT_EQ(walked.leftOut.Damaged, 2u);
        const std::size_t texts = c.mirrored ? 0 : 2;
        ASSERT_EQ(walked.shapes.size(), texts + 4);
        if (!c.mirrored) {
            const WorldText* text = std::get_if<WorldText>(&walked.shapes[0].Shape);
            ASSERT_NE(text, nullptr);
            EXPECT_EQ(walked.shapes[0].Layer, "PLAN");
            EXPECT_EQ(text->Text, "TAG 1");
            EXPECT_EQ(text->Style, "ROMANS");
            EXPECT_EQ(text->HorizontalAlign, 0);
            for (const auto& [along, up] : testing::kGlyphCorners) {
                const PlanPoint planCorner = testing::GlyphCorner(textAt, height, rotation, width, oblique, along, up);
                const PlanPoint drawn = testing::GlyphCorner({text->Insert.X, text->Insert.Y}, text->Height,
                                                             text->RotationDeg, text->WidthFactor, text->ObliqueDeg,
                                                             along, up);
                EXPECT_TRUE(Near({drawn.x, drawn.y}, placed(planCorner), tolerance)) << "corner " << along << "," << up;
            }
            const WorldText* aligned = std::get_if<WorldText>(&walked.shapes[1].Shape);
            ASSERT_NE(aligned, nullptr);
            EXPECT_EQ(walked.shapes[1].Layer, "NOTES");
            EXPECT_EQ(aligned->HorizontalAlign, 1);
            EXPECT_EQ(aligned->VerticalAlign, 3);
            EXPECT_TRUE(Near(aligned->AlignPoint, placed(alignedAt), tolerance));
            EXPECT_TRUE(Near(aligned->Insert, placed(alignedStart), tolerance));
        }
        const WorldSpline* spline = std::get_if<WorldSpline>(&walked.shapes[texts].Shape);
        ASSERT_NE(spline, nullptr);
        EXPECT_EQ(walked.shapes[texts].Layer, "CURVES");
        EXPECT_EQ(spline->Flags, 12);
        EXPECT_EQ(spline->Degree, 3);
        EXPECT_EQ(spline->Knots, knots);
        EXPECT_EQ(spline->Weights, weights);
        ASSERT_EQ(spline->ControlPoints.size(), controls.size());
        for (std::size_t i = 0; i < controls.size(); ++i)
            EXPECT_TRUE(Near(spline->ControlPoints[i], placed(controls[i]), tolerance)) << "control point " << i;
        ASSERT_EQ(spline->FitPoints.size(), fits.size());
        for (std::size_t i = 0; i < fits.size(); ++i)
            EXPECT_TRUE(Near(spline->FitPoints[i], placed(fits[i]), tolerance)) << "fit point " << i;
        const WorldPoint* point = std::get_if<WorldPoint>(&walked.shapes[texts + 1].Shape);
        ASSERT_NE(point, nullptr);
        EXPECT_EQ(walked.shapes[texts + 1].Layer, "PLAN");
        EXPECT_TRUE(Near(point->At, placed(pointAt), tolerance));
        const WorldSolid* fill = std::get_if<WorldSolid>(&walked.shapes[texts + 2].Shape);
        ASSERT_NE(fill, nullptr);
        EXPECT_EQ(walked.shapes[texts + 2].Layer, "FILL");
        // A triangle: the fourth corner repeats the third.
        const PlanPoint corners[4] = {solid[0], solid[1], solid[2], solid[2]};
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(Near(fill->Corners[i], placed(corners[i]), tolerance)) << "corner " << i;
        const WorldPoint* loose = std::get_if<WorldPoint>(&walked.shapes[texts + 3].Shape);
        ASSERT_NE(loose, nullptr);
        EXPECT_TRUE(Near(loose->At, Relative({looseAt}, base)[0], 0));
    }
}

// An MTEXT comes out as the texts of its lines, each hung by the alignment its
// attachment point names from its place in the paragraph: the lines a pitch of 5/3 of
// the height times the spacing factor apart, down the text's own upright; the direction
// from group 11 when there is one, else from group 50 in degrees; formatting codes
// gone. A dimension draws the pieces of its block, placed at its group 12, also inside
// a reference. Expected places worked out from the geometry.
TEST_F(PlanReader, MTextLinesAndDimensionPiecesWhenShapesAreAsked) {
    const auto N = DxfText::N;
    struct MText {
        const char* name;
        PlanPoint at;
        double height, spacing;
        int attachment;
        std::optional<double> directionDegrees;  // written as group 11
        std::optional<double> rotationDegrees;   // written as group 50
        std::string raw;                         // groups 3 and 1 as written
        std::vector<std::string> lines;          // the lines expected, "" for none
    };
    const MText rows[] = {
        {"top left, three lines and an empty one, direction 30", {10.123456789012345, -3.3333333333333335},
         2.5, 1.0, 1, 30.0, std::nullopt, "A\\PB\\P\\PC", {"A", "B", "", "C"}},
        {"middle centre, rotation 90 in degrees, spacing 1.5", {-7.0710678118654755, 0.5}, 1.75, 1.5, 5,
         std::nullopt, 90.0, "{\\fArial|b1;12}\\P3\\~4", {"12", "3 4"}},
        {"bottom right, a stack and braces", {0.1, 0.2}, 3.0, 1.0, 9, 0.0, std::nullopt,
         "\\H2.5;\\C1;\\S1^2;\\{x\\}\\\\", {"1/2{x}\\"}},
    };
    const DxfText plan = Plan(
        [&](DxfText& t) {
            t.Block("*D7", 0, 0).LineEntity(0, 0, 10.5, 0).LineEntity(0, -1, 0, 0.5).EndBlock();
            t.Block("DIMS", 0, 0).Pair(0, "DIMENSION").Pair(8, "0").Pair(2, "*D7").Pair(10, "0").Pair(20, "0").EndBlock();
        },
        [&](DxfText& t) {
            for (const MText& m : rows) {
                t.Pair(0, "MTEXT").Pair(8, "NOTES").Pair(10, N(m.at.x)).Pair(20, N(m.at.y)).Pair(30, "0.0");
                t.Pair(40, N(m.height)).Pair(44, N(m.spacing)).Pair(71, std::to_string(m.attachment));
                if (m.directionDegrees)
                    t.Pair(11, N(std::cos(Rad(*m.directionDegrees)))).Pair(21, N(std::sin(Rad(*m.directionDegrees))));
                if (m.rotationDegrees) t.Pair(50, N(*m.rotationDegrees));
                // Long texts come in chunks of group 3 before the last, group 1.
                t.Pair(3, m.raw.substr(0, 2)).Pair(1, m.raw.substr(2));
            }
            t.Pair(0, "DIMENSION").Pair(8, "DIM").Pair(2, "*D7").Pair(10, "99").Pair(20, "99").Pair(12, "5.25").Pair(
                22, "-0.5");
            t.Insert("DIMS", 100, 200, Placement{1, 1, 90}, "DIM");
        });
    const PlanPoint base{1.5, -2.25};
    const Walked walked = WalkWithShapes(plan, base);
    const double tolerance = 1e-9;

    std::size_t next = 0;
    for (const MText& m : rows) {
        SCOPED_TRACE(m.name);
        const double degrees = m.directionDegrees.value_or(m.rotationDegrees.value_or(0));
        const PlanPoint down{std::sin(Rad(degrees)), -std::cos(Rad(degrees))};
        const double pitch = 5.0 / 3.0 * m.height * m.spacing;
        const double n = static_cast<double>(m.lines.size());
        const int row = (m.attachment - 1) / 3;
        for (std::size_t i = 0; i < m.lines.size(); ++i) {
            if (m.lines[i].empty()) continue;
            // The top line hangs from the point; the bottom one stands on it; the middle
            // of the block is at it.
            const double below = row == 0   ? static_cast<double>(i) * pitch
                                 : row == 1 ? (static_cast<double>(i) - (n - 1) / 2) * pitch
                                            : (static_cast<double>(i) - (n - 1)) * pitch;
            const PlanPoint expected{m.at.x + below * down.x - base.x, m.at.y + below * down.y - base.y};
            ASSERT_LT(next, walked.shapes.size());
            const WorldText* text = std::get_if<WorldText>(&walked.shapes[next].Shape);
            ASSERT_NE(text, nullptr) << "line " << i;
            EXPECT_EQ(walked.shapes[next++].Layer, "NOTES");
            EXPECT_EQ(text->Text, m.lines[i]);
            EXPECT_EQ(text->HorizontalAlign, (m.attachment - 1) % 3);
            EXPECT_EQ(text->VerticalAlign, 3 - row) << "top 3, middle 2, bottom 1";
            EXPECT_TRUE(Near(text->AlignPoint, expected, tolerance)) << "line " << i;
            EXPECT_NEAR(std::remainder(text->RotationDeg - degrees, 360), 0, 1e-9);
            EXPECT_NEAR(text->Height, m.height, 0);
        }
    }
    EXPECT_EQ(next, walked.shapes.size());
    // The dimension at (5.25, -0.5), then inside DIMS turned 90 at (100, 200).
    const auto turned = [](PlanPoint p) { return PlanPoint{100 - p.y, 200 + p.x}; };
    const std::vector<std::vector<PlanPoint>> pieces = {
        {{5.25, -0.5}, {15.75, -0.5}}, {{5.25, -1.5}, {5.25, 0}},
        {turned({0, 0}), turned({10.5, 0})}, {turned({0, -1}), turned({0, 0.5})}};
    ASSERT_EQ(walked.rows.size(), pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(walked.rows[i].Layer, "DIM");
        EXPECT_TRUE(RowTraces(walked.rows[i], Relative(pieces[i], base), tolerance)) << "piece " << i;
    }

    // Without shapes (the palette's reading) neither gives anything.
    Read(plan, base);
    EXPECT_EQ(Filled(), 0);
}

// A hatch gives its boundary when shapes are asked for: here an edge path of a line
// and a counter-clockwise quarter arc and a closed polyline path, inside a block
// placed turned by 90 degrees; each piece where the turn puts it, the arc still
// counter-clockwise. The palette's reading takes nothing from it.
TEST_F(PlanReader, HatchBoundariesWhenShapesAreAsked) {
    const auto N = DxfText::N;
    const PlanPoint c{2.718281828459045, 1.414213562373095};
    const double r = 0.5772156649015329;
    const DxfText plan = Plan(
        [&](DxfText& t) {
            t.Block("FILLED", 0, 0).Pair(0, "HATCH").Pair(8, "0").Pair(100, "AcDbHatch");
            t.Pair(10, "0").Pair(20, "0").Pair(30, "0").Pair(210, "0").Pair(220, "0").Pair(230, "1");
            t.Pair(2, "SOLID").Pair(70, "1").Pair(71, "0").Pair(91, "2");
            // An edge path: a line into the arc's start, the arc from 0 to 90 degrees.
            t.Pair(92, "1").Pair(93, "2");
            t.Pair(72, "1").Pair(10, N(c.x)).Pair(20, "0").Pair(11, N(c.x + r)).Pair(21, N(c.y));
            t.Pair(72, "2").Pair(10, N(c.x)).Pair(20, N(c.y)).Pair(40, N(r)).Pair(50, "0").Pair(51, "90").Pair(73, "1");
            t.Pair(97, "0");
            // A closed polyline path: a triangle.
            t.Pair(92, "3").Pair(72, "0").Pair(73, "1").Pair(93, "3");
            t.Pair(10, "0").Pair(20, "0").Pair(10, "1.25").Pair(20, "0").Pair(10, "0").Pair(20, "0.75").Pair(97, "0");
            t.Pair(75, "0").Pair(76, "1").Pair(98, "1").Pair(10, "9").Pair(20, "9");
            t.EndBlock();
        },
        [&](DxfText& t) { t.Insert("FILLED", 100, 200, Placement{1, 1, 90}, "FILL"); });
    const Walked walked = WalkWithShapes(plan, {});
    const auto turned = [](PlanPoint p) { return Vec2{100 - p.y, 200 + p.x}; };
    WorldEllipse arc;
    arc.Centre = turned(c);
    arc.MajorAxis = {0, r};  // the arc's 0 degrees, turned
    arc.Ratio = 1;
    arc.StartParam = 0;
    arc.EndParam = kPi / 2;
    const std::vector<WorldShape> want = {
        WorldLine{turned({c.x, 0}), turned({c.x + r, c.y})},
        arc,
        WorldLine{turned({0, 0}), turned({1.25, 0})},
        WorldLine{turned({1.25, 0}), turned({0, 0.75})},
        WorldLine{turned({0, 0.75}), turned({0, 0})},
    };
    std::vector<WorldShape> got;
    for (const WorldEntity& e : walked.shapes) {
        EXPECT_EQ(e.Layer, "FILL");
        got.push_back(e.Shape);
    }
    EXPECT_TRUE(testing::ShapesAre(got, want, 1e-9));
    EXPECT_TRUE(walked.rows.empty());
    EXPECT_EQ(walked.leftOut.Damaged, 0u);
    Read(plan);
    EXPECT_EQ(Filled(), 0);

    // A spline edge whose counts do not agree (eight knots, no control point, no fit
    // point) is damage, as a SPLINE's would be: counted, not handed to the writer,
    // which cannot write it; the line edge beside it is drawn.
    const DxfText damaged = Plan([](DxfText&) {},
                                 [&](DxfText& t) {
                                     t.Pair(0, "HATCH").Pair(8, "0").Pair(100, "AcDbHatch").Pair(10, "0").Pair(20, "0");
                                     t.Pair(30, "0").Pair(2, "SOLID").Pair(70, "1").Pair(71, "0").Pair(91, "1");
                                     t.Pair(92, "1").Pair(93, "2");
                                     t.Pair(72, "1").Pair(10, "0").Pair(20, "0").Pair(11, "2.5").Pair(21, "0");
                                     t.Pair(72, "4").Pair(94, "3").Pair(73, "0").Pair(74, "0").Pair(95, "8").Pair(96, "0");
                                     for (const char* k : {"0", "0", "0", "0", "1", "1", "1", "1"}) t.Pair(40, k);
                                     t.Pair(97, "0").Pair(75, "1").Pair(76, "1").Pair(98, "0");
                                 });
    const Walked broken = WalkWithShapes(damaged, {});
    EXPECT_EQ(broken.leftOut.Damaged, 1u);
    ASSERT_EQ(broken.shapes.size(), 1u);
    EXPECT_TRUE(testing::ShapesAre({broken.shapes[0].Shape}, {WorldLine{{0, 0}, {2.5, 0}}}, 1e-12));
}

// A text written backward (71 = 2) or upside down (4) has mirrored glyphs: alone it is
// a mirrored text, left out and counted as one; a mirroring placement undoes it, and
// both flags together are a half turn. What comes out reads upright, each glyph corner
// where the plan puts it.
TEST_F(PlanReader, TextsWrittenBackwardOrUpsideDown) {
    struct Case {
        const char* name;
        int generation;
        bool mirroredPlacement;
        bool drawn;
        double rotation;  // of the text drawn, degrees
    };
    const Case cases[] = {
        {"backward", 2, false, false, 0},
        {"upside down", 4, false, false, 0},
        {"both: a half turn", 6, false, true, 180},
        {"backward in a mirrored reference", 2, true, true, 0},
        {"upside down in a mirrored reference", 4, true, true, 180},
        {"plain in a mirrored reference", 0, true, false, 0},
    };
    const PlanPoint at{1.234567890123457, 2.5};
    const double height = 2.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DxfText plan = Plan(
            [&](DxfText& t) {
                t.Block("T", 0, 0).Pair(0, "TEXT").Pair(8, "0").Pair(10, DxfText::N(at.x)).Pair(20, "2.5");
                t.Pair(40, "2.5").Pair(1, "R").Pair(71, std::to_string(c.generation)).EndBlock();
            },
            [&](DxfText& t) { t.Insert("T", 10, 0, Placement{c.mirroredPlacement ? -1.0 : 1.0, 1, 0}, "NOTES"); });
        const Walked walked = WalkWithShapes(plan, {});
        EXPECT_EQ(walked.leftOut.Mirrored, c.drawn ? 0u : 1u);
        ASSERT_EQ(walked.shapes.size(), c.drawn ? 1u : 0u);
        if (!c.drawn) continue;
        const WorldText* text = std::get_if<WorldText>(&walked.shapes[0].Shape);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->Generation, 0);
        EXPECT_NEAR(std::remainder(text->RotationDeg - c.rotation, 360), 0, 1e-9);
        // The glyph box of the plan: along the baseline backward when so written, up or
        // down; then the placement, x mirrored or not, moved by 10.
        const double along = (c.generation & 2) ? -1 : 1, up = (c.generation & 4) ? -1 : 1;
        const auto placed = [&](PlanPoint p) { return PlanPoint{10 + (c.mirroredPlacement ? -p.x : p.x), p.y}; };
        for (const auto& [a, u] : testing::kGlyphCorners) {
            const PlanPoint written = {at.x + along * a * height, at.y + up * u * height};
            const PlanPoint drawn = testing::GlyphCorner({text->Insert.X, text->Insert.Y}, text->Height, text->RotationDeg,
                                                         text->WidthFactor, text->ObliqueDeg, a, u);
            EXPECT_TRUE(Near({drawn.x, drawn.y}, placed(written), 1e-9)) << "corner " << a << "," << u;
        }
    }
}

TEST(MTextPlainLines, FormattingCodesGoAndTheTextStays) {
    struct Case {
        std::string raw;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"plain", {"plain"}},
        {"one\\Ptwo\\P", {"one", "two", ""}},
        {"{\\fMS Gothic|b0|i0|c128|p49;\\H0.7x;\\C3;big}\\~small", {"big small"}},
        {"\\A1;\\W0.8;\\Q15;\\T1.1;\\Lunder\\l \\Oover\\o \\Kout\\k", {"under over out"}},
        {"\\S3#4;\\U+2205 %%c25", {"3/4\\U+2205 %%c25"}},
        {"a\\\\b\\{c\\}", {"a\\b{c}"}},
        // 表 and ソ in code page 932 end in a backslash byte; that byte is no code.
        {"\x95\\P\x83\\W", {"\x95\\P\x83\\W"}},
        // In UTF-8 no byte of a character is a backslash.
        {"\xE8\xA1\xA8\\P\xE8\xA1\xA8", {"\xE8\xA1\xA8", "\xE8\xA1\xA8"}},
        {"no end \\H2.5", {"no end "}},
    };
    for (const Case& r : cases) EXPECT_EQ(MTextPlainLines(r.raw), r.lines) << r.raw;
}

// An extrusion is a direction: one written with huge components (whose squares leave
// the doubles' range) gives the rows of the same direction written small, never a
// number that is none.
TEST_F(PlanReader, ExtrusionsOfHugeComponentsAreTheirDirections) {
    struct Case {
        const char* name;
        const char* x;
        const char* y;
        const char* z;  // the huge extrusion
        const char* smallZ;
    };
    const Case cases[] = {
        {"down", "0.0", "0.0", "-9.458421430852E183", "-1.0"},
        {"up", "0.0", "0.0", "1E300", "1.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto plan = [&](const char* z) {
            return Plan([](DxfText&) {},
                        [&](DxfText& t) {
                            t.Circle(3.0000000000000004, 4.25, 2.5).Pair(210, c.x).Pair(220, c.y).Pair(230, z);
                            t.Arc(-1.5, 2.75, 1.25, 10, 100).Pair(210, c.x).Pair(220, c.y).Pair(230, z);
                        });
        };
        Read(plan(c.z));
        const EntityTableRows huge = table;
        ClearEntityTable(table);
        Read(plan(c.smallZ));
        ASSERT_EQ(Filled(), 2);
        for (std::size_t i = 0; i < 2; ++i) {
            const EntityRecord& got = huge[i];
            const EntityRecord& want = table[i];
            EXPECT_TRUE(std::isfinite(got.X1)) << i;
            EXPECT_EQ(got.Kind, want.Kind) << i;
            EXPECT_NEAR(got.X1, want.X1, 1e-12) << i;
            EXPECT_NEAR(got.Y1, want.Y1, 1e-12) << i;
            EXPECT_NEAR(got.X2, want.X2, 1e-12) << i;
            EXPECT_NEAR(got.Y2, want.Y2, 1e-9) << i;
            EXPECT_NEAR(got.EndAngle, want.EndAngle, 1e-9) << i;
        }
        ClearEntityTable(table);
    }
}

// ---- what gives no rows -------------------------------------------------------------

TEST_F(PlanReader, TextsDimensionsHatchesAndTheLikeGiveNoRows) {
    Read(Plan(
        [](DxfText& t) {
            t.Block("*D1", 0, 0).LineEntity(0, 0, 5, 0).EndBlock();
            t.Block("TAG", 0, 0).Pair(0, "ATTDEF").Pair(8, "0").Pair(10, "0").Pair(20, "0").Pair(1, "x").EndBlock();
        },
        [](DxfText& t) {
            t.Pair(0, "TEXT").Pair(8, "0").Pair(10, "1").Pair(20, "2").Pair(40, "2.5").Pair(1, "LINE");
            t.Pair(0, "MTEXT").Pair(8, "0").Pair(10, "1").Pair(20, "2").Pair(1, "CIRCLE");
            t.Pair(0, "DIMENSION").Pair(8, "0").Pair(2, "*D1").Pair(10, "0").Pair(20, "0");
            t.Pair(0, "HATCH").Pair(8, "0").Pair(10, "0").Pair(20, "0").Pair(91, "1");
            t.Pair(0, "POINT").Pair(8, "0").Pair(10, "3").Pair(20, "4");
            t.Pair(0, "SOLID").Pair(8, "0").Pair(10, "0").Pair(20, "0").Pair(11, "1").Pair(21, "0");
            t.Pair(0, "SPLINE").Pair(8, "0").Pair(70, "8").Pair(10, "0").Pair(20, "0").Pair(10, "1").Pair(20, "1");
            t.Pair(0, "3DFACE").Pair(8, "0").Pair(10, "0").Pair(20, "0").Pair(11, "1").Pair(21, "0");
            // A reference's attributes are texts, even with points.
            t.Insert("TAG", 0, 0).Pair(66, "1");
            t.Pair(0, "ATTRIB").Pair(8, "0").Pair(10, "1").Pair(20, "1").Pair(1, "v").Pair(0, "SEQEND");
            // Paper space and invisible entities are not in the plan.
            t.LineEntity(0, 0, 1, 1).Pair(67, "1");
            t.Circle(0, 0, 1).Pair(60, "1");
            t.Insert("MISSING", 0, 0);
        }));
    EXPECT_EQ(Filled(), 0);
    EXPECT_TRUE(sink.confirmations.empty());
}

// ---- bounds ---------------------------------------------------------------------------

TEST_F(PlanReader, BlocksThatHoldThemselvesAreDrawnOnce) {
    struct Case {
        const char* name;
        std::function<void(DxfText&)> blocks;
        int rows;
    };
    const Case cases[] = {
        {"directly", [](DxfText& t) { t.Block("A", 0, 0).LineEntity(0, 0, 1, 0).Insert("A", 2, 0).EndBlock(); }, 1},
        {"through another",
         [](DxfText& t) {
             t.Block("A", 0, 0).LineEntity(0, 0, 1, 0).Insert("B", 2, 0).EndBlock();
             t.Block("B", 0, 0).LineEntity(0, 0, 0, 1).Insert("a", 0, 2).EndBlock();
         },
         2},
        {"nothing but itself", [](DxfText& t) { t.Block("A", 0, 0).Insert("A", 1, 1).Insert("A", 2, 2).EndBlock(); },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        Read(Plan(c.blocks, [](DxfText& t) { t.Insert("A", 0, 0); }));
        EXPECT_EQ(Filled(), c.rows);
        EXPECT_TRUE(sink.confirmations.empty());
    }
}

// A chain of references deeper than any drawing has: read down to the bound, no
// further, without running out of stack.
TEST_F(PlanReader, AbsurdNestingStopsAtTheBound) {
    const int levels = 5000;
    Read(Plan(
        [&](DxfText& t) {
            for (int i = 0; i < levels; ++i) {
                t.Block("L" + std::to_string(i), 0, 0).LineEntity(i, 0, i, 1);
                if (i + 1 < levels) t.Insert("L" + std::to_string(i + 1), 0, 0);
                t.EndBlock();
            }
        },
        [](DxfText& t) { t.Insert("L0", 0, 0); }));
    ASSERT_EQ(Filled(), kDeepestBlockNesting);
    EXPECT_EQ(table[kDeepestBlockNesting - 1].X1, kDeepestBlockNesting - 1);
}

// Huge arrays and blocks of blocks cost bounded work: an empty block's array none,
// hidden contents until the work bound (then the too-many message), visible ones
// until the table is full.
TEST_F(PlanReader, HugeArraysAndFanOutsEndInBoundedWork) {
    struct Case {
        const char* name;
        std::function<void(DxfText&)> blocks;
        std::function<void(DxfText&)> entities;
        int rows;
        bool message;
    };
    const auto fanOut = [](DxfText& t) {
        // Twelve levels of ten references each: 10^12 lines, all on a frozen layer.
        t.Block("F12", 0, 0).LineEntity(0, 0, 1, 1, "FROZEN").EndBlock();
        for (int level = 11; level >= 0; --level) {
            t.Block("F" + std::to_string(level), 0, 0);
            for (int i = 0; i < 10; ++i) t.Insert("F" + std::to_string(level + 1), i, 0);
            t.EndBlock();
        }
    };
    const Case cases[] = {
        {"an empty block in 100000 x 100000 cells", [](DxfText& t) { t.Block("E", 0, 0).EndBlock(); },
         [](DxfText& t) { t.Insert("E", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}); }, 0, false},
        {"blocks that hold only empty blocks",
         [](DxfText& t) {
             t.Block("E", 0, 0).Pair(0, "TEXT").Pair(1, "t").EndBlock();
             t.Block("G", 0, 0).Insert("E", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}).EndBlock();
         },
         [](DxfText& t) { t.Insert("G", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}); }, 0, false},
        {"a polyline of one point in 100000 x 100000 cells",
         [](DxfText& t) { t.Block("P", 0, 0).BulgedLwpolyline({{0.1, 0.2, 0.5}}, true).EndBlock(); },
         [](DxfText& t) { t.Insert("P", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}); }, 0, false},
        {"hidden lines in 100000 x 100000 cells",
         [](DxfText& t) { t.Block("H", 0, 0).LineEntity(0, 0, 1, 1, "FROZEN").EndBlock(); },
         [](DxfText& t) { t.Insert("H", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}); }, 0, true},
        {"ten to the twelfth hidden lines", fanOut, [](DxfText& t) { t.Insert("F0", 0, 0); }, 0, true},
        {"visible lines in 100000 x 100000 cells", [](DxfText& t) { t.Block("V", 0, 0).LineEntity(0, 0, 1, 1).EndBlock(); },
         [](DxfText& t) { t.Insert("V", 0, 0, {1, 1, 0, 100000, 100000, 1, 1}); }, kEntityRows, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        sink.confirmations.clear();
        Read(Plan(c.blocks, c.entities, {{"FROZEN", 7, 1}}));
        EXPECT_EQ(Filled(), c.rows);
        EXPECT_EQ(sink.confirmations,
                  c.message ? std::vector<std::string>{TableFullMessage()} : std::vector<std::string>{});
    }
}

// ---- the table and faults -----------------------------------------------------------

TEST_F(PlanReader, AFullTableStopsWithOneMessageAndKeepsItsRows) {
    DxfText t;
    t.Opening();
    for (int i = 0; i < kEntityRows - 2; ++i) t.LineEntity(i, 0, i, 1);
    // The polyline's third segment is the 501st row.
    t.BulgedLwpolyline({{0, 5}, {1, 5}, {1, 6}, {0, 6}}, true).Circle(0, 0, 1);
    Read(t.End().Eof());
    EXPECT_EQ(Filled(), kEntityRows);
    EXPECT_EQ(table[kEntityRows - 1].Y2, 6) << "the polyline's second segment is the last row";
    EXPECT_EQ(sink.confirmations, std::vector<std::string>{TableFullMessage()});
    Read(t);
    EXPECT_EQ(sink.confirmations.size(), 2u) << "each read that meets a full table says so";
}

TEST_F(PlanReader, ANonNumberEndsTheReadKeepingEarlierRows) {
    struct Case {
        const char* name;
        std::function<void(DxfText&)> bad;
        const char* text;
    };
    const Case cases[] = {
        {"a circle's radius", [](DxfText& t) { t.Pair(0, "CIRCLE").Pair(10, "1").Pair(20, "2").Pair(40, "abc"); }, "abc"},
        {"a scale of a block used",
         [](DxfText& t) {
             t.Pair(0, "INSERT").Pair(8, "0").Pair(2, "B").Pair(10, "0").Pair(20, "0").Pair(41, "2,5");
         },
         "2,5"},
        {"a polyline's flags", [](DxfText& t) { t.Pair(0, "LWPOLYLINE").Pair(70, "closed").Pair(10, "0").Pair(20, "0"); },
         "closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearEntityTable(table);
        const DxfText plan = Plan([](DxfText& t) { t.Block("B", 0, 0).LineEntity(0, 0, 1, 1).EndBlock(); },
                                  [&](DxfText& t) {
                                      t.LineEntity(1, 2, 3, 4);
                                      c.bad(t);
                                      t.LineEntity(5, 6, 7, 8);
                                  });
        try {
            Read(plan);
            ADD_FAILURE() << "no error";
        } catch (const ConvertError& e) {
            EXPECT_EQ(e.Text(), c.text);
        }
        EXPECT_TRUE(RowsAre(table, {{0, "0", 1, 2, 3, 4}}));
    }
}

TEST_F(PlanReader, DamagedFilesAreNamedInTheError) {
    struct Case {
        const char* name;
        std::string text;
        const char* says;
    };
    const Case cases[] = {
        {"no ENTITIES section", DxfText().Begin("HEADER").End().Eof().str(), "ENTITIES"},
        {"a layer named like the section", DxfText().LayerTable({{"ENTITIES"}}).Eof().str(), "ENTITIES"},
        {"a value where a code belongs",
         "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n1\r\n 20\r\n2\r\n1.5\r\n3\r\n  0\r\nEOF\r\n",
         "11 行目"},
        {"a code without its value", "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n", "7 行目"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ReadPlanEntities(SplitDxfLines(c.text), "damaged.dxf", 0, 0, sink, table);
            ADD_FAILURE() << "no error";
        } catch (const DxfReadError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(c.says), std::string::npos) << what;
            EXPECT_NE(what.find("damaged.dxf"), std::string::npos) << what;
        }
    }
}

// Other programs write codes unpadded, end lines with LF alone, start with a byte
// order mark or leave blank lines after EOF.
TEST_F(PlanReader, LayoutsOfOtherWriters) {
    const std::string text =
        "\xEF\xBB\xBF" "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nL\n10\n1.5\n20\n2.5\n11\n3.5\n21\n4.5\n"
        "0\nENDSEC\n0\nEOF\n\n\n";
    ReadPlanEntities(SplitDxfLines(text), "other.dxf", 0, 0, sink, table);
    EXPECT_TRUE(RowsAre(table, {{0, "L", 1.5, 2.5, 3.5, 4.5}}));
}

}  // namespace
}  // namespace tessavue
