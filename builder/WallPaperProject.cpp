// The project file: one ini section "Project", read and written key by key
// through the private-profile functions, so anything else in the file stays.
#include "builder/WallPaperClass.h"

#include "classlib/IniFiles.h"

namespace {

constexpr const char* kSection = "Project";

uint8_t LowByte(int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFF); }

}  // namespace

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
