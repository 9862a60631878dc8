// The test driver: see TestDriver.h.
#include "tests/driver/TestDriver.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "classlib/PngFile.h"
#include "tests/driver/AgentProtocol.h"
#include "tests/driver/DcPixels.h"

namespace dptest {

namespace {

// How often waits look again. Wine's message round trips cost about a millisecond.
constexpr DWORD kPollMs = 50;
// ERROR_ELEVATION_REQUIRED, which the headers hide at the Windows version we build for.
constexpr DWORD kElevationRequired = 740;

std::string g_desktopName;  // set while a VirtualDesktop lives

// UTF-16 to the ANSI code page the programs work in.
std::string Narrow(const wchar_t* text, size_t len) {
    if (len == 0) return "";
    int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(len), out.data(), n, nullptr, nullptr);
    return out;
}

// WM_GETTEXT in W: Wine hands some texts across processes in UTF-16 whatever was asked.
std::string TextWithin(HWND wnd, DWORD limitMs) {
    if (!wnd) return "";
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, limitMs, &len)) return "";
    std::vector<wchar_t> buf(len + 2);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_NORMAL, limitMs,
                             &got))
        return "";
    return Narrow(buf.data(), std::min<size_t>(got, len + 1));
}

std::string LastError() { return "error " + std::to_string(GetLastError()); }

std::string Hex(const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%p", p);
    return buf;
}

bool SameClass(const std::string& actual, const std::string& wanted) {
    return wanted.empty() || lstrcmpiA(actual.c_str(), wanted.c_str()) == 0;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Sent messages are handled in the order sent and before anything posted, so a notification
// followed by Settle returns once the program has handled it or is in a modal loop under it.
bool Notify(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!SendNotifyMessageA(wnd, msg, wp, lp)) {
        ADD_FAILURE() << "SendNotifyMessage " << msg << " to " << Describe(wnd, false) << " failed: " << LastError();
        return false;
    }
    Settle(wnd);
    return true;
}

// A user can act only on what is visible and enabled.
bool Usable(HWND wnd, const char* action) {
    if (!wnd || !IsWindow(wnd)) {
        ADD_FAILURE() << action << ": no window";
        return false;
    }
    if (!IsWindowVisible(wnd)) {
        ADD_FAILURE() << action << ": " << Describe(wnd, false) << " is hidden";
        return false;
    }
    if (!IsWindowEnabled(wnd)) {
        ADD_FAILURE() << action << ": " << Describe(wnd, false) << " is disabled";
        return false;
    }
    return true;
}

void NotifyParent(HWND ctl, WORD code) {
    HWND parent = GetParent(ctl);
    WPARAM wp = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(ctl)), code);
    Notify(parent, WM_COMMAND, wp, reinterpret_cast<LPARAM>(ctl));
}

std::string JoinWindows(const std::vector<HWND>& wnds) {
    std::string s;
    for (HWND w : wnds) s += "\n  " + Describe(w, false);
    return s.empty() ? " (none)" : s;
}

void DescribeInto(HWND wnd, int depth, std::string& out) {
    if (depth > 0) out += std::string(static_cast<size_t>(depth) * 2, ' ');
    char line[160];
    std::snprintf(line, sizeof line, "%s %s id=%d%s%s ", Hex(wnd).c_str(), ClassOf(wnd).c_str(),
                  static_cast<int>(GetDlgCtrlID(wnd)), IsWindowVisible(wnd) ? "" : " hidden",
                  IsWindowEnabled(wnd) ? "" : " disabled");
    // Briefly: a hung program must not stretch a failure message into minutes.
    out += line + Quoted(TextWithin(wnd, 1000));
    if (depth >= 0) {
        for (HWND c : Children(wnd)) {
            out += '\n';
            DescribeInto(c, depth + 1, out);
        }
    }
}

std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path, n);
    size_t slash = s.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

bool MakeDirs(const std::string& dir) {
    for (size_t i = 3; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '\\' || dir[i] == '/') {
            std::string part = dir.substr(0, i);
            if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        }
    }
    return true;
}

// --- the agent ---

HMODULE AgentModule() {
    static HMODULE module = LoadLibraryA((BinDir() + "dp_testdriver_agent.dll").c_str());
    return module;
}

