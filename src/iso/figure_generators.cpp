#include "iso/figure_generators.h"

#include <cmath>
#include <cstddef>

#include "iso/dxf_writer.h"
#include "iso/projection.h"

namespace tessavue {
namespace {

// The plan rows as lines in the face's frame, in order.
std::string LinesInFrame(const std::string& layer, std::int32_t faceCode, std::int32_t heightSign,
                         const EntityTableRows& table, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        const EntityRecord& row = table[i];
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        RotateForFace(faceCode, heightSign, row.X1, row.Y1, 0, x0, y0);
        RotateForFace(faceCode, heightSign, row.X2, row.Y2, 0, x1, y1);
        text += LineRecord(layer, x0, y0, x1, y1);
    }
    return text;
}

void SetLine(EntityRecord& row, const std::string& layer, double x1, double y1, double x2, double y2) {
    row.Kind = 0;
    row.Layer = layer;
    row.X1 = x1;
    row.Y1 = y1;
    row.X2 = x2;
    row.Y2 = y2;
}

}  // namespace

std::string CircleFigureText(const std::string& layer, double r, EntityTableRows& table) {
    EntityRecord& row = table[0];
    row.Kind = 1;
    row.Layer = layer;
    row.X1 = 0;
    row.Y1 = 0;
    row.X2 = r;
    return CircleRecord(layer, 0, 0, r);
}

std::string SquareFigureText(const std::string& layer, std::int32_t faceCode, std::int32_t heightSign, double ySide,
                             double xSide, EntityTableRows& table) {
    const double h = xSide * 0.5;
    const double k = ySide * 0.5;
    const double mh = (-xSide) * 0.5;
    const double mk = (-ySide) * 0.5;
    SetLine(table[0], layer, mh, k, h, k);
    SetLine(table[1], layer, h, k, h, mk);
    SetLine(table[2], layer, h, mk, mh, mk);
    SetLine(table[3], layer, mh, mk, mh, k);
    return LinesInFrame(layer, faceCode, heightSign, table, 4);
}

std::string HexagonFigureText(const std::string& layer, std::int32_t faceCode, std::int32_t heightSign, double s,
                              double g, EntityTableRows& table) {
    const double corner = s / std::sqrt(3.0);
    // Each corner is worked out once and ends one edge and begins the next: the last
    // edge ends on the first corner itself, not on the same corner a turn later (330
    // degrees instead of -30, a few bits off), which would stand a second height line
    // beside the first.
    double x[6];
    double y[6];
    for (int i = 0; i < 6; ++i) {
        // The whole degrees first, then the start angle, as the corners are defined.
        const double a = Radians(static_cast<double>(60 * i - 30) + g);
        x[i] = std::cos(a) * corner;
        y[i] = std::sin(a) * corner;
    }
    for (int i = 0; i < 6; ++i) {
        const int next = (i + 1) % 6;
        SetLine(table[static_cast<std::size_t>(i)], layer, x[i], y[i], x[next], y[next]);
    }
    return LinesInFrame(layer, faceCode, heightSign, table, 6);
}

}  // namespace tessavue
