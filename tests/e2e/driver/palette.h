// The palette as a user sees it: a window of class "TForm1" in a given process, its
// controls by id, its menu, and the message boxes it shows.
//
// Every step that makes the palette run a handler (a click, a menu command, a kind
// picked, the focus leaving an edit, an activation) is delivered without waiting for
// the handler, because a handler may show a modal message box that only the driver can
// close. `Settle` then tells when the palette has finished with everything delivered
// so far, and `DismissBoxes` closes the boxes that came up meanwhile, in order.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "message_boxes.h"
#include "status.h"
#include "waiting.h"

namespace tessavue::e2e {

struct MenuItemState {
    bool enabled = false;
    bool checked = false;
};

class Palette {
public:
    // Waits until process `processId` shows its palette window.
    static Expected<Palette> Find(DWORD processId, milliseconds bound = kDefaultBound);

    HWND window() const { return window_; }
    DWORD processId() const { return processId_; }
    bool Exists() const { return IsWindow(window_) != FALSE; }

    // A control by its id, wherever it sits (controls inside the group boxes
    // included).
    Expected<HWND> Control(int id) const;
    Expected<std::wstring> Text(int id) const;
    // WM_SETTEXT: the edit's text changes as when a user types, without moving the
    // focus, so no focus-loss check runs yet.
    Status SetText(int id, const std::wstring& text);
    // Visible on screen: the control and every parent shown.
    Expected<bool> IsVisible(int id) const;
    // The control's own enabled state.
    Expected<bool> IsEnabled(int id) const;
    Expected<bool> IsChecked(int id) const;

    // The kind list: its items in order, and picking one by its text as a user does
    // (the selection changes and the palette gets CBN_SELCHANGE).
    Expected<std::vector<std::wstring>> Kinds() const;
    Status SelectKind(const std::wstring& kind);

    // Presses a button. Fails when no user could press it: hidden, or disabled
    // itself or through a parent.
    Status Click(int id);

    // Runs a menu item as a mouse click on the menu does: WM_INITMENU for the menu
    // bar and WM_INITMENUPOPUP for each popup opened on the way, then WM_COMMAND with
    // the id (the top-level Help item only opens its popup). Fails when the item is
    // greyed. The menu is reached through tessavue-driver-hook.dll beside the driver.
    Status RunMenu(int id, milliseconds bound = kDefaultBound);
    Expected<MenuItemState> MenuState(int id, milliseconds bound = kDefaultBound) const;

    // Brings the palette to the foreground so that it gets WM_ACTIVATE, as a click
    // on it does after working in AutoCAD: when it is already in front, the focus
    // first goes to a window of the driver.
    Status Activate(milliseconds bound = kDefaultBound);

    // Puts the focus into edit `id` and then moves it on to the kind list, as a user
    // who clicks into the edit and then elsewhere: the palette gets the edit's
    // focus-loss notification.
    Status LeaveEdit(int id, milliseconds bound = kDefaultBound);

    // Waits until the palette has handled everything delivered to it so far, or a
    // message box of its process is open. Ok in both cases.
    Status Settle(milliseconds bound = kDefaultBound);
    // Settles and presses OK on each box that opens, until the palette settles with
    // no box open. Returns the boxes in the order they were dismissed.
    Expected<std::vector<MessageBoxText>> DismissBoxes(milliseconds bound = kDefaultBound);
    // Message boxes of the palette's process that wait for an answer: those already
    // answered by the driver are left out while they are still being taken down.
    std::vector<HWND> OpenBoxes() const;

    struct FocusJob;

private:
    Palette(HWND window, DWORD processId) : window_(window), processId_(processId) {}
    bool FocusJobPending() const;

    HWND window_ = nullptr;
    DWORD processId_ = 0;
    std::shared_ptr<FocusJob> focusJob_;
    std::shared_ptr<std::vector<HWND>> answered_ = std::make_shared<std::vector<HWND>>();
};

// The palette's window class.
inline constexpr const wchar_t* kPaletteClass = L"TForm1";

}  // namespace tessavue::e2e
