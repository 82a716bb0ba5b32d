// tessavue-iso: a plan DXF in, its finished isometric drawing out, without AutoCAD.
//
//   tessavue-iso --face N --height H --base X,Y --at X,Y PLAN.dxf OUT.dxf
//
// See iso_flow.h for the options and the exit status.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "iso_flow.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace tessavue {
namespace {

// Reports are Shift-JIS, as the palette's messages. A Windows console under a Japanese
// locale takes them as they are; elsewhere they become UTF-8.
void Print(std::FILE* to, const std::string& text) {
#ifndef _WIN32
    iconv_t codec = iconv_open("UTF-8", "CP932");
    if (codec != reinterpret_cast<iconv_t>(-1)) {
        std::string in = text;
        std::string out(text.size() * 3 + 4, '\0');
        char* inPtr = in.data();
        char* outPtr = out.data();
        std::size_t inLeft = in.size(), outLeft = out.size();
        const bool converted = iconv(codec, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(codec);
        if (converted) {
            out.resize(out.size() - outLeft);
            std::fputs(out.c_str(), to);
            return;
        }
    }
#endif
    std::fputs(text.c_str(), to);
}

int Run(const std::vector<std::filesystem::path>& args) {
    std::string report;
    const int status = RunIsoTool(args, report);
    Print(status == IsoWritten ? stdout : stderr, report);
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
