#include "classlib/BmpFile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3;

// Little-endian fields at a position; the first read past the end fails every later one.
class TCursor {
public:
    TCursor(const uint8_t* data, size_t size, size_t at) : m_data(data), m_size(size), m_at(at), m_ok(at <= size) {}

    bool Ok() const { return m_ok; }
    size_t Pos() const { return m_at; }
    size_t Left() const { return m_ok ? m_size - m_at : 0; }

    const uint8_t* Take(size_t n) {
        if (!m_ok || n > m_size - m_at) {
            m_ok = false;
            return nullptr;
        }
        const uint8_t* p = m_data + m_at;
        m_at += n;
        return p;
    }
    uint16_t U16() {
        const uint8_t* p = Take(2);
        return p ? static_cast<uint16_t>(p[0] | (p[1] << 8)) : 0;
    }
    uint32_t U32() {
        const uint8_t* p = Take(4);
        return p ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24) : 0;
    }
    void SeekTo(size_t at) {
        if (at > m_size) m_ok = false;
        if (m_ok) m_at = at;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at;
    bool m_ok;
};

unsigned CountBits(uint32_t m) {
    unsigned n = 0;
    for (; m; m &= m - 1) ++n;
    return n;
}

unsigned LowBit(uint32_t m) {
    if (!m) return 0;
    unsigned n = 0;
    while (!(m & 1)) {
        m >>= 1;
        ++n;
    }
    return n;
}

// A channel scaled to 8 bits.
uint8_t Channel(uint32_t v, uint32_t mask) {
    if (!mask) return 0;
    const unsigned shift = LowBit(mask), bits = CountBits(mask);
    const uint32_t max = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1);
    const uint32_t c = (v & mask) >> shift;
    return static_cast<uint8_t>(uint64_t(c) * 255 / max);
}

// Writes an RLE image's bytes in order, each once: the decoder only ever moves forward (runs,
// ends of lines, deltas of unsigned steps), so what it skips, and the padding of each row,
// becomes 0 as the write position passes it.
class TRleWriter {
public:
    TRleWriter(std::vector<uint8_t>& out, bool rle4, int64_t stride, int64_t height)
        : m_out(out), m_rle4(rle4), m_stride(stride), m_total(size_t(stride * height)) {
        m_out.clear();
        m_out.reserve(m_total);
    }
    void Put(int x, int y, int value) {
        const size_t at = size_t(y) * size_t(m_stride) + size_t(m_rle4 ? x / 2 : x);
        if (!m_rle4) {
            FillTo(at);
            m_out.push_back(static_cast<uint8_t>(value));
        } else if (x % 2 == 0) {
            FillTo(at);
            m_out.push_back(static_cast<uint8_t>((value & 15) << 4));
        } else if (m_out.size() == at + 1) {
            m_out.back() = static_cast<uint8_t>(m_out.back() | (value & 15));  // its left pixel came first
        } else {
            FillTo(at);
            m_out.push_back(static_cast<uint8_t>(value & 15));
        }
    }
    void Finish() { FillTo(m_total); }

private:
    void FillTo(size_t at) {
        if (m_out.size() < at) m_out.resize(at, 0);
    }
    std::vector<uint8_t>& m_out;
    bool m_rle4;
    int64_t m_stride;
    size_t m_total;
};

