// The media player skin's 27 button pictures, drawn at build time from the player's own
// shapes: for each button an enabled (black), a disabled (embossed grey) and a coloured
// picture on olive, the colour the skin leaves out. Plain C++, so Windows builds can
// compile it for the host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mediaglyphs {

constexpr uint32_t Olive = 0x808000;  // 0x00RRGGBB
constexpr int GlyphWidth = 17, GlyphHeight = 13;

struct TGlyph {
    std::string Name;              // "EN_MPPLAY" ...
    std::vector<uint32_t> Pixels;  // GlyphWidth x GlyphHeight, 0x00RRGGBB, top row first
};

// Kinds enabled, disabled, coloured, each over the nine buttons in player order.
std::vector<TGlyph> DrawGlyphs();

}  // namespace mediaglyphs
