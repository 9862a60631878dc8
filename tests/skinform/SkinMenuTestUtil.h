// What the menu tests share: the open menu window, steps run inside a menu loop, the main menu
// the builder's window has, and the reading of a skinned separator.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TControl;
class TForm;
class TMainMenu;
class TSkinData;

namespace skinform {

// The open menu window of this thread and the menu it shows, or nil.
HWND OpenPopup();
HMENU OpenMenu();

// A drop-down's loop runs inside the skin's window procedure, so the checks inside it run from a
// timer, step by step, each waiting for its state (15 s at most) before it acts.
struct TStep {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
};
// Starts the input, then handles messages (menu loops included) until every step ran; a step
// that waited in vain is a test failure.
void RunSteps(std::vector<TStep> steps, const std::function<void()>& start);
// The step that waits for every menu window to be gone.
TStep MenuClosed();

// File (Open, a separator, a disabled and a checked entry), Action, Help, as the form's menu.
TMainMenu* BuilderLikeMenu(TForm* form);

// The colour of the skin's separator line: the first row of the [MenuItem] strip's second
// frame, within the rows the painter takes for an item of that height, that differs from the
// frame's background. CLR_INVALID when the strip has none there.
COLORREF SeparatorLineColour(TSkinData* data, int itemHeight);
// Whether the screen rectangle of a separator entry shows that line.
bool ShowsSeparatorLine(TSkinData* data, const RECT& separator);

// The class library's dialog character (Alt+key) sent to the control with Alt held, as the
// system has it then; the answer (1: a menu took the key).
LRESULT DialogCharWithAlt(TControl* control, char key);

}  // namespace skinform
