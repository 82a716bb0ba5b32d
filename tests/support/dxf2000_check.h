// A written figure file checked by two other readers: the Python checker (ezdxf,
// strict read and audit, every entity's numbers against what the case put in) and
// LibreCAD printing it to PDF. The expectation file is written from the case's own
// figure, never from the writer's text, so a number the writer changes shows.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "iso/world_figure.h"
#include "temp_folder.h"

namespace tessavue::testing {

// The bytes in hex, so that Shift-JIS names pass the expectation file unchanged.
inline std::string HexBytes(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

// The double's shortest round-trip text: the checker reads it back as the same double.
inline std::string Exact(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

struct Box {
    double MinX, MinY, MaxX, MaxY;
};

// One ENTITY line of the expectation file for `entity`.
inline std::string ExpectedEntity(const WorldEntity& entity) {
    std::ostringstream line;
    const auto point = [&line](const std::string& name, const Vec2& v) {
        line << ' ' << name << ".x=" << Exact(v.X) << ' ' << name << ".y=" << Exact(v.Y) << ' ' << name << ".z=0";
    };
    const auto number = [&line](const std::string& name, double v) { line << ' ' << name << '=' << Exact(v); };
    const std::string kind = std::visit(
        [](const auto& shape) -> std::string {
            using T = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<T, WorldLine>) return "LINE";
            if constexpr (std::is_same_v<T, WorldEllipse>) return "ELLIPSE";
            if constexpr (std::is_same_v<T, WorldSpline>) return "SPLINE";
            if constexpr (std::is_same_v<T, WorldText>) return "TEXT";
            if constexpr (std::is_same_v<T, WorldPoint>) return "POINT";
            return "SOLID";
        },
        entity.Shape);
    line << "ENTITY " << kind << ' ' << HexBytes(entity.Layer) << ' ' << entity.Colour;
    if (const auto* s = std::get_if<WorldLine>(&entity.Shape)) {
        point("start", s->Start);
        point("end", s->End);
    } else if (const auto* e = std::get_if<WorldEllipse>(&entity.Shape)) {
        point("center", e->Centre);
        point("major_axis", e->MajorAxis);
        line << " extrusion.x=0 extrusion.y=0 extrusion.z=1";
        number("ratio", e->Ratio);
        number("start_param", e->StartParam);
        number("end_param", e->EndParam);
    } else if (const auto* p = std::get_if<WorldSpline>(&entity.Shape)) {
        number("flags", p->Flags);
        number("degree", p->Degree);
        number("knots.len", static_cast<double>(p->Knots.size()));
        number("control_points.len", static_cast<double>(p->ControlPoints.size()));
        number("fit_points.len", static_cast<double>(p->FitPoints.size()));
        number("weights.len", static_cast<double>(p->Weights.size()));
        for (std::size_t i = 0; i < p->Knots.size(); ++i) number("knots." + std::to_string(i), p->Knots[i]);
        for (std::size_t i = 0; i < p->Weights.size(); ++i) number("weights." + std::to_string(i), p->Weights[i]);
        for (std::size_t i = 0; i < p->ControlPoints.size(); ++i)
            point("control_points." + std::to_string(i), p->ControlPoints[i]);
        for (std::size_t i = 0; i < p->FitPoints.size(); ++i) point("fit_points." + std::to_string(i), p->FitPoints[i]);
    } else if (const auto* t = std::get_if<WorldText>(&entity.Shape)) {
        point("insert", t->Insert);
        number("height", t->Height);
        number("rotation", t->RotationDeg);
        number("width", t->WidthFactor);
        number("oblique", t->ObliqueDeg);
        if (t->HorizontalAlign != 0 || t->VerticalAlign != 0) {
            number("halign", t->HorizontalAlign);
            number("valign", t->VerticalAlign);
            point("align_point", t->AlignPoint);
        }
        line << " text=" << HexBytes(t->Text) << " style=" << HexBytes(t->Style);
    } else if (const auto* q = std::get_if<WorldPoint>(&entity.Shape)) {
        point("location", q->At);
    } else if (const auto* solid = std::get_if<WorldSolid>(&entity.Shape)) {
        for (int i = 0; i < 4; ++i) point("vtx" + std::to_string(i), solid->Corners[i]);
    }
    return line.str();
}

// The whole expectation file: every entity, every layer that must be declared, and
// the extents the case worked out (none: the empty drawing's inside-out box).
inline std::string Expectations(const WorldFigure& figure, const std::vector<std::string>& layers, const Box* extents) {
    std::ostringstream out;
    for (const WorldEntity& entity : figure.Entities) out << ExpectedEntity(entity) << '\n';
    out << "LAYER " << HexBytes("0") << '\n';
    for (const std::string& layer : layers) out << "LAYER " << HexBytes(layer) << '\n';
    for (const WorldEntity& entity : figure.Entities) out << "LAYER " << HexBytes(entity.Layer) << '\n';
    if (extents) {
        out << "HEADER $EXTMIN x~" << Exact(extents->MinX) << " y~" << Exact(extents->MinY) << '\n';
        out << "HEADER $EXTMAX x~" << Exact(extents->MaxX) << " y~" << Exact(extents->MaxY) << '\n';
    } else {
        out << "HEADER $EXTMIN x=1e20 y=1e20 z=1e20\nHEADER $EXTMAX x=-1e20 y=-1e20 z=-1e20\n";
    }
    return out.str();
}

// The modelspace counts by type, as the checker's arguments ("LINE=2 TEXT=1").
inline std::string TypeCounts(const WorldFigure& figure) {
    std::map<std::string, int> counts;
    for (const WorldEntity& entity : figure.Entities) {
        const std::string line = ExpectedEntity(entity);
        const std::size_t from = line.find(' ') + 1;
        ++counts[line.substr(from, line.find(' ', from) - from)];
    }
    std::string args;
    for (const auto& [kind, n] : counts) args += ' ' + kind + '=' + std::to_string(n);
    return args;
}

// Runs a shell command; its exit status, its output appended to `report`.
inline int RunReported(const std::string& command, const std::filesystem::path& log, std::string& report) {
    const int status = std::system((command + " >'" + log.string() + "' 2>&1").c_str());
    report += ReadFile(log);
    return status;
}

// The Python checker on `written`: its exit status (0 passed); its report in `report`.
inline int CheckWithEzdxf(const std::filesystem::path& checker, const std::filesystem::path& written,
                          const std::string& expectations, const std::string& counts, std::string& report) {
    const std::filesystem::path expected = written.parent_path() / (written.stem().string() + ".expected");
    WriteFile(expected, expectations);
    return RunReported("/usr/bin/python3 '" + checker.string() + "' '" + written.string() + "' '" + expected.string() +
                           "'" + counts,
                       written.parent_path() / "ezdxf.log", report);
}

// LibreCAD printing `written` to a PDF beside it, headless, under a time limit. A
// missing LibreCAD is a failure like any other: the status of the shell's "not found".
inline int PrintWithLibreCad(const std::filesystem::path& written, std::string& report) {
    const std::filesystem::path pdf = written.parent_path() / (written.stem().string() + ".pdf");
    std::filesystem::remove(pdf);
    const int status = RunReported("cd '" + written.parent_path().string() +
                                       "' && QT_QPA_PLATFORM=offscreen timeout 60 librecad dxf2pdf '" +
                                       written.filename().string() + "'",
                                   written.parent_path() / "librecad.log", report);
    if (status != 0) return status;
    if (!std::filesystem::exists(pdf) || std::filesystem::file_size(pdf) == 0) {
        report += "librecad exited 0 but left no PDF " + pdf.string() + "\n";
        return -1;
    }
    return 0;
}

}  // namespace tessavue::testing
