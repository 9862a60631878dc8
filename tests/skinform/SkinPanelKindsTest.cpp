// Status bars, size grips, bare dialogs and the centred text; check-group items with
// glyph strips cut from the skin; the dispatch of other libraries' classes; GDI counts of
// the newer kinds over many repaints.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "ForeignControls.h"
#include "SkinControlTestUtil.h"
#include "classlib/Bars.h"
#include "classlib/Buttons.h"
#include "classlib/GraphicsBase.h"
#include "skin/SkinBitButton.h"
#include "skin/SkinObjImage.h"
#include "skin/SkinPanels.h"
#include "skin/SkinStatusBar.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"

namespace {
using namespace skinform;

COLORREF EdgeColour(int index) { return RGB(20 + 60 * index, 250 - 50 * index, 40 * index); }

// A strip of frames side by side, frame i in colour(i).
std::unique_ptr<TBitmap> ColourStrip(int frames, int w, int h, COLORREF (*colour)(int)) {
    auto strip = std::make_unique<TBitmap>();
    strip->SetPixelFormat(pf24bit);
    strip->SetSize(frames * w, h);
    for (int i = 1; i <= frames; ++i) FillColour(strip->Canvas()->Handle(), Bounds((i - 1) * w, 0, w, h), colour(i));
    return strip;
}

// An element of the test skin replaced for one test and given back after it.
struct ElementSwap {
    ElementSwap(std::unique_ptr<TDataSkinObject>& slot, std::unique_ptr<TDataSkinObject> element)
        : Slot(slot), Saved(std::move(slot)) {
        Slot = std::move(element);
    }
    ~ElementSwap() { Slot = std::move(Saved); }
    std::unique_ptr<TDataSkinObject>& Slot;
    std::unique_ptr<TDataSkinObject> Saved;
};

std::unique_ptr<TDataSkinObject> Element(const char* name, std::unique_ptr<TBitmap> bitmap, int frames) {
    auto e = std::make_unique<TDataSkinObject>(name);
    e->Bitmap = std::move(bitmap);
    e->Frames = frames;
    e->NormalColour2 = RGB(0, 0, 160);
    return e;
}

struct Drawn {
    Drawn(int w, int h) {
        Target.SetPixelFormat(pf24bit);
        Target.SetSize(w, h);
    }
    HDC Dc() { return Target.Canvas()->Handle(); }
    COLORREF At(int x, int y) { return GetPixel(Target.Canvas()->Handle(), x, y); }
    // Columns of rect holding the colour.
    std::pair<int, int> Span(const RECT& r, COLORREF c) {
        int first = -1, last = -1;
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (At(x, y) == c) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    TBitmap Target;
};

}  // namespace

TEST(PanelKinds, StatusBarPanelsTakeTheirFramesTextsAndGrip) {
    ElementSwap edges(Skin()->StatusBarEdges, Element("StatusBarEdges", ColourStrip(3, 8, 8, EdgeColour), 3));
    ElementSwap extra(Skin()->ExtraImages, Element("ExtraImages", ColourStrip(6, 10, 10, EdgeColour), 6));
    TStatusBar *bar = nullptr, *simple = nullptr;
    int draws = 0;
    TRect drawnAt{};
    auto f = MakeForm([&](TForm* form) {
        bar = Put<TStatusBar>(form, 0, 0, 400, 24);
        bar->SetAlign(alNone);
        bar->SetBounds(10, 200, 400, 24);
        const struct {
            const char* text;
            TStatusPanelBevel bevel;
            TAlignment alignment;
            TStatusPanelStyle style;
        } panels[] = {{"WWW", pbLowered, taLeftJustify, psText},
                      {"WWW", pbRaised, taRightJustify, psText},
                      {"", pbLowered, taLeftJustify, psOwnerDraw},
                      {"", pbNone, taCenter, psText}};
        for (const auto& p : panels) {
            TStatusPanel* panel = bar->AddPanel();
            panel->SetText(p.text);
            panel->SetBevel(p.bevel);
            panel->SetAlignment(p.alignment);
            panel->SetStyle(p.style);
            panel->SetWidth(90);
        }
        simple = Put<TStatusBar>(form, 0, 0, 300, 24);
        simple->SetAlign(alNone);
        simple->SetBounds(10, 240, 300, 24);
        simple->SetSizeGrip(false);
        simple->SetSimpleText("WWW");
    });
    ASSERT_NE(f->Skin, nullptr);
    struct Sink : TObject {
        int* n;
        TRect* at;
        void Draw(TStatusBar* b, TStatusPanel*, const TRect& r) {
            ++*n;
            *at = r;
            b->Canvas()->Brush()->SetColor(clLime);
            b->Canvas()->FillRect(r);
        }
    } sink;
    sink.n = &draws;
    sink.at = &drawnAt;
    bar->OnDrawPanel = TDrawPanelEvent(&sink, &Sink::Draw);
    auto* skin = DynamicAs<TSkinStatusBar>(SkinOf(f->Skin, bar));
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(SkinNameOf(f->Skin, simple), "TSkinStatusBar");
    Drawn d(400, 24);
    skin->DrawSkin(d.Dc(), TRect{0, 0, 400, 24});
    const COLORREF text = RGB(0, 0, 160);
    const struct { int panel, frame; } frames[] = {{0, 1}, {1, 2}, {2, 1}, {3, 3}};
    for (const auto& r : frames) {
        const TRect p = bar->PanelRect(r.panel);
        EXPECT_EQ(d.At(p.left + 1, p.top + 1), EdgeColour(r.frame)) << "panel " << r.panel;
    }
    // Text in the element's colour, where each panel's alignment puts it.
    const TRect left = bar->PanelRect(0), right = bar->PanelRect(1);
    const auto l = d.Span(left, text), r = d.Span(right, text);
    ASSERT_GE(l.first, 0) << "the left panel's text";
    ASSERT_GE(r.first, 0) << "the right panel's text";
    EXPECT_LT(l.first, left.left + 10);
    EXPECT_GT(r.second, right.right - 10);
    EXPECT_EQ(d.Span(bar->PanelRect(3), text).first, -1) << "an empty text shows nothing but its frame";
    // The owner-drawn panel, painted by its handler inside its frame.
    EXPECT_EQ(draws, 1);
    const TRect own = bar->PanelRect(2);
    EXPECT_EQ(drawnAt.left, own.left + 2);
    EXPECT_EQ(drawnAt.bottom, own.bottom - 2);
    EXPECT_EQ(d.At(own.left + 5, (own.top + own.bottom) / 2), RGB(0, 255, 0));
    // The last panel reaches the bar's edge; the grip is frame 5 of the extra images.
    EXPECT_EQ(d.At(399 - 12, 2), EdgeColour(3));
    EXPECT_EQ(d.At(399 - 5, 23 - 5), EdgeColour(5));

    // Without panels the simple text shows in frame 1 (the simple mode is off).
    EXPECT_FALSE(simple->SimplePanel());
    auto* simpleSkin = SkinOf(f->Skin, simple);
    Drawn s(300, 24);
    simpleSkin->DrawSkin(s.Dc(), TRect{0, 0, 300, 24});
    EXPECT_EQ(s.At(1, 1), EdgeColour(1));
    EXPECT_EQ(s.At(298, 22), EdgeColour(1));
    EXPECT_GE(s.Span(RECT{0, 0, 40, 24}, text).first, 2) << "the simple text, 2 pixels in";

    // Without the edges strip, one-pixel bevels: lowered and raised.
    Skin()->StatusBarEdges.reset();
    Drawn b(400, 24);
    skin->DrawSkin(b.Dc(), TRect{0, 0, 400, 24});
    const COLORREF shadow = ColorToRGB(Skin()->Colours.ButtonShadow), light = ColorToRGB(Skin()->Colours.ButtonHilight);
    EXPECT_EQ(b.At(left.left, left.top + 3), shadow);
    EXPECT_EQ(b.At(left.right + 1, left.top + 3), light);
    EXPECT_EQ(b.At(right.left, right.top + 3), light);
    EXPECT_EQ(b.At(right.right + 1, right.top + 3), shadow);

    // On the screen too.
    bar->Invalidate();
    EXPECT_TRUE(PumpUntil([&] { return ScreenAt(bar, own.left + 5, (own.top + own.bottom) / 2) == RGB(0, 255, 0); },
                          "the owner-drawn panel on the screen"));
    ShotWindow(f->Form->Handle(), "control-skin-statusbar.png");
}

TEST(PanelKinds, SizeGripsAndBareDialogsTakeTheButtonFace) {
    InstallButtonStrip();
    HWND bare = ShowBareWindow("Bare dialog", WS_OVERLAPPEDWINDOW, 150, 150, 360, 240);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    const HINSTANCE module = GetModuleHandleA(nullptr);
    HWND grip = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 300, 160, 20, 20, bare,
                                nullptr, module, nullptr);
    HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, 10, 170, 200, 16,
                               bare, nullptr, module, nullptr);
    HWND dialog =
        CreateWindowExA(0, "#32770", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 140, bare, nullptr, module, nullptr);
    HWND label =
        CreateWindowExA(0, "STATIC", "Label", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, dialog, nullptr, module, nullptr);
    HWND inside = CreateWindowExA(0, "BUTTON", "In", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 60, 80, 28, dialog,
                                  nullptr, module, nullptr);
    SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    const struct {
        const char* what;
        HWND wnd;
        const char* skin;
    } rows[] = {
        {"a size grip", grip, "TSkinSizer"},    {"a scroll bar that takes the focus", bar, ""},
        {"a bare dialog", dialog, "TSkinBoxH"}, {"a push button on the dialog", inside, "TSkinButton"},
        {"a static text", label, ""},
    };
    for (const auto& r : rows) {
        TSkinControl* s = form->FindControlSkinByHandle(r.wnd);
        EXPECT_EQ(s ? s->ClassName() : std::string(), r.skin) << r.what;
    }
    HDC dc = GetDC(label);
    EXPECT_EQ(SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)),
              reinterpret_cast<LRESULT>(Skin()->ButtonFaceBrush));
    ReleaseDC(label, dc);
    const COLORREF face = ColorToRGB(Skin()->Colours.ButtonFace);
    RedrawWindow(bare, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT dr{}, gr{};
    GetWindowRect(dialog, &dr);
    GetWindowRect(grip, &gr);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(dr.right - 5, dr.bottom - 5) == face; },
                          "the dialog's background in the button face"));
    EXPECT_TRUE(
        PumpUntil([&] { return ScreenPixel(gr.left + 10, gr.top + 10) == face; }, "the size grip in the button face"));
    ShotWindow(bare, "control-skin-bare-dialog.png");
    DestroyWindow(bare);
    Pump();
}

