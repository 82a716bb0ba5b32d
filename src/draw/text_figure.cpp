#include "draw/text_figure.h"

#include <cmath>
#include <numbers>

namespace tessavue {

Affine2 TextOnFaceMap(const FaceParameters& face, Vec2 start) {
    // The exported text is moved by the start point before it is inserted at that point,
    // so the turn is about the origin of the block.
    const double a = face.Angle * std::numbers::pi / 180;
    Affine2 turn;
    turn.A = std::cos(a);
    turn.B = -std::sin(a);
    turn.C = std::sin(a);
    turn.D = std::cos(a);
    Affine2 toBase;
    toBase.Tx = -start.X;
    toBase.Ty = -start.Y;
    return Compose(FigureInsertionMap(face, false, start), Compose(turn, toBase));
}

std::optional<WorldText> TextOnFace(const FaceParameters& face, const WorldText& text) {
    if (!(text.Height > 0) || !std::isfinite(text.Height)) return std::nullopt;
    return MapText(TextOnFaceMap(face, text.Insert), text);
}

}  // namespace tessavue
