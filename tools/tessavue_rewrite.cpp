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

#include "text_codes.h"
#include "rewrite_flow.h"


namespace tessavue {
namespace {

void PrintMessage(const std::string& text) { PrintCp932(stderr, text + "\n"); }

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