// Expands RLE8 or RLE4 data into bottom-up rows of the given stride; what the data leaves out is 0.
void DecodeRle(const uint8_t* p, size_t n, bool rle4, int width, int height, int64_t stride,
               std::vector<uint8_t>& bits) {
    TRleWriter out(bits, rle4, stride, height);
    int x = 0, y = 0;  // y counts rows from the bottom, as stored
    size_t i = 0;
    // Positions right of the row are never written, so x stops at the width: however long
    // the data, it cannot overflow.
    auto put = [&](int value) {
        if (x >= width) return;
        if (y < height) out.Put(x, y, value);
        ++x;
    };
    while (i + 1 < n && y < height) {
        const uint8_t count = p[i], value = p[i + 1];
        i += 2;
        if (count) {
            for (int k = 0; k < count && x < width; ++k) put(rle4 ? (k % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= n) break;
            x = std::min(x + p[i], width);
            y += p[i + 1];
            i += 2;
        } else {  // absolute run
            const int len = value;
            const size_t bytes = rle4 ? (size_t(len) + 1) / 2 : size_t(len);
            if (i + bytes > n) break;
            for (int k = 0; k < len; ++k) {
                const uint8_t b = p[i + (rle4 ? k / 2 : k)];
                put(rle4 ? (k % 2 ? b & 15 : b >> 4) : b);
            }
            i += (bytes + 1) & ~size_t(1);  // runs are padded to 16 bits
        }
    }
    out.Finish();
}

// The info header at infoStart and all behind it. pixelsAt: where the file header says the pixels
// start (0: right behind the colour table).
TBmpResult ReadDib(const uint8_t* data, size_t size, size_t infoStart, uint32_t pixelsAt, TDibImage& image) {
    TCursor in(data, size, infoStart);
    const uint32_t headerSize = in.U32();
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bitCount = 0;
    uint32_t compression = kBiRgb, clrUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
    bool core = false;
    if (headerSize == 12) {
        core = true;
        width = in.U16();
        height = static_cast<int16_t>(in.U16());
        planes = in.U16();
        bitCount = in.U16();
    } else if (headerSize >= 40 && headerSize <= 4096) {
        width = static_cast<int32_t>(in.U32());
        height = static_cast<int32_t>(in.U32());
        planes = in.U16();
        bitCount = in.U16();
        compression = in.U32();
        in.Take(12);  // image size, resolution
        clrUsed = in.U32();
        in.U32();  // important colours
        if (headerSize >= 52) {
            for (auto& m : masks) m = in.U32();
        }
        in.SeekTo(infoStart + headerSize);
        if (compression == kBiBitFields && headerSize < 52) {
            for (auto& m : masks) m = in.U32();
        }
    } else {
        return TBmpResult::Invalid;
    }
    if (!in.Ok()) return TBmpResult::Invalid;
    const bool topDown = height < 0;
    const int64_t absHeight = topDown ? -int64_t(height) : height;
    if (planes != 1 || width <= 0 || absHeight <= 0 || width > kMaxBmpDimension || absHeight > kMaxBmpDimension)
        return TBmpResult::Invalid;
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (!(bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32))
        return TBmpResult::Invalid;
    if (compression == kBiRle8 && bitCount != 8) return TBmpResult::Invalid;
    if (compression == kBiRle4 && bitCount != 4) return TBmpResult::Invalid;
    if (compression == kBiBitFields && bitCount != 16 && bitCount != 32) return TBmpResult::Invalid;
    if (compression != kBiRgb && !rle && compression != kBiBitFields) return TBmpResult::Invalid;
    if (rle && topDown) return TBmpResult::Invalid;

    std::vector<TDibColour> colours;
    if (bitCount <= 8) {
        const uint32_t max = 1u << bitCount;
        const uint32_t count = clrUsed && clrUsed < max ? clrUsed : max;
        if (clrUsed > 0x10000) return TBmpResult::Invalid;
        const size_t entry = core ? 3 : 4;
        const uint32_t stored = clrUsed > max ? clrUsed : count;
        const uint8_t* table = in.Take(size_t(stored) * entry);
        if (!table) return TBmpResult::Invalid;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* q = table + size_t(i) * entry;
            colours.push_back({q[2], q[1], q[0]});
        }
        // Indices beyond the table read as black.
        colours.resize(max, TDibColour{});
    } else if (clrUsed && clrUsed <= 0x10000) {
        if (!in.Take(size_t(clrUsed) * 4)) return TBmpResult::Invalid;  // an optimisation table only
    }

    if (pixelsAt && pixelsAt > in.Pos()) {
        in.SeekTo(pixelsAt);
        if (!in.Ok()) return TBmpResult::Invalid;
    }

    int outBits = bitCount;
    bool rgb565 = false;
    bool generic = false;  // 16/32 bits with masks a DIB section does not hold
    if (bitCount == 16 && compression != kBiRgb) {
        if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) {
            rgb565 = true;
        } else if (!(masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F)) {
            generic = true;
        }
    } else if (bitCount == 32 && compression != kBiRgb) {
        generic = !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
    }
    if (generic) outBits = 24;

    const int64_t srcStride = DibStride(width, bitCount);
    const int64_t remaining = static_cast<int64_t>(in.Left());
    int64_t length;
    if (rle) {
        if (remaining <= 0) return TBmpResult::Invalid;
        length = std::min<int64_t>(remaining, kMaxBmpImageBytes);
    } else {
        length = srcStride * absHeight;
        if (length > remaining || length > kMaxBmpImageBytes) return TBmpResult::Invalid;
    }
    const int64_t stride = DibStride(width, outBits);
    if (stride * absHeight > kMaxBmpImageBytes || int64_t(width) * absHeight > kMaxPicturePixels)
        return TBmpResult::TooLarge;
    const size_t pixelStart = in.Pos();
    const uint8_t* pixels = in.Take(size_t(length));

    image.Width = width;
    image.Height = static_cast<int32_t>(absHeight);
    image.BitCount = outBits;
    image.Rgb565 = rgb565;
    image.Colours = std::move(colours);
    image.Stride = stride;
    image.End = pixelStart + size_t(length);
    if (rle) {
        DecodeRle(pixels, size_t(length), compression == kBiRle4, width, image.Height, stride, image.Bits);
        return TBmpResult::Ok;
    }
    image.Bits.assign(size_t(stride * absHeight), 0);
    uint8_t* out = image.Bits.data();
    for (int64_t y = 0; y < absHeight; ++y) {
        // Rows are kept bottom-up; file row y is the y-th from the bottom unless top-down.
        const int64_t memRow = topDown ? absHeight - 1 - y : y;
        const uint8_t* src = pixels + y * srcStride;
        uint8_t* dst = out + memRow * stride;
        if (!generic) {
            std::memcpy(dst, src, size_t(srcStride));
            continue;
        }
        for (int x = 0; x < width; ++x) {
            uint32_t v;
            if (bitCount == 16)
                v = src[x * 2] | (src[x * 2 + 1] << 8);
            else
                v = src[x * 4] | (src[x * 4 + 1] << 8) | (src[x * 4 + 2] << 16) | (uint32_t(src[x * 4 + 3]) << 24);
            dst[x * 3] = Channel(v, masks[2]);
            dst[x * 3 + 1] = Channel(v, masks[1]);
            dst[x * 3 + 2] = Channel(v, masks[0]);
        }
    }
    return TBmpResult::Ok;
}

