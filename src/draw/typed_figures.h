// The figures typed straight into AutoCAD instead of inserted from a file: the
// round-bar bend (丸棒曲げ), drawn from isometric elliptical arcs that AutoCAD scales
// and turns, and the offset (オフセット), a copy of the user's objects along the face's
// depth joined to them at their corners.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_link.h"
#include "import/selection_command.h"
#include "import/work_files.h"

namespace tessavue {

// The command text of one isometric elliptical arc: the ellipse of a circle of radius
// r about (cx, cy), its first axis at `axisAngle` degrees, from `startAngle` to
// `endAngle` (true angles from that axis).
std::string IsoEllipseCommand(double cx, double cy, double r, double startAngle, double endAngle, double axisAngle);

// The bar diameter from which the bend's cap arcs would be scaled through zero:
// 2R / sqrt(4.5). A diameter must stay below it (and below the bend radius).
double LargestBendDiameter(double bendRadius);
std::string BarNotBelowBendRadiusMessage();
std::string BarTooThickForBendMessage(double bendRadius);
std::string BendFailedMessage();

// The bend about (px, py): the 8 outline arcs and 8 half cross-sections, each typed as
// one ellipse where it ends up, in four groups of four (one quarter of the bend each),
// each group checked in one copy of the history. When a command fails (cancelled, not
// typed, the wait abandoned) everything this bend drew is taken back and false comes
// back; the user is told unless the palette is closing.
bool DrawRoundBarBend(HostLink& link, double px, double py, double bendRadius, double barRadius,
                      std::int32_t sideTurn);

std::string OffsetHeightZeroMessage();

// The offset: the user selects objects; with `joinCorners` they are exported to the
// offset file and each distinct corner is joined to its copy on its own layer, and
// with `circleTangents` ("円、円弧の高さの線") each circle, arc and ellipse too where
// it runs along the offset; the copy goes `sign * height` along `direction` (degrees,
// as typed). The offset file is gone afterwards on every path, and the current layer
// is as before.
bool RunOffset(HostLink& link, const ProgramFiles& files, const PathText& pathText, int sign, double height,
               const std::string& direction, bool joinCorners, bool circleTangents);

}  // namespace tessavue
