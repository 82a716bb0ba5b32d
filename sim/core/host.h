// The stand-in AutoCAD LT: a drawing and a command interpreter that consumes typed
// Shift-JIS bytes the way AutoCAD's command line does, synchronously. Typeahead is
// consumed in order; a blank or a carriage return is Enter (except at prompts that take
// text with blanks, which end only at a carriage return); ESC (1B) cancels the running
// command. What the user does with the mouse (picks, windows) comes in through the
// user-side calls, which only act while a command waits at a prompt that takes them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drawing.h"
#include "edition.h"

namespace tessavue::sim {

// One piece of input as it arrived: by which transport ("copydata", "paste", "edit",
// "script", ...) and its bytes.
struct InputChunk {
    std::string transport;
    std::string bytes;
    friend bool operator==(const InputChunk&, const InputChunk&) = default;
};

// What the command line waits for.
enum class PromptKind {
    Idle,     // the idle prompt: a command name
    Point,    // a point: typed coordinates or a pick
    Objects,  // object selection: keywords, typed points, picks, windows
    Text,     // a keyword or a number, typed only
};

class SimHost;

// A fault that stops the palette at the N-th command it types into the host (counted
// over the palette's own transports, WM_COPYDATA and the pasted clipboard, from when
// the fault is armed; the user's typing does not count):
//   Esc          the host takes that command's first input (its name and Enter), the
//                user's Esc cancels the command that then asks, and what the palette
//                typed after the name is dropped, as a cancel drops typed-ahead input;
//   Quit         AutoCAD is closed as the command arrives: the command is lost and
//                the host's windows go away;
//   PaletteClose the host takes the command, then the palette's window is told to
//                close, as a user closing it (its waits are abandoned);
//   Clipboard    from that command on another program holds the clipboard (LT 2006):
//                the command and every later one cannot be pasted.
// The host decides when; what Quit, PaletteClose and Clipboard do to the windows and
// the clipboard is done by its surroundings (SimHost::onFault).
enum class Fault { Esc, Quit, PaletteClose, Clipboard };
// "esc", "quit", "close", "clipboard"; nullopt for any other text.
std::optional<Fault> ParseFault(std::string_view name);
const char* FaultName(Fault fault);

// A command that is running. It asks its prompts through the host and ends with
// host.FinishCommand(); the host calls it back with each answer.
class Command {
public:
    virtual ~Command() = default;
    virtual void Start(SimHost& host) = 0;
    // A typed answer (without its terminating blank or carriage return).
    virtual void Answer(SimHost& host, const std::string& text) = 0;
    // The user clicked at `p` while a Point or Objects prompt waits.
    virtual void Click(SimHost& host, Point p) { (void)host, (void)p; }
    // The user dragged a selection window while an Objects prompt waits.
    virtual void Window(SimHost& host, Point a, Point b) { (void)host, (void)a, (void)b; }
};

// AutoCAD's coordinate input: "x,y", "x,y,z", "@dx,dy", "@" (the last point itself),
// "dist<angle" and "@dist<angle". The absolute forms are taken in a user coordinate
// system whose origin is the world point `origin`; the relative ones from `lastPoint`.
// The result is a world point; nullopt when `text` is none of these.
// A real number as AutoCAD takes it at a prompt: an optional "+", then what the C
// library reads in full; nullopt for anything else (and for infinities).
std::optional<double> ParseReal(std::string_view text);
std::optional<Point> ParsePointInput(std::string_view text, Point lastPoint, Point origin = {});
// A number as AutoCAD shows it with four decimals ("12.5000"); never "-0.0000".
std::string FormatDecimal(double value, int decimals = 4);

class SimHost {
public:
    explicit SimHost(Edition edition = Edition::LT2000);
    ~SimHost();
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    Edition edition() const { return edition_; }
    const EditionTexts& texts() const { return *texts_; }

    // --- typing ---------------------------------------------------------------
    // Records the chunk as received by `transport`, then types it.
    void Receive(const std::string& transport, std::string_view bytes);
    // Types bytes without recording them.
    void Type(std::string_view bytes);
    const std::vector<InputChunk>& ReceivedInput() const { return received_; }

    // --- faults ---------------------------------------------------------------------
    // Arms `fault` for the `n`-th command the palette types from now (n >= 1).
    void ArmFault(std::size_t n, Fault fault);
    // What the host's surroundings do when an armed fault comes due (not called for
    // Esc, which the host does itself).
    std::function<void(Fault)> onFault;
    // Whether the armed fault has come due.
    bool FaultFired() const { return faultFired_; }
    // Commands the palette has typed into this host (its transports only).
    std::size_t PaletteCommands() const { return paletteCommands_; }

    // --- the command line -------------------------------------------------------
    // The current line: the prompt and what is typed of its answer so far. While idle
    // with nothing typed it is exactly the idle prompt.
    const std::string& CommandLineText() const { return current_; }
    // Finished history lines, oldest first (the current line is not among them).
    const std::vector<std::string>& HistoryLines() const { return history_; }
    // The whole history as AutoCAD's copyhist copies it: every line, the current one
    // included, each ending in CR LF.
    std::string HistoryText() const;
    PromptKind Waiting() const { return waiting_; }
    bool InCommand() const { return command_ != nullptr; }
    // Name of the running command (upper case), or empty.
    const std::string& RunningCommand() const { return commandName_; }

