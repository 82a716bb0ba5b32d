// What the figure rewrite (iso/figure_stream.h) reads from the palette, and the
// height lines that join a figure's bottom and its raised copy.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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

// The foot points of the height lines: line ends, and for circles, arcs and ellipses
// the two points where the turned outline runs parallel to the height, each only
// where an arc passes.
void CollectHeightLinePoints(const EntityTableRows& table, const HeightInputs& inputs, HeightLinePoints& points);
// The same for one row, each foot handed to `foot` (possibly twice the same point).
void ForEachHeightLineFoot(const EntityRecord& row, const HeightInputs& inputs,
                           const std::function<void(double, double)>& foot);

// The LINE records of the height lines into `text`. Refused, with `text` left
// incomplete, when a record's numbers leave the doubles' range: a foot point whose
// turn does (OutOfRange, named by its larger coordinate), or a top whose lift does
// (HeightOutOfRange, named by the height). Numbers beyond the range would be written
// as "INF", which no reader takes.
SectionResult HeightLineRecords(const EntityTableRows& table, const HeightInputs& inputs, std::string& text);

// The LINE records from each foot point to its raised image ("" when there are none,
// the inputs ask for no height lines, or a record would leave the doubles' range).
std::string HeightLineText(const EntityTableRows& table, const HeightInputs& inputs);

}  // namespace tessavue
