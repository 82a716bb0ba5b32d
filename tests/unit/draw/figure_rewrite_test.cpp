// The figure file of an existing figure, read back and inserted the way AutoCAD
// inserts it: every plan direction, height and circle must land where the face
// puts it, from the files the preparation is meant to read.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "draw/figure_rewrite.h"
#include "dxf_data/number_text.h"
#include "draw_test_support.h"
#include "iso_test_support.h"
#include "entity_rows.h"
#include "recording_sink.h"

namespace tessavue {
namespace {

using testing::Arc;
using testing::Circle;
using testing::Direction;
using testing::FigureEntity;
using testing::Inserted;
using testing::Join;
using testing::Length;
using testing::Line;
using testing::Minus;
using testing::SectionEntities;
using testing::Vec;

constexpr double kTolerance = 1e-9;
constexpr double kPi = 3.141592653589793;

// Drawing directions (degrees) of plan +X, plan +Y and a height of +1, per face.
struct FaceView {
    double PlanX;
    double PlanY;
    double Height;
};
constexpr std::array<FaceView, 4> kWhatTheUserSees = {{{30, 150, 90}, {330, 30, 90}, {330, 90, 210}, {30, 90, 330}}};

class FigureRewriteTest : public testing::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        files = DeriveProgramFiles(Folder() / "tessavue.exe", "tessavue.exe");
        figureFile = Folder() / "ip20261207120000.dxf";
        ClearEntityTable(table);
    }

    static void WritePlan(const std::filesystem::path& path, const DxfLines& entities) {
        ASSERT_TRUE(SaveDxfLines(path, testing::Export(entities)));
    }

    static FigureRewrite ExistingFigure(std::int32_t face, double height, double baseX = 0, double baseY = 0) {
        FigureRewrite rewrite;
        rewrite.Inputs.FaceCode = face;
        rewrite.Inputs.Height = height;
        rewrite.Inputs.FigureKind = kExistingFigureKind;
        rewrite.Inputs.CircleHeightLines = false;
        rewrite.BaseX = baseX;
        rewrite.BaseY = baseY;
        return rewrite;
    }

    // Preparation and rewrite as the draw command runs them; the figure file's entities.
    std::vector<FigureEntity> Draw(const FigureRewrite& rewrite) {
        if (!PrepareExistingFigure(files, rewrite, sink, table)) return {};
        const std::filesystem::path work = ExistingFigureWorkFile(files, rewrite.Inputs.FaceCode, rewrite.ProjectAll);
        if (!WriteFigureFile(work, figureFile, rewrite, table, sink)) return {};
        const std::optional<DxfLines> lines = LoadDxfLines(figureFile);
        return lines ? SectionEntities(*lines) : std::vector<FigureEntity>{};
    }

    static void ExpectDrawn(std::int32_t face, Vec from, Vec to, double length, double direction,
                            const std::string& what) {
        const Vec drawn = Minus(Inserted(face, to), Inserted(face, from));
        EXPECT_NEAR(Length(drawn), length, kTolerance) << what << ", face " << face;
        if (length > 0) {
            EXPECT_NEAR(Direction(drawn), direction, 1e-7) << what << ", face " << face;
        }
    }

    ProgramFiles files;
    std::filesystem::path figureFile;
    testing::RecordingSink sink;
    EntityTableRows table;
};

