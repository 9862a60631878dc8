// TBitmap: sizes, pixel formats, BMP reading and writing, transparency, resources.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "GraphicsTestUtil.h"
#include "classlib/Classes.h"
#include "classlib/Graphics.h"

#include <zlib.h>

namespace {

// Colours every format holds exactly (the 16-colour and 8-bit tables have them,
// and their channels survive 5 bits per channel).
const TColor kPattern[] = {clBlack, clWhite, clRed, clLime, clBlue, clFuchsia};

void DrawPattern(TBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.Canvas()->SetPixels(x, y, kPattern[(x + 2 * y) % 6]);
}

struct FormatCase {
    TPixelFormat format;
    int bits;
    bool twoColours;  // pf1bit: only black and white
};

const FormatCase kFormats[] = {{pf1bit, 1, true},    {pf4bit, 4, false},   {pf8bit, 8, false},  {pf15bit, 16, false},
                               {pf16bit, 16, false}, {pf24bit, 24, false}, {pf32bit, 32, false}};

TColor Expected(const FormatCase& f, int x, int y) {
    const TColor c = kPattern[(x + 2 * y) % 6];
    if (!f.twoColours) return c;
    return c == clWhite ? clWhite : (c == clBlack ? clBlack : TColor(-1));
}

TEST(Bitmap, NewBitmapIsEmptyAndSizesFillWithTheBrush) {
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    b.SetWidth(10);
    EXPECT_TRUE(b.Empty());  // no height yet
    b.SetHeight(5);
    ASSERT_FALSE(b.Empty());
    EXPECT_EQ(b.Canvas()->Pixels(9, 4), clWhite);
    // Growing keeps the old pixels and paints the new area with the brush colour.
    b.Canvas()->SetPixels(0, 0, clRed);
    b.Canvas()->Brush()->SetColor(clBlue);
    b.SetSize(20, 8);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(15, 2), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(3, 7), clBlue);
    b.SetSize(0, 0);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ScanLineZeroIsTheTopRow) {
    TBitmap b;
    FillBitmap(b, 3, 2, pf24bit, clWhite);
    b.Canvas()->SetPixels(0, 0, TColor(0x332211));
    b.Canvas()->SetPixels(2, 1, clRed);
    const auto* top = static_cast<const uint8_t*>(b.ScanLine(0));
    EXPECT_EQ(top[0], 0x33);  // blue, green, red
    EXPECT_EQ(top[1], 0x22);
    EXPECT_EQ(top[2], 0x11);
    const auto* bottom = static_cast<const uint8_t*>(b.ScanLine(1));
    EXPECT_EQ(bottom[6], 0x00);
    EXPECT_EQ(bottom[8], 0xFF);
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
    // Writing through the row shows on the canvas.
    static_cast<uint8_t*>(b.ScanLine(1))[0] = 0xFF;
    static_cast<uint8_t*>(b.ScanLine(1))[1] = 0;
    static_cast<uint8_t*>(b.ScanLine(1))[2] = 0;
    EXPECT_EQ(b.Canvas()->Pixels(0, 1), clBlue);
}

TEST(Bitmap, PixelFormatConversionKeepsColours) {
    for (const auto& f : kFormats) {
        SCOPED_TRACE(f.bits);
        TBitmap b;
        b.SetPixelFormat(pf24bit);
        b.SetSize(7, 5);
        DrawPattern(b);
        b.SetPixelFormat(f.format);
        EXPECT_EQ(b.PixelFormat(), f.format);
        EXPECT_EQ(b.BitsPerPixel(), f.bits);
        EXPECT_EQ(b.Width(), 7);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                const TColor want = Expected(f, x, y);
                if (want != -1) {
                    EXPECT_EQ(b.Canvas()->Pixels(x, y), want) << x << "," << y;
                }
            }
    }
}

