// The drawing primitives of TinselForm (the form skin itself lives in TinselForm*.cpp).
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/Controls.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormDraw.h"

namespace {

// HALFTONE asks for the brush origin to be set again after it.
void SetHalftone(HDC dc) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
}

// An off-screen surface of the given size (empty when either is 0), HALFTONE stretching.
std::unique_ptr<TBitmap> NewSurface(int32_t width, int32_t height) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(width, height);
    if (!b->Empty()) SetHalftone(b->Canvas()->Handle());
    return b;
}

bool CellOf(TBitmap* strip, int32_t frames, int32_t index, bool vertical, TSkinCell& cell) {
    if (!strip || strip->Empty()) return false;
    return SkinFrameCell(strip->Width(), strip->Height(), frames, index, vertical, cell);
}

// Nothing for an empty side: StretchBlt would mirror a negative one.
void Stretch(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh) {
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
    StretchBlt(dst, x, y, w, h, src, sx, sy, sw, sh, SRCCOPY);
}

bool Inverted(const TRect& r) { return r.right < r.left || r.bottom < r.top; }

// A monochrome mask of the bitmap's top-left width x height pixels: exactly the colour
// white (1), everything else black.
HBITMAP MakeMask(TBitmap* bitmap, COLORREF colour, int width, int height) {
    TBitmap converted;
    TBitmap* src = bitmap;
    if (bitmap->BitsPerPixel() != 24 && bitmap->BitsPerPixel() != 32) {
        converted.Assign(bitmap);
        converted.SetPixelFormat(pf32bit);
        src = &converted;
    }
    const int bpp = src->BitsPerPixel() / 8;
    const uint8_t kr = GetRValue(colour), kg = GetGValue(colour), kb = GetBValue(colour);
    // Rows of a device-dependent monochrome bitmap are padded to 16 bits.
    const int rowBytes = ((width + 15) / 16) * 2;
    std::vector<uint8_t> bits(size_t(rowBytes) * height, 0);
    for (int y = 0; y < height; ++y) {
        const auto* row = static_cast<const uint8_t*>(src->ScanLine(y));
        uint8_t* out = bits.data() + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + size_t(x) * bpp;
            if (p[0] == kb && p[1] == kg && p[2] == kr) out[x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    HBITMAP mask = CreateBitmap(width, height, 1, 1, bits.data());
    if (!mask) throw EOutOfResources(SOutOfResources);
    return mask;
}

// Puts a composed bitmap on at (x, y), whole or with the key colour left out.
void PutComposed(HDC dc, int x, int y, TBitmap* composed, bool transparent) {
    if (composed->Empty()) return;
    const TRect at = Bounds(x, y, composed->Width(), composed->Height());
    if (transparent)
        SkinDrawTransparent(dc, at, composed, TRANSPARENT_KEY);
    else
        BitBlt(dc, x, y, composed->Width(), composed->Height(), composed->Canvas()->Handle(), 0, 0, SRCCOPY);
}

class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : m_dc(dc), m_saved(SaveDC(dc)) {}
    ~TSavedDC() { RestoreDC(m_dc, m_saved); }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

}  // namespace

TBitmap* SkinScratchBitmap() {
    static const std::unique_ptr<TBitmap> scratch = [] {
        auto b = std::make_unique<TBitmap>();
        SetHalftone(b->Canvas()->Handle());
        return b;
    }();
    return scratch.get();
}

std::unique_ptr<TBitmap> SkinMakeFrameBitmap(const TRect& target, TBitmap* strip, const TRect& margins, bool vertical,
                                             bool tile, int32_t frames, int32_t index) {
    const int W = std::max<int>(0, RectWidth(target)), H = std::max<int>(0, RectHeight(target));
    auto result = NewSurface(W, H);
    TSkinCell cell;
    if (result->Empty() || !CellOf(strip, frames, index, vertical, cell)) return result;
    int32_t L = margins.left, R = margins.right, T = margins.top, B = margins.bottom;
    SkinFitMargins(L, R, W, cell.Width);
    SkinFitMargins(T, B, H, cell.Height);

    HDC d = result->Canvas()->Handle();
    HDC s = strip->Canvas()->Handle();
    const int cw = cell.Width, ch = cell.Height;
    // Destination (x1, y1)-(x2, y2) from the cell's (sx1, sy1)-(sx2, sy2).
    auto piece = [&](int x1, int y1, int x2, int y2, int sx1, int sy1, int sx2, int sy2) {
        Stretch(d, x1, y1, x2 - x1, y2 - y1, s, cell.Left + sx1, cell.Top + sy1, sx2 - sx1, sy2 - sy1);
    };
    if (L > 0 && T > 0) piece(0, 0, L, T, 0, 0, L, T);
    if (L > 0 && B > 0) piece(0, H - B, L, H, 0, ch - B, L, ch);
    if (R > 0 && T > 0) piece(W - R, 0, W, T, cw - R, 0, cw, T);
    if (L > 0) piece(0, T, L, H - B, 0, T, L, ch - B);
    if (T > 0) piece(L, 0, W - R, T, L, 0, cw - R, T);
    // The centre before the pieces right and below it: they cover tiles running past it.
    if (tile)
        SkinTileRect(result->Canvas(), Rect(L, T, W - R, H - B), strip,
                     Rect(cell.Left + L, cell.Top + T, cell.Left + cw - R, cell.Top + ch - B));
    else
        piece(L, T, W - R, H - B, L, T, cw - R, ch - B);
    if (R > 0 && B > 0) piece(W - R, H - B, W, H, cw - R, ch - B, cw, ch);
    if (R > 0) piece(W - R, T, W, H - B, cw - R, T, cw, ch - B);
    if (B > 0) piece(L, H - B, W - R, H, L, ch - B, cw - R, ch);
    return result;
}

void SkinDrawFrame(HDC dc, const TRect& target, TBitmap* strip, bool vertical, bool tile, bool transparent,
                   int32_t frames, int32_t index, const TRect& margins) {
    TSkinCell cell;
    if (Inverted(target) || !CellOf(strip, frames, index, vertical, cell)) return;
    auto composed = SkinMakeFrameBitmap(target, strip, margins, vertical, tile, frames, index);
    PutComposed(dc, target.left, target.top, composed.get(), transparent);
}

void SkinDrawFrameTiled3(TCanvas* canvas, const TRect& target, TBitmap* strip, bool vertical, bool transparent,
                         int32_t frames, int32_t index, const TRect& margins) {
    TSkinCell cell;
    if (!canvas || Inverted(target) || !CellOf(strip, frames, index, vertical, cell)) return;
    const int W = RectWidth(target), H = RectHeight(target);
    auto composed = NewSurface(W, H);
    if (composed->Empty()) return;
    int32_t L = std::max<int32_t>(0, margins.left), R = std::max<int32_t>(0, margins.right);
    // Without a middle column there is nothing to repeat: the whole cell is the middle.
    if (int64_t(cell.Width) - L - R < 1) L = R = 0;
    const int M = cell.Width - L - R;

    HDC d = composed->Canvas()->Handle();
    HDC s = strip->Canvas()->Handle();
    Stretch(d, 0, 0, L, H, s, cell.Left, cell.Top, L, cell.Height);
    for (int x = L; x < W - R; x += M) Stretch(d, x, 0, M, H, s, cell.Left + L, cell.Top, M, cell.Height);
    Stretch(d, W - R, 0, R, H, s, cell.Left + cell.Width - R, cell.Top, R, cell.Height);
    if (transparent) {
        composed->SetTransparentColor(TRANSPARENT_KEY);
        composed->SetTransparent(true);
        canvas->Draw(target.left, target.top, composed.get());
    } else {
        BitBlt(canvas->Handle(), target.left, target.top, W, H, d, 0, 0, SRCCOPY);
    }
}

void SkinDrawFrameStretched(HDC dc, const TRect& target, TBitmap* strip, bool transparent, int32_t frames,
                            int32_t index) {
    TSkinCell cell;
    if (Inverted(target) || !CellOf(strip, frames, index, false, cell)) return;
    auto composed = NewSurface(RectWidth(target), RectHeight(target));
    if (composed->Empty()) return;
    Stretch(composed->Canvas()->Handle(), 0, 0, composed->Width(), composed->Height(), strip->Canvas()->Handle(),
            cell.Left, cell.Top, cell.Width, cell.Height);
    PutComposed(dc, target.left, target.top, composed.get(), transparent);
}

void SkinDrawFrameCentered(HDC dc, const TRect& target, TBitmap* strip, bool transparent, int32_t frames,
                           int32_t index) {
    TSkinCell cell;
    if (Inverted(target) || !CellOf(strip, frames, index, false, cell)) return;
    auto composed = NewSurface(cell.Width, cell.Height);
    BitBlt(composed->Canvas()->Handle(), 0, 0, cell.Width, cell.Height, strip->Canvas()->Handle(), cell.Left, cell.Top,
           SRCCOPY);
    // Truncating division: a cell larger than the target starts before it.
    const int x = target.left + (RectWidth(target) - cell.Width) / 2;
    const int y = target.top + (RectHeight(target) - cell.Height) / 2;
    PutComposed(dc, x, y, composed.get(), transparent);
}

void SkinStretchFrame3(HDC dc, const TRect& target, TBitmap* strip, bool vertical, bool, int32_t frames, int32_t index,
                       const TRect& margins) {
    TSkinCell cell;
    const int W = RectWidth(target), H = RectHeight(target);
    if (W <= 0 || H <= 0 || !CellOf(strip, frames, index, vertical, cell)) return;
    HDC s = strip->Canvas()->Handle();
    if (cell.Width > W) {
        Stretch(dc, target.left, target.top, W, H, s, cell.Left, cell.Top, cell.Width, cell.Height);
        return;
    }
    int32_t L = std::max<int32_t>(0, margins.left), R = std::max<int32_t>(0, margins.right);
    if (int64_t(cell.Width) - L - R < 1) L = R = 0;
    Stretch(dc, target.left, target.top, L, H, s, cell.Left, cell.Top, L, cell.Height);
    Stretch(dc, target.left + L, target.top, W - L - R, H, s, cell.Left + L, cell.Top, cell.Width - L - R, cell.Height);
    Stretch(dc, target.right - R, target.top, R, H, s, cell.Left + cell.Width - R, cell.Top, R, cell.Height);
}

TSkinTransparentBlit SkinPlatformTransparentBlit() {
    // The high bit of GetVersion is set on Windows 9x only.
    static const bool nt = (GetVersion() & 0x80000000u) == 0;
    return nt ? TSkinTransparentBlit::MaskBlt : TSkinTransparentBlit::InvertAnd;
}

void SkinDrawTransparent(HDC dc, const TRect& target, TBitmap* bitmap, TColor colour) {
    SkinDrawTransparentBy(SkinPlatformTransparentBlit(), dc, target, bitmap, colour);
}

void SkinDrawTransparentBy(TSkinTransparentBlit how, HDC dc, const TRect& target, TBitmap* bitmap, TColor colour) {
    if (Inverted(target) || !bitmap || bitmap->Empty()) return;
    // Never more than the bitmap has.
    const int w = std::min<int>(RectWidth(target), bitmap->Width());
    const int h = std::min<int>(RectHeight(target), bitmap->Height());
    if (w <= 0 || h <= 0) return;
    HBITMAP mask = MakeMask(bitmap, ColorToRGB(colour), w, h);
    HDC src = bitmap->Canvas()->Handle();
    if (how == TSkinTransparentBlit::MaskBlt) {
        // Mask white: the destination stays; black: the source is copied.
        MaskBlt(dc, target.left, target.top, w, h, src, 0, 0, mask, 0, 0, MAKEROP4(0x00AA0029, SRCCOPY));
    } else {
        HDC maskDC = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(maskDC, mask);
        const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        BitBlt(dc, target.left, target.top, w, h, src, 0, 0, SRCINVERT);
        BitBlt(dc, target.left, target.top, w, h, maskDC, 0, 0, SRCAND);
        BitBlt(dc, target.left, target.top, w, h, src, 0, 0, SRCINVERT);
        SetBkColor(dc, oldBk);
        SetTextColor(dc, oldText);
        SelectObject(maskDC, old);
        DeleteDC(maskDC);
    }
    DeleteObject(mask);
}

namespace {

// The rectangles of one region in the making, handed to ExtCreateRegion in blocks.
class TRegionBlock {
public:
    TRegionBlock() { Restart(); }
    ~TRegionBlock() {
        if (m_result) DeleteObject(m_result);
    }

    void Add(int left, int top, int right, int bottom) {
        if (m_count == m_capacity) {
            m_capacity += kGrowth;
            m_data.resize(sizeof(RGNDATAHEADER) + size_t(m_capacity) * sizeof(RECT));
        }
        RECT r{left, top, right, bottom};
        std::memcpy(m_data.data() + sizeof(RGNDATAHEADER) + size_t(m_count) * sizeof(RECT), &r, sizeof r);
        ++m_count;
        m_bound.left = std::min<LONG>(m_bound.left, left);
        m_bound.top = std::min<LONG>(m_bound.top, top);
        m_bound.right = std::max<LONG>(m_bound.right, right);
        m_bound.bottom = std::max<LONG>(m_bound.bottom, bottom);
        // No single region call gets an unbounded list.
        if (m_count == kFlushAt) Flush();
    }

    void Flush() {
        if (m_count == 0) return;
        RGNDATAHEADER head{};
        head.dwSize = sizeof(RGNDATAHEADER);
        head.iType = RDH_RECTANGLES;
        head.nCount = DWORD(m_count);
        head.nRgnSize = 0;
        head.rcBound = m_bound;
        std::memcpy(m_data.data(), &head, sizeof head);
        HRGN part = ExtCreateRegion(nullptr, DWORD(m_data.size()), reinterpret_cast<const RGNDATA*>(m_data.data()));
        if (!part) throw EOutOfResources(SOutOfResources);
        if (!m_result) {
            m_result = part;
        } else {
            CombineRgn(m_result, m_result, part, RGN_OR);
            DeleteObject(part);
        }
        Restart();
    }

    HRGN Release() {
        Flush();
        HRGN r = m_result ? m_result : CreateRectRgn(0, 0, 0, 0);
        m_result = nullptr;
        return r;
    }

private:
    static constexpr int kGrowth = 500;
    static constexpr int kFlushAt = 2000;

    void Restart() {
        m_count = 0;
        m_bound = RECT{2147483647, 2147483647, 0, 0};
    }

    std::vector<uint8_t> m_data = std::vector<uint8_t>(sizeof(RGNDATAHEADER) + kGrowth * sizeof(RECT));
    int m_capacity = kGrowth;
    int m_count = 0;
    RECT m_bound{};
    HRGN m_result = nullptr;
};

}  // namespace

TSkinRowRuns SkinOpaqueRuns(TBitmap* bitmap, int32_t toleranceBlue, int32_t toleranceGreen, int32_t toleranceRed,
                            TColor key) {
    TSkinRowRuns runs;
    if (!bitmap || bitmap->Empty()) return runs;
    if (bitmap->BitsPerPixel() != 32) bitmap->SetPixelFormat(pf32bit);
    const COLORREF k = ColorToRGB(key);
    auto bounds = [](int value, int32_t tolerance, uint8_t& lo, uint8_t& hi) {
        lo = uint8_t(value);
        hi = uint8_t(std::min<int64_t>(255, value + std::max<int64_t>(0, tolerance)));
    };
    uint8_t bLo, bHi, gLo, gHi, rLo, rHi;
    bounds(GetBValue(k), toleranceBlue, bLo, bHi);
    bounds(GetGValue(k), toleranceGreen, gLo, gHi);
    bounds(GetRValue(k), toleranceRed, rLo, rHi);
    auto keyed = [&](const uint8_t* p) {
        return p[0] >= bLo && p[0] <= bHi && p[1] >= gLo && p[1] <= gHi && p[2] >= rLo && p[2] <= rHi;
    };
    const int width = bitmap->Width();
    runs.Width = width;
    runs.Height = bitmap->Height();
    runs.RowStart.reserve(size_t(runs.Height) + 1);
    for (int y = 0; y < runs.Height; ++y) {
        runs.RowStart.push_back(int32_t(runs.Spans.size()));
        // Row by row: a one-row bitmap has no second row to take a stride from.
        const auto* row = static_cast<const uint8_t*>(bitmap->ScanLine(y));
        int x = 0;
        while (x < width) {
            while (x < width && keyed(row + size_t(x) * 4)) ++x;
            const int x0 = x;
            while (x < width && !keyed(row + size_t(x) * 4)) ++x;
            if (x > x0) runs.Spans.push_back({x0, x});
        }
    }
    runs.RowStart.push_back(int32_t(runs.Spans.size()));
    return runs;
}

HRGN SkinRegionFromParts(const std::vector<TSkinRegionPart>& parts) {
    using TSpan = TSkinRowRuns::TSpan;
    // Each part's rows; a rectangle's span is the same on each of them.
    struct TPlaced {
        TSpan Span;
        int32_t Top, Bottom;
        const TSkinRowRuns* Runs;
    };
    std::vector<TPlaced> placed;
    int32_t top = 0, bottom = 0;
    for (const TSkinRegionPart& p : parts) {
        const TPlaced q = p.Runs ? TPlaced{{p.Rect.left, p.Rect.left}, p.Rect.top, p.Rect.top + p.Runs->Height, p.Runs}
                                 : TPlaced{{std::min(p.Rect.left, p.Rect.right), std::max(p.Rect.left, p.Rect.right)},
                                           std::min(p.Rect.top, p.Rect.bottom),
                                           std::max(p.Rect.top, p.Rect.bottom),
                                           nullptr};
        if (q.Bottom <= q.Top || (!q.Runs && q.Span.Right <= q.Span.Left)) continue;
        if (placed.empty() || q.Top < top) top = q.Top;
        if (placed.empty() || q.Bottom > bottom) bottom = q.Bottom;
        placed.push_back(q);
    }
    TRegionBlock block;
    std::vector<TSpan> row, band;
    int32_t bandTop = top;
    auto emit = [&](int32_t y) {
        for (const TSpan& s : band) block.Add(s.Left, bandTop, s.Right, y);
    };
    for (int32_t y = top; y < bottom; ++y) {
        row.clear();
        for (const TPlaced& q : placed) {
            if (y < q.Top || y >= q.Bottom) continue;
            if (!q.Runs) {
                row.push_back(q.Span);
                continue;
            }
            const size_t r = size_t(y - q.Top);
            for (int32_t k = q.Runs->RowStart[r]; k < q.Runs->RowStart[r + 1]; ++k) {
                const TSpan& s = q.Runs->Spans[size_t(k)];
                row.push_back({s.Left + q.Span.Left, s.Right + q.Span.Left});
            }
        }
        // Spans that touch or overlap become one.
        std::sort(row.begin(), row.end(), [](const TSpan& a, const TSpan& b) { return a.Left < b.Left; });
        size_t n = 0;
        for (const TSpan& s : row) {
            if (n > 0 && s.Left <= row[n - 1].Right)
                row[n - 1].Right = std::max(row[n - 1].Right, s.Right);
            else
                row[n++] = s;
        }
        row.resize(n);
        if (row != band) {
            emit(y);
            band = row;
            bandTop = y;
        }
    }
    emit(bottom);
    return block.Release();
}

HRGN SkinRegionFromBitmap(TBitmap* bitmap, int32_t dx, int32_t dy, int32_t toleranceBlue, int32_t toleranceGreen,
                          int32_t toleranceRed, TColor key) {
    if (!bitmap || bitmap->Empty()) return CreateRectRgn(0, 0, 0, 0);
    const TSkinRowRuns runs = SkinOpaqueRuns(bitmap, toleranceBlue, toleranceGreen, toleranceRed, key);
    return SkinRegionFromParts({TSkinRegionPart{Rect(dx, dy, dx + runs.Width, dy + runs.Height), &runs}});
}

void SkinTileRect(TCanvas* canvas, const TRect& target, TBitmap* bitmap, const TRect& source) {
    const int w = RectWidth(source), h = RectHeight(source);
    if (w < 0 || h < 0 || int64_t(w) * h == 0) return;
    if (!canvas || !bitmap || bitmap->Empty()) return;
    const TRect whole = Rect(0, 0, bitmap->Width(), bitmap->Height());
    TRect src;
    if (!IntersectRect(&src, &source, &whole)) return;
    const int tw = RectWidth(src), th = RectHeight(src);
    const int W = RectWidth(target), H = RectHeight(target);
    if (W <= 0 || H <= 0) return;
    // Tiles go on whole, so the last column and row reach up to here.
    const int spanW = int((int64_t(W) + tw - 1) / tw * tw), spanH = int((int64_t(H) + th - 1) / th * th);
    // A tile repeated into a block of about 256 pixels a side takes far fewer blits than
    // one tile at a time (a one-pixel tile would take one per pixel).
    const int bw = std::min(spanW, std::max(1, 256 / tw) * tw), bh = std::min(spanH, std::max(1, 256 / th) * th);
    TBitmap block;
    block.SetSize(bw, bh);
    HDC b = block.Canvas()->Handle();
    BitBlt(b, 0, 0, tw, th, bitmap->Canvas()->Handle(), src.left, src.top, SRCCOPY);
    for (int filled = tw; filled < bw; filled *= 2)
        BitBlt(b, filled, 0, std::min(filled, bw - filled), th, b, 0, 0, SRCCOPY);
    for (int filled = th; filled < bh; filled *= 2)
        BitBlt(b, 0, filled, bw, std::min(filled, bh - filled), b, 0, 0, SRCCOPY);

    HDC d = canvas->Handle();
    for (int y = 0; y < spanH; y += bh)
        for (int x = 0; x < spanW; x += bw)
            BitBlt(d, target.left + x, target.top + y, std::min(bw, spanW - x), std::min(bh, spanH - y), b, 0, 0,
                   SRCCOPY);
}

void SkinPaintParentBackground(TControl* control, HDC dc) {
    if (!control || !control->Parent() || !dc) return;
    TWinControl* parent = control->Parent();
    // The parent paints with its window's client area: nothing to paint without one.
    if (!parent->HandleAllocated()) return;
    TRect r = control->ClientRect();
    TSavedDC saved(dc);
    OffsetViewportOrgEx(dc, -control->Left(), -control->Top(), nullptr);
    OffsetRect(&r, control->Left(), control->Top());
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}
