// The media player under its skin: the panel that covers it, its buttons drawn from a
// [Buttons] strip whose every frame has its own colour, the press-and-release rule under
// a real mouse, and the panel's life beside the player's.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SkinFormTestUtil.h"
#include "classlib/Forms.h"
#include "classlib/MPlayer.h"
#include "classlib/StdCtrls.h"
#include "skin/SkinMediaPlayer.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

namespace {
using namespace skinform;

constexpr int kSide = 24;
COLORREF FrameColour(int index) { return RGB(30 * index, 220 - 40 * index, 90 + 25 * index); }

// The skin's [Buttons] strip swapped for five frames of their own colour while it lives.
class FrameStrip {
public:
    FrameStrip() {
        TDataSkinButton* b = Skin()->Buttons.get();
        saved_ = std::move(b->Bitmap);
        frames_ = b->Frames;
        margins_ = b->Margins;
        trans_ = b->Trans;
        tile_ = b->Tile;
        auto strip = std::make_unique<TBitmap>();
        strip->SetPixelFormat(pf24bit);
        strip->SetSize(5 * kSide, kSide);
        for (int i = 1; i <= 5; ++i)
            FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * kSide, 0, kSide, kSide), FrameColour(i));
        b->Bitmap = std::move(strip);
        b->Frames = 5;
        b->Margins = TRect{0, 0, 0, 0};
        b->Trans = 0;
        b->Tile = 0;
    }
    ~FrameStrip() {
        TDataSkinButton* b = Skin()->Buttons.get();
        b->Bitmap = std::move(saved_);
        b->Frames = frames_;
        b->Margins = margins_;
        b->Trans = trans_;
        b->Tile = tile_;
    }

private:
    std::unique_ptr<TBitmap> saved_;
    int32_t frames_ = 0, trans_ = 0, tile_ = 0;
    TRect margins_{0, 0, 0, 0};
};

struct Clicks : TObject {
    std::vector<TMPBtnType> Seen;
    void Clicked(TObject*, TMPBtnType button, bool&) { Seen.push_back(button); }
};

// A skinned form with a three-button player 100 pixels wide.
struct PlayerForm {
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TMediaPlayer* Player = nullptr;
    TTinselForm* FormSkin = nullptr;
    Clicks Sink;

    explicit PlayerForm(TButtonSet enabled = {btPlay, btPause, btStop}) {
        Form = NewForm<TForm>(nullptr);
        Form->SetCaption("Media player skin");
        Form->SetBounds(120, 100, 300, 200);
        Edit = new TEdit(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(20, 100, 120, 22);
        Player = new TMediaPlayer(Form);
        Player->SetParent(Form);
        Player->SetBounds(20, 20, 100, 30);
        Player->SetVisibleButtons({btPlay, btPause, btStop});
        Player->SetEnabledButtons(enabled);
        Player->SetColoredButtons({});
        Player->OnClick = TEMNotify(&Sink, &Clicks::Clicked);
        Form->Show();
        Pump();
        FormSkin = WaitSkinned(Form->Handle());
        Edit->SetFocus();
        MouseMove(1000, 740);
    }
    ~PlayerForm() {
        delete Form;
        Pump();
    }
    TSkinMP* PlayerSkin() const {
        if (!FormSkin) return nullptr;
        for (TSkinControl* s : FormSkin->ControlSkins)
            if (s->Control == Player && s->State == scAttached) return DynamicAs<TSkinMP>(s);
        return nullptr;
    }
    TWMediaPlayer* Panel() const {
        TSkinMP* s = PlayerSkin();
        return s ? s->Panel : nullptr;
    }
    TPoint Screen(int x, int y) const { return Player->ClientToScreen(TPoint{x, y}); }
    COLORREF At(int x, int y) const {
        const TPoint p = Screen(x, y);
        return ScreenPixel(p.x, p.y);
    }
};

std::string Str(const TRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The middle of button i's left border strip, away from the glyph.
constexpr int kButtonWidth = 33;
int FrameX(int i) { return i * kButtonWidth + 3; }

}  // namespace

TEST(MediaPlayerSkin, ThePanelCoversThePlayerAndDrawsEachButtonAThird) {
    PlayerForm f({btPlay, btPause});
    ASSERT_NE(f.FormSkin, nullptr);
    TSkinMP* skin = f.PlayerSkin();
    ASSERT_NE(skin, nullptr) << "the dispatch gives a media player its skin";
    TWMediaPlayer* panel = skin->Panel;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Parent(), f.Form);
    EXPECT_EQ(Str(panel->BoundsRect()), Str(f.Player->BoundsRect()));
    EXPECT_EQ(panel->Tag(), Skin()->DisableTag());
    EXPECT_EQ(SendMessageA(panel->Handle(), WM_SKIN_QUERY, 0, 0), 0) << "the panel itself is not skinned";
    EXPECT_TRUE(panel->Visible());
    // Above the player: the window at the player's centre is the panel's.
    const TPoint centre = f.Screen(50, 15);
    EXPECT_EQ(WindowFromPoint(POINT{centre.x, centre.y}), panel->Handle());
    for (int i = 0; i < kMPButtonCount; ++i)
        for (int k = 0; k < 3; ++k)
            EXPECT_FALSE(panel->PlayerButtons[i].Glyphs[k]->Empty()) << MediaGlyphName(k, i) << " is linked in";
    panel->Invalidate();
    Pump();
    EXPECT_TRUE(ShotWindow(f.Form->Handle(), "mediaplayer-skinned.png"));

