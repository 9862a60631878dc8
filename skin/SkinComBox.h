// Combo boxes in the skin: the system paints the box, then the skin draws the border and
// the drop-down button over it from [SunkEdge], [ComboButton] and [ExtraImages] (or one
// whole-control strip, or the flat variant), with hot and pressed states of the button.
// A simple combo's button is invisible, so the skin draws nothing on it. The skin hangs
// scroll-bar skins on the combo's list; they belong to the combo control and the skin
// hears of their end (free notification), so whoever goes first, each is freed once.
#pragma once

#include "skin/WinSubClass.h"

class TSkinComBox : public TSkinControl {
    DP_DECLARE_CLASS(TSkinComBox, TSkinControl)
public:
    explicit TSkinComBox(TComponent* owner);
    ~TSkinComBox() override;

    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) override;
    void Restore() override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

    // The frame of the button strips the current state shows (from 1): pressed 2, hot or
    // focused 4, disabled 3, else 1. Focus and the enabled state as the last draw read them.
    int32_t FrameIndex() const;
    // Takes a skin of the combo's list: it belongs to the combo control, and this skin is
    // told when it goes.
    void AdoptListSkin(TSkinControl*& slot, TSkinControl* skin);

    uint32_t ComboStyle = 0;
    uint32_t ComboExStyle = 0;
    // The list of a simple combo; 0 for drop-down combos.
    HWND ListWnd = nullptr;
    // The combo's edit while it is subclassed.
    HWND EditWnd = nullptr;
    // Scroll-bar skins of the list: a simple combo's, the dropped list's.
    TSkinControl* ListHScroll = nullptr;
    TSkinControl* ListScroll = nullptr;
    COMBOBOXINFO ComboInfo{};
    // The button as last drawn (window coordinates); where the mouse makes it hot.
    TRect ButtonRect{0, 0, 0, 0};

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void SubclassEdit();
    void ReleaseEdit();
    void SkinDropList();
    void FreeListSkins();
    bool ReadComboInfo();
    void DrawFlat(HDC dc, const TRect& rect);
    TWindowSubclass FEditSubclass;
};

// The scroll-bar skin of a dropped list: made and attached by handle to list with the combo
// skin's data and form, owned by owner; nil when none is made.
TSkinControl* NewDropListScrollSkin(TComponent* owner, HWND list, TSkinData* data, TTinselForm* form);
// The horizontal scroll-bar skin of a simple combo's child list; nil when none is made.
TSkinControl* NewSimpleListScrollSkin(TComponent* owner, HWND list, TSkinData* data, TTinselForm* form);
