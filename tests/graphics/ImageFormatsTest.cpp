// JPEG, icons, metafiles and the picture that loads them by extension.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "GraphicsTestUtil.h"
#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/Jpeg.h"
#include "tests/runtime/TempDir.h"

namespace {

std::string ReadFixture(const std::string& name) {
    TFileStream f(DataFile(name), fmOpenRead | fmShareDenyWrite);
    return f.ReadString(f.Size());
}

struct QuadCase {
    int x, y;
    TColor color;
};
const QuadCase kQuads[] = {{8, 8, clRed}, {24, 8, clLime}, {8, 24, clBlue}, {24, 24, clWhite}};

void ExpectQuads(TBitmap& b, int tolerance) {
    ASSERT_EQ(b.Width(), 32);
    ASSERT_EQ(b.Height(), 32);
    for (const auto& q : kQuads)
        EXPECT_LE(ColorDistance(b.Canvas()->Pixels(q.x, q.y), q.color), tolerance)
            << q.x << "," << q.y << " " << std::hex << b.Canvas()->Pixels(q.x, q.y);
}

TEST(Jpeg, DecodesTheFixtures) {
    struct Case {
        const char* file;
        int tolerance;
    };
    for (const Case& c : {Case{"quads.jpg", 24}, Case{"quads_progressive.jpg", 24}, Case{"quads_cmyk.jpg", 40}}) {
        SCOPED_TRACE(c.file);
        TJPEGImage j;
        j.LoadFromFile(DataFile(c.file));
        EXPECT_EQ(j.Width(), 32);
        EXPECT_EQ(j.Height(), 32);
        ASSERT_NE(j.Bitmap(), nullptr);
        EXPECT_EQ(j.Bitmap()->PixelFormat(), pf24bit);
        ExpectQuads(*j.Bitmap(), c.tolerance);
    }
}

TEST(Jpeg, GreyscaleFileAndGreyscaleDecoding) {
    for (bool fromFile : {true, false}) {
        TJPEGImage j;
        if (!fromFile) j.SetGrayscale(true);
        j.LoadFromFile(DataFile(fromFile ? "quads_gray.jpg" : "quads.jpg"));
        TBitmap& b = *j.Bitmap();
        for (const auto& q : kQuads) {
            const TColor p = b.Canvas()->Pixels(q.x, q.y);
            EXPECT_EQ(p & 255, (p >> 8) & 255);
            EXPECT_EQ(p & 255, (p >> 16) & 255);
        }
        // white > green > red > blue in brightness
        auto level = [&](int x, int y) { return b.Canvas()->Pixels(x, y) & 255; };
        EXPECT_GT(level(24, 24), level(24, 8));
        EXPECT_GT(level(24, 8), level(8, 8));
        EXPECT_GT(level(8, 8), level(8, 24));
    }
}

TEST(Jpeg, ScaledDecoding) {
    TJPEGImage j;
    j.LoadFromFile(DataFile("quads.jpg"));
    j.SetScale(jsHalf);
    EXPECT_EQ(j.Width(), 16);
    j.SetScale(jsEighth);
    EXPECT_EQ(j.Width(), 4);
    EXPECT_EQ(j.ImageWidth(), 32);
}

// Replaces the size in the frame header (SOF0/SOF2) with w x h.
std::string WithFrameSize(std::string d, int w, int h) {
    for (size_t i = 2; i + 9 < d.size(); ++i) {
        if (uint8_t(d[i]) == 0xFF && (uint8_t(d[i + 1]) == 0xC0 || uint8_t(d[i + 1]) == 0xC2)) {
            d[i + 5] = char(h >> 8);
            d[i + 6] = char(h & 255);
            d[i + 7] = char(w >> 8);
            d[i + 8] = char(w & 255);
            return d;
        }
    }
    ADD_FAILURE() << "no frame header";
    return d;
}

TEST(Jpeg, DamagedDataRaisesAndKeepsTheImage) {
    const std::string good = ReadFixture("quads.jpg");
    std::string noise(400, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + 13) & 255);
    std::string badMarker = good;
    badMarker[good.size() / 3] = char(0xFF);
    badMarker[good.size() / 3 + 1] = char(0xC8);  // JPG extension marker: unsupported
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"noise", noise},
        {"only the start marker", "\xFF\xD8"},
        {"header cut", good.substr(0, 30)},
        {"bitmap bytes", "BM" + std::string(100, '\0')},
        {"65000 x 65000", WithFrameSize(good, 65000, 65000)},
        {"zero width", WithFrameSize(good, 0, 32)},
    };
    for (const auto& c : cases) {
        TJPEGImage j;
        j.LoadFromFile(DataFile("quads.jpg"));
        TStringStream s(c.bytes);
        EXPECT_THROW(j.LoadFromStream(s), EJPEG) << c.what;
        EXPECT_EQ(j.Width(), 32) << c.what;
        EXPECT_EQ(j.Data(), good) << c.what;
    }
    try {
        TStringStream s(noise);
        TJPEGImage j;
        j.LoadFromStream(s);
        FAIL();
    } catch (const EJPEG& e) {
        EXPECT_EQ(std::string(e.what()).rfind("JPEG error #", 0), 0u) << e.what();
    }
}

