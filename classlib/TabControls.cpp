#include "classlib/TabControls.h"

#include <algorithm>

#include "classlib/Forms.h"
#include "classlib/OwnedItems.h"

// ---------------------------------------------------------------------------
// Tab strings

namespace {
void TabInsert(HWND wnd, int index, const std::string& s) {
    TCITEMA it{};
    it.mask = TCIF_TEXT;
    it.pszText = const_cast<char*>(s.c_str());
    SendMessageA(wnd, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
}
}  // namespace

void TTabStrings::Put(int index, const std::string& s) {
    m_list.Put(index, s);
    if (m_owner->HandleAllocated()) {
        TCITEMA it{};
        it.mask = TCIF_TEXT;
        it.pszText = const_cast<char*>(s.c_str());
        SendMessageA(m_owner->Handle(), TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&it));
        m_owner->Realign();
    }
    Changed();
}

void TTabStrings::Insert(int index, const std::string& s) {
    m_list.Insert(index, s);
    if (m_owner->HandleAllocated()) {
        TabInsert(m_owner->Handle(), index, s);
        m_owner->Realign();
    }
    Changed();
}

void TTabStrings::Delete(int index) {
    m_list.Delete(index);
    if (m_owner->HandleAllocated()) {
        SendMessageA(m_owner->Handle(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
        m_owner->Realign();
    }
    Changed();
}

void TTabStrings::Clear() {
    m_list.Clear();
    if (m_owner->HandleAllocated()) {
        SendMessageA(m_owner->Handle(), TCM_DELETEALLITEMS, 0, 0);
        m_owner->Realign();
    }
    Changed();
}

void TTabStrings::Fill(HWND wnd) {
    SendMessageA(wnd, TCM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < m_list.Count(); ++i) TabInsert(wnd, i, m_list.Get(i));
}

// ---------------------------------------------------------------------------
// Tab control

DP_PUBLISHED(TCustomTabControl){
    DP_PROP_ENUM(Style, Style, SetStyle),
    DP_PROP_ENUM(TabPosition, TabPosition, SetTabPosition),
    DP_PROP_BOOL(MultiLine, MultiLine, SetMultiLine),
    DP_PROP_FIELD(OnChange, OnChange),
    DP_PROP_FIELD(OnChanging, OnChanging),
};
DP_PUBLISHED(TTabControl){
    DP_PROP_STRINGS(Tabs, Tabs, SetTabs),
    DP_PROP_INT(TabIndex, TabIndex, SetTabIndex),
};

TCustomTabControl::TCustomTabControl(TComponent* owner)
    : TWinControl(owner), m_tabs(std::make_unique<TTabStrings>(this)) {
    m_width = 289;
    m_height = 193;
    m_tabStop = true;
    m_color = clBtnFace;
    // The strip and its pages show the colour of what they sit on, as labels and group boxes do.
    m_parentColor = true;
    m_controlStyle += csAcceptsControls;
}

TCustomTabControl::~TCustomTabControl() = default;

void TCustomTabControl::SetTabs(TStrings* tabs) {
    if (tabs && tabs != m_tabs.get()) m_tabs->Assign(*tabs);
}

void TCustomTabControl::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_TAB_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, WC_TABCONTROLA);
    p.Style |= WS_CLIPCHILDREN;
    if (m_style == tsButtons) p.Style |= TCS_BUTTONS;
    if (m_style == tsFlatButtons) p.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    if (m_multiLine) p.Style |= TCS_MULTILINE;
    switch (m_tabPosition) {
        case tpTop: break;
        case tpBottom: p.Style |= TCS_BOTTOM; break;
        case tpLeft: p.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
        case tpRight: p.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
    }
}

void TCustomTabControl::CreateHandleState() {
    m_tabs->Fill(m_handle);
    SendMessageA(m_handle, TCM_SETCURSEL, static_cast<WPARAM>(m_tabIndex), 0);
}

