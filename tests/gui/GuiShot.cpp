// Window screenshots as PNG files (test artefacts for people to look at).
#include "tests/gui/GuiShot.h"

#include <vector>

#include "tests/driver/DcPixels.h"

bool CaptureWindow(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels) {
    RECT r;
    if (!GetWindowRect(wnd, &r)) return false;
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    // The window's own pixels, even where another window (a Wine virtual desktop) covers it.
    HDC source = GetWindowDC(wnd);
    const bool ok = dptest::ReadDcPixels(source, 0, 0, width, height, pixels);
    ReleaseDC(wnd, source);
    return ok;
}
