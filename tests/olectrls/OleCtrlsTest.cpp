// Hosting ActiveX controls in place under Wine: siting, activation, sizing, focus, dispatch by
// name, teardown order and the OLE error for classes that cannot be created.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/ExtCtrls.h"
#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "classlib/OleCtrls.h"
#include "tests/olectrls/TestControl.h"

using oletest::CLSID_Nowhere;
using oletest::CLSID_TestControl;
using oletest::Log;

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

SIZE ClientSize(HWND wnd) {
    RECT r{};
    GetClientRect(wnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

LONG Himetric(LONG px, int axis) {
    HDC dc = GetDC(nullptr);
    int ppi = GetDeviceCaps(dc, axis);
    ReleaseDC(nullptr, dc);
    return MulDiv(px, 2540, ppi);
}

class OleHost : public ::testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        ASSERT_HRESULT_SUCCEEDED(oletest::RegisterTestControl());
        Log().Clear();
        form = NewForm<TForm>(Application);
        form->SetBounds(40, 40, 420, 300);
        form->SetCaption("Host");
    }
    void TearDown() override {
        if (form) form->Free();
        Pump();
    }
    // A test control on the form, shown and in place.
    TOleControl* Host(int left = 10, int top = 10, int width = 200, int height = 100) {
        auto* c = new TOleControl(form, CLSID_TestControl);
        c->SetBounds(left, top, width, height);
        c->SetParent(form);
        form->Show();
        c->HandleNeeded();
        Pump();
        return c;
    }
    TForm* form = nullptr;
};

TEST_F(OleHost, SitesTheControlAndActivatesItInOurWindow) {
    TOleControl* c = Host(10, 10, 200, 100);
    ASSERT_TRUE(c->InPlaceActive());
    // The control asked for its site first: it must have it before it initialises.
    EXPECT_TRUE(Log().siteBeforeInit);
    EXPECT_LT(Log().IndexOf("SetClientSite"), Log().IndexOf("InitNew"));
    EXPECT_EQ(Log().Count("DoVerb -5"), 1);  // OLEIVERB_INPLACEACTIVATE
    EXPECT_TRUE(Log().userMode);
    EXPECT_TRUE(Log().gotFrame);
    EXPECT_EQ(Log().frameWindow, form->Handle());
    EXPECT_EQ(Log().parent, c->Handle());
    ASSERT_NE(Log().window, nullptr);
    EXPECT_EQ(c->ControlWindow(), Log().window);
    EXPECT_EQ(GetParent(Log().window), c->Handle());
    EXPECT_TRUE(IsWindowVisible(Log().window));
    SIZE s = ClientSize(Log().window);
    EXPECT_EQ(s.cx, 200);
    EXPECT_EQ(s.cy, 100);
    EXPECT_EQ(Log().extent.cx, Himetric(200, LOGPIXELSX));
    EXPECT_EQ(Log().extent.cy, Himetric(100, LOGPIXELSY));
    // The control paints its own window: a pixel of the form's window shows its colour.
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(Log().window);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 128, 255));
    ReleaseDC(Log().window, dc);
}

BOOL CALLBACK CountHostWindows(HWND wnd, LPARAM param) {
    char cls[64] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    if (std::string(cls) == "TOleControl") ++*reinterpret_cast<int*>(param);
    return TRUE;
}

TEST_F(OleHost, WindowAskedForBeforeItsFormsIsMadeOnce) {
    auto* c = new TOleControl(form, CLSID_TestControl);
    c->SetParent(form);
    c->SetBounds(5, 5, 80, 60);
    ASSERT_FALSE(form->HandleAllocated());
    c->HandleNeeded();  // makes the form's window, which makes ours as its child
    int windows = 0;
    EnumChildWindows(form->Handle(), CountHostWindows, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 1);
    EXPECT_EQ(Log().Count("DoVerb -5"), 1);
    EXPECT_EQ(Log().parent, c->Handle());
    EXPECT_EQ(GetParent(c->ControlWindow()), c->Handle());
}

