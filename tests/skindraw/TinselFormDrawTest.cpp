// The drawing primitives on synthetic strips: which piece of which frame lands where.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "SkinDrawTestUtil.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormDraw.h"
#include "tests/driver/TestDriver.h"

using namespace skintest;

namespace {

const TColor kBack = TColor(RGB(1, 2, 3));

struct Probe {
    int x, y;
    Piece p;
};

void ExpectPieces(TBitmap& out, int ox, int oy, const StripLayout& layout, int frame, const std::vector<Probe>& probes,
                  const std::string& what) {
    for (const Probe& pr : probes)
        EXPECT_EQ(Hex(At(out, ox + pr.x, oy + pr.y)), Hex(Expected(layout, frame, pr.p)))
            << what << ": (" << pr.x << ", " << pr.y << ") should be " << PieceName(pr.p);
}

// Every pixel outside the rectangle still has the background colour.
void ExpectUntouchedOutside(TBitmap& out, const TRect& drawn, const std::string& what) {
    int bad = 0;
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x) {
            const POINT p{x, y};
            if (PtInRect(&drawn, p)) continue;
            if (At(out, x, y) != kBack && bad++ < 5)
                ADD_FAILURE() << what << ": (" << x << ", " << y << ") was drawn on";
        }
}

StripLayout Layout(int frames, int cw, int ch, TRect margins, bool vertical = false, std::set<Piece> keyed = {}) {
    StripLayout s;
    s.frames = frames;
    s.cellWidth = cw;
    s.cellHeight = ch;
    s.margins = margins;
    s.vertical = vertical;
    s.keyed = std::move(keyed);
    return s;
}

// --- nine-slice

struct NineSliceCase {
    const char* name;
    StripLayout layout;
    int frame;
    int width, height;
    bool tile;
    std::vector<Probe> probes;
};

// Corners and edges of a 64 x 44 frame from a 24 x 20 cell with margins 3, 4, 5, 2.
const std::vector<Probe> kBorder64x44 = {
    {0, 0, TL},  {2, 3, TL}, {5, 1, T},   {30, 2, T},  {56, 1, T},   {59, 0, TR},  {63, 3, TR},
    {1, 6, L},   {0, 20, L}, {2, 38, L},  {61, 6, R},  {63, 20, R},  {61, 40, R},  {0, 42, BL},
    {2, 43, BL}, {5, 43, B}, {30, 42, B}, {56, 43, B}, {59, 42, BR}, {63, 43, BR},
};

