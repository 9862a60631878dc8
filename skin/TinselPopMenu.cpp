#include "skin/TinselPopMenu.h"

#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

namespace {
// Missing from the mingw-w64 headers.
constexpr DWORD kDcxUseStyle = 0x00010000;
constexpr int kBorder = 3;
}  // namespace

TTinselPopMenu::TTinselPopMenu() : FFrame(std::make_unique<TBitmap>()) {}

TTinselPopMenu::~TTinselPopMenu() { Detach(); }

bool TTinselPopMenu::Attach(HWND window, TSkinData* data, HMENU menu) {
    FWindow = window;
    FData = data;
    FMenu = menu;
    return FSubclass.Attach(window, [this](UINT m, WPARAM w, LPARAM l) { return WndProc(m, w, l); });
}

void TTinselPopMenu::Detach() {
    if (!FSubclass.Attached()) return;
    FSubclass.Detach();
    FFrame->SetHandle(nullptr);
}

bool TTinselPopMenu::CanPaint() const {
    return FData && !FData->SkinEmpty && FData->MenuBackground && FData->MenuBackground->Bitmap &&
           !FData->MenuBackground->Bitmap->Empty();
}

void TTinselPopMenu::BuildFrame(int width, int height) {
    const TDataSkinObject& e = *FData->MenuBackground;
    auto made = SkinMakeFrameBitmap(Rect(0, 0, width, height), e.Bitmap.get(), e.Margins, false, e.Tile == 1, 1, 1);
    CopyBitmap(made.get(), FFrame.get());
}

void TTinselPopMenu::PaintFrameOn(HDC dc) {
    RECT r;
    if (!GetWindowRect(FWindow, &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    BuildFrame(w, h);
    if (FFrame->Empty()) return;
    HDC src = FFrame->Canvas()->Handle();
    BitBlt(dc, 0, 0, w, kBorder, src, 0, 0, SRCCOPY);
    BitBlt(dc, 0, h - kBorder, w, kBorder, src, 0, h - kBorder, SRCCOPY);
    BitBlt(dc, 0, 0, kBorder, h, src, 0, 0, SRCCOPY);
    BitBlt(dc, w - kBorder, 0, kBorder, h, src, w - kBorder, 0, SRCCOPY);
}

// The system erases nothing here: the client area that no item covers shows the face the
// items continue.
void TTinselPopMenu::EraseFromFace(HDC dc) {
    RECT w{}, c{};
    if (!dc || !CanPaint() || !GetWindowRect(FWindow, &w) || !GetClientRect(FWindow, &c)) return;
    const int width = w.right - w.left, height = w.bottom - w.top;
    if (FFrame->Empty() || FFrame->Width() != width || FFrame->Height() != height) BuildFrame(width, height);
    if (FFrame->Empty()) return;
    POINT origin{0, 0};
    ClientToScreen(FWindow, &origin);
    BitBlt(dc, 0, 0, c.right, c.bottom, FFrame->Canvas()->Handle(), origin.x - w.left, origin.y - w.top, SRCCOPY);
}

LRESULT TTinselPopMenu::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SKIN_QUERY) return 1;
    if (!SkinManager || !SkinManager->Enabled) return CallOld(msg, wParam, lParam);
    switch (msg) {
        case WM_DESTROY: Detach(); return CallOld(msg, wParam, lParam);
        case WM_ERASEBKGND:
            if (!FData || !FData->Options().Contains(xoMenuBG))
                CallOld(msg, wParam, lParam);
            else
                EraseFromFace(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_NCPAINT: {
            if (!CanPaint()) return CallOld(msg, wParam, lParam);
            // The menu window has no frame of its own here; a frame drawn now would be
            // painted over by the items, so it is drawn after the system's paint as well.
            HDC dc = GetWindowDC(FWindow);
            if (!dc) return CallOld(msg, wParam, lParam);
            PaintFrameOn(dc);
            ReleaseDC(FWindow, dc);
            return 0;
        }
        case WM_PAINT: {
            const LRESULT result = CallOld(msg, wParam, lParam);
            if (CanPaint()) {
                HDC dc = GetDCEx(FWindow, nullptr, DCX_WINDOW | DCX_CACHE | kDcxUseStyle);
                if (dc) {
                    PaintFrameOn(dc);
                    ReleaseDC(FWindow, dc);
                }
            }
            return result;
        }
        case WM_PRINT: {
            RECT r;
            HDC dc = reinterpret_cast<HDC>(wParam);
            if (!CanPaint() || !dc || !GetWindowRect(FWindow, &r)) return CallOld(msg, wParam, lParam);
            const int w = r.right - r.left, h = r.bottom - r.top;
            BuildFrame(w, h);
            if (!FFrame->Empty()) BitBlt(dc, 0, 0, w, h, FFrame->Canvas()->Handle(), 0, 0, SRCCOPY);
            // The caller's clip region comes back afterwards.
            HRGN saved = CreateRectRgn(0, 0, 0, 0);
            const bool hadClip = GetClipRgn(dc, saved) == 1;
            HRGN clip = CreateRectRgn(kBorder, kBorder, w - kBorder, h - kBorder);
            const int oldMode = SetBkMode(dc, TRANSPARENT);
            SelectClipRgn(dc, clip);
            const LRESULT result = CallOld(msg, wParam, lParam);
            SelectClipRgn(dc, hadClip ? saved : nullptr);
            DeleteObject(clip);
            DeleteObject(saved);
            SetBkMode(dc, oldMode);
            return result;
        }
        default: return CallOld(msg, wParam, lParam);
    }
}
