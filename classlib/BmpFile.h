// BMP files and packed DIBs in memory. Portable (no platform header), so the class library, the
// tests and the build tools read bitmaps the same way, and the reader is fuzzed natively.
//
// The reader takes the headers Windows writes (BITMAPCOREHEADER, BITMAPINFOHEADER and its later
// versions), 1, 4, 8, 16, 24 and 32 bits a pixel, uncompressed, RLE8, RLE4 and bit fields. Every
// size, count and offset is checked against the bytes given: it never reads outside them and
// never allocates more than the image it returns, which is at most kMaxBmpImageBytes and
// kMaxPicturePixels; RLE images are filled in one pass, every byte written once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int32_t kMaxBmpDimension = 32767;
constexpr int64_t kMaxBmpImageBytes = int64_t(512) << 20;
// The most pixels a picture may have, BMP or JPEG: two 8K UHD screens side by side
// (15360 x 4320, 66.4 million) as a wallpaper picture, far more than any skin bitmap. The sides
// alone do not bound the work: a few bytes of RLE may claim 32767 x 32767.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 26;

// Bytes of one row of a DIB: padded to 32 bits.
constexpr int64_t DibStride(int64_t width, int bits) { return ((width * bits + 31) / 32) * 4; }

struct TDibColour {
    uint8_t Red = 0, Green = 0, Blue = 0;
};

// A bitmap as a bottom-up DIB section holds it. 16 and 32 bits with other masks than 5-5-5,
// 5-6-5 and 8-8-8 come out as 24 bits.
struct TDibImage {
    int32_t Width = 0;
    int32_t Height = 0;
    int BitCount = 0;                 // 1, 4, 8, 16, 24 or 32
    bool Rgb565 = false;              // 16 bits: 5-6-5 rather than 5-5-5
    std::vector<TDibColour> Colours;  // up to 8 bits: 1 << BitCount entries, black past the file's
    int64_t Stride = 0;               // DibStride(Width, BitCount)
    std::vector<uint8_t> Bits;        // Height rows of Stride bytes, the bottom row first
    size_t End = 0;                   // where the bitmap's bytes end in the input
};

enum class TBmpResult {
    Ok,
    Invalid,   // not a bitmap this reader takes, or cut short
    TooLarge,  // a valid bitmap larger than kMaxBmpImageBytes or kMaxPicturePixels
};

// A file: "BM", the file header, then a packed DIB whose pixels start at the header's offset
// when that lies past the colour table.
TBmpResult ReadBmpFile(const uint8_t* data, size_t size, TDibImage& image);
// A packed DIB (info header, colours, pixels), as bitmap resources hold it.
TBmpResult ReadPackedDib(const uint8_t* data, size_t size, TDibImage& image);

// A 24-bit bottom-up BMP file (BITMAPINFOHEADER, 72 dpi) of pixels 0x00RRGGBB, top row first.
std::vector<uint8_t> WriteBmp24(int32_t width, int32_t height, const uint32_t* pixels);