std::vector<Probe> With(std::vector<Probe> a, const std::vector<Probe>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<NineSliceCase> NineSliceCases() {
    const StripLayout s1 = Layout(3, 24, 20, Rect(3, 4, 5, 2));
    return {
        // Corners copied, edges stretched along their length, the centre stretched: its quadrants
        // keep to their halves of the target.
        {"stretched centre", s1, 2, 64, 44, false,
         With(kBorder64x44,
              {{10, 10, CTL}, {15, 14, CTL}, {50, 10, CTR}, {10, 35, CBL}, {40, 34, CBR}, {50, 35, CBR}})},
        // The same frame with the centre tiled 1:1 from (3, 4); tiles running past the centre are
        // covered by the right and bottom pieces.
        {"tiled centre", s1, 2, 64, 44, true,
         With(kBorder64x44, {{3, 4, CTL},
                             {10, 10, CTL},
                             {11, 4, CTR},
                             {15, 14, CBR},
                             {18, 17, CBR},
                             {19, 18, CTL},
                             {40, 34, CTL},
                             {58, 41, CBL}})},
        // 10 wide cannot hold 8 + 8: no left or right border, the cell's full width stretched.
        {"left and right dropped",
         Layout(2, 24, 20, Rect(8, 4, 8, 2)),
         2,
         10,
         30,
         false,
         {{0, 1, TL},
          {5, 1, T},
          {9, 1, TR},
          {0, 15, L},
          {9, 15, R},
          {5, 6, CTR},
          {5, 10, CTR},
          {5, 26, CBR},
          {0, 29, BL},
          {5, 29, B},
          {9, 29, BR}}},
        // 5 high cannot hold 4 + 4: no top or bottom border, the cell's full height squeezed in.
        {"top and bottom dropped",
         Layout(1, 24, 20, Rect(8, 4, 8, 4)),
         1,
         40,
         5,
         false,
         {{0, 0, TL},
          {2, 2, L},
          {2, 4, BL},
          {11, 0, T},
          {29, 0, T},
          {11, 1, CTL},
          {29, 1, CTR},
          {11, 3, CBL},
          {29, 3, CBR},
          {11, 4, B},
          {37, 0, TR},
          {37, 2, R},
          {39, 4, BR}}},
        // Margins leaving the cell no middle are dropped too, rather than leaving the middle blank.
        {"cell without a middle",
         Layout(3, 24, 20, Rect(12, 4, 12, 2)),
         3,
         48,
         20,
         false,
         {{10, 1, TL}, {38, 1, TR}, {10, 10, L}, {20, 10, L}, {28, 10, R}, {38, 10, R}, {10, 19, BL}, {38, 19, BR}}},
        // A vertical strip: frame 2 is the lower cell; at its own size every piece is copied as it is.
        {"vertical strip, own size",
         Layout(2, 24, 20, Rect(3, 4, 5, 2), true),
         2,
         24,
         20,
         false,
         {{0, 0, TL}, {2, 3, TL},  {3, 0, T},     {18, 3, T},   {19, 0, TR},   {23, 3, TR},  {0, 4, L},
          {2, 17, L}, {3, 4, CTL}, {10, 10, CTL}, {11, 4, CTR}, {18, 10, CTR}, {3, 11, CBL}, {11, 17, CBR},
          {19, 4, R}, {23, 17, R}, {0, 18, BL},   {3, 19, B},   {19, 18, BR},  {23, 19, BR}}},
    };
}

TEST(SkinNineSlice, MakeFrameBitmapPlacesEveryPiece) {
    for (const NineSliceCase& c : NineSliceCases()) {
        TBitmap strip;
        MakeStrip(strip, c.layout);
        auto bmp = SkinMakeFrameBitmap(Rect(7, 9, 7 + c.width, 9 + c.height), &strip, c.layout.margins,
                                       c.layout.vertical, c.tile, c.layout.frames, c.frame);
        ASSERT_TRUE(bmp);
        ASSERT_EQ(bmp->Width(), c.width) << c.name;
        ASSERT_EQ(bmp->Height(), c.height) << c.name;
        ExpectPieces(*bmp, 0, 0, c.layout, c.frame, c.probes, c.name);
    }
}

TEST(SkinNineSlice, DrawFramePutsTheFrameAtTheTargetOnly) {
    for (const NineSliceCase& c : NineSliceCases()) {
        for (bool transparent : {false, true}) {
            TBitmap strip, out;
            MakeStrip(strip, c.layout);
            Fill(out, c.width + 12, c.height + 10, kBack);
            const TRect target = Bounds(5, 7, c.width, c.height);
            SkinDrawFrame(out.Canvas()->Handle(), target, &strip, c.layout.vertical, c.tile, transparent,
                          c.layout.frames, c.frame, c.layout.margins);
            const std::string what = std::string(c.name) + (transparent ? ", transparent" : "");
            ExpectPieces(out, 5, 7, c.layout, c.frame, c.probes, what);
            ExpectUntouchedOutside(out, target, what);
        }
    }
}

TEST(SkinNineSlice, TransparentFrameLeavesKeyPixelsAlone) {
    const StripLayout layout = Layout(2, 24, 20, Rect(3, 4, 5, 2), false, {CTL, TR});
    struct Size {
        int w, h;
        std::vector<Probe> probes;  // CTL and TR probes must show the background
    };
    const Size sizes[] = {
        {24, 20, {{0, 0, TL}, {3, 4, CTL}, {10, 10, CTL}, {11, 4, CTR}, {19, 0, TR}, {23, 3, TR}, {23, 19, BR}}},
        // Probes inside the same quadrant whether the centre is tiled or stretched.
        {64, 44, With(kBorder64x44, {{10, 10, CTL}, {50, 10, CTR}, {45, 29, CBR}})},
    };
    for (const Size& s : sizes) {
        for (bool tile : {false, true}) {
            TBitmap strip, out;
            MakeStrip(strip, layout);
            Fill(out, s.w + 4, s.h + 4, kBack);
            SkinDrawFrame(out.Canvas()->Handle(), Bounds(2, 2, s.w, s.h), &strip, false, tile, true, 2, 2,
                          layout.margins);
            for (const Probe& p : s.probes) {
                const TColor want = layout.keyed.count(p.p) ? kBack : PieceColour(2, p.p);
                EXPECT_EQ(Hex(At(out, 2 + p.x, 2 + p.y)), Hex(want))
                    << s.w << "x" << s.h << (tile ? " tiled" : "") << " (" << p.x << ", " << p.y << ") "
                    << PieceName(p.p);
            }
        }
    }
}

// --- the other frame routines

TEST(SkinFrameVariants, Tiled3RepeatsTheMiddleBetweenTheBorders) {
    // Margins 3 and 5 of a 24-wide cell: a 16-wide middle, its halves CTL/CTR above CBL/CBR below.
    struct Case {
        const char* name;
        TRect margins;
        int width;
        std::set<Piece> keyed;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"60 wide",
         Rect(3, 0, 5, 0),
         60,
         {},
         {{1, 5, L},
          {3, 5, CTL},
          {10, 5, CTL},
          {11, 5, CTR},
          {19, 5, CTL},
          {30, 5, CTR},
          {54, 5, CTL},
          {55, 5, R},
          {59, 5, R},
          {10, 30, CBL},
          {27, 30, CBR},
          {2, 39, L}}},
        {"key colour", Rect(3, 0, 5, 0), 60, {CTR}, {{1, 5, L}, {10, 5, CTL}, {11, 5, CTR}, {30, 5, CTR}, {57, 5, R}}},
        // No middle column left: the whole cell is repeated, never a zero step.
        {"no middle", Rect(12, 0, 12, 0), 60, {}, {{2, 5, L}, {26, 5, L}, {38, 5, R}, {50, 5, L}, {56, 5, L}}},
        // Narrower than both borders: the right border ends the target, over the left one.
        {"narrower than its borders", Rect(3, 0, 5, 0), 6, {}, {{0, 5, L}, {5, 5, R}}},
    };
    for (const Case& c : cases) {
        for (bool transparent : {false, true}) {
            if (!c.keyed.empty() && !transparent) continue;
            const StripLayout layout = Layout(3, 24, 20, c.margins, false, c.keyed);
            TBitmap strip, out;
            MakeStrip(strip, layout);
            Fill(out, c.width + 10, 50, kBack);
            const TRect target = Bounds(4, 6, c.width, 40);
            SkinDrawFrameTiled3(out.Canvas(), target, &strip, false, transparent, 3, 3, c.margins);
            for (const Probe& p : c.probes) {
                const TColor want = c.keyed.count(p.p) ? kBack : PieceColour(3, p.p);
                EXPECT_EQ(Hex(At(out, 4 + p.x, 6 + p.y)), Hex(want))
                    << c.name << (transparent ? " transparent" : "") << " (" << p.x << ", " << p.y << ") "
                    << PieceName(p.p);
            }
            ExpectUntouchedOutside(out, target, c.name);
        }
    }
}

