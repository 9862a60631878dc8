#include "skin/SkinBitButton.h"

#include <cctype>

#include "classlib/Bitmaps.h"
#include "classlib/GraphicsBase.h"
#include "classlib/ImgList.h"
#include "skin/ImgUtil.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinBitButton){};
DP_PUBLISHED(TSkinMenuButton){};
DP_PUBLISHED(TSkinSpeedButton){};

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool HasButtonStrip(TSkinData* data) {
    return data && data->Buttons && data->Buttons->Bitmap && !data->Buttons->Bitmap->Empty();
}

TSize TextSize(HDC dc, const std::wstring& caption, RECT r) {
    if (caption.empty()) return TSize{0, 0};
    DrawTextWide(dc, caption, r, DT_CALCRECT | DT_WORDBREAK);
    return TSize{r.right - r.left, r.bottom - r.top};
}

// The area the text may take beside (or under) a glyph of that size.
RECT TextRoom(const TRect& local, TSize glyph, TGlyphLayoutKind layout) {
    RECT r = local;
    InflateRect(&r, -2, -2);
    if (layout == glLeft || layout == glRight)
        r.right -= glyph.cx + 2;
    else
        r.bottom -= glyph.cy + 2;
    return r;
}

// Sets the Painting flag for one paint and clears it on every way out.
struct PaintGuard {
    explicit PaintGuard(bool& flag) : Flag(flag) { Flag = true; }
    ~PaintGuard() { Flag = false; }
    bool& Flag;
};

}  // namespace

TGlyphLayoutKind GlyphLayoutOf(const std::string& layout) {
    if (layout == "blglyphright") return glRight;
    if (layout == "blglyphtop") return glTop;
    if (layout == "blglyphbottom") return glBottom;
    return glLeft;
}

TGlyphPlacement PlaceGlyphAndText(TSize client, TSize glyph, TSize text, TGlyphLayoutKind layout, int32_t margin,
                                  int32_t spacing, bool autoMargin, bool speedButton) {
    TGlyphPlacement p;
    const bool across = layout == glLeft || layout == glRight;
    int32_t gx = 0, gy = 0, tx = 0, ty = 0;
    if (across) {
        gy = (client.cy - glyph.cy + 1) / 2;
        ty = (client.cy - text.cy + 1) / 2;
    } else {
        gx = (client.cx - glyph.cx + 1) / 2;
        tx = (client.cx - text.cx + 1) / 2;
    }
    if (text.cx == 0 || glyph.cx == 0) spacing = 0;
    const int32_t room = across ? client.cx : client.cy;
    const int32_t g = across ? glyph.cx : glyph.cy;
    const int32_t t = across ? text.cx : text.cy;
    if (margin == -1 || autoMargin) {
        if (spacing == -1) {
            margin = (room - (g + t)) / 3;
            spacing = margin;
        } else {
            margin = (room - (g + spacing + t)) / 2;
            if (speedButton) margin += 1;
        }
    } else if (spacing == -1) {
        spacing = ((room - (margin + g)) - t) / 2;
    }
    switch (layout) {
        case glLeft:
            gx = margin;
            tx = margin + glyph.cx + spacing;
            p.Flags = DT_WORDBREAK;
            break;
        case glRight:
            gx = client.cx - margin - glyph.cx;
            tx = gx - spacing - text.cx;
            p.Flags = DT_WORDBREAK | DT_RIGHT;
            break;
        case glTop:
            gy = margin;
            ty = margin + glyph.cy + spacing;
            p.Flags = DT_WORDBREAK | DT_CENTER;
            break;
        case glBottom:
            gy = client.cy - margin - glyph.cy;
            ty = gy - spacing - text.cy;
            p.Flags = DT_WORDBREAK | DT_CENTER;
            break;
    }
    p.Glyph = TPoint{gx, gy};
    p.Text = TRect{tx, ty, tx + text.cx, ty + text.cy};
    return p;
}

// --- bit buttons

TSkinBitButton::TSkinBitButton(TComponent* owner) : TSkinButton(owner) {}

int32_t TSkinBitButton::GlyphIndex() const {
    if (MouseState & msPressed) return 3;
    if (!WinEnabled) return 2;
    return 1;
}

