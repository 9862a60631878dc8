#include "SkinFormTestUtil.h"

#include <gtest/gtest.h>

#include <memory>

#include "classlib/Classes.h"
#include "classlib/PngFile.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"
#include "tests/driver/DcPixels.h"
#include "tests/driver/TestDriver.h"

namespace skinform {
namespace {

void Send(DWORD flags, int x, int y) { dptest::SendMouseAt(x, y, flags); }

}  // namespace

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& pred, const std::string& what, DWORD limitMs, bool report) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (pred()) return true;
        if (GetTickCount() - start > limitMs) {
            if (report) ADD_FAILURE() << "waited " << limitMs << " ms for: " << what;
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

TForm* ShowForm(const std::string& caption, TFormBorderStyle border, int x, int y, int w, int h, TBorderIcons icons) {
    auto* form = NewForm<TForm>(nullptr);
    form->SetBorderStyle(border);
    form->SetBorderIcons(icons);
    form->SetCaption(caption);
    form->SetBounds(x, y, w, h);
    form->Show();
    Pump();
    return form;
}

HWND ShowBareWindow(const std::string& caption, DWORD style, int x, int y, int w, int h) {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "SkinTestBare";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    HWND wnd = CreateWindowExA(0, "SkinTestBare", caption.c_str(), style, x, y, w, h, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ShowWindow(wnd, SW_SHOW);
    SetForegroundWindow(wnd);
    Pump();
    return wnd;
}

bool IsSkinned(HWND wnd) {
    TTinselForm* f = SkinManager ? SkinManager->FindSkinForm(wnd) : nullptr;
    return f && f->LifeState == lsActive;
}

namespace {
BOOL CALLBACK FindUpdate(HWND wnd, LPARAM lp) {
    if (!GetUpdateRect(wnd, nullptr, FALSE)) return TRUE;
    *reinterpret_cast<bool*>(lp) = true;
    return FALSE;
}
}  // namespace

bool PaintedNow(HWND wnd) {
    if (!IsWindow(wnd)) return false;
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    bool pending = GetUpdateRect(wnd, nullptr, FALSE) != FALSE;
    if (!pending) EnumChildWindows(wnd, &FindUpdate, reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

TTinselForm* WaitSkinned(HWND wnd) {
    if (!PumpUntil([&] { return IsSkinned(wnd); }, "a form skin of window " + dptest::Describe(wnd, false)))
        return nullptr;
    // Activation resized the window: its frame is painted by now.
    Pump();
    return SkinManager->FindSkinForm(wnd);
}

void MouseMove(int x, int y) { Send(0, x, y); }

bool HoverUntil(int x, int y, const std::function<bool()>& pred, const std::string& what) {
    const DWORD start = GetTickCount();
    for (int nudge = 0;; nudge ^= 1) {
        MouseMove(x + nudge, y);
        if (PumpUntil(pred, what, 1000, false)) return true;
        if (GetTickCount() - start > 20000) {
            ADD_FAILURE() << "waited 20000 ms, the pointer resting at " << x << "," << y << ", for: " << what;
            return false;
        }
    }
}
void MouseDown(int x, int y) { Send(MOUSEEVENTF_LEFTDOWN, x, y); }
void MouseUp(int x, int y) { Send(MOUSEEVENTF_LEFTUP, x, y); }
void MouseClick(int x, int y) {
    MouseDown(x, y);
    MouseUp(x, y);
}
void RightClick(int x, int y) {
    Send(MOUSEEVENTF_RIGHTDOWN, x, y);
    Send(MOUSEEVENTF_RIGHTUP, x, y);
}

void Key(WORD vk, bool alt) {
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (alt) add(VK_MENU, false);
    add(vk, false);
    add(vk, true);
    if (alt) add(VK_MENU, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

std::vector<COLORREF> ScreenRect(const RECT& r) {
    std::vector<uint32_t> pixels;
    HDC dc = GetDC(nullptr);
    dptest::ReadDcPixels(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, pixels);
    ReleaseDC(nullptr, dc);
    std::vector<COLORREF> out;
    out.reserve(pixels.size());
    for (uint32_t p : pixels) out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return out;
}

std::string ArtifactPath(const std::string& name) { return dptest::ArtifactDir() + name; }

bool ShotWindow(HWND wnd, const std::string& name) {
    RECT r;
    return GetWindowRect(wnd, &r) && ShotRect(r, name);
}

bool ShotRect(const RECT& r, const std::string& name) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    std::vector<uint32_t> pixels;
    const bool ok = dptest::ReadDcPixels(screen, r.left, r.top, w, h, pixels);
    ReleaseDC(nullptr, screen);
    return ok && WritePngFile(ArtifactPath(name), w, h, pixels);
}

SkinnedForm::~SkinnedForm() {
    delete Form;
    Pump();
}

std::unique_ptr<SkinnedForm> MakeSkinnedForm(const std::string& caption, const RECT& bounds,
                                             const std::function<void(TForm*)>& make) {
    auto f = std::make_unique<SkinnedForm>();
    f->Form = NewForm<TForm>(nullptr);
    f->Form->SetCaption(caption);
    f->Form->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    make(f->Form);
    f->Form->Show();
    Pump();
    f->Skin = WaitSkinned(f->Form->Handle());
    return f;
}

TSkinControl* SkinOf(TTinselForm* form, TControl* control) {
    for (TSkinControl* s : form->ControlSkins)
        if ((s->Control == control || s->GraphicControl == control) && s->State == scAttached) return s;
    return nullptr;
}

std::string SkinNameOf(TTinselForm* form, TControl* control) {
    TSkinControl* s = SkinOf(form, control);
    return s ? s->ClassName() : std::string();
}

}  // namespace skinform
