// PNG writing (screenshots people look at). A file of its own, so that only programs which
// write one link the compressor.
#include <zlib.h>

#include <string>

#include "classlib/Graphics.h"

namespace {

void PutBE32(std::string& s, uint32_t v) {
    s += char(v >> 24);
    s += char((v >> 16) & 255);
    s += char((v >> 8) & 255);
    s += char(v & 255);
}

void WriteChunk(TStream& stream, const char* type, const std::string& data) {
    std::string chunk;
    PutBE32(chunk, static_cast<uint32_t>(data.size()));
    chunk.append(type, 4);
    chunk += data;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(chunk.data() + 4),
                            static_cast<uInt>(chunk.size() - 4));
    PutBE32(chunk, static_cast<uint32_t>(crc));
    stream.WriteString(chunk);
}

}  // namespace

void SaveBitmapToPNG(TBitmap& bitmap, TStream& stream) {
    if (bitmap.Empty()) throw EInvalidGraphicOperation(SInvalidGraphic);
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    const int w = copy.Width(), h = copy.Height();
    // Each row: filter type 0, then red, green, blue.
    std::string raw;
    raw.reserve(size_t(h) * (size_t(w) * 3 + 1));
    for (int y = 0; y < h; ++y) {
        const auto* p = static_cast<const uint8_t*>(copy.ScanLine(y));
        raw += '\0';
        for (int x = 0; x < w; ++x) {
            raw += char(p[x * 3 + 2]);
            raw += char(p[x * 3 + 1]);
            raw += char(p[x * 3]);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw EOutOfResources(SOutOfResources);
    packed.resize(packedSize);
    stream.WriteString(std::string("\x89PNG\r\n\x1a\n", 8));
    std::string ihdr;
    PutBE32(ihdr, static_cast<uint32_t>(w));
    PutBE32(ihdr, static_cast<uint32_t>(h));
    ihdr += char(8);  // bits per channel
    ihdr += char(2);  // RGB
    ihdr += std::string(3, '\0');  // deflate, adaptive filtering, no interlace
    WriteChunk(stream, "IHDR", ihdr);
    WriteChunk(stream, "IDAT", packed);
    WriteChunk(stream, "IEND", std::string());
}

void SaveBitmapToPNGFile(TBitmap& bitmap, const std::string& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveBitmapToPNG(bitmap, stream);
}
