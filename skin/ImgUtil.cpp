#include "skin/ImgUtil.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool Usable(TBitmap* bitmap) { return bitmap && !bitmap->Empty(); }

// Pixel edits go to a copy that the bitmap then takes over: taking a new image is what
// tells the bitmap (its mask, its listeners) that the pixels changed.
template <class Edit>
void EditCopy(TBitmap* bitmap, Edit edit) {
    TBitmap work;
    work.Assign(bitmap);
    edit(work);
    bitmap->Assign(&work);
}

uint8_t* Row(TBitmap& b, int y) { return static_cast<uint8_t*>(b.ScanLine(y)); }

void Rotate(TBitmap* bitmap, bool left) {
    if (!Usable(bitmap)) return;
    const int w = bitmap->Width(), h = bitmap->Height();
    // Read from a copy: GetDIBits wants a bitmap that no device context holds, and the
    // copy has not been drawn on yet.
    TBitmap work;
    work.Assign(bitmap);
    std::vector<uint32_t> block(size_t(w) * h);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    bi.bmiHeader.biSizeImage = DWORD(block.size() * 4);
    bi.bmiHeader.biXPelsPerMeter = 1;
    bi.bmiHeader.biYPelsPerMeter = 1;
    HDC screen = GetDC(nullptr);
    const int got = GetDIBits(screen, work.Handle(), 0, UINT(h), block.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (got != h) return;

    work.SetPixelFormat(pf24bit);
    work.SetSize(h, w);
    for (int ny = 0; ny < w; ++ny) {
        uint8_t* out = Row(work, ny);
        for (int nx = 0; nx < h; ++nx) {
            // Left: old (x, y) goes to (y, w - 1 - x); right: to (h - 1 - y, x).
            const int x = left ? w - 1 - ny : ny;
            const int y = left ? nx : h - 1 - nx;
            const uint32_t p = block[size_t(h - 1 - y) * w + x];
            std::memcpy(out + size_t(nx) * 3, &p, 3);  // blue, green, red
        }
    }
    bitmap->Assign(&work);
}

}  // namespace

void GreyBitmap(TBitmap* bitmap) {
    if (!Usable(bitmap)) return;
    EditCopy(bitmap, [](TBitmap& work) {
        work.SetPixelFormat(pf24bit);
        for (int y = 0; y < work.Height(); ++y) {
            uint8_t* p = Row(work, y);
            for (int x = 0; x < work.Width(); ++x, p += 3) {
                const uint8_t v = uint8_t((p[0] + p[1] + p[2]) / 3);
                p[0] = p[1] = p[2] = v;
            }
        }
    });
}

void ReplaceMagenta(TBitmap* bitmap, TColor colour) {
    if (!Usable(bitmap)) return;
    const uint8_t r = uint8_t(colour), g = uint8_t(colour >> 8), b = uint8_t(colour >> 16);
    EditCopy(bitmap, [&](TBitmap& work) {
        if (work.PixelFormat() != pf24bit) work.SetPixelFormat(pf24bit);
        for (int y = 0; y < work.Height(); ++y) {
            uint8_t* p = Row(work, y);
            for (int x = 0; x < work.Width(); ++x, p += 3) {
                if (p[0] == 255 && p[1] == 0 && p[2] == 255) {
                    p[0] = b;
                    p[1] = g;
                    p[2] = r;
                }
            }
        }
    });
}

void MirrorBitmap(TBitmap* bitmap) {
    if (!Usable(bitmap)) return;
    EditCopy(bitmap, [](TBitmap& work) {
        if (work.BitsPerPixel() < 8) work.SetPixelFormat(pf24bit);
        const size_t bpp = size_t(work.BitsPerPixel()) / 8;
        const int w = work.Width();
        for (int y = 0; y < work.Height(); ++y) {
            uint8_t* row = Row(work, y);
            for (int x = 0; x < w / 2; ++x)
                std::swap_ranges(row + x * bpp, row + (x + 1) * bpp, row + (w - 1 - x) * bpp);
        }
    });
}

void FlipBitmap(TBitmap* bitmap) {
    if (!Usable(bitmap)) return;
    EditCopy(bitmap, [](TBitmap& work) {
        const size_t bytes = size_t(work.RowStride());
        const int h = work.Height();
        for (int y = 0; y < h / 2; ++y) std::swap_ranges(Row(work, y), Row(work, y) + bytes, Row(work, h - 1 - y));
    });
}

void RotateBitmapLeft(TBitmap* bitmap) { Rotate(bitmap, true); }
void RotateBitmapRight(TBitmap* bitmap) { Rotate(bitmap, false); }

TColor Blend(TColor color1, TColor color2, int32_t weight) {
    if (color1 < 0) color1 = TColor(GetSysColor(color1 & 0xFF));
    if (color2 < 0) color2 = TColor(GetSysColor(color2 & 0xFF));
    return BlendRGB(color1, color2, weight);
}

void GradientFill(HDC dc, const TRect& rect, TColor color1, bool vertical, TColor color2) {
    if (!RectVisible(dc, &rect)) return;
    const TColor from = TColor(ColorToRGB(color1)), to = TColor(ColorToRGB(color2));
    RECT clip{};
    GetClipBox(dc, &clip);
    const int n = vertical ? RectHeight(rect) : RectWidth(rect);
    if (n <= 0) return;
    const int start = vertical ? clip.top - rect.top : clip.left - rect.left;
    const int end = vertical ? clip.bottom - rect.top - 1 : clip.right - rect.left - 1;
    const int first = std::max(0, start), last = std::min(n - 1, end);
    const std::vector<TColor>& ramp = ColorRamp(GetColorRamp(n, from, to));
    for (int i = first; i <= last; ++i) {
        const RECT band = vertical ? RECT{rect.left, rect.top + i, rect.right, rect.top + i + 1}
                                   : RECT{rect.left + i, rect.top, rect.left + i + 1, rect.bottom};
        HBRUSH brush = CreateSolidBrush(COLORREF(ramp[size_t(i)]));
        FillRect(dc, &band, brush);
        DeleteObject(brush);
    }
}
