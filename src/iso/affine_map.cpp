#include "iso/affine_map.h"

#include <cmath>
#include <numbers>

namespace tessavue {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }
double Degrees(double radians) { return radians * 180 / std::numbers::pi; }
double Dot(Vec2 a, Vec2 b) { return a.X * b.X + a.Y * b.Y; }
double Cross(Vec2 a, Vec2 b) { return a.X * b.Y - a.Y * b.X; }
double Length(Vec2 v) { return std::hypot(v.X, v.Y); }

// cos and sin of a whole number of degrees exact where they are 0 or 1, so that an
// insertion turned by 0 or 90 leaves no 6e-17 crumbs in the coordinates.
void CosSin(double degrees, double& c, double& s) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360;
    if (d == 0) { c = 1; s = 0; return; }
    if (d == 90) { c = 0; s = 1; return; }
    if (d == 180) { c = -1; s = 0; return; }
    if (d == 270) { c = 0; s = -1; return; }
    c = std::cos(Radians(degrees));
    s = std::sin(Radians(degrees));
}

}  // namespace

Affine2 Compose(const Affine2& outer, const Affine2& inner) {
    Affine2 m;
    m.A = outer.A * inner.A + outer.B * inner.C;
    m.B = outer.A * inner.B + outer.B * inner.D;
    m.C = outer.C * inner.A + outer.D * inner.C;
    m.D = outer.C * inner.B + outer.D * inner.D;
    const Vec2 t = outer.Point({inner.Tx, inner.Ty});
    m.Tx = t.X;
    m.Ty = t.Y;
    return m;
}

Affine2 InsertionMap(Vec2 at, double xScale, double yScale, double rotationDeg, Vec2 blockBase) {
    double c = 1, s = 0;
    CosSin(rotationDeg, c, s);
    Affine2 m;
    m.A = c * xScale;
    m.B = -s * yScale;
    m.C = s * xScale;
    m.D = c * yScale;
    // The block's base point lands on `at`.
    m.Tx = at.X - (m.A * blockBase.X + m.B * blockBase.Y);
    m.Ty = at.Y - (m.C * blockBase.X + m.D * blockBase.Y);
    return m;
}

Affine2 FigureInsertionMap(const FaceParameters& face, bool existingAxis, Vec2 at) {
    const BlockInsertion insertion = InsertionFor(face, existingAxis);
    return InsertionMap(at, insertion.XScale, insertion.YScale, insertion.Rotation);
}

std::optional<WorldEllipse> MapEllipseArc(const Affine2& map, Vec2 centre, Vec2 u, Vec2 v, double t0, double t1) {
    if (!(map.Determinant() != 0) || !(Cross(u, v) != 0) || !(t1 > t0)) return std::nullopt;
    const Vec2 mu = map.Vector(u);
    const Vec2 mv = map.Vector(v);
    // |mu cos t + mv sin t|^2 = (a + b)/2 + (a - b)/2 cos 2t + c sin 2t is largest at
    // the major axis's parameter.
    const double a = Dot(mu, mu);
    const double b = Dot(mv, mv);
    const double c = Dot(mu, mv);
    const double shift = 0.5 * std::atan2(2 * c, a - b);
    const double cs = std::cos(shift);
    const double sn = std::sin(shift);
    const Vec2 major{mu.X * cs + mv.X * sn, mu.Y * cs + mv.Y * sn};
    const Vec2 minor{-mu.X * sn + mv.X * cs, -mu.Y * sn + mv.Y * cs};
    const double majorLength = Length(major);
    const double minorLength = Length(minor);
    if (!(majorLength > 0) || !(minorLength > 0) || !std::isfinite(majorLength) || !std::isfinite(minorLength))
        return std::nullopt;
    WorldEllipse e;
    e.Centre = map.Point(centre);
    e.MajorAxis = major;
    e.Ratio = std::min(1.0, minorLength / majorLength);
    // The mapped curve runs centre + major cos(t - shift) + minor sin(t - shift). When
    // `minor` points clockwise from `major` (a mirroring map, or u and v given
    // clockwise) the counter-clockwise parameter runs the other way: s = shift - t.
    double start, span = t1 - t0;
    if (span >= kTurn) {
        start = 0;
        span = kTurn;
    } else if (Cross(major, minor) > 0) {
        start = t0 - shift;
    } else {
        start = shift - t1;
    }
    start = std::fmod(start, kTurn);
    if (start < 0) start += kTurn;
    e.StartParam = start;
    e.EndParam = start + span;
    return e;
}

std::optional<WorldEllipse> MapCircle(const Affine2& map, Vec2 centre, double radius) {
    return MapEllipseArc(map, centre, {radius, 0}, {0, radius}, 0, kTurn);
}

