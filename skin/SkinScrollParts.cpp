#include "skin/SkinScrollParts.h"

#include <cstdlib>

#include "classlib/Graphics.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/WinSubClass.h"

int32_t ScrollHitTest(int32_t c, int32_t arrow, int32_t thumbStart, int32_t thumbEnd, int32_t length) {
    if (c < arrow) return spFirstArrow;
    if (c < thumbStart) return spTrackBefore;
    if (c < thumbEnd) return spThumb;
    if (c < length - arrow) return spTrackAfter;
    return spSecondArrow;
}

void ScrollControlThumb(int32_t length, int32_t arrow, const SCROLLINFO& info, int32_t& start, int32_t& end) {
    const int32_t range = info.nMax - info.nMin != 0 ? info.nMax - info.nMin : 9999999;
    const int32_t offset = info.nPos - info.nMin;
    const bool atMin = info.nPos == info.nMin;
    int32_t size = 0;
    if (info.nPage > 0) {
        size = MulDiv(length - 2 * arrow, static_cast<int32_t>(info.nPage) - 1, range);
        if (size >= 8) {
            start = atMin ? arrow : MulDiv(length - 2 * arrow, offset, range) + arrow;
        } else {
            size = 8;
            start = atMin ? arrow : MulDiv(length - 2 * arrow - 8, offset, range) + arrow;
        }
    } else {
        size = arrow;
        start = atMin ? arrow : MulDiv(length - 3 * arrow, offset, range) + arrow;
    }
    end = start + size;
}

bool SkinHasScrollParts(TSkinData* data) {
    return data && data->Scrollbar && data->Scrollbar->Bitmap && !data->Scrollbar->Bitmap->Empty();
}

int32_t ScrollBarThickness(TSkinData* data, int32_t arrow) {
    if (!SkinHasScrollParts(data)) return arrow;
    const int32_t height = data->Scrollbar->Bitmap->Height();
    return std::abs(height - arrow) > 2 ? arrow : height;
}

namespace {

// A rectangle from a to b along the axis, 0 to thickness across.
TRect AlongAxis(bool vertical, int32_t a, int32_t b, int32_t thickness) {
    return vertical ? TRect{0, a, thickness, b} : TRect{a, 0, b, thickness};
}

void DrawElement(HDC dc, const TRect& r, TDataSkinObject* element, int32_t frames, int32_t index, bool tile) {
    if (!element || !element->Bitmap) return;
    SkinDrawFrame(dc, r, element->Bitmap.get(), false, tile, element->Trans == 1, frames, index, element->Margins);
}

// The state's offset from a part's normal frame: pressed and hot as the strip orders them.
int32_t StateOffset(const TScrollBarLook& look, int32_t part, int32_t pressed, int32_t hot) {
    if (look.HotPart != part) return 0;
    return look.Pressed ? pressed : hot;
}

}  // namespace

void DrawScrollBarParts(HDC dc, int32_t width, int32_t height, TSkinData* data, const TScrollBarLook& look) {
    if (!SkinHasScrollParts(data) || width <= 0 || height <= 0) return;
    FillColour(dc, TRect{0, 0, width, height}, data->Colours.ButtonFace);
    const int32_t T = ScrollBarThickness(data, look.Arrow);
    const int32_t A = look.Arrow;
    const int32_t L = look.Length;
    const int32_t surface = look.Vertical ? height : width;
    TBitmap* parts = data->Scrollbar->Bitmap.get();

    TDataSkinObject* track = look.Vertical ? data->VertScroll.get() : data->HorzScroll.get();
    if (track)
        DrawElement(dc, AlongAxis(look.Vertical, A, L - A, T), track, ScrollTrackFrames,
                    look.Enabled ? sfTrackEnabled : sfTrackDisabled, track->Tile != 0);

    const int32_t arrow = look.HalveBelow < 2 * A ? look.HalveBelow / 2 : A;
    const int32_t first = (look.Vertical ? sfUpArrow : sfLeftArrow) + StateOffset(look, spFirstArrow, 1, 3);
    const int32_t second = (look.Vertical ? sfDownArrow : sfRightArrow) + StateOffset(look, spSecondArrow, 1, 3);
    DrawStripFrameDC(nullptr, dc, AlongAxis(look.Vertical, 0, arrow, T), ScrollPartFrames, first, parts);
    DrawStripFrameDC(nullptr, dc, AlongAxis(look.Vertical, L - arrow, L, T), ScrollPartFrames, second, parts);

    if (!look.Enabled) return;
    const int32_t start = look.ThumbStart, end = look.ThumbEnd;
    if (start < 0 || end > surface) return;
    TDataSkinObject* thumb = look.Vertical ? data->VertScrollThumb.get() : data->HorzScrollThumb.get();
    if (thumb) {
        const int32_t index = look.HotPart == spThumb ? (look.Pressed ? 2 : 3) : 1;
        DrawElement(dc, AlongAxis(look.Vertical, start, end, T), thumb, thumb->Frames, index, false);
    }
    const int32_t grip = parts->Height();
    const int32_t length = end - start;
    if (grip < length + 2) {
        const int32_t at = start + (length - grip) / 2;
        if (at >= 0 && at + grip <= surface) {
            const int32_t index = (look.Vertical ? sfVertGrip : sfHorzGrip) + StateOffset(look, spThumb, 1, 2);
            DrawStripFrameDC(nullptr, dc, AlongAxis(look.Vertical, at, at + grip, T), ScrollPartFrames, index, parts);
        }
    }
}

void PaintScrollBar(HDC dc, const RECT& target, int32_t width, int32_t height, TSkinData* data,
                    const TScrollBarLook& look) {
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(width, height);
    HDC wdc = work.Canvas()->Handle();
    SetStretchBltMode(wdc, COLORONCOLOR);
    DrawScrollBarParts(wdc, width, height, data, look);
    const int32_t tw = target.right - target.left, th = target.bottom - target.top;
    if (tw == width && th == height)
        BitBlt(dc, target.left, target.top, tw, th, wdc, 0, 0, SRCCOPY);
    else
        StretchBlt(dc, target.left, target.top, tw, th, wdc, 0, 0, width, height, SRCCOPY);
}
