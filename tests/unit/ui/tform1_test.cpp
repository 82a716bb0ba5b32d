#include "ui/tform1.h"

#include "dxf_data/entity_table.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "fake_desktop.h"
#include "fake_form_view.h"
#include "fake_profile_file.h"
#include "dxf_data/str_to_float.h"

namespace tessavue {
namespace {

using testing::FakeDesktop;
using testing::FakeFormView;
using testing::FakeWindow;

const std::string kNotNumber = "には数値を入力して下さい。";
const std::string kNotPositive = "には０より大きい数値を入力して下さい。";

constexpr Control kAllPanels[] = {Control::GroupBox2, Control::GroupBox3, Control::GroupBox4,
                                  Control::GroupBox5, Control::GroupBox6, Control::GroupBox7,
                                  Control::GroupBox8, Control::GroupBox9};

class TForm1Test : public ::testing::Test {
protected:
    void Create() { form.FormCreate(); }
    std::vector<Control> VisiblePanels() {
        std::vector<Control> out;
        for (Control c : kAllPanels)
            if (view.Visible(c)) out.push_back(c);
        return out;
    }
    // An AutoCAD LT 2000 at its idle prompt.
    void AddIdleAutoCad() {
        main = desktop.Add({"AutoCAD LT 2000 - [Drawing1.dwg]", "AfxFrame", "", 0});
        commandLine = desktop.Add({"", "Afx:400000:8:10011:0:0", "ｺﾏﾝﾄﾞ: ", main});
    }

