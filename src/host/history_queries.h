// What the palette reads back from AutoCAD: whether a command was cancelled, whether
// objects were selected, the point the user picked, the current layer; and the layer
// switch. Most answers come from AutoCAD's command history ("copyhist " puts it on the
// clipboard), searched from its end; the searches are plain functions of the history
// lines so they can be checked on history texts alone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/host_link.h"

namespace tessavue {

// ---- searches over history lines ----------------------------------------------------

// The clipboard text split at CR LF, CR or LF; an empty final piece is not a line.
std::vector<std::string> SplitHistoryLines(const std::string& text);

// From the last line back to the echo line `echoLine` (the idle prompt followed by
// what was typed): whether a line on the way marks a cancelled command.
bool HistoryShowsCancel(const std::vector<std::string>& lines, const std::string& echoLine);

// Whether the last `count` commands echoed as `echoLine` are all in the history and
// none of them, nor anything after them, was cancelled: one look at the history for a
// group of commands that act on nothing drawn before them.
bool HistoryShowsAllFinished(const std::vector<std::string>& lines, const std::string& echoLine,
                             std::size_t count);

// Whether the last object count in the history is not zero; a "select" line below
// every count means nothing was counted yet.
bool HistoryShowsNonZeroCount(const std::vector<std::string>& lines);

// Whether the line after the last "pre" line exists and is not AutoCAD's answer that
// there is no previous selection set.
bool HistoryShowsPreviousSelection(const std::vector<std::string>& lines);

// The name in double quotes on the last line that begins with "現在の画層"; "0" when
// there is none.
std::string CurrentLayerInHistory(const std::vector<std::string>& lines);

struct PlanPoint {
    double X = 0;
    double Y = 0;
};
// X and Y of the value AutoCAD shows between angle brackets in its LASTPOINT prompt
// ("<12.5,-3.25,0>"); nullopt when they are not decimal numbers (another unit format).
std::optional<PlanPoint> LastPointInPrompt(const std::string& commandLine);

// Whether the command line asks for Enter before a listing goes on: AutoCAD stops a
// listing longer than its text window so that the user can read it. The wording
// differs by edition; every one asks for the Enter key by name.
bool IsListingPause(const std::string& commandLine);

// ---- queries that drive AutoCAD ---------------------------------------------------------

// Types a command that lists (LIST, the layer listing) and waits for the idle prompt,
// answering every pause of the listing with Enter: the palette asked for the listing,
// so the user is not made to page through it. False when it could not be typed or the
// wait was abandoned.
bool RunHostListing(HostLink& link, const std::string& command);

struct HostHistory {
    std::vector<std::string> lines;
    // False when "copyhist " did not finish (the wait was abandoned) or the clipboard
    // could not be read: the lines are then no history to trust.
    bool finished = false;
    // Whether "copyhist " was typed: AutoCAD records it as an undo step, so a command
    // that must undo its steps has to know.
    bool typed = false;
};

HostHistory CopyHostHistory(HostLink& link);
// True when the command whose echo is `echo` was cancelled, or the history is unreadable.
bool WasCommandCancelled(HostLink& link, const std::string& echo);
bool HistoryShowsSelection(HostLink& link);
bool HasPreviousSelection(HostLink& link);
// The point AutoCAD used last; false when the wait ended or the value is no number.
bool ReadLastPoint(HostLink& link, double& x, double& y);
// Lets the user pick a point in AutoCAD ("id"); false when cancelled.
bool PickPointInHost(HostLink& link, double& x, double& y);
std::string GetCurrentLayer(HostLink& link);
// Makes `name` the current layer; false when AutoCAD refuses the name (its layer
// command is then cancelled back to the idle prompt) or the wait ended.
bool SetCurrentLayer(HostLink& link, const std::string& name);

}  // namespace tessavue
