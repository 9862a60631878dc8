// The older tab row and a tabbed page control of another library, from the skin's [Tabs]
// strip: the tab set's row drawn with the strip flipped (its tabs hang from the top
// edge), tabs that do not fit left out; the other control is handed pictures of the
// strip's normal and current frames through its own published properties and paints
// itself with them.
#pragma once

#include <memory>

#include "skin/WinSubClass.h"

class TSkinTab31 : public TSkinControl {
    DP_DECLARE_CLASS(TSkinTab31, TSkinControl)
public:
    explicit TSkinTab31(TComponent* owner);
    ~TSkinTab31() override;

    // Subclasses the owner tab set's window.
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    bool BeforeMessage(TMessage& message) override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    void SkinChanged() override;

    std::unique_ptr<TBitmap> StripImage;
    TSkinControl* UpDown = nullptr;
    // The tab set's arrows (its owned TTabScroller), nil without them.
    TControl* ScrollControl = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void Prepare();
    bool ScrollControlVisible() const;
    // The arrows get their up-down skin the first time they are seen.
    bool CheckScrollArrows();
};

class TSkinAdvPage : public TSkinControl {
    DP_DECLARE_CLASS(TSkinAdvPage, TSkinControl)
public:
    explicit TSkinAdvPage(TComponent* owner);

    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    // Hands both properties an empty picture.
    void Restore() override;
    void DrawSkin(HDC dc, const TRect& rect) override;
    void SkinChanged() override;

    TSkinControl* UpDown = nullptr;
    // 4: build the tab pictures.
    int32_t Mode = 0;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    void BuildTabPictures();
    void SetPictures(TBitmap* normal, TBitmap* current);
};
