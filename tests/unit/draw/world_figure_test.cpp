// The existing figure finished in the program (turned, raised, inserted and exploded
// without AutoCAD), checked against what a drafter expects of each face: where plan
// +X, plan +Y and the height go. The expectations are worked out here from those three
// directions and from the plan's geometry alone; every entity of the result must be
// claimed by exactly one expectation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "draw/world_existing_figure.h"
#include "iso/affine_map.h"
#include "plan_maps.h"

namespace tessavue {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTolerance = 1e-9;

// What the user sees on each face: the drawing directions (degrees) of plan +X, plan +Y
// and a positive height, and the direction of an isometric circle's major axis.
struct FaceAxes {
    std::int32_t code;
    double planX, planY, up, major;
};
const FaceAxes kFaces[] = {
    {0, 30, 150, 90, 0},
    {1, 330, 30, 90, 0},
    {2, 330, 90, 210, 120},
    {3, 30, 90, 330, 60},
};

Vec2 Along(double degrees, double length) {
    return {length * std::cos(degrees * kPi / 180), length * std::sin(degrees * kPi / 180)};
}
Vec2 Plus(Vec2 a, Vec2 b) { return {a.X + b.X, a.Y + b.Y}; }
Vec2 Minus(Vec2 a, Vec2 b) { return {a.X - b.X, a.Y - b.Y}; }
double Dot(Vec2 a, Vec2 b) { return a.X * b.X + a.Y * b.Y; }
double Cross(Vec2 a, Vec2 b) { return a.X * b.Y - a.Y * b.X; }
double Size(Vec2 v) { return std::hypot(v.X, v.Y); }
bool Near(Vec2 a, Vec2 b, double scale) { return Size(Minus(a, b)) <= kTolerance * scale; }
std::string Show(Vec2 p) {
    std::ostringstream out;
    out.precision(17);
    out << "(" << p.X << ", " << p.Y << ")";
    return out.str();
}

// A plan point relative to the base point, `lift` height units up, in the drawing.
struct Place {
    FaceAxes face;
    Vec2 at;
    Vec2 operator()(Vec2 plan, double lift = 0) const {
        return Plus(Plus(Plus(at, Along(face.planX, plan.X)), Along(face.planY, plan.Y)), Along(face.up, lift));
    }
    Vec2 Vector(Vec2 plan) const { return Plus(Along(face.planX, plan.X), Along(face.planY, plan.Y)); }
};

// A point of a drawn ellipse at its parameter t.
Vec2 EllipseAt(const WorldEllipse& e, double t) {
    const Vec2 minor{-e.MajorAxis.Y * e.Ratio, e.MajorAxis.X * e.Ratio};
    return Plus(e.Centre, Plus(Vec2{e.MajorAxis.X * std::cos(t), e.MajorAxis.Y * std::cos(t)},
                               Vec2{minor.X * std::sin(t), minor.Y * std::sin(t)}));
}

// Whether `q` lies on the drawn ellipse inside its parameter range (ends included).
bool OnArc(const WorldEllipse& e, Vec2 q, double scale) {
    const Vec2 minor{-e.MajorAxis.Y * e.Ratio, e.MajorAxis.X * e.Ratio};
    const Vec2 d = Minus(q, e.Centre);
    const double c = Dot(d, e.MajorAxis) / Dot(e.MajorAxis, e.MajorAxis);
    const double s = Dot(d, minor) / Dot(minor, minor);
    if (std::abs(std::hypot(c, s) - 1) > 1e-9 * scale) return false;
    double t = std::atan2(s, c);
    while (t < e.StartParam - 1e-9) t += 2 * kPi;
    return t <= e.EndParam + 1e-9;
}

struct Expected {
    std::string what;
    std::function<bool(const WorldEntity&)> matches;
};

// A plan curve as a drafter gives it: its point at plan angle (or parameter) a, its
// span, and where its outline runs along the height.
struct PlanCurve {
    std::string what;
    std::function<Vec2(double)> point;  // plan point at parameter a (radians)
    double from, to;                     // parameter range, counter-clockwise
};

Expected CurveImage(const Place& place, const PlanCurve& curve, double lift, double scale) {
    return {curve.what + " lifted " + std::to_string(lift), [=](const WorldEntity& e) {
                const WorldEllipse* drawn = std::get_if<WorldEllipse>(&e.Shape);
                if (!drawn) return false;
                // Its ends where the plan's ends go, and every point between on it.
                if (curve.to - curve.from < 2 * kPi - 1e-12) {
                    if (!Near(EllipseAt(*drawn, drawn->StartParam), place(curve.point(curve.from), lift), scale) ||
                        !Near(EllipseAt(*drawn, drawn->EndParam), place(curve.point(curve.to), lift), scale))
                        return false;
                } else if (std::abs(drawn->EndParam - drawn->StartParam - 2 * kPi) > 1e-12) {
                    return false;
                }
                for (int i = 0; i <= 16; ++i) {
                    const double a = curve.from + (curve.to - curve.from) * i / 16;
                    if (!OnArc(*drawn, place(curve.point(a), lift), scale)) return false;
                }
                return true;
            }};
}

// Every expectation claims one entity of its own, and no entity is left over.
void ExpectClaimedExactly(const WorldFigure& figure, const std::vector<Expected>& expected, const std::string& label) {
    std::vector<bool> claimed(figure.Entities.size(), false);
    for (const Expected& e : expected) {
        int matches = 0;
        for (std::size_t i = 0; i < claimed.size(); ++i) {
            if (!claimed[i] && e.matches(figure.Entities[i])) {
                claimed[i] = true;
                ++matches;
                break;
            }
        }
        EXPECT_EQ(matches, 1) << label << ": " << e.what;
    }
    for (std::size_t i = 0; i < claimed.size(); ++i) EXPECT_TRUE(claimed[i]) << label << ": entity " << i << " left over";
}

Expected LineImage(const std::string& what, Vec2 from, Vec2 to, double scale) {
    return {what + " " + Show(from) + "-" + Show(to), [=](const WorldEntity& e) {
                const WorldLine* line = std::get_if<WorldLine>(&e.Shape);
                return line && Near(line->Start, from, scale) && Near(line->End, to, scale);
            }};
}

// A plan with points of sixteen significant digits, about a base point far from the
// origin (rows are relative to it, as the plan reader hands them over).
struct PlanRows {
    std::vector<EntityRecord> rows;
    std::vector<PlanCurve> curves;  // one per circle, arc or ellipse row, in row order
};

PlanRows SamplePlan() {
    PlanRows plan;
    EntityRecord line;
    line.Kind = 0;
    line.Layer = "WALL";
    line.X1 = -12.345678901234567;
    line.Y1 = 3.1415926535897931;
    line.X2 = 87.654321098765432;
    line.Y2 = -41.421356237309505;
    plan.rows.push_back(line);

    EntityRecord circle;
    circle.Kind = 1;
    circle.Layer = "HOLE";
    circle.X1 = 25.000000000000004;
    circle.Y1 = -17.320508075688775;
    circle.X2 = 7.0710678118654755;
    plan.rows.push_back(circle);
    plan.curves.push_back({"circle", [=](double a) {
                               return Vec2{circle.X1 + circle.X2 * std::cos(a), circle.Y1 + circle.X2 * std::sin(a)};
                           },
                           0, 2 * kPi});

    EntityRecord arc;  // crosses 0 degrees
    arc.Kind = 2;
    arc.Layer = "HOLE";
    arc.X1 = -33.333333333333336;
    arc.Y1 = 66.666666666666671;
    arc.X2 = 12.5;
    arc.Y2 = 300.00000000000006;
    arc.EndAngle = 59.999999999999993;
    plan.rows.push_back(arc);
    plan.curves.push_back({"arc 300-60", [=](double a) {
                               return Vec2{arc.X1 + arc.X2 * std::cos(a), arc.Y1 + arc.X2 * std::sin(a)};
                           },
                           arc.Y2 * kPi / 180, (arc.EndAngle + 360) * kPi / 180});

    EntityRecord ellipse;  // an arc of a turned ellipse
    ellipse.Kind = 3;
    ellipse.Layer = "0";
    ellipse.X1 = 4.4444444444444446;
    ellipse.Y1 = -5.5555555555555554;
    ellipse.X2 = 9.8480775301220806;  // 10 at 10 degrees
    ellipse.Y2 = 1.7364817766693033;
    ellipse.Ratio = 0.37;
    ellipse.StartParameter = 20;
    ellipse.EndAngle = 250;
    plan.rows.push_back(ellipse);
    plan.curves.push_back({"ellipse arc 20-250", [=](double t) {
                               const double mx = ellipse.X2, my = ellipse.Y2;
                               const double nx = -my * ellipse.Ratio, ny = mx * ellipse.Ratio;
                               return Vec2{ellipse.X1 + mx * std::cos(t) + nx * std::sin(t),
                                           ellipse.Y1 + my * std::cos(t) + ny * std::sin(t)};
                           },
                           20 * kPi / 180, 250 * kPi / 180});
    return plan;
}

// Where a plan curve's drawn outline runs along the height: the parameters at which
// its image's tangent is parallel to the face's up direction, found by bisection on
// the tangent's cross product with it (independent of how the program finds them).
std::vector<double> SilhouetteParameters(const Place& place, const PlanCurve& curve) {
    const Vec2 up = Along(place.face.up, 1);
    const auto crossAt = [&](double a) {
        const double h = 1e-6;
        const Vec2 tangent = Minus(place.Vector(curve.point(a + h)), place.Vector(curve.point(a - h)));
        return Cross(tangent, up);
    };
    std::vector<double> found;
    const int steps = 720;
    for (int i = 0; i < steps; ++i) {
        double lo = curve.from + (curve.to - curve.from) * i / steps;
        double hi = curve.from + (curve.to - curve.from) * (i + 1) / steps;
        double flo = crossAt(lo), fhi = crossAt(hi);
        if (flo == 0) {
            found.push_back(lo);
            continue;
        }
        if ((flo < 0) == (fhi < 0)) continue;
        for (int k = 0; k < 200 && hi - lo > 1e-15; ++k) {
            const double mid = 0.5 * (lo + hi);
            const double fm = crossAt(mid);
            if ((fm < 0) == (flo < 0)) {
                lo = mid;
                flo = fm;
            } else {
                hi = mid;
            }
        }
        found.push_back(0.5 * (lo + hi));
    }
    return found;
}

struct FigureRow {
    std::int32_t face;
    double height;
    bool invert;
    bool heightLines;
};

TEST(WorldExistingFigure, EveryFaceAsTheFaceAxesPlaceIt) {
    const FigureRow rows[] = {
        {0, 10, false, true},  {1, 10, false, true},  {2, 10, false, true},  {3, 10, false, true},
        {0, 3.7, true, true},  {3, 2.5e-3, true, true}, {2, 0, false, true}, {1, 12.75, false, false},
    };
    const PlanRows plan = SamplePlan();
    const Vec2 at{1234.5678901234567, -987.65432109876543};
    const double scale = 2000;  // the drawing's size, for the tolerance
    for (const FigureRow& row : rows) {
        const FaceAxes& face = kFaces[row.face];
        const Place place{face, at};
        HeightInputs inputs;
        inputs.FaceCode = row.face;
        inputs.Height = row.height;
        inputs.HeightSign = row.invert ? -1 : 1;
        inputs.FigureKind = "既存図形";
        inputs.HeightLines = row.heightLines;
        inputs.CircleHeightLines = true;
        const double lift = row.height * (row.invert ? -1 : 1);

        std::vector<Expected> expected;
        for (double level : row.height != 0 ? std::vector<double>{0, lift} : std::vector<double>{0}) {
            const EntityRecord& line = plan.rows[0];
            expected.push_back(LineImage("wall", place({line.X1, line.Y1}, level), place({line.X2, line.Y2}, level),
                                         scale));
            for (const PlanCurve& curve : plan.curves) expected.push_back(CurveImage(place, curve, level, scale));
        }
        if (row.height != 0 && row.heightLines) {
            const EntityRecord& line = plan.rows[0];
            for (Vec2 foot : {Vec2{line.X1, line.Y1}, Vec2{line.X2, line.Y2}})
                expected.push_back(LineImage("height line", place(foot), place(foot, lift), scale));
            for (const PlanCurve& curve : plan.curves) {
                for (double a : SilhouetteParameters(place, curve)) {
                    const Vec2 foot = curve.point(a);
                    expected.push_back(LineImage(curve.what + " height line", place(foot), place(foot, lift), scale));
                }
            }
        }

        const WorldFigureResult result = ExistingFigureInWorld(plan.rows, inputs, at);
        const std::string label = "face " + std::to_string(row.face) + " height " + std::to_string(lift);
        EXPECT_EQ(result.RowsLeftOut, 0u) << label;
        ExpectClaimedExactly(result.Figure, expected, label);
    }
}

// ---- texts, splines, points and solids -------------------------------------------------

Vec2 V(testing::PlanPoint p) { return {p.x, p.y}; }
testing::PlanPoint P(Vec2 v) { return {v.X, v.Y}; }

// The plan's shapes relative to the base point, sixteen digits each.
std::vector<WorldEntity> SampleShapes() {
    std::vector<WorldEntity> shapes;
    WorldText text;
    text.Text = "\x83\x5E\x83\x93\x83\x4E A-1";  // Shift-JIS bytes and ASCII
    text.Insert = {-21.428571428571427, 13.076923076923077};
    text.Height = 2.7182818284590451;
    text.RotationDeg = 37.5;
    text.WidthFactor = 0.81649658092772603;
    text.ObliqueDeg = 12.5;
    text.Style = "ROMANS";
    shapes.push_back({"NOTE", 256, text});
    WorldText aligned = text;  // right-aligned on the middle: hangs from its alignment point
    aligned.Text = "R";
    aligned.RotationDeg = 301.25;
    aligned.ObliqueDeg = 0;
    aligned.HorizontalAlign = 2;
    aligned.VerticalAlign = 2;
    aligned.Insert = {5.5511151231257827, -8.8817841970012523};
    aligned.AlignPoint = {9.8696044010893580, -3.1415926535897931};
    shapes.push_back({"NOTE", 3, aligned});
    WorldSpline spline;
    spline.Degree = 3;
    spline.Flags = 4 | 8;
    spline.Knots = {0, 0, 0, 0, 0.41421356237309503, 1, 1, 1, 1};
    spline.ControlPoints = {{-7.0710678118654755, 1.4142135623730951},
                            {-2.2360679774997898, 9.9498743710661994},
                            {3.3166247903553998, -4.1231056256176606},
                            {8.0622577482985491, 2.6457513110645907},
                            {12.041594578792296, -0.57735026918962573}};
    spline.Weights = {1, 0.70710678118654757, 1.2247448713915889, 1, 1};
    spline.FitPoints = {{-7.0710678118654755, 1.4142135623730951}, {12.041594578792296, -0.57735026918962573}};
    shapes.push_back({"CURVE", 256, spline});
    shapes.push_back({"0", 256, WorldPoint{{17.320508075688775, -29.999999999999996}}});
    WorldSolid solid;
    solid.Corners[0] = {-3.6055512754639891, -5.0990195135927845};
    solid.Corners[1] = {4.1231056256176606, -5.7445626465380286};
    solid.Corners[2] = {-2.6457513110645907, 1.7320508075688772};
    solid.Corners[3] = {6.4807406984078604, 2.2360679774997898};
    shapes.push_back({"FILL", 256, solid});
    WorldText flat = text;  // no height: no glyphs to place, left out
    flat.Height = 0;
    shapes.push_back({"NOTE", 256, flat});
    return shapes;
}

// The shape drawn where the face puts every point of it: a text's glyph box corner for
// corner, a spline's control and fit points with its knots and weights kept, a point, a
// solid's corners in their order.
Expected ShapeImage(const Place& place, const WorldEntity& plan, double lift, double scale) {
    const std::string what = plan.Layer + " shape " + std::to_string(plan.Shape.index()) + " lifted " + std::to_string(lift);
    return {what, [=](const WorldEntity& e) {
                if (e.Layer != plan.Layer || e.Colour != plan.Colour || e.Shape.index() != plan.Shape.index())
                    return false;
                if (const auto* t = std::get_if<WorldText>(&plan.Shape)) {
                    const WorldText& d = std::get<WorldText>(e.Shape);
                    if (d.Text != t->Text || d.Style != t->Style || d.HorizontalAlign != t->HorizontalAlign ||
                        d.VerticalAlign != t->VerticalAlign)
                        return false;
                    if (!Near(d.AlignPoint, place(t->AlignPoint, lift), scale)) return false;
                    for (const auto& [along, up] : testing::kGlyphCorners) {
                        const Vec2 drawn = V(testing::GlyphCorner(P(d.Insert), d.Height, d.RotationDeg, d.WidthFactor,
                                                                  d.ObliqueDeg, along, up));
                        const Vec2 planCorner = V(testing::GlyphCorner(P(t->Insert), t->Height, t->RotationDeg,
                                                                       t->WidthFactor, t->ObliqueDeg, along, up));
                        if (!Near(drawn, place(planCorner, lift), scale)) return false;
                    }
                    return true;
                }
                if (const auto* s = std::get_if<WorldSpline>(&plan.Shape)) {
                    const WorldSpline& d = std::get<WorldSpline>(e.Shape);
                    if (d.Degree != s->Degree || d.Flags != s->Flags || d.Knots != s->Knots || d.Weights != s->Weights ||
                        d.ControlPoints.size() != s->ControlPoints.size() || d.FitPoints.size() != s->FitPoints.size())
                        return false;
                    for (std::size_t i = 0; i < s->ControlPoints.size(); ++i)
                        if (!Near(d.ControlPoints[i], place(s->ControlPoints[i], lift), scale)) return false;
                    for (std::size_t i = 0; i < s->FitPoints.size(); ++i)
                        if (!Near(d.FitPoints[i], place(s->FitPoints[i], lift), scale)) return false;
                    return true;
                }
                if (const auto* p = std::get_if<WorldPoint>(&plan.Shape))
                    return Near(std::get<WorldPoint>(e.Shape).At, place(p->At, lift), scale);
                const WorldSolid& s = std::get<WorldSolid>(plan.Shape);
                const WorldSolid& d = std::get<WorldSolid>(e.Shape);
                for (int i = 0; i < 4; ++i)
                    if (!Near(d.Corners[i], place(s.Corners[i], lift), scale)) return false;
                return true;
            }};
}

// Texts, splines, points and solids go where the face axes put their points, at the
// bottom and raised with the copy; they give no height lines (only the line's two
// feet do), and the text of no height is left out and counted once.
TEST(WorldExistingFigure, ShapesOnEveryFaceAsTheFaceAxesPlaceThem) {
    const FigureRow rows[] = {
        {0, 10, false, true}, {1, 10, false, true}, {2, 7.5, true, true}, {3, 10, false, true}, {2, 0, false, true},
    };
    const PlanRows plan = SamplePlan();
    const std::vector<EntityRecord> lineOnly = {plan.rows[0]};
    const std::vector<WorldEntity> shapes = SampleShapes();
    const Vec2 at{1234.5678901234567, -987.65432109876543};
    const double scale = 2000;
    for (const FigureRow& row : rows) {
        const Place place{kFaces[row.face], at};
        HeightInputs inputs;
        inputs.FaceCode = row.face;
        inputs.Height = row.height;
        inputs.HeightSign = row.invert ? -1 : 1;
        inputs.FigureKind = "既存図形";
        inputs.HeightLines = row.heightLines;
        inputs.CircleHeightLines = true;
        const double lift = row.height * (row.invert ? -1 : 1);
        const std::string label = "face " + std::to_string(row.face) + " height " + std::to_string(lift);

        std::vector<Expected> expected;
        const EntityRecord& line = plan.rows[0];
        for (double level : row.height != 0 ? std::vector<double>{0, lift} : std::vector<double>{0}) {
            expected.push_back(LineImage("wall", place({line.X1, line.Y1}, level), place({line.X2, line.Y2}, level),
                                         scale));
            for (const WorldEntity& shape : shapes) {
                const WorldText* t = std::get_if<WorldText>(&shape.Shape);
                if (!t || t->Height != 0) expected.push_back(ShapeImage(place, shape, level, scale));
            }
        }
        if (row.height != 0) {
            for (Vec2 foot : {Vec2{line.X1, line.Y1}, Vec2{line.X2, line.Y2}})
                expected.push_back(LineImage("height line", place(foot), place(foot, lift), scale));
        }

        const WorldFigureResult result = ExistingFigureInWorld(lineOnly, shapes, inputs, at);
        EXPECT_EQ(result.RowsLeftOut, 0u) << label;
        EXPECT_EQ(result.ShapesLeftOut, 1u) << label;
        ExpectClaimedExactly(result.Figure, expected, label);
    }
}

// A plan circle of radius 1 becomes the isometric ellipse: semi-axes sqrt(1.5) and
// sqrt(0.5), the major one along the face's direction.
TEST(WorldExistingFigure, ACircleBecomesTheFacesIsometricEllipse) {
    for (const FaceAxes& face : kFaces) {
        EntityRecord circle;
        circle.Kind = 1;
        circle.X2 = 1;
        HeightInputs inputs;
        inputs.FaceCode = face.code;
        const WorldFigureResult result = ExistingFigureInWorld({circle}, inputs, {0, 0});
        ASSERT_EQ(result.Figure.Entities.size(), 1u) << "face " << face.code;
        const WorldEllipse* e = std::get_if<WorldEllipse>(&result.Figure.Entities[0].Shape);
        ASSERT_NE(e, nullptr);
        EXPECT_NEAR(Size(e->MajorAxis), std::sqrt(1.5), 1e-12) << "face " << face.code;
        EXPECT_NEAR(e->Ratio * Size(e->MajorAxis), std::sqrt(0.5), 1e-12) << "face " << face.code;
        const double direction = std::atan2(e->MajorAxis.Y, e->MajorAxis.X) * 180 / kPi;
        const double off = std::fmod(std::fmod(direction - face.major, 180.0) + 180.0, 180.0);
        EXPECT_LT(std::min(off, 180 - off), 1e-9) << "face " << face.code << " major at " << direction;
    }
}

// Maps the program never meets from AutoCAD's insertion but a plan's references hold:
// mirrors, shears, a flattening map; ellipses given clockwise. The drawn curve must
// pass through the mapped points of the original, from its mapped start to its mapped end.
TEST(AffineMap, EllipseArcsFollowAnyMap) {
    struct Row {
        const char* what;
        Affine2 map;
        Vec2 u, v;
        double t0, t1;
        bool drawable;
    };
    const Row rows[] = {
        {"mirror in Y", {-1, 0, 0, 1, 3.5, -2.25}, {2, 0}, {0, 1}, 0.3, 2.9, true},
        {"shear and uneven scales", {1.7, 0.9, -0.2, 0.45, 1e4, 1e-3}, {3, 1}, {-0.5, 1.5}, -1.0, 4.0, true},
        {"clockwise conjugates", {1.2247448713915889, 0, 0, 0.70710678118654757, 0, 0}, {1, 0}, {0, -1}, 0.5, 2.0, true},
        {"whole, turned 60", {0.5, -0.8660254037844386, 0.8660254037844386, 0.5, -7, 7}, {5, 5}, {-1, 1}, 0, 2 * kPi, true},
        {"flattened", {1, 2, 2, 4, 0, 0}, {1, 0}, {0, 1}, 0, 1, false},
        {"parallel conjugates", {1, 0, 0, 1, 0, 0}, {1, 0}, {2, 0}, 0, 1, false},
    };
    for (const Row& row : rows) {
        const Vec2 centre{-1.2345678901234567, 9.8765432109876543};
        const std::optional<WorldEllipse> drawn = MapEllipseArc(row.map, centre, row.u, row.v, row.t0, row.t1);
        ASSERT_EQ(drawn.has_value(), row.drawable) << row.what;
        if (!drawn) continue;
        const auto original = [&](double t) {
            return row.map.Point({centre.X + row.u.X * std::cos(t) + row.v.X * std::sin(t),
                                  centre.Y + row.u.Y * std::cos(t) + row.v.Y * std::sin(t)});
        };
        EXPECT_GT(drawn->Ratio, 0) << row.what;
        EXPECT_LE(drawn->Ratio, 1) << row.what;
        for (int i = 0; i <= 32; ++i) {
            const double t = row.t0 + (row.t1 - row.t0) * i / 32;
            EXPECT_TRUE(OnArc(*drawn, original(t), 1e4)) << row.what << " at " << t;
        }
        if (row.t1 - row.t0 < 2 * kPi) {
            // A drawn arc runs counter-clockwise: where the map (or the conjugates' own
            // order) turns the curve clockwise, it starts at the original's end.
            const bool reversed = (row.map.Determinant() < 0) != (Cross(row.u, row.v) < 0);
            const Vec2 start = original(reversed ? row.t1 : row.t0);
            const Vec2 end = original(reversed ? row.t0 : row.t1);
            EXPECT_TRUE(Near(EllipseAt(*drawn, drawn->StartParam), start, 1e4)) << row.what;
            EXPECT_TRUE(Near(EllipseAt(*drawn, drawn->EndParam), end, 1e4)) << row.what;
        }
    }
}

// A text keeps its glyphs: the baseline and the upright of the characters, mapped,
// give the drawn text's rotation, height, width and slant.
TEST(AffineMap, TextsKeepTheirGlyphsOnTheMappedFrame) {
    struct Row {
        const char* what;
        Affine2 map;
        WorldText text;
        bool drawable;
    };
    WorldText plain;
    plain.Text = "A-1";
    plain.Insert = {10.000000000000002, 20.5};
    plain.Height = 2.5;
    plain.RotationDeg = 30;
    plain.WidthFactor = 0.8;
    plain.ObliqueDeg = 15;
    const Affine2 iso = InsertionMap({100, 50}, std::sqrt(1.5), std::sqrt(0.5), 60);
    const Row rows[] = {
        {"isometric insertion", iso, plain, true},
        {"even scale and turn", InsertionMap({0, 0}, 3, 3, -45), plain, true},
        {"mirror", {-1, 0, 0, 1, 0, 0}, plain, false},
    };
    for (const Row& row : rows) {
        const std::optional<WorldText> drawn = MapText(row.map, row.text);
        ASSERT_EQ(drawn.has_value(), row.drawable) << row.what;
        if (!drawn) continue;
        // The glyph box's corners: along the baseline by the width, up the slanted upright.
        const auto corner = [](const WorldText& t, double along, double up) {
            const double r = t.RotationDeg * kPi / 180;
            const double slant = std::tan(t.ObliqueDeg * kPi / 180);
            const Vec2 a{std::cos(r), std::sin(r)};
            const Vec2 n{-std::sin(r), std::cos(r)};
            const double x = along * t.WidthFactor * t.Height + up * slant * t.Height;
            const double y = up * t.Height;
            return Vec2{t.Insert.X + a.X * x + n.X * y, t.Insert.Y + a.Y * x + n.Y * y};
        };
        for (const auto& [along, up] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, 1.0}, {3.0, 1.0}}) {
            EXPECT_TRUE(Near(corner(*drawn, along, up), row.map.Point(corner(row.text, along, up)), 1e3))
                << row.what << " corner " << along << "," << up;
        }
        EXPECT_EQ(drawn->Text, row.text.Text);
    }
}

}  // namespace
}  // namespace tessavue
