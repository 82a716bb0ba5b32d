// The settings file, the derived file names and the Help menu's own boxes, against an
// in-memory settings file and a real scratch folder for the working files.
#include "ui/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "fake_desktop.h"
#include "fake_form_view.h"
#include "fake_profile_file.h"
#include "ui/tform1.h"

namespace tessavue {
namespace {

namespace fs = std::filesystem;
using testing::FakeDesktop;
using testing::FakeFormView;
using testing::FakeProfileFile;

// ---------------------------------------------------------------- numbers

TEST(ParseSettingsInteger, WholeDecimalNumbersOnly) {
    struct Case {
        std::string text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"0", 0},          {"1", 1},           {"-1", -1},          {"+7", 7},
        {" 42 ", 42},      {"\t-3", -3},       {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"", std::nullopt},            {"  ", std::nullopt},          {"abc", std::nullopt},
        {"12x", std::nullopt},         {"1.0", std::nullopt},         {"1e3", std::nullopt},
        {"-", std::nullopt},           {"+", std::nullopt},           {"0x10", std::nullopt},
        {"1 2", std::nullopt},         {"2147483648", std::nullopt},  {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt}, {"１", std::nullopt},  // a full-width digit
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSettingsInteger(c.text), c.value) << "'" << c.text << "'";
}

// ---------------------------------------------------------------- file names

TEST(DeriveProgramFiles, NamesBesideTheProgram) {
    const fs::path dir = fs::path("C:") / "tools" / "iso";
    const ProgramFiles f = DeriveProgramFiles(dir / "tessavue.exe", "tessavue.exe");
    EXPECT_EQ(f.directory, dir);
    EXPECT_EQ(f.settings, dir / "tessavue.ini");
    EXPECT_EQ(f.selection, dir / "tessavue.dxf");
    EXPECT_EQ(f.turnedLeft, dir / "l_45.dxf");
    EXPECT_EQ(f.turnedRight, dir / "r_45.dxf");
    EXPECT_EQ(f.exploded, dir / "explode.dxf");
    EXPECT_EQ(f.figureTemplate, dir / "elem.dxf");
    EXPECT_EQ(f.offset, dir / "ofst.dxf");
    EXPECT_EQ(f.readme, dir / "readme.txt");
    EXPECT_EQ(f.programFileName, "tessavue.exe");
    EXPECT_EQ(f.WorkingDxfFiles(),
              (std::vector<fs::path>{dir / "tessavue.dxf", dir / "l_45.dxf", dir / "r_45.dxf", dir / "explode.dxf",
                                     dir / "elem.dxf", dir / "ofst.dxf"}));
}

TEST(DeriveProgramFiles, OnlyTheLastExtensionIsReplaced) {
    const ProgramFiles f = DeriveProgramFiles(fs::path("x") / "iso.v2.exe", "iso.v2.exe");
    EXPECT_EQ(f.settings, fs::path("x") / "iso.v2.ini");
    EXPECT_EQ(f.selection, fs::path("x") / "iso.v2.dxf");
}

// ---------------------------------------------------------------- reading and writing

TEST(PaletteSettingsFile, MissingKeysKeepTheDefaultsAndEveryKeyIsRead) {
    FakeProfileFile file;
    PaletteSettings defaults;
    defaults.Left = 11;
    defaults.Top = 22;
    const PaletteSettings s = ReadPaletteSettings(file, defaults);
    EXPECT_EQ(s.Left, 11);
    EXPECT_EQ(s.Top, 22);
    EXPECT_EQ(s.AutoCAD, "LT 2000");
    EXPECT_FALSE(s.InvertHeightSign);
    EXPECT_FALSE(s.CircleHeightLines);
    EXPECT_TRUE(s.ProjectAll);
    // In the order the palette applies them: position, edition, check marks.
    EXPECT_EQ(file.reads, (std::vector<std::string>{"画面/Left", "画面/Top", "画面/AutoCAD", "メニュー/高さ符号反転",
                                                    "メニュー/円、円弧の高さの線", "メニュー/全て投影"}));
}

TEST(PaletteSettingsFile, WrittenAsOneAndZeroAndReadBack) {
    FakeProfileFile file;
    PaletteSettings s;
    s.Left = -40;
    s.Top = 1200;
    s.AutoCAD = "2002";
    s.InvertHeightSign = true;
    s.CircleHeightLines = false;
    s.ProjectAll = false;
    ASSERT_TRUE(WritePaletteSettings(file, s));
    EXPECT_EQ(file.Value("画面", "Left"), "-40");
    EXPECT_EQ(file.Value("画面", "Top"), "1200");
    EXPECT_EQ(file.Value("画面", "AutoCAD"), "2002");
    EXPECT_EQ(file.Value("メニュー", "高さ符号反転"), "1");
    EXPECT_EQ(file.Value("メニュー", "円、円弧の高さの線"), "0");
    EXPECT_EQ(file.Value("メニュー", "全て投影"), "0");
    const PaletteSettings back = ReadPaletteSettings(file, PaletteSettings{});
    EXPECT_EQ(back.Left, -40);
    EXPECT_EQ(back.Top, 1200);
    EXPECT_EQ(back.AutoCAD, "2002");
    EXPECT_TRUE(back.InvertHeightSign);
    EXPECT_FALSE(back.CircleHeightLines);
    EXPECT_FALSE(back.ProjectAll);
}

TEST(PaletteSettingsFile, ValuesThatAreNoNumbersReadAsTheirDefault) {
    FakeProfileFile file;
    file.values[{"画面", "Left"}] = "abc";
    file.values[{"画面", "Top"}] = "12px";
    file.values[{"メニュー", "高さ符号反転"}] = "yes";   // default 0
    file.values[{"メニュー", "全て投影"}] = "";          // default 1
    file.values[{"メニュー", "円、円弧の高さの線"}] = "2";  // any number but 0 checks
    PaletteSettings defaults;
    defaults.Left = 500;
    defaults.Top = 300;
    const PaletteSettings s = ReadPaletteSettings(file, defaults);
    EXPECT_EQ(s.Left, 500);
    EXPECT_EQ(s.Top, 300);
    EXPECT_FALSE(s.InvertHeightSign);
    EXPECT_TRUE(s.ProjectAll);
    EXPECT_TRUE(s.CircleHeightLines);
}

TEST(PaletteSettingsFile, AFailedWriteIsReportedAndTheOtherKeysAreStillTried) {
    FakeProfileFile file;
    file.failWrites = true;
    EXPECT_FALSE(WritePaletteSettings(file, PaletteSettings{}));
    EXPECT_EQ(file.writes.size(), 6u);
}

// ---------------------------------------------------------------- the palette's runs

// A scratch folder holding "tessavue.exe"'s neighbours, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path_ = fs::temp_directory_path() / ("tessavue-settings-test-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    void Write(const std::string& name, const std::string& content = "0\nEOF\n") const {
        std::ofstream(path_ / name, std::ios::binary) << content;
    }
    bool Has(const std::string& name) const { return fs::exists(path_ / name); }

