#include "draw/kind_steps.h"

#include <optional>
#include <string>

#include "host/busy_scope.h"

namespace tessavue::kind_steps {

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

}  // namespace tessavue::kind_steps
