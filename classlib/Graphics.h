// The graphics unit: GDI objects with change notification (font, pen, brush), the canvas over a
// device context, and the graphics: DIB-section bitmaps, icons, metafiles and the picture that
// holds any of them. One header for all of them, each family in a file of its own.
#pragma once

#include "classlib/BitmapFiles.h"
#include "classlib/Bitmaps.h"
#include "classlib/Canvas.h"
#include "classlib/Colors.h"
#include "classlib/GdiObjects.h"
#include "classlib/GraphicsBase.h"
#include "classlib/Pictures.h"
