// Bitmap utilities on real DIB sections: grey, key-colour replacement, mirror, flip,
// rotation, blending with system colours and gradients.
#include <gtest/gtest.h>

#include <functional>

#include "SkinDrawTestUtil.h"
#include "skin/ImgUtil.h"
#include "skin/TinselData.h"

using namespace skintest;

namespace {

const TColor kBack = TColor(RGB(1, 2, 3));

// Colours every pixel format holds exactly; six of them, one for each pixel of a 3 x 2 bitmap.
const TColor kSix[] = {clBlack, clWhite, clRed, clLime, clBlue, clFuchsia};

void MakeSix(TBitmap& b, TPixelFormat format) {
    b.SetPixelFormat(format);
    b.SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) b.Canvas()->SetPixels(x, y, kSix[x + 3 * y]);
}

TColor Old(int x, int y) { return kSix[x + 3 * y]; }

TEST(SkinImgUtil, GreyAveragesTheChannelsInto24Bits) {
    const struct {
        TColor in, out;
    } pixels[] = {
        {TColor(RGB(10, 20, 40)), TColor(RGB(23, 23, 23))},  // 70 div 3
        {TColor(RGB(255, 255, 254)), TColor(RGB(254, 254, 254))},
        {TColor(RGB(0, 0, 2)), TColor(RGB(0, 0, 0))},
        {clFuchsia, TColor(RGB(170, 170, 170))},
        {clWhite, clWhite},
    };
    for (TPixelFormat format : {pf32bit, pf24bit, pfDevice}) {
        TBitmap b;
        Fill(b, int(std::size(pixels)), 1, clBlack, format);
        for (size_t i = 0; i < std::size(pixels); ++i) b.Canvas()->SetPixels(int(i), 0, pixels[i].in);
        GreyBitmap(&b);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        for (size_t i = 0; i < std::size(pixels); ++i)
            EXPECT_EQ(Hex(At(b, int(i), 0)), Hex(pixels[i].out)) << "format " << int(format) << " pixel " << i;
    }
}

TEST(SkinImgUtil, ReplaceMagentaTakesOnlyTheExactKey) {
    const TColor in[] = {clFuchsia, TColor(RGB(254, 0, 255)), TColor(RGB(255, 1, 255)), TColor(RGB(255, 0, 254)), clRed,
                         clFuchsia};
    const struct {
        TPixelFormat format;
        TColor colour;
        TColor want;  // what the key pixels become
    } cases[] = {
        {pf24bit, TColor(RGB(12, 34, 56)), TColor(RGB(12, 34, 56))},
        {pf32bit, TColor(RGB(12, 34, 56)), TColor(RGB(12, 34, 56))},
        {pfDevice, clWhite, clWhite},
        // A system colour value is taken byte for byte, not looked up.
        {pf24bit, clBtnFace, TColor(RGB(15, 0, 0))},
    };
    for (const auto& c : cases) {
        TBitmap b;
        Fill(b, int(std::size(in)), 1, clBlack, c.format);
        for (size_t i = 0; i < std::size(in); ++i) b.Canvas()->SetPixels(int(i), 0, in[i]);
        ReplaceMagenta(&b, c.colour);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        for (size_t i = 0; i < std::size(in); ++i)
            EXPECT_EQ(Hex(At(b, int(i), 0)), Hex(in[i] == clFuchsia ? c.want : in[i])) << "pixel " << i;
    }
}

TEST(SkinImgUtil, ChangedPixelsReachTheBitmapsMask) {
    // A bitmap drawn transparently caches its mask; recolouring the key must not leave it stale.
    TBitmap b, out;
    Fill(b, 2, 1, clFuchsia, pf24bit);
    b.Canvas()->SetPixels(1, 0, clBlue);
    b.SetTransparentColor(clFuchsia);
    b.SetTransparent(true);
    ASSERT_TRUE(b.MaskHandle());
    ReplaceMagenta(&b, clRed);
    Fill(out, 2, 1, kBack);
    out.Canvas()->Draw(0, 0, &b);
    EXPECT_EQ(Hex(At(out, 0, 0)), Hex(clRed));
    EXPECT_EQ(Hex(At(out, 1, 0)), Hex(clBlue));
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), clFuchsia);
}

