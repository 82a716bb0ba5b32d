// The figures typed in as numbers: a circle, a rectangle and a hexagon about the
// origin, each returned as figure text (LINE and CIRCLE records) in the pre-insertion
// frame of the face, and written into the entity table as plan rows, from which the
// height lines are later drawn exactly as for a selected figure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dxf_data/entity_table.h"

namespace tessavue {

// One CIRCLE of radius r at the origin (a circle about the origin needs no turn), and
// row 0 of Kind 1. The rows after the figure are left as they are: the caller has
// emptied the table.
std::string CircleFigureText(const std::string& layer, double r, EntityTableRows& table);

// The rectangle xSide wide (plan X) and ySide high (plan Y) about the origin, as four
// lines from the top edge clockwise; rows 0 to 3 of Kind 0.
std::string SquareFigureText(const std::string& layer, std::int32_t faceCode, std::int32_t heightSign, double ySide,
                             double xSide, EntityTableRows& table);

// The hexagon `s` across its flats about the origin: with g 0 ("縦") two edges are
// vertical at X = -s/2 and s/2, with g 30 ("横") two are horizontal. Rows 0 to 5,
// each edge ending exactly where the next begins (the last on the first corner).
std::string HexagonFigureText(const std::string& layer, std::int32_t faceCode, std::int32_t heightSign, double s,
                              double g, EntityTableRows& table);

// The centre line of a turned part, as listed: exactly vertical (X1 = X2) or exactly
// horizontal (Y1 = Y2).
struct AxisLine {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

// The body of revolution about `centre` from the line rows of `outline` (rows of
// another kind are passed over; the first empty row ends it): each distinct end point
// of a segment wholly on the axis's positive side (right of a vertical axis, above a
// horizontal one) becomes the circle of the body there, each segment parallel to the
// axis its two silhouette lines. Distances along the axis are stretched by sqrt(2), which the
// insertion's scales take back; a vertical axis hangs from the outline's top, a
// horizontal one runs from its end toward the face (largest X for face 2, smallest
// for 3). Empty when no segment qualifies.
std::string AxisFigureText(const std::string& layer, std::int32_t faceCode, const AxisLine& centre,
                           const EntityTableRows& outline);
// The same figure as rows in the figure's frame (circles: centre X1, Y1 and radius X2;
// lines), on layer "0", from `count` outline rows.
std::vector<EntityRecord> AxisFigureRows(std::int32_t faceCode, const AxisLine& centre, const EntityRecord* outline,
                                         std::size_t count);

}  // namespace tessavue
