// Bit buttons, menu buttons and speed buttons on the skin's [Buttons] strip: tables of
// states against the frame drawn and the glyph frame shown, read from memory DCs, and a
// speed button under the real mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ForeignControls.h"
#include "SkinControlTestUtil.h"
#include "classlib/Buttons.h"
#include "classlib/GraphicsBase.h"
#include "skin/SkinBitButton.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

namespace {
using namespace skinform;

constexpr int kBitSide = 12;

COLORREF BitGlyphColour(int index) { return RGB(30 * index, 220 - 40 * index, 90 + 30 * index); }

COLORREF Grey(COLORREF c) {
    const int v = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
    return RGB(v, v, v);
}

// Glyph frames in their own colours, each with a white bottom-left pixel: the key colour
// of a glyph is its bottom-left pixel.
std::unique_ptr<TBitmap> BitGlyphStrip(int frames) {
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(frames * kBitSide, kBitSide);
    HDC dc = strip->Canvas()->Handle();
    for (int i = 1; i <= frames; ++i) {
        FillColour(dc, Bounds((i - 1) * kBitSide, 0, kBitSide, kBitSide), BitGlyphColour(i));
        SetPixel(dc, (i - 1) * kBitSide, kBitSide - 1, RGB(255, 255, 255));
    }
    return strip;
}

// What the skin draws, read from a memory DC.
struct Drawn {
    Drawn(int w, int h) {
        Target.SetPixelFormat(pf24bit);
        Target.SetSize(w, h);
        FillColour(Target.Canvas()->Handle(), TRect{0, 0, w, h}, RGB(1, 2, 3));
    }
    HDC Dc() { return Target.Canvas()->Handle(); }
    COLORREF At(int x, int y) { return GetPixel(Target.Canvas()->Handle(), x, y); }
    TBitmap Target;
};

}  // namespace

TEST(ButtonKinds, GlyphAndTextFollowTheLayoutRule) {
    const struct {
        const char* what;
        TSize client, glyph, text;
        TGlyphLayoutKind layout;
        int margin, spacing;
        bool autoMargin, speed;
        TPoint glyphAt;
        TRect textAt;
        UINT flags;
    } rows[] = {
        {"left, automatic margin",
         {100, 30},
         {16, 16},
         {40, 14},
         glLeft,
         -1,
         4,
         false,
         false,
         {20, 7},
         {40, 8, 80, 22},
         DT_WORDBREAK},
        {"left, a speed button's margin",
         {100, 30},
         {16, 16},
         {40, 14},
         glLeft,
         -1,
         4,
         false,
         true,
         {21, 7},
         {41, 8, 81, 22},
         DT_WORDBREAK},
        {"left, centred by alignment",
         {100, 30},
         {16, 16},
         {40, 14},
         glLeft,
         3,
         4,
         true,
         false,
         {20, 7},
         {40, 8, 80, 22},
         DT_WORDBREAK},
        {"right, automatic spacing",
         {100, 30},
         {16, 16},
         {40, 14},
         glRight,
         5,
         -1,
         false,
         false,
         {79, 7},
         {20, 8, 60, 22},
         DT_WORDBREAK | DT_RIGHT},
        {"top, both automatic",
         {60, 60},
         {16, 16},
         {30, 14},
         glTop,
         -1,
         -1,
         false,
         false,
         {22, 10},
         {15, 36, 45, 50},
         DT_WORDBREAK | DT_CENTER},
        {"bottom, both given",
         {60, 60},
         {16, 16},
         {30, 14},
         glBottom,
         4,
         2,
         false,
         false,
         {22, 40},
         {15, 24, 45, 38},
         DT_WORDBREAK | DT_CENTER},
        {"no text: no spacing",
         {100, 30},
         {16, 16},
         {0, 0},
         glLeft,
         -1,
         4,
         false,
         false,
         {42, 7},
         {58, 15, 58, 15},
         DT_WORDBREAK},
    };
    for (const auto& r : rows) {
        const TGlyphPlacement p =
            PlaceGlyphAndText(r.client, r.glyph, r.text, r.layout, r.margin, r.spacing, r.autoMargin, r.speed);
        EXPECT_EQ(p.Glyph.x, r.glyphAt.x) << r.what;
        EXPECT_EQ(p.Glyph.y, r.glyphAt.y) << r.what;
        EXPECT_TRUE(EqualRect(&p.Text, &r.textAt)) << r.what << ": text at " << p.Text.left << "," << p.Text.top << " "
                                                   << p.Text.right << "," << p.Text.bottom;
        EXPECT_EQ(p.Flags, r.flags) << r.what;
    }
    for (const char* layout : {"blglyphleft", "blglyphright", "blglyphtop", "blglyphbottom", "", "other"})
        EXPECT_EQ(GlyphLayoutOf(layout), std::string(layout) == "blglyphright"    ? glRight
                                         : std::string(layout) == "blglyphtop"    ? glTop
                                         : std::string(layout) == "blglyphbottom" ? glBottom
                                                                                  : glLeft)
            << layout;
}