// Plan: +X and +Y unit lines from the base point (5, 5). Figure: the two lines, their
// raised copies, and one height line per distinct end point (3).
TEST_F(FigureRewriteTest, EveryFaceShowsPlanAxesAndHeightWhereItsTableSays) {
    WritePlan(files.selection, Join({Line("0", 5, 5, 6, 5), Line("0", 5, 5, 5, 6)}));
    for (std::int32_t face = 0; face < 4; ++face) {
        for (std::int32_t sign : {1, -1}) {
            FigureRewrite rewrite = ExistingFigure(face, 2.5, 5, 5);
            rewrite.Inputs.HeightSign = sign;
            const std::vector<FigureEntity> entities = Draw(rewrite);
            ASSERT_EQ(entities.size(), 7u) << "face " << face;
            const FaceView view = kWhatTheUserSees[static_cast<std::size_t>(face)];
            const Vec origin = entities[0].Point(" 10", " 20");
            EXPECT_NEAR(Length(origin), 0, kTolerance) << "the base point becomes the origin";
            ExpectDrawn(face, origin, entities[0].Point(" 11", " 21"), 1, view.PlanX, "plan +X");
            ExpectDrawn(face, origin, entities[1].Point(" 11", " 21"), 1, view.PlanY, "plan +Y");
            const double height = sign > 0 ? view.Height : std::fmod(view.Height + 180, 360);
            ExpectDrawn(face, origin, entities[2].Point(" 10", " 20"), 2.5, height, "raised copy");
            ExpectDrawn(face, entities[1].Point(" 11", " 21"), entities[3].Point(" 11", " 21"), 2.5, height,
                        "raised copy of +Y");
            for (std::size_t i = 4; i < 7; ++i) {
                ASSERT_EQ(entities[i].Kind, "LINE");
                const Vec foot = entities[i].Point(" 10", " 20");
                ExpectDrawn(face, foot, entities[i].Point(" 11", " 21"), 2.5, height, "height line");
                // Every foot stands on a corner of the bottom figure.
                const bool onCorner = Length(Minus(foot, origin)) < kTolerance ||
                                      Length(Minus(foot, entities[0].Point(" 11", " 21"))) < kTolerance ||
                                      Length(Minus(foot, entities[1].Point(" 11", " 21"))) < kTolerance;
                EXPECT_TRUE(onCorner) << "height line " << i << ", face " << face;
            }
        }
    }
    EXPECT_TRUE(sink.confirmations.empty());
}

// A plan circle of radius 1 becomes the face's isometric ellipse: the image of the
// turned circle has semi-axes sqrt(1.5) and sqrt(0.5) along the face's directions.
TEST_F(FigureRewriteTest, CircleBecomesTheFacesEllipse) {
    WritePlan(files.selection, Circle("0", 0, 0, 1));
    const std::array<double, 4> majorDirection = {0, 0, 120, 60};
    for (std::int32_t face = 0; face < 4; ++face) {
        const std::vector<FigureEntity> entities = Draw(ExistingFigure(face, 0));
        ASSERT_EQ(entities.size(), 1u);
        const Vec centre = entities[0].Point(" 10", " 20");
        const double r = entities[0].Number(" 40");
        double longest = 0, shortest = 1e9, longestAt = 0;
        for (int step = 0; step < 3600; ++step) {
            const double t = step * 3.141592653589793 / 1800;
            const Vec rim = Minus(Inserted(face, {centre.x + r * std::cos(t), centre.y + r * std::sin(t)}),
                                  Inserted(face, centre));
            if (Length(rim) > longest) longest = Length(rim), longestAt = std::fmod(Direction(rim), 180);
            shortest = std::min(shortest, Length(rim));
        }
        EXPECT_NEAR(longest, std::sqrt(1.5), 1e-6) << "face " << face;
        EXPECT_NEAR(shortest, std::sqrt(0.5), 1e-6) << "face " << face;
        EXPECT_NEAR(longestAt, majorDirection[static_cast<std::size_t>(face)], 0.1) << "face " << face;
    }
}

TEST_F(FigureRewriteTest, HeightZeroGivesNeitherCopyNorHeightLines) {
    WritePlan(files.selection, Join({Line("0", 0, 0, 4, 0), Circle("0", 2, 2, 1)}));
    for (bool heightLines : {true, false}) {
        FigureRewrite rewrite = ExistingFigure(FaceTopRight, 0);
        rewrite.Inputs.HeightLines = heightLines;
        rewrite.Inputs.CircleHeightLines = true;
        EXPECT_EQ(Draw(rewrite).size(), 2u);
    }
}

TEST_F(FigureRewriteTest, HeightUncheckedGivesTheRaisedCopyWithoutJoiningLines) {
    WritePlan(files.selection, Join({Line("0", 0, 0, 4, 0), Line("0", 4, 0, 4, 3)}));
    FigureRewrite rewrite = ExistingFigure(FaceLeft, 10);
    rewrite.Inputs.HeightLines = false;
    const std::vector<FigureEntity> entities = Draw(rewrite);
    ASSERT_EQ(entities.size(), 4u);
    ExpectDrawn(FaceLeft, entities[0].Point(" 10", " 20"), entities[2].Point(" 10", " 20"), 10, 210, "copy");
}

