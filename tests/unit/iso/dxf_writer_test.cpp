#include "iso/dxf_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"
#include "iso/face_walk.h"
#include "iso/figure_generators.h"
#include "iso_test_support.h"

namespace tessavue {
namespace {

using testing::Export;
using testing::IndexOf;
using testing::Moved;
using testing::ReadFile;
using testing::Resplit;
using testing::Rewrite;
using testing::ThreeEntities;
using testing::WriteFile;

// A move by nothing with a height whose raise is `raise`: the raised copy alone, as
// far as the section's Y values go (the move writes every point as number text).
FigureSteps Raised(double height) { return Moved(0, 0, height); }

TEST(DxfRecords, LineAndCircleAsWritten) {
    EXPECT_EQ(LineRecord("0", 1, 2, 3.5, -4),
              "  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n1\r\n 20\r\n2\r\n 11\r\n3.5\r\n 21\r\n-4\r\n");
    EXPECT_EQ(CircleRecord("壁", 0.1 + 0.2, -1e-5, 1.0 / 3.0),
              "  0\r\nCIRCLE\r\n  8\r\n壁\r\n 10\r\n0.3\r\n 20\r\n-1E-5\r\n 40\r\n0.333333333333333\r\n");
}

TEST(EntitiesSectionShape, FoundByItsSectionHeaderAndClosingPair) {
    // A layer named ENTITIES in the tables and a text reading ENDSEC inside the
    // section are values of other groups, not the section's bounds.
    DxfLines entities = ThreeEntities();
    entities.insert(entities.end(), {"TEXT", "  8", "0", " 10", "0", " 20", "0", " 40", "1", "  1", "ENDSEC", "  0"});
    const DxfLines lines = Export(entities);
    EntitiesSection section;
    ASSERT_TRUE(FindEntitiesSection(lines, section));
    EXPECT_EQ(lines[section.Entities - 2], "SECTION");
    EXPECT_GT(section.Entities, IndexOf(lines, "ENTITIES"));  // the layer came first
    EXPECT_EQ(lines[section.Endsec - 1], "  0");
    EXPECT_EQ(lines[section.Endsec + 2], "EOF");
}

TEST(EntitiesSectionShape, MissingSectionOrEndIsRefusedUntouched) {
    const DxfLines noSection = {"  0", "SECTION", "  2", "HEADER", "  0", "ENDSEC", "  0", "EOF"};
    DxfLines unclosed = Export(ThreeEntities());
    unclosed.resize(unclosed.size() - 3);  // cut off "ENDSEC", "  0", "EOF"
    for (const DxfLines* original : {&noSection, static_cast<const DxfLines*>(&unclosed)}) {
        DxfLines lines = *original;
        const SectionResult one = ReplaceSectionEntities(lines, CircleRecord("0", 0, 0, 1));
        const SectionResult two = Rewrite(lines, Raised(10));
        EXPECT_EQ(lines, *original);
        for (const SectionResult& result : {one, two}) {
            EXPECT_FALSE(result);
            EXPECT_FALSE(SectionFaultMessage(result).empty());
        }
        EXPECT_EQ(one.Fault, original == &noSection ? SectionFault::NoEntities : SectionFault::NotClosed);
    }
}

// The section's layout is checked before the template fill or the figure rewrite
// changes a line: a comment may open the section (the copy then starts at the first
// entity), while a code line that is no number, or a pair other than a comment before
// the first entity, refuses both with the lines left as they were.
TEST(EntitiesSectionShape, LayoutCheckedBeforeAnySplice) {
    struct Case {
        const char* name;
        DxfLines opening;  // the pairs put right after the section's name
        SectionFault fault;
        const char* message;
    };
    const Case cases[] = {
        {"a comment first", {"999", "written by hand"}, SectionFault::None, ""},
        {"an empty group with the value ENDSEC", {"", "ENDSEC"}, SectionFault::BadGroupCode,
         "DXF ファイルのグループコード '' は数値ではありません。ファイルは書き換えません。"},
        {"a handle before the first entity", {"  5", "2A"}, SectionFault::NoEntityStart,
         "DXF ファイルの ENTITIES セクションがエンティティで始まっていません（グループコード 5 の値 "
         "'2A'）。ファイルは書き換えません。"},
        {"a lost line", {"  0", "POINT", " 10"}, SectionFault::BadGroupCode,
         "DXF ファイルのグループコード 'LINE' は数値ではありません。ファイルは書き換えません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxfLines original = Export(ThreeEntities());
        EntitiesSection plain;
        ASSERT_TRUE(FindEntitiesSection(original, plain));
        original.insert(original.begin() + static_cast<std::ptrdiff_t>(plain.Entities + 1), c.opening.begin(),
                        c.opening.end());
        DxfLines lines = original;
        const SectionResult copied = Rewrite(lines, Raised(10));
        lines = original;
        const SectionResult replaced = ReplaceSectionEntities(lines, CircleRecord("0", 0, 0, 1));
        if (c.fault != SectionFault::None) {
            for (const SectionResult& result : {copied, replaced}) {
                EXPECT_EQ(result.Fault, c.fault);
                EXPECT_EQ(SectionFaultMessage(result), c.message);
            }
            EXPECT_EQ(lines, original);
            continue;
        }
        ASSERT_TRUE(copied && replaced);
        // Copied once each and nothing else: the comment stays a comment.
        DxfLines copy = original;
        ASSERT_TRUE(Rewrite(copy, Raised(10)));
        std::vector<std::string> kinds;
        EntitiesSection section;
        ASSERT_TRUE(FindEntitiesSection(copy, section));
        for (std::size_t code = section.First; code + 1 < section.Endsec; code += 2)
            if (copy[code] == "  0") kinds.push_back(copy[code + 1]);
        EXPECT_EQ(kinds, (std::vector<std::string>{"LINE", "CIRCLE", "ARC", "LINE", "CIRCLE", "ARC"}));
        EXPECT_EQ(std::count(copy.begin(), copy.end(), "written by hand"), 1);
    }
}

TEST(FillSection, ReplacesEverythingWithTheFigure) {
    DxfLines lines = Export(ThreeEntities());
    const DxfLines before = lines;
    ASSERT_TRUE(ReplaceSectionEntities(lines, CircleRecord("0", 0, 0, 2.5)));
    const DxfLines saved = Resplit(lines);
    const std::size_t s = IndexOf(saved, "ENTITIES", IndexOf(saved, "ENTITIES") + 1);
    const DxfLines want = {"ENTITIES", "  0", "CIRCLE", "  8", "0", " 10", "0", " 20", "0",
                           " 40",      "2.5", "  0",   "ENDSEC", "  0", "EOF"};
    EXPECT_EQ(DxfLines(saved.begin() + static_cast<std::ptrdiff_t>(s), saved.end()), want);
    // Everything before the section passes through.
    EXPECT_TRUE(std::equal(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(s), before.begin()));
}

TEST(FillSection, EmptyFigureLeavesAnEmptySection) {
    DxfLines lines = Export(ThreeEntities());
    ASSERT_TRUE(ReplaceSectionEntities(lines, ""));
    EXPECT_EQ(lines, Export({}));
    // And filling an empty section works the same way.
    ASSERT_TRUE(ReplaceSectionEntities(lines, LineRecord("0", 0, 0, 1, 1)));
    EXPECT_EQ(Resplit(lines), Resplit(Export({"LINE", "  8", "0", " 10", "0", " 20", "0", " 11", "1", " 21", "1", "  0"})));
}

// The copy of a figure with a height: the section's entities once more after them,
// handles left out (AutoCAD gives the copies new ones), every Y raised by sqrt(2) x H
// from the value as written, nothing else changed.
TEST(RaisedCopy, CopiesEntitiesRaisedWithoutHandles) {
    DxfLines lines = Export(ThreeEntities());
    ASSERT_TRUE(Rewrite(lines, Raised(10)));
    const std::string up = NumberText(std::sqrt(2.0) * 10);
    const auto raised = [](double y) { return NumberText(std::sqrt(2.0) * 10 + y); };
    // The move by nothing writes every point as number text.
    const DxfLines moved = {"LINE",   "  5", "2A", "  8", "0",   " 10", "1", " 20", "2", " 30", "0.0", " 11", "3.5",
                            " 21",    "-4",  " 31", "0.0", "  0", "CIRCLE", "  5", "2B", "  8", "壁", " 10", "10",
                            " 20",    "20",  " 30", "0.0", " 40", "5.0", "  0", "ARC", "  5", "2C", "  8", "0",
                            " 10",    "0",   " 20", "0",   " 40", "2.0", " 50", "350.0", " 51", "90.0", "  0"};
    const DxfLines copy = {"LINE",  "  8", "0",  " 10", "1",  " 20", raised(2), " 30", "0.0", " 11", "3.5",
                           " 21",   raised(-4), " 31", "0.0", "  0",  "CIRCLE", "  8", "壁", " 10", "10",
                           " 20",   raised(20),  " 30", "0.0", " 40", "5.0", "  0", "ARC", "  8", "0",
                           " 10",   "0", " 20", up,  " 40", "2.0", " 50", "350.0", " 51", "90.0", "  0"};
    DxfLines entities = moved;
    entities.insert(entities.end(), copy.begin(), copy.end());
    EXPECT_EQ(lines, Export(entities));
}

TEST(RaisedCopy, EveryYGroupIsRaisedAndNothingElse) {
    DxfLines lines = Export({"DIMENSION", " 10", "1", " 20", "1", " 11", "2", " 21", "2", " 12", "3", " 22", "3",
                             " 13", "4", " 23", "4", " 24", "5", " 30", "6", "  0"});
    // A height whose raise is -0.5 along the frame's Y: -0.5 / sqrt(2) on a top face.
    const double height = -0.5 / std::sqrt(2.0);
    ASSERT_TRUE(Rewrite(lines, Raised(height)));
    const std::size_t copy = IndexOf(lines, "DIMENSION", IndexOf(lines, "DIMENSION") + 1);
    ASSERT_LT(copy, lines.size());
    const auto raised = [&](double y) { return NumberText(std::sqrt(2.0) * height + y); };
    const DxfLines want = {"DIMENSION", " 10", "1", " 20", raised(1), " 11", "2", " 21", raised(2), " 12", "3", " 22",
                           raised(3),   " 13", "4", " 23", raised(4), " 24", "5", " 30", "6", "  0", "ENDSEC"};
    EXPECT_EQ(DxfLines(lines.begin() + static_cast<std::ptrdiff_t>(copy), lines.end() - 2), want);
    EXPECT_NEAR(StrToFloat(want[4]), 0.5, 1e-15);
}

TEST(RaisedCopy, EmptySectionStaysEmptyAndBadNumbersRefuse) {
    DxfLines empty = Export({});
    ASSERT_TRUE(Rewrite(empty, Raised(10)));
    EXPECT_EQ(empty, Export({}));

    const DxfLines damaged = Export({"LINE", " 10", "1", " 20", "zwei", "  0"});
    DxfLines lines = damaged;
    const SectionResult result = Rewrite(lines, Raised(10));
    EXPECT_EQ(result.Fault, SectionFault::BadValue);
    EXPECT_NE(SectionFaultMessage(result).find("zwei"), std::string::npos);
    EXPECT_EQ(lines, damaged);

    // Raised past the largest double, a Y would be written as "INF": refused, named
    // as the move wrote it.
    const DxfLines top = Export({"LINE", " 10", "1", " 20", "1.7976931348623157E308", "  0"});
    lines = top;
    const SectionResult beyond = Rewrite(lines, Raised(1e300));
    EXPECT_EQ(beyond.Fault, SectionFault::OutOfRange);
    EXPECT_EQ(SectionFaultMessage(beyond), "DXF ファイルの座標 '1.7976931348623157E308' は大きすぎて、書き換えると"
                                           "数値の範囲を超えます。ファイルは書き換えません。");
    EXPECT_EQ(lines, top);
}

// A point whose X or Y was lost is refused, named, the lines as they were: raised
// alone, its Y would stand away from the X a reader fills in for it, and the copy
// would read as another outline than the plan's.
TEST(RaisedCopy, SplitPointsAreRefusedNamed) {
    struct Case {
        const char* name;
        DxfLines entities;
        SectionFault fault;
        const char* message;
    };
    const Case cases[] = {
        {"a Y without its X", {"LWPOLYLINE", " 90", "2", " 35", "0", " 20", "7", " 10", "1", " 20", "2", "  0"},
         SectionFault::LoneY, "DXF ファイルの Y 座標 '7' の前に X 座標がありません。ファイルは書き換えません。"},
        {"an X without its Y", {"LINE", " 10", "1", " 20", "2", " 11", "3", " 31", "0", "  0"}, SectionFault::LoneX,
         "DXF ファイルの X 座標 '3' の後に Y 座標がありません。ファイルは書き換えません。"},
        {"an X with another point's Y", {"POINT", " 10", "4.5", " 21", "2", "  0"}, SectionFault::LoneX,
         "DXF ファイルの X 座標 '4.5' の後に Y 座標がありません。ファイルは書き換えません。"},
        {"an X last in the section", {"LINE", " 10", "1", " 20", "2", " 11", "8"}, SectionFault::LoneX,
         "DXF ファイルの X 座標 '8' の後に Y 座標がありません。ファイルは書き換えません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DxfLines entities = c.entities;
        if (entities.back() != "  0") entities.push_back("  0");
        const DxfLines original = Export(entities);
        DxfLines lines = original;
        const SectionResult result = Rewrite(lines, Raised(10));
        EXPECT_EQ(result.Fault, c.fault);
        EXPECT_EQ(SectionFaultMessage(result), c.message);
        EXPECT_EQ(lines, original);
    }
}

// The height lines go after the raised copy, right before the closing pair.
TEST(HeightLineSplice, GoesRightBeforeTheClosingPair) {
    DxfLines raised = Export(ThreeEntities());
    ASSERT_TRUE(Rewrite(raised, Raised(10)));
    EntityTableRows table;
    ClearEntityTable(table);
    table[0] = {0, "0", 0, 0, 0, 14};
    table[1] = {0, "壁", 1, 1, 1, 15};
    DxfLines lines = Export(ThreeEntities());
    ASSERT_TRUE(Rewrite(lines, Raised(10), &table));
    // The section: the entities, their raised copy, the height lines, "  0", "ENDSEC".
    DxfLines want = raised;
    const DxfLines records = SplitDxfLines(HeightLineText(table, Raised(10).Inputs));
    ASSERT_EQ(std::count(records.begin(), records.end(), "LINE"), 4);  // two foot points each
    want.insert(want.end() - 4, records.begin(), records.end());
    EXPECT_EQ(lines, want);
    // Group codes and values still alternate through the whole section.
    EntitiesSection section;
    ASSERT_TRUE(FindEntitiesSection(lines, section));
    for (std::size_t code = section.Entities + 1; code < section.Endsec; code += 2)
        EXPECT_TRUE(lines[code].size() == 3 && lines[code][0] == ' ') << code << ": " << lines[code];
}

class FigureTemplate : public testing::ScratchFolder {};

TEST_F(FigureTemplate, FilledInPlace) {
    const std::filesystem::path file = Folder() / "elem.dxf";
    ASSERT_TRUE(SaveDxfLines(file, Export(ThreeEntities())));
    ASSERT_TRUE(FillFigureTemplate(file, CircleRecord("0", 1, 2, 3)));
    const auto lines = LoadDxfLines(file);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, Export({"CIRCLE", "  8", "0", " 10", "1", " 20", "2", " 40", "3", "  0"}));
    // Saved with CR LF throughout.
    EXPECT_EQ(ReadFile(file).find('\n'), ReadFile(file).find("\r\n") + 1);
}

TEST_F(FigureTemplate, DamagedOrMissingFileIsLeftAndExplained) {
    const std::filesystem::path file = Folder() / "elem.dxf";
    const std::string bytes = "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n";  // no ENDSEC
    WriteFile(file, bytes);
    const SectionResult damaged = FillFigureTemplate(file, CircleRecord("0", 1, 2, 3));
    EXPECT_EQ(damaged.Fault, SectionFault::NotClosed);
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_NE(SectionFaultMessage(damaged).find("ENDSEC"), std::string::npos);

    EXPECT_EQ(FillFigureTemplate(Folder() / "missing.dxf", "").Fault, SectionFault::Unreadable);
    EXPECT_FALSE(std::filesystem::exists(Folder() / "missing.dxf"));
}

// A refused fill names why and leaves the template byte for byte: a damaged
// template, or a figure whose numbers left the doubles' range (the body of an
// outline spanning more than the largest double, stretched along its axis). The
// existing axis inserts the template as it is, so "-INF" would reach AutoCAD.
TEST_F(FigureTemplate, RefusedFillsLeaveTheFile) {
    EntityTableRows outline;
    ClearEntityTable(outline);
    outline[0] = EntityRecord{0, "0", 1, 1.7e308, 1, -1.7e308, 0};
    const std::string farAxis = AxisFigureText("0", 0, AxisLine{0, 0, 0, 1}, outline);
    struct Case {
        const char* name;
        std::string bytes;
        std::string figure;
        SectionFault fault;
        const char* code;
        const char* value;
    };
    const std::string good = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n0\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    const Case cases[] = {
        {"no ENDSEC", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n", CircleRecord("0", 1, 2, 3),
         SectionFault::NotClosed, "", ""},
        {"an axis figure beyond the range", good, farAxis, SectionFault::BadValue, "20", "-INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = Folder() / "elem.dxf";
        WriteFile(file, c.bytes);
        const SectionResult result = FillFigureTemplate(file, c.figure);
        EXPECT_EQ(result.Fault, c.fault);
        EXPECT_EQ(result.Code, c.code);
        EXPECT_EQ(result.Detail, c.value);
        EXPECT_EQ(ReadFile(file), c.bytes);
        EXPECT_FALSE(SectionFaultMessage(result).empty());
    }
}

TEST(FigureFileName, FromTheLocalTime) {
    const LocalTime morning{2026, 1, 7, 9, 5, 3};
    EXPECT_EQ(DateTimeStamp(morning), "20260107090503");
    EXPECT_EQ(FigureBlockName(morning), "ip20260107090503");
    const std::filesystem::path folder = std::filesystem::path("tools") / "bin";
    EXPECT_EQ(FigureFilePath(folder, morning), folder / "ip20260107090503.dxf");
    EXPECT_EQ(DateTimeStamp({2026, 12, 31, 23, 59, 59}), "20261231235959");
    // Commands in the same second share the name, the next second gets its own.
    EXPECT_EQ(FigureFilePath(folder, morning), FigureFilePath(folder, {2026, 1, 7, 9, 5, 3}));
    EXPECT_NE(FigureFilePath(folder, morning), FigureFilePath(folder, {2026, 1, 7, 9, 5, 4}));
}

TEST(FigureFileName, ClockGivesAPlausibleTime) {
    const LocalClock clock = CurrentLocalTime;
    const LocalTime now = clock();
    EXPECT_GE(now.Year, 2000);
    EXPECT_TRUE(now.Month >= 1 && now.Month <= 12);
    EXPECT_TRUE(now.Second >= 0 && now.Second <= 60);
    EXPECT_EQ(DateTimeStamp(now).size(), 14u);
}

}  // namespace
}  // namespace tessavue
