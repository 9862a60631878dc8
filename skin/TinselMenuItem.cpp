// Owner-drawn menu items of skinned windows: measuring, and drawing each item from the
// skin's [MenuItem] strip over the popup skin's [MenuBackground] face, with check mark or
// image, caption and shortcut; also the switches that hand the items these handlers.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"
#include "classlib/SysVersion.h"
#include "classlib/WinSys.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

namespace {

std::wstring CaptionOf(TMenuItem* item) { return AnsiToWide(item->Caption()); }

bool HasElement(TSkinData* data) {
    return data && data->MenuItem && data->MenuItem->Bitmap && !data->MenuItem->Bitmap->Empty();
}

// The square behind a checked item's image: clBtnFace and clBtnHighlight pixels in turn, as
// the system shows a pressed-in toggle.
void FillCheckedSquare(HDC dc, const RECT& r) {
    TBitmap pattern;
    pattern.SetSize(8, 8);
    if (pattern.Empty()) return;
    const COLORREF face = static_cast<COLORREF>(ColorToRGB(clBtnFace));
    const COLORREF light = static_cast<COLORREF>(ColorToRGB(clBtnHighlight));
    HDC pdc = pattern.Canvas()->Handle();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) SetPixel(pdc, x, y, ((x + y) & 1) ? light : face);
    HBRUSH brush = CreatePatternBrush(pattern.Handle());
    if (!brush) return;
    // The pattern starts at the square's corner, whatever the device context's origin.
    POINT old{};
    SetBrushOrgEx(dc, r.left & 7, r.top & 7, &old);
    FillRect(dc, &r, brush);
    SetBrushOrgEx(dc, old.x, old.y, nullptr);
    DeleteObject(brush);
}

// Puts a handler back however the measuring ends.
struct TMeasureRestore {
    TMenuItem* Item;
    TMenuMeasureItemEvent Saved;
    ~TMeasureRestore() { Item->OnMeasureItem = Saved; }
};

}  // namespace

HBITMAP TTinselForm::CheckBitmap() {
    if (!FCheckBitmap) FCheckBitmap = LoadBitmapA(nullptr, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(32760)));
    return FCheckBitmap;
}

void TTinselForm::MeasureMainItem(TObject* sender, TCanvas* canvas, int& width, int& height) {
    auto* item = DynamicAs<TMenuItem>(sender);
    if (!item) return;
    {
        TMeasureRestore restore{item, item->OnMeasureItem};
        item->OnMeasureItem = nullptr;
        item->MeasureItem(canvas, width, height);
    }
    if (HasElement(SkinData)) width += SkinData->MenuItem->Margins.left;
    width += item->GetImageList() ? 10 : 35;
}

void TTinselForm::MeasurePopupItem(TObject* sender, TCanvas*, int& width, int&) {
    auto* item = DynamicAs<TMenuItem>(sender);
    if (!item || !SkinData) return;
    if (HasElement(SkinData)) width += SkinData->MenuItem->Margins.left;
    width += item->GetImageList() ? 12 : 35;
}

void TTinselForm::DrawMenuItem(TObject* sender, TCanvas* canvas, const TRect& rect, bool selected) {
    auto* item = DynamicAs<TMenuItem>(sender);
    if (!item) return;
    if (!HasElement(SkinData)) {
        DrawPlainMenuItem(item, canvas, selected, rect);
        return;
    }
    HMENU parentMenu = item->Parent() ? item->Parent()->Handle() : nullptr;
    if (parentMenu && SkinManager) SkinManager->AssignPopupMenu(parentMenu);
    const int w = RectWidth(rect), h = RectHeight(rect);
    TBitmap b;
    b.SetSize(w, h);
    if (b.Empty()) return;
    TCanvas* bc = b.Canvas();
    bc->SetFont(Screen->MenuFont());
    TBitmap* face = SkinManager && parentMenu ? SkinManager->MenuFrameBitmap(parentMenu) : nullptr;
    if (face && !face->Empty()) {
        BitBlt(bc->Handle(), 0, 0, w, h, face->Canvas()->Handle(), rect.left + 3, rect.top + 3, SRCCOPY);
    } else {
        bc->Brush()->SetColor(SkinData->Colours.Menu);
        bc->FillRect(Rect(0, 0, w, h));
    }
    if (item->IsLine()) {
        canvas->Draw(rect.left, rect.top, &b);
        DrawMenuSeparator(canvas, rect);
        return;
    }
    const TDataSkinObject& e = *SkinData->MenuItem;
    SkinDrawFrame(bc->Handle(), Rect(0, 0, w, h), e.Bitmap.get(), false, e.Tile == 1, e.Trans == 1, 5, selected ? 4 : 1,
                  e.Margins);
    DrawMenuItemContent(item, bc, selected, Rect(0, 0, w, h));
    canvas->Draw(rect.left, rect.top, &b);
}

