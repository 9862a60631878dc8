#include "skin/TinselDataCore.h"

bool SkinFrameCell(int32_t stripWidth, int32_t stripHeight, int32_t frames, int32_t index, bool vertical,
                   TSkinCell& cell) {
    cell = TSkinCell();
    if (frames < 1 || index < 1 || index > frames || stripWidth < 1 || stripHeight < 1) return false;
    TSkinCell c;
    if (vertical) {
        c.Width = stripWidth;
        c.Height = stripHeight / frames;
        c.Top = c.Height * (index - 1);
    } else {
        c.Width = stripWidth / frames;
        c.Height = stripHeight;
        c.Left = c.Width * (index - 1);
    }
    if (c.Width < 1 || c.Height < 1) return false;
    cell = c;
    return true;
}

void SkinFitMargins(int32_t& first, int32_t& second, int32_t targetSize, int32_t cellSize) {
    if (first < 0) first = 0;
    if (second < 0) second = 0;
    const int64_t sum = int64_t(first) + second;
    if (targetSize < sum || cellSize - sum < 1) first = second = 0;
}

int32_t ParseRGB(const std::string& text) {
    // Trimming changes nothing here: blanks are separators like any other non-digit.
    int32_t values[3] = {0, 0, 0};
    int stored = 0;
    bool inRun = false;
    uint32_t run = 0;
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            // Only the value modulo 256 counts, so a run of any length cannot overflow.
            run = (run * 10 + uint32_t(ch - '0')) % 256;
            inRun = true;
        } else if (inRun) {
            if (stored < 3) values[stored++] = int32_t(run);
            run = 0;
            inRun = false;
        }
    }
    if (inRun && stored == 2) values[stored++] = int32_t(run);
    return values[0] + values[1] * 256 + values[2] * 65536;
}

int32_t ParseColour(const std::string& text, int32_t def) { return text.empty() ? def : ParseRGB(text); }

int32_t SkinRGB(int32_t red, int32_t green, int32_t blue) {
    return (red & 0xFF) + (green & 0xFF) * 256 + (blue & 0xFF) * 65536;
}

bool SkinIsCaptionButtonSection(const std::string& upperName, int32_t action, int32_t visibility) {
    if (upperName.rfind("BUTTON", 0) != 0) return false;
    if (upperName == "BUTTON" || upperName == "BUTTONS" || upperName == "BUTTON.RADIO" ||
        upperName == "BUTTON.CHECKBOX")
        return false;
    return !(action == -1 && visibility != 0);
}

int32_t SkinCaptionButtonFrames(int32_t imageWidth, int32_t imageHeight, int32_t action) {
    int32_t frames = 6;
    // A strip at most 3.8 times as wide as high holds 3 frames: w / h <= 19 / 5, in integers.
    if (imageWidth > 0 && imageHeight > 0) frames = 5 * int64_t{imageWidth} <= 19 * int64_t{imageHeight} ? 3 : 6;
    if (action < 0) frames = 6;
    return frames;
}

int32_t SkinGlyphFrames(int32_t imageWidth, int32_t imageHeight) {
    const int32_t frames = imageHeight < 16 ? imageWidth / 13 : imageWidth / 16;
    return frames < 4 ? 4 : frames;
}

int32_t SkinToolbarWhiteWeight(int32_t saturation) { return (5625 - 25 * saturation) / 140 + 50; }
