#include "secondary.h"

#include <cstring>
#include <fstream>

#include "texts.h"
#include "ui/controls.h"
#include "windows_util.h"

namespace tessavue::e2e {

std::vector<HWND> WindowsOfClass(DWORD processId, const wchar_t* className) {
    std::vector<HWND> found;
    for (HWND window : TopLevelWindowsOf(processId))
        if (ClassNameOf(window) == className) found.push_back(window);
    return found;
}

SIZE ClientSizeOf(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

HWND TopWindowAtCentre(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    POINT centre{r.right / 2, r.bottom / 2};
    ClientToScreen(window, &centre);
    HWND at = WindowFromPoint(centre);
    return at ? GetAncestor(at, GA_ROOT) : nullptr;
}

namespace {

std::uint32_t Rgb(const RGBQUAD& q) {
    return (static_cast<std::uint32_t>(q.rgbRed) << 16) | (static_cast<std::uint32_t>(q.rgbGreen) << 8) | q.rgbBlue;
}

}  // namespace

Expected<StoredBitmap> BitmapResource(const std::filesystem::path& program, int id) {
    HMODULE module = LoadLibraryExW(program.wstring().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return Status::Fail("cannot open " + ToUtf8(program.wstring()) + " for its resources");
    struct Unload {
        HMODULE m;
        ~Unload() { FreeLibrary(m); }
    } unload{module};
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
    if (!found) return Status::Fail("the program has no bitmap " + std::to_string(id));
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(module, found);
    if (!bytes || size < sizeof(BITMAPINFOHEADER)) return Status::Fail("bitmap " + std::to_string(id) + " is empty");
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes, sizeof header);
    const int bits = header.biBitCount;
    if (header.biSize < sizeof header || header.biCompression != BI_RGB || header.biWidth <= 0 ||
        header.biHeight == 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return Status::Fail("bitmap " + std::to_string(id) + " is no plain uncompressed bitmap");
    const int colours = bits > 8 ? 0 : (header.biClrUsed ? static_cast<int>(header.biClrUsed) : 1 << bits);
    const std::size_t tableAt = header.biSize;
    const std::size_t pixelsAt = tableAt + static_cast<std::size_t>(colours) * sizeof(RGBQUAD);
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    if (size < pixelsAt + stride * height) return Status::Fail("bitmap " + std::to_string(id) + " is cut short");

    StoredBitmap out;
    out.bitsPerPixel = bits;
    out.coloursUsed = colours;
    out.pixels.width = width;
    out.pixels.height = height;
    out.pixels.rgb.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int row = header.biHeight > 0 ? height - 1 - y : y;  // bottom-up unless negative
        const unsigned char* line = bytes + pixelsAt + stride * row;
        for (int x = 0; x < width; ++x) {
            std::uint32_t rgb = 0;
            if (bits == 24) {
                const unsigned char* p = line + x * 3;
                rgb = (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
            } else {
                const int bitAt = x * bits;
                const int index = (line[bitAt / 8] >> (8 - bits - bitAt % 8)) & ((1 << bits) - 1);
                if (index >= colours) return Status::Fail("bitmap " + std::to_string(id) + " uses a missing colour");
                RGBQUAD q;
                std::memcpy(&q, bytes + tableAt + static_cast<std::size_t>(index) * sizeof q, sizeof q);
                rgb = Rgb(q);
            }
            out.pixels.rgb[static_cast<std::size_t>(y) * width + x] = rgb;
        }
    }
    return out;
}

Expected<Pixels> ScreenOfClient(HWND window) {
    const SIZE size = ClientSizeOf(window);
    POINT origin{0, 0};
    if (size.cx <= 0 || size.cy <= 0 || !ClientToScreen(window, &origin))
        return Status::Fail("the window has no client area to look at");
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    Pixels out;
    bool copied = false;
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        copied = BitBlt(memory, 0, 0, size.cx, size.cy, screen, origin.x, origin.y, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        if (copied) {
            out.width = size.cx;
            out.height = size.cy;
            const auto* quads = static_cast<const std::uint32_t*>(bits);
            out.rgb.assign(quads, quads + static_cast<std::size_t>(size.cx) * size.cy);
            for (std::uint32_t& p : out.rgb) p &= 0xFFFFFF;
        }
    }
    if (dib) DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied) return Status::Fail("the screen could not be read");
    return out;
}

bool WriteBmp(const std::filesystem::path& file, const Pixels& pixels) {
    const std::size_t stride = (static_cast<std::size_t>(pixels.width) * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER fileHeader{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = pixels.width;
    header.biHeight = pixels.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = static_cast<DWORD>(fileHeader.bfOffBits + stride * pixels.height);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    std::vector<char> line(stride, 0);
    for (int y = pixels.height - 1; y >= 0; --y) {
        for (int x = 0; x < pixels.width; ++x) {
            const std::uint32_t p = pixels.At(x, y);
            line[x * 3] = static_cast<char>(p & 0xFF);
            line[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
            line[x * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
        }
        out.write(line.data(), static_cast<std::streamsize>(stride));
    }
    return static_cast<bool>(out);
}

// ------------------------------------------------------------ the dialog

Expected<VersionDialog> VersionDialog::WaitOpen(DWORD processId, milliseconds bound) {
    HWND found = nullptr;
    Status waited = WaitFor(
        [&] {
            for (HWND w : WindowsOfClass(processId, kTargetVersionClassName))
                if (IsWindowVisible(w)) found = w;
            return found != nullptr;
        },
        bound, "the target-version dialog (class TForm5) to open");
    if (!waited) return waited;
    return VersionDialog(found);
}

Expected<HWND> VersionDialog::Item(int id) const {
    HWND item = GetDlgItem(window_, id);
    if (!item) return Status::Fail("the target-version dialog has no control " + std::to_string(id));
    return item;
}

Expected<std::vector<std::wstring>> VersionDialog::Items() const {
    auto list = Item(ControlId(VersionControl::ComboBox1));
    if (!list) return list.status();
    return ComboItems(*list, "the edition list");
}

Expected<std::wstring> VersionDialog::Selected() const {
    auto list = Item(ControlId(VersionControl::ComboBox1));
    if (!list) return list.status();
    const auto index = SendWithTimeout(*list, CB_GETCURSEL, 0, 0);
    if (!index) return Status::Fail("the edition list does not answer");
    if (*index == CB_ERR) return std::wstring();
    auto items = Items();
    if (!items) return items.status();
    if (*index < 0 || static_cast<std::size_t>(*index) >= items->size())
        return Status::Fail("the edition list selects no item of its own");
    return (*items)[static_cast<std::size_t>(*index)];
}

Status VersionDialog::Choose(const std::wstring& item) {
    auto list = Item(ControlId(VersionControl::ComboBox1));
    if (!list) return list.status();
    return PickComboItem(*list, window_, item, "the edition list");
}

Status VersionDialog::Press(int which) {
    auto button = Item(ControlId(which == 1 ? VersionControl::Button1 : VersionControl::Button2));
    if (!button) return button.status();
    if (!IsShown(*button) || !IsReachable(*button)) return Status::Fail("the dialog's button cannot be pressed");
    if (!PostMessageW(*button, BM_CLICK, 0, 0)) return Status::Fail("the dialog's button is gone");
    return Status::Ok();
}

Status VersionDialog::CloseBox() {
    if (!PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0)) return Status::Fail("the dialog is gone");
    return Status::Ok();
}

Status VersionDialog::WaitClosed(milliseconds bound) const {
    return WaitFor([&] { return !IsWindowVisible(window_); }, bound, "the target-version dialog to close");
}

}  // namespace tessavue::e2e
