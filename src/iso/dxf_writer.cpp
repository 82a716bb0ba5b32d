#include "iso/dxf_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "dxf_data/str_to_float.h"
#include "dxf_data/number_text.h"

namespace tessavue {
namespace {

void AddLine(std::string& record, const std::string& line) {
    record += line;
    record += "\r\n";
}

// Figure text enters the list as the lines it holds, not as one item with line ends
// inside: the file saved is the same, and every later step can keep walking the
// section by group code and value pairs.
void InsertFigureText(DxfLines& lines, DxfLines::iterator at, const std::string& figureText) {
    DxfLines records = SplitDxfLines(figureText);
    lines.insert(at, std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
}

}  // namespace

std::string LineRecord(const std::string& layer, double startX, double startY, double endX, double endY) {
    std::string record;
    record.reserve(96 + layer.size());
    AddLine(record, "  0");
    AddLine(record, "LINE");
    AddLine(record, "  8");
    AddLine(record, layer);
    AddLine(record, " 10");
    AddLine(record, NumberText(startX));
    AddLine(record, " 20");
    AddLine(record, NumberText(startY));
    AddLine(record, " 11");
    AddLine(record, NumberText(endX));
    AddLine(record, " 21");
    AddLine(record, NumberText(endY));
    return record;
}

std::string CircleRecord(const std::string& layer, double centreX, double centreY, double radius) {
    std::string record;
    record.reserve(80 + layer.size());
    AddLine(record, "  0");
    AddLine(record, "CIRCLE");
    AddLine(record, "  8");
    AddLine(record, layer);
    AddLine(record, " 10");
    AddLine(record, NumberText(centreX));
    AddLine(record, " 20");
    AddLine(record, NumberText(centreY));
    AddLine(record, " 40");
    AddLine(record, NumberText(radius));
    return record;
}

namespace {

enum class NumberType { None, Integer, Real };

// The value type of a group code, as the DXF reference gives it; strings, handles
// and everything unknown are None.
NumberType TypeOfCode(int code) {
    const auto in = [code](int first, int last) { return code >= first && code <= last; };
    if (in(10, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1010, 1059)) return NumberType::Real;
    if (in(60, 79) || in(90, 99) || in(160, 179) || in(270, 299) || in(370, 389) || in(400, 409) ||
        in(420, 429) || in(440, 459) || in(1060, 1071))
        return NumberType::Integer;
    return NumberType::None;
}

std::string_view Trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(begin, end - begin);
}

// from_chars: fast, and blind to the locale; a leading '+' is skipped by hand. One
// sign only: after the '+' from_chars would take a '-' too, and "+-2.5" is no number
// to any other reader.
template <typename T>
bool ParsesWhole(std::string_view text, T& value) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return false;
    }
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// Plain decimal text as AutoCAD writes numbers: a minus or not, digits, a point or
// not (reals only), at least one digit; short enough that no such text leaves the
// doubles' range, or the 64-bit integers' without a point. from_chars takes every
// such text, so the check of a large file's numbers need not ask it.
bool PlainDecimal(std::string_view text, bool real) {
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() - i > (real ? 60 : 18)) return false;
    bool point = false;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && real && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

bool ValidNumber(NumberType type, std::string_view value) {
    const std::string_view text = Trimmed(value);
    if (PlainDecimal(text, type == NumberType::Real)) return true;
    if (type == NumberType::Integer) {
        // The widest integer groups hold 64 bits.
        long long whole = 0;
        return ParsesWhole(text, whole);
    }
    double real = 0;
    return ParsesWhole(text, real) && std::isfinite(real);
}

}  // namespace

bool ReadGroupCode(std::string_view line, int& code) {
    // AutoCAD's own layout first, three characters of right-aligned digits: the check
    // reads every code line of large files.
    if (line.size() == 3 && line[2] >= '0' && line[2] <= '9') {
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        const int units = line[2] - '0';
        if (line[0] == ' ' && line[1] == ' ') {
            code = units;
            return true;
        }
        if (line[0] == ' ' && digit(line[1])) {
            code = (line[1] - '0') * 10 + units;
            return true;
        }
        if (digit(line[0]) && digit(line[1])) {
            code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + units;
            return true;
        }
    }
    return ParsesWhole(Trimmed(line), code);
}

bool GroupValueIsValid(int code, std::string_view value) {
    const NumberType type = TypeOfCode(code);
    return type == NumberType::None || ValidNumber(type, value);
}

bool IsEndMark(int code, std::string_view value) { return code == 0 && Trimmed(value) == "EOF"; }

SectionResult CheckNumberGroups(const DxfLines& lines) {
    for (std::size_t code = 0; code + 1 < lines.size(); code += 2) {
        int number = 0;
        if (!ReadGroupCode(lines[code], number)) return {SectionFault::BadGroupCode, lines[code]};
        // Readers stop at the end mark; what follows it is no part of the drawing.
        if (IsEndMark(number, lines[code + 1])) break;
        if (!GroupValueIsValid(number, lines[code + 1]))
            return {SectionFault::BadValue, lines[code + 1], std::to_string(number)};
    }
    return {};
}

