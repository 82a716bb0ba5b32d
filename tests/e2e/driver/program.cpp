#include "program.h"

#include "platform/win32/program_path.h"

#include "texts.h"
#include "windows_util.h"

namespace tessavue::e2e {

namespace {

// One argument quoted for CommandLineToArgvW and the C runtime: backslashes are
// literal except before a quote, where they are doubled along with the escape.
std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::string SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer ? std::wstring(buffer, length) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return "error " + std::to_string(code) + (text.empty() ? "" : " (" + ToUtf8(text) + ")");
}

}  // namespace

std::wstring BuildCommandLine(const std::filesystem::path& program, const std::vector<std::wstring>& arguments) {
    std::wstring line = QuoteArgument(program.wstring());
    for (const auto& argument : arguments) {
        line += L' ';
        line += QuoteArgument(argument);
    }
    return line;
}

std::filesystem::path OwnFolder() { return ProgramPath().parent_path(); }

Expected<Process> Process::Start(const std::filesystem::path& program, const std::vector<std::wstring>& arguments,
                                 const std::filesystem::path& workingFolder) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(program, error)) {
        return Status::Fail("cannot start " + ToUtf8(program.wstring()) + ": no such program");
    }
    std::wstring commandLine = BuildCommandLine(program, arguments);
    const std::filesystem::path folder = workingFolder.empty() ? program.parent_path() : workingFolder;
    const std::wstring folderText = folder.wstring();

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folderText.c_str(), &startup, &info)) {
        return Status::Fail("cannot start " + ToUtf8(commandLine) + ": " + SystemErrorText(GetLastError()));
    }
    CloseHandle(info.hThread);
    return Process(info.hProcess, info.dwProcessId, program.filename().wstring());
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)), name_(std::move(other.name_)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
        name_ = std::move(other.name_);
    }
    return *this;
}

Process::~Process() { Release(); }

void Process::Release() {
    if (!process_) return;
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, static_cast<DWORD>(kDefaultBound.count()));
    }
    CloseHandle(process_);
    process_ = nullptr;
}

void Process::Detach() {
    if (process_) CloseHandle(process_);
    process_ = nullptr;
}

bool Process::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::ExitCode() const {
    if (!process_ || Running()) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

Status Process::WaitForExit(milliseconds bound) {
    if (!process_) return Status::Fail("no program was started");
    return WaitFor([&] { return !Running(); }, bound, ToUtf8(name_) + " to end");
}

Status Process::AskToClose(milliseconds bound) {
    if (!process_) return Status::Fail("no program was started");
    for (HWND window : TopLevelWindowsOf(id_)) {
        if (IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return WaitForExit(bound);
}

Status Process::Terminate(milliseconds bound) {
    if (!process_) return Status::Fail("no program was started");
    if (Running() && !TerminateProcess(process_, 1) && Running()) {
        return Status::Fail("cannot end " + ToUtf8(name_) + ": " + SystemErrorText(GetLastError()));
    }
    return WaitForExit(bound);
}

}  // namespace tessavue::e2e
