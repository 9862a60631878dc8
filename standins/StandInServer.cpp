#include "standins/StandInServer.h"

#include <olectl.h>
#include <shlwapi.h>

#include <vector>

namespace standin {

HINSTANCE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, ppv);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        InterlockedIncrement(&g_locks);
    else
        InterlockedDecrement(&g_locks);
    return S_OK;
}

HRESULT GetClassObject(REFCLSID asked, REFCLSID ours, CreateFn create, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(asked, ours)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new ClassFactory(create);
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

HRESULT CanUnloadNow() { return (g_objects == 0 && g_locks == 0) ? S_OK : S_FALSE; }

std::wstring GuidText(REFGUID g) {
    wchar_t buf[64] = {};
    StringFromGUID2(g, buf, 64);
    return buf;
}

std::wstring ModulePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(g_module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

static bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

HRESULT RegisterInprocServer(REFCLSID clsid, const wchar_t* name, const wchar_t* progId, bool control) {
    const std::wstring path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    const std::wstring key = L"CLSID\\" + GuidText(clsid);
    // Remember the server we replace (Wine's stub) so that unregistering can put it back.
    std::wstring previous;
    if (ReadString(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str(), nullptr, previous) &&
        lstrcmpiW(previous.c_str(), path.c_str()) != 0)
        SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ReplacedServer", previous);
    bool ok = SetValue(HKEY_CLASSES_ROOT, key, nullptr, name) &&
              SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) &&
              SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (ok && control) {
        ok = SetValue(HKEY_CLASSES_ROOT, key + L"\\Control", nullptr, L"") &&
             SetValue(HKEY_CLASSES_ROOT, key + L"\\MiscStatus", nullptr, L"0") &&
             SetValue(HKEY_CLASSES_ROOT, key + L"\\MiscStatus\\1", nullptr, L"131473");
    }
    if (ok && progId) {
        ok = SetValue(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, progId) &&
             SetValue(HKEY_CLASSES_ROOT, progId, nullptr, name) &&
             SetValue(HKEY_CLASSES_ROOT, std::wstring(progId) + L"\\CLSID", nullptr, GuidText(clsid));
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterInprocServer(REFCLSID clsid, const wchar_t* progId) {
    const std::wstring key = L"CLSID\\" + GuidText(clsid);
    // Only our own registration is removed: a key that points at another server stays.
    std::wstring server;
    if (ReadString(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str(), nullptr, server) &&
        lstrcmpiW(server.c_str(), ModulePath().c_str()) != 0)
        return S_OK;
    std::wstring previous;
    const bool restore =
        ReadString(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str(), L"ReplacedServer", previous) &&
        !previous.empty();
    SHDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    if (restore) {
        SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, previous);
        SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    }
    if (progId) SHDeleteKeyW(HKEY_CLASSES_ROOT, progId);
    return S_OK;
}

bool WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    return SetValue(root, key, name, value);
}

bool ReadString(HKEY root, const wchar_t* key, const wchar_t* name, std::wstring& value) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(h, name, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        RegCloseKey(h);
        return false;
    }
    // One extra character so that a value stored without its terminator still ends.
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>((buf.size() - 1) * sizeof(wchar_t));
    rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &bytes);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) return false;
    value.assign(buf.data());
    return true;
}

bool WriteDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS) return false;
    LONG rc = RegSetValueExW(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

DWORD ReadDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD fallback) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return fallback;
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = RegQueryValueExW(h, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(h);
    return (rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) ? value : fallback;
}

}  // namespace standin