void TTinselForm::DrawRawMenuItem(HMENU menu, TMenuItem* item, bool selected, const TRect& rect, TCanvas* canvas) {
    if (!HasElement(SkinData)) {
        DrawPlainMenuItem(item, canvas, selected, rect);
        return;
    }
    const int w = RectWidth(rect), h = RectHeight(rect);
    TBitmap b;
    b.SetSize(w, h);
    if (b.Empty()) return;
    TCanvas* bc = b.Canvas();
    bc->SetFont(Screen->MenuFont());
    TBitmap* face = SkinManager ? SkinManager->MenuFrameBitmap(menu) : nullptr;
    if (face && !face->Empty()) {
        BitBlt(bc->Handle(), 0, 0, w, h, face->Canvas()->Handle(), rect.left + 3, rect.top + 3, SRCCOPY);
    } else {
        bc->Brush()->SetColor(SkinData->Colours.Menu);
        bc->FillRect(Rect(0, 0, w, h));
    }
    const TDataSkinObject& e = *SkinData->MenuItem;
    SkinDrawFrame(bc->Handle(), Rect(0, 0, w, h), e.Bitmap.get(), false, e.Tile == 1, e.Trans == 1, 5, selected ? 4 : 1,
                  e.Margins);
    DrawMenuItemContent(item, bc, selected, Rect(0, 0, w, h));
    canvas->Draw(rect.left, rect.top, &b);
}

void TTinselForm::DrawPlainMenuItem(TMenuItem* item, TCanvas* canvas, bool selected, const TRect& rect) {
    const int w = RectWidth(rect), h = RectHeight(rect);
    TBitmap b;
    b.SetSize(w, h);
    if (b.Empty() || !SkinData) return;
    TCanvas* bc = b.Canvas();
    bc->SetFont(Screen->MenuFont());
    bc->Brush()->SetColor(selected ? SkinData->Colours.Hilight : SkinData->Colours.Menu);
    bc->FillRect(Rect(0, 0, w, h));
    DrawMenuItemContent(item, bc, selected, Rect(0, 0, w, h));
    canvas->Draw(rect.left, rect.top, &b);
}

void TTinselForm::DrawMenuSeparator(TCanvas* canvas, const TRect& rect) {
    if (!HasElement(SkinData)) return;
    const TDataSkinObject& e = *SkinData->MenuItem;
    TBitmap* strip = e.Bitmap.get();
    const int F = strip->Width() / 5, H = strip->Height();
    const int w = RectWidth(rect), h = RectHeight(rect);
    if (F <= 0 || w <= 0 || h <= 0) return;
    const int top = H > h ? H - h : 0, sh = H - top;
    const int lm = std::min<int>(e.Margins.left, F), rm = std::min<int>(e.Margins.right, F - lm);
    TBitmap b;
    b.SetSize(w, h);
    if (b.Empty()) return;
    HDC dst = b.Canvas()->Handle(), src = strip->Canvas()->Handle();
    SetStretchBltMode(dst, COLORONCOLOR);
    StretchBlt(dst, 0, 0, lm, h, src, F, top, lm, sh, SRCCOPY);
    StretchBlt(dst, w - rm, 0, rm, h, src, 2 * F - rm, top, rm, sh, SRCCOPY);
    if (w - lm - rm > 0 && F - lm - rm > 0)
        StretchBlt(dst, lm, 0, w - lm - rm, h, src, F + lm, top, F - lm - rm, sh, SRCCOPY);
    SkinDrawTransparent(canvas->Handle(), rect, &b, TRANSPARENT_KEY);
}

