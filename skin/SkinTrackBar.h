// Track bars: the channel and the thumb drawn from the skin through the control's custom-draw
// notifications, while the control keeps drawing its ticks. The thumb is frame 2 of the
// [Trackbar.ThumbHorz] / [Trackbar.ThumbVert] strip; the channel a three-part strip of [Track] /
// [TRACKVERT] (or the engine's own bitmaps), caps unscaled and the middle stretched.
#pragma once

#include "skin/WinSubClass.h"

class TSkinTrackBar : public TSkinControl {
    DP_DECLARE_CLASS(TSkinTrackBar, TSkinControl)
public:
    explicit TSkinTrackBar(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void SkinChanged() override;

    // The answer to one NM_CUSTOMDRAW of this track bar, drawing the thumb or channel it asks for.
    LRESULT CustomDraw(const NMCUSTOMDRAW& draw);
    void DrawThumb(HDC dc);
    void DrawChannel(HDC dc);

private:
    // The window is this track bar's (its handle, or the control's window made again).
    bool IsOwnWindow(HWND wnd) const;
    // False, with Handle taken anew from the control, when the window is gone.
    bool WindowStillOurs();
};
