// A HATCH's boundary paths as shapes: hand-worked hatches as rows (every shape worked out
// from the geometry: an arc's ends are centre + r (cos, sin) of its angles), and the
// HATCHes of real files against ezdxf's reading of them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "import/hatch_boundary.h"
#include "temp_folder.h"
#include "world_shapes.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace tessavue {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Rad(double degrees) {
    return degrees * kPi / 180.0;
}

// Group pairs written one a line as "code value".
std::vector<HatchGroup> Groups(const std::string& text) {
    std::vector<HatchGroup> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        const auto blank = line.find(' ', first);
        const std::string code = line.substr(first, blank - first);
        const std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
        out.push_back({std::stoi(code), value});
    }
    return out;
}

// The groups of a HATCH before its paths: the common entity data, the elevation point
// (10/20/30, which must not be taken for a boundary point), the extrusion, the pattern name
// and the fill and associativity flags.
std::string Head(const std::string& pattern, bool solid) {
    return "5 2A7\n330 1F\n100 AcDbEntity\n8 Hatched\n62 3\n100 AcDbHatch\n"
           "10 0.0\n20 0.0\n30 12.5\n210 0.0\n220 0.0\n230 1.0\n2 " +
           pattern + "\n70 " + (solid ? "1" : "0") + "\n71 1\n";
}

// After the paths: style, pattern type, seed points (10/20 again), for a solid fill.
const std::string kSolidTail = "75 1\n76 1\n98 1\n10 3.141592653589793\n20 2.718281828459045\n";
// A pattern fill: angle, scale, double flag, one pattern line (53 45 43 44 45 46 79 0),
// pixel size, seed points.
const std::string kPatternTail =
    "75 0\n76 1\n52 0.0\n41 1.0\n77 0\n78 1\n53 45.0\n43 0.0\n44 0.0\n45 -2.245064030267288\n"
    "46 2.245064030267288\n79 0\n47 0.0359\n98 1\n10 4.5\n20 5.5\n"
    "1001 ACAD\n1010 0.0\n1020 0.0\n1030 0.0\n";

WorldShape L(double x1, double y1, double x2, double y2) {
    return WorldLine{{x1, y1}, {x2, y2}};
}

WorldShape Arc(double cx, double cy, double r, double from, double to) {
    WorldEllipse e;
    e.Centre = {cx, cy};
    e.MajorAxis = {r, 0};
    e.Ratio = 1;
    e.StartParam = from;
    e.EndParam = to;
    return e;
}

WorldShape Ellipse(double cx, double cy, double mx, double my, double ratio, double from, double to) {
    WorldEllipse e;
    e.Centre = {cx, cy};
    e.MajorAxis = {mx, my};
    e.Ratio = ratio;
    e.StartParam = from;
    e.EndParam = to;
    return e;
}

struct HatchCase {
    const char* name;
    std::string groups;
    std::vector<WorldShape> shapes;
    bool faulty = false;  // the reason is not compared, only that there is one
};

// Sixteen significant digits: a plan far from the origin.
constexpr double X0 = 1234.567890123456;
constexpr double Y0 = 9876.543210987654;

std::string N(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", v);
    return buffer;
}

