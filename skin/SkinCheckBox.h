// Check boxes and radio buttons with the skin's glyphs: the frame of the [Buttons]
// element's check or radio strip that the state asks for, and, for class-library
// controls, the caption beside it. Bare windows keep their own painting under the glyph.
#pragma once

#include "skin/WinSubClass.h"

class TSkinCheckBox : public TSkinControl {
    DP_DECLARE_CLASS(TSkinCheckBox, TSkinControl)
public:
    explicit TSkinCheckBox(TComponent* owner);
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    // The frame of the check strip the state shows (from 1); 0 without a strip.
    int32_t FrameIndex();

    // From the last BM_SETCHECK: 0 none, 1 unchecked, 2 checked, 3 indeterminate.
    int32_t CheckValue = 0;
    bool TransparentBack = false;

protected:
    virtual bool IsRadio() const { return false; }
};

class TSkinRadioButton : public TSkinCheckBox {
    DP_DECLARE_CLASS(TSkinRadioButton, TSkinCheckBox)
public:
    explicit TSkinRadioButton(TComponent* owner);
    // The frame of the radio strip the state shows (from 1); 0 without a strip.
    int32_t RadioFrameIndex();

protected:
    bool IsRadio() const override { return true; }
};
