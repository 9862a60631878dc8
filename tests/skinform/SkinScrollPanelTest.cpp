// Panels over the system's scroll bars of memos, list boxes, list views and scroll boxes:
// where they sit, which controls get them, presses and drags with the real mouse, the list
// view's header, and GDI objects over many repaints.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "SkinFormTestUtil.h"
#include "SkinScrollTestUtil.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "skin/SkinComboScroll.h"
#include "skin/SkinHeader.h"
#include "skin/SkinScrollParts.h"
#include "skin/SkinScrollbar.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

// Classes of other control libraries as the class map and the dispatch name them.
class TImageScrollBox : public TScrollBox {
    DP_DECLARE_CLASS(TImageScrollBox, TScrollBox)
public:
    using TScrollBox::TScrollBox;
};
DP_PUBLISHED(TImageScrollBox){};

// "TDBCtrlGrid=scrollbar" in the default class map.
class TDBCtrlGrid : public TScrollBox {
    DP_DECLARE_CLASS(TDBCtrlGrid, TScrollBox)
public:
    using TScrollBox::TScrollBox;
};
DP_PUBLISHED(TDBCtrlGrid){};

// Named by the dispatch itself: skinned whether or not they show bars yet.
class TRichEdit : public TMemo {
    DP_DECLARE_CLASS(TRichEdit, TMemo)
public:
    using TMemo::TMemo;
};
DP_PUBLISHED(TRichEdit){};

class TdxDBGrid : public TScrollBox {
    DP_DECLARE_CLASS(TdxDBGrid, TScrollBox)
public:
    using TScrollBox::TScrollBox;
};
DP_PUBLISHED(TdxDBGrid){};

class TMapSingleBox : public TScrollBox {
    DP_DECLARE_CLASS(TMapSingleBox, TScrollBox)
public:
    using TScrollBox::TScrollBox;
};
DP_PUBLISHED(TMapSingleBox){};

class TMapEmbedPanel : public TPanel {
    DP_DECLARE_CLASS(TMapEmbedPanel, TPanel)
public:
    using TPanel::TPanel;
};
DP_PUBLISHED(TMapEmbedPanel){};

using namespace skinform;
using namespace skinscroll;

namespace {

std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make) {
    return MakeSkinnedForm("Scroll panels", {60, 40, 780, 600}, make);
}

TMemo* PutMemo(TWinControl* parent, int x, int y) {
    auto* m = Put<TMemo>(parent, x, y, 200, 120);
    m->SetScrollBars(ssBoth);
    m->SetWordWrap(false);
    std::string text;
    for (int i = 0; i < 40; ++i) text += "Line " + std::to_string(i) + " of a memo wider than the memo itself\r\n";
    m->SetText(text);
    return m;
}

TListBox* PutList(TWinControl* parent, int x, int y) {
    auto* l = Put<TListBox>(parent, x, y, 160, 150);
    for (int i = 0; i < 60; ++i) l->Items()->Add("Entry " + std::to_string(i));
    return l;
}

TListView* PutListView(TWinControl* parent, int x, int y) {
    auto* v = Put<TListView>(parent, x, y, 260, 150);
    v->SetViewStyle(vsReport);
    for (const char* name : {"Name", "Size"}) {
        TListColumn* c = v->AddColumn();
        c->SetCaption(name);
        c->SetWidth(90);
    }
    for (int i = 0; i < 40; ++i) v->AddItem()->SetCaption("Row " + std::to_string(i));
    return v;
}

template <class T = TScrollBox>
T* PutScrollBox(TWinControl* parent, int x, int y) {
    auto* b = Put<T>(parent, x, y, 180, 100);
    auto* inner = Put<TButton>(b, 260, 160, 75, 25);
    inner->SetCaption("Far");
    return b;
}

