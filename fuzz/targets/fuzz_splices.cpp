// The template fill's splice of the ENTITIES section on any line list, and the section
// search it relies on. (The raised copy and the height lines are the figure rewrite's:
// fuzz_rewrite.)
//
// Properties: a splice that accepts the list writes lines every reader takes back, with
// exactly the figure's records in the section, and nothing outside the section
// changes; a splice that refuses leaves the list exactly as it was and has a message;
// a list without a closed section is refused.
#include "fuzz_support.h"

#include <cstdint>
#include <string>

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

// Figure text as the generators write it: LINE and CIRCLE records.
std::string FigureText(FuzzedDataProvider& data) {
    static const char* const kLayers[] = {"0", "外形", "Hidden lines", "CENTER"};
    const int records = data.ConsumeIntegralInRange(0, 4);
    std::string text;
    for (int i = 0; i < records; ++i) {
        const char* layer = kLayers[data.ConsumeIntegralInRange(0, 3)];
        if (data.ConsumeBool()) {
            const double x0 = FiniteNumber(data), y0 = FiniteNumber(data);
            const double x1 = FiniteNumber(data), y1 = FiniteNumber(data);
            text += LineRecord(layer, x0, y0, x1, y1);
        } else {
            const double x = FiniteNumber(data), y = FiniteNumber(data), r = FiniteNumber(data);
            text += CircleRecord(layer, x, y, r);
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string figureText = FigureText(data);
    const DxfLines before = SplitDxfLines(data.ConsumeRemainingBytesAsString());
    Context() = "figure text " + std::to_string(figureText.size()) + " bytes";

    EntitiesSection section;
    const bool closed = static_cast<bool>(FindEntitiesSection(before, section));
    const ReadersBefore readBefore = closed ? ReadAll(before) : ReadersBefore{};

    DxfLines lines = before;
    const SectionResult result = ReplaceSectionEntities(lines, figureText);
    if (!result) {
        CheckRefused(before, lines, result);
        return 0;
    }
    FUZZ_CHECK(closed, std::string("a splice accepted a list without a closed ENTITIES section"));
    CheckWritten(before, readBefore, lines, RecordCount(figureText), 0, std::nullopt);
    // The section holds the figure's lines and nothing else.
    EntitiesSection now;
    FindEntitiesSection(lines, now);
    const DxfLines figure = SplitDxfLines(figureText);
    const DxfLines held(lines.begin() + static_cast<std::ptrdiff_t>(now.Entities + 1),
                        lines.begin() + static_cast<std::ptrdiff_t>(now.Endsec - 1));
    FUZZ_CHECK(held == figure, "the filled section is not the figure text: " + FirstDifference(figure, held));
    return 0;
}
