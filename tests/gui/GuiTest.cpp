// Controls, forms and the application object on real windows under Wine.
#include <set>
#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <set>
#include <cstdio>
#include <functional>
#include <thread>

#include "classlib/Buttons.h"
#include "classlib/ExtCtrls.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "tests/gui/GuiShot.h"

namespace {

// ---------------------------------------------------------------------------
// Forms read from the definitions compiled into this program.

class TTestForm : public TForm {
    DP_DECLARE_CLASS(TTestForm, TForm)
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {}
    TPanel* Panel1 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TButton* Button1 = nullptr;
    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TComboBox* ComboBox1 = nullptr;
    TCheckBox* CheckBox1 = nullptr;
    TTimer* Timer1 = nullptr;
    int created = 0, clicks = 0, changes = 0, checkClicks = 0, ticks = 0;
    bool throwFromClick = false, throwFromTimer = false;

    void FormCreate(TObject*) { ++created; }
    void Button1Click(TObject*) {
        ++clicks;
        if (throwFromClick) throw Exception("Boom from a click");
    }
    void Edit1Change(TObject*) { ++changes; }
    void CheckBox1Click(TObject*) { ++checkClicks; }
    void Timer1Timer(TObject*) {
        ++ticks;
        if (throwFromTimer) {
            throwFromTimer = false;
            throw EConvertError("'x' is not a valid integer value");
        }
    }
};

class TTabForm : public TForm {
    DP_DECLARE_CLASS(TTabForm, TForm)
public:
    explicit TTabForm(TComponent* owner) : TForm(owner) {}
    TEdit* A = nullptr;
    TEdit* B = nullptr;
    TEdit* C = nullptr;
};

class TBrokenForm : public TForm {
    DP_DECLARE_CLASS(TBrokenForm, TForm)
public:
    explicit TBrokenForm(TComponent* owner) : TForm(owner) {}
};

}  // namespace

DP_PUBLISHED(TTestForm){
    DP_FIELD(Panel1),       DP_FIELD(GroupBox1),     DP_FIELD(Button1),      DP_FIELD(Label1),
    DP_FIELD(Edit1),        DP_FIELD(ComboBox1),     DP_FIELD(CheckBox1),    DP_FIELD(Timer1),
    DP_METHOD(FormCreate),  DP_METHOD(Button1Click), DP_METHOD(Edit1Change), DP_METHOD(CheckBox1Click),
    DP_METHOD(Timer1Timer),
};
DP_PUBLISHED(TBrokenForm){};
DP_PUBLISHED(TTabForm){DP_FIELD(A), DP_FIELD(B), DP_FIELD(C)};

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

class Gui : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
    void TearDown() override { Pump(); }
};

// A message box of this process, read and dismissed by a helper thread.
class BoxWatcher {
public:
    void Start() {
        m_thread = std::thread([this] {
            for (int i = 0; i < 2000 && !m_stop; ++i) {
                HWND box = FindBox();
                if (box) {
                    char buf[512] = {};
                    GetWindowTextA(box, buf, sizeof buf);
                    caption = buf;
                    EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(this));
                    PostMessageA(box, WM_COMMAND, IDOK, 0);
                    seen = true;
                    if (then) then();
                    return;
                }
                Sleep(10);
            }
        });
    }
    void Join() {
        if (m_thread.joinable()) m_thread.join();
    }
    ~BoxWatcher() {
        m_stop = true;
        Join();
    }
    std::string caption, text;
    std::atomic<bool> seen{false};
    // Run on the watcher's thread once the box is answered.
    std::function<void()> then;

private:
    static BOOL CALLBACK FindProc(HWND wnd, LPARAM param) {
        char cls[64] = {};
        GetClassNameA(wnd, cls, sizeof cls);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(wnd)) {
            *reinterpret_cast<HWND*>(param) = wnd;
            return FALSE;
        }
        return TRUE;
    }
    static HWND FindBox() {
        HWND found = nullptr;
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&found));
        return found;
    }
    static BOOL CALLBACK ReadStatic(HWND wnd, LPARAM param) {
        auto* self = reinterpret_cast<BoxWatcher*>(param);
        char cls[64] = {}, buf[512] = {};
        GetClassNameA(wnd, cls, sizeof cls);
        GetWindowTextA(wnd, buf, sizeof buf);
        if (_stricmp(cls, "Static") == 0 && buf[0]) self->text = buf;
        return TRUE;
    }
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// Records what passes through a control's WindowProc, the way a skin hooks it.
struct Hook {
    explicit Hook(TControl* c) : control(c), old(c->WindowProc) {
        c->WindowProc = [this](TMessage& m) {
            seen.push_back(m);
            if (swallow && m.Msg == swallow) return;
            old(m);
        };
    }
    ~Hook() { control->WindowProc = old; }
    bool Saw(UINT msg) const {
        for (const TMessage& m : seen)
            if (m.Msg == msg) return true;
        return false;
    }
    const TMessage* Find(UINT msg) const {
        for (const TMessage& m : seen)
            if (m.Msg == msg) return &m;
        return nullptr;
    }
    TControl* control;
    TWndMethod old;
    std::vector<TMessage> seen;
    UINT swallow = 0;
};

