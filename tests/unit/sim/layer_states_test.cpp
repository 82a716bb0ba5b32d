// Layers that are off or frozen, as -LAYER sets them, lists them and refuses them, and
// what they hide from the object selection; long listings that wait for Enter.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/dxf_file.h"
#include "core/host.h"
#include "sim_history.h"
#include "temp_folder.h"

namespace tessavue::sim {
namespace {

using testing::CountEqual;
using testing::CountHolding;
using testing::Dump;
using testing::LineFromEnd;
using testing::LinesFrom;

// The layers each case starts with: "0" current, then A, B, 壁 and one with a blank.
const std::vector<std::string> kLayers = {"0", "A", "B", "壁", "C D"};

void AddLayers(SimHost& host) {
    for (std::size_t i = 1; i < kLayers.size(); ++i) host.drawing().AddLayer(kLayers[i]);
}

// Each layer's states in kLayers' order: "+" on and thawed, "-" off, "*" frozen.
std::string States(const SimHost& host) {
    std::string out;
    for (const std::string& name : kLayers) {
        const Layer* layer = host.drawing().FindLayer(name);
        if (layer == nullptr) return "<no layer " + name + ">";
        out += !layer->on && layer->frozen ? "-*" : !layer->on ? "-" : layer->frozen ? "*" : "+";
        out += " ";
    }
    return out;
}

TEST(SimLayerStates, OnOffFreezeAndThawByNameListsWithWildcards) {
    struct Row {
        const char* name;
        const char* typed;
        const char* states;   // 0, A, B, 壁, C D
        const char* message;  // a line that must be in the history, or ""
    };
    const Row rows[] = {
        {"off by a list", "-layer off A,B\r\r", "+ - - + + ", ""},
        {"wildcards ignore case", "-layer off a*,?,c*\r\r\r", "+ - - + - ",
         "本当に現在の画層 \"0\" をｵﾌにしますか? <N>: "},
        {"a name with a blank", "-layer f C D\r\r", "+ + + + * ", ""},
        {"the current layer off when the user says yes", "-layer off *\ry \r", "- - - - - ",
         "本当に現在の画層 \"0\" をｵﾌにしますか? <N>: y"},
        {"Enter keeps the current layer on", "-layer off *\r\r\r", "+ - - - - ",
         "本当に現在の画層 \"0\" をｵﾌにしますか? <N>: "},
        {"the current layer is never frozen", "-layer f *\r\r", "+ * * * * ",
         "画層 \"0\" は現在の画層なのでﾌﾘｰｽﾞできません。"},
        {"thaw and on undo freeze and off", "-layer f A,B\roff A,壁\rt a\ron *\r\r", "+ + * + + ", ""},
        {"off and frozen together", "-layer off B\rf b\r\r", "+ + -* + + ", ""},
        {"an unknown name", "-layer on nosuch\r\r", "+ + + + + ", "画層 \"nosuch\" が見つかりません。"},
        {"U takes the states back", "-layer off A\rf B\r\ru ", "+ + + + + ", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimHost host(Edition::LT2000);
        AddLayers(host);
        host.Type(row.typed);
        EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
        EXPECT_EQ(States(host), row.states);
        if (*row.message) {
            EXPECT_EQ(CountEqual(host.HistoryLines(), row.message), 1) << Dump(host.HistoryLines());
        }
        EXPECT_EQ(host.drawing().currentLayer(), "0");
    }
}

// A frozen layer cannot be made current: the name is asked again, which the palette
// answers with ESC. A layer that is only off can be.
TEST(SimLayerStates, AFrozenLayerCannotBecomeCurrent) {
    for (const char* option : {"s", "m"}) {
        SCOPED_TRACE(option);
        SimHost host(Edition::LT2006);
        AddLayers(host);
        host.Type(std::string("-layer f A\r") + option + " a\r");
        EXPECT_EQ(LineFromEnd(host, 0), "フリーズされた画層 \"A\" を現在の画層にすることはできません。");
        EXPECT_NE(host.CommandLineText().find("画層名を入力"), std::string::npos) << host.CommandLineText();
        host.Type("\x1b");
        EXPECT_EQ(host.CommandLineText(), "コマンド: ");
        EXPECT_EQ(host.drawing().currentLayer(), "0");
    }
    SimHost host(Edition::LT2006);
    AddLayers(host);
    host.Type("-layer off B\rs B\r\r");
    EXPECT_EQ(host.drawing().currentLayer(), "B");
}

// The listing: a header, then one line a layer with its name, on or off, frozen or "-",
// its colour and linetype, in columns; the palette finds the current layer's line by
// its name and a blank and looks for the state words after it.
TEST(SimLayerStates, QuestionMarkListsTheStates) {
    struct Row {
        Edition edition;
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {Edition::LT2000,
         {"画層名                          状態            色            線種",
          "0                               ｵﾝ    -         7 (白)        CONTINUOUS",
          "A                               ｵﾝ    ﾌﾘｰｽﾞ     3 (緑)        CONTINUOUS",
          "壁                              ｵﾌ    -         1 (赤)        CONTINUOUS",
          "C D                             ｵﾌ    ﾌﾘｰｽﾞ     250           CONTINUOUS"}},
        {Edition::LT2006,
         {"画層名                          状態            色            線種",
          "0                               オン  -         7 (白)        CONTINUOUS",
          "A                               オン  フリーズ  3 (緑)        CONTINUOUS",
          "壁                              オフ  -         1 (赤)        CONTINUOUS",
          "C D                             オフ  フリーズ  250           CONTINUOUS"}},
    };
    for (const Row& row : rows) {
        SimHost host(row.edition);
        const EditionTexts& t = host.texts();
        SCOPED_TRACE(std::string(t.name));
        Drawing& d = host.drawing();
        d.AddLayer("A").color = 3;
        d.AddLayer("壁").color = 1;
        d.AddLayer("C D").color = 250;
        host.Type("-layer f A,C D\roff 壁,C D\r");
        const std::size_t first = host.HistoryLines().size();
        host.Type("? ");
        EXPECT_EQ(host.CommandLineText(), "一覧表示する画層名を入力 <*>: ");
        host.Type("\r");
        EXPECT_NE(host.CommandLineText().find(std::string(t.layerOptions)), std::string::npos) << "back at the options";
        std::vector<std::string> listing = LinesFrom(host, first + 2);
        EXPECT_EQ(listing, row.lines) << Dump(listing);
        // Only the layers the list names (the header stays).
        host.Type("? a*,壁\r");
        const auto some = LinesFrom(host, first + 2 + row.lines.size() + 2);
        EXPECT_EQ(some, (std::vector<std::string>{row.lines[0], row.lines[2], row.lines[3]})) << Dump(some);
        host.Type(" ");
        EXPECT_EQ(host.CommandLineText(), std::string(t.idlePrompt));
    }
}

// ---- what hidden objects are kept from --------------------------------------------------

struct Plan {
    int onZero, onOff, onVisible, onFrozen;
};

// A line on each of: layer 0, A (off), B (on), F (frozen), the last the newest.
Plan DrawOnLayers(SimHost& host) {
    Drawing& d = host.drawing();
    d.AddLayer("A").on = false;
    d.AddLayer("B");
    d.AddLayer("F").frozen = true;
    Plan p{};
    p.onZero = d.AddLine({0, 0}, {10, 0});
    d.SetCurrentLayer("A");
    p.onOff = d.AddLine({0, 10}, {10, 10});
    d.SetCurrentLayer("B");
    p.onVisible = d.AddLine({0, 20}, {10, 20});
    d.SetCurrentLayer("F");
    p.onFrozen = d.AddLine({0, 30}, {10, 30});
    d.SetCurrentLayer("0");
    return p;
}

TEST(SimLayerStates, HiddenObjectsAreNotLastNotPickedNotWindowed) {
    struct Row {
        const char* name;
        std::function<void(SimHost&)> act;  // a selection, ended
        std::function<std::vector<int>(const Plan&)> selected;
    };
    const Row rows[] = {
        {"last is the newest visible object", [](SimHost& h) { h.Type("select l  "); },
         [](const Plan& p) { return std::vector<int>{p.onVisible}; }},
        {"ALL takes layers that are off, not frozen ones", [](SimHost& h) { h.Type("select all  "); },
         [](const Plan& p) { return std::vector<int>{p.onZero, p.onOff, p.onVisible}; }},
        {"a window around everything",
         [](SimHost& h) {
             h.Type("select ");
             h.SelectWindow({-1, -1}, {11, 31});
             h.Type(" ");
         },
         [](const Plan& p) { return std::vector<int>{p.onZero, p.onVisible}; }},
        {"a crossing window through everything", [](SimHost& h) { h.Type("select c 5,-5 6,35  "); },
         [](const Plan& p) { return std::vector<int>{p.onZero, p.onVisible}; }},
        {"picks on each line", [](SimHost& h) {
             h.Type("select ");
             for (double y : {0.0, 10.0, 20.0, 30.0}) {
                 h.Click({5, y});
                 // A pick that finds nothing starts a window: close it on the same spot.
                 if (h.CommandLineText().find("もう一方のｺｰﾅｰ") != std::string::npos) h.Click({5, y});
             }
             h.Type(" ");
         },
         [](const Plan& p) { return std::vector<int>{p.onZero, p.onVisible}; }},
        {"typed points pick as clicks do", [](SimHost& h) { h.Type("select 5,20 5,10 5,10  "); },
         [](const Plan& p) { return std::vector<int>{p.onVisible}; }},
        {"the previous set as before", [](SimHost& h) {
             std::vector<int> all;
             for (const Entity& e : h.drawing().entities()) all.push_back(e.id);
             h.SetPreviousSelection(all);
             h.Type("select p  ");
         },
         [](const Plan& p) { return std::vector<int>{p.onZero, p.onOff, p.onVisible, p.onFrozen}; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimHost host(Edition::LT2000);
        const Plan plan = DrawOnLayers(host);
        row.act(host);
        EXPECT_EQ(host.CommandLineText(), "ｺﾏﾝﾄﾞ: ");
        EXPECT_EQ(host.PreviousSelection(), row.selected(plan));
    }
}

// "last" in the commands that change or export objects: each finds the newest visible
// object, and once nothing is visible, nothing.
TEST(SimLayerStates, LastInEveryCommandSkipsHiddenObjects) {
    testing::TempFolder folder("tessavue-simlast");
    SimHost host(Edition::LT2000);
    const Plan plan = DrawOnLayers(host);
    host.filedia = 0;
    const auto file = folder / "last.dxf";
    host.Type("dxfout " + file.string() + "\ro l  16 ");
    const auto exported = ReadDxf(testing::ReadFile(file));
    ASSERT_TRUE(exported);
    ASSERT_EQ(exported->entities.size(), 1u);
    EXPECT_EQ(exported->entities[0].layer, "B");

    host.Type("copy l  0,0 0,100 ");
    ASSERT_EQ(host.drawing().entities().size(), 5u);
    const Entity copy = host.drawing().entities().back();
    EXPECT_EQ(copy.layer, "B");
    EXPECT_EQ(copy.points[0], (Point{0, 120}));
    host.Type("erase l  erase l  ");  // the copy, then the line on B
    EXPECT_EQ(host.drawing().Find(plan.onVisible), nullptr);
    host.Type("rotate l  0,0 90 ");    // the line on 0 (A is off, F frozen)
    EXPECT_NEAR(host.drawing().Find(plan.onZero)->points[1].y, 10, 1e-12);
    host.Type("erase l  select l  ");
    EXPECT_EQ(LineFromEnd(host, 1), "検出数: 0");
    EXPECT_NE(host.drawing().Find(plan.onOff), nullptr);
    EXPECT_NE(host.drawing().Find(plan.onFrozen), nullptr);
}

// ---- long listings ----------------------------------------------------------------------

// LIST of one polyline: the command and its selection take 4 lines, the object 3 plus
// one a vertex. Each page of the text window is 24 lines; the pause line (with its
// answer) closes the page.
TEST(SimListingPause, LongListingsWaitForEnterPageByPage) {
    struct Row {
        int vertices;
        int pauses;  // worked out from the 4 + 3 + vertices lines, 24 a page
    };
    const Row rows[] = {
        {17, 0},  // 24 lines: the window is full, but nothing is left to show
        {18, 1},  // 25
        {37, 1},  // a 40-line listing: 20 on the first page, 20 on the second
        {41, 1},  // 48: two full pages
        {42, 2},  // 49
        {61, 2},  // 68
    };
    for (Edition edition : {Edition::LT2000, Edition::LT2006}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(TextsFor(edition).name) + " " + std::to_string(row.vertices) + " vertices");
            SimHost host(edition);
            const std::string pause(host.texts().listPause);
            std::vector<Point> vertices;
            for (int i = 0; i < row.vertices; ++i) vertices.push_back({i * 1.0000000000000002, 0.1 * i});
            host.drawing().AddPolyline(vertices, false);
            const std::size_t first = host.HistoryLines().size();
            host.Type("list l ");
            host.Type(" ");
            // What the palette does: Enter (a blank or a carriage return) while it waits.
            for (int answered = 0; host.CommandLineText() == pause && answered < 10; ++answered)
                host.Type(answered % 2 ? "\r" : " ");
            EXPECT_EQ(host.CommandLineText(), std::string(host.texts().idlePrompt));
            const auto lines = LinesFrom(host, first);
            EXPECT_EQ(CountEqual(lines, pause), row.pauses) << Dump(lines);
            EXPECT_EQ(CountHolding(lines, "位置 点"), row.vertices);
            EXPECT_EQ(lines.size(), 4u + 3u + static_cast<std::size_t>(row.vertices + row.pauses));
            // Every pause closes a page of 24 lines.
            std::size_t page = 0;
            for (const std::string& line : lines) {
                if (line == pause) {
                    EXPECT_EQ(page, 24u);
                    page = 0;
                } else {
                    ++page;
                }
            }
            EXPECT_LE(page, 24u);
            // The vertices in order, the last one last.
            EXPECT_NE(lines.back().find("位置 点"), std::string::npos) << lines.back();
        }
    }
}

TEST(SimListingPause, EscapeAtThePauseCancelsTheRest) {
    SimHost host(Edition::LT2006);
    std::vector<Point> vertices;
    for (int i = 0; i < 37; ++i) vertices.push_back({static_cast<double>(i), 0});
    host.drawing().AddPolyline(vertices, false);
    const std::size_t first = host.HistoryLines().size();
    host.Type("list l  ");
    EXPECT_EQ(host.CommandLineText(), "Enter キーを押して続行: ");
    host.Type("\x1b");
    EXPECT_EQ(host.CommandLineText(), "コマンド: ");
    EXPECT_FALSE(host.InCommand());
    const auto lines = LinesFrom(host, first);
    EXPECT_EQ(lines.back(), "Enter キーを押して続行: *キャンセル*");
    // The first page only: 24 lines, 17 of them vertices.
    EXPECT_EQ(lines.size(), 25u) << Dump(lines);
    EXPECT_EQ(CountHolding(lines, "位置 点"), 17);
}

// -LAYER ? pauses as LIST does, and the palette's reading (the line that begins with the
// layer's name and a blank) works on the page after the pause too.
TEST(SimListingPause, LayerListingPausesToo) {
    SimHost host(Edition::LT2000);
    for (int i = 1; i <= 30; ++i) host.drawing().AddLayer("L" + std::to_string(i));
    host.drawing().FindLayer("L30")->on = false;
    const std::size_t first = host.HistoryLines().size();
    host.Type("-layer ? \r");
    // 4 lines of the command, then the header and 19 layers fill the page.
    EXPECT_EQ(host.CommandLineText(), "ENTER ｷｰを押して続行: ");
    host.Type(" ");
    EXPECT_NE(host.CommandLineText().find("ｵﾌﾟｼｮﾝを入力"), std::string::npos);
    host.Type(" ");
    const auto lines = LinesFrom(host, first);
    EXPECT_EQ(CountEqual(lines, "ENTER ｷｰを押して続行: "), 1) << Dump(lines);
    EXPECT_EQ(CountHolding(lines, "CONTINUOUS"), 31);
    std::string l30;
    for (const std::string& line : lines)
        if (line.rfind("L30 ", 0) == 0) l30 = line;
    EXPECT_NE(l30.find("ｵﾌ"), std::string::npos) << l30;
    EXPECT_EQ(l30.find("ﾌﾘｰｽﾞ"), std::string::npos) << l30;
}

}  // namespace
}  // namespace tessavue::sim
