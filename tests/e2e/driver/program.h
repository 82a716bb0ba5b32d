// A program the driver started. The driver keeps the process handle for the whole
// life of the object and ends the program by that handle, never by name, so a test
// cleans up exactly what it started even when it fails half-way.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "status.h"
#include "waiting.h"

namespace tessavue::e2e {

// The command line CreateProcessW gets for `program` and `arguments`, each quoted the
// way the C runtime splits it again (blanks, quotes and trailing backslashes survive).
std::wstring BuildCommandLine(const std::filesystem::path& program, const std::vector<std::wstring>& arguments);

// The folder of the running program, from GetModuleFileNameW, so that the programs
// beside it are found from any folder, Japanese names and blanks included.
std::filesystem::path OwnFolder();

class Process {
public:
    // Starts `program` with `arguments` in `workingFolder` (the program's own folder
    // when empty).
    static Expected<Process> Start(const std::filesystem::path& program, const std::vector<std::wstring>& arguments,
                                   const std::filesystem::path& workingFolder = {});

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    // Ends the program by its handle if it still runs.
    ~Process();

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    const std::wstring& name() const { return name_; }

    bool Running() const;
    // The exit code once the program has ended.
    std::optional<DWORD> ExitCode() const;

    Status WaitForExit(milliseconds bound);
    // Posts WM_CLOSE to every visible top-level window of the program (as the close
    // box does) and waits for it to end.
    Status AskToClose(milliseconds bound);
    // TerminateProcess and a wait for the end.
    Status Terminate(milliseconds bound = kDefaultBound);
    // Lets the program run on after this object is gone.
    void Detach();

private:
    Process(HANDLE process, DWORD id, std::wstring name) : process_(process), id_(id), name_(std::move(name)) {}
    void Release();

    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    std::wstring name_;
};

}  // namespace tessavue::e2e
