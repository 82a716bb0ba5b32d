// What the dimension (寸法) is, without AutoCAD. The user picks two measured points and a
// third that says on which side the dimension line goes, all in the finished drawing.
// The pair is laid out in plan along plan X (plan Y for an upright pair) at its true
// length about its midpoint, the face then carries it back onto the line through the
// picks. The palette types the three laid-out points into AutoCAD's DIMLINEAR and
// inserts the exploded, turned result at the midpoint; tessavue-iso draws the same
// pieces itself and writes them in drawing coordinates.
#pragma once

#include <string>
#include <vector>

#include "iso/faces.h"
#include "iso/world_figure.h"

namespace tessavue {

enum class DimensionRefusal {
    None,
    SamePoints,  // the two measured points are one point: no direction
    Direction,   // not 30, 150, 210, 330, 90 or 270 degrees (`Degrees` says what it was)
    Face,        // a direction the face does not carry onto itself
};

// The three points typed into DIMLINEAR, or why there are none.
struct DimensionLayout {
    DimensionRefusal Refusal = DimensionRefusal::None;
    int Degrees = 0;       // the direction from the first pick to the second, whole degrees
    bool Upright = false;  // 90 or 270 degrees: laid out along plan Y
    Vec2 First;            // the measured points in plan: along plan X left to right,
    Vec2 Second;           // or along plan Y bottom to top
    Vec2 LinePoint;        // where the dimension line goes
    Vec2 Middle;           // the picks' midpoint: the turn's centre and the insertion point
};

// The layout of the picks p1, p2, p3 on `face`, the dimension line `offset` from the
// measured points on p3's side: above or below the pair's midpoint (compared in Y), or
// left or right of it for an upright pair (compared in X). A p3 within `onLineSlack`
// of the midpoint so compared counts as on the line: the dimension line then runs
// through the picks. The palette's picks come back rounded to the decimals AutoCAD
// shows, so it passes two units of the last of them; points typed in as numbers need
// no more than a rounding's worth (TypedOnLineSlack).
DimensionLayout LayDimensionOut(const FaceParameters& face, Vec2 p1, Vec2 p2, Vec2 p3, double offset,
                                double onLineSlack);

// The slack for picks typed in as numbers (exact, not rounded for show): a billionth of
// the largest coordinate's size (at least of 1), so that a third point typed as the
// midpoint, or copied with eight decimals, counts as on the line.
double TypedOnLineSlack(Vec2 p1, Vec2 p2, Vec2 p3);

// The measured distance as the dimension writes it: decimal with `decimals` decimals.
std::string DimensionValueText(double length, int decimals);

// The text's height and the arrowheads' length in plan, before the face's insertion
// scales them.
inline constexpr double kDimensionTextHeight = 2.5;
inline constexpr double kDimensionArrowLength = 2.5;

// The dimension of a layout (no refusal) in plan, as DIMLINEAR draws it from the three
// points: the dimension line, the two extension lines from the measured points to it
// (left out where the line runs through the point: a line of no length shows nothing),
// two filled arrowheads pointing out at the line's ends, and the measured length
// `decimals` decimals, centred half a text height above the middle of the line along it.
std::vector<WorldEntity> DimensionPlanPieces(const DimensionLayout& layout, int decimals, const std::string& layer);

// The same pieces finished on the face: turned by the face angle about the midpoint and
// inserted there with the face's scales, in drawing coordinates.
std::vector<WorldEntity> DimensionOnFace(const FaceParameters& face, const DimensionLayout& layout, int decimals,
                                         const std::string& layer);

}  // namespace tessavue
