// The form skin on real windows: its hit test, caption buttons, caption drag, frame pixels and
// region, title clipping, border styles, the version-dependent caption style, and what it
// does when its form goes while its window procedure runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "SkinFormTestUtil.h"
#include "classlib/Menus.h"
#include "classlib/SysVersion.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

using namespace skinform;

namespace {

RECT WindowRect(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

LRESULT HitAt(HWND wnd, int x, int y) {
    const RECT w = WindowRect(wnd);
    return SendMessageA(wnd, WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y));
}

TWinSysButton* ButtonOfKind(TTinselForm* f, int kind) {
    for (auto& b : f->SysButtons)
        if (b->Visible && b->Record->Action == kind) return b.get();
    return nullptr;
}

TPoint Centre(const TRect& r) { return TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TMainMenu* AddMenu(TForm* form) {
    auto* menu = new TMainMenu(form);
    for (const char* caption : {"&File", "&Action", "&Help"}) {
        auto* top = new TMenuItem(menu);
        top->SetCaption(caption);
        for (const char* sub : {"&First", "-", "&Second"}) {
            auto* item = new TMenuItem(menu);
            item->SetCaption(sub);
            top->Add(item);
        }
        menu->Items()->Add(top);
    }
    SetFormMenu(form, menu);
    return menu;
}

// The colour of a strip pixel as the screen shows it.
COLORREF StripPixel(TBitmap* strip, int x, int y) { return static_cast<COLORREF>(strip->Canvas()->Pixels(x, y)); }

bool g_handled = false;
void CALLBACK MarkHandled(HWND, UINT, UINT_PTR, DWORD) { g_handled = true; }

TForm* doomed = nullptr;
int ticks = 0;
void CALLBACK DoomedStep(HWND, UINT, UINT_PTR, DWORD) {
    ++ticks;
    if (ticks == 3 && doomed) {
        doomed->Free();
        doomed = nullptr;
    } else if (ticks == 5) {
        EndMenu();
    }
}

}  // namespace

TEST(SkinForm, HitTestAnswersEveryRegionOfTheFrame) {
    FormPtr form(ShowForm("Hit test", bsSizeable, 100, 100, 400, 300));
    TTinselForm* f = WaitSkinned(form->Handle());
    ASSERT_NE(f, nullptr);
    const RECT w = WindowRect(form->Handle());
    const int W = w.right - w.left, H = w.bottom - w.top, T = f->BorderTop;
    ASSERT_GT(f->BorderLeft, 0);
    ASSERT_GT(T, 20);
    const struct {
        const char* where;
        int x, y;
        LRESULT want;
    } cases[] = {
        {"top-left corner", 0, 0, HTTOPLEFT},       {"top edge", W / 2, 0, HTTOP},
        {"top-right corner", W - 1, 0, HTTOPRIGHT}, {"left edge", 0, H / 2, HTLEFT},
        {"right edge", W - 1, H / 2, HTRIGHT},      {"bottom-left corner", 0, H - 1, HTBOTTOMLEFT},
        {"bottom edge", W / 2, H - 1, HTBOTTOM},    {"bottom-right corner", W - 1, H - 1, HTBOTTOMRIGHT},
        {"caption", W / 2, T / 2, HTCAPTION},       {"last caption row", W / 2, T - 1, HTCAPTION},
        {"first client row", W / 2, T, HTCLIENT},   {"client", W / 2, H / 2, HTCLIENT},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitAt(form->Handle(), c.x, c.y), c.want) << c.where << " (" << c.x << "," << c.y << ")";
    // The caption buttons lie in the caption; a press there is theirs, not the system's.
    for (int kind : {0, 1, 2}) {
        TWinSysButton* b = ButtonOfKind(f, kind);
        ASSERT_NE(b, nullptr) << "caption button of kind " << kind;
        const TPoint p = Centre(b->Rect);
        EXPECT_EQ(HitAt(form->Handle(), p.x, p.y), HTCAPTION) << "button " << kind;
        EXPECT_EQ(f->ObjectAt(p), b) << "button " << kind;
    }

    // With a menu bar: the strip under the caption is the menu, the row below it the client.
    FormPtr menuForm(NewForm<TForm>(nullptr));
    menuForm->SetBounds(120, 120, 400, 300);
    AddMenu(menuForm.get());
    menuForm->Show();
    TTinselForm* m = WaitSkinned(menuForm->Handle());
    ASSERT_NE(m, nullptr);
    ASSERT_GT(m->MenuBarHeight, 0);
    EXPECT_EQ(GetMenu(menuForm->Handle()), nullptr);  // the bar is drawn by the skin
    const int mt = m->BorderTop, mh = m->MenuBarHeight;
    const struct {
        const char* where;
        int y;
        LRESULT want;
    } strip[] = {{"caption", mt / 2, HTCAPTION},
                 {"menu strip top", mt, HTMENU},
                 {"menu strip bottom", mt + mh - 1, HTMENU},
                 {"first client row", mt + mh, HTCLIENT},
                 {"client", mt + mh + 40, HTCLIENT}};
    for (const auto& c : strip) EXPECT_EQ(HitAt(menuForm->Handle(), 200, c.y), c.want) << c.where;
}

TEST(SkinForm, ClientAreaIsNeverNegative) {
    FormPtr form(ShowForm("Small", bsSizeable, 100, 100, 300, 200));
    TTinselForm* f = WaitSkinned(form->Handle());
    ASSERT_NE(f, nullptr);
    // A minimised window here is 160 x 24, less than the skin's borders.
    for (const SIZE size : {SIZE{160, 24}, SIZE{4, 4}, SIZE{0, 0}, SIZE{300, 200}}) {
        WINDOWPOS pos{form->Handle(), nullptr, 10, 20, size.cx, size.cy, 0};
        NCCALCSIZE_PARAMS params{};
        params.rgrc[0] = RECT{10, 20, 10 + size.cx, 20 + size.cy};
        params.rgrc[1] = params.rgrc[0];
        params.rgrc[2] = params.rgrc[0];
        params.lppos = &pos;
        SendMessageA(form->Handle(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        const RECT c = params.rgrc[0];
        EXPECT_GE(c.right, c.left) << size.cx << "x" << size.cy;
        EXPECT_GE(c.bottom, c.top) << size.cx << "x" << size.cy;
        EXPECT_GE(c.left, 10);
        EXPECT_LE(c.right, 10 + size.cx);
        EXPECT_LE(c.bottom, 20 + size.cy);
    }
}

TEST(SkinForm, CaptionButtonsAndDoubleClickDoWhatTheySay) {
    FormPtr form(ShowForm("Buttons", bsSizeable, 150, 120, 400, 300));
    const HWND wnd = form->Handle();
    TTinselForm* f = WaitSkinned(wnd);
    ASSERT_NE(f, nullptr);
    auto clickButton = [&](int kind) {
        TWinSysButton* b = ButtonOfKind(f, kind);
        ASSERT_NE(b, nullptr) << "caption button of kind " << kind;
        const RECT w = WindowRect(wnd);
        const TPoint p = Centre(b->Rect);
        MouseClick(w.left + p.x, w.top + p.y);
    };
    clickButton(2);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(wnd) != FALSE; }, "the window minimised by its button"));
    RECT c{};
    GetClientRect(wnd, &c);
    EXPECT_GE(c.right, 0);
    EXPECT_GE(c.bottom, 0);
    ShowWindow(wnd, SW_RESTORE);
    ASSERT_TRUE(PumpUntil([&] { return !IsIconic(wnd) && f->ShowStateValue == ssNormal; }, "the window restored"));

