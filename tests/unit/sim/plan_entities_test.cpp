// What real plans hold besides lines and circles, as AutoCAD keeps it: polylines with
// arc segments (bulges), circles and arcs in object coordinates (extrusion 0,0,-1,
// as MIRROR leaves them), and the explosion of a block reference under unequal
// scales, which keeps what it cannot explode exactly in an anonymous block.
// Expected geometry is worked out here from the definitions, not from the stand-in.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "core/dxf_file.h"
#include "core/host.h"
#include "core/transform.h"
#include "plan_samples.h"

namespace tessavue::sim {
namespace {

constexpr double kTolerance = 1e-9;

// Whether every point of `outline` lies on the circle (centre, radius) within the
// tolerance, and the outline runs from `from` to `to`.
::testing::AssertionResult RunsOnCircle(const std::vector<Point>& outline, Point centre, double radius, Point from,
                                       Point to) {
    if (outline.size() < 2) return ::testing::AssertionFailure() << "no outline";
    for (const Point& p : outline) {
        if (std::abs(std::hypot(p.x - centre.x, p.y - centre.y) - radius) > 1e-6)
            return ::testing::AssertionFailure() << "(" << p.x << ", " << p.y << ") is off the circle";
    }
    const auto near = [](Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y) < 1e-6; };
    if (!near(outline.front(), from) || !near(outline.back(), to))
        return ::testing::AssertionFailure() << "runs from (" << outline.front().x << ", " << outline.front().y
                                             << ") to (" << outline.back().x << ", " << outline.back().y << ")";
    return ::testing::AssertionSuccess();
}

Entity Polyline(std::vector<Point> points, std::vector<double> bulges, bool closed) {
    Entity e;
    e.kind = EntityKind::Polyline;
    e.points = std::move(points);
    e.bulges = std::move(bulges);
    e.closed = closed;
    return e;
}

using samples::MirroredArc;
using samples::RoundedOutline;

TEST(SimPlanEntities, ArcSegmentsExplodeIntoArcsAndShowTheirCurve) {
    struct Case {
        const char* name;
        Entity polyline;
        Point centre;
        double radius;
        Point from, to;  // the arc segment's ends, in the polyline's direction
    };
    const Case cases[] = {
        {"counter-clockwise corner", RoundedOutline(), {16, 6}, 4, {20, 6}, {16, 10}},
        {"clockwise half circle", Polyline({{0, 0}, {10, 0}}, {-1, 0}, false), {5, 0}, 5, {0, 0}, {10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Entity> pieces = ExplodePolyline(c.polyline);
        const std::size_t segments = c.polyline.closed ? c.polyline.points.size() : c.polyline.points.size() - 1;
        ASSERT_EQ(pieces.size(), segments);
        int arcs = 0;
        for (const Entity& piece : pieces) {
            if (piece.kind != EntityKind::Arc) continue;
            ++arcs;
            EXPECT_NEAR(piece.points[0].x, c.centre.x, kTolerance);
            EXPECT_NEAR(piece.points[0].y, c.centre.y, kTolerance);
            EXPECT_NEAR(piece.radius, c.radius, kTolerance);
            // Counter-clockwise from start to end, whichever way the segment ran.
            Entity arc = piece;
            const std::vector<Point> curve = Outline(arc);
            const bool ccw = BulgeAt(c.polyline, 0) > 0 || BulgeAt(c.polyline, 2) > 0;
            EXPECT_TRUE(RunsOnCircle(curve, c.centre, c.radius, ccw ? c.from : c.to, ccw ? c.to : c.from));
        }
        EXPECT_EQ(arcs, 1);
        // The polyline itself shows the curve: every outline point between the
        // segment's ends lies on its circle.
        const std::vector<Point> outline = Outline(c.polyline);
        std::size_t onCircle = 0;
        for (const Point& p : outline)
            if (std::abs(std::hypot(p.x - c.centre.x, p.y - c.centre.y) - c.radius) < 1e-6) ++onCircle;
        EXPECT_GT(onCircle, 8u) << "the arc segment is drawn as a curve, not a chord";
    }
}

// A circle or arc whose extrusion points down keeps object coordinates, in which X
// runs against the world's: centre (-40, 10) in object coordinates is (40, 10).
TEST(SimPlanEntities, ObjectCoordinatesShowWhereTheWorldHasThem) {
    Entity circle;
    circle.kind = EntityKind::Circle;
    circle.points = {{-40, 10}};
    circle.radius = 5;
    circle.normalZ = -1;
    const std::vector<Point> ring = Outline(circle);
    for (const Point& p : ring) EXPECT_NEAR(std::hypot(p.x - 40, p.y - 10), 5, 1e-9);

    // Object angles 0..90 (from (-35, 10) to (-40, 15) in object terms) are the world
    // arc from (35, 10) clockwise... that is, counter-clockwise from 90 to 180.
    Entity arc = circle;
    arc.kind = EntityKind::Arc;
    arc.startAngle = 0;
    arc.endAngle = 90;
    const Entity world = ToWorld(arc);
    EXPECT_EQ(world.normalZ, 1);
    EXPECT_NEAR(world.points[0].x, 40, kTolerance);
    EXPECT_NEAR(world.startAngle, 90, kTolerance);
    EXPECT_NEAR(world.endAngle, 180, kTolerance);
    EXPECT_TRUE(RunsOnCircle(Outline(arc), {40, 10}, 5, {40, 15}, {35, 10}));

    // ROTATE turns the world image and keeps the extrusion.
    Entity turned = arc;
    RotateEntity(turned, {0, 0}, 90);
    EXPECT_EQ(turned.normalZ, -1);
    EXPECT_TRUE(RunsOnCircle(Outline(turned), {-10, 40}, 5, {-15, 40}, {-10, 35}));
}

// Both kinds survive the stand-in's own DXF writing and reading, in both versions.
TEST(SimPlanEntities, BulgesAndExtrusionsSurviveDxfOutAndIn) {
    for (const DxfVersion version : {DxfVersion::R12, DxfVersion::R2000}) {
        SCOPED_TRACE(version == DxfVersion::R12 ? "R12" : "2000");
        Drawing d;
        d.Add(RoundedOutline());
        const Entity arc = MirroredArc();
        d.Add(arc);
        std::string error;
        const auto back = ReadDxf(WriteDxf(d, std::nullopt, version), &error);
        ASSERT_TRUE(back) << error;
        ASSERT_EQ(back->entities.size(), 2u);
        ASSERT_EQ(back->entities[0].bulges.size(), 5u);
        for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(back->entities[0].bulges[i], BulgeAt(RoundedOutline(), i), 1e-9);
        EXPECT_EQ(back->entities[0].points, RoundedOutline().points);
        EXPECT_EQ(back->entities[1].normalZ, -1);
        EXPECT_EQ(back->entities[1].points, arc.points);
        EXPECT_EQ(back->entities[1].startAngle, 30);
    }
}

// Unequal scales: what explodes exactly takes the reference's place; a polyline with
// arc segments and a turned nested reference go into "*E1", referenced with the same
// placement; an unturned nested reference stays a reference with the scales combined.
TEST(SimPlanEntities, UnequalScalesKeepWhatCannotExplodeInAnAnonymousBlock) {
    SimHost host(Edition::LT2000);
    Drawing& d = host.drawing();
    Entity bolt;
    bolt.kind = EntityKind::Circle;
    bolt.points = {{0, 0}};
    bolt.radius = 2;
    d.DefineBlock(Block{"BOLT", {0, 0}, {bolt}});
    Entity edge;
    edge.kind = EntityKind::Line;
    edge.points = {{0, 0}, {10, 0}};
    Entity straight;
    straight.kind = EntityKind::Insert;
    straight.block = "BOLT";
    straight.points = {{5, 5}};
    Entity turned = straight;
    turned.points = {{8, 2}};
    turned.rotation = 30;
    turned.scaleX = 2;
    d.DefineBlock(Block{"PART", {0, 0}, {edge, RoundedOutline(), straight, turned}});
    d.AddInsert("PART", {100, 0}, std::sqrt(1.5), std::sqrt(0.5), 0);
    host.Type("_explode l\r\r");
    ASSERT_FALSE(host.InCommand());

    const auto& e = d.entities();
    ASSERT_EQ(e.size(), 3u) << "the line, the unturned reference and the keeper of the rest";
    EXPECT_EQ(e[0].kind, EntityKind::Line);
    EXPECT_NEAR(e[0].points[1].x, 100 + 10 * std::sqrt(1.5), kTolerance);
    ASSERT_EQ(e[1].kind, EntityKind::Insert);
    EXPECT_EQ(e[1].block, "BOLT");
    EXPECT_NEAR(e[1].scaleX, std::sqrt(1.5), kTolerance);
    EXPECT_NEAR(e[1].scaleY, std::sqrt(0.5), kTolerance);
    EXPECT_NEAR(e[1].points[0].y, 5 * std::sqrt(0.5), kTolerance);
    ASSERT_EQ(e[2].kind, EntityKind::Insert);
    EXPECT_EQ(e[2].block, "*E1");
    EXPECT_EQ(e[2].points[0], (Point{100, 0}));
    EXPECT_EQ(e[2].scaleX, std::sqrt(1.5));
    EXPECT_EQ(e[2].scaleY, std::sqrt(0.5));
    const Block* keeper = d.FindBlock("*E1");
    ASSERT_NE(keeper, nullptr);
    ASSERT_EQ(keeper->entities.size(), 2u);
    EXPECT_EQ(keeper->entities[0].kind, EntityKind::Polyline);
    EXPECT_EQ(keeper->entities[1].rotation, 30);

    // The anonymous block goes out with the drawing and comes back.
    std::string error;
    const auto back = ReadDxf(WriteDxf(d, std::nullopt, DxfVersion::R2000), &error);
    ASSERT_TRUE(back) << error;
    bool found = false;
    for (const Block& b : back->blocks) found = found || (b.name == "*E1" && b.entities.size() == 2);
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace tessavue::sim
