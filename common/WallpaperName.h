// The one rule for a wallpaper's name. The builder checks it before it writes
// an installer and setup checks the package's name with it before the wizard,
// so that every name the builder takes installs and uninstalls. The name
// becomes a file (<name>.html), folders (the proposed install folder, the
// Start-menu group), a quoted Program Manager macro argument and a key below
// the uninstall list. Portable.
#pragma once

#include <cstddef>
#include <string>

// The page lands in "<program folder>\<name>\<name>.html", which must fit the
// 259 characters of MAX_PATH and of the desktop's wallpaper buffer. With
// "C:\Program Files (x86)\" (23 characters), the longest usual program folder:
// 23 + n + 1 + n + 5 <= 259.
constexpr size_t MaxWallpaperNameLength = 115;

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 (blanks after them, any extension):
// Windows opens the device for any of them, in any folder.
bool IsDeviceName(const std::string& name);

// Empty when the name can be used, else the message that says why not.
std::string WallpaperNameProblem(const std::string& name);
