#include "platform/win32/text_codec.h"

#include <windows.h>

namespace tessavue {

std::wstring WidenCp932(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string NarrowCp932(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace tessavue
