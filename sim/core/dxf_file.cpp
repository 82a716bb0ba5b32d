#include "dxf_file.h"

#include "text.h"
#include "transform.h"
#include "units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>

namespace tessavue::sim {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

// ---- writing ------------------------------------------------------------------------

class DxfWriter {
public:
    DxfWriter(DxfVersion version, int decimals) : version_(version), decimals_(std::clamp(decimals, 0, 16)) {}

    bool R2000() const { return version_ == DxfVersion::R2000; }

    void Pair(int code, const std::string& value) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%3d", code);
        out_ += buffer;
        out_ += "\r\n";
        out_ += value;
        out_ += "\r\n";
    }
    void Int(int code, long long value) { Pair(code, std::to_string(value)); }
    void Real(int code, double value) { Pair(code, Number(value)); }
    void Xy(int code, Point p) {
        Real(code, p.x);
        Real(code + 10, p.y);
        Real(code + 20, 0.0);
    }
    // A new handle (2000 only), written with `code`.
    std::string Handle(int code = 5) {
        const std::string h = HexHandle(nextHandle_++);
        if (R2000()) Pair(code, h);
        return h;
    }
    std::string PeekHandle() const { return HexHandle(nextHandle_); }
    void Owner(const std::string& owner) {
        if (R2000()) Pair(330, owner);
    }
    void Subclass(const char* name) {
        if (R2000()) Pair(100, name);
    }

    std::string Number(double value) const {
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals_, value);
        std::string text = buffer;
        // AutoCAD drops trailing zeros but keeps one digit after the point.
        if (const auto point = text.find('.'); point != std::string::npos) {
            while (text.size() > point + 2 && text.back() == '0') text.pop_back();
        } else {
            text += ".0";
        }
        if (text == "-0.0") text = "0.0";
        return text;
    }

    std::string& text() { return out_; }

private:
    static std::string HexHandle(unsigned value) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%X", value);
        return buffer;
    }

    DxfVersion version_;
    int decimals_;
    unsigned nextHandle_ = 0x20;
    std::string out_;
};

std::vector<const Entity*> Selected(const Drawing& drawing, const std::optional<std::vector<int>>& ids) {
    std::vector<const Entity*> out;
    for (const Entity& e : drawing.entities()) {
        if (!ids || std::find(ids->begin(), ids->end(), e.id) != ids->end()) out.push_back(&e);
    }
    return out;
}

// Points on an ellipse, for R12, which has no ELLIPSE entity.
std::vector<Point> EllipsePoints(const Entity& e) {
    std::vector<Point> out;
    double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    const bool whole = sweep >= 360.0;
    const int steps = 72;
    const Point c = e.points[0];
    const Point major = e.points[1];
    const Point minor{-major.y * e.ratio, major.x * e.ratio};
    for (int i = 0; i < (whole ? steps : steps + 1); ++i) {
        const double t = (e.startAngle + sweep * i / steps) * kDegree;
        out.push_back(Point{c.x + major.x * std::cos(t) + minor.x * std::sin(t),
                            c.y + major.y * std::cos(t) + minor.y * std::sin(t)});
    }
    return out;
}

