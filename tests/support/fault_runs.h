// Shared pieces of the fault runs: a command of the palette stopped at each of its typed
// commands by a fault of the stand-in (sim::Fault), then the drawing, the units and the
// files are looked at.
//
//   HostAnswers        the user at the stand-in: answers the prompts the palette's
//                      commands leave to the user (ID picks, object selections, the
//                      insertion point, TEXT's prompts), whenever the palette waits
//   DrawingDifference  the first difference between two drawings, entity by entity
//   HandTypedCommands  the commands a typing-failed message asks the user to type
//   TypeByHand         those commands typed at the stand-in's command line as a
//                      user would (a blank is Enter)
#pragma once

#include <deque>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/host.h"

namespace tessavue::testing {

struct HostAnswers {
    // Each ID prompt takes the next point; with none left the user presses Esc.
    std::deque<sim::Point> ids;
    // Each object prompt of SELECT or LIST: a click on each point, then Enter; with
    // none left, Esc.
    std::deque<std::vector<sim::Point>> selections;
    // The insertion point INSERT asks for when none is typed.
    std::optional<sim::Point> insertAt;
    // TEXT's prompts: start point, height, angle 0, the text.
    struct Text {
        sim::Point at;
        std::string height;
        std::string value;
    };
    std::optional<Text> text;

    // Answers what the host asks now, if it is the user's to answer.
    void Step(sim::SimHost& host) {
        const std::string& running = host.RunningCommand();
        const sim::PromptKind waiting = host.Waiting();
        if (running == "ID" && waiting == sim::PromptKind::Point) {
            if (ids.empty()) {
                host.Type("\x1b");
            } else {
                host.Click(ids.front());
                ids.pop_front();
            }
        } else if ((running == "SELECT" || running == "LIST") && waiting == sim::PromptKind::Objects &&
                   host.CommandLineText().find(':') != std::string::npos && AtObjectPrompt(host)) {
            if (selections.empty()) {
                host.Type("\x1b");
                return;
            }
            for (sim::Point p : selections.front()) host.Click(p);
            selections.pop_front();
            host.Type("\r");
        } else if (running == "INSERT" && waiting == sim::PromptKind::Point && insertAt) {
            host.Click(*insertAt);
        } else if (running == "TEXT" && text) {
            const std::string& line = host.CommandLineText();
            const sim::EditionTexts& t = host.texts();
            if (line.find(std::string(t.textStartPoint)) != std::string::npos) {
                host.Click(text->at);
            } else if (line.find('<') != std::string::npos &&
                       line.find(std::string(t.textAngle.substr(0, 6))) != std::string::npos) {
                host.Type("0\r");
            } else if (line.ends_with(std::string(t.textValue))) {
                host.Type(text->value + "\r");
            } else if (waiting == sim::PromptKind::Point) {
                host.Type(text->height + "\r");
            }
        }
    }

private:
    // An object prompt the palette left to the user: nothing typed of an answer yet
    // ("select pre\r " and "list l  " answer their own prompts in the same string).
    static bool AtObjectPrompt(const sim::SimHost& host) {
        const std::string& line = host.CommandLineText();
        return !line.empty() && line.back() == ' ';
    }
};

// A drawing as the fault runs compare it.
struct DrawingState {
    std::vector<sim::Entity> entities;
    std::vector<sim::Block> blocks;
    std::string currentLayer;
};
inline DrawingState StateOf(const sim::Drawing& d) {
    return {d.entities(), d.blocks(), d.currentLayer()};
}

// Empty when the two are the same; else what first differs.
inline std::string DrawingDifference(const DrawingState& got, const DrawingState& want) {
    std::ostringstream out;
    if (got.currentLayer != want.currentLayer)
        out << "current layer " << got.currentLayer << " instead of " << want.currentLayer << "; ";
    if (got.blocks.size() != want.blocks.size()) out << got.blocks.size() << " blocks instead of " << want.blocks.size() << "; ";
    if (got.entities.size() != want.entities.size()) {
        out << got.entities.size() << " entities instead of " << want.entities.size();
        return out.str();
    }
    for (std::size_t i = 0; i < got.entities.size(); ++i) {
        if (got.entities[i] == want.entities[i]) continue;
        const sim::Entity& g = got.entities[i];
        const sim::Entity& w = want.entities[i];
        out << "entity " << i << " (kind " << static_cast<int>(w.kind) << ") differs";
        if (!g.points.empty() && !w.points.empty())
            out << ": at " << g.points[0].x << "," << g.points[0].y << " instead of " << w.points[0].x << ","
                << w.points[0].y;
        return out.str();
    }
    if (got.blocks != want.blocks) out << "block definitions differ";
    return out.str();
}

// The commands listed after the header of a typing-failed message, one a line.
inline std::vector<std::string> HandTypedCommands(const std::string& message) {
    std::vector<std::string> commands;
    const std::string lead = "（空白と各行の終わりは Enter キーです）。\r\n";
    const std::size_t start = message.find(lead);
    if (start == std::string::npos) return commands;
    std::size_t at = start + lead.size();
    while (at < message.size()) {
        std::size_t end = message.find("\r\n", at);
        if (end == std::string::npos) end = message.size();
        const std::string line = message.substr(at, end - at);
        if (!line.empty()) commands.push_back(line);
        at = end + 2;
    }
    return commands;
}

// The user types the lines at the command line, each ended with the Enter key; a
// command still asking is first cancelled with Esc, as the user would who sees its
// prompt.
inline void TypeByHand(sim::SimHost& host, const std::vector<std::string>& lines) {
    if (host.InCommand()) host.Receive("user", "\x1b\x1b");
    for (const std::string& line : lines) host.Receive("user", line + "\r");
}

}  // namespace tessavue::testing
