// tessavue-iso, the program that finishes the isometric drawing without AutoCAD, run as
// a drafter runs it on real drawings written by other programs (tests/data/dxf): every
// file on every face, 10 high, about a base point and to an insertion point with all
// their digits. face_check.py decides from the face axes alone (ezdxf reading the plan,
// following its block references) whether each output is the plan's isometric view,
// with nothing missing and nothing left over, and runs ezdxf's audit on it; LibreCAD
// prints every output. Then the refusals: each with its exit status, its message and
// no output left behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "temp_folder.h"

#ifndef TESSAVUE_ISO_TOOL
#error "TESSAVUE_ISO_TOOL must name the tessavue-iso program"
#endif

namespace tessavue {
namespace {

using testing::TempFolder;

const std::filesystem::path kTool = TESSAVUE_ISO_TOOL;
const std::filesystem::path kRealFiles = TESSAVUE_REAL_FILES;
const std::filesystem::path kFaceCheck = TESSAVUE_FACE_CHECK;

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

struct CommandRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

CommandRun RunCommand(const std::string& command, const std::filesystem::path& folder) {
    const std::filesystem::path log = folder / "command.log";
    CommandRun run;
    const int raw = std::system((command + " >" + Quoted(log) + " 2>&1").c_str());
    run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(log);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

// LibreCAD, a second reader, prints `out` to a PDF beside it (under a bound: it never
// gets to hang the test); it exits 0 even when it cannot open a file, so the PDF is
// looked for too.
::testing::AssertionResult PrintedByLibreCad(const std::filesystem::path& out) {
    const std::filesystem::path folder = out.parent_path();
    const CommandRun print = RunCommand("cd " + Quoted(folder) + " && QT_QPA_PLATFORM=offscreen timeout 60 librecad dxf2pdf " +
                                            Quoted(out.filename()),
                                        folder);
    std::filesystem::path pdf = out;
    pdf.replace_extension(".pdf");
    std::error_code error;
    if (print.status != 0)
        return ::testing::AssertionFailure() << out.filename() << ": librecad ended with " << print.status << ": "
                                             << print.output;
    if (!(std::filesystem::file_size(pdf, error) > 0))
        return ::testing::AssertionFailure() << out.filename() << " printed no PDF: " << print.output;
    return ::testing::AssertionSuccess();
}

// What the checker would hold the output to that the program does not draw: texts a
// mirrored reference places (no upright text reads mirrored). The checker passes over
// MTEXT, hatches and dimensions on both sides by itself.
const char* const kLeftOut = R"(["mirrored TEXT"])";

// What the report must name for a plan, on every face: insert_bricscad_level_1 places
// its block of 18 labels six times, four of them mirrored (x or y scale -1): 72 texts.
struct ReportLine {
    const char* plan;
    const char* line;
};
const ReportLine kReportLines[] = {
    {"insert_bricscad_level_1.dxf", "tessavue-iso: left out 72 mirrored texts\n"},
};

// Plans ezdxf refuses (a nameless table entry; an MTEXT it mis-splits): their outputs
// are only read back and audited, as there is no plan to hold them against.
const char* const kEzdxfCannotRead[] = {"issue1106.dxf", "supported_entities.dxf"};

constexpr double kBase[2] = {12.345678901234567, -7.6543210987654321};
constexpr double kAt[2] = {1000.0000000000001, 2000.1234567890123};

TEST(IsoTool, EveryRealFileOnEveryFaceIsItsIsometricView) {
    TempFolder folder("tessavue-iso");
    std::vector<std::filesystem::path> plans;
    for (const auto& entry : std::filesystem::directory_iterator(kRealFiles)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".dxf") plans.push_back(entry.path());
    }
    std::sort(plans.begin(), plans.end());
    ASSERT_GE(plans.size(), 18u) << "the real files are missing from " << kRealFiles;

    char base[80], at[80];
    std::snprintf(base, sizeof base, "%.17g,%.17g", kBase[0], kBase[1]);
    std::snprintf(at, sizeof at, "%.17g,%.17g", kAt[0], kAt[1]);
    const std::filesystem::path manifest = folder / "manifest.jsonl";
    std::ofstream lines(manifest);
    std::vector<std::filesystem::path> outputs, unplanned;
    for (const std::filesystem::path& plan : plans) {
        for (int face = 0; face < 4; ++face) {
            const std::string name = plan.stem().string() + "-face" + std::to_string(face);
            const std::filesystem::path out = folder / (name + ".dxf");
            const CommandRun run = RunCommand(Quoted(kTool) + " --face " + std::to_string(face) +
                                           " --height 10 --circle-height-lines --base " + base + " --at " + at + " " +
                                           Quoted(plan) + " " + Quoted(out),
                                       folder.path());
            EXPECT_EQ(run.status, 0) << name << ": " << run.output;
            for (const ReportLine& expected : kReportLines) {
                if (plan.filename() == expected.plan) {
                    EXPECT_NE(run.output.find(expected.line), std::string::npos) << name << ": " << run.output;
                }
            }
            if (run.status != 0) continue;
            outputs.push_back(out);
            if (std::find(std::begin(kEzdxfCannotRead), std::end(kEzdxfCannotRead), plan.filename().string()) !=
                std::end(kEzdxfCannotRead)) {
                unplanned.push_back(out);
                continue;
            }
            lines << "{\"label\": \"" << name << "\", \"plan\": \"" << plan.string() << "\", \"result\": \""
                  << out.string() << "\", \"face\": " << face << ", \"base\": [" << base << "], \"at\": [" << at
                  << "], \"height\": 10, \"sign\": 1, \"height_lines\": true, \"circle_lines\": true, "
                     "\"recover\": true, \"points_and_splines\": true, \"left_out\": "
                  << kLeftOut << "}\n";
        }
    }
    lines.close();
    const CommandRun check = RunCommand("/usr/bin/python3 " + Quoted(kFaceCheck) + " check " + Quoted(manifest), folder.path());
    EXPECT_EQ(check.status, 0) << check.output;

    ASSERT_EQ(unplanned.size(), 4 * std::size(kEzdxfCannotRead));
    for (const std::filesystem::path& out : unplanned) {
        const CommandRun audit = RunCommand(
            "/usr/bin/python3 -c \"import sys, ezdxf; d = ezdxf.readfile(sys.argv[1]); e = d.audit().errors; "
            "n = len(d.modelspace()); print(n, 'entities', e); sys.exit(1 if e or n == 0 else 0)\" " + Quoted(out),
            folder.path());
        EXPECT_EQ(audit.status, 0) << out.filename() << ": " << audit.output;
    }

    // A second reader: LibreCAD prints each output to a PDF.
    for (const std::filesystem::path& out : outputs) {
        EXPECT_TRUE(PrintedByLibreCad(out));
    }
}

// Every kind typed in as numbers, on several faces at once: each output opens in ezdxf
// with a clean audit and as many entities as the report says were written, holds no
// block reference, and LibreCAD prints it.
TEST(IsoTool, EveryKindsOutputOpensInBothReaders) {
    TempFolder folder;
    struct Row {
        const char* name;
        std::string args;
    };
    const Row rows[] = {
        {"circle", "--kind circle --diameter 12.345678901234567 --face 0,1,2,3 --height 7.5 --at 1.1,2.2"},
        {"square", "--kind square --x 10.5 --y 20.25 --face 0,3 --height -3.3 --invert-sign"},
        {"hexagon", "--kind hexagon --across 17.320508075688775 --horizontal --face 1,2 --circle-height-lines"},
        {"bend", "--kind bend --bend-radius 20.5 --bar-diameter 6.25 --face 0,1,2,3 --at -5.5,5.5"},
        {"two-face", "--kind two-face --top 0,0,40.5,0,40.5,20.25,0,20.25 --front 0,0,12.5,12.5 --face 0,1"},
        // The command line is UTF-8, whatever the test's own literals are compiled to.
        {"text", reinterpret_cast<const char*>(
                     u8"--kind text --text 'ABC 寸法 Ø' --text-height 3.5 --face 0,1,2,3 --at 100.25,-50.125")},
    };
    // A turned part's drawing for the axis kind: a vertical centre line and a stepped outline.
    const std::filesystem::path turned = folder / "turned.dxf";
    {
        std::ofstream plan(turned, std::ios::binary);
        plan << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
        const double lines[][4] = {{-200.5, 0.25, -200.5, 100.25},   {-180.125, 100.25, -180.125, 60.5},
                                   {-180.125, 60.5, -170.75, 50.5},  {-170.75, 50.5, -170.75, 0.25}};
        int n = 0;
        for (const auto& l : lines)
            plan << "  0\r\nLINE\r\n  8\r\n" << (n++ == 0 ? "AXIS" : "BODY") << "\r\n 10\r\n" << l[0] << "\r\n 20\r\n"
                 << l[1] << "\r\n 11\r\n" << l[2] << "\r\n 21\r\n" << l[3] << "\r\n";
        plan << "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    }
    const Row fromDrawings[] = {
        {"axis", "--kind axis --centre-layer AXIS --outline-layer BODY --face 0,1 --at 5.5,-7.25 " + Quoted(turned)},
    };
    std::vector<Row> all(std::begin(rows), std::end(rows));
    all.insert(all.end(), std::begin(fromDrawings), std::end(fromDrawings));
    for (const Row& row : all) {
        SCOPED_TRACE(row.name);
        const std::filesystem::path out = folder / (std::string(row.name) + ".dxf");
        const CommandRun run = RunCommand(Quoted(kTool) + " " + row.args + " " + Quoted(out), folder.path());
        ASSERT_EQ(run.status, 0) << run.output;
        const std::size_t counted = run.output.find(" entities written");
        ASSERT_NE(counted, std::string::npos) << run.output;
        const std::string written = run.output.substr(run.output.find(": ") + 2, counted - run.output.find(": ") - 2);
        const CommandRun audit = RunCommand(
            "/usr/bin/python3 -c \"import sys, ezdxf; d = ezdxf.readfile(sys.argv[1]); e = d.audit().errors; "
            "m = d.modelspace(); n = len(m); i = len(m.query('INSERT')); print(n, 'entities', i, 'references', e); "
            "sys.exit(1 if e or i or n != int(sys.argv[2]) else 0)\" " + Quoted(out) + " " + written,
            folder.path());
        EXPECT_EQ(audit.status, 0) << audit.output;
        EXPECT_TRUE(PrintedByLibreCad(out));
    }
}

// The offset on every real file, each on one face in turn, the sign turned on every
// other one: tessavue-iso writes the copies and joins, ezdxf reads them with a clean
// audit and LibreCAD prints them.
TEST(IsoTool, EveryRealFilesOffsetReadsBackClean) {
    TempFolder folder("tessavue-iso-offset");
    std::vector<std::filesystem::path> drawings;
    for (const auto& entry : std::filesystem::directory_iterator(kRealFiles)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".dxf") drawings.push_back(entry.path());
    }
    std::sort(drawings.begin(), drawings.end());
    ASSERT_GE(drawings.size(), 18u) << "the real files are missing from " << kRealFiles;
    int face = 0;
    for (const std::filesystem::path& drawing : drawings) {
        const std::filesystem::path out = folder / (drawing.stem().string() + "-offset.dxf");
        const CommandRun run = RunCommand(Quoted(kTool) + " --kind offset --face " + std::to_string(face % 4) +
                                              " --height 12.345678901234567 --circle-height-lines" +
                                              (face % 2 ? " --invert-sign " : " ") + Quoted(drawing) + " " + Quoted(out),
                                          folder.path());
        ++face;
        ASSERT_EQ(run.status, 0) << drawing.filename() << ": " << run.output;
        const CommandRun audit = RunCommand(
            // ezdxf's audit but for its rule on layer names, stricter than the files it reads
            // (a name that keeps an R12 file's "\U+" escapes), as face_check.py has it.
            "/usr/bin/python3 -c \"import sys, ezdxf; from ezdxf.audit import AuditError; d = ezdxf.readfile(sys.argv[1]); "
            "e = [x.message for x in d.audit().errors if x.code != AuditError.INVALID_LAYER_NAME]; "
            "n = len(d.modelspace()); print(n, 'entities', e); sys.exit(1 if e or n == 0 else 0)\" " +
                Quoted(out),
            folder.path());
        EXPECT_EQ(audit.status, 0) << out.filename() << ": " << audit.output;
        EXPECT_TRUE(PrintedByLibreCad(out));
    }
}

// A plan of our own: one line with a layer, for the refusals.
void WritePlan(const std::filesystem::path& path, double x, const std::string& layer = "WALL") {
    char number[40];
    std::snprintf(number, sizeof number, "%.17g", x);
    std::ofstream out(path, std::ios::binary);
    out << "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nLINE\r\n  8\r\n" << layer << "\r\n 10\r\n" << number
        << "\r\n 20\r\n0.0\r\n 11\r\n1.5\r\n 21\r\n2.25\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

// The figure beside the plan, in a copy of the drawing: for every real file of DXF
// 2000 or later, the copy opens in ezdxf with a clean audit, holds the plan's own
// model space entities first, unchanged in kind, handle and layer, then exactly as
// many more as the report says, with handles no other object has; LibreCAD prints it.
// An older drawing is refused with the reason and no output; and an output named as
// the plan itself leaves the plan as it was.
TEST(IsoTool, BesideThePlanInACopyOfTheDrawing) {
    TempFolder folder;
    const char* const kCheck =
        "import sys, ezdxf\n"
        "plan = ezdxf.readfile(sys.argv[1]); copy = ezdxf.readfile(sys.argv[2]); added = int(sys.argv[3])\n"
        "errors = copy.audit().errors\n"
        "key = lambda e: (e.dxftype(), e.dxf.handle, e.dxf.layer)\n"
        "mine = [key(e) for e in plan.modelspace()]; theirs = [key(e) for e in copy.modelspace()]\n"
        "handles = [e.dxf.handle for e in copy.entitydb.values()]\n"
        "ok = not errors and theirs[:len(mine)] == mine and len(theirs) == len(mine) + added "
        "and len(handles) == len(set(handles))\n"
        "print(len(mine), len(theirs), added, errors)\n"
        "sys.exit(0 if ok else 1)\n";
    {
        std::ofstream(folder / "beside_check.py") << kCheck;
    }
    int checked = 0, refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kRealFiles)) {
        const std::filesystem::path plan = entry.path();
        std::string extension = plan.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
        if (extension != ".dxf") continue;
        SCOPED_TRACE(plan.filename().string());
        const bool unreadable = std::any_of(std::begin(kEzdxfCannotRead), std::end(kEzdxfCannotRead),
                                            [&](const char* name) { return plan.filename() == name; });
        const std::filesystem::path out = folder / ("beside-" + plan.filename().string());
        const CommandRun run = RunCommand(Quoted(kTool) + " --face 1 --height 7.5 --beside " + Quoted(plan) + " " + Quoted(out),
                                          folder.path());
        if (run.status == 2) {
            // Only a drawing older than DXF 2000 is refused, and says so.
            EXPECT_NE(run.output.find("DXF 2000 (AC1015) or later is needed"), std::string::npos) << run.output;
            EXPECT_FALSE(std::filesystem::exists(out));
            ++refused;
            continue;
        }
        if (run.status == 4) continue;  // nothing the program draws in it
        ASSERT_EQ(run.status, 0) << run.output;
        const std::size_t counted = run.output.find(" entities written");
        ASSERT_NE(counted, std::string::npos) << run.output;
        const std::string written = run.output.substr(run.output.find(": ") + 2, counted - run.output.find(": ") - 2);
        if (!unreadable) {
            const CommandRun check = RunCommand("/usr/bin/python3 " + Quoted(folder / "beside_check.py") + " " +
                                                    Quoted(plan) + " " + Quoted(out) + " " + written,
                                                folder.path());
            EXPECT_EQ(check.status, 0) << check.output;
        }
        EXPECT_TRUE(PrintedByLibreCad(out));
        ++checked;
    }
    EXPECT_GE(checked, 8);
    EXPECT_GE(refused, 1);

