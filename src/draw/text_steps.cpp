#include "draw/kind_steps.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "host/busy_scope.h"
#include "host/history_queries.h"
#include "import/selection_export.h"

namespace tessavue {

std::string TextNotMadeMessage() {
    return "文字が作成されなかったため、作図を中止しました。図面は変更していません。";
}
std::string TextPointUnreadMessage() {
    return "文字の始点を読み取れなかったため、作図を中止しました。文字は平面のまま残しています。";
}

namespace kind_steps {

namespace {

// Whether AutoCAD's last object is a text starting at (x, y), as LIST shows it (to
// the decimals it shows): only then is it the text just written.
bool LastObjectIsTextAt(HostLink& link, double x, double y) {
    const std::vector<std::string> listing = LastObjectListing(link);
    if (!ListsOneObjectOfKind(listing, "文字")) return false;
    for (const std::string& line : listing) {
        const std::size_t from = line.find("X=");
        const std::size_t yAt = line.find("Y=");
        const std::size_t zAt = line.find("Z=");
        if (line.find("始点") == std::string::npos || from == std::string::npos || yAt == std::string::npos ||
            zAt == std::string::npos)
            continue;
        const std::string xText = line.substr(from + 2, yAt - from - 2);
        const std::optional<double> lx = TryStrToFloat(xText);
        const std::optional<double> ly = TryStrToFloat(line.substr(yAt + 2, zAt - yAt - 2));
        if (!lx || !ly) return false;
        // Half a unit in the last decimal LIST shows.
        const std::size_t dot = xText.find('.');
        const int decimals = dot == std::string::npos ? 0 : static_cast<int>(xText.find_last_not_of(' ') - dot);
        const double slack = 0.5 * std::pow(10.0, -decimals) + 1e-12;
        return std::abs(*lx - x) <= slack && std::abs(*ly - y) <= slack;
    }
    return false;
}

}  // namespace

// 文字: the user writes the text with AutoCAD's own command; it is turned about its
// start point onto the face, exported, erased and inserted there again.
DrawOutcome DrawText(DrawCommand& command, const DrawRequest& request, const FaceParameters& face) {
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, true)) return *ended;
    const bool lt2006 = link.TargetVersion == "LT 2006" || link.TargetVersion == "2006";
    const std::string word = lt2006 ? "-text" : "text";
    if (!link.RunHostCommand(word + " ")) return DrawOutcome::Cancelled;
    if (WasCommandCancelled(link, word)) return DrawOutcome::Cancelled;
    double x = 0;
    double y = 0;
    // Without the start point the text cannot be put back where it was: it stays in plan.
    // A clipboard held by another program is told as such, once, by the frame.
    if (!ReadLastPoint(link, x, y)) {
        if (link.TypingFailed()) link.ReportTypingFailed({});
        else if (!link.WaitsAbandoned()) command.Messages.ShowConfirmation(TextPointUnreadMessage());
        return DrawOutcome::Cancelled;
    }
    // An empty text makes no object: "select l" would take the user's own.
    if (!LastObjectIsTextAt(link, x, y)) {
        if (link.TypingFailed()) link.ReportTypingFailed({});
        else if (!link.WaitsAbandoned()) command.Messages.ShowConfirmation(TextNotMadeMessage());
        return DrawOutcome::Refused;
    }

    UndoJournal journal(link);
    const auto stop = [&] {
        std::error_code ignored;
        std::filesystem::remove(command.Files.figureTemplate, ignored);
        const bool typingFailed = link.TypingFailed();
        const std::vector<std::string> left = journal.PutBack();
        if (typingFailed || !left.empty()) command.Link.ReportTypingFailed(left);
        return DrawOutcome::Cancelled;
    };
    // Every step from here is an undo step of the journal's, so that a stop takes the
    // text back exactly as the user wrote it (a turn back about the point as read
    // would move it by the rounding of that point).
    if (!journal.Run("select l  ")) return stop();
    // About the start point as read: the export is moved by that same point and the
    // text inserted there again.
    if (!journal.Run(TurnCommand(static_cast<int>(face.Angle), x, y))) return stop();
    if (!journal.FileDialogs(false)) return stop();
    std::error_code ignored;
    std::filesystem::remove(command.Files.figureTemplate, ignored);
    bool started = false;
    const bool exported = ExportSelectionDxf(link, command.PathToText(command.Files.figureTemplate), "", &started);
    if (started) journal.NoteSteps(1);
    if (!exported || !journal.FileDialogs(true)) return stop();
    // The user's text is erased before its copy goes in: the erasure is the journal's,
    // so that an insertion that fails (a typing failure, a refused rewrite, a cancel)
    // brings the text back as the user wrote it.
    if (!journal.Run("erase pre  ")) return stop();
    // The user's Esc on the turn, the export or the erasure would put a text on the
    // face that is not the user's, or leave it beside its copy.
    if (journal.CancelledSince("select")) return stop();
    const DrawOutcome drawn = DrawAtBase(command, request, face, x, y, journal);
    if (drawn != DrawOutcome::Drawn) stop();
    return drawn;
}

}  // namespace kind_steps
}  // namespace tessavue
