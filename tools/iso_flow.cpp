#include "iso_flow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>
#include <set>
#include <stdexcept>
#include <system_error>

#include "draw/axis_figure.h"
#include "draw/dimension_figure.h"
#include "draw/draw_command.h"
#include "draw/figure_rewrite.h"
#include "draw/offset_figure.h"
#include "draw/round_bar_bend_figure.h"
#include "draw/text_figure.h"
#include "draw/two_face_figure.h"
#include "draw/typed_figures.h"
#include "dxf_data/str_to_float.h"
#include "import/dxf_reader.h"
#include "import/plan_reader.h"
#include "iso/dxf2000_writer.h"
#include "iso/faces.h"
#include "iso/figure_generators.h"
#include "text_codes.h"


namespace tessavue {

const char* const kIsoToolUsage =
    "usage: tessavue-iso --face N [options] PLAN.dxf OUT.dxf\n"
    "       tessavue-iso --kind KIND --face N [numbers] [options] OUT.dxf\n"
    "       tessavue-iso --kind offset --face N --height H [options] DRAWING.dxf OUT.dxf\n"
    "  --kind KIND              existing (既存図形, default: the plan), or a figure typed in as\n"
    "                           numbers about the --at point: circle (円) --diameter D,\n"
    "                           square (四角) --x X --y Y, hexagon (六角) --across S and\n"
    "                           --horizontal for two horizontal edges (横; default 縦),\n"
    "                           bend (丸棒曲げ) --bend-radius R --bar-diameter D (no height),\n"
    "                           two-face (２面選択, top faces) --top X1,Y1,X2,Y2,... (the top\n"
    "                           view's points) --front Z1,Z2,... (their heights in the front view),\n"
    "                           text (文字) --text STRING [--text-height H, default 2.5], written\n"
    "                           at --at and carried onto the face;\n"
    "                           or from a drawing (PLAN.dxf OUT.dxf): axis (既存軸), the turned\n"
    "                           part about a centre line, its base point landing on --at:\n"
    "                           --centre-layer L or --centre-handle H (one line) and\n"
    "                           --outline-layer L or --outline-handles H1,H2,... (the lines\n"
    "                           of the half right of a vertical axis, above a horizontal one)\n"
    "                           offset (オフセット): the objects of an isometric DRAWING the layers and\n"
    "                           window pick, copied H along the face's depth (no --base, --at),\n"
    "                           each corner joined to its copy; the copies and joins are written,\n"
    "                           with --keep-originals the objects too\n"
    "                           dimension (寸法) --p1 X,Y --p2 X,Y (the measured points in the\n"
    "                           drawing) --p3 X,Y (the side of the line) [--offset D (10)]\n"
    "                           [--decimals N (4, 0..8)]\n"
    "  --face N                 0 or 上左 top left, 1 or 上右 top right, 2 or 左 left, 3 or 右 right;\n"
    "                           several as a comma list (0,3): each face's figure is drawn\n"
    "  --height H               the height (default 10); 0 draws the plan's face alone\n"
    "  --invert-sign            the height goes the other way\n"
    "  --base X,Y               the plan's base point (default 0,0)\n"
    "  --at X,Y                 where the base point lands in the drawing (default: the base)\n"
    "  --no-height-lines        the raised copy without the lines joining it\n"
    "  --circle-height-lines    circles, arcs and ellipses get height lines too\n"
    "  --layer NAME             only what lies on this layer (may be given again)\n"
    "  --window X1,Y1,X2,Y2     only what lies wholly inside this window\n"
    "  --svg FILE               a picture of the figure as well\n"
    "  --beside                 OUT is a copy of PLAN (DXF 2000 or later) with the figure\n"
    "                           added to its model space, not the figure alone\n"
    "exit status: 0 written, 2 wrong command line, 3 plan unreadable, 4 nothing to draw,\n"
    "5 output not written, 6 numbers out of range; a refusal leaves no output file\n";

namespace {

constexpr double kPi = std::numbers::pi;

// Options and numbers are ASCII; anything else in them is no valid option anyway.
std::string AsciiText(const std::filesystem::path& argument) {
    std::string text;
    for (auto c : argument.native()) text.push_back(c > 0 && c < 0x7F ? static_cast<char>(c) : '?');
    return text;
}

std::string Utf8Text(const std::filesystem::path& argument) {
    const std::u8string text = argument.u8string();
    return std::string(text.begin(), text.end());
}


// A path as the report shows it: reports are code page 932, as the program's messages.
std::string FileText(const std::filesystem::path& path) {
    const std::string text = Cp932FromUtf8(Utf8Text(path));
    return text.empty() ? AsciiText(path) : text;
}

bool SameLayerName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        // Layer names are the same whatever the case of their ASCII letters.
        if (x != y && !(x < 0x80 && y < 0x80 && std::tolower(x) == std::tolower(y))) return false;
    }
    return true;
}

std::optional<std::int32_t> FaceFromName(const std::string& name) {
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '3') return name[0] - '0';
    // The captions of the palette's face buttons, as typed in a UTF-8 command line.
    const std::pair<const char8_t*, std::int32_t> captions[] = {
        {u8"上左", 0}, {u8"上右", 1}, {u8"左", 2}, {u8"右", 3}};
    for (const auto& [caption, code] : captions) {
        if (name == std::string(reinterpret_cast<const char*>(caption))) return code;
    }
    return std::nullopt;
}

std::optional<std::string> KindFromName(const std::string& name) {
    const std::pair<const char8_t*, const char*> names[] = {
        {u8"existing", kExistingFigureKind}, {u8"既存図形", kExistingFigureKind}, {u8"circle", "円"},
        {u8"円", "円"}, {u8"square", "四角"}, {u8"四角", "四角"}, {u8"hexagon", "六角"}, {u8"六角", "六角"},
        {u8"bend", "丸棒曲げ"}, {u8"丸棒曲げ", "丸棒曲げ"}, {u8"two-face", "２面選択"}, {u8"２面選択", "２面選択"},
        {u8"text", "文字"}, {u8"文字", "文字"}, {u8"axis", "既存軸"}, {u8"既存軸", "既存軸"},
        {u8"offset", "オフセット"}, {u8"オフセット", "オフセット"},
        {u8"dimension", "寸法"}, {u8"寸法", "寸法"}};
    for (const auto& [given, kind] : names) {
        if (name == std::string(reinterpret_cast<const char*>(given))) return std::string(kind);
    }
    return std::nullopt;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) return parts;
        from = comma + 1;
    }
}

std::optional<std::vector<double>> Numbers(const std::string& text, std::size_t count) {
    const std::vector<std::string> parts = SplitCommas(text);
    if (parts.size() != count) return std::nullopt;
    std::vector<double> numbers;
    for (const std::string& part : parts) {
        const std::optional<double> value = TryStrToFloat(part);
        if (!value || !std::isfinite(*value)) return std::nullopt;
        numbers.push_back(*value);
    }
    return numbers;
}

