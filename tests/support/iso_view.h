// The isometric view a drafter expects, worked out from each face's axes alone: where
// plan +X, plan +Y and the height go, how a circle becomes an ellipse and where its
// height lines stand. Tests compare what the stand-in's drawing holds after a draw with
// this, entity for entity, and nothing may be left over. Nothing here calls the
// palette's own projection.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/drawing.h"

namespace tessavue::testing {

using sim::Entity;
using sim::EntityKind;
using sim::Point;

// A figure is right when each entity lies within a billionth of the plan's size of where
// the face puts it: the test plans span a few hundred units. Points the palette reads
// from AutoCAD's display come at eight decimals, so a figure about a read point may
// stand off the exact one by that rounding, well inside this.
inline constexpr double kTolerance = 1e-7;
inline constexpr double kHeight = 10;

// ---------------------------------------------------------------------------------
// What the user sees: where plan directions and the height go on each face.
// ---------------------------------------------------------------------------------

struct FaceView {
    std::int32_t code;  // the face code: 0 上左, 1 上右, 2 左, 3 右
    const char* name;
    double planX;   // direction of plan +X, degrees
    double planY;   // direction of plan +Y
    double up;      // direction of a positive height
    double major;   // direction of a circle's major axis (modulo 180)
    // The plan circle's points (degrees) that go to the ends of the major axis, where
    // the outline runs along the height direction: height lines start there.
    double tangent;
};

inline const FaceView kFaces[] = {
    {0, "上左", 30, 150, 90, 0, -45},
    {1, "上右", 330, 30, 90, 0, 45},
    {2, "左", 330, 90, 210, 120, -45},
    {3, "右", 30, 90, 330, 60, 45},
};

inline Point Along(double degrees, double length) {
    const double a = degrees * std::numbers::pi / 180;
    return {length * std::cos(a), length * std::sin(a)};
}
inline Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
inline Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }

inline bool Near(Point a, Point b) { return std::abs(a.x - b.x) < kTolerance && std::abs(a.y - b.y) < kTolerance; }
inline bool Near(double a, double b) { return std::abs(a - b) < kTolerance; }

inline std::string Show(Point p) {
    std::ostringstream out;
    out << "(" << p.x << ", " << p.y << ")";
    return out.str();
}

// The placement of one figure: plan point relative to the base point, carried onto
// the face at the insertion point, `lift` along the face's height direction.
struct Placement {
    FaceView face;
    Point base;
    Point at;
    Point operator()(Point plan, double lift = 0) const {
        const Point d = plan - base;
        return at + Along(face.planX, d.x) + Along(face.planY, d.y) + Along(face.up, lift);
    }
};

// ---------------------------------------------------------------------------------
// The plan in the drawing and what a figure of it must hold.
// ---------------------------------------------------------------------------------

struct PlanArc {
    Point centre;
    double radius;
    double start;
    double end;
};

struct Plan {
    std::vector<std::pair<Point, Point>> lines;
    std::vector<std::pair<Point, double>> circles;
    std::vector<PlanArc> arcs;
    std::vector<std::vector<Point>> polylines;
    // Lines the selection explodes (polyline segments, lines of block references):
    // they are not in the figure as lines of their own, but get height lines.
    std::vector<std::pair<Point, Point>> explodedLines;
};

struct FigureOptions {
    double height = kHeight;
    bool heightLines = true;
    bool invert = false;
    bool circleHeightLines = false;
};

struct Expected {
    std::string what;
    std::function<bool(const Entity&)> matches;
};

inline double Mod180(double degrees) {
    double d = std::fmod(degrees, 180.0);
    if (d < 0) d += 180;
    return d;
}

// A point of an ellipse at its parameter `degrees`.
inline Point EllipsePoint(const Entity& e, double degrees) {
    const Point major = e.points[1];
    const Point minor{-major.y * e.ratio, major.x * e.ratio};
    const double t = degrees * std::numbers::pi / 180;
    return e.points[0] + Point{major.x * std::cos(t) + minor.x * std::sin(t), major.y * std::cos(t) + minor.y * std::sin(t)};
}

