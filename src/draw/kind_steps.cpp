#include "draw/kind_steps.h"

#include <system_error>

#include "dxf_data/number_text.h"
#include "host/history_queries.h"
#include "iso/dxf_writer.h"

namespace tessavue {

bool InsertFigureBlock(HostLink& link, const std::filesystem::path& figureFile, const std::string& figurePathText,
                       const std::string& blockName, double xScale, double yScale, std::int32_t rotation,
                       const std::optional<PlanPoint>& at, UndoJournal* journal) {
    kind_steps::FigureFileScope removeFile(figureFile);
    // The path ends with a carriage return so that a path with blanks arrives whole.
    std::string insert = "-insert " + figurePathText + "\r x " + NumberText(xScale) + " y " + NumberText(yScale) +
                         " r " + std::to_string(rotation) + " ";
    if (at) insert += NumberText(at->X) + "," + NumberText(at->Y) + " ";
    const std::string purge = "-purge b " + blockName + "\rn\r";
    const std::string explode = "_explode l\r\r";
    // Every step is an undo step of a journal: the caller's, which puts a failed
    // insertion back with the rest of its command, or this one's own.
    UndoJournal own(link);
    UndoJournal& steps = journal != nullptr ? *journal : own;
    const auto failed = [&] {
        if (journal != nullptr) return false;
        // The insertion taken back (a block it defined goes with it); what cannot be
        // typed of that (LT 2006, the clipboard held) is told to be typed by hand.
        const bool typingFailed = link.TypingFailed();
        const std::vector<std::string> left = own.PutBack();
        if (typingFailed || !left.empty()) link.ReportTypingFailed(left);
        return false;
    };
    if (!steps.Run(insert)) return failed();
    if (steps.CancelledSince("-insert")) return failed();
    if (!steps.Run(explode) || !steps.Run(purge)) return failed();
    // The user's Esc on the explosion or the purge would leave the block reference or
    // its definition in the drawing: the insertion is then taken back whole.
    if (steps.CancelledSince("-insert")) return failed();
    return true;
}

namespace kind_steps {

std::optional<DrawOutcome> OpenFrame(HostFrame& frame, bool readsPoints) {
    switch (frame.Open({.VisibleLayer = true, .FullPrecision = readsPoints})) {
        case FrameOutcome::Ready: return std::nullopt;
        case FrameOutcome::Refused: return DrawOutcome::Refused;
        case FrameOutcome::Ended: break;
    }
    return DrawOutcome::Cancelled;
}

bool TemplateMissing(const ProgramFiles& files) {
    std::error_code error;
    return !std::filesystem::exists(files.figureTemplate, error);
}

DrawOutcome DrawFigureFile(DrawCommand& command, const FaceParameters& face, const std::filesystem::path& workFile,
                           const FigureRewrite& rewrite, const EntityTableRows& table,
                           const std::optional<PlanPoint>& at, UndoJournal* journal) {
    HostLink& link = command.Link;
    const LocalTime now = command.Clock();
    const std::string blockName = FigureBlockName(now);
    const std::filesystem::path figureFile = FigureFilePath(command.Files.directory, now);
    if (!WriteFigureFile(workFile, figureFile, rewrite, table, command.Messages)) return DrawOutcome::Refused;
    const BlockInsertion insertion = InsertionFor(face, false);
    const bool inserted = InsertFigureBlock(link, figureFile, command.PathToText(figureFile), blockName,
                                            insertion.XScale, insertion.YScale, insertion.Rotation, at, journal);
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

DrawOutcome DrawAtBase(DrawCommand& command, const DrawRequest& request, const FaceParameters& face, double x,
                       double y, UndoJournal& journal) {
    EntityTableRows& table = EntityTable();
    ClearEntityTable(table);
    FigureRewrite rewrite = RewriteFor(request, 0);
    rewrite.BaseX = x;
    rewrite.BaseY = y;
    return DrawFigureFile(command, face, command.Files.figureTemplate, rewrite, table, PlanPoint{x, y}, &journal);
}

std::optional<DrawOutcome> PrepareTemplate(DrawCommand& command, const TemplateFigure& figure) {
    HostLink& link = command.Link;
    link.desktop().SetForeground(link.HostMainWindow);
    switch (EnsureFigureTemplate(link, command.Files, command.PathToText)) {
        case TemplateOutcome::Ready: break;
        case TemplateOutcome::Cancelled: return DrawOutcome::Cancelled;
        case TemplateOutcome::Failed: return DrawOutcome::Refused;
    }
    if (!FillTemplateFigure(link, command.Files, figure, EntityTable())) return DrawOutcome::Refused;
    return std::nullopt;
}

bool PickStartPoint(HostLink& link, double& x, double& y) {
    link.desktop().SetForeground(link.HostMainWindow);
    if (PickPointInHost(link, x, y)) return true;
    if (link.TypingFailed()) link.ReportTypingFailed({});
    return false;
}

std::vector<std::string> LastObjectListing(HostLink& link) {
    if (!RunHostListing(link, "list l  ")) return {};
    const HostHistory history = CopyHostHistory(link);
    if (!history.finished) return {};
    std::size_t start = history.lines.size();
    while (start > 0 && history.lines[start - 1].find("list") == std::string::npos) --start;
    return {history.lines.begin() + static_cast<std::ptrdiff_t>(start), history.lines.end()};
}

bool ListsOneObjectOfKind(const std::vector<std::string>& listing, const char* kind) {
    int objects = 0;
    bool named = false;
    for (const std::string& line : listing) {
        if (line.find("画層") == std::string::npos) continue;
        ++objects;
        named = line.find(kind) != std::string::npos;
    }
    return objects == 1 && named;
}

}  // namespace kind_steps
}  // namespace tessavue
