#include "host/undo_journal.h"

#include "dxf_data/number_text.h"

namespace tessavue {

std::string TurnCommand(int degrees, double x, double y) {
    return "rotate pre  " + NumberText(x) + "," + NumberText(y) + " " + std::to_string(degrees) + " ";
}

bool UndoJournal::Run(const std::string& command) {
    if (!link_.SendHostCommand(command)) return false;
    ++undoSteps_;
    return link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
}

bool UndoJournal::Undo(std::size_t steps) {
    std::string command;
    for (std::size_t i = 0; i < steps; ++i) command += "u ";
    if (!link_.SendHostCommand(command)) return false;
    undoSteps_ = steps < undoSteps_ ? undoSteps_ - steps : 0;
    return link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
}

bool UndoJournal::Turn(int degrees, double x, double y) {
    turnX_ = x;
    turnY_ = y;
    if (!link_.SendHostCommand(TurnCommand(degrees, x, y))) return false;
    // The whole command is typed, so AutoCAD turns the objects even when the wait
    // for it is abandoned.
    turnedDegrees_ += degrees;
    return link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
}

bool UndoJournal::FileDialogs(bool on) {
    if (!link_.SendHostCommand(on ? "filedia 1 " : "filedia 0 ")) return false;
    fileDialogsOff_ = !on;
    return link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
}

std::vector<std::string> UndoJournal::PutBackCommands() const {
    std::vector<std::string> commands;
    if (turnedDegrees_ != 0) commands.push_back(TurnCommand(-turnedDegrees_, turnX_, turnY_));
    if (undoSteps_ > 0) {
        std::string undo;
        for (std::size_t i = 0; i < undoSteps_; ++i) undo += "u ";
        commands.push_back(undo);
    }
    if (fileDialogsOff_) commands.push_back("filedia 1 ");
    return commands;
}

std::vector<std::string> UndoJournal::PutBack() {
    const std::vector<std::string> commands = PutBackCommands();
    undoSteps_ = 0;
    turnedDegrees_ = 0;
    fileDialogsOff_ = false;
    if (link_.HostGone()) return {};
    // A command still asking for input (the one that stopped) is cancelled first, so
    // what follows starts at the idle prompt.
    if (link_.ReadCommandLine() != link_.CommandPrompt) link_.SendHostCommand("\x1b\x1b");
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (!link_.SendHostCommand(commands[i])) return {commands.begin() + static_cast<std::ptrdiff_t>(i), commands.end()};
        // Once the waits are over (the palette closing) nothing is waited for: what
        // is typed queues up in AutoCAD in order.
        if (!link_.WaitsAbandoned()) link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
    }
    return {};
}

std::string TypingFailedMessage(const std::vector<std::string>& leftUndone) {
    std::string text =
        "クリップボードを他のプログラムが使っているため、ＡｕｔｏＣＡＤにコマンドを送れませんでした。"
        "コマンドを中止しました。";
    if (leftUndone.empty()) return text;
    text += "\r\n\r\n次のコマンドは入力されていません。ＡｕｔｏＣＡＤのコマンドラインに次の通り入力して下さい"
            "（空白は Enter キーです）。\r\n";
    for (std::string command : leftUndone) {
        // A carriage return ends an input just as a blank does; on one line it reads as one.
        for (char& c : command)
            if (c == '\r') c = ' ';
        const std::size_t end = command.find_last_not_of(' ');
        text += "\r\n" + command.substr(0, end == std::string::npos ? 0 : end + 1);
    }
    return text;
}

}  // namespace tessavue
