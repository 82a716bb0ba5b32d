#include "import/work_files.h"

#include <system_error>

namespace tessavue {

std::vector<std::filesystem::path> ProgramFiles::WorkingDxfFiles() const {
    return {selection, turnedLeft, turnedRight, exploded, figureTemplate, offset};
}

ProgramFiles DeriveProgramFiles(const std::filesystem::path& program, std::string programFileName) {
    ProgramFiles files;
    files.program = program;
    files.directory = program.parent_path();
    files.programFileName = std::move(programFileName);
    files.settings = std::filesystem::path(program).replace_extension(".ini");
    files.selection = std::filesystem::path(program).replace_extension(".dxf");
    files.turnedLeft = files.directory / "l_45.dxf";
    files.turnedRight = files.directory / "r_45.dxf";
    files.exploded = files.directory / "explode.dxf";
    files.figureTemplate = files.directory / "elem.dxf";
    files.offset = files.directory / "ofst.dxf";
    files.readme = files.directory / "readme.txt";
    return files;
}

void DeleteWorkingDxfFiles(const ProgramFiles& files) {
    for (const auto& file : files.WorkingDxfFiles()) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

}  // namespace tessavue
