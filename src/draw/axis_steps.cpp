#include "draw/kind_steps.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "draw/axis_figure.h"
#include "host/busy_scope.h"
#include "iso/faces.h"
#include "import/listed_selection.h"
#include "iso/dxf_writer.h"

namespace tessavue {

namespace kind_steps {

// 既存軸: the centre line must suit the face, and there must be something to turn;
// all of it is known before AutoCAD is touched.
DrawOutcome DrawAxisFigure(DrawCommand& command, const DrawRequest& request) {
    std::optional<AxisLine> centre;
    if (request.AxisCentre) {
        const ListedLine& line = *request.AxisCentre;
        centre = AxisLine{line.X1, line.Y1, line.X2, line.Y2};
    }
    // The outline as the figure's rows: as many as the table holds.
    std::optional<std::vector<EntityRecord>> outlineRows;
    EntityTableRows outline;
    ClearEntityTable(outline);
    if (request.AxisOutline) {
        outlineRows.emplace();
        for (const ListedLine& segment : *request.AxisOutline) {
            if (outlineRows->size() >= outline.size()) break;
            EntityRecord& row = outline[outlineRows->size()];
            row = EntityRecord{0, "0", segment.X1, segment.Y1, segment.X2, segment.Y2, 0};
            outlineRows->push_back(row);
        }
    }
    // A block that draws nothing is no figure: the user would pick a point for nothing.
    if (const AxisFigureFault fault = CheckAxisFigure(request.FaceCode, centre, outlineRows);
        fault != AxisFigureFault::None) {
        command.Messages.ShowConfirmation(AxisFigureFaultMessage(fault));
        return DrawOutcome::Refused;
    }
    TemplateFigure figure;
    figure.Kind = request.FigureKind;
    figure.FaceCode = request.FaceCode;
    figure.Centre = *centre;
    figure.Outline = &outline;

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
    const BlockInsertion insertion = InsertionFor(*FaceRow(request.FaceCode), true);
    const bool inserted = InsertFigureBlock(link, figureFile, command.PathToText(figureFile), blockName,
                                            insertion.XScale, insertion.YScale, insertion.Rotation);
    return inserted ? DrawOutcome::Drawn : DrawOutcome::Cancelled;
}

}  // namespace kind_steps
}  // namespace tessavue
