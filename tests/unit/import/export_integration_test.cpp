// The selection export and the readers against the in-process stand-in: the exact
// answers typed, the file AutoCAD's side writes, and the rows read back from it.
#include <gtest/gtest.h>

#include <cmath>

#include "core/sim_desktop.h"
#include "host/history_queries.h"
#include "import/dxf_reader.h"
#include "import/offset_connectors.h"
#include "import/plan_reader.h"
#include "import/selection_export.h"
#include "dxf_text.h"
#include "entity_rows.h"
#include "plan_maps.h"
#include "recording_sink.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

using sim::Edition;
using sim::EntityKind;
using sim::SimDesktop;
using testing::RecordingSink;
using testing::TempFolder;

class Export : public ::testing::TestWithParam<Edition> {
protected:
    void SetUp() override {
        link.ApplyTargetVersion(GetParam() == Edition::LT2006 ? "LT 2006" : "LT 2000");
        link.CaptureHost();
        ASSERT_TRUE(link.CommandLineFound);
        auto& d = desktop.host().drawing();
        d.AddLayer("壁");
        d.SetCurrentLayer("壁");
        lineId = d.AddLine({110, 220}, {130, 250});
        circleId = d.AddCircle({110, 220}, 7.5);
        arcId = d.AddArc({100, 200}, 3, 350, 10);
        polyId = d.AddPolyline({{100, 200}, {110, 200}, {110, 210}}, false);
        d.AddLine({-50, -50}, {-60, -60});  // not selected
        ASSERT_TRUE(link.RunHostCommand("filedia 0 "));
        desktop.host().SetPreviousSelection({lineId, circleId, arcId});
    }
    std::vector<std::string> Typed() const {
        std::vector<std::string> out;
        for (const auto& chunk : desktop.host().ReceivedInput()) out.push_back(chunk.bytes);
        return out;
    }
    int Rows() const {
        int n = 0;
        while (n < kEntityRows && table[static_cast<std::size_t>(n)].Kind != -1) ++n;
        return n;
    }

    SimDesktop desktop{GetParam()};
    RecordingSink sink;
    HostLink link{desktop, sink};
    TempFolder folder;
    EntityTableRows table = [] {
        EntityTableRows t;
        ClearEntityTable(t);
        return t;
    }();
    int lineId = 0, circleId = 0, arcId = 0, polyId = 0;
};

TEST_P(Export, R12SelectionIsWrittenBeforeTheRoutineReturnsAndReadsBackRelative) {
    const auto path = folder / "sel file.dxf";  // a blank in the name
    const std::size_t undoBefore = desktop.host().UndoDepth();
    ASSERT_TRUE(ExportSelectionDxf(link, path.string(), ""));
    EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
    const std::vector<std::string> expected = {"filedia 0 ", "dxfout " + path.string() + "\r", "o p  ", "v r12 ",
                                               "16 "};
    EXPECT_EQ(Typed(), expected);
    EXPECT_EQ(desktop.host().UndoDepth(), undoBefore + 1) << "the export is one command, nothing else typed";
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(SelectionNeedsExplode(path));

    ReadDxfEntities(path, 100, 200, sink, table);
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[0].Layer, "壁");
    EXPECT_EQ(table[0].X1, 10);
    EXPECT_EQ(table[0].Y1, 20);
    EXPECT_EQ(table[0].X2, 30);
    EXPECT_EQ(table[0].Y2, 50);
    EXPECT_EQ(table[1].Kind, 1);
    EXPECT_EQ(table[1].X2, 7.5);
    EXPECT_EQ(table[2].Kind, 2);
    EXPECT_EQ(table[2].X1, 0);
    EXPECT_EQ(table[2].Y2, 350);
    EXPECT_EQ(table[2].EndAngle, 10);
}

TEST_P(Export, PolylineSelectionNeedsExplodingIn12AndFeedsTheOffsetReaderIn2000) {
    desktop.host().SetPreviousSelection({lineId, polyId});
    const auto r12 = folder / "poly12.dxf";
    ASSERT_TRUE(ExportSelectionDxf(link, r12.string(), ""));
    EXPECT_TRUE(SelectionNeedsExplode(r12));

    const auto v2000 = folder / "ofst.dxf";
    ASSERT_TRUE(ExportSelectionDxf(link, v2000.string(), "2000"));
    EXPECT_EQ(Typed().back(), "16 ");
    EXPECT_EQ(Typed()[Typed().size() - 2], "v 2000 ");
    const auto lines = *LoadDxfLines(v2000);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "LWPOLYLINE"), lines.end());

    // One connector from each distinct point: the line's two ends and the polyline's
    // three vertices, on their own layer, of the signed height in the given direction.
    const std::size_t before = desktop.host().drawing().entities().size();
    ASSERT_TRUE(DrawOffsetConnectors(link, v2000, -1, 10, "90", false));
    const auto& entities = desktop.host().drawing().entities();
    ASSERT_EQ(entities.size(), before + 5);
    const sim::Entity& first = entities[before];
    EXPECT_EQ(first.kind, EntityKind::Line);
    EXPECT_EQ(first.layer, "壁");
    EXPECT_EQ(first.points[0], (sim::Point{110, 220}));
    EXPECT_NEAR(first.points[1].x, 110, 1e-9);
    EXPECT_NEAR(first.points[1].y, 210, 1e-9);
    EXPECT_EQ(entities[before + 4].points[0], (sim::Point{110, 210}));
}

