#include "classlib/Forms.h"

#include <algorithm>
#include <vector>

#include "classlib/Buttons.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/FormReader.h"
#include "classlib/StdCtrls.h"
#include "classlib/WinSys.h"

// Referencing every standard control class keeps its registration linked in,
// so that stored definitions can name classes no code mentions.
extern const TClassInfo* const g_dpStandardControlClasses[];
const TClassInfo* const g_dpStandardControlClasses[] = {&TForm::s_dpClassInfo,
                                                        &TButton::s_dpClassInfo,
                                                        &TBitBtn::s_dpClassInfo,
                                                        &TSpeedButton::s_dpClassInfo,
                                                        &TEdit::s_dpClassInfo,
                                                        &TMemo::s_dpClassInfo,
                                                        &TLabel::s_dpClassInfo,
                                                        &TCheckBox::s_dpClassInfo,
                                                        &TRadioButton::s_dpClassInfo,
                                                        &TComboBox::s_dpClassInfo,
                                                        &TListBox::s_dpClassInfo,
                                                        &TGroupBox::s_dpClassInfo,
                                                        &TRadioGroup::s_dpClassInfo,
                                                        &TPanel::s_dpClassInfo,
                                                        &TBevel::s_dpClassInfo,
                                                        &TImage::s_dpClassInfo,
                                                        &TShape::s_dpClassInfo,
                                                        &TTimer::s_dpClassInfo,
                                                        nullptr};

std::vector<const TClassInfo*> StandardControlClasses() {
    std::vector<const TClassInfo*> v;
    for (const TClassInfo* const* p = g_dpStandardControlClasses; *p; ++p) v.push_back(*p);
    return v;
}

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {
TMenuMessageHook g_menuHook = nullptr;

bool IsMenuMessage(const TMessage& m) {
    switch (m.Msg) {
        case WM_COMMAND: return m.LParam == 0;
        case WM_DRAWITEM: {
            // By what it names, not its type, which some controls leave unset.
            const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
            return di && di->CtlType == ODT_MENU && !IsWindow(di->hwndItem);
        }
        case WM_MEASUREITEM:
            return m.LParam && reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam)->CtlType == ODT_MENU;
        case WM_INITMENUPOPUP:
        case WM_MENUSELECT:
        case WM_MENUCHAR:
        case WM_UNINITMENUPOPUP:
        case WM_ENTERMENULOOP:
        case WM_EXITMENULOOP: return true;
        default: return false;
    }
}

std::string ResourceText(const std::string& name, bool* found) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!res) {
        *found = false;
        return {};
    }
    *found = true;
    HGLOBAL data = LoadResource(module, res);
    const char* p = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    DWORD size = SizeofResource(module, res);
    return p ? std::string(p, size) : std::string();
}

struct DisabledWindows {
    std::vector<HWND> list;
    HWND except;
};

BOOL CALLBACK DisableProc(HWND wnd, LPARAM param) {
    auto* d = reinterpret_cast<DisabledWindows*>(param);
    if (wnd != d->except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
        d->list.push_back(wnd);
        EnableWindow(wnd, FALSE);
    }
    return TRUE;
}

// Dialog keys and mnemonics go only to controls the user can see and use:
// a button on a covered page is not the default button.
void BroadcastDialogKey(TWinControl* parent, UINT msg, WPARAM key, LRESULT& result) {
    for (int i = 0; i < parent->ControlCount() && !result; ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || !c->Enabled() || IsCovered(c)) continue;
        result = c->Perform(msg, key, 0);
        if (!result)
            if (auto* w = DynamicAs<TWinControl>(c)) BroadcastDialogKey(w, msg, key, result);
    }
}
}  // namespace

void SetMenuMessageHook(TMenuMessageHook hook) { g_menuHook = hook; }

// ---------------------------------------------------------------------------
// TCustomForm

