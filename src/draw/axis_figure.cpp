#include "draw/axis_figure.h"

#include "draw/draw_command.h"
#include "import/listed_selection.h"
#include "iso/affine_map.h"

namespace tessavue {

std::string NoOutlineMessage() { return "外形線が選択されていません。"; }
std::string VerticalCentreLineFacesMessage() {
    return "垂直な中心線が選択されてるので作図は「上左」「上右」のみです。";
}
std::string HorizontalCentreLineFacesMessage() { return "水平な中心線が選択されてるので作図は「左」「右」のみです。"; }
std::string EmptyAxisFigureMessage() {
    return "中心線の片側にある外形線がないため、作図できません。外形線は中心線の右側（水平な中心線では上側）を選択して下さい。";
}


AxisFigureFault CheckAxisFigure(std::int32_t faceCode, const std::optional<AxisLine>& centre,
                                const std::optional<std::vector<EntityRecord>>& outline) {
    if (!centre) return AxisFigureFault::NoCentreLine;
    if (!outline) return AxisFigureFault::NoOutline;
    const bool topFace = faceCode == 0 || faceCode == 1;
    if (centre->X1 == centre->X2 && !topFace) return AxisFigureFault::VerticalOnSideFace;
    if (centre->X1 != centre->X2 && centre->Y1 == centre->Y2 && topFace) return AxisFigureFault::HorizontalOnTopFace;
    // A block that draws nothing is no figure.
    if (AxisFigureRows(faceCode, *centre, outline->data(), outline->size()).empty()) return AxisFigureFault::Empty;
    return AxisFigureFault::None;
}

std::string AxisFigureFaultMessage(AxisFigureFault fault) {
    switch (fault) {
        case AxisFigureFault::None: return "";
        case AxisFigureFault::NoCentreLine: return NoCentreLineMessage();
        case AxisFigureFault::NoOutline: return NoOutlineMessage();
        case AxisFigureFault::VerticalOnSideFace: return VerticalCentreLineFacesMessage();
        case AxisFigureFault::HorizontalOnTopFace: return HorizontalCentreLineFacesMessage();
        case AxisFigureFault::Empty: return EmptyAxisFigureMessage();
    }
    return "";
}

WorldFigure AxisFigureInWorld(const FaceParameters& face, const AxisLine& centre,
                              const std::vector<EntityRecord>& outline, Vec2 at, const std::string& layer) {
    const Affine2 map = FigureInsertionMap(face, true, at);
    WorldFigure figure;
    for (const EntityRecord& row : AxisFigureRows(face.Code, centre, outline.data(), outline.size())) {
        if (row.Kind == 1) {
            if (const std::optional<WorldEllipse> ellipse = MapCircle(map, {row.X1, row.Y1}, row.X2))
                figure.Entities.push_back({layer, 256, *ellipse});
        } else {
            figure.Entities.push_back({layer, 256, MapLine(map, WorldLine{{row.X1, row.Y1}, {row.X2, row.Y2}})});
        }
    }
    return figure;
}

}  // namespace tessavue
