#include "classlib/Controls.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include "classlib/Forms.h"

// ---------------------------------------------------------------------------
// Shift states, cursors, modal results

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s;
    if (keys & MK_SHIFT) s += ssShift;
    if (keys & MK_CONTROL) s += ssCtrl;
    if (keys & MK_LBUTTON) s += ssLeft;
    if (keys & MK_RBUTTON) s += ssRight;
    if (keys & MK_MBUTTON) s += ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s += ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) {
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0) s += ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s += ssCtrl;
    if (keyData & 0x20000000) s += ssAlt;
    return s;
}

const TTypeInfo* CursorTypeInfo() {
    static const TTypeInfo info = dp::MakeIdentInfo("TCursor", {{crDefault, "crDefault"},
                                                                {crNone, "crNone"},
                                                                {crArrow, "crArrow"},
                                                                {crCross, "crCross"},
                                                                {crIBeam, "crIBeam"},
                                                                {crSizeNESW, "crSizeNESW"},
                                                                {crSizeNS, "crSizeNS"},
                                                                {crSizeNWSE, "crSizeNWSE"},
                                                                {crSizeWE, "crSizeWE"},
                                                                {crUpArrow, "crUpArrow"},
                                                                {crHourGlass, "crHourGlass"},
                                                                {crNo, "crNo"},
                                                                {crAppStart, "crAppStart"},
                                                                {crHelp, "crHelp"},
                                                                {crHandPoint, "crHandPoint"},
                                                                {crSizeAll, "crSizeAll"}});
    return &info;
}

HCURSOR CursorHandle(TCursor cursor) {
    LPCSTR id = IDC_ARROW;
    switch (cursor) {
        case crNone: return nullptr;
        case crCross: id = IDC_CROSS; break;
        case crIBeam: id = IDC_IBEAM; break;
        case crSizeNESW: id = IDC_SIZENESW; break;
        case crSizeNS: id = IDC_SIZENS; break;
        case crSizeNWSE: id = IDC_SIZENWSE; break;
        case crSizeWE: id = IDC_SIZEWE; break;
        case crUpArrow: id = IDC_UPARROW; break;
        case crHourGlass: id = IDC_WAIT; break;
        case crNo: id = IDC_NO; break;
        case crAppStart: id = IDC_APPSTARTING; break;
        case crHelp: id = IDC_HELP; break;
        case crHandPoint: id = IDC_HAND; break;
        case crSizeAll: id = IDC_SIZEALL; break;
        default: break;
    }
    return LoadCursorA(nullptr, id);
}

const TTypeInfo* ModalResultTypeInfo() {
    static const TTypeInfo info = dp::MakeIdentInfo("TModalResult", {{mrNone, "mrNone"},
                                                                     {mrOk, "mrOk"},
                                                                     {mrCancel, "mrCancel"},
                                                                     {mrAbort, "mrAbort"},
                                                                     {mrRetry, "mrRetry"},
                                                                     {mrIgnore, "mrIgnore"},
                                                                     {mrYes, "mrYes"},
                                                                     {mrNo, "mrNo"},
                                                                     {mrAll, "mrAll"},
                                                                     {mrNoToAll, "mrNoToAll"},
                                                                     {mrYesToAll, "mrYesToAll"}});
    return &info;
}

// ---------------------------------------------------------------------------
// Exceptions inside message handlers

namespace {
TExceptionHandler& Reporter() {
    static TExceptionHandler handler;
    return handler;
}
}  // namespace

void SetExceptionReporter(TExceptionHandler handler) { Reporter() = std::move(handler); }

void DpHandleException() {
    // Never let an exception unwind through a window procedure of the system.
    try {
        if (Reporter()) {
            Reporter()();
            return;
        }
        throw;
    } catch (...) {
        OutputDebugStringA("unhandled exception in a message handler");
    }
}

// ---------------------------------------------------------------------------
// The control atom and window classes

std::string ControlAtomName() {
    char buf[64];
    std::snprintf(buf, sizeof buf, "ControlOfs%.8llX%.8lX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    return buf;
}

namespace {
LPCSTR AtomName() { return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ControlAtom())); }
}  // namespace

ATOM ControlAtom() {
    thread_local ATOM atom = 0;
    if (!atom) atom = GlobalAddAtomA(ControlAtomName().c_str());
    return atom;
}

TControl* FindControl(HWND wnd) {
    if (!wnd) return nullptr;
    DWORD pid = 0;
    if (GetWindowThreadProcessId(wnd, &pid) != GetCurrentThreadId()) return nullptr;
    return static_cast<TControl*>(GetPropA(wnd, AtomName()));
}

TWinControl* FindVCLWindow(HWND wnd) {
    while (wnd) {
        if (TControl* c = FindControl(wnd)) return static_cast<TWinControl*>(c);
        wnd = GetParent(wnd);
    }
    return nullptr;
}

namespace {
thread_local TWinControl* t_creating = nullptr;

struct ClassEntry {
    WNDPROC baseProc;
};
std::map<std::string, ClassEntry>& Classes() {
    static std::map<std::string, ClassEntry> classes;
    return classes;
}
}  // namespace

LRESULT CALLBACK DpControlWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<TWinControl*>(GetPropA(wnd, AtomName()));
    if (!control && t_creating) {
        control = t_creating;
        t_creating = nullptr;
        control->m_handle = wnd;
        SetPropA(wnd, AtomName(), control);
    }
    if (!control) {
        char name[128] = {};
        GetClassNameA(wnd, name, sizeof name);
        auto it = Classes().find(name);
        WNDPROC base = it != Classes().end() && it->second.baseProc ? it->second.baseProc : DefWindowProcA;
        return CallWindowProcA(base, wnd, msg, wParam, lParam);
    }
    TMessage m{msg, wParam, lParam, 0};
    try {
        if (control->WindowProc)
            control->WindowProc(m);
        else
            control->WndProc(m);
    } catch (...) {
        DpHandleException();
    }
    return m.Result;
}

