// Shared by the skinned-window tests: a virtual desktop of their own, the builder's stored skin
// in a main-form skin data component, forms made in code, real mouse input, screen pixels and
// waits for real states.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Forms.h"

class TSkinControl;
class TSkinData;
class TTinselForm;

namespace skinform {

// Forms made in code, freed by the class library's way when the test lets go of them.
struct FormDeleter {
    void operator()(TForm* f) const {
        if (f) f->Free();
    }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

// The skin every test window gets (made by SkinFormEnv.cpp's environment).
TSkinData* Skin();

// Handles the thread's messages until pred holds; false (and a test failure naming what) when
// it does not within limitMs.
bool PumpUntil(const std::function<bool()>& pred, const std::string& what, DWORD limitMs = 20000, bool report = true);
// Handles what is waiting now.
void Pump();

// A shown form with that caption, border style and outer bounds; owned by the caller.
TForm* ShowForm(const std::string& caption, TFormBorderStyle border, int x, int y, int w, int h,
                TBorderIcons icons = {biSystemMenu, biMinimize, biMaximize});
// A bare top-level window of this program (no form, no owner), shown and activated.
HWND ShowBareWindow(const std::string& caption, DWORD style, int x, int y, int w, int h);
// The window's form skin once it is active (failure when it does not come).
TTinselForm* WaitSkinned(HWND wnd);
bool IsSkinned(HWND wnd);
// Runs the paints the window and its children have pending (RDW_UPDATENOW); true when none
// of them has an update region left.
bool PaintedNow(HWND wnd);

// Real input through the system's queue, at screen points.
void MouseMove(int x, int y);
// Moves the pointer to (x, y) and waits until pred holds while it rests there. Wine 10 can
// hand back the warp of the move before as a late move, after the target took the hover: the
// pointer then rests on the target with no move left to announce it, which a one-pixel move
// (what a resting hand makes) does again.
bool HoverUntil(int x, int y, const std::function<bool()>& pred, const std::string& what);
void MouseDown(int x, int y);
void MouseUp(int x, int y);
void MouseClick(int x, int y);
void RightClick(int x, int y);
void Key(WORD vk, bool alt = false);

// What the screen shows.
COLORREF ScreenPixel(int x, int y);
// A rectangle of the screen, rows top to bottom.
std::vector<COLORREF> ScreenRect(const RECT& r);

// A rectangle of the screen as a PNG among the test's artefacts.
bool ShotRect(const RECT& r, const std::string& name);
// Where the test's pictures go.
std::string ArtifactPath(const std::string& name);
bool ShotWindow(HWND wnd, const std::string& name);

// A form made in code holding what make put on it, shown and skinned; freed with this.
struct SkinnedForm {
    TForm* Form = nullptr;
    TTinselForm* Skin = nullptr;
    ~SkinnedForm();
};
std::unique_ptr<SkinnedForm> MakeSkinnedForm(const std::string& caption, const RECT& bounds,
                                             const std::function<void(TForm*)>& make);

template <class T>
T* Put(TWinControl* parent, int x, int y, int w, int h, const std::string& caption = {}) {
    auto* c = new T(parent);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
}

// The attached skin of the control (windowed or not), nil when none.
TSkinControl* SkinOf(TTinselForm* form, TControl* control);
// The class name of that skin, "" when none.
std::string SkinNameOf(TTinselForm* form, TControl* control);

}  // namespace skinform
