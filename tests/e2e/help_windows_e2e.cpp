// The picture help windows behind the three "!" buttons and the target-version dialog
// of the Help menu, with the real tessavue.exe (and the stand-in where an edition is
// captured).
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <tuple>

#include "e2e_fixture.h"
#include "secondary.h"
#include "ui/picture_resources.h"
#include "windows_util.h"

namespace tessavue::e2e {
namespace {

namespace fs = std::filesystem;

struct PictureRow {
    const char* name;
    Control button;
    const wchar_t* kind;  // the kind whose panel holds the button
    const wchar_t* className;
    const wchar_t* caption;
    SIZE client;
    int bitmap;
    SIZE image;
    int bitsPerPixel;
    int colours;
};

const PictureRow kPictures[] = {
    {"dimension", Control::Button6, L"寸法", L"TForm2", L"寸法", {324, 641}, TESSAVUE_BITMAP_DIMENSION, {324, 640}, 1,
     2},
    {"two-face", Control::Button9, L"２面選択", L"TForm3", L"２面選択", {801, 600}, TESSAVUE_BITMAP_TWO_FACE,
     {800, 600}, 1, 2},
    {"existing-axis", Control::Button12, L"既存軸", L"TForm4", L"既存軸", {801, 600},
     TESSAVUE_BITMAP_EXISTING_AXIS, {800, 600}, 4, 16},
};

class HelpWindows : public EndToEndTest {
protected:
    // The one window of the row's class; every window of the palette exists from the
    // start, so there is never a second one.
    HWND PictureWindow(const PictureRow& row) {
        const std::vector<HWND> windows = WindowsOfClass(paletteProcess().id(), row.className);
        EXPECT_EQ(windows.size(), 1u) << row.name;
        return windows.empty() ? nullptr : windows.front();
    }
    void Press(const PictureRow& row) {
        ASSERT_OK(palette().SelectKind(row.kind));
        ASSERT_OK(palette().Settle());
        ASSERT_OK(palette().Click(Id(row.button)));
        ASSERT_OK(palette().Settle());
    }
    // Shown, in front of everything at its centre, and showing its bitmap at 0, 0.
    ::testing::AssertionResult ShownOnTop(const PictureRow& row, HWND window) {
        if (Status shown = WaitFor([&] { return IsWindowVisible(window) && TopWindowAtCentre(window) == window; },
                                   kDefaultBound, "the picture window in front");
            !shown)
            return ::testing::AssertionFailure() << row.name << ": " << shown.message();
        return ::testing::AssertionSuccess();
    }
    fs::path Screenshot(const PictureRow& row) const {
        return OwnFolder() / (std::wstring(L"help picture ") + row.className + L".bmp");
    }
};

// Each "!" twice: one window with its caption, border and client size, in front, its
// bitmap as stored (size and colours) and as painted; closing only hides it, and the
// next press brings back the same window. The screen under each window is kept beside
// the test for a person to look at.
TEST_F(HelpWindows, EachPictureButtonShowsItsOneWindowInFrontAndClosingHidesIt) {
    ASSERT_TRUE(StartPalette());
    for (const PictureRow& row : kPictures) {
        SCOPED_TRACE(row.name);
        HWND window = PictureWindow(row);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(IsWindowVisible(window)) << "created hidden";
        EXPECT_EQ(GetWindow(window, GW_OWNER), palette().window()) << "owned by the palette, so it stays above it";

        Press(row);
        ASSERT_TRUE(ShownOnTop(row, window));
        EXPECT_EQ(TextOf(window).value_or(L"?"), row.caption);
        const SIZE client = ClientSizeOf(window);
        EXPECT_EQ(client.cx, row.client.cx);
        EXPECT_EQ(client.cy, row.client.cy);
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "a fixed border, no maximise box";
        EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
        RECT outer{};
        GetWindowRect(window, &outer);
        EXPECT_LE(std::abs((outer.left + outer.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1) << "centred";
        EXPECT_LE(std::abs((outer.top + outer.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1) << "centred";

        auto stored = BitmapResource(OwnFolder() / L"tessavue.exe", row.bitmap);
        ASSERT_OK(stored);
        EXPECT_EQ(stored->pixels.width, row.image.cx);
        EXPECT_EQ(stored->pixels.height, row.image.cy);
        EXPECT_EQ(stored->bitsPerPixel, row.bitsPerPixel);
        EXPECT_EQ(stored->coloursUsed, row.colours);
        // What the user sees is the bitmap itself, in its own colours, at the top left.
        std::optional<Pixels> seen;
        long long differing = -1;
        const Status painted = WaitFor(
            [&] {
                auto shot = ScreenOfClient(window);
                if (!shot || shot->width < stored->pixels.width || shot->height < stored->pixels.height) return false;
                differing = 0;
                for (int y = 0; y < stored->pixels.height; ++y)
                    for (int x = 0; x < stored->pixels.width; ++x)
                        differing += shot->At(x, y) != stored->pixels.At(x, y) ? 1 : 0;
                seen = *shot;
                return differing == 0;
            },
            kDefaultBound, "the picture painted as stored");
        EXPECT_TRUE(painted.ok()) << painted.message() << " (" << differing << " pixels differ)";
        if (seen) {
            EXPECT_TRUE(WriteBmp(Screenshot(row), *seen));
        }

        Press(row);
        EXPECT_EQ(PictureWindow(row), window) << "the same window again";
        EXPECT_TRUE(ShownOnTop(row, window));

        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_OK(WaitFor([&] { return !IsWindowVisible(window); }, kDefaultBound, "the picture window to hide"));
        EXPECT_TRUE(IsWindow(window)) << "closing hides, it does not destroy";
        Press(row);
        EXPECT_TRUE(ShownOnTop(row, window));
        EXPECT_EQ(PictureWindow(row), window);
    }
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});

    // The two 800 x 600 windows cover each other at the centre: a press brings a
    // window that is shown already back to the front.
    HWND twoFace = PictureWindow(kPictures[1]);
    HWND axis = PictureWindow(kPictures[2]);
    ASSERT_EQ(TopWindowAtCentre(twoFace), axis) << "the last one shown is in front";
    Press(kPictures[1]);
    EXPECT_TRUE(ShownOnTop(kPictures[1], twoFace));
    Press(kPictures[2]);
    EXPECT_TRUE(ShownOnTop(kPictures[2], axis));
}

// While a command waits for AutoCAD the dimension "!" is locked with its panel; the
// two-face and existing-axis ones stay usable, and their windows come up.
TEST_F(HelpWindows, WhileBusyOnlyTheDimensionPictureIsLocked) {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartPalette());
    ASSERT_OK(palette().SelectKind(L"２面選択"));
    ASSERT_OK(palette().Settle());
    ASSERT_OK(palette().Click(Id(Control::Button7)));
    ASSERT_OK(WaitFor([&] { return !Visible(Control::GroupBox1) || !palette().OpenBoxes().empty(); }, kDefaultBound,
                      "the palette to become busy"));
    ASSERT_EQ(Boxes(), std::vector<MessageBoxText>{});
    ASSERT_OK(sim().WaitUntilBusy());

    auto control = [&](Control c) {
        auto h = palette().Control(Id(c));
        EXPECT_TRUE(h.ok()) << h.message();
        return h ? *h : nullptr;
    };
    EXPECT_FALSE(IsReachable(control(Control::Button6))) << "the dimension picture while busy";
    EXPECT_TRUE(IsReachable(control(Control::Button9)));
    EXPECT_TRUE(IsReachable(control(Control::Button12)));
    ASSERT_OK(palette().Click(Id(Control::Button9)));
    HWND twoFace = WindowsOfClass(paletteProcess().id(), L"TForm3").front();
    EXPECT_OK(WaitFor([&] { return IsWindowVisible(twoFace) && TopWindowAtCentre(twoFace) == twoFace; },
                      kDefaultBound, "the two-face picture while the palette waits"));

    ASSERT_OK(sim().Type("\x1b"));
    ASSERT_OK(WaitFor([&] { return Visible(Control::GroupBox1); }, kDefaultBound, "the palette to be un-busy"));
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    EXPECT_TRUE(IsReachable(control(Control::Button6)));
}

// ---------------------------------------------------------------------------------
// The target-version dialog
// ---------------------------------------------------------------------------------

class TargetVersion : public EndToEndTest {
protected:
    VersionDialog Open() {
        EXPECT_OK(palette().RunMenu(Id(Control::menu_help_othr_trgt)));
        auto dialog = VersionDialog::WaitOpen(paletteProcess().id());
        if (!dialog) throw std::runtime_error(dialog.message());
        return *dialog;
    }
    std::wstring Selected(const VersionDialog& dialog) {
        auto selected = dialog.Selected();
        EXPECT_TRUE(selected.ok()) << selected.message();
        return selected ? *selected : L"<unreadable>";
    }
    // Ok or Cancel, then the palette's boxes once it has handled the answer.
    std::vector<MessageBoxText> Answer(VersionDialog& dialog, bool ok) {
        EXPECT_OK(ok ? dialog.PressOk() : dialog.PressCancel());
        EXPECT_OK(dialog.WaitClosed());
        return Boxes();
    }
    // The settings file after a normal close.
    std::string IniAfterClose() {
        EXPECT_OK(paletteProcess().AskToClose(kDefaultBound));
        std::ifstream in(OwnFolder() / L"tessavue.ini", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    const std::vector<MessageBoxText> kFailure{{kConfirmTitle, kCaptureFailureText}};
};

std::string Edition(const std::string& ini) {
    const std::string key = "AutoCAD=";
    const auto at = ini.find(key);
    if (at == std::string::npos) return "<none>";
    return ini.substr(at + key.size(), ini.find("\r\n", at) - at - key.size());
}

TEST_F(TargetVersion, ChoosingLT2006CapturesTheLT2006StandInAndTypesByPasting) {
    ASSERT_TRUE(StartSim(L"LT2006"));
    ASSERT_TRUE(StartPalette("[画面]\r\nAutoCAD=2002\r\n"));
    VersionDialog dialog = Open();
    EXPECT_EQ(TextOf(dialog.window()).value_or(L"?"), L"対象バージョン");
    const SIZE client = ClientSizeOf(dialog.window());
    EXPECT_EQ(client.cx, 153);
    EXPECT_EQ(client.cy, 80);
    auto items = dialog.Items();
    ASSERT_OK(items);
    EXPECT_EQ(*items, (std::vector<std::wstring>{L"LT 2000", L"2002", L"2006"}));
    for (auto [id, caption, left] : {std::tuple{VersionControl::Button1, L"Ok", 8},
                                     std::tuple{VersionControl::Button2, L"ｷｬﾝｾﾙ", 80}}) {
        HWND button = GetDlgItem(dialog.window(), ControlId(id));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(TextOf(button).value_or(L"?"), caption);
        RECT r{};
        GetWindowRect(button, &r);
        MapWindowPoints(HWND_DESKTOP, dialog.window(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, 48);
        EXPECT_EQ(r.right - r.left, 65);
        EXPECT_EQ(r.bottom - r.top, 25);
    }
    EXPECT_FALSE(IsReachable(palette().window())) << "the palette waits for the dialog";
    EXPECT_EQ(Selected(dialog), L"2002");

    ASSERT_OK(dialog.Choose(L"2006"));
    EXPECT_EQ(Answer(dialog, true), std::vector<MessageBoxText>{}) << "captured at once";
    EXPECT_TRUE(IsReachable(palette().window()));

    // The next command types into the LT 2006 stand-in by pasting.
    ASSERT_OK(palette().SelectKind(L"２面選択"));
    ASSERT_OK(palette().Settle());
    ASSERT_OK(palette().Click(Id(Control::Button7)));
    ASSERT_OK(WaitForPrompt(sim::TextsFor(sim::Edition::LT2006).idPoint));
    ASSERT_OK(sim().Type("\x1b"));
    ASSERT_OK(WaitFor([&] { return Visible(Control::GroupBox1); }, kDefaultBound, "the palette to be un-busy"));
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    const auto inputs = SimState().inputs;
    ASSERT_FALSE(inputs.empty());
    EXPECT_EQ(inputs.front().transport, "paste");
    EXPECT_EQ(Edition(IniAfterClose()), "2006");
}

TEST_F(TargetVersion, CancelChangesNothingAndTheNextOpeningShowsTheEditionInUse) {
    ASSERT_TRUE(StartSim(L"LT2002"));
    ASSERT_TRUE(StartPalette("[画面]\r\nAutoCAD=2002\r\n"));
    VersionDialog dialog = Open();
    ASSERT_OK(dialog.Choose(L"2006"));
    EXPECT_EQ(Answer(dialog, false), std::vector<MessageBoxText>{});
    // Still 2002: its stand-in is captured without a word.
    ASSERT_OK(palette().RunMenu(Id(Control::menu_help_catc)));
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});

    dialog = Open();
    EXPECT_EQ(Selected(dialog), L"2002");
    ASSERT_OK(dialog.Choose(L"LT 2000"));
    ASSERT_OK(dialog.CloseBox());  // the close box cancels too
    ASSERT_OK(dialog.WaitClosed());
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    EXPECT_EQ(Edition(IniAfterClose()), "2002");
}

// The settings file writes the long name of LT 2006: the dialog opens on its item,
// and Ok keeps the edition working and the file's text as it was.
TEST_F(TargetVersion, OkOnTheLongNameOfLT2006KeepsItAndItsCapture) {
    ASSERT_TRUE(StartSim(L"LT2006"));
    ASSERT_TRUE(StartPalette("[画面]\r\nAutoCAD=LT 2006\r\n"));
    VersionDialog dialog = Open();
    EXPECT_EQ(Selected(dialog), L"2006");
    EXPECT_EQ(Answer(dialog, true), std::vector<MessageBoxText>{}) << "captured";
    EXPECT_EQ(Edition(IniAfterClose()), "LT 2006");
}

// An edition text no item serves opens on no item, also after an opening in which
// another item was chosen and then cancelled; Ok then keeps the text.
TEST_F(TargetVersion, AnUnknownEditionOpensOnNoItemEvenAfterACancelledChoice) {
    ASSERT_TRUE(StartPalette("[画面]\r\nAutoCAD=LT 2002\r\n"));
    VersionDialog dialog = Open();
    EXPECT_EQ(Selected(dialog), L"");
    ASSERT_OK(dialog.Choose(L"2006"));
    EXPECT_EQ(Answer(dialog, false), std::vector<MessageBoxText>{});

    dialog = Open();
    EXPECT_EQ(Selected(dialog), L"") << "no item the user did not confirm";
    // Nothing chosen: the capture is tried with the edition as it is, and fails.
    EXPECT_EQ(Answer(dialog, true), kFailure);
    EXPECT_EQ(Edition(IniAfterClose()), "LT 2002");
}

}  // namespace
}  // namespace tessavue::e2e