    FakeFormView view;
    FakeDesktop desktop;
    testing::FakeProfileFile profile;
    // No settings file and a folder that does not exist: the defaults, nothing to delete.
    TForm1 form{view, desktop, profile, DeriveProgramFiles("no-such-folder/tessavue.exe", "tessavue.exe")};
    WindowHandle main = 0;
    WindowHandle commandLine = 0;
};

// ---------------------------------------------------------------- start-up

TEST_F(TForm1Test, StartUpPlacesThePaletteAtTheRightEdgeVerticallyCentred) {
    view.screenWidth = 1023;
    view.screenHeight = 767;
    view.form = {0, 0, 119, 335};
    Create();
    EXPECT_EQ(view.topmostPlacements, 1);
    EXPECT_EQ(view.form.left, 1023 - 119);
    // Each half rounded down on its own: 383 - 167, not (767 - 335) / 2.
    EXPECT_EQ(view.form.top, 216);
    EXPECT_EQ(view.form.width, 119);
    EXPECT_EQ(view.form.height, 335);
}

TEST_F(TForm1Test, StartUpStateWithoutSettings) {
    form.Host().CommandLineFound = true;
    form.Host().ApplyTargetVersion("LT 2006");
    Create();
    EXPECT_FALSE(form.Host().CommandLineFound);
    EXPECT_EQ(form.Host().TargetVersion, "LT 2000");
    EXPECT_EQ(form.Host().CommandPrompt, "ｺﾏﾝﾄﾞ: ");
    EXPECT_EQ(form.Host().CommandLineClassPrefix, "Afx:400000:8:");
    EXPECT_FALSE(view.Checked(Control::menu_help_othr_sign));
    EXPECT_FALSE(view.Checked(Control::menu_help_othr_circ));
    EXPECT_TRUE(view.Checked(Control::menu_help_othr_a_ll));
    EXPECT_FALSE(view.Enabled(Control::menu_help_othr_a_ll));
    EXPECT_TRUE(view.Enabled(Control::menu_help_othr_sign));
    EXPECT_EQ(view.caption, "Tessavue Ver.1.20");
    EXPECT_EQ(view.comboIndex, 0);
    EXPECT_EQ(VisiblePanels(), std::vector<Control>{Control::GroupBox2});
    EXPECT_TRUE(view.Visible(Control::GroupBox1));
    for (Control c : kAllPanels) EXPECT_EQ(view.Bounds(c).left, 0) << ControlId(c);
    // No capture at start-up, and nothing to complain about.
    EXPECT_EQ(desktop.textReads, 0);
    EXPECT_TRUE(view.boxes.empty());
}

TEST(DefaultSettings, FirstRunValues) {
    const PaletteSettings s = DefaultSettings(1280, 1024, 119, 337);
    EXPECT_EQ(s.Left, 1161);
    EXPECT_EQ(s.Top, 512 - 168);
    EXPECT_EQ(s.AutoCAD, "LT 2000");
    EXPECT_FALSE(s.InvertHeightSign);
    EXPECT_FALSE(s.CircleHeightLines);
    EXPECT_TRUE(s.ProjectAll);
}

// ---------------------------------------------------------------- panels

TEST_F(TForm1Test, StartUpEmptiesTheEntityTable) {
    EntityTable()[0].Kind = 1;
    EntityTable()[0].Layer = "外形";
    Create();
    EXPECT_EQ(EntityTable()[0].Kind, -1);
    EXPECT_EQ(EntityTable()[0].Layer, "0");
}

TEST_F(TForm1Test, EachKindShowsItsOwnPanelOnly) {
    Create();
    const Control expected[] = {Control::GroupBox2, Control::GroupBox9, Control::GroupBox3, Control::GroupBox4,
                                Control::GroupBox5, Control::GroupBox7, Control{},          Control::GroupBox6,
                                Control{},          Control::GroupBox8};
    for (int i = 0; i < 10; ++i) {
        view.SelectItem(Control::ComboBox1, i);
        form.ComboBox1Change();
        const std::vector<Control> shown = VisiblePanels();
        if (expected[i] == Control{}) {
            EXPECT_TRUE(shown.empty()) << kFigureKinds[i];  // 文字 and オフセット have no panel
        } else {
            EXPECT_EQ(shown, std::vector<Control>{expected[i]}) << kFigureKinds[i];
        }
        EXPECT_TRUE(view.Visible(Control::GroupBox1)) << kFigureKinds[i];
    }
}

TEST_F(TForm1Test, UnknownKindTextHidesEveryPanel) {
    Create();
    view.comboIndex = -1;
    form.ComboBox1Change();
    EXPECT_TRUE(VisiblePanels().empty());
}

// ---------------------------------------------------------------- field checks

TEST_F(TForm1Test, FieldChecksOnLeave) {
    struct Case {
        Control edit;
        std::string typed;
        std::string message;  // empty: accepted
        std::string after;
    };
    const Case cases[] = {
        {Control::Edit7, "abc", "曲げ半径" + kNotNumber, "20"},
        {Control::Edit2, "-5", "直径" + kNotPositive, "10"},
        {Control::Edit7, "0", "曲げ半径" + kNotPositive, "20"},
        {Control::Edit1, "-5", "", "-5"},
        {Control::Edit1, "0", "", "0"},
        {Control::Edit1, "x", "高さ" + kNotNumber, "10"},
        {Control::Edit3, "", "Ｙ" + kNotNumber, "10"},
        {Control::Edit4, "-0.001", "Ｘ" + kNotPositive, "10"},
        {Control::Edit5, "1,5", "対辺" + kNotNumber, "10"},
        {Control::Edit6, "0e5", "オフセット" + kNotPositive, "10"},
        {Control::Edit8, "１０", "丸棒直径" + kNotNumber, "10"},
        // Accepted texts stay as typed.
        {Control::Edit2, " 1.50 ", "", " 1.50 "},
        {Control::Edit8, "2e1", "", "2e1"},
    };
    for (const Case& c : cases) {
        view.boxes.clear();
        view.texts[c.edit] = c.typed;
        form.Edit1Exit(c.edit);
        if (c.message.empty()) {
            EXPECT_TRUE(view.boxes.empty()) << c.typed;
        } else {
            ASSERT_EQ(view.boxes.size(), 1u) << c.typed;
            EXPECT_EQ(view.boxes[0].kind, "確認");
            EXPECT_EQ(view.boxes[0].text, c.message);
        }
        EXPECT_EQ(view.texts[c.edit], c.after) << c.typed;
    }
}

TEST_F(TForm1Test, OtherSendersAreNotChecked) {
    view.texts[Control::Label2] = "abc";
    view.texts[Control::ComboBox1] = "abc";
    form.Edit1Exit(Control::Label2);
    form.Edit1Exit(Control::ComboBox1);
    form.Edit1Exit(Control::Button1);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.texts[Control::Label2], "abc");
}

TEST_F(TForm1Test, ActivationChecksEveryFieldInOrder) {
    view.texts[Control::Edit8] = "-1";
    view.texts[Control::Edit1] = "abc";
    view.texts[Control::Edit4] = "x";
    form.FormActivate();
    ASSERT_EQ(view.boxes.size(), 3u);
    EXPECT_EQ(view.boxes[0].text, "高さ" + kNotNumber);
    EXPECT_EQ(view.boxes[1].text, "Ｘ" + kNotNumber);
    EXPECT_EQ(view.boxes[2].text, "丸棒直径" + kNotPositive);
    EXPECT_EQ(view.texts[Control::Edit1], "10");
    EXPECT_EQ(view.texts[Control::Edit4], "10");
    EXPECT_EQ(view.texts[Control::Edit8], "10");
    // Activated again: everything is valid now.
    form.FormActivate();
    EXPECT_EQ(view.boxes.size(), 3u);
}

TEST_F(TForm1Test, FocusLeavingThePaletteIsNoLeave) {
    view.texts[Control::Edit2] = "abc";
    form.EditFocusLost(Control::Edit2, false);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.texts[Control::Edit2], "abc");  // checked when the palette is activated again
    form.EditFocusLost(Control::Edit2, true);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.texts[Control::Edit2], "10");
}