DP_PUBLISHED(TCustomForm){
    DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle),
    DP_PROP_SET(BorderIcons, BorderIcons, SetBorderIcons),
    DP_PROP_ENUM(Position, Position, SetPosition),
    DP_PROP_ENUM(FormStyle, FormStyle, SetFormStyle),
    DP_PROP_ENUM(WindowState, WindowState, SetWindowState),
    DP_PROP_BOOL(KeyPreview, KeyPreview, SetKeyPreview),
    DP_PROP_OBJ(ActiveControl, ActiveControl, SetActiveControl),
    DP_PROP_OBJ(Menu, Menu, SetMenu),
    DP_PROP_OBJ(Icon, Icon, SetIcon),
    DP_PROP_BOOL(AutoScroll, AutoScroll, SetAutoScroll),
    DP_PROP_INT(ClientWidth, ClientWidth, SetClientWidth),
    DP_PROP_INT(ClientHeight, ClientHeight, SetClientHeight),
    DP_PROP_INT(PixelsPerInch, PixelsPerInch, SetPixelsPerInch),
    DP_PROP_INT(TextHeight, TextHeight, SetTextHeight),
    DP_PROP_BOOL(OldCreateOrder, OldCreateOrder, SetOldCreateOrder),
    DP_PROP_BOOL(Scaled, Scaled, SetScaled),
    DP_PROP_FIELD(OnCreate, OnCreate),
    DP_PROP_FIELD(OnShow, OnShow),
    DP_PROP_FIELD(OnHide, OnHide),
    DP_PROP_FIELD(OnActivate, OnActivate),
    DP_PROP_FIELD(OnDeactivate, OnDeactivate),
    DP_PROP_FIELD(OnPaint, OnPaint),
    DP_PROP_FIELD(OnDestroy, OnDestroy),
    DP_PROP_FIELD(OnClose, OnClose),
    DP_PROP_FIELD(OnCloseQuery, OnCloseQuery),
};

DP_PUBLISHED(TForm){};

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner), m_icon(std::make_unique<TIcon>()) {
    m_visible = false;
    m_parentFont = false;
    m_parentColor = false;
    m_color = clBtnFace;
    m_width = 320;
    m_height = 240;
    m_controlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    m_formState += fsCreating;
    if (Screen) Screen->m_forms.push_back(this);
}

TCustomForm::~TCustomForm() {
    Destroying();
    if (Screen) {
        auto& f = Screen->m_forms;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    DestroyComponents();
    m_focusedControl = m_activeControl = nullptr;
}

void TCustomForm::ReadDefinition(const std::string& resourceName) {
    const std::string name = resourceName.empty() ? ClassName() : resourceName;
    bool found = false;
    std::string text = ResourceText(name, &found);
    if (!found) throw EResNotFound(Format(SNoFormResource, name.c_str()));
    ReadFormDefinition(this, text, name);
    m_definitionRead = true;
}

void TCustomForm::AfterConstruction() {
    if (m_created) return;
    m_created = true;
    if (!m_definitionRead && ClassType() != &TForm::StaticClassInfo() &&
        ClassType() != &TCustomForm::StaticClassInfo()) {
        bool found = false;
        ResourceText(ClassName(), &found);
        if (found) ReadDefinition();
    }
    m_formState -= fsCreating;
    DoCreate();
    // A definition that says Visible shows the form once it is made.
    if (m_visible && !m_handle) VisibleChanged();
}

void TCustomForm::BeforeDestruction() {
    if (m_destroyCalled) return;
    m_destroyCalled = true;
    DoDestroy();
}

void TCustomForm::Free() {
    BeforeDestruction();
    delete this;
}

void TCustomForm::DoCreate() {
    try {
        OnCreate(this);
    } catch (...) {
        Application->HandleException(this);
    }
}

void TCustomForm::DoDestroy() {
    try {
        OnDestroy(this);
    } catch (...) {
        Application->HandleException(this);
    }
}

void TCustomForm::Loaded() {
    TCustomControl::Loaded();
    Realign();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
    if (v == m_borderStyle) return;
    m_borderStyle = v;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons v) {
    if (v == m_borderIcons) return;
    m_borderIcons = v;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle v) {
    if (v == m_formStyle) return;
    m_formStyle = v;
    if (v == fsMDIChild) m_visible = true;
    RecreateWnd();
}

void TCustomForm::SetWindowState(TWindowState v) {
    m_windowState = v;
    if (m_handle && IsWindowVisible(m_handle))
        ShowWindow(m_handle, v == wsMinimized ? SW_MINIMIZE : v == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    m_activeControl = control;
    if (control && m_handle && IsWindowVisible(m_handle) && m_active && control->CanFocus()) control->SetFocus();
}

void TCustomForm::SetMenu(TComponent* menu) {
    m_menu = menu;
    if (menu) menu->FreeNotification(this);
}

void TCustomForm::SetMenuHandle(HMENU menu) {
    m_menuHandle = menu;
    if (m_handle && m_formStyle != fsMDIChild) ::SetMenu(m_handle, menu);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == opRemove && component == m_menu) {
        m_menu = nullptr;
        SetMenuHandle(nullptr);
    }
}

void TCustomForm::SetIcon(TIcon* icon) {
    if (icon && icon != m_icon.get()) m_icon->Assign(icon);
    ApplyIcon();
}

// A form without an icon of its own shows the application's.
void TCustomForm::ApplyIcon() {
    if (!m_handle) return;
    TIcon* icon = !m_icon->Empty() ? m_icon.get() : Application ? Application->Icon() : nullptr;
    if (!icon || icon->Empty()) return;
    SendMessageA(m_handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon->Handle()));
    SendMessageA(m_handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon->Handle()));
}

