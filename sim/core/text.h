// Byte-level helpers for Shift-JIS text: case mapping must leave the second byte of a
// double-byte character alone (ド is 83 68, whose second byte is 'h').
#pragma once

#include <string>
#include <string_view>

namespace tessavue::sim {

inline bool IsShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// ASCII letters mapped to upper (or lower) case; double-byte characters untouched.
inline std::string AsciiCase(std::string_view text, bool upper) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsShiftJisLead(c)) {
            ++i;
        } else if (upper && c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}
inline std::string AsciiUpper(std::string_view text) { return AsciiCase(text, true); }
inline std::string AsciiLower(std::string_view text) { return AsciiCase(text, false); }

}  // namespace tessavue::sim
