// Every file the stand-in's dxfout writes must be a DXF another reader accepts:
// python3-ezdxf loads it, its audit finds no error, and its modelspace holds exactly
// the entities written. Runs scripts/check-dxf with Debian's /usr/bin/python3; a
// missing interpreter or ezdxf fails the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/dxf_file.h"
#include "core/host.h"
#include "plan_samples.h"

#ifndef TESSAVUE_SOURCE_DIR
#error "TESSAVUE_SOURCE_DIR must name the repository"
#endif

namespace tessavue::sim {
namespace {

TEST(SimDxfWithEzdxf, EveryWrittenFileIsReadAuditedAndCounted) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/python3")) << "/usr/bin/python3 missing: run scripts/setup";
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tessavue-ezdxf-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);

    SimHost host;
    Drawing& d = host.drawing();
    d.AddLayer("壁");
    d.AddLayer("LINE");  // a layer whose name is an entity keyword
    d.AddLine({0, 0}, {100, 0});
    d.SetCurrentLayer("壁");
    d.AddCircle({50, 50}, 12.345678901234567);
    d.AddArc({-5, 5}, 2, 350, 10);
    d.AddText({1, 1}, 3.5, 45, "日本語テキスト");
    d.SetCurrentLayer("LINE");
    d.AddPolyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
    d.AddPolyline({{0, 0}, {-3, 4}}, false);
    // A rounded corner, and an arc as MIRROR leaves it (object coordinates).
    Entity rounded = samples::RoundedOutline();
    rounded.layer = "LINE";
    d.Add(rounded);
    d.Add(samples::MirroredArc());
    d.AddEllipse({20, 20}, {0, 8}, 0.25, 30, 200);
    d.AddEllipse({30, 20}, {5, 5}, 0.5);
    Entity edge;
    edge.kind = EntityKind::Line;
    edge.layer = "壁";
    edge.points = {{0, 0}, {4, 0}};
    d.DefineBlock(Block{"部品", {0, 0}, {edge}});
    const int insert = d.AddInsert("部品", {7, 8}, 2, 2, 90);
    host.filedia = 0;
    host.SetPreviousSelection({d.entities()[0].id, d.entities()[2].id, d.entities()[4].id, insert});

    // Through the command, as the palette has it written: the whole drawing and a
    // selection, in both versions, at two accuracies.
    std::string command = std::string(TESSAVUE_SOURCE_DIR) + "/scripts/check-dxf";
    struct Case {
        std::string name;
        std::string answers;
        std::size_t count;
    };
    const std::size_t all = d.entities().size();
    const Case cases[] = {{"all-r12", "v r12 16 ", all},
                          {"all-2000", "v 2000 16 ", all},
                          {"sel-r12", "o p  v r12 16 ", 4},
                          {"sel-2000", "o p  v 2000 4 ", 4},
                          {"empty-2000", "o  v 2000 16 ", 0}};
    for (const Case& c : cases) {
        const auto path = folder / (c.name + ".dxf");
        host.Type("dxfout " + path.string() + "\r" + c.answers);
        ASSERT_TRUE(std::filesystem::exists(path)) << c.name;
        command += " '" + path.string() + "' " + std::to_string(c.count);
    }
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << "scripts/check-dxf reported a problem (its output is above): " << command;
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tessavue::sim
