// The skinned menu bar and its drop-downs, the right-click system menu, and no leaks over many
// repaints and menu openings. A drop-down's loop runs inside the skin's window procedure, so
// the checks inside it run from a timer, step by step, each waiting for its state.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SkinFormTestUtil.h"
#include "classlib/Menus.h"
#include "classlib/WinHook.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

using namespace skinform;

namespace {

struct FormDeleter {
    void operator()(TForm* f) const {
        if (f) f->Free();
    }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

BOOL CALLBACK FindPopup(HWND wnd, LPARAM lp) {
    char name[32] = {};
    GetClassNameA(wnd, name, sizeof name);
    if (std::string(name) == "#32768" && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(lp) = wnd;
        return FALSE;
    }
    return TRUE;
}

// The open menu window of this thread, or nil.
HWND OpenPopup() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindPopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

HMENU OpenMenu() {
    HWND popup = OpenPopup();
    return popup ? reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) : nullptr;
}

// Steps run by a timer: each waits for its condition, then acts.
struct TStep {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
};
std::vector<TStep>* g_steps = nullptr;
size_t g_next = 0;
DWORD g_stepStart = 0;
std::string g_stuck;

void CALLBACK RunStep(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_steps || g_next >= g_steps->size() || !g_stuck.empty()) return;
    TStep& s = (*g_steps)[g_next];
    if (s.ready()) {
        if (s.act) s.act();
        ++g_next;
        g_stepStart = GetTickCount();
    } else if (GetTickCount() - g_stepStart > 15000) {
        g_stuck = s.what;
        EndMenu();
    }
}

// Starts the input, then handles messages (menu loops included) until every step ran.
void RunSteps(std::vector<TStep> steps, const std::function<void()>& start) {
    g_steps = &steps;
    g_next = 0;
    g_stuck.clear();
    g_stepStart = GetTickCount();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RunStep);
    start();
    PumpUntil([&] { return g_next >= steps.size() || !g_stuck.empty(); }, "the menu steps");
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_stuck, "") << "waited in vain for: " << g_stuck;
    g_steps = nullptr;
}

TMainMenu* BuilderLikeMenu(TForm* form) {
    auto* menu = new TMainMenu(form);
    auto add = [&](TMenuItem* parent, const char* caption) {
        auto* item = new TMenuItem(menu);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    };
    TMenuItem* file = add(menu->Items(), "&File");
    add(file, "&Open");
    add(file, "-");
    add(file, "&Disabled")->SetEnabled(false);
    add(file, "&Checked")->SetChecked(true);
    add(add(menu->Items(), "&Action"), "&Preview");
    add(add(menu->Items(), "&Help"), "&About");
    SetFormMenu(form, menu);
    return menu;
}

// Free slots of the program's GDI handle table: what a leak uses up.
int FreeGdiSlots() {
    std::vector<HBRUSH> brushes;
    for (;;) {
        HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
        if (!b || brushes.size() > 200000) break;
        brushes.push_back(b);
    }
    for (HBRUSH b : brushes) DeleteObject(b);
    return static_cast<int>(brushes.size());
}

COLORREF StripPixel(TBitmap* strip, int x, int y) { return static_cast<COLORREF>(strip->Canvas()->Pixels(x, y)); }

}  // namespace

class SkinMenu : public ::testing::Test {
protected:
    void SetUp() override {
        form_.reset(NewForm<TForm>(nullptr));
        form_->SetCaption("Menus");
        form_->SetBounds(100, 100, 420, 300);
        BuilderLikeMenu(form_.get());
        form_->Show();
        skin_ = WaitSkinned(form_->Handle());
        ASSERT_NE(skin_, nullptr);
        ASSERT_TRUE(skin_->MenuBar);
        ASSERT_EQ(skin_->MenuBar->Count(), 3);
        ASSERT_TRUE(PumpUntil([&] { return skin_->ActiveFlag == 1; }, "the window active"));
    }
    HMENU DropDown(int i) { return skin_->MenuBar->Item(i)->DropDown; }
    TStep WaitOpen(int i, const std::function<void()>& act) {
        return TStep{"the drop-down of bar item " + std::to_string(i), [this, i] { return OpenMenu() == DropDown(i); },
                     act};
    }
    TPoint ItemScreenPoint(int i) {
        RECT w{};
        GetWindowRect(form_->Handle(), &w);
        const TRect& r = skin_->MenuBar->Item(i)->Rect;
        return TPoint{w.left + (r.left + r.right) / 2, w.top + (r.top + r.bottom) / 2};
    }
    FormPtr form_;
    TTinselForm* skin_ = nullptr;
};

