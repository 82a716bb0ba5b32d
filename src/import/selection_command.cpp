#include "import/selection_command.h"

#include <cstddef>
#include <system_error>

#include "host/busy_scope.h"
#include "import/selection_export.h"

namespace tessavue {
namespace {

// What the selection did to the user's drawing so far, so that a stop in the middle
// can undo exactly that.
struct DrawingChanges {
    int turnedDegrees = 0;        // the net turn of the previous selection set
    std::size_t undoSteps = 0;    // commands typed since the explosion
    bool fileDialogsOff = false;  // FILEDIA is 0
};

class Selection {
public:
    explicit Selection(SelectionCommand& command) : command_(command), link_(command.Link) {}

    // Types one command; false when its wait was abandoned.
    bool Run(const std::string& text) { return link_.RunHostCommand(text); }

    bool AtIdlePrompt() { return link_.ReadCommandLine() == link_.CommandPrompt; }

    bool Turn(int degrees) {
        const bool waited = Run("rotate pre  @ " + std::to_string(degrees) + " ");
        // The whole command is typed, so AutoCAD turns the objects even when the wait
        // for it is abandoned.
        changes_.turnedDegrees += degrees;
        return waited;
    }

    bool Export(const std::filesystem::path& file) {
        return ExportSelectionDxf(link_, command_.PathToText(file), "");
    }

    // A wait was abandoned. While AutoCAD is still there, it gets the commands that
    // put the drawing back; none of them is waited for (the waits are over).
    void PutBack() {
        if (link_.HostGone()) return;
        // A command still asking for input (the abandoned one) is cancelled first, so
        // what follows starts at the idle prompt.
        if (!AtIdlePrompt()) link_.SendHostCommand("\x1b\x1b");
        if (changes_.turnedDegrees != 0)
            link_.SendHostCommand("rotate pre  @ " + std::to_string(-changes_.turnedDegrees) + " ");
        if (changes_.undoSteps > 0) {
            std::string undo;
            for (std::size_t i = 0; i < changes_.undoSteps; ++i) undo += "u ";
            link_.SendHostCommand(undo);
        }
        if (changes_.fileDialogsOff) link_.SendHostCommand("filedia 1 ");
    }

    SelectionOutcome Stop() {
        PutBack();
        return SelectionOutcome::Abandoned;
    }

    DrawingChanges& changes() { return changes_; }

private:
    SelectionCommand& command_;
    HostLink& link_;
    DrawingChanges changes_;
};

}  // namespace

SelectionOutcome RunSelectionCommand(SelectionCommand& command, PlanPoint& basePoint) {
    HostLink& link = command.Link;
    if (!link.CommandLineFound) {
        link.CaptureHost();
        if (!link.CommandLineFound) return SelectionOutcome::NotCaptured;
    }
    const ProgramFiles& files = command.Files;
    // A selection that stops early must leave no work file of an earlier one behind:
    // the draw command would take it for this selection.
    for (const auto& file : {files.selection, files.turnedLeft, files.turnedRight, files.exploded}) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }

    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);

    Selection selection(command);
    DrawingChanges& changes = selection.changes();

    if (!selection.Run("select ")) return selection.Stop();
    if (WasCommandCancelled(link, "select")) return link.WaitsAbandoned() ? selection.Stop() : SelectionOutcome::Stopped;
    if (!HistoryShowsSelection(link)) return link.WaitsAbandoned() ? selection.Stop() : SelectionOutcome::Stopped;
    double x = 0;
    double y = 0;
    if (!PickPointInHost(link, x, y)) return link.WaitsAbandoned() ? selection.Stop() : SelectionOutcome::Stopped;
    basePoint = PlanPoint{x, y};

    const bool dialogsOff = selection.Run("filedia 0 ");
    changes.fileDialogsOff = true;
    if (!dialogsOff) return selection.Stop();
    if (!selection.Export(files.selection)) return selection.Stop();

    if (command.ProjectAll) {
        // +45, -90 and +45 about the picked point: the objects end where they began.
        if (!selection.Turn(45)) return selection.Stop();
        if (!selection.Export(files.turnedLeft)) return selection.Stop();
        RemoveHandseed(files.turnedLeft);
        if (!selection.Turn(-90)) return selection.Stop();
        if (!selection.Export(files.turnedRight)) return selection.Stop();
        RemoveHandseed(files.turnedRight);
        if (!selection.Turn(45)) return selection.Stop();
    }

    if (SelectionNeedsExplode(files.selection)) {
        // Every command from the explosion on is one undo step: the explosion, the
        // two of the previous-set query, and the export when it is made.
        changes.undoSteps = 1;
        if (!selection.Run("explode pre  ")) return selection.Stop();
        const bool queried = link.RunHostCommand("select pre\r ");
        changes.undoSteps = 2;
        if (!queried) return selection.Stop();
        const HostHistory history = CopyHostHistory(link);
        changes.undoSteps = 3;
        if (link.WaitsAbandoned() || link.HostGone()) return selection.Stop();
        if (history.finished && HistoryShowsPreviousSelection(history.lines)) {
            const bool exported = selection.Export(files.exploded);
            if (!exported) {
                // The export was typed, so it is one more undo step whether AutoCAD
                // finished it or the put-back cancels it: a cancelled command is
                // recorded too.
                changes.undoSteps = 4;
                return selection.Stop();
            }
            changes.undoSteps = 4;
            if (!selection.Run("u ")) {
                changes.undoSteps = 3;
                return selection.Stop();
            }
            changes.undoSteps = 3;
        }
        const bool undone = selection.Run("u u u ");
        changes.undoSteps = 0;
        if (!undone) return selection.Stop();
    }

    const bool dialogsOn = selection.Run("filedia 1 ");
    changes.fileDialogsOff = false;
    if (!dialogsOn) return selection.Stop();
    return SelectionOutcome::Exported;
}

}  // namespace tessavue