void TCustomForm::SetClientWidth(int32_t v) {
    if (m_handle) {
        RECT c, w;
        GetClientRect(m_handle, &c);
        GetWindowRect(m_handle, &w);
        SetWidth(RectWidth(w) - c.right + v);
    } else {
        m_clientWidth = v;
        m_width = v;  // refined once the frame is known
    }
}

void TCustomForm::SetClientHeight(int32_t v) {
    if (m_handle) {
        RECT c, w;
        GetClientRect(m_handle, &c);
        GetWindowRect(m_handle, &w);
        SetHeight(RectHeight(w) - c.bottom + v);
    } else {
        m_clientHeight = v;
        m_height = v;
    }
}

void TCustomForm::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    p.ExStyle = 0;
    p.WndParent = Application ? Application->Handle() : nullptr;
    if (m_formState.Contains(fsModal) && m_modalOwner && IsWindow(m_modalOwner)) p.WndParent = m_modalOwner;
    TBorderIcons icons = m_borderIcons;
    switch (m_borderStyle) {
        case bsNone:
            p.Style |= WS_POPUP;
            icons = {};
            break;
        case bsSingle: p.Style |= WS_CAPTION | WS_BORDER; break;
        case bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
        case bsDialog:
            p.Style |= WS_POPUP | WS_CAPTION;
            p.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
            icons = icons * TBorderIcons{biSystemMenu, biHelp};
            break;
        case bsToolWindow:
            p.Style |= WS_CAPTION;
            p.ExStyle |= WS_EX_TOOLWINDOW;
            icons = icons * TBorderIcons{biSystemMenu};
            break;
        case bsSizeToolWin:
            p.Style |= WS_CAPTION | WS_THICKFRAME;
            p.ExStyle |= WS_EX_TOOLWINDOW;
            icons = icons * TBorderIcons{biSystemMenu};
            break;
    }
    if (icons.Contains(biSystemMenu)) p.Style |= WS_SYSMENU;
    if (icons.Contains(biMinimize)) p.Style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) p.Style |= WS_MAXIMIZEBOX;
    if (m_formStyle == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
    if (m_formStyle == fsMDIChild) {
        p.ExStyle |= WS_EX_MDICHILD;
        p.Style &= ~WS_POPUP;
        p.Style |= WS_CHILD | WS_VISIBLE;
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (!main || main->m_formStyle != fsMDIForm || !main->Handle() || !main->m_clientHandle)
            throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
        p.WndParent = main->m_clientHandle;
    }
    if (m_parent) {
        // a form placed inside another control is a child window there
        p.Style &= ~static_cast<DWORD>(WS_POPUP);
        p.Style |= WS_CHILD;
        p.ExStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST | WS_EX_MDICHILD);
        p.WndParent = m_parent->Handle();
    }
    if (!m_parent && (m_position == poDefault || m_position == poDefaultPosOnly)) p.X = p.Y = CW_USEDEFAULT;
    // The stored client size decides the window size once the frame is known.
    if (m_clientWidth >= 0 || m_clientHeight >= 0) {
        RECT r{0, 0, m_clientWidth >= 0 ? m_clientWidth : m_width, m_clientHeight >= 0 ? m_clientHeight : m_height};
        AdjustWindowRectEx(&r, p.Style, m_menuHandle != nullptr, p.ExStyle);
        if (m_clientWidth >= 0) p.Width = RectWidth(r);
        if (m_clientHeight >= 0) p.Height = RectHeight(r);
    }
}

