// The figures typed in as numbers and the template fill: CircleFigureText,
// SquareFigureText, HexagonFigureText and AxisFigureText written into the figure
// template's ENTITIES section (FillFigureTemplate, splice 1), on every face and both
// height signs, with any finite numbers the palette takes.
//
// Properties: a figure's text holds only numbers every reader takes, or the fill
// refuses it, names why and leaves the template file byte for byte as it was; a filled
// template holds exactly the figure's records in its section, nothing else changed,
// and the readers take it; the plan rows of 円, 四角 and 六角 are 1, 4 and 6 lines or
// circles of finite numbers, and the hexagon's edges each end exactly where the next
// begins.
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "iso/figure_generators.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

const std::filesystem::path& TemplateFile() {
    static const ScratchFolder folder("template");
    static const std::filesystem::path file = folder.path / "zukei.dxf";
    return file;
}

std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FiniteRow(const EntityRecord& row) {
    return std::isfinite(row.X1) && std::isfinite(row.Y1) && std::isfinite(row.X2) && std::isfinite(row.Y2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    static const char* const kKinds[] = {"円", "四角", "六角", "既存軸"};
    const std::string kind = kKinds[data.ConsumeIntegralInRange(0, 3)];
    const std::int32_t face = data.ConsumeIntegralInRange(0, 3);
    const std::int32_t sign = data.ConsumeBool() ? -1 : 1;
    const double a = FiniteNumber(data);
    const double b = FiniteNumber(data);
    const bool vertical = data.ConsumeBool();
    EntityTableRows outline;
    ClearEntityTable(outline);
    AxisLine centre;
    if (kind == "既存軸") {
        // A listed centre line is exactly vertical or horizontal; the outline's lines.
        const double at = FiniteNumber(data);
        centre = vertical ? AxisLine{at, a, at, b} : AxisLine{a, at, b, at};
        const int lines = data.ConsumeIntegralInRange(1, 6);
        for (int i = 0; i < lines; ++i) {
            const double x1 = FiniteNumber(data), y1 = FiniteNumber(data);
            const bool parallel = data.ConsumeBool();
            const double x2 = parallel && vertical ? x1 : FiniteNumber(data);
            const double y2 = parallel && !vertical ? y1 : FiniteNumber(data);
            outline[static_cast<std::size_t>(i)] = EntityRecord{0, "0", x1, y1, x2, y2, 0};
        }
    }
    const std::string templateText = data.ConsumeRemainingBytesAsString();
    Context() = "kind " + kind + ", face " + std::to_string(face) + ", sign " + std::to_string(sign) + ", numbers " +
                NumberText(a) + " " + NumberText(b) + (vertical ? ", vertical" : ", horizontal");

    EntityTableRows table;
    ClearEntityTable(table);
    std::string text;
    std::size_t rows = 0;
    if (kind == "円") text = CircleFigureText("0", a * 0.5, table), rows = 1;
    if (kind == "四角") text = SquareFigureText("0", face, sign, a, b, table), rows = 4;
    if (kind == "六角") text = HexagonFigureText("0", face, sign, a, vertical ? 0.0 : 30.0, table), rows = 6;
    if (kind == "既存軸") text = AxisFigureText("0", face, centre, outline);
    for (std::size_t i = 0; i < rows; ++i)
        FUZZ_CHECK(table[i].Kind >= 0 && FiniteRow(table[i]), "plan row " + std::to_string(i) + " is no finite outline");
    FUZZ_CHECK(table[rows].Kind == -1, "the figure wrote more than " + std::to_string(rows) + " rows");
    if (kind == "六角")
        for (std::size_t i = 0; i < 6; ++i)
            FUZZ_CHECK(table[i].X2 == table[(i + 1) % 6].X1 && table[i].Y2 == table[(i + 1) % 6].Y1,
                       "the hexagon's edge " + std::to_string(i) + " does not end where the next begins");
    const bool writable = static_cast<bool>(CheckNumberGroups(SplitDxfLines(text)));

    // The fill of the template file.
    const DxfLines before = SplitDxfLines(templateText);
    {
        std::ofstream out(TemplateFile(), std::ios::binary | std::ios::trunc);
        out << templateText;
    }
    const SectionResult filled = FillFigureTemplate(TemplateFile(), text);
    if (!filled) {
        FUZZ_CHECK(!SectionFaultMessage(filled).empty(), std::string("a refusal without a message"));
        FUZZ_CHECK(Bytes(TemplateFile()) == templateText, std::string("a refused fill changed the template file"));
        return 0;
    }
    FUZZ_CHECK(writable, "the template took a figure no reader takes: " +
                             SectionFaultMessage(CheckNumberGroups(SplitDxfLines(text))));
    const std::optional<DxfLines> after = LoadDxfLines(TemplateFile());
    FUZZ_CHECK(after.has_value(), std::string("the filled template cannot be read"));
    CheckWritten(before, ReadAll(before), *after, RecordCount(text), 0, std::nullopt);
    EntitiesSection now;
    FindEntitiesSection(*after, now);
    const DxfLines held(after->begin() + static_cast<std::ptrdiff_t>(now.Entities + 1),
                        after->begin() + static_cast<std::ptrdiff_t>(now.Endsec - 1));
    FUZZ_CHECK(held == SplitDxfLines(text), "the filled section is not the figure: " +
                                                FirstDifference(SplitDxfLines(text), held));
    return 0;
}
