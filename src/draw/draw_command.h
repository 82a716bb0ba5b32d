// The draw command behind the four direction buttons: the palette's inputs checked,
// the figure written in the face's pre-insertion frame, inserted into AutoCAD as a
// block at a point the user picks, exploded and the block purged. The existing figure,
// the figures typed in as numbers (円, 四角, 六角), the turned part (既存軸), and the
// kinds typed straight into AutoCAD (２面選択, 丸棒曲げ, オフセット), a text written with
// AutoCAD's own command (文字) and a dimension AutoCAD makes (寸法) are all drawn.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "host/history_queries.h"
#include "host/host_link.h"
#include "host/palette.h"
#include "host/undo_journal.h"
#include "import/listed_selection.h"
#include "import/selection_command.h"
#include "import/work_files.h"
#include "iso/dxf_writer.h"

namespace tessavue {

// What one press of a direction button reads from the palette.
struct DrawRequest {
    std::int32_t FaceCode = 0;
    std::string FigureKind;     // the figure-kind selector's text
    std::string HeightText;     // the 高さ field as typed
    bool InvertHeightSign = false;  // "高さ符号反転"
    bool HeightLines = true;        // the 高さ check box
    bool CircleHeightLines = true;  // "円、円弧の高さの線"
    bool ProjectAll = false;        // "全て投影"
    PlanPoint SelectionBase;        // picked by the last selection
    // The figures typed in as numbers, as the edits hold them.
    std::string DiameterText = "10";     // 円: 直径 (Edit2)
    std::string YSideText = "10";        // 四角: Ｙ (Edit3)
    std::string XSideText = "10";        // 四角: Ｘ (Edit4)
    std::string AcrossFlatsText = "10";  // 六角: 対辺 (Edit5)
    bool HexagonVertical = true;         // 六角: "縦" (RadioButton1), else "横"
    // 既存軸: the centre line and the outline of the last selections, if any.
    std::optional<ListedLine> AxisCentre;
    std::optional<std::vector<ListedLine>> AxisOutline;
    // ２面選択: the points picked in the top view and in the front view.
    FacePointLists TopFace;
    FacePointLists FrontFace;
    // 丸棒曲げ: as the edits hold them.
    std::string BendRadiusText = "20";   // 曲げ半径 (Edit7)
    std::string BarDiameterText = "10";  // 丸棒直径 (Edit8)
    // 寸法: the distance of the dimension line from the measured points (Edit6).
    std::string DimensionOffsetText = "10";
};

struct DrawCommand {
    HostLink& Link;
    MessageSink& Messages;
    const ProgramFiles& Files;
    PathText PathToText;
    std::function<void(bool)> SetBusy;
    LocalClock Clock = CurrentLocalTime;
};

// The message for a figure kind whose drawing is not built yet.
std::string KindNotAvailableMessage(const std::string& kind);

// The refusals of 既存軸 and ２面選択, shown before AutoCAD is touched.
std::string NoOutlineMessage();
std::string VerticalCentreLineFacesMessage();
std::string HorizontalCentreLineFacesMessage();
std::string EmptyAxisFigureMessage();
std::string TwoFaceDirectionMessage();
std::string TwoFaceNothingSelectedMessage();
std::string TwoFaceCountsDifferMessage();
std::string TwoFaceOnePointMessage();
std::string TextNotMadeMessage();
std::string TextPointUnreadMessage();
std::string DimensionDirectionMessage(int degrees);
std::string DimensionFaceMessage(std::int32_t faceCode);
std::string DimensionSamePointsMessage();
std::string DimensionNotMadeMessage();

enum class DrawOutcome {
    NotCaptured,  // the capture failed and told the user
    Refused,      // an input check failed and told the user; AutoCAD was not touched
    Cancelled,    // the insertion was cancelled, its wait abandoned, or a step could not be
                  // typed (the user was told what is left)
    Drawn,
};

// `Button2Click` for the face `request.FaceCode`.
DrawOutcome RunDrawCommand(DrawCommand& command, const DrawRequest& request);

// Inserts `figureFile` as the block `blockName` with the given scales and rotation
// at `at`, or at a point the user picks when there is none; explodes the block and
// purges its definition. The figure file is deleted on every path. True when the
// figure was inserted. A step that cannot be typed ends it with a message that says
// what is left to type by hand.
// With a journal (a command that changed the drawing before it inserts), every step
// of the insertion is noted in it, and an insertion that fails is left to the
// journal's put-back, which undoes it with the rest, and says nothing itself.
bool InsertFigureBlock(HostLink& link, const std::filesystem::path& figureFile, const std::string& figurePathText,
                       const std::string& blockName, double xScale, double yScale, std::int32_t rotation,
                       const std::optional<PlanPoint>& at = std::nullopt, UndoJournal* journal = nullptr);

}  // namespace tessavue
