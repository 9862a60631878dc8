// Progress bars drawn from [Progress]: frame 1 the background, frame 2 the filled part, each
// laid out nine-slice; or, with its Style 1, the whole image as background and the filled part
// in chunks of [Progress.Chunk], tiled or stretched. A vertical bar is drawn lying down and
// turned. The filled part is (position - min) / (max - min) of the bar, none without a range.
#pragma once

#include "skin/WinSubClass.h"

class TSkinProgress : public TSkinControl {
    DP_DECLARE_CLASS(TSkinProgress, TSkinControl)
public:
    explicit TSkinProgress(TComponent* owner);
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;

    // The filled length of a bar `length` long at the control's position, 0..length.
    int32_t FilledLength(int32_t length) const;
};

// The filled length of a bar of that length at position in min..max: 0 when max <= min.
int32_t ProgressFill(int32_t length, int32_t position, int32_t min, int32_t max);