TEST(Jpeg, CutScanGivesAPartialImage) {
    const std::string good = ReadFixture("quads.jpg");
    TJPEGImage j;
    TStringStream s(good.substr(0, good.size() - 10));  // inside the entropy-coded data
    ASSERT_NO_THROW(j.LoadFromStream(s));
    EXPECT_EQ(j.Width(), 32);
    // Every cut point either decodes or raises; none crashes.
    for (size_t n = 0; n < good.size(); n += 7) {
        TStringStream part(good.substr(0, n));
        TJPEGImage k;
        try {
            k.LoadFromStream(part);
        } catch (const EJPEG&) {
        }
    }
}

TEST(Jpeg, CompressesABitmap) {
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(32, 32);
    for (const auto& q : kQuads) {
        b.Canvas()->Brush()->SetColor(q.color);
        b.Canvas()->FillRect(Rect(q.x - 8, q.y - 8, q.x + 8, q.y + 8));
    }
    TJPEGImage j;
    j.SetCompressionQuality(95);
    j.Assign(&b);
    TMemoryStream s;
    j.SaveToStream(s);
    const auto* p = static_cast<const uint8_t*>(s.Memory());
    ASSERT_GT(s.Size(), 100);
    EXPECT_EQ(p[0], 0xFF);
    EXPECT_EQ(p[1], 0xD8);
    s.SetPosition(0);
    TJPEGImage k;
    k.LoadFromStream(s);
    ExpectQuads(*k.Bitmap(), 24);
    // Drawn like any graphic, and copied into a bitmap by assignment.
    TBitmap target;
    target.Assign(&k);
    ExpectQuads(target, 24);
    TBitmap canvasTarget;
    FillBitmap(canvasTarget, 64, 64, pf24bit, clBlack);
    canvasTarget.Canvas()->StretchDraw(Rect(0, 0, 64, 64), &k);
    EXPECT_LE(ColorDistance(canvasTarget.Canvas()->Pixels(48, 48), clWhite), 24);
}

// ---------------------------------------------------------------------------
// Icons

void Put16(std::string& s, uint16_t v) {
    s += char(v & 255);
    s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, uint16_t(v & 0xFFFF));
    Put16(s, uint16_t(v >> 16));
}

// 16 x 16, 32 bits: the right half opaque red, the left half masked out.
std::string MakeIcon() {
    std::string img;
    Put32(img, 40);
    Put32(img, 16);
    Put32(img, 32);
    Put16(img, 1);
    Put16(img, 32);
    for (int i = 0; i < 6; ++i) Put32(img, 0);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) Put32(img, x >= 8 ? 0xFFFF0000u : 0);
    for (int y = 0; y < 16; ++y) Put32(img, 0x000000FFu);  // bytes FF 00: first 8 columns set
    std::string ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, 1);
    ico += char(16);
    ico += char(16);
    ico += char(0);
    ico += char(0);
    Put16(ico, 1);
    Put16(ico, 32);
    Put32(ico, uint32_t(img.size()));
    Put32(ico, 22);
    return ico + img;
}

