// Buttons with more than a caption on the skin's [Buttons] strip: bit buttons with a glyph
// strip, an image list image or a named graphic; menu buttons with a drop-down arrow; and
// windowless speed buttons, painted on their parent through their WindowProc.
#pragma once

#include <string>

#include "skin/SkinButton.h"

class TGraphic;

enum TGlyphLayoutKind : int32_t { glLeft, glRight, glTop, glBottom };

// Where a glyph and a text of these sizes go in a button of that client size; margin and
// spacing -1 are automatic, autoMargin forces the automatic margin, speed buttons move an
// automatic margin one pixel on.
struct TGlyphPlacement {
    TPoint Glyph{0, 0};
    TRect Text{0, 0, 0, 0};
    UINT Flags = DT_WORDBREAK;
};
TGlyphPlacement PlaceGlyphAndText(TSize client, TSize glyph, TSize text, TGlyphLayoutKind layout, int32_t margin,
                                  int32_t spacing, bool autoMargin, bool speedButton);
// "blglyphright" and the others, lower-cased; anything else lays the glyph out left.
TGlyphLayoutKind GlyphLayoutOf(const std::string& layout);

class TSkinBitButton : public TSkinButton {
    DP_DECLARE_CLASS(TSkinBitButton, TSkinButton)
public:
    explicit TSkinBitButton(TComponent* owner);
    void DrawSkin(HDC dc, const TRect& rect) override;

    // Frame index (from 1) of a glyph strip of numGlyphs frames at rect's top-left,
    // transparent in its bottom-left colour, greyed for index 2; an index the strip has
    // not shows its first frame.
    static void DrawGlyphFrame(TCanvas* canvas, const TRect& rect, int32_t numGlyphs, int32_t index, TBitmap* glyph);
    // The glyph frame the state shows (from 1): pressed 3, disabled 2, else 1.
    int32_t GlyphIndex() const;

    // A published graphic property that replaces the glyph; empty for the glyph itself.
    std::string GraphicProperty;
};

class TSkinMenuButton : public TSkinButton {
    DP_DECLARE_CLASS(TSkinMenuButton, TSkinButton)
public:
    explicit TSkinMenuButton(TComponent* owner);
    void DrawSkin(HDC dc, const TRect& rect) override;
    // As a push button's, with the focus shown hot.
    int32_t MenuFrameIndex() const;
};

class TSkinSpeedButton : public TSkinBitButton {
    DP_DECLARE_CLASS(TSkinSpeedButton, TSkinBitButton)
public:
    explicit TSkinSpeedButton(TComponent* owner);
    // A speed button has no window: the skin hooks its WindowProc.
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void AttachGraphic(TTinselForm* form, TSkinData* data, TCanvas* canvas);
    bool BeforeMessage(TMessage& message) override;
    void AfterMessage(TMessage& message) override;
    void PaintWindow(HDC dc) override;

    // The button into dc at rect (the button's own coordinates).
    void PaintButton(HDC dc, const TRect& rect);
    // Frame of the [Buttons] strip and glyph frame the state shows (from 1).
    int32_t SpeedFrameIndex() const;
    int32_t SpeedGlyphIndex() const;

    bool Painting = false;
};
