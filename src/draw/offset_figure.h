// The offset (オフセット) without AutoCAD: objects already drawn in the isometric
// drawing, copied `sign * height` along the face's depth, and with 高さ each corner
// joined to its copy. The input is already isometric, so nothing is projected: every
// point simply moves by the one step. No host here: objects and numbers in, drawing
// entities out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "iso/world_figure.h"

namespace tessavue {

struct OffsetInputs {
    std::int32_t FaceCode = 0;
    std::int32_t Sign = 1;           // -1 while the height sign is inverted
    double Height = 10;              // never 0: the palette refuses it
    bool HeightLines = true;         // 高さ: join the corners
    bool CircleHeightLines = false;  // 円、円弧の高さの線: join the curves too (with 高さ only)
};

// A point the palette joins to its copy: an end point of a LINE or a vertex of an
// LWPOLYLINE, in drawing coordinates, on the object's own layer.
struct OffsetCorner {
    Vec2 At;
    std::string Layer;
};

// The selected objects: rows and shapes as the plan reader hands them over with the
// base point at the origin (so in drawing coordinates), and the corners in the order
// the file gives them.
struct OffsetObjects {
    std::vector<EntityRecord> Rows;
    std::vector<WorldEntity> Shapes;
    std::vector<OffsetCorner> Corners;
};

struct OffsetFigureResult {
    WorldFigure Figure;
    std::size_t RowsLeftOut = 0;  // curves of no size: no copy of them can be written
};

// The step of the copy: `Sign * Height` along the face's offset direction (the polar
// angle the palette types, 90, 210 or 330 degrees); nullopt for a face code outside
// 0..3.
std::optional<Vec2> OffsetStep(const OffsetInputs& inputs);

// What the offset adds to the drawing: first the copy of every row and shape, in
// their order; then, with 高さ, a line of the step's length from each distinct corner
// (once per point and layer) to its copy, on the corner's layer; and with
// 円、円弧の高さの線 as well, from each point of a circle, arc or ellipse row where its
// outline runs along the offset direction (a whole curve's two, an arc's where it
// passes), unless that point and layer are joined already. With `keepOriginals` the
// objects themselves come first, unmoved. Nothing for a face code outside 0..3.
OffsetFigureResult OffsetFigure(const OffsetObjects& objects, const OffsetInputs& inputs, bool keepOriginals = false);


// ---- Selecting in a drawing file, as the palette's selection and export do --------

// Whether an object is selected, from all it draws (rows and shapes in drawing
// coordinates). An object that draws nothing (on a layer off or frozen, or of a kind
// the reader does not give) is never asked about, and not selected.
using OffsetObjectPick =
    std::function<bool(const std::vector<EntityRecord>& rows, const std::vector<WorldEntity>& shapes)>;

struct OffsetSelection {
    // The drawing with only the selected objects in its entities section, every group
    // code right-aligned in three characters: the file the palette's export writes.
    DxfLines Lines;
    OffsetObjects Objects;
    std::size_t Visible = 0;       // objects that draw anything the reader gives
    std::size_t Selected = 0;      // of them, those picked
    bool TooMuchWork = false;      // the reader's bound ran out: nothing is selected
    std::size_t ShapesTilted = 0;  // seen in the selected objects but not handed over
    std::size_t ShapesMirrored = 0;
    std::size_t ShapesDamaged = 0;
};

// The objects of the drawing in `lines` (the file `path`, named in errors) that `pick`
// selects, each object whole: a reference with everything it places, a polyline with
// all its segments. Raises as the plan reader does (DxfReadError, ConvertError).
OffsetSelection SelectOffsetObjects(const DxfLines& lines, const std::filesystem::path& path,
                                    const OffsetObjectPick& pick);

}  // namespace tessavue
