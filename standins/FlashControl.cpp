// Test-only Shockwave Flash control: a windowed ActiveX control that plays nothing. It shows the
// movie's file name and whether it plays, keeps "<movie> - Playing" / "<movie> - Stopped" as its
// window text, and records what it was told under HKCU\Software\DriftpaneTest\FlashStandIn
// ("Movie", "Playing", "PlayCount", "StopCount", "LastCall"; the counts add up over all instances,
// so a test clears the key first).
//
// Members are reached through IDispatch by name; the DISPIDs are those of the real control.

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

#include "standins/StandInServer.h"

namespace {

using namespace standin;

const CLSID kClsidFlash = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

// The control's own dual interface. Only its IDispatch part is offered: callers bind late, by name.
const IID kIidShockwaveFlash = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const wchar_t kStateKey[] = L"Software\\DriftpaneTest\\FlashStandIn";
const wchar_t kWindowClass[] = L"DriftpaneFlashStandIn";

enum : DISPID {
    kDispMovie = 0x66,
    kDispQuality = 0x69,
    kDispLoop = 0x6a,
    kDispFrameNum = 0x6b,
    kDispPlay = 0x70,
    kDispStop = 0x71,
    kDispBack = 0x72,
    kDispForward = 0x73,
    kDispRewind = 0x74,
    kDispScaleMode = 0x78,
    kDispBackgroundColor = 0x7b,
    kDispTotalFrames = 0x7c,
    kDispPlaying = 0x7d,
    kDispStopPlay = 0x7e,
    kDispIsPlaying = 0x81,
    kDispWMode = 0x85,
    kDispMenu = 0x87,
    kDispReadyState = DISPID_READYSTATE,
};

enum class Kind { Method, Property, ReadOnly };

struct Member {
    const wchar_t* name;
    DISPID id;
    Kind kind;
};

const Member kMembers[] = {
    {L"Movie", kDispMovie, Kind::Property},
    {L"Play", kDispPlay, Kind::Method},
    {L"Stop", kDispStop, Kind::Method},
    {L"Playing", kDispPlaying, Kind::Property},
    {L"IsPlaying", kDispIsPlaying, Kind::Method},
    {L"StopPlay", kDispStopPlay, Kind::Method},
    {L"Rewind", kDispRewind, Kind::Method},
    {L"Back", kDispBack, Kind::Method},
    {L"Forward", kDispForward, Kind::Method},
    {L"Loop", kDispLoop, Kind::Property},
    {L"Quality", kDispQuality, Kind::Property},
    {L"ScaleMode", kDispScaleMode, Kind::Property},
    {L"BackgroundColor", kDispBackgroundColor, Kind::Property},
    {L"WMode", kDispWMode, Kind::Property},
    {L"Menu", kDispMenu, Kind::Property},
    {L"FrameNum", kDispFrameNum, Kind::Property},
    {L"TotalFrames", kDispTotalFrames, Kind::ReadOnly},
    {L"ReadyState", kDispReadyState, Kind::ReadOnly},
};

const Member* FindMember(DISPID id) {
    for (const Member& m : kMembers)
        if (m.id == id) return &m;
    return nullptr;
}

// 152 x 112 pixels at 96 dpi, in HIMETRIC.
constexpr LONG kDefaultWidth = 4022;
constexpr LONG kDefaultHeight = 2963;

std::wstring FileNamePart(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

bool RegisterWindowClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(g_module, kWindowClass, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ControlWndProc;
    wc.hInstance = g_module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0;
}

class FlashControl final : public IOleObject,
                           public IOleInPlaceObject,
                           public IOleInPlaceActiveObject,
                           public IOleControl,
                           public IViewObject2,
                           public IDispatch,
                           public IPersistStreamInit,
                           public IPersistPropertyBag,
                           public IConnectionPointContainer {
public:
    FlashControl() {
        InterlockedIncrement(&g_objects);
        extent_.cx = kDefaultWidth;
        extent_.cy = kDefaultHeight;
        VariantInit(&quality_);
        quality_.vt = VT_I4;
        quality_.lVal = 1;
        VariantInit(&scaleMode_);
        scaleMode_.vt = VT_I4;
        VariantInit(&backgroundColor_);
        backgroundColor_.vt = VT_I4;
        backgroundColor_.lVal = -1;
        VariantInit(&wmode_);
        wmode_.vt = VT_BSTR;
        wmode_.bstrVal = SysAllocString(L"Window");
        VariantInit(&frameNum_);
        frameNum_.vt = VT_I4;
    }

    ~FlashControl() {
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
        ReleaseRef(inPlaceSite_);
        ReleaseRef(frame_);
        ReleaseRef(clientSite_);
        ReleaseRef(adviseHolder_);
        ReleaseRef(viewSink_);
        VariantClear(&quality_);
        VariantClear(&scaleMode_);
        VariantClear(&backgroundColor_);
        VariantClear(&wmode_);
        VariantClear(&frameNum_);
        InterlockedDecrement(&g_objects);
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
            *ppv = static_cast<IOleObject*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
            *ppv = static_cast<IOleInPlaceActiveObject*>(this);
        else if (IsEqualIID(riid, IID_IOleControl))
            *ppv = static_cast<IOleControl*>(this);
        else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
            *ppv = static_cast<IViewObject2*>(this);
        else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidShockwaveFlash))
            *ppv = static_cast<IDispatch*>(this);
        else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit))
            *ppv = static_cast<IPersistStreamInit*>(this);
        else if (IsEqualIID(riid, IID_IPersistPropertyBag))
            *ppv = static_cast<IPersistPropertyBag*>(this);
        else if (IsEqualIID(riid, IID_IConnectionPointContainer))
            *ppv = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (site) site->AddRef();
        ReleaseRef(clientSite_);
        clientSite_ = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        if (!site) return E_POINTER;
        *site = clientSite_;
        if (clientSite_) clientSite_->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        InPlaceDeactivate();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override {
        if (data) *data = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT pos) override {
        switch (verb) {
            case OLEIVERB_PRIMARY:
            case OLEIVERB_SHOW:
            case OLEIVERB_INPLACEACTIVATE: return Activate(site, pos, false);
            case OLEIVERB_UIACTIVATE: return Activate(site, pos, true);
            case OLEIVERB_HIDE:
                if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
                return S_OK;
            default:
                if (verb > 0) {
                    HRESULT hr = Activate(site, pos, false);
                    return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
                }
                return E_NOTIMPL;
        }
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override {
        if (verbs) *verbs = nullptr;
        return OLEOBJ_E_NOVERBS;
    }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {
        if (!clsid) return E_POINTER;
        *clsid = kClsidFlash;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override { return OleRegGetUserType(kClsidFlash, form, type); }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!size) return E_INVALIDARG;
        extent_ = *size;
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!size) return E_INVALIDARG;
        *size = extent_;
        return S_OK;
    }
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override {
        if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(&adviseHolder_))) return E_OUTOFMEMORY;
        return adviseHolder_->Advise(sink, cookie);
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** e) override {
        if (!e) return E_POINTER;
        *e = nullptr;
        return adviseHolder_ ? adviseHolder_->EnumAdvise(e) : S_OK;
    }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        if (!status) return E_POINTER;
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                  OLEMISC_SETCLIENTSITEFIRST;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, shared by both in-place interfaces
    STDMETHODIMP GetWindow(HWND* hwnd) override {
        if (!hwnd) return E_POINTER;
        *hwnd = hwnd_;
        return hwnd_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override {
        if (!inPlaceSite_) return S_OK;
        UIDeactivate();
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
        IOleInPlaceSite* site = std::exchange(inPlaceSite_, nullptr);
        ReleaseRef(frame_);
        site->OnInPlaceDeactivate();
        site->Release();
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override {
        if (!uiActive_) return S_OK;
        uiActive_ = false;
        if (frame_) frame_->SetActiveObject(nullptr, nullptr);
        if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
        return S_OK;
    }
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
        if (!pos) return E_INVALIDARG;
        if (hwnd_) MoveWindow(hwnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return S_FALSE; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override {
        if (!info) return E_POINTER;
        info->hAccel = nullptr;
        info->cAccel = 0;
        info->dwFlags = 0;
        return S_OK;
    }
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // IViewObject2: draws what the window shows, for containers that paint inactive controls.
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
        if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        if (!dc || !bounds) return E_INVALIDARG;
        RECT r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        Paint(dc, r);
        return S_OK;
    }
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) override {
        if (set) *set = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink* sink) override {
        if (sink) sink->AddRef();
        ReleaseRef(viewSink_);
        viewSink_ = sink;
        return S_OK;
    }
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override {
        if (aspects) *aspects = DVASPECT_CONTENT;
        if (advf) *advf = 0;
        if (sink) {
            *sink = viewSink_;
            if (viewSink_) viewSink_->AddRef();
        }
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
        return GetExtent(aspect, size);
    }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            // Only the member itself has a name here; named arguments are not supported.
            if (i == 0 && names[i]) {
                for (const Member& m : kMembers)
                    if (lstrcmpiW(m.name, names[i]) == 0) ids[i] = m.id;
            }
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* argErr) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag: nothing is stored; a property bag may name the movie.
    STDMETHODIMP GetClassID(CLSID* clsid) override { return GetUserClassID(clsid); }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size) return E_POINTER;
        size->QuadPart = 0;
        return S_OK;
    }
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override {
        if (!bag) return E_POINTER;
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        if (SUCCEEDED(bag->Read(L"Movie", &v, log)) && v.vt == VT_BSTR && v.bstrVal) SetMovie(v.bstrVal);
        VariantClear(&v);
        return S_OK;
    }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }

    // IConnectionPointContainer: no events are ever fired.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override {
        if (e) *e = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }

    void OnWindowGone() { hwnd_ = nullptr; }

    void Paint(HDC dc, const RECT& r) {
        HBRUSH back = CreateSolidBrush(RGB(32, 32, 48));
        FillRect(dc, &r, back);
        DeleteObject(back);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        std::wstring text = movie_.empty() ? std::wstring(L"(no movie)") : FileNamePart(movie_);
        text += L"\r\n";
        text += playing_ ? L"Playing" : L"Stopped";
        RECT t = r;
        InflateRect(&t, -4, -4);
        DrawTextW(dc, text.c_str(), -1, &t, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    }

private:
    template <class T>
    static void ReleaseRef(T*& p) {
        if (p) std::exchange(p, nullptr)->Release();
    }

    std::wstring Caption() const { return movie_ + (playing_ ? L" - Playing" : L" - Stopped"); }

    void Changed(const wchar_t* call) {
        WriteString(HKEY_CURRENT_USER, kStateKey, L"Movie", movie_);
        WriteDword(HKEY_CURRENT_USER, kStateKey, L"Playing", playing_ ? 1 : 0);
        WriteString(HKEY_CURRENT_USER, kStateKey, L"LastCall", call);
        if (hwnd_) {
            SetWindowTextW(hwnd_, Caption().c_str());
            InvalidateRect(hwnd_, nullptr, TRUE);
        }
        if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    }

    void Count(const wchar_t* name) {
        WriteDword(HKEY_CURRENT_USER, kStateKey, name, ReadDword(HKEY_CURRENT_USER, kStateKey, name, 0) + 1);
    }

    void SetMovie(const wchar_t* movie) {
        movie_ = movie;
        Changed(L"Movie");
    }

    void SetPlaying(bool playing, const wchar_t* call) {
        playing_ = playing;
        Count(playing ? L"PlayCount" : L"StopCount");
        Changed(call);
    }

    HRESULT Activate(IOleClientSite* site, LPCRECT pos, bool ui);

    LONG refs_ = 1;
    IOleClientSite* clientSite_ = nullptr;
    IOleInPlaceSite* inPlaceSite_ = nullptr;
    IOleInPlaceFrame* frame_ = nullptr;
    IOleAdviseHolder* adviseHolder_ = nullptr;
    IAdviseSink* viewSink_ = nullptr;
    HWND hwnd_ = nullptr;
    bool uiActive_ = false;
    SIZEL extent_;

    std::wstring movie_;
    bool playing_ = false;
    bool loop_ = true;
    bool menu_ = true;
    VARIANT quality_, scaleMode_, backgroundColor_, wmode_, frameNum_;
};

