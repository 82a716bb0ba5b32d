// The plan reader on the real files other programs wrote: every one reads, and where
// the file's description tells what it holds, the rows are what that makes (a closed
// polyline of n vertices is n segments, an open one n - 1; an array repeats its block).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "import/plan_reader.h"
#include "entity_rows.h"
#include "recording_sink.h"

namespace tessavue {
namespace {

const std::filesystem::path kTestData = TESSAVUE_TESTDATA_DXF;

// Rows of each kind: lines, circles, arcs, ellipses.
using Counts = std::array<int, 4>;

Counts Read(const std::filesystem::path& file, testing::RecordingSink& sink) {
    static EntityTableRows table;  // 500 rows with their texts: not on the stack
    ClearEntityTable(table);
    ReadPlanEntities(file, 0, 0, sink, table);
    Counts counts{};
    for (int i = 0; i < testing::FilledRows(table); ++i) ++counts[static_cast<std::size_t>(table[i].Kind)];
    return counts;
}

TEST(PlanReaderFiles, EveryRealFileReads) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(kTestData)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".dxf") files.push_back(entry.path());
    }
    ASSERT_GE(files.size(), 19u) << kTestData << " (the real files) is missing or incomplete";
    for (const auto& file : files) {
        testing::RecordingSink sink;
        EXPECT_NO_THROW(Read(file, sink)) << file;
        EXPECT_TRUE(sink.confirmations.empty()) << file;
    }
}

TEST(PlanReaderFiles, RowsAsTheFilesAreDescribed) {
    struct Case {
        const char* file;
        Counts counts;
        const char* why;
    };
    const Case cases[] = {
        {"issue29.dxf", {344, 0, 0, 0}, "29 open polylines of 373 vertices"},
        {"closedlwpolylinebug.dxf", {3, 0, 0, 0}, "a closed 3-vertex polyline, scaled (2, 3)"},
        {"array-rotated.dxf", {0, 6, 0, 0}, "a 2 x 3 array of a circle, mirrored and scaled evenly"},
        {"multi_insert_with_attribs.dxf", {75, 25, 0, 0}, "5 x 5 cells of an open 4-vertex polyline and a circle"},
        {"issue42.dxf", {10 + 4, 7 + 4, 6, 0}, "a closed 4-vertex polyline, 4 references to a circle"},
        {"ae.r12a.dxf", {10 + 4 + 64 + 32 + 64, 1, 2, 0}, "polylines closed of 4 and 64, open of 33 and 65"},
        {"ae.r2000a.dxf", {10 + 4, 1, 2, 0}, "a closed 4-vertex polyline; splines give nothing"},
        {"spline.dxf", {1, 0, 0, 1}, "a line, a spline and a whole ellipse"},
        {"closed_loop_with_arcs.dxf", {9, 0, 2, 0}, "9 lines, 2 arcs"},
        {"issue1106.dxf", {5, 3, 2, 0}, "5 lines, 3 circles, 2 arcs"},
        {"Leica_Disto_S910.dxf", {10, 0, 0, 0}, "10 lines; points and texts give nothing"},
        {"ASCII_R12.dxf", {2, 0, 0, 0}, "2 lines; the referenced block holds a text"},
    };
    for (const Case& c : cases) {
        testing::RecordingSink sink;
        EXPECT_EQ(Read(kTestData / c.file, sink), c.counts) << c.file << ": " << c.why;
    }
}

}  // namespace
}  // namespace tessavue
