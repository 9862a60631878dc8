// standin_register [/u]: registers (or with /u unregisters) the test-only Active Desktop object and
// Flash control that lie beside this program. Used by test prefixes only; never shipped.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t* const kServers[] = {L"dpactivedesktop.dll", L"dpflash.dll"};

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(sizeof path / sizeof path[0]));
    if (n == 0 || n >= sizeof path / sizeof path[0]) return std::wstring();
    std::wstring folder(path, n);
    size_t cut = folder.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut + 1);
}

bool Run(const std::wstring& dll, bool unregister) {
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module) {
        std::fwprintf(stderr, L"standin_register: cannot load %ls (error %lu)\n", dll.c_str(), GetLastError());
        return false;
    }
    using Entry = HRESULT(WINAPI*)();
    auto entry = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(module, unregister ? "DllUnregisterServer" : "DllRegisterServer")));
    HRESULT hr = entry ? entry() : E_NOINTERFACE;
    FreeLibrary(module);
    if (FAILED(hr)) {
        std::fwprintf(stderr, L"standin_register: %ls failed with 0x%08lx\n", dll.c_str(),
                      static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    bool unregister = false;
    for (int i = 1; i < argc; ++i) {
        if (_wcsicmp(argv[i], L"/u") == 0 || _wcsicmp(argv[i], L"-u") == 0) {
            unregister = true;
        } else {
            std::fwprintf(stderr, L"usage: standin_register [/u]\n");
            return 2;
        }
    }
    const std::wstring folder = OwnFolder();
    bool ok = true;
    for (const wchar_t* name : kServers) ok = Run(folder + name, unregister) && ok;
    return ok ? 0 : 1;
}
