// The palette's controls as the form's logic sees them. The Win32 window implements
// it (ui/win32); the unit tests use a fake. Every text is Shift-JIS.
#pragma once

#include <filesystem>
#include <string>

#include "ui/controls.h"

namespace tessavue {

// The three picture help windows, each explaining one figure kind's inputs.
enum class HelpPicture { Dimension, TwoFace, ExistingAxis };

// How the target-version dialog was closed.
struct TargetVersionAnswer {
    bool confirmed = false;  // with Ok; any other way is a cancel
    int item = -1;           // the list's selected item then; -1 for none
};

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

class FormView {
public:
    virtual ~FormView() = default;

    // Caption of a control; for ComboBox1 the text of the selected item (empty when
    // none is selected).
    virtual std::string Text(Control control) = 0;
    virtual void SetText(Control control, const std::string& text) = 0;

    // Enabled state of a control or a menu item (menu_help stands for the whole menu).
    virtual bool Enabled(Control control) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual bool Visible(Control control) = 0;
    virtual void SetVisible(Control control, bool visible) = 0;
    // Check mark of a check box, a radio button or a menu item.
    virtual bool Checked(Control control) = 0;
    virtual void SetChecked(Control control, bool checked) = 0;

    // Selects item `index` of a list control without running its change handler.
    virtual void SelectItem(Control control, int index) = 0;
    // Position of a control relative to its parent.
    virtual WindowRect Bounds(Control control) = 0;
    virtual void SetLeft(Control control, int left) = 0;

    // The palette window itself: its outer size, the screen's size, placing it above
    // every non-topmost window (and showing it), and its caption.
    virtual WindowRect FormBounds() = 0;
    virtual int ScreenWidth() = 0;
    virtual int ScreenHeight() = 0;
    virtual void PlaceTopmost(const WindowRect& bounds) = 0;
    // Whether a window at `bounds` would show at least in part on some monitor.
    virtual bool OnAnyScreen(const WindowRect& bounds) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Destroys the palette window; the program ends once it is gone.
    virtual void DestroyForm() = 0;

    // Starts Notepad with `parameter` in `directory` and returns without waiting.
    virtual void StartNotepad(const std::filesystem::path& directory, const std::string& parameter) = 0;

    // Shows a picture help window without waiting; one already shown comes to the
    // front. A window that comes up from hidden is centred on the desktop.
    virtual void ShowPicture(HelpPicture picture) = 0;
    // Runs the target-version dialog modally, its list opening with item `item`
    // selected (-1: none), and tells how it was closed.
    virtual TargetVersionAnswer RunTargetVersionDialog(int item) = 0;

    // Modal boxes owned by the palette, each with one OK button: the confirmation
    // type (title "確認"), the information type (title "情報"), and the application's
    // error box for an error that escaped a handler.
    virtual void ShowConfirmation(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;
};

}  // namespace tessavue
