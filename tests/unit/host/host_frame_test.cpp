// The frame's searches on AutoCAD's answers as each edition writes them: the WORLDUCS
// line, a system variable's prompt, the layer listing, the pause of a long listing, and
// whether two values look the same in the user's units.
#include "host/host_frame.h"

#include <gtest/gtest.h>

#include "host/history_queries.h"

namespace tessavue {
namespace {

std::vector<std::string> Lines(std::initializer_list<const char*> lines) { return {lines.begin(), lines.end()}; }

TEST(WorldUcsInHistory, TheLastLineNamingItDecides) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"world", Lines({"ｺﾏﾝﾄﾞ: worlducs", "WORLDUCS = 1 (読み込み専用)", "ｺﾏﾝﾄﾞ: copyhist"}), 1},
        {"a user's UCS", Lines({"コマンド: worlducs", "WORLDUCS = 0 (読み込み専用)", "コマンド: copyhist"}), 0},
        {"the newest answer counts", Lines({"WORLDUCS = 0 (読み込み専用)", "ｺﾏﾝﾄﾞ: worlducs", "WORLDUCS = 1"}), 1},
        {"without blanks", Lines({"WORLDUCS=0"}), 0},
        {"the echo alone is no answer", Lines({"ｺﾏﾝﾄﾞ: WORLDUCS", "ｺﾏﾝﾄﾞ: copyhist"}), std::nullopt},
        {"an unknown command", Lines({"ｺﾏﾝﾄﾞ: worlducs", "未知のｺﾏﾝﾄﾞ \"WORLDUCS\"。  F1 ｷｰを押してﾍﾙﾌﾟを参照してください。"}),
         std::nullopt},
        {"nothing", {}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(WorldUcsInHistory(c.lines), c.value) << c.name;
}

TEST(ValueInPrompt, TheWholeNumberBetweenTheAngleBrackets) {
    struct Case {
        const char* prompt;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"LUPREC の新しい値を入力 <4>: ", 4},
        {"LUNITS の新しい値を入力 <2>: ", 2},
        {"ｺﾏﾝﾄﾞ: luprec LUPREC の新しい値を入力 <8>: ", 8},
        {"LUPREC の新しい値を入力 <>: ", std::nullopt},
        {"LUPREC の新しい値を入力 <4.5>: ", std::nullopt},
        {"LUPREC の新しい値を入力: ", std::nullopt},
        {"LUPREC の新しい値を入力 <-1>: ", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ValueInPrompt(c.prompt), c.value) << c.prompt;
}

TEST(LayerStateInListing, TheLineOfTheLayerAndItsStateWords) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        const char* layer;
        bool listed, off, frozen;
    };
    const auto listing = [](const char* row) {
        return std::vector<std::string>{"ｺﾏﾝﾄﾞ: -layer", "現在の画層: \"外形\"", "一覧表示する画層名を入力 <*>: 外形",
                                        "画層名             状態      色         線種", row, "ｺﾏﾝﾄﾞ: copyhist"};
    };
    const Case cases[] = {
        {"on and thawed", listing("外形               ｵﾝ   -       7 (白)     CONTINUOUS"), "外形", true, false, false},
        {"off", listing("外形               ｵﾌ   -       7 (白)     CONTINUOUS"), "外形", true, true, false},
        {"frozen, LT 2006", listing("外形               オン   フリーズ   7 (白)   CONTINUOUS"), "外形", true, false, true},
        {"off and frozen", listing("外形 ｵﾌ ﾌﾘｰｽﾞ 7 CONTINUOUS"), "外形", true, true, true},
        {"a name with a blank", listing("外形 線    ｵﾌ   -   7 CONTINUOUS"), "外形 線", true, true, false},
        {"another layer whose name begins alike", listing("外形線    ｵﾌ   -   7 CONTINUOUS"), "外形", false, false, false},
        {"a word that only holds the state word", listing("外形  ｵﾝ  ﾌﾘｰｽﾞ解除  7 CONTINUOUS"), "外形", true, false, false},
        {"the newest listing counts",
         Lines({"外形    ｵﾌ   -   7", "ｺﾏﾝﾄﾞ: -layer", "外形    ｵﾝ   -   7"}), "外形", true, false, false},
        {"not listed", Lines({"ｺﾏﾝﾄﾞ: -layer", "ｺﾏﾝﾄﾞ: copyhist"}), "0", false, false, false},
    };
    for (const Case& c : cases) {
        const LayerState state = LayerStateInListing(c.lines, c.layer);
        EXPECT_EQ(state.Listed, c.listed) << c.name;
        EXPECT_EQ(state.Off, c.off) << c.name;
        EXPECT_EQ(state.Frozen, c.frozen) << c.name;
    }
}

TEST(IsListingPause, ARequestForEnterInAnyEditionsWords) {
    EXPECT_TRUE(IsListingPause("ENTER ｷｰを押して続行: "));
    EXPECT_TRUE(IsListingPause("Enter キーを押して続行: "));
    EXPECT_TRUE(IsListingPause("続けるには ﾘﾀｰﾝ ｷｰを押してください: "));
    EXPECT_TRUE(IsListingPause("Press ENTER to continue: "));
    EXPECT_FALSE(IsListingPause("ｺﾏﾝﾄﾞ: "));
    EXPECT_FALSE(IsListingPause("ｵﾌﾞｼﾞｪｸﾄを選択: "));
    EXPECT_FALSE(IsListingPause("コマンド: list"));
    EXPECT_FALSE(IsListingPause("ENTE"));
}

TEST(SameAsShown, ValuesThatLookAlikeInTheUsersUnits) {
    struct Case {
        double a, b;
        int lunits, luprec;
        bool same;
    };
    const Case cases[] = {
        {78.14063885583995, 78.1406, 2, 4, true},
        {78.14063885583995, 78.1407, 2, 4, false},
        {78.14063885583995, 78.14063886, 2, 8, true},
        {78.14063885583995, 78.14063884, 2, 8, false},
        {-0.00004, 0.00004, 2, 4, true},  // both show as 0.0000
        {100.24, 100.26, 2, 1, false},
        {100.24, 100.249, 2, 1, true},
        {1234.3, 1234.4, 1, 3, true},   // both 1.234E+03
        {1234.3, 1236.0, 1, 3, false},  // 1.234E+03 against 1.236E+03
        {12.49, 12.51, 4, 1, true},     // both the nearest half: 12 1/2
        {12.24, 12.26, 5, 2, true},     // both the nearest quarter: 12 1/4
        {12.1, 12.4, 5, 2, false},      // 12 against 12 1/2
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameAsShown(c.a, c.b, c.lunits, c.luprec), c.same)
            << c.a << " and " << c.b << " in units " << c.lunits << " at " << c.luprec;
}

}  // namespace
}  // namespace tessavue