    clickButton(1);
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(wnd) != FALSE; }, "the window maximised by its button"));
    // A double click on a maximised window's caption restores it.
    Pump();
    const RECT w = WindowRect(wnd);
    const int x = w.left + (w.right - w.left) / 2, y = w.top + f->BorderTop / 2;
    MouseClick(x, y);
    MouseClick(x, y);
    ASSERT_TRUE(PumpUntil([&] { return !IsZoomed(wnd); }, "the window restored by a double click on its caption"));
    ASSERT_TRUE(PumpUntil([&] { return f->ShowStateValue == ssNormal && IsWindowVisible(wnd); }, "normal state"));

    clickButton(0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(wnd); }, "the window closed by its close button"));
}

TEST(SkinForm, DragOnTheCaptionMovesTheWindow) {
    FormPtr form(ShowForm("Drag me", bsSizeable, 100, 100, 400, 300));
    const HWND wnd = form->Handle();
    TTinselForm* f = WaitSkinned(wnd);
    ASSERT_NE(f, nullptr);
    const RECT before = WindowRect(wnd);
    const int x = before.left + 200, y = before.top + f->BorderTop / 2;
    MouseMove(x, y);
    MouseDown(x, y);
    for (int step = 1; step <= 5; ++step) MouseMove(x + step * 12, y + step * 8);
    MouseUp(x + 60, y + 40);
    EXPECT_TRUE(PumpUntil(
        [&] {
            const RECT r = WindowRect(wnd);
            return r.left == before.left + 60 && r.top == before.top + 40;
        },
        "the window moved by (60, 40) after a drag on its caption"));
}

