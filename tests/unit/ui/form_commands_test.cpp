// The selection and direction buttons through the palette's form, on the in-process
// stand-in: the palette is busy while AutoCAD works, the selection's base point
// reaches the draw command, and a palette closed in the middle of a selection leaves
// the user's drawing as it was before it goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <fstream>
#include <numbers>
#include <optional>
#include <vector>

#include "core/sim_desktop.h"
#include "fake_form_view.h"
#include "fake_profile_file.h"
#include "import/listed_selection.h"
#include "draw/dimension_figure.h"
#include "draw/draw_command.h"
#include "draw/typed_figures.h"
#include "host/host_frame.h"
#include "iso_view.h"
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


// ---------------------------------------------------------------------------------
// 既存軸 and ２面選択: the selections through LIST and picks, then the drawing
// ---------------------------------------------------------------------------------

using sim::Point;

class AxisAndTwoFaceTest : public FormCommandsTest {
protected:
    // The user at AutoCAD: each id prompt takes the next point, Esc when none is left;
    // each object prompt the next selection (a click on each point, then Enter; no
    // point: Enter alone); the insertion point prompt `insertAt`.
    void Answer(std::deque<std::optional<Point>> ids, std::deque<std::vector<Point>> selections = {},
                std::optional<Point> insertAt = std::nullopt) {
        ids_ = std::move(ids);
        selections_ = std::move(selections);
        pumps_ = 0;
        desktop.pumpHook = [this, insertAt] {
            // A wait nobody answers (a prompt this user does not know) ends the
            // command instead of hanging the test.
            if (++pumps_ > 20000) form.Host().AbandonWaits();
            sim::SimHost& host = desktop.host();
            const std::string& running = host.RunningCommand();
            if (running == "ID" && host.Waiting() == sim::PromptKind::Point) {
                if (ids_.empty() || !ids_.front()) {
                    host.Type("\x1b");
                } else {
                    host.Click(*ids_.front());
                }
                if (!ids_.empty()) ids_.pop_front();
            } else if ((running == "LIST" || running == "SELECT") && host.Waiting() == sim::PromptKind::Objects &&
                       !selections_.empty()) {
                for (Point p : selections_.front()) host.Click(p);
                selections_.pop_front();
                host.Type("\r");
            } else if (running == "INSERT" && host.Waiting() == sim::PromptKind::Point && insertAt) {
                host.Click(*insertAt);
            }
        };
    }
    std::vector<sim::Entity> Added(std::size_t before) const {
        const auto& all = desktop.host().drawing().entities();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }
    std::vector<std::string> Boxes() {
        std::vector<std::string> texts;
        for (const auto& box : view.boxes) texts.push_back(box.text);
        view.boxes.clear();
        return texts;
    }
    void Press(Control button) { testing::PressButton(form, button); }

    std::deque<std::optional<Point>> ids_;
    std::deque<std::vector<Point>> selections_;
    int pumps_ = 0;
};

// Three points in each view; 上面 again starts only its own view afresh; the chain on
// both top faces runs through the top view's steps along the face's plan axes, each
// raised by the front view's step; the side faces and uneven counts are refused.
TEST_F(AxisAndTwoFaceTest, TwoFacePointsMakeAClosedChainOnTheTopFaces) {
    view.comboIndex = 9;  // ２面選択
    Answer({Point{0, 0}, Point{10, 0}, Point{10, 5}});
    Press(Control::Button7);
    EXPECT_EQ(view.texts[Control::Label9], "3");
    Answer({Point{0, 0}, Point{10, 0}, Point{10, 8}});
    Press(Control::Button8);
    EXPECT_EQ(view.texts[Control::Label10], "3");
    EXPECT_FALSE(Busy());

    Answer({Point{3, 3}, Point{4, 4}});
    Press(Control::Button7);
    EXPECT_EQ(view.texts[Control::Label9], "2");
    EXPECT_EQ(view.texts[Control::Label10], "3") << "the front view stays";
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{TwoFaceCountsDifferMessage()});
    Answer({Point{0, 0}, Point{10, 0}, Point{10, 5}});
    Press(Control::Button7);

    for (int face : {0, 1}) {
        SCOPED_TRACE(testing::kFaces[face].name);
        const Point at{500.0 + 100 * face, 500};
        Answer({at});
        const std::size_t before = desktop.host().drawing().entities().size();
        Press(face == 0 ? Control::Button2 : Control::Button3);
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        const testing::FaceView& f = testing::kFaces[face];
        using testing::Along;
        using testing::operator+;
        const Point v0 = at;
        const Point v1 = v0 + Along(f.planX, 10);
        const Point v2 = v1 + Along(f.planY, 5) + Point{0, 8};
        EXPECT_TRUE(testing::HoldsExactly(Added(before), {testing::LineFrom(v0, v1, "first"),
                                                          testing::LineFrom(v1, v2, "second"),
                                                          testing::LineFrom(v2, v0, "closing")}));
        EXPECT_FALSE(Busy());
    }
    const std::size_t before = desktop.host().drawing().entities().size();
    Press(Control::Button4);
    Press(Control::Button5);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{TwoFaceDirectionMessage(), TwoFaceDirectionMessage()}));

    // One point in each view makes no chain.
    Answer({Point{1, 1}});
    Press(Control::Button7);
    Answer({Point{1, 1}});
    Press(Control::Button8);
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{TwoFaceOnePointMessage()});
    Answer({std::nullopt});
    Press(Control::Button7);
    EXPECT_EQ(view.texts[Control::Label9], "0");
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{TwoFaceNothingSelectedMessage()});
    EXPECT_EQ(desktop.host().drawing().entities().size(), before);
}