    FrameStrip strip;
    // Coloured: pause shows its coloured glyph; stop is disabled, which wins.
    f.Player->SetColoredButtons({btPause, btStop});
    panel->Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return f.At(FrameX(0), 3) == FrameColour(1); }, "the play button's frame"));
    EXPECT_EQ(panel->ButtonWidth, kButtonWidth);
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace);
    const struct {
        int x;
        COLORREF colour;
        const char* what;
    } columns[] = {
        {FrameX(0), FrameColour(1), "play, enabled"},  {FrameX(1), FrameColour(1), "pause, enabled"},
        {FrameX(2), FrameColour(3), "stop, disabled"}, {98, FrameColour(3), "the last column of the third button"},
        {99, face, "the remainder of 100 div 3"},
    };
    for (const auto& c : columns) EXPECT_EQ(f.At(c.x, 3), c.colour) << c.what;
    // The glyphs sit centred on the frame, olive left out.
    const int gx = (kButtonWidth - 17) / 2, gy = (30 - 13) / 2;
    const struct {
        int x, y;
        COLORREF colour;
        const char* what;
    } glyphs[] = {
        {gx + 6, gy + 6, RGB(0, 0, 0), "the play triangle, enabled: black"},
        {kButtonWidth + gx + 5, gy + 5, RGB(0xA0, 0x60, 0), "the pause bars, coloured"},
        {2 * kButtonWidth + gx + 8, gy + 6, RGB(128, 128, 128), "the stop square, disabled though coloured: grey"},
        {gx + 14, gy + 1, FrameColour(1), "beside the triangle: the frame, not olive"},
    };
    for (const auto& g : glyphs) EXPECT_EQ(f.At(g.x, g.y), g.colour) << g.what;

    const struct {
        int x, button;
    } hits[] = {{0, 0}, {32, 0}, {33, 0}, {34, 1}, {66, 1}, {67, 2}, {99, 2}, {100, kMPNoButton}, {-1, kMPNoButton}};
    for (const auto& h : hits) EXPECT_EQ(panel->ButtonAt(h.x), h.button) << "x " << h.x;

    // No visible button: a plain face, and no button anywhere.
    f.Player->SetVisibleButtons({});
    panel->Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return f.At(FrameX(0), 3) == face; }, "the empty player's face"));
    EXPECT_EQ(panel->ButtonAt(10), kMPNoButton);
}

