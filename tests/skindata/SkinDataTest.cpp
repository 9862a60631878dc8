// The skin data component on GDI: our own stored skin as ReadSkinIni makes it, small
// packages for the reader's edge cases, and what the component asks of the manager.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/FormReader.h"
#include "classlib/Forms.h"
#include "skin/EngineBitmaps.h"
#include "skin/ImgUtil.h"
#include "classlib/TypInfo.h"
#include "skin/SkinRead.h"
#include "skin/SkinManage.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "tools/skingen/SkinGen.h"
#include "tools/skinpack/SkinPack.h"

namespace {

using skinpack::Bytes;
using skinpack::TSkinEntry;

// A BMP entry of one colour.
TSkinEntry Image(const std::string& name, int w, int h, uint32_t rgb = 0x336699) {
    // TImage holds 0x00RRGGBB.
    return {name, skingen::BmpBytes(skingen::TImage(w, h, rgb))};
}

Bytes Package(const std::string& ini, std::vector<TSkinEntry> entries) {
    entries.push_back({"test.ini", Bytes(ini.begin(), ini.end())});
    return skinpack::SkinPackage(entries);
}

// What a form file's "SkinStream" holds for the package.
void Feed(TSkinData& data, const Bytes& package) {
    TMemoryStream s;
    s.WriteI32(static_cast<int32_t>(package.size()));
    if (!package.empty()) s.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
    s.SetPosition(0);
    data.ReadStream(s);
}

TColor PixelOf(TBitmap& b, int x, int y) { return b.Canvas()->Pixels(x, y); }

class SkinDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        FreeSkinManager();
        // The component points the reader's messages at a message box only when nobody else did.
        SkinMessageHook = [this](const std::string& text) { Messages.push_back(text); };
    }
    void TearDown() override {
        FreeSkinManager();
        SkinMessageHook = nullptr;
    }
    std::vector<std::string> Messages;
};

// ---------------------------------------------------------------------------
// Our own stored skin

Bytes BuilderPackage() {
    TMemoryStream file;
    file.LoadFromFile(DP_BUILDER_SKIN_PACKAGE);
    Bytes b(static_cast<size_t>(file.Size()));
    file.SetPosition(0);
    file.ReadBuffer(b.data(), static_cast<int64_t>(b.size()));
    return b;
}

