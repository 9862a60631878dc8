// Common controls: what programs set and read, and the window messages the
// skin engine asks them.
#include <gtest/gtest.h>

#include <cmath>

#include "classlib/CheckLst.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/Tabs.h"

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

LPARAM At(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

void ClickAt(HWND wnd, LPARAM pos) {
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, pos);
    SendMessageA(wnd, WM_LBUTTONUP, 0, pos);
    Pump();
}

class ComCtrls : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = NewForm<TForm>(Application);
        form->SetBounds(40, 40, 520, 400);
        form->Show();
        Pump();
    }
    void TearDown() override {
        delete form;
        Pump();
    }
    template <class T>
    T* Add(int l, int t, int w, int h, TWinControl* parent = nullptr) {
        T* c = new T(form);
        c->SetParent(parent ? parent : form);
        c->SetBounds(l, t, w, h);
        return c;
    }
    TForm* form = nullptr;
};

TEST_F(ComCtrls, StatusBarPanelRectanglesAndOwnerDrawnPanel) {
    auto* bar = new TStatusBar(form);
    bar->SetParent(form);
    TStatusPanel* a = bar->AddPanel();
    a->SetWidth(100);
    a->SetText("Ready");
    TStatusPanel* b = bar->AddPanel();
    b->SetWidth(80);
    b->SetStyle(psOwnerDraw);
    bar->AddPanel()->SetText("rest");
    int draws = 0;
    TRect drawn{};
    bar->OnDrawPanel = [&](TStatusBar* sb, TStatusPanel* p, const TRect& r) {
        EXPECT_EQ(p, b);
        ++draws;
        drawn = r;
        sb->Canvas()->Brush()->SetColor(clRed);
        sb->Canvas()->FillRect(r);
    };
    form->Show();
    Pump();
    HWND h = bar->Handle();
    EXPECT_EQ(bar->Top() + bar->Height(), form->ClientHeight());  // aligned to the bottom
    RECT r0{}, r1{}, r2{};
    ASSERT_TRUE(SendMessageA(h, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&r0)));
    ASSERT_TRUE(SendMessageA(h, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&r1)));
    ASSERT_TRUE(SendMessageA(h, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&r2)));
    EXPECT_NEAR(r0.right, 100, 3);
    EXPECT_NEAR(r1.right, 180, 3);
    EXPECT_GT(r2.right, r1.right);
    EXPECT_EQ(SendMessageA(h, SB_GETPARTS, 0, 0), 3);
    char text[64] = {};
    SendMessageA(h, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Ready");
    EXPECT_TRUE(GetWindowLongPtrA(h, GWL_STYLE) & SBARS_SIZEGRIP);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    EXPECT_GT(draws, 0);
    EXPECT_EQ(TRect(bar->PanelRect(1)).left, r1.left);
    HDC dc = GetDC(h);
    EXPECT_EQ(GetPixel(dc, (drawn.left + drawn.right) / 2, (drawn.top + drawn.bottom) / 2), RGB(255, 0, 0));
    ReleaseDC(h, dc);
    a->SetText("Busy");
    SendMessageA(h, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Busy");
    bar->SetSimplePanel(true);
    bar->SetSimpleText("Simple");
    EXPECT_TRUE(SendMessageA(h, SB_ISSIMPLE, 0, 0));
    delete b;  // a freed panel leaves the bar
    EXPECT_EQ(bar->PanelCount(), 2);
    EXPECT_THROW(bar->Panels(2), EListError);
}

TEST_F(ComCtrls, TrackBarChannelThumbAndChanges) {
    auto* t = Add<TTrackBar>(10, 10, 200, 45);
    t->SetMax(20);
    int changes = 0;
    t->OnChange = [&](TObject*) { ++changes; };
    t->SetPosition(5);
    EXPECT_EQ(changes, 1);
    t->SetPosition(5);
    EXPECT_EQ(changes, 1);
    HWND h = t->Handle();
    EXPECT_EQ(SendMessageA(h, TBM_GETPOS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(h, TBM_GETRANGEMAX, 0, 0), 20);
    RECT channel{}, thumb{};
    SendMessageA(h, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    SendMessageA(h, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    EXPECT_GT(channel.right - channel.left, 100);
    EXPECT_GT(thumb.right - thumb.left, 0);
    EXPECT_GE(thumb.left, channel.left - thumb.right + thumb.left);
    EXPECT_LE(thumb.right, channel.right + (thumb.right - thumb.left));
    t->SetPosition(99);  // kept in range
    EXPECT_EQ(t->Position(), 20);
    // The user moves it: the window tells its parent, which reflects it.
    SendMessageA(h, TBM_SETPOS, TRUE, 7);
    SendMessageA(form->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 7), reinterpret_cast<LPARAM>(h));
    EXPECT_EQ(t->Position(), 7);
    EXPECT_EQ(changes, 3);
}

TEST_F(ComCtrls, UpDownBuddyAndPosition) {
    auto* e = Add<TEdit>(10, 10, 80, 21);
    auto* u = Add<TUpDown>(90, 10, 16, 21);
    u->SetMax(1500);
    u->SetAssociate(e);
    u->SetPosition(42);
    HWND h = u->Handle();
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(h, UDM_GETBUDDY, 0, 0)), e->Handle());
    EXPECT_EQ(e->Text(), "42");
    u->SetPosition(1234);
    EXPECT_EQ(u->Position(), 1234);
    EXPECT_EQ(e->Text(), "1,234");
    u->SetPosition(-5);
    EXPECT_EQ(u->Position(), 0);
    int clicks = 0;
    TUDBtnType last = TUDBtnType::btPrev;
    u->OnClick = [&](TObject*, TUDBtnType bt) {
        ++clicks;
        last = bt;
    };
    SendMessageA(h, UDM_SETPOS32, 0, 1);
    SendMessageA(form->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1), reinterpret_cast<LPARAM>(h));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(last, TUDBtnType::btNext);
    delete e;  // the buddy goes: no dangling reference
    EXPECT_EQ(u->Associate(), nullptr);
}

