// Window screenshots as PNG files (test artefacts for people to look at).
#include "tests/gui/GuiShot.h"

#include <vector>

bool CaptureWindow(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels) {
    RECT r;
    if (!GetWindowRect(wnd, &r)) return false;
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    // The window's own pixels, even where another window (a Wine virtual desktop) covers it.
    HDC source = GetWindowDC(wnd);
    BitBlt(mem, 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(wnd, source);
    GdiFlush();
    pixels.assign(static_cast<const uint32_t*>(bits),
                  static_cast<const uint32_t*>(bits) + static_cast<size_t>(width) * height);
    for (auto& p : pixels) p &= 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return true;
}