// Both panels sit exactly on the bars the system reports, in the parent's coordinates, and
// the screen shows the skin's first arrow on each.
void ExpectPanelsOverBars(TSkinScrollbar* skin, HWND wnd, const std::string& what, int barsExpected) {
    int bars = 0;
    const struct {
        TWScrollbar* panel;
        LONG object;
        int arrowFrame;
    } rows[] = {{skin->HorzPanel, OBJID_HSCROLL, 1}, {skin->VertPanel, OBJID_VSCROLL, 9}};
    for (const auto& r : rows) {
        ASSERT_NE(r.panel, nullptr) << what;
        const BarGeometry g = BarOf(wnd, r.object);
        if (!g.Visible) {
            EXPECT_FALSE(r.panel->Shown) << what << ": a panel without a bar";
            continue;
        }
        ++bars;
        EXPECT_TRUE(r.panel->Shown) << what;
        HWND panel = r.panel->Handle();
        EXPECT_EQ(GetParent(panel), GetParent(wnd)) << what << ": the panel is the control's sibling";
        RECT p{};
        GetWindowRect(panel, &p);
        EXPECT_TRUE(EqualRect(&p, &g.Screen))
            << what << ": panel " << p.left << "," << p.top << "-" << p.right << "," << p.bottom << " bar "
            << g.Screen.left << "," << g.Screen.top << "-" << g.Screen.right << "," << g.Screen.bottom;
        POINT expected{g.Screen.left, g.Screen.top};
        ScreenToClient(GetParent(wnd), &expected);
        POINT at{p.left, p.top};
        ScreenToClient(GetParent(panel), &at);
        EXPECT_EQ(at.x, expected.x) << what;
        EXPECT_EQ(at.y, expected.y) << what;
        EXPECT_TRUE(ScreenShows(g.Screen.left + 4, g.Screen.top + 4, PartColour(r.arrowFrame), what + ": first arrow"));
    }
    EXPECT_EQ(bars, barsExpected) << what;
}

}  // namespace

TEST(ScrollPanels, SitExactlyOverTheSystemsBars) {
    ColourStrips strips;
    TMemo* memo = nullptr;
    TListBox* list = nullptr;
    TListView* view = nullptr;
    TScrollBox* box = nullptr;
    auto f = MakeForm([&](TForm* form) {
        memo = PutMemo(form, 10, 10);
        list = PutList(form, 230, 10);
        view = PutListView(form, 10, 200);
        box = PutScrollBox(form, 300, 200);
    });
    ASSERT_NE(f->Skin, nullptr);
    MouseMove(1000, 740);
    const struct {
        const char* what;
        TWinControl* control;
        const char* skin;
        int bars;
    } rows[] = {{"memo", memo, "TSkinScrollbar", 2},
                {"list box", list, "TSkinScrollbar", 1},
                {"list view", view, "TSkinListView", 1},
                {"scroll box", box, "TSkinScrollbar", 2}};
    for (const auto& r : rows) {
        auto* s = DynamicAs<TSkinScrollbar>(SkinOf(f->Skin, r.control));
        ASSERT_NE(s, nullptr) << r.what;
        EXPECT_EQ(s->ClassName(), r.skin) << r.what;
        ExpectPanelsOverBars(s, r.control->Handle(), r.what, r.bars);
    }
    // Moved and resized, the panels follow.
    memo->SetBounds(20, 20, 180, 110);
    Pump();
    ExpectPanelsOverBars(DynamicAs<TSkinScrollbar>(SkinOf(f->Skin, memo)), memo->Handle(), "memo moved", 2);
    // Hidden controls hide their panels; shown again, the panels come back.
    list->SetVisible(false);
    auto* ls = DynamicAs<TSkinScrollbar>(SkinOf(f->Skin, list));
    EXPECT_FALSE(ls->VertPanel->Shown);
    EXPECT_FALSE(IsWindowVisible(ls->VertPanel->Handle()));
    list->SetVisible(true);
    Pump();
    ExpectPanelsOverBars(ls, list->Handle(), "list box shown again", 1);
    // The two-line border, and the corner between the memo's bars.
    RECT w{};
    GetWindowRect(memo->Handle(), &w);
    EXPECT_TRUE(ScreenShows(w.left, w.top + 40, ColorToRGB(Skin()->Colours.ButtonShadow), "the memo's outer border"));
    EXPECT_TRUE(ScreenShows(w.left + 1, w.top + 40, ColorToRGB(Skin()->Colours.ButtonFace), "the memo's inner border"));
    // The corner box between two bars takes the skin's face colour.
    for (TWinControl* c : {static_cast<TWinControl*>(memo), static_cast<TWinControl*>(box)}) {
        const BarGeometry h = BarOf(c->Handle(), OBJID_HSCROLL), v = BarOf(c->Handle(), OBJID_VSCROLL);
        RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        EXPECT_TRUE(ScreenShows((v.Screen.left + v.Screen.right) / 2, (h.Screen.top + h.Screen.bottom) / 2,
                                ColorToRGB(Skin()->Colours.ButtonFace), c->ClassName() + ": the corner box"));
    }
    ShotWindow(f->Form->Handle(), "scroll-panels.png");
}

