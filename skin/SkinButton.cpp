#include "skin/SkinButton.h"

#include <cctype>

#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinButton){};

namespace {
// Posted by a button skin to its own window after a click: look where the mouse is now.
constexpr UINT WM_SKIN_HOVERCHECK = WM_APP + 0x35B;
}  // namespace

std::wstring ReplaceFirst(const std::wstring& s, const std::wstring& old, const std::wstring& replacement) {
    const size_t at = old.empty() ? std::wstring::npos : s.find(old);
    if (at == std::wstring::npos) return s;
    return s.substr(0, at) + replacement + s.substr(at + old.size());
}

TSkinButton::TSkinButton(TComponent* owner) : TSkinControl(owner), Buffer(std::make_unique<TBitmap>()) {}

TSkinButton::~TSkinButton() = default;

void TSkinButton::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, setColour, canvas);
    if (!Control) return;
    SpecialMode = 0;
    std::string name = Control->ClassName();
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.rfind("trz", 0) == 0 || name.rfind("tel", 0) == 0) SpecialMode = 1;
    TransparentBack = Control->Tag() == TransparentButtonTag || data->Options().Contains(xoTransparent);
}

bool TSkinButton::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT: HandlePaint(this, message); return false;
        case WM_ERASEBKGND: message.Result = 1; return false;
        case WM_TIMER: KillTimer(Handle, 1); return false;
        case WM_SKIN_HOVERCHECK: RefreshHover(); return false;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (!Focused) SetFocus(Handle);
            MouseState |= msPressed;
            PaintWindow(nullptr);
            if (SpecialMode == 0 && Control) ForwardMouseDown(message);
            return false;
        default: return TSkinControl::BeforeMessage(message);
    }
}

void TSkinButton::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_SETTEXT: PaintWindow(nullptr); break;
        case WM_KEYDOWN:
            if (message.WParam == VK_SPACE) {
                MouseState |= msPressed;
                Repaint();
            }
            break;
        case WM_KEYUP:
            if (message.WParam == VK_SPACE) {
                MouseState &= ~msPressed;
                Repaint();
            }
            break;
        case WM_MOUSEMOVE:
            if (WinEnabled && !(MouseState & msHot)) {
                MouseState |= msHot;
                Repaint();
            }
            SkinTrackMouseLeave(Handle);
            break;
        case WM_LBUTTONUP:
            if (MouseState & msPressed) {
                MouseState &= ~msPressed;
                Repaint();
                if (Control) {
                    // The click may free the control and this skin: asked again by a posted
                    // message, which a window gone meanwhile never gets.
                    const HWND wnd = Handle;
                    Control->Click();
                    PostMessageA(wnd, WM_SKIN_HOVERCHECK, 0, 0);
                } else if (Handle) {
                    char name[16] = {};
                    GetClassNameA(Handle, name, sizeof name);
                    const bool libraryClass = lstrcmpiA(name, "tbutton") == 0;
                    const WPARAM id = libraryClass ? 0 : static_cast<WPARAM>(GetDlgCtrlID(Handle));
                    PostMessageA(GetParent(Handle), WM_COMMAND, id, reinterpret_cast<LPARAM>(Handle));
                }
            }
            break;
        case WM_MOUSELEAVE:
            MouseState &= ~(msHot | msPressed);
            Repaint();
            break;
        case CM_SKIN_DIALOGKEY:
        case CM_SKIN_FOCUSCHANGED: Repaint(); break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

void TSkinButton::RefreshHover() {
    if (!Handle || !IsWindow(Handle) || !(MouseState & msHot)) return;
    POINT p{};
    GetCursorPos(&p);
    RECT r{};
    GetWindowRect(Handle, &r);
    if (PtInRect(&r, p) && WindowFromPoint(p) == Handle) {
        SkinTrackMouseLeave(Handle);
        return;
    }
    MouseState &= ~(msHot | msPressed);
    Repaint();
}

int32_t TSkinButton::FrameIndex() const {
    if (!WinEnabled) return 3;
    if (MouseState & msPressed) return 2;
    if (MouseState & msHot) return 4;
    if (Focused) return 5;
    return 1;
}

