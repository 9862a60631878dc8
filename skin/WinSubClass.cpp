// The control skin base: attaching by WindowProc and by handle, the dispatcher, the
// shared painting routines and the property routines by name.
#include "skin/WinSubClass.h"

#include <commctrl.h>

#include "classlib/GraphicsBase.h"
#include "classlib/TypInfo.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinControl){};

// What the control's WindowProc holds while we are in it. When we leave while a later
// hook sits over ours, the link stays in that hook's chain and only passes messages on.
struct TSkinControl::TLink {
    TSkinControl* Skin = nullptr;
    TWndMethod Old;
};

TSkinControl::TSkinControl(TComponent* owner) : TComponent(owner) {}

TSkinControl::~TSkinControl() {
    Unhook();
    if (Form) Form->RemoveControlSkin(this);
}

void TSkinControl::HookWindowProc(TControl* control) {
    auto link = std::make_shared<TLink>();
    link->Skin = this;
    link->Old = control->WindowProc;
    control->WindowProc = [link, control](TMessage& m) {
        if (link->Skin)
            link->Skin->SkinWndProc(m);
        else if (link->Old)
            link->Old(m);
        else
            control->WndProc(m);
    };
    FLink = link;
}

void TSkinControl::Unhook() {
    if (FLink) {
        FLink->Skin = nullptr;
        FLink.reset();
    }
    FSubclass.Detach();
}

void TSkinControl::TakeControl(TWinControl* control, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    SkinData = data;
    Form = form;
    Canvas = canvas;
    Control = control;
    Handle = control->Handle();
    Unicode = IsWindowUnicode(Handle) != FALSE;
}

void TSkinControl::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (Attached) return;
    auto* control = DynamicAs<TWinControl>(Owner());
    if (!control) return;
    SetColour = setColour;
    TakeControl(control, data, form, canvas);
    HookWindowProc(control);
    if (Form) Form->AddControlSkin(this);
    if (SetColour) TakeSkinColour();
    if (ParentBackOff) SpecialMode = 1;
    control->Invalidate();
    Attached = true;
    State = scAttached;
}

void TSkinControl::AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    if (Attached || !IsWindow(wnd)) return;
    SkinData = data;
    Canvas = canvas;
    Form = form;
    Handle = wnd;
    WinEnabled = true;
    SpecialMode = 0;
    if (Form) Form->AddControlSkin(this);
    Unicode = IsWindowUnicode(wnd) != FALSE;
    Caption = GetWindowTextWide(wnd);
    const bool hooked = FSubclass.Attach(wnd, [this](UINT msg, WPARAM wParam, LPARAM lParam) {
        TMessage m{msg, wParam, lParam, 0};
        SkinWndProc(m);
        return m.Result;
    });
    if (!hooked) {
        // Not in the window's chain: not listed as its skin either.
        if (Form) Form->RemoveControlSkin(this);
        Form = nullptr;
        Handle = nullptr;
        return;
    }
    InvalidateRect(wnd, nullptr, TRUE);
    Attached = true;
    State = scAttached;
}

void TSkinControl::Restore() {
    if (SetColour && Control) GiveBackColour();
}

void TSkinControl::TakeSkinColour() {
    if (!Control || !SkinData) return;
    SetParentBackground(true);
    SavedColour = Control->Color();
    SavedParentColour = Control->ParentColor();
    Control->SetColor(SkinData->Colours.ButtonFace);
}

void TSkinControl::GiveBackColour() {
    if (!Control) return;
    SetParentBackground(false);
    Control->SetColor(SavedColour);
    // Setting a colour ends the following: a control that followed its parent does again,
    // so it takes the parent's colour back when the form gives its own back.
    if (SavedParentColour) Control->SetParentColor(true);
}

void TSkinControl::SkinChanged() {
    if (SetColour && Control && SkinData) Control->SetColor(SkinData->Colours.ButtonFace);
    Repaint();
}

void TSkinControl::SkinWndProc(TMessage& message) {
    if (message.Msg == WM_SKIN_ENABLE) {
        Enabled = static_cast<LONG_PTR>(message.WParam) > 0;
        if (Enabled) Repaint();
        return;
    }
    if (!Enabled) {
        CallOldProc(message);
        return;
    }
    if (BeforeMessage(message)) {
        CallOldProc(message);
        AfterMessage(message);
    }
}

void TSkinControl::CallOldProc(TMessage& message) {
    if (FLink) {
        if (FLink->Old)
            FLink->Old(message);
        else if (Control)
            Control->WndProc(message);
    } else if (Handle) {
        message.Result = FSubclass.CallPrevious(message.Msg, message.WParam, message.LParam);
    }
}