TEST(HatchBoundary, HatchesGiveTheirBoundaryShapes) {
    const double t45 = std::atan(2.0);                 // the parameter at 45 degrees when the ratio is 1/2: tan t = 2
    const double t30 = std::atan(2 / std::sqrt(3.0));  // at 30 degrees: tan t = tan 30 / (1/2)
    const std::string polylineSquare =                 // closed, no bulges: the closing segment comes back to the start
        "92 7\n72 0\n73 1\n93 3\n"
        "10 0.1234567890123456\n20 1.234567890123456\n"
        "10 10.12345678901235\n20 1.234567890123456\n"
        "10 10.12345678901235\n20 7.654321098765432\n"
        "97 1\n330 2A1\n";
    // Open, bulged: a half circle counter-clockwise (bulge 1) from A to B, then a quarter
    // clockwise (bulge -tan 22.5) from B to C; centres worked out by hand: (A+B)/2, and the
    // point 2 right of the middle of BC (r = 4 / (2 sin 45) = 2 sqrt 2).
    const std::string bulged =
        "92 3\n72 1\n73 0\n93 3\n"
        "10 " +
        N(X0 + 1) + "\n20 " + N(Y0 + 1) +
        "\n42 1.0\n"
        "10 " +
        N(X0 + 5) + "\n20 " + N(Y0 + 1) +
        "\n42 -0.4142135623730950\n"
        "10 " +
        N(X0 + 5) + "\n20 " + N(Y0 + 5) +
        "\n42 0.0\n"
        "97 0\n";
    // An edge path round a slot: line, counter-clockwise half circle on the right (270 to
    // 90), line back, clockwise arc from 60 to 10 degrees (held mirrored: 300, 350), and
    // a clockwise half circle on the left held as 90, 270 (it runs from 270 to 90 through 180).
    const std::string slot =
        "92 1\n93 5\n"
        "72 1\n10 0.0\n20 0.0\n11 10.0\n21 0.0\n"
        "72 2\n10 10.0\n20 5.0\n40 5.0\n50 270.0\n51 90.0\n73 1\n"
        "72 1\n10 10.0\n20 10.0\n11 0.0\n21 10.0\n"
        "72 2\n10 -3.333333333333333\n20 5.0\n40 1.0\n50 300.0\n51 350.0\n73 0\n"
        "72 2\n10 0.0\n20 5.0\n40 5.0\n73 0\n51 270.0\n50 90.0\n"  // groups of an edge in another order
        "97 2\n330 2B1\n330 2B2\n";
    const std::vector<WorldShape> slotShapes = {
        L(0, 0, 10, 0),
        Arc(10, 5, 5, Rad(270), Rad(450)),
        L(10, 10, 0, 10),
        Arc(-3.333333333333333, 5, 1, Rad(10), Rad(60)),
        Arc(0, 5, 5, Rad(90), Rad(270)),
    };
    const std::string islandCircle =
        "92 16\n93 1\n72 2\n10 5.000000000000001\n20 4.999999999999999\n40 1.5\n"
        "50 0.0\n51 360.0\n73 1\n97 0\n";
    // Elliptic arcs: major axis (4, 0), ratio 1/2, counter-clockwise 45 to 180 degrees;
    // then major axis (0, 3) (pointing up), clockwise from 30 down to 0 degrees (held
    // mirrored as 330, 360).
    const std::string ellipses =
        "92 0\n93 2\n"
        "72 3\n10 2.000000000000001\n20 3.0\n11 4.0\n21 0.0\n40 0.5\n50 45.0\n51 180.0\n73 1\n"
        "72 3\n10 -7.123456789012345\n20 8.765432109876543\n11 0.0\n21 3.0\n40 0.5\n50 330.0\n51 360.0\n73 0\n"
        "97 0\n";
    const std::string spline =
        "92 1\n93 2\n"
        "72 4\n94 3\n73 0\n74 0\n95 8\n96 4\n"
        "40 0.0\n40 0.0\n40 0.0\n40 0.0\n40 1.0\n40 1.0\n40 1.0\n40 1.0\n"
        "10 1.5\n20 2.25\n10 3.75\n20 6.125\n10 7.0625\n20 5.5\n10 9.03125\n20 0.5\n"
        "72 4\n94 2\n73 1\n74 0\n95 6\n96 3\n"
        "40 0.0\n40 0.0\n40 0.0\n40 1.0\n40 1.0\n40 1.0\n"
        "10 9.03125\n20 0.5\n42 1.0\n10 10.5\n20 -2.0\n42 0.7071067811865476\n"
        "10 12.25\n20 1.0\n42 1.0\n"
        "97 2\n11 9.03125\n21 0.5\n11 12.25\n21 1.0\n12 1.0\n22 0.0\n13 0.0\n23 1.0\n"
        "97 0\n";  // 2010's fit count of the last edge, then the path's source count
    WorldSpline cubic;
    cubic.Degree = 3;
    cubic.Flags = 8;
    cubic.Knots = {0, 0, 0, 0, 1, 1, 1, 1};
    cubic.ControlPoints = {{1.5, 2.25}, {3.75, 6.125}, {7.0625, 5.5}, {9.03125, 0.5}};
    WorldSpline conic;
    conic.Degree = 2;
    conic.Flags = 8 | 4;
    conic.Knots = {0, 0, 0, 1, 1, 1};
    conic.ControlPoints = {{9.03125, 0.5}, {10.5, -2.0}, {12.25, 1.0}};
    conic.Weights = {1.0, 0.7071067811865476, 1.0};
    conic.FitPoints = {{9.03125, 0.5}, {12.25, 1.0}};
    // A spline of 2000: no fit count, the path's source count straight after it.
    const std::string spline2000 =
        "92 1\n93 1\n"
        "72 4\n94 3\n73 0\n74 0\n95 8\n96 4\n"
        "40 0.0\n40 0.0\n40 0.0\n40 0.0\n40 1.0\n40 1.0\n40 1.0\n40 1.0\n"
        "10 1.5\n20 2.25\n10 3.75\n20 6.125\n10 7.0625\n20 5.5\n10 9.03125\n20 0.5\n"
        "97 1\n330 2C4\n";

    const std::vector<HatchCase> cases = {
        {"polyline path without bulges, closed",
         Head("SOLID", true) + "91 1\n" + polylineSquare + kSolidTail,
         {L(0.1234567890123456, 1.234567890123456, 10.12345678901235, 1.234567890123456),
          L(10.12345678901235, 1.234567890123456, 10.12345678901235, 7.654321098765432),
          L(10.12345678901235, 7.654321098765432, 0.1234567890123456, 1.234567890123456)}},
        {"polyline path with bulges, open",
         Head("SOLID", true) + "91 1\n" + bulged + kSolidTail,
         {Arc(X0 + 3, Y0 + 1, 2, kPi, 2 * kPi), Arc(X0 + 7, Y0 + 3, 2 * std::sqrt(2.0), Rad(135), Rad(225))}},
        {"edge path: lines, arcs both ways", Head("ANSI31", false) + "91 1\n" + slot + kPatternTail, slotShapes},
        {"outer path and an island", Head("ANSI31", false) + "91 2\n" + slot + islandCircle + kPatternTail,
         [&] {
             auto all = slotShapes;
             all.push_back(Arc(5.000000000000001, 4.999999999999999, 1.5, 0, 2 * kPi));
             return all;
         }()},
        {"elliptic arc edges",
         Head("SOLID", true) + "91 1\n" + ellipses + kSolidTail,
         {Ellipse(2.000000000000001, 3, 4, 0, 0.5, t45, kPi),
          Ellipse(-7.123456789012345, 8.765432109876543, 0, 3, 0.5, 0, t30)}},
        {"spline edges, 2010 with fit data", Head("SOLID", true) + "91 1\n" + spline + kSolidTail, {cubic, conic}},
        {"spline edge, 2000", Head("ANSI31", false) + "91 1\n" + spline2000 + kPatternTail, {cubic}},
        {"no paths", Head("SOLID", true) + "91 0\n" + kSolidTail, {}},
        // Faults: what was read before the fault stays.
        {"vertex count past the end",
         Head("SOLID", true) + "91 2\n" + polylineSquare + "92 3\n72 0\n73 0\n93 40\n10 1\n20 2\n",
         {L(0.1234567890123456, 1.234567890123456, 10.12345678901235, 1.234567890123456),
          L(10.12345678901235, 1.234567890123456, 10.12345678901235, 7.654321098765432),
          L(10.12345678901235, 7.654321098765432, 0.1234567890123456, 1.234567890123456)},
         true},
        {"path count past the end", Head("SOLID", true) + "91 40\n" + polylineSquare, {}, true},
        {"second path missing",
         Head("SOLID", true) + "91 2\n" + polylineSquare + kSolidTail,
         {L(0.1234567890123456, 1.234567890123456, 10.12345678901235, 1.234567890123456),
          L(10.12345678901235, 1.234567890123456, 10.12345678901235, 7.654321098765432),
          L(10.12345678901235, 7.654321098765432, 0.1234567890123456, 1.234567890123456)},
         true},
        {"no number",
         Head("SOLID", true) + "91 1\n92 1\n93 1\n72 1\n10 1.0\n20 x\n11 2.0\n21 2.0\n97 0\n" + kSolidTail,
         {},
         true},
        {"unknown edge type", Head("SOLID", true) + "91 1\n92 1\n93 1\n72 7\n10 1.0\n20 1.0\n" + kSolidTail, {}, true},
        {"edge group missing",
         Head("SOLID", true) +
             "91 1\n92 1\n93 2\n72 1\n10 1.0\n20 1.0\n11 2.0\n21 2.0\n"
             "72 1\n10 1.0\n20 1.0\n11 2.0\n97 0\n" +
             kSolidTail,
         {L(1, 1, 2, 2)},
         true},
        {"rational spline short of weights",
         Head("SOLID", true) +
             "91 1\n92 1\n93 1\n72 4\n94 1\n73 1\n74 0\n95 4\n96 2\n"
             "40 0\n40 0\n40 1\n40 1\n10 0\n20 0\n42 1\n10 1\n20 1\n97 0\n" +
             kSolidTail,
         {},
         true},
        {"no path count", "5 2A7\n100 AcDbHatch\n10 0\n20 0\n30 0\n2 SOLID\n70 1\n71 0\n75 1\n", {}, true},
    };
    for (const HatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string fault;
        const std::vector<WorldShape> shapes = HatchBoundaryShapes(Groups(c.groups), fault);
        EXPECT_EQ(!fault.empty(), c.faulty) << "fault: '" << fault << "'";
        EXPECT_TRUE(testing::ShapesAre(shapes, c.shapes));
    }
}

