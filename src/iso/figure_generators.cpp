#include "iso/figure_generators.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

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

std::vector<EntityRecord> AxisFigureRows(std::int32_t faceCode, const AxisLine& centre, const EntityRecord* outline,
                                         std::size_t count) {
    const bool vertical = centre.X1 == centre.X2;
    if (!vertical && centre.Y1 != centre.Y2) return {};
    const double c = vertical ? centre.X1 : centre.Y1;
    // Rows as (along, across) the axis: "across" is the distance from it.
    std::vector<const EntityRecord*> rows;
    for (std::size_t i = 0; i < count; ++i) {
        const EntityRecord& row = outline[i];
        if (row.Kind == -1 || rows.size() >= static_cast<std::size_t>(kEntityRows)) break;
        if (row.Kind != 0) continue;
        const bool qualifies = vertical ? row.X1 > c && row.X2 > c : row.Y1 > c && row.Y2 > c;
        if (qualifies) rows.push_back(&row);
    }
    if (rows.empty()) return {};

    // The station the axis starts from: the outline's top for a vertical axis, its end
    // toward the face for a horizontal one.
    double origin = vertical ? rows.front()->Y1 : rows.front()->X1;
    const auto further = [&](double v) {
        if (vertical || faceCode == 2 ? v > origin : v < origin) origin = v;
    };
    for (const EntityRecord* row : rows) {
        further(vertical ? row->Y1 : row->X1);
        further(vertical ? row->Y2 : row->X2);
    }
    const double stretch = std::sqrt(2.0);
    std::vector<EntityRecord> figure;
    std::vector<std::pair<double, double>> stations;
    const auto circle = [&](double x, double y) {
        for (const auto& known : stations)
            if (known.first == x && known.second == y) return;
        stations.emplace_back(x, y);
        EntityRecord& row = figure.emplace_back();
        row.Kind = 1;
        row.X1 = vertical ? 0 : stretch * (x - origin);
        row.Y1 = vertical ? stretch * (y - origin) : 0;
        row.X2 = vertical ? x - c : y - c;
    };
    const auto line = [&](double x1, double y1, double x2, double y2) {
        EntityRecord& row = figure.emplace_back();
        row.Kind = 0;
        row.X1 = x1;
        row.Y1 = y1;
        row.X2 = x2;
        row.Y2 = y2;
    };
    for (const EntityRecord* row : rows) {
        circle(row->X1, row->Y1);
        circle(row->X2, row->Y2);
        if (vertical && row->X1 == row->X2) {
            const double y1 = stretch * (row->Y1 - origin);
            const double y2 = stretch * (row->Y2 - origin);
            line(row->X1 - c, y1, row->X2 - c, y2);
            line((row->X1 - c) * -1, y1, (row->X2 - c) * -1, y2);
        } else if (!vertical && row->Y1 == row->Y2) {
            const double x1 = stretch * (row->X1 - origin);
            const double x2 = stretch * (row->X2 - origin);
            line(x1, row->Y1 - c, x2, row->Y2 - c);
            line(x1, (row->Y1 - c) * -1, x2, (row->Y2 - c) * -1);
        }
    }
    return figure;
}

std::string AxisFigureText(const std::string& layer, std::int32_t faceCode, const AxisLine& centre,
                           const EntityTableRows& outline) {
    std::string text;
    for (const EntityRecord& row : AxisFigureRows(faceCode, centre, outline.data(), outline.size()))
        text += row.Kind == 1 ? CircleRecord(layer, row.X1, row.Y1, row.X2)
                              : LineRecord(layer, row.X1, row.Y1, row.X2, row.Y2);
    return text;
}

}  // namespace tessavue
