// Helpers of the builder tests: the desktop wallpaper as the Active Desktop
// stand-in keeps it, small movies, and files beside the test program.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace builder_test {

// The stand-in's wallpaper state (HKCU), read straight from the registry.
std::string CurrentWallpaper();
std::wstring CurrentTileWallpaper();
std::wstring CurrentWallpaperStyle();
// What the stand-in was last told; 0xFFFFFFFF when never.
DWORD ApplyCount();
DWORD LastApplyFlags();
DWORD LastStyle();
// Puts a wallpaper in place the way the stand-in stores it (style 0 centre, 1 tile, 2 stretch).
void SetDesktopWallpaper(const std::string& path, DWORD style);

// Saves the wallpaper values and the stand-in's log, and puts them back.
class SavedDesktop {
public:
    SavedDesktop();
    ~SavedDesktop();
    SavedDesktop(const SavedDesktop&) = delete;
    SavedDesktop& operator=(const SavedDesktop&) = delete;

private:
    struct Value {
        const wchar_t* key;
        const wchar_t* name;
        bool present;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> m_values;
};

// While it lives the stand-in refuses one method ("SetWallpaper", "SetWallpaperOptions" or
// "ApplyChanges") with E_ACCESSDENIED, changing nothing.
class DesktopRefusal {
public:
    explicit DesktopRefusal(const std::wstring& method);
    ~DesktopRefusal();
    DesktopRefusal(const DesktopRefusal&) = delete;
    DesktopRefusal& operator=(const DesktopRefusal&) = delete;

private:
    std::wstring m_value;
};

// The running program's folder with its final backslash.
std::string ProgramDir();

// A small uncompressed movie: a background colour, a DefineSound tag, a frame.
std::string MovieWithSound();
// The same movie as the muted copy must read: the sound tag's word rewritten.
std::string MutedMovie();
// A few bytes that stand for a picture.
std::string PictureBytes();

bool FileThere(const std::string& path);
// Removes the file if it is there; a test's own leftovers only.
void RemoveFile(const std::string& path);

}  // namespace builder_test