// The plan's extent of a row, exactly: a curve's extremes in X and Y where its range
// passes them.
struct Box {
    double MinX = HUGE_VAL, MinY = HUGE_VAL, MaxX = -HUGE_VAL, MaxY = -HUGE_VAL;
    void Add(double x, double y) {
        MinX = std::min(MinX, x);
        MinY = std::min(MinY, y);
        MaxX = std::max(MaxX, x);
        MaxY = std::max(MaxY, y);
    }
};

bool ParameterCovered(double t, double from, double to) {
    double u = t;
    while (u < from) u += 2 * kPi;
    while (u - 2 * kPi >= from) u -= 2 * kPi;
    return u <= to;
}

Box RowBox(const EntityRecord& row) {
    Box box;
    if (row.Kind == 0) {
        box.Add(row.X1, row.Y1);
        box.Add(row.X2, row.Y2);
        return box;
    }
    // centre + cos t u + sin t v over [from, to].
    double ux = row.X2, uy = 0, vx = 0, vy = row.X2, from = 0, to = 2 * kPi;
    if (row.Kind == 2) {
        from = row.Y2 * kPi / 180;
        to = row.EndAngle * kPi / 180;
        while (to <= from) to += 2 * kPi;
    } else if (row.Kind == 3) {
        ux = row.X2;
        uy = row.Y2;
        vx = -row.Ratio * row.Y2;
        vy = row.Ratio * row.X2;
        from = row.StartParameter * kPi / 180;
        to = row.EndAngle * kPi / 180;
        while (to <= from) to += 2 * kPi;
    }
    const auto at = [&](double t) {
        box.Add(row.X1 + ux * std::cos(t) + vx * std::sin(t), row.Y1 + uy * std::cos(t) + vy * std::sin(t));
    };
    at(from);
    at(to);
    for (double t : {std::atan2(vx, ux), std::atan2(vy, uy)}) {
        for (double c : {t, t + kPi}) {
            if (ParameterCovered(c, from, to)) at(c);
        }
    }
    return box;
}

// What a shape covers: a text its insertion point (its glyphs' reach needs the font),
// a spline its control and fit points (the curve stays inside their hull).
Box ShapeBox(const WorldShape& shape) {
    Box box;
    if (const auto* t = std::get_if<WorldText>(&shape)) {
        box.Add(t->Insert.X, t->Insert.Y);
    } else if (const auto* s = std::get_if<WorldSpline>(&shape)) {
        for (const Vec2& p : s->ControlPoints) box.Add(p.X, p.Y);
        for (const Vec2& p : s->FitPoints) box.Add(p.X, p.Y);
    } else if (const auto* p = std::get_if<WorldPoint>(&shape)) {
        box.Add(p->At.X, p->At.Y);
    } else if (const auto* solid = std::get_if<WorldSolid>(&shape)) {
        for (const Vec2& c : solid->Corners) box.Add(c.X, c.Y);
    }
    return box;
}

// The kinds of the plan's model space this version does not draw, counted by name.
std::map<std::string, int> KindsLeftOut(const DxfLines& lines) {
    static const std::set<std::string> drawn = {"LINE",  "CIRCLE", "ARC",    "ELLIPSE", "LWPOLYLINE", "POLYLINE",
                                                "TEXT",  "SPLINE", "POINT",  "SOLID",   "TRACE",      "VERTEX",
                                                "SEQEND", "INSERT", "ENDSEC", "EOF",  "MTEXT",   "DIMENSION", "HATCH"};
    std::map<std::string, int> left;
    bool inside = false;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (!IsGroupCode(lines[i], "0") && !IsGroupCode(lines[i], "2")) continue;
        std::string value = lines[i + 1];
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.erase(value.begin());
        if (IsGroupCode(lines[i], "2")) {
            if (value == "ENTITIES" && i >= 2 && lines[i - 1] == "SECTION") inside = true;
            continue;
        }
        if (!inside) continue;
        if (value == "ENDSEC") break;
        if (!drawn.count(value)) ++left[value];
    }
    return left;
}

bool FiniteFigure(const WorldFigure& figure) {
    const auto ok = [](Vec2 p) { return std::isfinite(p.X) && std::isfinite(p.Y); };
    for (const WorldEntity& e : figure.Entities) {
        if (const auto* l = std::get_if<WorldLine>(&e.Shape)) {
            if (!ok(l->Start) || !ok(l->End)) return false;
        } else if (const auto* el = std::get_if<WorldEllipse>(&e.Shape)) {
            if (!ok(el->Centre) || !ok(el->MajorAxis) || !std::isfinite(el->Ratio)) return false;
        } else if (const auto* t = std::get_if<WorldText>(&e.Shape)) {
            if (!ok(t->Insert) || !ok(t->AlignPoint) || !std::isfinite(t->Height) || !std::isfinite(t->RotationDeg) ||
                !std::isfinite(t->WidthFactor) || !std::isfinite(t->ObliqueDeg))
                return false;
        } else if (const auto* s = std::get_if<WorldSpline>(&e.Shape)) {
            if (!std::all_of(s->ControlPoints.begin(), s->ControlPoints.end(), ok) ||
                !std::all_of(s->FitPoints.begin(), s->FitPoints.end(), ok))
                return false;
        } else if (const auto* p = std::get_if<WorldPoint>(&e.Shape)) {
            if (!ok(p->At)) return false;
        } else if (const auto* solid = std::get_if<WorldSolid>(&e.Shape)) {
            if (!std::all_of(std::begin(solid->Corners), std::end(solid->Corners), ok)) return false;
        }
    }
    return true;
}

// The text of a number that reads back as the same double.
std::string Svg(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

bool WriteWhole(const std::filesystem::path& path, const std::string& text, std::string& error) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::FILE* out = nullptr;
#ifdef _WIN32
        out = _wfopen(temp.c_str(), L"wb");
#else
        out = std::fopen(temp.c_str(), "wb");
#endif
        if (!out) {
            error = "cannot create " + FileText(temp);
            return false;
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
        const bool closed = std::fclose(out) == 0;
        if (!written || !closed) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            error = "cannot write " + FileText(temp);
            return false;
        }
    }
    std::error_code ignored, renamed;
    std::filesystem::remove(path, ignored);
    std::filesystem::rename(temp, path, renamed);
    if (renamed) {
        std::filesystem::remove(temp, ignored);
        error = "cannot put " + FileText(path) + " in place";
        return false;
    }
    return true;
}

}  // namespace

