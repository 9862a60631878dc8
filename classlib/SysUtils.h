// Portable runtime: exceptions, formatting, conversions, string and path helpers.
// Strings are 8-bit (ANSI code page) std::string; the path delimiter is '\\'.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <type_traits>

#include "classlib/FileIO.h"

#if defined(__MINGW_PRINTF_FORMAT)
#define DP_PRINTF_FORMAT(f, a) __attribute__((format(__MINGW_PRINTF_FORMAT, f, a)))
#elif defined(__GNUC__) || defined(__clang__)
#define DP_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define DP_PRINTF_FORMAT(f, a)
#endif

// ---------------------------------------------------------------------------
// Message texts shown to the user; kept exactly as the class library words them.
constexpr const char* SReadError = "Stream read error";
constexpr const char* SWriteError = "Stream write error";
constexpr const char* SFOpenError = "Cannot open file %s";
constexpr const char* SFCreateError = "Cannot create file %s";
constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
constexpr const char* SListIndexError = "List index out of bounds (%d)";
constexpr const char* SDuplicateString = "String list does not allow duplicates";
constexpr const char* SSortedListError = "Operation not allowed on sorted string list";
constexpr const char* SOperationAborted = "Operation aborted";
constexpr const char* SMemoryStreamError = "Out of memory while expanding memory stream";

// ---------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
public:
    explicit Exception(std::string msg) : m_message(std::move(msg)) {}
    ~Exception() override = default;
    const std::string& Message() const { return m_message; }
    void SetMessage(std::string msg) { m_message = std::move(msg); }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EStreamError : public Exception {
public:
    explicit EStreamError(std::string msg, uint32_t code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
    // The system's error of the file operation that failed (0 when none was given): kept here,
    // since raising the exception may already reset the thread's last error.
    uint32_t ErrorCode;
};

class EReadError : public EStreamError {
public:
    explicit EReadError(std::string msg = SReadError, uint32_t code = 0) : EStreamError(std::move(msg), code) {}
};

class EWriteError : public EStreamError {
public:
    explicit EWriteError(std::string msg = SWriteError, uint32_t code = 0) : EStreamError(std::move(msg), code) {}
};

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EInOutError : public Exception {
public:
    explicit EInOutError(std::string msg, int code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
    int ErrorCode;
};

class EOSError : public Exception {
public:
    explicit EOSError(std::string msg, uint32_t code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
    uint32_t ErrorCode;
};

class EOleError : public Exception {
public:
    using Exception::Exception;
};

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// The silent exception: unwinds without a message box.
class EAbort : public Exception {
public:
    explicit EAbort(std::string msg = SOperationAborted) : Exception(std::move(msg)) {}
};

class EListError : public Exception {
public:
    using Exception::Exception;
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// Raises EAbort.
[[noreturn]] void Abort();

// ---------------------------------------------------------------------------
// Formatting and conversions

// printf-style formatting into a string of any length.
std::string Format(const char* fmt, ...) DP_PRINTF_FORMAT(1, 2);

std::string IntToStr(int64_t value);

// Upper-case hexadecimal, at least `digits` wide. Negative values print as
// their two's complement of the argument's own width (int -1 -> "FFFFFFFF").
std::string IntToHexBits(uint64_t bits, int digits);
template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
inline std::string IntToHex(T value, int digits) {
    return IntToHexBits(static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value)), digits);
}

// Decimal with optional sign, or hexadecimal after "$" or "0x" (also signed);
// leading blanks are skipped, anything else raises EConvertError naming the text.
// Hexadecimal accepts the full 32-bit pattern ("$FFFFFFFF" is -1).
int32_t StrToInt(const std::string& text);
int32_t StrToIntDef(const std::string& text, int32_t def);
bool TryStrToInt(const std::string& text, int32_t& value);
int64_t StrToInt64(const std::string& text);
int64_t StrToInt64Def(const std::string& text, int64_t def);
bool TryStrToInt64(const std::string& text, int64_t& value);

// "-1" / "0", or "True" / "False" when useBoolStrs.
std::string BoolToStr(bool value, bool useBoolStrs = false);

// ---------------------------------------------------------------------------
// Strings

// Remove characters with code <= 32 (taken as unsigned).
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);

// Case mapping of 'A'..'Z' / 'a'..'z' only; other bytes are untouched.
std::string LowerCase(const std::string& s);
std::string UpperCase(const std::string& s);
// <0, 0, >0; CompareText folds 'a'..'z' to upper case first.
int CompareText(const std::string& a, const std::string& b);
bool SameText(const std::string& a, const std::string& b);
int CompareStr(const std::string& a, const std::string& b);
// Case-insensitive by the ANSI code page's own letters (Windows: the user's locale), not only A..Z.
int AnsiCompareText(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);

// 1-based position of sub in s, 0 when absent (also for an empty sub).
int Pos(const std::string& sub, const std::string& s);
// 1-based substring; out-of-range parts are clipped.
std::string Copy(const std::string& s, int index, int count);
// 1-based position of the last character of s that occurs in delimiters, 0 if none.
int LastDelimiter(const std::string& delimiters, const std::string& s);

enum TReplaceFlag : unsigned { rfReplaceAll = 1u, rfIgnoreCase = 2u };
using TReplaceFlags = unsigned;
// An empty oldPattern leaves s unchanged.
std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags = 0);

// 'text' with inner quotes doubled.
std::string QuotedStr(const std::string& s);

// ---------------------------------------------------------------------------
// Paths ('\\' and the drive delimiter ':')

std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileDir(const std::string& path);
std::string ExtractFileExt(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);

// ---------------------------------------------------------------------------
// Files (through FileIO, so they behave the same natively and on Windows)

bool FileExists(const std::string& name);
bool DirectoryExists(const std::string& name);
bool RenameFile(const std::string& oldName, const std::string& newName);
// oldName takes newName's place, an existing newName is replaced in the same step; false
// (and both as they were) when that cannot be done.
bool ReplaceFileWith(const std::string& oldName, const std::string& newName);
bool CreateDir(const std::string& name);
bool RemoveDir(const std::string& name);
// Creates every missing folder of the path; true when the folder exists afterwards.
bool ForceDirectories(const std::string& dir);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dir);
// Size in bytes, -1 when the file cannot be opened.
int64_t FileSizeByName(const std::string& name);

// <windows.h> defines DeleteFile as a macro for DeleteFileA; both spellings are
// provided inline so the call works whichever header comes first.
bool DpDeleteFile(const std::string& name);
#ifndef DeleteFile
inline bool DeleteFile(const std::string& name) { return DpDeleteFile(name); }
#endif
inline bool DeleteFileA(const std::string& name) { return DpDeleteFile(name); }
