// A DXF file as the program handles it: an ordered list of text lines. Lines end at
// CR LF, a lone LF or a lone CR; the line ends are not part of the lines and nothing
// else is changed (blanks and bytes stay as they are). Every DXF routine reads and
// writes files through these two calls.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessavue {

using DxfLines = std::vector<std::string>;

// The lines of `text`; an empty final piece (after the last line end) is not a line.
DxfLines SplitDxfLines(const std::string& text);
// The file's lines; nullopt when it cannot be read.
std::optional<DxfLines> LoadDxfLines(const std::filesystem::path& path);
// Writes the lines each ended by CR LF, through a temporary file in the same folder
// that then replaces `path`, so a reader never sees half a file. False on failure
// (the old file, if any, is then untouched).
bool SaveDxfLines(const std::filesystem::path& path, const DxfLines& lines);

// Group code lines as AutoCAD's export writes them, right-aligned in three characters:
// a point's X (" 10" to " 13") and Y (" 20" to " 23"). Checked by hand, not by string
// comparison: the figure rewrite asks this of every line of large exports.
inline bool IsXCodeLine(const std::string& line) {
    return line.size() == 3 && line[0] == ' ' && line[1] == '1' && line[2] >= '0' && line[2] <= '3';
}
inline bool IsYCodeLine(const std::string& line) {
    return line.size() == 3 && line[0] == ' ' && line[1] == '2' && line[2] >= '0' && line[2] <= '3';
}

// Whether `line` is the group code `code` ("0", "8", ...), blanks around it allowed.
bool IsGroupCode(const std::string& line, const char* code);

// Whether line `i` is the value `kind` of a "  0" group: an entity (or section mark)
// of that kind starts there. A layer, a text or a block named like a kind sits
// behind another group code and is no kind.
bool IsKindAt(const DxfLines& lines, std::size_t i, const char* kind);

// Whether the entity whose kind stands at line `kindLine` has its extrusion pointing
// down (group 230 below 0), as MIRROR leaves circles and arcs. Its points and angles
// are then in object coordinates, whose X runs against the world's (Y is shared):
// world x = -object x, world angle = 180 - object angle. Walks the entity's group
// pairs up to the next "  0".
bool ExtrudedDown(const DxfLines& lines, std::size_t kindLine);

// Index of the line naming section `name`: the "  0" SECTION "  2" <name> header, group
// codes compared without their blanks. nullopt when the file has no such header. A
// layer, block or style whose name holds the section's name is not taken for it.
std::optional<std::size_t> FindSectionName(const DxfLines& lines, const std::string& name);

}  // namespace tessavue
