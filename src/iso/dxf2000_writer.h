// Writing a finished figure as a DXF 2000 (AC1015) file of its own: header, tables,
// blocks, entities and objects, everything a reader needs, so that the figure opens
// without AutoCAD having written any part of the file.
//
// Texts and layer names are written as the bytes given (Shift-JIS from Japanese
// plans); the code page named in the header tells readers so. Lines end in CR LF and
// group codes are right-aligned in three characters, as AutoCAD writes them. Every
// number reads back as the same double.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "dxf_data/dxf_lines.h"
#include "iso/world_figure.h"

namespace tessavue {

struct Dxf2000Options {
    std::string CodePage = "ANSI_932";  // $DWGCODEPAGE
    // Layers declared even when no entity uses them; "0" and every layer an entity
    // uses are declared anyway.
    std::vector<std::string> Layers;
};

// Why `figure` (with `options`) cannot be written, in one line; "" when it can. Refused:
// a NaN or infinite number, an ellipse with a zero major axis or a ratio outside
// (0, 1], a spline whose counts do not agree (knots = control points + degree + 1,
// one weight per control point), a colour outside 0..256, a layer or style name that
// is empty or holds a character AutoCAD forbids in names, and a text, layer or code
// page holding a line break or another control character.
std::string Dxf2000Fault(const WorldFigure& figure, const Dxf2000Options& options);

// A layer or style name every reader takes: each character AutoCAD refuses in names
// (and a lead byte without its trail) becomes "_", an empty name "0". A good name
// stays as it is.
std::string UsableName(const std::string& name);

// The whole file's text; "" when Dxf2000Fault finds a fault.
std::string Dxf2000Text(const WorldFigure& figure, const Dxf2000Options& options);

// `figure` put into the model space of `drawing` (the lines of a DXF 2000 or later
// file, as read): its entity records go in before the ENTITIES section's end, with
// handles above every handle the drawing gives out, owned by its model space record,
// and $HANDSEED moves past them; nothing else changes. The whole file's text, lines
// ending in CR LF; "" with `error` saying why when the figure has a fault or the drawing
// cannot take it (older than DXF 2000, group codes that are no numbers, no model space
// record, no closed ENTITIES section).
std::string Dxf2000BesideText(const DxfLines& drawing, const WorldFigure& figure, std::string& error);

// Writes the file under a temporary name beside `path`, then removes an existing
// `path` and renames the new file into place. On failure nothing new is left behind
// (an existing file is kept unless the last rename itself fails), `error` holds a
// one-line reason, and the result is false.
bool WriteDxf2000File(const std::filesystem::path& path, const WorldFigure& figure, const Dxf2000Options& options,
                      std::string& error);

}  // namespace tessavue
