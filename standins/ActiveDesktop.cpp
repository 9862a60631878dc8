// Test-only Active Desktop object. Wine's own class under this CLSID is an empty stub, so this one
// is registered over it in test prefixes.
//
// Where the state lives (as on Windows with the desktop update): the Active Desktop keeps the chosen
// wallpaper and its options under HKCU\Software\Microsoft\Internet Explorer\Desktop\General
// ("Wallpaper", "WallpaperStyle", "TileWallpaper", all strings), and the plain desktop reads the
// same three values under HKCU\Control Panel\Desktop. We write both at once: every caller creates a
// new instance per operation, so there is no pending state worth keeping in the object, and a
// reader of either key sees what was set last. Reads prefer the Active Desktop copy.
//
// What callers did is also logged under HKCU\Software\DriftpaneTest\ActiveDesktopStandIn so that
// tests can tell which flags ApplyChanges got and which raw style was passed. A test makes the
// desktop refuse a method with a DWORD there: "RefuseSetWallpaper", "RefuseSetWallpaperOptions"
// or "RefuseApplyChanges" holding a failure code, which the method returns changing nothing.

#include <windows.h>
#include <ole2.h>
#include <wininet.h>  // shlobj.h declares IActiveDesktop only after wininet.h
#include <shlobj.h>

#include <string>

#include "standins/StandInServer.h"

namespace {

using namespace standin;

const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

const wchar_t kActiveKey[] = L"Software\\Microsoft\\Internet Explorer\\Desktop\\General";
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
const wchar_t kLogKey[] = L"Software\\DriftpaneTest\\ActiveDesktopStandIn";

// The pair of strings Windows stores for each style it knows before Vista.
struct StyleText {
    DWORD style;
    const wchar_t* wallpaperStyle;
    const wchar_t* tileWallpaper;
};
const StyleText kStyles[] = {
    {WPSTYLE_CENTER, L"0", L"0"},
    {WPSTYLE_TILE, L"0", L"1"},
    {WPSTYLE_STRETCH, L"2", L"0"},
};

bool WriteBoth(const wchar_t* name, const std::wstring& value) {
    bool a = WriteString(HKEY_CURRENT_USER, kActiveKey, name, value);
    bool b = WriteString(HKEY_CURRENT_USER, kDesktopKey, name, value);
    return a && b;
}

bool ReadEither(const wchar_t* name, std::wstring& value) {
    return ReadString(HKEY_CURRENT_USER, kActiveKey, name, value) ||
           ReadString(HKEY_CURRENT_USER, kDesktopKey, name, value);
}

// The failure code a test set for a method, or S_OK.
HRESULT Refusal(const wchar_t* name) {
    const HRESULT hr = static_cast<HRESULT>(ReadDword(HKEY_CURRENT_USER, kLogKey, name, 0));
    return FAILED(hr) ? hr : S_OK;
}

class ActiveDesktop final : public IActiveDesktop {
public:
    ActiveDesktop() { InterlockedIncrement(&g_objects); }
    ~ActiveDesktop() { InterlockedDecrement(&g_objects); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidActiveDesktop)) {
            *ppv = static_cast<IActiveDesktop*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    STDMETHODIMP ApplyChanges(DWORD flags) override {
        if (const HRESULT refused = Refusal(L"RefuseApplyChanges"); FAILED(refused)) return refused;
        WriteDword(HKEY_CURRENT_USER, kLogKey, L"ApplyCount",
                   ReadDword(HKEY_CURRENT_USER, kLogKey, L"ApplyCount", 0) + 1);
        WriteDword(HKEY_CURRENT_USER, kLogKey, L"LastApplyFlags", flags);
        if (flags & (AD_APPLY_REFRESH | AD_APPLY_FORCE | AD_APPLY_BUFFERED_REFRESH | AD_APPLY_DYNAMICREFRESH)) {
            // Hung windows must not hang the caller: each one gets a second at most.
            DWORD_PTR result = 0;
            SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER,
                                reinterpret_cast<LPARAM>(kDesktopKey), SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &result);
        }
        return S_OK;
    }

    STDMETHODIMP GetWallpaper(PWSTR buffer, UINT size, DWORD) override {
        if (!buffer || size == 0) return E_INVALIDARG;
        buffer[0] = L'\0';
        std::wstring path;
        if (!ReadEither(L"Wallpaper", path)) return S_OK;  // no wallpaper: empty text
        // A path that does not fit is not cut short: a shortened path would name another file.
        if (path.size() >= size) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        path.copy(buffer, path.size());
        buffer[path.size()] = L'\0';
        return S_OK;
    }