TEST(Icon, LoadsDrawsAndSaves) {
    const std::string bytes = MakeIcon();
    TIcon icon;
    TStringStream s(bytes);
    icon.LoadFromStream(s);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);
    EXPECT_TRUE(icon.Transparent());
    TBitmap b;
    FillBitmap(b, 20, 20, pf24bit, clLime);
    b.Canvas()->Draw(2, 2, &icon);
    EXPECT_EQ(b.Canvas()->Pixels(4, 4), clLime);
    EXPECT_EQ(b.Canvas()->Pixels(14, 10), clRed);
    TStringStream out;
    icon.SaveToStream(out);
    EXPECT_EQ(out.DataString(), bytes);
    EXPECT_THROW(icon.SetWidth(32), EInvalidGraphicOperation);
    // A copy made from the handle alone saves as a readable icon too.
    TIcon fromHandle;
    fromHandle.SetHandle(CopyIcon(icon.Handle()));
    EXPECT_EQ(fromHandle.Width(), 16);
    TStringStream rebuilt;
    fromHandle.SaveToStream(rebuilt);
    rebuilt.SetPosition(0);
    TIcon again;
    again.LoadFromStream(rebuilt);
    EXPECT_EQ(again.Width(), 16);
}

TEST(Icon, DamagedFilesAreRefused) {
    const std::string good = MakeIcon();
    std::string offsetOut = good;
    offsetOut[18] = char(0xFF);  // image offset far past the end
    offsetOut[19] = char(0xFF);
    std::string sizeOut = good;
    sizeOut[14] = char(0xFF);
    sizeOut[15] = char(0xFF);
    sizeOut[16] = char(0xFF);
    std::string hugeImage = good;
    hugeImage[22 + 4] = char(0xFF);  // bitmap width 255 in a small image block
    std::string cursor = good;
    cursor[2] = 2;
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {{"offset", offsetOut}, {"size", sizeOut},           {"header claims more", hugeImage},
                 {"cursor", cursor},    {"cut", good.substr(0, 30)}, {"no images", std::string("\0\0\1\0\0\0", 6)}};
    for (const auto& c : cases) {
        TIcon icon;
        TStringStream s(c.bytes);
        EXPECT_THROW(icon.LoadFromStream(s), EInvalidGraphic) << c.what;
        EXPECT_TRUE(icon.Empty()) << c.what;
    }
}

// ---------------------------------------------------------------------------
// Metafiles

void RecordBlueBox(TMetafile& m) {
    m.SetWidth(20);
    m.SetHeight(10);
    TMetafileCanvas c(&m, nullptr);
    c.Brush()->SetColor(clBlue);
    c.Pen()->SetColor(clBlue);
    c.Rectangle(0, 0, 20, 10);
}

TEST(Metafile, RecordsPlaysAndRoundTrips) {
    TempDir dir;
    TMetafile m;
    RecordBlueBox(m);
    ASSERT_FALSE(m.Empty());
    EXPECT_EQ(m.Width(), 20);
    EXPECT_EQ(m.Height(), 10);
    TBitmap b;
    FillBitmap(b, 40, 20, pf24bit, clWhite);
    b.Canvas()->StretchDraw(Rect(0, 0, 40, 20), &m);
    EXPECT_EQ(b.Canvas()->Pixels(20, 10), clBlue);

    for (bool enhanced : {true, false}) {
        SCOPED_TRACE(enhanced);
        m.SetEnhanced(enhanced);
        const std::string file = dir.File(enhanced ? "box.emf" : "box.wmf");
        m.SaveToFile(file);
        TPicture p;
        p.LoadFromFile(file);
        ASSERT_NE(p.Graphic(), nullptr);
        EXPECT_TRUE(p.Graphic()->Is<TMetafile>());
        EXPECT_EQ(static_cast<TMetafile*>(p.Graphic())->Enhanced(), enhanced);
        EXPECT_NEAR(p.Width(), 20, 2);
        TBitmap t;
        FillBitmap(t, 40, 20, pf24bit, clWhite);
        t.Canvas()->StretchDraw(Rect(0, 0, 40, 20), p.Graphic());
        EXPECT_EQ(t.Canvas()->Pixels(20, 10), clBlue);
    }
}

