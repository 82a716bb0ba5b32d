#include "ui/win32/secondary_windows.h"

#include <iterator>

#include "platform/win32/text_codec.h"
#include "ui/controls.h"
#include "ui/tform1.h"

namespace tessavue {
namespace {

// A single-line fixed border, the system menu and a minimise box only.
constexpr DWORD kPictureStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kDialogClientWidth = 153;
constexpr int kDialogClientHeight = 80;

template <typename T>
T* FromWindow(HWND hwnd) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

template <typename T>
void Bind(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg != WM_NCCREATE) return;
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
}

bool RegisterOnce(HINSTANCE instance, const wchar_t* className, WNDPROC proc) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(instance, className, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateSized(HINSTANCE instance, const wchar_t* className, const char* caption, DWORD style, DWORD exStyle,
                 int width, int height, HWND owner, void* self) {
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    HWND hwnd = CreateWindowExW(exStyle, className, WidenCp932(caption).c_str(), style, 0, 0,
                                outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, instance, self);
    if (hwnd != nullptr) FitClient(hwnd, width, height);
    return hwnd;
}

void CentreOnDesktop(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void BringToFront(HWND hwnd) {
    BringWindowToTop(hwnd);
    SetForegroundWindow(hwnd);
}

}  // namespace

void FitClient(HWND hwnd, int width, int height) {
    RECT client{};
    GetClientRect(hwnd, &client);
    if (client.right == width && client.bottom == height) return;
    RECT window{};
    GetWindowRect(hwnd, &window);
    SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left + width - client.right,
                 window.bottom - window.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ------------------------------------------------------------ picture windows

PictureHelpWindow::PictureHelpWindow(HINSTANCE instance, const PictureWindowLayout& layout)
    : instance_(instance), layout_(layout) {}

PictureHelpWindow::~PictureHelpWindow() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

bool PictureHelpWindow::Create(HWND owner, HFONT font) {
    if (!RegisterOnce(instance_, layout_.className, &PictureHelpWindow::WindowProc)) return false;
    hwnd_ = CreateSized(instance_, layout_.className, layout_.caption, kPictureStyle, 0, layout_.clientWidth,
                        layout_.clientHeight, owner, this);
    if (hwnd_ == nullptr) return false;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A DIB section keeps the bitmap's own colours: a two-colour bitmap loaded as a
    // device bitmap would be painted in the control's text and background colours.
    bitmap_ = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(layout_.bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HWND image = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 0, 0, hwnd_, nullptr,
                                 instance_, nullptr);
    if (image != nullptr && bitmap_ != nullptr)
        SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
    return true;
}

void PictureHelpWindow::Show() {
    if (hwnd_ == nullptr) return;
    if (!IsWindowVisible(hwnd_)) {
        CentreOnDesktop(hwnd_);
        ShowWindow(hwnd_, SW_SHOWNORMAL);
    } else if (IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_RESTORE);
    }
    BringToFront(hwnd_);
}

LRESULT CALLBACK PictureHelpWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Bind<PictureHelpWindow>(hwnd, msg, lParam);
    // Closing only hides the window: the next "!" shows the same one again.
    if (msg == WM_CLOSE) {
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ------------------------------------------------------------ target version

TargetVersionDialog::TargetVersionDialog(HINSTANCE instance) : instance_(instance) {}

bool TargetVersionDialog::Create(HWND owner, HFONT font) {
    if (!RegisterOnce(instance_, kTargetVersionClassName, &TargetVersionDialog::WindowProc)) return false;
    owner_ = owner;
    hwnd_ = CreateSized(instance_, kTargetVersionClassName, "対象バージョン", kDialogStyle, kDialogExStyle,
                        kDialogClientWidth, kDialogClientHeight, owner, this);
    if (hwnd_ == nullptr) return false;
    auto control = [&](VersionControl id, const wchar_t* className, const char* caption, DWORD style, int x, int y,
                       int w, int h) {
        HWND c = CreateWindowExW(0, className, WidenCp932(caption).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w,
                                 h, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(id))), instance_,
                                 nullptr);
        if (c != nullptr) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return c;
    };
    // A drop-down list's window height includes the list that drops down.
    list_ = control(VersionControl::ComboBox1, L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 8, 16,
                    137, 120);
    if (list_ != nullptr)
        for (const char* item : kTargetVersions)
            SendMessageW(list_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidenCp932(item).c_str()));
    control(VersionControl::Button1, L"BUTTON", "Ok", WS_TABSTOP | BS_DEFPUSHBUTTON, 8, 48, 65, 25);
    control(VersionControl::Button2, L"BUTTON", "ｷｬﾝｾﾙ", WS_TABSTOP | BS_PUSHBUTTON, 80, 48, 65, 25);
    return list_ != nullptr;
}

void TargetVersionDialog::Open(int item) {
    // Every opening sets the selection, "none" included: an item chosen in an
    // earlier, cancelled opening must not come back.
    SendMessageW(list_, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    confirmed_ = false;
    running_ = true;
    CentreOnDesktop(hwnd_);
    EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    BringToFront(hwnd_);
    SetFocus(list_);
}

bool TargetVersionDialog::Loop() {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
        // The program is ending: leave the quit for the main loop.
        if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

TargetVersionAnswer TargetVersionDialog::Close() {
    TargetVersionAnswer answer;
    answer.confirmed = running_ == false && confirmed_;
    const LRESULT selected = SendMessageW(list_, CB_GETCURSEL, 0, 0);
    answer.item = selected == CB_ERR ? -1 : static_cast<int>(selected);
    running_ = false;
    // The owner first, so that Windows gives the activation back to it, not to
    // another program.
    EnableWindow(owner_, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (IsWindow(owner_)) SetActiveWindow(owner_);
    return answer;
}

void TargetVersionDialog::Finish(bool confirmed) {
    confirmed_ = confirmed;
    running_ = false;
}

LRESULT CALLBACK TargetVersionDialog::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Bind<TargetVersionDialog>(hwnd, msg, lParam);
    auto* self = FromWindow<TargetVersionDialog>(hwnd);
    if (self != nullptr) {
        if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            // Enter reaches here as IDOK and Esc as IDCANCEL, through IsDialogMessage.
            const int id = LOWORD(wParam);
            if (id == ControlId(VersionControl::Button1) || id == IDOK) {
                self->Finish(true);
                return 0;
            }
            if (id == ControlId(VersionControl::Button2) || id == IDCANCEL) {
                self->Finish(false);
                return 0;
            }
        }
        if (msg == WM_CLOSE) {
            self->Finish(false);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace tessavue
