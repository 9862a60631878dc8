// Header controls drawn wholly from the skin's [Headerbar] strip: frame 1 for an item,
// frame 2 for the item under the mouse, frame 1 again for the empty rest; each item's image
// and text over its frame. Item texts are read up to 100 characters.
#pragma once

#include <string>
#include <vector>

#include "skin/WinSubClass.h"

class TSkinHeader : public TSkinControl {
    DP_DECLARE_CLASS(TSkinHeader, TSkinControl)
public:
    explicit TSkinHeader(TComponent* owner);
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

    // -1: none.
    int32_t HotItem = -1;
    // Each item's rectangle as last drawn, 3 pixels in from either side.
    std::vector<TRect> ItemRects;
};

// The item's text, at most 100 characters, its format and its image.
struct THeaderItemText {
    std::wstring Text;
    int32_t Format = 0;
    int32_t Image = -1;
};
THeaderItemText ReadHeaderItem(HWND header, int32_t index);
