#include "skin/SkinHeader.h"

#include <commctrl.h>

#include "skin/TinselData.h"
#include "skin/TinselForm.h"

DP_PUBLISHED(TSkinHeader){};

namespace {

bool HasHeaderStrip(TSkinData* data) {
    return data && data->Headerbar && data->Headerbar->Bitmap && !data->Headerbar->Bitmap->Empty();
}

}  // namespace

THeaderItemText ReadHeaderItem(HWND header, int32_t index) {
    // 100 characters and the terminator.
    wchar_t buffer[101] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(sizeof buffer / sizeof buffer[0]);
    THeaderItemText out;
    if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return out;
    buffer[100] = 0;
    out.Text = buffer;
    out.Format = item.fmt;
    out.Image = item.iImage;
    return out;
}

TSkinHeader::TSkinHeader(TComponent* owner) : TSkinControl(owner) {}

void TSkinHeader::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, setColour, canvas);
    HotItem = -1;
}

void TSkinHeader::AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    TSkinControl::AttachHandle(wnd, data, form, canvas);
    HotItem = -1;
}

bool TSkinHeader::BeforeMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_PAINT: HandlePaint(this, m); return false;
        case WM_ERASEBKGND:
            if (!HasHeaderStrip(SkinData)) return true;
            m.Result = 1;
            return false;
        default: return TSkinControl::BeforeMessage(m);
    }
}

void TSkinHeader::AfterMessage(TMessage& m) {
    switch (m.Msg) {
        case WM_MOUSEMOVE: {
            const POINT p{static_cast<int16_t>(LOWORD(m.LParam)), static_cast<int16_t>(HIWORD(m.LParam))};
            for (size_t i = 0; i < ItemRects.size(); ++i) {
                const RECT r = ItemRects[i];
                if (PtInRect(&r, p) && static_cast<int32_t>(i) != HotItem) {
                    HotItem = static_cast<int32_t>(i);
                    Repaint();
                }
            }
            SkinTrackMouseLeave(Handle);
            break;
        }
        case WM_MOUSELEAVE:
            HotItem = -1;
            Repaint();
            break;
        default: TSkinControl::AfterMessage(m); break;
    }
}

void TSkinHeader::DrawSkin(HDC dc, const TRect& rect) {
    if (!HasHeaderStrip(SkinData)) return;
    TDataSkinObject* strip = SkinData->Headerbar.get();
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(w, h);
    HDC wdc = work.Canvas()->Handle();
    SetBkMode(wdc, TRANSPARENT);
    WinEnabled = true;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle, WM_GETFONT, 0, 0));
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(Handle, HDM_GETIMAGELIST, 0, 0));
    const auto count = static_cast<int32_t>(SendMessageA(Handle, HDM_GETITEMCOUNT, 0, 0));
    ItemRects.assign(count > 0 ? static_cast<size_t>(count) : 0, TRect{0, 0, 0, 0});
    int32_t right = 0;
    for (int32_t i = 0; i < count; ++i) {
        RECT r{};
        if (!SendMessageA(Handle, HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
        const THeaderItemText item = ReadHeaderItem(Handle, i);
        const TRect cell{0, 0, r.right - r.left, r.bottom - r.top};
        auto bitmap = SkinMakeFrameBitmap(cell, strip->Bitmap.get(), strip->Margins, false, strip->Tile != 0,
                                          strip->Frames, i == HotItem ? 2 : 1);
        if (bitmap && !item.Text.empty()) {
            TCanvas* c = bitmap->Canvas();
            CopyFontInto(c, font);
            c->Font()->SetColor(SkinData->Colours.ButtonText);
            const int32_t justify = item.Format & HDF_JUSTIFYMASK;
            const int32_t alignment = justify == HDF_RIGHT ? 2 : justify == HDF_CENTER ? 1 : 0;
            const int32_t image = (item.Format & (0x0800 | 0x8000)) ? item.Image : -1;
            DrawImageText(this, c, cell, alignment, item.Text, image, images);
        }
        if (bitmap) BitBlt(wdc, r.left, r.top, cell.right, cell.bottom, bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
        ItemRects[static_cast<size_t>(i)] = TRect{r.left + 3, r.top, r.right - 3, r.bottom};
        if (r.right > right) right = r.right;
    }
    if (right < w) {
        const TRect rest{0, 0, w - right, h};
        if (auto b = SkinMakeFrameBitmap(rest, strip->Bitmap.get(), strip->Margins, false, strip->Tile != 0,
                                         strip->Frames, 1))
            BitBlt(wdc, right, 0, rest.right, h, b->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    BitBlt(dc, rect.left, rect.top, w, h, wdc, 0, 0, SRCCOPY);
}
