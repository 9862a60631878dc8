// The form skin's object: attaching and detaching, activation, fitting the window to the
// skin's borders, the metrics and caption buttons, skin changes and the form hook.
#include <windows.h>

#include <algorithm>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/SysVersion.h"
#include "classlib/TypInfo.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"
#include "skin/WinSubClass.h"

DP_PUBLISHED(TTinselForm){};

// Lives in the form's component list so that the form tells the skin it is going while
// the form is still whole (its owned components go before its window).
class TSkinFormAnchor : public TComponent {
public:
    TSkinFormAnchor(TComponent* owner, TTinselForm* skin) : TComponent(owner), Skin(skin) {}
    ~TSkinFormAnchor() override {
        if (Skin) Skin->FormFreed();
    }
    TTinselForm* Skin;
};

namespace {

std::string ClassNameOf(HWND wnd) {
    char name[101] = {};
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

}  // namespace

std::wstring GetWindowTextWide(HWND wnd) {
    if (!SkinPlatformNT()) {
        // The wide calls do nothing there: the text as the window gives it, converted.
        char buffer[1000] = {};
        const LRESULT got = SendMessageA(wnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        return AnsiToWide(
            std::string(buffer, got > 0 ? std::min<size_t>(static_cast<size_t>(got), sizeof buffer - 1) : 0));
    }
    const int n = GetWindowTextLengthW(wnd);
    if (n <= 0) return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(wnd, text.data(), n + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

TTinselForm::TTinselForm(TComponent* owner)
    : TComponent(owner),
      IconBitmap(std::make_unique<TBitmap>()),
      CaptionFont(std::make_unique<TFont>()),
      FTitleBuffer(std::make_unique<TBitmap>()),
      FControlCanvas(std::make_unique<TCanvas>()) {
    FDoubleClickTime = GetDoubleClickTime();
    MakeCaptionFont();
}

TTinselForm::~TTinselForm() {
    DetachAll(false);
    ClearSysButtons();
    if (FCheckBitmap) DeleteObject(FCheckBitmap);
}

void TTinselForm::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && MenuBar) MenuBar->MenuObjectGone(component);
}

void TTinselForm::MakeCaptionFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        CaptionFont->SetHandle(CreateFontIndirectA(&metrics.lfCaptionFont));
}

uint32_t TTinselForm::Style() const { return static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_STYLE)); }

void TTinselForm::ReadShowState() {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(Handle, &wp)) return;
    if (IsIconic(Handle) || wp.showCmd == SW_SHOWMINIMIZED || wp.showCmd == SW_MINIMIZE ||
        wp.showCmd == SW_SHOWMINNOACTIVE)
        ShowStateValue = ssMinimized;
    else if (IsZoomed(Handle) || wp.showCmd == SW_SHOWMAXIMIZED)
        ShowStateValue = ssMaximized;
    else
        ShowStateValue = ssNormal;
}

void TTinselForm::SkinFormObject(TSkinData* data, TCustomForm* form) {
    Form = form;
    if (data->OnBeforeSkinForm()) data->OnBeforeSkinForm()(form, Handle, Name());
    if (data->SkinControls().Contains(xcMenuItem)) SetEnumProp(form, "AutoScroll", "False");
    AttachWindow(data);
    FAnchor = new TSkinFormAnchor(form, this);
    if (FrameSkinned && FSubclass.Attached()) {
        FOldWindowProc = form->WindowProc;
        form->WindowProc = [this](TMessage& m) { FormHook(m); };
        FFormHooked = true;
    }
    FOldColor = form->Color();
    FColorSaved = true;
    form->SetColor(data->Colours.ButtonFace);
    // The system's bar with the skin's drop-down items.
    if (data->SkinControls().Contains(xcMenuItem)) SetMainMenusOwnerDraw(form, true);
}

void TTinselForm::SkinHandle(TSkinData* data) { AttachWindow(data); }

