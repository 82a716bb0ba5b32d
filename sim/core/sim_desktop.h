// An in-process desktop on which the stand-in runs, for the palette's native
// integration tests: the stand-in's windows (main window, command-line text window,
// the LT 2006 paste window, AutoCAD's text window) behave as the real program's do,
// the two transports type into the stand-in, and the scripted user acts whenever the
// palette waits briefly. Tests can add windows, take the stand-in's windows away (as if
// it had been killed), look at the clipboard and count calls.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host.h"
#include "host/desktop.h"
#include "scripted_user.h"

namespace tessavue::sim {

class SimDesktop : public tessavue::Desktop {
public:
    explicit SimDesktop(Edition edition = Edition::LT2000);

    SimHost& host() { return *host_; }
    const SimHost& host() const { return *host_; }

    WindowHandle MainWindow() const { return main_; }
    WindowHandle CommandLineWindow() const { return commandLine_; }
    WindowHandle PasteWindow() const { return paste_; }  // 0 for LT 2000 / 2002
    WindowHandle TextWindow() const { return textWindow_; }

    // A further window: top-level when `parent` is 0. Its title is what GetWindowTextA
    // gives, its text what WM_GETTEXT gives.
    WindowHandle AddWindow(WindowHandle parent, std::string title, std::string className, std::string text);
    // The stand-in's windows vanish, as when the program is killed.
    void RemoveHostWindows();
    // AutoCAD started again after it was closed: a new stand-in host with new windows
    // (of the same edition) and an empty drawing; the old windows are gone.
    void StartNewHost();

    // Arms a fault for the `n`-th command the palette types into the host from now
    // (see sim::Fault). Quit takes the host's windows away, Clipboard holds the
    // clipboard until ReleaseClipboard, PaletteClose posts the close to the palette:
    // onPaletteClose runs at the palette's next PumpMessages, as a WM_CLOSE would.
    void ArmFault(std::size_t n, Fault fault) { host_->ArmFault(n, fault); }
    std::function<void()> onPaletteClose;
    // The other program lets the clipboard go.
    void ReleaseClipboard() { clipboardBusy = 0; }

    void SetUser(ScriptedUser user) { user_ = std::move(user); }
    ScriptedUser* user() { return user_ ? &*user_ : nullptr; }

    // Called by PumpMessages (the palette's own queue), when set.
    std::function<void()> pumpHook;
    // Called with each text the palette types, before the stand-in takes it. It may
    // change the text: what the stand-in then receives is the palette's typing with
    // the user's own keys mixed in (an Esc in the middle of a command, say).
    std::function<void(std::string&)> typingHook;

    // The clipboard as the tests see it: nullopt when it holds no text.
    std::optional<std::string> clipboard;
    // The next this-many clipboard openings fail, as when another program holds it.
    int clipboardBusy = 0;

    struct Calls {
        int copyData = 0;
        int postNull = 0;
        int paste = 0;
        int setClipboard = 0;
        int emptyClipboard = 0;
        int readClipboard = 0;
        long long clipboardBytesRead = 0;  // the text the readings gave, all told
        int foreground = 0;
        int pump = 0;
        int wait = 0;
        int windowText = 0;
    };
    Calls calls;
    WindowHandle foreground = 0;
    // Paths asked for by WM_COPYDATA with dwData 2 (write a dump), in order.
    std::vector<std::string> dumpRequests;

    // tessavue::Desktop
    std::vector<WindowHandle> TopLevelWindows() override;
    std::vector<WindowHandle> DescendantWindows(WindowHandle parent) override;
    std::optional<std::string> WindowTitle(WindowHandle window, std::size_t bufferSize) override;
    std::string ClassName(WindowHandle window, std::size_t bufferSize) override;
    std::string WindowText(WindowHandle window, std::size_t bufferSize) override;
    bool WindowExists(WindowHandle window) override;
    void SendCopyData(WindowHandle window, std::uintptr_t dwData, const std::string& payload) override;
    void PostNull(WindowHandle window) override;
    void SendPaste(WindowHandle window) override;
    bool SetClipboardText(const std::string& text) override;
    bool EmptyClipboard() override;
    std::optional<std::string> ClipboardText() override;
    void SetForeground(WindowHandle window) override;
    void PumpMessages() override;
    void WaitBriefly() override;

private:
    struct Window {
        WindowHandle handle = 0;
        WindowHandle parent = 0;
        std::string title;
        std::string className;
        std::string text;
        bool alive = true;
        bool hosts = false;  // one of the stand-in's own windows
    };

    Window* Find(WindowHandle handle);
    WindowHandle Create(WindowHandle parent, std::string title, std::string className, std::string text, bool hosts);
    bool OpenClipboard();
    bool IsDescendant(const Window& w, WindowHandle ancestor);

    void CreateHostWindows();
    void ConnectHost();

    std::unique_ptr<SimHost> host_;
    Edition edition_;
    bool closePosted_ = false;
    std::vector<Window> windows_;
    WindowHandle nextHandle_ = 0x10010;
    WindowHandle main_ = 0;
    WindowHandle commandLine_ = 0;
    WindowHandle paste_ = 0;
    WindowHandle textWindow_ = 0;
    std::optional<ScriptedUser> user_;
};

}  // namespace tessavue::sim
