// Track bars, up-downs, progress bars and edits on a skinned form: which control gets which
// skin (foreign classes of the class map too), the thumb, channel, up-down halves and progress
// fill drawn from strips whose every part has its own colour, the edits' skinned border in
// each state, and repaints that keep the GDI count.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "SkinFormTestUtil.h"
#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/WindowSubclass.h"
#include "skin/SkinEdit.h"
#include "skin/SkinProgress.h"
#include "skin/SkinTrackBar.h"
#include "skin/SkinUpDown.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

// Classes of other control libraries as the dispatch and the class map name them.
class TSpinButton : public TUpDown {
    DP_DECLARE_CLASS(TSpinButton, TUpDown)
public:
    using TUpDown::TUpDown;
};
DP_PUBLISHED(TSpinButton){};

// An edit with buttons (class map row "edit").
class TRzButtonEdit : public TEdit {
    DP_DECLARE_CLASS(TRzButtonEdit, TEdit)
public:
    using TEdit::TEdit;
};
DP_PUBLISHED(TRzButtonEdit){};

// An edit of another library (not one of ours) that tells its buttons by a published count.
class TDCEdit : public TWinControl {
    DP_DECLARE_CLASS(TDCEdit, TWinControl)
public:
    using TWinControl::TWinControl;
    int32_t NumButtons() const { return m_buttons; }
    void SetNumButtons(int32_t v) { m_buttons = v; }

protected:
    void CreateParams(TCreateParams& p) override {
        TWinControl::CreateParams(p);
        CreateSubClass(p, "EDIT");
        p.ExStyle |= WS_EX_CLIENTEDGE;
    }

private:
    int32_t m_buttons = 0;
};
DP_PUBLISHED(TDCEdit){DP_PROP_INT(NumButtons, NumButtons, SetNumButtons)};

class TRichEdit : public TMemo {
    DP_DECLARE_CLASS(TRichEdit, TMemo)
public:
    using TMemo::TMemo;
};
DP_PUBLISHED(TRichEdit){};

class TMapTrack : public TTrackBar {
    DP_DECLARE_CLASS(TMapTrack, TTrackBar)
public:
    using TTrackBar::TTrackBar;
};
DP_PUBLISHED(TMapTrack){};

class TMapProgress : public TProgressBar {
    DP_DECLARE_CLASS(TMapProgress, TProgressBar)
public:
    using TProgressBar::TProgressBar;
};
DP_PUBLISHED(TMapProgress){};

namespace {
using namespace skinform;

// --- a form of the test's controls, skinned

std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make) {
    return MakeSkinnedForm("Tracker skins", {80, 80, 600, 480}, make);
}

std::string SkinName(TSkinControl* s) { return s ? s->ClassName() : std::string(); }

// Window pixels of a control as the screen shows them (window coordinates).
COLORREF WindowPixel(HWND wnd, int x, int y) {
    RECT r{};
    GetWindowRect(wnd, &r);
    return ScreenPixel(r.left + x, r.top + y);
}

// --- strips whose every part has its own colour

COLORREF PartColour(int index) { return RGB(30 + 25 * index, 220 - 20 * index, 40 + 17 * index); }

std::unique_ptr<TBitmap> Solid(int w, int h, COLORREF c) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    FillColour(b->Canvas()->Handle(), TRect{0, 0, w, h}, c);
    return b;
}

// frames cells of w x h side by side, cell i coloured PartColour(first + i - 1).
std::unique_ptr<TBitmap> FrameStrip(int frames, int w, int h, int first) {
    auto b = Solid(frames * w, h, 0);
    for (int i = 1; i <= frames; ++i)
        FillColour(b->Canvas()->Handle(), Bounds((i - 1) * w, 0, w, h), PartColour(first + i - 1));
    return b;
}

constexpr COLORREF kCapA = RGB(200, 30, 30), kMiddle = RGB(30, 160, 60), kCapB = RGB(40, 40, 210);

// A channel strip: a cap of 3, a middle, a cap of 3, along its length.
std::unique_ptr<TBitmap> ChannelStrip(bool vertical, int length, int breadth) {
    auto b = vertical ? Solid(breadth, length, kMiddle) : Solid(length, breadth, kMiddle);
    HDC dc = b->Canvas()->Handle();
    if (vertical) {
        FillColour(dc, TRect{0, 0, breadth, 3}, kCapA);
        FillColour(dc, TRect{0, length - 3, breadth, length}, kCapB);
    } else {
        FillColour(dc, TRect{0, 0, 3, breadth}, kCapA);
        FillColour(dc, TRect{length - 3, 0, length, breadth}, kCapB);
    }
    return b;
}

