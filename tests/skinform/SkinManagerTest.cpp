// The skin manager's decisions on real windows, its deferred actions and its hook.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "SkinFormTestUtil.h"
#include "classlib/WinHook.h"
#include "classlib/WindowSubclass.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

using namespace skinform;

namespace {

LRESULT Query(HWND wnd) { return SendMessageA(wnd, WM_SKIN_QUERY, 0, 0); }

// A message box run from the test thread; the timer looks at it from inside its loop.
HWND g_box = nullptr;
LRESULT g_boxQuery = -1;
int g_boxTicks = 0;
void CALLBACK WatchBox(HWND, UINT, UINT_PTR, DWORD) {
    ++g_boxTicks;
    if (!g_box) g_box = FindWindowA("#32770", "Skinned box");
    if (g_box && IsSkinned(g_box)) {
        g_boxQuery = Query(g_box);
        PostMessageA(g_box, WM_COMMAND, IDOK, 0);
    } else if (g_boxTicks > 400) {
        if (g_box) PostMessageA(g_box, WM_COMMAND, IDOK, 0);
    }
}

INT_PTR CALLBACK DialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// A modeless dialog of the system's class from a template in memory.
HWND ShowSystemDialog() {
    std::vector<WORD> t(64, 0);
    auto* tmpl = reinterpret_cast<DLGTEMPLATE*>(t.data());
    tmpl->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    tmpl->cx = 160;
    tmpl->cy = 80;
    tmpl->x = 40;
    tmpl->y = 40;
    WORD* p = reinterpret_cast<WORD*>(tmpl + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // the system's dialog class
    for (const char* c = "System dialog"; *c; ++c) *p++ = static_cast<WORD>(*c);
    *p++ = 0;
    HWND dlg = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), tmpl, nullptr, &DialogProc, 0);
    SetForegroundWindow(dlg);
    return dlg;
}

}  // namespace

TEST(SkinManager, WhichWindowsGetASkin) {
    ASSERT_TRUE(SkinManager);
    ASSERT_TRUE(SkinManager->Enabled);
    // The application's hidden window and a zero-sized window never.
    EXPECT_FALSE(SkinManager->SkinWindow(Application->Handle()));
    EXPECT_EQ(Query(Application->Handle()), 0);
    const HWND empty = ShowBareWindow("Empty", WS_POPUP, 10, 10, 0, 0);
    EXPECT_FALSE(SkinManager->SkinWindow(empty));
    EXPECT_EQ(Query(empty), 0);
    DestroyWindow(empty);

    // Looking a window up makes no window for a form that has none yet.
    FormPtr unborn(NewForm<TForm>(nullptr));
    ASSERT_FALSE(unborn->HandleAllocated());
    EXPECT_EQ(SkinManager->FormOfHandle(Application->Handle()), nullptr);
    EXPECT_FALSE(unborn->HandleAllocated());

    // A form tagged 99 is activated and stays plain.
    FormPtr tagged(NewForm<TForm>(nullptr));
    tagged->SetTag(99);
    tagged->SetBounds(100, 100, 300, 200);
    tagged->Show();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == tagged->Handle(); }, "the tagged form active"));
    Pump();
    EXPECT_EQ(SkinManager->FindSkinForm(tagged->Handle()), nullptr);
    EXPECT_EQ(Query(tagged->Handle()), 0);

    // A plain form is skinned once, and answers the query.
    FormPtr plain(ShowForm("Plain", bsSizeable, 120, 120, 300, 200));
    TTinselForm* f = WaitSkinned(plain->Handle());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Query(plain->Handle()), 1);
    EXPECT_FALSE(SkinManager->SkinWindow(plain->Handle()));
    EXPECT_EQ(SkinManager->FindSkinForm(plain->Handle()), f);

    // A plain child window is refused, except while skin all runs.
    HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, plain->Handle(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_TRUE(TSkinManage::IsPlainChildWindow(child));
    EXPECT_FALSE(SkinManager->SkinWindow(child));
    DestroyWindow(child);

    // A class whose name says preview: skinned only with xoPreview.
    const TSkinOptions options = Skin()->Options();
    Skin()->SetOptions(options - xoPreview);
    EXPECT_FALSE(SkinManager->AllowWindow(plain->Handle(), "TMoviePreviewPane"));
    Skin()->SetOptions(options + xoPreview);
    EXPECT_TRUE(SkinManager->AllowWindow(plain->Handle(), "TMoviePreviewPane"));
    Skin()->SetOptions(options);

    // A standard dialog box and a message box get a skin of the dialog kind.
    const HWND dlg = ShowSystemDialog();
    ASSERT_NE(dlg, nullptr);
    TTinselForm* d = WaitSkinned(dlg);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->Dialog);
    EXPECT_EQ(d->BorderClassValue, bcDialog);
    EXPECT_EQ(Query(dlg), 1);
    ShotWindow(dlg, "system-dialog.png");
    DestroyWindow(dlg);

    g_box = nullptr;
    g_boxQuery = -1;
    g_boxTicks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, &WatchBox);
    MessageBoxA(plain->Handle(), "A message box", "Skinned box", MB_OK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_boxQuery, 1) << "the message box was not skinned while it was shown";
}

