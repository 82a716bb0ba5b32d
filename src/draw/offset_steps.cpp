#include "draw/kind_steps.h"

#include <optional>

#include "draw/typed_figures.h"
#include "host/busy_scope.h"

namespace tessavue::kind_steps {

// オフセット: a copy along the face's depth, joined at the corners with 高さ checked.
DrawOutcome DrawOffset(DrawCommand& command, const DrawRequest& request, const FaceParameters& face, double height) {
    if (height == 0) {
        command.Messages.ShowConfirmation(OffsetHeightZeroMessage());
        return DrawOutcome::Refused;
    }
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, false)) return *ended;
    const bool drawn = RunOffset(link, command.Files, command.PathToText, request.InvertHeightSign ? -1 : 1, height,
                                 face.OffsetDirection, request.HeightLines, request.CircleHeightLines);
    // A step that could not be typed is told, as for every kind.
    if (!drawn && link.TypingFailed() && !link.WaitsAbandoned()) link.ReportTypingFailed({});
    return drawn ? DrawOutcome::Drawn : DrawOutcome::Cancelled;
}

}  // namespace tessavue::kind_steps
