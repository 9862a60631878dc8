#include "skin/SkinTab.h"

#include <commctrl.h>

#include "classlib/TabControls.h"
#include "skin/ImgUtil.h"
#include "skin/SkinControlKinds.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinTab){};
DP_PUBLISHED(TSkinTabBtn){};
DP_PUBLISHED(TSkinTabSheet){};

TSkinTabSide TabSideOfStyle(uint32_t style) {
    const bool vertical = (style & TCS_VERTICAL) != 0, farSide = (style & TCS_BOTTOM) != 0;
    if (vertical) return farSide ? tabSideRight : tabSideLeft;
    return farSide ? tabSideBottom : tabSideTop;
}

bool CheckArrowSkin(TSkinControl* host, TSkinControl*& held) {
    if (!host->Handle) return false;
    return CheckArrowSkin(host, held, FindWindowExA(host->Handle, nullptr, "msctls_updown32", nullptr));
}

bool CheckArrowSkin(TSkinControl* host, TSkinControl*& held, HWND arrows) {
    if (!arrows) return false;
    // A window made again after the first was destroyed is a new one to skin.
    if (held && (held->State == scDestroyed || held->Handle != arrows)) held = nullptr;
    if (!held && host->Form) {
        TComponent* owner = host->Control && host->Control->Owner() ? host->Control->Owner() : host->Owner();
        // The tabs' scroller lies across whatever its style says.
        if (TSkinControl* skin =
                SkinWindowOnce(skUpDownAcross, arrows, owner, host->Form, host->SkinData, host->Canvas)) {
            held = skin;
            skin->FreeNotification(host);
        }
    }
    return IsWindowVisible(arrows) != FALSE;
}

HFONT TabControlFont(TSkinControl* skin) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(skin->Handle, WM_GETFONT, 0, 0));
    if (!font && skin->Control)
        if (auto* own = static_cast<TFont*>(GetObjectPropByName(skin->Control, "Font", &TFont::StaticClassInfo())))
            font = own->Handle();
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return font;
}

std::wstring TabItemText(HWND wnd, bool unicode, int index, int32_t& image) {
    constexpr int kChars = 80;
    image = -1;
    if (unicode) {
        wchar_t buffer[kChars] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
        item.pszText = buffer;
        item.cchTextMax = kChars;
        if (!SendMessageW(wnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return {};
        image = item.iImage;
        buffer[kChars - 1] = 0;
        return buffer;
    }
    char buffer[kChars] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_STATE;
    item.pszText = buffer;
    item.cchTextMax = kChars;
    if (!SendMessageA(wnd, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) return {};
    image = item.iImage;
    buffer[kChars - 1] = 0;
    return AnsiToWide(buffer);
}

namespace {

struct TTabRead {
    int Count = 0;
    int Current = -1;
    HIMAGELIST Images = nullptr;
};

TTabRead ReadTabs(HWND wnd) {
    TTabRead t;
    t.Count = static_cast<int>(SendMessageA(wnd, TCM_GETITEMCOUNT, 0, 0));
    if (t.Count < 0) t.Count = 0;
    t.Current = static_cast<int>(SendMessageA(wnd, TCM_GETCURFOCUS, 0, 0));
    t.Images = reinterpret_cast<HIMAGELIST>(SendMessageA(wnd, TCM_GETIMAGELIST, 0, 0));
    return t;
}

// The display area of the window rectangle, inflated by 4.
RECT DisplayRect(HWND wnd, const TRect& rect) {
    RECT d = rect;
    SendMessageA(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&d));
    InflateRect(&d, 4, 4);
    return d;
}

bool HasImage(TBitmap* b) { return b && !b->Empty(); }

}  // namespace

// --- TSkinTab

TSkinTab::TSkinTab(TComponent* owner)
    : TSkinControl(owner),
      StripImage(std::make_unique<TBitmap>()),
      BorderImage(std::make_unique<TBitmap>()),
      WorkImage(std::make_unique<TBitmap>()) {
    WorkImage->SetPixelFormat(pf24bit);
}

TSkinTab::~TSkinTab() = default;

void TSkinTab::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation == opRemove && component == UpDown) UpDown = nullptr;
}

