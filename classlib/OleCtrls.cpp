#include "classlib/OleCtrls.h"

#include <utility>

#include "classlib/Forms.h"
#include "classlib/WinSys.h"

// ---------------------------------------------------------------------------
// Errors

std::string OleSysErrorText(HRESULT code) {
    auto lookup = [](DWORD id) {
        char* buf = nullptr;
        DWORD n =
            FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, id, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
        std::string text = n && buf ? std::string(buf, n) : std::string();
        if (buf) LocalFree(buf);
        while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ')) text.pop_back();
        return text;
    };
    std::string text = lookup(static_cast<DWORD>(code));
    // Wrapped Win32 codes are known to the system by their plain number.
    if (text.empty() && HRESULT_FACILITY(code) == FACILITY_WIN32) text = lookup(HRESULT_CODE(code));
    if (text.empty()) {
        // Some systems (Wine) have no table for the COM codes a host meets most; Windows' words.
        static const struct {
            HRESULT code;
            const char* text;
        } known[] = {
            {REGDB_E_CLASSNOTREG, "Class not registered"},
            {CLASS_E_NOAGGREGATION, "Class does not support aggregation (or class object is remote)"},
            {CO_E_NOTINITIALIZED, "CoInitialize has not been called."},
            {CO_E_SERVER_EXEC_FAILURE, "Server execution failed"},
            {E_NOINTERFACE, "No such interface supported"},
            {DISP_E_UNKNOWNNAME, "Unknown name."},
            {DISP_E_MEMBERNOTFOUND, "Member not found."},
            {DISP_E_BADPARAMCOUNT, "Invalid number of parameters."},
            {DISP_E_TYPEMISMATCH, "Type mismatch."},
            {DISP_E_PARAMNOTOPTIONAL, "Parameter not optional."},
        };
        for (const auto& k : known)
            if (k.code == code) text = k.text;
    }
    return text;
}

std::string OleErrorMessage(HRESULT code) {
    std::string text = OleSysErrorText(code);
    const unsigned hex = static_cast<unsigned>(code);
    if (text.empty()) return Format(SOleError, hex);
    return Format("%s (0x%.8X)", text.c_str(), hex);
}

void OleError(HRESULT code) { throw EOleSysError(OleErrorMessage(code), code); }

HRESULT OleCheck(HRESULT result) {
    if (FAILED(result)) OleError(result);
    return result;
}

// ---------------------------------------------------------------------------
// TOleVariant

TOleVariant::TOleVariant(const std::string& s) : TOleVariant(StringToWideString(s)) {}

TOleVariant::TOleVariant(const std::wstring& s) {
    VariantInit(&m_v);
    m_v.vt = VT_BSTR;
    m_v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!m_v.bstrVal) {
        m_v.vt = VT_EMPTY;
        OleError(E_OUTOFMEMORY);
    }
}

TOleVariant::TOleVariant(int32_t i) {
    VariantInit(&m_v);
    m_v.vt = VT_I4;
    m_v.lVal = i;
}

