// The palette's menu is a user object of the palette's own process: under Wine no
// other process can read its items. The driver therefore places a message hook
// (tessavue-driver-hook.dll) on the palette's thread, which answers menu requests from
// inside the palette: an item's state, or running the item as a click on the menu
// does. Requests are posted to the palette window; answers come back by WM_COPYDATA.
#pragma once

#include <windows.h>

namespace tessavue::e2e {

// Registered message posted to the palette: wParam MAKEWPARAM(item id, request),
// lParam the window that takes the answer.
inline constexpr const wchar_t* kMenuRequestMessageName = L"TessavueDriverMenuRequest";
inline constexpr const wchar_t* kMenuHookDll = L"tessavue-driver-hook.dll";
inline constexpr const char* kMenuHookProc = "TessavueDriverGetMessageHook";

enum MenuRequest : WORD {
    kMenuQueryState = 1,
    // WM_INITMENU for the bar, WM_INITMENUPOPUP for each popup on the way to the
    // item, then WM_COMMAND with its id (a top-level popup item only opens).
    kMenuRun = 2,
};

// dwData of the answer's WM_COPYDATA.
inline constexpr ULONG_PTR kMenuAnswerTag = 0x54564D41;  // "TVMA"

struct MenuAnswer {
    int id;
    int found;    // the menu bar holds the item
    int enabled;  // neither greyed nor disabled
    int checked;
    int ran;      // kMenuRun: the messages were posted
};

}  // namespace tessavue::e2e
