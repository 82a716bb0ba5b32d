// The command-line rewrite tool on real exports: every figure file it writes is read
// by ezdxf (strict read, audit, every entity and height line present, no handle
// twice); refused work files leave no figure file. Native only: the checker runs
// Debian's /usr/bin/python3 with python3-ezdxf and fails when that is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include <sys/wait.h>

#include "draw/figure_rewrite.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"
#include "iso_test_support.h"
#include "recording_sink.h"

namespace tessavue {
namespace {

const std::filesystem::path kTool = TESSAVUE_REWRITE_TOOL;
const std::filesystem::path kTestData = TESSAVUE_TESTDATA_DIR;
const std::filesystem::path kChecker = TESSAVUE_DXF_CHECKER;

int ExitStatus(int status) {
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RewriteTool : public testing::ScratchFolder {
protected:
    // Runs the tool; its exit status, its messages in `output`.
    int Tool(const std::string& arguments, std::string& output) {
        const std::filesystem::path report = Folder() / "tool.txt";
        const std::string command = "'" + kTool.string() + "' " + arguments + " >'" + report.string() + "' 2>&1";
        const int status = ExitStatus(std::system(command.c_str()));
        output = testing::ReadFile(report);
        return status;
    }

    // The checker's exit status; its report goes to the test's output.
    // The expected height lines stand on `full` when given, else on `selection`
    // (default: the original itself).
    int Check(const std::filesystem::path& original, const std::filesystem::path& written, int copies,
              const FigureRewrite& rewrite, std::filesystem::path selection = {},
              const std::filesystem::path& full = {}) {
        if (selection.empty()) selection = original;
        const std::filesystem::path expected = Folder() / "expected.txt";
        {
            std::ofstream out(expected);
            out << "COPIES " << copies << '\n';
            static EntityTableRows table;
            testing::RecordingSink sink;
            EXPECT_TRUE(FillEntityTableFromSelection(selection, full, rewrite.BaseX, rewrite.BaseY, sink, table));
            if (rewrite.Inputs.HeightLines && copies == 2) {
                HeightLinePoints points;
                CollectHeightLinePoints(table, rewrite.Inputs, points);
                const double lift = FaceRow(rewrite.Inputs.FaceCode)->HeightFactor * rewrite.Inputs.Height;
                for (int i = 0; i < points.Count; ++i) {
                    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
                    RotateForFace(rewrite.Inputs.FaceCode, rewrite.Inputs.HeightSign, points.X[i], points.Y[i], 0, x0,
                                  y0);
                    RotateForFace(rewrite.Inputs.FaceCode, rewrite.Inputs.HeightSign, points.X[i], points.Y[i], lift,
                                  x1, y1);
                    out << "LINE " << points.Layer[i] << ' ' << NumberText(x0) << ' ' << NumberText(y0) << ' '
                        << NumberText(x1) << ' ' << NumberText(y1) << '\n';
                }
            }
        }
        const std::filesystem::path report = Folder() / "report.txt";
        const std::string command = "/usr/bin/python3 '" + kChecker.string() + "' '" + original.string() + "' '" +
                                    written.string() + "' '" + expected.string() + "' >'" + report.string() +
                                    "' 2>&1";
        const int status = ExitStatus(std::system(command.c_str()));
        std::cout << testing::ReadFile(report);
        return status;
    }

    std::filesystem::path Source(const char* name) {
        const std::filesystem::path source = kTestData / name;
        EXPECT_TRUE(std::filesystem::exists(source)) << source << " (the shared test data) is missing";
        return source;
    }
};

struct Case {
    std::int32_t Face;
    const char* Options;
    double Height;
    std::int32_t Sign;
    bool HeightLines;
    bool CircleHeightLines;
};

TEST_F(RewriteTool, FigureFilesOfRealExportsReadBackByEzdxf) {
    const Case cases[] = {
        {FaceTopLeft, "--height 10", 10, 1, true, false},
        {FaceTopRight, "--height 7.5 --invert-sign --circle-height-lines", 7.5, -1, true, true},
        {FaceLeft, "--height 10 --no-height-lines", 10, 1, false, false},
        {FaceRight, "--height 0 --circle-height-lines", 0, 1, true, true},
        {FaceRight, "--height 4 --circle-height-lines", 4, 1, true, true},
    };
    for (const char* name : {"POLI-ALL210_12.DXF", "closed_loop_with_arcs.dxf"}) {
        const std::filesystem::path source = Source(name);
        for (const Case& c : cases) {
            const std::filesystem::path written = Folder() / "ip20261207120000.dxf";
            std::string output;
            const std::string arguments = "--face " + std::to_string(c.Face) + " --base 5,-2.5 " + c.Options + " '" +
                                          source.string() + "' '" + written.string() + "'";
            ASSERT_EQ(Tool(arguments, output), 0) << arguments << '\n' << output;
            FigureRewrite rewrite;
            rewrite.Inputs = {c.Face, c.Sign, c.Height, kExistingFigureKind, c.HeightLines, c.CircleHeightLines};
            rewrite.BaseX = 5;
            rewrite.BaseY = -2.5;
            EXPECT_EQ(Check(source, written, c.Height != 0 ? 2 : 1, rewrite), 0) << arguments;
            std::filesystem::remove(written);
        }
    }
}

// A plan of polylines gets its height lines from their segments; given the full
// export of the selection, from that file alone.
TEST_F(RewriteTool, PolylinePlanTakesHeightLinesFromItsSegmentsOrTheFullExport) {
    const std::filesystem::path source = Source("POLI-ALL210_12.DXF");
    const std::filesystem::path full = Source("closed_loop_with_arcs.dxf");
    for (const bool withFull : {false, true}) {
        SCOPED_TRACE(withFull ? "with the full export" : "alone");
        const std::filesystem::path written = Folder() / "ip20261207120003.dxf";
        std::string output;
        const std::string arguments = "--face 2 --height 3 " + (withFull ? "--full '" + full.string() + "' " : "") +
                                      "'" + source.string() + "' '" + written.string() + "'";
        ASSERT_EQ(Tool(arguments, output), 0) << output;
        FigureRewrite rewrite;
        rewrite.Inputs = {FaceLeft, 1, 3, kExistingFigureKind, true, false};
        EXPECT_EQ(Check(source, written, 2, rewrite, source, withFull ? full : std::filesystem::path()), 0);
        std::filesystem::remove(written);
    }
}

TEST_F(RewriteTool, RefusedWorkFilesLeaveNoFigureFile) {
    const std::filesystem::path work = Folder() / "work.dxf";
    const std::filesystem::path written = Folder() / "ip20261207120001.dxf";
    const std::string arguments = "--face 1 '" + work.string() + "' '" + written.string() + "'";
    std::string output;
    testing::WriteFile(work, "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n1\n 20\n2\n");
    EXPECT_EQ(Tool(arguments, output), 1);
    EXPECT_NE(output.find("ENDSEC"), std::string::npos) << output;
    testing::WriteFile(work, "  0\nSECTION\n  2\nHEADER\n  0\nENDSEC\n  0\nEOF\n");
    EXPECT_EQ(Tool(arguments, output), 1);
    EXPECT_NE(output.find("ENTITIES"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(written));

    // A figure file an earlier run left under the same name goes too, whichever step
    // refuses: the plan the height lines stand on, or the work file itself.
    const std::filesystem::path plan = Folder() / "plan.dxf";
    testing::WriteFile(plan, "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\nabc\n 20\n0\n 11\n1\n 21\n1\n"
                             "  0\nENDSEC\n  0\nEOF\n");
    testing::WriteFile(work, testing::ReadFile(Source("closed_loop_with_arcs.dxf")));
    for (const std::string& refused : {"--selection '" + plan.string() + "' " + arguments,
                                       "--face 1 '" + (Folder() / "none.dxf").string() + "' '" + written.string() + "'"}) {
        testing::WriteFile(written, "an older figure");
        EXPECT_EQ(Tool(refused, output), 1) << refused;
        EXPECT_FALSE(output.empty());
        EXPECT_FALSE(std::filesystem::exists(written)) << refused;
    }
}

TEST_F(RewriteTool, WrongCommandLinesAreRefusedBeforeAnythingIsWritten) {
    const std::filesystem::path source = Source("closed_loop_with_arcs.dxf");
    const std::filesystem::path written = Folder() / "ip20261207120002.dxf";
    const std::string files = " '" + source.string() + "' '" + written.string() + "'";
    std::string output;
    for (const std::string& options : {std::string("--height 10"), std::string("--face 4"),
                                       std::string("--face 0 --height ten"), std::string("--face 0 --base 1"),
                                       std::string("--face 0 --kind plate")}) {
        EXPECT_EQ(Tool(options + files, output), 2) << options;
        EXPECT_FALSE(output.empty()) << options;
    }
    EXPECT_FALSE(std::filesystem::exists(written));
}

}  // namespace
}  // namespace tessavue
