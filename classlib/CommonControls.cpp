#include "classlib/CommonControls.h"

void InitComCtl(DWORD icc) {
    static DWORD done = 0;
    if ((done & icc) == icc) return;
    INITCOMMONCONTROLSEX init{sizeof init, icc};
    if (InitCommonControlsEx(&init)) done |= icc;
}

TRect ItemRectOf(HWND wnd, UINT msg, int index) {
    RECT r{};
    if (!wnd || !SendMessageA(wnd, msg, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return TRect{};
    return r;
}
