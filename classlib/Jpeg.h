// JPEG images: compressed bytes plus the bitmap they decode to, through libjpeg.
#pragma once

#include <memory>
#include <string>

#include "classlib/Graphics.h"

// Any failure of the codec: "JPEG error #<libjpeg message number>".
class EJPEG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
DP_ENUM_INFO(TJPEGScale, "jsFullSize", "jsHalf", "jsQuarter", "jsEighth")
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
DP_ENUM_INFO(TJPEGPixelFormat, "jf24Bit", "jf8Bit")
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
DP_ENUM_INFO(TJPEGPerformance, "jpBestQuality", "jpBestSpeed")

class TJPEGImage : public TGraphic {
    DP_DECLARE_CLASS(TJPEGImage, TGraphic)
public:
    TJPEGImage();
    ~TJPEGImage() override;
    TGraphic* CreateNew() const override { return new TJPEGImage(); }

    bool Empty() const override { return m_data.empty() && (!m_bitmap || m_bitmap->Empty()); }
    // The decoded size (after Scale).
    int32_t Width() const override { return m_bitmap ? m_bitmap->Width() : 0; }
    int32_t Height() const override { return m_bitmap ? m_bitmap->Height() : 0; }
    // A JPEG's size is its image's; raise EInvalidGraphicOperation.
    void SetWidth(int32_t) override;
    void SetHeight(int32_t) override;

    // Reads every byte from the position to the end and decodes them at once,
    // so a damaged file is refused here (EJPEG) and the image stays as it was.
    void LoadFromStream(TStream& stream) override;
    // The compressed bytes (compressed from the bitmap when there are none).
    void SaveToStream(TStream& stream) override;
    // Stored form: a 32-bit length and the JPEG bytes.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;

    // TJPEGImage copies; TBitmap is compressed with CompressionQuality.
    void Assign(TPersistent* source) override;

    // The decoded image (pf24bit, or pf8bit for jf8Bit); owned by the JPEG image.
    TBitmap* Bitmap() const { return m_bitmap.get(); }
    void DIBNeeded() {}
    // Compresses the bitmap when only the bitmap is there.
    void JPEGNeeded();
    // The compressed bytes.
    const std::string& Data() const { return m_data; }

    TJPEGScale Scale() const { return m_scale; }
    void SetScale(TJPEGScale scale);
    bool Grayscale() const { return m_grayscale; }
    void SetGrayscale(bool value);
    TJPEGPixelFormat PixelFormat() const { return m_pixelFormat; }
    void SetPixelFormat(TJPEGPixelFormat format);
    TJPEGPerformance Performance() const { return m_performance; }
    void SetPerformance(TJPEGPerformance value);
    int32_t CompressionQuality() const { return m_quality; }
    void SetCompressionQuality(int32_t quality);
    bool ProgressiveEncoding() const { return m_progressive; }
    void SetProgressiveEncoding(bool value) { m_progressive = value; }
    bool Smoothing() const { return m_smoothing; }
    void SetSmoothing(bool value);
    // Of the compressed data: the size before scaling.
    int32_t ImageWidth() const { return m_imageWidth; }
    int32_t ImageHeight() const { return m_imageHeight; }

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;
    void AssignTo(TPersistent* dest) const override;

private:
    void Decode();
    // Through JPEGEncoder().
    std::string Encode(TBitmap& bitmap) const;
    void SetTransparent(bool value) override;

    std::string m_data;
    std::unique_ptr<TBitmap> m_bitmap;
    TJPEGScale m_scale = jsFullSize;
    bool m_grayscale = false;
    TJPEGPixelFormat m_pixelFormat = jf24Bit;
    TJPEGPerformance m_performance = jpBestQuality;
    int32_t m_quality = 90;
    bool m_progressive = false;
    bool m_smoothing = true;
    int32_t m_imageWidth = 0;
    int32_t m_imageHeight = 0;
};

// Decodes JPEG bytes into a pf24bit bitmap (raises EJPEG). Limits: at most
// 64 million pixels.
void DecodeJPEG(const std::string& data, TBitmap& bitmap, TJPEGScale scale = jsFullSize, bool grayscale = false,
                bool fast = false);
// Compresses a bitmap (any pixel format) at a quality from 1 to 100 (JpegEncode.cpp).
std::string EncodeJPEG(TBitmap& bitmap, int quality, bool grayscale = false, bool progressive = false);
// How TJPEGImage compresses a bitmap it holds without JPEG bytes: EncodeJPEG when the program
// links the encoder (dp_jpegencoder), else null, and compressing raises EJPEG.
using TJPEGEncoder = std::string (*)(TBitmap& bitmap, int quality, bool grayscale, bool progressive);
TJPEGEncoder& JPEGEncoder();
