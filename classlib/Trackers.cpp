#include "classlib/Trackers.h"

#include <algorithm>

#include "classlib/Forms.h"

// ---------------------------------------------------------------------------
// Progress bar

DP_PUBLISHED(TProgressBar){
    DP_PROP_INT(Min, Min, SetMin),
    DP_PROP_INT(Max, Max, SetMax),
    DP_PROP_INT(Position, Position, SetPosition),
    DP_PROP_INT(Step, Step, SetStep),
    DP_PROP_BOOL(Smooth, Smooth, SetSmooth),
    DP_PROP_ENUM(Orientation, Orientation, SetOrientation),
};

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    m_width = 150;
    m_height = 16;
    m_color = clBtnFace;
}

void TProgressBar::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_PROGRESS_CLASS);
    TWinControl::CreateParams(p);
    CreateSubClass(p, PROGRESS_CLASSA);
    if (m_smooth) p.Style |= PBS_SMOOTH;
    if (m_orientation == pbVertical) p.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateHandleState() {
    SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SendMessageA(m_handle, PBM_SETSTEP, static_cast<WPARAM>(m_step), 0);
    SendMessageA(m_handle, PBM_SETPOS, static_cast<WPARAM>(m_position), 0);
}

void TProgressBar::SetMin(int32_t v) {
    m_min = v;
    if (IsLoading()) return;
    if (m_max < m_min) m_max = m_min;
    if (HandleAllocated())
        SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TProgressBar::SetMax(int32_t v) {
    m_max = v;
    if (IsLoading()) return;
    if (m_min > m_max) m_min = m_max;
    if (HandleAllocated())
        SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TProgressBar::SetPosition(int32_t v) {
    if (!IsLoading()) v = std::clamp(v, m_min, std::max(m_min, m_max));
    m_position = v;
    if (HandleAllocated()) SendMessageA(m_handle, PBM_SETPOS, static_cast<WPARAM>(v), 0);
}

void TProgressBar::Loaded() {
    TWinControl::Loaded();
    if (m_max < m_min) m_max = m_min;
    if (HandleAllocated())
        SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TProgressBar::SetSmooth(bool v) {
    if (v == m_smooth) return;
    m_smooth = v;
    RecreateWnd();
}

void TProgressBar::SetOrientation(TProgressBarOrientation v) {
    if (v == m_orientation) return;
    m_orientation = v;
    RecreateWnd();
}

void TProgressBar::StepBy(int32_t delta) {
    int64_t pos = static_cast<int64_t>(m_position) + delta;
    const int64_t range = static_cast<int64_t>(m_max) - m_min;
    if (range > 0 && (pos > m_max || pos < m_min)) pos = m_min + ((pos - m_min) % range + range) % range;
    SetPosition(static_cast<int32_t>(pos));
}

void TProgressBar::StepIt() { StepBy(m_step); }

// ---------------------------------------------------------------------------
// Track bar

DP_PUBLISHED(TTrackBar){
    DP_PROP_INT(Min, Min, SetMin),
    DP_PROP_INT(Max, Max, SetMax),
    DP_PROP_INT(Position, Position, SetPosition),
    DP_PROP_ENUM(Orientation, Orientation, SetOrientation),
    DP_PROP_INT(Frequency, Frequency, SetFrequency),
    DP_PROP_ENUM(TickStyle, TickStyle, SetTickStyle),
    DP_PROP_ENUM(TickMarks, TickMarks, SetTickMarks),
    DP_PROP_INT(PageSize, PageSize, SetPageSize),
    DP_PROP_INT(LineSize, LineSize, SetLineSize),
    DP_PROP_FIELD(OnChange, OnChange),
};

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    m_width = 150;
    m_height = 45;
    m_tabStop = true;
    m_color = clBtnFace;
}

void TTrackBar::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_BAR_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, TRACKBAR_CLASSA);
    p.Style |= m_orientation == trVertical ? TBS_VERT : TBS_HORZ;
    if (m_tickStyle == tsAuto) p.Style |= TBS_AUTOTICKS;
    if (m_tickStyle == tsNone) p.Style |= TBS_NOTICKS;
    if (m_tickMarks == tmTopLeft) p.Style |= TBS_TOP;
    if (m_tickMarks == tmBoth) p.Style |= TBS_BOTH;
}

