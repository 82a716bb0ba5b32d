// Text as AutoCAD and its files hand it over, split into lines.
#pragma once

#include <string>
#include <vector>

namespace tessavue {

// The lines of `text`, ending at CR LF, a lone LF or a lone CR; the line ends are not
// part of the lines, every other byte stays. An empty final piece is not a line.
std::vector<std::string> SplitLines(const std::string& text);

}  // namespace tessavue
