// GDI objects with change notification (font, pen, brush), the canvas over a
// device context, and the graphics: DIB-section bitmaps, icons, metafiles and
// the picture that holds any of them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/BmpFile.h"
#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------
// Geometry: the Windows records themselves, so they pass straight to the API.

using TRect = RECT;
using TPoint = POINT;
struct TSize {
    int cx = 0;
    int cy = 0;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) {
    return TRect{left, top, left + width, top + height};
}
inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline int RectWidth(const TRect& r) { return r.right - r.left; }
inline int RectHeight(const TRect& r) { return r.bottom - r.top; }

// ---------------------------------------------------------------------------
// Colours (TColor and the cl* constants are in TypInfo.h).

// A system colour ($FF000000 + index) resolved through GetSysColor; plain colours unchanged.
COLORREF ColorToRGB(TColor color);

constexpr const char* SInvalidGraphic = "Bitmap image is not valid";
constexpr const char* SInvalidIcon = "Icon image is not valid";
constexpr const char* SInvalidMetafile = "Metafile is not valid";
constexpr const char* SUnknownExtension = "Unknown picture file extension (.%s)";
constexpr const char* SOutOfResources = "Out of system resources";
constexpr const char* SNoCanvasHandle = "Canvas does not allow drawing";
constexpr const char* SInvalidPixelFormat = "Invalid pixel format";
constexpr const char* SChangeIconSize = "Cannot change the size of an icon";
constexpr const char* SImageTooLarge = "Image is too large";
constexpr const char* SScanLine = "Scan line index out of range";

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class EResNotFound : public Exception {
public:
    using Exception::Exception;
};
constexpr const char* SResNotFound = "Resource %s not found";

class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

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
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
DP_ENUM_INFO(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
             "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask",
             "pmXor", "pmNotXor")
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
DP_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
             "bsCross", "bsDiagCross")

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

// ---------------------------------------------------------------------------
// Canvas

class TGraphic;

enum TFillStyle { fsSurface, fsBorder };

// Text drawing options of TextRect's extended form.
enum TTextFormats {
    tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
    tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
    tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak
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

// ---------------------------------------------------------------------------
// Graphics

class TGraphic : public TPersistent {
    DP_DECLARE_CLASS(TGraphic, TPersistent)
public:
    TGraphic() = default;
    ~TGraphic() override = default;

    // A new, empty graphic of the same class.
    virtual TGraphic* CreateNew() const = 0;
    virtual bool Empty() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SetWidth(int32_t width) = 0;
    virtual void SetHeight(int32_t height) = 0;
    virtual bool Transparent() const { return m_transparent; }
    virtual void SetTransparent(bool value);
    bool Modified() const { return m_modified; }
    void SetModified(bool value);

    // Reads the graphic's file format from the stream's position.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    // The form of the graphic inside a picture's stored "Data" property.
    virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
    virtual void WriteData(TStream& stream) { SaveToStream(stream); }

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    friend class TPicture;
    // Draws the graphic stretched into r.
    virtual void Draw(TCanvas* canvas, const TRect& r) = 0;
    virtual void Changed();

    bool m_transparent = false;
    bool m_modified = false;
};

using TGraphicFactory = TGraphic* (*)();

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
DP_ENUM_INFO(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit",
             "pfCustom")

enum TTransparentMode { tmAuto, tmFixed };
DP_ENUM_INFO(TTransparentMode, "tmAuto", "tmFixed")

enum TBitmapHandleType { bmDIB, bmDDB };
DP_ENUM_INFO(TBitmapHandleType, "bmDIB", "bmDDB")

class TBitmapCanvas;

// A bitmap held as a DIB section, so pixels are reachable through ScanLine.
// pfDevice bitmaps are 32 bits per pixel. Rows are bottom-up in memory, as in
// the BMP format; ScanLine(0) is the top row.
class TBitmap : public TGraphic {
    DP_DECLARE_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;
    TGraphic* CreateNew() const override { return new TBitmap(); }

    bool Empty() const override { return m_handle == nullptr; }
    int32_t Width() const override { return m_width; }
    int32_t Height() const override { return m_height; }
    // Keep the image's top-left part; new area takes the canvas brush colour.
    void SetWidth(int32_t width) override { SetSize(width, m_height); }
    void SetHeight(int32_t height) override { SetSize(m_width, height); }
    void SetSize(int32_t width, int32_t height);

