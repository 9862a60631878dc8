#include "classlib/WinSys.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

HRESULT InitComApartment() { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

void UninitCom() { CoUninitialize(); }

std::wstring StringToWideString(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string WideCharLenToString(const wchar_t* source, int length) {
    if (!source || length <= 0) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, source, length, s.data(), n, nullptr, nullptr);
    return s;
}

std::string WideStringToString(const std::wstring& s) {
    return WideCharLenToString(s.data(), static_cast<int>(s.size()));
}

wchar_t* StringToWideChar(const std::string& source, wchar_t* dest, int destSize) {
    if (!dest || destSize <= 0) return dest;
    std::wstring w = StringToWideString(source);
    size_t n = std::min(w.size(), static_cast<size_t>(destSize - 1));
    // Keep surrogate pairs whole.
    if (n > 0 && n < w.size() && w[n - 1] >= 0xD800 && w[n - 1] <= 0xDBFF) --n;
    std::copy(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(n), dest);
    dest[n] = L'\0';
    return dest;
}

std::string WideCharToString(const wchar_t* source) {
    if (!source) return std::string();
    return WideCharLenToString(source, lstrlenW(source));
}

BSTR StringToOleStr(const std::string& s) {
    std::wstring w = StringToWideString(s);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

std::string OleStrToString(const wchar_t* source) { return WideCharToString(source); }

std::string ExtractShortPathName(const std::string& fileName) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD n = GetShortPathNameA(fileName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.assign(n + 1, '\0');
    }
    return std::string();
}

std::string GetModuleFileNameStr(HMODULE module) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD n = GetModuleFileNameA(module, buffer.data(), size);
        if (n == 0) return std::string();
        if (n < size) return std::string(buffer.data(), n);
        if (size >= 32768) return std::string(buffer.data(), size);
        buffer.assign(size * 2, '\0');
    }
}

UINT ExecCommandLine(const std::string& cmdLine, UINT showCmd) { return WinExec(cmdLine.c_str(), showCmd); }

INT_PTR ShellExecuteText(HWND wnd, const std::string& verb, const std::string& file, const std::string& params,
                         const std::string& dir, int showCmd) {
    auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
    HINSTANCE h = ShellExecuteA(wnd, orNull(verb), file.c_str(), orNull(params), orNull(dir), showCmd);
    return reinterpret_cast<INT_PTR>(h);
}

bool StartProcess(const std::string& cmdLine, WORD showCmd, DWORD* exitCode, const std::string& dir) {
    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> line(cmdLine.begin(), cmdLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = showCmd;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.empty() ? nullptr : dir.c_str(),
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    bool ok = true;
    if (exitCode) {
        ok = WaitForSingleObject(pi.hProcess, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(pi.hProcess, exitCode);
    }
    CloseHandle(pi.hProcess);
    return ok;
}