TEST_F(SkinDataTest, OurStoredSkinAsTheReaderMakesIt) {
    TSkinData d(nullptr);
    Feed(d, BuilderPackage());
    ASSERT_FALSE(d.SkinEmpty);
    EXPECT_EQ(d.SkinName, "Satin Steel");

    // Five caption buttons, then the three of a maximised MDI child.
    ASSERT_EQ(d.SysButtons.size(), 8u);
    const int32_t actions[] = {0, 1, 2, 1, 3, 7, 8, 9};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(d.SysButtons[i]->Action, actions[i]) << i;
    EXPECT_EQ(d.SysButtons[0]->Name, "BUTTON0");
    EXPECT_TRUE(d.SysButtons[1]->Bitmap->Empty());  // [Button1] has an empty image
    EXPECT_FALSE(d.SysButtons[0]->Bitmap->Empty());
    EXPECT_FALSE(d.SysButtons[4]->Bitmap->Empty());  // Action 3 keeps its image: its "frame" was given
    EXPECT_EQ(d.SysButtons[0]->Frames, 4);
    EXPECT_EQ(d.SysButtons[0]->Align, 1);
    EXPECT_EQ(d.SysButtons[0]->XCoord, 24);
    EXPECT_EQ(d.SysButtons[0]->CombineOp, -1);
    EXPECT_EQ(d.SysButtons[3]->Visibility, 2);
    for (size_t i = 5; i < 8; ++i) {
        EXPECT_EQ(d.SysButtons[i]->Align, 100);
        EXPECT_EQ(d.SysButtons[i]->Visibility, 100);
        EXPECT_EQ(d.SysButtons[i]->Visibility1, 100);
        EXPECT_EQ(d.SysButtons[i]->Frames, 4);
        EXPECT_TRUE(d.SysButtons[i]->Bitmap->Empty());  // no [MDICONTROLS]
    }

    // [Personality]: the side pieces' ends across, the horizontal pieces' ends along.
    EXPECT_EQ(d.Borders[0]->Name, "Left");
    EXPECT_EQ(d.Borders[0]->Margins.top, 26);
    EXPECT_EQ(d.Borders[0]->Margins.bottom, 4);
    EXPECT_EQ(d.Borders[0]->Margins.left, 0);
    EXPECT_EQ(d.Borders[2]->Margins.left, 32);
    EXPECT_EQ(d.Borders[2]->Margins.right, 39);
    EXPECT_EQ(d.Borders[2]->Margins.top, 0);
    EXPECT_EQ(d.Borders[2]->Frames, 2);
    EXPECT_EQ(d.Borders[2]->Tile, 0);
    EXPECT_EQ(d.Borders[3]->Trans, 0);
    EXPECT_EQ(d.Borders[1]->Trans, 1);
    for (auto& b : d.Borders) EXPECT_FALSE(b->Bitmap->Empty()) << b->Name;
    EXPECT_EQ(d.Title->Margins.left, 28);
    EXPECT_EQ(d.Title->Margins.top, 6);
    EXPECT_EQ(d.Title->Margins.right, 70);
    EXPECT_EQ(d.Title->ActiveTextColour, TITLE_COLOUR_NONE);
    ASSERT_TRUE(d.MenuBar);
    EXPECT_EQ(d.MenuBar->Name, "Personality");
    EXPECT_EQ(d.MenuBar->Margins.left, 4);
    EXPECT_EQ(d.MenuBar->Frames, 2);

    // The 14 [Colours] keys; the two it leaves out are system colours.
    EXPECT_EQ(d.Colours.ButtonFace, 212 + 215 * 256 + 220 * 65536);
    EXPECT_EQ(d.Colours.Menubar, 226 + 228 * 256 + 232 * 65536);
    EXPECT_EQ(d.Colours.TitleTextNoActive, 72 + 78 * 256 + 86 * 65536);
    EXPECT_EQ(d.Colours.Scrollbar, clScrollBar);
    EXPECT_EQ(d.Colours.Buttonlight, clBtnHighlight);
    EXPECT_TRUE(d.SectionColours.empty());
    for (TColor c : d.CustomColors) EXPECT_EQ(c, clWhite);

    // Frame counts forced per slot.
    const struct {
        const char* what;
        TDataSkinObject* e;
        int32_t frames;
    } forced[] = {
        {"Buttons", d.Buttons.get(), 5},
        {"Title", d.Title.get(), 2},
        {"Tabs", d.Tabs.get(), 5},
        {"TabPane", d.TabPane.get(), 1},
        {"ComboButton", d.ComboButton.get(), 4},
        {"ExtraImages", d.ExtraImages.get(), 5},
        {"Headerbar", d.Headerbar.get(), 5},
        {"MenuItem", d.MenuItem.get(), 5},
        {"MenuBackground", d.MenuBackground.get(), 1},
        {"Scrollbar", d.Scrollbar.get(), 23},
        {"HorzScroll", d.HorzScroll.get(), 4},
        {"VertScroll", d.VertScroll.get(), 4},
        {"HorzScrollThumb", d.HorzScrollThumb.get(), 3},
        {"VertScrollThumb", d.VertScrollThumb.get(), 3},
        {"Progress", d.Progress.get(), 2},
        {"StatusBarEdges", d.StatusBarEdges.get(), 3},
        {"ToolBars", d.ToolBars.get(), 5},
        {"GroupBoxEdge", d.GroupBoxEdge.get(), 2},
        {"UpDownHorz", d.UpDownHorz.get(), 8},
        {"UpDownVert", d.UpDownVert.get(), 8},
        {"TrackThumbHorz", d.TrackThumbHorz.get(), 5},
        {"TrackThumbVert", d.TrackThumbVert.get(), 5},
        {"Toolbar", d.Toolbar.get(), 1},
    };
    for (const auto& f : forced) {
        ASSERT_NE(f.e, nullptr) << f.what;
        EXPECT_EQ(f.e->Frames, f.frames) << f.what;
    }
    EXPECT_EQ(d.Buttons->CheckFrames, 4);
    EXPECT_EQ(d.Buttons->RadioFrames, 4);
    EXPECT_TRUE(d.Buttons->HasMouseOverColour2);
    EXPECT_EQ(d.Buttons->MouseOverColour2, 16 + 28 * 256 + 44 * 65536);

    // The track channels are the skin's own, not the engine's.
    ASSERT_TRUE(d.Track);
    EXPECT_EQ(d.Track->Name, "Track");
    EXPECT_EQ(d.Track->Bitmap->Width(), 24);
    EXPECT_EQ(d.Track->Margins.left, 3);
    ASSERT_TRUE(d.TrackVert);
    EXPECT_EQ(d.TrackVert->Bitmap->Height(), 24);
    EXPECT_EQ(d.TrackVert->Margins.bottom, 3);
    // Sections the skin does not have.
    EXPECT_FALSE(d.SunkEdge);
    EXPECT_FALSE(d.GroupBox);
    EXPECT_FALSE(d.ProgressChunk);
    EXPECT_FALSE(d.TrackThumbLeft);

    // No [SunkEdge]: the combo button keeps its image; the arrow is it with magenta as ButtonFace.
    EXPECT_EQ(d.ComboButton->Style, 0);
    EXPECT_FALSE(d.ComboButton->Bitmap2->Empty());
    ASSERT_TRUE(d.ComboxArrow);
    TBitmap* arrow = d.ComboxArrow->Bitmap.get();
    TBitmap* combo = d.ComboButton->Bitmap.get();
    ASSERT_EQ(arrow->Width(), combo->Width());
    ASSERT_EQ(arrow->Height(), combo->Height());
    EXPECT_EQ(d.ComboxArrow->Frames, 4);
    int magenta = 0;
    for (int y = 0; y < combo->Height(); ++y)
        for (int x = 0; x < combo->Width(); ++x) {
            const TColor c = PixelOf(*combo, x, y);
            if (c == TRANSPARENT_KEY) {
                ++magenta;
                EXPECT_EQ(PixelOf(*arrow, x, y), d.Colours.ButtonFace);
            } else {
                EXPECT_EQ(PixelOf(*arrow, x, y), c);
            }
        }
    EXPECT_GT(magenta, 0);

    // The caption colour from the Top piece: a third in, a third down its first frame.
    TBitmap* top = d.Borders[2]->Bitmap.get();
    EXPECT_EQ(d.TitleColour, PixelOf(*top, top->Width() / 3, top->Height() / 2 / 3));
    ASSERT_TRUE(d.Toolbar);
    TBitmap* bar = d.Toolbar->Bitmap.get();
    ASSERT_EQ(bar->Width(), 10);
    ASSERT_EQ(bar->Height(), 40);
    // Top to bottom, from the button face lightened towards white.
    EXPECT_EQ(PixelOf(*bar, 0, 0), Blend(d.Colours.ButtonFace, clWhite, 150));
    EXPECT_EQ(PixelOf(*bar, 9, 0), PixelOf(*bar, 0, 0));
    EXPECT_EQ(PixelOf(*bar, 9, 39), PixelOf(*bar, 0, 39));
    EXPECT_NE(PixelOf(*bar, 0, 39), PixelOf(*bar, 0, 0));

    ASSERT_NE(d.ButtonFaceBrush, nullptr);
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectA(d.ButtonFaceBrush, sizeof lb, &lb), int(sizeof lb));
    EXPECT_EQ(lb.lbColor, COLORREF(d.Colours.ButtonFace));
}

