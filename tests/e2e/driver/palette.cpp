#include "palette.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "control_names.h"
#include "menu_hook.h"
#include "ui/controls.h"
#include "program.h"
#include "texts.h"
#include "windows_util.h"

namespace tessavue::e2e {

namespace {

constexpr int kComboBox1 = ControlId(Control::ComboBox1);
constexpr int kEdit1 = ControlId(Control::Edit1);

std::string IdText(int id) { return ControlName(id); }

// A small window of the driver's own, to take the foreground from the palette so that
// giving it back activates the palette again.
HWND DriverWindow() {
    static HWND window = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessavueDriverFocus";
        RegisterClassW(&windowClass);
        return CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"driver", WS_POPUP | WS_VISIBLE, 0, 0,
                               8, 8, nullptr, nullptr, windowClass.hInstance, nullptr);
    }();
    return window;
}

// The window that thread `thread` holds active, as that thread last handled it.
HWND ActiveWindowOf(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndActive : nullptr;
}

// How long a foreground request may go unanswered before it is made again.
constexpr DWORD kRepeatForegroundMs = 500;

// Each barrier of `Settle` leaves a value of its own in Edit1's length limit; values
// this large never limit what can be typed.
std::atomic<LPARAM> barrierCounter{0x7FFF0000};

// No step of the palette shows more boxes than it has fields; more means a loop.
constexpr std::size_t kMostBoxes = 20;

}  // namespace

struct Palette::FocusJob {
    std::atomic<bool> done{false};
    std::atomic<bool> focused{false};
};

namespace {
// The focus moves are made by a thread of the driver whose input is joined to the
// palette's thread, because SetFocus only moves the focus within one input queue.
// SetFocus waits for the palette to handle the focus loss, which may show a modal
// box; the thread then waits while the driver's main thread closes the box.
void MoveFocus(DWORD paletteThread, HWND edit, HWND next, std::shared_ptr<Palette::FocusJob> job) {
    const DWORD self = GetCurrentThreadId();
    const bool attached = AttachThreadInput(self, paletteThread, TRUE) != FALSE;
    SetFocus(edit);
    job->focused = GetFocus() == edit;
    SetFocus(next);
    if (attached) AttachThreadInput(self, paletteThread, FALSE);
    job->done = true;
}
}  // namespace

