// The form skin's window procedure: the order in which it takes messages, the skin's
// borders as the non-client area, the hit test, the caption buttons and menu-bar items as
// mouse targets, system commands and the right-click system menu.
#include <windows.h>

#include <algorithm>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/SysVersion.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

namespace {

bool IsNT4OrOlder() { return Win32Platform == VER_PLATFORM_WIN32_NT && Win32MajorVersion < 5; }

TPoint LParamPoint(LPARAM l) {
    return TPoint{static_cast<int16_t>(LOWORD(static_cast<DWORD_PTR>(l))),
                  static_cast<int16_t>(HIWORD(static_cast<DWORD_PTR>(l)))};
}

bool Contains(const TRect& r, TPoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

// --- mouse targets

void TNCObject::MouseDown() {
    if (Form->HotObject && Form->HotObject != this) Form->HotObject->MouseLeave();
    if (!Visible) return;
    Form->HotObject = this;
    State = 2;
    Paint();
}

void TNCObject::MouseUp() {
    if (!Visible) return;
    State = 3;
    Paint();
}

void TNCObject::MouseEnter() {
    if (Form->HotObject == this) return;
    if (Form->HotObject) Form->HotObject->MouseLeave();
    if (!Visible) return;
    Form->HotObject = this;
    State = 3;
    Paint();
}

void TNCObject::MouseLeave() {
    if (!Visible) return;
    if (Form->HotObject == this) Form->HotObject = nullptr;
    State = 1;
    Paint();
}

TPoint TTinselForm::FramePoint(TPoint screen) {
    POINT p{screen.x, screen.y};
    ScreenToClient(Handle, &p);
    if (!(Kind == fkMDIChild && ShowStateValue == ssMinimized)) {
        p.x += BorderLeft;
        p.y += BorderTop + MenuBarHeight;
    }
    return TPoint{p.x, p.y};
}

TNCObject* TTinselForm::ObjectAt(TPoint frame) {
    for (auto& b : SysButtons)
        if (b->Visible && b->Record->Action >= 0 && Contains(b->Rect, frame)) return b.get();
    if (MenuBar) return MenuBar->ItemAt(frame);
    return nullptr;
}

// --- the dispatch

LRESULT TTinselForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    TDepthGuard depth(FDepth);
    switch (msg) {
        case WM_SKIN_QUERY: return 1;
        case WM_SKIN_ACTIVATE: Activate(); return 0;
        case WM_SKIN_RESKINSCROLL: ReskinScrollControl(reinterpret_cast<HWND>(wParam)); return 0;
        case WM_NCPAINT:
            if (LifeState == lsAttaching) return 0;
            break;
        case WM_ERASEBKGND: {
            LRESULT r = CallOld(msg, wParam, lParam);
            if (!Form && SkinData && SkinData->ButtonFaceBrush) {
                RECT c;
                GetClientRect(Handle, &c);
                FillRect(reinterpret_cast<HDC>(wParam), &c, SkinData->ButtonFaceBrush);
                r = 1;
            }
            return r;
        }
        case WM_NCDESTROY: {
            LifeState = lsDestroying;
            Release();
            const LRESULT r = CallOld(msg, wParam, lParam);
            LifeState = lsDead;
            return r;
        }
        case WM_NCACTIVATE:
            if (LifeState == lsAttaching && Kind != fkMDIChild) return 0;
            if (!FrameSkinned) return CallOld(msg, wParam, lParam);
            break;
        case 0xAE:  // the themed caption's drawing: ours draws it
            return 0;
        case WM_MENUSELECT: MenuHookSelect(this, wParam, lParam); return CallOld(msg, wParam, lParam);
        case WM_INITMENUPOPUP:
            if (SkinManager) SkinManager->PopupMode = reinterpret_cast<HMENU>(wParam) == SystemMenu ? 2 : 1;
            return CallOld(msg, wParam, lParam);
        case WM_CTLCOLORBTN: {
            const LRESULT r = CallOld(msg, wParam, lParam);
            if (!Form) SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return r;
        }
        case WM_CTLCOLORSTATIC: {
            const LRESULT r = CallOld(msg, wParam, lParam);
            if (Form || !SkinData || !SkinData->ButtonFaceBrush) return r;
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(SkinData->ButtonFaceBrush);
        }
        default: break;
    }
    if (!FrameSkinned || !FSubclass.Attached()) return CallOld(msg, wParam, lParam);

    LRESULT result = 0;
    bool passOn = false;
    if (FrameStage(msg, wParam, lParam, result, passOn)) return result;
    if (LifeState != lsAttaching && !(Kind == fkMDIChild && ShowStateValue == ssMaximized)) {
        if (NonClientStage(msg, wParam, lParam, result)) return result;
    }
    return passOn ? CallOld(msg, wParam, lParam) : 0;
}

bool TTinselForm::FrameStage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, bool& passOn) {
    if (Child && Kind != fkMDIChild) {
        result = CallOld(msg, wParam, lParam);
        return true;
    }
    switch (msg) {
        case WM_COMMAND: {
            const UINT id = LOWORD(wParam);
            switch (id) {
                case SC_SIZE:
                case SC_MOVE:
                case SC_MINIMIZE:
                case SC_MAXIMIZE:
                case SC_NEXTWINDOW:
                case SC_PREVWINDOW:
                case SC_CLOSE:
                case SC_RESTORE:
                    PostMessageA(Handle, WM_SYSCOMMAND, id, 0);
                    result = 0;
                    return true;
                default: result = CallOld(msg, wParam, lParam); return true;
            }
        }
        case WM_GETMINMAXINFO:
            result = CallOld(msg, wParam, lParam);
            ReadShowState();
            SetCaptionStyle(ShowStateValue == ssMinimized || (Kind == fkMDIChild && ShowStateValue == ssMaximized));
            return true;
        case WM_SIZE:
            SizeHandler(wParam, lParam);
            result = 0;
            return true;
        case WM_ACTIVATE:
        case WM_NCACTIVATE:
            ActiveFlag = static_cast<uint8_t>(LOBYTE(LOWORD(wParam)) ? 1 : 0);
            passOn = true;
            return false;
        case WM_WINDOWPOSCHANGED:
            ReadShowState();
            result = CallOld(msg, wParam, lParam);
            return true;
        case WM_SYSCOMMAND:
            if (SysCommand(wParam, lParam, result)) return true;
            result = CallOld(msg, wParam, lParam);
            return true;
        case WM_SKIN_MENUAT: {
            TNCObject* o = ObjectAt(FramePoint(LParamPoint(lParam)));
            if (auto* item = dynamic_cast<TMenuBtn*>(o)) OpenMenuButton(item);
            result = 0;
            return true;
        }
        case CM_MENUCHANGED: {
            const bool enabled = SkinData->NCPaintEnabled;
            SkinData->NCPaintEnabled = false;
            result = CallOld(msg, wParam, lParam);
            SkinData->NCPaintEnabled = enabled;
            if (LifeState == lsDead || !FSubclass.Attached()) return true;
            if (GetMenu(Handle)) {
                if (MenuBar && SkinData->MenuUpdate()) MenuBar->ReloadItems();
                SetMenu(Handle, nullptr);
                if (LifeState == lsActive) PaintFrame(0);
            }
            return true;
        }
        default: passOn = true; return false;
    }
}

