// Looking at other programs' windows: enumeration by process, class names and texts.
// Texts are read with WM_GETTEXT sent with a time-out, so a program that hangs makes
// the driver report a failure instead of hanging with it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "status.h"

namespace tessavue::e2e {

// Top-level windows of process `processId`, hidden ones included, in EnumWindows order.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
// Every descendant of `parent` in EnumChildWindows order.
std::vector<HWND> DescendantsOf(HWND parent);

std::wstring ClassNameOf(HWND window);
// The window's text through WM_GETTEXT; nullopt when the window is gone or does not
// answer within a few seconds.
std::optional<std::wstring> TextOf(HWND window);
// Sets the text through WM_SETTEXT; false when the window is gone or does not answer.
bool SetTextOf(HWND window, const std::wstring& text);

DWORD ProcessOf(HWND window);

// True when `window` and every ancestor up to its top-level window are visible.
bool IsShown(HWND window);
// True when `window` and every ancestor are enabled: a user can reach it only then.
bool IsReachable(HWND window);

// True when `title` (Shift-JIS) would be taken for AutoCAD's main window: it holds
// "AutoCAD" and none of the titles of AutoCAD's secondary windows.
bool IsHostMainTitle(const std::string& title);

// The items of combo box `combo` in order; `what` names the list in a failure.
Expected<std::vector<std::wstring>> ComboItems(HWND combo, const std::string& what);
// Selects `item` in `combo` as a pick with the mouse or the keys does: the selection
// changes and `parent` hears of it (CB_SETCURSEL alone tells nobody).
Status PickComboItem(HWND combo, HWND parent, const std::wstring& item, const std::string& what);

// Sends `message` with a time-out; nullopt when the target did not answer.
std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tessavue::e2e
