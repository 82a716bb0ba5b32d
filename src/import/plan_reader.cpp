// Contents:
//   1. Group pairs: the file as (code, value) pairs, and what is damage
//   2. Sections: the layer table, the block definitions, the entities' range
//   3. Geometry: points, affine maps, object coordinates
//   4. Entities compiled into items: segments, conics, shapes and references
//   5. The walk: items placed in the world, rows handed over
//   6. The entity table
#include "import/plan_reader.h"

#include "import/hatch_boundary.h"
#include "import/mtext_lines.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <cmath>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "import/dxf_reader.h"
#include "iso/affine_map.h"

namespace tessavue {
namespace {

constexpr double kPi = 3.141592653589793;

// ---- 1. Group pairs ------------------------------------------------------------------

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A code line: an integer, blanks around it allowed ("  0", "10", " 210").
std::optional<int> CodeOf(std::string_view line) {
    line = Trimmed(line);
    int code = 0;
    const auto [stop, error] = std::from_chars(line.data(), line.data() + line.size(), code);
    if (line.empty() || error != std::errc() || stop != line.data() + line.size()) return std::nullopt;
    return code;
}

struct Group {
    int code;
    std::size_t value;  // index of the value line
};

// The pairs up to "0 EOF" (or the last line). A line where a code belongs that is no
// integer, or a code without its value line, means the file is not laid out in pairs.
std::vector<Group> ReadGroups(const DxfLines& lines, const std::filesystem::path& path) {
    std::vector<Group> groups;
    groups.reserve(lines.size() / 2);
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        std::string_view codeLine = lines[i];
        if (i == 0 && codeLine.substr(0, 3) == "\xEF\xBB\xBF") codeLine.remove_prefix(3);  // a UTF-8 mark
        const std::optional<int> code = CodeOf(codeLine);
        if (!code || i + 1 >= lines.size()) {
            // Blank lines after the last pair are no damage.
            const bool blankRest = std::all_of(lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end(),
                                               [](const std::string& l) { return Trimmed(l).empty(); });
            if (blankRest) break;
            throw DxfReadError("DXF ファイルの " + std::to_string(i + 1) +
                               " 行目がグループコードと値の組になっていません: " + FileNameForMessage(path));
        }
        groups.push_back({*code, i + 1});
        if (*code == 0 && Trimmed(lines[i + 1]) == "EOF") break;
    }
    return groups;
}

double Number(const std::string& text) { return StrToFloat(text); }

// Flags, counts and colours: an integer, blanks around it allowed.
int Integer(const std::string& text) {
    std::string_view t = Trimmed(text);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    long long value = 0;
    const auto [stop, error] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || error != std::errc() || stop != t.data() + t.size()) throw ConvertError(text);
    return static_cast<int>(std::clamp<long long>(value, -2147483647LL, 2147483647LL));
}

// Layer and block names compare as AutoCAD compares them: ASCII letters without
// case. A Shift-JIS character's second byte may look like a letter and is kept.
std::string FoldedName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            out.push_back(name[i]);
            if (i + 1 < name.size()) out.push_back(name[++i]);
        } else {
            out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : name[i]);
        }
    }
    return out;
}

// ---- 2. Sections ---------------------------------------------------------------------

// Whether a spline can be drawn as it stands: a degree, and knots for its control
// points (as many as the points and the degree ask for, a weight for each point or
// none), or two fit points at least when it has no control points.
bool SplineCountsAgree(const WorldSpline& spline) {
    const std::size_t controls = spline.ControlPoints.size();
    return spline.Degree >= 1 &&
           (controls > 0 ? spline.Knots.size() == controls + static_cast<std::size_t>(spline.Degree) + 1
                         : spline.FitPoints.size() >= 2) &&
           (spline.Weights.empty() || spline.Weights.size() == controls);
}

// The kinds handed over as shapes rather than rows.
bool IsShapeKind(std::string_view kind) {
    return kind == "TEXT" || kind == "MTEXT" || kind == "SPLINE" || kind == "POINT" || kind == "SOLID" ||
           kind == "TRACE" || kind == "HATCH";
}

struct Range {
    std::size_t begin = 0;  // group indices
    std::size_t end = 0;
};

struct LayerState {
    bool off = false;     // negative colour
    bool frozen = false;  // flag 1
    bool Hidden() const { return off || frozen; }
};

struct BlockDefinition {
    Range header;  // the BLOCK entity: name, base point
    Range body;    // its entities, up to ENDBLK
};

class PlanFile {
public:
    // `withShapes`: texts, splines, points and solids count as drawn entities too.
    PlanFile(const DxfLines& lines, const std::filesystem::path& path, bool withShapes = false)
        : lines_(lines), groups_(ReadGroups(lines, path)), withShapes_(withShapes) {
        for (std::size_t k = 0; k < groups_.size(); ++k) {
            if (!IsZero(k, "SECTION")) continue;
            const std::string_view name = k + 1 < groups_.size() && groups_[k + 1].code == 2 ? Text(k + 1) : "";
            std::size_t end = k + 1;
            while (end < groups_.size() && !IsZero(end, "ENDSEC")) ++end;
            if (name == "TABLES") ReadLayers({k + 1, end});
            if (name == "BLOCKS") ReadBlocks({k + 1, end});
            if (name == "ENTITIES" && !entities_) entities_ = Range{k + 1, end};
            k = end;
        }
        if (!entities_)
            throw DxfReadError("DXF ファイルに ENTITIES セクションがありません: " + FileNameForMessage(path));
        FindProductiveBlocks();
    }

    bool WithShapes() const { return withShapes_; }
    const std::string& Value(std::size_t k) const { return lines_[groups_[k].value]; }
    std::string_view Text(std::size_t k) const { return Trimmed(Value(k)); }
    int Code(std::size_t k) const { return groups_[k].code; }
    bool IsZero(std::size_t k, std::string_view kind) const { return groups_[k].code == 0 && Text(k) == kind; }
    // The next "0" group after k, or `limit`.
    std::size_t NextZero(std::size_t k, std::size_t limit) const {
        for (++k; k < limit; ++k) {
            if (groups_[k].code == 0) return k;
        }
        return limit;
    }

