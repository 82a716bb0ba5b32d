// The stand-in's command table and what the commands share. The commands themselves
// live in one file per family:
//
//   command     aliases        family (file)
//   LINE        L              drawing_commands.cpp
//   ELLIPSE     EL             drawing_commands.cpp
//   TEXT        DTEXT          drawing_commands.cpp
//   DIMLINEAR   DLI            drawing_commands.cpp
//   CIRCLE      C              curve_commands.cpp
//   ARC         A              curve_commands.cpp
//   PLINE       PL             curve_commands.cpp
//   ERASE       E              changing_commands.cpp
//   ROTATE      RO             changing_commands.cpp
//   SCALE       SC             changing_commands.cpp
//   COPY        CO, CP         changing_commands.cpp
//   EXPLODE     X              changing_commands.cpp
//   U                          changing_commands.cpp
//   SELECT                     asking_commands.cpp
//   LIST        LI             asking_commands.cpp
//   ID                         asking_commands.cpp
//   LASTPOINT                  asking_commands.cpp
//   COPYHIST                   asking_commands.cpp
//   DXFOUT                     file_commands.cpp
//   INSERT                     file_commands.cpp
//   PURGE                      file_commands.cpp
//   LAYER                      settings_commands.cpp
//   UCS                        settings_commands.cpp
//   FILEDIA                    settings_commands.cpp
//   LUNITS                     settings_commands.cpp
//   LUPREC                     settings_commands.cpp
//   DIMDEC                     settings_commands.cpp
//   WORLDUCS (read only)       settings_commands.cpp
//
// Shared here: the object selection, the paging of long listings and the matching of
// names against wildcards.
//
// Names arrive lower-cased with AutoCAD's "_", "-" and "." prefixes removed, so
// "-insert" and "_explode" find INSERT and EXPLODE here.
#include "commands.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "command_families.h"
#include "text.h"

namespace tessavue::sim {

std::unique_ptr<Command> MakeCommand(const std::string& name) {
    using Factory = std::unique_ptr<Command> (*)();
    static const std::map<std::string, Factory> commands = {
        {"line", MakeLineCommand},         {"l", MakeLineCommand},
        {"ellipse", MakeEllipseCommand},   {"el", MakeEllipseCommand},
        {"text", MakeTextCommand},         {"dtext", MakeTextCommand},
        {"dimlinear", MakeDimLinearCommand}, {"dli", MakeDimLinearCommand},
        {"circle", MakeCircleCommand},     {"c", MakeCircleCommand},
        {"arc", MakeArcCommand},           {"a", MakeArcCommand},
        {"pline", MakePlineCommand},       {"pl", MakePlineCommand},
        {"erase", MakeEraseCommand},       {"e", MakeEraseCommand},
        {"rotate", MakeRotateCommand},     {"ro", MakeRotateCommand},
        {"scale", MakeScaleCommand},       {"sc", MakeScaleCommand},
        {"copy", MakeCopyCommand},         {"co", MakeCopyCommand},
        {"cp", MakeCopyCommand},
        {"explode", MakeExplodeCommand},   {"x", MakeExplodeCommand},
        {"u", MakeUndoCommand},
        {"select", MakeSelectCommand},
        {"list", MakeListCommand},         {"li", MakeListCommand},
        {"id", MakeIdCommand},
        {"lastpoint", MakeLastPointCommand},
        {"copyhist", MakeCopyHistCommand},
        {"dxfout", MakeDxfOutCommand},
        {"insert", MakeInsertCommand},
        {"purge", MakePurgeCommand},
        {"layer", MakeLayerCommand},
        {"ucs", MakeUcsCommand},
        {"filedia", MakeFiledialogCommand},
        {"lunits", MakeLinearUnitsCommand},
        {"luprec", MakeUnitPrecisionCommand},
        {"dimdec", MakeDimensionDecimalsCommand},
        {"worlducs", MakeWorldUcsCommand},
    };
    const auto it = commands.find(name);
    if (it == commands.end()) return nullptr;
    return it->second();
}

bool ListingPager::Show(SimHost& host) {
    if (!pageStart_) pageStart_ = host.CommandStartLine();
    while (!waiting_.empty()) {
        if (host.LinesShown() - *pageStart_ >= kTextWindowLines) {
            paused_ = true;
            host.Ask(PromptKind::Text, host.texts().listPause);
            return false;
        }
        host.Message(waiting_.front());
        waiting_.pop_front();
    }
    return true;
}

bool ListingPager::Continue(SimHost& host) {
    paused_ = false;
    // The pause line with its answer is the last of the old page.
    pageStart_ = host.LinesShown();
    return Show(host);
}

// A name matched against one pattern of AutoCAD's wildcards: "*" any run, "?" any one
// character; ASCII letters without regard to case.
static bool MatchesWildcard(const std::string& name, const std::string& pattern) {
    const std::string n = AsciiUpper(name);
    const std::string p = AsciiUpper(pattern);
    std::size_t ni = 0, pi = 0, starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++ni;
            ++pi;
        } else if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool MatchesAny(const std::string& name, const std::string& patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t comma = patterns.find(',', start);
        const std::string one = patterns.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!one.empty() && MatchesWildcard(name, one)) return true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return false;
}

void ObjectSelector::Begin(SimHost& host) {
    set_.clear();
    corner_ = Corner::None;
    Prompt(host);
}

void ObjectSelector::Prompt(SimHost& host) {
    corner_ = Corner::None;
    host.Ask(PromptKind::Objects, host.texts().selectObjects);
}

