#include "skin/TinselIni.h"

#include <cstdint>

#include "classlib/SysUtils.h"

namespace {

bool IsHeader(const std::string& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

void* IndexTag(int index) { return reinterpret_cast<void*>(static_cast<intptr_t>(index)); }

}  // namespace

void TQuickIni::LoadFromStream(TStream& stream) {
    FLines.Clear();
    FSections.Clear();
    const int64_t left = stream.Size() - stream.Position();
    std::string text = left > 0 ? stream.ReadString(left) : std::string();
    // A zero byte ends the whole text.
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);

    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(at, end - at));
        at = end;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n' && (at == end || text[at - 1] == '\r')) ++at;
        if (line.empty() || line[0] == ';') continue;
        const int index = FLines.Add(line);
        if (IsHeader(line)) FSections.AddObject(line, IndexTag(index));
    }
}

int TQuickIni::SectionLine(int index) const {
    return static_cast<int>(reinterpret_cast<intptr_t>(FSections.Objects(index)));
}

int TQuickIni::FindSection(const std::string& name) const {
    const std::string header = "[" + name + "]";
    for (int i = 0; i < FSections.Count(); ++i)
        if (AnsiSameText(FSections[i], header)) return SectionLine(i);
    return -1;
}

void TQuickIni::ReadSections(TStrings& list) const {
    list.Clear();
    for (int i = 0; i < FSections.Count(); ++i) {
        const std::string& header = FSections[i];
        list.Add(Trim(header.substr(1, header.size() - 2)));
    }
}

std::string TQuickIni::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    if (FLines.Count() == 0) return def;
    const int header = FindSection(section);
    if (header < 0) return def;
    const std::string wanted = LowerCase(key);
    for (int i = header + 1; i < FLines.Count(); ++i) {
        const std::string& line = FLines[i];
        if (IsHeader(line)) break;
        const size_t eq = line.find('=');
        const std::string name = eq == std::string::npos ? std::string() : LowerCase(Trim(line.substr(0, eq)));
        if (name != wanted) continue;
        // The first line of the key decides, even with an empty value.
        const std::string value = eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
        return value.empty() ? def : value;
    }
    return def;
}

int32_t TQuickIni::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
    std::string s = ReadString(section, key, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
    return StrToIntDef(s, def);
}
