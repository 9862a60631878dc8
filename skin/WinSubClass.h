// The base of every control skin: one skin hooks one control, either through the
// class-library control's WindowProc or, for a bare window, by subclassing its handle.
// Every message then passes through SkinWndProc, which lets the skin veto, answer or
// follow up each one. A skin lets go of its window at WM_NCDESTROY at the latest and
// touches no handle after that; a hook installed after ours survives our removal.
// Also the painting and property routines all control skins share.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "classlib/Component.h"
#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/WindowSubclass.h"

class TSkinData;
class TTinselForm;
class TDataSkinObject;

// Bits of TSkinControl::MouseState.
constexpr uint8_t msHot = 1, msPressed = 2;
// The class library's notifications the skins follow.
constexpr UINT CM_SKIN_DIALOGKEY = 0xB005;
constexpr UINT CM_SKIN_FOCUSCHANGED = 0xB007;
constexpr UINT CM_SKIN_ENABLEDCHANGED = 0xB00C;

enum TSkinControlState : int32_t { scCreated = 0, scAttached = 1, scDestroyed = 6 };

class TSkinControl : public TComponent {
    DP_DECLARE_CLASS(TSkinControl, TComponent)
public:
    explicit TSkinControl(TComponent* owner);
    ~TSkinControl() override;

    // Hooks the owner control's WindowProc; a second attach does nothing.
    virtual void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas);
    // Subclasses a bare window; a second attach does nothing.
    virtual void AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas);
    // Gives the control back the colour and ParentBackground it had before attach.
    virtual void Restore();
    // True: the old procedure runs, then AfterMessage. False: the message is finished.
    virtual bool BeforeMessage(TMessage& message);
    virtual void AfterMessage(TMessage& message);
    // The skin over the whole window; dc 0 takes the window's DC.
    virtual void PaintWindow(HDC dc);
    // The skin drawn into dc at rect (window coordinates).
    virtual void DrawSkin(HDC /*dc*/, const TRect& /*rect*/) {}
    virtual void SkinChanged();
    virtual bool SkinActive() { return true; }

    void SkinWndProc(TMessage& message);
    void CallOldProc(TMessage& message);
    void Repaint();
    void SetParentBackground(bool attaching);
    // The control takes the skin's face colour; GiveBackColour gives it the colour, or the
    // following of its parent's, that it had before.
    void TakeSkinColour();
    void GiveBackColour();
    TColor ParentColour(TColor fallback);
    void FillSkinColour(HDC dc, const TRect& rect);
    void FillParentColour(HDC dc, const TRect& rect);
    LONG_PTR GetWindowLongUni(HWND wnd, int index);
    void DrawTextFocus(HDC dc, UINT flags, const TRect& rect);
    void ForwardMouseDown(TMessage& message);
    // Takes our hook out of the control's WindowProc or the window's chain (only our
    // link: later hooks stay) and leaves the form's list of control skins alone.
    void Unhook();
    // The window the skin draws on, also after it was unhooked.
    bool HookedByHandle() const { return FSubclass.Attached(); }
    bool HookedByControl() const { return FLink != nullptr; }

    uint8_t MouseState = 0;
    TCanvas* Canvas = nullptr;
    bool WinEnabled = false;
    bool Focused = false;
    std::wstring Caption;
    bool Enabled = true;
    bool Unicode = false;
    TSkinData* SkinData = nullptr;
    HWND Handle = nullptr;
    TControl* Control = nullptr;
    TRect WindowRect{0, 0, 0, 0};
    TControl* GraphicControl = nullptr;
    bool SetColour = false;
    TColor SavedColour = 0;
    bool SavedParentColour = false;
    bool Attached = false;
    int32_t State = scCreated;
    TTinselForm* Form = nullptr;
    int32_t SpecialMode = 0;
    bool ParentBackOff = false;

protected:
    // Puts SkinWndProc into the control's WindowProc chain (attach by control and the
    // windowless skins).
    void HookWindowProc(TControl* control);
    // Takes the control and the skin it is drawn from (not yet hooked or listed).
    void TakeControl(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas);

private:
    struct TLink;
    std::shared_ptr<TLink> FLink;
    TWindowSubclass FSubclass;
};

// --- routines every control skin uses

// A pop-up window, or a child of the desktop.
bool IsPopupOrTopChild(HWND wnd);
// Target takes the source's size and pixel format and its picture.
void CloneBitmap(TBitmap* source, TBitmap* target);
void FillColour(HDC dc, const TRect& rect, TColor colour);

// Published properties by name; a missing property is an answer, never an exception.
// -1 without an integer property of that name.
int32_t GetOrdPropByName(TObject* instance, const std::string& name);
// The value as text; '' without such a property.
std::string GetEnumPropByName(TObject* instance, const std::string& name);
std::wstring GetTextPropByName(TObject* instance, const std::string& name);
TObject* GetObjectPropByName(TObject* instance, const std::string& name, const TClassInfo* cls);
// Integer, enumeration and string kinds; anything else, or a value the kind refuses, is left.
void SetPropByName(TObject* instance, const std::string& name, const std::string& value);

// The canvas's font and its colour put into its DC now (the canvas realises them only for
// its own drawing calls); answers the font that was there, to be selected back.
HGDIOBJ UseCanvasFont(TCanvas* canvas);
// The canvas's font becomes a copy of that font (the handle stays with its owner), for the
// text routines below, which draw in the canvas's font and colour.
void CopyFontInto(TCanvas* canvas, HFONT font);
// Flags with DT_RTLREADING added for a right-to-left control.
UINT BiDiFlags(TSkinControl* skin, UINT flags);
// Status panels and tabs: the text centred vertically in rect, grey when disabled.
void DrawCaptionText(TSkinControl* skin, TCanvas* canvas, const TRect& rect, UINT flags, bool enabled,
                     const std::wstring& text);
// An image of the list (when it counts) followed by the text, aligned 0 left, 1 centre, 2 right.
void DrawImageText(TSkinControl* skin, TCanvas* canvas, const TRect& rect, int32_t alignment, const std::wstring& text,
                   int32_t imageIndex, HIMAGELIST imageList);
// Frame index (from 1) of the element's strip laid out nine-slice over rect.
void DrawElementFrame(TSkinControl* skin, HDC dc, const TRect& rect, int32_t frames, int32_t index,
                      TDataSkinObject* element);
// Frame index (from 1) of a horizontal strip stretched to rect, magenta left out: onto a
// DC, onto a canvas, or blitted keyed. A count below 1 or an index outside the strip
// draws nothing.
void DrawStripFrameDC(TSkinControl* skin, HDC dc, const TRect& rect, int32_t frames, int32_t index, TBitmap* strip);
void DrawStripFrameCanvas(TSkinControl* skin, TCanvas* canvas, const TRect& rect, int32_t frames, int32_t index,
                          TBitmap* strip);
void DrawStripFrameKeyed(TSkinControl* skin, HDC dc, const TRect& rect, int32_t frames, int32_t index, TBitmap* strip);
// The engine's shared work bitmap (SkinScratchBitmap) from its top-left put into rect.
void BlitWorkBitmap(HDC dc, const TRect& rect);
// The WM_PAINT handler of skins that paint entirely by themselves.
void HandlePaint(TSkinControl* skin, TMessage& message);
// WM_ERASEBKGND: the parent's background behind the control.
void HandleEraseBackground(TSkinControl* skin, TMessage& message);
