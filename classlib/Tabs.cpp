#include "classlib/Tabs.h"

#include <algorithm>

#include "classlib/CommonControls.h"

DP_PUBLISHED(TTabScroller){};

TTabScroller::TTabScroller(TComponent* owner) : TWinControl(owner) {
    m_width = 17;
    m_height = 16;
    m_visible = false;
}

void TTabScroller::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_UPDOWN_CLASS);
    TWinControl::CreateParams(p);
    CreateSubClass(p, UPDOWN_CLASSA);
    p.Style |= UDS_HORZ;
}

void TTabScroller::CreateHandleState() {
    SendMessageA(m_handle, UDM_SETRANGE32, 0, m_max);
    SendMessageA(m_handle, UDM_SETPOS32, 0, m_position);
}

void TTabScroller::SetRange(int32_t max, int32_t position) {
    m_max = std::max(max, 0);
    m_position = std::clamp(position, 0, m_max);
    if (HandleAllocated()) CreateHandleState();
}

void TTabScroller::WndProc(TMessage& m) {
    if (m.Msg == CN_HSCROLL) {
        if (LOWORD(m.WParam) == SB_THUMBPOSITION)
            if (auto* tabs = DynamicAs<TTabSet>(Owner())) {
                m_position = static_cast<int32_t>(SendMessageA(m_handle, UDM_GETPOS32, 0, 0));
                tabs->SetFirstIndex(m_position);
            }
        m.Result = 0;
        return;
    }
    TWinControl::WndProc(m);
}

DP_PUBLISHED(TTabSet){
    DP_PROP_STRINGS(Tabs, Tabs, SetTabs),
    DP_PROP_INT(TabIndex, TabIndex, SetTabIndex),
    DP_PROP_COLOR(SelectedColor, SelectedColor, SetSelectedColor),
    DP_PROP_COLOR(UnselectedColor, UnselectedColor, SetUnselectedColor),
    DP_PROP_COLOR(BackgroundColor, BackgroundColor, SetBackgroundColor),
    DP_PROP_INT(StartMargin, StartMargin, SetStartMargin),
    DP_PROP_INT(EndMargin, EndMargin, SetEndMargin),
    DP_PROP_INT(FirstIndex, FirstIndex, SetFirstIndex),
    DP_PROP_INT(TabHeight, TabHeight, SetTabHeight),
    DP_PROP_FIELD(OnChange, OnChange),
};

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner), m_tabs(std::make_unique<TStringList>()) {
    m_width = 185;
    m_height = 21;
    m_color = clBtnFace;
    m_scroller = new TTabScroller(this);
    m_scroller->SetParent(this);
    m_tabs->OnChange = [this] {
        if (!IsLoading() && m_tabIndex >= m_tabs->Count()) m_tabIndex = m_tabs->Count() - 1;
        if (!IsLoading() && m_firstIndex >= m_tabs->Count()) m_firstIndex = std::max(m_tabs->Count() - 1, 0);
        UpdateScroller();
        Invalidate();
    };
}

void TTabSet::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    // The arrows paint themselves over the row.
    p.Style |= WS_CLIPCHILDREN;
}

void TTabSet::Resize() {
    TCustomControl::Resize();
    UpdateScroller();
}

void TTabSet::SetEndMargin(int32_t v) {
    m_endMargin = std::max(v, 0);
    UpdateScroller();
    Invalidate();
}

void TTabSet::SetFirstIndex(int32_t v) {
    if (!IsLoading()) v = std::clamp(v, 0, std::max(m_tabs->Count() - 1, 0));
    if (v == m_firstIndex) return;
    m_firstIndex = v;
    UpdateScroller();
    Invalidate();
}

int TTabSet::RowWidth() {
    // The window's own width: a resize is reported before the control takes the new bounds over.
    return HandleAllocated() ? ClientWidth() : m_width;
}

void TTabSet::UpdateScroller() {
    if (!m_scroller || IsLoading()) return;
    int x = m_startMargin;
    bool overflow = m_firstIndex > 0;
    for (int i = m_firstIndex; i < m_tabs->Count() && !overflow; ++i) {
        x += TextWidth(m_tabs->Get(i)) + 9;
        overflow = x > RowWidth() - m_endMargin;
    }
    const int w = m_endMargin + 12;
    m_scroller->SetBounds(RowWidth() - w, 0, w, std::min(m_tabHeight, m_height));
    m_scroller->SetRange(std::max(m_tabs->Count() - 1, 0), m_firstIndex);
    m_scroller->SetVisible(overflow);
}

TTabSet::~TTabSet() { m_tabs->OnChange = nullptr; }

