// The builder's windows as its users see them, skinned by the component the main window's
// definition carries: the three pages, the File menu open, About and Tips, and the main
// window with the skin switched off.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
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

// Pictures are taken once the window is skinned and has run every paint it had pending.
bool ReadyToPicture(HWND wnd) { return IsSkinned(wnd) && PaintedNow(wnd); }

// A modal window, once ready: pictured, checked, then closed (from a timer, since the modal
// loop runs meanwhile).
struct ModalShot {
    std::function<HWND()> find;
    std::string shot;
    std::function<void(HWND)> check;
    std::function<void(HWND)> close;
    bool pictured = false;
    bool busy = false;
    int ticks = 0;
};
ModalShot* g_modal = nullptr;
void CALLBACK ModalTick(HWND, UINT, UINT_PTR, DWORD) {
    ModalShot& m = *g_modal;
    // The checks may pump messages, which lets this timer in again.
    if (m.busy) return;
    m.busy = true;
    ++m.ticks;
    HWND wnd = m.find();
    if (wnd && !m.pictured && ReadyToPicture(wnd)) {
        m.pictured = m.shot.empty() || ShotWindow(wnd, m.shot);
        if (m.check) m.check(wnd);
        m.close(wnd);
    } else if (m.ticks > 2400 && wnd) {
        m.close(wnd);
    }
    m.busy = false;
}

void PostClose(HWND wnd) { PostMessageA(wnd, WM_CLOSE, 0, 0); }

bool PictureModal(ModalShot shot, const std::function<void()>& show) {
    g_modal = &shot;
    const UINT_PTR timer = SetTimer(nullptr, 0, 25, &ModalTick);
    show();
    KillTimer(nullptr, timer);
    g_modal = nullptr;
    return shot.pictured;
}

bool PictureModalOf(const std::string& className, const std::string& shot, const std::function<void()>& show,
                    const std::function<void(HWND)>& check) {
    return PictureModal({[className] { return FindWindowA(className.c_str(), nullptr); }, shot, check, &PostClose},
                        show);
}

std::string Rgb(COLORREF c) {
    return std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," + std::to_string(GetBValue(c));
}

// How many pixels of that screen rectangle show each colour.
std::map<COLORREF, int> ColoursIn(const RECT& r) {
    std::map<COLORREF, int> counts;
    for (COLORREF c : ScreenRect(r)) ++counts[c];
    return counts;
}
COLORREF MostOf(const std::map<COLORREF, int>& counts) {
    auto most = std::max_element(counts.begin(), counts.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == counts.end() ? CLR_INVALID : most->first;
}
int Distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}
// Pixels nearer the ink than the ground (the text is smoothed at its edges).
int InkCount(const std::map<COLORREF, int>& counts, COLORREF ink, COLORREF ground) {
    int n = 0;
    for (const auto& [c, count] : counts)
        if (Distance(c, ink) < Distance(c, ground)) n += count;
    return n;
}

RECT ScreenBounds(TControl* c) {
    const TRect b = c->BoundsRect();
    const TPoint a = c->Parent()->ClientToScreen(TPoint{b.left, b.top});
    return RECT{a.x, a.y, a.x + (b.right - b.left), a.y + (b.bottom - b.top)};
}

// Every label that shows on the form lies on the skin's face colour (or on the colour the
// form's definition gives it), which most of its pixels show, and its text is there in its
// font's colour.
void ExpectLabelsOnTheirGround(TComponent* owner, COLORREF face, const std::string& where) {
    ASSERT_NE(owner, nullptr) << where;
    int seen = 0;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* label = DynamicAs<TCustomLabel>(owner->Components(i));
        if (!label || !label->Visible() || label->Caption().empty() || !label->Parent()) continue;
        if (!IsWindowVisible(label->Parent()->Handle())) continue;
        ++seen;
        const COLORREF ground = label->Transparent() || label->ParentColor() ? face : ColorToRGB(label->Color());
        const std::map<COLORREF, int> counts = ColoursIn(ScreenBounds(label));
        EXPECT_EQ(Rgb(MostOf(counts)), Rgb(ground)) << where << ": the ground of " << label->Name();
        const COLORREF ink = ColorToRGB(label->Font()->Color());
        EXPECT_GE(InkCount(counts, ink, ground), 8) << where << ": the text of " << label->Name() << " in " << Rgb(ink);
    }
    EXPECT_GT(seen, 0) << where << ": no label shows";
}

