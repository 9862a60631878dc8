// The skin's frame work on the builder's main window, each figure beside its baseline in the
// same run: the full non-client repaint at the window's own size and at 1280 x 1000 beside
// Wine's own repaint of the same window unskinned, a resize with the skin beside the same
// resize without it, and the window region built for 1280 x 1000 beside setting a plain
// rectangle. The skin goes on and off every round; min, median and max over the rounds.
// Prints the figures; asserts nothing.
//   bench_skin [rounds]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "builder/Main.h"
#include "classlib/Registry.h"
#include "skin/SkinManage.h"
#include "skin/TinselFormSkin.h"
#include "skin/TinselMenu.h"
#include "tests/bench_install/BenchSpread.h"

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

// The sizes a drag of the window's corner passes through: each new, as when the user drags.
void Resizes(HWND wnd, int count) {
    for (int i = 1; i <= count; ++i) Resize(wnd, 600 + (i % 2) * 40 + i, 400 + (i % 3) * 20 + i / 2);
}

struct Figure {
    const char* name;
    std::vector<double> skin, base;
};

void PrintFigure(const Figure& f, const char* baseName) {
    std::vector<double> ratios;
    for (size_t i = 0; i < f.skin.size(); ++i) ratios.push_back(f.skin[i] / f.base[i]);
    const Spread s = SpreadOf(f.skin), b = SpreadOf(f.base), r = SpreadOf(ratios);
    std::printf(
        "%s\n  skin     %8.3f / %8.3f / %8.3f ms\n  %-8s %8.3f / %8.3f / %8.3f ms\n"
        "  ratio    %8.2f / %8.2f / %8.2f\n",
        f.name, s.min, s.median, s.max, baseName, b.min, b.median, b.max, r.min, r.median, r.max);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // A desktop of its own: the system draws window frames there.
    HDESK desk = CreateDesktopA("DpBenchSkin", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (desk) SetThreadDesktop(desk);
    Application->Initialize();
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(BuilderRegKey, true)) {
        reg.WriteString("Quest2", "");
        reg.WriteBool("Quest1", false);
        // No tip of the day: its modal loop would hold the start-up.
        reg.WriteBool("Tips", false);
    }
    TfrmMain* form = nullptr;
    Application->CreateForm(form);
    form->Show();
    const HWND wnd = form->Handle();
    if (!WaitSkinned(wnd, true)) {
        std::printf("the main window was not skinned\n");
        return 1;
    }
    RECT r{};
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    constexpr int kRepaints = 50, kResizes = 20, kRegions = 20;
    Figure own{"full non-client repaint at the main window's size", {}, {}},
        large{"full non-client repaint at 1280x1000", {}, {}},
        offscreen{"the whole frame into a memory DC (own size), beside Wine's frame on the window", {}, {}},
        bar{"of it the menu bar, beside Wine's frame on the window", {}, {}},
        resize{"a resize with the skin's region (window and its controls repainted)", {}, {}},
        region{
            "the region of a 1280x1000 window rebuilt (equal to the one it has, so not set again), beside setting a "
            "plain rectangle",
            {},
            {}};
    auto repaint = [&] { SendMessageA(wnd, WM_NCPAINT, 1, 0); };
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) {
            form->SkinData1->SetActive(true);
            if (!WaitSkinned(wnd, true)) {
                std::printf("the main window was not skinned again\n");
                return 1;
            }
        }
        TTinselForm* skin = SkinManager->FindSkinForm(wnd);
        Resize(wnd, w, h);
        own.skin.push_back(Milliseconds(kRepaints, repaint));
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP surface = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ oldSurface = SelectObject(mem, surface);
        offscreen.skin.push_back(Milliseconds(kRepaints, [&] { skin->PaintFrame(mem); }));
        TTinselMenu* menu = skin->MenuBar.get();
        bar.skin.push_back(Milliseconds(kRepaints, [&] {
            if (menu) menu->Paint(mem, menu->BarRect());
        }));
        SelectObject(mem, oldSurface);
        DeleteObject(surface);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        Resize(wnd, 1280, 1000);
        large.skin.push_back(Milliseconds(kRepaints, repaint));
        region.skin.push_back(Milliseconds(kRegions, [&] {
            skin->RegionWidth = 0;
            skin->UpdateRegion();
        }));
        region.base.push_back(
            Milliseconds(kRegions, [&] { SetWindowRgn(wnd, CreateRectRgn(0, 0, 1280, 1000), TRUE); }));
        skin->RegionWidth = 0;
        skin->UpdateRegion();
        resize.skin.push_back(Milliseconds(1, [&] { Resizes(wnd, kResizes); }) / kResizes);

        form->SkinData1->SetActive(false);
        if (!WaitSkinned(wnd, false)) {
            std::printf("the skin did not come off\n");
            return 1;
        }
        Resize(wnd, w, h);
        own.base.push_back(Milliseconds(kRepaints, repaint));
        offscreen.base.push_back(own.base.back());
        bar.base.push_back(own.base.back());
        Resize(wnd, 1280, 1000);
        large.base.push_back(Milliseconds(kRepaints, repaint));
        resize.base.push_back(Milliseconds(1, [&] { Resizes(wnd, kResizes); }) / kResizes);
    }

    std::printf("%d rounds, the skin on and off in turn (min / median / max; ratio = skin / baseline per round)\n",
                rounds);
    std::printf("main window %dx%d\n", w, h);
    PrintFigure(own, "Wine");
    PrintFigure(large, "Wine");
    PrintFigure(offscreen, "Wine");
    PrintFigure(bar, "Wine");
    PrintFigure(resize, "no skin");
    PrintFigure(region, "rect");
    std::printf("goals: repaint ratio <= 2 at both sizes, region < 1 ms, resize ratio <= 1.5\n");
    form->Free();
    Pump();
    DoneApplication();
    return 0;
}
