// Skinned scroll bars: the shared part layout and drawing read from strips whose every
// frame has its own colour, and the combo list's bar on a real dropped list and on a bare
// list window, dragged with the real mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SkinFormTestUtil.h"
#include "SkinScrollTestUtil.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/WindowSubclass.h"
#include "skin/SkinComboScroll.h"
#include "skin/SkinScrollParts.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

using namespace skinform;
using namespace skinscroll;

namespace {

// A memory surface of w x h.
struct Surface {
    Surface(int w, int h) {
        Bitmap.SetPixelFormat(pf24bit);
        Bitmap.SetSize(w, h);
    }
    HDC Dc() { return Bitmap.Canvas()->Handle(); }
    COLORREF At(int x, int y) { return GetPixel(Dc(), x, y); }
    TBitmap Bitmap;
};

}  // namespace

TEST(ScrollParts, PointsFallOnTheirParts) {
    // Bar 200 long, arrows 16, thumb 60..100.
    const struct {
        int c, part;
    } rows[] = {{0, spFirstArrow},    {15, spFirstArrow},  {16, spTrackBefore}, {59, spTrackBefore},
                {60, spThumb},        {99, spThumb},       {100, spTrackAfter}, {183, spTrackAfter},
                {184, spSecondArrow}, {199, spSecondArrow}};
    for (const auto& r : rows) EXPECT_EQ(ScrollHitTest(r.c, 16, 60, 100, 200), r.part) << "at " << r.c;
}

TEST(ScrollParts, ControlThumbFollowsRangePageAndPosition) {
    // Length 216, arrows 16: 184 between the arrows.
    const struct {
        const char* what;
        int min, max, page, pos, start, end;
    } rows[] = {
        {"page, at the start", 0, 100, 51, 0, 16, 16 + MulDiv(184, 50, 100)},
        {"page, half way", 0, 100, 51, 50, 16 + MulDiv(184, 50, 100), 16 + MulDiv(184, 50, 100) * 2},
        {"tiny page: 8 long, scaled over the rest", 0, 1000, 2, 500, 16 + MulDiv(184 - 8, 500, 1000),
         16 + MulDiv(184 - 8, 500, 1000) + 8},
        {"empty range keeps the thumb at the first arrow", 5, 5, 0, 5, 16, 32},
        {"empty range with a position elsewhere", 5, 5, 0, 6, 16 + MulDiv(216 - 48, 1, 9999999),
         16 + MulDiv(216 - 48, 1, 9999999) + 16},
        {"no page: an arrow-long thumb", 0, 10, 0, 10, 16 + MulDiv(216 - 48, 10, 10), 16 + 168 + 16},
    };
    for (const auto& r : rows) {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.nMin = r.min;
        si.nMax = r.max;
        si.nPage = static_cast<UINT>(r.page);
        si.nPos = r.pos;
        int start = -1, end = -1;
        ScrollControlThumb(216, 16, si, start, end);
        EXPECT_EQ(start, r.start) << r.what;
        EXPECT_EQ(end, r.end) << r.what;
    }
}

TEST(ScrollParts, ThicknessIsTheStripsUnlessFarFromTheSystems) {
    ColourStrips strips;
    const struct {
        int arrow, thickness;
    } rows[] = {{16, 16}, {15, 16}, {14, 16}, {18, 16}, {13, 13}, {19, 19}, {24, 24}};
    for (const auto& r : rows) EXPECT_EQ(ScrollBarThickness(Skin(), r.arrow), r.thickness) << "arrow " << r.arrow;
}

