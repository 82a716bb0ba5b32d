// Entities real plans hold besides lines and circles, shared by the stand-in's tests.
#pragma once

#include <cmath>
#include <numbers>

#include "core/drawing.h"

namespace tessavue::sim::samples {

// A 20 x 10 outline whose corner at (20, 10) is rounded with radius 4 (a quarter
// circle: bulge tan(90 / 4 degrees)).
inline Entity RoundedOutline() {
    Entity e;
    e.kind = EntityKind::Polyline;
    e.points = {{0, 0}, {20, 0}, {20, 6}, {16, 10}, {0, 10}};
    e.bulges = {0, 0, std::tan(std::numbers::pi / 8), 0, 0};
    e.closed = true;
    return e;
}

// An arc as MIRROR leaves it: extrusion (0, 0, -1), object centre (-40, 10) (the
// world's (40, 10)), object angles 30 to 100 (the world's 80 to 150).
inline Entity MirroredArc() {
    Entity e;
    e.kind = EntityKind::Arc;
    e.points = {{-40, 10}};
    e.radius = 5;
    e.startAngle = 30;
    e.endAngle = 100;
    e.normalZ = -1;
    return e;
}

}  // namespace tessavue::sim::samples