    Range Entities() const { return *entities_; }
    LayerState Layer(const std::string& name) const {
        const auto found = layers_.find(FoldedName(name));
        return found == layers_.end() ? LayerState{} : found->second;
    }
    std::optional<std::size_t> Block(std::string_view name) const {
        const auto found = blockIndex_.find(FoldedName(Trimmed(name)));
        if (found == blockIndex_.end()) return std::nullopt;
        return found->second;
    }
    const BlockDefinition& Definition(std::size_t index) const { return blocks_[index]; }
    std::size_t BlockCount() const { return blocks_.size(); }
    // Whether anything placed from the block can give a row (layers aside): it holds
    // a drawn entity, or a reference to a block that does.
    bool Productive(std::size_t index) const { return productive_[index]; }

private:
    void ReadLayers(Range section) {
        for (std::size_t k = section.begin; k < section.end; ++k) {
            if (!IsZero(k, "LAYER")) continue;
            const std::size_t end = NextZero(k, section.end);
            std::string name;
            LayerState state;
            for (std::size_t j = k + 1; j < end; ++j) {
                if (Code(j) == 2) name = Value(j);
                if (Code(j) == 62) state.off = Integer(Value(j)) < 0;
                if (Code(j) == 70) state.frozen = (Integer(Value(j)) & 1) != 0;
            }
            layers_.emplace(FoldedName(name), state);
            k = end - 1;
        }
    }

    void ReadBlocks(Range section) {
        for (std::size_t k = section.begin; k < section.end; ++k) {
            if (!IsZero(k, "BLOCK")) continue;
            BlockDefinition block;
            block.header = {k, NextZero(k, section.end)};
            std::size_t end = block.header.end;
            while (end < section.end && !IsZero(end, "ENDBLK")) end = NextZero(end, section.end);
            block.body = {block.header.end, end};
            std::string name;
            for (std::size_t j = k + 1; j < block.header.end; ++j) {
                if (Code(j) == 2 || (Code(j) == 3 && name.empty())) name = Value(j);
            }
            // The first of two definitions under one name is the one kept.
            if (blockIndex_.emplace(FoldedName(Trimmed(name)), blocks_.size()).second) blocks_.push_back(block);
            k = end;
        }
    }

    // From the kinds and names alone, without reading a number: blocks holding a
    // drawn entity are productive, and so is every block referring to a productive
    // one (a worklist over the references turned round, so a long chain costs no
    // recursion).
    void FindProductiveBlocks() {
        productive_.assign(blocks_.size(), false);
        std::vector<std::vector<std::size_t>> referredFrom(blocks_.size());
        std::vector<std::size_t> work;
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const Range body = blocks_[b].body;
            for (std::size_t k = body.begin; k < body.end; k = NextZero(k, body.end)) {
                if (Code(k) != 0) continue;
                const std::string_view kind = Text(k);
                if (kind == "LINE" || kind == "CIRCLE" || kind == "ARC" || kind == "ELLIPSE" || kind == "LWPOLYLINE" ||
                    kind == "POLYLINE" || (withShapes_ && IsShapeKind(kind))) {
                    if (!productive_[b]) work.push_back(b);
                    productive_[b] = true;
                } else if (kind == "INSERT" || (withShapes_ && kind == "DIMENSION")) {
                    for (std::size_t j = k + 1; j < NextZero(k, body.end); ++j) {
                        if (Code(j) != 2) continue;
                        if (const auto target = Block(Value(j))) referredFrom[*target].push_back(b);
                        break;
                    }
                }
            }
        }
        while (!work.empty()) {
            const std::size_t b = work.back();
            work.pop_back();
            for (std::size_t user : referredFrom[b]) {
                if (productive_[user]) continue;
                productive_[user] = true;
                work.push_back(user);
            }
        }
    }

    const DxfLines& lines_;
    std::vector<Group> groups_;
    bool withShapes_ = false;
    std::optional<Range> entities_;
    std::unordered_map<std::string, LayerState> layers_;
    std::vector<BlockDefinition> blocks_;
    std::unordered_map<std::string, std::size_t> blockIndex_;
    std::vector<bool> productive_;
};

// ---- 3. Geometry ---------------------------------------------------------------------

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(double s, Vec3 v) { return {s * v.x, s * v.y, s * v.z}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
// An extrusion of 1e183 is a direction like any other: where the squares leave the
// doubles' range, the length is taken without squaring (the sum of squares stays for
// the rest, so every figure of the usual sizes keeps its last digit).
double Length(Vec3 v) {
    const double squares = v.x * v.x + v.y * v.y + v.z * v.z;
    return std::isfinite(squares) ? std::sqrt(squares) : std::hypot(v.x, v.y, v.z);
}
Vec3 Unit(Vec3 v) { return (1 / Length(v)) * v; }

// p -> L p + t, as a 3 x 4 matrix. Whole values (1 and 0) keep coordinates exact,
// so a plan without references reads back digit for digit.
struct Affine {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    Vec3 Vector(Vec3 v) const {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
    }
    Vec3 Point(Vec3 p) const {
        const Vec3 v = Vector(p);
        return {v.x + m[0][3], v.y + m[1][3], v.z + m[2][3]};
    }
    // This map after `inner`.
    Affine After(const Affine& inner) const {
        Affine out;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 4; ++j) {
                double sum = j == 3 ? m[i][3] : 0;
                for (int k = 0; k < 3; ++k) sum += m[i][k] * inner.m[k][j];
                out.m[i][j] = sum;
            }
        }
        return out;
    }
    void Shift(Vec3 by) {
        m[0][3] += by.x;
        m[1][3] += by.y;
        m[2][3] += by.z;
    }
};

// Cosine and sine of an angle in degrees; whole quarter turns exactly.
std::pair<double, double> CosSin(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    if (r == 0) return {1, 0};
    if (r == 90) return {0, 1};
    if (r == 180) return {-1, 0};
    if (r == 270) return {0, -1};
    const double radians = degrees * (1.0 / 180) * kPi;
    return {std::cos(radians), std::sin(radians)};
}