TEST(SkinImgUtil, MirrorFlipAndRotateA3x2Bitmap) {
    struct Op {
        const char* name;
        std::function<void(TBitmap*)> run;
        int w, h;
        std::function<TColor(int, int)> want;  // the new pixel (x, y) in terms of the old ones
        int keepsFormatFrom;                   // bits a pixel from which the format is kept; else 24-bit
    };
    const Op ops[] = {
        {"mirror", MirrorBitmap, 3, 2, [](int x, int y) { return Old(2 - x, y); }, 8},
        {"flip", FlipBitmap, 3, 2, [](int x, int y) { return Old(x, 1 - y); }, 1},
        // Left: the new top-left pixel is the old top-right one.
        {"rotate left", RotateBitmapLeft, 2, 3, [](int x, int y) { return Old(2 - y, x); }, 99},
        {"rotate right", RotateBitmapRight, 2, 3, [](int x, int y) { return Old(y, 1 - x); }, 99},
    };
    for (const Op& op : ops) {
        for (TPixelFormat format : {pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice}) {
            TBitmap b;
            MakeSix(b, format);
            const int bits = b.BitsPerPixel();
            b.SetTransparentColor(clLime);
            op.run(&b);
            const std::string what = std::string(op.name) + ", format " + std::to_string(int(format));
            ASSERT_EQ(b.Width(), op.w) << what;
            ASSERT_EQ(b.Height(), op.h) << what;
            // Formats under 8 bits a pixel become 24-bit to be mirrored; rotation always gives 24 bits.
            const TPixelFormat wantFormat = bits >= op.keepsFormatFrom ? format : pf24bit;
            EXPECT_EQ(b.PixelFormat(), wantFormat) << what;
            for (int y = 0; y < op.h; ++y)
                for (int x = 0; x < op.w; ++x)
                    EXPECT_EQ(Hex(b.Canvas()->Pixels(x, y)), Hex(op.want(x, y)))
                        << what << " (" << x << ", " << y << ")";
            EXPECT_EQ(b.TransparentMode(), tmFixed) << what;
            EXPECT_EQ(b.TransparentColor(), clLime) << what;
        }
    }
    // Twice left is twice right; four times is the bitmap again.
    TBitmap a, c;
    MakeSix(a, pf24bit);
    MakeSix(c, pf24bit);
    RotateBitmapLeft(&a);
    RotateBitmapLeft(&a);
    RotateBitmapRight(&c);
    RotateBitmapRight(&c);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(At(a, x, y), At(c, x, y));
    RotateBitmapLeft(&a);
    RotateBitmapLeft(&a);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(Hex(At(a, x, y)), Hex(Old(x, y)));
}

TEST(SkinImgUtil, EmptyBitmapsAreLeftAlone) {
    const std::function<void(TBitmap*)> ops[] = {GreyBitmap,        MirrorBitmap,
                                                 FlipBitmap,        RotateBitmapLeft,
                                                 RotateBitmapRight, [](TBitmap* b) { ReplaceMagenta(b, clRed); }};
    for (const auto& op : ops) {
        TBitmap b;
        EXPECT_NO_THROW(op(&b));
        EXPECT_TRUE(b.Empty());
        EXPECT_NO_THROW(op(nullptr));
    }
}