TEST(SkinFrameVariants, StretchedCoversTheTargetWithTheWholeCell) {
    const StripLayout plain = Layout(5, 20, 16, Rect(4, 4, 4, 4));
    const StripLayout keyed = Layout(5, 20, 16, Rect(4, 4, 4, 4), false, {CTL});
    const std::vector<Probe> probes = {{0, 0, TL}, {1, 1, TL}, {20, 2, T}, {12, 12, CTL}, {24, 20, CBR}, {39, 31, BR}};
    for (const StripLayout* layout : {&plain, &keyed}) {
        const bool transparent = !layout->keyed.empty();
        TBitmap strip, out;
        MakeStrip(strip, *layout);
        Fill(out, 50, 42, kBack);
        const TRect target = Rect(5, 5, 45, 37);
        SkinDrawFrameStretched(out.Canvas()->Handle(), target, &strip, transparent, 5, 3);
        for (const Probe& p : probes) {
            const TColor want = layout->keyed.count(p.p) ? kBack : PieceColour(3, p.p);
            EXPECT_EQ(Hex(At(out, 5 + p.x, 5 + p.y)), Hex(want))
                << (transparent ? "transparent " : "") << PieceName(p.p);
        }
        ExpectUntouchedOutside(out, target, "stretched");
    }
}

TEST(SkinFrameVariants, CenteredKeepsTheCellSizeAndCentresItWithTruncation) {
    const struct {
        TRect target;
        int x, y;  // where the cell lands
    } cases[] = {
        {Rect(10, 10, 25, 40), 8, 15},  // 20 in 15: -5 div 2 = -2, not -3
        {Rect(10, 10, 40, 40), 15, 15},
        {Rect(10, 10, 31, 31), 10, 10},  // one spare pixel stays on the right and below
        {Rect(12, 20, 13, 21), 3, 11},   // 1 x 1: the cell mostly outside
    };
    const StripLayout plain = Layout(5, 20, 20, Rect(4, 4, 4, 4));
    const StripLayout keyed = Layout(5, 20, 20, Rect(4, 4, 4, 4), false, {CBR});
    for (const auto& c : cases) {
        for (const StripLayout* layout : {&plain, &keyed}) {
            const bool transparent = !layout->keyed.empty();
            TBitmap strip, out;
            MakeStrip(strip, *layout);
            Fill(out, 50, 50, kBack);
            SkinDrawFrameCentered(out.Canvas()->Handle(), c.target, &strip, transparent, 5, 4);
            const std::vector<Probe> probes = {{0, 0, TL}, {19, 19, BR}, {9, 9, CTL}, {10, 10, CBR}, {10, 0, T}};
            for (const Probe& p : probes) {
                const TColor want = layout->keyed.count(p.p) ? kBack : PieceColour(4, p.p);
                EXPECT_EQ(Hex(At(out, c.x + p.x, c.y + p.y)), Hex(want))
                    << "cell at " << c.x << "," << c.y << (transparent ? " transparent " : " ") << PieceName(p.p);
            }
            ExpectUntouchedOutside(out, Bounds(c.x, c.y, 20, 20), "centred");
        }
    }
}

TEST(SkinFrameVariants, StretchFrame3StretchesTheMiddleStraightOntoTheTarget) {
    const StripLayout layout = Layout(2, 24, 20, Rect(3, 0, 5, 0));
    const struct {
        const char* name;
        int width;
        std::vector<Probe> probes;
    } cases[] = {
        {"wider than the cell",
         60,
         {{1, 5, L}, {2, 15, L}, {10, 5, CTL}, {10, 15, CBL}, {50, 5, CTR}, {55, 5, R}, {59, 15, R}}},
        // A cell wider than the target is stretched over it whole.
        {"narrower than the cell", 12, {{0, 5, L}, {6, 5, CTR}, {11, 5, R}}},
    };
    for (const auto& c : cases) {
        TBitmap strip, out;
        MakeStrip(strip, layout);
        Fill(out, 70, 30, kBack);
        // The routine draws with the device context's own stretch mode.
        SetStretchBltMode(out.Canvas()->Handle(), COLORONCOLOR);
        const TRect target = Bounds(5, 5, c.width, 20);
        SkinStretchFrame3(out.Canvas()->Handle(), target, &strip, false, true, 2, 1, layout.margins);
        ExpectPieces(out, 5, 5, layout, 1, c.probes, c.name);
        ExpectUntouchedOutside(out, target, c.name);
    }
}

