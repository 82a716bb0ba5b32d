// The last step of a figure done in the program: the block insertion AutoCAD would do
// (scales, rotation, insertion point) followed by its explosion, as one affine map of
// the plane applied to each shape. Lines stay lines; circles, arcs and ellipses become
// ellipse arcs; splines keep their knots and weights and move their control points;
// texts keep their glyphs on the mapped baseline and upright. Maps compose, so a
// reference inside a reference is one map too.
#pragma once

#include <cstdint>
#include <optional>

#include "iso/faces.h"
#include "iso/world_figure.h"

namespace tessavue {

// x' = A x + B y + Tx, y' = C x + D y + Ty.
struct Affine2 {
    double A = 1, B = 0, C = 0, D = 1;
    double Tx = 0, Ty = 0;

    Vec2 Point(Vec2 p) const { return {A * p.X + B * p.Y + Tx, C * p.X + D * p.Y + Ty}; }
    // A relative vector (an ellipse's axis, a text's direction): turned and scaled, never moved.
    Vec2 Vector(Vec2 v) const { return {A * v.X + B * v.Y, C * v.X + D * v.Y}; }
    double Determinant() const { return A * D - B * C; }
};

// First `inner`, then `outer`.
Affine2 Compose(const Affine2& outer, const Affine2& inner);

// A block reference's placement as AutoCAD makes it: the block's base point to the
// origin, the scales, the rotation (degrees, counter-clockwise), then to `at`.
Affine2 InsertionMap(Vec2 at, double xScale, double yScale, double rotationDeg, Vec2 blockBase = {});

// The insertion that finishes a figure written in a face's pre-insertion frame, its
// base point landing on `at`.
Affine2 FigureInsertionMap(const FaceParameters& face, bool existingAxis, Vec2 at);

// The ellipse arc through centre + cos t * u + sin t * v, t from t0 to t1 (radians,
// t0 < t1; u and v conjugate semi-diameters, not parallel), after the map: its axes, its
// ratio and its parameters counter-clockwise, so that the same points are drawn.
// nullopt when the map flattens it (a determinant of zero) or u and v are parallel.
std::optional<WorldEllipse> MapEllipseArc(const Affine2& map, Vec2 centre, Vec2 u, Vec2 v, double t0, double t1);

// A whole circle, and a circle's arc from startDeg counter-clockwise to endDeg as DXF
// holds it (an end below the start crosses 0 degrees).
std::optional<WorldEllipse> MapCircle(const Affine2& map, Vec2 centre, double radius);
std::optional<WorldEllipse> MapCircleArc(const Affine2& map, Vec2 centre, double radius, double startDeg,
                                         double endDeg);
std::optional<WorldEllipse> MapEllipse(const Affine2& map, const WorldEllipse& ellipse);

WorldLine MapLine(const Affine2& map, const WorldLine& line);
WorldSpline MapSpline(const Affine2& map, const WorldSpline& spline);
// nullopt when the map flattens the text or leaves it mirrored (no upright text reads
// the same): a mirroring map undoes a text written backward or upside down, which then
// comes out upright.
std::optional<WorldText> MapText(const Affine2& map, const WorldText& text);
WorldSolid MapSolid(const Affine2& map, const WorldSolid& solid);

// Any shape; nullopt as the shape's own function says.
std::optional<WorldShape> MapShape(const Affine2& map, const WorldShape& shape);

}  // namespace tessavue
