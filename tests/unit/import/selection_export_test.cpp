// The file edits around an export, on built texts and on real files written by other
// programs (copied to a temporary folder before any edit).
#include <gtest/gtest.h>

#include "import/dxf_reader.h"
#include "import/selection_export.h"
#include "dxf_text.h"
#include "recording_sink.h"
#include "temp_folder.h"

#ifndef TESSAVUE_TESTDATA_DXF
#error "TESSAVUE_TESTDATA_DXF must name the folder of the real DXF files"
#endif

namespace tessavue {
namespace {

using testing::DxfText;
using testing::ReadFile;
using testing::RecordingSink;
using testing::TempFolder;
using testing::WriteFile;

const std::filesystem::path kRealFiles = TESSAVUE_TESTDATA_DXF;

TEST(ExportAnswers, VersionTextAndStartCommand) {
    const auto r12 = ExportAnswers("");
    EXPECT_EQ(r12[0], "o p  ");
    EXPECT_EQ(r12[1], "v r12 ");
    EXPECT_EQ(r12[2], "16 ");
    EXPECT_EQ(ExportAnswers("2000")[1], "v 2000 ");
    // A path with blanks is passed whole: the carriage return, not a blank, ends it.
    EXPECT_EQ(ExportStartCommand("C:\\My Files\\図 1.dxf"), "dxfout C:\\My Files\\図 1.dxf\r");
}

TEST(SelectionNeedsExplode, PolylineOrInsertAfterTheEntitiesLine) {
    TempFolder folder;
    EXPECT_FALSE(SelectionNeedsExplode(folder / "missing.dxf"));

    DxfText plain;
    plain.Begin("BLOCKS").Pair(0, "BLOCK").Pair(0, "POLYLINE").Pair(0, "INSERT").End();
    plain.Begin("ENTITIES").LineEntity(0, 0, 1, 1).Circle(0, 0, 1).End().Eof();
    WriteFile(folder / "plain.dxf", plain.str());
    EXPECT_FALSE(SelectionNeedsExplode(folder / "plain.dxf")) << "block definitions do not count";

    for (const char* kind : {"POLYLINE", "INSERT", "LWPOLYLINE"}) {
        DxfText t;
        t.Opening().LineEntity(0, 0, 1, 1).Pair(0, kind).Pair(8, "0").End().Eof();
        WriteFile(folder / "k.dxf", t.str());
        EXPECT_TRUE(SelectionNeedsExplode(folder / "k.dxf")) << kind;
    }
    // A layer name that merely contains the word counts too.
    DxfText named;
    named.Opening().LineEntity(0, 0, 1, 1, "OLD_INSERTS").End().Eof();
    WriteFile(folder / "n.dxf", named.str());
    EXPECT_TRUE(SelectionNeedsExplode(folder / "n.dxf"));

    DxfText none;
    none.Begin("HEADER").End().Eof();
    WriteFile(folder / "none.dxf", none.str());
    EXPECT_THROW(SelectionNeedsExplode(folder / "none.dxf"), DxfReadError);
}

DxfText HeaderWithSeed() {
    DxfText t;
    t.Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1009").Pair(9, "$HANDSEED").Pair(5, "4A5");
    t.Pair(9, "$SURFTAB1").Pair(70, "6").End().Begin("ENTITIES").LineEntity(0, 0, 1, 1).End().Eof();
    return t;
}

TEST(RemoveHandseed, RemovesExactlyTheTwoPairs) {
    TempFolder folder;
    const auto path = folder / "seed.dxf";
    WriteFile(path, HeaderWithSeed().str());
    const DxfLines before = *LoadDxfLines(path);
    ASSERT_TRUE(RemoveHandseed(path));
    const DxfLines after = *LoadDxfLines(path);
    ASSERT_EQ(after.size(), before.size() - 4);
    DxfLines expected = before;
    const auto at = std::find(expected.begin(), expected.end(), "$HANDSEED");
    expected.erase(at, at + 4);
    EXPECT_EQ(after, expected);
    // The "  9" before the removed name now opens the next variable.
    const auto next = std::find(after.begin(), after.end(), "$SURFTAB1");
    EXPECT_EQ(*(next - 1), "  9");
}

// Only the header's own pairs go: the variable's name and value, wherever it stands in
// HEADER, and nothing in a later section that reads like them.
TEST(RemoveHandseed, OnlyTheVariablesOwnPairsInsideTheHeader) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;  // the same as before: the lines stay as they were
    };
    const auto entities = [](const std::string& text) {
        return DxfText().Begin("ENTITIES").Pair(0, "TEXT").Pair(8, "0").Pair(1, text).Pair(0, "LINE").Pair(8, "0").End().Eof().str();
    };
    const std::string seedLast = DxfText().Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1009").Pair(9, "$HANDSEED").Pair(5, "2F").End().str();
    const std::string seedGone = DxfText().Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1009").End().str();
    const Case cases[] = {
        {"the last variable, a text reading '  9' after it", seedLast + entities("  9"), seedGone + entities("  9")},
        {"the only variable", DxfText().Begin("HEADER").Pair(9, "$HANDSEED").Pair(5, "2F").End().str() + entities("x"),
         DxfText().Begin("HEADER").End().str() + entities("x")},
        {"a text in ENTITIES reading $HANDSEED", DxfText().Begin("HEADER").End().str() + entities("$HANDSEED"), ""},
        {"a header that never ends", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$HANDSEED\r\n  5\r\n2F\r\n", ""},
        {"no header at all", entities("$HANDSEED"), ""},
        // A lost line (the "  9" of $LUNITS) puts every later value where a code
        // belongs: walked on, the pairs ran through the header's end and took the
        // ENTITIES section's header with them.
        {"a lost line after the variable",
         "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$HANDSEED\r\n  5\r\n2F\r\n$LUNITS\r\n 70\r\n2\r\n  0\r\nENDSEC\r\n" +
             entities("x"),
         ""},
        // A code written with a leading zero is the same code to every reader: " 00" ends
        // the header and " 09" opens the next variable. Taken for other codes, the run
        // went on through the header's ENDSEC, and the ENTITIES section was read as part
        // of the header.
        {"the header's end written ' 00'",
         "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$HANDSEED\r\n  5\r\n2F\r\n 70\r\n2\r\n 00\r\nENDSEC\r\n" +
             entities("x"),
         "  0\r\nSECTION\r\n  2\r\nHEADER\r\n 00\r\nENDSEC\r\n" + entities("x")},
        {"the next variable's code written '+09'",
         "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$HANDSEED\r\n  5\r\n2F\r\n+09\r\n$LUNITS\r\n 70\r\n2\r\n  0\r\nENDSEC\r\n" +
             entities("x"),
         "  0\r\nSECTION\r\n  2\r\nHEADER\r\n+09\r\n$LUNITS\r\n 70\r\n2\r\n  0\r\nENDSEC\r\n" + entities("x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxfLines lines = SplitDxfLines(c.before);
        const bool changed = RemoveHandseedLines(lines);
        EXPECT_EQ(changed, !c.after.empty());
        EXPECT_EQ(lines, SplitDxfLines(c.after.empty() ? c.before : c.after));
    }
}

TEST(RemoveHandseed, FilesItDoesNotChangeStayByteForByte) {
    TempFolder folder;
    // No $HANDSEED at all; LF line ends that a rewrite would turn into CR LF.
    const std::string noSeed = "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  0\nENDSEC\n  0\nEOF\n";
    WriteFile(folder / "a.dxf", noSeed);
    EXPECT_TRUE(RemoveHandseed(folder / "a.dxf"));
    EXPECT_EQ(ReadFile(folder / "a.dxf"), noSeed);
    EXPECT_FALSE(RemoveHandseed(folder / "missing.dxf"));
}

// ---- real files from other programs -------------------------------------------------

struct Counts {
    const char* file;
    int lines;
    int circles;
    int arcs;
    bool needsExplode;
};

class RealFiles : public ::testing::TestWithParam<Counts> {};

TEST_P(RealFiles, ReadAsTheirReadmeCountsThem) {
    const Counts c = GetParam();
    const auto path = kRealFiles / c.file;
    ASSERT_TRUE(std::filesystem::exists(path)) << path.string() << " missing: the test data is part of the checkout";
    EntityTableRows table;
    ClearEntityTable(table);
    RecordingSink sink;
    ReadDxfEntities(path, 0, 0, sink, table);
    int counts[3] = {0, 0, 0};
    for (const EntityRecord& row : table) {
        if (row.Kind == -1) break;
        ++counts[row.Kind];
    }
    EXPECT_EQ(counts[0], c.lines);
    EXPECT_EQ(counts[1], c.circles);
    EXPECT_EQ(counts[2], c.arcs);
    EXPECT_TRUE(sink.confirmations.empty());
    EXPECT_EQ(SelectionNeedsExplode(path), c.needsExplode);
}

INSTANTIATE_TEST_SUITE_P(Files, RealFiles,
                         ::testing::Values(Counts{"issue1106.dxf", 5, 3, 2, false},
                                           Counts{"closed_loop_with_arcs.dxf", 9, 0, 2, false},
                                           Counts{"ASCII_R12.dxf", 2, 0, 0, true},
                                           Counts{"POLI-ALL210_12.DXF", 0, 0, 0, true}),
                         [](const ::testing::TestParamInfo<Counts>& p) {
                             std::string name = p.param.file;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

TEST(RealFiles, RemoveHandseedOnAsciiR12TakesTheTwoPairsOnly) {
    TempFolder folder;
    const auto copy = folder / "ASCII_R12.dxf";
    std::filesystem::copy_file(kRealFiles / "ASCII_R12.dxf", copy);
    const DxfLines before = *LoadDxfLines(copy);
    ASSERT_TRUE(RemoveHandseed(copy));
    const DxfLines after = *LoadDxfLines(copy);
    const auto seed = std::find(before.begin(), before.end(), "$HANDSEED");
    ASSERT_NE(seed, before.end());
    ASSERT_EQ(*(seed - 1), "  9");
    ASSERT_EQ(*(seed + 1), "  5");
    ASSERT_EQ(*(seed + 3), "  9");
    DxfLines expected(before.begin(), seed);
    expected.insert(expected.end(), seed + 4, before.end());
    EXPECT_EQ(after, expected);
    EXPECT_EQ(std::find(after.begin(), after.end(), "$HANDSEED"), after.end());
}

}  // namespace
}  // namespace tessavue
