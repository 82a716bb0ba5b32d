#include "draw/kind_steps.h"

#include "draw/dimension_figure.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "dxf_data/number_text.h"
#include "host/busy_scope.h"
#include "host/history_queries.h"
#include "import/selection_export.h"
#include "iso/projection.h"

namespace tessavue {

std::string DimensionDirectionMessage(int degrees) {
    return "１点目から２点目への角度は " + std::to_string(degrees) +
           "°でした。これが 30°,150°,210°,330°或いは 90°,270°になるように指示して下さい。";
}
std::string DimensionFaceMessage(std::int32_t faceCode) {
    static const char* const fits[] = {"30°,210°", "150°,330°", "150°,330°或いは 90°,270°",
                                       "30°,210°或いは 90°,270°"};
    return std::string("この方向の面に沿う寸法は、１点目から２点目への角度が ") + fits[faceCode] +
           " のものです。そのように指示して下さい。";
}
std::string DimensionSamePointsMessage() { return "１点目と２点目が同じ点です。別々の点を指示して下さい。"; }
std::string DimensionNotMadeMessage() {
    return "寸法が作成されなかったため、作図を中止しました。図面は変更していません。";
}

namespace kind_steps {

namespace {

// Whether AutoCAD's last object is one dimension, as LIST shows it.
bool LastObjectIsDimension(HostLink& link) { return ListsOneObjectOfKind(LastObjectListing(link), "寸法"); }

}  // namespace

// 寸法: three picks; the pair laid out along plan X (or plan Y for an upright pair) at
// its true length about its midpoint, so that the face carries it onto the line
// through the picked points; AutoCAD makes, explodes and turns the dimension, which is
// exported, erased and inserted at that midpoint.
DrawOutcome DrawDimension(DrawCommand& command, const DrawRequest& request, const FaceParameters& face) {
    const std::optional<double> offset = ReadNumberField("オフセット", request.DimensionOffsetText, command.Messages);
    if (!offset) return DrawOutcome::Refused;
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, true)) return *ended;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
    if (!PickPointInHost(link, x1, y1) || !PickPointInHost(link, x2, y2) || !PickPointInHost(link, x3, y3)) {
        if (link.TypingFailed()) link.ReportTypingFailed({});
        return DrawOutcome::Cancelled;
    }
    // The picks come back as AutoCAD shows them, rounded to the decimals it shows: a
    // third point snapped onto the line is on it when it is within two units of the
    // last decimal, not only when exactly there.
    const DimensionLayout layout = LayDimensionOut(face, {x1, y1}, {x2, y2}, {x3, y3}, *offset,
                                                   2 * std::pow(10.0, -frame.ShownDecimals()));
    switch (layout.Refusal) {
        case DimensionRefusal::None: break;
        case DimensionRefusal::SamePoints:
            command.Messages.ShowConfirmation(DimensionSamePointsMessage());
            return DrawOutcome::Refused;
        case DimensionRefusal::Direction:
            command.Messages.ShowConfirmation(DimensionDirectionMessage(layout.Degrees));
            return DrawOutcome::Refused;
        case DimensionRefusal::Face:
            command.Messages.ShowConfirmation(DimensionFaceMessage(face.Code));
            return DrawOutcome::Refused;
    }
    x1 = layout.First.X, y1 = layout.First.Y;
    x2 = layout.Second.X, y2 = layout.Second.Y;
    x3 = layout.LinePoint.X, y3 = layout.LinePoint.Y;

    UndoJournal journal(link);
    const auto stop = [&](const std::string& message) {
        std::error_code ignored;
        std::filesystem::remove(command.Files.figureTemplate, ignored);
        const bool typingFailed = link.TypingFailed();
        const std::vector<std::string> left = journal.PutBack();
        if (typingFailed || !left.empty()) {
            command.Link.ReportTypingFailed(left);
        } else if (!message.empty() && !link.WaitsAbandoned()) {
            command.Messages.ShowConfirmation(message);
        }
        return DrawOutcome::Cancelled;
    };
    const auto at = [](double x, double y) { return NumberText(x) + "," + NumberText(y); };
    if (!journal.Run("_dimlinear " + at(x1, y1) + " " + at(x2, y2) + " " + at(x3, y3) + " ")) return stop("");
    // A dimension AutoCAD did not make would leave the user's last object to "select l".
    const bool made = LastObjectIsDimension(link);
    journal.NoteSteps(2);  // the listing and the history copy
    if (!made) return stop(DimensionNotMadeMessage());
    if (!journal.Run("select l  ") || !journal.Run("explode pre  ")) return stop("");
    const double bx = (x1 + x2) / 2;
    const double by = (y1 + y2) / 2;
    if (!journal.Run("rotate pre  " + at(bx, by) + " " + std::to_string(static_cast<int>(face.Angle)) + " "))
        return stop("");
    if (!journal.FileDialogs(false)) return stop("");
    std::error_code ignored;
    std::filesystem::remove(command.Files.figureTemplate, ignored);
    bool started = false;
    const bool exported = ExportSelectionDxf(link, command.PathToText(command.Files.figureTemplate), "", &started);
    if (started) journal.NoteSteps(1);
    if (!exported || !journal.FileDialogs(true)) return stop("");
    // The pieces are erased before the copy goes in; an insertion that fails is undone
    // with them and every step before, so no piece and no step is left.
    if (!journal.Run("erase pre  ")) return stop("");
    // The user's Esc on any step since the dimension was made would put a figure on
    // the face that is not the dimension's, or leave its pieces beside it.
    if (journal.CancelledSince("_dimlinear")) return stop("");
    const DrawOutcome drawn = DrawAtBase(command, request, face, bx, by, journal);
    if (drawn != DrawOutcome::Drawn) stop("");
    return drawn;
}

}  // namespace kind_steps
}  // namespace tessavue
