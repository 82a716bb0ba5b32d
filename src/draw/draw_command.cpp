#include "draw/draw_command.h"

#include "draw/two_face_figure.h"
#include <cmath>
#include <system_error>

#include "draw/figure_rewrite.h"
#include "draw/template_figure.h"
#include "draw/typed_figures.h"
#include "import/selection_export.h"
#include "host/busy_scope.h"
#include "host/host_frame.h"
#include "host/undo_journal.h"
#include "dxf_data/entity_table.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"
#include "iso/projection.h"

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

// Every kind works in the frame of the host: the world's UCS, a current layer that is
// on and thawed and, for the kinds that read points, AutoCAD's coordinates shown at
// full precision until the command ends. nullopt when the frame is open; otherwise how
// the command ends (the user was told why).
std::optional<DrawOutcome> OpenFrame(HostFrame& frame, bool readsPoints) {
    switch (frame.Open({.VisibleLayer = true, .FullPrecision = readsPoints})) {
        case FrameOutcome::Ready: return std::nullopt;
        case FrameOutcome::Refused: return DrawOutcome::Refused;
        case FrameOutcome::Ended: break;
    }
    return DrawOutcome::Cancelled;
}

// Whether the template kinds will ask for the template's point first.
bool TemplateMissing(const ProgramFiles& files) {
    std::error_code error;
    return !std::filesystem::exists(files.figureTemplate, error);
}

}  // namespace

std::string KindNotAvailableMessage(const std::string& kind) {
    return "「" + kind + "」の作図はまだ使えません。";
}

bool InsertFigureBlock(HostLink& link, const std::filesystem::path& figureFile, const std::string& figurePathText,
                       const std::string& blockName, double xScale, double yScale, std::int32_t rotation,
                       const std::optional<PlanPoint>& at, UndoJournal* journal) {
    FigureFileScope removeFile(figureFile);
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

namespace {

// The figure-file steps every kind of the general path ends with: the work file
// rewritten into the face's frame, inserted where the user picks, exploded, purged.
DrawOutcome DrawFigureFile(DrawCommand& command, const FaceParameters& face, const std::filesystem::path& workFile,
                           const FigureRewrite& rewrite, const EntityTableRows& table,
                           const std::optional<PlanPoint>& at = std::nullopt, UndoJournal* journal = nullptr) {
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

// 文字 and 寸法: what AutoCAD exported into the template goes back in about the base
// point, with no raised copy, and the insertion point typed as that same point.
DrawOutcome DrawAtBase(DrawCommand& command, const DrawRequest& request, const FaceParameters& face, double x,
                       double y, UndoJournal& journal) {
    EntityTableRows& table = EntityTable();
    ClearEntityTable(table);
    FigureRewrite rewrite = RewriteFor(request, 0);
    rewrite.BaseX = x;
    rewrite.BaseY = y;
    return DrawFigureFile(command, face, command.Files.figureTemplate, rewrite, table, PlanPoint{x, y}, &journal);
}

// The template made when there is none yet and filled with `figure`, the palette
// already busy. nullopt when it is ready; otherwise how the command ends.
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

    BusyScope busy(command.SetBusy);
    HostFrame frame(command.Link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, TemplateMissing(command.Files))) return *ended;
    if (const std::optional<DrawOutcome> ended = PrepareTemplate(command, figure)) return *ended;
    FigureRewrite rewrite = RewriteFor(request, height);
    // The figure stands about the origin of the template.
    rewrite.BaseX = 0;
    rewrite.BaseY = 0;
    return DrawFigureFile(command, face, command.Files.figureTemplate, rewrite, EntityTable());
}

}  // namespace

std::string NoOutlineMessage() { return "外形線が選択されていません。"; }
std::string VerticalCentreLineFacesMessage() {
    return "垂直な中心線が選択されてるので作図は「上左」「上右」のみです。";
}
std::string HorizontalCentreLineFacesMessage() { return "水平な中心線が選択されてるので作図は「左」「右」のみです。"; }
std::string EmptyAxisFigureMessage() {
    return "中心線の片側にある外形線がないため、作図できません。外形線は中心線の右側（水平な中心線では上側）を選択して下さい。";
}
std::string TwoFaceDirectionMessage() { return "２面選択ではこの方向は作図できません。"; }
std::string TwoFaceNothingSelectedMessage() { return "図形が選択されていません。"; }
std::string TwoFaceCountsDifferMessage() { return "選択した２つの図形の点の数が異なります。"; }
std::string TwoFaceOnePointMessage() { return "２面選択では点を２つ以上選択して下さい。"; }

