#include "transform.h"

#include <cmath>
#include <numbers>

namespace tessavue::sim {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// A linear map of the plane plus a move: p -> m * p + t.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1;  // [a b; c d]
    Point t{};

    Point Apply(Point p) const { return Point{a * p.x + b * p.y + t.x, c * p.x + d * p.y + t.y}; }
    Point Linear(Point v) const { return Point{a * v.x + b * v.y, c * v.x + d * v.y}; }
    double Det() const { return a * d - b * c; }
};

// Degrees in [0, 360).
double Normalize(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    if (r >= 360.0) r -= 360.0;
    return r;
}

double AngleOf(Point v) { return std::atan2(v.y, v.x) / kDegree; }
double Length(Point v) { return std::hypot(v.x, v.y); }

// The image of the curve c + u cos t + v sin t (t in degrees from `start` to `end`,
// counter-clockwise; a whole curve when `whole`) under `m`. A circle or circular arc
// when the image is round, otherwise an ellipse or elliptical arc.
Entity MapConic(const Entity& source, const Affine& m, Point c, Point u, Point v, double start, double end,
                bool whole) {
    const Point mu = m.Linear(u);
    const Point mv = m.Linear(v);
    const Point centre = m.Apply(c);
    // The curve is centre + mu cos t + mv sin t. Its longest semi-diameter lies at the
    // t0 that maximises |mu cos t + mv sin t|; there the axes are
    //   A = mu cos t0 + mv sin t0,  B = -mu sin t0 + mv cos t0,
    // and the curve is centre + A cos(t - t0) + B sin(t - t0).
    const double uu = mu.x * mu.x + mu.y * mu.y;
    const double vv = mv.x * mv.x + mv.y * mv.y;
    const double uv = mu.x * mv.x + mu.y * mv.y;
    const double t0 = 0.5 * std::atan2(2 * uv, uu - vv);
    const Point major{mu.x * std::cos(t0) + mv.x * std::sin(t0), mu.y * std::cos(t0) + mv.y * std::sin(t0)};
    const Point minor{-mu.x * std::sin(t0) + mv.x * std::cos(t0), -mu.y * std::sin(t0) + mv.y * std::cos(t0)};
    double from = start - t0 / kDegree;
    double to = end - t0 / kDegree;
    // A mirroring map runs the curve clockwise: the parameter changes sign, and the
    // start and end change places so the arc still runs counter-clockwise.
    if (major.x * minor.y - major.y * minor.x < 0) {
        const double oldFrom = from;
        from = -to;
        to = -oldFrom;
    }
    const double majorLength = Length(major);
    const double ratio = majorLength > 0 ? Length(minor) / majorLength : 1.0;

    Entity out = source;
    out.points = {centre};
    if (std::abs(ratio - 1.0) <= 1e-12) {
        const double axis = AngleOf(major);
        out.radius = majorLength;
        if (whole) {
            out.kind = EntityKind::Circle;
            out.startAngle = 0;
            out.endAngle = 0;
        } else {
            out.kind = EntityKind::Arc;
            out.startAngle = Normalize(axis + from);
            out.endAngle = Normalize(axis + to);
        }
        out.ratio = 1;
        return out;
    }
    out.kind = EntityKind::Ellipse;
    out.radius = 0;
    out.points.push_back(major);
    out.ratio = ratio;
    if (whole) {
        out.startAngle = 0;
        out.endAngle = 360;
    } else {
        out.startAngle = Normalize(from);
        out.endAngle = Normalize(to);
    }
    return out;
}

Entity MapEntity(const Entity& e, const Affine& m, const Entity& insert) {
    Entity out = e;
    switch (e.kind) {
        case EntityKind::Line:
        case EntityKind::Polyline:
            for (Point& p : out.points) p = m.Apply(p);
            return out;
        case EntityKind::Circle:
            if (e.points.empty()) return out;
            return MapConic(e, m, e.points[0], Point{e.radius, 0}, Point{0, e.radius}, 0, 360, true);
        case EntityKind::Arc:
            if (e.points.empty()) return out;
            return MapConic(e, m, e.points[0], Point{e.radius, 0}, Point{0, e.radius}, e.startAngle, e.endAngle,
                            false);
        case EntityKind::Ellipse: {
            if (e.points.size() < 2) return out;
            const Point major = e.points[1];
            const Point minor{-major.y * e.ratio, major.x * e.ratio};
            const bool whole = std::abs(std::fmod(e.endAngle - e.startAngle, 360.0)) < 1e-12;
            return MapConic(e, m, e.points[0], major, minor, e.startAngle, e.endAngle, whole);
        }
        case EntityKind::Text:
            for (Point& p : out.points) p = m.Apply(p);
            out.rotation = e.rotation + insert.rotation;
            out.height = e.height * std::abs(insert.scaleY);
            return out;
        case EntityKind::Insert:
            for (Point& p : out.points) p = m.Apply(p);
            out.scaleX = e.scaleX * insert.scaleX;
            out.scaleY = e.scaleY * insert.scaleY;
            out.rotation = e.rotation + insert.rotation;
            return out;
    }
    return out;
}

}  // namespace

void RotateEntity(Entity& entity, Point base, double degrees) {
    const double r = degrees * kDegree;
    Affine m{std::cos(r), -std::sin(r), std::sin(r), std::cos(r), {}};
    m.t = Point{base.x - m.a * base.x - m.b * base.y, base.y - m.c * base.x - m.d * base.y};
    switch (entity.kind) {
        case EntityKind::Line:
        case EntityKind::Polyline:
        case EntityKind::Circle:
            for (Point& p : entity.points) p = m.Apply(p);
            return;
        case EntityKind::Arc:
            for (Point& p : entity.points) p = m.Apply(p);
            entity.startAngle = Normalize(entity.startAngle + degrees);
            entity.endAngle = Normalize(entity.endAngle + degrees);
            return;
        case EntityKind::Ellipse:
            // The major axis is a direction, not a place: it only turns.
            if (!entity.points.empty()) entity.points[0] = m.Apply(entity.points[0]);
            if (entity.points.size() > 1) entity.points[1] = m.Linear(entity.points[1]);
            return;
        case EntityKind::Text:
        case EntityKind::Insert:
            for (Point& p : entity.points) p = m.Apply(p);
            entity.rotation = Normalize(entity.rotation + degrees);
            return;
    }
}

std::vector<Entity> ExplodePolyline(const Entity& polyline) {
    std::vector<Entity> lines;
    const auto& v = polyline.points;
    const std::size_t segments = v.size() < 2 ? 0 : (polyline.closed ? v.size() : v.size() - 1);
    for (std::size_t i = 0; i < segments; ++i) {
        Entity line;
        line.kind = EntityKind::Line;
        line.layer = polyline.layer;
        line.points = {v[i], v[(i + 1) % v.size()]};
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<Entity> ExplodeInsert(const Entity& insert, const Block& block) {
    if (insert.points.empty()) return {};
    const double r = insert.rotation * kDegree;
    const double cr = std::cos(r);
    const double sr = std::sin(r);
    // p -> at + R(rotation) * S(scaleX, scaleY) * (p - base)
    Affine m{cr * insert.scaleX, -sr * insert.scaleY, sr * insert.scaleX, cr * insert.scaleY, {}};
    const Point shift = m.Linear(block.base);
    m.t = Point{insert.points[0].x - shift.x, insert.points[0].y - shift.y};
    std::vector<Entity> out;
    out.reserve(block.entities.size());
    for (const Entity& e : block.entities) out.push_back(MapEntity(e, m, insert));
    return out;
}

}  // namespace tessavue::sim
