// A small plain Win32 program for the driver's own tests: one control of each kind the driver
// works, and a log file of everything it is told, one line per event.
// Usage: dp_driver_target.exe LOGFILE [X Y]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

enum : int {
    kPress = 101,
    kName = 102,
    kColour = 103,
    kLoud = 104,
    kAsk = 105,
    kNotes = 106,
    kSizes = 107,
    kManual = 108,
    kOff = 109,
    kFont = 110,
    kHiddenPress = 111,
    kLater = 112,
    kMenuOpen = 201,
    kMenuSave = 202,
    kMenuDisabled = 203,
    kMenuExit = 204,
    kMenuFirst = 211,
    kMenuSecond = 212,
    kMenuAbout = 301,
};

// What the driver's capture test looks for: a block of this colour at kSwatch in the client area.
const COLORREF kSwatchColour = RGB(0x12, 0x9A, 0x3C);
const RECT kSwatch = {300, 200, 360, 240};

std::string g_log;
HWND g_main;
WNDPROC g_editProc;

void Log(const std::string& line) {
    // Opened per line so that the tests can read the file while the program runs.
    FILE* f = std::fopen(g_log.c_str(), "ab");
    if (!f) return;
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
}

std::string TextOf(HWND wnd) {
    char buf[512];
    GetWindowTextA(wnd, buf, sizeof buf);
    return buf;
}

HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g_main,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

// Keys the edit receives, so that typed input can be told from text set in one go.
LRESULT CALLBACK EditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN) Log("keydown " + std::to_string(wp));
    if (msg == WM_CHAR) Log("char " + std::to_string(wp));
    return CallWindowProcA(g_editProc, wnd, msg, wp, lp);
}

HMENU BuildMenu() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, kMenuOpen, "&Open...");
    AppendMenuA(file, MF_STRING, kMenuSave, "&Save\tCtrl+S");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING | MF_GRAYED, kMenuDisabled, "&Disabled");
    HMENU recent = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, kMenuFirst, "&First");
    AppendMenuA(recent, MF_STRING, kMenuSecond, "Second");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(file, MF_STRING, kMenuExit, "E&xit");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    HMENU help = CreatePopupMenu();
    AppendMenuA(help, MF_STRING, kMenuAbout, "&About");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    return bar;
}

