#include "skin/SkinScrollbar.h"

#include <cctype>

#include "classlib/TypInfo.h"
#include "skin/SkinControlKinds.h"
#include "skin/SkinHeader.h"
#include "skin/SkinScrollParts.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TWScrollbar){};
DP_PUBLISHED(TSkinScrollbar){};
DP_PUBLISHED(TSkinListView){};
DP_PUBLISHED(TSkinScrollbarH){};
DP_PUBLISHED(TSkinScControl){};

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool HasFixedColor(TControl* control) {
    return control && IsPublishedProp(control, "FixedColor") && PropIsType(control, "FixedColor", tkInteger);
}

LONG ObjectOfKind(int32_t kind) { return kind == spkVertical ? OBJID_VSCROLL : OBJID_HSCROLL; }

}  // namespace

// --- the panel

TWScrollbar::TWScrollbar(TSkinControl* ownerSkin)
    : TCustomPanel(ownerSkin),
      OwnerSkin(ownerSkin),
      ArrowSize(GetSystemMetrics(SM_CXHSCROLL)),
      FAlive(std::make_shared<bool>(true)) {
    SetTabStop(false);
    SetBevelOuter(bvNone);
    SetVisible(false);
}

TWScrollbar::~TWScrollbar() { *FAlive = false; }

void TWScrollbar::CreateParams(TCreateParams& p) {
    TCustomPanel::CreateParams(p);
    p.ExStyle = WS_EX_TOOLWINDOW;
    p.WndParent = FParentWnd;
}

void TWScrollbar::Attach(TSkinControl* ownerSkin, HWND wnd, int32_t kind) {
    OwnerSkin = ownerSkin;
    Target = wnd;
    Kind = kind;
    Vertical = kind == spkVertical;
    FParentWnd = GetParent(wnd);
    HandleNeeded();
}

void TWScrollbar::AttachToControl(TSkinControl* ownerSkin, TWinControl* control, int32_t kind) {
    TargetControl = control;
    SetColor(ownerSkin->ParentColour(ownerSkin->SkinData->Colours.ButtonFace));
    Attach(ownerSkin, control->Handle(), kind);
    if (kind == spkControl) Vertical = Lower(GetEnumPropByName(control, "Kind")) != "sbhorizontal";
    UpdateBar(Target);
}

void TWScrollbar::AttachToWindow(TSkinControl* ownerSkin, HWND wnd, int32_t kind) {
    Attach(ownerSkin, wnd, kind);
    UpdateBar(Target);
}

bool TWScrollbar::BarInfo(SCROLLBARINFO& info) {
    info = SCROLLBARINFO{};
    info.cbSize = sizeof info;
    if (Kind != spkControl) return SkinGetScrollBarInfo(Target, ObjectOfKind(Kind), info);
    if (!TargetControl || !IsWindow(Target)) return false;
    // A scroll-bar control: its bounds and its thumb from its scroll information.
    const TRect b = TargetControl->BoundsRect();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(Target, SB_CTL, &si);
    const int32_t length = Vertical ? b.bottom - b.top : b.right - b.left;
    int32_t start = 0, end = 0;
    ScrollControlThumb(length, ArrowSize, si, start, end);
    info.rcScrollBar = b;
    info.xyThumbTop = start;
    info.xyThumbBottom = end;
    if (!IsWindowVisible(Target)) info.rgstate[0] |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(Target)) info.rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
    return true;
}

void TWScrollbar::HideBar() {
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    Shown = false;
    SetVisible(false);
}

