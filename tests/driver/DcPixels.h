// Reading pixels out of a device context (a window's, or the screen's), for screenshots and
// pixel checks: one home for the DIB section dance that every capture needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace dptest {

// The width x height pixels at (x, y) of src as 0x00RRGGBB, rows from the top. What src does
// not hold (a frame nobody draws) reads black. False, with pixels empty, when GDI refuses.
bool ReadDcPixels(HDC src, int x, int y, int width, int height, std::vector<uint32_t>& pixels);

}  // namespace dptest