TEST_F(SkinMenu, BarItemsOpenByClickAndAltKeyAndTheArrowsMoveAlongTheBar) {
    EXPECT_EQ(GetMenu(form_->Handle()), nullptr);
    EXPECT_EQ(skin_->MenuBar->Item(0)->Caption, L"&File");
    const TPoint file = ItemScreenPoint(0);
    EXPECT_EQ(skin_->ObjectAt(skin_->FramePoint(file)), skin_->MenuBar->Item(0));
    ShotWindow(form_->Handle(), "menu-bar.png");

    auto key = [](WORD vk) { return [vk] { Key(vk); }; };
    RunSteps({WaitOpen(0, key(VK_RIGHT)),
              WaitOpen(1, key(VK_RIGHT)),
              WaitOpen(2, key(VK_RIGHT)),
              WaitOpen(0, key(VK_LEFT)),
              WaitOpen(2, key(VK_ESCAPE)),
              {"the menu closed", [] { return OpenPopup() == nullptr; }, nullptr}},
             [&] { MouseClick(file.x, file.y); });
    EXPECT_TRUE(PumpUntil([&] { return !skin_->MenuTracking && !MenuHookInstalled(); }, "the tracking over"));

    RunSteps({WaitOpen(0, key(VK_ESCAPE)), {"the menu closed", [] { return OpenPopup() == nullptr; }, nullptr}},
             [] { Key('F', true); });
    RunSteps({WaitOpen(1, key(VK_ESCAPE)), {"the menu closed", [] { return OpenPopup() == nullptr; }, nullptr}},
             [&] { PostMessageA(form_->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'a'); });
    EXPECT_TRUE(PumpUntil([&] { return !skin_->MenuTracking && !MenuHookInstalled(); }, "the tracking over"));
}

