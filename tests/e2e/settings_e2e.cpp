// The settings file and the Help menu with the real tessavue.exe: each test places a
// copy of the palette in a folder of its own (a Japanese name with a blank), writes
// the settings file there as a user or an earlier run would have left it, starts the
// palette, and reads the file again after a normal close.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "e2e_fixture.h"

namespace tessavue::e2e {
namespace {

namespace fs = std::filesystem;

const std::wstring kInformationTitle = L"情報";

class Settings : public EndToEndTest {
protected:
    void SetUp() override {
        folder_ = OwnFolder() / L"設定 e2e";
        std::error_code error;
        fs::remove_all(folder_, error);
        fs::create_directories(folder_);
        fs::copy_file(OwnFolder() / L"tessavue.exe", folder_ / L"tessavue.exe", fs::copy_options::overwrite_existing);
    }
    void TearDown() override {
        if (process_ && process_->Running()) EXPECT_OK(process_->Terminate());
        palette_.reset();
        process_.reset();
        EndToEndTest::TearDown();
        std::error_code error;
        fs::remove_all(folder_, error);
    }

    fs::path File(const wchar_t* name) const { return folder_ / name; }
    // Shift-JIS bytes, as the literals of this file are.
    void WriteFile(const wchar_t* name, const std::string& bytes) const {
        std::ofstream(File(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const wchar_t* name) const {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string Ini() const { return ReadFile(L"tessavue.ini"); }

    // Starts the copy of the palette with whatever settings file its folder holds.
    ::testing::AssertionResult Start() {
        auto process = Process::Start(File(L"tessavue.exe"), {});
        if (!process) return ::testing::AssertionFailure() << process.message();
        process_.emplace(std::move(*process));
        auto found = Palette::Find(process_->id());
        if (!found) return ::testing::AssertionFailure() << found.message();
        palette_.emplace(std::move(*found));
        if (Status settled = palette_->Settle(); !settled) return ::testing::AssertionFailure() << settled.message();
        if (!palette_->OpenBoxes().empty()) return ::testing::AssertionFailure() << "a message box at start-up";
        return ::testing::AssertionSuccess();
    }
    // Closes the palette as its close box does, and waits for the program to end.
    ::testing::AssertionResult Close() {
        if (Status closed = process_->AskToClose(kDefaultBound); !closed)
            return ::testing::AssertionFailure() << closed.message();
        palette_.reset();
        process_.reset();
        return ::testing::AssertionSuccess();
    }

    Palette& Pal() { return *palette_; }
    RECT Bounds() {
        RECT r{};
        EXPECT_TRUE(GetWindowRect(palette_->window(), &r));
        return r;
    }
    MenuItemState Menu(Control item) {
        auto state = palette_->MenuState(Id(item));
        EXPECT_TRUE(state.ok()) << state.message();
        return state ? *state : MenuItemState{};
    }
    std::vector<MessageBoxText> PaletteBoxes() {
        auto boxes = palette_->DismissBoxes();
        EXPECT_TRUE(boxes.ok()) << boxes.message();
        return boxes ? *boxes : std::vector<MessageBoxText>{};
    }
    // Where the palette goes without a usable saved position.
    POINT DefaultPosition() {
        const RECT r = Bounds();
        return {GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left),
                GetSystemMetrics(SM_CYSCREEN) / 2 - (r.bottom - r.top) / 2};
    }

private:
    fs::path folder_;
    std::optional<Process> process_;
    std::optional<Palette> palette_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(Settings, FirstRunStartsFromTheDefaultsAndWritesThemAtClose) {
    for (const wchar_t* name : {L"tessavue.dxf", L"l_45.dxf", L"r_45.dxf", L"explode.dxf", L"elem.dxf"})
        WriteFile(name, "  0\r\nEOF\r\n");
    ASSERT_TRUE(Start());
    const RECT r = Bounds();
    const POINT expected = DefaultPosition();
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, expected.y);
    EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN)) << "against the right edge";

    const MenuItemState sign = Menu(Control::menu_help_othr_sign);
    const MenuItemState circ = Menu(Control::menu_help_othr_circ);
    const MenuItemState all = Menu(Control::menu_help_othr_a_ll);
    EXPECT_TRUE(sign.enabled);
    EXPECT_FALSE(sign.checked);
    EXPECT_TRUE(circ.enabled);
    EXPECT_FALSE(circ.checked);
    EXPECT_TRUE(all.checked);
    EXPECT_FALSE(all.enabled);
    // Stale exports of an earlier run are gone at start-up.
    for (const wchar_t* name : {L"tessavue.dxf", L"l_45.dxf", L"r_45.dxf", L"explode.dxf", L"elem.dxf"})
        EXPECT_FALSE(fs::exists(File(name))) << ToUtf8(name);
    EXPECT_FALSE(fs::exists(File(L"tessavue.ini"))) << "nothing is written before the close";