void TTinselForm::DrawMenuText(TMenuItem* item, TCanvas* canvas, UINT flags, bool selected, TRect& rect,
                               const std::wstring& given) {
    std::wstring text = given;
    if ((flags & DT_CALCRECT) && (text.empty() || text == L"&")) text += L" ";
    HDC dc = canvas->Handle();
    if (text != L"-") {
        SetBkMode(dc, TRANSPARENT);
        TFontStyles style = canvas->Font()->Style();
        if (item->Default()) style.Include(fsBold);
        canvas->Font()->SetStyle(style);
        TColor colour;
        if (!item->Enabled())
            colour = SkinData->Colours.ButtonShadow == SkinData->Colours.MenuText ? clBtnShadow
                                                                                  : SkinData->Colours.ButtonShadow;
        else
            colour = selected ? SkinData->Colours.HilightText : SkinData->Colours.MenuText;
        canvas->Font()->SetColor(colour);
        HGDIOBJ old = SelectObject(dc, canvas->Font()->Handle());
        SetTextColor(dc, ColorToRGB(colour));
        RECT r = rect;
        DrawTextWide(dc, text, r, flags);
        SelectObject(dc, old);
        rect = r;
    } else if (!(flags & DT_CALCRECT)) {
        RECT r = rect;
        OffsetRect(&r, 0, 4);
        DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    }
}

void TTinselForm::DrawMenuItemContent(TMenuItem* item, TCanvas* canvas, bool selected, const TRect& rect) {
    const std::wstring caption = CaptionOf(item);
    TMenu* menu = item->GetParentMenu();
    if (!menu && MenuBar) menu = MenuBar->MenuObject();
    TImageList* images = item->GetImageList();
    int W = images ? images->Width() : 16;
    if (item->Checked()) W = std::max(W, 16);
    const bool rtl = menu && menu->IsRightToLeft();
    const int margin = HasElement(SkinData) ? SkinData->MenuItem->Margins.left : 0;
    const bool line = caption == L"-";
    TRect G;
    if (!rtl) {
        G.left = rect.left + 1 + margin;
        G.top = rect.top + 1;
        G = line ? Rect(0, G.top, 0, G.top) : Bounds(G.left, G.top, W, W);
    } else {
        const int right = rect.right - 1 - margin;
        G = line ? Rect(right, rect.top + 1, right, rect.top + 1)
                 : Rect(right - W, rect.top + 1, right, rect.top + 1 + W);
    }
    HDC dc = canvas->Handle();
    if (!line) {
        const bool hasImage = images && item->ImageIndex() >= 0 && item->ImageIndex() < images->Count();
        if (hasImage) {
            if (item->Checked()) {
                RECT g = G;
                FillCheckedSquare(dc, g);
                DrawEdge(dc, &g, BDR_SUNKENOUTER, BF_RECT);
            }
            images->Draw(dc, G.left, G.top, item->ImageIndex(), item->Enabled());
        } else if (item->Checked()) {
            if (HBITMAP check = CheckBitmap()) {
                BITMAP bm{};
                GetObjectA(check, sizeof bm, &bm);
                TBitmap mark;
                mark.SetSize(bm.bmWidth, bm.bmHeight);
                if (!mark.Empty()) {
                    HDC mdc = CreateCompatibleDC(dc);
                    HGDIOBJ old = SelectObject(mdc, check);
                    // The mark is monochrome: its black pixels take the button text colour.
                    HDC tdc = mark.Canvas()->Handle();
                    SetTextColor(tdc, ColorToRGB(clBtnText));
                    SetBkColor(tdc, ColorToRGB(TRANSPARENT_KEY));
                    BitBlt(tdc, 0, 0, bm.bmWidth, bm.bmHeight, mdc, 0, 0, SRCCOPY);
                    SelectObject(mdc, old);
                    DeleteDC(mdc);
                    const int x = G.left + (W - bm.bmWidth) / 2 + 1;
                    const int y = rect.top + (RectHeight(rect) - bm.bmHeight) / 2 + 1;
                    SkinDrawTransparent(dc, Bounds(x, y, bm.bmWidth, bm.bmHeight), &mark, TRANSPARENT_KEY);
                }
            }
        }
    }
    const UINT right = rtl ? DT_RIGHT : 0;
    TRect T = rtl ? Rect(rect.left + 1, rect.top, G.left - 3, rect.bottom)
                  : Rect(G.right + 3, rect.top, rect.right - 1, rect.bottom);
    TRect measured = T;
    DrawMenuText(item, canvas, 0x560 | right, selected, measured, caption);
    const int free = RectHeight(T) - RectHeight(measured);
    TRect drawAt = T;
    drawAt.top += free / 2;
    DrawMenuText(item, canvas, 0x60 | right, selected, drawAt, caption);
    if (item->ShortCut()) {
        const std::wstring sc = AnsiToWide(ShortCutToText(item->ShortCut()));
        TRect s = rtl ? Rect(rect.left + 11, drawAt.top, measured.left, rect.bottom)
                      : Rect(measured.right, drawAt.top, rect.right - 11, rect.bottom);
        DrawMenuText(item, canvas, 0x60 | (rtl ? 0 : DT_RIGHT), selected, s, sc);
    }
}

