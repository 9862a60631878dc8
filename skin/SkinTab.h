// Tabbed controls drawn from the skin's [Tabs] element (frame 1 a tab, frame 2 the
// current one): page and tab controls get the tab strip and the page border (bottom
// tabs flipped, side tabs drawn lying down and turned), page controls whose tabs are
// buttons get the [Buttons] faces, and pages are filled in the skin's face colour. A
// page control tagged TabCloseTag with its tabs on top shows a close box on each tab;
// a click on it frees that page unless the form answers WM_SKIN_TABCLOSE non-zero.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "skin/WinSubClass.h"

constexpr int32_t TabCloseTag = 7777;

// Where a tab control's tabs are, from its window style.
enum TSkinTabSide : uint8_t { tabSideTop = 0, tabSideBottom = 1, tabSideLeft = 2, tabSideRight = 3 };
TSkinTabSide TabSideOfStyle(uint32_t style);

// The "msctls_updown32" child of the host's window gets an up-down skin the first time it
// is seen (held in held, cleared by free notification when that skin goes); answers
// whether the child is visible. Without such a child: false.
bool CheckArrowSkin(TSkinControl* host, TSkinControl*& held);
// The same for a given arrow window (0: none).
bool CheckArrowSkin(TSkinControl* host, TSkinControl*& held, HWND arrows);

class TSkinTab : public TSkinControl {
    DP_DECLARE_CLASS(TSkinTab, TSkinControl)
public:
    explicit TSkinTab(TComponent* owner);
    ~TSkinTab() override;

    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    void SkinChanged() override;

    // One per tab, in the control's client coordinates; written by every paint in close-box mode.
    std::vector<TRect> CloseRects;
    TSkinTabSide TabSide = tabSideTop;
    bool UnicodeWindow = false;
    std::unique_ptr<TBitmap> StripImage;
    std::unique_ptr<TBitmap> BorderImage;
    std::unique_ptr<TBitmap> WorkImage;
    TSkinControl* UpDown = nullptr;
    bool CloseMode = false;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // The strip and border images for the current side.
    void Prepare();
    // A close box under the point: the form is asked, the page freed. True when one was hit.
    bool CloseAt(POINT p);
    void DrawCloseBox(HDC dc, const TRect& r, int index);
};

class TSkinTabBtn : public TSkinControl {
    DP_DECLARE_CLASS(TSkinTabBtn, TSkinControl)
public:
    explicit TSkinTabBtn(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
};

class TSkinTabSheet : public TSkinControl {
    DP_DECLARE_CLASS(TSkinTabSheet, TSkinControl)
public:
    explicit TSkinTabSheet(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
};

// Shared by the tab skins: the font a tab control draws with (its WM_GETFONT, else the
// class-library control's font, else the GUI font).
HFONT TabControlFont(TSkinControl* skin);
// Tab i's text and image index, read in the window's own character width.
std::wstring TabItemText(HWND wnd, bool unicode, int index, int32_t& image);
