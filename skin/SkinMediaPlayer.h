// The media player skinned by covering it: a panel of the player's size in the same
// parent draws each visible button as a frame of the skin's [Buttons] strip with the
// program's own glyph on it, and hands presses and releases to the player, which stays
// the control that acts. A release on another button than the press is not passed on,
// so it is never a click. The panel goes with its skin, and both let go of a player that
// is freed first, so nothing paints from a freed player.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "classlib/ExtCtrls.h"
#include "classlib/MPlayer.h"
#include "skin/WinSubClass.h"

class TSkinMP;

// The glyph bitmaps' resource names: "EN_MPPLAY", "DI_MPEJECT"... (kind 0 enabled, 1
// disabled, 2 coloured); their transparent colour is olive.
std::string MediaGlyphName(int kind, int button);
constexpr TColor MediaGlyphTransparent = 0x008080;

struct TMPPlayerButton {
    bool Visible = false;
    bool Enabled = false;
    bool Coloured = false;
    std::unique_ptr<TBitmap> Glyphs[3];  // enabled, disabled, coloured
};

class TWMediaPlayer : public TCustomPanel {
    DP_DECLARE_CLASS(TWMediaPlayer, TCustomPanel)
public:
    // Made by its skin only (never from a stored definition); loads the 27 glyphs, a
    // missing resource leaving its bitmap empty.
    TWMediaPlayer(TComponent* owner, TSkinMP* skin);
    ~TWMediaPlayer() override;

    // Covers the player: its bounds, its parent, the skin's DisableTag (so the panel
    // itself is never skinned).
    void AttachTo(TControl* player);
    void FollowPlayer(TControl* player);
    // The visible button at x as of the last paint (a point on a border belongs to the
    // left button), or kMPNoButton.
    uint8_t ButtonAt(int32_t x) const;
    // Which buttons the player shows, enables and colours, read by name.
    void ReadButtons();

    TMPPlayerButton PlayerButtons[kMPButtonCount];
    int32_t VisibleCount = 0;
    TSkinData* SkinData = nullptr;
    bool Pressing = false;
    uint8_t PressedButton = kMPNoButton;
    uint8_t HitButton = kMPNoButton;
    int32_t ButtonWidth = 0;
    TControl* Player = nullptr;
    TSkinMP* Skin = nullptr;

    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    void DrawButton(TCanvas* canvas, int index, const TRect& rect);
    TColor Face() const;
};

class TSkinMP : public TSkinControl {
    DP_DECLARE_CLASS(TSkinMP, TSkinControl)
public:
    explicit TSkinMP(TComponent* owner);
    ~TSkinMP() override;

    void AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) override;
    void Restore() override;
    void AfterMessage(TMessage& message) override;

    TWMediaPlayer* Panel = nullptr;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void FreePanel();
};
