// The builder's stored skin, drawn here rather than shipped as artwork: every
// strip is laid out the way the painter that uses it numbers its frames.
#include "tools/skingen/SkinGen.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "classlib/BmpFile.h"
#include "classlib/PngFile.h"

namespace skingen {

TImage::TImage(int w, int h, uint32_t fill)
    : Width(w), Height(h), Pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}

void TImage::Set(int x, int y, uint32_t c) {
    if (x < 0 || y < 0 || x >= Width || y >= Height) return;
    Pixels[static_cast<size_t>(y) * Width + x] = c;
}

namespace {

// ---------------------------------------------------------------------------
// Palette: satin steel with a blue-grey accent.

constexpr uint32_t Rgb(int r, int g, int b) {
    return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

constexpr uint32_t Steel = Rgb(196, 200, 206);
constexpr uint32_t SteelLight = Rgb(222, 225, 229);
constexpr uint32_t SteelPale = Rgb(232, 234, 237);
constexpr uint32_t SteelDark = Rgb(140, 146, 154);
constexpr uint32_t Outline = Rgb(94, 100, 108);
constexpr uint32_t Accent = Rgb(96, 116, 140);
constexpr uint32_t AccentLight = Rgb(138, 156, 178);
constexpr uint32_t Ink = Rgb(32, 36, 40);
constexpr uint32_t InkGrey = Rgb(150, 154, 160);
constexpr uint32_t White = Rgb(255, 255, 255);
constexpr uint32_t Well = Rgb(242, 244, 246);

int Chan(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

uint32_t Shade(uint32_t c, int d) {
    auto f = [&](int shift) { return std::clamp(Chan(c, shift) + d, 0, 255); };
    return Rgb(f(16), f(8), f(0));
}

// t of 256 parts b.
uint32_t Mix(uint32_t a, uint32_t b, int t) {
    auto f = [&](int shift) { return (Chan(a, shift) * (256 - t) + Chan(b, shift) * t) / 256; };
    uint32_t c = Rgb(f(16), f(8), f(0));
    // A blend must never land on the key colour by accident.
    return c == Magenta ? Shade(c, -1) : c;
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t seed) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// ---------------------------------------------------------------------------
// Drawing on one frame.

void Fill(TImage& f, int x0, int y0, int w, int h, uint32_t c) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) f.Set(x, y, c);
}

// Brushing: each row is a little lighter or darker than its neighbours, and
// runs of a dozen pixels along it vary once more, so the grain is horizontal
// and long runs keep the package small.
void Brushed(TImage& f, int x0, int y0, int w, int h, uint32_t base, uint32_t seed, int amp = 3) {
    for (int y = y0; y < y0 + h; ++y) {
        const uint32_t row = Hash(static_cast<uint32_t>(y), 0, seed);
        const int rowShade = static_cast<int>(row % static_cast<uint32_t>(2 * amp + 1)) - amp;
        const int phase = static_cast<int>((row >> 8) % 12);
        for (int x = x0; x < x0 + w; ++x) {
            const uint32_t seg = Hash(static_cast<uint32_t>((x + phase) / 12), static_cast<uint32_t>(y), seed);
            const int d = rowShade + static_cast<int>(seg % 3) - 1;
            f.Set(x, y, Shade(base, d));
        }
    }
}

// Rows from `top` to `bottom` colour, brushed.
void BrushedGradient(TImage& f, int x0, int y0, int w, int h, uint32_t top, uint32_t bottom, uint32_t seed) {
    for (int y = 0; y < h; ++y) {
        const int t = h > 1 ? y * 256 / (h - 1) : 0;
        Brushed(f, x0, y0 + y, w, 1, Mix(top, bottom, t), seed + static_cast<uint32_t>(y) * 7u, 2);
    }
}

void HLine(TImage& f, int x0, int x1, int y, uint32_t c) {
    for (int x = x0; x <= x1; ++x) f.Set(x, y, c);
}

void VLine(TImage& f, int x, int y0, int y1, uint32_t c) {
    for (int y = y0; y <= y1; ++y) f.Set(x, y, c);
}

void Line(TImage& f, int x0, int y0, int x1, int y1, uint32_t c) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        f.Set(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

// Light top and left, dark bottom and right.
void Bevel(TImage& f, int x0, int y0, int w, int h, uint32_t light, uint32_t dark) {
    HLine(f, x0, x0 + w - 1, y0, light);
    VLine(f, x0, y0, y0 + h - 1, light);
    HLine(f, x0, x0 + w - 1, y0 + h - 1, dark);
    VLine(f, x0 + w - 1, y0, y0 + h - 1, dark);
}

void Box(TImage& f, int x0, int y0, int w, int h, uint32_t c) { Bevel(f, x0, y0, w, h, c, c); }

enum Corner { TopLeft = 1, TopRight = 2, BottomLeft = 4, BottomRight = 8, AllCorners = 15 };

// Rounds the chosen corners of the frame by keying out r pixels diagonally.
void Cut(TImage& f, int r, int corners = AllCorners) {
    for (int y = 0; y < r; ++y)
        for (int x = 0; x + y < r; ++x) {
            if (corners & TopLeft) f.Set(x, y, Magenta);
            if (corners & TopRight) f.Set(f.Width - 1 - x, y, Magenta);
            if (corners & BottomLeft) f.Set(x, f.Height - 1 - y, Magenta);
            if (corners & BottomRight) f.Set(f.Width - 1 - x, f.Height - 1 - y, Magenta);
        }
}

enum Dir { Up, Down, Left, Right };

// A filled arrow head of `size` rows, pointing d, centred on (cx, cy).
void Arrow(TImage& f, int cx, int cy, Dir d, int size, uint32_t c) {
    for (int i = 0; i < size; ++i) {
        const int half = (d == Up || d == Left) ? i : size - 1 - i;
        const int at = i - size / 2;
        for (int k = -half; k <= half; ++k) {
            if (d == Up || d == Down)
                f.Set(cx + k, cy + at, c);
            else
                f.Set(cx + at, cy + k, c);
        }
    }
}

// ---------------------------------------------------------------------------
// Strips.

using TFrameDraw = std::function<void(TImage& frame, int n)>;  // n from 1

TImage Strip(int frames, int fw, int fh, bool vertical, const TFrameDraw& draw) {
    TImage strip(vertical ? fw : fw * frames, vertical ? fh * frames : fh);
    for (int n = 1; n <= frames; ++n) {
        TImage f(fw, fh, Steel);
        draw(f, n);
        const int ox = vertical ? 0 : (n - 1) * fw, oy = vertical ? (n - 1) * fh : 0;
        for (int y = 0; y < fh; ++y)
            for (int x = 0; x < fw; ++x) strip.Set(ox + x, oy + y, f.At(x, y));
    }
    return strip;
}

// The states a plate can show; each painter maps its own frame numbers onto them.
enum class Look { Normal, Pressed, Disabled, Hot, Focused, Inactive };

// A raised steel plate filling the frame: push buttons, caption buttons,
// combo buttons, thumbs and up-down halves.
void Plate(TImage& f, Look look, uint32_t seed, int round = 2) {
    const int w = f.Width, h = f.Height;
    switch (look) {
        case Look::Pressed:
            BrushedGradient(f, 0, 0, w, h, SteelDark, Steel, seed);
            Bevel(f, 1, 1, w - 2, h - 2, Shade(SteelDark, -20), SteelLight);
            break;
        case Look::Disabled:
        case Look::Inactive:
            Fill(f, 0, 0, w, h, SteelPale);
            Bevel(f, 1, 1, w - 2, h - 2, White, SteelLight);
            break;
        case Look::Hot:
            BrushedGradient(f, 0, 0, w, h, Mix(SteelLight, AccentLight, 120), Mix(Steel, Accent, 90), seed);
            Bevel(f, 1, 1, w - 2, h - 2, Mix(White, AccentLight, 60), Mix(SteelDark, Accent, 100));
            break;
        default:
            BrushedGradient(f, 0, 0, w, h, SteelLight, Steel, seed);
            Bevel(f, 1, 1, w - 2, h - 2, White, SteelDark);
            break;
    }
    const uint32_t edge = look == Look::Disabled || look == Look::Inactive ? InkGrey
                          : look == Look::Focused                          ? Accent
                                                                           : Outline;
    Box(f, 0, 0, w, h, edge);
    if (look == Look::Focused) Box(f, 1, 1, w - 2, h - 2, AccentLight);
    if (round > 0) Cut(f, round);
}

uint32_t GlyphColour(Look look) {
    switch (look) {
        case Look::Disabled:
        case Look::Inactive: return InkGrey;
        case Look::Hot: return Rgb(16, 28, 44);
        default: return Ink;
    }
}

// ---------------------------------------------------------------------------
// Window frame: [Personality].

constexpr int BorderWidth = 4;
constexpr int CaptionHeight = 26;
constexpr int FrameHeight = 60;  // side pieces: caption part, stretched middle, bottom end
constexpr int TopWidth = 120;    // TopTopHeight 32 + stretched middle + TopBotHeight 39
constexpr int BottomHeight = 4;

uint32_t CaptionRow(int y, bool active) {
    const int t = y * 256 / (CaptionHeight - 1);
    return active ? Mix(Mix(SteelLight, AccentLight, 150), Mix(Steel, Accent, 170), t) : Mix(SteelLight, Steel, t);
}

// Frame 1 active, 2 inactive; side pieces side by side.
TImage SidePiece(bool right) {
    return Strip(2, BorderWidth, FrameHeight, false, [&](TImage& f, int n) {
        const bool active = n == 1;
        for (int y = 0; y < FrameHeight; ++y)
            HLine(f, 0, BorderWidth - 1, y, y < CaptionHeight ? CaptionRow(y, active) : (active ? Steel : SteelLight));
        const int outer = right ? BorderWidth - 1 : 0, inner = right ? 0 : BorderWidth - 1;
        VLine(f, outer, 0, FrameHeight - 1, active ? Outline : InkGrey);
        VLine(f, right ? BorderWidth - 2 : 1, 1, FrameHeight - 2, right ? SteelDark : White);
        VLine(f, inner, CaptionHeight, FrameHeight - 1, active ? SteelDark : Steel);
        HLine(f, 0, BorderWidth - 1, FrameHeight - 1, active ? Outline : InkGrey);
        Cut(f, 3, right ? TopRight : TopLeft);
    });
}

// Frame 1 active, 2 inactive; stacked.
TImage TopPiece() {
    return Strip(2, TopWidth, CaptionHeight, true, [&](TImage& f, int n) {
        const bool active = n == 1;
        for (int y = 0; y < CaptionHeight; ++y) Brushed(f, 0, y, TopWidth, 1, CaptionRow(y, active), 11u + y, 2);
        HLine(f, 0, TopWidth - 1, 0, active ? Outline : InkGrey);
        HLine(f, 1, TopWidth - 2, 1, Mix(White, AccentLight, active ? 80 : 0));
        VLine(f, 0, 0, CaptionHeight - 1, active ? Outline : InkGrey);
        VLine(f, TopWidth - 1, 0, CaptionHeight - 1, active ? Outline : InkGrey);
        VLine(f, 1, 1, CaptionHeight - 1, White);
        VLine(f, TopWidth - 2, 1, CaptionHeight - 1, SteelDark);
        HLine(f, 1, TopWidth - 2, CaptionHeight - 1, active ? Mix(Outline, Accent, 128) : SteelDark);
        // The fixed ends carry a faint groove where the icon and the buttons sit.
        VLine(f, 31, 4, CaptionHeight - 5, Shade(CaptionRow(12, active), -14));
        VLine(f, TopWidth - 39, 4, CaptionHeight - 5, Shade(CaptionRow(12, active), -14));
        Cut(f, 3, TopLeft | TopRight);
    });
}

TImage BottomPiece() {
    return Strip(2, TopWidth, BottomHeight, true, [&](TImage& f, int n) {
        const bool active = n == 1;
        Brushed(f, 0, 0, TopWidth, BottomHeight, active ? Steel : SteelLight, 21u);
        HLine(f, 0, TopWidth - 1, 0, active ? SteelDark : Steel);
        HLine(f, 0, TopWidth - 1, BottomHeight - 2, SteelDark);
        HLine(f, 0, TopWidth - 1, BottomHeight - 1, active ? Outline : InkGrey);
        VLine(f, 0, 0, BottomHeight - 1, active ? Outline : InkGrey);
        VLine(f, TopWidth - 1, 0, BottomHeight - 1, active ? Outline : InkGrey);
    });
}

// Frame 1 active, 2 inactive, stacked.
TImage MenuBarImage() {
    return Strip(2, 40, 20, true, [&](TImage& f, int n) {
        BrushedGradient(f, 0, 0, 40, 20, SteelPale, n == 1 ? SteelLight : SteelPale, 31u);
        HLine(f, 0, 39, 0, White);
        HLine(f, 0, 39, 19, SteelDark);
    });
}

// ---------------------------------------------------------------------------
// Caption buttons: frame 1 normal, 2 pressed, 3 hot, 4 inactive.

Look CaptionLook(int n) {
    static const Look looks[] = {Look::Normal, Look::Pressed, Look::Hot, Look::Inactive};
    return looks[n - 1];
}

enum class CaptionGlyph { Close, Maximize, Minimize };

TImage CaptionButton(CaptionGlyph g) {
    return Strip(4, 18, 16, false, [&](TImage& f, int n) {
        const Look look = CaptionLook(n);
        Plate(f, look, 41u + static_cast<uint32_t>(g));
        const uint32_t c = GlyphColour(look);
        const int o = look == Look::Pressed ? 1 : 0;
        switch (g) {
            case CaptionGlyph::Close:
                for (int k = 0; k < 2; ++k) {
                    Line(f, 5 + o + k, 4 + o, 11 + o + k, 10 + o, c);
                    Line(f, 11 + o + k, 4 + o, 5 + o + k, 10 + o, c);
                }
                break;
            case CaptionGlyph::Maximize:
                Box(f, 5 + o, 4 + o, 8, 7, c);
                HLine(f, 5 + o, 12 + o, 5 + o, c);
                break;
            case CaptionGlyph::Minimize: Fill(f, 5 + o, 9 + o, 8, 2, c); break;
        }
    });
}

// The window-icon button's own picture, used while the window has no icon:
// two overlapping panes on a keyed background.
TImage IconButton() {
    return Strip(4, 16, 16, false, [&](TImage& f, int n) {
        Fill(f, 0, 0, 16, 16, Magenta);
        const Look look = CaptionLook(n);
        const uint32_t back = look == Look::Inactive ? InkGrey : Outline;
        const uint32_t pane = look == Look::Hot ? AccentLight : look == Look::Inactive ? SteelPale : Accent;
        Fill(f, 2, 3, 9, 8, back);
        Fill(f, 3, 4, 7, 6, SteelLight);
        Fill(f, 5, 6, 9, 8, back);
        Fill(f, 6, 7, 7, 6, pane);
        HLine(f, 6, 12, 7, Mix(pane, White, 110));
    });
}

// ---------------------------------------------------------------------------
// [Buttons]: push strip 1 normal, 2 pressed, 3 disabled, 4 hot, 5 focused.

Look ButtonLook(int n) {
    static const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot, Look::Focused};
    return looks[n - 1];
}

TImage PushButton() {
    return Strip(5, 24, 22, false, [&](TImage& f, int n) { Plate(f, ButtonLook(n), 51u); });
}

// Check strip of 4: 1 unchecked, 2 checked, 3 unchecked disabled, 4 checked disabled.
TImage CheckBox() {
    return Strip(4, 13, 13, false, [&](TImage& f, int n) {
        const bool checked = n == 2 || n == 4, disabled = n >= 3;
        Fill(f, 0, 0, 13, 13, disabled ? SteelPale : Well);
        Bevel(f, 0, 0, 13, 13, disabled ? InkGrey : Outline, disabled ? SteelLight : White);
        Bevel(f, 1, 1, 11, 11, disabled ? SteelLight : SteelDark, disabled ? SteelPale : SteelLight);
        if (checked) {
            const uint32_t c = disabled ? InkGrey : Accent;
            for (int k = 0; k < 2; ++k) {
                Line(f, 3, 6 + k, 5, 8 + k, c);
                Line(f, 5, 8 + k, 9, 4 + k, c);
            }
        }
    });
}

// Radio strip of 4, the same order; outside the circle is keyed.
TImage RadioButton() {
    return Strip(4, 13, 13, false, [&](TImage& f, int n) {
        const bool checked = n == 2 || n == 4, disabled = n >= 3;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x) {
                // Rings by squared distance from the centre, in hundredths: 6.3, 5.2, 4.3 and 2.3 pixels.
                const int d2 = 100 * ((x - 6) * (x - 6) + (y - 6) * (y - 6));
                uint32_t c = Magenta;
                if (d2 <= 3969) c = (x + y < 12) ? (disabled ? InkGrey : Outline) : (disabled ? SteelLight : White);
                if (d2 <= 2704)
                    c = (x + y < 12) ? (disabled ? SteelLight : SteelDark) : (disabled ? SteelPale : SteelLight);
                if (d2 <= 1849) c = disabled ? SteelPale : Well;
                if (checked && d2 <= 529) c = disabled ? InkGrey : Accent;
                f.Set(x, y, c);
            }
    });
}

