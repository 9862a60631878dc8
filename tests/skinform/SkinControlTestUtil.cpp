#include "SkinControlTestUtil.h"

#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

namespace skinform {

COLORREF FrameColour(int index) { return RGB(40 * index, 200 - 30 * index, 100 + 20 * index); }

COLORREF GlyphColour(int index) { return RGB(250 - 20 * index, 20 * index, 60 + 10 * index); }

std::unique_ptr<TBitmap> GlyphStrip(int frames) {
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(frames * kGlyphSide, kGlyphSide);
    for (int i = 1; i <= frames; ++i)
        FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * kGlyphSide, 0, kGlyphSide, kGlyphSide), GlyphColour(i));
    return strip;
}

void InstallButtonStrip() {
    static bool done = false;
    if (done) return;
    done = true;
    TSkinData* data = Skin();
    if (!data->Buttons) data->Buttons = std::make_unique<TDataSkinButton>("Buttons");
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(5 * kFrameSide, kFrameSide);
    for (int i = 1; i <= 5; ++i)
        FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * kFrameSide, 0, kFrameSide, kFrameSide), FrameColour(i));
    data->Buttons->Bitmap = std::move(strip);
    data->Buttons->Frames = 5;
    data->Buttons->Margins = TRect{0, 0, 0, 0};
    data->Buttons->Trans = 0;
    data->Buttons->Tile = 0;
    data->Buttons->HasNormalColour2 = data->Buttons->HasMouseOverColour2 = data->Buttons->HasPressedColour2 = false;
    data->Buttons->CheckBitmap = GlyphStrip(4);
    data->Buttons->CheckFrames = 4;
    data->Buttons->RadioBitmap = GlyphStrip(4);
    data->Buttons->RadioFrames = 4;
}

std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make) {
    InstallButtonStrip();
    return MakeSkinnedForm("Control skins", {100, 100, 560, 460}, make);
}

int SkinsOf(TTinselForm* form, TControl* control) {
    int n = 0;
    for (TSkinControl* s : form->ControlSkins)
        if (s->Control == control || s->GraphicControl == control) ++n;
    return n;
}

COLORREF ScreenAt(TControl* c, int x, int y) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    return ScreenPixel(p.x, p.y);
}

bool ScreenShows(TControl* c, int frame) {
    return PumpUntil([&] { return ScreenAt(c, 4, 4) == FrameColour(frame); },
                     "frame " + std::to_string(frame) + " of the button strip on the screen");
}

}  // namespace skinform
