#include "skin/SkinComBox.h"

#include "classlib/GraphicsBase.h"
#include "skin/SkinComboScroll.h"
#include "skin/SkinControlKinds.h"
#include "skin/SkinScrollbar.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinComBox){};

namespace {

bool HasStrip(TBitmap* b) { return b && !b->Empty() && b->Width() > 0 && b->Height() > 0; }

bool IsSimple(uint32_t style) { return (style & 3) == CBS_SIMPLE; }

}  // namespace

TSkinComBox::TSkinComBox(TComponent* owner) : TSkinControl(owner) {}

TSkinComBox::~TSkinComBox() {
    ReleaseEdit();
    FreeListSkins();
}

void TSkinComBox::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (Attached) return;
    TSkinControl::AttachControl(form, data, setColour, canvas);
    if (!Attached) return;
    ComboStyle = static_cast<uint32_t>(GetWindowLongUni(Handle, GWL_STYLE));
    ListHScroll = nullptr;
    if (!IsSimple(ComboStyle)) {
        SkinDropList();
        if (!Unicode) SubclassEdit();
        ListWnd = nullptr;
        return;
    }
    if (ReadComboInfo()) {
        ListWnd = ComboInfo.hwndList;
        ComboStyle = static_cast<uint32_t>(GetWindowLongUni(ListWnd, GWL_STYLE));
    }
    if (ListWnd && (ComboStyle & WS_CHILD) && !IsPopupOrTopChild(ListWnd))
        AdoptListSkin(ListHScroll, NewSimpleListScrollSkin(Owner(), ListWnd, SkinData, Form));
}

void TSkinComBox::AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    if (Attached) return;
    TSkinControl::AttachHandle(wnd, data, form, canvas);
    if (!Attached) return;
    ComboStyle = static_cast<uint32_t>(GetWindowLongUni(Handle, GWL_STYLE));
    if (!IsSimple(ComboStyle)) {
        if (!Unicode) SubclassEdit();
        ListWnd = nullptr;
    } else if (ReadComboInfo()) {
        // A bare combo's list gets no skin of ours.
        ListWnd = ComboInfo.hwndList;
    }
}

void TSkinComBox::Restore() {
    TSkinControl::Restore();
    ReleaseEdit();
    FreeListSkins();
}

void TSkinComBox::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == ListScroll) ListScroll = nullptr;
    if (component == ListHScroll) ListHScroll = nullptr;
}

void TSkinComBox::AdoptListSkin(TSkinControl*& slot, TSkinControl* skin) {
    slot = skin;
    if (skin) skin->FreeNotification(this);
}

void TSkinComBox::FreeListSkins() {
    for (TSkinControl** slot : {&ListHScroll, &ListScroll}) {
        TSkinControl* skin = *slot;
        if (!skin) continue;
        *slot = nullptr;
        if (skin->State == scAttached) skin->Restore();
        delete skin;
    }
}

void TSkinComBox::SubclassEdit() {
    EditWnd = GetTopWindow(Handle);
    if (!EditWnd) return;
    FEditSubclass.Attach(EditWnd, [this](UINT msg, WPARAM wParam, LPARAM lParam) {
        const LRESULT result = FEditSubclass.CallPrevious(msg, wParam, lParam);
        switch (msg) {
            case WM_PAINT: PaintWindow(nullptr); break;
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
                MouseState |= msPressed;
                Repaint();
                break;
            case WM_LBUTTONUP:
                MouseState &= ~msPressed;
                Repaint();
                break;
            default: break;
        }
        return result;
    });
}

void TSkinComBox::ReleaseEdit() {
    FEditSubclass.Detach();
    EditWnd = nullptr;
}

void TSkinComBox::SkinDropList() {
    ComboStyle = static_cast<uint32_t>(GetWindowLongUni(Handle, GWL_STYLE));
    ListScroll = nullptr;
    // CBS_DROPDOWN and CBS_DROPDOWNLIST both hold the bit 2.
    if ((ComboStyle & 2) && ReadComboInfo() && ComboInfo.hwndList)
        AdoptListSkin(ListScroll, NewDropListScrollSkin(Owner(), ComboInfo.hwndList, SkinData, Form));
}

bool TSkinComBox::ReadComboInfo() {
    if (!SkinGetComboBoxInfo || !Handle) return false;
    ComboInfo = COMBOBOXINFO{};
    ComboInfo.cbSize = sizeof(COMBOBOXINFO);
    return SkinGetComboBoxInfo(Handle, &ComboInfo) != FALSE;
}

void TSkinComBox::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS: break;
        case WM_MOUSEMOVE: {
            const POINT p{static_cast<int16_t>(LOWORD(message.LParam)), static_cast<int16_t>(HIWORD(message.LParam))};
            RECT b = ButtonRect;
            const bool inside = PtInRect(&b, p) != FALSE;
            if ((MouseState & msHot) != 0 && !inside && WinEnabled) {
                MouseState &= ~msHot;
                Repaint();
            } else if ((MouseState & msHot) == 0 && inside && WinEnabled) {
                MouseState |= msHot;
                Repaint();
            }
            // The class library tells its controls when the mouse leaves; a bare window is asked.
            if (!Control) SkinTrackMouseLeave(Handle);
            break;
        }
        case WM_DRAWITEM:
        case WM_NCPAINT: Repaint(); break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            MouseState |= msPressed;
            Repaint();
            break;
        case WM_LBUTTONUP:
            MouseState &= ~msPressed;
            Repaint();
            break;
        case WM_MOUSELEAVE:
            if (Control) break;
            [[fallthrough]];
        case CM_MOUSELEAVE:
            if (MouseState & msHot) {
                MouseState &= ~msHot;
                Repaint();
            }
            break;
        case CN_COMMAND: break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