// ---------------------------------------------------------------------------
// Combo box: [ComboButton] 1 normal, 2 pressed, 3 disabled, 4 hot or focused;
// [ExtraImages] the arrow glyphs of the same four states, and the size grip 5th.

Look ComboLook(int n) {
    static const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot};
    return looks[n - 1];
}

TImage ComboButton() {
    return Strip(4, 17, 21, false, [&](TImage& f, int n) { Plate(f, ComboLook(n), 61u); });
}

TImage ExtraImages() {
    return Strip(5, 12, 12, false, [&](TImage& f, int n) {
        Fill(f, 0, 0, 12, 12, Magenta);
        if (n <= 4) {
            const int o = n == 2 ? 1 : 0;
            Arrow(f, 6 + o, 6 + o, Down, 4, GlyphColour(ComboLook(n)));
            return;
        }
        // Size grip: three diagonal ridges of dots towards the bottom-right corner.
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k <= r; ++k) {
                const int x = 10 - 3 * k, y = 10 - 3 * (r - k);
                f.Set(x, y, Outline);
                f.Set(x - 1, y - 1, White);
            }
    });
}

// ---------------------------------------------------------------------------
// Tabs: 1 normal, 2 current, 3 hot, 4 disabled, 5 current and hot; the page
// border and the tab pane are single frames.

