// GDI objects with change notification: font, pen and brush.
#pragma once

#include "classlib/GraphicsBase.h"

// ---------------------------------------------------------------------------
// Font, pen and brush

class TGraphicsObject : public TPersistent {
    DP_DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
    TGraphicsObject() = default;
    ~TGraphicsObject() override = default;
    // Raised after every change of a property (the canvas reselects, controls repaint).
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
DP_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
using TFontStyles = TSet<TFontStyle>;

enum TFontPitch { fpDefault, fpVariable, fpFixed };
DP_ENUM_INFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

using TFontCharset = int32_t;
const TTypeInfo* FontCharsetTypeInfo();  // "TFontCharset" with the *_CHARSET identifiers

class TFont : public TGraphicsObject {
    DP_DECLARE_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;

    // The font handle, created on first use and after each change; owned by the font.
    HFONT Handle();
    // Takes over a font handle: its attributes become the font's properties.
    void SetHandle(HFONT font);

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name);
    // Points; a negative size is a character height in pixels (like Height).
    int32_t Size() const;
    void SetSize(int32_t size);
    // Pixels: negative = character height, positive = cell height.
    int32_t Height() const { return m_height; }
    void SetHeight(int32_t height);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);
    TFontCharset Charset() const { return m_charset; }
    void SetCharset(TFontCharset charset);
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch pitch);
    int32_t PixelsPerInch() const { return m_pixelsPerInch; }
    void SetPixelsPerInch(int32_t ppi) { m_pixelsPerInch = ppi > 0 ? ppi : 96; }

    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    void FreeHandle();

    std::string m_name = "MS Sans Serif";
    int32_t m_height = -11;  // 8 points at 96 pixels per inch
    TColor m_color = clWindowText;
    TFontStyles m_style;
    TFontCharset m_charset = DEFAULT_CHARSET;
    TFontPitch m_pitch = fpDefault;
    int32_t m_pixelsPerInch = 96;
    HFONT m_handle = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
DP_ENUM_INFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame")

enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
DP_ENUM_INFO(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
             "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor")
// The ROP2 code of a pen mode (R2_BLACK...).
int PenModeToRop2(TPenMode mode);

class TPen : public TGraphicsObject {
    DP_DECLARE_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;
    ~TPen() override;

    HPEN Handle();
    void SetHandle(HPEN pen);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t width);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return m_mode; }
    void SetMode(TPenMode mode);

    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    void FreeHandle();

    TColor m_color = clBlack;
    int32_t m_width = 1;
    TPenStyle m_style = psSolid;
    TPenMode m_mode = pmCopy;
    HPEN m_handle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
DP_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross",
             "bsDiagCross")

class TBitmap;

class TBrush : public TGraphicsObject {
    DP_DECLARE_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;
    ~TBrush() override;

    HBRUSH Handle();
    void SetHandle(HBRUSH brush);

    TColor Color() const { return m_color; }
    // Also makes a clear brush solid again, as a colour asks for paint.
    void SetColor(TColor color);
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle style);
    // A pattern brush from the bitmap (not owned; nullptr for none).
    TBitmap* Bitmap() const { return m_bitmap; }
    void SetBitmap(TBitmap* bitmap);

    void Assign(TPersistent* source) override;

protected:
    void Changed() override;

private:
    void FreeHandle();

    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
    TBitmap* m_bitmap = nullptr;
    HBRUSH m_handle = nullptr;
};