void TSkinButton::ReadState() {
    Focused = GetFocus() == Handle;
    WinEnabled = !(GetWindowLongPtrA(Handle, GWL_STYLE) & WS_DISABLED);
    Caption = Control ? GetTextPropByName(Control, "Caption") : GetWindowTextWide(Handle);
}

bool TSkinButton::StateTextColour(int32_t index, TColor& colour) const {
    const TDataSkinButton* b = SkinData->Buttons.get();
    if (index == 3) {
        colour = clBtnShadow;
        return true;
    }
    if (index == 1 && b->HasNormalColour2)
        colour = b->NormalColour2;
    else if (index == 4 && b->HasMouseOverColour2)
        colour = b->MouseOverColour2;
    else if (index == 2 && b->HasPressedColour2)
        colour = b->PressedColour2;
    else
        return false;
    return true;
}

HDC TSkinButton::PrepareBuffer(const TRect& rect, int32_t index) {
    const TRect r{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    Buffer->SetPixelFormat(pf24bit);
    Buffer->SetSize(r.right, r.bottom);
    HDC dc = Buffer->Canvas()->Handle();
    if (TransparentBack && Control)
        SkinPaintParentBackground(Control, dc);
    else
        FillSkinColour(dc, r);
    DrawElementFrame(this, dc, r, SkinData->Buttons->Frames, index, SkinData->Buttons.get());
    return dc;
}

void TSkinButton::PrepareFont(int32_t index, HFONT& oldFont) {
    TCanvas* canvas = Buffer->Canvas();
    HDC dc = canvas->Handle();
    TColor colour = 0;
    const bool stateColour = StateTextColour(index, colour);
    HFONT font = nullptr;
    TColor text = SkinData->Colours.ButtonText;
    // Speed buttons lend their font too.
    if (TControl* owner = Control ? Control : GraphicControl) {
        if (auto* own = static_cast<TFont*>(GetObjectPropByName(owner, "Font", &TFont::StaticClassInfo())))
            canvas->Font()->Assign(own);
        font = canvas->Font()->Handle();
        text = canvas->Font()->Color();
    } else {
        font = reinterpret_cast<HFONT>(SendMessageA(Handle, WM_GETFONT, 0, 0));
    }
    oldFont = font ? static_cast<HFONT>(SelectObject(dc, font)) : nullptr;
    SetTextColor(dc, ColorToRGB(stateColour ? colour : text));
}

void TSkinButton::DrawSkin(HDC dc, const TRect& rect) {
    if (!SkinData || !SkinData->Buttons || !SkinData->Buttons->Bitmap || SkinData->Buttons->Bitmap->Empty()) return;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    ReadState();
    const int32_t index = FrameIndex();
    HDC buffer = PrepareBuffer(rect, index);
    HFONT oldFont = nullptr;
    PrepareFont(index, oldFont);
    DrawButtonText(Buffer->Canvas(), TRect{0, 0, rect.right - rect.left, rect.bottom - rect.top}, 1, Caption);
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, buffer, 0, 0, SRCCOPY);
    if (oldFont) SelectObject(buffer, oldFont);
}

void TSkinButton::DrawButtonText(TCanvas* canvas, const TRect& rect, UINT align, const std::wstring& text) {
    Caption = ReplaceFirst(text, L"||", L"\r\n");
    HDC dc = canvas->Handle();
    RECT r = rect;
    InflateRect(&r, -2, -2);
    SetBkMode(dc, TRANSPARENT);
    DrawTextWide(dc, Caption, r, align | 0x50 | DT_CALCRECT | DT_NOCLIP);
    OffsetRect(&r, -r.left, -r.top);
    const int32_t w = r.right, h = r.bottom;
    const int32_t W = rect.right - rect.left, H = rect.bottom - rect.top;
    if (align == 1) {
        OffsetRect(&r, rect.left + (W - w) / 2, rect.top + (H - h) / 2 - 1);
    } else {
        OffsetRect(&r, 0, rect.top + (H - h) / 2 - 1);
        r.left = rect.left;
        r.right = rect.right;
    }
    DrawTextWide(dc, Caption, r, BiDiFlags(this, align | 0x50));
    SetBkMode(dc, OPAQUE);
    if (Focused && !SkinData->Options().Contains(xoNoFocusRect)) {
        InflateRect(&r, 2, 2);
        DrawFocusRect(dc, &r);
    }
}
