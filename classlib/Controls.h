// Controls over Win32 windows: the control base with its replaceable window
// procedure, windowed controls (one real window each, created on demand) and
// windowless graphic controls painted on their parent's canvas.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Component.h"
#include "classlib/Graphics.h"
#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------
// Messages

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// What WindowProc holds: every message of a control passes through it.
using TWndMethod = std::function<void(TMessage&)>;

// Notifications the library sends to its controls when the matching change
// happens (through Perform, so a replaced WindowProc sees them).
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;  // to the form; LParam = the control
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;  // WParam = new Visible
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_RELEASE = CM_BASE + 33;  // a control is about to be freed
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
// Parent notifications reflected to the child control they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

// ---------------------------------------------------------------------------
// Value types

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
DP_ENUM_INFO(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
DP_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

enum TMouseButton { mbLeft, mbRight, mbMiddle };
DP_ENUM_INFO(TMouseButton, "mbLeft", "mbRight", "mbMiddle")

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
DP_ENUM_INFO(TShiftStateItem, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble")
using TShiftState = TSet<TShiftStateItem>;
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyDataToShiftState(LPARAM keyData);

// Border of forms; controls with a border use bsNone and bsSingle only.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
DP_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")
using TBorderStyle = TFormBorderStyle;

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
DP_ENUM_INFO(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly")

// Cursors: the predefined shapes are negative numbers.
using TCursor = int32_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
const TTypeInfo* CursorTypeInfo();
// The system cursor of a predefined shape (crDefault: the arrow).
HCURSOR CursorHandle(TCursor cursor);

// Modal results: what a modal form answers and what a button sets.
using TModalResult = int32_t;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = mrNo + 1;
constexpr TModalResult mrNoToAll = mrAll + 1;
constexpr TModalResult mrYesToAll = mrNoToAll + 1;
const TTypeInfo* ModalResultTypeInfo();

using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
// Setting Key to 0 drops the character.
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;

class TWinControl;
class TCustomForm;

constexpr const char* SParentRequired = "Control '%s' has no parent window";
constexpr const char* SCannotFocus = "Cannot focus a disabled or invisible window";
constexpr const char* SWindowCreateError = "Error creating window";

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// A hidden window whose messages go to method (timers, the application).
// Exceptions that leave method are reported like those of controls.
HWND AllocateHWnd(TWndMethod method, const char* className = "TPUtilWindow");
void DeallocateHWnd(HWND wnd);

// ---------------------------------------------------------------------------
// The control atom: every window the library makes carries the property named
// "ControlOfs" + module instance + thread id (8 hexadecimal digits each),
// holding its control.

std::string ControlAtomName();
ATOM ControlAtom();
class TControl;
// The library control of a window of this module and thread, else nullptr.
TControl* FindControl(HWND wnd);
// The library control for a window or, failing that, for its nearest ancestor window.
TWinControl* FindVCLWindow(HWND wnd);

// ---------------------------------------------------------------------------

enum TControlStyleItem {
    csAcceptsControls,
    csCaptureMouse,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents,
    csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
    csMouseInside
};
using TControlState = TSet<TControlStateItem>;

class TControl : public TComponent {
    DP_DECLARE_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Every message goes through here; skins and other hooks replace it and
    // call the value they found.
    TWndMethod WindowProc;
    // Sends a message through WindowProc and answers its result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* parent);

    int32_t Left() const { return m_left; }
    int32_t Top() const { return m_top; }
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    void SetLeft(int32_t v) { SetBounds(v, m_top, m_width, m_height); }
    void SetTop(int32_t v) { SetBounds(m_left, v, m_width, m_height); }
    void SetWidth(int32_t v) { SetBounds(m_left, m_top, v, m_height); }
    void SetHeight(int32_t v) { SetBounds(m_left, m_top, m_width, v); }
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    TRect BoundsRect() const { return Bounds(m_left, m_top, m_width, m_height); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, RectWidth(r), RectHeight(r)); }
    virtual TRect ClientRect();
    int32_t ClientWidth() { return RectWidth(ClientRect()); }
    int32_t ClientHeight() { return RectHeight(ClientRect()); }
    virtual void SetClientWidth(int32_t v);
    virtual void SetClientHeight(int32_t v);
    TPoint ClientToScreen(TPoint p);
    TPoint ScreenToClient(TPoint p);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);

    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to the form is visible and showing.
    virtual bool Showing() const;
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);

    // Caption and Text are the same text.
    std::string Text();
    void SetText(const std::string& text);
    std::string Caption() { return Text(); }
    void SetCaption(const std::string& text) { SetText(text); }

    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* font);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool value);
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool value);
    bool ParentBackground() const { return m_parentBackground; }
    virtual void SetParentBackground(bool value);
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& hint) { m_hint = hint; }
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool v) { m_showHint = v; }
    bool AutoSize() const { return m_autoSize; }
    virtual void SetAutoSize(bool v);
    TBiDiMode BiDiMode() const { return m_biDiMode; }
    void SetBiDiMode(TBiDiMode v) { m_biDiMode = v; }
    TControlStyle ControlStyle() const { return m_controlStyle; }
    void SetControlStyle(TControlStyle s) { m_controlStyle = s; }
    TControlState ControlState() const { return m_controlState; }

    virtual void Invalidate();
    // Invalidates and paints at once.
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void Update();
    void BringToFront();
    void SendToBack();

    // Simulates a click: the click event (buttons also set the form's modal result).
    virtual void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

    // Called by the reader and by programs that forward swallowed clicks.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    // The control's handler, which WindowProc calls by default.
    virtual void WndProc(TMessage& message);
    // What is left when WndProc does not handle a message.
    virtual void DefaultHandler(TMessage& message);