bool TTinselForm::NonClientStage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_NCACTIVATE: result = NCActivate(wParam, lParam); return true;
        case WM_WINDOWPOSCHANGING: result = CallOld(msg, wParam, lParam); return true;
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            result = 0;
            if (MenuItemMessage(msg, wParam, lParam, result)) return true;
            result = CallOld(msg, wParam, lParam);
            return true;
        case WM_NCCALCSIZE: result = NCCalcSize(wParam, lParam); return true;
        case WM_NCHITTEST: result = NCHitTest(wParam, lParam); return true;
        case WM_NCPAINT:
            SetSysMenuStyle(true);
            result = 0;
            if (SkinData->NCPaintEnabled) {
                if ((Kind == fkMDIChild && ShowStateValue == ssMaximized) || BorderClassValue == bcNoCaption)
                    result = CallOld(msg, wParam, lParam);
                else
                    PaintFrame(nullptr);
            }
            return true;
        case WM_NCMOUSEMOVE:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
            if (NCMouse(msg, wParam, lParam, result)) return true;
            result = CallOld(msg, wParam, lParam);
            return true;
        case WM_SKIN_NCREPAINT:
            PaintFrame(nullptr);
            result = 0;
            return true;
        default: return false;
    }
}

LRESULT TTinselForm::NCCalcSize(WPARAM wParam, LPARAM lParam) {
    CallOld(WM_NCCALCSIZE, wParam, lParam);
    if (!wParam) return 0;
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
    if ((Kind == fkMDIChild && ShowStateValue != ssNormal) || BorderClassValue == bcNoCaption) {
        params->rgrc[1] = params->rgrc[0];
        return WVR_REDRAW;
    }
    const WINDOWPOS* pos = params->lppos;
    RECT client{pos->x + BorderLeft, pos->y + BorderTop + MenuBarHeight, pos->x + pos->cx - BorderRight,
                pos->y + pos->cy - BorderBottom};
    // A window smaller than its borders (minimised) gets an empty client area inside it,
    // never a negative one.
    const LONG right = pos->x + std::max(pos->cx, 0), bottom = pos->y + std::max(pos->cy, 0);
    client.left = std::min(client.left, right);
    client.top = std::min(client.top, bottom);
    client.right = std::clamp(client.right, client.left, right);
    client.bottom = std::clamp(client.bottom, client.top, bottom);
    params->rgrc[0] = client;
    params->rgrc[1] = client;
    return WVR_REDRAW;
}