void TSkinBitButton::DrawGlyphFrame(TCanvas* canvas, const TRect& rect, int32_t numGlyphs, int32_t index,
                                    TBitmap* glyph) {
    if (!canvas || !glyph || glyph->Empty()) return;
    const TRect cell = SkinFrameRect(glyph, numGlyphs, numGlyphs < index ? 1 : index, false);
    const int32_t w = cell.right - cell.left, h = cell.bottom - cell.top;
    if (w <= 0 || h <= 0) return;
    TBitmap frame;
    frame.SetPixelFormat(pf24bit);
    frame.SetSize(w, h);
    BitBlt(frame.Canvas()->Handle(), 0, 0, w, h, glyph->Canvas()->Handle(), cell.left, cell.top, SRCCOPY);
    if (index == 2) GreyBitmap(&frame);
    const COLORREF key = GetPixel(frame.Canvas()->Handle(), 0, h - 1);
    SkinDrawTransparent(canvas->Handle(), TRect{rect.left, rect.top, rect.left + w, rect.top + h}, &frame,
                        static_cast<TColor>(key));
}

void TSkinBitButton::DrawSkin(HDC dc, const TRect& rect) {
    if (!HasButtonStrip(SkinData)) return;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    ReadState();
    const int32_t index = FrameIndex();
    const int32_t glyphIndex = GlyphIndex();
    HDC buffer = PrepareBuffer(rect, index);
    HFONT oldFont = nullptr;
    PrepareFont(index, oldFont);
    const TRect local{0, 0, rect.right - rect.left, rect.bottom - rect.top};

    const bool named = !GraphicProperty.empty();
    TBitmap* glyph = nullptr;
    TGraphic* graphic = nullptr;
    TImageList* images = nullptr;
    if (named) {
        graphic = static_cast<TGraphic*>(GetObjectPropByName(Control, GraphicProperty, &TGraphic::StaticClassInfo()));
    } else {
        glyph = static_cast<TBitmap*>(GetObjectPropByName(Control, "Glyph", &TBitmap::StaticClassInfo()));
        images = static_cast<TImageList*>(GetObjectPropByName(Control, "Images", &TImageList::StaticClassInfo()));
    }
    // A foreign control may say 0 or less: one glyph.
    int32_t numGlyphs = GetOrdPropByName(Control, "NumGlyphs");
    if (numGlyphs < 1) numGlyphs = 1;
    const int32_t imageIndex = GetOrdPropByName(Control, "ImageIndex");
    const int32_t disabledIndex = GetOrdPropByName(Control, "DisabledIndex");
    const int32_t margin = GetOrdPropByName(Control, "Margin");
    const int32_t spacing = GetOrdPropByName(Control, "Spacing");
    const TGlyphLayoutKind layout = GlyphLayoutOf(Lower(GetEnumPropByName(Control, "Layout")));
    const std::string alignment = Lower(GetEnumPropByName(Control, "Alignment"));

    TSize glyphSize{0, 0};
    if (named) {
        if (graphic && !graphic->Empty()) glyphSize = TSize{graphic->Width(), graphic->Height()};
    } else if (glyph && !glyph->Empty()) {
        glyphSize = TSize{glyph->Width() / numGlyphs, glyph->Height()};
    } else if (images && imageIndex != -1) {
        glyphSize = TSize{images->Width(), images->Height()};
    }
    Caption = ReplaceFirst(Caption, L"||", L"\r\n");
    const TSize textSize = TextSize(buffer, Caption, TextRoom(local, glyphSize, layout));
    const TGlyphPlacement at = PlaceGlyphAndText(TSize{local.right, local.bottom}, glyphSize, textSize, layout, margin,
                                                 spacing, alignment == "tacenter", false);
    const TRect glyphRect{at.Glyph.x, at.Glyph.y, at.Glyph.x + glyphSize.cx, at.Glyph.y + glyphSize.cy};
    if (named) {
        if (graphic && !graphic->Empty()) {
            const int saved = SaveDC(buffer);
            Buffer->Canvas()->Draw(at.Glyph.x, at.Glyph.y, graphic);
            RestoreDC(buffer, saved);
        }
    } else if (glyph && !glyph->Empty()) {
        DrawGlyphFrame(Buffer->Canvas(), glyphRect, numGlyphs, glyphIndex, glyph);
    } else if (images) {
        const int32_t shown = !WinEnabled && disabledIndex != -1 ? disabledIndex : imageIndex;
        if (shown != -1) images->Draw(buffer, at.Glyph.x, at.Glyph.y, shown, WinEnabled);
    }
    if (!Caption.empty()) {
        SetBkMode(buffer, TRANSPARENT);
        RECT t = at.Text;
        DrawTextWide(buffer, Caption, t, BiDiFlags(this, at.Flags));
        SetBkMode(buffer, OPAQUE);
        if (Focused && !SkinData->Options().Contains(xoNoFocusRect)) {
            InflateRect(&t, 2, 2);
            DrawFocusRect(buffer, &t);
        }
    }
    BitBlt(dc, rect.left, rect.top, local.right, local.bottom, buffer, 0, 0, SRCCOPY);
    if (oldFont) SelectObject(buffer, oldFont);
}

