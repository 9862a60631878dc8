// The driver's agent: a DLL that a WH_CALLWNDPROC hook loads into the driven program, so that
// the menu work happens inside the process that owns the menus.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/driver/AgentProtocol.h"
#include "tests/driver/DcPixels.h"
#include "tests/driver/TextMatch.h"

namespace {

using namespace dptest::agent;

std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    std::string s(path);
    if (s.empty()) return parts;
    size_t start = 0;
    for (;;) {
        size_t bar = s.find('|', start);
        parts.push_back(s.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return parts;
}

std::string Caption(HMENU menu, int pos) {
    char buf[512] = "";
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING | MIIM_FTYPE;
    mi.dwTypeData = buf;
    mi.cch = sizeof buf;
    if (!GetMenuItemInfoA(menu, pos, TRUE, &mi)) return "";
    if (mi.fType & MFT_SEPARATOR) return "-";
    if (mi.fType & (MFT_BITMAP | MFT_OWNERDRAW)) {
        // Owner-drawn items keep their caption in the string slot when the program gave one.
        return buf[0] ? buf : "(owner-drawn)";
    }
    return buf;
}

void ListItems(HMENU menu, Request& req) {
    std::string all;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        if (!all.empty()) all += '\n';
        all += Caption(menu, i);
    }
    std::snprintf(req.items, sizeof req.items, "%s", all.c_str());
}

int FindItem(HMENU menu, const std::string& wanted) {
    int n = GetMenuItemCount(menu);
    // "#3": the fourth item, for owner-drawn menus that keep no caption.
    if (wanted.size() > 1 && wanted[0] == '#' && wanted.find_first_not_of("0123456789", 1) == std::string::npos) {
        int pos = std::atoi(wanted.c_str() + 1);
        return pos < n ? pos : -1;
    }
    for (int i = 0; i < n; ++i) {
        std::string c = Caption(menu, i);
        if (c != "-" && dptest::MenuTextMatches(c, wanted)) return i;
    }
    return -1;
}

// From the window's own surface: what it painted, even where other windows cover it.
void Capture(HWND wnd, Request& req) {
    RECT r;
    if (!GetWindowRect(wnd, &r)) {
        req.status = kCaptureFailed;
        return;
    }
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width != req.width || height != req.height) {
        req.width = width;
        req.height = height;
        req.status = kSizeChanged;
        return;
    }
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC src = GetWindowDC(wnd);
    std::vector<uint32_t> pixels;
    req.status = kCaptureFailed;
    if (dptest::ReadDcPixels(src, 0, 0, width, height, pixels)) {
        std::memcpy(&req + 1, pixels.data(), pixels.size() * sizeof(uint32_t));
        req.status = kOk;
    }
    ReleaseDC(wnd, src);
}

void Serve(HWND wnd, Request& req) {
    req.items[0] = 0;
    req.failLevel = -1;
    if (req.op == kOpCapture) {
        Capture(wnd, req);
        return;
    }
    const auto popup = reinterpret_cast<HWND>(static_cast<UINT_PTR>(req.popup));
    HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) : GetMenu(wnd);
    struct EndOpenMenu {
        bool open;
        ~EndOpenMenu() {
            if (open) EndMenu();
        }
    } endMenu{popup != nullptr};
    if (!menu || !IsMenu(menu)) {
        req.status = kNoMenu;
        return;
    }
    std::vector<std::string> parts = SplitPath(req.path);
    const size_t first = popup ? 1 : 0;
    if (req.op == kOpMenuFind && req.init) {
        if (popup)
            SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        else
            SendMessageA(wnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    }
    for (size_t level = first;; ++level) {
        if (req.op == kOpMenuList && level == parts.size()) {
            ListItems(menu, req);
            req.status = kOk;
            return;
        }
        int pos = FindItem(menu, parts[level]);
        if (pos < 0) {
            req.status = kNotFound;
            req.failLevel = static_cast<int32_t>(level);
            ListItems(menu, req);
            return;
        }
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, pos, TRUE, &mi);
        bool last = level + 1 == parts.size();
        if (last && req.op == kOpMenuFind) {
            req.id = mi.wID;
            req.state = mi.fState;
            req.status = mi.hSubMenu ? kIsPopup : kOk;
            return;
        }
        if (!mi.hSubMenu) {
            req.status = kNotPopup;
            req.failLevel = static_cast<int32_t>(level);
            return;
        }
        if (req.op == kOpMenuFind && (mi.fState & MFS_DISABLED)) {
            req.status = kPopupDisabled;
            req.failLevel = static_cast<int32_t>(level);
            return;
        }
        // Opening a submenu lets the program fill or update it first.
        if (req.op == kOpMenuFind && req.init)
            SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(mi.hSubMenu), MAKELPARAM(pos, FALSE));
        menu = mi.hSubMenu;
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK DpTestDriverAgentHook(int code, WPARAM wp, LPARAM lp) {
    static const UINT request = RegisterWindowMessageA(kRequestMessage);
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (call->message == request) {
            char name[96];
            std::snprintf(name, sizeof name, "%s%lu.%llu", kMappingPrefix, static_cast<unsigned long>(call->lParam),
                          static_cast<unsigned long long>(call->wParam));
            HANDLE map = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
            if (map) {
                void* view = MapViewOfFile(map, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
                if (view) {
                    Request& req = *static_cast<Request*>(view);
                    req.path[sizeof req.path - 1] = 0;
                    // A capture fills the block behind the request: only as large as the driver made it.
                    MEMORY_BASIC_INFORMATION info{};
                    VirtualQuery(view, &info, sizeof info);
                    if (req.op == kOpCapture &&
                        (req.width < 0 || req.height < 0 ||
                         info.RegionSize < sizeof(Request) + static_cast<size_t>(req.width) * req.height * 4))
                        req.status = kCaptureFailed;
                    if (req.status == kPending) Serve(reinterpret_cast<HWND>(static_cast<UINT_PTR>(req.hwnd)), req);
                    UnmapViewOfFile(view);
                }
                CloseHandle(map);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