// Runs one request in the thread that owns wnd. False (with a failure unless quiet) when it could
// not be run. pixels: for a capture, receives width x height pixels from behind the request.
bool AskAgent(HWND wnd, agent::Request& req, std::vector<uint32_t>* pixels = nullptr, bool quiet = false) {
    using namespace agent;
    static const UINT message = RegisterWindowMessageA(kRequestMessage);
    static unsigned long long serial = 0;
    HMODULE module = AgentModule();
    HOOKPROC proc =
        module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, kHookExport))) : nullptr;
    if (!proc) {
        if (!quiet) ADD_FAILURE() << "cannot load " << BinDir() << "dp_testdriver_agent.dll: " << LastError();
        return false;
    }
    size_t extra = pixels ? static_cast<size_t>(req.width) * static_cast<size_t>(req.height) * 4 : 0;
    size_t size = sizeof(Request) + extra;
    unsigned long long number = ++serial;
    char name[96];
    std::snprintf(name, sizeof name, "%s%lu.%llu", kMappingPrefix, GetCurrentProcessId(), number);
    HANDLE map = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                    static_cast<DWORD>(uint64_t{size} >> 32), static_cast<DWORD>(size), name);
    if (!map) {
        if (!quiet) ADD_FAILURE() << "CreateFileMapping: " << LastError();
        return false;
    }
    auto* shared = static_cast<Request*>(MapViewOfFile(map, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size));
    bool ok = false;
    if (shared) {
        req.status = kPending;
        std::memcpy(shared, &req, sizeof req);
        DWORD thread = GetWindowThreadProcessId(wnd, nullptr);
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, module, thread);
        if (!hook) {
            if (!quiet) ADD_FAILURE() << "SetWindowsHookEx on thread " << thread << ": " << LastError();
        } else {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(wnd, message, static_cast<WPARAM>(number), static_cast<LPARAM>(GetCurrentProcessId()),
                                SMTO_NORMAL, kWaitMs, &result);
            UnhookWindowsHookEx(hook);
            std::memcpy(&req, shared, sizeof req);
            if (req.status == kPending) {
                if (!quiet) ADD_FAILURE() << "the driver's agent did not answer in " << Describe(wnd, false);
            } else {
                ok = true;
                if (pixels && req.status == kOk) {
                    const auto* p = reinterpret_cast<const uint32_t*>(shared + 1);
                    pixels->assign(p, p + extra / 4);
                }
            }
        }
        UnmapViewOfFile(shared);
    }
    CloseHandle(map);
    return ok;
}

std::string Lines(const char* items) {
    std::string s;
    std::istringstream in(items);
    std::string line;
    while (std::getline(in, line)) s += "\n  " + Quoted(line);
    return s.empty() ? " (none)" : s;
}

// A window that draws its menu bar itself (a skinned one) has no window menu: the first part's
// drop-down is opened from the keyboard (Alt + its hot key, as a user would) and becomes the
// request's popup. False when there is no such bar item to open.
// A listing may name the bar item alone.
bool OpenDrawnMenuBar(HWND top, const std::string& path, bool listing, agent::Request& req) {
    const std::string first = path.substr(0, path.find('|'));
    const size_t amp = first.find('&');
    if ((!listing && path.find('|') == std::string::npos) || amp == std::string::npos || amp + 1 >= first.size())
        return false;
    const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(first[amp + 1])));
    PostMessageA(top, WM_SYSCOMMAND, SC_KEYMENU, key);
    const DWORD pid = ProcessOf(top);
    HWND popup =
        WaitForWindow([&](HWND w) { return ProcessOf(w) == pid && IsWindowVisible(w) && ClassOf(w) == "#32768"; },
                      "the drop-down of " + Quoted(first) + " on the drawn menu bar of " + Describe(top, false));
    if (!popup) return false;
    req.popup = reinterpret_cast<UINT_PTR>(popup);
    req.status = agent::kPending;
    return true;
}

// Looks the item up (op kOpMenuFind); failure messages only when report.
bool FindMenuItem(HWND top, const std::string& path, bool init, bool report, agent::Request& req) {
    using namespace agent;
    if (path.size() >= sizeof req.path) {
        ADD_FAILURE() << "menu path too long: " << path;
        return false;
    }
    std::memset(&req, 0, sizeof req);
    req.op = kOpMenuFind;
    req.init = init ? 1 : 0;
    req.hwnd = reinterpret_cast<UINT_PTR>(top);
    std::snprintf(req.path, sizeof req.path, "%s", path.c_str());
    if (!AskAgent(top, req)) return false;
    if (req.status == kNoMenu && OpenDrawnMenuBar(top, path, false, req)) {
        const HWND popup = reinterpret_cast<HWND>(static_cast<UINT_PTR>(req.popup));
        const bool asked = AskAgent(top, req);
        WaitWindowGone(popup);
        if (!asked) return false;
    }
    if (req.status == kOk) return true;
    if (!report) return false;
    std::string where = "menu " + Quoted(path) + " of " + Describe(top, false);
    switch (req.status) {
        case kNoMenu: ADD_FAILURE() << where << ": the window has no menu"; break;
        case kNotFound:
            ADD_FAILURE() << where << ": no item at level " << req.failLevel
                          << "; the items there:" << Lines(req.items);
            break;
        case kNotPopup: ADD_FAILURE() << where << ": the item at level " << req.failLevel << " opens no submenu"; break;
        case kIsPopup: ADD_FAILURE() << where << ": the item opens a submenu"; break;
        case kPopupDisabled:
            ADD_FAILURE() << where << ": the submenu at level " << req.failLevel << " is disabled";
            break;
        default: ADD_FAILURE() << where << ": agent status " << req.status;
    }
    return false;
}

