// Forms (top-level windows, modal loops, the close query, MDI), the
// application object (COM start-up, the message loop, exception reports,
// the default title) and the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "classlib/Controls.h"

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
DP_ENUM_INFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
             "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
DP_ENUM_INFO(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
DP_ENUM_INFO(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
using TBorderIcons = TSet<TBorderIcon>;

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
DP_ENUM_INFO(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")

enum TCloseAction { caNone, caHide, caFree, caMinimize };
DP_ENUM_INFO(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")

enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = TEvent<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

constexpr const char* SCannotShowModal = "Cannot make a visible window modal";
constexpr const char* SNoFormResource = "Resource %s not found";

class TCustomForm;
// The menus module answers the form's menu messages: WM_COMMAND of menu items
// and accelerators, owner-drawn items (WM_DRAWITEM/WM_MEASUREITEM of ODT_MENU),
// WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR. True: handled.
using TMenuMessageHook = bool (*)(TCustomForm* form, TMessage& message);
void SetMenuMessageHook(TMenuMessageHook hook);

class TCustomForm : public TCustomControl {
    DP_DECLARE_CLASS(TCustomForm, TCustomControl)
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Reads the form's stored definition: the RCDATA resource named after the
    // form's class (or the given name). Raises EResNotFound when it is absent.
    void ReadDefinition(const std::string& resourceName = {});
    // Runs once after construction: the definition when one is stored under
    // the class name (and none was read yet), then OnCreate.
    virtual void AfterConstruction();
    // Runs OnDestroy while the whole form still exists; Free and Release call it.
    virtual void BeforeDestruction();
    // BeforeDestruction, then delete.
    void Free();

    // Shows the form modally and answers its modal result once it is set and
    // the close query agrees; other windows of the program are disabled meanwhile.
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return m_modalResult; }
    // Also wakes the modal loop, which may be waiting for a message already handled.
    void SetModalResult(TModalResult r);
    // The close query, then OnClose; a modal form only sets mrCancel.
    void Close();
    // Frees the form once its pending messages are handled.
    void Release();
    bool CloseQuery();
    void Show();
    void Hide();
    bool Active() const { return m_active; }
    TFormState FormState() const { return m_formState; }

    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return m_borderIcons; }
    void SetBorderIcons(TBorderIcons v);
    TPosition Position() const { return m_position; }
    void SetPosition(TPosition v) { m_position = v; }
    TFormStyle FormStyle() const { return m_formStyle; }
    void SetFormStyle(TFormStyle v);
    TWindowState WindowState() const { return m_windowState; }
    void SetWindowState(TWindowState v);
    bool KeyPreview() const { return m_keyPreview; }
    void SetKeyPreview(bool v) { m_keyPreview = v; }
    TWinControl* ActiveControl() const { return m_activeControl; }
    void SetActiveControl(TWinControl* control);
    // The main menu: any component whose window menu handle the form shows.
    TComponent* Menu() const { return m_menu; }
    void SetMenu(TComponent* menu);
    void SetMenuHandle(HMENU menu);
    TIcon* Icon() const { return m_icon.get(); }
    void SetIcon(TIcon* icon);
    bool AutoScroll() const { return m_autoScroll; }
    void SetAutoScroll(bool v) { m_autoScroll = v; }
    // The MDI client window of an MDI form.
    HWND ClientHandle() const { return m_clientHandle; }
    int32_t PixelsPerInch() const { return 96; }
    void SetPixelsPerInch(int32_t) {}
    int32_t TextHeight() const { return m_textHeight; }
    void SetTextHeight(int32_t v) { m_textHeight = v; }
    bool OldCreateOrder() const { return false; }
    void SetOldCreateOrder(bool) {}
    bool Scaled() const { return false; }
    void SetScaled(bool) {}

    void SetClientWidth(int32_t v) override;
    void SetClientHeight(int32_t v) override;
    bool Showing() const override;
    void SetFocus() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // Kept by the controls of the form.
    void FocusControlChanged(TWinControl* control);
    void ControlRemoved(TControl* control);
    // Tab, Enter and Escape for the form: next control, default and cancel buttons.
    bool DialogKey(WPARAM key);
    // A mnemonic for the form: the control whose caption has that hotkey.
    bool DialogChar(WPARAM charCode);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void VisibleChanged() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void Activate();
    virtual void Deactivate();
    void SetWindowToMonitor();
    HWND ModalOwner(HWND active) const;
    void KeepAboveModalOwner();
    void ApplyIcon();

    TFormBorderStyle m_borderStyle = bsSizeable;
    TBorderIcons m_borderIcons = {biSystemMenu, biMinimize, biMaximize};
    TPosition m_position = poDesigned;
    TFormStyle m_formStyle = fsNormal;
    TWindowState m_windowState = wsNormal;
    TModalResult m_modalResult = mrNone;
    HWND m_modalOwner = nullptr;  // the window a shown modal form blocks and is owned by
    TFormState m_formState;
    bool m_keyPreview = false;
    bool m_active = false;
    bool m_created = false;
    bool m_definitionRead = false;
    bool m_autoScroll = false;
    int32_t m_textHeight = 13;
    int32_t m_clientWidth = -1;
    int32_t m_clientHeight = -1;
    TWinControl* m_activeControl = nullptr;
    TWinControl* m_focusedControl = nullptr;
    TComponent* m_menu = nullptr;
    HMENU m_menuHandle = nullptr;
    std::unique_ptr<TIcon> m_icon;
    HWND m_clientHandle = nullptr;
    bool m_positioned = false;
    bool m_destroyCalled = false;

    friend class TWinControl;
    friend class TApplication;
};

class TForm : public TCustomForm {
    DP_DECLARE_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// Creates a form and runs its construction end (definition, OnCreate).
template <class T>
T* NewForm(TComponent* owner) {
    T* form = new T(owner);
    form->AfterConstruction();
    return form;
}

// ---------------------------------------------------------------------------

using TExceptionEvent = TEvent<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
    DP_DECLARE_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Joins the thread to a COM apartment (before any window) and makes the
    // hidden application window.
    void Initialize();
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    void CreateForm(T*& reference) {
        T* form = new T(this);
        reference = form;
        if (!m_mainForm) m_mainForm = form;
        form->AfterConstruction();
    }
    // The message loop, until the main form closes or Terminate; returns at
    // once when there is no main form.
    void Run();
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Handles every message waiting, then returns.
    void ProcessMessages();
    // Waits for one message and handles it (and the idle work when none waits).
    void HandleMessage();
    // Reports the exception being handled (inside a catch): the message box, captioned with the title.
    void HandleException(TObject* sender = nullptr);
    void ShowException(const std::string& message);
    int MessageBox(const std::string& text, const std::string& caption, UINT flags = MB_OK);
    // Around every modal form, box or dialog: a form that gets the activation
    // back meanwhile raises no new OnActivate.
    void ModalStarted() { ++m_modalLevel; }
    void ModalFinished() {
        if (m_modalLevel > 0) --m_modalLevel;
    }
    int ModalLevel() const { return m_modalLevel; }

    HWND Handle();
    TCustomForm* MainForm() const { return m_mainForm; }
    void SetMainForm(TCustomForm* form) { m_mainForm = form; }
    // Without a title set: the program file's name without extension, first
    // character kept, the others lower-case.
    std::string Title() const;
    void SetTitle(const std::string& title);
    std::string ExeName() const;
    TIcon* Icon() const { return m_icon.get(); }
    bool ShowMainForm() const { return m_showMainForm; }
    void SetShowMainForm(bool v) { m_showMainForm = v; }
    std::string HintText() const { return m_hint; }
    void SetHint(const std::string& hint) { m_hint = hint; }

    TExceptionEvent OnException;
    TNotifyEvent OnIdle;

    // The program file's title rule, for any file name.
    static std::string DefaultTitle(const std::string& exeName);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool ProcessMessage(MSG& msg);
    bool IsKeyMsg(MSG& msg);
    bool IsShortCutMsg(MSG& msg);
    void AppWndProc(TMessage& m);

    HWND m_handle = nullptr;
    TCustomForm* m_mainForm = nullptr;
    bool m_terminated = false;
    bool m_showMainForm = true;
    bool m_titleSet = false;
    std::string m_title;
    std::string m_hint;
    std::unique_ptr<TIcon> m_icon;
    int m_modalLevel = 0;
};

extern TApplication* Application;
// Frees the application's forms (OnDestroy first); programs call it after Run.
void DoneApplication();

// ---------------------------------------------------------------------------

class TScreen : public TComponent {
    DP_DECLARE_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* owner) : TComponent(owner) {}
    int32_t Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int32_t Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    TRect WorkAreaRect() const;
    // A cursor for the whole program (crDefault: each control's own).
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor cursor);
    TCustomForm* ActiveForm() const;
    int FormCount() const { return static_cast<int>(m_forms.size()); }
    TCustomForm* Forms(int index) const { return m_forms.at(index); }
    // The system's menu font (read when first asked for).
    TFont* MenuFont();

private:
    friend class TCustomForm;
    TCursor m_cursor = crDefault;
    std::unique_ptr<TFont> m_menuFont;
    std::vector<TCustomForm*> m_forms;
};

extern TScreen* Screen;

// The component classes of the standard controls, forms and the timer.
std::vector<const TClassInfo*> StandardControlClasses();