void WriteEntity(DxfWriter& w, const Entity& e, const std::string& modelSpace) {
    const auto start = [&](const char* type, const char* subclass) {
        w.Pair(0, type);
        w.Handle();
        w.Owner(modelSpace);
        w.Subclass("AcDbEntity");
        w.Pair(8, e.layer);
        if (subclass) w.Subclass(subclass);
    };
    // The extrusion of an entity in object coordinates (mirrored circles and arcs).
    const auto normal = [&] {
        if (e.normalZ >= 0) return;
        w.Real(210, 0);
        w.Real(220, 0);
        w.Real(230, e.normalZ);
    };
    const auto r12Polyline = [&](const std::vector<Point>& points, bool closed, const std::vector<double>& bulges) {
        start("POLYLINE", nullptr);
        w.Int(66, 1);
        w.Xy(10, Point{});
        w.Int(70, closed ? 1 : 0);
        normal();
        for (std::size_t i = 0; i < points.size(); ++i) {
            w.Pair(0, "VERTEX");
            w.Pair(8, e.layer);
            w.Xy(10, points[i]);
            if (i < bulges.size() && bulges[i] != 0) w.Real(42, bulges[i]);
        }
        w.Pair(0, "SEQEND");
        w.Pair(8, e.layer);
    };
    switch (e.kind) {
        case EntityKind::Line:
            start("LINE", "AcDbLine");
            w.Xy(10, e.points.at(0));
            w.Xy(11, e.points.at(1));
            break;
        case EntityKind::Circle:
            start("CIRCLE", "AcDbCircle");
            w.Xy(10, e.points.at(0));
            w.Real(40, e.radius);
            normal();
            break;
        case EntityKind::Arc:
            start("ARC", "AcDbCircle");
            w.Xy(10, e.points.at(0));
            w.Real(40, e.radius);
            normal();
            w.Subclass("AcDbArc");
            w.Real(50, e.startAngle);
            w.Real(51, e.endAngle);
            break;
        case EntityKind::Text:
            start("TEXT", "AcDbText");
            w.Xy(10, e.points.at(0));
            w.Real(40, e.height);
            w.Pair(1, e.text);
            w.Real(50, e.rotation);
            if (e.widthFactor != 1) w.Real(41, e.widthFactor);
            if (e.oblique != 0) w.Real(51, e.oblique);
            w.Subclass("AcDbText");
            break;
        case EntityKind::Polyline:
            if (!w.R2000()) {
                r12Polyline(e.points, e.closed, e.bulges);
                break;
            }
            start("LWPOLYLINE", "AcDbPolyline");
            w.Int(90, static_cast<long long>(e.points.size()));
            w.Int(70, e.closed ? 1 : 0);
            for (std::size_t i = 0; i < e.points.size(); ++i) {
                w.Real(10, e.points[i].x);
                w.Real(20, e.points[i].y);
                if (BulgeAt(e, i) != 0) w.Real(42, BulgeAt(e, i));
            }
            normal();
            break;
        case EntityKind::Solid:
            start("SOLID", "AcDbTrace");
            w.Xy(10, e.points.at(0));
            w.Xy(11, e.points.at(1));
            w.Xy(12, e.points.at(2));
            w.Xy(13, e.points.at(3));
            break;
        case EntityKind::Dimension: {
            // A rotated linear dimension whose picture is its anonymous block.
            start("DIMENSION", "AcDbDimension");
            w.Pair(2, e.block);
            w.Xy(10, e.points.at(3));
            w.Xy(11, e.points.at(4));
            w.Pair(70, "32");
            w.Pair(1, "");
            w.Subclass("AcDbAlignedDimension");
            w.Xy(13, e.points.at(0));
            w.Xy(14, e.points.at(1));
            const bool vertical = e.points.at(2).x == e.points.at(3).x && e.points.at(2).y != e.points.at(3).y;
            w.Real(50, vertical ? 90 : 0);
            w.Subclass("AcDbRotatedDimension");
            break;
        }
        case EntityKind::Insert:
            start("INSERT", "AcDbBlockReference");
            w.Pair(2, e.block);
            w.Xy(10, e.points.at(0));
            w.Real(41, e.scaleX);
            w.Real(42, e.scaleY);
            w.Real(43, 1);
            w.Real(50, e.rotation);
            break;
        case EntityKind::Ellipse: {
            if (!w.R2000()) {
                double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
                if (sweep <= 0) sweep += 360.0;
                r12Polyline(EllipsePoints(e), sweep >= 360.0, {});
                break;
            }
            start("ELLIPSE", "AcDbEllipse");
            w.Xy(10, e.points.at(0));
            w.Xy(11, e.points.at(1));
            w.Real(40, e.ratio);
            double end = e.endAngle;
            if (end <= e.startAngle) end += 360.0;
            w.Real(41, e.startAngle * kDegree);
            w.Real(42, end * kDegree);
            break;
        }
    }
}

struct TableWriter {
    DxfWriter& w;
    std::string handle;
    void Begin(const char* name, std::size_t count, const char* extraSubclass = nullptr) {
        w.Pair(0, "TABLE");
        w.Pair(2, name);
        handle = w.Handle();
        w.Owner("0");
        w.Subclass("AcDbSymbolTable");
        w.Int(70, static_cast<long long>(count));
        if (extraSubclass) w.Subclass(extraSubclass);
    }
    void Entry(const char* type, const char* subclass, int handleCode = 5) {
        w.Pair(0, type);
        w.Handle(handleCode);
        w.Owner(handle);
        w.Subclass("AcDbSymbolTableRecord");
        w.Subclass(subclass);
    }
    void End() { w.Pair(0, "ENDTAB"); }
};

}  // namespace

std::size_t DxfEntityCount(const Drawing& drawing, const std::optional<std::vector<int>>& ids) {
    return Selected(drawing, ids).size();
}

