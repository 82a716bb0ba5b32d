// The palette as a Win32 window: creates the window, its controls and menu, answers
// the form's view calls with the wide Win32 calls (captions converted from code page
// 932), and turns window messages into the form's handlers. Every entry from the
// window procedures goes through TForm1::RunHandler.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <string>

#include "ui/form_view.h"
#include "ui/tform1.h"
#include "ui/win32/secondary_windows.h"

namespace tessavue {

class PaletteWindow final : public FormView {
public:
    explicit PaletteWindow(HINSTANCE instance);
    ~PaletteWindow() override;
    PaletteWindow(const PaletteWindow&) = delete;
    PaletteWindow& operator=(const PaletteWindow&) = delete;

    // Creates the window (hidden) with every control. False when Windows refused.
    bool Create();
    // From here on window messages run the form's handlers.
    void Attach(TForm1& form) { form_ = &form; }
    HWND Handle() const { return hwnd_; }
    // Dialog-style keyboard handling (Tab between controls); true when it took `msg`.
    bool DialogFilter(MSG& msg);

    // FormView
    std::string Text(Control control) override;
    void SetText(Control control, const std::string& text) override;
    bool Enabled(Control control) override;
    void SetEnabled(Control control, bool enabled) override;
    bool Visible(Control control) override;
    void SetVisible(Control control, bool visible) override;
    bool Checked(Control control) override;
    void SetChecked(Control control, bool checked) override;
    void SelectItem(Control control, int index) override;
    WindowRect Bounds(Control control) override;
    void SetLeft(Control control, int left) override;
    WindowRect FormBounds() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    void PlaceTopmost(const WindowRect& bounds) override;
    bool OnAnyScreen(const WindowRect& bounds) override;
    void StartNotepad(const std::filesystem::path& directory, const std::string& parameter) override;
    void ShowPicture(HelpPicture picture) override;
    TargetVersionAnswer RunTargetVersionDialog(int item) override;
    void SetCaption(const std::string& caption) override;
    void DestroyForm() override;
    void ShowConfirmation(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    void ShowError(const std::string& text) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK GroupBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code, HWND control);
    void Run(void (TForm1::*handler)());

    HWND CreateControl(Control id, Control parent, const wchar_t* className, const char* caption, DWORD style,
                       DWORD exStyle, int x, int y, int width, int height);
    void CreateControls();
    void CreateMainMenu();
    bool CreateSecondaryWindows();
    HWND Item(Control control) const;
    bool IsMenuItem(Control control) const;
    void ShowBox(const std::string& text, const char* title, UINT icon);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HMENU menuBar_ = nullptr;
    HMENU helpMenu_ = nullptr;
    HFONT font_ = nullptr;
    HBRUSH faceBrush_ = nullptr;
    TForm1* form_ = nullptr;
    std::map<Control, HWND> controls_;
    // In HelpPicture's order.
    std::array<std::unique_ptr<PictureHelpWindow>, 3> pictures_;
    std::unique_ptr<TargetVersionDialog> versionDialog_;
    std::map<HWND, WNDPROC> originalProcs_;
    // Where the focus went when an edit last lost it (its WM_KILLFOCUS), so that the
    // EN_KILLFOCUS that follows can tell a move inside the palette from one away.
    HWND lastFocusTarget_ = nullptr;
    // The control that had the focus when the palette was deactivated.
    HWND savedFocus_ = nullptr;
};

}  // namespace tessavue
