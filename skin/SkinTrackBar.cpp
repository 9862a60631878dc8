#include "skin/SkinTrackBar.h"

#include <commctrl.h>

#include "skin/ImgUtil.h"
#include "skin/TinselData.h"

DP_PUBLISHED(TSkinTrackBar){};

TSkinTrackBar::TSkinTrackBar(TComponent* owner) : TSkinControl(owner) {}

namespace {

// Addresses below 64 KB are never mapped: such an lParam is a number, not a header.
constexpr LPARAM kLowestAddress = 0x10000;

bool HasStrip(TDataSkinObject* e) { return e && e->Bitmap && !e->Bitmap->Empty(); }

// A standing channel: caps of top and bottom pixels unscaled, the middle stretched.
void DrawStanding(HDC dc, const RECT& r, TBitmap* b, int32_t T, int32_t B) {
    const int32_t W = b->Width(), H = b->Height();
    HDC src = b->Canvas()->Handle();
    const int32_t width = r.right - r.left, height = r.bottom - r.top;
    const int32_t x = r.left + (W < width ? (width - W) / 2 : 0);
    StretchBlt(dc, x, r.top, W, T, src, 0, 0, W, T, SRCCOPY);
    if (height - T - B > 0 && H - T - B > 0)
        StretchBlt(dc, x, r.top + T, W, height - T - B, src, 0, T, W, H - T - B, SRCCOPY);
    StretchBlt(dc, x, r.bottom - B, W, B, src, 0, H - B, W, B, SRCCOPY);
}

void DrawLying(HDC dc, const RECT& r, TBitmap* b, int32_t L, int32_t R) {
    const int32_t W = b->Width(), H = b->Height();
    HDC src = b->Canvas()->Handle();
    const int32_t width = r.right - r.left, height = r.bottom - r.top;
    const int32_t y = r.top + (H < height ? (height - H) / 2 : 0);
    StretchBlt(dc, r.left, y, L, H, src, 0, 0, L, H, SRCCOPY);
    if (width - L - R > 0 && W - L - R > 0)
        StretchBlt(dc, r.left + L, y, width - L - R, H, src, L, 0, W - L - R, H, SRCCOPY);
    StretchBlt(dc, r.right - R, y, R, H, src, W - R, 0, R, H, SRCCOPY);
}

}  // namespace

bool TSkinTrackBar::BeforeMessage(TMessage& message) {
    // The parent's WM_NOTIFY as the class library reflects it to the control (its number is the
    // skin's WM_SKIN_APPLIED too, whose lParam is the marker), or as a bare track bar's own window
    // sees it. Only this track bar's own custom draw is ours.
    if (message.Msg == WM_NOTIFY || message.Msg == CN_NOTIFY) {
        if (message.LParam < kLowestAddress) return true;
        const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
        if (header->code == static_cast<UINT>(NM_CUSTOMDRAW) && IsOwnWindow(header->hwndFrom)) {
            message.Result = CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(message.LParam));
            return false;
        }
        return true;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTrackBar::SkinChanged() {
    // A focus round trip makes the control draw itself, and so ask for our parts, again.
    HWND had = GetFocus();
    SetFocus(Handle);
    if (had && had != Handle) SetFocus(had);
}

LRESULT TSkinTrackBar::CustomDraw(const NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    switch (draw.dwItemSpec) {
        case TBCD_THUMB: DrawThumb(draw.hdc); return CDRF_SKIPDEFAULT;
        case TBCD_CHANNEL: DrawChannel(draw.hdc); return CDRF_SKIPDEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

bool TSkinTrackBar::IsOwnWindow(HWND wnd) const {
    if (!wnd) return false;
    if (wnd == Handle) return true;
    // The control's window made again is still this track bar.
    auto* w = DynamicAs<TWinControl>(Control);
    return w && w->HandleAllocated() && w->Handle() == wnd;
}

bool TSkinTrackBar::WindowStillOurs() {
    if (IsWindow(Handle)) return true;
    // The control made a new window: draw from it at the next notification.
    if (auto* w = DynamicAs<TWinControl>(Control)) Handle = w->Handle();
    return false;
}

void TSkinTrackBar::DrawThumb(HDC dc) {
    if (!WindowStillOurs()) return;
    RECT r{};
    SendMessageA(Handle, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    const bool vertical = (GetWindowLongPtrA(Handle, GWL_STYLE) & TBS_VERT) != 0;
    TDataSkinObject* thumb =
        vertical && SkinData->TrackThumbVert ? SkinData->TrackThumbVert.get() : SkinData->TrackThumbHorz.get();
    if (thumb && !thumb->Bitmap->Empty()) {
        DrawStripFrameDC(this, dc, r, 5, 2, thumb->Bitmap.get());
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colours.ButtonShadow));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void TSkinTrackBar::DrawChannel(HDC dc) {
    if (!WindowStillOurs()) return;
    RECT r{};
    SendMessageA(Handle, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&r));
    const bool vertical = (GetWindowLongPtrA(Handle, GWL_STYLE) & TBS_VERT) != 0;
    TDataSkinObject* track = HasStrip(SkinData->Track.get()) ? SkinData->Track.get() : nullptr;
    TDataSkinObject* standing = HasStrip(SkinData->TrackVert.get()) ? SkinData->TrackVert.get() : nullptr;
    SetStretchBltMode(dc, COLORONCOLOR);
    if (vertical && (standing || track)) {
        // Some systems report a vertical bar's channel lying down; one already standing stays.
        if (r.right - r.left > r.bottom - r.top) r = RECT{r.top, r.left, r.bottom, r.right};
        if (standing) {
            DrawStanding(dc, r, standing->Bitmap.get(), standing->Margins.top, standing->Margins.bottom);
        } else {
            // Without [TRACKVERT] the horizontal channel stands up: its left cap on top.
            TBitmap upright;
            CloneBitmap(track->Bitmap.get(), &upright);
            RotateBitmapRight(&upright);
            DrawStanding(dc, r, &upright, track->Margins.left, track->Margins.right);
        }
        return;
    }
    if (track) DrawLying(dc, r, track->Bitmap.get(), track->Margins.left, track->Margins.right);
}