HRESULT FlashControl::Activate(IOleClientSite* site, LPCRECT pos, bool ui) {
    if (!inPlaceSite_) {
        IOleClientSite* from = site ? site : clientSite_;
        if (!from) return E_UNEXPECTED;
        IOleInPlaceSite* ips = nullptr;
        if (FAILED(from->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&ips))) || !ips)
            return OLE_E_NOT_INPLACEACTIVE;
        if (ips->CanInPlaceActivate() != S_OK) {
            ips->Release();
            return E_FAIL;
        }
        ips->OnInPlaceActivate();
        inPlaceSite_ = ips;
    }
    if (!hwnd_) {
        HWND parent = nullptr;
        if (FAILED(inPlaceSite_->GetWindow(&parent)) || !parent) return E_FAIL;
        RECT place = {0, 0, 152, 112}, clip = {};
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof info;
        IOleInPlaceUIWindow* doc = nullptr;
        ReleaseRef(frame_);
        if (FAILED(inPlaceSite_->GetWindowContext(&frame_, &doc, &place, &clip, &info))) frame_ = nullptr;
        ReleaseRef(doc);
        if (pos) place = *pos;
        if (!RegisterWindowClass()) return E_FAIL;
        hwnd_ = CreateWindowExW(0, kWindowClass, Caption().c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left,
                                place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                                g_module, nullptr);
        if (!hwnd_) return E_FAIL;
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    } else {
        ShowWindow(hwnd_, SW_SHOW);
    }
    if (ui && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_) frame_->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"ShockwaveFlash");
    }
    return S_OK;
}