Expected<Palette> Palette::Find(DWORD processId, milliseconds bound) {
    HWND found = nullptr;
    Status waited = WaitFor(
        [&] {
            for (HWND window : TopLevelWindowsOf(processId)) {
                if (ClassNameOf(window) == kPaletteClass && IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        bound, "the palette window (class TForm1) of process " + std::to_string(processId));
    if (!waited) return waited;
    return Palette(found, processId);
}

Expected<HWND> Palette::Control(int id) const {
    if (!Exists()) return Status::Fail("the palette window is gone");
    for (HWND child : DescendantsOf(window_)) {
        if (GetDlgCtrlID(child) != id) continue;
        // A combo box's own list and edit carry small ids of their own; they are not
        // the palette's controls.
        HWND parent = GetParent(child);
        if (parent && parent != window_ && ClassNameOf(parent) == L"ComboBox") continue;
        return child;
    }
    return Status::Fail("the palette has no " + IdText(id));
}

Expected<std::wstring> Palette::Text(int id) const {
    auto control = Control(id);
    if (!control) return control.status();
    auto text = TextOf(*control);
    if (!text) return Status::Fail("the text of " + IdText(id) + " cannot be read");
    return *text;
}

Status Palette::SetText(int id, const std::wstring& text) {
    auto control = Control(id);
    if (!control) return control.status();
    if (!SetTextOf(*control, text)) return Status::Fail("cannot set the text of " + IdText(id));
    return Status::Ok();
}

Expected<bool> Palette::IsVisible(int id) const {
    auto control = Control(id);
    if (!control) return control.status();
    return IsShown(*control);
}

Expected<bool> Palette::IsEnabled(int id) const {
    auto control = Control(id);
    if (!control) return control.status();
    return IsWindowEnabled(*control) != FALSE;
}

Expected<bool> Palette::IsChecked(int id) const {
    auto control = Control(id);
    if (!control) return control.status();
    const auto state = SendWithTimeout(*control, BM_GETCHECK, 0, 0);
    if (!state) return Status::Fail(IdText(id) + " does not answer");
    return *state == BST_CHECKED;
}

Expected<std::vector<std::wstring>> Palette::Kinds() const {
    auto combo = Control(kComboBox1);
    if (!combo) return combo.status();
    return ComboItems(*combo, "the kind list");
}

Status Palette::SelectKind(const std::wstring& kind) {
    auto combo = Control(kComboBox1);
    if (!combo) return combo.status();
    if (!IsShown(*combo) || !IsReachable(*combo)) return Status::Fail("the kind list is disabled or hidden");
    if (Status picked = PickComboItem(*combo, window_, kind, "the kind list"); !picked.ok()) return picked;
    // The change is posted: the kind's panel shows once the palette has handled it, and a
    // button of that panel pressed before would be found hidden.
    return Settle();
}

Status Palette::Click(int id) {
    auto button = Control(id);
    if (!button) return button.status();
    if (!IsShown(*button)) return Status::Fail(IdText(id) + " is hidden and cannot be pressed");
    if (!IsReachable(*button)) return Status::Fail(IdText(id) + " is disabled and cannot be pressed");
    // BM_CLICK makes the button do what a mouse click does (focus, then BN_CLICKED
    // to the palette); posted, so that a box shown by the handler cannot block us.
    if (!PostMessageW(*button, BM_CLICK, 0, 0)) return Status::Fail("cannot press " + IdText(id));
    return Status::Ok();
}

namespace {

// The driver's end of the menu hook: a message-only window that takes the hook's
// answers, and the hooks placed so far (one per palette thread).
struct MenuHookClient {
    HMODULE dll = nullptr;
    HOOKPROC proc = nullptr;
    HWND replyWindow = nullptr;
    UINT requestMessage = 0;
    std::vector<std::pair<DWORD, HHOOK>> hooks;
    bool answered = false;
    MenuAnswer answer{};
};

MenuHookClient& HookClient() {
    static MenuHookClient client;
    return client;
}

LRESULT CALLBACK ReplyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData == kMenuAnswerTag && data->cbData == sizeof(MenuAnswer)) {
            HookClient().answer = *static_cast<const MenuAnswer*>(data->lpData);
            HookClient().answered = true;
            return TRUE;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

Status PlaceMenuHook(HWND palette) {
    MenuHookClient& client = HookClient();
    if (!client.dll) {
        const std::filesystem::path dll = OwnFolder() / kMenuHookDll;
        client.dll = LoadLibraryW(dll.wstring().c_str());
        if (!client.dll) return Status::Fail("cannot load " + ToUtf8(dll.wstring()));
        client.proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(client.dll, kMenuHookProc)));
        if (!client.proc) return Status::Fail("the hook library has no " + std::string(kMenuHookProc));
        client.requestMessage = RegisterWindowMessageW(kMenuRequestMessageName);
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ReplyProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TessavueDriverMenuReply";
        RegisterClassW(&windowClass);
        client.replyWindow = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             windowClass.hInstance, nullptr);
        if (!client.replyWindow) return Status::Fail("cannot create the driver's answer window");
    }
    const DWORD thread = GetWindowThreadProcessId(palette, nullptr);
    for (const auto& placed : client.hooks) {
        if (placed.first == thread) return Status::Ok();
    }
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, client.proc, client.dll, thread);
    if (!hook) return Status::Fail("cannot place the menu hook on the palette's thread");
    client.hooks.emplace_back(thread, hook);
    return Status::Ok();
}

Expected<MenuAnswer> AskMenu(HWND palette, int id, MenuRequest request, milliseconds bound) {
    Status placed = PlaceMenuHook(palette);
    if (!placed) return placed;
    MenuHookClient& client = HookClient();
    client.answered = false;
    if (!PostMessageW(palette, client.requestMessage, MAKEWPARAM(static_cast<WORD>(id), request),
                      reinterpret_cast<LPARAM>(client.replyWindow))) {
        return Status::Fail("the palette window is gone");
    }
    Status answered = WaitFor([&] { return client.answered; }, bound,
                              "the palette's answer about menu item " + IdText(id));
    if (!answered) return answered;
    if (!client.answer.found) return Status::Fail("the palette's menu has no item " + IdText(id));
    return client.answer;
}

}  // namespace

Expected<MenuItemState> Palette::MenuState(int id, milliseconds bound) const {
    auto answer = AskMenu(window_, id, kMenuQueryState, bound);
    if (!answer) return answer.status();
    return MenuItemState{answer->enabled != 0, answer->checked != 0};
}

Status Palette::RunMenu(int id, milliseconds bound) {
    if (!IsReachable(window_)) return Status::Fail("the palette is disabled (a modal window is open)");
    auto answer = AskMenu(window_, id, kMenuRun, bound);
    if (!answer) return answer.status();
    if (!answer->enabled) return Status::Fail("menu item " + IdText(id) + " is greyed");
    if (!answer->ran) return Status::Fail("menu item " + IdText(id) + " could not be run");
    return Status::Ok();
}

