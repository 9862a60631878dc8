#include "classlib/Bars.h"

#include <algorithm>

#include "classlib/Forms.h"
#include "classlib/OwnedItems.h"

// ---------------------------------------------------------------------------
// Status bar

DP_PUBLISHED(TStatusPanel){
    DP_PROP_STR(Text, Text, SetText),
    DP_PROP_INT(Width, Width, SetWidth),
    DP_PROP_ENUM(Style, Style, SetStyle),
    DP_PROP_ENUM(Bevel, Bevel, SetBevel),
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
};

TStatusPanel::TStatusPanel(TComponent* owner) : TComponent(owner) {}

TStatusPanel::~TStatusPanel() {
    if (m_bar) m_bar->Detach(this);
}

int TStatusPanel::Index() const { return m_bar ? m_bar->m_panels.IndexOf(this) : -1; }

TComponent* TStatusPanel::GetParentComponent() const { return m_bar; }

void TStatusPanel::SetParentComponent(TComponent* parent) {
    auto* bar = DynamicAs<TStatusBar>(parent);
    if (parent && !bar) throw EComponentError("A status panel belongs inside a status bar");
    if (bar == m_bar) return;
    if (m_bar) m_bar->Detach(this);
    if (bar) bar->Attach(this);
}

void TStatusPanel::Changed(bool widths) {
    if (!m_bar) return;
    if (widths)
        m_bar->UpdatePanels();
    else
        m_bar->UpdatePanelText(Index());
}

void TStatusPanel::SetText(const std::string& v) {
    if (v == m_text) return;
    m_text = v;
    Changed(false);
}

void TStatusPanel::SetWidth(int32_t v) {
    if (v < 0) v = 0;
    if (v == m_width) return;
    m_width = v;
    Changed(true);
}

void TStatusPanel::SetStyle(TStatusPanelStyle v) {
    m_style = v;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel v) {
    m_bevel = v;
    Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment v) {
    m_alignment = v;
    Changed(false);
}

DP_PUBLISHED(TStatusBar){
    DP_PROP_BOOL(SimplePanel, SimplePanel, SetSimplePanel),
    DP_PROP_STR(SimpleText, SimpleText, SetSimpleText),
    DP_PROP_BOOL(SizeGrip, SizeGrip, SetSizeGrip),
    DP_PROP_FIELD(OnDrawPanel, OnDrawPanel),
};

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner), m_canvas(std::make_unique<TCanvas>()) {
    m_width = 150;
    m_height = 19;
    m_color = clBtnFace;
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() { m_panels.Release(); }

TStatusPanel* TStatusBar::Panels(int index) const { return m_panels.At(index); }

TStatusPanel* TStatusBar::AddPanel() {
    auto* p = new TStatusPanel(this);
    Attach(p);
    return p;
}

void TStatusBar::ClearPanels() {
    std::vector<TStatusPanel*> old = m_panels.Take();
    for (TStatusPanel* p : old) {
        p->m_bar = nullptr;
        delete p;
    }
    UpdatePanels();
}

void TStatusBar::Attach(TStatusPanel* p) {
    m_panels.Attach(this, p);
    UpdatePanels();
}

void TStatusBar::Detach(TStatusPanel* p) {
    m_panels.Detach(p);
    if (!ComponentState().Contains(csDestroying)) UpdatePanels();
}

void TStatusBar::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_BAR_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, STATUSCLASSNAMEA);
    // Placed by Align like any control, not by the window itself.
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (m_sizeGrip) p.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateHandleState() {
    UpdatePanels();
    SendMessageA(m_handle, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(m_simpleText.c_str()));
    SendMessageA(m_handle, SB_SIMPLE, m_simplePanel, 0);
}

