// What menus and caption buttons of a skinned form hold of the skin, and what the skin holds of
// them, over unskinning, re-skinning, a re-created window, a replaced or freed menu and a skin
// read again: nobody is left pointing at something freed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "BuilderSkinFile.h"
#include "SkinFormTestUtil.h"
#include "SkinMenuTestUtil.h"
#include "classlib/Classes.h"
#include "classlib/Menus.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

using namespace skinform;

TEST(SkinMenuLife, PopupItemsAlwaysCallTheLivingSkin) {
    FormPtr form(NewForm<TForm>(nullptr));
    form->SetCaption("Popup owner");
    form->SetBounds(100, 100, 420, 300);
    auto* popup = new TPopupMenu(form.get());
    for (const char* caption : {"&First", "-", "&Second"}) {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(caption);
        popup->Items()->Add(item);
    }
    form->Show();
    // Each state: how it is reached, and whether a skin draws the pop-up then.
    struct {
        const char* what;
        std::function<void()> reach;
        bool skinned;
    } states[] = {
        {"skinned", [] {}, true},
        {"unskinned", [] { Skin()->SetActive(false); }, false},
        {"skinned again", [] { Skin()->SetActive(true); }, true},
        {"its window made again", [&] { form->RecreateWnd(); }, true},
    };
    for (const auto& s : states) {
        s.reach();
        TTinselForm* skin = nullptr;
        if (s.skinned) {
            skin = WaitSkinned(form->Handle());
            ASSERT_NE(skin, nullptr) << s.what;
        } else {
            ASSERT_TRUE(PumpUntil([&] { return !IsSkinned(form->Handle()); }, s.what));
        }
        SkinManager->PurgeDeadForms();
        for (int i = 0; i < popup->Items()->Count(); ++i) {
            TMenuItem* item = popup->Items()->Items(i);
            // Only the living skin, or nobody, is called.
            EXPECT_EQ(item->OnDrawItem.Data(), skin) << s.what << " " << i;
            EXPECT_EQ(item->OnMeasureItem.Data(), skin) << s.what << " " << i;
        }
        EXPECT_EQ(popup->OwnerDraw(), s.skinned) << s.what;
        const std::string what = std::string("the pop-up ") + s.what;
        RunSteps({{what, [&] { return OpenMenu() == popup->Handle(); }, [] { Key(VK_ESCAPE); }}, MenuClosed()},
                 [&] { popup->Popup(300, 200); });
    }
}

TEST(SkinMenuLife, AMenuReplacedOrFreedWhileSkinnedLeavesTheBarNothingStale) {
    FormPtr form(NewForm<TForm>(nullptr));
    form->SetCaption("Menus come and go");
    form->SetBounds(100, 100, 420, 300);
    TMainMenu* first = BuilderLikeMenu(form.get());
    form->Show();
    TTinselForm* skin = WaitSkinned(form->Handle());
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->MenuBar);
    EXPECT_EQ(skin->MenuBar->MenuObject(), first);

    // Another menu: the bar reads the form's menu again.
    auto* second = new TMainMenu(form.get());
    for (const char* caption : {"&Edit", "&View"}) {
        auto* top = new TMenuItem(second);
        top->SetCaption(caption);
        auto* sub = new TMenuItem(second);
        sub->SetCaption("&Item");
        top->Add(sub);
        second->Items()->Add(top);
    }
    SetFormMenu(form.get(), second);
    Pump();
    EXPECT_EQ(skin->MenuBar->MenuObject(), second);
    ASSERT_EQ(skin->MenuBar->Count(), 2);
    EXPECT_EQ(skin->MenuBar->Item(0)->Caption, L"&Edit");
    EXPECT_EQ(GetMenu(form->Handle()), nullptr) << "the skin paints the bar";
    delete first;
    Pump();
    EXPECT_EQ(skin->MenuBar->MenuObject(), second);

    // The shown menu freed: the bar lets go of it and of its items.
    delete second;
    Pump();
    EXPECT_EQ(skin->MenuBar->MenuObject(), nullptr);
    EXPECT_EQ(skin->MenuBar->Count(), 0);
    // Painting, hit testing and the keyboard find nothing, and nothing freed.
    SendMessageA(form->Handle(), WM_SKIN_NCREPAINT, 0, 0);
    RECT w{};
    GetWindowRect(form->Handle(), &w);
    EXPECT_EQ(skin->ObjectAt(TPoint{20, skin->BorderTop + 2}), nullptr);
    PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'e');
    Pump();
    EXPECT_EQ(OpenPopup(), nullptr);
}

