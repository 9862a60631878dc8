#include "ForeignControls.h"

DP_PUBLISHED(TMapButton){};
DP_PUBLISHED(TMapPanel){};
DP_PUBLISHED(TcxButton){DP_PROP_ENUM(Kind, Kind, SetKind)};
DP_PUBLISHED(TRzMenuButton){};
DP_PUBLISHED(TPngBitBtn){DP_PROP_OBJ(PngImage, PngImage, SetPngImage)};
DP_PUBLISHED(TRzBitbtn){DP_PROP_OBJ(Glyph, Glyph, SetGlyph), DP_PROP_INT(NumGlyphs, NumGlyphs, SetNumGlyphs)};
DP_PUBLISHED(TRzCheckBox){
    DP_PROP_OBJ(CustomGlyphs, CustomGlyphs, SetCustomGlyphs),
    DP_PROP_INT(TransparentColor, TransparentColor, SetTransparentColor),
    DP_PROP_BOOL(UseCustomGlyphs, UseCustomGlyphs, SetUseCustomGlyphs),
};
DP_PUBLISHED(TRzRadioButton){};
DP_PUBLISHED(TRzCheckGroup){};
DP_PUBLISHED(TRzRadioGroup){};
DP_PUBLISHED(TcxCheckBoxProperties){DP_PROP_OBJ(Glyph, Glyph, SetGlyph)};
DP_PUBLISHED(TcxCheckBox){DP_PROP_OBJ(Properties, Properties, SetProperties)};
DP_PUBLISHED(TDBNavigator){};
DP_PUBLISHED(TMVCPanel){};
DP_PUBLISHED(TRzGroup){DP_PROP_BOOL(Transparent, Transparent, SetTransparent)};
DP_PUBLISHED(TTntPanel){};
DP_PUBLISHED(TSilentPaintPanel){};

TPngBitBtn::TPngBitBtn(TComponent* owner) : TButton(owner), FImage(std::make_unique<TBitmap>()) {}

TRzBitbtn::TRzBitbtn(TComponent* owner) : TButton(owner), FGlyph(std::make_unique<TBitmap>()) {}

TRzCheckBox::TRzCheckBox(TComponent* owner) : TCustomControl(owner), FGlyphs(std::make_unique<TBitmap>()) {}

void TRzCheckBox::SetUseCustomGlyphs(bool v) {
    if (v && !FUseCustomGlyphs) ++Reloads;
    FUseCustomGlyphs = v;
}

TcxCheckBoxProperties::TcxCheckBoxProperties() : FGlyph(std::make_unique<TBitmap>()) {}

TcxCheckBox::TcxCheckBox(TComponent* owner)
    : TCustomControl(owner), FProperties(std::make_unique<TcxCheckBoxProperties>()) {}

void TTntPanel::CreateParams(TCreateParams& params) {
    TPanel::CreateParams(params);
    params.WinClassName = "TTntPanel.UnicodeClass";
}