void TTinselForm::MakeMenuOwnerDraw(HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.hSubMenu) MakeMenuOwnerDraw(info.hSubMenu);
        if (info.fType & MFT_OWNERDRAW) continue;
        // The type flags alone: the entry keeps its text for the painters of raw entries.
        MENUITEMINFOA set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_FTYPE;
        set.fType = info.fType | MFT_OWNERDRAW;
        SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &set);
    }
}

// The item's own handler: one the application gave it, not one a form skin bound (this one,
// from an earlier skinning, is replaced; every skin drops its handlers when it detaches).
template <class E>
bool TTinselForm::OwnHandler(const E& event) const {
    return event.Assigned() && event.Data() != this;
}

void TTinselForm::DropHandlers(TMenuItem* item) const {
    if (item->OnDrawItem.Data() == this) item->OnDrawItem = nullptr;
    if (item->OnMeasureItem.Data() == this) item->OnMeasureItem = nullptr;
}

void TTinselForm::SetMainMenusOwnerDraw(TComponent* owner, bool on) {
    if (!owner) return;
    std::function<void(TMenuItem*, int)> walk = [&](TMenuItem* item, int depth) {
        for (int i = 0; i < item->Count(); ++i) {
            TMenuItem* child = item->Items(i);
            if (on) {
                if (depth >= 1 && !OwnHandler(child->OnDrawItem)) {
                    child->OnDrawItem = TMenuDrawItemEvent(this, &TTinselForm::DrawMenuItem);
                    child->OnMeasureItem = TMenuMeasureItemEvent(this, &TTinselForm::MeasureMainItem);
                }
            } else {
                DropHandlers(child);
            }
            walk(child, depth + 1);
        }
    };
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        auto* menu = DynamicAs<TMainMenu>(owner->Components(i));
        if (!menu) continue;
        menu->SetOwnerDraw(on);
        walk(menu->Items(), 0);
    }
}

