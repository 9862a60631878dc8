// PNG files in memory, 8 bits a channel. Portable (zlib only), so screenshots, the skin's contact
// sheet and the tests that read browser and window shots share one writer and one reader.
//
// The writer makes RGB images without filtering. The reader takes what it and headless browsers
// write: RGB or RGBA at 8 bits, any row filter, not interlaced; chunk lengths and CRCs are
// checked, and the image data must inflate to exactly the rows the header promises.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kMaxPngDimension = 32767;
constexpr uint64_t kMaxPngDataBytes = uint64_t(512) << 20;  // the inflated rows

// Pixels 0x00RRGGBB, top row first.
struct TRgbImage {
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint32_t> Pixels;
    uint32_t At(uint32_t x, uint32_t y) const { return Pixels[size_t(y) * Width + x]; }
};

// False for an empty image, a pixel count other than width x height, or a compression failure.
bool WritePng(int width, int height, const std::vector<uint32_t>& pixels, std::string& png);
// The same into a file; false also when the file cannot be written.
bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);
// False with the reason when the bytes are not a PNG this reader takes; alpha is dropped.
bool ReadPng(const std::string& png, TRgbImage& image, std::string& error);