// The direction of (x, y) in degrees; along the axes exactly.
double DirectionDegrees(double x, double y) {
    if (y == 0) return x >= 0 ? 0 : 180;
    if (x == 0) return y > 0 ? 90 : 270;
    return std::atan2(y, x) * 180 / kPi;
}

// 0 <= result < 360; a value already there is kept to the last digit.
double Normalized(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    return r >= 360.0 ? 0 : r;
}

// An entity's object coordinates (OCS), from its extrusion by the arbitrary-axis
// algorithm: X along (Y or Z of the world) x N, Y along N x X. The usual extrusion
// (0, 0, 1) gives the world itself; (0, 0, -1), as MIRROR leaves circles, gives X
// running against the world's.
struct ObjectAxes {
    Vec3 x{1, 0, 0};
    Vec3 y{0, 1, 0};
    Vec3 n{0, 0, 1};
    Vec3 Point(double px, double py, double elevation) const { return px * x + py * y + elevation * n; }
};

ObjectAxes AxesFor(Vec3 extrusion) {
    ObjectAxes axes;
    if (extrusion.x == 0 && extrusion.y == 0 && extrusion.z > 0) return axes;
    if (!(Length(extrusion) > 0)) return axes;  // a damaged extrusion: the world's
    axes.n = Unit(extrusion);
    const double arbitrary = 1.0 / 64;
    axes.x = Unit(std::fabs(axes.n.x) < arbitrary && std::fabs(axes.n.y) < arbitrary ? Cross({0, 1, 0}, axes.n)
                                                                                      : Cross({0, 0, 1}, axes.n));
    axes.y = Unit(Cross(axes.n, axes.x));
    return axes;
}

// ---- 4. Entities compiled into items -------------------------------------------------

// What an entity becomes: a straight segment, a conic (a circle, an arc, an ellipse or
// an arc of one: centre + cos t * p + sin t * q, t in degrees), or a reference to a
// block (placed once, or as an array). All in the coordinates of the block that holds
// them (the world for the ENTITIES section).
struct Item {
    enum class What { Segment, Conic, Shape, Reference } what = What::Segment;
    std::string layer;
    bool onLayerZero = false;  // takes the layer of the reference that places it
    LayerState state;          // of its own layer
    Vec3 a, b;                 // segment ends; a conic's centre in a
    Vec3 p, q;                 // a conic's directions at t = 0 and t = 90
    double from = 0, to = 0;   // a conic's range of t
    bool whole = false;        // the conic is closed
    bool round = false;        // a circle or an arc: may stay one under a similarity
    std::shared_ptr<const WorldShape> shape;  // a shape in its object coordinates
    Affine ocs;                // a shape's object coordinates into the block's
    bool tilted = false;       // a shape in a plane that is not the block's
    std::size_t block = 0;     // a reference's block
    Affine place;              // block coordinates into the holder's (first array cell)
    int columns = 1, rows = 1;
    Vec3 columnStep, rowStep;
};

// One entity's groups, first of each code.
class EntityGroups {
public:
    EntityGroups(const PlanFile& file, Range range) : file_(file), range_(range) {}

    const std::string* Find(int code) const {
        for (std::size_t k = range_.begin + 1; k < range_.end; ++k) {
            if (file_.Code(k) == code) return &file_.Value(k);
        }
        return nullptr;
    }
    double Real(int code, double fallback) const {
        const std::string* value = Find(code);
        return value ? Number(*value) : fallback;
    }
    int Whole(int code, int fallback) const {
        const std::string* value = Find(code);
        return value ? Integer(*value) : fallback;
    }
    Vec3 Point(int code) const { return {Real(code, 0), Real(code + 10, 0), Real(code + 20, 0)}; }
    Vec3 Extrusion() const { return {Real(210, 0), Real(220, 0), Real(230, 1)}; }
    std::string Layer() const {
        const std::string* value = Find(8);
        return value ? *value : std::string("0");
    }
    std::string_view Kind() const { return file_.Text(range_.begin); }
    int Code(std::size_t k) const { return file_.Code(k); }
    const std::string& Value(std::size_t k) const { return file_.Value(k); }
    Range range() const { return range_; }

private:
    const PlanFile& file_;
    Range range_;
};

struct PolylineVertex {
    double x = 0;
    double y = 0;
    double bulge = 0;
};

class Compiler {
public:
    explicit Compiler(const PlanFile& file) : file_(file) {}

