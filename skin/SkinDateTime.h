// Date-time pickers in the skin: a thin border over the picker's own edge and an arrow
// button of ours, a child window lying over the picker's drop-down button. A click on it
// is handed to the picker as a click on its own button, so the calendar opens.
#pragma once

#include "skin/WinSubClass.h"

class TSkinDateTime;

class TArrowButton : public TCustomControl {
    DP_DECLARE_CLASS(TArrowButton, TCustomControl)
public:
    // Made by its date-time skin only, never by a stored definition.
    explicit TArrowButton(TSkinDateTime* owner);

    // Becomes a child window of the picker over its button.
    void AttachTo(TSkinDateTime* dateSkin, TWinControl* picker);
    // The frame of the ComboxArrow strip shown (from 1): 4 hot, else 1.
    int32_t FrameIndex() const { return (HotState & 1) ? 4 : 1; }
    void WndProc(TMessage& message) override;

    int32_t ButtonSize = 0;
    TWinControl* Picker = nullptr;
    TSkinDateTime* DateSkin = nullptr;
    HWND PickerWnd = nullptr;
    // Bit 1: hot.
    uint8_t HotState = 0;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
};

class TSkinDateTime : public TSkinControl {
    DP_DECLARE_CLASS(TSkinDateTime, TSkinControl)
public:
    explicit TSkinDateTime(TComponent* owner);
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

    // Owned by this skin.
    TArrowButton* ArrowButton = nullptr;
};
