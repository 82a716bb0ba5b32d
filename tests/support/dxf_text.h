// DXF text as AutoCAD's dxfout lays it out, built from (code, value) pairs: codes
// right-aligned in three characters, CR LF line ends. Tests write plans with it
// instead of spelling files out line by line.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tessavue::testing {

// Builds DXF text: codes right-aligned in three characters, CR LF line ends.
class DxfText {
public:
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
