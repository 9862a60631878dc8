// The project file: one ini section "Project", read and written key by key
// through the private-profile functions, so anything else in the file stays.
#include "builder/WallPaperClass.h"

#include "classlib/IniFiles.h"
#include "classlib/SysUtils.h"

namespace {

constexpr const char* kSection = "Project";

uint8_t LowByte(int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFF); }

}  // namespace

bool IsProjectFile(const std::string& path) { return FileExists(path) && TIniFile(path).SectionExists(kSection); }

std::vector<std::string> ProjectFileNotes(const std::string& path) {
    std::vector<std::string> notes;
    TIniFile ini(path);
    // True, with the text as written, when the key is there.
    auto read = [&](const char* key, std::string& raw) {
        if (ini.ValueExists(kSection, key)) {
            raw = ini.ReadString(kSection, key, "");
            return true;
        }
        return false;
    };
    for (const char* key : {"FlashFile", "WallPaperName", "BackgroundPic", "Author", "Email", "Website"}) {
        std::string raw;
        if (!read(key, raw)) notes.push_back(Format("%s is missing: it became empty.", key));
    }
    // Lists: an item index, or 255 for no selection; the model keeps the low byte.
    const struct {
        const char* key;
        int32_t def, last;  // last < 0: any number
    } numbers[] = {{"MovieSize", 0, 2},        {"MovieQuality", 0, 4},      {"MovieHAligment", 0, 2},
                   {"MovieVAligment", 0, 2},   {"WallPaperPosition", 0, 2}, {"MoviePosition", 5, 10},
                   {"BackgroundColor", 0, -1}, {"MovieLeft", 0, -1},        {"MovieRight", 0, -1},
                   {"MovieTop", 0, -1},        {"MovieBottom", 0, -1},      {"Loop", 1, -1},
                   {"MuteFlashSound", 0, -1}};
    for (const auto& n : numbers) {
        std::string raw;
        int32_t value = 0;
        if (!read(n.key, raw)) {
            notes.push_back(Format("%s is missing: it became %d.", n.key, n.def));
        } else if (!TryStrToInt(raw, value)) {
            notes.push_back(Format("%s=%s is not a number: it became %d.", n.key, raw.c_str(), n.def));
        } else if (n.last >= 0 && (value < 0 || value > n.last) && value != 255) {
            const int32_t kept = LowByte(value);
            notes.push_back(
                kept <= n.last
                    ? Format("%s=%d is out of range (0 to %d): it became %d.", n.key, value, n.last, kept)
                    : Format("%s=%d is out of range (0 to %d): it became no selection.", n.key, value, n.last));
        }
    }
    return notes;
}

void TDriftpaneClass::LoadFromFile(const std::string& path) {
    ProjectFile = path;
    TIniFile ini(path);
    // Only quality and the alignments go through their setters; the other
    // derived texts follow when the main window next copies its controls in.
    FlashFile = ini.ReadString(kSection, "FlashFile", "");
    WallPaperName = ini.ReadString(kSection, "WallPaperName", "");
    MovieSize = LowByte(ini.ReadInteger(kSection, "MovieSize", 0));
    SetMovieQuality(LowByte(ini.ReadInteger(kSection, "MovieQuality", 0)));
    SetMovieHAligment(LowByte(ini.ReadInteger(kSection, "MovieHAligment", 0)));
    SetMovieVAligment(LowByte(ini.ReadInteger(kSection, "MovieVAligment", 0)));
    WallPaperPosition = LowByte(ini.ReadInteger(kSection, "WallPaperPosition", 0));
    BackgroundColor = ini.ReadInteger(kSection, "BackgroundColor", 0);
    BackgroundPic = ini.ReadString(kSection, "BackgroundPic", "");
    Loop = ini.ReadBool(kSection, "Loop", true);
    MuteFlashSound = ini.ReadBool(kSection, "MuteFlashSound", false);
    MoviePosition = LowByte(ini.ReadInteger(kSection, "MoviePosition", 5));
    MovieLeft = ini.ReadInteger(kSection, "MovieLeft", 0);
    MovieRight = ini.ReadInteger(kSection, "MovieRight", 0);
    MovieTop = ini.ReadInteger(kSection, "MovieTop", 0);
    MovieBottom = ini.ReadInteger(kSection, "MovieBottom", 0);
    Author = ini.ReadString(kSection, "Author", "");
    Email = ini.ReadString(kSection, "Email", "");
    Website = ini.ReadString(kSection, "Website", "");
}

void TDriftpaneClass::SaveToFile(const std::string& path) {
    ProjectFile = path;
    Save();
}

bool TDriftpaneClass::Save() {
    if (ProjectFile.empty()) return false;
    TIniFile ini(ProjectFile);
    ini.WriteString(kSection, "FlashFile", FlashFile);
    ini.WriteString(kSection, "WallPaperName", WallPaperName);
    ini.WriteInteger(kSection, "MovieSize", MovieSize);
    ini.WriteInteger(kSection, "MovieQuality", MovieQuality);
    ini.WriteInteger(kSection, "MovieHAligment", MovieHAligment);
    ini.WriteInteger(kSection, "MovieVAligment", MovieVAligment);
    ini.WriteInteger(kSection, "WallPaperPosition", WallPaperPosition);
    ini.WriteInteger(kSection, "BackgroundColor", BackgroundColor);
    ini.WriteString(kSection, "BackgroundPic", BackgroundPic);
    ini.WriteBool(kSection, "Loop", Loop);
    ini.WriteBool(kSection, "MuteFlashSound", MuteFlashSound);
    ini.WriteInteger(kSection, "MoviePosition", MoviePosition);
    ini.WriteInteger(kSection, "MovieLeft", MovieLeft);
    ini.WriteInteger(kSection, "MovieRight", MovieRight);
    ini.WriteInteger(kSection, "MovieTop", MovieTop);
    ini.WriteInteger(kSection, "MovieBottom", MovieBottom);
    ini.WriteString(kSection, "Author", Author);
    ini.WriteString(kSection, "Email", Email);
    ini.WriteString(kSection, "Website", Website);
    return true;
}
