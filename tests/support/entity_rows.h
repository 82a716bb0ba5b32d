// Entity-table rows asserted as a table: the expected rows written out one a line,
// compared in order with the filled rows, and nothing else filled. A failure names
// the row and the field.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "dxf_data/entity_table.h"

namespace tessavue::testing {

// One expected row: kind (0 line, 1 circle, 2 arc, 3 ellipse), layer, then X1 Y1 X2
// Y2 and the end angle as EntityRecord holds them; an ellipse also has its ratio and
// start parameter (its major semi-axis in X2 Y2, its end parameter in the end angle).
struct Row {
    std::int32_t Kind;
    std::string Layer;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, EndAngle = 0;
    double Ratio = 1, StartParameter = 0;
};

// The record a row describes, for filling a table as the reader would.
inline EntityRecord Record(const Row& row) {
    EntityRecord record;
    record.Kind = row.Kind;
    record.Layer = row.Layer;
    record.X1 = row.X1;
    record.Y1 = row.Y1;
    record.X2 = row.X2;
    record.Y2 = row.Y2;
    record.EndAngle = row.EndAngle;
    record.Ratio = row.Ratio;
    record.StartParameter = row.StartParameter;
    return record;
}

// The number of filled rows: up to the first empty one.
inline int FilledRows(const EntityTableRows& table) {
    int n = 0;
    while (n < kEntityRows && table[static_cast<std::size_t>(n)].Kind != -1) ++n;
    return n;
}

// Whether the filled rows are exactly `expected`; numbers equal within `tolerance`
// (0: exactly), the end angle compared on arcs only.
inline ::testing::AssertionResult RowsAre(const EntityTableRows& table, const std::vector<Row>& expected,
                                          double tolerance = 0) {
    std::ostringstream faults;
    const int filled = FilledRows(table);
    if (filled != static_cast<int>(expected.size()))
        faults << filled << " rows filled, " << expected.size() << " expected\n";
    const auto near = [tolerance](double a, double b) { return a == b || std::fabs(a - b) <= tolerance; };
    for (std::size_t i = 0; i < expected.size() && i < static_cast<std::size_t>(filled); ++i) {
        const EntityRecord& got = table[i];
        const Row& want = expected[i];
        const auto field = [&](const char* name, double a, double b) {
            if (!near(a, b)) faults << "row " << i << " " << name << ": " << a << ", expected " << b << "\n";
        };
        if (got.Kind != want.Kind) faults << "row " << i << " kind: " << got.Kind << ", expected " << want.Kind << "\n";
        if (got.Layer != want.Layer)
            faults << "row " << i << " layer: '" << got.Layer << "', expected '" << want.Layer << "'\n";
        field("X1", got.X1, want.X1);
        field("Y1", got.Y1, want.Y1);
        field("X2", got.X2, want.X2);
        if (want.Kind != 1) field("Y2", got.Y2, want.Y2);
        if (want.Kind == 2 || want.Kind == 3) field("end angle", got.EndAngle, want.EndAngle);
        if (want.Kind == 3) {
            field("ratio", got.Ratio, want.Ratio);
            field("start parameter", got.StartParameter, want.StartParameter);
        }
    }
    if (faults.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.str();
}

struct PlanPoint {
    double x = 0;
    double y = 0;
};

// The point of a row at `fraction` of its length: a line from its start (0) to its
// end (1); a circle, arc or ellipse counter-clockwise from its start angle or
// parameter (a circle from 0 degrees) to its end.
inline PlanPoint RowPoint(const EntityRecord& row, double fraction) {
    constexpr double kDegree = 3.141592653589793 / 180;
    if (row.Kind == 0) return {row.X1 + fraction * (row.X2 - row.X1), row.Y1 + fraction * (row.Y2 - row.Y1)};
    double from = 0, to = 360;
    if (row.Kind == 2) from = row.Y2, to = row.EndAngle;
    if (row.Kind == 3) from = row.StartParameter, to = row.EndAngle;
    double sweep = std::fmod(to - from, 360.0);
    if (sweep <= 0) sweep += 360;
    const double t = (from + fraction * sweep) * kDegree;
    if (row.Kind != 3) return {row.X1 + row.X2 * std::cos(t), row.Y1 + row.X2 * std::sin(t)};
    // The minor semi-axis is the major one turned by +90 degrees, times the ratio.
    return {row.X1 + std::cos(t) * row.X2 - std::sin(t) * row.Ratio * row.Y2,
            row.Y1 + std::cos(t) * row.Y2 + std::sin(t) * row.Ratio * row.X2};
}

// Whether the row runs through `points` at equal steps of its length, the first at
// its start and the last at its end (a whole circle or ellipse: the points lie on it,
// equally spaced in its parameter and counter-clockwise, from any start).
inline ::testing::AssertionResult RowTraces(const EntityRecord& row, const std::vector<PlanPoint>& points,
                                            double tolerance) {
    std::ostringstream faults;
    const bool whole = row.Kind == 1 || (row.Kind == 3 && row.StartParameter == 0 && row.EndAngle == 360);
    const std::size_t n = points.size();
    // A whole curve starts where it likes: at the first point's angle or parameter.
    double shift = 0;
    if (whole && n > 0) {
        const double dx = points[0].x - row.X1, dy = points[0].y - row.Y1;
        double u = dx, v = dy;
        if (row.Kind == 3) {
            const double major2 = row.X2 * row.X2 + row.Y2 * row.Y2;
            u = (dx * row.X2 + dy * row.Y2) / major2;
            v = (-dx * row.Y2 + dy * row.X2) / (major2 * row.Ratio);
        }
        shift = std::atan2(v, u) / (2 * 3.141592653589793);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double fraction = whole ? shift + static_cast<double>(i) / static_cast<double>(n)
                                      : static_cast<double>(i) / static_cast<double>(n - 1);
        const PlanPoint got = RowPoint(row, fraction);
        if (std::hypot(got.x - points[i].x, got.y - points[i].y) > tolerance)
            faults << "point " << i << " of " << n << ": (" << got.x << ", " << got.y << "), expected ("
                   << points[i].x << ", " << points[i].y << ")\n";
    }
    if (faults.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.str();
}

}  // namespace tessavue::testing