BOOL CALLBACK CollectTop(HWND wnd, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
    return TRUE;
}

}  // namespace

// --- TestProcess ---

TestProcess::~TestProcess() { Kill(); }

bool TestProcess::Start(const std::string& exe, const std::string& args, const std::string& workDir) {
    Kill();
    std::string cmd = Quoted(exe);
    if (!args.empty()) cmd += " " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string desktop = g_desktopName;
    if (!desktop.empty()) si.lpDesktop = desktop.data();
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
        CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
        return true;
    }
    if (GetLastError() == kElevationRequired) {
        SHELLEXECUTEINFOA sei{};
        sei.cbSize = sizeof sei;
        sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        sei.lpFile = exe.c_str();
        sei.lpParameters = args.empty() ? nullptr : args.c_str();
        sei.lpDirectory = workDir.empty() ? nullptr : workDir.c_str();
        sei.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExA(&sei) && sei.hProcess) {
            process_ = sei.hProcess;
            pid_ = GetProcessId(sei.hProcess);
            return true;
        }
    }
    ADD_FAILURE() << "cannot start " << cmd << ": " << LastError();
    return false;
}

int TestProcess::WaitExit(DWORD limitMs) {
    if (!process_) {
        ADD_FAILURE() << "WaitExit: no process was started";
        return -1;
    }
    if (WaitForSingleObject(process_, limitMs) != WAIT_OBJECT_0) {
        std::vector<HWND> wnds = TopWindows(pid_);
        ADD_FAILURE() << "process " << pid_ << " still runs after " << limitMs
                      << " ms; its windows:" << JoinWindows(wnds);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

bool TestProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void TestProcess::Kill() {
    if (!process_) return;
    if (Running()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, kWaitMs);
    }
    CloseHandle(process_);
    process_ = nullptr;
    pid_ = 0;
}

// --- VirtualDesktop ---

VirtualDesktop::VirtualDesktop(int width, int height, const std::string& name) {
    name_ = name.empty() ? "DpTest" + std::to_string(GetCurrentProcessId()) : name;
    previous_ = GetThreadDesktop(GetCurrentThreadId());
    std::string explorer = "C:\\windows\\explorer.exe";
    std::string args = "/desktop=" + name_ + "," + std::to_string(width) + "x" + std::to_string(height);
    if (!explorer_.Start(explorer, args)) return;
    // The desktop exists once explorer has made its window.
    ok_ = PollUntil(
        [&] {
            desk_ = OpenDesktopA(name_.c_str(), 0, FALSE, GENERIC_ALL);
            return desk_ != nullptr;
        },
        kWaitMs);
    if (!ok_) {
        ADD_FAILURE() << "the virtual desktop " << name_ << " did not come up: " << LastError();
        return;
    }
    // Programs attach to the desktop through its window, which explorer makes before its own
    // windows: wait for those, or Wine would start a second, plain desktop for us.
    DWORD explorerPid = explorer_.Pid();
    ok_ = WaitUntil(
        [&] {
            std::vector<HWND> wnds;
            EnumDesktopWindows(desk_, CollectTop, reinterpret_cast<LPARAM>(&wnds));
            for (HWND w : wnds)
                if (ProcessOf(w) == explorerPid) return true;
            return false;
        },
        kWaitMs, "explorer's windows on the desktop " + name_);
    if (!ok_) return;
    if (!SetThreadDesktop(desk_)) {
        ADD_FAILURE() << "SetThreadDesktop(" << name_ << "): " << LastError() << " (does this thread own windows?)";
        ok_ = false;
        return;
    }
    g_desktopName = name_;
}

VirtualDesktop::~VirtualDesktop() {
    if (g_desktopName == name_) g_desktopName.clear();
    if (previous_ && desk_) SetThreadDesktop(previous_);
    explorer_.Kill();
    if (desk_) CloseDesktop(desk_);
}

// --- reading ---

std::string Text(HWND wnd) { return TextWithin(wnd, kWaitMs); }

std::string ClassOf(HWND wnd) {
    char buf[256];
    int n = GetClassNameA(wnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

DWORD ProcessOf(HWND wnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    return pid;
}

std::string Describe(HWND wnd, bool withChildren) {
    if (!wnd) return "(no window)";
    if (!IsWindow(wnd)) return Hex(wnd) + " (gone)";
    std::string out;
    DescribeInto(wnd, withChildren ? 0 : -1, out);
    return out;
}

// --- finding ---

std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly) {
    std::vector<HWND> all, out;
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&all));
    for (HWND w : all) {
        if (visibleOnly && !IsWindowVisible(w)) continue;
        if (pid && ProcessOf(w) != pid) continue;
        out.push_back(w);
    }
    return out;
}