TImage Tabs() {
    return Strip(5, 30, 22, false, [&](TImage& f, int n) {
        const bool current = n == 2 || n == 5;
        const uint32_t top = n == 3    ? Mix(SteelLight, AccentLight, 110)
                             : n == 4  ? SteelPale
                             : current ? SteelPale
                                       : SteelLight;
        const uint32_t bottom = current ? SteelLight : n == 4 ? SteelPale : Steel;
        BrushedGradient(f, 0, 0, 30, 22, top, bottom, 71u);
        const uint32_t edge = n == 4 ? InkGrey : Outline;
        HLine(f, 0, 29, 0, edge);
        VLine(f, 0, 0, 21, edge);
        VLine(f, 29, 0, 21, edge);
        VLine(f, 1, 1, 21, White);
        VLine(f, 28, 1, 21, SteelDark);
        HLine(f, 1, 28, 1, current || n == 3 ? Accent : White);
        if (n == 5) HLine(f, 1, 28, 2, AccentLight);
        if (!current) HLine(f, 0, 29, 21, edge);  // the current tab opens into its page
        Cut(f, 3, TopLeft | TopRight);
    });
}

// Margins left 4, top 5, right 4, bottom 4 for the page border.
TImage TabBorder(bool pane) {
    TImage f(40, 40);
    Brushed(f, 0, 0, 40, 40, pane ? SteelLight : SteelPale, pane ? 83u : 81u, 2);
    Box(f, 0, 0, 40, 40, Outline);
    Bevel(f, 1, 1, 38, 38, White, SteelDark);
    Bevel(f, 2, 2, 36, 36, SteelLight, Steel);
    if (!pane) HLine(f, 3, 36, 3, Mix(SteelLight, AccentLight, 80));
    return f;
}

