#include "transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

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
    const Point centre = m.Apply(c);
    const EllipseAxes axes = AxesOfConic(m.Linear(u), m.Linear(v), start, end);
    const Point major = axes.major;
    const double majorLength = Length(major);
    const double ratio = axes.ratio;
    const double from = axes.from;
    const double to = axes.to;

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

// Whether the linear part keeps circles round: equal, perpendicular columns.
bool IsSimilarity(const Affine& m) {
    const double c0 = std::hypot(m.a, m.c);
    const double c1 = std::hypot(m.b, m.d);
    const double scale = std::max(c0, c1);
    return std::abs(c0 - c1) <= 1e-12 * scale && std::abs(m.a * m.b + m.c * m.d) <= 1e-12 * scale * scale;
}

// The placement of a reference as a map: p -> at + R(rotation) S(scaleX, scaleY) (p - base).
Affine PlacementOf(const Entity& insert, Point base) {
    const double r = insert.rotation * kDegree;
    const double cr = std::cos(r);
    const double sr = std::sin(r);
    Affine m{cr * insert.scaleX, -sr * insert.scaleY, sr * insert.scaleX, cr * insert.scaleY, {}};
    const Point shift = m.Linear(base);
    const Point at = insert.points.empty() ? Point{} : insert.points[0];
    m.t = Point{at.x - shift.x, at.y - shift.y};
    return m;
}

// A nested reference under the outer map: a reference again when the combined linear
// part is a turn and two scales along perpendicular axes (no shear); nullopt else.
std::optional<Entity> MapInsert(const Entity& e, const Affine& m) {
    const double r = e.rotation * kDegree;
    const Affine own{std::cos(r) * e.scaleX, -std::sin(r) * e.scaleY, std::sin(r) * e.scaleX,
                     std::cos(r) * e.scaleY, {}};
    const Affine both{m.a * own.a + m.b * own.c, m.a * own.b + m.b * own.d, m.c * own.a + m.d * own.c,
                      m.c * own.b + m.d * own.d, {}};
    const double x = std::hypot(both.a, both.c);
    const double y = std::hypot(both.b, both.d);
    if (x == 0 || y == 0 || std::abs(both.a * both.b + both.c * both.d) > 1e-12 * x * y) return std::nullopt;
    Entity out = e;
    for (Point& p : out.points) p = m.Apply(p);
    out.rotation = Normalize(AngleOf(Point{both.a, both.c}));
    out.scaleX = x;
    out.scaleY = both.Det() / x;
    return out;
}

// The exact image of `e` (world form) under `m`, or nullopt when no entity holds it.
std::optional<Entity> MapEntity(const Entity& e, const Affine& m) {
    Entity out = e;
    switch (e.kind) {
        case EntityKind::Line:
            for (Point& p : out.points) p = m.Apply(p);
            return out;
        case EntityKind::Polyline:
            if (HasArcSegments(e) && !IsSimilarity(m)) return std::nullopt;
            for (Point& p : out.points) p = m.Apply(p);
            // A mirroring placement runs every arc segment the other way round.
            if (m.Det() < 0)
                for (double& b : out.bulges) b = -b;
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
        case EntityKind::Text: {
            // A glyph point (x, y), in units of the height, lies at
            //   p + h ((w x + y tan o) b + y n)
            // with b the baseline's direction and n square to it. Carried by the
            // placement, the baseline keeps its direction M b and the upright M n
            // splits into a part along the new baseline (more slant) and one square
            // to it (the new height); the advance per unit is |M b| against that.
            for (Point& p : out.points) p = m.Apply(p);
            const double theta = e.rotation * kDegree;
            const Point mb = m.Linear({std::cos(theta), std::sin(theta)});
            const Point mn = m.Linear({-std::sin(theta), std::cos(theta)});
            const double along = std::hypot(mb.x, mb.y);
            if (along == 0) return out;
            const Point b{mb.x / along, mb.y / along};
            const double alpha = mn.x * b.x + mn.y * b.y;
            const double beta = -mn.x * b.y + mn.y * b.x;
            if (beta == 0) return out;
            out.rotation = Normalize(std::atan2(b.y, b.x) / kDegree);
            out.height = e.height * beta;
            out.widthFactor = e.widthFactor * along / beta;
            out.oblique = std::atan((std::tan(e.oblique * kDegree) * along + alpha) / beta) / kDegree;
            return out;
        }
        case EntityKind::Insert:
            return MapInsert(e, m);
        case EntityKind::Solid:
        case EntityKind::Dimension:
            // Corners and defining points map as points; a filled shape stays one.
            for (Point& p : out.points) p = m.Apply(p);
            return out;
    }
    return out;
}

}  // namespace