void TSkinTab::Prepare() {
    StripImage = std::make_unique<TBitmap>();
    BorderImage = std::make_unique<TBitmap>();
    TabSide = TabSideOfStyle(static_cast<uint32_t>(GetWindowLongPtrA(Handle, GWL_STYLE)));
    TDataSkinBorder* tabs = SkinData ? SkinData->Tabs.get() : nullptr;
    if (!tabs) return;
    if (HasImage(tabs->Bitmap.get())) CloneBitmap(tabs->Bitmap.get(), StripImage.get());
    if (tabs->Style == 0 && HasImage(tabs->Bitmap2.get())) CloneBitmap(tabs->Bitmap2.get(), BorderImage.get());
    if (tabs->Style == 1 && SkinData->TabPane && HasImage(SkinData->TabPane->Bitmap.get()))
        CloneBitmap(SkinData->TabPane->Bitmap.get(), BorderImage.get());
    for (TBitmap* b : {StripImage.get(), BorderImage.get()})
        if (!b->Empty()) b->SetPixelFormat(pf24bit);
    switch (TabSide) {
        case tabSideBottom:
            FlipBitmap(StripImage.get());
            FlipBitmap(BorderImage.get());
            break;
        case tabSideLeft: RotateBitmapLeft(BorderImage.get()); break;
        case tabSideRight: RotateBitmapRight(BorderImage.get()); break;
        default: break;
    }
}

void TSkinTab::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    TSkinControl::AttachControl(form, data, setColour, canvas);
    if (!Attached || !Control) return;
    WinEnabled = !(GetWindowLongPtrA(Handle, GWL_STYLE) & WS_DISABLED);
    auto* pages = DynamicAs<TPageControl>(Control);
    CloseMode = Control->Tag() == TabCloseTag && pages && pages->TabPosition() == tpTop;
    Prepare();
    CheckArrowSkin(this, UpDown);
    Enabled = true;
    UnicodeWindow = IsWindowUnicode(Handle) != FALSE;
}

void TSkinTab::AttachHandle(HWND wnd, TSkinData* data, TTinselForm* form, TCanvas* canvas) {
    TSkinControl::AttachHandle(wnd, data, form, canvas);
    if (!Attached) return;
    Focused = GetFocus() == Handle;
    WinEnabled = !(GetWindowLongPtrA(Handle, GWL_STYLE) & WS_DISABLED);
    Caption = GetWindowTextWide(Handle);
    Prepare();
    CheckArrowSkin(this, UpDown);
    Enabled = true;
    UnicodeWindow = IsWindowUnicode(Handle) != FALSE;
}

void TSkinTab::SkinChanged() {
    Prepare();
    TSkinControl::SkinChanged();
}

bool TSkinTab::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT: HandlePaint(this, message); return false;
        case WM_LBUTTONDOWN: {
            const POINT p{static_cast<int16_t>(LOWORD(message.LParam)), static_cast<int16_t>(HIWORD(message.LParam))};
            if (CloseMode && CloseAt(p)) {
                message.Result = 0;
                return false;
            }
            break;
        }
        default: break;
    }
    return TSkinControl::BeforeMessage(message);
}

bool TSkinTab::CloseAt(POINT p) {
    for (size_t i = 0; i < CloseRects.size(); ++i) {
        RECT r = CloseRects[i];
        if (!PtInRect(&r, p)) continue;
        HWND formWnd = Form ? Form->Handle : nullptr;
        const LRESULT answer =
            formWnd ? SendMessageA(formWnd, WM_SKIN_TABCLOSE, reinterpret_cast<WPARAM>(Handle), static_cast<LPARAM>(i))
                    : 0;
        // The rectangles are those of the last paint: a page gone since is not there to free.
        auto* pages = DynamicAs<TPageControl>(Control);
        if (answer == 0 && pages && static_cast<int>(i) < pages->PageCount()) delete pages->Pages(static_cast<int>(i));
        return true;
    }
    return false;
}

void TSkinTab::DrawCloseBox(HDC dc, const TRect& r, int index) {
    const TRect box{r.right - 8, r.top + 2, r.right - 2, r.top + 8};
    const POINT square[5] = {{box.left, box.top},
                             {box.right, box.top},
                             {box.right, box.bottom},
                             {box.left, box.bottom},
                             {box.left, box.top}};
    Polyline(dc, square, 5);
    MoveToEx(dc, box.left, box.top, nullptr);
    LineTo(dc, box.right, box.bottom);
    MoveToEx(dc, box.right, box.top, nullptr);
    LineTo(dc, box.left, box.bottom);
    if (index >= 0 && index < static_cast<int>(CloseRects.size())) CloseRects[static_cast<size_t>(index)] = box;
}

