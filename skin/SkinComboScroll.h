// The vertical scroll bar of a combo box's drop-down list, painted by the skin straight
// into the list's window: the system never paints the list's frame or bar (we draw the
// frame's line too), presses on arrows and track go to the system's own tracking, and a
// press on the thumb runs our drag loop. The loop waits for messages, sends the list the
// track, position and end-scroll notifications, ends on the button's release, on a lost
// capture, on the list's destruction and on WM_QUIT (which it passes on), and leaves the
// capture with the list, so that a click outside still closes it.
//
// The combo box skin attaches it by handle to the list that GetComboBoxInfo reports:
//   auto* bar = new TComboxScrollBar(owner);
//   bar->AttachHandle(list, skinData, form, nullptr);
// It lets go of the list at WM_NCDESTROY; its owner frees it.
#pragma once

#include <memory>

#include "skin/WinSubClass.h"

class TComboxScrollBar : public TSkinControl {
    DP_DECLARE_CLASS(TComboxScrollBar, TSkinControl)
public:
    explicit TComboxScrollBar(TComponent* owner);
    ~TComboxScrollBar() override;

    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    // The bar into the list's window DC (rect: the window at 0,0).
    void DrawSkin(HDC dc, const TRect& rect) override;
    // The frame line around the list and the bar, into the window DC.
    void DrawFrame(HDC dc);

    // The system's arrow size, taken at creation.
    int32_t ArrowSize = 0;
    int32_t ThumbStart = 0, ThumbEnd = 0;
    // While the thumb loop runs.
    bool Dragging() const { return FDragging; }

private:
    // A press (screen coordinates) on the thumb: runs the loop and answers true;
    // anywhere else answers false (the system tracks it).
    bool ThumbLoop(WPARAM hitTest, POINT press);

    bool FDragging = false;
    bool FCaptureLost = false;
    // Cleared when this object goes, so a loop dispatching the message that freed it stops.
    std::shared_ptr<bool> FAlive;
};