bool TSkinControl::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_NCDESTROY: {
            // The link must outlive the call: the old procedure may be the last user.
            const std::shared_ptr<TLink> keep = FLink;
            CallOldProc(message);
            Enabled = false;
            State = scDestroyed;
            Restore();
            Unhook();
            return false;
        }
        case WM_SKIN_QUERY: message.Result = 1; return false;
        default: return true;
    }
}

void TSkinControl::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
        case WM_SETTEXT:
        case CM_SKIN_ENABLEDCHANGED: Repaint(); break;
        case WM_PAINT: PaintWindow(reinterpret_cast<HDC>(message.WParam)); break;
        default: break;
    }
}

void TSkinControl::Repaint() {
    if (GraphicControl) {
        GraphicControl->Invalidate();
    } else if (Handle && State == scAttached) {
        InvalidateRect(Handle, nullptr, TRUE);
        UpdateWindow(Handle);
    }
}

void TSkinControl::PaintWindow(HDC dc) {
    RECT r{};
    if (!Handle || !GetWindowRect(Handle, &r)) return;
    WindowRect = r;
    const TRect rect{0, 0, r.right - r.left, r.bottom - r.top};
    try {
        if (dc) {
            DrawSkin(dc, rect);
        } else {
            HDC own = GetWindowDC(Handle);
            try {
                DrawSkin(own, rect);
            } catch (...) {
                ReleaseDC(Handle, own);
                throw;
            }
            ReleaseDC(Handle, own);
        }
    } catch (...) {
        // A failed draw leaves the control as it painted itself.
    }
}

void TSkinControl::SetParentBackground(bool attaching) {
    if (!SkinData || SkinData->Options().Contains(xoParentBackGround) || !Control) return;
    if (!IsPublishedProp(Control, "ParentBackground")) return;
    if (attaching) {
        std::string value = GetEnumPropByName(Control, "ParentBackground");
        for (char& c : value) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        ParentBackOff = value == "true";
        if (ParentBackOff) SetPropByName(Control, "ParentBackground", "False");
    } else if (ParentBackOff) {
        SetPropByName(Control, "ParentBackground", "True");
    }
}

TColor TSkinControl::ParentColour(TColor fallback) {
    if (!Control || !Control->Parent()) return fallback;
    if (!PropIsType(Control->Parent(), "Color", tkInteger)) return fallback;
    return static_cast<TColor>(GetOrdPropByName(Control->Parent(), "Color"));
}

void TSkinControl::FillSkinColour(HDC dc, const TRect& rect) {
    FillColour(dc, rect, SkinData ? SkinData->Colours.ButtonFace : clBtnFace);
}

void TSkinControl::FillParentColour(HDC dc, const TRect& rect) {
    FillColour(dc, rect, ParentColour(SkinData ? SkinData->Colours.ButtonFace : clBtnFace));
}

LONG_PTR TSkinControl::GetWindowLongUni(HWND wnd, int index) {
    return Unicode ? GetWindowLongPtrW(wnd, index) : GetWindowLongPtrA(wnd, index);
}

void TSkinControl::DrawTextFocus(HDC dc, UINT flags, const TRect& rect) {
    RECT r = rect;
    DrawTextWide(dc, Caption, r, flags | DT_CALCRECT | DT_NOCLIP);
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    if (flags & DT_CENTER)
        OffsetRect(&r, (W - w) / 2, (H - h) / 2 - 1);
    else if (flags & DT_RIGHT)
        OffsetRect(&r, W - w, 0);
    InflateRect(&r, 2, 1);
    if (r.left < rect.left) r.left = rect.left;
    if (r.top < rect.top) r.top = rect.top;
    if (r.right > rect.right) r.right = rect.right;
    if (r.bottom > rect.bottom) r.bottom = rect.bottom;
    DrawFocusRect(dc, &r);
}

void TSkinControl::ForwardMouseDown(TMessage& message) {
    if (!Control) return;
    int x = static_cast<int16_t>(LOWORD(message.LParam));
    int y = static_cast<int16_t>(HIWORD(message.LParam));
    if (Control->Width() > 0x8000 || Control->Height() > 0x8000) {
        POINT p{};
        GetCursorPos(&p);
        const TPoint c = Control->ScreenToClient(TPoint{p.x, p.y});
        x = c.x;
        y = c.y;
    }
    Control->MouseDown(mbLeft, KeysToShiftState(message.WParam), x, y);
}

// --- free routines

bool IsPopupOrTopChild(HWND wnd) {
    const auto style = static_cast<uint32_t>(GetWindowLongPtrA(wnd, GWL_STYLE));
    return (style & WS_POPUP) != 0 || GetParent(wnd) == GetDesktopWindow();
}

