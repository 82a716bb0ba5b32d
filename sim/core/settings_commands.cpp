// The commands of settings: -LAYER (current layer, new layers, layer states and their
// listing), UCS, and the system variables typed as commands (FILEDIA, LUNITS, LUPREC,
// DIMDEC, and the read-only WORLDUCS).
#include "command_families.h"

#include <charconv>
#include <string>
#include <vector>

#include "edition.h"
#include "text.h"
#include "units.h"

namespace tessavue::sim {
namespace {

// The columns of -LAYER's listing, in bytes (a half-width character is one byte and one
// column, a full-width one two of each, so bytes line the columns up on screen).
constexpr std::size_t kNameColumn = 32;
constexpr std::size_t kOnColumn = 6;
constexpr std::size_t kFrozenColumn = 10;
constexpr std::size_t kColorColumn = 14;

// `text` followed by blanks up to `width`, and at least one.
std::string Column(std::string_view text, std::size_t width) {
    std::string out(text);
    out.append(out.size() < width ? width - out.size() : 1, ' ');
    return out;
}

std::string ColorText(const EditionTexts& t, int color) {
    std::string text = std::to_string(color);
    if (color >= 1 && color <= 7) text += " (" + std::string(t.colorNames[color - 1]) + ")";
    return text;
}

// -LAYER. Its options go on until Enter at the option prompt:
//   S, M      make an existing layer current, or a new one (made first);
//   ON, OFF   turn the named layers on or off (the current one only when the user
//             says so);
//   F, T      freeze or thaw them (never the current one);
//   ?         list them, each with its states, colour and linetype.
// Layer names may hold blanks, so every name prompt ends only at a carriage return;
// the state options and "?" take a comma list with wildcards.
class LayerCommand : public Command {
public:
    void Start(SimHost& host) override {
        host.Message(FormatText(host.texts().layerCurrent, {host.drawing().currentLayer()}));
        AskOption(host);
    }

    void Answer(SimHost& host, const std::string& text) override {
        switch (step_) {
            case Step::Option: Option(host, text); return;
            case Step::SetName:
            case Step::MakeName: Name(host, text); return;
            case Step::ListNames: List(host, text.empty() ? std::string("*") : text); return;
            case Step::Listing:
                if (pager_.Continue(host)) AskOption(host);
                return;
            case Step::OnNames:
            case Step::OffNames:
            case Step::FreezeNames:
            case Step::ThawNames: States(host, text); return;
            case Step::ConfirmOff: {
                const std::string word = AsciiLower(text);
                if (word == "y" || word == "yes") offNames_.push_back(host.drawing().currentLayer());
                TurnOff(host);
                AskOption(host);
                return;
            }
        }
    }

private:
    enum class Step { Option, SetName, MakeName, ListNames, Listing, OnNames, OffNames, FreezeNames, ThawNames, ConfirmOff };

    void AskOption(SimHost& host) {
        step_ = Step::Option;
        host.Ask(PromptKind::Text, host.texts().layerOptions);
    }

    void AskNames(SimHost& host, Step step, std::string_view prompt) {
        step_ = step;
        host.Ask(PromptKind::Text, prompt, true);
    }

    void Option(SimHost& host, const std::string& text) {
        const auto& t = host.texts();
        const std::string current = host.drawing().currentLayer();
        const std::string word = AsciiLower(text);
        if (text.empty()) {
            host.FinishCommand();
        } else if (word == "s" || word == "set") {
            AskNames(host, Step::SetName, FormatText(t.layerSetName, {current}));
        } else if (word == "m" || word == "make") {
            AskNames(host, Step::MakeName, FormatText(t.layerMakeName, {current}));
        } else if (word == "?") {
            AskNames(host, Step::ListNames, t.layerListNames);
        } else if (word == "on") {
            AskNames(host, Step::OnNames, t.layerOnNames);
        } else if (word == "off") {
            AskNames(host, Step::OffNames, t.layerOffNames);
        } else if (word == "f" || word == "freeze") {
            AskNames(host, Step::FreezeNames, t.layerFreezeNames);
        } else if (word == "t" || word == "thaw") {
            AskNames(host, Step::ThawNames, t.layerThawNames);
        } else {
            host.Message(t.pointRequired);
            AskOption(host);
        }
    }

