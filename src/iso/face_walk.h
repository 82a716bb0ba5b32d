// The rewriting of an exported plan's ENTITIES section into the pre-insertion frame
// of a face: the turn (or plain move) about the base point, the raised copy and the
// height lines that join bottom and top. Each step either rewrites the list
// completely or, on a damaged file, leaves it exactly as it was and says why.
#pragma once

#include <cstdint>
#include <string>

#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "iso/dxf_writer.h"
#include "iso/projection.h"

namespace tessavue {

// What the height steps read from the palette, once per draw command.
struct HeightInputs {
    std::int32_t FaceCode = 0;
    std::int32_t HeightSign = 1;  // -1 while "高さ符号反転" is checked
    double Height = 0;            // H; 0 means no height
    std::string FigureKind;       // the figure-kind selector's text
    bool HeightLines = true;      // the "高さ" check box
    bool CircleHeightLines = true;  // "円、円弧の高さの線"
};

// Whether the figure gets a raised copy at all: a height, and a kind that has a body
// (text and dimensions stay flat).
bool MakesRaisedCopy(const HeightInputs& inputs);

// Turns every point (groups 10..13 with 20..23) about the base point by the face
// angle, leaving it relative to the base point; arcs also get the face angle added to
// their start and end angles (not reduced to 0..360).
SectionResult TurnEntitiesToFace(DxfLines& lines, std::int32_t faceCode, double baseX, double baseY);

// Moves every point so that the base point becomes the origin. Both steps take a
// point as an X pair right before its Y pair and refuse a point split apart (LoneX,
// LoneY), the list left as it was.
SectionResult MoveEntitiesToBase(DxfLines& lines, double baseX, double baseY);

// Appends the section's entities once more, raised by the height along the frame's
// Y axis (nothing when MakesRaisedCopy is false). A height whose lift is no finite
// number refuses the list with HeightOutOfRange, the list left as it was.
SectionResult CopyEntitiesToHeight(DxfLines& lines, const HeightInputs& inputs);

// The foot points of the height lines: line ends, and for circles, arcs and ellipses
// the two points where the turned outline runs parallel to the height, each only
// where an arc passes.
void CollectHeightLinePoints(const EntityTableRows& table, const HeightInputs& inputs, HeightLinePoints& points);

// The LINE records of the height lines into `text`. Refused, with `text` left
// incomplete, when a record's numbers leave the doubles' range: a foot point whose
// turn does (OutOfRange, named by its larger coordinate), or a top whose lift does
// (HeightOutOfRange, named by the height). Numbers beyond the range would be written
// as "INF", which no reader takes.
SectionResult HeightLineRecords(const EntityTableRows& table, const HeightInputs& inputs, std::string& text);

// The LINE records from each foot point to its raised image ("" when there are none,
// the inputs ask for no height lines, or a record would leave the doubles' range).
std::string HeightLineText(const EntityTableRows& table, const HeightInputs& inputs);

// Puts HeightLineText at the end of the section, after the raised copy. A record
// whose numbers would leave the doubles' range refuses the list, left as it was:
// OutOfRange naming the foot point's larger coordinate, or HeightOutOfRange naming
// the height whose lift does.
SectionResult AddHeightLines(DxfLines& lines, const EntityTableRows& table, const HeightInputs& inputs);

}  // namespace tessavue
