#include "iso/projection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "iso/faces.h"
#include "dxf_data/number_text.h"

namespace tessavue {
namespace {

constexpr double kPi = std::numbers::pi;

struct Vec {
    double x;
    double y;
};

double Length(Vec v) { return std::hypot(v.x, v.y); }
// Direction in degrees, 0 <= angle < 360.
double Direction(Vec v) {
    double a = std::atan2(v.y, v.x) * 180 / kPi;
    if (a < 0) a += 360;
    if (a >= 360 - 1e-9) a -= 360;
    return a;
}

// The drawing vector AutoCAD makes of a pre-insertion vector when it inserts the
// block: scaled per axis, then turned by the insertion's rotation.
Vec Insert(const BlockInsertion& insertion, Vec v) {
    const double sx = v.x * insertion.XScale;
    const double sy = v.y * insertion.YScale;
    const double r = insertion.Rotation * kPi / 180;
    return {sx * std::cos(r) - sy * std::sin(r), sx * std::sin(r) + sy * std::cos(r)};
}

// The pre-insertion image of a plan displacement (and a lift) from the base point.
Vec Frame(int face, int heightSign, double x, double y, double lift) {
    double ox = 0, oy = 0, px = 0, py = 0;
    EXPECT_TRUE(RotateForFace(face, heightSign, 0, 0, 0, ox, oy));
    EXPECT_TRUE(RotateForFace(face, heightSign, x, y, lift, px, py));
    return {px - ox, py - oy};
}

struct Seen {
    int face;
    double planX;   // direction of plan +X in the drawing
    double planY;   // of plan +Y
    double height;  // of a unit height with height sign +1
    double major;   // direction of the unit circle's major semi-axis (sqrt 1.5)
    double minor;   // and of its minor one (sqrt 0.5)
};

// What the user sees after the insertion, face by face.
constexpr Seen kSeen[] = {
    {FaceTopLeft, 30, 150, 90, 0, 90},
    {FaceTopRight, 330, 30, 90, 0, 90},
    {FaceLeft, 330, 90, 210, 120, 30},
    {FaceRight, 30, 90, 330, 60, 150},
};

void ExpectVector(Vec v, double length, double degrees) {
    EXPECT_NEAR(Length(v), length, 1e-12);
    double difference = std::fabs(Direction(v) - degrees);
    difference = std::fmin(difference, 360 - difference);
    EXPECT_NEAR(difference, 0, 1e-12) << "direction " << Direction(v);
}

TEST(IsometricMapping, UnitVectorsLandOnTheFaceAxes) {
    for (const Seen& seen : kSeen) {
        SCOPED_TRACE(seen.face);
        const FaceParameters* face = FaceRow(seen.face);
        ASSERT_NE(face, nullptr);
        const BlockInsertion insertion = InsertionFor(*face, false);
        ExpectVector(Insert(insertion, Frame(seen.face, 1, 1, 0, 0)), 1, seen.planX);
        ExpectVector(Insert(insertion, Frame(seen.face, 1, 0, 1, 0)), 1, seen.planY);
        ExpectVector(Insert(insertion, Frame(seen.face, 1, 0, 0, face->HeightFactor * 1.0)), 1, seen.height);
        // A height of 10 travels 10 units; the reversed sign sends it the other way.
        ExpectVector(Insert(insertion, Frame(seen.face, 1, 0, 0, face->HeightFactor * 10.0)), 10, seen.height);
        ExpectVector(Insert(insertion, Frame(seen.face, -1, 0, 0, face->HeightFactor * 10.0)), 10,
                     std::fmod(seen.height + 180, 360));
    }
}

TEST(IsometricMapping, UnitCircleBecomesTheListedEllipse) {
    for (const Seen& seen : kSeen) {
        SCOPED_TRACE(seen.face);
        const BlockInsertion insertion = InsertionFor(*FaceRow(seen.face), false);
        // The linear map from plan to drawing, by its images of the unit vectors; the
        // unit circle's image has semi-axes along the eigenvectors of M M^T.
        const Vec ex = Insert(insertion, Frame(seen.face, 1, 1, 0, 0));
        const Vec ey = Insert(insertion, Frame(seen.face, 1, 0, 1, 0));
        const double a = ex.x * ex.x + ey.x * ey.x;
        const double b = ex.x * ex.y + ey.x * ey.y;
        const double d = ex.y * ex.y + ey.y * ey.y;
        const double mean = (a + d) / 2;
        const double spread = std::hypot((a - d) / 2, b);
        EXPECT_NEAR(std::sqrt(mean + spread), std::sqrt(1.5), 1e-12);
        EXPECT_NEAR(std::sqrt(mean - spread), std::sqrt(0.5), 1e-12);
        double major = 0.5 * std::atan2(2 * b, a - d) * 180 / kPi;
        if (major < 0) major += 180;
        const double minor = std::fmod(major + 90, 180);
        auto axisDifference = [](double got, double want) {
            const double diff = std::fmod(std::fabs(got - want), 180);
            return std::fmin(diff, 180 - diff);
        };
        EXPECT_NEAR(axisDifference(major, seen.major), 0, 1e-12) << major;
        EXPECT_NEAR(axisDifference(minor, seen.minor), 0, 1e-12) << minor;
    }
}

// The two-face drawing projects directly and must agree with what the insertion
// gives on the top faces.
TEST(IsometricMapping, DirectProjectionAgreesOnTheTopFaces) {
    for (int f : {FaceTopLeft, FaceTopRight}) {
        SCOPED_TRACE(f);
        double x = 0, y = 0;
        ASSERT_TRUE(ProjectIsoDelta(f, 1, 0, x, y));
        ExpectVector({x, y}, 1, kSeen[f].planX);
        ASSERT_TRUE(ProjectIsoDelta(f, 0, 1, x, y));
        ExpectVector({x, y}, 1, kSeen[f].planY);
    }
    double x = 7, y = 8;
    EXPECT_FALSE(ProjectIsoDelta(FaceLeft, 1, 1, x, y));
    EXPECT_FALSE(ProjectIsoDelta(4, 1, 1, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

TEST(FaceTable, InsertionValuesAsTyped) {
    const BlockInsertion top = InsertionFor(*FaceRow(FaceTopRight), false);
    EXPECT_EQ(NumberText(top.XScale), "1.22474487139159");
    EXPECT_EQ(NumberText(top.YScale), "0.707106781186548");
    EXPECT_EQ(InsertionFor(*FaceRow(FaceLeft), false).Rotation, -60);
    EXPECT_EQ(InsertionFor(*FaceRow(FaceRight), false).Rotation, 60);
    // The existing axis has its own frame: side faces exchange the scales.
    const BlockInsertion axisLeft = InsertionFor(*FaceRow(FaceLeft), true);
    EXPECT_EQ(axisLeft.XScale, std::sqrt(0.5));
    EXPECT_EQ(axisLeft.YScale, std::sqrt(1.5));
    EXPECT_EQ(axisLeft.Rotation, -30);
    EXPECT_EQ(InsertionFor(*FaceRow(FaceRight), true).Rotation, 30);
    const BlockInsertion axisTop = InsertionFor(*FaceRow(FaceTopLeft), true);
    EXPECT_EQ(axisTop.XScale, std::sqrt(1.5));
    EXPECT_EQ(axisTop.Rotation, 0);
    EXPECT_EQ(FaceRow(-1), nullptr);
    EXPECT_EQ(FaceRow(4), nullptr);
    EXPECT_STREQ(FaceRow(FaceRight)->TurnedPlanFile, "r_45.dxf");
    EXPECT_STREQ(FaceRow(FaceLeft)->OffsetDirection, "210");
}

TEST(RotateForFace, ListedPoints) {
    double x = 0, y = 0;
    ASSERT_TRUE(RotateForFace(FaceTopLeft, 1, 1, 0, 0, x, y));
    EXPECT_NEAR(x, 0.70710678118655, 1e-14);
    EXPECT_NEAR(y, 0.70710678118655, 1e-14);
    ASSERT_TRUE(RotateForFace(FaceTopRight, 1, 1, 0, 0, x, y));
    EXPECT_NEAR(x, 0.70710678118655, 1e-14);
    EXPECT_NEAR(y, -0.70710678118655, 1e-14);
    double lowX = 0, lowY = 0;
    ASSERT_TRUE(RotateForFace(FaceTopRight, -1, 1, 0, 10, lowX, lowY));
    EXPECT_EQ(lowX, x);
    EXPECT_NEAR(y - lowY, 14.142135623731, 1e-12);
    // Side faces turn like the top face with the same face angle.
    double sx = 0, sy = 0;
    ASSERT_TRUE(RotateForFace(FaceLeft, 1, 3, -2, 0, sx, sy));
    ASSERT_TRUE(RotateForFace(FaceTopLeft, 1, 3, -2, 0, x, y));
    EXPECT_EQ(sx, x);
    EXPECT_EQ(sy, y);
}

TEST(RotateForFace, UnknownFaceLeavesOutputs) {
    double x = 5, y = 6;
    EXPECT_FALSE(RotateForFace(4, 1, 1, 1, 0, x, y));
    EXPECT_FALSE(RotateForFace(-1, 1, 1, 1, 0, x, y));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
}

TEST(PlanAngle, AxesAndQuadrants) {
    EXPECT_EQ(PlanAngle(0, 0), 90);
    EXPECT_EQ(PlanAngle(0, 3), 90);
    EXPECT_EQ(PlanAngle(0, -2), 270);
    EXPECT_EQ(PlanAngle(-3, 0), 180);
    EXPECT_EQ(PlanAngle(4, 0), 0);
    EXPECT_DOUBLE_EQ(PlanAngle(1, -1), 315);
    EXPECT_DOUBLE_EQ(PlanAngle(1, 1), 45);
    EXPECT_DOUBLE_EQ(PlanAngle(-1, 1), 135);
    EXPECT_DOUBLE_EQ(PlanAngle(-1, -1), 225);
    EXPECT_DOUBLE_EQ(PlanAngle(1, std::sqrt(3.0)), 60);
    EXPECT_DOUBLE_EQ(PlanAngle(-std::sqrt(3.0), -1), 210);
}

TEST(PlanAngle, AgreesWithAtan2Everywhere) {
    std::mt19937_64 random(6);
    std::uniform_real_distribution<double> coordinate(-1000, 1000);
    for (int i = 0; i < 20000; ++i) {
        const double dx = coordinate(random);
        const double dy = coordinate(random);
        const double a = PlanAngle(dx, dy);
        ASSERT_GE(a, 0);
        ASSERT_LT(a, 360);
        double want = std::atan2(dy, dx) * 180 / kPi;
        if (want < 0) want += 360;
        double diff = std::fabs(a - want);
        ASSERT_LT(std::fmin(diff, 360 - diff), 1e-9) << dx << "," << dy;
    }
}

EntityRecord Arc(double start, double end) {
    EntityRecord row;
    row.Kind = 2;
    row.X2 = 5;
    row.Y2 = start;
    row.EndAngle = end;
    return row;
}

TEST(ArcCoversAngle, ArcsAndCircles) {
    const double at315 = Radians(-45);  // the tangent direction of faces 0 and 2
    const double at135 = Radians(-45) + kPi;
    const EntityRecord crossing = Arc(300, 60);
    EXPECT_TRUE(ArcCoversAngle(crossing, at315, "円", false));
    EXPECT_FALSE(ArcCoversAngle(crossing, at135, "円", false));
    const EntityRecord quarter = Arc(90, 180);
    EXPECT_TRUE(ArcCoversAngle(quarter, at135, "既存図形", true));
    EXPECT_FALSE(ArcCoversAngle(quarter, at315, "既存図形", true));
    EntityRecord circle = Arc(0, 0);
    circle.Kind = 1;
    for (double t : {-3.0, -1.0, 0.0, 1.0, 2.5, 6.0}) EXPECT_TRUE(ArcCoversAngle(circle, t, "四角", false));
}

TEST(ArcCoversAngle, BothEndsIncluded) {
    EXPECT_TRUE(ArcCoversAngle(Arc(0, 90), 0.0, "円", true));
    EXPECT_TRUE(ArcCoversAngle(Arc(270, 0), 0.0, "円", true));   // crossing, ends at 0
    EXPECT_TRUE(ArcCoversAngle(Arc(90, 0), 0.0, "円", true));    // crossing, ends at 0
    EXPECT_FALSE(ArcCoversAngle(Arc(10, 90), 0.0, "円", true));
}

// An ellipse row's range is of its parameter: StartParameter to EndAngle, never the
// major axis in Y2.
TEST(ArcCoversAngle, EllipsesByTheirParameterRange) {
    const auto ellipse = [](double start, double end) {
        EntityRecord row;
        row.Kind = 3;
        row.X2 = 3;
        row.Y2 = 200;  // the major axis' Y: no angle
        row.Ratio = 0.5;
        row.StartParameter = start;
        row.EndAngle = end;
        return row;
    };
    struct Case {
        double start, end, at;  // degrees
        bool covered;
    };
    const Case cases[] = {{300, 60, 315, true}, {300, 60, 135, false}, {300, 60, 59.5, true}, {300, 60, 60.5, false},
                          {90, 180, 135, true}, {90, 180, 315, false}, {0, 360, 359.5, true},
                          {0, 360, 0, true},    {210, 250, 225, true}, {210, 250, 205, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(ArcCoversAngle(ellipse(c.start, c.end), Radians(c.at), "円", false), c.covered)
            << c.start << ".." << c.end << " at " << c.at;
    }
    EXPECT_FALSE(ArcCoversAngle(ellipse(0, 360), 0.5, "既存図形", false)) << "the check mark restrains ellipses too";
    EXPECT_TRUE(ArcCoversAngle(ellipse(0, 360), 0.5, "既存図形", true));
}

TEST(ArcCoversAngle, ExistingFigureFollowsItsCheckMark) {
    EntityRecord circle = Arc(0, 0);
    circle.Kind = 1;
    EXPECT_FALSE(ArcCoversAngle(circle, 0.5, "既存図形", false));
    EXPECT_FALSE(ArcCoversAngle(Arc(0, 360), 0.5, "既存図形", false));
    EXPECT_TRUE(ArcCoversAngle(circle, 0.5, "既存図形", true));
    // Every other kind draws its circles' height lines whatever the mark says.
    EXPECT_TRUE(ArcCoversAngle(circle, 0.5, "既存軸", false));
    EXPECT_TRUE(ArcCoversAngle(circle, 0.5, "円", false));
}

TEST(AddPointOnce, OncePerPointAndLayer) {
    HeightLinePoints points;
    EXPECT_TRUE(AddPointOnce(points, 1, 2, "0"));
    EXPECT_FALSE(AddPointOnce(points, 1, 2, "0"));
    EXPECT_TRUE(AddPointOnce(points, 1, 2, "壁"));  // same point, other layer
    EXPECT_TRUE(AddPointOnce(points, 1, 2 + 1e-15, "0"));  // exact comparison
    EXPECT_EQ(points.Count, 3);
    EXPECT_EQ(points.Layer[1], "壁");
    EXPECT_EQ(points.Y[2], 2 + 1e-15);
}

TEST(AddPointOnce, DropsPointsBeyondTheThousandth) {
    HeightLinePoints points;
    for (int i = 0; i < kHeightLinePoints; ++i) ASSERT_TRUE(AddPointOnce(points, i, 0, "0"));
    EXPECT_FALSE(AddPointOnce(points, -1, 0, "0"));
    EXPECT_EQ(points.Count, kHeightLinePoints);
    EXPECT_EQ(points.X[kHeightLinePoints - 1], kHeightLinePoints - 1);
}

TEST(ListField, FieldsAndEmptyFields) {
    EXPECT_EQ(ListField("1,2,,4", 0), "1");
    EXPECT_EQ(ListField("1,2,,4", 1), "2");
    EXPECT_EQ(ListField("1,2,,4", 2), "");
    EXPECT_EQ(ListField("1,2,,4", 3), "4");
    EXPECT_EQ(ListField("1,2,,4", 4), "");
    EXPECT_EQ(ListField("1,2", 5), "");
    EXPECT_EQ(ListField("7", 0), "7");
    EXPECT_EQ(ListField("7", -1), "");
    EXPECT_EQ(ListField(",5", 0), "");
    EXPECT_EQ(ListField(",5", 1), "5");
    EXPECT_EQ(ListField("1,2,", 2), "");
    EXPECT_EQ(ListField("", 0), "");
    EXPECT_EQ(ListField("-1.5,20.25", 1), "20.25");
}

}  // namespace
}  // namespace tessavue