void TWScrollbar::UpdateBar(HWND wnd) {
    if (wnd) Target = wnd;
    SCROLLBARINFO info{};
    if (!BarInfo(info)) {
        Shown = false;
        return;
    }
    if (!(GetWindowLongPtrA(Target, GWL_STYLE) & WS_VISIBLE) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
        HideBar();
        return;
    }
    RECT bar = info.rcScrollBar;
    POINT origin{bar.left, bar.top};
    const int32_t w = bar.right - bar.left, h = bar.bottom - bar.top;
    if (Kind != spkControl) {
        ClientBar = bar;
        MapWindowPoints(nullptr, Target, reinterpret_cast<POINT*>(&ClientBar), 2);
        BarOrigin = origin;
        ::ScreenToClient(FParentWnd, &origin);
    }
    BarLength = Vertical ? h : w;
    SetVisible(true);
    Shown = true;
    HWND above = GetWindow(Target, GW_HWNDPREV);
    if (above == Handle()) above = GetWindow(above, GW_HWNDPREV);
    SetWindowPos(Handle(), above ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    MoveWindow(Handle(), origin.x, origin.y, w, h, TRUE);
}

int32_t TWScrollbar::HitTest(POINT p) const {
    return ScrollHitTest(Vertical ? p.y : p.x, ArrowSize, ThumbStart, ThumbEnd, BarLength);
}

void TWScrollbar::RepaintBar() {
    if (!HandleAllocated() || !Shown) return;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

void TWScrollbar::Paint() {
    TSkinData* data = OwnerSkin ? OwnerSkin->SkinData : nullptr;
    if (!SkinHasScrollParts(data)) return;
    SCROLLBARINFO info{};
    if (!BarInfo(info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return;
    RECT client{};
    GetClientRect(Handle(), &client);
    const int32_t bw = info.rcScrollBar.right - info.rcScrollBar.left;
    const int32_t bh = info.rcScrollBar.bottom - info.rcScrollBar.top;
    if (bw < 0 || bh < 0 || bw > client.right || bh > client.bottom) return;
    BarLength = Vertical ? bh : bw;
    const int32_t T = ScrollBarThickness(data, ArrowSize);
    int32_t ww = bw, wh = bh;
    if (Kind == spkControl) (Vertical ? ww : wh) = T;
    if (ww <= 0 || wh <= 0) return;

    const int32_t thumbLength = ThumbEnd - ThumbStart;
    if (Pressed && HotPart == spThumb && Kind != spkControl) {
        // The thumb follows the cursor while the system tracks it.
        POINT c{};
        GetCursorPos(&c);
        int32_t start = PressThumbStart + (Vertical ? c.y - PressCursor.y : c.x - PressCursor.x);
        if (start > BarLength - ArrowSize - thumbLength) start = BarLength - ArrowSize - thumbLength;
        if (start < ArrowSize) start = ArrowSize;
        ThumbStart = start;
        ThumbEnd = start + thumbLength;
    } else {
        ThumbStart = info.xyThumbTop;
        ThumbEnd = info.xyThumbBottom;
    }

    TScrollBarLook look;
    look.Vertical = Vertical;
    look.Enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    look.Length = BarLength;
    look.Arrow = ArrowSize;
    look.ThumbStart = ThumbStart;
    look.ThumbEnd = ThumbEnd;
    look.HalveBelow = BarLength;
    look.HotPart = HotPart;
    look.Pressed = Pressed;
    const RECT target = Kind == spkControl ? client : RECT{0, 0, ww, wh};
    PaintScrollBar(Canvas()->Handle(), target, ww, wh, data, look);
}

void TWScrollbar::MouseDownAt(TMessage& m) {
    GetCursorPos(&PressCursor);
    SCROLLBARINFO info{};
    if (BarInfo(info)) {
        PressThumbStart = info.xyThumbTop;
        // A scroll-bar control may have changed since it was last painted: its length and thumb
        // as they are now decide the part pressed.
        if (Kind == spkControl) {
            BarLength = Vertical ? info.rcScrollBar.bottom - info.rcScrollBar.top
                                 : info.rcScrollBar.right - info.rcScrollBar.left;
            ThumbStart = info.xyThumbTop;
            ThumbEnd = info.xyThumbBottom;
        }
    }
    POINT p{static_cast<int16_t>(LOWORD(m.LParam)), static_cast<int16_t>(HIWORD(m.LParam))};
    HotPart = HitTest(p);
    LPARAM at = m.LParam;
    if (Kind != spkControl) at = MAKELPARAM(p.x + BarOrigin.x, p.y + BarOrigin.y);
    Pressed = true;
    RepaintBar();
    HotPart = HitTest(p);
    ReleaseCapture();
    const HWND target = Target;
    const std::shared_ptr<bool> alive = FAlive;
    // The system's own tracking runs inside this call.
    if (Kind == spkVertical)
        SendMessageA(target, WM_NCLBUTTONDOWN, HTVSCROLL, at);
    else if (Kind == spkHorizontal)
        SendMessageA(target, WM_NCLBUTTONDOWN, HTHSCROLL, at);
    else
        SendMessageA(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (!*alive) return;
    Pressed = false;
    ReleaseCapture();
    RepaintBar();
}

void TWScrollbar::MouseUpAt(TMessage& m) {
    POINT p{static_cast<int16_t>(LOWORD(m.LParam)), static_cast<int16_t>(HIWORD(m.LParam))};
    LPARAM at = m.LParam;
    if (Kind != spkControl) at = MAKELPARAM(p.x + BarOrigin.x, p.y + BarOrigin.y);
    Pressed = false;
    ReleaseCapture();
    if (Kind == spkVertical)
        PostMessageA(Target, WM_NCLBUTTONUP, HTVSCROLL, at);
    else if (Kind == spkHorizontal)
        PostMessageA(Target, WM_NCLBUTTONUP, HTHSCROLL, at);
    else
        PostMessageA(Target, WM_LBUTTONUP, MK_LBUTTON, at);
    if (Kind == spkControl) RepaintBar();
}

void TWScrollbar::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_MOUSEMOVE: {
            const POINT p{static_cast<int16_t>(LOWORD(m.LParam)), static_cast<int16_t>(HIWORD(m.LParam))};
            const int32_t part = HitTest(p);
            if (part != HotPart) {
                HotPart = part;
                RepaintBar();
            }
            SkinTrackMouseLeave(Handle());
            return;
        }
        case WM_MOUSELEAVE:
            if (!Pressed) {
                HotPart = spNone;
                RepaintBar();
            }
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: MouseDownAt(m); return;
        case WM_LBUTTONUP: MouseUpAt(m); return;
        case WM_ERASEBKGND: m.Result = 1; return;
        default: TCustomPanel::WndProc(m); return;
    }
}

void FillScrollCorner(TSkinControl* skin, HDC dc, TWScrollbar* horz, TWScrollbar* vert, int32_t lead) {
    if (!horz || !vert || !horz->Shown || !vert->Shown) return;
    const TRect box{vert->ClientBar.left + lead, horz->ClientBar.top + lead, vert->ClientBar.right + 2,
                    horz->ClientBar.bottom + 2};
    skin->FillSkinColour(dc, box);
}

void MarkScrollPart(TWScrollbar* panel, WPARAM code) {
    if (!panel) return;
    panel->HotPart = LOWORD(code);
    panel->RepaintBar();
}

// --- scrollable class-library controls

TSkinScrollbar::TSkinScrollbar(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbar::~TSkinScrollbar() { FreePanels(); }

void TSkinScrollbar::FreePanels() {
    delete HorzPanel;
    HorzPanel = nullptr;
    delete VertPanel;
    VertPanel = nullptr;
}

void TSkinScrollbar::AttachControl(TTinselForm* form, TSkinData* data, bool, TCanvas* canvas) {
    if (auto* control = DynamicAs<TWinControl>(Owner())) AttachScrollbars(control, data, form, canvas);
}

void TSkinScrollbar::AttachScrollbars(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    if (Attached || !control) return;
    TakeControl(control, data, form, canvas);
    if (Form) Form->AddControlSkin(this);
    DrawBorderFlag = Lower(GetEnumPropByName(control, "BorderStyle")) != "bsnone";
    if (control->ClassName() == "TImageScrollBox" || SpecialMode == 1) DrawBorderFlag = false;
    if (HasFixedColor(control)) {
        SavedFixedColor = static_cast<TColor>(GetOrdPropByName(control, "FixedColor"));
        FixedColorSaved = true;
        SetOrdProp(control, "FixedColor", static_cast<int64_t>(data->Colours.ButtonFace));
    }
    HorzPanel = new TWScrollbar(this);
    HorzPanel->AttachToControl(this, control, spkHorizontal);
    VertPanel = new TWScrollbar(this);
    VertPanel->AttachToControl(this, control, spkVertical);
    HorzPanel->SetEnabled(control->Enabled());
    VertPanel->SetEnabled(control->Enabled());
    if (!control->Visible()) {
        HorzPanel->HideBar();
        VertPanel->HideBar();
    }
    HookWindowProc(control);
    Attached = true;
    State = scAttached;
    // The border is ours from the first frame on.
    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TSkinScrollbar::DrawBorder(HDC dc) {
    RECT w{};
    if (!dc || !GetWindowRect(Handle, &w)) return;
    RECT r{0, 0, w.right - w.left, w.bottom - w.top};
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow));
    FrameRect(dc, &r, shadow);
    DeleteObject(shadow);
    InflateRect(&r, -1, -1);
    HBRUSH face = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonFace));
    FrameRect(dc, &r, face);
    DeleteObject(face);
}

bool TSkinScrollbar::BeforeMessage(TMessage& m) {
    if (m.Msg == WM_NCPAINT && DrawBorderFlag) {
        // The control paints its frame and bars first; the border goes over it.
        CallOldProc(m);
        HDC dc = GetWindowDC(Handle);
        DrawBorder(dc);
        // The system has just painted the corner between the bars too.
        FillScrollCorner(this, dc, HorzPanel, VertPanel, 2);
        ReleaseDC(Handle, dc);
        return false;
    }
    return TSkinControl::BeforeMessage(m);
}

void TSkinScrollbar::AfterMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_SIZE:
        case WM_WINDOWPOSCHANGED:
            if (HorzPanel) HorzPanel->UpdateBar(Handle);
            if (VertPanel) VertPanel->UpdateBar(Handle);
            break;
        case WM_HSCROLL: MarkScrollPart(HorzPanel, m.WParam); break;
        case WM_VSCROLL: MarkScrollPart(VertPanel, m.WParam); break;
        case WM_MOUSEWHEEL:
            if (HorzPanel) HorzPanel->RepaintBar();
            if (VertPanel) VertPanel->RepaintBar();
            break;
        case CM_VISIBLECHANGED:
            for (TWScrollbar* p : {HorzPanel, VertPanel})
                if (p) {
                    if (m.WParam)
                        p->UpdateBar(Handle);
                    else
                        p->HideBar();
                }
            break;
        case CM_ENABLEDCHANGED:
            for (TWScrollbar* p : {HorzPanel, VertPanel})
                if (p && Control) p->SetEnabled(Control->Enabled());
            TSkinControl::AfterMessage(m);
            break;
        case CM_RECREATEWND:
            // The window went and came back: the form gives the control a fresh skin.
            if (Form && Form->Handle)
                PostMessageA(Form->Handle, WM_SKIN_RESKINSCROLL, reinterpret_cast<WPARAM>(Handle), 0);
            break;
        case WM_SKIN_PAINTNC:
            if (m.LParam == SKIN_MARKER) {
                if (m.WParam) DrawBorder(reinterpret_cast<HDC>(m.WParam));
                m.Result = SKIN_MARKER;
            }
            break;
        default: TSkinControl::AfterMessage(m); break;
    }
}

