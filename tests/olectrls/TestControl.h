// A small windowed ActiveX control that lives in the test program itself, registered for this
// process only, with a log of everything its container told it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace oletest {

// {5C3A9E61-2B7D-4F0A-9C1E-7D4B2A6F0E31}
extern const CLSID CLSID_TestControl;
// A class id nobody registers.
extern const CLSID CLSID_Nowhere;

struct TControlLog {
    std::vector<std::string> calls;  // "SetClientSite", "SetClientSite(null)", "DoVerb -5", ...
    int alive = 0;                   // objects not yet freed
    int created = 0;
    bool siteBeforeInit = false;  // SetClientSite came before InitNew
    bool userMode = false;        // the ambient UserMode read at activation
    bool gotFrame = false;
    HWND frameWindow = nullptr;  // what GetWindowContext named as the frame
    HWND parent = nullptr;       // the window the container gave for activation
    HWND window = nullptr;       // the control's own window
    RECT lastRects{};            // last SetObjectRects position
    int rectCalls = 0;
    bool parentAliveAtDeactivate = false;
    SIZEL extent{};
    std::wstring caption = L"initial";
    LONG count = 0;
    int focusMessages = 0;  // WM_SETFOCUS seen by the control's window

    void Clear() { *this = TControlLog{}; }
    int Count(const std::string& call) const;
    // Index of the first call with this text, -1 when absent.
    int IndexOf(const std::string& call) const;
};

TControlLog& Log();

// CoRegisterClassObject for this process; RegisterTestControl answers the registration's HRESULT.
HRESULT RegisterTestControl();
void RevokeTestControl();

}  // namespace oletest
