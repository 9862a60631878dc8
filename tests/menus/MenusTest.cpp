// Menus opened for real under Wine (owner-drawn items painted by their handlers,
// items chosen from the keyboard), image lists and the media player row.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/MPlayer.h"
#include "classlib/Menus.h"
#include "tests/gui/GuiShot.h"

namespace {

// What the owner-draw handlers paint: unselected and selected backgrounds (TColor = COLORREF here).
constexpr TColor kItemColour = 0x0060A020;      // RGB(0x20, 0xA0, 0x60)
constexpr TColor kSelectedColour = 0x002040E0;  // RGB(0xE0, 0x40, 0x20)
constexpr int kItemHeight = 22;

uint32_t Pixel(TColor c) {
    const COLORREF rgb = ColorToRGB(c);
    return (GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb);
}

struct Drawn {
    int count = 0;
    bool selected = false;     // at the last paint
    bool wasSelected = false;  // at any paint
    POINT probe{};             // screen point inside the painted rectangle, clear of the text
    HWND window = nullptr;
};

class TMenuForm : public TForm {
    DP_DECLARE_CLASS(TMenuForm, TForm)
public:
    explicit TMenuForm(TComponent* owner) : TForm(owner) {}
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* Save1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* View1 = nullptr;
    TMenuItem* Small1 = nullptr;
    TMenuItem* Large1 = nullptr;
    TMenuItem* Grid1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Copy1 = nullptr;
    TMenuItem* Paste1 = nullptr;
    TMediaPlayer* MediaPlayer1 = nullptr;

    int saves = 0, exits = 0, copies = 0, pastes = 0, measures = 0;
    std::map<std::string, Drawn> drawn;
    std::vector<TMPBtnType> playerClicks, playerPostClicks;
    bool playerDoDefault = true;

    void Save1Click(TObject*) { ++saves; }
    void Exit1Click(TObject*) { ++exits; }
    void Copy1Click(TObject*) { ++copies; }
    void Paste1Click(TObject*) { ++pastes; }
    void ItemMeasure(TObject*, TCanvas*, int& width, int& height) {
        ++measures;
        width = std::max(width, 60);
        height = kItemHeight;
    }
    void ItemDraw(TObject* sender, TCanvas* canvas, const TRect& r, bool selected) {
        auto* item = static_cast<TMenuItem*>(sender);
        canvas->Brush()->SetColor(selected ? kSelectedColour : kItemColour);
        canvas->FillRect(r);
        SetBkMode(canvas->Handle(), TRANSPARENT);
        SetTextColor(canvas->Handle(), RGB(255, 255, 255));
        canvas->TextOut(r.left + 8, r.top + 3, StripHotkey(item->Caption()));
        Drawn& d = drawn[item->Name()];
        ++d.count;
        d.selected = selected;
        d.wasSelected = d.wasSelected || selected;
        d.window = WindowFromDC(canvas->Handle());
        POINT p{r.left + 2, r.top + 2};
        // The menu bar is drawn on the window DC: its coordinates are the window's.
        if (d.window == Handle()) {
            RECT wr;
            GetWindowRect(d.window, &wr);
            p.x += wr.left;
            p.y += wr.top;
        } else if (d.window) {
            ::ClientToScreen(d.window, &p);
        }
        d.probe = p;
    }
    void MediaPlayer1Click(TObject*, TMPBtnType button, bool& doDefault) {
        playerClicks.push_back(button);
        doDefault = playerDoDefault;
    }
    void MediaPlayer1PostClick(TObject*, TMPBtnType button) { playerPostClicks.push_back(button); }
};

}  // namespace

DP_PUBLISHED(TMenuForm){
    DP_FIELD(MainMenu1),
    DP_FIELD(File1),
    DP_FIELD(Save1),
    DP_FIELD(N1),
    DP_FIELD(Exit1),
    DP_FIELD(View1),
    DP_FIELD(Small1),
    DP_FIELD(Large1),
    DP_FIELD(Grid1),
    DP_FIELD(PopupMenu1),
    DP_FIELD(Copy1),
    DP_FIELD(Paste1),
    DP_FIELD(MediaPlayer1),
    DP_METHOD(Save1Click),
    DP_METHOD(Exit1Click),
    DP_METHOD(Copy1Click),
    DP_METHOD(Paste1Click),
    DP_METHOD(ItemMeasure),
    DP_METHOD(ItemDraw),
    DP_METHOD(MediaPlayer1Click),
    DP_METHOD(MediaPlayer1PostClick),
};

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

std::string Artefact(const std::string& name) { return std::string(DP_TEST_BIN_DIR) + "/" + name; }

