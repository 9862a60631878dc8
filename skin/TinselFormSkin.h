// The skin of one top-level window (a form of the class library, a bare system dialog,
// an MDI child): it subclasses the window, reports the skin's borders as the window's
// non-client area, paints frame, caption, caption buttons and menu bar from the skin,
// answers the hit test, runs the caption buttons and cuts the window's region.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Component.h"
#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/WindowSubclass.h"
#include "skin/TinselForm.h"

class TSkinData;
class TDataSkinSysButton;
class TTinselForm;
class TTinselMenu;
class TTimer;
class TPopupMenu;
class TMenuItem;
class TCustomForm;
class TSkinControl;
class TWinControl;

// The skin engine's private window messages.
constexpr UINT WM_SKIN_RESKIN = 0x3401;
constexpr UINT WM_SKIN_NCREPAINT = 0x3502;
constexpr UINT WM_SKIN_ACTIVATE = 0x3503;
constexpr UINT WM_SKIN_ENABLE = 0x3506;
constexpr UINT WM_SKIN_TABCLOSE = 0x3507;
constexpr UINT WM_SKIN_SYSBUTTON = 0x3514;
constexpr UINT WM_SKIN_BUTTONVISIBLE = 0x3515;
constexpr UINT WM_SKIN_MDIREDRAW = 0x3516;
constexpr UINT WM_SKIN_RESKINSCROLL = 0x3517;
constexpr UINT WM_SKIN_MENUAT = 0x3518;
constexpr UINT WM_SKIN_QUERY = 0x3523;
constexpr UINT WM_SKIN_PAINTCONTROL = 0xBC4A;
constexpr UINT WM_SKIN_PAINTNC = 0xBC4B;
constexpr UINT WM_SKIN_PING = 0xBC4D;
constexpr UINT WM_SKIN_APPLIED = 0xBC4E;
// The marker a message of the $BC4A..$BC4E group carries in lParam.
constexpr LPARAM SKIN_MARKER = 0x41A2;

enum TFormKind : uint8_t { fkNormal = 0, fkMDIFrame = 1, fkMDIChild = 2 };
enum TBorderClass : uint8_t { bcSizable = 0, bcSingle = 1, bcNoCaption = 2, bcDialog = 3 };
// Bits of the button set.
constexpr uint8_t sbMaximize = 1, sbMinimize = 2, sbSystemMenu = 8, sbNoCaption = 0x10;
enum TShowState : uint8_t { ssNormal = 0, ssMaximized = 1, ssMinimized = 2 };
enum TLifeState : int32_t {
    lsAttaching = 0,
    lsActive = 1,
    lsSkinChanging = 3,
    lsDestroying = 4,
    lsFitting = 5,
    lsDead = 6
};

// One mouse target in the frame (frame coordinates: origin at the window's top-left).
class TNCObject {
public:
    explicit TNCObject(TTinselForm* form) : Form(form) {}
    virtual ~TNCObject() = default;
    virtual void MouseDown();
    virtual void MouseUp();
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void Paint() {}

    TTinselForm* Form;
    TRect Rect{0, 0, 0, 0};
    bool Visible = false;
    int32_t State = 1;  // 1 normal, 2 pressed, 3 hot
};

// One caption button, bound to its record of the skin.
class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TTinselForm* form, TDataSkinSysButton* record) : TNCObject(form), Record(record) {}
    void Paint() override;
    TDataSkinSysButton* Record;
    // The cell as the caption last drew it, at the button's size in 32 bits, with the runs of
    // its pixels that are not key-coloured: the caption puts it on without a transparent blit.
    struct TCellCache {
        int32_t Frame = 0, Width = -1, Height = -1;
        std::unique_ptr<TBitmap> Bitmap;
        TSkinRowRuns Runs;
    };
    TCellCache Cell;
};

// Counts a handler of the skin on the stack for as long as it runs, exceptions included: a
// skin whose count stayed up would be kept (busy) for ever.
struct TDepthGuard {
    int32_t& Depth;
    explicit TDepthGuard(int32_t& d) : Depth(d) { ++Depth; }
    ~TDepthGuard() { --Depth; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;
};

class TTinselForm : public TComponent {
    DP_DECLARE_CLASS(TTinselForm, TComponent)
public:
    explicit TTinselForm(TComponent* owner);
    ~TTinselForm() override;

    // Attaching, called by the manager with the window handle and class name set.
    void SkinFormObject(TSkinData* data, TCustomForm* form);
    void SkinHandle(TSkinData* data);
    // Detach while the window is being destroyed (size, style and region stay).
    void Release();
    // Detach from a living window and give it its system frame back.
    void Unskin();
    void SkinChanged();
    void ClearSysButtons();
    void LoadSkinMetrics();
    void FrameChanged();
    void SetCaptionStyle(bool add);
    void SetSysMenuStyle(bool remove);
    static void RepaintWindow(HWND wnd);
    void FitWindowToSkin(bool keepClient);
    void UpdateRegion();
    void ClearRegion();
    // The frame painted into dc, or into the window's own DC when dc is 0.
    void PaintFrame(HDC dc);
    bool IsMdiChildMaximized();
    // The form went (its owned components are freed before its window): let go of the
    // window now; the manager frees this object later.
    void FormFreed();
    // True while a message of this window is being handled here (the object must live on).
    bool Busy() const { return FDepth > 0; }