namespace {
struct UtilWindow {
    TWndMethod method;
    bool ready = false;  // messages of the creation itself get the default
};

LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* w = reinterpret_cast<UtilWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
    if (!w || !w->method || !w->ready) return DefWindowProcA(wnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    try {
        w->method(m);
    } catch (...) {
        DpHandleException();
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        delete w;
    }
    return m.Result;
}
}  // namespace

HWND AllocateHWnd(TWndMethod method, const char* className) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, className, &wc)) {
        wc.lpfnWndProc = UtilWndProc;
        wc.hInstance = inst;
        wc.lpszClassName = className;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
    }
    auto* w = new UtilWindow{std::move(method)};
    HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, className, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst, w);
    if (!wnd)
        delete w;
    else
        w->ready = true;
    return wnd;
}

void DeallocateHWnd(HWND wnd) {
    if (wnd) DestroyWindow(wnd);
}

// ---------------------------------------------------------------------------
// TControl

DP_PUBLISHED(TControl){
    DP_PROP_INT(Left, Left, SetLeft),
    DP_PROP_INT(Top, Top, SetTop),
    DP_PROP_INT(Width, Width, SetWidth),
    DP_PROP_INT(Height, Height, SetHeight),
    DP_PROP_ENUM(Align, Align, SetAlign),
    DP_PROP_BOOL(Visible, Visible, SetVisible),
    DP_PROP_BOOL(Enabled, Enabled, SetEnabled),
    DP_PROP_STR(Caption, Caption, SetCaption),
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_OBJ(Font, Font, SetFont),
    DP_PROP_BOOL(ParentColor, ParentColor, SetParentColor),
    DP_PROP_BOOL(ParentFont, ParentFont, SetParentFont),
    DP_PROP_IDENTS(Cursor, CursorTypeInfo(), Cursor, SetCursor),
    DP_PROP_STR(Hint, Hint, SetHint),
    DP_PROP_BOOL(ShowHint, ShowHint, SetShowHint),
    DP_PROP_ENUM(BiDiMode, BiDiMode, SetBiDiMode),
    DP_PROP_FIELD(OnClick, OnClick),
    DP_PROP_FIELD(OnDblClick, OnDblClick),
    DP_PROP_FIELD(OnMouseDown, OnMouseDown),
    DP_PROP_FIELD(OnMouseUp, OnMouseUp),
    DP_PROP_FIELD(OnMouseMove, OnMouseMove),
    DP_PROP_FIELD(OnMouseEnter, OnMouseEnter),
    DP_PROP_FIELD(OnMouseLeave, OnMouseLeave),
    DP_PROP_FIELD(OnResize, OnResize),
};

TControl::TControl(TComponent* owner) : TComponent(owner), m_font(std::make_unique<TFont>()) {
    WindowProc = [this](TMessage& m) { WndProc(m); };
    m_font->OnChange = TNotifyEvent(this, &TControl::FontOnChange);
    m_controlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
}

