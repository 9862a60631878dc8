// The geometry every skin painter shares: where frame n of a strip lies, and which
// nine-slice margins survive a target or a cell too small for them. Portable, so the
// rules are checked natively too.
#pragma once

#include <cstdint>

// A cell of a strip: origin and size inside the strip bitmap.
struct TSkinCell {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Frame index (from 1) of frames equal cells: side by side in a horizontal strip
// (cell width = strip width div frames), stacked in a vertical one. False, with an
// empty cell, when there is no such cell: no frames, an index outside 1..frames, or
// a strip too small to give the cell a pixel.
bool SkinFrameCell(int32_t stripWidth, int32_t stripHeight, int32_t frames, int32_t index, bool vertical,
                   TSkinCell& cell);

// Two opposite margins (left and right, or top and bottom) as a nine-slice draw uses
// them: negative ones count as 0, and both are dropped when the target is shorter
// than their sum or when they leave the cell no middle pixel.
void SkinFitMargins(int32_t& first, int32_t& second, int32_t targetSize, int32_t cellSize);
