#include "classlib/Canvas.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsInternal.h"

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
    static const UINT flags[] = {DT_BOTTOM,        DT_CALCRECT,   DT_CENTER,          DT_EDITCONTROL, DT_END_ELLIPSIS,
                                 DT_PATH_ELLIPSIS, DT_EXPANDTABS, DT_EXTERNALLEADING, DT_LEFT,        DT_MODIFYSTRING,
                                 DT_NOCLIP,        DT_NOPREFIX,   DT_RIGHT,           DT_RTLREADING,  DT_SINGLELINE,
                                 DT_TOP,           DT_VCENTER,    DT_WORDBREAK};
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