    STDMETHODIMP SetWallpaper(PCWSTR path, DWORD) override {
        if (!path) return E_INVALIDARG;
        if (const HRESULT refused = Refusal(L"RefuseSetWallpaper"); FAILED(refused)) return refused;
        std::wstring text(path);
        if (text.size() >= MAX_PATH) return E_INVALIDARG;
        return WriteBoth(L"Wallpaper", text) ? S_OK : E_FAIL;
    }

    STDMETHODIMP GetWallpaperOptions(LPWALLPAPEROPT options, DWORD) override {
        if (!options || options->dwSize != sizeof(WALLPAPEROPT)) return E_INVALIDARG;
        std::wstring style, tile;
        ReadEither(L"WallpaperStyle", style);
        ReadEither(L"TileWallpaper", tile);
        if (_wtoi(style.c_str()) == 2)
            options->dwStyle = WPSTYLE_STRETCH;
        else if (_wtoi(tile.c_str()) != 0)
            options->dwStyle = WPSTYLE_TILE;
        else
            options->dwStyle = WPSTYLE_CENTER;
        return S_OK;
    }

    STDMETHODIMP SetWallpaperOptions(LPCWALLPAPEROPT options, DWORD) override {
        if (!options || options->dwSize != sizeof(WALLPAPEROPT)) return E_INVALIDARG;
        if (const HRESULT refused = Refusal(L"RefuseSetWallpaperOptions"); FAILED(refused)) return refused;
        WriteDword(HKEY_CURRENT_USER, kLogKey, L"LastStyle", options->dwStyle);
        for (const StyleText& s : kStyles) {
            if (s.style == options->dwStyle) {
                bool ok =
                    WriteBoth(L"WallpaperStyle", s.wallpaperStyle) && WriteBoth(L"TileWallpaper", s.tileWallpaper);
                return ok ? S_OK : E_FAIL;
            }
        }
        return E_INVALIDARG;
    }

    // Patterns and desktop items are not used by anything we test; they answer harmlessly.
    STDMETHODIMP GetPattern(PWSTR buffer, UINT size, DWORD) override {
        if (!buffer || size == 0) return E_INVALIDARG;
        buffer[0] = L'\0';
        return S_OK;
    }
    STDMETHODIMP SetPattern(PCWSTR, DWORD) override { return S_OK; }
    STDMETHODIMP GetDesktopItemOptions(LPCOMPONENTSOPT options, DWORD) override {
        if (!options || options->dwSize != sizeof(COMPONENTSOPT)) return E_INVALIDARG;
        options->fEnableComponents = FALSE;
        options->fActiveDesktop = TRUE;
        return S_OK;
    }
    STDMETHODIMP SetDesktopItemOptions(LPCCOMPONENTSOPT, DWORD) override { return S_OK; }
    STDMETHODIMP AddDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP AddDesktopItemWithUI(HWND, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP ModifyDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveDesktopItem(LPCCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetDesktopItemCount(int* count, DWORD) override {
        if (!count) return E_INVALIDARG;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetDesktopItem(int, LPCOMPONENT, DWORD) override { return E_INVALIDARG; }
    STDMETHODIMP GetDesktopItemByID(ULONG_PTR, LPCOMPONENT, DWORD) override { return E_INVALIDARG; }
    STDMETHODIMP GenerateDesktopItemHtml(PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP AddUrl(HWND, PCWSTR, LPCOMPONENT, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetDesktopItemBySource(PCWSTR, LPCOMPONENT, DWORD) override { return E_INVALIDARG; }

private:
    LONG refs_ = 1;
};

HRESULT CreateActiveDesktop(REFIID riid, void** ppv) {
    auto* object = new ActiveDesktop();
    HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        standin::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    return standin::GetClassObject(clsid, kClsidActiveDesktop, CreateActiveDesktop, riid, ppv);
}

STDAPI DllCanUnloadNow() { return standin::CanUnloadNow(); }

STDAPI DllRegisterServer() {
    return standin::RegisterInprocServer(kClsidActiveDesktop, L"ActiveDesktop", nullptr, false);
}

STDAPI DllUnregisterServer() { return standin::UnregisterInprocServer(kClsidActiveDesktop, nullptr); }

}  // extern "C"