TEST(ScrollParts, EachPartShowsTheFrameOfItsState) {
    ColourStrips strips;
    // A vertical bar 16 x 200, arrows 16, thumb 60..120 (its grip in the middle).
    struct Row {
        const char* what;
        bool vertical, enabled;
        int hot;
        bool pressed;
        int firstArrow, secondArrow, track, thumb, grip;  // 0: not drawn
    } rows[] = {
        {"vertical, normal", true, true, spNone, false, 9, 13, 1, 1, 20},
        {"vertical, first arrow hot", true, true, spFirstArrow, false, 12, 13, 1, 1, 20},
        {"vertical, first arrow pressed", true, true, spFirstArrow, true, 10, 13, 1, 1, 20},
        {"vertical, second arrow pressed", true, true, spSecondArrow, true, 9, 14, 1, 1, 20},
        {"vertical, second arrow hot", true, true, spSecondArrow, false, 9, 16, 1, 1, 20},
        {"vertical, thumb hot", true, true, spThumb, false, 9, 13, 1, 3, 22},
        {"vertical, thumb pressed", true, true, spThumb, true, 9, 13, 1, 2, 21},
        {"vertical, track hot highlights nothing", true, true, spTrackBefore, false, 9, 13, 1, 1, 20},
        {"vertical, disabled: no thumb", true, false, spNone, false, 9, 13, 3, 0, 0},
        {"horizontal, normal", false, true, spNone, false, 1, 5, 1, 1, 17},
        {"horizontal, first arrow hot", false, true, spFirstArrow, false, 4, 5, 1, 1, 17},
        {"horizontal, thumb pressed", false, true, spThumb, true, 1, 5, 1, 2, 18},
        {"horizontal, disabled", false, false, spNone, false, 1, 5, 3, 0, 0},
    };
    for (const Row& r : rows) {
        const int w = r.vertical ? 16 : 200, h = r.vertical ? 200 : 16;
        Surface s(w, h);
        TScrollBarLook look;
        look.Vertical = r.vertical;
        look.Enabled = r.enabled;
        look.Length = 200;
        look.Arrow = 16;
        look.ThumbStart = 60;
        look.ThumbEnd = 120;
        look.HalveBelow = 200;
        look.HotPart = r.hot;
        look.Pressed = r.pressed;
        DrawScrollBarParts(s.Dc(), w, h, Skin(), look);
        auto at = [&](int along) { return r.vertical ? s.At(8, along) : s.At(along, 8); };
        EXPECT_EQ(at(8), PartColour(r.firstArrow)) << r.what << ": first arrow";
        EXPECT_EQ(at(191), PartColour(r.secondArrow)) << r.what << ": second arrow";
        EXPECT_EQ(at(30), TrackColour(r.track)) << r.what << ": track";
        if (r.thumb) {
            EXPECT_EQ(at(62), ThumbColour(r.thumb)) << r.what << ": thumb body";
            EXPECT_EQ(at(90), PartColour(r.grip)) << r.what << ": grip";
        } else {
            EXPECT_EQ(at(62), TrackColour(r.track)) << r.what << ": no thumb";
        }
    }
}

TEST(ScrollParts, ShortBarsHalveTheArrowsAndOutsideThumbsAreLeftOut) {
    ColourStrips strips;
    Surface s(16, 20);
    TScrollBarLook look;
    look.Length = 20;
    look.Arrow = 16;
    look.HalveBelow = 20;
    look.ThumbStart = 4;
    look.ThumbEnd = 40;  // past the surface: not drawn
    DrawScrollBarParts(s.Dc(), 16, 20, Skin(), look);
    EXPECT_EQ(s.At(8, 2), PartColour(9));
    EXPECT_EQ(s.At(8, 9), PartColour(9));
    EXPECT_EQ(s.At(8, 10), PartColour(13));
    EXPECT_EQ(s.At(8, 18), PartColour(13));

    // A thumb shorter than its grip + 2 gets no grip.
    Surface t(16, 200);
    look.Length = 200;
    look.HalveBelow = 200;
    look.ThumbStart = 60;
    look.ThumbEnd = 73;
    DrawScrollBarParts(t.Dc(), 16, 200, Skin(), look);
    EXPECT_EQ(t.At(8, 66), ThumbColour(1));
    look.ThumbEnd = 75;
    DrawScrollBarParts(t.Dc(), 16, 200, Skin(), look);
    EXPECT_EQ(t.At(8, 67), PartColour(20));
}

