#include "iso/faces.h"

#include <cmath>

namespace tessavue {

const FaceParameters* FaceRow(std::int32_t faceCode) {
    for (const FaceParameters& face : kFaceTable) {
        if (face.Code == faceCode) return &face;
    }
    return nullptr;
}

double MajorScale() { return std::sqrt(1.5); }
double MinorScale() { return std::sqrt(0.5); }

BlockInsertion InsertionFor(const FaceParameters& face, bool existingAxis) {
    if (!existingAxis) return {MajorScale(), MinorScale(), face.SideTurn};
    if (face.AxisScalesExchanged) return {MinorScale(), MajorScale(), face.AxisRotation};
    return {MajorScale(), MinorScale(), face.AxisRotation};
}

}  // namespace tessavue
