#include "windows_util.h"

#include "texts.h"

namespace tessavue::e2e {

namespace {

// Long enough for a program under Wine on a loaded machine; a sent message that takes
// longer means the target is hung.
constexpr UINT kSendTimeoutMs = 5000;

struct ProcessWindows {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOfProcess(HWND window, LPARAM context) {
    auto* collected = reinterpret_cast<ProcessWindows*>(context);
    if (ProcessOf(window) == collected->processId) collected->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectAll(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

}  // namespace

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    ProcessWindows collected{processId, {}};
    EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&collected));
    return collected.windows;
}

std::vector<HWND> DescendantsOf(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, CollectAll, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring ClassNameOf(HWND window) {
    wchar_t buffer[256] = {};
    const int length = GetClassNameW(window, buffer, 256);
    return length > 0 ? std::wstring(buffer, static_cast<std::size_t>(length)) : std::wstring();
}

std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<std::wstring> TextOf(HWND window) {
    const auto length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
    if (!length) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
    const auto copied = SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    if (!copied) return std::nullopt;
    text.resize(std::min(static_cast<std::size_t>(*copied), text.size() - 1));
    return text;
}

bool SetTextOf(HWND window, const std::wstring& text) {
    const auto result = SendWithTimeout(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return result && *result != 0;
}

bool IsHostMainTitle(const std::string& title) {
    if (title.find("AutoCAD") == std::string::npos) return false;
    for (const char* other : {"ﾃｷｽﾄ", "テキスト", "Today", "ヘルプ"}) {
        if (title.find(other) != std::string::npos) return false;
    }
    return true;
}

bool IsShown(HWND window) { return IsWindow(window) && IsWindowVisible(window); }

bool IsReachable(HWND window) {
    for (HWND w = window; w; w = GetAncestor(w, GA_PARENT)) {
        if (w == GetDesktopWindow()) break;
        if (!IsWindowEnabled(w)) return false;
        if ((GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) == 0) break;
    }
    return IsWindow(window);
}

Expected<std::vector<std::wstring>> ComboItems(HWND combo, const std::string& what) {
    const auto count = SendWithTimeout(combo, CB_GETCOUNT, 0, 0);
    if (!count || *count < 0) return Status::Fail(what + " does not answer");
    std::vector<std::wstring> items;
    for (LRESULT i = 0; i < *count; ++i) {
        const std::string unreadable = "cannot read item " + std::to_string(i) + " of " + what;
        const auto length = SendWithTimeout(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (!length || *length < 0) return Status::Fail(unreadable);
        std::wstring item(static_cast<std::size_t>(*length) + 1, L'\0');
        const auto copied =
            SendWithTimeout(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        if (!copied || *copied < 0) return Status::Fail(unreadable);
        item.resize(static_cast<std::size_t>(*copied));
        items.push_back(item);
    }
    return items;
}

Status PickComboItem(HWND combo, HWND parent, const std::wstring& item, const std::string& what) {
    auto items = ComboItems(combo, what);
    if (!items) return items.status();
    std::size_t index = 0;
    while (index < items->size() && (*items)[index] != item) ++index;
    if (index == items->size()) return Status::Fail(what + " has no item " + Quoted(item));
    if (!SendWithTimeout(combo, CB_SETCURSEL, index, 0)) return Status::Fail(what + " does not answer");
    PostMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return Status::Ok();
}

}  // namespace tessavue::e2e