TEST_F(FigureRewriteTest, CornerOnOneLayerGetsOneHeightLineOnTwoLayersTwo) {
    WritePlan(files.selection, Join({Line("A", 0, 0, 4, 0), Line("A", 4, 0, 4, 3), Line("B", 4, 3, 0, 0)}));
    const std::vector<FigureEntity> entities = Draw(ExistingFigure(FaceTopLeft, 1));
    // 3 lines, 3 copies; points (0,0,A) (4,0,A) (4,3,A) (4,3,B) (0,0,B).
    ASSERT_EQ(entities.size(), 11u);
    std::vector<std::string> layers;
    for (std::size_t i = 6; i < entities.size(); ++i) layers.push_back(entities[i].Groups.at("  8"));
    EXPECT_EQ(layers, (std::vector<std::string>{"A", "A", "A", "B", "B"}));
}

// An existing figure's circles and arcs get height lines only with "円、円弧の高さの
//線"; a generated circle always gets them. An arc gets one only where it passes.
TEST_F(FigureRewriteTest, CircleAndArcHeightLinesFollowTheMenuAndTheArcsExtent) {
    // Face 0 puts the tangent points at -45 and 135 degrees: the arc from 90 to 180
    // passes 135 only; the circle passes both.
    WritePlan(files.selection, Join({Circle("0", 0, 0, 2), Arc("0", 10, 0, 1, 90, 180), Line("0", 0, 5, 1, 5)}));
    FigureRewrite rewrite = ExistingFigure(FaceTopLeft, 3);
    EXPECT_EQ(Draw(rewrite).size(), 6u + 2u) << "lines only";
    rewrite.Inputs.CircleHeightLines = true;
    const std::vector<FigureEntity> entities = Draw(rewrite);
    ASSERT_EQ(entities.size(), 6u + 2u + 3u);
    // After the circle's two, the arc's single height line stands at its 135 degree
    // point, turned by 45.
    const Vec foot = entities[6 + 2].Point(" 10", " 20");
    double x = 0, y = 0;
    RotateForFace(FaceTopLeft, 1, 10 + std::cos(Radians(135)), std::sin(Radians(135)), 0, x, y);
    EXPECT_NEAR(foot.x, x, kTolerance);
    EXPECT_NEAR(foot.y, y, kTolerance);
    // Arc angles get the face angle, unreduced.
    EXPECT_EQ(entities[1].Groups.at(" 50"), "135");
    EXPECT_EQ(entities[1].Groups.at(" 51"), "225");
}

// With "全て投影" AutoCAD has turned the plan itself: the turned export is only moved,
// while the height lines stand on the unturned selection, here its full export.
TEST_F(FigureRewriteTest, ProjectAllReadsTheTurnedExportAndTheTableFromTheSelection) {
    const double half = std::sqrt(0.5);
    WritePlan(files.selection, Line("S", 1, 1, 2, 1));
    WritePlan(files.exploded, Join({Line("S", 1, 1, 2, 1), Line("E", 1, 1, 1, 2)}));
    // AutoCAD turned both about (1, 1): +45 into l_45, -45 into r_45.
    WritePlan(files.turnedLeft, Join({Line("S", 1, 1, 1 + half, 1 + half), Line("E", 1, 1, 1 - half, 1 + half)}));
    WritePlan(files.turnedRight, Join({Line("S", 1, 1, 1 + half, 1 - half), Line("E", 1, 1, 1 + half, 1 + half)}));
    for (std::int32_t face : {FaceTopLeft, FaceTopRight, FaceLeft, FaceRight}) {
        FigureRewrite rewrite = ExistingFigure(face, 1, 1, 1);
        rewrite.ProjectAll = true;
        const std::vector<FigureEntity> entities = Draw(rewrite);
        ASSERT_EQ(entities.size(), 4u + 4u) << "face " << face;
        ASSERT_EQ(table[0].Layer, "S");
        ASSERT_EQ(table[1].Layer, "E");
        EXPECT_EQ(table[2].Kind, -1);
        const FaceView view = kWhatTheUserSees[static_cast<std::size_t>(face)];
        const Vec origin = entities[0].Point(" 10", " 20");
        ExpectDrawn(face, origin, entities[0].Point(" 11", " 21"), 1, view.PlanX, "turned plan +X");
        ExpectDrawn(face, origin, entities[1].Point(" 11", " 21"), 1, view.PlanY, "turned plan +Y");
        // Height lines from the unturned plan's corners: they must stand where the
        // turned export put the same corners.
        const std::array<Vec, 3> corners = {origin, entities[0].Point(" 11", " 21"), entities[1].Point(" 11", " 21")};
        for (std::size_t i = 4; i < 8; ++i) {
            const Vec foot = entities[i].Point(" 10", " 20");
            bool onCorner = false;
            for (const Vec& corner : corners) onCorner = onCorner || Length(Minus(foot, corner)) < 1e-12;
            EXPECT_TRUE(onCorner) << "height line " << i << ", face " << face;
        }
    }
}

