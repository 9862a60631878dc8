#include "tests/driver/DcPixels.h"

#include <cstring>

namespace dptest {

bool ReadDcPixels(HDC src, int x, int y, int width, int height, std::vector<uint32_t>& pixels) {
    pixels.clear();
    if (!src || width <= 0 || height <= 0) return false;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(src);
    bool ok = false;
    if (bmp && bits && mem) {
        HGDIOBJ old = SelectObject(mem, bmp);
        const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
        std::memset(bits, 0, n * 4);
        if (BitBlt(mem, 0, 0, width, height, src, x, y, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            pixels.assign(p, p + n);
            for (auto& px : pixels) px &= 0xFFFFFF;
            ok = true;
        }
        SelectObject(mem, old);
    }
    if (mem) DeleteDC(mem);
    if (bmp) DeleteObject(bmp);
    return ok;
}

}  // namespace dptest
