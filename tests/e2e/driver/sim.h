// The stand-in AutoCAD LT (tessavue-sim.exe) seen from outside, as the palette sees
// it: its main window, its command-line text window, and the two WM_COPYDATA requests
// it understands (type a command string; write the drawing to its dump file).
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/dump.h"
#include "program.h"
#include "status.h"
#include "waiting.h"

namespace tessavue::e2e {

struct SimOptions {
    std::wstring edition = L"LT2000";  // --edition: LT2000, LT2002 or LT2006
    std::filesystem::path userScript;  // --user-script, when not empty
    std::filesystem::path dump;        // --dump, when not empty
    std::filesystem::path drawing;     // --drawing: a DXF file to start on
    std::wstring holdAt;               // --hold-at: input holding this text waits for Release
};

class Sim {
public:
    // Starts `program` with the options and waits until its main window shows and its
    // command line is idle.
    static Expected<Sim> Start(const std::filesystem::path& program, const SimOptions& options,
                               milliseconds bound = kDefaultBound);

    Process& process() { return process_; }
    HWND mainWindow() const { return main_; }
    const SimOptions& options() const { return options_; }

    // The command-line text window's text (Shift-JIS), as the palette reads it.
    Expected<std::string> CommandLine() const;
    // Shift-JIS text of the idle prompt of this edition.
    const std::string& IdlePrompt() const { return idlePrompt_; }
    Status WaitForCommandLine(const std::string& text, milliseconds bound = kDefaultBound) const;
    Status WaitUntilIdle(milliseconds bound = kDefaultBound) const { return WaitForCommandLine(idlePrompt_, bound); }
    // Waits until the command line shows anything but the idle prompt.
    Status WaitUntilBusy(milliseconds bound = kDefaultBound) const;

    // Types a Shift-JIS command string as the palette does on LT 2000 and 2002
    // (WM_COPYDATA with dwData 1, the text with its terminating zero byte).
    Status Type(const std::string& commandString);
    // Asks the stand-in to write its state (drawing, history, input received) to
    // `file`, or to its --dump file when `file` is empty (WM_COPYDATA with dwData 2 and
    // the path), and reads it back.
    Expected<sim::SimDump> Dump(const std::filesystem::path& file = {});
    // Lets in the input held since the --hold-at text arrived (WM_COPYDATA dwData 3).
    Status Release();
    // Keys typed by the user at the command line (WM_COPYDATA dwData 4): the stand-in
    // does not count them among the palette's commands.
    Status TypeAsUser(const std::string& keys);
    // A fault at the n-th command the palette types from now: "esc", "quit", "close"
    // or "clipboard" (WM_COPYDATA dwData 5).
    Status ArmFault(int n, const std::string& kind);
    // The clipboard held by a clipboard fault is let go (WM_COPYDATA dwData 6).
    Status ReleaseClipboard();

    // The command-line text window: the descendant of the main window whose class
    // holds this edition's class text.
    Expected<HWND> CommandLineWindow() const;

private:
    Sim(Process process, SimOptions options, std::string idlePrompt, std::string commandLineClass)
        : process_(std::move(process)),
          options_(std::move(options)),
          idlePrompt_(std::move(idlePrompt)),
          commandLineClass_(std::move(commandLineClass)) {}
    Status SendCopyData(ULONG_PTR kind, const std::string& payload);

    Process process_;
    HWND main_ = nullptr;
    SimOptions options_;
    std::string idlePrompt_;
    std::string commandLineClass_;
};

}  // namespace tessavue::e2e
