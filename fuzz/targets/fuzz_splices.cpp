// The three splices of the ENTITIES section (the template fill, the raised copy, the
// height lines' place at the end) on any line list, and the section search they share.
//
// Properties: a splice that accepts the list writes lines every reader takes back, with
// exactly the entities it promised (the figure's records; twice the section's; the
// section's and the figure's), and nothing outside the section changes; a splice that
// refuses leaves the list exactly as it was and has a message; a list without a closed
// section is refused by every splice.
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
    const int splice = data.ConsumeIntegralInRange(0, 2);
    const std::string figureText = splice == 1 ? std::string() : FigureText(data);
    const double raise = splice == 1 ? FiniteNumber(data) : 0.0;
    const DxfLines before = SplitDxfLines(data.ConsumeRemainingBytesAsString());
    Context() = "splice " + std::to_string(splice + 1) + ", raise " + NumberText(raise) + ", figure text " +
                std::to_string(figureText.size()) + " bytes";

    EntitiesSection section;
    const bool closed = static_cast<bool>(FindEntitiesSection(before, section));
    const std::size_t entities = closed ? SectionEntityCount(before, section) : 0;
    const ReadersBefore readBefore = closed ? ReadAll(before) : ReadersBefore{};

    DxfLines lines = before;
    SectionResult result;
    switch (splice) {
    case 0:
        result = ReplaceSectionEntities(lines, figureText);
        break;
    case 1:
        result = AppendRaisedCopy(lines, raise);
        break;
    default:
        result = InsertAtSectionEnd(lines, figureText);
        break;
    }
    if (!result) {
        CheckRefused(before, lines, result);
        return 0;
    }
    FUZZ_CHECK(closed, std::string("a splice accepted a list without a closed ENTITIES section"));
    switch (splice) {
    case 0: {
        CheckWritten(before, readBefore, lines, RecordCount(figureText), 0, std::nullopt);
        // The section holds the figure's lines and nothing else.
        EntitiesSection now;
        FindEntitiesSection(lines, now);
        const DxfLines figure = SplitDxfLines(figureText);
        const DxfLines held(lines.begin() + static_cast<std::ptrdiff_t>(now.Entities + 1),
                            lines.begin() + static_cast<std::ptrdiff_t>(now.Endsec - 1));
        FUZZ_CHECK(held == figure, "the filled section is not the figure text: " + FirstDifference(figure, held));
        break;
    }
    case 1:
        // A raise far beyond the plan's own distances absorbs them (1e300 + 10 is
        // 1e300): the copy's outlines then shrink to points and give no rows. That is
        // the double's precision, not the copy's; the rows are counted for heights a
        // plan is drawn with.
        CheckWritten(before, readBefore, lines, 2 * entities, 2,
                     std::fabs(raise) <= 1e6 ? std::optional<std::size_t>(0) : std::nullopt);
        break;
    default:
        CheckWritten(before, readBefore, lines, entities + RecordCount(figureText), 1, std::nullopt);
        break;
    }
    return 0;
}