// ---------------------------------------------------------------------------
// Scroll bars: [Scrollbar] 23 frames of 16 x 16 (arrows left, right, up, down
// as normal, pressed, spare, hot; the horizontal and vertical thumb grips as
// normal, pressed, hot; one spare); tracks of 4 (1 enabled, 2 hot, 3
// disabled, 4 pressed); thumbs of 3 (1 normal, 2 pressed, 3 hot).

constexpr int Bar = 16;

TImage ScrollBarParts() {
    return Strip(23, Bar, Bar, false, [&](TImage& f, int n) {
        if (n <= 16) {
            static const Dir dirs[] = {Left, Right, Up, Down};
            static const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot};
            const Dir d = dirs[(n - 1) / 4];
            const Look look = looks[(n - 1) % 4];
            Plate(f, look, 91u, 1);
            const int o = look == Look::Pressed ? 1 : 0;
            Arrow(f, 8 + o, 8 + o, d, 4, GlyphColour(look));
            return;
        }
        if (n <= 22) {
            // Grips go over the thumb with the key colour on.
            Fill(f, 0, 0, Bar, Bar, Magenta);
            const bool horizontalThumb = n <= 19;
            const int state = (n - 17) % 3;  // normal, pressed, hot
            const uint32_t dark = state == 2 ? Accent : Outline;
            for (int k = 0; k < 3; ++k) {
                const int p = 5 + 3 * k;
                if (horizontalThumb) {
                    VLine(f, p, 4, 11, dark);
                    VLine(f, p + 1, 4, 11, White);
                } else {
                    HLine(f, 4, 11, p, dark);
                    HLine(f, 4, 11, p + 1, White);
                }
            }
            return;
        }
        Brushed(f, 0, 0, Bar, Bar, Steel, 93u);  // spare: the corner between two bars
    });
}

