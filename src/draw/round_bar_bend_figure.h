// What the round-bar bend (丸棒曲げ) is, without AutoCAD: its isometric elliptical
// arcs where they end up in the drawing. The palette types each as one ellipse
// command; tessavue-iso writes them as ellipse arcs of its own drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "iso/world_figure.h"

namespace tessavue {

// One isometric elliptical arc: the ellipse of a circle of radius `Radius` about the
// centre, its major axis (sqrt(1.5) r) along `AxisAngle` degrees and its minor axis
// (sqrt(0.5) r) 90 degrees on, from `StartAngle` to `EndAngle` counter-clockwise, true
// angles from the major axis, as AutoCAD's ellipse command takes them.
struct IsoEllipseArc {
    double CentreX = 0;
    double CentreY = 0;
    double Radius = 0;
    double StartAngle = 0;
    double EndAngle = 0;
    double AxisAngle = 0;
};

// The bend about (px, py): four groups, one quarter of the bend each, of its two
// outline arcs and the two halves of the cross-section at its junction, every piece
// turned by the face's side turn about the picked point.
std::vector<std::vector<IsoEllipseArc>> RoundBarBendArcs(double px, double py, double bendRadius, double barRadius,
                                                         std::int32_t sideTurn);

// The same arc as an ellipse of the drawing: its parameters are the true angles'.
WorldEllipse IsoArcEllipse(const IsoEllipseArc& arc);

}  // namespace tessavue