// --- menu buttons

TSkinMenuButton::TSkinMenuButton(TComponent* owner) : TSkinButton(owner) {}

int32_t TSkinMenuButton::MenuFrameIndex() const {
    const int32_t index = FrameIndex();
    return index == 5 ? 4 : index;
}

void TSkinMenuButton::DrawSkin(HDC dc, const TRect& rect) {
    if (!HasButtonStrip(SkinData)) return;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    ReadState();
    const int32_t index = MenuFrameIndex();
    HDC buffer = PrepareBuffer(rect, index);
    HFONT oldFont = nullptr;
    PrepareFont(index, oldFont);
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    // The drop-down zone is 17 pixels at the right.
    RECT room{0, 0, W - 17, H};
    InflateRect(&room, -2, -2);
    const TSize text = TextSize(buffer, Caption, room);
    const int32_t ty = (H - text.cy + 1) / 2, tx = (W - 17 - text.cx) / 2 + 2;
    const int32_t cy = H / 2 + 2;
    const POINT arrow[3] = {{W - 12, cy}, {W - 15, cy - 3}, {W - 9, cy - 3}};
    const COLORREF colour = ColorToRGB(WinEnabled ? clWindowText : clBtnShadow);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(buffer, brush);
    HGDIOBJ oldPen = SelectObject(buffer, pen);
    Polygon(buffer, arrow, 3);
    SelectObject(buffer, oldBrush);
    SelectObject(buffer, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    RECT t{tx, ty, tx + text.cx, ty + text.cy};
    SetBkMode(buffer, TRANSPARENT);
    DrawTextWide(buffer, Caption, t, BiDiFlags(this, DT_WORDBREAK));
    SetBkMode(buffer, OPAQUE);
    if (Focused && !SkinData->Options().Contains(xoNoFocusRect)) {
        InflateRect(&t, 2, 2);
        DrawFocusRect(buffer, &t);
    }
    BitBlt(dc, rect.left, rect.top, W, H, buffer, 0, 0, SRCCOPY);
    if (oldFont) SelectObject(buffer, oldFont);
}

// --- speed buttons

TSkinSpeedButton::TSkinSpeedButton(TComponent* owner) : TSkinBitButton(owner) {}

void TSkinSpeedButton::AttachControl(TTinselForm* form, TSkinData* data, bool, TCanvas* canvas) {
    AttachGraphic(form, data, canvas);
}

void TSkinSpeedButton::AttachGraphic(TTinselForm* form, TSkinData* data, TCanvas* canvas) {
    if (Attached) return;
    auto* button = DynamicAs<TControl>(Owner());
    if (!button || !data) return;
    SkinData = data;
    Canvas = canvas;
    Form = form;
    GraphicControl = button;
    HookWindowProc(button);
    if (Form) Form->AddControlSkin(this);
    TransparentBack = button->Tag() == TransparentButtonTag || data->Options().Contains(xoTransparent);
    Attached = true;
    State = scAttached;
    button->Invalidate();
}

bool TSkinSpeedButton::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT:
            // The speed button's own painting never runs.
            if (message.WParam && GraphicControl)
                PaintButton(reinterpret_cast<HDC>(message.WParam), GraphicControl->ClientRect());
            message.Result = 1;
            return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            CallOldProc(message);
            MouseState |= msPressed;
            PaintWindow(nullptr);
            return false;
        case WM_LBUTTONUP: return true;
        default: return TSkinButton::BeforeMessage(message);
    }
}

void TSkinSpeedButton::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_ENABLE:
        case CM_SKIN_FOCUSCHANGED:
        case CM_SKIN_ENABLEDCHANGED: break;
        case WM_NCDESTROY:
        case CM_RELEASE:
            // The button goes: give its WindowProc back and touch it no more.
            Unhook();
            Enabled = false;
            State = scDestroyed;
            break;
        case WM_KEYDOWN:
            if (message.WParam == VK_SPACE) {
                MouseState |= msPressed;
                PaintWindow(nullptr);
            }
            break;
        case WM_KEYUP:
            if (message.WParam != VK_SPACE) break;
            [[fallthrough]];
        case WM_LBUTTONUP:
            MouseState &= ~msPressed;
            PaintWindow(nullptr);
            break;
        case CM_MOUSEENTER:
            MouseState |= msHot;
            PaintWindow(nullptr);
            break;
        case CM_MOUSELEAVE:
            MouseState &= ~(msHot | msPressed);
            if (GraphicControl && GraphicControl->Visible()) PaintWindow(nullptr);
            break;
        case WM_MOUSEMOVE: break;
        default: TSkinButton::AfterMessage(message); break;
    }
}

