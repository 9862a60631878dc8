#include "classlib/WindowSubclass.h"

#include <commctrl.h>

bool TWindowSubclass::Attach(HWND window, TProc proc) {
    if (FWindow || !window || !IsWindow(window)) return false;
    // Subclassing works within the window's own thread only; elsewhere the chain never runs.
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return false;
    FProc = std::move(proc);
    if (!SetWindowSubclass(window, &TWindowSubclass::SubclassProc, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        return false;
    FWindow = FCallWindow = window;
    return true;
}

void TWindowSubclass::Detach() {
    if (!FWindow) return;
    RemoveWindowSubclass(FWindow, &TWindowSubclass::SubclassProc, reinterpret_cast<UINT_PTR>(this));
    FWindow = nullptr;
}

LRESULT TWindowSubclass::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return FCallWindow ? DefSubclassProc(FCallWindow, msg, wParam, lParam) : 0;
}

LRESULT CALLBACK TWindowSubclass::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR refData) {
    auto* self = reinterpret_cast<TWindowSubclass*>(refData);
    if (!self || self->FWindow != wnd || !self->FProc) return DefSubclassProc(wnd, msg, wParam, lParam);
    // The link goes with the window at the latest; the owner hears of it first.
    if (msg == WM_NCDESTROY) {
        const TProc proc = self->FProc;
        const LRESULT result = proc(msg, wParam, lParam);
        if (self->FWindow == wnd) self->Detach();
        return result;
    }
    return self->FProc(msg, wParam, lParam);
}
