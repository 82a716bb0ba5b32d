// Moving entities the way ROTATE and EXPLODE do: a turn about a point, and the
// placement of a block reference (scale x / y, then turn, then move to the insertion
// point) applied to the entities of its definition.
#pragma once

#include <vector>

#include "drawing.h"

namespace tessavue::sim {

// Turns the entity about `base` by `degrees` (counter-clockwise). Exact for every kind.
void RotateEntity(Entity& entity, Point base, double degrees);

// The pieces a polyline explodes into: one line per segment (and the closing one).
std::vector<Entity> ExplodePolyline(const Entity& polyline);

// The entities of `block` carried by the placement of the reference `insert`, as
// EXPLODE leaves them. Lines, polylines and points map exactly. Circles and arcs stay
// circles and arcs under a uniform scale and become ellipses and elliptical arcs (the
// exact affine image) under a non-uniform one; ellipses stay ellipses either way.
// Texts keep their place, turn with the reference and take its Y scale as height.
// A block reference nested in the definition stays a block reference, one level per
// explosion as AutoCAD does it: its insertion point is carried exactly, its scales are
// multiplied by the outer ones and its rotation added. That is exact when the outer
// scale is uniform or the nested reference is not turned; the shear a turned nested
// reference would need under a non-uniform outer scale cannot be held by a block
// reference and is dropped.
std::vector<Entity> ExplodeInsert(const Entity& insert, const Block& block);

}  // namespace tessavue::sim