TEST(ScrollPanels, RealClicksAndDragsScrollThroughTheSystem) {
    ColourStrips strips;
    TListBox* list = nullptr;
    TMemo* memo = nullptr;
    auto f = MakeForm([&](TForm* form) {
        list = PutList(form, 20, 20);
        memo = PutMemo(form, 260, 20);
    });
    ASSERT_NE(f->Skin, nullptr);
    HWND lb = list->Handle();
    auto top = [&] { return static_cast<int>(SendMessageA(lb, LB_GETTOPINDEX, 0, 0)); };
    BarGeometry g = BarOf(lb, OBJID_VSCROLL);
    ASSERT_TRUE(g.Visible);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    EXPECT_TRUE(ScreenShows(x, g.Screen.bottom - 4, PartColour(13), "the down arrow"));

    MouseMove(x, g.Screen.bottom - 4);
    MouseClick(x, g.Screen.bottom - 4);
    EXPECT_TRUE(PumpUntil([&] { return top() == 1; }, "one line down after a click on the arrow"));

    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(lb, SB_VERT, &si);
    ASSERT_GT(si.nPage, 1u);
    g = BarOf(lb, OBJID_VSCROLL);
    MouseMove(x, g.Screen.top + g.ThumbBottom + 6);
    MouseClick(x, g.Screen.top + g.ThumbBottom + 6);
    const int paged = 1 + static_cast<int>(si.nPage);
    EXPECT_TRUE(PumpUntil([&] { return top() == paged; }, "a page down after a click on the track"));

    g = BarOf(lb, OBJID_VSCROLL);
    const int y = g.Screen.top + (g.ThumbTop + g.ThumbBottom) / 2;
    MouseMove(x, y);
    MouseDown(x, y);
    MouseMove(x, y + 10);
    MouseMove(x, y + 40);
    MouseUp(x, y + 40);
    EXPECT_TRUE(PumpUntil([&] { return top() > paged; }, "the list moved by the thumb drag"));
    const BarGeometry after = BarOf(lb, OBJID_VSCROLL);
    EXPECT_GT(after.ThumbTop, g.ThumbTop);
    // Away from the mouse, so that it is not hot.
    MouseMove(1000, 740);
    EXPECT_TRUE(
        ScreenShows(x, after.Screen.top + after.ThumbTop + 1, ThumbColour(1), "the panel's thumb where it went"));
    EXPECT_TRUE(ScreenShows(x, after.Screen.top + after.ThumbTop - 3, TrackColour(1), "the track above it"));

    // The memo's right arrow goes through the system too: one column.
    const BarGeometry h = BarOf(memo->Handle(), OBJID_HSCROLL);
    ASSERT_TRUE(h.Visible);
    const int hy = (h.Screen.top + h.Screen.bottom) / 2;
    MouseMove(h.Screen.right - 4, hy);
    MouseClick(h.Screen.right - 4, hy);
    EXPECT_TRUE(PumpUntil([&] { return GetScrollPos(memo->Handle(), SB_HORZ) > 0; }, "the memo scrolled right"));
    MouseMove(1000, 740);
}

