// tessavue-sim.exe: the stand-in AutoCAD LT as a real Win32 program. Its main window,
// command-line text window and (LT 2006) paste window behave as AutoCAD's do for a
// program that drives AutoCAD through them; everything AutoCAD-facing uses the ANSI
// calls with Shift-JIS bytes. A canvas draws the drawing; a history pane shows the
// last lines; a person can type into the input box: Enter there types the box's text
// followed by a carriage return (so answers with blanks work too), Esc types ESC.
// Left clicks on the canvas pick at the waiting prompt, a left drag selects a
// window, a right click is Enter.
//
// Options: --edition LT2000|LT2002|LT2006   (default LT2000)
//          --user-script FILE               the scripted user, one step every 20 ms
//          --dump FILE                      the state dump, written at exit and on
//                                           WM_COPYDATA with dwData 2
//          --drawing FILE                   a DXF file (R12 or 2000) to start on
//          --hold-at TEXT                   typed input that holds TEXT is not taken
//                                           yet: it and everything typed after it
//                                           wait, shown on the command line, until
//                                           WM_COPYDATA with dwData 3 lets them in. So
//                                           a test can catch a program in the middle of
//                                           a long AutoCAD command.
//          --fault-at N --fault KIND        at the N-th command the palette types:
//                                           esc (the user cancels it), quit (this
//                                           program closes), close (the palette's
//                                           window is sent WM_CLOSE, as its close
//                                           box sends it), clipboard (this program
//                                           opens the clipboard and keeps it open
//                                           until WM_COPYDATA with dwData 6 or its
//                                           end). WM_COPYDATA with dwData 5 and "N
//                                           KIND" arms the same fault from then on.
//          (WM_COPYDATA with dwData 4 types as the user at the command line: the
//          palette's commands come with dwData 1.)
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/text_codec.h"
#include "core/dump.h"
#include "core/dxf_file.h"
#include "core/host.h"
#include "core/scripted_user.h"
#include "core/text.h"
#include "core/transform.h"

