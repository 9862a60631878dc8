// What the graphics unit shares: geometry as the Windows records, system colours, the texts
// and exceptions of the graphics.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Colors.h"
#include "classlib/Component.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"

// ---------------------------------------------------------------------------
// Geometry: the Windows records themselves, so they pass straight to the API.

using TRect = RECT;
using TPoint = POINT;
struct TSize {
    int cx = 0;
    int cy = 0;
};

inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return TRect{left, top, left + width, top + height}; }
inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline int RectWidth(const TRect& r) { return r.right - r.left; }
inline int RectHeight(const TRect& r) { return r.bottom - r.top; }

// ---------------------------------------------------------------------------
// Colours (TColor, the cl* constants and their names are in Colors.h).

// A system colour ($FF000000 + index) resolved through GetSysColor; plain colours unchanged.
COLORREF ColorToRGB(TColor color);

constexpr const char* SInvalidGraphic = "Bitmap image is not valid";
constexpr const char* SInvalidIcon = "Icon image is not valid";
constexpr const char* SInvalidMetafile = "Metafile is not valid";
constexpr const char* SUnknownExtension = "Unknown picture file extension (.%s)";
constexpr const char* SOutOfResources = "Out of system resources";
constexpr const char* SNoCanvasHandle = "Canvas does not allow drawing";
constexpr const char* SInvalidPixelFormat = "Invalid pixel format";
constexpr const char* SChangeIconSize = "Cannot change the size of an icon";
constexpr const char* SImageTooLarge = "Image is too large";
constexpr const char* SScanLine = "Scan line index out of range";

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class EResNotFound : public Exception {
public:
    using Exception::Exception;
};
constexpr const char* SResNotFound = "Resource %s not found";

class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};