#ifdef TESSAVUE_HATCH_CHECKER
// The HATCH entities of a DXF file: each one's handle and its group pairs after "0 HATCH".
struct FileHatch {
    std::string handle;
    std::vector<HatchGroup> groups;
};

std::vector<FileHatch> HatchesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<FileHatch> out;
    std::string code, value;
    bool inside = false;
    const auto strip = [](std::string& s) {
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    };
    while (std::getline(in, code) && std::getline(in, value)) {
        strip(code);
        strip(value);
        const int c = std::stoi(code);
        if (c == 0) {
            inside = value == "HATCH";
            if (inside) out.push_back({});
            continue;
        }
        if (!inside) continue;
        if (c == 5 && out.back().handle.empty()) out.back().handle = value;
        out.back().groups.push_back({c, value});
    }
    return out;
}

const std::filesystem::path kTestData = TESSAVUE_TESTDATA_DXF;
const std::filesystem::path kChecker = TESSAVUE_HATCH_CHECKER;

// One shape a line, as hatch_boundary_check.py reads it: ellipses with the points at
// their start and end parameters.
void WriteShapes(std::FILE* out, const std::vector<WorldShape>& shapes) {
    for (const WorldShape& s : shapes) {
        if (const auto* l = std::get_if<WorldLine>(&s)) {
            std::fprintf(out, "L %.17g %.17g %.17g %.17g\n", l->Start.X, l->Start.Y, l->End.X, l->End.Y);
        } else if (const auto* e = std::get_if<WorldEllipse>(&s)) {
            const auto at = [e](double t, double& x, double& y) {
                const double mx = e->MajorAxis.X, my = e->MajorAxis.Y;
                x = e->Centre.X + std::cos(t) * mx - std::sin(t) * e->Ratio * my;
                y = e->Centre.Y + std::cos(t) * my + std::sin(t) * e->Ratio * mx;
            };
            double sx, sy, ex, ey;
            at(e->StartParam, sx, sy);
            at(e->EndParam, ex, ey);
            std::fprintf(out, "E %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g\n", e->Centre.X, e->Centre.Y,
                         e->MajorAxis.X, e->MajorAxis.Y, e->Ratio, sx, sy, ex, ey);
        } else if (const auto* p = std::get_if<WorldSpline>(&s)) {
            std::fprintf(out, "S %d %d %zu", p->Degree, p->Flags, p->ControlPoints.size());
            for (const Vec2& v : p->ControlPoints) std::fprintf(out, " %.17g %.17g", v.X, v.Y);
            std::fprintf(out, " k");
            for (double k : p->Knots) std::fprintf(out, " %.17g", k);
            std::fprintf(out, " w");
            for (double w : p->Weights) std::fprintf(out, " %.17g", w);
            std::fprintf(out, " f");
            for (const Vec2& v : p->FitPoints) std::fprintf(out, " %.17g %.17g", v.X, v.Y);
            std::fprintf(out, "\n");
        } else {
            std::fprintf(out, "? a shape no boundary should give\n");
        }
    }
}

