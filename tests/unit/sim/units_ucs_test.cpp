// The drawing's units and its user coordinate system as the command line shows them:
// LUNITS, LUPREC and DIMDEC typed as commands, every shown coordinate in the units
// and the current UCS, typed points taken in the UCS, picks in the world.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dxf_file.h"
#include "core/host.h"
#include "core/text.h"
#include "core/units.h"
#include "sim_history.h"

namespace tessavue::sim {
namespace {

using testing::CountEqual;
using testing::Dump;
using testing::LineFromEnd;
using testing::LinesFrom;

// Each text worked out by hand: feet are 12 inches, a fraction is the nearest
// multiple of 1 / 2^LUPREC, reduced.
TEST(SimUnits, EachFormatAtSeveralPrecisions) {
    struct Row {
        double value;
        int lunits;
        int luprec;
        const char* expected;
    };
    const Row rows[] = {
        // scientific: the mantissa's decimals, a signed two-digit exponent
        {12.5, 1, 4, "1.2500E+01"},
        {0, 1, 4, "0.0000E+00"},
        {-0.000123456, 1, 2, "-1.23E-04"},
        {999999.6, 1, 0, "1E+06"},
        {1234.567890123456, 1, 8, "1.23456789E+03"},
        // decimal
        {12.5, 2, 4, "12.5000"},
        {-0.00001, 2, 4, "0.0000"},
        {2.6, 2, 0, "3"},
        {1234.567890123456, 2, 8, "1234.56789012"},
        {-98765.43210987654, 2, 8, "-98765.43210988"},
        // engineering: feet, then inches with the decimals; rounding carries into feet
        {12.5, 3, 4, "1'-0.5000\""},
        {23.99999, 3, 4, "2'-0.0000\""},
        {6.25, 3, 2, "0'-6.25\""},
        {-150.125, 3, 3, "-12'-6.125\""},
        {30, 3, 0, "2'-6\""},
        // architectural: feet, inches and a fraction of 2^LUPREC
        {12.5, 4, 4, "1'-0 1/2\""},
        {6, 4, 4, "0'-6\""},
        {1234.5678, 4, 3, "102'-10 5/8\""},   // 10.5678 in = 84.54 eighths
        {11.99, 4, 2, "1'-0\""},              // 47.96 quarters round to a whole foot
        {-3.25, 4, 4, "-0'-3 1/4\""},
        {0.001, 4, 8, "0'-0\""},
        {100.00390625, 4, 8, "8'-4 1/256\""},
        // fractional
        {12.5, 5, 4, "12 1/2"},
        {0.3, 5, 3, "1/4"},                    // 2.4 eighths
        {-0.5, 5, 1, "-1/2"},
        {7.999, 5, 4, "8"},
        {0, 5, 4, "0"},
        {2.6, 5, 0, "3"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatLength(row.value, row.lunits, row.luprec), row.expected)
            << row.value << " at LUNITS " << row.lunits << " LUPREC " << row.luprec;
    }
}

// The palette's way with a variable: type its name, read the value between < and >,
// answer a number and a blank. What is refused is said with the range and asked again.
TEST(SimUnits, VariablesTypedAsCommands) {
    struct Row {
        Edition edition;
        const char* name;
        const char* shown;                // the value the prompt shows first
        std::vector<const char*> answers;  // each followed by a blank
        int expected;
        long refusals;
        const char* refusal;
    };
    const Row rows[] = {
        {Edition::LT2000, "lunits", "2", {"4"}, 4, 0, ""},
        {Edition::LT2000, "lunits", "2", {""}, 2, 0, ""},
        {Edition::LT2000, "lunits", "2", {"0", "6", "abc", "2.5", "5"}, 5, 4, "1 から 5 の整数が必要です。"},
        {Edition::LT2006, "luprec", "4", {"9", "-1", "8"}, 8, 2, "0 から 8 の整数が必要です。"},
        {Edition::LT2006, "dimdec", "4", {"0"}, 0, 0, ""},
        {Edition::LT2002, "DIMDEC", "4", {"12", ""}, 4, 1, "0 から 8 の整数が必要です。"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + std::string(TextsFor(row.edition).name));
        SimHost host(row.edition);
        host.Type(std::string(row.name) + " ");
        const std::string prompt = host.CommandLineText();
        const std::string upper = AsciiUpper(row.name);
        EXPECT_EQ(prompt, upper + " の新しい値を入力 <" + row.shown + ">: ");
        const auto open = prompt.find('<');
        const auto close = prompt.find('>');
        ASSERT_NE(close, std::string::npos);
        EXPECT_EQ(prompt.substr(open + 1, close - open - 1), row.shown);
        const std::size_t first = host.HistoryLines().size();
        for (const char* answer : row.answers) host.Type(std::string(answer) + " ");
        EXPECT_EQ(host.CommandLineText(), std::string(host.texts().idlePrompt));
        const Drawing& d = host.drawing();
        const int value = upper == "LUNITS" ? d.linearUnits : upper == "LUPREC" ? d.unitPrecision : d.dimensionDecimals;
        EXPECT_EQ(value, row.expected);
        const auto lines = LinesFrom(host, first);
        EXPECT_EQ(CountEqual(lines, row.refusal), row.refusals) << Dump(lines);
        // The change is part of the drawing: U takes it back.
        host.Type("u ");
        const int undone = upper == "LUNITS" ? d.linearUnits : upper == "LUPREC" ? d.unitPrecision : d.dimensionDecimals;
        EXPECT_EQ(std::to_string(undone), row.shown);
    }
}

// ID's result and the LASTPOINT prompt's value in every unit format; at LUPREC 8 a
// point with sixteen significant digits shows rounded to eight decimals.
TEST(SimUnits, IdAndLastPointShowTheDrawingsUnits) {
    struct Row {
        const char* units;  // typed first
        const char* point;
        const char* id;
        const char* lastPoint;
    };
    const Row rows[] = {
        {"", "12.5,-3.25", "X = 12.5000     Y = -3.2500     Z = 0.0000", "12.5000,-3.2500,0.0000"},
        {"lunits 1 luprec 2 ", "12.5,-3.25", "X = 1.25E+01     Y = -3.25E+00     Z = 0.00E+00", "1.25E+01,-3.25E+00,0.00E+00"},
        {"lunits 3 luprec 2 ", "12.5,-3.25", "X = 1'-0.50\"     Y = -0'-3.25\"     Z = 0'-0.00\"",
         "1'-0.50\",-0'-3.25\",0'-0.00\""},
        {"lunits 4 ", "12.5,-3.25", "X = 1'-0 1/2\"     Y = -0'-3 1/4\"     Z = 0'-0\"", "1'-0 1/2\",-0'-3 1/4\",0'-0\""},
        {"lunits 5 luprec 3 ", "12.5,-3.25", "X = 12 1/2     Y = -3 1/4     Z = 0", "12 1/2,-3 1/4,0"},
        {"luprec 8 ", "1234.567890123456,-0.1234567890123456", "X = 1234.56789012     Y = -0.12345679     Z = 0.00000000",
         "1234.56789012,-0.12345679,0.00000000"},
        {"luprec 0 ", "98765.43210987654,7.654321098765432", "X = 98765     Y = 8     Z = 0", "98765,8,0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.units);
        SimHost host(Edition::LT2006);
        host.Type(row.units);
        host.Type(std::string("id ") + row.point + " ");
        EXPECT_EQ(LineFromEnd(host, 0), row.id);
        host.Type("lastpoint ");
        EXPECT_EQ(host.CommandLineText(), std::string("LASTPOINT の新しい値を入力 <") + row.lastPoint + ">: ");
        host.Type(" ");
        EXPECT_EQ(host.CommandLineText(), "コマンド: ");
    }
}

// LIST of a line with sixteen-digit ends at LUPREC 8: coordinates and increments
// rounded to eight decimals (worked out by hand), the angle in whole degrees.
TEST(SimUnits, ListShowsCoordinatesAndLengthsAtTheUnitPrecision) {
    SimHost host(Edition::LT2000);
    host.drawing().AddLine({1234.567890123456, -0.1234567890123456}, {98765.43210987654, 7.654321098765432});
    host.Type("luprec 8 ");
    const std::size_t first = host.HistoryLines().size();
    host.Type("list l  ");
    const auto lines = LinesFrom(host, first);
    const std::vector<std::string> expected = {
        "ｺﾏﾝﾄﾞ: list",
        "ｵﾌﾞｼﾞｪｸﾄを選択: l",
        "検出数: 1",
        "ｵﾌﾞｼﾞｪｸﾄを選択: ",
        "                  線分      画層: 0",
        "                            空間: ﾓﾃﾞﾙ空間",
        "                   ﾊﾝﾄﾞﾙ = 1",
        "              始点 点, X=1234.56789012  Y=-0.12345679  Z=0.00000000",
        "              終点 点, X=98765.43210988  Y=7.65432110  Z=0.00000000",
        "          長さ =97530.86452988,  XY 平面上の角度 =      0",
        "                  X 増分 =97530.86421975, Y 増分 =7.77777789, Z 増分 =0.00000000",
    };
    EXPECT_EQ(lines, expected) << Dump(lines);
}

// DIMLINEAR's measured text is decimal at DIMDEC, whatever LUNITS and LUPREC are.
TEST(SimUnits, DimensionTextTakesDimdec) {
    struct Row {
        const char* settings;
        const char* value;
    };
    const Row rows[] = {
        {"", "12.3457"},
        {"dimdec 2 ", "12.35"},
        {"dimdec 0 luprec 6 ", "12"},
        {"dimdec 6 lunits 4 luprec 1 ", "12.345678"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.settings);
        SimHost host;
        host.Type(row.settings);
        host.Type("_dimlinear 0,0 12.345678,0 5,10 ");
        EXPECT_EQ(LineFromEnd(host, 0), std::string("寸法値 = ") + row.value);
        ASSERT_FALSE(host.drawing().entities().empty());
        EXPECT_EQ(host.drawing().entities().back().text, row.value);
    }
}

// ---- UCS ------------------------------------------------------------------------------

std::string WorldUcsDigit(SimHost& host) {
    std::string clipboard;
    host.setClipboard = [&](const std::string& text) { clipboard = text; };
    host.Type("worlducs copyhist ");
    // The palette's reading: the digit after the last "WORLDUCS = " of the history.
    const auto at = clipboard.rfind("WORLDUCS = ");
    return at == std::string::npos ? std::string("<none>") : clipboard.substr(at + 11, 1);
}

void ExpectPoint(Point actual, Point expected, const char* what) {
    EXPECT_DOUBLE_EQ(actual.x, expected.x) << what;
    EXPECT_DOUBLE_EQ(actual.y, expected.y) << what;
}

TEST(SimUcs, OriginMovesWhatTypedPointsMeanAndWhatIsShown) {
    SimHost host(Edition::LT2000);
    EXPECT_EQ(WorldUcsDigit(host), "1");
    host.Type("ucs ");
    EXPECT_EQ(host.CommandLineText(),
              "ｵﾌﾟｼｮﾝを入力 [新規作成(N)/移動(M)/直交(G)/前(P)/呼び出し(R)/保存(S)/削除(D)/適用(A)/?/ﾜｰﾙﾄﾞ(W)] <ﾜｰﾙﾄﾞ>: ");
    host.Type("n 100,200 ");
    EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
    EXPECT_EQ(LineFromEnd(host, 0),
              "新しい UCS の原点を指定 または [Z 軸(ZA)/3 点(3)/ｵﾌﾞｼﾞｪｸﾄ(OB)/面(F)/ﾋﾞｭｰ(V)/X/Y/Z] <0,0,0>: 100,200");
    EXPECT_EQ(WorldUcsDigit(host), "0");
    EXPECT_EQ(LineFromEnd(host, 1), "WORLDUCS = 0 (読み込み専用)");

    // Absolute points (and polar ones) from the origin; "@" from the last point.
    host.Type("line 0,0 10,5 @3,4 5<90  ");
    const auto& e = host.drawing().entities();
    ASSERT_EQ(e.size(), 3u);
    ExpectPoint(e[0].points[0], {100, 200}, "typed 0,0");
    ExpectPoint(e[0].points[1], {110, 205}, "typed 10,5");
    ExpectPoint(e[1].points[1], {113, 209}, "@3,4 from the last point");
    EXPECT_NEAR(e[2].points[1].x, 100, 1e-12);
    EXPECT_NEAR(e[2].points[1].y, 205, 1e-12);

    // Shown in the UCS: a typed point as typed, a pick (a world point) less the origin.
    host.Type("id 1,1 ");
    EXPECT_EQ(LineFromEnd(host, 0), "X = 1.0000     Y = 1.0000     Z = 0.0000");
    ExpectPoint(host.LastPoint(), {101, 201}, "the last point is kept as a world point");
    host.Type("id ");
    ASSERT_TRUE(host.Click({150, 250}));
    EXPECT_EQ(LineFromEnd(host, 0), "X = 50.0000     Y = 50.0000     Z = 0.0000");
    host.Type("lastpoint ");
    EXPECT_EQ(host.CommandLineText(), "LASTPOINT の新しい値を入力 <50.0000,50.0000,0.0000>: ");
    host.Type("-2,0 ");
    ExpectPoint(host.LastPoint(), {98, 200}, "LASTPOINT typed in the UCS");
    const std::size_t first = host.HistoryLines().size();
    host.Type("select 5,2.5  list p  ");
    const auto listing = LinesFrom(host, first);
    EXPECT_EQ(CountEqual(listing, "              始点 点, X=   0.0000  Y=   0.0000  Z=   0.0000"), 1) << Dump(listing);
    EXPECT_EQ(CountEqual(listing, "              終点 点, X=  10.0000  Y=   5.0000  Z=   0.0000"), 1) << Dump(listing);

    // Move takes the new origin in the current UCS; the old Origin option too.
    host.Type("ucs m 10,10 ");
    ExpectPoint(host.drawing().ucsOrigin, {110, 210}, "moved");
    host.Type("ucs o -10,-10 ");
    ExpectPoint(host.drawing().ucsOrigin, {100, 200}, "origin option");
    // A pick at the origin prompt is a world point; Enter keeps the origin.
    host.Type("ucs n ");
    ASSERT_TRUE(host.Click({7, 8}));
    ExpectPoint(host.drawing().ucsOrigin, {7, 8}, "picked");
    host.Type("ucs m  ");
    ExpectPoint(host.drawing().ucsOrigin, {7, 8}, "Enter keeps it");

    // World, and U takes it back.
    host.Type("ucs  ");
    ExpectPoint(host.drawing().ucsOrigin, {0, 0}, "Enter is World");
    EXPECT_EQ(WorldUcsDigit(host), "1");
    host.Type("u u u ");  // COPYHIST, WORLDUCS, then UCS
    ExpectPoint(host.drawing().ucsOrigin, {7, 8}, "undone");
    host.Type("ucs w ");
    EXPECT_EQ(WorldUcsDigit(host), "1");

    // The drawing stays in world coordinates: its export is unmoved.
    const auto file = ReadDxf(WriteDxf(host.drawing(), std::nullopt, DxfVersion::R2000));
    ASSERT_TRUE(file);
    ExpectPoint(file->entities[0].points[0], {100, 200}, "exported");
}

TEST(SimUcs, WhatTheCommandRefuses) {
    SimHost host(Edition::LT2006);
    host.Type("ucs x ");
    EXPECT_EQ(LineFromEnd(host, 0), "オプション キーワードが無効です。");
    EXPECT_EQ(host.CommandLineText(),
              "オプションを入力 [新規作成(N)/移動(M)/直交(G)/前(P)/呼び出し(R)/保存(S)/削除(D)/適用(A)/?/ワールド(W)] <ワールド>: ");
    host.Type("n abc ");
    EXPECT_EQ(LineFromEnd(host, 0), "点、またはオプション キーワードが必要です。");
    EXPECT_EQ(host.CommandLineText(),
              "新しい UCS の原点を指定 または [Z 軸(ZA)/3 点(3)/オブジェクト(OB)/面(F)/ビュー(V)/X/Y/Z] <0,0,0>: ");
    host.Type("\x1b");
    EXPECT_EQ(host.CommandLineText(), "コマンド: ");
    ExpectPoint(host.drawing().ucsOrigin, {0, 0}, "nothing changed");
    EXPECT_EQ(WorldUcsDigit(host), "1");
}

}  // namespace
}  // namespace tessavue::sim
