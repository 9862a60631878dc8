#include "classlib/WinHook.h"

bool TWindowsHook::Install(int idHook, HOOKPROC proc) {
    if (FHook) return true;
    FHook = SetWindowsHookExA(idHook, proc, nullptr, GetCurrentThreadId());
    return FHook != nullptr;
}

void TWindowsHook::Release() {
    if (!FHook) return;
    UnhookWindowsHookEx(FHook);
    FHook = nullptr;
}