void CloneBitmap(TBitmap* source, TBitmap* target) {
    if (!source || !target) return;
    target->SetPixelFormat(source->PixelFormat());
    target->SetSize(source->Width(), source->Height());
    target->Canvas()->Draw(0, 0, source);
}

void FillColour(HDC dc, const TRect& rect, TColor colour) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(colour));
    RECT r = rect;
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

namespace {

const TPropInfo* PropOf(TObject* instance, const std::string& name) {
    return instance ? GetPropInfo(instance, name) : nullptr;
}

}  // namespace

int32_t GetOrdPropByName(TObject* instance, const std::string& name) {
    if (!PropOf(instance, name) || !PropIsType(instance, name, tkInteger)) return -1;
    return static_cast<int32_t>(GetOrdProp(instance, name));
}

std::string GetEnumPropByName(TObject* instance, const std::string& name) {
    if (!PropOf(instance, name)) return {};
    try {
        return GetEnumProp(instance, name);
    } catch (const Exception&) {
        return {};
    }
}

std::wstring GetTextPropByName(TObject* instance, const std::string& name) {
    if (!PropOf(instance, name)) return {};
    try {
        return AnsiToWide(GetStrProp(instance, name));
    } catch (const Exception&) {
        return {};
    }
}

TObject* GetObjectPropByName(TObject* instance, const std::string& name, const TClassInfo* cls) {
    if (!PropOf(instance, name) || !PropIsType(instance, name, tkClass)) return nullptr;
    return GetObjectProp(instance, name, cls);
}

void SetPropByName(TObject* instance, const std::string& name, const std::string& value) {
    if (!PropOf(instance, name)) return;
    try {
        switch (PropType(instance, name)) {
            case tkInteger: SetOrdProp(instance, name, StrToInt(value)); break;
            case tkEnumeration: SetEnumProp(instance, name, value); break;
            case tkString:
            case tkLString:
            case tkWString: SetStrProp(instance, name, value); break;
            default: break;
        }
    } catch (const Exception&) {
        // A value the property refuses leaves it as it was.
    }
}

HGDIOBJ UseCanvasFont(TCanvas* canvas) {
    HDC dc = canvas->Handle();
    HGDIOBJ old = SelectObject(dc, canvas->Font()->Handle());
    SetTextColor(dc, ColorToRGB(canvas->Font()->Color()));
    return old;
}

void CopyFontInto(TCanvas* canvas, HFONT font) {
    LOGFONTA lf{};
    if (font && GetObjectA(font, sizeof lf, &lf)) canvas->Font()->SetHandle(CreateFontIndirectA(&lf));
}

UINT BiDiFlags(TSkinControl* skin, UINT flags) {
    TControl* c = skin->Control ? skin->Control : skin->GraphicControl;
    if (c && c->BiDiMode() == bdRightToLeft) flags |= DT_RTLREADING;
    return flags;
}

void DrawCaptionText(TSkinControl* skin, TCanvas* canvas, const TRect& rect, UINT flags, bool enabled,
                     const std::wstring& text) {
    const UINT asked = flags;
    flags |= DT_EXPANDTABS;
    HDC dc = canvas->Handle();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetStyle({});
    if (!enabled) canvas->Font()->SetColor(clBtnShadow);
    dc = canvas->Handle();
    HGDIOBJ oldFont = UseCanvasFont(canvas);
    SetBkMode(dc, TRANSPARENT);
    RECT r = rect;
    DrawTextWide(dc, text, r, flags | DT_CALCRECT | DT_NOCLIP);
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    if (asked == DT_CENTER) {
        OffsetRect(&r, (W - w) / 2, (H - h) / 2 - 1);
    } else {
        OffsetRect(&r, 0, (H - h) / 2 - 1);
        r.left = rect.left;
        r.right = rect.right;
    }
    DrawTextWide(dc, text, r, BiDiFlags(skin, flags));
    SelectObject(dc, oldFont);
}