    // Frame coordinates of a screen point.
    TPoint FramePoint(TPoint screen);
    // The caption button or menu-bar item at a frame point, or nil.
    TNCObject* ObjectAt(TPoint frame);
    bool SysButtonVisible(int index);
    void LayoutSysButtons();
    // Opens a menu-bar item's drop-down (False when it has none).
    bool OpenMenuButton(class TMenuBtn* item);

    // --- state (read by the manager, the menu bar and tests)
    HWND Handle = nullptr;
    TCustomForm* Form = nullptr;
    TSkinData* SkinData = nullptr;
    std::string WindowClassName;
    uint8_t Kind = fkNormal;
    uint8_t BorderClassValue = bcSingle;
    uint8_t ButtonSet = 0;
    uint8_t ShowStateValue = ssNormal;
    int32_t LifeState = lsAttaching;
    uint8_t ActiveFlag = 1;
    bool FrameSkinned = false;
    bool RightToLeft = false;
    bool Child = false;
    bool ThickFrame = false;
    bool Dialog = false;
    bool Unicode = false;
    HWND Owner = nullptr;
    // Border widths (Top includes the caption) and the menu bar strip.
    int32_t BorderLeft = 0, BorderTop = 0, BorderRight = 0, BorderBottom = 0;
    int32_t MenuBarHeight = 0;
    TRect ClientRectValue{0, 0, 0, 0};
    int32_t SysFrameWidth = 0, SysFrameHeight = 0;
    TRect PaintedWindowRect{0, 0, 0, 0};
    int32_t PaintedWidth = 0, PaintedHeight = 0;
    int32_t RegionWidth = 0, RegionHeight = 0;
    bool RegionPresent = false;
    TRect TitleTextRect{0, 0, 0, 0};
    int32_t RightButtonsLeft = 0;
    std::vector<std::unique_ptr<TWinSysButton>> SysButtons;
    TNCObject* HotObject = nullptr;
    HMENU WindowMenu = nullptr;
    HMENU SystemMenu = nullptr;
    std::unique_ptr<TTinselMenu> MenuBar;
    bool MenuTracking = false;
    // The drop-down being tracked from the bar.
    HMENU OpenMenu = nullptr;
    HWND MDIClient = nullptr;
    HICON IconHandle = nullptr;
    int32_t IconSize = 16;
    std::unique_ptr<TBitmap> IconBitmap;
    std::unique_ptr<TFont> CaptionFont;

    // Draws the window icon into the rectangle of dc.
    void DrawIconAt(HDC dc, const TRect& r);
    void LoadIconBitmap();
    void ShowSystemPopup(int x, int y);
    void ToggleMaximize();
    void ToggleMinimize();
    void Restore();

    // The owner-drawn items of the window's menus.
    void MeasureMainItem(TObject* sender, TCanvas* canvas, int& width, int& height);
    void MeasurePopupItem(TObject* sender, TCanvas* canvas, int& width, int& height);
    void DrawMenuItem(TObject* sender, TCanvas* canvas, const TRect& rect, bool selected);
    void DrawRawMenuItem(HMENU menu, TMenuItem* item, bool selected, const TRect& rect, TCanvas* canvas);
    void DrawPlainMenuItem(TMenuItem* item, TCanvas* canvas, bool selected, const TRect& rect);
    void DrawMenuItemContent(TMenuItem* item, TCanvas* canvas, bool selected, const TRect& rect);
    void DrawMenuText(TMenuItem* item, TCanvas* canvas, UINT flags, bool selected, TRect& rect,
                      const std::wstring& text);
    void DrawMenuSeparator(TCanvas* canvas, const TRect& rect);
    void SetMainMenusOwnerDraw(TComponent* owner, bool on);
    void SetPopupMenusOwnerDraw(TComponent* owner, bool on);
    template <class E>
    bool OwnHandler(const E& event) const;
    // Takes this skin's handlers off the item (an application's own stay).
    void DropHandlers(TMenuItem* item) const;
    // Every item of the drop-down (recursively) becomes owner-drawn.
    static void MakeMenuOwnerDraw(HMENU menu);

