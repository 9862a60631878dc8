// Small stand-ins carrying the class names of other control libraries that the skin's
// class map and dispatch know. Each publishes only the properties the skins read or
// write, and counts what the skins asked of it. Test code only.
#pragma once

#include <memory>

#include "classlib/Buttons.h"
#include "classlib/ExtCtrls.h"
#include "classlib/StdCtrls.h"

// No properties of their own: a button the class map turns off, a panel it makes a button.
class TMapButton : public TButton {
    DP_DECLARE_CLASS(TMapButton, TButton)
public:
    using TButton::TButton;
};

class TMapPanel : public TPanel {
    DP_DECLARE_CLASS(TMapPanel, TPanel)
public:
    using TPanel::TPanel;
};

// Buttons with a Kind: the drop-down kind gets the menu-button skin.
enum TcxButtonKind { cxbkStandard, cxbkDropDown, cxbkDropDownButton };
DP_ENUM_INFO(TcxButtonKind, "cxbkStandard", "cxbkDropDown", "cxbkDropDownButton")

class TcxButton : public TButton {
    DP_DECLARE_CLASS(TcxButton, TButton)
public:
    using TButton::TButton;
    TcxButtonKind Kind() const { return FKind; }
    void SetKind(TcxButtonKind v) { FKind = v; }

private:
    TcxButtonKind FKind = cxbkStandard;
};

class TRzMenuButton : public TButton {
    DP_DECLARE_CLASS(TRzMenuButton, TButton)
public:
    using TButton::TButton;
};

// A button whose picture is a named graphic property.
class TPngBitBtn : public TButton {
    DP_DECLARE_CLASS(TPngBitBtn, TButton)
public:
    explicit TPngBitBtn(TComponent* owner);
    TBitmap* PngImage() const { return FImage.get(); }
    void SetPngImage(TBitmap* v) {
        if (v) FImage->Assign(v);
    }

private:
    std::unique_ptr<TBitmap> FImage;
};

// A bit button of another library: its glyph count is not held to 1..4.
class TRzBitbtn : public TButton {
    DP_DECLARE_CLASS(TRzBitbtn, TButton)
public:
    explicit TRzBitbtn(TComponent* owner);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* v) {
        if (v) FGlyph->Assign(v);
    }
    int32_t NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int32_t v) { FNumGlyphs = v; }

private:
    std::unique_ptr<TBitmap> FGlyph;
    int32_t FNumGlyphs = 1;
};

// Check boxes and radio buttons that draw their own glyphs from a bitmap property.
class TRzCheckBox : public TCustomControl {
    DP_DECLARE_CLASS(TRzCheckBox, TCustomControl)
public:
    explicit TRzCheckBox(TComponent* owner);
    TBitmap* CustomGlyphs() const { return FGlyphs.get(); }
    void SetCustomGlyphs(TBitmap* v) {
        if (v) FGlyphs->Assign(v);
    }
    int32_t TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(int32_t v) { FTransparentColor = v; }
    bool UseCustomGlyphs() const { return FUseCustomGlyphs; }
    void SetUseCustomGlyphs(bool v);
    // How often the glyphs were switched on.
    int Reloads = 0;

private:
    std::unique_ptr<TBitmap> FGlyphs;
    int32_t FTransparentColor = 0;
    bool FUseCustomGlyphs = false;
};

class TRzRadioButton : public TRzCheckBox {
    DP_DECLARE_CLASS(TRzRadioButton, TRzCheckBox)
public:
    using TRzCheckBox::TRzCheckBox;
};

// Groups whose items are the controls above.
class TRzCheckGroup : public TCustomControl {
    DP_DECLARE_CLASS(TRzCheckGroup, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

class TRzRadioGroup : public TCustomControl {
    DP_DECLARE_CLASS(TRzRadioGroup, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

// A check box that keeps its glyph in a Properties object.
class TcxCheckBoxProperties : public TPersistent {
    DP_DECLARE_CLASS(TcxCheckBoxProperties, TPersistent)
public:
    TcxCheckBoxProperties();
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* v) {
        if (v) FGlyph->Assign(v);
    }

private:
    std::unique_ptr<TBitmap> FGlyph;
};

class TcxCheckBox : public TCustomControl {
    DP_DECLARE_CLASS(TcxCheckBox, TCustomControl)
public:
    explicit TcxCheckBox(TComponent* owner);
    TcxCheckBoxProperties* Properties() const { return FProperties.get(); }
    void SetProperties(TcxCheckBoxProperties*) {}

private:
    std::unique_ptr<TcxCheckBoxProperties> FProperties;
};

// Containers: a navigator (its buttons skinned one by one), a panel the dispatch only
// walks into, a group the class map makes a transparent panel.
class TDBNavigator : public TCustomControl {
    DP_DECLARE_CLASS(TDBNavigator, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

class TMVCPanel : public TCustomControl {
    DP_DECLARE_CLASS(TMVCPanel, TCustomControl)
public:
    using TCustomControl::TCustomControl;
};

class TRzGroup : public TCustomControl {
    DP_DECLARE_CLASS(TRzGroup, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; }

private:
    bool FTransparent = false;
};

// Panels whose windows carry the window-class names the bare-window dispatch knows.
class TTntPanel : public TPanel {
    DP_DECLARE_CLASS(TTntPanel, TPanel)
public:
    using TPanel::TPanel;

protected:
    void CreateParams(TCreateParams& params) override;
};

class TSilentPaintPanel : public TPanel {
    DP_DECLARE_CLASS(TSilentPaintPanel, TPanel)
public:
    using TPanel::TPanel;
};
