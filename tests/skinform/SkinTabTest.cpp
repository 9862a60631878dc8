// Tab skins on skinned forms: page controls, tab controls and bare tab windows drawn from
// a [Tabs] strip whose every frame has its own colours (upper and lower half differ, so a
// pixel tells the frame and whether it was flipped), button-style tabs from [Buttons],
// pages in the skin's face colour, close boxes, page turning by mouse and keyboard, and
// the tabs' arrows when they overflow.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "SkinFormTestUtil.h"
#include "classlib/StdCtrls.h"
#include "classlib/Tabs.h"
#include "classlib/TabControls.h"
#include "classlib/WindowSubclass.h"
#include "skin/SkinControlKinds.h"
#include "skin/SkinTab.h"
#include "skin/SkinTabSet.h"
#include "skin/SkinUpDown.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

// A notebook of another control library: its window is a tab control, its class is not one.
class TTabbedNotebook : public TWinControl {
    DP_DECLARE_CLASS(TTabbedNotebook, TWinControl)
public:
    explicit TTabbedNotebook(TComponent* owner) : TWinControl(owner) {}

protected:
    void CreateParams(TCreateParams& p) override {
        InitComCtl(ICC_TAB_CLASSES);
        TWinControl::CreateParams(p);
        CreateSubClass(p, WC_TABCONTROLA);
    }
};
DP_PUBLISHED(TTabbedNotebook){};

// A tab strip class the class map names with the kind "tab".
class TMapTabs : public TTabbedNotebook {
    DP_DECLARE_CLASS(TMapTabs, TTabbedNotebook)
public:
    using TTabbedNotebook::TTabbedNotebook;
};
DP_PUBLISHED(TMapTabs){};

// A page control of another library that paints its tabs with pictures it is given.
class TAdvPageControl : public TPageControl {
    DP_DECLARE_CLASS(TAdvPageControl, TPageControl)
public:
    explicit TAdvPageControl(TComponent* owner)
        : TPageControl(owner), m_back(std::make_unique<TBitmap>()), m_active(std::make_unique<TBitmap>()) {}
    TBitmap* TabBackGround() const { return m_back.get(); }
    void SetTabBackGround(TBitmap* b) { m_back->Assign(b); }
    TBitmap* TabBackGroundActive() const { return m_active.get(); }
    void SetTabBackGroundActive(TBitmap* b) { m_active->Assign(b); }

private:
    std::unique_ptr<TBitmap> m_back, m_active;
};
DP_PUBLISHED(TAdvPageControl){
    DP_PROP_OBJ(TabBackGround, TabBackGround, SetTabBackGround),
    DP_PROP_OBJ(TabBackGroundActive, TabBackGroundActive, SetTabBackGroundActive),
};

namespace {
using namespace skinform;

COLORREF UpperColour(int frame) { return RGB(30 * frame, 240 - 30 * frame, 60); }
COLORREF LowerColour(int frame) { return RGB(60, 30 * frame, 240 - 30 * frame); }
constexpr COLORREF kBorderTop = RGB(250, 10, 10), kBorderBottom = RGB(10, 250, 10), kBorderSide = RGB(10, 10, 250),
                   kBorderInside = RGB(200, 200, 0);
COLORREF ButtonColour(int frame) { return RGB(200 - 35 * frame, 40 * frame, 250 - 20 * frame); }
// Tab texts in colours no frame, border or system colour has.
constexpr COLORREF kTabText = RGB(230, 130, 20), kCurrentTabText = RGB(20, 130, 230);

std::unique_ptr<TBitmap> Filled(int w, int h) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    return b;
}

// [Tabs]: five frames 30 x 22, each with an upper and a lower colour; the border a frame
// whose top, bottom and side bands each have their own colour. [Buttons]: five plain frames.
void InstallTabSkin() {
    static bool done = false;
    if (done) return;
    done = true;
    TSkinData* data = Skin();
    data->Tabs = std::make_unique<TDataSkinBorder>("Tabs");
    auto strip = Filled(5 * 30, 22);
    for (int i = 1; i <= 5; ++i) {
        FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * 30, 0, 30, 11), UpperColour(i));
        FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * 30, 11, 30, 11), LowerColour(i));
    }
    data->Tabs->Bitmap = std::move(strip);
    auto border = Filled(20, 20);
    HDC dc = border->Canvas()->Handle();
    FillColour(dc, TRect{0, 0, 20, 20}, kBorderInside);
    FillColour(dc, TRect{0, 0, 4, 20}, kBorderSide);
    FillColour(dc, TRect{16, 0, 20, 20}, kBorderSide);
    FillColour(dc, TRect{0, 0, 20, 5}, kBorderTop);
    FillColour(dc, TRect{0, 16, 20, 20}, kBorderBottom);
    data->Tabs->Bitmap2 = std::move(border);
    data->Tabs->Frames = 5;
    data->Tabs->Style = 0;
    data->Tabs->Margins = TRect{0, 0, 0, 0};
    data->Tabs->Trans = 0;
    data->Tabs->Tile = 0;
    data->Tabs->NormalColour2 = kTabText;
    data->Tabs->MouseOverColour2 = kCurrentTabText;
    auto buttons = Filled(5 * 24, 24);
    for (int i = 1; i <= 5; ++i)
        FillColour(buttons->Canvas()->Handle(), Bounds((i - 1) * 24, 0, 24, 24), ButtonColour(i));
    data->Buttons->Bitmap = std::move(buttons);
    data->Buttons->Frames = 5;
    data->Buttons->Margins = TRect{0, 0, 0, 0};
    data->Buttons->Trans = 0;
    data->Buttons->Tile = 0;
    data->Buttons->HasNormalColour2 = data->Buttons->HasMouseOverColour2 = data->Buttons->HasPressedColour2 = false;
}

