// The skin's ini text, read once from memory and looked up by section and key many times:
// the kept lines plus an index of the section headers, so that a lookup walks one section.
#pragma once

#include <string>

#include "classlib/Classes.h"

class TQuickIni {
public:
    TQuickIni() = default;
    TQuickIni(const TQuickIni&) = delete;
    TQuickIni& operator=(const TQuickIni&) = delete;

    // The text from the stream's position to its end; replaces what was read before.
    void LoadFromStream(TStream& stream);
    // Index in Lines of the section's header, or -1.
    int FindSection(const std::string& name) const;
    // The section names without brackets, in text order (a section written twice twice).
    void ReadSections(TStrings& list) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;

    const TStringList& Lines() const { return FLines; }
    // Header lines, brackets included; each one's object is its index in Lines.
    const TStringList& Sections() const { return FSections; }
    int SectionLine(int index) const;

private:
    TStringList FLines;
    TStringList FSections;
};
