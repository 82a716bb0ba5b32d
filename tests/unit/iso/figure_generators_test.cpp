// The figures typed in as numbers: the plan rows they leave for the height lines and
// the figure text in the face's frame. Whether they look right once inserted is the
// draw command's test against the stand-in; here the numbers themselves.
#include "iso/figure_generators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "entity_rows.h"

namespace tessavue {
namespace {

using testing::Row;
using testing::RowsAre;

// The LINE records of figure text as (x1, y1, x2, y2) texts, in order.
std::vector<std::vector<std::string>> LineEnds(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    std::vector<std::vector<std::string>> records;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] == "  0" && lines[i + 1] == "LINE") records.push_back({});
        if (!records.empty() && (lines[i] == " 10" || lines[i] == " 20" || lines[i] == " 11" || lines[i] == " 21"))
            records.back().push_back(lines[i + 1]);
    }
    return records;
}

TEST(FigureGenerators, CircleIsOneCircleAboutTheOriginAndOneRow) {
    EntityTableRows table;
    ClearEntityTable(table);
    EXPECT_EQ(CircleFigureText("外形", 10 * 0.5, table),
              "  0\r\nCIRCLE\r\n  8\r\n外形\r\n 10\r\n0\r\n 20\r\n0\r\n 40\r\n5\r\n");
    EXPECT_TRUE(RowsAre(table, {{1, "外形", 0, 0, 5}}));
}

// Ｙ 10, Ｘ 20 on 上左: the edges clockwise from the top one, and the top edge turned
// by the face's 45 degrees.
TEST(FigureGenerators, RectangleRowsAreItsEdgesAndItsTextIsTurnedForTheFace) {
    EntityTableRows table;
    ClearEntityTable(table);
    const std::string text = SquareFigureText("0", 0, 1, 10, 20, table);
    EXPECT_TRUE(RowsAre(table, {{0, "0", -10, 5, 10, 5}, {0, "0", 10, 5, 10, -5}, {0, "0", 10, -5, -10, -5},
                                {0, "0", -10, -5, -10, 5}}));
    const auto records = LineEnds(text);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"-10.6066017177982", "-3.53553390593274", "3.53553390593274",
                                                     "10.6066017177982"}));
}

TEST(FigureGenerators, HexagonCornersLieAtTheDistanceOfACornerWithTwoFlatsUprightOrLevel) {
    const double r = 5.77350269189626;  // 10 / sqrt(3)
    const double half = r / 2;
    struct Case {
        const char* name;
        double start;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        {"縦: flats at X = ±5",
         0,
         {{0, "0", 5, -half, 5, half},
          {0, "0", 5, half, 0, r},
          {0, "0", 0, r, -5, half},
          {0, "0", -5, half, -5, -half},
          {0, "0", -5, -half, 0, -r},
          {0, "0", 0, -r, 5, -half}}},
        {"横: flats at Y = ±5",
         30,
         {{0, "0", r, 0, half, 5},
          {0, "0", half, 5, -half, 5},
          {0, "0", -half, 5, -r, 0},
          {0, "0", -r, 0, -half, -5},
          {0, "0", -half, -5, half, -5},
          {0, "0", half, -5, r, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EntityTableRows table;
        ClearEntityTable(table);
        const std::string text = HexagonFigureText("0", 2, 1, 10, c.start, table);
        EXPECT_TRUE(RowsAre(table, c.rows, 1e-12));
        EXPECT_EQ(LineEnds(text).size(), 6u);
        // The last edge closes on the first corner exactly: one corner, one height line.
        EXPECT_EQ(table[5].X2, table[0].X1);
        EXPECT_EQ(table[5].Y2, table[0].Y1);
    }
}

}  // namespace
}  // namespace tessavue
