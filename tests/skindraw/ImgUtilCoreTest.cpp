// Colour arithmetic of the bitmap utilities: blending, saturation, gradient ramps and their cache.
#include <gtest/gtest.h>

#include <climits>

#include "skin/ImgUtilCore.h"

namespace {

constexpr TColor Rgb(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

struct BlendCase {
    TColor a, b;
    int32_t weight;
    TColor want;
};

TEST(SkinColour, BlendMixesByPercentOrPerMille) {
    const BlendCase cases[] = {
        {Rgb(200, 100, 50), Rgb(10, 20, 30), 0, Rgb(10, 20, 30)},       // weight 0: colour 2
        {Rgb(255, 0, 0), Rgb(0, 0, 0), 50, Rgb(128, 0, 0)},             // rounded midpoint (127.5)
        {Rgb(255, 0, 0), Rgb(0, 0, 0), 99, Rgb(252, 0, 0)},             // still percent
        {Rgb(255, 0, 0), Rgb(0, 0, 0), 100, Rgb(26, 0, 0)},             // per mille: 10 %, not 100 %
        {Rgb(200, 100, 40), Rgb(100, 200, 0), 250, Rgb(125, 175, 10)},  // 25 %
        {Rgb(200, 100, 50), Rgb(10, 20, 30), 1000, Rgb(200, 100, 50)},  // colour 1
        {Rgb(0, 255, 255), Rgb(255, 0, 0), 30, Rgb(179, 77, 77)},       // each channel on its own
        // Out of range weights are held to 0..1000 instead of wrapping channels.
        {Rgb(200, 100, 50), Rgb(10, 20, 30), 5000, Rgb(200, 100, 50)},
        {Rgb(200, 100, 50), Rgb(10, 20, 30), -40, Rgb(10, 20, 30)},
        {Rgb(200, 100, 50), Rgb(10, 20, 30), INT_MAX, Rgb(200, 100, 50)},
        {Rgb(200, 100, 50), Rgb(10, 20, 30), INT_MIN, Rgb(10, 20, 30)},
        // Bits above blue take no part.
        {TColor(0x02000000) | Rgb(100, 0, 0), Rgb(0, 0, 0), 50, Rgb(50, 0, 0)},
    };
    for (const BlendCase& c : cases)
        EXPECT_EQ(BlendRGB(c.a, c.b, c.weight), c.want)
            << std::hex << c.a << " " << c.b << std::dec << " w " << c.weight;
}

TEST(SkinColour, SaturationRoundsHalfToEvenAndDarkColoursGive200) {
    const struct {
        TColor c;
        int32_t want;
    } cases[] = {
        {Rgb(255, 0, 0), 255},     {Rgb(0, 0, 255), 255},   {Rgb(255, 255, 255), 0},
        {Rgb(128, 128, 128), 200}, {Rgb(0, 0, 0), 200},     {Rgb(159, 0, 0), 200},
        {Rgb(160, 0, 0), 255},     {Rgb(160, 160, 160), 0}, {Rgb(200, 100, 50), 191},  // 191.25
        {Rgb(170, 167, 170), 4},                                                       // 4.5 goes to the even 4
        {Rgb(170, 165, 170), 8},                                                       // 7.5 goes to the even 8
        {Rgb(10, 240, 100), 244},                                                      // 244.375
        {Rgb(0, 170, 169), 255},
    };
    for (const auto& c : cases) EXPECT_EQ(ColorSaturation(c.c), c.want) << std::hex << c.c;
}

TEST(SkinColour, RampsRoundEachStepAndEndOnBothColours) {
    struct RampCase {
        int32_t count;
        TColor a, b;
        std::vector<TColor> want;
    };
    const RampCase cases[] = {
        {1, Rgb(0, 0, 0), Rgb(255, 100, 9), {Rgb(127, 50, 4)}},   // the midpoint, truncated
        {1, Rgb(255, 0, 10), Rgb(0, 100, 5), {Rgb(128, 50, 8)}},  // truncated toward zero
        {2, Rgb(1, 2, 3), Rgb(250, 251, 252), {Rgb(1, 2, 3), Rgb(250, 251, 252)}},
        {5,
         Rgb(0, 0, 0),
         Rgb(255, 0, 0),
         {Rgb(0, 0, 0), Rgb(64, 0, 0), Rgb(128, 0, 0), Rgb(191, 0, 0), Rgb(255, 0, 0)}},
        // Falling channels mirror the rising ones and reach colour 2 as well.
        {5,
         Rgb(255, 0, 0),
         Rgb(0, 0, 0),
         {Rgb(255, 0, 0), Rgb(191, 0, 0), Rgb(127, 0, 0), Rgb(64, 0, 0), Rgb(0, 0, 0)}},
        {3, Rgb(10, 200, 7), Rgb(20, 100, 7), {Rgb(10, 200, 7), Rgb(15, 150, 7), Rgb(20, 100, 7)}},
        {0, Rgb(1, 2, 3), Rgb(4, 5, 6), {}},
        {-7, Rgb(1, 2, 3), Rgb(4, 5, 6), {}},
    };
    for (const RampCase& c : cases) EXPECT_EQ(MakeColorRamp(c.count, c.a, c.b), c.want) << "count " << c.count;

    // Any length: starts on colour 1, ends on colour 2, and moves one way in each channel.
    const TColor pairs[][2] = {{Rgb(0, 0, 0), Rgb(255, 255, 255)},
                               {Rgb(255, 255, 255), Rgb(0, 0, 0)},
                               {Rgb(12, 240, 77), Rgb(200, 3, 77)},
                               {Rgb(99, 1, 254), Rgb(100, 0, 255)}};
    for (const auto& p : pairs) {
        for (int32_t count : {2, 3, 4, 7, 100, 255, 256, 257, 1000}) {
            const std::vector<TColor> ramp = MakeColorRamp(count, p[0], p[1]);
            ASSERT_EQ(ramp.size(), size_t(count));
            EXPECT_EQ(ramp.front(), p[0]) << count;
            EXPECT_EQ(ramp.back(), p[1]) << count;
            for (int shift : {0, 8, 16}) {
                const int from = (p[0] >> shift) & 255, to = (p[1] >> shift) & 255;
                for (size_t i = 1; i < ramp.size(); ++i) {
                    const int prev = (ramp[i - 1] >> shift) & 255, cur = (ramp[i] >> shift) & 255;
                    if (to >= from)
                        EXPECT_GE(cur, prev);
                    else
                        EXPECT_LE(cur, prev);
                }
            }
        }
    }
}

TEST(SkinColour, RampCacheAnswersKnownRampsAndRefillsRoundRobin) {
    FreeColorRamps();
    const TColor a = Rgb(0, 0, 0), b = Rgb(255, 128, 64);
    // Sixteen different ramps fill slots 0 to 15 in turn.
    for (int32_t k = 0; k < kColorRampSlots; ++k) {
        EXPECT_EQ(GetColorRamp(10 + k, a, b), k);
        EXPECT_EQ(ColorRamp(k), MakeColorRamp(10 + k, a, b));
    }
    // Asking again finds them; colours count as well as the length, high bits do not.
    EXPECT_EQ(GetColorRamp(10, a, b), 0);
    EXPECT_EQ(GetColorRamp(25, a, b), 15);
    EXPECT_EQ(GetColorRamp(17, a | 0x02000000, b), 7);
    // The seventeenth ramp goes back to slot 0, pushing out the oldest.
    EXPECT_EQ(GetColorRamp(10, b, a), 0);
    EXPECT_EQ(ColorRamp(0), MakeColorRamp(10, b, a));
    EXPECT_EQ(GetColorRamp(10, a, b), 1);  // gone from slot 0: built again in the next slot
    EXPECT_EQ(GetColorRamp(11, a, b), 2);  // slot 1 held it
    EXPECT_EQ(GetColorRamp(10, b, a), 0);

    // No ramp for no colours; nothing is taken from the cache for them.
    EXPECT_EQ(GetColorRamp(0, a, b), -1);
    EXPECT_EQ(GetColorRamp(-5, a, b), -1);
    EXPECT_TRUE(ColorRamp(-1).empty());
    EXPECT_TRUE(ColorRamp(kColorRampSlots).empty());
    EXPECT_EQ(GetColorRamp(12, a, b), 3);

    FreeColorRamps();
    EXPECT_TRUE(ColorRamp(0).empty());
    EXPECT_EQ(GetColorRamp(12, a, b), 0);
    FreeColorRamps();
}

}  // namespace