TControl::~TControl() {
    // Owned helpers (skins hooking WindowProc) let go while the control is whole.
    Destroying();
    DestroyComponents();
    if (m_parent) m_parent->RemoveControl(this);
    m_parent = nullptr;
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
    TMessage m{msg, wParam, lParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == m_parent) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (m_parent) m_parent->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const { return m_parent; }

void TControl::SetParentComponent(TComponent* parent) {
    if (auto* p = DynamicAs<TWinControl>(parent)) SetParent(p);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (m_parent) {
        if (m_parentColor) {
            m_applyingParent = true;
            m_color = m_parent->Color();
            m_applyingParent = false;
        }
        if (m_parentFont) ParentFontChanged();
        if (m_align != alNone) m_parent->Realign();
    }
    AdjustSize();
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    const bool resized = width != m_width || height != m_height;
    InvalidateControl();
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    InvalidateControl();
    if (m_parent && m_align != alNone && !m_parent->m_aligning) m_parent->Realign();
    if (resized && !IsLoading()) Resize();
}

TRect TControl::ClientRect() { return Rect(0, 0, m_width, m_height); }

void TControl::SetClientWidth(int32_t v) { SetWidth(v); }
void TControl::SetClientHeight(int32_t v) { SetHeight(v); }

TPoint TControl::ClientToScreen(TPoint p) {
    if (auto* w = DynamicAs<TWinControl>(this)) {
        ::ClientToScreen(w->Handle(), &p);
        return p;
    }
    if (!m_parent) return p;
    return m_parent->ClientToScreen(Point(p.x + m_left, p.y + m_top));
}

TPoint TControl::ScreenToClient(TPoint p) {
    if (auto* w = DynamicAs<TWinControl>(this)) {
        ::ScreenToClient(w->Handle(), &p);
        return p;
    }
    if (!m_parent) return p;
    TPoint q = m_parent->ScreenToClient(p);
    return Point(q.x - m_left, q.y - m_top);
}

void TControl::SetAlign(TAlign align) {
    if (align == m_align) return;
    m_align = align;
    if (m_parent && !IsLoading()) m_parent->Realign();
}

bool TControl::Showing() const { return m_visible && m_parent && m_parent->Showing(); }

void TControl::SetVisible(bool value) {
    if (value == m_visible) return;
    VisibleChanging();
    m_visible = value;
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    if (m_parent && m_align != alNone && !IsLoading()) m_parent->Realign();
}

void TControl::SetEnabled(bool value) {
    if (value == m_enabled) return;
    m_enabled = value;
    Perform(CM_ENABLEDCHANGED);
}

std::string TControl::GetTextBuf() { return m_text; }

std::string TControl::Text() { return GetTextBuf(); }

void TControl::SetText(const std::string& text) {
    if (GetTextBuf() == text) return;
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Perform(CM_TEXTCHANGED);
}

void TControl::SetFont(TFont* font) {
    if (font && font != m_font.get()) m_font->Assign(font);
}

void TControl::FontOnChange(TObject*) {
    if (!m_applyingParent) m_parentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetColor(TColor color) {
    if (color == m_color) {
        if (!m_applyingParent) m_parentColor = false;
        return;
    }
    m_color = color;
    if (!m_applyingParent) m_parentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
    if (value == m_parentColor) return;
    m_parentColor = value;
    if (value && m_parent && !IsLoading()) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool value) {
    if (value == m_parentFont) return;
    m_parentFont = value;
    if (value && m_parent && !IsLoading()) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetParentBackground(bool value) {
    if (value == m_parentBackground) return;
    m_parentBackground = value;
    Invalidate();
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == m_cursor) return;
    m_cursor = cursor;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetAutoSize(bool v) {
    if (v == m_autoSize) return;
    m_autoSize = v;
    if (v) AdjustSize();
}

void TControl::InvalidateControl() {
    if (!m_parent || !m_parent->HandleAllocated() || DynamicAs<TWinControl>(this)) return;
    RECT r = BoundsRect();
    InvalidateRect(m_parent->m_handle, &r, TRUE);
}

void TControl::Invalidate() { InvalidateControl(); }

void TControl::Repaint() {
    if (!m_parent || !m_parent->HandleAllocated()) return;
    InvalidateControl();
    UpdateWindow(m_parent->m_handle);
}

void TControl::Update() {
    if (m_parent) m_parent->Update();
}

void TControl::BringToFront() {
    if (m_parent) m_parent->m_controls.erase(std::find(m_parent->m_controls.begin(), m_parent->m_controls.end(), this));
    if (m_parent) m_parent->m_controls.push_back(this);
    if (auto* w = DynamicAs<TWinControl>(this))
        w->SetZOrder(true);
    else
        InvalidateControl();
}

void TControl::SendToBack() {
    if (m_parent) {
        auto& v = m_parent->m_controls;
        v.erase(std::find(v.begin(), v.end(), this));
        v.insert(v.begin(), this);
    }
    if (auto* w = DynamicAs<TWinControl>(this))
        w->SetZOrder(false);
    else
        InvalidateControl();
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::Resize() { OnResize(this); }
void TControl::Changed() {}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) { OnMouseUp(this, button, shift, x, y); }
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
void TControl::DoMouseEnter() { OnMouseEnter(this); }
void TControl::DoMouseLeave() { OnMouseLeave(this); }

void TControl::FontChanged() {
    Invalidate();
    AdjustSize();
}
void TControl::ColorChanged() { Invalidate(); }
void TControl::TextChanged() {
    Invalidate();
    AdjustSize();
}
void TControl::EnabledChanged() { Invalidate(); }
void TControl::VisibleChanged() {
    if (m_parent && m_parent->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(m_parent->m_handle, &r, TRUE);
    }
}

void TControl::ParentColorChanged() {
    if (!m_parentColor || !m_parent) return;
    m_applyingParent = true;
    SetColor(m_parent->Color());
    m_applyingParent = false;
}

void TControl::ParentFontChanged() {
    if (!m_parentFont || !m_parent) return;
    m_applyingParent = true;
    m_font->Assign(m_parent->Font());
    m_applyingParent = false;
}

void TControl::HandleMouse(TMessage& m) {
    const int x = static_cast<short>(LOWORD(m.LParam));
    const int y = static_cast<short>(HIWORD(m.LParam));
    TShiftState shift = KeysToShiftState(m.WParam);
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (m_controlStyle.Contains(csClickEvents)) m_controlState += csClicked;
            m_controlState += csLButtonDown;
            if (m.Msg == WM_LBUTTONDBLCLK) {
                shift += ssDouble;
                if (m_controlStyle.Contains(csDoubleClicks)) DblClick();
            }
            MouseDown(mbLeft, shift, x, y);
            break;
        case WM_LBUTTONUP: {
            m_controlState -= csLButtonDown;
            if (m_controlState.Contains(csClicked)) {
                m_controlState -= csClicked;
                RECT r = ClientRect();
                POINT p{x, y};
                if (PtInRect(&r, p)) Click();
            }
            MouseUp(mbLeft, shift, x, y);
            break;
        }
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift, x, y); break;
        case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift, x, y); break;
        case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
        case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    }
}

void TControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP:
        case WM_MOUSEMOVE:
            // Windows see their own mouse messages first (the standard control
            // presses its button), then the events run.
            DefaultHandler(m);
            if (!ComponentState().Contains(csDestroying)) HandleMouse(m);
            return;
        case CM_VISIBLECHANGED: VisibleChanged(); return;
        case CM_ENABLEDCHANGED: EnabledChanged(); return;
        case CM_COLORCHANGED: ColorChanged(); return;
        case CM_FONTCHANGED: FontChanged(); return;
        case CM_TEXTCHANGED: TextChanged(); return;
        case CM_PARENTCOLORCHANGED: ParentColorChanged(); return;
        case CM_PARENTFONTCHANGED: ParentFontChanged(); return;
        case CM_MOUSEENTER: DoMouseEnter(); return;
        case CM_MOUSELEAVE: DoMouseLeave(); return;
        default: break;
    }
    DefaultHandler(m);
}

