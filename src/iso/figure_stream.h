// The figure file's rewrite over the work file's bytes: its ENTITIES section turned
// (or moved) into the pre-insertion frame of the face, raised once by the height and
// joined by height lines; everything else passes through line by line. Lines end at
// CR LF, a lone LF or a lone CR in the input and at CR LF in the output.
//
// The input is one buffer of bytes, read without a copy of its lines. One pass over
// its group code and value pairs does the number check, finds the section's bounds
// and turns (or moves) the section, writing the file up to the section's end into
// blocks of text; a header that only a line by line search finds (between pairs, or
// past the end mark) costs a second pass. Every refusal is known then, and only then
// does a byte go to the output: those blocks, the raised copy read back from them,
// the height lines and the rest of the input. A refused rewrite writes nothing at all.
// Peak memory: the input, the text up to the section's end (about the input again,
// numbers grown to fifteen digits) and a quarter megabyte of output buffer.
#pragma once

#include <string>
#include <string_view>

#include "dxf_data/entity_table.h"
#include "iso/dxf_writer.h"
#include "iso/face_walk.h"

namespace tessavue {

// What the rewrite does to the section.
struct FigureSteps {
    bool Turn = false;  // turn the plan about the base point by the face angle; else only move it
    double BaseX = 0;   // the point that becomes the origin
    double BaseY = 0;
    HeightInputs Inputs;  // face, height, kind and the height-line marks
};

// Where the figure file's bytes go, in pieces of any size. False when a piece could
// not be written; the rewrite then stops, Unwritable.
class FigureOutput {
public:
    virtual ~FigureOutput() = default;
    virtual bool Write(std::string_view bytes) = 0;
};

// Output into a string (tests, the fuzz target).
class StringOutput : public FigureOutput {
public:
    explicit StringOutput(std::string& text) : text_(text) {}
    bool Write(std::string_view bytes) override {
        text_.append(bytes);
        return true;
    }

private:
    std::string& text_;
};

// The rewrite of `input` (a work file's bytes) into `output`. The refusals, their
// order and their details: the number check of the whole file (CheckNumberGroups:
// BadGroupCode, BadValue), the section's layout (FindEntitiesSection: NoEntities,
// BadGroupCode, NoEntityStart, NotClosed), the turn or move (LoneX, LoneY,
// BadCoordinate, OutOfRange naming the original value), the raised copy
// (HeightOutOfRange naming the height, OutOfRange naming the turned Y), the height
// lines (OutOfRange naming the foot point's larger coordinate, HeightOutOfRange).
// Nothing is written to `output` on any of them.
SectionResult RewriteFigure(std::string_view input, const FigureSteps& steps, const EntityTableRows& table,
                            FigureOutput& output);

}  // namespace tessavue