void PutLE16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutLE32(std::vector<uint8_t>& out, uint32_t v) {
    PutLE16(out, v & 0xFFFF);
    PutLE16(out, v >> 16);
}

}  // namespace

TBmpResult ReadBmpFile(const uint8_t* data, size_t size, TDibImage& image) {
    TCursor in(data, size, 0);
    const uint8_t* mark = in.Take(2);
    if (!mark || mark[0] != 'B' || mark[1] != 'M') return TBmpResult::Invalid;
    in.U32();  // file size: often wrong, not needed
    in.U32();
    const uint32_t offBits = in.U32();
    if (!in.Ok()) return TBmpResult::Invalid;
    return ReadDib(data, size, in.Pos(), offBits, image);
}

TBmpResult ReadPackedDib(const uint8_t* data, size_t size, TDibImage& image) {
    return ReadDib(data, size, 0, 0, image);
}

std::vector<uint8_t> WriteBmp24(int32_t width, int32_t height, const uint32_t* pixels) {
    const uint32_t stride = static_cast<uint32_t>(DibStride(width, 24));
    const uint32_t pixelBytes = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    PutLE32(out, 54 + pixelBytes);  // file size
    PutLE32(out, 0);
    PutLE32(out, 54);  // pixel data offset
    PutLE32(out, 40);  // BITMAPINFOHEADER
    PutLE32(out, static_cast<uint32_t>(width));
    PutLE32(out, static_cast<uint32_t>(height));  // positive: bottom-up
    PutLE16(out, 1);
    PutLE16(out, 24);
    PutLE32(out, kBiRgb);
    PutLE32(out, pixelBytes);
    PutLE32(out, 2835);  // 72 dpi
    PutLE32(out, 2835);
    PutLE32(out, 0);
    PutLE32(out, 0);
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint32_t* row = pixels + size_t(y) * size_t(width);
        for (int32_t x = 0; x < width; ++x) {
            out.push_back(static_cast<uint8_t>(row[x]));
            out.push_back(static_cast<uint8_t>(row[x] >> 8));
            out.push_back(static_cast<uint8_t>(row[x] >> 16));
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}
