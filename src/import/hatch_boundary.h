// A HATCH drawn by its boundary: the outline of every boundary path as the shapes a
// figure is made of, read from the entity's group pairs. The fill itself (pattern
// lines, solid fill, gradient) is not drawn.
#pragma once

#include <string>
#include <vector>

#include "iso/world_figure.h"

namespace tessavue {

// One group pair of a DXF entity: the group code and its value text as the file holds
// it (blanks around a number allowed).
struct HatchGroup {
    int Code;
    std::string Value;
};

// The boundary of every path of one HATCH, path after path and each in file order.
// `groups` are the entity's group pairs in file order after its "0 HATCH".
//
// The shapes are in the hatch's object coordinates (the plane of its extrusion, 210/220/
// 230, at its elevation, 30 of the elevation point); the caller maps them into the world.
// - A polyline path (path flag 92 bit 2): each segment from vertex to vertex (and from the
//   last back to the first when its 73 says closed) as a WorldLine, or, when bulged, as
//   the circular arc it stands for: a WorldEllipse with Ratio 1 and MajorAxis (r, 0).
//   Segments of zero length are left out.
// - An edge path: a line edge as a WorldLine; a circular arc edge as a WorldEllipse with
//   Ratio 1 and MajorAxis (r, 0), its parameters the angles; an elliptic arc edge as a
//   WorldEllipse with the edge's major axis and ratio, the start and end angles taken as
//   angles seen from the centre (turned into ellipse parameters); a spline edge as a
//   WorldSpline (Flags 8 planar, + 4 rational, + 1 and 2 periodic; weights only when
//   rational; fit points when given; the fit tangents are dropped).
// Every WorldEllipse runs counter-clockwise: StartParam in [0, 2 pi), EndParam after it by
// the arc's sweep, at most 2 pi (a whole circle or ellipse is 0 to 2 pi). A clockwise edge
// (73 = 0) holds its angles mirrored (a stored angle a is the direction -a); it comes out
// as the same curve run counter-clockwise, so its own start point is at EndParam.
//
// `fault` is empty on success. On inconsistent data (a count that runs past the groups,
// a group missing or out of place, a value that is no number) it holds a short English
// reason and the result holds the shapes of the edges and segments read before it.
std::vector<WorldShape> HatchBoundaryShapes(const std::vector<HatchGroup>& groups, std::string& fault);

}  // namespace tessavue