void TSkinScrollbar::DrawSkin(HDC dc, const TRect&) {
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_STYLE));
    const struct {
        TWScrollbar* panel;
        uint32_t bit;
    } bars[] = {{HorzPanel, WS_HSCROLL}, {VertPanel, WS_VSCROLL}};
    for (const auto& b : bars) {
        if (!b.panel) continue;
        if (b.panel->Shown)
            b.panel->RepaintBar();
        else if (style & b.bit)
            b.panel->UpdateBar(Handle);
    }
    FillScrollCorner(this, dc, HorzPanel, VertPanel, 2);
}

void TSkinScrollbar::SkinChanged() {
    if (HasFixedColor(Control)) {
        SavedFixedColor = static_cast<TColor>(GetOrdPropByName(Control, "FixedColor"));
        FixedColorSaved = true;
        SetOrdProp(Control, "FixedColor", static_cast<int64_t>(SkinData->Colours.ButtonFace));
    }
    TSkinControl::SkinChanged();
}

void TSkinScrollbar::Restore() {
    if (FixedColorSaved && Control) SetOrdProp(Control, "FixedColor", static_cast<int64_t>(SavedFixedColor));
    FixedColorSaved = false;
    TSkinControl::Restore();
    if (State != scDestroyed) FreePanels();
}

