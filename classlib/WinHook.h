// A thread hook that is installed at most once and always released: on Release, and
// when its owner goes.
#pragma once

#include <windows.h>

class TWindowsHook {
public:
    TWindowsHook() = default;
    TWindowsHook(const TWindowsHook&) = delete;
    TWindowsHook& operator=(const TWindowsHook&) = delete;
    ~TWindowsHook() { Release(); }

    // SetWindowsHookEx for the calling thread, unless this hook is in already (then the
    // first one stays). False when the system refused it.
    bool Install(int idHook, HOOKPROC proc);
    void Release();
    bool Installed() const { return FHook != nullptr; }
    HHOOK Handle() const { return FHook; }
    LRESULT CallNext(int code, WPARAM wParam, LPARAM lParam) const {
        return CallNextHookEx(FHook, code, wParam, lParam);
    }
    // Hooks of this kind installed in the program right now.
    static int LiveCount();

private:
    HHOOK FHook = nullptr;
};
