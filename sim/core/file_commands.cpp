// The commands of files: DXFOUT writes the drawing, -INSERT reads one in, -PURGE tidies
// the block table.
#include "command_families.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "dxf_file.h"
#include "edition.h"
#include "text.h"

namespace tessavue::sim {
namespace {

// DXFOUT as AutoCAD asks it with FILEDIA 0: the file name (to the carriage return),
// then the accuracy prompt, which also offers the objects and version options; the
// accuracy answer writes the file. Without the objects option the whole drawing goes.
class DxfOutCommand : public Command {
public:
    void Start(SimHost& host) override {
        if (host.filedia != 0) {
            // The file dialog would open; typed text cannot reach it. The command is
            // left at once so the palette's typing shows up as unknown commands.
            host.Message(host.texts().dxfoutDialog);
            host.FinishCommand();
            return;
        }
        step_ = Step::FileName;
        // The file name may hold blanks: only a carriage return ends it.
        host.AskOnSameLine(PromptKind::Text, host.texts().dxfoutFileName, true);
    }

    void Answer(SimHost& host, const std::string& text) override {
        switch (step_) {
            case Step::FileName:
                fileName_ = text.empty() ? std::string("Drawing1.dxf") : text;
                if (fileName_.find('.') == std::string::npos) fileName_ += ".dxf";
                if (std::error_code ignored; std::filesystem::exists(host.PathFromText(fileName_), ignored)) {
                    // An existing file is replaced only when the user says so.
                    step_ = Step::Replace;
                    host.Ask(PromptKind::Text, FormatText(host.texts().dxfoutReplace, {fileName_}));
                    return;
                }
                AskAccuracy(host);
                return;
            case Step::Replace: {
                const std::string word = AsciiLower(text);
                if (word == "y" || word == "yes") {
                    AskAccuracy(host);
                } else {
                    host.FinishCommand();
                }
                return;
            }
            case Step::Objects:
                if (selector_.Answer(host, text)) AfterSelection(host);
                return;
            case Step::Version: {
                const std::string word = AsciiLower(text);
                if (word == "r12") {
                    version_ = DxfVersion::R12;
                } else if (word == "2000" || word.empty()) {
                    version_ = DxfVersion::R2000;
                } else {
                    host.Message(host.texts().dxfoutBadAnswer);
                    host.Ask(PromptKind::Text, host.texts().dxfoutVersion);
                    return;
                }
                AskAccuracy(host);
                return;
            }
            case Step::Accuracy:
                break;
        }
        const std::string word = AsciiLower(text);
        if (word == "o" && !ids_) {
            step_ = Step::Objects;
            selector_.Begin(host);
            return;
        }
        if (word == "v") {
            step_ = Step::Version;
            host.Ask(PromptKind::Text, host.texts().dxfoutVersion);
            return;
        }
        int decimals = 16;
        if (!text.empty()) {
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), decimals);
            if (error != std::errc() || end != text.data() + text.size() || decimals < 0 || decimals > 16) {
                host.Message(host.texts().dxfoutBadAnswer);
                AskAccuracy(host);
                return;
            }
        }
        Write(host, decimals);
        host.FinishCommand();
    }

    void Click(SimHost& host, Point p) override {
        if (step_ == Step::Objects && selector_.Click(host, p)) AfterSelection(host);
    }
    void Window(SimHost& host, Point a, Point b) override {
        if (step_ == Step::Objects && selector_.Window(host, a, b)) AfterSelection(host);
    }

private:
    enum class Step { FileName, Replace, Accuracy, Objects, Version };

    void AskAccuracy(SimHost& host) {
        step_ = Step::Accuracy;
        host.Ask(PromptKind::Text, ids_ ? host.texts().dxfoutAccuracyObjects : host.texts().dxfoutAccuracy);
    }

    void AfterSelection(SimHost& host) {
        ids_ = selector_.selected();
        AskAccuracy(host);
    }

    void Write(SimHost& host, int decimals) {
        const std::filesystem::path path = host.PathFromText(fileName_);
        const std::string text = WriteDxf(host.drawing(), ids_, version_, decimals);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            host.Message(FormatText(host.texts().dxfoutCannotWrite, {fileName_}));
            return;
        }
        host.writtenFiles.push_back(path);
    }

    Step step_ = Step::FileName;
    std::string fileName_;
    std::optional<std::vector<int>> ids_;
    DxfVersion version_ = DxfVersion::R2000;
    ObjectSelector selector_;
};

// Where the last name of a typed path starts and where its extension's dot is (npos
// when it has none). Walked byte-wise with Shift-JIS in mind: a second byte can be 5C.
std::pair<std::size_t, std::size_t> SplitPathText(const std::string& text) {
    std::size_t nameStart = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsShiftJisLead(c)) {
            ++i;
        } else if (c == '\\' || c == '/' || c == ':') {
            nameStart = i + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = i;
        }
    }
    return {nameStart, dot};
}

