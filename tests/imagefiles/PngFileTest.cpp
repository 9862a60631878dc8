#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/PngFile.h"

namespace {

void PutBE32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

std::string Chunk(const char* type, const std::string& data) {
    std::string c;
    PutBE32(c, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    c += body;
    PutBE32(c, static_cast<uint32_t>(
                   crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    return c;
}

// A PNG as another writer makes it: the given colour type and rows (each behind its filter byte).
std::string MakePng(uint32_t w, uint32_t h, int colourType, const std::string& rows, int interlace = 0) {
    std::string ihdr;
    PutBE32(ihdr, w);
    PutBE32(ihdr, h);
    ihdr += char(8);
    ihdr += char(colourType);
    ihdr += char(0);
    ihdr += char(0);
    ihdr += char(interlace);
    uLongf size = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(rows.data()),
             static_cast<uLong>(rows.size()));
    packed.resize(size);
    // The image data in two chunks, as browsers split it.
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr) + Chunk("tEXt", "a\0b") +
           Chunk("IDAT", packed.substr(0, packed.size() / 2)) + Chunk("IDAT", packed.substr(packed.size() / 2)) +
           Chunk("IEND", "");
}

std::string Bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v) s += static_cast<char>(b);
    return s;
}

TEST(PngFile, WritesWhatItReadsBack) {
    const std::vector<uint32_t> pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
    std::string png;
    ASSERT_TRUE(WritePng(3, 2, pixels, png));
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(png[25], 2);  // RGB
    TRgbImage back;
    std::string error;
    ASSERT_TRUE(ReadPng(png, back, error)) << error;
    EXPECT_EQ(back.Width, 3u);
    EXPECT_EQ(back.Height, 2u);
    EXPECT_EQ(back.Pixels, pixels);
    EXPECT_EQ(back.At(0, 1), 0x123456u);
}

TEST(PngFile, WriterRefusesShapesThatDoNotFit) {
    std::string png;
    EXPECT_FALSE(WritePng(4, 2, std::vector<uint32_t>(6), png));
    EXPECT_FALSE(WritePng(0, 0, {}, png));
    EXPECT_FALSE(WritePng(-1, -1, std::vector<uint32_t>(1), png));
}

// Every row filter, RGB and RGBA: two rows of two pixels each, the second row filtered.
TEST(PngFile, ReadsEveryFilterInRgbAndRgba) {
    struct {
        const char* name;
        int colourType;
        std::string rows;
    } cases[] = {
        {"none", 2, Bytes({0, 10, 20, 30, 40, 50, 60, 0, 1, 2, 3, 4, 5, 6})},
        {"sub", 2, Bytes({0, 10, 20, 30, 40, 50, 60, 1, 1, 2, 3, 3, 3, 3})},
        {"up", 2, Bytes({0, 10, 20, 30, 40, 50, 60, 2, 247, 238, 229, 220, 211, 202})},
        {"average", 2, Bytes({0, 10, 20, 30, 40, 50, 60, 3, 252, 248, 244, 240, 235, 231})},
        {"paeth", 2, Bytes({0, 10, 20, 30, 40, 50, 60, 4, 247, 238, 229, 220, 241, 232})},
        {"rgba", 6, Bytes({0, 10, 20, 30, 255, 40, 50, 60, 0, 0, 1, 2, 3, 9, 4, 5, 6, 9})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRgbImage img;
        std::string error;
        ASSERT_TRUE(ReadPng(MakePng(2, 2, c.colourType, c.rows), img, error)) << error;
        EXPECT_EQ(img.Pixels, (std::vector<uint32_t>{0x0A141E, 0x28323C, 0x010203, 0x040506}));
    }
}

TEST(PngFile, RefusesWhatItDoesNotTake) {
    const std::string rows = Bytes({0, 1, 2, 3, 0, 4, 5, 6});
    const std::string good = MakePng(1, 2, 2, rows);
    std::string badCrc = good;
    badCrc[30] ^= 1;
    std::string cut = good.substr(0, good.size() - 20);
    std::string longChunk = good;
    longChunk[8] = '\x7F';
    struct {
        const char* name;
        std::string png;
    } cases[] = {
        {"no signature", "GIF89a"},
        {"bad CRC", badCrc},
        {"cut short", cut},
        {"chunk past the end", longChunk},
        {"palette", MakePng(1, 2, 3, rows)},
        {"grey", MakePng(1, 2, 0, rows)},
        {"interlaced", MakePng(1, 2, 2, rows, 1)},
        {"zero width", MakePng(0, 2, 2, rows)},
        {"too wide", MakePng(40000, 2, 2, rows)},
        {"rows missing", MakePng(1, 3, 2, rows)},
        {"rows too many", MakePng(1, 1, 2, rows)},
        {"filter 5", MakePng(1, 2, 2, Bytes({5, 1, 2, 3, 0, 4, 5, 6}))},
        {"a huge image promised", MakePng(32767, 32767, 6, rows)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TRgbImage img;
        std::string error;
        EXPECT_FALSE(ReadPng(c.png, img, error));
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
