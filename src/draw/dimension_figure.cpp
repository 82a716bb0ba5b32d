#include "draw/dimension_figure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <utility>

#include "iso/affine_map.h"
#include "iso/projection.h"

namespace tessavue {

DimensionLayout LayDimensionOut(const FaceParameters& face, Vec2 p1, Vec2 p2, Vec2 p3, double offset,
                                double onLineSlack) {
    DimensionLayout layout;
    double x1 = p1.X, y1 = p1.Y, x2 = p2.X, y2 = p2.Y, x3 = p3.X, y3 = p3.Y;
    // Two picks on one point have no direction.
    if (x1 == x2 && y1 == y2) {
        layout.Refusal = DimensionRefusal::SamePoints;
        return layout;
    }
    const int n = static_cast<int>(PlanAngle(x2 - x1, y2 - y1) + 0.1);
    layout.Degrees = n;
    const bool upright = n == 90 || n == 270;
    layout.Upright = upright;
    if (!upright && n != 30 && n != 150 && n != 210 && n != 330) {
        layout.Refusal = DimensionRefusal::Direction;
        return layout;
    }
    // The face carries plan X to one direction and plan Y to another: only a pair along
    // one of them comes out along the picked points.
    const int axisX = static_cast<int>(std::lround(std::fmod(face.Code == 0 || face.Code == 3 ? 30.0 : 330.0, 180.0)));
    const bool fitsX = !upright && n % 180 == axisX;
    const bool fitsY = upright && (face.Code == 2 || face.Code == 3);
    if (!fitsX && !fitsY) {
        layout.Refusal = DimensionRefusal::Face;
        return layout;
    }
    const double mx = (x1 + x2) / 2;
    const double my = (y1 + y2) / 2;
    const double half = std::hypot(x2 - x1, y2 - y1) / 2;
    if (upright) {
        // Along plan Y: the third point only says on which side.
        x3 = x3 < mx - onLineSlack ? mx - offset : x3 > mx + onLineSlack ? mx + offset : mx;
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
        y3 = t < y3 - onLineSlack ? my + offset : t > y3 + onLineSlack ? my - offset : my;
        x3 = mx;
        x1 = mx - half;
        x2 = mx + half;
        y1 = y2 = my;
    }
    layout.First = {x1, y1};
    layout.Second = {x2, y2};
    layout.LinePoint = {x3, y3};
    layout.Middle = {mx, my};
    return layout;
}

double TypedOnLineSlack(Vec2 p1, Vec2 p2, Vec2 p3) {
    return 1e-9 * std::max({1.0, std::abs(p1.X), std::abs(p1.Y), std::abs(p2.X), std::abs(p2.Y), std::abs(p3.X),
                            std::abs(p3.Y)});
}

std::string DimensionValueText(double length, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(decimals, 0, 8), length);
    return buffer;
}

std::vector<WorldEntity> DimensionPlanPieces(const DimensionLayout& layout, int decimals, const std::string& layer) {
    const Vec2 a = layout.First;
    const Vec2 b = layout.Second;
    const Vec2 at = layout.LinePoint;
    // Measured across when the line's point lies beside the pair and level with it, or
    // the pair stands upright; along X otherwise.
    const bool beside = at.X < std::min(a.X, b.X) || at.X > std::max(a.X, b.X);
    const bool between = at.Y >= std::min(a.Y, b.Y) && at.Y <= std::max(a.Y, b.Y);
    const bool vertical = a.X == b.X || (beside && between);
    const Vec2 d1 = vertical ? Vec2{at.X, a.Y} : Vec2{a.X, at.Y};
    const Vec2 d2 = vertical ? Vec2{at.X, b.Y} : Vec2{b.X, at.Y};
    const double length = vertical ? std::abs(b.Y - a.Y) : std::abs(b.X - a.X);

    std::vector<WorldEntity> pieces;
    const auto line = [&](Vec2 p, Vec2 q) { pieces.push_back({layer, 256, WorldLine{p, q}}); };
    line(d1, d2);
    for (const auto& [measured, foot] : {std::pair{a, d1}, std::pair{b, d2}}) {
        if (measured.X != foot.X || measured.Y != foot.Y) line(measured, foot);
    }
    const double span = std::hypot(d2.X - d1.X, d2.Y - d1.Y);
    const Vec2 u = span > 0 ? Vec2{(d2.X - d1.X) / span, (d2.Y - d1.Y) / span} : Vec2{1, 0};
    const Vec2 n{-u.Y, u.X};
    // Arrowheads pointing out at each end, a sixth of their length wide either side.
    for (const auto& [tip, inward] : {std::pair{d1, 1.0}, std::pair{d2, -1.0}}) {
        const Vec2 base{tip.X + inward * kDimensionArrowLength * u.X, tip.Y + inward * kDimensionArrowLength * u.Y};
        const double w = kDimensionArrowLength / 6;
        const Vec2 left{base.X + w * n.X, base.Y + w * n.Y};
        const Vec2 right{base.X - w * n.X, base.Y - w * n.Y};
        WorldSolid solid;
        solid.Corners[0] = tip;
        solid.Corners[1] = left;
        solid.Corners[2] = right;
        solid.Corners[3] = right;
        pieces.push_back({layer, 256, solid});
    }
    // The value centred on its baseline half a height above the middle of the line: a
    // reader places it from the align point by its own glyphs. The start point is a
    // guess (0.8 of the height a character) for readers that place texts by it alone.
    WorldText value;
    value.Text = DimensionValueText(length, decimals);
    value.Height = kDimensionTextHeight;
    value.RotationDeg = std::atan2(u.Y, u.X) * 180 / std::numbers::pi;
    const Vec2 middle{(d1.X + d2.X) / 2, (d1.Y + d2.Y) / 2};
    const double lift = kDimensionTextHeight / 2;
    const double width = kDimensionTextHeight * 0.8 * static_cast<double>(value.Text.size());
    value.AlignPoint = {middle.X + lift * n.X, middle.Y + lift * n.Y};
    value.Insert = {value.AlignPoint.X - width / 2 * u.X, value.AlignPoint.Y - width / 2 * u.Y};
    value.HorizontalAlign = 1;  // centred
    value.VerticalAlign = 0;    // on the baseline
    pieces.push_back({layer, 256, value});
    return pieces;
}

std::vector<WorldEntity> DimensionOnFace(const FaceParameters& face, const DimensionLayout& layout, int decimals,
                                         const std::string& layer) {
    // Turned by the face angle about the midpoint and exported about it, then inserted
    // there with the face's scales.
    Affine2 toMiddle;
    toMiddle.Tx = -layout.Middle.X;
    toMiddle.Ty = -layout.Middle.Y;
    const Affine2 map = Compose(FigureInsertionMap(face, false, layout.Middle),
                                Compose(InsertionMap({0, 0}, 1, 1, face.Angle), toMiddle));
    std::vector<WorldEntity> placed;
    for (const WorldEntity& piece : DimensionPlanPieces(layout, decimals, layer)) {
        // The map keeps every piece (it neither flattens nor mirrors).
        if (std::optional<WorldShape> shape = MapShape(map, piece.Shape))
            placed.push_back({piece.Layer, piece.Colour, std::move(*shape)});
    }
    return placed;
}

}  // namespace tessavue
