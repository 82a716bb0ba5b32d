#include "import/mtext_lines.h"

namespace tessavue {
namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += length;
    }
    return true;
}

}  // namespace

std::vector<std::string> MTextPlainLines(std::string_view text) {
    // Files of DXF 2007 and later hold UTF-8; older ones the drawing's code page, here
    // 932, whose lead bytes take the next byte with them.
    const bool utf8 = ValidUtf8(text);
    std::vector<std::string> lines(1);
    const auto skipTo = [&](std::size_t& i, char end) {
        const std::size_t stop = text.find(end, i);
        i = stop == std::string_view::npos ? text.size() : stop + 1;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!utf8 && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < text.size()) {
            lines.back() += text.substr(i, 2);
            i += 2;
            continue;
        }
        if (c == '{' || c == '}') {
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            lines.emplace_back();
            i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        if (c != '\\' || i + 1 >= text.size()) {
            lines.back() += static_cast<char>(c);
            ++i;
            continue;
        }
        const char code = text[i + 1];
        i += 2;
        switch (code) {
            case 'P':
                lines.emplace_back();
                break;
            case '~':
                lines.back() += ' ';
                break;
            case '\\':
            case '{':
            case '}':
                lines.back() += code;
                break;
            case 'f': case 'F': case 'H': case 'h': case 'C': case 'c': case 'T': case 't': case 'Q': case 'q':
            case 'W': case 'w': case 'A': case 'a': case 'p':
                skipTo(i, ';');  // a setting up to its ';'
                break;
            case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': case 'X':
                break;  // underline, overline, strike-through: no characters
            case 'S': {
                // A stack up to its ';': top and bottom side by side as a fraction.
                const std::size_t stop = text.find(';', i);
                std::string stack(text.substr(i, stop == std::string_view::npos ? std::string_view::npos : stop - i));
                for (char& s : stack)
                    if (s == '^' || s == '#') s = '/';
                lines.back() += stack;
                i = stop == std::string_view::npos ? text.size() : stop + 1;
                break;
            }
            default:
                // "\U+XXXX", "\M+..." and anything not known stay as written.
                lines.back() += '\\';
                lines.back() += code;
                break;
        }
    }
    return lines;
}

}  // namespace tessavue
