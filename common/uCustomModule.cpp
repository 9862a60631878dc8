#include "common/uCustomModule.h"

#include <shlobj.h>

#include <cstring>

#include "classlib/Dialogs.h"
#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"

int GetWinVersion() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    if (!GetVersionExA(&info)) return 0;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return WinVersionCode(info.dwPlatformId == VER_PLATFORM_WIN32_NT, info.dwMajorVersion, info.dwMinorVersion,
                          info.dwBuildNumber);
}

namespace {

// A result of the buffer size or more means the folder did not fit: that is a
// failure too, not a text to cut.
std::string FolderFromCall(UINT(WINAPI* call)(LPSTR, UINT)) {
    char buf[261];
    const UINT n = call(buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return std::string();
    buf[n] = '\0';
    return std::string(buf);
}

}  // namespace

std::string GetWindowsDir() { return FolderFromCall(GetWindowsDirectoryA); }

std::string GetSystemDir() { return FolderFromCall(GetSystemDirectoryA); }

std::string BrowseForFolder(const std::string& caption, const std::string& root) {
    InitComApartment();
    LPITEMIDLIST rootPidl = nullptr;
    if (!root.empty() && DirectoryExists(root)) {
        const std::wstring wroot = StringToWideString(root);
        SFGAOF attrs = 0;
        if (FAILED(SHParseDisplayName(wroot.c_str(), nullptr, &rootPidl, 0, &attrs))) rootPidl = nullptr;
    }
    char display[MAX_PATH] = {};
    BROWSEINFOA bi;
    std::memset(&bi, 0, sizeof bi);
    bi.hwndOwner = DialogOwnerWindow();
    bi.pidlRoot = rootPidl;
    bi.pszDisplayName = display;
    bi.lpszTitle = caption.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    std::string result;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
    if (chosen) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(chosen, path)) result = path;
        CoTaskMemFree(chosen);
    }
    if (rootPidl) CoTaskMemFree(rootPidl);
    return result;
}

void ForceDir(const std::string& dir) { ForceDirectories(dir); }

bool DirExists(const std::string& dir) { return DirectoryExists(dir); }

bool AskYesNo(HWND owner, const std::string& question) {
    char caption[64];
    char text[1024];
    const std::string title = MessageBoxTitle();
    const size_t nc = title.size() < sizeof caption - 1 ? title.size() : sizeof caption - 1;
    std::memcpy(caption, title.data(), nc);
    caption[nc] = '\0';
    const std::string wrapped = WrapLongRuns(question);
    const size_t nt = wrapped.size() < sizeof text - 1 ? wrapped.size() : sizeof text - 1;
    std::memcpy(text, wrapped.data(), nt);
    text[nt] = '\0';
    return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
