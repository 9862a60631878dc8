#include "classlib/ExtCtrls.h"

#include <algorithm>
#include <cstdint>

#include "classlib/Forms.h"

void Frame3D(HDC dc, TRect& r, TColor topColor, TColor bottomColor, int width) {
    HPEN top = CreatePen(PS_SOLID, 1, ColorToRGB(topColor));
    HPEN bottom = CreatePen(PS_SOLID, 1, ColorToRGB(bottomColor));
    HGDIOBJ old = SelectObject(dc, top);
    r.bottom -= 1;
    r.right -= 1;
    for (int i = 0; i < width; ++i) {
        SelectObject(dc, top);
        MoveToEx(dc, r.left, r.bottom, nullptr);
        LineTo(dc, r.left, r.top);
        LineTo(dc, r.right, r.top);
        SelectObject(dc, bottom);
        LineTo(dc, r.right, r.bottom);
        LineTo(dc, r.left - 1, r.bottom);
        InflateRect(&r, -1, -1);
    }
    r.bottom += 1;
    r.right += 1;
    SelectObject(dc, old);
    DeleteObject(top);
    DeleteObject(bottom);
}

// ---------------------------------------------------------------------------
// Panel

DP_PUBLISHED(TCustomPanel){
    DP_PROP_ENUM(BevelInner, BevelInner, SetBevelInner),    DP_PROP_ENUM(BevelOuter, BevelOuter, SetBevelOuter),
    DP_PROP_INT(BevelWidth, BevelWidth, SetBevelWidth),     DP_PROP_INT(BorderWidth, BorderWidth, SetBorderWidth),
    DP_PROP_ENUM(BorderStyle, BorderStyle, SetBorderStyle), DP_PROP_ENUM(Alignment, Alignment, SetAlignment),
    DP_PROP_BOOL(Transparent, Transparent, SetTransparent), DP_PROP_BOOL(FullRepaint, FullRepaint, SetFullRepaint),
};
DP_PUBLISHED(TPanel){};

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
    m_width = 185;
    m_height = 41;
    m_color = clBtnFace;
    m_controlStyle += csAcceptsControls;
    m_controlStyle += csClickEvents;
}