TEST_F(OleHost, FollowsItsParentsSize) {
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 120, 80);
    panel->SetBevelOuter(bvNone);
    auto* c = new TOleControl(form, CLSID_TestControl);
    c->SetParent(panel);
    c->SetAlign(alClient);
    form->Show();
    Pump();
    ASSERT_TRUE(c->InPlaceActive());
    struct Case {
        int width, height;
    } cases[] = {{300, 150}, {64, 40}, {400, 260}};
    for (const Case& k : cases) {
        panel->SetBounds(0, 0, k.width, k.height);
        Pump();
        SIZE s = ClientSize(c->ControlWindow());
        EXPECT_EQ(s.cx, k.width) << k.width << "x" << k.height;
        EXPECT_EQ(s.cy, k.height) << k.width << "x" << k.height;
        EXPECT_EQ(Log().lastRects.right - Log().lastRects.left, k.width);
        EXPECT_EQ(Log().lastRects.bottom - Log().lastRects.top, k.height);
        EXPECT_EQ(Log().extent.cx, Himetric(k.width, LOGPIXELSX));
    }
}

TEST_F(OleHost, FocusGoesToTheControlsWindow) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 200, 100, 21);
    TOleControl* c = Host();
    edit->SetFocus();
    Pump();
    ASSERT_EQ(GetFocus(), edit->Handle());
    const int before = Log().focusMessages;
    c->SetFocus();
    Pump();
    EXPECT_EQ(GetFocus(), Log().window);
    EXPECT_GT(Log().focusMessages, before);
    // Focus given to the host window itself (tabbing, clicks) is passed on too.
    edit->SetFocus();
    ::SetFocus(c->Handle());
    Pump();
    EXPECT_EQ(GetFocus(), Log().window);
}

TEST_F(OleHost, PropertiesAndMethodsByName) {
    TOleControl* c = Host();
    c->SetProperty("Caption", "Hello, world");
    EXPECT_EQ(Log().caption, L"Hello, world");
    EXPECT_EQ(c->GetStringProp("caption"), "Hello, world");  // names are case-insensitive
    EXPECT_EQ(c->GetProperty("CAPTION").Type(), VT_BSTR);
    c->SetProperty("Count", 42);
    EXPECT_EQ(Log().count, 42);
    EXPECT_EQ(c->GetIntegerProp("Count"), 42);
    c->SetProperty("Count", "17");  // converted by the control
    EXPECT_EQ(c->GetIntegerProp("Count"), 17);
    std::string viaConversion = c->GetProperty("Count");
    EXPECT_EQ(viaConversion, "17");

    struct Case {
        std::vector<TOleVariant> args;
        std::string expected;
    } cases[] = {
        {{"ab", "cd"}, "abcd"},  // arguments keep their order
        {{1, "x"}, "1x"},
        {{"", L"wide \u00e9"}, "wide \xe9"},
        {{true, 2.5}, ""},  // filled below: the system's own conversions
    };
    for (Case& k : cases) {
        if (k.expected.empty()) k.expected = k.args[0].AsString() + k.args[1].AsString();
        EXPECT_EQ(c->Invoke("Concat", k.args).AsString(), k.expected);
    }
    EXPECT_EQ(c->Invoke("Concat", {"p", "q"}).AsString(), "pq");
    EXPECT_EQ(Log().Count("Concat"), 5);
}

TEST_F(OleHost, DispatchFailuresRaiseOleErrors) {
    TOleControl* c = Host();
    struct Case {
        const char* what;
        std::function<void()> call;
        HRESULT code;
        const char* named;  // the member the message names
    } cases[] = {
        {"unknown property", [&] { c->GetProperty("NoSuchThing"); }, DISP_E_UNKNOWNNAME, "NoSuchThing"},
        {"unknown method", [&] { c->Invoke("Frobnicate"); }, DISP_E_UNKNOWNNAME, "Frobnicate"},
        {"too few arguments", [&] { c->Invoke("Concat", {"only"}); }, DISP_E_BADPARAMCOUNT, "Concat"},
        {"bad value", [&] { c->SetProperty("Count", "not a number"); }, DISP_E_TYPEMISMATCH, "Count"},
    };
    for (const Case& k : cases) {
        try {
            k.call();
            ADD_FAILURE() << k.what << ": nothing raised";
        } catch (const EOleSysError& e) {
            EXPECT_EQ(e.ErrorCode, k.code) << k.what;
            EXPECT_NE(e.Message().find(k.named), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(IntToHex(static_cast<uint32_t>(k.code), 8)), std::string::npos) << e.Message();
        }
    }
    try {
        c->Invoke("Fail");
        ADD_FAILURE() << "Fail raised nothing";
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message(), "Deliberate failure");
        EXPECT_EQ(e.Source, "TestControl");
        EXPECT_EQ(e.ErrorCode, E_FAIL);
    }
}

