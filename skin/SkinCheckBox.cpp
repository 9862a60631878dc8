#include "skin/SkinCheckBox.h"

#include <cctype>

#include "classlib/GraphicsBase.h"
#include "skin/SkinButton.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinCheckBox){};
DP_PUBLISHED(TSkinRadioButton){};

namespace {

constexpr UINT CM_SKIN_EXIT = 0xB01B;
constexpr UINT CM_SKIN_CHECKCHANGED = 0xB0D0;

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

TSkinCheckBox::TSkinCheckBox(TComponent* owner) : TSkinControl(owner) {}
TSkinRadioButton::TSkinRadioButton(TComponent* owner) : TSkinCheckBox(owner) {}

void TSkinCheckBox::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, setColour, canvas);
    if (!Control) return;
    CheckValue = 0;
    TBitmap* strip =
        data->Buttons ? (IsRadio() ? data->Buttons->RadioBitmap.get() : data->Buttons->CheckBitmap.get()) : nullptr;
    // SpecialMode 1: the skin paints the whole control, text included.
    SpecialMode = strip && !strip->Empty() ? 1 : 0;
    TransparentBack = Control->Tag() == TransparentButtonTag || data->Options().Contains(xoTransparent);
}

bool TSkinCheckBox::BeforeMessage(TMessage& message) {
    const bool passOn = TSkinControl::BeforeMessage(message);
    if (!passOn) return false;
    switch (message.Msg) {
        case WM_PAINT:
        case WM_PRINTCLIENT:
            if (SpecialMode == 1) {
                HandlePaint(this, message);
                return false;
            }
            return true;
        case WM_ERASEBKGND:
            if (TransparentBack) {
                HandleEraseBackground(this, message);
                return false;
            }
            return true;
        default: return true;
    }
}

void TSkinCheckBox::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case BM_SETCHECK:
            if (!IsRadio()) CheckValue = static_cast<int32_t>(message.WParam) + 1;
            Repaint();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case CM_SKIN_EXIT:
        case CM_SKIN_CHECKCHANGED: Repaint(); break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

int32_t TSkinCheckBox::FrameIndex() {
    TDataSkinButton* b = SkinData && SkinData->Buttons ? SkinData->Buttons.get() : nullptr;
    if (!b || !b->CheckBitmap || b->CheckBitmap->Empty()) {
        SpecialMode = 0;
        return 0;
    }
    const auto state = static_cast<UINT>(SendMessageA(Handle, BM_GETSTATE, 0, 0));
    int32_t value = (state & BST_CHECKED) ? 2 : 1;
    if (Control) {
        if (IsPublishedProp(Control, "State")) {
            const std::string s = Lower(GetEnumPropByName(Control, "State"));
            if (s.find("uncheck") != std::string::npos)
                value = 1;
            else if (s.find("check") != std::string::npos)
                value = 2;
            else if (s.find("gray") != std::string::npos)
                value = 4;
        } else if (IsPublishedProp(Control, "Checked")) {
            value = Lower(GetEnumPropByName(Control, "Checked")) == "true" ? 2 : 1;
        }
        if (IsPublishedProp(Control, "DataField") && CheckValue != 0) value = CheckValue == 3 ? 4 : CheckValue;
        if (IsPublishedProp(Control, "DataBinding")) value = 1;
    }
    const bool disabled = (GetWindowLongPtrA(Handle, GWL_STYLE) & WS_DISABLED) != 0;
    const bool grayed = value == 4;
    if (disabled) value += 2;
    const bool indeterminate = (state & BST_INDETERMINATE) != 0;
    if (indeterminate) value = 4;
    if (b->CheckFrames == 12) {
        if (value == 2)
            value = 5;
        else if (value == 3)
            value = 4;
        else if (value == 4)
            value = 8;
        if (indeterminate || grayed) value = disabled ? 12 : 9;
    } else if (value > 4) {
        // Grayed and disabled: the strip's last frame, not one past it.
        value = 4;
    }
    return value;
}

