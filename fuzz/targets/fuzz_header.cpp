// The two edits made around a selection export: the explode test
// (SelectionNeedsExplode) and the header edit that takes $HANDSEED out.
//
// Properties of the explode test: it fails only when no line names ENTITIES, with
// DxfReadError; a POLYLINE or INSERT after the section's start always asks for the
// explosion, and a file whose lines after it name neither never does.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const DxfLines lines = SplitDxfLines(data.ConsumeRemainingBytesAsString());
    CheckExplodeTest(lines);
    return 0;
}
