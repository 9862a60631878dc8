// Push buttons drawn from the skin's [Buttons] strip of five frames: normal, pressed,
// disabled, hot, focused. The skin takes the press itself and fires the click on the
// release (the control's Click, or WM_COMMAND to a bare button's parent).
#pragma once

#include <string>

#include "skin/WinSubClass.h"

// The Tag that gives a button its parent's background behind the skin.
constexpr int32_t TransparentButtonTag = 5555;

class TSkinButton : public TSkinControl {
    DP_DECLARE_CLASS(TSkinButton, TSkinControl)
public:
    explicit TSkinButton(TComponent* owner);
    ~TSkinButton() override;

    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

    // The frame of the [Buttons] strip the current state shows (from 1).
    int32_t FrameIndex() const;
    // The text in rect, centred (align 1) or left, with the focus rectangle when focused.
    void DrawButtonText(TCanvas* canvas, const TRect& rect, UINT align, const std::wstring& text);

    std::unique_ptr<TBitmap> Buffer;
    bool TransparentBack = false;

protected:
    // The hot look follows where the mouse is now: a click may have run a dialog, while
    // which the button saw no mouse leave.
    void RefreshHover();
    // Focus, enabled state and caption read from the window and the control.
    void ReadState();
    // The text colour the frame asks for; the font's own when the skin gives none.
    bool StateTextColour(int32_t index, TColor& colour) const;
    // The buffer sized to rect with the background and the frame in it.
    HDC PrepareBuffer(const TRect& rect, int32_t index);
    // The control's font (or a bare window's) with the state's colour, on the buffer.
    void PrepareFont(int32_t index, HFONT& oldFont);
};

// S with the first occurrence of old replaced by replacement.
std::wstring ReplaceFirst(const std::wstring& s, const std::wstring& old, const std::wstring& replacement);
