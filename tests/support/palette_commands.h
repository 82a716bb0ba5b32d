// Every command of the palette that changes the drawing, run on the in-process stand-in
// as a user runs it: a palette form over a fake view, the stand-in's desktop, a plan
// whose points AutoCAD shows rounded at any precision, and for each command what it needs
// done first, what the user answers at AutoCAD and the button pressed. The fault runs
// stop these commands at each step; the round-trip benchmark counts what they type.
//
//   World       the palette and the stand-in, with the user's answers given as the
//               palette waits (HostAnswers)
//   Commands()  one row a command: 選択, 既存図形, 円, 四角, 六角, 既存軸, ２面選択,
//               丸棒曲げ, オフセット, 文字, 寸法
//   Ready(row)  a world in which the row's button is the next thing pressed
#pragma once

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/sim_desktop.h"
#include "fake_form_view.h"
#include "fake_profile_file.h"
#include "fault_runs.h"
#include "temp_folder.h"
#include "ui/tform1.h"

namespace tessavue::testing {

using sim::Edition;
using sim::Point;

// The user's own settings, none of them AutoCAD's defaults, so a missed put-back shows.
constexpr int kUserUnits = 4;
constexpr int kUserPrecision = 3;
// A wait that goes on this many rounds after the fault is taken for a hang; the run
// abandons it so that the test fails instead of hanging.
constexpr int kHangRounds = 20000;
// The plan, with points that AutoCAD shows rounded at any precision.
const Point kLineA{100.14063885583995, 200.89259015094285};
const Point kLineB{140.26409564485229, 201.20990003712664};
const Point kCentre{120.31830988618379, 215.70710678118655};
constexpr double kRadius = 5.196152422706632;
const Point kPolyline[] = {{150.5773502691896, 200.33333333333334}, {170.1234567890123, 200.33333333333334},
                           {170.1234567890123, 230.98765432109876}};
const Point kAxisFrom{-200.5, 0.25};
const Point kAxisTo{-200.5, 100.25};

inline Point Mid(Point a, Point b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

class World {
public:
    explicit World(Edition edition)
        : edition_(edition),
          desktop(edition),
          form(view, desktop, profile, DeriveProgramFiles(folder.path() / "tessavue.exe", "tessavue.exe")) {
        form.FormCreate();
        form.Host().ApplyTargetVersion(edition == Edition::LT2006 ? "LT 2006" : "LT 2000");
        form.SetClock([] { return LocalTime{2026, 12, 8, 13, 14, 15}; });
        auto& d = desktop.host().drawing();
        d.linearUnits = kUserUnits;
        d.unitPrecision = kUserPrecision;
        d.AddLine(kLineA, kLineB);
        d.AddCircle(kCentre, kRadius);
        d.AddPolyline({kPolyline[0], kPolyline[1], kPolyline[2]}, false);
        d.AddLine(kAxisFrom, kAxisTo);
        d.AddLine({-200.5, 100.25}, {-180.75, 100.25});
        d.AddLine({-180.75, 100.25}, {-180.75, 60.5});
        d.AddLine({-180.75, 60.5}, {-170.25, 0.25});
        desktop.pumpHook = [this] {
            ++rounds;
            if (desktop.host().FaultFired()) ++roundsAfterFault;
            if (roundsAfterFault > kHangRounds && !hung) {
                hung = true;
                form.Host().AbandonWaits();
            }
            // A user who closed the palette picks nothing more in AutoCAD.
            if (!form.ClosePending()) answers.Step(desktop.host());
        };
        desktop.onPaletteClose = [this] { form.FormCloseQuery(); };
    }

    void Press(Control button) { PressButton(form, button); }
    bool Busy() { return !view.Enabled(Control::menu_help); }
    std::vector<ShownBox> TakeBoxes() {
        std::vector<ShownBox> boxes = view.boxes;
        view.boxes.clear();
        return boxes;
    }
    // Files a stopped command must not leave: the figure files and the offset file.
    std::vector<std::string> LeftFiles() const {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("ip", 0) == 0 || name == "ofst.dxf") left.push_back(name);
        }
        return left;
    }
    bool Exists(const std::filesystem::path& file) const { return std::filesystem::exists(file); }
    Edition edition() const { return edition_; }

    Edition edition_;
    TempFolder folder{"tessavue-faults"};
    FakeFormView view;
    sim::SimDesktop desktop;
    FakeProfileFile profile;
    TForm1 form;
    HostAnswers answers;
    int rounds = 0;
    int roundsAfterFault = 0;
    bool hung = false;
};