void TControl::DefaultHandler(TMessage& m) {
    switch (m.Msg) {
        case WM_SETTEXT:
            m_text = m.LParam ? reinterpret_cast<const char*>(m.LParam) : "";
            m.Result = TRUE;
            break;
        case WM_GETTEXTLENGTH: m.Result = static_cast<LRESULT>(m_text.size()); break;
        case WM_GETTEXT: {
            if (m.WParam == 0 || !m.LParam) break;
            size_t n = std::min<size_t>(m_text.size(), m.WParam - 1);
            std::memcpy(reinterpret_cast<char*>(m.LParam), m_text.data(), n);
            reinterpret_cast<char*>(m.LParam)[n] = 0;
            m.Result = static_cast<LRESULT>(n);
            break;
        }
        default: break;
    }
}

// ---------------------------------------------------------------------------
// TWinControl

DP_PUBLISHED(TWinControl){
    DP_PROP_INT(TabOrder, TabOrder, SetTabOrder),
    DP_PROP_BOOL(TabStop, TabStop, SetTabStop),
    DP_PROP_BOOL(ParentBackground, ParentBackground, SetParentBackground),
    DP_PROP_FIELD(OnEnter, OnEnter),
    DP_PROP_FIELD(OnExit, OnExit),
    DP_PROP_FIELD(OnKeyDown, OnKeyDown),
    DP_PROP_FIELD(OnKeyUp, OnKeyUp),
    DP_PROP_FIELD(OnKeyPress, OnKeyPress),
};

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
    m_controlStyle -= csClickEvents;
    m_controlStyle -= csCaptureMouse;
}

TWinControl::~TWinControl() {
    Destroying();
    DestroyComponents();
    // Children that nobody else owns go with their parent.
    while (!m_controls.empty()) {
        TControl* c = m_controls.back();
        RemoveControl(c);
        delete c;
    }
    if (TCustomForm* form = GetParentForm(this)) form->ControlRemoved(this);
    if (m_handle) {
        HWND h = m_handle;
        DestroyWindow(h);
        if (m_handle) {
            RemovePropA(h, AtomName());
            m_handle = nullptr;
        }
    }
    if (m_parent) m_parent->RemoveControl(this);
    m_parent = nullptr;
    if (m_brush) DeleteObject(m_brush);
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount()) throw EListError(Format(SListIndexError, index));
    return m_controls[index];
}

