// A figure written as a DXF 2000 file of its own must open in other programs with
// every number it was given: ezdxf reads, audits and compares each entity, LibreCAD
// prints it. A figure that cannot be written leaves nothing behind.
// Native only: the checkers are Debian's /usr/bin/python3 with python3-ezdxf and LibreCAD.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "dxf2000_check.h"
#include "iso/dxf2000_writer.h"
#include "iso_test_support.h"

namespace tessavue {
namespace {

const std::filesystem::path kChecker = TESSAVUE_DXF2000_CHECKER;
constexpr double kPi = 3.141592653589793;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

// Shift-JIS bytes spelled out, so that the rows do not depend on how the test sources
// are compiled. Several hold 0x5C ("\\") as their second byte.
const std::string kWall = "\x95\xC7";                  // 壁
const std::string kShown = "\x95\x5C\x8E\xA6";         // 表示
const std::string kDimension = "\x90\xA1\x96\x40";     // 寸法
const std::string kSovietText = "\x83\x5C\x98\x41 1/2";  // ソ連 1/2
const std::string kA = "\x83\x41";                      // ア
const std::string kDi = "\x83\x61";                     // ヂ
const std::string kGothic = "\x83\x53\x83\x56\x83\x62\x83\x4E";  // ゴシック

WorldEntity On(const std::string& layer, int colour, WorldShape shape) { return {layer, colour, std::move(shape)}; }

// An ellipse whole: its box half-widths sqrt(mx^2 + (r my)^2) and sqrt(my^2 + (r mx)^2).
testing::Box WholeEllipseBox(const WorldEllipse& e) {
    const double w = std::hypot(e.MajorAxis.X, e.Ratio * e.MajorAxis.Y);
    const double h = std::hypot(e.MajorAxis.Y, e.Ratio * e.MajorAxis.X);
    return {e.Centre.X - w, e.Centre.Y - h, e.Centre.X + w, e.Centre.Y + h};
}

testing::Box Joined(testing::Box box, const std::vector<Vec2>& points) {
    for (const Vec2& v : points) {
        box.MinX = std::min(box.MinX, v.X);
        box.MinY = std::min(box.MinY, v.Y);
        box.MaxX = std::max(box.MaxX, v.X);
        box.MaxY = std::max(box.MaxY, v.Y);
    }
    return box;
}

struct WrittenCase {
    const char* Name;
    WorldFigure Figure;
    std::vector<std::string> ExtraLayers;
    std::optional<testing::Box> Extents;  // none: an empty drawing
};

const WorldEllipse kTilted{{100.1234567890123, 200.9876543210987}, {30.12345678901234, 17.39230484541326},
                           0.5773502691896258, 0, 2 * kPi};

std::vector<WrittenCase> WrittenCases() {
    std::vector<WrittenCase> cases;

    WorldFigure kinds;
    kinds.Entities = {
        On("0", 256, WorldLine{{1234.567890123456, -9876.543210987654}, {2345.678901234567, 3456.789012345678}}),
        On("WALL", 1, kTilted),
        On("0", 0,
           WorldSpline{3, 8, {0, 0, 0, 0, 0.3333333333333333, 1, 1, 1, 1},
                       {{10.12345678901234, 20.98765432109876},
                        {15.55555555555556, 40.44444444444444},
                        {30.71428571428571, 35.14285714285714},
                        {45.09090909090909, 10.81818181818182},
                        {60.33333333333333, 25.66666666666667}},
                       {},
                       {}}),
        On("WALL", 256,
           WorldSpline{2, 12, {0, 0, 0, 1, 1, 1}, {{-5.5, 0}, {-5.5, 5.5}, {0, 5.5}}, {1, 0.7071067811865476, 1}, {}}),
        On("0", 256,
           WorldSpline{3, 8, {}, {}, {}, {{1.414213562373095, 1.732050807568877}, {2.23606797749979, 2.449489742783178},
                                          {3.16227766016838, 1.1}}}),
        On("TEXT", 3, WorldText{"A-12", {500.1234567890123, 600.9876543210987}, 2.5, 30, 0.8660254037844386, -30,
                                "STANDARD", 0, 0, {}}),
        // Right-aligned on its middle: AutoCAD places it from the alignment point.
        On("TEXT", 256, WorldText{"B-7", {480.5, 590.25}, 2.5, 330, 1, 0, "STANDARD", 2, 2,
                                  {502.7182818284590, 588.1415926535898}}),
        On("0", 7, WorldPoint{{-0.0001234567890123456, 0.0009876543210987654}}),
        On("0", 256, WorldSolid{{{0, 0}, {10.5, 0}, {0, 5.25}, {10.5, 5.25}}}),
    };
    const testing::Box kindsBox =
        Joined(WholeEllipseBox(kTilted), {{1234.567890123456, -9876.543210987654},
                                          {2345.678901234567, 3456.789012345678},
                                          {-5.5, 0},
                                          {-0.0001234567890123456, 0.0009876543210987654}});
    cases.push_back({"every kind, sixteen digits", kinds, {}, kindsBox});

    WorldFigure far;
    far.Entities = {
        On("0", 256, WorldLine{{-1.234567890123456e15, -9.876543210987654e14}, {4.5e17, -3.333333333333333e-7}}),
        On("0", 256, WorldPoint{{-7.0e16, 1.2345678901234567e16}}),
        On("0", 256, WorldEllipse{{-1e15, -1e15}, {2.5e14, 0}, 0.5, kPi / 2, kPi}),
        // The largest doubles: fifteen digits would round them beyond the range.
        On("0", 256, WorldPoint{{kMax, -kMax}}),
    };
    // The arc runs from the top of its minor axis (-1e15, -8.75e14) to the far end of
    // its major (-1.25e15, -1e15), inside the other points' reach.
    cases.push_back(
        {"negative and huge coordinates", far, {}, testing::Box{-7.0e16, -kMax, kMax, 1.2345678901234567e16}});

    WorldFigure japanese;
    japanese.Entities = {
        On(kWall, 256, WorldLine{{0.1, 0.2}, {0.30000000000000004, 0.7}}),
        On(kShown, 5, WorldText{kSovietText, {1.5, -2.5}, 3.5, 90, 1, 0, "STANDARD", 0, 0, {}}),
        On(kShown, 256, WorldText{kWall + kShown, {-1.5, 2.5}, 1, 330, 0.75, 30, kGothic, 0, 0, {}}),
        // The same layer as the extra "wall": AutoCAD folds ASCII letters in names.
        On("WALL", 256, WorldPoint{{0, 0}}),
        // Not the extra layer ア (83 41): a trail byte is no letter to fold.
        On(kDi, 256, WorldPoint{{1, 1}}),
    };
    cases.push_back({"Japanese layers, texts and style", japanese, {kDimension, "Unused", "wall", kA},
                     testing::Box{-1.5, -2.5, 1.5, 2.5}});

    WorldFigure arcs;
    arcs.Entities = {
        // Quarter from the end of the major axis to the end of the minor: the ends are the box.
        On("0", 256, WorldEllipse{{0, 0}, {10, 0}, 0.5, 0, kPi / 2}),
        // Through parameter 0 (from 3/2 pi round to pi/2): reaches x = 30 at t = 0.
        On("0", 256, WorldEllipse{{20, 0}, {10, 0}, 0.5, 3 * kPi / 2, kPi / 2}),
        // Major axis pointing up: the minor side lies to the left, reached at t = pi/2.
        On("0", 256, WorldEllipse{{0, -40}, {0, 10}, 0.5, 0, kPi}),
    };
    cases.push_back({"ellipse arcs bounded by their own extremes", arcs, {}, testing::Box{-5, -50, 30, 5}});

    cases.push_back({"empty figure", WorldFigure{}, {"Unused"}, std::nullopt});
    return cases;
}

class Dxf2000 : public testing::ScratchFolder {};

TEST_F(Dxf2000, WrittenFilesOpenInOtherReadersWithEveryNumber) {
    int index = 0;
    for (const WrittenCase& row : WrittenCases()) {
        SCOPED_TRACE(row.Name);
        Dxf2000Options options;
        options.Layers = row.ExtraLayers;
        const std::filesystem::path written = Folder() / ("case" + std::to_string(index++) + ".dxf");
        std::string error;
        if (!WriteDxf2000File(written, row.Figure, options, error)) {
            ADD_FAILURE() << "refused: " << error;
            continue;
        }
        EXPECT_EQ(error, "");
        EXPECT_FALSE(std::filesystem::exists(written.string() + ".tmp"));

        std::string report;
        EXPECT_EQ(testing::CheckWithEzdxf(kChecker, written,
                                          testing::Expectations(row.Figure, row.ExtraLayers,
                                                                row.Extents ? &*row.Extents : nullptr),
                                          testing::TypeCounts(row.Figure), report),
                  0)
            << report;
        std::string printed;
        EXPECT_EQ(testing::PrintWithLibreCad(written, printed), 0) << printed;
        EXPECT_EQ(testing::ReadFile(written), Dxf2000Text(row.Figure, options)) << "the file is not the text";
    }
}

struct RefusedCase {
    const char* Name;
    WorldEntity Entity;
    std::vector<std::string> ExtraLayers = {};
};

TEST_F(Dxf2000, RefusedFiguresLeaveNothingWritten) {
    const RefusedCase rows[] = {
        {"NaN in a line", On("0", 256, WorldLine{{0, kNaN}, {1, 1}})},
        {"infinite ellipse ratio", On("0", 256, WorldEllipse{{0, 0}, {1, 0}, kInf, 0, kPi})},
        {"infinite knot", On("0", 256, WorldSpline{1, 0, {0, 0, -kInf, 1}, {{0, 0}, {1, 1}}, {}, {}})},
        {"NaN text height", On("0", 256, WorldText{"A", {0, 0}, kNaN, 0, 1, 0, "STANDARD", 0, 0, {}})},
        {"NaN solid corner", On("0", 256, WorldSolid{{{0, 0}, {1, 0}, {0, kNaN}, {1, 1}}})},
        {"infinite point", On("0", 256, WorldPoint{{-kInf, 0}})},
        {"ratio above one", On("0", 256, WorldEllipse{{0, 0}, {1, 0}, 1.5, 0, kPi})},
        {"no major axis", On("0", 256, WorldEllipse{{0, 0}, {0, 0}, 0.5, 0, kPi})},
        {"knots short of controls plus degree plus one",
         On("0", 256, WorldSpline{2, 0, {0, 0, 1, 1}, {{0, 0}, {1, 1}, {2, 0}}, {}, {}})},
        {"weights short", On("0", 256, WorldSpline{1, 4, {0, 0, 1, 1}, {{0, 0}, {1, 1}}, {1}, {}})},
        {"line break in a text", On("0", 256, WorldText{"A\r\nB", {0, 0}, 1, 0, 1, 0, "STANDARD", 0, 0, {}})},
        {"layer name with <", On("A<B", 256, WorldPoint{{0, 0}})},
        {"empty layer name", On("", 256, WorldPoint{{0, 0}})},
        {"layer name ending in half a character", On("A\x95", 256, WorldPoint{{0, 0}})},
        {"colour 257", On("0", 257, WorldPoint{{0, 0}})},
        {"extra layer with a line break", On("0", 256, WorldPoint{{0, 0}}), {"A\nB"}},
        {"extents beyond the largest double",
         On("0", 256, WorldEllipse{{1.7e308, 0}, {1.7e308, 0}, 1, 0, 2 * kPi})},
    };
    const std::filesystem::path target = Folder() / "figure.dxf";
    testing::WriteFile(target, "kept");
    for (const RefusedCase& row : rows) {
        SCOPED_TRACE(row.Name);
        WorldFigure figure;
        figure.Entities = {On("0", 256, WorldLine{{0, 0}, {1, 1}}), row.Entity};
        Dxf2000Options options;
        options.Layers = row.ExtraLayers;
        EXPECT_NE(Dxf2000Fault(figure, options), "");
        EXPECT_EQ(Dxf2000Text(figure, options), "");
        std::string error;
        EXPECT_FALSE(WriteDxf2000File(target, figure, options, error));
        EXPECT_NE(error, "");
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(testing::ReadFile(target), "kept");
        int files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder())) ++files;
        EXPECT_EQ(files, 1) << "something besides the kept file";
    }
}

