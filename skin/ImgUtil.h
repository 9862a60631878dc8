// Bitmap utilities of the skin engine: preparing skin bitmaps (grey disabled looks,
// recolouring the key colour, mirroring, flipping, rotating strips) and colours
// (blending, saturation, fast two-colour gradients). Empty bitmaps are left as they are.
#pragma once

#include <windows.h>

#include <cstdint>

#include "classlib/Graphics.h"
#include "skin/ImgUtilCore.h"

// 24-bit, every pixel (r + g + b) div 3 in all three channels.
void GreyBitmap(TBitmap* bitmap);
// 24-bit (converted only when it is not); pixels of exactly red 255, green 0, blue 255
// take the colour (a packed value, no system colour).
void ReplaceMagenta(TBitmap* bitmap, TColor colour);
// Left-right and top-bottom in place. The pixel format is kept; formats under 8 bits
// a pixel become 24-bit.
void MirrorBitmap(TBitmap* bitmap);
void FlipBitmap(TBitmap* bitmap);
// By 90 degrees counter-clockwise (left) or clockwise (right); width and height swap
// and the result is 24-bit.
void RotateBitmapLeft(TBitmap* bitmap);
void RotateBitmapRight(TBitmap* bitmap);

// Colour 1 mixed into colour 2 by weight (0-99 percent, 100 and above per mille); a
// negative colour is the system colour of its low byte.
TColor Blend(TColor color1, TColor color2, int32_t weight);

// The rectangle painted band by band from colour 1 to colour 2: rows when vertical,
// columns otherwise. Only the bands inside the clip box are painted, each in the colour
// it has in the whole gradient.
void GradientFill(HDC dc, const TRect& rect, TColor color1, bool vertical, TColor color2);
