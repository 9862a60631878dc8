// List views, header controls, tool bars and the control bar.
#include <algorithm>

#include "classlib/ComCtrls.h"

namespace {

template <class T>
T* ItemAt(const std::vector<T*>& v, int index) {
    if (index < 0 || index >= static_cast<int>(v.size())) throw EListError(Format("List index out of bounds (%d)", index));
    return v[static_cast<size_t>(index)];
}

template <class T>
int IndexIn(const std::vector<T*>& v, const T* item) {
    auto it = std::find(v.begin(), v.end(), item);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

int ColumnFormat(TAlignment a) {
    switch (a) {
        case taRightJustify: return LVCFMT_RIGHT;
        case taCenter: return LVCFMT_CENTER;
        default: return LVCFMT_LEFT;
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// List view columns and items

DP_PUBLISHED(TListColumn){
    DP_PROP_STR(Caption, Caption, SetCaption),
    DP_PROP_INT(Width, Width, SetWidth),
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
};

TListColumn::~TListColumn() {
    if (m_view) m_view->Detach(this);
}

int TListColumn::Index() const { return m_view ? IndexIn(m_view->m_columns, this) : -1; }
TComponent* TListColumn::GetParentComponent() const { return m_view; }

void TListColumn::SetParentComponent(TComponent* parent) {
    auto* view = DynamicAs<TListView>(parent);
    if (parent && !view) throw EComponentError("A list column belongs inside a list view");
    if (view == m_view) return;
    if (m_view) m_view->Detach(this);
    if (view) view->Attach(this);
}

void TListColumn::SetCaption(const std::string& v) {
    m_caption = v;
    if (m_view) m_view->ColumnChanged(this);
}

void TListColumn::SetWidth(int32_t v) {
    m_width = v;
    if (m_view) m_view->ColumnChanged(this);
}

void TListColumn::SetAlignment(TAlignment v) {
    m_alignment = v;
    if (m_view) m_view->ColumnChanged(this);
}

DP_PUBLISHED(TListItem){
    DP_PROP_STR(Caption, Caption, SetCaption),
    DP_PROP_STRINGS(SubItems, SubItems, SetSubItems),
    DP_PROP_INT(ImageIndex, ImageIndex, SetImageIndex),
};

TListItem::TListItem(TComponent* owner) : TComponent(owner), m_subItems(std::make_unique<TStringList>()) {
    m_subItems->OnChange = [this] { Changed(); };
}

TListItem::~TListItem() {
    m_subItems->OnChange = nullptr;
    if (m_view) m_view->Detach(this);
}

int TListItem::Index() const { return m_view ? IndexIn(m_view->m_items, this) : -1; }
TComponent* TListItem::GetParentComponent() const { return m_view; }

void TListItem::SetParentComponent(TComponent* parent) {
    auto* view = DynamicAs<TListView>(parent);
    if (parent && !view) throw EComponentError("A list item belongs inside a list view");
    if (view == m_view) return;
    if (m_view) m_view->Detach(this);
    if (view) view->Attach(this);
}

void TListItem::Changed() {
    if (m_view) m_view->ItemChanged(this);
}

void TListItem::SetCaption(const std::string& v) {
    m_caption = v;
    Changed();
}

void TListItem::SetSubItems(TStrings* v) {
    if (v && v != m_subItems.get()) m_subItems->Assign(*v);
}

void TListItem::SetImageIndex(int32_t v) {
    m_imageIndex = v;
    Changed();
}

bool TListItem::Selected() {
    if (m_view && m_view->HandleAllocated())
        m_selected = SendMessageA(m_view->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_SELECTED) != 0;
    return m_selected;
}

void TListItem::SetSelected(bool v) {
    m_selected = v;
    if (m_view && m_view->HandleAllocated()) {
        LVITEMA it{};
        it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        it.state = v ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        const bool filling = m_view->m_filling;
        m_view->m_filling = true;
        SendMessageA(m_view->Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&it));
        m_view->m_filling = filling;
    }
}

// ---------------------------------------------------------------------------
// List view

DP_PUBLISHED(TListView){
    DP_PROP_ENUM(ViewStyle, ViewStyle, SetViewStyle),
    DP_PROP_BOOL(RowSelect, RowSelect, SetRowSelect),
    DP_PROP_BOOL(GridLines, GridLines, SetGridLines),
    DP_PROP_BOOL(ReadOnly, ReadOnly, SetReadOnly),
    DP_PROP_BOOL(MultiSelect, MultiSelect, SetMultiSelect),
    DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle),
    DP_PROP_INT(ItemIndex, ItemIndex, SetItemIndex),
    DP_PROP_FIELD(OnSelectItem, OnSelectItem),
};

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    m_width = 250;
    m_height = 150;
    m_tabStop = true;
    m_color = clWindow;
}

TListView::~TListView() {
    for (TListColumn* c : m_columns) c->m_view = nullptr;
    for (TListItem* i : m_items) i->m_view = nullptr;
    m_columns.clear();
    m_items.clear();
}

TListColumn* TListView::Columns(int index) const { return ItemAt(m_columns, index); }
TListItem* TListView::Items(int index) const { return ItemAt(m_items, index); }

TListColumn* TListView::AddColumn() {
    auto* c = new TListColumn(this);
    Attach(c);
    return c;
}

TListItem* TListView::AddItem() {
    auto* i = new TListItem(this);
    Attach(i);
    return i;
}

void TListView::ClearItems() {
    std::vector<TListItem*> old;
    old.swap(m_items);
    if (HandleAllocated()) SendMessageA(m_handle, LVM_DELETEALLITEMS, 0, 0);
    for (TListItem* i : old) {
        i->m_view = nullptr;
        delete i;
    }
}

void TListView::Attach(TListColumn* c) {
    c->m_view = this;
    m_columns.push_back(c);
    if (HandleAllocated()) FillColumns();
}

void TListView::Detach(TListColumn* c) {
    const int i = IndexIn(m_columns, c);
    c->m_view = nullptr;
    if (i < 0) return;
    m_columns.erase(m_columns.begin() + i);
    if (HandleAllocated() && !ComponentState().Contains(csDestroying))
        SendMessageA(m_handle, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
}

void TListView::Attach(TListItem* item) {
    item->m_view = this;
    m_items.push_back(item);
    if (HandleAllocated()) InsertItemWindow(ItemCount() - 1);
}

void TListView::Detach(TListItem* item) {
    const int i = IndexIn(m_items, item);
    item->m_view = nullptr;
    if (i < 0) return;
    m_items.erase(m_items.begin() + i);
    if (HandleAllocated() && !ComponentState().Contains(csDestroying))
        SendMessageA(m_handle, LVM_DELETEITEM, static_cast<WPARAM>(i), 0);
}

void TListView::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_LISTVIEW_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, WC_LISTVIEWA);
    p.Style |= LVS_SHAREIMAGELISTS;
    switch (m_viewStyle) {
        case vsIcon: p.Style |= LVS_ICON; break;
        case vsSmallIcon: p.Style |= LVS_SMALLICON; break;
        case vsList: p.Style |= LVS_LIST; break;
        case vsReport: p.Style |= LVS_REPORT; break;
    }
    if (!m_multiSelect) p.Style |= LVS_SINGLESEL;
    if (!m_readOnly) p.Style |= LVS_EDITLABELS;
    if (m_borderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListView::CreateHandleState() {
    DWORD ex = 0;
    if (m_rowSelect) ex |= LVS_EX_FULLROWSELECT;
    if (m_gridLines) ex |= LVS_EX_GRIDLINES;
    SendMessageA(m_handle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, ex);
    FillColumns();
    FillItems();
}

void TListView::DestroyWnd() {
    for (int i = 0; i < ItemCount(); ++i)
        m_items[static_cast<size_t>(i)]->m_selected =
            SendMessageA(m_handle, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_SELECTED) != 0;
    TWinControl::DestroyWnd();
}

void TListView::FillColumns() {
    while (SendMessageA(m_handle, LVM_DELETECOLUMN, 0, 0)) {
    }
    for (int i = 0; i < ColumnCount(); ++i) {
        const TListColumn* c = m_columns[static_cast<size_t>(i)];
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.fmt = ColumnFormat(c->m_alignment);
        col.cx = c->m_width;
        col.pszText = const_cast<char*>(c->m_caption.c_str());
        col.iSubItem = i;
        SendMessageA(m_handle, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
    }
}

void TListView::FillItems() {
    m_filling = true;
    SendMessageA(m_handle, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < ItemCount(); ++i) InsertItemWindow(i);
    m_filling = false;
}

void TListView::InsertItemWindow(int index) {
    TListItem* item = m_items[static_cast<size_t>(index)];
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    it.iItem = index;
    it.pszText = const_cast<char*>(item->m_caption.c_str());
    it.iImage = item->m_imageIndex;
    it.stateMask = LVIS_SELECTED;
    it.state = item->m_selected ? LVIS_SELECTED : 0;
    const bool filling = m_filling;
    m_filling = true;
    SendMessageA(m_handle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
    m_filling = filling;
    ItemChanged(item);
}

void TListView::ColumnChanged(TListColumn* c) {
    if (!HandleAllocated()) return;
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.fmt = ColumnFormat(c->m_alignment);
    col.cx = c->m_width;
    col.pszText = const_cast<char*>(c->m_caption.c_str());
    SendMessageA(m_handle, LVM_SETCOLUMNA, static_cast<WPARAM>(c->Index()), reinterpret_cast<LPARAM>(&col));
}

void TListView::ItemChanged(TListItem* item) {
    if (!HandleAllocated()) return;
    const int index = item->Index();
    if (index < 0) return;
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.iItem = index;
    it.pszText = const_cast<char*>(item->m_caption.c_str());
    it.iImage = item->m_imageIndex;
    SendMessageA(m_handle, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    for (int j = 0; j < item->m_subItems->Count(); ++j) {
        const std::string s = item->m_subItems->Get(j);
        LVITEMA sub{};
        sub.iSubItem = j + 1;
        sub.pszText = const_cast<char*>(s.c_str());
        SendMessageA(m_handle, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
}

int32_t TListView::ItemIndex() {
    if (HandleAllocated()) return static_cast<int32_t>(SendMessageA(m_handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    for (int i = 0; i < ItemCount(); ++i)
        if (m_items[static_cast<size_t>(i)]->m_selected) return i;
    return -1;
}

void TListView::SetItemIndex(int32_t index) {
    if (index < -1 || index >= ItemCount()) index = -1;
    for (TListItem* i : m_items) i->m_selected = false;
    if (index >= 0) m_items[static_cast<size_t>(index)]->m_selected = true;
    if (!HandleAllocated()) return;
    m_filling = true;
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(m_handle, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    m_filling = false;
    if (index >= 0) {
        m_items[static_cast<size_t>(index)]->SetSelected(true);
        SendMessageA(m_handle, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    }
}

TListItem* TListView::Selected() {
    const int i = ItemIndex();
    return i >= 0 && i < ItemCount() ? m_items[static_cast<size_t>(i)] : nullptr;
}

void TListView::SetSelected(TListItem* item) { SetItemIndex(item ? IndexIn(m_items, item) : -1); }

void TListView::SetViewStyle(TViewStyle v) {
    if (v == m_viewStyle) return;
    m_viewStyle = v;
    RecreateWnd();
}

void TListView::SetRowSelect(bool v) {
    if (v == m_rowSelect) return;
    m_rowSelect = v;
    RecreateWnd();
}

void TListView::SetGridLines(bool v) {
    if (v == m_gridLines) return;
    m_gridLines = v;
    RecreateWnd();
}

void TListView::SetReadOnly(bool v) {
    if (v == m_readOnly) return;
    m_readOnly = v;
    RecreateWnd();
}

void TListView::SetMultiSelect(bool v) {
    if (v == m_multiSelect) return;
    m_multiSelect = v;
    RecreateWnd();
}

void TListView::SetBorderStyle(TBorderStyle v) {
    if (v == m_borderStyle) return;
    m_borderStyle = v;
    RecreateWnd();
}

HWND TListView::HeaderHandle() {
    return reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
}

void TListView::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(m.LParam);
            m.Result = 0;
            if ((nm->uChanged & LVIF_STATE) && ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED) && nm->iItem >= 0 &&
                nm->iItem < ItemCount()) {
                TListItem* item = m_items[static_cast<size_t>(nm->iItem)];
                item->m_selected = (nm->uNewState & LVIS_SELECTED) != 0;
                if (!m_filling) OnSelectItem(this, item, item->m_selected);
            }
            return;
        }
        if (hdr->code == static_cast<UINT>(LVN_ENDLABELEDITA)) {
            auto* nm = reinterpret_cast<NMLVDISPINFOA*>(m.LParam);
            m.Result = 0;
            if (nm->item.pszText && nm->item.iItem >= 0 && nm->item.iItem < ItemCount()) {
                m_items[static_cast<size_t>(nm->item.iItem)]->m_caption = nm->item.pszText;
                m.Result = TRUE;
            }
            return;
        }
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Header control

DP_PUBLISHED(THeaderSection){
    DP_PROP_STR(Text, Text, SetText),
    DP_PROP_INT(Width, Width, SetWidth),
    DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
};

THeaderSection::~THeaderSection() {
    if (m_header) m_header->Detach(this);
}

int THeaderSection::Index() const { return m_header ? IndexIn(m_header->m_sections, this) : -1; }
TComponent* THeaderSection::GetParentComponent() const { return m_header; }

void THeaderSection::SetParentComponent(TComponent* parent) {
    auto* header = DynamicAs<THeaderControl>(parent);
    if (parent && !header) throw EComponentError("A header section belongs inside a header control");
    if (header == m_header) return;
    if (m_header) m_header->Detach(this);
    if (header) header->Attach(this);
}

void THeaderSection::SetText(const std::string& v) {
    m_text = v;
    if (m_header) m_header->SectionChanged(this);
}

void THeaderSection::SetWidth(int32_t v) {
    m_width = std::max(v, 0);
    if (m_header) m_header->SectionChanged(this);
}

void THeaderSection::SetAlignment(TAlignment v) {
    m_alignment = v;
    if (m_header) m_header->SectionChanged(this);
}

DP_PUBLISHED(THeaderControl){
    DP_PROP_FIELD(OnSectionClick, OnSectionClick),
    DP_PROP_FIELD(OnSectionResize, OnSectionResize),
};

THeaderControl::THeaderControl(TComponent* owner) : TWinControl(owner) {
    m_width = 300;
    m_height = 17;
    m_color = clBtnFace;
    SetAlign(alTop);
}

THeaderControl::~THeaderControl() {
    for (THeaderSection* s : m_sections) s->m_header = nullptr;
    m_sections.clear();
}

THeaderSection* THeaderControl::Sections(int index) const { return ItemAt(m_sections, index); }

THeaderSection* THeaderControl::AddSection() {
    auto* s = new THeaderSection(this);
    Attach(s);
    return s;
}

void THeaderControl::Attach(THeaderSection* s) {
    s->m_header = this;
    m_sections.push_back(s);
    if (HandleAllocated()) Fill();
}

void THeaderControl::Detach(THeaderSection* s) {
    const int i = IndexIn(m_sections, s);
    s->m_header = nullptr;
    if (i < 0) return;
    m_sections.erase(m_sections.begin() + i);
    if (HandleAllocated() && !ComponentState().Contains(csDestroying))
        SendMessageA(m_handle, HDM_DELETEITEM, static_cast<WPARAM>(i), 0);
}

void THeaderControl::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_LISTVIEW_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, WC_HEADERA);
    p.Style |= HDS_BUTTONS | HDS_HORZ;
}

void THeaderControl::CreateHandleState() { Fill(); }

namespace {
HDITEMA SectionItem(const THeaderSection* s) {
    HDITEMA it{};
    it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    it.cxy = s->Width();
    it.pszText = const_cast<char*>(s->Text().c_str());
    it.fmt = HDF_STRING | (s->Alignment() == taCenter ? HDF_CENTER : s->Alignment() == taRightJustify ? HDF_RIGHT : HDF_LEFT);
    return it;
}
}  // namespace

void THeaderControl::Fill() {
    while (SendMessageA(m_handle, HDM_GETITEMCOUNT, 0, 0) > 0) SendMessageA(m_handle, HDM_DELETEITEM, 0, 0);
    for (int i = 0; i < SectionCount(); ++i) {
        HDITEMA it = SectionItem(m_sections[static_cast<size_t>(i)]);
        SendMessageA(m_handle, HDM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
    }
}

void THeaderControl::SectionChanged(THeaderSection* s) {
    if (!HandleAllocated()) return;
    HDITEMA it = SectionItem(s);
    SendMessageA(m_handle, HDM_SETITEMA, static_cast<WPARAM>(s->Index()), reinterpret_cast<LPARAM>(&it));
}

TRect THeaderControl::SectionRect(int index) {
    RECT r{};
    if (!HandleAllocated() || !SendMessageA(m_handle, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
        return TRect{};
    return r;
}

void THeaderControl::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* nm = reinterpret_cast<NMHEADERA*>(m.LParam);
        const UINT code = nm->hdr.code;
        const bool inRange = nm->iItem >= 0 && nm->iItem < SectionCount();
        if (code == static_cast<UINT>(HDN_ITEMCLICKA) || code == static_cast<UINT>(HDN_ITEMCLICKW)) {
            m.Result = 0;
            if (inRange) OnSectionClick(this, m_sections[static_cast<size_t>(nm->iItem)]);
            return;
        }
        if (code == static_cast<UINT>(HDN_ENDTRACKA) || code == static_cast<UINT>(HDN_ENDTRACKW) ||
            code == static_cast<UINT>(HDN_ITEMCHANGEDA) || code == static_cast<UINT>(HDN_ITEMCHANGEDW)) {
            m.Result = 0;
            if (inRange && nm->pitem && (nm->pitem->mask & HDI_WIDTH)) {
                THeaderSection* s = m_sections[static_cast<size_t>(nm->iItem)];
                if (s->m_width != nm->pitem->cxy) {
                    s->m_width = nm->pitem->cxy;
                    OnSectionResize(this, s);
                }
            }
            return;
        }
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
        SendMessageA(m_toolBar->Handle(), TB_CHECKBUTTON, static_cast<WPARAM>(m_command), MAKELPARAM(v ? TRUE : FALSE, 0));
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
    if (!HandleAllocated() || !SendMessageA(m_handle, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
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
