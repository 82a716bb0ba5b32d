#include "iso/projection.h"

#include <cmath>

#include "iso/faces.h"

namespace tessavue {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kOneOver180 = 0.005555555555555556;
constexpr double kOneOverPi = 0.3183098861837907;
constexpr double kQuarterPi = 0.7853981633974483;
constexpr double kSixthPi = 0.5235987755982988;

}  // namespace

double Radians(double degrees) { return degrees * kOneOver180 * kPi; }

bool RotateForFace(std::int32_t faceCode, std::int32_t heightSign, double x, double y, double lift, double& X,
                   double& Y) {
    const FaceParameters* face = FaceRow(faceCode);
    if (!face) return false;
    const double c = std::cos(kQuarterPi);
    const double s = std::sin(kQuarterPi);
    const double k = std::sqrt(2.0);
    const double raise = k * (heightSign * lift);
    if (face->Angle > 0) {
        X = c * x - s * y;
        Y = (s * x + c * y) + raise;
    } else {
        X = c * x + s * y;
        Y = (c * y - s * x) + raise;
    }
    return true;
}

double PlanAngle(double dx, double dy) {
    if (dx == 0) return dy >= 0 ? 90 : 270;
    if (dy == 0) return dx >= 0 ? 0 : 180;
    const double a = std::atan(std::fabs(dy) / std::fabs(dx)) * kOneOverPi * 180;
    if (dx > 0 && dy > 0) return a;
    if (dx < 0 && dy > 0) return 180 - a;
    if (dx < 0 && dy < 0) return 180 + a;
    return 360 - a;
}

bool ArcCoversAngle(const EntityRecord& row, double angleRadians, const std::string& figureKind,
                    bool circleHeightLines) {
    if (figureKind == "既存図形" && !circleHeightLines) return false;
    double a = angleRadians * kOneOverPi * 180;
    if (a < 0) a += 360;
    if (row.Kind == 1) return true;
    // An ellipse row keeps its range of parameters where an arc keeps its angles.
    const double start = row.Kind == 3 ? row.StartParameter : row.Y2;
    const double end = row.EndAngle;
    if (start <= end) return start <= a && a <= end;
    return a >= start || a <= end;
}

bool AddPointOnce(HeightLinePoints& points, double x, double y, const std::string& layer) {
    for (int i = 0; i < points.Count; ++i) {
        if (points.X[i] == x && points.Y[i] == y && points.Layer[i] == layer) return false;
    }
    if (points.Count >= kHeightLinePoints) return false;
    points.X[points.Count] = x;
    points.Y[points.Count] = y;
    points.Layer[points.Count] = layer;
    ++points.Count;
    return true;
}

bool ProjectIsoDelta(std::int32_t faceCode, double dx, double dy, double& X, double& Y) {
    const double c = std::cos(kSixthPi);
    const double s = std::sin(kSixthPi);
    switch (faceCode) {
    case FaceTopLeft:
        X = c * (dx - dy);
        Y = s * (dx + dy);
        return true;
    case FaceTopRight:
        X = c * (dx + dy);
        Y = s * (dy - dx);
        return true;
    default:
        return false;
    }
}

std::string ListField(const std::string& list, int n) {
    if (n < 0) return "";
    std::size_t start = 0;  // the remainder is list[start..]
    for (int i = 0; i < n && start < list.size(); ++i) {
        const std::size_t comma = list.find(',', start);
        start = comma == std::string::npos ? list.size() : comma + 1;
    }
    const std::size_t comma = list.find(',', start);
    return list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
}

}  // namespace tessavue