    // --- the control skins (the dispatch)
    // Every control skin made for this window, in order of creation. The skins of
    // class-library controls belong to their controls, those of bare windows to this
    // object; each leaves the list when it is freed.
    std::vector<TSkinControl*> ControlSkins;
    void AddControlSkin(TSkinControl* skin);
    void RemoveControlSkin(TSkinControl* skin);
    // The work canvas handed to every control skin.
    TCanvas* ControlCanvas() { return FControlCanvas.get(); }
    void ChooseControlSkin(TComponent* component, TComponent* parent);
    void SkinComponents(TComponent* owner);
    void SkinChildren(TWinControl* container);
    void SkinAllControls(TComponent* component);
    bool IsHandledControl(TWinControl* control);
    bool IsControlSkinned(TControl* control);
    void DisableGroupChildren(TControl* control);
    bool SkinByClassMap(const std::string& upperName, TControl* control);
    void SkinEditIfBordered(TControl* control);
    void SkinChildWindow(HWND wnd);
    void SkinChildWindows(HWND wnd);
    TSkinControl* FindControlSkinByHandle(HWND wnd);
    // Frees the skins whose windows were destroyed.
    void DropDeadControlSkins();
    // A scrollable control's window was made again: its scroll bar skin (found by the old
    // handle) is replaced by a new one of the same class.
    void ReskinScrollControl(HWND oldWnd);
    // Gives every control its colours back and frees every control skin.
    void FreeControlSkins();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void AttachWindow(TSkinData* data);
    void Activate();
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallOld(UINT msg, WPARAM wParam, LPARAM lParam) { return FSubclass.CallPrevious(msg, wParam, lParam); }
    void FormHook(TMessage& message);
    // WM_MEASUREITEM and WM_DRAWITEM of menu entries; false when they are not ours.
    bool MenuItemMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void HookMDIClient();
    void UnhookMDIClient();
    LRESULT MDIClientProc(UINT msg, WPARAM wParam, LPARAM lParam);
    bool FrameStage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, bool& passOn);
    bool NonClientStage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT NCCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT NCHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT NCActivate(WPARAM wParam, LPARAM lParam);
    void SizeHandler(WPARAM wParam, LPARAM lParam);
    bool NCMouse(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool SysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result);
    void ButtonClick(TWinSysButton* button);
    void HoverCheck(TObject* sender);
    void ReadShowState();
    uint32_t Style() const;
    void PaintTitle(HDC dc, int32_t w, int32_t h);
    void DrawTitleText(TCanvas* canvas, const TRect& r);
    void PaintSysButtons(TBitmap* surface);
    void PaintBorderPiece(int index, const TRect& r, HDC dc);
    void PaintMenuStrip(HDC dc, int32_t w);
    void MakeCaptionFont();
    std::wstring CaptionText();
    void DetachAll(bool restoreWindow);

    // A skin of the kind for the control (its owner), attached; nil for kinds not built.
    TSkinControl* AttachKind(int kind, TControl* control, bool setColour);
    TSkinControl* AttachKindToHandle(int kind, HWND wnd);

    TWindowSubclass FSubclass;
    TWindowSubclass FMDISubclass;
    TWndMethod FOldWindowProc;
    bool FFormHooked = false;
    class TSkinFormAnchor* FAnchor = nullptr;
    std::unique_ptr<TTimer> FHoverTimer;
    std::unique_ptr<TPopupMenu> FSysPopup;
    std::unique_ptr<TBitmap> FTitleBuffer;
    std::unique_ptr<TCanvas> FControlCanvas;
    TColor FOldColor = 0;
    bool FColorSaved = false;
    DWORD FLastPopupTick = 0;
    // Loops of the right-click pop-up running now (its items must live on meanwhile).
    int32_t FPopupLoops = 0;
    bool FPopupShown = false;
    UINT FDoubleClickTime = 500;
    bool FSavedMenuUpdate = true;
    int32_t FDepth = 0;
    // A bar item asked for while another's drop-down runs; -1 when none.
    int32_t FPendingOpen = -1;
    // The border pieces as last built: rebuilt only for a new size, state or skin, with
    // the runs of their pixels that the window region takes (made when first asked for).
    struct TPieceCache {
        int32_t Width = -1, Height = -1, Frame = 0;
        std::unique_ptr<TBitmap> Bitmap;
        bool HasRuns = false;
        TSkinRowRuns Runs;
    };
    TPieceCache FPieces[4];
    // The piece of the given size in the current frame; nil when the skin has none.
    TPieceCache* BorderPiece(int index, int32_t w, int32_t h);
    const TSkinRowRuns* BorderPieceRuns(int index, int32_t w, int32_t h);
    void ClearPieceCache();
    // The window icon as drawn in the caption: copying it from its resource is the
    // slowest step of a frame paint, so the copy is kept until the icon changes.
    struct TIconCopy {
        HICON Source = nullptr, Copy = nullptr;
        int32_t Size = 0;
        TIconCopy() = default;
        TIconCopy(const TIconCopy&) = delete;
        TIconCopy& operator=(const TIconCopy&) = delete;
        ~TIconCopy() { Reset(); }
        void Reset() {
            if (Copy) DestroyIcon(Copy);
            Source = Copy = nullptr;
            Size = 0;
        }
    };
    TIconCopy FIconCopy;
    HICON IconCopy();
    // The system's check mark, loaded once.
    HBITMAP FCheckBitmap = nullptr;
    HBITMAP CheckBitmap();
};

// GetWindowText of any window as wide text.
std::wstring GetWindowTextWide(HWND wnd);