TImage ScrollTrack(bool vertical) {
    return Strip(4, Bar, Bar, false, [&](TImage& f, int n) {
        const uint32_t base = n == 3   ? SteelPale
                              : n == 2 ? Shade(SteelDark, 24)
                              : n == 4 ? SteelDark
                                       : Shade(SteelDark, 14);
        if (vertical) {
            for (int x = 0; x < Bar; ++x) VLine(f, x, 0, Bar - 1, Shade(base, (x * 5) / Bar - 2));
            VLine(f, 0, 0, Bar - 1, n == 3 ? SteelLight : Outline);
            VLine(f, Bar - 1, 0, Bar - 1, n == 3 ? White : SteelLight);
        } else {
            Brushed(f, 0, 0, Bar, Bar, base, 101u, 2);
            HLine(f, 0, Bar - 1, 0, n == 3 ? SteelLight : Outline);
            HLine(f, 0, Bar - 1, Bar - 1, n == 3 ? White : SteelLight);
        }
    });
}

TImage ScrollThumb(bool vertical) {
    return Strip(3, Bar, Bar, false, [&](TImage& f, int n) {
        static const Look looks[] = {Look::Normal, Look::Pressed, Look::Hot};
        Plate(f, looks[n - 1], vertical ? 113u : 111u);
    });
}

// ---------------------------------------------------------------------------
// Progress: 1 background, 2 filled part. Status bar: 1 lowered, 2 raised,
// 3 flat. Tool bar buttons and header items: 1 normal, 2 hot; the rest follow
// the push-button order (3 pressed, 4 disabled, 5 down).

TImage Progress() {
    return Strip(2, 20, 16, false, [&](TImage& f, int n) {
        if (n == 1) {
            Fill(f, 0, 0, 20, 16, Well);
            Bevel(f, 0, 0, 20, 16, SteelDark, White);
            Bevel(f, 1, 1, 18, 14, Steel, SteelPale);
        } else {
            BrushedGradient(f, 0, 0, 20, 16, AccentLight, Accent, 121u);
            HLine(f, 0, 19, 1, Mix(AccentLight, White, 100));
            Bevel(f, 0, 0, 20, 16, Mix(Accent, Outline, 128), Mix(Accent, Outline, 128));
        }
    });
}

TImage StatusBarEdges() {
    return Strip(3, 20, 20, false, [&](TImage& f, int n) {
        Brushed(f, 0, 0, 20, 20, Steel, 131u);
        if (n == 1) Bevel(f, 0, 0, 20, 20, SteelDark, White);
        if (n == 2) Bevel(f, 0, 0, 20, 20, White, SteelDark);
    });
}

Look BarItemLook(int n) {
    static const Look looks[] = {Look::Normal, Look::Hot, Look::Pressed, Look::Disabled, Look::Focused};
    return looks[n - 1];
}

TImage ToolBars() {
    return Strip(5, 20, 22, false, [&](TImage& f, int n) {
        const Look look = BarItemLook(n);
        if (look == Look::Normal) {
            Brushed(f, 0, 0, 20, 22, Steel, 141u);  // flat until the mouse is over it
            return;
        }
        Plate(f, look == Look::Focused ? Look::Pressed : look, 141u, 0);
        if (look == Look::Focused) Box(f, 0, 0, 20, 22, Accent);
    });
}

TImage Headerbar() {
    return Strip(5, 20, 20, false, [&](TImage& f, int n) {
        const Look look = BarItemLook(n);
        Plate(f, look == Look::Focused ? Look::Normal : look, 151u, 0);
        VLine(f, 18, 3, 16, SteelDark);
        VLine(f, 19, 3, 16, White);
        if (look == Look::Focused) HLine(f, 1, 18, 18, Accent);
    });
}

// ---------------------------------------------------------------------------
// Menus: [MenuItem] 1 normal, 2 separator, 3 disabled, 4 selected, 5 normal;
// the popup frame is 3 pixels of bevel around a pale face.

TImage MenuItem() {
    return Strip(5, 24, 20, false, [&](TImage& f, int n) {
        Fill(f, 0, 0, 24, 20, SteelPale);
        if (n == 2) {
            // The separator painter takes a frame's bottom rows at the item's height (8 for a
            // separator): the etched line sits in the middle of those.
            HLine(f, 2, 21, 15, SteelDark);
            HLine(f, 2, 21, 16, White);
        }
        if (n == 4) {
            BrushedGradient(f, 1, 1, 22, 18, AccentLight, Accent, 161u);
            Box(f, 1, 1, 22, 18, Mix(Accent, Outline, 100));
            HLine(f, 2, 21, 2, Mix(AccentLight, White, 90));
        }
    });
}

TImage MenuBackground() {
    TImage f(32, 32, SteelPale);
    Box(f, 0, 0, 32, 32, Outline);
    Bevel(f, 1, 1, 30, 30, White, SteelDark);
    Bevel(f, 2, 2, 28, 28, SteelLight, Steel);
    return f;
}

// [GroupBoxEdge]: 1 enabled, 2 disabled; an etched rounded line with a keyed inside.
TImage GroupBoxEdge() {
    return Strip(2, 16, 16, false, [&](TImage& f, int n) {
        Fill(f, 0, 0, 16, 16, Magenta);
        const uint32_t dark = n == 1 ? SteelDark : Steel;
        Box(f, 0, 0, 15, 15, dark);
        Box(f, 1, 1, 15, 15, White);
        Cut(f, 2);
    });
}

