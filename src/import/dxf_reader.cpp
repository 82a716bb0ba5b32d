#include "import/dxf_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>

#include "import/plan_reader.h"
#include "dxf_data/str_to_float.h"

namespace tessavue {
namespace {

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Code 90 as an integer: leading blanks skipped, then an optional sign and digits.
int IntegerValue(const std::string& text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) throw ConvertError(text);
    std::size_t end = text.find_last_not_of(' ') + 1;
    if (text[i] == '+') ++i;
    int value = 0;
    const auto [stop, error] = std::from_chars(text.data() + i, text.data() + end, value);
    if (error != std::errc() || stop != text.data() + end) throw ConvertError(text);
    return value;
}

// The value line after the code line at `j`; a code on the last line has no value,
// as if an empty (unconvertible) one followed.
const std::string& ValueAfter(const DxfLines& lines, std::size_t j) {
    static const std::string kNone;
    return j + 1 < lines.size() ? lines[j + 1] : kNone;
}

}  // namespace

std::string FileNameForMessage(const std::filesystem::path& path) {
    // The messages are Shift-JIS and only the platform layer converts a wide name, so
    // a name outside ASCII is left out rather than garbled.
    const std::wstring name = path.filename().wstring();
    std::string out;
    for (wchar_t c : name) {
        if (c < 0x20 || c > 0x7E) return "(作業ファイル)";
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::string TableFullMessage() {
    return "選択されたオブジェクトの数が多すぎます（高さ方向の線が描けないことがあります）。";
}

DxfLines LoadDxfLinesOrRaise(const std::filesystem::path& path) {
    auto lines = LoadDxfLines(path);
    if (!lines) throw DxfReadError("DXF ファイルを読めません: " + FileNameForMessage(path));
    return std::move(*lines);
}

std::size_t EntitiesStart(const DxfLines& lines, const std::filesystem::path& path) {
    // The section header, so that a layer or block named like the section does not
    // start the reading inside the tables or the block definitions.
    if (const auto header = FindSectionName(lines, "ENTITIES")) return *header;
    // A file without a proper header is read as before, from the first line naming it.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (Contains(lines[i], "ENTITIES")) return i;
    }
    throw DxfReadError("DXF ファイルに ENTITIES セクションがありません: " + FileNameForMessage(path));
}

namespace {

// The group codes an entity kind reads, its closing code last.
struct KindCodes {
    const char* keyword;
    std::int32_t kind;
    std::vector<std::string> codes;
};
const KindCodes kKinds[] = {
    {"LINE", 0, {"  8", " 10", " 20", " 11", " 21"}},
    {"CIRCLE", 1, {"  8", " 10", " 20", " 40"}},
    {"ARC", 2, {"  8", " 10", " 20", " 40", " 50", " 51"}},
};

// Stores the value of `code` (the line after index j) into the row.
void StoreValue(EntityRecord& row, std::int32_t kind, const std::string& code, const std::string& value, double baseX,
                double baseY) {
    if (code == "  8") {
        row.Layer = value;
    } else if (code == " 10") {
        row.X1 = StrToFloat(value) - baseX;
    } else if (code == " 20") {
        row.Y1 = StrToFloat(value) - baseY;
    } else if (code == " 11") {
        row.X2 = StrToFloat(value) - baseX;
    } else if (code == " 21") {
        row.Y2 = StrToFloat(value) - baseY;
    } else if (code == " 40") {
        row.X2 = StrToFloat(value);
    } else if (code == " 50") {
        row.Y2 = StrToFloat(value);
    } else if (code == " 51" && kind == 2) {
        row.EndAngle = StrToFloat(value);
    }
}

// The row of a circle or arc in object coordinates, taken into the world's: the
// centre's X mirrored about the base point's, the arc's angles a -> 180 - a with
// start and end exchanged so that it still runs counter-clockwise.
void MirrorRowToWorld(EntityRecord& row, double baseX) {
    const auto mirrored = [](double degrees) {
        const double r = std::fmod(180.0 - degrees, 360.0);
        return r < 0 ? r + 360.0 : r;
    };
    row.X1 = -(row.X1 + baseX) - baseX;
    if (row.Kind == 2) {
        const double start = row.Y2;
        row.Y2 = mirrored(row.EndAngle);
        row.EndAngle = mirrored(start);
    }
}

}  // namespace

void ReadDxfEntities(const DxfLines& lines, const std::filesystem::path& path, double baseX, double baseY,
                     MessageSink& messages, EntityTableRows& table) {
    std::size_t write = 0;
    while (write < table.size() && table[write].Kind != -1) ++write;

    // An entity whose closing code never comes is scanned to the end of the file. For
    // each kind that happens once; a later entity of the same kind cannot close either,
    // and its scan would only store the last value of each code after it, which the
    // table of last occurrences gives at once. So a damaged file is still read in
    // linear time.
    std::map<std::string, std::size_t> lastOccurrence;
    bool unclosed[3] = {false, false, false};

    // The entities end with their section: no entity goes on past the section's
    // "  0" "ENDSEC" (nor past the file's "  0" "EOF"), so a value further on, in
    // another section or after the end mark, is never taken for one of theirs.
    const std::size_t start = EntitiesStart(lines, path);
    std::size_t end = start + 1;
    while (end < lines.size() && !IsKindAt(lines, end, "EOF") && !IsKindAt(lines, end, "ENDSEC")) ++end;

    bool tableFull = false;
    // Only an index moves: nothing before the ENTITIES line is copied or removed.
    for (std::size_t r = start; r < end && !tableFull; ++r) {
        const KindCodes* k = nullptr;
        for (const KindCodes& candidate : kKinds) {
            if (IsKindAt(lines, r, candidate.keyword)) k = &candidate;
        }
        if (k == nullptr) continue;
        if (write >= table.size()) {
            tableFull = true;
            break;
        }
        EntityRecord& row = table[write];
        row.Kind = k->kind;
        const auto index = static_cast<std::size_t>(k->kind);
        if (unclosed[index]) {
            for (const std::string& code : k->codes) {
                const auto at = lastOccurrence.find(code);
                if (at != lastOccurrence.end() && at->second > r)
                    StoreValue(row, k->kind, code, ValueAfter(lines, at->second), baseX, baseY);
            }
            continue;
        }
        const std::string& closing = k->codes.back();
        const std::size_t kindLine = r;
        bool closed = false;
        for (std::size_t j = r + 1; j < end && !closed; ++j) {
            const std::string& code = lines[j];
            if (std::find(k->codes.begin(), k->codes.end(), code) == k->codes.end()) continue;
            StoreValue(row, k->kind, code, ValueAfter(lines, j), baseX, baseY);
            if (code == closing) {
                if (k->kind != 0 && ExtrudedDown(lines, kindLine)) MirrorRowToWorld(row, baseX);
                ++write;
                r = j;  // the walk goes on after the closing code line
                closed = true;
            }
        }
        if (!closed) {
            unclosed[index] = true;
            if (lastOccurrence.empty()) {
                for (std::size_t j = 0; j < end; ++j) {
                    const std::string& line = lines[j];
                    if (line.size() == 3 && line[0] == ' ') lastOccurrence[line] = j;
                }
            }
        }
    }
    if (tableFull) messages.ShowConfirmation(TableFullMessage());
}

void ReadDxfEntities(const std::filesystem::path& path, double baseX, double baseY, MessageSink& messages,
                     EntityTableRows& table) {
    const DxfLines lines = LoadDxfLinesOrRaise(path);
    ReadDxfEntities(lines, path, baseX, baseY, messages, table);
}

bool AddVertexOnce(VertexSet& set, double x, double y, const std::string& layer) {
    if (!set.Index.emplace(x, y, layer).second) return false;
    set.X.push_back(x);
    set.Y.push_back(y);
    set.Layer.push_back(layer);
    return true;
}

VertexSet CollectOffsetVertices(const DxfLines& lines, const std::filesystem::path& path) {
    VertexSet set;
    std::string layer;
    double x = 0;
    double y = 0;
    const std::size_t n = lines.size();
    for (std::size_t r = EntitiesStart(lines, path); r < n; ++r) {
        if (IsKindAt(lines, r, "LINE")) {
            while (++r < n) {
                const std::string& code = lines[r];
                if (code == "  8") {
                    layer = ValueAfter(lines, r);
                } else if (code == " 10" || code == " 11") {
                    x = StrToFloat(ValueAfter(lines, r));
                } else if (code == " 20") {
                    y = StrToFloat(ValueAfter(lines, r));
                    AddVertexOnce(set, x, y, layer);
                } else if (code == " 21") {
                    y = StrToFloat(ValueAfter(lines, r));
                    AddVertexOnce(set, x, y, layer);
                    break;
                }
            }
        } else if (IsKindAt(lines, r, "LWPOLYLINE")) {
            // Its vertices are in object coordinates: a polyline MIRROR left extruded
            // down has the world's X negated, and its corners are where the world has them.
            const bool mirrored = ExtrudedDown(lines, r);
            int remaining = 0;
            while (++r < n) {
                const std::string& code = lines[r];
                if (code == "  8") {
                    layer = ValueAfter(lines, r);
                } else if (code == " 90") {
                    remaining = IntegerValue(ValueAfter(lines, r));
                } else if (code == " 10") {
                    x = StrToFloat(ValueAfter(lines, r));
                    if (mirrored) x = -x;
                } else if (code == " 20") {
                    y = StrToFloat(ValueAfter(lines, r));
                    AddVertexOnce(set, x, y, layer);
                    if (--remaining < 1) break;
                }
            }
        } else if (IsKindAt(lines, r, "ENDSEC")) {
            break;
        }
        if (r >= n) break;
    }
    return set;
}

namespace {

// Whether the range from `start` to `end` (degrees, counter-clockwise, ends included;
// a start above the end crosses 0) holds the direction `degrees`.
bool RangeHolds(double start, double end, double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    if (start <= end) return start <= a && a <= end;
    return a >= start || a <= end;
}

}  // namespace

std::vector<Vec2> OffsetTangentPoints(const EntityRecord& row, double degrees) {
    std::vector<Vec2> points;
    if (row.Kind < 1 || row.Kind > 3) return points;
    const double alpha = degrees * (1.0 / 180) * 3.141592653589793;
    const double dx = std::cos(alpha);
    const double dy = std::sin(alpha);
    // The outline centre + cos t * m + sin t * n runs along d where its derivative
    // -sin t * m + cos t * n is parallel to d: tan t = (n x d) / (m x d).
    const bool ellipse = row.Kind == 3;
    double mx = row.X2, my = 0, nx = 0, ny = row.X2;  // a circle: its radius along X and Y
    if (ellipse) my = row.Y2, nx = -row.Ratio * row.Y2, ny = row.Ratio * row.X2;
    const double t = std::atan2(nx * dy - ny * dx, mx * dy - my * dx);
    for (double at : {t, t + 3.141592653589793}) {
        const double atDegrees = at * 180 / 3.141592653589793;
        const bool passes = row.Kind == 1 || (row.Kind == 2 && RangeHolds(row.Y2, row.EndAngle, atDegrees)) ||
                            (ellipse && RangeHolds(row.StartParameter, row.EndAngle, atDegrees));
        if (passes)
            points.push_back(
                {row.X1 + std::cos(at) * mx + std::sin(at) * nx, row.Y1 + std::cos(at) * my + std::sin(at) * ny});
    }
    return points;
}

VertexSet CollectOffsetTangents(const DxfLines& lines, const std::filesystem::path& path, double degrees) {
    VertexSet set;
    WalkPlan(lines, path, 0, 0, [&](const EntityRecord& row) {
        for (const Vec2& p : OffsetTangentPoints(row, degrees)) AddVertexOnce(set, p.X, p.Y, row.Layer);
        return true;
    });
    return set;
}

}  // namespace tessavue