LRESULT TTinselForm::NCHitTest(WPARAM wParam, LPARAM lParam) {
    LRESULT r = CallOld(WM_NCHITTEST, wParam, lParam);
    if (r != HTNOWHERE && r != HTCAPTION) return r;
    const TPoint p = FramePoint(LParamPoint(lParam));
    if (p.y > 3) r = HTCAPTION;
    // The menu strip only: below it is the client area the system answered for.
    if (MenuBarHeight > 0 && p.y >= BorderTop && p.y < BorderTop + MenuBarHeight) r = HTMENU;
    return r;
}

LRESULT TTinselForm::NCActivate(WPARAM wParam, LPARAM) {
    ActiveFlag = wParam ? 1 : 0;
    if (FHoverTimer) FHoverTimer->SetEnabled(wParam != 0);
    if (Kind == fkMDIFrame && MDIClient) SendMessageA(MDIClient, WM_NCACTIVATE, wParam, 0);
    if (Kind == fkMDIChild) CallOld(WM_NCACTIVATE, wParam, 0);
    if (!(Kind == fkMDIChild && ShowStateValue == ssMaximized)) PaintFrame(nullptr);
    return 1;
}

void TTinselForm::SizeHandler(WPARAM wParam, LPARAM lParam) {
    CallOld(WM_SIZE, wParam, lParam);
    if (LifeState == lsDead || !FSubclass.Attached()) return;
    switch (wParam) {
        case SIZE_RESTORED: ShowStateValue = ssNormal; break;
        case SIZE_MINIMIZED: ShowStateValue = ssMinimized; break;
        case SIZE_MAXIMIZED: ShowStateValue = ssMaximized; break;
        default: break;
    }
    if (ShowStateValue == ssMinimized) return;
    if (Kind == fkMDIChild && ((SkinManager && SkinManager->MDIMaximized) || ShowStateValue != ssNormal)) return;
    if (LifeState == lsActive || LifeState == lsSkinChanging) UpdateRegion();
}

