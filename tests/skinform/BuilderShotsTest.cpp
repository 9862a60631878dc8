// The builder's windows as its users see them, skinned by the component the main window's
// definition carries: the three pages, the File menu open, About and Tips, and the main
// window with the skin switched off.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "SkinFormTestUtil.h"
#include "SkinMenuTestUtil.h"
#include "builder/About.h"
#include "builder/Main.h"
#include "builder/tips.h"
#include "classlib/Menus.h"
#include "classlib/Registry.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"
#include "skin/WinSubClass.h"
#include "tests/driver/TestDriver.h"

using namespace skinform;

namespace {

class BuilderEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        desktop_ = std::make_unique<dptest::VirtualDesktop>(1024, 768);
        ASSERT_TRUE(desktop_->Ok());
        Application->Initialize();
    }
    void TearDown() override { desktop_.reset(); }

private:
    std::unique_ptr<dptest::VirtualDesktop> desktop_;
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new BuilderEnvironment);

// The modal window of that class, once skinned: pictured, then closed (from a timer, since
// the modal loop runs meanwhile).
std::string g_caption, g_shot;
bool g_pictured = false;
int g_ticks = 0;
void CALLBACK PictureModal(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
    HWND wnd = FindWindowA(g_caption.c_str(), nullptr);
    if (wnd && IsSkinned(wnd) && !g_pictured) {
        g_pictured = ShotWindow(wnd, g_shot);
        PostMessageA(wnd, WM_CLOSE, 0, 0);
    } else if (g_ticks > 600 && wnd) {
        PostMessageA(wnd, WM_CLOSE, 0, 0);
    }
}

bool PictureModalOf(const std::string& className, const std::string& shot, const std::function<void()>& show) {
    g_caption = className;
    g_shot = shot;
    g_pictured = false;
    g_ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, &PictureModal);
    show();
    KillTimer(nullptr, timer);
    return g_pictured;
}

HWND g_main = nullptr;
bool g_menuPictured = false;
int g_menuTicks = 0;
TSkinData* g_menuSkin = nullptr;
std::string g_separators;  // what the open menu's separators show
// Every separator entry of the open menu shows the skin's line; "" when it has none.
std::string SeparatorsWithoutLine(HWND popup) {
    const auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    std::string missing;
    int found = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        TMenuItem* item = FindMenuItemByCommand(GetMenuItemID(menu, i));
        RECT r{};
        if (!item || !item->IsLine() || !GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r)) continue;
        ++found;
        if (!ShowsSeparatorLine(g_menuSkin, r)) missing += "separator " + std::to_string(i) + "; ";
    }
    return found ? missing : "no separator";
}
void CALLBACK PictureMenu(HWND, UINT, UINT_PTR, DWORD) {
    ++g_menuTicks;
    HWND popup = OpenPopup();
    if (popup && !g_menuPictured && g_menuTicks > 4) g_separators = SeparatorsWithoutLine(popup);
    if (popup && !g_menuPictured && g_menuTicks > 4 && (g_separators.empty() || g_menuTicks > 200)) {
        RECT m{}, p{};
        GetWindowRect(g_main, &m);
        GetWindowRect(popup, &p);
        UnionRect(&m, &m, &p);
        g_menuPictured = ShotRect(m, "menu-file.png");
        Key(VK_ESCAPE);
    } else if (g_menuTicks > 600) {
        EndMenu();
    }
}

}  // namespace

