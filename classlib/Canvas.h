// Drawing on a device context: the canvas with its font, pen and brush.
#pragma once

#include "classlib/GdiObjects.h"

// ---------------------------------------------------------------------------
// Canvas

class TGraphic;

enum TFillStyle { fsSurface, fsBorder };

// Text drawing options of TextRect's extended form.
enum TTextFormats {
    tfBottom,
    tfCalcRect,
    tfCenter,
    tfEditControl,
    tfEndEllipsis,
    tfPathEllipsis,
    tfExpandTabs,
    tfExternalLeading,
    tfLeft,
    tfModifyString,
    tfNoClip,
    tfNoPrefix,
    tfRight,
    tfRtlReading,
    tfSingleLine,
    tfTop,
    tfVerticalCenter,
    tfWordBreak
};
using TTextFormat = TSet<TTextFormats>;

// Drawing on a device context. The canvas owns its font, pen and brush and
// listens to their OnChange (to take the old GDI object out of the DC before
// it is deleted): give it other attributes through Assign / SetFont, never by
// replacing those objects' OnChange.
class TCanvas : public TPersistent {
    DP_DECLARE_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The device context; a canvas without one asks CreateHandle for it and
    // raises EInvalidGraphicOperation "Canvas does not allow drawing" when none comes.
    HDC Handle();
    // Binds the canvas to a device context it does not own (nullptr unbinds;
    // the objects the canvas selected are taken out again first).
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return m_dc != nullptr; }

    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* font) { m_font->Assign(font); }
    TPen* Pen() const { return m_pen.get(); }
    void SetPen(TPen* pen) { m_pen->Assign(pen); }
    TBrush* Brush() const { return m_brush.get(); }
    void SetBrush(TBrush* brush) { m_brush->Assign(brush); }
    DWORD CopyMode() const { return m_copyMode; }
    void SetCopyMode(DWORD rop) { m_copyMode = rop; }
    TPoint PenPos();
    void SetPenPos(TPoint p) { MoveTo(p.x, p.y); }
    TRect ClipRect();

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.left, r.top, r.right, r.bottom); }
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void DrawFocusRect(const TRect& r);
    void FloodFill(int x, int y, TColor color, TFillStyle style);

    // Graphics at their own size, stretched into a rectangle.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Copies (stretching) from another canvas with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Copies with the pixels of colour drawn as the brush.
    void BrushCopy(const TRect& dest, TBitmap* source, const TRect& sourceRect, TColor color);

    void TextOut(int x, int y, const std::string& text);
    // Text clipped to the rectangle, starting at (x, y).
    void TextRect(const TRect& r, int x, int y, const std::string& text);
    // DrawText with the given formats; tfCalcRect changes r to the text's extent.
    void TextRect(TRect& r, std::string& text, TTextFormat format);
    TSize TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor color);

    // Serialises drawing from several threads; the bitmap canvas also keeps its
    // device context while locked.
    void Lock();
    void Unlock();
    int LockCount() const { return m_lockCount; }
    // Deselects and reselects font, pen and brush.
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void CreateHandle() {}
    void Changing();
    void Changed();
    // Font, pen and brush are realised into the DC only when a drawing call needs them.
    enum : unsigned { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
    void RequiredState(unsigned state);
    void DeselectHandles();

private:
    void FontChanged(TObject*);
    void PenChanged(TObject*);
    void BrushChanged(TObject*);
    void CreateFont();
    void CreatePen();
    void CreateBrush();

    HDC m_dc = nullptr;
    unsigned m_state = 0;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TPen> m_pen;
    std::unique_ptr<TBrush> m_brush;
    DWORD m_copyMode = SRCCOPY;
    int m_lockCount = 0;
    CRITICAL_SECTION m_lock;
    HGDIOBJ m_oldFont = nullptr;
    HGDIOBJ m_oldPen = nullptr;
    HGDIOBJ m_oldBrush = nullptr;
};
