// Shift-JIS (code page 932) <-> UTF-16 for the palette's own controls, which use the
// wide calls so their captions show on any Windows.
#pragma once

#include <string>

namespace tessavue {

std::wstring WidenCp932(const std::string& text);
std::string NarrowCp932(const std::wstring& text);

}  // namespace tessavue