TEST_F(ComCtrls, TabControlItemRectanglesAndUserChange) {
    auto* t = Add<TTabControl>(10, 10, 300, 150);
    t->Tabs()->Add("One");
    t->Tabs()->Add("Two");
    t->Tabs()->Add("Three");
    t->SetTabIndex(0);
    HWND h = t->Handle();
    EXPECT_EQ(SendMessageA(h, TCM_GETITEMCOUNT, 0, 0), 3);
    RECT prev{};
    for (int i = 0; i < 3; ++i) {
        RECT r{};
        ASSERT_TRUE(SendMessageA(h, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)));
        EXPECT_GT(r.right, r.left);
        if (i) {
            EXPECT_GE(r.left, prev.right - 4);
        }
        prev = r;
    }
    bool allow = false;
    int changing = 0, changed = 0;
    t->OnChanging = [&](TObject*, bool& a) {
        ++changing;
        a = allow;
    };
    t->OnChange = [&](TObject*) { ++changed; };
    ClickAt(h, At(t->TabRect(2)));
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(t->TabIndex(), 0);
    allow = true;
    ClickAt(h, At(t->TabRect(2)));
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(t->TabIndex(), 2);
    const TRect d = t->DisplayRect();
    EXPECT_GT(d.top, 10);
    EXPECT_LT(d.bottom, 150);
    t->SetStyle(tsButtons);
    EXPECT_TRUE(GetWindowLongPtrA(t->Handle(), GWL_STYLE) & TCS_BUTTONS);
    EXPECT_EQ(t->TabIndex(), 2);  // kept over the new window
}

