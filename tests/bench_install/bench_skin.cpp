// The skin's frame work on the builder's main window: one full non-client repaint at the
// window's own size and at 1280 x 1000, beside Wine's own repaint of the same window
// unskinned, and the window region built over 100 resizes. Prints the figures; asserts nothing.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "builder/Main.h"
#include "classlib/Registry.h"
#include "skin/SkinManage.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"

namespace {

double Milliseconds(int times, const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i) f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / times;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Handles messages until the window has (or has lost) its skin.
bool WaitSkinned(HWND wnd, bool skinned) {
    for (int i = 0; i < 1000; ++i) {
        Pump();
        TTinselForm* f = SkinManager ? SkinManager->FindSkinForm(wnd) : nullptr;
        if ((f && f->LifeState == lsActive) == skinned) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

void Resize(HWND wnd, int w, int h) {
    SetWindowPos(wnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
}

}  // namespace

int main() {
    // A desktop of its own: the system draws window frames there.
    HDESK desk = CreateDesktopA("DpBenchSkin", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desk) SetThreadDesktop(desk);
    Application->Initialize();
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(BuilderRegKey, true)) {
        reg.WriteString("Quest2", "");
        reg.WriteBool("Quest1", false);
    }
    TfrmMain* form = nullptr;
    Application->CreateForm(form);
    form->Show();
    const HWND wnd = form->Handle();
    if (!WaitSkinned(wnd, true)) {
        std::printf("the main window was not skinned\n");
        return 1;
    }
    TTinselForm* skin = SkinManager->FindSkinForm(wnd);
    RECT r{};
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    constexpr int kRepaints = 200;
    const double own = Milliseconds(kRepaints, [&] { SendMessageA(wnd, WM_SKIN_NCREPAINT, 0, 0); });
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP surface = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldSurface = SelectObject(mem, surface);
    const double offscreen = Milliseconds(kRepaints, [&] { skin->PaintFrame(mem); });
    auto* bar = skin->MenuBar.get();
    const double barOnly = Milliseconds(kRepaints, [&] {
        if (bar) bar->Paint(mem, bar->BarRect());
    });
    SelectObject(mem, oldSurface);
    DeleteObject(surface);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    Resize(wnd, 1280, 1000);
    const double large = Milliseconds(kRepaints, [&] { SendMessageA(wnd, WM_SKIN_NCREPAINT, 0, 0); });
    // The region of each new size: 100 resizes, and the building alone at one size.
    const double resizes = Milliseconds(100, [&, i = 0]() mutable {
        ++i;
        Resize(wnd, 600 + (i % 2) * 40 + i, 400 + (i % 3) * 20);
    });
    const double region = Milliseconds(100, [&] {
        skin->RegionWidth = 0;
        skin->UpdateRegion();
    });
    Resize(wnd, w, h);

    form->SkinData1->SetActive(false);
    WaitSkinned(wnd, false);
    const double wineOwn = Milliseconds(kRepaints, [&] { SendMessageA(wnd, WM_NCPAINT, 1, 0); });
    Resize(wnd, 1280, 1000);
    const double wineLarge = Milliseconds(kRepaints, [&] { SendMessageA(wnd, WM_NCPAINT, 1, 0); });

    std::printf("non-client repaint of the main window (%dx%d): skin %.3f ms, Wine %.3f ms\n", w, h, own, wineOwn);
    std::printf("non-client repaint at 1280x1000: skin %.3f ms, Wine %.3f ms\n", large, wineLarge);
    std::printf("  of it, into a memory DC: whole frame %.3f ms, menu bar %.3f ms\n", offscreen, barOnly);
    std::printf("100 resizes with the skin's region: %.3f ms per resize\n", resizes);
    std::printf("region built from the border pieces (1280x1000 window): %.3f ms\n", region);
    form->Free();
    Pump();
    DoneApplication();
    return 0;
}
