// The reading of AutoCAD's LIST output (ReadListedLines, ListingShowsObjects).
//
// Properties: on any history the read ends (libFuzzer's -timeout catches a slow one),
// fails only by ConvertError, and fills rows 0 to its count with lines and nothing
// after them; a listing of lines AutoCAD writes after the history, at any number
// text, is read back exactly: as many lines as it lists (at most the table's rows),
// each point the number its text reads as, and it shows objects.
#include "fuzz_support.h"

#include <cstdint>
#include <string>
#include <vector>

#include "dxf_data/str_to_float.h"
#include "host/history_queries.h"
#include "import/listed_selection.h"

using namespace tessavue;
using namespace tessavue::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const int listed = data.ConsumeIntegralInRange(0, 6);
    std::vector<double> numbers;
    for (int i = 0; i < 4 * listed; ++i) numbers.push_back(FiniteNumber(data));
    const std::string history = data.ConsumeRemainingBytesAsString();

    EntityTableRows table;
    ClearEntityTable(table);
    int count = 0;
    try {
        count = ReadListedLines(history, table);
    } catch (const ConvertError&) {
        count = -1;
    }
    if (count >= 0) {
        FUZZ_CHECK(count <= kEntityRows, "the read counted " + std::to_string(count) + " lines");
        for (int i = 0; i < count; ++i)
            FUZZ_CHECK(table[static_cast<std::size_t>(i)].Kind == 0, "row " + std::to_string(i) + " is no line");
        for (int i = count; i < kEntityRows; ++i)
            FUZZ_CHECK(table[static_cast<std::size_t>(i)].Kind == -1, "row " + std::to_string(i) + " after the count");
    }
    (void)ListingShowsObjects(SplitHistoryLines(history));

    // AutoCAD's own listing, after whatever the history held.
    std::string listing = history + "\r\nｺﾏﾝﾄﾞ: list\r\nｵﾌﾞｼﾞｪｸﾄを選択: 検出数: " + std::to_string(listed) + "\r\n";
    std::vector<double> expected;
    for (int i = 0; i < listed; ++i) {
        const double* p = &numbers[static_cast<std::size_t>(4 * i)];
        listing += "                  線分      画層: \"0\"\r\n";
        listing += "                            空間: モデル空間\r\n";
        listing += "                  ハンドル = 2" + std::to_string(i) + "\r\n";
        listing += "              始点 点, X=" + NumberText(p[0]) + "  Y=" + NumberText(p[1]) + "  Z=   0.00000000\r\n";
        listing += "              終点 点, X=" + NumberText(p[2]) + "  Y=" + NumberText(p[3]) + "  Z=   0.00000000\r\n";
        listing += "                長さ =  10.00000000,  XY 平面上の角度 =      0\r\n";
        for (int k = 0; k < 4; ++k) {
            const std::optional<double> back = TryStrToFloat(NumberText(p[k]));
            if (!back) return 0;  // the number text's own finding
            expected.push_back(*back);
        }
    }
    listing += "ｺﾏﾝﾄﾞ: ";
    ClearEntityTable(table);
    int read = -1;
    try {
        read = ReadListedLines(listing, table);
    } catch (const ConvertError& error) {
        FUZZ_CHECK(false, std::string("AutoCAD's listing raised: ") + error.what());
    }
    FUZZ_CHECK(read == listed, "a listing of " + std::to_string(listed) + " lines read as " + std::to_string(read));
    for (int i = 0; i < listed; ++i) {
        const EntityRecord& row = table[static_cast<std::size_t>(i)];
        const double* want = &expected[static_cast<std::size_t>(4 * i)];
        FUZZ_CHECK(row.X1 == want[0] && row.Y1 == want[1] && row.X2 == want[2] && row.Y2 == want[3],
                   "line " + std::to_string(i) + " read as (" + NumberText(row.X1) + ", " + NumberText(row.Y1) + ") to (" +
                       NumberText(row.X2) + ", " + NumberText(row.Y2) + ")");
    }
    FUZZ_CHECK(listed == 0 || ListingShowsObjects(SplitHistoryLines(listing)), std::string("the listing shows no objects"));
    return 0;
}