// ---------------------------------------------------------------- re-entrancy

TEST_F(TForm1Test, BoxUpEchoesNeitherRecurseNorRepeat) {
    // Windows activates the palette and moves the focus around its own box; every such
    // echo reaches the form while the first box is still up.
    std::vector<std::string> textsWhileUp;
    view.whileBoxUp = [&](const testing::ShownBox&) {
        textsWhileUp.push_back(view.texts[Control::Edit7]);
        form.FormActivate();
        form.Edit1Exit(Control::Edit7);
        form.EditFocusLost(Control::Edit7, true);
        form.Edit1Exit(Control::Edit2);
    };
    view.texts[Control::Edit7] = "abc";
    view.texts[Control::Edit2] = "-1";
    form.Edit1Exit(Control::Edit7);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, "曲げ半径" + kNotNumber);
    // The default was in place before the box showed.
    EXPECT_EQ(textsWhileUp, std::vector<std::string>{"20"});
    // Edit2 was not checked by an echo; its own leave or the next activation checks it.
    EXPECT_EQ(view.texts[Control::Edit2], "-1");
    form.FormActivate();
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[1].text, "直径" + kNotPositive);
}

TEST_F(TForm1Test, TwoInvalidFieldsTwoBoxesEvenWithEchoes) {
    view.whileBoxUp = [&](const testing::ShownBox&) {
        form.FormActivate();
        form.Edit1Exit(Control::Edit1);
    };
    view.texts[Control::Edit1] = "abc";
    view.texts[Control::Edit5] = "0";
    form.FormActivate();
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[0].text, "高さ" + kNotNumber);
    EXPECT_EQ(view.boxes[1].text, "対辺" + kNotPositive);
    // The reset comes before its box, for each field.
    const std::vector<std::string> expected{"text", "box:確認", "text", "box:確認"};
    EXPECT_EQ(view.log, expected);
}

