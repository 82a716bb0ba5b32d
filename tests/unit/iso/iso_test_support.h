// Helpers shared by the iso tests: small DXF line lists shaped like AutoCAD's
// exports, and a folder of its own for each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dxf_data/dxf_lines.h"
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

// A folder of its own for each test, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    const std::filesystem::path& Folder() const { return folder_.path(); }

private:
    TempFolder folder_{"tessavue-iso"};
};

}  // namespace tessavue::testing