std::string SectionFaultMessage(const SectionResult& result) {
    switch (result.Fault) {
    case SectionFault::None:
        return "";
    case SectionFault::NoEntities:
        return "DXF ファイルに ENTITIES セクションがありません。ファイルは書き換えません。";
    case SectionFault::NotClosed:
        return "DXF ファイルの ENTITIES セクションが ENDSEC で閉じていません。ファイルは書き換えません。";
    case SectionFault::BadCoordinate:
        return "DXF ファイルの座標 '" + result.Detail + "' は数値ではありません。ファイルは書き換えません。";
    case SectionFault::LoneY:
        return "DXF ファイルの Y 座標 '" + result.Detail + "' の前に X 座標がありません。ファイルは書き換えません。";
    case SectionFault::LoneX:
        return "DXF ファイルの X 座標 '" + result.Detail + "' の後に Y 座標がありません。ファイルは書き換えません。";
    case SectionFault::BadValue:
        return "DXF ファイルのグループコード " + result.Code + " の値 '" + result.Detail +
               "' は正しくありません。ファイルは書き出しません。";
    case SectionFault::BadGroupCode:
        return "DXF ファイルのグループコード '" + result.Detail + "' は数値ではありません。ファイルは書き換えません。";
    case SectionFault::NoEntityStart:
        return "DXF ファイルの ENTITIES セクションがエンティティで始まっていません（グループコード " + result.Code +
               " の値 '" + result.Detail + "'）。ファイルは書き換えません。";
    case SectionFault::OutOfRange:
        return "DXF ファイルの座標 '" + result.Detail +
               "' は大きすぎて、書き換えると数値の範囲を超えます。ファイルは書き換えません。";
    case SectionFault::HeightOutOfRange:
        return "高さ '" + result.Detail + "' は大きすぎて、高さ方向が数値の範囲を超えます。ファイルは書き換えません。";
    case SectionFault::Unreadable:
        return "DXF ファイルを読めません。";
    case SectionFault::Unwritable:
        return "DXF ファイルに書き込めません。ファイルは書き換えていません。";
    }
    return "";
}

SectionResult FindEntitiesSection(const DxfLines& lines, EntitiesSection& section) {
    const std::optional<std::size_t> header = FindSectionName(lines, "ENTITIES");
    if (!header) return {SectionFault::NoEntities, {}};
    const std::size_t s = *header;
    std::size_t first = 0;  // none yet
    for (std::size_t code = s + 1; code + 1 < lines.size(); code += 2) {
        int number = 0;
        if (!ParsesWhole(Trimmed(lines[code]), number)) return {SectionFault::BadGroupCode, lines[code]};
        if (number == 0) {
            if (lines[code + 1] == std::string_view("ENDSEC")) {
                section = {s, first != 0 ? first : code, code + 1};
                return {};
            }
            if (first == 0) first = code;
        } else if (first == 0 && number != 999) {
            // A copy taken from here would make the pair's value an entity's name.
            return {SectionFault::NoEntityStart, lines[code + 1], std::to_string(number)};
        }
    }
    return {SectionFault::NotClosed, {}};
}

SectionResult ReplaceSectionEntities(DxfLines& lines, const std::string& figureText) {
    EntitiesSection section;
    if (SectionResult found = FindEntitiesSection(lines, section); !found) return found;
    // One erase of the whole run: the "  0" before ENDSEC stays.
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(section.Entities + 1);
    const auto last = lines.begin() + static_cast<std::ptrdiff_t>(section.Endsec - 1);
    const auto at = lines.erase(first, last);
    InsertFigureText(lines, at, figureText);
    return {};
}

SectionResult FillFigureTemplate(const std::filesystem::path& templateFile, const std::string& figureText) {
    // A figure whose numbers left the doubles' range ("-INF" from an outline wider
    // than the largest double) is no figure: the existing axis inserts the template
    // as it stands, so it must never be written there.
    if (SectionResult checked = CheckNumberGroups(SplitDxfLines(figureText)); !checked) return checked;
    std::optional<DxfLines> lines = LoadDxfLines(templateFile);
    if (!lines) return {SectionFault::Unreadable, ""};
    SectionResult result = ReplaceSectionEntities(*lines, figureText);
    if (result && !SaveDxfLines(templateFile, *lines)) result.Fault = SectionFault::Unwritable;
    return result;
}

LocalTime CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    // One user-interface thread: localtime's shared buffer is safe here.
    const std::tm* parts = std::localtime(&now);
    if (!parts) return {};
    return {parts->tm_year + 1900, parts->tm_mon + 1, parts->tm_mday, parts->tm_hour, parts->tm_min, parts->tm_sec};
}

std::string DateTimeStamp(const LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", time.Year, time.Month, time.Day, time.Hour,
                  time.Minute, time.Second);
    return text;
}

std::string FigureBlockName(const LocalTime& time) { return "ip" + DateTimeStamp(time); }

std::filesystem::path FigureFilePath(const std::filesystem::path& programFolder, const LocalTime& time) {
    // The name is plain ASCII, so the narrow conversion cannot go wrong.
    return programFolder / (FigureBlockName(time) + ".dxf");
}

}  // namespace tessavue
