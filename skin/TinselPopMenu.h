// The skin of one menu window ("#32768"): its frame, and for animated menus its whole
// face, from the skin's [MenuBackground] element; the items draw their background from
// the frame bitmap it keeps.
#pragma once

#include <windows.h>

#include <memory>

#include "classlib/Graphics.h"
#include "classlib/WindowSubclass.h"

class TSkinData;

class TTinselPopMenu {
public:
    TTinselPopMenu();
    TTinselPopMenu(const TTinselPopMenu&) = delete;
    TTinselPopMenu& operator=(const TTinselPopMenu&) = delete;
    ~TTinselPopMenu();

    bool Attach(HWND window, TSkinData* data, HMENU menu);
    // Only when attached; the frame bitmap is emptied.
    void Detach();
    bool Attached() const { return FSubclass.Attached(); }
    HWND Window() const { return FWindow; }
    HMENU Menu() const { return FMenu; }
    void SetMenu(HMENU menu) { FMenu = menu; }
    TBitmap* FrameBitmap() const { return FFrame.get(); }

private:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT CallOld(UINT msg, WPARAM wParam, LPARAM lParam) { return FSubclass.CallPrevious(msg, wParam, lParam); }
    bool CanPaint() const;
    void BuildFrame(int width, int height);
    void PaintFrameOn(HDC dc);
    void EraseFromFace(HDC dc);

    TWindowSubclass FSubclass;
    HWND FWindow = nullptr;
    TSkinData* FData = nullptr;
    HMENU FMenu = nullptr;
    std::unique_ptr<TBitmap> FFrame;
};