    TPixelFormat PixelFormat() const { return m_pixelFormat; }
    // Converts the image to the new format.
    void SetPixelFormat(TPixelFormat format);
    bool Monochrome() const { return m_pixelFormat == pf1bit; }
    void SetMonochrome(bool value);
    // Always a DIB section; asking for a device-dependent bitmap changes nothing.
    TBitmapHandleType HandleType() const { return bmDIB; }
    void SetHandleType(TBitmapHandleType) {}

    TCanvas* Canvas();
    // The DIB section; owned by the bitmap.
    HBITMAP Handle() const { return m_handle; }
    // Takes ownership of any bitmap handle (a device-dependent one is turned into
    // a DIB section and freed); nullptr empties the bitmap.
    void SetHandle(HBITMAP bitmap);
    // Gives the handle away; the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();
    // A monochrome mask of the transparent colour (that colour white, the rest
    // black), owned by the bitmap and rebuilt after changes.
    HBITMAP MaskHandle();
    void Mask(TColor transparentColor);
    // Colour tables live in the DIB section: no logical palette, nothing to
    // release or share.
    HPALETTE Palette() const { return nullptr; }
    void Dormant() {}
    void FreeImage() {}

    // Row y (0 = top) of the pixels; raises EInvalidGraphicOperation out of range.
    void* ScanLine(int32_t row);
    int32_t RowStride() const { return m_stride; }
    int32_t BitsPerPixel() const { return m_bitCount; }

    // tmAuto: the bottom-left pixel's colour.
    TColor TransparentColor();
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // BMP files (BITMAPCOREHEADER, BITMAPINFOHEADER and later; 1, 4, 8, 16, 24
    // and 32 bits; RLE4 and RLE8). Raises EInvalidGraphic for anything else.
    void LoadFromStream(TStream& stream) override;
    // BMP at the bitmap's own pixel format.
    void SaveToStream(TStream& stream) override;
    // A bitmap resource (RT_BITMAP) of the module.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    void LoadFromResourceID(HINSTANCE instance, int id);
    // Stored form: a 32-bit length and the BMP bytes.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

    void Assign(TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;
    void Changed() override;
    void AssignTo(TPersistent* dest) const override;

private:
    friend class TBitmapCanvas;
    // Makes a fresh DIB section of the given shape; colours is the colour table
    // for formats up to 8 bits (empty: the format's default table).
    struct Image;
    static Image CreateImage(int32_t width, int32_t height, TPixelFormat format, const std::vector<RGBQUAD>& colours);
    // Frees the current image and takes over img (empty when its handle is null).
    void Install(Image& img);
    // A new image of the given shape with the current pixels copied in (converted by GDI).
    Image Converted(int32_t width, int32_t height, TPixelFormat format);
    void FreeMask();
    HDC CanvasDC();
    // Takes over what the BMP reader made of a file or resource; throws what the reader refused.
    void InstallDib(TBmpResult result, const TDibImage& dib);
    // The colour of a pixel from the bits (0 = top row).
    TColor PixelColor(int32_t x, int32_t y);

    HBITMAP m_handle = nullptr;
    std::vector<RGBQUAD> m_colours;  // colour table of formats up to 8 bits
    HBITMAP m_mask = nullptr;
    void* m_bits = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_stride = 0;
    int32_t m_bitCount = 0;
    TPixelFormat m_pixelFormat = pfDevice;
    TTransparentMode m_transparentMode = tmAuto;
    TColor m_transparentColor = clDefault;
    TColor m_maskColor = clNone;
    std::unique_ptr<TBitmapCanvas> m_canvas;
};

// The canvas of a bitmap: a memory DC with the bitmap selected.
class TBitmapCanvas : public TCanvas {
    DP_DECLARE_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : m_bitmap(bitmap) {}
    ~TBitmapCanvas() override;
    // Frees the memory DC.
    void FreeContext();
    // Around a change of the bitmap's handle: the DC is kept, the bitmap in it changes.
    void BitmapChanging();
    void BitmapChanged();

protected:
    void CreateHandle() override;

private:
    TBitmap* m_bitmap;
    HDC m_memDC = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};

// An icon from an .ico file or a handle.
class TIcon : public TGraphic {
    DP_DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    TGraphic* CreateNew() const override { return new TIcon(); }

