// The skin engine's own bitmap resources ("TRACK", "TRACKVERT", ...): drawn at build time by
// tools/enginebmp and linked into every program that links the engine. A later one is added as
// tools/enginebmp/EngineBitmaps.h describes and read here by its name.
#pragma once

class TBitmap;

// Loads the program's own bitmap resource `name` into bitmap. False, with the bitmap empty, when
// the program has no such resource or it cannot be read.
bool LoadEngineBitmap(TBitmap& bitmap, const char* name);
