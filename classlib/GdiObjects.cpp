#include "classlib/GdiObjects.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsInternal.h"

// ---------------------------------------------------------------------------
// Font, pen, brush

DP_PUBLISHED(TGraphicsObject){};

void TGraphicsObject::Changed() { OnChange(this); }

const TTypeInfo* FontCharsetTypeInfo() {
    static const TTypeInfo info = dp::MakeIdentInfo("TFontCharset", {{ANSI_CHARSET, "ANSI_CHARSET"},
                                                                     {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
                                                                     {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
                                                                     {MAC_CHARSET, "MAC_CHARSET"},
                                                                     {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
                                                                     {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
                                                                     {JOHAB_CHARSET, "JOHAB_CHARSET"},
                                                                     {GB2312_CHARSET, "GB2312_CHARSET"},
                                                                     {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
                                                                     {GREEK_CHARSET, "GREEK_CHARSET"},
                                                                     {TURKISH_CHARSET, "TURKISH_CHARSET"},
                                                                     {HEBREW_CHARSET, "HEBREW_CHARSET"},
                                                                     {ARABIC_CHARSET, "ARABIC_CHARSET"},
                                                                     {BALTIC_CHARSET, "BALTIC_CHARSET"},
                                                                     {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
                                                                     {THAI_CHARSET, "THAI_CHARSET"},
                                                                     {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
                                                                     {OEM_CHARSET, "OEM_CHARSET"}});
    return &info;
}

DP_PUBLISHED(TFont){
    DP_PROP_IDENTS(Charset, FontCharsetTypeInfo(), Charset, SetCharset),
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_INT(Height, Height, SetHeight),
    DP_PROP_STR(Name, Name, SetName),
    DP_PROP_ENUM(Pitch, Pitch, SetPitch),
    DP_PROP_INT(Size, Size, SetSize),
    DP_PROP_SET(Style, Style, SetStyle),
};

TFont::TFont() : m_pixelsPerInch(ScreenPixelsPerInch()) { m_height = -MulDiv(8, m_pixelsPerInch, 72); }

TFont::~TFont() { FreeHandle(); }

void TFont::FreeHandle() {
    if (m_handle) DeleteObject(m_handle);
    m_handle = nullptr;
}

// Listeners (a canvas, a window using the font) let go of the old handle
// before it is deleted.
void TFont::Changed() {
    HFONT old = m_handle;
    m_handle = nullptr;
    TGraphicsObject::Changed();
    if (old) DeleteObject(old);
}

HFONT TFont::Handle() {
    if (!m_handle) {
        LOGFONTA lf{};
        lf.lfHeight = m_height;
        lf.lfWeight = m_style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = m_style.Contains(fsItalic);
        lf.lfUnderline = m_style.Contains(fsUnderline);
        lf.lfStrikeOut = m_style.Contains(fsStrikeOut);
        lf.lfCharSet = static_cast<BYTE>(m_charset);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = m_pitch == fpFixed ? FIXED_PITCH : m_pitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
        const size_t n = std::min(m_name.size(), size_t(LF_FACESIZE - 1));
        std::memcpy(lf.lfFaceName, m_name.data(), n);
        m_handle = CreateFontIndirectA(&lf);
        if (!m_handle) throw EOutOfResources(SOutOfResources);
    }
    return m_handle;
}

void TFont::SetHandle(HFONT font) {
    LOGFONTA lf{};
    if (font && GetObjectA(font, sizeof(lf), &lf)) {
        m_name = lf.lfFaceName;
        m_height = lf.lfHeight;
        TFontStyles st;
        if (lf.lfWeight >= FW_BOLD) st += fsBold;
        if (lf.lfItalic) st += fsItalic;
        if (lf.lfUnderline) st += fsUnderline;
        if (lf.lfStrikeOut) st += fsStrikeOut;
        m_style = st;
        m_charset = lf.lfCharSet;
        const int pitch = lf.lfPitchAndFamily & 3;
        m_pitch = pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault;
    }
    Changed();
    m_handle = font;
}

void TFont::SetName(const std::string& name) {
    if (name.empty() || name == m_name) return;
    m_name = name;
    Changed();
}

int32_t TFont::Size() const { return -MulDiv(m_height, 72, m_pixelsPerInch); }

void TFont::SetSize(int32_t size) { SetHeight(-MulDiv(size, m_pixelsPerInch, 72)); }

void TFont::SetHeight(int32_t height) {
    if (height == m_height) return;
    m_height = height;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == m_style) return;
    m_style = style;
    Changed();
}

void TFont::SetCharset(TFontCharset charset) {
    if (charset == m_charset) return;
    m_charset = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == m_pitch) return;
    m_pitch = pitch;
    Changed();
}

void TFont::Assign(TPersistent* source) {
    if (auto* f = DynamicAs<TFont>(source)) {
        if (f == this) return;
        const bool same = m_name == f->m_name && m_height == f->m_height && m_color == f->m_color &&
                          m_style == f->m_style && m_charset == f->m_charset && m_pitch == f->m_pitch &&
                          m_pixelsPerInch == f->m_pixelsPerInch;
        if (same) return;
        m_name = f->m_name;
        m_height = f->m_height;
        m_color = f->m_color;
        m_style = f->m_style;
        m_charset = f->m_charset;
        m_pitch = f->m_pitch;
        m_pixelsPerInch = f->m_pixelsPerInch;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

int PenModeToRop2(TPenMode mode) {
    static const int rops[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                               R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                               R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                               R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    const int i = static_cast<int>(mode);
    return i >= 0 && i < 16 ? rops[i] : R2_COPYPEN;
}

DP_PUBLISHED(TPen){
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_ENUM(Mode, Mode, SetMode),
    DP_PROP_ENUM(Style, Style, SetStyle),
    DP_PROP_INT(Width, Width, SetWidth),
};

TPen::~TPen() { FreeHandle(); }

void TPen::FreeHandle() {
    if (m_handle) DeleteObject(m_handle);
    m_handle = nullptr;
}

void TPen::Changed() {
    HPEN old = m_handle;
    m_handle = nullptr;
    TGraphicsObject::Changed();
    if (old) DeleteObject(old);
}

HPEN TPen::Handle() {
    if (!m_handle) {
        static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        const int i = static_cast<int>(m_style);
        m_handle = CreatePen(i >= 0 && i < 7 ? styles[i] : PS_SOLID, m_width, ColorToRGB(m_color));
        if (!m_handle) throw EOutOfResources(SOutOfResources);
    }
    return m_handle;
}

void TPen::SetHandle(HPEN pen) {
    LOGPEN lp{};
    if (pen && GetObjectA(pen, sizeof(lp), &lp)) {
        m_color = FromRGB(lp.lopnColor);
        m_width = lp.lopnWidth.x;
        switch (lp.lopnStyle & PS_STYLE_MASK) {
            case PS_DASH: m_style = psDash; break;
            case PS_DOT: m_style = psDot; break;
            case PS_DASHDOT: m_style = psDashDot; break;
            case PS_DASHDOTDOT: m_style = psDashDotDot; break;
            case PS_NULL: m_style = psClear; break;
            case PS_INSIDEFRAME: m_style = psInsideFrame; break;
            default: m_style = psSolid;
        }
    }
    Changed();
    m_handle = pen;
}

void TPen::SetColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    Changed();
}

void TPen::SetWidth(int32_t width) {
    if (width < 0) width = 0;
    if (width == m_width) return;
    m_width = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == m_style) return;
    m_style = style;
    Changed();
}

// The mode is a DC setting, not part of the pen handle: listeners are told, the handle stays.
void TPen::SetMode(TPenMode mode) {
    if (mode == m_mode) return;
    m_mode = mode;
    TGraphicsObject::Changed();
}

void TPen::Assign(TPersistent* source) {
    if (auto* p = DynamicAs<TPen>(source)) {
        if (p == this) return;
        if (m_color == p->m_color && m_width == p->m_width && m_style == p->m_style && m_mode == p->m_mode) return;
        m_color = p->m_color;
        m_width = p->m_width;
        m_style = p->m_style;
        m_mode = p->m_mode;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

DP_PUBLISHED(TBrush){
    DP_PROP_COLOR(Color, Color, SetColor),
    DP_PROP_ENUM(Style, Style, SetStyle),
};

TBrush::~TBrush() { FreeHandle(); }

void TBrush::FreeHandle() {
    if (m_handle) DeleteObject(m_handle);  // stock objects ignore this
    m_handle = nullptr;
}

void TBrush::Changed() {
    HBRUSH old = m_handle;
    m_handle = nullptr;
    TGraphicsObject::Changed();
    if (old) DeleteObject(old);
}

HBRUSH TBrush::Handle() {
    if (!m_handle) {
        if (m_bitmap && !m_bitmap->Empty()) {
            m_handle = CreatePatternBrush(m_bitmap->Handle());
        } else if (m_style == bsSolid) {
            m_handle = CreateSolidBrush(ColorToRGB(m_color));
        } else if (m_style == bsClear) {
            m_handle = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        } else {
            static const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                          HS_BDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};
            const int i = static_cast<int>(m_style) - bsHorizontal;
            m_handle = CreateHatchBrush(hatches[i >= 0 && i < 6 ? i : 0], ColorToRGB(m_color));
        }
        if (!m_handle) throw EOutOfResources(SOutOfResources);
    }
    return m_handle;
}

void TBrush::SetHandle(HBRUSH brush) {
    LOGBRUSH lb{};
    if (brush && GetObjectA(brush, sizeof(lb), &lb)) {
        m_color = FromRGB(lb.lbColor);
        if (lb.lbStyle == BS_NULL) {
            m_style = bsClear;
        } else if (lb.lbStyle == BS_HATCHED) {
            static const TBrushStyle styles[] = {bsHorizontal, bsVertical, bsFDiagonal,
                                                 bsBDiagonal,  bsCross,    bsDiagCross};
            m_style = lb.lbHatch < 6 ? styles[lb.lbHatch] : bsHorizontal;
        } else {
            m_style = bsSolid;
        }
    }
    m_bitmap = nullptr;
    Changed();
    m_handle = brush;
}

void TBrush::SetColor(TColor color) {
    if (color == m_color && m_style != bsClear) return;
    m_color = color;
    if (m_style == bsClear) m_style = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == m_style) return;
    m_style = style;
    Changed();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
    m_bitmap = bitmap;
    Changed();
}

void TBrush::Assign(TPersistent* source) {
    if (auto* b = DynamicAs<TBrush>(source)) {
        if (b == this) return;
        if (m_color == b->m_color && m_style == b->m_style && m_bitmap == b->m_bitmap) return;
        m_color = b->m_color;
        m_style = b->m_style;
        m_bitmap = b->m_bitmap;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}
