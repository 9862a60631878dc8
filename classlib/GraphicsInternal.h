// Inside the graphics unit: what its files share and nothing outside it includes.
#pragma once

#include "classlib/Bitmaps.h"

inline int ScreenPixelsPerInch() {
    static int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}

inline TColor FromRGB(COLORREF c) { return static_cast<TColor>(c & 0xFFFFFF); }

constexpr int32_t kMaxDimension = kMaxBmpDimension;
constexpr int64_t kMaxImageBytes = kMaxBmpImageBytes;

inline int64_t StrideOf(int64_t width, int bits) { return DibStride(width, bits); }

inline RGBQUAD Quad(int r, int g, int b) {
    RGBQUAD q{};
    q.rgbRed = static_cast<BYTE>(r);
    q.rgbGreen = static_cast<BYTE>(g);
    q.rgbBlue = static_cast<BYTE>(b);
    return q;
}

struct TBitmap::Image {
    HBITMAP handle = nullptr;
    void* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t bitCount = 0;
    TPixelFormat format = pfDevice;
    std::vector<RGBQUAD> colours;
    void Free() {
        if (handle) DeleteObject(handle);
        handle = nullptr;
    }
};
