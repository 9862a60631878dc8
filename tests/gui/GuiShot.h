// Window screenshots as PNG files (test artefacts): the pixels, for WritePngFile.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/PngFile.h"

// The window's area of the screen.
bool CaptureWindow(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels);