inline Expected LineFrom(Point a, Point b, const std::string& what) {
    return {what + " " + Show(a) + "-" + Show(b), [=](const Entity& e) {
                return e.kind == EntityKind::Line && Near(e.points[0], a) && Near(e.points[1], b);
            }};
}

// Whether `e` is an ellipse about `c` with semi-axes `a` and `b`, its major axis along
// `majorDegrees` (either way).
inline bool EllipseShape(const Entity& e, Point c, double majorDegrees, double a, double b) {
    if (e.kind != EntityKind::Ellipse || !Near(e.points[0], c)) return false;
    const double length = std::hypot(e.points[1].x, e.points[1].y);
    if (!Near(length, a) || !Near(e.ratio * length, b)) return false;
    const double direction = std::atan2(e.points[1].y, e.points[1].x) * 180 / std::numbers::pi;
    const double off = std::abs(Mod180(direction) - Mod180(majorDegrees));
    return std::min(off, 180 - off) <= 1e-6;
}

// A whole isometric circle: centre `c`, semi-axes sqrt(1.5) r and sqrt(0.5) r, the major
// one along `majorDegrees`.
inline Expected IsoCircle(Point c, double majorDegrees, double radius, const std::string& what) {
    return {what + " r " + std::to_string(radius) + " about " + Show(c), [=](const Entity& e) {
                return EllipseShape(e, c, majorDegrees, std::sqrt(1.5) * radius, std::sqrt(0.5) * radius) &&
                       Near(std::abs(e.endAngle - e.startAngle), 360.0);
            }};
}

// An elliptical arc as a drafter checks it: its centre, its semi-axes, its major axis's
// direction and where it begins and ends, counter-clockwise.
inline Expected IsoArc(Point c, double majorDegrees, double a, double b, Point from, Point to,
                       const std::string& what) {
    return {what + " about " + Show(c), [=](const Entity& e) {
                return EllipseShape(e, c, majorDegrees, a, b) && Near(EllipsePoint(e, e.startAngle), from) &&
                       Near(EllipsePoint(e, e.endAngle), to);
            }};
}

// An isometric circle or arc of the plan: the centre, semi-axes sqrt(1.5) r and
// sqrt(0.5) r with the major one along the face's direction; an arc begins and ends at
// the images of its ends.
inline Expected EllipseFor(const Placement& place, Point centre, double radius, double lift,
                           std::optional<std::pair<double, double>> arc, const std::string& what) {
    const Point c = place(centre, lift);
    if (!arc) return IsoCircle(c, place.face.major, radius, what);
    return IsoArc(c, place.face.major, std::sqrt(1.5) * radius, std::sqrt(0.5) * radius,
                  place(centre + Along(arc->first, radius), lift), place(centre + Along(arc->second, radius), lift),
                  what);
}

inline Expected PolylineFor(const Placement& place, const std::vector<Point>& vertices, double lift, const std::string& what) {
    std::vector<Point> expected;
    for (Point v : vertices) expected.push_back(place(v, lift));
    return {what, [=](const Entity& e) {
                if (e.kind != EntityKind::Polyline || e.points.size() != expected.size()) return false;
                for (std::size_t i = 0; i < expected.size(); ++i)
                    if (!Near(e.points[i], expected[i])) return false;
                return true;
            }};
}

// Whether the plan arc passes through `degrees` (both ends included).
inline bool ArcCovers(const PlanArc& arc, double degrees) {
    const auto norm = [](double d) { return std::fmod(std::fmod(d, 360.0) + 360.0, 360.0); };
    const double a = norm(degrees);
    const double s = norm(arc.start);
    const double e = norm(arc.end);
    return s <= e ? (a >= s - 1e-9 && a <= e + 1e-9) : (a >= s - 1e-9 || a <= e + 1e-9);
}

