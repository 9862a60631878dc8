#include "classlib/Bitmaps.h"

#include <algorithm>
#include <cstring>

#include "classlib/GraphicsInternal.h"

namespace {

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
        const bool ourLayout =
            n == sizeof(DIBSECTION) && ds.dsBm.bmBits && ds.dsBmih.biHeight > 0 &&
            (ds.dsBmih.biCompression == BI_RGB ||
             (ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBmih.biBitCount == 16 && ds.dsBitfields[0] == 0xF800 &&
              ds.dsBitfields[1] == 0x07E0 && ds.dsBitfields[2] == 0x001F));
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
                r = (v >> 11) & 31;
                g = (v >> 5) & 63;
                b = v & 31;
                r = r * 255 / 31;
                g = g * 255 / 63;
                b = b * 255 / 31;
            } else {
                r = (v >> 10) & 31;
                g = (v >> 5) & 31;
                b = v & 31;
                r = r * 255 / 31;
                g = g * 255 / 31;
                b = b * 255 / 31;
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
            if ((PixelColor(x, y) & 0xFFFFFF) == (key & 0xFFFFFF))
                bits[size_t(y) * rowBytes + x / 8] |= 0x80 >> (x % 8);
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