std::optional<WorldEllipse> MapCircleArc(const Affine2& map, Vec2 centre, double radius, double startDeg,
                                         double endDeg) {
    double end = endDeg;
    while (end <= startDeg) end += 360;
    if (end - startDeg > 360) end = startDeg + 360;
    // The parameters are the arc's own angles, so its ends land where the map puts the
    // plan arc's ends.
    return MapEllipseArc(map, centre, {radius, 0}, {0, radius}, Radians(startDeg), Radians(end));
}

std::optional<WorldEllipse> MapEllipse(const Affine2& map, const WorldEllipse& ellipse) {
    const Vec2 minor{-ellipse.MajorAxis.Y * ellipse.Ratio, ellipse.MajorAxis.X * ellipse.Ratio};
    double end = ellipse.EndParam;
    while (end <= ellipse.StartParam) end += kTurn;
    return MapEllipseArc(map, ellipse.Centre, ellipse.MajorAxis, minor, ellipse.StartParam, end);
}

WorldLine MapLine(const Affine2& map, const WorldLine& line) { return {map.Point(line.Start), map.Point(line.End)}; }

WorldSpline MapSpline(const Affine2& map, const WorldSpline& spline) {
    // A NURBS curve's points are weighted averages of its control points, and an affine
    // map keeps averages: the knots and weights stay.
    WorldSpline out = spline;
    for (Vec2& p : out.ControlPoints) p = map.Point(p);
    for (Vec2& p : out.FitPoints) p = map.Point(p);
    return out;
}

std::optional<WorldText> MapText(const Affine2& map, const WorldText& text) {
    if (!(map.Determinant() != 0)) return std::nullopt;
    double c = 1, s = 0;
    CosSin(text.RotationDeg, c, s);
    // The glyphs' frame: one character width along the baseline, and the height along
    // the upright, slanted forward by the oblique angle.
    const double slant = std::tan(Radians(text.ObliqueDeg));
    // A text written backward or upside down has its glyphs mirrored in its own frame:
    // after the map they read upright only when the mirrors undo each other.
    const double backward = (text.Generation & 2) != 0 ? -1 : 1;
    const double upsideDown = (text.Generation & 4) != 0 ? -1 : 1;
    const Vec2 along{backward * c * text.WidthFactor * text.Height, backward * s * text.WidthFactor * text.Height};
    const Vec2 up{upsideDown * (-s + slant * c) * text.Height, upsideDown * (c + slant * s) * text.Height};
    const Vec2 mappedAlong = map.Vector(along);
    const Vec2 mappedUp = map.Vector(up);
    const double alongLength = Length(mappedAlong);
    if (!(alongLength > 0)) return std::nullopt;
    const Vec2 direction{mappedAlong.X / alongLength, mappedAlong.Y / alongLength};
    const double height = Cross(direction, mappedUp);  // the upright's part across the baseline
    if (!(height > 0)) return std::nullopt;
    WorldText out = text;
    out.Generation = 0;
    out.Insert = map.Point(text.Insert);
    out.AlignPoint = map.Point(text.AlignPoint);
    out.Height = height;
    out.RotationDeg = Degrees(std::atan2(direction.Y, direction.X));
    if (out.RotationDeg < 0) out.RotationDeg += 360;
    out.WidthFactor = alongLength / height;
    out.ObliqueDeg = Degrees(std::atan(Dot(direction, mappedUp) / height));
    return out;
}

WorldSolid MapSolid(const Affine2& map, const WorldSolid& solid) {
    WorldSolid out;
    for (int i = 0; i < 4; ++i) out.Corners[i] = map.Point(solid.Corners[i]);
    return out;
}

std::optional<WorldShape> MapShape(const Affine2& map, const WorldShape& shape) {
    struct Visitor {
        const Affine2& map;
        std::optional<WorldShape> operator()(const WorldLine& l) const { return MapLine(map, l); }
        std::optional<WorldShape> operator()(const WorldEllipse& e) const {
            std::optional<WorldEllipse> m = MapEllipse(map, e);
            if (!m) return std::nullopt;
            return *m;
        }
        std::optional<WorldShape> operator()(const WorldSpline& s) const { return MapSpline(map, s); }
        std::optional<WorldShape> operator()(const WorldText& t) const {
            std::optional<WorldText> m = MapText(map, t);
            if (!m) return std::nullopt;
            return *m;
        }
        std::optional<WorldShape> operator()(const WorldPoint& p) const { return WorldPoint{map.Point(p.At)}; }
        std::optional<WorldShape> operator()(const WorldSolid& s) const { return MapSolid(map, s); }
    };
    return std::visit(Visitor{map}, shape);
}

}  // namespace tessavue
