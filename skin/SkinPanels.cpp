#include "skin/SkinPanels.h"

#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinBox){};
DP_PUBLISHED(TSkinGroupBox){};
DP_PUBLISHED(TSkinSizer){};
DP_PUBLISHED(TSkinBoxH){};

TSkinBox::TSkinBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinBox::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (Attached) return;
    auto* control = DynamicAs<TControl>(Owner());
    if (!control) return;
    SkinData = data;
    Form = form;
    Canvas = canvas;
    Control = control;
    SetColour = setColour;
    if (Form) Form->AddControlSkin(this);
    if (SetColour) TakeSkinColour();
    Attached = true;
    State = scAttached;
}

void TSkinBox::Restore() {
    if (SetColour && Control && State == scAttached) GiveBackColour();
    State = 2;
}

TSkinGroupBox::TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinGroupBox::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    // A library group box is painted wholly in the face colour, so it carries that colour
    // too: the labels on it follow their parent's colour and would paint the old one.
    const bool library = DynamicAs<TWinControl>(Owner()) != nullptr;
    TSkinControl::AttachControl(form, data, setColour || library, canvas);
    // SpecialMode 1: a class-library group box, painted wholly by the skin.
    if (Control) SpecialMode = 1;
}

bool TSkinGroupBox::BeforeMessage(TMessage& message) {
    const bool passOn = TSkinControl::BeforeMessage(message);
    if (passOn && SpecialMode == 1 && Control && message.Msg == WM_PAINT) {
        HandlePaint(this, message);
        return false;
    }
    return passOn;
}

void TSkinGroupBox::DrawSkin(HDC dc, const TRect& rect) {
    Caption = GetWindowTextWide(Handle);
    if (Caption.empty() && Control) Caption = GetTextPropByName(Control, "Caption");
    const int saved = SaveDC(dc);
    if (Control) FillSkinColour(dc, rect);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(Handle, WM_GETFONT, 0, 0));
    TColor textColour = SkinData->Colours.ButtonText;
    if (Control)
        if (auto* own = static_cast<TFont*>(GetObjectPropByName(Control, "Font", &TFont::StaticClassInfo()))) {
            font = own->Handle();
            textColour = own->Color();
        }
    if (font) SelectObject(dc, font);
    SetTextColor(dc, ColorToRGB(textColour));
    SIZE zero{};
    GetTextExtentPoint32A(dc, "0", 1, &zero);
    const int32_t y = zero.cy / 2 - 1;
    if (!Control && SkinData->ButtonFaceBrush) {
        // Wipes the system's etched line under our frame.
        RECT r{rect.left, rect.top + y, rect.right, rect.bottom};
        FrameRect(dc, &r, SkinData->ButtonFaceBrush);
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, SkinData->ButtonFaceBrush);
    }
    HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colours.ButtonShadow));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, pen);
    RoundRect(dc, rect.left + 1, rect.top + y, rect.right - 1, rect.bottom - 1, 5, 5);
    SetBkColor(dc, ColorToRGB(SkinData->Colours.ButtonFace));
    SetBkMode(dc, OPAQUE);
    const auto exStyle = static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_EXSTYLE));
    if (exStyle & WS_EX_RIGHT) {
        RECT t{rect.left, rect.top, rect.right - 8, rect.bottom};
        DrawTextWide(dc, Caption, t, BiDiFlags(this, DT_RIGHT | DT_EXPANDTABS));
    } else {
        RECT t{rect.left + 8, rect.top, rect.right, rect.bottom};
        DrawTextWide(dc, Caption, t, DT_EXPANDTABS);
    }
    RestoreDC(dc, saved);
    DeleteObject(pen);
    if (auto* w = DynamicAs<TWinControl>(Control)) w->PaintGraphicChildren(dc);
}

TSkinSizer::TSkinSizer(TComponent* owner) : TSkinControl(owner) {}

void TSkinSizer::DrawSkin(HDC dc, const TRect& rect) { FillSkinColour(dc, rect); }

TSkinBoxH::TSkinBoxH(TComponent* owner) : TSkinControl(owner) {}

bool TSkinBoxH::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_ERASEBKGND: {
            RECT r{};
            GetWindowRect(Handle, &r);
            FillSkinColour(reinterpret_cast<HDC>(message.WParam), TRect{0, 0, r.right - r.left, r.bottom - r.top});
            message.Result = 0;
            return false;
        }
        case WM_CTLCOLORSTATIC:
            CallOldProc(message);
            if (SkinData->ButtonFaceBrush) {
                // The text's background matches the brush behind it.
                SetBkColor(reinterpret_cast<HDC>(message.WParam), ColorToRGB(SkinData->Colours.ButtonFace));
                message.Result = reinterpret_cast<LRESULT>(SkinData->ButtonFaceBrush);
            }
            return false;
        default: return TSkinControl::BeforeMessage(message);
    }
}

void DrawCenteredText(TCanvas* canvas, const TRect& rect, const std::wstring& text, TAlignment alignment,
                      bool enabled) {
    const UINT align = alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
    const UINT flags = align | DT_SINGLELINE | DT_EXPANDTABS;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetStyle({});
    if (!enabled) canvas->Font()->SetColor(clBtnShadow);
    HDC dc = canvas->Handle();
    HGDIOBJ oldFont = UseCanvasFont(canvas);
    SetBkMode(dc, TRANSPARENT);
    RECT r = rect;
    DrawTextWide(dc, text, r, flags | DT_CALCRECT | DT_NOCLIP);
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    OffsetRect(&r, ((rect.right - rect.left) - w) / 2, ((rect.bottom - rect.top) - h) / 2);
    DrawTextWide(dc, text, r, flags);
    SelectObject(dc, oldFont);
}
