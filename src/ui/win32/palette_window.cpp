#include "ui/win32/palette_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/win32/text_codec.h"
#include "ui/picture_resources.h"

namespace tessavue {
namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS;
constexpr int kClientWidth = 113;
constexpr int kClientHeight = 290;
constexpr int kPanelHeight = 89;
constexpr int kPanelWidth = 113;

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kLabel = kChild | SS_LEFTNOWORDWRAP;
constexpr DWORD kEdit = kChild | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kGroup = kChild | BS_GROUPBOX | WS_CLIPSIBLINGS;

const wchar_t* const kStatic = L"STATIC";
const wchar_t* const kEditClass = L"EDIT";
const wchar_t* const kButtonClass = L"BUTTON";

PaletteWindow* FromWindow(HWND hwnd) {
    return reinterpret_cast<PaletteWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool IsEdit(int id) { return id >= ControlId(Control::Edit1) && id <= ControlId(Control::Edit8); }

}  // namespace

PaletteWindow::PaletteWindow(HINSTANCE instance) : instance_(instance) {}

PaletteWindow::~PaletteWindow() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (font_ != nullptr) DeleteObject(font_);
}

bool PaletteWindow::Create() {
    faceBrush_ = GetSysColorBrush(COLOR_BTNFACE);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &PaletteWindow::WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));      // IDI_APPLICATION
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kPaletteClassName;
    if (RegisterClassExW(&wc) == 0) return false;

    CreateMainMenu();
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, kFormStyle, TRUE, WS_EX_CONTROLPARENT);
    const std::wstring caption = WidenCp932(kProductName);
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPaletteClassName, caption.c_str(), kFormStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr, menuBar_,
                            instance_, this);
    if (hwnd_ == nullptr) return false;

    // The client area is what the controls are laid out in.
    FitClient(hwnd_, kClientWidth, kClientHeight);

    const std::wstring face = WidenCp932("ＭＳ Ｐゴシック");
    font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    CreateControls();
    return CreateSecondaryWindows();
}

bool PaletteWindow::CreateSecondaryWindows() {
    const PictureWindowLayout layouts[] = {
        {kDimensionPictureClassName, "寸法", 324, 641, TESSAVUE_BITMAP_DIMENSION},
        {kTwoFacePictureClassName, "２面選択", 801, 600, TESSAVUE_BITMAP_TWO_FACE},
        {kExistingAxisPictureClassName, "既存軸", 801, 600, TESSAVUE_BITMAP_EXISTING_AXIS},
    };
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
        pictures_[i] = std::make_unique<PictureHelpWindow>(instance_, layouts[i]);
        if (!pictures_[i]->Create(hwnd_, font_)) return false;
    }
    versionDialog_ = std::make_unique<TargetVersionDialog>(instance_);
    return versionDialog_->Create(hwnd_, font_);
}

void PaletteWindow::CreateMainMenu() {
    menuBar_ = CreateMenu();
    helpMenu_ = CreatePopupMenu();
    HMENU other = CreatePopupMenu();
    auto add = [](HMENU menu, Control id, const char* caption) {
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(ControlId(id)), WidenCp932(caption).c_str());
    };
    add(other, Control::menu_help_othr_sign, "高さ符号反転(&H)");
    add(other, Control::menu_help_othr_circ, "円、円弧の高さの線(&C)");
    add(other, Control::menu_help_othr_a_ll, "全て投影(&A)");
    AppendMenuW(other, MF_SEPARATOR, 0, nullptr);
    add(other, Control::menu_help_othr_trgt, "対象バージョン(&T)");

    add(helpMenu_, Control::menu_help_help, "ヘルプ(&H)");
    AppendMenuW(helpMenu_, MF_SEPARATOR, 0, nullptr);
    add(helpMenu_, Control::menu_help_catc, "捕捉(&C)");
    AppendMenuW(helpMenu_, MF_SEPARATOR, 0, nullptr);
    // A submenu item carries its own id too, so the driver can find it by number.
    MENUITEMINFOW sub{};
    sub.cbSize = sizeof(sub);
    sub.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    sub.wID = static_cast<UINT>(ControlId(Control::menu_help_othr));
    sub.hSubMenu = other;
    std::wstring otherCaption = WidenCp932("その他(&O)");
    sub.dwTypeData = otherCaption.data();
    InsertMenuItemW(helpMenu_, GetMenuItemCount(helpMenu_), TRUE, &sub);
    AppendMenuW(helpMenu_, MF_SEPARATOR, 0, nullptr);
    add(helpMenu_, Control::menu_help_vers, "バージョン情報(&A)");

    MENUITEMINFOW top{};
    top.cbSize = sizeof(top);
    top.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    top.wID = static_cast<UINT>(ControlId(Control::menu_help));
    top.hSubMenu = helpMenu_;
    std::wstring helpCaption = WidenCp932("ヘルプ(&H)");
    top.dwTypeData = helpCaption.data();
    InsertMenuItemW(menuBar_, 0, TRUE, &top);
}