// Every routine, with a cell that does not exist or a target with no area, draws nothing and does not fail.
TEST(SkinFrameVariants, NothingIsDrawnWithoutACellOrWithoutATarget) {
    const StripLayout layout = Layout(3, 24, 20, Rect(3, 4, 5, 2));
    using Draw = std::function<void(TBitmap & out, const TRect& target, TBitmap* strip, int frames, int index)>;
    const TRect m = layout.margins;
    const struct {
        const char* name;
        Draw draw;
    } routines[] = {
        {"SkinDrawFrame", [&](TBitmap& o, const TRect& t, TBitmap* s, int f,
                              int i) { SkinDrawFrame(o.Canvas()->Handle(), t, s, false, false, false, f, i, m); }},
        {"SkinDrawFrame tiled, transparent",
         [&](TBitmap& o, const TRect& t, TBitmap* s, int f, int i) {
             SkinDrawFrame(o.Canvas()->Handle(), t, s, false, true, true, f, i, m);
         }},
        {"SkinDrawFrameTiled3", [&](TBitmap& o, const TRect& t, TBitmap* s, int f,
                                    int i) { SkinDrawFrameTiled3(o.Canvas(), t, s, false, false, f, i, m); }},
        {"SkinDrawFrameStretched", [&](TBitmap& o, const TRect& t, TBitmap* s, int f,
                                       int i) { SkinDrawFrameStretched(o.Canvas()->Handle(), t, s, false, f, i); }},
        {"SkinDrawFrameCentered", [&](TBitmap& o, const TRect& t, TBitmap* s, int f,
                                      int i) { SkinDrawFrameCentered(o.Canvas()->Handle(), t, s, true, f, i); }},
        {"SkinStretchFrame3", [&](TBitmap& o, const TRect& t, TBitmap* s, int f,
                                  int i) { SkinStretchFrame3(o.Canvas()->Handle(), t, s, false, false, f, i, m); }},
    };
    TBitmap strip, empty;
    MakeStrip(strip, layout);
    const struct {
        const char* name;
        TBitmap* strip;
        int frames, index;
        TRect target;
        bool centredDraws;  // a centred cell is drawn whatever the target's size
    } cases[] = {
        {"0 frames", &strip, 0, 1, Rect(5, 5, 45, 35), false},
        {"0 frames, index 0", &strip, 0, 0, Rect(5, 5, 45, 35), false},
        {"index 0", &strip, 3, 0, Rect(5, 5, 45, 35), false},
        {"index past the frames", &strip, 3, 4, Rect(5, 5, 45, 35), false},
        {"negative frames", &strip, -1, 1, Rect(5, 5, 45, 35), false},
        {"negative index", &strip, 3, -2, Rect(5, 5, 45, 35), false},
        {"more frames than columns", &strip, 100, 1, Rect(5, 5, 45, 35), false},
        {"empty strip", &empty, 1, 1, Rect(5, 5, 45, 35), false},
        {"no strip", nullptr, 1, 1, Rect(5, 5, 45, 35), false},
        {"right on left", &strip, 3, 1, Rect(10, 5, 10, 35), true},
        {"bottom on top", &strip, 3, 1, Rect(5, 10, 45, 10), true},
        {"right left of left", &strip, 3, 1, Rect(30, 5, 10, 35), false},
        {"bottom above top", &strip, 3, 1, Rect(5, 30, 45, 10), false},
    };
    for (const auto& r : routines) {
        for (const auto& c : cases) {
            if (c.centredDraws && std::string(r.name) == "SkinDrawFrameCentered") continue;
            TBitmap out;
            Fill(out, 50, 40, kBack);
            EXPECT_NO_THROW(r.draw(out, c.target, c.strip, c.frames, c.index)) << r.name << ", " << c.name;
            ExpectUntouchedOutside(out, Rect(0, 0, 0, 0), std::string(r.name) + ", " + c.name);
        }
    }
    // Without a cell the composed bitmap still has the target's size, blank.
    auto blank = SkinMakeFrameBitmap(Rect(0, 0, 30, 20), &strip, m, false, false, 0, 1);
    ASSERT_EQ(blank->Width(), 30);
    EXPECT_EQ(At(*blank, 15, 10), clWhite);
    EXPECT_TRUE(SkinMakeFrameBitmap(Rect(0, 0, 0, 20), &strip, m, false, false, 3, 1)->Empty());
    EXPECT_TRUE(SkinMakeFrameBitmap(Rect(9, 0, 0, 20), &strip, m, false, false, 3, 1)->Empty());
}

