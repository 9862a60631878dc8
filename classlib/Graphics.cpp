#include "classlib/Graphics.h"

#include "classlib/PngFile.h"

#include <algorithm>
#include <cstring>

// TJPEGImage lives in Jpeg.cpp; TPicture names it here so that the JPEG code
// is always linked in with the picture.
TGraphic* NewJPEGImage();
const TClassInfo* JPEGImageClassInfo();

COLORREF ColorToRGB(TColor color) {
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}

namespace {

int ScreenPixelsPerInch() {
    static int ppi = [] {
        HDC dc = GetDC(nullptr);
        int v = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return v > 0 ? v : 96;
    }();
    return ppi;
}

TColor FromRGB(COLORREF c) { return static_cast<TColor>(c & 0xFFFFFF); }

// A memory DC with one bitmap selected for the length of a block.
class TempDC {
public:
    explicit TempDC(HBITMAP bitmap) : m_dc(CreateCompatibleDC(nullptr)) {
        if (!m_dc) throw EOutOfResources(SOutOfResources);
        if (bitmap) m_old = SelectObject(m_dc, bitmap);
    }
    ~TempDC() {
        if (m_old) SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    TempDC(const TempDC&) = delete;
    TempDC& operator=(const TempDC&) = delete;
    HDC dc() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

}  // namespace

// ---------------------------------------------------------------------------
// Font, pen, brush

DP_PUBLISHED(TGraphicsObject){};

void TGraphicsObject::Changed() { OnChange(this); }

const TTypeInfo* FontCharsetTypeInfo() {
    static const TTypeInfo info = dp::MakeIdentInfo(
        "TFontCharset", {{ANSI_CHARSET, "ANSI_CHARSET"},
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
    static const int rops[] = {R2_BLACK,   R2_WHITE,   R2_NOP,        R2_NOT,        R2_COPYPEN,    R2_NOTCOPYPEN,
                               R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                               R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
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
            static const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS,
                                          HS_DIAGCROSS};
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
            static const TBrushStyle styles[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross,
                                                 bsDiagCross};
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

// ---------------------------------------------------------------------------
// Canvas

DP_PUBLISHED(TCanvas){};

TCanvas::TCanvas() : m_font(new TFont), m_pen(new TPen), m_brush(new TBrush) {
    InitializeCriticalSection(&m_lock);
    m_font->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
    m_pen->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
    m_brush->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
    SetHandle(nullptr);
    DeleteCriticalSection(&m_lock);
}

HDC TCanvas::Handle() {
    RequiredState(csHandleValid);
    return m_dc;
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == m_dc) return;
    if (m_dc) DeselectHandles();
    m_dc = dc;
    m_oldFont = m_oldPen = m_oldBrush = nullptr;
    m_state = dc ? unsigned(csHandleValid) : 0u;
}

void TCanvas::RequiredState(unsigned state) {
    if ((state & csHandleValid) && !m_dc) {
        CreateHandle();
        if (!m_dc) throw EInvalidGraphicOperation(SNoCanvasHandle);
    }
    const unsigned need = state & ~m_state;
    if (need & csFontValid) CreateFont();
    if (need & csPenValid) CreatePen();
    if (need & csBrushValid) CreateBrush();
}

void TCanvas::CreateFont() {
    HGDIOBJ old = SelectObject(m_dc, m_font->Handle());
    if (!m_oldFont) m_oldFont = old;
    SetTextColor(m_dc, ColorToRGB(m_font->Color()));
    m_state |= csFontValid;
}

void TCanvas::CreatePen() {
    HGDIOBJ old = SelectObject(m_dc, m_pen->Handle());
    if (!m_oldPen) m_oldPen = old;
    SetROP2(m_dc, PenModeToRop2(m_pen->Mode()));
    m_state |= csPenValid;
}

void TCanvas::CreateBrush() {
    HBRUSH b = m_brush->Handle();
    UnrealizeObject(b);
    HGDIOBJ old = SelectObject(m_dc, b);
    if (!m_oldBrush) m_oldBrush = old;
    if (m_brush->Style() == bsSolid) {
        SetBkColor(m_dc, ColorToRGB(m_brush->Color()));
        SetBkMode(m_dc, OPAQUE);
    } else {
        SetBkColor(m_dc, ~ColorToRGB(m_brush->Color()) & 0xFFFFFF);
        SetBkMode(m_dc, TRANSPARENT);
    }
    m_state |= csBrushValid;
}

void TCanvas::DeselectHandles() {
    if (!m_dc) return;
    if ((m_state & csFontValid) && m_oldFont) SelectObject(m_dc, m_oldFont);
    if ((m_state & csPenValid) && m_oldPen) SelectObject(m_dc, m_oldPen);
    if ((m_state & csBrushValid) && m_oldBrush) SelectObject(m_dc, m_oldBrush);
    m_state &= ~(csFontValid | csPenValid | csBrushValid);
}

void TCanvas::FontChanged(TObject*) {
    if ((m_state & csFontValid) && m_dc) {
        SelectObject(m_dc, m_oldFont ? m_oldFont : GetStockObject(SYSTEM_FONT));
        m_state &= ~csFontValid;
    }
}

void TCanvas::PenChanged(TObject*) {
    if ((m_state & csPenValid) && m_dc) {
        SelectObject(m_dc, m_oldPen ? m_oldPen : GetStockObject(BLACK_PEN));
        m_state &= ~csPenValid;
    }
}

void TCanvas::BrushChanged(TObject*) {
    if ((m_state & csBrushValid) && m_dc) {
        SelectObject(m_dc, m_oldBrush ? m_oldBrush : GetStockObject(NULL_BRUSH));
        m_state &= ~csBrushValid;
    }
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

void TCanvas::Lock() {
    EnterCriticalSection(&m_lock);
    ++m_lockCount;
}

void TCanvas::Unlock() {
    --m_lockCount;
    LeaveCriticalSection(&m_lock);
}

TPoint TCanvas::PenPos() {
    RequiredState(csHandleValid);
    POINT p{};
    GetCurrentPositionEx(m_dc, &p);
    return p;
}

TRect TCanvas::ClipRect() {
    RequiredState(csHandleValid);
    RECT r{};
    GetClipBox(m_dc, &r);
    return r;
}

void TCanvas::MoveTo(int x, int y) {
    RequiredState(csHandleValid);
    MoveToEx(m_dc, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(m_dc, x, y);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(m_dc, x1, y1, x2, y2);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::RoundRect(m_dc, x1, y1, x2, y2, x3, y3);
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Ellipse(m_dc, x1, y1, x2, y2);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polygon(m_dc, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty()) return;
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polyline(m_dc, points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::FillRect(const TRect& r) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(m_dc, &r, m_brush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(m_dc, &r, m_brush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::DrawFocusRect(m_dc, &r);
    Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ExtFloodFill(m_dc, x, y, ColorToRGB(color), style == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    Changing();
    RequiredState(csHandleValid);
    graphic->Draw(this, r);
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
    if (!source) return;
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    source->RequiredState(csHandleValid | csBrushValid);
    StretchBlt(m_dc, dest.left, dest.top, RectWidth(dest), RectHeight(dest), source->m_dc, sourceRect.left,
               sourceRect.top, RectWidth(sourceRect), RectHeight(sourceRect), m_copyMode);
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* source, const TRect& sourceRect, TColor color) {
    if (!source || source->Empty()) return;
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    // The brush where the source has the colour, the source everywhere else.
    TBitmap part;
    part.SetPixelFormat(pf32bit);
    part.SetSize(RectWidth(sourceRect), RectHeight(sourceRect));
    part.Canvas()->CopyRect(Rect(0, 0, part.Width(), part.Height()), source->Canvas(), sourceRect);
    part.SetTransparentColor(color);
    part.SetTransparent(true);
    ::FillRect(m_dc, &dest, m_brush->Handle());
    StretchDraw(dest, &part);
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    ::TextOutA(m_dc, x, y, text.data(), static_cast<int>(text.size()));
    SIZE sz{};
    GetTextExtentPoint32A(m_dc, text.data(), static_cast<int>(text.size()), &sz);
    MoveToEx(m_dc, x + sz.cx, y, nullptr);
    Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT options = ETO_CLIPPED;
    if (m_brush->Style() != bsClear) options |= ETO_OPAQUE;
    ExtTextOutA(m_dc, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

void TCanvas::TextRect(TRect& r, std::string& text, TTextFormat format) {
    static const UINT flags[] = {DT_BOTTOM,     DT_CALCRECT,   DT_CENTER,   DT_EDITCONTROL,  DT_END_ELLIPSIS,
                                 DT_PATH_ELLIPSIS, DT_EXPANDTABS, DT_EXTERNALLEADING, DT_LEFT, DT_MODIFYSTRING,
                                 DT_NOCLIP,     DT_NOPREFIX,   DT_RIGHT,    DT_RTLREADING,   DT_SINGLELINE,
                                 DT_TOP,        DT_VCENTER,    DT_WORDBREAK};
    UINT f = 0;
    for (int i = 0; i < 18; ++i)
        if (format.Contains(static_cast<TTextFormats>(i))) f |= flags[i];
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    if (f & DT_MODIFYSTRING) {
        // DrawText may write up to four characters more.
        std::vector<char> buf(text.begin(), text.end());
        buf.resize(text.size() + 5, '\0');
        DrawTextA(m_dc, buf.data(), static_cast<int>(text.size()), &r, f);
        text.assign(buf.data());
    } else {
        DrawTextA(m_dc, text.data(), static_cast<int>(text.size()), &r, f);
    }
    Changed();
}

TSize TCanvas::TextExtent(const std::string& text) {
    RequiredState(csHandleValid | csFontValid);
    SIZE sz{};
    GetTextExtentPoint32A(m_dc, text.data(), static_cast<int>(text.size()), &sz);
    return TSize{sz.cx, sz.cy};
}

TColor TCanvas::Pixels(int x, int y) {
    RequiredState(csHandleValid);
    const COLORREF c = GetPixel(m_dc, x, y);
    return c == CLR_INVALID ? clNone : FromRGB(c);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
    Changing();
    RequiredState(csHandleValid | csPenValid);
    ::SetPixel(m_dc, x, y, ColorToRGB(color));
    Changed();
}

// ---------------------------------------------------------------------------
// TGraphic

DP_PUBLISHED(TGraphic){};

void TGraphic::SetTransparent(bool value) {
    if (value == m_transparent) return;
    m_transparent = value;
    Changed();
}

void TGraphic::SetModified(bool value) {
    if (value)
        Changed();
    else
        m_modified = false;
}

void TGraphic::Changed() {
    m_modified = true;
    OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---------------------------------------------------------------------------
// TBitmap

struct TBitmap::Image {
    HBITMAP handle = nullptr;
    void* bits = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t bitCount = 0;
    TPixelFormat format = pfDevice;
    std::vector<RGBQUAD> colours;
    void Free() {
        if (handle) DeleteObject(handle);
        handle = nullptr;
    }
};

namespace {

constexpr int32_t kMaxDimension = kMaxBmpDimension;
constexpr int64_t kMaxImageBytes = kMaxBmpImageBytes;

int BitsOf(TPixelFormat f) {
    switch (f) {
        case pf1bit: return 1;
        case pf4bit: return 4;
        case pf8bit: return 8;
        case pf15bit:
        case pf16bit: return 16;
        case pf24bit: return 24;
        default: return 32;
    }
}

int64_t StrideOf(int64_t width, int bits) { return DibStride(width, bits); }

RGBQUAD Quad(int r, int g, int b) {
    RGBQUAD q{};
    q.rgbRed = static_cast<BYTE>(r);
    q.rgbGreen = static_cast<BYTE>(g);
    q.rgbBlue = static_cast<BYTE>(b);
    return q;
}

std::vector<RGBQUAD> DefaultColours(TPixelFormat f) {
    std::vector<RGBQUAD> c;
    if (f == pf1bit) {
        c = {Quad(0, 0, 0), Quad(255, 255, 255)};
    } else if (f == pf4bit) {
        static const int vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                       {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                       {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                       {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (auto& v : vga) c.push_back(Quad(v[0], v[1], v[2]));
    } else if (f == pf8bit) {
        // A colour cube of six levels a channel, then a ramp of greys.
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) c.push_back(Quad(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i) {
            const int v = 6 + i * 249 / 39;
            c.push_back(Quad(v, v, v));
        }
    }
    return c;
}

}  // namespace

DP_PUBLISHED(TBitmap){};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    m_canvas.reset();
    FreeMask();
    if (m_handle) DeleteObject(m_handle);
}

TBitmap::Image TBitmap::CreateImage(int32_t width, int32_t height, TPixelFormat format,
                                    const std::vector<RGBQUAD>& colours) {
    Image img;
    img.width = std::max(width, 0);
    img.height = std::max(height, 0);
    img.format = format;
    img.bitCount = BitsOf(format);
    if (img.bitCount <= 8) {
        img.colours = colours.empty() ? DefaultColours(format) : colours;
        img.colours.resize(std::min<size_t>(img.colours.size(), size_t(1) << img.bitCount));
        if (img.colours.empty()) img.colours = DefaultColours(format);
    }
    if (img.width == 0 || img.height == 0) return img;
    if (img.width > kMaxDimension || img.height > kMaxDimension ||
        StrideOf(img.width, img.bitCount) * img.height > kMaxImageBytes)
        throw EInvalidGraphic(SImageTooLarge);
    img.stride = static_cast<int32_t>(StrideOf(img.width, img.bitCount));

    std::vector<uint8_t> buf(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bi = reinterpret_cast<BITMAPINFO*>(buf.data());
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = img.width;
    bi->bmiHeader.biHeight = img.height;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = static_cast<WORD>(img.bitCount);
    bi->bmiHeader.biCompression = BI_RGB;
    if (format == pf16bit) {
        bi->bmiHeader.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(bi->bmiColors, masks, sizeof(masks));
    } else if (img.bitCount <= 8) {
        bi->bmiHeader.biClrUsed = static_cast<DWORD>(img.colours.size());
        std::memcpy(bi->bmiColors, img.colours.data(), img.colours.size() * sizeof(RGBQUAD));
    }
    img.handle = CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &img.bits, nullptr, 0);
    if (!img.handle || !img.bits) throw EOutOfResources(SOutOfResources);
    return img;
}

void TBitmap::Install(Image& img) {
    if (m_canvas) m_canvas->BitmapChanging();
    FreeMask();
    if (m_handle) DeleteObject(m_handle);
    m_handle = img.handle;
    m_bits = img.bits;
    m_width = img.width;
    m_height = img.height;
    m_stride = img.stride;
    m_bitCount = img.bitCount;
    m_pixelFormat = img.format;
    m_colours = std::move(img.colours);
    img.handle = nullptr;
    if (m_canvas) m_canvas->BitmapChanged();
    Changed();
}

TBitmap::Image TBitmap::Converted(int32_t width, int32_t height, TPixelFormat format) {
    const bool samePalette = format == m_pixelFormat;
    Image img = CreateImage(width, height, format, samePalette ? m_colours : std::vector<RGBQUAD>());
    if (!img.handle) return img;
    TempDC dst(img.handle);
    if (!m_handle || width > m_width || height > m_height) {
        // New area takes the brush colour, as a fresh canvas would paint it.
        const COLORREF fill = ColorToRGB(m_canvas ? m_canvas->Brush()->Color() : clWhite);
        HBRUSH b = CreateSolidBrush(fill);
        RECT all{0, 0, width, height};
        ::FillRect(dst.dc(), &all, b);
        DeleteObject(b);
    }
    if (m_handle) {
        const int w = std::min(width, m_width), h = std::min(height, m_height);
        if (samePalette) {
            // Same layout: rows copied as they are (top rows are the last in memory).
            GdiFlush();
            for (int y = 0; y < h; ++y) {
                const auto* src = static_cast<const uint8_t*>(m_bits) + size_t(m_height - 1 - y) * m_stride;
                auto* d = static_cast<uint8_t*>(img.bits) + size_t(img.height - 1 - y) * img.stride;
                if (m_bitCount >= 8 || (w * m_bitCount) % 8 == 0) {
                    std::memcpy(d, src, size_t(w) * m_bitCount / 8 + ((w * m_bitCount) % 8 ? 1 : 0));
                } else {
                    // A partial last byte keeps the fill beyond the old width.
                    const size_t whole = size_t(w) * m_bitCount / 8;
                    std::memcpy(d, src, whole);
                    const int bitsLeft = (w * m_bitCount) % 8;
                    const uint8_t mask = static_cast<uint8_t>(0xFF << (8 - bitsLeft));
                    d[whole] = static_cast<uint8_t>((src[whole] & mask) | (d[whole] & ~mask));
                }
            }
        } else if (img.bitCount <= 8) {
            // Into a colour table: each pixel takes the nearest entry (GDI's own
            // matching is not exact on every platform).
            GdiFlush();
            std::vector<std::pair<TColor, uint8_t>> cache;
            auto nearest = [&](TColor c) -> uint8_t {
                for (const auto& e : cache)
                    if (e.first == c) return e.second;
                int best = 0, bestDist = 1 << 30;
                for (size_t i = 0; i < img.colours.size(); ++i) {
                    const int dr = int(img.colours[i].rgbRed) - (c & 255);
                    const int dg = int(img.colours[i].rgbGreen) - ((c >> 8) & 255);
                    const int db = int(img.colours[i].rgbBlue) - ((c >> 16) & 255);
                    const int dist = dr * dr + dg * dg + db * db;
                    if (dist < bestDist) {
                        bestDist = dist;
                        best = static_cast<int>(i);
                    }
                }
                if (cache.size() > 64) cache.erase(cache.begin());
                cache.emplace_back(c, static_cast<uint8_t>(best));
                return static_cast<uint8_t>(best);
            };
            for (int y = 0; y < h; ++y) {
                auto* d = static_cast<uint8_t*>(img.bits) + size_t(img.height - 1 - y) * img.stride;
                for (int x = 0; x < w; ++x) {
                    const uint8_t i = nearest(PixelColor(x, y));
                    if (img.bitCount == 8) {
                        d[x] = i;
                    } else if (img.bitCount == 4) {
                        d[x / 2] = static_cast<uint8_t>(x % 2 ? (d[x / 2] & 0xF0) | i : (d[x / 2] & 0x0F) | (i << 4));
                    } else {
                        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
                        d[x / 8] = static_cast<uint8_t>(i ? d[x / 8] | bit : d[x / 8] & ~bit);
                    }
                }
            }
        } else {
            BitBlt(dst.dc(), 0, 0, w, h, CanvasDC(), 0, 0, SRCCOPY);
            GdiFlush();
        }
    }
    return img;
}

void TBitmap::SetSize(int32_t width, int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height) return;
    Image img = Converted(width, height, m_pixelFormat);
    Install(img);
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == pfCustom) throw EInvalidGraphic(SInvalidPixelFormat);
    if (format == m_pixelFormat) return;
    if (!m_handle) {
        m_pixelFormat = format;
        m_bitCount = BitsOf(format);
        m_colours = m_bitCount <= 8 ? DefaultColours(format) : std::vector<RGBQUAD>();
        Changed();
        return;
    }
    Image img = Converted(m_width, m_height, format);
    Install(img);
}

void TBitmap::SetMonochrome(bool value) {
    if (value)
        SetPixelFormat(pf1bit);
    else if (m_pixelFormat == pf1bit)
        SetPixelFormat(pfDevice);
}

TCanvas* TBitmap::Canvas() {
    if (!m_canvas) {
        m_canvas.reset(new TBitmapCanvas(this));
        m_canvas->OnChange = TNotifyEvent([this](TObject*) {
            FreeMask();
            Changed();
        });
    }
    return m_canvas.get();
}

HDC TBitmap::CanvasDC() { return Canvas()->Handle(); }

void TBitmap::SetHandle(HBITMAP bitmap) {
    if (bitmap == m_handle) return;
    Image img;
    if (bitmap) {
        DIBSECTION ds{};
        const int n = GetObjectA(bitmap, sizeof(ds), &ds);
        if (n == 0) throw EInvalidGraphic(SInvalidGraphic);
        const bool ourLayout = n == sizeof(DIBSECTION) && ds.dsBm.bmBits && ds.dsBmih.biHeight > 0 &&
                               (ds.dsBmih.biCompression == BI_RGB ||
                                (ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBmih.biBitCount == 16 &&
                                 ds.dsBitfields[0] == 0xF800 && ds.dsBitfields[1] == 0x07E0 &&
                                 ds.dsBitfields[2] == 0x001F));
        if (ourLayout) {
            img.handle = bitmap;
            img.bits = ds.dsBm.bmBits;
            img.width = ds.dsBmih.biWidth;
            img.height = ds.dsBmih.biHeight;
            img.bitCount = ds.dsBmih.biBitCount;
            img.stride = static_cast<int32_t>(StrideOf(img.width, img.bitCount));
            switch (img.bitCount) {
                case 1: img.format = pf1bit; break;
                case 4: img.format = pf4bit; break;
                case 8: img.format = pf8bit; break;
                case 16: img.format = ds.dsBmih.biCompression == BI_BITFIELDS ? pf16bit : pf15bit; break;
                case 24: img.format = pf24bit; break;
                default: img.format = pf32bit;
            }
            if (img.bitCount <= 8) {
                TempDC dc(bitmap);
                RGBQUAD table[256];
                const UINT count = GetDIBColorTable(dc.dc(), 0, 1u << img.bitCount, table);
                img.colours.assign(table, table + count);
                if (img.colours.empty()) img.colours = DefaultColours(img.format);
            }
        } else {
            // A device-dependent (or differently laid out) bitmap becomes one of ours.
            const TPixelFormat f = ds.dsBm.bmBitsPixel == 1 ? pf1bit : pfDevice;
            img = CreateImage(ds.dsBm.bmWidth, std::abs(ds.dsBm.bmHeight), f, {});
            if (img.handle) {
                TempDC src(bitmap);
                TempDC dst(img.handle);
                BitBlt(dst.dc(), 0, 0, img.width, img.height, src.dc(), 0, 0, SRCCOPY);
                GdiFlush();
            }
            DeleteObject(bitmap);
        }
    } else {
        img.format = m_pixelFormat;
        img.bitCount = BitsOf(m_pixelFormat);
    }
    Install(img);
}

HBITMAP TBitmap::ReleaseHandle() {
    if (m_canvas) m_canvas->BitmapChanging();
    HBITMAP h = m_handle;
    m_handle = nullptr;
    m_bits = nullptr;
    m_width = m_height = m_stride = 0;
    FreeMask();
    Changed();
    return h;
}

void TBitmap::FreeMask() {
    if (m_mask) DeleteObject(m_mask);
    m_mask = nullptr;
    m_maskColor = clNone;
}

TColor TBitmap::PixelColor(int32_t x, int32_t y) {
    if (!m_handle || x < 0 || y < 0 || x >= m_width || y >= m_height) return clNone;
    GdiFlush();
    const auto* row = static_cast<const uint8_t*>(m_bits) + size_t(m_height - 1 - y) * m_stride;
    auto fromQuad = [](const RGBQUAD& q) { return TColor(q.rgbRed | (q.rgbGreen << 8) | (q.rgbBlue << 16)); };
    auto indexed = [&](unsigned i) { return i < m_colours.size() ? fromQuad(m_colours[i]) : clBlack; };
    switch (m_bitCount) {
        case 1: return indexed((row[x / 8] >> (7 - x % 8)) & 1);
        case 4: return indexed((row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
        case 8: return indexed(row[x]);
        case 16: {
            const unsigned v = row[x * 2] | (row[x * 2 + 1] << 8);
            int r, g, b;
            if (m_pixelFormat == pf16bit) {
                r = (v >> 11) & 31; g = (v >> 5) & 63; b = v & 31;
                r = r * 255 / 31; g = g * 255 / 63; b = b * 255 / 31;
            } else {
                r = (v >> 10) & 31; g = (v >> 5) & 31; b = v & 31;
                r = r * 255 / 31; g = g * 255 / 31; b = b * 255 / 31;
            }
            return TColor(r | (g << 8) | (b << 16));
        }
        case 24: return TColor(row[x * 3 + 2] | (row[x * 3 + 1] << 8) | (row[x * 3] << 16));
        default: return TColor(row[x * 4 + 2] | (row[x * 4 + 1] << 8) | (row[x * 4] << 16));
    }
}

TColor TBitmap::TransparentColor() {
    if (m_transparentMode == tmFixed && m_transparentColor != clDefault) return m_transparentColor;
    if (!m_handle) return clDefault;
    if (m_pixelFormat == pf1bit) return clWhite;
    return PixelColor(0, m_height - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
    if (color == m_transparentColor && m_transparentMode == (color == clDefault ? tmAuto : tmFixed)) return;
    m_transparentColor = color;
    m_transparentMode = color == clDefault ? tmAuto : tmFixed;
    FreeMask();
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
    if (mode == m_transparentMode) return;
    if (mode == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

HBITMAP TBitmap::MaskHandle() {
    if (!m_handle) return nullptr;
    const TColor key = static_cast<TColor>(ColorToRGB(TransparentColor()));
    if (m_mask && m_maskColor == key) return m_mask;
    FreeMask();
    // Rows of a device-dependent monochrome bitmap are padded to 16 bits.
    const int rowBytes = ((m_width + 15) / 16) * 2;
    std::vector<uint8_t> bits(size_t(rowBytes) * m_height, 0);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if ((PixelColor(x, y) & 0xFFFFFF) == (key & 0xFFFFFF)) bits[size_t(y) * rowBytes + x / 8] |= 0x80 >> (x % 8);
    m_mask = CreateBitmap(m_width, m_height, 1, 1, bits.data());
    if (!m_mask) throw EOutOfResources(SOutOfResources);
    m_maskColor = key;
    return m_mask;
}

void TBitmap::Mask(TColor transparentColor) {
    // The bitmap becomes its own mask: the colour white, everything else black.
    if (!m_handle) return;
    const TColor key = static_cast<TColor>(ColorToRGB(transparentColor)) & 0xFFFFFF;
    Image img = CreateImage(m_width, m_height, pf1bit, {});
    for (int y = 0; y < m_height; ++y) {
        auto* d = static_cast<uint8_t*>(img.bits) + size_t(img.height - 1 - y) * img.stride;
        for (int x = 0; x < m_width; ++x)
            if ((PixelColor(x, y) & 0xFFFFFF) == key) d[x / 8] |= 0x80 >> (x % 8);
    }
    Install(img);
}

void* TBitmap::ScanLine(int32_t row) {
    if (!m_handle || row < 0 || row >= m_height) throw EInvalidGraphicOperation(SScanLine);
    GdiFlush();
    return static_cast<uint8_t*>(m_bits) + size_t(m_height - 1 - row) * m_stride;
}

void TBitmap::Changed() { TGraphic::Changed(); }

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
    if (!m_handle) return;
    HDC dst = canvas->Handle();
    HDC src = CanvasDC();
    const int w = RectWidth(r), h = RectHeight(r);
    if (!Transparent()) {
        StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, m_width, m_height, canvas->CopyMode());
        return;
    }
    HBITMAP mask = MaskHandle();
    TempDC maskDC(mask);
    const COLORREF oldText = SetTextColor(dst, RGB(0, 0, 0));
    const COLORREF oldBk = SetBkColor(dst, RGB(255, 255, 255));
    // Halftone stretching would blend the mask's edges into the XOR passes.
    const int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, m_width, m_height, SRCINVERT);
    StretchBlt(dst, r.left, r.top, w, h, maskDC.dc(), 0, 0, m_width, m_height, SRCAND);
    StretchBlt(dst, r.left, r.top, w, h, src, 0, 0, m_width, m_height, SRCINVERT);
    SetStretchBltMode(dst, oldMode);
    SetTextColor(dst, oldText);
    SetBkColor(dst, oldBk);
}

void TBitmap::Assign(TPersistent* source) {
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* b = DynamicAs<TBitmap>(source)) {
        if (b == this) return;
        Image img = CreateImage(b->m_width, b->m_height, b->m_pixelFormat, b->m_colours);
        if (img.handle) {
            GdiFlush();
            std::memcpy(img.bits, b->m_bits, size_t(img.stride) * img.height);
        }
        m_transparent = b->m_transparent;
        m_transparentColor = b->m_transparentColor;
        m_transparentMode = b->m_transparentMode;
        Install(img);
        return;
    }
    if (auto* g = DynamicAs<TGraphic>(source)) {
        // Any other graphic is drawn onto a fresh image of its size.
        Image img = CreateImage(g->Width(), g->Height(), m_pixelFormat, {});
        Install(img);
        if (m_handle) {
            Canvas()->FillRect(Rect(0, 0, m_width, m_height));
            Canvas()->Draw(0, 0, g);
        }
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::AssignTo(TPersistent* dest) const { TGraphic::AssignTo(dest); }

// --- BMP reading

namespace {

[[noreturn]] void BadBitmap() { throw EInvalidGraphic(SInvalidGraphic); }

// Bitmap files are read whole; pixels past this much of a file are refused as missing.
constexpr int64_t kMaxBmpFileBytes = kMaxImageBytes + (int64_t(16) << 20);

TPixelFormat FormatOf(const TDibImage& dib) {
    switch (dib.BitCount) {
        case 1: return pf1bit;
        case 4: return pf4bit;
        case 8: return pf8bit;
        case 16: return dib.Rgb565 ? pf16bit : pf15bit;
        case 24: return pf24bit;
        default: return pf32bit;
    }
}

}  // namespace

void TBitmap::InstallDib(TBmpResult result, const TDibImage& dib) {
    if (result == TBmpResult::TooLarge) throw EInvalidGraphic(SImageTooLarge);
    if (result != TBmpResult::Ok) BadBitmap();
    std::vector<RGBQUAD> colours;
    for (const TDibColour& c : dib.Colours) colours.push_back(Quad(c.Red, c.Green, c.Blue));
    Image img = CreateImage(dib.Width, dib.Height, FormatOf(dib), colours);
    std::memcpy(img.bits, dib.Bits.data(), dib.Bits.size());
    Install(img);
}

void TBitmap::LoadFromStream(TStream& stream) {
    const int64_t start = stream.Position();
    const int64_t remaining = stream.Size() - start;
    if (remaining <= 0) {
        SetHandle(nullptr);
        return;
    }
    const std::string bytes = stream.ReadString(std::min(remaining, kMaxBmpFileBytes));
    TDibImage dib;
    const TBmpResult result = ReadBmpFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), dib);
    if (result == TBmpResult::Ok) stream.Seek(start + int64_t(dib.End), soBeginning);
    InstallDib(result, dib);
}

void TBitmap::SaveToStream(TStream& stream) {
    if (!m_handle) return;
    GdiFlush();
    const uint32_t colourCount = m_bitCount <= 8 ? static_cast<uint32_t>(m_colours.size()) : 0;
    const uint32_t maskBytes = m_pixelFormat == pf16bit ? 12 : 0;
    const uint32_t imageSize = static_cast<uint32_t>(m_stride) * static_cast<uint32_t>(m_height);
    const uint32_t offBits = 14 + 40 + maskBytes + colourCount * 4;
    stream.WriteU8('B');
    stream.WriteU8('M');
    stream.WriteU32(offBits + imageSize);
    stream.WriteU32(0);
    stream.WriteU32(offBits);
    stream.WriteU32(40);
    stream.WriteI32(m_width);
    stream.WriteI32(m_height);
    stream.WriteU16(1);
    stream.WriteU16(static_cast<uint16_t>(m_bitCount));
    stream.WriteU32(m_pixelFormat == pf16bit ? BI_BITFIELDS : BI_RGB);
    stream.WriteU32(imageSize);
    stream.WriteI32(0);
    stream.WriteI32(0);
    stream.WriteU32(colourCount);
    stream.WriteU32(0);
    if (maskBytes) {
        stream.WriteU32(0xF800);
        stream.WriteU32(0x07E0);
        stream.WriteU32(0x001F);
    }
    for (uint32_t i = 0; i < colourCount; ++i) {
        stream.WriteU8(m_colours[i].rgbBlue);
        stream.WriteU8(m_colours[i].rgbGreen);
        stream.WriteU8(m_colours[i].rgbRed);
        stream.WriteU8(0);
    }
    stream.WriteBuffer(m_bits, imageSize);
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
    HRSRC res = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    if (!res) throw EResNotFound(Format(SResNotFound, name.c_str()));
    HGLOBAL mem = LoadResource(instance, res);
    const void* data = mem ? LockResource(mem) : nullptr;
    const DWORD size = SizeofResource(instance, res);
    if (!data || !size) throw EResNotFound(Format(SResNotFound, name.c_str()));
    TDibImage dib;
    InstallDib(ReadPackedDib(static_cast<const uint8_t*>(data), size, dib), dib);
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
    HRSRC res = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
    if (!res) throw EResNotFound(Format(SResNotFound, IntToStr(id).c_str()));
    HGLOBAL mem = LoadResource(instance, res);
    const void* data = mem ? LockResource(mem) : nullptr;
    const DWORD size = SizeofResource(instance, res);
    if (!data || !size) throw EResNotFound(Format(SResNotFound, IntToStr(id).c_str()));
    TDibImage dib;
    InstallDib(ReadPackedDib(static_cast<const uint8_t*>(data), size, dib), dib);
}

void TBitmap::ReadData(TStream& stream) {
    const uint32_t size = stream.ReadU32();
    if (size > stream.Size() - stream.Position()) BadBitmap();
    std::string bytes = stream.ReadString(size);
    TStringStream s(std::move(bytes));
    LoadFromStream(s);
}

void TBitmap::WriteData(TStream& stream) {
    TMemoryStream s;
    SaveToStream(s);
    stream.WriteU32(static_cast<uint32_t>(s.Size()));
    if (s.Size()) stream.WriteBuffer(s.Memory(), s.Size());
}

// ---------------------------------------------------------------------------
// TBitmapCanvas

DP_PUBLISHED(TBitmapCanvas){};

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
    if (!m_memDC) {
        m_memDC = CreateCompatibleDC(nullptr);
        if (!m_memDC) throw EOutOfResources(SOutOfResources);
        m_oldBitmap = nullptr;
        if (m_bitmap->m_handle) m_oldBitmap = SelectObject(m_memDC, m_bitmap->m_handle);
    }
    SetHandle(m_memDC);
}

void TBitmapCanvas::FreeContext() {
    if (!m_memDC) return;
    SetHandle(nullptr);
    if (m_oldBitmap) SelectObject(m_memDC, m_oldBitmap);
    DeleteDC(m_memDC);
    m_memDC = nullptr;
    m_oldBitmap = nullptr;
}

// The DC stays (with its stretch mode and other settings); only the bitmap in it changes.
void TBitmapCanvas::BitmapChanging() {
    if (m_memDC && m_oldBitmap) {
        SelectObject(m_memDC, m_oldBitmap);
        m_oldBitmap = nullptr;
    }
}

void TBitmapCanvas::BitmapChanged() {
    if (m_memDC && m_bitmap->m_handle) m_oldBitmap = SelectObject(m_memDC, m_bitmap->m_handle);
}

// ---------------------------------------------------------------------------
// TIcon

DP_PUBLISHED(TIcon){};

TIcon::TIcon() { m_transparent = true; }

TIcon::~TIcon() { FreeHandle(); }

void TIcon::FreeHandle() {
    if (m_handle) DestroyIcon(m_handle);
    m_handle = nullptr;
}

void TIcon::SetWidth(int32_t width) {
    if (width != m_width) throw EInvalidGraphicOperation(SChangeIconSize);
}

void TIcon::SetHeight(int32_t height) {
    if (height != m_height) throw EInvalidGraphicOperation(SChangeIconSize);
}

namespace {
void IconSize(HICON icon, int32_t& w, int32_t& h) {
    w = h = 0;
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return;
    BITMAP bm{};
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof(bm), &bm)) {
        w = bm.bmWidth;
        h = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectA(ii.hbmMask, sizeof(bm), &bm)) {
        w = bm.bmWidth;
        h = bm.bmHeight / 2;
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
}

uint16_t GetU16(const std::string& d, size_t at) {
    return static_cast<uint16_t>(uint8_t(d[at]) | (uint8_t(d[at + 1]) << 8));
}
uint32_t GetU32(const std::string& d, size_t at) {
    return uint32_t(uint8_t(d[at])) | (uint32_t(uint8_t(d[at + 1])) << 8) | (uint32_t(uint8_t(d[at + 2])) << 16) |
           (uint32_t(uint8_t(d[at + 3])) << 24);
}

// Whether an icon image's own header promises no more bytes than it has.
bool IconImageFits(const std::string& d, size_t off, size_t size) {
    if (size >= 8 && d.compare(off, 8, "\x89PNG\r\n\x1a\n", 8) == 0) return true;
    if (size < 40 || GetU32(d, off) != 40) return false;
    const int32_t w = static_cast<int32_t>(GetU32(d, off + 4));
    const int32_t h2 = static_cast<int32_t>(GetU32(d, off + 8));
    const uint16_t bits = GetU16(d, off + 14);
    const uint32_t clrUsed = GetU32(d, off + 32);
    if (w <= 0 || h2 <= 0 || w > 1024 || h2 > 2048) return false;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) return false;
    const int64_t h = h2 / 2;
    const int64_t colours = bits <= 8 ? (clrUsed ? clrUsed : (1u << bits)) : 0;
    if (colours > 256) return false;
    const int64_t need = 40 + colours * 4 + StrideOf(w, bits) * h + StrideOf(w, 1) * h;
    return need <= int64_t(size);
}
}  // namespace

void TIcon::LoadFromStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining <= 0) {
        FreeHandle();
        m_width = m_height = 0;
        m_data.clear();
        Changed();
        return;
    }
    if (remaining > (int64_t(16) << 20)) throw EInvalidGraphic(SInvalidIcon);
    std::string d = stream.ReadString(remaining);
    if (d.size() < 6 || GetU16(d, 0) != 0 || GetU16(d, 2) != 1) throw EInvalidGraphic(SInvalidIcon);
    const unsigned count = GetU16(d, 4);
    if (count == 0 || 6 + size_t(count) * 16 > d.size()) throw EInvalidGraphic(SInvalidIcon);
    int best = -1, bestScore = 0;
    for (unsigned i = 0; i < count; ++i) {
        const size_t e = 6 + size_t(i) * 16;
        const int w = uint8_t(d[e]) ? uint8_t(d[e]) : 256;
        const int h = uint8_t(d[e + 1]) ? uint8_t(d[e + 1]) : 256;
        const uint16_t bits = GetU16(d, e + 6);
        const uint32_t size = GetU32(d, e + 8), off = GetU32(d, e + 12);
        if (off > d.size() || size > d.size() - off) continue;
        if (!IconImageFits(d, off, size)) continue;
        // Closest to 32 x 32 first, then the most colours.
        const int score = 100000 - (std::abs(w - 32) + std::abs(h - 32)) * 100 + bits;
        if (best < 0 || score > bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    if (best < 0) throw EInvalidGraphic(SInvalidIcon);
    const size_t e = 6 + size_t(best) * 16;
    const int w = uint8_t(d[e]) ? uint8_t(d[e]) : 256;
    const int h = uint8_t(d[e + 1]) ? uint8_t(d[e + 1]) : 256;
    const uint32_t size = GetU32(d, e + 8), off = GetU32(d, e + 12);
    std::vector<BYTE> image(d.begin() + off, d.begin() + off + size);
    HICON icon = CreateIconFromResourceEx(image.data(), size, TRUE, 0x00030000, w, h, LR_DEFAULTCOLOR);
    if (!icon) throw EInvalidGraphic(SInvalidIcon);
    FreeHandle();
    m_handle = icon;
    m_width = w;
    m_height = h;
    m_data = std::move(d);
    Changed();
}

void TIcon::SaveToStream(TStream& stream) {
    if (!m_data.empty()) {
        stream.WriteString(m_data);
        return;
    }
    if (!m_handle) return;
    // Rebuilt as one 32-bit image with its AND mask.
    ICONINFO ii{};
    if (!GetIconInfo(m_handle, &ii)) throw EInvalidGraphic(SInvalidIcon);
    const int w = m_width, h = m_height;
    const int64_t xorBytes = int64_t(w) * 4 * h, andStride = StrideOf(w, 1), andBytes = andStride * h;
    std::vector<uint8_t> xorBits(size_t(xorBytes), 0), andBits(size_t(andBytes), 0);
    HDC dc = GetDC(nullptr);
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD c[2];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = w;
    bi.h.biHeight = h;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 32;
    if (ii.hbmColor) GetDIBits(dc, ii.hbmColor, 0, h, xorBits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    bi.h.biBitCount = 1;
    if (ii.hbmMask) GetDIBits(dc, ii.hbmMask, 0, h, andBits.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    const uint32_t imageSize = static_cast<uint32_t>(40 + xorBytes + andBytes);
    stream.WriteU16(0);
    stream.WriteU16(1);
    stream.WriteU16(1);
    stream.WriteU8(static_cast<uint8_t>(w >= 256 ? 0 : w));
    stream.WriteU8(static_cast<uint8_t>(h >= 256 ? 0 : h));
    stream.WriteU8(0);
    stream.WriteU8(0);
    stream.WriteU16(1);
    stream.WriteU16(32);
    stream.WriteU32(imageSize);
    stream.WriteU32(22);
    stream.WriteU32(40);
    stream.WriteI32(w);
    stream.WriteI32(h * 2);
    stream.WriteU16(1);
    stream.WriteU16(32);
    stream.WriteU32(BI_RGB);
    stream.WriteU32(static_cast<uint32_t>(xorBytes + andBytes));
    stream.WriteU32(0);
    stream.WriteU32(0);
    stream.WriteU32(0);
    stream.WriteU32(0);
    stream.WriteBuffer(xorBits.data(), xorBytes);
    stream.WriteBuffer(andBits.data(), andBytes);
}

void TIcon::SetHandle(HICON icon) {
    if (icon == m_handle) return;
    FreeHandle();
    m_handle = icon;
    m_data.clear();
    IconSize(icon, m_width, m_height);
    Changed();
}

HICON TIcon::ReleaseHandle() {
    HICON h = m_handle;
    m_handle = nullptr;
    m_width = m_height = 0;
    m_data.clear();
    Changed();
    return h;
}

void TIcon::Assign(TPersistent* source) {
    if (!source) {
        FreeHandle();
        m_width = m_height = 0;
        m_data.clear();
        Changed();
        return;
    }
    if (auto* i = DynamicAs<TIcon>(source)) {
        if (i == this) return;
        FreeHandle();
        m_handle = i->m_handle ? CopyIcon(i->m_handle) : nullptr;
        m_width = i->m_width;
        m_height = i->m_height;
        m_data = i->m_data;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
    if (!m_handle) return;
    DrawIconEx(canvas->Handle(), r.left, r.top, m_handle, RectWidth(r), RectHeight(r), 0, nullptr, DI_NORMAL);
}

// ---------------------------------------------------------------------------
// TMetafile

DP_PUBLISHED(TMetafile){};

TMetafile::TMetafile() { m_transparent = true; }

TMetafile::~TMetafile() { FreeHandle(); }

void TMetafile::FreeHandle() {
    if (m_handle) DeleteEnhMetaFile(m_handle);
    m_handle = nullptr;
}

void TMetafile::SetWidth(int32_t width) {
    if (width == m_width) return;
    m_width = width;
    Changed();
}

void TMetafile::SetHeight(int32_t height) {
    if (height == m_height) return;
    m_height = height;
    Changed();
}

void TMetafile::SizeFromHeader() {
    m_width = m_height = 0;
    ENHMETAHEADER hdr{};
    if (!m_handle || !GetEnhMetaFileHeader(m_handle, sizeof(hdr), &hdr)) return;
    // The frame is in hundredths of a millimetre.
    const int ppi = ScreenPixelsPerInch();
    m_width = MulDiv(hdr.rclFrame.right - hdr.rclFrame.left, ppi, 2540);
    m_height = MulDiv(hdr.rclFrame.bottom - hdr.rclFrame.top, ppi, 2540);
    if (m_width <= 0 || m_height <= 0) {
        m_width = hdr.rclBounds.right - hdr.rclBounds.left + 1;
        m_height = hdr.rclBounds.bottom - hdr.rclBounds.top + 1;
    }
}

void TMetafile::LoadFromStream(TStream& stream) {
    const int64_t remaining = stream.Size() - stream.Position();
    if (remaining <= 0) {
        FreeHandle();
        m_width = m_height = 0;
        Changed();
        return;
    }
    if (remaining > (int64_t(64) << 20)) throw EInvalidGraphic(SInvalidMetafile);
    const std::string d = stream.ReadString(remaining);
    const auto* bytes = reinterpret_cast<const BYTE*>(d.data());
    HENHMETAFILE emf = nullptr;
    int32_t w = -1, h = -1;
    bool enhanced = true;
    if (d.size() >= 88 && GetU32(d, 0) == EMR_HEADER && GetU32(d, 40) == ENHMETA_SIGNATURE) {
        const uint32_t total = GetU32(d, 48);
        const uint32_t headerSize = GetU32(d, 4);
        if (total < headerSize || total > d.size() || headerSize < 88) throw EInvalidGraphic(SInvalidMetafile);
        emf = SetEnhMetaFileBits(total, bytes);
    } else if (d.size() >= 22 + 18 && GetU32(d, 0) == 0x9AC6CDD7u) {
        // Placeable metafile: a bounding box in logical units and their count per inch.
        const int16_t left = static_cast<int16_t>(GetU16(d, 6)), top = static_cast<int16_t>(GetU16(d, 8));
        const int16_t right = static_cast<int16_t>(GetU16(d, 10)), bottom = static_cast<int16_t>(GetU16(d, 12));
        int inch = GetU16(d, 14);
        if (inch == 0) inch = 1440;
        const uint32_t words = GetU32(d, 22 + 6);
        if (GetU16(d, 22 + 2) != 9 || uint64_t(words) * 2 > d.size() - 22) throw EInvalidGraphic(SInvalidMetafile);
        METAFILEPICT mfp{};
        mfp.mm = MM_ANISOTROPIC;
        mfp.xExt = MulDiv(right - left, 2540, inch);
        mfp.yExt = MulDiv(bottom - top, 2540, inch);
        emf = SetWinMetaFileBits(words * 2, bytes + 22, nullptr, &mfp);
        const int ppi = ScreenPixelsPerInch();
        w = MulDiv(std::abs(right - left), ppi, inch);
        h = MulDiv(std::abs(bottom - top), ppi, inch);
        enhanced = false;
    } else if (d.size() >= 18 && (GetU16(d, 0) == 1 || GetU16(d, 0) == 2) && GetU16(d, 2) == 9) {
        const uint32_t words = GetU32(d, 6);
        if (uint64_t(words) * 2 > d.size() || words < 9) throw EInvalidGraphic(SInvalidMetafile);
        emf = SetWinMetaFileBits(words * 2, bytes, nullptr, nullptr);
        enhanced = false;
    } else {
        throw EInvalidGraphic(SInvalidMetafile);
    }
    if (!emf) throw EInvalidGraphic(SInvalidMetafile);
    FreeHandle();
    m_handle = emf;
    m_enhanced = enhanced;
    SizeFromHeader();
    if (w > 0 && h > 0) {
        m_width = w;
        m_height = h;
    }
    Changed();
}

void TMetafile::SaveToStream(TStream& stream) {
    if (!m_handle) return;
    if (m_enhanced) {
        const UINT size = GetEnhMetaFileBits(m_handle, 0, nullptr);
        std::vector<BYTE> buf(size);
        GetEnhMetaFileBits(m_handle, size, buf.data());
        stream.WriteBuffer(buf.data(), size);
        return;
    }
    HDC dc = GetDC(nullptr);
    const UINT size = GetWinMetaFileBits(m_handle, 0, nullptr, MM_ANISOTROPIC, dc);
    std::vector<BYTE> buf(size);
    GetWinMetaFileBits(m_handle, size, buf.data(), MM_ANISOTROPIC, dc);
    ReleaseDC(nullptr, dc);
    // Placeable header: the image's size at the screen's resolution.
    const uint16_t inch = static_cast<uint16_t>(ScreenPixelsPerInch());
    uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<uint16_t>(m_width), static_cast<uint16_t>(m_height),
                          inch, 0, 0};
    uint16_t sum = 0;
    for (uint16_t v : words) sum ^= v;
    for (uint16_t v : words) stream.WriteU16(v);
    stream.WriteU16(sum);
    stream.WriteBuffer(buf.data(), size);
}

void TMetafile::SetHandle(HENHMETAFILE metafile) {
    if (metafile == m_handle) return;
    FreeHandle();
    m_handle = metafile;
    SizeFromHeader();
    Changed();
}

void TMetafile::Assign(TPersistent* source) {
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    if (auto* m = DynamicAs<TMetafile>(source)) {
        if (m == this) return;
        FreeHandle();
        m_handle = m->m_handle ? CopyEnhMetaFileA(m->m_handle, nullptr) : nullptr;
        m_width = m->m_width;
        m_height = m->m_height;
        m_enhanced = m->m_enhanced;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TMetafile::Draw(TCanvas* canvas, const TRect& r) {
    if (!m_handle) return;
    PlayEnhMetaFile(canvas->Handle(), m_handle, &r);
}

DP_PUBLISHED(TMetafileCanvas){};

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC reference) : m_metafile(metafile) {
    RECT frame{};
    RECT* pframe = nullptr;
    if (metafile && metafile->Width() > 0 && metafile->Height() > 0) {
        const int ppi = ScreenPixelsPerInch();
        frame = Rect(0, 0, MulDiv(metafile->Width(), 2540, ppi), MulDiv(metafile->Height(), 2540, ppi));
        pframe = &frame;
    }
    m_recordDC = CreateEnhMetaFileA(reference, nullptr, pframe, nullptr);
    if (!m_recordDC) throw EOutOfResources(SOutOfResources);
    SetHandle(m_recordDC);
}

TMetafileCanvas::~TMetafileCanvas() {
    SetHandle(nullptr);
    HENHMETAFILE emf = CloseEnhMetaFile(m_recordDC);
    if (m_metafile && emf) {
        const int32_t w = m_metafile->Width(), h = m_metafile->Height();
        m_metafile->SetHandle(emf);
        if (w > 0 && h > 0) {
            m_metafile->SetWidth(w);
            m_metafile->SetHeight(h);
        }
    } else if (emf) {
        DeleteEnhMetaFile(emf);
    }
}

// ---------------------------------------------------------------------------
// TPicture

DP_PUBLISHED(TPicture){};

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

std::vector<TPicture::FileFormat>& TPicture::FileFormats() {
    static std::vector<FileFormat> formats = {
        {"jpg", "JPEG Image File", &NewJPEGImage, JPEGImageClassInfo()},
        {"jpeg", "JPEG Image File", &NewJPEGImage, JPEGImageClassInfo()},
        {"bmp", "Bitmaps", [] { return static_cast<TGraphic*>(new TBitmap); }, &TBitmap::StaticClassInfo()},
        {"ico", "Icons", [] { return static_cast<TGraphic*>(new TIcon); }, &TIcon::StaticClassInfo()},
        {"emf", "Enhanced Metafiles", [] { return static_cast<TGraphic*>(new TMetafile); },
         &TMetafile::StaticClassInfo()},
        {"wmf", "Metafiles", [] { return static_cast<TGraphic*>(new TMetafile); }, &TMetafile::StaticClassInfo()},
    };
    return formats;
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicFactory create, const TClassInfo* cls) {
    auto& formats = FileFormats();
    for (auto& f : formats)
        if (SameText(f.Extension, extension)) {
            f = {LowerCase(extension), description, create, cls};
            return;
        }
    formats.push_back({LowerCase(extension), description, create, cls});
}

void TPicture::Changed(TObject*) { OnChange(this); }

void TPicture::Adopt(TGraphic* graphic) {
    m_graphic.reset(graphic);
    if (m_graphic) m_graphic->OnChange = TNotifyEvent([this](TObject* s) { Changed(s); });
    Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
    if (graphic == m_graphic.get()) return;
    if (!graphic) {
        Adopt(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> copy(graphic->CreateNew());
    copy->Assign(graphic);
    Adopt(copy.release());
}

TBitmap* TPicture::Bitmap() {
    if (!m_graphic || !m_graphic->Is<TBitmap>()) Adopt(new TBitmap);
    return static_cast<TBitmap*>(m_graphic.get());
}

TIcon* TPicture::Icon() {
    if (!m_graphic || !m_graphic->Is<TIcon>()) Adopt(new TIcon);
    return static_cast<TIcon*>(m_graphic.get());
}

TMetafile* TPicture::Metafile() {
    if (!m_graphic || !m_graphic->Is<TMetafile>()) Adopt(new TMetafile);
    return static_cast<TMetafile*>(m_graphic.get());
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext = ExtractFileExt(fileName);
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    for (const auto& f : FileFormats()) {
        if (SameText(f.Extension, ext)) {
            std::unique_ptr<TGraphic> g(f.Create());
            g->LoadFromFile(fileName);
            Adopt(g.release());
            return;
        }
    }
    throw EInvalidGraphic(Format(SUnknownExtension, ext.c_str()));
}

void TPicture::SaveToFile(const std::string& fileName) {
    if (m_graphic) m_graphic->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
    } else if (auto* p = DynamicAs<TPicture>(source)) {
        if (p != this) SetGraphic(p->Graphic());
    } else if (auto* g = DynamicAs<TGraphic>(source)) {
        SetGraphic(g);
    } else {
        TPersistent::Assign(source);
    }
}

void TPicture::AssignTo(TPersistent* dest) const {
    if (m_graphic && dest && dest->InheritsFrom(m_graphic->ClassType()))
        dest->Assign(m_graphic.get());
    else
        TPersistent::AssignTo(dest);
}

void TPicture::DefineProperties(TFiler& filer) {
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); },
        m_graphic && !m_graphic->Empty());
}

void TPicture::ReadData(TStream& stream) {
    const uint8_t len = stream.ReadU8();
    const std::string name = stream.ReadString(len);
    for (const auto& f : FileFormats()) {
        if (SameText(f.Class->Name, name)) {
            std::unique_ptr<TGraphic> g(f.Create());
            g->ReadData(stream);
            Adopt(g.release());
            return;
        }
    }
    throw EInvalidGraphic(Format("Unknown picture class %s", name.c_str()));
}

void TPicture::WriteData(TStream& stream) {
    if (!m_graphic) return;
    const std::string name = m_graphic->ClassName();
    stream.WriteU8(static_cast<uint8_t>(name.size()));
    stream.WriteString(name);
    m_graphic->WriteData(stream);
}

std::string GraphicFilter(const TClassInfo* graphicClass) {
    std::string all, parts;
    for (const auto& f : TPicture::FileFormats()) {
        if (graphicClass && !f.Class->InheritsFrom(graphicClass)) continue;
        const std::string mask = "*." + f.Extension;
        if (!all.empty()) all += ";";
        all += mask;
        parts += "|" + f.Description + " (" + mask + ")|" + mask;
    }
    if (all.empty()) return {};
    return "All (" + all + ")|" + all + parts;
}

std::string GraphicExtension(const TClassInfo* graphicClass) {
    for (const auto& f : TPicture::FileFormats())
        if (f.Class == graphicClass) return f.Extension;
    return {};
}

// ---------------------------------------------------------------------------
// PNG writing

void SaveBitmapToPNG(TBitmap& bitmap, TStream& stream) {
    if (bitmap.Empty()) throw EInvalidGraphicOperation(SInvalidGraphic);
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    const int w = copy.Width(), h = copy.Height();
    std::vector<uint32_t> pixels;
    pixels.reserve(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const auto* p = static_cast<const uint8_t*>(copy.ScanLine(y));
        for (int x = 0; x < w; ++x)
            pixels.push_back((uint32_t(p[x * 3 + 2]) << 16) | (uint32_t(p[x * 3 + 1]) << 8) | p[x * 3]);
    }
    std::string png;
    if (!WritePng(w, h, pixels, png)) throw EOutOfResources(SOutOfResources);
    stream.WriteString(png);
}

void SaveBitmapToPNGFile(TBitmap& bitmap, const std::string& fileName) {
    TFileStream stream(fileName, fmCreate);
    SaveBitmapToPNG(bitmap, stream);
}