// ---------------------------------------------------------------------------
// Small skins

TEST_F(SkinDataTest, TabPaneMarginsAreCutToFour) {
    TSkinData d(nullptr);
    Feed(d, Package("[Tab.Pane]\r\nImage=p.bmp\r\nLeftWidth=10\r\nTopHeight=3\r\nRightWidth=5\r\nBottomHeight=4\r\n",
                    {Image("p.bmp", 20, 20)}));
    ASSERT_TRUE(d.TabPane);
    EXPECT_EQ(d.TabPane->Margins.left, 4);
    EXPECT_EQ(d.TabPane->Margins.top, 3);
    EXPECT_EQ(d.TabPane->Margins.right, 4);
    EXPECT_EQ(d.TabPane->Margins.bottom, 4);
}

TEST_F(SkinDataTest, CaptionButtonsFromSmallSkins) {
    const struct {
        const char* ini;
        size_t buttons;  // before the three MDI ones
        int32_t frames;  // of the first, when there is one
        bool image;
    } cases[] = {
        {"[Button7]\r\nAction=-1\r\nButtonImage=b.bmp\r\n", 0, 0, false},
        {"[Button7]\r\nAction=-1\r\nVisibility=0\r\nButtonImage=b.bmp\r\n", 1, 6, true},
        {"[Button0]\r\nButtonImage=b.bmp\r\n", 1, 3, true},  // 60 x 21: 2.86
        {"[Button0]\r\nButtonImage=w.bmp\r\n", 1, 6, true},  // 90 x 21: 4.29
        {"[Button0]\r\nButtonImage=\r\n", 1, 6, false},
        {"[Button0]\r\nAction=3\r\nButtonImage=b.bmp\r\n", 1, 3, false},  // the window icon's place
        {"[Button0]\r\nAction=11\r\nframe=2\r\nButtonImage=b.bmp\r\n", 1, 2, true},
        {"[Button0]\r\nButtonImage=B.BMP\r\n", 1, 6, false},                   // the extension is compared exactly
        {"[Button0]\r\nButtonImage=c:\\skins\\MY_Close.bmp\r\n", 1, 3, true},  // the name is not
        {"[Buttons]\r\nBitmap=b.bmp\r\n[Button.Radio]\r\n[BUTTON]\r\n", 0, 0, false},
    };
    for (const auto& c : cases) {
        TSkinData d(nullptr);
        Feed(d, Package(c.ini, {Image("b.bmp", 60, 21), Image("w.bmp", 90, 21), Image("my_close.bmp", 60, 21)}));
        ASSERT_EQ(d.SysButtons.size(), c.buttons + 3) << c.ini;
        if (c.buttons) {
            EXPECT_EQ(d.SysButtons[0]->Frames, c.frames) << c.ini;
            EXPECT_EQ(!d.SysButtons[0]->Bitmap->Empty(), c.image) << c.ini;
        }
    }
}

TEST_F(SkinDataTest, MdiButtonsAreCutFromTwelveCells) {
    TSkinData d(nullptr);
    Feed(d, Package("[MDICONTROLS]\r\nImage=m.bmp\r\n", {Image("m.bmp", 120, 14)}));
    ASSERT_EQ(d.SysButtons.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.SysButtons[i]->Bitmap->Width(), 40);
        EXPECT_EQ(d.SysButtons[i]->Bitmap->Height(), 14);
        EXPECT_EQ(d.SysButtons[i]->XCoord, 14 * (3 - i));
    }
    TSkinData narrow(nullptr);
    Feed(narrow, Package("[MDICONTROLS]\r\nImage=m.bmp\r\n", {Image("m.bmp", 11, 14)}));
    for (auto& b : narrow.SysButtons) EXPECT_TRUE(b->Bitmap->Empty());
}

TEST_F(SkinDataTest, GlyphFramesFromTheImagesWhenNotGiven) {
    const struct {
        int w, h;
        int32_t frames;
    } cases[] = {{104, 13, 8}, {48, 16, 4}};
    for (const auto& c : cases) {
        TSkinData d(nullptr);
        Feed(d, Package("[Buttons]\r\nBitmap=b.bmp\r\nRadioButton=r.bmp\r\nCheckButton=r.bmp\r\n",
                        {Image("b.bmp", 50, 20), Image("r.bmp", c.w, c.h)}));
        EXPECT_EQ(d.Buttons->RadioFrames, c.frames) << c.w << "x" << c.h;
        EXPECT_EQ(d.Buttons->CheckFrames, c.frames) << c.w << "x" << c.h;
        EXPECT_EQ(d.Buttons->Frames, 5);
    }
}

