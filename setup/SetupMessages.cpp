#include "setup/SetupMessages.h"

#include <windows.h>

std::string SystemCause(uint32_t error) {
    static const struct {
        DWORD code;
        const char* text;
    } known[] = {
        {ERROR_DISK_FULL, "There is not enough space on the disk."},
        {ERROR_HANDLE_DISK_FULL, "There is not enough space on the disk."},
        {ERROR_WRITE_PROTECT, "The media is write protected."},
        {ERROR_ACCESS_DENIED, "Access is denied."},
        {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
        {ERROR_LOCK_VIOLATION,
         "The process cannot access the file because another process has locked a portion of the file."},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
        {ERROR_FILE_EXISTS, "The file exists."},
        {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
        {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    };
    if (error == 0) return std::string();
    for (const auto& k : known)
        if (k.code == error) return k.text;
    char* buf = nullptr;
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<char*>(&buf), 0, nullptr);
    std::string text = n && buf ? std::string(buf, n) : std::string();
    if (buf) LocalFree(buf);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
    return text;
}

std::string WriteFailure(const std::string& path, uint32_t error) {
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        return "There is not enough space on the disk to write the file " + path + ".";
    const std::string cause = SystemCause(error);
    return "Cannot write the file " + path + "." + (cause.empty() ? std::string() : " " + cause);
}