TOleVariant::TOleVariant(bool b) {
    VariantInit(&m_v);
    m_v.vt = VT_BOOL;
    m_v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

TOleVariant::TOleVariant(double d) {
    VariantInit(&m_v);
    m_v.vt = VT_R8;
    m_v.dblVal = d;
}

TOleVariant::TOleVariant(const VARIANT& v) {
    VariantInit(&m_v);
    OleCheck(VariantCopy(&m_v, const_cast<VARIANT*>(&v)));
}

TOleVariant::TOleVariant(const TOleVariant& other) : TOleVariant(other.m_v) {}

TOleVariant::TOleVariant(TOleVariant&& other) noexcept {
    m_v = other.m_v;
    VariantInit(&other.m_v);
}

TOleVariant& TOleVariant::operator=(const TOleVariant& other) {
    if (this != &other) {
        VARIANT copy;
        VariantInit(&copy);
        OleCheck(VariantCopy(&copy, const_cast<VARIANT*>(&other.m_v)));
        VariantClear(&m_v);
        m_v = copy;
    }
    return *this;
}

TOleVariant& TOleVariant::operator=(TOleVariant&& other) noexcept {
    if (this != &other) {
        VariantClear(&m_v);
        m_v = other.m_v;
        VariantInit(&other.m_v);
    }
    return *this;
}

VARIANT TOleVariant::Changed(VARTYPE to) const {
    VARIANT out;
    VariantInit(&out);
    OleCheck(VariantChangeType(&out, const_cast<VARIANT*>(&m_v), 0, to));
    return out;
}

std::wstring TOleVariant::AsWideString() const {
    if (m_v.vt == VT_EMPTY || m_v.vt == VT_NULL) return {};
    if (m_v.vt == VT_BSTR) return m_v.bstrVal ? std::wstring(m_v.bstrVal, SysStringLen(m_v.bstrVal)) : std::wstring();
    VARIANT s = Changed(VT_BSTR);
    std::wstring text = s.bstrVal ? std::wstring(s.bstrVal, SysStringLen(s.bstrVal)) : std::wstring();
    VariantClear(&s);
    return text;
}

std::string TOleVariant::AsString() const { return WideStringToString(AsWideString()); }

int32_t TOleVariant::AsInteger() const {
    if (m_v.vt == VT_EMPTY) return 0;
    VARIANT i = Changed(VT_I4);
    return i.lVal;
}

bool TOleVariant::AsBoolean() const {
    if (m_v.vt == VT_EMPTY) return false;
    VARIANT b = Changed(VT_BOOL);
    return b.boolVal != VARIANT_FALSE;
}

double TOleVariant::AsDouble() const {
    if (m_v.vt == VT_EMPTY) return 0;
    VARIANT d = Changed(VT_R8);
    return d.dblVal;
}

// ---------------------------------------------------------------------------
// The container side: one client site per control (with its in-place site, control site
// and ambient properties) and one frame. Both outlive their control when the hosted
// object keeps references; they then answer without a host.

namespace dp_ole {

namespace {

template <class T>
void ReleaseRef(T*& p) {
    if (p) {
        T* q = p;
        p = nullptr;
        q->Release();
    }
}

int PixelsPerInch(bool horizontal) {
    HDC dc = GetDC(nullptr);
    int ppi = dc ? GetDeviceCaps(dc, horizontal ? LOGPIXELSX : LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : 96;
}

// HIMETRIC is 0.01 mm: 2540 to the inch.
LONG PixelsToHimetric(LONG px, bool horizontal) { return MulDiv(px, 2540, PixelsPerInch(horizontal)); }
LONG HimetricToPixels(LONG hm, bool horizontal) { return MulDiv(hm, PixelsPerInch(horizontal), 2540); }

}  // namespace

class TFrame final : public IOleInPlaceFrame {
public:
    explicit TFrame(TOleControl* host) : m_host(host) {}
    void Detach() { m_host = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleWindow) ||
            IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
            *ppv = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0) delete this;
        return n;
    }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* wnd) override {
        if (!wnd) return E_POINTER;
        *wnd = m_host ? m_host->FrameWindow() : nullptr;
        return *wnd ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

    // IOleInPlaceUIWindow: no toolbars are negotiated.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* obj, LPCOLESTR) override {
        if (!m_host) return S_OK;
        if (obj) obj->AddRef();
        ReleaseRef(m_host->m_activeObject);
        m_host->m_activeObject = obj;
        return S_OK;
    }

    // IOleInPlaceFrame: the form's menu stays the form's.
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS widths) override {
        if (widths)
            for (LONG& w : widths->width) w = 0;
        return S_OK;
    }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    ~TFrame() = default;
    LONG m_refs = 1;
    TOleControl* m_host;
};

