#include "draw/offset_figure.h"

#include "draw/world_existing_figure.h"

#include <cmath>
#include <numbers>
#include <set>
#include <tuple>

#include "dxf_data/str_to_float.h"
#include "import/dxf_reader.h"
#include "import/plan_reader.h"
#include "iso/affine_map.h"
#include "iso/faces.h"

namespace tessavue {

namespace {

constexpr double kPi = std::numbers::pi;

double RadiansOf(double degrees) { return degrees * (1.0 / 180) * kPi; }



}  // namespace

std::optional<Vec2> OffsetStep(const OffsetInputs& inputs) {
    const FaceParameters* face = FaceRow(inputs.FaceCode);
    if (!face) return std::nullopt;
    const double a = RadiansOf(StrToFloat(face->OffsetDirection));
    // A whole quarter turn has a cosine of exactly 0, not the pi's rounding of it.
    const auto exact = [](double v) { return std::abs(v) < 1e-15 ? 0.0 : v; };
    const double length = inputs.Sign * inputs.Height;
    return Vec2{length * exact(std::cos(a)), length * exact(std::sin(a))};
}

OffsetFigureResult OffsetFigure(const OffsetObjects& objects, const OffsetInputs& inputs, bool keepOriginals) {
    OffsetFigureResult result;
    const std::optional<Vec2> step = OffsetStep(inputs);
    if (!step) return result;
    Affine2 shift;
    shift.Tx = step->X;
    shift.Ty = step->Y;
    std::vector<WorldEntity>& out = result.Figure.Entities;

    const auto place = [&](const Affine2& map, bool count) {
        for (const EntityRecord& row : objects.Rows) {
            std::optional<WorldShape> shape = MapRow(map, row);
            if (!shape) {
                if (count) ++result.RowsLeftOut;
                continue;
            }
            out.push_back({row.Layer, 256, std::move(*shape)});
        }
        for (const WorldEntity& entity : objects.Shapes) {
            // A shift refuses no text: each shape comes back.
            if (std::optional<WorldShape> shape = MapShape(map, entity.Shape))
                out.push_back({entity.Layer, entity.Colour, std::move(*shape)});
        }
    };
    if (keepOriginals) place(Affine2{}, false);
    place(shift, true);
    if (!inputs.HeightLines) return result;

    std::set<std::tuple<double, double, std::string>> joined;
    const auto join = [&](Vec2 p, const std::string& layer) {
        if (!joined.emplace(p.X, p.Y, layer).second) return;
        out.push_back({layer, 256, WorldLine{p, shift.Point(p)}});
    };
    for (const OffsetCorner& corner : objects.Corners) join(corner.At, corner.Layer);
    if (inputs.CircleHeightLines) {
        const double degrees = StrToFloat(FaceRow(inputs.FaceCode)->OffsetDirection);
        for (const EntityRecord& row : objects.Rows)
            for (const Vec2& p : OffsetTangentPoints(row, degrees)) join(p, row.Layer);
    }
    return result;
}

namespace {

std::string Trimmed(const std::string& text) {
    std::size_t from = 0, to = text.size();
    while (from < to && (text[from] == ' ' || text[from] == '\t')) ++from;
    while (to > from && (text[to - 1] == ' ' || text[to - 1] == '\t' || text[to - 1] == '\r')) --to;
    return text.substr(from, to - from);
}

// A group code as AutoCAD's export writes it: right-aligned in three characters.
std::string PaddedCode(const std::string& line) {
    const std::string code = Trimmed(line);
    return code.size() < 3 ? std::string(3 - code.size(), ' ') + code : code;
}

// Each object's rows and shapes are told apart by a point put before it on a layer
// no drawing can have ('*' is not allowed in layer names), its number as X.
const char* const kMarkLayer = "*TESSAVUE OFFSET OBJECT*";
constexpr double kMarkY = -0.5;

}  // namespace

OffsetSelection SelectOffsetObjects(const DxfLines& lines, const std::filesystem::path& path,
                                    const OffsetObjectPick& pick) {
    OffsetSelection selection;
    // The objects of the entities section: each from its "0" group up to the next one
    // that is not a polyline's vertex, an attribute or their end.
    std::size_t first = lines.size(), last = lines.size();
    std::vector<std::pair<std::size_t, std::size_t>> objects;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (Trimmed(lines[i]) != "0") continue;
        const std::string value = Trimmed(lines[i + 1]);
        if (first == lines.size()) {
            if (value == "SECTION" && i + 3 < lines.size() && Trimmed(lines[i + 2]) == "2" &&
                Trimmed(lines[i + 3]) == "ENTITIES") {
                first = i + 4;
                i += 2;
            }
            continue;
        }
        if (value == "ENDSEC" || value == "EOF") {
            last = i;
            break;
        }
        if (value == "VERTEX" || value == "SEQEND" || value == "ATTRIB") continue;
        if (!objects.empty()) objects.back().second = i;
        objects.push_back({i, last});
    }
    if (first == lines.size() || lines.size() % 2 != 0) {
        // No entities section to pick from, or no pair layout: the reader says what is wrong.
        WalkPlan(lines, path, 0, 0, [](const EntityRecord&) { return true; });
        return selection;
    }
    if (!objects.empty()) objects.back().second = last;