BOOL CALLBACK FindMenuWindow(HWND wnd, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == GetCurrentProcessId() && std::string(cls) == "#32768" && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(param) = wnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CountMenuWindows(HWND wnd, LPARAM param) {
    char cls[32] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == GetCurrentProcessId() && std::string(cls) == "#32768" && IsWindowVisible(wnd))
        ++*reinterpret_cast<int*>(param);
    return TRUE;
}

HWND OpenMenuWindow() {
    HWND found = nullptr;
    EnumWindows(FindMenuWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

uint32_t ScreenPixel(POINT p) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// Runs step(tick) from a timer while a menu is tracked (the menu loop
// dispatches timer messages) until it answers true; ends the menu after too many ticks.
class MenuDriver {
public:
    explicit MenuDriver(std::function<bool(int)> step) : m_step(std::move(step)) {
        s_self = this;
        m_timer = SetTimer(nullptr, 0, 50, &MenuDriver::Tick);
    }
    ~MenuDriver() {
        KillTimer(nullptr, m_timer);
        s_self = nullptr;
    }
    bool done = false;
    bool gaveUp = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MenuDriver* d = s_self;
        if (!d || d->done) return;
        ++d->m_ticks;
        if (d->m_step(d->m_ticks)) {
            d->done = true;
        } else if (d->m_ticks > 100) {
            d->gaveUp = true;
            d->done = true;
            EndMenu();
        }
    }
    static inline MenuDriver* s_self = nullptr;
    std::function<bool(int)> m_step;
    UINT_PTR m_timer = 0;
    int m_ticks = 0;
};

void PostKey(HWND wnd, WPARAM key) {
    PostMessageA(wnd, WM_KEYDOWN, key, 1);
    PostMessageA(wnd, WM_KEYUP, key, 0xC0000001);
}

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        form = NewForm<TMenuForm>(Application);
    }
    void TearDown() override {
        if (form) form->Free();
        Pump();
    }
    TMenuForm* form = nullptr;
};

// ---------------------------------------------------------------------------

struct ShortCutCase {
    const char* text;
    TShortCut value;
    const char* canonical;
};

TEST(ShortCuts, TextAndValuesConvertBothWays) {
    const ShortCutCase cases[] = {
        {"Ctrl+S", static_cast<TShortCut>(scCtrl | 'S'), "Ctrl+S"},
        {"ALT+F4", static_cast<TShortCut>(scAlt | VK_F4), "Alt+F4"},
        {"Shift+Ctrl+F12", static_cast<TShortCut>(scShift | scCtrl | VK_F12), "Shift+Ctrl+F12"},
        {"Ctrl+Shift+Del", static_cast<TShortCut>(scShift | scCtrl | VK_DELETE), "Shift+Ctrl+Del"},
        {"Ins", VK_INSERT, "Ins"},
        {"Alt+0", static_cast<TShortCut>(scAlt | '0'), "Alt+0"},
        {"Ctrl+", scNone, ""},
        {"Ctrl+Banana", scNone, ""},
        {"", scNone, ""},
    };
    for (const ShortCutCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToShortCut(c.text), c.value);
        EXPECT_EQ(ShortCutToText(c.value), c.canonical);
    }
    EXPECT_EQ(ShortCut('S', {ssCtrl}), 16467);  // what stored definitions hold for Ctrl+S
    uint16_t key = 0;
    TShiftState shift;
    ShortCutToKey(static_cast<TShortCut>(scShift | scAlt | 'Q'), key, shift);
    EXPECT_EQ(key, 'Q');
    EXPECT_EQ(shift, (TShiftState{ssShift, ssAlt}));
}