bool TWinControl::ContainsControl(TControl* control) const {
    for (TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* control) {
    control->m_parent = this;
    // Windowed children stay above graphic ones in paint order.
    if (auto* w = DynamicAs<TWinControl>(control)) {
        m_controls.push_back(control);
        m_tabList.push_back(w);
    } else {
        auto it = std::find_if(m_controls.begin(), m_controls.end(), [](TControl* c) { return c->Is<TWinControl>(); });
        m_controls.insert(it, control);
    }
    if (!control->IsLoading()) {
        if (control->m_parentColor) control->Perform(CM_PARENTCOLORCHANGED);
        if (control->m_parentFont) control->Perform(CM_PARENTFONTCHANGED);
        if (auto* w = DynamicAs<TWinControl>(control)) {
            if (m_handle) {
                if (w->m_handle)
                    ::SetParent(w->m_handle, m_handle);
                else
                    w->HandleNeeded();
            }
        } else {
            control->InvalidateControl();
        }
        if (control->m_align != alNone) Realign();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    if (control->m_parent != this) return;
    if (TCustomForm* form = GetParentForm(this)) form->ControlRemoved(control);
    control->InvalidateControl();
    if (m_mouseControl == control) m_mouseControl = nullptr;
    if (m_captureControl == control) {
        m_captureControl = nullptr;
        if (m_handle && GetCapture() == m_handle) ReleaseCapture();
    }
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    if (auto* w = DynamicAs<TWinControl>(control)) {
        m_tabList.erase(std::remove(m_tabList.begin(), m_tabList.end(), w), m_tabList.end());
        if (w->m_handle && !ComponentState().Contains(csDestroying) &&
            !control->ComponentState().Contains(csDestroying))
            w->DestroyHandle();
    }
    control->m_parent = nullptr;
    if (control->m_align != alNone && !ComponentState().Contains(csDestroying)) Realign();
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) {
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        TControl* c = *it;
        if (!allowWinControls && c->Is<TWinControl>()) continue;
        if (!c->m_visible || (!allowDisabled && !c->m_enabled)) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}

HWND TWinControl::Handle() {
    if (!m_handle) CreateHandle();
    return m_handle;
}

void TWinControl::CreateHandle() {
    if (m_handle) return;
    // The parent's window first: making it makes this one too, as one of its children,
    // and a second window must never replace that one.
    if (m_parent) m_parent->HandleNeeded();
    if (m_handle) return;
    CreateWnd();
    if (!m_handle) return;
    CreateHandleState();
    SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(m_font->Handle()), 0);
    if (!m_enabled) EnableWindow(m_handle, FALSE);
    // Children join in tab order, which is also their window order.
    std::vector<TWinControl*> kids = m_tabList;
    for (TWinControl* w : kids)
        if (!w->m_handle) w->CreateHandle();
    for (TControl* c : m_controls)
        if (auto* w = DynamicAs<TWinControl>(c))
            if (w->m_handle) SetWindowPos(w->m_handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Realign();
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = m_text;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (m_controlStyle.Contains(csAcceptsControls)) p.Style |= WS_CLIPCHILDREN;
    if (m_visible) p.Style |= WS_VISIBLE;
    if (m_tabStop) p.Style |= WS_TABSTOP;
    p.X = m_left;
    p.Y = m_top;
    p.Width = m_width;
    p.Height = m_height;
    if (m_parent) p.WndParent = m_parent->Handle();
    p.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    p.WindowClass.lpfnWndProc = DefWindowProcA;
    p.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    p.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& p, const char* baseClass) {
    WNDCLASSA wc{};
    if (GetClassInfoA(nullptr, baseClass, &wc)) {
        p.WindowClass.style = wc.style & ~CS_GLOBALCLASS;
        p.WindowClass.cbClsExtra = wc.cbClsExtra;
        p.WindowClass.cbWndExtra = wc.cbWndExtra;
        p.WindowClass.hCursor = wc.hCursor;
        p.WindowClass.hbrBackground = wc.hbrBackground;
        p.WindowClass.lpfnWndProc = wc.lpfnWndProc;
        p.BaseClassName = baseClass;
    }
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if (!p.WndParent && (p.Style & WS_CHILD)) throw EInvalidOperation(Format(SParentRequired, Name().c_str()));
    HINSTANCE inst = GetModuleHandleA(nullptr);
    auto it = Classes().find(p.WinClassName);
    if (it == Classes().end()) {
        WNDCLASSA wc = p.WindowClass;
        WNDPROC base = wc.lpfnWndProc ? wc.lpfnWndProc : DefWindowProcA;
        wc.lpfnWndProc = DpControlWndProc;
        wc.hInstance = inst;
        wc.lpszClassName = p.WinClassName.c_str();
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw EOutOfResources(SWindowCreateError);
        it = Classes().emplace(p.WinClassName, ClassEntry{base}).first;
    }
    m_defWndProc = it->second.baseProc;
    m_className = p.WinClassName;
    CreateWindowHandle(p);
    if (!m_handle) throw EOutOfResources(SWindowCreateError);
    UpdateBounds();
}

void TWinControl::CreateWindowHandle(const TCreateParams& p) {
    t_creating = this;
    HWND h = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                             p.WndParent, nullptr, GetModuleHandleA(nullptr), p.Param);
    t_creating = nullptr;
    if (!h) m_handle = nullptr;
}

void TWinControl::DestroyWnd() {
    m_text = GetTextBuf();
    HWND h = m_handle;
    DestroyWindow(h);
    if (m_handle) {
        RemovePropA(h, AtomName());
        m_handle = nullptr;
    }
}

void TWinControl::DestroyHandle() {
    if (!m_handle) return;
    m_controlState += csDestroyingHandle;
    for (TWinControl* w : m_tabList) w->DestroyHandle();
    DestroyWnd();
    m_controlState -= csDestroyingHandle;
}

void TWinControl::RecreateWnd() {
    if (m_handle) Perform(CM_RECREATEWND);
}

std::string TWinControl::GetTextBuf() {
    if (!m_handle) return m_text;
    int n = GetWindowTextLengthA(m_handle);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(m_handle, s.data(), n + 1);
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return s;
}

void TWinControl::UpdateBounds() {
    if (!m_handle) return;
    RECT r;
    GetWindowRect(m_handle, &r);
    if (GetWindowLongA(m_handle, GWL_STYLE) & WS_CHILD) {
        HWND parent = GetParent(m_handle);
        if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    m_left = r.left;
    m_top = r.top;
    m_width = r.right - r.left;
    m_height = r.bottom - r.top;
}

void TWinControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    if (m_handle) {
        SetWindowPos(m_handle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        // WM_WINDOWPOSCHANGED has taken the real values over
    } else {
        const bool resized = width != m_width || height != m_height;
        m_left = left;
        m_top = top;
        m_width = width;
        m_height = height;
        if (resized && !IsLoading()) Realign();
    }
    if (m_parent && m_align != alNone && !m_parent->m_aligning) m_parent->Realign();
}

TRect TWinControl::ClientRect() {
    if (m_handle) {
        RECT r;
        GetClientRect(m_handle, &r);
        return r;
    }
    return TControl::ClientRect();
}

void TWinControl::SetParentBackground(bool value) {
    if (value == m_parentBackground) return;
    m_parentBackground = value;
    if (value)
        m_controlStyle += csParentBackground;
    else
        m_controlStyle -= csParentBackground;
    Invalidate();
}

bool TWinControl::Showing() const {
    if (!m_handle) return false;
    return IsWindowVisible(m_handle) != FALSE;
}

void TWinControl::Invalidate() {
    if (m_handle) InvalidateRect(m_handle, nullptr, TRUE);
}

void TWinControl::Update() {
    if (m_handle) UpdateWindow(m_handle);
}

void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::SetZOrder(bool topMost) {
    if (m_handle)
        SetWindowPos(m_handle, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int32_t TWinControl::TabOrder() const {
    if (!m_parent) return -1;
    auto& t = m_parent->m_tabList;
    auto it = std::find(t.begin(), t.end(), this);
    return it == t.end() ? -1 : static_cast<int32_t>(it - t.begin());
}

void TWinControl::Loaded() {
    TControl::Loaded();
    if (m_loadedTabOrder >= 0) {
        const int32_t order = m_loadedTabOrder;
        m_loadedTabOrder = -1;
        SetTabOrder(order);
    }
}

void TWinControl::SetTabOrder(int32_t order) {
    if (IsLoading()) {
        m_loadedTabOrder = order;
        return;
    }
    if (!m_parent) return;
    auto& t = m_parent->m_tabList;
    auto it = std::find(t.begin(), t.end(), this);
    if (it == t.end()) return;
    t.erase(it);
    if (order < 0 || order > static_cast<int32_t>(t.size())) order = static_cast<int32_t>(t.size());
    t.insert(t.begin() + order, this);
}

void TWinControl::SetTabStop(bool v) {
    if (v == m_tabStop) return;
    m_tabStop = v;
    if (m_handle) {
        LONG s = GetWindowLongA(m_handle, GWL_STYLE);
        SetWindowLongA(m_handle, GWL_STYLE, v ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
    }
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
    for (TWinControl* w : m_tabList) {
        list.push_back(w);
        w->GetTabOrderList(list);
    }
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->m_visible || !c->m_enabled) return false;
    return true;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    int start = -1;
    for (int i = 0; i < n; ++i)
        if (list[i] == current) start = i;
    if (start < 0) start = goForward ? n - 1 : 0;
    int i = start;
    for (int k = 0; k < n; ++k) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* w = list[i];
        if (w == current) continue;
        // Tab never lands on a control the user cannot see, such as one on a covered page.
        if ((!checkTabStop || w->m_tabStop) && (!checkParent || w->m_parent == this) && w->CanFocus() && !IsCovered(w))
            return w;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* w = FindNextControl(current, goForward, checkTabStop, false)) w->SetFocus();
}

bool TWinControl::Focused() { return m_handle && GetFocus() == m_handle; }

void TWinControl::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation(SCannotFocus);
    ::SetFocus(Handle());
}

HBRUSH TWinControl::BrushHandle() {
    if (!m_brush || m_brushColor != m_color) {
        if (m_brush) DeleteObject(m_brush);
        m_brush = CreateSolidBrush(ColorToRGB(m_color));
        m_brushColor = m_color;
    }
    return m_brush;
}

void TWinControl::NotifyChildren(UINT msg) {
    std::vector<TControl*> kids = m_controls;
    for (TControl* c : kids) c->Perform(msg);
}

void TWinControl::ColorChanged() {
    Invalidate();
    NotifyChildren(CM_PARENTCOLORCHANGED);
}

void TWinControl::FontChanged() {
    if (m_handle) {
        SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(m_font->Handle()), TRUE);
        Invalidate();
    }
    NotifyChildren(CM_PARENTFONTCHANGED);
    AdjustSize();
}

void TWinControl::TextChanged() {}

void TWinControl::EnabledChanged() {
    if (m_handle) EnableWindow(m_handle, m_enabled);
}

void TWinControl::ShowControl(bool show) {
    if (!m_handle) {
        if (show && m_parent && m_parent->m_handle) CreateHandle();
        return;
    }
    SetWindowPos(m_handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::VisibleChanged() { ShowControl(m_visible); }

void TWinControl::Realign() {
    if (m_aligning || IsLoading() || ComponentState().Contains(csDestroying)) return;
    TRect r = ClientRect();
    AdjustClientRect(r);
    AlignControls(nullptr, r);
}

void TWinControl::AlignControl(TControl* control) { Realign(); }

void TWinControl::AlignControls(TControl*, TRect& rect) {
    m_aligning = true;
    try {
        for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
            std::vector<TControl*> list;
            for (TControl* c : m_controls)
                if (c->m_align == a && c->m_visible) list.push_back(c);
            std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
                switch (a) {
                    case alTop: return x->m_top < y->m_top;
                    case alBottom: return x->m_top + x->m_height > y->m_top + y->m_height;
                    case alLeft: return x->m_left < y->m_left;
                    case alRight: return x->m_left + x->m_width > y->m_left + y->m_width;
                    default: return false;
                }
            });
            for (TControl* c : list) {
                const int w = RectWidth(rect), h = RectHeight(rect);
                switch (a) {
                    case alTop:
                        c->SetBounds(rect.left, rect.top, w, c->m_height);
                        rect.top += c->m_height;
                        break;
                    case alBottom:
                        c->SetBounds(rect.left, rect.bottom - c->m_height, w, c->m_height);
                        rect.bottom -= c->m_height;
                        break;
                    case alLeft:
                        c->SetBounds(rect.left, rect.top, c->m_width, h);
                        rect.left += c->m_width;
                        break;
                    case alRight:
                        c->SetBounds(rect.right - c->m_width, rect.top, c->m_width, h);
                        rect.right -= c->m_width;
                        break;
                    case alClient: c->SetBounds(rect.left, rect.top, w, h); break;
                    default: break;
                }
            }
        }
    } catch (...) {
        m_aligning = false;
        throw;
    }
    m_aligning = false;
}

