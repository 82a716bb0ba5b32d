// The stand-in's own DXF writing (what its dxfout produces, R12 or 2000) and reading
// (a starting drawing). This code shares nothing with the palette's readers, so a
// fault in one cannot hide the same fault in the other.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "drawing.h"

namespace tessavue::sim {

enum class DxfVersion { R12, R2000 };

// A whole DXF file, Shift-JIS text with CR LF line ends: header ($ACADVER, $HANDSEED,
// $LUNITS, $LUPREC, and for 2000 $DIMDEC, ...), tables (LTYPE, LAYER with every layer of the drawing, STYLE, and for 2000 the
// rest AutoCAD writes), BLOCKS with every block definition, ENTITIES holding the entities `ids` names (all when
// `ids` is nullopt) in drawing order, and for 2000 OBJECTS. Coordinates get `decimals`
// places (0 to 16), as dxfout's accuracy answer asks.
// R12 has no lightweight polyline or ellipse: a polyline becomes POLYLINE / VERTEX /
// SEQEND, an ellipse a closed or open POLYLINE through points on it.
std::string WriteDxf(const Drawing& drawing, const std::optional<std::vector<int>>& ids, DxfVersion version,
                     int decimals = 16);

// How many entities the ENTITIES section of WriteDxf holds for those ids.
std::size_t DxfEntityCount(const Drawing& drawing, const std::optional<std::vector<int>>& ids);

struct DxfDrawing {
    // The header's unit settings ($LUNITS, $LUPREC, $DIMDEC) when the file has them.
    std::optional<int> linearUnits;
    std::optional<int> unitPrecision;
    std::optional<int> dimensionDecimals;
    std::vector<Layer> layers;  // with their states: off (a negative colour), frozen (flag 1)
    std::vector<Entity> entities;  // ids not set
    std::vector<Block> blocks;     // the drawing's own; a 2000 file's layouts left out
};

// The layers (LAYER table), the block definitions and the LINE, CIRCLE, ARC, ELLIPSE,
// TEXT, SOLID, INSERT, LWPOLYLINE and POLYLINE entities of a DXF file of either version;
// other entities are skipped.
// nullopt, with the reason in `error`, when the text is no DXF (odd pair layout, a
// number that does not read, no EOF).
std::optional<DxfDrawing> ReadDxf(const std::string& text, std::string* error = nullptr);

// Replaces the drawing's layers and entities by the file's, and takes the unit
// settings the file has (a value out of range keeps the drawing's).
void LoadDxfInto(Drawing& drawing, const DxfDrawing& file);
// Starts the drawing from a DXF file; false, with the reason, when it cannot be read.
bool LoadDxfFile(Drawing& drawing, const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace tessavue::sim
