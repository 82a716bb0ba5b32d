// What a command did to the user's drawing, noted as it types it, so that a command
// that stops early puts the drawing back exactly as it found it.
//
// The journal holds three things, each with the way it is put back:
//   - undo steps: commands AutoCAD records and "u" takes back, one "u " each. Undo
//     goes back in order, so once a step is held every later step is noted too,
//     also one that changes nothing (an export, a history query);
//   - the turn of the previous selection set about the last point, put back by the
//     opposite turn (the exports between the turns make steps of their own, so "u"
//     would have to count them);
//   - FILEDIA set to 0, put back by "filedia 1 ".
// The undo steps are put back first: a journal that turns and then holds steps (an
// erasure of the turned objects, an insertion) gets the turned objects back before it
// turns them back.
// A command is noted once it is typed, whether AutoCAD finishes it or the put-back
// cancels it: AutoCAD records a cancelled command as a step too. A command that
// could not be typed is not noted: it never reached AutoCAD.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/host_link.h"

namespace tessavue {

class UndoJournal {
public:
    explicit UndoJournal(HostLink& link) : link_(link) {}

    // Types `command`, one undo step, and waits for the idle prompt. False when it
    // could not be typed or the wait was abandoned.
    bool Run(const std::string& command);
    // Steps another routine typed (an export, a history query).
    void NoteSteps(std::size_t steps) { undoSteps_ += steps; }
    // Types "u " `steps` times and waits; the steps leave the journal once typed.
    bool Undo(std::size_t steps);
    // Turns the previous selection set by `degrees` about (x, y), typed as numbers: the
    // point as the palette read it, so that every later step works from the same one.
    // Every turn of one journal is about the same point.
    bool Turn(int degrees, double x, double y);
    // Sets FILEDIA to 1 or 0.
    bool FileDialogs(bool on);

    // Whether a command typed since the last one whose echo begins with `echo` (the
    // command word as typed) was cancelled, as the history shows: the user's Esc may
    // fall on any of them, and a cancelled turn, export or erasure would leave the
    // figure half made. The history copy is an undo step of its own and noted. True
    // also when the history cannot be had: nothing is known to have gone through.
    bool CancelledSince(const std::string& echo);

    // The undo steps held: what "u" has to take back.
    std::size_t Steps() const { return undoSteps_; }
    // The commands that put the drawing back now, in the order they are typed.
    std::vector<std::string> PutBackCommands() const;

    // Puts the drawing back while AutoCAD is there: a command still asking for input
    // (the one that stopped) is cancelled first, then the put-back commands follow, each waited for unless
    // the waits are over (the palette closing). Returns the commands it could not
    // type (empty when it typed them all, or when AutoCAD is gone), so that the user
    // can be told to finish the put-back by hand. The journal is empty afterwards.
    std::vector<std::string> PutBack();

private:
    HostLink& link_;
    std::size_t undoSteps_ = 0;
    int turnedDegrees_ = 0;
    double turnX_ = 0;
    double turnY_ = 0;
    bool fileDialogsOff_ = false;
    bool fileDialogsTurnedOff_ = false;
};

// The command that turns the previous selection set by `degrees` about (x, y).
std::string TurnCommand(int degrees, double x, double y);

// What the user is told when a command stopped because AutoCAD could not be typed
// into, with the put-back commands it could not type (none: nothing is left to do).
std::string TypingFailedMessage(const std::vector<std::string>& leftUndone);

}  // namespace tessavue