void TStatusBar::UpdatePanels() {
    if (!HandleAllocated()) return;
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        x += m_panels[i]->m_width;
        edges.push_back(i + 1 == m_panels.size() ? -1 : x);  // the last one takes the rest
    }
    if (edges.empty()) edges.push_back(-1);
    SendMessageA(m_handle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    if (m_panels.empty()) SendMessageA(m_handle, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
    for (int i = 0; i < PanelCount(); ++i) UpdatePanelText(i);
}

void TStatusBar::UpdatePanelText(int index) {
    if (!HandleAllocated() || index < 0 || index >= PanelCount()) return;
    const TStatusPanel* p = m_panels[static_cast<size_t>(index)];
    WPARAM flags = static_cast<WPARAM>(index);
    if (p->m_bevel == pbNone) flags |= SBT_NOBORDERS;
    if (p->m_bevel == pbRaised) flags |= SBT_POPOUT;
    if (p->m_style == psOwnerDraw) {
        SendMessageA(m_handle, SB_SETTEXTA, flags | SBT_OWNERDRAW, 0);
        return;
    }
    std::string text = p->m_text;
    if (p->m_alignment == taCenter) text = "\t" + text;
    if (p->m_alignment == taRightJustify) text = "\t\t" + text;
    SendMessageA(m_handle, SB_SETTEXTA, flags, reinterpret_cast<LPARAM>(text.c_str()));
}

void TStatusBar::SetSimplePanel(bool v) {
    m_simplePanel = v;
    if (HandleAllocated()) SendMessageA(m_handle, SB_SIMPLE, v, 0);
}

void TStatusBar::SetSimpleText(const std::string& v) {
    m_simpleText = v;
    if (HandleAllocated()) SendMessageA(m_handle, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(v.c_str()));
}

void TStatusBar::SetSizeGrip(bool v) {
    if (v == m_sizeGrip) return;
    m_sizeGrip = v;
    RecreateWnd();
}

TRect TStatusBar::PanelRect(int index) { return ItemRectOf(HandleAllocated() ? m_handle : nullptr, SB_GETRECT, index); }

void TStatusBar::DrawPanel(TStatusPanel* panel, const TRect& rect) {
    if (OnDrawPanel)
        OnDrawPanel(this, panel, rect);
    else
        m_canvas->FillRect(rect);
}

void TStatusBar::WndProc(TMessage& m) {
    if (m.Msg == CN_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        const int index = static_cast<int>(di->itemID);
        if (index >= 0 && index < PanelCount()) {
            const int saved = SaveDC(di->hDC);
            m_canvas->SetHandle(di->hDC);
            try {
                m_canvas->Font()->Assign(Font());
                m_canvas->Brush()->SetColor(m_color);
                DrawPanel(m_panels[static_cast<size_t>(index)], di->rcItem);
            } catch (...) {
                m_canvas->SetHandle(nullptr);
                RestoreDC(di->hDC, saved);
                throw;
            }
            m_canvas->SetHandle(nullptr);
            RestoreDC(di->hDC, saved);
        }
        m.Result = TRUE;
        return;
    }
    TWinControl::WndProc(m);
}
// ---------------------------------------------------------------------------
// Tool bar

DP_PUBLISHED(TToolButton){
    DP_PROP_ENUM(Style, Style, SetStyle),
    DP_PROP_INT(ImageIndex, ImageIndex, SetImageIndex),
    DP_PROP_BOOL(Down, Down, SetDown),
    DP_PROP_BOOL(Grouped, Grouped, SetGrouped),
};

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    m_width = 23;
    m_height = 22;
}

TToolButton::~TToolButton() {
    if (m_toolBar) m_toolBar->RemoveButton(this);
    m_toolBar = nullptr;
}

int TToolButton::Index() const { return m_toolBar ? IndexIn(m_toolBar->m_buttons, this) : -1; }

void TToolButton::SetParent(TWinControl* parent) {
    TGraphicControl::SetParent(parent);
    auto* bar = DynamicAs<TToolBar>(parent);
    if (bar == m_toolBar) return;
    if (m_toolBar) m_toolBar->RemoveButton(this);
    m_toolBar = bar;
    if (bar) bar->AddButton(this);
}

void TToolButton::Click() { TGraphicControl::Click(); }

void TToolButton::SetStyle(TToolButtonStyle v) {
    if (v == m_style) return;
    m_style = v;
    if (m_toolBar) m_toolBar->Rebuild();
}

void TToolButton::SetImageIndex(int32_t v) {
    m_imageIndex = v;
    if (m_toolBar) m_toolBar->Rebuild();
}

bool TToolButton::Down() {
    if (m_toolBar && m_toolBar->HandleAllocated())
        m_down = SendMessageA(m_toolBar->Handle(), TB_ISBUTTONCHECKED, static_cast<WPARAM>(m_command), 0) != 0;
    return m_down;
}

void TToolButton::SetDown(bool v) {
    m_down = v;
    if (m_toolBar && m_toolBar->HandleAllocated())
        SendMessageA(m_toolBar->Handle(), TB_CHECKBUTTON, static_cast<WPARAM>(m_command),
                     MAKELPARAM(v ? TRUE : FALSE, 0));
}

void TToolButton::SetGrouped(bool v) {
    m_grouped = v;
    if (m_toolBar) m_toolBar->Rebuild();
}

void TToolButton::TextChanged() {
    TGraphicControl::TextChanged();
    if (m_toolBar) m_toolBar->Rebuild();
}

