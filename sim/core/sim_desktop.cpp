#include "sim_desktop.h"

namespace tessavue::sim {
namespace {

std::string Truncate(const std::string& text, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    return text.substr(0, bufferSize - 1);
}

std::string UpToZero(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

SimDesktop::SimDesktop(Edition edition) : host_(std::make_unique<SimHost>(edition)), edition_(edition) {
    Create(0, "Program Manager", "Progman", "", false);
    CreateHostWindows();
    ConnectHost();
}

void SimDesktop::CreateHostWindows() {
    const EditionTexts& t = host_->texts();
    main_ = Create(0, std::string(t.mainTitle), std::string(t.mainClass), "", true);
    // AutoCAD's children: the drawing area, the command-line text window and, for LT
    // 2006, the edit window that takes pasted text.
    Create(main_, "", "MDIClient", "", true);
    commandLine_ = Create(main_, "", std::string(t.commandLineClass), "", true);
    if (!t.pasteClass.empty()) paste_ = Create(main_, "", std::string(t.pasteClass), std::string(t.pasteText), true);
    // AutoCAD's text window names AutoCAD too; it comes after the main window, so a
    // capture that did not leave it out would take it.
    textWindow_ = Create(0, std::string(t.textWindowTitle), std::string(t.mainClass), "", true);
}

void SimDesktop::ConnectHost() {
    host_->setClipboard = [this](const std::string& text) { clipboard = text; };
    host_->onFault = [this](Fault fault) {
        switch (fault) {
            case Fault::Quit: RemoveHostWindows(); break;
            case Fault::PaletteClose: closePosted_ = true; break;
            case Fault::Clipboard: clipboardBusy = 1 << 30; break;
            case Fault::Esc: break;
        }
    };
}

void SimDesktop::StartNewHost() {
    RemoveHostWindows();
    host_ = std::make_unique<SimHost>(edition_);
    CreateHostWindows();
    ConnectHost();
}

WindowHandle SimDesktop::Create(WindowHandle parent, std::string title, std::string className, std::string text,
                                bool hosts) {
    Window w;
    w.handle = nextHandle_;
    nextHandle_ += 4;
    w.parent = parent;
    w.title = std::move(title);
    w.className = std::move(className);
    w.text = std::move(text);
    w.hosts = hosts;
    windows_.push_back(std::move(w));
    return windows_.back().handle;
}

WindowHandle SimDesktop::AddWindow(WindowHandle parent, std::string title, std::string className, std::string text) {
    return Create(parent, std::move(title), std::move(className), std::move(text), false);
}

void SimDesktop::RemoveHostWindows() {
    for (Window& w : windows_) {
        if (w.hosts) w.alive = false;
    }
}

SimDesktop::Window* SimDesktop::Find(WindowHandle handle) {
    for (Window& w : windows_) {
        if (w.handle == handle && w.alive) return &w;
    }
    return nullptr;
}

bool SimDesktop::IsDescendant(const Window& w, WindowHandle ancestor) {
    for (WindowHandle p = w.parent; p != 0;) {
        if (p == ancestor) return true;
        const Window* parent = Find(p);
        if (parent == nullptr) return false;
        p = parent->parent;
    }
    return false;
}

std::vector<WindowHandle> SimDesktop::TopLevelWindows() {
    std::vector<WindowHandle> out;
    for (const Window& w : windows_) {
        if (w.alive && w.parent == 0) out.push_back(w.handle);
    }
    return out;
}

std::vector<WindowHandle> SimDesktop::DescendantWindows(WindowHandle parent) {
    std::vector<WindowHandle> out;
    if (Find(parent) == nullptr) return out;
    for (const Window& w : windows_) {
        if (w.alive && IsDescendant(w, parent)) out.push_back(w.handle);
    }
    return out;
}

std::optional<std::string> SimDesktop::WindowTitle(WindowHandle window, std::size_t bufferSize) {
    const Window* w = Find(window);
    if (w == nullptr) return std::nullopt;
    std::string title = Truncate(w->title, bufferSize);
    if (title.empty()) return std::nullopt;
    return title;
}

std::string SimDesktop::ClassName(WindowHandle window, std::size_t bufferSize) {
    const Window* w = Find(window);
    return w == nullptr ? std::string() : Truncate(w->className, bufferSize);
}

std::string SimDesktop::WindowText(WindowHandle window, std::size_t bufferSize) {
    ++calls.windowText;
    const Window* w = Find(window);
    if (w == nullptr) return {};
    // The command-line window answers with the current line; the others with their
    // text, or their title as DefWindowProc would.
    const std::string& text = window == commandLine_ ? host_->CommandLineText() : (w->text.empty() ? w->title : w->text);
    return Truncate(UpToZero(text), bufferSize);
}

bool SimDesktop::WindowExists(WindowHandle window) { return Find(window) != nullptr; }

void SimDesktop::SendCopyData(WindowHandle window, std::uintptr_t dwData, const std::string& payload) {
    ++calls.copyData;
    if (window != main_ || Find(window) == nullptr) return;
    // The stand-in reads the data as a zero-terminated string, as AutoCAD does.
    if (dwData == 1) {
        std::string text = UpToZero(payload);
        if (typingHook) typingHook(text);
        host_->Receive("copydata", text);
    } else if (dwData == 2) {
        dumpRequests.push_back(UpToZero(payload));
    }
}

void SimDesktop::PostNull(WindowHandle) { ++calls.postNull; }

void SimDesktop::SendPaste(WindowHandle window) {
    ++calls.paste;
    if (window == 0 || window != paste_ || Find(window) == nullptr) return;
    if (!clipboard) return;
    std::string text = UpToZero(*clipboard);
    if (typingHook) typingHook(text);
    host_->Receive("paste", text);
}

bool SimDesktop::OpenClipboard() {
    if (clipboardBusy > 0) {
        --clipboardBusy;
        return false;
    }
    return true;
}

bool SimDesktop::SetClipboardText(const std::string& text) {
    ++calls.setClipboard;
    if (!OpenClipboard()) return false;
    clipboard = text;
    return true;
}

bool SimDesktop::EmptyClipboard() {
    ++calls.emptyClipboard;
    if (!OpenClipboard()) return false;
    clipboard.reset();
    return true;
}

std::optional<std::string> SimDesktop::ClipboardText() {
    ++calls.readClipboard;
    if (!OpenClipboard()) return std::nullopt;
    std::string text = clipboard ? UpToZero(*clipboard) : std::string();
    calls.clipboardBytesRead += static_cast<long long>(text.size());
    return text;
}

void SimDesktop::SetForeground(WindowHandle window) {
    ++calls.foreground;
    if (Find(window) != nullptr) foreground = window;
}

void SimDesktop::PumpMessages() {
    ++calls.pump;
    if (closePosted_) {
        closePosted_ = false;
        if (onPaletteClose) onPaletteClose();
    }
    if (pumpHook) pumpHook();
}

void SimDesktop::WaitBriefly() {
    ++calls.wait;
    if (user_ && WindowExists(main_)) user_->Step(*host_);
}

}  // namespace tessavue::sim