    // Appends the items of one entity; `vertices` are a POLYLINE's VERTEX entities.
    void Compile(Range entity, const std::vector<Range>& vertices, std::vector<Item>& out) {
        const EntityGroups e(file_, entity);
        // Paper space and invisible entities are not part of the plan the user sees.
        if (e.Whole(67, 0) == 1 || e.Whole(60, 0) == 1) return;
        const std::string_view kind = e.Kind();
        Item item;
        item.layer = e.Layer();
        item.onLayerZero = item.layer == "0";
        item.state = file_.Layer(item.layer);
        if (kind == "LINE") {
            item.a = e.Point(10);
            item.b = e.Point(11);
            out.push_back(std::move(item));
        } else if (kind == "CIRCLE" || kind == "ARC") {
            const ObjectAxes axes = AxesFor(e.Extrusion());
            const Vec3 centre = e.Point(10);
            const double r = e.Real(40, 0);
            item.what = Item::What::Conic;
            item.a = axes.Point(centre.x, centre.y, centre.z);
            item.p = r * axes.x;
            item.q = r * axes.y;
            item.round = true;
            if (kind == "CIRCLE") {
                item.whole = true;
            } else {
                item.from = e.Real(50, 0);
                item.to = e.Real(51, 0);
                // Start and end on the same direction: AutoCAD draws the whole circle.
                item.whole = std::fmod(item.to - item.from, 360.0) == 0;
            }
            out.push_back(std::move(item));
        } else if (kind == "ELLIPSE") {
            // Centre and major axis in world coordinates; the extrusion decides on which
            // side of the major axis the minor one lies, so which way t runs.
            const Vec3 normal = AxesFor(e.Extrusion()).n;
            const double ratio = e.Real(40, 1);
            const double start = e.Real(41, 0);
            const double end = e.Real(42, 2 * kPi);
            item.what = Item::What::Conic;
            item.a = e.Point(10);
            item.p = e.Point(11);
            item.q = ratio * Cross(normal, item.p);
            item.from = start * 180 / kPi;
            item.to = end * 180 / kPi;
            const double sweep = std::fmod(end - start, 2 * kPi);
            item.whole = std::fabs(sweep) < 1e-9 || std::fabs(std::fabs(sweep) - 2 * kPi) < 1e-9;
            out.push_back(std::move(item));
        } else if (kind == "LWPOLYLINE") {
            std::vector<PolylineVertex> points;
            const Range r = e.range();
            for (std::size_t k = r.begin + 1; k < r.end; ++k) {
                const int code = file_.Code(k);
                if (code == 10) points.push_back({Number(file_.Value(k)), 0, 0});
                if (code == 20 && !points.empty()) points.back().y = Number(file_.Value(k));
                if (code == 42 && !points.empty()) points.back().bulge = Number(file_.Value(k));
            }
            Segments(item, points, (e.Whole(70, 0) & 1) != 0, AxesFor(e.Extrusion()), e.Real(38, 0), out);
        } else if (kind == "POLYLINE") {
            const int flags = e.Whole(70, 0);
            // Meshes and polyface meshes are surfaces, not outlines.
            if ((flags & (16 | 64)) != 0) return;
            const bool world = (flags & 8) != 0;  // a 3-D polyline: vertices in the world
            std::vector<PolylineVertex> points;
            std::vector<double> heights;
            for (const Range& vertex : vertices) {
                const EntityGroups v(file_, vertex);
                // A spline's frame points are not drawn; the fitted vertices are.
                if ((v.Whole(70, 0) & 16) != 0) continue;
                points.push_back({v.Real(10, 0), v.Real(20, 0), world ? 0 : v.Real(42, 0)});
                heights.push_back(v.Real(30, 0));
            }
            if (world) {
                const bool closed = (flags & 1) != 0;
                const std::size_t n = points.size();
                for (std::size_t i = 0; n > 1 && i < (closed ? n : n - 1); ++i) {
                    const std::size_t j = (i + 1) % n;
                    Item segment = item;
                    segment.a = {points[i].x, points[i].y, heights[i]};
                    segment.b = {points[j].x, points[j].y, heights[j]};
                    out.push_back(std::move(segment));
                }
            } else {
                Segments(item, points, (flags & 1) != 0, AxesFor(e.Extrusion()), e.Point(10).z, out);
            }
        } else if (file_.WithShapes() && kind == "MTEXT") {
            MText(e, std::move(item), out);
        } else if (file_.WithShapes() && kind == "HATCH") {
            Hatch(e, std::move(item), out);
        } else if (file_.WithShapes() && IsShapeKind(kind)) {
            Shape(e, kind, std::move(item), out);
        } else if (kind == "INSERT") {
            Reference(e, std::move(item), out);
        } else if (file_.WithShapes() && kind == "DIMENSION") {
            // A dimension draws what its block holds: the lines, arrowheads and text
            // AutoCAD made for it, placed at its group 12 (the origin, as a rule).
            Reference(e, std::move(item), out, true);
        }
    }

private:
    // A polyline's segments in object coordinates at `elevation`: straight ones as
    // segments, bulged ones as arcs (bulge = tan(included angle / 4), positive turning
    // counter-clockwise). Zero-length segments draw nothing.
    static void Segments(const Item& like, const std::vector<PolylineVertex>& points, bool closed,
                         const ObjectAxes& axes, double elevation, std::vector<Item>& out) {
        const std::size_t n = points.size();
        if (n < 2) return;
        for (std::size_t i = 0; i < (closed ? n : n - 1); ++i) {
            const PolylineVertex& from = points[i];
            const PolylineVertex& to = points[(i + 1) % n];
            if (from.x == to.x && from.y == to.y) continue;
            Item item = like;
            const double b = from.bulge;
            if (b == 0) {
                item.a = axes.Point(from.x, from.y, elevation);
                item.b = axes.Point(to.x, to.y, elevation);
                out.push_back(std::move(item));
                continue;
            }
            // The centre lies off the chord's middle by (1 - b^2) / (4 b) chord lengths,
            // to the left of the chord for a counter-clockwise arc.
            const double dx = to.x - from.x;
            const double dy = to.y - from.y;
            const double k = (1 - b * b) / (4 * b);
            const double cx = (from.x + to.x) / 2 - k * dy;
            const double cy = (from.y + to.y) / 2 + k * dx;
            const double r = std::hypot(from.x - cx, from.y - cy);
            const double startAt = DirectionDegrees(from.x - cx, from.y - cy);
            const double endAt = DirectionDegrees(to.x - cx, to.y - cy);
            item.what = Item::What::Conic;
            item.round = true;
            item.a = axes.Point(cx, cy, elevation);
            item.p = r * axes.x;
            item.q = r * axes.y;
            item.from = b > 0 ? startAt : endAt;
            item.to = b > 0 ? endAt : startAt;
            out.push_back(std::move(item));
        }
    }

