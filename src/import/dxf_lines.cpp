#include "import/dxf_lines.h"

#include "host/text_lines.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace tessavue {

DxfLines SplitDxfLines(const std::string& text) { return SplitLines(text); }

std::optional<DxfLines> LoadDxfLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return SplitDxfLines(text);
}

bool SaveDxfLines(const std::filesystem::path& path, const DxfLines& lines) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const std::string& line : lines) {
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
            out.write("\r\n", 2);
        }
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return false;
    }
    return true;
}

}  // namespace tessavue