template <class T>
std::unique_ptr<T> Element(const char* name, std::unique_ptr<TBitmap> bitmap, int frames, TRect margins) {
    auto e = std::make_unique<T>(name);
    e->Bitmap = std::move(bitmap);
    e->Frames = frames;
    e->Margins = margins;
    return e;
}

// The test skin's elements swapped for the strips while it lives, the stored skin's back after.
struct StripSkin {
    TSkinData* d = Skin();
    std::unique_ptr<TDataSkinObject> thumbH, thumbV, track, trackV;
    std::unique_ptr<TDataSkinBorder> upH, upV, progress;
    StripSkin() {
        thumbH = std::exchange(d->TrackThumbHorz, Element<TDataSkinObject>("T", FrameStrip(5, 11, 20, 1), 5, {}));
        thumbV = std::exchange(d->TrackThumbVert, Element<TDataSkinObject>("T", FrameStrip(5, 20, 11, 11), 5, {}));
        track = std::exchange(d->Track, Element<TDataSkinObject>("T", ChannelStrip(false, 16, 4), 1, {3, 3, 3, 3}));
        trackV = std::exchange(d->TrackVert, Element<TDataSkinObject>("T", ChannelStrip(true, 16, 4), 1, {3, 3, 3, 3}));
        upH = std::exchange(d->UpDownHorz, Element<TDataSkinBorder>("U", FrameStrip(8, 12, 16, 21), 8, {}));
        upV = std::exchange(d->UpDownVert, Element<TDataSkinBorder>("U", FrameStrip(8, 16, 10, 31), 8, {}));
        progress = std::exchange(d->Progress, Element<TDataSkinBorder>("P", FrameStrip(2, 20, 16, 41), 2, {}));
    }
    ~StripSkin() {
        d->TrackThumbHorz = std::move(thumbH);
        d->TrackThumbVert = std::move(thumbV);
        d->Track = std::move(track);
        d->TrackVert = std::move(trackV);
        d->UpDownHorz = std::move(upH);
        d->UpDownVert = std::move(upV);
        d->Progress = std::move(progress);
    }
};

// A memory DC of w x h holding one colour, for drawing a skin into.
struct MemoryDC {
    MemoryDC(int w, int h, COLORREF fill = RGB(0, 0, 0)) {
        Bitmap.SetPixelFormat(pf24bit);
        Bitmap.SetSize(w, h);
        FillColour(Bitmap.Canvas()->Handle(), TRect{0, 0, w, h}, fill);
    }
    HDC Dc() { return Bitmap.Canvas()->Handle(); }
    COLORREF At(int x, int y) { return GetPixel(Dc(), x, y); }
    TBitmap Bitmap;
};

// The cursor at a screen point, once the system reports it there.
void CursorTo(int x, int y) {
    SetCursorPos(x, y);
    PumpUntil(
        [&] {
            POINT p{};
            GetCursorPos(&p);
            return p.x == x && p.y == y;
        },
        "the cursor at " + std::to_string(x) + "," + std::to_string(y));
}

void Redraw(TWinControl* c) {
    RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    Pump();
}

}  // namespace

// ---------------------------------------------------------------------------

