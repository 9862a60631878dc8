#include "skin/SkinMediaPlayer.h"

#include <windows.h>

#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"
#include "skin/EngineBitmaps.h"
#include "skin/TinselData.h"
#include "skin/TinselForm.h"
#include "skin/TinselFormSkin.h"

DP_PUBLISHED(TWMediaPlayer){};
DP_PUBLISHED(TSkinMP){};

namespace {

const char* const kGlyphKinds[3] = {"EN", "DI", "CL"};
const char* const kButtonNames[kMPButtonCount] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                                  "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};
// The names the player's set properties use, in button order.
const char* const kSetNames[kMPButtonCount] = {"btPlay", "btPause", "btStop",   "btNext", "btPrev",
                                               "btStep", "btBack",  "btRecord", "btEject"};

enum { gkEn = 0, gkDi = 1, gkCl = 2 };

// The set as text; empty when the control has no such property.
std::string ButtonSetText(TControl* player, const char* name) {
    if (!player || !IsPublishedProp(player, name)) return {};
    try {
        return GetSetProp(player, name, true);
    } catch (const Exception&) {
        return {};
    }
}

}  // namespace

std::string MediaGlyphName(int kind, int button) {
    if (kind < 0 || kind > 2 || button < 0 || button >= kMPButtonCount) return {};
    return Format("%s_%s", kGlyphKinds[kind], kButtonNames[button]);
}

// --- the panel

TWMediaPlayer::TWMediaPlayer(TComponent* owner, TSkinMP* skin) : TCustomPanel(owner), Skin(skin) {
    for (int i = 0; i < kMPButtonCount; ++i)
        for (int k = 0; k < 3; ++k) {
            auto glyph = std::make_unique<TBitmap>();
            LoadEngineBitmap(*glyph, MediaGlyphName(k, i).c_str());
            PlayerButtons[i].Glyphs[k] = std::move(glyph);
        }
}

TWMediaPlayer::~TWMediaPlayer() = default;

void TWMediaPlayer::AttachTo(TControl* player) {
    Player = player;
    if (Skin) {
        Skin->FreeNotification(this);
        SkinData = Skin->SkinData;
        if (SkinData) SetTag(SkinData->DisableTag());
    }
    if (!player) return;
    player->FreeNotification(this);
    FollowPlayer(player);
    SetParent(player->Parent());
    // Over the player, whichever window was made first.
    BringToFront();
}

void TWMediaPlayer::FollowPlayer(TControl* player) {
    if (player) SetBounds(player->Left(), player->Top(), player->Width(), player->Height());
}

void TWMediaPlayer::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == Player) {
        Player = nullptr;
        Pressing = false;
        PressedButton = HitButton = kMPNoButton;
        Invalidate();
    }
    if (component == Skin) Skin = nullptr;
}

void TWMediaPlayer::ReadButtons() {
    const std::string visible = ButtonSetText(Player, "VisibleButtons");
    const std::string enabled = ButtonSetText(Player, "EnabledButtons");
    const std::string coloured = ButtonSetText(Player, "ColoredButtons");
    VisibleCount = 0;
    for (int i = 0; i < kMPButtonCount; ++i) {
        TMPPlayerButton& b = PlayerButtons[i];
        b.Visible = visible.find(kSetNames[i]) != std::string::npos;
        b.Enabled = enabled.find(kSetNames[i]) != std::string::npos;
        b.Coloured = coloured.find(kSetNames[i]) != std::string::npos;
        if (b.Visible) ++VisibleCount;
    }
}

TColor TWMediaPlayer::Face() const { return SkinData ? SkinData->Colours.ButtonFace : clBtnFace; }

uint8_t TWMediaPlayer::ButtonAt(int32_t x) const {
    int32_t s = 0;
    for (int i = 0; i < kMPButtonCount; ++i) {
        if (!PlayerButtons[i].Visible) continue;
        if (s <= x && x <= s + ButtonWidth) return static_cast<uint8_t>(i);
        s += ButtonWidth;
    }
    return kMPNoButton;
}

