// The offset's joining lines typed into AutoCAD: one line from each distinct point the
// offset reader collects to the point's copy. Kept apart from the readers, which are
// plain functions of a file's lines, so that they link without the host link.
#pragma once

#include <filesystem>
#include <string>

#include "host/host_link.h"

namespace tessavue {

// The command that draws one connecting line from (x, y): "line x,y @len<angle  ".
std::string ConnectorCommand(double x, double y, double length, const std::string& angleText);

// For each collected vertex, and with `tangents` for each tangent point of the
// circles, arcs and ellipses after them: draws the line of length sign * height in
// the direction angleText on the point's layer, made current only when it differs
// from the previous line's. False when a wait on AutoCAD was abandoned (the rest is
// then not drawn).
bool DrawOffsetConnectors(HostLink& link, const std::filesystem::path& path, int sign, double height,
                          const std::string& angleText, bool tangents);

}  // namespace tessavue