    // A text, spline, point or solid: its shape in its object coordinates and the map
    // from them into the block's (the frame of its extrusion, at its elevation). A
    // shape that cannot be written as it stands (a spline whose counts disagree, a
    // text holding a control character) keeps no shape and is counted when placed.
    static void Shape(const EntityGroups& e, std::string_view kind, Item item, std::vector<Item>& out) {
        const Vec3 extrusion = e.Extrusion();
        ObjectAxes axes = AxesFor(extrusion);
        item.what = Item::What::Shape;
        item.tilted = extrusion.x != 0 || extrusion.y != 0;
        double elevation = 0;
        std::optional<WorldShape> shape;
        if (kind == "TEXT") {
            WorldText text;
            const std::string* value = e.Find(1);
            text.Text = value ? *value : std::string();
            const Vec3 first = e.Point(10);
            elevation = first.z;
            text.Insert = {first.x, first.y};
            text.Height = e.Real(40, 1);
            text.RotationDeg = e.Real(50, 0);
            text.WidthFactor = e.Real(41, 1);
            text.ObliqueDeg = e.Real(51, 0);
            if (const std::string* style = e.Find(7); style && !Trimmed(*style).empty())
                text.Style = std::string(Trimmed(*style));
            text.HorizontalAlign = e.Whole(72, 0);
            text.VerticalAlign = e.Whole(73, 0);
            text.Generation = e.Whole(71, 0) & 6;
            if (text.HorizontalAlign != 0 || text.VerticalAlign != 0) {
                // AutoCAD places such a text from its alignment point and works the
                // baseline's start out again; a file without that point keeps the start.
                const Vec3 second = e.Find(11) ? e.Point(11) : first;
                text.AlignPoint = {second.x, second.y};
                if (!e.Find(10)) text.Insert = text.AlignPoint;
            }
            const bool control = std::any_of(text.Text.begin(), text.Text.end(), [](char c) {
                const auto u = static_cast<unsigned char>(c);
                return u < 0x20 || u == 0x7F;
            });
            if (!control) shape = std::move(text);
        } else if (kind == "SPLINE") {
            // The points are the world's (the block's); 210 only names the plane's normal.
            axes = ObjectAxes{};
            WorldSpline spline;
            spline.Flags = e.Whole(70, 0);
            spline.Degree = e.Whole(71, 3);
            bool first = true;
            const Range r = e.range();
            for (std::size_t k = r.begin + 1; k < r.end; ++k) {
                const int code = e.Code(k);
                const std::string& value = e.Value(k);
                if (code == 40) spline.Knots.push_back(Number(value));
                if (code == 41) spline.Weights.push_back(Number(value));
                if (code == 10) spline.ControlPoints.push_back({Number(value), 0});
                if (code == 20 && !spline.ControlPoints.empty()) spline.ControlPoints.back().Y = Number(value);
                if (code == 11) spline.FitPoints.push_back({Number(value), 0});
                if (code == 21 && !spline.FitPoints.empty()) spline.FitPoints.back().Y = Number(value);
                if ((code == 30 || code == 31) && first) elevation = Number(value), first = false;
            }
            if (SplineCountsAgree(spline)) shape = std::move(spline);
        } else if (kind == "POINT") {
            // A point has no plane: its extrusion only lends a thickness a direction.
            axes = ObjectAxes{};
            item.tilted = false;
            const Vec3 at = e.Point(10);
            elevation = at.z;
            shape = WorldPoint{{at.x, at.y}};
        } else {  // SOLID, TRACE: corners 1 2 3 4; a triangle leaves out the fourth
            WorldSolid solid;
            const Vec3 first = e.Point(10);
            elevation = first.z;
            solid.Corners[0] = {first.x, first.y};
            const Vec3 second = e.Point(11);
            solid.Corners[1] = {second.x, second.y};
            solid.Corners[2] = e.Find(12) ? Vec2{e.Real(12, 0), e.Real(22, 0)} : solid.Corners[1];
            solid.Corners[3] = e.Find(13) ? Vec2{e.Real(13, 0), e.Real(23, 0)} : solid.Corners[2];
            shape = solid;
        }
        if (shape) item.shape = std::make_shared<const WorldShape>(std::move(*shape));
        const Vec3 lift = elevation * axes.n;
        const Vec3 columns[4] = {axes.x, axes.y, axes.n, lift};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 4; ++j) item.ocs.m[i][j] = i == 0 ? columns[j].x : i == 1 ? columns[j].y : columns[j].z;
        }
        out.push_back(std::move(item));
    }

    // An MTEXT as the TEXTs of its lines: each hangs from its place in the paragraph
    // block by the alignment the MTEXT's attachment point gives (top, middle or bottom;
    // left, centre or right), one line pitch (5/3 of the height times the spacing
    // factor) below the one before. Its insertion point and direction are the world's
    // (the block's); a text in a plane tilted out of it is counted as tilted.
    static void MText(const EntityGroups& e, Item item, std::vector<Item>& out) {
        const Vec3 extrusion = e.Extrusion();
        item.what = Item::What::Shape;
        item.tilted = extrusion.x != 0 || extrusion.y != 0;
        std::string raw;
        const Range r = e.range();
        for (std::size_t k = r.begin + 1; k < r.end; ++k)
            if (e.Code(k) == 3) raw += e.Value(k);
        if (const std::string* last = e.Find(1)) raw += *last;
        const std::vector<std::string> lines = MTextPlainLines(raw);
        const Vec3 at = e.Point(10);
        const double height = e.Real(40, 1);
        // Group 50 is written in degrees by the programs that write it (AutoCAD writes
        // the direction, 11, instead), whatever the reference says of radians.
        double direction = e.Real(50, 0) * kPi / 180;
        if (e.Find(11)) {
            const Vec3 x = e.Point(11);
            if (x.x != 0 || x.y != 0) direction = std::atan2(x.y, x.x);
        }
        const int attachment = std::clamp(e.Whole(71, 1), 1, 9);
        const int row = (attachment - 1) / 3;     // 0 top, 1 middle, 2 bottom
        const int column = (attachment - 1) % 3;  // 0 left, 1 centre, 2 right
        const double pitch = 5.0 / 3.0 * height * e.Real(44, 1);
        const double n = static_cast<double>(lines.size());
        const Vec2 down{std::sin(direction), -std::cos(direction)};
        const Vec3 columns[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, at.z}};
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].empty()) continue;
            // How far this line's alignment point lies below the MTEXT's.
            const double below = row == 0 ? static_cast<double>(i) * pitch
                                : row == 1 ? (static_cast<double>(i) - (n - 1) / 2) * pitch
                                           : (static_cast<double>(i) - (n - 1)) * pitch;
            WorldText text;
            text.Text = lines[i];
            text.Height = height;
            text.RotationDeg = direction * 180 / kPi;
            if (const std::string* style = e.Find(7); style && !Trimmed(*style).empty())
                text.Style = std::string(Trimmed(*style));
            text.HorizontalAlign = column;
            text.VerticalAlign = 3 - row;
            text.AlignPoint = {at.x + below * down.X, at.y + below * down.Y};
            text.Insert = text.AlignPoint;
            Item line = item;
            const bool control = std::any_of(text.Text.begin(), text.Text.end(), [](char c) {
                const auto u = static_cast<unsigned char>(c);
                return u < 0x20 || u == 0x7F;
            });
            if (!control) line.shape = std::make_shared<const WorldShape>(std::move(text));
            for (int a = 0; a < 3; ++a) {
                for (int b = 0; b < 4; ++b) line.ocs.m[a][b] = a == 0 ? columns[b].x : a == 1 ? columns[b].y : columns[b].z;
            }
            out.push_back(std::move(line));
        }
    }

    // A hatch as its boundary: the lines, arcs, elliptic arcs and splines of each of
    // its paths, in its object coordinates at its elevation; the pattern is not drawn.
    // Data that does not add up keeps what was read before it, and one shape of none
    // is counted as damaged.
    static void Hatch(const EntityGroups& e, Item item, std::vector<Item>& out) {
        const Vec3 extrusion = e.Extrusion();
        const ObjectAxes axes = AxesFor(extrusion);
        item.what = Item::What::Shape;
        item.tilted = extrusion.x != 0 || extrusion.y != 0;
        std::vector<HatchGroup> groups;
        const Range r = e.range();
        for (std::size_t k = r.begin + 1; k < r.end; ++k) groups.push_back({e.Code(k), e.Value(k)});
        std::string fault;
        std::vector<WorldShape> shapes = HatchBoundaryShapes(groups, fault);
        const Vec3 lift = e.Real(30, 0) * axes.n;
        const Vec3 columns[4] = {axes.x, axes.y, axes.n, lift};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 4; ++j) item.ocs.m[i][j] = i == 0 ? columns[j].x : i == 1 ? columns[j].y : columns[j].z;
        }
        for (WorldShape& shape : shapes) {
            Item piece = item;
            // A spline edge whose counts do not agree is damage, as a SPLINE's would be.
            const auto* spline = std::get_if<WorldSpline>(&shape);
            if (!spline || SplineCountsAgree(*spline)) piece.shape = std::make_shared<const WorldShape>(std::move(shape));
            out.push_back(std::move(piece));
        }
        if (!fault.empty()) out.push_back(std::move(item));
    }

    // An INSERT: the block's base point to the insertion point, scaled, turned and set
    // in the reference's object coordinates; an array (MINSERT) steps its cells along
    // the turned columns and rows. Its ATTRIBs are texts, not geometry.
    void Reference(const EntityGroups& e, Item item, std::vector<Item>& out, bool dimension = false) {
        const std::string* name = e.Find(2);
        const std::optional<std::size_t> block = name ? file_.Block(*name) : std::nullopt;
        if (!block) return;  // a reference to nothing draws nothing
        const ObjectAxes axes = AxesFor(e.Extrusion());
        // A dimension's block goes in unscaled and unturned; its other groups are its
        // measurements, not a placement.
        const Vec3 insertion = e.Point(dimension ? 12 : 10);
        const double sx = dimension ? 1 : e.Real(41, 1);
        const double sy = dimension ? 1 : e.Real(42, 1);
        const double sz = dimension ? 1 : e.Real(43, 1);
        const auto [c, s] = CosSin(dimension ? 0 : e.Real(50, 0));
        const Vec3 base = BlockBase(*block);
        // Object axes times the turn: the directions of the block's X, Y and Z.
        const Vec3 turnedX = c * axes.x + s * axes.y;
        const Vec3 turnedY = (-s) * axes.x + c * axes.y;
        const Vec3 columns[3] = {sx * turnedX, sy * turnedY, sz * axes.n};
        Affine& m = item.place;
        for (int i = 0; i < 3; ++i) {
            const auto at = [i](Vec3 v) { return i == 0 ? v.x : i == 1 ? v.y : v.z; };
            m.m[i][0] = at(columns[0]);
            m.m[i][1] = at(columns[1]);
            m.m[i][2] = at(columns[2]);
        }
        const Vec3 origin = axes.Point(insertion.x, insertion.y, insertion.z) + (-1.0) * m.Vector(base);
        m.m[0][3] = origin.x;
        m.m[1][3] = origin.y;
        m.m[2][3] = origin.z;
        item.what = Item::What::Reference;
        item.block = *block;
        const double columnSpacing = dimension ? 0 : e.Real(44, 0);
        const double rowSpacing = dimension ? 0 : e.Real(45, 0);
        // Cells without spacing lie on each other: one of them shows all there is.
        item.columns = columnSpacing == 0 ? 1 : std::max(1, e.Whole(70, 1));
        item.rows = rowSpacing == 0 ? 1 : std::max(1, e.Whole(71, 1));
        item.columnStep = columnSpacing * turnedX;
        item.rowStep = rowSpacing * turnedY;
        out.push_back(std::move(item));
    }

    Vec3 BlockBase(std::size_t block) {
        if (bases_.empty()) bases_.resize(file_.BlockCount());
        std::optional<Vec3>& base = bases_[block];
        if (!base) base = EntityGroups(file_, file_.Definition(block).header).Point(10);
        return *base;
    }

    const PlanFile& file_;
    std::vector<std::optional<Vec3>> bases_;
};

