#include "import/offset_connectors.h"

#include <optional>

#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"
#include "host/history_queries.h"
#include "import/dxf_reader.h"

namespace tessavue {

std::string ConnectorCommand(double x, double y, double length, const std::string& angleText) {
    return "line " + NumberText(x) + "," + NumberText(y) + " @" + NumberText(length) + "<" + angleText + "  ";
}

bool DrawOffsetConnectors(HostLink& link, const std::filesystem::path& path, int sign, double height,
                          const std::string& angleText, bool tangents) {
    const DxfLines lines = LoadDxfLinesOrRaise(path);
    VertexSet set = CollectOffsetVertices(lines, path);
    if (tangents) {
        const VertexSet more = CollectOffsetTangents(lines, path, StrToFloat(angleText));
        for (std::size_t i = 0; i < more.Count(); ++i) AddVertexOnce(set, more.X[i], more.Y[i], more.Layer[i]);
    }
    // Each layer change is a command and a wait on AutoCAD: made only when needed.
    std::optional<std::string> current;
    for (std::size_t i = 0; i < set.Count(); ++i) {
        if (current != set.Layer[i]) {
            // A layer AutoCAD refuses leaves the line on the current layer; it is drawn anyway.
            SetCurrentLayer(link, set.Layer[i]);
            if (link.WaitsAbandoned()) return false;
            current = set.Layer[i];
        }
        if (!link.RunHostCommand(ConnectorCommand(set.X[i], set.Y[i], sign * height, angleText))) return false;
    }
    return true;
}

}  // namespace tessavue