HWND PaletteWindow::CreateControl(Control id, Control parent, const wchar_t* className, const char* caption,
                                  DWORD style, DWORD exStyle, int x, int y, int width, int height) {
    HWND parentWindow = parent == Control{} ? hwnd_ : controls_.at(parent);
    const std::wstring text = WidenCp932(caption);
    HWND h = CreateWindowExW(exStyle, className, text.c_str(), style, x, y, width, height, parentWindow,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(id))), instance_, nullptr);
    if (h == nullptr) return nullptr;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    controls_[id] = h;
    return h;
}

void PaletteWindow::CreateControls() {
    const Control top{};
    CreateControl(Control::Label1, top, kStatic, "図形", kLabel, 0, 8, 8, 60, 12);
    HWND combo = CreateControl(Control::ComboBox1, top, L"COMBOBOX", "",
                               kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 8, 24, 97, 200);
    for (const char* kind : kFigureKinds)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WidenCp932(kind).c_str()));

    // Panels: real group boxes, parents of their controls, so hiding or disabling a
    // panel takes its controls along. Laid out side by side until start-up moves them.
    auto panel = [&](Control id, int slot, const char* caption) {
        HWND h = CreateControl(id, top, kButtonClass, caption, kGroup, WS_EX_CONTROLPARENT, slot * kPanelWidth, 56,
                               kPanelWidth, kPanelHeight);
        if (h != nullptr) originalProcs_[h] = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                              h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaletteWindow::GroupBoxProc)));
    };
    auto edit = [&](Control id, Control parent, const char* text, int x, int y) {
        HWND h = CreateControl(id, parent, kEditClass, text, kEdit, WS_EX_CLIENTEDGE, x, y, 41, 20);
        if (h != nullptr) originalProcs_[h] = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                              h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaletteWindow::EditProc)));
    };
    auto label = [&](Control id, Control parent, const char* text, int x, int y, int width) {
        CreateControl(id, parent, kStatic, text, kLabel, 0, x, y, width, 12);
    };
    auto button = [&](Control id, Control parent, const char* text, int x, int y, int w, int h) {
        CreateControl(id, parent, kButtonClass, text, kButton, 0, x, y, w, h);
    };

    panel(Control::GroupBox2, 0, "既存図形");
    button(Control::Button1, Control::GroupBox2, "選択", 8, 24, 97, 33);

    panel(Control::GroupBox3, 1, "円");
    label(Control::Label2, Control::GroupBox3, "直径", 8, 28, 54);
    edit(Control::Edit2, Control::GroupBox3, "10", 64, 24);

    panel(Control::GroupBox4, 2, "四角");
    label(Control::Label3, Control::GroupBox4, "Ｙ", 8, 28, 54);
    edit(Control::Edit3, Control::GroupBox4, "10", 64, 24);
    label(Control::Label4, Control::GroupBox4, "Ｘ", 8, 60, 54);
    edit(Control::Edit4, Control::GroupBox4, "10", 64, 56);

    panel(Control::GroupBox5, 3, "六角");
    label(Control::Label5, Control::GroupBox5, "対辺", 8, 28, 54);
    edit(Control::Edit5, Control::GroupBox5, "10", 64, 24);
    HWND vertical = CreateControl(Control::RadioButton1, Control::GroupBox5, kButtonClass, "縦",
                                  kChild | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 8, 56, 41, 20);
    CreateControl(Control::RadioButton2, Control::GroupBox5, kButtonClass, "横", kChild | BS_AUTORADIOBUTTON, 0,
                  64, 56, 41, 20);
    if (vertical != nullptr) SendMessageW(vertical, BM_SETCHECK, BST_CHECKED, 0);

    panel(Control::GroupBox6, 4, "寸法");
    label(Control::Label6, Control::GroupBox6, "オフセット", 8, 28, 56);
    edit(Control::Edit6, Control::GroupBox6, "10", 64, 24);
    button(Control::Button6, Control::GroupBox6, "!", 64, 56, 41, 20);

    panel(Control::GroupBox7, 5, "丸棒曲げ");
    label(Control::Label7, Control::GroupBox7, "曲げ半径", 8, 28, 54);
    edit(Control::Edit7, Control::GroupBox7, "20", 64, 24);
    label(Control::Label8, Control::GroupBox7, "丸棒直径", 8, 60, 54);
    edit(Control::Edit8, Control::GroupBox7, "10", 64, 56);

    panel(Control::GroupBox8, 6, "２面選択");
    button(Control::Button9, Control::GroupBox8, "!", 8, 24, 25, 52);
    button(Control::Button7, Control::GroupBox8, "上面", 40, 24, 33, 20);
    button(Control::Button8, Control::GroupBox8, "正面", 40, 56, 33, 20);
    label(Control::Label9, Control::GroupBox8, "0", 80, 28, 25);
    label(Control::Label10, Control::GroupBox8, "0", 80, 60, 25);

    panel(Control::GroupBox9, 7, "既存軸");
    button(Control::Button10, Control::GroupBox9, "中心線", 24, 24, 65, 25);
    button(Control::Button11, Control::GroupBox9, "外形線", 24, 56, 65, 25);
    button(Control::Button12, Control::GroupBox9, "!", 96, 24, 9, 57);

    // The draw group, below the panels.
    HWND draw = CreateControl(Control::GroupBox1, top, kButtonClass, "作図", kGroup, WS_EX_CONTROLPARENT, 0, 152,
                              113, 137);
    if (draw != nullptr)
        originalProcs_[draw] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(draw, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaletteWindow::GroupBoxProc)));
    HWND height = CreateControl(Control::CheckBox1, Control::GroupBox1, kButtonClass, "高さ",
                                kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 8, 24, 41, 20);
    if (height != nullptr) SendMessageW(height, BM_SETCHECK, BST_CHECKED, 0);
    edit(Control::Edit1, Control::GroupBox1, "10", 64, 24);
    button(Control::Button2, Control::GroupBox1, "上左", 8, 56, 41, 33);
    button(Control::Button3, Control::GroupBox1, "上右", 64, 56, 41, 33);
    button(Control::Button4, Control::GroupBox1, "左", 8, 96, 41, 33);
    button(Control::Button5, Control::GroupBox1, "右", 64, 96, 41, 33);
}