TEST_F(SkinDataTest, ColourKeys) {
    TSkinData d(nullptr);
    Feed(d, Package("[Colours]\r\nButtonFace=1,2,3\r\nButtonText=9 9 9\r\n"
                    "[ToolBars]\r\nImage=t.bmp\r\nNormalColour=0xFF\r\nNormalColour2=0, 0, 255\r\nTile=2\r\n"
                    "[Personality]\r\nActiveTextR=1\r\nActiveTextG=2\r\nInActiveTextR=1\r\nInActiveTextG=2\r\n"
                    "InActiveTextB=300\r\n"
                    "[Colour2]\r\ncolor=5 5 5\r\n[ColourS]\r\ncolor=1 1 1\r\n[Colour1]\r\n"
                    "[Customcolors]\r\nColor3=0 255 0\r\nColor10=1 1 1\r\n",
                    {Image("t.bmp", 50, 20)}));
    EXPECT_EQ(d.Colours.ButtonFace, 0x030201);
    EXPECT_EQ(d.Colours.Menubar, 0x030201);  // follows ButtonFace
    EXPECT_EQ(d.Colours.WindowText, clWindowText);
    ASSERT_TRUE(d.ToolBars);
    EXPECT_EQ(d.ToolBars->NormalColour, 255);
    EXPECT_EQ(d.ToolBars->NormalColour2, 0xFF0000);
    EXPECT_EQ(d.ToolBars->MouseOverColour2, 0x090909);  // ButtonText
    EXPECT_EQ(d.ToolBars->MouseOverColour, -1);
    EXPECT_EQ(d.ToolBars->Tile, 0);
    EXPECT_EQ(d.Title->ActiveTextColour, TITLE_COLOUR_NONE);  // no blue key
    EXPECT_EQ(d.Title->InactiveTextColour, 0x2C0201);         // 300 modulo 256
    ASSERT_EQ(d.SectionColours.size(), 2u);
    EXPECT_EQ(d.SectionColours[0], 0x050505);
    EXPECT_EQ(d.SectionColours[1], clWindowText);
    EXPECT_EQ(d.CustomColors[3], 0x00FF00);
    EXPECT_EQ(d.CustomColors[0], clWhite);
    // No Top image: the caption colour is the button face.
    EXPECT_EQ(d.TitleColour, 0x030201);
}

TEST_F(SkinDataTest, SkinWithoutColoursUsesSystemColours) {
    TSkinData d(nullptr);
    Feed(d, Package("", {}));
    EXPECT_FALSE(d.SkinEmpty);
    EXPECT_EQ(d.Colours.ButtonFace, clBtnFace);
    EXPECT_EQ(d.Colours.Menubar, clBtnFace);
    EXPECT_EQ(d.Colours.ButtonDkShadow, cl3DDkShadow);
    EXPECT_EQ(d.TitleColour, clBtnFace);
    EXPECT_EQ(d.SysButtons.size(), 3u);
    ASSERT_TRUE(d.Toolbar);
    EXPECT_EQ(d.Toolbar->Bitmap->Width(), 10);
    EXPECT_TRUE(d.ComboxArrow->Bitmap->Empty());
}

TEST_F(SkinDataTest, ComboStripFromSunkEdgeAndComboButton) {
    TSkinData d(nullptr);
    Feed(d, Package("[SunkEdge]\r\nImage=s.bmp\r\nLeftWidth=2\r\nTopHeight=2\r\nRightWidth=2\r\nBottomHeight=2\r\n"
                    "[ComboButton]\r\nImage=c.bmp\r\n",
                    {Image("s.bmp", 200, 21, 0x808080), Image("c.bmp", 68, 17, 0x00FF00)}));
    ASSERT_TRUE(d.ComboButton && d.SunkEdge);
    EXPECT_EQ(d.ComboButton->Style, 2);
    EXPECT_EQ(d.ComboButton->Bitmap->Width(), 200);
    EXPECT_EQ(d.ComboButton->Bitmap->Height(), 21);
    const int32_t bw = GetSystemMetrics(SM_CXHSCROLL) + 2;
    EXPECT_EQ(d.ComboButton->Margins.left, 2);
    EXPECT_EQ(d.ComboButton->Margins.right, bw + 2);
    EXPECT_EQ(d.SunkEdge->Margins.left, bw + 2);
    EXPECT_EQ(d.SunkEdge->Margins.right, 2);
    // The edit part is keyed, the button green, on the right in ComboButton and the left in SunkEdge.
    EXPECT_EQ(PixelOf(*d.ComboButton->Bitmap, 10, 10), TRANSPARENT_KEY);
    EXPECT_EQ(PixelOf(*d.ComboButton->Bitmap, 48, 10), 0x00FF00);
    EXPECT_EQ(PixelOf(*d.SunkEdge->Bitmap, 200 - 48 - 1, 10), 0x00FF00);
    ASSERT_TRUE(d.ComboxArrow);
    EXPECT_EQ(d.ComboxArrow->Bitmap->Width(), 68);
    EXPECT_EQ(d.ComboxArrow->Bitmap->Height(), 17);
    EXPECT_EQ(d.ComboxArrow->Frames, 4);
}

