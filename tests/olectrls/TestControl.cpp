#include "tests/olectrls/TestControl.h"

#include <utility>

namespace oletest {

const CLSID CLSID_TestControl = {0x5C3A9E61, 0x2B7D, 0x4F0A, {0x9C, 0x1E, 0x7D, 0x4B, 0x2A, 0x6F, 0x0E, 0x31}};
const CLSID CLSID_Nowhere = {0x0DDBA11, 0x1234, 0x4321, {0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89}};

TControlLog& Log() {
    static TControlLog log;
    return log;
}

int TControlLog::Count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : calls)
        if (c == call) ++n;
    return n;
}

int TControlLog::IndexOf(const std::string& call) const {
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i] == call) return static_cast<int>(i);
    return -1;
}

namespace {

enum : DISPID { kCaption = 1, kCount = 2, kConcat = 3, kFail = 4 };

struct Member {
    const wchar_t* name;
    DISPID id;
};
const Member kMembers[] = {{L"Caption", kCaption}, {L"Count", kCount}, {L"Concat", kConcat}, {L"Fail", kFail}};

const wchar_t kWindowClass[] = L"DpOleTestControlWindow";

LRESULT CALLBACK ControlWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETFOCUS) ++Log().focusMessages;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT r;
        GetClientRect(wnd, &r);
        HBRUSH b = CreateSolidBrush(RGB(0, 128, 255));
        FillRect(dc, &r, b);
        DeleteObject(b);
        EndPaint(wnd, &ps);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