TEST(ShortCuts, HotkeysAndStrippedCaptions) {
    struct Case {
        const char* caption;
        const char* stripped;
        char hotkey;
    };
    const Case cases[] = {
        {"&File", "File", 'F'},  {"E&xit", "Exit", 'X'},       {"Save && &Quit", "Save & Quit", 'Q'},
        {"No key", "No key", 0}, {"Trailing&", "Trailing", 0}, {"&&Only", "&Only", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(StripHotkey(c.caption), c.stripped);
        EXPECT_EQ(GetHotkey(c.caption), c.hotkey);
    }
}

// ---------------------------------------------------------------------------

TEST_F(Menus, StoredDefinitionBuildsTheItemTreeAndTheWindowMenu) {
    ASSERT_NE(form->MainMenu1, nullptr);
    ASSERT_NE(form->Save1, nullptr);
    EXPECT_EQ(form->Menu(), form->MainMenu1);
    TMenuItem* root = form->MainMenu1->Items();
    ASSERT_EQ(root->Count(), 2);
    EXPECT_EQ(root->Items(0), form->File1);
    EXPECT_EQ(form->File1->Count(), 3);
    EXPECT_EQ(form->Save1->Parent(), form->File1);
    EXPECT_EQ(form->Save1->Owner(), form);
    EXPECT_EQ(form->Save1->GetParentMenu(), form->MainMenu1);
    EXPECT_EQ(form->File1->GetParentComponent(), form->MainMenu1);
    EXPECT_EQ(form->Save1->GetParentComponent(), form->File1);
    EXPECT_EQ(form->Save1->ShortCut(), TextToShortCut("Ctrl+S"));
    EXPECT_TRUE(form->N1->IsLine());
    EXPECT_FALSE(form->Exit1->Enabled());
    EXPECT_EQ(form->PopupMenu1->Items()->Count(), 2);
    EXPECT_EQ(form->PopupMenu1->Items()->Find("paste"), form->Paste1);
    EXPECT_EQ(GetStrProp(form->Save1, "Caption"), "&Save");

    form->Show();
    Pump();
    HMENU bar = GetMenu(form->Handle());
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar, form->MainMenu1->Handle());
    EXPECT_EQ(GetMenuItemCount(bar), 2);
    HMENU file = GetSubMenu(bar, 0);
    EXPECT_EQ(file, form->File1->Handle());
    EXPECT_EQ(GetMenuItemCount(file), 3);
    // Owner-drawn entries: the item draws itself and the window menu holds no text.
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    ASSERT_TRUE(GetMenuItemInfoA(file, 2, TRUE, &mii));
    EXPECT_TRUE(mii.fType & MFT_OWNERDRAW);
    EXPECT_TRUE(mii.fState & MFS_GRAYED);
    EXPECT_EQ(mii.wID, form->Exit1->Command());
    EXPECT_EQ(FindMenuItemByCommand(mii.wID), form->Exit1);
    EXPECT_EQ(form->MainMenu1->FindItem(form->Save1->Command(), fkCommand), form->Save1);
    EXPECT_EQ(form->MainMenu1->FindItem(reinterpret_cast<UINT_PTR>(file), fkHandle), form->File1);
    EXPECT_EQ(FindMenuItemByHandle(file), form->File1);
    // The hidden Grid item is left out; the checked radio item is checked.
    HMENU view = GetSubMenu(bar, 1);
    EXPECT_EQ(GetMenuItemCount(view), 2);
    EXPECT_TRUE(GetMenuState(view, form->Small1->Command(), MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(Menus, PlainItemsCarryCaptionShortcutSeparatorAndStates) {
    form->MainMenu1->SetOwnerDraw(false);
    form->Show();
    Pump();
    HMENU file = GetSubMenu(GetMenu(form->Handle()), 0);
    ASSERT_NE(file, nullptr);
    char text[64] = {};
    GetMenuStringA(file, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Save\tCtrl+S");
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_GRAYED);
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(GetSubMenu(GetMenu(form->Handle()), 1), 0, TRUE, &mii);
    EXPECT_TRUE(mii.fType & MFT_RADIOCHECK);
    GetMenuStringA(GetMenu(form->Handle()), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
}

// Every change that the window menu shows builds it again, and the form hears of it.
TEST_F(Menus, ChangesRebuildTheWindowMenu) {
    form->MainMenu1->SetOwnerDraw(false);
    form->Show();
    Pump();
    int changed = 0;
    TWndMethod old = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_MENUCHANGED) ++changed;
        old(m);
    };
    auto fileMenu = [&] { return GetSubMenu(GetMenu(form->Handle()), 0); };
    char text[64] = {};

    form->Save1->SetCaption("&Store");
    GetMenuStringA(fileMenu(), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Store\tCtrl+S");
    EXPECT_EQ(changed, 1);

    form->Exit1->SetEnabled(true);
    EXPECT_FALSE(GetMenuState(fileMenu(), 2, MF_BYPOSITION) & MF_GRAYED);
    form->Save1->SetChecked(true);
    EXPECT_TRUE(GetMenuState(fileMenu(), 0, MF_BYPOSITION) & MF_CHECKED);
    form->N1->SetVisible(false);
    EXPECT_EQ(GetMenuItemCount(fileMenu()), 2);

    auto* extra = new TMenuItem(form);
    extra->SetCaption("&Print");
    form->File1->Insert(0, extra);
    EXPECT_EQ(GetMenuItemCount(fileMenu()), 3);
    GetMenuStringA(fileMenu(), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Print");
    const UINT command = extra->Command();
    delete extra;
    EXPECT_EQ(GetMenuItemCount(fileMenu()), 2);
    EXPECT_EQ(FindMenuItemByCommand(command), nullptr);
    EXPECT_EQ(form->FindComponent("Print1"), nullptr);

    // A sub-item turns a command into a submenu.
    auto* sub = new TMenuItem(form);
    sub->SetCaption("Sub");
    form->Save1->Add(sub);
    EXPECT_NE(GetSubMenu(fileMenu(), 0), nullptr);
    EXPECT_EQ(GetSubMenu(fileMenu(), 0), form->Save1->Handle());
    EXPECT_GE(changed, 6);
    form->WindowProc = old;
}

TEST_F(Menus, TreeEditsAreChecked) {
    auto* a = new TMenuItem(form);
    EXPECT_THROW(form->File1->Add(form->Save1), EMenuError);  // has a parent already
    EXPECT_THROW(a->Add(a), EMenuError);
    a->SetCaption("A");
    form->View1->Add(a);
    EXPECT_THROW(a->Add(form->View1), EMenuError);  // its own ancestor
    EXPECT_THROW(form->View1->Items(99), EMenuError);
    EXPECT_THROW(form->View1->Insert(-1, new TMenuItem(form)), EMenuError);
    a->SetMenuIndex(0);
    EXPECT_EQ(form->View1->Items(0), a);
    // Freeing a parent frees its sub-items; the owner forgets them.
    const int before = form->ComponentCount();
    delete form->View1;
    EXPECT_EQ(form->ComponentCount(), before - 5);
    EXPECT_EQ(form->MainMenu1->Items()->Count(), 1);
}

TEST_F(Menus, RadioItemsShortcutsAndClicks) {
    form->Large1->SetChecked(true);
    EXPECT_TRUE(form->Large1->Checked());
    EXPECT_FALSE(form->Small1->Checked());
    form->Grid1->SetAutoCheck(true);
    form->Grid1->Click();
    EXPECT_TRUE(form->Grid1->Checked());

    EXPECT_TRUE(form->MainMenu1->IsShortCut('S', {ssCtrl}));
    EXPECT_EQ(form->saves, 1);
    EXPECT_FALSE(form->MainMenu1->IsShortCut('S', {ssAlt}));
    form->Exit1->SetShortCut(TextToShortCut("Ctrl+Q"));
    EXPECT_FALSE(form->MainMenu1->IsShortCut('Q', {ssCtrl}));  // disabled
    EXPECT_EQ(form->exits, 0);
    EXPECT_TRUE(form->MainMenu1->DispatchCommand(form->Save1->Command()));
    EXPECT_EQ(form->saves, 2);
    EXPECT_FALSE(form->MainMenu1->DispatchCommand(form->Copy1->Command()));  // another menu's

    form->Show();
    Pump();
    // A menu command reaching the form clicks its item.
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(form->Save1->Command(), 0), 0);
    EXPECT_EQ(form->saves, 3);
}

TEST_F(Menus, AMenuSetInCodeShowsAndAnswersShortcuts) {
    TForm* other = NewForm<TForm>(Application);
    auto* menu = new TMainMenu(other);
    auto* item = new TMenuItem(other);
    item->SetCaption("&Go");
    menu->Items()->Add(item);
    SetFormMenu(other, menu);
    other->Show();
    Pump();
    EXPECT_EQ(GetMenu(other->Handle()), menu->Handle());
    // Shortcuts of the form's menus, the main one and the pop-ups it owns.
    int clicks = 0;
    item->OnClick = [&](TObject*) { ++clicks; };
    item->SetShortCut(TextToShortCut("Ctrl+G"));
    EXPECT_TRUE(IsFormShortCut(other, 'G', {ssCtrl}));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(IsFormShortCut(form, 'C', {ssCtrl}));  // the pop-up's Copy
    EXPECT_EQ(form->copies, 1);
    EXPECT_FALSE(IsFormShortCut(other, 'C', {ssCtrl}));
    // The same through the form's key-down path, with Ctrl held.
    BYTE keys[256] = {}, saved[256] = {};
    GetKeyboardState(saved);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    TMessage down{CN_BASE + WM_KEYDOWN, 'G', 0, 0};
    EXPECT_TRUE(HandleFormMenuMessage(other, down));
    EXPECT_EQ(down.Result, 1);
    TMessage unknown{CN_BASE + WM_KEYDOWN, 'K', 0, 0};
    EXPECT_FALSE(HandleFormMenuMessage(other, unknown));
    EXPECT_EQ(clicks, 2);
    // And as the message loop meets the key in the form's window.
    PostMessageA(other->Handle(), WM_KEYDOWN, 'G', 0);
    Application->ProcessMessages();
    SetKeyboardState(saved);
    EXPECT_EQ(clicks, 3);
    TMessage plain{CN_BASE + WM_KEYDOWN, 'G', 0, 0};
    EXPECT_FALSE(HandleFormMenuMessage(other, plain));  // no Ctrl
    delete menu;
    EXPECT_EQ(GetMenu(other->Handle()), nullptr);
    EXPECT_EQ(other->Menu(), nullptr);
    other->Free();
}

// A window destroys the menu it shows: the form takes its menu off first.
TEST_F(Menus, TheMainMenuSurvivesANewWindow) {
    form->Show();
    Pump();
    form->RecreateWnd();
    Pump();
    ASSERT_TRUE(form->HandleAllocated());
    EXPECT_EQ(GetMenu(form->Handle()), form->MainMenu1->Handle());
    EXPECT_EQ(GetMenuItemCount(GetMenu(form->Handle())), 2);
}

// The owner-drawn main menu is opened on the bar, painted by the handlers,
// captured from the screen, and an item is chosen from the keyboard.
TEST_F(Menus, OwnerDrawnMainMenuIsPaintedByTheHandlersAndChosen) {
    form->Show();
    Pump();
    DrawMenuBar(form->Handle());
    Pump();
    ASSERT_GT(form->drawn["File1"].count, 0) << "the bar item was not drawn";
    EXPECT_GT(form->measures, 0);
    EXPECT_EQ(ScreenPixel(form->drawn["File1"].probe), Pixel(kItemColour));

    RECT item{};
    ASSERT_TRUE(GetMenuItemRect(form->Handle(), GetMenu(form->Handle()), 0, &item));
    uint32_t saveColour = 0, barColour = 0;
    bool captured = false;
    MenuDriver driver([&](int tick) {
        HWND menu = OpenMenuWindow();
        if (!menu) return false;
        if (tick < 3) return false;  // let it paint
        if (!captured) {
            UpdateWindow(menu);
            int w = 0, h = 0;
            std::vector<uint32_t> px;
            if (CaptureWindow(menu, w, h, px)) WritePngFile(Artefact("menus_main_dropdown.png"), w, h, px);
            saveColour = ScreenPixel(form->drawn["Save1"].probe);
            barColour = ScreenPixel(form->drawn["File1"].probe);
            if (CaptureWindow(form->Handle(), w, h, px)) WritePngFile(Artefact("menus_main_bar.png"), w, h, px);
            captured = true;
            PostKey(menu, VK_DOWN);
            return false;
        }
        PostKey(menu, VK_RETURN);
        return true;
    });
    const POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    PostMessageA(form->Handle(), WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(p.x, p.y));
    for (int i = 0; i < 200 && !driver.done; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
    Pump();
    ASSERT_TRUE(driver.done);
    EXPECT_FALSE(driver.gaveUp);
    ASSERT_TRUE(captured);
    EXPECT_GT(form->drawn["Save1"].count, 0);
    EXPECT_GT(form->drawn["Exit1"].count, 0);
    EXPECT_GT(form->drawn["N1"].count, 0);
    EXPECT_EQ(saveColour, Pixel(kItemColour));
    EXPECT_EQ(barColour, Pixel(kSelectedColour));   // the open bar item
    EXPECT_TRUE(form->drawn["Save1"].wasSelected);  // selected from the keyboard before it was chosen
    EXPECT_EQ(form->saves, 1);
    EXPECT_EQ(form->exits, 0);
}

TEST_F(Menus, PopupTracksAtAPointAndRunsTheChosenItem) {
    form->Show();
    Pump();
    int popups = 0;
    form->PopupMenu1->OnPopup = [&](TObject*) { ++popups; };
    uint32_t copyColour = 0;
    POINT menuAt{};
    MenuDriver driver([&](int tick) {
        HWND menu = OpenMenuWindow();
        if (!menu || tick < 3) return false;
        if (tick == 3) {
            UpdateWindow(menu);
            RECT r;
            GetWindowRect(menu, &r);
            menuAt = {r.left, r.top};
            int w = 0, h = 0;
            std::vector<uint32_t> px;
            if (CaptureWindow(menu, w, h, px)) WritePngFile(Artefact("menus_popup.png"), w, h, px);
            copyColour = ScreenPixel(form->drawn["Copy1"].probe);
            // Down twice: Copy, then Paste.
            PostKey(menu, VK_DOWN);
            PostKey(menu, VK_DOWN);
            return false;
        }
        if (tick == 5) {
            PostKey(menu, VK_RETURN);
            return true;
        }
        return false;
    });
    form->PopupMenu1->Popup(200, 150);
    EXPECT_TRUE(driver.done);
    EXPECT_FALSE(driver.gaveUp);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(menuAt.x, 200);
    EXPECT_EQ(menuAt.y, 150);
    EXPECT_GT(form->drawn["Copy1"].count, 0);
    EXPECT_GT(form->drawn["Paste1"].count, 0);
    EXPECT_EQ(copyColour, Pixel(kItemColour));
    EXPECT_TRUE(form->drawn["Paste1"].wasSelected);
    EXPECT_FALSE(form->drawn["Copy1"].selected);  // passed on the way down
    // Chosen before Popup returned.
    EXPECT_EQ(form->pastes, 1);
    EXPECT_EQ(form->copies, 0);
}

// Owner-drawn entries hold no text: the hot key of the caption finds the item.
TEST_F(Menus, HotKeysChooseOwnerDrawnItems) {
    form->Show();
    Pump();
    MenuDriver driver([&](int tick) {
        HWND menu = OpenMenuWindow();
        if (!menu || tick < 3) return false;
        PostMessageA(menu, WM_CHAR, 'p', 1);
        return true;
    });
    form->PopupMenu1->Popup(120, 120);
    EXPECT_TRUE(driver.done);
    EXPECT_FALSE(driver.gaveUp);
    EXPECT_EQ(form->pastes, 1);
    EXPECT_EQ(form->copies, 0);
    // A disabled item is not chosen by its key.
    form->Paste1->SetEnabled(false);
    MenuDriver again([&](int tick) {
        HWND menu = OpenMenuWindow();
        if (!menu || tick < 3) return false;
        if (tick == 3) {
            PostMessageA(menu, WM_CHAR, 'p', 1);
            return false;
        }
        PostKey(menu, VK_ESCAPE);
        return true;
    });
    form->PopupMenu1->Popup(120, 120);
    EXPECT_TRUE(again.done);
    EXPECT_EQ(form->pastes, 1);
}

// A submenu filled by its item's OnClick as it opens shows what the handler put in.
TEST_F(Menus, SubmenuFilledWhileOpeningShowsTheNewItems) {
    form->Show();
    Pump();
    auto* popup = new TPopupMenu(form);
    auto* more = new TMenuItem(form);
    more->SetCaption("&More");
    popup->Items()->Add(more);
    auto* first = new TMenuItem(form);
    first->SetCaption("First");
    more->Add(first);
    int opened = 0, picked = 0;
    more->OnClick = [&](TObject*) {
        ++opened;
        auto* added = new TMenuItem(form);
        added->SetCaption("Added");
        added->OnClick = [&](TObject*) { ++picked; };
        more->Add(added);
    };
    HMENU rootBefore = popup->Handle();
    int shownCount = -1, menuWindows = 0;
    MenuDriver driver([&](int tick) {
        HWND menu = OpenMenuWindow();
        if (!menu || tick < 3) return false;
        if (tick == 3) {
            PostKey(menu, VK_DOWN);
            PostKey(menu, VK_RIGHT);  // opens More
            return false;
        }
        if (tick == 6) {
            shownCount = GetMenuItemCount(more->Handle());
            menuWindows = 0;
            EnumWindows(CountMenuWindows, reinterpret_cast<LPARAM>(&menuWindows));
            PostKey(menu, VK_UP);  // from First round to Added
            return false;
        }
        if (tick == 8) {
            PostKey(menu, VK_RETURN);
            return true;
        }
        return false;
    });
    popup->Popup(150, 150);
    EXPECT_TRUE(driver.done);
    EXPECT_FALSE(driver.gaveUp);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(shownCount, 2);
    EXPECT_EQ(menuWindows, 2);
    EXPECT_EQ(picked, 1);
    EXPECT_EQ(popup->Handle(), rootBefore);  // built again in place
}

TEST_F(Menus, DefaultDrawingWithoutHandlersPaintsTheMenuColours) {
    auto* popup = new TPopupMenu(form);
    popup->SetOwnerDraw(true);
    auto* plain = new TMenuItem(form);
    plain->SetCaption("&Plain");
    popup->Items()->Add(plain);
    int clicks = 0;
    plain->OnClick = [&](TObject*) { ++clicks; };
    uint32_t colour = 0;
    MenuDriver driver([&](int tick) {
        HWND menu = OpenMenuWindow();
        if (!menu || tick < 3) return false;
        UpdateWindow(menu);
        RECT r;
        GetWindowRect(menu, &r);
        // Near the right edge of the item: clear of text and mark.
        colour = ScreenPixel(POINT{r.right - 6, r.top + 5});
        PostKey(menu, VK_ESCAPE);
        return true;
    });
    popup->Popup(100, 100);
    EXPECT_TRUE(driver.done);
    EXPECT_EQ(colour, Pixel(clMenu));
    EXPECT_EQ(clicks, 0);  // dismissed
}

// ---------------------------------------------------------------------------
// Image lists

// Two 16 x 16 images side by side on a fuchsia mask colour: a red 8 x 8 square
// at (4, 4) in the first, a blue full-height bar at x 0..3 in the second.
std::unique_ptr<TBitmap> StripBitmap() {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(32, 16);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 32, 16));
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(4, 4, 12, 12));
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(16, 0, 20, 16));
    return b;
}