void TTinselForm::AttachWindow(TSkinData* data) {
    if (FSubclass.Attached()) return;
    if (SkinManager) SkinManager->State = 1;
    SkinData = data;
    FHoverTimer = std::make_unique<TTimer>(nullptr);
    FHoverTimer->SetEnabled(false);
    FHoverTimer->SetInterval(250);
    FHoverTimer->OnTimer = TNotifyEvent(this, &TTinselForm::HoverCheck);

    FrameSkinned = data->SkinControls().Contains(xcMainMenu);
    const uint32_t style = Style();
    const auto exStyle = static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_EXSTYLE));
    RightToLeft = (exStyle & WS_EX_LEFTSCROLLBAR) != 0;
    Child = (style & WS_CHILD) != 0;
    if (WindowClassName.empty()) WindowClassName = ClassNameOf(Handle);
    Owner = GetWindow(Handle, GW_OWNER);

    ButtonSet = 0;
    if ((style & WS_SYSMENU) || SystemMenu) ButtonSet |= sbSystemMenu;
    if (style & WS_MINIMIZEBOX) ButtonSet |= sbMinimize;
    if (style & WS_MAXIMIZEBOX) ButtonSet |= sbMaximize;
    ReadShowState();
    ThickFrame = (style & WS_THICKFRAME) != 0;

    Kind = fkNormal;
    for (HWND c = GetTopWindow(Handle); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (ClassNameOf(c) == "MDIClient") {
            Kind = fkMDIFrame;
            MDIClient = c;
            if (SkinManager) {
                SkinManager->MDIClientWindow = c;
                SkinManager->MDIFrameForm = Form;
            }
            break;
        }
    }
    if (exStyle & WS_EX_MDICHILD) {
        Kind = fkMDIChild;
        if (data->Options().Contains(xoMDIChildBorder)) FrameSkinned = false;
    }

    BorderClassValue = bcSingle;
    if ((style & WS_CAPTION) != WS_CAPTION)
        BorderClassValue = bcNoCaption;
    else if (style & WS_THICKFRAME)
        BorderClassValue = bcSizable;
    else if (style & DS_MODALFRAME)
        BorderClassValue = bcDialog;
    if (exStyle & WS_EX_DLGMODALFRAME) BorderClassValue = bcDialog;

    if ((exStyle & WS_EX_APPWINDOW) && Win32Platform == VER_PLATFORM_WIN32_NT && Win32MajorVersion == 5 &&
        Win32MinorVersion == 0)
        ButtonSet |= sbNoCaption;
    if (!Owner && Kind != fkMDIChild && Win32MajorVersion > 4 && Win32MinorVersion == 0) ButtonSet |= sbNoCaption;

    Unicode = IsWindowUnicode(Handle) != FALSE;
    Dialog = WindowClassName == "#32770" || WindowClassName == "TMessageForm";
    if (Dialog) BorderClassValue = bcDialog;

    if (Kind == fkMDIFrame) {
        FSavedMenuUpdate = data->MenuUpdate();
        HookMDIClient();
    }
    if (!FSubclass.Attach(Handle, [this](UINT m, WPARAM w, LPARAM l) { return WndProc(m, w, l); })) {
        LifeState = lsDead;
        return;
    }

    if (FrameSkinned) {
        WindowMenu = GetMenu(Handle);
        if (WindowMenu && Kind != fkMDIChild) {
            MenuBar = std::make_unique<TTinselMenu>(this, data);
            MenuBarHeight = GetSystemMetrics(SM_CYMENU);
            MenuBar->LoadItems();
        }
        if (!((Kind == fkMDIChild && SkinManager && SkinManager->MDIMaximized) || ShowStateValue == ssMinimized))
            SetCaptionStyle(false);
        LoadSkinMetrics();
    } else {
        LifeState = lsActive;
    }
    if (Kind == fkMDIChild) {
        const int32_t wanted = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CXFRAME);
        if (BorderTop < wanted) MenuBarHeight = wanted - BorderTop;
        if (ShowStateValue == ssMaximized && SkinManager && !SkinManager->MDIMaximized)
            SkinManager->SetCaptionActive(true);
    }
}

