// The real Desktop: Win32 window enumeration, WM_GETTEXT, WM_COPYDATA, WM_PASTE,
// the clipboard, the foreground and the palette's own message queue.
#pragma once

#include <windows.h>

#include <functional>

#include "host/desktop.h"

namespace tessavue {

class Win32Desktop final : public Desktop {
public:
    // `owner` is the palette's window (owner of the clipboard while it writes it);
    // `dispatch` lets the palette's dialog-style keyboard handling see each message
    // (return true when it handled the message itself). Both may be set later.
    Win32Desktop() = default;
    void SetOwner(HWND owner) { owner_ = owner; }
    void SetDialogFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }
    // Milliseconds one WaitBriefly sleeps at most.
    void SetPollInterval(DWORD ms) { pollMs_ = ms; }
    // Overrides the pause the command channel asks for between polls (benchmarks).
    void SetFixedPollPause(DWORD ms) { fixedPauseMs_ = ms; }

    std::vector<WindowHandle> TopLevelWindows() override;
    std::vector<WindowHandle> DescendantWindows(WindowHandle parent) override;
    std::optional<std::string> WindowTitle(WindowHandle window, std::size_t bufferSize) override;
    std::string ClassName(WindowHandle window, std::size_t bufferSize) override;
    std::string WindowText(WindowHandle window, std::size_t bufferSize) override;
    bool WindowExists(WindowHandle window) override;
    void SendCopyData(WindowHandle window, std::uintptr_t dwData, const std::string& payload) override;
    void PostNull(WindowHandle window) override;
    void SendPaste(WindowHandle window) override;
    bool SetClipboardText(const std::string& text) override;
    bool EmptyClipboard() override;
    std::optional<std::string> ClipboardText() override;
    void SetForeground(WindowHandle window) override;
    void PumpMessages() override;
    void WaitBriefly() override;
    bool PauseBetweenPolls(unsigned milliseconds) override;

private:
    HWND owner_ = nullptr;
    std::function<bool(MSG&)> filter_;
    DWORD pollMs_ = 5;
    DWORD fixedPauseMs_ = 0;
};

inline HWND ToHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
inline WindowHandle FromHwnd(HWND h) { return reinterpret_cast<WindowHandle>(h); }

}  // namespace tessavue