void TTinselForm::SetPopupMenusOwnerDraw(TComponent* owner, bool on) {
    if (!owner || !SkinData) return;
    if (Form && std::string(Form->ClassName()) == "TwwRichEditForm") return;
    std::function<void(TMenuItem*)> walk = [&](TMenuItem* item) {
        for (int i = 0; i < item->Count(); ++i) {
            TMenuItem* child = item->Items(i);
            if (on) {
                child->OnDrawItem = TMenuDrawItemEvent(this, &TTinselForm::DrawMenuItem);
                if (!OwnHandler(child->OnMeasureItem))
                    child->OnMeasureItem = TMenuMeasureItemEvent(this, &TTinselForm::MeasurePopupItem);
            } else {
                DropHandlers(child);
            }
            walk(child);
        }
    };
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (auto* form = DynamicAs<TCustomForm>(c)) {
            SetPopupMenusOwnerDraw(form, on);
        } else if (auto* popup = DynamicAs<TPopupMenu>(c)) {
            if (popup->Tag() == SkinData->DisableTag() || !SkinData->SkinControls().Contains(xcPopupMenu)) continue;
            popup->SetOwnerDraw(on);
            walk(popup->Items());
        }
    }
}

bool TTinselForm::MenuItemMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!mis || mis->CtlType != ODT_MENU || !(WindowMenu || MenuBar)) return false;
        TMenu* menu = Form && MenuBar ? MenuBar->MenuObject() : nullptr;
        TMenuItem* item = menu ? menu->FindItem(mis->itemID, fkCommand) : nullptr;
        if (item) {
            HDC dc = GetWindowDC(Handle);
            TCanvas canvas;
            canvas.SetHandle(dc);
            canvas.SetFont(Screen->MenuFont());
            int w = static_cast<int>(mis->itemWidth), h = static_cast<int>(mis->itemHeight);
            MeasureMainItem(item, &canvas, w, h);
            canvas.SetHandle(nullptr);
            ReleaseDC(Handle, dc);
            mis->itemWidth = static_cast<UINT>(std::max(w, 0));
            mis->itemHeight = static_cast<UINT>(std::max(h, 0));
            result = 1;
            return true;
        }
        if (Form && mis->itemID >= 1 && mis->itemID <= 4095) return false;
        char text[81] = {};
        GetMenuStringA(OpenMenu ? OpenMenu : SystemMenu, mis->itemID, text, 80, MF_BYCOMMAND);
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, Screen->MenuFont()->Handle());
        SIZE size{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        mis->itemWidth =
            static_cast<UINT>(size.cx + 26 + (HasElement(SkinData) ? SkinData->MenuItem->Margins.left : 0));
        mis->itemHeight = text[0] ? static_cast<UINT>(size.cy + 4) : 8u;
        result = 1;
        return true;
    }
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (!dis || dis->CtlType != ODT_MENU || !(WindowMenu || MenuBar)) return false;
    const auto menuHandle = reinterpret_cast<HMENU>(dis->hwndItem);
    if (SkinManager) SkinManager->AssignPopupMenu(menuHandle);
    TCanvas canvas;
    canvas.SetHandle(dis->hDC);
    const TRect rect = dis->rcItem;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    TMenu* menu = Form && MenuBar ? MenuBar->MenuObject() : nullptr;
    TMenuItem* item = menu ? menu->FindItem(dis->itemID, fkCommand) : nullptr;
    if (item) {
        if (HasElement(SkinData))
            DrawMenuItem(item, &canvas, rect, selected);
        else
            DrawPlainMenuItem(item, &canvas, selected, rect);
    } else if (Form && dis->itemID >= 1 && dis->itemID <= 4095) {
        canvas.SetHandle(nullptr);
        return false;
    } else {
        char text[81] = {};
        GetMenuStringA(menuHandle, dis->itemID, text, 80, MF_BYCOMMAND);
        const UINT state = GetMenuState(menuHandle, dis->itemID, MF_BYCOMMAND);
        TMenuItem temp(nullptr);
        temp.SetCaption(text[0] ? text : "-");
        temp.SetEnabled(!(state & MFS_DISABLED));
        temp.SetChecked((state & MFS_CHECKED) != 0);
        DrawRawMenuItem(menuHandle, &temp, selected, rect, &canvas);
    }
    canvas.SetHandle(nullptr);
    result = 1;
    return true;
}