void DrawImageText(TSkinControl* skin, TCanvas* canvas, const TRect& rect, int32_t alignment, const std::wstring& text,
                   int32_t imageIndex, HIMAGELIST imageList) {
    int iw = 0, ih = 0;
    if (imageList) ImageList_GetIconSize(imageList, &iw, &ih);
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    const bool image = imageIndex != -1 && imageList && iw < W;
    if (!image) iw = ih = 0;
    HDC dc = canvas->Handle();
    RECT t = rect;
    if (image) t.right += iw + 2;
    HGDIOBJ oldFont = SelectObject(dc, canvas->Font()->Handle());
    int32_t tw = 0, th = 0;
    if (!text.empty()) {
        DrawTextWide(dc, text, t, 0x8560);
        tw = t.right - t.left;
        th = t.bottom - t.top;
    }
    int32_t x = 3;
    if (alignment == 1)
        x = (W - tw - iw) / 2;
    else if (alignment == 2)
        x = W - tw - iw - 2;
    if (x < 2) x = 1;
    SelectObject(dc, oldFont);
    if (image) ImageList_Draw(imageList, imageIndex, dc, rect.left + x, rect.top + (H - ih) / 2, ILD_TRANSPARENT);
    if (text.empty()) return;
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetStyle({});
    if (!skin->WinEnabled) canvas->Font()->SetColor(clBtnShadow);
    dc = canvas->Handle();
    oldFont = UseCanvasFont(canvas);
    SetBkMode(dc, TRANSPARENT);
    RECT r{rect.left + x + iw, rect.top + (H - th) / 2, rect.left + x + iw + tw, rect.top + (H - th) / 2 + th};
    if (r.left < rect.left) r.left = rect.left;
    if (r.right > rect.right) r.right = rect.right;
    DrawTextWide(dc, text, r, BiDiFlags(skin, 0x8060));
    SelectObject(dc, oldFont);
}

namespace {

bool Inverted(const TRect& r) { return r.right < r.left || r.bottom < r.top; }

// The cell stretched to the target's size, or nothing when the strip has no such cell.
std::unique_ptr<TBitmap> StretchedCell(const TRect& rect, int32_t frames, int32_t index, TBitmap* strip) {
    if (Inverted(rect) || !strip) return nullptr;
    const TRect cell = SkinFrameRect(strip, frames, index, false);
    if (cell.right <= cell.left || cell.bottom <= cell.top) return nullptr;
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return nullptr;
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    StretchBlt(b->Canvas()->Handle(), 0, 0, w, h, strip->Canvas()->Handle(), cell.left, cell.top,
               cell.right - cell.left, cell.bottom - cell.top, SRCCOPY);
    return b;
}

}  // namespace

void DrawElementFrame(TSkinControl*, HDC dc, const TRect& rect, int32_t frames, int32_t index,
                      TDataSkinObject* element) {
    if (!element || Inverted(rect)) return;
    auto b =
        SkinMakeFrameBitmap(rect, element->Bitmap.get(), element->Margins, false, element->Tile != 0, frames, index);
    if (!b || b->Empty()) return;
    if (element->Trans == 1)
        SkinDrawTransparent(dc, rect, b.get(), TRANSPARENT_KEY);
    else
        BitBlt(dc, rect.left, rect.top, b->Width(), b->Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void DrawStripFrameDC(TSkinControl*, HDC dc, const TRect& rect, int32_t frames, int32_t index, TBitmap* strip) {
    if (auto b = StretchedCell(rect, frames, index, strip)) SkinDrawTransparent(dc, rect, b.get(), TRANSPARENT_KEY);
}

void DrawStripFrameCanvas(TSkinControl* skin, TCanvas* canvas, const TRect& rect, int32_t frames, int32_t index,
                          TBitmap* strip) {
    DrawStripFrameDC(skin, canvas->Handle(), rect, frames, index, strip);
}

void DrawStripFrameKeyed(TSkinControl* skin, HDC dc, const TRect& rect, int32_t frames, int32_t index, TBitmap* strip) {
    DrawStripFrameDC(skin, dc, rect, frames, index, strip);
}

void BlitWorkBitmap(HDC dc, const TRect& rect) {
    TBitmap* work = SkinScratchBitmap();
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, work->Canvas()->Handle(), 0, 0,
           SRCCOPY);
}

namespace {

// Ends a paint begun here on every way out, a throwing draw included: a paint left open keeps
// the window's update region and its DC.
struct TOwnPaint {
    HWND Window = nullptr;
    PAINTSTRUCT Paint{};
    ~TOwnPaint() {
        if (Window) EndPaint(Window, &Paint);
    }
};

}  // namespace

void HandlePaint(TSkinControl* skin, TMessage& message) {
    TOwnPaint paint;
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    if (!dc) {
        dc = BeginPaint(skin->Handle, &paint.Paint);
        paint.Window = skin->Handle;
    }
    RECT r{};
    if (GetWindowRect(skin->Handle, &r)) {
        skin->WindowRect = r;
        skin->DrawSkin(dc, TRect{0, 0, r.right - r.left, r.bottom - r.top});
    }
}

void HandleEraseBackground(TSkinControl* skin, TMessage& message) {
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    if (skin->Control) {
        SkinPaintParentBackground(skin->Control, dc);
    } else {
        RECT r{};
        GetClientRect(skin->Handle, &r);
        skin->FillParentColour(dc, r);
    }
    message.Result = 1;
}
