// The palette window's logic: start-up and close with the settings file, panel
// switching by figure kind, the checks of the numeric fields, the busy state, the menu
// actions, and the boundary every window message passes through. No Win32 here: the
// controls are reached through FormView, AutoCAD through the HostLink this form owns,
// the settings file through ProfileFile.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "draw/draw_command.h"
#include "host/desktop.h"
#include "host/history_queries.h"
#include "host/host_link.h"
#include "import/listed_selection.h"
#include "host/palette.h"
#include "ui/controls.h"
#include "ui/form_view.h"
#include "ui/settings.h"

namespace tessavue {

inline constexpr const char* kProductName = "Tessavue";
inline constexpr const char* kVersionText = "Ver.1.20";

// The figure kinds in ComboBox1's order.
inline constexpr const char* kFigureKinds[] = {
    "既存図形", "既存軸", "円", "四角", "六角", "丸棒曲げ", "文字", "寸法", "オフセット", "２面選択",
};

// The editions the target-version dialog offers, in its list's order.
inline constexpr const char* kTargetVersions[] = {"LT 2000", "2002", "2006"};
// The item of that list serving the same edition as `version`: the item of the same
// text, and "2006" for the "LT 2006" a settings file may hold. -1 when none does.
int TargetVersionItem(const std::string& version);

// The two texts of the Help menu's own boxes.
std::string MissingReadmeMessage();
// `programFileName`: the program's file name (name and extension) as Shift-JIS.
std::string VersionBoxText(const std::string& programFileName);

class TForm1 : public MessageSink {
public:
    // `settingsFile` is the INI file at `files.settings`.
    TForm1(FormView& view, Desktop& desktop, ProfileFile& settingsFile, ProgramFiles files);
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    HostLink& Host() { return host_; }
    FormView& View() { return view_; }
    const ProgramFiles& Files() const { return files_; }

    // --- Event handlers -------------------------------------------------------
    void FormCreate();
    // The palette is closing: deletes the DXF working files and writes the settings.
    // Runs once, right before the window is destroyed.
    void FormClose();
    void ComboBox1Change();
    // Shared by the focus-leave events of Edit1 .. Edit8; other senders are ignored.
    void Edit1Exit(Control sender);
    // Activation of the palette, and the top-level Help menu before it opens.
    void FormActivate();
    void menu_help_helpClick();
    void menu_help_catcClick();
    void menu_help_versClick();
    void menu_help_othr_signClick();
    void menu_help_othr_circClick();
    void menu_help_othr_a_llClick();
    // 対象バージョン: the user chooses the edition served; Ok applies it and captures.
    void menu_help_othr_trgtClick();
    // The "!" buttons of the 寸法, ２面選択 and 既存軸 panels: their picture windows.
    void Button6Click();
    void Button9Click();
    void Button12Click();
    // 選択: the user selects the existing figure in AutoCAD and picks its base point.
    void Button1Click();
    // The four direction buttons; any other sender does nothing.
    void Button2Click(Control sender);
    // 上面 (Button7) / 正面 (Button8): the user picks the points of that view in
    // AutoCAD; Label9 / Label10 count them.
    void Button7Click(Control sender);
    // 中心線 (Button10) / 外形線 (Button11): the user selects them in AutoCAD.
    void Button10Click(Control sender);

    // How a path becomes the Shift-JIS text typed into AutoCAD; the platform sets its
    // conversion, the default is the path's own narrow form.
    void SetPathText(PathText pathText) { pathText_ = std::move(pathText); }
    // The clock that names the figure files (tests fix it).
    void SetClock(LocalClock clock) { clock_ = std::move(clock); }
    const PlanPoint& SelectionBase() const { return selectionBase_; }

    // An edit lost the focus. Only a real leave (the focus went to another control of
    // the palette) is checked: the focus also leaves for the palette's own message
    // boxes and for AutoCAD, and activation checks every field when it comes back.
    void EditFocusLost(Control sender, bool focusStaysInPalette);

    // Disables or hides the controls that would start another command while one
    // drives AutoCAD. Keeps no count: the first call with false ends the busy state.
    void SetPaletteBusy(bool busy);

    // --- The boundary of every window message ---------------------------------
    // Runs `handler`; an exception it lets out is shown in the application's error
    // box and the palette is made un-busy; then returns so the message loop goes on.
    // A close asked for while handlers run completes when the outermost returns.
    void RunHandler(const std::function<void()>& handler);
    // The user (or the system) asks the palette to close. Any wait on AutoCAD ends
    // at once; the window is destroyed when no handler is running any more.
    void FormCloseQuery();
    bool ClosePending() const { return closePending_; }
    int RunningHandlers() const { return depth_; }

    // --- MessageSink: the host link's message boxes -----------------------------
    void ShowConfirmation(const std::string& text) override { view_.ShowConfirmation(text); }
    void ShowInformation(const std::string& text) override { view_.ShowInformation(text); }

private:
    void ApplySettings(const PaletteSettings& settings);
    void ShowErrorSafely(const char* text);
    // Runs `steps` with the palette busy and AutoCAD in front. False, without running
    // them, inside another command's wait or when AutoCAD cannot be captured.
    bool RunInHost(const std::function<void()>& steps);

    FormView& view_;
    HostLink host_;
    ProfileFile& settingsFile_;
    ProgramFiles files_;
    bool validationBoxUp_ = false;
    int depth_ = 0;
    bool closePending_ = false;
    bool destroyed_ = false;
    PlanPoint selectionBase_;
    std::optional<ListedLine> axisCentre_;                // 既存軸: none until one is chosen
    std::optional<std::vector<ListedLine>> axisOutline_;  // 既存軸: the last 外形線 selection
    FacePointLists topFace_;                              // ２面選択
    FacePointLists frontFace_;
    PathText pathText_ = [](const std::filesystem::path& path) { return path.string(); };
    LocalClock clock_ = CurrentLocalTime;
    const std::function<void(bool)> setBusy_ = [this](bool on) { SetPaletteBusy(on); };
};

}  // namespace tessavue
