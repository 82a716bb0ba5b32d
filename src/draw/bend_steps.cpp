#include "draw/kind_steps.h"

#include <optional>

#include "draw/typed_figures.h"
#include "host/busy_scope.h"

namespace tessavue::kind_steps {

// 丸棒曲げ: both limits on the bar are checked before AutoCAD is touched.
DrawOutcome DrawBend(DrawCommand& command, const DrawRequest& request, const FaceParameters& face) {
    const std::optional<double> radius = ReadNumberField("曲げ半径", request.BendRadiusText, command.Messages);
    if (!radius) return DrawOutcome::Refused;
    const std::optional<double> diameter = ReadNumberField("丸棒直径", request.BarDiameterText, command.Messages);
    if (!diameter) return DrawOutcome::Refused;
    if (*diameter >= *radius) {
        command.Messages.ShowConfirmation(BarNotBelowBendRadiusMessage());
        return DrawOutcome::Refused;
    }
    // From this diameter on, the cap arcs would be scaled through zero.
    if (*diameter >= LargestBendDiameter(*radius)) {
        command.Messages.ShowConfirmation(BarTooThickForBendMessage(*radius));
        return DrawOutcome::Refused;
    }
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, true)) return *ended;
    double x = 0;
    double y = 0;
    if (!PickStartPoint(link, x, y)) return DrawOutcome::Cancelled;
    return DrawRoundBarBend(link, x, y, *radius, *diameter * 0.5, face.SideTurn) ? DrawOutcome::Drawn
                                                                                  : DrawOutcome::Cancelled;
}

}  // namespace tessavue::kind_steps
