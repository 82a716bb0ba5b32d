// The palette on its own under Wine: field checks with their boxes, the kind panels,
// and the busy state while a command waits for the stand-in.
#include <array>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <utility>

#include "e2e_fixture.h"

namespace tessavue::e2e {
namespace {

MessageBoxText AskForNumber(const wchar_t* caption) {
    return {kConfirmTitle, std::wstring(caption) + L"には数値を入力して下さい。"};
}
MessageBoxText AskForPositive(const wchar_t* caption) {
    return {kConfirmTitle, std::wstring(caption) + L"には０より大きい数値を入力して下さい。"};
}

// ---------------------------------------------------------------------------------
// Field checks
// ---------------------------------------------------------------------------------

class FieldChecks : public EndToEndTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartPalette());
        // The palette in front with every field valid: the checks below come from
        // leaving an edit, not from an activation.
        ASSERT_OK(palette().Activate());
        ASSERT_EQ(Boxes(), std::vector<MessageBoxText>{});
    }

    // Shows the panel of `kind`, types `text` into `edit` and moves the focus on.
    std::vector<MessageBoxText> TypeAndLeave(const wchar_t* kind, Control edit, const wchar_t* text) {
        EXPECT_OK(palette().SelectKind(kind));
        EXPECT_OK(palette().Settle());
        EXPECT_OK(palette().SetText(Id(edit), text));
        EXPECT_OK(palette().LeaveEdit(Id(edit)));
        return Boxes();
    }
};

TEST_F(FieldChecks, TextInBendRadiusAsksForANumberAndRestores20) {
    EXPECT_EQ(TypeAndLeave(L"丸棒曲げ", Control::Edit7, L"abc"), std::vector{AskForNumber(L"曲げ半径")});
    EXPECT_EQ(ToUtf8(Text(Control::Edit7)), "20");
}

TEST_F(FieldChecks, NegativeDiameterAsksForAPositiveNumberAndRestores10) {
    EXPECT_EQ(TypeAndLeave(L"円", Control::Edit2, L"-5"), std::vector{AskForPositive(L"直径")});
    EXPECT_EQ(ToUtf8(Text(Control::Edit2)), "10");
}

TEST_F(FieldChecks, ZeroBendRadiusAsksForAPositiveNumberAndRestores20) {
    EXPECT_EQ(TypeAndLeave(L"丸棒曲げ", Control::Edit7, L"0"), std::vector{AskForPositive(L"曲げ半径")});
    EXPECT_EQ(ToUtf8(Text(Control::Edit7)), "20");
}

TEST_F(FieldChecks, HeightTakesNegativeAndZeroAsTyped) {
    for (const wchar_t* height : {L"-5", L"0", L"-0.25"}) {
        SCOPED_TRACE(ToUtf8(height));
        EXPECT_EQ(TypeAndLeave(L"既存図形", Control::Edit1, height), std::vector<MessageBoxText>{});
        EXPECT_EQ(Text(Control::Edit1), height);
    }
}

TEST_F(FieldChecks, ValidTextIsLeftAsTyped) {
    EXPECT_EQ(TypeAndLeave(L"四角", Control::Edit4, L"2.50"), std::vector<MessageBoxText>{});
    EXPECT_EQ(ToUtf8(Text(Control::Edit4)), "2.50");
}

TEST_F(FieldChecks, ActivationChecksEveryFieldInOrderOnce) {
    // Two bad fields, typed without leaving them: the activation finds both, Edit1's
    // first, one box each; the next activation finds nothing left to correct.
    ASSERT_OK(palette().SetText(Id(Control::Edit2), L"x"));
    ASSERT_OK(palette().SetText(Id(Control::Edit1), L"abc"));
    ASSERT_OK(palette().Activate());
    EXPECT_EQ(Boxes(), (std::vector{AskForNumber(L"高さ"), AskForNumber(L"直径")}));
    EXPECT_EQ(ToUtf8(Text(Control::Edit1)), "10");
    EXPECT_EQ(ToUtf8(Text(Control::Edit2)), "10");

    ASSERT_OK(palette().Activate());
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
}

TEST_F(FieldChecks, OpeningTheHelpMenuChecksTheFields) {
    ASSERT_OK(palette().SetText(Id(Control::Edit6), L"-1"));
    ASSERT_OK(palette().RunMenu(Id(Control::menu_help)));
    EXPECT_EQ(Boxes(), std::vector{AskForPositive(L"オフセット")});
    EXPECT_EQ(ToUtf8(Text(Control::Edit6)), "10");
}

// ---------------------------------------------------------------------------------
// Kind panels
// ---------------------------------------------------------------------------------

class KindPanels : public EndToEndTest {
protected:
    void SetUp() override { ASSERT_TRUE(StartPalette()); }

