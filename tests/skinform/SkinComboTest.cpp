// Combo boxes and date-time pickers on a skinned form: which ones get a skin, their border
// and button drawn from strips whose every frame has its own colour in each state and
// style, hot and pressed under a real mouse, the dropped list, the picker's arrow button,
// the list skins' single owner, and the GDI count over repaints and drop-downs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SkinFormTestUtil.h"
#include "SkinScrollTestUtil.h"
#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "skin/SkinComBox.h"
#include "skin/SkinComboScroll.h"
#include "skin/SkinDateTime.h"
#include "skin/SkinScrollbar.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

// Combo classes of other libraries as the class map names them; ours, publishing nothing new.
class TcxDBComboBox : public TComboBox {
    DP_DECLARE_CLASS(TcxDBComboBox, TComboBox)
public:
    using TComboBox::TComboBox;
};
DP_PUBLISHED(TcxDBComboBox){};

// An edit with a drop-down button of another library; the class map makes it a combo.
class TRzDateTimeEdit : public TEdit {
    DP_DECLARE_CLASS(TRzDateTimeEdit, TEdit)
public:
    using TEdit::TEdit;
};
DP_PUBLISHED(TRzDateTimeEdit){};

// A picker of another library that the class map sends to the combo skin.
class TwwDBDateTimePicker : public TDateTimePicker {
    DP_DECLARE_CLASS(TwwDBDateTimePicker, TDateTimePicker)
public:
    using TDateTimePicker::TDateTimePicker;
};
DP_PUBLISHED(TwwDBDateTimePicker){};

class TTntComboBox : public TComboBox {
    DP_DECLARE_CLASS(TTntComboBox, TComboBox)
public:
    using TComboBox::TComboBox;
};
DP_PUBLISHED(TTntComboBox){};

namespace {
using namespace skinform;

// Every frame of every strip its own colour; none is the key colour.
COLORREF ButtonColour(int i) { return RGB(200, 30 * i, 40); }
COLORREF LeftButtonColour(int i) { return RGB(30 * i, 200, 60); }
COLORREF EdgeColour(int i) { return RGB(60, 40, 40 * i); }
COLORREF GlyphColour(int i) { return RGB(20 * i, 90, 220); }
COLORREF ArrowColour(int i) { return RGB(120, 20 * i, 160); }
COLORREF WholeColour(int i) { return RGB(250, 250 - 30 * i, 30 * i); }

std::unique_ptr<TBitmap> Strip(int frames, int w, int h, COLORREF (*colour)(int), bool keyedInside = false) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(frames * w, h);
    for (int i = 1; i <= frames; ++i) {
        FillColour(b->Canvas()->Handle(), Bounds((i - 1) * w, 0, w, h), colour(i));
        if (keyedInside) FillColour(b->Canvas()->Handle(), Bounds((i - 1) * w + 3, 3, w - 6, h - 6), TRANSPARENT_KEY);
    }
    return b;
}

enum TButtonLook { blSeparate, blFlat, blWhole };

// The combo strips of the test skin: border, button (right and left), glyphs, picker arrow.
void InstallComboStrips(TButtonLook look) {
    TSkinData* d = Skin();
    if (!d->ComboButton) d->ComboButton = std::make_unique<TDataSkinBorder>("ComboButton");
    TDataSkinBorder& b = *d->ComboButton;
    b.Frames = 4;
    b.Trans = 1;
    b.Tile = 0;
    b.Style = look == blFlat ? 1 : look == blWhole ? 2 : 0;
    b.Margins = look == blWhole ? TRect{3, 3, 3, 3} : TRect{0, 0, 0, 0};
    b.Bitmap = look == blWhole ? Strip(4, 50, 21, WholeColour, true) : Strip(4, 17, 21, ButtonColour);
    b.Bitmap2 = Strip(4, 17, 21, LeftButtonColour);
    if (!d->SunkEdge) d->SunkEdge = std::make_unique<TDataSkinObject>("SunkEdge");
    d->SunkEdge->Frames = 4;
    d->SunkEdge->Trans = 0;
    d->SunkEdge->Margins = look == blWhole ? TRect{3, 3, 3, 3} : TRect{0, 0, 0, 0};
    d->SunkEdge->Bitmap = look == blWhole ? Strip(4, 50, 21, EdgeColour, true) : Strip(4, 20, 20, EdgeColour);
    if (!d->ExtraImages) d->ExtraImages = std::make_unique<TDataSkinObject>("ExtraImages");
    d->ExtraImages->Frames = 5;
    d->ExtraImages->Bitmap = Strip(5, 7, 7, GlyphColour);
    if (!d->ComboxArrow) d->ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    d->ComboxArrow->Frames = 4;
    d->ComboxArrow->Bitmap = Strip(4, 17, 17, ArrowColour);
}

