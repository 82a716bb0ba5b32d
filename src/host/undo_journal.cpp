#include "host/undo_journal.h"

#include "dxf_data/number_text.h"
#include "host/history_queries.h"

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
    if (!on) fileDialogsTurnedOff_ = true;
    // Setting a variable is an undo step like any command: "u" must count it once it
    // undoes steps before it.
    if (undoSteps_ > 0) ++undoSteps_;
    return link_.WaitForCommandLine(link_.CommandPrompt, WaitMode::Exact);
}

bool UndoJournal::CancelledSince(const std::string& echo) {
    const HostHistory history = CopyHostHistory(link_);
    if (history.typed) ++undoSteps_;
    const bool cancelled = !history.finished || HistoryShowsCancel(history.lines, link_.CommandPrompt + echo);
    // The cancelled command may be the one that turned the file dialogs back on.
    if (cancelled && fileDialogsTurnedOff_) fileDialogsOff_ = true;
    return cancelled;
}

std::vector<std::string> UndoJournal::PutBackCommands() const {
    std::vector<std::string> commands;
    // The undo steps are the newest: they go first, so that the turn is taken back
    // from the objects as the turn left them (an erasure after it undone).
    if (undoSteps_ > 0) {
        std::string undo;
        for (std::size_t i = 0; i < undoSteps_; ++i) undo += "u ";
        commands.push_back(undo);
    }
    if (turnedDegrees_ != 0) commands.push_back(TurnCommand(-turnedDegrees_, turnX_, turnY_));
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
            "（空白と各行の終わりは Enter キーです）。\r\n";
    for (const std::string& command : leftUndone) {
        // A carriage return ends an input that may hold blanks (a block name), where a
        // blank would not: the line ends there, and the user presses Enter.
        std::size_t from = 0;
        while (from < command.size()) {
            std::size_t cr = command.find('\r', from);
            if (cr == std::string::npos) cr = command.size();
            const std::string part = command.substr(from, cr - from);
            const std::size_t end = part.find_last_not_of(' ');
            if (end != std::string::npos) text += "\r\n" + part.substr(0, end + 1);
            from = cr + 1;
        }
    }
    return text;
}

}  // namespace tessavue
