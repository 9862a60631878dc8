// Painting the form skin's frame: the four border pieces, the caption (composed
// off-screen and put on in one blit) with its title text and caption buttons, the window
// icon and the menu bar strip.
#include <windows.h>

#include <algorithm>

#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

namespace {

TBitmap* StripOf(const TWinSysButton& b) { return b.Record ? b.Record->Bitmap.get() : nullptr; }

bool HasStrip(const TWinSysButton& b) {
    TBitmap* s = StripOf(b);
    return s && !s->Empty() && b.Record->Frames >= 1;
}

// One cell of a button's strip stretched over its rectangle, key-coloured pixels left out,
// straight from the strip: caption buttons are drawn on every frame paint.
void DrawButtonCell(HDC dc, const TWinSysButton& b, int32_t frame) {
    TBitmap* strip = StripOf(b);
    const TRect cell = SkinFrameRect(strip, b.Record->Frames, frame, false);
    if (RectWidth(cell) <= 0 || RectHeight(cell) <= 0 || RectWidth(b.Rect) <= 0 || RectHeight(b.Rect) <= 0) return;
    TransparentBlt(dc, b.Rect.left, b.Rect.top, RectWidth(b.Rect), RectHeight(b.Rect), strip->Canvas()->Handle(),
                   cell.left, cell.top, RectWidth(cell), RectHeight(cell), ColorToRGB(TRANSPARENT_KEY));
}

// The button's cell put into a 32-bit surface at its rectangle, key-coloured pixels left out,
// as DrawButtonCell puts it (cells are drawn at their own size, so the stretch is a copy): the
// cell is made once per frame and size, and only its opaque runs are copied.
void PutButtonCell(TBitmap* surface, TWinSysButton& b, int32_t frame) {
    TBitmap* strip = StripOf(b);
    const TRect cell = SkinFrameRect(strip, b.Record->Frames, frame, false);
    const int32_t w = RectWidth(b.Rect), h = RectHeight(b.Rect);
    if (RectWidth(cell) <= 0 || RectHeight(cell) <= 0 || w <= 0 || h <= 0) return;
    TWinSysButton::TCellCache& c = b.Cell;
    if (!c.Bitmap || c.Frame != frame || c.Width != w || c.Height != h) {
        c.Bitmap = std::make_unique<TBitmap>();
        c.Bitmap->SetSize(w, h);
        c.Frame = 0;
        if (c.Bitmap->Empty()) return;
        StretchBlt(c.Bitmap->Canvas()->Handle(), 0, 0, w, h, strip->Canvas()->Handle(), cell.left, cell.top,
                   RectWidth(cell), RectHeight(cell), SRCCOPY);
        c.Runs = SkinOpaqueRuns(c.Bitmap.get(), 0, 0, 0, TRANSPARENT_KEY);
        c.Frame = frame;
        c.Width = w;
        c.Height = h;
    }
    GdiFlush();
    const int32_t sw = surface->Width(), sh = surface->Height();
    for (int32_t y = 0; y < h; ++y) {
        const int32_t ty = b.Rect.top + y;
        if (ty < 0 || ty >= sh) continue;
        auto* to = static_cast<uint32_t*>(surface->ScanLine(ty));
        const auto* from = static_cast<const uint32_t*>(c.Bitmap->ScanLine(y));
        for (int32_t k = c.Runs.RowStart[size_t(y)]; k < c.Runs.RowStart[size_t(y) + 1]; ++k) {
            const TSkinRowRuns::TSpan& s = c.Runs.Spans[size_t(k)];
            const int32_t x0 = std::max<int32_t>(s.Left, -b.Rect.left),
                          x1 = std::min<int32_t>(s.Right, sw - b.Rect.left);
            if (x1 > x0) std::copy(from + x0, from + x1, to + b.Rect.left + x0);
        }
    }
}

}  // namespace

TTinselForm::TPieceCache* TTinselForm::BorderPiece(int index, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0 || !SkinData) return nullptr;
    const TDataSkinBorder* piece = SkinData->Borders[static_cast<size_t>(index - 1)].get();
    if (!piece || !piece->Bitmap || piece->Bitmap->Empty()) return nullptr;
    const int32_t frame = (ActiveFlag || piece->Frames <= 1) ? 1 : 2;
    TPieceCache& cache = FPieces[index - 1];
    if (!cache.Bitmap || cache.Width != w || cache.Height != h || cache.Frame != frame) {
        cache.Bitmap = SkinMakeFrameBitmap(Rect(0, 0, w, h), piece->Bitmap.get(), piece->Margins,
                                           index == 3 || index == 4, piece->Tile != 1, piece->Frames, frame);
        cache.Width = w;
        cache.Height = h;
        cache.Frame = frame;
        cache.HasRuns = false;
    }
    return cache.Bitmap->Empty() ? nullptr : &cache;
}

