// The media player control: a row of up to nine buttons with glyphs of its
// own. It opens no media device; clicks only raise its events.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/Controls.h"

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
DP_ENUM_INFO(TMPBtnType, "btPlay", "btPause", "btStop", "btNext", "btPrev", "btStep", "btBack", "btRecord", "btEject")
using TButtonSet = TSet<TMPBtnType>;
constexpr int kMPButtonCount = 9;
// What ButtonAt answers off every visible button.
constexpr int kMPNoButton = 9;
constexpr TButtonSet kMPAllButtons = TButtonSet::FromMask(0x1FF);

// Setting DoDefault to false skips the button's own action.
using TEMNotify = TEvent<void(TObject* Sender, TMPBtnType Button, bool& DoDefault)>;
using TEMPostNotify = TEvent<void(TObject* Sender, TMPBtnType Button)>;

enum TMPGlyphKind { gkEnabled, gkDisabled, gkColored };
// Paints one button's glyph centred in r (no face): black when enabled, in its
// own colour when coloured, embossed grey when disabled.
void DrawMediaButtonGlyph(HDC dc, const TRect& r, TMPBtnType button, TMPGlyphKind kind);

class TMediaPlayer : public TCustomControl {
    DP_DECLARE_CLASS(TMediaPlayer, TCustomControl)
public:
    explicit TMediaPlayer(TComponent* owner);
    ~TMediaPlayer() override;

    TButtonSet VisibleButtons() const { return m_visibleButtons; }
    void SetVisibleButtons(TButtonSet v);
    TButtonSet EnabledButtons() const { return m_enabledButtons; }
    void SetEnabledButtons(TButtonSet v);
    TButtonSet ColoredButtons() const { return m_coloredButtons; }
    void SetColoredButtons(TButtonSet v);
    // Kept for stored definitions; no device is ever opened.
    bool AutoEnable() const { return m_autoEnable; }
    void SetAutoEnable(bool v) { m_autoEnable = v; }
    bool AutoOpen() const { return m_autoOpen; }
    void SetAutoOpen(bool v) { m_autoOpen = v; }
    bool AutoRewind() const { return m_autoRewind; }
    void SetAutoRewind(bool v) { m_autoRewind = v; }
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& v) { m_fileName = v; }

    int VisibleCount() const;
    // Client width divided among the visible buttons (0 without any); the rest stays at the right end.
    int ButtonWidth();
    // The rectangle of a visible button in client coordinates, empty for a hidden one.
    TRect ButtonRect(TMPBtnType button);
    // The visible button at x (a point on the border belongs to the left button), or kMPNoButton.
    int ButtonAt(int x);
    // What a full click on the button does: OnClick, the (empty) default action, OnPostClick.
    // A hidden or disabled button does nothing.
    void ClickButton(TMPBtnType button);

    // Hides TControl's: this one names the button.
    TEMNotify OnClick;
    TEMPostNotify OnPostClick;

    void WndProc(TMessage& message) override;

protected:
    void Paint() override;

private:
    TButtonSet m_visibleButtons = kMPAllButtons;
    TButtonSet m_enabledButtons = kMPAllButtons;
    TButtonSet m_coloredButtons = kMPAllButtons;
    bool m_autoEnable = true;
    bool m_autoOpen = false;
    bool m_autoRewind = true;
    std::string m_fileName;
    int m_pressed = kMPNoButton;  // the button the press began on
    bool m_pressing = false;
    bool m_over = false;  // the mouse is over the pressed button
};