TEST_F(TForm1Test, GuardIsReleasedWhenTheBoxThrows) {
    view.whileBoxUp = [&](const testing::ShownBox&) { throw std::runtime_error("box failed"); };
    view.texts[Control::Edit2] = "abc";
    form.RunHandler([&] { form.Edit1Exit(Control::Edit2); });
    view.whileBoxUp = nullptr;
    view.texts[Control::Edit3] = "abc";
    form.Edit1Exit(Control::Edit3);
    ASSERT_EQ(view.boxes.size(), 3u);  // Edit2's box, the error box, Edit3's box
    EXPECT_EQ(view.boxes[1].kind, "error");
    EXPECT_EQ(view.boxes[2].text, "Ｙ" + kNotNumber);
}

// ---------------------------------------------------------------- busy state

TEST_F(TForm1Test, BusyDisablesOnlyWhatStartsCommands) {
    Create();
    form.SetPaletteBusy(true);
    EXPECT_FALSE(view.Enabled(Control::menu_help));
    EXPECT_FALSE(view.Enabled(Control::ComboBox1));
    EXPECT_FALSE(view.Visible(Control::GroupBox1));
    for (Control c : {Control::GroupBox2, Control::Button1, Control::GroupBox3, Control::GroupBox4,
                      Control::GroupBox5, Control::GroupBox6, Control::GroupBox7})
        EXPECT_FALSE(view.Enabled(c)) << ControlId(c);
    EXPECT_TRUE(view.Enabled(Control::GroupBox8));
    EXPECT_TRUE(view.Enabled(Control::GroupBox9));
    EXPECT_FALSE(view.disabled.count(Control::GroupBox8) || view.disabled.count(Control::GroupBox9))
        << "the two-face and existing-axis panels are not touched";
    // Panels keep their visibility: busy is not a kind change.
    EXPECT_EQ(VisiblePanels(), std::vector<Control>{Control::GroupBox2});

    form.SetPaletteBusy(true);
    form.SetPaletteBusy(false);  // no count: one false ends it
    for (Control c : {Control::menu_help, Control::ComboBox1, Control::GroupBox2, Control::Button1,
                      Control::GroupBox3, Control::GroupBox7})
        EXPECT_TRUE(view.Enabled(c)) << ControlId(c);
    EXPECT_TRUE(view.Visible(Control::GroupBox1));
    EXPECT_EQ(view.disabled.count(Control::GroupBox8), 0u);
}

// ---------------------------------------------------------------- menus

TEST_F(TForm1Test, CaptureMenuCapturesAndReportsFailure) {
    Create();
    form.menu_help_catcClick();
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].kind, "確認");
    EXPECT_EQ(view.boxes[0].text, CaptureFailureMessage());
    EXPECT_FALSE(form.Host().CommandLineFound);

    AddIdleAutoCad();
    form.menu_help_catcClick();
    EXPECT_EQ(view.boxes.size(), 1u);
    EXPECT_TRUE(form.Host().CommandLineFound);
    EXPECT_EQ(form.Host().HostMainWindow, main);
    EXPECT_EQ(form.Host().CommandLineWindow, commandLine);
}

TEST_F(TForm1Test, OptionItemsToggleTheirCheckMark) {
    Create();
    form.menu_help_othr_signClick();
    form.menu_help_othr_circClick();
    form.menu_help_othr_a_llClick();
    EXPECT_TRUE(view.Checked(Control::menu_help_othr_sign));
    EXPECT_TRUE(view.Checked(Control::menu_help_othr_circ));
    EXPECT_FALSE(view.Checked(Control::menu_help_othr_a_ll));
    form.menu_help_othr_signClick();
    EXPECT_FALSE(view.Checked(Control::menu_help_othr_sign));
}

// ---------------------------------------------------------------- handler boundary