// A centre line and a stepped outline with a slope, about a vertical and a horizontal
// axis. Each end point of the outline becomes the circle of the body at its station:
// an isometric ellipse perpendicular to the axis (major axis horizontal about a
// vertical axis, at 60 degrees on 左 and 120 on 右), its semi-axes sqrt(1.5) and
// sqrt(0.5) times the radius; each segment along the axis its two silhouette lines.
TEST_F(AxisAndTwoFaceTest, ATurnedPartStandsOnItsAxisOnTheFacesThatAxisAllows) {
    auto& d = desktop.host().drawing();
    // Vertical axis at x = -200; the outline hangs from y = 100, right of it.
    d.AddLine({-200, 0}, {-200, 100});
    d.AddLine({-200, 100}, {-180, 100});  // touches the axis: no station of its own
    d.AddLine({-180, 100}, {-180, 60});
    d.AddLine({-180, 60}, {-170, 50});
    d.AddLine({-170, 50}, {-170, 0});
    d.AddCircle({-250, 50}, 3);           // not a line: passed over
    // Horizontal axis at y = -100; the outline above it.
    d.AddLine({-200, -100}, {-100, -100});
    d.AddLine({-190, -80}, {-150, -80});
    d.AddLine({-150, -80}, {-140, -70});
    d.AddLine({-140, -70}, {-110, -70});
    d.AddLine({-130, -130}, {-120, -130});  // below the axis: ignored

    view.comboIndex = 1;  // 既存軸
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{NoCentreLineMessage()}) << "no centre line chosen yet";

    using testing::Silhouette;
    using testing::Station;
    struct AxisCase {
        const char* name;
        Point axisPick;
        std::vector<Point> outlinePicks;
        std::vector<int> faces;
        std::vector<Station> stations;
        std::vector<Silhouette> silhouettes;
    };
    const AxisCase cases[] = {
        {"vertical",
         {-200, 30},
         {{-190, 100}, {-180, 80}, {-175, 55}, {-170, 25}, {-250, 53}},
         {0, 1},
         {{0, 20}, {40, 20}, {50, 30}, {100, 30}},
         {{0, 40, 20}, {50, 100, 30}}},
        {"horizontal",
         {-150, -100},
         {{-170, -80}, {-145, -75}, {-125, -70}, {-125, -130}},
         {2, 3},
         {},
         {}},
    };
    for (const AxisCase& c : cases) {
        SCOPED_TRACE(c.name);
        Answer({}, {{c.axisPick}, c.outlinePicks});
        Press(Control::Button10);
        Press(Control::Button11);
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        for (int face : {0, 1, 2, 3}) {
            SCOPED_TRACE(testing::kFaces[face].name);
            const bool allowed = std::find(c.faces.begin(), c.faces.end(), face) != c.faces.end();
            const Point at{600.0 + 150 * face, -300};
            Answer({Point{-400, -400}}, {}, at);
            const std::size_t before = desktop.host().drawing().entities().size();
            Press(static_cast<Control>(static_cast<int>(Control::Button2) + face));
            if (!allowed) {
                EXPECT_EQ(Boxes(), std::vector<std::string>{face < 2 ? HorizontalCentreLineFacesMessage()
                                                                     : VerticalCentreLineFacesMessage()});
                EXPECT_EQ(desktop.host().drawing().entities().size(), before);
                continue;
            }
            EXPECT_EQ(Boxes(), std::vector<std::string>{});
            // Down the axis on the top faces; toward 150 degrees on 左 (from the
            // outline's largest X), toward 30 on 右 (from its smallest).
            using testing::Along;
            using testing::operator+;
            std::vector<Station> stations = c.stations;
            std::vector<Silhouette> silhouettes = c.silhouettes;
            double axisDirection = 270;
            double major = 0;
            if (face >= 2) {
                // Stations measured from the end the body starts at.
                const double start = face == 2 ? -110 : -190;
                const auto along = [&](double x) { return std::abs(x - start); };
                stations = {{along(-190), 20}, {along(-150), 20}, {along(-140), 30}, {along(-110), 30}};
                silhouettes = {{along(-190), along(-150), 20}, {along(-140), along(-110), 30}};
                axisDirection = face == 2 ? 150 : 30;
                major = face == 2 ? 60 : 120;
            }
            const auto figure = testing::TurnedPart(at, axisDirection, major, stations, silhouettes);
            const auto added = Added(before);
            EXPECT_TRUE(testing::HoldsExactly(added, figure));
            EXPECT_FALSE(Busy());
        }
    }
}

