// The lines an MTEXT shows, as plain text: its paragraphs split at "\P" (and at line
// breaks), its formatting codes taken out (font, height, colour, width, oblique,
// tracking, alignment, underline and overline; braces that group them), a stacked
// fraction written a/b, "\~" a blank and "\\", "\{", "\}" the characters themselves.
// "\U+XXXX" and "%%" codes stay, as a TEXT shows them too. Double-byte characters of
// code page 932 are kept whole: their second byte may be a backslash. Lines are not
// wrapped at the MTEXT's width, which needs the font's glyphs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessavue {

std::vector<std::string> MTextPlainLines(std::string_view text);

}  // namespace tessavue
