// Control skins on a skinned form: which control gets which skin, how a skin lets go of
// its control, and push buttons drawn from a strip whose every frame has its own colour,
// read from a memory DC and from the screen under a real mouse.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SkinFormTestUtil.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/WindowSubclass.h"
#include "skin/SkinButton.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinPanels.h"
#include "skin/SkinControlKinds.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

// Classes of other control libraries as the class map names them; they publish nothing
// of their own.
class TMapButton : public TButton {
    DP_DECLARE_CLASS(TMapButton, TButton)
public:
    using TButton::TButton;
};
DP_PUBLISHED(TMapButton){};

class TMapPanel : public TPanel {
    DP_DECLARE_CLASS(TMapPanel, TPanel)
public:
    using TPanel::TPanel;
};
DP_PUBLISHED(TMapPanel){};

namespace {
using namespace skinform;

constexpr int kFrameSide = 24;

COLORREF FrameColour(int index) { return RGB(40 * index, 200 - 30 * index, 100 + 20 * index); }

constexpr int kGlyphSide = 14;

COLORREF GlyphColour(int index) { return RGB(250 - 20 * index, 20 * index, 60 + 10 * index); }

std::unique_ptr<TBitmap> GlyphStrip(int frames) {
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(frames * kGlyphSide, kGlyphSide);
    for (int i = 1; i <= frames; ++i)
        FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * kGlyphSide, 0, kGlyphSide, kGlyphSide), GlyphColour(i));
    return strip;
}

// A five-frame [Buttons] strip, every frame one colour, put into the test skin once.
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

// A skinned form holding what make puts on it, dispatched once more after make.
struct SkinnedForm {
    TForm* Form = nullptr;
    TTinselForm* Skin = nullptr;
    ~SkinnedForm() {
        delete Form;
        Pump();
    }
};

std::unique_ptr<SkinnedForm> MakeForm(const std::function<void(TForm*)>& make) {
    InstallButtonStrip();
    auto f = std::make_unique<SkinnedForm>();
    f->Form = NewForm<TForm>(nullptr);
    f->Form->SetCaption("Control skins");
    f->Form->SetBounds(100, 100, 460, 360);
    make(f->Form);
    f->Form->Show();
    Pump();
    f->Skin = WaitSkinned(f->Form->Handle());
    return f;
}

template <class T>
T* Put(TWinControl* parent, int x, int y, int w, int h, const std::string& caption = {}) {
    auto* c = new T(parent);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (!caption.empty()) c->SetCaption(caption);
    return c;
}

TSkinControl* SkinOf(TTinselForm* form, TControl* control) {
    for (TSkinControl* s : form->ControlSkins)
        if (s->Control == control && s->State == scAttached) return s;
    return nullptr;
}

int SkinsOf(TTinselForm* form, TControl* control) {
    int n = 0;
    for (TSkinControl* s : form->ControlSkins)
        if (s->Control == control) ++n;
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

// Counts the messages of one kind a window's procedure sees.
struct Counter {
    explicit Counter(UINT message) : Message(message) {}
    bool Attach(HWND wnd) {
        return Link.Attach(wnd, [this](UINT msg, WPARAM w, LPARAM l) {
            if (msg == Message) ++Seen;
            return Link.CallPrevious(msg, w, l);
        });
    }
    UINT Message;
    int Seen = 0;
    TWindowSubclass Link;
};

}  // namespace

