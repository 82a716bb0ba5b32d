#include "ui/tform1.h"

#include "host/busy_scope.h"
#include "import/listed_selection.h"
#include "import/selection_command.h"

#include "dxf_data/entity_table.h"

#include <exception>
#include <iterator>
#include <functional>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "dxf_data/str_to_float.h"

namespace tessavue {
namespace {

struct NumericField {
    Control edit;
    const char* caption;  // the caption beside the edit, which names it in messages
    const char* defaultText;
    bool mustBePositive;
};

constexpr NumericField kNumericFields[] = {
    {Control::Edit1, "高さ", "10", false},       {Control::Edit2, "直径", "10", true},
    {Control::Edit3, "Ｙ", "10", true},          {Control::Edit4, "Ｘ", "10", true},
    {Control::Edit5, "対辺", "10", true},        {Control::Edit6, "オフセット", "10", true},
    {Control::Edit7, "曲げ半径", "20", true},    {Control::Edit8, "丸棒直径", "10", true},
};

const NumericField* FindField(Control sender) {
    for (const auto& field : kNumericFields)
        if (field.edit == sender) return &field;
    return nullptr;
}

// Panels in the order their kinds are compared; "文字" and "オフセット" have none.
struct KindPanel {
    const char* kind;
    std::optional<Control> panel;
};

const KindPanel kKindPanels[] = {
    {"既存図形", Control::GroupBox2}, {"円", Control::GroupBox3},       {"四角", Control::GroupBox4},
    {"六角", Control::GroupBox5},     {"文字", std::nullopt},           {"寸法", Control::GroupBox6},
    {"丸棒曲げ", Control::GroupBox7}, {"オフセット", std::nullopt},     {"２面選択", Control::GroupBox8},
    {"既存軸", Control::GroupBox9},
};

constexpr Control kPanels[] = {Control::GroupBox2, Control::GroupBox3, Control::GroupBox4,
                               Control::GroupBox5, Control::GroupBox6, Control::GroupBox7,
                               Control::GroupBox8, Control::GroupBox9};

// Sets a flag for the lifetime of a scope, also when the scope is left by an exception.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

int TargetVersionItem(const std::string& version) {
    const int count = static_cast<int>(std::size(kTargetVersions));
    for (int i = 0; i < count; ++i)
        if (version == kTargetVersions[i]) return i;
    // The settings file writes the long name of this edition; the list has the short one.
    if (version == "LT 2006") return 2;
    return -1;
}

std::string MissingReadmeMessage() { return "マニュアルはありません。あしからず。\r\n\r\nm(_ _)m"; }

std::string VersionBoxText(const std::string& programFileName) {
    return std::string("バージョン情報\r\n\r\n") + kProductName + " " + programFileName + "\r\n\r\n" + kVersionText;
}

TForm1::TForm1(FormView& view, Desktop& desktop, ProfileFile& settingsFile, ProgramFiles files)
    : view_(view), host_(desktop, *this), settingsFile_(settingsFile), files_(std::move(files)) {}

void TForm1::ApplySettings(const PaletteSettings& settings) {
    host_.ApplyTargetVersion(settings.AutoCAD);
    view_.SetChecked(Control::menu_help_othr_sign, settings.InvertHeightSign);
    view_.SetChecked(Control::menu_help_othr_circ, settings.CircleHeightLines);
    view_.SetChecked(Control::menu_help_othr_a_ll, settings.ProjectAll);
    // The projection of every turned copy is chosen in the settings file only.
    view_.SetEnabled(Control::menu_help_othr_a_ll, false);
}

void TForm1::FormCreate() {
    host_.CommandLineFound = false;

    const WindowRect form = view_.FormBounds();
    const PaletteSettings defaults =
        DefaultSettings(view_.ScreenWidth(), view_.ScreenHeight(), form.width, form.height);
    const PaletteSettings settings = ReadPaletteSettings(settingsFile_, defaults);
    ApplySettings(settings);

    // A position saved on a monitor that has been removed since would leave the
    // palette where nobody can reach it.
    WindowRect placed{settings.Left, settings.Top, form.width, form.height};
    if (!view_.OnAnyScreen(placed)) {
        placed.left = defaults.Left;
        placed.top = defaults.Top;
    }
    view_.PlaceTopmost(placed);
    view_.SetCaption(std::string(kProductName) + " " + kVersionText);
    ClearEntityTable();

    // Each run starts without another run's exports.
    DeleteWorkingDxfFiles(files_);

    view_.SelectItem(Control::ComboBox1, 0);
    ComboBox1Change();

    // The panels are laid out side by side for editing; at run time they share the
    // place under the list.
    const int left = view_.Bounds(Control::GroupBox2).left;
    for (Control panel : kPanels)
        if (panel != Control::GroupBox2) view_.SetLeft(panel, left);
}

void TForm1::ComboBox1Change() {
    for (Control panel : kPanels) view_.SetVisible(panel, false);
    const std::string kind = view_.Text(Control::ComboBox1);
    for (const auto& entry : kKindPanels) {
        if (kind == entry.kind) {
            if (entry.panel) view_.SetVisible(*entry.panel, true);
            return;
        }
    }
}

void TForm1::Edit1Exit(Control sender) {
    // While a field's message box is up, Windows moves the focus and activation
    // around it; those echoes must not check fields again or stack boxes.
    if (validationBoxUp_) return;
    const NumericField* field = FindField(sender);
    if (field == nullptr) return;

    const std::optional<double> value = TryStrToFloat(view_.Text(field->edit));
    const char* complaint = nullptr;
    if (!value) {
        complaint = "には数値を入力して下さい。";
    } else if (field->mustBePositive && *value <= 0.0) {
        complaint = "には０より大きい数値を入力して下さい。";
    }
    if (complaint == nullptr) return;

    // The default goes in before the box shows, so any check that runs while the
    // box is up or right after it finds a valid field.
    view_.SetText(field->edit, field->defaultText);
    FlagScope boxUp(validationBoxUp_);
    view_.ShowConfirmation(std::string(field->caption) + complaint);
}

void TForm1::FormActivate() {
    if (validationBoxUp_) return;
    for (const auto& field : kNumericFields) Edit1Exit(field.edit);
}

void TForm1::EditFocusLost(Control sender, bool focusStaysInPalette) {
    if (focusStaysInPalette) Edit1Exit(sender);
}

void TForm1::FormClose() {
    DeleteWorkingDxfFiles(files_);

    PaletteSettings settings;
    const WindowRect bounds = view_.FormBounds();
    settings.Left = bounds.left;
    settings.Top = bounds.top;
    settings.AutoCAD = host_.TargetVersion;
    settings.InvertHeightSign = view_.Checked(Control::menu_help_othr_sign);
    settings.CircleHeightLines = view_.Checked(Control::menu_help_othr_circ);
    settings.ProjectAll = view_.Checked(Control::menu_help_othr_a_ll);
    if (!WritePaletteSettings(settingsFile_, settings))
        view_.ShowError("設定ファイルに書き込めませんでした。位置とオプションは保存されていません。");
}

void TForm1::menu_help_helpClick() {
    std::error_code error;
    if (!std::filesystem::is_regular_file(files_.readme, error)) {
        view_.ShowInformation(MissingReadmeMessage());
        return;
    }
    // Notepad opens it from the program's folder; the palette does not wait for it.
    view_.StartNotepad(files_.directory, "readme.txt");
}

void TForm1::menu_help_catcClick() { host_.CaptureHost(); }

void TForm1::menu_help_versClick() { view_.ShowInformation(VersionBoxText(files_.programFileName)); }

void TForm1::menu_help_othr_signClick() {
    view_.SetChecked(Control::menu_help_othr_sign, !view_.Checked(Control::menu_help_othr_sign));
}

void TForm1::menu_help_othr_circClick() {
    view_.SetChecked(Control::menu_help_othr_circ, !view_.Checked(Control::menu_help_othr_circ));
}

void TForm1::menu_help_othr_a_llClick() {
    view_.SetChecked(Control::menu_help_othr_a_ll, !view_.Checked(Control::menu_help_othr_a_ll));
}

void TForm1::menu_help_othr_trgtClick() {
    // The list always opens on the edition in use, or on nothing: never on an item
    // chosen in an earlier opening that was cancelled.
    const int current = TargetVersionItem(host_.TargetVersion);
    const TargetVersionAnswer answer = view_.RunTargetVersionDialog(current);
    if (!answer.confirmed) return;
    // Only a different choice replaces the text: Ok with nothing chosen, or on the
    // edition already served, keeps the stored text (an "LT 2006" stays "LT 2006"),
    // so confirming can never leave an edition no capture would find.
    std::string version = host_.TargetVersion;
    if (answer.item >= 0 && answer.item < static_cast<int>(std::size(kTargetVersions)) && answer.item != current)
        version = kTargetVersions[answer.item];
    host_.ApplyTargetVersion(version);
    host_.CaptureHost();
}

void TForm1::Button6Click() { view_.ShowPicture(HelpPicture::Dimension); }
void TForm1::Button9Click() { view_.ShowPicture(HelpPicture::TwoFace); }
void TForm1::Button12Click() { view_.ShowPicture(HelpPicture::ExistingAxis); }

void TForm1::Button1Click() {
    SelectionCommand command{host_, files_, pathText_, setBusy_,
                             view_.Checked(Control::menu_help_othr_a_ll)};
    RunSelectionCommand(command, selectionBase_);
}

void TForm1::Button2Click(Control sender) {
    constexpr Control kDirectionButtons[] = {Control::Button2, Control::Button3, Control::Button4, Control::Button5};
    std::int32_t faceCode = -1;
    for (std::int32_t i = 0; i < 4; ++i)
        if (kDirectionButtons[i] == sender) faceCode = i;
    if (faceCode < 0) return;

    DrawRequest request;
    request.FaceCode = faceCode;
    request.FigureKind = view_.Text(Control::ComboBox1);
    request.HeightText = view_.Text(Control::Edit1);
    request.InvertHeightSign = view_.Checked(Control::menu_help_othr_sign);
    request.HeightLines = view_.Checked(Control::CheckBox1);
    request.CircleHeightLines = view_.Checked(Control::menu_help_othr_circ);
    request.ProjectAll = view_.Checked(Control::menu_help_othr_a_ll);
    request.SelectionBase = selectionBase_;
    request.DiameterText = view_.Text(Control::Edit2);
    request.YSideText = view_.Text(Control::Edit3);
    request.XSideText = view_.Text(Control::Edit4);
    request.AcrossFlatsText = view_.Text(Control::Edit5);
    request.HexagonVertical = view_.Checked(Control::RadioButton1);
    request.AxisCentre = axisCentre_;
    request.AxisOutline = axisOutline_;
    request.TopFace = topFace_;
    request.FrontFace = frontFace_;
    request.BendRadiusText = view_.Text(Control::Edit7);
    request.BarDiameterText = view_.Text(Control::Edit8);
    request.DimensionOffsetText = view_.Text(Control::Edit6);
    DrawCommand command{host_, *this, files_, pathText_, setBusy_, clock_};
    RunDrawCommand(command, request);
}

bool TForm1::RunInHost(const std::function<void()>& steps) {
    // The two-face and axis buttons stay pressable while a command waits for AutoCAD
    // (so that their help stays at hand); a press then would type into the open prompt.
    if (depth_ > 1) return false;
    if (!host_.EnsureCaptured()) return false;
    BusyScope busy(setBusy_);
    host_.desktop().SetForeground(host_.HostMainWindow);
    steps();
    return true;
}

void TForm1::Button7Click(Control sender) {
    if (sender != Control::Button7 && sender != Control::Button8) return;
    const bool top = sender == Control::Button7;
    const Control label = top ? Control::Label9 : Control::Label10;
    RunInHost([&] {
        PickFacePoints(host_, top ? topFace_ : frontFace_,
                       [this, label](int count) { view_.SetText(label, std::to_string(count)); });
    });
}

void TForm1::Button10Click(Control sender) {
    if (sender != Control::Button10 && sender != Control::Button11) return;
    std::string message;
    RunInHost([&] {
        message = sender == Control::Button10 ? SelectCentreLine(host_, axisCentre_) : SelectOutline(host_, axisOutline_);
    });
    // Told once the palette is free again.
    if (!message.empty()) ShowConfirmation(message);
}

void TForm1::SetPaletteBusy(bool busy) {
    const bool enabled = !busy;
    view_.SetEnabled(Control::menu_help, enabled);
    view_.SetEnabled(Control::ComboBox1, enabled);
    view_.SetVisible(Control::GroupBox1, enabled);
    view_.SetEnabled(Control::GroupBox2, enabled);
    view_.SetEnabled(Control::Button1, enabled);
    for (Control panel : {Control::GroupBox3, Control::GroupBox4, Control::GroupBox5, Control::GroupBox6,
                          Control::GroupBox7})
        view_.SetEnabled(panel, enabled);
}

void TForm1::RunHandler(const std::function<void()>& handler) {
    if (destroyed_) return;
    ++depth_;
    try {
        handler();
    } catch (const std::exception& e) {
        ShowErrorSafely(e.what());
    } catch (...) {
        ShowErrorSafely("予期しないエラーが発生しました。");
    }
    --depth_;
    if (depth_ == 0 && closePending_ && !destroyed_) {
        // Marked first: messages dispatched while FormClose shows a box find the form
        // gone and run nothing.
        destroyed_ = true;
        try {
            FormClose();
        } catch (const std::exception& e) {
            ShowErrorSafely(e.what());
        } catch (...) {
            ShowErrorSafely("予期しないエラーが発生しました。");
        }
        try {
            view_.DestroyForm();
        } catch (...) {
            // Nothing left to report to: the window is going away.
        }
    }
}

void TForm1::ShowErrorSafely(const char* text) {
    try {
        view_.ShowError(text);
    } catch (...) {
        // The error box itself failed; the message loop must go on regardless.
    }
    // A handler nested in another one's wait leaves the busy state to the outer
    // command, which is still running and ends it on its own path.
    if (depth_ != 1) return;
    try {
        SetPaletteBusy(false);
    } catch (...) {
        // As above: nothing may leave the boundary.
    }
}

void TForm1::FormCloseQuery() {
    closePending_ = true;
    host_.AbandonWaits();
}

}  // namespace tessavue
