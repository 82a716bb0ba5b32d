#include "draw/two_face_figure.h"

#include "dxf_data/str_to_float.h"
#include "iso/projection.h"

namespace tessavue {

std::vector<Vec2> TwoFaceSteps(std::int32_t faceCode, const FacePointLists& top, const FacePointLists& front) {
    const int n = top.Count;
    const auto field = [](const std::string& list, int i) { return StrToFloat(ListField(list, i)); };
    std::vector<Vec2> steps;
    for (int i = 1; i <= n; ++i) {
        const int to = i % n;  // the last step closes the chain
        const int from = i - 1;
        double u = 0;
        double v = 0;
        ProjectIsoDelta(faceCode, field(top.X, to) - field(top.X, from), field(top.Y, to) - field(top.Y, from), u, v);
        const double dz = field(front.Y, to) - field(front.Y, from);
        steps.push_back({u, v + dz});
    }
    return steps;
}

}  // namespace tessavue