TEST(TrackerSkin, DispatchGivesEachTheirSkin) {
    Skin()->Skin3rd()->Add("TMAPTRACK=trackbar");
    Skin()->Skin3rd()->Add("TMapProgress=Progress");
    TTrackBar* track = nullptr;
    TProgressBar* progress = nullptr;
    TUpDown* upDown = nullptr;
    TEdit *edit = nullptr, *borderless = nullptr;
    TMemo* memo = nullptr;
    TSpinButton* spin = nullptr;
    TRzButtonEdit *buttonEdit = nullptr, *flatButtonEdit = nullptr;
    TDCEdit *dcEdit = nullptr, *dcCombo = nullptr;
    TRichEdit* rich = nullptr;
    TMapTrack* mapTrack = nullptr;
    TMapProgress* mapProgress = nullptr;
    auto f = MakeForm([&](TForm* form) {
        track = Put<TTrackBar>(form, 10, 10, 150, 30);
        progress = Put<TProgressBar>(form, 10, 50, 150, 18);
        edit = Put<TEdit>(form, 10, 80, 80, 22);
        upDown = Put<TUpDown>(form, 90, 80, 16, 22);
        upDown->SetAssociate(edit);
        borderless = Put<TEdit>(form, 10, 110, 80, 22);
        borderless->SetBorderStyle(bsNone);
        memo = Put<TMemo>(form, 10, 140, 120, 50);
        spin = Put<TSpinButton>(form, 200, 10, 16, 24);
        buttonEdit = Put<TRzButtonEdit>(form, 200, 40, 90, 22);
        flatButtonEdit = Put<TRzButtonEdit>(form, 200, 70, 90, 22);
        flatButtonEdit->SetBorderStyle(bsNone);
        dcEdit = Put<TDCEdit>(form, 200, 100, 90, 22);
        dcCombo = Put<TDCEdit>(form, 200, 130, 90, 22);
        dcCombo->SetNumButtons(1);
        rich = Put<TRichEdit>(form, 200, 160, 120, 50);
        mapTrack = Put<TMapTrack>(form, 330, 10, 150, 30);
        mapProgress = Put<TMapProgress>(form, 330, 50, 150, 18);
    });
    ASSERT_NE(f->Skin, nullptr);
    const struct {
        const char* what;
        TControl* control;
        const char* skin;  // "" = none
    } rows[] = {
        {"a track bar", track, "TSkinTrackBar"},
        {"a progress bar", progress, "TSkinProgress"},
        {"an up-down beside its edit", upDown, "TSkinUpDown"},
        {"the up-down's edit", edit, "TSkinEdit"},
        {"an edit without a border (drawn as none)", borderless, "TSkinEdit"},
        {"a memo without scroll bars", memo, "TSkinEdit"},
        {"a spin button", spin, "TSkinUpDown"},
        {"an edit with buttons, class map", buttonEdit, "TSkinEdit"},
        {"an edit with buttons without a border, class map", flatButtonEdit, ""},
        {"a class mapped to trackbar", mapTrack, "TSkinTrackBar"},
        {"a class mapped to progress, any case", mapProgress, "TSkinProgress"},
    };
    for (const auto& r : rows) EXPECT_EQ(SkinName(SkinOf(f->Skin, r.control)), r.skin) << r.what;
    // No buttons: an edit skin hung on the window; one button: a combo skin, never an edit skin.
    EXPECT_EQ(SkinName(f->Skin->FindControlSkinByHandle(dcEdit->Handle())), "TSkinEdit");
    EXPECT_NE(SkinName(f->Skin->FindControlSkinByHandle(dcCombo->Handle())), "TSkinEdit");
    // A rich edit is a scroll-bar skin's, never an edit skin's.
    EXPECT_NE(SkinName(SkinOf(f->Skin, rich)), "TSkinEdit");
    EXPECT_NE(SkinName(f->Skin->FindControlSkinByHandle(rich->Handle())), "TSkinEdit");
}

