// The class library's status bar in the skin: ButtonFace behind everything, each panel in
// a frame of the [StatusBarEdges] strip (or a one-pixel bevel without one), the panel and
// simple texts, the size grip from [ExtraImages], and owner-drawn panels by their handler.
// Composed in the engine's shared work bitmap and put on in one blit.
#pragma once

#include "skin/WinSubClass.h"

class TSkinStatusBar : public TSkinControl {
    DP_DECLARE_CLASS(TSkinStatusBar, TSkinControl)
public:
    explicit TSkinStatusBar(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

protected:
    // Frame n (1 lowered, 2 raised, 3 none) of a part at r on dc.
    void DrawPartFrame(HDC dc, const TRect& r, int32_t n);
};
