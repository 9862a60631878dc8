// The parts of a skinned scroll bar, shared by the panels over window scroll bars and by
// the combo list's bar: where a point falls (arrows, track, thumb), the bar's thickness,
// a scroll-bar control's thumb, and the whole bar drawn from the skin's [Scrollbar] strip
// (arrows and grips), [HorzScroll]/[VertScroll] (track) and [HorzScrollThumb]/
// [VertScrollThumb] (thumb body) onto a surface of the bar's size. Every frame is cut
// through SkinFrameRect, so a skin short of frames draws nothing there instead of failing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "classlib/Graphics.h"

class TSkinData;

// Part codes; their values are the system's scroll request codes, so a scroll
// notification's code names the part to highlight.
constexpr int32_t spNone = -1;
constexpr int32_t spFirstArrow = 0;   // SB_LINEUP
constexpr int32_t spSecondArrow = 1;  // SB_LINEDOWN
constexpr int32_t spTrackBefore = 2;  // SB_PAGEUP
constexpr int32_t spTrackAfter = 3;   // SB_PAGEDOWN
constexpr int32_t spThumb = 5;        // SB_THUMBTRACK

// Frames of the [Scrollbar] strip (from 1).
constexpr int32_t ScrollPartFrames = 23;
constexpr int32_t sfLeftArrow = 1, sfRightArrow = 5, sfUpArrow = 9, sfDownArrow = 13;
constexpr int32_t sfHorzGrip = 17, sfVertGrip = 20;
// Frames of the track strips: enabled, disabled.
constexpr int32_t ScrollTrackFrames = 4;
constexpr int32_t sfTrackEnabled = 1, sfTrackDisabled = 3;

// The part at c (along the bar's axis) of a bar of that length with arrows of that size.
int32_t ScrollHitTest(int32_t c, int32_t arrow, int32_t thumbStart, int32_t thumbEnd, int32_t length);

// The thumb of a scroll-bar control of that length (along its axis) from its scroll
// information (range, page, position): start and end along the axis. An empty range counts
// as 9999999, a thumb shorter than 8 pixels is drawn 8 long, no page gives an arrow-long one.
void ScrollControlThumb(int32_t length, int32_t arrow, const SCROLLINFO& info, int32_t& start, int32_t& end);

// The skin can draw bars: it has a [Scrollbar] strip with pixels.
bool SkinHasScrollParts(TSkinData* data);

// The bar's thickness across its axis: the [Scrollbar] bitmap's height, or the system's
// arrow size when the two differ by more than 2 pixels.
int32_t ScrollBarThickness(TSkinData* data, int32_t arrow);

// What one picture of a bar shows.
struct TScrollBarLook {
    bool Vertical = true;
    bool Enabled = true;
    // Along the axis: the bar's length, the arrow size, the thumb.
    int32_t Length = 0;
    int32_t Arrow = 0;
    int32_t ThumbStart = 0, ThumbEnd = 0;
    // The arrows are halved when this is shorter than two arrows (the bar's length for
    // panels, the window's height for the combo list).
    int32_t HalveBelow = 0;
    // The highlighted part and whether it is held down.
    int32_t HotPart = spNone;
    bool Pressed = false;
};

// The bar drawn onto dc, whose surface is width x height (the bar's own size): ButtonFace,
// the track between the arrows, both arrows, and when enabled the thumb body with its grip.
// Only parts that lie inside the surface are drawn.
void DrawScrollBarParts(HDC dc, int32_t width, int32_t height, TSkinData* data, const TScrollBarLook& look);

// The same bar drawn off-screen at width x height and put onto target of dc in one blit,
// stretched when target has another size.
void PaintScrollBar(HDC dc, const RECT& target, int32_t width, int32_t height, TSkinData* data,
                    const TScrollBarLook& look);