    // The plan named as the output too: refused, the plan as it was.
    const std::filesystem::path plan = folder / "plan.dxf";
    WritePlan(plan, 1.5);
    std::ifstream before(plan, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    for (const char* beside : {"", " --beside"}) {
        const CommandRun run =
            RunCommand(Quoted(kTool) + " --face 0" + beside + " " + Quoted(plan) + " " + Quoted(plan), folder.path());
        EXPECT_EQ(run.status, 2) << run.output;
        std::ifstream after(plan, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), bytes);
    }
}

TEST(IsoTool, RefusalsSayWhyAndLeaveNoOutput) {
    struct Row {
        const char* what;
        std::string arguments;  // PLAN and OUT are replaced
        int status;
        const char* told;  // a piece of the message
    };
    const Row rows[] = {
        {"no face", "--height 10 PLAN OUT", 2, "--face is needed"},
        {"a face that is none", "--face 7 PLAN OUT", 2, "--face takes"},
        {"a height that is no number", "--face 0 --height 1O PLAN OUT", 2, "is no number"},
        {"a base point without Y", "--face 0 --base 12.5 PLAN OUT", 2, "is not X,Y"},
        {"no such plan", "--face 0 MISSING OUT", 3, "cannot be read"},
        {"a plan that is no DXF", "--face 0 NOTDXF OUT", 3, "cannot be read"},
        {"a layer that holds nothing", "--face 0 --layer ROOF PLAN OUT", 4, "nothing in the plan lies on the layers"},
        {"a window that holds nothing", "--face 0 --window 100,100,200,200 PLAN OUT", 4, "inside the window"},
        {"a figure beyond the doubles", "--face 1 --at 1.7e308,0 HUGE OUT", 6, "leave the range"},
        {"a height beyond the doubles", "--face 0 --height 1.7e308 PLAN OUT", 6, "leave the range"},
        {"an output folder that is not there", "--face 0 PLAN NOFOLDER", 5, ""},
        {"an offset 0 high", "--kind offset --face 2 --height 0 PLAN OUT", 2,
         // The palette's words, as the program prints them here (UTF-8).
         reinterpret_cast<const char*>(u8"オフセットでは高さは０以外に設定して下さい。")},
        {"an offset moved to a point", "--kind offset --face 0 --at 1,2 PLAN OUT", 2, "no --base or --at"},
        {"an offset of a layer that holds nothing", "--kind offset --face 0 --layer ROOF PLAN OUT", 4, "nothing in the drawing lies"},
    };
    TempFolder folder("tessavue-iso-refusals");
    const std::filesystem::path plan = folder / "plan.dxf";
    WritePlan(plan, 0.5);
    WritePlan(folder / "huge.dxf", 1.7976931348623157e308);
    {
        std::ofstream notDxf(folder / "notes.dxf");
        notDxf << "these are notes, not a drawing\n";
    }
    for (const Row& row : rows) {
        const std::filesystem::path out = folder / "out.dxf";
        {
            std::ofstream old(out);
            old << "an output of an earlier run\n";
        }
        std::string arguments = row.arguments;
        const auto replace = [&arguments](const std::string& word, const std::filesystem::path& path) {
            const std::size_t at = arguments.find(word);
            if (at != std::string::npos) arguments.replace(at, word.size(), Quoted(path));
        };
        replace("NOFOLDER", folder / "no such folder" / "out.dxf");
        replace("PLAN", plan);
        replace("MISSING", folder / "missing.dxf");
        replace("NOTDXF", folder / "notes.dxf");
        replace("HUGE", folder / "huge.dxf");
        replace("OUT", out);
        const CommandRun run = RunCommand(Quoted(kTool) + " " + arguments, folder.path());
        EXPECT_EQ(run.status, row.status) << row.what << ": " << run.output;
        EXPECT_NE(run.output.find(row.told), std::string::npos) << row.what << ": " << run.output;
        if (row.status != 2 && row.arguments.find("OUT") != std::string::npos) {
            EXPECT_FALSE(std::filesystem::exists(out)) << row.what << ": an earlier output was left in place";
        }
        EXPECT_FALSE(std::filesystem::exists(folder / "out.dxf.tmp")) << row.what;
    }
}

}  // namespace
}  // namespace tessavue

