// Up-down (spin) controls: both halves drawn from [UpDown.Vert] / [UpDown.Horz] (8 frames: the
// up or left half 1-4, the down or right half 5-8, each normal, pressed, disabled, hot; arrow
// glyphs in the same frames of the second image), or, without the element, as bevelled buttons
// with small drawn arrows. As the partner of an edit it sits inside the edit and keeps clear of
// the edit's border.
#pragma once

#include "skin/WinSubClass.h"

class TSkinUpDown : public TSkinControl {
    DP_DECLARE_CLASS(TSkinUpDown, TSkinControl)
public:
    explicit TSkinUpDown(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

    // The state of one half as the frames count it: 1 normal, 2 pressed, 3 disabled, 4 hot.
    int32_t HalfState(const TRect& half, const POINT& cursor) const;

    // Set by a creator whose up-down lies across (a tab control's scroller).
    bool Horizontal = false;
    // Set by the edit skin that found this up-down inside its edit.
    bool Partner = false;
};

// The small arrow of one half, lines drawn with the DC's pen around (x, y).
enum class TSmallArrow { Up, Down, Left, Right };
void DrawSmallArrow(HDC dc, TSmallArrow arrow, int32_t x, int32_t y);
