#include "classlib/Buttons.h"

#include <algorithm>

#include "classlib/Forms.h"

void DrawButtonFace(HDC dc, const TRect& r, TBitmap* glyph, int numGlyphs, const std::string& caption, TFont* font,
                    TButtonLayout layout, int margin, int spacing, bool down, bool enabled) {
    const int saved = SaveDC(dc);
    SelectObject(dc, font->Handle());
    SIZE ts{0, 0};
    RECT tr{0, 0, 0, 0};
    if (!caption.empty()) {
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, DT_SINGLELINE | DT_CALCRECT);
        ts.cx = tr.right;
        ts.cy = tr.bottom;
    }
    int gw = 0, gh = 0;
    const bool hasGlyph = glyph && !glyph->Empty();
    if (hasGlyph) {
        numGlyphs = std::clamp(numGlyphs, 1, 4);
        gw = glyph->Width() / numGlyphs;
        gh = glyph->Height();
    }
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    const int gap = hasGlyph && ts.cx ? spacing : 0;
    const int total = horizontal ? gw + gap + ts.cx : gh + gap + ts.cy;
    const int avail = horizontal ? RectWidth(r) : RectHeight(r);
    int start = margin < 0 ? (avail - total) / 2 : margin;
    const int off = down ? 1 : 0;
    int gx, gy, tx, ty;
    if (horizontal) {
        gy = r.top + (RectHeight(r) - gh) / 2;
        ty = r.top + (RectHeight(r) - ts.cy) / 2;
        if (layout == blGlyphLeft) {
            gx = r.left + start;
            tx = gx + gw + gap;
        } else {
            tx = r.left + start;
            gx = tx + ts.cx + gap;
        }
    } else {
        gx = r.left + (RectWidth(r) - gw) / 2;
        tx = r.left + (RectWidth(r) - ts.cx) / 2;
        if (layout == blGlyphTop) {
            gy = r.top + start;
            ty = gy + gh + gap;
        } else {
            ty = r.top + start;
            gy = ty + ts.cy + gap;
        }
    }
    if (hasGlyph) {
        int index = 0;
        if (!enabled && numGlyphs > 1) index = 1;
        if (down && numGlyphs > 2) index = 2;
        HDC src = glyph->Canvas()->Handle();
        COLORREF key = ColorToRGB(glyph->TransparentColor()) & 0xFFFFFF;
        TransparentBlt(dc, gx + off, gy + off, gw, gh, src, index * gw, 0, gw, gh, key);
    }
    if (!caption.empty()) {
        SetBkMode(dc, TRANSPARENT);
        RECT t{tx + off, ty + off, tx + off + ts.cx, ty + off + ts.cy};
        if (!enabled) {
            OffsetRect(&t, 1, 1);
            SetTextColor(dc, ColorToRGB(clBtnHighlight));
            DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &t, DT_SINGLELINE);
            OffsetRect(&t, -1, -1);
            SetTextColor(dc, ColorToRGB(clBtnShadow));
        } else {
            SetTextColor(dc, ColorToRGB(font->Color()));
        }
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &t, DT_SINGLELINE);
    }
    RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------

DP_PUBLISHED(TBitBtn){
    DP_PROP_OBJ(Glyph, Glyph, SetGlyph),       DP_PROP_INT(NumGlyphs, NumGlyphs, SetNumGlyphs),
    DP_PROP_ENUM(Layout, Layout, SetLayout),   DP_PROP_INT(Margin, Margin, SetMargin),
    DP_PROP_INT(Spacing, Spacing, SetSpacing), DP_PROP_ENUM(Kind, Kind, SetKind),
};

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), m_glyph(std::make_unique<TBitmap>()) {
    m_glyph->OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::CreateParams(TCreateParams& p) {
    TButton::CreateParams(p);
    p.Style &= ~static_cast<DWORD>(BS_DEFPUSHBUTTON);
    p.Style |= BS_OWNERDRAW;
}

void TBitBtn::SetGlyph(TBitmap* glyph) {
    if (glyph && glyph != m_glyph.get()) m_glyph->Assign(glyph);
    Invalidate();
}

void TBitBtn::GlyphChanged(TObject*) { Invalidate(); }
void TBitBtn::SetNumGlyphs(int32_t v) {
    m_numGlyphs = std::clamp(v, 1, 4);
    Invalidate();
}
void TBitBtn::SetLayout(TButtonLayout v) {
    m_layout = v;
    Invalidate();
}
void TBitBtn::SetMargin(int32_t v) {
    m_margin = v;
    Invalidate();
}
void TBitBtn::SetSpacing(int32_t v) {
    m_spacing = v;
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind v) {
    m_kind = v;
    static const TModalResult results[] = {mrNone, mrOk,    mrCancel, mrNone,   mrYes, mrNo,
                                           mrNone, mrAbort, mrRetry,  mrIgnore, mrAll};
    if (v != bkCustom) m_modalResult = results[v];
    if (v == bkCancel) m_cancel = true;
    if (v == bkOK || v == bkYes) m_default = true;
    Invalidate();
}

void TBitBtn::WndProc(TMessage& m) {
    if (m.Msg == CN_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
        const bool down = (di->itemState & ODS_SELECTED) != 0;
        RECT r = di->rcItem;
        UINT state = DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0);
        DrawFrameControl(di->hDC, &r, DFC_BUTTON, state);
        if ((di->itemState & ODS_FOCUS) || m_default) {
            RECT f = di->rcItem;
            InflateRect(&f, -4, -4);
            if (di->itemState & ODS_FOCUS) DrawFocusRect(di->hDC, &f);
        }
        DrawButtonFace(di->hDC, di->rcItem, m_glyph.get(), m_numGlyphs, Text(), m_font.get(), m_layout, m_margin,
                       m_spacing, down, m_enabled);
        m.Result = TRUE;
        return;
    }
    TButton::WndProc(m);
}

