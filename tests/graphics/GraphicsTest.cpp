// Colours, font/pen/brush with change notification and published properties, the canvas.
#include <gtest/gtest.h>

#include "GraphicsTestUtil.h"
#include "classlib/Graphics.h"
#include "classlib/TypInfo.h"

namespace {

struct SysColorCase {
    TColor color;
    int index;
};

TEST(ColorToRGB, SystemColoursResolveThroughTheirIndex) {
    const SysColorCase cases[] = {{clBtnFace, COLOR_BTNFACE},       {clWindow, COLOR_WINDOW},
                                  {clWindowText, COLOR_WINDOWTEXT}, {clHighlight, COLOR_HIGHLIGHT},
                                  {clBtnShadow, COLOR_BTNSHADOW},   {clScrollBar, COLOR_SCROLLBAR}};
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<uint32_t>(c.color), 0xFF000000u | c.index);
        EXPECT_EQ(ColorToRGB(c.color), GetSysColor(c.index)) << c.index;
    }
}

TEST(ColorToRGB, PlainColoursPassUnchanged) {
    for (TColor c : {clBlack, clRed, clLime, clBlue, clWhite, TColor(0x123456)}) EXPECT_EQ(ColorToRGB(c), COLORREF(c));
}

struct Counter {
    int count = 0;
    TObject* last = nullptr;
    TNotifyEvent Event() {
        return TNotifyEvent([this](TObject* s) {
            ++count;
            last = s;
        });
    }
};

TEST(Font, ChangeIsReportedOncePerRealChange) {
    TFont font;
    Counter c;
    font.OnChange = c.Event();
    font.SetName("Arial");
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(c.last, &font);
    font.SetName("Arial");  // the same value
    font.SetColor(font.Color());
    font.SetStyle(font.Style());
    font.SetSize(font.Size());
    EXPECT_EQ(c.count, 1);
    font.SetColor(clRed);
    font.SetStyle({fsBold, fsItalic});
    font.SetSize(20);
    EXPECT_EQ(c.count, 4);
    TFont other;
    other.Assign(&font);
    Counter c2;
    other.OnChange = c2.Event();
    other.Assign(&font);  // nothing differs
    EXPECT_EQ(c2.count, 0);
}

TEST(Font, SizeAndHeightFollowTheResolution) {
    TFont font;
    font.SetPixelsPerInch(96);
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.SetHeight(-16);
    EXPECT_EQ(font.Size(), 12);
    font.SetPixelsPerInch(120);
    font.SetSize(9);
    EXPECT_EQ(font.Height(), -15);
}