    // S and M: a frozen layer cannot become current, and the name is asked again.
    void Name(SimHost& host, const std::string& text) {
        const auto& t = host.texts();
        Drawing& drawing = host.drawing();
        const bool make = step_ == Step::MakeName;
        const std::string_view prompt = make ? t.layerMakeName : t.layerSetName;
        if (text.empty()) return AskOption(host);
        const Layer* layer = drawing.FindLayer(text);
        if (layer != nullptr && layer->frozen) {
            host.Message(FormatText(t.layerFrozenCurrent, {layer->name}));
            return AskNames(host, step_, FormatText(prompt, {drawing.currentLayer()}));
        }
        if (layer == nullptr && !make) {
            host.Message(FormatText(t.layerNotFound, {text}));
            return AskNames(host, step_, FormatText(prompt, {drawing.currentLayer()}));
        }
        if (layer == nullptr) drawing.AddLayer(text);
        drawing.SetCurrentLayer(text);
        AskOption(host);
    }

    // The layers whose names the list matches, in the drawing's order.
    static std::vector<std::string> Matching(const Drawing& drawing, const std::string& patterns) {
        std::vector<std::string> names;
        for (const Layer& layer : drawing.layers())
            if (MatchesAny(layer.name, patterns)) names.push_back(layer.name);
        return names;
    }

    void States(SimHost& host, const std::string& text) {
        const auto& t = host.texts();
        Drawing& drawing = host.drawing();
        if (text.empty()) return AskOption(host);
        std::vector<std::string> names = Matching(drawing, text);
        if (names.empty()) {
            host.Message(FormatText(t.layerNotFound, {text}));
            return AskOption(host);
        }
        const std::string current = drawing.currentLayer();
        const auto isCurrent = [&](const std::string& name) { return AsciiUpper(name) == AsciiUpper(current); };
        switch (step_) {
            case Step::OnNames:
                for (const std::string& name : names) drawing.FindLayer(name)->on = true;
                break;
            case Step::ThawNames:
                for (const std::string& name : names) drawing.FindLayer(name)->frozen = false;
                break;
            case Step::FreezeNames:
                for (const std::string& name : names) {
                    if (isCurrent(name)) {
                        host.Message(FormatText(t.layerFreezeCurrent, {name}));
                    } else {
                        drawing.FindLayer(name)->frozen = true;
                    }
                }
                break;
            case Step::OffNames:
                offNames_.clear();
                for (const std::string& name : names)
                    if (!isCurrent(name)) offNames_.push_back(name);
                if (offNames_.size() < names.size()) {
                    // The current layer goes off only when the user confirms it.
                    step_ = Step::ConfirmOff;
                    host.Ask(PromptKind::Text, FormatText(t.layerOffCurrent, {current}));
                    return;
                }
                TurnOff(host);
                break;
            default:
                break;
        }
        AskOption(host);
    }

    void TurnOff(SimHost& host) {
        for (const std::string& name : offNames_) host.drawing().FindLayer(name)->on = false;
        offNames_.clear();
    }

    void List(SimHost& host, const std::string& patterns) {
        const auto& t = host.texts();
        const Drawing& drawing = host.drawing();
        pager_.Add(Column(t.layerListHeads[0], kNameColumn) + Column(t.layerListHeads[1], kOnColumn + kFrozenColumn) +
                   Column(t.layerListHeads[2], kColorColumn) + std::string(t.layerListHeads[3]));
        for (const std::string& name : Matching(drawing, patterns)) {
            const Layer& layer = *drawing.FindLayer(name);
            pager_.Add(Column(layer.name, kNameColumn) + Column(layer.on ? t.layerOn : t.layerOff, kOnColumn) +
                       Column(layer.frozen ? t.layerFrozen : "-", kFrozenColumn) +
                       Column(ColorText(t, layer.color), kColorColumn) + "CONTINUOUS");
        }
        step_ = Step::Listing;
        if (pager_.Show(host)) AskOption(host);
    }

    Step step_ = Step::Option;
    std::vector<std::string> offNames_;
    ListingPager pager_;
};

// An integer system variable typed as a command: the prompt shows its value, Enter
// keeps it, an integer in its range sets it, and anything else is refused with the
// range and asked again.
class IntegerVariableCommand : public Command {
public:
    using Access = int& (*)(SimHost&);
    IntegerVariableCommand(const char* name, int lowest, int highest, Access access)
        : name_(name), lowest_(lowest), highest_(highest), access_(access) {}