TEST(SkinFrameVariants, FrameThreeOfFiveComesFromColumns40To59) {
    const StripLayout layout = Layout(5, 20, 10, Rect(0, 0, 0, 0));
    TBitmap strip, out;
    MakeStrip(strip, layout);
    ASSERT_EQ(strip.Width(), 100);
    const TRect cell = SkinFrameRect(&strip, 5, 3, false);
    EXPECT_EQ(cell.left, 40);
    EXPECT_EQ(cell.right, 60);
    // Without margins the whole cell is the centre, frame 3's quadrants at their own size.
    Fill(out, 20, 10, kBack);
    SkinDrawFrame(out.Canvas()->Handle(), Rect(0, 0, 20, 10), &strip, false, false, false, 5, 3, layout.margins);
    ExpectPieces(out, 0, 0, layout, 3,
                 {{0, 0, CTL}, {9, 4, CTL}, {10, 0, CTR}, {19, 4, CTR}, {0, 5, CBL}, {19, 9, CBR}}, "frame 3 of 5");
}

// --- transparent blits

TEST(SkinTransparent, KeyPixelsLeaveTheDestinationAndOnlyTheBitmapsPartIsDrawn) {
    // Colours every pixel format holds exactly.
    const TColor pattern[] = {clBlack, clWhite, clRed, clLime, clBlue, clFuchsia};
    auto colourAt = [&](int x, int y) { return pattern[(x + 2 * y) % 6]; };
    const struct {
        TPixelFormat format;
        int w, h;  // target size; the bitmap is 8 x 4
        TColor key;
    } cases[] = {
        {pf24bit, 8, 4, clFuchsia},  {pf32bit, 8, 4, clFuchsia}, {pfDevice, 8, 4, clFuchsia},
        {pf8bit, 8, 4, clFuchsia},   {pf4bit, 8, 4, clFuchsia},  {pf16bit, 8, 4, clFuchsia},
        {pf24bit, 8, 4, clLime},     {pf24bit, 5, 3, clFuchsia},  // smaller target: its part of the bitmap
        {pf24bit, 20, 9, clFuchsia},                              // larger target: never more than the bitmap has
        {pf32bit, 20, 2, clFuchsia},
    };
    for (TSkinTransparentBlit how : {TSkinTransparentBlit::MaskBlt, TSkinTransparentBlit::InvertAnd}) {
        for (const auto& c : cases) {
            TBitmap bmp, out;
            bmp.SetPixelFormat(c.format);
            bmp.SetSize(8, 4);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x) bmp.Canvas()->SetPixels(x, y, colourAt(x, y));
            Fill(out, 32, 16, kBack);
            SkinDrawTransparentBy(how, out.Canvas()->Handle(), Bounds(3, 2, c.w, c.h), &bmp, c.key);
            const int dw = std::min(c.w, 8), dh = std::min(c.h, 4);
            const std::string what = std::string(how == TSkinTransparentBlit::MaskBlt ? "MaskBlt" : "invert-and") +
                                     " format " + std::to_string(int(c.format)) + " target " + std::to_string(c.w) +
                                     "x" + std::to_string(c.h) + " key " + Hex(c.key);
            for (int y = 0; y < dh; ++y)
                for (int x = 0; x < dw; ++x) {
                    const TColor want = colourAt(x, y) == c.key ? kBack : colourAt(x, y);
                    EXPECT_EQ(Hex(At(out, 3 + x, 2 + y)), Hex(want)) << what << " (" << x << ", " << y << ")";
                }
            ExpectUntouchedOutside(out, Bounds(3, 2, dw, dh), what);
        }
    }
    // The platform's own way is one of the two.
    TBitmap bmp, out;
    Fill(bmp, 2, 1, clFuchsia, pf24bit);
    bmp.Canvas()->SetPixels(1, 0, clRed);
    Fill(out, 4, 2, kBack);
    SkinDrawTransparent(out.Canvas()->Handle(), Rect(1, 1, 3, 2), &bmp, clFuchsia);
    EXPECT_EQ(At(out, 1, 1), kBack);
    EXPECT_EQ(At(out, 2, 1), clRed);
}

TEST(SkinTransparent, OnlyTheExactColourIsKey) {
    TBitmap bmp, out;
    Fill(bmp, 4, 1, clFuchsia, pf24bit);
    const TColor almost[] = {TColor(RGB(254, 0, 255)), TColor(RGB(255, 1, 255)), TColor(RGB(255, 0, 254))};
    for (int i = 0; i < 3; ++i) bmp.Canvas()->SetPixels(i + 1, 0, almost[i]);
    for (TSkinTransparentBlit how : {TSkinTransparentBlit::MaskBlt, TSkinTransparentBlit::InvertAnd}) {
        Fill(out, 4, 1, kBack);
        SkinDrawTransparentBy(how, out.Canvas()->Handle(), Rect(0, 0, 4, 1), &bmp, TRANSPARENT_KEY);
        EXPECT_EQ(At(out, 0, 0), kBack);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Hex(At(out, i + 1, 0)), Hex(almost[i]));
        // Nothing for an inverted target, an empty or a missing bitmap.
        TBitmap empty;
        Fill(out, 4, 1, kBack);
        SkinDrawTransparentBy(how, out.Canvas()->Handle(), Rect(4, 0, 0, 1), &bmp, TRANSPARENT_KEY);
        SkinDrawTransparentBy(how, out.Canvas()->Handle(), Rect(0, 0, 4, 1), &empty, TRANSPARENT_KEY);
        SkinDrawTransparentBy(how, out.Canvas()->Handle(), Rect(0, 0, 4, 1), nullptr, TRANSPARENT_KEY);
        ExpectUntouchedOutside(out, Rect(0, 0, 0, 0), "nothing to draw");
    }
}