TEST(TrackerSkin, ThumbAndChannelFromTheirStrips) {
    StripSkin strips;
    TTrackBar *across = nullptr, *upright = nullptr;
    auto f = MakeForm([&](TForm* form) {
        across = Put<TTrackBar>(form, 20, 20, 220, 40);
        across->SetTickStyle(tsNone);
        // Turning a track bar swaps its width and height: turned first, then placed.
        upright = Put<TTrackBar>(form, 300, 20, 220, 40);
        upright->SetOrientation(trVertical);
        upright->SetBounds(300, 20, 40, 220);
        upright->SetTickStyle(tsNone);
    });
    ASSERT_NE(f->Skin, nullptr);
    MouseMove(1000, 740);
    for (TTrackBar* t : {across, upright}) {
        SCOPED_TRACE(t == across ? "horizontal" : "vertical");
        ASSERT_EQ(SkinName(SkinOf(f->Skin, t)), "TSkinTrackBar");
        t->SetPosition(t->Max() / 2);
        Redraw(t);
        const bool vertical = t == upright;
        RECT thumb{}, channel{};
        SendMessageA(t->Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        SendMessageA(t->Handle(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        if (vertical && channel.right - channel.left > channel.bottom - channel.top)
            channel = RECT{channel.top, channel.left, channel.bottom, channel.right};
        // Frame 2 of the thumb's five.
        const COLORREF frame2 = PartColour(vertical ? 12 : 2);
        EXPECT_TRUE(PumpUntil(
            [&] {
                return WindowPixel(t->Handle(), (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2) ==
                       frame2;
            },
            "frame 2 of the thumb strip"));
        // Caps at the channel's ends, the middle between, away from the thumb.
        const int cx = (channel.left + channel.right) / 2, cy = (channel.top + channel.bottom) / 2;
        if (vertical) {
            EXPECT_EQ(WindowPixel(t->Handle(), cx, channel.top + 1), kCapA);
            EXPECT_EQ(WindowPixel(t->Handle(), cx, channel.top + 6), kMiddle);
            EXPECT_EQ(WindowPixel(t->Handle(), cx, channel.bottom - 2), kCapB);
        } else {
            EXPECT_EQ(WindowPixel(t->Handle(), channel.left + 1, cy), kCapA);
            EXPECT_EQ(WindowPixel(t->Handle(), channel.left + 6, cy), kMiddle);
            EXPECT_EQ(WindowPixel(t->Handle(), channel.right - 2, cy), kCapB);
        }
    }
    ShotWindow(f->Form->Handle(), "skinedit-trackbars-strips.png");
}

TEST(TrackerSkin, VerticalChannelIsTurnedOnlyWhenItLiesDown) {
    StripSkin strips;
    TTrackBar* upright = nullptr;
    auto f = MakeForm([&](TForm* form) {
        upright = Put<TTrackBar>(form, 20, 20, 220, 40);
        upright->SetOrientation(trVertical);
        upright->SetBounds(20, 20, 40, 220);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* skin = DynamicAs<TSkinTrackBar>(SkinOf(f->Skin, upright));
    ASSERT_NE(skin, nullptr);
    // The channel rectangle answered as some systems give it (lying) and as this one does.
    RECT reported{};
    TWindowSubclass answer;
    ASSERT_TRUE(answer.Attach(upright->Handle(), [&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == TBM_GETCHANNELRECT) {
            *reinterpret_cast<RECT*>(l) = reported;
            return 0;
        }
        return answer.CallPrevious(msg, w, l);
    }));
    const struct {
        const char* what;
        RECT rect;
        int strip;  // breadth of the [TRACKVERT] strip
        int x;      // where its middle column lands
    } rows[] = {
        {"standing 4 x 100", {10, 8, 14, 108}, 4, 11},
        {"lying 100 x 4", {8, 10, 108, 14}, 4, 11},
        {"standing 8 x 100, a narrower strip centred", {10, 8, 18, 108}, 4, 13},
    };
    // Without a [TRACKVERT] strip (none, or an empty one) the [Track] strip stands up instead,
    // its left cap on top.
    enum class Vert { Strip, Missing, Empty };
    for (const Vert vert : {Vert::Strip, Vert::Missing, Vert::Empty})
        for (const auto& r : rows) {
            const std::string what = std::string(r.what) + (vert == Vert::Strip     ? ""
                                                            : vert == Vert::Missing ? ", no [TRACKVERT]"
                                                                                    : ", an empty [TRACKVERT]");
            reported = r.rect;
            Skin()->Track->Bitmap = ChannelStrip(false, 16, r.strip);
            if (vert == Vert::Missing) {
                Skin()->TrackVert.reset();
            } else {
                if (!Skin()->TrackVert) Skin()->TrackVert = Element<TDataSkinObject>("T", nullptr, 1, {3, 3, 3, 3});
                Skin()->TrackVert->Bitmap =
                    vert == Vert::Strip ? ChannelStrip(true, 16, r.strip) : std::make_unique<TBitmap>();
            }
            MemoryDC m(60, 120);
            skin->DrawChannel(m.Dc());
            EXPECT_EQ(m.At(r.x, 9), kCapA) << what;
            EXPECT_EQ(m.At(r.x, 58), kMiddle) << what;
            EXPECT_EQ(m.At(r.x, 106), kCapB) << what;
            EXPECT_EQ(m.At(r.x, 110), RGB(0, 0, 0)) << what << ": 100 pixels high, no more";
            EXPECT_EQ(m.At(r.x - 2, 58), RGB(0, 0, 0)) << what << ": the strip's breadth only";
        }
    answer.Detach();
}

TEST(TrackerSkin, UpDownHalvesInBothOrientationsAndBesideTheirEdit) {
    StripSkin strips;
    TUpDown *vert = nullptr, *horz = nullptr;
    TEdit* buddy = nullptr;
    auto f = MakeForm([&](TForm* form) {
        buddy = Put<TEdit>(form, 20, 20, 80, 24);
        vert = Put<TUpDown>(form, 100, 20, 18, 24);
        vert->SetAssociate(buddy);
        horz = Put<TUpDown>(form, 20, 80, 40, 18);
        horz->SetOrientation(udHorizontal);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* vs = DynamicAs<TSkinUpDown>(SkinOf(f->Skin, vert));
    auto* hs = DynamicAs<TSkinUpDown>(SkinOf(f->Skin, horz));
    ASSERT_TRUE(vs && hs);
    EXPECT_FALSE(vs->Partner);
    // The dispatch tells the skin which way the control lies.
    EXPECT_FALSE(vs->Horizontal);
    EXPECT_TRUE(hs->Horizontal);
    // The vertical strip starts at colour 31, the horizontal at 21: frame n is colour first + n - 1.
    const struct {
        const char* what;
        bool horizontal;
        int cursorHalf;  // 0 first half, 1 second, -1 away
        uint8_t mouse;
        bool enabled;
        int first, second;  // frames of the two halves
    } rows[] = {
        {"normal", false, -1, 0, true, 1, 5},         {"pressed on up", false, 0, msPressed, true, 2, 5},
        {"hot on down", false, 1, msHot, true, 1, 8}, {"pressed elsewhere", false, -1, msPressed, true, 1, 5},
        {"disabled", false, 0, msHot, false, 3, 7},   {"left pressed", true, 0, msPressed, true, 2, 5},
        {"right hot", true, 1, msHot, true, 1, 8},    {"disabled across", true, -1, 0, false, 3, 7},
    };
    for (const auto& r : rows) {
        TUpDown* c = r.horizontal ? horz : vert;
        TSkinUpDown* s = r.horizontal ? hs : vs;
        RECT cr{};
        GetClientRect(c->Handle(), &cr);
        const int w = cr.right, h = cr.bottom;
        const POINT halves[2] = {r.horizontal ? POINT{w / 4, h / 2} : POINT{w / 2, h / 4},
                                 r.horizontal ? POINT{3 * w / 4, h / 2} : POINT{w / 2, 3 * h / 4}};
        c->SetEnabled(r.enabled);
        if (r.cursorHalf >= 0) {
            const TPoint p = c->ClientToScreen(TPoint{halves[r.cursorHalf].x, halves[r.cursorHalf].y});
            CursorTo(p.x, p.y);
        } else {
            CursorTo(1000, 740);
        }
        const int base = r.horizontal ? 21 : 31;
        COLORREF first = 0, second = 0;
        // The system may still be delivering the pointer's earlier moves: drawn until it settles.
        PumpUntil(
            [&] {
                s->MouseState = r.mouse;
                MemoryDC m(w, h);
                s->DrawSkin(m.Dc(), TRect{0, 0, w, h});
                first = m.At(halves[0].x, halves[0].y);
                second = m.At(halves[1].x, halves[1].y);
                return first == PartColour(base + r.first - 1) && second == PartColour(base + r.second - 1);
            },
            std::string("the halves ") + r.what);
        EXPECT_EQ(first, PartColour(base + r.first - 1)) << r.what;
        EXPECT_EQ(second, PartColour(base + r.second - 1)) << r.what;
    }
    vert->SetEnabled(true);
    horz->SetEnabled(true);
    vs->MouseState = hs->MouseState = 0;

    // A real press on the up half: the buddy counts up and the screen shows the pressed frame.
    MouseMove(1000, 740);
    vert->SetPosition(5);
    Pump();
    const TPoint up = vert->ClientToScreen(TPoint{vert->Width() / 2, vert->Height() / 4});
    MouseMove(up.x, up.y);
    MouseDown(up.x, up.y);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(up.x, up.y) == PartColour(31 + 1); }, "the up half pressed"));
    MouseUp(up.x, up.y);
    EXPECT_TRUE(PumpUntil([&] { return vert->Position() >= 6; }, "the position up"));
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(up.x, up.y) == PartColour(31 + 3); }, "the up half hot"));
    MouseMove(1000, 740);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(up.x, up.y) == PartColour(31); }, "the up half normal"));
    ShotWindow(f->Form->Handle(), "skinedit-updowns-strips.png");

    // Without the skin's element: bevelled halves with drawn arrows, grey when pressed.
    auto saved = std::exchange(Skin()->UpDownVert, nullptr);
    RECT vr{};
    GetClientRect(vert->Handle(), &vr);
    const int w = vr.right, h = vr.bottom;
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace), shadow = ColorToRGB(Skin()->Colours.ButtonShadow),
                   dark = ColorToRGB(Skin()->Colours.ButtonDkShadow);
    const TPoint p = vert->ClientToScreen(TPoint{w / 2, h / 4});
    CursorTo(p.x, p.y);
    vs->MouseState = msPressed;
    MemoryDC plain(w, h);
    vs->DrawSkin(plain.Dc(), TRect{0, 0, w, h});
    EXPECT_EQ(plain.At(2, h / 4), shadow) << "the pressed half";
    EXPECT_EQ(plain.At(2, 3 * h / 4), face) << "the other half";
    EXPECT_EQ(plain.At(0, 0), dark) << "the bevel line";
    EXPECT_EQ(plain.At(w / 2, h / 4 - 2), dark) << "the up arrow's tip";
    vert->SetEnabled(false);
    MemoryDC off(w, h);
    vs->DrawSkin(off.Dc(), TRect{0, 0, w, h});
    EXPECT_EQ(off.At(2, h / 4), face) << "disabled halves keep the face";
    vert->SetEnabled(true);
    vs->MouseState = 0;
    Skin()->UpDownVert = std::move(saved);
    CursorTo(1000, 740);
}

