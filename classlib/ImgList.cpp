#include "classlib/ImgList.h"

#include <algorithm>

#include "classlib/Controls.h"
#include "classlib/FormReader.h"

namespace {

// A top-down 32-bit DIB section selected into a memory DC.
struct Surface {
    Surface(int w, int h) : width(w), height(h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        if (bitmap) old = SelectObject(dc, bitmap);
    }
    ~Surface() {
        if (bitmap) {
            SelectObject(dc, old);
            DeleteObject(bitmap);
        }
        DeleteDC(dc);
    }
    bool Ok() const { return bitmap && bits; }
    uint32_t& At(int x, int y) { return bits[static_cast<size_t>(y) * width + x]; }
    int width, height;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
};

uint32_t ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

}  // namespace

DP_PUBLISHED(TImageList){
    DP_PROP_INT(Width, Width, SetWidth),         DP_PROP_INT(Height, Height, SetHeight),
    DP_PROP_COLOR(BkColor, BkColor, SetBkColor), DP_PROP_BOOL(Masked, Masked, SetMasked),
    DP_PROP_FIELD(OnChange, OnChange),
};

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() { FreeHandle(); }

void TImageList::SetWidth(int32_t v) {
    if (v == m_width) return;
    if (v < 1 || v > 32768) throw EInvalidOperation(SInvalidImageSize);
    m_width = v;
    Clear();
}

void TImageList::SetHeight(int32_t v) {
    if (v == m_height) return;
    if (v < 1 || v > 32768) throw EInvalidOperation(SInvalidImageSize);
    m_height = v;
    Clear();
}

void TImageList::Changed() {
    FreeHandle();
    OnChange(this);
}

void TImageList::FreeHandle() {
    if (m_handle) ImageList_Destroy(m_handle);
    m_handle = nullptr;
}

void TImageList::ReadPixels(TBitmap* bitmap, std::vector<uint32_t>& out) {
    const int w = bitmap->Width(), h = bitmap->Height();
    out.assign(static_cast<size_t>(w) * h, 0);
    Surface s(w, h);
    if (!s.Ok()) return;
    BitBlt(s.dc, 0, 0, w, h, bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; i < out.size(); ++i) out[i] = s.bits[i] & 0xFFFFFF;
}

int TImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image || image->Empty() || image->Width() < m_width || image->Height() < 1) return -1;
    std::vector<uint32_t> src;
    ReadPixels(image, src);
    const int bw = image->Width(), bh = image->Height();
    uint32_t key;
    if (maskColor == clDefault)
        key = src[static_cast<size_t>(bh - 1) * bw];
    else
        key = ToPixel(ColorToRGB(maskColor));
    const int first = Count();
    const int n = bw / m_width;
    for (int k = 0; k < n; ++k) {
        Image img;
        img.pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
        img.opaque.assign(img.pixels.size(), 0);
        for (int y = 0; y < std::min(m_height, bh); ++y)
            for (int x = 0; x < m_width; ++x) {
                const uint32_t p = src[static_cast<size_t>(y) * bw + k * m_width + x];
                const size_t i = static_cast<size_t>(y) * m_width + x;
                img.pixels[i] = p;
                img.opaque[i] = p != key;
            }
        m_images.push_back(std::move(img));
    }
    Changed();
    return first;
}

int TImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Empty() || image->Width() < m_width || image->Height() < 1) return -1;
    std::vector<uint32_t> src, msk;
    ReadPixels(image, src);
    const int bw = image->Width(), bh = image->Height();
    int mw = 0, mh = 0;
    if (mask && !mask->Empty()) {
        ReadPixels(mask, msk);
        mw = mask->Width();
        mh = mask->Height();
    }
    const int first = Count();
    const int n = bw / m_width;
    for (int k = 0; k < n; ++k) {
        Image img;
        img.pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
        img.opaque.assign(img.pixels.size(), 0);
        for (int y = 0; y < std::min(m_height, bh); ++y)
            for (int x = 0; x < m_width; ++x) {
                const int sx = k * m_width + x;
                const size_t i = static_cast<size_t>(y) * m_width + x;
                img.pixels[i] = src[static_cast<size_t>(y) * bw + sx];
                const bool hidden = sx < mw && y < mh && msk[static_cast<size_t>(y) * mw + sx] != 0;
                img.opaque[i] = !hidden;
            }
        m_images.push_back(std::move(img));
    }
    Changed();
    return first;
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count()) throw EInvalidOperation(SImageIndexError);
    m_images.erase(m_images.begin() + index);
    Changed();
}

void TImageList::Clear() {
    m_images.clear();
    Changed();
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
    if (canvas) Draw(canvas->Handle(), x, y, index, enabled);
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
    if (!dc || index < 0 || index >= Count()) return;
    const Image& img = m_images[static_cast<size_t>(index)];
    const int w = m_width + (enabled ? 0 : 1), h = m_height + (enabled ? 0 : 1);
    Surface s(w, h);
    if (!s.Ok()) return;
    // What is under the image stays where the image is transparent.
    BitBlt(s.dc, 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    if (enabled) {
        for (int j = 0; j < m_height; ++j)
            for (int i = 0; i < m_width; ++i) {
                const size_t k = static_cast<size_t>(j) * m_width + i;
                if (img.opaque[k]) s.At(i, j) = img.pixels[k];
            }
    } else {
        const uint32_t light = ToPixel(ColorToRGB(clBtnHighlight));
        const uint32_t shadow = ToPixel(ColorToRGB(clBtnShadow));
        for (int j = 0; j < m_height; ++j)
            for (int i = 0; i < m_width; ++i)
                if (img.opaque[static_cast<size_t>(j) * m_width + i]) s.At(i + 1, j + 1) = light;
        for (int j = 0; j < m_height; ++j)
            for (int i = 0; i < m_width; ++i)
                if (img.opaque[static_cast<size_t>(j) * m_width + i]) s.At(i, j) = shadow;
    }
    BitBlt(dc, x, y, w, h, s.dc, 0, 0, SRCCOPY);
}

bool TImageList::GetBitmap(int index, TBitmap* image) {
    if (!image || index < 0 || index >= Count()) return false;
    image->SetSize(m_width, m_height);
    TCanvas* c = image->Canvas();
    c->FillRect(Rect(0, 0, m_width, m_height));
    Draw(c, 0, 0, index, true);
    return true;
}

HIMAGELIST TImageList::Handle() {
    if (m_handle) return m_handle;
    m_handle = ImageList_Create(m_width, m_height, ILC_COLOR32 | ILC_MASK, std::max(Count(), 1), 4);
    if (!m_handle) return nullptr;
    for (const Image& img : m_images) {
        Surface color(m_width, m_height);
        if (!color.Ok()) continue;
        for (int j = 0; j < m_height; ++j)
            for (int i = 0; i < m_width; ++i) {
                const size_t k = static_cast<size_t>(j) * m_width + i;
                color.At(i, j) = img.opaque[k] ? img.pixels[k] : 0;
            }
        // Monochrome mask: set bits are transparent.
        const int stride = ((m_width + 15) / 16) * 2;
        std::vector<uint8_t> bits(static_cast<size_t>(stride) * m_height, 0);
        for (int j = 0; j < m_height; ++j)
            for (int i = 0; i < m_width; ++i)
                if (!img.opaque[static_cast<size_t>(j) * m_width + i])
                    bits[static_cast<size_t>(j) * stride + i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
        HBITMAP mask = CreateBitmap(m_width, m_height, 1, 1, bits.data());
        SelectObject(color.dc, color.old);
        ImageList_Add(m_handle, color.bitmap, mask);
        SelectObject(color.dc, color.bitmap);
        DeleteObject(mask);
    }
    return m_handle;
}
