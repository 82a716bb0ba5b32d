#include "message_boxes.h"

#include "texts.h"
#include "windows_util.h"

namespace tessavue::e2e {

namespace {
constexpr int kMessageTextId = 0xFFFF;
}  // namespace

std::vector<HWND> MessageBoxesOf(DWORD processId) {
    std::vector<HWND> boxes;
    for (HWND window : TopLevelWindowsOf(processId)) {
        if (ClassNameOf(window) == L"#32770") boxes.push_back(window);
    }
    return boxes;
}

Expected<MessageBoxText> ReadMessageBox(HWND box) {
    const auto title = TextOf(box);
    if (!title) return Status::Fail("the message box is gone or does not answer");
    HWND textControl = GetDlgItem(box, kMessageTextId);
    if (!textControl) return Status::Fail("the dialog " + Quoted(*title) + " has no message text (id 0xFFFF)");
    const auto text = TextOf(textControl);
    if (!text) return Status::Fail("the text of the message box " + Quoted(*title) + " cannot be read");
    return MessageBoxText{*title, *text};
}

Status PressOk(HWND box, milliseconds bound) {
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok) return Status::Fail("the message box has no OK button");
    if (!PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok))) {
        return Status::Fail("the message box is gone before OK was pressed");
    }
    return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, bound,
                   "the message box to close after OK");
}

std::string Describe(const MessageBoxText& box) { return Quoted(box.title) + ": " + Quoted(box.text); }

}  // namespace tessavue::e2e
