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
#include "SkinMenuTestUtil.h"
#include "classlib/Menus.h"
#include "classlib/WinHook.h"
#include "skin/EngineBitmaps.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

using namespace skinform;

namespace {

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
        // The line itself: our skin draws it in the rows the painter takes.
        if (!ShowsSeparatorLine(d, separator)) mismatch += "separator line; ";
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
    ASSERT_TRUE(HoverUntil(
        p.x, p.y, [&] { return skin_->HotObject == help; }, "the Help item hot under the mouse"));
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

// What the shown system menu's items lack of the engine's glyphs ("" when every one is there):
// an enabled item shows each ink pixel of its glyph in ink, the greyed Restore differs from a
// glyphless item where its glyph has ink.
std::string MissingGlyphs(HMENU shown, HMENU system, TSkinData* d) {
    TBitmap glyphs;
    if (!LoadEngineBitmap(glyphs, "TINSELMENU")) return "no TINSELMENU resource";
    const int margin = d->MenuItem ? d->MenuItem->Margins.left : 0;
    auto glyphAt = [&](int position) {
        RECT r{};
        GetMenuItemRect(nullptr, shown, static_cast<UINT>(position), &r);
        return TPoint{r.left + 1 + margin, r.top + 1};
    };
    int plain = -1;
    for (int i = 0; i < GetMenuItemCount(system); ++i)
        if (GetMenuItemID(system, i) == SC_MOVE) plain = i;
    std::string missing;
    for (int i = 0; i < GetMenuItemCount(system); ++i) {
        int image = -1;
        switch (GetMenuItemID(system, i)) {
            case SC_RESTORE: image = 0; break;
            case SC_MAXIMIZE: image = 1; break;
            case SC_MINIMIZE: image = 2; break;
            case SC_CLOSE: image = 3; break;
            default: continue;
        }
        const TPoint g = glyphAt(i), p = glyphAt(plain);
        int ink = 0, shownInk = 0, differs = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                if (glyphs.Canvas()->Pixels(16 * image + x, y) != 0) continue;
                ++ink;
                const COLORREF got = ScreenPixel(g.x + x, g.y + y);
                if (got == 0) ++shownInk;
                if (plain >= 0 && got != ScreenPixel(p.x + x, p.y + y)) ++differs;
            }
        const bool ok = image == 0 ? ink > 0 && differs > 0 : ink > 0 && shownInk == ink;
        if (!ok) missing += "glyph " + std::to_string(image) + "; ";
    }
    return missing;
}

