// The commands the stand-in knows, and the object selection they share.
#pragma once

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

}  // namespace tessavue::sim