TEST(ButtonKinds, BitButtonsShowTheFrameAndGlyphOfTheirState) {
    TBitBtn* bit = nullptr;
    TButton* other = nullptr;
    TRzBitbtn* foreign = nullptr;
    TPngBitBtn* png = nullptr;
    auto f = MakeForm([&](TForm* form) {
        bit = Put<TBitBtn>(form, 20, 20, 120, 32);
        bit->SetCaption("");
        other = Put<TButton>(form, 20, 70, 120, 32, "Other");
        foreign = Put<TRzBitbtn>(form, 160, 20, 120, 32);
        foreign->SetCaption("");
        png = Put<TPngBitBtn>(form, 160, 70, 120, 32);
        png->SetCaption("");
    });
    ASSERT_NE(f->Skin, nullptr);
    MouseMove(1000, 740);
    auto* skin = DynamicAs<TSkinBitButton>(SkinOf(f->Skin, bit));
    ASSERT_NE(skin, nullptr);
    const struct {
        const char* state;
        uint8_t mouse;
        bool focused, enabled;
        int numGlyphs, frame, glyph;
        bool grey;
    } rows[] = {
        {"normal", 0, false, true, 3, 1, 1, false},
        {"hot", msHot, false, true, 3, 4, 1, false},
        {"pressed, three glyphs", msPressed, false, true, 3, 2, 3, false},
        {"pressed, one glyph", msPressed, false, true, 1, 2, 1, false},
        {"disabled, two glyphs", 0, false, false, 2, 3, 2, true},
        {"disabled, one glyph", 0, false, false, 1, 3, 1, true},
        {"focused", 0, true, true, 2, 5, 1, false},
        {"focused and pressed", msPressed, true, true, 4, 2, 3, false},
    };
    for (const auto& r : rows) {
        bit->SetGlyph(BitGlyphStrip(r.numGlyphs).get());
        bit->SetNumGlyphs(r.numGlyphs);
        bit->SetEnabled(r.enabled);
        if (r.focused)
            bit->SetFocus();
        else
            other->SetFocus();
        Pump();
        skin->MouseState = r.mouse;
        Drawn d(120, 32);
        skin->DrawSkin(d.Dc(), TRect{0, 0, 120, 32});
        EXPECT_EQ(d.At(4, 4), FrameColour(r.frame)) << r.state;
        // Without a caption the glyph sits in the middle.
        const COLORREF glyph = BitGlyphColour(r.glyph);
        EXPECT_EQ(d.At(60, 16), r.grey ? Grey(glyph) : glyph) << r.state;
        EXPECT_EQ(d.At(54, 21), FrameColour(r.frame)) << r.state << ": the glyph's key colour is left out";
    }
    bit->SetEnabled(true);

    // A foreign glyph count of 0 or below counts as one glyph: the whole strip.
    auto* foreignSkin = DynamicAs<TSkinBitButton>(SkinOf(f->Skin, foreign));
    ASSERT_NE(foreignSkin, nullptr);
    foreign->SetGlyph(BitGlyphStrip(2).get());
    for (int n : {0, -3}) {
        foreign->SetNumGlyphs(n);
        Drawn d(120, 32);
        foreignSkin->DrawSkin(d.Dc(), TRect{0, 0, 120, 32});
        EXPECT_EQ(d.At(50, 16), BitGlyphColour(1)) << n << " glyphs";
        EXPECT_EQ(d.At(66, 16), BitGlyphColour(2)) << n << " glyphs";
    }

    // A named graphic property replaces the glyph, drawn whole.
    auto* pngSkin = DynamicAs<TSkinBitButton>(SkinOf(f->Skin, png));
    ASSERT_NE(pngSkin, nullptr);
    EXPECT_EQ(pngSkin->GraphicProperty, "PngImage");
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(20, 10);
    FillColour(picture.Canvas()->Handle(), TRect{0, 0, 20, 10}, RGB(20, 160, 240));
    png->SetPngImage(&picture);
    Drawn d(120, 32);
    pngSkin->DrawSkin(d.Dc(), TRect{0, 0, 120, 32});
    EXPECT_EQ(d.At(51, 16), RGB(20, 160, 240));
    EXPECT_EQ(d.At(68, 16), RGB(20, 160, 240));
    EXPECT_EQ(d.At(4, 4), FrameColour(1));
}

