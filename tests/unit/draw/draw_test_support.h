// Reading a figure file back the way AutoCAD would show it: the entities of its
// ENTITIES section, and the insertion (scales and side turn) that carries the
// pre-insertion frame onto the drawing.
#pragma once

#include <cmath>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "dxf_data/dxf_lines.h"
#include "iso/dxf_writer.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"

namespace tessavue::testing {

struct Vec {
    double x = 0;
    double y = 0;
};

// One entity of the section: its kind and its group values (the first of each code).
struct FigureEntity {
    std::string Kind;
    std::map<std::string, std::string> Groups;
    double Number(const std::string& code) const { return StrToFloat(Groups.at(code)); }
    Vec Point(const std::string& xCode, const std::string& yCode) const { return {Number(xCode), Number(yCode)}; }
};

inline std::vector<FigureEntity> SectionEntities(const DxfLines& lines) {
    std::vector<FigureEntity> entities;
    EntitiesSection section;
    if (!FindEntitiesSection(lines, section)) return entities;
    for (std::size_t code = section.Entities + 1; code + 1 < section.Endsec; code += 2) {
        if (lines[code] == "  0") {
            entities.push_back({lines[code + 1], {}});
        } else if (!entities.empty()) {
            entities.back().Groups.emplace(lines[code], lines[code + 1]);
        }
    }
    return entities;
}

// Where a pre-insertion point lands in the drawing when the figure is inserted at
// the origin with the face's scales and rotation.
inline Vec Inserted(std::int32_t faceCode, Vec p) {
    const FaceParameters& face = *FaceRow(faceCode);
    const BlockInsertion insertion = InsertionFor(face, false);
    const double x = p.x * insertion.XScale;
    const double y = p.y * insertion.YScale;
    const double turn = insertion.Rotation * 3.141592653589793 / 180;
    return {x * std::cos(turn) - y * std::sin(turn), x * std::sin(turn) + y * std::cos(turn)};
}

// Plan entities as AutoCAD exports them: the kind line, the groups, the "  0" that
// opens the next one.
inline DxfLines Line(const std::string& layer, double x1, double y1, double x2, double y2) {
    return {"LINE", "  8", layer, " 10", NumberText(x1), " 20", NumberText(y1), " 30", "0.0",
            " 11", NumberText(x2), " 21", NumberText(y2), " 31", "0.0", "  0"};
}
inline DxfLines Circle(const std::string& layer, double x, double y, double r) {
    return {"CIRCLE", "  8", layer, " 10", NumberText(x), " 20", NumberText(y), " 30", "0.0", " 40", NumberText(r),
            "  0"};
}
inline DxfLines Arc(const std::string& layer, double x, double y, double r, double start, double end) {
    return {"ARC", "  8", layer, " 10", NumberText(x), " 20", NumberText(y), " 30", "0.0", " 40", NumberText(r),
            " 50", NumberText(start), " 51", NumberText(end), "  0"};
}
inline DxfLines Join(std::initializer_list<DxfLines> parts) {
    DxfLines all;
    for (const DxfLines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Vec Minus(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline double Length(Vec v) { return std::hypot(v.x, v.y); }
// Direction in degrees, 0 <= result < 360.
inline double Direction(Vec v) {
    double a = std::atan2(v.y, v.x) * 180 / 3.141592653589793;
    if (a < -1e-9) a += 360;
    return std::fabs(a) < 1e-9 ? 0 : a;
}

}  // namespace tessavue::testing