// With "円、円弧の高さの線" an ellipse or circle of the offset is joined to its copy
// where it runs along the offset: here straight up, so at the ends of its horizontal
// axis. Each layer is made current once for the connectors that follow on it.
TEST_P(Export, OffsetJoinsCurvesWhereTheyRunAlongTheOffset) {
    auto& d = desktop.host().drawing();
    d.AddLayer("楕円");
    d.SetCurrentLayer("楕円");
    const sim::Point centre{200.1234567890123, 100.9876543210987};
    const double major = 12.24744871391589;
    const int ellipse = d.AddEllipse(centre, {major, 0}, 0.5773502691896258);
    const int circle = d.AddCircle({150.5, 120.25}, 3.5);
    desktop.host().SetPreviousSelection({lineId, ellipse, circle});
    const auto path = folder / "ofst.dxf";
    ASSERT_TRUE(ExportSelectionDxf(link, path.string(), "2000"));
    for (const bool tangents : {false, true}) {
        SCOPED_TRACE(tangents ? "with tangents" : "corners only");
        const std::size_t before = d.entities().size();
        const std::size_t typedBefore = Typed().size();
        ASSERT_TRUE(DrawOffsetConnectors(link, path, 1, 10, "90", tangents));
        struct Foot {
            double x, y;
            const char* layer;
        };
        std::vector<Foot> feet = {{110, 220, "壁"}, {130, 250, "壁"}};
        if (tangents) {
            feet.insert(feet.end(), {{centre.x + major, centre.y, "楕円"},
                                     {centre.x - major, centre.y, "楕円"},
                                     {150.5 + 3.5, 120.25, "楕円"},
                                     {150.5 - 3.5, 120.25, "楕円"}});
        }
        ASSERT_EQ(d.entities().size(), before + feet.size());
        for (std::size_t i = 0; i < feet.size(); ++i) {
            const sim::Entity& drawn = d.entities()[before + i];
            EXPECT_EQ(drawn.kind, EntityKind::Line) << i;
            EXPECT_EQ(drawn.layer, feet[i].layer) << i;
            EXPECT_NEAR(drawn.points[0].x, feet[i].x, 1e-9) << i;
            EXPECT_NEAR(drawn.points[0].y, feet[i].y, 1e-9) << i;
            EXPECT_NEAR(drawn.points[1].x, feet[i].x, 1e-9) << i;
            EXPECT_NEAR(drawn.points[1].y, feet[i].y + 10, 1e-9) << i;
        }
        int layerChanges = 0;
        for (std::size_t i = typedBefore; i < Typed().size(); ++i) layerChanges += Typed()[i].rfind("-layer s ", 0) == 0;
        EXPECT_EQ(layerChanges, tangents ? 2 : 1);
    }
}

TEST_P(Export, ABlockReferenceNeedsExplodingAndItsDefinitionIsNotRead) {
    auto& d = desktop.host().drawing();
    sim::Entity edge;
    edge.kind = EntityKind::Line;
    edge.points = {{0, 0}, {4, 0}};
    d.DefineBlock(sim::Block{"PART", {0, 0}, {edge}});
    const int insert = d.AddInsert("PART", {100, 200});
    desktop.host().SetPreviousSelection({circleId, insert});
    const auto path = folder / "ins.dxf";
    ASSERT_TRUE(ExportSelectionDxf(link, path.string(), ""));
    EXPECT_TRUE(SelectionNeedsExplode(path));
    ReadDxfEntities(path, 0, 0, sink, table);
    EXPECT_EQ(Rows(), 1) << "only the circle: the block's line lies before ENTITIES";
    EXPECT_EQ(table[0].Kind, 1);
}