// Faults of the selections: LIST decides from its own listing whether anything was
// selected (an older count in the history does not), an empty 外形線 selection keeps
// the outline, and an outline wholly beside the axis is told instead of inserted.
TEST_F(AxisAndTwoFaceTest, EmptyListingsKeepWhatWasChosenAndAnEmptyFigureIsNotInserted) {
    auto& d = desktop.host().drawing();
    d.AddLine({-200, 0}, {-200, 100});
    d.AddLine({-220, 10}, {-220, 90});  // left of the axis
    d.AddLine({-180, 10}, {-180, 90});
    view.comboIndex = 1;  // 既存軸
    // A selection of one object leaves "検出数: 1" in the history before the listings.
    desktop.host().Type("select 140,200 \r");
    Answer({}, {{{-200, 50}}, {{-180, 50}}, {}});
    Press(Control::Button10);
    Press(Control::Button11);
    Press(Control::Button11);  // nothing selected: the outline stays
    Answer({Point{-400, -400}}, {}, Point{700, 0});
    std::size_t before = desktop.host().drawing().entities().size();
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_EQ(Added(before).size(), 4u) << "two stations and two silhouette lines";

    // 中心線 again: the outline is kept apart from what the centre line's listing read.
    Answer({}, {{{-200, 50}}});
    Press(Control::Button10);
    before = desktop.host().drawing().entities().size();
    Answer({}, {}, Point{900, 0});
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_EQ(Added(before).size(), 4u) << "the outline, not the centre line, is turned";

    Answer({}, {{{-220, 50}}, {}});
    Press(Control::Button11);  // the outline left of the axis
    Press(Control::Button10);  // nothing selected: the centre line stays
    before = desktop.host().drawing().entities().size();
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{EmptyAxisFigureMessage()});
    EXPECT_EQ(desktop.host().drawing().entities().size(), before);
}

// The centre line must be one line, exactly vertical or horizontal.
TEST_F(AxisAndTwoFaceTest, CentreLinesThatCannotBeAnAxisAreTold) {
    auto& d = desktop.host().drawing();
    d.AddLine({0, -300}, {100, -299});  // slanted
    d.AddLine({0, -320}, {100, -320});
    d.AddCircle({50, -350}, 5);
    Answer({}, {{{50, -299.5}}, {{50, -320}, {0, -300}}, {{45, -350}}});
    Press(Control::Button10);
    Press(Control::Button10);
    Press(Control::Button10);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{CentreLineNotLevelMessage(), SeveralCentreLinesMessage(),
                                                 NoCentreLineMessage()}));
}


// 上面, 正面, 中心線 and 外形線 stay pressable while a command waits for AutoCAD: a press
// then is ignored, types nothing into the open prompt and leaves the palette busy.
TEST_F(AxisAndTwoFaceTest, APressWhileACommandRunsIsIgnored) {
    desktop.host().drawing().AddLine({-200, 0}, {-200, 100});
    const std::string countBefore = view.texts[Control::Label9];
    int pressed = 0;
    bool busyAfterPresses = false;
    std::size_t typedBefore = 0;
    std::size_t typedAfter = 0;
    int pumpsSincePress = 0;
    desktop.pumpHook = [&] {
        sim::SimHost& host = desktop.host();
        // Were a press taken, its wait could never end: bound it, so the test fails
        // instead of hanging.
        if (pressed > 0 && ++pumpsSincePress > 1000) form.Host().AbandonWaits();
        if (host.RunningCommand() != "LIST" || host.Waiting() != sim::PromptKind::Objects || pressed > 0) return;
        ++pressed;
        typedBefore = host.ReceivedInput().size();
        for (Control button : {Control::Button7, Control::Button8, Control::Button10, Control::Button11}) Press(button);
        typedAfter = host.ReceivedInput().size();
        busyAfterPresses = Busy();
        host.Click({-200, 50});
        host.Type("\r");
    };
    Press(Control::Button10);
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(typedAfter, typedBefore) << "nothing typed into LIST's prompt";
    EXPECT_TRUE(busyAfterPresses);
    EXPECT_FALSE(Busy());
    EXPECT_EQ(view.texts[Control::Label9], countBefore);
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
}


// ---------------------------------------------------------------------------------
// 丸棒曲げ and オフセット, typed straight into AutoCAD
// ---------------------------------------------------------------------------------

TEST_F(AxisAndTwoFaceTest, TheBendOnEachFaceIsItsSixteenArcs) {
    view.comboIndex = 5;  // 丸棒曲げ
    view.texts[Control::Edit7] = "20";
    view.texts[Control::Edit8] = "10";
    for (int face : {0, 1, 2, 3}) {
        SCOPED_TRACE(testing::kFaces[face].name);
        const Point at{300.0 + 100 * face, 300};
        Answer({at});
        const std::size_t before = desktop.host().drawing().entities().size();
        const std::size_t typedBefore = desktop.host().ReceivedInput().size();
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + face));
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        const double sideTurn = face == 2 ? -60 : face == 3 ? 60 : 0;
        EXPECT_TRUE(testing::HoldsExactly(Added(before), testing::BendFigure(at, 20, 5, sideTurn)));
        EXPECT_FALSE(Busy());
        // Round trips: one command a piece and one look at the history a quarter, on
        // every face alike (the history copies of the frame around it and of the
        // picked point aside: they come before the first piece and after the last).
        std::size_t ellipses = 0, historyCopies = 0, copiesSinceLastPiece = 0;
        const auto& input = desktop.host().ReceivedInput();
        for (std::size_t i = typedBefore; i < input.size(); ++i) {
            if (input[i].bytes.starts_with("_ellipse")) {
                ++ellipses;
                historyCopies += copiesSinceLastPiece;
                copiesSinceLastPiece = 0;
            } else if (ellipses > 0 && input[i].bytes.starts_with("copyhist")) {
                ++copiesSinceLastPiece;
            }
        }
        historyCopies += std::min<std::size_t>(copiesSinceLastPiece, 1);  // the last quarter's check
        EXPECT_EQ(ellipses, 16u);
        EXPECT_EQ(historyCopies, 4u);
    }
}