uint32_t BitmapPixel(TBitmap* b, int x, int y) { return Pixel(b->Canvas()->Pixels(x, y)); }

TEST(ImageList, AddMaskedCutsTheStripAndDrawsEnabledAndGreyed) {
    TImageList list(nullptr);
    EXPECT_EQ(list.Width(), 16);
    EXPECT_EQ(list.Height(), 16);
    auto strip = StripBitmap();
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
    ASSERT_EQ(list.Count(), 2);

    TBitmap target;
    target.SetSize(40, 20);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 40, 20));
    list.Draw(target.Canvas(), 2, 2, 0, true);
    list.Draw(target.Canvas(), 20, 2, 0, false);

    struct Probe {
        int x, y;
        TColor want;
    };
    const Probe probes[] = {
        {2 + 5, 2 + 5, clRed},    // inside the square
        {2 + 1, 2 + 1, clWhite},  // masked: the background stays
        {2 + 15, 2 + 15, clWhite},
        {20 + 5, 2 + 5, clBtnShadow},             // greyed: the shape in shadow
        {20 + 4 + 8, 2 + 4 + 8, clBtnHighlight},  // and its highlight copy one pixel down-right
        {20 + 1, 2 + 1, clWhite},
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_EQ(BitmapPixel(&target, p.x, p.y), Pixel(p.want));
    }
    std::vector<uint32_t> px;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) px.push_back(BitmapPixel(&target, x, y));
    WritePngFile(Artefact("imagelist_draw.png"), 40, 20, px);

    // The second image, and an index out of range draws nothing.
    TBitmap second;
    second.SetSize(16, 16);
    second.Canvas()->Brush()->SetColor(clLime);
    second.Canvas()->FillRect(Rect(0, 0, 16, 16));
    list.Draw(second.Canvas(), 0, 0, 1, true);
    list.Draw(second.Canvas(), 0, 0, 7, true);
    list.Draw(second.Canvas(), 0, 0, -1, true);
    EXPECT_EQ(BitmapPixel(&second, 1, 8), Pixel(clBlue));
    EXPECT_EQ(BitmapPixel(&second, 8, 8), Pixel(clLime));
}