class TSite final : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite, public IDispatch {
public:
    explicit TSite(TOleControl* host) : m_host(host) {}
    void Detach() { m_host = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *ppv = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite))
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(riid, IID_IOleControlSite))
            *ppv = static_cast<IOleControlSite*>(this);
        else if (IsEqualIID(riid, IID_IDispatch))
            *ppv = static_cast<IDispatch*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0) delete this;
        return n;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* wnd) override {
        if (!wnd) return E_POINTER;
        *wnd = m_host && m_host->HandleAllocated() ? m_host->Handle() : nullptr;
        return *wnd ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return m_host && m_host->HandleAllocated() ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override {
        if (!m_host || !m_host->m_oleObject) return E_UNEXPECTED;
        if (!m_host->m_inPlaceObject)
            m_host->m_oleObject->QueryInterface(IID_IOleInPlaceObject,
                                                reinterpret_cast<void**>(&m_host->m_inPlaceObject));
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (frame) *frame = nullptr;
        if (doc) *doc = nullptr;  // the frame is also the document window
        if (!m_host || !m_host->HandleAllocated() || !frame || !pos || !clip) return E_UNEXPECTED;
        *frame = m_host->m_frame;
        (*frame)->AddRef();
        GetClientRect(m_host->Handle(), pos);
        *clip = *pos;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = m_host->FrameWindow();
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        if (m_host) ReleaseRef(m_host->m_inPlaceObject);
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override {
        if (m_host && m_host->m_inPlaceObject) m_host->m_inPlaceObject->UIDeactivate();
        return S_OK;
    }
    // The control's place is ours to give: it keeps filling our window.
    STDMETHODIMP OnPosRectChange(LPCRECT) override {
        if (m_host) m_host->UpdateObjectRects();
        return S_OK;
    }

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** disp) override {
        if (disp) *disp = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override {
        if (!himetric || !container) return E_POINTER;
        if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
            container->x = static_cast<float>(HimetricToPixels(himetric->x, true));
            container->y = static_cast<float>(HimetricToPixels(himetric->y, false));
        } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
            himetric->x = PixelsToHimetric(static_cast<LONG>(container->x), true);
            himetric->y = PixelsToHimetric(static_cast<LONG>(container->y), false);
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties. The control runs, never designs.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        if (ids)
            for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs) return DISP_E_BADPARAMCOUNT;
        if (!result) return E_POINTER;
        VariantInit(result);
        auto boolean = [&](bool v) {
            result->vt = VT_BOOL;
            result->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        };
        auto integer = [&](LONG v) {
            result->vt = VT_I4;
            result->lVal = v;
            return S_OK;
        };
        switch (id) {
            case DISPID_AMBIENT_USERMODE: return boolean(true);
            case DISPID_AMBIENT_UIDEAD: return boolean(false);
            case DISPID_AMBIENT_SHOWGRABHANDLES: return boolean(false);
            case DISPID_AMBIENT_SHOWHATCHING: return boolean(false);
            case DISPID_AMBIENT_DISPLAYASDEFAULT: return boolean(false);
            case DISPID_AMBIENT_MESSAGEREFLECT: return boolean(false);
            case DISPID_AMBIENT_SUPPORTSMNEMONICS: return boolean(false);
            case DISPID_AMBIENT_AUTOCLIP: return boolean(true);
            case DISPID_AMBIENT_LOCALEID: return integer(static_cast<LONG>(GetUserDefaultLCID()));
            case DISPID_AMBIENT_BACKCOLOR: return integer(m_host ? static_cast<LONG>(ColorToRGB(m_host->Color())) : 0);
            case DISPID_AMBIENT_FORECOLOR:
                return integer(m_host ? static_cast<LONG>(ColorToRGB(m_host->Font()->Color())) : 0);
            case DISPID_AMBIENT_DISPLAYNAME:
                if (!m_host) break;
                result->vt = VT_BSTR;
                result->bstrVal = StringToOleStr(m_host->Name());
                return S_OK;
            default: break;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ~TSite() = default;
    LONG m_refs = 1;
    TOleControl* m_host;
};

}  // namespace dp_ole

// ---------------------------------------------------------------------------
// TOleControl

DP_PUBLISHED(TOleControl){
    DP_PROP_BOOL(TabStop, TabStop, SetTabStop),
};

TOleControl::TOleControl(TComponent* owner) : TWinControl(owner) {
    m_width = 75;
    m_height = 50;
    m_tabStop = true;
}

TOleControl::TOleControl(TComponent* owner, const CLSID& classId) : TOleControl(owner) { CreateControl(classId); }

TOleControl::~TOleControl() { DestroyControl(); }

void TOleControl::CreateControl(const CLSID& classId) {
    if (m_oleObject) return;
    if (!m_oleInit) {
        // In-place activation needs OLE, not only COM, on this thread.
        HRESULT hr = OleInitialize(nullptr);
        m_oleInit = SUCCEEDED(hr);
    }
    IOleObject* obj = nullptr;
    HRESULT hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(&obj));
    if (FAILED(hr) || !obj) {
        if (obj) obj->Release();
        DestroyControl();
        OleError(FAILED(hr) ? hr : E_NOINTERFACE);
    }
    m_classId = classId;
    m_oleObject = obj;
    m_site = new dp_ole::TSite(this);
    m_frame = new dp_ole::TFrame(this);
    try {
        SiteControl();
    } catch (...) {
        // Half-sited objects are not kept.
        DestroyControl();
        throw;
    }
}

