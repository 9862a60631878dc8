#include "tools/enginebmp/MediaGlyphs.h"

#include <string>

#include "classlib/MediaGlyphShapes.h"

namespace enginebmp {
namespace {

const char* const kKinds[3] = {"EN", "DI", "CL"};
const char* const kButtons[9] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                 "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};

struct Canvas {
    std::vector<uint32_t> Px = std::vector<uint32_t>(size_t(MediaGlyphWidth) * MediaGlyphHeight, Olive);
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < MediaGlyphWidth && y < MediaGlyphHeight) Px[size_t(y) * MediaGlyphWidth + x] = c;
    }
};

// Twice the signed area of (a, b, p): which side of the edge a-b the point p lies on.
int64_t Side(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t px, int64_t py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Pixel centres in doubled coordinates, so every test stays in integers.
void Triangle(Canvas& c, int dx, int dy, const int8_t* p, uint32_t colour) {
    const int64_t x1 = 2 * p[0], y1 = 2 * p[1], x2 = 2 * p[2], y2 = 2 * p[3], x3 = 2 * p[4], y3 = 2 * p[5];
    for (int y = 0; y < kMediaGlyphHeight; ++y)
        for (int x = 0; x < kMediaGlyphWidth; ++x) {
            const int64_t px = 2 * x + 1, py = 2 * y + 1;
            const int64_t a = Side(x1, y1, x2, y2, px, py), b = Side(x2, y2, x3, y3, px, py),
                          d = Side(x3, y3, x1, y1, px, py);
            if ((a >= 0 && b >= 0 && d >= 0) || (a <= 0 && b <= 0 && d <= 0)) c.Set(x + dx, y + dy, colour);
        }
}

void Rectangle(Canvas& c, int dx, int dy, const int8_t* p, uint32_t colour) {
    for (int y = p[1]; y < p[3]; ++y)
        for (int x = p[0]; x < p[2]; ++x) c.Set(x + dx, y + dy, colour);
}

void Ellipse(Canvas& c, int dx, int dy, const int8_t* p, uint32_t colour) {
    const int64_t cx = p[0] + p[2], cy = p[1] + p[3], rx = p[2] - p[0], ry = p[3] - p[1];
    for (int y = p[1]; y < p[3]; ++y)
        for (int x = p[0]; x < p[2]; ++x) {
            const int64_t ex = 2 * x + 1 - cx, ey = 2 * y + 1 - cy;
            if (ex * ex * ry * ry + ey * ey * rx * rx <= rx * rx * ry * ry) c.Set(x + dx, y + dy, colour);
        }
}

void Shape(Canvas& c, int button, int dx, int dy, uint32_t colour) {
    const TMediaGlyphShape& s = kMediaGlyphShapes[button];
    for (int i = 0; i < s.Count; ++i) {
        const TMediaGlyphPart& part = s.Parts[i];
        if (part.Kind == 'T') Triangle(c, dx, dy, part.P, colour);
        if (part.Kind == 'R') Rectangle(c, dx, dy, part.P, colour);
        if (part.Kind == 'E') Ellipse(c, dx, dy, part.P, colour);
    }
}

}  // namespace

std::vector<TEngineBitmap> MediaGlyphs() {
    std::vector<TEngineBitmap> out;
    for (int kind = 0; kind < 3; ++kind)
        for (int button = 0; button < 9; ++button) {
            Canvas c;
            if (kind == 0) Shape(c, button, 0, 0, 0x000000);
            if (kind == 1) {
                // Embossed: a light copy below and right, the grey shape over it.
                Shape(c, button, 1, 1, 0xFFFFFF);
                Shape(c, button, 0, 0, 0x808080);
            }
            if (kind == 2) Shape(c, button, 0, 0, kMediaGlyphColours[button]);
            out.push_back(
                {std::string(kKinds[kind]) + "_" + kButtons[button], MediaGlyphWidth, MediaGlyphHeight, c.Px});
        }
    return out;
}

}  // namespace enginebmp
