// Helpers shared by the install-step tests and the setup end-to-end test: whole files,
// registry values, the Start-menu folders and Wine's Program Manager.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <ddeml.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"

inline constexpr const char* kUninstallKey = "\\software\\microsoft\\windows\\currentversion\\uninstall\\";
inline const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
inline const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

inline std::string ReadAll(const std::string& name) {
  TFileStream s(name, fmOpenRead | fmShareDenyNone);
  return s.ReadString(s.Size());
}

inline void WriteAll(const std::string& name, const std::string& bytes) {
  TFileStream s(name, fmCreate);
  s.WriteString(bytes);
}

// Removes a test folder with everything below it.
inline void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

inline bool KeyExists(HKEY root, const std::string& key) {
  TRegistry reg;
  reg.SetRootKey(root);
  return reg.KeyExists(key);
}

// The value's text, or "<none>" when it or its key is missing.
inline std::string ReadValue(HKEY root, const std::string& key, const std::string& name) {
  TRegistry reg;
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false) || !reg.ValueExists(name)) return "<none>";
  return reg.ReadString(name);
}

inline std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf))) return std::string();
  return buf;
}

// Where Program Manager keeps a group: the user's or the common Start-menu programs.
inline std::string FindGroupFolder(const std::string& group) {
  for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
    const std::string dir = ShellFolder(csidl) + "\\" + group;
    if (DirectoryExists(dir)) return dir;
  }
  return std::string();
}

inline HDDEDATA CALLBACK NoCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// Asks DDEML directly, so that no fallback start of Program Manager takes part.
inline bool ProgmanAnswers() {
  DWORD inst = 0;
  if (DdeInitializeA(&inst, NoCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
  HSZ name = DdeCreateStringHandleA(inst, "ProgMan", CP_WINANSI);
  HCONV conv = DdeConnect(inst, name, name, nullptr);
  if (conv) DdeDisconnect(conv);
  DdeFreeStringHandle(inst, name);
  DdeUninitialize(inst);
  return conv != nullptr;
}