inline std::vector<Expected> FigureOf(const Plan& plan, const Placement& place, const FigureOptions& options) {
    std::vector<Expected> figure;
    const double lift = (options.invert ? -1 : 1) * options.height;
    std::vector<double> lifts{0};
    if (options.height != 0) lifts.push_back(lift);
    for (double h : lifts) {
        const std::string level = h == 0 ? "plan" : "raised";
        for (const auto& [a, b] : plan.lines) figure.push_back(LineFrom(place(a, h), place(b, h), level + " line"));
        for (const auto& [c, r] : plan.circles)
            figure.push_back(EllipseFor(place, c, r, h, std::nullopt, level + " circle"));
        for (const auto& arc : plan.arcs)
            figure.push_back(EllipseFor(place, arc.centre, arc.radius, h, std::pair{arc.start, arc.end}, level + " arc"));
        for (const auto& p : plan.polylines) figure.push_back(PolylineFor(place, p, h, level + " polyline"));
    }
    if (options.height == 0 || !options.heightLines) return figure;

    // One height line per distinct end point; for circles and arcs at the points whose
    // images lie on the ellipse's outline where the height direction touches it.
    std::vector<Point> feet;
    const auto foot = [&](Point p) {
        for (Point q : feet)
            if (Near(p, q)) return;
        feet.push_back(p);
    };
    for (const auto& [a, b] : plan.lines) foot(a), foot(b);
    for (const auto& [a, b] : plan.explodedLines) foot(a), foot(b);
    if (options.circleHeightLines) {
        const double t = place.face.tangent;
        for (const auto& [c, r] : plan.circles) foot(c + Along(t, r)), foot(c + Along(t + 180, r));
        for (const auto& arc : plan.arcs)
            for (double a : {t, t + 180})
                if (ArcCovers(arc, a)) foot(arc.centre + Along(a, arc.radius));
    }
    for (Point p : feet) figure.push_back(LineFrom(place(p), place(p, lift), "height line"));
    return figure;
}

// Every expected entity is matched by a different one of `drawn`, and nothing is left.
inline ::testing::AssertionResult HoldsExactly(std::vector<Entity> drawn, const std::vector<Expected>& figure) {
    std::vector<std::string> missing;
    for (const Expected& want : figure) {
        auto found = std::find_if(drawn.begin(), drawn.end(), want.matches);
        if (found == drawn.end()) {
            missing.push_back(want.what);
            continue;
        }
        drawn.erase(found);
    }
    if (missing.empty() && drawn.empty()) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    for (const auto& what : missing) failure << "missing: " << what << "\n";
    for (const auto& e : drawn) {
        failure << "not expected: kind " << static_cast<int>(e.kind);
        for (Point p : e.points) failure << " " << Show(p);
        failure << "\n";
    }
    return failure;
}

// ---------------------------------------------------------------------------------
// The figures typed in as numbers (円, 四角, 六角)
// ---------------------------------------------------------------------------------

// One figure of a kind typed in as numbers, and what the palette holds for it.
struct NumberFigure {
    const char* name;
    const char* kind;
    std::int32_t face;
    double a = 10;  // 円: 直径; 四角: Ｙ; 六角: 対辺
    double b = 10;  // 四角: Ｘ
    bool vertical = true;
    double height = 10;
    bool invert = false;
    bool heightLines = true;
};

// The plan the numbers describe, about the origin (the point the user picks): a
// circle of the diameter; the rectangle's edges clockwise from the top one; the
// hexagon's edges from the corner at -30 degrees ("縦": flats at X = ±s/2) or at 0
// ("横": flats at Y = ±s/2), counter-clockwise.
inline Plan NumberFigurePlan(const NumberFigure& f) {
    Plan plan;
    const std::string kind = f.kind;
    if (kind == "円") {
        plan.circles = {{{0, 0}, f.a / 2}};
    } else if (kind == "四角") {
        const double h = f.b / 2, k = f.a / 2;
        const Point corners[] = {{-h, k}, {h, k}, {h, -k}, {-h, -k}};
        for (int i = 0; i < 4; ++i) plan.lines.push_back({corners[i], corners[(i + 1) % 4]});
    } else {
        const double corner = f.a / std::sqrt(3.0);
        const double first = f.vertical ? -30 : 0;
        for (int i = 0; i < 6; ++i)
            plan.lines.push_back({Along(first + 60 * i, corner), Along(first + 60 * (i + 1), corner)});
    }
    return plan;
}