namespace {

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

// The point a typed figure starts from, picked by the user in AutoCAD (brought to
// the front for it). False when the pick was cancelled or could not be typed (said).
bool PickStartPoint(HostLink& link, double& x, double& y) {
    link.desktop().SetForeground(link.HostMainWindow);
    if (PickPointInHost(link, x, y)) return true;
    if (link.TypingFailed()) link.ReportTypingFailed({});
    return false;
}

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

// 丸棒曲げ: both limits on the bar are checked before AutoCAD is touched.
DrawOutcome DrawBend(DrawCommand& command, const DrawRequest& request, const FaceParameters& face) {
    const std::optional<double> radius = ReadNumberField("曲げ半径", request.BendRadiusText, command.Messages);
    if (!radius) return DrawOutcome::Refused;
    const std::optional<double> diameter = ReadNumberField("丸棒直径", request.BarDiameterText, command.Messages);
    if (!diameter) return DrawOutcome::Refused;
    if (*diameter >= *radius) {
        command.Messages.ShowConfirmation(BarNotBelowBendRadiusMessage());
        return DrawOutcome::Refused;
    }
    // From this diameter on, the cap arcs would be scaled through zero.
    if (*diameter >= LargestBendDiameter(*radius)) {
        command.Messages.ShowConfirmation(BarTooThickForBendMessage(*radius));
        return DrawOutcome::Refused;
    }
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, true)) return *ended;
    double x = 0;
    double y = 0;
    if (!PickStartPoint(link, x, y)) return DrawOutcome::Cancelled;
    return DrawRoundBarBend(link, x, y, *radius, *diameter * 0.5, face.SideTurn) ? DrawOutcome::Drawn
                                                                                  : DrawOutcome::Cancelled;
}

// オフセット: a copy along the face's depth, joined at the corners with 高さ checked.
DrawOutcome DrawOffset(DrawCommand& command, const DrawRequest& request, const FaceParameters& face, double height) {
    if (height == 0) {
        command.Messages.ShowConfirmation(OffsetHeightZeroMessage());
        return DrawOutcome::Refused;
    }
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, false)) return *ended;
    const bool drawn = RunOffset(link, command.Files, command.PathToText, request.InvertHeightSign ? -1 : 1, height,
                                 face.OffsetDirection, request.HeightLines, request.CircleHeightLines);
    // A step that could not be typed is told, as for every kind.
    if (!drawn && link.TypingFailed() && !link.WaitsAbandoned()) link.ReportTypingFailed({});
    return drawn ? DrawOutcome::Drawn : DrawOutcome::Cancelled;
}

}  // namespace

std::string TextNotMadeMessage() {
    return "文字が作成されなかったため、作図を中止しました。図面は変更していません。";
}
std::string TextPointUnreadMessage() {
    return "文字の始点を読み取れなかったため、作図を中止しました。文字は平面のまま残しています。";
}

namespace {

// AutoCAD's listing of its last object ("list l  "): the history lines after the LIST
// echo; empty when it could not be had.
std::vector<std::string> LastObjectListing(HostLink& link) {
    if (!RunHostListing(link, "list l  ")) return {};
    const HostHistory history = CopyHostHistory(link);
    if (!history.finished) return {};
    std::size_t start = history.lines.size();
    while (start > 0 && history.lines[start - 1].find("list") == std::string::npos) --start;
    return {history.lines.begin() + static_cast<std::ptrdiff_t>(start), history.lines.end()};
}

// Whether a listing shows exactly one object, and that one under the name `kind`.
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

}  // namespace