    void Start(SimHost& host) override { Prompt(host); }

    void Answer(SimHost& host, const std::string& text) override {
        if (text.empty()) return host.FinishCommand();
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < lowest_ || value > highest_) {
            host.Message(FormatText(host.texts().sysvarRange, {std::to_string(lowest_), std::to_string(highest_)}));
            return Prompt(host);
        }
        access_(host) = value;
        host.FinishCommand();
    }

private:
    void Prompt(SimHost& host) {
        host.Ask(PromptKind::Text, FormatText(host.texts().sysvarNewValue, {name_, std::to_string(access_(host))}));
    }

    std::string name_;
    int lowest_;
    int highest_;
    Access access_;
};

// WORLDUCS, read only: 1 while the current UCS is the world's.
class WorldUcsCommand : public Command {
public:
    void Start(SimHost& host) override {
        const bool world = host.drawing().ucsOrigin == Point{};
        host.Message(FormatText(host.texts().sysvarReadOnly, {"WORLDUCS", world ? "1" : "0"}));
        host.FinishCommand();
    }
    void Answer(SimHost&, const std::string&) override {}
};

// UCS: World (the default) puts the world's coordinate system back; New, Move and the
// old Origin option take a new origin, a point typed in the current UCS or picked.
// The axes always stay the world's. Enter at the origin prompt keeps the origin.
class UcsCommand : public Command {
public:
    void Start(SimHost& host) override { AskOption(host); }

    void Answer(SimHost& host, const std::string& text) override {
        const auto& t = host.texts();
        if (!prompt_.empty()) {
            if (text.empty()) return host.FinishCommand();
            if (const auto p = host.ParsePoint(text)) return Move(host, *p);
            host.Message(t.pointRequired);
            return host.Ask(PromptKind::Point, prompt_);
        }
        const std::string word = AsciiLower(text);
        if (text.empty() || word == "w" || word == "world") {
            Move(host, Point{});
        } else if (word == "n" || word == "new") {
            AskOrigin(host, t.ucsNewOrigin);
        } else if (word == "m" || word == "move") {
            AskOrigin(host, t.ucsMoveOrigin);
        } else if (word == "o" || word == "origin") {
            AskOrigin(host, t.ucsOrigin);
        } else {
            host.Message(t.invalidKeyword);
            AskOption(host);
        }
    }

    void Click(SimHost& host, Point p) override {
        if (!prompt_.empty()) Move(host, p);
    }

private:
    void AskOption(SimHost& host) { host.Ask(PromptKind::Text, host.texts().ucsOptions); }

    void AskOrigin(SimHost& host, std::string_view prompt) {
        prompt_ = std::string(prompt);
        host.Ask(PromptKind::Point, prompt_);
    }

    static void Move(SimHost& host, Point origin) {
        host.drawing().ucsOrigin = origin;
        host.FinishCommand();
    }

    std::string prompt_;  // the origin prompt that waits; empty at the option prompt
};

}  // namespace

std::unique_ptr<Command> MakeLayerCommand() { return std::make_unique<LayerCommand>(); }
std::unique_ptr<Command> MakeFiledialogCommand() {
    return std::make_unique<IntegerVariableCommand>("FILEDIA", 0, 1, [](SimHost& h) -> int& { return h.filedia; });
}
std::unique_ptr<Command> MakeLinearUnitsCommand() {
    return std::make_unique<IntegerVariableCommand>("LUNITS", kLinearUnitsMin, kLinearUnitsMax,
                                                    [](SimHost& h) -> int& { return h.drawing().linearUnits; });
}
std::unique_ptr<Command> MakeUnitPrecisionCommand() {
    return std::make_unique<IntegerVariableCommand>("LUPREC", kPrecisionMin, kPrecisionMax,
                                                    [](SimHost& h) -> int& { return h.drawing().unitPrecision; });
}
std::unique_ptr<Command> MakeDimensionDecimalsCommand() {
    return std::make_unique<IntegerVariableCommand>("DIMDEC", kPrecisionMin, kPrecisionMax,
                                                    [](SimHost& h) -> int& { return h.drawing().dimensionDecimals; });
}
std::unique_ptr<Command> MakeUcsCommand() { return std::make_unique<UcsCommand>(); }
std::unique_ptr<Command> MakeWorldUcsCommand() { return std::make_unique<WorldUcsCommand>(); }

}  // namespace tessavue::sim
