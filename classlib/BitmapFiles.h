// Where bitmaps meet files: TBitmap's BMP loading and saving live in BitmapFiles.cpp (BMP bytes
// go through the portable reader of BmpFile.h), and PNG is written for screenshots (GraphicsPng.cpp,
// so that only programs which write PNG link the compressor).
#pragma once

#include "classlib/Bitmaps.h"

// PNG (8 bits a channel, RGB) of any bitmap, for screenshots people look at.
void SaveBitmapToPNG(TBitmap& bitmap, TStream& stream);
void SaveBitmapToPNGFile(TBitmap& bitmap, const std::string& fileName);
