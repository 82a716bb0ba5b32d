// Figure files made from real AutoCAD exports must be readable by another DXF
// program: ezdxf reads them strictly, audits them and finds every entity written.
// Native only; the Python check runs Debian's /usr/bin/python3 with python3-ezdxf.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "dxf_data/entity_table.h"
#include "iso/face_walk.h"
#include "iso/faces.h"
#include "dxf_data/number_text.h"
#include "iso_test_support.h"

namespace tessavue {
namespace {

const std::filesystem::path kTestData = TESSAVUE_TESTDATA_DIR;
const std::filesystem::path kChecker = TESSAVUE_DXF_CHECKER;

class RealDxf : public testing::ScratchFolder {
protected:
    // Runs the checker and returns its exit status; its report goes to the test's output.
    int Check(const std::filesystem::path& original, const std::filesystem::path& written,
              const std::filesystem::path& expected) {
        const std::filesystem::path report = Folder() / "report.txt";
        const std::string command = "/usr/bin/python3 '" + kChecker.string() + "' '" + original.string() + "' '" +
                                    written.string() + "' '" + expected.string() + "' >'" + report.string() +
                                    "' 2>&1";
        const int status = std::system(command.c_str());
        std::cout << testing::ReadFile(report);
        return status;
    }

    // Turns the export onto `face`, raises a copy by 10 and adds height lines for
    // `table`; writes the figure file and the list of height lines to expect.
    void MakeFigure(const std::filesystem::path& source, int face, const EntityTableRows& table,
                    const std::filesystem::path& written, const std::filesystem::path& expected) {
        ASSERT_TRUE(std::filesystem::exists(source)) << source << " (the shared test data) is missing";
        const std::filesystem::path copy = Folder() / source.filename();
        std::filesystem::copy_file(source, copy);
        const FigureSteps steps = testing::Turned(face, 5, 5, 10);
        const HeightInputs& inputs = steps.Inputs;
        std::string figure;
        StringOutput output(figure);
        ASSERT_TRUE(RewriteFigure(testing::ReadFile(copy), steps, table, output));
        testing::WriteFile(written, figure);

        HeightLinePoints points;
        CollectHeightLinePoints(table, inputs, points);
        std::ofstream out(expected);
        out << "COPIES 2\n";
        for (int i = 0; i < points.Count; ++i) {
            double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            RotateForFace(face, 1, points.X[i], points.Y[i], 0, x0, y0);
            RotateForFace(face, 1, points.X[i], points.Y[i], FaceRow(face)->HeightFactor * 10.0, x1, y1);
            out << "LINE " << points.Layer[i] << ' ' << NumberText(x0) << ' ' << NumberText(y0) << ' '
                << NumberText(x1) << ' ' << NumberText(y1) << '\n';
        }
    }

    static EntityTableRows Table() {
        EntityTableRows table;
        ClearEntityTable(table);
        table[0] = {0, "0", 0, 0, 40, 0, 0};
        table[1] = {0, "0", 40, 0, 40, 25, 0};
        table[2] = {1, "0", 20, 10, 6, 0, 0};
        table[3] = {2, "0", -10, -10, 4, 300, 60};
        return table;
    }
};

TEST_F(RealDxf, R12ExportWithPolylinesAfterCopyAndHeightLines) {
    const std::filesystem::path written = Folder() / "ip20261207120000.dxf";
    const std::filesystem::path expected = Folder() / "expected.txt";
    const std::filesystem::path source = kTestData / "POLI-ALL210_12.DXF";
    for (int face : {FaceTopLeft, FaceRight}) {
        MakeFigure(source, face, Table(), written, expected);
        EXPECT_EQ(Check(source, written, expected), 0) << "face " << face;
        std::filesystem::remove(Folder() / source.filename());
    }
}

TEST_F(RealDxf, ExportWithSubclassMarkersAndHandles) {
    const std::filesystem::path written = Folder() / "ip20261207120001.dxf";
    const std::filesystem::path expected = Folder() / "expected.txt";
    const std::filesystem::path source = kTestData / "closed_loop_with_arcs.dxf";
    MakeFigure(source, FaceTopRight, Table(), written, expected);
    EXPECT_EQ(Check(source, written, expected), 0);
}

}  // namespace
}  // namespace tessavue
