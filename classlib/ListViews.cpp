#include "classlib/ListViews.h"

#include <algorithm>

#include "classlib/OwnedItems.h"

namespace {

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

int TListColumn::Index() const { return m_view ? m_view->m_columns.IndexOf(this) : -1; }
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

int TListItem::Index() const { return m_view ? m_view->m_items.IndexOf(this) : -1; }
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
    DP_PROP_ENUM(ViewStyle, ViewStyle, SetViewStyle),       DP_PROP_BOOL(RowSelect, RowSelect, SetRowSelect),
    DP_PROP_BOOL(GridLines, GridLines, SetGridLines),       DP_PROP_BOOL(ReadOnly, ReadOnly, SetReadOnly),
    DP_PROP_BOOL(MultiSelect, MultiSelect, SetMultiSelect), DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle),
    DP_PROP_INT(ItemIndex, ItemIndex, SetItemIndex),        DP_PROP_FIELD(OnSelectItem, OnSelectItem),
};

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    m_width = 250;
    m_height = 150;
    m_tabStop = true;
    m_color = clWindow;
}

TListView::~TListView() {
    m_columns.Release();
    m_items.Release();
}

TListColumn* TListView::Columns(int index) const { return m_columns.At(index); }
TListItem* TListView::Items(int index) const { return m_items.At(index); }

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
    std::vector<TListItem*> old = m_items.Take();
    if (HandleAllocated()) SendMessageA(m_handle, LVM_DELETEALLITEMS, 0, 0);
    for (TListItem* i : old) {
        i->m_view = nullptr;
        delete i;
    }
}

void TListView::Attach(TListColumn* c) {
    m_columns.Attach(this, c);
    if (HandleAllocated()) FillColumns();
}

void TListView::Detach(TListColumn* c) {
    const int i = m_columns.Detach(c);
    if (i < 0) return;
    if (HandleAllocated() && !ComponentState().Contains(csDestroying))
        SendMessageA(m_handle, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
}

void TListView::Attach(TListItem* item) {
    m_items.Attach(this, item);
    if (HandleAllocated()) InsertItemWindow(ItemCount() - 1);
}

void TListView::Detach(TListItem* item) {
    const int i = m_items.Detach(item);
    if (i < 0) return;
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
    if (HandleAllocated())
        return static_cast<int32_t>(SendMessageA(m_handle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
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

void TListView::SetSelected(TListItem* item) { SetItemIndex(item ? m_items.IndexOf(item) : -1); }

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

HWND TListView::HeaderHandle() { return reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0)); }

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
