#include "classlib/PngFile.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kSignature[] = "\x89PNG\r\n\x1a\n";

void PutBE32(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

uint32_t BE32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutBE32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.append(type, 4);
    out += data;
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(out.size() - start));
    PutBE32(out, static_cast<uint32_t>(crc));
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

bool Fail(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

}  // namespace

bool WritePng(int width, int height, const std::vector<uint32_t>& pixels, std::string& png) {
    if (width <= 0 || height <= 0 || uint32_t(width) > kMaxPngDimension || uint32_t(height) > kMaxPngDimension ||
        pixels.size() != size_t(width) * size_t(height))
        return false;
    std::string raw;
    raw.reserve(size_t(height) * (1 + 3 * size_t(width)));
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter: none
        const uint32_t* row = pixels.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            raw += static_cast<char>((row[x] >> 16) & 0xFF);
            raw += static_cast<char>((row[x] >> 8) & 0xFF);
            raw += static_cast<char>(row[x] & 0xFF);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);

    png.assign(kSignature, 8);
    std::string ihdr;
    PutBE32(ihdr, static_cast<uint32_t>(width));
    PutBE32(ihdr, static_cast<uint32_t>(height));
    ihdr += char(8);               // bits per channel
    ihdr += char(2);               // RGB
    ihdr += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
    PutChunk(png, "IHDR", ihdr);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", std::string());
    return true;
}

bool WritePngFile(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels) {
    std::string png;
    if (!WritePng(width, height, pixels, png)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadPng(const std::string& png, TRgbImage& image, std::string& error) {
    const auto* p = reinterpret_cast<const unsigned char*>(png.data());
    const size_t size = png.size();
    if (size < 8 || std::memcmp(p, kSignature, 8) != 0) return Fail(error, "no PNG signature");
    size_t at = 8;
    std::string idat;
    uint32_t width = 0, height = 0;
    int colourType = -1;
    bool sawHeader = false, sawEnd = false;
    while (at + 12 <= size) {
        const uint32_t len = BE32(p + at);
        if (len > size - at - 12) return Fail(error, "chunk runs past the end");
        const std::string type(reinterpret_cast<const char*>(p + at + 4), 4);
        const unsigned char* data = p + at + 8;
        if (crc32(0, p + at + 4, len + 4) != BE32(data + len)) return Fail(error, "bad CRC in " + type);
        if (type == "IHDR") {
            if (len != 13) return Fail(error, "IHDR of " + std::to_string(len) + " bytes");
            width = BE32(data);
            height = BE32(data + 4);
            colourType = data[9];
            if (data[8] != 8 || (colourType != 2 && colourType != 6) || data[10] != 0 || data[11] != 0 || data[12] != 0)
                return Fail(error, "unsupported PNG: depth " + std::to_string(data[8]) + " colour type " +
                                       std::to_string(colourType) + " interlace " + std::to_string(data[12]));
            sawHeader = true;
        } else if (type == "IDAT") {
            if (!sawHeader) return Fail(error, "IDAT before IHDR");
            idat.append(reinterpret_cast<const char*>(data), len);
        } else if (type == "IEND") {
            sawEnd = true;
            break;
        }
        at += 12 + size_t(len);
    }
    if (!sawHeader || !sawEnd) return Fail(error, "IHDR or IEND missing");
    if (width == 0 || height == 0 || width > kMaxPngDimension || height > kMaxPngDimension)
        return Fail(error, "bad size " + std::to_string(width) + " x " + std::to_string(height));
    const size_t bpp = colourType == 6 ? 4 : 3;
    if ((uint64_t(width) * bpp + 1) * height > kMaxPngDataBytes) return Fail(error, "image too large");
    const size_t stride = size_t(width) * bpp;
    std::string raw((stride + 1) * height, '\0');
    uLongf rawSize = static_cast<uLongf>(raw.size());
    if (uncompress(reinterpret_cast<Bytef*>(&raw[0]), &rawSize, reinterpret_cast<const Bytef*>(idat.data()),
                   static_cast<uLong>(idat.size())) != Z_OK ||
        rawSize != raw.size())
        return Fail(error, "image data does not inflate to the image size");
    std::vector<uint8_t> cur(stride), prev(stride, 0);
    image.Width = width;
    image.Height = height;
    image.Pixels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const uint8_t*>(raw.data()) + size_t(y) * (stride + 1);
        const int filter = line[0];
        if (filter > 4) return Fail(error, "row filter " + std::to_string(filter));
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
            int pred = 0;
            switch (filter) {
                case 1: pred = a; break;
                case 2: pred = b; break;
                case 3: pred = (a + b) / 2; break;
                case 4: pred = Paeth(a, b, c); break;
                default: break;
            }
            cur[i] = static_cast<uint8_t>(line[1 + i] + pred);
        }
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* px = cur.data() + size_t(x) * bpp;
            image.Pixels[size_t(y) * width + x] = (uint32_t(px[0]) << 16) | (uint32_t(px[1]) << 8) | px[2];
        }
        prev.swap(cur);
    }
    return true;
}
