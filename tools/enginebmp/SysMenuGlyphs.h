// "TINSELMENU": the glyphs of the skinned system menu's items, 16 x 16 each side by side in the
// order of their image indexes (0 restore, 1 maximize, 2 minimize, 3 close), black on white, the
// colour the engine leaves out.
#pragma once

#include "tools/enginebmp/EngineBitmaps.h"

namespace enginebmp {

constexpr int32_t SysMenuGlyphSize = 16;
constexpr int32_t SysMenuGlyphCount = 4;
constexpr uint32_t SysMenuGlyphInk = 0x000000;
constexpr uint32_t SysMenuGlyphPaper = 0xFFFFFF;

TEngineBitmap SysMenuGlyphs();

}  // namespace enginebmp