private:
    fs::path path_;
};

class PaletteRuns : public ::testing::Test {
protected:
    // One run of the program: a new window and form over the same settings file.
    void Start() {
        view = std::make_unique<FakeFormView>();
        view->screenWidth = 1280;
        view->screenHeight = 800;
        view->form = {0, 0, 119, 336};
        form = std::make_unique<TForm1>(*view, desktop, file,
                                        DeriveProgramFiles(folder.path() / "tessavue.exe", "tessavue.exe"));
        form->RunHandler([this] { form->FormCreate(); });
    }
    void Close() { form->RunHandler([this] { form->FormCloseQuery(); }); }
    // Where the first run puts the palette on this screen.
    static constexpr int kDefaultLeft = 1280 - 119;
    static constexpr int kDefaultTop = 400 - 168;

    ScratchFolder folder;
    FakeProfileFile file;
    FakeDesktop desktop;
    std::unique_ptr<FakeFormView> view;
    std::unique_ptr<TForm1> form;
};

TEST_F(PaletteRuns, FirstRunUsesTheDefaultsAndWritesThemAtClose) {
    Start();
    EXPECT_EQ(view->form.left, kDefaultLeft);
    EXPECT_EQ(view->form.top, kDefaultTop);
    EXPECT_EQ(form->Host().TargetVersion, "LT 2000");
    EXPECT_FALSE(view->Checked(Control::menu_help_othr_sign));
    EXPECT_FALSE(view->Checked(Control::menu_help_othr_circ));
    EXPECT_TRUE(view->Checked(Control::menu_help_othr_a_ll));
    EXPECT_FALSE(view->Enabled(Control::menu_help_othr_a_ll));
    EXPECT_TRUE(file.writes.empty()) << "nothing is written before the palette closes";

    Close();
    EXPECT_EQ(view->destroyed, 1);
    EXPECT_EQ(file.Value("画面", "Left"), std::to_string(kDefaultLeft));
    EXPECT_EQ(file.Value("画面", "Top"), std::to_string(kDefaultTop));
    EXPECT_EQ(file.Value("画面", "AutoCAD"), "LT 2000");
    EXPECT_EQ(file.Value("メニュー", "高さ符号反転"), "0");
    EXPECT_EQ(file.Value("メニュー", "円、円弧の高さの線"), "0");
    EXPECT_EQ(file.Value("メニュー", "全て投影"), "1");
    EXPECT_TRUE(view->boxes.empty());
}