void TCustomForm::CreateWnd() {
    TCustomControl::CreateWnd();
    if (m_menuHandle && m_formStyle != fsMDIChild) ::SetMenu(m_handle, m_menuHandle);
    ApplyIcon();
    if (m_formStyle == fsMDIForm) {
        CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
        RECT r;
        GetClientRect(m_handle, &r);
        m_clientHandle =
            CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL, 0, 0,
                            r.right, r.bottom, m_handle, nullptr, GetModuleHandleA(nullptr), &ccs);
    }
    if (m_clientWidth >= 0 || m_clientHeight >= 0) {
        RECT c, w;
        GetClientRect(m_handle, &c);
        GetWindowRect(m_handle, &w);
        int width = m_clientWidth >= 0 ? RectWidth(w) - c.right + m_clientWidth : RectWidth(w);
        int height = m_clientHeight >= 0 ? RectHeight(w) - c.bottom + m_clientHeight : RectHeight(w);
        m_clientWidth = m_clientHeight = -1;
        SetWindowPos(m_handle, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBounds();
    }
}

void TCustomForm::DestroyWnd() {
    // Windows destroys the menu a window shows; the menu outlives this window.
    if (m_menuHandle) ::SetMenu(m_handle, nullptr);
    RECT c;
    GetClientRect(m_handle, &c);
    m_clientWidth = c.right;
    m_clientHeight = c.bottom;
    m_clientHandle = nullptr;
    TCustomControl::DestroyWnd();
}

bool TCustomForm::Showing() const { return m_handle && IsWindowVisible(m_handle); }

void TCustomForm::SetFocus() {
    if (!m_visible || !m_enabled) throw EInvalidOperation(SCannotFocus);
    SetActiveWindow(Handle());
}

