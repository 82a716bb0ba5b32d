// Real drawings written by other programs (tests/data/dxf) through the whole palette,
// against the in-process stand-in: the stand-in opens the file; the palette's selection
// command selects everything ("全て投影" on, as by default) with the base point typed
// at a corner of the plan with all its digits; the draw command projects the existing
// figure onto each of the four faces, 10 high, at an insertion point typed with all its
// digits. After each face the stand-in writes the plan and what the draw added, and
// face_check.py decides from the face axes alone whether the one is the isometric view
// of the other, with nothing missing and nothing left over (Debian's /usr/bin/python3
// with python3-ezdxf).
//
// Before that, each file is checked as the stand-in holds it: what it keeps, kind by
// kind, and, where ezdxf reads the original, the stand-in's copy of it against the
// original as ezdxf reads it (face_check.py with no face: the same curves).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/dxf_file.h"
#include "core/host.h"
#include "core/sim_desktop.h"
#include "core/transform.h"
#include "draw/draw_command.h"
#include "draw/figure_rewrite.h"
#include "import/selection_command.h"
#include "iso_flow.h"
#include "recording_sink.h"
#include "temp_folder.h"

#ifndef TESSAVUE_FACE_CHECK
#error "TESSAVUE_FACE_CHECK must name tests/realfiles/face_check.py"
#endif
#ifndef TESSAVUE_REAL_FILES
#error "TESSAVUE_REAL_FILES must name tests/data/dxf"
#endif