TEST(ImageList, SizesAndEdges) {
    TImageList list(nullptr);
    auto strip = StripBitmap();
    list.SetWidth(10);
    list.SetHeight(8);
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
    EXPECT_EQ(list.Count(), 3);  // 32 / 10, the narrow rest dropped
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.SetWidth(16);  // a new size empties the list
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(changes, 1);
    list.SetWidth(40);
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), -1);  // narrower than one image
    EXPECT_EQ(list.AddMasked(nullptr, clFuchsia), -1);
    EXPECT_THROW(list.SetWidth(0), EInvalidOperation);
    EXPECT_THROW(list.SetHeight(-3), EInvalidOperation);
    list.SetWidth(16);
    list.SetHeight(16);
    list.AddMasked(strip.get(), clDefault);  // the bottom-left pixel: fuchsia
    ASSERT_EQ(list.Count(), 2);
    TBitmap copy;
    ASSERT_TRUE(list.GetBitmap(0, &copy));
    EXPECT_EQ(copy.Width(), 16);
    EXPECT_EQ(BitmapPixel(&copy, 5, 5), Pixel(clRed));
    EXPECT_EQ(ImageList_GetImageCount(list.Handle()), 2);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Delete(5), EInvalidOperation);
}

TEST_F(Menus, MenuItemImagesComeFromTheMenusImageList) {
    auto* images = new TImageList(form);
    auto strip = StripBitmap();
    images->AddMasked(strip.get(), clFuchsia);
    form->PopupMenu1->SetImages(images);
    EXPECT_EQ(form->Copy1->GetImageList(), images);
    delete images;
    EXPECT_EQ(form->PopupMenu1->Images(), nullptr);
    EXPECT_EQ(form->Copy1->GetImageList(), nullptr);
}