BOOL CALLBACK FindBox(HWND wnd, LPARAM lp) {
    char name[32] = {};
    GetClassNameA(wnd, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(lp) = wnd;
        return FALSE;
    }
    return TRUE;
}
HWND OpenBox() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The texts of a message box lie on the skin's face colour.
void ExpectStaticsOnFace(HWND box, COLORREF face) {
    int seen = 0;
    for (HWND c = GetTopWindow(box); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(c, name, sizeof name);
        const auto style = static_cast<DWORD>(GetWindowLongPtrA(c, GWL_STYLE));
        if (_stricmp(name, "Static") != 0 || (style & SS_TYPEMASK) == SS_ICON || !IsWindowVisible(c)) continue;
        ++seen;
        RECT r{};
        GetWindowRect(c, &r);
        EXPECT_EQ(Rgb(MostOf(ColoursIn(r))), Rgb(face))
            << "the ground of the question's text " << dptest::Describe(c, false);
    }
    EXPECT_GT(seen, 0) << "the question's texts";
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
    const bool painted = popup && !g_menuPictured && PaintedNow(popup) && PaintedNow(g_main);
    if (painted) g_separators = SeparatorsWithoutLine(popup);
    if (painted && (g_separators.empty() || g_menuTicks > 200)) {
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

    const COLORREF face = ColorToRGB(form->SkinData1->Colours.ButtonFace);
    const char* pages[] = {"main-skinned.png", "main-settings.png", "main-author.png"};
    for (int i = 0; i < 3; ++i) {
        form->PageControl1->SetActivePageIndex(i);
        ASSERT_TRUE(PumpUntil([&] { return ReadyToPicture(g_main); }, std::string(pages[i]) + " painted"));
        EXPECT_TRUE(ShotWindow(g_main, pages[i]));
        ExpectLabelsOnTheirGround(form, face, pages[i]);
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

    // The About box complete every time: its title, labels and links on the face colour.
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE("About, opening " + std::to_string(i + 1));
        EXPECT_TRUE(PictureModalOf(
            "TfrmAbout", i == 0 ? "about-skinned.png" : "", [&] { form->About1Click(nullptr); },
            [&](HWND wnd) { ExpectLabelsOnTheirGround(FindControl(wnd), face, "About"); }));
    }
    EXPECT_TRUE(PictureModalOf(
        "TfrmTips", "tips-skinned.png", [] { ShowTips(); },
        [&](HWND wnd) { ExpectLabelsOnTheirGround(FindControl(wnd), face, "Tips"); }));

    form->SkinData1->SetActive(false);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(g_main, WM_SKIN_QUERY, 0, 0) == 0; }, "the main window unskinned"));
    EXPECT_EQ(form->ClientWidth(), 527);
    EXPECT_EQ(form->ClientHeight(), 324);
    EXPECT_NE(GetMenu(g_main), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return PaintedNow(g_main); }, "the unskinned main window painted"));
    EXPECT_TRUE(ShotWindow(g_main, "main-unskinned.png"));
    // Unskinned, the labels follow the system's face colour again.
    ExpectLabelsOnTheirGround(form, GetSysColor(COLOR_BTNFACE), "main-unskinned.png");
    form->SkinData1->SetActive(true);
    ASSERT_NE(WaitSkinned(g_main), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ReadyToPicture(g_main); }, "the main window skinned again and painted"));
    ExpectLabelsOnTheirGround(form, face, "the main window skinned again");

    // The question about the unsaved project, its texts on the face colour.
    form->edtWallpaperName->SetText(form->edtWallpaperName->Text() + " changed");
    bool canClose = false;
    EXPECT_TRUE(PictureModal({&OpenBox, "question-skinned.png", [&](HWND box) { ExpectStaticsOnFace(box, face); },
                              [](HWND box) { PostMessageA(box, WM_COMMAND, IDNO, 0); }},
                             [&] { form->FormCloseQuery(nullptr, canClose); }));
    EXPECT_TRUE(canClose);
    form->Free();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}