HWND FindTopWindow(const std::string& caption, const std::string& cls, DWORD pid) {
    for (HWND w : TopWindows(pid)) {
        if (!SameClass(ClassOf(w), cls)) continue;
        if (!caption.empty() && Text(w) != caption) continue;
        return w;
    }
    return nullptr;
}

HWND WaitForWindow(const std::string& caption, const std::string& cls, DWORD pid, DWORD limitMs) {
    std::string what = "window " + Quoted(caption);
    if (!cls.empty()) what += " of class " + cls;
    if (pid) what += " of process " + std::to_string(pid);
    return WaitForWindow(
        [&](HWND w) {
            return SameClass(ClassOf(w), cls) && (caption.empty() || Text(w) == caption) &&
                   (!pid || ProcessOf(w) == pid);
        },
        what, limitMs);
}

HWND WaitForWindow(const std::function<bool(HWND)>& pred, const std::string& what, DWORD limitMs) {
    HWND found = nullptr;
    bool ok = PollUntil(
        [&] {
            for (HWND w : TopWindows()) {
                if (pred(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        limitMs);
    if (!ok)
        ADD_FAILURE() << "no " << what << " within " << limitMs
                      << " ms; the windows there:" << JoinWindows(TopWindows());
    return found;
}

bool WaitWindowGone(HWND wnd, DWORD limitMs) {
    if (PollUntil([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); }, limitMs)) return true;
    ADD_FAILURE() << Describe(wnd, false) << " is still there after " << limitMs << " ms";
    return false;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

namespace {

void CollectMatches(HWND parent, const std::function<bool(HWND)>& pred, std::vector<HWND>& out) {
    for (HWND c : Children(parent)) {
        if (pred(c)) out.push_back(c);
        CollectMatches(c, pred, out);
    }
}

// What a person would take: the first one shown, else the first one at all.
HWND Preferred(HWND parent, const std::function<bool(HWND)>& pred) {
    std::vector<HWND> found;
    CollectMatches(parent, pred, found);
    for (HWND c : found)
        if (IsWindowVisible(c)) return c;
    return found.empty() ? nullptr : found.front();
}

}  // namespace

HWND FindChild(HWND parent, const std::string& cls, const std::string& text) {
    return Preferred(
        parent, [&](HWND c) { return SameClass(ClassOf(c), cls) && (text.empty() || TextMatches(Text(c), text)); });
}

HWND FindChildById(HWND parent, int id) {
    return Preferred(parent, [&](HWND c) { return GetDlgCtrlID(c) == id; });
}

HWND WaitForChild(HWND parent, const std::string& cls, const std::string& text, DWORD limitMs) {
    HWND found = nullptr;
    if (PollUntil(
            [&] {
                found = FindChild(parent, cls, text);
                return found && IsWindowVisible(found);
            },
            limitMs))
        return found;
    ADD_FAILURE() << "no visible control of class " << (cls.empty() ? "(any)" : cls) << " with text " << Quoted(text)
                  << " within " << limitMs << " ms in\n"
                  << Describe(parent);
    return nullptr;
}

HWND FindChildAt(HWND parent, const std::string& cls, int index) {
    int seen = 0;
    for (HWND c : Children(parent)) {
        if (!SameClass(ClassOf(c), cls)) continue;
        if (seen++ == index) return c;
    }
    return nullptr;
}

HWND NeedChild(HWND parent, const std::string& cls, const std::string& text) {
    HWND c = FindChild(parent, cls, text);
    if (!c)
        ADD_FAILURE() << "no control of class " << (cls.empty() ? "(any)" : cls) << " with text " << Quoted(text)
                      << " in\n"
                      << Describe(parent);
    return c;
}

HWND NeedChildById(HWND parent, int id) {
    HWND c = FindChildById(parent, id);
    if (!c) ADD_FAILURE() << "no control with id " << id << " in\n" << Describe(parent);
    return c;
}

// --- acting ---

bool Settle(HWND wnd, DWORD limitMs) {
    DWORD_PTR result;
    return SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result) != 0;
}

bool Click(HWND button) {
    if (!Usable(button, "Click")) return false;
    return Notify(button, BM_CLICK, 0, 0);
}

bool SetEditText(HWND edit, const std::string& text) {
    if (!Usable(edit, "SetEditText")) return false;
    LONG_PTR style = GetWindowLongPtrA(edit, GWL_STYLE);
    WORD code = 0;
    if (SameClass(ClassOf(edit), "ComboBox")) {
        if (!FindChild(edit, "Edit")) {
            ADD_FAILURE() << "SetEditText: " << Describe(edit, false) << " has no edit (a drop-down list?)";
            return false;
        }
        // The combo box sets its edit's text without a word to anyone; typing would have told the parent.
        code = CBN_EDITCHANGE;
    } else if (style & ES_READONLY) {
        ADD_FAILURE() << "SetEditText: " << Describe(edit, false) << " is read-only";
        return false;
    } else if (style & ES_MULTILINE) {
        // Multi-line edits stay silent on WM_SETTEXT; typing would have told the parent.
        code = EN_CHANGE;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kWaitMs,
                             &result)) {
        ADD_FAILURE() << "SetEditText: WM_SETTEXT to " << Describe(edit, false) << " was not handled: " << LastError();
        return false;
    }
    if (code) NotifyParent(edit, code);
    return true;
}

bool TypeText(HWND wnd, const std::string& text) {
    if (!Usable(wnd, "TypeText")) return false;
    for (char ch : text) {
        if (ch == '\n') {
            if (!PressKey(wnd, VK_RETURN)) return false;
            continue;
        }
        if (!PostMessageA(wnd, WM_CHAR, static_cast<unsigned char>(ch), 1)) {
            ADD_FAILURE() << "TypeText: PostMessage: " << LastError();
            return false;
        }
    }
    return true;
}

bool PressKey(HWND wnd, UINT vk, bool alt) {
    if (!Usable(wnd, "PressKey")) return false;
    UINT scan = MapVirtualKeyA(vk, 0);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16) | (alt ? (1 << 29) : 0);
    LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    UINT downMsg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    UINT upMsg = alt ? WM_SYSKEYUP : WM_KEYUP;
    if (!PostMessageA(wnd, downMsg, vk, down) || !PostMessageA(wnd, upMsg, vk, up)) {
        ADD_FAILURE() << "PressKey: PostMessage: " << LastError();
        return false;
    }
    return true;
}

bool ClickAt(HWND wnd, int x, int y) {
    if (!Usable(wnd, "ClickAt")) return false;
    LPARAM at = MAKELPARAM(x, y);
    if (!PostMessageA(wnd, WM_MOUSEMOVE, 0, at) || !PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at) ||
        !PostMessageA(wnd, WM_LBUTTONUP, 0, at)) {
        ADD_FAILURE() << "ClickAt: PostMessage: " << LastError();
        return false;
    }
    return true;
}