void TToolButton::EnabledChanged() {
    TGraphicControl::EnabledChanged();
    if (m_toolBar && m_toolBar->HandleAllocated())
        SendMessageA(m_toolBar->Handle(), TB_ENABLEBUTTON, static_cast<WPARAM>(m_command), MAKELPARAM(m_enabled, 0));
}

void TToolButton::VisibleChanged() {
    TGraphicControl::VisibleChanged();
    if (m_toolBar && m_toolBar->HandleAllocated()) {
        SendMessageA(m_toolBar->Handle(), TB_HIDEBUTTON, static_cast<WPARAM>(m_command), MAKELPARAM(!m_visible, 0));
        m_toolBar->UpdateButtonPlaces();
    }
}

DP_PUBLISHED(TToolBar){
    DP_PROP_BOOL(ShowCaptions, ShowCaptions, SetShowCaptions),
    DP_PROP_BOOL(Flat, Flat, SetFlat),
    DP_PROP_BOOL(List, List, SetList),
    DP_PROP_INT(ButtonWidth, ButtonWidth, SetButtonWidth),
    DP_PROP_INT(ButtonHeight, ButtonHeight, SetButtonHeight),
};

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
    m_width = 150;
    m_height = 29;
    m_color = clBtnFace;
    SetAlign(alTop);
}

TToolBar::~TToolBar() {
    for (TToolButton* b : m_buttons) b->m_toolBar = nullptr;
    m_buttons.clear();
}

TToolButton* TToolBar::Buttons(int index) const { return ItemAt(m_buttons, index); }

void TToolBar::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_BAR_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, TOOLBARCLASSNAMEA);
    // Placed by Align like any control.
    p.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (m_flat) p.Style |= TBSTYLE_FLAT;
    if (m_list) p.Style |= TBSTYLE_LIST;
}