void TTrackBar::CreateHandleState() {
    SendMessageA(m_handle, TBM_SETRANGEMIN, FALSE, m_min);
    SendMessageA(m_handle, TBM_SETRANGEMAX, FALSE, m_max);
    SendMessageA(m_handle, TBM_SETPAGESIZE, 0, m_pageSize);
    SendMessageA(m_handle, TBM_SETLINESIZE, 0, m_lineSize);
    if (m_tickStyle == tsAuto) SendMessageA(m_handle, TBM_SETTICFREQ, static_cast<WPARAM>(m_frequency), 0);
    SendMessageA(m_handle, TBM_SETPOS, TRUE, m_position);
}

void TTrackBar::Loaded() {
    TWinControl::Loaded();
    if (m_max < m_min) m_max = m_min;
    m_position = std::clamp(m_position, m_min, m_max);
    if (HandleAllocated()) CreateHandleState();
}

int32_t TTrackBar::Position() {
    if (HandleAllocated()) m_position = static_cast<int32_t>(SendMessageA(m_handle, TBM_GETPOS, 0, 0));
    return m_position;
}

void TTrackBar::SetPosition(int32_t v) {
    if (IsLoading()) {
        m_position = v;
        return;
    }
    v = std::clamp(v, m_min, std::max(m_min, m_max));
    if (v == Position()) return;
    m_position = v;
    if (HandleAllocated()) SendMessageA(m_handle, TBM_SETPOS, TRUE, v);
    OnChange(this);
}

void TTrackBar::SetMin(int32_t v) {
    m_min = v;
    if (IsLoading()) return;
    if (m_max < m_min) m_max = m_min;
    if (HandleAllocated()) {
        SendMessageA(m_handle, TBM_SETRANGEMIN, TRUE, m_min);
        SendMessageA(m_handle, TBM_SETRANGEMAX, TRUE, m_max);
    }
    SetPosition(m_position);
}

void TTrackBar::SetMax(int32_t v) {
    m_max = v;
    if (IsLoading()) return;
    if (m_min > m_max) m_min = m_max;
    if (HandleAllocated()) {
        SendMessageA(m_handle, TBM_SETRANGEMIN, TRUE, m_min);
        SendMessageA(m_handle, TBM_SETRANGEMAX, TRUE, m_max);
    }
    SetPosition(m_position);
}

void TTrackBar::SetOrientation(TTrackBarOrientation v) {
    if (v == m_orientation) return;
    m_orientation = v;
    if (!IsLoading()) SetBounds(m_left, m_top, m_height, m_width);
    RecreateWnd();
}

void TTrackBar::SetFrequency(int32_t v) {
    m_frequency = v;
    if (HandleAllocated()) SendMessageA(m_handle, TBM_SETTICFREQ, static_cast<WPARAM>(v), 0);
}

void TTrackBar::SetTickStyle(TTickStyle v) {
    if (v == m_tickStyle) return;
    m_tickStyle = v;
    RecreateWnd();
}

void TTrackBar::SetTickMarks(TTickMark v) {
    if (v == m_tickMarks) return;
    m_tickMarks = v;
    RecreateWnd();
}

void TTrackBar::SetPageSize(int32_t v) {
    m_pageSize = v;
    if (HandleAllocated()) SendMessageA(m_handle, TBM_SETPAGESIZE, 0, v);
}

void TTrackBar::SetLineSize(int32_t v) {
    m_lineSize = v;
    if (HandleAllocated()) SendMessageA(m_handle, TBM_SETLINESIZE, 0, v);
}

void TTrackBar::SetTick(int32_t value) {
    if (HandleAllocated()) SendMessageA(m_handle, TBM_SETTIC, 0, value);
}