TEST(TrackerSkin, UpDownInsideAnEditIsItsPartner) {
    StripSkin strips;
    TEdit* edit = nullptr;
    auto f = MakeForm([&](TForm* form) { edit = Put<TEdit>(form, 20, 20, 120, 26); });
    ASSERT_NE(f->Skin, nullptr);
    auto* es = DynamicAs<TSkinEdit>(SkinOf(f->Skin, edit));
    ASSERT_NE(es, nullptr);
    // A spin button inside the edit, its top one pixel below the edit's top.
    RECT er{}, ec{};
    GetWindowRect(edit->Handle(), &er);
    GetClientRect(edit->Handle(), &ec);
    POINT origin{0, 0};
    ClientToScreen(edit->Handle(), &origin);
    const int inset = origin.y - er.top;  // the edit's own border
    HWND inner = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, ec.right - 16, 1 - inset, 16,
                                 er.bottom - er.top - 2, edit->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(inner, nullptr);
    Redraw(edit);
    ASSERT_NE(es->PartnerSkin, nullptr);
    EXPECT_TRUE(es->PartnerSkin->Partner);
    EXPECT_EQ(es->PartnerSkin->Handle, inner);
    EXPECT_EQ(SendMessageA(inner, WM_SKIN_QUERY, 0, 0), 1);
    // It draws from two pixels lower, clear of the edit's border, on white.
    RECT ur{};
    GetWindowRect(inner, &ur);
    const int w = ur.right - ur.left, h = ur.bottom - ur.top;
    CursorTo(1000, 740);
    MemoryDC m(w, h);
    es->PartnerSkin->DrawSkin(m.Dc(), TRect{0, 0, w, h});
    EXPECT_EQ(m.At(w / 2, 1), RGB(255, 255, 255));
    EXPECT_EQ(m.At(w / 2, 2), PartColour(31)) << "the up half's first row";
    ShotWindow(f->Form->Handle(), "skinedit-partner.png");
    // The up-down goes: the edit skin forgets its partner once the form drops the dead skin.
    DestroyWindow(inner);
    SendMessageA(f->Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);
    EXPECT_EQ(es->PartnerSkin, nullptr);
    Redraw(edit);
}

