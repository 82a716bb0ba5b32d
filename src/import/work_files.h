// The files the palette keeps beside itself: its settings file and the DXF working
// files of the selection and the figure commands, all named from the program's path.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tessavue {

// Files named after the program or kept in its folder. Paths come from the wide
// program path, so a folder with a Japanese name works on any Windows.
struct ProgramFiles {
    std::filesystem::path program;
    std::filesystem::path directory;
    // The program's file name (name and extension) as Shift-JIS text, for the
    // version box. The platform converts it: only it knows the path's encoding.
    std::string programFileName;
    std::filesystem::path settings;         // program path with ".ini"
    std::filesystem::path selection;        // program path with ".dxf"
    std::filesystem::path turnedLeft;       // l_45.dxf
    std::filesystem::path turnedRight;      // r_45.dxf
    std::filesystem::path exploded;         // explode.dxf: the selection once more, whole and unexploded
    std::filesystem::path figureTemplate;   // elem.dxf
    std::filesystem::path offset;           // ofst.dxf
    std::filesystem::path readme;           // readme.txt

    // The DXF working files, deleted at start-up and at close so that no run picks
    // up another run's exports (AutoCAD would ask before writing over one).
    std::vector<std::filesystem::path> WorkingDxfFiles() const;
};

// Derives every name from the program's full path. `programFileName` is the
// Shift-JIS form of the path's file name.
ProgramFiles DeriveProgramFiles(const std::filesystem::path& program, std::string programFileName);

// Deletes the DXF working files; a missing file, or one that cannot be deleted, is
// left as it is: the next export overwrites it.
void DeleteWorkingDxfFiles(const ProgramFiles& files);

}  // namespace tessavue