    WriteFile(L"r_45.dxf", "  0\r\nEOF\r\n");
    ASSERT_TRUE(Close());
    EXPECT_FALSE(fs::exists(File(L"r_45.dxf"))) << "exports of the run are deleted at close";
    const std::string ini = Ini();
    EXPECT_TRUE(Contains(ini, "[画面]\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "Left=" + std::to_string(expected.x) + "\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "Top=" + std::to_string(expected.y) + "\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "AutoCAD=LT 2000\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "[メニュー]\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "高さ符号反転=0\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "円、円弧の高さの線=0\r\n")) << ini;
    EXPECT_TRUE(Contains(ini, "全て投影=1\r\n")) << ini;
}

TEST_F(Settings, ProjectAllOffStaysOffAndCannotBeChangedFromTheMenu) {
    WriteFile(L"tessavue.ini", "[メニュー]\r\n全て投影=0\r\n");
    ASSERT_TRUE(Start());
    const MenuItemState all = Menu(Control::menu_help_othr_a_ll);
    EXPECT_FALSE(all.checked);
    EXPECT_FALSE(all.enabled);
    EXPECT_FALSE(Pal().RunMenu(Id(Control::menu_help_othr_a_ll)).ok()) << "the item is greyed";
    ASSERT_TRUE(Close());
    EXPECT_TRUE(Contains(Ini(), "全て投影=0\r\n")) << Ini();
}

TEST_F(Settings, MovingAndTogglingPersistToTheNextStart) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(SetWindowPos(Pal().window(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_OK(WaitFor([&] { const RECT r = Bounds(); return r.left == 200 && r.top == 150; }, kDefaultBound,
                      "the palette at its new place"));
    ASSERT_OK(Pal().RunMenu(Id(Control::menu_help_othr_sign)));
    ASSERT_OK(Pal().Settle());
    EXPECT_TRUE(Menu(Control::menu_help_othr_sign).checked);
    ASSERT_TRUE(Close());

    ASSERT_TRUE(Start());
    const RECT r = Bounds();
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 150);
    EXPECT_TRUE(Menu(Control::menu_help_othr_sign).checked);
    EXPECT_FALSE(Menu(Control::menu_help_othr_circ).checked);
    EXPECT_TRUE(Menu(Control::menu_help_othr_a_ll).checked);
}

TEST_F(Settings, APositionOffEveryScreenOrNoNumberGivesTheDefaultPlace) {
    // Saved on a monitor that has been removed since.
    WriteFile(L"tessavue.ini", "[画面]\r\nLeft=5000\r\nTop=4000\r\n");
    ASSERT_TRUE(Start());
    POINT expected = DefaultPosition();
    RECT r = Bounds();
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, expected.y);
    ASSERT_TRUE(Close());

    WriteFile(L"tessavue.ini", "[画面]\r\nLeft=abc\r\nTop=10\r\n");
    ASSERT_TRUE(Start());
    expected = DefaultPosition();
    r = Bounds();
    EXPECT_EQ(r.left, expected.x);
    EXPECT_EQ(r.top, 10);
}

TEST_F(Settings, LT2006FromTheFileCapturesTheStandInRunningAsLT2006) {
    WriteFile(L"tessavue.ini", "[画面]\r\nAutoCAD=LT 2006\r\n");
    ASSERT_TRUE(StartSim(L"LT2006"));
    ASSERT_TRUE(Start());
    ASSERT_OK(Pal().RunMenu(Id(Control::menu_help_catc)));
    EXPECT_EQ(PaletteBoxes(), std::vector<MessageBoxText>{}) << "captured without the failure message";
    ASSERT_TRUE(Close());
    EXPECT_TRUE(Contains(Ini(), "AutoCAD=LT 2006\r\n")) << Ini();
}

TEST_F(Settings, HelpWithoutReadmeSaysSo) {
    ASSERT_TRUE(Start());
    ASSERT_OK(Pal().RunMenu(Id(Control::menu_help_help)));
    const std::vector<MessageBoxText> expected{
        {kInformationTitle, L"マニュアルはありません。あしからず。\r\n\r\nm(_ _)m"}};
    EXPECT_EQ(PaletteBoxes(), expected);
}

struct NotepadSearch {
    std::wstring fileName;
    HWND found = nullptr;
};

// A named callback, not a lambda: on 32-bit Windows it must be stdcall (CALLBACK).
BOOL CALLBACK TakeNotepad(HWND window, LPARAM data) {
    auto* s = reinterpret_cast<NotepadSearch*>(data);
    wchar_t className[64] = {};
    wchar_t title[512] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 512);
    if (std::wstring(className) == L"Notepad" && std::wstring(title).find(s->fileName) != std::wstring::npos) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// Notepad's window showing `fileName`, if one is up.
HWND NotepadShowing(const std::wstring& fileName) {
    NotepadSearch search{fileName};
    EnumWindows(TakeNotepad, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(Settings, HelpOpensTheReadmeInNotepad) {
    WriteFile(L"readme.txt", "説明\r\n");
    ASSERT_TRUE(Start());
    ASSERT_OK(Pal().RunMenu(Id(Control::menu_help_help)));
    EXPECT_EQ(PaletteBoxes(), std::vector<MessageBoxText>{});
    HWND notepad = nullptr;
    EXPECT_OK(WaitFor([&] { return (notepad = NotepadShowing(L"readme.txt")) != nullptr; }, kDefaultBound,
                      "Notepad showing readme.txt"));
    if (notepad == nullptr) return;
    // The palette started it for this test: it is ended by its process id.
    DWORD processId = 0;
    GetWindowThreadProcessId(notepad, &processId);
    ASSERT_NE(processId, Pal().processId());
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 0);
    EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    CloseHandle(process);
}

TEST_F(Settings, VersionBoxNamesTheProgramAndItsVersion) {
    ASSERT_TRUE(Start());
    ASSERT_OK(Pal().RunMenu(Id(Control::menu_help_vers)));
    const std::vector<MessageBoxText> expected{
        {kInformationTitle, L"バージョン情報\r\n\r\nTessavue tessavue.exe\r\n\r\nVer.1.20"}};
    EXPECT_EQ(PaletteBoxes(), expected);
}

}  // namespace
}  // namespace tessavue::e2e