inline std::string Number(double value) {
    std::ostringstream out;
    out.precision(17);
    out << value;
    return out.str();
}

// The rows both the in-process and the end-to-end tests draw, one after another at
// one picked point each: every face, each kind, the rectangle with X and Y apart,
// the hexagon 横, height 0, a negative height, 高さ符号反転 and 高さ unchecked.
inline const std::vector<NumberFigure>& NumberFigures() {
    static const std::vector<NumberFigure> rows = {
        {"circle 上左", "円", 0, 10},           {"circle 上右", "円", 1, 10},
        {"circle 左", "円", 2, 24},             {"circle 右", "円", 3, 7.5},
        {"square 上左", "四角", 0, 10, 20},      {"square 上右", "四角", 1, 10, 10},
        {"square 左", "四角", 2, 30, 12},        {"square 右", "四角", 3, 4, 16},
        {"hexagon 縦 上左", "六角", 0, 10},      {"hexagon 縦 上右", "六角", 1, 10},
        {"hexagon 横 左", "六角", 2, 17, 0, false}, {"hexagon 横 右", "六角", 3, 8, 0, false},
        {"circle, height 0", "円", 1, 10, 0, true, 0},
        {"square, negative height", "四角", 2, 10, 6, true, -7},
        {"hexagon, inverted height sign", "六角", 3, 10, 0, true, 10, true},
        {"square, 高さ unchecked", "四角", 0, 10, 20, true, 10, false, false},
    };
    return rows;
}

// ---------------------------------------------------------------------------------
// A turned part (既存軸)
// ---------------------------------------------------------------------------------

struct Station {
    double along;   // distance from where the body starts, along the axis
    double radius;
};
struct Silhouette {
    double from, to, radius;  // a segment of the outline parallel to the axis
};

// The body as a drafter sees it from `at`, its axis running toward `axisDirection`:
// at each station an isometric circle perpendicular to the axis, its major axis along
// `major`; each silhouette twice, sqrt(1.5) times its radius either side of the axis
// along `major`.
inline std::vector<Expected> TurnedPart(Point at, double axisDirection, double major,
                                        const std::vector<Station>& stations,
                                        const std::vector<Silhouette>& silhouettes) {
    std::vector<Expected> figure;
    for (const Station& st : stations)
        figure.push_back(IsoCircle(at + Along(axisDirection, st.along), major, st.radius, "station"));
    for (const Silhouette& sil : silhouettes)
        for (double side : {-1.0, 1.0}) {
            const Point offset = Along(major, side * std::sqrt(1.5) * sil.radius);
            figure.push_back(LineFrom(at + Along(axisDirection, sil.from) + offset,
                                      at + Along(axisDirection, sil.to) + offset, "silhouette"));
        }
    return figure;
}

// ---------------------------------------------------------------------------------
// A round-bar bend (丸棒曲げ)
// ---------------------------------------------------------------------------------

inline Point Turn(Point p, Point about, double degrees) {
    const double r = degrees * std::numbers::pi / 180;
    const double x = p.x - about.x;
    const double y = p.y - about.y;
    return {about.x + x * std::cos(r) - y * std::sin(r), about.y + x * std::sin(r) + y * std::cos(r)};
}

