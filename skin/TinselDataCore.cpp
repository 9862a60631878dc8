#include "skin/TinselDataCore.h"

bool SkinFrameCell(int32_t stripWidth, int32_t stripHeight, int32_t frames, int32_t index, bool vertical,
                   TSkinCell& cell) {
    cell = TSkinCell();
    if (frames < 1 || index < 1 || index > frames || stripWidth < 1 || stripHeight < 1) return false;
    TSkinCell c;
    if (vertical) {
        c.Width = stripWidth;
        c.Height = stripHeight / frames;
        c.Top = c.Height * (index - 1);
    } else {
        c.Width = stripWidth / frames;
        c.Height = stripHeight;
        c.Left = c.Width * (index - 1);
    }
    if (c.Width < 1 || c.Height < 1) return false;
    cell = c;
    return true;
}

void SkinFitMargins(int32_t& first, int32_t& second, int32_t targetSize, int32_t cellSize) {
    if (first < 0) first = 0;
    if (second < 0) second = 0;
    const int64_t sum = int64_t(first) + second;
    if (targetSize < sum || cellSize - sum < 1) first = second = 0;
}