std::optional<IsoToolOptions> ParseIsoToolOptions(const std::vector<std::filesystem::path>& args,
                                                  std::string& complaint) {
    IsoToolOptions options;
    options.Kind = kExistingFigureKind;
    options.Inputs.Height = 10;
    options.Inputs.FigureKind = kExistingFigureKind;
    options.Inputs.CircleHeightLines = false;
    std::vector<std::filesystem::path> files;
    const auto fail = [&complaint](const std::string& why) {
        complaint = "tessavue-iso: " + why + "\n" + kIsoToolUsage;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string option = AsciiText(args[i]);
        const bool takesValue = option == "--face" || option == "--height" || option == "--base" ||
                                option == "--at" || option == "--layer" || option == "--window" || option == "--svg" ||
                                option == "--kind" || option == "--diameter" || option == "--x" || option == "--y" ||
                                option == "--across" || option == "--bend-radius" || option == "--bar-diameter" ||
                                option == "--top" || option == "--front" || option == "--text" ||
                                option == "--text-height" || option == "--centre-layer" ||
                                option == "--outline-layer" || option == "--centre-handle" ||
                                option == "--outline-handles" || option == "--p1" || option == "--p2" ||
                                option == "--p3" || option == "--offset" || option == "--decimals";
        if (takesValue && i + 1 >= args.size()) return fail(option + " needs a value");
        const std::string value = takesValue ? AsciiText(args[i + 1]) : std::string();
        if (option == "--face") {
            for (const std::string& name : SplitCommas(Utf8Text(args[i + 1]))) {
                const std::optional<std::int32_t> face = FaceFromName(name);
                if (!face) return fail("--face takes 0, 1, 2, 3, 上左, 上右, 左 or 右, not '" + Cp932FromUtf8(name) + "'");
                if (std::find(options.Faces.begin(), options.Faces.end(), *face) == options.Faces.end())
                    options.Faces.push_back(*face);
            }
        } else if (option == "--kind") {
            const std::optional<std::string> kind = KindFromName(Utf8Text(args[i + 1]));
            if (!kind)
                return fail("--kind takes existing, circle, square, hexagon, bend, two-face, text, axis, offset or "
                            "dimension, not '" + value + "'");
            options.Kind = *kind;
        } else if (option == "--diameter" || option == "--x" || option == "--y" || option == "--across" ||
                   option == "--bend-radius" || option == "--bar-diameter" || option == "--text-height") {
            // A size of a figure typed in: a length, so above 0.
            const std::optional<double> size = TryStrToFloat(value);
            if (!size || !std::isfinite(*size) || !(*size > 0))
                return fail("the size " + option + " '" + value + "' is no number above 0");
            double& target = option == "--diameter"      ? options.Numbers.Diameter
                             : option == "--x"           ? options.Numbers.XSide
                             : option == "--y"           ? options.Numbers.YSide
                             : option == "--bend-radius" ? options.Numbers.BendRadius
                             : option == "--bar-diameter" ? options.Numbers.BarDiameter
                             : option == "--text-height"  ? options.Numbers.TextHeight
                                                          : options.Numbers.AcrossFlats;
            target = *size;
        } else if (option == "--top" || option == "--front") {
            // Numbers all, X,Y pairs for the top view.
            const std::size_t count = SplitCommas(value).size();
            const std::optional<std::vector<double>> numbers = Numbers(value, count);
            if (!numbers || (option == "--top" && count % 2 != 0))
                return fail(option + " '" + value + "' is not " + (option == "--top" ? "X1,Y1,X2,Y2,..." : "Z1,Z2,..."));
            (option == "--top" ? options.Numbers.TopPoints : options.Numbers.FrontHeights) = value;
        } else if (option == "--text") {
            // One line, as AutoCAD's TEXT takes it: a line break would end it there.
            const std::string utf8 = Utf8Text(args[i + 1]);
            const std::string text = DxfTextFromUtf8(utf8);
            if (text.empty() || std::any_of(utf8.begin(), utf8.end(), [](char c) {
                    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
                }))
                return fail("the text '" + value + "' is empty, no UTF-8, or holds a line break or another control character");
            options.Numbers.Text = text;
        } else if (option == "--centre-layer" || option == "--outline-layer") {
            (option == "--centre-layer" ? options.CentreLayer : options.OutlineLayer) = Utf8Text(args[i + 1]);
        } else if (option == "--centre-handle" || option == "--outline-handles") {
            std::vector<std::string>& handles = option == "--centre-handle" ? options.CentreHandles : options.OutlineHandles;
            for (const std::string& handle : SplitCommas(value)) {
                if (handle.empty() || handle.size() > 16 ||
                    handle.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    return fail(option + " takes hexadecimal handles, not '" + value + "'");
                handles.push_back(handle);
            }
            if (option == "--centre-handle" && handles.size() != 1) return fail("--centre-handle takes one handle");
        } else if (option == "--p1" || option == "--p2" || option == "--p3") {
            const std::optional<std::vector<double>> xy = Numbers(value, 2);
            if (!xy) return fail("the point '" + value + "' of " + option + " is not X,Y");
            (option == "--p1" ? options.Numbers.P1 : option == "--p2" ? options.Numbers.P2 : options.Numbers.P3) =
                Vec2{(*xy)[0], (*xy)[1]};
        } else if (option == "--offset") {
            const std::optional<double> offset = TryStrToFloat(value);
            if (!offset || !std::isfinite(*offset) || !(*offset > 0))
                return fail("the offset '" + value + "' is no number above 0");
            options.Numbers.DimensionOffset = *offset;
        } else if (option == "--decimals") {
            if (value.size() != 1 || value[0] < '0' || value[0] > '8')
                return fail("--decimals takes a whole number from 0 to 8, not '" + value + "'");
            options.Numbers.DimensionDecimals = value[0] - '0';
        } else if (option == "--horizontal") {
            options.Numbers.Vertical = false;
        } else if (option == "--height") {
            const std::optional<double> height = TryStrToFloat(value);
            if (!height || !std::isfinite(*height)) return fail("the height '" + value + "' is no number");
            options.Inputs.Height = *height;
        } else if (option == "--base" || option == "--at") {
            const std::optional<std::vector<double>> xy = Numbers(value, 2);
            if (!xy) return fail("the point '" + value + "' of " + option + " is not X,Y");
            (option == "--base" ? options.Base : options.At.emplace()) = Vec2{(*xy)[0], (*xy)[1]};
        } else if (option == "--window") {
            const std::optional<std::vector<double>> corners = Numbers(value, 4);
            if (!corners) return fail("the window '" + value + "' is not X1,Y1,X2,Y2");
            options.Window = IsoWindow{(*corners)[0], (*corners)[1], (*corners)[2], (*corners)[3]};
        } else if (option == "--layer") {
            options.Layers.push_back(Utf8Text(args[i + 1]));
        } else if (option == "--svg") {
            options.Svg = args[i + 1];
        } else if (option == "--beside") {
            options.Beside = true;
        } else if (option == "--invert-sign") {
            options.Inputs.HeightSign = -1;
        } else if (option == "--no-height-lines") {
            options.Inputs.HeightLines = false;
        } else if (option == "--circle-height-lines") {
            options.Inputs.CircleHeightLines = true;
        } else if (option == "--keep-originals") {
            options.KeepOriginals = true;
        } else if (option.rfind("--", 0) == 0) {
            return fail("unknown option " + option);
        } else {
            files.push_back(args[i]);
        }
        if (takesValue) ++i;
    }
    if (options.Faces.empty()) return fail("--face is needed");
    if (options.Kind == "寸法" && !(options.Numbers.P1 && options.Numbers.P2 && options.Numbers.P3))
        return fail("a dimension needs --p1, --p2 and --p3");
    options.Inputs.FigureKind = options.Kind;
    if (options.Kind == "文字" && options.Numbers.Text.empty()) return fail("--kind text needs --text");
    if (options.Kind == "既存軸") {
        if (options.CentreLayer.empty() == options.CentreHandles.empty())
            return fail("--kind axis needs the centre line by --centre-layer or by --centre-handle");
        if (options.OutlineLayer.empty() == options.OutlineHandles.empty())
            return fail("--kind axis needs the outline by --outline-layer or by --outline-handles");
    }
    if (options.Beside && options.Kind != kExistingFigureKind && options.Kind != "既存軸")
        return fail("--beside needs a kind drawn from a plan (existing or axis)");
    if (options.Kind != kExistingFigureKind && options.Kind != "既存軸" && options.Kind != "オフセット") {
        if (files.size() != 1) return fail("a figure typed in as numbers needs the output file alone");
        options.Output = files[0];
        return options;
    }
    if (files.size() != 2) return fail("a plan and an output file are needed");
    options.Plan = files[0];
    options.Output = files[1];
    return options;
}

namespace {

// A refusal: no output left behind, also none an earlier run left; the report says why.
int Refuse(const IsoToolOptions& options, int status, const std::string& why, std::string& report) {
    std::error_code ignored;
    std::filesystem::remove(options.Output, ignored);
    if (options.Svg) std::filesystem::remove(*options.Svg, ignored);
    report = "tessavue-iso: " + why + "; nothing written\n";
    return status;
}

int WriteWorld(const IsoToolOptions& options, const WorldFigure& figure, const std::vector<std::string>& notes,
               const std::map<std::string, int>& leftOut, std::string& report);

// The figure of `rows` and `shapes` on every face asked for, written; the exit status.
int WriteFigure(const IsoToolOptions& options, const std::vector<EntityRecord>& rows,
                const std::vector<WorldEntity>& shapes, const PlanShapesLeftOut& shapesLeftOut,
                const std::map<std::string, int>& leftOut, std::string& report) {
    WorldFigure figure;
    std::size_t rowsLeftOut = 0;
    std::size_t mirrored = shapesLeftOut.Mirrored;
    const Vec2 at = options.At.value_or(options.Base);
    for (std::int32_t face : options.Faces) {
        HeightInputs inputs = options.Inputs;
        inputs.FaceCode = face;
        WorldFigureResult result = ExistingFigureInWorld(rows, shapes, inputs, at);
        rowsLeftOut += result.RowsLeftOut;
        mirrored += result.ShapesLeftOut;
        for (WorldEntity& e : result.Figure.Entities) figure.Entities.push_back(std::move(e));
    }
    std::vector<std::string> notes;
    if (rowsLeftOut > 0) notes.push_back("left out " + std::to_string(rowsLeftOut) + " curves of no size");
    if (shapesLeftOut.Tilted > 0)
        notes.push_back("left out " + std::to_string(shapesLeftOut.Tilted) +
                        " texts, splines and solids in a tilted plane");
    if (mirrored > 0) notes.push_back("left out " + std::to_string(mirrored) + " mirrored texts");
    if (shapesLeftOut.Damaged > 0)
        notes.push_back("left out " + std::to_string(shapesLeftOut.Damaged) +
                        " splines whose counts disagree and texts of no size or holding control characters");
    return WriteWorld(options, figure, notes, leftOut, report);
}

// `figure` written as asked; the exit status. `notes` are what the report adds.
int WriteWorld(const IsoToolOptions& options, const WorldFigure& given, const std::vector<std::string>& notes,
               const std::map<std::string, int>& leftOut, std::string& report) {
    const auto refuse = [&](int status, const std::string& why) { return Refuse(options, status, why, report); };
    // A plan from another program may name layers in ways AutoCAD refuses; the drawing
    // keeps them, written in a form every reader takes.
    WorldFigure figure = given;
    std::set<std::string> renamed;
    for (WorldEntity& e : figure.Entities) {
        const std::string usable = UsableName(e.Layer);
        if (usable != e.Layer) renamed.insert(e.Layer);
        e.Layer = usable;
        if (auto* t = std::get_if<WorldText>(&e.Shape)) t->Style = UsableName(t->Style);
    }
    if (!FiniteFigure(figure))
        return refuse(IsoOutOfRange, "the figure's coordinates leave the range of numbers a drawing holds "
                                     "(the plan, the height or the points given are too large)");
    Dxf2000Options written;
    std::set<std::string> layers;
    for (const WorldEntity& e : figure.Entities) layers.insert(e.Layer);
    written.Layers.assign(layers.begin(), layers.end());
    std::string error;
    if (options.Beside) {
        // The plan read again as it stands, so that the copy holds every line of it.
        const std::optional<DxfLines> plan = LoadDxfLines(options.Plan);
        if (!plan) return refuse(IsoPlanUnreadable, "the plan " + FileText(options.Plan) + " cannot be read");
        const std::string text = Dxf2000BesideText(*plan, figure, error);
        if (text.empty()) return refuse(IsoBadCommandLine, "--beside: " + error + "; without --beside the figure is written alone");
        if (!WriteWhole(options.Output, text, error)) return refuse(IsoOutputUnwritable, error);
    } else if (!WriteDxf2000File(options.Output, figure, written, error)) {
        return refuse(IsoOutputUnwritable, error);
    }
    if (options.Svg && !WriteWhole(*options.Svg, FigureSvg(figure), error)) return refuse(IsoOutputUnwritable, error);

    report = "tessavue-iso: " + std::to_string(figure.Entities.size()) + " entities written to " +
             FileText(options.Output) + (options.Beside ? " beside the plan's own" : "") + "\n";
    for (const std::string& note : notes) report += "tessavue-iso: " + note + "\n";
    if (!renamed.empty())
        report += "tessavue-iso: " + std::to_string(renamed.size()) +
                  " layer names hold characters AutoCAD refuses in names; written with \"_\" in their place\n";
    if (!leftOut.empty()) {
        report += "tessavue-iso: left out (not drawn by this version):";
        for (const auto& [kind, count] : leftOut) report += " " + std::to_string(count) + " " + kind;
        report += "\n";
    }
    return IsoWritten;
}

// A LINE of the drawing's model space, as the palette's listing of a selection gives it.
struct DrawingLine {
    std::string Handle, Layer;
    EntityRecord Row;  // a line row, its layer the line's
};

// The lines of the ENTITIES section outside paper space, by their group pairs; the
// palette's selections of a centre line and an outline hold lines alone.
std::vector<DrawingLine> ModelSpaceLines(const DxfLines& lines, const std::filesystem::path& path) {
    const std::optional<std::size_t> section = FindSectionName(lines, "ENTITIES");
    if (!section) throw DxfReadError("DXF ファイルに ENTITIES セクションがありません: " + FileNameForMessage(path));
    std::vector<DrawingLine> found;
    std::optional<DrawingLine> line;
    bool paper = false;
    const auto end = [&] {
        if (line && !paper) found.push_back(*line);
        line.reset();
        paper = false;
    };
    for (std::size_t i = *section + 1; i + 1 < lines.size(); i += 2) {
        const std::optional<double> number = TryStrToFloat(lines[i]);
        if (!number || *number != std::floor(*number)) throw DxfReadError("DXF ファイルのグループコード '" + lines[i] + "' は数値ではありません");
        const int code = static_cast<int>(*number);
        const std::string& value = lines[i + 1];
        if (code == 0) {
            end();
            if (value == "ENDSEC" || value == "EOF") break;
            if (value == "LINE") {
                line.emplace();
                line->Row.Kind = 0;
            }
            continue;
        }
        if (!line) continue;
        if (code == 5) line->Handle = value;
        if (code == 8) line->Layer = line->Row.Layer = value;
        if (code == 67) paper = value.find('1') != std::string::npos;
        if (code == 10 || code == 20 || code == 11 || code == 21) {
            const double v = StrToFloat(value);
            (code == 10 ? line->Row.X1 : code == 20 ? line->Row.Y1 : code == 11 ? line->Row.X2 : line->Row.Y2) = v;
        }
    }
    end();
    return found;
}

bool SameHandle(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::toupper(x) == std::toupper(y); });
}