int32_t TSkinComBox::FrameIndex() const {
    if (!WinEnabled) return 3;
    if (MouseState & msPressed) return 2;
    if (Focused || (MouseState & msHot)) return 4;
    return 1;
}

void TSkinComBox::DrawSkin(HDC dc, const TRect& rect) {
    TDataSkinBorder* button = SkinData ? SkinData->ComboButton.get() : nullptr;
    if (!button || !HasStrip(button->Bitmap.get())) return;
    ComboStyle = static_cast<uint32_t>(GetWindowLongUni(Handle, GWL_STYLE));
    ComboExStyle = static_cast<uint32_t>(GetWindowLongUni(Handle, GWL_EXSTYLE));
    if (ReadComboInfo()) {
        ButtonRect = ComboInfo.rcButton;
        if (ComboInfo.stateButton & STATE_SYSTEM_INVISIBLE) return;
    }
    Focused = GetFocus() == Handle;
    WinEnabled = (ComboStyle & WS_DISABLED) == 0;
    if (button->Style == 1) {
        DrawFlat(dc, rect);
        return;
    }
    const TRect R{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    const int32_t index = FrameIndex();
    const bool left = (ComboExStyle & WS_EX_LEFTSCROLLBAR) != 0;
    TDataSkinObject* edge = SkinData->SunkEdge.get();
    if (button->Style == 2) {
        // One strip for the whole control; its magenta inside lets the system's text show.
        TBitmap* strip = left && edge && HasStrip(edge->Bitmap.get()) ? edge->Bitmap.get() : button->Bitmap.get();
        const TRect& margins = strip == button->Bitmap.get() ? button->Margins : edge->Margins;
        const int32_t frames = edge ? edge->Frames : button->Frames;
        SkinDrawFrame(dc, R, strip, false, button->Tile != 0, true, frames, index, margins);
        return;
    }
    const int32_t B = GetSystemMetrics(SM_CXHSCROLL);
    TRect area, glyph;
    TBitmap* face = button->Bitmap.get();
    const int saved = SaveDC(dc);
    if (!left) {
        ExcludeClipRect(dc, 2, 2, R.right - B - 4, R.bottom - 2);
        area = TRect{R.right - B - 2, 0, R.right, R.bottom};
        glyph = TRect{R.right - B - 2, 0, R.right - 2, R.bottom};
    } else {
        ExcludeClipRect(dc, B + 4, 2, R.right - 2, R.bottom - 2);
        area = TRect{0, 0, B + 2, R.bottom};
        glyph = TRect{2, 0, B + 2, R.bottom};
        face = button->Bitmap2.get();
    }
    if (edge) DrawElementFrame(this, dc, R, edge->Frames, index, edge);
    DrawStripFrameKeyed(this, dc, area, button->Frames, index, face);
    ButtonRect = area;
    TDataSkinObject* extra = SkinData->ExtraImages.get();
    if (extra && HasStrip(extra->Bitmap.get())) {
        const TSize cell = SkinFrameSize(extra->Bitmap.get(), extra->Frames, false);
        const int32_t x = glyph.left + (glyph.right - glyph.left - cell.cx) / 2;
        const int32_t y = glyph.top + (glyph.bottom - glyph.top - cell.cy) / 2;
        DrawStripFrameDC(this, dc, TRect{x, y, x + cell.cx, y + cell.cy}, extra->Frames, index, extra->Bitmap.get());
    }
    RestoreDC(dc, saved);
}

void TSkinComBox::DrawFlat(HDC dc, const TRect& rect) {
    TDataSkinBorder* button = SkinData->ComboButton.get();
    const int32_t index = FrameIndex();
    const TSize cell = SkinFrameSize(button->Bitmap.get(), button->Frames, false);
    const int32_t T = GetSystemMetrics(SM_CYVTHUMB);
    const bool left = (ComboExStyle & WS_EX_LEFTSCROLLBAR) != 0;
    // The control's own background brush wipes the system's 3-D edge.
    auto brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
    const TRect outer{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    RECT r = outer;
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, brush);
    InflateRect(&r, -1, -1);
    RECT strip = r;
    if (left)
        strip.right = strip.left + T;
    else
        strip.left = strip.right - T;
    FillRect(dc, &strip, brush);
    RECT b = r;
    if (left)
        b.right = b.left + cell.cx;
    else
        b.left = b.right - cell.cx;
    if (cell.cy < T) b.bottom = b.top + cell.cy;
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow));
    RECT o = outer;
    FrameRect(dc, &o, shadow);
    DeleteObject(shadow);
    ButtonRect = b;
    DrawStripFrameDC(this, dc, b, button->Frames, index, button->Bitmap.get());
}

TSkinControl* NewDropListScrollSkin(TComponent* owner, HWND list, TSkinData* data, TTinselForm* form) {
    return SkinWindowOnce(skDropListScroll, list, owner, form, data, nullptr);
}

TSkinControl* NewSimpleListScrollSkin(TComponent* owner, HWND list, TSkinData* data, TTinselForm* form) {
    return SkinWindowOnce(skListScrollH, list, owner, form, data, nullptr);
}
