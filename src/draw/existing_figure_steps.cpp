#include "draw/kind_steps.h"

#include <filesystem>
#include <optional>

#include "host/busy_scope.h"

namespace tessavue::kind_steps {

// The existing figure: the selection (or, with "全て投影", the plan AutoCAD turned
// toward the face) rewritten into the face's frame and inserted where the user picks.
DrawOutcome DrawExistingFigure(DrawCommand& command, const DrawRequest& request, const FaceParameters& face,
                               double height) {
    HostLink& link = command.Link;
    const FigureRewrite rewrite = RewriteFor(request, height);
    EntityTableRows& table = EntityTable();
    if (!PrepareExistingFigure(command.Files, rewrite, command.Messages, table)) return DrawOutcome::Refused;
    const std::filesystem::path workFile =
        ExistingFigureWorkFile(command.Files, request.FaceCode, request.ProjectAll);

    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, false)) return *ended;
    return DrawFigureFile(command, face, workFile, rewrite, table);
}

}  // namespace tessavue::kind_steps
