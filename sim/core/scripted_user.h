// A scripted user: the person at AutoCAD who picks points, selects objects and types
// answers while a command waits. It acts only while the host waits inside a command
// (never at the idle prompt), one action per step.
//
// Script format: one action a line; blank lines and lines starting with '#' (after
// leading blanks) are ignored. Coordinates are "x,y" in drawing units.
//
//   pick X,Y             a click at X,Y: a point at a point prompt; at an object prompt
//                        the object within the pick box there, or the first corner of
//                        an implied window when there is none
//   select X,Y           a click meant for an object at X,Y (the same click as pick)
//   window X1,Y1 X2,Y2   a selection window dragged from the first to the second corner
//                        (dragged to the left it is a crossing window, as in AutoCAD)
//   type TEXT            TEXT typed as it stands after "type " (blanks included), with
//                        the C escapes \r (carriage return), \n, \t, \e (ESC), \\ and
//                        \xHH (any byte); the script's other bytes are taken as they
//                        are, so Japanese text is written in Shift-JIS
//   enter                a carriage return
//   esc                  the ESC key
//
// Clicks and windows wait for a point or object prompt; at a text prompt (a keyword or
// a number, which a program driving AutoCAD answers by typing) they are not taken. A
// window at a point prompt is used up without effect, as a drag AutoCAD ignores.
// A point prompt a program answers itself (LASTPOINT's, say) can still take a click
// meant for a later prompt: where the timing matters, answer from outside once the
// prompt is there (tessavue-driver sim-wait-prompt, or the end-to-end tests' own
// waits) instead of scripting the clicks ahead.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host.h"

namespace tessavue::sim {

struct UserAction {
    enum class Kind { Pick, Select, Window, Type } kind = Kind::Type;
    Point a{};
    Point b{};
    std::string text;  // Type: the bytes to type (enter and esc are typed too)
    friend bool operator==(const UserAction&, const UserAction&) = default;
};

class ScriptedUser {
public:
    ScriptedUser() = default;
    explicit ScriptedUser(std::vector<UserAction> actions) : actions_(std::move(actions)) {}

    // nullopt and a message naming the line when the script has a bad line.
    static std::optional<ScriptedUser> Parse(const std::string& script, std::string* error = nullptr);

    // Takes the next action when the host waits inside a command; true when it acted.
    bool Step(SimHost& host);
    bool Finished() const { return next_ >= actions_.size(); }
    std::size_t Remaining() const { return actions_.size() - next_; }
    const std::vector<UserAction>& actions() const { return actions_; }

private:
    std::vector<UserAction> actions_;
    std::size_t next_ = 0;
};

}  // namespace tessavue::sim
