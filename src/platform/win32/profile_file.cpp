#include "platform/win32/profile_file.h"

#include <windows.h>

#include "platform/win32/text_codec.h"

namespace tessavue {

std::string Win32ProfileFile::ReadString(const std::string& section, const std::string& key,
                                         const std::string& fallback) {
    const std::wstring wideSection = WidenCp932(section);
    const std::wstring wideKey = WidenCp932(key);
    const std::wstring wideFallback = WidenCp932(fallback);
    // The call cuts a long value to the buffer and says so only by filling it.
    for (DWORD size = 256; size <= 65536; size *= 4) {
        std::wstring buffer(size, L'\0');
        const DWORD copied = GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideFallback.c_str(),
                                                      buffer.data(), size, file_.c_str());
        if (copied + 1 < size) {
            buffer.resize(copied);
            return NarrowCp932(buffer);
        }
    }
    return fallback;
}

bool Win32ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    return WritePrivateProfileStringW(WidenCp932(section).c_str(), WidenCp932(key).c_str(),
                                      WidenCp932(value).c_str(), file_.c_str()) != FALSE;
}


}  // namespace tessavue
