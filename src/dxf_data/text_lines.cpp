#include "dxf_data/text_lines.h"

namespace tessavue {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    // One allocation for the list: a large export has a million lines and more.
    std::size_t ends = 0;
    for (char c : text) ends += c == '\n' || c == '\r';
    lines.reserve(ends + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text, start, i - start);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text, start, std::string::npos);
    return lines;
}

}  // namespace tessavue
