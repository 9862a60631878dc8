#include "classlib/ComCtrls.h"

#include <algorithm>
#include <cmath>

#include "classlib/Forms.h"

namespace {

constexpr const char* SListIndex = "List index out of bounds (%d)";

template <class T>
T* ItemAt(const std::vector<T*>& v, int index) {
    if (index < 0 || index >= static_cast<int>(v.size())) throw EListError(Format(SListIndex, index));
    return v[static_cast<size_t>(index)];
}

template <class T>
int IndexIn(const std::vector<T*>& v, const T* item) {
    auto it = std::find(v.begin(), v.end(), item);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

template <class T>
void EraseFrom(std::vector<T*>& v, const T* item) {
    v.erase(std::remove(v.begin(), v.end(), item), v.end());
}

// Days between 0000-03-01 based civil dates (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kEpoch = DaysFromCivil(1899, 12, 30);
// What the system's date controls accept: 1 January 1753 to 31 December 9999.
const double kMinDate = static_cast<double>(DaysFromCivil(1753, 1, 1) - kEpoch);
const double kMaxDate = static_cast<double>(DaysFromCivil(9999, 12, 31) - kEpoch) + 0.99999;

TRect ItemRectOf(HWND wnd, UINT msg, int index) {
    RECT r{};
    if (!wnd || !SendMessageA(wnd, msg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return TRect{};
    return r;
}

}  // namespace

TDateTime SystemTimeToDateTime(const SYSTEMTIME& st) {
    const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kEpoch;
    const double ms = ((st.wHour * 60.0 + st.wMinute) * 60.0 + st.wSecond) * 1000.0 + st.wMilliseconds;
    return static_cast<double>(days) + ms / 86400000.0;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime dt) {
    if (!(dt >= kMinDate)) dt = kMinDate;  // NaN too
    if (dt > kMaxDate) dt = kMaxDate;
    double whole = std::floor(dt);
    int64_t days = static_cast<int64_t>(whole);
    int64_t ms = std::llround((dt - whole) * 86400000.0);
    if (ms >= 86400000) {
        ++days;
        ms -= 86400000;
    }
    int y = 0;
    unsigned m = 0, d = 0;
    CivilFromDays(days + kEpoch, y, m, d);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);  // 30 December 1899 was a Saturday
    st.wHour = static_cast<WORD>(ms / 3600000);
    st.wMinute = static_cast<WORD>(ms / 60000 % 60);
    st.wSecond = static_cast<WORD>(ms / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    return st;
}

void InitComCtl(DWORD icc) {
    static DWORD done = 0;
    if ((done & icc) == icc) return;
    INITCOMMONCONTROLSEX init{sizeof init, icc};
    if (InitCommonControlsEx(&init)) done |= icc;
}

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
    SetActivePage(next);
    OnChange(this);
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
    if (HandleAllocated()) SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TProgressBar::SetMax(int32_t v) {
    m_max = v;
    if (IsLoading()) return;
    if (m_min > m_max) m_min = m_max;
    if (HandleAllocated()) SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
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
    if (HandleAllocated()) SendMessageA(m_handle, PBM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
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
    if (HandleAllocated()) CreateHandleState();
    else ShowInBuddy();
}

int32_t TUpDown::Position() {
    if (HandleAllocated()) {
        BOOL err = FALSE;
        const int32_t pos = static_cast<int32_t>(SendMessageA(m_handle, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&err)));
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
    if (HandleAllocated()) SendMessageA(m_handle, UDM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
    SetPosition(m_position);
}

void TUpDown::SetMax(int32_t v) {
    m_max = v;
    if (IsLoading()) return;
    if (HandleAllocated()) SendMessageA(m_handle, UDM_SETRANGE32, static_cast<WPARAM>(m_min), static_cast<LPARAM>(m_max));
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

int TStatusPanel::Index() const { return m_bar ? IndexIn(m_bar->m_panels, this) : -1; }

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

TStatusBar::~TStatusBar() {
    for (TStatusPanel* p : m_panels) p->m_bar = nullptr;
    m_panels.clear();
}

TStatusPanel* TStatusBar::Panels(int index) const { return ItemAt(m_panels, index); }

TStatusPanel* TStatusBar::AddPanel() {
    auto* p = new TStatusPanel(this);
    Attach(p);
    return p;
}

void TStatusBar::ClearPanels() {
    std::vector<TStatusPanel*> old;
    old.swap(m_panels);
    for (TStatusPanel* p : old) {
        p->m_bar = nullptr;
        delete p;
    }
    UpdatePanels();
}

void TStatusBar::Attach(TStatusPanel* p) {
    p->m_bar = this;
    m_panels.push_back(p);
    UpdatePanels();
}

void TStatusBar::Detach(TStatusPanel* p) {
    EraseFrom(m_panels, p);
    p->m_bar = nullptr;
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
    if (IsLoading()) m_min = v;
    else SetParams(m_position, v, std::max(v, m_max));
}

void TScrollBar::SetMax(int32_t v) {
    if (IsLoading()) m_max = v;
    else SetParams(m_position, std::min(m_min, v), v);
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
    if (control->Left() < 0) x += control->Left();
    else if (control->Left() + control->Width() > client.right)
        x += control->Left() + control->Width() - client.right;
    if (control->Top() < 0) y += control->Top();
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
    if (bar == SB_HORZ) MoveContent(pos, m_vpos);
    else MoveContent(m_hpos, pos);
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

// ---------------------------------------------------------------------------
// Date-time picker

DP_PUBLISHED(TDateTimePicker){
    DP_PROP_FLOAT(Date, Date, SetDate),
    DP_PROP_FLOAT(Time, Time, SetTime),
    DP_PROP_ENUM(Kind, Kind, SetKind),
    DP_PROP_ENUM(DateFormat, DateFormat, SetDateFormat),
    DP_PROP_FIELD(OnChange, OnChange),
};

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    m_width = 186;
    m_height = 21;
    m_tabStop = true;
    m_color = clWindow;
    SYSTEMTIME now;
    GetLocalTime(&now);
    m_dateTime = SystemTimeToDateTime(now);
}

void TDateTimePicker::CreateParams(TCreateParams& p) {
    InitComCtl(ICC_DATE_CLASSES);
    TWinControl::CreateParams(p);
    CreateSubClass(p, DATETIMEPICK_CLASSA);
    if (m_kind == dtkTime)
        p.Style |= DTS_TIMEFORMAT | DTS_UPDOWN;
    else
        p.Style |= m_dateFormat == dfLong ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT;
}

void TDateTimePicker::CreateHandleState() {
    SYSTEMTIME st = DateTimeToSystemTime(m_dateTime);
    SendMessageA(m_handle, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

TDateTime TDateTimePicker::DateTime() {
    if (HandleAllocated()) {
        SYSTEMTIME st{};
        if (SendMessageA(m_handle, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) == GDT_VALID)
            m_dateTime = SystemTimeToDateTime(st);
    }
    return m_dateTime;
}

void TDateTimePicker::SetDateTime(TDateTime v) {
    // Only what the control can show is kept: no NaN, no year outside 1753..9999.
    m_dateTime = SystemTimeToDateTime(DateTimeToSystemTime(v));
    if (HandleAllocated()) CreateHandleState();
}

TDateTime TDateTimePicker::Date() { return std::floor(DateTime()); }

void TDateTimePicker::SetDate(TDateTime v) {
    const TDateTime now = DateTime();
    SetDateTime(std::floor(v) + (now - std::floor(now)));
}

TDateTime TDateTimePicker::Time() {
    const TDateTime now = DateTime();
    return now - std::floor(now);
}

void TDateTimePicker::SetTime(TDateTime v) {
    if (std::isnan(v)) v = 0;
    SetDateTime(std::floor(DateTime()) + (v - std::floor(v)));
}

void TDateTimePicker::SetKind(TDateTimeKind v) {
    if (v == m_kind) return;
    DateTime();
    m_kind = v;
    RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat v) {
    if (v == m_dateFormat) return;
    DateTime();
    m_dateFormat = v;
    RecreateWnd();
}

void TDateTimePicker::WndProc(TMessage& m) {
    if (m.Msg == CN_NOTIFY) {
        auto* hdr = reinterpret_cast<NMHDR*>(m.LParam);
        if (hdr->code == static_cast<UINT>(DTN_DATETIMECHANGE)) {
            auto* change = reinterpret_cast<NMDATETIMECHANGE*>(m.LParam);
            if (change->dwFlags == GDT_VALID) m_dateTime = SystemTimeToDateTime(change->st);
            m.Result = 0;
            OnChange(this);
            return;
        }
    }
    TWinControl::WndProc(m);
}
