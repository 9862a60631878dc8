#include "skin/SkinDateTime.h"

#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"

DP_PUBLISHED(TArrowButton){};
DP_PUBLISHED(TSkinDateTime){};

TArrowButton::TArrowButton(TSkinDateTime* owner) : TCustomControl(owner) {
    ButtonSize = GetSystemMetrics(SM_CXHSCROLL);
    SetTabStop(false);
}

void TArrowButton::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    // A child of the picker's window, though not one of its controls.
    if (!params.WndParent && PickerWnd && IsWindow(PickerWnd)) params.WndParent = PickerWnd;
}

void TArrowButton::AttachTo(TSkinDateTime* dateSkin, TWinControl* picker) {
    DateSkin = dateSkin;
    Picker = picker;
    PickerWnd = picker->Handle();
    const auto exStyle = static_cast<uint32_t>(GetWindowLongPtrA(PickerWnd, GWL_EXSTYLE));
    RECT r{};
    GetWindowRect(PickerWnd, &r);
    const int32_t left = (exStyle & WS_EX_LEFTSCROLLBAR) ? 2 : (r.right - r.left) - ButtonSize - 4;
    SetBounds(left, 0, ButtonSize, ButtonSize + 1);
    SetWindowLongPtrA(PickerWnd, GWL_STYLE, GetWindowLongPtrA(PickerWnd, GWL_STYLE) | WS_CLIPCHILDREN);
    HandleNeeded();
}

void TArrowButton::WndProc(TMessage& message) {
    const bool pickerEnabled = PickerWnd && IsWindowEnabled(PickerWnd);
    switch (message.Msg) {
        case CM_MOUSEENTER:
            if (pickerEnabled) {
                HotState |= 1;
                Invalidate();
            }
            break;
        case CM_MOUSELEAVE:
            if (pickerEnabled) {
                HotState &= ~1;
                Invalidate();
            }
            break;
        case WM_LBUTTONDOWN: {
            TCustomControl::WndProc(message);
            // The picker opens its calendar as if its own button had been pressed.
            const int x = static_cast<int16_t>(LOWORD(message.LParam)) + Left();
            const int y = static_cast<int16_t>(HIWORD(message.LParam)) + Top();
            if (PickerWnd) {
                PostMessageA(PickerWnd, WM_LBUTTONDOWN, message.WParam, MAKELPARAM(x, y));
                PostMessageA(PickerWnd, WM_LBUTTONUP, message.WParam, MAKELPARAM(x, y));
            }
            Invalidate();
            return;
        }
        case WM_LBUTTONUP:
            TCustomControl::WndProc(message);
            if (PickerWnd) ::SetFocus(PickerWnd);
            return;
        default: break;
    }
    TCustomControl::WndProc(message);
}

void TArrowButton::Paint() {
    TSkinData* data = DateSkin ? DateSkin->SkinData : nullptr;
    const TRect client{0, 0, Width(), Height()};
    if (!data) return;
    FillColour(Canvas()->Handle(), client, data->Colours.ButtonFace);
    TDataSkinObject* arrow = data->ComboxArrow.get();
    if (!arrow || !arrow->Bitmap) return;
    const TRect cell = SkinFrameRect(arrow->Bitmap.get(), arrow->Frames, FrameIndex(), false);
    if (cell.right <= cell.left || cell.bottom <= cell.top) return;
    Canvas()->CopyRect(client, arrow->Bitmap->Canvas(), cell);
}

TSkinDateTime::TSkinDateTime(TComponent* owner) : TSkinControl(owner) {}

void TSkinDateTime::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (Attached) return;
    TSkinControl::AttachControl(form, data, setColour, canvas);
    auto* picker = DynamicAs<TWinControl>(Control);
    if (!Attached || !picker) return;
    ArrowButton = new TArrowButton(this);
    ArrowButton->AttachTo(this, picker);
}

void TSkinDateTime::DrawSkin(HDC dc, const TRect& rect) {
    RECT client{};
    GetClientRect(Handle, &client);
    // Without a border there is nothing to cover.
    if (client.right >= rect.right - rect.left || client.bottom >= rect.bottom - rect.top) return;
    RECT r = rect;
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow));
    FrameRect(dc, &r, shadow);
    DeleteObject(shadow);
    InflateRect(&r, -1, -1);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FrameRect(dc, &r, white);
    DeleteObject(white);
}