TEST(ControlSkin, DispatchGivesEachControlItsSkin) {
    Skin()->Skin3rd()->Add("TMAPBUTTON=NIL");
    Skin()->Skin3rd()->Add("TMAPPANEL=BUTTON");
    TButton *plain = nullptr, *disabledTag = nullptr, *mappedNil = nullptr;
    TMapPanel* mappedButton = nullptr;
    TCheckBox* check = nullptr;
    TRadioButton* radio = nullptr;
    TEdit* edit = nullptr;
    TRadioGroup* group = nullptr;
    TPanel* panel = nullptr;
    TButton* inPanel = nullptr;
    auto f = MakeForm([&](TForm* form) {
        plain = Put<TButton>(form, 10, 10, 90, 28, "Plain");
        disabledTag = Put<TButton>(form, 110, 10, 90, 28, "Tagged");
        disabledTag->SetTag(Skin()->DisableTag());
        mappedNil = Put<TMapButton>(form, 210, 10, 90, 28, "Nil");
        mappedButton = Put<TMapPanel>(form, 310, 10, 90, 28, "Mapped");
        check = Put<TCheckBox>(form, 10, 50, 90, 20, "Check");
        edit = Put<TEdit>(form, 110, 50, 90, 22);
        radio = Put<TRadioButton>(form, 210, 50, 90, 20, "Radio");
        group = Put<TRadioGroup>(form, 10, 80, 150, 90, "Group");
        group->Items()->Add("One");
        group->Items()->Add("Two");
        group->SetTag(Skin()->DisableTag());
        panel = Put<TPanel>(form, 200, 80, 200, 90);
        inPanel = Put<TButton>(panel, 10, 10, 90, 28, "Inside");
    });
    ASSERT_NE(f->Skin, nullptr);
    struct Row {
        const char* what;
        TControl* control;
        const char* skin;  // "" = none
    } rows[] = {
        {"a push button", plain, "TSkinButton"},
        {"a button tagged with DisableTag", disabledTag, ""},
        {"a class mapped to nil, upper-case row", mappedNil, ""},
        {"a panel class mapped to button, upper-case row", mappedButton, "TSkinButton"},
        {"a button inside a panel", inPanel, "TSkinButton"},
        {"an edit", edit, "TSkinEdit"},
        {"a check box", check, "TSkinCheckBox"},
        {"a radio button", radio, "TSkinRadioButton"},
        {"a panel", panel, "TSkinBox"},
        {"a radio group tagged with DisableTag", group, ""},
    };
    for (const Row& r : rows) {
        TSkinControl* s = SkinOf(f->Skin, r.control);
        EXPECT_EQ(s ? s->ClassName() : std::string(), r.skin) << r.what;
    }
    for (int i = 0; i < group->ControlCount(); ++i)
        EXPECT_EQ(group->Controls(i)->Tag(), Skin()->DisableTag()) << "radio group item " << i;
    // Activating again stacks no second skin.
    SendMessageA(f->Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);
    SendMessageA(f->Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);
    EXPECT_EQ(SkinsOf(f->Skin, plain), 1);
    EXPECT_EQ(SendMessageA(plain->Handle(), WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_EQ(SendMessageA(disabledTag->Handle(), WM_SKIN_QUERY, 0, 0), 0);
}

TEST(ControlSkin, BareButtonsGetTheirSkinByStyle) {
    struct Row {
        DWORD style;
        TSkinKind kind;
    } rows[] = {
        {BS_PUSHBUTTON, skButton},
        {BS_DEFPUSHBUTTON, skButton},
        {BS_PUSHBOX, skButton},
        {BS_USERBUTTON, skButton},
        {BS_GROUPBOX, skNone},
        {BS_PUSHBUTTON | BS_BITMAP, skNone},
        {BS_OWNERDRAW, skNone},
        {BS_CHECKBOX, skCheckBox},
        {BS_AUTOCHECKBOX, skCheckBox},
        {BS_3STATE, skCheckBox},
        {BS_AUTO3STATE, skCheckBox},
        {BS_RADIOBUTTON, skRadioButton},
        {BS_AUTORADIOBUTTON, skRadioButton},
        {0xC, skNone},
        {0xD, skNone},
        {0xE, skNone},
        {0xF, skNone},
        {BS_AUTOCHECKBOX | BS_PUSHLIKE, skCheckBox},
    };
    for (const Row& r : rows) EXPECT_EQ(BareButtonKind(r.style), r.kind) << "style " << std::hex << r.style;

    InstallButtonStrip();
    HWND bare = ShowBareWindow("Bare buttons", WS_OVERLAPPEDWINDOW, 120, 120, 360, 200);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    auto child = [&](DWORD style, int x) {
        return CreateWindowExA(0, "BUTTON", "B", WS_CHILD | WS_VISIBLE | style, x, 10, 60, 28, bare, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    };
    HWND push = child(BS_PUSHBUTTON, 10), groupBox = child(BS_GROUPBOX, 80), bitmap = child(BS_BITMAP, 150),
         check = child(BS_AUTOCHECKBOX, 220);
    SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    TSkinControl* c = form->FindControlSkinByHandle(check);
    EXPECT_EQ(c ? c->ClassName() : std::string(), "TSkinCheckBox");
    TSkinControl* s = form->FindControlSkinByHandle(push);
    EXPECT_EQ(s ? s->ClassName() : std::string(), "TSkinButton");
    EXPECT_EQ(form->FindControlSkinByHandle(groupBox), nullptr);
    EXPECT_EQ(form->FindControlSkinByHandle(bitmap), nullptr);
    DestroyWindow(bare);
    Pump();
}

TEST(ControlSkin, ButtonStatesShowTheirFramesInAMemoryDC) {
    TButton *button = nullptr, *other = nullptr;
    auto f = MakeForm([&](TForm* form) {
        button = Put<TButton>(form, 20, 20, 120, 32, "State");
        other = Put<TButton>(form, 20, 70, 120, 32, "Other");
    });
    ASSERT_NE(f->Skin, nullptr);
    MouseMove(1000, 740);
    auto* skin = DynamicAs<TSkinButton>(SkinOf(f->Skin, button));
    ASSERT_NE(skin, nullptr);
    struct Row {
        const char* state;
        uint8_t mouse;
        bool focused, enabled, isDefault;
        int frame;
    } rows[] = {
        {"normal", 0, false, true, false, 1},
        {"hot", msHot, false, true, false, 4},
        {"pressed", msPressed, false, true, false, 2},
        {"hot and pressed", msHot | msPressed, false, true, false, 2},
        {"disabled", 0, false, false, false, 3},
        {"disabled under the mouse", msHot | msPressed, false, false, false, 3},
        {"default", 0, false, true, true, 1},
        {"focused", 0, true, true, false, 5},
        {"focused and hot", msHot, true, true, false, 4},
        {"focused and pressed", msPressed, true, true, false, 2},
    };
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 120, 32);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (const Row& r : rows) {
        button->SetEnabled(r.enabled);
        button->SetDefault(r.isDefault);
        if (r.focused)
            button->SetFocus();
        else
            other->SetFocus();
        Pump();
        skin->MouseState = r.mouse;
        skin->DrawSkin(dc, TRect{0, 0, 120, 32});
        EXPECT_EQ(GetPixel(dc, 4, 4), FrameColour(r.frame)) << r.state;
        EXPECT_EQ(skin->FrameIndex(), r.frame) << r.state;
    }
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST(ControlSkin, RealMouseHoversPressesAndClicksOnce) {
    TButton* button = nullptr;
    TEdit* edit = nullptr;
    int clicks = 0;
    auto f = MakeForm([&](TForm* form) {
        edit = Put<TEdit>(form, 20, 80, 120, 22);
        button = Put<TButton>(form, 20, 20, 120, 32, "Click");
    });
    ASSERT_NE(f->Skin, nullptr);
    struct Sink : TObject {
        int* n;
        void Clicked(TObject*) { ++*n; }
    } sink;
    sink.n = &clicks;
    button->OnClick = TNotifyEvent(&sink, &Sink::Clicked);
    edit->SetFocus();
    MouseMove(1000, 740);
    ASSERT_TRUE(ScreenShows(button, 1));
    const TPoint centre = button->ClientToScreen(TPoint{60, 16});
    MouseMove(centre.x, centre.y);
    EXPECT_TRUE(ScreenShows(button, 4));
    MouseDown(centre.x, centre.y);
    EXPECT_TRUE(ScreenShows(button, 2));
    EXPECT_EQ(clicks, 0);
    MouseUp(centre.x, centre.y);
    EXPECT_TRUE(PumpUntil([&] { return clicks > 0; }, "the button's OnClick"));
    EXPECT_TRUE(ScreenShows(button, 4));
    MouseMove(1000, 740);
    // The press took the focus.
    EXPECT_TRUE(ScreenShows(button, 5));
    EXPECT_EQ(clicks, 1);
    button->SetEnabled(false);
    EXPECT_TRUE(ScreenShows(button, 3));
    ShotWindow(f->Form->Handle(), "control-skin-buttons.png");
}

TEST(ControlSkin, BareButtonClickSendsWmCommandToItsParent) {
    InstallButtonStrip();
    HWND bare = ShowBareWindow("Bare click", WS_OVERLAPPEDWINDOW, 140, 140, 300, 180);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    HWND push = CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 100, 30, bare,
                                reinterpret_cast<HMENU>(42), GetModuleHandleA(nullptr), nullptr);
    int commands = 0;
    TWindowSubclass parent;
    parent.Attach(bare, [&](UINT msg, WPARAM w, LPARAM l) {
        if (msg == WM_COMMAND && LOWORD(w) == 42 && reinterpret_cast<HWND>(l) == push) ++commands;
        return parent.CallPrevious(msg, w, l);
    });
    SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    ASSERT_NE(form->FindControlSkinByHandle(push), nullptr);
    RECT r{};
    GetWindowRect(push, &r);
    MouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Pump();
    MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return commands > 0; }, "WM_COMMAND from the bare button"));
    MouseMove(1000, 740);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(r.left + 4, r.top + 4) == FrameColour(5); },
                          "the focused frame after the click"));
    EXPECT_EQ(commands, 1);
    parent.Detach();
    DestroyWindow(bare);
    Pump();
}