// ---------------------------------------------------------------------------
// Up-down: 8 frames, 1-4 the first half (up or left), 5-8 the second, each
// normal, pressed, disabled, hot.

TImage UpDown(bool horizontal) {
    const int fw = horizontal ? 12 : 16, fh = horizontal ? 16 : 10;
    return Strip(8, fw, fh, false, [&](TImage& f, int n) {
        static const Look looks[] = {Look::Normal, Look::Pressed, Look::Disabled, Look::Hot};
        const Look look = looks[(n - 1) % 4];
        const bool second = n > 4;
        Plate(f, look, horizontal ? 171u : 173u, 1);
        const Dir d = horizontal ? (second ? Right : Left) : (second ? Down : Up);
        const int o = look == Look::Pressed ? 1 : 0;
        Arrow(f, fw / 2 + o, fh / 2 + o, d, horizontal ? 4 : 3, GlyphColour(look));
    });
}

// ---------------------------------------------------------------------------
// Track-bar thumbs: 5 frames, of which the painter draws frame 2; 1 and 2
// are the normal look, then hot, pressed, disabled. A pointer on a keyed ground.

TImage TrackThumb(bool vertical) {
    const int along = 20, across = 11;  // pointer length and breadth
    return Strip(5, vertical ? along : across, vertical ? across : along, false, [&](TImage& f, int n) {
        static const Look looks[] = {Look::Normal, Look::Normal, Look::Hot, Look::Pressed, Look::Disabled};
        const Look look = looks[n - 1];
        TImage p(across, along, Magenta);  // drawn pointing down, turned for the vertical bar
        const int body = 14;
        TImage plate(across, body);
        Plate(plate, look, 181u, 1);
        for (int y = 0; y < body; ++y)
            for (int x = 0; x < across; ++x) p.Set(x, y, plate.At(x, y));
        const uint32_t edge = look == Look::Disabled ? InkGrey : Outline;
        const uint32_t face = look == Look::Hot        ? Mix(Steel, Accent, 90)
                              : look == Look::Pressed  ? SteelDark
                              : look == Look::Disabled ? SteelPale
                                                       : Steel;
        for (int y = body - 1; y < along; ++y) {
            const int half = (across / 2) * (along - 1 - y) / (along - body);
            for (int x = across / 2 - half; x <= across / 2 + half; ++x) p.Set(x, y, face);
            p.Set(across / 2 - half, y, y == body - 1 ? face : White);
            p.Set(across / 2 + half, y, edge);
        }
        VLine(p, 0, 1, body - 1, edge);
        VLine(p, across - 1, 1, body - 1, edge);
        for (int y = 0; y < f.Height; ++y)
            for (int x = 0; x < f.Width; ++x) f.Set(x, y, vertical ? p.At(y, x) : p.At(x, y));
    });
}

// ---------------------------------------------------------------------------
// Track-bar channels: one piece, a groove with three-pixel caps (the painter
// copies the caps and stretches the middle), lying for [Track] and standing
// for [TRACKVERT].

TImage TrackChannel(bool vertical) {
    constexpr int length = 24, breadth = 6;
    const uint32_t face = Rgb(212, 215, 220);  // the skin's ButtonFace, behind the rounded ends
    static const uint32_t across[breadth] = {Outline, SteelDark, Well, Well, SteelLight, White};
    TImage lying(length, breadth);
    for (int y = 0; y < breadth; ++y) HLine(lying, 0, length - 1, y, across[y]);
    for (int y = 1; y < breadth - 1; ++y) {
        lying.Set(0, y, y < breadth / 2 ? Outline : SteelLight);
        lying.Set(length - 1, y, y < breadth / 2 ? SteelDark : White);
    }
    for (int x : {0, length - 1})
        for (int y : {0, breadth - 1}) lying.Set(x, y, face);
    if (!vertical) return lying;
    TImage standing(breadth, length);
    for (int y = 0; y < length; ++y)
        for (int x = 0; x < breadth; ++x) standing.Set(x, y, lying.At(y, x));
    return standing;
}

}  // namespace

// ---------------------------------------------------------------------------

std::vector<TSkinBitmap> DrawSkinBitmaps() {
    std::vector<TSkinBitmap> b;
    b.push_back({"my_left.bmp", SidePiece(false)});
    b.push_back({"my_right.bmp", SidePiece(true)});
    b.push_back({"my_top.bmp", TopPiece()});
    b.push_back({"my_bottom.bmp", BottomPiece()});
    b.push_back({"my_menubar.bmp", MenuBarImage()});
    b.push_back({"my_close.bmp", CaptionButton(CaptionGlyph::Close)});
    b.push_back({"my_maximize.bmp", CaptionButton(CaptionGlyph::Maximize)});
    b.push_back({"my_minimize.bmp", CaptionButton(CaptionGlyph::Minimize)});
    b.push_back({"my_icon.bmp", IconButton()});
    b.push_back({"my_button.bmp", PushButton()});
    b.push_back({"my_checkbox.bmp", CheckBox()});
    b.push_back({"my_radio.bmp", RadioButton()});
    b.push_back({"my_combobutton.bmp", ComboButton()});
    b.push_back({"my_extra.bmp", ExtraImages()});
    b.push_back({"my_tabs.bmp", Tabs()});
    b.push_back({"my_tabborder.bmp", TabBorder(false)});
    b.push_back({"my_tabpane.bmp", TabBorder(true)});
    b.push_back({"my_ScrollBar.bmp", ScrollBarParts()});
    b.push_back({"my_hscroll.bmp", ScrollTrack(false)});
    b.push_back({"my_vscroll.bmp", ScrollTrack(true)});
    b.push_back({"my_hthumb.bmp", ScrollThumb(false)});
    b.push_back({"my_vthumb.bmp", ScrollThumb(true)});
    b.push_back({"my_progress.bmp", Progress()});
    b.push_back({"my_statusbar.bmp", StatusBarEdges()});
    b.push_back({"my_toolbars.bmp", ToolBars()});
    b.push_back({"my_header.bmp", Headerbar()});
    b.push_back({"my_MenuItem.bmp", MenuItem()});
    b.push_back({"my_menuback.bmp", MenuBackground()});
    b.push_back({"my_groupedge.bmp", GroupBoxEdge()});
    b.push_back({"my_UpDownH.bmp", UpDown(true)});
    b.push_back({"my_UpDownV.bmp", UpDown(false)});
    // the ini text goes here, 32nd
    b.push_back({"my_TrackThumbH.bmp", TrackThumb(false)});
    b.push_back({"my_TrackThumbV.bmp", TrackThumb(true)});
    b.push_back({"my_track.bmp", TrackChannel(false)});
    b.push_back({"my_trackvert.bmp", TrackChannel(true)});
    return b;
}

