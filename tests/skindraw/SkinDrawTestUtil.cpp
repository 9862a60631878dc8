#include "SkinDrawTestUtil.h"

#include <cstdio>
#include <stdexcept>

#include "skin/TinselData.h"

namespace skintest {

const char* PieceName(Piece p) {
    static const char* const names[] = {"TL", "T", "TR", "L", "CTL", "CTR", "CBL", "CBR", "R", "BL", "B", "BR"};
    return names[p];
}

TColor PieceColour(int frame, Piece p) { return TColor(RGB(20 + 15 * int(p), 30 * frame, 0x60 + int(p))); }

TColor Expected(const StripLayout& layout, int frame, Piece p) {
    return layout.keyed.count(p) ? TRANSPARENT_KEY : PieceColour(frame, p);
}

void MakeStrip(TBitmap& strip, const StripLayout& layout) {
    const int cw = layout.cellWidth, ch = layout.cellHeight;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(layout.vertical ? cw : cw * layout.frames, layout.vertical ? ch * layout.frames : ch);
    TCanvas* c = strip.Canvas();
    const int l = layout.margins.left, t = layout.margins.top, r = layout.margins.right, b = layout.margins.bottom;
    const int mx = l + (cw - l - r) / 2, my = t + (ch - t - b) / 2;
    struct Area {
        Piece p;
        TRect r;
    };
    const Area areas[] = {
        {TL, Rect(0, 0, l, t)},         {T, Rect(l, 0, cw - r, t)},          {TR, Rect(cw - r, 0, cw, t)},
        {L, Rect(0, t, l, ch - b)},     {CTL, Rect(l, t, mx, my)},           {CTR, Rect(mx, t, cw - r, my)},
        {CBL, Rect(l, my, mx, ch - b)}, {CBR, Rect(mx, my, cw - r, ch - b)}, {R, Rect(cw - r, t, cw, ch - b)},
        {BL, Rect(0, ch - b, l, ch)},   {B, Rect(l, ch - b, cw - r, ch)},    {BR, Rect(cw - r, ch - b, cw, ch)},
    };
    for (int f = 1; f <= layout.frames; ++f) {
        const int ox = layout.vertical ? 0 : (f - 1) * cw, oy = layout.vertical ? (f - 1) * ch : 0;
        for (const Area& a : areas) {
            if (RectWidth(a.r) <= 0 || RectHeight(a.r) <= 0) continue;
            c->Brush()->SetColor(Expected(layout, f, a.p));
            c->FillRect(Rect(a.r.left + ox, a.r.top + oy, a.r.right + ox, a.r.bottom + oy));
        }
    }
}

void Fill(TBitmap& b, int width, int height, TColor colour, TPixelFormat format) {
    b.SetPixelFormat(format);
    b.SetSize(width, height);
    b.Canvas()->Brush()->SetColor(colour);
    b.Canvas()->FillRect(Rect(0, 0, width, height));
}

TColor At(TBitmap& b, int x, int y) {
    const int bpp = b.BitsPerPixel() / 8;
    if (bpp != 3 && bpp != 4) throw std::logic_error("At reads 24 and 32-bit bitmaps only");
    if (x < 0 || y < 0 || x >= b.Width() || y >= b.Height()) throw std::out_of_range("pixel outside the bitmap");
    const auto* p = static_cast<const uint8_t*>(b.ScanLine(y)) + size_t(x) * bpp;
    return TColor(RGB(p[2], p[1], p[0]));
}

std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", unsigned(c) & 0xFFFFFFu);
    return buf;
}

}  // namespace skintest
