// The one in-memory model of imported plan geometry: 500 rows for the whole run,
// filled from row 0 without gaps; the first empty row (Kind -1) ends the table.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tessavue {

struct EntityRecord {
    std::int32_t Kind = -1;  // -1 empty, 0 line, 1 circle, 2 arc, 3 ellipse (whole, or an arc of one)
    std::string Layer = "0";
    double X1 = 0;  // line start X / centre X, minus base X
    double Y1 = 0;  // line start Y / centre Y, minus base Y
    double X2 = 0;  // line end X minus base X / radius / ellipse: X of the major semi-axis
    double Y2 = 0;  // line end Y minus base Y / arc start angle (degrees) / ellipse: Y of the major semi-axis
    double EndAngle = 0;  // arc end angle / ellipse end parameter (degrees)
    // An ellipse runs counter-clockwise through centre + cos t * major + sin t * Ratio *
    // (major turned by +90 degrees), t from StartParameter to EndAngle (0 to 360 whole).
    // An arc or a circle under uneven scales becomes one.
    double Ratio = 1;            // ellipse: minor / major
    double StartParameter = 0;   // ellipse: start parameter (degrees)
};

inline constexpr int kEntityRows = 500;
using EntityTableRows = std::array<EntityRecord, kEntityRows>;

// The table of the running program.
EntityTableRows& EntityTable();

// Every row gets Kind -1 and Layer "0"; the numbers keep what they held.
void ClearEntityTable();
void ClearEntityTable(EntityTableRows& table);

}  // namespace tessavue