std::string SkinIniText() {
    static const char* const lines[] = {
        "[Skins]",
        "Version=2.0",
        "",
        "[TitlebarSkin]",
        "SkinName=Satin Steel",
        "SkinAuthor=Driftpane",
        "",
        "[Personality]",
        "Left=my_left.bmp",
        "LeftFrame=2",
        "LeftTopHeight=26",
        "LeftBotHeight=4",
        "LeftStretch=0",
        "LeftTrans=1",
        "Right=my_right.bmp",
        "RightFrame=2",
        "RightTopHeight=26",
        "RightBotHeight=4",
        "RightStretch=0",
        "RightTrans=1",
        "Top=my_top.bmp",
        "TopFrame=2",
        "TopTopHeight=32",
        "TopBotHeight=39",
        "TopStretch=0",
        "TopTrans=1",
        "Bottom=my_bottom.bmp",
        "BottomFrame=2",
        "BottomTopHeight=4",
        "BottomBotHeight=4",
        "BottomStretch=0",
        "BottomTrans=0",
        "menuBar=my_menubar.bmp",
        "TileMenu=1",
        "TileLeftMenu=4",
        "TileRightMenu=4",
        "TextShift=28",
        "TextShiftVert=6",
        "TextRightClip=70",
        "TextAlignment=0",
        "",
        "[Fonts]",
        "FontHeight=14",
        "",
        "[Colours]",
        "WindowText=32,36,40",
        "ButtonFace=212,215,220",
        "HilightText=255,255,255",
        "Hilight=96,116,140",
        "Menubar=226,228,232",
        "Menu=232,234,237",
        "MenuText=32,36,40",
        "ButtonText=32,36,40",
        "ButtonHilight=255,255,255",
        "ButtonShadow=140,146,154",
        "ButtonDkShadow=94,100,108",
        "MenuBarText=32,36,40",
        "TitleTextActive=255,255,255",
        "TitleTextNoActive=72,78,86",
        "",
        "[Button0]",
        "Action=0",
        "Align=1",
        "Xcoord=24",
        "Ycoord=5",
        "frame=4",
        "ButtonImage=my_close.bmp",
        "",
        "[Button1]",
        "Action=1",
        "Align=1",
        "Xcoord=44",
        "Ycoord=5",
        "Visibility=1",
        "frame=4",
        "ButtonImage=",
        "",
        "[Button2]",
        "Action=2",
        "Align=1",
        "Xcoord=64",
        "Ycoord=5",
        "frame=4",
        "ButtonImage=my_minimize.bmp",
        "",
        "[Button3]",
        "Action=1",
        "Align=1",
        "Xcoord=44",
        "Ycoord=5",
        "Visibility=2",
        "frame=4",
        "ButtonImage=my_maximize.bmp",
        "",
        "[Button4]",
        "Action=3",
        "Align=0",
        "Xcoord=6",
        "Ycoord=5",
        "frame=4",
        "ButtonImage=my_icon.bmp",
        "",
        "[MinCaption]",
        "Image=my_menubar.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "",
        "[Buttons]",
        "Bitmap=my_button.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "TopHeight=4",
        "BottomHeight=4",
        "Trans=1",
        "Tile=0",
        "BMP Transparent=1",
        "CheckButton=my_checkbox.bmp",
        "CheckButtonFrame=4",
        "RadioButton=my_radio.bmp",
        "RadioButtonFrame=4",
        "NormalColour2=32,36,40",
        "MouseOverColour2=16,28,44",
        "PressedColour2=32,36,40",
        "",
        "[ComboButton]",
        "Image=my_combobutton.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "Trans=1",
        "",
        "[ExtraImages]",
        "Image=my_extra.bmp",
        "Trans=1",
        "",
        "[Tabs]",
        "Image=my_tabs.bmp",
        "Border=my_tabborder.bmp",
        "Style=0",
        "LeftWidth=4",
        "RightWidth=4",
        "TopHeight=4",
        "BottomHeight=2",
        "Trans=1",
        "NormalColour2=32,36,40",
        "MouseOverColour2=16,28,44",
        "",
        "[Tab.Pane]",
        "Image=my_tabpane.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "TopHeight=4",
        "BottomHeight=4",
        "",
        "[Scrollbar]",
        "Image=my_ScrollBar.bmp",
        "",
        "[HorzScroll]",
        "Image=my_hscroll.bmp",
        "LeftWidth=2",
        "RightWidth=2",
        "",
        "[VertScroll]",
        "Image=my_vscroll.bmp",
        "TopHeight=2",
        "BottomHeight=2",
        "",
        "[HorzScrollThumb]",
        "Image=my_hthumb.bmp",
        "FrameCount=3",
        "LeftWidth=4",
        "RightWidth=4",
        "Trans=1",
        "",
        "[VertScrollThumb]",
        "Image=my_vthumb.bmp",
        "FrameCount=3",
        "TopHeight=4",
        "BottomHeight=4",
        "Trans=1",
        "",
        "[Progress]",
        "Bitmap=my_progress.bmp",
        "Style=0",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "Trans=0",
        "",
        "[StatusBarEdges]",
        "Image=my_statusbar.bmp",
        "LeftWidth=2",
        "RightWidth=2",
        "TopHeight=2",
        "BottomHeight=2",
        "NormalColour2=32,36,40",
        "",
        "[ToolBars]",
        "Image=my_toolbars.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "",
        "[Headerbar]",
        "Image=my_header.bmp",
        "Frame=5",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "",
        "[MenuItem]",
        "Image=my_MenuItem.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "TopHeight=4",
        "BottomHeight=4",
        "",
        "[MenuBackground]",
        "Image=my_menuback.bmp",
        "LeftWidth=3",
        "RightWidth=3",
        "TopHeight=3",
        "BottomHeight=3",
        "",
        "[GroupBoxEdge]",
        "Image=my_groupedge.bmp",
        "LeftWidth=4",
        "RightWidth=4",
        "TopHeight=4",
        "BottomHeight=4",
        "Trans=1",
        "",
        "[UpDown.Horz]",
        "Image=my_UpDownH.bmp",
        "LeftWidth=2",
        "RightWidth=2",
        "TopHeight=2",
        "BottomHeight=2",
        "Trans=1",
        "",
        "[UpDown.Vert]",
        "Image=my_UpDownV.bmp",
        "LeftWidth=2",
        "RightWidth=2",
        "TopHeight=2",
        "BottomHeight=2",
        "Trans=1",
        "",
        "[Trackbar.ThumbHorz]",
        "Image=my_TrackThumbH.bmp",
        "Trans=1",
        "",
        "[Trackbar.ThumbVert]",
        "Image=my_TrackThumbV.bmp",
        "Trans=1",
        "",
        "[Track]",
        "Image=my_track.bmp",
        "Frame=1",
        "LeftWidth=3",
        "RightWidth=3",
        "",
        "[TRACKVERT]",
        "Image=my_trackvert.bmp",
        "Frame=1",
        "TopHeight=3",
        "BottomHeight=3",
    };
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

Bytes BmpBytes(const TImage& image) { return WriteBmp24(image.Width, image.Height, image.Pixels.data()); }

std::vector<skinpack::TSkinEntry> SkinEntries(const std::vector<TSkinBitmap>& bitmaps) {
    std::vector<skinpack::TSkinEntry> entries;
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        if (static_cast<int>(i) == SkinIniPlace) {
            const std::string ini = SkinIniText();
            entries.push_back({SkinIniName, Bytes(ini.begin(), ini.end())});
        }
        entries.push_back({bitmaps[i].Name, BmpBytes(bitmaps[i].Image)});
    }
    if (static_cast<int>(bitmaps.size()) <= SkinIniPlace) {
        const std::string ini = SkinIniText();
        entries.push_back({SkinIniName, Bytes(ini.begin(), ini.end())});
    }
    return entries;
}

