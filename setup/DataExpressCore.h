// The portable half of the package index: reading a package or installation
// record from a stream, the path and text rules its records must keep, the
// installation record's bytes and the self-removal batch text. No Windows
// header, so the reader can be fuzzed natively.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "common/RecordHead.h"

// Reads the head from the last 552 bytes and the file, folder, link and
// registry tables. False on a wrong magic. A stream shorter than a head, or a
// table that does not lie wholly before the head (checked in 64-bit arithmetic
// before anything is allocated), raises EReadError. On any failure `index` is
// left empty.
bool LoadPackIndex(TStream& s, TPackIndex& index);

// One of "InstallDir", "WindowsDir", "System32Dir" (case-sensitive).
bool IsRootKeyword(const std::string& root);
// A bare name: not empty, no "\", "/", ":", not "." or "..", no control characters.
bool IsPlainFileName(const std::string& name);
// Empty, or relative parts separated by "\": no drive, no leading separator,
// no "/" or ":", no empty, "." or ".." part, no control characters.
bool IsRelativeSubFolder(const std::string& sub);
// Text that a quoted Program Manager macro argument can carry: anything but a
// double quote and control characters (brackets, parentheses and commas are fine).
bool IsDdeSafeText(const std::string& text);
// A Start-menu group or item caption: a plain name such a macro can carry.
bool IsLinkCaption(const std::string& caption);
// The macros, every argument in double quotes.
std::string CreateGroupMacro(const std::string& caption);
std::string AddItemMacro(const std::string& path, const std::string& caption);
std::string DeleteGroupMacro(const std::string& caption);
// One of the predefined registry root keys (0x80000000 - 0x80000006).
bool IsPredefinedRootKey(uint32_t key);
// The program name names one key below the uninstall list: not empty, never a path.
bool IsSafeProgramName(const std::string& name);

// Whether a record may be carried out: its root, subfolder and file name keep
// to the rules above (only the fields its kind uses for links).
bool IsUsableRecord(const TPackFileRec& rec);
bool IsUsableRecord(const TPackDirRec& rec);
bool IsUsableRecord(const TPackLinkRec& rec);
bool IsUsableRecord(const TPackRegRec& rec);

// Checks a loaded package before anything is installed: the program name by
// the builder's own rule (WallpaperNameProblem, with its message), every record
// usable, captions and names fit for the Program Manager macros, and every
// file's data inside the package's first `dataLimit` bytes. Empty when fine,
// else a text naming the first problem.
std::string CheckPackIndex(const TPackIndex& index, uint64_t dataLimit);

// The text with one trailing backslash removed.
std::string StripOneTrailingBackslash(const std::string& dir);
// The first "{InstallDir}" replaced by dir; later ones stay.
std::string ReplaceFirstInstallDir(const std::string& text, const std::string& dir);
// folder, or folder + "\" + sub when sub is not empty.
std::string JoinSubFolder(const std::string& folder, const std::string& sub);

// The installation record: the four tables as loaded, then a head with the
// program name and the tables' offsets in this record.
void WriteUninstallData(TStream& s, const TPackIndex& index);

// What an uninstall run that left something says: the list, and that the
// uninstaller and its record stay in `installDir` to be run again.
std::string UninstallLeftText(const std::vector<std::string>& left, const std::string& installDir);

// How often the batch tries to delete the uninstaller, about a second apart,
// before it gives up quietly (a file that can never go must not keep a hidden
// command interpreter running).
constexpr int DelmeTries = 20;

// The batch that removes the uninstaller and its folder once the uninstaller
// has ended. Every path is quoted and full; the pause between tries runs
// `systemDir`'s ping.exe, never one from the current folder. The batch then
// leaves for `tempDir`, removes the folder only when empty and deletes itself
// as its last line.
std::string DelmeBatchText(const std::string& exePath, const std::string& installDir, const std::string& batchPath,
                           const std::string& tempDir, const std::string& systemDir);
