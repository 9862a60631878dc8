#include "skin/TinselData.h"

#include "classlib/TypInfo.h"

DP_PUBLISHED(TDataSkinObject){};
DP_PUBLISHED(TDataSkinBorder){};
DP_PUBLISHED(TDataSkinTitle){};
DP_PUBLISHED(TDataSkinButton){};
DP_PUBLISHED(TDataSkinSysButton){};
DP_PUBLISHED(TDataSkinBoxLabel){};

TDataSkinObject::TDataSkinObject(const std::string& name) : Bitmap(std::make_unique<TBitmap>()), Name(name) {}
TDataSkinObject::~TDataSkinObject() = default;

TDataSkinBorder::TDataSkinBorder(const std::string& name)
    : TDataSkinObject(name), Bitmap2(std::make_unique<TBitmap>()) {}
TDataSkinBorder::~TDataSkinBorder() = default;

TDataSkinTitle::TDataSkinTitle(const std::string& name) : TDataSkinObject(name) {}
TDataSkinTitle::~TDataSkinTitle() = default;

TDataSkinButton::TDataSkinButton(const std::string& name)
    : TDataSkinObject(name), CheckBitmap(std::make_unique<TBitmap>()), RadioBitmap(std::make_unique<TBitmap>()) {}
TDataSkinButton::~TDataSkinButton() = default;

TDataSkinSysButton::TDataSkinSysButton(const std::string& name) : TDataSkinObject(name) {}
TDataSkinSysButton::~TDataSkinSysButton() = default;

TDataSkinBoxLabel::TDataSkinBoxLabel(const std::string& name) : TDataSkinObject(name) {}
TDataSkinBoxLabel::~TDataSkinBoxLabel() = default;

TRect SkinFrameRect(TBitmap* strip, int32_t frames, int32_t index, bool vertical) {
    TSkinCell cell;
    if (!strip || strip->Empty() || !SkinFrameCell(strip->Width(), strip->Height(), frames, index, vertical, cell))
        return Rect(0, 0, 0, 0);
    return Bounds(cell.Left, cell.Top, cell.Width, cell.Height);
}

TSize SkinFrameSize(TBitmap* strip, int32_t frames, bool vertical) {
    const TRect r = SkinFrameRect(strip, frames, 1, vertical);
    return TSize{RectWidth(r), RectHeight(r)};
}
