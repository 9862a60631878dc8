#include "skin/SkinProgress.h"

#include <commctrl.h>

#include "classlib/GraphicsBase.h"
#include "skin/ImgUtil.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"

DP_PUBLISHED(TSkinProgress){};

int32_t ProgressFill(int32_t length, int32_t position, int32_t min, int32_t max) {
    if (max <= min || position <= min || length <= 0) return 0;
    if (position >= max) return length;
    return static_cast<int32_t>(static_cast<int64_t>(length) * (int64_t(position) - min) / (int64_t(max) - min));
}

TSkinProgress::TSkinProgress(TComponent* owner) : TSkinControl(owner) {}

bool TSkinProgress::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT:
            if (!SkinData->Progress || SkinData->Progress->Bitmap->Empty()) return true;
            HandlePaint(this, message);
            message.Result = 0;
            return false;
        case WM_ERASEBKGND: message.Result = 1; return false;
        default: return TSkinControl::BeforeMessage(message);
    }
}

int32_t TSkinProgress::FilledLength(int32_t length) const {
    PBRANGE range{};
    SendMessageA(Handle, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    const auto position = static_cast<int32_t>(SendMessageA(Handle, PBM_GETPOS, 0, 0));
    return ProgressFill(length, position, range.iLow, range.iHigh);
}

namespace {

// A frame of the element laid out over rect of the work bitmap, magenta left out.
void DrawFrameKeyed(HDC dc, const TRect& rect, TDataSkinObject* e, bool tile, int32_t frames, int32_t index) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    auto b = SkinMakeFrameBitmap(rect, e->Bitmap.get(), e->Margins, false, tile, frames, index);
    if (b && !b->Empty()) SkinDrawTransparent(dc, rect, b.get(), TRANSPARENT_KEY);
}

}  // namespace

void TSkinProgress::DrawSkin(HDC dc, const TRect& rect) {
    TDataSkinBorder* e = SkinData->Progress.get();
    if (!e || e->Bitmap->Empty()) return;
    TDataSkinObject* chunk = SkinData->ProgressChunk.get();
    if (e->Style == 1 && (!chunk || chunk->Bitmap->Empty())) return;
    const bool vertical = (GetWindowLongPtrA(Handle, GWL_STYLE) & PBS_VERTICAL) != 0;
    const int32_t w = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    const int32_t h = vertical ? rect.right - rect.left : rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(w, h);
    HDC wdc = work.Canvas()->Handle();
    const TRect bar{0, 0, w, h};
    FillColour(wdc, bar, SkinData->Colours.ButtonFace);
    const int32_t filled = FilledLength(w);
    if (e->Style != 1) {
        DrawFrameKeyed(wdc, bar, e, e->Tile != 0, 2, 1);
        if (filled > 0) DrawFrameKeyed(wdc, TRect{0, 0, filled, h}, e, e->Tile != 0, 2, 2);
    } else {
        DrawFrameKeyed(wdc, bar, e, false, 1, 1);
        TBitmap* c = chunk->Bitmap.get();
        const int32_t cw = c->Width(), ch = c->Height();
        if (filled > 0 && chunk->Tile == 1) {
            TBitmap strip;
            strip.SetPixelFormat(pf24bit);
            strip.SetSize(filled, ch);
            for (int32_t i = 0, x = 0; i <= filled / cw; ++i, x += cw)
                BitBlt(strip.Canvas()->Handle(), x, 0, cw, ch, c->Canvas()->Handle(), 0, 0, SRCCOPY);
            BitBlt(wdc, chunk->Margins.left + 2, (h - ch) / 2, filled, ch, strip.Canvas()->Handle(), 0, 0, SRCCOPY);
        } else if (filled > 0 && h > 4) {
            TBitmap part;
            part.SetPixelFormat(pf24bit);
            part.SetSize(filled, h - 4);
            SkinStretchFrame3(part.Canvas()->Handle(), TRect{0, 0, filled, h - 4}, c, false, false, 1, 1,
                              chunk->Margins);
            BitBlt(wdc, 2, 2, filled, h - 4, part.Canvas()->Handle(), 0, 0, SRCCOPY);
        }
    }
    if (vertical) RotateBitmapLeft(&work);
    BitBlt(dc, rect.left, rect.top, work.Width(), work.Height(), work.Canvas()->Handle(), 0, 0, SRCCOPY);
}