void TWMediaPlayer::Paint() {
    const int32_t w = ClientWidth(), h = ClientHeight();
    HDC target = Canvas()->Handle();
    ReadButtons();
    if (VisibleCount == 0 || w <= 0 || h <= 0) {
        ButtonWidth = 0;
        FillColour(target, TRect{0, 0, w, h}, Face());
        return;
    }
    ButtonWidth = w / VisibleCount;
    TBitmap work;
    work.SetPixelFormat(pf24bit);
    work.SetSize(w, h);
    FillColour(work.Canvas()->Handle(), TRect{0, 0, w, h}, Face());
    int32_t x = 0;
    for (int i = 0; i < kMPButtonCount; ++i) {
        if (!PlayerButtons[i].Visible) continue;
        DrawButton(work.Canvas(), i, TRect{x, 0, x + ButtonWidth, h});
        x += ButtonWidth;
    }
    BitBlt(target, 0, 0, w, h, work.Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TWMediaPlayer::DrawButton(TCanvas* canvas, int index, const TRect& rect) {
    const TMPPlayerButton& b = PlayerButtons[index];
    int kind = gkEn;
    if (!b.Enabled)
        kind = gkDi;
    else if (b.Coloured)
        kind = gkCl;
    int32_t frame = Pressing && PressedButton == index ? 2 : 1;
    if (!b.Enabled) frame = 3;
    if (TDataSkinButton* e = SkinData ? SkinData->Buttons.get() : nullptr)
        SkinDrawFrame(canvas->Handle(), rect, e->Bitmap.get(), false, e->Tile != 0, e->Trans == 1, e->Frames, frame,
                      e->Margins);
    TBitmap* glyph = b.Glyphs[kind].get();
    if (!glyph || glyph->Empty()) return;
    const int32_t gw = glyph->Width(), gh = glyph->Height();
    int32_t left = rect.left + (RectWidth(rect) - gw) / 2;
    int32_t top = (RectHeight(rect) - gh) / 2;
    // The glyph moves down-right while pressed.
    if (frame == 2) {
        ++left;
        ++top;
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->BrushCopy(TRect{left, top, left + gw, top + gh}, glyph, TRect{0, 0, gw, gh}, MediaGlyphTransparent);
}

void TWMediaPlayer::WndProc(TMessage& message) {
    switch (message.Msg) {
        // A quick second press comes as a double click; the player takes it as a press too.
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            Pressing = true;
            TCustomPanel::WndProc(message);
            if (Player) Player->Perform(message.Msg, message.WParam, message.LParam);
            ReleaseCapture();
            HitButton = ButtonAt(static_cast<int16_t>(LOWORD(message.LParam)));
            PressedButton = HitButton;
            Invalidate();
            return;
        }
        case WM_LBUTTONUP: {
            Pressing = false;
            TCustomPanel::WndProc(message);
            HitButton = ButtonAt(static_cast<int16_t>(LOWORD(message.LParam)));
            // Only a release on the button where the press began reaches the player.
            if (HitButton == PressedButton && Player) Player->Perform(message.Msg, message.WParam, message.LParam);
            PressedButton = HitButton;
            Invalidate();
            return;
        }
        default: TCustomPanel::WndProc(message); return;
    }
}

// --- the skin

TSkinMP::TSkinMP(TComponent* owner) : TSkinControl(owner) {}

TSkinMP::~TSkinMP() { FreePanel(); }

void TSkinMP::FreePanel() {
    TWMediaPlayer* panel = Panel;
    Panel = nullptr;
    delete panel;
}

void TSkinMP::AttachControl(TTinselForm* form, TSkinData* data, bool setColour, TCanvas* canvas) {
    if (Attached) return;
    TSkinControl::AttachControl(form, data, setColour, canvas);
    if (!Attached || !Control) return;
    Control->FreeNotification(this);
    Panel = new TWMediaPlayer(form, this);
    Panel->FreeNotification(this);
    Panel->AttachTo(Control);
    Panel->SetVisible(Control->Visible());
}

void TSkinMP::Restore() {
    TSkinControl::Restore();
    // A destroyed player window leaves the panel to its skin's end.
    if (State != scDestroyed) FreePanel();
}

void TSkinMP::AfterMessage(TMessage& message) {
    switch (message.Msg) {
        case WM_WINDOWPOSCHANGED:
            if (Panel) Panel->FollowPlayer(Control);
            break;
        case CM_VISIBLECHANGED:
            if (Panel && Control) Panel->SetVisible(Control->Visible());
            break;
        default: TSkinControl::AfterMessage(message); break;
    }
}

void TSkinMP::Notification(TComponent* component, TOperation operation) {
    TSkinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == Panel) Panel = nullptr;
    if (component == Control) {
        // The player went without us: nothing of it is read again.
        FreePanel();
        Control = nullptr;
        Enabled = false;
        State = scDestroyed;
    }
}
