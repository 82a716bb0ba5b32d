// The two edits made around a selection export: the explode test
// (SelectionNeedsExplode) and the header edit that takes $HANDSEED out.
//
// Properties of the explode test: it fails only when no line names ENTITIES, with
// DxfReadError; a POLYLINE or INSERT after the section's start always asks for the
// explosion, and a file whose lines after it name neither never does.
//
// Properties of the header edit (RemoveHandseedLines): a list it leaves says so and is
// exactly as it was; a list it changes loses one run of whole pairs inside HEADER, the
// pair (9, $HANDSEED) and the value pairs after it up to the next variable or the
// header's end, and nothing else; every reader then takes it as it took it before, the
// plan reader with the same rows, and the ENTITIES section moves up by that run.
#include "fuzz_support.h"

#include <cstdint>
#include <string>

#include "import/selection_export.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

void CheckExplodeTest(const DxfLines& lines) {
    bool named = false;
    for (const std::string& line : lines) named = named || line.find("ENTITIES") != std::string::npos;
    bool needs = false;
    try {
        needs = SelectionNeedsExplode(lines, "fuzz.dxf");
    } catch (const DxfReadError&) {
        FUZZ_CHECK(!named, std::string("the explode test failed on a list that names ENTITIES"));
        return;
    }
    FUZZ_CHECK(named, std::string("the explode test passed a list that never names ENTITIES"));
    // What comes after the section's start decides, and nothing before it.
    const std::size_t start = EntitiesStart(lines, "fuzz.dxf");
    bool seen = false;
    for (std::size_t i = start; i < lines.size(); ++i)
        seen = seen || lines[i].find("POLYLINE") != std::string::npos || lines[i].find("INSERT") != std::string::npos;
    FUZZ_CHECK(needs == seen, std::string("the explode test disagrees with the lines after the section's start"));
    DxfLines more = lines;
    more.insert(more.begin() + static_cast<std::ptrdiff_t>(start) + 1, {"  0", "INSERT"});
    FUZZ_CHECK(SelectionNeedsExplode(more, "fuzz.dxf"), std::string("an INSERT in the section asks for no explosion"));
}

void CheckHeaderEdit(const DxfLines& before) {
    DxfLines lines = before;
    const bool changed = RemoveHandseedLines(lines);
    if (!changed) {
        FUZZ_CHECK(lines == before, "an edit that changed nothing changed " + FirstDifference(before, lines));
        return;
    }
    const std::size_t removed = before.size() - lines.size();
    FUZZ_CHECK(lines.size() < before.size() && removed % 2 == 0,
               "the edit took " + std::to_string(before.size()) + " lines to " + std::to_string(lines.size()));
    std::size_t end = 0;
    while (end < lines.size() && lines[end] == before[end]) ++end;
    for (std::size_t i = end; i < lines.size(); ++i)
        FUZZ_CHECK(lines[i] == before[i + removed], "line " + std::to_string(i + removed) + " changed beyond the run");
    // Where lines repeat, the run may sit at several places with the same result (two
    // $HANDSEED variables in a row): it is right when one of them is a whole run.
    std::size_t lowest = end;
    while (lowest > 0 && before[lowest - 1] == before[lowest - 1 + removed]) --lowest;
    const std::optional<std::size_t> header = FindSectionName(before, "HEADER");
    const auto isCode = [](const std::string& line) {
        const std::size_t first = line.find_first_not_of(" \t+-");
        return first != std::string::npos && line.find_first_not_of("0123456789 \t", first) == std::string::npos;
    };
    // A code as the readers take it: " 00" is 0 and "+09" is 9.
    const auto codeIs = [&](const std::string& line, int code) {
        if (!isCode(line)) return false;
        const std::size_t first = line.find_first_of("0123456789");
        const std::size_t last = line.find_last_of("0123456789");
        const std::string digits = line.substr(first, last - first + 1);
        const std::size_t nonZero = digits.find_first_not_of('0');
        const std::string plain = nonZero == std::string::npos ? "0" : digits.substr(nonZero);
        return plain == std::to_string(code) && (code == 0 || line.find('-') == std::string::npos);
    };
    // Why a run at `at` is not (9, $HANDSEED) and value pairs up to the next variable or
    // the header's end, inside HEADER; empty when it is.
    const auto runFault = [&](std::size_t at) -> std::string {
        if (!header || at <= *header || (at - *header) % 2 != 1)
            return "the run at line " + std::to_string(at) + " is no pair of HEADER";
        if (!codeIs(before[at], 9) || before[at + 1] != "$HANDSEED")
            return "the run starts with '" + before[at] + "', '" + before[at + 1] + "'";
        for (std::size_t code = *header + 1; code < at; code += 2)
            if (codeIs(before[code], 0)) return "the run lies after the header's end at line " + std::to_string(code);
        for (std::size_t code = at + 2; code < at + removed; code += 2)
            if (!isCode(before[code]) || codeIs(before[code], 9) || codeIs(before[code], 0))
                return "the run takes the pair at line " + std::to_string(code) + " of another variable or the end";
        if (at + removed >= before.size() ||
            !(codeIs(before[at + removed], 9) || codeIs(before[at + removed], 0)))
            return "the run at line " + std::to_string(at) + " stops before the next variable or the header's end";
        return {};
    };
    std::size_t at = end;
    std::string fault = runFault(end);
    for (std::size_t candidate = lowest; !fault.empty() && candidate < end; ++candidate)
        if (runFault(candidate).empty()) {
            at = candidate;
            fault.clear();
        }
    FUZZ_CHECK(fault.empty(), fault);

    // The readers take it as before.
    // A section before the run moves up by it, one after it stays.
    EntitiesSection was, now;
    if (FindEntitiesSection(before, was) && (was.Endsec < at || was.Entities > at)) {
        const std::size_t shift = was.Entities > at ? removed : 0;
        FUZZ_CHECK(FindEntitiesSection(lines, now) && now.Entities + shift == was.Entities &&
                       now.Endsec + shift == was.Endsec,
                   std::string("the ENTITIES section did not move up by the run"));
    }
    if (CheckNumberGroups(before)) FUZZ_CHECK(CheckNumberGroups(lines), std::string("the number check refuses the edit"));
    const PlanReading planBefore = ReadPlan(before);
    if (planBefore.Read) {
        const PlanReading planAfter = ReadPlan(lines);
        FUZZ_CHECK(planAfter.Read, "the plan reader refuses the edit: " + planAfter.Error);
        if (planBefore.Whole && planAfter.Whole)
            FUZZ_CHECK(planAfter.Rows == planBefore.Rows, "the plan reader's rows went from " +
                                                              std::to_string(planBefore.Rows) + " to " +
                                                              std::to_string(planAfter.Rows));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const DxfLines lines = SplitDxfLines(data.ConsumeRemainingBytesAsString());
    CheckExplodeTest(lines);
    CheckHeaderEdit(lines);
    return 0;
}
