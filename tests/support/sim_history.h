// The stand-in's command history as tests read it: the lines one command left, how
// often a line is among them, and a line counted from the end. A failure can print the
// lines with Dump.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "core/host.h"

namespace tessavue::testing {

// The finished history lines from index `first` on (HistoryLines().size() taken before
// a command gives the lines it left).
inline std::vector<std::string> LinesFrom(const sim::SimHost& host, std::size_t first) {
    const auto& lines = host.HistoryLines();
    if (first >= lines.size()) return {};
    return {lines.begin() + static_cast<std::ptrdiff_t>(first), lines.end()};
}

// The finished line `fromEnd` lines before the last (0: the last), or "<none>".
inline std::string LineFromEnd(const sim::SimHost& host, std::size_t fromEnd) {
    const auto& lines = host.HistoryLines();
    return fromEnd < lines.size() ? lines[lines.size() - 1 - fromEnd] : std::string("<none>");
}

inline long CountEqual(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<long>(std::count(lines.begin(), lines.end(), line));
}

inline long CountHolding(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<long>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

// The lines one a row, for a failure message.
inline std::string Dump(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  | " + line + "\n";
    return text;
}

}  // namespace tessavue::testing
