// Figure shapes asserted as a table: the expected shapes in order, compared field by
// field within a tolerance relative to the size of the numbers, and nothing left over.
// A failure names the shape (counted from 1) and the field. Lines, ellipses and
// splines are compared whole; texts, points and solids by their kind only.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <variant>
#include <vector>

#include "iso/world_figure.h"

namespace tessavue::testing {

// The shapes are `want`, within `tolerance` relative to the size of the numbers.
inline ::testing::AssertionResult ShapesAre(const std::vector<WorldShape>& got, const std::vector<WorldShape>& want,
                                            double tolerance = 1e-12) {
    std::ostringstream faults;
    faults.precision(17);
    if (got.size() != want.size()) faults << got.size() << " shapes, expected " << want.size() << "\n";
    const auto near = [tolerance](double a, double b) {
        return std::fabs(a - b) <= tolerance * std::max({1.0, std::fabs(a), std::fabs(b)});
    };
    for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
        const auto field = [&](const char* name, double a, double b) {
            if (!near(a, b)) faults << "shape " << i + 1 << " " << name << ": " << a << ", expected " << b << "\n";
        };
        if (got[i].index() != want[i].index()) {
            faults << "shape " << i + 1 << " kind " << got[i].index() << ", expected " << want[i].index() << "\n";
            continue;
        }
        if (const auto* g = std::get_if<WorldLine>(&got[i])) {
            const auto& w = std::get<WorldLine>(want[i]);
            field("start x", g->Start.X, w.Start.X);
            field("start y", g->Start.Y, w.Start.Y);
            field("end x", g->End.X, w.End.X);
            field("end y", g->End.Y, w.End.Y);
        } else if (const auto* ge = std::get_if<WorldEllipse>(&got[i])) {
            const auto& w = std::get<WorldEllipse>(want[i]);
            field("centre x", ge->Centre.X, w.Centre.X);
            field("centre y", ge->Centre.Y, w.Centre.Y);
            field("major x", ge->MajorAxis.X, w.MajorAxis.X);
            field("major y", ge->MajorAxis.Y, w.MajorAxis.Y);
            field("ratio", ge->Ratio, w.Ratio);
            field("start parameter", ge->StartParam, w.StartParam);
            field("end parameter", ge->EndParam, w.EndParam);
        } else if (const auto* gs = std::get_if<WorldSpline>(&got[i])) {
            const auto& w = std::get<WorldSpline>(want[i]);
            if (gs->Degree != w.Degree)
                faults << "shape " << i + 1 << " degree " << gs->Degree << ", expected " << w.Degree << "\n";
            if (gs->Flags != w.Flags)
                faults << "shape " << i + 1 << " flags " << gs->Flags << ", expected " << w.Flags << "\n";
            const auto list = [&](const char* name, const std::vector<double>& a, const std::vector<double>& b) {
                if (a.size() != b.size())
                    faults << "shape " << i + 1 << " " << a.size() << " " << name << ", expected " << b.size() << "\n";
                for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) field(name, a[k], b[k]);
            };
            const auto points = [&](const char* name, const std::vector<Vec2>& a, const std::vector<Vec2>& b) {
                if (a.size() != b.size())
                    faults << "shape " << i + 1 << " " << a.size() << " " << name << ", expected " << b.size() << "\n";
                for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) {
                    field(name, a[k].X, b[k].X);
                    field(name, a[k].Y, b[k].Y);
                }
            };
            list("knots", gs->Knots, w.Knots);
            list("weights", gs->Weights, w.Weights);
            points("control points", gs->ControlPoints, w.ControlPoints);
            points("fit points", gs->FitPoints, w.FitPoints);
        }
    }
    if (faults.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.str();
}

}  // namespace tessavue::testing
