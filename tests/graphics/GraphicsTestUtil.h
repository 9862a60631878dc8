// Helpers shared by the graphics and dialog tests.
#pragma once

#include <string>

#include "classlib/Graphics.h"

// A fixture file of tests/graphics/data.
std::string DataFile(const std::string& name);

// Channel distance: the largest difference of red, green or blue.
int ColorDistance(TColor a, TColor b);

// A bitmap of the given format filled with one colour.
void FillBitmap(TBitmap& bmp, int width, int height, TPixelFormat format, TColor color);
