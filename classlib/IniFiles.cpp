#include "classlib/IniFiles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kFirstBuffer = 2048;
// Far beyond any line a profile file holds; stops a runaway loop on a broken file.
constexpr DWORD kMaxBuffer = 1u << 24;

}  // namespace

TIniFile::TIniFile(const std::string& fileName) : m_fileName(fileName) {}

TIniFile::~TIniFile() = default;

void TIniFile::WriteFailed() const { throw EIniFileException(Format(SIniFileWriteError, m_fileName.c_str())); }

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
    std::vector<char> buffer(kFirstBuffer);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD n = GetPrivateProfileStringA(section.c_str(), ident.c_str(), def.c_str(), buffer.data(), size,
                                           m_fileName.c_str());
        // A value that filled the buffer may have been cut: try again with more room.
        if (n + 1 < size || size >= kMaxBuffer) return std::string(buffer.data(), std::min<DWORD>(n, size - 1));
        buffer.assign(size * 2, '\0');
    }
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t def) {
    return StrToIntDef(ReadString(section, ident, ""), def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), value.c_str(), m_fileName.c_str())) WriteFailed();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
    WriteString(section, ident, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadNameList(const char* section, TStrings& list) {
    std::vector<char> buffer(kFirstBuffer * 8);
    DWORD n = 0;
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        n = GetPrivateProfileStringA(section, nullptr, nullptr, buffer.data(), size, m_fileName.c_str());
        if (n + 2 < size || size >= kMaxBuffer) break;
        buffer.assign(size * 2, '\0');
    }
    list.BeginUpdate();
    list.Clear();
    size_t end = std::min<size_t>(n, buffer.size());
    size_t i = 0;
    while (i < end && buffer[i]) {
        size_t j = i;
        while (j < end && buffer[j]) ++j;
        list.Add(std::string(buffer.data() + i, j - i));
        i = j + 1;
    }
    list.EndUpdate();
}

void TIniFile::ReadSection(const std::string& section, TStrings& list) { ReadNameList(section.c_str(), list); }

void TIniFile::ReadSections(TStrings& list) { ReadNameList(nullptr, list); }

void TIniFile::ReadSectionValues(const std::string& section, TStrings& list) {
    TStringList keys;
    ReadSection(section, keys);
    list.BeginUpdate();
    list.Clear();
    for (int i = 0; i < keys.Count(); ++i) {
        std::string key = keys.Get(i);
        list.Add(key + "=" + ReadString(section, key, ""));
    }
    list.EndUpdate();
}

void TIniFile::EraseSection(const std::string& section) {
    if (!WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, m_fileName.c_str())) WriteFailed();
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, m_fileName.c_str());
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_fileName.c_str()); }

bool TIniFile::SectionExists(const std::string& section) {
    TStringList keys;
    ReadSection(section, keys);
    return keys.Count() > 0;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) {
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(ident) >= 0;
}