bool PaletteWindow::DialogFilter(MSG& msg) {
    return hwnd_ != nullptr && IsWindow(hwnd_) && IsDialogMessageW(hwnd_, &msg);
}

// ------------------------------------------------------------------ FormView

HWND PaletteWindow::Item(Control control) const {
    auto it = controls_.find(control);
    return it == controls_.end() ? nullptr : it->second;
}

bool PaletteWindow::IsMenuItem(Control control) const {
    return ControlId(control) >= ControlId(Control::menu_help) &&
           ControlId(control) <= ControlId(Control::menu_help_vers);
}

std::string PaletteWindow::Text(Control control) {
    HWND h = Item(control);
    if (h == nullptr) return {};
    if (control == Control::ComboBox1) {
        const LRESULT index = SendMessageW(h, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) return {};
        const LRESULT length = SendMessageW(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length == CB_ERR) return {};
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(h, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        return NarrowCp932(text);
    }
    const int length = GetWindowTextLengthW(h);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(h, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return NarrowCp932(text);
}

void PaletteWindow::SetText(Control control, const std::string& text) {
    if (HWND h = Item(control)) SetWindowTextW(h, WidenCp932(text).c_str());
}

bool PaletteWindow::Enabled(Control control) {
    if (IsMenuItem(control)) {
        const UINT state = control == Control::menu_help
                               ? GetMenuState(menuBar_, 0, MF_BYPOSITION)
                               : GetMenuState(menuBar_, static_cast<UINT>(ControlId(control)), MF_BYCOMMAND);
        return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    HWND h = Item(control);
    return h != nullptr && IsWindowEnabled(h);
}

void PaletteWindow::SetEnabled(Control control, bool enabled) {
    if (IsMenuItem(control)) {
        const UINT flag = enabled ? MF_ENABLED : MF_GRAYED;
        if (control == Control::menu_help) {
            EnableMenuItem(menuBar_, 0, MF_BYPOSITION | flag);
            DrawMenuBar(hwnd_);
        } else {
            EnableMenuItem(menuBar_, static_cast<UINT>(ControlId(control)), MF_BYCOMMAND | flag);
        }
        return;
    }
    if (HWND h = Item(control)) EnableWindow(h, enabled ? TRUE : FALSE);
}

bool PaletteWindow::Visible(Control control) {
    HWND h = Item(control);
    // The control's own flag, as the form set it, whatever its parent shows.
    return h != nullptr && (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
}

void PaletteWindow::SetVisible(Control control, bool visible) {
    if (HWND h = Item(control)) ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
}

bool PaletteWindow::Checked(Control control) {
    if (IsMenuItem(control)) {
        const UINT state = GetMenuState(menuBar_, static_cast<UINT>(ControlId(control)), MF_BYCOMMAND);
        return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
    }
    HWND h = Item(control);
    return h != nullptr && SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PaletteWindow::SetChecked(Control control, bool checked) {
    if (IsMenuItem(control)) {
        CheckMenuItem(menuBar_, static_cast<UINT>(ControlId(control)),
                      MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
    if (HWND h = Item(control)) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PaletteWindow::SelectItem(Control control, int index) {
    if (HWND h = Item(control)) SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

WindowRect PaletteWindow::Bounds(Control control) {
    HWND h = Item(control);
    if (h == nullptr) return {};
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void PaletteWindow::SetLeft(Control control, int left) {
    HWND h = Item(control);
    if (h == nullptr) return;
    const WindowRect r = Bounds(control);
    SetWindowPos(h, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowRect PaletteWindow::FormBounds() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    // Minimised, the window sits far off screen; the place it comes back to is the
    // one worth keeping.
    if (IsIconic(hwnd_)) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(hwnd_, &placement)) r = placement.rcNormalPosition;
    }
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

int PaletteWindow::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int PaletteWindow::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

void PaletteWindow::PlaceTopmost(const WindowRect& b) {
    SetWindowPos(hwnd_, HWND_TOPMOST, b.left, b.top, b.width, b.height, SWP_SHOWWINDOW);
}

bool PaletteWindow::OnAnyScreen(const WindowRect& b) {
    const RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

void PaletteWindow::StartNotepad(const std::filesystem::path& directory, const std::string& parameter) {
    // Notepad reports its own problems; the palette neither waits nor checks.
    ShellExecuteW(hwnd_, nullptr, L"notepad.exe", WidenCp932(parameter).c_str(), directory.c_str(), SW_SHOW);
}

void PaletteWindow::ShowPicture(HelpPicture picture) {
    const auto index = static_cast<std::size_t>(picture);
    if (index < pictures_.size() && pictures_[index]) pictures_[index]->Show();
}

TargetVersionAnswer PaletteWindow::RunTargetVersionDialog(int item) {
    if (!versionDialog_) return {};
    // A close of the palette asked for meanwhile ends the dialog as a cancel, so that
    // the palette can go.
    return versionDialog_->Run(item, [this] { return form_ != nullptr && form_->ClosePending(); });
}

void PaletteWindow::SetCaption(const std::string& caption) { SetWindowTextW(hwnd_, WidenCp932(caption).c_str()); }

void PaletteWindow::DestroyForm() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void PaletteWindow::ShowBox(const std::string& text, const char* title, UINT icon) {
    MessageBoxW(hwnd_, WidenCp932(text).c_str(), WidenCp932(title).c_str(), MB_OK | icon);
}

void PaletteWindow::ShowConfirmation(const std::string& text) { ShowBox(text, "確認", MB_ICONEXCLAMATION); }
void PaletteWindow::ShowInformation(const std::string& text) { ShowBox(text, "情報", MB_ICONINFORMATION); }
void PaletteWindow::ShowError(const std::string& text) { ShowBox(text, kProductName, MB_ICONERROR); }

// ------------------------------------------------------------------ messages

void PaletteWindow::Run(void (TForm1::*handler)()) {
    TForm1* form = form_;
    if (form != nullptr) form->RunHandler([form, handler] { (form->*handler)(); });
}

LRESULT CALLBACK PaletteWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<PaletteWindow*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    PaletteWindow* self = FromWindow(hwnd);
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
    // Nothing may leave a window procedure: the handlers run inside RunHandler, and
    // this catch covers the window's own bookkeeping.
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT PaletteWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd_, focus)) savedFocus_ = focus;
            return 0;
        }
        if (HIWORD(wParam) == 0) {
            // Give the focus back to the control that had it, as a dialog does.
            HWND target = savedFocus_ != nullptr && IsWindow(savedFocus_) && IsChild(hwnd_, savedFocus_)
                              ? savedFocus_
                              : Item(Control::ComboBox1);
            if (target != nullptr && IsWindowVisible(target) && IsWindowEnabled(target)) SetFocus(target);
        }
        Run(&TForm1::FormActivate);
        return 0;
    case WM_INITMENUPOPUP:
        // The fields are checked again before the Help menu opens.
        if (reinterpret_cast<HMENU>(wParam) == helpMenu_) Run(&TForm1::FormActivate);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CLOSE:
        Run(&TForm1::FormCloseQuery);
        return 0;
    case WM_DESTROY:
        hwnd_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void PaletteWindow::OnCommand(int id, int code, HWND control) {
    if (control != nullptr) {
        if (IsEdit(id) && code == EN_KILLFOCUS) {
            HWND target = lastFocusTarget_;
            lastFocusTarget_ = nullptr;
            const bool stays = target != nullptr && hwnd_ != nullptr && IsChild(hwnd_, target);
            const auto sender = static_cast<Control>(id);
            if (form_ != nullptr) form_->RunHandler([this, sender, stays] { form_->EditFocusLost(sender, stays); });
        } else if (id == ControlId(Control::ComboBox1) && code == CBN_SELCHANGE) {
            Run(&TForm1::ComboBox1Change);
        }
        if (form_ != nullptr && code == BN_CLICKED) {
            const auto sender = static_cast<Control>(id);
            if (sender == Control::Button1) {
                Run(&TForm1::Button1Click);
            } else if (sender == Control::Button2 || sender == Control::Button3 || sender == Control::Button4 ||
                       sender == Control::Button5) {
                form_->RunHandler([this, sender] { form_->Button2Click(sender); });
            } else if (sender == Control::Button7 || sender == Control::Button8) {
                form_->RunHandler([this, sender] { form_->Button7Click(sender); });
            } else if (sender == Control::Button10 || sender == Control::Button11) {
                form_->RunHandler([this, sender] { form_->Button10Click(sender); });
            } else if (sender == Control::Button6) {
                Run(&TForm1::Button6Click);
            } else if (sender == Control::Button9) {
                Run(&TForm1::Button9Click);
            } else if (sender == Control::Button12) {
                Run(&TForm1::Button12Click);
            }
        }
        return;
    }
    switch (static_cast<Control>(id)) {
    case Control::menu_help_help: Run(&TForm1::menu_help_helpClick); break;
    case Control::menu_help_catc: Run(&TForm1::menu_help_catcClick); break;
    case Control::menu_help_vers: Run(&TForm1::menu_help_versClick); break;
    case Control::menu_help_othr_sign: Run(&TForm1::menu_help_othr_signClick); break;
    case Control::menu_help_othr_circ: Run(&TForm1::menu_help_othr_circClick); break;
    case Control::menu_help_othr_a_ll: Run(&TForm1::menu_help_othr_a_llClick); break;
    case Control::menu_help_othr_trgt: Run(&TForm1::menu_help_othr_trgtClick); break;
    default: break;
    }
}

LRESULT CALLBACK PaletteWindow::GroupBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PaletteWindow* self = FromWindow(hwnd);
    WNDPROC original = self != nullptr ? self->originalProcs_[hwnd] : nullptr;
    if (self == nullptr || original == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // A group box passes nothing on: the controls inside report to the palette.
        if (self->hwnd_ != nullptr) return SendMessageW(self->hwnd_, msg, wParam, lParam);
        break;
    case WM_ERASEBKGND: {
        // A group box as parent does not erase its inside; without this, a panel
        // shown in place of another would keep the old one's pixels.
        RECT r{};
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, self->faceBrush_);
        return 1;
    }
    default:
        break;
    }
    return CallWindowProcW(original, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PaletteWindow::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    PaletteWindow* self = FromWindow(hwnd);
    WNDPROC original = self != nullptr ? self->originalProcs_[hwnd] : nullptr;
    if (self == nullptr || original == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_KILLFOCUS) self->lastFocusTarget_ = reinterpret_cast<HWND>(wParam);
    return CallWindowProcW(original, hwnd, msg, wParam, lParam);
}

}  // namespace tessavue
