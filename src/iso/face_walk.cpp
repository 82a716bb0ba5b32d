#include "iso/face_walk.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"

namespace tessavue {
namespace {

// New value lines, applied only once the whole section has been read without fault.
using Changes = std::vector<std::pair<std::size_t, std::string>>;

void Apply(DxfLines& lines, Changes& changes) {
    for (auto& [index, text] : changes) lines[index] = std::move(text);
}

// Which entities of the walk keep their points in object coordinates mirrored
// against the world's (extrusion 0,0,-1): circles, arcs and polylines, a POLYLINE's
// vertices with it. Lines, points and the rest keep world coordinates whatever
// their extrusion.
class ObjectCoordinates {
public:
    // Called at each "  0" group; `kindLine` is the line of the kind's name.
    void Enter(const DxfLines& lines, std::size_t kindLine) {
        const std::string& kind = lines[kindLine];
        if (kind == "VERTEX") {
            mirrored_ = polyline_;
            return;
        }
        if (kind == "SEQEND") return;  // closes the polyline; holds no point
        const bool planar = kind == "CIRCLE" || kind == "ARC" || kind == "LWPOLYLINE" || kind == "POLYLINE";
        mirrored_ = planar && ExtrudedDown(lines, kindLine);
        polyline_ = kind == "POLYLINE" && mirrored_;
    }
    bool Mirrored() const { return mirrored_; }

private:
    bool mirrored_ = false;
    bool polyline_ = false;
};

}  // namespace

namespace {

// Whether `yCode` is the Y group of the X group `xCode` (" 20" of " 10", " 21" of " 11").
bool IsYOf(const std::string& xCode, const std::string& yCode) {
    return IsYCodeLine(yCode) && yCode[2] == xCode[2];
}

}  // namespace

bool MakesRaisedCopy(const HeightInputs& inputs) {
    return inputs.Height != 0 && inputs.FigureKind != "文字" && inputs.FigureKind != "寸法";
}

SectionResult TurnEntitiesToFace(DxfLines& lines, std::int32_t faceCode, double baseX, double baseY) {
    const FaceParameters* face = FaceRow(faceCode);
    EntitiesSection section;
    if (SectionResult found = FindEntitiesSection(lines, section); !found) return found;
    if (!face) return {};

    Changes changes;
    bool inArc = false;
    ObjectCoordinates frame;
    double x = 0;                // the X of the point whose Y comes next,
    std::size_t xValueLine = 0;  // and where its turned X goes (0: none pending)
    // Group code and value pairs; the entity's kind is the value of its "  0".
    for (std::size_t code = section.Entities + 1; code + 1 < section.Endsec; code += 2) {
        const std::string& group = lines[code];
        const std::string& value = lines[code + 1];
        // An X whose Y does not follow it (a 10 needs its 20, not a 21): its point
        // would be half turned.
        if (xValueLine != 0 && !IsYOf(lines[xValueLine - 1], group)) return {SectionFault::LoneX, lines[xValueLine]};
        if (IsGroupCode(group, "0")) {
            inArc = value == std::string_view("ARC");
            frame.Enter(lines, code + 1);
            xValueLine = 0;
        } else if (IsXCodeLine(group)) {
            const std::optional<double> read = TryStrToFloat(value);
            if (!read) return {SectionFault::BadCoordinate, value};
            // Turned in the world, about the base point; object X is the world's negated.
            x = (frame.Mirrored() ? -*read : *read) - baseX;
            xValueLine = code + 1;
        } else if (IsYCodeLine(group)) {
            const std::optional<double> y = TryStrToFloat(value);
            if (!y) return {SectionFault::BadCoordinate, value};
            // AutoCAD writes a point's X pair right before its Y pair; a Y alone is damage.
            if (xValueLine == 0 || xValueLine + 1 != code) return {SectionFault::LoneY, value};
            const double dy = *y - baseY;
            // hypot, not the root of the squares: a coordinate of 1e200 is a point like
            // any other, while its square is no number.
            const double r = std::hypot(x, dy);
            const double a = PlanAngle(x, dy);
            const double turned = Radians(a + face->Angle);
            const double turnedX = std::cos(turned) * r;
            const double turnedY = std::sin(turned) * r;
            // Only a point within a few units of the largest double can leave the range
            // (the turn lengthens no coordinate by more than the root of two).
            if (!std::isfinite(turnedX) || !std::isfinite(turnedY) || !std::isfinite(x))
                return {SectionFault::OutOfRange, std::fabs(x) > std::fabs(dy) ? lines[xValueLine] : value};
            changes.emplace_back(xValueLine, NumberText(frame.Mirrored() ? -turnedX : turnedX));
            changes.emplace_back(code + 1, NumberText(turnedY));
            xValueLine = 0;
        } else if (inArc && (group == std::string_view(" 50") || group == std::string_view(" 51"))) {
            const std::optional<double> angle = TryStrToFloat(value);
            if (!angle) return {SectionFault::BadCoordinate, value};
            if (!std::isfinite(*angle + face->Angle)) return {SectionFault::OutOfRange, value};
            // An object angle a is the world's 180 - a: a world turn by F is a turn by -F.
            changes.emplace_back(code + 1, NumberText(frame.Mirrored() ? *angle - face->Angle : *angle + face->Angle));
        }
    }
    if (xValueLine != 0) return {SectionFault::LoneX, lines[xValueLine]};
    Apply(lines, changes);
    return {};
}

SectionResult MoveEntitiesToBase(DxfLines& lines, double baseX, double baseY) {
    EntitiesSection section;
    if (SectionResult found = FindEntitiesSection(lines, section); !found) return found;
    Changes changes;
    ObjectCoordinates frame;
    std::size_t xValueLine = 0;  // the value line of an X whose Y comes next (0: none)
    for (std::size_t code = section.Entities + 1; code + 1 < section.Endsec; code += 2) {
        // The points move whole, as the turn takes them: an X pair right before its Y
        // pair. A half moved point would read as another outline.
        const bool isY = IsYCodeLine(lines[code]);
        if (xValueLine != 0 && !IsYOf(lines[xValueLine - 1], lines[code])) return {SectionFault::LoneX, lines[xValueLine]};
        if (IsGroupCode(lines[code], "0")) {
            frame.Enter(lines, code + 1);
            continue;
        }
        const bool isX = IsXCodeLine(lines[code]);
        if (!isX && !isY) continue;
        const std::string& value = lines[code + 1];
        const std::optional<double> v = TryStrToFloat(value);
        if (!v) return {SectionFault::BadCoordinate, value};
        if (isY && (xValueLine == 0 || xValueLine + 1 != code)) return {SectionFault::LoneY, value};
        xValueLine = isX ? code + 1 : 0;
        // Object X runs against the world's: moving the world by -baseX moves it by +baseX.
        const double shift = isX ? (frame.Mirrored() ? -baseX : baseX) : baseY;
        const double moved = *v - shift;
        if (!std::isfinite(moved)) return {SectionFault::OutOfRange, value};
        changes.emplace_back(code + 1, NumberText(moved));
    }
    if (xValueLine != 0) return {SectionFault::LoneX, lines[xValueLine]};
    Apply(lines, changes);
    return {};
}

SectionResult CopyEntitiesToHeight(DxfLines& lines, const HeightInputs& inputs) {
    const FaceParameters* face = FaceRow(inputs.FaceCode);
    if (!face || !MakesRaisedCopy(inputs)) {
        EntitiesSection section;
        return FindEntitiesSection(lines, section);
    }
    const double raise = std::sqrt(2.0) * (face->HeightFactor * inputs.HeightSign * inputs.Height);
    // A height near the largest double has no lift at all: the copy would stand at
    // infinity, whatever the plan's points.
    if (!std::isfinite(raise)) {
        EntitiesSection section;
        if (SectionResult found = FindEntitiesSection(lines, section); !found) return found;
        return {SectionFault::HeightOutOfRange, NumberText(inputs.Height)};
    }
    return AppendRaisedCopy(lines, raise);
}

void CollectHeightLinePoints(const EntityTableRows& table, const HeightInputs& inputs, HeightLinePoints& points) {
    points.Count = 0;
    const FaceParameters* face = FaceRow(inputs.FaceCode);
    if (!face) return;
    // Where the turned outline runs parallel to the frame's Y axis, the direction the
    // height travels: the silhouette of the raised circle.
    const double t = Radians(face->Angle * -1);
    const double t2 = t + 3.141592653589793;
    for (const EntityRecord& row : table) {
        if (row.Kind == -1) break;
        if (row.Kind == 0) {
            AddPointOnce(points, row.X1, row.Y1, row.Layer);
            AddPointOnce(points, row.X2, row.Y2, row.Layer);
        } else if (row.Kind == 1 || row.Kind == 2) {
            for (double angle : {t, t2}) {
                if (ArcCoversAngle(row, angle, inputs.FigureKind, inputs.CircleHeightLines))
                    AddPointOnce(points, row.X1 + row.X2 * std::cos(angle), row.Y1 + row.X2 * std::sin(angle),
                                 row.Layer);
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
                    AddPointOnce(points, row.X1 + std::cos(at) * majorX + std::sin(at) * minorX,
                                 row.Y1 + std::cos(at) * majorY + std::sin(at) * minorY, row.Layer);
            }
        }
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

SectionResult AddHeightLines(DxfLines& lines, const EntityTableRows& table, const HeightInputs& inputs) {
    EntitiesSection section;
    if (SectionResult found = FindEntitiesSection(lines, section); !found) return found;
    std::string text;
    if (SectionResult made = HeightLineRecords(table, inputs, text); !made) return made;
    return InsertAtSectionEnd(lines, text);
}

}  // namespace tessavue
