// The selection export end to end: the real Win32 desktop against the real stand-in
// program, started on a drawing read from a DXF file. Its user selects objects and
// picks the base point; the palette's routines have it export R12 and 2000 files and
// read the rows back relative to the base point.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "core/dxf_file.h"
#include "host/history_queries.h"
#include "import/dxf_reader.h"
#include "import/selection_export.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_desktop.h"
#include "program.h"
#include "link_support.h"
#include "sim.h"

namespace tessavue::e2e {
namespace {

// The user's plan: a line, a circle and an arc about (100, 200), a polyline, and one
// line far off that the selection window leaves out.
std::string PlanDxf() {
    sim::Drawing d;
    d.AddLayer("外形 線");
    d.SetCurrentLayer("外形 線");
    d.AddLine({110, 220}, {130, 250});
    d.AddCircle({110, 220}, 7.5);
    d.AddArc({100, 200}, 3, 350, 10);
    d.AddPolyline({{100, 200}, {110, 200}, {110, 210}}, false);
    d.AddLine({-50, -50}, {-60, -60});
    return sim::WriteDxf(d, std::nullopt, sim::DxfVersion::R2000);
}

class ImportEndToEnd : public ::testing::TestWithParam<Edition> {
protected:
    void SetUp() override {
        const std::wstring stem = std::wstring(L"import_e2e_") + GetParam().sim;
        drawing_ = OwnFolder() / (stem + L" 図面.dxf");
        script_ = OwnFolder() / (stem + L".script");
        std::ofstream(drawing_, std::ios::binary) << PlanDxf();
        // Select with a window, end the selection, pick the base point.
        std::ofstream(script_, std::ios::binary) << "window 90,180 140,260\nenter\npick 100,200\n";
        for (const wchar_t* name : {L"sel 1.dxf", L"sel 2000.dxf"}) std::filesystem::remove(OwnFolder() / name);
    }
    void TearDown() override {
        if (sim_) (void)sim_->Terminate();
    }
    ::testing::AssertionResult Start() {
        auto started = Process::Start(OwnFolder() / L"tessavue-sim.exe",
                                      {L"--edition", GetParam().sim, L"--drawing", drawing_.wstring(),
                                       L"--user-script", script_.wstring()});
        if (!started) return ::testing::AssertionFailure() << started.message();
        sim_.emplace(std::move(*started));
        link.ApplyTargetVersion(GetParam().target);
        Status captured = WaitFor(
            [&] {
                link.CaptureHost();
                return link.CommandLineFound || !sim_->Running();
            },
            kDefaultBound, "the capture of the stand-in");
        if (!captured || !link.CommandLineFound)
            return ::testing::AssertionFailure() << "capture failed: " << captured.message();
        // The failed attempts before the window showed each told the sink.
        sink.confirmations.clear();
        Status idle = WaitFor([&] { return link.ReadCommandLine() == link.CommandPrompt; }, kDefaultBound,
                              "the idle prompt");
        if (!idle) return ::testing::AssertionFailure() << idle.message();
        return ::testing::AssertionSuccess();
    }

    Win32Desktop desktop;
    RecordingSink sink;
    HostLink link{desktop, sink};
    std::optional<Process> sim_;
    std::filesystem::path drawing_;
    std::filesystem::path script_;
};

void ExpectPlanRows(const EntityTableRows& table) {
    int rows = 0;
    while (rows < kEntityRows && table[static_cast<std::size_t>(rows)].Kind != -1) ++rows;
    ASSERT_EQ(rows, 3) << "the line, the circle and the arc; the polyline gives no row";
    EXPECT_EQ(table[0].Kind, 0);
    EXPECT_EQ(table[0].Layer, "外形 線");
    EXPECT_EQ(table[0].X1, 10);
    EXPECT_EQ(table[0].Y1, 20);
    EXPECT_EQ(table[0].X2, 30);
    EXPECT_EQ(table[0].Y2, 50);
    EXPECT_EQ(table[1].Kind, 1);
    EXPECT_EQ(table[1].X1, 10);
    EXPECT_EQ(table[1].Y1, 20);
    EXPECT_EQ(table[1].X2, 7.5);
    EXPECT_EQ(table[2].Kind, 2);
    EXPECT_EQ(table[2].X1, 0);
    EXPECT_EQ(table[2].Y1, 0);
    EXPECT_EQ(table[2].X2, 3);
    EXPECT_EQ(table[2].Y2, 350);
    EXPECT_EQ(table[2].EndAngle, 10);
}

TEST_P(ImportEndToEnd, SelectExportBothVersionsAndReadRowsRelativeToTheBasePoint) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(link.RunHostCommand("select "));
    ASSERT_FALSE(WasCommandCancelled(link, "select"));
    ASSERT_TRUE(HistoryShowsSelection(link));
    double baseX = 0, baseY = 0;
    ASSERT_TRUE(PickPointInHost(link, baseX, baseY));
    EXPECT_EQ(baseX, 100);
    EXPECT_EQ(baseY, 200);

    ASSERT_TRUE(link.RunHostCommand("filedia 0 "));
    // A blank in the name: only the carriage return ends it.
    const auto r12 = OwnFolder() / L"sel 1.dxf";
    const auto v2000 = OwnFolder() / L"sel 2000.dxf";
    ASSERT_TRUE(ExportSelectionDxf(link, NarrowCp932(r12.wstring()), ""));
    // The routine came back at the idle prompt: the file is whole now.
    ASSERT_TRUE(std::filesystem::exists(r12));
    ASSERT_TRUE(ExportSelectionDxf(link, NarrowCp932(v2000.wstring()), "2000"));
    ASSERT_TRUE(std::filesystem::exists(v2000));
    ASSERT_TRUE(link.RunHostCommand("filedia 1 "));

    const DxfLines r12Lines = *LoadDxfLines(r12);
    EXPECT_NE(std::find(r12Lines.begin(), r12Lines.end(), "AC1009"), r12Lines.end());
    const DxfLines v2000Lines = *LoadDxfLines(v2000);
    EXPECT_NE(std::find(v2000Lines.begin(), v2000Lines.end(), "AC1015"), v2000Lines.end());
    EXPECT_NE(std::find(v2000Lines.begin(), v2000Lines.end(), "LWPOLYLINE"), v2000Lines.end());
    EXPECT_TRUE(SelectionNeedsExplode(r12)) << "the polyline is a POLYLINE in R12";

    for (const auto& file : {r12, v2000}) {
        EntityTableRows table;
        ClearEntityTable(table);
        ReadDxfEntities(file, baseX, baseY, sink, table);
        SCOPED_TRACE(NarrowCp932(file.filename().wstring()));
        ExpectPlanRows(table);
    }

    // The header edit on a file AutoCAD wrote: two pairs fewer, the rest as it was.
    ASSERT_TRUE(RemoveHandseed(r12));
    const DxfLines edited = *LoadDxfLines(r12);
    EXPECT_EQ(edited.size(), r12Lines.size() - 4);
    EXPECT_EQ(std::find(edited.begin(), edited.end(), "$HANDSEED"), edited.end());
    EXPECT_TRUE(sink.confirmations.empty());
}

INSTANTIATE_TEST_SUITE_P(Editions, ImportEndToEnd, BothEditions(), EditionName);

}  // namespace
}  // namespace tessavue::e2e