void TOleControl::SiteControl() {
    IOleObject* obj = m_oleObject;
    HRESULT hr = S_OK;

    DWORD misc = 0;
    if (FAILED(obj->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
    IOleClientSite* site = static_cast<IOleClientSite*>(m_site);
    if (misc & OLEMISC_SETCLIENTSITEFIRST) OleCheck(obj->SetClientSite(site));
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(obj->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))) && persist) {
        hr = persist->InitNew();
        persist->Release();
        // A control that was already initialised says so; anything else is a real failure.
        if (FAILED(hr) && hr != E_UNEXPECTED) OleError(hr);
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) OleCheck(obj->SetClientSite(site));
    if (FAILED(obj->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_dispatch)))) m_dispatch = nullptr;
    UpdateExtent();
    if (HandleAllocated()) ActivateInPlace();
}

void TOleControl::DestroyControl() {
    if (m_oleObject) {
        DeactivateInPlace();
        m_oleObject->Close(OLECLOSE_NOSAVE);
        m_oleObject->SetClientSite(nullptr);
    }
    dp_ole::ReleaseRef(m_activeObject);
    dp_ole::ReleaseRef(m_inPlaceObject);
    dp_ole::ReleaseRef(m_dispatch);
    dp_ole::ReleaseRef(m_oleObject);
    if (m_site) {
        m_site->Detach();
        dp_ole::ReleaseRef(m_site);
    }
    if (m_frame) {
        m_frame->Detach();
        dp_ole::ReleaseRef(m_frame);
    }
    m_dispIds.clear();
    if (m_oleInit) {
        m_oleInit = false;
        OleUninitialize();
    }
}

IDispatch* TOleControl::DefaultDispatch() {
    if (!m_oleObject) OleError(E_UNEXPECTED);
    if (!m_dispatch) OleError(E_NOINTERFACE);
    return m_dispatch;
}

HWND TOleControl::ControlWindow() const {
    HWND wnd = nullptr;
    if (m_inPlaceObject && FAILED(m_inPlaceObject->GetWindow(&wnd))) wnd = nullptr;
    return wnd;
}

HWND TOleControl::FrameWindow() {
    if (TCustomForm* form = GetParentForm(this))
        if (form->HandleAllocated()) return form->Handle();
    return m_handle ? GetAncestor(m_handle, GA_ROOT) : nullptr;
}

void TOleControl::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    // Our background must not paint over the control's window.
    params.Style |= WS_CLIPCHILDREN;
}

void TOleControl::CreateWnd() {
    TWinControl::CreateWnd();
    ActivateInPlace();
}

void TOleControl::DestroyWnd() {
    DeactivateInPlace();
    TWinControl::DestroyWnd();
}

void TOleControl::ActivateInPlace() {
    if (!m_oleObject || m_inPlaceObject || !m_handle || m_activating) return;
    m_activating = true;
    RECT r;
    GetClientRect(m_handle, &r);
    IOleClientSite* site = static_cast<IOleClientSite*>(m_site);
    HRESULT hr = m_oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, m_handle, &r);
    if (FAILED(hr)) hr = m_oleObject->DoVerb(OLEIVERB_SHOW, nullptr, site, 0, m_handle, &r);
    m_activating = false;
    if (FAILED(hr)) OleError(hr);
    // A control that went active without telling its site.
    if (!m_inPlaceObject)
        m_oleObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_inPlaceObject));
    UpdateObjectRects();
}

void TOleControl::DeactivateInPlace() {
    if (!m_inPlaceObject) return;
    m_inPlaceObject->AddRef();
    IOleInPlaceObject* obj = m_inPlaceObject;
    obj->InPlaceDeactivate();
    obj->Release();
    dp_ole::ReleaseRef(m_inPlaceObject);  // when the control did not call OnInPlaceDeactivate
    dp_ole::ReleaseRef(m_activeObject);
}

void TOleControl::UpdateExtent() {
    if (!m_oleObject) return;
    // The window's client area once it exists: WM_SIZE comes before our bounds are updated.
    int w = m_width, h = m_height;
    RECT r;
    if (m_handle && GetClientRect(m_handle, &r)) {
        w = r.right - r.left;
        h = r.bottom - r.top;
    }
    SIZEL size{dp_ole::PixelsToHimetric(w, true), dp_ole::PixelsToHimetric(h, false)};
    m_oleObject->SetExtent(DVASPECT_CONTENT, &size);
}

void TOleControl::UpdateObjectRects() {
    UpdateExtent();
    if (!m_inPlaceObject || !m_handle) return;
    RECT r;
    GetClientRect(m_handle, &r);
    m_inPlaceObject->SetObjectRects(&r, &r);
}

void TOleControl::SetFocus() {
    TWinControl::SetFocus();
    HWND control = ControlWindow();
    if (control && GetFocus() != control && !IsChild(control, GetFocus())) ::SetFocus(control);
}