HRESULT ReturnBool(VARIANT* result, bool value) {
    if (result) {
        VariantInit(result);
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT FlashControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                             UINT* argErr) {
    const Member* member = FindMember(id);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    const UINT argc = params ? params->cArgs : 0;
    if (argc > 0 && !params->rgvarg) return E_INVALIDARG;
    if (result && !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) VariantInit(result);

    if (member->kind == Kind::Method) {
        if (!(flags & DISPATCH_METHOD) && !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        switch (id) {
            case kDispPlay: SetPlaying(true, L"Play"); break;
            case kDispStop: SetPlaying(false, L"Stop"); break;
            case kDispStopPlay: SetPlaying(false, L"StopPlay"); break;
            case kDispIsPlaying: return ReturnBool(result, playing_);
            default: Changed(member->name); break;  // Rewind, Back, Forward: nothing to move
        }
        return S_OK;
    }

    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (member->kind == Kind::ReadOnly) return DISP_E_MEMBERNOTFOUND;
        if (argc != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = VariantCopyInd(&value, &params->rgvarg[0]);
        if (FAILED(hr)) return hr;
        VARTYPE want = VT_I4;
        if (id == kDispMovie || id == kDispWMode) want = VT_BSTR;
        if (id == kDispPlaying || id == kDispLoop || id == kDispMenu) want = VT_BOOL;
        hr = VariantChangeType(&value, &value, 0, want);
        if (FAILED(hr)) {
            VariantClear(&value);
            if (argErr) *argErr = 0;
            return DISP_E_TYPEMISMATCH;
        }
        switch (id) {
            case kDispMovie: SetMovie(value.bstrVal ? value.bstrVal : L""); break;
            case kDispPlaying:
                if ((value.boolVal != VARIANT_FALSE) != playing_)
                    SetPlaying(value.boolVal != VARIANT_FALSE, L"Playing");
                break;
            case kDispLoop: loop_ = value.boolVal != VARIANT_FALSE; break;
            case kDispMenu: menu_ = value.boolVal != VARIANT_FALSE; break;
            case kDispQuality: VariantCopy(&quality_, &value); break;
            case kDispScaleMode: VariantCopy(&scaleMode_, &value); break;
            case kDispBackgroundColor: VariantCopy(&backgroundColor_, &value); break;
            case kDispWMode: VariantCopy(&wmode_, &value); break;
            case kDispFrameNum: VariantCopy(&frameNum_, &value); break;
            default: break;
        }
        VariantClear(&value);
        return S_OK;
    }

    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return S_OK;
    switch (id) {
        case kDispMovie:
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(movie_.data(), static_cast<UINT>(movie_.size()));
            return result->bstrVal ? S_OK : E_OUTOFMEMORY;
        case kDispPlaying: return ReturnBool(result, playing_);
        case kDispLoop: return ReturnBool(result, loop_);
        case kDispMenu: return ReturnBool(result, menu_);
        case kDispQuality: return VariantCopy(result, &quality_);
        case kDispScaleMode: return VariantCopy(result, &scaleMode_);
        case kDispBackgroundColor: return VariantCopy(result, &backgroundColor_);
        case kDispWMode: return VariantCopy(result, &wmode_);
        case kDispFrameNum: return VariantCopy(result, &frameNum_);
        case kDispTotalFrames:
            result->vt = VT_I4;
            result->lVal = 1;
            return S_OK;
        case kDispReadyState:
            result->vt = VT_I4;
            result->lVal = 4;  // complete
            return S_OK;
        default: return DISP_E_MEMBERNOTFOUND;
    }
}

LRESULT CALLBACK ControlWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* control = reinterpret_cast<FlashControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r;
            GetClientRect(hwnd, &r);
            if (control) control->Paint(dc, r);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCDESTROY:
            // The window can go with its parent before the control is deactivated.
            if (control) control->OnWindowGone();
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HRESULT CreateFlashControl(REFIID riid, void** ppv) {
    auto* object = new FlashControl();
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        standin::g_module = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        UnregisterClassW(kWindowClass, instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    return standin::GetClassObject(clsid, kClsidFlash, CreateFlashControl, riid, ppv);
}

STDAPI DllCanUnloadNow() { return standin::CanUnloadNow(); }

STDAPI DllRegisterServer() {
    return standin::RegisterInprocServer(kClsidFlash, L"Shockwave Flash Object", L"ShockwaveFlash.ShockwaveFlash",
                                         true);
}

STDAPI DllUnregisterServer() { return standin::UnregisterInprocServer(kClsidFlash, L"ShockwaveFlash.ShockwaveFlash"); }

}  // extern "C"