std::string WriteDxf(const Drawing& drawing, const std::optional<std::vector<int>>& ids, DxfVersion version,
                     int decimals) {
    DxfWriter w(version, decimals);
    const std::vector<const Entity*> entities = Selected(drawing, ids);
    // Handles are handed out in writing order; the seed must lie beyond the last, so
    // the body is written first and the header put in front of it.
    DxfWriter& body = w;

    // ---- tables
    body.Pair(0, "SECTION");
    body.Pair(2, "TABLES");
    TableWriter t{body, {}};
    if (w.R2000()) {
        t.Begin("VPORT", 1);
        t.Entry("VPORT", "AcDbViewportTableRecord");
        body.Pair(2, "*ACTIVE");
        body.Int(70, 0);
        body.Real(10, 0);
        body.Real(20, 0);
        body.Real(11, 1);
        body.Real(21, 1);
        body.Real(12, 0);
        body.Real(22, 0);
        body.Real(40, 100);
        body.Real(41, 1.5);
        t.End();
    }
    t.Begin("LTYPE", w.R2000() ? 3 : 1);
    if (w.R2000()) {
        for (const char* name : {"ByBlock", "ByLayer"}) {
            t.Entry("LTYPE", "AcDbLinetypeTableRecord");
            body.Pair(2, name);
            body.Int(70, 0);
            body.Pair(3, "");
            body.Int(72, 65);
            body.Int(73, 0);
            body.Real(40, 0);
        }
    }
    t.Entry("LTYPE", "AcDbLinetypeTableRecord");
    body.Pair(2, "CONTINUOUS");
    body.Int(70, 0);
    body.Pair(3, "Solid line");
    body.Int(72, 65);
    body.Int(73, 0);
    body.Real(40, 0);
    t.End();

    t.Begin("LAYER", drawing.layers().size());
    for (const Layer& layer : drawing.layers()) {
        t.Entry("LAYER", "AcDbLayerTableRecord");
        body.Pair(2, layer.name);
        // Frozen is flag 1; a layer that is off keeps its colour with the sign turned.
        body.Int(70, layer.frozen ? 1 : 0);
        body.Int(62, layer.on ? layer.color : -layer.color);
        body.Pair(6, "CONTINUOUS");
    }
    t.End();

    t.Begin("STYLE", 1);
    t.Entry("STYLE", "AcDbTextStyleTableRecord");
    body.Pair(2, "STANDARD");
    body.Int(70, 0);
    body.Real(40, 0);
    body.Real(41, 1);
    body.Real(50, 0);
    body.Int(71, 0);
    body.Real(42, 2.5);
    body.Pair(3, "txt");
    body.Pair(4, "");
    t.End();

    std::string modelSpace = "0";
    std::string paperSpace = "0";
    std::vector<std::string> blockRecords;
    if (w.R2000()) {
        for (const char* table : {"VIEW", "UCS"}) {
            t.Begin(table, 0);
            t.End();
        }
        t.Begin("APPID", 1);
        t.Entry("APPID", "AcDbRegAppTableRecord");
        body.Pair(2, "ACAD");
        body.Int(70, 0);
        t.End();
        t.Begin("DIMSTYLE", 1, "AcDbDimStyleTable");
        t.Entry("DIMSTYLE", "AcDbDimStyleTableRecord", 105);
        body.Pair(2, "STANDARD");
        body.Int(70, 0);
        t.End();
        t.Begin("BLOCK_RECORD", 2 + drawing.blocks().size());
        modelSpace = body.PeekHandle();
        t.Entry("BLOCK_RECORD", "AcDbBlockTableRecord");
        body.Pair(2, "*Model_Space");
        paperSpace = body.PeekHandle();
        t.Entry("BLOCK_RECORD", "AcDbBlockTableRecord");
        body.Pair(2, "*Paper_Space");
        for (const Block& block : drawing.blocks()) {
            blockRecords.push_back(body.PeekHandle());
            t.Entry("BLOCK_RECORD", "AcDbBlockTableRecord");
            body.Pair(2, block.name);
        }
        t.End();
    }
    body.Pair(0, "ENDSEC");

    // ---- blocks: the two layouts (2000), then the drawing's block definitions
    body.Pair(0, "SECTION");
    body.Pair(2, "BLOCKS");
    if (w.R2000()) {
        for (const auto& [name, owner] : {std::pair{"*Model_Space", modelSpace}, std::pair{"*Paper_Space", paperSpace}}) {
            body.Pair(0, "BLOCK");
            body.Handle();
            body.Owner(owner);
            body.Subclass("AcDbEntity");
            if (std::string(name) == "*Paper_Space") body.Int(67, 1);
            body.Pair(8, "0");
            body.Subclass("AcDbBlockBegin");
            body.Pair(2, name);
            body.Int(70, 0);
            body.Xy(10, Point{});
            body.Pair(3, name);
            body.Pair(1, "");
            body.Pair(0, "ENDBLK");
            body.Handle();
            body.Owner(owner);
            body.Subclass("AcDbEntity");
            if (std::string(name) == "*Paper_Space") body.Int(67, 1);
            body.Pair(8, "0");
            body.Subclass("AcDbBlockEnd");
        }
    }
    for (std::size_t b = 0; b < drawing.blocks().size(); ++b) {
        const Block& block = drawing.blocks()[b];
        const std::string owner = w.R2000() ? blockRecords[b] : std::string("0");
        body.Pair(0, "BLOCK");
        body.Handle();
        body.Owner(owner);
        body.Subclass("AcDbEntity");
        body.Pair(8, "0");
        body.Subclass("AcDbBlockBegin");
        body.Pair(2, block.name);
        // "*E..." and the like are anonymous blocks: flag 1.
        body.Int(70, !block.name.empty() && block.name.front() == '*' ? 1 : 0);
        body.Xy(10, block.base);
        body.Pair(3, block.name);
        if (w.R2000()) body.Pair(1, "");
        for (const Entity& e : block.entities) WriteEntity(body, e, owner);
        body.Pair(0, "ENDBLK");
        body.Handle();
        body.Owner(owner);
        body.Subclass("AcDbEntity");
        body.Pair(8, "0");
        body.Subclass("AcDbBlockEnd");
    }
    body.Pair(0, "ENDSEC");

    // ---- entities
    body.Pair(0, "SECTION");
    body.Pair(2, "ENTITIES");
    for (const Entity* e : entities) WriteEntity(body, *e, modelSpace);
    body.Pair(0, "ENDSEC");

    if (w.R2000()) {
        body.Pair(0, "SECTION");
        body.Pair(2, "OBJECTS");
        const std::string root = body.PeekHandle();
        body.Pair(0, "DICTIONARY");
        body.Handle();
        body.Owner("0");
        body.Subclass("AcDbDictionary");
        body.Int(281, 1);
        body.Pair(3, "ACAD_GROUP");
        const std::string group = body.PeekHandle();
        body.Pair(350, group);
        body.Pair(0, "DICTIONARY");
        body.Handle();
        body.Owner(root);
        body.Subclass("AcDbDictionary");
        body.Int(281, 1);
        body.Pair(0, "ENDSEC");
    }
    body.Pair(0, "EOF");
    const std::string rest = std::move(body.text());

    // ---- header, written last so that $HANDSEED is past every handle
    DxfWriter h(version, decimals);
    h.Pair(0, "SECTION");
    h.Pair(2, "HEADER");
    h.Pair(9, "$ACADVER");
    h.Pair(1, w.R2000() ? "AC1015" : "AC1009");
    if (w.R2000()) {
        h.Pair(9, "$ACADMAINTVER");
        h.Int(70, 6);
    }
    h.Pair(9, "$DWGCODEPAGE");
    h.Pair(3, "ANSI_932");
    h.Pair(9, "$INSBASE");
    h.Xy(10, Point{});
    const auto extents = drawing.ComputeExtents();
    h.Pair(9, "$EXTMIN");
    h.Xy(10, extents ? extents->min : Point{});
    h.Pair(9, "$EXTMAX");
    h.Xy(10, extents ? extents->max : Point{});
    h.Pair(9, "$HANDSEED");
    // R12 carries no handles on its entities, but AutoCAD still writes the seed.
    h.Pair(5, w.R2000() ? body.PeekHandle() : std::string("20000"));
    h.Pair(9, "$CLAYER");
    h.Pair(8, drawing.currentLayer());
    h.Pair(9, "$LUNITS");
    h.Int(70, drawing.linearUnits);
    h.Pair(9, "$LUPREC");
    h.Int(70, drawing.unitPrecision);
    // DIMDEC came after R12, whose header has no place for it.
    if (w.R2000()) {
        h.Pair(9, "$DIMDEC");
        h.Int(70, drawing.dimensionDecimals);
    }
    h.Pair(9, "$LIMMIN");
    h.Real(10, 0);
    h.Real(20, 0);
    h.Pair(9, "$LIMMAX");
    h.Real(10, 420);
    h.Real(20, 297);
    h.Pair(0, "ENDSEC");
    return h.text() + rest;
}