void TWinControl::PaintWindow(HDC dc) {
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    std::vector<TControl*> list = m_controls;
    for (TControl* c : list) {
        if (c->Is<TWinControl>() || !c->m_visible) continue;
        RECT r = c->BoundsRect(), clip;
        if (GetClipBox(dc, &clip) != NULLREGION && !IntersectRect(&clip, &clip, &r)) continue;
        const int saved = SaveDC(dc);
        POINT old;
        OffsetViewportOrgEx(dc, c->m_left, c->m_top, &old);
        IntersectClipRect(dc, 0, 0, c->m_width, c->m_height);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        RestoreDC(dc, saved);
    }
}

void TWinControl::PaintHandler(TMessage& m) {
    PAINTSTRUCT ps;
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!dc) dc = BeginPaint(m_handle, &ps);
    try {
        PaintWindow(dc);
        PaintControls(dc, nullptr);
    } catch (...) {
        if (!m.WParam) EndPaint(m_handle, &ps);
        throw;
    }
    if (!m.WParam) EndPaint(m_handle, &ps);
}

void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char& key) { OnKeyPress(this, key); }

bool TWinControl::DoKeyDown(TMessage& m) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(m)) return true;
    uint16_t key = static_cast<uint16_t>(m.WParam);
    KeyDown(key, KeyDataToShiftState(m.LParam));
    if (key == 0) return true;
    m.WParam = key;
    return false;
}

