#include "texts.h"

#include <windows.h>

namespace tessavue::e2e {

std::wstring FromCodePage(std::string_view bytes, unsigned codePage) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

std::string ToCodePage(std::wstring_view text, unsigned codePage) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string Quoted(std::wstring_view text) {
    std::wstring shown;
    for (wchar_t c : text) {
        if (c == L'\r') shown += L"\\r";
        else if (c == L'\n') shown += L"\\n";
        else shown += c;
    }
    return "\"" + ToUtf8(shown) + "\"";
}

}  // namespace tessavue::e2e
