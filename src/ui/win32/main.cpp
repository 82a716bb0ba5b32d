// Program start: the palette window, the host link behind it, and the message loop.
// The program takes no options and reads no environment: everything it keeps
// between runs is in its settings file.
#include <windows.h>

#include <filesystem>
#include <utility>

#include "platform/win32/profile_file.h"
#include "platform/win32/program_path.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/win32_desktop.h"
#include "ui/tform1.h"
#include "ui/win32/palette_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace tessavue;

    // Every file the palette keeps beside itself is named after its own path, taken
    // wide so that a folder with any name works.
    const std::filesystem::path program = ProgramPath();
    ProgramFiles files = DeriveProgramFiles(program, NarrowCp932(program.filename().wstring()));
    Win32ProfileFile settings(files.settings);

    Win32Desktop desktop;
    PaletteWindow window(instance);
    if (!window.Create()) {
        MessageBoxW(nullptr, WidenCp932("パレットのウィンドウを作成できませんでした。").c_str(),
                    WidenCp932(kProductName).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
    TForm1 form(window, desktop, settings, std::move(files));
    form.SetPathText([](const std::filesystem::path& path) { return NarrowCp932(path.wstring()); });
    window.Attach(form);
    // While a command waits on AutoCAD, the waits dispatch the palette's messages;
    // they go through the same keyboard handling as the loop below.
    desktop.SetOwner(window.Handle());
    desktop.SetDialogFilter([&window](MSG& msg) { return window.DialogFilter(msg); });

    form.RunHandler([&form] { form.FormCreate(); });

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.DialogFilter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