TEST_F(ComCtrls, ListViewReportHeaderItemsAndSelection) {
    auto* lv = Add<TListView>(10, 10, 300, 150);
    lv->SetViewStyle(vsReport);
    lv->AddColumn()->SetCaption("Name");
    lv->AddColumn()->SetCaption("Size");
    for (const char* n : {"a.swf", "b.swf", "c.swf"}) {
        TListItem* it = lv->AddItem();
        it->SetCaption(n);
        it->SubItems()->Add(std::string(n, 1) + "KB");
    }
    HWND h = lv->Handle();
    HWND header = lv->HeaderHandle();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0)), header);
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0), 3);
    char buf[32] = {};
    LVITEMA it{};
    it.iSubItem = 1;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(h, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(buf, "bKB");
    lv->Items(1)->SubItems()->Put(0, "2KB");
    SendMessageA(h, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(buf, "2KB");
    int selects = 0;
    lv->OnSelectItem = [&](TObject*, TListItem*, bool) { ++selects; };
    lv->SetItemIndex(2);
    EXPECT_EQ(lv->ItemIndex(), 2);
    EXPECT_EQ(lv->Selected(), lv->Items(2));
    EXPECT_EQ(selects, 0);  // from code
    // The user's click selects and tells.
    TListItem* told = nullptr;
    bool toldSelected = false;
    lv->OnSelectItem = [&](TObject*, TListItem* item, bool selected) {
        ++selects;
        if (selected) {
            told = item;
            toldSelected = selected;
        }
    };
    RECT row{};
    row.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageA(h, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    ClickAt(h, At(row));
    EXPECT_EQ(lv->ItemIndex(), 0);
    EXPECT_EQ(told, lv->Items(0));
    EXPECT_TRUE(toldSelected);
    lv->SetItemIndex(2);
    lv->SetRowSelect(true);  // a new window keeps items and selection
    EXPECT_EQ(SendMessageA(lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(lv->ItemIndex(), 2);
}

TEST_F(ComCtrls, ComboBoxListWindow) {
    auto* c = Add<TComboBox>(10, 10, 120, 21);
    c->Items()->Add("x");
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(c->Handle(), &info));
    EXPECT_NE(info.hwndList, nullptr);
    EXPECT_NE(info.hwndList, c->Handle());
}

TEST_F(ComCtrls, ScrollBarScrollEventsAndRange) {
    auto* s = Add<TScrollBar>(10, 10, 200, 17);
    s->SetMax(50);
    s->SetPageSize(11);
    s->SetLargeChange(10);
    std::vector<TScrollCode> codes;
    int changes = 0;
    s->OnScroll = [&](TObject*, TScrollCode code, int&) { codes.push_back(code); };
    s->OnChange = [&](TObject*) { ++changes; };
    HWND h = s->Handle();
    SendMessageA(form->Handle(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(h));
    SendMessageA(form->Handle(), WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(h));
    EXPECT_EQ(s->Position(), 11);
    EXPECT_EQ(GetScrollPos(h, SB_CTL), 11);
    SendMessageA(form->Handle(), WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(h));
    EXPECT_EQ(s->Position(), 40);  // the page ends at Max
    ASSERT_EQ(codes.size(), 3u);
    EXPECT_EQ(codes[0], scLineDown);
    EXPECT_EQ(codes[2], scBottom);
    EXPECT_EQ(changes, 3);
    s->SetKind(sbVertical);
    EXPECT_TRUE(GetWindowLongPtrA(s->Handle(), GWL_STYLE) & SBS_VERT);
    EXPECT_EQ(s->Height(), 200);
}

struct DateCase {
    int y, m, d, h, mi;
    double value;
};

TEST_F(ComCtrls, DateTimeConversionsAndPicker) {
    const DateCase cases[] = {
        {1899, 12, 30, 0, 0, 0.0},
        {1900, 1, 1, 12, 0, 2.5},
        {2000, 2, 29, 6, 0, 36585.25},
        {2026, 12, 10, 0, 0, 46366.0},
    };
    for (const DateCase& c : cases) {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(c.y);
        st.wMonth = static_cast<WORD>(c.m);
        st.wDay = static_cast<WORD>(c.d);
        st.wHour = static_cast<WORD>(c.h);
        EXPECT_DOUBLE_EQ(SystemTimeToDateTime(st), c.value) << c.y << "-" << c.m << "-" << c.d;
        const SYSTEMTIME back = DateTimeToSystemTime(c.value);
        EXPECT_EQ(back.wYear, c.y);
        EXPECT_EQ(back.wMonth, c.m);
        EXPECT_EQ(back.wDay, c.d);
        EXPECT_EQ(back.wHour, c.h);
    }
    EXPECT_EQ(DateTimeToSystemTime(46366.0).wDayOfWeek, 4);  // a Thursday
    auto* p = Add<TDateTimePicker>(10, 10, 150, 21);
    p->SetDate(46366.0);
    SYSTEMTIME st{};
    ASSERT_EQ(SendMessageA(p->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)), GDT_VALID);
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wDay, 10);
    EXPECT_DOUBLE_EQ(p->Date(), 46366.0);
    p->SetTime(0.5);
    EXPECT_DOUBLE_EQ(p->DateTime(), 46366.5);
    p->SetDate(1e12);  // out of the control's range: kept at its end, not garbage
    EXPECT_LE(p->Date(), 2958465.0);
    p->SetDate(std::nan(""));
    EXPECT_GE(p->Date(), -53690.0);
}

TEST_F(ComCtrls, ProgressBarStepsWrap) {
    auto* b = Add<TProgressBar>(10, 10, 150, 16);
    b->SetMax(50);
    b->SetStep(20);
    b->StepIt();
    b->StepIt();
    EXPECT_EQ(b->Position(), 40);
    EXPECT_EQ(SendMessageA(b->Handle(), PBM_GETPOS, 0, 0), 40);
    b->StepIt();
    EXPECT_EQ(b->Position(), 10);
    b->SetPosition(500);
    EXPECT_EQ(b->Position(), 50);
    PBRANGE range{};
    SendMessageA(b->Handle(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iHigh, 50);
}

TEST_F(ComCtrls, CheckListBoxToggledByItsBox) {
    auto* c = Add<TCheckListBox>(10, 10, 150, 100);
    c->Items()->Add("one");
    c->Items()->Add("two");
    c->SetChecked(1, true);
    int clicks = 0;
    c->OnClickCheck = [&](TObject*) { ++clicks; };
    Pump();
    ClickAt(c->Handle(), At(c->CheckRect(0)));
    EXPECT_TRUE(c->Checked(0));
    EXPECT_EQ(clicks, 1);
    const RECT item = c->CheckRect(1);
    ClickAt(c->Handle(), MAKELPARAM(item.right + 40, (item.top + item.bottom) / 2));  // on the text: selects only
    EXPECT_TRUE(c->Checked(1));
    EXPECT_EQ(c->ItemIndex(), 1);
    c->Items()->Insert(0, "zero");  // the state follows its item
    EXPECT_FALSE(c->Checked(0));
    EXPECT_TRUE(c->Checked(1));
    EXPECT_TRUE(c->Checked(2));
    EXPECT_THROW(c->Checked(3), EListError);
}

TEST_F(ComCtrls, TabSetClickAsksOnChange) {
    auto* t = new TTabSet(form);
    t->SetParent(form);
    t->SetBounds(10, 200, 300, 21);
    t->Tabs()->Add("Alpha");
    t->Tabs()->Add("Beta");
    t->SetTabIndex(0);
    bool allow = false;
    int asked = -1;
    t->OnChange = [&](TObject*, int newTab, bool& a) {
        asked = newTab;
        a = allow;
    };
    Pump();
    const RECT r = t->ItemRect(1);
    ClickAt(t->Handle(), At(r));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(t->TabIndex(), 0);
    allow = true;
    ClickAt(t->Handle(), At(r));
    EXPECT_EQ(t->TabIndex(), 1);
    EXPECT_GT(t->ItemRect(1).left, t->ItemRect(0).left);
}

TEST_F(ComCtrls, ToolBarButtonsClickAndCheck) {
    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetShowCaptions(true);
    auto* open = new TToolButton(form);
    open->SetParent(bar);
    open->SetCaption("Open");
    auto* sep = new TToolButton(form);
    sep->SetParent(bar);
    sep->SetStyle(tbsSeparator);
    auto* bold = new TToolButton(form);
    bold->SetParent(bar);
    bold->SetCaption("Bold");
    bold->SetStyle(tbsCheck);
    int opens = 0, bolds = 0;
    open->OnClick = [&](TObject*) { ++opens; };
    bold->OnClick = [&](TObject*) { ++bolds; };
    Pump();
    HWND h = bar->Handle();
    EXPECT_EQ(bar->Top(), 0);  // aligned to the top
    ASSERT_EQ(SendMessageA(h, TB_BUTTONCOUNT, 0, 0), 3);
    const TRect r0 = bar->ButtonRect(0), r2 = bar->ButtonRect(2);
    EXPECT_GT(r2.left, r0.right);
    EXPECT_EQ(bold->Left(), r2.left);  // the control follows the bar's layout
    ClickAt(h, At(r0));
    EXPECT_EQ(opens, 1);
    ClickAt(h, At(r2));
    EXPECT_EQ(bolds, 1);
    EXPECT_TRUE(bold->Down());
    bold->SetDown(false);
    EXPECT_FALSE(SendMessageA(h, TB_ISBUTTONCHECKED, 3, 0));
    delete open;  // a freed button leaves the bar
    EXPECT_EQ(SendMessageA(h, TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_EQ(bar->ButtonCount(), 2);
}

TEST_F(ComCtrls, HeaderSectionClickAndScrollBoxScrolling) {
    auto* header = new THeaderControl(form);
    header->SetParent(form);
    header->AddSection()->SetText("A");
    THeaderSection* b = header->AddSection();
    b->SetText("B");
    THeaderSection* clicked = nullptr;
    header->OnSectionClick = [&](THeaderControl*, THeaderSection* s) { clicked = s; };
    Pump();
    ClickAt(header->Handle(), At(header->SectionRect(1)));
    EXPECT_EQ(clicked, b);

    auto* box = Add<TScrollBox>(10, 60, 200, 100);
    auto* deep = Add<TButton>(10, 300, 75, 25, box);
    RedrawWindow(box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(box->Handle(), SB_VERT, &si));
    EXPECT_EQ(si.nMax, 324);
    SendMessageA(box->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_GT(box->VertPosition(), 0);
    EXPECT_EQ(deep->Top(), 300 - box->VertPosition());
    EXPECT_LE(deep->Top() + deep->Height(), box->ClientHeight());
    box->ScrollTo(0, 0);
    EXPECT_EQ(deep->Top(), 300);
    box->ScrollInView(deep);
    EXPECT_LE(deep->Top() + deep->Height(), box->ClientHeight());
    EXPECT_GE(deep->Top(), 0);
}

TEST_F(ComCtrls, ControlBarKeepsBandsInRowsAfterTheirHandles) {
    auto* cb = Add<TControlBar>(10, 10, 300, 60);
    auto* a = Add<TPanel>(0, 0, 80, 22, cb);
    auto* b = Add<TPanel>(50, 2, 60, 22, cb);  // overlaps a: pushed after it
    auto* c = Add<TPanel>(0, 30, 60, 22, cb);  // the second row
    cb->Realign();
    EXPECT_GE(a->Left(), TControlBar::GrabWidth);
    EXPECT_GE(b->Left(), a->Left() + a->Width() + TControlBar::GrabWidth);
    EXPECT_EQ(a->Top(), b->Top());
    EXPECT_GE(c->Top(), cb->RowSize());
    EXPECT_GE(c->Left(), TControlBar::GrabWidth);
}

// Stored definitions: pages and collection items as child objects.
class TPagesForm : public TForm {
    DP_DECLARE_CLASS(TPagesForm, TForm)
public:
    explicit TPagesForm(TComponent* owner) : TForm(owner) {}
    TPageControl* Pages = nullptr;
    TTabSheet* First = nullptr;
    TTabSheet* Second = nullptr;
    TStatusBar* Bar = nullptr;
    THeaderControl* Header = nullptr;
    int changes = 0;
    void PagesChange(TObject*) { ++changes; }
};

}  // namespace

DP_PUBLISHED(TPagesForm){DP_FIELD(Pages), DP_FIELD(First),  DP_FIELD(Second),
                         DP_FIELD(Bar),   DP_FIELD(Header), DP_METHOD(PagesChange)};

namespace {

const char* kPages = R"(object PagesForm: TPagesForm
  Caption = 'Pages'
  ClientWidth = 400
  ClientHeight = 300
  object Header: THeaderControl
    object THeaderSection
      Text = 'Left'
      Width = 120
    end
    object THeaderSection
      Text = 'Right'
      Width = 90
      Alignment = taRightJustify
    end
  end
  object Pages: TPageControl
    Left = 8
    Top = 24
    Width = 300
    Height = 200
    ActivePage = Second
    OnChange = PagesChange
    object First: TTabSheet
      Caption = 'First'
    end
    object Second: TTabSheet
      Caption = 'Second'
    end
  end
  object Bar: TStatusBar
    object TStatusPanel
      Text = 'one'
      Width = 60
    end
    object TStatusPanel
      Style = psOwnerDraw
    end
  end
end
)";

TEST_F(ComCtrls, StoredPagesAndCollections) {
    auto* f = new TPagesForm(Application);
    ReadFormDefinition(f, kPages, "PagesForm");
    f->AfterConstruction();
    f->Show();
    Pump();
    ASSERT_EQ(f->Pages->PageCount(), 2);
    EXPECT_EQ(f->Pages->ActivePage(), f->Second);
    EXPECT_EQ(f->Pages->TabIndex(), 1);
    EXPECT_TRUE(IsWindowVisible(f->Second->Handle()));
    EXPECT_FALSE(f->First->Visible());
    EXPECT_EQ(f->Header->SectionCount(), 2);
    EXPECT_EQ(f->Header->Sections(1)->Alignment(), taRightJustify);
    EXPECT_EQ(SendMessageA(f->Header->Handle(), HDM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_NEAR(TRect(f->Header->SectionRect(1)).left, 120, 2);
    ASSERT_EQ(f->Bar->PanelCount(), 2);
    EXPECT_EQ(f->Bar->Panels(1)->Style(), psOwnerDraw);
    char tab[32] = {};
    TCITEMA it{};
    it.mask = TCIF_TEXT;
    it.pszText = tab;
    it.cchTextMax = sizeof tab;
    SendMessageA(f->Pages->Handle(), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(tab, "First");
    // A user's click on the first tab switches pages and raises OnChange.
    ClickAt(f->Pages->Handle(), At(f->Pages->TabRect(0)));
    EXPECT_EQ(f->Pages->ActivePage(), f->First);
    EXPECT_EQ(f->changes, 1);
    EXPECT_TRUE(IsWindowVisible(f->First->Handle()));
    EXPECT_FALSE(IsWindowVisible(f->Second->Handle()));
    const TRect d = f->Pages->DisplayRect();
    EXPECT_EQ(f->First->Left(), d.left);
    EXPECT_EQ(f->First->Width(), RectWidth(d));
    // A veto keeps the page.
    f->Pages->OnChanging = [](TObject*, bool& allow) { allow = false; };
    ClickAt(f->Pages->Handle(), At(f->Pages->TabRect(1)));
    EXPECT_EQ(f->Pages->ActivePage(), f->First);
    EXPECT_EQ(f->Pages->TabIndex(), 0);
    EXPECT_EQ(f->changes, 1);
    f->Pages->OnChanging = nullptr;
    // From code: no event.
    f->Pages->SetActivePageIndex(1);
    EXPECT_EQ(f->changes, 1);
    f->Second->SetCaption("Renamed");
    SendMessageA(f->Pages->Handle(), TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&it));
    EXPECT_STREQ(tab, "Renamed");
    delete f->Second;  // the active page goes: another one shows
    EXPECT_EQ(f->Pages->PageCount(), 1);
    EXPECT_EQ(f->Pages->ActivePage(), f->First);
    delete f;
}

TEST_F(ComCtrls, StatusPanelOutsideAStatusBarIsRejected) {
    auto* f = new TPagesForm(Application);
    EXPECT_THROW(
        ReadFormDefinition(f, "object PagesForm: TPagesForm\n  object TStatusPanel\n    Text = 'x'\n  end\nend\n",
                           "PagesForm"),
        EFormReadError);
    delete f;
}

class TColoursForm : public TForm {
    DP_DECLARE_CLASS(TColoursForm, TForm)
public:
    explicit TColoursForm(TComponent* owner) : TForm(owner) {}
    TPageControl* Pages = nullptr;
    TTabSheet *Plain = nullptr, *Own = nullptr;
    TGroupBox *Box = nullptr, *White = nullptr;
    TLabel *OnBox = nullptr, *OnWhite = nullptr, *Red = nullptr, *OnOwn = nullptr;
};

}  // namespace

DP_PUBLISHED(TColoursForm){DP_FIELD(Pages), DP_FIELD(Plain),   DP_FIELD(Own), DP_FIELD(Box),  DP_FIELD(White),
                           DP_FIELD(OnBox), DP_FIELD(OnWhite), DP_FIELD(Red), DP_FIELD(OnOwn)};

namespace {

const char* kColours = R"(object ColoursForm: TColoursForm
  Color = $00DCD7D4
  object Pages: TPageControl
    Width = 300
    Height = 200
    object Plain: TTabSheet
      Caption = 'Plain'
      object Box: TGroupBox
        Width = 200
        Height = 60
        object OnBox: TLabel
          Left = 8
          Top = 20
          Caption = 'on the box'
        end
        object Red: TLabel
          Left = 8
          Top = 36
          Caption = 'red'
          Color = clRed
        end
      end
      object White: TGroupBox
        Top = 70
        Width = 200
        Height = 60
        Color = clWhite
        ParentColor = False
        object OnWhite: TLabel
          Left = 8
          Top = 20
          Caption = 'on white'
        end
      end
    end
    object Own: TTabSheet
      Caption = 'Own'
      Color = clYellow
      object OnOwn: TLabel
        Caption = 'on yellow'
      end
    end
  end
end
)";

// Pages and their strip follow what they sit on, so a label in a group box on a page shows
// the form's colour, read from a definition and after the form's colour changes; a colour
// of its own anywhere on the way stops the chain there.
TEST_F(ComCtrls, PagesPassTheFormsColourDownToTheirLabels) {
    auto* f = new TColoursForm(Application);
    ReadFormDefinition(f, kColours, "ColoursForm");
    f->AfterConstruction();
    f->Show();
    Pump();
    const TColor first = static_cast<TColor>(0xDCD7D4), second = static_cast<TColor>(0x102030);
    for (TColor formColour : {first, second}) {
        if (formColour != first) f->SetColor(formColour);
        const struct {
            TControl* control;
            TColor expected;
            bool parentColor;
        } cases[] = {
            {f->Pages, formColour, true}, {f->Plain, formColour, true}, {f->Box, formColour, true},
            {f->OnBox, formColour, true}, {f->Red, clRed, false},       {f->White, clWhite, false},
            {f->OnWhite, clWhite, true},  {f->Own, clYellow, false},    {f->OnOwn, clYellow, true},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(c.control->Color(), c.expected) << c.control->Name() << " under form colour " << formColour;
            EXPECT_EQ(c.control->ParentColor(), c.parentColor) << c.control->Name();
        }
    }
    // A page made in code joins the chain where it is put.
    auto* page = new TTabSheet(f);
    page->SetPageControl(f->Pages);
    EXPECT_EQ(page->Color(), second);
    delete f;
}

}  // namespace
