#include "skin/SkinStatusBar.h"

#include <commctrl.h>

#include "classlib/Bars.h"
#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinStatusBar){};

namespace {

UINT AlignmentFlag(TAlignment a) {
    switch (a) {
        case taRightJustify: return DT_RIGHT;
        case taCenter: return DT_CENTER;
        default: return DT_LEFT;
    }
}

void Line(HDC dc, int x1, int y1, int x2, int y2, TColor colour) {
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(colour));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

}  // namespace

TSkinStatusBar::TSkinStatusBar(TComponent* owner) : TSkinControl(owner) {}

bool TSkinStatusBar::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT: HandlePaint(this, message); return false;
        case WM_ERASEBKGND: message.Result = 1; return false;
        default: return TSkinControl::BeforeMessage(message);
    }
}

void TSkinStatusBar::DrawPartFrame(HDC dc, const TRect& r, int32_t n) {
    TDataSkinObject* edges = SkinData->StatusBarEdges.get();
    if (edges && edges->Bitmap && !edges->Bitmap->Empty()) {
        auto b = SkinMakeFrameBitmap(r, edges->Bitmap.get(), edges->Margins, false, edges->Tile != 0, 3, n);
        if (b && !b->Empty()) BitBlt(dc, r.left, r.top, b->Width(), b->Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    if (n == 3 || r.right - r.left < 2 || r.bottom - r.top < 2) return;
    const TColor shadow = SkinData->Colours.ButtonShadow, light = SkinData->Colours.ButtonHilight;
    const TColor topLeft = n == 1 ? shadow : light, bottomRight = n == 1 ? light : shadow;
    Line(dc, r.left, r.bottom - 1, r.left, r.top, topLeft);
    Line(dc, r.left, r.top, r.right - 1, r.top, topLeft);
    Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
    Line(dc, r.left, r.bottom - 1, r.right, r.bottom - 1, bottomRight);
}

void TSkinStatusBar::DrawSkin(HDC dc, const TRect& rect) {
    auto* bar = DynamicAs<TStatusBar>(Control);
    if (!SkinData || !bar) return;
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    if (W < 1 || H < 1) return;
    TBitmap* work = SkinScratchBitmap();
    work->SetPixelFormat(pf24bit);
    work->SetSize(W, H);
    TCanvas* canvas = work->Canvas();
    HDC wdc = canvas->Handle();
    const TRect local{0, 0, W, H};
    FillSkinColour(wdc, local);
    canvas->Font()->Assign(bar->Font());
    canvas->Font()->SetStyle({});
    TDataSkinObject* edges = SkinData->StatusBarEdges.get();
    if (edges) canvas->Font()->SetColor(edges->NormalColour2);
    WinEnabled = bar->Enabled();

    // Without panels the simple text shows, whatever the simple-text mode says.
    if (bar->SimplePanel() || bar->PanelCount() == 0) {
        DrawPartFrame(wdc, local, 1);
        std::wstring text = GetTextPropByName(bar, "simpletext");
        if (text.empty()) text = L" ";
        const UINT flags = bar->BiDiMode() == bdRightToLeft ? DT_RIGHT : DT_LEFT;
        DrawCaptionText(this, canvas, TRect{2, 0, W - 2, H}, flags, true, text);
    } else {
        for (int i = 0; i < bar->PanelCount(); ++i) {
            TStatusPanel* panel = bar->Panels(i);
            TRect r = bar->PanelRect(i);
            if (r.right <= r.left && r.bottom <= r.top) continue;
            r.right += 2;
            if (i == bar->PanelCount() - 1) r.right = W;
            const int32_t n = panel->Bevel() == pbRaised ? 2 : panel->Bevel() == pbLowered ? 1 : 3;
            DrawPartFrame(wdc, r, n);
            if (panel->Style() == psOwnerDraw) continue;
            TAlignment a = panel->Alignment();
            if (GetEnumPropByName(panel, "BiDiMode") == "bdRightToLeft") {
                if (a == taLeftJustify)
                    a = taRightJustify;
                else if (a == taRightJustify)
                    a = taLeftJustify;
            }
            std::wstring text = GetTextPropByName(panel, "Text");
            if (text.empty()) text = L" ";
            if (edges) canvas->Font()->SetColor(edges->NormalColour2);
            DrawCaptionText(this, canvas, TRect{r.left + 2, r.top, r.right - 2, r.bottom}, AlignmentFlag(a), true,
                            text);
        }
    }
    TDataSkinObject* extra = SkinData->ExtraImages.get();
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_STYLE));
    if ((style & SBARS_SIZEGRIP) && extra && extra->Bitmap && !extra->Bitmap->Empty()) {
        const TRect cell = SkinFrameRect(extra->Bitmap.get(), extra->Frames, 5, false);
        const int32_t fw = cell.right - cell.left, fh = cell.bottom - cell.top;
        if (fw > 0 && fh > 0) {
            TBitmap grip;
            grip.SetPixelFormat(pf24bit);
            grip.SetSize(fw, fh);
            BitBlt(grip.Canvas()->Handle(), 0, 0, fw, fh, extra->Bitmap->Canvas()->Handle(), cell.left, cell.top,
                   SRCCOPY);
            SkinDrawTransparent(wdc, TRect{W - 1 - fw, H - 1 - fh, W - 1, H - 1}, &grip, TRANSPARENT_KEY);
        }
    }
    BlitWorkBitmap(dc, rect);
    bar->PaintGraphicChildren(dc);
    // Owner-drawn panels: the bar's handler paints them inside their frames.
    if (bar->OnDrawPanel) {
        for (int i = 0; i < bar->PanelCount(); ++i) {
            TStatusPanel* panel = bar->Panels(i);
            if (panel->Style() != psOwnerDraw) continue;
            TRect r = bar->PanelRect(i);
            if (r.right <= r.left && r.bottom <= r.top) continue;
            InflateRect(&r, -2, -2);
            const int saved = SaveDC(dc);
            TCanvas* barCanvas = bar->Canvas();
            barCanvas->SetHandle(dc);
            try {
                barCanvas->Font()->Assign(bar->Font());
                barCanvas->Brush()->SetColor(bar->Color());
                bar->OnDrawPanel(bar, panel, r);
            } catch (...) {
                barCanvas->SetHandle(nullptr);
                RestoreDC(dc, saved);
                throw;
            }
            barCanvas->SetHandle(nullptr);
            RestoreDC(dc, saved);
        }
    }
}
