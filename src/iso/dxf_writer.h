// Writing DXF: the two records new entities are written as, the ENTITIES section of
// a file AutoCAD exported, the template fill that splices figure text into it, and the
// names of the figure file and its block.
//
// A written file always starts as AutoCAD's own export, so its header, tables and
// blocks pass through untouched; only the ENTITIES section is rewritten. Figure text
// is concatenated records, each line ending in CR LF; it may be empty.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "dxf_data/dxf_lines.h"

namespace tessavue {

// The twelve-line LINE record, ending in CR LF; numbers as number text, the layer as given.
std::string LineRecord(const std::string& layer, double startX, double startY, double endX, double endY);
// The ten-line CIRCLE record, ending in CR LF.
std::string CircleRecord(const std::string& layer, double centreX, double centreY, double radius);

// Why a line list was not rewritten. A list that is refused is left exactly as it was.
enum class SectionFault {
    None,
    NoEntities,     // no ENTITIES section
    NotClosed,      // no "  0" "ENDSEC" pair after it
    BadCoordinate,  // a coordinate value that is no number
    LoneY,          // a Y coordinate without the X that must come right before it
    LoneX,          // an X coordinate without the Y that must come right after it
    BadValue,       // a number group whose value no DXF reader takes (1e999 as a colour)
    BadGroupCode,   // a group code line that is no number: the pairs are lost from there on
    NoEntityStart,  // a pair other than a comment before the section's first "  0"
    OutOfRange,     // a coordinate the rewrite would carry beyond the largest double
    HeightOutOfRange,  // a height whose lift along the frame leaves the doubles' range
    Unreadable,     // the file could not be read
    Unwritable,     // the file could not be saved
};

struct SectionResult {
    SectionFault Fault = SectionFault::None;
    std::string Detail;  // the offending line: a value (for LoneX the X's), or the code line of a BadGroupCode;
                         // for HeightOutOfRange the height's number text
    std::string Code = {};  // the group code of a BadValue or a NoEntityStart
    explicit operator bool() const { return Fault == SectionFault::None; }
};

// The text shown to the user for a refused rewrite ("" for none).
std::string SectionFaultMessage(const SectionResult& result);

// Where the ENTITIES section lies: `Entities` is the index of the line "ENTITIES"
// (the name of a "  0" "SECTION" "  2" group, so a layer or block named ENTITIES in
// the tables does not count), `Endsec` the index of the line "ENDSEC" of the first
// "  0" "ENDSEC" pair after it, found by walking group code and value pairs (so a
// text that reads "ENDSEC" does not count). `First` is the "  0" that opens the first
// entity (or the end): only comments (999) may come before it. Line Endsec - 1 is the
// "  0" that opens the end.
//
// The section's layout is checked here, before any step changes a line: every code
// line between its bounds is a group code, and the section opens with an entity. A
// step that walks the section from `First` by pairs can then take every "  0" for the
// start of an entity and every kind line for a name AutoCAD wrote.
struct EntitiesSection {
    std::size_t Entities = 0;
    std::size_t First = 0;
    std::size_t Endsec = 0;
};
SectionResult FindEntitiesSection(const DxfLines& lines, EntitiesSection& section);

// Every number group of the file (integers and reals, by the group code's type in
// the DXF reference) must hold a value every DXF reader takes: an integer in range, a
// finite real. A file with one that does not is refused: copied into the figure
// file it would make a file AutoCAD is asked to insert and cannot read. Walks the
// file as group code and value pairs from its first line up to its "  0" "EOF"; a
// code line that is no number (a blank line, a lost line) loses the pairs from there
// on, and the file is refused for it rather than left half checked.
SectionResult CheckNumberGroups(const DxfLines& lines);

// The pieces of that check, for readers of a file's bytes: the number of a group code
// line (blanks around it, one '+' at most; false when it is none), whether a group's
// value is one every reader takes (any value for a code that holds no number), and
// whether a pair is the end mark "  0" "EOF".
bool ReadGroupCode(std::string_view line, int& code);
bool GroupValueIsValid(int code, std::string_view value);
bool IsEndMark(int code, std::string_view value);

// Splice 1: empties the section and puts `figureText` there (nothing when it is
// empty). The section then reads "ENTITIES", the figure text, "  0", "ENDSEC".
SectionResult ReplaceSectionEntities(DxfLines& lines, const std::string& figureText);

// Splice 1 on the figure template file: loads it, rewrites its section and saves it
// back. On any failure the file is left as it was and the result says why (the
// caller tells the user, with SectionFaultMessage); a figure text with a number
// group no reader takes ("-INF") is refused as CheckNumberGroups names it.
SectionResult FillFigureTemplate(const std::filesystem::path& templateFile, const std::string& figureText);

// --- Figure file and block name ---------------------------------------------

struct LocalTime {
    int Year = 0;
    int Month = 0;   // 1..12
    int Day = 0;     // 1..31
    int Hour = 0;    // 0..23
    int Minute = 0;
    int Second = 0;
};

// The clock the names are made from; tests pass a fixed one.
using LocalClock = std::function<LocalTime()>;
LocalTime CurrentLocalTime();

// "yyyymmddhhnnss"
std::string DateTimeStamp(const LocalTime& time);
// "ip" + stamp: the name AutoCAD gives the inserted block, and the one the purge uses.
std::string FigureBlockName(const LocalTime& time);
// The figure file: the block name with ".dxf" in the program's folder. Two draw
// commands in the same second share it; the later save replaces the earlier file.
std::filesystem::path FigureFilePath(const std::filesystem::path& programFolder, const LocalTime& time);

}  // namespace tessavue