void TTinselForm::Activate() {
    SystemMenu = GetSystemMenu(Handle, FALSE);
    LoadIconBitmap();
    RECT c{}, w{};
    GetClientRect(Handle, &c);
    GetWindowRect(Handle, &w);
    ClientRectValue = c;
    if (LifeState == lsAttaching) {
        SysFrameWidth = (w.right - w.left) - (c.right - c.left);
        SysFrameHeight = (w.bottom - w.top) - (c.bottom - c.top);
    }
    if (LifeState == lsAttaching) {
        ReadShowState();
        if (Kind == fkMDIChild) {
            if (ShowStateValue == ssMaximized) {
                if (SkinManager && SkinManager->MDIClientWindow)
                    PostMessageA(SkinManager->MDIClientWindow, WM_SKIN_MDIREDRAW, reinterpret_cast<WPARAM>(Handle), 0);
            } else if (ShowStateValue == ssMinimized) {
                SetCaptionStyle(true);
            } else {
                LifeState = lsFitting;
                FitWindowToSkin(false);
                LifeState = lsActive;
                UpdateRegion();
            }
        } else if (!Child && BorderClassValue != bcNoCaption && ShowStateValue != ssMinimized) {
            LifeState = lsFitting;
            FitWindowToSkin(false);
            LifeState = lsActive;
            if (ShowStateValue == ssMaximized)
                FrameChanged();
            else
                UpdateRegion();
        }
    }
    if (Form)
        SkinAllControls(Form);
    else
        SkinChildWindows(Handle);
    SendMessageA(Handle, WM_SKIN_APPLIED, 0, SKIN_MARKER);
    if (SkinData && SkinData->OnAfterSkinForm()) SkinData->OnAfterSkinForm()(Form, Handle, Name());
    LifeState = lsActive;
    if (FHoverTimer) FHoverTimer->SetEnabled(true);
}