TEST(ButtonKinds, MenuButtonsShowFocusAsHotAndTheirArrow) {
    TcxButton *drop = nullptr, *plain = nullptr;
    TRzMenuButton* menu = nullptr;
    TButton* other = nullptr;
    auto f = MakeForm([&](TForm* form) {
        drop = Put<TcxButton>(form, 20, 20, 120, 32, "Drop");
        drop->SetKind(cxbkDropDownButton);
        plain = Put<TcxButton>(form, 160, 20, 120, 32, "Plain");
        menu = Put<TRzMenuButton>(form, 20, 70, 120, 32, "Menu");
        other = Put<TButton>(form, 160, 70, 120, 32, "Other");
    });
    ASSERT_NE(f->Skin, nullptr);
    MouseMove(1000, 740);
    EXPECT_EQ(SkinNameOf(f->Skin, drop), "TSkinMenuButton");
    EXPECT_EQ(SkinNameOf(f->Skin, plain), "TSkinBitButton");
    EXPECT_EQ(SkinNameOf(f->Skin, menu), "TSkinMenuButton");
    auto* skin = DynamicAs<TSkinMenuButton>(SkinOf(f->Skin, menu));
    ASSERT_NE(skin, nullptr);
    const struct {
        const char* state;
        uint8_t mouse;
        bool focused, enabled;
        int frame;
        TColor arrow;
    } rows[] = {
        {"normal", 0, false, true, 1, clWindowText},       {"focused", 0, true, true, 4, clWindowText},
        {"hot", msHot, false, true, 4, clWindowText},      {"pressed", msPressed, true, true, 2, clWindowText},
        {"disabled", msHot, false, false, 3, clBtnShadow},
    };
    for (const auto& r : rows) {
        menu->SetEnabled(r.enabled);
        if (r.focused)
            menu->SetFocus();
        else
            other->SetFocus();
        Pump();
        skin->MouseState = r.mouse;
        Drawn d(120, 32);
        skin->DrawSkin(d.Dc(), TRect{0, 0, 120, 32});
        EXPECT_EQ(d.At(4, 4), FrameColour(r.frame)) << r.state;
        EXPECT_EQ(skin->MenuFrameIndex(), r.frame) << r.state;
        // The drop-down triangle points down in the 17 pixels at the right.
        EXPECT_EQ(d.At(108, 16), ColorToRGB(r.arrow)) << r.state;
        EXPECT_EQ(d.At(108, 12), FrameColour(r.frame)) << r.state << ": above the arrow";
    }
}