// Calls visit(entity, vertices) for each entity of `range`: from its "0" group to the
// next; a POLYLINE takes the VERTEX entities after it, an INSERT its ATTRIBs, and the
// SEQEND that closes either is passed over.
template <typename Visit>
void ForEachEntity(const PlanFile& file, Range range, Visit&& visit) {
    std::vector<Range> vertices;
    std::size_t k = range.begin;
    while (k < range.end && file.Code(k) != 0) ++k;
    while (k < range.end) {
        const Range entity{k, file.NextZero(k, range.end)};
        const std::string_view kind = file.Text(k);
        std::size_t next = entity.end;
        vertices.clear();
        if (kind == "POLYLINE" || kind == "INSERT") {
            const std::string_view child = kind == "POLYLINE" ? "VERTEX" : "ATTRIB";
            while (next < range.end && file.Text(next) == child) {
                const std::size_t after = file.NextZero(next, range.end);
                if (kind == "POLYLINE") vertices.push_back({next, after});
                next = after;
            }
            if (next < range.end && file.Text(next) == "SEQEND") next = file.NextZero(next, range.end);
        }
        visit(entity, vertices);
        k = next;
    }
}

// ---- 5. The walk ---------------------------------------------------------------------

// Below this share of its size, a placed circle counts as round; it keeps its row
// kind through the rounding of turned and composed references.
constexpr double kRoundness = 1e-9;
// Below this share, the conic is seen edge-on: a segment, no outline of its own.
constexpr double kFlatness = 1e-12;

