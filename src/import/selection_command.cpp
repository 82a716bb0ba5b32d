#include "import/selection_command.h"

#include <cstddef>
#include <system_error>

#include "host/busy_scope.h"
#include "host/host_frame.h"
#include "host/undo_journal.h"
#include "import/selection_export.h"

namespace tessavue {
namespace {

void RemoveWorkFiles(const ProgramFiles& files) {
    for (const auto& file : {files.selection, files.turnedLeft, files.turnedRight, files.exploded}) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

class Selection {
public:
    Selection(SelectionCommand& command, HostFrame& frame)
        : command_(command), link_(command.Link), frame_(frame), journal_(command.Link) {}

    // An export between turns is an undo step the journal must count.
    bool Export(const std::filesystem::path& file, UndoJournal* journal = nullptr) {
        bool started = false;
        const bool exported = ExportSelectionDxf(link_, command_.PathToText(file), "", &started);
        if (started && journal != nullptr) journal->NoteSteps(1);
        return exported;
    }

    // The selection stops in the middle: the drawing is put back while AutoCAD is
    // there, and a command that could not be typed is told to the user with whatever
    // of the put-back could not be typed either.
    SelectionOutcome Stop() {
        // A selection that stops leaves none of its files: the draw command would
        // take a half set for this selection.
        RemoveWorkFiles(command_.Files);
        const bool typingFailed = link_.TypingFailed();
        std::vector<std::string> leftUndone = journal_.PutBack();
        // The user's units go back last, and what cannot be typed of them is named in the
        // same message.
        const std::vector<std::string> units = frame_.Close();
        leftUndone.insert(leftUndone.end(), units.begin(), units.end());
        if (typingFailed || !leftUndone.empty()) {
            link_.ReportTypingFailed(leftUndone);
            return SelectionOutcome::Failed;
        }
        return SelectionOutcome::Abandoned;
    }

    // A step before anything was changed came back empty: the user cancelled (a quiet
    // stop), or the wait or the typing failed (a stop that tells why).
    SelectionOutcome Ended() {
        return link_.WaitsAbandoned() || link_.TypingFailed() ? Stop() : SelectionOutcome::Stopped;
    }

    UndoJournal& journal() { return journal_; }

private:
    SelectionCommand& command_;
    HostLink& link_;
    HostFrame& frame_;
    UndoJournal journal_;
};

// From "filedia 0 " to "filedia 1 ": the exports and the turns. Nothing of the user's
// is exploded: where the selection holds polylines, block references or ellipses (which
// the R12 export writes as polylines), the whole selection is exported once more in
// DXF 2000, which keeps them as AutoCAD has them, and the palette reads every line,
// arc and circle out of it at any depth of blocks.
SelectionOutcome ExportSelection(SelectionCommand& command, Selection& selection, const PlanPoint& base) {
    const ProgramFiles& files = command.Files;
    UndoJournal& journal = selection.journal();
    if (!selection.Export(files.selection)) return selection.Stop();

    if (command.ProjectAll) {
        // +45, -90 and +45 about the point as read: the objects end where they began,
        // and the turned exports stand about the same point the figure is drawn from.
        // Each turn and export from the first turn on is an undo step of the journal:
        // a stop undoes them, which puts the objects back exactly (turning back about
        // the point as read would move them by its rounding, and a turn the user
        // cancelled would be turned back all the same).
        if (!journal.Run(TurnCommand(45, base.X, base.Y))) return selection.Stop();
        if (!selection.Export(files.turnedLeft, &journal)) return selection.Stop();
        RemoveHandseed(files.turnedLeft);
        if (!journal.Run(TurnCommand(-90, base.X, base.Y))) return selection.Stop();
        if (!selection.Export(files.turnedRight, &journal)) return selection.Stop();
        RemoveHandseed(files.turnedRight);
        if (!journal.Run(TurnCommand(45, base.X, base.Y))) return selection.Stop();
    }

    if (SelectionNeedsExplode(files.selection)) {
        bool started = false;
        const bool exported =
            ExportSelectionDxf(command.Link, command.PathToText(files.exploded), "2000", &started);
        if (started && journal.Steps() > 0) journal.NoteSteps(1);
        if (!exported) return selection.Stop();
    }

    if (!journal.FileDialogs(true)) return selection.Stop();
    // The user's Esc on a turn, an export or the file dialogs' return would leave the
    // objects turned, a file of something else or the dialogs off: the history since
    // the base point was read tells.
    if (journal.CancelledSince("lastpoint")) return selection.Stop();
    return SelectionOutcome::Exported;
}

}  // namespace

SelectionOutcome RunSelectionCommand(SelectionCommand& command, PlanPoint& basePoint) {
    HostLink& link = command.Link;
    if (!link.EnsureCaptured()) return SelectionOutcome::NotCaptured;
    const ProgramFiles& files = command.Files;

    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);

    // The base point is read at full precision; the user's units come back at the end.
    // A selection the frame refuses keeps the last one.
    HostFrame frame(link);
    switch (frame.Open({.VisibleLayer = false, .FullPrecision = true})) {
        case FrameOutcome::Ready: break;
        case FrameOutcome::Refused: return SelectionOutcome::Stopped;
        case FrameOutcome::Ended: return SelectionOutcome::Abandoned;
    }

    // A selection that stops early must leave no work file of an earlier one behind:
    // the draw command would take it for this selection.
    RemoveWorkFiles(files);

    Selection selection(command, frame);
    if (!link.RunHostCommand("select ")) return selection.Stop();
    if (WasCommandCancelled(link, "select")) return selection.Ended();
    if (!HistoryShowsSelection(link)) return selection.Ended();
    double x = 0;
    double y = 0;
    if (!PickPointInHost(link, x, y)) return selection.Ended();
    basePoint = PlanPoint{x, y};

    if (!selection.journal().FileDialogs(false)) return selection.Stop();
    try {
        return ExportSelection(command, selection, basePoint);
    } catch (...) {
        // A work file that cannot be read (locked, damaged) ends the command with its
        // message, but never with the user's file dialogs off or the plan exploded.
        selection.Stop();
        throw;
    }
}

}  // namespace tessavue