// For an entity in object coordinates with a downward extrusion: applies `change` to
// its world form and takes the result back into its own coordinates, so that it keeps
// its extrusion as AutoCAD's ROTATE, SCALE and MOVE leave it. False for any other.
template <typename Change>
bool ChangedInTheWorld(Entity& entity, Change change) {
    if (entity.normalZ >= 0) return false;
    Entity world = ToWorld(entity);
    change(world);
    entity = MirroredX(world);
    entity.normalZ = -1;
    return true;
}

void RotateEntity(Entity& entity, Point base, double degrees) {
    if (ChangedInTheWorld(entity, [&](Entity& world) { RotateEntity(world, base, degrees); })) return;
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
        case EntityKind::Solid:
        case EntityKind::Dimension:
            for (Point& p : entity.points) p = m.Apply(p);
            return;
    }
}

void ScaleEntity(Entity& entity, Point base, double factor) {
    const auto scaled = [&](Point p) { return Point{base.x + (p.x - base.x) * factor, base.y + (p.y - base.y) * factor}; };
    if (ChangedInTheWorld(entity, [&](Entity& world) { ScaleEntity(world, base, factor); })) return;
    switch (entity.kind) {
        case EntityKind::Ellipse:
            // The major axis is a vector from the centre: it grows, it does not move.
            if (!entity.points.empty()) entity.points[0] = scaled(entity.points[0]);
            if (entity.points.size() > 1) entity.points[1] = {entity.points[1].x * factor, entity.points[1].y * factor};
            return;
        case EntityKind::Text:
            entity.height *= factor;
            break;
        case EntityKind::Insert:
            entity.scaleX *= factor;
            entity.scaleY *= factor;
            break;
        default:
            break;
    }
    for (Point& p : entity.points) p = scaled(p);
    entity.radius *= factor;
}

void MoveEntity(Entity& entity, Point delta) {
    if (ChangedInTheWorld(entity, [&](Entity& world) { MoveEntity(world, delta); })) return;
    // An ellipse's second point is its major axis, a vector: it does not move.
    const std::size_t moved = entity.kind == EntityKind::Ellipse ? std::min<std::size_t>(1, entity.points.size())
                                                                  : entity.points.size();
    for (std::size_t i = 0; i < moved; ++i) entity.points[i] = {entity.points[i].x + delta.x, entity.points[i].y + delta.y};
}

BulgeArc ArcOfBulge(Point a, Point b, double bulge) {
    const double sweep = 4 * std::atan(bulge);  // signed: counter-clockwise positive
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    BulgeArc arc;
    arc.radius = chord / (2 * std::abs(std::sin(sweep / 2)));
    // From the chord's midpoint to the centre, along the chord's left normal.
    const double offset = chord / 2 / std::tan(sweep / 2);
    arc.centre = Point{(a.x + b.x) / 2 - dy / chord * offset, (a.y + b.y) / 2 + dx / chord * offset};
    const double from = AngleOf(Point{a.x - arc.centre.x, a.y - arc.centre.y});
    const double to = AngleOf(Point{b.x - arc.centre.x, b.y - arc.centre.y});
    // An arc runs counter-clockwise: a clockwise segment is the arc from b to a.
    arc.startAngle = Normalize(sweep > 0 ? from : to);
    arc.endAngle = Normalize(sweep > 0 ? to : from);
    return arc;
}

