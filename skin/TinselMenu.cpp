#include "skin/TinselMenu.h"

#include <algorithm>
#include <cwctype>

#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/SysVersion.h"
#include "classlib/WinHook.h"
#include "classlib/WinSys.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"

namespace {

bool Contains(const TRect& r, TPoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

void DrawCentred(HDC dc, const std::wstring& text, const TRect& r, TColor colour) {
    RECT c = r;
    SetTextColor(dc, ColorToRGB(colour));
    DrawTextWide(dc, text, c, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// One drop-down is tracked at a time.
struct TMenuHookState {
    TWindowsHook Hook;
    TTinselForm* Form = nullptr;
    int32_t OpenIndex = -1;
    TMenuItem* Current = nullptr;
    bool Switching = false;
    bool DownPosted = false;
    POINT LastMouse{0, 0};
};

TMenuHookState& HookState() {
    static TMenuHookState state;
    return state;
}

LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    TMenuHookState& s = HookState();
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (msg && msg->message == WM_KEYDOWN && s.Current) {
        TMenuItem* parent = s.Current->Parent();
        TMenu* menu = parent ? parent->GetParentMenu() : nullptr;
        if (menu && menu->IsRightToLeft()) {
            if (msg->wParam == VK_LEFT)
                msg->wParam = VK_RIGHT;
            else if (msg->wParam == VK_RIGHT)
                msg->wParam = VK_LEFT;
        }
    }
    const LRESULT result = s.Hook.CallNext(code, wParam, lParam);
    if (result || code != MSGF_MENU || !msg || !s.Form) return result;
    TTinselForm* form = s.Form;
    if (!s.DownPosted) {
        s.DownPosted = true;
        PostMessageA(msg->hwnd, WM_KEYDOWN, VK_DOWN, 0);
    }
    TMenuBtn* target = nullptr;
    switch (msg->message) {
        case WM_KEYDOWN:
            if (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) s.Switching = false;
            if (msg->wParam == VK_RIGHT) {
                if (!s.Current || s.Current->Count() == 0) target = NeighbourMenuButton(true);
            } else if (msg->wParam == VK_LEFT) {
                TMenuBtn* open = form->MenuBar ? form->MenuBar->Item(s.OpenIndex) : nullptr;
                const HMENU dropDown = open ? open->DropDown : nullptr;
                if (!s.Current || (s.Current->Parent() && s.Current->Parent()->Handle() == dropDown) ||
                    (s.Current->Count() > 0 && s.Current->Handle() == dropDown))
                    target = NeighbourMenuButton(false);
            }
            break;
        case WM_SYSKEYDOWN:
            if (msg->wParam == VK_MENU) form->MenuTracking = false;
            return result;
        case WM_MOUSEMOVE:
            if (msg->pt.x != s.LastMouse.x || msg->pt.y != s.LastMouse.y) {
                if (form->MenuBar) target = form->MenuBar->ItemAt(form->FramePoint(TPoint{msg->pt.x, msg->pt.y}));
                s.LastMouse = msg->pt;
            }
            break;
        default: break;
    }
    if (target && target->Index != s.OpenIndex) {
        s.Switching = true;
        RECT w{};
        GetWindowRect(form->Handle, &w);
        PostMessageA(form->Handle, WM_NCLBUTTONDOWN, 1,
                     MAKELPARAM(w.left + target->Rect.left + 1, w.top + target->Rect.top + 1));
    }
    return result;
}

}  // namespace

void InstallMenuHook() {
    TMenuHookState& s = HookState();
    s.Switching = false;
    s.DownPosted = false;
    GetCursorPos(&s.LastMouse);
    s.Hook.Install(WH_MSGFILTER, &MenuFilterHook);
}

void RemoveMenuHook() {
    TMenuHookState& s = HookState();
    s.Hook.Release();
    s.Current = nullptr;
    s.OpenIndex = -1;
    s.DownPosted = false;
}

bool MenuHookInstalled() { return HookState().Hook.Installed(); }

void SetMenuHookTarget(TTinselForm* form, int32_t index) {
    HookState().Form = form;
    HookState().OpenIndex = index;
}

// The owner's window procedure sees the selection inside the drop-down (the filter hook does not).
void MenuHookSelect(TTinselForm* form, WPARAM wParam, LPARAM lParam) {
    TMenuHookState& s = HookState();
    if (s.Form != form || !s.Hook.Installed()) return;
    if (HIWORD(wParam) == 0xFFFF && lParam == 0) {
        if (!s.Switching) form->MenuTracking = false;
        return;
    }
    s.Switching = false;
    TMenu* menu = form->MenuBar ? form->MenuBar->MenuObject() : nullptr;
    if (!menu) return;
    const auto handle = reinterpret_cast<HMENU>(lParam);
    if (HIWORD(wParam) & MF_POPUP)
        s.Current = menu->FindItem(reinterpret_cast<UINT_PTR>(GetSubMenu(handle, LOWORD(wParam))), fkHandle);
    else
        s.Current = menu->FindItem(LOWORD(wParam), fkCommand);
}

TMenuBtn* NeighbourMenuButton(bool forward) {
    TMenuHookState& s = HookState();
    if (!s.Form || !s.Form->MenuBar) return nullptr;
    const int32_t n = s.Form->MenuBar->Count() - 1;
    if (n < 0) return nullptr;
    const int32_t i = s.OpenIndex;
    int32_t next = forward ? i + 1 : i - 1;
    if (next > n) next = 0;
    if (next < 0) next = n;
    return s.Form->MenuBar->Item(next);
}

// ---------------------------------------------------------------------------

TTinselMenu::TTinselMenu(TTinselForm* form, TSkinData* data)
    : FForm(form), FData(data), FBackground(std::make_unique<TBitmap>()) {}

TTinselMenu::~TTinselMenu() {
    FreeItems();
    if (FMenuObject) FForm->RemoveFreeNotification(FMenuObject);
}

void TTinselMenu::TakeMenuObject() {
    if (!FForm->Form) return;
    TMenu* now = DynamicAs<TMenu>(FForm->Form->Menu());
    if (now == FMenuObject) return;
    if (FMenuObject) FForm->RemoveFreeNotification(FMenuObject);
    FMenuObject = now;
    if (now) FForm->FreeNotification(now);
}

void TTinselMenu::MenuObjectGone(TComponent* component) {
    if (!component || component != FMenuObject) return;
    FMenuObject = nullptr;
    FreeItems();
    // Its window menu went with it.
    FMenuHandle = nullptr;
    if (HookState().Form == FForm) HookState().Current = nullptr;
}

void TTinselMenu::FreeItems() {
    // Nothing may point at an item that goes: the hot object and the open drop-down.
    for (auto& item : FItems)
        if (FForm->HotObject == item.get()) FForm->HotObject = nullptr;
    if (HookState().Form == FForm) HookState().OpenIndex = -1;
    FItems.clear();
}

bool TTinselMenu::RightToLeftMenu() const { return FMenuObject && FMenuObject->IsRightToLeft(); }

bool TTinselMenu::ReadWindowMenu(bool onlyEmptyFromObject) {
    TakeMenuObject();
    if (HMENU menu = GetMenu(FForm->Handle)) FMenuHandle = menu;
    if (!FMenuHandle) return false;
    if (FForm->Form && !FMenuObject) return false;
    FreeItems();
    const int count = GetMenuItemCount(FMenuHandle);
    if (count <= 0) return true;
    for (int i = 0; i < count; ++i) {
        char text[81] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        info.dwTypeData = text;
        info.cch = 80;
        GetMenuItemInfoA(FMenuHandle, static_cast<UINT>(i), TRUE, &info);
        auto item = std::make_unique<TMenuBtn>(FForm, FData, i);
        item->DropDown = info.hSubMenu;
        item->Enabled = (info.fState & 3) == 0;
        item->Visible = true;
        item->Command = info.wID;
        item->Caption = AnsiToWide(text);
        if (FMenuObject && (!onlyEmptyFromObject || item->Caption.empty())) {
            if (TMenuItem* mi = FMenuObject->FindItem(info.wID, fkCommand)) {
                item->Caption = AnsiToWide(mi->Caption());
                item->Enabled = mi->Enabled();
                item->Item = mi;
                if (onlyEmptyFromObject) item->Command = mi->Command();
                item->DropDown = mi->Count() > 0 ? mi->Handle() : nullptr;
            }
        }
        FItems.push_back(std::move(item));
    }
    return true;
}

void TTinselMenu::LoadItems() {
    const bool old = (Win32Platform == VER_PLATFORM_WIN32_NT && Win32MajorVersion < 5) ||
                     (Win32MajorVersion == 4 && Win32MinorVersion == 0);
    if (old) {
        LoadItemsFromMenuObject();
        return;
    }
    if (ReadWindowMenu(false)) SetMenu(FForm->Handle, nullptr);
}

void TTinselMenu::LoadItemsFromMenuObject() {
    TakeMenuObject();
    if (HMENU menu = GetMenu(FForm->Handle)) FMenuHandle = menu;
    if (!FMenuHandle || !FMenuObject) return;
    FreeItems();
    TMenuItem* root = FMenuObject->Items();
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* mi = root->Items(i);
        auto item = std::make_unique<TMenuBtn>(FForm, FData, i);
        item->Visible = mi->Visible();
        item->Enabled = mi->Enabled();
        item->Command = mi->Command();
        item->Caption = AnsiToWide(mi->Caption());
        item->Item = mi;
        item->DropDown = mi->Count() > 0 ? mi->Handle() : nullptr;
        FItems.push_back(std::move(item));
    }
    SetMenu(FForm->Handle, nullptr);
}

void TTinselMenu::ReloadItems() {
    if (!ReadWindowMenu(true)) return;
    SetMenu(FForm->Handle, nullptr);
    Layout();
}

int32_t TTinselMenu::StartOffset(int32_t barWidth) const {
    if (!FData->MenuBar) return 6;
    const int32_t offset = RightToLeftMenu() ? FData->MenuBar->Margins.right + 8 : FData->MenuBar->Margins.left + 4;
    return offset > barWidth ? 12 : offset;
}

void TTinselMenu::PlaceItems(HDC dc) {
    HGDIOBJ old = SelectObject(dc, Screen->MenuFont()->Handle());
    const bool rtl = RightToLeftMenu();
    const int32_t start = StartOffset(RectWidth(FBarRect));
    int32_t x = rtl ? FBarRect.right - start : FBarRect.left + start;
    for (auto& item : FItems) {
        if (!item->Visible) {
            item->Rect = Rect(0, 0, 0, 0);
            continue;
        }
        RECT m{0, 0, 0, 0};
        int32_t width = 0;
        if (!item->Caption.empty()) {
            DrawTextWide(dc, item->Caption, m, DT_CALCRECT | DT_NOCLIP);
            width = m.right - m.left > 0 ? (m.right - m.left) + 10 : 0;
        }
        if (rtl) {
            item->Rect = Rect(x - width, FBarRect.top, x, FBarRect.bottom - 1);
            x -= width;
        } else {
            item->Rect = Rect(x, FBarRect.top, x + width, FBarRect.bottom - 1);
            x += width;
        }
    }
    SelectObject(dc, old);
}

void TTinselMenu::Layout() {
    RECT w{};
    GetWindowRect(FForm->Handle, &w);
    const TRect bar = Rect(FForm->BorderLeft, FForm->BorderTop, (w.right - w.left) - FForm->BorderRight,
                           FForm->BorderTop + FForm->MenuBarHeight);
    if (RectWidth(bar) <= 0 || RectHeight(bar) <= 0) return;
    FBarRect = bar;
    HDC dc = GetDC(nullptr);
    PlaceItems(dc);
    ReleaseDC(nullptr, dc);
}

void TTinselMenu::Paint(HDC dc, const TRect& bar) {
    const int32_t w = RectWidth(bar), h = RectHeight(bar);
    if (w <= 0 || h <= 0) return;
    TBitmap work;
    work.SetSize(w, h);
    if (work.Empty()) return;
    TCanvas* canvas = work.Canvas();
    const TRect R = Rect(0, 0, w, h);
    const TDataSkinObject* element = FData->MenuBar.get();
    const int32_t frame = FForm->ActiveFlag ? 1 : 2;
    if (!FBackground->Empty() && FBackWidth == w && FBackHeight == h && FBackFrame == frame) {
        BitBlt(canvas->Handle(), 0, 0, w, h, FBackground->Canvas()->Handle(), 0, 0, SRCCOPY);
    } else {
        if (element && element->Bitmap && !element->Bitmap->Empty()) {
            if (element->Tile == 1)
                SkinDrawFrame(canvas->Handle(), R, element->Bitmap.get(), true, false, false, 2, frame,
                              element->Margins);
            else
                SkinDrawFrameTiled3(canvas, R, element->Bitmap.get(), true, false, 2, frame, element->Margins);
        } else {
            canvas->Brush()->SetColor(FData->Colours.Menubar);
            canvas->FillRect(R);
        }
        CopyBitmap(&work, FBackground.get());
        FBackWidth = w;
        FBackHeight = h;
        FBackFrame = frame;
    }
    FBarRect = bar;
    HDC wdc = canvas->Handle();
    FPainting = true;
    PlaceItems(wdc);
    HGDIOBJ oldFont = SelectObject(wdc, Screen->MenuFont()->Handle());
    const int oldMode = SetBkMode(wdc, TRANSPARENT);
    for (auto& item : FItems) {
        if (!item->Visible || item->Caption.empty()) continue;
        TRect r = item->Rect;
        OffsetRect(&r, -bar.left, -bar.top);
        DrawCentred(wdc, item->Caption, r, item->Enabled ? FData->Colours.MenuBarText : FData->Colours.ButtonShadow);
    }
    SetBkMode(wdc, oldMode);
    SelectObject(wdc, oldFont);
    FPainting = false;
    if (FForm->Kind == fkMDIFrame && FForm->IsMdiChildMaximized()) {
        for (auto& b : FForm->SysButtons) {
            if (!b->Visible || b->Record->Visibility != 100 || !b->Record->Bitmap || b->Record->Bitmap->Empty() ||
                b->Record->Frames < 1)
                continue;
            TRect r = b->Rect;
            OffsetRect(&r, -FForm->BorderLeft, -FForm->BorderTop);
            SkinDrawFrameStretched(wdc, r, b->Record->Bitmap.get(), true, b->Record->Frames, 1);
        }
        if (SkinManager && !SkinManager->MDIMaximized) SkinManager->SetCaptionActive(true);
    }
    BitBlt(dc, bar.left, bar.top, w, h, wdc, 0, 0, SRCCOPY);
}

TMenuBtn* TTinselMenu::ItemAt(TPoint frame) const {
    for (auto& item : FItems)
        if (!item->Caption.empty() && Contains(item->Rect, frame)) return item.get();
    return nullptr;
}

TMenuBtn* TTinselMenu::ItemOfKey(wchar_t key) const {
    const wchar_t upper = static_cast<wchar_t>(std::towupper(key));
    for (auto& item : FItems) {
        if (!item->Visible || !item->Enabled) continue;
        const char hot = GetHotkey(WideStringToString(item->Caption));
        if (hot && static_cast<wchar_t>(std::towupper(static_cast<unsigned char>(hot))) == upper) return item.get();
    }
    return nullptr;
}

void TMenuBtn::Paint() {
    TTinselMenu* bar = Form->MenuBar.get();
    if (!bar || !Form->Handle) return;
    HDC dc = GetWindowDC(Form->Handle);
    if (!dc) return;
    const TRect b = bar->BarRect();
    TBitmap* back = bar->Background();
    if (back && !back->Empty())
        BitBlt(dc, Rect.left, b.top, RectWidth(Rect), RectHeight(b), back->Canvas()->Handle(), Rect.left - b.left, 0,
               SRCCOPY);
    if (State == 2 || State == 3) {
        HBRUSH frame = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonHilight));
        RECT r = Rect;
        FrameRect(dc, &r, frame);
        DeleteObject(frame);
    }
    HGDIOBJ oldFont = SelectObject(dc, Screen->MenuFont()->Handle());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawCentred(dc, Caption, Rect, Enabled ? SkinData->Colours.MenuBarText : SkinData->Colours.ButtonShadow);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    ReleaseDC(Form->Handle, dc);
}