std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make, int w = 520, int h = 400) {
    InstallTabSkin();
    auto f = MakeSkinnedForm("Tab skins", {60, 60, 60 + w, 60 + h}, make);
    MouseMove(1000, 740);
    return f;
}

template <class T>
T* Put(TWinControl* parent, TComponent* owner, int x, int y, int w, int h) {
    auto* c = new T(owner);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    return c;
}

TPageControl* Pages(TForm* form, int x, int y, int w, int h, const std::vector<std::string>& captions,
                    TTabPosition position = tpTop, TTabStyle style = tsTabs) {
    auto* pc = Put<TPageControl>(form, form, x, y, w, h);
    pc->SetTabPosition(position);
    pc->SetStyle(style);
    for (const std::string& caption : captions) {
        auto* page = new TTabSheet(form);
        page->SetPageControl(pc);
        page->SetCaption(caption);
    }
    pc->SetActivePageIndex(0);
    return pc;
}

std::string SkinName(TSkinControl* s) { return s ? s->ClassName() : std::string(); }

COLORREF ScreenAt(TControl* c, int x, int y) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    return ScreenPixel(p.x, p.y);
}

bool Shows(TControl* c, int x, int y, COLORREF colour, const std::string& what) {
    return PumpUntil([&] { return ScreenAt(c, x, y) == colour; }, what);
}