TEST_F(Dxf2000, MissingFolderRefusedAndExistingFileReplaced) {
    WorldFigure figure;
    figure.Entities = {On("0", 256, WorldLine{{0, 0}, {1, 1}})};
    std::string error;
    const std::filesystem::path missing = Folder() / "missing";
    EXPECT_FALSE(WriteDxf2000File(missing / "figure.dxf", figure, {}, error));
    EXPECT_NE(error, "");
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(std::filesystem::is_empty(Folder()));

    const std::filesystem::path target = Folder() / "figure.dxf";
    testing::WriteFile(target, std::string(100000, 'x'));
    error.clear();
    ASSERT_TRUE(WriteDxf2000File(target, figure, {}, error)) << error;
    EXPECT_EQ(testing::ReadFile(target), Dxf2000Text(figure, {}));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder())) ++files;
    EXPECT_EQ(files, 1) << "a temporary file left beside the figure";
}

}  // namespace
}  // namespace tessavue

namespace tessavue {
namespace {

// Names another program may give a layer, made usable: what AutoCAD refuses in names
// becomes "_", Shift-JIS characters (also one whose second byte is 0x5C) and AutoCAD's
// own "\\U+" escapes stay; a usable name passes the writer's check, and a good one stays.
TEST(UsableName, WhatAutoCadRefusesBecomesAnUnderscore) {
    struct Row {
        std::string given, usable;
    };
    const Row rows[] = {
        {"WALL", "WALL"},
        {"a<b>/c\\d\":e;f?g*h|i=j`k", "a_b__c_d__e_f_g_h_i_j_k"},
        {"", "0"},
        {"tab\there", "tab_here"},
        {"\x95\x5C", "\x95\x5C"},                // a Shift-JIS character whose second byte is a backslash
        {"\\U+039B\\U+0391", "\\U+039B\\U+0391"},  // AutoCAD's escapes of characters outside the code page
        {"end\x95", "end_"},                       // a lead byte without its trail
        {"\x95\n", "__"},                         // a lead byte before a control character
    };
    for (const Row& row : rows) {
        EXPECT_EQ(UsableName(row.given), row.usable) << row.given;
        WorldFigure figure;
        figure.Entities.push_back({UsableName(row.given), 256, WorldLine{{0, 0}, {1, 1}}});
        EXPECT_EQ(Dxf2000Fault(figure, {}), "") << row.given;
    }
}

}  // namespace
}  // namespace tessavue
