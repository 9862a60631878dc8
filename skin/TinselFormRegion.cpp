// The form skin's window region (holes where the border pieces are key-coloured, built once
// per window size) and what it does for MDI applications: the frame's MDI client hook.
#include <windows.h>

#include <vector>

#include "classlib/Forms.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

void TTinselForm::UpdateRegion() {
    if (LifeState == lsDead || !FrameSkinned || !SkinData || SkinData->SkinEmpty) return;
    RECT w{};
    GetWindowRect(Handle, &w);
    const int32_t W = w.right - w.left, H = w.bottom - w.top;
    if (W == 0 || H == 0) return;
    if (Kind == fkMDIChild && ShowStateValue != ssNormal) return;
    if (RegionPresent && RegionWidth == W && RegionHeight == H && Kind != fkMDIChild && LifeState != lsSkinChanging)
        return;
    RegionPresent = false;
    const auto& b = SkinData->Borders;
    const bool anyTrans = b[0]->Trans || b[1]->Trans || b[2]->Trans || b[3]->Trans;
    HRGN region = nullptr;
    if (!anyTrans) {
        region = CreateRectRgn(0, 0, W, H);
    } else {
        const int32_t L = BorderLeft, T = BorderTop, R = BorderRight, B = BorderBottom;
        std::vector<TSkinRegionPart> parts{{Rect(L, T, W - R, H - B)}};
        if (BorderClassValue != bcNoCaption) {
            // One piece: the runs of its cached bitmap when it may have holes, else its rectangle.
            auto piece = [&](int index, bool fromBitmap, int x, int y, int pw, int ph) {
                const TSkinRowRuns* runs = fromBitmap && pw > 0 && ph > 0 ? BorderPieceRuns(index, pw, ph) : nullptr;
                parts.push_back({Rect(x, y, x + pw, y + ph), runs});
            };
            piece(1, b[0]->Trans == 1 && H > 1, 0, 0, L, H);
            piece(2, b[1]->Trans == 1 && H > 1, W - R, 0, R, H);
            piece(4, b[3]->Trans == 1 && B >= 2, L, H - B, W - L - R, B);
            piece(3, b[2]->Trans == 1 && T > 1 && W - L - R > 0, L, 0, W - L - R, T);
        }
        region = SkinRegionFromParts(parts);
    }
    // The window has this region already (a rebuild at the same size): setting it again
    // would only send the window through a frame change and a full repaint.
    HRGN current = CreateRectRgn(0, 0, 0, 0);
    const bool same = GetWindowRgn(Handle, current) != ERROR && EqualRgn(current, region);
    DeleteObject(current);
    if (same) {
        DeleteObject(region);
        RegionWidth = W;
        RegionHeight = H;
        RegionPresent = true;
        return;
    }
    // From here on the region belongs to the system.
    SetWindowRgn(Handle, region, TRUE);
    RegionWidth = W;
    RegionHeight = H;
    RegionPresent = true;
}

void TTinselForm::ClearRegion() {
    if (!RegionPresent) return;
    SetWindowRgn(Handle, nullptr, Kind == fkMDIChild);
    RegionPresent = false;
}

bool TTinselForm::IsMdiChildMaximized() {
    if (Kind != fkMDIFrame || !MDIClient) return false;
    BOOL maximized = FALSE;
    const auto child =
        reinterpret_cast<HWND>(SendMessageA(MDIClient, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
    return child && maximized;
}

void TTinselForm::HookMDIClient() {
    if (!MDIClient || FMDISubclass.Attached()) return;
    FMDISubclass.Attach(MDIClient, [this](UINT m, WPARAM w, LPARAM l) { return MDIClientProc(m, w, l); });
}

void TTinselForm::UnhookMDIClient() { FMDISubclass.Detach(); }

LRESULT TTinselForm::MDIClientProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    auto old = [&] { return FMDISubclass.CallPrevious(msg, wParam, lParam); };
    const bool skinned = FrameSkinned && LifeState != lsDead && SkinData;
    switch (msg) {
        case WM_NCDESTROY: {
            const LRESULT r = old();
            UnhookMDIClient();
            if (SkinManager && SkinManager->MDIClientWindow == MDIClient) SkinManager->MDIClientWindow = nullptr;
            MDIClient = nullptr;
            return r;
        }
        case WM_NCCALCSIZE:
            if (skinned && !SkinData->Options().Contains(xoMDIScrollbar)) {
                const LONG_PTR style = GetWindowLongPtrA(MDIClient, GWL_STYLE);
                SetWindowLongPtrA(MDIClient, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_HSCROLL | WS_VSCROLL));
            }
            return old();
        case WM_MDICREATE:
            if (skinned) SkinData->SetMenuUpdate(false);
            return old();
        case WM_MDIDESTROY: {
            const LRESULT r = old();
            if (skinned) {
                if (SkinManager) SkinManager->SetCaptionActive(IsMdiChildMaximized());
                if (MenuBar && !SendMessageA(MDIClient, WM_MDIGETACTIVE, 0, 0)) {
                    SkinData->SetMenuUpdate(FSavedMenuUpdate);
                    MenuBar->ReloadItems();
                }
            }
            return r;
        }
        case WM_MDITILE:
        case WM_MDICASCADE:
            if (skinned && SkinManager && SkinManager->MDIMaximized) SkinManager->SetCaptionActive(false);
            return old();
        case WM_MDISETMENU: {
            const LRESULT r = old();
            if (skinned && wParam && MenuBar) {
                MenuBar->ReloadItems();
                SetMenu(Handle, nullptr);
            }
            return r;
        }
        case WM_SKIN_MDIREDRAW:
            if (skinned)
                RedrawWindow(Handle, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
            return 0;
        default: return old();
    }
}
