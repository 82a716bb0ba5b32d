// Plane maps worked out by the tests themselves, to place what a block holds the way
// DXF defines a block reference (the base point to the insertion point, scaled, then
// turned), and curves sampled through them, so that expected rows never come from the
// code under test.
#pragma once

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "entity_rows.h"

namespace tessavue::testing {

inline constexpr double kPi = 3.141592653589793;

// x' = a x + b y + e, y' = c x + d y + f.
struct Map2 {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    PlanPoint operator()(PlanPoint p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
    // This map after `inner`.
    Map2 After(const Map2& in) const {
        return {a * in.a + b * in.c, a * in.b + b * in.d, c * in.a + d * in.c, c * in.b + d * in.d,
                a * in.e + b * in.f + e, c * in.e + d * in.f + f};
    }
    double Det() const { return a * d - b * c; }
    // Its linear part keeps circles round: equal columns at right angles.
    bool Similar() const {
        const double size = a * a + b * b + c * c + d * d;
        return std::fabs(a * a + c * c - b * b - d * d) < 1e-12 * size && std::fabs(a * b + c * d) < 1e-12 * size;
    }
    // The longest and shortest stretch of a unit vector (the singular values).
    std::pair<double, double> Stretches() const {
        const double s = a * a + b * b + c * c + d * d;
        const double root = std::sqrt(std::max(0.0, s * s - 4 * Det() * Det()));
        return {std::sqrt((s + root) / 2), std::sqrt(std::max(0.0, (s - root) / 2))};
    }
};

// A reference as DXF defines it: the block's base point goes to the insertion point,
// the block is scaled about it and turned by `degrees`.
inline Map2 Reference(PlanPoint insertion, double sx, double sy, double degrees, PlanPoint base) {
    const double c = std::cos(degrees * kPi / 180), s = std::sin(degrees * kPi / 180);
    Map2 m{c * sx, -s * sy, s * sx, c * sy, 0, 0};
    const PlanPoint moved = m(base);
    m.e = insertion.x - moved.x;
    m.f = insertion.y - moved.y;
    return m;
}

// Points of a circle's arc from `from` to `to` degrees (counter-clockwise), mapped;
// in the order the image runs counter-clockwise (a mirror turns it round).
inline std::vector<PlanPoint> MappedArc(const Map2& m, PlanPoint centre, double r, double from, double to, int n = 9) {
    double sweep = std::fmod(to - from, 360.0);
    if (sweep <= 0) sweep += 360;
    std::vector<PlanPoint> points;
    for (int i = 0; i < n; ++i) {
        const double t = (from + sweep * i / (n - 1)) * kPi / 180;
        points.push_back(m({centre.x + r * std::cos(t), centre.y + r * std::sin(t)}));
    }
    if (m.Det() < 0) std::reverse(points.begin(), points.end());
    return points;
}

// A whole circle mapped: n points at equal angles, counter-clockwise in the image.
inline std::vector<PlanPoint> MappedCircle(const Map2& m, PlanPoint centre, double r, int n = 12) {
    std::vector<PlanPoint> points;
    for (int i = 0; i < n; ++i) {
        const double t = 2 * kPi * i / n * (m.Det() < 0 ? -1 : 1);
        points.push_back(m({centre.x + r * std::cos(t), centre.y + r * std::sin(t)}));
    }
    return points;
}

// A corner of a text's glyph box in its own frame: `along` character widths along the
// baseline (height times width factor each), `up` heights along the upright slanted
// forward by the oblique angle; from the insertion point, turned by the rotation.
inline PlanPoint GlyphCorner(PlanPoint insert, double height, double rotationDeg, double widthFactor,
                             double obliqueDeg, double along, double up) {
    const double r = rotationDeg * kPi / 180;
    const double x = along * widthFactor * height + up * std::tan(obliqueDeg * kPi / 180) * height;
    const double y = up * height;
    return {insert.x + std::cos(r) * x - std::sin(r) * y, insert.y + std::sin(r) * x + std::cos(r) * y};
}

// The glyph box's corners checked by the texts' tests: the start, one width along,
// one height up, and a far corner.
inline constexpr std::pair<double, double> kGlyphCorners[] = {{0, 0}, {1, 0}, {0, 1}, {3, 1}};

// Everything relative to the base point.
inline std::vector<PlanPoint> Relative(std::vector<PlanPoint> points, PlanPoint base) {
    for (PlanPoint& p : points) p = {p.x - base.x, p.y - base.y};
    return points;
}

}  // namespace tessavue::testing