// Wine's major version, 0 on Windows.
static int WineMajor() {
    using Version = const char*(CDECL*)();
    const auto get = reinterpret_cast<Version>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return get ? atoi(get()) : 0;
}

TEST(SkinForm, FramePixelsComeFromTheSkinAndItsHolesShowTheDesktop) {
    // Wine 10 shows a window region whose bands start with narrow pieces wrongly: GetWindowRgn
    // gives back exactly the region set, and a region of plain rectangles shows right, but the
    // screen cuts the first pixels of the top rows and keeps the holes after them. The top
    // corners' pixels are not checked there.
    const bool topRowsShown = WineMajor() < 10;
    if (!topRowsShown) std::printf("Wine 10: the top corners of the region are not checked (its shaping fault)\n");
    const COLORREF desktop = ScreenPixel(1010, 750);
    FormPtr form(ShowForm("Pixels", bsSizeable, 100, 100, 400, 300));
    const HWND wnd = form->Handle();
    TTinselForm* f = WaitSkinned(wnd);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return f->ActiveFlag == 1; }, "the window active"));
    TSkinData* d = Skin();
    TBitmap* left = d->Borders[0]->Bitmap.get();
    TBitmap* right = d->Borders[1]->Bitmap.get();
    TBitmap* top = d->Borders[2]->Bitmap.get();
    TBitmap* bottom = d->Borders[3]->Bitmap.get();
    const int L = f->BorderLeft, R = f->BorderRight, B = f->BorderBottom, T = f->BorderTop;
    int holes = 0;
    auto check = [&](int frame, const char* state) {
        const RECT w = WindowRect(wnd);
        const int W = w.right - w.left, H = w.bottom - w.top;
        auto expect = [&](const char* piece, int sx, int sy, TBitmap* strip, int x, int y) {
            const COLORREF want = StripPixel(strip, sx, sy);
            const COLORREF got = ScreenPixel(w.left + x, w.top + y);
            if (want == TRANSPARENT_KEY) {
                ++holes;
                EXPECT_EQ(got, desktop) << state << " hole of the " << piece << " at " << x << "," << y;
            } else {
                EXPECT_EQ(got, want) << state << " " << piece << " at " << x << "," << y;
            }
        };
        const int topCorner = d->Borders[0]->Margins.top, cellH = left->Height();
        for (int y = 0; topRowsShown && y < topCorner; ++y)
            for (int x = 0; x < L; ++x) {
                expect("top-left corner", (frame - 1) * L + x, y, left, x, y);
                expect("top-right corner", (frame - 1) * R + x, y, right, W - R + x, y);
            }
        for (int y = 0; y < d->Borders[0]->Margins.bottom; ++y)
            for (int x = 0; x < L; ++x)
                expect("bottom-left corner", (frame - 1) * L + x, cellH - 1 - y, left, x, H - 1 - y);
        const int topCell = top->Height() / d->Borders[2]->Frames,
                  bottomCell = bottom->Height() / d->Borders[3]->Frames;
        for (int y = topRowsShown ? 0 : topCorner; y < 4; ++y)  // above the caption buttons and the title
            for (int x = 0; x < d->Borders[2]->Margins.left; x += 3) {
                expect("caption's left end", x, (frame - 1) * topCell + y, top, L + x, y);
                const int fromRight = d->Borders[2]->Margins.right - 1 - x;
                if (fromRight >= 0)
                    expect("caption's right end", top->Width() - 1 - x, (frame - 1) * topCell + y, top, W - R - 1 - x,
                           y);
            }
        for (int y = 0; y < B; ++y)
            for (int x = 0; x < d->Borders[3]->Margins.left; ++x)
                expect("bottom border", x, (frame - 1) * bottomCell + y, bottom, L + x, H - B + y);
        // The close button: its first frame when active, its fourth when inactive.
        TWinSysButton* close = ButtonOfKind(f, 0);
        ASSERT_NE(close, nullptr);
        TBitmap* strip = close->Record->Bitmap.get();
        const int cw = strip->Width() / close->Record->Frames, cellFrame = frame == 1 ? 0 : 3;
        for (int y = 0; y < RectHeight(close->Rect); y += 2)
            for (int x = 0; x < RectWidth(close->Rect); x += 2) {
                const COLORREF want = StripPixel(strip, cellFrame * cw + x, y);
                if (want == TRANSPARENT_KEY) continue;
                EXPECT_EQ(ScreenPixel(w.left + close->Rect.left + x, w.top + close->Rect.top + y), want)
                    << state << " close button at " << x << "," << y;
            }
        (void)T;
    };
    check(1, "active");
    if (topRowsShown) {
        EXPECT_GT(holes, 0) << "the skin's corners have no see-through pixels to check";
    }
    // Another window active: the frame shows the pieces' second frames.
    FormPtr other(ShowForm("Other", bsSizeable, 600, 400, 200, 150));
    ASSERT_NE(WaitSkinned(other->Handle()), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return f->ActiveFlag == 0; }, "the first window inactive"));
    Pump();
    check(2, "inactive");
    ShotWindow(wnd, "inactive.png");
}

