#include "setup/InstallPath.h"

#include "classlib/SysUtils.h"
#include "common/WallpaperName.h"

namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr const char* kReserved = "<>\"|?*";

std::string Example(const std::string& programName) { return "C:\\Program Files\\" + programName; }

}  // namespace

bool IsFullInstallPath(const std::string& path) {
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSep(path[2])) return true;
    // \\server\share: both parts present.
    if (path.size() >= 5 && IsSep(path[0]) && IsSep(path[1])) {
        const size_t serverEnd = path.find_first_of("\\/", 2);
        if (serverEnd == std::string::npos || serverEnd == 2) return false;
        const size_t shareEnd = path.find_first_of("\\/", serverEnd + 1);
        return (shareEnd == std::string::npos ? path.size() : shareEnd) > serverEnd + 1;
    }
    return false;
}

std::string InstallPathFault(const std::string& path, const std::string& programName, size_t maxLength) {
    if (!IsFullInstallPath(path))
        return "Please enter the full path of the destination folder, for example " + Example(programName) + ".";
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        const bool bad =
            c < 32 || c == 127 || (c == ':' && i != 1) || std::string(kReserved).find(c) != std::string::npos;
        if (!bad) continue;
        const std::string what = c < 32 || c == 127 ? std::string("a control character")
                                                    : "the character \"" + std::string(1, static_cast<char>(c)) + "\"";
        return "The destination folder cannot contain " + what +
               ". A folder name cannot contain any of these characters: : * ? \" < > |";
    }
    // Each folder name below the drive or share.
    size_t pos = path[0] == '\\' || path[0] == '/' ? path.find_first_of("\\/", path.find_first_of("\\/", 2) + 1) : 2;
    while (pos != std::string::npos && pos < path.size()) {
        const size_t start = pos + 1;
        size_t end = path.find_first_of("\\/", start);
        const std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        pos = end;
        if (name.empty()) continue;
        if (IsDeviceName(name))
            return "The destination folder cannot contain the name \"" + name +
                   "\": Windows keeps it for a device. Please choose another folder.";
        if (name.back() == '.' || name.back() == ' ')
            return "The folder name \"" + name +
                   "\" ends in a dot or a blank, which Windows leaves out. Please choose another folder.";
    }
    if (path.size() > maxLength)
        return "The destination folder is too long: it may have at most " + IntToStr(static_cast<int64_t>(maxLength)) +
               " characters. Please choose a shorter one, for example " + Example(programName) + ".";
    return std::string();
}