// The bar must stay below the bend radius and below 2R/sqrt(4.5), where the cap arcs
// would be scaled through zero.
TEST_F(AxisAndTwoFaceTest, ABarTooThickForItsBendIsRefused) {
    view.comboIndex = 5;  // 丸棒曲げ
    view.texts[Control::Edit7] = "20";
    const std::size_t before = desktop.host().drawing().entities().size();
    for (const char* diameter : {"20", "25", "19", "18.86"}) {
        view.texts[Control::Edit8] = diameter;
        Press(Control::Button2);
    }
    // The limit, 2 x 20 / sqrt(4.5) = 18.8561808316413, as a drafter writes it: rounded
    // down, so that the number shown is itself a diameter the bend takes.
    const std::string tooThick = "丸棒直径は曲げ半径の 0.943 倍（18.856）より小さくして下さい。";
    EXPECT_EQ(Boxes(), (std::vector<std::string>{BarNotBelowBendRadiusMessage(), BarNotBelowBendRadiusMessage(),
                                                 tooThick, tooThick}));
    EXPECT_TRUE(desktop.host().ReceivedInput().empty());
    view.texts[Control::Edit8] = "18.856";
    Answer({Point{0, -300}});
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_TRUE(testing::HoldsExactly(Added(before), testing::BendFigure({0, -300}, 20, 9.428, 0)));
}

// A step the user cancels (Esc in the third arc): the quarter it belongs to is finished
// and checked, nothing after it is typed, everything the bend drew is taken back, the
// user's objects stay and the user is told. No command of the bend acts on AutoCAD's
// last object.
TEST_F(AxisAndTwoFaceTest, ABendStepThatFailsTakesTheBendBack) {
    view.comboIndex = 5;  // 丸棒曲げ
    const auto before = desktop.host().drawing().entities();
    int ellipses = 0;
    std::size_t typedAfterFailure = 0;
    desktop.typingHook = [&](std::string& text) {
        if (ellipses >= 3) ++typedAfterFailure;
        if (text.starts_with("_ellipse") && ++ellipses == 3) text = text.substr(0, text.find('@')) + "\x1b";
    };
    Answer({Point{0, 0}});
    Press(Control::Button2);
    desktop.typingHook = nullptr;
    EXPECT_EQ(Boxes(), std::vector<std::string>{BendFailedMessage()});
    EXPECT_EQ(desktop.host().drawing().entities(), before);
    std::size_t typedEllipses = 0;
    for (const auto& chunk : desktop.host().ReceivedInput()) {
        EXPECT_EQ(chunk.bytes.find("_ellipse", 1), std::string::npos);
        EXPECT_FALSE(chunk.bytes.starts_with("scale") || chunk.bytes.starts_with("rotate")) << chunk.bytes;
        typedEllipses += chunk.bytes.starts_with("_ellipse") ? 1 : 0;
    }
    EXPECT_EQ(typedEllipses, 4u) << "the first quarter (its third cancelled), and none of the next quarter";
    EXPECT_FALSE(Busy());
}

// The offset on each face and with the height sign turned: the selected objects
// copied along the face's depth; with 高さ, a line from each distinct corner to its
// copy, on the corner's layer; the current layer as before; no offset file left,
// even with a leftover one at the start.
TEST_F(AxisAndTwoFaceTest, OffsetCopiesAlongTheDepthAndJoinsTheCorners) {
    auto& d = desktop.host().drawing();
    d.AddLayer("外形");
    d.SetCurrentLayer("外形");
    d.AddLine({100, 250}, {140, 250});  // on 外形
    d.SetCurrentLayer("0");
    view.comboIndex = 8;  // オフセット
    struct Case {
        int face;
        bool invert;
        bool join;
        double direction;
    };
    const Case cases[] = {{0, false, true, 90}, {1, true, true, 90}, {2, false, false, 210}, {3, true, true, 330}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::kFaces[c.face].name);
        std::ofstream(form.Files().offset) << "left over";
        view.checked[Control::menu_help_othr_sign] = c.invert;
        view.checked[Control::CheckBox1] = c.join;
        view.texts[Control::Edit1] = "10";
        Answer({}, {{{120, 200}, {140, 215}, {120, 250}}});
        const std::size_t before = desktop.host().drawing().entities().size();
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + c.face));
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        using testing::Along;
        using testing::operator+;
        const Point shift = Along(c.direction, c.invert ? -10 : 10);
        std::vector<testing::Expected> figure = {
            testing::LineFrom(Point{100, 200} + shift, Point{140, 200} + shift, "copy"),
            testing::LineFrom(Point{140, 200} + shift, Point{140, 230} + shift, "copy"),
            testing::LineFrom(Point{100, 250} + shift, Point{140, 250} + shift, "copy"),
        };
        const std::vector<std::pair<Point, std::string>> corners = {
            {{100, 200}, "0"}, {{140, 200}, "0"}, {{140, 230}, "0"}, {{100, 250}, "外形"}, {{140, 250}, "外形"}};
        if (c.join)
            for (const auto& [corner, layer] : corners) {
                testing::Expected line = testing::LineFrom(corner, corner + shift, "connector on " + layer);
                const auto matches = line.matches;
                const std::string onLayer = layer;
                line.matches = [matches, onLayer](const sim::Entity& e) { return matches(e) && e.layer == onLayer; };
                figure.push_back(line);
            }
        EXPECT_TRUE(testing::HoldsExactly(Added(before), figure));
        // The next case picks the same objects: its copies must not lie under the picks.
        for (const sim::Entity& e : Added(before)) desktop.host().drawing().Erase(e.id);
        EXPECT_EQ(desktop.host().drawing().currentLayer(), "0");
        EXPECT_FALSE(std::filesystem::exists(form.Files().offset));
        EXPECT_FALSE(Busy());
    }
    view.texts[Control::Edit1] = "0";
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{OffsetHeightZeroMessage()});
}


