// Moving entities the way ROTATE and EXPLODE do: a turn about a point, and the
// placement of a block reference (scale x / y, then turn, then move to the insertion
// point) applied to the entities of its definition.
#pragma once

#include <vector>

#include "drawing.h"

namespace tessavue::sim {

// Turns the entity about `base` by `degrees` (counter-clockwise). Exact for every kind.
void RotateEntity(Entity& entity, Point base, double degrees);

// Scales the entity about `base` by `factor` (positive), as SCALE does: its points
// move away from the base, lengths, radii and heights grow; directions stay.
void ScaleEntity(Entity& entity, Point base, double factor);

// Moves the entity by `delta`.
void MoveEntity(Entity& entity, Point delta);

// The pieces a polyline explodes into: one line per straight segment (and the closing
// one), one arc per arc segment, in world coordinates.
std::vector<Entity> ExplodePolyline(const Entity& polyline);

// The circle an arc segment of a polyline lies on, from a to b with `bulge` (not 0):
// centre, radius, and the arc's start and end angle counter-clockwise in degrees.
struct BulgeArc {
    Point centre;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
};
BulgeArc ArcOfBulge(Point a, Point b, double bulge);

// The curve c + u cos t + v sin t (u, v any two conjugate semi-diameters) as an
// ellipse: its major semi-axis, its minor/major ratio, and the parameter range
// [from, to] (degrees, counter-clockwise from the major axis) that the range
// [start, end] of t becomes. A pair that runs clockwise (a mirror) is turned to run
// counter-clockwise, its ends changing places.
struct EllipseAxes {
    Point major;
    double ratio = 1;
    double from = 0;
    double to = 0;
};
EllipseAxes AxesOfConic(Point u, Point v, double start, double end);

// What EXPLODE makes of a block reference.
struct Explosion {
    // The pieces that take the reference's place, each the exact image of an entity
    // of the definition.
    std::vector<Entity> entities;
    // The entities of the definition no single entity can show exactly under the
    // reference's placement (unequal scales): a polyline with arc segments, a turned
    // nested block reference, whose image would be sheared. AutoCAD keeps them, as
    // they are, in an anonymous block ("*E...") that it references with the same
    // placement, so the drawing still shows their true image.
    std::vector<Entity> leftover;
};

// The entities of `block` carried by the placement of the reference `insert`, as
// EXPLODE leaves them. Lines, polylines and points map exactly. Circles and arcs stay
// circles and arcs under a uniform scale and become ellipses and elliptical arcs (the
// exact affine image) under a non-uniform one; ellipses stay ellipses either way.
// Texts keep their place, turn with the reference and take its Y scale as height.
// A block reference nested in the definition stays a block reference, one level per
// explosion as AutoCAD does it, when its image is one: its insertion point carried,
// its rotation and scales those of the combined placement. A polyline keeps its arc
// segments under a uniform scale.
Explosion ExplodeInsert(const Entity& insert, const Block& block);

// The true image of `part` (an entity of `block`, typically one of an explosion's
// leftover) under the placement of `insert`, as point chains: its outline carried by
// the placement, a nested reference followed `depth` levels further.
std::vector<std::vector<Point>> PlacedStrokes(const Drawing& drawing, const Entity& insert, const Block& block,
                                              const Entity& part, int depth);

}  // namespace tessavue::sim
