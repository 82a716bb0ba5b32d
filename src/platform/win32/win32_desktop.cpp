#include "platform/win32/win32_desktop.h"

#include <cstring>
#include <vector>

namespace tessavue {
namespace {

// How long one WM_GETTEXT may take. AutoCAD busy with a long command answers late;
// a hung AutoCAD must not hang the palette with it.
constexpr UINT kTextTimeoutMs = 250;
// How long a typed command may take to be accepted before the palette moves on.
constexpr UINT kCopyDataTimeoutMs = 10000;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(FromHwnd(window));
    return TRUE;
}

// Another program (a clipboard viewer, the host pasting) may hold the clipboard for
// a moment; a few quick tries get past that.
bool OpenClipboardRetrying(HWND owner) {
    for (int i = 0; i < 5; ++i) {
        if (OpenClipboard(owner)) return true;
        Sleep(2);
    }
    return false;
}

}  // namespace

std::vector<WindowHandle> Win32Desktop::TopLevelWindows() {
    std::vector<WindowHandle> list;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

std::vector<WindowHandle> Win32Desktop::DescendantWindows(WindowHandle parent) {
    std::vector<WindowHandle> list;
    if (parent != 0) EnumChildWindows(ToHwnd(parent), CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

std::optional<std::string> Win32Desktop::WindowTitle(WindowHandle window, std::size_t bufferSize) {
    std::vector<char> buffer(bufferSize + 1, '\0');
    const int n = GetWindowTextA(ToHwnd(window), buffer.data(), static_cast<int>(bufferSize));
    if (n <= 0) return std::nullopt;
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

std::string Win32Desktop::ClassName(WindowHandle window, std::size_t bufferSize) {
    std::vector<char> buffer(bufferSize + 1, '\0');
    const int n = GetClassNameA(ToHwnd(window), buffer.data(), static_cast<int>(bufferSize));
    if (n <= 0) return {};
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

std::string Win32Desktop::WindowText(WindowHandle window, std::size_t bufferSize) {
    if (window == 0 || bufferSize == 0) return {};
    std::vector<char> buffer(bufferSize + 1, '\0');
    DWORD_PTR result = 0;
    const LRESULT ok = SendMessageTimeoutA(ToHwnd(window), WM_GETTEXT, bufferSize,
                                           reinterpret_cast<LPARAM>(buffer.data()),
                                           SMTO_NORMAL | SMTO_ABORTIFHUNG, kTextTimeoutMs, &result);
    if (ok == 0) return {};
    buffer[bufferSize - 1] = '\0';
    return std::string(buffer.data(), std::strlen(buffer.data()));
}

bool Win32Desktop::WindowExists(WindowHandle window) { return window != 0 && IsWindow(ToHwnd(window)) != FALSE; }

void Win32Desktop::SendCopyData(WindowHandle window, std::uintptr_t dwData, const std::string& payload) {
    COPYDATASTRUCT record{};
    record.dwData = static_cast<ULONG_PTR>(dwData);
    record.cbData = static_cast<DWORD>(payload.size());
    record.lpData = const_cast<char*>(payload.data());
    DWORD_PTR result = 0;
    SendMessageTimeoutA(ToHwnd(window), WM_COPYDATA, 0,
                        reinterpret_cast<LPARAM>(&record), SMTO_NORMAL | SMTO_ABORTIFHUNG, kCopyDataTimeoutMs,
                        &result);
}

void Win32Desktop::PostNull(WindowHandle window) { PostMessageA(ToHwnd(window), WM_NULL, 0, 0); }

void Win32Desktop::SendPaste(WindowHandle window) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(ToHwnd(window), WM_PASTE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kCopyDataTimeoutMs,
                        &result);
}

bool Win32Desktop::SetClipboardText(const std::string& text) {
    if (!OpenClipboardRetrying(owner_)) return false;
    bool placed = false;
    if (::EmptyClipboard()) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (memory != nullptr) {
            if (void* bytes = GlobalLock(memory)) {
                std::memcpy(bytes, text.data(), text.size());
                static_cast<char*>(bytes)[text.size()] = '\0';
                GlobalUnlock(memory);
                placed = SetClipboardData(CF_TEXT, memory) != nullptr;
            }
            if (!placed) GlobalFree(memory);
        }
    }
    CloseClipboard();
    return placed;
}

bool Win32Desktop::EmptyClipboard() {
    if (!OpenClipboardRetrying(owner_)) return false;
    const bool ok = ::EmptyClipboard() != FALSE;
    CloseClipboard();
    return ok;
}

std::optional<std::string> Win32Desktop::ClipboardText() {
    if (!OpenClipboardRetrying(owner_)) return std::nullopt;
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            const SIZE_T size = GlobalSize(data);
            text.assign(bytes, strnlen(bytes, size));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void Win32Desktop::SetForeground(WindowHandle window) { SetForegroundWindow(ToHwnd(window)); }

void Win32Desktop::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop, which ends the program.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (filter_ && filter_(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Win32Desktop::WaitBriefly() { MsgWaitForMultipleObjects(0, nullptr, FALSE, pollMs_, QS_ALLINPUT); }

bool Win32Desktop::PauseBetweenPolls(unsigned milliseconds) {
    const DWORD pause = fixedPauseMs_ != 0 ? fixedPauseMs_ : static_cast<DWORD>(milliseconds);
    // MWMO_INPUTAVAILABLE also wakes for messages already in the queue that an earlier
    // look left there, so a timeout means the queue is empty.
    return MsgWaitForMultipleObjectsEx(0, nullptr, pause, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT;
}

}  // namespace tessavue