// ---------------------------------------------------------------------------
// Media player

TEST_F(Menus, MediaPlayerButtonSetsLayoutAndClicks) {
    TMediaPlayer* mp = form->MediaPlayer1;
    ASSERT_NE(mp, nullptr);
    EXPECT_EQ(GetSetProp(mp, "VisibleButtons", true), "[btPlay,btPause,btStop]");
    EXPECT_EQ(GetSetProp(mp, "EnabledButtons"), "btPlay,btStop");
    form->Show();
    Pump();
    char cls[32] = {};
    GetClassNameA(mp->Handle(), cls, sizeof cls);
    EXPECT_STREQ(cls, "TMediaPlayer");
    EXPECT_EQ(mp->VisibleCount(), 3);
    EXPECT_EQ(mp->ButtonWidth(), 33);  // 100 / 3, one column left over

    struct Hit {
        int x, button;
    };
    const Hit hits[] = {{0, btPlay},  {33, btPlay}, {34, btPause},      {66, btPause},
                        {67, btStop}, {99, btStop}, {100, kMPNoButton}, {-1, kMPNoButton}};
    for (const Hit& h : hits) {
        SCOPED_TRACE(h.x);
        EXPECT_EQ(mp->ButtonAt(h.x), h.button);
    }
    auto press = [&](int downX, int upX) {
        mp->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(downX, 10));
        mp->Perform(WM_LBUTTONUP, 0, MAKELPARAM(upX, 10));
    };
    press(10, 10);  // play
    press(10, 80);  // pressed on play, released on stop: no click
    press(50, 50);  // pause is disabled
    press(80, 80);  // stop
    ASSERT_EQ(form->playerClicks.size(), 2u);
    EXPECT_EQ(form->playerClicks[0], btPlay);
    EXPECT_EQ(form->playerClicks[1], btStop);
    EXPECT_EQ(form->playerPostClicks.size(), 2u);
    form->playerDoDefault = false;
    press(10, 10);
    EXPECT_EQ(form->playerClicks.size(), 3u);
    EXPECT_EQ(form->playerPostClicks.size(), 2u);  // the default was skipped

    // Sets by name; buttons that are not shown do not click and take no room.
    SetSetProp(mp, "VisibleButtons", "[btNext,btEject]");
    SetSetProp(mp, "EnabledButtons", "[btPlay,btNext,btPrev,btStep,btBack,btRecord,btEject,btStop,btPause]");
    EXPECT_EQ(mp->ButtonWidth(), 50);
    EXPECT_EQ(mp->ButtonAt(10), btNext);
    EXPECT_EQ(mp->ButtonAt(60), btEject);
    mp->ClickButton(btPlay);
    EXPECT_EQ(form->playerClicks.size(), 3u);
    mp->ClickButton(btEject);
    EXPECT_EQ(form->playerClicks.back(), btEject);
    mp->SetVisibleButtons({});
    EXPECT_EQ(mp->ButtonWidth(), 0);
    EXPECT_EQ(mp->ButtonAt(0), kMPNoButton);
}

