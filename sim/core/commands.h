// The commands the stand-in knows, and the object selection they share.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host.h"

namespace tessavue::sim {

// The command called `name` (lower case, prefixes removed), or null when AutoCAD
// would not know it.
std::unique_ptr<Command> MakeCommand(const std::string& name);

// AutoCAD's "Select objects:" loop: keywords, typed points, picks and windows add to
// the set until an empty answer ends it.
class ObjectSelector {
public:
    void Begin(SimHost& host);
    // Each returns true once the selection has ended (the set is then final and has
    // become the previous selection set when it is not empty).
    bool Answer(SimHost& host, const std::string& text);
    bool Click(SimHost& host, Point p);
    bool Window(SimHost& host, Point a, Point b);
    const std::vector<int>& selected() const { return set_; }

private:
    enum class Corner { None, FirstWindow, FirstCrossing, Opposite };
    void Add(SimHost& host, const std::vector<int>& ids, bool onSameLine);
    void AddRectangle(SimHost& host, Point a, Point b, bool onSameLine, std::optional<bool> crossing);
    void Prompt(SimHost& host);
    bool End(SimHost& host);

    std::vector<int> set_;
    Corner corner_ = Corner::None;
    std::optional<bool> forcedCrossing_;
    Point firstCorner_{};
};

// How many lines AutoCAD's text window shows above the line that waits for input, as
// it opens. A listing that has filled them stops, so nothing scrolls away unread.
inline constexpr std::size_t kTextWindowLines = 24;

// A listing (LIST, -LAYER's "?") as the text window takes it: lines go up until the
// window is full, counted from the command's echo line or from the last pause, then
// it asks for Enter before it goes on. Esc at that prompt cancels the command as at any
// other, and what was still to come is never shown.
class ListingPager {
public:
    // A line to show after those still waiting.
    void Add(std::string line) { waiting_.push_back(std::move(line)); }
    // Shows waiting lines: true once none is left, false while the pause waits.
    bool Show(SimHost& host);
    // The answer at the pause (any answer goes on, as Enter); then as Show.
    bool Continue(SimHost& host);
    bool Paused() const { return paused_; }

private:
    std::deque<std::string> waiting_;
    std::optional<std::size_t> pageStart_;  // LinesShown() where the window's page began
    bool paused_ = false;
};

// Whether `name` matches one of the comma-separated `patterns` of AutoCAD's wildcards
// ("*" any run, "?" any one character), ASCII letters without regard to case.
bool MatchesAny(const std::string& name, const std::string& patterns);

}  // namespace tessavue::sim