// --- list views

TSkinListView::TSkinListView(TComponent* owner) : TSkinScrollbar(owner) {}

void TSkinListView::AttachScrollbars(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    if (Attached) return;
    TSkinScrollbar::AttachScrollbars(control, data, form, canvas);
    HWND header = reinterpret_cast<HWND>(SendMessageA(Handle, LVM_GETHEADER, 0, 0));
    if (!header) return;
    Header = DynamicAs<TSkinHeader>(SkinWindowOnce(skHeader, header, Owner(), form, data, canvas));
}

// --- bare windows

TSkinScrollbarH::TSkinScrollbarH(TComponent* owner) : TSkinControl(owner) {}

TSkinScrollbarH::~TSkinScrollbarH() {
    delete HorzPanel;
    delete VertPanel;
}

void TSkinScrollbarH::AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    if (Attached || !IsWindow(wnd)) return;
    SkinData = data;
    HorzPanel = new TWScrollbar(this);
    HorzPanel->AttachToWindow(this, wnd, spkHorizontal);
    VertPanel = new TWScrollbar(this);
    VertPanel->AttachToWindow(this, wnd, spkVertical);
    TSkinControl::AttachHandle(wnd, data, form, canvas);
}

void TSkinScrollbarH::AfterMessage(TMessage& m) {
    if (State != scAttached) return;
    if (VertPanel && !IsWindowVisible(Handle)) VertPanel->HideBar();
    switch (m.Msg) {
        case WM_SIZE:
        case WM_NCPAINT:
            if (HorzPanel) HorzPanel->UpdateBar(Handle);
            if (VertPanel) VertPanel->UpdateBar(Handle);
            Repaint();
            break;
        case WM_HSCROLL: MarkScrollPart(HorzPanel, m.WParam); break;
        case WM_VSCROLL: MarkScrollPart(VertPanel, m.WParam); break;
        default: TSkinControl::AfterMessage(m); break;
    }
}