TEST(SkinImgUtil, BlendResolvesSystemColours) {
    const TColor face = TColor(GetSysColor(COLOR_BTNFACE)), window = TColor(GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(Blend(clBtnFace, clBlack, 50), BlendRGB(face, clBlack, 50));
    EXPECT_EQ(Blend(clRed, clWindow, 300), BlendRGB(clRed, window, 300));
    EXPECT_EQ(Blend(clBtnFace, clWindow, 1000), face);
    EXPECT_EQ(Blend(clBtnFace, clWindow, 0), window);
    EXPECT_EQ(Blend(TColor(RGB(200, 100, 0)), TColor(RGB(0, 100, 200)), 50), TColor(RGB(100, 100, 100)));
}

// --- gradients

struct GradientCase {
    const char* name;
    int w, h;    // the bitmap
    TRect rect;  // the gradient
    bool vertical;
    TRect clip;  // empty: no clip
};

TEST(SkinGradient, BandsTakeTheirRampColourInsideTheClipBoxOnly) {
    const TColor from = TColor(RGB(200, 10, 40)), to = TColor(RGB(20, 250, 40));
    const GradientCase cases[] = {
        {"vertical", 4, 10, Rect(0, 0, 4, 10), true, {}},
        {"horizontal", 12, 3, Rect(1, 0, 11, 3), false, {}},
        {"one column", 5, 3, Rect(2, 0, 3, 3), false, {}},  // the midpoint colour alone
        {"one row", 5, 3, Rect(0, 1, 5, 2), true, {}},
        {"lower half clipped in", 4, 10, Rect(0, 0, 4, 10), true, Rect(0, 4, 4, 7)},
        {"columns clipped in", 20, 2, Rect(3, 0, 13, 2), false, Rect(5, 0, 9, 2)},
        {"rectangle half outside the clip", 10, 12, Rect(2, 2, 8, 40), true, Rect(0, 0, 10, 12)},
        {"clip away from the rectangle", 10, 10, Rect(5, 5, 10, 10), true, Rect(0, 0, 2, 2)},
        {"no height", 4, 4, Rect(0, 2, 4, 2), true, {}},
        {"no width", 4, 4, Rect(3, 0, 1, 4), false, {}},
    };
    for (const GradientCase& c : cases) {
        TBitmap out;
        Fill(out, c.w, c.h, kBack);
        HDC dc = out.Canvas()->Handle();
        const int saved = SaveDC(dc);
        if (!IsRectEmpty(&c.clip)) IntersectClipRect(dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        GradientFill(dc, c.rect, from, c.vertical, to);
        RestoreDC(dc, saved);

        const int n = c.vertical ? RectHeight(c.rect) : RectWidth(c.rect);
        const std::vector<TColor> ramp = MakeColorRamp(n, from, to);
        TRect painted = c.rect;
        if (!IsRectEmpty(&c.clip)) IntersectRect(&painted, &painted, &c.clip);
        int bad = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const POINT p{x, y};
                TColor want = kBack;
                if (n > 0 && PtInRect(&painted, p)) want = ramp[size_t(c.vertical ? y - c.rect.top : x - c.rect.left)];
                if (At(out, x, y) != want && bad++ < 5)
                    ADD_FAILURE() << c.name << ": (" << x << ", " << y << ") is " << Hex(At(out, x, y)) << ", not "
                                  << Hex(want);
            }
    }
    // The two ends of a whole gradient are exactly its two colours, whichever way it runs.
    for (bool vertical : {true, false}) {
        TBitmap out;
        Fill(out, 30, 30, kBack);
        GradientFill(out.Canvas()->Handle(), Rect(0, 0, 30, 30), to, vertical, from);
        EXPECT_EQ(Hex(At(out, 0, 0)), Hex(to));
        EXPECT_EQ(Hex(At(out, 29, 29)), Hex(from));
    }
}

TEST(SkinGradient, SystemColoursAreResolved) {
    TBitmap out;
    Fill(out, 2, 6, kBack);
    GradientFill(out.Canvas()->Handle(), Rect(0, 0, 2, 6), clBtnFace, true, clWindowText);
    EXPECT_EQ(Hex(At(out, 1, 0)), Hex(TColor(GetSysColor(COLOR_BTNFACE))));
    EXPECT_EQ(Hex(At(out, 1, 5)), Hex(TColor(GetSysColor(COLOR_WINDOWTEXT))));
}

}  // namespace
