// Every file the stand-in's dxfout writes must be a DXF another reader accepts:
// python3-ezdxf loads it, its audit finds no error, and its modelspace holds exactly
// the entities written. Runs scripts/check-dxf with Debian's /usr/bin/python3; a
// missing interpreter or ezdxf fails the test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/dxf_file.h"
#include "core/host.h"
#include "plan_samples.h"
#include "temp_folder.h"

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

// What the script prints, one line each; the exit status after "exit ".
std::vector<std::string> RunLines(const std::string& command) {
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {"cannot run: " + command};
    std::string line;
    for (int c = std::fgetc(pipe); c != EOF; c = std::fgetc(pipe)) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    lines.push_back("exit " + std::to_string(pclose(pipe)));
    return lines;
}

// The unit settings and the layer states as another reader finds them in what dxfout
// wrote: a layer that is off has a negative colour, a frozen one flag 1. R12 has no
// $DIMDEC.
TEST(SimDxfWithEzdxf, UnitsAndLayerStatesAsAnotherReaderSeesThem) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/python3")) << "/usr/bin/python3 missing: run scripts/setup";
    testing::TempFolder folder("tessavue-ezdxf-states");
    SimHost host(Edition::LT2000);
    host.filedia = 0;
    host.drawing().AddLayer("DIM").color = 1;
    host.drawing().AddLayer("HIDDEN").color = 5;
    host.drawing().AddLayer("GONE").color = 250;
    host.Type("lunits 4 luprec 8 dimdec 1 ");
    host.Type("-layer off HIDDEN,GONE\rf GONE,dim\r\r");
    host.drawing().AddLine({0, 0}, {1, 1});
    const std::string script = std::string(TESSAVUE_SOURCE_DIR) + "/tests/unit/sim/dxf_states.py";
    const std::vector<std::string> layers = {
        "layer 0 on thawed 7",
        "layer DIM on frozen 1",
        "layer HIDDEN off thawed 5",
        "layer GONE off frozen 250",
        "exit 0",
    };
    for (const char* version : {"r12", "2000"}) {
        SCOPED_TRACE(version);
        const auto path = folder / (std::string(version) + ".dxf");
        host.Type("dxfout " + path.string() + "\rv " + version + " 16 ");
        ASSERT_TRUE(std::filesystem::exists(path));
        std::vector<std::string> expected = {"header $LUNITS 4", "header $LUPREC 8"};
        if (std::string(version) == "2000") expected.push_back("header $DIMDEC 1");
        expected.insert(expected.end(), layers.begin(), layers.end());
        EXPECT_EQ(RunLines("/usr/bin/python3 '" + script + "' '" + path.string() + "'"), expected);
    }
}


// What CIRCLE, ARC and PLINE drew, as another reader finds it in what dxfout wrote in
// either version: a circle, an arc kept counter-clockwise, a closed polyline of a line,
// a tangent half circle and a closing tangent quarter, and an open clockwise half
// circle through a second point (bulge -1). Numbers compared to 1e-9.
TEST(SimDxfWithEzdxf, DrawnCurvesAsAnotherReaderSeesThem) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/python3")) << "/usr/bin/python3 missing: run scripts/setup";
    testing::TempFolder folder("tessavue-ezdxf-curves");
    SimHost host(Edition::LT2006);
    host.filedia = 0;
    host.drawing().AddLayer("CURVES");
    host.drawing().SetCurrentLayer("CURVES");
    host.Type("circle 1.5,2.5 3.141592653589793 ");
    host.Type("arc c 0,0 10,0 0,5 ");
    host.Type("pline 0,0 10,0 a 10,10 cl ");
    host.Type("pline 20,0 a s 21,1 22,0  ");
    ASSERT_EQ(host.drawing().entities().size(), 4u);
    struct Expected {
        std::string words;  // kind, layer and for a polyline open/closed
        std::vector<double> numbers;
    };
    const double quarter = std::tan(std::numbers::pi / 8);
    const std::vector<Expected> expected = {
        {"circle CURVES", {1.5, 2.5, std::numbers::pi}},
        {"arc CURVES", {0, 0, 10, 0, 90}},
        {"polyline CURVES closed", {0, 0, 0, 10, 0, 1, 10, 10, quarter}},
        {"polyline CURVES open", {20, 0, -1, 22, 0, 0}},
    };
    const std::string script = std::string(TESSAVUE_SOURCE_DIR) + "/tests/unit/sim/dxf_states.py";
    for (const char* version : {"r12", "2000"}) {
        SCOPED_TRACE(version);
        const auto path = folder / (std::string(version) + ".dxf");
        host.Type("dxfout " + path.string() + "\rv " + version + " 16 ");
        ASSERT_TRUE(std::filesystem::exists(path));
        const std::string check = std::string(TESSAVUE_SOURCE_DIR) + "/scripts/check-dxf '" + path.string() + "' 4";
        EXPECT_EQ(std::system(check.c_str()), 0) << "loaded, audited clean, four entities: " << check;
        std::vector<std::string> lines = RunLines("/usr/bin/python3 '" + script + "' '" + path.string() + "' entities");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "exit 0");
        // The entity lines come after the header and layer lines.
        std::vector<std::string> entities;
        for (const std::string& line : lines)
            if (line.rfind("header ", 0) != 0 && line.rfind("layer ", 0) != 0 && line.rfind("exit ", 0) != 0)
                entities.push_back(line);
        ASSERT_EQ(entities.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(entities[i]);
            std::istringstream in(entities[i]);
            std::string kind, layer, state;
            in >> kind >> layer;
            std::string words = kind + " " + layer;
            if (kind == "polyline") {
                in >> state;
                words += " " + state;
            }
            EXPECT_EQ(words, expected[i].words);
            std::vector<double> numbers;
            for (double n; in >> n;) numbers.push_back(n);
            EXPECT_TRUE(in.eof()) << "only numbers follow";
            ASSERT_EQ(numbers.size(), expected[i].numbers.size());
            for (std::size_t k = 0; k < numbers.size(); ++k) EXPECT_NEAR(numbers[k], expected[i].numbers[k], 1e-9) << k;
        }
    }
}

}  // namespace
}  // namespace tessavue::sim
