// What the driver and its agent DLL (loaded into the driven program by a hook) exchange through
// a named shared memory block. Both sides come from the same build, so the layout is theirs.
// Wine refuses menu calls on another process's menu handles, and only the owning process reads
// a window's own pixels (whatever covers it on screen).
#pragma once

#include <cstdint>

namespace dptest::agent {

// Sent to a window of the driven thread: wParam = request number, lParam = driver's process id.
inline constexpr char kRequestMessage[] = "DpTestDriverAgentRequest";
// "DpTestDriverAgent.<driver pid>.<request number>"
inline constexpr char kMappingPrefix[] = "DpTestDriverAgent.";
inline constexpr char kHookExport[] = "DpTestDriverAgentHook";

enum Op : uint32_t {
    kOpMenuFind = 1,  // walk path, sending WM_INITMENU / WM_INITMENUPOPUP on the way when init
    kOpMenuList = 2,  // captions at path
    kOpCapture = 3,   // the window's pixels (width x height, 0x00RRGGBB) after the request
};

enum Status : int32_t {
    kPending = -1,
    kOk = 0,
    kNoMenu = 1,
    kNotFound = 2,  // no item at failLevel; items lists that level
    kNotPopup = 3,  // a path part before the last has no submenu
    kIsPopup = 4,   // the last path part opens a submenu
    kPopupDisabled = 5,
    kSizeChanged = 6,  // width and height now hold the window's size
    kCaptureFailed = 7,
};

struct Request {
    uint32_t op;
    uint32_t init;
    uint64_t hwnd;
    char path[1024];  // parts separated by '|'
    // A window whose menu bar is drawn by the program itself has no window menu: the driver
    // opens the first part's drop-down as a user would, and the path is walked from that
    // open menu window (which the agent then closes).
    uint64_t popup;
    int32_t width;  // of the capture, as the driver sized the block
    int32_t height;
    // filled by the agent
    int32_t status;
    int32_t failLevel;
    uint32_t id;
    uint32_t state;    // MFS_* of the item
    char items[8192];  // '\n'-separated captions
};

}  // namespace dptest::agent