TEST_F(PaletteRuns, ProjectAllOffSurvivesARunUnchanged) {
    file.values[{"メニュー", "全て投影"}] = "0";
    Start();
    EXPECT_FALSE(view->Checked(Control::menu_help_othr_a_ll));
    EXPECT_FALSE(view->Enabled(Control::menu_help_othr_a_ll));
    Close();
    EXPECT_EQ(file.Value("メニュー", "全て投影"), "0");
}

TEST_F(PaletteRuns, PositionAndTogglesPersistToTheNextRun) {
    Start();
    view->form.left = 100;  // the user moved the palette
    view->form.top = 50;
    form->RunHandler([this] { form->menu_help_othr_signClick(); });
    form->RunHandler([this] { form->menu_help_othr_circClick(); });
    form->RunHandler([this] { form->menu_help_othr_circClick(); });
    EXPECT_TRUE(file.writes.empty()) << "the toggles only change the check marks";
    Close();

    Start();
    EXPECT_EQ(view->form.left, 100);
    EXPECT_EQ(view->form.top, 50);
    EXPECT_TRUE(view->Checked(Control::menu_help_othr_sign));
    EXPECT_FALSE(view->Checked(Control::menu_help_othr_circ));
    EXPECT_TRUE(view->Checked(Control::menu_help_othr_a_ll));
}

TEST_F(PaletteRuns, TheEditionFromTheFileChoosesPromptsAndTransport) {
    file.values[{"画面", "AutoCAD"}] = "LT 2006";
    // An idle LT 2006: its command line with the full-width prompt and its paste window.
    const WindowHandle main = desktop.Add({"AutoCAD LT 2006 - [Drawing1.dwg]", "AfxFrame", ""});
    const WindowHandle bar = desktop.Add({"", "AfxControlBar", "", main});
    const WindowHandle commandLine =
        desktop.Add({"", "Afx:00400000:8:00010011:00000000:00000000", "コマンド: ", bar});
    const WindowHandle paste = desktop.Add({"", "Afx:00400000:0:00010011:00000000:00000000", "Marin", bar});
    Start();
    EXPECT_EQ(form->Host().TargetVersion, "LT 2006");
    EXPECT_EQ(form->Host().CommandPrompt, "コマンド: ");

    form->RunHandler([this] { form->menu_help_catcClick(); });
    EXPECT_TRUE(view->boxes.empty());
    EXPECT_EQ(form->Host().CommandLineWindow, commandLine);
    EXPECT_EQ(form->Host().PasteTargetWindow, paste);
    form->Host().SendHostCommand("zoom ");
    ASSERT_FALSE(desktop.log.empty());
    EXPECT_EQ(desktop.log.back().rfind("paste:" + std::to_string(paste), 0), 0u) << desktop.log.back();

    Close();
    EXPECT_EQ(file.Value("画面", "AutoCAD"), "LT 2006");
}

TEST_F(PaletteRuns, AnEditionChangedDuringTheRunIsWrittenAtClose) {
    Start();
    form->Host().ApplyTargetVersion("2002");
    Close();
    EXPECT_EQ(file.Value("画面", "AutoCAD"), "2002");
}