// --- regions

std::vector<RECT> RegionRects(HRGN rgn) {
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<uint8_t> buf(size);
    auto* data = reinterpret_cast<RGNDATA*>(buf.data());
    if (!size || !GetRegionData(rgn, size, data)) return {};
    const auto* r = reinterpret_cast<const RECT*>(data->Buffer);
    return std::vector<RECT>(r, r + data->rdh.nCount);
}

// The region holds exactly the pixels the predicate calls opaque, moved by (dx, dy).
void ExpectRegionIs(HRGN rgn, TBitmap& b, int dx, int dy, const std::function<bool(int, int)>& opaque,
                    const std::string& what) {
    int bad = 0;
    for (int y = -1; y <= b.Height(); ++y)
        for (int x = -1; x <= b.Width(); ++x) {
            const bool inside = x >= 0 && y >= 0 && x < b.Width() && y < b.Height() && opaque(x, y);
            if (bool(PtInRegion(rgn, x + dx, y + dy)) != inside && bad++ < 5)
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") " << (inside ? "missing" : "included");
        }
}

TEST(SkinRegion, OpaqueRunsOfEveryRowWithItsOffset) {
    // First and last columns magenta: one rectangle per row, merged by the region into one.
    TBitmap b;
    Fill(b, 6, 3, clRed, pf24bit);
    for (int y = 0; y < 3; ++y) {
        b.Canvas()->SetPixels(0, y, clFuchsia);
        b.Canvas()->SetPixels(5, y, clFuchsia);
    }
    HRGN rgn = SkinRegionFromBitmap(&b, 10, 20, 0, 0, 0, TRANSPARENT_KEY);
    ASSERT_TRUE(rgn);
    ExpectRegionIs(
        rgn, b, 10, 20, [](int x, int) { return x >= 1 && x <= 4; }, "columns");
    RECT box;
    EXPECT_EQ(GetRgnBox(rgn, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 11);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 15);
    EXPECT_EQ(box.bottom, 23);
    DeleteObject(rgn);
    // Read as 32 bits a pixel, as the row walk needs.
    EXPECT_EQ(b.BitsPerPixel(), 32);

    // A staircase: rows with runs of their own, two in the middle row; negative offsets.
    TBitmap s;
    Fill(s, 8, 3, clFuchsia, pf32bit);
    const char* rows[] = {"xxx.....", ".xx..xx.", "......xx"};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x)
            if (rows[y][x] == 'x') s.Canvas()->SetPixels(x, y, clBlue);
    rgn = SkinRegionFromBitmap(&s, -3, -1, 0, 0, 0, TRANSPARENT_KEY);
    ExpectRegionIs(
        rgn, s, -3, -1, [&](int x, int y) { return rows[y][x] == 'x'; }, "staircase");
    const std::vector<RECT> rects = RegionRects(rgn);
    const RECT want[] = {{-3, -1, 0, 0}, {-2, 0, 0, 1}, {2, 0, 4, 1}, {3, 1, 5, 2}};
    ASSERT_EQ(rects.size(), 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(EqualRect(&rects[i], &want[i])) << "rectangle " << i;
    DeleteObject(rgn);
}