// One command of the palette: what it needs done first (run without a fault), what
// the user answers at AutoCAD, and the button pressed.
struct CommandRow {
    const char* name;
    int kind;  // the figure-kind list's item
    std::function<void(World&)> setup;
    std::function<void(HostAnswers&)> answers;
    Control button;
    bool selection = false;  // 選択: the drawing ends as it began
    bool text = false;       // 文字: the user's own text may stay, as written
};

inline void SelectPlan(HostAnswers& a) {
    a.selections = {{Mid(kLineA, kLineB), {kCentre.x + kRadius, kCentre.y}, Mid(kPolyline[0], kPolyline[1])}};
    a.ids = {kLineA};
}

inline void MakeTemplate(World& w) {
    w.view.comboIndex = 3;
    w.answers = {};
    w.answers.ids = {{50.25, 50.75}};
    w.answers.insertAt = Point{-600.125, -300.375};
    w.Press(Control::Button2);
}

const Point kInsertAt{512.3456789012345, 300.98765432109876};

inline std::vector<CommandRow> Commands() {
    const Point dim1{300.14063885583995, 500.89259015094285};
    const Point dim2{dim1.x + 40.123456789012345 * std::cos(std::acos(-1.0) / 6),
                     dim1.y + 40.123456789012345 * 0.5};
    return {
        {"選択", 0, [](World& w) { w.view.checked[Control::menu_help_othr_a_ll] = true; }, SelectPlan,
         Control::Button1, true},
        {"既存図形", 0,
         [](World& w) {
             w.view.checked[Control::menu_help_othr_a_ll] = true;
             w.view.checked[Control::CheckBox1] = true;
             SelectPlan(w.answers);
             w.Press(Control::Button1);
         },
         [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button2},
        {"円", 2, {}, [](HostAnswers& a) {
             a.ids = {{50.25, 50.75}};
             a.insertAt = kInsertAt;
         },
         Control::Button3},
        {"四角", 3, MakeTemplate, [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button4},
        {"六角", 4, MakeTemplate, [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button5},
        {"既存軸", 1,
         [](World& w) {
             MakeTemplate(w);
             w.answers = {};
             w.answers.selections = {{Mid(kAxisFrom, kAxisTo)},
                                     {{-190.625, 100.25}, {-180.75, 80.375}, {-175.5, 30.375}}};
             w.Press(Control::Button10);
             w.Press(Control::Button11);
         },
         [](HostAnswers& a) { a.insertAt = kInsertAt; }, Control::Button2},
        {"２面選択", 9,
         [](World& w) {
             w.answers = {};
             w.answers.ids = {{0.5, 0.25}, {10.75, 0.25}, {10.75, 5.125}};
             w.Press(Control::Button7);
             w.answers.ids = {{0.5, 0.25}, {10.75, 0.25}, {10.75, 8.375}};
             w.Press(Control::Button8);
         },
         [](HostAnswers& a) { a.ids = {{600.5, 500.25}}; }, Control::Button3},
        {"丸棒曲げ", 5, {}, [](HostAnswers& a) { a.ids = {{300.125, 300.875}}; }, Control::Button4},
        {"オフセット", 8, [](World& w) { w.view.checked[Control::CheckBox1] = true; },
         [](HostAnswers& a) { a.selections = {{Mid(kLineA, kLineB), Mid(kPolyline[1], kPolyline[2])}}; },
         Control::Button5},
        {"文字", 6, {}, [](HostAnswers& a) { a.text = HostAnswers::Text{{400.3333333333333, 400.6666666666667}, "5.5", "ABC"}; },
         Control::Button2, false, true},
        {"寸法", 7, {}, [dim1, dim2](HostAnswers& a) { a.ids = {dim1, dim2, Mid(dim1, dim2)}; }, Control::Button2},
    };
}

// The command's world made ready: the setup run, the answers given, the kind chosen.
inline std::unique_ptr<World> Ready(const CommandRow& row, Edition edition) {
    auto w = std::make_unique<World>(edition);
    w->view.comboIndex = row.kind;
    if (row.setup) row.setup(*w);
    w->view.comboIndex = row.kind;
    w->answers = {};
    row.answers(w->answers);
    w->TakeBoxes();
    return w;
}

}  // namespace tessavue::testing
