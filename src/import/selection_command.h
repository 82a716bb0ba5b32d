// The selection of an existing figure: the user selects plan objects and picks a base
// point in AutoCAD, and AutoCAD exports them into the work files (turned copies with
// "全て投影", the exploded copy when polylines or block references are selected).
// The user's drawing is the same afterwards as before.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "host/history_queries.h"
#include "host/host_link.h"
#include "import/work_files.h"

namespace tessavue {

// The full path of a work file as the Shift-JIS text AutoCAD is to receive. Only the
// platform knows how a wide path converts, so the palette passes its converter in.
using PathText = std::function<std::string(const std::filesystem::path&)>;

struct SelectionCommand {
    HostLink& Link;
    const ProgramFiles& Files;
    PathText PathToText;
    std::function<void(bool)> SetBusy;  // the palette's busy state
    bool ProjectAll = false;             // "全て投影": also export the plan turned both ways
};

// How a selection ended.
enum class SelectionOutcome {
    NotCaptured,  // AutoCAD could not be captured; the capture told the user
    Stopped,      // cancelled, nothing selected or the pick cancelled: no work files
    Exported,     // the work files are written and the drawing is as before
    Abandoned,    // a wait was abandoned; the drawing was put back while AutoCAD was there
    Failed,       // a command could not be typed (the clipboard stayed busy); the drawing
                  // was put back as far as it could be and the user told the rest
};

// `Button1Click`. `basePoint` changes only when the pick succeeds. The palette is
// busy from the first command typed to the end, on every path.
SelectionOutcome RunSelectionCommand(SelectionCommand& command, PlanPoint& basePoint);

}  // namespace tessavue
