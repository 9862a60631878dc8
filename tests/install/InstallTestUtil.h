// Helpers shared by the install-step tests and the setup end-to-end test: whole files,
// registry values, the Start-menu folders and Wine's Program Manager.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <ddeml.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

// One line per file and folder below dir, sorted by path: attributes, size,
// a file's last write time and a checksum of its bytes. Two listings are equal only
// when nothing was added, removed or changed, for "as before the run" checks.
inline void AppendFolderListing(const std::string& dir, const std::string& rel, std::vector<std::string>& lines) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = dir + "\\" + name, relPath = rel + "\\" + name;
        char line[160];
        uint32_t sum = 2166136261u;
        const bool folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // A folder's own time changes with every entry made and removed in it: not compared.
        if (folder) fd.ftLastWriteTime = FILETIME{};
        if (!folder)
            for (unsigned char c : ReadAll(path)) sum = (sum ^ c) * 16777619u;
        std::snprintf(line, sizeof line, " attrs %08lx size %lu time %08lx%08lx sum %08x",
                      static_cast<unsigned long>(fd.dwFileAttributes), static_cast<unsigned long>(fd.nFileSizeLow),
                      static_cast<unsigned long>(fd.ftLastWriteTime.dwHighDateTime),
                      static_cast<unsigned long>(fd.ftLastWriteTime.dwLowDateTime), static_cast<unsigned>(sum));
        lines.push_back(relPath + line);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) AppendFolderListing(path, relPath, lines);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

inline std::string FolderListing(const std::string& dir) {
    std::vector<std::string> lines;
    AppendFolderListing(dir, "", lines);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// One line per key and value below key (the key included), sorted: value
// names with their type and data in hexadecimal. "<no key>" when it is missing.
inline void AppendRegistryListing(HKEY root, const std::string& key, std::vector<std::string>& lines) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    lines.push_back("[" + key + "]");
    char name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name, type = 0, size = sizeof data;
        if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::string line =
            "[" + key + "] " + std::string(name, nameLen) + " type " + IntToStr(static_cast<int>(type)) + " =";
        for (DWORD b = 0; b < size; ++b) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", data[b]);
            line += hex;
        }
        lines.push_back(line);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (RegEnumKeyExA(k, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, nameLen);
    }
    RegCloseKey(k);
    for (const std::string& sub : subkeys) AppendRegistryListing(root, key + "\\" + sub, lines);
}

inline std::string RegistryListing(HKEY root, const std::string& key) {
    std::vector<std::string> lines;
    AppendRegistryListing(root, key, lines);
    if (lines.empty()) return "<no key>";
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// A file made read-only and held open for reading only while this lives:
// installing over it fails. Windows refuses to write a read-only file; Wine
// run by root does not, but it keeps the sharing rule of the open handle.
class ReadOnlyTarget {
public:
    ReadOnlyTarget(const std::string& path, const std::string& bytes) : path_(path) {
        WriteAll(path, bytes);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~ReadOnlyTarget() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    ReadOnlyTarget(const ReadOnlyTarget&) = delete;
    ReadOnlyTarget& operator=(const ReadOnlyTarget&) = delete;
    bool Ok() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    std::string path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

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