TEST(SkinRegion, TolerancesWidenEachChannelUpwardsOnly) {
    const TColor key = TColor(RGB(10, 20, 30));
    // Tolerances: blue 1, green 2, red 3.
    const struct {
        TColor pixel;
        bool keyed;
    } cases[] = {
        {TColor(RGB(10, 20, 30)), true},  {TColor(RGB(13, 20, 30)), true},  {TColor(RGB(14, 20, 30)), false},
        {TColor(RGB(10, 22, 30)), true},  {TColor(RGB(10, 23, 30)), false}, {TColor(RGB(10, 20, 31)), true},
        {TColor(RGB(10, 20, 32)), false}, {TColor(RGB(9, 20, 30)), false},  {TColor(RGB(10, 19, 30)), false},
        {TColor(RGB(13, 22, 31)), true},
    };
    TBitmap b;
    Fill(b, int(std::size(cases)), 2, key, pf24bit);
    for (size_t i = 0; i < std::size(cases); ++i) b.Canvas()->SetPixels(int(i), 0, cases[i].pixel);
    HRGN rgn = SkinRegionFromBitmap(&b, 0, 0, 1, 2, 3, key);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(bool(PtInRegion(rgn, int(i), 0)), !cases[i].keyed) << "pixel " << i << " " << Hex(cases[i].pixel);
    DeleteObject(rgn);

    // Magenta with tolerance 1: (255, 1, 255) is key-coloured, (254, 0, 255) is not.
    TBitmap m;
    Fill(m, 3, 1, clFuchsia, pf24bit);
    m.Canvas()->SetPixels(1, 0, TColor(RGB(255, 1, 255)));
    m.Canvas()->SetPixels(2, 0, TColor(RGB(254, 0, 255)));
    rgn = SkinRegionFromBitmap(&m, 0, 0, 1, 1, 1, TRANSPARENT_KEY);
    EXPECT_FALSE(PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(PtInRegion(rgn, 1, 0));
    EXPECT_TRUE(PtInRegion(rgn, 2, 0));
    DeleteObject(rgn);
    rgn = SkinRegionFromBitmap(&m, 0, 0, 0, 0, 0, TRANSPARENT_KEY);
    EXPECT_TRUE(PtInRegion(rgn, 1, 0));
    DeleteObject(rgn);
}

TEST(SkinRegion, ManyRectanglesAreGatheredInBlocksOf2000) {
    // A checkerboard 200 wide: 100 rectangles a row that no region can merge.
    const struct { int checkerRows, singleRunRows; } cases[] = {{19, 1}, {20, 0}, {20, 1}, {39, 101}, {50, 0}};
    for (const auto& c : cases) {
        const int h = c.checkerRows + c.singleRunRows;
        TBitmap b;
        Fill(b, 200, h, clFuchsia, pf32bit);
        auto opaque = [&](int x, int y) { return y < c.checkerRows ? (x + y) % 2 == 0 : x < 3; };
        for (int y = 0; y < h; ++y) {
            auto* row = static_cast<uint8_t*>(b.ScanLine(y));
            for (int x = 0; x < 200; ++x)
                if (opaque(x, y)) row[x * 4] = row[x * 4 + 1] = row[x * 4 + 2] = 0x40;
        }
        const std::string what = std::to_string(c.checkerRows * 100 + c.singleRunRows) + " rectangles";
        HRGN rgn = SkinRegionFromBitmap(&b, 2, 3, 0, 0, 0, TRANSPARENT_KEY);
        ASSERT_TRUE(rgn) << what;
        ExpectRegionIs(rgn, b, 2, 3, opaque, what);
        // Single runs of adjacent rows are merged into one rectangle.
        EXPECT_EQ(RegionRects(rgn).size(), size_t(c.checkerRows * 100 + (c.singleRunRows ? 1 : 0))) << what;
        DeleteObject(rgn);
    }
}

TEST(SkinRegion, OneRowEmptyAndAllKeyBitmaps) {
    TBitmap one;
    Fill(one, 5, 1, clRed, pf24bit);
    one.Canvas()->SetPixels(2, 0, clFuchsia);
    HRGN rgn = SkinRegionFromBitmap(&one, 0, 0, 0, 0, 0, TRANSPARENT_KEY);
    ExpectRegionIs(
        rgn, one, 0, 0, [](int x, int) { return x != 2; }, "one row");
    DeleteObject(rgn);

    TBitmap empty, key;
    Fill(key, 7, 3, clFuchsia, pf24bit);
    for (TBitmap* b : {&empty, &key, static_cast<TBitmap*>(nullptr)}) {
        rgn = SkinRegionFromBitmap(b, 4, 4, 0, 0, 0, TRANSPARENT_KEY);
        ASSERT_TRUE(rgn);
        RECT box;
        EXPECT_EQ(GetRgnBox(rgn, &box), NULLREGION);
        DeleteObject(rgn);
    }
}

// --- tiling

TEST(SkinTile, SourceRepeatsFromTheTargetsTopLeftLastTilesWhole) {
    TBitmap src;
    Fill(src, 12, 9, clWhite, pf24bit);
    auto tileColour = [](int x, int y) { return TColor(RGB(40 + 30 * x, 50 + 60 * y, 7 * x + y)); };
    const struct {
        TRect source;
        TRect target;
        int tw, th;  // the tile actually used (cut to the bitmap)
    } cases[] = {
        {Rect(1, 1, 4, 3), Rect(2, 2, 9, 7), 3, 2},      // 7 x 5 in tiles of 3 x 2: 9 x 6 drawn
        {Rect(1, 1, 4, 3), Rect(0, 0, 6, 4), 3, 2},      // exact fit
        {Rect(5, 5, 6, 6), Rect(3, 1, 300, 280), 1, 1},  // one pixel tiled: done in blocks, same result
        {Rect(2, 3, 9, 8), Rect(0, 0, 600, 301), 7, 5},
        {Rect(10, 7, 15, 12), Rect(1, 1, 10, 8), 2, 2},  // reaches past the bitmap: only its own part
    };
    for (const auto& c : cases) {
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x) src.Canvas()->SetPixels(x, y, tileColour(x, y));
        TBitmap out;
        Fill(out, c.target.right + 20, c.target.bottom + 12, kBack);
        SkinTileRect(out.Canvas(), c.target, &src, c.source);
        const int spanW = (RectWidth(c.target) + c.tw - 1) / c.tw * c.tw;
        const int spanH = (RectHeight(c.target) + c.th - 1) / c.th * c.th;
        int bad = 0;
        for (int y = 0; y < out.Height(); ++y)
            for (int x = 0; x < out.Width(); ++x) {
                const int rx = x - c.target.left, ry = y - c.target.top;
                const bool inside = rx >= 0 && ry >= 0 && rx < spanW && ry < spanH;
                const TColor want = inside ? tileColour(c.source.left + rx % c.tw, c.source.top + ry % c.th) : kBack;
                if (At(out, x, y) != want && bad++ < 5)
                    ADD_FAILURE() << "target " << c.target.left << "," << c.target.top << " tile " << c.tw << "x"
                                  << c.th << ": (" << x << ", " << y << ") is " << Hex(At(out, x, y)) << ", not "
                                  << Hex(want);
            }
    }
}