// Saving and reading back at every format, at a width that needs row padding.
TEST(Bitmap, BmpRoundTripAtEveryFormat) {
    for (const auto& f : kFormats) {
        SCOPED_TRACE(f.bits);
        TBitmap b;
        b.SetPixelFormat(f.format);
        b.SetSize(13, 7);
        DrawPattern(b);
        TMemoryStream s;
        b.SaveToStream(s);
        const auto* bytes = static_cast<const uint8_t*>(s.Memory());
        ASSERT_GE(s.Size(), 54);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(bytes[2] | bytes[3] << 8 | bytes[4] << 16, s.Size());  // file size
        EXPECT_EQ(bytes[14], 40);                                        // info header size
        EXPECT_EQ(bytes[18], 13);                                        // width
        EXPECT_EQ(bytes[22], 7);                                         // height, bottom-up
        EXPECT_EQ(bytes[28], f.bits);
        const uint32_t off = bytes[10] | bytes[11] << 8;
        const int stride = ((13 * f.bits + 31) / 32) * 4;
        EXPECT_EQ(s.Size(), off + stride * 7);

        s.SetPosition(0);
        TBitmap r;
        r.LoadFromStream(s);
        EXPECT_EQ(r.PixelFormat(), f.format);
        ASSERT_EQ(r.Width(), 13);
        ASSERT_EQ(r.Height(), 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(r.Canvas()->Pixels(x, y), b.Canvas()->Pixels(x, y)) << x << "," << y;
    }
}

TEST(Bitmap, FileRoundTripAndFixture) {
    TBitmap b;
    b.LoadFromFile(DataFile("tiny.bmp"));
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clFuchsia);
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clBlue);  // '#0000FF' as RGB
    EXPECT_EQ(b.Canvas()->Pixels(5, 2), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(6, 2), clFuchsia);
}

// Little-endian helpers for hand-made files.
void Put16(std::string& s, uint16_t v) {
    s += char(v & 255);
    s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, uint16_t(v & 0xFFFF));
    Put16(s, uint16_t(v >> 16));
}
std::string FileHeader(uint32_t size, uint32_t off) {
    std::string s = "BM";
    Put32(s, size);
    Put32(s, 0);
    Put32(s, off);
    return s;
}
std::string InfoHeader(int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t clrUsed = 0) {
    std::string s;
    Put32(s, 40);
    Put32(s, uint32_t(w));
    Put32(s, uint32_t(h));
    Put16(s, 1);
    Put16(s, bits);
    Put32(s, compression);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, clrUsed);
    Put32(s, 0);
    return s;
}

TBitmap* Load(const std::string& bytes, TBitmap& into) {
    TStringStream s(bytes);
    into.LoadFromStream(s);
    return &into;
}

TEST(Bitmap, TopDownFileKeepsItsOrientation) {
    // 2 x 2, 24 bits, first row in the file is the top: red, lime / blue, white.
    std::string px;
    px += std::string("\x00\x00\xFF\x00\xFF\x00", 6) + std::string(2, '\0');
    px += std::string("\xFF\x00\x00\xFF\xFF\xFF", 6) + std::string(2, '\0');
    const std::string file = FileHeader(54 + 16, 54) + InfoHeader(2, -2, 24, BI_RGB) + px;
    TBitmap b;
    Load(file, b);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clLime);
    EXPECT_EQ(b.Canvas()->Pixels(0, 1), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clWhite);
}

TEST(Bitmap, CoreHeaderWithShortColourTable) {
    // OS/2 header, 8 bits, two RGB triples; index 1 is green; indices past the table read black.
    std::string s = FileHeader(0, 0);
    Put32(s, 12);
    Put16(s, 3);
    Put16(s, 1);
    Put16(s, 1);
    Put16(s, 8);
    // a core-header table always has 256 entries of 3 bytes
    std::string table(256 * 3, '\0');
    table[3 + 1] = char(0x80);
    s += table;
    s += std::string("\x01\x00\x07\x00", 4);
    const uint32_t off = 14 + 12 + 256 * 3;
    s[10] = char(off & 255);
    s[11] = char(off >> 8);
    TBitmap b;
    Load(s, b);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clGreen);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlack);
}