// ---- reading -------------------------------------------------------------------------

namespace {

struct Pair {
    int code;
    std::string value;
};

std::string Trim(const std::string& s) {
    const auto a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::optional<double> Real(const std::string& text) {
    const std::string t = Trim(text);
    double v = 0;
    const char* first = t.data();
    if (!t.empty() && t[0] == '+') ++first;
    const auto [end, error] = std::from_chars(first, t.data() + t.size(), v);
    if (error != std::errc() || end != t.data() + t.size() || t.empty()) return std::nullopt;
    return v;
}

struct Record {
    std::string type;
    std::vector<Pair> pairs;
    const std::string* Find(int code) const {
        for (const Pair& p : pairs) {
            if (p.code == code) return &p.value;
        }
        return nullptr;
    }
};

// ---- reading entities -----------------------------------------------------------------
//
// An entity's points are in world coordinates (LINE, ELLIPSE, a 3-D POLYLINE's
// vertices) or in its object coordinates (the rest), whose axes follow from its
// extrusion direction (210/220/230) by the arbitrary-axis rule. The plan is the
// world's XY plane:
//   extrusion (0,0,1)   object coordinates are the world's.
//   extrusion (0,0,-1)  what MIRROR leaves: object X runs against the world's. Circles,
//                       arcs and polylines keep it (normalZ -1), as AutoCAD does; a block
//                       reference, a solid and an ellipse are taken into the world.
//   any other           the entity lies in a tilted plane and the plan shows its
//                       projection: points projected; a circle, an arc, an ellipse and a
//                       polyline's arc segment become the ellipse or elliptical arc they
//                       project to (such a polyline comes in pieces: its straight runs,
//                       its arcs). Seen edge-on (no extent in plan) an entity is left
//                       out, as are texts and block references out of the plan, which
//                       no entity of the stand-in can show.
// An array reference (MINSERT: column and row counts 70/71, spacings 44/45 along the
// reference's turned axes) becomes one block reference a place in the array.

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Vec3 Unit(Vec3 v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0 ? Vec3{v.x / length, v.y / length, v.z / length} : v;
}

// The object coordinate system of an extrusion direction, seen in plan.
struct ObjectFrame {
    Vec3 normal{0, 0, 1};
    Vec3 ax{1, 0, 0};
    Vec3 ay{0, 1, 0};

    bool Up() const { return normal.x == 0 && normal.y == 0 && normal.z > 0; }
    bool Down() const { return normal.x == 0 && normal.y == 0 && normal.z < 0; }
    bool EdgeOn() const { return normal.z == 0; }
    // An object point at `elevation` (its object Z), in plan.
    Point Plan(Point p, double elevation = 0) const {
        return {p.x * ax.x + p.y * ay.x + elevation * normal.x, p.x * ax.y + p.y * ay.y + elevation * normal.y};
    }
    Point PlanVector(Point v) const { return {v.x * ax.x + v.y * ay.x, v.x * ax.y + v.y * ay.y}; }
};

ObjectFrame FrameOf(Vec3 extrusion) {
    ObjectFrame f;
    const Vec3 n = Unit(extrusion);
    if (n.x == 0 && n.y == 0 && n.z == 0) return f;  // no direction: the world's
    f.normal = n;
    // The arbitrary-axis rule: object X is world Y x N near the world's Z, else world Z x N.
    constexpr double kNearZ = 1.0 / 64;
    f.ax = Unit(std::abs(n.x) < kNearZ && std::abs(n.y) < kNearZ ? Cross({0, 1, 0}, n) : Cross({0, 0, 1}, n));
    f.ay = Unit(Cross(n, f.ax));
    return f;
}

// Degrees in [0, 360), as AutoCAD keeps an arc's angles whatever the file says.
double NormalizedDegrees(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0) r += 360.0;
    if (r >= 360.0) r -= 360.0;
    return r;
}

// The ellipse c + u cos s + v sin s, s from s0 to s1 (radians, s1 > s0; the whole
// curve when `whole`), as the stand-in holds an ellipse: centre, major axis, ratio and
// parameter angles counted from the major axis counter-clockwise.
Entity EllipseOfConic(Point c, Point u, Point v, double s0, double s1, bool whole) {
    const EllipseAxes axes = AxesOfConic(u, v, s0 / kDegree, s1 / kDegree);
    Entity e;
    e.kind = EntityKind::Ellipse;
    e.points = {c, axes.major};
    e.ratio = axes.ratio;
    e.startAngle = whole ? 0.0 : NormalizedDegrees(axes.from);
    e.endAngle = whole ? 360.0 : NormalizedDegrees(axes.to);
    return e;
}

// The fields of one record, numbers checked: a value that does not read marks the
// whole file as no DXF.
class Fields {
public:
    Fields(const Record& record, bool& badNumber) : r_(record), bad_(badNumber) {}
    double Num(int code, double fallback = 0) const {
        const std::string* v = r_.Find(code);
        if (!v) return fallback;
        const auto d = Real(*v);
        if (!d) bad_ = true;
        return d.value_or(0);
    }
    Point Xy(int code, double fallback = 0) const { return {Num(code, fallback), Num(code + 10, fallback)}; }
    ObjectFrame Frame() const { return FrameOf({Num(210, 0), Num(220, 0), Num(230, 1)}); }
    std::string Text(int code) const {
        const std::string* v = r_.Find(code);
        return v ? *v : std::string();
    }
    const Record& record() const { return r_; }

private:
    const Record& r_;
    bool& bad_;
};

// A polyline's vertices in object coordinates, with their bulges, as the file has them.
struct RawPolyline {
    std::vector<Point> points;
    std::vector<double> bulges;
    bool closed = false;
    double elevation = 0;
};

// The polyline in plan: as it is when it lies in the plan (either way up), else its
// projection, in pieces when it has arc segments.
std::vector<Entity> PlanPolyline(const RawPolyline& raw, const ObjectFrame& frame, Entity e) {
    e.kind = EntityKind::Polyline;
    e.closed = raw.closed;
    if (frame.Up() || frame.Down()) {
        e.points = raw.points;
        e.bulges = raw.bulges;
        if (!HasArcSegments(e)) e.bulges.clear();
        if (frame.Down()) e.normalZ = -1;
        return {e};
    }
    if (frame.EdgeOn()) return {};
    const auto arcSegment = [&](std::size_t i) { return i < raw.bulges.size() && raw.bulges[i] != 0; };
    std::vector<Entity> out;
    const std::size_t n = raw.points.size();
    const std::size_t segments = n < 2 ? 0 : (raw.closed ? n : n - 1);
    bool anyArc = false;
    for (std::size_t i = 0; i < segments; ++i) anyArc = anyArc || (arcSegment(i) && !(raw.points[i] == raw.points[(i + 1) % n]));
    if (!anyArc) {
        for (const Point& p : raw.points) e.points.push_back(frame.Plan(p, raw.elevation));
        return {e};
    }
    // Straight runs stay polylines; each arc segment becomes the elliptical arc it
    // projects to.
    Entity run = e;
    const auto flush = [&] {
        if (run.points.size() >= 2) out.push_back(run);
        run.points.clear();
    };
    run.closed = false;
    for (std::size_t i = 0; i < segments; ++i) {
        const Point a = raw.points[i];
        const Point b = raw.points[(i + 1) % n];
        if (!arcSegment(i) || a == b) {
            if (run.points.empty()) run.points.push_back(frame.Plan(a, raw.elevation));
            run.points.push_back(frame.Plan(b, raw.elevation));
            continue;
        }
        flush();
        const BulgeArc arc = ArcOfBulge(a, b, raw.bulges[i]);
        double end = arc.endAngle;
        if (end <= arc.startAngle) end += 360.0;
        Entity piece = EllipseOfConic(frame.Plan(arc.centre, raw.elevation), frame.PlanVector({arc.radius, 0}),
                                      frame.PlanVector({0, arc.radius}), arc.startAngle * kDegree, end * kDegree,
                                      false);
        piece.layer = e.layer;
        out.push_back(std::move(piece));
    }
    flush();
    return out;
}

// What one entity record becomes in the stand-in's drawing: nothing (a kind it does
// not keep, or one it cannot show), one entity, or several (an array reference, a
// tilted polyline with arc segments). `i` is the record's index; a POLYLINE moves it
// past its VERTEX and SEQEND records.
std::vector<Entity> ReadEntity(const std::vector<Record>& records, std::size_t& i, bool& badNumber) {
    const Record& r = records[i];
    const Fields f(r, badNumber);
    Entity e;
    if (const std::string* layer = r.Find(8)) e.layer = *layer;
    const ObjectFrame frame = f.Frame();

    if (r.type == "LINE") {
        e.kind = EntityKind::Line;
        e.points = {f.Xy(10), f.Xy(11)};
        return {e};
    }
    if (r.type == "CIRCLE" || r.type == "ARC") {
        const bool arc = r.type == "ARC";
        const Point centre = f.Xy(10);
        const double radius = f.Num(40);
        const double start = arc ? NormalizedDegrees(f.Num(50)) : 0.0;
        const double end = arc ? NormalizedDegrees(f.Num(51)) : 0.0;
        if (frame.Up() || frame.Down()) {
            e.kind = arc ? EntityKind::Arc : EntityKind::Circle;
            e.points = {centre};
            e.radius = radius;
            e.startAngle = start;
            e.endAngle = end;
            e.normalZ = frame.Down() ? -1 : 1;
            return {e};
        }
        if (frame.EdgeOn()) return {};
        const double to = arc ? (end > start ? end : end + 360.0) : 360.0;
        Entity ellipse = EllipseOfConic(frame.Plan(centre, f.Num(30)), frame.PlanVector({radius, 0}),
                                        frame.PlanVector({0, radius}), start * kDegree, to * kDegree, !arc);
        ellipse.layer = e.layer;
        return {ellipse};
    }
    if (r.type == "ELLIPSE") {
        const Point centre = f.Xy(10);
        const Point major = f.Xy(11);
        const double ratio = f.Num(40, 1);
        const double s0 = f.Num(41);
        double s1 = f.Num(42, 2 * std::numbers::pi);
        if (frame.Up()) {
            e.kind = EntityKind::Ellipse;
            e.points = {centre, major};
            e.ratio = ratio;
            e.startAngle = s0 / kDegree;
            e.endAngle = s1 / kDegree;
            return {e};
        }
        if (frame.EdgeOn()) return {};
        // World points; the minor axis is the normal times the major one.
        const Vec3 m{major.x, major.y, f.Num(31)};
        const Vec3 minor = Cross(frame.normal, m);
        while (s1 <= s0) s1 += 2 * std::numbers::pi;
        const bool whole = s1 - s0 >= 2 * std::numbers::pi - 1e-12;
        Entity ellipse = EllipseOfConic(centre, major, {minor.x * ratio, minor.y * ratio}, s0, s1, whole);
        ellipse.layer = e.layer;
        return {ellipse};
    }
    if (r.type == "TEXT") {
        // A mirrored or tilted text has glyphs no text of the stand-in can show.
        if (!frame.Up()) return {};
        e.kind = EntityKind::Text;
        e.points = {f.Xy(10)};
        e.height = f.Num(40);
        e.rotation = f.Num(50);
        e.widthFactor = f.Num(41, 1);
        e.oblique = f.Num(51);
        e.text = f.Text(1);
        return {e};
    }
    if (r.type == "SOLID") {
        if (frame.EdgeOn()) return {};
        e.kind = EntityKind::Solid;
        const double elevation = f.Num(30);
        for (int code = 10; code <= 13; ++code) e.points.push_back(frame.Plan(f.Xy(code), elevation));
        return {e};
    }
    if (r.type == "INSERT") {
        if (!frame.Up() && !frame.Down()) return {};
        e.kind = EntityKind::Insert;
        e.block = f.Text(2);
        const Point at = f.Xy(10);
        const double sx = f.Num(41, 1);
        const double sy = f.Num(42, 1);
        const double rotation = f.Num(50);
        const int columns = std::max(1, static_cast<int>(f.Num(70, 1)));
        const int rows = std::max(1, static_cast<int>(f.Num(71, 1)));
        const double columnSpacing = f.Num(44);
        const double rowSpacing = f.Num(45);
        const double turn = rotation * kDegree;
        std::vector<Entity> out;
        for (int row = 0; row < rows; ++row) {
            for (int column = 0; column < columns; ++column) {
                const double ox = column * columnSpacing;
                const double oy = row * rowSpacing;
                const Point place{at.x + ox * std::cos(turn) - oy * std::sin(turn),
                                  at.y + ox * std::sin(turn) + oy * std::cos(turn)};
                Entity element = e;
                if (frame.Up()) {
                    element.points = {place};
                    element.scaleX = sx;
                    element.scaleY = sy;
                    element.rotation = rotation;
                } else {
                    // Mirrored in X: the placement M R(r) S(sx, sy) is R(-r) S(-sx, sy).
                    element.points = {frame.Plan(place)};
                    element.scaleX = -sx;
                    element.scaleY = sy;
                    element.rotation = NormalizedDegrees(-rotation);
                }
                out.push_back(std::move(element));
            }
        }
        return out;
    }
    if (r.type == "LWPOLYLINE") {
        RawPolyline raw;
        raw.closed = (static_cast<int>(f.Num(70)) & 1) != 0;
        raw.elevation = f.Num(38);
        double x = 0;
        // A vertex's bulge (42) follows its point and belongs to the segment from it.
        for (const Pair& p : r.pairs) {
            if (p.code == 10) x = Real(p.value).value_or(0);
            if (p.code == 20) raw.points.push_back({x, Real(p.value).value_or(0)});
            if (p.code == 42 && !raw.points.empty()) {
                raw.bulges.resize(raw.points.size(), 0.0);
                raw.bulges.back() = Real(p.value).value_or(0);
            }
        }
        if (!raw.bulges.empty()) raw.bulges.resize(raw.points.size(), 0.0);
        return PlanPolyline(raw, frame, e);
    }
    if (r.type == "POLYLINE") {
        const int flags = static_cast<int>(f.Num(70));
        RawPolyline raw;
        raw.closed = (flags & 1) != 0;
        raw.elevation = f.Num(30);
        while (i + 1 < records.size() && records[i + 1].type == "VERTEX") {
            ++i;
            const Fields v(records[i], badNumber);
            // A spline-fit polyline's frame points are not drawn, only the fitted ones.
            if ((static_cast<int>(v.Num(70)) & 16) != 0) continue;
            raw.points.push_back(v.Xy(10));
            raw.bulges.push_back(v.Num(42));
        }
        if (i + 1 < records.size() && records[i + 1].type == "SEQEND") ++i;
        // Polygon and polyface meshes are surfaces, no plan outline.
        if ((flags & (16 | 64)) != 0) return {};
        if ((flags & 8) != 0) {
            // A 3-D polyline: world points, straight segments.
            e.kind = EntityKind::Polyline;
            e.closed = raw.closed;
            e.points = raw.points;
            return {e};
        }
        return PlanPolyline(raw, frame, e);
    }
    return {};
}

// The header's variables: each a 9 pair with its name followed by its value.
void ReadHeader(const Record& header, DxfDrawing& out) {
    for (std::size_t i = 0; i + 1 < header.pairs.size(); ++i) {
        if (header.pairs[i].code != 9 || header.pairs[i + 1].code != 70) continue;
        const std::string name = Trim(header.pairs[i].value);
        const auto value = Real(header.pairs[i + 1].value);
        if (!value) continue;
        const int v = static_cast<int>(*value);
        if (name == "$LUNITS") out.linearUnits = v;
        else if (name == "$LUPREC") out.unitPrecision = v;
        else if (name == "$DIMDEC") out.dimensionDecimals = v;
    }
}

}  // namespace