void TCustomTabControl::DestroyWnd() {
    m_tabIndex = static_cast<int32_t>(SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
    TWinControl::DestroyWnd();
}

void TCustomTabControl::Loaded() {
    TWinControl::Loaded();
    if (m_tabIndex < -1 || m_tabIndex >= m_tabs->Count()) m_tabIndex = -1;
    if (HandleAllocated()) SendMessageA(m_handle, TCM_SETCURSEL, static_cast<WPARAM>(m_tabIndex), 0);
}

int32_t TCustomTabControl::TabIndex() {
    if (HandleAllocated()) return static_cast<int32_t>(SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
    return m_tabIndex;
}

void TCustomTabControl::SetTabIndex(int32_t index) {
    if (IsLoading()) {
        m_tabIndex = index;  // the tabs may follow
        return;
    }
    if (index < -1 || index >= m_tabs->Count()) index = -1;
    m_tabIndex = index;
    if (HandleAllocated()) SendMessageA(m_handle, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TCustomTabControl::SetStyle(TTabStyle v) {
    if (v == m_style) return;
    m_style = v;
    RecreateWnd();
}

void TCustomTabControl::SetTabPosition(TTabPosition v) {
    if (v == m_tabPosition) return;
    m_tabPosition = v;
    RecreateWnd();
}

void TCustomTabControl::SetMultiLine(bool v) {
    if (v == m_multiLine) return;
    m_multiLine = v;
    RecreateWnd();
}

TRect TCustomTabControl::DisplayRect() {
    TRect r = ClientRect();
    AdjustClientRect(r);
    return r;
}

void TCustomTabControl::AdjustClientRect(TRect& rect) {
    if (HandleAllocated()) {
        SendMessageA(m_handle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rect));
    } else {
        rect.left += 4;
        rect.top += 24;
        rect.right -= 4;
        rect.bottom -= 4;
    }
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
}

TRect TCustomTabControl::TabRect(int index) {
    return ItemRectOf(HandleAllocated() ? m_handle : nullptr, TCM_GETITEMRECT, index);
}

int TCustomTabControl::IndexOfTabAt(int x, int y) {
    if (!HandleAllocated()) return -1;
    TCHITTESTINFO hit{};
    hit.pt = {x, y};
    return static_cast<int>(SendMessageA(m_handle, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() { OnChange(this); }

void TCustomTabControl::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(TCN_SELCHANGING)) {
            m.Result = CanChange() ? FALSE : TRUE;
            return;
        }
        if (hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
            m_tabIndex = static_cast<int32_t>(SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
            Change();
            return;
        }
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Page control and its pages

DP_PUBLISHED(TTabSheet){
    DP_PROP_INT(PageIndex, PageIndex, SetPageIndex),
};

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    m_controlStyle += csAcceptsControls;
    m_color = clBtnFace;
    m_parentColor = true;
    m_visible = false;
    m_width = 281;
    m_height = 165;
}

TTabSheet::~TTabSheet() {
    if (m_pageControl) m_pageControl->RemovePage(this);
    m_pageControl = nullptr;
}

void TTabSheet::SetParent(TWinControl* parent) {
    TWinControl::SetParent(parent);
    auto* pc = DynamicAs<TPageControl>(parent);
    if (pc == m_pageControl) return;
    if (m_pageControl) m_pageControl->RemovePage(this);
    m_pageControl = pc;
    if (pc) pc->InsertPage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) { SetParent(pc); }

int32_t TTabSheet::PageIndex() const { return m_pageControl ? IndexIn(m_pageControl->m_pages, this) : -1; }

void TTabSheet::SetPageIndex(int32_t index) {
    if (!m_pageControl || IsLoading()) return;  // stored pages come in their order
    auto& pages = m_pageControl->m_pages;
    index = std::clamp<int32_t>(index, 0, static_cast<int32_t>(pages.size()) - 1);
    const int old = PageIndex();
    if (old == index) return;
    TTabSheet* activePage = m_pageControl->m_activePage;
    pages.erase(pages.begin() + old);
    pages.insert(pages.begin() + index, this);
    TStrings* tabs = m_pageControl->Tabs();
    tabs->Delete(old);
    tabs->Insert(index, Caption());
    m_pageControl->SetActivePage(activePage);
}

void TTabSheet::TextChanged() {
    TWinControl::TextChanged();
    if (m_pageControl) m_pageControl->PageCaptionChanged(this);
}

DP_PUBLISHED(TPageControl){
    DP_PROP_OBJ(ActivePage, ActivePage, SetActivePage),
    DP_PROP_INT(ActivePageIndex, ActivePageIndex, SetActivePageIndex),
};

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl() {
    for (TTabSheet* p : m_pages) p->m_pageControl = nullptr;
    m_pages.clear();
    m_activePage = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const { return ItemAt(m_pages, index); }

int32_t TPageControl::ActivePageIndex() const { return m_activePage ? IndexIn(m_pages, m_activePage) : -1; }

void TPageControl::SetActivePageIndex(int32_t index) {
    if (IsLoading()) {
        m_loadedIndex = index;
        return;
    }
    SetActivePage(index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)] : nullptr);
}

void TPageControl::SetTabIndex(int32_t index) { SetActivePageIndex(index); }

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->m_pageControl != this) return;
    m_activePage = page;
    TCustomTabControl::SetTabIndex(ActivePageIndex());
    ShowActive();
}

void TPageControl::ShowActive() {
    if (IsLoading()) return;
    const TRect r = DisplayRect();
    for (TTabSheet* p : m_pages)
        if (p == m_activePage) {
            p->SetBounds(r.left, r.top, RectWidth(r), RectHeight(r));
            p->SetVisible(true);
            p->BringToFront();
        }
    for (TTabSheet* p : m_pages)
        if (p != m_activePage) p->SetVisible(false);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward) {
    if (m_pages.empty()) return nullptr;
    int i = IndexIn(m_pages, current);
    const int n = PageCount();
    if (i < 0) return goForward ? m_pages.front() : m_pages.back();
    i = (i + (goForward ? 1 : n - 1)) % n;
    return m_pages[static_cast<size_t>(i)];
}

void TPageControl::SelectNextPage(bool goForward) {
    TTabSheet* next = FindNextPage(m_activePage, goForward);
    if (!next || next == m_activePage || !CanChange()) return;
    TTabSheet* old = m_activePage;
    const bool focusOnOld = old && old->HandleAllocated() && IsChild(old->Handle(), GetFocus());
    SetActivePage(next);
    // The focus does not stay in a page that is hidden now.
    if (focusOnOld && HandleAllocated()) ::SetFocus(m_handle);
    OnChange(this);
}

void TPageControl::WndProc(TMessage& m) {
    if (m.Msg == CM_DIALOGKEY && m.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && HandleAllocated()) {
        HWND focus = GetFocus();
        if (focus == m_handle || IsChild(m_handle, focus)) {
            SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
            m.Result = 1;
            return;
        }
    }
    TCustomTabControl::WndProc(m);
}

void TPageControl::InsertPage(TTabSheet* page) {
    m_pages.push_back(page);
    Tabs()->Add(page->Caption());
    if (!m_activePage && !IsLoading())
        SetActivePage(page);
    else
        ShowActive();
}

void TPageControl::RemovePage(TTabSheet* page) {
    const int i = IndexIn(m_pages, page);
    if (i < 0) return;
    TTabSheet* next = m_activePage == page ? FindNextPage(page, true) : m_activePage;
    if (next == page) next = nullptr;
    m_pages.erase(m_pages.begin() + i);
    if (!ComponentState().Contains(csDestroying)) {
        Tabs()->Delete(i);
        m_activePage = nullptr;
        SetActivePage(next);
    } else if (m_activePage == page) {
        m_activePage = nullptr;
    }
}

void TPageControl::PageCaptionChanged(TTabSheet* page) {
    const int i = IndexIn(m_pages, page);
    if (i >= 0 && Tabs()->Get(i) != page->Caption()) Tabs()->Put(i, page->Caption());
}

void TPageControl::Loaded() {
    TCustomTabControl::Loaded();
    if (m_loadedIndex >= 0 && m_loadedIndex < PageCount()) m_activePage = m_pages[static_cast<size_t>(m_loadedIndex)];
    if (!m_activePage && !m_pages.empty()) m_activePage = m_pages.front();
    SetActivePage(m_activePage);
}

void TPageControl::Change() {
    const int i = static_cast<int>(SendMessageA(m_handle, TCM_GETCURSEL, 0, 0));
    m_activePage = i >= 0 && i < PageCount() ? m_pages[static_cast<size_t>(i)] : nullptr;
    ShowActive();
    TCustomTabControl::Change();
}

void TPageControl::AlignControls(TControl* control, TRect& rect) {
    TCustomTabControl::AlignControls(control, rect);
    if (m_activePage && !IsLoading()) {
        const TRect r = DisplayRect();
        m_activePage->SetBounds(r.left, r.top, RectWidth(r), RectHeight(r));
    }
}

void TPageControl::Notification(TComponent* component, TOperation operation) {
    TCustomTabControl::Notification(component, operation);
    if (operation == opRemove && component == m_activePage) m_activePage = nullptr;
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

int THeaderSection::Index() const { return m_header ? m_header->m_sections.IndexOf(this) : -1; }
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

THeaderControl::~THeaderControl() { m_sections.Release(); }

THeaderSection* THeaderControl::Sections(int index) const { return m_sections.At(index); }

THeaderSection* THeaderControl::AddSection() {
    auto* s = new THeaderSection(this);
    Attach(s);
    return s;
}

void THeaderControl::Attach(THeaderSection* s) {
    m_sections.Attach(this, s);
    if (HandleAllocated()) Fill();
}

void THeaderControl::Detach(THeaderSection* s) {
    const int i = m_sections.Detach(s);
    if (i < 0) return;
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
    it.fmt = HDF_STRING | (s->Alignment() == taCenter         ? HDF_CENTER
                           : s->Alignment() == taRightJustify ? HDF_RIGHT
                                                              : HDF_LEFT);
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
    if (!HandleAllocated() ||
        !SendMessageA(m_handle, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)))
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
