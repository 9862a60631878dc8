#include "classlib/Tabs.h"

#include <algorithm>

DP_PUBLISHED(TTabSet){
    DP_PROP_STRINGS(Tabs, Tabs, SetTabs),
    DP_PROP_INT(TabIndex, TabIndex, SetTabIndex),
    DP_PROP_COLOR(SelectedColor, SelectedColor, SetSelectedColor),
    DP_PROP_COLOR(UnselectedColor, UnselectedColor, SetUnselectedColor),
    DP_PROP_COLOR(BackgroundColor, BackgroundColor, SetBackgroundColor),
    DP_PROP_INT(StartMargin, StartMargin, SetStartMargin),
    DP_PROP_INT(TabHeight, TabHeight, SetTabHeight),
    DP_PROP_FIELD(OnChange, OnChange),
};

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner), m_tabs(std::make_unique<TStringList>()) {
    m_width = 185;
    m_height = 21;
    m_color = clBtnFace;
    m_tabs->OnChange = [this] {
        if (!IsLoading() && m_tabIndex >= m_tabs->Count()) m_tabIndex = m_tabs->Count() - 1;
        Invalidate();
    };
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
    if (index < 0 || index >= m_tabs->Count()) return TRect{};
    int x = m_startMargin;
    for (int i = 0; i < index; ++i) x += TextWidth(m_tabs->Get(i)) + 9;
    return TRect{x, 0, x + TextWidth(m_tabs->Get(index)) + 9, std::min(m_tabHeight, m_height)};
}

int TTabSet::ItemAtPos(TPoint p) {
    for (int i = 0; i < m_tabs->Count(); ++i) {
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