Status Palette::Activate(milliseconds bound) {
    if (!Exists()) return Status::Fail("the palette window is gone");
    const DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    // The foreground changes at once, but the palette learns of it only when its
    // thread handles the notice; a deactivation it handles after the palette is back
    // in front is dropped, and no WM_ACTIVATE follows. So each step waits for the
    // palette's own view of its active window.
    if (ActiveWindowOf(thread) == window_ || GetForegroundWindow() == window_) {
        // Away to no window at all, as when the user clicks a program outside Wine;
        // the driver's own window serves where that is refused.
        if (!SetForegroundWindow(GetDesktopWindow())) SetForegroundWindow(DriverWindow());
        Status away = WaitFor([&] { return ActiveWindowOf(thread) != window_; }, bound,
                              "the palette to lose the foreground");
        if (!away) return away;
    }
    // Under Wine the X server's focus events come after the change they report and
    // can take the foreground back; the request is repeated until the palette holds it.
    // Tick counts compared as differences, so the counter's wrap does not matter.
    DWORD asked = GetTickCount() - kRepeatForegroundMs;
    return WaitFor(
        [&] {
            if (ActiveWindowOf(thread) == window_ || !OpenBoxes().empty()) return true;
            if (GetTickCount() - asked >= kRepeatForegroundMs) {
                SetForegroundWindow(window_);
                asked = GetTickCount();
            }
            return false;
        },
        bound, "the palette to come to the foreground");
}

std::vector<HWND> Palette::OpenBoxes() const {
    auto& answered = *answered_;
    std::erase_if(answered, [](HWND box) { return !IsWindow(box); });
    std::vector<HWND> open;
    for (HWND box : MessageBoxesOf(processId_)) {
        if (std::find(answered.begin(), answered.end(), box) == answered.end()) open.push_back(box);
    }
    return open;
}

bool Palette::FocusJobPending() const { return focusJob_ && !focusJob_->done; }

Status Palette::LeaveEdit(int id, milliseconds bound) {
    auto edit = Control(id);
    if (!edit) return edit.status();
    if (!IsShown(*edit) || !IsReachable(*edit)) return Status::Fail(IdText(id) + " is hidden or disabled");
    auto next = Control(kComboBox1);
    if (!next) return next.status();
    if (FocusJobPending()) return Status::Fail("an earlier focus move has not finished (close its message box first)");
    const DWORD paletteThread = GetWindowThreadProcessId(window_, nullptr);
    focusJob_ = std::make_shared<FocusJob>();
    std::thread(MoveFocus, paletteThread, *edit, *next, focusJob_).detach();
    Status moved = WaitFor([&] { return focusJob_->done || !OpenBoxes().empty(); }, bound,
                           "the focus to leave " + IdText(id));
    if (!moved) return moved;
    if (focusJob_->done && !focusJob_->focused) return Status::Fail("the focus could not be put into " + IdText(id));
    return Status::Ok();
}

Status Palette::Settle(milliseconds bound) {
    if (!Exists()) return Status::Fail("the palette window is gone");
    auto edit = Control(kEdit1);
    if (!edit) return edit.status();
    // A message posted after everything delivered so far is handled after it, by the
    // main loop or by the loop of a box that a handler opened meanwhile; once the
    // barrier's value shows in the edit, either the palette is idle or a box is open.
    const LPARAM mark = ++barrierCounter;
    if (!PostMessageW(*edit, EM_SETLIMITTEXT, static_cast<WPARAM>(mark), 0)) {
        return Status::Fail("the palette's Edit1 is gone");
    }
    HWND barrier = *edit;
    return WaitFor(
        [&] {
            if (!OpenBoxes().empty()) return true;
            if (FocusJobPending()) return false;
            const auto limit = SendWithTimeout(barrier, EM_GETLIMITTEXT, 0, 0);
            return limit && *limit == mark;
        },
        bound, "the palette to finish handling what it was sent");
}

Expected<std::vector<MessageBoxText>> Palette::DismissBoxes(milliseconds bound) {
    std::vector<MessageBoxText> dismissed;
    for (;;) {
        Status settled = Settle(bound);
        if (!settled) return settled;
        auto boxes = OpenBoxes();
        if (boxes.empty()) return dismissed;
        if (dismissed.size() >= kMostBoxes) {
            return Status::Fail("the palette keeps opening message boxes: " + std::to_string(dismissed.size()) +
                                " dismissed, the last " + Describe(dismissed.back()));
        }
        // Only one box is shown at a time; the newest is the one waiting for an answer.
        HWND box = boxes.front();
        Status shown = WaitFor([&] { return !IsWindow(box) || IsWindowVisible(box); }, bound,
                               "the message box to be shown");
        if (!shown) return shown;
        if (!IsWindow(box)) continue;
        auto read = ReadMessageBox(box);
        if (!read) return read.status();
        dismissed.push_back(*read);
        answered_->push_back(box);
        Status pressed = PressOk(box, bound);
        if (!pressed) return Status::Fail(pressed.message() + " (box " + Describe(*read) + ")");
    }
}

}  // namespace tessavue::e2e