TEST_F(SkinMenu, SystemMenuByARightClickOnTheCaption) {
    RECT w{};
    GetWindowRect(form_->Handle(), &w);
    const HMENU system = GetSystemMenu(form_->Handle(), FALSE);
    const int count = GetMenuItemCount(system);
    ASSERT_GT(count, 0);
    ASSERT_EQ(Skin()->MenuGlyphs->Count(), 4);
    int shown = -1;
    std::string missing;
    RunSteps({{"the system menu with its glyphs",
               [&] {
                   if (!OpenMenu()) return false;
                   missing = MissingGlyphs(OpenMenu(), system, Skin());
                   return missing.empty();
               },
               [&] {
                   shown = GetMenuItemCount(OpenMenu());
                   ShotWindow(OpenPopup(), "system-menu.png");
                   Key(VK_ESCAPE);
               }},
              MenuClosed()},
             [&] { RightClick(w.left + 200, w.top + skin_->BorderTop / 2); });
    EXPECT_EQ(shown, count);
    EXPECT_EQ(missing, "");
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

namespace {

// A form with a pop-up menu of the engine's glyphs: a checked item with an image, a plain one.
struct PopupForm {
    std::unique_ptr<SkinnedForm> Made;
    TPopupMenu* Popup = nullptr;
    explicit PopupForm(const std::string& caption) {
        Made = MakeSkinnedForm(caption, RECT{100, 100, 520, 400}, [this](TForm* f) {
            Popup = new TPopupMenu(f);
            Popup->SetImages(Skin()->MenuGlyphs.get());
            auto add = [&](const char* caption, int image, bool checked) {
                auto* item = new TMenuItem(f);
                item->SetCaption(caption);
                item->SetImageIndex(image);
                item->SetChecked(checked);
                Popup->Items()->Add(item);
            };
            add("&Closed", 3, true);
            add("&Plain", -1, false);
        });
    }
    // Opens the pop-up, runs check inside its loop until it holds, then closes it.
    void Check(const std::string& what, const std::function<bool(HWND)>& check, const std::string& shot = {}) {
        RunSteps({{what, [&] { return OpenMenu() == Popup->Handle() && check(OpenPopup()); },
                   [&] {
                       if (!shot.empty()) ShotWindow(OpenPopup(), shot);
                       Key(VK_ESCAPE);
                   }},
                  MenuClosed()},
                 [&] { Popup->Popup(300, 200); });
    }
};

}  // namespace

TEST(SkinMenuItems, ACheckedItemWithAnImageSitsOnThePatternedSquare) {
    PopupForm f("Checked image");
    ASSERT_NE(f.Made->Skin, nullptr);
    ASSERT_EQ(f.Popup->Items()->Items(0)->OnDrawItem.Data(), f.Made->Skin);
    const COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
    const COLORREF light = static_cast<COLORREF>(ColorToRGB(clBtnHighlight));
    ASSERT_NE(face, light);
    const int margin = Skin()->MenuItem->Margins.left;
    std::string got;
    f.Check(
        "the checked item on its patterned square",
        [&](HWND) {
            RECT r{};
            GetMenuItemRect(nullptr, f.Popup->Handle(), 0, &r);
            const int gx = r.left + 1 + margin, gy = r.top + 1;
            // Inside the sunken edge, where the glyph leaves paper: the two colours in turn;
            // the glyph's ink over it.
            const COLORREF a = ScreenPixel(gx + 2, gy + 2), b = ScreenPixel(gx + 3, gy + 2),
                           c = ScreenPixel(gx + 2, gy + 3), ink = ScreenPixel(gx + 7, gy + 7);
            got = std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(ink);
            return a == face && b == light && c == light && ink == 0;
        },
        "menu-checked-image.png");
    EXPECT_NE(got, "") << "pixels " << got;
}

TEST(SkinMenuItems, WithMenuBgTheFaceFillsTheClientAreaNoItemCovers) {
    const TSkinOptions saved = Skin()->Options();
    Skin()->SetOptions(saved + xoMenuBG);
    PopupForm f("Menu face");
    const COLORREF want = static_cast<COLORREF>(Skin()->MenuBackground->Bitmap->Canvas()->Pixels(
        Skin()->MenuBackground->Bitmap->Width() / 2, Skin()->MenuBackground->Bitmap->Height() / 2));
    COLORREF erased = CLR_INVALID;
    f.Check("the pop-up's erase painting the face", [&](HWND popup) {
        RECT c{};
        GetClientRect(popup, &c);
        TBitmap b;
        b.SetSize(c.right, c.bottom);
        HDC dc = b.Canvas()->Handle();
        b.Canvas()->Brush()->SetColor(TRANSPARENT_KEY);
        b.Canvas()->FillRect(Rect(0, 0, c.right, c.bottom));
        if (SendMessageA(popup, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) != 1) return false;
        erased = GetPixel(dc, c.right / 2, c.bottom / 2);
        return erased == want;
    });
    Skin()->SetOptions(saved);
    EXPECT_EQ(erased, want);
}

TEST(SkinMenuItems, WithoutAMenuItemElementThePlainSkinnedPainterDrawsTheItems) {
    FormPtr form(NewForm<TForm>(nullptr));
    form->SetCaption("Plain items");
    form->SetBounds(100, 100, 420, 300);
    BuilderLikeMenu(form.get());
    form->Show();
    TTinselForm* skin = WaitSkinned(form->Handle());
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->MenuBar);
    ASSERT_TRUE(PumpUntil([&] { return skin->ActiveFlag == 1; }, "the window active"));
    const COLORREF menu = static_cast<COLORREF>(ColorToRGB(Skin()->Colours.Menu));
    ASSERT_NE(menu, GetSysColor(COLOR_MENU)) << "the skin's menu colour must tell the painters apart";
    std::unique_ptr<TDataSkinObject> element = std::move(Skin()->MenuItem);
    // The last entry of each: not selected, so on the skin's menu colour.
    auto plainAndOwnerDrawn = [&](HMENU shown) {
        const int n = GetMenuItemCount(shown);
        RECT r{};
        if (n <= 0 || !GetMenuItemRect(nullptr, shown, static_cast<UINT>(n - 1), &r)) return false;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(shown, static_cast<UINT>(n - 1), TRUE, &info);
        return (info.fType & MFT_OWNERDRAW) && ScreenPixel(r.right - 3, r.top + 1) == menu;
    };
    RECT w{};
    GetWindowRect(form->Handle(), &w);
    struct {
        const char* what;
        std::function<void()> open;
    } cases[] = {
        {"the bar's drop-down", [] { Key('F', true); }},
        {"the right-click pop-up", [&] { RightClick(w.left + 200, w.top + skin->BorderTop / 2); }},
    };
    for (const auto& c : cases)
        RunSteps({{std::string(c.what) + " from the plain painter",
                   [&] { return OpenMenu() && plainAndOwnerDrawn(OpenMenu()); }, [] { Key(VK_ESCAPE); }},
                  MenuClosed()},
                 c.open);
    Skin()->MenuItem = std::move(element);
    // Two right-clicks within the double-click time would close the window.
    Sleep(GetDoubleClickTime());
}

