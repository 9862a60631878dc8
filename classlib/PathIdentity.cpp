#include "classlib/PathIdentity.h"

#include "classlib/WinSys.h"

namespace {

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring buf(n, L'\0');
    const DWORD m = GetFullPathNameW(path.c_str(), n, buf.data(), nullptr);
    if (m == 0 || m >= n) return path;
    buf.resize(m);
    return buf;
}

// The long form of a full path. For a file that is not there, the folders
// above it that are there are expanded and the rest is kept.
std::wstring LongPath(const std::wstring& path) {
    const DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (n != 0) {
        std::wstring buf(n, L'\0');
        const DWORD m = GetLongPathNameW(path.c_str(), buf.data(), n);
        if (m != 0 && m < n) {
            buf.resize(m);
            return buf;
        }
    }
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0 || cut + 1 >= path.size()) return path;
    const std::wstring dir = path.substr(0, cut);
    if (dir.size() == 2 && dir[1] == L':') return path;  // "C:" itself
    return LongPath(dir) + path.substr(cut);
}

}  // namespace

std::wstring ComparablePath(const std::string& path) {
    std::wstring p = LongPath(FullPath(StringToWideString(path)));
    while (p.size() > 3 && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    if (!p.empty()) CharUpperBuffW(p.data(), static_cast<DWORD>(p.size()));
    return p;
}

bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const std::wstring wide = StringToWideString(path);
    HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const BOOL ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return ok != FALSE;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(StringToWideString(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameFileName(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    // Two files that open are compared by identity, which knows every alias. Expanding names to
    // long paths walks every folder of the path, so it is left for names that do not open.
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    const bool openA = FileIdentity(a, ia), openB = FileIdentity(b, ib);
    if (openA && openB)
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    // A file that exists is never one that does not.
    if (openA != openB && !PathExists(openA ? b : a)) return false;
    return ComparablePath(a) == ComparablePath(b);
}
