// TIniFile: ini files through the platform's private-profile functions, so that
// every write touches only its own key and the rest of the file stays as it is.
// A file name without a folder lives in the Windows folder (the profile API's rule).
#pragma once

#include <cstdint>
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

constexpr const char* SIniFileWriteError = "Unable to write to %s";

class TIniFile {
public:
    explicit TIniFile(const std::string& fileName);
    virtual ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return m_fileName; }

    // Values of any length; a missing key gives the default.
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def);
    // Decimal, "$" or "0x" hexadecimal; anything else gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def);
    // Read as an integer: non-zero is true.
    bool ReadBool(const std::string& section, const std::string& ident, bool def);

    // A failed write raises EIniFileException "Unable to write to <file name>".
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
    // "1" or "0".
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    // The key names of a section, in file order.
    void ReadSection(const std::string& section, TStrings& list);
    void ReadSections(TStrings& list);
    // "name=value" lines of a section.
    void ReadSectionValues(const std::string& section, TStrings& list);
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);
    // Writes out what the platform still holds in its cache.
    void UpdateFile();

    // A section counts as present when it holds at least one key.
    bool SectionExists(const std::string& section);
    // Key names compare without regard to case.
    bool ValueExists(const std::string& section, const std::string& ident);

private:
    [[noreturn]] void WriteFailed() const;
    // Double-NUL terminated name list of one section (or of the sections when null).
    void ReadNameList(const char* section, TStrings& list);

    std::string m_fileName;
};