TEST(SkinForm, LongCaptionEndsBeforeTheButtons) {
    FormPtr form(ShowForm("Short", bsSizeable, 100, 100, 400, 300));
    const HWND wnd = form->Handle();
    TTinselForm* f = WaitSkinned(wnd);
    ASSERT_NE(f, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return f->ActiveFlag == 1; }, "the window active"));
    const RECT w = WindowRect(wnd);
    const int W = w.right - w.left;
    const int clip = W - f->BorderRight - Skin()->Title->Margins.right;
    TWinSysButton* min = ButtonOfKind(f, 2);
    ASSERT_NE(min, nullptr);
    ASSERT_LT(clip, min->Rect.left);
    // Between the clip edge and the buttons, and the part of the title just before the edge.
    const RECT beyond{w.left + clip, w.top + 6, w.left + min->Rect.left, w.top + f->BorderTop - 4};
    const RECT before{w.left + clip - 30, w.top + 6, w.left + clip, w.top + f->BorderTop - 4};
    const auto beyondShort = ScreenRect(beyond), beforeShort = ScreenRect(before);
    form->SetCaption(std::string(200, 'W') + " the end");
    Pump();
    EXPECT_LE(f->TitleTextRect.right, clip);
    EXPECT_EQ(ScreenRect(beyond), beyondShort) << "the long caption runs past its clip edge";
    EXPECT_NE(ScreenRect(before), beforeShort) << "the long caption does not reach its clip edge";
    ShotWindow(wnd, "long-caption.png");
}

TEST(SkinForm, CaptionChangesRepaintWithoutHandlingOtherMessages) {
    FormPtr form(ShowForm("Before", bsSizeable, 100, 100, 400, 300));
    const HWND wnd = form->Handle();
    ASSERT_NE(WaitSkinned(wnd), nullptr);
    g_handled = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, &MarkHandled);
    // The timer is due by now; setting the caption must not handle it.
    Sleep(20);
    form->SetCaption("After");
    EXPECT_FALSE(g_handled);
    PumpUntil([] { return g_handled; }, "the timer handled by the message loop");
    KillTimer(nullptr, timer);
    EXPECT_EQ(GetWindowLongPtrA(wnd, GWL_STYLE) & WS_VISIBLE, WS_VISIBLE);
}