bool ObjectSelector::End(SimHost& host) {
    // Erased objects drop out of the set.
    std::erase_if(set_, [&](int id) { return host.drawing().Find(id) == nullptr; });
    if (!set_.empty()) host.SetPreviousSelection(set_);
    return true;
}

void ObjectSelector::Add(SimHost& host, const std::vector<int>& ids, bool onSameLine) {
    int found = 0;
    int duplicates = 0;
    for (int id : ids) {
        ++found;
        if (std::find(set_.begin(), set_.end(), id) != set_.end()) {
            ++duplicates;
        } else {
            set_.push_back(id);
        }
    }
    const auto& t = host.texts();
    const std::string total = std::to_string(set_.size());
    std::string message;
    if (found == 0) {
        message = FormatText(t.found, {"0"});
    } else if (duplicates > 0) {
        message = FormatText(t.foundDuplicate, {std::to_string(found), std::to_string(duplicates), total});
    } else if (set_.size() == static_cast<std::size_t>(found)) {
        message = FormatText(t.found, {std::to_string(found)});
    } else {
        message = FormatText(t.foundTotal, {std::to_string(found), total});
    }
    if (onSameLine) {
        host.Append(message);
    } else {
        host.Message(message);
    }
}

void ObjectSelector::AddRectangle(SimHost& host, Point a, Point b, bool onSameLine, std::optional<bool> crossing) {
    // Dragged to the left it is a crossing window, to the right a window.
    const bool isCrossing = crossing ? *crossing : b.x < a.x;
    Add(host, host.drawing().InRectangle(a, b, isCrossing), onSameLine);
}

bool ObjectSelector::Answer(SimHost& host, const std::string& text) {
    const auto& t = host.texts();
    const std::string word = AsciiLower(text);
    if (corner_ == Corner::FirstWindow || corner_ == Corner::FirstCrossing) {
        if (const auto p = host.ParsePoint(text)) {
            firstCorner_ = *p;
            forcedCrossing_ = corner_ == Corner::FirstCrossing;
            corner_ = Corner::Opposite;
            host.Ask(PromptKind::Objects, t.oppositeCorner);
        } else {
            host.Message(t.pointRequired);
            host.Ask(PromptKind::Objects, t.firstCorner);
        }
        return false;
    }
    if (corner_ == Corner::Opposite) {
        if (const auto p = host.ParsePoint(text)) {
            AddRectangle(host, firstCorner_, *p, false, forcedCrossing_);
            Prompt(host);
        } else {
            host.Message(t.pointRequired);
            host.Ask(PromptKind::Objects, t.oppositeCorner);
        }
        return false;
    }
    if (text.empty()) return End(host);
    if (word == "l" || word == "last") {
        const auto last = host.drawing().LastVisibleEntity();
        Add(host, last ? std::vector<int>{*last} : std::vector<int>{}, false);
    } else if (word == "all") {
        // Objects on layers that are off are taken too; on frozen layers they are not.
        std::vector<int> ids;
        for (const Entity& e : host.drawing().entities())
            if (host.drawing().IsThawed(e)) ids.push_back(e.id);
        Add(host, ids, false);
    } else if (word == "p" || word == "pre" || word == "previous") {
        std::vector<int> ids;
        for (int id : host.PreviousSelection()) {
            if (host.drawing().Find(id)) ids.push_back(id);
        }
        if (host.PreviousSelection().empty()) {
            host.Message(t.noPreviousSelection);
        } else {
            Add(host, ids, false);
        }
    } else if (word == "w" || word == "window" || word == "c" || word == "crossing") {
        corner_ = word.front() == 'w' ? Corner::FirstWindow : Corner::FirstCrossing;
        host.Ask(PromptKind::Objects, t.firstCorner);
        return false;
    } else if (const auto p = host.ParsePoint(text)) {
        // A typed point picks like a click there, and is echoed.
        if (const auto hit = host.drawing().HitTest(*p, host.pickbox)) {
            Add(host, {*hit}, false);
        } else {
            firstCorner_ = *p;
            forcedCrossing_.reset();
            corner_ = Corner::Opposite;
            host.Ask(PromptKind::Objects, t.oppositeCorner);
            return false;
        }
    } else {
        host.Message(t.invalidSelection);
        host.Message(t.expectsPointOrKeyword);
    }
    Prompt(host);
    return false;
}

bool ObjectSelector::Click(SimHost& host, Point p) {
    if (corner_ == Corner::FirstWindow || corner_ == Corner::FirstCrossing) {
        firstCorner_ = p;
        forcedCrossing_ = corner_ == Corner::FirstCrossing;
        corner_ = Corner::Opposite;
        host.Append(host.texts().oppositeCorner);
        return false;
    }
    if (corner_ == Corner::Opposite) {
        AddRectangle(host, firstCorner_, p, true, forcedCrossing_);
        Prompt(host);
        return false;
    }
    if (const auto hit = host.drawing().HitTest(p, host.pickbox)) {
        Add(host, {*hit}, true);
        Prompt(host);
    } else {
        // A click on empty space starts an implied window.
        firstCorner_ = p;
        forcedCrossing_.reset();
        corner_ = Corner::Opposite;
        host.Append(host.texts().oppositeCorner);
    }
    return false;
}

bool ObjectSelector::Window(SimHost& host, Point a, Point b) {
    host.Append(host.texts().oppositeCorner);
    AddRectangle(host, a, b, true, std::nullopt);
    Prompt(host);
    return false;
}

}  // namespace tessavue::sim