// The bend about `at`, worked out from its geometry: the bar's centre line is the
// isometric circle of radius R (semi-axes sqrt(1.5) R and sqrt(0.5) R, major axis
// level); its point at 30 degrees is (R cos 30, R sin 30) from the centre. Each quarter
// of the outline is that centre line's arc scaled about the centre of the arc it
// stands for (the caps about a point R/sqrt(3) from the centre, the long sides about a
// point R above or below it) so that its junction lands sqrt(1.5) q inside or outside
// along the 60-degree normal there; each junction carries a cross-section, the
// isometric circle of radius q in the vertical plane across the bar, in two halves.
// On a side face everything is turned about `at` by the face's side turn.
inline std::vector<Expected> BendFigure(Point at, double R, double q, double sideTurn) {
    const double a = std::sqrt(1.5);
    const double b = std::sqrt(0.5);
    // The centre line's point at a true angle from its major axis.
    const auto onCentreLine = [&](double degrees) {
        const double t = degrees * std::numbers::pi / 180;
        const double rho = 1 / std::sqrt(std::pow(std::cos(t) / (a * R), 2) + std::pow(std::sin(t) / (b * R), 2));
        return at + Along(degrees, rho);
    };
    const Point upper = onCentreLine(30);   // the junction at 30 degrees
    const Point lower = onCentreLine(210);  // and its opposite
    const double k = a * q;
    struct Quarter {
        double from, to;
        Point scaleCentre, junction;
        double outward;  // the direction from the junction away from the scale centre
    };
    const Quarter quarters[] = {
        {-30, 30, at + Point{R / std::sqrt(3.0), 0}, upper, 60},
        {30, 150, at + Point{0, -R}, upper, 60},
        {150, 210, at + Point{-R / std::sqrt(3.0), 0}, lower, 240},
        {210, 330, at + Point{0, R}, lower, 240},
    };
    std::vector<Expected> figure;
    const auto turned = [&](Point p) { return Turn(p, at, sideTurn); };
    for (const Quarter& qu : quarters) {
        const double reach = std::hypot(qu.junction.x - qu.scaleCentre.x, qu.junction.y - qu.scaleCentre.y);
        for (double side : {-1.0, 1.0}) {
            const Point moved = qu.junction + Along(qu.outward, side * k);
            const double f = std::hypot(moved.x - qu.scaleCentre.x, moved.y - qu.scaleCentre.y) / reach;
            const auto scaled = [&](Point p) {
                return Point{qu.scaleCentre.x + (p.x - qu.scaleCentre.x) * f, qu.scaleCentre.y + (p.y - qu.scaleCentre.y) * f};
            };
            figure.push_back(IsoArc(turned(scaled(at)), sideTurn, f * a * R, f * b * R,
                                    turned(scaled(onCentreLine(qu.from))), turned(scaled(onCentreLine(qu.to))),
                                    "outline"));
        }
    }
    // The cross-sections: at the junctions and at the two points level with one and
    // plumb with the other, their first axis at +60 or -60 degrees.
    const std::pair<Point, double> sections[] = {
        {upper, 60}, {{lower.x, upper.y}, -60}, {lower, 60}, {{upper.x, lower.y}, -60}};
    for (const auto& [centre, axis] : sections) {
        const Point end = Along(axis, a * q);
        const Point p0 = centre + end;
        const Point p1 = centre + Point{-end.x, -end.y};
        figure.push_back(IsoArc(turned(centre), axis + sideTurn, a * q, b * q, turned(p0), turned(p1), "section"));
        figure.push_back(IsoArc(turned(centre), axis + sideTurn, a * q, b * q, turned(p1), turned(p0), "section"));
    }
    return figure;
}

// ---------------------------------------------------------------------------------
// A text laid on a face (文字)
// ---------------------------------------------------------------------------------

// A plan text of height h and angle 0 laid on the face: its glyph point (x, y) (in
// units of its height) must land at at + h (x X + y Y), with X and Y the face's images
// of plan +X and +Y at unit length. As a text that is a rotation along X, a height
// square to it, a width factor and an oblique angle.
struct TextOnFace {
    double rotation, height, width, oblique;
};
// The same for a plan text whose baseline and upright go to `baseline` and `upright`
// (degrees) on the face: a text turned 90 in plan runs along plan +Y, its upright along
// plan -X.
inline TextOnFace ExpectedTextAlong(double baseline, double upright, double h) {
    const Point X = Along(baseline, 1);
    const Point Y = Along(upright, 1);
    const Point n{-X.y, X.x};
    const double square = Y.x * n.x + Y.y * n.y;
    const double along = Y.x * X.x + Y.y * X.y;
    return {baseline, h * square, 1 / square, std::atan(along / square) * 180 / std::numbers::pi};
}
inline TextOnFace ExpectedText(const FaceView& face, double h) { return ExpectedTextAlong(face.planX, face.planY, h); }

}  // namespace tessavue::testing