namespace {

using namespace tessavue::sim;

constexpr UINT_PTR kUserTimer = 1;
constexpr UINT kUserStepMs = 20;
constexpr int kClipboardTries = 10;
constexpr std::size_t kHistoryPaneLines = 200;
constexpr int kPickPixels = 5;

struct App {
    SimHost* host = nullptr;
    std::optional<ScriptedUser> user;
    std::filesystem::path dumpPath;
    HWND main = nullptr;
    HWND canvas = nullptr;
    HWND history = nullptr;
    HWND commandLine = nullptr;
    HWND paste = nullptr;
    HWND input = nullptr;
    HWND textWindow = nullptr;
    HFONT font = nullptr;
    WNDPROC inputDefaultProc = nullptr;
    std::uint64_t shownRevision = ~0ull;
    // Canvas transform from drawing to client coordinates.
    double scale = 1;
    double originX = 0;
    double originY = 0;
    int canvasHeight = 0;
    bool dragging = false;
    POINT dragStart{};
    // --hold-at: the text, and the input that waits.
    std::string holdAt;
    std::vector<InputChunk> held;
    // A clipboard fault holds the clipboard open.
    bool holdingClipboard = false;
};

App g;

std::wstring Widen(const std::string& text) { return tessavue::WidenCp932(text); }
std::string Narrow(const std::wstring& text) { return tessavue::NarrowCp932(text); }

void Report(const std::string& text) { OutputDebugStringA(("tessavue-sim: " + text + "\n").c_str()); }

// The dump goes to a temporary name first, so a reader never sees half a file.
void FitView(const RECT& client);

// Where the person sees the drawing and the command input, so that a test can point
// and click as the person does.
void AddScreens(SimDump& dump) {
    if (!g.canvas || !g.input) return;
    RECT client;
    GetClientRect(g.canvas, &client);
    FitView(client);
    dump.view = SimDump::View{g.originX, g.originY, g.scale};
    POINT origin{0, 0};
    ClientToScreen(g.canvas, &origin);
    dump.screens.push_back({"canvas", origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
    RECT input;
    GetWindowRect(g.input, &input);
    dump.screens.push_back({"input", input.left, input.top, input.right, input.bottom});
}

bool WriteDumpFile(const std::filesystem::path& path) {
    if (path.empty() || g.host == nullptr) return false;
    std::filesystem::path temp = path;
    temp += L".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        SimDump dump = MakeDump(*g.host);
        AddScreens(dump);
        WriteDump(dump, out);
        out.flush();
        if (!out) return false;
    }
    return MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool OpenClipboardRetrying(HWND owner) {
    for (int i = 0; i < kClipboardTries; ++i) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

void PutOnClipboard(const std::string& text) {
    if (!OpenClipboardRetrying(g.main)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

std::optional<std::string> ClipboardText() {
    if (!OpenClipboardRetrying(g.main)) return std::nullopt;
    std::string text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// Brings the panes up to date after anything the host did.
void Refresh() {
    if (g.host == nullptr || g.host->Revision() == g.shownRevision) return;
    g.shownRevision = g.host->Revision();
    const auto& lines = g.host->HistoryLines();
    if (g.history) {
        // New lines are appended to the pane; the whole pane is written again only when
        // it has grown long or the history is not what it shows (a fresh host).
        static std::size_t shownLines = 0;
        static std::size_t linesInPane = 0;
        const bool rewrite = lines.size() < shownLines || linesInPane + (lines.size() - shownLines) > 4 * kHistoryPaneLines;
        std::string text;
        std::size_t first = shownLines;
        if (rewrite) first = lines.size() > kHistoryPaneLines ? lines.size() - kHistoryPaneLines : 0;
        for (std::size_t i = first; i < lines.size(); ++i) text += lines[i] + "\r\n";
        if (rewrite) {
            SetWindowTextW(g.history, Widen(text).c_str());
            linesInPane = lines.size() - first;
        } else if (!text.empty()) {
            const int end = GetWindowTextLengthW(g.history);
            SendMessageW(g.history, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
            SendMessageW(g.history, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(text).c_str()));
            linesInPane += lines.size() - first;
        }
        shownLines = lines.size();
        const int end = GetWindowTextLengthW(g.history);
        SendMessageW(g.history, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
        SendMessageW(g.history, EM_SCROLLCARET, 0, 0);
    }
    if (g.commandLine) InvalidateRect(g.commandLine, nullptr, TRUE);
    if (g.canvas) InvalidateRect(g.canvas, nullptr, TRUE);
}

// The panes are brought up to date after the sender has been answered, as AutoCAD
// repaints after it has taken the input: a command typed by another program returns at
// once, and the command line's text is right from the moment the typing is taken.
constexpr UINT kRefreshMessage = WM_APP + 1;
bool refreshPosted = false;

void RefreshSoon() {
    if (refreshPosted || g.main == nullptr) return;
    refreshPosted = PostMessageW(g.main, kRefreshMessage, 0, 0) != FALSE;
    if (!refreshPosted) Refresh();
}

void TypeInput(const std::string& transport, const std::string& bytes) {
    const bool catches = !g.holdAt.empty() && bytes.find(g.holdAt) != std::string::npos;
    if (catches || !g.held.empty()) {
        // AutoCAD still busy with a long command: the typing queues up, in order.
        g.held.push_back({transport, bytes});
    } else {
        g.host->Receive(transport, bytes);
    }
    RefreshSoon();
}

void ReleaseHeldInput() {
    std::vector<InputChunk> waiting;
    waiting.swap(g.held);
    for (const InputChunk& chunk : waiting) g.host->Receive(chunk.transport, chunk.bytes);
    RefreshSoon();
}

// The command line as shown: input that is held waits visibly after the prompt, so
// nobody takes the command line for idle meanwhile.
std::string ShownCommandLine() {
    if (g.host == nullptr) return {};
    std::string text = g.host->CommandLineText();
    for (const InputChunk& chunk : g.held) text += chunk.bytes;
    return text;
}

// ---- canvas -------------------------------------------------------------------------

void FitView(const RECT& client) {
    const int width = std::max<LONG>(1, client.right - client.left);
    const int height = std::max<LONG>(1, client.bottom - client.top);
    Extents box{{0, 0}, {100, 100}};
    if (const auto e = g.host->drawing().ComputeExtents()) box = *e;
    double w = box.max.x - box.min.x;
    double h = box.max.y - box.min.y;
    if (w <= 0 && h <= 0) w = h = 10;
    const double margin = 0.08;
    const double sx = width * (1 - 2 * margin) / std::max(w, 1e-9);
    const double sy = height * (1 - 2 * margin) / std::max(h, 1e-9);
    g.scale = std::min(sx, sy);
    // Centred; Y grows upwards in the drawing, downwards on screen.
    g.originX = width / 2.0 - (box.min.x + w / 2) * g.scale;
    g.originY = height / 2.0 + (box.min.y + h / 2) * g.scale;
    g.canvasHeight = height;
}

POINT ToScreen(Point p) {
    return POINT{static_cast<LONG>(std::lround(g.originX + p.x * g.scale)),
                 static_cast<LONG>(std::lround(g.originY - p.y * g.scale))};
}

Point ToDrawing(int x, int y) { return Point{(x - g.originX) / g.scale, (g.originY - y) / g.scale}; }

// A text as AutoCAD shows it: its glyphs carried onto the drawing by its rotation,
// height, width factor and oblique angle, so that a text laid on an isometric face
// leans and stretches with it. The font is sized to the height on screen and mapped
// by a world transform from glyph pixels (y down, baseline at 0).
void DrawTextEntity(HDC dc, const Entity& e) {
    const double pixels = e.height * g.scale;
    const std::wstring text = Widen(e.text);
    if (pixels < 1 || text.empty()) return;
    const double theta = e.rotation * std::numbers::pi / 180;
    const double slant = std::tan(e.oblique * std::numbers::pi / 180);
    const double bx = std::cos(theta), by = std::sin(theta);
    const double nx = -by, ny = bx;
    const POINT at = ToScreen(e.points[0]);
    const int oldMode = SetGraphicsMode(dc, GM_ADVANCED);
    XFORM form{};
    form.eM11 = static_cast<FLOAT>(e.widthFactor * bx);
    form.eM12 = static_cast<FLOAT>(-e.widthFactor * by);
    form.eM21 = static_cast<FLOAT>(-slant * bx - nx);
    form.eM22 = static_cast<FLOAT>(slant * by + ny);
    form.eDx = static_cast<FLOAT>(at.x);
    form.eDy = static_cast<FLOAT>(at.y);
    SetWorldTransform(dc, &form);
    HFONT font = CreateFontW(-static_cast<int>(std::lround(pixels)), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
    HGDIOBJ oldFont = SelectObject(dc, font);
    const UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    TextOutW(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
    SetTextAlign(dc, oldAlign);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SetGraphicsMode(dc, oldMode);
}

void PaintCanvas(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    // Drawn off screen and shown in one copy: painting straight onto the window costs a
    // round trip to the display for every stroke, and the command line cannot answer
    // the palette while the canvas paints.
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH background = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &client, background);
    DeleteObject(background);
    FitView(client);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    const Drawing& drawing = g.host->drawing();
    // A block reference shows its definition where it is placed, as EXPLODE would
    // leave it; nesting is followed a few levels, which also stops a block that
    // (through a damaged file) refers to itself.
    std::function<void(const Entity&, int)> draw = [&](const Entity& e, int depth) {
        if (e.kind == EntityKind::Insert) {
            const Block* block = drawing.FindBlock(e.block);
            if (block != nullptr && depth < 8) {
                const Explosion explosion = ExplodeInsert(e, *block);
                // A part on a layer of its own that is off or frozen stays hidden; a
                // part on layer 0 goes with the reference.
                for (const Entity& part : explosion.entities)
                    if (AsciiUpper(part.layer) == "0" || drawing.IsVisible(part)) draw(part, depth + 1);
                // What no single entity holds (a sheared arc segment) is drawn as its image.
                for (const Entity& part : explosion.leftover) {
                    for (const auto& stroke : PlacedStrokes(drawing, e, *block, part, 8 - depth)) {
                        std::vector<POINT> points;
                        for (const Point& p : stroke) points.push_back(ToScreen(p));
                        if (points.size() >= 2) Polyline(dc, points.data(), static_cast<int>(points.size()));
                    }
                }
            }
            return;
        }
        if (e.kind == EntityKind::Dimension) {
            // A dimension shows its picture as it stands.
            if (const Block* picture = drawing.FindBlock(e.block); picture != nullptr && depth < 8)
                for (const Entity& part : picture->entities) draw(part, depth + 1);
            return;
        }
        std::vector<POINT> points;
        for (const Point& p : Outline(e)) points.push_back(ToScreen(p));
        if (e.kind == EntityKind::Text && !e.points.empty()) {
            DrawTextEntity(dc, e);
        } else if (e.kind == EntityKind::Solid && points.size() >= 4) {
            // Filled, as AutoCAD draws an arrowhead.
            HBRUSH fill = CreateSolidBrush(RGB(255, 255, 255));
            HGDIOBJ oldBrush = SelectObject(dc, fill);
            Polygon(dc, points.data(), 4);
            SelectObject(dc, oldBrush);
            DeleteObject(fill);
        } else if (points.size() >= 2) {
            Polyline(dc, points.data(), static_cast<int>(points.size()));
        }
    };
    // Objects on layers that are off or frozen are not drawn.
    for (const Entity& e : drawing.entities())
        if (drawing.IsVisible(e)) draw(e, 0);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK CanvasProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_PAINT:
                PaintCanvas(hwnd);
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_LBUTTONDOWN:
                g.dragging = true;
                g.dragStart = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                SetCapture(hwnd);
                return 0;
            case WM_LBUTTONUP: {
                if (!g.dragging) return 0;
                g.dragging = false;
                ReleaseCapture();
                const POINT end{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                RECT client;
                GetClientRect(hwnd, &client);
                FitView(client);
                g.host->pickbox = kPickPixels / g.scale;
                const Point a = ToDrawing(g.dragStart.x, g.dragStart.y);
                const Point b = ToDrawing(end.x, end.y);
                if (std::abs(end.x - g.dragStart.x) + std::abs(end.y - g.dragStart.y) > 4 &&
                    g.host->Waiting() == PromptKind::Objects) {
                    g.host->SelectWindow(a, b);
                } else {
                    g.host->Click(b);
                }
                Refresh();
                return 0;
            }
            case WM_RBUTTONUP:
                TypeInput("mouse", "\r");
                return 0;
        }
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("unexpected error in the canvas");
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- the command-line text window and the paste window (ANSI) --------------------------

LRESULT AnswerGetText(const std::string& text, WPARAM wParam, LPARAM lParam) {
    // WM_GETTEXT: at most wParam - 1 bytes and a terminating zero.
    if (wParam == 0 || lParam == 0) return 0;
    const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(wParam) - 1);
    char* buffer = reinterpret_cast<char*>(lParam);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<LRESULT>(n);
}

LRESULT CALLBACK CommandLineProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_GETTEXT:
                return AnswerGetText(ShownCommandLine(), wParam, lParam);
            case WM_GETTEXTLENGTH:
                return static_cast<LRESULT>(ShownCommandLine().size());
            case WM_PAINT: {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(hwnd, &ps);
                RECT client;
                GetClientRect(hwnd, &client);
                FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                HGDIOBJ oldFont = SelectObject(dc, g.font);
                const std::wstring text = Widen(ShownCommandLine());
                TextOutW(dc, 4, 2, text.c_str(), static_cast<int>(text.size()));
                SelectObject(dc, oldFont);
                EndPaint(hwnd, &ps);
                return 0;
            }
        }
    } catch (...) {
        Report("unexpected error in the command line");
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PasteProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_GETTEXT:
                return AnswerGetText(std::string(g.host->texts().pasteText), wParam, lParam);
            case WM_GETTEXTLENGTH:
                return static_cast<LRESULT>(g.host->texts().pasteText.size());
            case WM_PASTE:
                if (const auto text = ClipboardText()) TypeInput("paste", *text);
                return 0;
        }
    } catch (...) {
        Report("unexpected error in the paste window");
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- the input box ----------------------------------------------------------------------

LRESULT CALLBACK InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            if (wParam == VK_RETURN) {
                const int length = GetWindowTextLengthW(hwnd);
                std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
                GetWindowTextW(hwnd, text.data(), length + 1);
                text.resize(static_cast<std::size_t>(length));
                SetWindowTextW(hwnd, L"");
                TypeInput("edit", Narrow(text) + "\r");
            } else {
                TypeInput("edit", "\x1b");
            }
            return 0;
        }
        // Swallow the characters of those keys, or the edit box beeps.
        if (msg == WM_CHAR && (wParam == '\r' || wParam == 0x1b)) return 0;
    } catch (...) {
        Report("unexpected error in the input box");
    }
    return CallWindowProcW(g.inputDefaultProc, hwnd, msg, wParam, lParam);
}

// ---- the main window -----------------------------------------------------------------------

// Under Wine without a window manager the X keyboard focus moves only when Wine's own
// focus does. When another program makes this window the active one (the palette does,
// as it waits for the person at the command line), the X focus was seen to stay with
// that program, and a click on the already active window changes no focus, so the keys
// kept going there. Taking the focus off the input and back makes Wine hand the X focus
// over again, as a click on an inactive window does.
void TakeKeyboard() {
    if (GetForegroundWindow() != g.main || !g.input) return;
    SetFocus(g.main);  // its WM_SETFOCUS gives the focus back to the input
    if (GetFocus() != g.input) SetFocus(g.input);
}

void Layout(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int inputHeight = 24;
    const int lineHeight = 22;
    const int historyHeight = 110;
    const int canvasHeight = std::max(50, height - inputHeight - lineHeight - historyHeight);
    MoveWindow(g.canvas, 0, 0, width, canvasHeight, TRUE);
    MoveWindow(g.history, 0, canvasHeight, width, historyHeight, TRUE);
    MoveWindow(g.commandLine, 0, canvasHeight + historyHeight, width, lineHeight, TRUE);
    MoveWindow(g.input, 0, canvasHeight + historyHeight + lineHeight, width, inputHeight, TRUE);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_COPYDATA: {
                const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
                if (data == nullptr) return FALSE;
                std::string payload;
                if (data->lpData != nullptr && data->cbData > 0)
                    payload.assign(static_cast<const char*>(data->lpData), data->cbData);
                // AutoCAD reads the data as a zero-terminated string.
                payload = payload.substr(0, payload.find('\0'));
                if (data->dwData == 1) {
                    TypeInput("copydata", payload);
                    return TRUE;
                }
                if (data->dwData == 2) {
                    const std::filesystem::path path =
                        payload.empty() ? g.dumpPath : std::filesystem::path(Widen(payload));
                    return WriteDumpFile(path) ? TRUE : FALSE;
                }
                if (data->dwData == 3) {
                    ReleaseHeldInput();
                    return TRUE;
                }
                if (data->dwData == 4) {
                    // Typed by the user at the command line, not by the palette: a
                    // fault counts only the palette's commands.
                    TypeInput("edit", payload);
                    return TRUE;
                }
                if (data->dwData == 5) {
                    // "N KIND": a fault at the N-th command the palette types from now.
                    std::istringstream in(payload);
                    long n = 0;
                    std::string kind;
                    in >> n >> kind;
                    const auto fault = tessavue::sim::ParseFault(kind);
                    if (n <= 0 || !fault) return FALSE;
                    g.host->ArmFault(static_cast<std::size_t>(n), *fault);
                    return TRUE;
                }
                if (data->dwData == 6) {
                    // The other program lets the clipboard go.
                    if (g.holdingClipboard) CloseClipboard();
                    g.holdingClipboard = false;
                    return TRUE;
                }
                return FALSE;
            }
            case kRefreshMessage:
                refreshPosted = false;
                Refresh();
                return 0;
            case WM_TIMER:
                if (wParam == kUserTimer && g.user && g.host->InCommand()) {
                    g.user->Step(*g.host);
                    Refresh();
                }
                return 0;
            case WM_SIZE:
                Layout(hwnd);
                return 0;
            case WM_SETFOCUS:
                if (g.input) SetFocus(g.input);
                return 0;
            case WM_PARENTNOTIFY:
                if (LOWORD(wParam) == WM_LBUTTONDOWN || LOWORD(wParam) == WM_RBUTTONDOWN) TakeKeyboard();
                break;
            case WM_CLOSE:
                DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                KillTimer(hwnd, kUserTimer);
                if (!g.dumpPath.empty() && !WriteDumpFile(g.dumpPath)) Report("could not write the dump");
                if (g.textWindow) DestroyWindow(g.textWindow);
                PostQuitMessage(0);
                return 0;
        }
    } catch (const std::exception& e) {
        Report(e.what());
        return 0;
    } catch (...) {
        Report("unexpected error in the main window");
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TextWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct Options {
    Edition edition = Edition::LT2000;
    std::filesystem::path userScript;
    std::filesystem::path dump;
    std::filesystem::path drawing;
    std::string holdAt;
    std::size_t faultAt = 0;
    std::optional<tessavue::sim::Fault> fault;
};

std::optional<Options> ParseOptions(std::string* error) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) return Options{};
    Options options;
    std::optional<Options> result = options;
    for (int i = 1; i < argc && result; ++i) {
        const std::wstring name = argv[i];
        if (i + 1 >= argc) {
            *error = "option needs a value: " + Narrow(name);
            result.reset();
            break;
        }
        const std::wstring value = argv[++i];
        if (name == L"--edition") {
            const auto edition = ParseEdition(Narrow(value));
            if (!edition) {
                *error = "unknown edition (LT2000, LT2002 or LT2006): " + Narrow(value);
                result.reset();
            } else {
                result->edition = *edition;
            }
        } else if (name == L"--user-script") {
            result->userScript = value;
        } else if (name == L"--dump") {
            result->dump = value;
        } else if (name == L"--drawing") {
            result->drawing = value;
        } else if (name == L"--hold-at") {
            result->holdAt = Narrow(value);
        } else if (name == L"--fault-at") {
            const long n = std::wcstol(value.c_str(), nullptr, 10);
            if (n <= 0) {
                *error = "--fault-at takes a count from 1: " + Narrow(value);
                result.reset();
            } else {
                result->faultAt = static_cast<std::size_t>(n);
            }
        } else if (name == L"--fault") {
            result->fault = tessavue::sim::ParseFault(Narrow(value));
            if (!result->fault) {
                *error = "unknown fault (esc, quit, close or clipboard): " + Narrow(value);
                result.reset();
            }
        } else {
            *error = "unknown option: " + Narrow(name);
            result.reset();
        }
    }
    LocalFree(argv);
    return result;
}

bool RegisterAnsiClass(const std::string& name, WNDPROC proc, HINSTANCE instance, HBRUSH background) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    return RegisterClassA(&wc) != 0;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "tessavue-sim: %s\n", text.c_str());
    return 2;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    std::string error;
    const auto options = ParseOptions(&error);
    if (!options) return Fail(error);