// ---------------------------------------------------------------------------------
// 文字: a text written with AutoCAD's own command, laid on the face
// ---------------------------------------------------------------------------------

// The user at AutoCAD answers TEXT: the start point, the height, the angle 0 and `value`.
void AnswerText(sim::SimDesktop& desktop, Point at, double height, const std::string& value) {
    desktop.pumpHook = [&desktop, at, height, value] {
        sim::SimHost& host = desktop.host();
        if (host.RunningCommand() != "TEXT") return;
        const std::string& line = host.CommandLineText();
        const sim::EditionTexts& t = host.texts();
        if (line.find(std::string(t.textStartPoint)) != std::string::npos) {
            host.Click(at);
        } else if (line.find("<") != std::string::npos && line.find(std::string(t.textAngle.substr(0, 6))) != std::string::npos) {
            host.Type("0\r");
        } else if (line.ends_with(std::string(t.textValue))) {
            host.Type(value + "\r");
        } else if (host.Waiting() == sim::PromptKind::Point) {
            host.Type(testing::Number(height) + "\r");
        }
    };
}

TEST_F(AxisAndTwoFaceTest, ATextLiesOnEachFaceAtItsStartPoint) {
    view.comboIndex = 6;  // 文字
    for (int face : {0, 1, 2, 3}) {
        SCOPED_TRACE(testing::kFaces[face].name);
        const Point at{300.0 + 100 * face, 400};
        AnswerText(desktop, at, 5, "ABC");
        const std::size_t before = desktop.host().drawing().entities().size();
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + face));
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        const auto added = Added(before);
        ASSERT_EQ(added.size(), 1u) << "the plan text is replaced by the one on the face";
        const sim::Entity& text = added.front();
        ASSERT_EQ(text.kind, EntityKind::Text);
        EXPECT_EQ(text.text, "ABC");
        EXPECT_NEAR(text.points[0].x, at.x, 1e-9);
        EXPECT_NEAR(text.points[0].y, at.y, 1e-9);
        const testing::TextOnFace want = testing::ExpectedText(testing::kFaces[face], 5);
        EXPECT_NEAR(std::remainder(text.rotation - want.rotation, 360.0), 0, 1e-9);
        EXPECT_NEAR(text.height, want.height, 1e-9);
        EXPECT_NEAR(text.widthFactor, want.width, 1e-9);
        EXPECT_NEAR(text.oblique, want.oblique, 1e-9);
        EXPECT_FALSE(Busy());
        EXPECT_TRUE(desktop.host().drawing().blocks().empty());
    }
}

// An empty text makes no object: the user's last object is not selected, turned or
// erased. A start point that cannot be read stops with the text left in plan.
TEST_F(AxisAndTwoFaceTest, ATextThatWasNotMadeOrCannotBePlacedTouchesNothing) {
    view.comboIndex = 6;  // 文字
    auto before = desktop.host().drawing().entities();
    AnswerText(desktop, {500, 400}, 5, "");
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{TextNotMadeMessage()});
    EXPECT_EQ(desktop.host().drawing().entities(), before);
    for (const auto& chunk : desktop.host().ReceivedInput()) EXPECT_NE(chunk.bytes, "select l  ");

    AnswerText(desktop, {500, 400}, 5, "ABC");
    desktop.typingHook = [this](std::string& text) {
        if (text == "lastpoint ") desktop.host().SetLastPoint({std::nan(""), 0});
    };
    Press(Control::Button2);
    desktop.typingHook = nullptr;
    EXPECT_EQ(Boxes(), std::vector<std::string>{TextPointUnreadMessage()});
    const auto& after = desktop.host().drawing().entities();
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(after.back().kind, EntityKind::Text);
    EXPECT_NEAR(after.back().rotation, 0, 1e-12) << "left in plan where the user wrote it";
    EXPECT_FALSE(Busy());
}


// ---------------------------------------------------------------------------------
// 寸法: a dimension AutoCAD makes, laid on the face through the picked points
// ---------------------------------------------------------------------------------

// On each face, a pair in a direction the face carries: the third point on the line,
// so the dimension line runs through the picked points; its text is the true
// distance. Picks in the other order come out the same.
TEST_F(AxisAndTwoFaceTest, ADimensionRunsThroughThePickedPointsOnEachFace) {
    view.comboIndex = 7;  // 寸法
    using testing::Along;
    using testing::operator+;
    struct Case {
        int face;
        double direction;
        bool swapped;
    };
    const Case cases[] = {{0, 30, false}, {0, 210, true}, {1, 150, false}, {2, 330, false},
                          {2, 90, false}, {3, 30, false},  {3, 270, true}};
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(testing::kFaces[c.face].name) + " " + std::to_string(c.direction));
        const Point p1{300.0 + 80 * k++, 500};
        const Point p2 = p1 + Along(c.direction, 40);
        const Point middle{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
        Answer({c.swapped ? p2 : p1, c.swapped ? p1 : p2, middle, Point{-900, -900}});
        const std::size_t before = desktop.host().drawing().entities().size();
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + c.face));
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        const auto added = Added(before);
        bool line = false;
        bool value = false;
        // The palette reads the picks back as AutoCAD shows them, to four decimals.
        const auto near = [](Point a, Point b) { return std::abs(a.x - b.x) < 1e-4 && std::abs(a.y - b.y) < 1e-4; };
        for (const sim::Entity& e : added) {
            if (e.kind == EntityKind::Line &&
                ((near(e.points[0], p1) && near(e.points[1], p2)) || (near(e.points[0], p2) && near(e.points[1], p1))))
                line = true;
            if (e.kind == EntityKind::Text && e.text == "40.0000") value = true;
        }
        EXPECT_TRUE(line) << "the dimension line through the picked points";
        EXPECT_TRUE(value) << "the true distance as its text";
        EXPECT_EQ(std::count_if(added.begin(), added.end(), [](const sim::Entity& e) { return e.kind == EntityKind::Solid; }), 2);
        EXPECT_EQ(added.size(), 6u) << "the plan dimension is gone; its pieces lie on the face";
        EXPECT_FALSE(Busy());
    }
}

