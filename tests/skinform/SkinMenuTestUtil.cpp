#include "SkinMenuTestUtil.h"

#include <gtest/gtest.h>

#include "SkinFormTestUtil.h"
#include "classlib/Menus.h"
#include "skin/TinselData.h"

namespace skinform {
namespace {

BOOL CALLBACK FindPopup(HWND wnd, LPARAM lp) {
    char name[32] = {};
    GetClassNameA(wnd, name, sizeof name);
    if (std::string(name) == "#32768" && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(lp) = wnd;
        return FALSE;
    }
    return TRUE;
}

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

}  // namespace

HWND OpenPopup() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindPopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

HMENU OpenMenu() {
    HWND popup = OpenPopup();
    return popup ? reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) : nullptr;
}

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

TStep MenuClosed() {
    return {"the menu closed", [] { return OpenPopup() == nullptr; }, nullptr};
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

LRESULT DialogCharWithAlt(TControl* control, char key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE saved = keys[VK_MENU];
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    const LRESULT result = control->Perform(CM_DIALOGCHAR, static_cast<WPARAM>(key), 0);
    keys[VK_MENU] = saved;
    SetKeyboardState(keys);
    return result;
}

COLORREF SeparatorLineColour(TSkinData* data, int itemHeight) {
    if (!data || !data->MenuItem || !data->MenuItem->Bitmap || data->MenuItem->Bitmap->Empty()) return CLR_INVALID;
    TBitmap* strip = data->MenuItem->Bitmap.get();
    const int F = strip->Width() / 5, H = strip->Height();
    const int x = F + F / 2, top = H > itemHeight ? H - itemHeight : 0;
    const auto at = [&](int y) { return static_cast<COLORREF>(strip->Canvas()->Pixels(x, y)); };
    const COLORREF background = at(top);
    for (int y = top; y < H; ++y)
        if (at(y) != background && at(y) != TRANSPARENT_KEY) return at(y);
    return CLR_INVALID;
}

bool ShowsSeparatorLine(TSkinData* data, const RECT& separator) {
    const COLORREF line = SeparatorLineColour(data, separator.bottom - separator.top);
    if (line == CLR_INVALID) return false;
    RECT middle = separator;
    middle.left += (separator.right - separator.left) / 4;
    middle.right -= (separator.right - separator.left) / 4;
    for (COLORREF p : ScreenRect(middle))
        if (p == line) return true;
    return false;
}

}  // namespace skinform