const std::array<uint8_t, 8>& ContainerMark() {
    static const std::array<uint8_t, 8> mark = {'D', 'r', 'i', 'f', 't', 'p', 'n', 1};
    return mark;
}

Bytes SkinPackageBytes(const std::vector<TSkinBitmap>& bitmaps) {
    return skinpack::SkinPackage(skinpack::SkinContainer(SkinEntries(bitmaps), ContainerMark()));
}

Bytes SkinStreamBytes(const Bytes& package) {
    Bytes out;
    out.reserve(package.size() + 4);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(package.size() >> shift));
    out.insert(out.end(), package.begin(), package.end());
    return out;
}

TImage ContactSheet(const std::vector<TSkinBitmap>& bitmaps, int scale) {
    constexpr int gap = 8, maxWidth = 800;
    constexpr uint32_t ground = Rgb(64, 68, 74);
    // Shelf packing in entry order.
    struct Place {
        int x, y;
    };
    std::vector<Place> places;
    int x = gap, y = gap, rowHeight = 0, width = 0;
    for (const TSkinBitmap& b : bitmaps) {
        const int w = b.Image.Width * scale, h = b.Image.Height * scale;
        if (x > gap && x + w + gap > maxWidth) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        places.push_back({x, y});
        x += w + gap;
        width = std::max(width, x);
        rowHeight = std::max(rowHeight, h);
    }
    TImage sheet(std::max(width, 1), y + rowHeight + gap, ground);
    for (size_t i = 0; i < bitmaps.size(); ++i) {
        const TImage& img = bitmaps[i].Image;
        for (int sy = 0; sy < img.Height * scale; ++sy)
            for (int sx = 0; sx < img.Width * scale; ++sx)
                sheet.Set(places[i].x + sx, places[i].y + sy, img.At(sx / scale, sy / scale));
    }
    return sheet;
}

Bytes PngBytes(const TImage& image) {
    std::string png;
    if (!WritePng(image.Width, image.Height, image.Pixels, png))
        throw std::runtime_error("cannot compress the contact sheet");
    return Bytes(png.begin(), png.end());
}

}  // namespace skingen
