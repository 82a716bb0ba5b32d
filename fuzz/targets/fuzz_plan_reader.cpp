// The plan reader (WalkPlan, ReadPlanEntities) on any line list.
//
// Properties: the walk ends (within its work bound; libFuzzer's -timeout catches a
// hang) and fails only by its documented errors; every row is a line, circle, arc or
// ellipse of finite numbers whose circles and arcs have a radius and whose ellipses a
// ratio in (0, 1]; the table read holds the walk's rows after the rows filled before it,
// as many as fit, and shows the table-full message exactly when rows were left out.
// Read with shapes as well (texts, MTEXT lines, splines, points, solids, hatch
// boundaries, dimension pieces), as tessavue-iso reads a plan: the walk fails only by
// the same errors, its rows are as sound, and the whole finished figure on a face,
// names made usable as the tool makes them, is written by the DXF 2000 writer unless
// a number in it is none (which the tool refuses by itself).
#include "fuzz_support.h"

#include "draw/world_existing_figure.h"
#include "iso/dxf2000_writer.h"

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

    // Each row is checked as the walk gives it; only those the table read can hold are
    // kept to compare (a walk to its work bound gives two million).
    const std::size_t room = static_cast<std::size_t>(kEntityRows - filled);
    std::vector<EntityRecord> rows;
    std::size_t walkedRows = 0;
    const auto checkRow = [](const EntityRecord& row) {
        FUZZ_CHECK(row.Kind >= 0 && row.Kind <= 3, "a row of " + RowText(row));
        const bool finite = std::isfinite(row.X1) && std::isfinite(row.Y1) && std::isfinite(row.X2) &&
                            std::isfinite(row.Y2) && std::isfinite(row.EndAngle) && std::isfinite(row.Ratio) &&
                            std::isfinite(row.StartParameter);
        FUZZ_CHECK(finite, "a row with a number that is none: " + RowText(row));
        if (row.Kind == 3) FUZZ_CHECK(row.Ratio > 0 && row.Ratio <= 1, "an ellipse row of " + RowText(row));
        FUZZ_CHECK(row.Layer.find_first_of("\r\n") == std::string::npos, std::string("a layer holds a line end"));
    };
    bool walked = true;
    PlanWalkEnd end = PlanWalkEnd::Whole;
    try {
        end = WalkPlan(lines, "fuzz.dxf", baseX, baseY, [&](const EntityRecord& row) {
            checkRow(row);
            if (rows.size() < room) rows.push_back(row);
            ++walkedRows;
            return true;
        });
    } catch (const DxfReadError&) {
        walked = false;
    } catch (const ConvertError&) {
        walked = false;
    }
    FUZZ_CHECK(end != PlanWalkEnd::Stopped, std::string("the walk stopped though the sink never asked"));

    // The tool's reading, with shapes.
    std::vector<EntityRecord> withRows;
    std::vector<WorldEntity> shapes;
    PlanShapesLeftOut leftOut;
    bool shaped = true;
    PlanWalkEnd shapedEnd = PlanWalkEnd::Whole;
    try {
        shapedEnd = WalkPlan(
            lines, "fuzz.dxf", baseX, baseY,
            [&](const EntityRecord& row) {
                FUZZ_CHECK(row.Kind >= 0 && row.Kind <= 3, "a row read with shapes of " + RowText(row));
                if (row.Kind == 3) FUZZ_CHECK(row.Ratio > 0 && row.Ratio <= 1, "an ellipse row of " + RowText(row));
                withRows.push_back(row);
                return true;
            },
            [&](const WorldEntity& shape) {
                shapes.push_back(shape);
                return true;
            },
            leftOut);
    } catch (const DxfReadError&) {
        shaped = false;
    } catch (const ConvertError&) {
        shaped = false;
    }
    // The tool refuses a plan that ran out of work before it draws anything.
    if (shaped && shapedEnd == PlanWalkEnd::Whole) {
        HeightInputs inputs;
        inputs.FaceCode = static_cast<std::int32_t>(size % 4);
        inputs.Height = 10;
        WorldFigureResult result = ExistingFigureInWorld(withRows, shapes, inputs, {0, 0});
        bool finite = true;
        const auto ok = [&](Vec2 p) { finite = finite && std::isfinite(p.X) && std::isfinite(p.Y); };
        for (WorldEntity& e : result.Figure.Entities) {
            e.Layer = UsableName(e.Layer);
            std::visit(
                [&](auto& shape) {
                    using T = std::decay_t<decltype(shape)>;
                    if constexpr (std::is_same_v<T, WorldLine>) {
                        ok(shape.Start), ok(shape.End);
                    } else if constexpr (std::is_same_v<T, WorldEllipse>) {
                        ok(shape.Centre), ok(shape.MajorAxis);
                        finite = finite && std::isfinite(shape.Ratio) && std::isfinite(shape.StartParam) &&
                                 std::isfinite(shape.EndParam);
                    } else if constexpr (std::is_same_v<T, WorldText>) {
                        shape.Style = UsableName(shape.Style);
                        ok(shape.Insert), ok(shape.AlignPoint);
                        finite = finite && std::isfinite(shape.Height) && std::isfinite(shape.RotationDeg) &&
                                 std::isfinite(shape.WidthFactor) && std::isfinite(shape.ObliqueDeg);
                    } else if constexpr (std::is_same_v<T, WorldSpline>) {
                        for (const Vec2& p : shape.ControlPoints) ok(p);
                        for (const Vec2& p : shape.FitPoints) ok(p);
                        for (double k : shape.Knots) finite = finite && std::isfinite(k);
                        for (double w : shape.Weights) finite = finite && std::isfinite(w);
                    } else if constexpr (std::is_same_v<T, WorldPoint>) {
                        ok(shape.At);
                    } else {
                        for (const Vec2& p : shape.Corners) ok(p);
                    }
                },
                e.Shape);
        }
        if (finite) {
            const std::string fault = Dxf2000Fault(result.Figure, {});
            FUZZ_CHECK(fault.empty(), "the writer refuses the figure read with shapes: " + fault);
        }
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
    // A full table ends the read before an error further on.
    FUZZ_CHECK(read == walked || (read && walkedRows > room),
               std::string("the table read and the walk disagree about an error"));
    const std::size_t stored = rows.size();
    for (std::size_t i = 0; i < stored; ++i)
        FUZZ_CHECK(SameRow(table[static_cast<std::size_t>(filled) + i], rows[i]),
                   "table row " + std::to_string(filled + static_cast<int>(i)) + " is not the walk's row " +
                       std::to_string(i) + ": " + RowText(table[static_cast<std::size_t>(filled) + i]) + " against " +
                       RowText(rows[i]));
    for (std::size_t i = static_cast<std::size_t>(filled) + stored; i < table.size(); ++i)
        FUZZ_CHECK(table[i].Kind == -1, "row " + std::to_string(i) + " filled beyond the walk's rows");
    if (read && walked) {
        const bool cut = walkedRows > room || end == PlanWalkEnd::TooMuchWork;
        FUZZ_CHECK(sink.count == (cut ? 1 : 0), "the table read showed " + std::to_string(sink.count) +
                                                    " messages with " + std::to_string(walkedRows) + " rows for " +
                                                    std::to_string(room) + " free");
        if (cut) FUZZ_CHECK(sink.last == TableFullMessage(), "the table read showed '" + sink.last + "'");
    }
    return 0;
}
