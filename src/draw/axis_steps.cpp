#include "draw/kind_steps.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "host/busy_scope.h"
#include "import/listed_selection.h"
#include "iso/dxf_writer.h"

namespace tessavue {

std::string NoOutlineMessage() { return "外形線が選択されていません。"; }
std::string VerticalCentreLineFacesMessage() {
    return "垂直な中心線が選択されてるので作図は「上左」「上右」のみです。";
}
std::string HorizontalCentreLineFacesMessage() { return "水平な中心線が選択されてるので作図は「左」「右」のみです。"; }
std::string EmptyAxisFigureMessage() {
    return "中心線の片側にある外形線がないため、作図できません。外形線は中心線の右側（水平な中心線では上側）を選択して下さい。";
}

namespace kind_steps {

// 既存軸: the centre line must suit the face, and there must be something to turn;
// all of it is known before AutoCAD is touched.
DrawOutcome DrawAxisFigure(DrawCommand& command, const DrawRequest& request) {
    if (!request.AxisCentre) {
        command.Messages.ShowConfirmation(NoCentreLineMessage());
        return DrawOutcome::Refused;
    }
    if (!request.AxisOutline) {
        command.Messages.ShowConfirmation(NoOutlineMessage());
        return DrawOutcome::Refused;
    }
    const ListedLine& line = *request.AxisCentre;
    const bool topFace = request.FaceCode == 0 || request.FaceCode == 1;
    if (line.X1 == line.X2 && !topFace) {
        command.Messages.ShowConfirmation(VerticalCentreLineFacesMessage());
        return DrawOutcome::Refused;
    }
    if (line.X1 != line.X2 && line.Y1 == line.Y2 && topFace) {
        command.Messages.ShowConfirmation(HorizontalCentreLineFacesMessage());
        return DrawOutcome::Refused;
    }
    EntityTableRows outline;
    ClearEntityTable(outline);
    std::size_t row = 0;
    for (const ListedLine& segment : *request.AxisOutline) {
        if (row >= outline.size()) break;
        outline[row++] = EntityRecord{0, "0", segment.X1, segment.Y1, segment.X2, segment.Y2, 0};
    }
    TemplateFigure figure;
    figure.Kind = request.FigureKind;
    figure.FaceCode = request.FaceCode;
    figure.Centre = AxisLine{line.X1, line.Y1, line.X2, line.Y2};
    figure.Outline = &outline;
    // A block that draws nothing is no figure: the user would pick a point for nothing.
    if (AxisFigureText("0", figure.FaceCode, figure.Centre, outline).empty()) {
        command.Messages.ShowConfirmation(EmptyAxisFigureMessage());
        return DrawOutcome::Refused;
    }

    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, TemplateMissing(command.Files))) return *ended;
    if (const std::optional<DrawOutcome> ended = PrepareTemplate(command, figure)) return *ended;

    const LocalTime now = command.Clock();
    const std::string blockName = FigureBlockName(now);
    const std::filesystem::path figureFile = FigureFilePath(command.Files.directory, now);
    std::filesystem::copy_file(command.Files.figureTemplate, figureFile,
                               std::filesystem::copy_options::overwrite_existing);
    // The body's own scales: along the axis the figure was stretched by sqrt(2).
    const double wide = std::sqrt(1.5);
    const double narrow = std::sqrt(0.5);
    const bool inserted =
        topFace ? InsertFigureBlock(link, figureFile, command.PathToText(figureFile), blockName, wide, narrow, 0)
                : InsertFigureBlock(link, figureFile, command.PathToText(figureFile), blockName, narrow, wide,
                                    request.FaceCode == 2 ? -30 : 30);
    return inserted ? DrawOutcome::Drawn : DrawOutcome::Cancelled;
}

}  // namespace kind_steps
}  // namespace tessavue