class PlanWalk {
public:
    PlanWalk(const PlanFile& file, double baseX, double baseY, const PlanRowSink& sink,
             const PlanShapeSink* shapes = nullptr, PlanShapesLeftOut* leftOut = nullptr)
        : file_(file), compiler_(file), baseX_(baseX), baseY_(baseY), sink_(sink), shapes_(shapes), leftOut_(leftOut) {
        blocks_.resize(file.BlockCount());
        active_.assign(file.BlockCount(), false);
    }

    PlanWalkEnd Run() {
        std::vector<Item> items;
        ForEachEntity(file_, file_.Entities(), [&](Range entity, const std::vector<Range>& vertices) {
            if (end_ != PlanWalkEnd::Whole) return;
            items.clear();
            compiler_.Compile(entity, vertices, items);
            for (const Item& item : items) {
                Place(item, Affine{}, nullptr, 0);
                if (end_ != PlanWalkEnd::Whole) return;
            }
        });
        return end_;
    }

private:
    // The layer a placed item is seen on: its own, or inside a block on layer "0" that
    // of the reference placing it.
    struct SeenLayer {
        const std::string* name;
        LayerState state;
    };

    void Place(const Item& item, const Affine& world, const SeenLayer* inherited, int depth) {
        if (++placements_ > kMostPlacements) {
            end_ = PlanWalkEnd::TooMuchWork;
            return;
        }
        const SeenLayer layer = inherited && item.onLayerZero ? *inherited : SeenLayer{&item.layer, item.state};
        switch (item.what) {
        case Item::What::Segment:
            if (!layer.state.Hidden()) EmitSegment(item, world, *layer.name);
            return;
        case Item::What::Conic:
            if (!layer.state.Hidden()) EmitConic(item, world, *layer.name);
            return;
        case Item::What::Shape:
            if (!layer.state.Hidden()) EmitShape(item, world, *layer.name);
            return;
        case Item::What::Reference:
            // A frozen reference hides all it holds; one that is only off hides just
            // what takes its layer (its layer-"0" entities).
            if (layer.state.frozen || depth >= kDeepestBlockNesting) return;
            // A block that holds itself, directly or not, is drawn once, not forever.
            if (active_[item.block] || !file_.Productive(item.block)) return;
            PlaceBlock(item, world, layer, depth);
            return;
        }
    }

    void PlaceBlock(const Item& reference, const Affine& world, const SeenLayer& layer, int depth) {
        const std::vector<Item>& items = Items(reference.block);
        // A block can hold drawn kinds and still compile to nothing (a polyline of one
        // point). Its cells place nothing, so no placement would count them: without
        // this, an array of four hundred million such cells is a walk of seconds that
        // the work bound never sees.
        if (items.empty()) return;
        active_[reference.block] = true;
        for (int row = 0; row < reference.rows && end_ == PlanWalkEnd::Whole; ++row) {
            for (int column = 0; column < reference.columns && end_ == PlanWalkEnd::Whole; ++column) {
                Affine cell = reference.place;
                cell.Shift(static_cast<double>(column) * reference.columnStep +
                           static_cast<double>(row) * reference.rowStep);
                const Affine placed = world.After(cell);
                for (const Item& item : items) {
                    Place(item, placed, &layer, depth + 1);
                    if (end_ != PlanWalkEnd::Whole) break;
                }
            }
        }
        active_[reference.block] = false;
    }

    // A block's items, compiled when it is first placed.
    const std::vector<Item>& Items(std::size_t block) {
        std::optional<std::vector<Item>>& items = blocks_[block];
        if (!items) {
            std::vector<Item> compiled;
            ForEachEntity(file_, file_.Definition(block).body, [&](Range entity, const std::vector<Range>& vertices) {
                compiler_.Compile(entity, vertices, compiled);
            });
            items = std::move(compiled);
        }
        return *items;
    }

    void Emit(const EntityRecord& row) {
        if (!sink_(row)) end_ = PlanWalkEnd::Stopped;
    }

    void EmitSegment(const Item& item, const Affine& world, const std::string& layer) {
        const Vec3 a = world.Point(item.a);
        const Vec3 b = world.Point(item.b);
        EntityRecord row;
        row.Kind = 0;
        row.Layer = layer;
        row.X1 = a.x - baseX_;
        row.Y1 = a.y - baseY_;
        row.X2 = b.x - baseX_;
        row.Y2 = b.y - baseY_;
        Emit(row);
    }

