// The selection and direction buttons through the palette's form, on the in-process
// stand-in: the palette is busy while AutoCAD works, the selection's base point
// reaches the draw command, and a palette closed in the middle of a selection leaves
// the user's drawing as it was before it goes.
#include <gtest/gtest.h>

#include <cmath>

#include "core/sim_desktop.h"
#include "fake_form_view.h"
#include "fake_profile_file.h"
#include "ui/tform1.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::EntityKind;
using sim::ScriptedUser;
using sim::SimDesktop;
using testing::FakeFormView;

class FormCommandsTest : public ::testing::Test {
protected:
    FormCommandsTest() {
        std::filesystem::create_directories(folder);
        form.FormCreate();
        auto& d = desktop.host().drawing();
        d.AddLine({100, 200}, {140, 200});
        d.AddLine({140, 200}, {140, 230});
        planCount = d.entities().size();
        // The busy state as the palette shows it at each wait on AutoCAD.
        desktop.pumpHook = [this] {
            if (!view.Enabled(Control::menu_help) && !view.Visible(Control::GroupBox1)) ++busyPumps;
            else ++idlePumps;
        };
    }
    ~FormCommandsTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void User(const std::string& script) {
        std::string error;
        auto user = ScriptedUser::Parse(script, &error);
        ASSERT_TRUE(user) << error;
        desktop.SetUser(std::move(*user));
    }
    bool Busy() { return !view.Enabled(Control::menu_help); }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tessavue-form-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    FakeFormView view;
    SimDesktop desktop{Edition::LT2000};
    testing::FakeProfileFile profile;
    TForm1 form{view, desktop, profile, DeriveProgramFiles(folder / "tessavue.exe", "tessavue.exe")};
    std::size_t planCount = 0;
    int busyPumps = 0;
    int idlePumps = 0;
};

TEST_F(FormCommandsTest, SelectThenDrawThroughTheButtonsWithThePaletteBusyMeanwhile) {
    User("window 90,190 150,250\nenter\npick 140,200\n");
    form.RunHandler([this] { form.Button1Click(); });
    EXPECT_GT(busyPumps, 0) << "the user selected while the palette was busy";
    EXPECT_EQ(idlePumps, 0);
    EXPECT_FALSE(Busy());
    EXPECT_EQ(form.SelectionBase().X, 140);
    EXPECT_EQ(form.SelectionBase().Y, 200);
    ASSERT_TRUE(std::filesystem::exists(form.Files().selection));

    User("pick 0,0\n");
    view.checked[Control::CheckBox1] = true;
    form.RunHandler([this] { form.Button2Click(Control::Button3); });
    EXPECT_FALSE(Busy());
    EXPECT_TRUE(view.boxes.empty());
    // Top right: plan +X goes to 330 degrees, and the base point (140, 200) is the
    // insertion point, so the first edge ends there.
    bool edge = false;
    const auto& all = desktop.host().drawing().entities();
    for (std::size_t i = planCount; i < all.size(); ++i) {
        const auto& e = all[i];
        if (e.kind != EntityKind::Line) continue;
        if (std::abs(e.points[1].x) < 1e-9 && std::abs(e.points[1].y) < 1e-9 &&
            std::abs(e.points[0].x + 40 * std::cos(-30 * std::acos(-1.0) / 180)) < 1e-9)
            edge = true;
    }
    EXPECT_TRUE(edge);
    EXPECT_GT(all.size(), planCount + 2) << "the default height 10 adds the raised copy";
}

TEST_F(FormCommandsTest, OnlyTheFourDirectionButtonsDraw) {
    for (Control sender : {Control::Button1, Control::Button6, Control::Edit1}) {
        form.RunHandler([this, sender] { form.Button2Click(sender); });
    }
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(desktop.host().ReceivedInput().empty());
    EXPECT_FALSE(Busy());
}

TEST_F(FormCommandsTest, ADirectionButtonWithoutASelectionSaysSo) {
    form.RunHandler([this] { form.Button2Click(Control::Button2); });
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].text, "オブジェクトが選択されていません。");
    EXPECT_FALSE(Busy());
}

TEST_F(FormCommandsTest, ClosingThePaletteDuringTheTurnsPutsTheDrawingBackBeforeItGoes) {
    view.checked[Control::menu_help_othr_a_ll] = true;
    User("window 90,190 150,250\nenter\npick 140,200\n");
    const auto before = desktop.host().drawing().entities();
    desktop.host().pathFromText = [this](const std::string& text) {
        if (text.find("l_45.dxf") != std::string::npos) form.RunHandler([this] { form.FormCloseQuery(); });
        return std::filesystem::path(text);
    };
    form.RunHandler([this] { form.Button1Click(); });
    EXPECT_EQ(view.destroyed, 1);
    const auto& after = desktop.host().drawing().entities();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        for (std::size_t p = 0; p < after[i].points.size(); ++p) {
            EXPECT_NEAR(after[i].points[p].x, before[i].points[p].x, 1e-9);
            EXPECT_NEAR(after[i].points[p].y, before[i].points[p].y, 1e-9);
        }
}

}  // namespace
}  // namespace tessavue
