// The settings file through the real private-profile calls: what the palette writes
// must be a Shift-JIS INI file that it reads back the same, in a folder with a
// Japanese name.
#include "platform/win32/profile_file.h"
#include "platform/win32/program_path.h"
#include "ui/settings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tessavue {
namespace {

namespace fs = std::filesystem;

class Win32ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / (L"設定 テスト " + std::to_wstring(GetCurrentProcessId()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        path = folder / L"等角.ini";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string Bytes() const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder;
    fs::path path;
};

TEST_F(Win32ProfileFileTest, AMissingFileGivesTheFallbacks) {
    Win32ProfileFile file(path);
    EXPECT_EQ(file.ReadString("画面", "AutoCAD", "LT 2000"), "LT 2000");
    EXPECT_EQ(ReadSettingsInteger(file, "メニュー", "全て投影", 1), 1);
    EXPECT_FALSE(fs::exists(path)) << "reading creates no file";
}

TEST_F(Win32ProfileFileTest, WritesShiftJisNamesAndReadsThemBack) {
    Win32ProfileFile file(path);
    PaletteSettings s;
    s.Left = -12;
    s.Top = 345;
    s.AutoCAD = "LT 2006";
    s.InvertHeightSign = true;
    s.ProjectAll = false;
    ASSERT_TRUE(WritePaletteSettings(file, s));

    const std::string bytes = Bytes();
    // The section and key names in code page 932, as the literals here are.
    EXPECT_NE(bytes.find("[画面]\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[メニュー]\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("高さ符号反転=1\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("円、円弧の高さの線=0\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("全て投影=0\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("AutoCAD=LT 2006\r\n"), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find('\0'), std::string::npos) << "not UTF-16";
    EXPECT_NE(bytes.rfind("\xEF\xBB\xBF", 0), 0u) << "no UTF-8 mark";

    Win32ProfileFile again(path);
    const PaletteSettings back = ReadPaletteSettings(again, PaletteSettings{});
    EXPECT_EQ(back.Left, -12);
    EXPECT_EQ(back.Top, 345);
    EXPECT_EQ(back.AutoCAD, "LT 2006");
    EXPECT_TRUE(back.InvertHeightSign);
    EXPECT_FALSE(back.CircleHeightLines);
    EXPECT_FALSE(back.ProjectAll);
}

TEST_F(Win32ProfileFileTest, ReadsAFileWrittenByHandAndRewritesOnlyItsKeys) {
    // As a user would leave it after editing in Notepad: Shift-JIS, CR LF, blanks,
    // a key of its own and a value that is no number.
    std::ofstream(path, std::ios::binary) << "[画面]\r\nLeft = 80\r\nTop=abc\r\nAutoCAD=2002\r\n"
                                             "[メニュー]\r\n全て投影=0\r\nメモ=そのまま\r\n";
    Win32ProfileFile file(path);
    PaletteSettings defaults;
    defaults.Top = 77;
    const PaletteSettings s = ReadPaletteSettings(file, defaults);
    EXPECT_EQ(s.Left, 80);
    EXPECT_EQ(s.Top, 77);
    EXPECT_EQ(s.AutoCAD, "2002");
    EXPECT_FALSE(s.ProjectAll);

    ASSERT_TRUE(WritePaletteSettings(file, s));
    EXPECT_EQ(file.ReadString("メニュー", "メモ", ""), "そのまま");
    EXPECT_EQ(file.ReadString("画面", "Top", ""), "77");
}

TEST_F(Win32ProfileFileTest, LongValuesAreReadWhole) {
    Win32ProfileFile file(path);
    const std::string longText(3000, 'x');
    ASSERT_TRUE(file.WriteString("画面", "AutoCAD", longText));
    EXPECT_EQ(file.ReadString("画面", "AutoCAD", ""), longText);
}

TEST_F(Win32ProfileFileTest, AFolderThatDoesNotExistCannotBeWritten) {
    Win32ProfileFile file(folder / L"無い" / L"tessavue.ini");
    EXPECT_FALSE(WritePaletteSettings(file, PaletteSettings{}));
}

TEST(ProgramPath, IsTheRunningProgram) {
    const fs::path program = ProgramPath();
    EXPECT_TRUE(program.is_absolute());
    EXPECT_TRUE(fs::exists(program));
    EXPECT_EQ(program.extension(), ".exe");
}

}  // namespace
}  // namespace tessavue
