// The scroll-bar tests' tools: scroll strips whose every frame has its own colour put into
// the test skin for as long as they live, a bar's geometry as the system reports it, a log
// of the scroll notifications a window gets, and windows that take the capture or destroy
// another window when told.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/WindowSubclass.h"

class TDataSkinObject;

namespace skinscroll {

// Frame colours of the [Scrollbar] strip, the tracks, the thumbs and the header strip
// (frames from 1).
COLORREF PartColour(int frame);
COLORREF TrackColour(int frame);
COLORREF ThumbColour(int frame);
COLORREF HeaderColour(int frame);

// Swaps colour strips into the test skin's scroll and header elements; puts the skin's
// own back when it goes.
class ColourStrips {
public:
    ColourStrips();
    ~ColourStrips();
    ColourStrips(const ColourStrips&) = delete;
    ColourStrips& operator=(const ColourStrips&) = delete;

private:
    std::vector<std::unique_ptr<TDataSkinObject>> FSaved;
};

// A scroll bar as GetScrollBarInfo reports it.
struct BarGeometry {
    bool Visible = false;
    RECT Screen{};
    int ThumbTop = 0, ThumbBottom = 0;
    DWORD State = 0;
};
BarGeometry BarOf(HWND wnd, LONG objectId);

// The screen shows the colour at the point (a failure naming what when it does not).
bool ScreenShows(int x, int y, COLORREF colour, const std::string& what);

// The WM_VSCROLL and WM_HSCROLL codes and positions a window gets; OnTrack runs at the
// first SB_THUMBTRACK.
struct ScrollLog {
    bool Attach(HWND wnd);
    bool Has(int code) const;
    void Clear();
    std::vector<int> Codes, Positions;
    std::function<void()> OnTrack;
    bool Tracked = false;
    TWindowSubclass Link;
};

// A hidden window that takes the mouse capture when it gets WM_APP.
struct Thief {
    Thief();
    ~Thief();
    HWND Wnd = nullptr;
    bool Stole = false;
};

// A hidden window that destroys its target when it gets WM_APP.
struct Destroyer {
    explicit Destroyer(HWND target);
    ~Destroyer();
    HWND Wnd = nullptr;
    HWND Target;
};

}  // namespace skinscroll
