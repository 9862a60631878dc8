// The geometry every skin painter shares: where frame n of a strip lies, and which
// nine-slice margins survive a target or a cell too small for them. Portable, so the
// rules are checked natively too.
#pragma once

#include <cstdint>
#include <string>

// A cell of a strip: origin and size inside the strip bitmap.
struct TSkinCell {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Frame index (from 1) of frames equal cells: side by side in a horizontal strip
// (cell width = strip width div frames), stacked in a vertical one. False, with an
// empty cell, when there is no such cell: no frames, an index outside 1..frames, or
// a strip too small to give the cell a pixel.
bool SkinFrameCell(int32_t stripWidth, int32_t stripHeight, int32_t frames, int32_t index, bool vertical,
                   TSkinCell& cell);

// Two opposite margins (left and right, or top and bottom) as a nine-slice draw uses
// them: negative ones count as 0, and both are dropped when the target is shorter
// than their sum or when they leave the cell no middle pixel.
void SkinFitMargins(int32_t& first, int32_t& second, int32_t targetSize, int32_t cellSize);

// --- the skin ini's numbers that need no bitmap

// "r g b" as the skin writes its colours: runs of decimal digits, any non-digit between
// them; the first three runs are red, green, blue (a run still open at the end counts as
// blue only after two stored ones), each modulo 256. No digits: black.
int32_t ParseRGB(const std::string& text);
// def for an empty text, else ParseRGB (so a written value never gives the default).
int32_t ParseColour(const std::string& text, int32_t def);
// Red, green and blue integers as a colour, each modulo 256 (the skin gave all three).
int32_t SkinRGB(int32_t red, int32_t green, int32_t blue);

// Whether a section is one of the caption buttons: an upper-cased name beginning with
// "BUTTON" other than the four push-button sections, and not Action -1 with a
// Visibility (read with default -1) other than 0.
bool SkinIsCaptionButtonSection(const std::string& upperName, int32_t action, int32_t visibility);
// The frame count of a caption button whose skin gave none ("frame" 0): 3 for an image
// at most 3.8 times as wide as high, else 6; 6 without an image or for a negative Action.
int32_t SkinCaptionButtonFrames(int32_t imageWidth, int32_t imageHeight, int32_t action);
// The frame count of a check or radio strip whose skin gave none: width div 13 for
// images lower than 16 pixels, else div 16; at least 4.
int32_t SkinGlyphFrames(int32_t imageWidth, int32_t imageHeight);
// The end colour of the tool-bar gradient for a caption colour with this saturation, the
// caption-colour-over-grey blend already computed; above 110 the caption colour lightened.
int32_t SkinToolbarWhiteWeight(int32_t saturation);