void TSkinTab::DrawSkin(HDC dc, const TRect& rect) {
    if (!SkinData || !Handle) return;
    TDataSkinBorder* tabs = SkinData->Tabs.get();
    const bool ok = tabs && HasImage(tabs->Bitmap.get());
    RECT d = DisplayRect(Handle, rect);
    const TTabRead t = ReadTabs(Handle);
    switch (TabSide) {
        case tabSideTop: d.top += 1; break;
        case tabSideBottom: d.bottom -= 1; break;
        case tabSideLeft: d.left += 1; break;
        case tabSideRight: d.right -= 1; break;
    }
    CloseRects.assign(static_cast<size_t>(t.Count), TRect{0, 0, 0, 0});
    if (ok) {
        TRect s = rect;
        switch (TabSide) {
            case tabSideTop: s.bottom = d.top; break;
            case tabSideBottom: s.top = d.bottom; break;
            case tabSideLeft: s.right = d.left; break;
            case tabSideRight: s.left = d.right; break;
        }
        const bool lying = TabSide == tabSideLeft || TabSide == tabSideRight;
        const int32_t sw = s.right - s.left, sh = s.bottom - s.top;
        const int32_t ww = lying ? sh : sw, wh = lying ? sw : sh;
        if (ww > 0 && wh > 0) {
            WorkImage->SetPixelFormat(pf24bit);
            WorkImage->SetSize(ww, wh);
            TCanvas* cv = WorkImage->Canvas();
            HDC wdc = cv->Handle();
            FillParentColour(wdc, TRect{0, 0, ww, wh});
            HFONT font = TabControlFont(this);
            HGDIOBJ oldFont = SelectObject(wdc, font);
            // The text routine draws in the canvas's font and colour.
            CopyFontInto(cv, font);
            for (int i = 0; i < t.Count; ++i) {
                int32_t image = -1;
                const std::wstring text = TabItemText(Handle, UnicodeWindow, i, image);
                RECT r{};
                if (!SendMessageA(Handle, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
                    continue;
                TRect m = r;
                switch (TabSide) {
                    case tabSideTop: OffsetRect(&m, 0, 1); break;
                    case tabSideBottom: OffsetRect(&m, 0, -(d.bottom + 1)); break;
                    case tabSideLeft: m = TRect{ww - r.bottom, r.left, ww - r.top, r.right}; break;
                    case tabSideRight:
                        m = TRect{r.top - 1, rect.right - r.right, r.bottom - 1, rect.right - r.left};
                        break;
                }
                const int32_t state = i == t.Current ? 2 : 1;
                SkinDrawFrame(wdc, m, StripImage.get(), false, tabs->Tile != 0, tabs->Trans == 1, tabs->Frames, state,
                              tabs->Margins);
                if (CloseMode) DrawCloseBox(wdc, m, i);
                if (!lying) SelectObject(wdc, font);
                cv->Font()->SetColor(
                    static_cast<TColor>(ColorToRGB(state == 1 ? tabs->NormalColour2 : tabs->MouseOverColour2)));
                DrawImageText(this, cv, m, 1, text, image, t.Images);
            }
            SelectObject(wdc, oldFont);
            if (TabSide == tabSideRight) RotateBitmapRight(WorkImage.get());
            if (TabSide == tabSideLeft) RotateBitmapLeft(WorkImage.get());
            const bool arrows = CheckArrowSkin(this, UpDown);
            const int saved = SaveDC(dc);
            if (arrows) {
                // The arrows paint themselves: the strip leaves their rectangle alone.
                RECT a{}, w{};
                HWND arrowWnd = FindWindowExA(Handle, nullptr, "msctls_updown32", nullptr);
                GetWindowRect(arrowWnd, &a);
                GetWindowRect(Handle, &w);
                OffsetRect(&a, -w.left, -w.top);
                IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
                ExcludeClipRect(dc, a.left, a.top, a.right, a.bottom);
            }
            BitBlt(dc, s.left, s.top, WorkImage->Width(), WorkImage->Height(), WorkImage->Canvas()->Handle(), 0, 0,
                   SRCCOPY);
            RestoreDC(dc, saved);
        }
    }
    if (HasImage(BorderImage.get())) {
        const TRect target = d;
        if (tabs && tabs->Style == 0) {
            try {
                SkinDrawFrame(dc, target, BorderImage.get(), false, false, false, 1, 1, TRect{4, 5, 4, 4});
            } catch (...) {
                // The control stays painted as far as it got.
            }
        } else if (SkinData->TabPane) {
            SkinDrawFrame(dc, target, BorderImage.get(), false, false, false, 1, 1, SkinData->TabPane->Margins);
        }
    }
    if (SpecialMode == 2)
        if (auto* w = DynamicAs<TWinControl>(Control)) w->PaintGraphicChildren(dc);
}

// --- TSkinTabBtn

TSkinTabBtn::TSkinTabBtn(TComponent* owner) : TSkinControl(owner) {}

bool TSkinTabBtn::BeforeMessage(TMessage& message) {
    if (message.Msg == WM_PAINT) {
        HandlePaint(this, message);
        return false;
    }
    return TSkinControl::BeforeMessage(message);
}

void TSkinTabBtn::DrawSkin(HDC dc, const TRect& rect) {
    if (!SkinData || !Handle) return;
    TDataSkinButton* b = SkinData->Buttons.get();
    const bool ok = b && HasImage(b->Bitmap.get());
    if (Control) WinEnabled = Control->Enabled();
    const RECT d = DisplayRect(Handle, rect);
    const TRect s{rect.left, rect.top, rect.right, d.top + 1};
    const TTabRead t = ReadTabs(Handle);
    const int32_t sw = s.right - s.left, sh = s.bottom - s.top;
    if (!ok || sw <= 0 || sh <= 0) return;
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(sw, sh);
    TCanvas* cv = work.Canvas();
    HDC wdc = cv->Handle();
    FillSkinColour(wdc, TRect{0, 0, sw, sh});
    HFONT font = TabControlFont(this);
    HGDIOBJ oldFont = SelectObject(wdc, font);
    // The text routine draws in the canvas's font and colour.
    CopyFontInto(cv, font);
    cv->Font()->SetColor(clBlack);
    const bool unicode = IsWindowUnicode(Handle) != FALSE;
    for (int i = 0; i < t.Count; ++i) {
        int32_t image = -1;
        const std::wstring text = TabItemText(Handle, unicode, i, image);
        RECT r{};
        if (!SendMessageA(Handle, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r))) continue;
        OffsetRect(&r, 0, 1);
        const int32_t state = i == t.Current ? 2 : 1;
        SkinDrawFrame(wdc, r, b->Bitmap.get(), false, b->Tile != 0, b->Trans == 1, b->Frames, state, b->Margins);
        // A state whose colour the skin does not give keeps the last one set.
        if (state == 1 && b->HasNormalColour2) cv->Font()->SetColor(static_cast<TColor>(ColorToRGB(b->NormalColour2)));
        if (state == 2 && b->HasPressedColour2)
            cv->Font()->SetColor(static_cast<TColor>(ColorToRGB(b->PressedColour2)));
        DrawImageText(this, cv, r, 1, text, image, t.Images);
    }
    SelectObject(wdc, oldFont);
    BitBlt(dc, s.left, s.top, sw, sh, wdc, 0, 0, SRCCOPY);
}

// --- TSkinTabSheet

TSkinTabSheet::TSkinTabSheet(TComponent* owner) : TSkinControl(owner) {}

bool TSkinTabSheet::BeforeMessage(TMessage& message) {
    const bool passOn = TSkinControl::BeforeMessage(message);
    if (!passOn) return false;
    switch (message.Msg) {
        case WM_PAINT:
        case WM_PRINTCLIENT: HandlePaint(this, message); return false;
        case WM_ERASEBKGND: {
            RECT r{};
            GetClientRect(Handle, &r);
            if (SkinData && SkinData->ButtonFaceBrush)
                FillRect(reinterpret_cast<HDC>(message.WParam), &r, SkinData->ButtonFaceBrush);
            else
                FillSkinColour(reinterpret_cast<HDC>(message.WParam), r);
            message.Result = 1;
            return false;
        }
        default: return passOn;
    }
}

void TSkinTabSheet::DrawSkin(HDC dc, const TRect& rect) {
    FillSkinColour(dc, rect);
    if (auto* w = DynamicAs<TWinControl>(Control)) w->PaintGraphicChildren(dc);
}