TEST(TrackerSkin, ProgressFillsFromMinToMax) {
    // (position - min) / (max - min) of the bar; nothing without a range.
    const struct {
        int length, position, min, max, fill;
    } fills[] = {
        {100, 50, 50, 100, 0},  {100, 75, 50, 100, 50}, {100, 100, 50, 100, 100},
        {100, 0, 0, 100, 0},    {100, 30, 50, 100, 0},  {100, 120, 50, 100, 100},
        {100, 60, 100, 100, 0}, {100, 60, 100, 50, 0},  {1000, 2000000000, -2000000000, 2100000000, 975},
        {0, 5, 0, 10, 0},
    };
    for (const auto& r : fills)
        EXPECT_EQ(ProgressFill(r.length, r.position, r.min, r.max), r.fill)
            << r.position << " in " << r.min << ".." << r.max;

    StripSkin strips;
    TProgressBar *bar = nullptr, *upright = nullptr;
    auto f = MakeForm([&](TForm* form) {
        bar = Put<TProgressBar>(form, 20, 20, 200, 20);
        upright = Put<TProgressBar>(form, 260, 20, 20, 200);
        upright->SetOrientation(pbVertical);
    });
    ASSERT_NE(f->Skin, nullptr);
    const COLORREF back = PartColour(41), filled = PartColour(42);
    const struct {
        int position;
        COLORREF quarter, threeQuarters;
    } rows[] = {{50, back, back}, {75, filled, back}, {100, filled, filled}};
    for (TProgressBar* p : {bar, upright}) {
        const bool vertical = p == upright;
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        ASSERT_EQ(SkinName(SkinOf(f->Skin, p)), "TSkinProgress");
        p->SetMin(50);
        p->SetMax(100);
        for (const auto& r : rows) {
            p->SetPosition(r.position);
            Redraw(p);
            // Along the bar from where it starts filling: the left, or the bottom.
            const int w = p->Width(), h = p->Height();
            auto along = [&](int n) {
                return vertical ? WindowPixel(p->Handle(), w / 2, h - 1 - h * n / 4)
                                : WindowPixel(p->Handle(), w * n / 4, h / 2);
            };
            EXPECT_TRUE(PumpUntil([&] { return along(1) == r.quarter && along(3) == r.threeQuarters; },
                                  "position " + std::to_string(r.position) + " of 50..100 on the screen"));
            if (r.position == 75) ShotWindow(f->Form->Handle(), "skinedit-progress-half.png");
        }
    }
    // A bar without a range shows its background only.
    SendMessageA(bar->Handle(), PBM_SETRANGE32, 100, 100);
    SendMessageA(bar->Handle(), PBM_SETPOS, 100, 0);
    Redraw(bar);
    EXPECT_TRUE(PumpUntil([&] { return WindowPixel(bar->Handle(), 150, 10) == back; }, "the empty bar"));

    // Chunks (Style 1): the whole image as the background, the filled part in chunks from two
    // pixels in; tiled, three chunks of ten fill 30 pixels and the strip ends there.
    auto* skin = DynamicAs<TSkinProgress>(SkinOf(f->Skin, bar));
    ASSERT_NE(skin, nullptr);
    const COLORREF chunkColour = RGB(250, 200, 0);
    Skin()->Progress->Style = 1;
    Skin()->ProgressChunk = Element<TDataSkinObject>("C", Solid(10, 8, chunkColour), 1, {});
    SendMessageA(bar->Handle(), PBM_SETRANGE32, 0, 100);
    SendMessageA(bar->Handle(), PBM_SETPOS, 15, 0);
    const struct {
        int tile;
        int x, y;
        COLORREF colour;
    } chunks[] = {
        {1, 3, 10, chunkColour}, {1, 31, 10, chunkColour}, {1, 33, 10, back},
        {1, 10, 4, back},        {0, 3, 3, chunkColour},   {0, 31, 16, chunkColour},
        {0, 33, 10, back},       {0, 10, 1, back},         {1, 190, 10, filled},
    };
    for (const auto& c : chunks) {
        Skin()->ProgressChunk->Tile = c.tile;
        MemoryDC m(200, 20);
        skin->DrawSkin(m.Dc(), TRect{0, 0, 200, 20});
        EXPECT_EQ(m.At(c.x, c.y), c.colour) << "tile " << c.tile << " at " << c.x << "," << c.y;
    }
    Skin()->ProgressChunk.reset();
}

