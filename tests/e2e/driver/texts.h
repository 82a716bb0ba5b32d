// Text conversions at the driver's edges: the palette's controls speak UTF-16, the
// stand-in host Shift-JIS (code page 932), and what the driver prints or reports is
// UTF-8 so that scripts and test logs on Linux read it as it is.
#pragma once

#include <string>
#include <string_view>

namespace tessavue::e2e {

std::wstring FromCodePage(std::string_view bytes, unsigned codePage);
std::string ToCodePage(std::wstring_view text, unsigned codePage);

inline std::wstring FromCp932(std::string_view bytes) { return FromCodePage(bytes, 932); }
inline std::string ToCp932(std::wstring_view text) { return ToCodePage(text, 932); }
inline std::wstring FromUtf8(std::string_view bytes) { return FromCodePage(bytes, 65001); }
inline std::string ToUtf8(std::wstring_view text) { return ToCodePage(text, 65001); }

// A text as it appears in a report: UTF-8 in double quotes, with CR and LF spelled
// out so that a message's line breaks can be checked by eye.
std::string Quoted(std::wstring_view text);

}  // namespace tessavue::e2e
