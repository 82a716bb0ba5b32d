// The palette's settings file and the files it derives from its own path.
//
// The settings file is INI text beside the program, in code page 932 like every
// other text the palette exchanges; section and key names are Japanese. The
// palette reads it once while its window is created and writes it once while the
// window closes. The file itself is reached through ProfileFile, so that the
// rules here (defaults, what counts as a number) are the same on every platform.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/profile_file.h"
#include "import/work_files.h"

namespace tessavue {

// A whole decimal integer with an optional sign, blanks around it allowed; anything
// else (empty, letters, a fraction, out of range) is no number.
std::optional<int> ParseSettingsInteger(const std::string& text);

// Reads an integer key; a missing key, or one that does not hold a number, reads as
// `fallback`.
int ReadSettingsInteger(ProfileFile& file, const std::string& section, const std::string& key, int fallback);

// What the palette keeps between runs. Until the settings file is read these are the
// first-run values; Left and Top then come from the screen (DefaultSettings).
struct PaletteSettings {
    int Left = 0;
    int Top = 0;
    std::string AutoCAD = "LT 2000";
    bool InvertHeightSign = false;  // 高さ符号反転
    bool CircleHeightLines = false; // 円、円弧の高さの線
    bool ProjectAll = true;         // 全て投影
};

// First-run settings: the palette against the right edge of the screen, vertically
// centred (each half rounded down on its own).
PaletteSettings DefaultSettings(int screenWidth, int screenHeight, int formWidth, int formHeight);

// Reads every key in the order the palette applies them: Left, Top, AutoCAD, then
// the three check marks. What is missing or unreadable keeps its value in
// `defaults`. A check mark is set by any number other than 0.
PaletteSettings ReadPaletteSettings(ProfileFile& file, const PaletteSettings& defaults);
// Writes the position and the edition into "画面" and the check marks as 1 or 0
// into "メニュー". False when any key could not be written.
bool WritePaletteSettings(ProfileFile& file, const PaletteSettings& settings);

// The section and key names of the settings file.
inline constexpr const char* kScreenSection = "画面";
inline constexpr const char* kMenuSection = "メニュー";
inline constexpr const char* kLeftKey = "Left";
inline constexpr const char* kTopKey = "Top";
inline constexpr const char* kAutoCadKey = "AutoCAD";
inline constexpr const char* kInvertHeightSignKey = "高さ符号反転";
inline constexpr const char* kCircleHeightLinesKey = "円、円弧の高さの線";
inline constexpr const char* kProjectAllKey = "全て投影";

}  // namespace tessavue