bool TWinControl::DoKeyUp(TMessage& m) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(m)) return true;
    uint16_t key = static_cast<uint16_t>(m.WParam);
    KeyUp(key, KeyDataToShiftState(m.LParam));
    if (key == 0) return true;
    m.WParam = key;
    return false;
}

bool TWinControl::DoKeyPress(TMessage& m) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(m)) return true;
    char ch = static_cast<char>(m.WParam);
    KeyPress(ch);
    if (ch == 0) return true;
    m.WParam = static_cast<unsigned char>(ch);
    return false;
}

bool TWinControl::ReflectToChild(HWND child, TMessage& m) {
    if (!child || child == m_handle) return false;
    TControl* c = FindControl(child);
    if (!c) return false;
    m.Result = c->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

void TWinControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            // A control goes with its form, never on a close of its own: a multi-line edit
            // sends its parent one for Escape, and the default would destroy the parent.
            if (m_handle && (GetWindowLongPtrA(m_handle, GWL_STYLE) & WS_CHILD)) return;
            break;
        case WM_COMMAND:
            if (m.LParam && ReflectToChild(reinterpret_cast<HWND>(m.LParam), m)) return;
            break;
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
            if (hdr && ReflectToChild(hdr->hwndFrom, m)) return;
            break;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (m.LParam && ReflectToChild(reinterpret_cast<HWND>(m.LParam), m)) return;
            break;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORSCROLLBAR:
            if (ReflectToChild(reinterpret_cast<HWND>(m.LParam), m)) return;
            break;
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
            // A control's item names its window; a menu's names its menu. The type is not
            // trusted: Wine's status bar leaves it unset.
            if (di && IsWindow(di->hwndItem) && ReflectToChild(di->hwndItem, m)) return;
            break;
        }
        case WM_MEASUREITEM: {
            auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
            if (mi && mi->CtlType != ODT_MENU && mi->CtlID) {
                HWND child = GetDlgItem(m_handle, static_cast<int>(mi->CtlID));
                if (child && ReflectToChild(child, m)) return;
            }
            break;
        }
        case CN_CTLCOLORBTN:
        case CN_CTLCOLOREDIT:
        case CN_CTLCOLORLISTBOX:
        case CN_CTLCOLORSTATIC:
        case CN_BASE + WM_CTLCOLORSCROLLBAR: {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            SetTextColor(dc, ColorToRGB(m_font->Color()));
            SetBkColor(dc, ColorToRGB(m_color));
            m.Result = reinterpret_cast<LRESULT>(BrushHandle());
            return;
        }
        case WM_PAINT:
            if (m_defWndProc == DefWindowProcA) {
                PaintHandler(m);
                return;
            }
            break;
        case WM_PRINTCLIENT:
            if (m_defWndProc == DefWindowProcA) {
                HDC dc = reinterpret_cast<HDC>(m.WParam);
                if (m.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, m.WParam, 0);
                TMessage p{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
                PaintHandler(p);
                if (m.LParam & PRF_CHILDREN) {
                    for (TControl* c : m_controls) {
                        auto* w = DynamicAs<TWinControl>(c);
                        if (!w || !w->m_handle || !IsWindowVisible(w->m_handle)) continue;
                        const int saved = SaveDC(dc);
                        POINT old;
                        OffsetViewportOrgEx(dc, w->m_left, w->m_top, &old);
                        IntersectClipRect(dc, 0, 0, w->m_width, w->m_height);
                        SendMessageA(w->m_handle, WM_PRINT, m.WParam,
                                     PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
                        RestoreDC(dc, saved);
                    }
                }
                return;
            }
            break;
        case WM_ERASEBKGND:
            if (m_defWndProc == DefWindowProcA) {
                RECT r;
                GetClientRect(m_handle, &r);
                FillRect(reinterpret_cast<HDC>(m.WParam), &r, BrushHandle());
                m.Result = 1;
                return;
            }
            break;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(m.WParam) == m_handle && LOWORD(m.LParam) == HTCLIENT) {
                TCursor cursor = Screen ? Screen->Cursor() : crDefault;
                if (cursor == crDefault) {
                    POINT p;
                    GetCursorPos(&p);
                    ::ScreenToClient(m_handle, &p);
                    TControl* c = ControlAtPos(p, false);
                    cursor = c ? c->m_cursor : m_cursor;
                }
                if (cursor != crDefault) {
                    ::SetCursor(CursorHandle(cursor));
                    m.Result = 1;
                    return;
                }
            }
            break;
        case WM_SETFOCUS:
            if (TCustomForm* form = GetParentForm(this))
                if (form != this) form->FocusControlChanged(this);
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (DoKeyDown(m)) return;
            break;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (DoKeyUp(m)) return;
            break;
        case WM_CHAR:
            if (DoKeyPress(m)) return;
            break;
        case WM_SIZE:
            DefaultHandler(m);
            if (!IsLoading()) {
                Realign();
                Resize();
            }
            return;
        case WM_WINDOWPOSCHANGED:
            DefaultHandler(m);
            UpdateBounds();
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP:
        case WM_MOUSEMOVE: {
            // Graphic children get the mouse messages over their area.
            POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
            TControl* target = m_captureControl ? m_captureControl : ControlAtPos(p, false);
            if (m.Msg == WM_MOUSEMOVE) {
                if (!m_controlState.Contains(csMouseInside)) {
                    m_controlState += csMouseInside;
                    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, m_handle, 0};
                    TrackMouseEvent(&t);
                    Perform(CM_MOUSEENTER);
                }
                TControl* hover = ControlAtPos(p, false);
                if (hover != m_mouseControl) {
                    TControl* old = m_mouseControl;
                    m_mouseControl = hover;
                    if (old) old->Perform(CM_MOUSELEAVE);
                    if (hover) hover->Perform(CM_MOUSEENTER);
                }
            }
            if (target) {
                if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_RBUTTONDOWN || m.Msg == WM_MBUTTONDOWN ||
                    m.Msg == WM_LBUTTONDBLCLK) {
                    m_captureControl = target;
                    SetCapture(m_handle);
                }
                TControl* t = target;
                if (m.Msg == WM_LBUTTONUP || m.Msg == WM_RBUTTONUP || m.Msg == WM_MBUTTONUP) {
                    m_captureControl = nullptr;
                    if (GetCapture() == m_handle) ReleaseCapture();
                }
                m.Result = t->Perform(m.Msg, m.WParam, MAKELPARAM(p.x - t->m_left, p.y - t->m_top));
                return;
            }
            break;
        }
        case WM_MOUSELEAVE:
            m_controlState -= csMouseInside;
            if (m_mouseControl) {
                TControl* old = m_mouseControl;
                m_mouseControl = nullptr;
                old->Perform(CM_MOUSELEAVE);
            }
            Perform(CM_MOUSELEAVE);
            return;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(m.LParam) != m_handle) m_captureControl = nullptr;
            break;
        case CM_ENTER: DoEnter(); return;
        case CM_EXIT: DoExit(); return;
        case CM_RECREATEWND: {
            bool hadFocus = Focused();
            DestroyHandle();
            if (m_parent == nullptr || m_parent->m_handle) CreateHandle();
            if (hadFocus && m_handle) ::SetFocus(m_handle);
            return;
        }
        case WM_NCDESTROY: {
            DefaultHandler(m);
            HWND h = m_handle;
            if (h) RemovePropA(h, AtomName());
            m_handle = nullptr;
            return;
        }
        default: break;
    }
    TControl::WndProc(m);
}