TEST(MediaPlayerSkin, OnlyAPressAndReleaseOnTheSameButtonIsAClick) {
    PlayerForm f;
    ASSERT_NE(f.Panel(), nullptr);
    FrameStrip strip;
    TWMediaPlayer* panel = f.Panel();
    panel->Invalidate();
    ASSERT_TRUE(PumpUntil([&] { return f.At(FrameX(0), 3) == FrameColour(1); }, "the play button's frame"));
    const TPoint play = f.Screen(16, 15), stop = f.Screen(2 * kButtonWidth + 16, 15);

    // Press on play, release on stop: the pressed frame stays on play, and no click.
    MouseMove(play.x, play.y);
    MouseDown(play.x, play.y);
    EXPECT_TRUE(PumpUntil([&] { return f.At(FrameX(0), 3) == FrameColour(2); }, "play pressed"));
    MouseMove(stop.x, stop.y);
    Pump();
    EXPECT_TRUE(panel->Pressing);
    EXPECT_EQ(panel->PressedButton, btPlay);
    EXPECT_EQ(f.At(FrameX(0), 3), FrameColour(2));
    EXPECT_EQ(f.At(FrameX(2), 3), FrameColour(1));
    MouseUp(stop.x, stop.y);
    EXPECT_TRUE(PumpUntil([&] { return !panel->Pressing && panel->PressedButton == btStop; }, "the release on stop"));
    EXPECT_TRUE(PumpUntil([&] { return f.At(FrameX(0), 3) == FrameColour(1); }, "play released"));
    EXPECT_TRUE(f.Sink.Seen.empty()) << "a release on another button is no click";

    // Press and release on play: the player's click event.
    MouseMove(play.x, play.y);
    MouseDown(play.x, play.y);
    EXPECT_TRUE(PumpUntil([&] { return panel->Pressing; }, "the second press"));
    MouseUp(play.x, play.y);
    EXPECT_TRUE(PumpUntil([&] { return !f.Sink.Seen.empty(); }, "the player's OnClick"));
    ASSERT_EQ(f.Sink.Seen.size(), 1u);
    EXPECT_EQ(f.Sink.Seen[0], btPlay);
    MouseMove(1000, 740);
}

TEST(MediaPlayerSkin, ThePanelFollowsThePlayerAndGoesWithItsSkin) {
    {
        PlayerForm f;
        TWMediaPlayer* panel = f.Panel();
        ASSERT_NE(panel, nullptr);
        f.Player->SetBounds(40, 30, 150, 40);
        EXPECT_EQ(Str(panel->BoundsRect()), Str(f.Player->BoundsRect())) << "moved and resized with the player";
        f.Player->SetVisible(false);
        EXPECT_FALSE(panel->Visible());
        f.Player->SetVisible(true);
        EXPECT_TRUE(panel->Visible());

        // Freeing the player frees its skin and the panel; nothing paints from it afterwards.
        const HWND panelWnd = panel->Handle();
        delete f.Player;
        f.Player = nullptr;
        EXPECT_FALSE(IsWindow(panelWnd));
        InvalidateRect(f.Form->Handle(), nullptr, TRUE);
        Pump();
        SendMessageA(f.Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);
        Pump();
    }
    {
        // The player's window destroyed first: the panel stays until the player goes.
        PlayerForm f;
        TWMediaPlayer* panel = f.Panel();
        ASSERT_NE(panel, nullptr);
        const HWND panelWnd = panel->Handle();
        f.Player->DestroyHandle();
        EXPECT_TRUE(IsWindow(panelWnd));
        delete f.Player;
        f.Player = nullptr;
        EXPECT_FALSE(IsWindow(panelWnd));
        Pump();
    }
    {
        // Unskinning the form takes the panel away and leaves the player as it was.
        PlayerForm f;
        TWMediaPlayer* panel = f.Panel();
        ASSERT_NE(panel, nullptr);
        const HWND panelWnd = panel->Handle();
        f.FormSkin->FreeControlSkins();
        EXPECT_FALSE(IsWindow(panelWnd));
        const TPoint centre = f.Screen(50, 15);
        EXPECT_EQ(WindowFromPoint(POINT{centre.x, centre.y}), f.Player->Handle());
    }
}
