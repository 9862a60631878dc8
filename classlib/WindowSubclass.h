// Subclassing a window by its handle. Several subclasses of one window form a chain
// that survives any order of detaching: detaching takes only this link out, and the
// window's previous procedure comes back only when no other link is left.
#pragma once

#include <windows.h>

#include <functional>

class TWindowSubclass {
public:
    // The procedure of the link; CallPrevious passes a message on down the chain.
    using TProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    TWindowSubclass() = default;
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;
    ~TWindowSubclass() { Detach(); }

    // False when the window is gone, belongs to another thread or already has this link.
    bool Attach(HWND window, TProc proc);
    // Safe at any time, also from inside the procedure and after the window is gone.
    void Detach();
    bool Attached() const { return FWindow != nullptr; }
    HWND Window() const { return FWindow; }
    // The next procedure of the chain (the window's own at the end).
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR refData);
    HWND FWindow = nullptr;
    // Kept after Detach: a procedure that detached itself may still pass its message on.
    HWND FCallWindow = nullptr;
    TProc FProc;
};