// 既存軸 from a drawing: its centre line and outline picked by layer or handle.
int RunAxisKind(const IsoToolOptions& options, std::string& report) {
    const auto refuse = [&](int status, const std::string& why) { return Refuse(options, status, why, report); };
    std::vector<DrawingLine> lines;
    try {
        lines = ModelSpaceLines(LoadDxfLinesOrRaise(options.Plan), options.Plan);
    } catch (const std::runtime_error& failure) {  // DxfReadError, ConvertError
        return refuse(IsoPlanUnreadable, "the plan " + FileText(options.Plan) + " cannot be read: " + failure.what());
    }
    const auto picked = [&](const std::string& layerUtf8, const std::vector<std::string>& handles) {
        const std::string layerCp932 = Cp932FromUtf8(layerUtf8);
        std::vector<EntityRecord> rows;
        for (const DrawingLine& line : lines) {
            const bool byLayer = !layerUtf8.empty() && (SameLayerName(line.Layer, layerUtf8) ||
                                                        (!layerCp932.empty() && SameLayerName(line.Layer, layerCp932)));
            const bool byHandle = std::any_of(handles.begin(), handles.end(),
                                              [&](const std::string& h) { return SameHandle(h, line.Handle); });
            if (byLayer || byHandle) rows.push_back(line.Row);
        }
        return rows;
    };
    const std::vector<EntityRecord> centreLines = picked(options.CentreLayer, options.CentreHandles);
    const std::vector<EntityRecord> outlineLines = picked(options.OutlineLayer, options.OutlineHandles);
    if (centreLines.size() > 1)
        return refuse(IsoBadCommandLine, "the centre line is to be one line; " + std::to_string(centreLines.size()) +
                                             " lines were picked");
    std::optional<AxisLine> centre;
    if (!centreLines.empty()) {
        const EntityRecord& c = centreLines.front();
        centre = AxisLine{c.X1, c.Y1, c.X2, c.Y2};
    }
    std::optional<std::vector<EntityRecord>> outline;
    if (!outlineLines.empty()) outline = outlineLines;
    const Vec2 at = options.At.value_or(options.Base);
    WorldFigure figure;
    for (std::int32_t face : options.Faces) {
        // The palette's checks, in its words: nothing picked is nothing to draw, a face
        // the axis does not allow is a wrong command line.
        const AxisFigureFault fault = CheckAxisFigure(face, centre, outline);
        if (fault == AxisFigureFault::NoCentreLine || fault == AxisFigureFault::NoOutline ||
            fault == AxisFigureFault::Empty)
            return refuse(IsoNothingToDraw, AxisFigureFaultMessage(fault));
        if (fault != AxisFigureFault::None) return refuse(IsoBadCommandLine, AxisFigureFaultMessage(fault));
        for (WorldEntity& e : AxisFigureInWorld(*FaceRow(face), *centre, *outline, at, "0").Entities)
            figure.Entities.push_back(std::move(e));
    }
    return WriteWorld(options, figure, {}, {}, report);
}