    bool Empty() const override { return m_handle == nullptr; }
    int32_t Width() const override { return m_width; }
    int32_t Height() const override { return m_height; }
    // Icons have the size of their image; raise EInvalidGraphicOperation.
    void SetWidth(int32_t) override;
    void SetHeight(int32_t) override;
    // Icons are always drawn with their mask.
    bool Transparent() const override { return true; }
    void SetTransparent(bool) override {}

    HICON Handle() const { return m_handle; }
    // Takes ownership of the icon.
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

    // The first image of an .ico file (the one closest to 32 x 32 when there are several).
    void LoadFromStream(TStream& stream) override;
    // The file bytes read last, else the icon rebuilt as a 32-bit .ico.
    void SaveToStream(TStream& stream) override;
    void Assign(TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;

private:
    void FreeHandle();
    HICON m_handle = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::string m_data;  // the .ico bytes it was read from
};

// An enhanced metafile; .wmf files (placeable or plain) are converted on load.
class TMetafile : public TGraphic {
    DP_DECLARE_CLASS(TMetafile, TGraphic)
public:
    TMetafile();
    ~TMetafile() override;
    TGraphic* CreateNew() const override { return new TMetafile(); }

    bool Empty() const override { return m_handle == nullptr; }
    // Pixels at the screen's resolution.
    int32_t Width() const override { return m_width; }
    int32_t Height() const override { return m_height; }
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    // True: saved as .emf; false: saved as a placeable .wmf.
    bool Enhanced() const { return m_enhanced; }
    void SetEnhanced(bool value) { m_enhanced = value; }

    HENHMETAFILE Handle() const { return m_handle; }
    // Takes ownership of the metafile.
    void SetHandle(HENHMETAFILE metafile);

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;

private:
    void FreeHandle();
    void SizeFromHeader();
    HENHMETAFILE m_handle = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_enhanced = true;
};

// Records drawing into a new enhanced metafile, which it hands to the
// metafile when freed.
class TMetafileCanvas : public TCanvas {
    DP_DECLARE_CLASS(TMetafileCanvas, TCanvas)
public:
    TMetafileCanvas(TMetafile* metafile, HDC reference);
    ~TMetafileCanvas() override;

private:
    TMetafile* m_metafile;
    HDC m_recordDC = nullptr;
};

// Holds one graphic of any class; loads files by their extension.
class TPicture : public TPersistent {
    DP_DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return m_graphic.get(); }
    // A copy of the graphic (nullptr clears the picture).
    void SetGraphic(TGraphic* graphic);
    // These replace a graphic of another class by an empty one of theirs.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* bitmap) { SetGraphic(bitmap); }
    TIcon* Icon();
    void SetIcon(TIcon* icon) { SetGraphic(icon); }
    TMetafile* Metafile();
    void SetMetafile(TMetafile* metafile) { SetGraphic(metafile); }
    int32_t Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int32_t Height() const { return m_graphic ? m_graphic->Height() : 0; }

    // By extension: .bmp, .jpg/.jpeg, .ico, .emf/.wmf. An unknown extension
    // raises EInvalidGraphic; a file that cannot be read leaves the picture as it was.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void Assign(TPersistent* source) override;

    // Registered file formats, for open-dialog filters.
    struct FileFormat {
        std::string Extension;  // "jpg", no dot
        std::string Description;
        TGraphicFactory Create;
        const TClassInfo* Class;
    };
    static std::vector<FileFormat>& FileFormats();
    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   TGraphicFactory create, const TClassInfo* cls);

    TNotifyEvent OnChange;

protected:
    // "Data": the graphic's class name (a length byte and the name) and its ReadData bytes.
    void DefineProperties(TFiler& filer) override;
    void AssignTo(TPersistent* dest) const override;

private:
    void Changed(TObject*);
    void Adopt(TGraphic* graphic);
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    std::unique_ptr<TGraphic> m_graphic;
};

// PNG (8 bits a channel, RGB) of any bitmap, for screenshots people look at.
void SaveBitmapToPNG(TBitmap& bitmap, TStream& stream);
void SaveBitmapToPNGFile(TBitmap& bitmap, const std::string& fileName);

// "All (*.jpg;...)|*.jpg;...|JPEG Image File (*.jpg)|*.jpg|..." for the given
// class and its descendants (nullptr: every registered format).
std::string GraphicFilter(const TClassInfo* graphicClass = nullptr);
std::string GraphicExtension(const TClassInfo* graphicClass);