// --- the combo list's bar

namespace {

// A skinned form with a drop-down list combo box of many items, dropped, its list's bar
// skinned by a TComboxScrollBar.
struct DroppedCombo {
    DroppedCombo() {
        Form = NewForm<TForm>(nullptr);
        Form->SetCaption("Combo list bar");
        Form->SetBounds(120, 80, 360, 420);
        Combo = new TComboBox(Form);
        Combo->SetParent(Form);
        Combo->SetStyle(csDropDownList);
        Combo->SetBounds(20, 20, 200, 24);
        // A list of 20 rows: its thumb is long enough to show its body around the grip (the
        // default 8 rows give a thumb the grip fills).
        Combo->SetDropDownCount(20);
        for (int i = 0; i < 60; ++i) Combo->Items()->Add("Item " + std::to_string(i));
        Combo->SetItemIndex(0);
        Form->Show();
        Pump();
        FormSkin = WaitSkinned(Form->Handle());
    }
    ~DroppedCombo() {
        delete Form;
        Pump();
    }
    bool Drop() {
        SendMessageA(Combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (!SkinGetComboBoxInfo || !SkinGetComboBoxInfo(Combo->Handle(), &info)) return false;
        List = info.hwndList;
        // The combo box's own skin has hung one on its list already.
        if (!Bar) Bar = DynamicAs<TComboxScrollBar>(FormSkin->FindControlSkinByHandle(List));
        if (!Bar) {
            Bar = new TComboxScrollBar(Form);
            Bar->AttachHandle(List, Skin(), FormSkin, nullptr);
        }
        RedrawWindow(List, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        return PumpUntil([&] { return IsWindowVisible(List) != FALSE; }, "the dropped list");
    }
    bool Dropped() { return SendMessageA(Combo->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0; }
    TForm* Form = nullptr;
    TTinselForm* FormSkin = nullptr;
    TComboBox* Combo = nullptr;
    HWND List = nullptr;
    TComboxScrollBar* Bar = nullptr;
};

// Presses on the thumb at (x, y), moves the pointer to y + dy and holds the button down there,
// moving by a pixel every half second as a hand on the mouse does: Wine 10 can report a move
// made by SendInput at the point before it, and a drag loop that saw only that one never leaves
// the press point. The drag loop dispatches the timer, so the hand moves while it runs. After
// 20 s the button is let go: a drag that missed every move still ends, with a failure.
class DragHand {
public:
    DragHand(int x, int y, int dy) : x_(x), y_(y + dy) {
        current_ = this;
        start_ = GetTickCount();
        MouseMove(x, y);
        MouseDown(x, y);
        MouseMove(x_, y_);
        timer_ = SetTimer(nullptr, 0, 500, &DragHand::Tick);
    }
    ~DragHand() {
        Stop();
        current_ = nullptr;
    }
    // The drag reached what the test waits for: the hand rests.
    void Stop() {
        if (timer_) KillTimer(nullptr, timer_);
        timer_ = 0;
    }
    void Release() {
        Stop();
        if (!released_) MouseUp(x_, y_);
        released_ = true;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DragHand* h = current_;
        if (!h || !h->timer_) return;
        if (GetTickCount() - h->start_ > 20000) {
            ADD_FAILURE() << "the drag saw no move in 20 s; the button is let go";
            h->Release();
            return;
        }
        h->nudge_ ^= 1;
        MouseMove(h->x_, h->y_ + h->nudge_);
    }
    static inline DragHand* current_ = nullptr;
    int x_, y_, nudge_ = 0;
    DWORD start_ = 0;
    UINT_PTR timer_ = 0;
    bool released_ = false;
};

}  // namespace

TEST(ComboListBar, DrawnOverTheDroppedListWithItsFrame) {
    ColourStrips strips;
    DroppedCombo c;
    ASSERT_NE(c.FormSkin, nullptr);
    ASSERT_TRUE(c.Drop());
    ASSERT_TRUE(c.Bar->Attached);
    const BarGeometry g = BarOf(c.List, OBJID_VSCROLL);
    ASSERT_TRUE(g.Visible);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    EXPECT_TRUE(ScreenShows(x, g.Screen.top + 4, PartColour(9), "the up arrow's normal frame"));
    EXPECT_TRUE(ScreenShows(x, g.Screen.bottom - 4, PartColour(13), "the down arrow's normal frame"));
    EXPECT_TRUE(ScreenShows(x, g.Screen.top + g.ThumbTop + 1, ThumbColour(1), "the thumb body"));
    EXPECT_TRUE(ScreenShows(x, g.Screen.top + g.ThumbBottom + 4, TrackColour(1), "the track below the thumb"));
    // The frame the system no longer paints is ours, not black.
    RECT w{};
    GetWindowRect(c.List, &w);
    EXPECT_TRUE(ScreenShows(w.left, (w.top + w.bottom) / 2, ColorToRGB(Skin()->Colours.ButtonShadow),
                            "the list's left frame line"));
    // Repainting the list (as when it drops) draws the bar again.
    RedrawWindow(c.List, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(ScreenShows(x, g.Screen.top + 4, PartColour(9), "the up arrow after a client repaint"));
    // The system's own non-client painting never gets through.
    SendMessageA(c.List, WM_NCPAINT, 1, 0);
    EXPECT_TRUE(ScreenShows(x, g.Screen.bottom - 4, PartColour(13), "the down arrow after WM_NCPAINT"));
}

TEST(ComboListBar, ThumbDragScrollsNotifiesAndKeepsTheListOpen) {
    ColourStrips strips;
    DroppedCombo c;
    ASSERT_NE(c.FormSkin, nullptr);
    ASSERT_TRUE(c.Drop());
    ScrollLog log;
    ASSERT_TRUE(log.Attach(c.List));
    const BarGeometry g = BarOf(c.List, OBJID_VSCROLL);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    const int y = g.Screen.top + (g.ThumbTop + g.ThumbBottom) / 2;
    MouseMove(x, y);
    MouseDown(x, y);
    MouseMove(x, y + 20);
    MouseMove(x, y + 60);
    MouseUp(x, y + 60);
    EXPECT_TRUE(PumpUntil([&] { return log.Has(SB_ENDSCROLL); }, "SB_ENDSCROLL after the drag"));
    ASSERT_GE(log.Codes.size(), 3u);
    EXPECT_EQ(log.Codes.front(), SB_THUMBTRACK);
    EXPECT_EQ(log.Codes[log.Codes.size() - 2], SB_THUMBPOSITION);
    EXPECT_EQ(log.Codes.back(), SB_ENDSCROLL);
    const int top = static_cast<int>(SendMessageA(c.List, LB_GETTOPINDEX, 0, 0));
    EXPECT_GT(top, 0) << "the list scrolled";
    EXPECT_EQ(log.Positions[log.Positions.size() - 2], top) << "the last position is where the list stands";
    const BarGeometry after = BarOf(c.List, OBJID_VSCROLL);
    EXPECT_GT(after.ThumbTop, g.ThumbTop) << "the thumb followed";
    EXPECT_TRUE(ScreenShows(x, after.Screen.top + after.ThumbTop + 1, ThumbColour(1), "the thumb at its new place"));
    EXPECT_FALSE(c.Bar->Dragging());
    EXPECT_TRUE(c.Dropped()) << "the release ended the drag, not the list";
    EXPECT_EQ(GetCapture(), c.List) << "the list has the capture back";
    // A click outside still closes the list.
    RECT fw{};
    GetWindowRect(c.Form->Handle(), &fw);
    MouseClick(fw.right - 30, fw.bottom - 30);
    EXPECT_TRUE(PumpUntil([&] { return !c.Dropped(); }, "the list closed by a click outside"));
    ShotWindow(c.Form->Handle(), "combo-list-bar-closed.png");
}

TEST(ComboListBar, ClickWithoutMovingSendsPositionAndEnd) {
    ColourStrips strips;
    DroppedCombo c;
    ASSERT_NE(c.FormSkin, nullptr);
    ASSERT_TRUE(c.Drop());
    ScrollLog log;
    ASSERT_TRUE(log.Attach(c.List));
    const BarGeometry g = BarOf(c.List, OBJID_VSCROLL);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    MouseMove(x, g.Screen.top + g.ThumbTop + 2);
    MouseClick(x, g.Screen.top + g.ThumbTop + 2);
    EXPECT_TRUE(PumpUntil([&] { return log.Has(SB_ENDSCROLL); }, "SB_ENDSCROLL after the click"));
    ASSERT_EQ(log.Codes.size(), 2u);
    EXPECT_EQ(log.Codes[0], SB_THUMBPOSITION);
    EXPECT_EQ(log.Positions[0], 0);
    EXPECT_TRUE(c.Dropped());
    // A click on the down arrow is the system's: one line.
    log.Clear();
    MouseClick(x, g.Screen.bottom - 4);
    EXPECT_TRUE(PumpUntil([&] { return SendMessageA(c.List, LB_GETTOPINDEX, 0, 0) == 1; }, "one line down"));
    SendMessageA(c.Combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
}

TEST(ComboListBar, DragEndsWhenTheCaptureIsStolenOrQuitComes) {
    ColourStrips strips;
    DroppedCombo c;
    ASSERT_NE(c.FormSkin, nullptr);
    ASSERT_TRUE(c.Drop());
    Thief thief;
    ScrollLog log;
    // At the first track step something else takes the mouse.
    log.OnTrack = [&] { PostMessageA(thief.Wnd, WM_APP, 0, 0); };
    ASSERT_TRUE(log.Attach(c.List));
    const BarGeometry g = BarOf(c.List, OBJID_VSCROLL);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    const int y = g.Screen.top + (g.ThumbTop + g.ThumbBottom) / 2;
    {
        DragHand hand(x, y, 30);
        // The button is still down: only the lost capture can have ended the loop. (The dropped
        // list takes the capture back itself once the press it sent itself returns.)
        EXPECT_TRUE(
            PumpUntil([&] { return thief.Stole && !c.Bar->Dragging(); }, "the drag ended by the stolen capture"));
        hand.Stop();
        EXPECT_TRUE(PumpUntil([&] { return log.Has(SB_ENDSCROLL); }, "SB_ENDSCROLL after the lost capture"));
        hand.Release();
        Pump();
    }
    ReleaseCapture();
    SendMessageA(c.Combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    Pump();

    // WM_QUIT during a drag ends it and is there for the program's loop afterwards.
    ASSERT_TRUE(c.Drop());
    log.Clear();
    log.OnTrack = [&] { PostQuitMessage(7); };
    const BarGeometry q = BarOf(c.List, OBJID_VSCROLL);
    const int qy = q.Screen.top + (q.ThumbTop + q.ThumbBottom) / 2;
    DragHand hand(x, qy, 30);
    bool quit = false;
    WPARAM code = 0;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 20000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                code = msg.wParam;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!quit) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    hand.Stop();
    EXPECT_TRUE(quit) << "WM_QUIT passed on by the drag loop";
    EXPECT_EQ(code, 7u);
    EXPECT_FALSE(c.Bar->Dragging());
    EXPECT_EQ(GetCapture(), c.List) << "the list keeps the capture";
    hand.Release();
    Pump();
    SendMessageA(c.Combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
}

TEST(ComboListBar, BareListGoneDuringTheDrag) {
    ColourStrips strips;
    HWND owner = ShowBareWindow("Bare list owner", WS_OVERLAPPEDWINDOW, 500, 100, 300, 300);
    TTinselForm* form = WaitSkinned(owner);
    ASSERT_NE(form, nullptr);
    HWND list = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 520, 160, 160, 200,
                                owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int i = 0; i < 50; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("Line " + std::to_string(i)).c_str()));
    auto* bar = new TComboxScrollBar(nullptr);
    bar->AttachHandle(list, Skin(), form, nullptr);
    ShowWindow(list, SW_SHOWNOACTIVATE);
    UpdateWindow(list);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    Pump();
    const BarGeometry g = BarOf(list, OBJID_VSCROLL);
    ASSERT_TRUE(g.Visible);
    const int x = (g.Screen.left + g.Screen.right) / 2;
    EXPECT_TRUE(ScreenShows(x, g.Screen.top + 4, PartColour(9), "the bare list's up arrow"));
    ScrollLog log;
    ASSERT_TRUE(log.Attach(list));
    const int y = g.Screen.top + (g.ThumbTop + g.ThumbBottom) / 2;

    // A stolen capture ends the drag and stays with the thief.
    Thief thief;
    log.OnTrack = [&] { PostMessageA(thief.Wnd, WM_APP, 0, 0); };
    {
        DragHand hand(x, y, 30);
        EXPECT_TRUE(PumpUntil([&] { return thief.Stole && !bar->Dragging(); }, "the drag ended by the stolen capture"));
        hand.Stop();
        EXPECT_EQ(GetCapture(), thief.Wnd) << "the loop left the thief its capture";
        EXPECT_TRUE(PumpUntil([&] { return log.Has(SB_ENDSCROLL); }, "SB_ENDSCROLL after the lost capture"));
        hand.Release();
        Pump();
    }
    ReleaseCapture();
    SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    Pump();

    // The list destroyed in the middle of a drag ends it.
    log.Clear();
    Destroyer destroyer(list);
    log.OnTrack = [&] { PostMessageA(destroyer.Wnd, WM_APP, 0, 0); };
    {
        DragHand hand(x, y, 30);
        EXPECT_TRUE(
            PumpUntil([&] { return !IsWindow(list) && !bar->Dragging(); }, "the drag ended with the list gone"));
        hand.Stop();
        EXPECT_EQ(bar->State, scDestroyed);
        hand.Release();
        Pump();
    }
    delete bar;
    DestroyWindow(owner);
    Pump();
}

TEST(ComboListBar, DroppedListInTheBuildersSkin) {
    DroppedCombo c;
    ASSERT_NE(c.FormSkin, nullptr);
    ASSERT_TRUE(c.Drop());
    const BarGeometry g = BarOf(c.List, OBJID_VSCROLL);
    ASSERT_TRUE(g.Visible);
    TBitmap* parts = Skin()->Scrollbar->Bitmap.get();
    ASSERT_EQ(ScrollBarThickness(Skin(), c.Bar->ArrowSize), parts->Height());
    // The up arrow's cell of the skin's strip, pixel for pixel.
    const int cell = parts->Width() / ScrollPartFrames;
    const COLORREF up = GetPixel(parts->Canvas()->Handle(), (sfUpArrow - 1) * cell + cell / 2, cell / 2);
    EXPECT_TRUE(ScreenShows(g.Screen.left + cell / 2, g.Screen.top + cell / 2, up, "the skin's up arrow"));
    RECT combo{}, list{};
    GetWindowRect(c.Combo->Handle(), &combo);
    GetWindowRect(c.List, &list);
    RECT both{};
    UnionRect(&both, &combo, &list);
    InflateRect(&both, 4, 4);
    ShotRect(both, "combo-list-bar.png");
    SendMessageA(c.Combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
}
