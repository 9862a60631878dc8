// dp_builder_ready <desktop>: waits on that Wine desktop until the builder's main window is up in its
// skin, with the tip of the day closed (its OK pressed), so that a screenshot taken next shows
// the whole skinned builder. scripts/run uses it; exits 0 when ready, 1 (saying what it waited
// for) after a minute.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every skinned window and control answers it with 1.
constexpr UINT kSkinQuery = 0x3523;
constexpr DWORD kLimitMs = 60000;

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

std::string Text(HWND w) {
    char text[256] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &n);
    return text;
}

bool Skinned(HWND w) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(w, kSkinQuery, 0, 0, SMTO_NORMAL, 5000, &answer) && answer == 1;
}

HWND TopOfClass(const char* cls) {
    HWND w = FindWindowA(cls, nullptr);
    return w && IsWindowVisible(w) ? w : nullptr;
}

BOOL CALLBACK Collect(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> out;
    EnumChildWindows(top, &Collect, reinterpret_cast<LPARAM>(&out));
    return out;
}

// The builder offers the tip of the day when it is activated the first time, unless its
// "Tips" value says no.
bool TipsDue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\Kestrow", 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
    DWORD value = 1, size = sizeof value, type = 0;
    const bool read =
        RegQueryValueExA(key, "Tips", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return !read || type != REG_DWORD || value != 0;
}

// Presses the tip of the day's OK; true once it has been shown and is gone.
bool TipsClosed(bool& seen) {
    HWND tips = FindWindowA(nullptr, "Tip of days");
    if (tips && IsWindowVisible(tips)) {
        seen = true;
        for (HWND c : Descendants(tips))
            if (ClassOf(c) == "TButton" && Text(c) == "&OK") PostMessageA(c, BM_CLICK, 0, 0);
        return false;
    }
    return seen;
}

// The main window and its push buttons in the skin.
bool MainReady() {
    HWND main = TopOfClass("TfrmMain");
    if (!main || !IsWindowEnabled(main) || !Skinned(main)) return false;
    for (HWND c : Descendants(main))
        if (ClassOf(c) == "TButton" && IsWindowVisible(c) && !Skinned(c)) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dp_builder_ready <desktop>\n");
        return 2;
    }
    const DWORD start = GetTickCount();
    auto late = [&](const char* what) {
        if (GetTickCount() - start <= kLimitMs) return false;
        std::fprintf(stderr, "dp_builder_ready: %s after %lu ms\n", what, static_cast<unsigned long>(kLimitMs));
        return true;
    };
    // The desktop exists once its explorer has made it.
    HDESK desk = nullptr;
    while (!(desk = OpenDesktopA(argv[1], 0, FALSE, GENERIC_ALL))) {
        if (late("no desktop of that name")) return 1;
        Sleep(100);
    }
    if (!SetThreadDesktop(desk)) {
        std::fprintf(stderr, "dp_builder_ready: cannot move onto the desktop %s\n", argv[1]);
        return 1;
    }
    bool seen = false;
    if (TipsDue())
        while (!TipsClosed(seen)) {
            if (late("no tip of the day closed")) return 1;
            Sleep(100);
        }
    while (!MainReady()) {
        if (late("no skinned builder main window")) return 1;
        Sleep(100);
    }
    // Its last paint done: the main window's thread has handled what was sent before.
    HWND main = TopOfClass("TfrmMain");
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    return 0;
}