namespace tessavue {
namespace {

// A plan from a program that names layers as AutoCAD does not: drawn all the same, the
// name written with "_" where AutoCAD refuses a character, and the report says so; ezdxf
// reads the output with a clean audit.
TEST(IsoTool, LayerNamesAutoCadRefusesAreMadeUsable) {
    TempFolder folder("tessavue-iso-names");
    const std::filesystem::path plan = folder / "plan.dxf";
    WritePlan(plan, 0.5, "walls/outer:1");
    const std::filesystem::path out = folder / "out.dxf";
    const CommandRun run = RunCommand(Quoted(kTool) + " --face 0 " + Quoted(plan) + " " + Quoted(out), folder.path());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("1 layer names hold characters AutoCAD refuses"), std::string::npos) << run.output;
    const CommandRun audit = RunCommand(
        "/usr/bin/python3 -c \"import sys, ezdxf; d = ezdxf.readfile(sys.argv[1]); e = d.audit().errors; "
        "names = sorted({x.dxf.layer for x in d.modelspace()}); print(names, e); "
        "sys.exit(1 if e or names != ['walls_outer_1'] else 0)\" " + Quoted(out),
        folder.path());
    EXPECT_EQ(audit.status, 0) << audit.output;
}

}  // namespace
}  // namespace tessavue

