// What the command-line tools print: the program's texts are Shift-JIS, as the palette
// shows them. A Windows console under a Japanese locale takes them as they are;
// elsewhere they become UTF-8.
#pragma once

#include <cstdio>
#include <string>

#ifndef _WIN32
#include <iconv.h>
#endif

namespace tessavue {

inline void PrintCp932(std::FILE* to, const std::string& text) {
#ifndef _WIN32
    iconv_t codec = iconv_open("UTF-8", "CP932");
    if (codec != reinterpret_cast<iconv_t>(-1)) {
        std::string in = text;
        std::string out(text.size() * 3 + 4, '\0');
        char* inPtr = in.data();
        char* outPtr = out.data();
        std::size_t inLeft = in.size(), outLeft = out.size();
        const bool converted = iconv(codec, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(codec);
        if (converted) {
            out.resize(out.size() - outLeft);
            std::fputs(out.c_str(), to);
            return;
        }
    }
#endif
    std::fputs(text.c_str(), to);
}

}  // namespace tessavue
