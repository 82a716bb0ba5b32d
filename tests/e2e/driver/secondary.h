// The palette's secondary windows seen from outside: the picture help windows (found
// by class), what they show on screen, the bitmaps linked into the program, and the
// target-version dialog, which a test drives as a user does.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "status.h"
#include "waiting.h"

namespace tessavue::e2e {

// Top-level windows of class `className` in process `processId`, hidden ones included.
std::vector<HWND> WindowsOfClass(DWORD processId, const wchar_t* className);
SIZE ClientSizeOf(HWND window);
// The top-level window a user sees at the centre of `window`'s client area.
HWND TopWindowAtCentre(HWND window);

// Pixels as 0xRRGGBB, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
};

// A BITMAP resource of `program`, decoded, with the bit depth it is stored in.
struct StoredBitmap {
    int bitsPerPixel = 0;
    int coloursUsed = 0;  // entries of its colour table
    Pixels pixels;
};
Expected<StoredBitmap> BitmapResource(const std::filesystem::path& program, int id);

// What the screen shows of `window`'s client area.
Expected<Pixels> ScreenOfClient(HWND window);
// Writes `pixels` as a 24-bit BMP file, for a person to look at.
bool WriteBmp(const std::filesystem::path& file, const Pixels& pixels);

class VersionDialog {
public:
    // Waits until process `processId` shows its target-version dialog.
    static Expected<VersionDialog> WaitOpen(DWORD processId, milliseconds bound = kDefaultBound);

    HWND window() const { return window_; }
    Expected<std::vector<std::wstring>> Items() const;
    // The selected item's text; empty when none is selected.
    Expected<std::wstring> Selected() const;
    // Picks an item as a user does with the mouse: the list changes and the dialog
    // hears of it.
    Status Choose(const std::wstring& item);
    Status PressOk() { return Press(1); }
    Status PressCancel() { return Press(2); }
    // The title bar's close box.
    Status CloseBox();
    Status WaitClosed(milliseconds bound = kDefaultBound) const;

private:
    explicit VersionDialog(HWND window) : window_(window) {}
    Status Press(int which);
    Expected<HWND> Item(int id) const;

    HWND window_ = nullptr;
};

}  // namespace tessavue::e2e
