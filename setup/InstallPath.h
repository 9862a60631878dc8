// The rules a destination folder typed on the wizard's second page must keep
// before anything is installed into it. Portable, so the rules are tested natively.
#pragma once

#include <cstddef>
#include <string>

// A folder the install can go to: a drive root ("C:\...") or a UNC share
// ("\\server\share..."). Relative and drive-relative paths are refused.
bool IsFullInstallPath(const std::string& path);

// The longest folder path Windows creates (MAX_PATH less room for an 8.3 name).
constexpr size_t kMaxFolderPath = 247;

// Why the path cannot take the install, as a sentence or two for the user; empty
// when it can. programName makes the example folder; maxLength is the longest
// folder path that leaves room for the package's own file paths below it.
std::string InstallPathFault(const std::string& path, const std::string& programName,
                             size_t maxLength = kMaxFolderPath);