// ---------------------------------------------------------------------------

DP_PUBLISHED(TSpeedButton){
    DP_PROP_OBJ(Glyph, Glyph, SetGlyph),
    DP_PROP_INT(NumGlyphs, NumGlyphs, SetNumGlyphs),
    DP_PROP_INT(GroupIndex, GroupIndex, SetGroupIndex),
    DP_PROP_BOOL(Down, Down, SetDown),
    DP_PROP_BOOL(AllowAllUp, AllowAllUp, SetAllowAllUp),
    DP_PROP_BOOL(Flat, Flat, SetFlat),
    DP_PROP_ENUM(Layout, Layout, SetLayout),
    DP_PROP_INT(Margin, Margin, SetMargin),
    DP_PROP_INT(Spacing, Spacing, SetSpacing),
    DP_PROP_BOOL(Transparent, Transparent, SetTransparent),
};

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner), m_glyph(std::make_unique<TBitmap>()) {
    m_width = 23;
    m_height = 22;
    m_color = clBtnFace;
    m_parentColor = true;
    m_glyph->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(TBitmap* glyph) {
    if (glyph && glyph != m_glyph.get()) m_glyph->Assign(glyph);
    Invalidate();
}

void TSpeedButton::GlyphChanged(TObject*) { Invalidate(); }
void TSpeedButton::SetNumGlyphs(int32_t v) {
    m_numGlyphs = std::clamp(v, 1, 4);
    Invalidate();
}
void TSpeedButton::SetFlat(bool v) {
    m_flat = v;
    Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout v) {
    m_layout = v;
    Invalidate();
}
void TSpeedButton::SetMargin(int32_t v) {
    m_margin = v;
    Invalidate();
}
void TSpeedButton::SetSpacing(int32_t v) {
    m_spacing = v;
    Invalidate();
}
void TSpeedButton::SetTransparent(bool v) {
    m_transparent = v;
    Invalidate();
}

void TSpeedButton::SetDown(bool v) {
    if (m_groupIndex == 0) v = false;
    if (v == m_down) return;
    if (m_down && !v && !m_allowAllUp) {
        // the last one down in its group stays down
        bool other = false;
        if (m_parent)
            for (int i = 0; i < m_parent->ControlCount(); ++i)
                if (auto* s = DynamicAs<TSpeedButton>(m_parent->Controls(i)))
                    if (s != this && s->m_groupIndex == m_groupIndex && s->m_down) other = true;
        if (!other) return;
    }
    m_down = v;
    if (v && m_parent)
        for (int i = 0; i < m_parent->ControlCount(); ++i)
            if (auto* s = DynamicAs<TSpeedButton>(m_parent->Controls(i)))
                if (s != this && s->m_groupIndex == m_groupIndex && s->m_down) {
                    s->m_down = false;
                    s->Invalidate();
                }
    Invalidate();
}

void TSpeedButton::Click() {
    if (m_groupIndex != 0) {
        if (!m_down)
            SetDown(true);
        else if (m_allowAllUp) {
            m_down = false;
            Invalidate();
        }
    }
    TGraphicControl::Click();
}

void TSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (m_enabled) {
                m_pressed = true;
                Repaint();
            }
            break;
        case WM_LBUTTONUP:
            if (m_pressed) {
                m_pressed = false;
                Invalidate();
            }
            break;
        case CM_MOUSEENTER:
            m_hot = true;
            if (m_flat) Invalidate();
            break;
        case CM_MOUSELEAVE:
            m_hot = false;
            if (m_flat) Invalidate();
            break;
        case CM_ENABLEDCHANGED:
        case CM_TEXTCHANGED: Invalidate(); break;
        default: break;
    }
    TGraphicControl::WndProc(m);
}

void TSpeedButton::Paint() {
    HDC dc = m_canvas->Handle();
    RECT r = ClientRect();
    const bool down = m_pressed || m_down;
    if (!m_flat || !m_transparent) {
        HBRUSH b = CreateSolidBrush(ColorToRGB(m_color));
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    if (!m_flat)
        DrawEdge(dc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    else if (down)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    else if (m_hot && m_enabled)
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    DrawButtonFace(dc, r, m_glyph.get(), m_numGlyphs, Text(), m_font.get(), m_layout, m_margin, m_spacing, down,
                   m_enabled);
}
