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

// One expected row: kind (0 line, 1 circle, 2 arc), layer, then X1 Y1 X2 Y2 and the
// end angle as EntityRecord holds them.
struct Row {
    std::int32_t Kind;
    std::string Layer;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, EndAngle = 0;
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
        if (want.Kind == 2) field("end angle", got.EndAngle, want.EndAngle);
    }
    if (faults.str().empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << faults.str();
}

}  // namespace tessavue::testing
