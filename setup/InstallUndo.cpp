#include "setup/InstallUndo.h"

#include "classlib/SysUtils.h"
#include "common/uCustomModule.h"
#include "setup/DataExpressCore.h"

namespace {

std::string TempFileName() {
    char dir[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof dir, dir);
    char name[MAX_PATH + 1];
    if (n == 0 || n >= sizeof dir || !GetTempFileNameA(dir, "dpu", 0, name)) return std::string();
    return name;
}

void DeleteAnyFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

}  // namespace

TInstallUndo::~TInstallUndo() { DropBackups(); }

void TInstallUndo::Add(std::function<void()> undo) { FUndos.push_back(std::move(undo)); }

void TInstallUndo::FolderCreating(const std::string& folder) {
    std::vector<std::string> missing;
    std::string p = StripOneTrailingBackslash(folder);
    while (!p.empty() && !DirExists(p)) {
        missing.push_back(p);
        const std::string parent = StripOneTrailingBackslash(ExtractFileDir(p));
        if (parent == p) break;
        p = parent;
    }
    // The outermost first, so that the innermost goes first.
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::string dir = *it;
        Add([dir] { RemoveDirectoryA(dir.c_str()); });
    }
}

void TInstallUndo::FileWriting(const std::string& path) {
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        Add([path] { DeleteFileA(path.c_str()); });
        return;
    }
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) return;  // creating it fails; nothing to keep
    const std::string backup = TempFileName();
    if (backup.empty() || !CopyFileA(path.c_str(), backup.c_str(), FALSE)) {
        if (!backup.empty()) DeleteAnyFile(backup);
        throw EFCreateError(Format(SFCreateError, path.c_str()));
    }
    FBackups.push_back(backup);
    // The copy carries the old contents, attributes and time; an unchanged file
    // (one that could not be opened) stays as it is.
    Add([path, backup] {
        if (CopyFileA(backup.c_str(), path.c_str(), FALSE)) return;
        // A read-only file takes its copy only with the attribute cleared; kept when that fails too.
        const DWORD now = GetFileAttributesA(path.c_str());
        if (now == INVALID_FILE_ATTRIBUTES || !(now & FILE_ATTRIBUTE_READONLY)) return;
        SetFileAttributesA(path.c_str(), now & ~FILE_ATTRIBUTE_READONLY);
        if (!CopyFileA(backup.c_str(), path.c_str(), FALSE)) SetFileAttributesA(path.c_str(), now);
    });
}

void TInstallUndo::RegistryValueWriting(HKEY root, const std::string& key, const std::string& name) {
    const std::string path = !key.empty() && key[0] == '\\' ? key.substr(1) : key;
    // Each level of the path that is missing now, from the outermost.
    std::vector<std::string> levels;
    for (size_t pos = 0;;) {
        const size_t next = path.find('\\', pos);
        if (next == std::string::npos) {
            if (!path.empty()) levels.push_back(path);
            break;
        }
        if (next > 0) levels.push_back(path.substr(0, next));
        pos = next + 1;
    }
    bool keyThere = true;
    for (const std::string& level : levels) {
        if (keyThere && KeyExists(root, level)) continue;
        keyThere = false;
        Add([root, level] { RegDeleteKeyA(root, level.c_str()); });
    }
    if (!keyThere) return;  // the value goes with its new key
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return;
    DWORD type = 0, size = 0;
    const bool had = RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    std::vector<BYTE> data(size);
    if (had && size && RegQueryValueExA(k, name.c_str(), nullptr, &type, data.data(), &size) != ERROR_SUCCESS) size = 0;
    RegCloseKey(k);
    data.resize(size);
    Add([root, path, name, had, type, data] {
        HKEY w = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &w) != ERROR_SUCCESS) return;
        if (had)
            RegSetValueExA(w, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
        else
            RegDeleteValueA(w, name.c_str());
        RegCloseKey(w);
    });
}

void TInstallUndo::IniValueWriting(const std::string& file, const std::string& section, const std::string& key) {
    static const char* const absent = "\x01<absent>\x01";
    char buf[1024];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), absent, buf, sizeof buf, file.c_str());
    const std::string old = buf;
    const bool had = old != absent;
    Add([file, section, key, old, had] {
        WritePrivateProfileStringA(section.c_str(), key.c_str(), had ? old.c_str() : nullptr, file.c_str());
    });
}

void TInstallUndo::Undo() {
    for (auto it = FUndos.rbegin(); it != FUndos.rend(); ++it) {
        try {
            (*it)();
        } catch (...) {
        }
    }
    FUndos.clear();
    DropBackups();
}

void TInstallUndo::Commit() {
    FUndos.clear();
    DropBackups();
}

void TInstallUndo::DropBackups() {
    for (const std::string& b : FBackups) DeleteAnyFile(b);
    FBackups.clear();
}