// The table comes from the full export of the selection when there is one (it holds
// everything, blocks unexploded), else from the selection file; either way every
// line, arc and circle the user sees, inside blocks too.
TEST_F(FigureRewriteTest, TheTableComesFromTheFullExportElseTheSelection) {
    using testing::Row;
    // A block on layer "0" whose line and circle take the reference's layer; its base
    // point (2, 1) goes to the insertion point (10.5, 20.25), turned by 90 degrees.
    const DxfLines block = {"  0", "SECTION", "  2", "BLOCKS", "  0", "BLOCK", "  8", "0", "  2", "PART", " 10", "2",
                            " 20", "1", "  0", "LINE", "  8", "0", " 10", "2", " 20", "1", " 11", "5", " 21", "1",
                            "  0", "CIRCLE", "  8", "0", " 10", "3", " 20", "1", " 40", "0.5", "  0", "ENDBLK",
                            "  0", "ENDSEC"};
    const DxfLines insert = {"INSERT", "  8", "K", "  2", "PART", " 10", "10.5", " 20", "20.25", " 50", "90", "  0"};
    // The entities after the BLOCKS section, as AutoCAD writes a selection with a reference.
    const auto plan = [&](const std::vector<DxfLines>& entities) {
        DxfLines all;
        for (const DxfLines& e : entities) all.insert(all.end(), e.begin(), e.end());
        DxfLines lines = testing::Export(all);
        std::size_t section = 0;
        while (!(lines[section] == "ENTITIES" && lines[section - 2] == "SECTION")) ++section;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(section) - 3, block.begin(), block.end());
        return lines;
    };
    const std::vector<Row> inserted = {{0, "K", 10.5, 20.25, 10.5, 23.25}, {1, "K", 10.5, 21.25, 0.5}};
    struct Case {
        const char* name;
        std::vector<DxfLines> selection;  // empty: no file
        std::vector<DxfLines> full;
        std::vector<Row> rows;
    };
    const Case cases[] = {
        {"no files", {}, {}, {}},
        {"the selection alone", {Line("S", 0, 0, 1, 0), insert}, {}, {{0, "S", 0, 0, 1, 0}, inserted[0], inserted[1]}},
        {"the full export alone, not the selection too", {Line("S", 0, 0, 1, 0)}, {Line("S", 0, 0, 1, 0), insert},
         {{0, "S", 0, 0, 1, 0}, inserted[0], inserted[1]}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(files.selection);
        std::filesystem::remove(files.exploded);
        if (!c.selection.empty()) {
            ASSERT_TRUE(SaveDxfLines(files.selection, plan(c.selection)));
        }
        if (!c.full.empty()) {
            ASSERT_TRUE(SaveDxfLines(files.exploded, plan(c.full)));
        }
        table[0] = {0, "left over", 1, 2, 3, 4, 0};
        EXPECT_TRUE(FillEntityTableFromSelection(files.selection, files.exploded, 0, 0, sink, table));
        EXPECT_TRUE(testing::RowsAre(table, c.rows, 1e-12));
    }
    // A damaged full export is told, and the command ends.
    testing::WriteFile(files.exploded, "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
    EXPECT_FALSE(FillEntityTableFromSelection(files.selection, files.exploded, 0, 0, sink, table));
    ASSERT_EQ(sink.confirmations.size(), 1u);
    EXPECT_NE(sink.confirmations[0].find("explode.dxf"), std::string::npos);
}

TEST_F(FigureRewriteTest, WorkFileFollowsTheFaceAndProjectAll) {
    EXPECT_EQ(ExistingFigureWorkFile(files, FaceTopLeft, false), files.selection);
    EXPECT_EQ(ExistingFigureWorkFile(files, FaceRight, false), files.selection);
    EXPECT_EQ(ExistingFigureWorkFile(files, FaceTopLeft, true), files.turnedLeft);
    EXPECT_EQ(ExistingFigureWorkFile(files, FaceLeft, true), files.turnedLeft);
    EXPECT_EQ(ExistingFigureWorkFile(files, FaceTopRight, true), files.turnedRight);
    EXPECT_EQ(ExistingFigureWorkFile(files, FaceRight, true), files.turnedRight);
    EXPECT_TRUE(ExistingFigureWorkFile(files, 4, true).empty());
}

// No selection yet, or "全て投影" switched on after a selection made without it: the
// message, and the table of the last figure is left as it was.
TEST_F(FigureRewriteTest, MissingWorkFileTellsTheUserAndTouchesNothing) {
    table[0] = {0, "keep", 1, 2, 3, 4, 0};
    EXPECT_FALSE(PrepareExistingFigure(files, ExistingFigure(FaceTopLeft, 10), sink, table));
    WritePlan(files.selection, Line("0", 0, 0, 1, 0));
    FigureRewrite projectAll = ExistingFigure(FaceTopRight, 10);
    projectAll.ProjectAll = true;
    EXPECT_FALSE(PrepareExistingFigure(files, projectAll, sink, table));
    EXPECT_EQ(sink.confirmations,
              (std::vector<std::string>{NothingSelectedMessage(), NothingSelectedMessage()}));
    EXPECT_EQ(sink.confirmations[0], "オブジェクトが選択されていません。");
    EXPECT_EQ(table[0].Layer, "keep");
    EXPECT_FALSE(std::filesystem::exists(figureFile));
}

// A damaged work file: the message, no figure file (not even an older one of the
// same name), and the work file unchanged.
TEST_F(FigureRewriteTest, DamagedWorkFileLeavesNoFigureFile) {
    const std::string noEnd = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n1\r\n 20\r\n2\r\n";
    const std::string noEntities = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    const std::string badNumber =
        "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 10\r\n1\r\n 20\r\nzwei\r\n  0\r\nENDSEC\r\n";
    // A colour no reader takes, in the plan and in a block the plan refers to: copied
    // on, either would make a figure file AutoCAD cannot insert.
    const std::string badColour = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n 62\r\n1e999\r\n 10\r\n1\r\n"
                                  " 20\r\n2\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    const std::string badInBlock =
        "  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n  0\r\nBLOCK\r\n  2\r\nB\r\n 70\r\n0\r\n  0\r\nCIRCLE\r\n 40\r\ninf\r\n"
        "  0\r\nENDBLK\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nINSERT\r\n  2\r\nB\r\n"
        " 10\r\n1\r\n 20\r\n2\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    const std::filesystem::path work = Folder() / "work.dxf";
    for (const std::string& bytes : {noEnd, noEntities, badNumber, badColour, badInBlock}) {
        testing::WriteFile(work, bytes);
        testing::WriteFile(figureFile, "an older figure of the same second");
        sink.confirmations.clear();
        EXPECT_FALSE(WriteFigureFile(work, figureFile, ExistingFigure(FaceTopLeft, 10), table, sink));
        ASSERT_EQ(sink.confirmations.size(), 1u);
        EXPECT_FALSE(sink.confirmations[0].empty());
        EXPECT_FALSE(std::filesystem::exists(figureFile));
        EXPECT_EQ(testing::ReadFile(work), bytes);
    }
    EXPECT_FALSE(WriteFigureFile(Folder() / "none.dxf", figureFile, ExistingFigure(FaceTopLeft, 10), table, sink));
    EXPECT_FALSE(std::filesystem::exists(figureFile));
}

TEST_F(FigureRewriteTest, WorkFileIsNeverWritten) {
    WritePlan(files.selection, Join({Line("0", 3, 3, 7, 3), Arc("0", 3, 3, 2, 0, 90)}));
    const std::string before = testing::ReadFile(files.selection);
    ASSERT_EQ(Draw(ExistingFigure(FaceRight, 5, 3, 3)).size(), 4u + 2u);
    EXPECT_EQ(testing::ReadFile(files.selection), before);
}

// Text and dimensions stay flat and are only moved (their frame is their own);
// generated circles are moved, raised, and always get circle height lines.
// Groups that hold a direction from the entity's own point, not a point: an ellipse's
// major axis, an MTEXT's direction, a spline's end tangents. Inserted, each must show
// the plan vector as the face's axes carry it, in the figure and in its raised copy
// alike: turned, never moved by the base point, never raised.
TEST_F(FigureRewriteTest, RelativeVectorsTurnButNeitherMoveNorRise) {
    struct Row {
        const char* kind;
        const char* xCode;
        const char* yCode;
        double x, y;  // the plan vector
    };
    const Row rows[] = {
        {"ELLIPSE", " 11", " 21", 20, 0},
        {"ELLIPSE", " 11", " 21", -3.0901699437494745, 9.5105651629515353},
        {"MTEXT", " 11", " 21", 0.6, 0.8},
        {"SPLINE", " 12", " 22", -0.5, 0.25},
        {"SPLINE", " 13", " 23", 0.70710678118654757, -0.70710678118654746},
    };
    for (const Row& row : rows) {
        const std::string x = NumberText(row.x), y = NumberText(row.y);
        // Laid out as Export takes entities: the kind first, each closed by the next "  0".
        DxfLines entity = {row.kind, "  8", "0", " 10", "100.25", " 20", "50.125", " 30", "0.0"};
        if (std::string(row.kind) == "SPLINE") {
            // A spline's tangents come before its control points.
            entity = {"SPLINE", "  8", "0", " 70", "8", " 71", "3", " 72", "8", " 73", "4", " 74", "0"};
            for (const char* knot : {"0", "0", "0", "0", "1", "1", "1", "1"}) entity.insert(entity.end(), {" 40", knot});
            entity.insert(entity.end(), {row.xCode, x, row.yCode, y, " 30", "0.0"});
            for (const char* p : {"100.25", "101.5", "103.75", "104"}) entity.insert(entity.end(), {" 10", p, " 20", "50.125", " 30", "0.0"});
        } else {
            entity.insert(entity.end(), {row.xCode, x, row.yCode, y, " 31", "0.0"});
            if (std::string(row.kind) == "ELLIPSE") entity.insert(entity.end(), {" 40", "0.5", " 41", "0.0", " 42", "6.283185307179586"});
            else entity.insert(entity.end(), {" 40", "2.5", "  1", "A"});
        }
        entity.push_back("  0");
        WritePlan(files.selection, entity);
        for (std::int32_t face = 0; face < 4; ++face) {
            const std::vector<FigureEntity> entities = Draw(ExistingFigure(face, 10, 100.25, 50.125));
            const std::string label = std::string(row.kind) + " " + row.xCode + ", face " + std::to_string(face);
            ASSERT_EQ(entities.size(), 2u) << label << ": the entity and its raised copy";
            const FaceView view = kWhatTheUserSees[static_cast<std::size_t>(face)];
            const double ex = row.x * std::cos(view.PlanX * kPi / 180) + row.y * std::cos(view.PlanY * kPi / 180);
            const double ey = row.x * std::sin(view.PlanX * kPi / 180) + row.y * std::sin(view.PlanY * kPi / 180);
            for (const FigureEntity& drawn : entities) {
                const Vec v = Inserted(face, drawn.Point(row.xCode, row.yCode));
                EXPECT_NEAR(v.x, ex, kTolerance) << label;
                EXPECT_NEAR(v.y, ey, kTolerance) << label;
            }
        }
    }
}

TEST_F(FigureRewriteTest, OtherKindsAreMovedNotTurned) {
    const std::filesystem::path work = Folder() / "elem.dxf";
    WritePlan(work, Join({Line("0", 1, 1, 2, 1), Circle("0", 1, 1, 1)}));
    EntityTableRows generated;
    ClearEntityTable(generated);
    generated[0] = {1, "0", 0, 0, 1, 0, 0};
    for (const char* kind : {"文字", "寸法", "円"}) {
        FigureRewrite rewrite = ExistingFigure(FaceTopRight, 10, 1, 1);
        rewrite.Inputs.FigureKind = kind;
        ASSERT_FALSE(TurnsPlan(rewrite));
        ASSERT_TRUE(WriteFigureFile(work, figureFile, rewrite, generated, sink));
        const std::vector<FigureEntity> entities = SectionEntities(*LoadDxfLines(figureFile));
        const bool flat = std::string(kind) != "円";
        ASSERT_EQ(entities.size(), flat ? 2u : 2u + 2u + 2u) << kind;
        EXPECT_EQ(entities[0].Groups.at(" 11"), "1") << kind;
        EXPECT_EQ(entities[0].Groups.at(" 21"), "0") << kind;
    }
}

TEST(ReadNumberField, NumberOrMessageNamingFieldAndText) {
    testing::RecordingSink sink;
    EXPECT_EQ(ReadNumberField("高さ", " 12.5 ", sink), 12.5);
    EXPECT_TRUE(sink.confirmations.empty());
    for (const char* text : {"", "abc", "1,5", "10mm"}) {
        EXPECT_FALSE(ReadNumberField("高さ", text, sink)) << text;
    }
    ASSERT_EQ(sink.confirmations.size(), 4u);
    EXPECT_NE(sink.confirmations[2].find("'1,5'"), std::string::npos);
    EXPECT_EQ(sink.confirmations[2].rfind("高さ", 0), 0u);
}

}  // namespace
}  // namespace tessavue
