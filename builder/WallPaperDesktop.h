// Helpers of the wallpaper model's desktop half (Windows): which page paths fit the Active
// Desktop's exchange buffer. Paths are compared with SameFileName (classlib/PathIdentity.h).
#pragma once

#include <string>

// The Active Desktop exchanges paths in a buffer of 260 wide characters.
constexpr int WallpaperPathBuffer = 260;

// True when the path fits that buffer with its terminating zero.
bool WallpaperPathFits(const std::string& path);
// Raises an error naming the path when it does not fit: a cut path would name
// another file.
void CheckWallpaperPath(const std::string& path);

// The page that Activate writes under the given Windows folder. An empty
// folder raises an error instead of giving a path under the drive's root.
std::string ActiveWallpaperPage(const std::string& windowsDir);

// The page that Preview writes beside the running program.
std::string PreviewWallpaperPage();
