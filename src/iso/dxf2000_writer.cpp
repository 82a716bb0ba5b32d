#include "iso/dxf2000_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>
#include <system_error>
#include <string_view>
#include <type_traits>
#include <variant>

#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"

namespace tessavue {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Shift-JIS: a lead byte takes the next byte with it, and that trail byte may look
// like "\\" or a letter; only single-byte characters are looked at as ASCII.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// AutoCAD compares names with ASCII letters folded to upper case.
std::string NameKey(const std::string& name) {
    std::string key = name;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        if (IsLeadByte(c)) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            key[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return key;
}

bool HasControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// Whether a "\U+" escape with four hexadecimal digits starts at `i`.
bool UnicodeEscapeAt(const std::string& name, std::size_t i) {
    if (name.compare(i, 3, "\\U+") != 0 || i + 7 > name.size()) return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(i) + 3, name.begin() + static_cast<std::ptrdiff_t>(i) + 7,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// The characters AutoCAD refuses in a layer or style name, looked for outside
// double-byte characters.
bool IsGoodName(const std::string& name) {
    if (name.empty() || HasControl(name)) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsLeadByte(c)) {
            if (i + 1 == name.size()) return false;  // a lead byte without its trail
            ++i;
        } else if (c == '\\' && UnicodeEscapeAt(name, i)) {
            // A character outside the code page, as AutoCAD itself writes it: "\U+03A1".
            i += 6;
        } else if (std::string_view("<>/\\\":;?*|=`").find(static_cast<char>(c)) != std::string_view::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string UsableName(const std::string& name) {
    if (name.empty()) return "0";
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const unsigned char next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
        if (IsLeadByte(c) && next >= 0x20 && next != 0x7F) {
            out += name.substr(i, 2);
            ++i;
        } else if (c == '\\' && UnicodeEscapeAt(name, i)) {
            out += name.substr(i, 7);
            i += 6;
        } else if (IsLeadByte(c) || c < 0x20 || c == 0x7F ||
                   std::string_view("<>/\\\":;?*|=`").find(static_cast<char>(c)) != std::string_view::npos) {
            out += '_';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {

// The names in first-seen order, each once.
class NameList {
public:
    void Add(const std::string& name) {
        const std::string key = NameKey(name);
        if (std::find(keys_.begin(), keys_.end(), key) != keys_.end()) return;
        keys_.push_back(key);
        names_.push_back(name);
    }
    const std::vector<std::string>& Names() const { return names_; }

private:
    std::vector<std::string> keys_;
    std::vector<std::string> names_;
};

bool Finite(const Vec2& v) { return std::isfinite(v.X) && std::isfinite(v.Y); }

std::string ShapeFault(const WorldShape& shape) {
    const auto all = [](const auto& values, auto finite) { return std::all_of(values.begin(), values.end(), finite); };
    if (const auto* line = std::get_if<WorldLine>(&shape)) {
        if (!Finite(line->Start) || !Finite(line->End)) return "a line holds a number that is not finite";
    } else if (const auto* e = std::get_if<WorldEllipse>(&shape)) {
        if (!Finite(e->Centre) || !Finite(e->MajorAxis) || !std::isfinite(e->Ratio) || !std::isfinite(e->StartParam) ||
            !std::isfinite(e->EndParam))
            return "an ellipse holds a number that is not finite";
        if (e->MajorAxis.X == 0 && e->MajorAxis.Y == 0) return "an ellipse has no major axis";
        if (!(e->Ratio > 0 && e->Ratio <= 1)) return "an ellipse's ratio is not above 0 and up to 1";
    } else if (const auto* s = std::get_if<WorldSpline>(&shape)) {
        const auto finiteNumber = [](double v) { return std::isfinite(v); };
        const auto finitePoint = [](const Vec2& v) { return Finite(v); };
        if (!all(s->Knots, finiteNumber) || !all(s->Weights, finiteNumber) || !all(s->ControlPoints, finitePoint) ||
            !all(s->FitPoints, finitePoint))
            return "a spline holds a number that is not finite";
        if (s->Degree < 1) return "a spline's degree is below 1";
        if (s->ControlPoints.empty() && s->FitPoints.size() < 2) return "a spline has neither control nor fit points";
        if (!s->ControlPoints.empty() &&
            s->Knots.size() != s->ControlPoints.size() + static_cast<std::size_t>(s->Degree) + 1)
            return "a spline's knots do not number its control points plus its degree plus one";
        if (!s->Weights.empty() && s->Weights.size() != s->ControlPoints.size())
            return "a spline's weights do not number its control points";
    } else if (const auto* t = std::get_if<WorldText>(&shape)) {
        if (!Finite(t->Insert) || !Finite(t->AlignPoint) || !std::isfinite(t->Height) || !std::isfinite(t->RotationDeg) ||
            !std::isfinite(t->WidthFactor) || !std::isfinite(t->ObliqueDeg))
            return "a text holds a number that is not finite";
        if (HasControl(t->Text)) return "a text holds a line break or another control character";
        if (!IsGoodName(t->Style)) return "a text's style name is empty or holds a character names may not hold";
    } else if (const auto* p = std::get_if<WorldPoint>(&shape)) {
        if (!Finite(p->At)) return "a point holds a number that is not finite";
    } else if (const auto* solid = std::get_if<WorldSolid>(&shape)) {
        for (const Vec2& corner : solid->Corners)
            if (!Finite(corner)) return "a solid holds a number that is not finite";
    }
    return "";
}

// The smallest box around what the figure draws: an ellipse arc by its extreme
// points, a spline by its control points (the curve lies inside their hull) and fit
// points, a text by its insertion point.
struct Extents {
    bool Any = false;
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;
    void Add(double x, double y) {
        if (!Any) {
            MinX = MaxX = x;
            MinY = MaxY = y;
            Any = true;
            return;
        }
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
        MinY = std::min(MinY, y);
        MaxY = std::max(MaxY, y);
    }
    void Add(const Vec2& v) { Add(v.X, v.Y); }
};

// Whether parameter t lies on the arc from start to end, counter-clockwise.
bool OnArc(double t, double start, double end) {
    const double span = end - start;
    if (span >= 2 * kPi || span <= -2 * kPi) return true;
    double sweep = std::fmod(span, 2 * kPi);
    if (sweep <= 0) sweep += 2 * kPi;
    double from = std::fmod(t - start, 2 * kPi);
    if (from < 0) from += 2 * kPi;
    return from <= sweep;
}

void AddEllipse(Extents& box, const WorldEllipse& e) {
    const double mx = e.MajorAxis.X, my = e.MajorAxis.Y;
    const auto at = [&](double t) {
        const double c = std::cos(t), s = std::sin(t);
        box.Add(e.Centre.X + c * mx - s * e.Ratio * my, e.Centre.Y + c * my + s * e.Ratio * mx);
    };
    at(e.StartParam);
    at(e.EndParam);
    // x is extreme where its derivative -sin t mx - cos t r my vanishes, y where
    // -sin t my + cos t r mx does.
    const double tx = std::atan2(-e.Ratio * my, mx);
    const double ty = std::atan2(e.Ratio * mx, my);
    for (double t : {tx, tx + kPi, ty, ty + kPi})
        if (OnArc(t, e.StartParam, e.EndParam)) at(t);
}

Extents FigureExtents(const WorldFigure& figure) {
    Extents box;
    for (const WorldEntity& entity : figure.Entities) {
        std::visit(
            [&box](const auto& shape) {
                using T = std::decay_t<decltype(shape)>;
                if constexpr (std::is_same_v<T, WorldLine>) {
                    box.Add(shape.Start);
                    box.Add(shape.End);
                } else if constexpr (std::is_same_v<T, WorldEllipse>) {
                    AddEllipse(box, shape);
                } else if constexpr (std::is_same_v<T, WorldSpline>) {
                    for (const Vec2& v : shape.ControlPoints) box.Add(v);
                    for (const Vec2& v : shape.FitPoints) box.Add(v);
                } else if constexpr (std::is_same_v<T, WorldText>) {
                    box.Add(shape.Insert);
                } else if constexpr (std::is_same_v<T, WorldPoint>) {
                    box.Add(shape.At);
                } else if constexpr (std::is_same_v<T, WorldSolid>) {
                    for (const Vec2& v : shape.Corners) box.Add(v);
                }
            },
            entity.Shape);
    }
    return box;
}

// A number as the rest of the program writes it when that text reads back as the same
// double; otherwise the shortest text that does.
std::string Number(double value) {
    std::string text = NumberText(value);
    const std::optional<double> back = TryStrToFloat(text);
    if (back && *back == value) return text;
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.assign(buffer, result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}


std::string Hex64(std::uint64_t handle) {
    char buffer[24];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, handle, 16);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string Hex(unsigned handle) { return Hex64(handle); }

class Out {
public:
    void Pair(int code, const std::string& value) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%3d", code);
        text_ += buffer;
        text_ += "\r\n";
        text_ += value;
        text_ += "\r\n";
    }
    void Pair(int code, const char* value) { Pair(code, std::string(value)); }
    void Int(int code, long long value) { Pair(code, std::to_string(value)); }
    void Real(int code, double value) { Pair(code, Number(value)); }
    void Handle(int code, unsigned handle) { Pair(code, Hex(handle)); }
    // The point in groups code, code + 10, code + 20.
    void Point(int code, double x, double y, double z = 0) {
        Real(code, x);
        Real(code + 10, y);
        Real(code + 20, z);
    }
    void Point(int code, const Vec2& v) { Point(code, v.X, v.Y); }
    std::string& Text() { return text_; }

private:
    std::string text_;
};

// Every handle the file uses, given out in the order the objects are written.
struct Handles {
    unsigned Next = 1;
    unsigned Take() { return Next++; }
};

struct TableHandles {
    unsigned Table = 0;
    std::vector<unsigned> Records;
};

TableHandles TakeTable(Handles& handles, std::size_t records) {
    TableHandles table;
    table.Table = handles.Take();
    for (std::size_t i = 0; i < records; ++i) table.Records.push_back(handles.Take());
    return table;
}

void TableStart(Out& out, const char* name, const TableHandles& table, bool dimStyle = false) {
    out.Pair(0, "TABLE");
    out.Pair(2, name);
    out.Handle(5, table.Table);
    out.Pair(330, "0");
    out.Pair(100, "AcDbSymbolTable");
    out.Int(70, static_cast<long long>(table.Records.size()));
    if (dimStyle) out.Pair(100, "AcDbDimStyleTable");
}

void RecordStart(Out& out, const char* kind, unsigned handle, unsigned owner, const char* subclass,
                 bool dimStyle = false) {
    out.Pair(0, kind);
    out.Handle(dimStyle ? 105 : 5, handle);
    out.Handle(330, owner);
    out.Pair(100, "AcDbSymbolTableRecord");
    out.Pair(100, subclass);
}

void TableEnd(Out& out) { out.Pair(0, "ENDTAB"); }

void WriteHeader(Out& out, const Dxf2000Options& options, const Extents& box, unsigned handseed) {
    out.Pair(0, "SECTION");
    out.Pair(2, "HEADER");
    out.Pair(9, "$ACADVER");
    out.Pair(1, "AC1015");
    out.Pair(9, "$DWGCODEPAGE");
    out.Pair(3, options.CodePage);
    out.Pair(9, "$INSBASE");
    out.Point(10, 0, 0, 0);
    // An empty drawing's extents as AutoCAD leaves them: the box turned inside out.
    out.Pair(9, "$EXTMIN");
    if (box.Any)
        out.Point(10, box.MinX, box.MinY, 0);
    else
        out.Point(10, 1E20, 1E20, 1E20);
    out.Pair(9, "$EXTMAX");
    if (box.Any)
        out.Point(10, box.MaxX, box.MaxY, 0);
    else
        out.Point(10, -1E20, -1E20, -1E20);
    out.Pair(9, "$HANDSEED");
    out.Handle(5, handseed);
    out.Pair(0, "ENDSEC");
    out.Pair(0, "SECTION");
    out.Pair(2, "CLASSES");
    out.Pair(0, "ENDSEC");
}

void WriteEntity(Out& out, const WorldEntity& entity, const std::string& handle, const std::string& owner) {
    const auto start = [&](const char* kind) {
        out.Pair(0, kind);
        out.Pair(5, handle);
        out.Pair(330, owner);
        out.Pair(100, "AcDbEntity");
        out.Pair(8, entity.Layer);
        if (entity.Colour != 256) out.Int(62, entity.Colour);
    };
    std::visit(
        [&](const auto& shape) {
            using T = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<T, WorldLine>) {
                start("LINE");
                out.Pair(100, "AcDbLine");
                out.Point(10, shape.Start);
                out.Point(11, shape.End);
            } else if constexpr (std::is_same_v<T, WorldEllipse>) {
                start("ELLIPSE");
                out.Pair(100, "AcDbEllipse");
                out.Point(10, shape.Centre);
                out.Point(11, shape.MajorAxis);
                out.Point(210, 0, 0, 1);
                out.Real(40, shape.Ratio);
                out.Real(41, shape.StartParam);
                out.Real(42, shape.EndParam);
            } else if constexpr (std::is_same_v<T, WorldSpline>) {
                start("SPLINE");
                out.Pair(100, "AcDbSpline");
                out.Point(210, 0, 0, 1);
                out.Int(70, shape.Flags);
                out.Int(71, shape.Degree);
                out.Int(72, static_cast<long long>(shape.Knots.size()));
                out.Int(73, static_cast<long long>(shape.ControlPoints.size()));
                out.Int(74, static_cast<long long>(shape.FitPoints.size()));
                for (double knot : shape.Knots) out.Real(40, knot);
                for (double weight : shape.Weights) out.Real(41, weight);
                for (const Vec2& v : shape.ControlPoints) out.Point(10, v);
                for (const Vec2& v : shape.FitPoints) out.Point(11, v);
            } else if constexpr (std::is_same_v<T, WorldText>) {
                start("TEXT");
                out.Pair(100, "AcDbText");
                out.Point(10, shape.Insert);
                out.Real(40, shape.Height);
                out.Pair(1, shape.Text);
                out.Real(50, shape.RotationDeg);
                out.Real(41, shape.WidthFactor);
                out.Real(51, shape.ObliqueDeg);
                out.Pair(7, shape.Style);
                if (shape.Generation != 0) out.Int(71, shape.Generation);
                const bool aligned = shape.HorizontalAlign != 0 || shape.VerticalAlign != 0;
                if (aligned) {
                    out.Int(72, shape.HorizontalAlign);
                    out.Point(11, shape.AlignPoint);
                }
                // AutoCAD writes the subclass twice: the vertical alignment follows the second.
                out.Pair(100, "AcDbText");
                if (aligned) out.Int(73, shape.VerticalAlign);
            } else if constexpr (std::is_same_v<T, WorldPoint>) {
                start("POINT");
                out.Pair(100, "AcDbPoint");
                out.Point(10, shape.At);
            } else if constexpr (std::is_same_v<T, WorldSolid>) {
                start("SOLID");
                out.Pair(100, "AcDbTrace");
                for (int i = 0; i < 4; ++i) out.Point(10 + i, shape.Corners[i]);
            }
        },
        entity.Shape);
}

}  // namespace

std::string Dxf2000Fault(const WorldFigure& figure, const Dxf2000Options& options) {
    if (options.CodePage.empty() || HasControl(options.CodePage)) return "the code page name is empty or holds a control character";
    for (const std::string& layer : options.Layers)
        if (!IsGoodName(layer)) return "a layer name is empty or holds a character names may not hold";
    for (const WorldEntity& entity : figure.Entities) {
        if (!IsGoodName(entity.Layer)) return "a layer name is empty or holds a character names may not hold";
        if (entity.Colour < 0 || entity.Colour > 256) return "a colour is outside 0 to 256";
        const std::string fault = ShapeFault(entity.Shape);
        if (!fault.empty()) return fault;
    }
    const Extents box = FigureExtents(figure);
    if (box.Any && !(std::isfinite(box.MinX) && std::isfinite(box.MinY) && std::isfinite(box.MaxX) &&
                     std::isfinite(box.MaxY)))
        return "the figure reaches beyond the largest number";
    return "";
}

std::string Dxf2000Text(const WorldFigure& figure, const Dxf2000Options& options) {
    if (!Dxf2000Fault(figure, options).empty()) return "";

    NameList layers;
    layers.Add("0");
    for (const std::string& layer : options.Layers) layers.Add(layer);
    NameList styles;
    styles.Add("STANDARD");
    for (const WorldEntity& entity : figure.Entities) {
        layers.Add(entity.Layer);
        if (const auto* text = std::get_if<WorldText>(&entity.Shape)) styles.Add(text->Style);
    }
    const Extents box = FigureExtents(figure);

    Handles handles;
    const TableHandles vport = TakeTable(handles, 1);
    const TableHandles ltype = TakeTable(handles, 3);
    const TableHandles layer = TakeTable(handles, layers.Names().size());
    const TableHandles style = TakeTable(handles, styles.Names().size());
    const TableHandles view = TakeTable(handles, 0);
    const TableHandles ucs = TakeTable(handles, 0);
    const TableHandles appid = TakeTable(handles, 1);
    const TableHandles dimstyle = TakeTable(handles, 1);
    const TableHandles blockRecord = TakeTable(handles, 2);
    const unsigned modelSpace = blockRecord.Records[0];
    const unsigned paperSpace = blockRecord.Records[1];
    const unsigned modelBlock = handles.Take(), modelEnd = handles.Take();
    const unsigned paperBlock = handles.Take(), paperEnd = handles.Take();
    const unsigned rootDictionary = handles.Take(), groupDictionary = handles.Take();
    const unsigned firstEntity = handles.Next;
    handles.Next += static_cast<unsigned>(figure.Entities.size());

    Out out;
    out.Text().reserve(4096 + figure.Entities.size() * 256);
    WriteHeader(out, options, box, handles.Next);

    out.Pair(0, "SECTION");
    out.Pair(2, "TABLES");

    // The active viewport shows the whole figure.
    TableStart(out, "VPORT", vport);
    RecordStart(out, "VPORT", vport.Records[0], vport.Table, "AcDbViewportTableRecord");
    out.Pair(2, "*ACTIVE");
    out.Int(70, 0);
    out.Pair(10, "0.0");
    out.Pair(20, "0.0");
    out.Pair(11, "1.0");
    out.Pair(21, "1.0");
    const double centreX = box.Any ? box.MinX / 2 + box.MaxX / 2 : 0;
    const double centreY = box.Any ? box.MinY / 2 + box.MaxY / 2 : 0;
    double height = box.Any ? std::max(box.MaxY - box.MinY, (box.MaxX - box.MinX) / 1.5) * 1.1 : 10;
    if (!(height > 0) || !std::isfinite(height)) height = 10;
    out.Real(12, centreX);
    out.Real(22, centreY);
    out.Pair(13, "0.0");
    out.Pair(23, "0.0");
    out.Pair(14, "1.0");
    out.Pair(24, "1.0");
    out.Pair(15, "1.0");
    out.Pair(25, "1.0");
    out.Point(16, 0, 0, 1);
    out.Point(17, 0, 0, 0);
    out.Real(40, height);
    out.Pair(41, "1.5");
    out.Pair(42, "50.0");
    out.Pair(43, "0.0");
    out.Pair(44, "0.0");
    out.Pair(50, "0.0");
    out.Pair(51, "0.0");
    out.Int(71, 0);
    out.Int(72, 100);
    out.Int(73, 1);
    out.Int(74, 3);
    out.Int(75, 0);
    out.Int(76, 0);
    out.Int(77, 0);
    out.Int(78, 0);
    TableEnd(out);

    TableStart(out, "LTYPE", ltype);
    const char* const linetypes[] = {"ByBlock", "ByLayer", "Continuous"};
    const char* const descriptions[] = {"", "", "Solid line"};
    for (int i = 0; i < 3; ++i) {
        RecordStart(out, "LTYPE", ltype.Records[static_cast<std::size_t>(i)], ltype.Table, "AcDbLinetypeTableRecord");
        out.Pair(2, linetypes[i]);
        out.Int(70, 0);
        out.Pair(3, descriptions[i]);
        out.Int(72, 65);
        out.Int(73, 0);
        out.Pair(40, "0.0");
    }
    TableEnd(out);

    TableStart(out, "LAYER", layer);
    for (std::size_t i = 0; i < layers.Names().size(); ++i) {
        RecordStart(out, "LAYER", layer.Records[i], layer.Table, "AcDbLayerTableRecord");
        out.Pair(2, layers.Names()[i]);
        out.Int(70, 0);
        out.Int(62, 7);
        out.Pair(6, "Continuous");
    }
    TableEnd(out);

    TableStart(out, "STYLE", style);
    for (std::size_t i = 0; i < styles.Names().size(); ++i) {
        RecordStart(out, "STYLE", style.Records[i], style.Table, "AcDbTextStyleTableRecord");
        out.Pair(2, styles.Names()[i]);
        out.Int(70, 0);
        out.Pair(40, "0.0");
        out.Pair(41, "1.0");
        out.Pair(50, "0.0");
        out.Int(71, 0);
        out.Pair(42, "2.5");
        out.Pair(3, "txt");
        out.Pair(4, "");
    }
    TableEnd(out);

    TableStart(out, "VIEW", view);
    TableEnd(out);
    TableStart(out, "UCS", ucs);
    TableEnd(out);

    TableStart(out, "APPID", appid);
    RecordStart(out, "APPID", appid.Records[0], appid.Table, "AcDbRegAppTableRecord");
    out.Pair(2, "ACAD");
    out.Int(70, 0);
    TableEnd(out);

    TableStart(out, "DIMSTYLE", dimstyle, true);
    RecordStart(out, "DIMSTYLE", dimstyle.Records[0], dimstyle.Table, "AcDbDimStyleTableRecord", true);
    out.Pair(2, "STANDARD");
    out.Int(70, 0);
    TableEnd(out);

    TableStart(out, "BLOCK_RECORD", blockRecord);
    RecordStart(out, "BLOCK_RECORD", modelSpace, blockRecord.Table, "AcDbBlockTableRecord");
    out.Pair(2, "*Model_Space");
    RecordStart(out, "BLOCK_RECORD", paperSpace, blockRecord.Table, "AcDbBlockTableRecord");
    out.Pair(2, "*Paper_Space");
    TableEnd(out);
    out.Pair(0, "ENDSEC");

    out.Pair(0, "SECTION");
    out.Pair(2, "BLOCKS");
    const auto block = [&out](const char* name, unsigned begin, unsigned end, unsigned owner, bool paper) {
        out.Pair(0, "BLOCK");
        out.Handle(5, begin);
        out.Handle(330, owner);
        out.Pair(100, "AcDbEntity");
        if (paper) out.Int(67, 1);
        out.Pair(8, "0");
        out.Pair(100, "AcDbBlockBegin");
        out.Pair(2, name);
        out.Int(70, 0);
        out.Point(10, 0, 0, 0);
        out.Pair(3, name);
        out.Pair(1, "");
        out.Pair(0, "ENDBLK");
        out.Handle(5, end);
        out.Handle(330, owner);
        out.Pair(100, "AcDbEntity");
        if (paper) out.Int(67, 1);
        out.Pair(8, "0");
        out.Pair(100, "AcDbBlockEnd");
    };
    block("*Model_Space", modelBlock, modelEnd, modelSpace, false);
    block("*Paper_Space", paperBlock, paperEnd, paperSpace, true);
    out.Pair(0, "ENDSEC");

    out.Pair(0, "SECTION");
    out.Pair(2, "ENTITIES");
    for (std::size_t i = 0; i < figure.Entities.size(); ++i)
        WriteEntity(out, figure.Entities[i], Hex(firstEntity + static_cast<unsigned>(i)), Hex(modelSpace));
    out.Pair(0, "ENDSEC");

    out.Pair(0, "SECTION");
    out.Pair(2, "OBJECTS");
    out.Pair(0, "DICTIONARY");
    out.Handle(5, rootDictionary);
    out.Pair(330, "0");
    out.Pair(100, "AcDbDictionary");
    out.Int(281, 1);
    out.Pair(3, "ACAD_GROUP");
    out.Handle(350, groupDictionary);
    out.Pair(0, "DICTIONARY");
    out.Handle(5, groupDictionary);
    out.Handle(330, rootDictionary);
    out.Pair(100, "AcDbDictionary");
    out.Int(281, 1);
    out.Pair(0, "ENDSEC");
    out.Pair(0, "EOF");
    return std::move(out.Text());
}

namespace {


std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string Dxf2000BesideText(const DxfLines& drawing, const WorldFigure& figure, std::string& error) {
    error = Dxf2000Fault(figure, {});
    if (!error.empty()) return {};
    // One walk over the pairs: the version, the handle seed's line, the model space's
    // record, the largest handle given out and where ENTITIES ends.
    std::string version;
    std::optional<std::size_t> seedLine;
    std::string modelSpace;
    std::uint64_t largest = 0;
    std::optional<std::size_t> entitiesEnd;
    std::string section, table, variable, recordHandle, recordName;
    bool inRecord = false;
    const auto closeRecord = [&] {
        if (inRecord && table == "BLOCK_RECORD" && SameName(recordName, "*Model_Space")) modelSpace = recordHandle;
        inRecord = false;
        recordHandle.clear();
        recordName.clear();
    };
    for (std::size_t i = 0; i + 1 < drawing.size(); i += 2) {
        int code = 0;
        const std::string_view codeText = Trim(drawing[i]);
        const auto [end, failure] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), code);
        if (codeText.empty() || failure != std::errc() || end != codeText.data() + codeText.size()) {
            error = "the drawing's group code on line " + std::to_string(i + 1) + " is no number";
            return {};
        }
        const std::string& value = drawing[i + 1];
        if (code == 0) {
            closeRecord();
            if (value == "EOF") break;
            if (value == "ENDSEC") {
                if (section == "ENTITIES" && !entitiesEnd) entitiesEnd = i;
                section.clear();
            }
            if (section == "TABLES" && value == "ENDTAB") table.clear();
            if (section == "TABLES" && value == "BLOCK_RECORD" && table == "BLOCK_RECORD") inRecord = true;
            variable.clear();
        } else if (code == 2 && i >= 2 && Trim(drawing[i - 2]) == "0" && drawing[i - 1] == "SECTION") {
            section = std::string(Trim(value));
        } else if (code == 2 && section == "TABLES" && i >= 2 && Trim(drawing[i - 2]) == "0" && drawing[i - 1] == "TABLE") {
            table = std::string(Trim(value));
        } else if (code == 2 && inRecord) {
            recordName = value;
        } else if (code == 9 && section == "HEADER") {
            variable = value;
        } else if (section == "HEADER" && variable == "$ACADVER" && code == 1) {
            version = std::string(Trim(value));
        } else if (section == "HEADER" && variable == "$HANDSEED" && code == 5) {
            seedLine = i + 1;
        }
        if (code == 5 || code == 105) {
            std::uint64_t handle = 0;
            const std::string_view h = Trim(value);
            const auto [stop, bad] = std::from_chars(h.data(), h.data() + h.size(), handle, 16);
            if (bad == std::errc() && stop == h.data() + h.size()) {
                largest = std::max(largest, handle);
                if (code == 5 && inRecord) recordHandle = std::string(h);
            }
        }
    }
    // Ellipses, splines and light-weight polylines need DXF 2000's entities.
    if (version.size() != 6 || version.compare(0, 2, "AC") != 0 || version < "AC1015") {
        error = "a drawing of DXF " + (version.empty() ? std::string("without a version") : version) +
                " cannot hold the figure's entities; DXF 2000 (AC1015) or later is needed";
        return {};
    }
    if (modelSpace.empty()) {
        error = "the drawing has no model space record to own the figure";
        return {};
    }
    if (!entitiesEnd) {
        error = "the drawing has no closed ENTITIES section";
        return {};
    }
    if (largest > UINT64_MAX - figure.Entities.size() - 1) {
        error = "the drawing's handles leave no room for the figure's";
        return {};
    }
    Out records;
    std::uint64_t next = largest + 1;
    for (const WorldEntity& entity : figure.Entities) WriteEntity(records, entity, Hex64(next++), modelSpace);

    std::string text;
    text.reserve(records.Text().size() + drawing.size() * 12);
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        if (i == *entitiesEnd) text += records.Text();
        text += seedLine && i == *seedLine ? Hex64(next) : drawing[i];
        text += "\r\n";
    }
    return text;
}

bool WriteDxf2000File(const std::filesystem::path& path, const WorldFigure& figure, const Dxf2000Options& options,
                      std::string& error) {
    error = Dxf2000Fault(figure, options);
    if (!error.empty()) return false;
    const std::string text = Dxf2000Text(figure, options);

    std::filesystem::path temporary = path;
    temporary += ".tmp";
    std::error_code ignored;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) {
            error = "the file could not be created in its folder";
            return false;
        }
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
        file.close();
        if (!file) {
            std::filesystem::remove(temporary, ignored);
            error = "the file could not be written in full";
            return false;
        }
    }
    std::error_code failure;
    if (std::filesystem::exists(path, failure)) {
        std::filesystem::remove(path, failure);
        if (failure) {
            std::filesystem::remove(temporary, ignored);
            error = "the existing file could not be replaced";
            return false;
        }
    }
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        std::filesystem::remove(temporary, ignored);
        error = "the new file could not be moved into place";
        return false;
    }
    return true;
}

}  // namespace tessavue