class TestControl final : public IOleObject, public IOleInPlaceObject, public IDispatch, public IPersistStreamInit {
public:
    TestControl() {
        ++Log().alive;
        ++Log().created;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
            *ppv = static_cast<IOleObject*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<IDispatch*>(this);
        else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit))
            *ppv = static_cast<IPersistStreamInit*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        Log().calls.push_back(site ? "SetClientSite" : "SetClientSite(null)");
        if (site) site->AddRef();
        if (site_) site_->Release();
        site_ = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        *site = site_;
        if (site_) site_->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        Log().calls.push_back("Close");
        InPlaceDeactivate();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
        *m = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** d) override {
        *d = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT pos) override {
        Log().calls.push_back("DoVerb " + std::to_string(verb));
        if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW) return OLEOBJ_S_INVALIDVERB;
        return Activate(site ? site : site_, parent, pos);
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** e) override {
        *e = nullptr;
        return OLEOBJ_E_NOVERBS;
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* id) override {
        *id = CLSID_TestControl;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR* t) override {
        *t = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT || !size) return E_INVALIDARG;
        Log().extent = *size;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD, SIZEL* size) override {
        *size = Log().extent;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink*, DWORD* c) override {
        *c = 0;
        return E_NOTIMPL;
    }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override {
        *e = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status =
            OLEMISC_SETCLIENTSITEFIRST | OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow / IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* wnd) override {
        *wnd = wnd_;
        return wnd_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        if (!inPlace_) return S_OK;
        Log().calls.push_back("InPlaceDeactivate");
        Log().parentAliveAtDeactivate = Log().parent && IsWindow(Log().parent);
        if (wnd_) DestroyWindow(wnd_);
        wnd_ = nullptr;
        IOleInPlaceSite* s = std::exchange(inPlace_, nullptr);
        s->OnInPlaceDeactivate();
        s->Release();
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
        if (!pos) return E_INVALIDARG;
        ++Log().rectCalls;
        Log().lastRects = *pos;
        if (wnd_) MoveWindow(wnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* id) override {
        *id = CLSID_TestControl;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override {
        Log().calls.push_back("InitNew");
        Log().siteBeforeInit = site_ != nullptr;
        return S_OK;
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
        *t = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const Member& m : kMembers)
                if (i == 0 && _wcsicmp(names[i], m.name) == 0) ids[i] = m.id;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* excep,
                        UINT*) override {
        const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
        const UINT argc = p ? p->cArgs : 0;
        if (result) VariantInit(result);
        switch (id) {
            case kCaption:
            case kCount:
                if (put) {
                    if (argc != 1 || p->cNamedArgs != 1 || p->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                        return DISP_E_PARAMNOTOPTIONAL;
                    VARIANT v;
                    VariantInit(&v);
                    HRESULT hr = VariantChangeType(&v, &p->rgvarg[0], 0, id == kCaption ? VT_BSTR : VT_I4);
                    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
                    if (id == kCaption) {
                        Log().caption.assign(v.bstrVal, SysStringLen(v.bstrVal));
                        Log().calls.push_back("put Caption");
                    } else {
                        Log().count = v.lVal;
                        Log().calls.push_back("put Count");
                    }
                    VariantClear(&v);
                    return S_OK;
                }
                if (!(flags & DISPATCH_PROPERTYGET) || argc || !result) return DISP_E_MEMBERNOTFOUND;
                if (id == kCaption) {
                    result->vt = VT_BSTR;
                    result->bstrVal = SysAllocString(Log().caption.c_str());
                } else {
                    result->vt = VT_I4;
                    result->lVal = Log().count;
                }
                return S_OK;
            case kConcat: {
                if (put || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
                if (argc != 2) return DISP_E_BADPARAMCOUNT;
                // The last argument comes first in the list.
                std::wstring text;
                for (int i = 1; i >= 0; --i) {
                    VARIANT v;
                    VariantInit(&v);
                    if (FAILED(VariantChangeType(&v, &p->rgvarg[i], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
                    text.append(v.bstrVal, SysStringLen(v.bstrVal));
                    VariantClear(&v);
                }
                Log().calls.push_back("Concat");
                if (result) {
                    result->vt = VT_BSTR;
                    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
                }
                return S_OK;
            }
            case kFail:
                if (excep) {
                    *excep = EXCEPINFO{};
                    excep->bstrSource = SysAllocString(L"TestControl");
                    excep->bstrDescription = SysAllocString(L"Deliberate failure");
                    excep->scode = E_FAIL;
                }
                return DISP_E_EXCEPTION;
            default: return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    ~TestControl() {
        if (site_) site_->Release();
        --Log().alive;
    }

    HRESULT Activate(IOleClientSite* site, HWND, LPCRECT pos) {
        if (inPlace_) {
            ShowWindow(wnd_, SW_SHOW);
            return S_OK;
        }
        if (!site) return E_UNEXPECTED;
        // Ambient UserMode, as real controls ask before they run.
        IDispatch* ambient = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient))) && ambient) {
            DISPPARAMS none{};
            VARIANT v;
            VariantInit(&v);
            if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v,
                                          nullptr, nullptr)) &&
                v.vt == VT_BOOL)
                Log().userMode = v.boolVal != VARIANT_FALSE;
            VariantClear(&v);
            ambient->Release();
        }
        IOleInPlaceSite* ips = nullptr;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&ips))) || !ips)
            return E_NOINTERFACE;
        if (ips->CanInPlaceActivate() != S_OK) {
            ips->Release();
            return E_FAIL;
        }
        ips->OnInPlaceActivate();
        inPlace_ = ips;
        HWND parent = nullptr;
        ips->GetWindow(&parent);
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* doc = nullptr;
        RECT place{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        if (SUCCEEDED(ips->GetWindowContext(&frame, &doc, &place, &clip, &info))) {
            Log().gotFrame = frame != nullptr;
            Log().frameWindow = info.hwndFrame;
        }
        if (frame) frame->Release();
        if (doc) doc->Release();
        if (pos) place = *pos;
        Log().parent = parent;
        WNDCLASSW wc{};
        wc.lpfnWndProc = ControlWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        RegisterClassW(&wc);
        wnd_ = CreateWindowExW(0, kWindowClass, L"test control", WS_CHILD | WS_VISIBLE | WS_TABSTOP, place.left,
                               place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        Log().window = wnd_;
        return wnd_ ? S_OK : E_FAIL;
    }

    LONG refs_ = 1;
    IOleClientSite* site_ = nullptr;
    IOleInPlaceSite* inPlace_ = nullptr;
    HWND wnd_ = nullptr;
};

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* c = new TestControl;
        HRESULT hr = static_cast<IOleObject*>(c)->QueryInterface(riid, ppv);
        static_cast<IOleObject*>(c)->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;
DWORD g_cookie = 0;

}  // namespace

HRESULT RegisterTestControl() {
    if (g_cookie) return S_OK;
    return CoRegisterClassObject(CLSID_TestControl, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &g_cookie);
}

void RevokeTestControl() {
    if (g_cookie) CoRevokeClassObject(g_cookie);
    g_cookie = 0;
}

}  // namespace oletest