std::string DimensionDirectionMessage(int degrees) {
    return "１点目から２点目への角度は " + std::to_string(degrees) +
           "°でした。これが 30°,150°,210°,330°或いは 90°,270°になるように指示して下さい。";
}
std::string DimensionFaceMessage(std::int32_t faceCode) {
    static const char* const fits[] = {"30°,210°", "150°,330°", "150°,330°或いは 90°,270°",
                                       "30°,210°或いは 90°,270°"};
    return std::string("この方向の面に沿う寸法は、１点目から２点目への角度が ") + fits[faceCode] +
           " のものです。そのように指示して下さい。";
}
std::string DimensionSamePointsMessage() { return "１点目と２点目が同じ点です。別々の点を指示して下さい。"; }
std::string DimensionNotMadeMessage() {
    return "寸法が作成されなかったため、作図を中止しました。図面は変更していません。";
}

namespace {

// Whether AutoCAD's last object is one dimension, as LIST shows it.
bool LastObjectIsDimension(HostLink& link) { return ListsOneObjectOfKind(LastObjectListing(link), "寸法"); }

// 寸法: three picks; the pair laid out along plan X (or plan Y for an upright pair) at
// its true length about its midpoint, so that the face carries it onto the line
// through the picked points; AutoCAD makes, explodes and turns the dimension, which is
// exported, erased and inserted at that midpoint.
DrawOutcome DrawDimension(DrawCommand& command, const DrawRequest& request, const FaceParameters& face) {
    const std::optional<double> offset = ReadNumberField("オフセット", request.DimensionOffsetText, command.Messages);
    if (!offset) return DrawOutcome::Refused;
    HostLink& link = command.Link;
    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, true)) return *ended;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
    if (!PickPointInHost(link, x1, y1) || !PickPointInHost(link, x2, y2) || !PickPointInHost(link, x3, y3)) {
        if (link.TypingFailed()) link.ReportTypingFailed({});
        return DrawOutcome::Cancelled;
    }
    // Two picks on one point have no direction.
    if (x1 == x2 && y1 == y2) {
        command.Messages.ShowConfirmation(DimensionSamePointsMessage());
        return DrawOutcome::Refused;
    }
    const int n = static_cast<int>(PlanAngle(x2 - x1, y2 - y1) + 0.1);
    const bool upright = n == 90 || n == 270;
    if (!upright && n != 30 && n != 150 && n != 210 && n != 330) {
        command.Messages.ShowConfirmation(DimensionDirectionMessage(n));
        return DrawOutcome::Refused;
    }
    // The face carries plan X to one direction and plan Y to another: only a pair along
    // one of them comes out along the picked points.
    const int axisX = static_cast<int>(std::lround(std::fmod(face.Code == 0 || face.Code == 3 ? 30.0 : 330.0, 180.0)));
    const bool fitsX = !upright && n % 180 == axisX;
    const bool fitsY = upright && (face.Code == 2 || face.Code == 3);
    if (!fitsX && !fitsY) {
        command.Messages.ShowConfirmation(DimensionFaceMessage(face.Code));
        return DrawOutcome::Refused;
    }
    const double mx = (x1 + x2) / 2;
    const double my = (y1 + y2) / 2;
    const double half = std::hypot(x2 - x1, y2 - y1) / 2;
    // The picks come back as AutoCAD shows them, rounded to the decimals it shows: a
    // third point snapped onto the line is on it when it is within two units of the
    // last decimal, not only when exactly there.
    const double kOnLine = 2 * std::pow(10.0, -frame.ShownDecimals());
    if (upright) {
        // Along plan Y: the third point only says on which side.
        x3 = x3 < mx - kOnLine ? mx - *offset : x3 > mx + kOnLine ? mx + *offset : mx;
        y3 = my;
        x1 = x2 = mx;
        y1 = my - half;
        y2 = my + half;
    } else {
        if (x2 < x1) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        const double t = y1 + (y2 - y1) / (x2 - x1) * (mx - x1);
        y3 = t < y3 - kOnLine ? my + *offset : t > y3 + kOnLine ? my - *offset : my;
        x3 = mx;
        x1 = mx - half;
        x2 = mx + half;
        y1 = y2 = my;
    }

    UndoJournal journal(link);
    const auto stop = [&](const std::string& message) {
        std::error_code ignored;
        std::filesystem::remove(command.Files.figureTemplate, ignored);
        const bool typingFailed = link.TypingFailed();
        const std::vector<std::string> left = journal.PutBack();
        if (typingFailed || !left.empty()) {
            command.Link.ReportTypingFailed(left);
        } else if (!message.empty() && !link.WaitsAbandoned()) {
            command.Messages.ShowConfirmation(message);
        }
        return DrawOutcome::Cancelled;
    };
    const auto at = [](double x, double y) { return NumberText(x) + "," + NumberText(y); };
    if (!journal.Run("_dimlinear " + at(x1, y1) + " " + at(x2, y2) + " " + at(x3, y3) + " ")) return stop("");
    // A dimension AutoCAD did not make would leave the user's last object to "select l".
    const bool made = LastObjectIsDimension(link);
    journal.NoteSteps(2);  // the listing and the history copy
    if (!made) return stop(DimensionNotMadeMessage());
    if (!journal.Run("select l  ") || !journal.Run("explode pre  ")) return stop("");
    const double bx = (x1 + x2) / 2;
    const double by = (y1 + y2) / 2;
    if (!journal.Run("rotate pre  " + at(bx, by) + " " + std::to_string(static_cast<int>(face.Angle)) + " "))
        return stop("");
    if (!journal.FileDialogs(false)) return stop("");
    std::error_code ignored;
    std::filesystem::remove(command.Files.figureTemplate, ignored);
    bool started = false;
    const bool exported = ExportSelectionDxf(link, command.PathToText(command.Files.figureTemplate), "", &started);
    if (started) journal.NoteSteps(1);
    if (!exported || !journal.FileDialogs(true)) return stop("");
    // The pieces are erased before the copy goes in; an insertion that fails is undone
    // with them and every step before, so no piece and no step is left.
    if (!journal.Run("erase pre  ")) return stop("");
    // The user's Esc on any step since the dimension was made would put a figure on
    // the face that is not the dimension's, or leave its pieces beside it.
    if (journal.CancelledSince("_dimlinear")) return stop("");
    const DrawOutcome drawn = DrawAtBase(command, request, face, bx, by, journal);
    if (drawn != DrawOutcome::Drawn) stop("");
    return drawn;
}

}  // namespace