void TTrackBar::WndProc(TMessage& m) {
    if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
        const int32_t pos = static_cast<int32_t>(SendMessageA(m_handle, TBM_GETPOS, 0, 0));
        m.Result = 0;
        if (pos != m_position) {
            m_position = pos;
            OnChange(this);
        }
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Up-down

DP_PUBLISHED(TUpDown){
    DP_PROP_INT(Min, Min, SetMin),
    DP_PROP_INT(Max, Max, SetMax),
    DP_PROP_INT(Position, Position, SetPosition),
    DP_PROP_INT(Increment, Increment, SetIncrement),
    DP_PROP_BOOL(Wrap, Wrap, SetWrap),
    DP_PROP_BOOL(ArrowKeys, ArrowKeys, SetArrowKeys),
    DP_PROP_BOOL(Thousands, Thousands, SetThousands),
    DP_PROP_ENUM(Orientation, Orientation, SetOrientation),
    DP_PROP_ENUM(AlignButton, AlignButton, SetAlignButton),
    DP_PROP_OBJ(Associate, Associate, SetAssociate),
    DP_PROP_FIELD(OnClick, OnClick),
    DP_PROP_FIELD(OnChanging, OnChanging),
};

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
    m_width = 16;
    m_height = 24;
    m_color = clBtnFace;
}

TUpDown::~TUpDown() { SetAssociate(nullptr); }

void TUpDown::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_UPDOWN_CLASS);
    TWinControl::CreateParams(p);
    CreateSubClass(p, UPDOWN_CLASSA);
    p.Style |= UDS_SETBUDDYINT;
    p.Style |= m_alignButton == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT;
    if (m_orientation == udHorizontal) p.Style |= UDS_HORZ;
    if (m_arrowKeys) p.Style |= UDS_ARROWKEYS;
    if (m_wrap) p.Style |= UDS_WRAP;
    if (!m_thousands) p.Style |= UDS_NOTHOUSANDS;
}

void TUpDown::CreateHandleState() {
    SendMessageA(m_handle, UDM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    UDACCEL accel{0, static_cast<UINT>(m_increment)};
    SendMessageA(m_handle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    if (m_associate) SendMessageA(m_handle, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_associate->Handle()), 0);
    SendMessageA(m_handle, UDM_SETPOS32, 0, m_position);
    ShowInBuddy();
}

void TUpDown::Loaded() {
    TWinControl::Loaded();
    // Min above Max makes the control count down; the position stays between them either way.
    m_position = std::clamp(m_position, std::min(m_min, m_max), std::max(m_min, m_max));
    if (HandleAllocated())
        CreateHandleState();
    else
        ShowInBuddy();
}

int32_t TUpDown::Position() {
    if (HandleAllocated()) {
        BOOL err = FALSE;
        const int32_t pos =
            static_cast<int32_t>(SendMessageA(m_handle, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&err)));
        if (!err) m_position = pos;
    }
    return m_position;
}

void TUpDown::SetPosition(int32_t v) {
    if (IsLoading()) {
        m_position = v;
        return;
    }
    m_position = std::clamp(v, std::min(m_min, m_max), std::max(m_min, m_max));
    if (HandleAllocated()) SendMessageA(m_handle, UDM_SETPOS32, 0, m_position);
    ShowInBuddy();
}

void TUpDown::ShowInBuddy() {
    if (!m_associate || IsLoading()) return;
    if (!DynamicAs<TCustomEdit>(m_associate)) return;
    const std::string digits = std::to_string(m_position < 0 ? -static_cast<int64_t>(m_position) : m_position);
    std::string s = m_position < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (m_thousands && i > 0 && (digits.size() - i) % 3 == 0) s += ',';
        s += digits[i];
    }
    if (m_associate->Text() != s) m_associate->SetText(s);
}

