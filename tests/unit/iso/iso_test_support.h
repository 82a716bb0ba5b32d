// Helpers shared by the iso tests: small DXF line lists shaped like AutoCAD's
// exports, and a folder of its own for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "iso/figure_stream.h"
#include "temp_folder.h"

namespace tessavue::testing {

// A minimal R12 export: a tables section that holds a layer named ENTITIES (which
// must not be taken for the section) and the given ENTITIES content.
inline DxfLines Export(const DxfLines& entities) {
    DxfLines lines = {"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1", "AC1009", "  0", "ENDSEC",
                      "  0", "SECTION", "  2", "TABLES", "  0", "TABLE",    "  2", "LAYER",  " 70", "1",
                      "  0", "LAYER",   "  2", "ENTITIES", " 70", "0",      " 62", "7",      "  6", "CONTINUOUS",
                      "  0", "ENDTAB",  "  0", "ENDSEC",   "  0", "SECTION", "  2", "ENTITIES", "  0"};
    lines.insert(lines.end(), entities.begin(), entities.end());
    lines.insert(lines.end(), {"ENDSEC", "  0", "EOF"});
    return lines;
}

// Three entities as AutoCAD writes them: kind line first, each closed by the next "  0".
inline DxfLines ThreeEntities() {
    return {"LINE",   "  5", "2A", "  8", "0",   " 10", "1.0", " 20", "2.0", " 30", "0.0", " 11", "3.5",
            " 21",    "-4.0", " 31", "0.0", "  0", "CIRCLE", "  5", "2B", "  8", "壁", " 10", "10.0", " 20",
            "20.0",   " 30", "0.0", " 40", "5.0", "  0", "ARC", "  5", "2C", "  8", "0", " 10", "0.0",
            " 20",    "0.0", " 40", "2.0", " 50", "350.0", " 51", "90.0", "  0"};
}

inline std::size_t IndexOf(const DxfLines& lines, const std::string& line, std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i] == line) return i;
    }
    return lines.size();
}

// The line list as a reader would see it after saving: items holding CR LF become
// several lines.
inline DxfLines Resplit(const DxfLines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return SplitDxfLines(text);
}

// The figure rewrite (RewriteFigure) of a line list: joined with CR LF, rewritten and
// split again. A refused list stays as it was; nothing may have been written then.
inline SectionResult Rewrite(DxfLines& lines, const FigureSteps& steps, const EntityTableRows* table = nullptr) {
    static EntityTableRows none = [] {
        EntityTableRows rows;
        ClearEntityTable(rows);
        return rows;
    }();
    std::string input;
    for (const std::string& line : lines) input += line + "\r\n";
    std::string output;
    StringOutput out(output);
    const SectionResult result = RewriteFigure(input, steps, table ? *table : none, out);
    if (result) {
        lines = SplitDxfLines(output);
    } else {
        EXPECT_EQ(output, "") << "a refused rewrite wrote";
    }
    return result;
}

// The steps of an existing figure turned onto `face` about the base point, raised by
// `height` (none: 0) with the other inputs at the palette's defaults.
inline FigureSteps Turned(int face, double baseX, double baseY, double height = 0, int sign = 1) {
    FigureSteps steps;
    steps.Turn = true;
    steps.BaseX = baseX;
    steps.BaseY = baseY;
    steps.Inputs.FaceCode = face;
    steps.Inputs.HeightSign = sign;
    steps.Inputs.Height = height;
    steps.Inputs.FigureKind = "既存図形";
    return steps;
}

// The same, only moved so that the base point becomes the origin (全て投影).
inline FigureSteps Moved(double baseX, double baseY, double height = 0, int face = 0, int sign = 1) {
    FigureSteps steps = Turned(face, baseX, baseY, height, sign);
    steps.Turn = false;
    return steps;
}

// A folder of its own for each test, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    const std::filesystem::path& Folder() const { return folder_.path(); }

private:
    TempFolder folder_{"tessavue-iso"};
};

}  // namespace tessavue::testing