void TOleControl::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_SIZE:
            TWinControl::WndProc(m);
            UpdateObjectRects();
            return;
        case WM_SETFOCUS: {
            TWinControl::WndProc(m);
            // The keyboard belongs to the control's own window.
            HWND control = ControlWindow();
            if (control && IsWindowVisible(control)) ::SetFocus(control);
            return;
        }
        case WM_DESTROY:
            // Windows destroyed with a parent: the control must let go of ours first.
            DeactivateInPlace();
            break;
        default: break;
    }
    TWinControl::WndProc(m);
}

// ---------------------------------------------------------------------------
// Dispatch members by name

DISPID TOleControl::GetDispID(const std::string& name) {
    const std::string key = UpperCase(name);
    auto it = m_dispIds.find(key);
    if (it != m_dispIds.end()) return it->second;
    IDispatch* disp = DefaultDispatch();
    std::wstring wide = StringToWideString(name);
    LPOLESTR names[1] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw EOleSysError(name + ": " + OleErrorMessage(hr), hr);
    m_dispIds.emplace(key, id);
    return id;
}

namespace {

TOleVariant DispatchCall(IDispatch* disp, DISPID id, WORD flags, const TOleVariant* const* args, size_t count,
                         bool put) {
    // DISPPARAMS lists the arguments last first; the callee only reads them.
    std::vector<VARIANTARG> list(count);
    for (size_t i = 0; i < count; ++i) list[count - 1 - i] = args[i]->Value();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = count ? list.data() : nullptr;
    params.cArgs = static_cast<UINT>(count);
    if (put) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    TOleVariant result;
    EXCEPINFO excep{};
    UINT argErr = 0;
    HRESULT hr =
        disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : result.Out(), &excep, &argErr);
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        std::string source = excep.bstrSource ? OleStrToString(excep.bstrSource) : std::string();
        std::string text = excep.bstrDescription ? TrimRight(OleStrToString(excep.bstrDescription)) : std::string();
        HRESULT code = excep.scode ? excep.scode : hr;
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        if (text.empty()) text = OleErrorMessage(code);
        throw EOleException(text, code, source);
    }
    OleCheck(hr);
    return result;
}

}  // namespace

TOleVariant TOleControl::GetProperty(const std::string& name) {
    DISPID id = GetDispID(name);
    try {
        return DispatchCall(m_dispatch, id, DISPATCH_PROPERTYGET, nullptr, 0, false);
    } catch (EOleException&) {
        throw;
    } catch (EOleSysError& e) {
        throw EOleSysError(name + ": " + e.Message(), e.ErrorCode);
    }
}

void TOleControl::SetProperty(const std::string& name, const TOleVariant& value) {
    DISPID id = GetDispID(name);
    const TOleVariant* args[1] = {&value};
    try {
        DispatchCall(m_dispatch, id, DISPATCH_PROPERTYPUT, args, 1, true);
    } catch (EOleException&) {
        throw;
    } catch (EOleSysError& e) {
        throw EOleSysError(name + ": " + e.Message(), e.ErrorCode);
    }
}

TOleVariant TOleControl::Invoke(const std::string& name, const std::vector<TOleVariant>& args) {
    DISPID id = GetDispID(name);
    std::vector<const TOleVariant*> ptrs;
    ptrs.reserve(args.size());
    for (const TOleVariant& a : args) ptrs.push_back(&a);
    try {
        return DispatchCall(m_dispatch, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, ptrs.data(), ptrs.size(), false);
    } catch (EOleException&) {
        throw;
    } catch (EOleSysError& e) {
        throw EOleSysError(name + ": " + e.Message(), e.ErrorCode);
    }
}

TOleVariant TOleControl::Invoke(const std::string& name, std::initializer_list<TOleVariant> args) {
    return Invoke(name, std::vector<TOleVariant>(args));
}

// ---------------------------------------------------------------------------
// TShockwaveFlash

const CLSID CLSID_ShockwaveFlash = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

DP_PUBLISHED(TShockwaveFlash){
    DP_PROP_STR(Movie, Movie, SetMovie),
};

TShockwaveFlash::TShockwaveFlash(TComponent* owner) : TOleControl(owner, CLSID_ShockwaveFlash) {
    m_width = 192;
    m_height = 192;
    UpdateExtent();
}

std::vector<const TClassInfo*> OleControlClasses() {
    return {&TOleControl::StaticClassInfo(), &TShockwaveFlash::StaticClassInfo()};
}
