#include "draw/typed_figures.h"

#include <cmath>
#include <system_error>
#include <vector>

#include "draw/round_bar_bend_figure.h"
#include "dxf_data/number_text.h"
#include "host/history_queries.h"
#include "host/undo_journal.h"
#include "import/dxf_reader.h"
#include "import/offset_connectors.h"
#include "import/selection_export.h"
#include "iso/projection.h"

namespace tessavue {
namespace {

// Runs the bend's commands in groups, each command noted for the put-back and each
// group checked in one copy of the history. No command of the bend acts on AutoCAD's
// last object, so a command that failed inside a group harms nothing the next one
// does, and the group's check finds it before the next group starts.
class CheckedSteps {
public:
    explicit CheckedSteps(HostLink& link) : link_(link), journal_(link) {}

    bool RunGroup(const std::vector<std::string>& commands, const std::string& echo) {
        if (failed_) return false;
        for (const std::string& command : commands)
            if (!journal_.Run(command)) return Fail();
        const HostHistory history = CopyHostHistory(link_);
        if (history.typed) journal_.NoteSteps(1);
        if (!history.finished || !HistoryShowsAllFinished(history.lines, link_.CommandPrompt + echo, commands.size()))
            return Fail();
        return true;
    }

    // Takes back what was drawn and tells the user why, unless the palette is closing.
    void PutBack() {
        const bool typingFailed = link_.TypingFailed();
        const std::vector<std::string> left = journal_.PutBack();
        if (typingFailed || !left.empty()) {
            link_.ReportTypingFailed(left);
        } else if (!link_.WaitsAbandoned() && !link_.HostGone()) {
            link_.messages().ShowConfirmation(BendFailedMessage());
        }
    }

private:
    bool Fail() {
        failed_ = true;
        return false;
    }

    HostLink& link_;
    UndoJournal journal_;
    bool failed_ = false;
};

}  // namespace

std::string IsoEllipseCommand(double cx, double cy, double r, double startAngle, double endAngle, double axisAngle) {
    const double major = std::sqrt(1.5) * r;
    const double minor = std::sqrt(0.5) * r;
    const double first = Radians(axisAngle);
    const double second = Radians(axisAngle + 90);
    return "_ellipse\r" + std::string("a\r") + "c\r" + NumberText(cx) + "," + NumberText(cy) + "\r" + "@" +
           NumberText(std::cos(first) * major) + "," + NumberText(std::sin(first) * major) + "\r" + "@" +
           NumberText(std::cos(second) * minor) + "," + NumberText(std::sin(second) * minor) + "\r" +
           NumberText(startAngle) + "\r" + NumberText(endAngle) + "\r";
}

double LargestBendDiameter(double bendRadius) { return 2 * bendRadius / std::sqrt(4.5); }

std::string BarNotBelowBendRadiusMessage() { return "丸棒直径より曲げ半径を大きくして下さい。"; }

std::string BarTooThickForBendMessage(double bendRadius) {
    return "丸棒直径は曲げ半径の 0.943 倍（" + NumberTextBelow(LargestBendDiameter(bendRadius)) +
           "）より小さくして下さい。";
}

std::string BendFailedMessage() {
    return "丸棒曲げの作図がＡｕｔｏＣＡＤで完了しなかったため、描いた分を元に戻しました。";
}

bool DrawRoundBarBend(HostLink& link, double px, double py, double bendRadius, double barRadius,
                      std::int32_t sideTurn) {
    // Each piece typed where it ends up, so no command has to find AutoCAD's last object.
    CheckedSteps steps(link);
    for (const std::vector<IsoEllipseArc>& arcs : RoundBarBendArcs(px, py, bendRadius, barRadius, sideTurn)) {
        std::vector<std::string> group;
        for (const IsoEllipseArc& arc : arcs)
            group.push_back(
                IsoEllipseCommand(arc.CentreX, arc.CentreY, arc.Radius, arc.StartAngle, arc.EndAngle, arc.AxisAngle));
        if (!steps.RunGroup(group, "_ellipse")) {
            steps.PutBack();
            return false;
        }
    }
    return true;
}

std::string OffsetHeightZeroMessage() { return "オフセットでは高さは０以外に設定して下さい。"; }

bool RunOffset(HostLink& link, const ProgramFiles& files, const PathText& pathText, int sign, double height,
               const std::string& direction, bool joinCorners, bool circleTangents) {
    // No offset file of an earlier command may stand in the way of this one's export,
    // and none stays after it, whichever way it ends.
    struct OffsetFile {
        const std::filesystem::path& path;
        void Remove() const {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        ~OffsetFile() { Remove(); }
    } offsetFile{files.offset};
    offsetFile.Remove();

    if (!link.RunHostCommand("select ")) return false;
    if (WasCommandCancelled(link, "select") || !HistoryShowsSelection(link)) return false;
    if (joinCorners) {
        UndoJournal journal(link);
        // What the put-back cannot type (the clipboard held) is told to be typed by hand.
        const auto stop = [&] {
            const bool typingFailed = link.TypingFailed();
            const std::vector<std::string> left = journal.PutBack();
            if (typingFailed || !left.empty()) link.ReportTypingFailed(left);
            return false;
        };
        if (!journal.FileDialogs(false)) return stop();
        const bool exported = ExportSelectionDxf(link, pathText(files.offset), "2000");
        if (!journal.FileDialogs(true) || !exported) return stop();
        // The user's Esc on the file dialogs' return would leave them off.
        if (journal.CancelledSince("filedia")) return stop();
    }
    std::string copy = "copy pre  0,0 @" + NumberText(sign * height) + "<" + direction + " ";
    // LT 2006 goes on asking for further copies until Enter.
    if (link.TargetVersion == "LT 2006" || link.TargetVersion == "2006") copy += " ";
    // From the copy on, every command is counted: the copy and the connectors stand or
    // go together, so that the user's Esc on any of them, or a stop, leaves no half
    // offset behind.
    link.CountCommands(true);
    bool drawn = link.RunHostCommand(copy);
    if (drawn && joinCorners) {
        const std::string layer = GetCurrentLayer(link);
        const bool joined = !link.TypingFailed() &&
                            DrawOffsetConnectors(link, files.offset, sign, height, direction, circleTangents);
        const bool restored = SetCurrentLayer(link, layer);
        drawn = joined && restored;
    }
    UndoJournal steps(link);
    steps.NoteSteps(link.CommandsCounted());
    link.CountCommands(false);
    if (drawn && !steps.CancelledSince("copy")) return true;
    const bool typingFailed = link.TypingFailed();
    const std::vector<std::string> left = steps.PutBack();
    if (typingFailed || !left.empty()) link.ReportTypingFailed(left);
    return false;
}

}  // namespace tessavue