void TCustomPanel::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    if (m_borderStyle == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomPanel::SetBevelInner(TPanelBevel v) {
    m_bevelInner = v;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelOuter(TPanelBevel v) {
    m_bevelOuter = v;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBevelWidth(int32_t v) {
    m_bevelWidth = v < 1 ? 1 : v;
    Realign();
    Invalidate();
}
void TCustomPanel::SetBorderWidth(int32_t v) {
    m_borderWidth = v < 0 ? 0 : v;
    Realign();
    Invalidate();
}
void TCustomPanel::SetAlignment(TAlignment v) {
    m_alignment = v;
    Invalidate();
}
void TCustomPanel::SetTransparent(bool v) {
    m_transparent = v;
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle v) {
    if (v == m_borderStyle) return;
    m_borderStyle = v;
    RecreateWnd();
}

void TCustomPanel::AdjustClientRect(TRect& rect) {
    int w = m_borderWidth;
    if (m_bevelOuter != bvNone) w += m_bevelWidth;
    if (m_bevelInner != bvNone) w += m_bevelWidth;
    InflateRect(&rect, -w, -w);
}

void TCustomPanel::WndProc(TMessage& m) {
    if (m.Msg == WM_ERASEBKGND && m_transparent) {
        m.Result = 1;
        return;
    }
    TCustomControl::WndProc(m);
}

void TCustomPanel::Paint() {
    HDC dc = m_canvas->Handle();
    TRect r = ClientRect();
    auto bevel = [&](TPanelBevel b) {
        if (b == bvNone) return;
        if (b == bvSpace) {
            InflateRect(&r, -m_bevelWidth, -m_bevelWidth);
            return;
        }
        TColor top = b == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(dc, r, top, bottom, m_bevelWidth);
    };
    bevel(m_bevelOuter);
    if (m_borderWidth) InflateRect(&r, -m_borderWidth, -m_borderWidth);
    bevel(m_bevelInner);
    const std::string text = Text();
    if (!text.empty()) {
        const int saved = SaveDC(dc);
        SelectObject(dc, m_font->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(m_enabled ? m_font->Color() : clGrayText));
        UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
        flags |= m_alignment == taCenter ? DT_CENTER : m_alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
        RestoreDC(dc, saved);
    }
}

// ---------------------------------------------------------------------------
// Bevel

DP_PUBLISHED(TBevel){
    DP_PROP_ENUM(Shape, Shape, SetShape),
    DP_PROP_ENUM(Style, Style, SetStyle),
};

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    m_width = 50;
    m_height = 50;
    m_parentColor = true;
    m_color = clBtnFace;
}

void TBevel::SetShape(TBevelShape v) {
    m_shape = v;
    Invalidate();
}
void TBevel::SetStyle(TBevelStyle v) {
    m_style = v;
    Invalidate();
}

void TBevel::Paint() {
    HDC dc = m_canvas->Handle();
    const TColor c1 = m_style == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor c2 = m_style == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = m_width, h = m_height;
    auto line = [dc](TColor c, int x1, int y1, int x2, int y2) {
        HPEN p = CreatePen(PS_SOLID, 1, ColorToRGB(c));
        HGDIOBJ old = SelectObject(dc, p);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SelectObject(dc, old);
        DeleteObject(p);
    };
    switch (m_shape) {
        case bsBox: {
            TRect r = ClientRect();
            Frame3D(dc, r, c1, c2, 1);
            break;
        }
        case bsFrame: {
            TRect r = Rect(0, 0, w - 1, h - 1);
            Frame3D(dc, r, c1, c1, 1);
            r = Rect(1, 1, w, h);
            Frame3D(dc, r, c2, c2, 1);
            break;
        }
        case bsTopLine:
            line(c1, 0, 0, w, 0);
            line(c2, 0, 1, w, 1);
            break;
        case bsBottomLine:
            line(c1, 0, h - 2, w, h - 2);
            line(c2, 0, h - 1, w, h - 1);
            break;
        case bsLeftLine:
            line(c1, 0, 0, 0, h);
            line(c2, 1, 0, 1, h);
            break;
        case bsRightLine:
            line(c1, w - 2, 0, w - 2, h);
            line(c2, w - 1, 0, w - 1, h);
            break;
        case bsSpacer: break;
    }
}

// ---------------------------------------------------------------------------
// Image

DP_PUBLISHED(TImage){
    DP_PROP_OBJ(Picture, Picture, SetPicture),
    DP_PROP_BOOL(Stretch, Stretch, SetStretch),
    DP_PROP_BOOL(Center, Center, SetCenter),
    DP_PROP_BOOL(Proportional, Proportional, SetProportional),
    DP_PROP_BOOL(Transparent, Transparent, SetTransparent),
    DP_PROP_BOOL(AutoSize, AutoSize, SetAutoSize),
};

TImage::TImage(TComponent* owner) : TGraphicControl(owner), m_picture(std::make_unique<TPicture>()) {
    m_width = 105;
    m_height = 105;
    m_parentColor = true;
    m_color = clBtnFace;
    m_picture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
}

TImage::~TImage() = default;

void TImage::SetPicture(TPicture* picture) {
    if (picture && picture != m_picture.get()) m_picture->Assign(picture);
}

void TImage::SetStretch(bool v) {
    m_stretch = v;
    Invalidate();
}
void TImage::SetCenter(bool v) {
    m_center = v;
    Invalidate();
}
void TImage::SetProportional(bool v) {
    m_proportional = v;
    Invalidate();
}

void TImage::SetTransparent(bool v) {
    m_transparent = v;
    if (TGraphic* g = m_picture->Graphic()) g->SetTransparent(v);
    Invalidate();
}

void TImage::PictureChanged(TObject*) {
    if (TGraphic* g = m_picture->Graphic())
        if (m_transparent && !g->Transparent()) g->SetTransparent(true);
    AdjustSize();
    Invalidate();
}

void TImage::AdjustSize() {
    if (!m_autoSize || IsLoading()) return;
    if (m_picture->Width() > 0 && m_picture->Height() > 0)
        SetBounds(m_left, m_top, m_picture->Width(), m_picture->Height());
}

TCanvas* TImage::Canvas() {
    TBitmap* b = m_picture->Bitmap();
    if (b->Empty()) b->SetSize(m_width, m_height);
    return b->Canvas();
}

TRect TImage::DestRect() {
    int w = m_picture->Width(), h = m_picture->Height();
    const int cw = m_width, ch = m_height;
    if (m_stretch || (m_proportional && (w > cw || h > ch))) {
        if (m_proportional && w > 0 && h > 0) {
            // cw / w < ch / h, compared in integers so equal ratios fall the same way on every build
            if (int64_t{cw} * h < int64_t{ch} * w) {
                h = h * cw / w;
                w = cw;
            } else {
                w = w * ch / h;
                h = ch;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r = Rect(0, 0, w, h);
    if (m_center) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint() {
    TGraphic* g = m_picture->Graphic();
    if (!g || g->Empty()) return;
    m_canvas->StretchDraw(DestRect(), g);
}

// ---------------------------------------------------------------------------
// Shape

DP_PUBLISHED(TShape){
    DP_PROP_OBJ(Brush, Brush, SetBrush),
    DP_PROP_OBJ(Pen, Pen, SetPen),
    DP_PROP_ENUM(Shape, Shape, SetShape),
};

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), m_brush(std::make_unique<TBrush>()), m_pen(std::make_unique<TPen>()) {
    m_width = 65;
    m_height = 65;
    m_brush->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
    m_pen->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
}

TShape::~TShape() = default;

void TShape::SetBrush(TBrush* brush) {
    if (brush && brush != m_brush.get()) m_brush->Assign(brush);
}

void TShape::SetPen(TPen* pen) {
    if (pen && pen != m_pen.get()) m_pen->Assign(pen);
}

void TShape::SetShape(TShapeType v) {
    m_shape = v;
    Invalidate();
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::Paint() {
    TCanvas* c = m_canvas.get();
    c->Pen()->Assign(m_pen.get());
    c->Brush()->Assign(m_brush.get());
    int pw = m_pen->Width();
    int x = pw / 2, y = pw / 2;
    int w = m_width - pw + 1, h = m_height - pw + 1;
    if (pw == 0) {
        w -= 1;
        h -= 1;
    }
    if (w < h) {
        if (m_shape == stSquare || m_shape == stRoundSquare || m_shape == stCircle) {
            y += (h - w) / 2;
            h = w;
        }
    } else if (m_shape == stSquare || m_shape == stRoundSquare || m_shape == stCircle) {
        x += (w - h) / 2;
        w = h;
    }
    switch (m_shape) {
        case stRectangle:
        case stSquare: c->Rectangle(x, y, x + w, y + h); break;
        case stRoundRect:
        case stRoundSquare: {
            int s = std::min(w, h) / 4;
            c->RoundRect(x, y, x + w, y + h, s, s);
            break;
        }
        case stEllipse:
        case stCircle: c->Ellipse(x, y, x + w, y + h); break;
    }
}

// ---------------------------------------------------------------------------
// Radio group

DP_PUBLISHED(TGroupButton){};

TGroupButton::TGroupButton(TCustomRadioGroup* group) : TRadioButton(nullptr), m_group(group) { m_parentColor = true; }

void TGroupButton::Click() {
    if (m_group && !m_group->m_updating && Checked()) m_group->ButtonClicked(this);
    TRadioButton::Click();
}

DP_PUBLISHED(TCustomRadioGroup){
    DP_PROP_STRINGS(Items, Items, SetItems),
    DP_PROP_INT(ItemIndex, ItemIndex, SetItemIndex),
    DP_PROP_INT(Columns, Columns, SetColumns),
};
DP_PUBLISHED(TRadioGroup){};

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), m_items(std::make_unique<TStringList>()) {
    m_items->OnChange = [this] {
        if (!IsLoading()) UpdateButtons();
    };
}

TCustomRadioGroup::~TCustomRadioGroup() {
    m_items->OnChange = nullptr;
    for (TGroupButton* b : m_buttons) delete b;
    m_buttons.clear();
}

void TCustomRadioGroup::SetItems(TStrings* items) {
    if (items && items != m_items.get()) m_items->Assign(*items);
}

void TCustomRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
    m_updating = true;
    while (static_cast<int>(m_buttons.size()) > m_items->Count()) {
        delete m_buttons.back();
        m_buttons.pop_back();
    }
    while (static_cast<int>(m_buttons.size()) < m_items->Count()) {
        auto* b = new TGroupButton(this);
        b->SetParent(this);
        m_buttons.push_back(b);
    }
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->SetCaption(m_items->Get(static_cast<int>(i)));
        m_buttons[i]->SetChecked(static_cast<int>(i) == m_itemIndex);
        m_buttons[i]->SetEnabled(m_enabled);
    }
    if (m_itemIndex >= static_cast<int>(m_buttons.size())) m_itemIndex = -1;
    m_updating = false;
    ArrangeButtons();
}

void TCustomRadioGroup::ArrangeButtons() {
    if (m_buttons.empty()) return;
    const int columns = std::max(1, m_columns);
    const int rows = (static_cast<int>(m_buttons.size()) + columns - 1) / columns;
    TRect r = Rect(0, 0, m_width, m_height);
    AdjustClientRect(r);
    const int colWidth = (RectWidth(r) - 8) / columns;
    const int rowHeight = std::max(1, RectHeight(r) / std::max(1, rows));
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        const int col = static_cast<int>(i) / rows, row = static_cast<int>(i) % rows;
        m_buttons[i]->SetBounds(r.left + 6 + col * colWidth, r.top + row * rowHeight + (rowHeight - 17) / 2, colWidth,
                                17);
    }
}

void TCustomRadioGroup::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    TCustomGroupBox::SetBounds(left, top, width, height);
    ArrangeButtons();
}

void TCustomRadioGroup::FontChanged() {
    TCustomGroupBox::FontChanged();
    ArrangeButtons();
}

void TCustomRadioGroup::SetItemIndex(int32_t index) {
    if (IsLoading()) {
        m_itemIndex = index;
        return;
    }
    if (index < -1 || index >= static_cast<int>(m_buttons.size())) index = -1;
    m_updating = true;
    m_itemIndex = index;
    if (index >= 0)
        m_buttons[index]->SetChecked(true);
    else
        for (TGroupButton* b : m_buttons) b->SetChecked(false);
    m_updating = false;
}

void TCustomRadioGroup::SetColumns(int32_t v) {
    m_columns = std::clamp(v, 1, 16);
    ArrangeButtons();
}

void TCustomRadioGroup::ButtonClicked(TGroupButton* button) {
    auto it = std::find(m_buttons.begin(), m_buttons.end(), button);
    if (it == m_buttons.end()) return;
    m_itemIndex = static_cast<int32_t>(it - m_buttons.begin());
    Click();
}

// ---------------------------------------------------------------------------
// Timer

DP_PUBLISHED(TTimer){
    DP_PROP_BOOL(Enabled, Enabled, SetEnabled),
    DP_PROP_INT(Interval, Interval, SetInterval),
    DP_PROP_FIELD(OnTimer, OnTimer),
};

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    m_window = AllocateHWnd([this](TMessage& m) { WndProc(m); });
    if (!ComponentState().Contains(csLoading)) UpdateTimer();
}

TTimer::~TTimer() {
    if (m_window) {
        KillTimer(m_window, 1);
        DeallocateHWnd(m_window);
    }
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::SetEnabled(bool v) {
    if (v == m_enabled) return;
    m_enabled = v;
    UpdateTimer();
}

void TTimer::SetInterval(uint32_t v) {
    if (v == m_interval) return;
    m_interval = v;
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (!m_window) return;
    if (m_running) KillTimer(m_window, 1);
    m_running = false;
    if (ComponentState().Contains(csLoading)) return;
    if (m_enabled && m_interval > 0) m_running = SetTimer(m_window, 1, m_interval, nullptr) != 0;
}

void TTimer::Timer() { OnTimer(this); }

void TTimer::WndProc(TMessage& m) {
    if (m.Msg == WM_TIMER) {
        Timer();
        return;
    }
    m.Result = DefWindowProcA(m_window, m.Msg, m.WParam, m.LParam);
}