// オフセット: the objects of the drawing the layers and the window pick, each whole,
// copied along each face's depth and joined at their corners.
int RunOffsetKind(const IsoToolOptions& options, const std::function<bool(const std::string&, const Box&)>& pick,
                  std::string& report) {
    const auto refuse = [&](int status, const std::string& why) { return Refuse(options, status, why, report); };
    if (options.Inputs.Height == 0) return refuse(IsoBadCommandLine, OffsetHeightZeroMessage());
    if (options.Base.X != 0 || options.Base.Y != 0 || options.At)
        return refuse(IsoBadCommandLine, "the offset moves the objects where they are drawn: no --base or --at");
    OffsetSelection selection;
    std::map<std::string, int> leftOut;
    try {
        const DxfLines lines = LoadDxfLinesOrRaise(options.Plan);
        selection = SelectOffsetObjects(lines, options.Plan, [&](const std::vector<EntityRecord>& rows,
                                                                 const std::vector<WorldEntity>& shapes) {
            return std::all_of(rows.begin(), rows.end(),
                               [&](const EntityRecord& r) { return pick(r.Layer, RowBox(r)); }) &&
                   std::all_of(shapes.begin(), shapes.end(),
                               [&](const WorldEntity& e) { return pick(e.Layer, ShapeBox(e.Shape)); });
        });
        if (selection.TooMuchWork)
            return refuse(IsoPlanUnreadable, "the drawing asks for more than " + std::to_string(kMostPlacements) +
                                                 " placements (blocks inside blocks), more than a drawing holds");
        leftOut = KindsLeftOut(lines);
    } catch (const std::runtime_error& failure) {  // DxfReadError, ConvertError
        return refuse(IsoPlanUnreadable, "the drawing " + FileText(options.Plan) + " cannot be read: " + failure.what());
    }
    if (selection.Selected == 0)
        return refuse(IsoNothingToDraw, selection.Visible == 0
                                            ? "the drawing holds nothing this program draws"
                                            : "nothing in the drawing lies on the layers or inside the window given");
    WorldFigure figure;
    std::size_t rowsLeftOut = 0;
    for (std::int32_t face : options.Faces) {
        const OffsetInputs inputs{face, options.Inputs.HeightSign, options.Inputs.Height, options.Inputs.HeightLines,
                                  options.Inputs.CircleHeightLines};
        OffsetFigureResult result = OffsetFigure(selection.Objects, inputs, options.KeepOriginals && face == options.Faces.front());
        rowsLeftOut += result.RowsLeftOut;
        for (WorldEntity& e : result.Figure.Entities) figure.Entities.push_back(std::move(e));
    }
    std::vector<std::string> notes = {"objects offset: " + std::to_string(selection.Selected)};
    if (rowsLeftOut > 0) notes.push_back("left out " + std::to_string(rowsLeftOut) + " curves of no size");
    if (selection.ShapesTilted > 0)
        notes.push_back("left out " + std::to_string(selection.ShapesTilted) + " texts, splines and solids in a tilted plane");
    if (selection.ShapesMirrored > 0) notes.push_back("left out " + std::to_string(selection.ShapesMirrored) + " mirrored texts");
    if (selection.ShapesDamaged > 0)
        notes.push_back("left out " + std::to_string(selection.ShapesDamaged) +
                        " splines whose counts disagree and texts of no size or holding control characters");
    return WriteWorld(options, figure, notes, leftOut, report);
}

}  // namespace

