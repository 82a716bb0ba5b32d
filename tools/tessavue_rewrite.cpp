// tessavue-rewrite: writes the figure file the palette's draw command would insert,
// from a work file exported by AutoCAD, without AutoCAD.
//
//   tessavue-rewrite --face N [options] WORK_FILE FIGURE_FILE
//
// Exit status 0 when the figure file was written, 1 when the rewrite was refused (the
// reason goes to stderr and no figure file is left), 2 for a wrong command line.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "rewrite_flow.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace tessavue {
namespace {

// Messages are Shift-JIS, as the palette shows them. A Windows console under a
// Japanese locale takes them as they are; elsewhere they become UTF-8.
void PrintMessage(const std::string& text) {
#ifndef _WIN32
    iconv_t codec = iconv_open("UTF-8", "CP932");
    if (codec != reinterpret_cast<iconv_t>(-1)) {
        std::string in = text;
        std::string out(text.size() * 3 + 4, '\0');
        char* inPtr = in.data();
        char* outPtr = out.data();
        std::size_t inLeft = in.size();
        std::size_t outLeft = out.size();
        const bool converted = iconv(codec, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(codec);
        if (converted) {
            out.resize(out.size() - outLeft);
            std::fprintf(stderr, "%s\n", out.c_str());
            return;
        }
    }
#endif
    std::fprintf(stderr, "%s\n", text.c_str());
}

class StderrSink : public MessageSink {
public:
    void ShowConfirmation(const std::string& text) override { PrintMessage(text); }
    void ShowInformation(const std::string& text) override { PrintMessage(text); }
};

int Run(const std::vector<std::filesystem::path>& args) {
    StderrSink messages;
    std::string complaint;
    const int status = RunRewriteTool(args, messages, complaint);
    if (!complaint.empty()) std::fputs(complaint.c_str(), stderr);
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