namespace tessavue {
namespace {

using sim::Edition;
using sim::Entity;
using sim::EntityKind;
using sim::Point;
using sim::SimDesktop;

const std::string kPython = "/usr/bin/python3";
const std::filesystem::path kRealFiles = TESSAVUE_REAL_FILES;

// One real file and what is known of it beforehand.
struct RealFile {
    const char* file;
    // What the stand-in keeps of it (LINE, CIRCLE, ARC, ELLIPSE, TEXT, SOLID, INSERT and
    // the polylines; the rest it skips), by kind, from the file's own counts: an array
    // reference is one reference a place, a polyline in a tilted plane its straight
    // runs and its arcs.
    const char* kept;
    // ezdxf reads the original, so the stand-in's copy is checked against it. Two files
    // it refuses: issue1106.dxf (a nameless table entry) and supported_entities.dxf (an
    // MTEXT it mis-splits); for them only the counts above speak.
    bool ezdxfReadsIt;
    // Drawn through the LT 2006 paste window as well as LT 2000's WM_COPYDATA.
    bool bothEditions;
    // What selecting everything gives: every file holds something the palette selects.
    SelectionOutcome selection = SelectionOutcome::Exported;
};

const RealFile kFiles[] = {
    {"ASCII_R12.dxf", "Line 2, Insert 1", true, true},
    {"BLOCKFLIPPARAMETER.dxf", "Insert 2", true, false},
    {"LM2.dxf", "Circle 36, Polyline 4, Text 5", true, false},
    {"Leica_Disto_S910.dxf", "Line 10, Text 11", true, false},
    {"ae.r12a.dxf", "Line 10, Circle 1, Arc 2, Polyline 4", true, true},
    {"ae.r2000a.dxf", "Line 10, Circle 1, Arc 2, Polyline 1", true, false},
    {"array-rotated.dxf", "Insert 1", true, false},
    {"closed_loop_with_arcs.dxf", "Line 9, Arc 2", true, false},
    {"closedlwpolylinebug.dxf", "Insert 1", true, true},
    {"hatches_1.dxf", "Arc 6, Polyline 16", true, false},
    {"insert_bricscad_level_1.dxf", "Polyline 6, Text 12, Insert 6", true, false},
    {"issue1106.dxf", "Line 5, Circle 3, Arc 2", false, false},
    {"issue29.dxf", "Polyline 29", true, false},
    {"issue39.dxf", "Polyline 14, Insert 1", true, false},
    {"issue42.dxf", "Line 10, Circle 7, Arc 6, Polyline 1, Insert 1", true, true},
    {"multi_insert_with_attribs.dxf", "Insert 25", true, false},
    {"spline.dxf", "Line 1, Ellipse 1", true, false},
    {"supported_entities.dxf", "Line 13, Polyline 13, Insert 13", false, false},
    {"POLI-ALL210_12.DXF", "Ellipse 31, Polyline 18", true, false},
};

// Wall-clock milliseconds (<chrono> does not build with the narrow literals in CP932).
double Milliseconds() {
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// A number with all the digits of its double.
std::string Digits(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Kept(const sim::Drawing& drawing) {
    static const char* const names[] = {"Line", "Circle", "Arc", "Ellipse", "Polyline",
                                        "Text", "Insert", "Solid", "Dimension"};
    std::map<int, int> counts;
    for (const Entity& e : drawing.entities()) ++counts[static_cast<int>(e.kind)];
    std::string out;
    for (const auto& [kind, n] : counts) out += (out.empty() ? "" : ", ") + std::string(names[kind]) + " " + std::to_string(n);
    return out;
}

// Runs face_check.py on a manifest; its exit status and what it printed.
std::pair<int, std::string> FaceCheck(const std::filesystem::path& manifest) {
    const std::filesystem::path report = manifest.string() + ".report";
    const int status = std::system((kPython + " " + Quoted(TESSAVUE_FACE_CHECK) + " check " + Quoted(manifest) +
                                    " > " + Quoted(report) + " 2>&1").c_str());
    return {status, testing::ReadFile(report)};
}

// The corners a drafter snaps to for the base point: line ends and polyline vertices
// of the plan, those in block references after; failing those the centres of circles,
// arcs and ellipses and references' insertion points.
void PlanCorners(const sim::Drawing& d, const std::vector<Entity>& entities, int depth, std::vector<Point>& out) {
    for (const Entity& e : entities) {
        if (e.kind == EntityKind::Line || e.kind == EntityKind::Polyline)
            for (const Point& p : sim::ToWorld(e).points) out.push_back(p);
    }
    if (depth >= 8) return;
    for (const Entity& e : entities) {
        if (e.kind != EntityKind::Insert) continue;
        if (const sim::Block* block = d.FindBlock(e.block))
            PlanCorners(d, sim::ExplodeInsert(e, *block).entities, depth + 1, out);
    }
}

// The first corner with more digits than AutoCAD shows by default (four decimals),
// so that a point read back short of its digits shows; else the first corner.
std::optional<Point> BasePoint(const sim::Drawing& d) {
    std::vector<Point> corners;
    PlanCorners(d, d.entities(), 0, corners);
    const auto fourDecimals = [](double v) { return std::round(v * 1e4) / 1e4 == v; };
    for (const Point& p : corners)
        if (!fourDecimals(p.x) || !fourDecimals(p.y)) return p;
    if (!corners.empty()) return corners.front();
    for (const Entity& e : d.entities()) {
        if (e.kind == EntityKind::Circle || e.kind == EntityKind::Arc || e.kind == EntityKind::Ellipse ||
            e.kind == EntityKind::Insert)
            return sim::ToWorld(e).points[0];
    }
    return std::nullopt;
}

TEST(RealFiles, TheStandInHoldsEachAsItsWriterDrewIt) {
    testing::TempFolder folder("tessavue-real-held");
    std::ofstream manifest(folder / "manifest.jsonl");
    int compared = 0;
    for (const RealFile& row : kFiles) {
        SCOPED_TRACE(row.file);
        sim::Drawing drawing;
        std::string error;
        if (!sim::LoadDxfFile(drawing, kRealFiles / row.file, &error)) {
            ADD_FAILURE() << "the stand-in cannot open it: " << error;
            continue;
        }
        EXPECT_EQ(Kept(drawing), row.kept);
        if (!row.ezdxfReadsIt) continue;
        const std::filesystem::path copy = folder / (std::string(row.file) + ".held.dxf");
        testing::WriteFile(copy, sim::WriteDxf(drawing, std::nullopt, sim::DxfVersion::R2000));
        manifest << "{\"label\": " << JsonText(row.file) << ", \"plan\": " << JsonText((kRealFiles / row.file).string())
                 << ", \"recover\": true, \"result\": " << JsonText(copy.string())
                 << ", \"face\": \"none\", \"base\": [0, 0], \"at\": [0, 0], \"height\": 0, \"sign\": 1,"
                    " \"height_lines\": false, \"circle_lines\": false,"
                    // What the stand-in's drawing does not carry: a dimension's pieces, an
                    // MTEXT, a hatch (the face check draws them for tessavue-iso).
                    " \"left_out\": [\"DIMENSION\", \"HATCH\", \"MTEXT\"]}\n";
        ++compared;
    }
    manifest.close();
    ASSERT_EQ(compared, 17);
    const auto [status, report] = FaceCheck(folder / "manifest.jsonl");
    EXPECT_EQ(status, 0) << report;
}

// ---------------------------------------------------------------------------------
// The pipeline
// ---------------------------------------------------------------------------------

struct Run {
    RealFile row;
    Edition edition;
};

void PrintTo(const Run& run, std::ostream* out) {
    *out << run.row.file << (run.edition == Edition::LT2006 ? " by paste (LT 2006)" : " by WM_COPYDATA (LT 2000)");
}

std::string RunName(const ::testing::TestParamInfo<Run>& info) {
    std::string name;
    for (const char* c = info.param.row.file; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return name + (info.param.edition == Edition::LT2006 ? "_LT2006" : "_LT2000");
}

std::vector<Run> Runs() {
    std::vector<Run> runs;
    for (const RealFile& row : kFiles) {
        runs.push_back({row, Edition::LT2000});
        if (row.bothEditions) runs.push_back({row, Edition::LT2006});
    }
    return runs;
}

class RealFileDraw : public ::testing::TestWithParam<Run> {};

void SetUser(SimDesktop& desktop, const std::string& script) {
    std::string error;
    auto user = sim::ScriptedUser::Parse(script, &error);
    ASSERT_TRUE(user) << error;
    desktop.SetUser(std::move(*user));
}

TEST_P(RealFileDraw, EveryFaceIsTheIsometricViewOfThePlan) {
    const RealFile& row = GetParam().row;
    const Edition edition = GetParam().edition;
    const double started = Milliseconds();
    testing::TempFolder folder("tessavue-real-draw");
    SimDesktop desktop(edition);
    testing::RecordingSink sink;
    HostLink link(desktop, sink);
    link.ApplyTargetVersion(edition == Edition::LT2006 ? "LT 2006" : "LT 2000");
    sim::Drawing& drawing = desktop.host().drawing();
    std::string error;
    ASSERT_TRUE(sim::LoadDxfFile(drawing, kRealFiles / row.file, &error)) << error;
    const ProgramFiles files = DeriveProgramFiles(folder / "tessavue.exe", "tessavue.exe");
    const PathText pathText = [](const std::filesystem::path& p) { return p.string(); };

    const std::optional<Point> corner = BasePoint(drawing);
    ASSERT_TRUE(corner) << "the plan has no point to pick";
    const Point base = *corner;
    const auto extents = drawing.ComputeExtents();
    ASSERT_TRUE(extents);
    const double size = std::max(std::hypot(extents->max.x - extents->min.x, extents->max.y - extents->min.y), 1.0);

    // Everything selected, the base point typed at the corner with all its digits.
    SetUser(desktop, "type all\\r\nenter\ntype " + Digits(base.x) + "," + Digits(base.y) + "\\r\n");
    PlanPoint selectionBase;
    SelectionCommand selection{link, files, pathText, [](bool) {}, true};
    const SelectionOutcome selected = RunSelectionCommand(selection, selectionBase);
    ASSERT_EQ(selected, row.selection);
    if (selected != SelectionOutcome::Exported) return;
    EXPECT_TRUE(sink.confirmations.empty());

    // The plan as the stand-in holds it now, before the first draw.
    std::vector<int> planIds;
    for (const Entity& e : drawing.entities()) planIds.push_back(e.id);
    const std::filesystem::path plan = folder / "plan.dxf";
    testing::WriteFile(plan, sim::WriteDxf(drawing, planIds, sim::DxfVersion::R2000));

    std::ofstream manifest(folder / "manifest.jsonl");
    // The same draws by tessavue-iso, which inserts and explodes the figure itself: each
    // of its drawings must hold what the stand-in's does once face_check.py has expanded
    // the stand-in's references by their own matrices.
    std::ofstream crossCheck(folder / "cross-check.jsonl");
    for (std::int32_t face = 0; face < 4; ++face) {
        SCOPED_TRACE("face " + std::to_string(face));
        // Beside the plan, one place a face, typed with all its digits.
        const Point at{extents->max.x + size * (0.3 + 1.7 * face) + 0.1234567890123456789 * size,
                       extents->min.y - 0.3456789012345678 * size};
        SetUser(desktop, "type " + Digits(at.x) + "," + Digits(at.y) + "\\r\n");
        DrawRequest request;
        request.FaceCode = face;
        request.FigureKind = kExistingFigureKind;
        request.HeightText = "10";
        request.ProjectAll = true;
        request.SelectionBase = selectionBase;
        DrawCommand draw{link, sink, files, pathText, [](bool) {}, [] { return LocalTime{2026, 12, 9, 10, 11, 12}; }};
        int lastId = 0;
        for (const Entity& e : drawing.entities()) lastId = std::max(lastId, e.id);
        EXPECT_EQ(RunDrawCommand(draw, request), DrawOutcome::Drawn);
        EXPECT_TRUE(sink.confirmations.empty());
        EXPECT_EQ(link.ReadCommandLine(), link.CommandPrompt);
        EXPECT_EQ(drawing.FindBlock("ip20261209101112"), nullptr) << "the figure's block is purged";
        std::vector<int> added;
        for (const Entity& e : drawing.entities())
            if (e.id > lastId) added.push_back(e.id);
        const std::filesystem::path result = folder / ("face" + std::to_string(face) + ".dxf");
        testing::WriteFile(result, sim::WriteDxf(drawing, added, sim::DxfVersion::R2000));
        manifest << "{\"label\": " << JsonText(std::string(row.file) + (edition == Edition::LT2006 ? " LT 2006" : ""))
                 << ", \"plan\": " << JsonText(plan.string()) << ", \"result\": " << JsonText(result.string())
                 << ", \"face\": " << face << ", \"base\": [" << Digits(base.x) << ", " << Digits(base.y)
                 << "], \"at\": [" << Digits(at.x) << ", " << Digits(at.y)
                 << "], \"height\": 10, \"sign\": 1, \"height_lines\": true, \"circle_lines\": true}\n";

        const std::filesystem::path own = folder / ("face" + std::to_string(face) + "-iso.dxf");
        std::string report;
        const int status = RunIsoTool({"--face", std::to_string(face), "--height", "10", "--circle-height-lines",
                                       "--base", Digits(base.x) + "," + Digits(base.y), "--at",
                                       Digits(at.x) + "," + Digits(at.y), plan, own},
                                      report);
        EXPECT_EQ(status, 0) << report;
        // Texts a mirrored reference places: the program leaves them out and says so.
        crossCheck << "{\"label\": " << JsonText(std::string(row.file) + " tessavue-iso face " + std::to_string(face))
                   << ", \"plan\": " << JsonText(own.string()) << ", \"result\": " << JsonText(result.string())
                   << ", \"face\": \"none\", \"base\": [0, 0], \"at\": [0, 0], \"height\": 0, \"sign\": 1,"
                      " \"height_lines\": false, \"circle_lines\": false, \"left_out\": [\"mirrored TEXT\"]}\n";
    }
    manifest.close();
    crossCheck.close();
    const double drawn = Milliseconds();
    const auto [status, report] = FaceCheck(folder / "manifest.jsonl");
    const double checked = Milliseconds();
    std::printf("%s: selection and four draws %.0f ms, face check %.0f ms\n", row.file, drawn - started,
                checked - drawn);
    EXPECT_EQ(status, 0) << "the base point typed: " << Digits(base.x) << ", " << Digits(base.y)
                         << "; the palette holds: " << Digits(selectionBase.X) << ", " << Digits(selectionBase.Y)
                         << "\n"
                         << report;
    const auto [crossStatus, crossReport] = FaceCheck(folder / "cross-check.jsonl");
    EXPECT_EQ(crossStatus, 0) << crossReport;
}

INSTANTIATE_TEST_SUITE_P(RealFiles, RealFileDraw, ::testing::ValuesIn(Runs()), RunName);

}  // namespace
}  // namespace tessavue
