// PNG writing (screenshots people look at). A file of its own, so that only programs which
// write one link the compressor.
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/BitmapFiles.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/PngFile.h"

void SaveBitmapToPNG(TBitmap& bitmap, TStream& stream) {
    if (bitmap.Empty()) throw EInvalidGraphicOperation(SInvalidGraphic);
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    const int w = copy.Width(), h = copy.Height();
    std::vector<uint32_t> pixels;
    pixels.reserve(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* p = static_cast<const uint8_t*>(copy.ScanLine(y));
        for (int x = 0; x < w; ++x)
            pixels.push_back((uint32_t(p[x * 3 + 2]) << 16) | (uint32_t(p[x * 3 + 1]) << 8) | p[x * 3]);
    }
    std::string png;
    if (!WritePng(w, h, pixels, png)) throw EOutOfResources(SOutOfResources);
    stream.WriteString(png);
}

void SaveBitmapToPNGFile(TBitmap& bitmap, const std::string& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveBitmapToPNG(bitmap, stream);
}