void TCustomForm::SetWindowToMonitor() {
    if (m_positioned || m_parent) return;
    m_positioned = true;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    switch (m_position) {
        case poScreenCenter:
        case poDesktopCenter: break;
        case poMainFormCenter:
        case poOwnerFormCenter: {
            TCustomForm* main = Application ? Application->MainForm() : nullptr;
            if (m_position == poOwnerFormCenter)
                if (auto* f = DynamicAs<TCustomForm>(Owner())) main = f;
            if (main && main != this && main->m_handle) GetWindowRect(main->m_handle, &area);
            break;
        }
        default: return;
    }
    int x = area.left + (RectWidth(area) - m_width) / 2;
    int y = area.top + (RectHeight(area) - m_height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetBounds(x, y, m_width, m_height);
}

void TCustomForm::Show() {
    SetVisible(true);
    if (m_handle) {
        SetWindowPos(m_handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(m_handle);
    }
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::VisibleChanged() {
    if (IsLoading() || m_formState.Contains(fsCreating)) {
        if (!m_visible || !m_handle) return;
    }
    if (m_visible) {
        HandleNeeded();
        SetWindowToMonitor();
        DoShow();
        if (!m_visible) return;
        int cmd = m_windowState == wsMaximized   ? SW_SHOWMAXIMIZED
                  : m_windowState == wsMinimized ? SW_SHOWMINIMIZED
                                                 : SW_SHOWNORMAL;
        ShowWindow(m_handle, cmd);
        m_formState += fsVisible;
        UpdateWindow(m_handle);
    } else {
        DoHide();
        if (m_handle) ShowWindow(m_handle, SW_HIDE);
        m_formState -= fsVisible;
    }
}

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }
void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }
void TCustomForm::Paint() { OnPaint(this); }

bool TCustomForm::CloseQuery() {
    if (m_formStyle == fsMDIForm && m_clientHandle) {
        for (TCustomForm* f : Screen->m_forms)
            if (f != this && f->m_formStyle == fsMDIChild && !f->CloseQuery()) return false;
    }
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::SetModalResult(TModalResult r) {
    m_modalResult = r;
    // A result set inside a sent message (handled while the loop peeks) leaves no message
    // behind: without one the loop would wait on.
    if (r != mrNone && m_formState.Contains(fsModal) && m_handle) PostMessageA(m_handle, WM_NULL, 0, 0);
}

void TCustomForm::Close() {
    if (m_formState.Contains(fsModal)) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    if (m_formStyle == fsMDIChild) action = m_borderIcons.Contains(biMinimize) ? caMinimize : caNone;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
        case caHide: Hide(); break;
        case caMinimize: SetWindowState(wsMinimized); break;
        case caFree: Release(); break;
        default: break;
    }
}

void TCustomForm::Release() {
    if (m_handle)
        PostMessageA(m_handle, CM_RELEASE, 0, 0);
    else
        Free();
}

HWND TCustomForm::ModalOwner(HWND active) const {
    if (m_parent || m_formStyle == fsMDIChild) return nullptr;
    HWND owner = active ? GetAncestor(active, GA_ROOT) : nullptr;
    const HWND app = Application ? Application->Handle() : nullptr;
    if (!owner || owner == app || !IsWindowVisible(owner) ||
        GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId()) {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        owner = main && main != this && main->m_handle && IsWindowVisible(main->m_handle) ? main->m_handle : nullptr;
    }
    // never a window this form owns itself: the owner chain would close on itself
    for (HWND w = owner; w; w = GetWindow(w, GW_OWNER))
        if (m_handle && w == m_handle) return nullptr;
    return owner;
}

void TCustomForm::KeepAboveModalOwner() {
    if (!m_formState.Contains(fsModal) || !m_modalOwner || !m_handle || !IsWindowVisible(m_handle)) return;
    for (HWND w = GetWindow(m_handle, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == m_modalOwner) {
            SetWindowPos(m_handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            return;
        }
}

TModalResult TCustomForm::ShowModal() {
    if (m_visible || !m_enabled || m_formState.Contains(fsModal)) throw EInvalidOperation(SCannotShowModal);
    if (GetCapture()) {
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    m_formState += fsModal;
    HWND previous = GetActiveWindow();
    // Owned by the window it blocks, the form stays above it whatever raises that window
    // later (the window manager, a skin redrawing its frame), as a dialog does.
    m_modalOwner = ModalOwner(previous);
    DisabledWindows disabled{{}, nullptr};
    if (m_handle && m_modalOwner)
        SetWindowLongPtrA(m_handle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_modalOwner));
    HandleNeeded();
    disabled.except = m_handle;
    EnumThreadWindows(GetCurrentThreadId(), DisableProc, reinterpret_cast<LPARAM>(&disabled));
    Application->ModalStarted();
    auto restore = [&] {
        for (HWND w : disabled.list)
            if (IsWindow(w)) EnableWindow(w, TRUE);
        if (m_visible) Hide();
        if (m_modalOwner && m_handle)
            SetWindowLongPtrA(m_handle, GWLP_HWNDPARENT,
                              reinterpret_cast<LONG_PTR>(Application ? Application->Handle() : nullptr));
        m_modalOwner = nullptr;
        if (previous && IsWindow(previous)) SetActiveWindow(previous);
        m_formState -= fsModal;
        Application->ModalFinished();
    };
    m_modalResult = mrNone;
    try {
        Show();
        do {
            Application->HandleMessage();
            KeepAboveModalOwner();
            if (Application->Terminated())
                m_modalResult = mrCancel;
            else if (m_modalResult != mrNone) {
                // The close query may refuse: the form then stays.
                TCloseAction action = caNone;
                if (CloseQuery()) {
                    action = caHide;
                    DoClose(action);
                }
                if (action == caNone)
                    m_modalResult = mrNone;
                else if (action == caFree) {
                    TModalResult r = m_modalResult;
                    restore();
                    Release();
                    return r;
                }
            }
        } while (m_modalResult == mrNone);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return m_modalResult;
}

void TCustomForm::FocusControlChanged(TWinControl* control) {
    if (control == m_focusedControl) return;
    TWinControl* previous = m_focusedControl;
    m_focusedControl = control;
    m_activeControl = control;
    if (previous) previous->Perform(CM_EXIT);
    if (control && m_focusedControl == control) control->Perform(CM_ENTER);
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::ControlRemoved(TControl* control) {
    auto hits = [control](TWinControl* w) {
        if (!w) return false;
        if (w == control) return true;
        auto* p = DynamicAs<TWinControl>(control);
        return p && p->ContainsControl(w);
    };
    if (hits(m_focusedControl)) m_focusedControl = nullptr;
    if (hits(m_activeControl)) m_activeControl = nullptr;
}

bool TCustomForm::DialogKey(WPARAM key) {
    // Ctrl+Tab is the page controls' (next page), not a focus move.
    if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        const bool back = GetKeyState(VK_SHIFT) < 0;
        HWND before = GetFocus();
        // The focus may sit in a window inside a control (an ActiveX control's own window).
        SelectNext(FindVCLWindow(before), !back, true);
        // As in dialogs: an edit reached by Tab has its text selected, so typing replaces it.
        HWND now = GetFocus();
        if (now && now != before && (SendMessageA(now, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
            SendMessageA(now, EM_SETSEL, 0, -1);
        return true;
    }
    LRESULT result = 0;
    BroadcastDialogKey(this, CM_DIALOGKEY, key, result);
    return result != 0;
}

namespace {
// The buttons, check boxes and radio buttons the letter reaches, in the order of their parents' lists.
void CollectMnemonicOwners(TWinControl* parent, WPARAM key, std::vector<TWinControl*>& out) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible() || !c->Enabled() || IsCovered(c)) continue;
        if (auto* b = DynamicAs<TButtonControl>(c); b && IsAccel(key, b->Caption()) && IsReachable(b)) out.push_back(b);
        if (auto* w = DynamicAs<TWinControl>(c)) CollectMnemonicOwners(w, key, out);
    }
}

bool MenuHasMnemonic(HMENU menu, WPARAM key) {
    const int n = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < n; ++i) {
        char text[256] = {};
        if (GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text - 1, MF_BYPOSITION) > 0 && IsAccel(key, text))
            return true;
    }
    return false;
}
}  // namespace

// The platform's rule: Alt+letter of a menu-bar item opens that item; a letter that one
// control owns acts on it; a letter several controls share moves the focus to the next of
// them and presses none.
bool TCustomForm::DialogChar(WPARAM charCode) {
    if (GetKeyState(VK_MENU) < 0 && HandleAllocated() && MenuHasMnemonic(GetMenu(m_handle), charCode)) return false;
    std::vector<TWinControl*> owners;
    CollectMnemonicOwners(this, charCode, owners);
    if (owners.size() > 1) {
        const auto at = std::find(owners.begin(), owners.end(), FindVCLWindow(GetFocus()));
        TWinControl* next = (at == owners.end() || at + 1 == owners.end()) ? owners.front() : *(at + 1);
        next->SetFocus();
        return true;
    }
    LRESULT result = 0;
    BroadcastDialogKey(this, CM_DIALOGCHAR, charCode, result);
    return result != 0;
}

void TCustomForm::WndProc(TMessage& m) {
    if (g_menuHook && IsMenuMessage(m) && g_menuHook(this, m)) return;
    switch (m.Msg) {
        case WM_CLOSE: Close(); return;
        case CM_RELEASE: Free(); return;
        case WM_ACTIVATE: {
            DefaultHandler(m);
            const bool active = LOWORD(m.WParam) != WA_INACTIVE;
            if (active && !m_active) {
                m_active = true;
                // Focus goes back to the control that had it, or to the first tab stop.
                TWinControl* target = m_focusedControl ? m_focusedControl : m_activeControl;
                if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true, false);
                if (target && target->CanFocus()) ::SetFocus(target->Handle());
                // Coming back from a modal form or box is no new activation.
                if (!m_formState.Contains(fsActivated) || Application->ModalLevel() == 0) {
                    m_formState += fsActivated;
                    Activate();
                }
            } else if (!active && m_active) {
                m_active = false;
                Deactivate();
            }
            return;
        }
        case WM_SIZE:
            TCustomControl::WndProc(m);
            if (m_clientHandle) {
                TRect r = ClientRect();
                for (TControl* c : m_controls)
                    if (c->Visible() && c->Align() == alTop) r.top = std::max<LONG>(r.top, c->Top() + c->Height());
                for (TControl* c : m_controls)
                    if (c->Visible() && c->Align() == alBottom) r.bottom = std::min<LONG>(r.bottom, c->Top());
                MoveWindow(m_clientHandle, r.left, r.top, RectWidth(r), RectHeight(r), TRUE);
            }
            return;
        case WM_WINDOWPOSCHANGED: {
            TCustomControl::WndProc(m);
            // Raised over the modal form it owns (Wine 10 restacks a window when X maps it late,
            // owned windows left behind): the modal form goes back on top, as on Windows.
            if (m_handle && Screen)
                for (TCustomForm* f : Screen->m_forms)
                    if (f != this && f->m_modalOwner == m_handle) f->KeepAboveModalOwner();
            return;
        }
        case CM_DIALOGKEY: m.Result = DialogKey(m.WParam) ? 1 : 0; return;
        case CM_DIALOGCHAR: m.Result = DialogChar(m.WParam) ? 1 : 0; return;
        case CM_RECREATEWND:
            TCustomControl::WndProc(m);
            // top-level windows are made hidden; a shown form stays shown
            if (m_visible && m_handle && !IsWindowVisible(m_handle)) ShowWindow(m_handle, SW_SHOW);
            return;
        default: break;
    }
    TCustomControl::WndProc(m);
}

void TCustomForm::DefaultHandler(TMessage& m) {
    if (m_handle && m_formStyle == fsMDIForm && m_clientHandle) {
        m.Result = DefFrameProcA(m_handle, m_clientHandle, m.Msg, m.WParam, m.LParam);
        return;
    }
    if (m_handle && m_formStyle == fsMDIChild) {
        m.Result = DefMDIChildProcA(m_handle, m.Msg, m.WParam, m.LParam);
        return;
    }
    TCustomControl::DefaultHandler(m);
}

// ---------------------------------------------------------------------------
// TApplication

DP_PUBLISHED(TApplication){};

TApplication::TApplication(TComponent* owner) : TComponent(owner), m_icon(std::make_unique<TIcon>()) {
    SetExceptionReporter([this] { HandleException(this); });
    // The library's dialogs and boxes carry this title, belong to our windows and count as modal.
    SetMessageBoxTitleProc([this] { return Title(); });
    SetDialogOwnerProc([this] {
        HWND active = GetActiveWindow();
        return active && FindControl(active) ? active : Handle();
    });
    SetModalNotifyProc([this](bool started) {
        if (started) {
            ModalStarted();
        } else {
            ModalFinished();
        }
    });
}

TApplication::~TApplication() {
    if (Application == this) {
        SetExceptionReporter(nullptr);
        SetMessageBoxTitleProc(nullptr);
        SetDialogOwnerProc(nullptr);
        SetModalNotifyProc(nullptr);
    }
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* f = DynamicAs<TCustomForm>(Components(i))) f->BeforeDestruction();
    DestroyComponents();
    if (m_handle) DestroyWindow(m_handle);
}

