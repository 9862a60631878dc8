// The graphic base class, DIB-section bitmaps and the bitmap canvas.
#pragma once

#include "classlib/BmpFile.h"
#include "classlib/Canvas.h"

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