// The target-version dialog over a run whose settings file names `stored`, with an
// idle LT 2006 the only AutoCAD running.
TEST_F(PaletteRuns, TheTargetVersionDialogChangesTheEditionOnlyWhenTheUserChoseAnother) {
    const WindowHandle main = desktop.Add({"AutoCAD LT 2006 - [Drawing1.dwg]", "AfxFrame", ""});
    const WindowHandle bar = desktop.Add({"", "AfxControlBar", "", main});
    desktop.Add({"", "Afx:00400000:8:00010011:00000000:00000000", "コマンド: ", bar});
    desktop.Add({"", "Afx:00400000:0:00010011:00000000:00000000", "Marin", bar});
    constexpr TargetVersionAnswer kCancel{false, 2};
    struct Case {
        const char* stored;
        TargetVersionAnswer answer;
        int opensOn;          // the item selected as the dialog opens
        const char* edition;  // TargetVersion afterwards, and in the file after the close
        bool captured;        // false: not even tried, or tried and failed (see failed)
        bool failed;          // the capture-failure message was shown
    };
    const Case cases[] = {
        {"2002", {true, 2}, 1, "2006", true, false},
        {"LT 2000", {true, 1}, 0, "2002", false, true},
        // A cancel after another item was chosen changes nothing and captures nothing.
        {"2002", kCancel, 1, "2002", false, false},
        // The settings file's long name opens on its item; Ok without a change keeps it.
        {"LT 2006", {true, 2}, 2, "LT 2006", true, false},
        {"2006", {true, 2}, 2, "2006", true, false},
        // A text no item serves opens on no item; Ok with none chosen keeps it (and its
        // capture fails as before), a choice replaces it.
        {"LT 2002", {true, -1}, -1, "LT 2002", false, true},
        {"LT 2002", {true, 2}, -1, "2006", true, false},
        {"lt 2006", {true, -1}, -1, "lt 2006", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " -> " + c.edition);
        file.values[{"画面", "AutoCAD"}] = c.stored;
        Start();
        view->dialogAnswer = [&c](int) { return c.answer; };
        form->RunHandler([this] { form->menu_help_othr_trgtClick(); });
        EXPECT_EQ(view->dialogOpenings, std::vector<int>{c.opensOn});
        EXPECT_EQ(form->Host().TargetVersion, c.edition);
        EXPECT_EQ(form->Host().CommandLineFound, c.captured);
        EXPECT_EQ(view->boxes.size(), c.failed ? 1u : 0u);
        if (c.failed && !view->boxes.empty()) {
            EXPECT_EQ(view->boxes[0].text, CaptureFailureMessage());
        }
        if (c.captured) {
            EXPECT_EQ(form->Host().CommandPrompt, "コマンド: ") << "the LT 2006 texts";
        }
        Close();
        EXPECT_EQ(file.Value("画面", "AutoCAD"), c.edition);
    }
}

TEST(TargetVersionItem, TheItemOfTheSameEditionOrNone) {
    const std::pair<const char*, int> rows[] = {{"LT 2000", 0}, {"2002", 1},   {"2006", 2},    {"LT 2006", 2},
                                                {"2000", -1},   {"LT 2002", -1}, {"", -1},      {"LT 2006 ", -1}};
    for (const auto& [text, item] : rows) EXPECT_EQ(TargetVersionItem(text), item) << text;
}

TEST_F(PaletteRuns, APositionOffEveryScreenFallsBackToTheDefault) {
    struct Case {
        int left, top;
        bool kept;
    };
    const Case cases[] = {
        {1400, 100, false},   // a second monitor on the right, since removed
        {-500, 100, false},   // or on the left
        {100, 900, false},    // below the screen
        {100, -400, false},   // above it
        {1270, 100, true},    // partly on screen: the user can still reach it
        {-100, -100, true},
        {0, 0, true},
    };
    for (const Case& c : cases) {
        file.values[{"画面", "Left"}] = std::to_string(c.left);
        file.values[{"画面", "Top"}] = std::to_string(c.top);
        Start();
        EXPECT_EQ(view->form.left, c.kept ? c.left : kDefaultLeft) << c.left << "," << c.top;
        EXPECT_EQ(view->form.top, c.kept ? c.top : kDefaultTop) << c.left << "," << c.top;
        EXPECT_EQ(view->topmostPlacements, 1);
    }
}