TEST(SkinManager, UnskinGivesTheSystemFrameBackAndSkinAllComesAfterTheDeferral) {
    FormPtr form(ShowForm("Main", bsSizeable, 100, 100, 400, 300));
    const HWND wnd = form->Handle();
    ASSERT_NE(WaitSkinned(wnd), nullptr);
    RECT skinned{};
    GetClientRect(wnd, &skinned);
    ShotWindow(wnd, "skinned.png");

    Skin()->SetActive(false);
    EXPECT_EQ(SkinManager->PendingAction(), 2);
    EXPECT_EQ(Query(wnd), 1);  // not before the timer
    ASSERT_TRUE(PumpUntil([&] { return Query(wnd) == 0; }, "the window unskinned"));
    RECT plain{};
    GetClientRect(wnd, &plain);
    EXPECT_EQ(plain.right, skinned.right);
    EXPECT_EQ(plain.bottom, skinned.bottom);
    EXPECT_EQ(GetWindowLongPtrA(wnd, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(wnd, region), ERROR) << "the skin's region stayed";
    DeleteObject(region);
    ShotWindow(wnd, "unskinned.png");

    Skin()->SetActive(true);
    EXPECT_EQ(SkinManager->PendingAction(), 1);
    EXPECT_EQ(SkinManager->PendingDelay(), 250);
    EXPECT_EQ(Query(wnd), 0);
    ASSERT_NE(WaitSkinned(wnd), nullptr);
    RECT again{};
    GetClientRect(wnd, &again);
    EXPECT_EQ(again.right, skinned.right);
    EXPECT_EQ(again.bottom, skinned.bottom);
}

TEST(SkinManager, AnotherSubclassOfTheWindowSurvivesTheUnskin) {
    FormPtr form(ShowForm("Chained", bsSizeable, 100, 100, 400, 300));
    const HWND wnd = form->Handle();
    ASSERT_NE(WaitSkinned(wnd), nullptr);
    // Someone subclasses the window after the skin did; the skin goes first.
    int seen = 0;
    TWindowSubclass other;
    ASSERT_TRUE(other.Attach(wnd, [&](UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_NULL) ++seen;
        return other.CallPrevious(msg, w, l);
    }));
    Skin()->SetActive(false);
    ASSERT_TRUE(PumpUntil([&] { return Query(wnd) == 0; }, "the window unskinned"));
    SendMessageA(wnd, WM_NULL, 0, 0);
    EXPECT_EQ(seen, 1) << "the later subclass was cut off";
    EXPECT_EQ(SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0), 7);  // the window's own procedure still answers
    other.Detach();
    SendMessageA(wnd, WM_NULL, 0, 0);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0), 7);
    Skin()->SetActive(true);
    ASSERT_NE(WaitSkinned(wnd), nullptr);
}

TEST(SkinManager, TwoQuickRequestsRunOnlyTheSecond) {
    FormPtr form(ShowForm("Quick", bsSizeable, 100, 100, 400, 300));
    TTinselForm* f = WaitSkinned(form->Handle());
    ASSERT_NE(f, nullptr);
    int changed = 0;
    Skin()->SetOnSkinChanged(TNotifyEvent([&](TObject*) { ++changed; }));
    Skin()->SetActive(false);
    Skin()->SetActive(true);
    EXPECT_EQ(SkinManager->PendingAction(), 1);
    PumpUntil([&] { return changed > 0; }, "the skin action run");
    Skin()->SetOnSkinChanged(nullptr);
    EXPECT_EQ(changed, 1);
    // Unskin all never ran: the window kept its very skin object.
    EXPECT_EQ(SkinManager->FindSkinForm(form->Handle()), f);
    EXPECT_EQ(Query(form->Handle()), 1);
}

TEST(SkinManager, NoHookIsLeftOnceTheManagerIsFreed) {
    ASSERT_TRUE(SkinManager && SkinManager->HookInstalled());
    const int hooks = TWindowsHook::LiveCount();
    // Asking again installs nothing more; the first hook stays.
    SkinManager->InstallHook();
    EXPECT_EQ(TWindowsHook::LiveCount(), hooks);
    FormPtr form(ShowForm("Going", bsSizeable, 100, 100, 300, 200));
    ASSERT_NE(WaitSkinned(form->Handle()), nullptr);
    FreeSkinManager();
    EXPECT_EQ(TWindowsHook::LiveCount(), hooks - 1);
    EXPECT_EQ(Query(form->Handle()), 0);  // its skin let go of the window
    // Back for the other tests.
    Skin()->Loaded();
    EXPECT_TRUE(SkinManager->HookInstalled());
    EXPECT_EQ(TWindowsHook::LiveCount(), hooks);
}