TEST_F(SkinDataTest, DamagedImagesAndPackages) {
    // An entry that is no bitmap leaves the image empty; the rest of the skin loads.
    TSkinData d(nullptr);
    Feed(d, Package("[ToolBars]\r\nImage=t.bmp\r\n[Colours]\r\nButtonFace=1 2 3\r\n",
                    {{"t.bmp", Bytes{'B', 'M', 1, 2, 3}}}));
    EXPECT_FALSE(d.SkinEmpty);
    ASSERT_TRUE(d.ToolBars);
    EXPECT_TRUE(d.ToolBars->Bitmap->Empty());
    EXPECT_EQ(d.Colours.ButtonFace, 0x030201);

    // A package that is not one, and a SkinStream whose length runs past its bytes.
    TSkinData bad(nullptr);
    Feed(bad, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_TRUE(bad.SkinEmpty);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].rfind(SDamagedSkinFile, 0), 0u) << Messages[0];
    // An older container: its message, no skin, and Loaded switches Active off.
    Messages.clear();
    Bytes older = skinpack::SkinContainer({{"test.ini", Bytes{'[', 'x', ']'}}});
    older[0] = 0x1F;  // tag 19999
    older[1] = 0x4E;
    TSkinData old(nullptr);
    Feed(old, skinpack::SkinPackage(older));
    EXPECT_TRUE(old.SkinEmpty);
    EXPECT_EQ(Messages, (std::vector<std::string>{SOlderSkinFile}));
    old.SetActive(true);
    old.Loaded();
    EXPECT_FALSE(old.Active());
    EXPECT_FALSE(SkinManager->Enabled);  // nothing asked for
    EXPECT_EQ(SkinManager->PendingAction(), 0);

    // No ini entry at all: a skin of defaults.
    TSkinData noIni(nullptr);
    Feed(noIni, skinpack::SkinPackage(std::vector<TSkinEntry>{Image("a.bmp", 4, 4)}));
    EXPECT_FALSE(noIni.SkinEmpty);
    EXPECT_EQ(noIni.SysButtons.size(), 3u);
    EXPECT_EQ(noIni.Colours.ButtonFace, clBtnFace);

    TSkinData cut(nullptr);
    TMemoryStream s;
    s.WriteI32(1000);
    s.WriteI32(0);
    s.SetPosition(0);
    cut.ReadStream(s);
    EXPECT_TRUE(cut.SkinEmpty);
    EXPECT_EQ(cut.PackageStream.Size(), 0);
}

TEST_F(SkinDataTest, ReloadingReplacesTheWholeSkin) {
    TSkinData d(nullptr);
    Feed(d, Package("[ToolBars]\r\nImage=t.bmp\r\n[ComboButton]\r\nImage=t.bmp\r\n[Button0]\r\nButtonImage=t.bmp\r\n"
                    "[Colours]\r\nButtonFace=1 2 3\r\n",
                    {Image("t.bmp", 60, 21)}));
    ASSERT_TRUE(d.ToolBars);
    ASSERT_FALSE(d.ComboxArrow->Bitmap->Empty());
    ASSERT_EQ(d.SysButtons.size(), 4u);
    TDataSkinObject* toolbar = d.Toolbar.get();
    Feed(d, Package("", {}));
    EXPECT_FALSE(d.ToolBars);
    EXPECT_FALSE(d.ComboButton);
    EXPECT_EQ(d.SysButtons.size(), 3u);
    EXPECT_EQ(d.Colours.ButtonFace, clBtnFace);
    // Made once and kept; the arrows of the skin before are not.
    EXPECT_EQ(d.Toolbar.get(), toolbar);
    EXPECT_TRUE(d.ComboxArrow->Bitmap->Empty());
}

TEST_F(SkinDataTest, ReadFromAFormDefinition) {
    const Bytes package = Package("[TitlebarSkin]\r\nSkinName=stored\r\n", {});
    std::string hex;
    Bytes stream = {uint8_t(package.size()), uint8_t(package.size() >> 8), 0, 0};
    stream.insert(stream.end(), package.begin(), package.end());
    for (size_t i = 0; i < stream.size(); ++i) {
        if (i % 32 == 0) hex += "\n      ";
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[stream[i] >> 4];
        hex += digits[stream[i] & 15];
    }
    const std::string text =
        "object Holder: TComponent\n"
        "  object SkinData1: TSkinData\n"
        "    Active = True\n"
        "    DisableTag = 98\n"
        "    SkinControls = [xcMainMenu, xcMenuItem, xcScrollbar]\n"
        "    Options = [xoPreview]\n"
        "    Skin3rd.Strings = (\n"
        "      'TPngBitBtn=pngbitbtn')\n"
        "    SkinStore = '(Good)'\n"
        "    SkinFormtype = sfMainform\n"
        "    Version = '4.11.06.25'\n"
        "    MenuUpdate = True\n"
        "    MenuMerge = False\n"
        "    SkinStream = {" +
        hex +
        "\n    }\n"
        "  end\n"
        "end\n";
    TComponent holder(nullptr);
    ReadFormDefinition(&holder, text, "Holder");
    auto* d = As<TSkinData>(holder.FindComponent("SkinData1"));
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->SkinEmpty);
    EXPECT_EQ(d->SkinName, "stored");
    EXPECT_TRUE(d->Active());
    EXPECT_EQ(d->DisableTag(), 98);
    EXPECT_EQ(d->SkinControls(), (TSkinControlTypes{xcMainMenu, xcScrollbar}));  // Loaded dropped xcMenuItem
    EXPECT_EQ(d->Options(), (TSkinOptions{xoPreview}));
    ASSERT_EQ(d->Skin3rd()->Count(), 1);
    EXPECT_EQ(d->Skin3rd()->Strings(0), "TPngBitBtn=pngbitbtn");
    EXPECT_EQ(d->PackageStream.Size(), static_cast<int64_t>(package.size()));
    ASSERT_TRUE(SkinManager);
    // Skin all, once loaded: before the manager runs it only switches skinning on.
    EXPECT_TRUE(SkinManager->Enabled);
    EXPECT_EQ(SkinManager->PendingAction(), 0);
}

// ---------------------------------------------------------------------------
// The component