TEST(BuilderSkin, TheBuilderWindowsInTheirSkin) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(BuilderRegKey, true));
    reg.WriteString("Quest2", "");
    reg.WriteBool("Quest1", false);
    // The start's tips would hold the window in their modal loop; they are pictured below.
    reg.WriteBool("Tips", false);
    TfrmMain* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form->SkinData1, nullptr);
    // The taskbar button's icon: the application window has the program's.
    EXPECT_NE(SendMessageA(Application->Handle(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_FALSE(form->SkinData1->SkinEmpty);
    EXPECT_TRUE(form->SkinData1->Active());
    EXPECT_EQ(form->SkinData1->Skin3rd()->Count(), 116);
    form->Show();
    g_main = form->Handle();
    TTinselForm* skin = WaitSkinned(g_main);
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->MenuBar);
    EXPECT_EQ(skin->MenuBar->Count(), 3);
    // The window keeps the client size its definition gives.
    EXPECT_EQ(form->ClientWidth(), 527);
    EXPECT_EQ(form->ClientHeight(), 324);
    ASSERT_TRUE(PumpUntil([&] { return skin->ActiveFlag == 1; }, "the main window active"));
    Pump();

    const char* pages[] = {"main-skinned.png", "main-settings.png", "main-author.png"};
    for (int i = 0; i < 3; ++i) {
        form->PageControl1->SetActivePageIndex(i);
        Pump();
        EXPECT_TRUE(ShotWindow(g_main, pages[i]));
    }
    // The combo boxes of the settings page are drawn from the skin.
    for (TComboBox* combo : {form->CbbMoveQuality, form->cbbMovieSize, form->cbbMoviePosition, form->cbbYAlignment,
                             form->cbbXAlignment, form->cbbBKPosition}) {
        std::string kind;
        for (TSkinControl* s : skin->ControlSkins)
            if (s->Control == combo && s->State == scAttached) kind = s->ClassName();
        EXPECT_EQ(kind, "TSkinComBox") << combo->Name();
    }
    // The settings page's edits in the skin's flat border.
    form->PageControl1->SetActivePageIndex(1);
    Pump();
    int edits = 0;
    const COLORREF shadow = ColorToRGB(form->SkinData1->Colours.ButtonShadow);
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* edit = DynamicAs<TEdit>(form->Components(i));
        if (!edit || !IsWindowVisible(edit->Handle())) continue;
        ++edits;
        EXPECT_TRUE(skin->IsControlSkinned(edit)) << edit->Name();
        RECT r{};
        GetWindowRect(edit->Handle(), &r);
        EXPECT_TRUE(
            PumpUntil([&] { return ScreenPixel(r.left, r.top) == shadow; }, edit->Name() + "'s skinned border"));
    }
    EXPECT_GE(edits, 5);
    form->PageControl1->SetActivePageIndex(0);
    // The main window's buttons, group boxes and check boxes carry their skins.
    std::function<void(TComponent*)> skinned = [&](TComponent* c) {
        const std::string name = c->ClassName();
        if (name == "TButton" || name == "TGroupBox" || name == "TCheckBox") {
            EXPECT_TRUE(skin->IsControlSkinned(static_cast<TControl*>(c))) << c->Name() << ": " << name;
        }
        for (int i = 0; i < c->ComponentCount(); ++i) skinned(c->Components(i));
    };
    skinned(form);
    // The pictures show the tabs and pages drawn by their skins.
    EXPECT_EQ(SendMessageA(form->PageControl1->Handle(), WM_SKIN_QUERY, 0, 0), 1);
    for (int i = 0; i < form->PageControl1->PageCount(); ++i)
        EXPECT_TRUE(skin->IsControlSkinned(form->PageControl1->Pages(i))) << "page " << i;

    g_menuPictured = false;
    g_menuTicks = 0;
    g_menuSkin = form->SkinData1;
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, &PictureMenu);
    // A click on the bar item (Alt+F reaches the form only through the class library's
    // mnemonics while a control has the focus).
    RECT w{};
    GetWindowRect(g_main, &w);
    const TRect& file = skin->MenuBar->Item(0)->Rect;
    MouseClick(w.left + (file.left + file.right) / 2, w.top + (file.top + file.bottom) / 2);
    PumpUntil([] { return g_menuPictured && !OpenPopup(); }, "the File menu pictured and closed");
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_separators, "") << "the File menu's separators show the skin's line";

    EXPECT_TRUE(PictureModalOf("TfrmAbout", "about-skinned.png", [&] { form->About1Click(nullptr); }));
    EXPECT_TRUE(PictureModalOf("TfrmTips", "tips-skinned.png", [] { ShowTips(); }));

    form->SkinData1->SetActive(false);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(g_main, WM_SKIN_QUERY, 0, 0) == 0; }, "the main window unskinned"));
    EXPECT_EQ(form->ClientWidth(), 527);
    EXPECT_EQ(form->ClientHeight(), 324);
    EXPECT_NE(GetMenu(g_main), nullptr);
    EXPECT_TRUE(ShotWindow(g_main, "main-unskinned.png"));
    form->SkinData1->SetActive(true);
    ASSERT_NE(WaitSkinned(g_main), nullptr);
    form->Free();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}