TEST(Bitmap, Rle8Decodes) {
    // 4 x 2: bottom row = 3 x index 1 then index 2; top row absolute run 2,1,2 then delta to end.
    std::string table;
    Put32(table, 0x000000);
    Put32(table, 0x0000FF);  // index 1: blue (as BGR0 bytes FF 00 00 00)
    Put32(table, 0xFF0000);  // index 2: red
    std::string rle;
    rle += std::string("\x03\x01\x01\x02\x00\x00", 6);          // run of 3, run of 1, end of line
    rle += std::string("\x00\x03\x02\x01\x02\x00\x00\x01", 8);  // absolute 3 (padded), end of bitmap
    const uint32_t off = 14 + 40 + 12;
    const std::string file =
        FileHeader(uint32_t(off + rle.size()), off) + InfoHeader(4, 2, 8, BI_RLE8, 3) + table + rle;
    TBitmap b;
    Load(file, b);
    EXPECT_EQ(b.Canvas()->Pixels(0, 1), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(3, 1), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(2, 0), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(3, 0), clBlack);  // left out by the data
}

TEST(Bitmap, Rle8RunsPastTheImageStayInside) {
    // Runs and deltas that point beyond the image are cut off, never written outside.
    std::string table(8, '\0');
    std::string rle = std::string("\xFF\x01\x00\x02\xFF\xFF\xFF\x01\x00\x05", 10) + std::string(300, '\x07');
    const uint32_t off = 14 + 40 + 8;
    const std::string file =
        FileHeader(uint32_t(off + rle.size()), off) + InfoHeader(3, 3, 8, BI_RLE8, 2) + table + rle;
    TBitmap b;
    Load(file, b);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 3);
}

TEST(Bitmap, BitfieldsWithUncommonMasks) {
    // 16 bits as 4-4-4-4 (x, red, green, blue): converted to 24 bits.
    std::string s = FileHeader(0, 14 + 40 + 12);
    s += InfoHeader(1, 1, 16, BI_BITFIELDS);
    Put32(s, 0x0F00);
    Put32(s, 0x00F0);
    Put32(s, 0x000F);
    Put16(s, 0x0F0F);  // red full, green 0, blue full
    Put16(s, 0);
    TBitmap b;
    Load(s, b);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clFuchsia);
}

struct BadCase {
    const char* what;
    std::string bytes;
};

TEST(Bitmap, DamagedFilesAreRefusedAndTheImageStays) {
    const std::string good = FileHeader(58, 54) + InfoHeader(1, 1, 24, BI_RGB) + std::string("\x00\x00\xFF\x00", 4);
    std::string hugeDims = FileHeader(58, 54) + InfoHeader(30000, 30000, 24, BI_RGB) + std::string(4, '\0');
    std::string negWidth = FileHeader(58, 54) + InfoHeader(-1, 1, 24, BI_RGB) + std::string(4, '\0');
    std::string badBits = FileHeader(58, 54) + InfoHeader(1, 1, 7, BI_RGB) + std::string(4, '\0');
    std::string rleWrongBits = FileHeader(58, 54) + InfoHeader(1, 1, 24, BI_RLE8) + std::string(4, '\0');
    std::string jpegInside = FileHeader(58, 54) + InfoHeader(1, 1, 24, 4 /* BI_JPEG */) + std::string(4, '\0');
    std::string zeroPlanes = good;
    zeroPlanes[26] = 0;
    std::string badHeaderSize = good;
    badHeaderSize[14] = 20;
    std::string offPastEnd = good;
    offPastEnd[10] = char(0xF0);
    offPastEnd[11] = char(0xFF);
    const BadCase cases[] = {
        {"not BM", "XM" + good.substr(2)},   {"header cut", good.substr(0, 20)}, {"pixels cut", good.substr(0, 56)},
        {"huge dimensions", hugeDims},       {"negative width", negWidth},       {"7 bits", badBits},
        {"RLE8 on 24 bits", rleWrongBits},   {"JPEG compression", jpegInside},   {"no planes", zeroPlanes},
        {"info header size", badHeaderSize}, {"offset past end", offPastEnd},
    };
    for (const auto& c : cases) {
        TBitmap b;
        FillBitmap(b, 2, 2, pf24bit, clLime);
        TStringStream s(c.bytes);
        EXPECT_THROW(b.LoadFromStream(s), EInvalidGraphic) << c.what;
        EXPECT_EQ(b.Width(), 2) << c.what;
        EXPECT_EQ(b.Canvas()->Pixels(1, 1), clLime) << c.what;
    }
    TBitmap ok;
    Load(good, ok);
    EXPECT_EQ(ok.Canvas()->Pixels(0, 0), clRed);
}