void DoneApplication() {
    if (!Application) return;
    for (int i = Application->ComponentCount() - 1; i >= 0; --i)
        if (auto* f = DynamicAs<TCustomForm>(Application->Components(i))) f->BeforeDestruction();
    Application->DestroyComponents();
}

void TApplication::Initialize() {
    InitComApartment();
    // The program's own icon, as the resource compiler stores it for the shell.
    if (m_icon->Empty()) {
        if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON")) m_icon->SetHandle(CopyIcon(icon));
    }
    Handle();
}

HWND TApplication::Handle() {
    if (!m_handle) {
        m_handle = AllocateHWnd([this](TMessage& m) { AppWndProc(m); }, "TApplication");
        if (m_handle) SetWindowTextA(m_handle, Title().c_str());
        // The taskbar button shows the application window's icon.
        if (m_handle && !m_icon->Empty()) {
            SendMessageA(m_handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon->Handle()));
            SendMessageA(m_handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon->Handle()));
        }
    }
    return m_handle;
}

void TApplication::AppWndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_CLOSE:
            if (m_mainForm) m_mainForm->Close();
            return;
        default: m.Result = DefWindowProcA(m_handle, m.Msg, m.WParam, m.LParam);
    }
}

std::string TApplication::ExeName() const { return GetModuleFileNameStr(nullptr); }

