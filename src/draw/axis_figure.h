// 既存軸 (a turned part about its axis): the figure of a body of revolution, from its
// centre line and the outline of one half, finished on a face. The palette writes the
// same figure into its template and has AutoCAD insert it; here the insertion is done
// on the numbers. No host here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dxf_data/entity_table.h"
#include "iso/faces.h"
#include "iso/figure_generators.h"
#include "iso/world_figure.h"

namespace tessavue {

// Why no figure can be drawn, in the order the palette checks: no centre line, no
// outline, a vertical centre line on a side face, a horizontal one on a top face, and
// an outline with no segment on the axis's positive side (or a centre line neither
// vertical nor horizontal).
enum class AxisFigureFault { None, NoCentreLine, NoOutline, VerticalOnSideFace, HorizontalOnTopFace, Empty };

AxisFigureFault CheckAxisFigure(std::int32_t faceCode, const std::optional<AxisLine>& centre,
                                const std::optional<std::vector<EntityRecord>>& outline);

// The palette's words for a fault ("" for none).
std::string AxisFigureFaultMessage(AxisFigureFault fault);

// The figure on the face, its base (the centre line's point where the body starts)
// landing on `at`: each station's circle an ellipse, each silhouette a line, on `layer`.
// Stations of no size (an outline point on the axis) are left out.
WorldFigure AxisFigureInWorld(const FaceParameters& face, const AxisLine& centre,
                              const std::vector<EntityRecord>& outline, Vec2 at, const std::string& layer);

}  // namespace tessavue
