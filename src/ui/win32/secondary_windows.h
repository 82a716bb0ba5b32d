// The palette's secondary windows: the three picture help windows, shown beside the
// palette without waiting, and the target-version dialog, run modally. All are made
// hidden right after the palette, owned by it (so they stay above the always-on-top
// palette and go with it), and kept for the whole run.
#pragma once

#include <windows.h>

#include "ui/form_view.h"

namespace tessavue {

// Resizes `hwnd` so that its client area is exactly width x height: the frame Windows
// (or Wine) really draws, a menu bar that wraps included, may differ from what
// AdjustWindowRectEx assumed.
void FitClient(HWND hwnd, int width, int height);

struct PictureWindowLayout {
    const wchar_t* className;
    const char* caption;  // Shift-JIS
    int clientWidth;
    int clientHeight;
    int bitmapId;  // a BITMAP resource of the program
};

class PictureHelpWindow {
public:
    PictureHelpWindow(HINSTANCE instance, const PictureWindowLayout& layout);
    ~PictureHelpWindow();
    PictureHelpWindow(const PictureHelpWindow&) = delete;
    PictureHelpWindow& operator=(const PictureHelpWindow&) = delete;

    // Creates the window hidden, its picture at the top left. False when Windows
    // refused the window; a missing bitmap leaves the picture empty.
    bool Create(HWND owner, HFONT font);
    // Shows it centred on the desktop when it was hidden, restores it when it was
    // minimised, and brings it to the front.
    void Show();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    PictureWindowLayout layout_;
    HWND hwnd_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

class TargetVersionDialog {
public:
    explicit TargetVersionDialog(HINSTANCE instance);
    TargetVersionDialog(const TargetVersionDialog&) = delete;
    TargetVersionDialog& operator=(const TargetVersionDialog&) = delete;

    bool Create(HWND owner, HFONT font);
    // Shows the dialog with item `item` selected (-1: none), keeps the owner disabled
    // and dispatches the thread's messages until it is closed, then hides it again.
    // `abandon` is asked after every message: true ends the dialog as a cancel (the
    // palette is closing).
    template <typename Abandon>
    TargetVersionAnswer Run(int item, Abandon abandon);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Open(int item);
    TargetVersionAnswer Close();
    bool Loop();  // one message; false when the loop must end
    void Finish(bool confirmed);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HWND list_ = nullptr;
    bool running_ = false;
    bool confirmed_ = false;
};

template <typename Abandon>
TargetVersionAnswer TargetVersionDialog::Run(int item, Abandon abandon) {
    if (hwnd_ == nullptr) return {};
    Open(item);
    while (running_ && !abandon() && Loop()) {
    }
    return Close();
}

}  // namespace tessavue