void TTinselForm::FitWindowToSkin(bool keepClient) {
    if (ShowStateValue == ssMaximized) {
        FrameChanged();
        return;
    }
    RECT w{};
    GetWindowRect(Handle, &w);
    if (Dialog || LifeState == lsSkinChanging) {
        RECT c{};
        GetClientRect(Handle, &c);
        ClientRectValue = c;
    }
    int32_t width = RectWidth(ClientRectValue) + BorderLeft + BorderRight;
    int32_t clientHeight = RectHeight(ClientRectValue);
    if (keepClient) {
        RECT c{};
        GetClientRect(Handle, &c);
        ClientRectValue = c;
        width = RectWidth(ClientRectValue) + BorderLeft + BorderRight;
        clientHeight = RectHeight(ClientRectValue);
    } else if (Form) {
        width = Form->ClientWidth() + BorderLeft + BorderRight;
        clientHeight = Kind == fkMDIChild ? Form->ClientHeight() : Form->ClientHeight() - MenuBarHeight;
    }
    const int32_t height = clientHeight + BorderTop + BorderBottom + MenuBarHeight;
    if (Dialog && !keepClient && SkinData) {
        const std::wstring caption = GetWindowTextWide(Handle);
        int32_t textWidth = 0;
        if (HDC dc = GetWindowDC(Handle)) {
            HGDIOBJ old = SelectObject(dc, CaptionFont->Handle());
            SIZE size{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            textWidth = size.cx;
            SelectObject(dc, old);
            ReleaseDC(Handle, dc);
        }
        const int32_t needed = SkinData->Title->Margins.left + textWidth + SkinData->Title->Margins.right;
        if (width < needed) {
            const int32_t shift = (needed - width) / 2;
            for (HWND c = GetTopWindow(Handle); c; c = GetWindow(c, GW_HWNDNEXT)) {
                RECT r{};
                GetWindowRect(c, &r);
                POINT p{r.left, r.top};
                ScreenToClient(Handle, &p);
                SetWindowPos(c, nullptr, p.x + shift, p.y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING | SWP_NOACTIVATE);
            }
            width = needed;
        }
    }
    SetWindowPos(Handle, nullptr, w.left, w.top, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TTinselForm::LoadSkinMetrics() {
    if (!SkinData || SkinData->SkinEmpty) return;
    if (BorderClassValue == bcNoCaption) {
        BorderLeft = BorderTop = BorderRight = BorderBottom = 0;
        MenuBarHeight = 0;
    } else {
        auto side = [](const TDataSkinBorder* b, bool vertical) {
            if (!b || !b->Bitmap || b->Bitmap->Empty() || b->Frames < 1) return 0;
            return vertical ? b->Bitmap->Height() / b->Frames : b->Bitmap->Width() / b->Frames;
        };
        BorderLeft = side(SkinData->Borders[0].get(), false);
        BorderRight = side(SkinData->Borders[1].get(), false);
        BorderTop = side(SkinData->Borders[2].get(), true);
        BorderBottom = side(SkinData->Borders[3].get(), true);
    }
    ClearSysButtons();
    for (auto& record : SkinData->SysButtons) {
        SysButtons.push_back(std::make_unique<TWinSysButton>(this, record.get()));
        if (record->Action == 3 || record->Action == 11) {
            LoadIconBitmap();
            if (record->Bitmap->Empty()) CopyBitmap(IconBitmap.get(), record->Bitmap.get());
            if (SkinData->AppIcon->Empty()) CopyBitmap(IconBitmap.get(), SkinData->AppIcon.get());
            record->Frames = 1;
        }
    }
}

void TTinselForm::ClearSysButtons() {
    HotObject = nullptr;
    SysButtons.clear();
    ClearPieceCache();
}

void TTinselForm::FrameChanged() {
    SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TTinselForm::SetCaptionStyle(bool add) {
    if (!(ButtonSet & sbNoCaption)) return;
    LONG_PTR style = GetWindowLongPtrA(Handle, GWL_STYLE);
    style = add ? (style | WS_CAPTION) : (style & ~static_cast<LONG_PTR>(WS_CAPTION));
    SetWindowLongPtrA(Handle, GWL_STYLE, style);
}

void TTinselForm::SetSysMenuStyle(bool remove) {
    if (ButtonSet & sbNoCaption) return;
    LONG_PTR style = GetWindowLongPtrA(Handle, GWL_STYLE);
    if (remove || SystemMenu) {
        const LONG_PTR changed = remove ? (style & ~static_cast<LONG_PTR>(WS_SYSMENU)) : (style | WS_SYSMENU);
        if (changed != style) SetWindowLongPtrA(Handle, GWL_STYLE, changed);
    }
}

void TTinselForm::RepaintWindow(HWND wnd) {
    if (!wnd || !IsWindow(wnd)) return;
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
}

void TTinselForm::SkinChanged() {
    if (Form && SkinData) {
        Form->SetColor(SkinData->Colours.ButtonFace);
        for (int i = 0; i < Form->ComponentCount(); ++i)
            if (auto* f = DynamicAs<TCustomForm>(Form->Components(i))) f->SetColor(SkinData->Colours.ButtonFace);
    }
    LifeState = lsSkinChanging;
    if (FrameSkinned && Form) {
        FitWindowToSkin(true);
        Form->SetHeight(Form->Height() + 1);
        Form->SetHeight(Form->Height() - 1);
    }
    for (TSkinControl* skin : std::vector<TSkinControl*>(ControlSkins)) {
        skin->SkinData = SkinData;
        skin->SkinChanged();
    }
    if (Form)
        SkinAllControls(Form);
    else
        SkinChildWindows(Handle);
    SendMessageA(Handle, WM_SKIN_APPLIED, 0, SKIN_MARKER);
    if (SkinData && SkinData->OnAfterSkinForm()) SkinData->OnAfterSkinForm()(Form, Handle, Name());
    LifeState = lsActive;
}

// Everything that ties the skin to the window and the form, let go; restoreWindow also
// gives a living window its menu, styles and system frame back.
void TTinselForm::DetachAll(bool restoreWindow) {
    // A pop-up whose loop runs right now goes with this object, later; any other goes with
    // the window, so that no menu item of this skin outlives it.
    if (FPopupLoops == 0) FSysPopup.reset();
    if (FHoverTimer) FHoverTimer->SetEnabled(false);
    FreeControlSkins();
    // The form's menus keep no handler of this object (a form being freed takes its menus along).
    // Only while the window is ours: a skin detached before may have a successor on the form.
    if (Form && FSubclass.Attached() && !Form->ComponentState().Contains(csDestroying)) {
        SetPopupMenusOwnerDraw(Form, false);
        if (SkinData && SkinData->SkinControls().Contains(xcMenuItem)) SetMainMenusOwnerDraw(Form, false);
    }
    if (FAnchor) {
        FAnchor->Skin = nullptr;
        delete FAnchor;
        FAnchor = nullptr;
    }
    if (Form && FFormHooked) {
        Form->WindowProc = FOldWindowProc;
        FFormHooked = false;
    }
    const bool wasSubclassed = FSubclass.Attached();
    FSubclass.Detach();
    UnhookMDIClient();
    if (Form && FColorSaved && restoreWindow && LifeState != lsDestroying) Form->SetColor(FOldColor);
    FColorSaved = false;
    if (restoreWindow && wasSubclassed && FrameSkinned && IsWindow(Handle)) {
        SetSysMenuStyle(false);
        SetCaptionStyle(true);
        if (MenuBar) SetMenu(Handle, MenuBar->MenuHandle());
        MenuBar.reset();
        if (LifeState != lsDestroying && (Kind == fkMDIChild || !Child)) {
            RECT w{};
            GetWindowRect(Handle, &w);
            POINT p{w.left, w.top};
            if (Kind == fkMDIChild) ScreenToClient(GetParent(Handle), &p);
            SetWindowPos(Handle, nullptr, p.x, p.y, (w.right - w.left) + SysFrameWidth - BorderLeft - BorderRight,
                         (w.bottom - w.top) + SysFrameHeight - BorderTop - BorderBottom,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        SetWindowRgn(Handle, nullptr, TRUE);
        RegionPresent = false;
    }
    MenuBar.reset();
}

void TTinselForm::Unskin() {
    DetachAll(true);
    if (LifeState != lsDestroying) LifeState = lsDead;
}

void TTinselForm::Release() { DetachAll(false); }

void TTinselForm::FormFreed() {
    FAnchor = nullptr;
    Release();
    Form = nullptr;
    LifeState = lsDead;
}

// Replaces the form's WindowProc while the frame is skinned.
void TTinselForm::FormHook(TMessage& m) {
    // The form's own handlers run below: one may raise (the class library reports it above).
    TDepthGuard depth(FDepth);
    const TWndMethod old = FOldWindowProc;
    auto passOn = [&] {
        if (old)
            old(m);
        else if (Form)
            Form->WndProc(m);
    };
    switch (m.Msg) {
        case WM_SETTEXT: {
            if (!IsWindowVisible(Handle)) {
                passOn();
                break;
            }
            if (Unicode || Kind == fkMDIChild) {
                passOn();
            } else {
                // The system paints its own caption while setting the text unless redraw is off.
                SendMessageA(Handle, WM_SETREDRAW, FALSE, 0);
                passOn();
                SendMessageA(Handle, WM_SETREDRAW, TRUE, 0);
            }
            ReadShowState();
            if (ShowStateValue == ssMaximized && Kind == fkMDIChild) {
                if (SkinManager && SkinManager->MDIClientWindow)
                    PostMessageA(SkinManager->MDIClientWindow, WM_SKIN_MDIREDRAW, reinterpret_cast<WPARAM>(Handle), 0);
            } else {
                PaintFrame(0);
            }
            break;
        }
        case WM_SKIN_RESKIN: SkinChanged(); break;
        case CM_DIALOGCHAR: {
            passOn();
            if (m.Result) break;
            if (MenuBar && GetKeyState(VK_MENU) < 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
                if (TMenuBtn* item = MenuBar->ItemOfKey(static_cast<wchar_t>(m.WParam))) {
                    POINT p{item->Rect.left + 1, item->Rect.top + 1};
                    RECT w{};
                    GetWindowRect(Handle, &w);
                    PostMessageA(Handle, WM_NCLBUTTONDOWN, 1, MAKELPARAM(w.left + p.x, w.top + p.y));
                    m.Result = 1;
                    break;
                }
            }
            // Not ours: the MDI frame's form, or the main form, may know the key.
            m.Result = 0;
            TCustomForm* other = nullptr;
            if (Kind == fkMDIChild)
                other = SkinManager ? SkinManager->MDIFrameForm : nullptr;
            else if (Application && Application->MainForm() != Form)
                other = Application->MainForm();
            if (other && other != Form && other->HandleAllocated())
                m.Result = other->Perform(CM_DIALOGCHAR, m.WParam, m.LParam);
            break;
        }
        case WM_SKIN_PAINTNC:
            if (m.LParam == SKIN_MARKER) {
                if (m.WParam) PaintFrame(reinterpret_cast<HDC>(m.WParam));
                m.Result = SKIN_MARKER;
            }
            break;
        case WM_SKIN_PING: m.Result = m.LParam == SKIN_MARKER ? SKIN_MARKER : 1; break;
        case CM_RECREATEWND: {
            // The old window goes (and this skin with it); the new one is skinned afresh.
            TCustomForm* form = Form;
            passOn();
            if (form && form->HandleAllocated() && SkinManager && SkinManager->Enabled)
                SkinManager->SkinWindow(form->Handle());
            break;
        }
        default: passOn(); break;
    }
}
