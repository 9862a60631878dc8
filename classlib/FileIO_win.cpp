// Win32 side of the file layer: ANSI names, share modes mapped onto CreateFileA.
#include "classlib/FileIO.h"

#include <windows.h>

namespace {

HANDLE H(TFileHandle h) { return reinterpret_cast<HANDLE>(h); }

// ReadFile/WriteFile take a DWORD count; larger requests go in slices.
constexpr int64_t kMaxSlice = 1 << 30;

}  // namespace

TFileHandle FileOpen(const std::string& name, uint32_t mode) {
    static const DWORD access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    // compat and exclusive both share nothing; deny-none shares both ways.
    static const DWORD share[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
    uint32_t a = mode & 0x0F, s = (mode & 0xF0) >> 4;
    if (a > 2 || s > 4 || (mode & ~0xFFu) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kInvalidFileHandle;
    }
    HANDLE h = CreateFileA(name.c_str(), access[a], share[s], nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return kInvalidFileHandle;
    return reinterpret_cast<TFileHandle>(h);
}

TFileHandle FileCreate(const std::string& name) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return kInvalidFileHandle;
    return reinterpret_cast<TFileHandle>(h);
}

int64_t FileRead(TFileHandle h, void* buffer, int64_t count) {
    if (h == kInvalidFileHandle || count < 0) return -1;
    int64_t done = 0;
    char* p = static_cast<char*>(buffer);
    while (done < count) {
        DWORD want = static_cast<DWORD>(count - done < kMaxSlice ? count - done : kMaxSlice);
        DWORD got = 0;
        if (!ReadFile(H(h), p + done, want, &got, nullptr)) return done ? done : -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}

int64_t FileWrite(TFileHandle h, const void* buffer, int64_t count) {
    if (h == kInvalidFileHandle || count < 0) return -1;
    int64_t done = 0;
    const char* p = static_cast<const char*>(buffer);
    while (done < count) {
        DWORD want = static_cast<DWORD>(count - done < kMaxSlice ? count - done : kMaxSlice);
        DWORD put = 0;
        if (!WriteFile(H(h), p + done, want, &put, nullptr)) return done ? done : -1;
        if (put == 0) break;
        done += put;
    }
    return done;
}

int64_t FileSeek(TFileHandle h, int64_t offset, int origin) {
    if (h == kInvalidFileHandle) return -1;
    DWORD method = origin == kFileSeekBegin ? FILE_BEGIN : origin == kFileSeekCurrent ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER dist, pos;
    dist.QuadPart = offset;
    if (!SetFilePointerEx(H(h), dist, &pos, method)) return -1;
    return pos.QuadPart;
}

int64_t FileGetSize(TFileHandle h) {
    LARGE_INTEGER size;
    if (h == kInvalidFileHandle || !GetFileSizeEx(H(h), &size)) return -1;
    return size.QuadPart;
}

bool FileTruncate(TFileHandle h) { return h != kInvalidFileHandle && SetEndOfFile(H(h)) != 0; }

void FileClose(TFileHandle h) {
    if (h != kInvalidFileHandle) CloseHandle(H(h));
}

uint32_t FileLastError() { return GetLastError(); }

bool FileIOExists(const std::string& name) {
    DWORD attr = GetFileAttributesA(name.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileIODirExists(const std::string& name) {
    DWORD attr = GetFileAttributesA(name.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileIODelete(const std::string& name) { return DeleteFileA(name.c_str()) != 0; }

bool FileIORename(const std::string& oldName, const std::string& newName) {
    return MoveFileA(oldName.c_str(), newName.c_str()) != 0;
}

bool FileIOReplace(const std::string& oldName, const std::string& newName) {
    return MoveFileExA(oldName.c_str(), newName.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool FileIOCreateDir(const std::string& name) { return CreateDirectoryA(name.c_str(), nullptr) != 0; }

bool FileIORemoveDir(const std::string& name) { return RemoveDirectoryA(name.c_str()) != 0; }

int64_t FileIOSizeByName(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string FileIOGetCurrentDir() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::string dir(n, '\0');
    DWORD got = GetCurrentDirectoryA(n, dir.data());
    if (got == 0 || got >= n) return std::string();
    dir.resize(got);
    return dir;
}

bool FileIOSetCurrentDir(const std::string& name) { return SetCurrentDirectoryA(name.c_str()) != 0; }

int PlatformAnsiCompareText(const std::string& a, const std::string& b) {
    const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
    return r == 0 ? 0 : r - CSTR_EQUAL;
}