TEST(SkinMenuItems, WithMenuItemAndNoMainMenuTheSystemBarDropsSkinnedItems) {
    const TSkinControlTypes saved = Skin()->SkinControls();
    Skin()->SetSkinControls(saved - xcMainMenu + xcMenuItem);
    FormPtr form(NewForm<TForm>(nullptr));
    form->SetCaption("System bar");
    form->SetBounds(100, 100, 420, 300);
    TMainMenu* menu = BuilderLikeMenu(form.get());
    form->Show();
    TTinselForm* skin = WaitSkinned(form->Handle());
    ASSERT_NE(skin, nullptr);
    EXPECT_FALSE(skin->FrameSkinned);
    EXPECT_FALSE(skin->MenuBar);
    EXPECT_EQ(GetMenu(form->Handle()), menu->Handle()) << "the system's bar stays";
    EXPECT_TRUE(menu->OwnerDraw());
    TMenuItem* file = menu->Items()->Items(0);
    EXPECT_FALSE(file->OnDrawItem.Assigned()) << "the bar's own items keep the default look";
    for (int i = 0; i < file->Count(); ++i) EXPECT_EQ(file->Items(i)->OnDrawItem.Data(), skin) << i;

    TBitmap* strip = Skin()->MenuItem->Bitmap.get();
    const COLORREF normal = static_cast<COLORREF>(strip->Canvas()->Pixels(0, 0));
    RunSteps({{"the drop-down's items from [MenuItem]",
               [&] {
                   const HMENU shown = OpenMenu();
                   RECT last{};
                   return shown == GetSubMenu(menu->Handle(), 0) && GetMenuItemRect(nullptr, shown, 3, &last) &&
                          ScreenPixel(last.left, last.top) == normal;
               },
               [] {
                   ShotWindow(OpenPopup(), "menu-item-mode.png");
                   Key(VK_ESCAPE);
               }},
              MenuClosed()},
             // The bar's own drop-down, tracked as the system's bar does (Wine's bar loop
             // leaves the test's timer out).
             [&] {
                 SetForegroundWindow(form->Handle());
                 RECT w{};
                 GetWindowRect(form->Handle(), &w);
                 TrackPopupMenu(GetSubMenu(menu->Handle(), 0), TPM_LEFTALIGN, w.left + 10, w.top + 60, 0,
                                form->Handle(), nullptr);
             });

    // Unskinned, the menu draws itself again and holds nothing of the skin.
    Skin()->SetActive(false);
    ASSERT_TRUE(PumpUntil([&] { return !IsSkinned(form->Handle()); }, "the window unskinned"));
    EXPECT_FALSE(menu->OwnerDraw());
    for (int i = 0; i < file->Count(); ++i) {
        EXPECT_FALSE(file->Items(i)->OnDrawItem.Assigned()) << i;
        EXPECT_FALSE(file->Items(i)->OnMeasureItem.Assigned()) << i;
    }
    Skin()->SetActive(true);
    TTinselForm* again = WaitSkinned(form->Handle());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(file->Items(0)->OnDrawItem.Data(), again);
    Skin()->SetSkinControls(saved);
}

TEST(SkinMenuItems, AnAltKeyNoWindowKnowsGoesToTheMainFormsBar) {
    FormPtr main(NewForm<TForm>(nullptr));
    main->SetCaption("Main with bar");
    main->SetBounds(100, 100, 420, 300);
    BuilderLikeMenu(main.get());
    main->Show();
    TTinselForm* mainSkin = WaitSkinned(main->Handle());
    ASSERT_NE(mainSkin, nullptr);
    ASSERT_TRUE(mainSkin->MenuBar);
    FormPtr other(ShowForm("Without bar", bsSizeable, 200, 200, 300, 200));
    ASSERT_NE(WaitSkinned(other->Handle()), nullptr);
    TCustomForm* savedMain = Application->MainForm();
    Application->SetMainForm(main.get());
    Pump();
    const LRESULT handled = DialogCharWithAlt(other.get(), 'F');
    const LRESULT unknown = DialogCharWithAlt(other.get(), 'Q');
    Application->SetMainForm(savedMain);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(unknown, 0);
    // The main window's File item is pressed: its drop-down opens.
    MSG msg{};
    const bool posted = PeekMessageA(&msg, main->Handle(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE) != 0;
    EXPECT_TRUE(posted);
    if (posted) {
        const TPoint at = mainSkin->FramePoint(
            TPoint{static_cast<int16_t>(LOWORD(msg.lParam)), static_cast<int16_t>(HIWORD(msg.lParam))});
        EXPECT_EQ(mainSkin->ObjectAt(at), mainSkin->MenuBar->Item(0));
    }
}
