#include "draw/kind_steps.h"

#include <optional>
#include <string>
#include <vector>

#include "draw/two_face_figure.h"
#include "dxf_data/number_text.h"
#include "host/busy_scope.h"

namespace tessavue {

std::string TwoFaceDirectionMessage() { return "２面選択ではこの方向は作図できません。"; }
std::string TwoFaceNothingSelectedMessage() { return "図形が選択されていません。"; }
std::string TwoFaceCountsDifferMessage() { return "選択した２つの図形の点の数が異なります。"; }
std::string TwoFaceOnePointMessage() { return "２面選択では点を２つ以上選択して下さい。"; }

namespace kind_steps {

// ２面選択: a closed chain of lines from a picked point, each top-view step projected
// onto the top face and raised by the front view's step.
DrawOutcome DrawTwoFace(DrawCommand& command, const DrawRequest& request) {
    if (request.FaceCode != 0 && request.FaceCode != 1) {
        command.Messages.ShowConfirmation(TwoFaceDirectionMessage());
        return DrawOutcome::Refused;
    }
    const int n = request.TopFace.Count;
    if (n == 0) {
        command.Messages.ShowConfirmation(TwoFaceNothingSelectedMessage());
        return DrawOutcome::Refused;
    }
    if (n != request.FrontFace.Count) {
        command.Messages.ShowConfirmation(TwoFaceCountsDifferMessage());
        return DrawOutcome::Refused;
    }
    // One point makes no chain, only a line of no length.
    if (n == 1) {
        command.Messages.ShowConfirmation(TwoFaceOnePointMessage());
        return DrawOutcome::Refused;
    }
    std::vector<std::string> segments;
    for (const Vec2& step : TwoFaceSteps(request.FaceCode, request.TopFace, request.FrontFace))
        segments.push_back("@" + NumberText(step.X) + "," + NumberText(step.Y) + " ");

    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, true)) return *ended;
    double x = 0;
    double y = 0;
    if (!PickStartPoint(link, x, y)) return DrawOutcome::Cancelled;
    // The chain is one line command typed as one input: the segments never reach the
    // idle prompt (were the line cancelled, the Enter that ends it would start another
    // line and wait for the user). A chain the user cancelled is undone, so no half
    // chain stays.
    UndoJournal journal(link);
    const auto stop = [&] {
        const bool typingFailed = link.TypingFailed();
        const std::vector<std::string> left = journal.PutBack();
        if (typingFailed || !left.empty()) link.ReportTypingFailed(left);
        return DrawOutcome::Cancelled;
    };
    std::string chain = "line @ ";
    for (const std::string& segment : segments) chain += segment;
    if (!journal.Run(chain + " ")) return stop();
    if (journal.CancelledSince("line")) return stop();
    return DrawOutcome::Drawn;
}

}  // namespace kind_steps
}  // namespace tessavue
