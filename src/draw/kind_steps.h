// The draw command's steps, for the files of draw/ only: the steps every figure kind
// shares (the host's frame, the template, the figure file and its insertion, the
// start point, AutoCAD's listing of its last object), and one entry per kind that
// RunDrawCommand hands the press of a direction button to. Each kind's steps and the
// definitions of its messages are in a file of their own (`*_steps.cpp`).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "draw/draw_command.h"
#include "draw/figure_rewrite.h"
#include "draw/template_figure.h"
#include "dxf_data/entity_table.h"
#include "host/host_frame.h"
#include "host/host_link.h"
#include "host/undo_journal.h"
#include "import/work_files.h"
#include "iso/faces.h"

namespace tessavue::kind_steps {

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
std::optional<DrawOutcome> OpenFrame(HostFrame& frame, bool readsPoints);

// Whether the template kinds will ask for the template's point first.
bool TemplateMissing(const ProgramFiles& files);

// The figure-file steps every kind of the general path ends with: the work file
// rewritten into the face's frame, inserted where the user picks, exploded, purged.
DrawOutcome DrawFigureFile(DrawCommand& command, const FaceParameters& face, const std::filesystem::path& workFile,
                           const FigureRewrite& rewrite, const EntityTableRows& table,
                           const std::optional<PlanPoint>& at = std::nullopt, UndoJournal* journal = nullptr);

FigureRewrite RewriteFor(const DrawRequest& request, double height);

// 文字 and 寸法: what AutoCAD exported into the template goes back in about the base
// point, with no raised copy, and the insertion point typed as that same point.
DrawOutcome DrawAtBase(DrawCommand& command, const DrawRequest& request, const FaceParameters& face, double x,
                       double y, UndoJournal& journal);

// The template made when there is none yet and filled with `figure`, the palette
// already busy. nullopt when it is ready; otherwise how the command ends.
std::optional<DrawOutcome> PrepareTemplate(DrawCommand& command, const TemplateFigure& figure);

// The point a typed figure starts from, picked by the user in AutoCAD (brought to
// the front for it). False when the pick was cancelled or could not be typed (said).
bool PickStartPoint(HostLink& link, double& x, double& y);

// AutoCAD's listing of its last object ("list l  "): the history lines after the LIST
// echo; empty when it could not be had.
std::vector<std::string> LastObjectListing(HostLink& link);

// Whether a listing shows exactly one object, and that one under the name `kind`.
bool ListsOneObjectOfKind(const std::vector<std::string>& listing, const char* kind);

// One entry per kind, for RunDrawCommand once the face is known; the kinds that read
// 高さ are handed it read. Each kind's file says what its steps are.

// The existing figure (existing_figure_steps.cpp).
DrawOutcome DrawExistingFigure(DrawCommand& command, const DrawRequest& request, const FaceParameters& face,
                               double height);
// 円, 四角, 六角 (template_steps.cpp).
DrawOutcome DrawTemplateFigure(DrawCommand& command, const DrawRequest& request, const FaceParameters& face,
                               double height);
// 既存軸 (axis_steps.cpp).
DrawOutcome DrawAxisFigure(DrawCommand& command, const DrawRequest& request);
// ２面選択 (two_face_steps.cpp).
DrawOutcome DrawTwoFace(DrawCommand& command, const DrawRequest& request);
// 丸棒曲げ (bend_steps.cpp).
DrawOutcome DrawBend(DrawCommand& command, const DrawRequest& request, const FaceParameters& face);
// オフセット (offset_steps.cpp).
DrawOutcome DrawOffset(DrawCommand& command, const DrawRequest& request, const FaceParameters& face, double height);
// 文字 (text_steps.cpp).
DrawOutcome DrawText(DrawCommand& command, const DrawRequest& request, const FaceParameters& face);
// 寸法 (dimension_steps.cpp).
DrawOutcome DrawDimension(DrawCommand& command, const DrawRequest& request, const FaceParameters& face);

}  // namespace tessavue::kind_steps
