#include "skin/SkinPanels.h"

#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinBox){};
DP_PUBLISHED(TSkinGroupBox){};

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
    if (SetColour) {
        SetParentBackground(true);
        SavedColour = control->Color();
        control->SetColor(data->Colours.ButtonFace);
    }
    Attached = true;
    State = scAttached;
}

void TSkinBox::Restore() {
    if (SetColour && Control && State == scAttached) {
        SetParentBackground(false);
        Control->SetColor(SavedColour);
    }
    State = 2;
}

TSkinGroupBox::TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}

void TSkinGroupBox::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, setColour, canvas);
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
