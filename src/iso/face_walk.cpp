#include "iso/face_walk.h"

#include <cmath>
#include <functional>

#include "dxf_data/number_text.h"
#include "iso/faces.h"

namespace tessavue {

bool MakesRaisedCopy(const HeightInputs& inputs) {
    return inputs.Height != 0 && inputs.FigureKind != "文字" && inputs.FigureKind != "寸法";
}

void ForEachHeightLineFoot(const EntityRecord& row, const HeightInputs& inputs,
                           const std::function<void(double, double)>& foot) {
    const FaceParameters* face = FaceRow(inputs.FaceCode);
    if (!face) return;
    // Where the turned outline runs parallel to the frame's Y axis, the direction the
    // height travels: the silhouette of the raised circle.
    const double t = Radians(face->Angle * -1);
    const double t2 = t + 3.141592653589793;
    if (row.Kind == 0) {
        foot(row.X1, row.Y1);
        foot(row.X2, row.Y2);
    } else if (row.Kind == 1 || row.Kind == 2) {
        for (double angle : {t, t2}) {
            if (ArcCoversAngle(row, angle, inputs.FigureKind, inputs.CircleHeightLines))
                foot(row.X1 + row.X2 * std::cos(angle), row.Y1 + row.X2 * std::sin(angle));
        }
    } else if (row.Kind == 3) {
        // centre + cos u * major + sin u * minor, turned by the face angle, runs
        // parallel to Y where the X of its derivative, -a sin u + b cos u, is 0.
        const double c = std::cos(Radians(face->Angle));
        const double s = std::sin(Radians(face->Angle));
        const double majorX = row.X2, majorY = row.Y2;
        const double minorX = -row.Ratio * row.Y2, minorY = row.Ratio * row.X2;
        const double a = c * majorX - s * majorY;
        const double b = c * minorX - s * minorY;
        const double u = std::atan2(b, a);
        for (double at : {u, u + 3.141592653589793}) {
            if (ArcCoversAngle(row, at, inputs.FigureKind, inputs.CircleHeightLines))
                foot(row.X1 + std::cos(at) * majorX + std::sin(at) * minorX,
                     row.Y1 + std::cos(at) * majorY + std::sin(at) * minorY);
        }
    }
}

void CollectHeightLinePoints(const EntityTableRows& table, const HeightInputs& inputs, HeightLinePoints& points) {
    points.Count = 0;
    for (const EntityRecord& row : table) {
        if (row.Kind == -1) break;
        ForEachHeightLineFoot(row, inputs, [&](double x, double y) { AddPointOnce(points, x, y, row.Layer); });
    }
}

SectionResult HeightLineRecords(const EntityTableRows& table, const HeightInputs& inputs, std::string& text) {
    const FaceParameters* face = FaceRow(inputs.FaceCode);
    if (!face || !MakesRaisedCopy(inputs) || !inputs.HeightLines) return {};
    HeightLinePoints points;
    CollectHeightLinePoints(table, inputs, points);
    const double lift = face->HeightFactor * inputs.Height;
    for (int i = 0; i < points.Count; ++i) {
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        RotateForFace(inputs.FaceCode, inputs.HeightSign, points.X[i], points.Y[i], 0, x0, y0);
        RotateForFace(inputs.FaceCode, inputs.HeightSign, points.X[i], points.Y[i], lift, x1, y1);
        if (!std::isfinite(x0) || !std::isfinite(y0)) {
            const double larger = std::fabs(points.X[i]) > std::fabs(points.Y[i]) ? points.X[i] : points.Y[i];
            return {SectionFault::OutOfRange, NumberText(larger)};
        }
        if (!std::isfinite(x1) || !std::isfinite(y1)) return {SectionFault::HeightOutOfRange, NumberText(inputs.Height)};
        text += LineRecord(points.Layer[i], x0, y0, x1, y1);
    }
    return {};
}

std::string HeightLineText(const EntityTableRows& table, const HeightInputs& inputs) {
    std::string text;
    if (!HeightLineRecords(table, inputs, text)) return "";
    return text;
}

}  // namespace tessavue