TEST(ButtonKinds, SpeedButtonsPaintTheirStateOnTheParent) {
    TSpeedButton *speed = nullptr, *tagged = nullptr;
    TPanel* red = nullptr;
    int clicks = 0;
    auto f = MakeForm([&](TForm* form) {
        speed = new TSpeedButton(form);
        speed->SetParent(form);
        speed->SetBounds(20, 20, 60, 30);
        speed->SetGroupIndex(1);
        speed->SetAllowAllUp(true);
        red = Put<TPanel>(form, 200, 20, 120, 60);
        red->SetColor(clRed);
        red->SetTag(Skin()->DisableTag());
        tagged = new TSpeedButton(form);
        tagged->SetParent(red);
        tagged->SetBounds(10, 10, 60, 30);
        tagged->SetFlat(true);
        tagged->SetTag(TransparentButtonTag);
    });
    ASSERT_NE(f->Skin, nullptr);
    MouseMove(1000, 740);
    auto* skin = DynamicAs<TSkinSpeedButton>(SkinOf(f->Skin, speed));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->Handle, nullptr);
    EXPECT_EQ(skin->GraphicControl, speed);
    EXPECT_TRUE(f->Skin->IsControlSkinned(speed));
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace);
    const struct {
        const char* state;
        bool flat, down, enabled;
        uint8_t mouse;
        int numGlyphs;
        int frame;  // 0: only the background
        int glyph;
        bool grey;
    } rows[] = {
        {"normal", false, false, true, 0, 4, 1, 1, false},
        {"hot", false, false, true, msHot, 4, 4, 1, false},
        {"pressed", false, false, true, msPressed, 4, 2, 3, false},
        {"disabled", false, false, false, 0, 4, 3, 2, true},
        {"down, four glyphs", false, true, true, 0, 4, 2, 4, false},
        {"down, two glyphs", false, true, true, msHot, 2, 2, 1, false},
        {"flat at rest", true, false, true, 0, 4, 0, 1, false},
        {"flat and disabled", true, false, false, 0, 4, 0, 2, true},
        {"flat and hot", true, false, true, msHot, 4, 4, 1, false},
        {"flat and down", true, true, true, 0, 4, 2, 4, false},
    };
    for (const auto& r : rows) {
        speed->SetGlyph(BitGlyphStrip(r.numGlyphs).get());
        speed->SetNumGlyphs(r.numGlyphs);
        speed->SetFlat(r.flat);
        speed->SetDown(r.down);
        speed->SetEnabled(r.enabled);
        skin->MouseState = r.mouse;
        Drawn d(60, 30);
        skin->PaintButton(d.Dc(), TRect{0, 0, 60, 30});
        EXPECT_EQ(d.At(4, 4), r.frame ? FrameColour(r.frame) : face) << r.state;
        EXPECT_EQ(skin->SpeedFrameIndex(), r.frame ? r.frame : r.enabled ? 1 : 3) << r.state;
        // Without a caption the glyph is centred, an automatic margin one pixel on.
        const COLORREF glyph = BitGlyphColour(r.glyph);
        EXPECT_EQ(d.At(31, 15), r.grey ? Grey(glyph) : glyph) << r.state;
    }
    speed->SetDown(false);
    speed->SetFlat(false);
    speed->SetEnabled(true);
    speed->SetGlyph(BitGlyphStrip(1).get());
    speed->SetNumGlyphs(1);
    skin->MouseState = 0;

    // Tag 5555: the parent's background instead of the button face.
    auto* taggedSkin = DynamicAs<TSkinSpeedButton>(SkinOf(f->Skin, tagged));
    ASSERT_NE(taggedSkin, nullptr);
    EXPECT_TRUE(taggedSkin->TransparentBack);
    Drawn t(60, 30);
    taggedSkin->PaintButton(t.Dc(), TRect{0, 0, 60, 30});
    EXPECT_EQ(t.At(4, 4), RGB(255, 0, 0));

    // The real mouse: hot, pressed, one click.
    struct Sink : TObject {
        int* n;
        void Clicked(TObject*) { ++*n; }
    } sink;
    sink.n = &clicks;
    speed->OnClick = TNotifyEvent(&sink, &Sink::Clicked);
    speed->SetGroupIndex(0);
    speed->Invalidate();
    EXPECT_TRUE(ScreenShows(speed, 1));
    const TPoint centre = speed->ClientToScreen(TPoint{30, 15});
    MouseMove(centre.x, centre.y);
    EXPECT_TRUE(ScreenShows(speed, 4));
    MouseDown(centre.x, centre.y);
    EXPECT_TRUE(ScreenShows(speed, 2));
    EXPECT_EQ(clicks, 0);
    MouseUp(centre.x, centre.y);
    EXPECT_TRUE(PumpUntil([&] { return clicks > 0; }, "the speed button's OnClick"));
    EXPECT_TRUE(ScreenShows(speed, 4));
    MouseMove(1000, 740);
    EXPECT_TRUE(ScreenShows(speed, 1));
    EXPECT_EQ(clicks, 1);
    ShotWindow(f->Form->Handle(), "control-skin-speedbuttons.png");

    // Freed with its skin attached: the skin leaves the form's list.
    TSkinControl* gone = skin;
    delete speed;
    for (TSkinControl* s : f->Skin->ControlSkins) EXPECT_NE(s, gone);
}