void CreateControls() {
    // A hidden namesake in front of the real one, as on a wizard's hidden page.
    HWND hidden = Make("BUTTON", "&Press", BS_PUSHBUTTON, 10, 200, 90, 26, kHiddenPress);
    ShowWindow(hidden, SW_HIDE);
    Make("BUTTON", "&Press", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 90, 26, kPress);
    HWND name = Make("EDIT", "", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 110, 10, 180, 24, kName);
    g_editProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(name, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
    HWND colour = Make("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 50, 140, 120, kColour);
    for (const char* c : {"Red", "Green", "Blue"}) SendMessageA(colour, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c));
    Make("BUTTON", "&Loud", BS_AUTOCHECKBOX | WS_TABSTOP, 160, 50, 90, 24, kLoud);
    Make("BUTTON", "&Ask", BS_PUSHBUTTON | WS_TABSTOP, 260, 50, 90, 26, kAsk);
    Make("EDIT", "", WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP, 10, 90, 200, 60, kNotes);
    HWND sizes = Make("LISTBOX", "", WS_BORDER | LBS_NOTIFY | WS_VSCROLL, 220, 90, 70, 80, kSizes);
    for (const char* s : {"Small", "Medium", "Large"})
        SendMessageA(sizes, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    // Toggled by the program itself on each click, the way some class libraries do it.
    Make("BUTTON", "&Manual", BS_CHECKBOX | WS_TABSTOP, 10, 160, 90, 24, kManual);
    HWND off = Make("BUTTON", "Off", BS_PUSHBUTTON, 110, 160, 60, 26, kOff);
    EnableWindow(off, FALSE);
    HWND font =
        Make("COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 180, 160, 110, 120, kFont);
    for (const char* f : {"Serif", "Sans"}) SendMessageA(font, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f));
}

void OnCommand(int id, int code, HWND ctl) {
    switch (id) {
        case kPress:
            if (code == BN_CLICKED) {
                Log("click press");
                // A control that appears only after the first press.
                if (!GetDlgItem(g_main, kLater)) Make("BUTTON", "Later", BS_PUSHBUTTON, 10, 240, 90, 26, kLater);
            }
            break;
        case kName:
            if (code == EN_CHANGE) Log("name change " + TextOf(ctl));
            break;
        case kNotes:
            if (code == EN_CHANGE) Log("notes change " + TextOf(ctl));
            break;
        case kColour:
            if (code == CBN_SELCHANGE) {
                LRESULT i = SendMessageA(ctl, CB_GETCURSEL, 0, 0);
                Log("colour change " + std::to_string(i) + " " + TextOf(ctl));
            }
            break;
        case kFont:
            if (code == CBN_EDITCHANGE) Log("font edit " + TextOf(ctl));
            if (code == CBN_SELCHANGE) Log("font change " + std::to_string(SendMessageA(ctl, CB_GETCURSEL, 0, 0)));
            break;
        case kSizes:
            if (code == LBN_SELCHANGE) Log("sizes change " + std::to_string(SendMessageA(ctl, LB_GETCURSEL, 0, 0)));
            break;
        case kLoud:
            if (code == BN_CLICKED) Log("loud " + std::to_string(SendMessageA(ctl, BM_GETCHECK, 0, 0)));
            break;
        case kManual:
            if (code == BN_CLICKED) {
                LRESULT now = SendMessageA(ctl, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
                SendMessageA(ctl, BM_SETCHECK, now, 0);
                Log("manual " + std::to_string(now));
            }
            break;
        case kOff: Log("click off"); break;
        case kAsk:
            if (code == BN_CLICKED) {
                Log("ask");
                int answer = MessageBoxA(g_main, "Save the changes to \"notes\"?", "Target Question",
                                         MB_YESNOCANCEL | MB_ICONQUESTION);
                Log("answer " + std::to_string(answer));
            }
            break;
        case kMenuExit:
            Log("menu " + std::to_string(id));
            DestroyWindow(g_main);
            break;
        default:
            if (id >= 200) Log("menu " + std::to_string(id));
            break;
    }
}

LRESULT CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
        case WM_INITMENU: Log("initmenu"); return 0;
        case WM_INITMENUPOPUP: Log("initmenupopup " + std::to_string(LOWORD(lp))); return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(wnd, &ps);
            HBRUSH brush = CreateSolidBrush(kSwatchColour);
            FillRect(dc, &kSwatch, brush);
            DeleteObject(brush);
            EndPaint(wnd, &ps);
            return 0;
        }
        case WM_CLOSE:
            Log("close");
            DestroyWindow(wnd);
            return 0;
        case WM_DESTROY: PostQuitMessage(3); return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmd, int show) {
    // "LOGFILE" [X Y]: where to log, where to put the window.
    std::string args = cmd ? cmd : "";
    size_t end = std::string::npos;
    if (!args.empty() && args[0] == '"') {
        end = args.find('"', 1);
        g_log = args.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        if (end != std::string::npos) ++end;
    } else {
        end = args.find(' ');
        g_log = args.substr(0, end);
    }
    int x = 40, y = 40;
    if (end != std::string::npos) std::sscanf(args.c_str() + end, "%d %d", &x, &y);
    if (g_log.empty()) return 2;
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof cwd, cwd);
    Log(std::string("start ") + cwd);

    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DpDriverTarget";
    RegisterClassA(&wc);
    g_main = CreateWindowExA(0, "DpDriverTarget", "Driver Target", WS_OVERLAPPEDWINDOW, x, y, 420, 320, nullptr,
                             BuildMenu(), inst, nullptr);
    CreateControls();
    ShowWindow(g_main, show);
    UpdateWindow(g_main);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Log("exit");
    return static_cast<int>(msg.wParam);
}
