// The engine's fallback artwork: plain shapes in the system's grey bevel colours, so they sit in
// any skin that has none of its own.
#include "tools/enginebmp/EngineBitmaps.h"

#include <utility>

#include "tools/enginebmp/MediaGlyphs.h"
#include "tools/enginebmp/SysMenuGlyphs.h"

namespace enginebmp {

namespace {

constexpr uint32_t Shadow = 0x808080;
constexpr uint32_t DarkShadow = 0x404040;
constexpr uint32_t Light = 0xD4D0C8;
constexpr uint32_t Highlight = 0xFFFFFF;

TEngineBitmap Blank(const char* name, int32_t w, int32_t h) {
    return {name, w, h, std::vector<uint32_t>(static_cast<size_t>(w) * static_cast<size_t>(h), Light)};
}

// A sunken groove across the strip: shadow and dark shadow on the near side, light and
// highlight on the far side, as across(i) gives for each of the four lines. Both ends are
// three-pixel caps (the engine cuts the channel with margins of 3) that close the groove.
void Groove(TEngineBitmap& b, bool vertical) {
    static const uint32_t across[4] = {Shadow, DarkShadow, Light, Highlight};
    const int32_t length = vertical ? b.Height : b.Width;
    for (int32_t along = 0; along < length; ++along) {
        for (int32_t i = 0; i < 4; ++i) {
            uint32_t c = across[i];
            if (along == 0 && i > 0 && i < 3) c = Shadow;          // near end closed
            if (along == length - 1 && i > 0 && i < 3) c = Light;  // far end lit
            const int32_t x = vertical ? i : along, y = vertical ? along : i;
            b.Pixels[static_cast<size_t>(y) * static_cast<size_t>(b.Width) + static_cast<size_t>(x)] = c;
        }
    }
}

// "TRACK": a horizontal track-bar channel, 16 x 4.
TEngineBitmap Track() {
    TEngineBitmap b = Blank("TRACK", 16, 4);
    Groove(b, false);
    return b;
}

// "TRACKVERT": the vertical channel, 4 x 16.
TEngineBitmap TrackVert() {
    TEngineBitmap b = Blank("TRACKVERT", 4, 16);
    Groove(b, true);
    return b;
}

}  // namespace

std::vector<TEngineBitmap> EngineBitmaps() {
    std::vector<TEngineBitmap> all = {Track(), TrackVert(), SysMenuGlyphs()};
    for (TEngineBitmap& g : MediaGlyphs()) all.push_back(std::move(g));
    return all;
}

std::string ResourceScript(const std::vector<TEngineBitmap>& bitmaps, const std::string& dir) {
    std::string rc = "// Written by tools/enginebmp: the skin engine's own bitmaps.\n";
    for (const auto& b : bitmaps) rc += b.Name + " BITMAP \"" + dir + "/" + b.Name + ".bmp\"\n";
    return rc;
}

}  // namespace enginebmp
