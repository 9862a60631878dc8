// The skin ini reader on arbitrary text: every kept line is trimmed and non-empty, every
// header index points at its line, and lookups of what it lists answer without faults;
// colour texts, however long or odd, give a colour of 24 bits.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "classlib/Classes.h"
#include "skin/TinselDataCore.h"
#include "skin/TinselIni.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream s;
    s.WriteBuffer(data, static_cast<int64_t>(size));
    s.SetPosition(0);
    TQuickIni ini;
    ini.LoadFromStream(s);
    const TStringList& lines = ini.Lines();
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        Check(!line.empty() && line[0] != ';' && static_cast<unsigned char>(line.front()) > 32 &&
              static_cast<unsigned char>(line.back()) > 32 && line.find('\0') == std::string::npos);
    }
    for (int i = 0; i < ini.Sections().Count(); ++i) {
        const int at = ini.SectionLine(i);
        Check(at >= 0 && at < lines.Count() && lines[at] == ini.Sections()[i]);
    }
    TStringList names;
    ini.ReadSections(names);
    Check(names.Count() == ini.Sections().Count());
    for (int i = 0; i < names.Count() && i < 16; ++i) {
        ini.ReadString(names[i], "Bitmap", "");
        ini.ReadInteger(names[i], "Frame", -1);
        const int32_t c = ParseColour(ini.ReadString(names[i], "ButtonFace", ""), -1);
        Check(c == -1 || (c >= 0 && c <= 0xFFFFFF));
    }
    const int32_t whole = ParseRGB(std::string(reinterpret_cast<const char*>(data), size));
    Check(whole >= 0 && whole <= 0xFFFFFF);
    return 0;
}