TEST(SkinMenuLife, ASkinReadAgainGivesTheCaptionButtonsItsNewRecords) {
    FormPtr form(ShowForm("Read again", bsSizeable, 100, 100, 400, 300));
    TTinselForm* skin = WaitSkinned(form->Handle());
    ASSERT_NE(skin, nullptr);
    ASSERT_FALSE(skin->SysButtons.empty());
    ASSERT_TRUE(PumpUntil([&] { return skin->ActiveFlag == 1; }, "the window active"));
    auto recordsLive = [&] {
        for (auto& b : skin->SysButtons) {
            const bool known = std::any_of(Skin()->SysButtons.begin(), Skin()->SysButtons.end(),
                                           [&](const auto& r) { return r.get() == b->Record; });
            if (!known) return false;
        }
        return true;
    };
    const size_t buttons = skin->SysButtons.size();
    // The component reads its stored skin again, as a form file would have it do.
    ReadBuilderSkin(Skin());
    ASSERT_FALSE(Skin()->SkinEmpty);
    EXPECT_EQ(skin->SysButtons.size(), buttons);
    EXPECT_TRUE(recordsLive()) << "a caption button kept a record of the skin read before";
    // The buttons paint and answer the mouse from the new records.
    SendMessageA(form->Handle(), WM_SKIN_NCREPAINT, 0, 0);
    for (auto& b : skin->SysButtons) {
        if (!b->Visible) continue;
        RECT w{};
        GetWindowRect(form->Handle(), &w);
        HoverUntil(
            w.left + (b->Rect.left + b->Rect.right) / 2, w.top + (b->Rect.top + b->Rect.bottom) / 2,
            [&] { return skin->HotObject == b.get(); }, "the button hot under the mouse");
    }
    MouseMove(600, 700);
    Pump();
}

TEST(SkinMenuLife, AnExceptionOfTheFormsHandlerLeavesTheSkinFreeableWithItsPopup) {
    TForm* form = ShowForm("Raising", bsSizeable, 100, 100, 400, 300);
    const HWND wnd = form->Handle();
    TTinselForm* skin = WaitSkinned(wnd);
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return skin->ActiveFlag == 1; }, "the window active"));
    // The right-click pop-up once: its items are menu items the skin holds.
    RECT w{};
    GetWindowRect(wnd, &w);
    RunSteps({{"the system menu", [] { return OpenMenu() != nullptr; }, [] { Key(VK_ESCAPE); }}, MenuClosed()},
             [&] { RightClick(w.left + 200, w.top + skin->BorderTop / 2); });
    // A handler of the form raises while the skin's hook is on the stack; the class library
    // reports it above the hook.
    form->OnCloseQuery = TCloseQueryEvent([](TObject*, bool&) { throw Exception("refused"); });
    int reported = 0;
    SetExceptionReporter([&] {
        try {
            throw;
        } catch (const Exception&) {
            ++reported;
        }
    });
    SendMessageA(wnd, WM_CLOSE, 0, 0);
    SetExceptionReporter([] { Application->HandleException(Application); });
    EXPECT_EQ(reported, 1);
    EXPECT_FALSE(skin->Busy()) << "the skin counts a handler that has long ended";
    // Freed with the form, not kept for ever (the kept one was freed only at the program's
    // end, after the menu registry, and its pop-up items crashed there).
    form->OnCloseQuery = nullptr;
    form->Free();
    Pump();
    SkinManager->PurgeDeadForms();
    const auto& forms = SkinManager->FormSkins();
    EXPECT_EQ(std::find(forms.begin(), forms.end(), skin), forms.end());
    Sleep(GetDoubleClickTime());
}