bool TTinselForm::NCMouse(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const TPoint screen = LParamPoint(lParam);
    const TPoint frame = FramePoint(screen);
    result = 0;
    switch (msg) {
        case WM_NCMOUSEMOVE: {
            if (!ActiveFlag) return true;
            if (TNCObject* o = ObjectAt(frame)) {
                o->MouseEnter();
                return true;
            }
            if (HotObject) HotObject->MouseLeave();
            return false;
        }
        case WM_NCLBUTTONDOWN: {
            if (TNCObject* o = ObjectAt(frame)) {
                if (!ActiveFlag) SetForegroundWindow(Handle);
                o->MouseDown();
                if (auto* item = dynamic_cast<TMenuBtn*>(o)) OpenMenuButton(item);
                return true;
            }
            if (ShowStateValue == ssMaximized && ActiveFlag && wParam == HTCAPTION) {
                result = CallOld(msg, HTMENU, lParam);
                return true;
            }
            return false;
        }
        case WM_NCLBUTTONUP: {
            TNCObject* o = ObjectAt(frame);
            if (!o) return false;
            if (auto* b = dynamic_cast<TWinSysButton*>(o); b && b == HotObject) {
                b->MouseUp();
                ButtonClick(b);
            }
            return true;
        }
        case WM_NCLBUTTONDBLCLK: {
            TWinSysButton* button = nullptr;
            for (auto& b : SysButtons)
                if (b->Visible && b->Record->Action >= 0 && Contains(b->Rect, frame)) {
                    button = b.get();
                    break;
                }
            if (button) {
                if (button->Record->Action == 3 || button->Record->Action == 11) {
                    if (FHoverTimer) FHoverTimer->SetEnabled(false);
                    PostMessageA(Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
                }
                return true;
            }
            if (ShowStateValue != ssNormal) {
                Restore();
                return true;
            }
            if (ButtonSet & sbMaximize) {
                ToggleMaximize();
                return true;
            }
            return false;
        }
        case WM_NCRBUTTONDOWN:
            if (wParam == HTCAPTION && Kind != fkMDIChild) {
                ShowSystemPopup(screen.x, screen.y);
                return true;
            }
            return false;
        default: return false;
    }
}

bool TTinselForm::SysCommand(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const UINT command = static_cast<UINT>(wParam) & 0xFFF0;
    if (!MenuTracking && command == SC_KEYMENU) {
        const auto key = static_cast<wchar_t>(lParam);
        if (key != L' ' && key != L'-' && !GetCapture()) {
            TMenuBtn* item = nullptr;
            if (key == 0)
                item = MenuBar ? MenuBar->Item(0) : nullptr;
            else if (MenuBar)
                item = MenuBar->ItemOfKey(key);
            if (key == 0 || item) {
                if (item) OpenMenuButton(item);
                result = 1;
                return true;
            }
        } else if (key == L' ') {
            POINT p{0, 0};
            ClientToScreen(Handle, &p);
            ShowSystemPopup(p.x, p.y);
            result = 0;
            return true;
        }
    }
    switch (command) {
        case SC_MINIMIZE:
            ShowStateValue = ssMinimized;
            if (Kind == fkMDIChild) SetCaptionStyle(true);
            break;
        case SC_MAXIMIZE: ShowStateValue = ssMaximized; break;
        case SC_RESTORE:
            ShowStateValue = ssNormal;
            if (Kind == fkMDIChild) {
                SetCaptionStyle(false);
                if (SkinManager && SkinManager->MDIMaximized) SkinManager->SetCaptionActive(false);
            }
            break;
        default: break;
    }
    return false;
}

void TTinselForm::ButtonClick(TWinSysButton* button) {
    const int32_t kind = button->Record->Action;
    auto toActiveChild = [this](UINT command) {
        if (Kind != fkMDIFrame || !MDIClient) return;
        if (HWND child = reinterpret_cast<HWND>(SendMessageA(MDIClient, WM_MDIGETACTIVE, 0, 0)))
            SendMessageA(child, WM_SYSCOMMAND, command, 0);
    };
    switch (kind) {
        case 0:
            if (IsNT4OrOlder() || (SystemMenu && GetMenuState(SystemMenu, SC_CLOSE, MF_BYCOMMAND) != 0xFFFFFFFFu)) {
                if (FHoverTimer) FHoverTimer->SetEnabled(false);
                PostMessageA(Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            }
            break;
        case 1:
        case 22: ToggleMaximize(); break;
        case 2:
        case 23: ToggleMinimize(); break;
        case 3:
        case 11:
        case 12: {
            POINT p;
            GetCursorPos(&p);
            ShowSystemPopup(p.x + 1, p.y + 1);
            break;
        }
        case 7:
        case 60: toActiveChild(SC_MINIMIZE); break;
        case 8:
        case 61: toActiveChild(SC_RESTORE); break;
        case 9:
        case 62: toActiveChild(SC_CLOSE); break;
        default: PostMessageA(Handle, WM_SKIN_SYSBUTTON, static_cast<WPARAM>(kind), 0); break;
    }
}

void TTinselForm::ToggleMaximize() {
    if (ShowStateValue == ssMaximized) {
        Restore();
        return;
    }
    if (Kind == fkMDIChild && SkinManager) SkinManager->SetCaptionActive(true);
    ShowStateValue = ssMaximized;
    PostMessageA(Handle, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    HotObject = nullptr;
}

void TTinselForm::ToggleMinimize() {
    if (ShowStateValue == ssMinimized) {
        Restore();
        return;
    }
    ShowStateValue = ssMinimized;
    SetSysMenuStyle(false);
    PostMessageA(Handle, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TTinselForm::Restore() {
    ShowStateValue = ssNormal;
    PostMessageA(Handle, WM_SYSCOMMAND, SC_RESTORE, 0);
}

void TTinselForm::HoverCheck(TObject*) {
    if (MenuTracking || !HotObject) return;
    POINT p;
    GetCursorPos(&p);
    if (!Contains(HotObject->Rect, FramePoint(TPoint{p.x, p.y}))) HotObject->MouseLeave();
}

// --- the right-click system menu

void TTinselForm::ShowSystemPopup(int x, int y) {
    const DWORD now = GetTickCount();
    if (FPopupShown && now - FLastPopupTick <= FDoubleClickTime) {
        // A second click within the double-click time: on an icon button it closes.
        if (HotObject) {
            if (FHoverTimer) FHoverTimer->SetEnabled(false);
            PostMessageA(Handle, WM_CLOSE, 0, 0);
        }
        return;
    }
    if (!IsNT4OrOlder() && !SystemMenu) return;
    if (SkinManager) SkinManager->PopupMode = 2;
    FLastPopupTick = now;
    FPopupShown = true;
    FSysPopup = std::make_unique<TPopupMenu>(nullptr);
    TPopupMenu* popup = FSysPopup.get();
    if (SkinData && SkinData->MenuGlyphs) popup->SetImages(SkinData->MenuGlyphs.get());
    // Without a [MenuItem] element the plain skinned painter draws the items.
    const bool withHandlers = SkinData != nullptr;
    popup->SetOwnerDraw(withHandlers);
    const HWND wnd = Handle;
    auto add = [&](const std::string& caption, int32_t tag, int32_t image, bool enabled, bool checked,
                   std::function<void()> click) {
        auto* item = new TMenuItem(popup);
        item->SetCaption(caption);
        item->SetTag(tag);
        item->SetImageIndex(image);
        item->SetEnabled(enabled);
        item->SetChecked(checked);
        if (click) item->OnClick = TNotifyEvent([click](TObject*) { click(); });
        if (withHandlers) {
            item->OnDrawItem = TMenuDrawItemEvent(this, &TTinselForm::DrawMenuItem);
            item->OnMeasureItem = TMenuMeasureItemEvent(this, &TTinselForm::MeasurePopupItem);
        }
        popup->Items()->Add(item);
        return item;
    };
    if (IsNT4OrOlder()) {
        add(" Restore ", 0, 0, true, false, [this] { Restore(); });
        if (ButtonSet & sbMaximize) add(" Maximize ", 1, 1, true, false, [this] { ToggleMaximize(); });
        if (ButtonSet & sbMinimize) add(" Minimize ", 2, 2, true, false, [this] { ToggleMinimize(); });
        add("-", 100, 100, true, false, nullptr);
        TMenuItem* close = add(" Close ", 3, 3, true, false, [this, wnd] {
            if (FHoverTimer) FHoverTimer->SetEnabled(false);
            PostMessageA(wnd, WM_CLOSE, 0, 0);
        });
        close->SetShortCut(TextToShortCut("ALT+F4"));
    } else {
        const int count = GetMenuItemCount(SystemMenu);
        for (int i = 0; i < count; ++i) {
            char text[81] = {};
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
            info.dwTypeData = text;
            info.cch = 80;
            if (!GetMenuItemInfoA(SystemMenu, static_cast<UINT>(i), TRUE, &info)) continue;
            const std::string caption = text[0] ? std::string(text) : std::string("-");
            const UINT id = info.wID;
            bool enabled = true;
            int32_t image = -1;
            switch (id) {
                case SC_SIZE:
                case SC_MOVE: enabled = ShowStateValue != ssMaximized; break;
                case SC_MINIMIZE:
                    image = 2;
                    enabled = ShowStateValue != ssMinimized && (ButtonSet & sbMinimize);
                    break;
                case SC_MAXIMIZE:
                    image = 1;
                    enabled = ShowStateValue != ssMaximized && (ButtonSet & sbMaximize);
                    break;
                case SC_CLOSE: image = 3; break;
                case SC_RESTORE:
                    image = 0;
                    enabled = ShowStateValue != ssNormal;
                    break;
                default: break;
            }
            if (info.fState == MFS_DISABLED) enabled = false;
            add(caption, static_cast<int32_t>(id), image, enabled, (info.fState & MFS_CHECKED) != 0,
                [wnd, id] { PostMessageA(wnd, WM_SYSCOMMAND, id, 0); });
        }
    }
    TDepthGuard loop(FPopupLoops);
    popup->Popup(x, y);
}

// --- the menu bar's drop-downs

bool TTinselForm::OpenMenuButton(TMenuBtn* item) {
    if (!item || !MenuBar) return false;
    if (MenuTracking) {
        // Asked from inside the running menu loop: end it, the loop below opens this one.
        FPendingOpen = item->Index;
        EndMenu();
        return true;
    }
    int32_t index = item->Index;
    bool opened = false;
    while (index >= 0) {
        TMenuBtn* it = MenuBar ? MenuBar->Item(index) : nullptr;
        if (!it) break;
        PostMessageA(Handle, WM_COMMAND, it->Command, 0);
        if (!it->DropDown) break;
        SetMenuHookTarget(this, index);
        if (!IsNT4OrOlder() && SkinData) MakeMenuOwnerDraw(it->DropDown);
        MenuTracking = true;
        RECT w{};
        GetWindowRect(Handle, &w);
        const int x = (RightToLeft ? it->Rect.right : it->Rect.left) + w.left;
        const int y = it->Rect.bottom + w.top;
        if (SkinManager) SkinManager->PopupMode = 1;
        const HMENU dropDown = it->DropDown;
        OpenMenu = dropDown;
        const bool enabled = it->Enabled;
        if (HotObject != it) it->MouseDown();
        FPendingOpen = -1;
        InstallMenuHook();
        if (enabled)
            TrackPopupMenu(dropDown, TPM_NONOTIFY | TPM_RIGHTBUTTON | (RightToLeft ? TPM_RIGHTALIGN : 0), x, y, 0,
                           Handle, nullptr);
        RemoveMenuHook();
        MenuTracking = false;
        OpenMenu = nullptr;
        opened = true;
        // The skin may have been taken off meanwhile.
        if (LifeState == lsDead || !MenuBar) break;
        if (TMenuBtn* still = MenuBar->Item(index); still && HotObject == still) still->MouseLeave();
        index = FPendingOpen;
        FPendingOpen = -1;
    }
    return opened;
}