TEST(ScrollPanels, ListViewHeaderDrawsItsItemsWithHotTracking) {
    ColourStrips strips;
    TListView* view = nullptr;
    auto f = MakeForm([&](TForm* form) { view = PutListView(form, 20, 20); });
    ASSERT_NE(f->Skin, nullptr);
    auto* s = DynamicAs<TSkinListView>(SkinOf(f->Skin, view));
    ASSERT_NE(s, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageA(view->Handle(), LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    ASSERT_NE(s->Header, nullptr);
    EXPECT_EQ(f->Skin->FindControlSkinByHandle(header), s->Header);
    MouseMove(1000, 740);
    RECT item0{}, item1{}, hw{};
    SendMessageA(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item0));
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item1));
    GetWindowRect(header, &hw);
    auto at = [&](const RECT& r, int dx) { return POINT{hw.left + r.left + dx, hw.top + 2}; };
    const POINT p0 = at(item0, 4), p1 = at(item1, 4);
    const POINT rest{hw.right - 6, hw.top + 2};
    EXPECT_TRUE(ScreenShows(p0.x, p0.y, HeaderColour(1), "the first item's normal frame"));
    EXPECT_TRUE(ScreenShows(p1.x, p1.y, HeaderColour(1), "the second item's normal frame"));
    EXPECT_TRUE(ScreenShows(rest.x, rest.y, HeaderColour(1), "the empty rest in the normal frame"));
    MouseMove(hw.left + item1.left + 20, (hw.top + hw.bottom) / 2);
    EXPECT_TRUE(ScreenShows(p1.x, p1.y, HeaderColour(2), "the hot second item"));
    EXPECT_TRUE(ScreenShows(p0.x, p0.y, HeaderColour(1), "the first item stays normal"));
    EXPECT_EQ(s->Header->HotItem, 1);
    MouseMove(1000, 740);
    EXPECT_TRUE(ScreenShows(p1.x, p1.y, HeaderColour(1), "no hot item once the mouse left"));
    EXPECT_EQ(s->Header->HotItem, -1);
    ShotWindow(f->Form->Handle(), "scroll-listview-header.png");

    // Item texts are read whole up to 100 characters, and cut there.
    const struct { size_t length, read; } texts[] = {{99, 99}, {100, 100}, {101, 100}, {150, 100}};
    for (const auto& t : texts) {
        std::wstring text(t.length, L'W');
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text.data();
        SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(ReadHeaderItem(header, 0).Text, std::wstring(t.read, L'W')) << t.length << " characters";
    }
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(ScreenShows(rest.x, rest.y, HeaderColour(1), "a long text drawn without harm"));
}

