#include "import/listed_selection.h"

#include <cstddef>

#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"
#include "host/host_frame.h"

namespace tessavue {
namespace {

bool Holds(const std::string& line, const char* marker) { return line.find(marker) != std::string::npos; }

// The index after the last line containing "list", or nullopt.
std::optional<std::size_t> ListingStart(const std::vector<std::string>& lines) {
    for (std::size_t i = lines.size(); i-- > 0;)
        if (Holds(lines[i], "list")) return i + 1;
    return std::nullopt;
}

// The text between the first `from` and the first `to` after it, as a number.
double FieldBetween(const std::string& line, const char* from, const char* to) {
    const std::size_t start = line.find(from);
    const std::size_t end = start == std::string::npos ? std::string::npos : line.find(to, start);
    if (start == std::string::npos || end == std::string::npos) return StrToFloat("");
    const std::size_t begin = start + std::char_traits<char>::length(from);
    return StrToFloat(line.substr(begin, end - begin));
}

}  // namespace

int ReadListedLines(const std::string& historyText, EntityTableRows& table) {
    const std::vector<std::string> lines = SplitHistoryLines(historyText);
    const std::optional<std::size_t> start = ListingStart(lines);
    if (!start) return 0;
    int count = 0;
    // One pass: a line object opens at its "線分" line and closes at its end point.
    // The listing is read once whatever it holds, however many objects in it never
    // show an end point.
    bool open = false;
    for (std::size_t j = *start; j < lines.size() && count < kEntityRows; ++j) {
        if (!open) {
            open = Holds(lines[j], "線分");
            continue;
        }
        EntityRecord& row = table[static_cast<std::size_t>(count)];
        if (Holds(lines[j], "始点")) {
            row.X1 = FieldBetween(lines[j], "X=", "Y=");
            row.Y1 = FieldBetween(lines[j], "Y=", "Z=");
        } else if (Holds(lines[j], "終点")) {
            row.X2 = FieldBetween(lines[j], "X=", "Y=");
            row.Y2 = FieldBetween(lines[j], "Y=", "Z=");
            row.Kind = 0;
            row.Layer = "0";
            ++count;
            open = false;
        }
    }
    return count;
}

bool ListingShowsObjects(const std::vector<std::string>& lines) {
    const std::optional<std::size_t> start = ListingStart(lines);
    if (!start) return false;
    for (std::size_t j = *start; j < lines.size(); ++j)
        if (Holds(lines[j], "画層")) return true;
    return false;
}

ListedSelection ListSelectedLines(HostLink& link) {
    ListedSelection selection;
    if (!RunHostListing(link, "list ")) return selection;
    const HostHistory history = CopyHostHistory(link);
    if (!history.finished || HistoryShowsCancel(history.lines, link.CommandPrompt + "list")) return selection;
    if (!ListingShowsObjects(history.lines)) {
        selection.Outcome = ListOutcome::NothingSelected;
        return selection;
    }
    std::string text;
    for (const std::string& line : history.lines) text += line + "\r\n";
    EntityTableRows rows;
    ClearEntityTable(rows);
    const int count = ReadListedLines(text, rows);
    for (int i = 0; i < count; ++i) {
        const EntityRecord& row = rows[static_cast<std::size_t>(i)];
        selection.Lines.push_back({row.X1, row.Y1, row.X2, row.Y2});
    }
    selection.Outcome = ListOutcome::Listed;
    selection.TooMany = count >= kEntityRows;
    return selection;
}

std::string NoCentreLineMessage() { return "中心線が選択されていません。"; }
std::string CentreLineNotLevelMessage() { return "水平或いは垂直な中心線を選択して下さい。"; }
std::string SeveralCentreLinesMessage() { return "複数選択されています。中心線は１本だけ選択して下さい。"; }
std::string TooManyObjectsMessage() { return "選択されたオブジェクトの数が多すぎます。"; }

std::optional<ListedLine> LevelCentreLine(const ListedLine& line, int lunits, int luprec) {
    ListedLine level = line;
    if (SameAsShown(line.X1, line.X2, lunits, luprec)) {
        level.X2 = level.X1;
    } else if (SameAsShown(line.Y1, line.Y2, lunits, luprec)) {
        level.Y2 = level.Y1;
    } else {
        return std::nullopt;
    }
    return level;
}

std::string SelectCentreLine(HostLink& link, std::optional<ListedLine>& centre) {
    // The ends are listed at full precision; whether the line is level is decided as the
    // user sees it.
    HostFrame frame(link);
    if (frame.Open({.VisibleLayer = false, .FullPrecision = true}) != FrameOutcome::Ready) return {};
    const ListedSelection selection = ListSelectedLines(link);
    if (selection.Outcome != ListOutcome::Listed) return {};
    if (selection.Lines.empty()) return NoCentreLineMessage();
    if (selection.Lines.size() > 1) return SeveralCentreLinesMessage();
    const std::optional<ListedLine> level =
        LevelCentreLine(selection.Lines.front(), frame.UserUnits(), frame.UserPrecision());
    if (!level) return CentreLineNotLevelMessage();
    centre = level;
    return {};
}

std::string SelectOutline(HostLink& link, std::optional<std::vector<ListedLine>>& outline) {
    HostFrame frame(link);
    if (frame.Open({.VisibleLayer = false, .FullPrecision = true}) != FrameOutcome::Ready) return {};
    ListedSelection selection = ListSelectedLines(link);
    if (selection.Outcome != ListOutcome::Listed) return {};
    outline = std::move(selection.Lines);
    return selection.TooMany ? TooManyObjectsMessage() : std::string();
}

void PickFacePoints(HostLink& link, FacePointLists& lists, const std::function<void(int)>& counted) {
    HostFrame frame(link);
    if (frame.Open({.VisibleLayer = false, .FullPrecision = true}) != FrameOutcome::Ready) return;
    lists = FacePointLists{};
    if (counted) counted(0);
    for (;;) {
        double x = 0;
        double y = 0;
        if (!PickPointInHost(link, x, y)) return;
        if (lists.X.empty()) {
            lists.X = NumberText(x);
            lists.Y = NumberText(y);
        } else {
            lists.X += "," + NumberText(x);
            lists.Y += "," + NumberText(y);
        }
        ++lists.Count;
        if (counted) counted(lists.Count);
    }
}

}  // namespace tessavue