TEST(Metafile, DamagedFilesAreRefused) {
    TempDir dir;
    TMetafile m;
    RecordBlueBox(m);
    TMemoryStream s;
    m.SaveToStream(s);
    std::string emf(static_cast<const char*>(s.Memory()), size_t(s.Size()));
    std::string claimsMore = emf;
    claimsMore[48] = char(0xFF);  // total size larger than the data
    claimsMore[49] = char(0xFF);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {{"noise", std::string(200, 'x')}, {"cut header", emf.substr(0, 60)}, {"size", claimsMore}};
    for (const auto& c : cases) {
        TMetafile t;
        TStringStream in(c.bytes);
        EXPECT_THROW(t.LoadFromStream(in), EInvalidGraphic) << c.what;
    }
}

// ---------------------------------------------------------------------------
// Pictures

class TestPicture : public TPicture {
public:
    void Define(TFiler& f) { DefineProperties(f); }
};

class BinaryFiler : public TFiler {
public:
    void DefineProperty(const std::string&, TReaderProc, TWriterProc, bool) override {}
    void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                              bool hasData) override {
        Name = name;
        Read = readData;
        Write = writeData;
        HasData = hasData;
    }
    std::string Name;
    TStreamProc Read, Write;
    bool HasData = false;
};

TEST(Picture, LoadsByExtension) {
    TempDir dir;
    TBitmap b;
    FillBitmap(b, 5, 4, pf24bit, clMaroon);
    b.SaveToFile(dir.File("pic.BMP"));
    const std::string ico = MakeIcon();
    {
        TFileStream f(dir.File("pic.ico"), fmCreate);
        f.WriteString(ico);
    }
    struct Case {
        std::string file;
        const TClassInfo* cls;
        int width;
    };
    const Case cases[] = {{DataFile("quads.jpg"), &TJPEGImage::StaticClassInfo(), 32},
                          {dir.File("pic.BMP"), &TBitmap::StaticClassInfo(), 5},
                          {dir.File("pic.ico"), &TIcon::StaticClassInfo(), 16}};
    for (const auto& c : cases) {
        TPicture p;
        int changes = 0;
        p.OnChange = TNotifyEvent([&](TObject*) { ++changes; });
        p.LoadFromFile(c.file);
        ASSERT_NE(p.Graphic(), nullptr) << c.file;
        EXPECT_EQ(p.Graphic()->ClassType(), c.cls) << c.file;
        EXPECT_EQ(p.Width(), c.width) << c.file;
        EXPECT_GT(changes, 0);
    }
    // A JPEG file under the other extension.
    CopyFileA(DataFile("quads.jpg").c_str(), dir.File("q.jpeg").c_str(), FALSE);
    TPicture p;
    p.LoadFromFile(dir.File("q.jpeg"));
    EXPECT_TRUE(p.Graphic()->Is<TJPEGImage>());
}

TEST(Picture, RefusalsLeaveThePictureAsItWas) {
    TempDir dir;
    TPicture p;
    p.LoadFromFile(DataFile("quads.jpg"));
    try {
        p.LoadFromFile(dir.File("notes.txt"));
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Unknown picture file extension (.txt)");
    }
    {
        TFileStream f(dir.File("bad.jpg"), fmCreate);
        f.WriteString("not a picture");
    }
    EXPECT_THROW(p.LoadFromFile(dir.File("bad.jpg")), EJPEG);
    EXPECT_THROW(p.LoadFromFile(dir.File("missing.bmp")), EFOpenError);
    ASSERT_NE(p.Graphic(), nullptr);
    EXPECT_TRUE(p.Graphic()->Is<TJPEGImage>());
    EXPECT_EQ(p.Width(), 32);
}