void TTinselForm::PaintBorderPiece(int index, const TRect& r, HDC dc) {
    if (TPieceCache* cache = BorderPiece(index, RectWidth(r), RectHeight(r)))
        BitBlt(dc, r.left, r.top, RectWidth(r), RectHeight(r), cache->Bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
}

const TSkinRowRuns* TTinselForm::BorderPieceRuns(int index, int32_t w, int32_t h) {
    TPieceCache* cache = BorderPiece(index, w, h);
    if (!cache) return nullptr;
    if (!cache->HasRuns) {
        cache->Runs = SkinOpaqueRuns(cache->Bitmap.get(), 1, 1, 1, TRANSPARENT_KEY);
        cache->HasRuns = true;
    }
    return &cache->Runs;
}

void TTinselForm::ClearPieceCache() {
    for (TPieceCache& c : FPieces) c = TPieceCache{};
    if (MenuBar) MenuBar->ForgetBackground();
}

void TTinselForm::PaintFrame(HDC given) {
    if (!SkinScratchBitmap() || !SkinData || SkinData->SkinEmpty) return;
    if (!(LifeState == lsActive || LifeState == lsSkinChanging) || BorderClassValue == bcNoCaption) return;
    if (Kind == fkMDIChild && ShowStateValue == ssMaximized) return;
    HDC dc = given ? given : GetWindowDC(Handle);
    if (!dc) return;
    try {
        RECT w{};
        GetWindowRect(Handle, &w);
        PaintedWindowRect = w;
        const int32_t W = w.right - w.left, H = w.bottom - w.top;
        PaintedWidth = W;
        PaintedHeight = H;
        if (ShowStateValue == ssMinimized || IsIconic(Handle)) {
            PaintTitle(dc, W, H);
        } else {
            PaintBorderPiece(1, Rect(0, 0, BorderLeft, H), dc);
            PaintBorderPiece(2, Rect(W - BorderRight, 0, W, H), dc);
            PaintBorderPiece(4, Rect(BorderLeft, H - BorderBottom, W - BorderRight, H), dc);
            PaintTitle(dc, W, H);
            PaintMenuStrip(dc, W);
        }
    } catch (...) {
        // A broken skin leaves the window usable.
    }
    HotObject = nullptr;
    if (!given) ReleaseDC(Handle, dc);
}

void TTinselForm::PaintMenuStrip(HDC dc, int32_t w) {
    const TRect bar = Rect(BorderLeft, BorderTop, w - BorderRight, BorderTop + MenuBarHeight);
    if (MenuBar) {
        MenuBar->Paint(dc, bar);
    } else if (MenuBarHeight > 0 && SkinData->ButtonFaceBrush) {
        RECT r = bar;
        FillRect(dc, &r, SkinData->ButtonFaceBrush);
    }
}

void TTinselForm::PaintTitle(HDC dc, int32_t W, int32_t H) {
    const bool minimized = ShowStateValue == ssMinimized || IsIconic(Handle);
    TRect title;
    if (minimized) {
        FTitleBuffer->SetSize(W, H);
        if (FTitleBuffer->Empty()) return;
        TCanvas* c = FTitleBuffer->Canvas();
        c->Brush()->SetColor(SkinData->Colours.ButtonFace);
        c->FillRect(Rect(0, 0, W, H));
        title = Rect(0, 0, W, BorderTop);
    } else {
        FTitleBuffer->SetSize(W, BorderTop);
        if (FTitleBuffer->Empty()) return;
        // What the side pieces painted there (the corners) stays.
        BitBlt(FTitleBuffer->Canvas()->Handle(), 0, 0, W, BorderTop, dc, 0, 0, SRCCOPY);
        title = Rect(BorderLeft, 0, W - BorderRight, BorderTop);
    }
    TCanvas* canvas = FTitleBuffer->Canvas();
    PaintBorderPiece(3, title, canvas->Handle());
    // The right-aligned buttons' left edge clips the title of popup windows.
    LayoutSysButtons();
    DrawTitleText(canvas, title);
    LayoutSysButtons();
    PaintSysButtons(FTitleBuffer.get());
    BitBlt(dc, 0, 0, FTitleBuffer->Width(), FTitleBuffer->Height(), canvas->Handle(), 0, 0, SRCCOPY);
    SetBkMode(dc, OPAQUE);
}

std::wstring TTinselForm::CaptionText() {
    if (Unicode) return GetWindowTextWide(Handle);
    char text[1001] = {};
    SendMessageA(Handle, WM_GETTEXT, sizeof text - 1, reinterpret_cast<LPARAM>(text));
    return AnsiToWide(text);
}

void TTinselForm::DrawTitleText(TCanvas* canvas, const TRect& R) {
    const std::wstring text = L"  " + CaptionText() + L" ";
    const TDataSkinTitle& t = *SkinData->Title;
    HDC dc = canvas->Handle();
    HGDIOBJ oldFont = SelectObject(dc, CaptionFont->Handle());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(ActiveFlag ? SkinData->Colours.TitleTextActive : SkinData->Colours.TitleTextNoActive));
    RECT C = R;
    DrawTextWide(dc, text, C, DT_CALCRECT | DT_NOCLIP);
    C.right += t.TextBackLeft + t.TextBackRight;
    const int32_t Wr = RectWidth(R), Wc = C.right - C.left;
    const int32_t shiftX = t.Margins.left, shiftY = t.Margins.top, rightClip = t.Margins.right;
    int32_t dx = 0;
    switch (RightToLeft ? 2 : t.TextAlignment) {
        case 0: dx = shiftX; break;
        case 1: dx = (Wr - Wc) / 2; break;
        case 2: dx = Wr - rightClip - Wc; break;
        default: dx = 0; break;
    }
    const int32_t dy = (RectHeight(R) - (C.bottom - C.top)) / 2 + shiftY / 2;
    OffsetRect(&C, dx, dy);
    if (!(Style() & WS_POPUP)) {
        C.right = std::min<LONG>(C.right, R.right - rightClip);
    } else if (RightButtonsLeft > 5 && RightButtonsLeft - 5 < C.right) {
        C.right = RightButtonsLeft - 5;
    }
    if (BorderClassValue == bcDialog && t.TextAlignment == 0) C.left -= 16;
    TitleTextRect = C;
    if (t.Bitmap && !t.Bitmap->Empty())
        SkinDrawFrameTiled3(canvas, Rect(C.left, R.top, C.right, R.bottom), t.Bitmap.get(), true, true, 2,
                            ActiveFlag ? 1 : 2, Rect(t.TextBackLeft, 0, t.TextBackRight, 0));
    C.left += t.TextBackLeft;
    C.right -= t.TextBackRight;
    if (C.right > C.left) DrawTextWide(dc, text, C, DT_SINGLELINE | DT_END_ELLIPSIS | (RightToLeft ? DT_RIGHT : 0));
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

bool TTinselForm::SysButtonVisible(int index) {
    TWinSysButton& b = *SysButtons[static_cast<size_t>(index)];
    const bool maximized = ShowStateValue == ssMaximized;
    const bool active = ActiveFlag != 0;
    const bool hasMax = (ButtonSet & sbMaximize) != 0, hasMin = (ButtonSet & sbMinimize) != 0;
    const bool sysMenu = (ButtonSet & sbSystemMenu) != 0;
    const bool mdiButtons = Kind == fkMDIFrame && MenuBar && IsMdiChildMaximized();
    const int32_t kind = b.Record->Action;
    auto code = [&](int32_t v, bool first, bool a) -> bool {
        if (v == 0) return true;
        if (v == 1) return maximized;
        if (v == 2) return !maximized;
        if (v == 3) return active;
        if (v == 4) return !active;
        if (v == 5) return false;
        if (v == 6) return first ? hasMax && sysMenu : hasMax;
        if (v == 7) return !hasMax;
        if (v == 8) return first ? hasMin && sysMenu : hasMin;
        if (v == 9) return !hasMin;
        if (v >= 10 && v <= 99) return false;
        if (v == 100) return first ? mdiButtons : a;
        if (v >= 101 && v <= 199) return false;
        if (v == 200) return BorderClassValue == bcDialog && !Dialog;
        if (v >= 201 && v <= 999) return true;
        if (v >= 1000 && v <= 2000)
            return first ? SendMessageA(Handle, WM_SKIN_BUTTONVISIBLE, static_cast<WPARAM>(v),
                                        static_cast<LPARAM>(kind)) > 0
                         : true;
        if (v == -1) return first;  // a missing key shows the button
        return false;
    };
    const bool a = code(b.Record->Visibility, true, false);
    const bool bb = code(b.Record->Visibility1, false, a);
    bool visible = a && bb;
    if (kind == 0 && !sysMenu) visible = false;
    if (kind == 1 && !hasMax) visible = false;
    if (kind == 2 && !hasMin) visible = false;
    if ((kind == 3 || kind == 11 || kind == 12) && BorderClassValue == bcDialog) visible = false;
    b.Visible = visible;
    return visible;
}

void TTinselForm::LayoutSysButtons() {
    const int32_t W = PaintedWidth;
    int32_t leftmostRight = 0;
    for (size_t i = 0; i < SysButtons.size(); ++i) {
        TWinSysButton& b = *SysButtons[i];
        if (!HasStrip(b) || !SysButtonVisible(static_cast<int>(i))) {
            b.Visible = false;
            continue;
        }
        const TDataSkinSysButton& r = *b.Record;
        const int32_t w = StripOf(b)->Width() / r.Frames, h = StripOf(b)->Height();
        int32_t x = 0, y = 0;
        switch (r.Align) {
            case 0:
                x = r.XCoord;
                y = r.YCoord;
                break;
            case 1:
                x = W - r.XCoord;
                y = r.YCoord;
                // The leftmost of them bounds a popup window's title.
                if (x > 0 && (leftmostRight == 0 || x < leftmostRight)) leftmostRight = x;
                break;
            case 2:
            case 8:
                x = TitleTextRect.left - w - r.XCoord;
                y = r.YCoord;
                break;
            case 3:
            case 9:
                x = TitleTextRect.right + r.XCoord;
                y = r.YCoord;
                break;
            case 100: {
                const int32_t margin = SkinData->MenuBar ? SkinData->MenuBar->Margins.left : 0;
                x = RightToLeft ? r.XCoord + margin + BorderLeft : W - r.XCoord - BorderRight - margin;
                y = BorderTop + (MenuBarHeight - h) / 2;
                break;
            }
            default: break;
        }
        b.Rect = Bounds(x, y, w, h);
    }
    if (leftmostRight > 0) RightButtonsLeft = leftmostRight;
}

void TTinselForm::PaintSysButtons(TBitmap* surface) {
    HDC dc = surface->Canvas()->Handle();
    const bool direct = surface->BitsPerPixel() == 32;
    for (auto& p : SysButtons) {
        TWinSysButton& b = *p;
        if (!b.Visible || !HasStrip(b) || b.Record->Visibility == 100) continue;
        if (b.Record->Action == 3 || b.Record->Action == 11) {
            DrawIconAt(dc, b.Rect);
            continue;
        }
        const int32_t frame = (!ActiveFlag && b.Record->Frames >= 4) ? 4 : 1;
        if (direct)
            PutButtonCell(surface, b, frame);
        else
            DrawButtonCell(dc, b, frame);
    }
}

void TWinSysButton::Paint() {
    if (!Visible || !HasStrip(*this) || !Form->Handle) return;
    HDC dc = GetWindowDC(Form->Handle);
    if (!dc) return;
    int32_t frame = State;
    if (State == 3 && Record->Visibility == 100) frame = 4;
    if (Record->Action == 3 || Record->Action == 11)
        Form->DrawIconAt(dc, Rect);
    else
        DrawButtonCell(dc, *this, frame);
    ReleaseDC(Form->Handle, dc);
}

void TTinselForm::LoadIconBitmap() {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    IconSize = cx;
    auto icon = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageA(Handle, WM_GETICON, ICON_BIG, 0));
    IconHandle = icon;
    FIconCopy.Reset();
    if (!icon) return;
    IconBitmap->SetSize(cx, cy);
    if (IconBitmap->Empty()) return;
    TCanvas* c = IconBitmap->Canvas();
    c->Brush()->SetColor(TRANSPARENT_KEY);
    c->FillRect(Rect(0, 0, cx, cy));
    if (auto copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE))) {
        DrawIconEx(c->Handle(), 0, 0, copy, cx, cy, 0, nullptr, DI_NORMAL);
        DestroyIcon(copy);
    }
}

HICON TTinselForm::IconCopy() {
    if (!IconHandle) return nullptr;
    if (FIconCopy.Source != IconHandle || FIconCopy.Size != IconSize) {
        FIconCopy.Reset();
        FIconCopy.Copy = static_cast<HICON>(CopyImage(IconHandle, IMAGE_ICON, IconSize, IconSize, LR_COPYFROMRESOURCE));
        if (FIconCopy.Copy) {
            FIconCopy.Source = IconHandle;
            FIconCopy.Size = IconSize;
        }
    }
    return FIconCopy.Copy;
}

void TTinselForm::DrawIconAt(HDC dc, const TRect& r) {
    if (HICON copy = IconCopy()) {
        DrawIconEx(dc, r.left, r.top, copy, IconSize, IconSize, 0, nullptr, DI_NORMAL);
        return;
    }
    SkinDrawTransparent(dc, r, IconBitmap.get(), TRANSPARENT_KEY);
}