TEST_F(TForm1Test, EscapedErrorIsShownOnceAndThePaletteComesBack) {
    Create();
    view.texts[Control::Edit1] = "1O";  // letter O: a typing slip
    bool after = false;
    form.RunHandler([&] {
        form.SetPaletteBusy(true);
        StrToFloat(view.Text(Control::Edit1));
        after = true;
    });
    EXPECT_FALSE(after);
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].kind, "error");
    EXPECT_EQ(view.boxes[0].text, "'1O' は浮動小数点数ではありません");
    EXPECT_TRUE(view.Enabled(Control::menu_help));
    EXPECT_TRUE(view.Enabled(Control::ComboBox1));
    EXPECT_TRUE(view.Visible(Control::GroupBox1));
    EXPECT_TRUE(view.Enabled(Control::GroupBox3));
    EXPECT_EQ(form.RunningHandlers(), 0);
    // The loop goes on: the next message is handled normally.
    bool ran = false;
    form.RunHandler([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(view.boxes.size(), 1u);
}

TEST_F(TForm1Test, AnythingThrownIsCaught) {
    form.RunHandler([] { throw 42; });
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].kind, "error");
    EXPECT_FALSE(view.boxes[0].text.empty());
}

TEST_F(TForm1Test, FailingErrorBoxDoesNotEscape) {
    view.whileBoxUp = [](const testing::ShownBox&) { throw std::runtime_error("no box"); };
    EXPECT_NO_THROW(form.RunHandler([] { throw std::runtime_error("first"); }));
    EXPECT_TRUE(view.Visible(Control::GroupBox1));
}

TEST_F(TForm1Test, ErrorInsideAWaitLeavesTheOuterCommandBusy) {
    Create();
    AddIdleAutoCad();
    form.menu_help_catcClick();
    desktop.At(commandLine).text = "オブジェクトを選択: ";
    int pumps = 0;
    bool busyAfterInnerError = false;
    desktop.onPump = [&] {
        if (++pumps == 1) {
            form.RunHandler([] { throw std::runtime_error("inner"); });
            busyAfterInnerError = !view.Visible(Control::GroupBox1);
        } else {
            desktop.At(commandLine).text = "ｺﾏﾝﾄﾞ: ";
        }
    };
    bool finished = false;
    form.RunHandler([&] {
        form.SetPaletteBusy(true);
        finished = form.Host().RunHostCommand("select ");
        form.SetPaletteBusy(false);
    });
    EXPECT_TRUE(busyAfterInnerError);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(view.Visible(Control::GroupBox1));
}

// ---------------------------------------------------------------- closing

TEST_F(TForm1Test, CloseWhileIdleDestroysAtOnce) {
    Create();
    form.RunHandler([&] { form.FormCloseQuery(); });
    EXPECT_EQ(view.destroyed, 1);
    // Late messages after the window is gone run nothing.
    bool ran = false;
    form.RunHandler([&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(view.destroyed, 1);
}

TEST_F(TForm1Test, CloseDuringAWaitEndsTheWaitThenDestroys) {
    Create();
    AddIdleAutoCad();
    form.menu_help_catcClick();
    // AutoCAD stays busy forever; only the close can end the wait.
    desktop.At(commandLine).text = "点を指定: ";
    int pumps = 0;
    desktop.onPump = [&] {
        if (++pumps == 3) {
            form.RunHandler([&] { form.FormCloseQuery(); });
            view.log.push_back(view.destroyed ? "destroyed-inside" : "close-deferred");
        }
    };
    bool waitResult = true;
    form.RunHandler([&] {
        form.SetPaletteBusy(true);
        waitResult = form.Host().RunHostCommand("id ");
        view.log.push_back("handler-returns");
        form.SetPaletteBusy(false);
    });
    EXPECT_FALSE(waitResult);
    EXPECT_LE(pumps, 4) << "the wait went on after the close";
    EXPECT_EQ(view.destroyed, 1);
    std::vector<std::string> order;
    for (const auto& entry : view.log)
        if (entry == "close-deferred" || entry == "destroyed-inside" || entry == "handler-returns" ||
            entry == "destroy")
            order.push_back(entry);
    EXPECT_EQ(order, (std::vector<std::string>{"close-deferred", "handler-returns", "destroy"}));
    EXPECT_TRUE(form.Host().WaitsAbandoned());
}

}  // namespace
}  // namespace tessavue