void TTabSet::SetTabs(TStrings* tabs) {
    if (tabs && tabs != m_tabs.get()) m_tabs->Assign(*tabs);
}

void TTabSet::SetTabIndex(int32_t index) {
    if (!IsLoading() && (index < -1 || index >= m_tabs->Count())) index = -1;
    if (index == m_tabIndex) return;
    m_tabIndex = index;
    Invalidate();
}

void TTabSet::Loaded() {
    TCustomControl::Loaded();
    if (m_tabIndex < -1 || m_tabIndex >= m_tabs->Count()) m_tabIndex = -1;
    m_firstIndex = std::clamp(m_firstIndex, 0, std::max(m_tabs->Count() - 1, 0));
    UpdateScroller();
}

void TTabSet::SetSelectedColor(TColor v) {
    m_selectedColor = v;
    Invalidate();
}

void TTabSet::SetUnselectedColor(TColor v) {
    m_unselectedColor = v;
    Invalidate();
}

void TTabSet::SetBackgroundColor(TColor v) {
    m_backgroundColor = v;
    Invalidate();
}

void TTabSet::SetStartMargin(int32_t v) {
    m_startMargin = std::max(v, 0);
    UpdateScroller();
    Invalidate();
}

void TTabSet::SetTabHeight(int32_t v) {
    m_tabHeight = std::max(v, 4);
    Invalidate();
}

int TTabSet::TextWidth(const std::string& s) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SIZE size{};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

TRect TTabSet::ItemRect(int index) {
    if (index < m_firstIndex || index >= m_tabs->Count()) return TRect{};
    const int room = RowWidth() - m_endMargin - (m_scroller && m_scroller->Visible() ? 12 : 0);
    int x = m_startMargin;
    for (int i = m_firstIndex; i <= index; ++i) {
        const int w = TextWidth(m_tabs->Get(i)) + 9;
        if (x + w > room) {
            if (i == index) return TRect{};
            continue;
        }
        if (i == index) return TRect{x, 0, x + w, std::min(m_tabHeight, m_height)};
        x += w;
    }
    return TRect{};
}

bool TTabSet::TabShown(int index) {
    const TRect r = ItemRect(index);
    return r.right > r.left;
}

int TTabSet::ItemAtPos(TPoint p) {
    for (int i = m_firstIndex; i < m_tabs->Count(); ++i) {
        RECT r = ItemRect(i);
        if (PtInRect(&r, p)) return i;
    }
    return -1;
}

bool TTabSet::CanChange(int newTab) {
    bool allow = true;
    OnChange(this, newTab, allow);
    return allow;
}

void TTabSet::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        const int i = ItemAtPos(TPoint{x, y});
        if (i >= 0 && i != m_tabIndex && CanChange(i)) {
            m_tabIndex = i;
            Invalidate();
            Click();
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TTabSet::Paint() {
    TCanvas* cv = Canvas();
    HDC dc = cv->Handle();
    cv->Brush()->SetColor(m_backgroundColor);
    cv->FillRect(ClientRect());
    const int w = ClientWidth();
    HPEN shadow = CreatePen(PS_SOLID, 1, ColorToRGB(clBtnShadow));
    HPEN dark = CreatePen(PS_SOLID, 1, ColorToRGB(clWindowText));
    HGDIOBJ oldPen = SelectObject(dc, dark);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, w, 0);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, Font()->Handle());
    SetTextColor(dc, ColorToRGB(Font()->Color()));
    // Unselected first, so the selected tab covers its neighbours' slopes.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < m_tabs->Count(); ++i) {
            const bool selected = i == m_tabIndex;
            if (selected != (pass == 1)) continue;
            const RECT r = ItemRect(i);
            if (r.right <= r.left) continue;
            const POINT pts[4] = {{r.left, 0}, {r.left + 3, r.bottom - 1}, {r.right - 3, r.bottom - 1}, {r.right, 0}};
            HBRUSH fill = CreateSolidBrush(ColorToRGB(selected ? m_selectedColor : m_unselectedColor));
            HGDIOBJ oldBrush = SelectObject(dc, fill);
            Polygon(dc, pts, 4);
            SelectObject(dc, oldBrush);
            DeleteObject(fill);
            if (selected) {
                // Open towards the page above.
                SelectObject(dc, shadow);
                MoveToEx(dc, r.left + 1, 0, nullptr);
                LineTo(dc, r.right, 0);
                SelectObject(dc, dark);
            }
            RECT text = r;
            const std::string s = m_tabs->Get(i);
            DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &text,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPen);
    DeleteObject(shadow);
    DeleteObject(dark);
}
