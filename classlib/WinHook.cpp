#include "classlib/WinHook.h"

namespace {
int g_live = 0;
}

int TWindowsHook::LiveCount() { return g_live; }

bool TWindowsHook::Install(int idHook, HOOKPROC proc) {
    if (FHook) return true;
    FHook = SetWindowsHookExA(idHook, proc, nullptr, GetCurrentThreadId());
    if (FHook) ++g_live;
    return FHook != nullptr;
}

void TWindowsHook::Release() {
    if (!FHook) return;
    UnhookWindowsHookEx(FHook);
    FHook = nullptr;
    --g_live;
}