// The block name a typed file path gives: the path without its folders and extension.
std::string BlockNameOfPath(const std::string& text) {
    const auto [nameStart, dot] = SplitPathText(text);
    const std::size_t end = dot == std::string::npos ? text.size() : dot;
    return text.substr(nameStart, end - nameStart);
}

bool LooksLikePath(const std::string& text) { return BlockNameOfPath(text) != text; }

// -INSERT on the command line: a block name or a drawing file's path (ended by a
// carriage return, as it may hold blanks), then the insertion point, before which the
// X, Y and R options preset the scales and the rotation. A file becomes a block named
// after the file; its layers and the blocks it refers to come along.
// A name that is neither a block nor a readable file ends the command with the reason.
class InsertCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Text, host.texts().insertBlockName, true); }

    void Answer(SimHost& host, const std::string& text) override {
        const auto& t = host.texts();
        switch (step_) {
            case Step::Name:
                AcceptName(host, text);
                return;
            case Step::Redefine: {
                const std::string word = AsciiLower(text);
                if (word == "y" || word == "yes") {
                    if (!LoadFile(host)) return;
                } else if (!text.empty() && word != "n" && word != "no") {
                    host.Message(t.invalidKeyword);
                    host.Ask(PromptKind::Text, FormatText(t.insertRedefine, {block_}));
                    return;
                }
                AskPoint(host);
                return;
            }
            case Step::Point: {
                const std::string word = AsciiLower(text);
                if (word == "x") {
                    Ask(host, Step::XScale, t.insertXScale);
                } else if (word == "y") {
                    Ask(host, Step::YScale, t.insertYScale);
                } else if (word == "r") {
                    Ask(host, Step::Rotation, t.insertRotation);
                } else if (const auto p = host.ParsePoint(text)) {
                    Place(host, *p);
                } else {
                    host.Message(t.pointRequired);
                    AskPoint(host);
                }
                return;
            }
            case Step::XScale:
            case Step::YScale:
            case Step::Rotation:
                AcceptValue(host, text);
                return;
        }
    }

    void Click(SimHost& host, Point p) override {
        if (step_ == Step::Point) Place(host, p);
    }

private:
    enum class Step { Name, Redefine, Point, XScale, YScale, Rotation };

    void Ask(SimHost& host, Step step, std::string_view prompt) {
        step_ = step;
        host.Ask(PromptKind::Text, prompt);
    }

    void AskPoint(SimHost& host) {
        step_ = Step::Point;
        host.Ask(PromptKind::Point, host.texts().insertPoint);
    }

    void AcceptName(SimHost& host, const std::string& text) {
        if (text.empty()) {
            host.Ask(PromptKind::Text, host.texts().insertBlockName, true);
            return;
        }
        typed_ = text;
        block_ = BlockNameOfPath(text);
        const bool existing = host.drawing().FindBlock(block_) != nullptr;
        if (existing && !LooksLikePath(text)) {
            AskPoint(host);
        } else if (existing) {
            step_ = Step::Redefine;
            host.Ask(PromptKind::Text, FormatText(host.texts().insertRedefine, {block_}));
        } else if (LoadFile(host)) {
            AskPoint(host);
        }
    }

    // Reads the file into the block definition; false (the command ended, with the
    // reason shown) when it cannot.
    bool LoadFile(SimHost& host) {
        std::string fileText = typed_;
        // A name without an extension means a drawing file; the stand-in reads DXF only.
        if (SplitPathText(typed_).second == std::string::npos) fileText += ".dwg";
        const std::filesystem::path path = host.PathFromText(fileText);
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            host.Message(FormatText(host.texts().insertFileNotFound, {typed_}));
            host.FinishCommand();
            return false;
        }
        std::ostringstream content;
        content << in.rdbuf();
        const auto file = ReadDxf(content.str());
        if (!file) {
            host.Message(FormatText(host.texts().insertBadFile, {typed_}));
            host.FinishCommand();
            return false;
        }
        Drawing& drawing = host.drawing();
        for (const Layer& layer : file->layers) {
            // A layer new to the drawing comes with its colour and its states.
            if (drawing.FindLayer(layer.name) == nullptr) drawing.AddLayer(layer.name) = layer;
        }
        // Blocks the file's entities refer to come along unless the drawing has its own.
        for (const Block& nested : file->blocks) {
            if (drawing.FindBlock(nested.name) == nullptr) drawing.DefineBlock(nested);
        }
        // The file's origin is the block's base point.
        drawing.DefineBlock(Block{block_, Point{0, 0}, file->entities});
        return true;
    }

    void AcceptValue(SimHost& host, const std::string& text) {
        const auto& t = host.texts();
        const std::string_view prompt = step_ == Step::XScale   ? t.insertXScale
                                        : step_ == Step::YScale ? t.insertYScale
                                                                : t.insertRotation;
        std::optional<double> value = text.empty() ? std::optional<double>(step_ == Step::Rotation ? 0.0 : 1.0)
                                                   : ParseReal(text);
        if (!value) {
            host.Message(t.numberRequired);
            host.Ask(PromptKind::Text, prompt);
            return;
        }
        if (step_ == Step::Rotation) {
            rotation_ = *value;
        } else if (*value == 0) {
            host.Message(t.scaleNotZero);
            host.Ask(PromptKind::Text, prompt);
            return;
        } else if (step_ == Step::XScale) {
            scaleX_ = *value;
        } else {
            scaleY_ = *value;
        }
        AskPoint(host);
    }

    void Place(SimHost& host, Point p) {
        host.drawing().AddInsert(block_, p, scaleX_, scaleY_, rotation_);
        host.SetLastPoint(p);
        host.FinishCommand();
    }

    Step step_ = Step::Name;
    std::string typed_;
    std::string block_;
    double scaleX_ = 1;
    double scaleY_ = 1;
    double rotation_ = 0;
};

