// The drawing primitives every skinned surface uses to turn one cell of a skin strip
// into pixels: nine-slice frames and their variants, key-colour transparent blits,
// window regions from a bitmap's opaque pixels, tiling, and a parent's background.
// Strips and margins follow TinselData's conventions (cells numbered from 1). A
// strip without the asked-for cell (no frames, an index outside 1..frames, an
// empty bitmap) draws nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/Graphics.h"

class TControl;

// The engine's off-screen scratch surface, HALFTONE stretching on its canvas; shared,
// user-interface thread only. Users size and paint it as they need.
TBitmap* SkinScratchBitmap();

// A bitmap of the target's size holding the cell laid out nine-slice: corners copied,
// edges stretched along their length, the centre tiled or stretched. Margins the target
// (or the cell) cannot hold are dropped in pairs. Without a cell the bitmap stays blank.
std::unique_ptr<TBitmap> SkinMakeFrameBitmap(const TRect& target, TBitmap* strip, const TRect& margins, bool vertical,
                                             bool tile, int32_t frames, int32_t index);

// The nine-slice cell drawn at the target, composed off-screen and put on in one blit;
// transparent leaves TRANSPARENT_KEY pixels out.
void SkinDrawFrame(HDC dc, const TRect& target, TBitmap* strip, bool vertical, bool tile, bool transparent,
                   int32_t frames, int32_t index, const TRect& margins);

// Left border, the middle tiled across, right border (margins' left and right), each
// stretched to the target's height. Margins that leave the cell no middle are dropped.
void SkinDrawFrameTiled3(TCanvas* canvas, const TRect& target, TBitmap* strip, bool vertical, bool transparent,
                         int32_t frames, int32_t index, const TRect& margins);

// The whole cell of a horizontal strip stretched over the target.
void SkinDrawFrameStretched(HDC dc, const TRect& target, TBitmap* strip, bool transparent, int32_t frames,
                            int32_t index);

// The cell of a horizontal strip unscaled, centred in the target (a cell larger than the
// target starts before it).
void SkinDrawFrameCentered(HDC dc, const TRect& target, TBitmap* strip, bool transparent, int32_t frames,
                           int32_t index);

// Left border, stretched middle, right border stretched straight onto the device
// context; a cell wider than the target is stretched over it whole. The fifth argument
// is not used.
void SkinStretchFrame3(HDC dc, const TRect& target, TBitmap* strip, bool vertical, bool unused, int32_t frames,
                       int32_t index, const TRect& margins);

// The bitmap from its top-left drawn at the target with the pixels of colour left out.
// Only the part the bitmap has is drawn when the target is larger.
void SkinDrawTransparent(HDC dc, const TRect& target, TBitmap* bitmap, TColor colour);

// A region of every pixel that is not key-coloured, moved by (dx, dy); a channel counts
// as key-coloured from the key's value up to that value plus its tolerance. Converts the
// bitmap to 32 bits. The caller owns the region; no opaque pixels give an empty one.
HRGN SkinRegionFromBitmap(TBitmap* bitmap, int32_t dx, int32_t dy, int32_t toleranceBlue, int32_t toleranceGreen,
                          int32_t toleranceRed, TColor key);

// The pixels of each row of a bitmap that are not key-coloured, as spans: row y holds the
// spans Spans[RowStart[y]] .. Spans[RowStart[y + 1]] - 1. Tolerances as for
// SkinRegionFromBitmap, which counts pixels the same way.
struct TSkinRowRuns {
    struct TSpan {
        int32_t Left, Right;
        bool operator==(const TSpan&) const = default;
    };
    int32_t Width = 0, Height = 0;
    std::vector<int32_t> RowStart;
    std::vector<TSpan> Spans;
};
TSkinRowRuns SkinOpaqueRuns(TBitmap* bitmap, int32_t toleranceBlue, int32_t toleranceGreen, int32_t toleranceRed,
                            TColor key);

// One part of a window region: the rectangle (its corners in any order), or, with runs, those
// runs placed at the rectangle's top-left.
struct TSkinRegionPart {
    TRect Rect;
    const TSkinRowRuns* Runs = nullptr;
};
// The union of the parts, made row band by row band: rows alike are one band, so a border
// stretched along the window gives a handful of rectangles, not one per row.
HRGN SkinRegionFromParts(const std::vector<TSkinRegionPart>& parts);

// The source rectangle of the bitmap repeated over the target from its top-left; the last
// column and row of tiles are drawn whole, past the target. A source reaching outside
// the bitmap is cut to the bitmap.
void SkinTileRect(TCanvas* canvas, const TRect& target, TBitmap* bitmap, const TRect& source);

// The control's parent painted into the device context behind the control (erase, then
// paint), so a control without a background of its own shows its parent's.
void SkinPaintParentBackground(TControl* control, HDC dc);