void TToolBar::CreateHandleState() {
    SendMessageA(m_handle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(m_handle, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    Rebuild();
}

void TToolBar::AddButton(TToolButton* b) {
    b->m_command = m_nextCommand++;
    m_buttons.push_back(b);
    Rebuild();
}

void TToolBar::RemoveButton(TToolButton* b) {
    const int i = IndexIn(m_buttons, b);
    if (i < 0) return;
    m_buttons.erase(m_buttons.begin() + i);
    if (HandleAllocated() && !ComponentState().Contains(csDestroying)) {
        SendMessageA(m_handle, TB_DELETEBUTTON, static_cast<WPARAM>(i), 0);
        UpdateButtonPlaces();
    }
}

void TToolBar::Rebuild() {
    if (!HandleAllocated() || m_rebuilding) return;
    m_rebuilding = true;
    while (SendMessageA(m_handle, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(m_handle, TB_DELETEBUTTON, 0, 0);
    if (!m_showCaptions) SendMessageA(m_handle, TB_SETBUTTONSIZE, 0, MAKELPARAM(m_buttonWidth, m_buttonHeight));
    std::vector<std::string> captions;
    captions.reserve(m_buttons.size());
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        TToolButton* b = m_buttons[i];
        captions.push_back(b->Caption());
        TBBUTTON tb{};
        tb.idCommand = b->m_command;
        tb.iBitmap = b->m_imageIndex >= 0 ? b->m_imageIndex : I_IMAGENONE;
        tb.fsState = static_cast<BYTE>((b->m_enabled ? TBSTATE_ENABLED : 0) | (b->m_down ? TBSTATE_CHECKED : 0) |
                                       (b->m_visible ? 0 : TBSTATE_HIDDEN));
        switch (b->m_style) {
            case tbsButton: tb.fsStyle = BTNS_BUTTON; break;
            case tbsCheck: tb.fsStyle = BTNS_CHECK | (b->m_grouped ? BTNS_GROUP : 0); break;
            case tbsDropDown: tb.fsStyle = BTNS_DROPDOWN; break;
            case tbsSeparator:
            case tbsDivider:
                tb.fsStyle = BTNS_SEP;
                tb.iBitmap = b->m_width > 0 && b->m_width < 100 ? b->m_width : 8;
                break;
        }
        tb.iString = m_showCaptions && tb.fsStyle != BTNS_SEP ? reinterpret_cast<INT_PTR>(captions.back().c_str()) : -1;
        SendMessageA(m_handle, TB_INSERTBUTTONA, i, reinterpret_cast<LPARAM>(&tb));
    }
    SendMessageA(m_handle, TB_AUTOSIZE, 0, 0);
    m_rebuilding = false;
    UpdateButtonPlaces();
}

void TToolBar::UpdateButtonPlaces() {
    if (!HandleAllocated()) return;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        RECT r{};
        if (!SendMessageA(m_handle, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r))) continue;
        TToolButton* b = m_buttons[i];
        b->m_left = r.left;
        b->m_top = r.top;
        b->m_width = r.right - r.left;
        b->m_height = r.bottom - r.top;
    }
}

TRect TToolBar::ButtonRect(int index) {
    RECT r{};
    if (!HandleAllocated() ||
        !SendMessageA(m_handle, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
        return TRect{};
    return r;
}

void TToolBar::AlignControls(TControl* control, TRect& rect) {
    (void)control;
    (void)rect;
    UpdateButtonPlaces();  // the buttons are placed by the bar's window
}

TToolButton* TToolBar::FindCommand(int id) const {
    for (TToolButton* b : m_buttons)
        if (b->m_command == id) return b;
    return nullptr;
}

void TToolBar::SetShowCaptions(bool v) {
    if (v == m_showCaptions) return;
    m_showCaptions = v;
    RecreateWnd();
}

void TToolBar::SetFlat(bool v) {
    if (v == m_flat) return;
    m_flat = v;
    RecreateWnd();
}

void TToolBar::SetList(bool v) {
    if (v == m_list) return;
    m_list = v;
    RecreateWnd();
}

void TToolBar::SetButtonWidth(int32_t v) {
    m_buttonWidth = v;
    Rebuild();
}

void TToolBar::SetButtonHeight(int32_t v) {
    m_buttonHeight = v;
    Rebuild();
}

void TToolBar::WndProc(TMessage& m) {
    switch (m.Msg) {
        case CN_COMMAND:
            if (TToolButton* b = FindCommand(LOWORD(m.WParam))) {
                if (b->m_style == tbsCheck) b->Down();
                b->Click();
            }
            m.Result = 0;
            return;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEMOVE:
            // The bar's window presses its own buttons: no routing to the button controls.
            DefaultHandler(m);
            return;
        case WM_SIZE:
            TWinControl::WndProc(m);
            UpdateButtonPlaces();
            return;
        default: break;
    }
    TWinControl::WndProc(m);
}
// ---------------------------------------------------------------------------
// Control bar

DP_PUBLISHED(TControlBar){
    DP_PROP_INT(RowSize, RowSize, SetRowSize),
    DP_PROP_BOOL(RowSnap, RowSnap, SetRowSnap),
};

TControlBar::TControlBar(TComponent* owner) : TCustomControl(owner) {
    m_width = 100;
    m_height = 50;
    m_color = clBtnFace;
    m_controlStyle += csAcceptsControls;
}

void TControlBar::SetRowSize(int32_t v) {
    m_rowSize = std::max(v, 1);
    Realign();
}

void TControlBar::AlignControls(TControl* control, TRect& rect) {
    TCustomControl::AlignControls(control, rect);
    if (m_arranging || IsLoading()) return;
    m_arranging = true;
    // Bands keep their row (from their top) and their order within it.
    std::vector<TControl*> bands;
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->Visible() && Controls(i)->Align() == alNone) bands.push_back(Controls(i));
    auto row = [this](TControl* c) { return std::max(0, c->Top()) / m_rowSize; };
    std::stable_sort(bands.begin(), bands.end(), [&](TControl* a, TControl* b) {
        return row(a) != row(b) ? row(a) < row(b) : a->Left() < b->Left();
    });
    int currentRow = -1, x = 0;
    for (TControl* c : bands) {
        const int r = row(c);
        if (r != currentRow) {
            currentRow = r;
            x = 2;
        }
        const int left = std::max(x + GrabWidth, c->Left());
        const int top = r * m_rowSize + std::max(0, (m_rowSize - c->Height()) / 2);
        c->SetBounds(left, m_rowSnap ? top : c->Top(), c->Width(), c->Height());
        x = left + c->Width() + 2;
    }
    m_arranging = false;
    Invalidate();
}

void TControlBar::Paint() {
    TCanvas* cv = Canvas();
    cv->Brush()->SetColor(m_color);
    cv->FillRect(ClientRect());
    HDC dc = cv->Handle();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->Align() != alNone) continue;
        // The band's frame and its grab handle: two raised lines.
        RECT band{c->Left() - GrabWidth - 1, c->Top() - 1, c->Left() + c->Width() + 1, c->Top() + c->Height() + 1};
        DrawEdge(dc, &band, BDR_RAISEDINNER, BF_RECT);
        for (int k = 0; k < 2; ++k) {
            RECT grip{band.left + 3 + k * 3, band.top + 2, band.left + 6 + k * 3, band.bottom - 2};
            DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
        }
    }
}