TEST_F(OleHost, UnregisteredClassRaisesTheOleError) {
    const int components = form->ComponentCount();
    const std::string sysText = OleSysErrorText(REGDB_E_CLASSNOTREG);
    try {
        new TOleControl(form, CLSID_Nowhere);
        FAIL() << "created a class nobody registered";
    } catch (const EOleError& base) {
        const auto* e = dynamic_cast<const EOleSysError*>(&base);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->ErrorCode, REGDB_E_CLASSNOTREG);
        EXPECT_NE(e->Message().find("80040154"), std::string::npos) << e->Message();
        EXPECT_EQ(e->Message().rfind(sysText, 0), 0u) << e->Message();
        EXPECT_EQ(e->Message().rfind("Class not registered", 0), 0u) << e->Message();
    }
    EXPECT_EQ(form->ComponentCount(), components);
    // Made later, the same way.
    TOleControl late(nullptr);
    EXPECT_FALSE(late.ControlCreated());
    EXPECT_THROW(late.CreateControl(CLSID_Nowhere), EOleSysError);
    EXPECT_FALSE(late.ControlCreated());
    EXPECT_THROW(late.GetProperty("Caption"), EOleSysError);
}

TEST_F(OleHost, ErrorTexts) {
    struct Case {
        HRESULT code;
        const char* hex;
    } cases[] = {{REGDB_E_CLASSNOTREG, "0x80040154"},
                 {E_NOINTERFACE, "0x80004002"},
                 {HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "0x80070002"},
                 {static_cast<HRESULT>(0xA0DD0001), ""}};
    for (const Case& k : cases) {
        std::string msg = OleErrorMessage(k.code);
        std::string sys = OleSysErrorText(k.code);
        if (sys.empty()) {
            EXPECT_EQ(msg, Format(SOleError, static_cast<unsigned>(k.code)));
        } else {
            EXPECT_EQ(msg, sys + " (" + k.hex + ")");
            EXPECT_NE(sys.back(), '\n');
        }
        EXPECT_THROW(OleCheck(k.code), EOleSysError);
    }
    EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
    EXPECT_FALSE(OleSysErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).empty());
    EXPECT_EQ(OleErrorMessage(REGDB_E_CLASSNOTREG).substr(0, 20), "Class not registered");
}

enum class Teardown { DeleteControl, FreeForm, DestroyFormHandle };

class OleTeardown : public OleHost, public ::testing::WithParamInterface<Teardown> {};

TEST_P(OleTeardown, DeactivatesBeforeTheWindowGoesThenClosesAndUnsites) {
    TOleControl* c = Host();
    ASSERT_EQ(Log().alive, 1);
    switch (GetParam()) {
        case Teardown::DeleteControl: delete c; break;
        case Teardown::FreeForm:
            form->Free();
            form = nullptr;
            break;
        case Teardown::DestroyFormHandle:
            // The windows go without the library being asked: the control must still let go in time.
            DestroyWindow(form->Handle());
            EXPECT_FALSE(c->InPlaceActive());
            delete c;
            break;
    }
    Pump();
    const int deact = Log().IndexOf("InPlaceDeactivate");
    const int close = Log().IndexOf("Close");
    const int unsite = Log().IndexOf("SetClientSite(null)");
    ASSERT_GE(deact, 0);
    EXPECT_TRUE(Log().parentAliveAtDeactivate);
    if (GetParam() != Teardown::DestroyFormHandle) {
        EXPECT_LT(deact, close);
    }
    EXPECT_LT(close, unsite);
    EXPECT_EQ(Log().Count("InPlaceDeactivate"), 1);
    EXPECT_EQ(Log().alive, 0);  // every reference we held was given back
}

INSTANTIATE_TEST_SUITE_P(Ways, OleTeardown,
                         ::testing::Values(Teardown::DeleteControl, Teardown::FreeForm, Teardown::DestroyFormHandle));

TEST_F(OleHost, RecreatedWindowGetsTheControlBack) {
    TOleControl* c = Host();
    HWND first = c->Handle();
    c->RecreateWnd();
    Pump();
    HWND second = c->Handle();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Log().Count("InPlaceDeactivate"), 1);
    EXPECT_EQ(Log().Count("DoVerb -5"), 2);
    EXPECT_EQ(Log().parent, second);
    if (first != second) {
        EXPECT_FALSE(IsWindow(first));
    }
    ASSERT_TRUE(c->InPlaceActive());
    EXPECT_EQ(GetParent(c->ControlWindow()), second);
    c->SetProperty("Caption", "still here");
    EXPECT_EQ(Log().caption, L"still here");
}

}  // namespace
