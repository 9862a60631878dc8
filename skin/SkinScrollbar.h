// Skinned window scroll bars: small borderless panels (TWScrollbar) laid exactly over the
// system's bars of a control, placed from the system's own bar rectangles, painted from the
// skin, and handing every press straight back to the control, so that the system keeps
// doing all scrolling, tracking and auto-repeat.
//   TSkinScrollbar  any scrollable class-library control: panels over both bars and a
//                   two-line border;
//   TSkinListView   the same for a list view, whose header gets a TSkinHeader;
//   TSkinScrollbarH the panels over the bars of a bare window known by its handle;
//   TSkinScControl  one panel over a scroll-bar control.
#pragma once

#include <memory>

#include "classlib/ExtCtrls.h"
#include "skin/WinSubClass.h"

class TSkinHeader;

// Panel kinds: the bar it covers.
enum TScrollPanelKind : int32_t { spkHorizontal = 0, spkVertical = 1, spkControl = 2 };

class TWScrollbar : public TCustomPanel {
    DP_DECLARE_CLASS(TWScrollbar, TCustomPanel)
public:
    explicit TWScrollbar(TSkinControl* ownerSkin);
    ~TWScrollbar() override;

    void AttachToControl(TSkinControl* ownerSkin, TWinControl* control, int32_t kind);
    void AttachToWindow(TSkinControl* ownerSkin, HWND wnd, int32_t kind);
    // Places the panel over the target's bar, or hides it while there is none to cover.
    void UpdateBar(HWND wnd);
    void HideBar();
    // The part at a point of the panel (its client coordinates).
    int32_t HitTest(POINT p) const;
    // The bar as the system reports it (kinds 0 and 1) or as computed from the control.
    bool BarInfo(SCROLLBARINFO& info);
    void WndProc(TMessage& message) override;
    // Repaints now when shown.
    void RepaintBar();

    TSkinControl* OwnerSkin = nullptr;
    HWND Target = nullptr;
    TWinControl* TargetControl = nullptr;
    int32_t Kind = spkHorizontal;
    bool Vertical = false;
    int32_t ArrowSize = 0;
    int32_t BarLength = 0, ThumbStart = 0, ThumbEnd = 0;
    int32_t HotPart = -1;
    bool Pressed = false;
    POINT PressCursor{};
    int32_t PressThumbStart = 0;
    POINT BarOrigin{};
    // The bar in the target's client coordinates.
    RECT ClientBar{};
    bool Shown = false;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;

private:
    void Attach(TSkinControl* ownerSkin, HWND wnd, int32_t kind);
    void MouseDownAt(TMessage& message);
    void MouseUpAt(TMessage& message);
    HWND FParentWnd = nullptr;
    // Cleared when the panel goes, so a press whose tracking freed it touches nothing after.
    std::shared_ptr<bool> FAlive;
};

class TSkinScrollbar : public TSkinControl {
    DP_DECLARE_CLASS(TSkinScrollbar, TSkinControl)
public:
    explicit TSkinScrollbar(TComponent* owner);
    ~TSkinScrollbar() override;

    // The dispatch's attach: AttachScrollbars on the owner control.
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    virtual void AttachScrollbars(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    void SkinChanged() override;
    void Restore() override;
    // The two-line border around the window, into its window DC.
    void DrawBorder(HDC dc);

    TWScrollbar* HorzPanel = nullptr;
    TWScrollbar* VertPanel = nullptr;
    bool DrawBorderFlag = true;
    TColor SavedFixedColor = 0;
    bool FixedColorSaved = false;

protected:
    void FreePanels();
};

class TSkinListView : public TSkinScrollbar {
    DP_DECLARE_CLASS(TSkinListView, TSkinScrollbar)
public:
    explicit TSkinListView(TComponent* owner);
    void AttachScrollbars(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas) override;
    TSkinHeader* Header = nullptr;
};

class TSkinScrollbarH : public TSkinControl {
    DP_DECLARE_CLASS(TSkinScrollbarH, TSkinControl)
public:
    explicit TSkinScrollbarH(TComponent* owner);
    ~TSkinScrollbarH() override;
    void AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) override;
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    void Restore() override;

    TWScrollbar* HorzPanel = nullptr;
    TWScrollbar* VertPanel = nullptr;
};

class TSkinScControl : public TSkinControl {
    DP_DECLARE_CLASS(TSkinScControl, TSkinControl)
public:
    explicit TSkinScControl(TComponent* owner);
    ~TSkinScControl() override;
    // The dispatch's attach: AttachScrollbar on the owner control.
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void AttachScrollbar(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas);
    void AfterMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    void Restore() override;

    TWScrollbar* Panel = nullptr;
};

// Both panels shown: the corner box between them in ButtonFace, the bars' client corner with
// 2 added to its right and bottom; lead (2 for a control with our two-pixel border, 0 for a
// bare window) is added to its left and top.
void FillScrollCorner(TSkinControl* skin, HDC dc, TWScrollbar* horz, TWScrollbar* vert, int32_t lead);
// A scroll notification's code as the panel's highlighted part.
void MarkScrollPart(TWScrollbar* panel, WPARAM code);