TEST(Font, HandleCarriesTheAttributes) {
    TFont font;
    font.SetName("Arial");
    font.SetHeight(-20);
    font.SetStyle({fsBold, fsUnderline});
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(font.Handle(), sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_FALSE(lf.lfItalic);
    // A changed font makes a new handle with the new attributes.
    font.SetStyle({fsItalic});
    ASSERT_TRUE(GetObjectA(font.Handle(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_TRUE(lf.lfItalic);
}

TEST(Font, PublishedPropertiesByName) {
    TFont font;
    Counter c;
    font.OnChange = c.Event();
    SetStrProp(&font, "Name", "Courier New");
    SetOrdProp(&font, "Color", clBlue);
    SetSetProp(&font, "Style", "[fsBold,fsStrikeOut]");
    SetOrdProp(&font, "Size", 14);
    EXPECT_EQ(font.Name(), "Courier New");
    EXPECT_EQ(font.Color(), clBlue);
    EXPECT_TRUE(font.Style().Contains(fsBold));
    EXPECT_TRUE(font.Style().Contains(fsStrikeOut));
    EXPECT_EQ(font.Size(), 14);
    EXPECT_EQ(c.count, 4);
    EXPECT_EQ(GetPropValue(&font, "Color"), "clBlue");
    EXPECT_EQ(GetStrProp(&font, "Name"), "Courier New");
    EXPECT_TRUE(IsPublishedProp(&font, "Charset"));
    EXPECT_TRUE(IsPublishedProp(&font, "Pitch"));
}

TEST(PenAndBrush, PublishedAndNotified) {
    TPen pen;
    TBrush brush;
    Counter cp, cb;
    pen.OnChange = cp.Event();
    brush.OnChange = cb.Event();
    SetOrdProp(&pen, "Color", clRed);
    SetOrdProp(&pen, "Width", 3);
    SetEnumProp(&pen, "Style", "psDot");
    SetEnumProp(&pen, "Mode", "pmXor");
    EXPECT_EQ(cp.count, 4);
    EXPECT_EQ(pen.Width(), 3);
    EXPECT_EQ(pen.Style(), psDot);
    EXPECT_EQ(PenModeToRop2(pen.Mode()), R2_XORPEN);
    SetOrdProp(&brush, "Color", clGreen);
    SetEnumProp(&brush, "Style", "bsClear");
    EXPECT_EQ(cb.count, 2);
    EXPECT_EQ(GetEnumProp(&brush, "Style"), "bsClear");
    // A colour asks for paint: a clear brush turns solid.
    brush.SetColor(clYellow);
    EXPECT_EQ(brush.Style(), bsSolid);
    EXPECT_EQ(cb.count, 3);
}

// A 24-bit bitmap as a drawing surface.
class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { FillBitmap(bmp, 100, 60, pf24bit, clWhite); }
    TCanvas* C() { return bmp.Canvas(); }
    TBitmap bmp;
};

TEST_F(CanvasTest, FillAndPixels) {
    C()->Brush()->SetColor(clRed);
    C()->FillRect(Rect(10, 10, 20, 20));
    EXPECT_EQ(C()->Pixels(10, 10), clRed);
    EXPECT_EQ(C()->Pixels(19, 19), clRed);
    EXPECT_EQ(C()->Pixels(20, 20), clWhite);  // the right and bottom edges are outside
    EXPECT_EQ(C()->Pixels(9, 10), clWhite);
    C()->SetPixels(50, 30, clBlue);
    EXPECT_EQ(C()->Pixels(50, 30), clBlue);
    // A system colour is drawn as what it stands for.
    C()->Brush()->SetColor(clBtnFace);
    C()->FillRect(Rect(0, 40, 5, 45));
    EXPECT_EQ(C()->Pixels(2, 42), TColor(GetSysColor(COLOR_BTNFACE)));
}

TEST_F(CanvasTest, RectangleUsesPenAndBrush) {
    C()->Pen()->SetColor(clBlue);
    C()->Brush()->SetColor(clLime);
    C()->Rectangle(Rect(30, 10, 40, 20));
    EXPECT_EQ(C()->Pixels(30, 10), clBlue);
    EXPECT_EQ(C()->Pixels(39, 19), clBlue);
    EXPECT_EQ(C()->Pixels(35, 15), clLime);
    C()->Brush()->SetStyle(bsClear);
    C()->Rectangle(Rect(50, 10, 60, 20));
    EXPECT_EQ(C()->Pixels(55, 15), clWhite);
    C()->FrameRect(Rect(0, 0, 5, 5));
}

TEST_F(CanvasTest, FontChangesReachTheDeviceContext) {
    C()->Font()->SetName("Arial");
    C()->Font()->SetSize(8);
    const TSize small = C()->TextExtent("Wallpaper");
    C()->Font()->SetSize(24);
    const TSize big = C()->TextExtent("Wallpaper");
    EXPECT_GT(small.cx, 0);
    EXPECT_GT(big.cx, small.cx * 2);
    EXPECT_GT(big.cy, small.cy * 2);
    EXPECT_EQ(C()->TextWidth(""), 0);
    EXPECT_LT(C()->TextWidth("ab"), C()->TextWidth("abab"));
    EXPECT_EQ(C()->TextHeight("x"), big.cy);
}

TEST_F(CanvasTest, TextOutPaintsInTheFontColourAndMovesThePen) {
    C()->Font()->SetName("Arial");
    C()->Font()->SetHeight(-20);
    C()->Font()->SetColor(clRed);
    C()->Brush()->SetStyle(bsClear);
    C()->TextOut(5, 5, "HHHH");
    int red = 0, other = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const TColor p = C()->Pixels(x, y);
            if (p == clRed)
                ++red;
            else if (p != clWhite)
                ++other;
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(C()->PenPos().x, 5 + C()->TextWidth("HHHH"));
}

TEST_F(CanvasTest, TextRectClipsToTheRectangle) {
    C()->Font()->SetName("Arial");
    C()->Font()->SetHeight(-30);
    C()->Font()->SetColor(clBlack);
    C()->Brush()->SetColor(clYellow);
    const TRect r = Rect(10, 10, 30, 25);
    C()->TextRect(r, 10, 5, "WWWWWWWW");
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            if (!inside) {
                ASSERT_EQ(C()->Pixels(x, y), clWhite) << x << "," << y;
            }
        }
    // The opaque brush filled the rectangle behind the text.
    int yellow = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) yellow += C()->Pixels(x, y) == clYellow;
    EXPECT_GT(yellow, 0);
}

TEST_F(CanvasTest, CopyRectStretches) {
    TBitmap src;
    FillBitmap(src, 4, 4, pf24bit, clBlue);
    src.Canvas()->SetPixels(0, 0, clRed);
    C()->CopyRect(Rect(0, 0, 40, 40), src.Canvas(), Rect(0, 0, 4, 4));
    EXPECT_EQ(C()->Pixels(5, 5), clRed);  // the red pixel became 10 x 10
    EXPECT_EQ(C()->Pixels(15, 15), clBlue);
    EXPECT_EQ(C()->Pixels(45, 45), clWhite);
}

TEST(Canvas, WithoutDeviceContextRefusesToDraw) {
    TCanvas c;
    EXPECT_FALSE(c.HandleAllocated());
    EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidGraphicOperation);
}

TEST(Canvas, BoundToAForeignDCAndReleased) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(GetDC(nullptr), 8, 8);
    HGDIOBJ oldBm = SelectObject(dc, bm);
    HGDIOBJ originalFont = GetCurrentObject(dc, OBJ_FONT);
    {
        TCanvas c;
        c.SetHandle(dc);
        c.Font()->SetHeight(-30);
        c.TextExtent("x");
        EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), originalFont);
        c.SetHandle(nullptr);
        // The canvas put back what it found.
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), originalFont);
    }
    SelectObject(dc, oldBm);
    DeleteObject(bm);
    DeleteDC(dc);
}

}  // namespace
