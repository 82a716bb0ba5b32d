// DXF text as AutoCAD's dxfout lays it out, built from (code, value) pairs: codes
// right-aligned in three characters, CR LF line ends. Tests write plans with it
// instead of spelling files out line by line.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tessavue::testing {

// A polyline vertex with the bulge of the segment that starts there.
struct DxfVertex {
    double x = 0;
    double y = 0;
    double bulge = 0;
};

// Where and how a block is placed; columns and rows make an array (MINSERT).
struct DxfPlacement {
    double sx = 1, sy = 1, rotation = 0;
    int columns = 1, rows = 1;
    double columnSpacing = 0, rowSpacing = 0;
    double extrusionZ = 1;
};

// A layer of the LAYER table: a negative colour is off, flag 1 frozen.
struct DxfLayerEntry {
    std::string name;
    int colour = 7;
    int flags = 0;
};

// Builds DXF text: codes right-aligned in three characters, CR LF line ends.
class DxfText {
public:
    using Vertex = DxfVertex;
    using Placement = DxfPlacement;
    using LayerEntry = DxfLayerEntry;

    DxfText& Pair(int code, const std::string& value) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%3d", code);
        text_ += std::string(buffer) + "\r\n" + value + "\r\n";
        return *this;
    }
    DxfText& Line(const std::string& raw) {
        text_ += raw + "\r\n";
        return *this;
    }
    DxfText& Begin(const std::string& section) { return Pair(0, "SECTION").Pair(2, section); }
    DxfText& End() { return Pair(0, "ENDSEC"); }
    DxfText& LineEntity(double x1, double y1, double x2, double y2, const std::string& layer = "0") {
        return Pair(0, "LINE").Pair(8, layer).Pair(10, N(x1)).Pair(20, N(y1)).Pair(30, "0.0").Pair(11, N(x2)).Pair(
            21, N(y2)).Pair(31, "0.0");
    }
    DxfText& Circle(double x, double y, double r, const std::string& layer = "0") {
        return Pair(0, "CIRCLE").Pair(8, layer).Pair(10, N(x)).Pair(20, N(y)).Pair(30, "0.0").Pair(40, N(r));
    }
    DxfText& Arc(double x, double y, double r, double a0, double a1, const std::string& layer = "0") {
        return Pair(0, "ARC").Pair(8, layer).Pair(10, N(x)).Pair(20, N(y)).Pair(30, "0.0").Pair(40, N(r)).Pair(
            50, N(a0)).Pair(51, N(a1));
    }
    DxfText& Lwpolyline(const std::vector<std::pair<double, double>>& points, const std::string& layer = "0",
                        bool withCount = true) {
        Pair(0, "LWPOLYLINE").Pair(8, layer);
        if (withCount) Pair(90, std::to_string(points.size()));
        Pair(70, "0");
        for (const auto& [x, y] : points) Pair(10, N(x)).Pair(20, N(y));
        return *this;
    }
    DxfText& BulgedLwpolyline(const std::vector<Vertex>& points, bool closed, const std::string& layer = "0",
                              double extrusionZ = 1) {
        Pair(0, "LWPOLYLINE").Pair(8, layer).Pair(90, std::to_string(points.size())).Pair(70, closed ? "1" : "0");
        for (const Vertex& v : points) {
            Pair(10, N(v.x)).Pair(20, N(v.y));
            if (v.bulge != 0) Pair(42, N(v.bulge));
        }
        return Extrusion(extrusionZ);
    }
    // The R12 polyline: POLYLINE, its VERTEX entities, SEQEND. `flags` as group 70
    // (1 closed, 8 a 3-D polyline, 16 a mesh).
    DxfText& Polyline(const std::vector<Vertex>& points, int flags, const std::string& layer = "0") {
        Pair(0, "POLYLINE").Pair(8, layer).Pair(66, "1").Pair(10, "0.0").Pair(20, "0.0").Pair(30, "0.0").Pair(
            70, std::to_string(flags));
        for (const Vertex& v : points) {
            Pair(0, "VERTEX").Pair(8, layer).Pair(10, N(v.x)).Pair(20, N(v.y)).Pair(30, "0.0");
            if (v.bulge != 0) Pair(42, N(v.bulge));
        }
        return Pair(0, "SEQEND").Pair(8, layer);
    }
    // Centre and major semi-axis in world coordinates, parameters in radians.
    DxfText& Ellipse(double cx, double cy, double majorX, double majorY, double ratio, double start, double end,
                     const std::string& layer = "0", double extrusionZ = 1) {
        Pair(0, "ELLIPSE").Pair(8, layer).Pair(10, N(cx)).Pair(20, N(cy)).Pair(30, "0.0").Pair(11, N(majorX)).Pair(
            21, N(majorY)).Pair(31, "0.0");
        Extrusion(extrusionZ);
        return Pair(40, N(ratio)).Pair(41, N(start)).Pair(42, N(end));
    }
    DxfText& Insert(const std::string& name, double x, double y, const Placement& p = Placement(),
                    const std::string& layer = "0") {
        Pair(0, "INSERT").Pair(8, layer).Pair(2, name).Pair(10, N(x)).Pair(20, N(y)).Pair(30, "0.0");
        if (p.sx != 1) Pair(41, N(p.sx));
        if (p.sy != 1) Pair(42, N(p.sy));
        if (p.rotation != 0) Pair(50, N(p.rotation));
        if (p.columns != 1) Pair(70, std::to_string(p.columns));
        if (p.rows != 1) Pair(71, std::to_string(p.rows));
        if (p.columnSpacing != 0) Pair(44, N(p.columnSpacing));
        if (p.rowSpacing != 0) Pair(45, N(p.rowSpacing));
        return Extrusion(p.extrusionZ);
    }
    // A block definition: its entities follow, EndBlock closes it (inside BLOCKS).
    DxfText& Block(const std::string& name, double baseX, double baseY) {
        return Pair(0, "BLOCK").Pair(8, "0").Pair(2, name).Pair(70, "0").Pair(10, N(baseX)).Pair(20, N(baseY)).Pair(
            30, "0.0").Pair(3, name);
    }
    DxfText& EndBlock() { return Pair(0, "ENDBLK").Pair(8, "0"); }
    // The TABLES section with a LAYER table: a negative colour is off, flag 1 frozen.
    DxfText& LayerTable(const std::vector<LayerEntry>& layers) {
        Begin("TABLES").Pair(0, "TABLE").Pair(2, "LAYER").Pair(70, std::to_string(layers.size()));
        for (const LayerEntry& l : layers)
            Pair(0, "LAYER").Pair(2, l.name).Pair(70, std::to_string(l.flags)).Pair(62, std::to_string(l.colour)).Pair(
                6, "CONTINUOUS");
        return Pair(0, "ENDTAB").End();
    }
    // Group 210..230 when the extrusion is not the usual (0, 0, 1).
    DxfText& Extrusion(double z) {
        if (z != 1) Pair(210, "0.0").Pair(220, "0.0").Pair(230, N(z));
        return *this;
    }
    DxfText& Eof() { return Pair(0, "EOF"); }
    // A header, an empty tables section and the opening of ENTITIES.
    DxfText& Opening() {
        return Begin("HEADER").Pair(9, "$ACADVER").Pair(1, "AC1009").Pair(9, "$HANDSEED").Pair(5, "2F").Pair(
            9, "$EXTMIN").Pair(10, "0.0").Pair(20, "0.0").End().Begin("ENTITIES");
    }
    const std::string& str() const { return text_; }

    static std::string N(double v) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.17g", v);
        return buffer;
    }

private:
    std::string text_;
};

}  // namespace tessavue::testing