std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make, TButtonLook look = blSeparate) {
    InstallComboStrips(look);
    return MakeSkinnedForm("Combo skins", {100, 100, 580, 480}, make);
}

TComboBox* PutCombo(TWinControl* parent, int x, int y, TComboBoxStyle style, int items = 3) {
    auto* c = Put<TComboBox>(parent, x, y, 160, 21);
    c->SetStyle(style);
    for (int i = 0; i < items; ++i) c->Items()->Add("Item " + std::to_string(i));
    c->SetItemIndex(0);
    return c;
}

RECT WindowRectOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

COLORREF ScreenAtWindow(HWND wnd, int x, int y) {
    const RECT r = WindowRectOf(wnd);
    return ScreenPixel(r.left + x, r.top + y);
}

HWND ListOf(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
}

// Draws the skin into a white bitmap of the window's size.
struct Canvas {
    explicit Canvas(HWND wnd) {
        const RECT r = WindowRectOf(wnd);
        W = r.right - r.left;
        H = r.bottom - r.top;
        Bmp.SetPixelFormat(pf24bit);
        Bmp.SetSize(W, H);
    }
    void Draw(TSkinControl* skin, COLORREF ground = RGB(255, 255, 255)) {
        FillColour(Bmp.Canvas()->Handle(), TRect{0, 0, W, H}, ground);
        skin->DrawSkin(Bmp.Canvas()->Handle(), TRect{0, 0, W, H});
    }
    COLORREF At(int x, int y) { return GetPixel(Bmp.Canvas()->Handle(), x, y); }
    TBitmap Bmp;
    int W = 0, H = 0;
};

}  // namespace

