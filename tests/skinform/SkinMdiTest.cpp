// MDI windows under the skin: the frame hooks its MDI client, its children are framed by the
// skin while normal and left to the system while maximised, and a child's Alt+letter reaches the
// frame's bar.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "SkinFormTestUtil.h"
#include "SkinMenuTestUtil.h"
#include "classlib/Menus.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

using namespace skinform;

namespace {

TForm* MdiChild(const std::string& caption, int x, int y, int w, int h) {
    auto* child = NewForm<TForm>(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->SetCaption(caption);
    child->SetBounds(x, y, w, h);
    child->Show();
    Pump();
    return child;
}

bool HasRegion(HWND wnd) {
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    const bool has = GetWindowRgn(wnd, r) != ERROR;
    DeleteObject(r);
    return has;
}

}  // namespace

TEST(SkinMdi, FrameAndChildrenInTheSkin) {
    TForm* frame = NewForm<TForm>(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetCaption("MDI frame");
    frame->SetBounds(40, 40, 640, 480);
    auto* menu = new TMainMenu(frame);
    for (const char* caption : {"&File", "&Window"}) {
        auto* top = new TMenuItem(menu);
        top->SetCaption(caption);
        auto* sub = new TMenuItem(menu);
        sub->SetCaption("&Item");
        top->Add(sub);
        menu->Items()->Add(top);
    }
    SetFormMenu(frame, menu);
    TCustomForm* oldMain = Application->MainForm();
    Application->SetMainForm(frame);
    frame->Show();
    TTinselForm* f = WaitSkinned(frame->Handle());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Kind, fkMDIFrame);
    ASSERT_NE(f->MDIClient, nullptr);
    EXPECT_EQ(f->MDIClient, frame->ClientHandle());
    EXPECT_EQ(SkinManager->MDIClientWindow, f->MDIClient);
    ASSERT_TRUE(f->MenuBar);

    std::vector<TForm*> children = {MdiChild("First child", 10, 10, 280, 200),
                                    MdiChild("Second child", 120, 90, 280, 200)};
    std::vector<TTinselForm*> skins;
    for (TForm* c : children) {
        TTinselForm* s = WaitSkinned(c->Handle());
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Kind, fkMDIChild);
        EXPECT_EQ(s->MenuBar, nullptr);
        EXPECT_TRUE(HasRegion(c->Handle()));
        skins.push_back(s);
    }
    // Alt+letter in a child that has no bar: the frame's bar takes it (the frame alone, not as
    // the main form).
    Application->SetMainForm(oldMain);
    EXPECT_EQ(DialogCharWithAlt(children[0], 'W'), 1);
    MSG press{};
    ASSERT_TRUE(PeekMessageA(&press, frame->Handle(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    const TPoint at =
        f->FramePoint(TPoint{static_cast<int16_t>(LOWORD(press.lParam)), static_cast<int16_t>(HIWORD(press.lParam))});
    EXPECT_EQ(f->ObjectAt(at), f->MenuBar->Item(1));
    Application->SetMainForm(frame);

    // A zero-sized MDI child is skinned too.
    TForm* tiny = MdiChild("Tiny", 0, 0, 0, 0);
    EXPECT_EQ(SendMessageA(tiny->Handle(), WM_SKIN_QUERY, 0, 0), 1);
    tiny->Free();
    Pump();
    EXPECT_TRUE(ShotWindow(frame->Handle(), "mdi-skinned.png"));

    // Maximised, a child is left to the system: no region, the manager knows.
    const HWND second = children[1]->Handle();
    SendMessageA(f->MDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(second), 0);
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(second) && SkinManager->MDIMaximized; }, "the child maximised"));
    EXPECT_FALSE(HasRegion(second));
    EXPECT_TRUE(f->IsMdiChildMaximized());
    EXPECT_TRUE(ShotWindow(frame->Handle(), "mdi-maximized.png"));
    // Cascading switches the caption state back first.
    SendMessageA(f->MDIClient, WM_MDICASCADE, 0, 0);
    EXPECT_FALSE(SkinManager->MDIMaximized);
    ASSERT_TRUE(PumpUntil([&] { return !IsZoomed(second); }, "the children cascaded"));
    EXPECT_TRUE(PumpUntil([&] { return HasRegion(second); }, "the cascaded child's region back"));

    for (TForm* c : children) c->Free();
    Pump();
    Application->SetMainForm(oldMain);
    frame->Free();
    Pump();
}
