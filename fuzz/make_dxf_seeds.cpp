// Writes the stand-in's exports of every figure kind as seeds for the DXF targets,
// UTF-8 (this file is compiled without a code page for its literals). Run once by
// hand; its files are kept in fuzz/corpus/:
//
//   g++ -std=c++20 -Isim -Ibuild/native/include_views/tessavue_seams fuzz/make_dxf_seeds.cpp \
//       build/native/sim/libtessavue_sim_core.a -o /tmp/make_dxf_seeds && /tmp/make_dxf_seeds fuzz/seeds-dxf
#include <filesystem>
#include <fstream>
#include <string>

#include "core/drawing.h"
#include "core/dxf_file.h"

using namespace tessavue::sim;

namespace {

void Write(const std::filesystem::path& folder, const std::string& name, const Drawing& drawing) {
    for (const DxfVersion version : {DxfVersion::R12, DxfVersion::R2000}) {
        const std::string suffix = version == DxfVersion::R12 ? "-r12.dxf" : "-2000.dxf";
        std::ofstream(folder / (name + suffix), std::ios::binary) << WriteDxf(drawing, std::nullopt, version, 16);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);

    {  // 既存図形: a plan with sixteen digits, every kind of outline, a hidden layer.
        Drawing d;
        d.AddLayer("外形");
        d.AddLayer("hidden").on = false;
        d.SetCurrentLayer("外形");
        d.AddLine({1234.567890123456, -98.76543210987654}, {1334.567890123456, -48.76543210987654});
        d.AddCircle({1300.25, -20.125}, 12.5);
        d.AddArc({1250.1, 10.2}, 33.333333333333336, 30, 300);
        d.AddEllipse({1400, 0}, {40, 15}, 0.4, 20, 250);
        d.AddPolyline({{1200, -100}, {1260, -100}, {1260, -60}}, true);
        d.SetCurrentLayer("hidden");
        d.AddLine({0, 0}, {10, 10});
        Write(folder, "existing-figure", d);
    }
    {  // 既存図形: blocks inside blocks, turned and unevenly scaled, and a mirrored circle.
        Drawing d;
        Block wheel{"WHEEL", {2.5, -1}, {}};
        Entity c;
        c.kind = EntityKind::Circle;
        c.points = {{5, 5}};
        c.radius = 3;
        wheel.entities.push_back(c);
        Entity l;
        l.kind = EntityKind::Line;
        l.points = {{0, 0}, {10, 0}};
        wheel.entities.push_back(l);
        d.DefineBlock(wheel);
        Block cart{"CART", {0, 0}, {}};
        Entity i;
        i.kind = EntityKind::Insert;
        i.block = "WHEEL";
        i.points = {{20, 0}};
        i.scaleX = 2;
        i.scaleY = 0.5;
        i.rotation = 30;
        cart.entities.push_back(i);
        d.DefineBlock(cart);
        d.AddInsert("CART", {100.5, 200.25}, 1, 1, 45);
        d.AddInsert("WHEEL", {-50, 0}, -1, 1, 0);
        Entity m;
        m.kind = EntityKind::Circle;
        m.points = {{-7, 3}};
        m.radius = 2;
        m.normalZ = -1;
        d.Add(m);
        Write(folder, "nested-blocks", d);
    }
    {  // 円, 四角, 六角 and 既存軸: the figure template, one short line up from a picked point.
        Drawing d;
        d.AddLine({512.3456789012345, 128.5}, {512.3456789012345, 129.5});
        Write(folder, "figure-template", d);
    }
    {  // 文字: a text with Japanese.
        Drawing d;
        d.AddText({10, 20}, 2.5, 0, "部品 A-1");
        Write(folder, "text", d);
    }
    {  // 寸法: a dimension and its picture block, as the stand-in's DIMLINEAR makes them.
        Drawing d;
        Entity line;
        line.kind = EntityKind::Line;
        line.points = {{0, 10}, {100, 10}};
        Entity value;
        value.kind = EntityKind::Text;
        value.points = {{45, 11}};
        value.height = 2.5;
        value.text = "100";
        d.DefineBlock(Block{"*D1", {0, 0}, {line, value}});
        Entity e;
        e.kind = EntityKind::Dimension;
        e.block = "*D1";
        e.text = "100";
        e.points = {{0, 0}, {100, 0}, {0, 10}, {100, 10}, {50, 10}};
        d.Add(e);
        Write(folder, "dimension", d);
    }
    {  // オフセット: lines, a polyline and curves whose corners are joined.
        Drawing d;
        d.AddLine({0, 0}, {30, 0});
        d.AddLine({30, 0}, {30, 20});
        d.AddPolyline({{40, 0}, {60, 0}, {60, 15}, {40, 15}}, true);
        d.AddCircle({80, 10}, 7.5);
        d.AddArc({100, 10}, 5, 0, 180);
        Write(folder, "offset", d);
    }
    return 0;
}
