// The entity reader (ReadDxfEntities) and the offset reader (CollectOffsetVertices,
// CollectOffsetTangents) on any line list.
//
// Properties: the readers end (libFuzzer's -timeout catches a hang) and fail only by
// their documented errors; the entity reader keeps the rows filled before it, fills
// the rows after them without a gap with lines, circles and arcs, and shows the
// table-full message only when the table is full; the offset reader's points are
// distinct, each with its layer, and the tangent points are numbers a command can type.
#include "fuzz_support.h"

#include <cstdint>
#include <string>

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

void CheckVertexSet(const VertexSet& set, bool finite) {
    FUZZ_CHECK(set.X.size() == set.Y.size() && set.Y.size() == set.Layer.size() && set.Index.size() == set.X.size(),
               std::string("the point lists and their index are out of step"));
    for (std::size_t i = 0; i < set.Count(); ++i) {
        if (finite)
            FUZZ_CHECK(std::isfinite(set.X[i]) && std::isfinite(set.Y[i]),
                       "point " + std::to_string(i) + " is (" + NumberText(set.X[i]) + ", " + NumberText(set.Y[i]) +
                           ")");
        FUZZ_CHECK(set.Layer[i].find_first_of("\r\n") == std::string::npos, std::string("a layer holds a line end"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int filled = data.ConsumeIntegralInRange(0, kEntityRows);
    const double baseX = FiniteNumber(data);
    const double baseY = FiniteNumber(data);
    static const char* const kDirections[] = {"90", "210", "330", "0", "45", "-30.5"};
    const char* direction = kDirections[data.ConsumeIntegralInRange(0, 5)];
    const DxfLines lines = SplitDxfLines(data.ConsumeRemainingBytesAsString());

    EntityTableRows table;
    ClearEntityTable(table);
    for (int i = 0; i < filled; ++i) {
        table[static_cast<std::size_t>(i)].Kind = 3;
        table[static_cast<std::size_t>(i)].Layer = "before";
    }
    CountingSink sink;
    bool read = true;
    try {
        ReadDxfEntities(lines, "fuzz.dxf", baseX, baseY, sink, table);
    } catch (const DxfReadError&) {
        read = false;
    } catch (const ConvertError&) {
        read = false;
    }
    int rows = 0;
    while (rows < kEntityRows && table[static_cast<std::size_t>(rows)].Kind != -1) ++rows;
    for (int i = 0; i < filled; ++i)
        FUZZ_CHECK(table[static_cast<std::size_t>(i)].Kind == 3 && table[static_cast<std::size_t>(i)].Layer == "before",
                   "row " + std::to_string(i) + ", filled before the read, changed");
    for (int i = filled; i < rows; ++i) {
        const std::int32_t kind = table[static_cast<std::size_t>(i)].Kind;
        FUZZ_CHECK(kind >= 0 && kind <= 2, "row " + std::to_string(i) + " has kind " + std::to_string(kind));
    }
    for (int i = rows; i < kEntityRows; ++i)
        FUZZ_CHECK(table[static_cast<std::size_t>(i)].Kind == -1, "row " + std::to_string(i) + " after a gap is filled");
    FUZZ_CHECK(sink.count <= 1, "the read showed " + std::to_string(sink.count) + " messages");
    if (sink.count == 1) {
        FUZZ_CHECK(sink.last == TableFullMessage(), "the read showed '" + sink.last + "'");
        FUZZ_CHECK(rows == kEntityRows, "the table-full message with " + std::to_string(rows) + " rows");
    }
    if (read && rows < kEntityRows) FUZZ_CHECK(sink.count == 0, std::string("a table-full message with room left"));

    try {
        CheckVertexSet(CollectOffsetVertices(lines, "fuzz.dxf"), true);
    } catch (const DxfReadError&) {
    } catch (const ConvertError&) {
    }
    try {
        CheckVertexSet(CollectOffsetTangents(lines, "fuzz.dxf", StrToFloat(direction)), true);
    } catch (const DxfReadError&) {
    } catch (const ConvertError&) {
    }
    return 0;
}
