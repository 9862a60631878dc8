// The skin element records: one image strip of the skin with the few numbers that say
// how to draw it. The skin data component owns them, the ini reader fills them and
// every painter reads them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "classlib/Graphics.h"
#include "skin/TinselDataCore.h"

// Pixels of this colour are left out of drawings and window regions of elements with Trans = 1.
constexpr TColor TRANSPARENT_KEY = 0xFF00FF;
// A title text colour the skin did not give completely: painters use the [Colours] ones.
constexpr TColor TITLE_COLOUR_NONE = 0x1FFFFFFF;

// The base element. Fields keep their declared order; "none given" values are the defaults.
class TDataSkinObject : public TObject {
    DP_DECLARE_CLASS(TDataSkinObject, TObject)
public:
    explicit TDataSkinObject(const std::string& name);
    ~TDataSkinObject() override;

    // Nine-slice margins of one frame: "LeftWidth", "TopHeight", "RightWidth", "BottomHeight".
    TRect Margins{0, 0, 0, 0};
    // The frame strip; empty until an image is read.
    std::unique_ptr<TBitmap> Bitmap;
    // 1: TRANSPARENT_KEY pixels are transparent; anything else is opaque.
    int32_t Trans = 0;
    // 1: the centre of a frame is tiled; 0: stretched.
    int32_t Tile = 0;
    std::string Name;
    // Frames in Bitmap; may stay 0 where the skin's "Frame" key decides, so never divide by it
    // (SkinFrameRect does not).
    int32_t Frames = 0;
    int32_t Style = 0;
    // Text colours given as plain integers; -1 = none given.
    TColor NormalColour = -1;
    TColor MouseOverColour = -1;
    TColor PressedColour = -1;
    // Text colours given as "r g b"; the reader puts the skin's ButtonText colour here when they
    // are missing, the system's button text colour stands in until then.
    TColor NormalColour2 = clBtnText;
    TColor MouseOverColour2 = clBtnText;
    TColor PressedColour2 = clBtnText;
};

// Elements with a second image: the frame pieces, tabs, up-down glyphs, combo buttons, progress bars.
class TDataSkinBorder : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinBorder, TDataSkinObject)
public:
    explicit TDataSkinBorder(const std::string& name);
    ~TDataSkinBorder() override;

    std::unique_ptr<TBitmap> Bitmap2;
};

// The caption: Bitmap is the text background ("TextBack"); Margins hold the text insets
// (Left "TextShift", Top "TextShiftVert", Right "TextRightClip").
class TDataSkinTitle : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinTitle, TDataSkinObject)
public:
    explicit TDataSkinTitle(const std::string& name);
    ~TDataSkinTitle() override;

    int32_t TextAlignment = 0;  // 0 left, 1 centred, 2 right
    int32_t TextBackground = 0;
    int32_t FontHeight = 14;
    int32_t TextBackLeft = 0;   // added to the measured caption width
    int32_t TextBackRight = 0;
    TColor ActiveTextColour = TITLE_COLOUR_NONE;
    TColor InactiveTextColour = TITLE_COLOUR_NONE;
};

// Push-button (Bitmap, 5 frames), check-box and radio-button faces.
class TDataSkinButton : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinButton, TDataSkinObject)
public:
    explicit TDataSkinButton(const std::string& name);
    ~TDataSkinButton() override;

    std::unique_ptr<TBitmap> CheckBitmap;
    std::unique_ptr<TBitmap> RadioBitmap;
    int32_t RadioFrames = 0;
    int32_t CheckFrames = 0;
    // Whether the skin wrote "NormalColour2", "MouseOverColour2", "PressedColour2" at all.
    bool HasNormalColour2 = false;
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

// One caption button of the window frame.
class TDataSkinSysButton : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinSysButton, TDataSkinObject)
public:
    explicit TDataSkinSysButton(const std::string& name);
    ~TDataSkinSysButton() override;

    int32_t Action = 0;
    int32_t Align = 0;   // 0: XCoord from the left edge, 1: from the right edge
    int32_t XCoord = 0;
    int32_t YCoord = 0;  // from the top
    int32_t CombineOp = -1;  // -1 = none given
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

// The group box's caption background.
class TDataSkinBoxLabel : public TDataSkinObject {
    DP_DECLARE_CLASS(TDataSkinBoxLabel, TDataSkinObject)
public:
    explicit TDataSkinBoxLabel(const std::string& name);
    ~TDataSkinBoxLabel() override;

    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

// --- frame strips

// The cell of frame index (from 1) of frames in the strip: side by side when horizontal,
// stacked when vertical. An empty rectangle when the strip has no such frame (no strip,
// an empty one, frames below 1, an index outside 1..frames).
TRect SkinFrameRect(TBitmap* strip, int32_t frames, int32_t index, bool vertical);
// The size of one frame; 0 x 0 where SkinFrameRect has no cell.
TSize SkinFrameSize(TBitmap* strip, int32_t frames, bool vertical);
