// Helper routines shared by setup, uninstall and the builder: Windows and
// system folders, the version code, the folder dialog, folder creation and the
// Yes/No question.
#pragma once

#include <windows.h>

#include <string>

#include "common/uCustomModuleCore.h"

// Version code 0-8 of the running system (see WinVersionCode).
int GetWinVersion();
// The Windows folder without a trailing backslash; empty on failure.
std::string GetWindowsDir();
// The system folder; empty on failure.
std::string GetSystemDir();
// The shell's folder dialog rooted at `root` (the desktop when that folder is
// not there), file-system folders only; empty when cancelled.
std::string BrowseForFolder(const std::string& caption, const std::string& root);
// Creates the folder and every missing parent.
void ForceDir(const std::string& dir);
bool DirExists(const std::string& dir);
// Yes/No box with the question icon, captioned with the application's title;
// true only for Yes. Longer texts than the box's buffers are cut.
bool AskYesNo(HWND owner, const std::string& question);
