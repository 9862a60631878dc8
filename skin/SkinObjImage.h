// Check boxes and radio buttons of control families that draw their own glyphs from a
// bitmap property: the skin cuts its check or radio strip into the glyph layout such a
// control expects and hands it over through the control's published properties. It
// hooks no window; taking it off gives the control back its built-in glyphs.
#pragma once

#include <memory>

#include "skin/WinSubClass.h"

enum TObjImageKind : int32_t { oiCheckItem = 1, oiRadioItem = 2, oiPropertiesCheck = 3 };

class TSkinObjImage : public TSkinControl {
    DP_DECLARE_CLASS(TSkinObjImage, TSkinControl)
public:
    explicit TSkinObjImage(TComponent* owner, TObjImageKind kind = oiCheckItem);
    // Once only: registers with the form and hands the glyphs over.
    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void Restore() override;
    void SkinChanged() override;
    bool BeforeMessage(TMessage&) override { return true; }
    void AfterMessage(TMessage&) override {}

    // The glyph strip the kind expects, cut from the skin's strip; nil without one.
    // Places whose source frame the strip has not stay in the key colour.
    std::unique_ptr<TBitmap> BuildGlyphStrip() const;

    TObjImageKind Kind;
    bool AttachedOnce = false;

private:
    void HandOver();
};
