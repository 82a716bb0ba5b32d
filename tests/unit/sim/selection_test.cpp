// Object selection as AutoCAD does it: keywords, picks, windows, the counts it reports
// and the previous selection set it leaves.
#include <gtest/gtest.h>

#include <string>

#include "core/host.h"

namespace tessavue::sim {
namespace {

std::string Back(const SimHost& host, std::size_t fromEnd) {
    const auto& lines = host.HistoryLines();
    return fromEnd < lines.size() ? lines[lines.size() - 1 - fromEnd] : std::string("<none>");
}

// Three lines: a short horizontal one, a vertical one far right, a long diagonal.
void DrawThree(SimHost& host) {
    host.Type("line 0,0 10,0  line 100,0 100,10  line 0,50 60,110  ");
    ASSERT_EQ(host.drawing().entities().size(), 3u);
}

TEST(SimSelection, LastObjectIsTheNewestStillInTheDrawing) {
    SimHost host(Edition::LT2000);
    DrawThree(host);
    host.Type("erase l  ");
    EXPECT_EQ(Back(host, 2), "ｵﾌﾞｼﾞｪｸﾄを選択: l");
    EXPECT_EQ(Back(host, 1), "検出数: 1");
    ASSERT_EQ(host.drawing().entities().size(), 2u);
    host.Type("erase l  ");
    ASSERT_EQ(host.drawing().entities().size(), 1u);
    EXPECT_EQ(host.drawing().entities()[0].points[1], (Point{10, 0}));
}

TEST(SimSelection, CountsReportedAsAutoCadDoes) {
    SimHost host(Edition::LT2006);
    DrawThree(host);
    host.Type("select l l all ");
    EXPECT_EQ(Back(host, 4), "検出数: 1");
    EXPECT_EQ(Back(host, 2), "検出数: 1 (1 個重複)、合計: 1");
    EXPECT_EQ(Back(host, 0), "検出数: 3 (1 個重複)、合計: 3");
    host.Type("xyz ");
    EXPECT_EQ(Back(host, 1), "*無効な選択*");
    EXPECT_TRUE(host.InCommand());
    host.Type(" ");
    EXPECT_EQ(host.PreviousSelection().size(), 3u);
}

TEST(SimSelection, PicksAndWindowsFromTheUser) {
    SimHost host(Edition::LT2000);
    DrawThree(host);
    host.Type("erase ");
    ASSERT_TRUE(host.Click({5, 0.5}));  // on the short line
    EXPECT_EQ(Back(host, 0), "ｵﾌﾞｼﾞｪｸﾄを選択: 検出数: 1");
    // A window wholly around the vertical line only; the diagonal merely crosses it.
    ASSERT_TRUE(host.SelectWindow({90, -5}, {110, 80}));
    EXPECT_EQ(Back(host, 0), "ｵﾌﾞｼﾞｪｸﾄを選択: もう一方のｺｰﾅｰを指定: 検出数: 1、合計: 2");
    host.Type(" ");
    ASSERT_EQ(host.drawing().entities().size(), 1u);
    EXPECT_EQ(host.drawing().entities()[0].points[0], (Point{0, 50}));
}

TEST(SimSelection, ClickOnEmptySpaceStartsAnImpliedWindow) {
    SimHost host;
    DrawThree(host);
    host.Type("select ");
    ASSERT_TRUE(host.Click({70, 120}));
    EXPECT_EQ(host.CommandLineText(), "ｵﾌﾞｼﾞｪｸﾄを選択: もう一方のｺｰﾅｰを指定: ");
    // Dragged to the left: a crossing window takes what it touches.
    ASSERT_TRUE(host.Click({50, 90}));
    EXPECT_EQ(Back(host, 0), "ｵﾌﾞｼﾞｪｸﾄを選択: もう一方のｺｰﾅｰを指定: 検出数: 1");
    host.Type("\r");
    ASSERT_EQ(host.PreviousSelection().size(), 1u);
    EXPECT_EQ(host.drawing().Find(host.PreviousSelection()[0])->points[0], (Point{0, 50}));
}

TEST(SimSelection, PreviousSetAndItsAbsence) {
    SimHost host(Edition::LT2006);
    DrawThree(host);
    host.Type("select pre\r ");
    EXPECT_EQ(Back(host, 2), "オブジェクトを選択: pre");
    EXPECT_NE(Back(host, 1).find("直前"), std::string::npos) << Back(host, 1);
    host.Type("select all  select pre\r ");
    EXPECT_EQ(Back(host, 2), "オブジェクトを選択: pre");
    EXPECT_EQ(Back(host, 1), "検出数: 3");
    host.Type("erase p  ");
    EXPECT_TRUE(host.drawing().entities().empty());
}

TEST(SimSelection, ClicksOnlyWhereAPromptTakesThem) {
    SimHost host;
    DrawThree(host);
    EXPECT_FALSE(host.SelectWindow({0, 0}, {1, 1}));
    host.Type("line ");
    EXPECT_FALSE(host.SelectWindow({0, 0}, {1, 1}));
    EXPECT_TRUE(host.Click({200, 200}));
    host.Type(" ");
    EXPECT_EQ(host.LastPoint(), (Point{200, 200}));
}

TEST(SimDrawingGeometry, HitTestAndRectanglesOnCurves) {
    Drawing d;
    const int circle = d.AddCircle({0, 0}, 10);
    const int arc = d.AddArc({50, 0}, 10, 0, 90);  // upper-right quarter only
    d.AddLayer("A");
    ASSERT_TRUE(d.SetCurrentLayer("a"));
    const int poly = d.AddPolyline({{100, 0}, {110, 0}, {110, 10}}, true);
    EXPECT_EQ(d.Find(poly)->layer, "A");
    EXPECT_EQ(d.HitTest({10.2, 0}, 0.5), circle);
    EXPECT_EQ(d.HitTest({0, 0}, 0.5), std::nullopt);  // the centre is not on the circle
    EXPECT_EQ(d.HitTest({50, 10.1}, 0.5), arc);
    EXPECT_EQ(d.HitTest({40, 0}, 0.5), std::nullopt);  // where a whole circle would be
    EXPECT_EQ(d.HitTest({105, 5}, 0.5), poly);         // the closing segment
    EXPECT_EQ(d.InRectangle({-11, -11}, {11, 11}, false), (std::vector<int>{circle}));
    EXPECT_EQ(d.InRectangle({-11, -11}, {5, 11}, false), std::vector<int>{});
    EXPECT_EQ(d.InRectangle({-11, -11}, {5, 11}, true), (std::vector<int>{circle}));
    const auto box = d.ComputeExtents();
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->min.x, -10, 1e-9);
    EXPECT_NEAR(box->max.x, 110, 1e-9);
    EXPECT_NEAR(box->max.y, 10, 1e-9);
}

}  // namespace
}  // namespace tessavue::sim
