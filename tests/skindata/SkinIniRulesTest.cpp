// The skin ini's numbers that need no bitmap: colour texts, which sections are caption
// buttons, and the frame counts a skin leaves to the reader.
#include <gtest/gtest.h>

#include <string>

#include "skin/TinselDataCore.h"

namespace {

constexpr int32_t rgb(int r, int g, int b) { return r + g * 256 + b * 65536; }

TEST(SkinIniRules, ParseRGBReadsThreeRunsOfDigits) {
    const struct {
        const char* text;
        int32_t want;
    } cases[] = {
        {"0, 0, 255", rgb(0, 0, 255)},
        {"12 34 56", rgb(12, 34, 56)},
        {"  12 34 56  ", rgb(12, 34, 56)},
        {"(12;34;56)", rgb(12, 34, 56)},
        {"12,34,56,78,90", rgb(12, 34, 56)},  // later runs are ignored
        {"12,34,56", rgb(12, 34, 56)},        // the run still open at the end is blue
        {"12,34", rgb(12, 0, 0)},             // only one stored before the open run
        {"12,34,", rgb(12, 34, 0)},
        {"200", rgb(0, 0, 0)},  // one open run, nothing stored: black
        {"200 ", rgb(200, 0, 0)},
        {"", 0},
        {"none", 0},
        {"-1 -2 -3", rgb(1, 2, 3)},                    // a minus sign is a separator
        {"256 257 511", rgb(0, 1, 255)},               // each value modulo 256
        {"99999999999999999999 1 1", rgb(255, 1, 1)},  // 10^20 - 1, no overflow
        {"0xFF", 0},                                   // no hexadecimal here: "0", then letters
        {"1a2b3", rgb(1, 2, 3)},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRGB(c.text), c.want) << '"' << c.text << '"';
}

TEST(SkinIniRules, ParseColourGivesTheDefaultOnlyForAnEmptyText) {
    EXPECT_EQ(ParseColour("", 0x123456), 0x123456);
    EXPECT_EQ(ParseColour("x", 0x123456), 0);
    EXPECT_EQ(ParseColour(" ", 0x123456), 0);
    EXPECT_EQ(ParseColour("0, 0, 255", 0x123456), 0xFF0000);
}

TEST(SkinIniRules, CaptionButtonSections) {
    const struct {
        const char* name;
        int32_t action, visibility;
        bool want;
    } cases[] = {
        {"BUTTON0", 0, -1, true},
        {"BUTTON7", -1, -1, false},  // Action -1 without a Visibility: no caption
                                     // button
        {"BUTTON7", -1, 0, true},    // ... with Visibility 0 it is one
        {"BUTTON7", -1, 1, false},
        {"BUTTON7", -2, 1, true},
        {"BUTTONX", 3, 0, true},
        {"BUTTON", 0, 0, false},
        {"BUTTONS", 0, 0, false},
        {"BUTTON.RADIO", 0, 0, false},
        {"BUTTON.CHECKBOX", 0, 0, false},
        {"BUTTON.CHECKBOXES", 0, 0, true},
        {"MINCAPTION", 0, 0, false},
        {"XBUTTON1", 0, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SkinIsCaptionButtonSection(c.name, c.action, c.visibility), c.want)
            << c.name << " " << c.action << " " << c.visibility;
}

TEST(SkinIniRules, FrameCountsLeftToTheReader) {
    const struct {
        int32_t w, h, action, want;
    } buttons[] = {
        {60, 21, 0, 3},  // 2.86
        {90, 21, 0, 6},  // 4.29
        // Exactly 3.8 holds 3 frames on every build, a pixel more holds 6.
        {76, 20, 0, 3},
        {77, 20, 0, 6},
        {19, 5, 0, 3},
        {20, 5, 0, 6},
        {57, 15, 0, 3},
        {58, 15, 0, 6},
        {114, 30, 0, 3},
        {115, 30, 0, 6},
        {1900000000, 500000000, 0, 3},  // no overflow
        {1900000001, 500000000, 0, 6},
        {60, 21, -1, 6},  // a negative Action always 6
        {0, 0, 0, 6},     // no image
        {60, 0, 0, 6},
    };
    for (const auto& c : buttons)
        EXPECT_EQ(SkinCaptionButtonFrames(c.w, c.h, c.action), c.want) << c.w << "x" << c.h << " " << c.action;

    const struct {
        int32_t w, h, want;
    } glyphs[] = {
        {104, 13, 8}, {48, 16, 4}, {128, 16, 8}, {130, 15, 10}, {0, 0, 4}, {12, 12, 4},
    };
    for (const auto& c : glyphs) EXPECT_EQ(SkinGlyphFrames(c.w, c.h), c.want) << c.w << "x" << c.h;
}

TEST(SkinIniRules, ToolbarWhiteWeightTruncatesTowardZero) {
    EXPECT_EQ(SkinToolbarWhiteWeight(111), 70);
    EXPECT_EQ(SkinToolbarWhiteWeight(200), 54);
    EXPECT_EQ(SkinToolbarWhiteWeight(255), 45);
    EXPECT_EQ(SkinToolbarWhiteWeight(225), 50);  // exactly zero before the offset
}

}  // namespace