void TUpDown::SetMin(int32_t v) {
    m_min = v;
    if (IsLoading()) return;
    if (HandleAllocated())
        SendMessageA(m_handle, UDM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TUpDown::SetMax(int32_t v) {
    m_max = v;
    if (IsLoading()) return;
    if (HandleAllocated())
        SendMessageA(m_handle, UDM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TUpDown::SetIncrement(int32_t v) {
    m_increment = v;
    if (HandleAllocated()) {
        UDACCEL accel{0, static_cast<UINT>(v)};
        SendMessageA(m_handle, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    }
}

void TUpDown::SetWrap(bool v) {
    if (v == m_wrap) return;
    m_wrap = v;
    RecreateWnd();
}

void TUpDown::SetArrowKeys(bool v) {
    if (v == m_arrowKeys) return;
    m_arrowKeys = v;
    RecreateWnd();
}

void TUpDown::SetThousands(bool v) {
    if (v == m_thousands) return;
    m_thousands = v;
    RecreateWnd();
}

void TUpDown::SetOrientation(TUDOrientation v) {
    if (v == m_orientation) return;
    m_orientation = v;
    if (!IsLoading()) SetBounds(m_left, m_top, m_height, m_width);
    RecreateWnd();
}

void TUpDown::SetAlignButton(TUDAlignButton v) {
    if (v == m_alignButton) return;
    m_alignButton = v;
    RecreateWnd();
}

void TUpDown::SetAssociate(TWinControl* control) {
    if (control == this) control = nullptr;
    if (control == m_associate) return;
    if (m_associate) RemoveFreeNotification(m_associate);
    m_associate = control;
    if (control) FreeNotification(control);
    if (HandleAllocated() && !ComponentState().Contains(csDestroying)) {
        SendMessageA(m_handle, UDM_SETBUDDY, control ? reinterpret_cast<WPARAM>(control->Handle()) : 0, 0);
        ShowInBuddy();
    }
}

void TUpDown::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == m_associate) {
        m_associate = nullptr;
        if (HandleAllocated()) SendMessageA(m_handle, UDM_SETBUDDY, 0, 0);
    }
}

void TUpDown::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
            if (hdr->code == static_cast<UINT>(UDN_DELTAPOS)) {
                bool allow = true;
                OnChanging(this, allow);
                m.Result = allow ? FALSE : TRUE;
                return;
            }
            break;
        }
        case CN_HSCROLL:
        case CN_VSCROLL:
            if (LOWORD(m.WParam) == SB_THUMBPOSITION) {
                const int32_t before = m_position;
                const int32_t now = Position();
                // A wrapped step moves the other way: the arrow decides, not the sign.
                bool up = now > before;
                if (m_wrap && ((before == m_max && now == m_min) || (before == m_min && now == m_max))) up = !up;
                OnClick(this, up ? TUDBtnType::btNext : TUDBtnType::btPrev);
            }
            m.Result = 0;
            return;
        default: break;
    }
    TWinControl::WndProc(m);
}
// ---------------------------------------------------------------------------
// Scroll bar

DP_PUBLISHED(TScrollBar){
    DP_PROP_ENUM(Kind, Kind, SetKind),
    DP_PROP_INT(Min, Min, SetMin),
    DP_PROP_INT(Max, Max, SetMax),
    DP_PROP_INT(Position, Position, SetPosition),
    DP_PROP_INT(PageSize, PageSize, SetPageSize),
    DP_PROP_INT(SmallChange, SmallChange, SetSmallChange),
    DP_PROP_INT(LargeChange, LargeChange, SetLargeChange),
    DP_PROP_FIELD(OnChange, OnChange),
    DP_PROP_FIELD(OnScroll, OnScroll),
};

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    m_width = 121;
    m_height = 17;
    m_tabStop = true;
    m_color = clBtnFace;
}

void TScrollBar::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    CreateSubClass(p, "SCROLLBAR");
    p.Style |= m_kind == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateHandleState() { UpdateInfo(); }