TEST_F(Menus, MediaPlayerDrawsItsGlyphsColouredPlainAndGreyed) {
    TMediaPlayer* mp = form->MediaPlayer1;
    mp->SetBounds(8, 120, 270, 30);
    mp->SetVisibleButtons(kMPAllButtons);
    mp->SetEnabledButtons(kMPAllButtons - TButtonSet{btStop});
    mp->SetColoredButtons({btPlay});
    form->Show();
    Pump();
    mp->Repaint();
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(CaptureWindow(mp->Handle(), w, h, px));
    WritePngFile(Artefact("mediaplayer.png"), w, h, px);
    ASSERT_EQ(w, 270);
    const int bw = mp->ButtonWidth();
    EXPECT_EQ(bw, 30);
    auto at = [&](TMPBtnType b, int dx, int dy) {
        const TRect r = mp->ButtonRect(b);
        const int x = r.left + (RectWidth(r) - 16) / 2 + dx, y = r.top + (RectHeight(r) - 12) / 2 + dy;
        return px[static_cast<size_t>(y) * w + x];
    };
    EXPECT_EQ(at(btPlay, 6, 6), 0x008000u);           // coloured play: green
    EXPECT_EQ(at(btPause, 5, 5), 0x000000u);          // plain: black
    EXPECT_EQ(at(btStop, 6, 6), Pixel(clBtnShadow));  // disabled: greyed
    EXPECT_EQ(at(btRecord, 8, 6), 0x000000u);
    EXPECT_EQ(at(btPlay, 14, 1), Pixel(clBtnFace));  // beside the triangle: the face
}

}  // namespace