    // --- the user's side ----------------------------------------------------------
    // A click at `p`: a point at a point prompt, an object (or the first corner of an
    // implied window) at an object prompt. False when nothing waits for a click.
    bool Click(Point p);
    // A selection window dragged from `a` to `b` (right to left: crossing). False when
    // no object prompt waits.
    bool SelectWindow(Point a, Point b);
    // How near (drawing units) a click must come to an object to pick it.
    double pickbox = 1.0;

    // --- state later commands and tests read ---------------------------------------
    Drawing& drawing() { return drawing_; }
    const Drawing& drawing() const { return drawing_; }
    Point LastPoint() const { return lastPoint_; }
    void SetLastPoint(Point p) { lastPoint_ = p; }
    const std::vector<int>& PreviousSelection() const { return previousSelection_; }
    void SetPreviousSelection(std::vector<int> ids) { previousSelection_ = std::move(ids); }
    std::optional<Point> LastLineEnd() const { return lastLineEnd_; }
    void SetLastLineEnd(Point p) { lastLineEnd_ = p; }
    std::size_t UndoDepth() const { return undo_.size(); }
    // Counts every change of what the command line, the history or the drawing shows.
    std::uint64_t Revision() const { return revision_; }

    // FILEDIA: 1 opens file dialogs (dxfout then takes no typed file name), 0 asks on
    // the command line.
    int filedia = 1;
    // The file a typed (Shift-JIS) file name means. Unset: the bytes are taken as the
    // native path, which is right where paths are UTF-8 or plain ASCII.
    std::function<std::filesystem::path(const std::string&)> pathFromText;
    std::filesystem::path PathFromText(const std::string& text) const {
        return pathFromText ? pathFromText(text) : std::filesystem::path(text);
    }
    // Every file dxfout wrote, in order.
    std::vector<std::filesystem::path> writtenFiles;

    // TEXTSIZE and the last text angle: what Enter keeps at TEXT's prompts.
    double textHeight = 2.5;
    double textAngle = 0;
    // CIRCLERAD: the last circle's radius, which Enter takes at CIRCLE's radius prompt
    // (0: no circle drawn yet, no default offered).
    double circleRadius = 0;

    // Where copyhist puts the history (the clipboard). Unset: copyhist copies nowhere.
    std::function<void(const std::string&)> setClipboard;

    // --- for commands ---------------------------------------------------------------
    // A prompt on a new line.
    void Ask(PromptKind kind, std::string_view prompt, bool crOnly = false);
    // A prompt that goes on on the command's echo line ("ｺﾏﾝﾄﾞ: id 点を指定: ").
    void AskOnSameLine(PromptKind kind, std::string_view prompt, bool crOnly = false);
    // A message on a line of its own.
    void Message(std::string_view text);
    // Text that goes on on the current line (after a pick, which AutoCAD does not echo).
    void Append(std::string_view text);
    // The running command is done; the idle prompt comes back once it returns.
    void FinishCommand();
    // Undoes the last recorded command: its name, or nullopt when nothing is left.
    std::optional<std::string> UndoLast();

    // A typed point as AutoCAD takes it: in the current UCS, "@" from the last point.
    std::optional<Point> ParsePoint(std::string_view text) const {
        return ParsePointInput(text, lastPoint_, drawing_.ucsOrigin);
    }
    // A world point in the current UCS, as every coordinate is shown.
    Point ToUcs(Point world) const { return Point{world.x - drawing_.ucsOrigin.x, world.y - drawing_.ucsOrigin.y}; }
    // A length or a coordinate in the drawing's units (LUNITS, LUPREC).
    std::string ShowLength(double value) const;
    // A world point as "x,y,z" in the current UCS and the drawing's units.
    std::string ShowPoint(Point world) const;

    // How many lines the command line has shown so far: the finished history lines and
    // the current one once it holds anything. A listing counts its lines with it.
    std::size_t LinesShown() const { return history_.size() + (pendingNewLine_ || !current_.empty() ? 1 : 0); }
    // LinesShown() just before the running command's echo line went up.
    std::size_t CommandStartLine() const { return commandStartLine_; }

private:
    struct UndoStep {
        std::string command;
        Drawing before;
    };

    void TypeByte(char c);
    void Submit();
    void Cancel();
    void StartCommand(const std::string& typed);
    void AfterCommandCall();
    void EndCommand();
    void ShowIdle();
    void NewLine();
    void Changed() { ++revision_; }

    Edition edition_;
    const EditionTexts* texts_;
    Drawing drawing_;

    std::vector<std::string> history_;
    std::string current_;
    std::size_t answerStart_ = 0;
    bool pendingNewLine_ = false;
    bool crOnly_ = false;
    bool leadBytePending_ = false;
    PromptKind waiting_ = PromptKind::Idle;

    std::unique_ptr<Command> command_;
    std::string commandName_;
    std::string lastCommand_;
    bool finished_ = false;
    Drawing commandStartDrawing_;
    std::size_t commandStartLine_ = 0;

    Point lastPoint_{};
    std::optional<Point> lastLineEnd_;
    std::vector<int> previousSelection_;
    std::vector<UndoStep> undo_;
    std::vector<InputChunk> received_;
    std::uint64_t revision_ = 0;

    std::optional<Fault> fault_;
    std::size_t faultAt_ = 0;  // in PaletteCommands()
    bool faultFired_ = false;
    std::size_t paletteCommands_ = 0;
};

}  // namespace tessavue::sim