TEST(SkinForm, EveryBorderStyleKeepsItsClientSize) {
    const struct {
        TFormBorderStyle style;
        uint8_t borderClass;
    } cases[] = {{bsSizeable, bcSizable},  {bsSingle, bcSingle},       {bsDialog, bcDialog},
                 {bsToolWindow, bcSingle}, {bsSizeToolWin, bcSizable}, {bsNone, bcNoCaption}};
    for (const auto& c : cases) {
        FormPtr form(NewForm<TForm>(nullptr));
        form->SetBorderStyle(c.style);
        form->SetBounds(100, 100, 360, 240);
        RECT before{};
        GetClientRect(form->Handle(), &before);
        form->Show();
        TTinselForm* f = WaitSkinned(form->Handle());
        ASSERT_NE(f, nullptr) << c.style;
        EXPECT_EQ(f->BorderClassValue, c.borderClass) << c.style;
        RECT after{};
        GetClientRect(form->Handle(), &after);
        EXPECT_EQ(after.right, before.right) << c.style;
        EXPECT_EQ(after.bottom, before.bottom) << c.style;
        ShotWindow(form->Handle(), "style-" + std::to_string(c.style) + ".png");
    }
}

TEST(SkinForm, OnWindows2000TheCaptionStyleGoesWhileSkinned) {
    // Only an ownerless window loses its caption style there; forms are owned by the
    // application's window.
    SetWin32Version(VER_PLATFORM_WIN32_NT, 5, 0);
    const HWND wnd = ShowBareWindow("Windows 2000", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300);
    TTinselForm* f = WaitSkinned(wnd);
    ReadWin32Version();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->ButtonSet & sbNoCaption);
    EXPECT_EQ(GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_EQ(HitAt(wnd, 200, f->BorderTop / 2), HTCAPTION);
    // Unskinned, the caption comes back.
    f->Unskin();
    EXPECT_EQ(GetWindowLongPtrA(wnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    DestroyWindow(wnd);

    // With the version this system answers the style stays.
    const HWND plain = ShowBareWindow("Plain", WS_OVERLAPPEDWINDOW, 150, 150, 400, 300);
    TTinselForm* p = WaitSkinned(plain);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->ButtonSet & sbNoCaption);
    EXPECT_EQ(GetWindowLongPtrA(plain, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    DestroyWindow(plain);
    SkinManager->PurgeDeadForms();
}

TEST(SkinForm, ARecreatedWindowIsSkinnedAgain) {
    FormPtr form(ShowForm("Recreated", bsSizeable, 100, 100, 400, 300));
    const HWND old = form->Handle();
    ASSERT_NE(WaitSkinned(old), nullptr);
    // A new border style makes the form a new window.
    form->SetBorderStyle(bsSingle);
    const HWND now = form->Handle();
    ASSERT_NE(now, old);
    TTinselForm* f = WaitSkinned(now);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->BorderClassValue, bcSingle);
    EXPECT_EQ(SendMessageA(now, WM_SKIN_QUERY, 0, 0), 1);
    SkinManager->PurgeDeadForms();
    EXPECT_EQ(SkinManager->FindSkinForm(old), nullptr);
}

TEST(SkinForm, FormFreedInsideItsOwnMenuLoop) {
    doomed = ShowForm("Doomed", bsSizeable, 100, 100, 400, 300);
    const HWND wnd = doomed->Handle();
    TTinselForm* f = WaitSkinned(wnd);
    ASSERT_NE(f, nullptr);
    ticks = 0;
    // Inside the system menu's loop (run from the skin's window procedure) the form goes, then
    // the menu ends; the skin must come back out of its procedure unharmed.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &DoomedStep);
    const RECT w = WindowRect(wnd);
    RightClick(w.left + 200, w.top + f->BorderTop / 2);
    PumpUntil([] { return ticks >= 6; }, "the timer's steps inside the menu loop");
    KillTimer(nullptr, timer);
    EXPECT_EQ(doomed, nullptr) << "the menu loop never ran";
    if (doomed) doomed->Free();
    EXPECT_FALSE(IsWindow(wnd));
    SkinManager->PurgeDeadForms();
    EXPECT_EQ(SkinManager->FindSkinForm(wnd), nullptr);
}