std::string TApplication::DefaultTitle(const std::string& exeName) { return DefaultTitleFromPath(exeName); }

std::string TApplication::Title() const { return m_titleSet ? m_title : DefaultTitle(ExeName()); }

void TApplication::SetTitle(const std::string& title) {
    m_title = title;
    m_titleSet = true;
    if (m_handle) SetWindowTextA(m_handle, title.c_str());
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_mainForm) m_mainForm = nullptr;
}

void TApplication::Terminate() {
    m_terminated = true;
    PostQuitMessage(0);
}

// Menu shortcuts of the form that holds the keyboard come before the control sees the key.
bool TApplication::IsShortCutMsg(MSG& msg) {
    if (!g_menuHook || (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)) return false;
    TWinControl* control = FindVCLWindow(msg.hwnd);
    TCustomForm* form = control ? GetParentForm(control) : nullptr;
    if (!form) return false;
    TMessage m{CN_BASE + msg.message, msg.wParam, msg.lParam, 0};
    return g_menuHook(form, m);
}

bool TApplication::IsKeyMsg(MSG& msg) {
    const bool dialogKey =
        msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
    // Alt+letter, or the plain letter where the focused control takes no characters.
    const bool mnemonic = (msg.message == WM_SYSCHAR || msg.message == WM_CHAR) && msg.wParam > ' ';
    if (!dialogKey && !mnemonic) return false;
    TWinControl* control = FindVCLWindow(msg.hwnd);
    if (!control) return false;
    TCustomForm* form = GetParentForm(control);
    if (!form) return false;
    LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    // Tab is the control's only when it wants tabs (a read-only memo lets it move on);
    // Enter and Escape when it wants all keys; plain letters when it takes characters.
    // Alt+letter is always a mnemonic.
    if (code & DLGC_WANTMESSAGE) return false;
    if (dialogKey) {
        if (msg.wParam == VK_TAB ? (code & DLGC_WANTTAB) : (code & DLGC_WANTALLKEYS)) return false;
    } else if (msg.message == WM_CHAR && (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS))) {
        return false;
    }
    // What the key clicks may raise: reported as from a mouse click, and the
    // window stays (the modal loop never sees it).
    try {
        return form->Perform(dialogKey ? CM_DIALOGKEY : CM_DIALOGCHAR, msg.wParam, msg.lParam) != 0;
    } catch (...) {
        DpHandleException();
        return true;
    }
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        m_terminated = true;
        return true;
    }
    if (IsShortCutMsg(msg)) return true;
    if (IsKeyMsg(msg)) return true;
    if (m_mainForm && m_mainForm->m_clientHandle && TranslateMDISysAccel(m_mainForm->m_clientHandle, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        try {
            OnIdle(this);
        } catch (...) {
            HandleException(this);
        }
        if (!m_terminated) WaitMessage();
    }
}

