// The operating system as the host link sees it: windows, their texts, the two
// transports, the clipboard, and the palette's own message queue. The real
// implementation is Win32 (platform/win32); tests use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessavue {

// An opaque window handle; 0 is "no window".
using WindowHandle = std::uintptr_t;

class Desktop {
public:
    virtual ~Desktop() = default;

    // Top-level windows in the order the window manager reports them (EnumWindows).
    virtual std::vector<WindowHandle> TopLevelWindows() = 0;
    // Every descendant of `parent` in the order EnumChildWindows reports them.
    virtual std::vector<WindowHandle> DescendantWindows(WindowHandle parent) = 0;

    // GetWindowTextA into a buffer of `bufferSize` bytes; nullopt when the call
    // returns 0 or less (no title, or no such window).
    virtual std::optional<std::string> WindowTitle(WindowHandle window, std::size_t bufferSize) = 0;
    // GetClassNameA into a buffer of `bufferSize` bytes; empty when it fails.
    virtual std::string ClassName(WindowHandle window, std::size_t bufferSize) = 0;
    // WM_GETTEXT with wParam `bufferSize`: the text up to its first zero byte, at most
    // bufferSize - 1 bytes. Empty when the window does not answer.
    virtual std::string WindowText(WindowHandle window, std::size_t bufferSize) = 0;
    // Whether the handle still names a window (the host may have been closed).
    virtual bool WindowExists(WindowHandle window) = 0;

    // WM_COPYDATA sent to `window` with the given dwData and payload (the payload
    // already holds its terminating zero byte); returns once the window has taken it.
    virtual void SendCopyData(WindowHandle window, std::uintptr_t dwData, const std::string& payload) = 0;
    // PostMessage of WM_NULL (wParam 0, lParam 0).
    virtual void PostNull(WindowHandle window) = 0;
    // SendMessage of WM_PASTE (wParam 0, lParam 0).
    virtual void SendPaste(WindowHandle window) = 0;

    // Replaces the clipboard's contents with `text` as CF_TEXT. False when the
    // clipboard could not be opened (another program holds it).
    virtual bool SetClipboardText(const std::string& text) = 0;
    // Empties the clipboard. False when it could not be opened.
    virtual bool EmptyClipboard() = 0;
    // The clipboard's CF_TEXT: empty text when it holds none, nullopt when it could
    // not be opened.
    virtual std::optional<std::string> ClipboardText() = 0;

    virtual void SetForeground(WindowHandle window) = 0;

    // Dispatches every message waiting in the palette's own queue.
    virtual void PumpMessages() = 0;
    // Sleeps a few milliseconds on the palette's queue: returns early when a message
    // arrives, so a wait neither spins a core nor delays the palette's painting.
    virtual void WaitBriefly() = 0;
    // The same with the pause chosen by the caller: the command channel pauses briefly
    // at first, so commands that end at once cost little, and longer once a wait is
    // clearly on the user, so a long wait costs little CPU. False when the pause ran its
    // whole time and the queue was empty at its end: a look at the queue right after
    // would find nothing, and a wait can spare it.
    virtual bool PauseBetweenPolls(unsigned milliseconds) {
        (void)milliseconds;
        WaitBriefly();
        return true;
    }
};

}  // namespace tessavue