    SimHost host(options->edition);
    g.host = &host;
    g.dumpPath = options->dump;
    g.holdAt = options->holdAt;
    if (!options->userScript.empty()) {
        std::ifstream in(options->userScript, std::ios::binary);
        if (!in) return Fail("cannot read the user script");
        std::ostringstream text;
        text << in.rdbuf();
        auto user = ScriptedUser::Parse(text.str(), &error);
        if (!user) return Fail("user script: " + error);
        g.user = std::move(*user);
    }
    host.setClipboard = PutOnClipboard;
    host.onFault = [](tessavue::sim::Fault fault) {
        switch (fault) {
            case tessavue::sim::Fault::Quit:
                // Closed as a user closes it; the palette's command is lost.
                PostMessageW(g.main, WM_CLOSE, 0, 0);
                break;
            case tessavue::sim::Fault::PaletteClose:
                // What the palette's close box does: WM_CLOSE to its window.
                if (HWND palette = FindWindowW(L"TForm1", nullptr)) PostMessageW(palette, WM_CLOSE, 0, 0);
                break;
            case tessavue::sim::Fault::Clipboard:
                // Held open, as by another program, until WM_COPYDATA 6 or the end.
                g.holdingClipboard = OpenClipboard(g.main) != FALSE;
                break;
            case tessavue::sim::Fault::Esc: break;
        }
    };
    if (options->fault) host.ArmFault(options->faultAt == 0 ? 1 : options->faultAt, *options->fault);
    // File names typed into the command line are Shift-JIS; the C runtime would not
    // convert them through code page 932.
    host.pathFromText = [](const std::string& text) { return std::filesystem::path(Widen(text)); };
    if (!options->drawing.empty() && !LoadDxfFile(host.drawing(), options->drawing, &error))
        return Fail("drawing: " + error);