TEST_F(SkinDataTest, DefaultsAndPublishedProperties) {
    TSkinData d(nullptr);
    const std::vector<std::string> order = {"Active",        "DisableTag",    "SkinControls",     "Options",
                                            "Skin3rd",       "SkinFile",      "SkinStore",        "SkinFormtype",
                                            "Version",       "MenuUpdate",    "MenuMerge",        "OnFormSkin",
                                            "OnSkinChanged", "OnSkinControl", "OnBeforeSkinForm", "OnAfterSkinForm"};
    std::vector<std::string> names;
    for (const TPropInfo* p : GetPropList(&d))
        if (std::find(order.begin(), order.end(), p->Name) != order.end()) names.push_back(p->Name);
    EXPECT_EQ(names, order);
    EXPECT_EQ(d.DisableTag(), 99);
    EXPECT_EQ(d.SkinControls().Mask(), 0x1FFFFBu);
    EXPECT_EQ(d.Options().Mask(), 0x48u);
    EXPECT_EQ(GetSetProp(&d, "Options", true), "[xoPreview,xoToolbarBK]");
    EXPECT_EQ(d.Skin3rd()->Count(), 117);
    EXPECT_EQ(d.Version(), "4.11.06.25");
    EXPECT_EQ(GetEnumProp(&d, "SkinFormtype"), "sfMainform");
    EXPECT_TRUE(d.MenuUpdate());
    EXPECT_FALSE(d.MenuMerge());
    EXPECT_TRUE(d.SkinEmpty);
    EXPECT_TRUE(d.NCPaintEnabled);
    // The engine's "TINSELMENU" (linked with the engine): restore, maximize, minimize, close.
    EXPECT_EQ(d.MenuGlyphs->Count(), 4);
    EXPECT_EQ(d.MenuGlyphs->Width(), 16);
    EXPECT_EQ(d.MenuGlyphs->Height(), 16);
    SetStrProp(&d, "Version", "1.0");
    EXPECT_EQ(d.Version(), "4.11.06.25");
    SetSetProp(&d, "SkinControls", "[xcMainMenu,xcFastReport]");
    EXPECT_EQ(d.SkinControls(), (TSkinControlTypes{xcMainMenu, xcFastReport}));
}

TEST_F(SkinDataTest, SkinStreamRoundTripsAndSkinStoreReadsNoneAtRunTime) {
    const Bytes package = Package("[TitlebarSkin]\r\nSkinName=x\r\n", {});
    TSkinData d(nullptr);
    Feed(d, package);
    EXPECT_EQ(d.SkinName, "x");
    EXPECT_EQ(d.SkinStore(), "(none)");
    TMemoryStream out;
    d.WriteStream(out);
    ASSERT_EQ(out.Size(), static_cast<int64_t>(package.size() + 4));
    out.SetPosition(0);
    EXPECT_EQ(out.ReadI32(), static_cast<int32_t>(package.size()));
    EXPECT_EQ(out.ReadString(static_cast<int64_t>(package.size())), std::string(package.begin(), package.end()));

    TSkinData design(nullptr);
    design.SetDesigning(true);
    Feed(design, package);
    EXPECT_EQ(design.SkinStore(), "(Good)");
    EXPECT_TRUE(design.SkinEmpty);  // nothing is loaded at design time

    TSkinData empty(nullptr);
    TMemoryStream none;
    empty.WriteStream(none);
    EXPECT_EQ(none.Size(), 4);
}

TEST_F(SkinDataTest, LoadedWithAnEmptySkinSwitchesActiveOffQuietly) {
    TSkinData d(nullptr);
    Feed(d, Bytes{});  // a SkinStream of length 0
    EXPECT_TRUE(d.SkinEmpty);
    d.SetActive(true);  // before Loaded: only stored
    d.Loaded();
    ASSERT_TRUE(SkinManager);
    EXPECT_FALSE(d.Active());
    EXPECT_FALSE(SkinManager->Enabled);
    EXPECT_TRUE(SkinManager->HookInstalled());
    EXPECT_EQ(SkinManager->MainData(), &d);
    // Active on an empty skin changes the property and asks nothing.
    SkinManager->State = 1;
    d.SetActive(true);
    EXPECT_TRUE(d.Active());
    EXPECT_FALSE(SkinManager->Enabled);
    EXPECT_EQ(SkinManager->PendingAction(), 0);
}

TEST_F(SkinDataTest, WhatSetActiveAsksOfTheManager) {
    // Before the manager runs (state 0) a request only switches skinning on or off; once it
    // runs, the request waits 250 ms on the manager's timer.
    const Bytes package = Package("", {});
    const struct {
        TSkinFormType type;
        bool skin;
        bool value;
        int32_t pending;
        bool enabled;
        int32_t state;
    } cases[] = {
        // The manager is set running first, so skin all waits on its timer and reaches the
        // windows already shown.
        {sfMainform, true, true, 1, false, 1},
        {sfMainform, true, false, 2, false, 1},  // switched on first, which set the state running
        {sfMainform, false, true, 0, false, 0},
        {sfMainform, false, false, 0, false, 0},
        {sfOnlyThisForm, true, true, 1, true, 1},  // Loaded of a non-main component counts the state up
        {sfOnlyThisForm, false, true, 0, true, 1},
        {sfOnlyThisForm, false, false, 2, true, 1},
        {sfDialog, true, true, 0, true, 1},
        {sfDLL, true, false, 0, true, 1},
    };
    for (const auto& c : cases) {
        FreeSkinManager();
        TSkinData d(nullptr);
        d.SetSkinFormtype(c.type);
        if (c.skin) Feed(d, package);
        d.Loaded();
        if (!c.value) d.SetActive(true);  // so that there is something to switch off
        d.SetActive(c.value);
        const std::string what = std::to_string(c.type) + " " + std::to_string(c.skin) + " " + std::to_string(c.value);
        EXPECT_EQ(SkinManager->PendingAction(), c.pending) << what;
        if (c.pending) {
            EXPECT_EQ(SkinManager->PendingDelay(), 250) << what;
            EXPECT_EQ(SkinManager->CurrentData(), &d) << what;
        }
        EXPECT_EQ(SkinManager->Enabled, c.enabled) << what;
        EXPECT_EQ(SkinManager->State, c.state) << what;
    }
}

