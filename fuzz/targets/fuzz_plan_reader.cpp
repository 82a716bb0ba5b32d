// The plan reader (WalkPlan, ReadPlanEntities) on any line list.
//
// Properties: the walk ends (within its work bound; libFuzzer's -timeout catches a
// hang) and fails only by its documented errors; every row is a line, circle, arc or
// ellipse of finite numbers whose circles and arcs have a radius and whose ellipses a
// ratio in (0, 1]; the table read holds the walk's rows after the rows filled before it,
// as many as fit, and shows the table-full message exactly when rows were left out.
#include "fuzz_support.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

std::string RowText(const EntityRecord& row) {
    return "kind " + std::to_string(row.Kind) + " (" + NumberText(row.X1) + ", " + NumberText(row.Y1) + ", " +
           NumberText(row.X2) + ", " + NumberText(row.Y2) + ", " + NumberText(row.EndAngle) + ", ratio " +
           NumberText(row.Ratio) + ", start " + NumberText(row.StartParameter) + ")";
}

bool SameRow(const EntityRecord& a, const EntityRecord& b) {
    const auto same = [](double x, double y) { return x == y || (std::isnan(x) && std::isnan(y)); };
    return a.Kind == b.Kind && a.Layer == b.Layer && same(a.X1, b.X1) && same(a.Y1, b.Y1) && same(a.X2, b.X2) &&
           same(a.Y2, b.Y2) && same(a.EndAngle, b.EndAngle) && same(a.Ratio, b.Ratio) &&
           same(a.StartParameter, b.StartParameter);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int filled = data.ConsumeIntegralInRange(0, 8);
    const double baseX = FiniteNumber(data);
    const double baseY = FiniteNumber(data);
    const DxfLines lines = SplitDxfLines(data.ConsumeRemainingBytesAsString());

    std::vector<EntityRecord> rows;
    bool walked = true;
    PlanWalkEnd end = PlanWalkEnd::Whole;
    try {
        end = WalkPlan(lines, "fuzz.dxf", baseX, baseY, [&](const EntityRecord& row) {
            rows.push_back(row);
            return true;
        });
    } catch (const DxfReadError&) {
        walked = false;
    } catch (const ConvertError&) {
        walked = false;
    }
    FUZZ_CHECK(end != PlanWalkEnd::Stopped, std::string("the walk stopped though the sink never asked"));
    for (const EntityRecord& row : rows) {
        FUZZ_CHECK(row.Kind >= 0 && row.Kind <= 3, "a row of " + RowText(row));
        const bool finite = std::isfinite(row.X1) && std::isfinite(row.Y1) && std::isfinite(row.X2) &&
                            std::isfinite(row.Y2) && std::isfinite(row.EndAngle) && std::isfinite(row.Ratio) &&
                            std::isfinite(row.StartParameter);
        FUZZ_CHECK(finite, "a row with a number that is none: " + RowText(row));
        if (row.Kind == 3) FUZZ_CHECK(row.Ratio > 0 && row.Ratio <= 1, "an ellipse row of " + RowText(row));
        FUZZ_CHECK(row.Layer.find_first_of("\r\n") == std::string::npos, std::string("a layer holds a line end"));
    }

    EntityTableRows table;
    ClearEntityTable(table);
    for (int i = 0; i < filled; ++i) table[static_cast<std::size_t>(i)].Kind = 0;
    CountingSink sink;
    bool read = true;
    try {
        ReadPlanEntities(lines, "fuzz.dxf", baseX, baseY, sink, table);
    } catch (const DxfReadError&) {
        read = false;
    } catch (const ConvertError&) {
        read = false;
    }
    const std::size_t room = static_cast<std::size_t>(kEntityRows - filled);
    // A full table ends the read before an error further on.
    FUZZ_CHECK(read == walked || (read && rows.size() > room),
               std::string("the table read and the walk disagree about an error"));
    const std::size_t stored = std::min(room, rows.size());
    for (std::size_t i = 0; i < stored; ++i)
        FUZZ_CHECK(SameRow(table[static_cast<std::size_t>(filled) + i], rows[i]),
                   "table row " + std::to_string(filled + static_cast<int>(i)) + " is not the walk's row " +
                       std::to_string(i) + ": " + RowText(table[static_cast<std::size_t>(filled) + i]) + " against " +
                       RowText(rows[i]));
    for (std::size_t i = static_cast<std::size_t>(filled) + stored; i < table.size(); ++i)
        FUZZ_CHECK(table[i].Kind == -1, "row " + std::to_string(i) + " filled beyond the walk's rows");
    if (read && walked) {
        const bool cut = rows.size() > room || end == PlanWalkEnd::TooMuchWork;
        FUZZ_CHECK(sink.count == (cut ? 1 : 0), "the table read showed " + std::to_string(sink.count) +
                                                    " messages with " + std::to_string(rows.size()) + " rows for " +
                                                    std::to_string(room) + " free");
        if (cut) FUZZ_CHECK(sink.last == TableFullMessage(), "the table read showed '" + sink.last + "'");
    }
    return 0;
}