HWND FocusedControl(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

namespace {

// In W: Wine hands list texts to another process in UTF-16 even when asked in A.
std::vector<std::string> ItemTexts(HWND ctl, UINT countMsg, UINT lenMsg, UINT textMsg) {
    std::vector<std::string> out;
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(ctl, countMsg, 0, 0, SMTO_NORMAL, kWaitMs, &count)) return out;
    for (WPARAM i = 0; i < static_cast<WPARAM>(static_cast<LONG_PTR>(count)); ++i) {
        DWORD_PTR len = 0;
        SendMessageTimeoutW(ctl, lenMsg, i, 0, SMTO_NORMAL, kWaitMs, &len);
        if (static_cast<LONG_PTR>(len) < 0) len = 0;
        std::vector<wchar_t> buf(len + 1);
        DWORD_PTR got = 0;
        SendMessageTimeoutW(ctl, textMsg, i, reinterpret_cast<LPARAM>(buf.data()), SMTO_NORMAL, kWaitMs, &got);
        if (static_cast<LONG_PTR>(got) < 0) got = 0;
        out.push_back(Narrow(buf.data(), std::min<size_t>(got, len)));
    }
    return out;
}

int IndexOf(const std::vector<std::string>& items, const std::string& text) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) return static_cast<int>(i);
    return -1;
}

std::string QuotedList(const std::vector<std::string>& items) {
    std::string s;
    for (const auto& i : items) s += (s.empty() ? "" : ", ") + Quoted(i);
    return "[" + s + "]";
}

}  // namespace

std::vector<std::string> ComboItems(HWND combo) { return ItemTexts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }

bool SelectComboItem(HWND combo, int index) {
    if (!Usable(combo, "SelectComboItem")) return false;
    size_t count = ComboItems(combo).size();
    if (index < 0 || static_cast<size_t>(index) >= count) {
        ADD_FAILURE() << "SelectComboItem: no item " << index << " in " << Describe(combo, false) << " of " << count;
        return false;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, kWaitMs, &result);
    if (static_cast<int>(result) != index) {
        ADD_FAILURE() << "SelectComboItem: CB_SETCURSEL " << index << " gave " << static_cast<LONG_PTR>(result);
        return false;
    }
    NotifyParent(combo, CBN_SELCHANGE);
    return true;
}

bool SelectComboItem(HWND combo, const std::string& text) {
    std::vector<std::string> items = ComboItems(combo);
    int index = IndexOf(items, text);
    if (index < 0) {
        ADD_FAILURE() << "SelectComboItem: no item " << Quoted(text) << " in " << Describe(combo, false) << "; items "
                      << QuotedList(items);
        return false;
    }
    return SelectComboItem(combo, index);
}

std::vector<std::string> ListItems(HWND list) { return ItemTexts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }

int SelectedListItem(HWND list) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(list, LB_GETCURSEL, 0, 0, SMTO_NORMAL, kWaitMs, &result);
    return static_cast<int>(static_cast<LONG_PTR>(result));
}

bool SelectListItem(HWND list, int index) {
    if (!Usable(list, "SelectListItem")) return false;
    size_t count = ListItems(list).size();
    if (index < 0 || static_cast<size_t>(index) >= count) {
        ADD_FAILURE() << "SelectListItem: no item " << index << " in " << Describe(list, false) << " of " << count;
        return false;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL, kWaitMs, &result);
    if (SelectedListItem(list) != index) {
        ADD_FAILURE() << "SelectListItem: LB_SETCURSEL " << index << " did not take (a multi-selection list?)";
        return false;
    }
    if (GetWindowLongPtrA(list, GWL_STYLE) & LBS_NOTIFY) NotifyParent(list, LBN_SELCHANGE);
    return true;
}

bool SelectListItem(HWND list, const std::string& text) {
    std::vector<std::string> items = ListItems(list);
    int index = IndexOf(items, text);
    if (index < 0) {
        ADD_FAILURE() << "SelectListItem: no item " << Quoted(text) << " in " << Describe(list, false) << "; items "
                      << QuotedList(items);
        return false;
    }
    return SelectListItem(list, index);
}

bool IsChecked(HWND box) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(box, BM_GETCHECK, 0, 0, SMTO_NORMAL, kWaitMs, &result);
    return result == BST_CHECKED;
}

bool SetCheck(HWND box, bool checked) {
    if (!Usable(box, "SetCheck")) return false;
    // Three clicks cover every state of a three-state box.
    for (int i = 0; i < 3 && IsChecked(box) != checked; ++i)
        if (!Click(box)) return false;
    if (IsChecked(box) != checked) {
        ADD_FAILURE() << "SetCheck: " << Describe(box, false) << " stays " << (checked ? "unchecked" : "checked")
                      << " after clicks";
        return false;
    }
    return true;
}

bool ChooseMenu(HWND top, const std::string& path) {
    if (!Usable(top, "ChooseMenu")) return false;
    agent::Request req;
    if (!FindMenuItem(top, path, true, true, req)) return false;
    if (req.state & (MFS_DISABLED | MFS_GRAYED)) {
        ADD_FAILURE() << "ChooseMenu: " << Quoted(path) << " of " << Describe(top, false) << " is disabled";
        return false;
    }
    return Notify(top, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(req.id), 0), 0);
}

MenuItemState MenuState(HWND top, const std::string& path) {
    MenuItemState state;
    agent::Request req;
    if (!FindMenuItem(top, path, false, false, req)) return state;
    state.found = true;
    state.enabled = !(req.state & (MFS_DISABLED | MFS_GRAYED));
    state.checked = (req.state & MFS_CHECKED) != 0;
    state.id = req.id;
    return state;
}

std::vector<std::string> MenuItems(HWND top, const std::string& path) {
    std::vector<std::string> out;
    agent::Request req;
    std::memset(&req, 0, sizeof req);
    req.op = agent::kOpMenuList;
    req.hwnd = reinterpret_cast<UINT_PTR>(top);
    std::snprintf(req.path, sizeof req.path, "%s", path.c_str());
    if (!AskAgent(top, req)) return out;
    if (req.status == agent::kNoMenu && !path.empty() && OpenDrawnMenuBar(top, path, true, req)) {
        const HWND popup = reinterpret_cast<HWND>(static_cast<UINT_PTR>(req.popup));
        const bool asked = AskAgent(top, req);
        WaitWindowGone(popup);
        if (!asked) return out;
    }
    if (req.status != agent::kOk) return out;
    std::istringstream in(req.items);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

std::string DialogText(HWND box) {
    std::string text;
    for (HWND c : Children(box)) {
        if (!SameClass(ClassOf(c), "Static")) continue;
        LONG_PTR type = GetWindowLongPtrA(c, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE) continue;
        std::string t = Text(c);
        if (t.empty()) continue;
        if (!text.empty()) text += '\n';
        text += t;
    }
    return text;
}

std::string AnswerMessageBox(const std::string& caption, int buttonId, DWORD limitMs) {
    HWND box = WaitForWindow(caption, "#32770", 0, limitMs);
    if (!box) return "";
    std::string text = DialogText(box);
    HWND button = FindChildById(box, buttonId);
    if (!button) {
        ADD_FAILURE() << "message box " << Quoted(caption) << " has no button " << buttonId << ":\n" << Describe(box);
        return "";
    }
    if (!Click(button) || !WaitWindowGone(box, limitMs)) return "";
    return text;
}

bool RequestClose(HWND top) {
    if (!top || !IsWindow(top)) {
        ADD_FAILURE() << "CloseWindow: no window";
        return false;
    }
    return PostMessageA(top, WM_CLOSE, 0, 0) != 0;
}

bool BringToFront(HWND top) {
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(top);
    Settle(top);
    if (PollUntil([&] { return GetForegroundWindow() == top; }, kWaitMs)) return true;
    ADD_FAILURE() << "BringToFront: " << Describe(top, false) << " did not become the foreground window; it is "
                  << Describe(GetForegroundWindow(), false);
    return false;
}

bool SendKeys(const std::string& text) {
    std::vector<INPUT> inputs;
    std::wstring wide(text.size(), L'\0');
    int n = text.empty() ? 0
                         : MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                               static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(n > 0 ? n : 0));
    for (wchar_t ch : wide) {
        for (int up = 0; up < 2; ++up) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            if (ch == L'\n') {
                in.ki.wVk = VK_RETURN;
            } else {
                in.ki.wScan = static_cast<WORD>(ch);
                in.ki.dwFlags = KEYEVENTF_UNICODE;
            }
            if (up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
            inputs.push_back(in);
        }
    }
    if (inputs.empty()) return true;
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        ADD_FAILURE() << "SendInput sent " << sent << " of " << inputs.size() << ": " << LastError();
        return false;
    }
    return true;
}

