// A palette without a window: the form's logic writes control states into maps and
// its message boxes into a log, so tests can read both back.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/form_view.h"
#include "ui/tform1.h"

namespace tessavue::testing {

struct ShownBox {
    std::string kind;  // "確認", "情報" or "error"
    std::string text;
};

class FakeFormView : public FormView {
public:
    FakeFormView() {
        // The panels as they are laid out before start-up: side by side.
        int left = 0;
        for (int id = ControlId(Control::GroupBox2); id <= ControlId(Control::GroupBox9); ++id) {
            bounds[static_cast<Control>(id)] = {left, 56, 113, 89};
            left += 120;
        }
        bounds[Control::GroupBox1] = {0, 152, 113, 137};
        for (int id = ControlId(Control::Edit1); id <= ControlId(Control::Edit8); ++id)
            texts[static_cast<Control>(id)] = id == ControlId(Control::Edit7) ? "20" : "10";
    }

    std::string Text(Control c) override {
        if (c == Control::ComboBox1)
            return comboIndex >= 0 && comboIndex < 10 ? kFigureKinds[comboIndex] : std::string();
        return texts[c];
    }
    void SetText(Control c, const std::string& text) override {
        texts[c] = text;
        log.push_back("text");
    }
    bool Enabled(Control c) override { return !disabled.count(c) || !disabled[c]; }
    void SetEnabled(Control c, bool enabled) override {
        disabled[c] = !enabled;
        log.push_back("enable");
    }
    bool Visible(Control c) override { return !hidden.count(c) || !hidden[c]; }
    void SetVisible(Control c, bool visible) override { hidden[c] = !visible; }
    bool Checked(Control c) override { return checked[c]; }
    void SetChecked(Control c, bool value) override { checked[c] = value; }
    void SelectItem(Control c, int index) override {
        if (c == Control::ComboBox1) comboIndex = index;
    }
    WindowRect Bounds(Control c) override { return bounds[c]; }
    void SetLeft(Control c, int left) override { bounds[c].left = left; }

    WindowRect FormBounds() override { return form; }
    int ScreenWidth() override { return screenWidth; }
    int ScreenHeight() override { return screenHeight; }
    void PlaceTopmost(const WindowRect& r) override {
        form = r;
        ++topmostPlacements;
        log.push_back("topmost");
    }
    bool OnAnyScreen(const WindowRect& r) override {
        // One monitor at the origin; touching it at all counts, as MonitorFromRect has it.
        return r.left < screenWidth && r.top < screenHeight && r.left + r.width > 0 && r.top + r.height > 0;
    }
    void StartNotepad(const std::filesystem::path& directory, const std::string& parameter) override {
        notepadStarts.push_back({directory, parameter});
    }
    void SetCaption(const std::string& text) override { caption = text; }
    void DestroyForm() override {
        ++destroyed;
        log.push_back("destroy");
    }

    void ShowPicture(HelpPicture picture) override { pictures.push_back(picture); }
    TargetVersionAnswer RunTargetVersionDialog(int item) override {
        dialogOpenings.push_back(item);
        return dialogAnswer ? dialogAnswer(item) : TargetVersionAnswer{};
    }

    void ShowConfirmation(const std::string& text) override { Show("確認", text); }
    void ShowInformation(const std::string& text) override { Show("情報", text); }
    void ShowError(const std::string& text) override { Show("error", text); }

    std::map<Control, std::string> texts;
    std::map<Control, bool> disabled;
    std::map<Control, bool> hidden;
    std::map<Control, bool> checked;
    std::map<Control, WindowRect> bounds;
    int comboIndex = -1;
    WindowRect form{0, 0, 119, 336};
    int screenWidth = 1024;
    int screenHeight = 768;
    int topmostPlacements = 0;
    std::vector<std::pair<std::filesystem::path, std::string>> notepadStarts;
    std::string caption;
    int destroyed = 0;

    std::vector<HelpPicture> pictures;
    // The item each opening of the target-version dialog selected, and what the user
    // does in it (cancel when unset).
    std::vector<int> dialogOpenings;
    std::function<TargetVersionAnswer(int)> dialogAnswer;

    std::vector<ShownBox> boxes;
    std::vector<std::string> log;
    // Runs while a box is "up", as the window messages Windows sends around a
    // modal box would.
    std::function<void(const ShownBox&)> whileBoxUp;

private:
    void Show(const std::string& kind, const std::string& text) {
        boxes.push_back({kind, text});
        log.push_back("box:" + kind);
        const ShownBox shown = boxes.back();
        if (whileBoxUp) whileBoxUp(shown);
    }
};

// A click on a button as the palette's window procedure would run it: the handler the
// button is wired to, inside the form's handler frame.
inline void PressButton(TForm1& form, Control button) {
    form.RunHandler([&form, button] {
        if (button == Control::Button1) form.Button1Click();
        else if (button == Control::Button7 || button == Control::Button8) form.Button7Click(button);
        else if (button == Control::Button10 || button == Control::Button11) form.Button10Click(button);
        else form.Button2Click(button);
    });
}

}  // namespace tessavue::testing
