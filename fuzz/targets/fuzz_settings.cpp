// The settings file's reading and writing (ParseSettingsInteger, ReadPaletteSettings,
// WritePaletteSettings) over a settings file given as INI text.
//
// Properties: an integer is read exactly when the text is a decimal integer within
// int's range (blanks around it allowed), as that integer; every key that holds no
// such integer keeps its default; what the palette writes it reads back unchanged,
// whatever the defaults it reads with.
#include "fuzz_support.h"

#include <climits>
#include <cstdint>
#include <map>
#include <string>

#include "host/profile_file.h"
#include "ui/settings.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// An INI file in memory: "[section]" lines, "key=value" lines below them; the first
// key of a name counts, as the private-profile calls read it.
class TextProfile final : public ProfileFile {
public:
    explicit TextProfile(const std::string& text) {
        std::string section;
        for (const std::string& raw : SplitDxfLines(text)) {
            const std::string line = Trim(raw);
            if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
                section = Trim(line.substr(1, line.size() - 2));
            } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
                keys_[section].emplace(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
            }
        }
    }
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) override {
        const auto s = keys_.find(section);
        if (s == keys_.end()) return fallback;
        const auto k = s->second.find(key);
        return k == s->second.end() ? fallback : k->second;
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        keys_[section][key] = value;
        return true;
    }

private:
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

// The integer a text holds, worked out digit by digit: blanks, an optional sign,
// decimal digits, blanks; within int's range.
std::optional<int> Integer(const std::string& text) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) i = 1;
    if (i == t.size()) return std::nullopt;
    long long value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

bool Same(const PaletteSettings& a, const PaletteSettings& b) {
    return a.Left == b.Left && a.Top == b.Top && a.AutoCAD == b.AutoCAD && a.InvertHeightSign == b.InvertHeightSign &&
           a.CircleHeightLines == b.CircleHeightLines && a.ProjectAll == b.ProjectAll;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    PaletteSettings defaults;
    defaults.Left = data.ConsumeIntegral<int>();
    defaults.Top = data.ConsumeIntegral<int>();
    defaults.InvertHeightSign = data.ConsumeBool();
    defaults.CircleHeightLines = data.ConsumeBool();
    defaults.ProjectAll = data.ConsumeBool();
    PaletteSettings written;
    written.Left = data.ConsumeIntegral<int>();
    written.Top = data.ConsumeIntegral<int>();
    written.InvertHeightSign = data.ConsumeBool();
    written.CircleHeightLines = data.ConsumeBool();
    written.ProjectAll = data.ConsumeBool();
    static const char* const kEditions[] = {"LT 2000", "LT 2002", "LT 2006"};
    written.AutoCAD = kEditions[data.ConsumeIntegralInRange(0, 2)];
    const std::string text = data.ConsumeRemainingBytesAsString();

    // Any text as an integer.
    const std::optional<int> parsed = ParseSettingsInteger(text);
    const std::optional<int> oracle = Integer(text);
    FUZZ_CHECK(parsed == oracle, "'" + text + "' read as " + (parsed ? std::to_string(*parsed) : "none") +
                                     ", its digits say " + (oracle ? std::to_string(*oracle) : "none"));

    // The settings file as the palette reads it.
    TextProfile file(text);
    const PaletteSettings read = ReadPaletteSettings(file, defaults);
    const auto integer = [&](const char* section, const char* key, int fallback) {
        return Integer(file.ReadString(section, key, "")).value_or(fallback);
    };
    FUZZ_CHECK(read.Left == integer(kScreenSection, kLeftKey, defaults.Left), std::string("Left read otherwise"));
    FUZZ_CHECK(read.Top == integer(kScreenSection, kTopKey, defaults.Top), std::string("Top read otherwise"));
    FUZZ_CHECK(read.AutoCAD == file.ReadString(kScreenSection, kAutoCadKey, defaults.AutoCAD),
               std::string("the edition read otherwise"));
    FUZZ_CHECK(read.ProjectAll == (integer(kMenuSection, kProjectAllKey, defaults.ProjectAll ? 1 : 0) != 0),
               std::string("全て投影 read otherwise"));

    // What the palette writes, it reads back.
    FUZZ_CHECK(WritePaletteSettings(file, written), std::string("the settings could not be written"));
    const PaletteSettings back = ReadPaletteSettings(file, defaults);
    FUZZ_CHECK(Same(back, written), "the settings written read back otherwise: Left " + std::to_string(back.Left) +
                                        " for " + std::to_string(written.Left));
    return 0;
}
