#include "skin/EngineBitmaps.h"

#include <windows.h>

#include "classlib/Bitmaps.h"
#include "classlib/SysUtils.h"

bool LoadEngineBitmap(TBitmap& bitmap, const char* name) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!FindResourceA(instance, name, reinterpret_cast<LPCSTR>(RT_BITMAP))) return false;
    try {
        bitmap.LoadFromResourceName(instance, name);
    } catch (const Exception&) {
        bitmap.SetHandle(nullptr);
    }
    return !bitmap.Empty();
}
