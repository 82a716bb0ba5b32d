// tessavue-driver-hook.dll: loaded into the palette's process by the driver's message
// hook; answers the driver's menu requests from inside the palette (menu_hook.h).
#include <windows.h>

#include "menu_hook.h"

namespace {

using tessavue::e2e::MenuAnswer;

struct Found {
    HMENU menu = nullptr;  // the menu that holds the item
    int position = -1;
    // The popups opened on the way to the item, outermost first, with their positions
    // in their parents (what WM_INITMENUPOPUP carries).
    HMENU popups[4] = {};
    int popupPositions[4] = {};
    int depth = 0;
};

bool FindItem(HMENU menu, UINT id, Found& found, int depth) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.wID == id) {
            found.menu = menu;
            found.position = i;
            found.depth = depth;
            return true;
        }
        if (info.hSubMenu && depth < 4) {
            found.popups[depth] = info.hSubMenu;
            found.popupPositions[depth] = i;
            if (FindItem(info.hSubMenu, id, found, depth + 1)) return true;
        }
    }
    return false;
}

void Answer(HWND palette, HWND replyTo, const MenuAnswer& answer) {
    COPYDATASTRUCT data{tessavue::e2e::kMenuAnswerTag, sizeof answer, const_cast<MenuAnswer*>(&answer)};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(palette), reinterpret_cast<LPARAM>(&data),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

void Handle(HWND palette, UINT id, WORD request, HWND replyTo) {
    MenuAnswer answer{static_cast<int>(id), 0, 0, 0, 0};
    HMENU bar = GetMenu(palette);
    Found found;
    if (bar && FindItem(bar, id, found, 0)) {
        answer.found = 1;
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoW(found.menu, static_cast<UINT>(found.position), TRUE, &info);
        answer.enabled = (info.fState & (MFS_GRAYED | MFS_DISABLED)) == 0;
        answer.checked = (info.fState & MFS_CHECKED) != 0;
        if (request == tessavue::e2e::kMenuRun && answer.enabled && IsWindowEnabled(palette)) {
            PostMessageW(palette, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
            for (int level = 0; level < found.depth; ++level) {
                PostMessageW(palette, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(found.popups[level]),
                             MAKELPARAM(found.popupPositions[level], FALSE));
            }
            if (info.hSubMenu) {
                PostMessageW(palette, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(info.hSubMenu),
                             MAKELPARAM(found.position, FALSE));
            } else {
                PostMessageW(palette, WM_COMMAND, MAKEWPARAM(id, 0), 0);
            }
            answer.ran = 1;
        }
    }
    Answer(palette, replyTo, answer);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK TessavueDriverGetMessageHook(int code, WPARAM wParam,
                                                                               LPARAM lParam) {
    static const UINT request = RegisterWindowMessageW(tessavue::e2e::kMenuRequestMessageName);
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message == request && request != 0) {
            const HWND palette = msg->hwnd;
            const UINT id = LOWORD(msg->wParam);
            const WORD kind = HIWORD(msg->wParam);
            const HWND replyTo = reinterpret_cast<HWND>(msg->lParam);
            // The palette's own window procedure never sees the request.
            msg->message = WM_NULL;
            Handle(palette, id, kind, replyTo);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