std::vector<Entity> ExplodePolyline(const Entity& source) {
    const Entity polyline = ToWorld(source);
    std::vector<Entity> pieces;
    const auto& v = polyline.points;
    const std::size_t segments = v.size() < 2 ? 0 : (polyline.closed ? v.size() : v.size() - 1);
    for (std::size_t i = 0; i < segments; ++i) {
        const Point a = v[i];
        const Point b = v[(i + 1) % v.size()];
        Entity piece;
        piece.layer = polyline.layer;
        const double bulge = BulgeAt(polyline, i);
        if (bulge != 0 && !(a == b)) {
            const BulgeArc arc = ArcOfBulge(a, b, bulge);
            piece.kind = EntityKind::Arc;
            piece.points = {arc.centre};
            piece.radius = arc.radius;
            piece.startAngle = arc.startAngle;
            piece.endAngle = arc.endAngle;
        } else {
            piece.kind = EntityKind::Line;
            piece.points = {a, b};
        }
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

Explosion ExplodeInsert(const Entity& insert, const Block& block) {
    Explosion out;
    if (insert.points.empty()) return out;
    const Affine m = PlacementOf(insert, block.base);
    out.entities.reserve(block.entities.size());
    for (const Entity& e : block.entities) {
        if (std::optional<Entity> image = MapEntity(ToWorld(e), m)) {
            out.entities.push_back(std::move(*image));
        } else {
            out.leftover.push_back(e);
        }
    }
    return out;
}

std::vector<std::vector<Point>> PlacedStrokes(const Drawing& drawing, const Entity& insert, const Block& block,
                                              const Entity& part, int depth) {
    const Affine m = PlacementOf(insert, block.base);
    std::vector<std::vector<Point>> strokes;
    if (part.kind == EntityKind::Insert) {
        const Block* inner = drawing.FindBlock(part.block);
        if (inner == nullptr || depth <= 0) return {};
        for (const Entity& e : inner->entities) {
            for (auto& stroke : PlacedStrokes(drawing, part, *inner, e, depth - 1)) strokes.push_back(std::move(stroke));
        }
    } else {
        strokes.push_back(Outline(part));
    }
    for (auto& stroke : strokes)
        for (Point& p : stroke) p = m.Apply(p);
    return strokes;
}

EllipseAxes AxesOfConic(Point u, Point v, double start, double end) {
    // The longest semi-diameter lies at the t0 that maximises |u cos t + v sin t|;
    // there the axes are A = u cos t0 + v sin t0 and B = -u sin t0 + v cos t0, and the
    // curve is c + A cos(t - t0) + B sin(t - t0).
    const double uu = u.x * u.x + u.y * u.y;
    const double vv = v.x * v.x + v.y * v.y;
    const double uv = u.x * v.x + u.y * v.y;
    const double t0 = 0.5 * std::atan2(2 * uv, uu - vv);
    const Point major{u.x * std::cos(t0) + v.x * std::sin(t0), u.y * std::cos(t0) + v.y * std::sin(t0)};
    const Point minor{-u.x * std::sin(t0) + v.x * std::cos(t0), -u.y * std::sin(t0) + v.y * std::cos(t0)};
    EllipseAxes axes;
    axes.major = major;
    axes.from = start - t0 / kDegree;
    axes.to = end - t0 / kDegree;
    if (major.x * minor.y - major.y * minor.x < 0) {
        const double oldFrom = axes.from;
        axes.from = -axes.to;
        axes.to = -oldFrom;
    }
    const double majorLength = std::hypot(major.x, major.y);
    axes.ratio = majorLength > 0 ? std::hypot(minor.x, minor.y) / majorLength : 1.0;
    return axes;
}

}  // namespace tessavue::sim
