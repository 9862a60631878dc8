// Thin platform layer under the file streams and the file helpers.
// Win32: CreateFileA and friends (ANSI names). Elsewhere: POSIX. This header
// stays free of any platform header so portable code can include it.
#pragma once

#include <cstdint>
#include <string>

// Opaque OS handle: a HANDLE on Windows, a file descriptor elsewhere.
using TFileHandle = intptr_t;
constexpr TFileHandle kInvalidFileHandle = -1;

// Open modes (low nibble) and share modes (high nibble), combined with '|'.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;
// Create or replace; the file is open for reading and writing, not shared.
constexpr uint16_t fmCreate = 0xFFFF;

// Seek origins, matching TSeekOrigin's values.
constexpr int kFileSeekBegin = 0;
constexpr int kFileSeekCurrent = 1;
constexpr int kFileSeekEnd = 2;

// Opens an existing file; mode is an fmOpen* value or'ed with an fmShare* value.
// Returns kInvalidFileHandle on failure (folders cannot be opened).
TFileHandle FileOpen(const std::string& name, uint32_t mode);
// Creates or truncates a file for reading and writing, opened exclusively.
TFileHandle FileCreate(const std::string& name);
// Returns the number of bytes transferred, or -1 on error.
int64_t FileRead(TFileHandle h, void* buffer, int64_t count);
int64_t FileWrite(TFileHandle h, const void* buffer, int64_t count);
// Returns the new position, or -1 on error (also for a negative result).
int64_t FileSeek(TFileHandle h, int64_t offset, int origin);
// Size in bytes, or -1 on error.
int64_t FileGetSize(TFileHandle h);
// Cuts (or extends with zeros) the file at the current position.
bool FileTruncate(TFileHandle h);
void FileClose(TFileHandle h);

// The last OS error code of the calling thread (GetLastError / errno).
uint32_t FileLastError();

// Name-based helpers; SysUtils wraps these in the class library's names.
bool FileIOExists(const std::string& name);  // a file, not a folder
bool FileIODirExists(const std::string& name);
bool FileIODelete(const std::string& name);
bool FileIORename(const std::string& oldName, const std::string& newName);
// Puts oldName in newName's place in one step, replacing an existing newName: on failure
// both stay as they were.
bool FileIOReplace(const std::string& oldName, const std::string& newName);
bool FileIOCreateDir(const std::string& name);
bool FileIORemoveDir(const std::string& name);
int64_t FileIOSizeByName(const std::string& name);  // -1 when it cannot be read
std::string FileIOGetCurrentDir();
bool FileIOSetCurrentDir(const std::string& name);

// The platform's case-insensitive comparison of ANSI text: <0, 0, >0.
int PlatformAnsiCompareText(const std::string& a, const std::string& b);