TEST(SkinTile, NothingForAnEmptySourceOrTarget) {
    TBitmap src, out, empty;
    Fill(src, 8, 8, clRed, pf24bit);
    const struct {
        TBitmap* bitmap;
        TRect source, target;
    } cases[] = {
        {&src, Rect(2, 2, 2, 6), Rect(0, 0, 10, 10)},      // no width
        {&src, Rect(2, 6, 5, 2), Rect(0, 0, 10, 10)},      // negative height
        {&src, Rect(6, 2, 2, 0), Rect(0, 0, 10, 10)},      // both negative: a positive product is no excuse
        {&src, Rect(20, 20, 24, 24), Rect(0, 0, 10, 10)},  // wholly outside the bitmap
        {&src, Rect(0, 0, 4, 4), Rect(5, 5, 5, 10)},      {&src, Rect(0, 0, 4, 4), Rect(5, 5, 2, 10)},
        {&empty, Rect(0, 0, 4, 4), Rect(0, 0, 10, 10)},   {nullptr, Rect(0, 0, 4, 4), Rect(0, 0, 10, 10)},
    };
    for (const auto& c : cases) {
        Fill(out, 12, 12, kBack);
        SkinTileRect(out.Canvas(), c.target, c.bitmap, c.source);
        ExpectUntouchedOutside(out, Rect(0, 0, 0, 0), "tile");
    }
}

// --- the parent's background

class SkinParentBackground : public ::testing::Test {
protected:
    void SetUp() override { Application->Initialize(); }
};

TEST_F(SkinParentBackground, ParentErasesAndPaintsBehindTheControl) {
    auto* form = NewForm<TForm>(Application);
    form->SetBounds(0, 0, 200, 150);
    form->SetColor(TColor(RGB(10, 200, 30)));
    auto* shape = new TShape(form);
    shape->SetParent(form);
    shape->SetBounds(30, 15, 10, 10);
    shape->Brush()->SetColor(clBlue);
    auto* control = new TPanel(form);
    control->SetParent(form);
    control->SetBounds(20, 10, 50, 30);
    form->HandleNeeded();

    TBitmap out;
    Fill(out, 60, 40, kBack);
    HDC dc = out.Canvas()->Handle();
    SkinPaintParentBackground(control, dc);
    EXPECT_EQ(Hex(At(out, 0, 0)), Hex(TColor(RGB(10, 200, 30))));
    EXPECT_EQ(Hex(At(out, 49, 29)), Hex(TColor(RGB(10, 200, 30))));
    EXPECT_EQ(Hex(At(out, 15, 10)), Hex(clBlue));  // the shape, 10 and 5 in from the control
    EXPECT_EQ(Hex(At(out, 5, 20)), Hex(TColor(RGB(10, 200, 30))));
    // Clipped to the control's client area, and the device context as it was.
    EXPECT_EQ(At(out, 50, 10), kBack);
    EXPECT_EQ(At(out, 10, 30), kBack);
    POINT org{1, 1};
    GetViewportOrgEx(dc, &org);
    EXPECT_EQ(org.x, 0);
    EXPECT_EQ(org.y, 0);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(dc, clip), 0);
    DeleteObject(clip);

    // Nothing without a parent.
    auto* orphan = new TPanel(form);
    orphan->SetBounds(0, 0, 20, 20);
    Fill(out, 60, 40, kBack);
    SkinPaintParentBackground(orphan, out.Canvas()->Handle());
    SkinPaintParentBackground(nullptr, out.Canvas()->Handle());
    ExpectUntouchedOutside(out, Rect(0, 0, 0, 0), "no parent");
    form->Free();
}

// --- a composed frame for people to look at

TEST(SkinArtefact, ComposedFramePng) {
    const StripLayout layout = Layout(3, 24, 20, Rect(3, 4, 5, 2), false, {TR});
    TBitmap strip, out;
    MakeStrip(strip, layout);
    Fill(out, 220, 70, kBack);
    SkinDrawFrame(out.Canvas()->Handle(), Rect(4, 4, 104, 64), &strip, false, false, true, 3, 1, layout.margins);
    SkinDrawFrame(out.Canvas()->Handle(), Rect(112, 4, 212, 64), &strip, false, true, true, 3, 2, layout.margins);
    const std::string path = dptest::ArtifactDir() + "skin_frame.png";
    SaveBitmapToPNGFile(out, path);
    EXPECT_TRUE(dptest::FileExists(path));
}

TEST(SkinScratch, OneSharedHalftoneSurface) {
    TBitmap* a = SkinScratchBitmap();
    ASSERT_TRUE(a);
    EXPECT_EQ(a, SkinScratchBitmap());
    EXPECT_EQ(GetStretchBltMode(a->Canvas()->Handle()), HALFTONE);
    a->SetSize(4, 4);
    EXPECT_EQ(GetStretchBltMode(a->Canvas()->Handle()), HALFTONE);
    a->SetSize(0, 0);
}

}  // namespace