void TWinControl::DefaultHandler(TMessage& m) {
    if (!m_handle) {
        TControl::DefaultHandler(m);
        return;
    }
    m.Result = CallWindowProcA(m_defWndProc ? m_defWndProc : DefWindowProcA, m_handle, m.Msg, m.WParam, m.LParam);
}

// ---------------------------------------------------------------------------

DP_PUBLISHED(TCustomControl){};

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), m_canvas(std::make_unique<TCanvas>()) {}
TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
    m_canvas->Lock();
    m_canvas->SetHandle(dc);
    try {
        m_canvas->Font()->Assign(m_font.get());
        m_canvas->Brush()->SetColor(m_color);
        Paint();
    } catch (...) {
        m_canvas->SetHandle(nullptr);
        m_canvas->Unlock();
        throw;
    }
    m_canvas->SetHandle(nullptr);
    m_canvas->Unlock();
}

DP_PUBLISHED(TGraphicControl){};

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), m_canvas(std::make_unique<TCanvas>()) {}
TGraphicControl::~TGraphicControl() {
    // Hooks on windowless controls learn of the end here.
    Perform(CM_RELEASE);
}

void TGraphicControl::WndProc(TMessage& m) {
    if (m.Msg == WM_PAINT && m.WParam) {
        m_canvas->Lock();
        m_canvas->SetHandle(reinterpret_cast<HDC>(m.WParam));
        try {
            m_canvas->Font()->Assign(m_font.get());
            m_canvas->Brush()->SetColor(m_color);
            Paint();
        } catch (...) {
            m_canvas->SetHandle(nullptr);
            m_canvas->Unlock();
            throw;
        }
        m_canvas->SetHandle(nullptr);
        m_canvas->Unlock();
        return;
    }
    TControl::WndProc(m);
}

TCustomForm* GetParentForm(TControl* control) {
    while (control && control->Parent()) control = control->Parent();
    return DynamicAs<TCustomForm>(control);
}

namespace {
bool RectHolds(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// One of the windows from `first` on (walking `next`) is shown and holds r.
bool AnyHolds(HWND first, UINT next, const RECT& r) {
    for (HWND s = first; s; s = GetWindow(s, next)) {
        RECT sr;
        if ((GetWindowLongPtrA(s, GWL_STYLE) & WS_VISIBLE) && GetWindowRect(s, &sr) && RectHolds(sr, r)) return true;
    }
    return false;
}
}  // namespace

bool IsCovered(const TControl* control) {
    TWinControl* parent = control->Parent();
    RECT r;
    HWND wnd = nullptr;
    if (auto* w = DynamicAs<TWinControl>(const_cast<TControl*>(control))) {
        if (!w->HandleAllocated()) return false;
        wnd = w->Handle();
        GetWindowRect(wnd, &r);
    } else {
        // A graphic control lies under every child window of its parent.
        if (!parent || !parent->HandleAllocated()) return false;
        r = control->BoundsRect();
        MapWindowPoints(parent->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        if (IsRectEmpty(&r)) return false;
        if (AnyHolds(GetWindow(parent->Handle(), GW_CHILD), GW_HWNDNEXT, r)) return true;
        wnd = parent->Handle();
    }
    if (IsRectEmpty(&r)) return false;
    // Then the windows above it, and above each of its parents, up to the top-level window.
    for (; wnd && (GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CHILD); wnd = GetParent(wnd))
        if (AnyHolds(GetWindow(wnd, GW_HWNDPREV), GW_HWNDPREV, r)) return true;
    return false;
}

bool IsReachable(const TControl* control) {
    for (const TControl* c = control; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return !IsCovered(control);
}

std::string StripHotkey(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

char GetHotkey(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

bool IsAccel(WPARAM charCode, const std::string& caption) {
    const char key = GetHotkey(caption);
    return key && static_cast<char>(std::toupper(static_cast<int>(charCode & 0xFF))) == key;
}
