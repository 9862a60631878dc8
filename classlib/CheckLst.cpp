#include "classlib/CheckLst.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kBox = 13;
}

DP_PUBLISHED(TCheckListBox){
    DP_PROP_BOOL(AllowGrayed, AllowGrayed, SetAllowGrayed),
    DP_PROP_BOOL(Flat, Flat, SetFlat),
    DP_PROP_FIELD(OnClickCheck, OnClickCheck),
};

TCheckListBox::TCheckListBox(TComponent* owner) : TCustomListBox(owner) {}

void TCheckListBox::CreateParams(TCreateParams& p) {
    TCustomListBox::CreateParams(p);
    p.Style &= ~static_cast<DWORD>(LBS_OWNERDRAWVARIABLE);
    p.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
}

TCheckBoxState TCheckListBox::State(int index) const {
    if (index < 0 || index >= Items()->Count()) throw EListError(Format("List index out of bounds (%d)", index));
    const auto v = reinterpret_cast<uintptr_t>(Items()->GetObjectAt(index));
    return v == cbChecked ? cbChecked : v == cbGrayed ? cbGrayed : cbUnchecked;
}

void TCheckListBox::SetState(int index, TCheckBoxState state) {
    if (index < 0 || index >= Items()->Count()) throw EListError(Format("List index out of bounds (%d)", index));
    Items()->PutObject(index, reinterpret_cast<void*>(static_cast<uintptr_t>(state)));
    InvalidateItem(index);
}

void TCheckListBox::SetFlat(bool v) {
    m_flat = v;
    Invalidate();
}

void TCheckListBox::InvalidateItem(int index) {
    if (!HandleAllocated()) return;
    RECT r{};
    if (SendMessageA(m_handle, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(m_handle, &r, FALSE);
}

TRect TCheckListBox::CheckRect(int index) {
    RECT r{};
    if (!HandleAllocated() ||
        SendMessageA(m_handle, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return TRect{};
    const int top = r.top + std::max(0, static_cast<int>(r.bottom - r.top - kBox) / 2);
    return TRect{r.left + 2, top, r.left + 2 + kBox, top + kBox};
}

void TCheckListBox::ToggleByUser(int index) {
    if (index < 0 || index >= Items()->Count() || !Enabled()) return;
    switch (State(index)) {
        case cbUnchecked: SetState(index, m_allowGrayed ? cbGrayed : cbChecked); break;
        case cbGrayed: SetState(index, cbChecked); break;
        case cbChecked: SetState(index, cbUnchecked); break;
    }
    OnClickCheck(this);
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& di) {
    const int index = static_cast<int>(di.itemID);
    HDC dc = di.hDC;
    RECT r = di.rcItem;
    const bool selected = (di.itemState & ODS_SELECTED) != 0;
    HBRUSH back = selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : BrushHandle();
    FillRect(dc, &r, back);
    if (index < 0 || index >= Items()->Count()) return;
    RECT box = CheckRect(index);
    box = RECT{r.left + 2, box.top - r.top + r.top, r.left + 2 + kBox, box.bottom - r.top + r.top};
    UINT state = DFCS_BUTTONCHECK;
    const TCheckBoxState s = State(index);
    if (s == cbChecked) state |= DFCS_CHECKED;
    if (s == cbGrayed) state |= DFCS_CHECKED | DFCS_INACTIVE;
    if (m_flat) state |= DFCS_FLAT;
    RECT white = box;
    FillRect(dc, &white, GetSysColorBrush(COLOR_WINDOW));
    DrawFrameControl(dc, &box, DFC_BUTTON, state);
    RECT text = r;
    text.left = box.right + 4;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(Font()->Color()));
    const std::string item = Items()->Get(index);
    DrawTextA(dc, item.c_str(), static_cast<int>(item.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

void TCheckListBox::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_DRAWITEM:
            DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam));
            m.Result = TRUE;
            return;
        case CN_MEASUREITEM:
            reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)->itemHeight =
                static_cast<UINT>(std::max(m_itemHeight, kBox + 2));
            m.Result = TRUE;
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            TCustomListBox::WndProc(m);
            const TPoint p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
            const int index = ItemAtPos(p, true);
            if (index >= 0) {
                const TRect box = CheckRect(index);
                if (p.x >= box.left - 2 && p.x < box.right + 2) ToggleByUser(index);
            }
            return;
        }
        case WM_CHAR:
            if (m.WParam == ' ') {
                ToggleByUser(ItemIndex());
                m.Result = 0;
                return;
            }
            break;
        default: break;
    }
    TCustomListBox::WndProc(m);
}