TEST(TrackerSkin, EditBordersFromTheSkinInEveryState) {
    TEdit *edit = nullptr, *other = nullptr;
    auto f = MakeForm([&](TForm* form) {
        edit = Put<TEdit>(form, 20, 20, 160, 26);
        other = Put<TEdit>(form, 20, 70, 160, 26);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* es = DynamicAs<TSkinEdit>(SkinOf(f->Skin, edit));
    ASSERT_NE(es, nullptr);
    edit->SetText("Skinned");
    const COLORREF shadow = ColorToRGB(Skin()->Colours.ButtonShadow), white = RGB(255, 255, 255);
    auto border = [&](const std::string& state) {
        return PumpUntil(
            [&] {
                HWND h = edit->Handle();
                const int w = edit->Width(), ht = edit->Height();
                return WindowPixel(h, 0, 0) == shadow && WindowPixel(h, w - 1, ht / 2) == shadow &&
                       WindowPixel(h, 1, ht / 2) == white && WindowPixel(h, 2, 2) == white &&
                       WindowPixel(h, w / 2, ht - 3) == white;
            },
            "the skin's border on the " + state + " edit");
    };
    other->SetFocus();
    MouseMove(1000, 740);
    EXPECT_TRUE(border("normal"));
    const TPoint in = edit->ClientToScreen(TPoint{40, 10});
    MouseMove(in.x, in.y);
    EXPECT_TRUE(border("hot"));
    edit->SetFocus();
    EXPECT_TRUE(border("focused"));
    ShotWindow(f->Form->Handle(), "skinedit-edit-focused.png");
    MouseMove(1000, 740);
    other->SetFocus();
    edit->SetEnabled(false);
    EXPECT_TRUE(border("disabled"));
    edit->SetEnabled(true);

    // The skin's paint request: the edit paints into the given DC and the skin answers for it.
    MemoryDC m(edit->Width(), edit->Height(), RGB(0, 0, 255));
    EXPECT_EQ(SendMessageA(edit->Handle(), WM_SKIN_PAINTCONTROL, reinterpret_cast<WPARAM>(m.Dc()), 0x41A2), 0x41A2);
    bool painted = false;
    for (int y = 0; y < edit->Height() && !painted; ++y)
        for (int x = 0; x < edit->Width() && !painted; ++x) painted = m.At(x, y) != RGB(0, 0, 255);
    EXPECT_TRUE(painted) << "the edit painted itself into the DC";
    EXPECT_EQ(SendMessageA(edit->Handle(), WM_SKIN_PAINTCONTROL, 0, 0x41A2), 0x41A2);
    EXPECT_EQ(SendMessageA(edit->Handle(), WM_SKIN_PAINTCONTROL, reinterpret_cast<WPARAM>(m.Dc()), 7), 0);
    // Printed: the outer frame from the skin around the DC's brush.
    MemoryDC print(edit->Width(), edit->Height(), RGB(0, 0, 255));
    SendMessageA(edit->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(print.Dc()), PRF_CLIENT);

    EXPECT_EQ(print.At(0, 0), shadow);
}

TEST(TrackerSkin, RepaintsKeepTheGdiCount) {
    TTrackBar* track = nullptr;
    TProgressBar* progress = nullptr;
    TUpDown* upDown = nullptr;
    TEdit* edit = nullptr;
    auto f = MakeForm([&](TForm* form) {
        track = Put<TTrackBar>(form, 20, 20, 200, 36);
        progress = Put<TProgressBar>(form, 20, 70, 200, 18);
        progress->SetPosition(40);
        edit = Put<TEdit>(form, 20, 100, 80, 22);
        upDown = Put<TUpDown>(form, 100, 100, 16, 22);
        upDown->SetAssociate(edit);
    });
    ASSERT_NE(f->Skin, nullptr);
    TWinControl* controls[] = {track, progress, upDown, edit};
    for (TWinControl* c : controls) ASSERT_NE(SkinOf(f->Skin, c), nullptr) << c->ClassName();
    auto repaint = [&](int n) {
        for (int i = 0; i < n; ++i)
            for (TWinControl* c : controls) {
                RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
                SendMessageA(c->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
                SendMessageA(c->Handle(), WM_MOUSELEAVE, 0, 0);
            }
        Pump();
    };
    repaint(5);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    repaint(100);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
    // The same controls in the stored skin, for people to look at.
    ShotWindow(f->Form->Handle(), "skinedit-controls.png");
}

TEST(TrackerSkin, OnlyTheTrackBarsOwnCustomDrawIsAnswered) {
    StripSkin strips;
    TTrackBar* track = nullptr;
    auto f = MakeForm([&](TForm* form) { track = Put<TTrackBar>(form, 20, 20, 200, 30); });
    ASSERT_NE(f->Skin, nullptr);
    ASSERT_EQ(SkinName(SkinOf(f->Skin, track)), "TSkinTrackBar");
    HWND wnd = track->Handle();
    // The reflected notification's number is a private form message too, whose lParam is a number.
    for (const LPARAM number : {LPARAM(SKIN_MARKER), LPARAM(0), LPARAM(1), LPARAM(0xFFFF)})
        EXPECT_EQ(SendMessageA(wnd, WM_SKIN_APPLIED, 0, number), 0) << "lParam " << number << " passed on";
    NMCUSTOMDRAW draw{};
    draw.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
    draw.dwDrawStage = CDDS_PREPAINT;
    const struct {
        const char* what;
        HWND from;
        UINT code;
        LRESULT answer;
    } rows[] = {
        {"its own custom draw", wnd, static_cast<UINT>(NM_CUSTOMDRAW), CDRF_NOTIFYITEMDRAW},
        {"another window's custom draw", f->Form->Handle(), static_cast<UINT>(NM_CUSTOMDRAW), 0},
        {"another notification of its own", wnd, static_cast<UINT>(NM_RELEASEDCAPTURE), 0},
    };
    for (const auto& r : rows) {
        draw.hdr.hwndFrom = r.from;
        draw.hdr.code = r.code;
        EXPECT_EQ(SendMessageA(wnd, CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw)), r.answer) << r.what;
    }
}
