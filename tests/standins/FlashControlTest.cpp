#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/standins/StandInTest.h"

using standin_test::ReadNumber;
using standin_test::ReadText;

namespace {

const CLSID kClsid = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const wchar_t kStateKey[] = L"Software\\DriftpaneTest\\FlashStandIn";
const wchar_t kControlClass[] = L"DriftpaneFlashStandIn";

// The least a container must offer for in-place activation, with a log of what the control did.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
public:
    explicit Site(HWND window) : window_(window) {}

    int activated = 0, deactivated = 0, uiActivated = 0, uiDeactivated = 0;
    IOleInPlaceActiveObject* active = nullptr;  // not owned: only compared
    RECT place = {10, 20, 162, 132};

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *ppv = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame))
            *ppv = static_cast<IOleInPlaceFrame*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    // Lives on the test's stack; the count only tells whether the control let go of it.
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    LONG refs = 0;

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        *hwnd = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override {
        ++activated;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override {
        ++uiActivated;
        return S_OK;
    }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *doc = nullptr;
        *pos = place;
        *clip = place;
        info->fMDIApp = FALSE;
        info->hwndFrame = window_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override {
        ++uiDeactivated;
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivate() override {
        ++deactivated;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override {
        active = object;
        return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND window_;
};

std::wstring WindowText(HWND hwnd) {
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}

class FlashControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        RegDeleteKeyW(HKEY_CURRENT_USER, kStateKey);
        ASSERT_NE(host_, nullptr);
        site_ = new Site(host_);
        ASSERT_EQ(
            CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&object_)),
            S_OK);
        ASSERT_EQ(object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)), S_OK);
    }

    void TearDown() override {
        if (dispatch_) dispatch_->Release();
        if (object_) {
            object_->Close(OLECLOSE_NOSAVE);
            object_->SetClientSite(nullptr);
            object_->Release();
        }
        if (site_) {
            EXPECT_EQ(site_->refs, 0) << "the control kept a reference to its site";
        }
        delete site_;
        CoUninitialize();
    }

    // One shown host window for the suite: showing a window under Wine takes a while.
    static void SetUpTestSuite() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"StandInTestHost";
        RegisterClassW(&wc);
        host_ = CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300,
                                nullptr, nullptr, wc.hInstance, nullptr);
        if (host_) ShowWindow(host_, SW_SHOWNA);
    }
    static void TearDownTestSuite() {
        if (host_) DestroyWindow(host_);
        host_ = nullptr;
    }

    void Activate(LONG verb = OLEIVERB_INPLACEACTIVATE) {
        ASSERT_EQ(object_->SetClientSite(site_), S_OK);
        ASSERT_EQ(object_->DoVerb(verb, nullptr, site_, 0, host_, &site_->place), S_OK);
    }

    HWND ControlWindow() const { return FindWindowExW(host_, nullptr, kControlClass, nullptr); }

    DISPID Id(const wchar_t* name) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 12345;
        HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        return hr == S_OK ? id : DISPID_UNKNOWN;
    }

    HRESULT Call(const wchar_t* name, VARIANT* result = nullptr) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        return dispatch_->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result, nullptr,
                                 nullptr);
    }

    HRESULT PutMovie(const wchar_t* movie) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(movie);
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {&value, &named, 1, 1};
        HRESULT hr = dispatch_->Invoke(Id(L"Movie"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                                       nullptr, nullptr, nullptr);
        VariantClear(&value);
        return hr;
    }

    std::wstring GetMovie() {
        VARIANT result;
        VariantInit(&result);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        EXPECT_EQ(dispatch_->Invoke(Id(L"Movie"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                                    nullptr, nullptr),
                  S_OK);
        std::wstring text = result.vt == VT_BSTR && result.bstrVal ? result.bstrVal : L"<not a string>";
        VariantClear(&result);
        return text;
    }

    static HWND host_;
    Site* site_ = nullptr;
    IOleObject* object_ = nullptr;
    IDispatch* dispatch_ = nullptr;
};

HWND FlashControlTest::host_ = nullptr;