void TApplication::Run() {
    if (!m_mainForm) return;
    if (m_showMainForm && !m_mainForm->Visible()) m_mainForm->Show();
    while (!m_terminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    HWND owner = GetActiveWindow();
    if (!owner || !FindControl(owner)) owner = Handle();
    ModalStarted();
    int r = ::MessageBoxA(owner, WrapLongRuns(text).c_str(), caption.c_str(), flags);
    ModalFinished();
    return r;
}

void TApplication::ShowException(const std::string& message) { MessageBox(message, Title(), MB_OK | MB_ICONSTOP); }

void TApplication::HandleException(TObject* sender) {
    try {
        throw;
    } catch (EAbort&) {
    } catch (Exception& e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e.Message());
    } catch (std::exception& e) {
        if (OnException)
            OnException(sender, Exception(e.what()));
        else
            ShowException(e.what());
    } catch (...) {
        ShowException("Unknown exception");
    }
}

// ---------------------------------------------------------------------------

DP_PUBLISHED(TScreen){};

TFont* TScreen::MenuFont() {
    if (!m_menuFont) {
        m_menuFont = std::make_unique<TFont>();
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            m_menuFont->SetHandle(CreateFontIndirectA(&metrics.lfMenuFont));
    }
    return m_menuFont.get();
}

TRect TScreen::WorkAreaRect() const {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void TScreen::SetCursor(TCursor cursor) {
    m_cursor = cursor;
    ::SetCursor(CursorHandle(cursor == crDefault ? crArrow : cursor));
}

TCustomForm* TScreen::ActiveForm() const {
    TControl* c = FindControl(GetActiveWindow());
    return DynamicAs<TCustomForm>(c);
}