bool SendKey(UINT vk, bool alt, bool shift) {
    std::vector<INPUT> inputs;
    auto key = [&](UINT code, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = static_cast<WORD>(code);
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(code, MAPVK_VK_TO_VSC));
        if (up) in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    };
    if (alt) key(VK_MENU, false);
    if (shift) key(VK_SHIFT, false);
    key(vk, false);
    key(vk, true);
    if (shift) key(VK_SHIFT, true);
    if (alt) key(VK_MENU, true);
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) {
        ADD_FAILURE() << "SendInput sent " << sent << " of " << inputs.size() << ": " << LastError();
        return false;
    }
    return true;
}

bool SendMouseAt(int x, int y, DWORD buttons) {
    // Exact absolute coordinates (the system takes v * size >> 16), and no SetCursorPos first: a
    // move to where the cursor already is moves nothing, and Wine 10 sends no WM_MOUSEMOVE for it.
    auto absolute = [](int v, int size) {
        return size > 0 ? static_cast<LONG>((static_cast<int64_t>(v) * 65536 + size - 1) / size) : 0;
    };
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = absolute(x, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = absolute(y, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    POINT now{};
    if (!buttons || !GetCursorPos(&now) || now.x != x || now.y != y) {
        if (SendInput(1, &in, sizeof in) != 1) {
            ADD_FAILURE() << "SendInput of a move failed: " << LastError();
            return false;
        }
        if (GetCursorPos(&now) && (now.x != x || now.y != y)) SetCursorPos(x, y);
    }
    if (!buttons) return true;
    // The buttons at the same point: the system takes the move in it as none.
    in.mi.dwFlags |= buttons;
    if (SendInput(1, &in, sizeof in) != 1) {
        ADD_FAILURE() << "SendInput of buttons " << buttons << " failed: " << LastError();
        return false;
    }
    return true;
}

bool SendClick(HWND wnd, int x, int y) {
    POINT p{x, y};
    if (!IsWindow(wnd) || !ClientToScreen(wnd, &p)) {
        ADD_FAILURE() << "SendClick: no window " << Describe(wnd, false);
        return false;
    }
    // The point must hit wnd's own top-level window (one just shown may not have its final place
    // and region yet), or the click goes to whatever lies there.
    HWND hit = nullptr;
    const HWND top = GetAncestor(wnd, GA_ROOT);
    if (!PollUntil([&] { return (hit = WindowFromPoint(p)) && GetAncestor(hit, GA_ROOT) == top; }, kWaitMs)) {
        std::ostringstream z;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (!IsWindowVisible(w)) continue;
            RECT r{}, b{};
            GetWindowRect(w, &r);
            HRGN rg = CreateRectRgn(0, 0, 0, 0);
            int t = GetWindowRgn(w, rg);
            GetRgnBox(rg, &b);
            DeleteObject(rg);
            z << "\n  " << Describe(w, false) << " owner=" << GetWindow(w, GW_OWNER) << " rect=" << r.left << ","
              << r.top << "," << r.right << "," << r.bottom << " rgn=" << t << ":" << b.left << "," << b.top << ","
              << b.right << "," << b.bottom;
        }
        ADD_FAILURE() << "SendClick: " << p.x << "," << p.y << " hits " << Describe(hit, false) << ", not "
                      << Describe(wnd, false) << z.str();
        return false;
    }
    return SendMouseAt(p.x, p.y) && SendMouseAt(p.x, p.y, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
}

std::vector<DWORD> ProcessesNamed(const std::string& exeName) {
    std::vector<DWORD> out;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return out;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
        std::string file = entry.szExeFile;
        size_t slash = file.find_last_of("\\/");
        if (slash != std::string::npos) file = file.substr(slash + 1);
        if (lstrcmpiA(file.c_str(), exeName.c_str()) == 0) out.push_back(entry.th32ProcessID);
    }
    CloseHandle(snap);
    return out;
}

bool WaitNoProcess(const std::string& exeName, DWORD limitMs) {
    return WaitUntil([&] { return ProcessesNamed(exeName).empty(); }, limitMs, "no process " + exeName);
}

// --- waiting ---

bool PollUntil(const std::function<bool()>& pred, DWORD limitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start >= limitMs) return false;
        Sleep(kPollMs);
    }
}