TEST(ControlSkin, SkinsLetGoOfTheirControls) {
    TButton *freed = nullptr, *remade = nullptr, *hooked = nullptr;
    TPanel* panel = nullptr;
    auto f = MakeForm([&](TForm* form) {
        freed = Put<TButton>(form, 10, 10, 90, 28, "Freed");
        remade = Put<TButton>(form, 110, 10, 90, 28, "Remade");
        hooked = Put<TButton>(form, 210, 10, 90, 28, "Hooked");
        panel = Put<TPanel>(form, 10, 60, 200, 80);
        panel->SetColor(clRed);
        panel->SetParentBackground(true);
        // Skinned by hand below.
        panel->SetTag(Skin()->DisableTag());
    });
    ASSERT_NE(f->Skin, nullptr);

    // Freed with its skin attached: the skin leaves the form's list.
    TSkinControl* freedSkin = SkinOf(f->Skin, freed);
    ASSERT_NE(freedSkin, nullptr);
    delete freed;
    for (TSkinControl* s : f->Skin->ControlSkins) EXPECT_NE(s, freedSkin);
    SendMessageA(f->Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);

    // A window made again is skinned again, once.
    remade->RecreateWnd();
    remade->HandleNeeded();
    EXPECT_EQ(SendMessageA(remade->Handle(), WM_SKIN_QUERY, 0, 0), 0) << "the old skin let go at WM_NCDESTROY";
    SendMessageA(f->Form->Handle(), WM_SKIN_ACTIVATE, 0, 0);
    EXPECT_EQ(SkinsOf(f->Skin, remade), 1);
    EXPECT_EQ(SendMessageA(remade->Handle(), WM_SKIN_QUERY, 0, 0), 1);

    // WM_SKIN_ENABLE 0 and below switch the skin off, a positive value on again.
    const struct {
        LONG_PTR enable;
        LRESULT query;
    } switches[] = {{0, 0}, {1, 1}, {-1, 0}, {5, 1}};
    for (const auto& s : switches) {
        SendMessageA(remade->Handle(), WM_SKIN_ENABLE, static_cast<WPARAM>(s.enable), 0);
        EXPECT_EQ(SendMessageA(remade->Handle(), WM_SKIN_QUERY, 0, 0), s.query) << "after enable " << s.enable;
    }

    // A WindowProc hook set over the skin's keeps working when the skin goes.
    TSkinControl* hookedSkin = SkinOf(f->Skin, hooked);
    ASSERT_NE(hookedSkin, nullptr);
    int seen = 0;
    const TWndMethod below = hooked->WindowProc;
    hooked->WindowProc = [&, below](TMessage& m) {
        if (m.Msg == WM_SKIN_QUERY) ++seen;
        below(m);
    };
    EXPECT_EQ(hooked->Perform(WM_SKIN_QUERY), 1);
    delete hookedSkin;
    EXPECT_EQ(hooked->Perform(WM_SKIN_QUERY), 0);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(SendMessageA(hooked->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Still")), TRUE);
    EXPECT_EQ(hooked->Caption(), "Still");

    // WM_NCDESTROY gives back the colour and ParentBackground the skin took.
    auto* boxSkin = new TSkinControl(panel);
    boxSkin->AttachControl(f->Skin, Skin(), true, f->Skin->ControlCanvas());
    EXPECT_EQ(panel->Color(), Skin()->Colours.ButtonFace);
    EXPECT_FALSE(panel->ParentBackground());
    EXPECT_EQ(boxSkin->SpecialMode, 1);
    panel->DestroyHandle();
    EXPECT_EQ(boxSkin->State, scDestroyed);
    EXPECT_EQ(panel->Color(), clRed);
    EXPECT_TRUE(panel->ParentBackground());
}

TEST(ControlSkin, SubclassesByHandleSurviveInAnyOrder) {
    InstallButtonStrip();
    HWND bare = ShowBareWindow("Bare chain", WS_OVERLAPPEDWINDOW, 160, 160, 300, 180);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    HWND push = CreateWindowExA(0, "BUTTON", "Chain", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 100, 30, bare,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    Counter before(WM_SKIN_ENABLE);
    ASSERT_TRUE(before.Attach(push));
    SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    TSkinControl* skin = form->FindControlSkinByHandle(push);
    ASSERT_NE(skin, nullptr);
    Counter after(WM_SKIN_QUERY);
    ASSERT_TRUE(after.Attach(push));

    // The skin's own message never reaches the procedures below it.
    SendMessageA(push, WM_SKIN_ENABLE, 1, 0);
    EXPECT_EQ(before.Seen, 0);
    EXPECT_EQ(SendMessageA(push, WM_SKIN_QUERY, 0, 0), 1);
    delete skin;
    EXPECT_EQ(SendMessageA(push, WM_SKIN_QUERY, 0, 0), 0);
    EXPECT_EQ(after.Seen, 2) << "the later subclass stays in the chain";
    SendMessageA(push, WM_SKIN_ENABLE, 1, 0);
    EXPECT_EQ(before.Seen, 1);

    // Skinned again, then destroyed: the skin lets go at WM_NCDESTROY.
    SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    skin = form->FindControlSkinByHandle(push);
    ASSERT_NE(skin, nullptr);
    DestroyWindow(push);
    EXPECT_EQ(skin->State, scDestroyed);
    EXPECT_FALSE(skin->HookedByHandle());
    EXPECT_FALSE(before.Link.Attached());
    after.Link.Detach();
    DestroyWindow(bare);
    Pump();
}

TEST(ControlSkin, RepaintsKeepTheGdiCount) {
    TButton* button = nullptr;
    auto f = MakeForm([&](TForm* form) { button = Put<TButton>(form, 20, 20, 120, 32, "Paint"); });
    ASSERT_NE(SkinOf(f->Skin, button), nullptr);
    auto repaint = [&](int n) {
        for (int i = 0; i < n; ++i) {
            InvalidateRect(button->Handle(), nullptr, TRUE);
            UpdateWindow(button->Handle());
            SendMessageA(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
            SendMessageA(button->Handle(), WM_MOUSELEAVE, 0, 0);
        }
    };
    repaint(5);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    repaint(100);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}

TEST(ControlSkin, StripDrawersDrawOnlyFramesTheStripHas) {
    InstallButtonStrip();
    TBitmap* strip = Skin()->Buttons->Bitmap.get();
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(16, 16);
    const struct {
        int frames, index;
        COLORREF expected;
    } rows[] = {
        {5, 3, FrameColour(3)},      {5, 5, FrameColour(5)},     {5, 1, FrameColour(1)},     {0, 1, RGB(255, 255, 255)},
        {-2, 1, RGB(255, 255, 255)}, {5, 0, RGB(255, 255, 255)}, {5, 6, RGB(255, 255, 255)},
    };
    for (const auto& r : rows) {
        for (int variant = 0; variant < 3; ++variant) {
            HDC dc = target.Canvas()->Handle();
            FillColour(dc, TRect{0, 0, 16, 16}, RGB(255, 255, 255));
            if (variant == 0) DrawStripFrameDC(nullptr, dc, TRect{0, 0, 16, 16}, r.frames, r.index, strip);
            if (variant == 1)
                DrawStripFrameCanvas(nullptr, target.Canvas(), TRect{0, 0, 16, 16}, r.frames, r.index, strip);
            if (variant == 2) DrawStripFrameKeyed(nullptr, dc, TRect{0, 0, 16, 16}, r.frames, r.index, strip);
            EXPECT_EQ(GetPixel(target.Canvas()->Handle(), 8, 8), r.expected)
                << "frames " << r.frames << " index " << r.index << " variant " << variant;
        }
        HDC dc = target.Canvas()->Handle();
        FillColour(dc, TRect{0, 0, 16, 16}, RGB(255, 255, 255));
        Skin()->Buttons->Frames = r.frames;
        DrawElementFrame(nullptr, dc, TRect{0, 0, 16, 16}, r.frames, r.index, Skin()->Buttons.get());
        Skin()->Buttons->Frames = 5;
        EXPECT_EQ(GetPixel(dc, 8, 8), r.expected) << "element frame, frames " << r.frames << " index " << r.index;
    }
}

TEST(ControlSkin, PropertiesByNameAnswerWhenMissing) {
    TButton button(nullptr);
    button.SetLeft(17);
    button.SetCaption("Named");
    EXPECT_EQ(GetOrdPropByName(&button, "Left"), 17);
    EXPECT_EQ(GetOrdPropByName(&button, "Align"), -1) << "an enumeration";
    EXPECT_EQ(GetOrdPropByName(&button, "Caption"), -1) << "a string";
    EXPECT_EQ(GetOrdPropByName(&button, "NumGlyphs"), -1) << "missing";
    EXPECT_EQ(GetOrdPropByName(nullptr, "Left"), -1);
    EXPECT_EQ(GetEnumPropByName(&button, "Align"), "alNone");
    EXPECT_EQ(GetEnumPropByName(&button, "Layout"), "");
    EXPECT_EQ(GetTextPropByName(&button, "Caption"), L"Named");
    EXPECT_EQ(GetTextPropByName(&button, "Glyph"), L"");
    EXPECT_EQ(GetObjectPropByName(&button, "Font", &TFont::StaticClassInfo()), button.Font());
    EXPECT_EQ(GetObjectPropByName(&button, "Glyph", &TBitmap::StaticClassInfo()), nullptr);
    SetPropByName(&button, "Left", "23");
    SetPropByName(&button, "Left", "not a number");
    SetPropByName(&button, "Missing", "1");
    SetPropByName(&button, "Enabled", "False");
    EXPECT_EQ(button.Left(), 23);
    EXPECT_FALSE(button.Enabled());
}

TEST(ControlSkin, CheckBoxesAndRadioButtonsShowTheFrameOfTheirState) {
    TCheckBox* check = nullptr;
    TRadioButton* radio = nullptr;
    TEdit* edit = nullptr;
    auto f = MakeForm([&](TForm* form) {
        edit = Put<TEdit>(form, 20, 120, 100, 22);
        check = Put<TCheckBox>(form, 20, 20, 140, 24, "Check");
        check->SetAllowGrayed(true);
        radio = Put<TRadioButton>(form, 20, 60, 140, 24, "Radio");
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* checkSkin = DynamicAs<TSkinCheckBox>(SkinOf(f->Skin, check));
    auto* radioSkin = DynamicAs<TSkinRadioButton>(SkinOf(f->Skin, radio));
    ASSERT_NE(checkSkin, nullptr);
    ASSERT_NE(radioSkin, nullptr);
    TDataSkinButton* b = Skin()->Buttons.get();
    auto glyphPixel = [](TSkinControl* skin) {
        TBitmap target;
        target.SetPixelFormat(pf24bit);
        target.SetSize(140, 24);
        skin->DrawSkin(target.Canvas()->Handle(), TRect{0, 0, 140, 24});
        return GetPixel(target.Canvas()->Handle(), kGlyphSide / 2, 12);
    };
    const struct {
        int frames;
        TCheckBoxState state;
        bool enabled;
        int frame;
    } checks[] = {
        {4, cbUnchecked, true, 1},   {4, cbChecked, true, 2},   {4, cbUnchecked, false, 3}, {4, cbChecked, false, 4},
        {4, cbGrayed, true, 4},      {4, cbGrayed, false, 4},   {12, cbUnchecked, true, 1}, {12, cbChecked, true, 5},
        {12, cbUnchecked, false, 4}, {12, cbChecked, false, 8}, {12, cbGrayed, true, 9},    {12, cbGrayed, false, 12},
    };
    for (const auto& r : checks) {
        b->CheckBitmap = GlyphStrip(r.frames);
        b->CheckFrames = r.frames;
        check->SetState(r.state);
        check->SetEnabled(r.enabled);
        EXPECT_EQ(checkSkin->FrameIndex(), r.frame)
            << r.frames << " frames, state " << r.state << " enabled " << r.enabled;
        EXPECT_EQ(glyphPixel(checkSkin), GlyphColour(r.frame)) << r.frames << " frames, state " << r.state;
    }
    b->CheckBitmap = GlyphStrip(4);
    b->CheckFrames = 4;
    check->SetEnabled(true);
    const struct {
        int frames;
        bool checked, enabled;
        int frame;
    } radios[] = {
        {4, false, true, 1}, {4, true, true, 2}, {4, false, false, 3}, {4, true, false, 4},
        {8, false, true, 1}, {8, true, true, 5}, {8, false, false, 4}, {8, true, false, 8},
    };
    for (const auto& r : radios) {
        b->RadioBitmap = GlyphStrip(r.frames);
        b->RadioFrames = r.frames;
        radio->SetChecked(r.checked);
        radio->SetEnabled(r.enabled);
        EXPECT_EQ(radioSkin->RadioFrameIndex(), r.frame) << r.frames << " frames, checked " << r.checked;
        EXPECT_EQ(glyphPixel(radioSkin), GlyphColour(r.frame)) << r.frames << " frames, checked " << r.checked;
    }
    b->RadioBitmap = GlyphStrip(4);
    b->RadioFrames = 4;
    radio->SetEnabled(true);
    radio->SetChecked(false);

    // A real click checks the box, and the screen shows the checked glyph.
    check->SetAllowGrayed(false);
    check->SetState(cbUnchecked);
    edit->SetFocus();
    auto onScreen = [&](TControl* c, int frame) {
        return PumpUntil([&] { return ScreenAt(c, kGlyphSide / 2, 12) == GlyphColour(frame); },
                         "glyph frame " + std::to_string(frame) + " on the screen");
    };
    EXPECT_TRUE(onScreen(check, 1));
    const TPoint p = check->ClientToScreen(TPoint{kGlyphSide / 2, 12});
    MouseClick(p.x, p.y);
    EXPECT_TRUE(PumpUntil([&] { return check->Checked(); }, "the check box checked by the click"));
    EXPECT_TRUE(onScreen(check, 2));
    const TPoint q = radio->ClientToScreen(TPoint{kGlyphSide / 2, 12});
    MouseClick(q.x, q.y);
    EXPECT_TRUE(PumpUntil([&] { return radio->Checked(); }, "the radio button checked by the click"));
    EXPECT_TRUE(onScreen(radio, 2));
    MouseMove(1000, 740);
    ShotWindow(f->Form->Handle(), "control-skin-checks.png");
}

TEST(ControlSkin, GroupBoxesAndPanelsTakeTheSkinAndKeepTheirLabels) {
    TGroupBox* group = nullptr;
    TLabel* label = nullptr;
    TPanel* panel = nullptr;
    TButton* inGroup = nullptr;
    auto f = MakeForm([&](TForm* form) {
        group = Put<TGroupBox>(form, 20, 20, 220, 120, "Group");
        label = Put<TLabel>(group, 16, 30, 120, 20, "WWWWWWWW");
        label->Font()->SetColor(clBlack);
        inGroup = Put<TButton>(group, 16, 70, 100, 30, "In group");
        panel = Put<TPanel>(form, 260, 20, 150, 120);
        panel->SetColor(clRed);
    });
    ASSERT_NE(f->Skin, nullptr);
    TSkinControl* g = SkinOf(f->Skin, group);
    EXPECT_EQ(g ? g->ClassName() : std::string(), "TSkinGroupBox");
    TSkinControl* b = SkinOf(f->Skin, inGroup);
    EXPECT_EQ(b ? b->ClassName() : std::string(), "TSkinButton") << "a group box's children are dispatched";
    TSkinControl* p = SkinOf(f->Skin, panel);
    EXPECT_EQ(p ? p->ClassName() : std::string(), "TSkinBox");
    EXPECT_EQ(panel->Color(), Skin()->Colours.ButtonFace);
    MouseMove(1000, 740);
    group->Invalidate();
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace);
    const COLORREF shadow = ColorToRGB(Skin()->Colours.ButtonShadow);
    EXPECT_TRUE(PumpUntil([&] { return ScreenAt(group, 1, 60) == shadow; }, "the group box's frame line"));
    EXPECT_TRUE(PumpUntil(
        [&] {
            const TPoint a = label->ClientToScreen(TPoint{0, 0});
            for (COLORREF c : ScreenRect(RECT{a.x, a.y, a.x + 120, a.y + 20}))
                if (c != face) return true;
            return false;
        },
        "the label's text inside the skinned group box"));
    ShotWindow(f->Form->Handle(), "control-skin-groupbox.png");
    // Unskinning gives the panel its colour back.
    f->Skin->FreeControlSkins();
    EXPECT_EQ(panel->Color(), clRed);
}

TEST(ControlSkin, ImageTextSitsWhereItsAlignmentSays) {
    TSkinControl skin(nullptr);
    skin.WinEnabled = true;
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(200, 20);
    const std::wstring text = L"WWW";
    RECT m{0, 0, 200, 20};
    DrawTextWide(target.Canvas()->Handle(), text, m, DT_CALCRECT | DT_SINGLELINE);
    const int tw = m.right - m.left;
    const struct { int alignment, left; } rows[] = {{0, 3}, {1, (200 - tw) / 2}, {2, 200 - tw - 2}};
    for (const auto& r : rows) {
        HDC dc = target.Canvas()->Handle();
        FillColour(dc, TRect{0, 0, 200, 20}, RGB(255, 255, 255));
        target.Canvas()->Font()->SetColor(clBlack);
        DrawImageText(&skin, target.Canvas(), TRect{0, 0, 200, 20}, r.alignment, text, -1, nullptr);
        int first = -1;
        for (int x = 0; x < 200 && first < 0; ++x)
            for (int y = 0; y < 20; ++y)
                if (GetPixel(target.Canvas()->Handle(), x, y) != RGB(255, 255, 255)) {
                    first = x;
                    break;
                }
        EXPECT_GE(first, r.left) << "alignment " << r.alignment;
        EXPECT_LE(first, r.left + 3) << "alignment " << r.alignment;
    }
}
