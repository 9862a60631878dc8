// The skin element records: their "nothing given" values, owned bitmaps and class chain,
// and frame cells taken from a strip bitmap.
#include <gtest/gtest.h>

#include <memory>

#include "SkinDrawTestUtil.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"

using namespace skintest;

namespace {

void ExpectBaseDefaults(const TDataSkinObject& o, const std::string& name) {
    EXPECT_EQ(o.Name, name);
    EXPECT_EQ(o.Margins.left, 0);
    EXPECT_EQ(o.Margins.top, 0);
    EXPECT_EQ(o.Margins.right, 0);
    EXPECT_EQ(o.Margins.bottom, 0);
    ASSERT_TRUE(o.Bitmap);
    EXPECT_TRUE(o.Bitmap->Empty());
    EXPECT_EQ(o.Trans, 0);
    EXPECT_EQ(o.Tile, 0);
    EXPECT_EQ(o.Frames, 0);
    EXPECT_EQ(o.Style, 0);
    EXPECT_EQ(o.NormalColour, -1);
    EXPECT_EQ(o.MouseOverColour, -1);
    EXPECT_EQ(o.PressedColour, -1);
    EXPECT_EQ(o.NormalColour2, clBtnText);
    EXPECT_EQ(o.MouseOverColour2, clBtnText);
    EXPECT_EQ(o.PressedColour2, clBtnText);
}

TEST(SkinElements, EveryRecordStartsWithNothingGiven) {
    const TDataSkinObject base("Toolbar");
    ExpectBaseDefaults(base, "Toolbar");
    EXPECT_EQ(base.ClassName(), "TDataSkinObject");

    const TDataSkinBorder border("Left");
    ExpectBaseDefaults(border, "Left");
    ASSERT_TRUE(border.Bitmap2);
    EXPECT_TRUE(border.Bitmap2->Empty());
    EXPECT_NE(border.Bitmap2.get(), border.Bitmap.get());

    const TDataSkinTitle title("Title");
    ExpectBaseDefaults(title, "Title");
    EXPECT_EQ(title.TextAlignment, 0);
    EXPECT_EQ(title.TextBackground, 0);
    EXPECT_EQ(title.FontHeight, 14);
    EXPECT_EQ(title.TextBackLeft, 0);
    EXPECT_EQ(title.TextBackRight, 0);
    EXPECT_EQ(title.ActiveTextColour, TITLE_COLOUR_NONE);
    EXPECT_EQ(title.InactiveTextColour, TITLE_COLOUR_NONE);

    const TDataSkinButton button("Buttons");
    ExpectBaseDefaults(button, "Buttons");
    ASSERT_TRUE(button.CheckBitmap);
    ASSERT_TRUE(button.RadioBitmap);
    EXPECT_TRUE(button.CheckBitmap->Empty());
    EXPECT_TRUE(button.RadioBitmap->Empty());
    EXPECT_NE(button.CheckBitmap.get(), button.RadioBitmap.get());
    EXPECT_EQ(button.RadioFrames, 0);
    EXPECT_EQ(button.CheckFrames, 0);
    EXPECT_FALSE(button.HasNormalColour2);
    EXPECT_FALSE(button.HasMouseOverColour2);
    EXPECT_FALSE(button.HasPressedColour2);

    const TDataSkinSysButton sys("SysButton0");
    ExpectBaseDefaults(sys, "SysButton0");
    EXPECT_EQ(sys.Action, 0);
    EXPECT_EQ(sys.Align, 0);
    EXPECT_EQ(sys.XCoord, 0);
    EXPECT_EQ(sys.YCoord, 0);
    EXPECT_EQ(sys.CombineOp, -1);
    EXPECT_EQ(sys.Visibility, 0);
    EXPECT_EQ(sys.Visibility1, 0);

    const TDataSkinBoxLabel box("GroupBox");
    ExpectBaseDefaults(box, "GroupBox");
    EXPECT_EQ(box.BackgroundLeftShift, 0);
    EXPECT_EQ(box.BackgroundRightShift, 0);
    EXPECT_EQ(box.BackgroundAlignment, 0);
}

TEST(SkinElements, DescendantsAreSkinObjectsAndFreeThroughTheBase) {
    std::vector<std::unique_ptr<TDataSkinObject>> all;
    all.emplace_back(new TDataSkinBorder("Top"));
    all.emplace_back(new TDataSkinTitle("Title"));
    all.emplace_back(new TDataSkinButton("Buttons"));
    all.emplace_back(new TDataSkinSysButton("SysButton1"));
    all.emplace_back(new TDataSkinBoxLabel("GroupBox"));
    const char* names[] = {"TDataSkinBorder", "TDataSkinTitle", "TDataSkinButton", "TDataSkinSysButton",
                           "TDataSkinBoxLabel"};
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->ClassName(), names[i]);
        EXPECT_TRUE(all[i]->Is<TDataSkinObject>()) << names[i];
        EXPECT_TRUE(all[i]->InheritsFrom("TDataSkinObject")) << names[i];
        // Filled bitmaps go with their element.
        Fill(*all[i]->Bitmap, 8, 8, clRed, pf24bit);
    }
    EXPECT_FALSE(all[0]->Is<TDataSkinTitle>());
    all.clear();
}