    static constexpr std::array kPanels = {Control::GroupBox2, Control::GroupBox3, Control::GroupBox4,
                                           Control::GroupBox5, Control::GroupBox6, Control::GroupBox7,
                                           Control::GroupBox8, Control::GroupBox9};

    // The panels shown, in the order of kPanels.
    std::vector<Control> ShownPanels() {
        std::vector<Control> shown;
        for (Control panel : kPanels) {
            if (Visible(panel)) shown.push_back(panel);
        }
        return shown;
    }
};

TEST_F(KindPanels, ListOffersTheTenKindsAndStartsWithExistingFigure) {
    auto kinds = palette().Kinds();
    ASSERT_OK(kinds);
    EXPECT_EQ(*kinds, (std::vector<std::wstring>{L"既存図形", L"既存軸", L"円", L"四角", L"六角", L"丸棒曲げ", L"文字",
                                                 L"寸法", L"オフセット", L"２面選択"}));
    EXPECT_EQ(Text(Control::ComboBox1), L"既存図形");
    EXPECT_EQ(ShownPanels(), std::vector{Control::GroupBox2});
    EXPECT_TRUE(Visible(Control::GroupBox1));
}

TEST_F(KindPanels, EachKindShowsItsOwnPanelOrNone) {
    const std::vector<std::pair<const wchar_t*, std::vector<Control>>> expected = {
        {L"円", {Control::GroupBox3}},     {L"四角", {Control::GroupBox4}},  {L"六角", {Control::GroupBox5}},
        {L"寸法", {Control::GroupBox6}},   {L"丸棒曲げ", {Control::GroupBox7}}, {L"２面選択", {Control::GroupBox8}},
        {L"既存軸", {Control::GroupBox9}}, {L"文字", {}},                   {L"オフセット", {}},
        {L"既存図形", {Control::GroupBox2}},
    };
    RECT before{};
    GetClientRect(palette().window(), &before);
    for (const auto& [kind, panels] : expected) {
        SCOPED_TRACE(ToUtf8(kind));
        ASSERT_OK(palette().SelectKind(kind));
        ASSERT_OK(palette().Settle());
        EXPECT_EQ(ShownPanels(), panels);
        EXPECT_TRUE(Visible(Control::GroupBox1));
        EXPECT_TRUE(Visible(Control::Button2));
        RECT now{};
        GetClientRect(palette().window(), &now);
        EXPECT_EQ(now.right - now.left, before.right - before.left);
        EXPECT_EQ(now.bottom - now.top, before.bottom - before.top);
    }
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
}

TEST_F(KindPanels, PanelsShareOnePlaceUnderTheList) {
    RECT first{};
    for (Control panel : kPanels) {
        auto window = palette().Control(Id(panel));
        ASSERT_OK(window);
        RECT rect{};
        GetWindowRect(*window, &rect);
        if (panel == kPanels.front()) first = rect;
        EXPECT_EQ(rect.left, first.left) << ControlName(Id(panel));
        EXPECT_EQ(rect.top, first.top) << ControlName(Id(panel));
    }
}

// ---------------------------------------------------------------------------------
// Busy state
// ---------------------------------------------------------------------------------

class BusyState : public EndToEndTest {};

TEST_F(BusyState, SelectionWaitingInTheHostLocksAllButTwoFaceAndAxisPanels) {
    ASSERT_TRUE(StartSim());
    ASSERT_TRUE(StartPalette());
    // 選択 has the host select objects; the palette stays busy until the host's
    // command line is idle again.
    ASSERT_OK(palette().Click(Id(Control::Button1)));
    ASSERT_OK(WaitFor([&] { return !Visible(Control::GroupBox1) || !palette().OpenBoxes().empty(); },
                      kDefaultBound, "the palette to become busy"));
    ASSERT_EQ(Boxes(), std::vector<MessageBoxText>{});
    ASSERT_OK(sim().WaitUntilBusy());

    EXPECT_FALSE(Visible(Control::GroupBox1));
    EXPECT_FALSE(Enabled(Control::ComboBox1));
    EXPECT_FALSE(Enabled(Control::GroupBox2));
    EXPECT_FALSE(Enabled(Control::Button1));
    for (Control panel : {Control::GroupBox3, Control::GroupBox4, Control::GroupBox5, Control::GroupBox6,
                          Control::GroupBox7}) {
        EXPECT_FALSE(Enabled(panel)) << ControlName(Id(panel));
    }
    EXPECT_TRUE(Enabled(Control::GroupBox8));
    EXPECT_TRUE(Enabled(Control::GroupBox9));
    auto help = palette().MenuState(Id(Control::menu_help));
    ASSERT_OK(help);
    EXPECT_FALSE(help->enabled);
    EXPECT_FALSE(palette().Click(Id(Control::Button2)).ok()) << "a direction button could be pressed while busy";
    EXPECT_FALSE(palette().SelectKind(L"円").ok()) << "the kind list took a pick while busy";

    // The user cancels the selection in the host: the command ends and the palette
    // comes back.
    ASSERT_OK(sim().Type("\x1b"));
    ASSERT_OK(WaitFor([&] { return Visible(Control::GroupBox1); }, kDefaultBound, "the palette to be un-busy"));
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});
    EXPECT_TRUE(Enabled(Control::ComboBox1));
    EXPECT_TRUE(Enabled(Control::Button1));
    auto helpAfter = palette().MenuState(Id(Control::menu_help));
    ASSERT_OK(helpAfter);
    EXPECT_TRUE(helpAfter->enabled);
    // What the palette typed began with its look at AutoCAD's UCS (capture types
    // nothing), and the selection came before anything that changes the drawing.
    const auto inputs = SimState().inputs;
    ASSERT_FALSE(inputs.empty());
    EXPECT_EQ(inputs.front(), (sim::InputChunk{"copydata", "worlducs "}));
    const auto select = std::find(inputs.begin(), inputs.end(), sim::InputChunk{"copydata", "select "});
    ASSERT_NE(select, inputs.end());
    for (auto chunk = inputs.begin(); chunk != select; ++chunk) {
        EXPECT_FALSE(chunk->bytes.starts_with("filedia")) << "nothing set before the selection but the units";
        EXPECT_FALSE(chunk->bytes.starts_with("rotate"));
    }
}

