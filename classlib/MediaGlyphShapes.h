// The shapes of the media player's button pictures, in a 16 x 12 box: the player draws
// them with GDI and the glyph generator rasterises them into the skin's bitmaps, so both
// show the same pictures. Portable: no platform header.
#pragma once

#include <cstdint>

struct TMediaGlyphPart {
    char Kind;    // 'T' triangle (three points), 'R' rectangle and 'E' ellipse (left, top, right, bottom)
    int8_t P[6];  // right and bottom are exclusive, as GDI's
};

struct TMediaGlyphShape {
    int Count;
    TMediaGlyphPart Parts[3];
};

// In button order: play, pause, stop, next, previous, step, back, record, eject.
constexpr TMediaGlyphShape kMediaGlyphShapes[9] = {
    {1, {{'T', {4, 1, 11, 6, 4, 11}}}},
    {2, {{'R', {4, 1, 7, 11}}, {'R', {9, 1, 12, 11}}}},
    {1, {{'R', {3, 1, 13, 11}}}},
    {3, {{'T', {1, 1, 6, 6, 1, 11}}, {'T', {6, 1, 11, 6, 6, 11}}, {'R', {12, 1, 14, 11}}}},
    {3, {{'R', {2, 1, 4, 11}}, {'T', {10, 1, 5, 6, 10, 11}}, {'T', {15, 1, 10, 6, 15, 11}}}},
    {2, {{'R', {3, 1, 5, 11}}, {'T', {7, 1, 12, 6, 7, 11}}}},
    {2, {{'T', {9, 1, 4, 6, 9, 11}}, {'R', {11, 1, 13, 11}}}},
    {1, {{'E', {3, 1, 13, 11}}}},
    {2, {{'T', {3, 7, 8, 1, 13, 7}}, {'R', {3, 9, 14, 11}}}},
};
// A coloured button's colour (0x00RRGGBB), in button order. Never olive, the glyph
// bitmaps' transparent colour.
constexpr uint32_t kMediaGlyphColours[9] = {0x008000, 0xA06000, 0x800000, 0x0000FF, 0x0000FF,
                                            0x0000FF, 0x0000FF, 0xFF0000, 0x000080};
constexpr int kMediaGlyphWidth = 16, kMediaGlyphHeight = 12;
