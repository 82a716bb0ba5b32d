// The plan reader against ezdxf on real files: ezdxf reads each file, expands its
// references by the product of their matrices and samples every curve; the rows must
// match them one for one (plan_rows_check.py). Native only: the check runs Debian's
// /usr/bin/python3 with python3-ezdxf and fails when either is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include <sys/wait.h>

#include "import/plan_reader.h"
#include "entity_rows.h"
#include "recording_sink.h"
#include "temp_folder.h"

namespace tessavue {
namespace {

const std::filesystem::path kTestData = TESSAVUE_TESTDATA_DXF;
const std::filesystem::path kChecker = TESSAVUE_PLAN_ROWS_CHECKER;

TEST(PlanReaderAgainstEzdxf, RealFilesGiveTheRowsEzdxfSees) {
    // ASCII_R12.dxf and issue1106.dxf are left out: ezdxf 0.18 refuses to read them.
    const char* const files[] = {"insert_bricscad_level_1.dxf", "closedlwpolylinebug.dxf", "array-rotated.dxf",
                                 "supported_entities.dxf", "issue42.dxf", "multi_insert_with_attribs.dxf",
                                 "BLOCKFLIPPARAMETER.dxf", "POLI-ALL210_12.DXF", "issue39.dxf", "issue29.dxf",
                                 "LM2.dxf", "ae.r12a.dxf", "ae.r2000a.dxf", "hatches_1.dxf", "spline.dxf",
                                 "closed_loop_with_arcs.dxf", "Leica_Disto_S910.dxf"};
    testing::TempFolder folder("tessavue-plan-ezdxf");
    for (const char* name : files) {
        SCOPED_TRACE(name);
        const std::filesystem::path source = kTestData / name;
        ASSERT_TRUE(std::filesystem::exists(source)) << source << " (the real files) is missing";
        static EntityTableRows table;
        ClearEntityTable(table);
        testing::RecordingSink sink;
        ReadPlanEntities(source, 0, 0, sink, table);
        ASSERT_TRUE(sink.confirmations.empty()) << "the table must hold the whole plan for the comparison";
        const std::filesystem::path rows = folder / "rows.txt";
        {
            std::FILE* out = std::fopen(rows.c_str(), "wb");
            ASSERT_NE(out, nullptr);
            for (int i = 0; i < testing::FilledRows(table); ++i) {
                const EntityRecord& r = table[i];
                std::fprintf(out, "%d\t%s\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\t%.17g\n", r.Kind,
                             r.Layer.c_str(), r.X1, r.Y1, r.X2, r.Y2, r.EndAngle, r.Ratio, r.StartParameter);
            }
            std::fclose(out);
        }
        const std::filesystem::path report = folder / "report.txt";
        const std::string command = "/usr/bin/python3 '" + kChecker.string() + "' '" + source.string() + "' '" +
                                    rows.string() + "' >'" + report.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        std::cout << testing::ReadFile(report);
        EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << testing::ReadFile(report);
    }
}

}  // namespace
}  // namespace tessavue
