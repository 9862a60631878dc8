// The media player skin's 27 button pictures, drawn from the player's own shapes: for each
// button an enabled (black), a disabled (embossed grey) and a coloured picture on olive, the
// colour the skin leaves out. Named "EN_MPPLAY" ... "CL_MPEJECT".
#pragma once

#include <cstdint>
#include <vector>

#include "tools/enginebmp/EngineBitmaps.h"

namespace enginebmp {

constexpr uint32_t Olive = 0x808000;  // 0x00RRGGBB
constexpr int32_t MediaGlyphWidth = 17, MediaGlyphHeight = 13;

// Kinds enabled, disabled, coloured, each over the nine buttons in player order.
std::vector<TEngineBitmap> MediaGlyphs();

}  // namespace enginebmp
