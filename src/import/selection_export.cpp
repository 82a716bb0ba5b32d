#include "import/selection_export.h"

#include <system_error>

#include "dxf_data/dxf_lines.h"
#include "import/dxf_reader.h"

namespace tessavue {

std::array<std::string, 3> ExportAnswers(const std::string& version) {
    return {"o p  ", version.empty() ? std::string("v r12 ") : "v " + version + " ", "16 "};
}

std::string ExportStartCommand(const std::string& pathText) { return "dxfout " + pathText + "\r"; }

bool ExportSelectionDxf(HostLink& link, const std::string& pathText, const std::string& version,
                        bool* started) {
    const bool typed = link.SendHostCommand(ExportStartCommand(pathText));
    if (started) *started = typed;
    // An untyped command or answer would leave the wait below looking for a prompt
    // that never comes.
    if (!typed) return false;
    for (const std::string& answer : ExportAnswers(version)) {
        // The same ways out as every other wait: a user who cancels dxfout in AutoCAD
        // or closes it must not leave the palette polling for ever.
        if (!link.WaitForCommandLine(kAccuracyPromptMark, WaitMode::Contains)) return false;
        if (!link.SendHostCommand(answer)) return false;
    }
    // AutoCAD writes the file while it answers the last prompt; back at the idle prompt
    // the file is whole. Nothing is typed here, so no extra undo step appears.
    return link.WaitForCommandLine(link.CommandPrompt, WaitMode::Exact);
}

bool SelectionNeedsExplode(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return false;
    return SelectionNeedsExplode(LoadDxfLinesOrRaise(path), path);
}

bool SelectionNeedsExplode(const DxfLines& lines, const std::filesystem::path& path) {
    for (std::size_t i = EntitiesStart(lines, path); i < lines.size(); ++i) {
        if (lines[i].find("POLYLINE") != std::string::npos || lines[i].find("INSERT") != std::string::npos) return true;
    }
    return false;
}

namespace {

// Whether `line` is a group code at all: an integer, blanks around it allowed.
bool IsCodeLine(const std::string& line) {
    std::size_t begin = line.find_first_not_of(" \t");
    const std::size_t end = line.find_last_not_of(" \t") + 1;
    if (begin == std::string::npos) return false;
    if (line[begin] == '-' || line[begin] == '+') ++begin;
    if (begin == end) return false;
    for (std::size_t i = begin; i < end; ++i)
        if (line[i] < '0' || line[i] > '9') return false;
    return true;
}

// The code a code line stands for, as every reader takes it: " 00" and "+09" are the
// codes 0 and 9. Only for lines IsCodeLine accepts; a code too long for an int is none
// of the codes looked for here.
long CodeNumber(const std::string& line) {
    long value = 0;
    bool negative = false;
    for (char c : line) {
        if (c == '-') negative = true;
        if (c < '0' || c > '9') continue;
        if (value > 1000000) return -1;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

bool IsCode(const std::string& line, long code) { return IsCodeLine(line) && CodeNumber(line) == code; }

}  // namespace

bool RemoveHandseedLines(DxfLines& lines) {
    const std::optional<std::size_t> header = FindSectionName(lines, "HEADER");
    if (!header) return false;
    // The header's own pairs only, walked as pairs: a text elsewhere that reads "  9"
    // or "$HANDSEED" is a value, and the header's end is its "  0" pair. A code line
    // that is no code means a line was lost and the pairs with it: walked on, values
    // would pass for codes and the run could reach past the header's end.
    for (std::size_t code = *header + 1; code + 1 < lines.size(); code += 2) {
        if (!IsCodeLine(lines[code]) || IsCode(lines[code], 0)) return false;
        if (!IsCode(lines[code], 9) || lines[code + 1] != "$HANDSEED") continue;
        std::size_t end = code + 2;  // the variable's value pairs run to the next "  9" or "  0"
        while (end + 1 < lines.size() && !IsCode(lines[end], 9) && !IsCode(lines[end], 0)) {
            if (!IsCodeLine(lines[end])) return false;
            end += 2;
        }
        // A header that never ends is damage this edit must not guess past.
        if (end + 1 >= lines.size()) return false;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(code), lines.begin() + static_cast<std::ptrdiff_t>(end));
        return true;
    }
    return false;
}

bool RemoveHandseed(const std::filesystem::path& path) {
    auto loaded = LoadDxfLines(path);
    if (!loaded) return false;
    // A file without the variable keeps its bytes (and its line ends) untouched.
    if (!RemoveHandseedLines(*loaded)) return true;
    return SaveDxfLines(path, *loaded);
}

}  // namespace tessavue