TEST(ComboSkin, DispatchGivesCombosAndPickersTheirSkins) {
    TComboBox *dropDown = nullptr, *dropList = nullptr, *simple = nullptr;
    TcxDBComboBox* mapped = nullptr;
    TRzDateTimeEdit* mappedEdit = nullptr;
    TwwDBDateTimePicker* mappedPicker = nullptr;
    TTntComboBox* tnt = nullptr;
    TDateTimePicker* picker = nullptr;
    auto f = MakeForm([&](TForm* form) {
        dropDown = PutCombo(form, 10, 10, csDropDown);
        dropList = PutCombo(form, 10, 40, csDropDownList);
        simple = Put<TComboBox>(form, 10, 70, 160, 80);
        simple->SetStyle(csSimple);
        mapped = Put<TcxDBComboBox>(form, 200, 10, 160, 21);
        mappedEdit = Put<TRzDateTimeEdit>(form, 200, 40, 160, 21);
        mappedPicker = Put<TwwDBDateTimePicker>(form, 200, 70, 160, 21);
        tnt = Put<TTntComboBox>(form, 200, 100, 160, 21);
        picker = Put<TDateTimePicker>(form, 200, 130, 160, 21);
    });
    ASSERT_NE(f->Skin, nullptr);
    const struct {
        const char* what;
        TControl* control;
        const char* skin;
    } rows[] = {
        {"a drop-down combo", dropDown, "TSkinComBox"},
        {"a drop-down list", dropList, "TSkinComBox"},
        {"a simple combo (its button stays the system's)", simple, "TSkinComBox"},
        {"a class the class map calls combobox", mapped, "TSkinComBox"},
        {"an edit class the class map calls combobox", mappedEdit, "TSkinComBox"},
        {"a picker class the class map calls combobox", mappedPicker, "TSkinComBox"},
        {"a combo by its class name", tnt, "TSkinComBox"},
        {"the library's date-time picker", picker, "TSkinDateTime"},
    };
    for (const auto& r : rows) EXPECT_EQ(SkinNameOf(f->Skin, r.control), r.skin) << r.what;

    auto* dd = DynamicAs<TSkinComBox>(SkinOf(f->Skin, dropDown));
    auto* dl = DynamicAs<TSkinComBox>(SkinOf(f->Skin, dropList));
    auto* sc = DynamicAs<TSkinComBox>(SkinOf(f->Skin, simple));
    ASSERT_TRUE(dd && dl && sc);
    EXPECT_EQ(dd->EditWnd, GetTopWindow(dropDown->Handle())) << "the drop-down combo's edit is subclassed";
    EXPECT_NE(dd->EditWnd, nullptr);
    EXPECT_EQ(dl->EditWnd, nullptr) << "a drop-down list has no edit";
    EXPECT_EQ(dd->ListWnd, nullptr);
    EXPECT_EQ(sc->ListWnd, ListOf(simple->Handle())) << "a simple combo keeps its list";
    EXPECT_NE(sc->ListWnd, nullptr);
    EXPECT_EQ(sc->EditWnd, nullptr) << "a simple combo's edit is left alone";
    // The lists' bars: the dropped list's by the combo list bar skin, a simple combo's
    // child list by the panels of a bare window.
    for (TSkinComBox* c : {dd, dl}) {
        auto* bar = DynamicAs<TComboxScrollBar>(c->ListScroll);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->Handle, ListOf(c->Handle));
        EXPECT_EQ(bar->Owner(), c->Control) << "the combo control owns it";
        EXPECT_EQ(c->ListHScroll, nullptr);
    }
    auto* simpleBars = DynamicAs<TSkinScrollbarH>(sc->ListHScroll);
    ASSERT_NE(simpleBars, nullptr);
    EXPECT_EQ(simpleBars->Handle, sc->ListWnd);
    EXPECT_EQ(sc->ListScroll, nullptr);

    auto* ds = DynamicAs<TSkinDateTime>(SkinOf(f->Skin, picker));
    ASSERT_NE(ds, nullptr);
    ASSERT_NE(ds->ArrowButton, nullptr);
    EXPECT_EQ(GetParent(ds->ArrowButton->Handle()), picker->Handle());
    EXPECT_TRUE(GetWindowLongPtrA(picker->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_EQ(ds->ArrowButton->Width(), GetSystemMetrics(SM_CXHSCROLL));
    EXPECT_EQ(ds->ArrowButton->Left(), picker->Width() - GetSystemMetrics(SM_CXHSCROLL) - 4);

    // Bare windows: a drop-down combo is skinned, a simple one is not, an extended
    // combo's inner combo is.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    HWND bare = ShowBareWindow("Bare combos", WS_OVERLAPPEDWINDOW, 140, 140, 420, 260);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    auto make = [&](const char* cls, DWORD style, int y) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 10, y, 160, 120, bare, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    };
    HWND bareDrop = make("COMBOBOX", CBS_DROPDOWN, 10), bareSimple = make("COMBOBOX", CBS_SIMPLE, 40);
    HWND ex = make(WC_COMBOBOXEXA, CBS_DROPDOWNLIST, 180);
    SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    TSkinControl* s = form->FindControlSkinByHandle(bareDrop);
    EXPECT_EQ(s ? s->ClassName() : std::string(), "TSkinComBox");
    if (auto* c = DynamicAs<TSkinComBox>(s)) {
        EXPECT_NE(c->EditWnd, nullptr);
    }
    EXPECT_EQ(form->FindControlSkinByHandle(bareSimple), nullptr);
    ASSERT_NE(GetTopWindow(ex), nullptr);
    TSkinControl* inner = form->FindControlSkinByHandle(GetTopWindow(ex));
    EXPECT_EQ(inner ? inner->ClassName() : std::string(), "TSkinComBox");
    EXPECT_EQ(form->FindControlSkinByHandle(ex), nullptr);
    DestroyWindow(bare);
    Pump();
}

// Where the border, the button and its glyph are for each look, and which strip colours them.
TEST(ComboSkin, BorderAndButtonShowTheFrameOfEachStateInEachStyle) {
    const int B = GetSystemMetrics(SM_CXHSCROLL);
    struct Probe {
        const char* part;
        std::function<POINT(int w, int h)> at;
        COLORREF (*colour)(int);
    };
    const Probe edgeLeft{"border", [](int, int h) { return POINT{0, h / 2}; }, EdgeColour};
    const Probe edgeRight{"border", [](int w, int h) { return POINT{w - 1, h / 2}; }, EdgeColour};
    const Probe buttonRight{"button", [B](int w, int) { return POINT{w - B - 1, 1}; }, ButtonColour};
    const Probe glyphRight{"glyph", [B](int w, int h) { return POINT{w - B / 2 - 2, h / 2}; }, GlyphColour};
    const Probe buttonLeft{"button", [](int, int) { return POINT{1, 1}; }, LeftButtonColour};
    const Probe glyphLeft{"glyph", [B](int, int h) { return POINT{2 + B / 2, h / 2}; }, GlyphColour};
    const Probe wholeBorder{"whole strip", [](int, int h) { return POINT{1, h / 2}; }, WholeColour};
    const Probe wholeLeftBorder{"sunk-edge strip", [](int, int h) { return POINT{1, h / 2}; }, EdgeColour};
    const int T = GetSystemMetrics(SM_CYVTHUMB);
    const Probe flatButton{"flat button",
                           [T](int w, int) {
                               return POINT{w - 2 - 17 / 2, 2 + std::min(T, 21) / 2};
                           },
                           ButtonColour};
    const struct Variant {
        const char* name;
        TButtonLook look;
        TComboBoxStyle style;
        bool left;
        std::vector<Probe> probes;
    } variants[] = {
        {"drop-down list", blSeparate, csDropDownList, false, {edgeLeft, buttonRight, glyphRight}},
        {"drop-down", blSeparate, csDropDown, false, {edgeLeft, buttonRight, glyphRight}},
        {"owner-drawn list", blSeparate, csOwnerDrawFixed, false, {edgeLeft, buttonRight, glyphRight}},
        {"right to left", blSeparate, csDropDownList, true, {edgeRight, buttonLeft, glyphLeft}},
        {"flat", blFlat, csDropDownList, false, {flatButton}},
        {"whole-control strip", blWhole, csDropDownList, false, {wholeBorder}},
        {"whole-control strip, right to left", blWhole, csDropDownList, true, {wholeLeftBorder}},
    };
    const struct State {
        const char* name;
        uint8_t mouse;
        bool focused, enabled;
        int frame;
    } states[] = {
        {"normal", 0, false, true, 1},          {"hot", msHot, false, true, 4},
        {"pressed", msPressed, false, true, 2}, {"hot and pressed", msHot | msPressed, false, true, 2},
        {"disabled", 0, false, false, 3},       {"disabled under the mouse", msHot, false, false, 3},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        TComboBox *combo = nullptr, *simple = nullptr;
        TEdit* other = nullptr;
        auto f = MakeForm(
            [&](TForm* form) {
                combo = PutCombo(form, 20, 20, v.style);
                simple = Put<TComboBox>(form, 20, 60, 160, 80);
                simple->SetStyle(csSimple);
                other = Put<TEdit>(form, 220, 20, 100, 21);
            },
            v.look);
        ASSERT_NE(f->Skin, nullptr);
        MouseMove(1000, 740);
        if (v.left)
            SetWindowLongPtrA(combo->Handle(), GWL_EXSTYLE,
                              GetWindowLongPtrA(combo->Handle(), GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
        auto* skin = DynamicAs<TSkinComBox>(SkinOf(f->Skin, combo));
        ASSERT_NE(skin, nullptr);
        Canvas c(combo->Handle());
        for (const State& s : states) {
            combo->SetEnabled(s.enabled);
            other->SetFocus();
            Pump();
            skin->MouseState = s.mouse;
            c.Draw(skin);
            EXPECT_EQ(skin->FrameIndex(), s.frame) << s.name;
            for (const Probe& p : v.probes) {
                const POINT at = p.at(c.W, c.H);
                EXPECT_EQ(c.At(at.x, at.y), p.colour(s.frame)) << s.name << ": " << p.part;
            }
        }
        // Focus shows the hot frame.
        combo->SetEnabled(true);
        skin->MouseState = 0;
        if (v.style != csDropDown) {
            combo->SetFocus();
            Pump();
            c.Draw(skin);
            EXPECT_EQ(skin->FrameIndex(), 4) << "focused";
        }
        // The text area stays the system's.
        if (v.look != blFlat) {
            c.Draw(skin, RGB(1, 2, 3));
            EXPECT_EQ(c.At(c.W / 3, c.H / 2), RGB(1, 2, 3)) << "text area";
        }
        // A simple combo's button is invisible: nothing drawn.
        auto* simpleSkin = DynamicAs<TSkinComBox>(SkinOf(f->Skin, simple));
        ASSERT_NE(simpleSkin, nullptr);
        Canvas sc(simple->Handle());
        sc.Draw(simpleSkin, RGB(1, 2, 3));
        for (int x = 0; x < sc.W; x += 3)
            for (int y = 0; y < sc.H; y += 3)
                ASSERT_EQ(sc.At(x, y), RGB(1, 2, 3)) << "simple combo at " << x << "," << y;
    }
    InstallComboStrips(blSeparate);
}

TEST(ComboSkin, RealMouseMakesTheButtonHotAndPressedAndAnOutsideClickClosesTheList) {
    TComboBox *combo = nullptr, *left = nullptr;
    TEdit* edit = nullptr;
    auto f = MakeForm([&](TForm* form) {
        edit = Put<TEdit>(form, 20, 200, 120, 21);
        combo = PutCombo(form, 20, 20, csDropDownList, 30);
        left = PutCombo(form, 20, 100, csDropDownList);
    });
    ASSERT_NE(f->Skin, nullptr);
    SetWindowLongPtrA(left->Handle(), GWL_EXSTYLE,
                      GetWindowLongPtrA(left->Handle(), GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    edit->SetFocus();
    MouseMove(1000, 740);
    const int B = GetSystemMetrics(SM_CXHSCROLL);
    const RECT r = WindowRectOf(combo->Handle());
    const int w = r.right - r.left, h = r.bottom - r.top;
    auto shows = [&](HWND wnd, int x, int frame, COLORREF (*colour)(int)) {
        return PumpUntil([&] { return ScreenAtWindow(wnd, x, 1) == colour(frame); },
                         "button frame " + std::to_string(frame) + " on the screen");
    };
    // The pointer brought to (px, py) and resting there until the button shows the frame.
    auto hovers = [&](int px, int py, HWND wnd, int x, int frame, COLORREF (*colour)(int)) {
        return HoverUntil(
            px, py, [&] { return ScreenAtWindow(wnd, x, 1) == colour(frame); },
            "button frame " + std::to_string(frame) + " on the screen");
    };
    const int bx = w - B - 1;
    combo->Invalidate();
    EXPECT_TRUE(shows(combo->Handle(), bx, 1, ButtonColour));
    // Inside the combo but off the button: not hot.
    MouseMove(r.left + 20, r.top + h / 2);
    Pump();
    EXPECT_TRUE(shows(combo->Handle(), bx, 1, ButtonColour));
    EXPECT_EQ(DynamicAs<TSkinComBox>(SkinOf(f->Skin, combo))->MouseState & msHot, 0);
    EXPECT_TRUE(hovers(r.right - B / 2 - 2, r.top + h / 2, combo->Handle(), bx, 4, ButtonColour));
    EXPECT_TRUE(hovers(1000, 740, combo->Handle(), bx, 1, ButtonColour)) << "leaving the window clears hot";

    // Right to left: the left area is the hot one.
    const RECT lr = WindowRectOf(left->Handle());
    left->Invalidate();
    EXPECT_TRUE(shows(left->Handle(), 1, 1, LeftButtonColour));
    MouseMove(lr.right - B / 2 - 2, lr.top + h / 2);
    Pump();
    EXPECT_TRUE(shows(left->Handle(), 1, 1, LeftButtonColour));
    EXPECT_TRUE(hovers(lr.left + B / 2 + 2, lr.top + h / 2, left->Handle(), 1, 4, LeftButtonColour));
    EXPECT_TRUE(hovers(1000, 740, left->Handle(), 1, 1, LeftButtonColour));

    // A press shows the pressed frame and drops the list; the release leaves it open.
    const int px = r.right - B / 2 - 2, py = r.top + h / 2;
    MouseMove(px, py);
    Pump();
    MouseDown(px, py);
    EXPECT_TRUE(shows(combo->Handle(), bx, 2, ButtonColour));
    HWND list = ListOf(combo->Handle());
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(list) != FALSE; }, "the dropped list"));
    MouseUp(px, py);
    EXPECT_TRUE(PumpUntil([&] { return (DynamicAs<TSkinComBox>(SkinOf(f->Skin, combo))->MouseState & msPressed) == 0; },
                          "the release taking the pressed state away"));
    Pump();
    EXPECT_TRUE(IsWindowVisible(list));
    // The list's bar is the skin's (here the builder's own strips).
    const skinscroll::BarGeometry g = skinscroll::BarOf(list, OBJID_VSCROLL);
    ASSERT_TRUE(g.Visible);
    TBitmap* parts = Skin()->Scrollbar->Bitmap.get();
    const int cell = parts->Width() / 23;
    const COLORREF up = GetPixel(parts->Canvas()->Handle(), (9 - 1) * cell + cell / 2, cell / 2);
    EXPECT_TRUE(skinscroll::ScreenShows(g.Screen.left + cell / 2, g.Screen.top + cell / 2, up, "the skin's up arrow"));
    const RECT lrect = WindowRectOf(list);
    RECT shot = r;
    UnionRect(&shot, &shot, &lrect);
    InflateRect(&shot, 4, 4);
    EXPECT_TRUE(ShotRect(shot, "combo-dropped.png"));
    // A drag of the thumb scrolls the list and leaves it open.
    const int tx = (g.Screen.left + g.Screen.right) / 2, ty = g.Screen.top + (g.ThumbTop + g.ThumbBottom) / 2;
    // The whole drag is queued at once: the drag loop takes it from the queue.
    MouseMove(tx, ty);
    MouseDown(tx, ty);
    MouseMove(tx, ty + 20);
    MouseMove(tx, ty + 48);
    MouseUp(tx, ty + 48);
    EXPECT_TRUE(
        PumpUntil([&] { return SendMessageA(list, LB_GETTOPINDEX, 0, 0) > 0; }, "the list scrolled by the drag"));
    Pump();
    EXPECT_TRUE(IsWindowVisible(list)) << "the drag leaves the list open";
    // A later click outside closes it.
    const RECT fr = WindowRectOf(f->Form->Handle());
    MouseClick(fr.right - 40, fr.bottom - 40);
    EXPECT_TRUE(PumpUntil(
        [&] { return !IsWindowVisible(list) && SendMessageA(combo->Handle(), CB_GETDROPPEDSTATE, 0, 0) == 0; },
        "the list closed by the outside click"));
    MouseMove(1000, 740);
    ShotWindow(f->Form->Handle(), "combo-skins.png");
}

TEST(ComboSkin, PickerGetsABorderAndAnArrowButtonThatOpensTheCalendar) {
    TDateTimePicker *picker = nullptr, *bare = nullptr;
    TEdit* edit = nullptr;
    auto f = MakeForm([&](TForm* form) {
        edit = Put<TEdit>(form, 20, 200, 120, 21);
        picker = Put<TDateTimePicker>(form, 20, 20, 160, 23);
        bare = Put<TDateTimePicker>(form, 20, 80, 160, 23);
        bare->SetTag(Skin()->DisableTag());
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* skin = DynamicAs<TSkinDateTime>(SkinOf(f->Skin, picker));
    ASSERT_NE(skin, nullptr);
    ASSERT_NE(skin->ArrowButton, nullptr);
    // The border: shadow outside, white inside.
    Canvas c(picker->Handle());
    c.Draw(skin, RGB(1, 2, 3));
    EXPECT_EQ(c.At(0, c.H / 2), ColorToRGB(Skin()->Colours.ButtonShadow));
    EXPECT_EQ(c.At(1, c.H / 2), RGB(255, 255, 255));
    EXPECT_EQ(c.At(c.W / 2, c.H / 2), RGB(1, 2, 3)) << "inside is the picker's";

    // A picker without a border: no border, still an arrow button.
    HWND bw = bare->Handle();
    SetWindowLongPtrA(bw, GWL_EXSTYLE, GetWindowLongPtrA(bw, GWL_EXSTYLE) & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    SetWindowLongPtrA(bw, GWL_STYLE, GetWindowLongPtrA(bw, GWL_STYLE) & ~WS_BORDER);
    SetWindowPos(bw, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    bare->SetTag(0);
    SendMessageA(f->Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);
    auto* bareSkin = DynamicAs<TSkinDateTime>(SkinOf(f->Skin, bare));
    ASSERT_NE(bareSkin, nullptr);
    EXPECT_NE(bareSkin->ArrowButton, nullptr);
    Canvas bc(bw);
    bc.Draw(bareSkin, RGB(1, 2, 3));
    EXPECT_EQ(bc.At(0, bc.H / 2), RGB(1, 2, 3));

    // On the screen: the arrow's normal frame, hot under the mouse.
    edit->SetFocus();
    MouseMove(1000, 740);
    HWND arrow = skin->ArrowButton->Handle();
    const RECT ar = WindowRectOf(arrow);
    const int cx = (ar.left + ar.right) / 2, cy = (ar.top + ar.bottom) / 2;
    auto arrowShows = [&](int frame) {
        return PumpUntil([&] { return ScreenPixel(cx, cy) == ArrowColour(frame); },
                         "arrow frame " + std::to_string(frame) + " on the screen");
    };
    skin->ArrowButton->Invalidate();
    EXPECT_TRUE(arrowShows(1));
    MouseMove(cx, cy);
    EXPECT_TRUE(arrowShows(4));
    // A click opens the calendar and gives the picker the focus.
    MouseClick(cx, cy);
    EXPECT_TRUE(PumpUntil(
        [&] {
            HWND cal = reinterpret_cast<HWND>(SendMessageA(picker->Handle(), DTM_GETMONTHCAL, 0, 0));
            return cal && IsWindowVisible(cal);
        },
        "the picker's calendar"));
    EXPECT_TRUE(PumpUntil(
        [&] {
            HWND focus = GetFocus();
            return focus == picker->Handle() || IsChild(picker->Handle(), focus) ||
                   focus == reinterpret_cast<HWND>(SendMessageA(picker->Handle(), DTM_GETMONTHCAL, 0, 0));
        },
        "the focus in the picker"));
    EXPECT_NE(GetFocus(), edit->Handle());
    ShotWindow(f->Form->Handle(), "datetime-skin.png");
    Key(VK_ESCAPE);
    MouseMove(1000, 740);
    EXPECT_TRUE(arrowShows(1));
}

// A skin that counts its ends, standing in for the list's scroll-bar skin.
class TCountedSkin : public TSkinControl {
    DP_DECLARE_CLASS(TCountedSkin, TSkinControl)
public:
    explicit TCountedSkin(TComponent* owner, int* ends) : TSkinControl(owner), Ends(ends) {}
    ~TCountedSkin() override { ++*Ends; }
    int* Ends;
};
DP_PUBLISHED(TCountedSkin){};

TEST(ComboSkin, TheListSkinHasOneOwnerAndTheComboSkinIsTold) {
    // Each way the list's skin or the combo can go first; the list skin ends exactly once.
    const struct {
        const char* how;
        std::function<void(SkinnedForm&, TComboBox*&, TSkinComBox*)> end;
    } ways[] = {
        {"the form skin frees its control skins",
         [](SkinnedForm& f, TComboBox*&, TSkinComBox*) { f.Skin->FreeControlSkins(); }},
        {"the combo control is freed",
         [](SkinnedForm&, TComboBox*& combo, TSkinComBox*) {
             delete combo;
             combo = nullptr;
         }},
        {"the combo skin is restored, then freed",
         [](SkinnedForm&, TComboBox*&, TSkinComBox* skin) {
             skin->Restore();
             delete skin;
         }},
        {"the combo's window goes, then the dead skins are dropped",
         [](SkinnedForm& f, TComboBox*& combo, TSkinComBox*) {
             combo->DestroyHandle();
             f.Skin->DropDeadControlSkins();
         }},
        {"the list skin is freed by itself first",
         [](SkinnedForm& f, TComboBox*&, TSkinComBox* skin) {
             delete skin->ListScroll;
             EXPECT_EQ(skin->ListScroll, nullptr) << "told of the end";
             f.Skin->FreeControlSkins();
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        TComboBox* combo = nullptr;
        auto f = MakeForm([&](TForm* form) { combo = PutCombo(form, 20, 20, csDropDownList); });
        ASSERT_NE(f->Skin, nullptr);
        auto* skin = DynamicAs<TSkinComBox>(SkinOf(f->Skin, combo));
        ASSERT_NE(skin, nullptr);
        // Whatever the engine hung on the list makes way for the counted one.
        delete skin->ListScroll;
        int ends = 0;
        auto* listSkin = new TCountedSkin(combo, &ends);
        listSkin->AttachHandle(ListOf(combo->Handle()), Skin(), f->Skin, nullptr);
        skin->AdoptListSkin(skin->ListScroll, listSkin);
        way.end(*f, combo, skin);
        Pump();
        EXPECT_EQ(ends, 1);
        delete combo;
        f.reset();
        EXPECT_EQ(ends, 1);
    }
}

TEST(ComboSkin, RepaintsAndDropDownsKeepTheGdiCount) {
    TComboBox* combo = nullptr;
    TDateTimePicker* picker = nullptr;
    auto f = MakeForm([&](TForm* form) {
        combo = PutCombo(form, 20, 20, csDropDown, 30);
        picker = Put<TDateTimePicker>(form, 20, 60, 160, 23);
    });
    ASSERT_NE(SkinOf(f->Skin, combo), nullptr);
    ASSERT_NE(SkinOf(f->Skin, picker), nullptr);
    HWND list = ListOf(combo->Handle());
    ASSERT_NE(list, nullptr);
    auto cycle = [&](int repaints, int drops) {
        for (int i = 0; i < repaints; ++i) {
            for (HWND w : {combo->Handle(), picker->Handle()}) {
                InvalidateRect(w, nullptr, TRUE);
                UpdateWindow(w);
            }
            SendMessageA(combo->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 5));
            SendMessageA(combo->Handle(), CM_MOUSELEAVE, 0, 0);
        }
        for (int i = 0; i < drops; ++i) {
            SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
            PumpUntil([&] { return IsWindowVisible(list) != FALSE; }, "the list dropped");
            SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
            PumpUntil([&] { return !IsWindowVisible(list); }, "the list closed");
        }
    };
    cycle(5, 2);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    cycle(100, 20);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}
