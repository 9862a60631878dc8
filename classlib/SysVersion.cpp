#include "classlib/SysVersion.h"

#include <windows.h>

int32_t Win32Platform = 0;
int32_t Win32MajorVersion = 0;
int32_t Win32MinorVersion = 0;

void SetWin32Version(int32_t platform, int32_t major, int32_t minor) {
    Win32Platform = platform;
    Win32MajorVersion = major;
    Win32MinorVersion = minor;
}

void ReadWin32Version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return;
    SetWin32Version(static_cast<int32_t>(info.dwPlatformId), static_cast<int32_t>(info.dwMajorVersion),
                    static_cast<int32_t>(info.dwMinorVersion));
}

namespace {
const bool g_read = (ReadWin32Version(), true);
}
