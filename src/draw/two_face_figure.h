// What the two-face drawing (２面選択) is, without AutoCAD: the steps of its closed
// chain of lines, each top-view step projected onto the top face and raised by the
// front view's step. The palette types them as relative points from a picked point;
// tessavue-iso draws the lines.
#pragma once

#include <cstdint>
#include <vector>

#include "import/listed_selection.h"
#include "iso/world_figure.h"

namespace tessavue {

// One step a point, the last back to the first. Top faces only (codes 0 and 1);
// the lists hold as many points each, two or more.
std::vector<Vec2> TwoFaceSteps(std::int32_t faceCode, const FacePointLists& top, const FacePointLists& front);

}  // namespace tessavue