int RunChecker(const std::string& arguments, const std::filesystem::path& report) {
    const std::string command =
        "/usr/bin/python3 '" + kChecker.string() + "' " + arguments + " >'" + report.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The real files' hatches, and hatches ezdxf writes itself (edge paths of every kind, in
// the layouts of 2000 and of 2010, whose spline edges carry a fit count), each read here
// and by ezdxf.
TEST(HatchBoundaryAgainstEzdxf, EveryHatchGivesTheEdgesEzdxfReads) {
    testing::TempFolder folder("tessavue-hatch-ezdxf");
    std::vector<std::filesystem::path> files = {kTestData / "hatches_1.dxf", kTestData / "ae.r2000a.dxf"};
    for (const char* version : {"R2000", "R2010", "R2018"}) {
        const std::filesystem::path made = folder / (std::string("made_") + version + ".dxf");
        const std::filesystem::path report = folder / "make.txt";
        ASSERT_EQ(RunChecker("make '" + made.string() + "' " + version, report), 0) << testing::ReadFile(report);
        files.push_back(made);
    }
    for (const std::filesystem::path& source : files) {
        SCOPED_TRACE(source.string());
        ASSERT_TRUE(std::filesystem::exists(source)) << source << " is missing";
        const std::filesystem::path rows = folder / "shapes.txt";
        std::FILE* out = std::fopen(rows.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        for (const FileHatch& h : HatchesOf(source)) {
            std::string fault;
            const std::vector<WorldShape> shapes = HatchBoundaryShapes(h.groups, fault);
            EXPECT_EQ(fault, "") << "HATCH " << h.handle;
            std::fprintf(out, "H %s\n", h.handle.c_str());
            WriteShapes(out, shapes);
        }
        std::fclose(out);
        const std::filesystem::path report = folder / "report.txt";
        const int status = RunChecker("check '" + source.string() + "' '" + rows.string() + "'", report);
        std::cout << testing::ReadFile(report);
        EXPECT_EQ(status, 0) << testing::ReadFile(report);
    }
}
#endif

}  // namespace
}  // namespace tessavue
