// Reading a plan as the user sees it: every line, arc, circle and ellipse of a DXF
// file, however deep it sits inside block references, placed in the world and
// handed over as entity-table rows relative to a base point.
//
// The file is read as group pairs (a code line, then its value line), the way every
// DXF writer lays it out, padded codes or not:
//
//     0            SECTION       the BLOCKS section: each BLOCK has a name (2),
//     2            BLOCKS        a base point (10/20/30) and its entities up to
//     0            BLOCK         ENDBLK
//     2            WHEEL
//    10            12.5
//    20            -3.25
//     0            CIRCLE        ... entities of the block ...
//     0            ENDBLK
//     0            ENDSEC
//     0            SECTION       the ENTITIES section: what the drawing holds;
//     2            ENTITIES      an INSERT places a block (name 2, point 10/20,
//     0            INSERT        scales 41/42, rotation 50, extrusion 210..230,
//     2            WHEEL         array 70/71 with spacing 44/45)
//
// What gives rows: LINE; CIRCLE and ARC; ELLIPSE; LWPOLYLINE and the R12 POLYLINE with
// its VERTEX entities, as their straight and their bulged segments; and through
// INSERT the same inside blocks. Dimensions and hatches give none, nor does anything
// on a layer that is off or frozen. Texts, splines, points and solids give no row
// either: a caller that asks for them gets them as shapes, placed in the world.
//
// A circle or an arc stays a circle or an arc row while its placement keeps it round
// (turns, even scales, mirrors: a mirror reverses it, and the row is turned back to
// run counter-clockwise); any other placement makes it an ellipse row. Ellipses stay
// ellipse rows. Every placement is the full affine map of the references above it,
// so a turned reference inside an unevenly scaled one comes out sheared, as AutoCAD
// draws it.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>

#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "host/palette.h"
#include "iso/world_figure.h"

namespace tessavue {

// Blocks nest a handful of levels in real drawings. A reference chain deeper than this
// comes from a damaged or hostile file; the bound keeps the walk's recursion far from
// the end of the stack (Windows gives the palette's thread 1 MB).
inline constexpr int kDeepestBlockNesting = 64;

// Every entity placed costs a little work, also one that gives no row (hidden, or an
// empty block in a huge array, or blocks that each hold ten references to the next).
// Two million placements take well under a second; a file that asks for more is cut
// short as a too-large selection is.
inline constexpr long long kMostPlacements = 2'000'000;

// Called with each row, in the order the file draws them; returns false to stop.
using PlanRowSink = std::function<bool(const EntityRecord&)>;

enum class PlanWalkEnd {
    Whole,       // every entity was seen
    Stopped,     // the sink asked to stop
    TooMuchWork  // kMostPlacements ran out
};

// Called with each visible TEXT, SPLINE, POINT, SOLID and TRACE (at any block depth),
// already placed by the references above it and relative to the base point; returns
// false to stop. A text keeps its alignment: when 72/73 are not 0/0 AutoCAD places it
// from the alignment point (11/21), so that point is carried and placed too.
using PlanShapeSink = std::function<bool(const WorldEntity&)>;

// Shapes seen but not handed over.
struct PlanShapesLeftOut {
    std::size_t Tilted = 0;    // in a plane that is not the plan's (extrusion not 0,0,+-1)
    std::size_t Mirrored = 0;  // a text its placement mirrors: no upright text reads so
    // A spline whose knots, weights or points do not agree; a text holding a control
    // character, or of no size (no height, or a placement that flattens it).
    std::size_t Damaged = 0;
};

// Walks the plan in `lines` (the file at `path`, named in errors) and hands each row,
// relative to (baseX, baseY), to `sink`. Raises DxfReadError when the file has no
// ENTITIES section or is not laid out in group pairs, and ConvertError when a value
// the rows need is no number; rows handed over before stay handed over.
PlanWalkEnd WalkPlan(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                     const PlanRowSink& sink);
// The same, and the shapes to `shapes` (rows and shapes in the file's order); what is
// left out of them is counted into `leftOut`.
PlanWalkEnd WalkPlan(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                     const PlanRowSink& sink, const PlanShapeSink& shapes, PlanShapesLeftOut& leftOut);

// Appends the plan's rows to `table` after its filled rows. When the table cannot
// take another row (or the work bound runs out) the read stops and the table-full
// message is shown once. Errors as WalkPlan; rows stored before an error stay.
void ReadPlanEntities(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                      MessageSink& messages, EntityTableRows& table);
// The same for a file; raises DxfReadError when it cannot be read.
void ReadPlanEntities(const std::filesystem::path& path, double baseX, double baseY, MessageSink& messages,
                      EntityTableRows& table = EntityTable());

}  // namespace tessavue