namespace tessavue {
namespace {

// The dimension by tessavue-iso on every face, from picks with all their digits: ezdxf
// reads each output with a clean audit and finds the pieces a linear dimension leaves
// when exploded (three lines, two filled arrowheads, the value centred on its
// baseline); LibreCAD prints each. A direction the face does not carry is refused with
// the palette's message and leaves nothing.
TEST(IsoTool, ADimensionOnEveryFaceReadsCleanInEzdxfAndPrintsInLibreCad) {
    TempFolder folder("tessavue-iso-dimension");
    struct Row {
        int face;
        const char* p1;
        const char* p2;  // 40.123456789012345 from p1 in a direction the face carries
        const char* value;
    };
    const Row rows[] = {
        {0, "12.345678901234567,-7.6543210987654321", "47.09361176816647,12.407407295740736", "40.1235"},
        {1, "1000.0000000000001,2000.1234567890123", "965.2520671330682,2020.1851851835186", "40.1235"},
        {2, "-333.33333333333331,0.12345678901234568", "-333.3333333333333,40.24691357802469", "40.1235"},
        {3, "98765.432109876547,-0.98765432109876543", "98730.68417700962,-21.049382715604942", "40.1235"},
    };
    const std::filesystem::path script = folder / "dimension_check.py";
    std::ofstream(script) << R"(import sys, ezdxf
bad = 0
for name in sys.argv[1:]:
    doc = ezdxf.readfile(name)
    errors = doc.audit().errors
    kinds = sorted(e.dxftype() for e in doc.modelspace())
    texts = [e for e in doc.modelspace() if e.dxftype() == 'TEXT']
    centred = all(t.dxf.halign == 1 and t.dxf.valign == 0 for t in texts)
    print(name, kinds, len(errors), [t.dxf.text for t in texts], centred)
    if errors or kinds != ['LINE'] * 3 + ['SOLID'] * 2 + ['TEXT'] or not centred:
        bad = 1
sys.exit(bad)
)";
    std::vector<std::filesystem::path> outputs;
    for (const Row& row : rows) {
        const std::filesystem::path out = folder / ("dimension-face" + std::to_string(row.face) + ".dxf");
        const CommandRun run = RunCommand(Quoted(kTool) + " --kind dimension --face " + std::to_string(row.face) +
                                              " --p1 " + row.p1 + " --p2 " + row.p2 + " --p3 0,0 --offset 7.5 " + Quoted(out),
                                          folder.path());
        ASSERT_EQ(run.status, 0) << row.face << ": " << run.output;
        std::ifstream in(out, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(text.find(std::string("\n") + row.value + "\r\n"), std::string::npos) << row.face;
        outputs.push_back(out);
    }
    std::string names;
    for (const std::filesystem::path& out : outputs) names += " " + Quoted(out);
    const CommandRun check = RunCommand("/usr/bin/python3 " + Quoted(script) + names, folder.path());
    EXPECT_EQ(check.status, 0) << check.output;
    for (const std::filesystem::path& out : outputs) {
        EXPECT_TRUE(PrintedByLibreCad(out));
    }

    const std::filesystem::path refused = folder / "refused.dxf";
    std::ofstream(refused) << "an output of an earlier run\n";
    const CommandRun run = RunCommand(Quoted(kTool) + " --kind dimension --face 1 --p1 " + rows[0].p1 + " --p2 " +
                                          rows[0].p2 + " --p3 0,0 " + Quoted(refused),
                                      folder.path());
    EXPECT_EQ(run.status, 2) << run.output;
    // The palette's message, which the program prints in UTF-8 here.
    const char8_t* const told = u8"この方向の面に沿う寸法は、１点目から２点目への角度が 150°,330° のものです。";
    EXPECT_NE(run.output.find(reinterpret_cast<const char*>(told)), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(refused));
}

}  // namespace
}  // namespace tessavue
