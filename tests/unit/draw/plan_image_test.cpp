// Plans with what real drawings hold — polylines with arc segments, blocks turned,
// scaled and nested, circles and arcs as MIRROR leaves them — written by ezdxf,
// selected and drawn on every face against the in-process stand-in, with and without
// "全て投影". The figure each draw adds is handed to plan_image.py, which expands it and
// the plan with ezdxf and checks, from the face axes alone, that the one is the
// isometric image of the other with nothing left over.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/dxf_file.h"
#include "core/host.h"
#include "core/sim_desktop.h"
#include "draw/draw_command.h"
#include "draw/figure_rewrite.h"
#include "import/selection_command.h"
#include "recording_sink.h"
#include "temp_folder.h"

#ifndef TESSAVUE_PLAN_IMAGE
#error "TESSAVUE_PLAN_IMAGE must name tests/unit/draw/plan_image.py"
#endif

namespace tessavue {
namespace {

using sim::Edition;
using sim::ScriptedUser;
using sim::SimDesktop;

const std::string kPython = "/usr/bin/python3";

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

void SetUser(SimDesktop& desktop, const std::string& script) {
    std::string error;
    auto user = ScriptedUser::Parse(script, &error);
    ASSERT_TRUE(user) << error;
    desktop.SetUser(std::move(*user));
}

// Selects the whole plan with the base point (5, 3), draws it on `face` with no
// height at (500, 400), and writes what the draw added (with every block definition
// of the drawing) to `result`.
void DrawPlan(const std::filesystem::path& plan, const std::filesystem::path& folder, std::int32_t face,
              bool projectAll, const std::filesystem::path& result) {
    SimDesktop desktop(Edition::LT2000);
    testing::RecordingSink sink;
    HostLink link(desktop, sink);
    std::string error;
    ASSERT_TRUE(sim::LoadDxfFile(desktop.host().drawing(), plan, &error)) << error;
    const std::size_t planCount = desktop.host().drawing().entities().size();
    const ProgramFiles files = DeriveProgramFiles(folder / "tessavue.exe", "tessavue.exe");
    const PathText pathText = [](const std::filesystem::path& p) { return p.string(); };

    SetUser(desktop, "window -1000,-1000 1000,1000\nenter\npick 5,3\n");
    PlanPoint base;
    SelectionCommand selection{link, files, pathText, [](bool) {}, projectAll};
    ASSERT_EQ(RunSelectionCommand(selection, base), SelectionOutcome::Exported);
    ASSERT_EQ(desktop.host().drawing().entities().size(), planCount) << "the plan is as it was";

    SetUser(desktop, "pick 500,400\n");
    DrawRequest request;
    request.FaceCode = face;
    request.FigureKind = kExistingFigureKind;
    request.HeightText = "0";
    request.ProjectAll = projectAll;
    request.SelectionBase = base;
    DrawCommand draw{link, sink, files, pathText, [](bool) {}, [] { return LocalTime{2026, 12, 8, 1, 2, 3}; }};
    ASSERT_EQ(RunDrawCommand(draw, request), DrawOutcome::Drawn);
    EXPECT_TRUE(sink.confirmations.empty());

    sim::Drawing added;
    const auto& all = desktop.host().drawing().entities();
    for (std::size_t i = planCount; i < all.size(); ++i) added.Add(all[i]);
    for (const sim::Block& block : desktop.host().drawing().blocks()) added.DefineBlock(block);
    std::ofstream(result, std::ios::binary) << sim::WriteDxf(added, std::nullopt, sim::DxfVersion::R2000);
}

TEST(PlanImages, EveryFaceShowsTheIsometricImageOfWhatThePlanHolds) {
    testing::TempFolder folder("tessavue-plans");
    const std::filesystem::path names = folder / "plans.txt";
    ASSERT_EQ(std::system((kPython + " " + TESSAVUE_PLAN_IMAGE + " write " + Quoted(folder.path()) + " > " +
                           Quoted(names)).c_str()),
              0)
        << "ezdxf could not write the plans (run scripts/setup)";
    std::ifstream listed(names);
    std::ofstream manifest(folder / "manifest.txt");
    int drawn = 0;
    int expectedDraws = 0;
    for (std::string name, modes; listed >> name >> modes;) {
        for (const bool projectAll : {true, false}) {
            // Without "全て投影" only coordinates and arc angles turn: a block reference
            // keeps its rotation, as the option means, so its image is not isometric.
            if (!projectAll && modes == "all") continue;
            ++expectedDraws;
            for (std::int32_t face = 0; face < 4; ++face) {
                SCOPED_TRACE(name + (projectAll ? ", 全て投影" : "") + ", face " + std::to_string(face));
                const std::filesystem::path result =
                    folder / (name + "-" + std::to_string(face) + (projectAll ? "-all" : "") + ".dxf");
                DrawPlan(folder / name, folder.path(), face, projectAll, result);
                manifest << (folder / name).string() << " " << result.string() << " " << face << " 5 3 500 400\n";
                ++drawn;
            }
        }
    }
    manifest.close();
    ASSERT_EQ(drawn, expectedDraws * 4);
    ASSERT_GE(drawn, 5 * 4) << "every plan drawn";
    const std::filesystem::path report = folder / "report.txt";
    const int status = std::system((kPython + " " + TESSAVUE_PLAN_IMAGE + " check " +
                                    Quoted(folder / "manifest.txt") + " > " + Quoted(report) + " 2>&1").c_str());
    EXPECT_EQ(status, 0) << testing::ReadFile(report);
}

// The stand-in's EXPLODE of a reference to each plan, placed as the figures are (the
// isometric scales, the side turns) and evenly: what it leaves, anonymous "*E"
// references followed, must show what the reference showed, as ezdxf expands it.
TEST(PlanImages, TheStandInsExplosionShowsWhatTheReferenceShowed) {
    testing::TempFolder folder("tessavue-explosions");
    const std::filesystem::path names = folder / "plans.txt";
    ASSERT_EQ(std::system((kPython + " " + TESSAVUE_PLAN_IMAGE + " write " + Quoted(folder.path()) + " > " +
                           Quoted(names)).c_str()),
              0);
    struct Placement {
        double scaleX, scaleY, rotation;
    };
    const Placement placements[] = {{std::sqrt(1.5), std::sqrt(0.5), 0},
                                    {std::sqrt(1.5), std::sqrt(0.5), -60},
                                    {std::sqrt(1.5), std::sqrt(0.5), 60},
                                    {2, 2, 30}};
    std::ifstream listed(names);
    std::ofstream manifest(folder / "manifest.txt");
    int exploded = 0;
    for (std::string name, modes; listed >> name >> modes;) {
        sim::Drawing plan;
        std::string error;
        ASSERT_TRUE(sim::LoadDxfFile(plan, folder / name, &error)) << error;
        for (std::size_t i = 0; i < std::size(placements); ++i) {
            SCOPED_TRACE(name + " placement " + std::to_string(i));
            sim::SimHost host(Edition::LT2000);
            sim::Drawing& d = host.drawing();
            for (const sim::Block& block : plan.blocks()) d.DefineBlock(block);
            d.DefineBlock(sim::Block{"PLAN", {0, 0}, plan.entities()});
            const Placement& p = placements[i];
            d.AddInsert("PLAN", {500, 400}, p.scaleX, p.scaleY, p.rotation);
            const std::filesystem::path before = folder / (name + "-" + std::to_string(i) + "-placed.dxf");
            const std::filesystem::path after = folder / (name + "-" + std::to_string(i) + "-exploded.dxf");
            std::ofstream(before, std::ios::binary) << sim::WriteDxf(d, std::nullopt, sim::DxfVersion::R2000);
            host.Type("_explode l\r\r");
            ASSERT_FALSE(host.InCommand());
            ASSERT_NE(d.entities().front().block, "PLAN") << "the reference was exploded";
            std::ofstream(after, std::ios::binary) << sim::WriteDxf(d, std::nullopt, sim::DxfVersion::R2000);
            manifest << before.string() << " " << after.string() << " none 0 0 0 0\n";
            ++exploded;
        }
    }
    manifest.close();
    ASSERT_GT(exploded, 0);
    const std::filesystem::path report = folder / "report.txt";
    const int status = std::system((kPython + " " + TESSAVUE_PLAN_IMAGE + " check " +
                                    Quoted(folder / "manifest.txt") + " > " + Quoted(report) + " 2>&1").c_str());
    EXPECT_EQ(status, 0) << testing::ReadFile(report);
}

}  // namespace
}  // namespace tessavue
