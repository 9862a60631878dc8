#include "classlib/BitmapFiles.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsInternal.h"

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
