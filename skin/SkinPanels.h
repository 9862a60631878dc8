// Containers in the skin's colours: a panel takes the skin's button-face colour (no
// hook), a group box gets a rounded frame with its caption cutting the line, and its
// windowless children (labels) are painted over it.
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