std::vector<EntityRecord> NumberFigureRows(const std::string& kind, const IsoNumbers& numbers, std::int32_t face,
                                           std::int32_t heightSign, const std::string& layer) {
    // The generators write the figure text the palette splices into its template and
    // the plan rows the height lines stand on; the rows are the figure.
    static EntityTableRows table;  // 500 rows with their layer texts: not on the stack
    ClearEntityTable(table);
    if (kind == "円") {
        CircleFigureText(layer, numbers.Diameter * 0.5, table);
    } else if (kind == "四角") {
        SquareFigureText(layer, face, heightSign, numbers.YSide, numbers.XSide, table);
    } else if (kind == "六角") {
        HexagonFigureText(layer, face, heightSign, numbers.AcrossFlats, numbers.Vertical ? 0.0 : 30.0, table);
    }
    std::vector<EntityRecord> rows;
    for (const EntityRecord& row : table) {
        if (row.Kind == -1) break;
        rows.push_back(row);
    }
    return rows;
}

int RunIsoTool(const std::vector<std::filesystem::path>& args, std::string& report) {
    for (const std::filesystem::path& arg : args) {
        if (AsciiText(arg) == "--help" || AsciiText(arg) == "-h") {
            report = kIsoToolUsage;
            return IsoWritten;
        }
    }
    const std::optional<IsoToolOptions> options = ParseIsoToolOptions(args, report);
    if (!options) return IsoBadCommandLine;
    // The plan is never written over, whatever the command line says: a refusal
    // leaves the output's name free, and here that name is the plan's.
    if (!options->Plan.empty()) {
        std::error_code ignored;
        const bool same = std::filesystem::equivalent(options->Plan, options->Output, ignored) ||
                          (options->Svg && std::filesystem::equivalent(options->Plan, *options->Svg, ignored));
        if (same) {
            report = "tessavue-iso: the output would replace the plan " + FileText(options->Plan) + "; nothing written\n";
            return IsoBadCommandLine;
        }
    }
    const auto refuse = [&](int status, const std::string& why) { return Refuse(*options, status, why, report); };
    if (options->Kind == "丸棒曲げ") {
        // The palette's limits on the bar, in its words.
        const double R = options->Numbers.BendRadius, D = options->Numbers.BarDiameter;
        if (D >= R) return refuse(IsoBadCommandLine, BarNotBelowBendRadiusMessage());
        if (D >= LargestBendDiameter(R)) return refuse(IsoBadCommandLine, BarTooThickForBendMessage(R));
        const Vec2 at = options->At.value_or(options->Base);
        WorldFigure figure;
        for (std::int32_t face : options->Faces) {
            for (const std::vector<IsoEllipseArc>& group : RoundBarBendArcs(at.X, at.Y, R, D * 0.5, FaceRow(face)->SideTurn))
                for (const IsoEllipseArc& arc : group) figure.Entities.push_back({"0", 256, IsoArcEllipse(arc)});
        }
        return WriteWorld(*options, figure, {}, {}, report);
    }
    if (options->Kind == "２面選択") {
        // The palette's refusals, in its words.
        FacePointLists top, front;
        const std::vector<std::string> topNumbers =
            options->Numbers.TopPoints.empty() ? std::vector<std::string>{} : SplitCommas(options->Numbers.TopPoints);
        for (std::size_t i = 0; i + 1 < topNumbers.size(); i += 2) {
            top.X += (top.Count ? "," : "") + topNumbers[i];
            top.Y += (top.Count ? "," : "") + topNumbers[i + 1];
            ++top.Count;
        }
        if (!options->Numbers.FrontHeights.empty()) {
            for (const std::string& z : SplitCommas(options->Numbers.FrontHeights)) {
                front.X += front.Count ? ",0" : "0";
                front.Y += (front.Count ? "," : "") + z;
                ++front.Count;
            }
        }
        for (std::int32_t face : options->Faces)
            if (face != 0 && face != 1) return refuse(IsoBadCommandLine, TwoFaceDirectionMessage());
        if (top.Count == 0) return refuse(IsoBadCommandLine, TwoFaceNothingSelectedMessage());
        if (top.Count != front.Count) return refuse(IsoBadCommandLine, TwoFaceCountsDifferMessage());
        if (top.Count == 1) return refuse(IsoBadCommandLine, TwoFaceOnePointMessage());
        WorldFigure figure;
        for (std::int32_t face : options->Faces) {
            Vec2 from = options->At.value_or(options->Base);
            for (const Vec2& step : TwoFaceSteps(face, top, front)) {
                const Vec2 to{from.X + step.X, from.Y + step.Y};
                figure.Entities.push_back({"0", 256, WorldLine{from, to}});
                from = to;
            }
        }
        return WriteWorld(*options, figure, {}, {}, report);
    }
    if (options->Kind == "寸法") {
        // The picks are drawing points already; the palette's refusals, in its words.
        const IsoNumbers& n = options->Numbers;
        WorldFigure figure;
        for (std::int32_t face : options->Faces) {
            const DimensionLayout layout = LayDimensionOut(*FaceRow(face), *n.P1, *n.P2, *n.P3, n.DimensionOffset,
                                                           TypedOnLineSlack(*n.P1, *n.P2, *n.P3));
            switch (layout.Refusal) {
                case DimensionRefusal::None: break;
                case DimensionRefusal::SamePoints: return refuse(IsoBadCommandLine, DimensionSamePointsMessage());
                case DimensionRefusal::Direction: return refuse(IsoBadCommandLine, DimensionDirectionMessage(layout.Degrees));
                case DimensionRefusal::Face: return refuse(IsoBadCommandLine, DimensionFaceMessage(face));
            }
            for (WorldEntity& e : DimensionOnFace(*FaceRow(face), layout, n.DimensionDecimals, "0"))
                figure.Entities.push_back(std::move(e));
        }
        return WriteWorld(*options, figure, {}, {}, report);
    }
    if (options->Kind == "文字") {
        // Written with rotation 0 at the --at point, as the palette's user writes it, then
        // carried onto each face about that point.
        WorldText written;
        written.Text = options->Numbers.Text;
        written.Insert = options->At.value_or(options->Base);
        written.Height = options->Numbers.TextHeight;
        WorldFigure figure;
        for (std::int32_t face : options->Faces) {
            const std::optional<WorldText> onFace = TextOnFace(*FaceRow(face), written);
            if (!onFace) return refuse(IsoOutOfRange, "the text's height leaves the range of numbers a drawing holds");
            figure.Entities.push_back({"0", 256, *onFace});
        }
        return WriteWorld(*options, figure, {}, {}, report);
    }
    if (options->Kind == "既存軸") return RunAxisKind(*options, report);
    if (options->Kind != kExistingFigureKind && options->Kind != "オフセット") {
        // The rows do not depend on the face for these kinds; the base point is their centre.
        return WriteFigure(*options, NumberFigureRows(options->Kind, options->Numbers, 0, 1, "0"), {}, {}, {}, report);
    }

    // What the layers and the window pick.
    std::vector<std::string> layerNames;
    for (const std::string& name : options->Layers) {
        layerNames.push_back(name);
        const std::string cp932 = Cp932FromUtf8(name);
        if (!cp932.empty() && cp932 != name) layerNames.push_back(cp932);
    }
    // On a layer asked for, and wholly inside the window; the extent is relative to the
    // base point, the window in the plan's coordinates.
    const auto pick = [&](const std::string& layer, const Box& box) {
        if (!layerNames.empty() &&
            std::none_of(layerNames.begin(), layerNames.end(),
                         [&](const std::string& name) { return SameLayerName(name, layer); }))
            return false;
        if (!options->Window) return true;
        const IsoWindow& w = *options->Window;
        return box.MinX + options->Base.X >= std::min(w.X1, w.X2) && box.MaxX + options->Base.X <= std::max(w.X1, w.X2) &&
               box.MinY + options->Base.Y >= std::min(w.Y1, w.Y2) && box.MaxY + options->Base.Y <= std::max(w.Y1, w.Y2);
    };
    if (options->Kind == "オフセット") return RunOffsetKind(*options, pick, report);

    std::vector<EntityRecord> rows;
    std::vector<WorldEntity> shapes;
    PlanShapesLeftOut shapesLeftOut;
    std::map<std::string, int> leftOut;
    try {
        const DxfLines lines = LoadDxfLinesOrRaise(options->Plan);
        const PlanWalkEnd end = WalkPlan(
            lines, options->Plan, options->Base.X, options->Base.Y,
            [&rows](const EntityRecord& row) {
                rows.push_back(row);
                return true;
            },
            [&shapes](const WorldEntity& shape) {
                shapes.push_back(shape);
                return true;
            },
            shapesLeftOut);
        if (end == PlanWalkEnd::TooMuchWork)
            return refuse(IsoPlanUnreadable, "the plan asks for more than " + std::to_string(kMostPlacements) +
                                                 " placements (blocks inside blocks), more than a drawing holds");
        leftOut = KindsLeftOut(lines);
    } catch (const std::runtime_error& failure) {  // DxfReadError, ConvertError
        return refuse(IsoPlanUnreadable, "the plan " + FileText(options->Plan) + " cannot be read: " + failure.what());
    }

    std::vector<EntityRecord> picked;
    for (const EntityRecord& row : rows)
        if (pick(row.Layer, RowBox(row))) picked.push_back(row);
    std::vector<WorldEntity> pickedShapes;
    for (const WorldEntity& shape : shapes)
        if (pick(shape.Layer, ShapeBox(shape.Shape))) pickedShapes.push_back(shape);
    if (picked.empty() && pickedShapes.empty())
        return refuse(IsoNothingToDraw, rows.empty() && shapes.empty() ? "the plan holds nothing this program draws"
                                                     : "nothing in the plan lies on the layers or inside the window given");
    return WriteFigure(*options, picked, pickedShapes, shapesLeftOut, leftOut, report);
}

