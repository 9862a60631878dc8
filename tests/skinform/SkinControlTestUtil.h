// Shared by the control-skin tests: strips whose every frame has its own colour put into
// the test skin, forms made in code and skinned, and which skin a control got.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "SkinFormTestUtil.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"

class TSkinControl;
class TTinselForm;

namespace skinform {

// The [Buttons] strip: five frames of kFrameSide, frame i in FrameColour(i).
constexpr int kFrameSide = 24;
COLORREF FrameColour(int index);
// Check and radio strips: frames of kGlyphSide, frame i in GlyphColour(i).
constexpr int kGlyphSide = 14;
COLORREF GlyphColour(int index);
std::unique_ptr<TBitmap> GlyphStrip(int frames);
// Puts the strips into the test skin once (4-frame check and radio strips).
void InstallButtonStrip();

// A skinned form holding what make put on it, with the strips installed.
std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make);

int SkinsOf(TTinselForm* form, TControl* control);

COLORREF ScreenAt(TControl* c, int x, int y);
// Waits until the screen shows frame of the button strip at the control's (4, 4).
bool ScreenShows(TControl* c, int frame);

}  // namespace skinform