void TSkinScrollbarH::DrawSkin(HDC dc, const TRect&) {
    if (HorzPanel) HorzPanel->RepaintBar();
    if (VertPanel) VertPanel->RepaintBar();
    FillScrollCorner(this, dc, HorzPanel, VertPanel, 0);
}

void TSkinScrollbarH::Restore() {
    TSkinControl::Restore();
    if (State != scDestroyed) {
        delete HorzPanel;
        HorzPanel = nullptr;
        delete VertPanel;
        VertPanel = nullptr;
    }
}

// --- scroll-bar controls

TSkinScControl::TSkinScControl(TComponent* owner) : TSkinControl(owner) {}

TSkinScControl::~TSkinScControl() { delete Panel; }

void TSkinScControl::AttachControl(TTinselForm* form, TSkinData* data, bool, TCanvas* canvas) {
    if (auto* control = DynamicAs<TWinControl>(Owner())) AttachScrollbar(control, data, form, canvas);
}

void TSkinScControl::AttachScrollbar(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    if (Attached || !control) return;
    TakeControl(control, data, form, canvas);
    if (Form) Form->AddControlSkin(this);
    Panel = new TWScrollbar(this);
    Panel->SetShowHint(control->ShowHint());
    Panel->SetHint(control->Hint());
    Panel->AttachToControl(this, control, spkControl);
    if (!control->Visible()) Panel->HideBar();
    HookWindowProc(control);
    Attached = true;
    State = scAttached;
}

void TSkinScControl::AfterMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_WINDOWPOSCHANGED:
            if (Panel) Panel->UpdateBar(Handle);
            break;
        case WM_NCPAINT:
            if (Panel && Control) {
                if (auto* w = DynamicAs<TWinControl>(Control)) Handle = w->Handle();
                Panel->UpdateBar(Handle);
            }
            break;
        case SBM_SETSCROLLINFO:
        case CN_VSCROLL:
            if (Panel) Panel->RepaintBar();
            break;
        case CM_VISIBLECHANGED:
            if (Panel) {
                if (m.WParam)
                    Panel->UpdateBar(Handle);
                else
                    Panel->HideBar();
            }
            break;
        default: TSkinControl::AfterMessage(m); break;
    }
}

void TSkinScControl::DrawSkin(HDC, const TRect&) {
    if (Panel) Panel->RepaintBar();
}

void TSkinScControl::Restore() {
    TSkinControl::Restore();
    if (State != scDestroyed) {
        delete Panel;
        Panel = nullptr;
    }
}