namespace {


std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// A NURBS curve's point at u, by de Boor's algorithm on the weighted points.
Vec2 SplineAt(const WorldSpline& s, double u) {
    const int p = s.Degree;
    const int n = static_cast<int>(s.ControlPoints.size()) - 1;
    int k = p;
    while (k < n && !(u < s.Knots[static_cast<std::size_t>(k + 1)])) ++k;
    std::vector<std::array<double, 3>> d(static_cast<std::size_t>(p + 1));
    for (int j = 0; j <= p; ++j) {
        const auto i = static_cast<std::size_t>(j + k - p);
        const double w = s.Weights.empty() ? 1.0 : s.Weights[i];
        d[static_cast<std::size_t>(j)] = {s.ControlPoints[i].X * w, s.ControlPoints[i].Y * w, w};
    }
    for (int r = 1; r <= p; ++r) {
        for (int j = p; j >= r; --j) {
            const auto i = static_cast<std::size_t>(j + k - p);
            const double span = s.Knots[i + static_cast<std::size_t>(p - r + 1)] - s.Knots[i];
            const double alpha = span > 0 ? (u - s.Knots[i]) / span : 0.0;
            for (int c = 0; c < 3; ++c)
                d[static_cast<std::size_t>(j)][static_cast<std::size_t>(c)] =
                    (1 - alpha) * d[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(c)] +
                    alpha * d[static_cast<std::size_t>(j)][static_cast<std::size_t>(c)];
        }
    }
    const auto& last = d[static_cast<std::size_t>(p)];
    return {last[0] / last[2], last[1] / last[2]};
}

// The points the picture draws a spline through: the curve sampled along its knots, or
// its fit points where it has no control points.
std::vector<Vec2> SplinePoints(const WorldSpline& s) {
    const std::size_t n = s.ControlPoints.size();
    const bool whole = s.Degree >= 1 && n > static_cast<std::size_t>(s.Degree) &&
                       s.Knots.size() == n + static_cast<std::size_t>(s.Degree) + 1 &&
                       (s.Weights.empty() || s.Weights.size() == n);
    if (!whole) return s.FitPoints;
    const double from = s.Knots[static_cast<std::size_t>(s.Degree)];
    const double to = s.Knots[n];
    std::vector<Vec2> points;
    const int steps = 32 * static_cast<int>(n);
    for (int i = 0; i <= steps; ++i) points.push_back(SplineAt(s, from + (to - from) * i / steps));
    return points;
}

// Whether a text hangs from its align point as its alignment says (centre or right;
// middle or top); a left-aligned text and one fitted or aligned between two points
// start at their insertion point.
bool HungFromAlignPoint(const WorldText& t) {
    const int h = t.HorizontalAlign, v = t.VerticalAlign;
    return (h != 0 || v != 0) && h != 3 && h != 5;
}

}  // namespace

