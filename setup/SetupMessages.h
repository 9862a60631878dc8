// What setup tells the user when an installer cannot be used or an install
// fails: one sentence saying what happened, the detail after it.
#pragma once

#include <cstdint>
#include <string>

// An installer whose package is cut, lengthened or unreadable.
constexpr const char* SDamagedInstaller = "This installer is damaged or incomplete. Please download it again.";
// Put before the detail of a package that breaks the rules of its records.
constexpr const char* SUnsafeInstaller = "This installer is damaged or unsafe; nothing was installed.";

// Windows' words for the causes an install meets (a full or write-protected
// disk, a file in use, no access); the system's own text for the rest, empty
// when it has none.
std::string SystemCause(uint32_t error);
// "Cannot write the file <path>." with its cause; a full disk says so first.
std::string WriteFailure(const std::string& path, uint32_t error);
