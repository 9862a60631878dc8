// Drives Windows programs from outside, as a person at the keyboard would: starts them, finds
// their windows and controls, clicks, types, picks, answers message boxes, waits and captures
// screenshots. Everything goes through messages that cross process boundaries, so the driven
// program runs unchanged in its own process.
//
// Failures are reported to the running GoogleTest test with what was looked for and what was
// there instead; the function then returns null, false or an empty result. Every wait has a
// limit and never hangs the test.
//
// Actions wait until the program has handled them (or has entered a modal loop, e.g. a message
// box, while handling them) except posted input (TypeText, PressKey, ClickAt, SendKeys), which is
// asynchronous as typing is: wait for its effect.
//
// Wine facts this relies on: menu handles and a window's pixels are usable only inside the owning
// process, so a hook loads dp_testdriver_agent.dll (beside the test program) into the driven
// program for menus and screenshots. Under Xvfb there is no window manager: only a VirtualDesktop
// gives frames and keeps other test programs' windows and focus away (and runs the driver's own
// tests three times faster). But a virtual desktop sets the screen size for the whole prefix and
// covers the windows of Wine's own desktop on the screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/driver/TextMatch.h"

namespace dptest {

// Default limit of every wait. Generous: under a loaded machine Wine took over 20 s to show
// the setup wizard; a wait ends as soon as its state is reached.
constexpr DWORD kWaitMs = 60000;

// A program started by the test. Ended when this object goes, if it still runs.
class TestProcess {
public:
    TestProcess() = default;
    ~TestProcess();
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    // exe: a Windows path (quoted on the command line for you); args follow it verbatim;
    // workDir empty: the test's own. Runs on the current VirtualDesktop, if any. Programs whose
    // manifest asks for elevation are started through the shell.
    bool Start(const std::string& exe, const std::string& args = "", const std::string& workDir = "");
    // The exit code; -1 and a failure if it still runs after limitMs.
    int WaitExit(DWORD limitMs = kWaitMs);
    bool Running() const;
    void Kill();
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// A Wine virtual desktop of its own (explorer /desktop=...). Xvfb has no window manager, so only
// here do windows get frames (and screenshots show them). The calling thread moves onto the
// desktop (it must own no window yet) and programs started afterwards run on it; they then are
// found only from that thread. Ends with this object.
class VirtualDesktop {
public:
    explicit VirtualDesktop(int width = 1024, int height = 768, const std::string& name = "");
    ~VirtualDesktop();
    VirtualDesktop(const VirtualDesktop&) = delete;
    VirtualDesktop& operator=(const VirtualDesktop&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    HDESK previous_ = nullptr;
    HDESK desk_ = nullptr;
    TestProcess explorer_;
    bool ok_ = false;
};

// --- reading windows ---
std::string Text(HWND wnd);  // WM_GETTEXT: works across processes, for edits too
std::string ClassOf(HWND wnd);
DWORD ProcessOf(HWND wnd);
// One line per window: handle, class, text, id, visible/enabled; children indented. For messages.
std::string Describe(HWND wnd, bool withChildren = true);

// --- finding windows ---
// Top-level windows of the current desktop, topmost first; pid 0: of any process. Finding and
// waiting look at visible windows only, as a person would.
std::vector<HWND> TopWindows(DWORD pid = 0, bool visibleOnly = true);
// Empty caption or class: any. Class names compare without case, as Windows does.
HWND FindTopWindow(const std::string& caption, const std::string& cls = "", DWORD pid = 0);
HWND WaitForWindow(const std::string& caption, const std::string& cls = "", DWORD pid = 0, DWORD limitMs = kWaitMs);
// what: how the failure message names the window.
HWND WaitForWindow(const std::function<bool(HWND)>& pred, const std::string& what, DWORD limitMs = kWaitMs);
bool WaitWindowGone(HWND wnd, DWORD limitMs = kWaitMs);

// Direct children in z-order (the first created first, for controls that never moved).
std::vector<HWND> Children(HWND parent);
// Depth first over all descendants; empty class or text: any. Of several, the first visible one
// (pages of a wizard hide theirs), else the first.
HWND FindChild(HWND parent, const std::string& cls, const std::string& text = "");
HWND FindChildById(HWND parent, int id);
// Until such a control is visible.
HWND WaitForChild(HWND parent, const std::string& cls, const std::string& text = "", DWORD limitMs = kWaitMs);
// The index-th (from 0) direct child of that class in z-order.
HWND FindChildAt(HWND parent, const std::string& cls, int index);
// The same, failing the test with a list of the window's controls when there is none.
HWND NeedChild(HWND parent, const std::string& cls, const std::string& text = "");
HWND NeedChildById(HWND parent, int id);

// --- acting ---
// The window's thread has handled all that was sent to it before (or sits in a modal loop).
bool Settle(HWND wnd, DWORD limitMs = kWaitMs);
// A click on a visible, enabled button (push button, check box, radio button).
bool Click(HWND button);
// Replaces an edit's text as a user would (the change notification included); also for the edit
// of an editable combo box when given the combo box.
bool SetEditText(HWND edit, const std::string& text);
// Posted WM_CHAR per character ('\n' as Enter) to the window, e.g. FocusedControl(top).
bool TypeText(HWND wnd, const std::string& text);
// Posted key down and up of a virtual key (WM_SYSKEYDOWN with alt).
bool PressKey(HWND wnd, UINT vk, bool alt = false);
// Posted mouse move, left button down and up at a point of the client area: for what has no
// window of its own (controls painted on their parent) and for giving a control the focus.
bool ClickAt(HWND wnd, int x, int y);
// The control with the keyboard focus in the thread that owns top.
HWND FocusedControl(HWND top);

std::vector<std::string> ComboItems(HWND combo);
// Selects as the user does in the drop-down list: the selection, then CBN_SELCHANGE to the parent.
bool SelectComboItem(HWND combo, int index);
bool SelectComboItem(HWND combo, const std::string& text);
std::vector<std::string> ListItems(HWND list);
int SelectedListItem(HWND list);
// Single-selection list boxes; LBN_SELCHANGE goes to the parent only with LBS_NOTIFY, as the
// control itself would send it.
bool SelectListItem(HWND list, int index);
bool SelectListItem(HWND list, const std::string& text);
bool IsChecked(HWND box);
// Clicks the box until it shows the state (none when it does already): the program sees the
// same clicks as from a user, whether the box toggles itself or the program toggles it.
bool SetCheck(HWND box, bool checked);

// Menu bar of top: "&File|&Save". Items match per TextMatches, ignoring a "\tShortcut" part;
// "#2" is the third item of its level (separators count), for owner-drawn items without caption.
// The program sees WM_INITMENU, WM_INITMENUPOPUP of each submenu opened on the way, then the
// item's WM_COMMAND. Fails for a missing or disabled item.
bool ChooseMenu(HWND top, const std::string& path);
struct MenuItemState {
    bool found = false;
    bool enabled = false;
    bool checked = false;
    UINT id = 0;
};
// Reads an item without choosing it (and without the menu messages).
MenuItemState MenuState(HWND top, const std::string& path);
// Captions at that level of the menu ("" for the bar).
std::vector<std::string> MenuItems(HWND top, const std::string& path = "");

// Waits for a message box (dialog class "#32770") with that caption, presses the button with
// that id (IDOK, IDYES, IDNO...) and returns the box's text; empty with a failure if either is
// missing or the box stays.
std::string AnswerMessageBox(const std::string& caption, int buttonId, DWORD limitMs = kWaitMs);
// The text of a message box or any dialog: its static texts that are not icons, joined by '\n'.
std::string DialogText(HWND box);
// WM_CLOSE, as the frame's close button sends it.
bool RequestClose(HWND top);

// Real keyboard input through SendInput to the foreground window: tests using these need the
// focus (mark them FOCUS).
bool BringToFront(HWND top);
// ANSI text, '\n' as Enter.
bool SendKeys(const std::string& text);
// One real press and release of a virtual key (VK_TAB, VK_ESCAPE, VK_SPACE, 'N'...), with
// Alt and/or Shift held around it, as the keyboard sends them: the program sees WM_KEYDOWN or,
// with Alt, WM_SYSKEYDOWN and the characters its message loop translates.
bool SendKey(UINT vk, bool alt = false, bool shift = false);
// One real left click (move, press, release through SendInput) at a client point of wnd,
// which must be visible there: whatever window lies under the point gets it, as from a mouse.
bool SendClick(HWND wnd, int x, int y);
// Real mouse input at a screen point: a move there (one WM_MOUSEMOVE wherever the cursor was
// elsewhere), with the buttons' flags (MOUSEEVENTF_LEFTDOWN...) at that point.
bool SendMouseAt(int x, int y, DWORD buttons = 0);

// Processes whose program file is named so ("setup.exe", any case), e.g. started by a program.
std::vector<DWORD> ProcessesNamed(const std::string& exeName);
bool WaitNoProcess(const std::string& exeName, DWORD limitMs = kWaitMs);

// --- waiting ---
// Fails the test naming what was awaited when pred stays false for limitMs.
bool WaitUntil(const std::function<bool()>& pred, DWORD limitMs = kWaitMs, const std::string& what = "");
// The same without the failure, for conditions that may rightly not come.
bool PollUntil(const std::function<bool()>& pred, DWORD limitMs);
bool WaitForText(HWND wnd, const std::string& text, DWORD limitMs = kWaitMs);
bool WaitForFile(const std::string& path, DWORD limitMs = kWaitMs);
// Until the file holds at least minSize bytes and nobody has it open any more: a writer that
// has finished. Only a file of that size is opened, so a writer about to start is never blocked.
bool WaitForFileWritten(const std::string& path, uint64_t minSize, DWORD limitMs = kWaitMs);

// --- files and screenshots ---
bool FileExists(const std::string& path);
std::string ReadFileText(const std::string& path);  // empty when missing
// The folder of the test programs (and of the programs under test), with a trailing '\'.
std::string BinDir();
// <build>/artifacts/<Suite.Test>/ of the running test (or of the program), created.
std::string ArtifactDir();
// Screenshots are written with WritePngFile (classlib/PngFile.h): pixels 0x00RRGGBB, rows top to bottom.
// The window as on screen (frame included where there is one), raised first.
bool CaptureWindow(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels);
bool CaptureWindowPng(HWND wnd, const std::string& path);
// ArtifactDir() + name + ".png"; returns that path (empty on failure).
std::string Screenshot(HWND wnd, const std::string& name);

}  // namespace dptest
