#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/BmpFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void Set32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A file around an info header, a colour table and pixel bytes; the offset says where the pixels are.
struct TBmpSpec {
    int32_t width = 2, height = 2;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t headerSize = 40;     // 12: core header
    std::vector<uint32_t> masks;  // behind the header (bit fields)
    Bytes colours;                // as stored: 4 (or 3 for core) bytes an entry
    Bytes pixels;
    uint32_t gap = 0;  // bytes between the colour table and the pixels
};

Bytes MakeBmp(const TBmpSpec& s) {
    Bytes info;
    Put32(info, s.headerSize);
    if (s.headerSize == 12) {
        Put16(info, static_cast<uint32_t>(s.width));
        Put16(info, static_cast<uint32_t>(s.height) & 0xFFFF);
        Put16(info, 1);
        Put16(info, s.bits);
    } else {
        Put32(info, static_cast<uint32_t>(s.width));
        Put32(info, static_cast<uint32_t>(s.height));
        Put16(info, 1);
        Put16(info, s.bits);
        Put32(info, s.compression);
        Put32(info, static_cast<uint32_t>(s.pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, s.clrUsed);
        Put32(info, 0);
        while (info.size() < s.headerSize) info.push_back(0);
    }
    for (uint32_t m : s.masks) Put32(info, m);
    info.insert(info.end(), s.colours.begin(), s.colours.end());
    info.insert(info.end(), s.gap, 0xEE);
    const uint32_t offBits = static_cast<uint32_t>(14 + info.size());
    Bytes file = {'B', 'M'};
    Put32(file, static_cast<uint32_t>(offBits + s.pixels.size()));
    Put32(file, 0);
    Put32(file, offBits);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

Bytes Grey(int n) {
    Bytes c;
    for (int i = 0; i < n; ++i) c.insert(c.end(), {uint8_t(i * 16), uint8_t(i * 16 + 1), uint8_t(i * 16 + 2), 0});
    return c;
}

TBmpResult Read(const Bytes& b, TDibImage& dib) { return ReadBmpFile(b.data(), b.size(), dib); }

// The bytes of row y (0 = bottom) of the decoded image.
Bytes Row(const TDibImage& dib, int y) {
    const auto* p = dib.Bits.data() + size_t(dib.Stride) * size_t(y);
    return Bytes(p, p + dib.Stride);
}

struct TGoodCase {
    const char* name;
    TBmpSpec spec;
    int bitCount;
    bool rgb565;
    Bytes bottomRow, topRow;  // decoded, padding included
};

std::vector<TGoodCase> GoodCases() {
    std::vector<TGoodCase> cases;
    {
        TBmpSpec s;  // 24 bits, bottom-up: the first stored row is the bottom one
        s.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
        cases.push_back({"24 bits", s, 24, false, {1, 2, 3, 4, 5, 6, 0, 0}, {7, 8, 9, 10, 11, 12, 0, 0}});
        s.height = -2;  // top-down: the first stored row is the top one
        cases.push_back({"24 bits top-down", s, 24, false, {7, 8, 9, 10, 11, 12, 0, 0}, {1, 2, 3, 4, 5, 6, 0, 0}});
    }
    {
        TBmpSpec s;
        s.bits = 8;
        s.clrUsed = 3;
        s.colours = Grey(3);
        s.pixels = {0, 1, 0, 0, 2, 0, 0, 0};
        cases.push_back({"8 bits, 3 colours", s, 8, false, {0, 1, 0, 0}, {2, 0, 0, 0}});
        s.compression = 1;  // RLE8: a run of 2, end of line, a run of 1, end of bitmap
        s.pixels = {2, 1, 0, 0, 1, 2, 0, 1};
        cases.push_back({"RLE8", s, 8, false, {1, 1, 0, 0}, {2, 0, 0, 0}});
    }
    {
        TBmpSpec s;
        s.bits = 4;
        s.colours = Grey(16);
        s.width = 3;
        s.compression = 2;  // RLE4: three pixels alternating 1 and 2, end of line, a delta, end
        s.pixels = {3, 0x12, 0, 0, 0, 2, 1, 0, 2, 0x34, 0, 1};
        cases.push_back({"RLE4", s, 4, false, {0x12, 0x10, 0, 0}, {0x03, 0x40, 0, 0}});
    }
    {
        TBmpSpec s;
        s.bits = 1;
        s.width = 9;
        s.headerSize = 12;
        s.colours = {0, 0, 0, 255, 255, 255};
        s.pixels = {0xAA, 0x80, 0, 0, 0x55, 0x00, 0, 0};
        cases.push_back({"1 bit, core header", s, 1, false, {0xAA, 0x80, 0, 0}, {0x55, 0, 0, 0}});
    }
    {
        TBmpSpec s;
        s.bits = 16;
        s.pixels = {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0xFF, 0x7F};
        cases.push_back({"16 bits 5-5-5", s, 16, false, {0x1F, 0x00, 0xE0, 0x03}, {0x00, 0x7C, 0xFF, 0x7F}});
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
        cases.push_back({"16 bits 5-6-5", s, 16, true, {0x1F, 0x00, 0xE0, 0x03}, {0x00, 0x7C, 0xFF, 0x7F}});
        // 4-4-4 bit fields come out as 24 bits: 0x0F00 is full red.
        s.width = 1;
        s.masks = {0x0F00, 0x00F0, 0x000F};
        s.pixels = {0x00, 0x0F, 0, 0, 0xF0, 0x00, 0, 0};
        cases.push_back({"16 bits 4-4-4", s, 24, false, {0, 0, 255, 0}, {0, 255, 0, 0}});
    }
    {
        TBmpSpec s;
        s.bits = 32;
        s.width = 1;
        s.compression = 3;
        s.pixels = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
        s.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red and blue swapped
        cases.push_back({"32 bits, swapped masks", s, 24, false, {0x33, 0x22, 0x11, 0}, {0x77, 0x66, 0x55, 0}});
        s.masks = {0xFF0000, 0xFF00, 0xFF};
        cases.push_back({"32 bits 8-8-8", s, 32, false, {0x11, 0x22, 0x33, 0x44}, {0x55, 0x66, 0x77, 0x88}});
        s.gap = 6;  // pixels where the file header says, past a gap
        cases.push_back({"pixels behind a gap", s, 32, false, {0x11, 0x22, 0x33, 0x44}, {0x55, 0x66, 0x77, 0x88}});
    }
    return cases;
}

TEST(BmpFile, ReadsEveryDepthAndCompression) {
    for (const TGoodCase& c : GoodCases()) {
        SCOPED_TRACE(c.name);
        const Bytes file = MakeBmp(c.spec);
        TDibImage dib;
        ASSERT_EQ(Read(file, dib), TBmpResult::Ok);
        EXPECT_EQ(dib.Width, c.spec.width);
        EXPECT_EQ(dib.Height, 2);
        EXPECT_EQ(dib.BitCount, c.bitCount);
        EXPECT_EQ(dib.Rgb565, c.rgb565);
        EXPECT_EQ(dib.Stride, DibStride(dib.Width, dib.BitCount));
        ASSERT_EQ(dib.Bits.size(), size_t(dib.Stride) * 2);
        EXPECT_EQ(Row(dib, 0), c.bottomRow);
        EXPECT_EQ(Row(dib, 1), c.topRow);
        EXPECT_EQ(dib.End, file.size());
        EXPECT_EQ(dib.Colours.size(), c.bitCount <= 8 ? size_t(1) << c.bitCount : 0u);
    }
}

TEST(BmpFile, ColourTableIsPaddedWithBlack) {
    TBmpSpec s;
    s.bits = 8;
    s.clrUsed = 2;
    s.colours = {10, 20, 30, 0, 40, 50, 60, 0};
    s.pixels = {0, 1, 2, 0, 0, 0, 0, 0};
    TDibImage dib;
    ASSERT_EQ(Read(MakeBmp(s), dib), TBmpResult::Ok);
    ASSERT_EQ(dib.Colours.size(), 256u);
    EXPECT_EQ(dib.Colours[0].Red, 30);
    EXPECT_EQ(dib.Colours[0].Blue, 10);
    EXPECT_EQ(dib.Colours[1].Green, 50);
    EXPECT_EQ(dib.Colours[2].Red + dib.Colours[2].Green + dib.Colours[2].Blue, 0);
}

// Every prefix of every good file is refused or read, never read past.
TEST(BmpFile, EveryCutIsRefusedWithoutReadingPastIt) {
    for (const TGoodCase& c : GoodCases()) {
        SCOPED_TRACE(c.name);
        const Bytes file = MakeBmp(c.spec);
        for (size_t n = 0; n < file.size(); ++n) {
            const Bytes cut(file.begin(), file.begin() + n);
            TDibImage dib;
            const TBmpResult r = Read(cut, dib);
            // Only RLE data may end early (the rest of the image stays 0).
            if (c.spec.compression != 1 && c.spec.compression != 2) {
                EXPECT_EQ(r, TBmpResult::Invalid) << n;
            }
            if (r == TBmpResult::Ok) {
                EXPECT_LE(dib.End, n);
            }
        }
    }
}

TEST(BmpFile, HeadersThatLieAreRefused) {
    TBmpSpec base;
    base.pixels = Bytes(16, 0);
    struct {
        const char* name;
        size_t at;  // a field of the file to overwrite
        uint32_t value;
        TBmpResult expected;
    } cases[] = {
        {"not BM", 0, 0x00364D4D, TBmpResult::Invalid},
        {"offset past the end", 10, 0xFFFFFF00u, TBmpResult::Invalid},
        {"header size 13", 14, 13, TBmpResult::Invalid},
        {"header size past the file", 14, 4000, TBmpResult::Invalid},
        {"zero width", 18, 0, TBmpResult::Invalid},
        {"negative width", 18, 0xFFFFFFFFu, TBmpResult::Invalid},
        {"width too large", 18, 40000, TBmpResult::Invalid},
        {"zero height", 22, 0, TBmpResult::Invalid},
        {"height past the pixels", 22, 3, TBmpResult::Invalid},
        {"width past the pixels", 18, 3, TBmpResult::Invalid},
        {"two planes", 26, 0x00180002, TBmpResult::Invalid},
        {"7 bits", 26, 0x00070001, TBmpResult::Invalid},
        {"RLE8 at 24 bits", 30, 1, TBmpResult::Invalid},
        {"bit fields at 24 bits", 30, 3, TBmpResult::Invalid},
        {"JPEG inside", 30, 4, TBmpResult::Invalid},
        {"a huge optimisation table", 46, 0x10000, TBmpResult::Invalid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = MakeBmp(base);
        Set32(file, c.at, c.value);
        TDibImage dib;
        EXPECT_EQ(Read(file, dib), c.expected);
    }
}

TEST(BmpFile, ColourTablesThatLieAreRefused) {
    TBmpSpec s;
    s.bits = 8;
    s.pixels = Bytes(8, 0);
    s.colours = Grey(4);
    for (uint32_t clrUsed : {300u, 0x10001u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(clrUsed);
        s.clrUsed = clrUsed;  // more entries than the file holds
        TDibImage dib;
        EXPECT_EQ(Read(MakeBmp(s), dib), TBmpResult::Invalid);
    }
    s.clrUsed = 0;  // 256 entries promised, 4 stored
    TDibImage dib;
    EXPECT_EQ(Read(MakeBmp(s), dib), TBmpResult::Invalid);
}

TEST(BmpFile, RleOfAHugeImageIsTooLargeNotAllocated) {
    TBmpSpec s;
    s.bits = 8;
    s.compression = 1;
    s.width = kMaxBmpDimension;
    s.height = kMaxBmpDimension;
    s.colours = Grey(256);
    s.pixels = {0, 1};
    TDibImage dib;
    EXPECT_EQ(Read(MakeBmp(s), dib), TBmpResult::TooLarge);
    EXPECT_TRUE(dib.Bits.empty());
    s.height = -2;  // RLE is bottom-up only
    s.width = 2;
    EXPECT_EQ(Read(MakeBmp(s), dib), TBmpResult::Invalid);
}

TEST(BmpFile, PicturesOfMorePixelsThanAnyUseAreTooLarge) {
    struct Case {
        int32_t width, height;
        TBmpResult expected;
    } cases[] = {
        {12842, 14851, TBmpResult::TooLarge},  // 75 bytes of RLE claiming 190 million pixels
        {8192, 8193, TBmpResult::TooLarge},
        {8192, 8192, TBmpResult::Ok},  // kMaxPicturePixels exactly
        {15360, 4320, TBmpResult::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        TBmpSpec s;
        s.bits = 8;
        s.compression = 1;
        s.width = c.width;
        s.height = c.height;
        s.colours = Grey(1);
        s.clrUsed = 1;
        s.pixels = {3, 9, 0, 1};
        TDibImage dib;
        ASSERT_EQ(Read(MakeBmp(s), dib), c.expected);
        if (c.expected != TBmpResult::Ok) {
            EXPECT_TRUE(dib.Bits.empty());
            continue;
        }
        ASSERT_EQ(dib.Bits.size(), size_t(dib.Stride) * size_t(c.height));
        EXPECT_EQ(Bytes(dib.Bits.begin(), dib.Bits.begin() + 4), (Bytes{9, 9, 9, 0}));
        EXPECT_EQ(dib.Bits.back(), 0);
    }
}

TEST(BmpFile, RleFillsWhatItSkipsWithZerosWhateverTheImageHeldBefore) {
    TBmpSpec s;
    s.bits = 4;
    s.colours = Grey(16);
    s.width = 5;
    s.height = 3;
    s.compression = 2;
    // Row 0: an absolute run of three. Row 1: a delta to the fourth pixel, a run of two.
    // Row 2: a delta to the second pixel (its right half of a byte), a run of one; then the end.
    s.pixels = {0, 3, 0x12, 0x30, 0, 0, 0, 2, 3, 0, 2, 0x45, 0, 0, 0, 2, 1, 0, 1, 0x60, 0, 1};
    TDibImage dib;
    dib.Bits.assign(64, 0xEE);  // an earlier image's bytes
    ASSERT_EQ(Read(MakeBmp(s), dib), TBmpResult::Ok);
    ASSERT_EQ(dib.Stride, 4);
    ASSERT_EQ(dib.Bits.size(), 12u);
    EXPECT_EQ(Row(dib, 0), (Bytes{0x12, 0x30, 0, 0}));
    EXPECT_EQ(Row(dib, 1), (Bytes{0x00, 0x04, 0x50, 0}));
    EXPECT_EQ(Row(dib, 2), (Bytes{0x06, 0, 0, 0}));
    // RLE8, a delta of rows: the rows it passes and the padding are 0.
    s.bits = 8;
    s.compression = 1;
    s.colours = Grey(256);
    s.pixels = {2, 7, 0, 2, 1, 2, 1, 8, 0, 1};
    dib.Bits.assign(64, 0xEE);
    ASSERT_EQ(Read(MakeBmp(s), dib), TBmpResult::Ok);
    EXPECT_EQ(Row(dib, 0), (Bytes{7, 7, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Row(dib, 1), Bytes(8, 0));
    EXPECT_EQ(Row(dib, 2), (Bytes{0, 0, 0, 8, 0, 0, 0, 0}));
}

TEST(BmpFile, RleRunsAndDeltasStayInsideTheImage) {
    TBmpSpec s;
    s.bits = 8;
    s.compression = 1;
    s.colours = Grey(256);
    // A run longer than the row, a delta far outside, an absolute run cut short.
    s.pixels = {255, 7, 0, 2, 200, 200, 0, 0, 0, 200, 1};
    TDibImage dib;
    ASSERT_EQ(Read(MakeBmp(s), dib), TBmpResult::Ok);
    EXPECT_EQ(Row(dib, 0), (Bytes{7, 7, 0, 0}));
    EXPECT_EQ(Row(dib, 1), (Bytes{0, 0, 0, 0}));
}

TEST(BmpFile, PackedDibHasNoFileHeader) {
    TBmpSpec s;
    s.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    const Bytes file = MakeBmp(s);
    TDibImage dib;
    ASSERT_EQ(ReadPackedDib(file.data() + 14, file.size() - 14, dib), TBmpResult::Ok);
    EXPECT_EQ(Row(dib, 1), (Bytes{7, 8, 9, 10, 11, 12, 0, 0}));
    EXPECT_EQ(ReadPackedDib(file.data(), file.size(), dib), TBmpResult::Invalid);
}

TEST(BmpFile, Writes24BitsBottomUpAndReadsThemBack) {
    const std::vector<uint32_t> pixels = {0x112233, 0x445566, 0x778899, 0xAABBCC};
    const Bytes b = WriteBmp24(2, 2, pixels.data());
    ASSERT_EQ(b.size(), 54u + 2 * 8);
    EXPECT_EQ(uint32_t(b[2] | (b[3] << 8)), b.size());  // the file size field
    // Last row first, blue-green-red, two bytes of padding to 8.
    EXPECT_EQ(Bytes(b.begin() + 54, b.end()),
              (Bytes{0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA, 0, 0, 0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0}));
    TDibImage dib;
    ASSERT_EQ(Read(b, dib), TBmpResult::Ok);
    EXPECT_EQ(dib.BitCount, 24);
    EXPECT_EQ(Row(dib, 1), (Bytes{0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0}));
}

}  // namespace
