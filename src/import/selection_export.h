// Having AutoCAD write the previous selection set to a DXF file with dxfout, and the
// two small edits made around such an export.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "dxf_data/dxf_lines.h"
#include "host/host_link.h"

namespace tessavue {

// The answers typed after the file name, in order: objects (the previous set), the
// version ("r12" when `version` is empty) and 16 decimal places, which writes the file.
std::array<std::string, 3> ExportAnswers(const std::string& version);
// What starts the export: the command and the path, ended by a carriage return so a
// path with blanks is taken whole.
std::string ExportStartCommand(const std::string& pathText);

// The part of dxfout's accuracy prompt that every one of its three askings shows.
inline constexpr const char* kAccuracyPromptMark = "精度として";

// Has AutoCAD write its previous selection set to the file whose full path is
// `pathText`, the path as Shift-JIS text (only the platform layer knows how a
// wide path converts, so the caller passes the text AutoCAD is to receive). FILEDIA
// must be 0 and no file may exist there. Each answer waits for one sighting of the accuracy prompt;
// the routine then waits for the idle prompt, so the file is complete when it returns
// true. False when a wait was abandoned (AutoCAD gone, the palette closing) or a part
// of the command could not be typed. `started` (when given) tells whether dxfout was
// typed at all: AutoCAD then records it as an undo step, finished or cancelled.
bool ExportSelectionDxf(HostLink& link, const std::string& pathText, const std::string& version,
                        bool* started = nullptr);

// True when the file exists and a line after its ENTITIES line contains "POLYLINE"
// or "INSERT". Raises DxfReadError when it exists but cannot be read or has no
// ENTITIES line.
bool SelectionNeedsExplode(const std::filesystem::path& path);
// The same test on the file's lines; `path` names the file in the error.
bool SelectionNeedsExplode(const DxfLines& lines, const std::filesystem::path& path);

// Deletes the variable $HANDSEED from the HEADER section: its pair (9, $HANDSEED) and
// its value pairs ((5, handle) in every export), walked as group code and value pairs
// inside HEADER and nowhere else. True when the lines changed; a list without the
// variable, or whose HEADER has no end, is left as it was.
bool RemoveHandseedLines(DxfLines& lines);

// RemoveHandseedLines on a file: a file it does not change keeps its bytes. False only
// when the file cannot be read or written back.
bool RemoveHandseed(const std::filesystem::path& path);

}  // namespace tessavue