// Ctrl (and Shift) with a key, through the system's queue.
void CtrlKey(WORD vk, bool shift = false) {
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(vk, false);
    add(vk, true);
    if (shift) add(VK_SHIFT, true);
    add(VK_CONTROL, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TRect TabRect(TCustomTabControl* c, int i) { return c->TabRect(i); }

// How many rows of r (client coordinates of c) the pixels of that colour span; 0 without any.
int InkRows(TControl* c, const TRect& r, COLORREF colour) {
    const TPoint a = c->ClientToScreen(TPoint{r.left, r.top});
    const int w = r.right - r.left;
    if (w <= 0 || r.bottom <= r.top) return 0;
    const std::vector<COLORREF> px = ScreenRect(RECT{a.x, a.y, a.x + w, a.y + r.bottom - r.top});
    int first = -1, last = -1;
    for (size_t i = 0; i < px.size(); ++i) {
        if (px[i] != colour) continue;
        const int row = static_cast<int>(i) / w;
        if (first < 0) first = row;
        last = row;
    }
    return first < 0 ? 0 : last - first + 1;
}

// A font no tab has by default: its letters are taller than the default font's whole cell.
void UseTallFont(TControl* c) {
    c->Font()->SetName("Tahoma");
    c->Font()->SetHeight(-24);
}
int DefaultCellHeight() {
    TFont plain;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, plain.Handle());
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}

// The text of a tab shows in that colour, in letters taller than the default font's cell
// (a failure names how far it got).
void TabTextShows(TControl* c, const TRect& tab, COLORREF colour, const std::string& what) {
    const int tall = DefaultCellHeight() + 1;
    int rows = 0;
    if (!PumpUntil(
            [&] {
                rows = InkRows(c, tab, colour);
                return rows >= tall;
            },
            what))
        ADD_FAILURE() << what << ": its text spans " << rows << " rows, the default font's cell " << tall - 1;
}

// Keys reach the forms' dialog keys through the application's own loop.
bool AppPumpUntil(const std::function<bool()>& pred, const std::string& what) {
    const DWORD start = GetTickCount();
    for (;;) {
        Application->ProcessMessages();
        if (pred()) return true;
        if (GetTickCount() - start > 20000) {
            ADD_FAILURE() << "waited 20000 ms for: " << what;
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace

TEST(TabSkin, DispatchGivesEachTabbedControlItsSkin) {
    Skin()->Skin3rd()->Add("TMAPTABS=TAB");
    TPageControl *pages = nullptr, *buttons = nullptr;
    TTabControl* tabs = nullptr;
    TTabbedNotebook* notebook = nullptr;
    TMapTabs* mapped = nullptr;
    auto f = MakeForm([&](TForm* form) {
        pages = Pages(form, 10, 10, 240, 120, {"One", "Two"});
        buttons = Pages(form, 260, 10, 240, 120, {"One", "Two"}, tpTop, tsButtons);
        tabs = Put<TTabControl>(form, form, 10, 140, 240, 80);
        tabs->Tabs()->Add("A");
        notebook = Put<TTabbedNotebook>(form, form, 260, 140, 120, 80);
        mapped = Put<TMapTabs>(form, form, 390, 140, 110, 80);
    });
    ASSERT_NE(f->Skin, nullptr);
    HWND bare = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE, 10, 230, 200, 60, f->Form->Handle(),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND ownerDrawn = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | TCS_OWNERDRAWFIXED, 220, 230, 200,
                                      60, f->Form->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    f->Skin->SkinChildWindows(f->Form->Handle());
    const struct {
        const char* what;
        TSkinControl* skin;
        const char* name;
        int mode;
    } rows[] = {
        {"a page control", SkinOf(f->Skin, pages), "TSkinTab", 0},
        {"a page control with button tabs", SkinOf(f->Skin, buttons), "TSkinTabBtn", 0},
        {"a page of it", SkinOf(f->Skin, pages->Pages(1)), "TSkinTabSheet", 0},
        {"a tab control", SkinOf(f->Skin, tabs), "TSkinTab", 2},
        {"a tabbed notebook of another library", SkinOf(f->Skin, notebook), "TSkinTab", 0},
        {"a class mapped to tab", SkinOf(f->Skin, mapped), "TSkinTab", 0},
        {"a bare tab window", f->Skin->FindControlSkinByHandle(bare), "TSkinTab", 0},
        {"an owner-drawn bare tab window", f->Skin->FindControlSkinByHandle(ownerDrawn), "", 0},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(SkinName(r.skin), r.name) << r.what;
        if (r.skin) {
            EXPECT_EQ(r.skin->SpecialMode, r.mode) << r.what;
        }
    }
    DestroyWindow(bare);
    DestroyWindow(ownerDrawn);
}

// Each side: the current tab in frame 2, the others in frame 1; the frame's halves and the
// border's bands tell whether the picture was flipped or turned.
TEST(TabSkin, StripAndBorderFollowTheTabSide) {
    const struct {
        TTabPosition position;
        const char* name;
    } sides[] = {{tpTop, "top"}, {tpBottom, "bottom"}, {tpLeft, "left"}, {tpRight, "right"}};
    for (const auto& side : sides) {
        SCOPED_TRACE(side.name);
        TPageControl* pc = nullptr;
        auto f = MakeForm([&](TForm* form) { pc = Pages(form, 20, 20, 400, 260, {"First", "Second"}, side.position); });
        ASSERT_NE(f->Skin, nullptr);
        auto* skin = DynamicAs<TSkinTab>(SkinOf(f->Skin, pc));
        ASSERT_NE(skin, nullptr);
        const TRect d = pc->DisplayRect();
        for (int i = 0; i < 2; ++i) {
            const int frame = i == pc->ActivePageIndex() ? 2 : 1;
            const TRect r = TabRect(pc, i);
            // Points in the part of the tab away from the page (the frame's upper half, unless
            // flipped) and in the part toward it, within the strip (which ends 3 pixels
            // outside the page).
            POINT outer{}, inner{};
            COLORREF outerColour = UpperColour(frame), innerColour = LowerColour(frame);
            switch (side.position) {
                case tpTop: {
                    const int top = r.top + 1, bottom = std::min<int>(r.bottom + 1, d.top - 3);
                    outer = {r.left + 4, top + 2};
                    inner = {r.left + 4, bottom - 2};
                    ASSERT_GT(inner.y, top + (r.bottom - r.top) / 2);
                    break;
                }
                case tpBottom: {
                    const int top = std::max<int>(r.top - 1, d.bottom + 3), bottom = r.bottom - 1;
                    outer = {r.left + 4, bottom - 3};
                    inner = {r.left + 4, top + 2};
                    ASSERT_LT(inner.y, r.top - 1 + (r.bottom - r.top) / 2);
                    break;
                }
                case tpLeft: {
                    const int right = std::min<int>(r.right, d.left - 3);
                    outer = {r.left + 2, r.top + 4};
                    inner = {right - 2, r.top + 4};
                    ASSERT_GT(inner.x, r.left + (r.right - r.left) / 2);
                    break;
                }
                case tpRight: {
                    const int left = std::max<int>(r.left, d.right + 3);
                    outer = {r.right - 3, r.top + 4};
                    inner = {left + 2, r.top + 4};
                    ASSERT_LT(inner.x, r.left + (r.right - r.left) / 2);
                    break;
                }
            }
            const std::string tab = "tab " + std::to_string(i) + " in frame " + std::to_string(frame);
            EXPECT_TRUE(Shows(pc, outer.x, outer.y, outerColour, tab + ", its outer part"));
            EXPECT_TRUE(Shows(pc, inner.x, inner.y, innerColour, tab + ", its part toward the page"));
        }
        // The border's bands: top and bottom swap places for bottom tabs.
        const int mx = (d.left + d.right) / 2;
        const bool flipped = side.position == tpBottom;
        if (side.position == tpTop || side.position == tpBottom) {
            EXPECT_TRUE(Shows(pc, mx, d.top - 2, flipped ? kBorderBottom : kBorderTop, "the border above the page"));
            EXPECT_TRUE(Shows(pc, mx, d.bottom + 1, flipped ? kBorderTop : kBorderBottom, "the border below it"));
        } else {
            // Turned: the top band faces the tabs' side.
            const int my = (d.top + d.bottom) / 2;
            const int tabsSide = side.position == tpLeft ? d.left - 2 : d.right + 1;
            EXPECT_TRUE(Shows(pc, tabsSide, my, kBorderTop, "the turned border's top band beside the tabs"));
        }
        ShotWindow(f->Form->Handle(), std::string("tab-skin-") + side.name + ".png");
    }
}

// Every tab skin writes its tabs' texts in the control's font and the skin's text colours:
// the strip's normal and current colours on page controls and tab sets, the buttons' normal
// and pressed colours on button tabs; the current tab follows a click.
TEST(TabSkin, TabTextsTakeTheControlsFontAndTheSkinsColours) {
    TSkinData* data = Skin();
    TDataSkinButton* b = data->Buttons.get();
    InstallTabSkin();
    b->NormalColour2 = kTabText;
    b->PressedColour2 = kCurrentTabText;
    b->HasNormalColour2 = b->HasPressedColour2 = true;
    struct Plain {
        TDataSkinButton* b;
        ~Plain() { b->HasNormalColour2 = b->HasPressedColour2 = false; }
    } plain{b};
    TPageControl *pc = nullptr, *buttons = nullptr;
    TTabSet* set = nullptr;
    auto f = MakeForm([&](TForm* form) {
        pc = Pages(form, 20, 20, 460, 120, {"First", "Second"});
        buttons = Pages(form, 20, 150, 460, 100, {"One", "Two"}, tpTop, tsButtons);
        set = Put<TTabSet>(form, form, 20, 270, 460, 34);
        set->Tabs()->Add("Left");
        set->Tabs()->Add("Right");
        set->SetTabIndex(0);
        for (TControl* c : std::initializer_list<TControl*>{pc, buttons, set}) UseTallFont(c);
    });
    ASSERT_NE(f->Skin, nullptr);
    ASSERT_EQ(SkinName(SkinOf(f->Skin, pc)), "TSkinTab");
    ASSERT_EQ(SkinName(SkinOf(f->Skin, buttons)), "TSkinTabBtn");
    ASSERT_EQ(SkinName(SkinOf(f->Skin, set)), "TSkinTab31");
    auto tabsShow = [&](int current, const std::string& when) {
        for (int i = 0; i < 2; ++i) {
            const COLORREF colour = i == current ? kCurrentTabText : kTabText;
            const std::string which = " tab " + std::to_string(i) + (i == current ? " (current)" : "") + when;
            TabTextShows(pc, TabRect(pc, i), colour, "the page control's" + which);
            TabTextShows(buttons, TabRect(buttons, i), colour, "the button tabs'" + which);
            TabTextShows(set, set->ItemRect(i), colour, "the tab set's" + which);
        }
    };
    tabsShow(0, "");
    ShotWindow(f->Form->Handle(), "tab-skin-text.png");
    // A click makes the other tab current: the colours change places.
    for (TControl* c : std::initializer_list<TControl*>{pc, buttons, set}) {
        const TRect r = c == set ? set->ItemRect(1) : TabRect(static_cast<TCustomTabControl*>(c), 1);
        const TPoint at = c->ClientToScreen(TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        MouseClick(at.x, at.y);
        Pump();
        MouseMove(1000, 740);
    }
    ASSERT_TRUE(
        PumpUntil([&] { return pc->ActivePageIndex() == 1 && buttons->ActivePageIndex() == 1 && set->TabIndex() == 1; },
                  "the second tabs current after the clicks"));
    tabsShow(1, " after the click");
}

TEST(TabSkin, PagesTurnByClickAndByCtrlTab) {
    TPageControl* pc = nullptr;
    TEdit* edit = nullptr;
    auto f = MakeForm([&](TForm* form) {
        pc = Pages(form, 20, 20, 400, 260, {"First", "Second", "Third"});
        edit = Put<TEdit>(pc->Pages(0), form, 10, 10, 120, 22);
    });
    ASSERT_NE(f->Skin, nullptr);
    edit->SetFocus();
    auto currentShows = [&](int i) {
        const TRect r = TabRect(pc, i);
        return Shows(pc, r.left + 4, r.top + 4, UpperColour(2), "tab " + std::to_string(i) + " in frame 2");
    };
    ASSERT_TRUE(currentShows(0));
    const TRect second = TabRect(pc, 1);
    const TPoint at = pc->ClientToScreen(TPoint{(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    MouseClick(at.x, at.y);
    EXPECT_TRUE(PumpUntil([&] { return pc->ActivePageIndex() == 1; }, "the second page after a click on its tab"));
    EXPECT_TRUE(currentShows(1));
    EXPECT_TRUE(Shows(pc, TabRect(pc, 0).left + 4, TabRect(pc, 0).top + 4, UpperColour(1), "tab 0 back in frame 1"));
    CtrlKey(VK_TAB);
    EXPECT_TRUE(AppPumpUntil([&] { return pc->ActivePageIndex() == 2; }, "the third page after Ctrl+Tab"));
    EXPECT_TRUE(currentShows(2));
    CtrlKey(VK_TAB);
    EXPECT_TRUE(AppPumpUntil([&] { return pc->ActivePageIndex() == 0; }, "Ctrl+Tab wrapping to the first page"));
    CtrlKey(VK_TAB, true);
    EXPECT_TRUE(AppPumpUntil([&] { return pc->ActivePageIndex() == 2; }, "Ctrl+Shift+Tab back to the last page"));
    EXPECT_TRUE(IsWindowVisible(pc->Pages(2)->Handle()));
    EXPECT_FALSE(IsWindowVisible(pc->Pages(0)->Handle()));
}

TEST(TabSkin, ButtonTabsAndPagesTakeTheSkin) {
    TPageControl *buttons = nullptr, *pc = nullptr;
    TCheckBox* check = nullptr;
    auto f = MakeForm([&](TForm* form) {
        buttons = Pages(form, 20, 20, 460, 120, {"One", "Two"}, tpTop, tsButtons);
        pc = Pages(form, 20, 150, 460, 180, {"Checks", "More"});
        check = Put<TCheckBox>(pc->Pages(0), form, 10, 10, 200, 24);
        check->SetCaption("On a page");
    });
    ASSERT_NE(f->Skin, nullptr);
    ASSERT_EQ(SkinName(SkinOf(f->Skin, buttons)), "TSkinTabBtn");
    for (int i = 0; i < 2; ++i) {
        const TRect r = TabRect(buttons, i);
        const int frame = i == 0 ? 2 : 1;
        EXPECT_TRUE(Shows(buttons, r.left + 3, r.top + 3, ButtonColour(frame),
                          "button tab " + std::to_string(i) + " in frame " + std::to_string(frame)));
    }
    // Labelled in black when the skin gives no colour.
    const TRect r = TabRect(buttons, 1);
    EXPECT_TRUE(PumpUntil(
        [&] {
            const TPoint a = buttons->ClientToScreen(TPoint{r.left, r.top + 1});
            for (COLORREF c : ScreenRect(RECT{a.x, a.y, a.x + r.right - r.left, a.y + r.bottom - r.top}))
                if (c == RGB(0, 0, 0)) return true;
            return false;
        },
        "black text on the second button tab"));
    // The page and the check box on it in the skin's face colour, not the system's.
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace);
    ASSERT_NE(face, GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(Shows(pc->Pages(0), 300, 100, face, "the page in the skin's face colour"));
    EXPECT_TRUE(Shows(check, 196, 2, face, "the check box's background on the page"));
    ShotWindow(f->Form->Handle(), "tab-skin-buttons.png");
}

TEST(TabSkin, CloseBoxesFreeTheirPages) {
    TPageControl *pc = nullptr, *bottom = nullptr;
    auto f = MakeForm([&](TForm* form) {
        pc = Pages(form, 20, 20, 460, 160, {"Keep", "Close me", "Last"});
        pc->SetTag(TabCloseTag);
        bottom = Pages(form, 20, 190, 460, 150, {"Bottom", "Tabs"}, tpBottom);
        bottom->SetTag(TabCloseTag);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* skin = DynamicAs<TSkinTab>(SkinOf(f->Skin, pc));
    ASSERT_NE(skin, nullptr);
    EXPECT_TRUE(skin->CloseMode);
    auto* bottomSkin = DynamicAs<TSkinTab>(SkinOf(f->Skin, bottom));
    ASSERT_NE(bottomSkin, nullptr);
    EXPECT_FALSE(bottomSkin->CloseMode) << "bottom tabs have no close boxes";
    ASSERT_TRUE(PumpUntil([&] { return skin->CloseRects.size() == 3 && skin->CloseRects[1].right > 0; },
                          "the close boxes painted"));
    // The box sits in the tab's top-right corner and is drawn.
    const TRect tab = TabRect(pc, 1), box = skin->CloseRects[1];
    EXPECT_EQ(box.right, tab.right - 2);
    EXPECT_EQ(box.top, tab.top + 1 + 2);
    EXPECT_TRUE(Shows(pc, box.left, box.top + 3, RGB(0, 0, 0), "the close box's left side"));

    // A form that answers non-zero keeps its page.
    LRESULT answer = 1;
    int asked = 0;
    WPARAM askedWnd = 0;
    LPARAM askedIndex = -1;
    TWindowSubclass hook;
    hook.Attach(f->Form->Handle(), [&](UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_SKIN_TABCLOSE) {
            ++asked;
            askedWnd = w;
            askedIndex = l;
            return answer;
        }
        return hook.CallPrevious(msg, w, l);
    });
    TTabSheet* closing = pc->Pages(1);
    closing->SetName("ClosingPage");
    const TPoint at = pc->ClientToScreen(TPoint{(box.left + box.right) / 2, (box.top + box.bottom) / 2});
    MouseClick(at.x, at.y);
    ASSERT_TRUE(PumpUntil([&] { return asked == 1; }, "the form asked about closing the tab"));
    EXPECT_EQ(askedWnd, reinterpret_cast<WPARAM>(pc->Handle()));
    EXPECT_EQ(askedIndex, 1);
    EXPECT_EQ(pc->PageCount(), 3);
    EXPECT_EQ(pc->ActivePageIndex(), 0) << "the click on a close box does not select the tab";

    // The default answer frees it (a click elsewhere first, so the next is no double click).
    answer = 0;
    const TPoint away = pc->Pages(0)->ClientToScreen(TPoint{100, 60});
    MouseClick(away.x, away.y);
    Pump();
    MouseClick(at.x, at.y);
    ASSERT_TRUE(PumpUntil([&] { return pc->PageCount() == 2; }, "the page freed by its close box"));
    EXPECT_EQ(f->Form->FindComponent("ClosingPage"), nullptr);
    EXPECT_EQ(pc->Pages(1)->Caption(), "Last");
    hook.Detach();
    ShotWindow(f->Form->Handle(), "tab-skin-close.png");
}

TEST(TabSkin, OverflowingTabsKeepTheirArrows) {
    TPageControl* pc = nullptr;
    std::vector<std::string> captions;
    for (int i = 0; i < 12; ++i) captions.push_back("Page " + std::to_string(i + 1));
    auto f = MakeForm([&](TForm* form) { pc = Pages(form, 20, 20, 300, 200, captions); });
    ASSERT_NE(f->Skin, nullptr);
    auto* skin = DynamicAs<TSkinTab>(SkinOf(f->Skin, pc));
    ASSERT_NE(skin, nullptr);
    HWND arrows = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            arrows = FindWindowExA(pc->Handle(), nullptr, "msctls_updown32", nullptr);
            return arrows && IsWindowVisible(arrows);
        },
        "the tab control's arrows"));
    pc->Invalidate();
    Pump();
    // Exactly one up-down skin once the engine has one; the strip leaves the arrows alone.
    TSkinControl* probe = NewControlSkin(skUpDown, nullptr);
    const int expected = probe ? 1 : 0;
    delete probe;
    int upDownSkins = 0;
    for (TSkinControl* s : f->Skin->ControlSkins)
        if (s->Handle == arrows && s->State == scAttached) ++upDownSkins;
    EXPECT_EQ(upDownSkins, expected);
    if (expected) {
        EXPECT_EQ(skin->UpDown ? skin->UpDown->Handle : nullptr, arrows);
        auto* across = DynamicAs<TSkinUpDown>(skin->UpDown);
        EXPECT_TRUE(across && across->Horizontal) << "the tabs' arrows lie across";
    }
    RECT a{};
    GetWindowRect(arrows, &a);
    for (COLORREF c : ScreenRect(RECT{a.left + 2, a.top + 2, a.right - 2, a.bottom - 2}))
        for (int frame = 1; frame <= 5; ++frame) {
            ASSERT_NE(c, UpperColour(frame)) << "the strip drawn over the arrows";
            ASSERT_NE(c, LowerColour(frame)) << "the strip drawn over the arrows";
        }
    // The right arrow scrolls the tabs: the first tab moves out to the left.
    const int firstLeft = TabRect(pc, 0).left;
    MouseClick(a.right - 4, (a.top + a.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return TabRect(pc, 0).left < firstLeft; }, "the tabs scrolled by the right arrow"));
    const TRect shown = TabRect(pc, 1);
    EXPECT_TRUE(Shows(pc, shown.left + 4, shown.top + 4, UpperColour(1), "the scrolled strip redrawn"));
    MouseClick(a.left + 4, (a.top + a.bottom) / 2);
    EXPECT_TRUE(
        PumpUntil([&] { return TabRect(pc, 0).left == firstLeft; }, "the tabs scrolled back by the left arrow"));
    ShotWindow(f->Form->Handle(), "tab-skin-overflow.png");
}

TEST(TabSkin, RepaintsKeepTheGdiCount) {
    TPageControl *pc = nullptr, *buttons = nullptr;
    TTabControl* tabs = nullptr;
    TTabSet* set = nullptr;
    auto f = MakeForm([&](TForm* form) {
        set = Put<TTabSet>(form, form, 260, 170, 120, 22);
        for (const char* t : {"First", "Second", "Third"}) set->Tabs()->Add(t);
        pc = Pages(form, 10, 10, 240, 150, {"One", "Two"});
        pc->SetTag(TabCloseTag);
        buttons = Pages(form, 260, 10, 240, 150, {"One", "Two"}, tpTop, tsButtons);
        tabs = Put<TTabControl>(form, form, 10, 170, 240, 100);
        tabs->Tabs()->Add("A");
        tabs->Tabs()->Add("B");
    });
    ASSERT_NE(f->Skin, nullptr);
    auto repaint = [&](int n) {
        for (int i = 0; i < n; ++i)
            for (TWinControl* c : std::initializer_list<TWinControl*>{pc, buttons, tabs, pc->Pages(0), set}) {
                InvalidateRect(c->Handle(), nullptr, TRUE);
                UpdateWindow(c->Handle());
            }
    };
    repaint(5);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    repaint(100);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}

// The tab set's row: the strip flipped (its tabs hang from the top edge), the selected tab
// in frame 2, tabs that do not fit left out while a later, narrower one still shows, and
// its arrows while they overflow.
TEST(TabSkin, TabSetRowsLeaveOutWhatDoesNotFit) {
    TTabSet* set = nullptr;
    auto f = MakeForm([&](TForm* form) {
        set = Put<TTabSet>(form, form, 20, 20, 400, 22);
        set->Tabs()->Add("One");
        set->Tabs()->Add("Two");
        set->Tabs()->Add("Three");
        set->SetTabIndex(1);
    });
    ASSERT_NE(f->Skin, nullptr);
    ASSERT_EQ(SkinName(SkinOf(f->Skin, set)), "TSkinTab31");
    auto tabShows = [&](int i, int frame) {
        const TRect r = set->ItemRect(i);
        // Flipped: the frame's lower half at the top.
        return Shows(set, r.left + 3, 3, LowerColour(frame),
                     "tab " + std::to_string(i) + " flipped, frame " + std::to_string(frame)) &&
               Shows(set, r.left + 3, 18, UpperColour(frame), "tab " + std::to_string(i) + " lower part");
    };
    EXPECT_TRUE(tabShows(0, 1));
    EXPECT_TRUE(tabShows(1, 2));
    EXPECT_TRUE(tabShows(2, 1));
    EXPECT_FALSE(set->Scroller()->Visible());

    // A real click selects a tab.
    const TRect third = set->ItemRect(2);
    const TPoint at = set->ClientToScreen(TPoint{(third.left + third.right) / 2, 10});
    MouseClick(at.x, at.y);
    EXPECT_TRUE(PumpUntil([&] { return set->TabIndex() == 2; }, "the third tab selected by a click"));
    EXPECT_TRUE(tabShows(2, 2));

    // Too narrow: a long tab is left out, the short one after it still shows, and the arrows come.
    set->Tabs()->Put(1, "A much longer tab caption than the others");
    const TRect first = set->ItemRect(0), last = set->ItemRect(2);
    set->SetWidth(first.right + (last.right - last.left) + set->EndMargin() + 12 + 20);
    Pump();
    EXPECT_TRUE(set->Scroller()->Visible());
    EXPECT_FALSE(set->TabShown(1));
    ASSERT_TRUE(set->TabShown(2));
    EXPECT_EQ(set->ItemRect(2).left, set->ItemRect(0).right) << "the short tab takes the long one's place";
    EXPECT_TRUE(tabShows(2, 2));
    HWND arrows = set->Scroller()->Handle();
    TSkinControl* probe = NewControlSkin(skUpDown, nullptr);
    const int expected = probe ? 1 : 0;
    delete probe;
    int upDownSkins = 0;
    for (TSkinControl* s : f->Skin->ControlSkins)
        if (s->Handle == arrows && s->State == scAttached) {
            ++upDownSkins;
            auto* across = DynamicAs<TSkinUpDown>(s);
            EXPECT_TRUE(across && across->Horizontal) << "the tab set's arrows lie across";
        }
    EXPECT_EQ(upDownSkins, expected);
    // The right arrow scrolls the first tab out.
    RECT a{};
    GetWindowRect(arrows, &a);
    MouseClick(a.right - 3, (a.top + a.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return set->FirstIndex() == 1; }, "the row scrolled by the right arrow"));
    EXPECT_FALSE(set->TabShown(0));
    ShotWindow(f->Form->Handle(), "tab-skin-tabset.png");
}

TEST(TabSkin, MappedPageControlsGetTabPictures) {
    Skin()->Skin3rd()->Add("TAdvPageControl=advpagecontrol");
    TAdvPageControl* adv = nullptr;
    auto f = MakeForm([&](TForm* form) {
        adv = Put<TAdvPageControl>(form, form, 20, 20, 300, 200);
        auto* page = new TTabSheet(form);
        page->SetPageControl(adv);
        page->SetCaption("Page");
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* skin = DynamicAs<TSkinAdvPage>(SkinOf(f->Skin, adv));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->Mode, 4);
    const struct {
        TBitmap* picture;
        int frame;
    } pictures[] = {{adv->TabBackGround(), 1}, {adv->TabBackGroundActive(), 2}};
    for (const auto& p : pictures) {
        ASSERT_EQ(p.picture->Width(), 100);
        ASSERT_EQ(p.picture->Height(), 21);
        EXPECT_EQ(GetPixel(p.picture->Canvas()->Handle(), 50, 2), UpperColour(p.frame)) << "frame " << p.frame;
        EXPECT_EQ(GetPixel(p.picture->Canvas()->Handle(), 50, 18), LowerColour(p.frame)) << "frame " << p.frame;
    }
    // Unskinned, the control gets empty pictures back.
    f->Skin->FreeControlSkins();
    EXPECT_TRUE(adv->TabBackGround()->Empty());
    EXPECT_TRUE(adv->TabBackGroundActive()->Empty());
}

// Which picture frames the pages: the "Border" image with style 0, the [Tab.Pane] image with
// style 1, and nothing when the style's picture is missing.
TEST(TabSkin, BorderComesFromTheStylesPicture) {
    TPageControl* pc = nullptr;
    auto f = MakeForm([&](TForm* form) { pc = Pages(form, 20, 20, 300, 200, {"One", "Two"}); });
    ASSERT_NE(f->Skin, nullptr);
    auto* skin = DynamicAs<TSkinTab>(SkinOf(f->Skin, pc));
    ASSERT_NE(skin, nullptr);
    TDataSkinBorder* tabs = Skin()->Tabs.get();
    std::unique_ptr<TBitmap> border = std::move(tabs->Bitmap2);
    constexpr COLORREF kPane = RGB(120, 40, 160), kNone = RGB(255, 255, 255);
    auto pane = std::make_unique<TDataSkinObject>("Tab.Pane");
    pane->Bitmap = Filled(12, 12);
    FillColour(pane->Bitmap->Canvas()->Handle(), TRect{0, 0, 12, 12}, kPane);
    pane->Frames = 1;
    pane->Margins = TRect{4, 4, 4, 4};
    const struct {
        const char* what;
        int style;
        bool withBorder, withPane;
        COLORREF expected;
    } rows[] = {
        {"style 0 with a border image", 0, true, true, kBorderSide},
        {"style 0 without one", 0, false, true, kNone},
        {"style 1 with a pane", 1, true, true, kPane},
        {"style 1 without a pane", 1, true, false, kNone},
    };
    RECT w{};
    GetWindowRect(pc->Handle(), &w);
    const TRect rect{0, 0, w.right - w.left, w.bottom - w.top};
    const TRect d = pc->DisplayRect();
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(rect.right, rect.bottom);
    for (const auto& r : rows) {
        tabs->Style = r.style;
        if (r.withBorder) {
            tabs->Bitmap2 = std::make_unique<TBitmap>();
            CloneBitmap(border.get(), tabs->Bitmap2.get());
        } else {
            tabs->Bitmap2.reset(new TBitmap);
        }
        Skin()->TabPane = nullptr;
        if (r.withPane) {
            Skin()->TabPane = std::make_unique<TDataSkinObject>("Tab.Pane");
            Skin()->TabPane->Bitmap = std::make_unique<TBitmap>();
            CloneBitmap(pane->Bitmap.get(), Skin()->TabPane->Bitmap.get());
            Skin()->TabPane->Frames = 1;
            Skin()->TabPane->Margins = pane->Margins;
        }
        skin->SkinChanged();
        HDC dc = target.Canvas()->Handle();
        FillColour(dc, rect, kNone);
        skin->DrawSkin(dc, rect);
        EXPECT_EQ(GetPixel(target.Canvas()->Handle(), d.left - 2, (d.top + d.bottom) / 2), r.expected) << r.what;
    }
    tabs->Style = 0;
    tabs->Bitmap2 = std::move(border);
    Skin()->TabPane = nullptr;
    skin->SkinChanged();
}
