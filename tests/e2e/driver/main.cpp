// tessavue-driver.exe: the end-to-end driver as a command for scripts. Each call does
// one step on the running palette (and the stand-in host) and ends; see Usage below.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "control_names.h"
#include "core/edition.h"
#include "palette.h"
#include "program.h"
#include "texts.h"
#include "windows_util.h"

namespace {

using namespace tessavue::e2e;

const char* const kUsage =
    "usage: tessavue-driver [--pid N] [--timeout MS] COMMAND [ARGUMENTS]\n"
    "\n"
    "Drives the running Tessavue palette (window class TForm1) the way a user does.\n"
    "Without --pid the first palette window found is used. Every wait ends after\n"
    "--timeout milliseconds (default 20000) with a message on stderr and exit code 1.\n"
    "Controls are named as in the palette (Edit7, Button2, ComboBox1, menu_help_catc)\n"
    "or given by their numeric id. Texts are read and printed as UTF-8.\n"
    "\n"
    "Commands:\n"
    "  start PROGRAM [ARGS...] start a program and leave it running; prints its\n"
    "                          process id\n"
    "  wait-palette            wait until a palette window is shown; prints its process id\n"
    "  activate                bring the palette to the front (it checks its fields)\n"
    "  set-edit ID TEXT        set an edit's text without moving the focus\n"
    "  leave-edit ID           put the focus into the edit, then move it on to the kind\n"
    "                          list (the palette checks the edit)\n"
    "  get-text ID             print a control's text\n"
    "  select-kind TEXT        pick a figure kind in the kind list\n"
    "  click ID                press a button (fails when it is hidden or disabled)\n"
    "  menu ID                 run a menu item as a mouse click does (the menu is\n"
    "                          reached through tessavue-driver-hook.dll beside this\n"
    "                          program)\n"
    "  menu-state ID           print 'enabled|greyed checked|unchecked'\n"
    "  state ID                print 'visible|hidden enabled|disabled'\n"
    "  checked ID              print 'checked|unchecked' (a check box)\n"
    "  rect ID                 print the control's rectangle on the screen in pixels:\n"
    "                          'LEFT TOP RIGHT BOTTOM'\n"
    "  settle                  wait until the palette has handled what it was sent\n"
    "  boxes                   wait until the palette settles, pressing OK on every\n"
    "                          message box on the way; prints each as 'TITLE<TAB>TEXT'\n"
    "                          with CR and LF written as \\r and \\n\n"
    "  sim-type TEXT           type a command string into the stand-in AutoCAD\n"
    "                          (WM_COPYDATA 1; a blank is Enter)\n"
    "  sim-dump [FILE]         have the stand-in write its state dump to FILE, or to its\n"
    "                          --dump file (WM_COPYDATA 2)\n"
    "  sim-line                print the stand-in's command-line text\n"
    "  sim-wait-prompt NAME    wait until the stand-in asks for objects (select-objects),\n"
    "                          the point of ID (id-point) or an insertion point\n"
    "                          (insert-point)\n";


void Print(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }

int Fail(const std::string& utf8) {
    std::fflush(stdout);
    const std::string line = "tessavue-driver: " + utf8 + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return 1;
}

int Usage(const std::string& problem) {
    const std::string line = "tessavue-driver: " + problem + "\n\n" + kUsage;
    std::fwrite(line.data(), 1, line.size(), stderr);
    return 2;
}

std::optional<long long> ParseNumber(const std::wstring& text) {
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (wchar_t c : text) {
        if (!std::iswdigit(c) || value > 100000000) return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    return value;
}

std::optional<int> ParseControl(const std::wstring& text) {
    if (auto named = ControlByName(text)) return named;
    if (auto number = ParseNumber(text)) return static_cast<int>(*number);
    return std::nullopt;
}

// Escapes CR and LF so that one box is one output line.
std::string OneLine(const std::wstring& text) {
    std::wstring shown;
    for (wchar_t c : text) {
        if (c == L'\r') shown += L"\\r";
        else if (c == L'\n') shown += L"\\n";
        else shown += c;
    }
    return ToUtf8(shown);
}

// The first top-level palette window: its process, for --pid-less calls.
std::optional<DWORD> AnyPaletteProcess() {
    HWND window = FindWindowW(kPaletteClass, nullptr);
    if (!window) return std::nullopt;
    return ProcessOf(window);
}

// A named callback, not a lambda: on 32-bit Windows it must be stdcall (CALLBACK).
BOOL CALLBACK TakeHostMain(HWND window, LPARAM context) {
    char title[256] = {};
    if (GetWindowTextA(window, title, 256) > 0 && IsWindowVisible(window) && IsHostMainTitle(title)) {
        *reinterpret_cast<HWND*>(context) = window;
    }
    return TRUE;
}

HWND FindHostMain() {
    HWND found = nullptr;
    EnumWindows(TakeHostMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

int SimCopyData(ULONG_PTR kind, const std::string& payload) {
    HWND main = FindHostMain();
    if (!main) return Fail("no stand-in AutoCAD window is open");
    std::string bytes = payload;
    bytes.push_back('\0');
    COPYDATASTRUCT data{kind, static_cast<DWORD>(bytes.size()), bytes.data()};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000, &result)) {
        return Fail("the stand-in did not take the request");
    }
    if (result != TRUE) return Fail("the stand-in refused the request");
    return 0;
}

// The stand-in's command-line text (Shift-JIS): the descendant of its main window whose
// class starts "Afx:" and whose text is not the LT 2006 paste window's "Marin".
std::optional<std::string> SimCommandLine() {
    HWND main = FindHostMain();
    if (!main) return std::nullopt;
    for (HWND child : DescendantsOf(main)) {
        char className[256] = {};
        GetClassNameA(child, className, 256);
        if (std::string(className).rfind("Afx:", 0) != 0) continue;
        char text[256] = {};
        SendMessageTimeoutA(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
        if (std::string(text) == "Marin") continue;
        return std::string(text);
    }
    return std::nullopt;
}

int SimLine() {
    if (!FindHostMain()) return Fail("no stand-in AutoCAD window is open");
    const auto line = SimCommandLine();
    if (!line) return Fail("the stand-in has no command-line window");
    Print(ToUtf8(FromCp932(*line)) + "\n");
    return 0;
}

// Waits until the stand-in asks for what `name` says, in any edition's words: a script
// answers the prompt only once it is there, as a person at AutoCAD does.
int SimWaitPrompt(const std::wstring& name, milliseconds bound) {
    std::string_view tessavue::sim::EditionTexts::*prompt = nullptr;
    if (name == L"select-objects") prompt = &tessavue::sim::EditionTexts::selectObjects;
    if (name == L"id-point") prompt = &tessavue::sim::EditionTexts::idPoint;
    if (name == L"insert-point") prompt = &tessavue::sim::EditionTexts::insertPoint;
    if (name == L"text-start") prompt = &tessavue::sim::EditionTexts::textStartPoint;
    if (!prompt)
        return Usage("unknown prompt " + ToUtf8(name) + " (select-objects, id-point, insert-point, text-start)");
    Status asked = WaitFor(
        [&] {
            const auto line = SimCommandLine();
            if (!line) return false;
            for (auto edition : {tessavue::sim::Edition::LT2000, tessavue::sim::Edition::LT2002,
                                 tessavue::sim::Edition::LT2006}) {
                if (line->ends_with(tessavue::sim::TextsFor(edition).*prompt)) return true;
            }
            return false;
        },
        bound, "the stand-in's prompt");
    return asked ? 0 : Fail(asked.message());
}

// What each command takes, checked before anything is looked for, so that a mistyped
// call fails at once with a usage message instead of waiting for a palette.
struct CommandShape {
    const wchar_t* name;
    std::size_t leastArguments;
    std::size_t mostArguments;
    bool firstIsControl;
};

constexpr std::size_t kAny = 1000;
const CommandShape kCommands[] = {
    {L"start", 1, kAny, false},       {L"wait-palette", 0, 0, false}, {L"activate", 0, 0, false},
    {L"set-edit", 2, 2, true},        {L"leave-edit", 1, 1, true},    {L"get-text", 1, 1, true},
    {L"select-kind", 1, 1, false},    {L"click", 1, 1, true},         {L"menu", 1, 1, true},
    {L"menu-state", 1, 1, true},      {L"state", 1, 1, true},         {L"settle", 0, 0, false},
    {L"boxes", 0, 0, false},          {L"sim-type", 1, 1, false},     {L"sim-dump", 0, 1, false},
    {L"sim-line", 0, 0, false},       {L"sim-wait-prompt", 1, 1, false},
    {L"checked", 1, 1, true},         {L"rect", 1, 1, true},
};

int Run(std::vector<std::wstring> args) {
    std::optional<DWORD> pid;
    milliseconds bound = kDefaultBound;
    while (!args.empty() && args.front().rfind(L"--", 0) == 0) {
        const std::wstring option = args.front();
        args.erase(args.begin());
        if (option == L"--help") {
            Print(kUsage);
            return 0;
        }
        if (option != L"--pid" && option != L"--timeout") return Usage("unknown option " + ToUtf8(option));
        if (args.empty()) return Usage("option " + ToUtf8(option) + " needs a value");
        const auto value = ParseNumber(args.front());
        args.erase(args.begin());
        if (!value) return Usage("option " + ToUtf8(option) + " needs a number");
        if (option == L"--pid") pid = static_cast<DWORD>(*value);
        else bound = milliseconds(*value);
    }
    if (args.empty()) return Usage("no command");
    const std::wstring command = args.front();
    args.erase(args.begin());

    const CommandShape* shape = nullptr;
    for (const auto& candidate : kCommands) {
        if (command == candidate.name) shape = &candidate;
    }
    if (!shape) return Usage("unknown command " + ToUtf8(command));
    if (args.size() < shape->leastArguments || args.size() > shape->mostArguments) {
        return Usage("wrong number of arguments for " + ToUtf8(command));
    }
    int id = 0;
    if (shape->firstIsControl) {
        const auto parsed = ParseControl(args[0]);
        if (!parsed) return Usage("unknown control " + ToUtf8(args[0]));
        id = *parsed;
    }

    if (command == L"start") {
        const std::filesystem::path program = args.front();
        auto process = Process::Start(program, std::vector<std::wstring>(args.begin() + 1, args.end()));
        if (!process) return Fail(process.message());
        Print(std::to_string(process->id()) + "\n");
        // The program outlives this command.
        process->Detach();
        return 0;
    }
    if (command == L"sim-type") return SimCopyData(1, ToCp932(args[0]));
    if (command == L"sim-dump") return SimCopyData(2, args.empty() ? std::string() : ToCp932(args[0]));
    if (command == L"sim-line") return SimLine();
    if (command == L"sim-wait-prompt") return SimWaitPrompt(args[0], bound);

    if (!pid) {
        if (command == L"wait-palette") {
            Status found = WaitFor([&] { return (pid = AnyPaletteProcess()).has_value(); }, bound,
                                   "a palette window (class TForm1)");
            if (!found) return Fail(found.message());
        } else {
            pid = AnyPaletteProcess();
            if (!pid) return Fail("no palette window (class TForm1) is open");
        }
    }
    auto palette = Palette::Find(*pid, bound);
    if (!palette) return Fail(palette.message());
    auto done = [](const Status& status) { return status ? 0 : Fail(status.message()); };

    if (command == L"wait-palette") {
        Print(std::to_string(*pid) + "\n");
        return 0;
    }
    if (command == L"activate") return done(palette->Activate(bound));
    if (command == L"settle") return done(palette->Settle(bound));
    if (command == L"boxes") {
        auto boxes = palette->DismissBoxes(bound);
        if (!boxes) return Fail(boxes.message());
        for (const auto& box : *boxes) Print(OneLine(box.title) + "\t" + OneLine(box.text) + "\n");
        return 0;
    }
    if (command == L"select-kind") return done(palette->SelectKind(args[0]));
    if (command == L"set-edit") return done(palette->SetText(id, args[1]));
    if (command == L"leave-edit") return done(palette->LeaveEdit(id, bound));
    if (command == L"click") return done(palette->Click(id));
    if (command == L"menu") return done(palette->RunMenu(id, bound));
    if (command == L"get-text") {
        auto text = palette->Text(id);
        if (!text) return Fail(text.message());
        Print(ToUtf8(*text) + "\n");
        return 0;
    }
    if (command == L"menu-state") {
        auto state = palette->MenuState(id, bound);
        if (!state) return Fail(state.message());
        Print(std::string(state->enabled ? "enabled" : "greyed") + " " + (state->checked ? "checked" : "unchecked") +
              "\n");
        return 0;
    }
    if (command == L"checked") {
        auto checked = palette->IsChecked(id);
        if (!checked) return Fail(checked.message());
        Print(*checked ? "checked\n" : "unchecked\n");
        return 0;
    }
    if (command == L"rect") {
        auto control = palette->Control(id);
        if (!control) return Fail(control.message());
        RECT r;
        if (!GetWindowRect(*control, &r)) return Fail("cannot read the rectangle of " + ToUtf8(args[0]));
        Print(std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
              std::to_string(r.bottom) + "\n");
        return 0;
    }
    // state
    auto visible = palette->IsVisible(id);
    if (!visible) return Fail(visible.message());
    auto enabled = palette->IsEnabled(id);
    if (!enabled) return Fail(enabled.message());
    Print(std::string(*visible ? "visible" : "hidden") + " " + (*enabled ? "enabled" : "disabled") + "\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    try {
        return Run(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        return Fail(std::string("internal error: ") + error.what());
    }
}
