#include "skin/SkinUpDown.h"

#include <commctrl.h>

#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"

DP_PUBLISHED(TSkinUpDown){};

TSkinUpDown::TSkinUpDown(TComponent* owner) : TSkinControl(owner) {}

bool TSkinUpDown::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT:
            HandlePaint(this, message);
            message.Result = 0;
            return false;
        case WM_ERASEBKGND:
            if (!Control) {
                RECT r{};
                GetClientRect(Handle, &r);
                FillRect(reinterpret_cast<HDC>(message.WParam), &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            }
            message.Result = 1;
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            CallOldProc(message);
            MouseState |= msPressed;
            PaintWindow(nullptr);
            return false;
        case WM_LBUTTONUP:
            MouseState &= ~msPressed;
            CallOldProc(message);
            PaintWindow(nullptr);
            return false;
        default: return TSkinControl::BeforeMessage(message);
    }
}

void TSkinUpDown::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        // The hot half follows the mouse.
        case WM_MOUSEMOVE:
            if (!(MouseState & msHot)) {
                MouseState |= msHot;
                SkinTrackMouseLeave(Handle);
            }
            PaintWindow(nullptr);
            break;
        case WM_MOUSELEAVE:
            MouseState &= ~(msHot | msPressed);
            PaintWindow(nullptr);
            break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

int32_t TSkinUpDown::HalfState(const TRect& half, const POINT& cursor) const {
    if (!WinEnabled) return 3;
    if (!PtInRect(&half, cursor)) return 1;
    if (MouseState & msPressed) return 2;
    if (MouseState & msHot) return 4;
    return 1;
}

void TSkinUpDown::DrawSkin(HDC dc, const TRect& rect) {
    TRect r = rect;
    if (Partner) {
        RECT client{};
        GetClientRect(Handle, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        // Keep three pixels inside the edit, clear of its border.
        RECT own{}, edit{};
        GetWindowRect(Handle, &own);
        GetWindowRect(GetParent(Handle), &edit);
        if (own.top - edit.top < 3) r.top += 3 - (own.top - edit.top);
        if (edit.bottom - own.bottom < 3) r.bottom -= 3 - (edit.bottom - own.bottom);
        if (edit.right - own.right < 3) r.right -= 3 - (edit.right - own.right);
    }
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(w, h);
    HDC wdc = work.Canvas()->Handle();
    FillColour(wdc, TRect{0, 0, w, h}, SkinData->Colours.ButtonFace);
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(Handle, &cursor);
    cursor.x -= r.left;
    cursor.y -= r.top;
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_STYLE));
    WinEnabled = !(style & WS_DISABLED);
    const bool across = Horizontal || (style & UDS_HORZ);
    const TRect halves[2] = {across ? TRect{0, 0, w / 2, h} : TRect{0, 0, w, h / 2},
                             across ? TRect{w / 2, 0, w, h} : TRect{0, h / 2, w, h}};
    TDataSkinBorder* e = across ? SkinData->UpDownHorz.get() : SkinData->UpDownVert.get();
    for (int32_t i = 0; i < 2; ++i) {
        const TRect& half = halves[i];
        const int32_t state = HalfState(half, cursor);
        if (e && !e->Bitmap->Empty()) {
            const int32_t frame = state + 4 * i;
            SkinDrawFrameStretched(wdc, half, e->Bitmap.get(), true, e->Frames, frame);
            if (!e->Bitmap2->Empty() && e->Frames > 0) {
                const int32_t gw = e->Bitmap2->Width() / e->Frames, gh = e->Bitmap2->Height();
                const int32_t gx = half.left + (half.right - half.left - gw) / 2;
                const int32_t gy = half.top + (half.bottom - half.top - gh) / 2;
                SkinDrawFrameStretched(wdc, TRect{gx, gy, gx + gw, gy + gh}, e->Bitmap2.get(), true, e->Frames, frame);
            }
            continue;
        }
        HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colours.ButtonDkShadow));
        HBRUSH brush = CreateSolidBrush(
            ColorToRGB(state == 2 || state == 4 ? SkinData->Colours.ButtonShadow : SkinData->Colours.ButtonFace));
        HGDIOBJ oldPen = SelectObject(wdc, pen);
        HGDIOBJ oldBrush = SelectObject(wdc, brush);
        Rectangle(wdc, half.left, half.top, half.right, half.bottom);
        const int32_t x = (half.left + half.right) / 2, y = (half.top + half.bottom) / 2;
        if (across)
            DrawSmallArrow(wdc, i == 0 ? TSmallArrow::Left : TSmallArrow::Right, x, y);
        else
            DrawSmallArrow(wdc, i == 0 ? TSmallArrow::Up : TSmallArrow::Down, x, y - 2);
        SelectObject(wdc, oldBrush);
        SelectObject(wdc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    BitBlt(dc, r.left, r.top, w, h, wdc, 0, 0, SRCCOPY);
}

namespace {

void Line(HDC dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

}  // namespace

void DrawSmallArrow(HDC dc, TSmallArrow arrow, int32_t x, int32_t y) {
    switch (arrow) {
        case TSmallArrow::Up:
            Line(dc, x, y, x, y - 1);
            Line(dc, x + 1, y + 1, x + 4, y + 4);
            Line(dc, x, y + 1, x + 3, y + 4);
            Line(dc, x, y + 2, x + 2, y + 4);
            Line(dc, x - 1, y + 1, x - 4, y + 4);
            Line(dc, x, y + 2, x - 3, y + 4);
            Line(dc, x, y + 1, x - 2, y + 4);
            break;
        case TSmallArrow::Down:
            Line(dc, x, y + 3, x, y + 4);
            Line(dc, x + 1, y + 2, x + 4, y - 1);
            Line(dc, x, y + 2, x + 3, y - 1);
            Line(dc, x, y + 1, x + 2, y);
            Line(dc, x - 1, y + 2, x - 4, y - 1);
            Line(dc, x, y + 2, x - 3, y - 1);
            Line(dc, x, y + 1, x - 2, y);
            break;
        case TSmallArrow::Left:
        case TSmallArrow::Right: {
            const int32_t d = arrow == TSmallArrow::Left ? 1 : -1;
            const POINT chain[5] = {{x, y}, {x + d, y + 2}, {x + d, y - 2}, {x - d, y}, {x + d, y + 2}};
            Polyline(dc, chain, 5);
            break;
        }
    }
}
