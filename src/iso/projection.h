// The small geometric routines of the isometric projection: the turn into the
// pre-insertion frame, plan directions, the arc test and the point set of the height
// lines, the direct projection of the two-face drawing, and the field reader of its
// comma lists. No I/O and no palette here: what the routines depend on comes in as
// arguments.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "dxf_data/entity_table.h"

namespace tessavue {

// Degrees to radians as every angle of the program is formed: degrees x (1/180) x pi,
// in that order, so that typed and written numbers agree to the last digit.
double Radians(double degrees);

// Maps a plan point relative to the base point into the pre-insertion frame of the
// face: turned by the face angle, then `lift` (0 for the bottom, e x H for the top)
// added along +Y times sqrt(2) with the height sign. For a face code outside 0..3
// returns false and leaves X and Y as they were.
bool RotateForFace(std::int32_t faceCode, std::int32_t heightSign, double x, double y, double lift, double& X,
                   double& Y);

// The direction of a plan vector in degrees, 0 <= result < 360. A zero vector
// points at 90 degrees.
double PlanAngle(double dx, double dy);

// Whether the circle or arc of `row` passes through the direction `angleRadians`
// from its centre (both arc ends included; an arc whose start angle exceeds its end
// angle crosses 0 degrees); for an ellipse row, whether its parameter range holds
// the parameter `angleRadians` (a whole ellipse runs from 0 to 360 degrees).
// `figureKind` is the figure-kind selector's text and `circleHeightLines` the check
// mark of "円、円弧の高さの線": for an existing figure without that mark no circle,
// arc or ellipse gets height lines.
bool ArcCoversAngle(const EntityRecord& row, double angleRadians, const std::string& figureKind,
                    bool circleHeightLines);

// The foot points of the height lines of one draw command, each kept once per layer.
inline constexpr int kHeightLinePoints = 1000;
struct HeightLinePoints {
    std::array<double, kHeightLinePoints> X{};
    std::array<double, kHeightLinePoints> Y{};
    std::array<std::string, kHeightLinePoints> Layer;
    int Count = 0;
};

// Appends (x, y, layer) unless the same triple (exact equality) is present; at 1000
// points further ones are dropped. True when the point was appended.
bool AddPointOnce(HeightLinePoints& points, double x, double y, const std::string& layer);

// A plan displacement projected straight onto a top face (codes 0 and 1), for the
// two-face drawing. False, and X and Y untouched, for any other face code.
bool ProjectIsoDelta(std::int32_t faceCode, double dx, double dy, double& X, double& Y);

// Field n (from 0) of a comma-separated text; "" for a negative n, an empty field or
// a field past the end.
std::string ListField(const std::string& list, int n);

}  // namespace tessavue
