#include "skin/SkinObjImage.h"

#include <string>
#include <vector>

#include "classlib/GraphicsBase.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TSkinObjImage){};

TSkinObjImage::TSkinObjImage(TComponent* owner, TObjImageKind kind) : TSkinControl(owner), Kind(kind) {}

void TSkinObjImage::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (AttachedOnce || Attached) return;
    auto* control = DynamicAs<TControl>(Owner());
    if (!control || !data) return;
    AttachedOnce = true;
    SkinData = data;
    Form = form;
    Canvas = canvas;
    Control = control;
    SetColour = setColour;
    if (Form) Form->AddControlSkin(this);
    HandOver();
    Attached = true;
    State = scAttached;
}

void TSkinObjImage::SkinChanged() { HandOver(); }

void TSkinObjImage::Restore() {
    if (!Control) return;
    if (Kind == oiPropertiesCheck) {
        TObject* props = GetObjectPropByName(Control, "Properties", &TObject::StaticClassInfo());
        if (auto* glyph = static_cast<TBitmap*>(GetObjectPropByName(props, "Glyph", &TBitmap::StaticClassInfo())))
            glyph->Assign(nullptr);
    } else {
        SetPropByName(Control, "UseCustomGlyphs", "false");
    }
}

std::unique_ptr<TBitmap> TSkinObjImage::BuildGlyphStrip() const {
    TDataSkinButton* b = SkinData && SkinData->Buttons ? SkinData->Buttons.get() : nullptr;
    if (!b) return nullptr;
    const bool radio = Kind == oiRadioItem;
    TBitmap* source = radio ? b->RadioBitmap.get() : b->CheckBitmap.get();
    const int32_t frames = radio ? b->RadioFrames : b->CheckFrames;
    if (!source || source->Empty()) return nullptr;
    const TSize cell = SkinFrameSize(source, frames, false);
    if (cell.cx <= 0 || cell.cy <= 0) return nullptr;
    // Source frame (from 0) of each place; -1 stays empty unless the strip has a fifth frame.
    std::vector<int32_t> places;
    if (radio)
        places = {0, 1, 0, 1, 2, 3};
    else if (Kind == oiCheckItem)
        places = {0, 1, -1, 0, 1, -1, 2, 3, -1};
    else
        places = {0, 1, -1, 0, 1, -1};
    if (!radio && frames == 5)
        for (int32_t& p : places)
            if (p == -1) p = 4;
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(cell.cx * static_cast<int32_t>(places.size()), cell.cy);
    HDC dc = strip->Canvas()->Handle();
    FillColour(dc, TRect{0, 0, strip->Width(), strip->Height()}, TRANSPARENT_KEY);
    for (size_t i = 0; i < places.size(); ++i) {
        // Only frames the source has are copied.
        const TRect from = SkinFrameRect(source, frames, places[i] + 1, false);
        if (places[i] < 0 || from.right <= from.left) continue;
        BitBlt(dc, static_cast<int>(i) * cell.cx, 0, cell.cx, cell.cy, source->Canvas()->Handle(), from.left, from.top,
               SRCCOPY);
    }
    return strip;
}

void TSkinObjImage::HandOver() {
    if (!Control) return;
    std::unique_ptr<TBitmap> strip = BuildGlyphStrip();
    if (!strip) return;
    if (Kind == oiPropertiesCheck) {
        TObject* props = GetObjectPropByName(Control, "Properties", &TObject::StaticClassInfo());
        auto* glyph = static_cast<TBitmap*>(GetObjectPropByName(props, "Glyph", &TBitmap::StaticClassInfo()));
        if (!glyph) return;
        glyph->Assign(strip.get());
        glyph->SetTransparentColor(TRANSPARENT_KEY);
        glyph->SetTransparent(false);
        return;
    }
    if (auto* glyphs = static_cast<TBitmap*>(GetObjectPropByName(Control, "CustomGlyphs", &TBitmap::StaticClassInfo())))
        glyphs->Assign(strip.get());
    SetPropByName(Control, "transparentcolor", std::to_string(TRANSPARENT_KEY));
    // Off and on again: the control reloads its glyphs.
    SetPropByName(Control, "UseCustomGlyphs", "false");
    SetPropByName(Control, "UseCustomGlyphs", "true");
}
