// Line objects read back from AutoCAD's LIST output in the command history.
#include <gtest/gtest.h>

#include <string>

#include "entity_rows.h"
#include "host/history_queries.h"
#include "import/listed_selection.h"

namespace tessavue {
namespace {

using testing::RowsAre;

std::string Line(double x1, double y1, double x2, double y2) {
    const auto n = [](double v) { return std::to_string(v); };
    return "                  線分      画層: 0\r\n"
           "              始点 点, X= " + n(x1) + "  Y= " + n(y1) + "  Z=   0.0000\r\n"
           "              終点 点, X= " + n(x2) + "  Y= " + n(y2) + "  Z=   0.0000\r\n"
           "          長さ =  1.0000,  XY 平面上の角度 =      0\r\n";
}
const std::string kCircle =
    "                  円      画層: 0\r\n            中心点 点, X=   5.0000  Y=   5.0000  Z=   0.0000\r\n"
    "            半径    2.0000\r\n";

TEST(ReadListedLines, OnlyTheLastListingsLineObjectsInOrder) {
    const std::string history = "ｺﾏﾝﾄﾞ: list\r\n" + Line(1, 1, 2, 2) +           // an earlier listing
                                "ｺﾏﾝﾄﾞ: list\r\nｵﾌﾞｼﾞｪｸﾄを選択: 検出数: 3\r\n" +  //
                                Line(0, 0, 0, 100) + kCircle + Line(-3.5, 4, 10, 4) + "ｺﾏﾝﾄﾞ: copyhist\r\n";
    EntityTableRows table;
    ClearEntityTable(table);
    EXPECT_EQ(ReadListedLines(history, table), 2);
    EXPECT_TRUE(RowsAre(table, {{0, "0", 0, 0, 0, 100}, {0, "0", -3.5, 4, 10, 4}}));
    EXPECT_TRUE(ListingShowsObjects(SplitHistoryLines(history)));
}

TEST(ReadListedLines, AtMostTheTableIsFilled) {
    std::string history = "ｺﾏﾝﾄﾞ: list\r\n";
    for (int i = 0; i <= kEntityRows; ++i) history += Line(i, 0, i, 1);
    EntityTableRows table;
    ClearEntityTable(table);
    EXPECT_EQ(ReadListedLines(history, table), kEntityRows);
    EXPECT_EQ(table[kEntityRows - 1].X1, kEntityRows - 1);
}

// An empty selection lists nothing: an object count further up the history, from
// another command, is not this listing's.
TEST(ListingShowsObjects, DecidedFromThisListingAlone) {
    const auto lines = SplitHistoryLines(
        "ｺﾏﾝﾄﾞ: select\r\nｵﾌﾞｼﾞｪｸﾄを選択: 検出数: 1\r\nｵﾌﾞｼﾞｪｸﾄを選択:\r\n"
        "ｺﾏﾝﾄﾞ: list\r\nｵﾌﾞｼﾞｪｸﾄを選択:\r\nｺﾏﾝﾄﾞ: copyhist\r\n");
    EXPECT_FALSE(ListingShowsObjects(lines));
    EXPECT_TRUE(HistoryShowsNonZeroCount(lines)) << "what the count alone would have said";
    EntityTableRows table;
    ClearEntityTable(table);
    EXPECT_EQ(ReadListedLines("ｺﾏﾝﾄﾞ: list\r\n" + kCircle, table), 0);
    EXPECT_TRUE(ListingShowsObjects(SplitHistoryLines("ｺﾏﾝﾄﾞ: list\r\n" + kCircle)));
}

}  // namespace
}  // namespace tessavue
