// Bitmaps to and from files: BMP through the portable reader, PNG for screenshots.
#pragma once

#include "classlib/Bitmaps.h"

// PNG (8 bits a channel, RGB) of any bitmap, for screenshots people look at.
void SaveBitmapToPNG(TBitmap& bitmap, TStream& stream);
void SaveBitmapToPNGFile(TBitmap& bitmap, const std::string& fileName);
