#include "tools/enginebmp/SysMenuGlyphs.h"

#include <cstdlib>

namespace enginebmp {
namespace {

struct Glyphs {
    TEngineBitmap B;
    void Set(int glyph, int x, int y, uint32_t c) {
        if (x < 0 || y < 0 || x >= SysMenuGlyphSize || y >= SysMenuGlyphSize) return;
        B.Pixels[static_cast<size_t>(y) * static_cast<size_t>(B.Width) +
                 static_cast<size_t>(glyph * SysMenuGlyphSize + x)] = c;
    }
    void Fill(int glyph, int left, int top, int right, int bottom, uint32_t c) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) Set(glyph, x, y, c);
    }
    // A window: a one-pixel outline with a two-pixel title bar; its inside left as paper.
    void Window(int glyph, int left, int top, int right, int bottom) {
        Fill(glyph, left, top, right, bottom, SysMenuGlyphInk);
        Fill(glyph, left + 1, top + 2, right - 1, bottom - 1, SysMenuGlyphPaper);
    }
};

}  // namespace

TEngineBitmap SysMenuGlyphs() {
    Glyphs g{{"TINSELMENU", SysMenuGlyphCount * SysMenuGlyphSize, SysMenuGlyphSize,
              std::vector<uint32_t>(static_cast<size_t>(SysMenuGlyphCount * SysMenuGlyphSize * SysMenuGlyphSize),
                                    SysMenuGlyphPaper)}};
    // 0 restore: the window behind, the one in front over it.
    g.Window(0, 6, 3, 13, 9);
    g.Window(0, 3, 6, 10, 12);
    // 1 maximize: one large window.
    g.Window(1, 3, 3, 13, 12);
    // 2 minimize: the bar a window shrinks to.
    g.Fill(2, 4, 10, 11, 12, SysMenuGlyphInk);
    // 3 close: a cross of two-pixel strokes.
    for (int i = 0; i < 8; ++i) {
        g.Fill(3, 4 + i, 4 + i, 6 + i, 5 + i, SysMenuGlyphInk);
        g.Fill(3, 10 - i, 4 + i, 12 - i, 5 + i, SysMenuGlyphInk);
    }
    return g.B;
}

}  // namespace enginebmp