// The palette's dimension and the one drawn without AutoCAD from the same picks
// (LayDimensionOut and DimensionOnFace, which tessavue-iso writes) are the same pieces
// on each face: the lines and arrowheads to the rounding of the picks the palette
// reads back, the text by its value and its setting on the face (the stand-in's text
// starts where its width guess puts it, the other is centred, so their start points
// differ).
TEST_F(AxisAndTwoFaceTest, ThePalettesDimensionIsTheOneDrawnWithoutAutoCad) {
    view.comboIndex = 7;  // 寸法
    view.texts[Control::Edit6] = "7.25";
    using testing::Along;
    using testing::operator+;
    struct Case {
        int face;
        double direction;
        int side;  // the third pick left (+1) or right (-1) of the first-to-second line
    };
    const Case cases[] = {{0, 30, 1}, {1, 330, -1}, {2, 90, 1}, {3, 210, -1}, {3, 270, 1}};
    int k = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(testing::kFaces[c.face].name) + " " + std::to_string(c.direction));
        const Point p1{300.12345678901234 + 80 * k++, 500.98765432109876};
        const Point p2 = p1 + Along(c.direction, 40.123456789012345);
        const Point p3 = Point{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2} + Along(c.direction + 90 * c.side, 6);
        Answer({p1, p2, p3, Point{-900, -900}});
        const std::size_t before = desktop.host().drawing().entities().size();
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + c.face));
        ASSERT_EQ(Boxes(), std::vector<std::string>{});
        std::vector<sim::Entity> added = Added(before);

        const FaceParameters& face = *FaceRow(c.face);
        const DimensionLayout layout = LayDimensionOut(face, {p1.x, p1.y}, {p2.x, p2.y}, {p3.x, p3.y}, 7.25, 0);
        ASSERT_EQ(layout.Refusal, DimensionRefusal::None);
        const std::vector<WorldEntity> mine = DimensionOnFace(face, layout, 4, "0");
        EXPECT_EQ(mine.size(), 6u);
        const auto near = [](Vec2 a, Point b) { return std::abs(a.X - b.x) < 1e-4 && std::abs(a.Y - b.y) < 1e-4; };
        for (const WorldEntity& piece : mine) {
            const auto same = [&](const sim::Entity& e) {
                if (const auto* l = std::get_if<WorldLine>(&piece.Shape))
                    return e.kind == EntityKind::Line && ((near(l->Start, e.points[0]) && near(l->End, e.points[1])) ||
                                                          (near(l->Start, e.points[1]) && near(l->End, e.points[0])));
                if (const auto* s = std::get_if<WorldSolid>(&piece.Shape))
                    return e.kind == EntityKind::Solid && e.points.size() == 4 && near(s->Corners[0], e.points[0]) &&
                           near(s->Corners[1], e.points[1]) && near(s->Corners[2], e.points[2]) &&
                           near(s->Corners[3], e.points[3]);
                const auto& t = std::get<WorldText>(piece.Shape);
                return e.kind == EntityKind::Text && e.text == t.Text && std::abs(e.height - t.Height) < 1e-6 &&
                       std::abs(std::remainder(e.rotation - t.RotationDeg, 360.0)) < 1e-6 &&
                       std::abs(e.widthFactor - t.WidthFactor) < 1e-6 && std::abs(e.oblique - t.ObliqueDeg) < 1e-6;
            };
            const auto found = std::find_if(added.begin(), added.end(), same);
            EXPECT_NE(found, added.end()) << "a piece of kind " << piece.Shape.index() << " the palette did not draw";
            if (found != added.end()) added.erase(found);
        }
        EXPECT_TRUE(added.empty()) << added.size() << " pieces of the palette's not drawn without AutoCAD";
    }
}

// The direction check: 29.95 and 30.85 count as 30, 29.85 is told as 29; coincident
// picks; a direction the face would turn elsewhere; a dimension AutoCAD does not make.
TEST_F(AxisAndTwoFaceTest, DimensionPicksThatCannotBeDrawnAreTold) {
    view.comboIndex = 7;  // 寸法
    using testing::Along;
    using testing::operator+;
    const Point p1{0, -500};
    const auto press = [&](double degrees, int face) {
        Answer({p1, p1 + Along(degrees, 40), p1, Point{-900, -900}});
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + face));
        return Boxes();
    };
    EXPECT_EQ(press(29.95, 0), std::vector<std::string>{});
    EXPECT_EQ(press(30.85, 0), std::vector<std::string>{});
    EXPECT_EQ(press(29.85, 0), std::vector<std::string>{DimensionDirectionMessage(29)});
    EXPECT_EQ(press(150, 0), std::vector<std::string>{DimensionFaceMessage(0)});
    EXPECT_EQ(press(90, 1), std::vector<std::string>{DimensionFaceMessage(1)});
    Answer({p1, p1, p1});
    Press(Control::Button2);
    EXPECT_EQ(Boxes(), std::vector<std::string>{DimensionSamePointsMessage()});

    const auto before = desktop.host().drawing().entities();
    desktop.typingHook = [](std::string& text) {
        if (text.starts_with("_dimlinear")) text = "_dimlinear \x1b";
    };
    Answer({p1, p1 + Along(30, 40), p1});
    Press(Control::Button2);
    desktop.typingHook = nullptr;
    EXPECT_EQ(Boxes(), std::vector<std::string>{DimensionNotMadeMessage()});
    EXPECT_EQ(desktop.host().drawing().entities(), before) << "nothing of the user's is touched";
    EXPECT_FALSE(Busy());
}