protected:
    void Loaded() override;
    virtual void DblClick();
    virtual void Resize();
    virtual void Changed();
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged();
    virtual void VisibleChanging() {}
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    virtual void ParentColorChanged();
    virtual void ParentFontChanged();
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    // Adjusts width and height to the content when AutoSize is set.
    virtual void AdjustSize() {}
    // A graphic control's area of its parent needs painting.
    void InvalidateControl();
    // Text without a window: held here.
    std::string m_text;
    virtual std::string GetTextBuf();
    // True while the control is filled from its stored definition.
    bool IsLoading() const { return ComponentState().Contains(csLoading); }

    TWinControl* m_parent = nullptr;
    int32_t m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    TAlign m_align = alNone;
    bool m_visible = true;
    bool m_enabled = true;
    std::unique_ptr<TFont> m_font;
    TColor m_color = clWindow;
    bool m_parentColor = false;
    bool m_parentFont = true;
    bool m_parentBackground = false;
    TCursor m_cursor = crDefault;
    std::string m_hint;
    bool m_showHint = false;
    bool m_autoSize = false;
    TBiDiMode m_biDiMode = bdLeftToRight;
    TControlStyle m_controlStyle;
    TControlState m_controlState;
    bool m_applyingParent = false;

    friend class TWinControl;

private:
    void FontOnChange(TObject*);
    void HandleMouse(TMessage& m);
};

// ---------------------------------------------------------------------------

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSA WindowClass{};
    std::string WinClassName;
    // Set by CreateSubClass: the standard class whose procedure handles the rest.
    std::string BaseClassName;
};

class TWinControl : public TControl {
    DP_DECLARE_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, made (with the parents' windows) when first asked for.
    HWND Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    void HandleNeeded() { Handle(); }
    // Takes the window away; the state is kept and the window is made again on demand.
    void DestroyHandle();
    // Destroys and re-creates the window (after a style change); sends CM_RECREATEWND.
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* Controls(int index) const;
    bool ContainsControl(TControl* control) const;
    // The topmost visible child whose area holds the point (client coordinates).
    TControl* ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls = false);

    int32_t TabOrder() const;
    void SetTabOrder(int32_t order);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool v);
    // Windowed children in tab order, nested controls included.
    void GetTabOrderList(std::vector<TWinControl*>& list);
    // The next tab stop after current (forward) or before it.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent);
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    bool CanFocus() const;
    bool Focused();
    virtual void SetFocus();

    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    bool Showing() const override;
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    TRect ClientRect() override;
    void SetParentBackground(bool value) override;
    // Lays the aligned children out in the client area.
    void Realign();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // The brush that the window's background is painted with (its Color).
    HBRUSH BrushHandle();
    // Paints the windowless children onto dc (the client area), for painters that draw the
    // control themselves (skins).
    void PaintGraphicChildren(HDC dc) { PaintControls(dc, nullptr); }

