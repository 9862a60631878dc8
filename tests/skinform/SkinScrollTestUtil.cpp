#include "SkinScrollTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "SkinFormTestUtil.h"
#include "skin/TinselData.h"
#include "skin/WinSubClass.h"

namespace skinscroll {

COLORREF PartColour(int frame) { return frame ? RGB(10 * frame, 250 - 10 * frame, 128) : CLR_INVALID; }
COLORREF TrackColour(int frame) { return RGB(200, 10 + 20 * frame, 30 * frame); }
COLORREF ThumbColour(int frame) { return RGB(30 + 40 * frame, 60, 220 - 30 * frame); }
COLORREF HeaderColour(int frame) { return RGB(90 + 30 * frame, 200 - 40 * frame, 40 + 20 * frame); }

namespace {

constexpr int kSide = 16;

std::unique_ptr<TDataSkinObject> Strip(const char* name, int frames, int width, int height, COLORREF (*colour)(int)) {
    auto e = std::make_unique<TDataSkinObject>(name);
    e->Bitmap->SetPixelFormat(pf24bit);
    e->Bitmap->SetSize(frames * width, height);
    for (int i = 1; i <= frames; ++i)
        FillColour(e->Bitmap->Canvas()->Handle(), Bounds((i - 1) * width, 0, width, height), colour(i));
    e->Frames = frames;
    return e;
}

std::unique_ptr<TDataSkinObject>* Slots(TSkinData* d, int i) {
    std::unique_ptr<TDataSkinObject>* slots[] = {&d->Scrollbar,       &d->HorzScroll,      &d->VertScroll,
                                                 &d->HorzScrollThumb, &d->VertScrollThumb, &d->Headerbar};
    return slots[i];
}

}  // namespace

ColourStrips::ColourStrips() {
    TSkinData* d = skinform::Skin();
    std::unique_ptr<TDataSkinObject> made[] = {
        Strip("Scrollbar", 23, kSide, kSide, PartColour),       Strip("HorzScroll", 4, kSide, kSide, TrackColour),
        Strip("VertScroll", 4, kSide, kSide, TrackColour),      Strip("HorzScrollThumb", 3, kSide, kSide, ThumbColour),
        Strip("VertScrollThumb", 3, kSide, kSide, ThumbColour), Strip("Headerbar", 5, 20, 20, HeaderColour)};
    for (int i = 0; i < 6; ++i) {
        FSaved.push_back(std::move(*Slots(d, i)));
        *Slots(d, i) = std::move(made[i]);
    }
}

ColourStrips::~ColourStrips() {
    TSkinData* d = skinform::Skin();
    for (int i = 0; i < 6; ++i) *Slots(d, i) = std::move(FSaved[i]);
}

BarGeometry BarOf(HWND wnd, LONG objectId) {
    BarGeometry g;
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!SkinGetScrollBarInfo(wnd, objectId, info)) return g;
    g.Screen = info.rcScrollBar;
    g.ThumbTop = info.xyThumbTop;
    g.ThumbBottom = info.xyThumbBottom;
    g.State = info.rgstate[0];
    g.Visible = !(info.rgstate[0] & STATE_SYSTEM_INVISIBLE);
    return g;
}

bool ScreenShows(int x, int y, COLORREF colour, const std::string& what) {
    COLORREF seen = 0;
    const bool ok = skinform::PumpUntil(
        [&] {
            seen = skinform::ScreenPixel(x, y);
            return seen == colour;
        },
        what);
    if (!ok) ADD_FAILURE() << what << ": at " << x << "," << y << " the screen shows " << std::hex << seen;
    return ok;
}

bool ScrollLog::Attach(HWND wnd) {
    return Link.Attach(wnd, [this](UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
            Codes.push_back(LOWORD(w));
            Positions.push_back(static_cast<int16_t>(HIWORD(w)));
            if (LOWORD(w) == SB_THUMBTRACK && !Tracked) {
                Tracked = true;
                if (OnTrack) OnTrack();
            }
        }
        return Link.CallPrevious(msg, w, l);
    });
}

bool ScrollLog::Has(int code) const { return std::find(Codes.begin(), Codes.end(), code) != Codes.end(); }

void ScrollLog::Clear() {
    Codes.clear();
    Positions.clear();
    Tracked = false;
}

namespace {

struct HelperClass {
    HelperClass() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SkinScrollHelper";
        RegisterClassA(&wc);
    }
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_APP) {
            auto* f = reinterpret_cast<std::function<void()>*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
            if (f) (*f)();
            return 0;
        }
        return DefWindowProcA(wnd, msg, w, l);
    }
};

HWND MakeHelper(std::function<void()>* action) {
    static HelperClass registered;
    HWND wnd = CreateWindowExA(0, "SkinScrollHelper", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(action));
    return wnd;
}

}  // namespace

Thief::Thief() {
    static std::function<void()> steal;
    steal = [this] {
        SetCapture(Wnd);
        Stole = true;
    };
    Wnd = MakeHelper(&steal);
}

Thief::~Thief() { DestroyWindow(Wnd); }

Destroyer::Destroyer(HWND target) : Target(target) {
    static std::function<void()> destroy;
    destroy = [this] { DestroyWindow(Target); };
    Wnd = MakeHelper(&destroy);
}

Destroyer::~Destroyer() { DestroyWindow(Wnd); }

}  // namespace skinscroll