std::string ExpectedAtomName() {
    char buf[64];
    std::snprintf(buf, sizeof buf, "ControlOfs%.8llX%.8lX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                  static_cast<unsigned long>(GetCurrentThreadId()));
    return buf;
}

// ---------------------------------------------------------------------------

TEST_F(Gui, StoredFormBuildsNestedWindowsAndBindsHandlers) {
    TTestForm* f = NewForm<TTestForm>(Application);
    ASSERT_NE(f->Button1, nullptr);
    EXPECT_EQ(f->created, 1);
    EXPECT_EQ(f->Caption(), "Stored form");
    EXPECT_EQ(f->Panel1->Parent(), f);
    EXPECT_EQ(f->GroupBox1->Parent(), f->Panel1);
    EXPECT_EQ(f->Button1->Parent(), f->GroupBox1);
    EXPECT_EQ(f->Label1->Parent(), f->GroupBox1);
    EXPECT_EQ(f->Button1->Owner(), f);
    EXPECT_EQ(f->Timer1->Owner(), f);
    EXPECT_EQ(f->GroupBox1->Caption(), "Group's box");
    EXPECT_EQ(f->Label1->Font()->Color(), clNavy);
    EXPECT_EQ(f->Edit1->Font()->Name(), "MS Sans Serif");  // taken from the form
    EXPECT_EQ(f->ComboBox1->Items()->Count(), 3);
    EXPECT_EQ(f->ComboBox1->ItemIndex(), 1);
    EXPECT_TRUE(f->CheckBox1->Checked());
    // Values from the definition raise no events while it is read.
    EXPECT_EQ(f->changes, 0);
    EXPECT_EQ(f->checkClicks, 0);
    EXPECT_FALSE(f->HandleAllocated());

    f->Show();
    Pump();
    ASSERT_TRUE(f->Button1->HandleAllocated());
    EXPECT_EQ(GetParent(f->Button1->Handle()), f->GroupBox1->Handle());
    EXPECT_EQ(GetParent(f->GroupBox1->Handle()), f->Panel1->Handle());
    EXPECT_EQ(f->ComboBox1->Text(), "High");
    EXPECT_EQ(f->Edit1->Text(), "first");
    RECT c;
    GetClientRect(f->Handle(), &c);
    EXPECT_EQ(c.right, 360);
    EXPECT_EQ(c.bottom, 240);
    char cls[64] = {};
    GetClassNameA(f->Button1->Handle(), cls, sizeof cls);
    EXPECT_STREQ(cls, "TButton");

    SendMessageA(f->Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(f->clicks, 1);
    f->Free();
}

TEST_F(Gui, InitializeJoinsASingleThreadedApartmentAndMakesTheHiddenWindow) {
    // the thread is in an apartment already, and not a multi-threaded one
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    HWND app = Application->Handle();
    ASSERT_TRUE(IsWindow(app));
    EXPECT_FALSE(IsWindowVisible(app));
    char buf[64] = {};
    GetWindowTextA(app, buf, sizeof buf);
    EXPECT_STREQ(buf, "Dpguitest");
    // forms are owned by it
    TForm* f = NewForm<TForm>(Application);
    EXPECT_EQ(GetWindow(f->Handle(), GW_OWNER), app);
    f->Free();
}

TEST_F(Gui, MalformedDefinitionNamesFormLineAndProperty) {
    TBrokenForm* f = new TBrokenForm(Application);
    try {
        f->ReadDefinition();
        ADD_FAILURE() << "no exception";
    } catch (const EFormReadError& e) {
        EXPECT_EQ(e.Form(), "TBrokenForm");
        EXPECT_EQ(e.Line(), 5);
        EXPECT_NE(e.Message().find("Colour"), std::string::npos) << e.Message();
    }
    f->Free();
}

TEST_F(Gui, FormsWithoutIconShowTheApplicationIcon) {
    Application->Icon()->SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    TForm* plain = NewForm<TForm>(Application);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(plain->Handle(), WM_GETICON, ICON_BIG, 0)),
              Application->Icon()->Handle());

    TForm* own = NewForm<TForm>(Application);
    TIcon mine;
    mine.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_WARNING)));
    own->SetIcon(&mine);
    const HICON shown = reinterpret_cast<HICON>(SendMessageA(own->Handle(), WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(shown, own->Icon()->Handle());
    EXPECT_NE(shown, Application->Icon()->Handle());
    own->Free();
    plain->Free();
    Application->Icon()->SetHandle(nullptr);
}

TEST_F(Gui, MissingDefinitionIsReported) {
    TForm* f = new TForm(Application);
    EXPECT_THROW(f->ReadDefinition("TNOSUCHFORM"), EResNotFound);
    f->Free();
}

// ---------------------------------------------------------------------------

TEST_F(Gui, EveryControlClassTakesPropertiesByName) {
    TForm* form = NewForm<TForm>(Application);
    form->SetBounds(10, 10, 400, 300);
    form->Show();
    std::set<const TClassInfo*> tested;
    for (const TClassInfo* cls : RegisteredClasses()) {
        if (!cls->InheritsFrom(&TControl::StaticClassInfo()) || cls->InheritsFrom(&TCustomForm::StaticClassInfo()) ||
            !cls->Factory)
            continue;
        SCOPED_TRACE(cls->Name);
        TComponent* comp = cls->Create(form);
        auto* c = As<TControl>(comp);
        c->SetParent(form);
        auto* w = DynamicAs<TWinControl>(c);
        if (w) {
            EXPECT_TRUE(w->HandleAllocated());
        }

        SetStrProp(c, "Caption", "Hello 1");
        EXPECT_EQ(GetStrProp(c, "Caption"), "Hello 1");
        SetOrdProp(c, "Color", clRed);
        EXPECT_EQ(GetOrdProp(c, "Color"), clRed);
        TObject* font = GetObjectProp(c, "Font");
        ASSERT_NE(font, nullptr);
        EXPECT_TRUE(font->Is<TFont>());
        SetStrProp(font, "Name", "Arial");
        SetOrdProp(font, "Size", 12);
        EXPECT_EQ(As<TFont>(font)->Name(), "Arial");
        EXPECT_EQ(GetOrdProp(font, "Size"), 12);
        EXPECT_EQ(GetEnumProp(c, "Enabled"), "True");
        SetEnumProp(c, "Enabled", "False");
        EXPECT_EQ(GetOrdProp(c, "Enabled"), 0);
        EXPECT_FALSE(c->Enabled());
        if (w) {
            EXPECT_FALSE(IsWindowEnabled(w->Handle()));
        }
        SetOrdProp(c, "Tag", 5555);
        EXPECT_EQ(GetOrdProp(c, "Tag"), 5555);
        EXPECT_EQ(c->Tag(), 5555);
        tested.insert(cls);
    }
    // The walk reached the classes that the library links in for stored definitions.
    for (const TClassInfo* cls : StandardControlClasses()) {
        if (cls->InheritsFrom(&TControl::StaticClassInfo()) && !cls->InheritsFrom(&TCustomForm::StaticClassInfo())) {
            EXPECT_TRUE(tested.count(cls)) << cls->Name;
        }
    }
    Pump();
    form->Free();
}

// ---------------------------------------------------------------------------
// Event rules

TEST_F(Gui, EditTextFromCodeRaisesChangeOnlyWhenItDiffers) {
    for (bool withWindow : {false, true}) {
        SCOPED_TRACE(withWindow ? "with window" : "without window");
        TForm* form = NewForm<TForm>(Application);
        auto* e = new TEdit(form);
        e->SetParent(form);
        int changes = 0;
        e->OnChange = [&](TObject*) { ++changes; };
        if (withWindow) form->Show();
        e->SetText("abc");
        EXPECT_EQ(changes, 1);
        e->SetText("abc");
        EXPECT_EQ(changes, 1);  // same text: nothing
        e->SetText("");
        EXPECT_EQ(changes, 2);
        if (withWindow) {
            // typing raises it the same way
            SendMessageA(e->Handle(), WM_CHAR, 'x', 1);
            EXPECT_EQ(e->Text(), "x");
            EXPECT_EQ(changes, 3);
            // a click into the field is a click, not a change
            int clicks = 0;
            e->OnClick = [&](TObject*) { ++clicks; };
            SendMessageA(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
            SendMessageA(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            EXPECT_EQ(clicks, 1);
            EXPECT_EQ(changes, 3);
        }
        form->Free();
    }
}

TEST_F(Gui, CheckBoxStateFromCodeRaisesClickWhenItChanges) {
    TForm* form = NewForm<TForm>(Application);
    auto* cb = new TCheckBox(form);
    cb->SetParent(form);
    form->Show();
    int clicks = 0;
    cb->OnClick = [&](TObject*) { ++clicks; };
    cb->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(SendMessageA(cb->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    cb->SetChecked(true);
    EXPECT_EQ(clicks, 1);  // unchanged: no click
    cb->SetState(cbUnchecked);
    EXPECT_EQ(clicks, 2);
    // a click by the user toggles and raises it once
    SendMessageA(cb->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(cb->Checked());
    EXPECT_EQ(SendMessageA(cb->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    form->Free();
}

TEST_F(Gui, ListSelectionFromCodeRaisesNothingSelectionByUserDoes) {
    TForm* form = NewForm<TForm>(Application);
    form->SetBounds(20, 20, 300, 260);
    auto* lb = new TListBox(form);
    lb->SetParent(form);
    lb->SetBounds(8, 8, 120, 120);
    auto* cb = new TComboBox(form);
    cb->SetParent(form);
    cb->SetStyle(csDropDownList);
    cb->SetBounds(140, 8, 120, 21);
    for (const char* s : {"Low", "High", "AutoLow", "AutoHigh", "Best"}) {
        lb->Items()->Add(s);
        cb->Items()->Add(s);
    }
    int lbClicks = 0, cbClicks = 0, cbChanges = 0;
    lb->OnClick = [&](TObject*) { ++lbClicks; };
    cb->OnClick = [&](TObject*) { ++cbClicks; };
    cb->OnChange = [&](TObject*) { ++cbChanges; };
    lb->SetItemIndex(2);  // before the window exists
    form->Show();
    Pump();
    EXPECT_EQ(lb->ItemIndex(), 2);
    lb->SetItemIndex(3);
    cb->SetItemIndex(4);
    cb->SetText("");
    Pump();
    EXPECT_EQ(lbClicks, 0);
    EXPECT_EQ(cbClicks, 0);
    EXPECT_EQ(cbChanges, 0);
    EXPECT_EQ(cb->ItemIndex(), -1);

    // the user clicks the second line of the list
    const int h = static_cast<int>(SendMessageA(lb->Handle(), LB_GETITEMHEIGHT, 0, 0));
    SendMessageA(lb->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, h + h / 2));
    SendMessageA(lb->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, h + h / 2));
    Pump();
    EXPECT_EQ(lb->ItemIndex(), 1);
    EXPECT_EQ(lbClicks, 1);

    // the user picks the next entry of the drop-down list with the keyboard
    cb->SetItemIndex(0);
    SendMessageA(cb->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(cb->ItemIndex(), 1);
    EXPECT_EQ(cbClicks, 1);
    EXPECT_EQ(cbChanges, 1);
    EXPECT_EQ(cb->Text(), "High");
    form->Free();
}

struct KeyCase {
    const char* typed;
    const char* expected;
};

TEST_F(Gui, KeyPressHandlerDropsAndReplacesCharacters) {
    const KeyCase cases[] = {
        {"1a2", "12"},
        {"12\b3", "123"},  // Backspace is a character too, and dropped
        {"x9x", "y9y"},    // replaced
        {"abc", ""},
    };
    TForm* form = NewForm<TForm>(Application);
    auto* e = new TEdit(form);
    e->SetParent(form);
    e->OnKeyPress = [](TObject*, char& key) {
        if (key == 'x')
            key = 'y';
        else if (!(key >= '0' && key <= '9') && key != 13)
            key = 0;
    };
    form->Show();
    for (const KeyCase& k : cases) {
        SCOPED_TRACE(k.typed);
        e->SetText("");
        for (const char* p = k.typed; *p; ++p) SendMessageA(e->Handle(), WM_CHAR, static_cast<unsigned char>(*p), 1);
        EXPECT_EQ(e->Text(), k.expected);
    }
    form->Free();
}

// ---------------------------------------------------------------------------
// Modal forms

TEST_F(Gui, ShowModalAnswersTheButtonsModalResultAfterTheCloseQuery) {
    TForm* owner = NewForm<TForm>(Application);
    owner->Show();
    TForm* dlg = NewForm<TForm>(Application);
    dlg->SetPosition(poScreenCenter);
    auto* ok = new TButton(dlg);
    ok->SetParent(dlg);
    ok->SetModalResult(mrOk);
    int asked = 0, closed = 0;
    bool visibleWhenAskedAgain = false, ownerDisabled = false;
    dlg->OnCloseQuery = [&](TObject*, bool& canClose) {
        ++asked;
        ownerDisabled = !IsWindowEnabled(owner->Handle());
        if (asked == 1) {
            canClose = false;  // refused: the form stays
            PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
        } else {
            visibleWhenAskedAgain = IsWindowVisible(dlg->Handle()) != FALSE;
        }
    };
    dlg->OnClose = [&](TObject*, TCloseAction& action) {
        ++closed;
        EXPECT_EQ(action, caHide);
    };
    dlg->HandleNeeded();
    PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(visibleWhenAskedAgain);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_FALSE(dlg->Visible());
    EXPECT_TRUE(IsWindowEnabled(owner->Handle()));

    // Close on a modal form is a cancel; a second run starts afresh.
    dlg->OnCloseQuery = nullptr;
    dlg->OnShow = [&](TObject*) { PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    dlg->Free();
    owner->Free();
}

// Whatever raises the blocked window later (a window manager, a skin redrawing its frame),
// the modal form stays above it, owned by it while it is shown.
TEST_F(Gui, ModalFormStaysAboveTheWindowItBlocks) {
    TForm* owner = NewForm<TForm>(Application);
    owner->SetBounds(60, 60, 300, 200);
    owner->Show();
    Pump();
    TForm* dlg = NewForm<TForm>(Application);
    dlg->SetBounds(80, 80, 200, 120);
    HWND ownedBy = nullptr;
    bool above = false;
    dlg->OnActivate = [&](TObject*) {
        SetWindowPos(owner->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ownedBy = GetWindow(dlg->Handle(), GW_OWNER);
        for (HWND w = GetWindow(dlg->Handle(), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
            if (w == owner->Handle()) above = true;
        PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(ownedBy, owner->Handle());
    EXPECT_TRUE(above);
    EXPECT_EQ(GetWindow(dlg->Handle(), GW_OWNER), Application->Handle());
    dlg->Free();
    owner->Free();
}

// ---------------------------------------------------------------------------
// Exceptions from handlers

TEST_F(Gui, ExceptionFromAClickHandlerIsShownInABoxTitledAfterTheProgram) {
    EXPECT_EQ(Application->Title(), "Dpguitest");
    EXPECT_EQ(TApplication::DefaultTitle("C:\\Program Files\\Kit\\SETUP.EXE"), "Setup");
    EXPECT_EQ(TApplication::DefaultTitle("driftpane.exe"), "driftpane");
    EXPECT_EQ(TApplication::DefaultTitle("UnInstall.Tool.exe"), "Uninstall.tool");

    TTestForm* f = NewForm<TTestForm>(Application);
    f->Show();
    Pump();
    f->throwFromClick = true;
    BoxWatcher watch;
    watch.Start();
    SendMessageA(f->Button1->Handle(), BM_CLICK, 0, 0);
    watch.Join();
    ASSERT_TRUE(watch.seen);
    EXPECT_EQ(watch.caption, "Dpguitest");
    EXPECT_EQ(watch.text, "Boom from a click");
    // the program goes on
    f->throwFromClick = false;
    SendMessageA(f->Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(f->clicks, 2);
    f->Free();
}

TEST_F(Gui, ExceptionFromATimerIsShownAndTheTimerGoesOn) {
    TTestForm* f = NewForm<TTestForm>(Application);
    f->throwFromTimer = true;
    BoxWatcher watch;
    watch.Start();
    f->Timer1->SetEnabled(true);
    for (int i = 0; i < 500 && !watch.seen; ++i) {
        Application->HandleMessage();
    }
    watch.Join();
    ASSERT_TRUE(watch.seen);
    EXPECT_EQ(watch.caption, "Dpguitest");
    EXPECT_EQ(watch.text, "'x' is not a valid integer value");
    const int before = f->ticks;
    for (int i = 0; i < 1000 && f->ticks < before + 2; ++i) Application->HandleMessage();
    EXPECT_GE(f->ticks, before + 2);
    f->Free();
}

// ---------------------------------------------------------------------------
// Windows back to controls, WindowProc and the notifications

TEST_F(Gui, EveryLibraryWindowLeadsBackToItsControl) {
    TTestForm* f = NewForm<TTestForm>(Application);
    f->Show();
    Pump();
    const std::string atom = ExpectedAtomName();
    EXPECT_EQ(ControlAtomName(), atom);
    for (TWinControl* w :
         std::vector<TWinControl*>{f, f->Panel1, f->GroupBox1, f->Button1, f->Edit1, f->ComboBox1, f->CheckBox1}) {
        SCOPED_TRACE(w->Name());
        EXPECT_EQ(GetPropA(w->Handle(), atom.c_str()), static_cast<HANDLE>(static_cast<TControl*>(w)));
        EXPECT_EQ(FindControl(w->Handle()), w);
    }
    // a window made behind the library's back has none
    HWND bare = CreateWindowExA(0, "STATIC", "bare", WS_CHILD, 0, 0, 10, 10, f->Handle(), nullptr, nullptr, nullptr);
    EXPECT_EQ(GetPropA(bare, atom.c_str()), nullptr);
    EXPECT_EQ(FindControl(bare), nullptr);
    EXPECT_EQ(FindVCLWindow(bare), f);
    // a new window after re-creation carries it again
    HWND old = f->Edit1->Handle();
    f->Edit1->SetText("kept");
    f->Edit1->RecreateWnd();
    EXPECT_NE(f->Edit1->Handle(), old);
    EXPECT_EQ(GetPropA(f->Edit1->Handle(), atom.c_str()), static_cast<HANDLE>(static_cast<TControl*>(f->Edit1)));
    EXPECT_EQ(f->Edit1->Text(), "kept");
    f->Free();
}

TEST_F(Gui, NotificationsPassThroughAReplacedWindowProc) {
    TTestForm* f = NewForm<TTestForm>(Application);
    f->Show();
    Pump();
    {
        Hook h(f->Button1);
        f->Button1->SetVisible(false);
        ASSERT_TRUE(h.Find(0xB00B));
        EXPECT_EQ(h.Find(0xB00B)->WParam, 0u);
        EXPECT_FALSE(IsWindowVisible(f->Button1->Handle()));
        f->Button1->SetVisible(true);
        f->Button1->SetEnabled(false);
        EXPECT_TRUE(h.Saw(0xB00C));
        f->Button1->SetEnabled(true);
        // parent notifications reflected to the child they concern
        NMHDR hdr{f->Button1->Handle(), 0, static_cast<UINT>(-12)};
        SendMessageA(f->GroupBox1->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
        EXPECT_TRUE(h.Saw(0xBC4E));
        SendMessageA(f->GroupBox1->Handle(), WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(f->Button1->Handle()));
        EXPECT_TRUE(h.Saw(0xBD15));
        f->Button1->RecreateWnd();
        EXPECT_TRUE(h.Saw(0xB033));
    }
    {
        // focus leaving a control is announced to it
        Hook h(f->Edit1);
        f->Edit1->SetFocus();
        Pump();
        f->CheckBox1->SetFocus();
        Pump();
        EXPECT_TRUE(h.Saw(0xB01B));
    }
    {
        // a hook that swallows a message keeps it from the control
        Hook h(f->Edit1);
        h.swallow = WM_SETTEXT;
        f->Edit1->SetText("swallowed");
        EXPECT_EQ(f->Edit1->Text(), "first");
    }
    // put back, the old procedure works as before
    f->Edit1->SetText("second");
    EXPECT_EQ(f->Edit1->Text(), "second");
    f->Free();
}

TEST_F(Gui, OnExitAndOnEnterFollowTheFocus) {
    TForm* form = NewForm<TForm>(Application);
    auto* a = new TEdit(form);
    a->SetParent(form);
    auto* b = new TEdit(form);
    b->SetParent(form);
    b->SetTop(30);
    std::string log;
    a->OnEnter = [&](TObject*) { log += "+a"; };
    a->OnExit = [&](TObject*) { log += "-a"; };
    b->OnEnter = [&](TObject*) { log += "+b"; };
    form->Show();
    Pump();
    a->SetFocus();
    b->SetFocus();
    Pump();
    EXPECT_EQ(log, "+a-a+b");
    EXPECT_EQ(form->ActiveControl(), b);
    form->Free();
}

TEST_F(Gui, DialogKeysReachTheDefaultAndCancelButtonsAndTabMoves) {
    TForm* form = NewForm<TForm>(Application);
    auto* a = new TEdit(form);
    a->SetParent(form);
    auto* b = new TEdit(form);
    b->SetParent(form);
    b->SetTop(30);
    auto* ok = new TButton(form);
    ok->SetParent(form);
    ok->SetTop(60);
    ok->SetDefault(true);
    auto* cancel = new TButton(form);
    cancel->SetParent(form);
    cancel->SetTop(90);
    cancel->SetCancel(true);
    std::string log;
    ok->OnClick = [&](TObject*) { log += "ok "; };
    cancel->OnClick = [&](TObject*) { log += "cancel "; };
    form->Show();
    Pump();
    a->SetFocus();
    Pump();
    PostMessageA(a->Handle(), WM_KEYDOWN, VK_TAB, 1);
    Pump();
    EXPECT_TRUE(b->Focused());
    PostMessageA(b->Handle(), WM_KEYDOWN, VK_RETURN, 1);
    Pump();
    PostMessageA(b->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_EQ(log, "ok cancel ");
    EXPECT_EQ(b->Text(), "");  // the keys went to the buttons, not into the edit
    form->Free();
}

// Two pages stacked on each other, as a wizard has them: the one brought to
// the front is the one the user sees, and only its controls take keys.
TEST_F(Gui, DialogKeysAndMnemonicsReachOnlyThePageShown) {
    TForm* form = NewForm<TForm>(Application);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    struct Page {
        TPanel* panel;
        TEdit* edit;
        TButton* next;
        TButton* cancel;
        TCheckBox* box;
        TLabel* label;
    } pages[2];
    std::string log;
    for (int i = 0; i < 2; ++i) {
        Page& p = pages[i];
        p.panel = new TPanel(form);
        p.panel->SetParent(form);
        p.panel->SetBounds(0, 0, 300, 200);
        p.edit = new TEdit(p.panel);
        p.edit->SetParent(p.panel);
        p.edit->SetBounds(10, 10, 100, 21);
        p.box = new TCheckBox(p.panel);
        p.box->SetParent(p.panel);
        p.box->SetBounds(10, 40, 100, 17);
        p.box->SetCaption("&Loop");
        p.label = new TLabel(p.panel);
        p.label->SetParent(p.panel);
        p.label->SetBounds(10, 70, 100, 13);
        p.next = new TButton(p.panel);
        p.next->SetParent(p.panel);
        p.next->SetBounds(10, 100, 75, 25);
        p.next->SetCaption("&Next >");
        p.next->SetDefault(true);
        p.cancel = new TButton(p.panel);
        p.cancel->SetParent(p.panel);
        p.cancel->SetBounds(100, 100, 75, 25);
        p.cancel->SetCaption("&Cancel");
        p.cancel->SetCancel(true);
        const std::string n = IntToStr(i);
        p.next->OnClick = [&log, n](TObject*) { log += n + ":next "; };
        p.cancel->OnClick = [&log, n](TObject*) { log += n + ":cancel "; };
        p.box->OnClick = [&log, n](TObject*) { log += n + ":loop "; };
    }
    form->Show();
    Pump();

    // Which control the key reaches, on either page, from the edit or from a button.
    struct Case {
        UINT msg;
        WPARAM key;
        bool fromButton;
        const char* reaches;
    } cases[] = {
        {WM_KEYDOWN, VK_RETURN, false, "next"},
        {WM_KEYDOWN, VK_ESCAPE, false, "cancel"},
        {WM_SYSCHAR, 'n', false, "next"},
        {WM_SYSCHAR, 'C', false, "cancel"},
        {WM_SYSCHAR, 'l', false, "loop"},
        {WM_SYSCHAR, 'x', false, ""},
        {WM_CHAR, 'n', false, ""},       // typed into the edit
        {WM_CHAR, 'c', true, "cancel"},  // a button takes no characters: the letter is a mnemonic
        {WM_KEYDOWN, VK_RETURN, true, "next"},
    };
    for (int shown = 0; shown < 2; ++shown) {
        Page& p = pages[shown];
        p.panel->BringToFront();
        Pump();
        const Page& other = pages[1 - shown];
        EXPECT_FALSE(IsCovered(p.next));
        EXPECT_TRUE(IsCovered(other.next));
        EXPECT_TRUE(IsCovered(other.label));
        EXPECT_FALSE(IsCovered(p.label));
        EXPECT_TRUE(IsReachable(p.cancel));
        EXPECT_FALSE(IsReachable(other.cancel));
        for (const Case& c : cases) {
            SCOPED_TRACE("page " + IntToStr(shown) + ", message " + IntToStr(static_cast<int>(c.msg)) + ", key " +
                         IntToStr(static_cast<int>(c.key)));
            TWinControl* from = c.fromButton ? static_cast<TWinControl*>(p.next) : p.edit;
            from->SetFocus();
            p.edit->SetText("");
            log.clear();
            PostMessageA(from->Handle(), c.msg, c.key, 1);
            Pump();
            EXPECT_EQ(log, *c.reaches ? IntToStr(shown) + ":" + c.reaches + " " : std::string());
        }
        // A typed letter stays in the edit.
        p.edit->SetFocus();
        PostMessageA(p.edit->Handle(), WM_CHAR, 'n', 1);
        Pump();
        EXPECT_EQ(p.edit->Text(), "n");
        // The check box's mnemonic moves the focus to it as well.
        PostMessageA(p.edit->Handle(), WM_SYSCHAR, 'L', 1);
        Pump();
        EXPECT_TRUE(p.box->Focused());
        // Tab goes round the controls of the page shown only.
        std::set<TControl*> visited;
        p.edit->SetFocus();
        for (int i = 0; i < 6; ++i) {
            PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
            Pump();
            TControl* now = FindControl(GetFocus());
            ASSERT_NE(now, nullptr);
            EXPECT_EQ(now->Parent(), p.panel);
            visited.insert(now);
        }
        EXPECT_EQ(visited.size(), 4u);
    }
    form->Free();
}

TEST_F(Gui, ExceptionFromAKeyboardClickIsShownAndTheModalFormStays) {
    TForm* dlg = NewForm<TForm>(Application);
    dlg->SetPosition(poScreenCenter);
    auto* ok = new TButton(dlg);
    ok->SetParent(dlg);
    ok->SetCaption("&Go");
    ok->SetDefault(true);
    int clicks = 0;
    ok->OnClick = [&](TObject*) {
        if (++clicks == 1) throw Exception("Boom from a key");
        dlg->SetModalResult(mrOk);
    };
    dlg->HandleNeeded();
    BoxWatcher watch;
    // Enter again once the error is answered: the form must still be there to take it.
    HWND okWnd = ok->Handle();
    watch.then = [okWnd] { PostMessageA(okWnd, WM_KEYDOWN, VK_RETURN, 1); };
    watch.Start();
    dlg->OnShow = [&](TObject*) { PostMessageA(okWnd, WM_KEYDOWN, VK_RETURN, 1); };
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    watch.Join();
    EXPECT_TRUE(watch.seen);
    EXPECT_EQ(watch.caption, "Dpguitest");
    EXPECT_EQ(watch.text, "Boom from a key");
    EXPECT_EQ(clicks, 2);
    dlg->Free();
}

TEST_F(Gui, GraphicControlsGetTheMouseOverTheirArea) {
    TForm* form = NewForm<TForm>(Application);
    form->SetBounds(40, 40, 300, 200);
    auto* shape = new TShape(form);
    shape->SetParent(form);
    shape->SetBounds(100, 50, 53, 17);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 80, 13);
    label->SetCaption("Click me");
    int ux = -1, uy = -1, ups = 0, labelClicks = 0, formClicks = 0;
    TMouseButton button = mbMiddle;
    shape->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        ++ups;
        button = b;
        ux = x;
        uy = y;
    };
    label->OnClick = [&](TObject*) { ++labelClicks; };
    form->OnClick = [&](TObject*) { ++formClicks; };
    form->Show();
    Pump();
    HWND h = form->Handle();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 55));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(112, 57));
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(button, mbLeft);
    EXPECT_EQ(ux, 12);
    EXPECT_EQ(uy, 7);
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(12, 12));
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(formClicks, 0);
    // pressed on the label, released away from it: no click
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(250, 150));
    EXPECT_EQ(labelClicks, 1);
    form->Free();
}

TEST_F(Gui, AlignedChildrenFollowTheirParentsSize) {
    TForm* form = NewForm<TForm>(Application);
    form->SetBorderStyle(bsSizeable);
    form->SetClientWidth(400);
    form->SetClientHeight(300);
    auto* bottom = new TPanel(form);
    bottom->SetParent(form);
    bottom->SetHeight(4);
    bottom->SetAlign(alBottom);
    auto* top = new TPanel(form);
    top->SetParent(form);
    top->SetHeight(50);
    top->SetAlign(alTop);
    auto* client = new TPanel(form);
    client->SetParent(form);
    client->SetAlign(alClient);
    form->Show();
    Pump();
    EXPECT_EQ(form->ClientWidth(), 400);
    EXPECT_EQ(form->ClientHeight(), 300);
    struct Want {
        TControl* c;
        int l, t, w, h;
    };
    for (const Want& x : {Want{top, 0, 0, 400, 50}, Want{bottom, 0, 296, 400, 4}, Want{client, 0, 50, 400, 246}}) {
        EXPECT_EQ(x.c->Left(), x.l);
        EXPECT_EQ(x.c->Top(), x.t);
        EXPECT_EQ(x.c->Width(), x.w);
        EXPECT_EQ(x.c->Height(), x.h);
    }
    form->SetClientHeight(200);
    Pump();
    EXPECT_EQ(bottom->Top(), 196);
    EXPECT_EQ(client->Height(), 146);
    form->Free();
}

TEST_F(Gui, ActivationIsRaisedOnceNotOnReturnFromModalFormsOrBoxes) {
    TForm* main = NewForm<TForm>(Application);
    int activations = 0;
    main->OnActivate = [&](TObject*) { ++activations; };
    main->Show();
    Pump();
    EXPECT_EQ(activations, 1);
    TForm* dlg = NewForm<TForm>(Application);
    dlg->OnShow = [&](TObject*) { PostMessageA(dlg->Handle(), WM_CLOSE, 0, 0); };
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    Pump();
    EXPECT_EQ(GetActiveWindow(), main->Handle());
    {
        BoxWatcher watch;
        watch.Start();
        Application->MessageBox("Question?", Application->Title(), MB_OK);
        watch.Join();
        EXPECT_EQ(watch.text, "Question?");
    }
    Pump();
    EXPECT_EQ(activations, 1);
    dlg->Free();
    main->Free();
}

TEST_F(Gui, MdiChildLivesInTheMainFormsClientWindow) {
    TForm* frame = NewForm<TForm>(Application);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 500, 400);
    TCustomForm* savedMain = Application->MainForm();
    Application->SetMainForm(frame);
    frame->Show();
    Pump();
    ASSERT_NE(frame->ClientHandle(), nullptr);
    TForm* child = new TForm(Application);
    child->SetFormStyle(fsMDIChild);
    child->SetCaption("Child");
    child->SetBounds(10, 10, 200, 150);
    child->AfterConstruction();
    child->Show();
    Pump();
    ASSERT_TRUE(child->HandleAllocated());
    EXPECT_EQ(GetParent(child->Handle()), frame->ClientHandle());
    EXPECT_EQ(FindControl(child->Handle()), child);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(frame->ClientHandle(), WM_MDIGETACTIVE, 0, 0)), child->Handle());
    child->Free();
    Application->SetMainForm(savedMain);
    frame->Free();
}

// A component owned by a control that hooks its WindowProc, the way a control skin does.
class THookComp : public TComponent {
public:
    THookComp(TWinControl* control, std::vector<std::string>& log)
        : TComponent(control), m_control(control), m_log(log) {
        m_old = control->WindowProc;
        control->WindowProc = [this](TMessage& m) {
            if (m.Msg == WM_NCDESTROY) m_log.push_back("hook saw the window go");
            m_old(m);
        };
    }
    ~THookComp() override {
        m_log.push_back(m_control->HandleAllocated() ? "unhooked with window" : "unhooked without window");
        m_control->WindowProc = m_old;
    }

private:
    TWinControl* m_control;
    std::vector<std::string>& m_log;
    TWndMethod m_old;
};

TEST_F(Gui, OwnedHooksLetGoWhileTheirControlIsWhole) {
    std::vector<std::string> log;
    TForm* form = NewForm<TForm>(Application);
    auto* b = new TButton(form);
    b->SetParent(form);
    form->Show();
    Pump();
    new THookComp(b, log);
    new THookComp(form, log);
    form->Free();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "unhooked with window");
    EXPECT_EQ(log[1], "unhooked with window");
}

TEST_F(Gui, ItemsSelectionAndTextSurviveWindowRecreation) {
    TForm* form = NewForm<TForm>(Application);
    auto* lb = new TListBox(form);
    lb->SetParent(form);
    auto* cb = new TComboBox(form);
    cb->SetParent(form);
    cb->SetTop(120);
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetLeft(150);
    for (const char* t : {"b", "a", "c"}) {
        lb->Items()->Add(t);
        cb->Items()->Add(t);
    }
    form->Show();
    lb->SetItemIndex(2);
    cb->SetItemIndex(1);
    memo->Lines()->Add("one");
    memo->Lines()->Add("two");
    memo->Lines()->Insert(1, "middle");
    memo->Lines()->Delete(0);
    EXPECT_EQ(memo->Text(), "middle\r\ntwo\r\n");
    lb->RecreateWnd();
    cb->RecreateWnd();
    memo->SetWordWrap(false);  // a style that needs a new window
    EXPECT_EQ(SendMessageA(lb->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(lb->ItemIndex(), 2);
    EXPECT_EQ(cb->ItemIndex(), 1);
    EXPECT_EQ(cb->Text(), "a");
    ASSERT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Get(0), "middle");
    // sorted lists keep the window in the same order
    lb->SetSorted(true);
    char buf[16] = {};
    SendMessageA(lb->Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buf));
    EXPECT_STREQ(buf, "a");
    EXPECT_EQ(lb->Items()->Get(0), "a");
    form->Free();
}

TEST_F(Gui, RadioGroupRaisesClickOnlyForTheUser) {
    TForm* form = NewForm<TForm>(Application);
    auto* rg = new TRadioGroup(form);
    rg->SetParent(form);
    rg->SetBounds(8, 8, 200, 100);
    rg->Items()->Add("Center");
    rg->Items()->Add("Stretch");
    rg->Items()->Add("Tile");
    int clicks = 0;
    rg->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    rg->SetItemIndex(1);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(rg->Buttons(1)->Checked());
    SendMessageA(rg->Buttons(2)->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(rg->ItemIndex(), 2);
    EXPECT_FALSE(rg->Buttons(1)->Checked());
    form->Free();
}

TEST_F(Gui, SpeedButtonsOfAGroupAreDownOneAtATime) {
    TForm* form = NewForm<TForm>(Application);
    TSpeedButton* b[3];
    for (int i = 0; i < 3; ++i) {
        b[i] = new TSpeedButton(form);
        b[i]->SetParent(form);
        b[i]->SetBounds(8 + 30 * i, 8, 25, 25);
        b[i]->SetGroupIndex(1);
    }
    form->Show();
    Pump();
    HWND h = form->Handle();
    struct Step {
        int clickAt;  // button index
        bool down[3];
    };
    for (const Step& st :
         {Step{0, {true, false, false}}, Step{2, {false, false, true}}, Step{2, {false, false, true}}}) {
        const int x = 8 + 30 * st.clickAt + 5;
        SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 12));
        SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(x, 12));
        for (int i = 0; i < 3; ++i) EXPECT_EQ(b[i]->Down(), st.down[i]) << "button " << i;
    }
    form->Free();
}

TEST_F(Gui, FormInsideAnotherControlIsAChildWindow) {
    TForm* host = NewForm<TForm>(Application);
    auto* panel = new TPanel(host);
    panel->SetParent(host);
    panel->SetBounds(0, 0, 200, 150);
    TForm* inner = NewForm<TForm>(Application);
    inner->SetBorderStyle(bsNone);
    inner->SetParent(panel);
    inner->SetBounds(5, 5, 100, 80);
    host->Show();
    inner->Show();
    Pump();
    EXPECT_EQ(GetParent(inner->Handle()), panel->Handle());
    EXPECT_TRUE(GetWindowLongA(inner->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(GetParentForm(inner), host);
    inner->Free();
    host->Free();
}

TEST_F(Gui, TabOrderFromADefinitionHoldsWhateverTheReadingOrder) {
    TTabForm* f = new TTabForm(Application);
    ReadFormDefinition(f,
                       "object TabForm: TTabForm\n"
                       "  object A: TEdit\n    TabOrder = 2\n  end\n"
                       "  object B: TEdit\n    Top = 30\n    TabOrder = 0\n  end\n"
                       "  object C: TEdit\n    Top = 60\n    TabOrder = 1\n  end\n"
                       "end\n",
                       "TabForm");
    f->AfterConstruction();
    EXPECT_EQ(f->A->TabOrder(), 2);
    EXPECT_EQ(f->B->TabOrder(), 0);
    EXPECT_EQ(f->C->TabOrder(), 1);
    f->Show();
    Pump();
    EXPECT_TRUE(f->B->Focused());  // the first tab stop gets the focus
    f->Free();
}

TEST_F(Gui, ChangesThatNeedANewWindowKeepTheControlWorking) {
    TForm* form = NewForm<TForm>(Application);
    form->SetBounds(50, 50, 300, 200);
    auto* cb = new TComboBox(form);
    cb->SetParent(form);
    cb->SetStyle(csDropDownList);
    cb->Items()->Add("one");
    form->Show();
    cb->SetBounds(10, 10, 150, 21);
    RECT dropped{};
    SendMessageA(cb->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_GT(dropped.bottom - dropped.top, 60);  // room for the list below the box
    EXPECT_LT(cb->Height(), 40);
    HWND old = form->Handle();
    form->SetBorderStyle(bsDialog);
    EXPECT_NE(form->Handle(), old);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(GetParent(cb->Handle()), form->Handle());
    EXPECT_EQ(cb->Items()->Count(), 1);
    form->Free();
}

TEST_F(Gui, ClosingWithCaFreeReleasesTheFormAfterItsMessages) {
    TForm* f = NewForm<TForm>(Application);
    const int before = Screen->FormCount();
    bool destroyed = false;
    f->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    f->OnDestroy = [&](TObject*) { destroyed = true; };
    f->Show();
    Pump();
    f->Close();
    EXPECT_FALSE(destroyed);  // still inside the caller
    Pump();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(Screen->FormCount(), before - 1);
}

TEST_F(Gui, KeyPreviewLetsTheFormSeeKeysFirst) {
    TForm* form = NewForm<TForm>(Application);
    form->SetKeyPreview(true);
    auto* e = new TEdit(form);
    e->SetParent(form);
    std::string order;
    form->OnKeyPress = [&](TObject*, char& key) {
        order += "form ";
        if (key == '!') key = 0;
    };
    e->OnKeyPress = [&](TObject*, char&) { order += "edit "; };
    form->Show();
    SendMessageA(e->Handle(), WM_CHAR, 'a', 1);
    SendMessageA(e->Handle(), WM_CHAR, '!', 1);
    EXPECT_EQ(order, "form edit form ");
    EXPECT_EQ(e->Text(), "a");
    form->Free();
}

TEST_F(Gui, OnExceptionReplacesTheBox) {
    TForm* form = NewForm<TForm>(Application);
    auto* b = new TButton(form);
    b->SetParent(form);
    b->OnClick = [](TObject*) { throw EConvertError("'abc' is not a valid integer value"); };
    std::string seen;
    Application->OnException = [&](TObject*, const Exception& e) { seen = e.Message(); };
    form->Show();
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    Application->OnException = nullptr;
    EXPECT_EQ(seen, "'abc' is not a valid integer value");
    // EAbort is silent
    b->OnClick = [](TObject*) { throw EAbort("Operation aborted"); };
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    form->Free();
}

// ---------------------------------------------------------------------------

TEST_F(Gui, ScreenshotOfAFormWithEveryControl) {
    TForm* form = NewForm<TForm>(Application);
    form->SetCaption("Every control");
    form->SetBorderStyle(bsSingle);
    form->SetBounds(30, 30, 520, 380);
    auto place = [&](TControl* c, int x, int y, int w, int h, const char* caption = nullptr) {
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        if (caption) c->SetCaption(caption);
    };
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetPixelFormat(pf24bit);
    glyph->SetSize(16, 16);
    glyph->Canvas()->Brush()->SetColor(clFuchsia);
    glyph->Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph->Canvas()->Brush()->SetColor(clGreen);
    glyph->Canvas()->FillRect(Rect(3, 3, 13, 13));

    place(new TButton(form), 8, 8, 75, 25, "&Button");
    auto* bb = new TBitBtn(form);
    place(bb, 90, 8, 90, 25, "&Bit button");
    bb->SetGlyph(glyph.get());
    auto* sb = new TSpeedButton(form);
    place(sb, 188, 8, 25, 25);
    sb->SetGlyph(glyph.get());
    auto* edit = new TEdit(form);
    place(edit, 8, 44, 150, 21);
    edit->SetText("An edit");
    auto* memo = new TMemo(form);
    place(memo, 8, 72, 150, 60);
    memo->Lines()->Add("A memo");
    memo->Lines()->Add("with two lines");
    place(new TLabel(form), 170, 48, 100, 13, "A label");
    auto* chk = new TCheckBox(form);
    place(chk, 170, 72, 120, 17, "A check box");
    chk->SetChecked(true);
    auto* radio = new TRadioButton(form);
    place(radio, 170, 96, 120, 17, "A radio button");
    radio->SetChecked(true);
    auto* combo = new TComboBox(form);
    place(combo, 300, 8, 200, 21);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add("A combo box");
    combo->SetItemIndex(0);
    auto* list = new TListBox(form);
    place(list, 300, 40, 200, 70);
    for (const char* s : {"A list box", "second", "third"}) list->Items()->Add(s);
    list->SetItemIndex(1);
    auto* group = new TGroupBox(form);
    place(group, 8, 140, 240, 90, "A group box");
    auto* inner = new TLabel(form);
    inner->SetParent(group);
    inner->SetBounds(12, 24, 120, 13);
    inner->SetCaption("Label in the group");
    auto* rg = new TRadioGroup(form);
    place(rg, 260, 120, 240, 110, "A radio group");
    rg->Items()->Add("First");
    rg->Items()->Add("Second");
    rg->SetItemIndex(1);
    auto* panel = new TPanel(form);
    place(panel, 8, 240, 240, 50, "A panel");
    auto* bevel = new TBevel(form);
    place(bevel, 260, 240, 110, 50);
    auto* image = new TImage(form);
    place(image, 380, 240, 50, 50);
    image->SetStretch(true);
    image->SetTransparent(true);
    image->Picture()->SetBitmap(glyph.get());
    auto* shape = new TShape(form);
    place(shape, 440, 240, 53, 30);
    shape->Brush()->SetColor(clBlack);
    shape->SetCursor(crHandPoint);
    form->Show();
    for (int i = 0; i < 20; ++i) Application->ProcessMessages();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Application->ProcessMessages();

    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(CaptureWindow(form->Handle(), w, h, px));
    ASSERT_TRUE(WritePngFile(std::string(DP_TEST_BIN_DIR) + "/gui_every_control.png", w, h, px));
    // The shape's black brush and the bit button's green glyph reached the screen.
    RECT c;
    GetClientRect(form->Handle(), &c);
    POINT origin{0, 0};
    ClientToScreen(form->Handle(), &origin);
    RECT wr;
    GetWindowRect(form->Handle(), &wr);
    const int ox = origin.x - wr.left, oy = origin.y - wr.top;
    EXPECT_EQ(px[static_cast<size_t>(oy + 255) * w + ox + 466], 0x000000u);
    bool green = false;
    for (int y = 8; y < 33; ++y)
        for (int x = 90; x < 180; ++x)
            if (px[static_cast<size_t>(oy + y) * w + ox + x] == 0x008000u) green = true;
    EXPECT_TRUE(green);
    // the transparent image lets the form show through its magenta corners
    EXPECT_NE(px[static_cast<size_t>(oy + 242) * w + ox + 382], 0xFF00FFu);
    form->Free();
}

// Last: it ends the application's loop for good.
TEST_F(Gui, RunReturnsWhenTheMainFormCloses) {
    Application->SetMainForm(nullptr);
    Application->Run();  // no main form: back at once
    EXPECT_FALSE(Application->Terminated());
    TForm* main = NewForm<TForm>(Application);
    Application->SetMainForm(main);
    int closes = 0;
    main->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
    main->OnShow = [&](TObject*) { PostMessageA(main->Handle(), WM_CLOSE, 0, 0); };
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(closes, 1);
    main->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);
}

}  // namespace
