// The existing figure (既存図形) finished in the program: the plan's rows turned onto a
// face, their raised copy and the height lines between the two, then inserted and
// exploded as AutoCAD would, so the result is the isometric drawing itself. No host
// here: rows and numbers in, drawing entities out.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "dxf_data/entity_table.h"
#include "iso/affine_map.h"
#include "iso/face_walk.h"
#include "iso/world_figure.h"

namespace tessavue {

struct WorldFigureResult {
    WorldFigure Figure;
    // Rows the insertion could not carry (a zero-size circle, an ellipse with no
    // minor axis): left out, and counted so the caller can say so.
    std::size_t RowsLeftOut = 0;
    // Shapes the map refuses (a text it would mirror or flatten): left out and counted.
    std::size_t ShapesLeftOut = 0;
};

// One plan row (a line, a circle, an arc or an ellipse) under `map`: a line, or an
// ellipse (arc); nullopt for a curve the map leaves with no size.
std::optional<WorldShape> MapRow(const Affine2& map, const EntityRecord& row);

// `rows` are plan rows relative to the base point (as the plan reader gives them),
// `at` the drawing point the base point lands on. Every row gives its entity; with a
// height, its raised copy follows all of them, then the height lines, each foot point
// once per layer, in the order the rows give them.
WorldFigureResult ExistingFigureInWorld(const std::vector<EntityRecord>& rows, const HeightInputs& inputs, Vec2 at);
// The same with `shapes` (texts, splines, points, solids relative to the base point, as
// the plan reader hands them over): each follows the rows at the bottom and, with a
// height, the raised rows in the copy; they give no height lines.
WorldFigureResult ExistingFigureInWorld(const std::vector<EntityRecord>& rows, const std::vector<WorldEntity>& shapes,
                                        const HeightInputs& inputs, Vec2 at);

}  // namespace tessavue