std::string FigureSvg(const WorldFigure& figure) {
    // The extent, from every point the picture draws through.
    Box box;
    for (const WorldEntity& e : figure.Entities) {
        if (const auto* l = std::get_if<WorldLine>(&e.Shape)) {
            box.Add(l->Start.X, l->Start.Y);
            box.Add(l->End.X, l->End.Y);
        } else if (const auto* el = std::get_if<WorldEllipse>(&e.Shape)) {
            const double a = std::hypot(el->MajorAxis.X, el->MajorAxis.Y);
            box.Add(el->Centre.X - a, el->Centre.Y - a);
            box.Add(el->Centre.X + a, el->Centre.Y + a);
        } else if (const auto* sp = std::get_if<WorldSpline>(&e.Shape)) {
            for (const Vec2& p : SplinePoints(*sp)) box.Add(p.X, p.Y);
        } else if (const auto* t = std::get_if<WorldText>(&e.Shape)) {
            // The text's glyph box as the picture sets it, its characters taken 0.8 of the
            // height wide (a plain font's average), so that no text runs off the page.
            const std::string utf8 = Utf8FromCp932(t->Text);
            const double characters = static_cast<double>(std::count_if(
                utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
            const double width = 0.8 * t->Height * t->WidthFactor * characters;
            // Hung from its align point as the picture hangs it (below).
            const int h = t->HorizontalAlign, v = t->VerticalAlign;
            const bool hung = HungFromAlignPoint(*t);
            const Vec2 at = hung ? t->AlignPoint : t->Insert;
            const double r = t->RotationDeg * kPi / 180, slant = std::tan(t->ObliqueDeg * kPi / 180);
            const Vec2 along{std::cos(r), std::sin(r)};
            const Vec2 up{-std::sin(r) + slant * std::cos(r), std::cos(r) + slant * std::sin(r)};
            const double from = !hung ? 0 : (h == 1 || h == 4) ? -width / 2 : h == 2 ? -width : 0;
            const double bottom = !hung ? 0 : (v == 2 || h == 4) ? -t->Height / 2 : v == 3 ? -t->Height : 0;
            for (const double a : {from, from + width})
                for (const double u : {bottom, bottom + t->Height})
                    box.Add(at.X + a * along.X + u * up.X, at.Y + a * along.Y + u * up.Y);
        } else if (const auto* pt = std::get_if<WorldPoint>(&e.Shape)) {
            box.Add(pt->At.X, pt->At.Y);
        } else if (const auto* so = std::get_if<WorldSolid>(&e.Shape)) {
            for (const Vec2& c : so->Corners) box.Add(c.X, c.Y);
        }
    }
    if (box.MinX > box.MaxX) box = Box{0, 0, 1, 1};
    const double size = std::max({box.MaxX - box.MinX, box.MaxY - box.MinY, 1e-9});
    const double margin = size * 0.05;
    // SVG's Y runs down: every Y is taken from the top.
    const double top = box.MaxY + margin;
    const auto X = [&](double x) { return Svg(x - box.MinX + margin); };
    const auto Y = [&](double y) { return Svg(top - y); };
    const double stroke = (box.MaxX - box.MinX + 2 * margin) / 550;  // about 1.5 of the 800 pixels
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      Svg(box.MaxX - box.MinX + 2 * margin) + " " + Svg(box.MaxY - box.MinY + 2 * margin) +
                      "\" width=\"800\" height=\"" +
                      Svg(std::ceil(800 * (box.MaxY - box.MinY + 2 * margin) / (box.MaxX - box.MinX + 2 * margin))) +
                      "\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
                      "<g fill=\"none\" stroke=\"black\" stroke-width=\"" +
                      Svg(stroke) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    const auto pointList = [&](const std::vector<Vec2>& points) {
        std::string list;
        for (const Vec2& p : points) list += (list.empty() ? "" : " ") + X(p.X) + "," + Y(p.Y);
        return list;
    };
    for (const WorldEntity& e : figure.Entities) {
        if (const auto* l = std::get_if<WorldLine>(&e.Shape)) {
            svg += "<line x1=\"" + X(l->Start.X) + "\" y1=\"" + Y(l->Start.Y) + "\" x2=\"" + X(l->End.X) + "\" y2=\"" +
                   Y(l->End.Y) + "\"/>\n";
        } else if (const auto* el = std::get_if<WorldEllipse>(&e.Shape)) {
            const double a = std::hypot(el->MajorAxis.X, el->MajorAxis.Y);
            const double b = a * el->Ratio;
            const double turn = std::atan2(el->MajorAxis.Y, el->MajorAxis.X) * 180 / kPi;
            const auto point = [&](double t) {
                const Vec2 minor{-el->MajorAxis.Y * el->Ratio, el->MajorAxis.X * el->Ratio};
                return Vec2{el->Centre.X + el->MajorAxis.X * std::cos(t) + minor.X * std::sin(t),
                            el->Centre.Y + el->MajorAxis.Y * std::cos(t) + minor.Y * std::sin(t)};
            };
            const double span = el->EndParam - el->StartParam;
            if (span >= 2 * kPi - 1e-12) {
                svg += "<ellipse cx=\"" + X(el->Centre.X) + "\" cy=\"" + Y(el->Centre.Y) + "\" rx=\"" + Svg(a) +
                       "\" ry=\"" + Svg(b) + "\" transform=\"rotate(" + Svg(-turn) + " " + X(el->Centre.X) + " " +
                       Y(el->Centre.Y) + ")\"/>\n";
            } else {
                // Counter-clockwise in the drawing is counter-clockwise on the page too
                // once Y runs down, which SVG calls the negative sweep.
                const Vec2 from = point(el->StartParam), to = point(el->EndParam);
                svg += "<path d=\"M " + X(from.X) + " " + Y(from.Y) + " A " + Svg(a) + " " + Svg(b) + " " + Svg(-turn) +
                       " " + (span > kPi ? "1" : "0") + " 0 " + X(to.X) + " " + Y(to.Y) + "\"/>\n";
            }
        } else if (const auto* sp = std::get_if<WorldSpline>(&e.Shape)) {
            svg += "<polyline points=\"" + pointList(SplinePoints(*sp)) + "\"/>\n";
        } else if (const auto* so = std::get_if<WorldSolid>(&e.Shape)) {
            // The corners run 1 2 4 3 round the outline.
            svg += "<polygon points=\"" + pointList({so->Corners[0], so->Corners[1], so->Corners[3], so->Corners[2]}) +
                   "\" fill=\"black\"/>\n";
        } else if (const auto* pt = std::get_if<WorldPoint>(&e.Shape)) {
            svg += "<circle cx=\"" + X(pt->At.X) + "\" cy=\"" + Y(pt->At.Y) + "\" r=\"" + Svg(stroke) +
                   "\" fill=\"black\"/>\n";
        } else if (const auto* t = std::get_if<WorldText>(&e.Shape)) {
            // Set on its baseline at the insertion point, or hung from its align point:
            // turned, slanted and widened as the drawing sets it (the page's Y runs down,
            // so the turn and the slant change sign).
            const int h = t->HorizontalAlign, v = t->VerticalAlign;
            const bool hung = HungFromAlignPoint(*t);
            const Vec2 at = hung ? t->AlignPoint : t->Insert;
            std::string anchor;
            if (hung && (h == 1 || h == 4)) anchor += " text-anchor=\"middle\"";
            if (hung && h == 2) anchor += " text-anchor=\"end\"";
            if (hung && (v == 2 || h == 4)) anchor += " dominant-baseline=\"central\"";
            if (hung && v == 3) anchor += " dominant-baseline=\"hanging\"";
            svg += "<text transform=\"translate(" + X(at.X) + " " + Y(at.Y) + ") rotate(" +
                   Svg(-t->RotationDeg) + ") skewX(" + Svg(-t->ObliqueDeg) + ") scale(" + Svg(t->WidthFactor) +
                   " 1)\"" + anchor + " font-size=\"" + Svg(t->Height) +
                   "\" fill=\"black\" stroke=\"none\">" +
                   XmlText(Utf8FromCp932(t->Text)) + "</text>\n";
        }
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace tessavue
