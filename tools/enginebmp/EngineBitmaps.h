// The skin engine's own bitmap resources, drawn at build time and linked into every program that
// links the engine (dp_skin): the fallbacks a skin may leave out, such as the track-bar channels.
//
// Adding one: give it a row in EngineBitmaps() (resource name, size, drawer) in EngineBitmaps.cpp.
// The generator (enginebmp_main.cpp) writes it as <name>.bmp and as a line of the engine's
// resource script, so nothing else changes; the engine finds it with LoadEngineBitmap (skin/
// EngineBitmaps.h). Portable C++ without a platform header, so Windows builds run it on the host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace enginebmp {

struct TEngineBitmap {
    std::string Name;  // resource name, as the engine asks for it
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;  // 0x00RRGGBB, top row first
};

// Every engine bitmap, in the order of the resource script.
std::vector<TEngineBitmap> EngineBitmaps();

// The resource script that names each bitmap's file <dir>/<name>.bmp; dir uses forward slashes.
std::string ResourceScript(const std::vector<TEngineBitmap>& bitmaps, const std::string& dir);

}  // namespace enginebmp
