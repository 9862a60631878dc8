// Containers in the skin's colours: a panel takes the skin's button-face colour (no
// hook), a group box gets a rounded frame with its caption cutting the line, and its
// windowless children (labels) are painted over it; a bare size grip and a bare dialog
// (with its static texts) take the button face. And the one-line centred text the
// skinned menu bar draws.
#pragma once

#include "skin/WinSubClass.h"

class TSkinBox : public TSkinControl {
    DP_DECLARE_CLASS(TSkinBox, TSkinControl)
public:
    explicit TSkinBox(TComponent* owner);
    // Recolours the owner control; its window is not hooked.
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void Restore() override;
    void AfterMessage(TMessage&) override {}
};

class TSkinGroupBox : public TSkinControl {
    DP_DECLARE_CLASS(TSkinGroupBox, TSkinControl)
public:
    explicit TSkinGroupBox(TComponent* owner);
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
};

// A bare size-grip scroll bar, painted flat over the system's grip.
class TSkinSizer : public TSkinControl {
    DP_DECLARE_CLASS(TSkinSizer, TSkinControl)
public:
    explicit TSkinSizer(TComponent* owner);
    void DrawSkin(HDC dc, const TRect& rect) override;
};

// A bare dialog window: its background and its static children's in the button face.
class TSkinBoxH : public TSkinControl {
    DP_DECLARE_CLASS(TSkinBoxH, TSkinControl)
public:
    explicit TSkinBoxH(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
};

// One line of text centred in rect (alignment gives DT_LEFT, DT_RIGHT or DT_CENTER as
// well), in the button shadow colour when not enabled.
void DrawCenteredText(TCanvas* canvas, const TRect& rect, const std::wstring& text, TAlignment alignment, bool enabled);
