#include "classlib/SysUtils.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

void Abort() { throw EAbort(); }

// ---------------------------------------------------------------------------
// Formatting and conversions

std::string Format(const char* fmt, ...) {
    if (!fmt) return std::string();
    char small[256];
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(small, sizeof small, fmt, args);
    va_end(args);
    std::string out;
    if (n < 0) {
        va_end(again);
        return out;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        out.assign(small, static_cast<size_t>(n));
    } else {
        out.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), fmt, again);
        out.resize(static_cast<size_t>(n));
    }
    va_end(again);
    return out;
}

std::string IntToStr(int64_t value) {
    char buf[32];
    uint64_t mag = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char* p = buf + sizeof buf;
    do {
        *--p = static_cast<char>('0' + mag % 10);
        mag /= 10;
    } while (mag);
    if (value < 0) *--p = '-';
    return std::string(p, buf + sizeof buf);
}

std::string IntToHexBits(uint64_t bits, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), hex[bits & 0xF]);
        bits >>= 4;
    } while (bits);
    if (digits > 64) digits = 64;  // a wider request is a caller's slip, not a reason to allocate
    if (static_cast<int>(out.size()) < digits) out.insert(0, static_cast<size_t>(digits) - out.size(), '0');
    return out;
}

namespace {

// Parses the integer syntax shared by StrToInt and StrToInt64. For decimal the
// result must lie in [minValue, maxValue]; hexadecimal takes any bit pattern of
// hexBits bits, so "$FFFFFFFF" is -1 as a 32-bit value.
bool ParseInteger(const std::string& text, int64_t minValue, int64_t maxValue, int hexBits, int64_t& result) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return false;
    uint64_t value = 0;
    if (hex) {
        const uint64_t limit = hexBits >= 64 ? UINT64_MAX : ((uint64_t{1} << hexBits) - 1);
        for (; i < n; ++i) {
            char c = text[i];
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
            if (value > (limit >> 4)) return false;
            value = (value << 4) | d;
        }
        if (negative) value = (0 - value) & limit;
        if (hexBits >= 64) {
            result = static_cast<int64_t>(value);
        } else {
            // sign-extend the pattern
            const uint64_t signBit = uint64_t{1} << (hexBits - 1);
            result = (value & signBit) ? static_cast<int64_t>(value | ~limit) : static_cast<int64_t>(value);
        }
        return true;
    }
    for (; i < n; ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        unsigned d = static_cast<unsigned>(c - '0');
        if (value > (UINT64_MAX - d) / 10) return false;
        value = value * 10 + d;
    }
    if (negative) {
        if (value > static_cast<uint64_t>(maxValue) + 1) return false;
        result = value == 0 ? 0 : -static_cast<int64_t>(value - 1) - 1;
        if (result < minValue) return false;
    } else {
        if (value > static_cast<uint64_t>(maxValue)) return false;
        result = static_cast<int64_t>(value);
    }
    return true;
}

[[noreturn]] void InvalidInteger(const std::string& text) {
    throw EConvertError(Format(SInvalidInteger, text.c_str()));
}

}  // namespace

