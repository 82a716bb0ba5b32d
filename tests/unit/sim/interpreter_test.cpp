// The stand-in's command line: how typed bytes become commands, prompts and history.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/host.h"

namespace tessavue::sim {
namespace {

std::string Back(const SimHost& host, std::size_t fromEnd) {
    const auto& lines = host.HistoryLines();
    return fromEnd < lines.size() ? lines[lines.size() - 1 - fromEnd] : std::string("<none>");
}

std::vector<Entity> Lines(const SimHost& host) { return host.drawing().entities(); }

void ExpectLine(const Entity& e, Point a, Point b) {
    ASSERT_EQ(e.kind, EntityKind::Line);
    ASSERT_EQ(e.points.size(), 2u);
    EXPECT_DOUBLE_EQ(e.points[0].x, a.x);
    EXPECT_DOUBLE_EQ(e.points[0].y, a.y);
    EXPECT_DOUBLE_EQ(e.points[1].x, b.x);
    EXPECT_DOUBLE_EQ(e.points[1].y, b.y);
    EXPECT_EQ(e.layer, "0");
}

TEST(SimEditionText, IdlePromptAndCancelBytesPerEdition) {
    SimHost lt2000(Edition::LT2000);
    SimHost lt2002(Edition::LT2002);
    SimHost lt2006(Edition::LT2006);
    EXPECT_EQ(lt2000.CommandLineText(), std::string("\xBA\xCF\xDD\xC4\xDE\x3A\x20"));
    EXPECT_EQ(lt2002.CommandLineText(), std::string("\xBA\xCF\xDD\xC4\xDE\x3A\x20"));
    // コマンド in code page 932, then ": ".
    EXPECT_EQ(lt2006.CommandLineText(), std::string("\x83\x52\x83\x7D\x83\x93\x83\x68\x3A\x20"));
    EXPECT_EQ(std::string(lt2000.texts().cancel), "*ｷｬﾝｾﾙ*");
    EXPECT_EQ(std::string(lt2006.texts().cancel), "*キャンセル*");
}

TEST(SimCommandLine, ShowsPromptAndWhatIsTypedSoFar) {
    SimHost host(Edition::LT2000);
    host.Type("li");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: li");
    host.Type("ne");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: line");
    host.Type(" 1,");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: line 1 点目を指定: 1,");
    EXPECT_TRUE(host.HistoryLines().empty());
}

TEST(SimCommandLine, BlankAndCarriageReturnAreBothEnter) {
    SimHost blanks;
    blanks.Type("line 0,0 10,0  ");
    SimHost returns;
    returns.Type("line\r0,0\r10,0\r\r");
    EXPECT_EQ(blanks.HistoryLines(), returns.HistoryLines());
    EXPECT_EQ(blanks.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    EXPECT_EQ(returns.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    ASSERT_EQ(Lines(returns).size(), 1u);
}

TEST(SimCommandLine, TypeaheadIsConsumedInOrderAcrossCommandsAndChunks) {
    SimHost host;
    host.Type("line 0,0 1,0  line 5,5 ");
    host.Type("6,6");
    host.Type("  erase l  ");
    const auto entities = Lines(host);
    ASSERT_EQ(entities.size(), 1u);
    ExpectLine(entities[0], {0, 0}, {1, 0});
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
}

TEST(SimCommandLine, HistoryEchoLinesPerEdition) {
    SimHost lt2000(Edition::LT2000);
    lt2000.Type("line 0,0 @10,0  ");
    const std::vector<std::string> expected2000 = {
        "ｺﾏﾝﾄﾞ: line 1 点目を指定: 0,0",
        "次の点を指定 または [元に戻す(U)]: @10,0",
        "次の点を指定 または [元に戻す(U)]: ",
    };
    EXPECT_EQ(lt2000.HistoryLines(), expected2000);

    SimHost lt2006(Edition::LT2006);
    lt2006.Type("erase all  ");
    const std::vector<std::string> expected2006 = {
        "コマンド: erase",
        "オブジェクトを選択: all",
        "検出数: 0",
        "オブジェクトを選択: ",
    };
    EXPECT_EQ(lt2006.HistoryLines(), expected2006);
    EXPECT_EQ(lt2006.CommandLineText(), "コマンド: ");
}

TEST(SimCommandLine, DoubleByteTextIsKeptWholeAndItsSecondByteNeverEnds) {
    SimHost host(Edition::LT2006);
    // 表 is 95 5C and ド is 83 68 (h): neither second byte may be taken as input control.
    host.Type("表ド ");
    EXPECT_EQ(Back(host, 1), "コマンド: 表ド");
    EXPECT_NE(Back(host, 0).find("\"表ド\""), std::string::npos) << Back(host, 0);
}

TEST(SimCommandLine, CarriageReturnOnlyPromptKeepsBlanks) {
    SimHost host;
    host.Type("-layer m my layer\r");
    EXPECT_EQ(host.drawing().currentLayer(), "my layer");
    // Back at the option prompt: a blank now ends the answer again.
    EXPECT_NE(host.CommandLineText().find("ｵﾌﾟｼｮﾝを入力"), std::string::npos);
    host.Type(" ");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    host.Type("line 0,0 1,1  ");
    ASSERT_EQ(host.drawing().entities().size(), 1u);
    EXPECT_EQ(host.drawing().entities()[0].layer, "my layer");
}

TEST(SimCommandLine, LayerSetRefusesAnUnknownNameAndAsksAgain) {
    SimHost host(Edition::LT2006);
    host.Type("-layer s no such\r");
    EXPECT_NE(host.CommandLineText().find("画層名を入力"), std::string::npos);
    EXPECT_EQ(Back(host, 0), "画層 \"no such\" が見つかりません。");
    host.Type("\x1b");
    EXPECT_EQ(host.CommandLineText(), "コマンド: ");
    EXPECT_EQ(host.drawing().currentLayer(), "0");
    host.Type("-layer  ");
    EXPECT_EQ(Back(host, 1), "現在の画層: \"0\"");
    EXPECT_EQ(Back(host, 2), "コマンド: -layer");
}

TEST(SimCancel, EscapeCancelsWithTheEditionsText) {
    SimHost lt2000(Edition::LT2000);
    lt2000.Type("line 0,0 5,5 7,");
    lt2000.Type("\x1b");
    EXPECT_EQ(Back(lt2000, 0), "次の点を指定 または [元に戻す(U)]: *ｷｬﾝｾﾙ*");
    EXPECT_EQ(lt2000.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    EXPECT_FALSE(lt2000.InCommand());
    // The segment drawn before the cancel stays, as in AutoCAD.
    EXPECT_EQ(Lines(lt2000).size(), 1u);

    SimHost lt2006(Edition::LT2006);
    lt2006.Type("line \x1b");
    EXPECT_EQ(Back(lt2006, 0), "コマンド: line 1 点目を指定: *キャンセル*");
    EXPECT_EQ(lt2006.CommandLineText(), "コマンド: ");
}

TEST(SimCancel, EscapeAtTheIdlePromptDropsWhatWasTyped) {
    SimHost host;
    host.Type("lin\x1b");
    EXPECT_EQ(Back(host, 0), "ｺﾏﾝﾄﾞ: *ｷｬﾝｾﾙ*");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    host.Type("line 0,0 1,1  ");
    EXPECT_EQ(Lines(host).size(), 1u);
}

TEST(SimCancel, TypeaheadAfterEscapeStartsAfresh) {
    SimHost host;
    host.Type("erase \x1bline 0,0 2,0  ");
    ASSERT_EQ(Lines(host).size(), 1u);
    ExpectLine(Lines(host)[0], {0, 0}, {2, 0});
}

TEST(SimUnknownCommand, IsRefusedByNameThenIdle) {
    SimHost host(Edition::LT2000);
    host.Type("lien ");
    EXPECT_EQ(Back(host, 1), "ｺﾏﾝﾄﾞ: lien");
    EXPECT_EQ(Back(host, 0), "未知のｺﾏﾝﾄﾞ \"LIEN\"。  F1 ｷｰを押してﾍﾙﾌﾟを参照してください。");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    EXPECT_FALSE(host.InCommand());

    SimHost lt2006(Edition::LT2006);
    lt2006.Type("_-foo ");
    EXPECT_EQ(Back(lt2006, 0), "未知のコマンド \"_-FOO\"。  F1 キーを押してヘルプを参照してください。");
    // An unknown answer typed after it is a new command, not an answer.
    lt2006.Type("0,0 ");
    EXPECT_EQ(Back(lt2006, 0), "未知のコマンド \"0,0\"。  F1 キーを押してヘルプを参照してください。");
}

TEST(SimCommandNames, AreCaseInsensitiveAndTakePrefixes) {
    for (const char* name : {"LINE", "Line", "_line", "-line", "_-LINE", "-_line", "l"}) {
        SimHost host;
        host.Type(std::string(name) + " 0,0 3,4  ");
        EXPECT_EQ(Lines(host).size(), 1u) << name;
        EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ") << name;
    }
}

// The curve commands by their names and AutoCAD's aliases, with prefixes; Enter at the
// idle prompt repeats one, echoing its name.
TEST(SimCommandNames, CurveCommandsByNameAndAlias) {
    struct Row {
        const char* name;
        const char* answers;
        EntityKind kind;
    };
    const Row rows[] = {
        {"_CIRCLE", "0,0 2 ", EntityKind::Circle}, {"c", "0,0 2 ", EntityKind::Circle},
        {"-Arc", "0,0 1,1 2,0 ", EntityKind::Arc},  {"a", "0,0 1,1 2,0 ", EntityKind::Arc},
        {"_pline", "0,0 1,0  ", EntityKind::Polyline}, {"PL", "0,0 1,0  ", EntityKind::Polyline},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimHost host(Edition::LT2006);
        host.Type(std::string(row.name) + " " + row.answers);
        ASSERT_EQ(host.drawing().entities().size(), 1u);
        EXPECT_EQ(host.drawing().entities()[0].kind, row.kind);
        EXPECT_EQ(host.CommandLineText(), "コマンド: ");
        host.Type(" ");
        std::string upper = row.name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(host.CommandLineText().rfind("コマンド: " + upper + " ", 0), 0u) << host.CommandLineText();
        host.Type(row.answers);
        EXPECT_EQ(host.drawing().entities().size(), 2u) << "repeated";
    }
}

TEST(SimRepeat, EnterAtIdleRepeatsThePreviousCommand) {
    SimHost host;
    host.Type(" ");
    EXPECT_FALSE(host.InCommand());
    EXPECT_EQ(Back(host, 0), "ｺﾏﾝﾄﾞ: ");

    host.Type("_line 0,0 1,0  ");
    host.Type(" ");
    EXPECT_TRUE(host.InCommand());
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: _LINE 1 点目を指定: ");
    host.Type("2,0 3,0\r\r");
    ASSERT_EQ(Lines(host).size(), 2u);
    ExpectLine(Lines(host)[1], {2, 0}, {3, 0});
}

TEST(SimLine, AbsoluteRelativeAndPolarPoints) {
    SimHost host;
    host.Type("line 10,20 @5,0 @0,-5 @2<90 15,15,3  ");
    const auto e = Lines(host);
    ASSERT_EQ(e.size(), 4u);
    ExpectLine(e[0], {10, 20}, {15, 20});
    ExpectLine(e[1], {15, 20}, {15, 15});
    EXPECT_NEAR(e[2].points[1].x, 15, 1e-12);
    EXPECT_NEAR(e[2].points[1].y, 17, 1e-12);
    ExpectLine(e[3], e[2].points[1], {15, 15});
    EXPECT_EQ(host.LastPoint(), (Point{15, 15}));
}

TEST(SimLine, CloseUndoAndContinue) {
    SimHost host;
    host.Type("line 0,0 10,0 10,10 c ");
    auto e = Lines(host);
    ASSERT_EQ(e.size(), 3u);
    ExpectLine(e[2], {10, 10}, {0, 0});
    EXPECT_FALSE(host.InCommand());

    SimHost undo;
    undo.Type("line 0,0 10,0 20,0 U 5,5  ");
    e = Lines(undo);
    ASSERT_EQ(e.size(), 2u);
    ExpectLine(e[1], {10, 0}, {5, 5});

    // Enter at the first point goes on from the end of the last line.
    undo.Type("line  7,7  ");
    e = Lines(undo);
    ASSERT_EQ(e.size(), 3u);
    ExpectLine(e[2], {5, 5}, {7, 7});
}

TEST(SimLine, RefusesWhatAutoCadRefuses) {
    SimHost host(Edition::LT2006);
    host.Type("line  ");
    EXPECT_EQ(Back(host, 0), "継続する線分または円弧がありません。");
    EXPECT_EQ(host.CommandLineText(), "1 点目を指定: ");
    host.Type("abc ");
    EXPECT_EQ(Back(host, 0), "点、またはオプション キーワードが必要です。");
    host.Type("0,0 u ");
    EXPECT_EQ(Back(host, 0), "すべてのセグメントが元に戻されました。");
    // Close needs two segments; with one it is no point either.
    host.Type("1,0 c ");
    EXPECT_EQ(Back(host, 0), "点、またはオプション キーワードが必要です。");
    EXPECT_TRUE(host.InCommand());
    host.Type(" ");
    EXPECT_EQ(Lines(host).size(), 1u);
}

TEST(SimUndo, EachCommandIsOneStep) {
    SimHost host;
    host.Type("line 0,0 1,0 2,0  line 5,5 6,6  erase all  ");
    EXPECT_TRUE(Lines(host).empty());
    host.Type("u ");
    EXPECT_EQ(Back(host, 0), "ｺﾏﾝﾄﾞ: u ERASE");
    EXPECT_EQ(Lines(host).size(), 3u);
    host.Type("u ");
    EXPECT_EQ(Lines(host).size(), 2u);
    host.Type("u ");
    EXPECT_TRUE(Lines(host).empty());
    host.Type("u ");
    EXPECT_EQ(Back(host, 0), "ｺﾏﾝﾄﾞ: u " + std::string(host.texts().undoNothing));
}

TEST(SimUndo, CancelledAndQueryCommandsCountAsSteps) {
    SimHost host;
    host.Type("line 0,0 1,0 2,0 \x1b");
    host.Type("select l  ");
    host.Type("copyhist ");
    // Three undo steps are needed to remove the cancelled LINE's segments.
    host.Type("u u ");
    EXPECT_EQ(Lines(host).size(), 2u);
    host.Type("u ");
    EXPECT_TRUE(Lines(host).empty());
}

TEST(SimId, ShowsThePointAndSetsTheLastPoint) {
    SimHost host(Edition::LT2006);
    host.Type("id 12.5,-3.25 ");
    EXPECT_EQ(Back(host, 1), "コマンド: id 点を指定: 12.5,-3.25");
    EXPECT_EQ(Back(host, 0), "X = 12.5000     Y = -3.2500     Z = 0.0000");
    host.Type("lastpoint ");
    EXPECT_EQ(host.CommandLineText(), "LASTPOINT の新しい値を入力 <12.5000,-3.2500,0.0000>: ");
    host.Type(" ");
    EXPECT_EQ(host.CommandLineText(), "コマンド: ");
}

TEST(SimId, PickedPointIsNotEchoed) {
    SimHost host;
    host.Type("id ");
    ASSERT_TRUE(host.Click({3, 4}));
    EXPECT_EQ(Back(host, 1), "ｺﾏﾝﾄﾞ: id 点を指定: ");
    EXPECT_EQ(host.LastPoint(), (Point{3, 4}));
    // Nothing waits for a click at the idle prompt.
    EXPECT_FALSE(host.Click({1, 1}));
}

TEST(SimCopyHist, CopiesEveryLineWithItsOwnEcho) {
    SimHost host;
    std::string clipboard;
    host.setClipboard = [&](const std::string& text) { clipboard = text; };
    host.Type("line 0,0 1,1 \x1b");
    host.Type("copyhist ");
    EXPECT_EQ(clipboard,
              "ｺﾏﾝﾄﾞ: line 1 点目を指定: 0,0\r\n"
              "次の点を指定 または [元に戻す(U)]: 1,1\r\n"
              "次の点を指定 または [元に戻す(U)]: *ｷｬﾝｾﾙ*\r\n"
              "ｺﾏﾝﾄﾞ: copyhist\r\n");
}

TEST(SimPointInput, ParsesAutoCadCoordinateForms) {
    const Point last{1, 2};
    EXPECT_EQ(ParsePointInput("3,4", last), (Point{3, 4}));
    EXPECT_EQ(ParsePointInput("+3,-4.5", last), (Point{3, -4.5}));
    EXPECT_EQ(ParsePointInput("@", last), last);
    EXPECT_EQ(ParsePointInput("@1,1", last), (Point{2, 3}));
    EXPECT_EQ(ParsePointInput("1e1,0", last), (Point{10, 0}));
    for (const char* bad : {"", "3", "3,", ",4", "a,b", "3,4,", "1,,2", "3 ,4", "@x"}) {
        EXPECT_FALSE(ParsePointInput(bad, last).has_value()) << bad;
    }
    EXPECT_EQ(FormatDecimal(-0.00001), "0.0000");
    EXPECT_EQ(FormatDecimal(-3.25), "-3.2500");
}

}  // namespace
}  // namespace tessavue::sim
