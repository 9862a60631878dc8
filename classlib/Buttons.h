// Buttons with glyphs: the owner-drawn bit button and the windowless speed button.
#pragma once

#include "classlib/StdCtrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
DP_ENUM_INFO(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom")

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
DP_ENUM_INFO(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
             "bkIgnore", "bkAll")

// Draws glyph (a strip of numGlyphs images: up, disabled, down...) and caption into r.
void DrawButtonFace(HDC dc, const TRect& r, TBitmap* glyph, int numGlyphs, const std::string& caption, TFont* font,
                    TButtonLayout layout, int margin, int spacing, bool down, bool enabled);

class TBitBtn : public TButton {
    DP_DECLARE_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return m_glyph.get(); }
    void SetGlyph(TBitmap* glyph);
    int32_t NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int32_t v);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout v);
    int32_t Margin() const { return m_margin; }
    void SetMargin(int32_t v);
    int32_t Spacing() const { return m_spacing; }
    void SetSpacing(int32_t v);
    // A kind other than bkCustom gives the button its modal result (and Cancel for bkCancel).
    TBitBtnKind Kind() const { return m_kind; }
    void SetKind(TBitBtnKind v);

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void GlyphChanged(TObject*);
    std::unique_ptr<TBitmap> m_glyph;
    int32_t m_numGlyphs = 1;
    TButtonLayout m_layout = blGlyphLeft;
    int32_t m_margin = -1;
    int32_t m_spacing = 4;
    TBitBtnKind m_kind = bkCustom;
};

class TSpeedButton : public TGraphicControl {
    DP_DECLARE_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return m_glyph.get(); }
    void SetGlyph(TBitmap* glyph);
    int32_t NumGlyphs() const { return m_numGlyphs; }
    void SetNumGlyphs(int32_t v);
    // Buttons of one group index on one parent: at most one is down.
    int32_t GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int32_t v) { m_groupIndex = v; }
    bool Down() const { return m_down; }
    void SetDown(bool v);
    bool AllowAllUp() const { return m_allowAllUp; }
    void SetAllowAllUp(bool v) { m_allowAllUp = v; }
    bool Flat() const { return m_flat; }
    void SetFlat(bool v);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout v);
    int32_t Margin() const { return m_margin; }
    void SetMargin(int32_t v);
    int32_t Spacing() const { return m_spacing; }
    void SetSpacing(int32_t v);
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool v);

    void Click() override;
    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void GlyphChanged(TObject*);
    std::unique_ptr<TBitmap> m_glyph;
    int32_t m_numGlyphs = 1;
    int32_t m_groupIndex = 0;
    bool m_down = false;
    bool m_allowAllUp = false;
    bool m_flat = false;
    TButtonLayout m_layout = blGlyphLeft;
    int32_t m_margin = -1;
    int32_t m_spacing = 4;
    bool m_transparent = true;
    bool m_pressed = false;
    bool m_hot = false;
};
