#include "ui/settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace tessavue {

std::optional<int> ParseSettingsInteger(const std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    std::size_t digits = begin;
    if (digits < end && (text[digits] == '+' || text[digits] == '-')) ++digits;
    if (digits == end) return std::nullopt;
    for (std::size_t i = digits; i < end; ++i)
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    const std::string number = text.substr(begin, end - begin);
    errno = 0;
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

int ReadSettingsInteger(ProfileFile& file, const std::string& section, const std::string& key, int fallback) {
    return ParseSettingsInteger(file.ReadString(section, key, "")).value_or(fallback);
}

PaletteSettings DefaultSettings(int screenWidth, int screenHeight, int formWidth, int formHeight) {
    PaletteSettings s;
    s.Left = screenWidth - formWidth;
    s.Top = screenHeight / 2 - formHeight / 2;
    return s;
}

PaletteSettings ReadPaletteSettings(ProfileFile& file, const PaletteSettings& defaults) {
    PaletteSettings s = defaults;
    s.Left = ReadSettingsInteger(file, kScreenSection, kLeftKey, defaults.Left);
    s.Top = ReadSettingsInteger(file, kScreenSection, kTopKey, defaults.Top);
    s.AutoCAD = file.ReadString(kScreenSection, kAutoCadKey, defaults.AutoCAD);
    const auto mark = [&](const char* key, bool fallback) {
        return ReadSettingsInteger(file, kMenuSection, key, fallback ? 1 : 0) != 0;
    };
    s.InvertHeightSign = mark(kInvertHeightSignKey, defaults.InvertHeightSign);
    s.CircleHeightLines = mark(kCircleHeightLinesKey, defaults.CircleHeightLines);
    s.ProjectAll = mark(kProjectAllKey, defaults.ProjectAll);
    return s;
}

bool WritePaletteSettings(ProfileFile& file, const PaletteSettings& s) {
    const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    // Every key is tried even after a failure, so one bad key loses no other.
    bool ok = true;
    ok = file.WriteString(kScreenSection, kLeftKey, std::to_string(s.Left)) && ok;
    ok = file.WriteString(kScreenSection, kTopKey, std::to_string(s.Top)) && ok;
    ok = file.WriteString(kScreenSection, kAutoCadKey, s.AutoCAD) && ok;
    ok = file.WriteString(kMenuSection, kInvertHeightSignKey, flag(s.InvertHeightSign)) && ok;
    ok = file.WriteString(kMenuSection, kCircleHeightLinesKey, flag(s.CircleHeightLines)) && ok;
    ok = file.WriteString(kMenuSection, kProjectAllKey, flag(s.ProjectAll)) && ok;
    return ok;
}

}  // namespace tessavue