void TSkinSpeedButton::PaintWindow(HDC) {
    TControl* button = GraphicControl;
    if (!button || State != scAttached) return;
    TWinControl* parent = button->Parent();
    if (!parent || !parent->HandleAllocated() || !button->Visible()) return;
    // The parent's DC placed at the button, as the button's own canvas would be.
    HDC dc = GetDC(parent->Handle());
    if (!dc) return;
    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, button->Left(), button->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, button->Width(), button->Height());
    try {
        PaintButton(dc, button->ClientRect());
    } catch (...) {
        // A failed paint leaves what was there.
    }
    RestoreDC(dc, saved);
    ReleaseDC(parent->Handle(), dc);
}

int32_t TSkinSpeedButton::SpeedFrameIndex() const {
    TControl* c = GraphicControl;
    if (Lower(GetEnumPropByName(c, "Down")) == "true") return 2;
    if (Lower(GetEnumPropByName(c, "Enabled")) != "true") return 3;
    if (MouseState & msPressed) return 2;
    if (MouseState & msHot) return 4;
    return 1;
}

int32_t TSkinSpeedButton::SpeedGlyphIndex() const {
    TControl* c = GraphicControl;
    if (Lower(GetEnumPropByName(c, "Down")) == "true") return 4;
    if (MouseState & msPressed) return 3;
    if (Lower(GetEnumPropByName(c, "Enabled")) != "true") return 2;
    return 1;
}

void TSkinSpeedButton::PaintButton(HDC dc, const TRect& rect) {
    if (!HasButtonStrip(SkinData) || Painting || !GraphicControl) return;
    PaintGuard guard(Painting);
    TControl* c = GraphicControl;
    const int32_t index = SpeedFrameIndex();
    const int32_t glyphIndex = SpeedGlyphIndex();
    WinEnabled = Lower(GetEnumPropByName(c, "Enabled")) == "true";
    Focused = false;
    Caption = GetTextPropByName(c, "Caption");
    auto* glyph = static_cast<TBitmap*>(GetObjectPropByName(c, "Glyph", &TBitmap::StaticClassInfo()));
    int32_t numGlyphs = GetOrdPropByName(c, "NumGlyphs");
    if (numGlyphs < 1) numGlyphs = 1;
    const bool flat = Lower(GetEnumPropByName(c, "Flat")) == "true";
    const int32_t margin = GetOrdPropByName(c, "Margin");
    const int32_t spacing = GetOrdPropByName(c, "Spacing");
    const TGlyphLayoutKind layout = GlyphLayoutOf(Lower(GetEnumPropByName(c, "Layout")));
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    if (W < 1 || H < 1) return;
    const TRect local{0, 0, W, H};
    Buffer->SetPixelFormat(pf24bit);
    Buffer->SetSize(W, H);
    HDC buffer = Buffer->Canvas()->Handle();
    if (TransparentBack)
        SkinPaintParentBackground(c, buffer);
    else
        FillSkinColour(buffer, local);
    // A flat button at rest or disabled shows just its background.
    if (index == 2 || index == 4 || !flat)
        DrawElementFrame(this, buffer, local, SkinData->Buttons->Frames, index, SkinData->Buttons.get());
    HFONT oldFont = nullptr;
    PrepareFont(index, oldFont);
    const TSize glyphSize = glyph && !glyph->Empty() ? TSize{glyph->Width() / numGlyphs, glyph->Height()} : TSize{0, 0};
    if (glyphSize.cx * glyphSize.cy == 0) {
        DrawButtonText(Buffer->Canvas(), local, 1, Caption);
    } else {
        Caption = ReplaceFirst(Caption, L"||", L"\r\n");
        const TSize textSize = TextSize(buffer, Caption, TextRoom(local, glyphSize, layout));
        const TGlyphPlacement at =
            PlaceGlyphAndText(TSize{W, H}, glyphSize, textSize, layout, margin, spacing, false, true);
        DrawGlyphFrame(Buffer->Canvas(),
                       TRect{at.Glyph.x, at.Glyph.y, at.Glyph.x + glyphSize.cx, at.Glyph.y + glyphSize.cy}, numGlyphs,
                       glyphIndex, glyph);
        if (!Caption.empty()) {
            SetBkMode(buffer, TRANSPARENT);
            RECT t = at.Text;
            DrawTextWide(buffer, Caption, t, BiDiFlags(this, at.Flags));
            SetBkMode(buffer, OPAQUE);
        }
    }
    BitBlt(dc, rect.left, rect.top, W, H, buffer, 0, 0, SRCCOPY);
    if (oldFont) SelectObject(buffer, oldFont);
}
