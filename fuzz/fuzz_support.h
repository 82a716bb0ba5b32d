// What every fuzz target shares: the way a broken property ends the run, the reading
// of a target's parameters from the end of its input, and the checks that written DXF
// lines are taken back by every reader of the program.
//
// A target's input is one byte string. Its text (a DXF file, a history, a settings
// file) comes from the front; its numbers and choices (face, height, base point) are
// taken from the end by FuzzedDataProvider, so a seed that is a plain DXF file is a
// valid input whose last few bytes pick the choices.
//
// A property that breaks prints what broke and why, then traps: libFuzzer keeps the
// input as a crash file, and scripts/fuzz prints its path.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "dxf_data/dxf_lines.h"
#include "dxf_data/entity_table.h"
#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"
#include "host/palette.h"
#include "import/dxf_reader.h"
#include "import/plan_reader.h"
#include "iso/dxf_writer.h"

namespace tessavue::fuzz {

// A folder of this process's own, named after the target, gone when the run ends
// however many inputs it tried.
struct ScratchFolder {
    explicit ScratchFolder(const std::string& target)
        : path(std::filesystem::temp_directory_path() / ("tessavue-fuzz-" + target + "-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

// What the target chose for this input (face, height, ...), printed with a broken property.
inline std::string& Context() {
    static std::string context;
    return context;
}

[[noreturn]] inline void Broken(const char* file, int line, const char* property, const std::string& detail) {
    std::fprintf(stderr, "\n%s:%d: property broken: %s\n  %s\n  input: %s\n", file, line, property, detail.c_str(),
                 Context().c_str());
    std::fflush(stderr);
    __builtin_trap();
}

// FUZZ_CHECK(condition, detail): `detail` (a std::string expression) is only built when
// the condition fails.
#define FUZZ_CHECK(condition, detail)                                                   \
    do {                                                                                \
        if (!(condition)) ::tessavue::fuzz::Broken(__FILE__, __LINE__, #condition, (detail)); \
    } while (0)

// A message sink that counts the boxes and keeps the last text.
struct CountingSink : MessageSink {
    void ShowConfirmation(const std::string& text) override {
        ++count;
        last = text;
    }
    void ShowInformation(const std::string& text) override {
        ++count;
        last = text;
    }
    int count = 0;
    std::string last;
};

// A number as the palette could hand it over: typed by the user or read from AutoCAD,
// so always finite. Mostly plain values (whole, with sixteen digits, tiny, huge), at
// times any finite double.
inline double FiniteNumber(FuzzedDataProvider& data) {
    static constexpr std::array<double, 16> kValues = {
        0.0, 1.0, -1.0, 10.0, 12.345678901234567, -98765.43210987654, 1e-9, 0.1, 1e15, -2.5e7,
        1e200, -1e200, DBL_MAX, -DBL_MAX, DBL_MIN, 4.9406564584124654e-324};
    const std::uint8_t how = data.ConsumeIntegral<std::uint8_t>();
    if (how < 128) return kValues[how % kValues.size()];
    if (how < 224) return static_cast<double>(data.ConsumeIntegralInRange<std::int32_t>(-100000, 100000)) / 8.0;
    const double raw = data.ConsumeFloatingPoint<double>();
    return std::isfinite(raw) ? raw : 0.0;
}

inline std::string Joined(const DxfLines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// What differs first between two line lists, for a broken property's message.
inline std::string FirstDifference(const DxfLines& a, const DxfLines& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return "line " + std::to_string(i) + ": '" + a[i] + "' became '" + b[i] + "'";
    return "line counts " + std::to_string(a.size()) + " and " + std::to_string(b.size());
}

// Whether a code line is the code 0 as a DXF reader reads codes: an integer, blanks
// around it, so "  0", "0" and "  00" alike.
inline bool IsZeroCode(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    std::size_t i = first;
    if (line[i] == '+' || line[i] == '-') ++i;
    const std::size_t digits = i;
    while (i < line.size() && line[i] == '0') ++i;
    if (i == digits) return false;
    return line.find_first_not_of(" \t", i) == std::string::npos;
}

// The entities of the ENTITIES section: its 0 groups walked as pairs, the closing
// ENDSEC's not counted.
inline std::size_t SectionEntityCount(const DxfLines& lines, const EntitiesSection& section) {
    std::size_t count = 0;
    for (std::size_t code = section.Entities + 1; code + 1 < section.Endsec; code += 2)
        if (IsZeroCode(lines[code])) ++count;
    return count;
}

// The records of figure text: its "  0" groups.
inline std::size_t RecordCount(const std::string& figureText) {
    const DxfLines lines = SplitDxfLines(figureText);
    std::size_t count = 0;
    for (std::size_t code = 0; code + 1 < lines.size(); code += 2)
        if (IsZeroCode(lines[code])) ++count;
    return count;
}

// How the plan reader takes a list: the rows it hands over, or that it refused it.
struct PlanReading {
    bool Read = false;        // no error
    bool Whole = false;       // every entity seen, within the work bound
    std::size_t Rows = 0;
    std::string Error;
};

inline PlanReading ReadPlan(const DxfLines& lines) {
    PlanReading reading;
    try {
        const PlanWalkEnd end = WalkPlan(lines, "fuzz.dxf", 0, 0, [&](const EntityRecord&) {
            ++reading.Rows;
            return true;
        });
        reading.Read = true;
        reading.Whole = end == PlanWalkEnd::Whole;
    } catch (const std::runtime_error& error) {  // DxfReadError, ConvertError
        reading.Error = error.what();
    }
    return reading;
}

// Whether the entity reader takes the list (fills rows without an error).
inline bool EntityReaderTakes(const DxfLines& lines, std::string& error) {
    EntityTableRows table;
    ClearEntityTable(table);
    CountingSink sink;
    try {
        ReadDxfEntities(lines, "fuzz.dxf", 0, 0, sink, table);
        return true;
    } catch (const std::runtime_error& failure) {
        error = failure.what();
        return false;
    }
}

// How the readers took a list before it was rewritten, to compare with the rewritten one.
struct ReadersBefore {
    bool Numbers = false;  // the number check passed
    bool EntityReader = false;
    PlanReading Plan;
};

inline ReadersBefore ReadAll(const DxfLines& lines) {
    ReadersBefore before;
    std::string ignored;
    before.Numbers = static_cast<bool>(CheckNumberGroups(lines));
    before.EntityReader = EntityReaderTakes(lines, ignored);
    before.Plan = ReadPlan(lines);
    return before;
}

// A list a splice or the rewrite accepted and wrote: every reader of the program takes
// it back (the section is found and closed; the number check, the entity reader and the
// plan reader take it when they took the list it came from), outside the
// section nothing changed, and the section holds `expectedEntities` entities. The plan
// reader then hands over `planRowsFactor` times the rows it read before plus
// `planRowsAdded` (when both readings saw the whole plan and the rows added are known:
// added records on a layer the file turns off give none).
inline void CheckWritten(const DxfLines& before, const ReadersBefore& readBefore, const DxfLines& after,
                         std::size_t expectedEntities, std::size_t planRowsFactor,
                         std::optional<std::size_t> planRowsAdded) {
    EntitiesSection was;
    FUZZ_CHECK(FindEntitiesSection(before, was), std::string("the input's section was not found"));
    EntitiesSection now;
    const SectionResult found = FindEntitiesSection(after, now);
    FUZZ_CHECK(found, "the written section is not found again: " + SectionFaultMessage(found));
    // Two mangled layouts where the readers looked at other lines than the splice:
    // an end mark inside the section ended every reader before it (the number check,
    // the plan reader), and what follows it is read once the section is rewritten; a
    // second ENTITIES header may be the one a reader takes (the plan reader finds
    // sections walking from the first line, where an unclosed section swallows the next
    // header, while the splices take the first header anywhere).
    bool endInSection = false;
    for (std::size_t code = was.Entities + 1; code + 1 < was.Endsec; code += 2)
        endInSection = endInSection || (IsZeroCode(before[code]) && before[code + 1].find("EOF") != std::string::npos);
    const DxfLines rest(before.begin() + static_cast<std::ptrdiff_t>(was.Endsec), before.end());
    const bool mangled = endInSection || FindSectionName(rest, "ENTITIES").has_value();
    const SectionResult numbers = CheckNumberGroups(after);
    FUZZ_CHECK(numbers || !readBefore.Numbers || mangled,
               "a written number group is refused: " + SectionFaultMessage(numbers));

    // Nothing before the section's name or from its ENDSEC on changes.
    FUZZ_CHECK(now.Entities == was.Entities, "the section's name moved from line " + std::to_string(was.Entities) +
                                                  " to " + std::to_string(now.Entities));
    for (std::size_t i = 0; i <= was.Entities; ++i)
        FUZZ_CHECK(before[i] == after[i], "line " + std::to_string(i) + " before the section changed: '" + before[i] +
                                              "' became '" + after[i] + "'");
    FUZZ_CHECK(before.size() - was.Endsec == after.size() - now.Endsec,
               std::string("the lines after the section changed in number"));
    for (std::size_t i = 0; was.Endsec + i < before.size(); ++i)
        FUZZ_CHECK(before[was.Endsec + i] == after[now.Endsec + i],
                   "line " + std::to_string(i) + " after ENDSEC changed: '" + before[was.Endsec + i] + "' became '" +
                       after[now.Endsec + i] + "'");

    const std::size_t entities = SectionEntityCount(after, now);
    FUZZ_CHECK(entities == expectedEntities, "the section holds " + std::to_string(entities) +
                                                 " entities, not the " + std::to_string(expectedEntities) +
                                                 " promised");

    // The readers are asked to take back what they took of a list whose every number
    // group holds a number: a damaged value elsewhere (an X of "0.21 10642" in a
    // vertex) may lie where one reader never looked before a copy put it after an
    // entity the reader scans on from. The rewrite refuses such a list first.
    if (!readBefore.Numbers || mangled) return;
    std::string error;
    FUZZ_CHECK(!readBefore.EntityReader || EntityReaderTakes(after, error),
               "the entity reader refuses what it read before the rewrite: " + error);
    if (readBefore.Plan.Read) {
        const PlanReading plan = ReadPlan(after);
        FUZZ_CHECK(plan.Read, "the plan reader refuses what it read before the rewrite: " + plan.Error);
        if (readBefore.Plan.Whole && plan.Whole && planRowsAdded)
            FUZZ_CHECK(plan.Rows == planRowsFactor * readBefore.Plan.Rows + *planRowsAdded,
                       "the plan reader hands over " + std::to_string(plan.Rows) + " rows, not " +
                           std::to_string(planRowsFactor) + " x " + std::to_string(readBefore.Plan.Rows) + " + " +
                           std::to_string(*planRowsAdded));
    }
}

// A refused splice: the list exactly as it was, and one message that says why.
inline void CheckRefused(const DxfLines& before, const DxfLines& after, const SectionResult& result) {
    FUZZ_CHECK(before == after, "a refused list changed: " + FirstDifference(before, after));
    FUZZ_CHECK(!SectionFaultMessage(result).empty(), std::string("a refusal without a message"));
}

}  // namespace tessavue::fuzz