TEST(SkinElements, FrameCellsOfAnElementsStrip) {
    TBitmap strip, tall, empty;
    Fill(strip, 100, 20, clRed, pf24bit);
    Fill(tall, 30, 61, clRed, pf24bit);
    const struct {
        TBitmap* strip;
        int frames, index;
        bool vertical;
        TRect want;
    } cases[] = {
        {&strip, 5, 3, false, Rect(40, 0, 60, 20)},
        {&strip, 5, 5, false, Rect(80, 0, 100, 20)},
        {&tall, 3, 2, true, Rect(0, 20, 30, 40)},
        {&tall, 3, 3, true, Rect(0, 40, 30, 60)},  // the row left over is never used
        {&strip, 0, 1, false, Rect(0, 0, 0, 0)},
        {&strip, 5, 6, false, Rect(0, 0, 0, 0)},
        {&strip, 5, 0, true, Rect(0, 0, 0, 0)},
        {&empty, 1, 1, false, Rect(0, 0, 0, 0)},
        {nullptr, 1, 1, false, Rect(0, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        const TRect r = SkinFrameRect(c.strip, c.frames, c.index, c.vertical);
        EXPECT_TRUE(EqualRect(&r, &c.want))
            << c.index << " of " << c.frames << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    const TSize one = SkinFrameSize(&strip, 5, false);
    EXPECT_EQ(one.cx, 20);
    EXPECT_EQ(one.cy, 20);
    const TSize none = SkinFrameSize(&strip, 0, false);
    EXPECT_EQ(none.cx, 0);
    EXPECT_EQ(none.cy, 0);

    // An element whose skin left Frames at 0 draws nothing, rather than dividing by it.
    TDataSkinObject element("Progress");
    Fill(*element.Bitmap, 40, 10, clRed, pf24bit);
    TBitmap out;
    Fill(out, 20, 10, clBlue);
    SkinDrawFrame(out.Canvas()->Handle(), Rect(0, 0, 20, 10), element.Bitmap.get(), false, element.Tile == 1,
                  element.Trans == 1, element.Frames, 1, element.Margins);
    EXPECT_EQ(At(out, 10, 5), clBlue);
    element.Frames = 2;
    SkinDrawFrame(out.Canvas()->Handle(), Rect(0, 0, 20, 10), element.Bitmap.get(), false, element.Tile == 1,
                  element.Trans == 1, element.Frames, 1, element.Margins);
    EXPECT_EQ(At(out, 10, 5), clRed);
}

}  // namespace
