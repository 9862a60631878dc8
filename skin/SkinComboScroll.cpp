#include "skin/SkinComboScroll.h"

#include "skin/SkinScrollParts.h"
#include "skin/TinselData.h"

DP_PUBLISHED(TComboxScrollBar){};

namespace {

// The system combo box's own note to its list that it drops down.
constexpr UINT WM_COMBO_LISTDROPPED = 0x01AE;

TRect WindowOf(HWND wnd) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

}  // namespace

TComboxScrollBar::TComboxScrollBar(TComponent* owner)
    : TSkinControl(owner), ArrowSize(GetSystemMetrics(SM_CXHSCROLL)), FAlive(std::make_shared<bool>(true)) {}

TComboxScrollBar::~TComboxScrollBar() { *FAlive = false; }

bool TComboxScrollBar::BeforeMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_NCPAINT: {
            // The system's frame and bar never show; ours are drawn in their place.
            HDC dc = GetWindowDC(Handle);
            if (dc) {
                DrawFrame(dc);
                PaintWindow(dc);
                ReleaseDC(Handle, dc);
            }
            message.Result = 0;
            return false;
        }
        case WM_NCMOUSEMOVE:
            if (message.WParam == HTHSCROLL || message.WParam == HTVSCROLL) return false;
            return true;
        case WM_NCLBUTTONDOWN: {
            const POINT press{static_cast<int16_t>(LOWORD(message.LParam)),
                              static_cast<int16_t>(HIWORD(message.LParam))};
            if (ThumbLoop(message.WParam, press)) {
                message.Result = 0;
                return false;
            }
            return true;
        }
        case WM_CAPTURECHANGED:
            if (FDragging && reinterpret_cast<HWND>(message.LParam) != Handle) FCaptureLost = true;
            return true;
        default: return TSkinControl::BeforeMessage(message);
    }
}

void TComboxScrollBar::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_COMBO_LISTDROPPED: PaintWindow(nullptr); break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

void TComboxScrollBar::DrawFrame(HDC dc) {
    if (!SkinData || !Handle) return;
    const TRect w = WindowOf(Handle);
    const int32_t width = w.right - w.left, height = w.bottom - w.top;
    RECT client{};
    GetClientRect(Handle, &client);
    MapWindowPoints(Handle, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -w.left, -w.top);
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (SkinHasScrollParts(SkinData) && SkinGetScrollBarInfo(Handle, OBJID_VSCROLL, info) &&
        !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
        RECT bar = info.rcScrollBar;
        OffsetRect(&bar, -w.left, -w.top);
        ExcludeClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    }
    FillColour(dc, TRect{0, 0, width, height}, SkinData->Colours.ButtonFace);
    HBRUSH shadow = CreateSolidBrush(ColorToRGB(SkinData->Colours.ButtonShadow));
    RECT outer{0, 0, width, height};
    FrameRect(dc, &outer, shadow);
    DeleteObject(shadow);
    RestoreDC(dc, saved);
}

void TComboxScrollBar::DrawSkin(HDC dc, const TRect& rect) {
    if (!SkinHasScrollParts(SkinData)) return;
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!SkinGetScrollBarInfo(Handle, OBJID_VSCROLL, info) || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) return;
    const TRect w = WindowOf(Handle);
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -w.left, -w.top);
    const int32_t bw = bar.right - bar.left, bh = bar.bottom - bar.top;
    const int32_t height = rect.bottom - rect.top;
    if (bw <= 0 || bh <= 0 || bar.left < 0 || bar.top < 0 || bar.right > rect.right - rect.left || bar.bottom > height)
        return;
    ThumbStart = info.xyThumbTop;
    ThumbEnd = info.xyThumbBottom;
    TScrollBarLook look;
    look.Vertical = true;
    look.Enabled = !(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
    look.Length = bh;
    look.Arrow = ArrowSize;
    look.ThumbStart = ThumbStart;
    look.ThumbEnd = ThumbEnd;
    look.HalveBelow = height;
    const RECT target{rect.left + bar.left, rect.top + bar.top, rect.left + bar.right, rect.top + bar.bottom};
    PaintScrollBar(dc, target, bw, bh, SkinData, look);
}

bool TComboxScrollBar::ThumbLoop(WPARAM hitTest, POINT press) {
    if (hitTest != HTVSCROLL || FDragging) return false;
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    if (!SkinGetScrollBarInfo(Handle, OBJID_VSCROLL, bar)) return false;
    const int32_t y = press.y - bar.rcScrollBar.top;
    if (y < bar.xyThumbTop || y > bar.xyThumbBottom) return false;

    const HWND list = Handle;
    const std::shared_ptr<bool> alive = FAlive;
    const HWND capturedBefore = GetCapture();
    SetCapture(list);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
    GetScrollInfo(list, SB_VERT, &si);
    const int32_t A = ArrowSize;
    const int32_t base = bar.xyThumbTop - A;
    const int32_t track = (bar.rcScrollBar.bottom - bar.rcScrollBar.top) - 2 * A;
    const int32_t thumb = bar.xyThumbBottom - bar.xyThumbTop;
    const auto page = static_cast<int32_t>(si.nPage);
    int32_t last = si.nPos, position = si.nPos;
    FDragging = true;
    FCaptureLost = false;

    auto gone = [&] { return !*alive || State == scDestroyed || !IsWindow(list); };
    bool released = false, quit = false;
    WPARAM quitCode = 0;
    while (!released && !quit && !gone() && !FCaptureLost && GetCapture() == list) {
        MSG msg{};
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Nothing waiting: sleep until a message comes (sent ones are handled in here).
            MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
            continue;
        }
        switch (msg.message) {
            case WM_QUIT:
                quit = true;
                quitCode = msg.wParam;
                break;
            case WM_NCMOUSEMOVE:
            case WM_MOUSEMOVE: {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                if (gone()) break;
                int32_t offset = base + msg.pt.y - press.y;
                if (offset < 0) offset = 0;
                if (page == 0) {
                    if (offset > track - thumb) offset = track - thumb;
                    position = MulDiv(offset, si.nMax - si.nMin, track) + si.nMin;
                    if (position > si.nMax) position = si.nMax;
                } else {
                    if (offset > track - thumb + 1) offset = track - thumb + 1;
                    position = MulDiv(offset, si.nMax - si.nMin - page, track - thumb) + si.nMin;
                    if (position >= si.nMax - page) position = si.nMax - page + 1;
                }
                if (position < si.nMin) position = si.nMin;
                if (position != last) {
                    SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), 0);
                    last = position;
                }
                break;
            }
            case WM_NCLBUTTONUP:
            case WM_LBUTTONUP:
                // The release ends the drag; the list never sees it, so it stays open.
                SendMessageA(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
                PostMessageA(list, WM_VSCROLL, SB_ENDSCROLL, 0);
                released = true;
                break;
            default:
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                break;
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    if (!*alive) return true;
    FDragging = false;
    const bool stolen = FCaptureLost || GetCapture() != list;
    FCaptureLost = false;
    if (gone()) return true;
    if (!released) PostMessageA(list, WM_VSCROLL, SB_ENDSCROLL, 0);
    // A dropped list holds the capture so that a click outside closes it: it gets it back,
    // unless another window took it; a list that had none is left without.
    if (!stolen) {
        if (capturedBefore == list)
            SetCapture(list);
        else
            ReleaseCapture();
    }
    return true;
}
