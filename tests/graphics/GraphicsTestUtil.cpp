#include "GraphicsTestUtil.h"

#include <algorithm>
#include <cstdlib>

std::string DataFile(const std::string& name) { return std::string(GRAPHICS_DATA_DIR) + "/" + name; }

int ColorDistance(TColor a, TColor b) {
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8) d = std::max(d, std::abs(((a >> shift) & 255) - ((b >> shift) & 255)));
    return d;
}

void FillBitmap(TBitmap& bmp, int width, int height, TPixelFormat format, TColor color) {
    bmp.SetPixelFormat(format);
    bmp.SetSize(width, height);
    bmp.Canvas()->Brush()->SetColor(color);
    bmp.Canvas()->FillRect(Rect(0, 0, width, height));
}
