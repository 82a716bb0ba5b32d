#include "scripted_user.h"

#include <sstream>

namespace tessavue::sim {
namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::optional<Point> ParseXY(const std::string& text) {
    // Absolute coordinates only: "@" would depend on the host's state at run time.
    if (text.empty() || text.front() == '@' || text.find('<') != std::string::npos) return std::nullopt;
    return ParsePointInput(text, Point{});
}

std::optional<std::string> Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        switch (text[i]) {
            case 'r': out.push_back('\r'); break;
            case 'n': out.push_back('\n'); break;
            case 't': out.push_back('\t'); break;
            case 'e': out.push_back('\x1b'); break;
            case '\\': out.push_back('\\'); break;
            case 'x': {
                if (i + 2 >= text.size()) return std::nullopt;
                const std::string hex = text.substr(i + 1, 2);
                if (hex.size() != 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    return std::nullopt;
                out.push_back(static_cast<char>(std::stoi(hex, nullptr, 16)));
                i += 2;
                break;
            }
            default: return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::optional<ScriptedUser> ScriptedUser::Parse(const std::string& script, std::string* error) {
    std::vector<UserAction> actions;
    std::istringstream in(script);
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const std::string line = Trim(raw);
        if (line.empty() || line.front() == '#') continue;
        const auto bad = [&](const std::string& why) -> std::optional<ScriptedUser> {
            if (error) *error = "line " + std::to_string(lineNumber) + ": " + why + ": " + line;
            return std::nullopt;
        };
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : Trim(line.substr(space + 1));
        UserAction action;
        if (verb == "pick" || verb == "select") {
            const auto p = ParseXY(rest);
            if (!p) return bad("expected x,y");
            action.kind = verb == "pick" ? UserAction::Kind::Pick : UserAction::Kind::Select;
            action.a = *p;
        } else if (verb == "window") {
            const auto gap = rest.find(' ');
            if (gap == std::string::npos) return bad("expected two corners");
            const auto a = ParseXY(Trim(rest.substr(0, gap)));
            const auto b = ParseXY(Trim(rest.substr(gap + 1)));
            if (!a || !b) return bad("expected x1,y1 x2,y2");
            action.kind = UserAction::Kind::Window;
            action.a = *a;
            action.b = *b;
        } else if (verb == "type") {
            // The text is everything after "type " on the raw line, blanks included.
            const auto start = raw.find("type") + 4;
            std::string text = start < raw.size() ? raw.substr(start + 1) : std::string();
            const auto unescaped = Unescape(text);
            if (!unescaped) return bad("bad escape");
            action.kind = UserAction::Kind::Type;
            action.text = *unescaped;
        } else if (verb == "enter" && rest.empty()) {
            action.kind = UserAction::Kind::Type;
            action.text = "\r";
        } else if (verb == "esc" && rest.empty()) {
            action.kind = UserAction::Kind::Type;
            action.text = "\x1b";
        } else {
            return bad("unknown action");
        }
        actions.push_back(std::move(action));
    }
    return ScriptedUser(std::move(actions));
}

bool ScriptedUser::Step(SimHost& host) {
    if (Finished() || !host.InCommand()) return false;
    const UserAction& action = actions_[next_];
    // A person clicks when AutoCAD asks for a point or objects, not while a program
    // is typing its answers to a text prompt: the click waits for such a prompt.
    const PromptKind waiting = host.Waiting();
    if (action.kind != UserAction::Kind::Type && waiting != PromptKind::Point && waiting != PromptKind::Objects)
        return false;
    ++next_;
    switch (action.kind) {
        case UserAction::Kind::Pick:
        case UserAction::Kind::Select:
            host.Click(action.a);
            break;
        case UserAction::Kind::Window:
            host.SelectWindow(action.a, action.b);
            break;
        case UserAction::Kind::Type:
            host.Receive("user", action.text);
            break;
    }
    return true;
}

}  // namespace tessavue::sim
