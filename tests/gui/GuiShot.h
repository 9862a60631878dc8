// Window screenshots as PNG files (test artefacts).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// pixels: 0x00RRGGBB, rows top to bottom.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
// The window's area of the screen.
bool CaptureWindow(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels);
