// The colour arithmetic of the bitmap utilities: blending, saturation and the
// gradient ramps with their cache. No Windows header, so it is checked natively too.
// Colours here are plain packed values: red in bits 0-7, green 8-15, blue 16-23;
// bits above 23 are ignored.
#pragma once

#include <cstdint>
#include <vector>

#include "classlib/Colors.h"

// Colour 1 mixed into colour 2 by weight: 0-99 are percentages, 100 and above per
// mille (so 100 is 10 %). Weights outside 0..1000 are held to that range. System
// colours must be resolved first (ImgUtil's Blend does that).
TColor BlendRGB(TColor color1, TColor color2, int32_t weight);

// (max - min) / max of the three channels scaled to 0-255, rounded half to even;
// 200 when no channel reaches 160.
int32_t ColorSaturation(TColor color);

// The count colours from colour 1 to colour 2, each channel rounded to the nearest
// step (halves away from colour 1), so the first entry is colour 1 and the last
// colour 2; a single entry is the midpoint. Empty for a count below 1.
std::vector<TColor> MakeColorRamp(int32_t count, TColor color1, TColor color2);

constexpr int32_t kColorRampSlots = 16;

// The cache slot (0-15) holding the ramp of count colours from colour 1 to colour 2,
// built in the next round-robin slot when no slot has it; -1 for a count below 1.
int32_t GetColorRamp(int32_t count, TColor color1, TColor color2);
// The ramp in a slot; empty for a slot out of range or never filled.
const std::vector<TColor>& ColorRamp(int32_t slot);
// Releases every slot and starts the round robin at slot 0 again.
void FreeColorRamps();
