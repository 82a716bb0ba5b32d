// 文字: a text on a face. The palette has AutoCAD write the text (TEXT, rotation as the
// user gives it), turns it about its start point by the face's angle, and inserts it
// there again with the face's scales; here the same, done on the text's numbers: the
// text comes out on the face with its width factor and oblique angle. No host here.
#pragma once

#include <optional>

#include "iso/affine_map.h"
#include "iso/faces.h"
#include "iso/world_figure.h"

namespace tessavue {

// The map that takes a plan text written at `start` onto the face: the turn about the
// start point, the move of the start to the block's base and the insertion there.
Affine2 TextOnFaceMap(const FaceParameters& face, Vec2 start);

// `text` as AutoCAD's TEXT wrote it in plan (its Insert the start point), on the face.
// nullopt when the text has no size (a height of 0 or less, or none a drawing holds).
std::optional<WorldText> TextOnFace(const FaceParameters& face, const WorldText& text);

}  // namespace tessavue
