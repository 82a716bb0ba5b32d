// A finished isometric figure in drawing (world) coordinates, as the palette's
// insertion and explosion would leave it in AutoCAD: what a figure becomes when the
// program does that last step itself, to be written as a DXF of its own.
//
// Only the shapes an affine map of a plan can give: lines, ellipse arcs (circles and
// arcs come out as ellipses), splines with their control points mapped, texts on
// their face, points and solids. No block references: everything is placed.
#pragma once

#include <string>
#include <variant>
#include <vector>

namespace tessavue {

struct Vec2 {
    double X = 0;
    double Y = 0;
};

struct WorldLine {
    Vec2 Start;
    Vec2 End;
};

// Runs counter-clockwise through Centre + cos t * MajorAxis + sin t * Ratio *
// (MajorAxis turned by +90 degrees), t from StartParam to EndParam in radians
// (0 to 2 pi for a whole one). 0 < Ratio <= 1.
struct WorldEllipse {
    Vec2 Centre;
    Vec2 MajorAxis;
    double Ratio = 1;
    double StartParam = 0;
    double EndParam = 0;
};

// A NURBS curve as DXF holds it: the knots are parameters and stay as they are under
// an affine map; only the control (and fit) points move.
struct WorldSpline {
    int Degree = 3;
    int Flags = 0;  // DXF group 70: 1 closed, 2 periodic, 4 rational, 8 planar
    std::vector<double> Knots;
    std::vector<Vec2> ControlPoints;
    std::vector<double> Weights;  // empty, or one per control point
    std::vector<Vec2> FitPoints;
};

// A single-line text on its face: the plan text's baseline direction and its
// upright direction both mapped, read back as a rotation, a height, a width factor
// and an oblique angle.
struct WorldText {
    std::string Text;   // the bytes as the plan held them
    Vec2 Insert;        // the baseline's start
    double Height = 1;
    double RotationDeg = 0;
    double WidthFactor = 1;
    double ObliqueDeg = 0;
    std::string Style = "STANDARD";
    // DXF groups 72 and 73: 0 and 0 for a text that starts at Insert. Any other pair
    // hangs the text from AlignPoint (for 3 "aligned" and 5 "fit" the baseline runs
    // from Insert to it), and AutoCAD works Insert out again from there.
    int HorizontalAlign = 0;
    int VerticalAlign = 0;
    Vec2 AlignPoint;
    // DXF group 71: 2 the glyphs mirrored along the baseline (written backward), 4
    // mirrored across it (upside down).
    int Generation = 0;
};

struct WorldPoint {
    Vec2 At;
};

// DXF's SOLID corner order (1, 2, 4, 3 around): kept as read.
struct WorldSolid {
    Vec2 Corners[4];
};

using WorldShape = std::variant<WorldLine, WorldEllipse, WorldSpline, WorldText, WorldPoint, WorldSolid>;

struct WorldEntity {
    std::string Layer = "0";
    int Colour = 256;  // DXF group 62: 256 by layer, 0 by block, 1..255 an index
    WorldShape Shape;
};

struct WorldFigure {
    std::vector<WorldEntity> Entities;
};

}  // namespace tessavue
