#include "host.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "commands.h"
#include "text.h"
#include "units.h"

namespace tessavue::sim {
namespace {

constexpr char kEscape = '\x1b';

}  // namespace

std::optional<double> ParseReal(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<Point> ParsePointInput(std::string_view text, Point lastPoint, Point origin) {
    bool relative = false;
    if (!text.empty() && text.front() == '@') {
        relative = true;
        text.remove_prefix(1);
        if (text.empty()) return lastPoint;
    }
    Point p;
    if (const auto angle = text.find('<'); angle != std::string_view::npos) {
        const auto distance = ParseReal(text.substr(0, angle));
        const auto degrees = ParseReal(text.substr(angle + 1));
        if (!distance || !degrees) return std::nullopt;
        const double radians = *degrees / 180.0 * std::numbers::pi;
        p = Point{*distance * std::cos(radians), *distance * std::sin(radians)};
    } else {
        const auto comma = text.find(',');
        if (comma == std::string_view::npos) return std::nullopt;
        std::string_view rest = text.substr(comma + 1);
        const auto x = ParseReal(text.substr(0, comma));
        std::optional<double> y;
        if (const auto second = rest.find(','); second != std::string_view::npos) {
            // A z coordinate is taken and dropped: the drawing is flat.
            if (!ParseReal(rest.substr(second + 1))) return std::nullopt;
            y = ParseReal(rest.substr(0, second));
        } else {
            y = ParseReal(rest);
        }
        if (!x || !y) return std::nullopt;
        p = Point{*x, *y};
    }
    const Point from = relative ? lastPoint : origin;
    return Point{from.x + p.x, from.y + p.y};
}

std::string FormatDecimal(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    // A value that rounds to zero is shown without its sign.
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::string SimHost::ShowLength(double value) const {
    return FormatLength(value, drawing_.linearUnits, drawing_.unitPrecision);
}

std::string SimHost::ShowPoint(Point world) const {
    const Point p = ToUcs(world);
    return ShowLength(p.x) + "," + ShowLength(p.y) + "," + ShowLength(0.0);
}

SimHost::SimHost(Edition edition) : edition_(edition), texts_(&TextsFor(edition)) {
    current_ = std::string(texts_->idlePrompt);
    answerStart_ = current_.size();
}

SimHost::~SimHost() = default;

std::string SimHost::HistoryText() const {
    std::string text;
    for (const std::string& line : history_) text += line + "\r\n";
    text += current_ + "\r\n";
    return text;
}

std::optional<Fault> ParseFault(std::string_view name) {
    if (name == "esc") return Fault::Esc;
    if (name == "quit") return Fault::Quit;
    if (name == "close") return Fault::PaletteClose;
    if (name == "clipboard") return Fault::Clipboard;
    return std::nullopt;
}

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::Esc: return "esc";
        case Fault::Quit: return "quit";
        case Fault::PaletteClose: return "close";
        case Fault::Clipboard: return "clipboard";
    }
    return "";
}

void SimHost::ArmFault(std::size_t n, Fault fault) {
    fault_ = fault;
    faultAt_ = paletteCommands_ + (n == 0 ? 1 : n);
    faultFired_ = false;
    // The clipboard is taken before the command is pasted: for the first command, now.
    if (fault == Fault::Clipboard && faultAt_ == paletteCommands_ + 1) {
        faultFired_ = true;
        if (onFault) onFault(fault);
    }
}

void SimHost::Receive(const std::string& transport, std::string_view bytes) {
    const bool palette = transport == "copydata" || transport == "paste";
    const bool due = palette && fault_ && !faultFired_ && paletteCommands_ + 1 == faultAt_;
    if (palette) ++paletteCommands_;
    if (due && *fault_ == Fault::Quit) {
        faultFired_ = true;
        if (onFault) onFault(Fault::Quit);
        return;
    }
    received_.push_back(InputChunk{transport, std::string(bytes)});
    if (due && *fault_ == Fault::Esc) {
        faultFired_ = true;
        // The command's first input, up to and with its Enter; then the user's Esc.
        std::size_t end = 0;
        while (end < bytes.size() && bytes[end] != ' ' && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        Type(bytes.substr(0, std::min(end + 1, bytes.size())));
        received_.push_back(InputChunk{"user", "\x1b\x1b"});
        Type("\x1b\x1b");
        return;
    }
    Type(bytes);
    if (due && *fault_ == Fault::PaletteClose) {
        faultFired_ = true;
        if (onFault) onFault(Fault::PaletteClose);
    }
    // The next command will find the clipboard held.
    if (palette && fault_ && !faultFired_ && *fault_ == Fault::Clipboard && paletteCommands_ + 1 == faultAt_) {
        faultFired_ = true;
        if (onFault) onFault(Fault::Clipboard);
    }
}

void SimHost::Type(std::string_view bytes) {
    for (char c : bytes) TypeByte(c);
}

void SimHost::TypeByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (leadBytePending_) {
        // The second byte of a double-byte character is never Enter, whatever its value.
        leadBytePending_ = false;
        current_.push_back(c);
        Changed();
        return;
    }
    if (c == kEscape) {
        Cancel();
    } else if (c == '\r' || c == '\n' || (c == ' ' && !crOnly_)) {
        Submit();
    } else if (c == '\b') {
        if (current_.size() > answerStart_) {
            // Drop the last character, both bytes of a double-byte one.
            std::size_t i = answerStart_;
            std::size_t last = i;
            while (i < current_.size()) {
                last = i;
                i += IsShiftJisLead(static_cast<unsigned char>(current_[i])) ? 2 : 1;
            }
            current_.resize(last);
            Changed();
        }
    } else if (byte >= 0x20 || c == '\t') {
        current_.push_back(c);
        leadBytePending_ = IsShiftJisLead(byte);
        Changed();
    }
    // Other control bytes are ignored, as AutoCAD's command line ignores them.
}

void SimHost::Submit() {
    const std::string answer = current_.substr(answerStart_);
    Changed();
    if (!command_) {
        StartCommand(answer);
        return;
    }
    pendingNewLine_ = true;
    command_->Answer(*this, answer);
    AfterCommandCall();
}

void SimHost::StartCommand(const std::string& typed) {
    std::string name = typed;
    bool repeated = false;
    if (name.empty()) {
        if (lastCommand_.empty()) {
            ShowIdle();
            return;
        }
        // Enter at the idle prompt repeats the previous command; AutoCAD echoes its name.
        name = lastCommand_;
        current_ += AsciiUpper(name);
        repeated = true;
    }
    std::string bare = AsciiLower(name);
    // "_" asks for the English name, "-" for the command-line form, "." for the
    // built-in command; in any order.
    while (!bare.empty() && (bare.front() == '_' || bare.front() == '-' || bare.front() == '.')) bare.erase(0, 1);
    std::unique_ptr<Command> command = MakeCommand(bare);
    if (!command) {
        Message(FormatText(texts_->unknownCommand, {AsciiUpper(name)}));
        ShowIdle();
        return;
    }
    (void)repeated;
    lastCommand_ = name;
    command_ = std::move(command);
    commandName_ = AsciiUpper(bare);
    commandStartDrawing_ = drawing_;
    // The echo line is the current line: it is the first the command shows.
    commandStartLine_ = history_.size();
    finished_ = false;
    command_->Start(*this);
    AfterCommandCall();
}

void SimHost::AfterCommandCall() {
    if (finished_) EndCommand();
}

void SimHost::EndCommand() {
    // Every command is one undo step, a cancelled one too; only undo itself is not.
    if (commandName_ != "U") undo_.push_back(UndoStep{commandName_, std::move(commandStartDrawing_)});
    commandStartDrawing_ = Drawing();
    command_.reset();
    commandName_.clear();
    finished_ = false;
    ShowIdle();
}

void SimHost::Cancel() {
    current_.resize(answerStart_);
    current_ += texts_->cancel;
    pendingNewLine_ = true;
    Changed();
    if (command_) {
        EndCommand();
    } else {
        ShowIdle();
    }
}

void SimHost::NewLine() {
    history_.push_back(current_);
    current_.clear();
    pendingNewLine_ = false;
}

void SimHost::ShowIdle() {
    if (pendingNewLine_ || !current_.empty()) NewLine();
    current_ = std::string(texts_->idlePrompt);
    answerStart_ = current_.size();
    waiting_ = PromptKind::Idle;
    crOnly_ = false;
    leadBytePending_ = false;
    Changed();
}

void SimHost::Ask(PromptKind kind, std::string_view prompt, bool crOnly) {
    if (pendingNewLine_ || !current_.empty()) NewLine();
    current_ = std::string(prompt);
    answerStart_ = current_.size();
    waiting_ = kind;
    crOnly_ = crOnly;
    leadBytePending_ = false;
    Changed();
}

void SimHost::AskOnSameLine(PromptKind kind, std::string_view prompt, bool crOnly) {
    if (pendingNewLine_) {
        Ask(kind, prompt, crOnly);
        return;
    }
    current_ += " ";
    current_ += prompt;
    answerStart_ = current_.size();
    waiting_ = kind;
    crOnly_ = crOnly;
    leadBytePending_ = false;
    Changed();
}

void SimHost::Message(std::string_view text) {
    if (pendingNewLine_ || !current_.empty()) NewLine();
    current_ = std::string(text);
    answerStart_ = current_.size();
    pendingNewLine_ = true;
    Changed();
}

void SimHost::Append(std::string_view text) {
    if (pendingNewLine_) {
        Message(text);
        return;
    }
    current_ += text;
    answerStart_ = current_.size();
    Changed();
}

void SimHost::FinishCommand() {
    finished_ = true;
    pendingNewLine_ = true;
}

std::optional<std::string> SimHost::UndoLast() {
    if (undo_.empty()) return std::nullopt;
    UndoStep step = std::move(undo_.back());
    undo_.pop_back();
    drawing_ = std::move(step.before);
    Changed();
    return step.command;
}

bool SimHost::Click(Point p) {
    if (!command_ || (waiting_ != PromptKind::Point && waiting_ != PromptKind::Objects)) return false;
    // A pick is not echoed: whatever was typed of the answer is dropped.
    current_.resize(answerStart_);
    Changed();
    command_->Click(*this, p);
    AfterCommandCall();
    return true;
}

bool SimHost::SelectWindow(Point a, Point b) {
    if (!command_ || waiting_ != PromptKind::Objects) return false;
    current_.resize(answerStart_);
    Changed();
    command_->Window(*this, a, b);
    AfterCommandCall();
    return true;
}

}  // namespace tessavue::sim