TEST(PanelKinds, CentredTextSitsInTheMiddleWhateverTheAlignment) {
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(200, 20);
    for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
        for (bool enabled : {true, false}) {
            HDC dc = target.Canvas()->Handle();
            FillColour(dc, TRect{0, 0, 200, 20}, RGB(255, 255, 255));
            target.Canvas()->Font()->SetColor(clBlack);
            DrawCenteredText(target.Canvas(), TRect{0, 0, 200, 20}, L"WWWW", a, enabled);
            int first = -1, last = -1, inked = 0;
            const COLORREF ink = enabled ? RGB(0, 0, 0) : ColorToRGB(clBtnShadow);
            for (int x = 0; x < 200; ++x)
                for (int y = 0; y < 20; ++y) {
                    const COLORREF c = GetPixel(target.Canvas()->Handle(), x, y);
                    if (c == RGB(255, 255, 255)) continue;
                    if (first < 0) first = x;
                    last = x;
                    if (c == ink) ++inked;
                }
            ASSERT_GE(first, 0) << "alignment " << a;
            EXPECT_LE(std::abs((first + last) - 199), 4) << "alignment " << a << ": " << first << ".." << last;
            EXPECT_GT(inked, 10) << "alignment " << a << " enabled " << enabled;
        }
    }
}

