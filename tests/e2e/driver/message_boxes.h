// Message boxes ("#32770" dialogs) of another program: find them, read their title
// and text, press OK. Windows' and Wine's MessageBox put the text in a static control
// with id 0xFFFF.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "status.h"
#include "waiting.h"

namespace tessavue::e2e {

struct MessageBoxText {
    std::wstring title;
    std::wstring text;
    friend bool operator==(const MessageBoxText&, const MessageBoxText&) = default;
};

// Dialog windows of process `processId` that are still being shown or created.
std::vector<HWND> MessageBoxesOf(DWORD processId);
Expected<MessageBoxText> ReadMessageBox(HWND box);
// Presses the box's OK button (as a click does: WM_COMMAND IDOK, posted so that the
// driver never waits on the box's owner) and waits until the box is closed: gone, or
// hidden while the program is still inside the box's call (a handler of its owner
// that runs while the box closes may open another box first).
Status PressOk(HWND box, milliseconds bound = kDefaultBound);

// "title: text" in UTF-8, for reports and failure messages.
std::string Describe(const MessageBoxText& box);

}  // namespace tessavue::e2e