bool WaitUntil(const std::function<bool()>& pred, DWORD limitMs, const std::string& what) {
    if (PollUntil(pred, limitMs)) return true;
    ADD_FAILURE() << "waited " << limitMs << " ms in vain" << (what.empty() ? "" : " for " + what);
    return false;
}

bool WaitForText(HWND wnd, const std::string& text, DWORD limitMs) {
    if (PollUntil([&] { return Text(wnd) == text; }, limitMs)) return true;
    ADD_FAILURE() << "waited " << limitMs << " ms for the text " << Quoted(text) << " in " << Describe(wnd, false);
    return false;
}

bool WaitForFile(const std::string& path, DWORD limitMs) {
    return WaitUntil([&] { return FileExists(path); }, limitMs, "the file " + path);
}

bool WaitForFileWritten(const std::string& path, uint64_t minSize, DWORD limitMs) {
    uint64_t size = 0;
    auto done = [&] {
        WIN32_FILE_ATTRIBUTE_DATA a;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a)) return false;
        size = (uint64_t{a.nFileSizeHigh} << 32) | a.nFileSizeLow;
        if (size < minSize) return false;
        HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return false;  // still open in the writer
        CloseHandle(f);
        return true;
    };
    if (PollUntil(done, limitMs)) return true;
    ADD_FAILURE() << "waited " << limitMs << " ms for " << path << " to be written with at least " << minSize
                  << " bytes and closed; it has " << size;
    return false;
}

// --- files ---

bool FileExists(const std::string& path) {
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileText(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "";
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

std::string BinDir() { return ExeDir(); }

std::string ArtifactDir() {
    // Test programs live in <build>/bin.
    std::string bin = ExeDir();
    std::string build = bin.substr(0, bin.find_last_of("\\/", bin.size() >= 2 ? bin.size() - 2 : 0) + 1);
    std::string name;
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
        name = std::string(info->test_suite_name()) + "." + info->name();
    } else {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
        name = std::string(path + bin.size(), path + n);
    }
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    std::string dir = build + "artifacts\\" + name + "\\";
    if (!MakeDirs(dir)) ADD_FAILURE() << "cannot create " << dir << ": " << LastError();
    return dir;
}

// --- screenshots ---

namespace {

// The screen's pixels where the window is: right only while nothing covers it.
bool CaptureFromScreen(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels) {
    RECT r;
    if (!GetWindowRect(wnd, &r)) return false;
    width = r.right - r.left;
    height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    SetWindowPos(wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(wnd);
    HDC screen = GetDC(nullptr);
    const bool ok = ReadDcPixels(screen, r.left, r.top, width, height, pixels);
    ReleaseDC(nullptr, screen);
    return ok;
}

}  // namespace

bool CaptureWindow(HWND wnd, int& width, int& height, std::vector<uint32_t>& pixels) {
    // Wine's PrintWindow only sends WM_PRINT, which most windows leave unpainted, and another
    // process cannot read a window's surface: the agent copies it from inside the program.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT r;
        if (!wnd || !GetWindowRect(wnd, &r)) return false;
        agent::Request req;
        std::memset(&req, 0, sizeof req);
        req.op = agent::kOpCapture;
        req.hwnd = reinterpret_cast<UINT_PTR>(wnd);
        req.width = r.right - r.left;
        req.height = r.bottom - r.top;
        if (req.width <= 0 || req.height <= 0 || req.width > 8192 || req.height > 8192) return false;
        if (!AskAgent(wnd, req, &pixels, true)) break;
        if (req.status == agent::kOk) {
            width = req.width;
            height = req.height;
            return true;
        }
        if (req.status != agent::kSizeChanged) break;
    }
    return CaptureFromScreen(wnd, width, height, pixels);
}

bool CaptureWindowPng(HWND wnd, const std::string& path) {
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!CaptureWindow(wnd, w, h, pixels)) {
        ADD_FAILURE() << "cannot capture " << Describe(wnd, false);
        return false;
    }
    if (!WritePngFile(path, w, h, pixels)) {
        ADD_FAILURE() << "cannot write " << path;
        return false;
    }
    return true;
}

std::string Screenshot(HWND wnd, const std::string& name) {
    std::string path = ArtifactDir() + name + ".png";
    return CaptureWindowPng(wnd, path) ? path : "";
}

}  // namespace dptest
