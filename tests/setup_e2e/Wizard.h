// Driving setup.exe's wizard and uninstall.exe from another process, for the tests that run
// real packages: the setup end-to-end test and the builder's, which installs what it wrote.
#pragma once

#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "tests/driver/TestDriver.h"

namespace dptest {

// The wizard's pages are stacked panels, all visible: the one shown is the
// first child of the form in z-order. A control "on the page" is one of its.
inline HWND OnPage(HWND top, const std::string& text) {
    HWND page = GetWindow(top, GW_CHILD);
    return page ? FindChild(page, "", text) : nullptr;
}

inline bool Visible(HWND top, const std::string& text) { return OnPage(top, text) != nullptr; }

// The control of the page shown, failing the test when it is not there.
inline HWND Need(HWND top, const std::string& text) {
    HWND w = OnPage(top, text);
    if (!w) ADD_FAILURE() << "no \"" << text << "\" on the page shown:\n" << Describe(top);
    return w;
}

// The page shown, 1 to 5, told by its buttons (page 4 has none of these).
inline int PageShown(HWND top) {
    if (Visible(top, "B&rowse...")) return 2;
    if (Visible(top, "&Install")) return 3;
    if (Visible(top, "&Finish")) return 5;
    if (Visible(top, "&Next >")) return 1;
    return 4;
}

inline bool WaitPage(HWND top, int page, DWORD limitMs = kWaitMs) {
    return WaitUntil([&] { return PageShown(top) == page; }, limitMs, "page " + std::to_string(page));
}

// A real key press into the wizard, brought to the front first.
inline bool KeyInto(HWND top, UINT vk, bool alt = false, bool shift = false) {
    return BringToFront(top) && SendKey(vk, alt, shift);
}

// The caption of the control that has the keyboard focus.
inline std::string FocusText(HWND top) {
    HWND f = FocusedControl(top);
    return f ? Text(f) : std::string("<no focus>");
}

// Starts a package and waits for its wizard on the first page.
inline HWND StartWizard(TestProcess& proc, const std::string& package, const std::string& programName) {
    if (!proc.Start(package)) return nullptr;
    HWND top = WaitForWindow("Setup  - " + programName, "TfrmWelcome");
    if (top) WaitUntil([&] { return Visible(top, "&Next >"); }, kWaitMs, "page 1");
    return top;
}

// From the first page to the third, ready to install into the destination typed on the second.
inline bool ToReadyPage(HWND top, const std::string& dir) {
    if (!Click(Need(top, "&Next >"))) return false;
    if (!WaitUntil([&] { return Visible(top, "B&rowse..."); }, kWaitMs, "page 2")) return false;
    if (!SetEditText(NeedChild(top, "TEdit"), dir)) return false;
    if (!Click(Need(top, "&Next >"))) return false;
    return WaitUntil([&] { return Visible(top, "&Install"); }, kWaitMs, "page 3");
}

// From the first page: the destination typed, Install, Finish; true when setup ended with 0.
inline bool InstallThroughWizard(TestProcess& proc, HWND top, const std::string& dir) {
    if (!ToReadyPage(top, dir)) return false;
    if (!Click(Need(top, "&Install"))) return false;
    if (!WaitUntil([&] { return Visible(top, "&Finish"); }, 60000, "page 5")) return false;
    if (!Click(Need(top, "&Finish"))) return false;
    return proc.WaitExit() == 0;
}

// Runs an uninstaller, says OK to its question and presses Finish when it is done.
inline bool UninstallAll(const std::string& uninstaller, const std::string& programName) {
    TestProcess un;
    if (!un.Start(uninstaller)) return false;
    AnswerMessageBox("Uninstall", IDOK);
    HWND bar = WaitForWindow(programName + " Uninstall", "TfrmUninstallBar");
    if (!bar) return false;
    auto finish = [&] { return FindChild(bar, "", "&Finish"); };
    if (!WaitUntil([&] { return finish() && IsWindowEnabled(finish()); }, 60000, "the uninstaller's Finish"))
        return false;
    return Click(finish()) && un.WaitExit() == 0;
}

}  // namespace dptest
