// Path identity (Windows): whether two paths name the same file, as the file system sees it.
// The builder compares paths with it before a file is copied over another or deleted.
#pragma once

#include <windows.h>

#include <string>

// True when both paths name the same file as the file system sees it: both are
// expanded to full long paths and compared without regard to letter case;
// files that both exist are also compared by volume and file index, so hard
// links and other aliases count as the same file. An empty path names nothing.
bool SameFileName(const std::string& a, const std::string& b);

// The full long path in capitals, without a trailing separator: equal for names of one file that
// differ in case, separators, "." and "..", or short and long forms.
std::wstring ComparablePath(const std::string& path);
// The volume and file index of a file or folder that opens; false when it does not.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info);
bool PathExists(const std::string& path);
