// The figure file's rewrite (RewriteFigure, WriteFigureFile) for every kind that
// goes through a figure file, on every face: an existing figure turned (or, with
// "全て投影", moved), the template figures 円, 四角 and 六角 after the template fill,
// and 文字 and 寸法 moved to the picked point without a raised copy.
//
// Properties: a rewrite that accepts the list writes lines every reader takes back;
// the section then holds its entities once, or twice with a raised copy, plus exactly
// the LINE records HeightLineText made, and the plan reader hands over as many rows
// more; nothing outside the section changes. A refused rewrite has one message, and
// the file-level call then leaves no figure file (not even one of the same name made
// before). A refused template fill leaves the template's lines as they were.
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "draw/figure_rewrite.h"
#include "iso/face_walk.h"
#include "iso/figure_generators.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

const char* const kKinds[] = {"既存図形", "円", "四角", "六角", "文字", "寸法"};

bool IsTemplateKind(const std::string& kind) { return kind == "円" || kind == "四角" || kind == "六角"; }

const std::filesystem::path& WorkFolder() {
    static const ScratchFolder folder("rewrite");
    return folder.path;
}

// The file-level rewrite of a list the in-memory rewrite refused: false, one message
// (the same), and no figure file, even where one of the same name stood before.
void CheckRefusedFile(const DxfLines& input, const FigureRewrite& rewrite, const EntityTableRows& table,
                      const SectionResult& result) {
    const std::filesystem::path work = WorkFolder() / "work.dxf";
    const std::filesystem::path figure = WorkFolder() / "ip20260101000000.dxf";
    FUZZ_CHECK(SaveDxfLines(work, input), std::string("the work file could not be written"));
    FUZZ_CHECK(SaveDxfLines(figure, {"  0", "EOF"}), std::string("the old figure file could not be written"));
    CountingSink sink;
    const bool written = WriteFigureFile(work, figure, rewrite, table, sink);
    FUZZ_CHECK(!written, std::string("the file-level rewrite accepted what the in-memory one refused"));
    FUZZ_CHECK(!std::filesystem::exists(figure), std::string("a refused rewrite left a figure file"));
    FUZZ_CHECK(sink.count == 1, "a refused rewrite showed " + std::to_string(sink.count) + " messages");
    FUZZ_CHECK(sink.last == SectionFaultMessage(result),
               "the file-level message '" + sink.last + "' is not the rewrite's '" + SectionFaultMessage(result) + "'");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    FigureRewrite rewrite;
    const std::string kind = kKinds[data.ConsumeIntegralInRange(0, 5)];
    rewrite.Inputs.FigureKind = kind;
    rewrite.Inputs.FaceCode = data.ConsumeIntegralInRange(0, 3);
    rewrite.Inputs.HeightSign = data.ConsumeBool() ? -1 : 1;
    rewrite.Inputs.HeightLines = data.ConsumeBool();
    rewrite.Inputs.CircleHeightLines = data.ConsumeBool();
    rewrite.ProjectAll = data.ConsumeBool();
    // 文字 and 寸法 are written without a height, about the point the user picked; the
    // template figures stand about the template's origin.
    const bool flat = kind == "文字" || kind == "寸法";
    rewrite.Inputs.Height = flat ? 0.0 : FiniteNumber(data);
    rewrite.BaseX = IsTemplateKind(kind) ? 0.0 : FiniteNumber(data);
    rewrite.BaseY = IsTemplateKind(kind) ? 0.0 : FiniteNumber(data);
    const double size1 = FiniteNumber(data);
    const double size2 = FiniteNumber(data);
    const bool vertical = data.ConsumeBool();
    DxfLines lines = SplitDxfLines(data.ConsumeRemainingBytesAsString());
    Context() = "kind " + kind + ", face " + std::to_string(rewrite.Inputs.FaceCode) + ", sign " +
                std::to_string(rewrite.Inputs.HeightSign) + ", height " + NumberText(rewrite.Inputs.Height) +
                ", height lines " + std::to_string(rewrite.Inputs.HeightLines) + ", circle height lines " +
                std::to_string(rewrite.Inputs.CircleHeightLines) + ", project all " +
                std::to_string(rewrite.ProjectAll) + ", base (" + NumberText(rewrite.BaseX) + ", " +
                NumberText(rewrite.BaseY) + "), sizes " + NumberText(size1) + " " + NumberText(size2);

    EntityTableRows table;
    ClearEntityTable(table);
    if (IsTemplateKind(kind)) {
        // The template fill: splice 1 with the generated figure, its plan rows in the table.
        std::string text;
        if (kind == "円") text = CircleFigureText("0", size1 * 0.5, table);
        if (kind == "四角")
            text = SquareFigureText("0", rewrite.Inputs.FaceCode, rewrite.Inputs.HeightSign, size1, size2, table);
        if (kind == "六角")
            text = HexagonFigureText("0", rewrite.Inputs.FaceCode, rewrite.Inputs.HeightSign, size1,
                                     vertical ? 0.0 : 30.0, table);
        const DxfLines template_ = lines;
        const SectionResult filled = ReplaceSectionEntities(lines, text);
        if (!filled) {
            CheckRefused(template_, lines, filled);
            return 0;
        }
        CheckWritten(template_, ReadAll(template_), lines, RecordCount(text), 0, std::nullopt);
    } else if (!flat) {
        // The rows of the plan as the user drew it; the rewrite tool may read them from
        // another file than the one it rewrites, so a refused reading leaves the table
        // empty and the rewrite still runs.
        CountingSink sink;
        try {
            ReadPlanEntities(lines, "fuzz.dxf", rewrite.BaseX, rewrite.BaseY, sink, table);
        } catch (const std::runtime_error&) {
            ClearEntityTable(table);
        }
    }

    const DxfLines before = lines;
    EntitiesSection section;
    const bool closed = static_cast<bool>(FindEntitiesSection(before, section));
    const ReadersBefore readBefore = closed ? ReadAll(before) : ReadersBefore{};
    // The rewrite reads the list's bytes, lines ended by CR LF as the work file holds them.
    std::string input;
    for (const std::string& line : lines) input += line + "\r\n";
    std::string output;
    StringOutput out(output);
    const SectionResult result = RewriteFigure(input, StepsOf(rewrite), table, out);
    if (!result) {
        FUZZ_CHECK(!SectionFaultMessage(result).empty(), std::string("a refusal without a message"));
        FUZZ_CHECK(output.empty(), std::string("a refused rewrite wrote ") + std::to_string(output.size()) + " bytes");
        CheckRefusedFile(before, rewrite, table, result);
        return 0;
    }
    FUZZ_CHECK(closed, std::string("the rewrite accepted a list without a closed ENTITIES section"));
    lines = SplitDxfLines(output);
    const bool raised = MakesRaisedCopy(rewrite.Inputs);
    const std::size_t heightLines = RecordCount(HeightLineText(table, rewrite.Inputs));
    FUZZ_CHECK(raised || heightLines == 0, std::string("height lines without a raised copy"));
    const std::size_t entities = SectionEntityCount(before, section);
    // A height or a base point far beyond the plan's own distances absorbs them (1e300
    // + 10 is 1e300): outlines shrink to points and give no rows. That is the double's
    // precision, not the rewrite's; the rows are counted for the numbers plans are
    // drawn with.
    const bool plain = std::fabs(rewrite.Inputs.Height) <= 1e6 && std::fabs(rewrite.BaseX) <= 1e6 &&
                       std::fabs(rewrite.BaseY) <= 1e6;
    CheckWritten(before, readBefore, lines, (raised ? 2 : 1) * entities + heightLines, raised ? 2 : 1,
                 plain ? std::optional<std::size_t>(heightLines) : std::nullopt);
    return 0;
}