// ---------------------------------------------------------------------------------
// Selecting an existing figure and drawing it on a face
// ---------------------------------------------------------------------------------

class ExistingFigure : public EndToEndTest {};

// The user types at the stand-in as the palette waits: the selection, the base point
// and the insertion point. The plan's edge then lies along the face's +X direction
// with its plan length, the block is purged and no figure file is left.
TEST_F(ExistingFigure, SelectedPlanIsDrawnOnTheTopLeftFace) {
    ASSERT_TRUE(StartSim());
    ASSERT_OK(sim().Type("line 100,200 140,200  line 140,200 140,230  "));
    ASSERT_OK(sim().WaitUntilIdle());
    ASSERT_TRUE(StartPalette());
    const auto& texts = sim::TextsFor(sim::Edition::LT2000);
    const std::size_t planCount = SimState().entities.size();
    ASSERT_EQ(planCount, 2u);

    ASSERT_OK(palette().Click(Id(Control::Button1)));
    ASSERT_OK(WaitForPrompt(texts.selectObjects));
    ASSERT_OK(sim().Type("w 90,190 150,250\r\r"));
    ASSERT_OK(WaitForPrompt(texts.idPoint));
    ASSERT_OK(sim().Type("100,200\r"));
    ASSERT_OK(WaitFor([&] { return Visible(Control::GroupBox1); }, kDefaultBound, "the selection to end"));
    ASSERT_EQ(Boxes(), std::vector<MessageBoxText>{});

    ASSERT_OK(palette().Click(Id(Control::Button2)));
    ASSERT_OK(WaitForPrompt(texts.insertPoint));
    ASSERT_OK(sim().Type("500,500\r"));
    ASSERT_OK(WaitFor([&] { return Visible(Control::GroupBox1); }, kDefaultBound, "the draw command to end"));
    ASSERT_OK(sim().WaitUntilIdle());
    EXPECT_EQ(Boxes(), std::vector<MessageBoxText>{});

    const sim::SimDump state = SimState();
    EXPECT_GT(state.entities.size(), planCount + 2) << "the plan, its raised copy and the height lines";
    bool edge = false;
    for (std::size_t i = planCount; i < state.entities.size(); ++i) {
        const auto& e = state.entities[i];
        if (e.kind != sim::EntityKind::Line) continue;
        const double dx = e.points[1].x - e.points[0].x;
        const double dy = e.points[1].y - e.points[0].y;
        if (std::abs(e.points[0].x - 500) < 1e-6 && std::abs(e.points[0].y - 500) < 1e-6 &&
            std::abs(dx - 40 * std::sqrt(3.0) / 2) < 1e-6 && std::abs(dy - 20) < 1e-6)
            edge = true;
    }
    EXPECT_TRUE(edge) << "the 40-long plan edge along 30 degrees from the insertion point";
    for (const auto& block : state.blocks) EXPECT_NE(block.name.rfind("ip", 0), 0u) << block.name;
    for (const auto& entry : std::filesystem::directory_iterator(OwnFolder())) {
        const std::wstring name = entry.path().filename().wstring();
        EXPECT_FALSE(name.rfind(L"ip", 0) == 0 && entry.path().extension() == L".dxf") << entry.path();
    }
}

}  // namespace
}  // namespace tessavue::e2e
