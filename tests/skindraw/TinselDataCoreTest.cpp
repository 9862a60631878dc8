// Strip cells and nine-slice margins: the geometry every skin painter shares.
#include <gtest/gtest.h>

#include <climits>

#include "skin/TinselDataCore.h"

namespace {

TEST(SkinStrip, FrameCellsOfHorizontalAndVerticalStrips) {
    const struct {
        int32_t w, h, frames, index;
        bool vertical;
        bool ok;
        TSkinCell want;
    } cases[] = {
        {100, 20, 5, 3, false, true, {40, 0, 20, 20}},  // frame 3 of 5: columns 40-59
        {100, 20, 5, 1, false, true, {0, 0, 20, 20}},
        {100, 20, 5, 5, false, true, {80, 0, 20, 20}},
        {103, 20, 5, 5, false, true, {80, 0, 20, 20}},  // the three columns left over are never used
        {30, 60, 3, 2, true, true, {0, 20, 30, 20}},
        {30, 61, 3, 3, true, true, {0, 40, 30, 20}},
        {100, 20, 1, 1, false, true, {0, 0, 100, 20}},
        // No such cell: nothing divides by a count of 0, nothing lies outside the strip.
        {100, 20, 0, 1, false, false, {}},
        {100, 20, 0, 0, true, false, {}},
        {100, 20, -3, 1, false, false, {}},
        {100, 20, 5, 0, false, false, {}},
        {100, 20, 5, 6, false, false, {}},
        {100, 20, 5, -1, false, false, {}},
        {4, 20, 5, 1, false, false, {}},  // narrower than its frame count
        {4, 20, 5, 1, true, true, {0, 0, 4, 4}},
        {0, 20, 1, 1, false, false, {}},
        {20, 0, 1, 1, true, false, {}},
        {INT_MAX, 1, INT_MAX, INT_MAX, false, true, {INT_MAX - 1, 0, 1, 1}},
    };
    for (const auto& c : cases) {
        TSkinCell cell{7, 7, 7, 7};
        EXPECT_EQ(SkinFrameCell(c.w, c.h, c.frames, c.index, c.vertical, cell), c.ok)
            << c.w << "x" << c.h << " " << c.index << "/" << c.frames << (c.vertical ? " vertical" : "");
        EXPECT_EQ(cell.Left, c.want.Left);
        EXPECT_EQ(cell.Top, c.want.Top);
        EXPECT_EQ(cell.Width, c.want.Width);
        EXPECT_EQ(cell.Height, c.want.Height);
    }
}

TEST(SkinStrip, MarginsAreDroppedInPairs) {
    const struct {
        int32_t first, second, target, cell;
        int32_t wantFirst, wantSecond;
    } cases[] = {
        {8, 8, 10, 24, 0, 0},  // a target of 10 cannot hold 8 + 8
        {3, 5, 8, 24, 3, 5},   // exactly the sum: corners only
        {3, 5, 7, 24, 0, 0},
        {3, 5, 100, 24, 3, 5},
        {8, 8, 40, 16, 0, 0},  // the cell has no middle left
        {8, 7, 40, 16, 8, 7},  // one middle pixel is enough
        {0, 0, 0, 1, 0, 0},
        {-2, 5, 40, 24, 0, 5},  // negative margins count as none
        {4, -1, 40, 24, 4, 0},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0, 0},
        {INT_MAX, 1, INT_MAX, INT_MAX, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t a = c.first, b = c.second;
        SkinFitMargins(a, b, c.target, c.cell);
        EXPECT_EQ(a, c.wantFirst) << c.first << "+" << c.second << " in " << c.target << ", cell " << c.cell;
        EXPECT_EQ(b, c.wantSecond) << c.first << "+" << c.second << " in " << c.target << ", cell " << c.cell;
    }
}

}  // namespace