std::optional<DxfDrawing> ReadDxf(const std::string& text, std::string* error) {
    const auto fail = [&](std::string why) -> std::optional<DxfDrawing> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    // Lines at CR LF, LF or CR.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));

    // Records: a 0 pair and the pairs up to the next 0.
    std::vector<Record> records;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        int code = 0;
        const std::string c = Trim(lines[i]);
        const auto [end, e] = std::from_chars(c.data(), c.data() + c.size(), code);
        if (e != std::errc() || end != c.data() + c.size() || c.empty())
            return fail("line " + std::to_string(i + 1) + ": no group code: " + lines[i]);
        if (code == 0) {
            records.push_back(Record{Trim(lines[i + 1]), {}});
        } else if (!records.empty()) {
            records.back().pairs.push_back(Pair{code, lines[i + 1]});
        }
    }
    if (records.empty() || records.back().type != "EOF") return fail("no EOF");

    DxfDrawing out;
    std::string section;
    bool inBlock = false;
    bool badNumber = false;
    const auto num = [&](const Record& r, int code, double fallback = 0) {
        const std::string* v = r.Find(code);
        if (!v) return fallback;
        const auto d = Real(*v);
        if (!d) badNumber = true;
        return d.value_or(0);
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        if (r.type == "SECTION") {
            const std::string* name = r.Find(2);
            section = name ? Trim(*name) : "";
            // The header's variables are pairs of the section's own record.
            if (section == "HEADER") ReadHeader(r, out);
            continue;
        }
        if (r.type == "ENDSEC") {
            section.clear();
            continue;
        }
        if (section == "TABLES" && r.type == "LAYER") {
            if (const std::string* name = r.Find(2)) {
                const int color = static_cast<int>(num(r, 62, 7));
                Layer layer{*name, std::abs(color)};
                layer.on = color >= 0;
                layer.frozen = (static_cast<int>(num(r, 70)) & 1) != 0;
                out.layers.push_back(layer);
            }
            continue;
        }
        if (section == "BLOCKS" && r.type == "BLOCK") {
            const std::string* name = r.Find(2);
            const std::string blockName = name ? *name : std::string();
            // The layouts of a 2000 file (and of an R12 file a later program wrote,
            // "$MODEL_SPACE") are no block definitions of the drawing; an anonymous
            // block ("*E1", "*D2") is.
            const std::string upper = AsciiUpper(blockName);
            const auto layout = [&](const char* space) {
                return upper.rfind(std::string("*") + space, 0) == 0 || upper.rfind(std::string("$") + space, 0) == 0;
            };
            inBlock = !blockName.empty() && !layout("MODEL_SPACE") && !layout("PAPER_SPACE");
            if (inBlock) out.blocks.push_back(Block{blockName, {num(r, 10), num(r, 20)}, {}});
            continue;
        }
        if (section == "BLOCKS" && r.type == "ENDBLK") {
            inBlock = false;
            continue;
        }
        if (section != "ENTITIES" && !(section == "BLOCKS" && inBlock)) continue;
        std::vector<Entity> read = ReadEntity(records, i, badNumber);
        if (badNumber) return fail(r.type + ": a value that is no number");
        // Paper space holds no plan.
        if (section == "ENTITIES" && r.Find(67) && Trim(*r.Find(67)) == "1") continue;
        std::vector<Entity>& into = section == "BLOCKS" ? out.blocks.back().entities : out.entities;
        for (Entity& e : read) into.push_back(std::move(e));
    }
    return out;
}

void LoadDxfInto(Drawing& drawing, const DxfDrawing& file) {
    std::vector<Entity> entities = file.entities;
    int id = 0;
    for (Entity& e : entities) e.id = ++id;
    drawing.Restore(file.layers, "0", std::move(entities));
    for (const Block& block : file.blocks) drawing.DefineBlock(block);
    const auto take = [](int& setting, std::optional<int> value, int lowest, int highest) {
        if (value && *value >= lowest && *value <= highest) setting = *value;
    };
    take(drawing.linearUnits, file.linearUnits, kLinearUnitsMin, kLinearUnitsMax);
    take(drawing.unitPrecision, file.unitPrecision, kPrecisionMin, kPrecisionMax);
    take(drawing.dimensionDecimals, file.dimensionDecimals, kPrecisionMin, kPrecisionMax);
}

bool LoadDxfFile(Drawing& drawing, const std::filesystem::path& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "cannot open the file";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto file = ReadDxf(text, error);
    if (!file) return false;
    LoadDxfInto(drawing, *file);
    return true;
}

}  // namespace tessavue::sim
