#include "draw/template_figure.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "dxf_data/dxf_lines.h"
#include "dxf_data/number_text.h"
#include "host/history_queries.h"
#include "host/undo_journal.h"
#include "import/dxf_reader.h"
#include "import/selection_export.h"
#include "iso/dxf_writer.h"
#include "iso/figure_generators.h"

namespace tessavue {
namespace {

bool Near(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)); }

// Whether the exported template holds exactly one entity, the line from (x, y) to
// (x, y + 1): only then is the previous selection the line the palette drew.
bool HoldsOnlyTheLine(const std::filesystem::path& file, double x, double y) {
    const std::optional<DxfLines> lines = LoadDxfLines(file);
    if (!lines) return false;
    EntitiesSection section;
    if (!FindEntitiesSection(*lines, section)) return false;
    int entities = 0;
    for (std::size_t code = section.Entities + 1; code + 1 < section.Endsec; code += 2)
        if (IsGroupCode((*lines)[code], "0")) ++entities;
    if (entities != 1) return false;
    EntityTableRows rows;
    ClearEntityTable(rows);
    struct Quiet : MessageSink {
        void ShowConfirmation(const std::string&) override {}
        void ShowInformation(const std::string&) override {}
    } quiet;
    try {
        ReadDxfEntities(*lines, file, 0, 0, quiet, rows);
    } catch (const std::runtime_error&) {
        return false;
    }
    const EntityRecord& row = rows[0];
    return row.Kind == 0 && rows[1].Kind == -1 && Near(row.X1, x) && Near(row.Y1, y) && Near(row.X2, x) &&
           Near(row.Y2, y + 1);
}

}  // namespace

std::string TemplateLineFailedMessage() {
    return "作図用の線をＡｕｔｏＣＡＤに描けなかったため、作図を中止しました。図面は変更していません。";
}

bool IsTemplateKind(const std::string& kind) { return kind == "円" || kind == "四角" || kind == "六角"; }

TemplateOutcome EnsureFigureTemplate(HostLink& link, const ProgramFiles& files, const PathText& pathText) {
    std::error_code error;
    if (std::filesystem::exists(files.figureTemplate, error)) return TemplateOutcome::Ready;

    double x = 0;
    double y = 0;
    if (!PickPointInHost(link, x, y)) {
        if (!link.TypingFailed()) return TemplateOutcome::Cancelled;
        link.ReportTypingFailed({});
        return TemplateOutcome::Failed;
    }
    UndoJournal journal(link);
    // Whatever stops the steps, no half-made template stays, every command typed from
    // the line on is undone (the line with it, if AutoCAD made it) and FILEDIA is back on.
    const auto stop = [&](TemplateOutcome outcome, const std::string& message) {
        std::filesystem::remove(files.figureTemplate, error);
        const bool typingFailed = link.TypingFailed();
        const std::vector<std::string> left = journal.PutBack();
        if (typingFailed || !left.empty()) {
            link.ReportTypingFailed(left);
            return TemplateOutcome::Failed;
        }
        if (!message.empty()) link.messages().ShowConfirmation(message);
        return outcome;
    };
    const auto ended = [&] { return link.WaitsAbandoned() || link.HostGone() || link.TypingFailed(); };
    if (!journal.FileDialogs(false)) return stop(TemplateOutcome::Cancelled, "");
    if (!journal.Run("line " + NumberText(x) + "," + NumberText(y) + " @0,1  "))
        return stop(TemplateOutcome::Cancelled, "");
    // A line command that was cancelled (or is not over) may have drawn nothing, and
    // "select l" would then take the user's own last object.
    const HostHistory history = CopyHostHistory(link);
    if (history.typed) journal.NoteSteps(1);
    if (ended()) return stop(TemplateOutcome::Cancelled, "");
    if (!history.finished || HistoryShowsCancel(history.lines, link.CommandPrompt + "line"))
        return stop(TemplateOutcome::Failed, TemplateLineFailedMessage());
    if (!journal.Run("select l  ")) return stop(TemplateOutcome::Cancelled, "");
    bool started = false;
    const bool exported = ExportSelectionDxf(link, pathText(files.figureTemplate), "", &started);
    if (started) journal.NoteSteps(1);
    if (!exported) return stop(TemplateOutcome::Cancelled, "");
    // Only what the export shows to be exactly that line is ever erased.
    if (!HoldsOnlyTheLine(files.figureTemplate, x, y))
        return stop(TemplateOutcome::Failed, TemplateLineFailedMessage());
    RemoveHandseed(files.figureTemplate);
    if (!journal.Run("erase pre  ")) return stop(TemplateOutcome::Cancelled, "");
    if (!journal.FileDialogs(true)) return stop(TemplateOutcome::Cancelled, "");
    // The user's Esc on the selection, the export or the erasure would leave the line
    // in the drawing or a template of something else.
    if (journal.CancelledSince("line")) return stop(TemplateOutcome::Cancelled, "");
    // The line and its erasure stay in AutoCAD's undo list, as any command's would.
    return TemplateOutcome::Ready;
}

bool FillTemplateFigure(HostLink& link, const ProgramFiles& files, const TemplateFigure& figure,
                        EntityTableRows& table) {
    const std::string layer = GetCurrentLayer(link);
    if (link.WaitsAbandoned()) return false;
    if (link.TypingFailed()) {
        link.ReportTypingFailed({});
        return false;
    }
    std::string text;
    if (figure.Kind == "既存軸") {
        // The outline is the last 外形線 selection's, kept apart from the table.
        if (figure.Outline != nullptr) text = AxisFigureText(layer, figure.FaceCode, figure.Centre, *figure.Outline);
    } else if (figure.Kind == "円") {
        ClearEntityTable(table);
        text = CircleFigureText(layer, figure.Diameter * 0.5, table);
    } else if (figure.Kind == "四角") {
        ClearEntityTable(table);
        text = SquareFigureText(layer, figure.FaceCode, figure.HeightSign, figure.YSide, figure.XSide, table);
    } else {
        ClearEntityTable(table);
        text = HexagonFigureText(layer, figure.FaceCode, figure.HeightSign, figure.AcrossFlats,
                                 figure.Vertical ? 0.0 : 30.0, table);
    }
    const SectionResult filled = FillFigureTemplate(files.figureTemplate, text);
    if (filled) return true;
    link.messages().ShowConfirmation(SectionFaultMessage(filled));
    return false;
}

}  // namespace tessavue