TEST(Bitmap, EmptyStreamGivesAnEmptyBitmap) {
    TBitmap b;
    FillBitmap(b, 2, 2, pf24bit, clLime);
    TStringStream s;
    b.LoadFromStream(s);
    EXPECT_TRUE(b.Empty());
    TStringStream out;
    b.SaveToStream(out);
    EXPECT_EQ(out.Size(), 0);
}

// Magenta key around a red square, drawn over green.
TEST(Bitmap, TransparentDrawLeavesTheKeyColourOut) {
    TBitmap sprite;
    FillBitmap(sprite, 10, 10, pf24bit, clFuchsia);
    sprite.Canvas()->Brush()->SetColor(clRed);
    sprite.Canvas()->FillRect(Rect(3, 3, 7, 7));
    TBitmap back;
    FillBitmap(back, 30, 30, pf24bit, clLime);

    sprite.SetTransparent(true);
    sprite.SetTransparentColor(clFuchsia);
    EXPECT_EQ(sprite.TransparentMode(), tmFixed);
    back.Canvas()->Draw(5, 5, &sprite);
    EXPECT_EQ(back.Canvas()->Pixels(5, 5), clLime);
    EXPECT_EQ(back.Canvas()->Pixels(9, 9), clRed);
    EXPECT_EQ(back.Canvas()->Pixels(14, 14), clLime);
    // Stretched to twice the size.
    back.Canvas()->StretchDraw(Rect(0, 10, 20, 30), &sprite);
    EXPECT_EQ(back.Canvas()->Pixels(1, 11), clLime);
    EXPECT_EQ(back.Canvas()->Pixels(10, 20), clRed);
    // Opaque drawing copies the key colour too.
    sprite.SetTransparent(false);
    back.Canvas()->Draw(0, 0, &sprite);
    EXPECT_EQ(back.Canvas()->Pixels(0, 0), clFuchsia);
}

TEST(Bitmap, AutomaticTransparentColourIsTheBottomLeftPixel) {
    TBitmap b;
    FillBitmap(b, 4, 4, pf24bit, clWhite);
    b.Canvas()->SetPixels(0, 3, clTeal);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clTeal);
    b.SetTransparentColor(clRed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.TransparentColor(), clTeal);
    // The mask follows drawing on the canvas.
    b.SetTransparentColor(clWhite);
    HBITMAP mask = b.MaskHandle();
    ASSERT_NE(mask, nullptr);
    BITMAP bm{};
    GetObjectA(mask, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
}

TEST(Bitmap, AssignCopiesIndependently) {
    TBitmap a;
    FillBitmap(a, 5, 5, pf8bit, clRed);
    a.SetTransparent(true);
    a.SetTransparentColor(clRed);
    TBitmap b;
    b.Assign(&a);
    EXPECT_EQ(b.PixelFormat(), pf8bit);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), clRed);
    a.Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_NE(a.Handle(), b.Handle());
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ChangesAreReported) {
    TBitmap b;
    int changes = 0;
    b.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
    b.SetSize(4, 4);
    const int afterSize = changes;
    EXPECT_GT(afterSize, 0);
    b.Canvas()->FillRect(Rect(0, 0, 2, 2));
    EXPECT_GT(changes, afterSize);
    EXPECT_TRUE(b.Modified());
}

TEST(Bitmap, DeviceDependentHandleIsTakenOver) {
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 6, 3);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, ddb);
    RECT r{0, 0, 6, 3};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &r, blue);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(blue);
    ReleaseDC(nullptr, screen);

    TBitmap b;
    b.SetHandle(ddb);
    EXPECT_EQ(b.Width(), 6);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Canvas()->Pixels(5, 2), clBlue);
    // Our own DIB section is kept as it is.
    TBitmap c;
    FillBitmap(c, 2, 2, pf24bit, clRed);
    HBITMAP h = c.ReleaseHandle();
    EXPECT_TRUE(c.Empty());
    b.SetHandle(h);
    EXPECT_EQ(b.Handle(), h);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
}

TEST(Bitmap, CanvasSettingsSurviveResizing) {
    TBitmap b;
    b.SetSize(4, 4);
    SetStretchBltMode(b.Canvas()->Handle(), HALFTONE);
    b.SetSize(40, 40);
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(GetStretchBltMode(b.Canvas()->Handle()), HALFTONE);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 40, 40));
    EXPECT_EQ(b.Canvas()->Pixels(39, 39), clRed);
}