TEST_F(SkinDataTest, LoadedPostsSkinAllForAnActiveSkinAndTrimsMenuKinds) {
    TSkinData d(nullptr);
    Feed(d, Package("", {}));
    d.SetActive(true);
    d.SetSkinControls(TSkinControlTypes{xcMainMenu, xcMenuItem, xcSystemMenu});
    d.Loaded();
    EXPECT_TRUE(SkinManager->Enabled);  // skin all, before the manager runs
    EXPECT_TRUE(SkinManager->HookInstalled());
    EXPECT_EQ(d.SkinControls(), (TSkinControlTypes{xcMainMenu, xcSystemMenu}));

    TSkinData other(nullptr);
    other.SetSkinControls(TSkinControlTypes{xcMenuItem, xcSystemMenu});
    other.Loaded();
    EXPECT_EQ(other.SkinControls(), (TSkinControlTypes{xcMenuItem}));
    EXPECT_EQ(SkinManager->MainData(), &d);  // the first main-form component stays the main skin
    EXPECT_EQ(SkinManager->SkinDatas().size(), 2u);
}

TEST_F(SkinDataTest, ApplySkinRefreshesAndPostsSkinChangedOnceRunning) {
    TSkinData d(nullptr);
    Feed(d, Package("", {}));
    d.ApplySkin();  // creates the manager through Loaded
    ASSERT_TRUE(SkinManager);
    EXPECT_EQ(SkinManager->CurrentData(), &d);
    EXPECT_EQ(SkinManager->PendingAction(), 0);
    SkinManager->State = 1;
    d.ApplySkin();
    EXPECT_EQ(SkinManager->PendingAction(), 3);
    EXPECT_EQ(SkinManager->PendingDelay(), 250);
    EXPECT_EQ(SkinManager->CurrentData(), &d);
}

TEST_F(SkinDataTest, DestroyLeavesTheManager) {
    auto* d = new TSkinData(nullptr);
    d->Loaded();
    SkinManager->SetCurrentData(d);
    delete d;
    EXPECT_TRUE(SkinManager->SkinDatas().empty());
    EXPECT_EQ(SkinManager->MainData(), nullptr);
    EXPECT_EQ(SkinManager->CurrentData(), nullptr);
}

TEST_F(SkinDataTest, DoFormSkinRules) {
    const struct {
        const char* name;
        bool fastReport;
        bool want;
    } cases[] = {
        {"SysMonthCal32", false, false}, {"sysmonthcal32", false, true}, {"TfrDesigner", true, false},
        {"TFrDesigner", true, true},     {"TfrDesigner", false, true},   {"TFrDesigner", false, true},
        {"TForm1", true, true},
    };
    for (const auto& c : cases) {
        TSkinData d(nullptr);
        if (c.fastReport) d.SetSkinControls(d.SkinControls() + xcFastReport);
        bool doSkin = true;
        d.DoFormSkin(nullptr, c.name, doSkin);
        EXPECT_EQ(doSkin, c.want) << c.name << " " << c.fastReport;
    }
    // An assigned event alone decides, even for the month calendar.
    TSkinData d(nullptr);
    std::string asked;
    d.SetOnFormSkin(TOnFormSkin([&](TObject* sender, std::string name, bool& doSkin) {
        EXPECT_EQ(sender, &d);
        asked = name;
        doSkin = true;
    }));
    bool doSkin = false;
    d.DoFormSkin(nullptr, "SysMonthCal32", doSkin);
    EXPECT_TRUE(doSkin);
    EXPECT_EQ(asked, "SysMonthCal32");
    int changed = 0;
    d.SetOnSkinChanged(TNotifyEvent([&](TObject*) { ++changed; }));
    d.DoSkinChanged();
    EXPECT_EQ(changed, 1);
}

TEST_F(SkinDataTest, SkinFileLoadsAndAppliesAtRunTime) {
    char dir[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    const std::string path = std::string(dir) + "skindata_test.skn";
    const Bytes package = Package("[TitlebarSkin]\r\nSkinName=file\r\n", {});
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
    }
    TSkinData d(nullptr);
    d.SetSkinFile(path);
    DeleteFileA(path.c_str());
    EXPECT_FALSE(d.SkinEmpty);
    EXPECT_EQ(d.SkinName, "file");
    ASSERT_TRUE(SkinManager);  // ApplySkin ran Loaded for it
    EXPECT_EQ(SkinManager->CurrentData(), &d);

    TSkinData design(nullptr);
    design.SetDesigning(true);
    Feed(design, package);
    design.SetSkinFile("anything.skn");  // at design time a name only drops the stored package
    EXPECT_EQ(design.PackageStream.Size(), 0);
}

TEST_F(SkinDataTest, NonMainComponentSkinsItsOwnFormAtOnce) {
    Application->Initialize();
    auto* form = new TForm(nullptr);
    auto* d = new TSkinData(form);
    Feed(*d, Package("", {}));
    d->SetSkinFormtype(sfOnlyThisForm);
    d->SetActive(true);
    d->Loaded();
    ASSERT_TRUE(SkinManager);
    EXPECT_TRUE(SkinManager->Enabled);
    EXPECT_EQ(SkinManager->State, 1);
    ASSERT_EQ(SkinManager->FormSkins().size(), 1u);
    EXPECT_EQ(SkinManager->FindSkinForm(form->Handle()), SkinManager->FormSkins()[0]);
    EXPECT_EQ(SendMessageA(form->Handle(), WM_SKIN_QUERY, 0, 0), 1);
    EXPECT_FALSE(SkinManager->HookInstalled());
    EXPECT_EQ(SkinManager->MainData(), nullptr);
    EXPECT_NE(d->CaptionFont->Handle(), nullptr);
    delete form;  // frees the component, which leaves the manager
    EXPECT_TRUE(SkinManager->SkinDatas().empty());
}