TEST(PanelKinds, GroupItemsGetGlyphStripsCutFromTheSkin) {
    TRzCheckGroup* checks = nullptr;
    TRzRadioGroup* radios = nullptr;
    TRzCheckBox *item = nullptr, *single = nullptr;
    TRzRadioButton* radioItem = nullptr;
    TcxCheckBox* cx = nullptr;
    auto f = MakeForm([&](TForm* form) {
        checks = Put<TRzCheckGroup>(form, 10, 10, 200, 80);
        item = Put<TRzCheckBox>(checks, 10, 10, 120, 20);
        Put<TRzCheckBox>(checks, 10, 40, 120, 20);
        radios = Put<TRzRadioGroup>(form, 220, 10, 200, 80);
        radioItem = Put<TRzRadioButton>(radios, 10, 10, 120, 20);
        single = Put<TRzCheckBox>(form, 10, 110, 120, 20);
        cx = Put<TcxCheckBox>(form, 220, 110, 120, 20);
    });
    ASSERT_NE(f->Skin, nullptr);
    auto* itemSkin = DynamicAs<TSkinObjImage>(SkinOf(f->Skin, item));
    auto* radioSkin = DynamicAs<TSkinObjImage>(SkinOf(f->Skin, radioItem));
    auto* singleSkin = DynamicAs<TSkinObjImage>(SkinOf(f->Skin, single));
    auto* cxSkin = DynamicAs<TSkinObjImage>(SkinOf(f->Skin, cx));
    ASSERT_TRUE(itemSkin && radioSkin && singleSkin && cxSkin);
    EXPECT_EQ(itemSkin->Kind, oiCheckItem);
    EXPECT_EQ(radioSkin->Kind, oiRadioItem);
    EXPECT_EQ(singleSkin->Kind, oiCheckItem);
    EXPECT_EQ(cxSkin->Kind, oiPropertiesCheck);
    EXPECT_EQ(SkinNameOf(f->Skin, checks), "TSkinGroupBox");
    EXPECT_EQ(SkinNameOf(f->Skin, radios), "TSkinGroupBox");
    EXPECT_EQ(item->TransparentColor(), 0xFF00FF);
    EXPECT_TRUE(item->UseCustomGlyphs());
    EXPECT_GE(item->Reloads, 1);
    EXPECT_EQ(SendMessageA(item->Handle(), WM_SKIN_QUERY, 0, 0), 0) << "no window hook";

    // Place i of the strip holds source frame n (from 1); 0 = nothing copied (key colour).
    const COLORREF key = RGB(255, 0, 255);
    auto places = [&](TBitmap* strip, std::initializer_list<int> expected) {
        ASSERT_EQ(strip->Width(), kGlyphSide * static_cast<int>(expected.size()));
        ASSERT_EQ(strip->Height(), kGlyphSide);
        int i = 0;
        for (int n : expected) {
            EXPECT_EQ(GetPixel(strip->Canvas()->Handle(), i * kGlyphSide + kGlyphSide / 2, kGlyphSide / 2),
                      n ? GlyphColour(n) : key)
                << "place " << i + 1;
            ++i;
        }
    };
    TDataSkinButton* b = Skin()->Buttons.get();
    struct Case {
        const char* what;
        TSkinObjImage* skin;
        int checkFrames, radioFrames;
        std::initializer_list<int> expected;
    };
    const Case cases[] = {
        {"check item, 4 frames", itemSkin, 4, 4, {1, 2, 0, 1, 2, 0, 3, 4, 0}},
        {"check item, 5 frames", itemSkin, 5, 4, {1, 2, 5, 1, 2, 5, 3, 4, 5}},
        {"check item, 2 frames", itemSkin, 2, 4, {1, 2, 0, 1, 2, 0, 0, 0, 0}},
        {"radio item, 4 frames", radioSkin, 4, 4, {1, 2, 1, 2, 3, 4}},
        {"radio item, 2 frames", radioSkin, 4, 2, {1, 2, 1, 2, 0, 0}},
        {"check box with properties, 4 frames", cxSkin, 4, 4, {1, 2, 0, 1, 2, 0}},
        {"check box with properties, 5 frames", cxSkin, 5, 4, {1, 2, 5, 1, 2, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        b->CheckBitmap = GlyphStrip(c.checkFrames);
        b->CheckFrames = c.checkFrames;
        b->RadioBitmap = GlyphStrip(c.radioFrames);
        b->RadioFrames = c.radioFrames;
        c.skin->SkinChanged();
        TBitmap* handed = c.skin == cxSkin      ? cx->Properties()->Glyph()
                          : c.skin == radioSkin ? radioItem->CustomGlyphs()
                                                : item->CustomGlyphs();
        places(handed, c.expected);
    }
    EXPECT_EQ(cx->Properties()->Glyph()->TransparentColor(), static_cast<TColor>(0xFF00FF));
    EXPECT_FALSE(cx->Properties()->Glyph()->Transparent());
    b->CheckBitmap = GlyphStrip(4);
    b->CheckFrames = 4;
    b->RadioBitmap = GlyphStrip(4);
    b->RadioFrames = 4;

    // Without a strip nothing is handed over; taken off, the controls draw their own glyphs.
    const int reloads = item->Reloads;
    std::unique_ptr<TBitmap> saved = std::move(b->CheckBitmap);
    itemSkin->SkinChanged();
    EXPECT_EQ(item->Reloads, reloads);
    b->CheckBitmap = std::move(saved);
    f->Skin->FreeControlSkins();
    EXPECT_FALSE(item->UseCustomGlyphs());
    EXPECT_FALSE(radioItem->UseCustomGlyphs());
    EXPECT_TRUE(cx->Properties()->Glyph()->Empty());
}

TEST(PanelKinds, OtherLibrariesClassesGetTheirSkins) {
    TcxButton *drop = nullptr, *plain = nullptr;
    TBitBtn* bit = nullptr;
    TDBNavigator* navigator = nullptr;
    TSpeedButton *first = nullptr, *second = nullptr;
    TMVCPanel* mvc = nullptr;
    TButton* inMvc = nullptr;
    TRzGroup* group = nullptr;
    TTntPanel* tnt = nullptr;
    TSilentPaintPanel* silent = nullptr;
    TStatusBar* bar = nullptr;
    auto f = MakeForm([&](TForm* form) {
        drop = Put<TcxButton>(form, 10, 10, 80, 26, "Drop");
        drop->SetKind(cxbkDropDownButton);
        plain = Put<TcxButton>(form, 100, 10, 80, 26, "Plain");
        bit = Put<TBitBtn>(form, 190, 10, 80, 26, "Bit");
        navigator = Put<TDBNavigator>(form, 10, 50, 120, 30);
        for (TSpeedButton** b : {&first, &second}) {
            *b = new TSpeedButton(form);
            (*b)->SetParent(navigator);
        }
        first->SetBounds(0, 0, 60, 30);
        second->SetBounds(60, 0, 60, 30);
        mvc = Put<TMVCPanel>(form, 140, 50, 120, 40);
        inMvc = Put<TButton>(mvc, 5, 5, 80, 26, "In");
        group = Put<TRzGroup>(form, 270, 50, 120, 40);
        tnt = Put<TTntPanel>(form, 10, 100, 150, 60);
        silent = Put<TSilentPaintPanel>(form, 170, 100, 150, 60);
        for (TPanel* p : {static_cast<TPanel*>(tnt), static_cast<TPanel*>(silent)}) {
            p->SetColor(clRed);
            // Reached below as bare windows only.
            p->SetTag(Skin()->DisableTag());
        }
        bar = Put<TStatusBar>(form, 0, 0, 100, 20);
    });
    ASSERT_NE(f->Skin, nullptr);
    const struct {
        const char* what;
        TControl* control;
        const char* skin;
    } rows[] = {
        {"a button whose Kind is the drop-down button", drop, "TSkinMenuButton"},
        {"a button of the same class, another Kind", plain, "TSkinBitButton"},
        {"the library's bit button", bit, "TSkinBitButton"},
        {"a navigator", navigator, "TSkinBox"},
        {"a navigator's button", first, "TSkinSpeedButton"},
        {"another navigator's button", second, "TSkinSpeedButton"},
        {"a panel the dispatch walks into", mvc, ""},
        {"a button in it", inMvc, "TSkinButton"},
        {"a group the class map makes a panel", group, "TSkinBox"},
        {"the library's status bar", bar, "TSkinStatusBar"},
    };
    for (const auto& r : rows) EXPECT_EQ(SkinNameOf(f->Skin, r.control), r.skin) << r.what;
    EXPECT_EQ(navigator->Color(), Skin()->Colours.ButtonFace);
    EXPECT_TRUE(group->Transparent());

    // Bare panels by window class: the Tnt panel's children are dispatched and its control
    // takes the skin's colour; the silent panel only takes the colour.
    const HINSTANCE module = GetModuleHandleA(nullptr);
    char name[64] = {};
    GetClassNameA(tnt->Handle(), name, sizeof name);
    EXPECT_STREQ(name, "TTntPanel.UnicodeClass");
    HWND tntButton = CreateWindowExA(0, "BUTTON", "T", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 5, 60, 26,
                                     tnt->Handle(), nullptr, module, nullptr);
    HWND silentButton = CreateWindowExA(0, "BUTTON", "S", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 5, 5, 60, 26,
                                        silent->Handle(), nullptr, module, nullptr);
    f->Skin->SkinChildWindow(tnt->Handle());
    f->Skin->SkinChildWindow(silent->Handle());
    TSkinControl* t = f->Skin->FindControlSkinByHandle(tntButton);
    EXPECT_EQ(t ? t->ClassName() : std::string(), "TSkinButton");
    EXPECT_EQ(f->Skin->FindControlSkinByHandle(silentButton), nullptr);
    EXPECT_EQ(tnt->Color(), Skin()->Colours.ButtonFace);
    EXPECT_EQ(silent->Color(), Skin()->Colours.ButtonFace);
    EXPECT_EQ(f->Skin->FindControlSkinByHandle(tnt->Handle()), nullptr);
    EXPECT_EQ(f->Skin->FindControlSkinByHandle(silent->Handle()), nullptr);
}

TEST(PanelKinds, RepaintsOfTheNewerKindsKeepTheGdiCount) {
    TBitBtn* bit = nullptr;
    TRzMenuButton* menu = nullptr;
    TSpeedButton* speed = nullptr;
    TStatusBar* bar = nullptr;
    auto f = MakeForm([&](TForm* form) {
        bit = Put<TBitBtn>(form, 10, 10, 100, 30, "Bit");
        menu = Put<TRzMenuButton>(form, 120, 10, 100, 30, "Menu");
        speed = new TSpeedButton(form);
        speed->SetParent(form);
        speed->SetBounds(230, 10, 60, 30);
        speed->SetCaption("Speed");
        bar = Put<TStatusBar>(form, 0, 0, 100, 20);
        bar->AddPanel()->SetText("One");
        bar->AddPanel()->SetText("Two");
    });
    ASSERT_NE(f->Skin, nullptr);
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(24, 12);
    bit->SetGlyph(&glyph);
    bit->SetNumGlyphs(2);
    for (TControl* c : {static_cast<TControl*>(bit), static_cast<TControl*>(menu), static_cast<TControl*>(speed),
                        static_cast<TControl*>(bar)})
        ASSERT_NE(SkinOf(f->Skin, c), nullptr) << c->ClassName();
    HWND formWnd = f->Form->Handle();
    auto repaint = [&](int n) {
        for (int i = 0; i < n; ++i) {
            for (TWinControl* w :
                 {static_cast<TWinControl*>(bit), static_cast<TWinControl*>(menu), static_cast<TWinControl*>(bar)}) {
                InvalidateRect(w->Handle(), nullptr, TRUE);
                UpdateWindow(w->Handle());
            }
            speed->Perform(CM_MOUSEENTER);
            speed->Perform(CM_MOUSELEAVE);
            speed->Invalidate();
            UpdateWindow(formWnd);
        }
    };
    repaint(5);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    repaint(100);
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
}
