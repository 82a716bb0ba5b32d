// Text between the program's code page 932 (Shift-JIS, as the palette's texts and
// Japanese plans hold them) and UTF-8 (Linux command lines and consoles, SVG), and
// what the command-line tools print.
#pragma once

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace tessavue {

namespace detail {

// `text` from code page `from` to `to` (Windows code page numbers; iconv names
// elsewhere); "" when it has no such form.
inline std::string Recode(const std::string& text, [[maybe_unused]] unsigned fromPage,
                          [[maybe_unused]] unsigned toPage, [[maybe_unused]] const char* fromName,
                          [[maybe_unused]] const char* toName) {
    if (text.empty()) return "";
#ifdef _WIN32
    const int wide = MultiByteToWideChar(fromPage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
    if (wide <= 0) return "";
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(fromPage, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
    BOOL lost = FALSE;
    BOOL* lostFlag = toPage == CP_UTF8 ? nullptr : &lost;  // UTF-8 takes no default character
    // Without WC_NO_BEST_FIT_CHARS a character the code page lacks may come out as a
    // look-alike (Ø as O) without counting as lost.
    const DWORD flags = toPage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int narrow = WideCharToMultiByte(toPage, flags, w.data(), wide, nullptr, 0, nullptr, lostFlag);
    if (narrow <= 0 || lost) return "";
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(toPage, flags, w.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
#else
    iconv_t codec = iconv_open(toName, fromName);
    if (codec == reinterpret_cast<iconv_t>(-1)) return "";
    std::string in = text;
    std::string out(text.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const bool converted = iconv(codec, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(codec);
    if (!converted) return "";
    out.resize(out.size() - outLeft);
    return out;
#endif
}

}  // namespace detail

inline std::string Utf8FromCp932(const std::string& text) { return detail::Recode(text, 932, 65001, "CP932", "UTF-8"); }
inline std::string Cp932FromUtf8(const std::string& text) { return detail::Recode(text, 65001, 932, "UTF-8", "CP932"); }

// A text typed in UTF-8 as a drawing in code page 932 holds it: each character that
// code page has as itself, any other as DXF's "\U+XXXX" (characters beyond the basic
// plane as their UTF-16 halves), which AutoCAD shows as the character. "" for a text
// that is no UTF-8.
inline std::string DxfTextFromUtf8(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return "";
        unsigned long code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char c = static_cast<unsigned char>(text[i + k]);
            if ((c >> 6) != 2) return "";
            code = (code << 6) | (c & 0x3F);
        }
        const std::string one = text.substr(i, length);
        i += length;
        if (length == 1) {
            out += one;
            continue;
        }
        const std::string cp932 = Cp932FromUtf8(one);
        if (!cp932.empty()) {
            out += cp932;
            continue;
        }
        const auto escape = [&out](unsigned long unit) {
            char buffer[24];
            std::snprintf(buffer, sizeof buffer, "%04lX", unit);
            out += "\\U+";
            out += buffer;
        };
        if (code >= 0x10000) {
            escape(0xD800 + ((code - 0x10000) >> 10));
            escape(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            escape(code);
        }
    }
    return out;
}

// Prints a code page 932 text: a Windows console under a Japanese locale takes it as it
// is; elsewhere it becomes UTF-8 (as it stands when it has no UTF-8 form).
inline void PrintCp932(std::FILE* to, const std::string& text) {
#ifndef _WIN32
    const std::string utf8 = Utf8FromCp932(text);
    if (!utf8.empty() || text.empty()) {
        std::fputs(utf8.c_str(), to);
        return;
    }
#endif
    std::fputs(text.c_str(), to);
}

}  // namespace tessavue