    // The conic as the plan shows it: centre + cos t * p + sin t * q with p and q seen
    // from above. Round, it is a circle or an arc; otherwise an ellipse row with its
    // major semi-axis and t measured from it, counter-clockwise.
    void EmitConic(const Item& item, const Affine& world, const std::string& layer) {
        const Vec3 centre = world.Point(item.a);
        const Vec3 p3 = world.Vector(item.p);
        const Vec3 q3 = world.Vector(item.q);
        const double px = p3.x, py = p3.y, qx = q3.x, qy = q3.y;
        const double pp = px * px + py * py;
        const double qq = qx * qx + qy * qy;
        const double pq = px * qx + py * qy;
        const double turn = px * qy - py * qx;  // > 0: t runs counter-clockwise
        const double size = pp + qq;
        if (!(size > 0) || std::fabs(turn) <= kFlatness * size) return;
        EntityRecord row;
        row.Layer = layer;
        row.X1 = centre.x - baseX_;
        row.Y1 = centre.y - baseY_;
        if (item.round && std::fabs(pp - qq) <= kRoundness * size && std::fabs(pq) <= kRoundness * size) {
            // A point at angle a of the circle lies at angle phi + a (turned) or phi - a
            // (mirrored) of its image, phi being the direction of p.
            const double phi = DirectionDegrees(px, py);
            row.X2 = std::hypot(px, py);
            if (item.whole) {
                row.Kind = 1;
            } else {
                row.Kind = 2;
                row.Y2 = Normalized(turn > 0 ? phi + item.from : phi - item.to);
                row.EndAngle = Normalized(turn > 0 ? phi + item.to : phi - item.from);
            }
            Emit(row);
            return;
        }
        // p and q are conjugate semi-diameters. Moving t by phi turns them into the
        // principal ones: cos(phi) p + sin(phi) q is the major semi-axis when
        // tan(2 phi) = 2 p.q / (|p|^2 - |q|^2), on the branch that makes it longest.
        const double phi = std::atan2(2 * pq, pp - qq) / 2;
        const double c = std::cos(phi);
        const double s = std::sin(phi);
        const double mx = c * px + s * qx;
        const double my = c * py + s * qy;
        const double phiDegrees = phi * 180 / kPi;
        row.Kind = 3;
        row.X2 = mx;
        row.Y2 = my;
        // The parallelogram of p and q keeps its area through the shift of t.
        row.Ratio = std::min(1.0, std::fabs(turn) / (mx * mx + my * my));
        if (item.whole) {
            row.StartParameter = 0;
            row.EndAngle = 360;
        } else {
            row.StartParameter = Normalized(turn > 0 ? item.from - phiDegrees : phiDegrees - item.to);
            row.EndAngle = Normalized(turn > 0 ? item.to - phiDegrees : phiDegrees - item.from);
            if (row.StartParameter == row.EndAngle) row.StartParameter = 0, row.EndAngle = 360;
        }
        Emit(row);
    }

    // The shape placed as the plan shows it from above, relative to the base point.
    // Its plane must stay the plan's: a reference tilted out of it tilts the shape too.
    void EmitShape(const Item& item, const Affine& world, const std::string& layer) {
        if (!shapes_ || !leftOut_) return;
        if (!item.shape) {
            ++leftOut_->Damaged;
            return;
        }
        const Affine placed = world.After(item.ocs);
        if (!std::holds_alternative<WorldPoint>(*item.shape)) {
            const Vec3 normal = Cross(placed.Vector({1, 0, 0}), placed.Vector({0, 1, 0}));
            if (item.tilted || std::hypot(normal.x, normal.y) > kFlatness * Length(normal)) {
                ++leftOut_->Tilted;
                return;
            }
        }
        Affine2 map;
        map.A = placed.m[0][0];
        map.B = placed.m[0][1];
        map.C = placed.m[1][0];
        map.D = placed.m[1][1];
        map.Tx = placed.m[0][3] - baseX_;
        map.Ty = placed.m[1][3] - baseY_;
        std::optional<WorldShape> shape = MapShape(map, *item.shape);
        if (!shape) {
            // Only a text is refused: mirrored (by the placement, or written backward or
            // upside down, unless the two undo each other), or of no size to begin with.
            const auto* text = std::get_if<WorldText>(item.shape.get());
            const bool glyphsMirrored = text && ((text->Generation & 2) != 0) != ((text->Generation & 4) != 0);
            ++((map.Determinant() < 0) != glyphsMirrored ? leftOut_->Mirrored : leftOut_->Damaged);
            return;
        }
        if (!(*shapes_)(WorldEntity{layer, 256, std::move(*shape)})) end_ = PlanWalkEnd::Stopped;
    }

    const PlanFile& file_;
    Compiler compiler_;
    double baseX_;
    double baseY_;
    const PlanRowSink& sink_;
    const PlanShapeSink* shapes_;
    PlanShapesLeftOut* leftOut_;
    std::vector<std::optional<std::vector<Item>>> blocks_;
    std::vector<bool> active_;
    long long placements_ = 0;
    PlanWalkEnd end_ = PlanWalkEnd::Whole;
};

}  // namespace

PlanWalkEnd WalkPlan(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                     const PlanRowSink& sink) {
    const PlanFile file(lines, path);
    return PlanWalk(file, baseX, baseY, sink).Run();
}

PlanWalkEnd WalkPlan(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                     const PlanRowSink& sink, const PlanShapeSink& shapes, PlanShapesLeftOut& leftOut) {
    const PlanFile file(lines, path, static_cast<bool>(shapes));
    return PlanWalk(file, baseX, baseY, sink, &shapes, &leftOut).Run();
}

// ---- 6. The entity table -------------------------------------------------------------

void ReadPlanEntities(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                      MessageSink& messages, EntityTableRows& table) {
    std::size_t write = 0;
    while (write < table.size() && table[write].Kind != -1) ++write;
    bool full = false;
    const PlanWalkEnd end = WalkPlan(lines, path, baseX, baseY, [&](const EntityRecord& row) {
        if (write >= table.size()) {
            full = true;
            return false;
        }
        table[write++] = row;
        return true;
    });
    if (full || end == PlanWalkEnd::TooMuchWork) messages.ShowConfirmation(TableFullMessage());
}

void ReadPlanEntities(const std::filesystem::path& path, double baseX, double baseY, MessageSink& messages,
                      EntityTableRows& table) {
    const DxfLines lines = LoadDxfLinesOrRaise(path);
    ReadPlanEntities(lines, path, baseX, baseY, messages, table);
}

}  // namespace tessavue
