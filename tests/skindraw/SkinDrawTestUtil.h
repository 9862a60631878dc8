// Synthetic skin strips whose pieces have colours of their own, so a pixel of a drawing
// tells which piece of which frame landed there.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "classlib/Graphics.h"

namespace skintest {

// The nine pieces of a cell; the centre in quadrants so tiling and stretching differ.
enum Piece { TL, T, TR, L, CTL, CTR, CBL, CBR, R, BL, B, BR };
const char* PieceName(Piece p);

// The colour of piece p in frame f (from 1).
TColor PieceColour(int frame, Piece p);

struct StripLayout {
    int frames = 1;
    int cellWidth = 24;
    int cellHeight = 20;
    TRect margins{3, 4, 5, 2};
    bool vertical = false;
    std::set<Piece> keyed;  // painted TRANSPARENT_KEY instead
};

// A 24-bit strip of the given layout.
void MakeStrip(TBitmap& strip, const StripLayout& layout);
// The colour a pixel of piece p in frame f should have.
TColor Expected(const StripLayout& layout, int frame, Piece p);

// A bitmap of one colour (pfDevice unless told).
void Fill(TBitmap& b, int width, int height, TColor colour, TPixelFormat format = pfDevice);
// A pixel read from the bits (0 = top row); 24 and 32-bit bitmaps only.
TColor At(TBitmap& b, int x, int y);

std::string Hex(TColor c);

}  // namespace skintest