TEST_F(FlashControlTest, NamesResolveToTheRealControlsDispids) {
    struct Case {
        const wchar_t* name;
        DISPID id;
    };
    const Case cases[] = {
        {L"Movie", 0x66}, {L"Play", 0x70}, {L"Stop", 0x71}, {L"movie", 0x66}, {L"Playing", 0x7d},
    };
    for (const Case& c : cases) EXPECT_EQ(Id(c.name), c.id) << static_cast<const void*>(c.name);
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    DISPID id = 0;
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(FlashControlTest, ItsOwnInterfaceIdGivesTheSameDispatch) {
    const IID shockwaveFlash = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
    IDispatch* own = nullptr;
    ASSERT_EQ(object_->QueryInterface(shockwaveFlash, reinterpret_cast<void**>(&own)), S_OK);
    EXPECT_EQ(own, dispatch_);
    own->Release();
}

TEST_F(FlashControlTest, InPlaceActivationMakesAChildOfTheSiteWindow) {
    Activate();
    HWND child = ControlWindow();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), host_);
    EXPECT_EQ(site_->activated, 1);
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, site_->place.left);
    EXPECT_EQ(r.top, site_->place.top);
    EXPECT_EQ(r.right - r.left, 152);
    EXPECT_EQ(r.bottom - r.top, 112);

    IOleInPlaceObject* inPlace = nullptr;
    ASSERT_EQ(object_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)), S_OK);
    HWND reported = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&reported), S_OK);
    EXPECT_EQ(reported, child);
    RECT moved = {30, 40, 230, 190};
    EXPECT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    GetWindowRect(child, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 150);

    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(site_->deactivated, 1);
    inPlace->Release();
}

TEST_F(FlashControlTest, MoviePlayAndStopShowInTheWindowAndTheRegistry) {
    Activate();
    HWND child = ControlWindow();
    ASSERT_NE(child, nullptr);
    const wchar_t movie[] = L"C:\\Program Files\\Driftpane\\sample.swf";

    ASSERT_EQ(Call(L"Stop"), S_OK);  // the builder stops before loading a movie
    ASSERT_EQ(PutMovie(movie), S_OK);
    EXPECT_EQ(GetMovie(), movie);
    EXPECT_EQ(WindowText(child), std::wstring(movie) + L" - Stopped");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kStateKey, L"LastCall"), L"Movie");

    ASSERT_EQ(Call(L"Play"), S_OK);
    EXPECT_EQ(WindowText(child), std::wstring(movie) + L" - Playing");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kStateKey, L"Movie"), movie);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kStateKey, L"Playing"), 1u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kStateKey, L"PlayCount"), 1u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kStateKey, L"StopCount"), 1u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kStateKey, L"LastCall"), L"Play");

    ASSERT_EQ(Call(L"Stop"), S_OK);
    EXPECT_EQ(WindowText(child), std::wstring(movie) + L" - Stopped");
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kStateKey, L"Playing"), 0u);
    EXPECT_EQ(ReadNumber(HKEY_CURRENT_USER, kStateKey, L"StopCount"), 2u);
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kStateKey, L"LastCall"), L"Stop");

    VARIANT playing;
    VariantInit(&playing);
    ASSERT_EQ(Call(L"IsPlaying", &playing), S_OK);
    EXPECT_EQ(playing.vt, VT_BOOL);
    EXPECT_EQ(playing.boolVal, VARIANT_FALSE);
}

TEST_F(FlashControlTest, MovieSetBeforeActivationIsShownByTheNewWindow) {
    ASSERT_EQ(PutMovie(L"D:\\movies\\early.swf"), S_OK);
    ASSERT_EQ(Call(L"Play"), S_OK);
    Activate(OLEIVERB_SHOW);
    HWND child = ControlWindow();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(WindowText(child), L"D:\\movies\\early.swf - Playing");
    EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(FlashControlTest, UiActivationRegistersWithTheFrameUntilDeactivated) {
    Activate(OLEIVERB_UIACTIVATE);
    EXPECT_EQ(site_->uiActivated, 1);
    EXPECT_NE(site_->active, nullptr);
    ASSERT_EQ(object_->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site_->uiDeactivated, 1);
    EXPECT_EQ(site_->active, nullptr);
    EXPECT_EQ(site_->deactivated, 1);
    EXPECT_EQ(ControlWindow(), nullptr);
}

TEST_F(FlashControlTest, BadCallsAreRefused) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(
        dispatch_->Invoke(0x4242, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
        DISP_E_MEMBERNOTFOUND);
    // A put without its value.
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS empty = {nullptr, &named, 0, 1};
    EXPECT_EQ(
        dispatch_->Invoke(0x66, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &empty, nullptr, nullptr, nullptr),
        DISP_E_BADPARAMCOUNT);
    // A value that is no text.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = nullptr;
    DISPPARAMS params = {&value, &named, 1, 1};
    EXPECT_EQ(dispatch_->Invoke(0x66, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                                nullptr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(GetMovie(), L"");
    // Activation without a site.
    EXPECT_TRUE(FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, host_, nullptr)));
}

TEST_F(FlashControlTest, DrawPaintsTheControlForAnInactiveContainer) {
    IViewObject* view = nullptr;
    ASSERT_EQ(object_->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 80);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, 100, 80};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECTL bounds = {10, 10, 90, 70};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(GetPixel(dc, 11, 11), RGB(32, 32, 48));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));  // nothing outside the bounds
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    view->Release();
}

}  // namespace
