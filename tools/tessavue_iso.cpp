// tessavue-iso: a plan DXF in, its finished isometric drawing out, without AutoCAD.
//
//   tessavue-iso --face N --height H --base X,Y --at X,Y PLAN.dxf OUT.dxf
//
// See iso_flow.h for the options and the exit status.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "text_codes.h"
#include "iso_flow.h"

namespace tessavue {
namespace {

int Run(const std::vector<std::filesystem::path>& args) {
    std::string report;
    const int status = RunIsoTool(args, report);
    PrintCp932(status == IsoWritten ? stdout : stderr, report);
    return status;
}

}  // namespace
}  // namespace tessavue

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::filesystem::path> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return tessavue::Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::filesystem::path> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return tessavue::Run(args);
}
#endif