// ---------------------------------------------------------------------------------
// The host's frame: the world's UCS, a visible current layer, points at full precision
// ---------------------------------------------------------------------------------

// In a UCS of the user's every command stops before it types anything of its own; on a
// current layer that is off or frozen every draw kind does. Each says why, and nothing
// of the user's changes.
TEST_F(AxisAndTwoFaceTest, EveryKindStopsFirstInAUsersUcsOrOnAHiddenCurrentLayer) {
    auto& d = desktop.host().drawing();
    d.AddLine({-200, 0}, {-200, 100});
    d.AddLine({-180, 10}, {-180, 90});
    // What each kind needs is chosen first, in the world's UCS.
    view.comboIndex = 0;
    Answer({Point{100, 200}}, {{{120, 200}}});
    Press(Control::Button1);
    Answer({}, {{{-200, 50}}, {{-180, 50}}});
    Press(Control::Button10);
    Press(Control::Button11);
    Answer({Point{0, 0}, Point{10, 0}, std::nullopt});
    Press(Control::Button7);
    Answer({Point{0, 0}, Point{10, 5}, std::nullopt});
    Press(Control::Button8);
    ASSERT_EQ(Boxes(), std::vector<std::string>{});

    sim::Layer& layer = *d.FindLayer("0");
    struct Condition {
        const char* name;
        std::function<void()> set;
        std::string message;
        std::vector<std::string> asked;  // what the palette typed before it stopped
        bool drawsOnly;                  // only the draw kinds look at the layer
    };
    const Condition conditions[] = {
        {"a UCS of the user's", [&] { d.ucsOrigin = {10.5, -3.25}; }, NotWorldUcsMessage(), {"worlducs ", "-layer  "}, false},
        {"the current layer off", [&] { layer.on = false; }, HiddenLayerMessage("0", {true, true, false}),
         {"worlducs ", "-layer  ", "-layer ?\r0\r\r"}, true},
        {"the current layer frozen", [&] { layer.frozen = true; }, HiddenLayerMessage("0", {true, false, true}),
         {"worlducs ", "-layer  ", "-layer ?\r0\r\r"}, true},
    };
    const char* const kinds[] = {"既存図形", "既存軸", "円", "四角", "六角", "丸棒曲げ", "文字", "寸法", "オフセット", "２面選択"};
    for (const Condition& c : conditions) {
        SCOPED_TRACE(c.name);
        c.set();
        const auto typedSince = [this](std::size_t from) {
            std::vector<std::string> out;
            const auto& input = desktop.host().ReceivedInput();
            for (std::size_t i = from; i < input.size(); ++i)
                if (input[i].transport != "user" && input[i].bytes != "copyhist ") out.push_back(input[i].bytes);
            return out;
        };
        for (int k = 0; k < 10; ++k) {
            SCOPED_TRACE(kinds[k]);
            view.comboIndex = k;
            Answer({});
            const auto before = d.entities();
            const std::size_t typed = desktop.host().ReceivedInput().size();
            Press(Control::Button2);
            EXPECT_EQ(Boxes(), std::vector<std::string>{c.message});
            EXPECT_EQ(typedSince(typed), c.asked);
            EXPECT_EQ(d.entities(), before);
            EXPECT_FALSE(Busy());
        }
        if (!c.drawsOnly) {
            // The selections read points: they stop as well, after the one question.
            for (Control button : {Control::Button1, Control::Button7, Control::Button10}) {
                Answer({});
                const std::size_t typed = desktop.host().ReceivedInput().size();
                Press(button);
                EXPECT_EQ(Boxes(), std::vector<std::string>{c.message});
                EXPECT_EQ(typedSince(typed), std::vector<std::string>{"worlducs "});
            }
        }
        d.ucsOrigin = {};
        layer.on = true;
        layer.frozen = false;
        EXPECT_EQ(d.unitPrecision, 4);
    }
}

