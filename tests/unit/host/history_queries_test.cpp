// The history searches on history texts as AutoCAD writes them.
#include "host/history_queries.h"

#include <gtest/gtest.h>

namespace tessavue {
namespace {

const std::string kHalfPrompt = "ｺﾏﾝﾄﾞ: ";
const std::string kFullPrompt = "コマンド: ";

std::vector<std::string> Lines(std::initializer_list<const char*> lines) { return {lines.begin(), lines.end()}; }

TEST(SplitHistoryLines, EveryLineEndCountsAndAnEmptyTailIsNoLine) {
    EXPECT_EQ(SplitHistoryLines("a\r\nb\rc\nd"), Lines({"a", "b", "c", "d"}));
    EXPECT_EQ(SplitHistoryLines("a\r\n"), Lines({"a"}));
    EXPECT_EQ(SplitHistoryLines("a\n\nb\r\n\r\n"), Lines({"a", "", "b", ""}));
    EXPECT_EQ(SplitHistoryLines("\r\n"), Lines({""}));
    EXPECT_TRUE(SplitHistoryLines("").empty());
    // A Shift-JIS character whose second byte is 0x5C or 0x7C stays whole.
    EXPECT_EQ(SplitHistoryLines("表示\r\nソ|"), Lines({"表示", "ソ|"}));
}

TEST(HistoryShowsCancel, LooksBackOnlyToTheCommandsEchoLine) {
    const std::string echo = kHalfPrompt + "select";
    const auto cancelled = Lines({"ｺﾏﾝﾄﾞ: line", "1 点目を指定: *ｷｬﾝｾﾙ*", "ｺﾏﾝﾄﾞ: select", "ｵﾌﾞｼﾞｪｸﾄを選択: ",
                                  "ｵﾌﾞｼﾞｪｸﾄを選択: *キャンセル*", "ｺﾏﾝﾄﾞ: copyhist"});
    EXPECT_TRUE(HistoryShowsCancel(cancelled, echo));

    auto good = cancelled;
    good.erase(good.begin() + 4);
    EXPECT_FALSE(HistoryShowsCancel(good, echo)) << "the cancel above the echo line is an earlier command's";

    EXPECT_TRUE(HistoryShowsCancel(Lines({"no echo here", "*ｷｬﾝｾﾙ*", "x"}), echo))
        << "without the echo line the whole history is searched";
    EXPECT_FALSE(HistoryShowsCancel({}, echo));
}

TEST(HistoryShowsCancel, EchoLineFollowsTheEditionsPrompt) {
    const auto lt2006 = Lines({"コマンド: id 点を指定: *キャンセル*", "コマンド: copyhist"});
    EXPECT_TRUE(HistoryShowsCancel(lt2006, kFullPrompt + "id 点を指定:"));
    const auto picked = Lines({"ｺﾏﾝﾄﾞ: line 1 点目を指定: *ｷｬﾝｾﾙ*", "ｺﾏﾝﾄﾞ: id 点を指定: 10,20",
                               "X = 10.0000     Y = 20.0000     Z = 0.0000", "ｺﾏﾝﾄﾞ: copyhist"});
    EXPECT_FALSE(HistoryShowsCancel(picked, kHalfPrompt + "id 点を指定:"));
    // Searched with the other edition's prompt the echo line is not found, and the
    // older cancel is taken for this command's.
    EXPECT_TRUE(HistoryShowsCancel(picked, kFullPrompt + "id 点を指定:"));
}

// A group of commands checked at once: each of the last `count` echoes must be there,
// with no cancel after the first of them; a cancel before the group is an earlier
// command's.
TEST(HistoryShowsAllFinished, EveryCommandOfTheGroupAndNoCancelAfterItsFirst) {
    const std::string echo = kHalfPrompt + "_ellipse";
    const char* const piece = "ｺﾏﾝﾄﾞ: _ellipse";
    const char* const asks = "楕円の軸の端点を指定 または [円弧(A)/中心(C)]: a";
    struct Row {
        const char* name;
        std::vector<std::string> lines;
        std::size_t count;
        bool finished;
    };
    const Row rows[] = {
        {"all four", Lines({"ｺﾏﾝﾄﾞ: line", "*ｷｬﾝｾﾙ*", piece, asks, piece, asks, piece, asks, piece, asks,
                            "ｺﾏﾝﾄﾞ: copyhist"}),
         4, true},
        {"the third cancelled",
         Lines({piece, asks, piece, asks, piece, "楕円弧の軸の端点を指定 または [中心(C)]: *ｷｬﾝｾﾙ*", piece, asks,
                "ｺﾏﾝﾄﾞ: copyhist"}),
         4, false},
        {"the last cancelled in full-width", Lines({piece, piece, piece, piece, "*キャンセル*"}), 4, false},
        {"one piece missing: the typing stopped", Lines({"ｺﾏﾝﾄﾞ: line", piece, piece, piece, "ｺﾏﾝﾄﾞ: copyhist"}), 4,
         false},
        {"a cancel before the group is not its own", Lines({piece, "*ｷｬﾝｾﾙ*", piece, piece}), 2, true},
        {"a longer word is another command", Lines({piece, "ｺﾏﾝﾄﾞ: _ellipsex", piece}), 3, false},
        {"nothing asked", Lines({}), 0, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(HistoryShowsAllFinished(row.lines, echo, row.count), row.finished) << row.name;
}

TEST(HistoryShowsNonZeroCount, TheLastCountDecides) {
    EXPECT_FALSE(HistoryShowsNonZeroCount(Lines({"ｺﾏﾝﾄﾞ: select", "ｵﾌﾞｼﾞｪｸﾄを選択: 検出数: 0", "  ", "ｺﾏﾝﾄﾞ: copyhist"})));
    EXPECT_TRUE(HistoryShowsNonZeroCount(Lines({"ｺﾏﾝﾄﾞ: select", "ｵﾌﾞｼﾞｪｸﾄを選択: 検出数: 3\t", "ｺﾏﾝﾄﾞ: copyhist"})));
    EXPECT_TRUE(HistoryShowsNonZeroCount(Lines({"ｺﾏﾝﾄﾞ: select", "検出数: 20", "ｺﾏﾝﾄﾞ: copyhist"})));
    EXPECT_TRUE(HistoryShowsNonZeroCount(Lines({"検出数: 3、合計: 10"})));
    EXPECT_FALSE(HistoryShowsNonZeroCount(Lines({"検出数: 4", "ｺﾏﾝﾄﾞ: select", "ｺﾏﾝﾄﾞ: copyhist"})))
        << "a select line below every count: nothing counted for this selection";
    EXPECT_FALSE(HistoryShowsNonZeroCount(Lines({"no digits", ""})));
    EXPECT_FALSE(HistoryShowsNonZeroCount({}));
}

TEST(HistoryShowsPreviousSelection, OnlyTheLineAfterTheLastPreLineCounts) {
    EXPECT_TRUE(HistoryShowsPreviousSelection(
        Lines({"ｺﾏﾝﾄﾞ: select", "ｵﾌﾞｼﾞｪｸﾄを選択: pre", "検出数: 2", "ｺﾏﾝﾄﾞ: copyhist"})));
    EXPECT_FALSE(HistoryShowsPreviousSelection(
        Lines({"ｺﾏﾝﾄﾞ: select", "ｵﾌﾞｼﾞｪｸﾄを選択: pre", "直前の選択ｾｯﾄがありません。", "ｺﾏﾝﾄﾞ: copyhist"})));
    EXPECT_FALSE(HistoryShowsPreviousSelection(Lines({"ｵﾌﾞｼﾞｪｸﾄを選択: pre"}))) << "no line after it";
    EXPECT_FALSE(HistoryShowsPreviousSelection(Lines({"ｺﾏﾝﾄﾞ: line"})));
    EXPECT_TRUE(HistoryShowsPreviousSelection(
        Lines({"pre", "直前の選択ｾｯﾄがありません。", "ｵﾌﾞｼﾞｪｸﾄを選択: pre", "検出数: 1"})))
        << "an older refusal does not count";
}

TEST(CurrentLayerInHistory, NameBetweenTheQuotesOfTheLastLayerLine) {
    EXPECT_EQ(CurrentLayerInHistory(Lines({"現在の画層: \"old\"", "ｺﾏﾝﾄﾞ: -layer", "現在の画層: \"外形 線\"",
                                           "ｵﾌﾟｼｮﾝを入力 [?/作成(M)]: ", "ｺﾏﾝﾄﾞ: copyhist"})),
              "外形 線");
    EXPECT_EQ(CurrentLayerInHistory(Lines({"現在の画層: \"ソ表\""})), "ソ表");
    EXPECT_EQ(CurrentLayerInHistory(Lines({"ｺﾏﾝﾄﾞ: -layer", "ｺﾏﾝﾄﾞ: copyhist"})), "0");
    EXPECT_EQ(CurrentLayerInHistory({}), "0");
    EXPECT_EQ(CurrentLayerInHistory(Lines({" 現在の画層: \"x\""})), "0") << "the line must begin with it";
}

TEST(LastPointInPrompt, ReadsXAndYBetweenTheAngleBrackets) {
    const auto p = LastPointInPrompt("LASTPOINT の新しい値を入力 <12.5,-3.25,0>: ");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->X, 12.5);
    EXPECT_EQ(p->Y, -3.25);
    const auto q = LastPointInPrompt("LASTPOINT <1e3,4.0000,0.0000>: ");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->X, 1000.0);
    EXPECT_EQ(q->Y, 4.0);
    // Another unit format is no decimal number: the query fails instead of raising.
    EXPECT_FALSE(LastPointInPrompt("LASTPOINT <1'-2\",3'-4\",0'-0\">: "));
    EXPECT_FALSE(LastPointInPrompt("LASTPOINT <12,5;3,25;0>: "));
    EXPECT_FALSE(LastPointInPrompt("LASTPOINT <>: "));
}

}  // namespace
}  // namespace tessavue