TEST(Picture, AccessorsReplaceOtherKinds) {
    TPicture p;
    p.LoadFromFile(DataFile("quads.jpg"));
    TBitmap* b = p.Bitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->Empty());  // the JPEG was replaced by an empty bitmap
    EXPECT_EQ(p.Graphic(), b);
    b->SetSize(3, 3);
    EXPECT_EQ(p.Width(), 3);
    TBitmap copy;
    copy.Assign(&p);  // a picture assigns its graphic
    EXPECT_EQ(copy.Width(), 3);
    TPicture q;
    q.Assign(&p);
    EXPECT_NE(q.Graphic(), p.Graphic());
    EXPECT_EQ(q.Width(), 3);
}

TEST(Picture, StoredDataNamesTheClass) {
    for (const char* file : {"quads.jpg", "tiny.bmp"}) {
        SCOPED_TRACE(file);
        TestPicture p;
        p.LoadFromFile(DataFile(file));
        BinaryFiler f;
        p.Define(f);
        EXPECT_EQ(f.Name, "Data");
        EXPECT_TRUE(f.HasData);
        TMemoryStream s;
        f.Write(s);
        const auto* bytes = static_cast<const char*>(s.Memory());
        const std::string cls = p.Graphic()->ClassName();
        EXPECT_EQ(bytes[0], char(cls.size()));
        EXPECT_EQ(std::string(bytes + 1, cls.size()), cls);

        TestPicture q;
        BinaryFiler g;
        q.Define(g);
        EXPECT_FALSE(g.HasData);
        s.SetPosition(0);
        g.Read(s);
        ASSERT_NE(q.Graphic(), nullptr);
        EXPECT_EQ(q.Graphic()->ClassType(), p.Graphic()->ClassType());
        EXPECT_EQ(q.Width(), p.Width());
    }
    TestPicture r;
    BinaryFiler h;
    r.Define(h);
    TStringStream bad(std::string("\x05TFake", 6));
    EXPECT_THROW(h.Read(bad), EInvalidGraphic);
}

TEST(Picture, FilterListsEveryFormat) {
    const std::string all = GraphicFilter();
    for (const char* mask : {"*.jpg", "*.jpeg", "*.bmp", "*.ico", "*.emf", "*.wmf"})
        EXPECT_NE(all.find(mask), std::string::npos) << mask;
    EXPECT_EQ(all.rfind("All (", 0), 0u);
    const std::string bitmaps = GraphicFilter(&TBitmap::StaticClassInfo());
    EXPECT_NE(bitmaps.find("*.bmp"), std::string::npos);
    EXPECT_EQ(bitmaps.find("*.jpg"), std::string::npos);
    EXPECT_EQ(GraphicExtension(&TIcon::StaticClassInfo()), "ico");
}

}  // namespace

namespace {

TEST(Icon, MutatedFilesNeverCrash) {
    const std::string good = MakeIcon();
    for (size_t at = 0; at < 22 + 40; ++at) {
        for (int value : {0x00, 0x01, 0x40, 0xFF}) {
            std::string bad = good;
            bad[at] = char(value);
            TStringStream in(bad);
            TIcon icon;
            try {
                icon.LoadFromStream(in);
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

TEST(Metafile, MutatedHeadersNeverCrash) {
    TMetafile m;
    RecordBlueBox(m);
    for (bool enhanced : {true, false}) {
        m.SetEnhanced(enhanced);
        TMemoryStream s;
        m.SaveToStream(s);
        const std::string good(static_cast<const char*>(s.Memory()), size_t(s.Size()));
        for (size_t at = 0; at < std::min<size_t>(good.size(), 100); ++at) {
            for (int value : {0x00, 0xFF}) {
                std::string bad = good;
                bad[at] = char(value);
                TStringStream in(bad);
                TMetafile t;
                try {
                    t.LoadFromStream(in);
                } catch (const EInvalidGraphic&) {
                }
            }
        }
    }
}

}  // namespace
