#include "dxf_file.h"

#include "text.h"
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
    const auto layerOf = [](const Record& r) {
        const std::string* v = r.Find(8);
        return v ? *v : std::string("0");
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
            // The layouts of a 2000 file are no block definitions of the drawing; an
            // anonymous block ("*E1", "*D2") is.
            const std::string upper = AsciiUpper(blockName);
            inBlock = !blockName.empty() && upper.rfind("*MODEL_SPACE", 0) != 0 && upper.rfind("*PAPER_SPACE", 0) != 0;
            if (inBlock) out.blocks.push_back(Block{blockName, {num(r, 10), num(r, 20)}, {}});
            continue;
        }
        if (section == "BLOCKS" && r.type == "ENDBLK") {
            inBlock = false;
            continue;
        }
        if (section != "ENTITIES" && !(section == "BLOCKS" && inBlock)) continue;
        Entity e;
        e.layer = layerOf(r);
        if (r.type == "LINE") {
            e.kind = EntityKind::Line;
            e.points = {{num(r, 10), num(r, 20)}, {num(r, 11), num(r, 21)}};
        } else if (r.type == "CIRCLE" || r.type == "ARC") {
            e.kind = r.type == "ARC" ? EntityKind::Arc : EntityKind::Circle;
            e.points = {{num(r, 10), num(r, 20)}};
            e.radius = num(r, 40);
            e.startAngle = num(r, 50);
            e.endAngle = num(r, 51);
        } else if (r.type == "ELLIPSE") {
            e.kind = EntityKind::Ellipse;
            e.points = {{num(r, 10), num(r, 20)}, {num(r, 11), num(r, 21)}};
            e.ratio = num(r, 40, 1);
            e.startAngle = num(r, 41) / kDegree;
            e.endAngle = num(r, 42, 2 * std::numbers::pi) / kDegree;
        } else if (r.type == "TEXT") {
            e.kind = EntityKind::Text;
            e.points = {{num(r, 10), num(r, 20)}};
            e.height = num(r, 40);
            e.rotation = num(r, 50);
            e.widthFactor = num(r, 41, 1);
            e.oblique = num(r, 51);
            const std::string* value = r.Find(1);
            e.text = value ? *value : "";
        } else if (r.type == "SOLID") {
            e.kind = EntityKind::Solid;
            e.points = {{num(r, 10), num(r, 20)}, {num(r, 11), num(r, 21)}, {num(r, 12), num(r, 22)},
                        {num(r, 13), num(r, 23)}};
        } else if (r.type == "INSERT") {
            e.kind = EntityKind::Insert;
            e.points = {{num(r, 10), num(r, 20)}};
            const std::string* name = r.Find(2);
            e.block = name ? *name : "";
            e.scaleX = num(r, 41, 1);
            e.scaleY = num(r, 42, 1);
            e.rotation = num(r, 50);
        } else if (r.type == "LWPOLYLINE") {
            e.kind = EntityKind::Polyline;
            e.closed = (static_cast<int>(num(r, 70)) & 1) != 0;
            double x = 0;
            // A vertex's bulge (42) follows its point and belongs to the segment from it.
            for (const Pair& p : r.pairs) {
                if (p.code == 10) x = Real(p.value).value_or(0);
                if (p.code == 20) e.points.push_back({x, Real(p.value).value_or(0)});
                if (p.code == 42 && !e.points.empty()) {
                    e.bulges.resize(e.points.size(), 0.0);
                    e.bulges.back() = Real(p.value).value_or(0);
                }
            }
            if (!e.bulges.empty()) e.bulges.resize(e.points.size(), 0.0);
        } else if (r.type == "POLYLINE") {
            e.kind = EntityKind::Polyline;
            e.closed = (static_cast<int>(num(r, 70)) & 1) != 0;
            while (i + 1 < records.size() && records[i + 1].type == "VERTEX") {
                ++i;
                e.points.push_back({num(records[i], 10), num(records[i], 20)});
                e.bulges.push_back(num(records[i], 42));
            }
            if (!HasArcSegments(e)) e.bulges.clear();
            if (i + 1 < records.size() && records[i + 1].type == "SEQEND") ++i;
        } else {
            continue;
        }
        // Only the two directions a plan knows: along world Z, or against it.
        if (e.kind == EntityKind::Circle || e.kind == EntityKind::Arc || e.kind == EntityKind::Polyline)
            e.normalZ = num(r, 230, 1) < 0 ? -1 : 1;
        if (badNumber) return fail(r.type + ": a value that is no number");
        if (section == "BLOCKS") {
            out.blocks.back().entities.push_back(std::move(e));
        } else {
            out.entities.push_back(std::move(e));
        }
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
