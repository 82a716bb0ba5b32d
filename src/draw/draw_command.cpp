#include "draw/draw_command.h"

#include <optional>

#include "draw/figure_rewrite.h"
#include "draw/kind_steps.h"
#include "draw/template_figure.h"
#include "iso/faces.h"

namespace tessavue {

std::string KindNotAvailableMessage(const std::string& kind) {
    return "「" + kind + "」の作図はまだ使えません。";
}

DrawOutcome RunDrawCommand(DrawCommand& command, const DrawRequest& request) {
    HostLink& link = command.Link;
    if (!link.EnsureCaptured()) return DrawOutcome::NotCaptured;
    const FaceParameters* face = FaceRow(request.FaceCode);
    if (face == nullptr) return DrawOutcome::Refused;

    if (request.FigureKind == "２面選択") return kind_steps::DrawTwoFace(command, request);
    if (request.FigureKind == "既存軸") return kind_steps::DrawAxisFigure(command, request);
    if (request.FigureKind == "丸棒曲げ") return kind_steps::DrawBend(command, request, *face);
    if (request.FigureKind == "文字") return kind_steps::DrawText(command, request, *face);
    if (request.FigureKind == "寸法") return kind_steps::DrawDimension(command, request, *face);
    if (request.FigureKind != kExistingFigureKind && !IsTemplateKind(request.FigureKind) &&
        request.FigureKind != "オフセット") {
        command.Messages.ShowConfirmation(KindNotAvailableMessage(request.FigureKind));
        return DrawOutcome::Refused;
    }

    const std::optional<double> height = ReadNumberField("高さ", request.HeightText, command.Messages);
    if (!height) return DrawOutcome::Refused;
    if (request.FigureKind == "オフセット") return kind_steps::DrawOffset(command, request, *face, *height);
    if (IsTemplateKind(request.FigureKind)) return kind_steps::DrawTemplateFigure(command, request, *face, *height);
    return kind_steps::DrawExistingFigure(command, request, *face, *height);
}

}  // namespace tessavue