// A plan whose corners AutoCAD shows rounded at its four decimals, in architectural
// units: the base point is picked at a corner with all its digits. The palette reads it
// at eight decimals in decimal units, so each face's figure stands exactly about the
// point as read (off the picked corner by AutoCAD's rounding at eight decimals only)
// and every height line meets the corners of the figure and of its raised copy; the
// user's units are back afterwards.
TEST_F(AxisAndTwoFaceTest, ACornerWithSixteenDigitsGivesExactFiguresOnEveryFace) {
    auto& d = desktop.host().drawing();
    d.linearUnits = 4;
    d.unitPrecision = 2;
    const Point c0{78.14063885583995, 118.89259015094285};
    const Point c1{c0.x + 40.123456789012345, c0.y + 0.3183098861837907};
    const Point c2{c1.x - 0.7071067811865476, c1.y + 25.19842099789746};
    d.AddLine(c0, c1);
    d.AddLine(c1, c2);
    const Point centre{c0.x + 19.87654321098765, c0.y + 12.3456789012345};
    d.AddCircle(centre, 4.242640687119285);

    view.comboIndex = 0;  // 既存図形
    view.checked[Control::menu_help_othr_circ] = true;
    view.checked[Control::CheckBox1] = true;
    Answer({c0}, {{c0, Point{(c1.x + c2.x) / 2, (c1.y + c2.y) / 2}, Point{centre.x + 4.242640687119285, centre.y}}});
    Press(Control::Button1);
    ASSERT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_EQ(d.linearUnits, 4) << "the user's units are back";
    EXPECT_EQ(d.unitPrecision, 2);

    // The corner as AutoCAD shows it at eight decimals.
    const auto shown = [](double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%.8f", v);
        return std::strtod(text, nullptr);
    };
    const Point read{shown(c0.x), shown(c0.y)};
    testing::Plan plan;
    plan.lines = {{c0, c1}, {c1, c2}};
    plan.circles = {{centre, 4.242640687119285}};
    testing::FigureOptions options;
    options.circleHeightLines = true;
    for (int face : {0, 1, 2, 3}) {
        SCOPED_TRACE(testing::kFaces[face].name);
        const Point at{612.3456789012345 + 150 * face, -300.98765432109876};
        Answer({}, {}, at);
        const std::size_t before = d.entities().size();
        Press(static_cast<Control>(static_cast<int>(Control::Button2) + face));
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        const auto added = Added(before);
        EXPECT_TRUE(testing::HoldsExactly(added, testing::FigureOf(plan, testing::Placement{testing::kFaces[face], read, at}, options)));
        // The figure's corners and the height lines' ends are the same points, so that an
        // endpoint snap finds one corner where the drafter sees one.
        std::vector<Point> corners;
        for (const sim::Entity& e : added)
            if (e.kind == EntityKind::Line && std::abs(std::hypot(e.points[1].x - e.points[0].x, e.points[1].y - e.points[0].y) - 10) > 1e-6)
                corners.insert(corners.end(), e.points.begin(), e.points.end());
        int heightLines = 0;
        for (const sim::Entity& e : added) {
            if (e.kind != EntityKind::Line) continue;
            if (std::abs(std::hypot(e.points[1].x - e.points[0].x, e.points[1].y - e.points[0].y) - 10) > 1e-6) continue;
            for (Point end : e.points) {
                const bool onEllipse = std::any_of(added.begin(), added.end(), [&](const sim::Entity& x) {
                    return x.kind == EntityKind::Ellipse &&
                           std::abs(std::hypot(end.x - x.points[0].x, end.y - x.points[0].y) -
                                    std::hypot(x.points[1].x, x.points[1].y)) < 1e-9;
                });
                if (onEllipse) continue;
                EXPECT_TRUE(std::any_of(corners.begin(), corners.end(), [&](Point q) {
                    return std::abs(q.x - end.x) < 1e-11 && std::abs(q.y - end.y) < 1e-11;
                })) << "a height line end beside the corners: " << testing::Show(end);
            }
            ++heightLines;
        }
        EXPECT_EQ(heightLines, 5) << "three corners and the circle's two";
    }
    EXPECT_EQ(d.linearUnits, 4);
    EXPECT_EQ(d.unitPrecision, 2);
}


// Picks with sixteen digits are read at eight decimals: a third point snapped onto the
// line lies on it within AutoCAD's rounding there, and one 1e-5 beside the line (which
// four decimals could not tell from the line) puts the dimension line beside it.
TEST_F(AxisAndTwoFaceTest, ADimensionsThirdPointCountsAsOnTheLineOnlyWithinTheRoundingOfItsDigits) {
    view.comboIndex = 7;  // 寸法
    using testing::Along;
    using testing::operator+;
    const Point p1{300.14063885583995, 500.89259015094285};
    const Point p2 = p1 + Along(30, 40.123456789012345);
    const Point middle{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
    struct Case {
        const char* name;
        Point third;
        bool throughThePicks;
    };
    const Case cases[] = {
        {"on the line", middle, true},
        {"1e-5 above it", middle + Point{0, 1e-5}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Answer({p1, p2, c.third, Point{-900, -900}});
        const std::size_t before = desktop.host().drawing().entities().size();
        Press(Control::Button2);
        EXPECT_EQ(Boxes(), std::vector<std::string>{});
        const auto near = [](Point a, Point b) { return std::abs(a.x - b.x) < 2e-8 && std::abs(a.y - b.y) < 2e-8; };
        bool through = false;
        bool beside = false;
        for (const sim::Entity& e : Added(before)) {
            if (e.kind != EntityKind::Line) continue;
            if ((near(e.points[0], p1) && near(e.points[1], p2)) || (near(e.points[0], p2) && near(e.points[1], p1)))
                through = true;
            // Beside: a line parallel to the picks, its middle 10 along the face's image of
            // plan Y (150 degrees on 上左) from theirs.
            const Point mid{(e.points[0].x + e.points[1].x) / 2, (e.points[0].y + e.points[1].y) / 2};
            const double length = std::hypot(e.points[1].x - e.points[0].x, e.points[1].y - e.points[0].y);
            if (std::abs(length - 40.123456789012345) < 1e-8 && near(mid, middle + Along(150, 10))) beside = true;
        }
        EXPECT_EQ(through, c.throughThePicks);
        EXPECT_EQ(beside, !c.throughThePicks);
    }
}

}  // namespace
}  // namespace tessavue
