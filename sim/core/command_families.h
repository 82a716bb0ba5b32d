// What the stand-in's command families share: the base of the commands that begin
// with an object selection, the number reading of their prompts, and the factories
// the command table of commands.cpp calls. Only the command files include this.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "commands.h"

namespace tessavue::sim {

// A command that begins with an object selection and acts once the selection ends.
class SelectingCommand : public Command {
public:
    void Start(SimHost& host) override { selector_.Begin(host); }
    void Answer(SimHost& host, const std::string& text) override {
        if (selector_.Answer(host, text)) Selected(host);
    }
    void Click(SimHost& host, Point p) override {
        if (selector_.Click(host, p)) Selected(host);
    }
    void Window(SimHost& host, Point a, Point b) override {
        if (selector_.Window(host, a, b)) Selected(host);
    }

protected:
    virtual void Selected(SimHost& host) = 0;
    ObjectSelector selector_;
};

// drawing_commands.cpp
std::unique_ptr<Command> MakeLineCommand();
std::unique_ptr<Command> MakeEllipseCommand();
std::unique_ptr<Command> MakeTextCommand();
std::unique_ptr<Command> MakeDimLinearCommand();
// curve_commands.cpp
std::unique_ptr<Command> MakeCircleCommand();
std::unique_ptr<Command> MakeArcCommand();
std::unique_ptr<Command> MakePlineCommand();
// changing_commands.cpp
std::unique_ptr<Command> MakeEraseCommand();
std::unique_ptr<Command> MakeUndoCommand();
std::unique_ptr<Command> MakeRotateCommand();
std::unique_ptr<Command> MakeScaleCommand();
std::unique_ptr<Command> MakeCopyCommand();
std::unique_ptr<Command> MakeExplodeCommand();
// asking_commands.cpp
std::unique_ptr<Command> MakeSelectCommand();
std::unique_ptr<Command> MakeListCommand();
std::unique_ptr<Command> MakeIdCommand();
std::unique_ptr<Command> MakeLastPointCommand();
std::unique_ptr<Command> MakeCopyHistCommand();
// file_commands.cpp
std::unique_ptr<Command> MakeDxfOutCommand();
std::unique_ptr<Command> MakeInsertCommand();
std::unique_ptr<Command> MakePurgeCommand();
// settings_commands.cpp
std::unique_ptr<Command> MakeLayerCommand();
std::unique_ptr<Command> MakeFiledialogCommand();
std::unique_ptr<Command> MakeLinearUnitsCommand();
std::unique_ptr<Command> MakeUnitPrecisionCommand();
std::unique_ptr<Command> MakeDimensionDecimalsCommand();
std::unique_ptr<Command> MakeUcsCommand();
std::unique_ptr<Command> MakeWorldUcsCommand();

}  // namespace tessavue::sim
