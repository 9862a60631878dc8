// The running system's version, read once at start-up (GetVersionEx): the platform
// (VER_PLATFORM_WIN32_NT or _WINDOWS) and the major and minor version numbers.
#pragma once

#include <cstdint>

extern int32_t Win32Platform;
extern int32_t Win32MajorVersion;
extern int32_t Win32MinorVersion;

// Makes the program see another system (tests of version-dependent branches).
void SetWin32Version(int32_t platform, int32_t major, int32_t minor);
// Back to what the system answers.
void ReadWin32Version();
