#include "classlib/MPlayer.h"

#include <algorithm>

#include "classlib/MediaGlyphShapes.h"

namespace {

// The colour a coloured glyph has.
COLORREF GlyphColour(TMPBtnType b) {
    const uint32_t c = kMediaGlyphColours[static_cast<int>(b)];
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

// The shapes in a 16 x 12 box with its top-left corner at (x, y).
void Shape(HDC dc, int x, int y, TMPBtnType b) {
    const TMediaGlyphShape& shape = kMediaGlyphShapes[static_cast<int>(b)];
    for (int i = 0; i < shape.Count; ++i) {
        const TMediaGlyphPart& p = shape.Parts[i];
        switch (p.Kind) {
            case 'T': {
                const POINT pts[3] = {{x + p.P[0], y + p.P[1]}, {x + p.P[2], y + p.P[3]}, {x + p.P[4], y + p.P[5]}};
                Polygon(dc, pts, 3);
                break;
            }
            case 'R': Rectangle(dc, x + p.P[0], y + p.P[1], x + p.P[2], y + p.P[3]); break;
            case 'E': Ellipse(dc, x + p.P[0], y + p.P[1], x + p.P[2], y + p.P[3]); break;
            default: break;
        }
    }
}

void ShapeIn(HDC dc, int x, int y, TMPBtnType b, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ ob = SelectObject(dc, brush), op = SelectObject(dc, pen);
    Shape(dc, x, y, b);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(brush);
    DeleteObject(pen);
}

}  // namespace

void DrawMediaButtonGlyph(HDC dc, const TRect& r, TMPBtnType button, TMPGlyphKind kind) {
    const int x = r.left + (RectWidth(r) - 16) / 2;
    const int y = r.top + (RectHeight(r) - 12) / 2;
    switch (kind) {
        case gkEnabled: ShapeIn(dc, x, y, button, RGB(0, 0, 0)); break;
        case gkColored: ShapeIn(dc, x, y, button, GlyphColour(button)); break;
        case gkDisabled:
            ShapeIn(dc, x + 1, y + 1, button, ColorToRGB(clBtnHighlight));
            ShapeIn(dc, x, y, button, ColorToRGB(clBtnShadow));
            break;
    }
}

DP_PUBLISHED(TMediaPlayer){
    DP_PROP_SET(VisibleButtons, VisibleButtons, SetVisibleButtons),
    DP_PROP_SET(EnabledButtons, EnabledButtons, SetEnabledButtons),
    DP_PROP_SET(ColoredButtons, ColoredButtons, SetColoredButtons),
    DP_PROP_BOOL(AutoEnable, AutoEnable, SetAutoEnable),
    DP_PROP_BOOL(AutoOpen, AutoOpen, SetAutoOpen),
    DP_PROP_BOOL(AutoRewind, AutoRewind, SetAutoRewind),
    DP_PROP_STR(FileName, FileName, SetFileName),
    DP_PROP_FIELD(OnClick, OnClick),
    DP_PROP_FIELD(OnPostClick, OnPostClick),
};

TMediaPlayer::TMediaPlayer(TComponent* owner) : TCustomControl(owner) {
    m_width = 253;
    m_height = 30;
    m_color = clBtnFace;
    m_tabStop = true;
    // Clicks are per button: the control-wide click never fires.
    m_controlStyle -= csClickEvents;
    m_controlStyle -= csSetCaption;
    m_controlStyle += csOpaque;
}

TMediaPlayer::~TMediaPlayer() = default;

void TMediaPlayer::SetVisibleButtons(TButtonSet v) {
    m_visibleButtons = v * kMPAllButtons;
    Invalidate();
}

void TMediaPlayer::SetEnabledButtons(TButtonSet v) {
    m_enabledButtons = v * kMPAllButtons;
    Invalidate();
}

void TMediaPlayer::SetColoredButtons(TButtonSet v) {
    m_coloredButtons = v * kMPAllButtons;
    Invalidate();
}

int TMediaPlayer::VisibleCount() const {
    int n = 0;
    for (int i = 0; i < kMPButtonCount; ++i)
        if (m_visibleButtons.Contains(static_cast<TMPBtnType>(i))) ++n;
    return n;
}

int TMediaPlayer::ButtonWidth() {
    const int n = VisibleCount();
    return n ? ClientWidth() / n : 0;
}

TRect TMediaPlayer::ButtonRect(TMPBtnType button) {
    if (!m_visibleButtons.Contains(button)) return Rect(0, 0, 0, 0);
    const int w = ButtonWidth();
    int x = 0;
    for (int i = 0; i < static_cast<int>(button); ++i)
        if (m_visibleButtons.Contains(static_cast<TMPBtnType>(i))) x += w;
    return Rect(x, 0, x + w, ClientHeight());
}

int TMediaPlayer::ButtonAt(int x) {
    const int w = ButtonWidth();
    int s = 0;
    for (int i = 0; i < kMPButtonCount; ++i) {
        if (!m_visibleButtons.Contains(static_cast<TMPBtnType>(i))) continue;
        if (x >= s && x <= s + w) return i;
        s += w;
    }
    return kMPNoButton;
}

void TMediaPlayer::ClickButton(TMPBtnType button) {
    if (!m_enabled || !m_visibleButtons.Contains(button) || !m_enabledButtons.Contains(button)) return;
    bool doDefault = true;
    OnClick(this, button, doDefault);
    // The default action would drive the device; with none open there is nothing to do.
    if (doDefault) OnPostClick(this, button);
}

void TMediaPlayer::WndProc(TMessage& m) {
    const int x = static_cast<short>(LOWORD(m.LParam));
    const int y = static_cast<short>(HIWORD(m.LParam));
    switch (m.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const int b = ButtonAt(x);
            m_pressing = true;
            m_pressed = b;
            m_over = b != kMPNoButton;
            if (HandleAllocated() && CanFocus()) SetFocus();
            Invalidate();
            break;
        }
        case WM_MOUSEMOVE:
            if (m_pressing && m_pressed != kMPNoButton) {
                const TRect r = ButtonRect(static_cast<TMPBtnType>(m_pressed));
                const POINT p{x, y};
                const bool over = PtInRect(&r, p) != 0;
                if (over != m_over) {
                    m_over = over;
                    Invalidate();
                }
            }
            break;
        case WM_LBUTTONUP: {
            const int b = ButtonAt(x);
            const int pressed = m_pressed;
            const bool wasPressing = m_pressing;
            m_pressing = false;
            m_pressed = kMPNoButton;
            m_over = false;
            Invalidate();
            TCustomControl::WndProc(m);
            // Only a release on the button where the press began is a click.
            if (wasPressing && b != kMPNoButton && b == pressed) ClickButton(static_cast<TMPBtnType>(b));
            return;
        }
        case CM_ENABLEDCHANGED: Invalidate(); break;
        default: break;
    }
    TCustomControl::WndProc(m);
}

void TMediaPlayer::Paint() {
    HDC dc = m_canvas->Handle();
    const TRect all = ClientRect();
    HBRUSH face = CreateSolidBrush(ColorToRGB(m_color));
    FillRect(dc, &all, face);
    DeleteObject(face);
    for (int i = 0; i < kMPButtonCount; ++i) {
        const auto b = static_cast<TMPBtnType>(i);
        if (!m_visibleButtons.Contains(b)) continue;
        TRect r = ButtonRect(b);
        const bool enabled = m_enabled && m_enabledButtons.Contains(b);
        const bool down = m_pressing && m_pressed == i && m_over && enabled;
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
        if (down) OffsetRect(&r, 1, 1);
        TMPGlyphKind kind = gkEnabled;
        if (!enabled)
            kind = gkDisabled;
        else if (m_coloredButtons.Contains(b))
            kind = gkColored;
        DrawMediaButtonGlyph(dc, r, b, kind);
    }
}
