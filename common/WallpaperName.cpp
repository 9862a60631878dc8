#include "common/WallpaperName.h"

#include "classlib/SysUtils.h"

namespace {

// What Windows keeps out of file names; control characters (and DEL) could not
// be carried by a Program Manager macro either, nor could the double quote.
bool UnusableInFileName(unsigned char c) {
    return c < 32 || c == 127 || std::string("\\/:*?\"<>|").find(char(c)) != std::string::npos;
}

}  // namespace

bool IsDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    const std::string upper = UpperCase(base);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

std::string WallpaperNameProblem(const std::string& name) {
    if (name.empty())
        return "The wallpaper name is empty: an installer needs it for its folder and its Start-menu group.";
    if (name.size() > MaxWallpaperNameLength)
        return Format("The wallpaper name is too long: an installer takes at most %d characters.",
                      int(MaxWallpaperNameLength));
    bool bad = name.back() == '.' || name.back() == ' ';
    for (unsigned char c : name)
        if (UnusableInFileName(c)) bad = true;
    if (bad)
        return "The wallpaper name \"" + name +
               "\" cannot be used as a file name: leave out \\ / : * ? \" < > | and do not end it with a dot or a "
               "blank.";
    if (IsDeviceName(name))
        return "The wallpaper name \"" + name + "\" is a name Windows keeps for a device: choose another name.";
    return {};
}
