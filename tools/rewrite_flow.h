// The flow of tessavue-rewrite, apart from its main: options in, the figure file
// the palette's draw command would insert out, without AutoCAD.
//
//   tessavue-rewrite --face N [options] WORK_FILE FIGURE_FILE
//
// Exit status 0 when the figure file was written, 1 when the rewrite was refused (the
// reason is told and no figure file is left), 2 for a wrong command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "draw/figure_rewrite.h"
#include "host/palette.h"

namespace tessavue {

extern const char* const kRewriteToolUsage;

struct RewriteToolOptions {
    FigureRewrite Rewrite;
    std::filesystem::path WorkFile;
    std::filesystem::path FigureFile;
    std::optional<std::filesystem::path> Selection;
    std::filesystem::path Full;
};

// The options of a command line; nullopt with `complaint` (the reason and the usage)
// set, or after a message for a height that is no number.
std::optional<RewriteToolOptions> ParseRewriteToolOptions(const std::vector<std::filesystem::path>& args,
                                                          MessageSink& messages, std::string& complaint);

// The whole run: the exit status. Messages meant for the user (in the palette's words)
// go to `messages`; what concerns the command line itself to `complaint`.
int RunRewriteTool(const std::vector<std::filesystem::path>& args, MessageSink& messages, std::string& complaint);

}  // namespace tessavue