TEST_F(SkinMenu, ItemsAreDrawnFromTheSkinOverTheMenuFace) {
    TSkinData* d = Skin();
    ASSERT_TRUE(d->MenuItem && d->MenuBackground);
    TBitmap* item = d->MenuItem->Bitmap.get();
    TBitmap* face = d->MenuBackground->Bitmap.get();
    const int F = item->Width() / 5;
    std::string mismatch;
    auto pixelsRight = [&] {
        HWND popup = OpenPopup();
        if (!popup) return false;
        RECT p{};
        GetWindowRect(popup, &p);
        // The 3-pixel frame from [MenuBackground]; the first item selected (frame 4 of
        // [MenuItem]), the last one normal (frame 1).
        const HMENU menu = DropDown(0);
        RECT first{}, last{};
        if (!GetMenuItemRect(nullptr, menu, 0, &first) || !GetMenuItemRect(nullptr, menu, 3, &last)) return false;
        struct {
            const char* what;
            COLORREF want;
            int x, y;
        } checks[] = {
            {"menu frame corner", StripPixel(face, 0, 0), p.left, p.top},
            {"menu frame bottom-right", StripPixel(face, face->Width() - 1, face->Height() - 1), p.right - 1,
             p.bottom - 1},
            {"selected item", StripPixel(item, 3 * F, 0), first.left, first.top},
            {"normal item", StripPixel(item, 0, 0), last.left, last.top},
        };
        mismatch.clear();
        // The disabled entry's text in the skin's shadow colour, the checked one's mark in the
        // button text colour, the separator from the second frame of [MenuItem].
        RECT disabled{}, checkedRect{}, separator{};
        GetMenuItemRect(nullptr, menu, 2, &disabled);
        GetMenuItemRect(nullptr, menu, 3, &checkedRect);
        GetMenuItemRect(nullptr, menu, 1, &separator);
        auto has = [](const RECT& r, COLORREF c) {
            for (COLORREF p : ScreenRect(r))
                if (p == c) return true;
            return false;
        };
        if (!has(disabled, static_cast<COLORREF>(ColorToRGB(d->Colours.ButtonShadow)))) mismatch += "disabled text; ";
        RECT glyph = checkedRect;
        glyph.right = glyph.left + 24;
        if (!has(glyph, GetSysColor(COLOR_BTNTEXT))) mismatch += "check mark; ";
        const int sepRows = separator.bottom - separator.top, H = item->Height();
        const COLORREF sepPixel = StripPixel(item, F, H > sepRows ? H - sepRows : 0);
        if (sepPixel != TRANSPARENT_KEY && ScreenPixel(separator.left, separator.top) != sepPixel)
            mismatch += "separator; ";
        for (const auto& c : checks) {
            const COLORREF got = ScreenPixel(c.x, c.y);
            if (got != c.want)
                mismatch += std::string(c.what) + " " + std::to_string(got) + " not " + std::to_string(c.want) + "; ";
        }
        return mismatch.empty();
    };
    RunSteps({WaitOpen(0, nullptr),
              {"the drop-down painted from the skin", pixelsRight,
               [&] {
                   ShotWindow(OpenPopup(), "menu-open.png");
                   Key(VK_ESCAPE);
               }},
              {"the menu closed", [] { return OpenPopup() == nullptr; }, nullptr}},
             [] { Key('F', true); });
    EXPECT_EQ(mismatch, "");
    // Separator, disabled and checked entries are owner-drawn by the skin too.
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE;
    for (UINT i = 0; i < 4; ++i) {
        ASSERT_TRUE(GetMenuItemInfoA(DropDown(0), i, TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << i;
    }
}

TEST_F(SkinMenu, RenamingAnItemReloadsTheBarAndForgetsTheHotItem) {
    TMenuBtn* help = skin_->MenuBar->Item(2);
    const TPoint p = ItemScreenPoint(2);
    MouseMove(p.x, p.y);
    ASSERT_TRUE(PumpUntil([&] { return skin_->HotObject == help; }, "the Help item hot under the mouse"));
    auto* menu = DynamicAs<TMainMenu>(form_->Menu());
    ASSERT_NE(menu, nullptr);
    menu->Items()->Items(2)->SetCaption("&Assistance");
    Pump();
    EXPECT_EQ(skin_->HotObject, nullptr);
    ASSERT_EQ(skin_->MenuBar->Count(), 3);
    EXPECT_EQ(skin_->MenuBar->Item(2)->Caption, L"&Assistance");
    EXPECT_EQ(GetMenu(form_->Handle()), nullptr);
    MouseMove(p.x, p.y + 200);
}

TEST_F(SkinMenu, SystemMenuByARightClickOnTheCaption) {
    RECT w{};
    GetWindowRect(form_->Handle(), &w);
    const int count = GetMenuItemCount(GetSystemMenu(form_->Handle(), FALSE));
    ASSERT_GT(count, 0);
    int shown = -1;
    RunSteps({{"the system menu", [] { return OpenMenu() != nullptr; },
               [&] {
                   shown = GetMenuItemCount(OpenMenu());
                   ShotWindow(OpenPopup(), "system-menu.png");
                   Key(VK_ESCAPE);
               }},
              {"the menu closed", [] { return OpenPopup() == nullptr; }, nullptr}},
             [&] { RightClick(w.left + 200, w.top + skin_->BorderTop / 2); });
    EXPECT_EQ(shown, count);
}

TEST_F(SkinMenu, NoLeakOverRepaintsAndMenuOpenings) {
    const int hooks = TWindowsHook::LiveCount();
    // Once first, so that what is made once (fonts, the check mark) is there already.
    RunSteps({WaitOpen(0, [] { Key(VK_ESCAPE); }), {"closed", [] { return OpenPopup() == nullptr; }, nullptr}},
             [] { Key('F', true); });
    const int before = FreeGdiSlots();
    for (int i = 0; i < 100; ++i) SendMessageA(form_->Handle(), WM_SKIN_NCREPAINT, 0, 0);
    for (int i = 0; i < 50; ++i)
        RunSteps({WaitOpen(0, [] { Key(VK_ESCAPE); }), {"closed", [] { return OpenPopup() == nullptr; }, nullptr}},
                 [] { Key('F', true); });
    Pump();
    EXPECT_EQ(FreeGdiSlots(), before);
    EXPECT_EQ(TWindowsHook::LiveCount(), hooks);
    EXPECT_FALSE(MenuHookInstalled());
}