int32_t TSkinRadioButton::RadioFrameIndex() {
    TDataSkinButton* b = SkinData && SkinData->Buttons ? SkinData->Buttons.get() : nullptr;
    if (!b || !b->RadioBitmap || b->RadioBitmap->Empty()) {
        SpecialMode = 0;
        return 0;
    }
    int32_t value = (SendMessageA(Handle, BM_GETCHECK, 0, 0) & BST_CHECKED) ? 2 : 1;
    if (Control && IsPublishedProp(Control, "Checked"))
        value = Lower(GetEnumPropByName(Control, "Checked")) == "true" ? 2 : 1;
    if (GetWindowLongPtrA(Handle, GWL_STYLE) & WS_DISABLED) value += 2;
    if (b->RadioFrames == 8) {
        if (value == 2)
            value = 5;
        else if (value == 3)
            value = 4;
        else if (value == 4)
            value = 8;
    }
    return value;
}

void TSkinCheckBox::DrawSkin(HDC dc, const TRect& rect) {
    auto* radio = IsRadio() ? static_cast<TSkinRadioButton*>(this) : nullptr;
    const int32_t index = radio ? radio->RadioFrameIndex() : FrameIndex();
    if (index == 0) return;
    TDataSkinButton* b = SkinData->Buttons.get();
    TBitmap* strip = radio ? b->RadioBitmap.get() : b->CheckBitmap.get();
    const int32_t frames = radio ? b->RadioFrames : b->CheckFrames;
    const TSize size = SkinFrameSize(strip, frames, false);
    if (size.cx <= 0 || size.cy <= 0) return;
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_STYLE));
    const int32_t top = rect.top + (RectHeight(rect) - size.cy) / 2;
    TRect glyph{}, text = rect;
    UINT flags = 0;
    if (style & BS_LEFTTEXT) {
        const int32_t right = radio ? rect.right - 1 : rect.right;
        glyph = TRect{right - size.cx, top, right, top + size.cy};
        text.right = glyph.left - 2;
        flags = DT_RIGHT;
        if (Control && Control->BiDiMode() != bdLeftToRight) flags |= DT_RTLREADING;
    } else {
        glyph = TRect{rect.left, top, rect.left + size.cx, top + size.cy};
        text.left = rect.left + size.cx + 2;
    }
    Focused = GetFocus() == Handle;
    WinEnabled = !(style & WS_DISABLED);
    // Composed off-screen and put on in one blit.
    TBitmap* buffer = SkinScratchBitmap();
    buffer->SetPixelFormat(pf24bit);
    buffer->SetSize(RectWidth(rect), RectHeight(rect));
    HDC bdc = buffer->Canvas()->Handle();
    const TRect local{0, 0, RectWidth(rect), RectHeight(rect)};
    BitBlt(bdc, 0, 0, local.right, local.bottom, dc, rect.left, rect.top, SRCCOPY);
    if (SpecialMode == 1) {
        if (TransparentBack && Control)
            SkinPaintParentBackground(Control, bdc);
        else
            FillSkinColour(bdc, local);
    }
    OffsetRect(&glyph, -rect.left, -rect.top);
    OffsetRect(&text, -rect.left, -rect.top);
    DrawStripFrameKeyed(this, bdc, glyph, frames, index, strip);
    if (SpecialMode == 1) {
        Caption = Control ? GetTextPropByName(Control, "Caption") : GetWindowTextWide(Handle);
        HFONT font = nullptr;
        TColor colour = SkinData->Colours.ButtonText;
        if (Control) {
            if (auto* own = static_cast<TFont*>(GetObjectPropByName(Control, "Font", &TFont::StaticClassInfo()))) {
                font = own->Handle();
                colour = own->Color();
            }
        } else {
            font = reinterpret_cast<HFONT>(SendMessageA(Handle, WM_GETFONT, 0, 0));
        }
        if (!WinEnabled) colour = clBtnShadow;
        const int saved = SaveDC(bdc);
        if (font) SelectObject(bdc, font);
        SetTextColor(bdc, ColorToRGB(colour));
        SetBkColor(bdc, ColorToRGB(SkinData->Colours.ButtonFace));
        SetBkMode(bdc, TRANSPARENT);
        RECT m = text;
        DrawTextWide(bdc, Caption, m, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK | flags);
        OffsetRect(&text, 0, (RectHeight(local) - (m.bottom - m.top)) / 2);
        if (Focused && !Caption.empty()) DrawTextFocus(bdc, flags, text);
        DrawTextWide(bdc, Caption, text, DT_EXPANDTABS | DT_WORDBREAK | flags);
        RestoreDC(bdc, saved);
    }
    BitBlt(dc, rect.left, rect.top, local.right, local.bottom, bdc, 0, 0, SRCCOPY);
}
