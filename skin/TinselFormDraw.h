// Internals of the drawing primitives that tests reach directly: both ways of a
// transparent blit, whichever the running platform would choose.
#pragma once

#include <windows.h>

#include "classlib/Graphics.h"

enum class TSkinTransparentBlit {
    MaskBlt,    // NT: MaskBlt keeps the destination where the mask is white
    InvertAnd,  // Windows 9x (no MaskBlt): source XOR, mask AND, source XOR
};

// The way SkinDrawTransparent takes on this platform.
TSkinTransparentBlit SkinPlatformTransparentBlit();

void SkinDrawTransparentBy(TSkinTransparentBlit how, HDC dc, const TRect& target, TBitmap* bitmap, TColor colour);
