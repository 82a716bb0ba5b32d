// Reading lines, circles and arcs out of DXF files that AutoCAD's dxfout wrote: the
// entity reader that fills the EntityTable, and the offset reader that collects the
// points the offset joins to their copies. Plain functions of the file's lines: the
// typing of the connecting lines into AutoCAD lives in import/offset_connectors.h,
// so the readers link without the host link.
#pragma once

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "host/palette.h"
#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "iso/world_figure.h"

namespace tessavue {

// A DXF file the readers cannot use: it cannot be read, or it has no ENTITIES line.
// It ends the running command and the handler boundary shows its text.
class DxfReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text shown when the table cannot take another entity.
std::string TableFullMessage();

// The file's name as messages about it show it: its ASCII file name, or a stand-in
// when the name holds other characters.
std::string FileNameForMessage(const std::filesystem::path& path);

// Index of the first line containing "ENTITIES"; raises DxfReadError naming `path`
// when there is none. Everything before that line (the header, the tables, the
// block definitions) is never looked at.
std::size_t EntitiesStart(const DxfLines& lines, const std::filesystem::path& path);
// The file's lines; raises DxfReadError when it cannot be read.
DxfLines LoadDxfLinesOrRaise(const std::filesystem::path& path);

// Appends the LINE, CIRCLE and ARC entities after the ENTITIES line to `table`, after
// its filled rows, each point taken relative to (baseX, baseY). A full table stops the
// read and shows the table-full message once. Raises DxfReadError (no such file, no
// ENTITIES line) and ConvertError (a coordinate that is no number); rows stored
// before stay.
void ReadDxfEntities(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                     MessageSink& messages, EntityTableRows& table);
void ReadDxfEntities(const std::filesystem::path& path, double baseX, double baseY, MessageSink& messages,
                     EntityTableRows& table = EntityTable());

// The distinct points of the offset reader, in the order first met, once per point
// and layer, as many as the file has.
struct VertexSet {
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<std::string> Layer;
    std::size_t Count() const { return X.size(); }
    // The triples above, for finding one without walking them all; AddVertexOnce
    // keeps the two in step.
    std::set<std::tuple<double, double, std::string>> Index;
};

// Adds (x, y, layer) unless the same triple (exact equality of both numbers and of
// the layer text) is there; true when it was added.
bool AddVertexOnce(VertexSet& set, double x, double y, const std::string& layer);

// The end points of the LINE entities and the vertices of the LWPOLYLINE entities
// between the ENTITIES line and the next ENDSEC, once per point and layer.
VertexSet CollectOffsetVertices(const DxfLines& lines, const std::filesystem::path& path);

// The points of `row` (a circle, arc or ellipse row) where its outline runs along
// `degrees`: two on a whole curve, on an arc those it passes through.
std::vector<Vec2> OffsetTangentPoints(const EntityRecord& row, double degrees);

// The points of the offset file's circles, arcs and ellipses (inside blocks too)
// where their outline runs parallel to the direction `degrees`: two on a whole curve,
// on an arc those it passes through. In the file's order, coordinates as read.
VertexSet CollectOffsetTangents(const DxfLines& lines, const std::filesystem::path& path, double degrees);

}  // namespace tessavue