DrawOutcome RunDrawCommand(DrawCommand& command, const DrawRequest& request) {
    HostLink& link = command.Link;
    if (!link.EnsureCaptured()) return DrawOutcome::NotCaptured;
    const FaceParameters* face = FaceRow(request.FaceCode);
    if (face == nullptr) return DrawOutcome::Refused;

    if (request.FigureKind == "２面選択") return DrawTwoFace(command, request);
    if (request.FigureKind == "既存軸") return DrawAxisFigure(command, request);
    if (request.FigureKind == "丸棒曲げ") return DrawBend(command, request, *face);
    if (request.FigureKind == "文字") return DrawText(command, request, *face);
    if (request.FigureKind == "寸法") return DrawDimension(command, request, *face);
    if (request.FigureKind != kExistingFigureKind && !IsTemplateKind(request.FigureKind) &&
        request.FigureKind != "オフセット") {
        command.Messages.ShowConfirmation(KindNotAvailableMessage(request.FigureKind));
        return DrawOutcome::Refused;
    }

    const std::optional<double> height = ReadNumberField("高さ", request.HeightText, command.Messages);
    if (!height) return DrawOutcome::Refused;
    if (request.FigureKind == "オフセット") return DrawOffset(command, request, *face, *height);
    if (IsTemplateKind(request.FigureKind)) return DrawTemplateFigure(command, request, *face, *height);

    const FigureRewrite rewrite = RewriteFor(request, *height);
    EntityTableRows& table = EntityTable();
    if (!PrepareExistingFigure(command.Files, rewrite, command.Messages, table)) return DrawOutcome::Refused;
    const std::filesystem::path workFile =
        ExistingFigureWorkFile(command.Files, request.FaceCode, request.ProjectAll);

    BusyScope busy(command.SetBusy);
    link.desktop().SetForeground(link.HostMainWindow);
    HostFrame frame(link);
    if (const std::optional<DrawOutcome> ended = OpenFrame(frame, false)) return *ended;
    return DrawFigureFile(command, *face, workFile, rewrite, table);
}

}  // namespace tessavue