    const auto copyPairs = [&lines](DxfLines& to, std::size_t from, std::size_t end) {
        for (std::size_t i = from; i < end && i + 1 < lines.size(); i += 2) {
            to.push_back(PaddedCode(lines[i]));
            to.push_back(lines[i + 1]);
        }
    };
    DxfLines marked;
    marked.reserve(lines.size() + 8 * objects.size());
    copyPairs(marked, 0, first);
    for (std::size_t k = 0; k < objects.size(); ++k) {
        marked.insert(marked.end(), {"  0", "POINT", "  8", kMarkLayer, " 10", std::to_string(k), " 20", "-0.5"});
        copyPairs(marked, objects[k].first, objects[k].second);
    }
    copyPairs(marked, last, lines.size());

    // Walked once; each object judged when the next one's mark (or the end) comes.
    std::vector<bool> picked(objects.size(), false);
    std::optional<std::size_t> current;
    std::vector<EntityRecord> rows;
    std::vector<WorldEntity> shapes;
    PlanShapesLeftOut leftOut, leftOutBefore;
    const auto judge = [&] {
        if (current && (!rows.empty() || !shapes.empty())) ++selection.Visible;
        if (current && (!rows.empty() || !shapes.empty()) && pick(rows, shapes)) {
            picked[*current] = true;
            ++selection.Selected;
            for (EntityRecord& row : rows) selection.Objects.Rows.push_back(std::move(row));
            for (WorldEntity& shape : shapes) selection.Objects.Shapes.push_back(std::move(shape));
            selection.ShapesTilted += leftOut.Tilted - leftOutBefore.Tilted;
            selection.ShapesMirrored += leftOut.Mirrored - leftOutBefore.Mirrored;
            selection.ShapesDamaged += leftOut.Damaged - leftOutBefore.Damaged;
        }
        rows.clear();
        shapes.clear();
        leftOutBefore = leftOut;
    };
    const PlanWalkEnd end = WalkPlan(
        marked, path, 0, 0,
        [&](const EntityRecord& row) {
            rows.push_back(row);
            return true;
        },
        [&](const WorldEntity& shape) {
            const auto* mark = std::get_if<WorldPoint>(&shape.Shape);
            if (mark && shape.Layer == kMarkLayer && mark->At.Y == kMarkY) {
                judge();
                current = static_cast<std::size_t>(mark->At.X);
                return true;
            }
            shapes.push_back(shape);
            return true;
        },
        leftOut);
    if (end == PlanWalkEnd::TooMuchWork) {
        selection.TooMuchWork = true;
        selection.Objects = {};
        selection.Selected = selection.Visible = 0;
        return selection;
    }
    judge();

    // The drawing as the export of the selection writes it, and the corners its reader joins.
    copyPairs(selection.Lines, 0, first);
    for (std::size_t k = 0; k < objects.size(); ++k)
        if (picked[k]) copyPairs(selection.Lines, objects[k].first, objects[k].second);
    copyPairs(selection.Lines, last, lines.size());
    const VertexSet corners = CollectOffsetVertices(selection.Lines, path);
    for (std::size_t i = 0; i < corners.Count(); ++i)
        selection.Objects.Corners.push_back({{corners.X[i], corners.Y[i]}, corners.Layer[i]});
    return selection;
}

}  // namespace tessavue
