#include "dxf_data/dxf_lines.h"

#include "dxf_data/str_to_float.h"

#include "dxf_data/text_lines.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace tessavue {

DxfLines SplitDxfLines(const std::string& text) { return SplitLines(text); }

std::optional<DxfLines> LoadDxfLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // One read of the whole file: a selection export can run to tens of megabytes.
    std::string text;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return SplitDxfLines(text);
}

bool SaveDxfLines(const std::filesystem::path& path, const DxfLines& lines) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        // Lines are gathered into blocks and each block written at once: a write per
        // line costs more than the text, and one block for the whole file would double
        // the memory a large figure takes.
        constexpr std::size_t kBlock = 1 << 18;
        std::string block;
        block.reserve(kBlock + 256);
        for (const std::string& line : lines) {
            block += line;
            block += "\r\n";
            if (block.size() >= kBlock) {
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
                block.clear();
            }
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
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

bool IsGroupCode(const std::string& line, const char* code) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
    while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return line.compare(begin, end - begin, code) == 0;
}

bool ExtrudedDown(const DxfLines& lines, std::size_t kindLine) {
    for (std::size_t code = kindLine + 1; code + 1 < lines.size(); code += 2) {
        if (IsGroupCode(lines[code], "0")) break;
        if (IsGroupCode(lines[code], "230")) {
            const std::optional<double> z = TryStrToFloat(lines[code + 1]);
            return z && *z < 0;
        }
    }
    return false;
}

bool IsKindAt(const DxfLines& lines, std::size_t i, const char* kind) {
    return i > 0 && i < lines.size() && lines[i] == kind && IsGroupCode(lines[i - 1], "0");
}

std::optional<std::size_t> FindSectionName(const DxfLines& lines, const std::string& name) {
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (lines[i] == name && lines[i - 2] == "SECTION" && IsGroupCode(lines[i - 1], "2") &&
            IsGroupCode(lines[i - 3], "0"))
            return i;
    }
    return std::nullopt;
}

}  // namespace tessavue