TEST(ScrollPanels, DispatchGivesBarsAndBordersByClass) {
    ColourStrips strips;
    Skin()->Skin3rd()->Add("TMAPSINGLEBOX=singlescrollbar");
    Skin()->Skin3rd()->Add("TMapEmbedPanel=embedscrollbar");
    TMemo *memo = nullptr, *flat = nullptr, *embedded = nullptr;
    TImageScrollBox* image = nullptr;
    TDBCtrlGrid* grid = nullptr;
    TMapSingleBox* single = nullptr;
    TMapEmbedPanel* embed = nullptr;
    TScrollBar* bar = nullptr;
    TListView* view = nullptr;
    TRichEdit* rich = nullptr;
    TdxDBGrid* dxGrid = nullptr;
    auto f = MakeForm([&](TForm* form) {
        rich = Put<TRichEdit>(form, 10, 440, 100, 40);
        dxGrid = Put<TdxDBGrid>(form, 120, 440, 100, 40);
        memo = PutMemo(form, 10, 10);
        flat = PutMemo(form, 230, 10);
        flat->SetBorderStyle(bsNone);
        image = PutScrollBox<TImageScrollBox>(form, 450, 10);
        grid = PutScrollBox<TDBCtrlGrid>(form, 10, 150);
        single = PutScrollBox<TMapSingleBox>(form, 230, 150);
        embed = Put<TMapEmbedPanel>(form, 450, 150, 230, 160);
        embedded = PutMemo(embed, 10, 10);
        bar = Put<TScrollBar>(form, 10, 300, 200, 18);
        view = PutListView(form, 230, 320);
    });
    ASSERT_NE(f->Skin, nullptr);
    const struct {
        const char* what;
        TControl* control;
        const char* skin;
        bool border;
    } rows[] = {
        {"a memo", memo, "TSkinScrollbar", true},
        {"a memo without a border", flat, "TSkinScrollbar", false},
        {"an image scroll box", image, "TSkinScrollbar", false},
        {"a grid mapped to scrollbar", grid, "TSkinScrollbar", true},
        {"a box mapped to singlescrollbar", single, "TSkinScrollbar", false},
        {"a memo inside an embedscrollbar panel", embedded, "TSkinScrollbar", true},
        {"a list view", view, "TSkinListView", true},
        {"a rich edit without bars", rich, "TSkinScrollbar", true},
        {"a tree-list grid without bars", dxGrid, "TSkinScrollbar", true},
    };
    for (const auto& r : rows) {
        TSkinControl* s = SkinOf(f->Skin, r.control);
        EXPECT_EQ(s ? s->ClassName() : std::string(), r.skin) << r.what;
        if (auto* sb = DynamicAs<TSkinScrollbar>(s)) {
            EXPECT_EQ(sb->DrawBorderFlag, r.border) << r.what;
        }
    }
    EXPECT_EQ(SkinOf(f->Skin, embed), nullptr) << "the embedscrollbar panel itself";
    TSkinControl* bs = SkinOf(f->Skin, bar);
    EXPECT_EQ(bs ? bs->ClassName() : std::string(), "TSkinScControl");

    // The border on request, answered with the marker.
    HDC dc = GetWindowDC(memo->Handle());
    EXPECT_EQ(SendMessageA(memo->Handle(), WM_SKIN_PAINTNC, reinterpret_cast<WPARAM>(dc), SKIN_MARKER), SKIN_MARKER);
    EXPECT_NE(SendMessageA(memo->Handle(), WM_SKIN_PAINTNC, reinterpret_cast<WPARAM>(dc), 1), SKIN_MARKER);
    ReleaseDC(memo->Handle(), dc);

    // A window made again gets a fresh skin of the same class, once.
    for (TWinControl* c : {static_cast<TWinControl*>(memo), static_cast<TWinControl*>(view)}) {
        const std::string cls = SkinOf(f->Skin, c)->ClassName();
        HWND old = c->Handle();
        c->RecreateWnd();
        c->HandleNeeded();
        EXPECT_TRUE(PumpUntil(
            [&] {
                TSkinControl* s = SkinOf(f->Skin, c);
                return s && s->Handle == c->Handle() && s->Handle != old;
            },
            cls + " on the new window"));
        int n = 0;
        for (TSkinControl* s : f->Skin->ControlSkins)
            if (s->Control == c && s->State == scAttached) ++n;
        EXPECT_EQ(n, 1) << cls;
        TSkinControl* s = SkinOf(f->Skin, c);
        EXPECT_EQ(s ? s->ClassName() : std::string(), cls);
    }
    ExpectPanelsOverBars(DynamicAs<TSkinScrollbar>(SkinOf(f->Skin, memo)), memo->Handle(), "memo made again", 2);
}

