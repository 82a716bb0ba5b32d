// The dump: written, read back, every byte and every double intact.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/dump.h"

namespace tessavue::sim {
namespace {

std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes;
}

TEST(SimDump, RoundTripKeepsEveryByteAndEveryDouble) {
    SimHost host(Edition::LT2006);
    host.Receive("copydata", "line 0.1,1e-300 @0.30000000000000004,-7  ");
    host.Receive("paste", AllBytes());
    host.Type("\x1b");
    Drawing& d = host.drawing();
    d.AddLayer("画層 1");
    ASSERT_TRUE(d.SetCurrentLayer("画層 1"));
    d.AddCircle({1.0 / 3, -2.0 / 3}, 1e10);
    d.AddArc({5, 5}, 2, 350, 10);
    d.AddEllipse({0, 0}, {3, 4}, 0.25, 10, 200);
    d.AddPolyline({{0, 0}, {1, 0}, {1, 1}}, true);
    d.AddText({2, 3}, 2.5, 30, "文字 \"quoted\" \\ text");

    SimDump before = MakeDump(host);
    // The canvas's view and the windows on the screen, as the stand-in's window adds them.
    before.view = SimDump::View{412.34567890123456, -0.1, 3.0000000000000004};
    before.screens = {{"canvas", 4, 23, 796, 440}, {"input", -3, 571, 797, 595}};
    std::stringstream stream;
    WriteDump(before, stream);
    std::string error;
    const auto after = ReadDump(stream, &error);
    ASSERT_TRUE(after.has_value()) << error;
    ASSERT_TRUE(after->view.has_value());
    EXPECT_EQ(after->view->originX, 412.34567890123456);
    EXPECT_EQ(after->view->originY, -0.1);
    EXPECT_EQ(after->view->scale, 3.0000000000000004);
    ASSERT_EQ(after->screens.size(), 2u);
    EXPECT_EQ(after->screens[1].window, "input");
    EXPECT_EQ(after->screens[1].left, -3);
    EXPECT_EQ(after->screens[1].bottom, 595);
    EXPECT_EQ(after->edition, "LT2006");
    EXPECT_EQ(after->entities, before.entities);
    EXPECT_EQ(after->layers, before.layers);
    EXPECT_EQ(after->currentLayer, "画層 1");
    EXPECT_EQ(after->history, before.history);
    EXPECT_EQ(after->commandLine, "コマンド: ");
    ASSERT_EQ(after->inputs.size(), 2u);
    EXPECT_EQ(after->inputs[1], (InputChunk{"paste", AllBytes()}));
    EXPECT_EQ(after->entities[0].points[1].x, 0.1 + 0.30000000000000004);
    EXPECT_EQ(after->entities[0].points[0].y, 1e-300);
}

// The drawing's units, its UCS origin and its layers' states come back exactly; a
// dump written before they were kept reads with AutoCAD's defaults.
TEST(SimDump, UnitsUcsOriginAndLayerStatesSurvive) {
    SimHost host(Edition::LT2000);
    Drawing& d = host.drawing();
    d.linearUnits = 4;
    d.unitPrecision = 7;
    d.dimensionDecimals = 1;
    d.ucsOrigin = {0.1 + 0.2, -1.0 / 3};
    host.filedia = 0;
    d.AddLayer("画層 off").on = false;
    d.AddLayer("F").frozen = true;
    Layer& both = d.AddLayer("both");
    both.on = false;
    both.frozen = true;
    both.color = 250;
    std::stringstream stream;
    WriteDump(MakeDump(host), stream);
    std::string error;
    const auto after = ReadDump(stream, &error);
    ASSERT_TRUE(after) << error;
    EXPECT_EQ(after->linearUnits, 4);
    EXPECT_EQ(after->unitPrecision, 7);
    EXPECT_EQ(after->dimensionDecimals, 1);
    EXPECT_EQ(after->ucsOrigin, d.ucsOrigin);
    EXPECT_EQ(after->filedia, 0);
    EXPECT_EQ(after->layers, d.layers());

    std::string old;
    std::istringstream lines(stream.str());
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("units ", 0) != 0 && line.rfind("ucs-origin ", 0) != 0 && line.rfind("filedia ", 0) != 0)
            old += line + "\n";
    std::istringstream oldStream(old);
    const auto before = ReadDump(oldStream, &error);
    ASSERT_TRUE(before) << error;
    EXPECT_EQ(before->linearUnits, 2);
    EXPECT_EQ(before->unitPrecision, 4);
    EXPECT_EQ(before->dimensionDecimals, 4);
    EXPECT_EQ(before->ucsOrigin, (Point{0, 0}));
    EXPECT_EQ(before->filedia, 1);
}

TEST(SimDump, EveryRecordLineIsPrintableAscii) {
    SimHost host;
    host.Receive("copydata", AllBytes());
    std::stringstream stream;
    WriteDump(MakeDump(host), stream);
    for (char c : stream.str()) {
        const auto b = static_cast<unsigned char>(c);
        EXPECT_TRUE(c == '\n' || (b >= 0x20 && b < 0x7F)) << static_cast<int>(b);
    }
}

TEST(SimDump, DamagedDumpsAreRefused) {
    SimHost host;
    host.Type("line 0,0 1,1  ");
    std::stringstream stream;
    WriteDump(MakeDump(host), stream);
    const std::string good = stream.str();
    // Read back with CR LF line ends (a text-mode file on Windows): still fine.
    std::string crlf;
    for (char c : good) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    std::istringstream crlfStream(crlf);
    EXPECT_TRUE(ReadDump(crlfStream).has_value());

    const std::string truncated = good.substr(0, good.rfind("end"));
    const std::string badNumber = [&] {
        std::string s = good;
        s.replace(s.find("line 1"), 6, "line x");
        return s;
    }();
    const std::string head = good.substr(0, good.find('\n') + 1);
    for (const std::string& bad : {std::string(), truncated, badNumber, std::string("hello\nend\n"),
                                   head + "layer \"0\n" + "end\n", head + "layer \"0\" 7 frozen off\nend\n",
                                   head + "units 2 4\nend\n", head + "ucs-origin 1\nend\n"}) {
        std::istringstream in(bad);
        std::string error;
        EXPECT_FALSE(ReadDump(in, &error).has_value()) << bad;
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimDump, QuotedFieldsDecodeStrictly) {
    EXPECT_EQ(UnquoteBytes(QuoteBytes(AllBytes())), AllBytes());
    EXPECT_EQ(UnquoteBytes("\"\""), std::string());
    EXPECT_FALSE(UnquoteBytes("\"\\x4\"").has_value());
    EXPECT_FALSE(UnquoteBytes("\"\\q00\"").has_value());
    EXPECT_FALSE(UnquoteBytes("abc").has_value());
}

}  // namespace
}  // namespace tessavue::sim