void TScrollBar::UpdateInfo() {
    if (!HandleAllocated()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    si.nMin = m_min;
    si.nMax = m_max;
    si.nPage = static_cast<UINT>(m_pageSize);
    si.nPos = m_position;
    SetScrollInfo(m_handle, SB_CTL, &si, TRUE);
}

int32_t TScrollBar::Clamp(int32_t v) const {
    const int32_t top = std::max(m_min, m_max - std::max(m_pageSize - 1, 0));
    return std::clamp(v, m_min, top);
}

void TScrollBar::Loaded() {
    TWinControl::Loaded();
    if (m_max < m_min) m_max = m_min;
    m_pageSize = std::clamp(m_pageSize, 0, m_max - m_min + 1);
    m_position = Clamp(m_position);
    UpdateInfo();
}

void TScrollBar::SetPosition(int32_t v) {
    if (IsLoading()) {
        m_position = v;
        return;
    }
    v = Clamp(v);
    if (v == m_position) return;
    m_position = v;
    UpdateInfo();
    OnChange(this);
}

void TScrollBar::SetParams(int32_t position, int32_t min, int32_t max) {
    if (max < min) max = min;
    m_min = min;
    m_max = max;
    m_pageSize = std::clamp(m_pageSize, 0, m_max - m_min + 1);
    const int32_t old = m_position;
    m_position = Clamp(position);
    UpdateInfo();
    if (!IsLoading() && m_position != old) OnChange(this);
}

void TScrollBar::SetMin(int32_t v) {
    if (IsLoading())
        m_min = v;
    else
        SetParams(m_position, v, std::max(v, m_max));
}

void TScrollBar::SetMax(int32_t v) {
    if (IsLoading())
        m_max = v;
    else
        SetParams(m_position, std::min(m_min, v), v);
}

void TScrollBar::SetPageSize(int32_t v) {
    m_pageSize = v;
    if (IsLoading()) return;
    SetParams(m_position, m_min, m_max);
}

void TScrollBar::SetKind(TScrollBarKind v) {
    if (v == m_kind) return;
    m_kind = v;
    if (!IsLoading()) SetBounds(m_left, m_top, m_height, m_width);
    RecreateWnd();
}

void TScrollBar::Scroll(int code, int trackPos) {
    int pos = m_position;
    switch (code) {
        case SB_LINEUP: pos -= m_smallChange; break;
        case SB_LINEDOWN: pos += m_smallChange; break;
        case SB_PAGEUP: pos -= m_largeChange; break;
        case SB_PAGEDOWN: pos += m_largeChange; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: pos = trackPos; break;
        case SB_TOP: pos = m_min; break;
        case SB_BOTTOM: pos = m_max; break;
        default: break;
    }
    if (code < 0 || code > SB_ENDSCROLL) return;
    OnScroll(this, static_cast<TScrollCode>(code), pos);
    SetPosition(pos);
}

void TScrollBar::WndProc(TMessage& m) {
    if (m.Msg == CN_HSCROLL || m.Msg == CN_VSCROLL) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_handle, SB_CTL, &si);  // the 32-bit thumb position
        Scroll(LOWORD(m.WParam), si.nTrackPos);
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Scroll box

DP_PUBLISHED(TScrollBox){
    DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle),
    DP_PROP_BOOL(AutoScroll, AutoScroll, SetAutoScroll),
};

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
    m_width = 185;
    m_height = 41;
    m_color = clBtnFace;
    m_controlStyle += csAcceptsControls;
}

void TScrollBox::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.Style |= WS_CLIPCHILDREN;
    if (m_borderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TScrollBox::CreateHandleState() { m_hpos = m_vpos = 0; }

void TScrollBox::SetBorderStyle(TBorderStyle v) {
    if (v == m_borderStyle) return;
    m_borderStyle = v;
    RecreateWnd();
}

void TScrollBox::SetAutoScroll(bool v) {
    m_autoScroll = v;
    if (!v) ScrollTo(0, 0);
    UpdateScrollBars();
}

TPoint TScrollBox::ContentSize() {
    TPoint size{0, 0};
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible()) continue;
        size.x = std::max<LONG>(size.x, c->Left() + c->Width() + m_hpos);
        size.y = std::max<LONG>(size.y, c->Top() + c->Height() + m_vpos);
    }
    return size;
}