// -PURGE of block definitions: the names (wildcards and comma lists; ended by a
// carriage return, as names may hold blanks), whether to ask about each one, then the
// unused definitions among them go. Only blocks are kept by this drawing's tables, so
// only the block option is offered.
class PurgeCommand : public Command {
public:
    void Start(SimHost& host) override { AskType(host); }

    void Answer(SimHost& host, const std::string& text) override {
        const auto& t = host.texts();
        const std::string word = AsciiLower(text);
        switch (step_) {
            case Step::Type:
                if (word == "b" || word == "blocks" || word == "block") {
                    step_ = Step::Names;
                    host.Ask(PromptKind::Text, t.purgeNames, true);
                } else if (text.empty()) {
                    host.FinishCommand();
                } else {
                    host.Message(t.invalidKeyword);
                    AskType(host);
                }
                return;
            case Step::Names:
                patterns_ = text.empty() ? std::string("*") : text;
                step_ = Step::Verify;
                host.Ask(PromptKind::Text, t.purgeVerify);
                return;
            case Step::Verify:
                if (word == "n" || word == "no") {
                    for (const Block& b : host.drawing().blocks()) {
                        if (Unused(host, b.name)) candidates_.push_back(b.name);
                    }
                    for (const std::string& name : candidates_) Purge(host, name);
                    Report(host);
                } else if (text.empty() || word == "y" || word == "yes") {
                    for (const Block& b : host.drawing().blocks()) {
                        if (Unused(host, b.name)) candidates_.push_back(b.name);
                    }
                    step_ = Step::Confirm;
                    NextConfirm(host);
                } else {
                    host.Message(t.invalidKeyword);
                    host.Ask(PromptKind::Text, t.purgeVerify);
                }
                return;
            case Step::Confirm:
                if (word == "y" || word == "yes") Purge(host, candidates_[next_]);
                ++next_;
                NextConfirm(host);
                return;
        }
    }

private:
    enum class Step { Type, Names, Verify, Confirm };

    void AskType(SimHost& host) {
        step_ = Step::Type;
        host.Ask(PromptKind::Text, host.texts().purgeType);
    }

    bool Unused(const SimHost& host, const std::string& name) const {
        return MatchesAny(name, patterns_) && !host.drawing().BlockInUse(name);
    }

    void NextConfirm(SimHost& host) {
        if (next_ < candidates_.size()) {
            host.Ask(PromptKind::Text, FormatText(host.texts().purgeConfirm, {candidates_[next_]}));
        } else {
            Report(host);
        }
    }

    void Purge(SimHost& host, const std::string& name) {
        host.Message(FormatText(host.texts().purgeDeleting, {name}));
        host.drawing().RemoveBlock(name);
        ++purged_;
    }

    void Report(SimHost& host) {
        host.Message(purged_ == 0 ? std::string(host.texts().purgeNothing)
                                  : FormatText(host.texts().purgeCount, {std::to_string(purged_)}));
        host.FinishCommand();
    }

    Step step_ = Step::Type;
    std::string patterns_;
    std::vector<std::string> candidates_;
    std::size_t next_ = 0;
    int purged_ = 0;
};

}  // namespace

std::unique_ptr<Command> MakeDxfOutCommand() { return std::make_unique<DxfOutCommand>(); }
std::unique_ptr<Command> MakeInsertCommand() { return std::make_unique<InsertCommand>(); }
std::unique_ptr<Command> MakePurgeCommand() { return std::make_unique<PurgeCommand>(); }

}  // namespace tessavue::sim