TEST(ScrollPanels, ScrollBarControlIsCoveredAndClickable) {
    ColourStrips strips;
    TScrollBar* bar = nullptr;
    auto f = MakeForm([&](TForm* form) {
        bar = Put<TScrollBar>(form, 20, 20, 240, GetSystemMetrics(SM_CYHSCROLL));
        bar->SetParams(0, 0, 100);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* s = DynamicAs<TSkinScControl>(SkinOf(f->Skin, bar));
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->Panel, nullptr);
    RECT p{}, c{};
    GetWindowRect(s->Panel->Handle(), &p);
    GetWindowRect(bar->Handle(), &c);
    EXPECT_TRUE(EqualRect(&p, &c)) << "the panel covers the control";
    const int y = (c.top + c.bottom) / 2;
    EXPECT_TRUE(ScreenShows(c.left + 4, y, PartColour(1), "the left arrow"));
    EXPECT_TRUE(ScreenShows(c.right - 4, y, PartColour(5), "the right arrow"));
    MouseMove(c.right - 4, y);
    MouseClick(c.right - 4, y);
    EXPECT_TRUE(PumpUntil([&] { return bar->Position() == 1; }, "one step right"));
    MouseMove(1000, 740);
}

TEST(ScrollPanels, RepaintsKeepTheGdiCount) {
    ColourStrips strips;
    TMemo* memo = nullptr;
    TListView* view = nullptr;
    TComboBox* combo = nullptr;
    auto f = MakeForm([&](TForm* form) {
        memo = PutMemo(form, 10, 10);
        view = PutListView(form, 230, 10);
        combo = Put<TComboBox>(form, 10, 200, 160, 24);
        combo->SetStyle(csDropDownList);
        for (int i = 0; i < 40; ++i) combo->Items()->Add("Choice " + std::to_string(i));
    });
    ASSERT_NE(f->Skin, nullptr);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(SkinGetComboBoxInfo && SkinGetComboBoxInfo(combo->Handle(), &info));
    auto* listBar = new TComboxScrollBar(f->Form);
    listBar->AttachHandle(info.hwndList, Skin(), f->Skin, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageA(view->Handle(), LVM_GETHEADER, 0, 0));
    auto* ms = DynamicAs<TSkinScrollbar>(SkinOf(f->Skin, memo));
    ASSERT_NE(ms, nullptr);
    auto repaint = [&](int n) {
        for (int i = 0; i < n; ++i) {
            for (HWND w : {memo->Handle(), view->Handle(), header}) {
                RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
                SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
                SendMessageA(w, WM_MOUSELEAVE, 0, 0);
            }
            SendMessageA(ms->VertPanel->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            SendMessageA(ms->VertPanel->Handle(), WM_MOUSELEAVE, 0, 0);
            SendMessageA(info.hwndList, WM_NCPAINT, 1, 0);
            SendMessageA(info.hwndList, WM_VSCROLL, SB_ENDSCROLL, 0);
            SendMessageA(memo->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
            SendMessageA(memo->Handle(), WM_VSCROLL, SB_LINEUP, 0);
        }
    };
    repaint(5);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    repaint(100);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}

TEST(ScrollPanels, BareWindowsBarsAreCoveredByHandle) {
    ColourStrips strips;
    HWND owner = ShowBareWindow("Bare bars", WS_OVERLAPPEDWINDOW, 200, 120, 360, 320);
    TTinselForm* form = WaitSkinned(owner);
    ASSERT_NE(form, nullptr);
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL, 20, 20, 160, 180,
                                owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int i = 0; i < 50; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("Line " + std::to_string(i)).c_str()));
    auto* skin = new TSkinScrollbarH(form);
    skin->AttachHandle(list, Skin(), form, nullptr);
    ASSERT_TRUE(skin->Attached);
    ASSERT_NE(skin->VertPanel, nullptr);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Pump();
    const BarGeometry g = BarOf(list, OBJID_VSCROLL);
    ASSERT_TRUE(g.Visible);
    EXPECT_TRUE(skin->VertPanel->Shown);
    EXPECT_FALSE(skin->HorzPanel->Shown) << "no horizontal bar to cover";
    RECT p{};
    GetWindowRect(skin->VertPanel->Handle(), &p);
    EXPECT_TRUE(EqualRect(&p, &g.Screen));
    EXPECT_EQ(GetParent(skin->VertPanel->Handle()), owner);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    EXPECT_TRUE(ScreenShows(x, g.Screen.bottom - 4, PartColour(13), "the bare list's down arrow"));
    MouseMove(x, g.Screen.bottom - 4);
    MouseClick(x, g.Screen.bottom - 4);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageA(list, LB_GETTOPINDEX, 0, 0) == 1; }, "one line down"));
    MouseMove(1000, 740);
    // A hidden window hides its panel.
    ShowWindow(list, SW_HIDE);
    SendMessageA(list, WM_SIZE, 0, 0);
    EXPECT_FALSE(skin->VertPanel->Shown);
    DestroyWindow(list);
    EXPECT_EQ(skin->State, scDestroyed);
    delete skin;
    DestroyWindow(owner);
    Pump();
}