protected:
    virtual void CreateParams(TCreateParams& params);
    // Uses a standard window class (BUTTON, EDIT...) under the control's own class name.
    void CreateSubClass(TCreateParams& params, const char* baseClass);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    // Called after the window exists: text, font and the state kept without a window go in.
    virtual void CreateHandleState() {}
    // Before the window goes: what must survive is copied out.
    virtual void DestroyWnd();
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect& rect) {}
    void AlignControl(TControl* control);
    virtual void PaintWindow(HDC dc);
    // Paints the graphic children onto dc (the window's client area).
    void PaintControls(HDC dc, TControl* first);
    void PaintHandler(TMessage& message);
    virtual void DoEnter();
    virtual void DoExit();
    virtual bool DoKeyDown(TMessage& message);
    virtual bool DoKeyPress(TMessage& message);
    virtual bool DoKeyUp(TMessage& message);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    void ColorChanged() override;
    void FontChanged() override;
    void TextChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void ShowControl(bool show);
    // Window text without going through messages (the window's, or the kept one).
    std::string GetTextBuf() override;
    void UpdateBounds();
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void NotifyChildren(UINT msg);
    // Reflects a parent notification to the child control it concerns.
    bool ReflectToChild(HWND child, TMessage& message);
    virtual void SetZOrder(bool topMost);

    void Loaded() override;
    HWND m_handle = nullptr;
    WNDPROC m_defWndProc = nullptr;
    int32_t m_loadedTabOrder = -1;        // TabOrder read from a definition, applied once all siblings exist
    std::vector<TControl*> m_controls;    // all children in paint (z) order
    std::vector<TWinControl*> m_tabList;  // windowed children in tab order
    bool m_tabStop = false;
    HBRUSH m_brush = nullptr;
    TColor m_brushColor = clNone;
    TControl* m_mouseControl = nullptr;    // graphic child under the mouse
    TControl* m_captureControl = nullptr;  // graphic child that took the mouse button
    bool m_aligning = false;
    std::string m_className;  // registered window class of this window

    friend class TControl;
    friend class TCustomForm;
    friend LRESULT CALLBACK DpControlWndProc(HWND, UINT, WPARAM, LPARAM);

private:
    void CreateHandle();
    void UpdateTabList();
};

// A windowed control that paints itself on a canvas (panels, group boxes, forms).
class TCustomControl : public TWinControl {
    DP_DECLARE_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return m_canvas.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    std::unique_ptr<TCanvas> m_canvas;
};

// A windowless control painted on its parent's canvas.
class TGraphicControl : public TControl {
    DP_DECLARE_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return m_canvas.get(); }
    void WndProc(TMessage& message) override;

protected:
    virtual void Paint() {}
    std::unique_ptr<TCanvas> m_canvas;
};

// The form that holds a control, or nullptr.
TCustomForm* GetParentForm(TControl* control);
// A sibling window above the control (or above one of its parents) hides it
// wholly, as the pages of a wizard stacked on each other hide all but the front one.
bool IsCovered(const TControl* control);
// The user can see and use the control: it and its parents are visible and
// enabled, and it is not covered. Keyboard navigation and dialog keys go only here.
bool IsReachable(const TControl* control);

// The caption without its "&" marks ("&&" stays one "&").
std::string StripHotkey(const std::string& caption);
// The upper-cased character after the caption's single "&", or 0.
char GetHotkey(const std::string& caption);
// The character is the caption's hotkey (compared without case).
bool IsAccel(WPARAM charCode, const std::string& caption);
// Any exception that leaves a message handler ends here (the application reports it).
void DpHandleException();
using TExceptionHandler = std::function<void()>;
// The application installs its reporter here.
void SetExceptionReporter(TExceptionHandler handler);
