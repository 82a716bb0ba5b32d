#include "sim.h"

#include <fstream>

#include "core/edition.h"
#include "texts.h"
#include "windows_util.h"

namespace tessavue::e2e {

namespace {

constexpr ULONG_PTR kTypeCommand = 1;
constexpr ULONG_PTR kWriteDump = 2;
constexpr ULONG_PTR kReleaseHeld = 3;
constexpr ULONG_PTR kTypeAsUser = 4;
constexpr ULONG_PTR kArmFault = 5;
constexpr ULONG_PTR kReleaseClipboard = 6;

std::string TitleOf(HWND window) {
    char buffer[256] = {};
    const int length = GetWindowTextA(window, buffer, 256);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string ClassOfA(HWND window) {
    char buffer[256] = {};
    const int length = GetClassNameA(window, buffer, 256);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string TextOfA(HWND window) {
    char buffer[256] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                             &copied)) {
        return {};
    }
    return std::string(buffer);
}

}  // namespace

Expected<Sim> Sim::Start(const std::filesystem::path& program, const SimOptions& options, milliseconds bound) {
    const auto edition = sim::ParseEdition(ToCp932(options.edition));
    if (!edition) return Status::Fail("unknown edition " + Quoted(options.edition) + " (LT2000, LT2002, LT2006)");
    const sim::EditionTexts& texts = sim::TextsFor(*edition);

    std::vector<std::wstring> arguments{L"--edition", options.edition};
    if (!options.userScript.empty()) {
        arguments.push_back(L"--user-script");
        arguments.push_back(options.userScript.wstring());
    }
    if (!options.dump.empty()) {
        arguments.push_back(L"--dump");
        arguments.push_back(options.dump.wstring());
    }
    if (!options.drawing.empty()) {
        arguments.push_back(L"--drawing");
        arguments.push_back(options.drawing.wstring());
    }
    if (!options.holdAt.empty()) {
        arguments.push_back(L"--hold-at");
        arguments.push_back(options.holdAt);
    }
    auto process = Process::Start(program, arguments);
    if (!process) return process.status();

    Sim sim(std::move(*process), options, std::string(texts.idlePrompt), std::string(texts.commandLineClass));
    Status shown = WaitFor(
        [&] {
            for (HWND window : TopLevelWindowsOf(sim.process_.id())) {
                if (IsWindowVisible(window) && IsHostMainTitle(TitleOf(window))) {
                    sim.main_ = window;
                    return true;
                }
            }
            return !sim.process_.Running();
        },
        bound, "the stand-in's main window");
    if (!shown) return shown;
    if (!sim.main_) {
        const auto code = sim.process_.ExitCode();
        return Status::Fail("the stand-in ended before showing its window (exit code " +
                            (code ? std::to_string(*code) : std::string("unknown")) + ")");
    }
    Status idle = sim.WaitUntilIdle(bound);
    if (!idle) return idle;
    return sim;
}

Expected<HWND> Sim::CommandLineWindow() const {
    if (!IsWindow(main_)) return Status::Fail("the stand-in's main window is gone");
    for (HWND child : DescendantsOf(main_)) {
        if (ClassOfA(child).find(commandLineClass_) == std::string::npos) continue;
        // The paste window of LT 2006 shares the class text; it always shows "Marin".
        if (TextOfA(child) == "Marin") continue;
        return child;
    }
    return Status::Fail("the stand-in has no command-line window of class " + ToUtf8(FromCp932(commandLineClass_)));
}

Expected<std::string> Sim::CommandLine() const {
    auto window = CommandLineWindow();
    if (!window) return window.status();
    return TextOfA(*window);
}

Status Sim::WaitForCommandLine(const std::string& text, milliseconds bound) const {
    std::string last;
    Status waited = WaitFor(
        [&] {
            auto line = CommandLine();
            if (line) last = *line;
            return line && *line == text;
        },
        bound, "the stand-in's command line to show " + Quoted(FromCp932(text)));
    if (waited) return waited;
    return Status::Fail(waited.message() + "; it shows " + Quoted(FromCp932(last)));
}

Status Sim::WaitUntilBusy(milliseconds bound) const {
    return WaitFor(
        [&] {
            auto line = CommandLine();
            return line && *line != idlePrompt_;
        },
        bound, "the stand-in to leave its idle prompt");
}

Status Sim::SendCopyData(ULONG_PTR kind, const std::string& payload) {
    if (!IsWindow(main_)) return Status::Fail("the stand-in's main window is gone");
    std::string bytes = payload;
    bytes.push_back('\0');
    COPYDATASTRUCT data{};
    data.dwData = kind;
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = bytes.data();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                             &result)) {
        return Status::Fail("the stand-in did not take WM_COPYDATA " + std::to_string(kind));
    }
    if (result != TRUE) return Status::Fail("the stand-in refused WM_COPYDATA " + std::to_string(kind));
    return Status::Ok();
}

Status Sim::Type(const std::string& commandString) { return SendCopyData(kTypeCommand, commandString); }

Status Sim::TypeAsUser(const std::string& keys) { return SendCopyData(kTypeAsUser, keys); }

Status Sim::ArmFault(int n, const std::string& kind) {
    return SendCopyData(kArmFault, std::to_string(n) + " " + kind);
}

Status Sim::ReleaseClipboard() { return SendCopyData(kReleaseClipboard, std::string()); }

Status Sim::Release() { return SendCopyData(kReleaseHeld, std::string()); }

Expected<sim::SimDump> Sim::Dump(const std::filesystem::path& file) {
    const std::filesystem::path target = file.empty() ? options_.dump : file;
    if (target.empty()) return Status::Fail("no dump file: the stand-in was started without --dump");
    std::error_code error;
    std::filesystem::remove(target, error);
    // WM_COPYDATA is sent, not posted: the file is complete when the call returns.
    Status written = SendCopyData(kWriteDump, ToCp932(target.wstring()));
    if (!written) return written;
    std::ifstream in(target, std::ios::binary);
    if (!in) return Status::Fail("cannot open the dump file " + ToUtf8(target.wstring()));
    std::string reason;
    auto dump = sim::ReadDump(in, &reason);
    if (!dump) return Status::Fail("the dump file " + ToUtf8(target.wstring()) + " is damaged: " + reason);
    return std::move(*dump);
}

}  // namespace tessavue::e2e