TEST(ScrollPanels, CornerBoxLiesWhereEachSkinDrawsItsBorder) {
    ColourStrips strips;
    TMemo* memo = nullptr;
    auto f = MakeForm([&](TForm* form) { memo = PutMemo(form, 10, 10); });
    ASSERT_NE(f->Skin, nullptr);
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL, 260, 20,
                                160, 180, f->Form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int i = 0; i < 50; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("Line " + std::to_string(i)).c_str()));
    SendMessageA(list, LB_SETHORIZONTALEXTENT, 600, 0);
    auto* bare = new TSkinScrollbarH(f->Form);
    bare->AttachHandle(list, Skin(), f->Skin, nullptr);
    ASSERT_TRUE(bare->Attached);
    auto* bordered = DynamicAs<TSkinScrollbar>(SkinOf(f->Skin, memo));
    ASSERT_NE(bordered, nullptr);
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace);
    const struct {
        const char* what;
        TSkinControl* skin;
        TWScrollbar *horz, *vert;
        int lead;  // added to the corner's left and top; right and bottom always get 2
    } rows[] = {
        {"a control with the skin's border", bordered, bordered->HorzPanel, bordered->VertPanel, 2},
        {"a bare window", bare, bare->HorzPanel, bare->VertPanel, 0},
    };
    for (const auto& r : rows) {
        RECT w{};
        GetWindowRect(r.skin->Handle, &w);
        r.horz->UpdateBar(r.skin->Handle);
        r.vert->UpdateBar(r.skin->Handle);
        ASSERT_TRUE(r.horz->Shown && r.vert->Shown) << r.what;
        TBitmap m;
        m.SetPixelFormat(pf24bit);
        m.SetSize(w.right - w.left, w.bottom - w.top);
        FillColour(m.Canvas()->Handle(), TRect{0, 0, m.Width(), m.Height()}, RGB(0, 0, 0));
        r.skin->DrawSkin(m.Canvas()->Handle(), TRect{0, 0, m.Width(), m.Height()});
        HDC dc = m.Canvas()->Handle();
        const int left = r.vert->ClientBar.left + r.lead, top = r.horz->ClientBar.top + r.lead;
        const int right = r.vert->ClientBar.right + 2, bottom = r.horz->ClientBar.bottom + 2;
        EXPECT_EQ(GetPixel(dc, left, top), face) << r.what << ": the corner's top-left";
        EXPECT_EQ(GetPixel(dc, right - 1, bottom - 1), face) << r.what << ": the corner's bottom-right";
        EXPECT_EQ(GetPixel(dc, left - 1, top), RGB(0, 0, 0)) << r.what << ": left of the corner";
        EXPECT_EQ(GetPixel(dc, left, top - 1), RGB(0, 0, 0)) << r.what << ": above the corner";
        if (right < m.Width())
            EXPECT_EQ(GetPixel(dc, right, bottom - 1), RGB(0, 0, 0)) << r.what << ": right of the corner";
    }
    DestroyWindow(list);
    delete bare;
}

TEST(ScrollPanels, ScrollBarControlIsMeasuredAfreshAtAPress) {
    ColourStrips strips;
    TScrollBar* bar = nullptr;
    const int thick = GetSystemMetrics(SM_CYHSCROLL);
    auto f = MakeForm([&](TForm* form) {
        bar = Put<TScrollBar>(form, 20, 20, 240, thick);
        bar->SetParams(0, 0, 100);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* s = DynamicAs<TSkinScControl>(SkinOf(f->Skin, bar));
    ASSERT_TRUE(s && s->Panel);
    Pump();
    ASSERT_EQ(s->Panel->BarLength, 240);
    // The control shrinks while its skin looks away: the panel has not seen the new length.
    SendMessageA(bar->Handle(), WM_SKIN_ENABLE, 0, 0);
    bar->SetBounds(20, 20, 120, thick);
    ASSERT_EQ(s->Panel->BarLength, 240);
    // A press where the shrunk bar has its right arrow; the system's tracking ends at the release.
    // Without the skin's arrows no paint measures the bar in between: the press itself must.
    auto arrows = std::exchange(Skin()->Scrollbar, nullptr);
    const int x = 120 - 4, y = thick / 2;
    PostMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageA(s->Panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Skin()->Scrollbar = std::move(arrows);
    EXPECT_EQ(s->Panel->HotPart, 1) << "the second arrow, measured on the control as it is";
    EXPECT_EQ(s->Panel->BarLength, 120);
    SendMessageA(bar->Handle(), WM_SKIN_ENABLE, 1, 0);
    Pump();
}