// What the selection command's full export gives the plan reader: the stand-in writes
// the selection unexploded in DXF 2000, blocks and all, and the rows are its lines,
// circles and polyline segments placed through every reference, as worked out here.
TEST_P(Export, TheFullExportGivesTheRowsOfNestedBlocks) {
    using testing::PlanPoint;
    auto& d = desktop.host().drawing();
    sim::Entity bolt;
    bolt.kind = EntityKind::Circle;
    bolt.points = {{1.234567890123457, 0.5432109876543210}};
    bolt.radius = 0.7500000000000001;
    sim::Entity edge;
    edge.kind = EntityKind::Line;
    edge.layer = "壁";
    edge.points = {{0.5, 0.25}, {2.718281828459045, 0.25}};
    d.DefineBlock(sim::Block{"BOLT", {0.5, 0.25}, {bolt, edge}});
    sim::Entity inner;
    inner.kind = EntityKind::Insert;
    inner.block = "BOLT";
    inner.points = {{3.141592653589793, 1.414213562373095}};
    inner.rotation = 30;
    d.DefineBlock(sim::Block{"FLANGE", {-1.25, 0.75}, {inner}});
    const PlanPoint at{100.1234567890123, 200.9876543210988};
    const int reference = d.AddInsert("FLANGE", {at.x, at.y}, 2, 0.5, 0);
    sim::Entity outline;
    outline.kind = EntityKind::Polyline;
    outline.layer = "壁";
    outline.points = {{110.5, 220.25}, {115.75, 220.25}, {115.75, 224.125}};
    outline.bulges = {0, 1};
    outline.closed = false;
    const int polyline = d.Add(outline);
    desktop.host().SetPreviousSelection({reference, polyline});
    const auto path = folder / "explode.dxf";
    ASSERT_TRUE(ExportSelectionDxf(link, path.string(), "2000"));

    ReadPlanEntities(path, 100, 200, sink, table);
    const testing::Map2 w = testing::Reference(at, 2, 0.5, 0, {-1.25, 0.75})
                                .After(testing::Reference({3.141592653589793, 1.414213562373095}, 1, 1, 30,
                                                          {0.5, 0.25}));
    ASSERT_EQ(Rows(), 4);
    EXPECT_EQ(table[0].Kind, 3) << "a circle in a turned reference inside an uneven one";
    EXPECT_EQ(table[0].Layer, "壁") << "layer 0 takes the reference's";
    EXPECT_TRUE(testing::RowTraces(
        table[0], testing::Relative(testing::MappedCircle(w, {1.234567890123457, 0.5432109876543210}, 0.7500000000000001),
                                    {100, 200}),
        1e-9));
    const PlanPoint from = w({0.5, 0.25}), to = w({2.718281828459045, 0.25});
    EXPECT_TRUE(testing::RowsAre(table,
                                 {{3, "壁", table[0].X1, table[0].Y1, table[0].X2, table[0].Y2, table[0].EndAngle,
                                   table[0].Ratio, table[0].StartParameter},
                                  {0, "壁", from.x - 100, from.y - 200, to.x - 100, to.y - 200},
                                  {0, "壁", 10.5, 20.25, 15.75, 20.25},
                                  // Bulge 1 from (115.75, 220.25) to (115.75, 224.125): the half
                                  // circle about their middle, counter-clockwise through its right.
                                  {2, "壁", 15.75, 22.1875, 1.9375, 270, 90}},
                                 1e-9));
}

TEST_P(Export, AWaitThatNeverSeesThePromptHasAWayOut) {
    // With FILEDIA 1 the dialog takes the file name: the accuracy prompt never shows.
    ASSERT_TRUE(link.RunHostCommand("filedia 1 "));
    int pumps = 0;
    desktop.pumpHook = [&] {
        if (++pumps == 200) link.AbandonWaits();
    };
    EXPECT_FALSE(ExportSelectionDxf(link, (folder / "never.dxf").string(), ""));
    // The wait ends at the latest when abandoned; earlier when the idle prompt shows
    // that the command is over without the prompt.
    EXPECT_LE(pumps, 200);
    EXPECT_FALSE(std::filesystem::exists(folder / "never.dxf"));
}

TEST_P(Export, AHostThatVanishesEndsTheWait) {
    ASSERT_TRUE(link.RunHostCommand("filedia 1 "));
    desktop.pumpHook = [&] { desktop.RemoveHostWindows(); };
    EXPECT_FALSE(ExportSelectionDxf(link, (folder / "gone.dxf").string(), ""));
}

INSTANTIATE_TEST_SUITE_P(Editions, Export, ::testing::Values(Edition::LT2000, Edition::LT2006),
                         [](const ::testing::TestParamInfo<Edition>& p) {
                             return p.param == Edition::LT2006 ? std::string("LT2006") : std::string("LT2000");
                         });

}  // namespace
}  // namespace tessavue