TEST_F(PaletteRuns, WorkingFilesAreDeletedAtStartAndAtCloseAndNothingElse) {
    // The offset file too: a leftover one would make AutoCAD ask before the next export.
    const std::vector<std::string> working{"tessavue.dxf", "l_45.dxf", "r_45.dxf", "explode.dxf", "elem.dxf",
                                           "ofst.dxf"};
    const std::vector<std::string> kept{"tessavue.ini", "readme.txt", "drawing.dxf", "tessavue.exe"};
    for (const auto& name : working) folder.Write(name);
    for (const auto& name : kept) folder.Write(name);
    Start();
    for (const auto& name : working) EXPECT_FALSE(folder.Has(name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(folder.Has(name)) << name;

    // Exports made during the run go at close; a missing one is no error.
    folder.Write("l_45.dxf");
    folder.Write("tessavue.dxf");
    Close();
    for (const auto& name : working) EXPECT_FALSE(folder.Has(name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(folder.Has(name)) << name;
    EXPECT_TRUE(view->boxes.empty());
}

TEST_F(PaletteRuns, AnUnwritableSettingsFileIsReportedAndThePaletteStillCloses) {
    Start();
    folder.Write("elem.dxf");
    file.failWrites = true;
    Close();
    ASSERT_EQ(view->boxes.size(), 1u);
    EXPECT_EQ(view->boxes[0].kind, "error");
    EXPECT_EQ(view->destroyed, 1);
    EXPECT_FALSE(folder.Has("elem.dxf"));
}

TEST_F(PaletteRuns, AFailingCloseDoesNotStopTheWindowFromGoing) {
    Start();
    view->whileBoxUp = [this](const testing::ShownBox&) {
        // Messages that arrive while the close's box is up find the form gone.
        form->RunHandler([this] { form->FormCloseQuery(); });
        throw std::runtime_error("box failed");
    };
    file.failWrites = true;
    EXPECT_NO_THROW(Close());
    EXPECT_EQ(view->destroyed, 1);
}

// ---------------------------------------------------------------- Help menu

TEST_F(PaletteRuns, HelpWithoutReadmeShowsTheMissingReadmeMessage) {
    Start();
    form->RunHandler([this] { form->menu_help_helpClick(); });
    ASSERT_EQ(view->boxes.size(), 1u);
    EXPECT_EQ(view->boxes[0].kind, "情報");
    EXPECT_EQ(view->boxes[0].text, "マニュアルはありません。あしからず。\r\n\r\nm(_ _)m");
    EXPECT_TRUE(view->notepadStarts.empty());
}

TEST_F(PaletteRuns, HelpOpensTheReadmeInNotepadFromTheProgramsFolder) {
    folder.Write("readme.txt", "readme\r\n");
    Start();
    form->RunHandler([this] { form->menu_help_helpClick(); });
    EXPECT_TRUE(view->boxes.empty());
    ASSERT_EQ(view->notepadStarts.size(), 1u);
    EXPECT_EQ(view->notepadStarts[0].first, folder.path());
    EXPECT_EQ(view->notepadStarts[0].second, "readme.txt");
}

TEST_F(PaletteRuns, AFolderNamedReadmeIsNoReadme) {
    fs::create_directory(folder.path() / "readme.txt");
    Start();
    form->RunHandler([this] { form->menu_help_helpClick(); });
    ASSERT_EQ(view->boxes.size(), 1u);
    EXPECT_EQ(view->boxes[0].text, MissingReadmeMessage());
    EXPECT_TRUE(view->notepadStarts.empty());
}

TEST_F(PaletteRuns, VersionBoxNamesTheProgramFileAndTheVersion) {
    Start();
    form->RunHandler([this] { form->menu_help_versClick(); });
    ASSERT_EQ(view->boxes.size(), 1u);
    EXPECT_EQ(view->boxes[0].kind, "情報");
    EXPECT_EQ(view->boxes[0].text, "バージョン情報\r\n\r\nTessavue tessavue.exe\r\n\r\nVer.1.20");
    // Renamed, the program shows the name it runs under.
    EXPECT_EQ(VersionBoxText("等角.exe"), "バージョン情報\r\n\r\nTessavue 等角.exe\r\n\r\nVer.1.20");
}

}  // namespace
}  // namespace tessavue
