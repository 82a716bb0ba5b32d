#include "draw/draw_command.h"

#include <system_error>

#include "draw/figure_rewrite.h"
#include "draw/template_figure.h"
#include "host/busy_scope.h"
#include "host/undo_journal.h"
#include "dxf_data/entity_table.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"

namespace tessavue {
namespace {

// Deletes the figure file when the scope ends, however it ends: the file lives for
// one command only.
class FigureFileScope {
public:
    explicit FigureFileScope(std::filesystem::path file) : file_(std::move(file)) {}
    ~FigureFileScope() {
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
    }
    FigureFileScope(const FigureFileScope&) = delete;
    FigureFileScope& operator=(const FigureFileScope&) = delete;

private:
    std::filesystem::path file_;
};

}  // namespace

std::string KindNotAvailableMessage(const std::string& kind) {
    return "「" + kind + "」の作図はまだ使えません。";
}

bool InsertFigureBlock(HostLink& link, const std::filesystem::path& figureFile, const std::string& figurePathText,
                       const std::string& blockName, double xScale, double yScale, std::int32_t rotation,
                       const std::optional<PlanPoint>& at) {
    FigureFileScope removeFile(figureFile);
    // The path ends with a carriage return so that a path with blanks arrives whole.
    std::string insert = "-insert " + figurePathText + "\r x " + NumberText(xScale) + " y " + NumberText(yScale) +
                         " r " + std::to_string(rotation) + " ";
    if (at) insert += NumberText(at->X) + "," + NumberText(at->Y) + " ";
    const std::string purge = "-purge b " + blockName + "\rn\r";
    const std::string explode = "_explode l\r\r";
    // A step that could not be typed (LT 2006, the clipboard held by another program)
    // ends the command; the user is told what is left to type by hand.
    const auto typingFailed = [&link](const std::vector<std::string>& left) {
        link.messages().ShowConfirmation(TypingFailedMessage(left));
        return false;
    };
    if (!link.RunHostCommand(insert)) {
        if (link.TypingFailed()) return typingFailed({});
        // The palette is closing, or AutoCAD went away, while the insertion still ran.
        // AutoCAD made the block definition when it read the file: the insertion
        // still asking for its point is cancelled and the definition purged, without
        // waiting (the waits are over).
        if (!link.HostGone()) {
            link.SendHostCommand("\x1b\x1b");
            link.SendHostCommand(purge);
        }
        return false;
    }
    if (WasCommandCancelled(link, "-insert")) {
        // Without the history it is unknown whether the figure went in; the purge is
        // right either way (a block still referenced is kept), the explosion is not.
        if (link.TypingFailed()) return typingFailed({purge});
        // A cancelled insertion still leaves the definition read from the file.
        if (!link.RunHostCommand(purge) && link.TypingFailed()) typingFailed({purge});
        return false;
    }
    if (!link.RunHostCommand(explode)) {
        if (link.TypingFailed()) return typingFailed({explode, purge});
        // The explosion was typed whole; its definition goes once it is done.
        if (!link.HostGone()) link.SendHostCommand(purge);
        return true;
    }
    if (!link.RunHostCommand(purge) && link.TypingFailed()) typingFailed({purge});
    return true;
}

namespace {

// The figure-file steps every kind of the general path ends with: the work file
// rewritten into the face's frame, inserted where the user picks, exploded, purged.
DrawOutcome DrawFigureFile(DrawCommand& command, const FaceParameters& face, const std::filesystem::path& workFile,
                           const FigureRewrite& rewrite, const EntityTableRows& table) {
    HostLink& link = command.Link;
    const LocalTime now = command.Clock();
    const std::string blockName = FigureBlockName(now);
    const std::filesystem::path figureFile = FigureFilePath(command.Files.directory, now);
    if (!WriteFigureFile(workFile, figureFile, rewrite, table, command.Messages)) return DrawOutcome::Refused;
    const BlockInsertion insertion = InsertionFor(face, false);
    const bool inserted = InsertFigureBlock(link, figureFile, command.PathToText(figureFile), blockName,
                                            insertion.XScale, insertion.YScale, insertion.Rotation);
    return inserted ? DrawOutcome::Drawn : DrawOutcome::Cancelled;
}

FigureRewrite RewriteFor(const DrawRequest& request, double height) {
    FigureRewrite rewrite;
    rewrite.Inputs.FaceCode = request.FaceCode;
    rewrite.Inputs.HeightSign = request.InvertHeightSign ? -1 : 1;
    rewrite.Inputs.Height = height;
    rewrite.Inputs.FigureKind = request.FigureKind;
    rewrite.Inputs.HeightLines = request.HeightLines;
    rewrite.Inputs.CircleHeightLines = request.CircleHeightLines;
    rewrite.ProjectAll = request.ProjectAll;
    rewrite.BaseX = request.SelectionBase.X;
    rewrite.BaseY = request.SelectionBase.Y;
    return rewrite;
}

// 円, 四角, 六角: the numbers are read before AutoCAD is touched; from the template's
// first step to the end the palette is busy, so no second command can start inside.
DrawOutcome DrawTemplateFigure(DrawCommand& command, const DrawRequest& request, const FaceParameters& face,
                               double height) {
    TemplateFigure figure;
    figure.Kind = request.FigureKind;
    figure.FaceCode = request.FaceCode;
    figure.HeightSign = request.InvertHeightSign ? -1 : 1;
    figure.Vertical = request.HexagonVertical;
    const auto read = [&](const char* name, const std::string& text, double& value) {
        const std::optional<double> number = ReadNumberField(name, text, command.Messages);
        if (number) value = *number;
        return number.has_value();
    };
    if (figure.Kind == "円" && !read("直径", request.DiameterText, figure.Diameter)) return DrawOutcome::Refused;
    if (figure.Kind == "四角" &&
        (!read("Ｙ", request.YSideText, figure.YSide) || !read("Ｘ", request.XSideText, figure.XSide)))
        return DrawOutcome::Refused;
    if (figure.Kind == "六角" && !read("対辺", request.AcrossFlatsText, figure.AcrossFlats))
        return DrawOutcome::Refused;

    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    switch (EnsureFigureTemplate(link, command.Files, command.PathToText)) {
        case TemplateOutcome::Ready: break;
        case TemplateOutcome::Cancelled: return DrawOutcome::Cancelled;
        case TemplateOutcome::Failed: return DrawOutcome::Refused;
    }
    EntityTableRows& table = EntityTable();
    if (!FillTemplateFigure(link, command.Files, figure, table)) return DrawOutcome::Refused;
    FigureRewrite rewrite = RewriteFor(request, height);
    // The figure stands about the origin of the template.
    rewrite.BaseX = 0;
    rewrite.BaseY = 0;
    return DrawFigureFile(command, face, command.Files.figureTemplate, rewrite, table);
}

}  // namespace

DrawOutcome RunDrawCommand(DrawCommand& command, const DrawRequest& request) {
    HostLink& link = command.Link;
    if (!link.EnsureCaptured()) return DrawOutcome::NotCaptured;
    const FaceParameters* face = FaceRow(request.FaceCode);
    if (face == nullptr) return DrawOutcome::Refused;

    if (request.FigureKind != kExistingFigureKind && !IsTemplateKind(request.FigureKind)) {
        command.Messages.ShowConfirmation(KindNotAvailableMessage(request.FigureKind));
        return DrawOutcome::Refused;
    }

    const std::optional<double> height = ReadNumberField("高さ", request.HeightText, command.Messages);
    if (!height) return DrawOutcome::Refused;
    if (IsTemplateKind(request.FigureKind)) return DrawTemplateFigure(command, request, *face, *height);

    const FigureRewrite rewrite = RewriteFor(request, *height);
    EntityTableRows& table = EntityTable();
    if (!PrepareExistingFigure(command.Files, rewrite, command.Messages, table)) return DrawOutcome::Refused;
    const std::filesystem::path workFile =
        ExistingFigureWorkFile(command.Files, request.FaceCode, request.ProjectAll);

    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    return DrawFigureFile(command, *face, workFile, rewrite, table);
}

}  // namespace tessavue