TEST_F(SkinDataTest, AppIconFromTheApplicationWindow) {
    Application->Initialize();
    HWND app = Application->Handle();
    ASSERT_NE(app, nullptr);
    HICON old = reinterpret_cast<HICON>(
        SendMessageA(app, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_APPLICATION))));
    TSkinData d(nullptr);
    EXPECT_TRUE(d.AppIcon->Empty());
    d.Loaded();
    SendMessageA(app, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(old));
    ASSERT_FALSE(d.AppIcon->Empty());
    EXPECT_EQ(d.AppIcon->Width(), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(d.AppIcon->Height(), GetSystemMetrics(SM_CYSMICON));
    EXPECT_EQ(d.AppIcon->TransparentColor(), TRANSPARENT_KEY);
    EXPECT_TRUE(d.AppIcon->Transparent());
}

TEST_F(SkinDataTest, SkinFileThatDoesNotExistLeavesTheComponentEmpty) {
    TSkinData d(nullptr);
    Feed(d, Package("", {}));
    ASSERT_FALSE(d.SkinEmpty);
    d.SetSkinFile("Z:\\no\\such\\skin.skn");
    EXPECT_TRUE(d.SkinEmpty);
    EXPECT_EQ(d.SkinFile(), "Z:\\no\\such\\skin.skn");
    EXPECT_EQ(SkinManager, nullptr);
}

TEST(SkinDataRoutines, WideTextAndBitmaps) {
    EXPECT_EQ(AnsiToWide("abc"), L"abc");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideCopy(L"hello", -1), L"hello");
    EXPECT_EQ(WideCopy(L"hello", 2), L"he");
    EXPECT_EQ(WideCopy(L"hi", 10), L"hi");  // never past the terminator
    EXPECT_EQ(ControlOfHandle(nullptr), nullptr);
    TBitmap src;
    src.SetPixelFormat(pf24bit);
    src.SetSize(5, 3);
    src.Canvas()->SetPixels(4, 2, 0x123456);
    TBitmap dst;
    CopyBitmap(&src, &dst);
    EXPECT_EQ(dst.Width(), 5);
    EXPECT_EQ(dst.Height(), 3);
    EXPECT_EQ(dst.PixelFormat(), pf24bit);
    EXPECT_EQ(dst.Canvas()->Pixels(4, 2), 0x123456);
    TBitmap none;
    CopyBitmap(&none, &dst);
    EXPECT_TRUE(dst.Empty());
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    EXPECT_EQ(SkinGetScrollBarInfo(nullptr, OBJID_HSCROLL, info), false);
}

// ---------------------------------------------------------------------------
// The engine's own bitmaps, which every program linking the engine carries

TEST(EngineBitmaps, EveryProgramOfTheEngineCarriesTheTrackChannels) {
    struct Case {
        const char* name;
        int width, height;
        int x, y;  // a pixel of the groove's dark line
    };
    const Case cases[] = {{"TRACK", 16, 4, 7, 1}, {"TRACKVERT", 4, 16, 1, 7}};
    for (const auto& c : cases) {
        TBitmap b;
        ASSERT_TRUE(LoadEngineBitmap(b, c.name)) << c.name;
        EXPECT_EQ(b.Width(), c.width) << c.name;
        EXPECT_EQ(b.Height(), c.height) << c.name;
        EXPECT_EQ(b.Canvas()->Pixels(c.x, c.y), 0x404040) << c.name;
    }
    TBitmap none;
    EXPECT_FALSE(LoadEngineBitmap(none, "NOSUCHBITMAP"));
    EXPECT_TRUE(none.Empty());

    // The builder too, beside its own resources.
    const std::string builder = std::string(DP_TEST_BIN_DIR) + "/bin/driftpane.exe";
    HMODULE exe = LoadLibraryExA(builder.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr) << builder;
    for (const char* name : {"TRACK", "TRACKVERT"}) EXPECT_NE(FindResourceA(exe, name, RT_BITMAP), nullptr) << name;
    EXPECT_NE(FindResourceA(exe, "TFRMMAIN", RT_RCDATA), nullptr);
    FreeLibrary(exe);
}

TEST_F(SkinDataTest, TrackChannelsFromTheSkinOrTheEngine) {
    {
        TSkinData d(nullptr);
        Feed(d, Package("", {}));
        for (auto* e : {d.Track.get(), d.TrackVert.get()}) {
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->Margins.left, 3);
            EXPECT_EQ(e->Margins.top, 3);
            EXPECT_EQ(e->Margins.right, 3);
            EXPECT_EQ(e->Margins.bottom, 3);
            EXPECT_EQ(e->Tile, 0);
            EXPECT_EQ(e->Frames, 1);
        }
        EXPECT_EQ(d.Track->Bitmap->Width(), 16);
        EXPECT_EQ(d.TrackVert->Bitmap->Height(), 16);
    }
    {
        TSkinData d(nullptr);
        Feed(d, Package("[Track]\r\nImage=t.bmp\r\nLeftWidth=5\r\n", {Image("t.bmp", 30, 6)}));
        ASSERT_TRUE(d.Track);
        EXPECT_EQ(d.Track->Name, "Track");
        EXPECT_EQ(d.Track->Bitmap->Width(), 30);
        EXPECT_EQ(d.Track->Margins.left, 5);
        ASSERT_TRUE(d.TrackVert);  // the other still from the engine
        EXPECT_EQ(d.TrackVert->Name, "TRACKVERT");
    }
}

}  // namespace