void TScrollBox::UpdateScrollBars() {
    if (!HandleAllocated() || m_updating) return;
    m_updating = true;
    const TPoint content = m_autoScroll ? ContentSize() : TPoint{0, 0};
    for (int pass = 0; pass < 2; ++pass) {  // one bar's appearance can call for the other
        RECT client;
        GetClientRect(m_handle, &client);
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMax = content.x > client.right ? content.x - 1 : 0;
        si.nPage = content.x > client.right ? static_cast<UINT>(client.right) : 0;
        si.nPos = m_hpos;
        SetScrollInfo(m_handle, SB_HORZ, &si, TRUE);
        si.nMax = content.y > client.bottom ? content.y - 1 : 0;
        si.nPage = content.y > client.bottom ? static_cast<UINT>(client.bottom) : 0;
        si.nPos = m_vpos;
        SetScrollInfo(m_handle, SB_VERT, &si, TRUE);
    }
    m_updating = false;
    MoveContent(m_hpos, m_vpos);  // keeps the offsets in range after a resize
}

void TScrollBox::ScrollTo(int32_t x, int32_t y) {
    UpdateScrollBars();
    MoveContent(x, y);
}

void TScrollBox::MoveContent(int32_t x, int32_t y) {
    if (m_updating) return;
    const TPoint content = ContentSize();
    RECT client{0, 0, m_width, m_height};
    if (HandleAllocated()) GetClientRect(m_handle, &client);
    x = std::clamp<int32_t>(x, 0, std::max<int32_t>(0, content.x - client.right));
    y = std::clamp<int32_t>(y, 0, std::max<int32_t>(0, content.y - client.bottom));
    if (!m_autoScroll) x = y = 0;
    const int dx = m_hpos - x, dy = m_vpos - y;
    if (!dx && !dy) return;
    m_hpos = x;
    m_vpos = y;
    m_updating = true;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
    }
    m_updating = false;
    if (HandleAllocated()) {
        SetScrollPos(m_handle, SB_HORZ, m_hpos, TRUE);
        SetScrollPos(m_handle, SB_VERT, m_vpos, TRUE);
        InvalidateRect(m_handle, nullptr, TRUE);
    }
}

void TScrollBox::ScrollInView(TControl* control) {
    if (!control || control->Parent() != this) return;
    UpdateScrollBars();
    RECT client{0, 0, m_width, m_height};
    if (HandleAllocated()) GetClientRect(m_handle, &client);
    int x = m_hpos, y = m_vpos;
    if (control->Left() < 0)
        x += control->Left();
    else if (control->Left() + control->Width() > client.right)
        x += control->Left() + control->Width() - client.right;
    if (control->Top() < 0)
        y += control->Top();
    else if (control->Top() + control->Height() > client.bottom)
        y += control->Top() + control->Height() - client.bottom;
    ScrollTo(x, y);
}

void TScrollBox::AlignControls(TControl* control, TRect& rect) {
    TWinControl::AlignControls(control, rect);
    if (!m_updating) UpdateScrollBars();
}

void TScrollBox::Scroll(int bar, int code) {
    UpdateScrollBars();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(m_handle, bar, &si);
    int pos = bar == SB_HORZ ? m_hpos : m_vpos;
    const int page = std::max<int>(static_cast<int>(si.nPage), 1);
    switch (code) {
        case SB_LINEUP: pos -= 8; break;
        case SB_LINEDOWN: pos += 8; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: pos = si.nTrackPos; break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = si.nMax; break;
        default: return;
    }
    if (bar == SB_HORZ)
        MoveContent(pos, m_vpos);
    else
        MoveContent(m_hpos, pos);
}

void TScrollBox::WndProc(TMessage& m) {
    if ((m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) && m.LParam == 0) {
        Scroll(m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(m.WParam));
        m.Result = 0;
        return;
    }
    // Children moved or resized on their own leave the range stale: a paint is the next sure moment.
    if (m.Msg == WM_PAINT) UpdateScrollBars();
    TWinControl::WndProc(m);
}
