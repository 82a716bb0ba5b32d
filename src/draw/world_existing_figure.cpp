#include "draw/world_existing_figure.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <tuple>

#include "iso/affine_map.h"
#include "iso/faces.h"

namespace tessavue {

namespace {

double DegreesToRadians(double degrees) { return degrees * std::numbers::pi / 180; }

// The pre-insertion frame of the face: the plan turned by the face angle, `lift`
// frame units along +Y (the height times sqrt(2) with its sign, as the palette writes it).
Affine2 FrameMap(const FaceParameters& face, double lift) {
    const double c = std::cos(std::numbers::pi / 4);
    const double s = std::sin(std::numbers::pi / 4) * (face.Angle > 0 ? 1 : -1);
    Affine2 m;
    m.A = c;
    m.B = -s;
    m.C = s;
    m.D = c;
    m.Ty = lift;
    return m;
}


}  // namespace

std::optional<WorldShape> MapRow(const Affine2& map, const EntityRecord& row) {
    const Vec2 first{row.X1, row.Y1};
    switch (row.Kind) {
        case 0:
            return MapLine(map, {first, {row.X2, row.Y2}});
        case 1: {
            std::optional<WorldEllipse> e = MapCircle(map, first, row.X2);
            if (e) return *e;
            return std::nullopt;
        }
        case 2: {
            std::optional<WorldEllipse> e = MapCircleArc(map, first, row.X2, row.Y2, row.EndAngle);
            if (e) return *e;
            return std::nullopt;
        }
        case 3: {
            WorldEllipse plan;
            plan.Centre = first;
            plan.MajorAxis = {row.X2, row.Y2};
            plan.Ratio = row.Ratio;
            plan.StartParam = DegreesToRadians(row.StartParameter);
            plan.EndParam = DegreesToRadians(row.EndAngle);
            std::optional<WorldEllipse> e = MapEllipse(map, plan);
            if (e) return *e;
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

WorldFigureResult ExistingFigureInWorld(const std::vector<EntityRecord>& rows, const HeightInputs& inputs, Vec2 at) {
    return ExistingFigureInWorld(rows, {}, inputs, at);
}

WorldFigureResult ExistingFigureInWorld(const std::vector<EntityRecord>& rows, const std::vector<WorldEntity>& shapes,
                                        const HeightInputs& inputs, Vec2 at) {
    WorldFigureResult result;
    const FaceParameters* face = FaceRow(inputs.FaceCode);
    if (!face) return result;
    const Affine2 insertion = FigureInsertionMap(*face, false, at);
    const double lift = std::sqrt(2.0) * (inputs.HeightSign * (face->HeightFactor * inputs.Height));
    const Affine2 bottom = Compose(insertion, FrameMap(*face, 0));
    const Affine2 top = Compose(insertion, FrameMap(*face, lift));

    const auto place = [&](const Affine2& map, bool countLeftOut) {
        for (const EntityRecord& row : rows) {
            std::optional<WorldShape> shape = MapRow(map, row);
            if (!shape) {
                if (countLeftOut) ++result.RowsLeftOut;
                continue;
            }
            result.Figure.Entities.push_back({row.Layer, 256, std::move(*shape)});
        }
        for (const WorldEntity& entity : shapes) {
            std::optional<WorldShape> shape = MapShape(map, entity.Shape);
            if (!shape) {
                if (countLeftOut) ++result.ShapesLeftOut;
                continue;
            }
            result.Figure.Entities.push_back({entity.Layer, entity.Colour, std::move(*shape)});
        }
    };
    place(bottom, true);
    if (!MakesRaisedCopy(inputs)) return result;
    place(top, false);
    if (!inputs.HeightLines) return result;
    std::set<std::tuple<double, double, std::string>> seen;
    for (const EntityRecord& row : rows) {
        ForEachHeightLineFoot(row, inputs, [&](double x, double y) {
            if (!seen.insert({x, y, row.Layer}).second) return;
            result.Figure.Entities.push_back(
                {row.Layer, 256, WorldLine{bottom.Point({x, y}), top.Point({x, y})}});
        });
    }
    return result;
}

}  // namespace tessavue