TEST(Bitmap, LoadsABitmapResourceByName) {
    TBitmap b;
    b.LoadFromResourceName(GetModuleHandleA(nullptr), "TINY");
    EXPECT_EQ(b.Width(), 8);
    EXPECT_EQ(b.Height(), 4);
    EXPECT_EQ(b.Canvas()->Pixels(0, 3), clFuchsia);
    EXPECT_EQ(b.Canvas()->Pixels(3, 2), clBlue);
    EXPECT_THROW(b.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCH"), EResNotFound);
    EXPECT_EQ(b.Width(), 8);
}

TEST(Bitmap, StoredDataCarriesItsLength) {
    TBitmap a;
    FillBitmap(a, 3, 3, pf24bit, clNavy);
    TMemoryStream s;
    a.WriteData(s);
    const auto* p = static_cast<const uint8_t*>(s.Memory());
    EXPECT_EQ(uint32_t(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24), uint32_t(s.Size() - 4));
    EXPECT_EQ(p[4], 'B');
    s.SetPosition(0);
    TBitmap b;
    b.ReadData(s);
    EXPECT_EQ(b.Canvas()->Pixels(2, 2), clNavy);
    // A length beyond the data is refused.
    TStringStream bad(std::string("\xFF\xFF\x00\x00BM", 6));
    EXPECT_THROW(b.ReadData(bad), EInvalidGraphic);
}

}  // namespace

namespace {

// Every single-byte change in the headers and colour table of valid files is
// either read or refused; nothing is read or written outside the data.
TEST(Bitmap, MutatedHeadersNeverCrash) {
    for (TPixelFormat f : {pf4bit, pf8bit, pf16bit, pf24bit}) {
        TBitmap b;
        b.SetPixelFormat(f);
        b.SetSize(5, 3);
        TMemoryStream s;
        b.SaveToStream(s);
        const std::string good(static_cast<const char*>(s.Memory()), size_t(s.Size()));
        const size_t span = std::min<size_t>(good.size(), 54 + 64);
        for (size_t at = 0; at < span; ++at) {
            for (int value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                std::string bad = good;
                bad[at] = char(value);
                TStringStream in(bad);
                TBitmap r;
                try {
                    r.LoadFromStream(in);
                } catch (const EInvalidGraphic&) {
                }
                if (!r.Empty()) {
                    ASSERT_LE(r.Width(), 32767);
                    r.Canvas()->Pixels(r.Width() - 1, r.Height() - 1);
                }
            }
        }
    }
}

}  // namespace

namespace {

uint32_t BE32(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
           uint8_t(s[at + 3]);
}

TEST(Png, ScreenshotFileHoldsThePixels) {
    TBitmap b;
    FillBitmap(b, 3, 2, pf32bit, clWhite);
    b.Canvas()->SetPixels(0, 0, clRed);
    b.Canvas()->SetPixels(2, 1, TColor(0x112233));
    TStringStream s;
    SaveBitmapToPNG(b, s);
    const std::string png = s.DataString();
    ASSERT_GT(png.size(), 8u + 25 + 12 + 12);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(BE32(png, 8), 13u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(BE32(png, 16), 3u);
    EXPECT_EQ(BE32(png, 20), 2u);
    EXPECT_EQ(png[24], 8);
    EXPECT_EQ(png[25], 2);
    const uint32_t idatLen = BE32(png, 33);
    EXPECT_EQ(png.substr(37, 4), "IDAT");
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
    std::string raw(2 * (1 + 9), '\0');
    uLongf rawLen = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&raw[0]), &rawLen, reinterpret_cast<const Bytef*>(png.data() + 41),
                         idatLen),
              Z_OK);
    ASSERT_EQ(rawLen, raw.size());
    EXPECT_EQ(raw.substr(0, 4), std::string("\0\xFF\x00\x00", 4));  // filter 0, red
    EXPECT_EQ(raw.substr(10 + 7, 3), std::string("\x33\x22\x11", 3));
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    EXPECT_EQ(BE32(png, 29), uint32_t(crc));
}

}  // namespace