bool TryStrToInt(const std::string& text, int32_t& value) {
    int64_t v;
    if (!ParseInteger(text, INT32_MIN, INT32_MAX, 32, v)) return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(const std::string& text) {
    int32_t v;
    if (!TryStrToInt(text, v)) InvalidInteger(text);
    return v;
}

int32_t StrToIntDef(const std::string& text, int32_t def) {
    int32_t v;
    return TryStrToInt(text, v) ? v : def;
}

bool TryStrToInt64(const std::string& text, int64_t& value) {
    return ParseInteger(text, INT64_MIN, INT64_MAX, 64, value);
}

int64_t StrToInt64(const std::string& text) {
    int64_t v;
    if (!TryStrToInt64(text, v)) InvalidInteger(text);
    return v;
}

int64_t StrToInt64Def(const std::string& text, int64_t def) {
    int64_t v;
    return TryStrToInt64(text, v) ? v : def;
}

std::string BoolToStr(bool value, bool useBoolStrs) {
    if (useBoolStrs) return value ? "True" : "False";
    return value ? "-1" : "0";
}

// ---------------------------------------------------------------------------
// Strings

namespace {

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
inline char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string TrimLeft(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return s.substr(b);
}

std::string TrimRight(const std::string& s) {
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return s.substr(0, e);
}

std::string LowerCase(const std::string& s) {
    std::string r(s);
    for (char& c : r) c = LowerChar(c);
    return r;
}

std::string UpperCase(const std::string& s) {
    std::string r(s);
    for (char& c : r) c = UpperChar(c);
    return r;
}

int CompareText(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(UpperChar(a[i]));
        int cb = static_cast<unsigned char>(UpperChar(b[i]));
        if (ca != cb) return ca - cb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int AnsiCompareText(const std::string& a, const std::string& b) { return PlatformAnsiCompareText(a, b); }

bool AnsiSameText(const std::string& a, const std::string& b) { return AnsiCompareText(a, b) == 0; }

bool SameText(const std::string& a, const std::string& b) { return a.size() == b.size() && CompareText(a, b) == 0; }

int CompareStr(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(a[i]);
        int cb = static_cast<unsigned char>(b[i]);
        if (ca != cb) return ca - cb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int Pos(const std::string& sub, const std::string& s) {
    if (sub.empty()) return 0;
    size_t p = s.find(sub);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(const std::string& s, int index, int count) {
    if (index < 1) index = 1;
    if (count <= 0 || static_cast<size_t>(index) > s.size()) return std::string();
    return s.substr(static_cast<size_t>(index) - 1, static_cast<size_t>(count));
}

int LastDelimiter(const std::string& delimiters, const std::string& s) {
    size_t p = s.find_last_of(delimiters);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

std::string StringReplace(const std::string& s, const std::string& oldPattern, const std::string& newPattern,
                          TReplaceFlags flags) {
    if (oldPattern.empty()) return s;
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    const std::string hay = ignoreCase ? UpperCase(s) : s;
    const std::string needle = ignoreCase ? UpperCase(oldPattern) : oldPattern;
    std::string out;
    size_t from = 0;
    while (true) {
        size_t p = hay.find(needle, from);
        if (p == std::string::npos) break;
        out.append(s, from, p - from);
        out += newPattern;
        from = p + needle.size();
        if (!(flags & rfReplaceAll)) break;
    }
    out.append(s, from, std::string::npos);
    return out;
}

std::string QuotedStr(const std::string& s) {
    std::string out;
    out.reserve(s.size() + 2);
    out += '\'';
    for (char c : s) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

// ---------------------------------------------------------------------------
// Paths

std::string ExtractFileName(const std::string& path) {
    return path.substr(static_cast<size_t>(LastDelimiter("\\:", path)));
}

std::string ExtractFilePath(const std::string& path) {
    return path.substr(0, static_cast<size_t>(LastDelimiter("\\:", path)));
}

std::string ExtractFileDir(const std::string& path) {
    int i = LastDelimiter("\\:", path);
    // Drop the trailing '\\' unless what precedes it is a delimiter too ("C:\\").
    if (i > 1 && path[static_cast<size_t>(i) - 1] == '\\' && path[static_cast<size_t>(i) - 2] != '\\' &&
        path[static_cast<size_t>(i) - 2] != ':')
        --i;
    return path.substr(0, static_cast<size_t>(i));
}

std::string ExtractFileExt(const std::string& path) {
    int i = LastDelimiter(".\\:", path);
    if (i > 0 && path[static_cast<size_t>(i) - 1] == '.') return path.substr(static_cast<size_t>(i) - 1);
    return std::string();
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    int i = LastDelimiter(".\\:", path);
    if (i == 0 || path[static_cast<size_t>(i) - 1] != '.') return path + ext;
    return path.substr(0, static_cast<size_t>(i) - 1) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + '\\';
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

// ---------------------------------------------------------------------------
// Files

bool FileExists(const std::string& name) { return !name.empty() && FileIOExists(name); }
bool DirectoryExists(const std::string& name) { return !name.empty() && FileIODirExists(name); }
bool DpDeleteFile(const std::string& name) { return !name.empty() && FileIODelete(name); }
bool RenameFile(const std::string& oldName, const std::string& newName) {
    return !oldName.empty() && !newName.empty() && FileIORename(oldName, newName);
}
bool ReplaceFileWith(const std::string& oldName, const std::string& newName) {
    return !oldName.empty() && !newName.empty() && FileIOReplace(oldName, newName);
}
bool CreateDir(const std::string& name) { return !name.empty() && FileIOCreateDir(name); }
bool RemoveDir(const std::string& name) { return !name.empty() && FileIORemoveDir(name); }
std::string GetCurrentDir() { return FileIOGetCurrentDir(); }
bool SetCurrentDir(const std::string& dir) { return !dir.empty() && FileIOSetCurrentDir(dir); }
int64_t FileSizeByName(const std::string& name) { return name.empty() ? -1 : FileIOSizeByName(name); }

namespace {

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The part of a path no folder is made for: C:\ or C:, \\server\share\, \ or /; a share
// without its name is all root.
size_t PathRootLength(const std::string& d) {
    const bool drive = d.size() >= 2 && d[1] == ':' && IsDriveLetter(d[0]);
    if (drive) return d.size() >= 3 && IsPathDelimiter(d[2]) ? 3 : 2;
    if (d.size() >= 2 && IsPathDelimiter(d[0]) && IsPathDelimiter(d[1])) {
        const size_t server = d.find_first_of("\\/", 2);
        if (server == std::string::npos) return d.size();
        const size_t share = d.find_first_of("\\/", server + 1);
        return share == std::string::npos ? d.size() : share + 1;
    }
    return !d.empty() && IsPathDelimiter(d[0]) ? 1 : 0;
}

}  // namespace

bool ForceDirectories(const std::string& dir) {
    // Both separators: Windows accepts '/' as well, and native paths use it.
    std::string d = dir;
    while (d.size() > 1 && IsPathDelimiter(d.back())) d.pop_back();
    if (d.empty()) return false;
    // A colon belongs only after a drive letter; anywhere else no folder can carry it, and nothing
    // of such a path is made.
    for (size_t i = 0; i < d.size(); ++i)
        if (d[i] == ':' && !(i == 1 && IsDriveLetter(d[0]))) return false;
    if (DirectoryExists(d)) return true;
    const size_t root = PathRootLength(d);
    if (root >= d.size()) return d.back() == ':' && DirectoryExists(d + '\\');
    // Level by level from the root, each once: the walk ends with the path.
    for (size_t pos = root; pos < d.size();) {
        size_t end = d.find_first_of("\\/", pos);
        if (end == std::string::npos) end = d.size();
        // A doubled delimiter adds no level.
        if (end > pos) {
            const std::string level = d.substr(0, end);
            if (!DirectoryExists(level) && !CreateDir(level) && !DirectoryExists(level)) return false;
        }
        pos = end + 1;
    }
    return DirectoryExists(d);
}