    const EditionTexts& t = host.texts();
    const std::string mainClass(t.mainClass);
    const std::string lineClass(t.commandLineClass);
    const std::string pasteClass(t.pasteClass);
    const std::string textClass = mainClass + ":text";
    HBRUSH face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!RegisterAnsiClass(mainClass, MainProc, instance, face) ||
        !RegisterAnsiClass(lineClass, CommandLineProc, instance, nullptr) ||
        !RegisterAnsiClass(textClass, TextWindowProc, instance, face) ||
        (!pasteClass.empty() && !RegisterAnsiClass(pasteClass, PasteProc, instance, nullptr)))
        return Fail("cannot register the window classes");
    WNDCLASSW canvasClass{};
    canvasClass.lpfnWndProc = CanvasProc;
    canvasClass.hInstance = instance;
    canvasClass.hCursor = LoadCursor(nullptr, IDC_CROSS);
    canvasClass.lpszClassName = L"TessavueSimCanvas";
    if (!RegisterClassW(&canvasClass)) return Fail("cannot register the canvas class");

    g.font = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");

    // The left part of the screen, so a palette at the right edge leaves it visible.
    g.main = CreateWindowExA(0, mainClass.c_str(), std::string(t.mainTitle).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 800,
                             600, nullptr, nullptr, instance, nullptr);
    if (g.main == nullptr) return Fail("cannot create the main window");
    g.canvas = CreateWindowExW(0, L"TessavueSimCanvas", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, g.main, nullptr,
                               instance, nullptr);
    g.history = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0,
                                0, 10, 10, g.main, nullptr, instance, nullptr);
    g.commandLine = CreateWindowExA(0, lineClass.c_str(), "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, g.main, nullptr,
                                    instance, nullptr);
    if (!pasteClass.empty()) {
        // AutoCAD's edit window that takes pasted text; not shown here.
        g.paste = CreateWindowExA(0, pasteClass.c_str(), "", WS_CHILD, 0, 0, 0, 0, g.main, nullptr, instance, nullptr);
    }
    g.input = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 10, 10,
                              g.main, nullptr, instance, nullptr);
    if (!g.canvas || !g.history || !g.commandLine || !g.input || (!pasteClass.empty() && !g.paste))
        return Fail("cannot create the child windows");
    for (HWND w : {g.history, g.input}) SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(g.font), TRUE);
    g.inputDefaultProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(g.input, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InputProc)));
    // AutoCAD's text window: hidden, its title names AutoCAD.
    g.textWindow = CreateWindowExA(0, textClass.c_str(), std::string(t.textWindowTitle).c_str(), WS_OVERLAPPEDWINDOW,
                                   40, 40, 600, 400, nullptr, nullptr, instance, nullptr);

    Layout(g.main);
    Refresh();
    ShowWindow(g.main, show == SW_HIDE ? SW_SHOWNORMAL : show);
    UpdateWindow(g.main);
    SetFocus(g.input);
    if (g.user) SetTimer(g.main, kUserTimer, kUserStepMs, nullptr);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (g.font) DeleteObject(g.font);
    g.host = nullptr;
    return static_cast<int>(msg.wParam);
}
