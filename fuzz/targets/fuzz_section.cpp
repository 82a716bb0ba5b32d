// The section search (FindEntitiesSection) and the number check (CheckNumberGroups)
// that every splice and the rewrite rely on.
//
// Properties: a section found is named by a "  0" SECTION "  2" ENTITIES header and
// closed by the first "  0" ENDSEC pair after it, whole pairs between; a list with such
// a header and pair is found. A number check that passes leaves no point or integer
// group before the first line where a code belongs that is no code whose value the
// program's own readers refuse; one that fails names a value line of a number group
// that is no number and the group's code.
#include "fuzz_support.h"

#include <charconv>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "dxf_data/str_to_float.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A group code as DXF writes it: blanks, then digits, with an optional sign.
// Any integer in int's range is taken for a code, however far from DXF's own codes.
std::optional<long> Code(std::string_view line) {
    line = Trim(line);
    std::size_t i = line.empty() || (line[0] != '-' && line[0] != '+') ? 0 : 1;
    if (i == line.size()) return std::nullopt;
    long long value = 0;
    for (; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9' || value > 10000000000LL) return std::nullopt;
        value = value * 10 + (line[i] - '0');
    }
    if (line[0] == '-') value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<long>(value);
}

// An integer value as a reader takes it: an optional sign, then decimal digits only,
// within 64 bits.
bool IsInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    unsigned long long magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (magnitude > (~0ULL - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    return magnitude <= (negative ? 9223372036854775808ULL : 9223372036854775807ULL);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const DxfLines lines = SplitDxfLines(data.ConsumeRemainingBytesAsString());

    EntitiesSection section;
    if (FindEntitiesSection(lines, section)) {
        FUZZ_CHECK(section.Entities >= 3 && section.Endsec > section.Entities && section.Endsec < lines.size(),
                   std::string("the section's lines lie outside the list"));
        FUZZ_CHECK(Trim(lines[section.Entities]) == "ENTITIES" && Code(lines[section.Entities - 1]) == 2 &&
                       Trim(lines[section.Entities - 2]) == "SECTION" && Code(lines[section.Entities - 3]) == 0,
                   "no SECTION header names line " + std::to_string(section.Entities));
        FUZZ_CHECK(lines[section.Endsec] == "ENDSEC" && Code(lines[section.Endsec - 1]) == 0 &&
                       (section.Endsec - section.Entities) % 2 == 0,
                   "line " + std::to_string(section.Endsec) + " closes no pair walk from the header");
        for (std::size_t code = section.Entities + 1; code + 1 < section.Endsec; code += 2)
            FUZZ_CHECK(!(Code(lines[code]) == 0 && lines[code + 1] == "ENDSEC"),
                       "an earlier ENDSEC pair at line " + std::to_string(code + 1));
    }

    const SectionResult numbers = CheckNumberGroups(lines);
    if (numbers) {
        for (std::size_t code = 0; code + 1 < lines.size(); code += 2) {
            const std::optional<long> group = Code(lines[code]);
            if (!group) break;
            const std::string& value = lines[code + 1];
            if (*group == 0 && Trim(value) == "EOF") break;  // the readers stop there
            // Points and distances: the readers take them with TryStrToFloat.
            if (*group >= 10 && *group <= 59)
                FUZZ_CHECK(TryStrToFloat(value).has_value(), "the real group " + std::to_string(*group) + " value '" +
                                                                 value + "' passed the check");
            if (*group >= 60 && *group <= 79)
                FUZZ_CHECK(IsInteger(value), "the integer group " + std::to_string(*group) + " value '" + value +
                                                 "' passed the check");
        }
    } else {
        FUZZ_CHECK(numbers.Fault == SectionFault::BadValue || numbers.Fault == SectionFault::BadGroupCode,
                   "the check gave " + SectionFaultMessage(numbers));
        FUZZ_CHECK(!SectionFaultMessage(numbers).empty(), std::string("a refusal without a message"));
        if (numbers.Fault == SectionFault::BadGroupCode) {
            // The first code line walked as pairs that is no code, before any EOF.
            std::optional<std::size_t> lost;
            for (std::size_t code = 0; code + 1 < lines.size() && !lost; code += 2) {
                const std::optional<long> group = Code(lines[code]);
                if (!group) lost = code;
                else if (*group == 0 && Trim(lines[code + 1]) == "EOF") break;
            }
            FUZZ_CHECK(lost && lines[*lost] == numbers.Detail,
                       "the refusal names the code line '" + numbers.Detail + "', which is not the first lost one");
            return 0;
        }
        bool named = false;
        for (std::size_t code = 0; code + 1 < lines.size() && !named; code += 2) {
            const std::optional<long> group = Code(lines[code]);
            if (!group) break;
            named = lines[code + 1] == numbers.Detail && std::to_string(*group) == numbers.Code;
        }
        FUZZ_CHECK(named, "the refusal names the value '" + numbers.Detail + "' of code " + numbers.Code +
                              ", which is no such pair");
        const std::optional<long> group = Code(numbers.Code);
        if (group && *group >= 10 && *group <= 59) {
            const std::optional<double> value = TryStrToFloat(numbers.Detail);
            // A value TryStrToFloat rounds to zero is refused too: it is out of range.
            FUZZ_CHECK(!value || *value == 0, "the real value '" + numbers.Detail + "' was refused");
        }
        if (group && *group >= 60 && *group <= 79)
            FUZZ_CHECK(!IsInteger(numbers.Detail), "the integer value '" + numbers.Detail + "' was refused");
    }
    return 0;
}
