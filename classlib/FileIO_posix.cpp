// POSIX side of the file layer, used by the native check build. Share modes
// have no counterpart here and are ignored. '\\' in names is taken as a path
// delimiter, so paths built the Windows way work on this side too.
#include "classlib/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string NativeName(const std::string& name) {
    std::string n(name);
    for (char& c : n)
        if (c == '\\') c = '/';
    return n;
}

int Fd(TFileHandle h) { return static_cast<int>(h); }

// Reads and writes go in slices a single call can take.
constexpr int64_t kMaxSlice = 1 << 30;

}  // namespace

TFileHandle FileOpen(const std::string& name, uint32_t mode) {
    int flags;
    switch (mode & 0x0F) {
        case fmOpenRead: flags = O_RDONLY; break;
        case fmOpenWrite: flags = O_WRONLY; break;
        case fmOpenReadWrite: flags = O_RDWR; break;
        default: errno = EINVAL; return kInvalidFileHandle;
    }
    int fd = ::open(NativeName(name).c_str(), flags | O_CLOEXEC);
    if (fd < 0) return kInvalidFileHandle;
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return kInvalidFileHandle;
    }
    return fd;
}

TFileHandle FileCreate(const std::string& name) {
    int fd = ::open(NativeName(name).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd < 0 ? kInvalidFileHandle : fd;
}

int64_t FileRead(TFileHandle h, void* buffer, int64_t count) {
    if (h == kInvalidFileHandle || count < 0) return -1;
    int64_t done = 0;
    char* p = static_cast<char*>(buffer);
    while (done < count) {
        int64_t want = count - done < kMaxSlice ? count - done : kMaxSlice;
        ssize_t got = ::read(Fd(h), p + done, static_cast<size_t>(want));
        if (got < 0) {
            if (errno == EINTR) continue;
            return done ? done : -1;
        }
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
        int64_t want = count - done < kMaxSlice ? count - done : kMaxSlice;
        ssize_t put = ::write(Fd(h), p + done, static_cast<size_t>(want));
        if (put < 0) {
            if (errno == EINTR) continue;
            return done ? done : -1;
        }
        if (put == 0) break;
        done += put;
    }
    return done;
}

int64_t FileSeek(TFileHandle h, int64_t offset, int origin) {
    if (h == kInvalidFileHandle) return -1;
    int whence = origin == kFileSeekBegin ? SEEK_SET : origin == kFileSeekCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(Fd(h), static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t FileGetSize(TFileHandle h) {
    struct stat st;
    if (h == kInvalidFileHandle || ::fstat(Fd(h), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool FileTruncate(TFileHandle h) {
    int64_t pos = FileSeek(h, 0, kFileSeekCurrent);
    return pos >= 0 && ::ftruncate(Fd(h), static_cast<off_t>(pos)) == 0;
}

void FileClose(TFileHandle h) {
    if (h != kInvalidFileHandle) ::close(Fd(h));
}

uint32_t FileLastError() { return static_cast<uint32_t>(errno); }

bool FileIOExists(const std::string& name) {
    struct stat st;
    return ::stat(NativeName(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FileIODirExists(const std::string& name) {
    struct stat st;
    return ::stat(NativeName(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileIODelete(const std::string& name) {
    // Folders are not files: DeleteFile refuses them on Windows too.
    return FileIOExists(name) && ::unlink(NativeName(name).c_str()) == 0;
}

bool FileIORename(const std::string& oldName, const std::string& newName) {
    // MoveFile does not replace an existing target; rename(2) would.
    std::string to = NativeName(newName);
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(NativeName(oldName).c_str(), to.c_str()) == 0;
}

bool FileIOReplace(const std::string& oldName, const std::string& newName) {
    return ::rename(NativeName(oldName).c_str(), NativeName(newName).c_str()) == 0;
}

bool FileIOCreateDir(const std::string& name) { return ::mkdir(NativeName(name).c_str(), 0777) == 0; }

bool FileIORemoveDir(const std::string& name) { return ::rmdir(NativeName(name).c_str()) == 0; }

int64_t FileIOSizeByName(const std::string& name) {
    struct stat st;
    if (::stat(NativeName(name).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

std::string FileIOGetCurrentDir() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return std::string();
    return buf;
}

bool FileIOSetCurrentDir(const std::string& name) { return ::chdir(NativeName(name).c_str()) == 0; }

namespace {
// Windows-1252 letters: A..Z and the accented capitals at $C0..$DE (but $D7) fold onto
// their small forms $20 above; the three capitals of the $80 row onto theirs.
unsigned char FoldAnsi(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x8A: return 0x9A;
        case 0x8C: return 0x9C;
        case 0x8E: return 0x9E;
        case 0x9F: return 0xFF;
        default: return c;
    }
}
}  // namespace

int PlatformAnsiCompareText(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const int ca = FoldAnsi(static_cast<unsigned char>(a[i])), cb = FoldAnsi(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
