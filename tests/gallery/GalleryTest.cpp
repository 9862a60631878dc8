// The control gallery end to end: one stored form with every control class,
// every page shown by a click on its tab and photographed, every control's
// main value set and read by name and checked against its window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>
#include <variant>

#include "classlib/Buttons.h"
#include "classlib/CheckLst.h"
#include "classlib/ComCtrls.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/MPlayer.h"
#include "classlib/Menus.h"
#include "classlib/OleCtrls.h"
#include "classlib/StdCtrls.h"
#include "classlib/Tabs.h"
#include "skin/SkinManage.h"
#include "skin/SkinMediaPlayer.h"
#include "skin/SkinScrollbar.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"
#include "tests/skinform/BuilderSkinFile.h"

namespace {

class TGalleryForm : public TForm {
    DP_DECLARE_CLASS(TGalleryForm, TForm)
public:
    explicit TGalleryForm(TComponent* owner) : TForm(owner) {}
    TPageControl* PageControl1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    // Named here so that their classes are linked in and registered for the reader.
    TMediaPlayer* MediaPlayer1 = nullptr;
    TImageList* ImageList1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TShockwaveFlash* ShockwaveFlash1 = nullptr;
    TScrollBox* ScrollBox1 = nullptr;
    int panelDraws = 0;
    void StatusBar1DrawPanel(TStatusBar* bar, TStatusPanel*, const TRect& r) {
        ++panelDraws;
        bar->Canvas()->Brush()->SetColor(clLime);
        bar->Canvas()->FillRect(r);
    }
};

}  // namespace

DP_PUBLISHED(TGalleryForm){DP_FIELD(PageControl1),    DP_FIELD(StatusBar1), DP_FIELD(MediaPlayer1),
                           DP_FIELD(ImageList1),      DP_FIELD(MainMenu1),  DP_FIELD(PopupMenu1),
                           DP_FIELD(ShockwaveFlash1), DP_FIELD(ScrollBox1), DP_METHOD(StatusBar1DrawPanel)};

namespace {

void Pump() {
    for (int i = 0; i < 8; ++i) Application->ProcessMessages();
}

void CollectClasses(TComponent* c, std::set<std::string>& names) {
    names.insert(c->ClassName());
    for (int i = 0; i < c->ComponentCount(); ++i) CollectClasses(c->Components(i), names);
}

class Gallery : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Application->Initialize();
        form = NewForm<TGalleryForm>(Application);
        // The panel painter is bound in code: stored definitions name handlers of the form only.
        form->StatusBar1->OnDrawPanel = TDrawPanelEvent(form, &TGalleryForm::StatusBar1DrawPanel);
        form->Show();
        Pump();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
        Pump();
        delete skin;
        skin = nullptr;
        FreeSkinManager();
    }
    template <class T>
    static T* Find(const std::string& name) {
        auto* c = DynamicAs<T>(form->FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static TGalleryForm* form;
    // The builder's stored skin, once a test has put the gallery in it.
    static TSkinData* skin;
};
TGalleryForm* Gallery::form = nullptr;
TSkinData* Gallery::skin = nullptr;

TEST_F(Gallery, HoldsEveryControlClass) {
    std::set<std::string> present;
    CollectClasses(form, present);
    // Base classes, the radio group's own buttons and the ActiveX host without a class of
    // its own are not placed by themselves.
    const std::set<std::string> bases = {"TControl",       "TWinControl",  "TGraphicControl",
                                         "TButtonControl", "TGroupButton", "TOleControl"};
    std::string missing;
    int checked = 0;
    for (const TClassInfo* cls : RegisteredClasses()) {
        if (!cls->InheritsFrom(&TControl::StaticClassInfo()) || cls->InheritsFrom(&TCustomForm::StaticClassInfo()) ||
            !cls->Factory)
            continue;
        const std::string name = cls->Name;
        if (name.rfind("TCustom", 0) == 0 || bases.count(name)) continue;
        ++checked;
        if (!present.count(name)) missing += name + " ";
    }
    EXPECT_EQ(missing, "");
    EXPECT_GE(checked, 34);  // the classes of both libraries are linked in and registered
    for (const char* item : {"TStatusPanel", "TListColumn", "TListItem", "THeaderSection", "TToolButton", "TTimer"})
        EXPECT_TRUE(present.count(item)) << item;
}

// Screenshot of the form's window area as a PNG artefact; answers how many colours it has.
int SavePageShot(HWND wnd, const std::string& page) {
    RECT r;
    GetWindowRect(wnd, &r);
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(bmp.Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    std::set<COLORREF> colours;
    for (int y = 0; y < bmp.Height(); y += 7)
        for (int x = 0; x < bmp.Width(); x += 7) colours.insert(GetPixel(bmp.Canvas()->Handle(), x, y));
    SaveBitmapToPNGFile(bmp, std::string(DP_TEST_BIN_DIR) + "/gallery-" + page + ".png");
    return static_cast<int>(colours.size());
}

TEST_F(Gallery, EveryPageShowsOnATabClickAndIsPhotographed) {
    TPageControl* pc = form->PageControl1;
    ASSERT_EQ(pc->PageCount(), 4);
    for (int i = pc->PageCount() - 1; i >= 0; --i) {
        const RECT tab = pc->TabRect(i);
        const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
        SendMessageA(pc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(pc->Handle(), WM_LBUTTONUP, 0, at);
        Pump();
        TTabSheet* page = pc->Pages(i);
        EXPECT_EQ(pc->ActivePageIndex(), i);
        EXPECT_EQ(pc->ActivePage(), page);
        EXPECT_TRUE(IsWindowVisible(page->Handle())) << page->Caption();
        for (int j = 0; j < pc->PageCount(); ++j) {
            if (j != i) {
                EXPECT_FALSE(IsWindowVisible(pc->Pages(j)->Handle())) << j;
            }
        }
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        EXPECT_GT(SavePageShot(form->Handle(), page->Caption()), 4) << page->Caption();
        const std::string path = std::string(DP_TEST_BIN_DIR) + "/gallery-" + page->Caption() + ".png";
        FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr) << path;
        unsigned char sig[8] = {};
        EXPECT_EQ(std::fread(sig, 1, 8, f), 8u);
        std::fclose(f);
        EXPECT_EQ(sig[1], 'P');
        EXPECT_EQ(sig[2], 'N');
        EXPECT_EQ(sig[3], 'G');
    }
    EXPECT_GT(form->panelDraws, 0);
    const TRect panel = form->StatusBar1->PanelRect(1);
    HDC dc = GetDC(form->StatusBar1->Handle());
    EXPECT_EQ(GetPixel(dc, (panel.left + panel.right) / 2, (panel.top + panel.bottom) / 2), RGB(0, 255, 0));
    ReleaseDC(form->StatusBar1->Handle(), dc);
}

using TValue = std::variant<int64_t, std::string, double>;

struct ValueCase {
    const char* component;
    const char* property;
    TValue value;
    // What the control's window says after the change.
    std::function<TValue(TWinControl*)> window;
};

int64_t Msg(TWinControl* c, UINT msg, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(c->Handle(), msg, w, l); }

std::string WindowText(HWND wnd) {
    char buf[256] = {};
    GetWindowTextA(wnd, buf, sizeof buf);
    return buf;
}

TEST_F(Gallery, MainValuesSetAndReadByName) {
    const ValueCase cases[] = {
        {"PageControl1", "ActivePageIndex", int64_t{2}, [](TWinControl* c) -> TValue { return Msg(c, TCM_GETCURSEL); }},
        {"Edit1", "Text", std::string("changed"), [](TWinControl* c) -> TValue { return WindowText(c->Handle()); }},
        {"CheckBox1", "Checked", int64_t{1}, [](TWinControl* c) -> TValue { return Msg(c, BM_GETCHECK); }},
        {"RadioButton1", "Checked", int64_t{1}, [](TWinControl* c) -> TValue { return Msg(c, BM_GETCHECK); }},
        {"ComboBox1", "ItemIndex", int64_t{2}, [](TWinControl* c) -> TValue { return Msg(c, CB_GETCURSEL); }},
        {"ListBox1", "ItemIndex", int64_t{1}, [](TWinControl* c) -> TValue { return Msg(c, LB_GETCURSEL); }},
        {"RadioGroup1", "ItemIndex", int64_t{1}, nullptr},
        {"ProgressBar1", "Position", int64_t{75}, [](TWinControl* c) -> TValue { return Msg(c, PBM_GETPOS); }},
        {"TrackBar1", "Position", int64_t{13}, [](TWinControl* c) -> TValue { return Msg(c, TBM_GETPOS); }},
        {"UpDown1", "Position", int64_t{17},
         [](TWinControl* c) -> TValue {
             return WindowText(reinterpret_cast<HWND>(Msg(c, UDM_GETBUDDY))) == "17" ? int64_t{17} : int64_t{-1};
         }},
        {"ScrollBar1", "Position", int64_t{60},
         [](TWinControl* c) -> TValue { return int64_t{GetScrollPos(c->Handle(), SB_CTL)}; }},
        {"TabControl1", "TabIndex", int64_t{2}, [](TWinControl* c) -> TValue { return Msg(c, TCM_GETCURSEL); }},
        {"TabSet1", "TabIndex", int64_t{1}, nullptr},
        {"ListView1", "ItemIndex", int64_t{1},
         [](TWinControl* c) -> TValue { return Msg(c, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED); }},
        {"DateTimePicker1", "Date", 46400.0,
         [](TWinControl* c) -> TValue {
             SYSTEMTIME st{};
             Msg(c, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
             return std::floor(SystemTimeToDateTime(st));
         }},
        {"SpeedButton1", "Down", int64_t{1}, nullptr},
        // The prefix's Flash control stand-in shows the movie it was told in its window.
        {"ShockwaveFlash1", "Movie", std::string("C:\\movies\\waves.swf"),
         [](TWinControl* c) -> TValue {
             const std::string text = WindowText(FindWindowExA(c->Handle(), nullptr, "DriftpaneFlashStandIn", nullptr));
             return text.substr(0, text.find(" - "));
         }},
        {"BoldButton", "Down", int64_t{0}, nullptr},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(std::string(c.component) + "." + c.property);
        TComponent* comp = form->FindComponent(c.component);
        ASSERT_NE(comp, nullptr);
        if (auto* i = std::get_if<int64_t>(&c.value)) {
            SetOrdProp(comp, c.property, *i);
            EXPECT_EQ(GetOrdProp(comp, c.property), *i);
        } else if (auto* s = std::get_if<std::string>(&c.value)) {
            SetStrProp(comp, c.property, *s);
            EXPECT_EQ(GetStrProp(comp, c.property), *s);
        } else {
            const double d = std::get<double>(c.value);
            SetFloatProp(comp, c.property, d);
            EXPECT_DOUBLE_EQ(GetFloatProp(comp, c.property), d);
        }
        if (c.window) {
            const TValue seen = c.window(DynamicAs<TWinControl>(comp));
            if (auto* d = std::get_if<double>(&c.value))
                EXPECT_DOUBLE_EQ(std::get<double>(seen), *d);
            else
                EXPECT_EQ(seen, c.value);
        }
    }
    // Values with structure: lines, checks, list items.
    auto* memo = Find<TMemo>("Memo1");
    EXPECT_EQ(GetStringsProp(memo, "Lines")->Get(1), "Second line");
    auto* checks = Find<TCheckListBox>("CheckListBox1");
    checks->SetChecked(1, true);
    EXPECT_TRUE(checks->Checked(1));
    EXPECT_FALSE(checks->Checked(0));
    auto* lv = Find<TListView>("ListView1");
    EXPECT_EQ(lv->Selected()->Caption(), "waves.swf");
    EXPECT_EQ(lv->Selected()->SubItems()->Get(0), "40 KB");
    EXPECT_EQ(Find<TCustomRadioGroup>("RadioGroup1")->Buttons(1)->Checked(), true);
    EXPECT_EQ(Find<TTabSet>("TabSet1")->Tabs()->Get(1), "Sheet2");
}

// ---------------------------------------------------------------------------
// Owner-drawn menus: the handlers paint, and the painted colour is on the screen.

struct MenuPaint {
    int measures = 0, draws = 0;
    TColor colour = clYellow;
};

void PaintItems(TMenuItem* item, MenuPaint& paint) {
    for (int i = 0; i < item->Count(); ++i) {
        TMenuItem* sub = item->Items(i);
        sub->OnMeasureItem = [&paint](TObject*, TCanvas*, int& w, int& h) {
            ++paint.measures;
            w = std::max(w, 90);
            h = std::max(h, 22);
        };
        sub->OnDrawItem = [&paint](TObject*, TCanvas* canvas, const TRect& r, bool) {
            ++paint.draws;
            canvas->Brush()->SetColor(paint.colour);
            canvas->FillRect(r);
        };
        PaintItems(sub, paint);
    }
}

// While a menu is tracked: the pixel in the middle of its first item, then the menu closes.
struct MenuProbe {
    static inline HMENU menu = nullptr;
    static inline COLORREF seen = CLR_INVALID;
    static inline bool found = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        RECT r{};
        if (!GetMenuItemRect(nullptr, menu, 0, &r)) return;
        HDC dc = GetDC(nullptr);
        seen = GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ReleaseDC(nullptr, dc);
        found = true;
        KillTimer(nullptr, id);
        EndMenu();
    }
    static void Arm(HMENU m) {
        menu = m;
        seen = CLR_INVALID;
        found = false;
        SetTimer(nullptr, 0, 300, Tick);
    }
};

TEST_F(Gallery, OwnerDrawnMainAndPopupMenusPaintTheirItems) {
    auto* mainMenu = Find<TMainMenu>("MainMenu1");
    auto* popup = Find<TPopupMenu>("PopupMenu1");
    ASSERT_TRUE(mainMenu && popup);
    MenuPaint mainPaint, popupPaint;
    popupPaint.colour = clAqua;
    PaintItems(mainMenu->Items(), mainPaint);
    PaintItems(popup->Items(), popupPaint);
    mainMenu->Rebuild();
    popup->Rebuild();
    HWND wnd = form->Handle();
    ASSERT_EQ(GetMenu(wnd), mainMenu->Handle());
    DrawMenuBar(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    // The bar's own items.
    RECT bar{};
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 0, &bar));
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetPixel(screen, (bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2), RGB(255, 255, 0));
    ReleaseDC(nullptr, screen);
    // The File menu, opened as the bar opens it.
    const int barDraws = mainPaint.draws;
    HMENU fileMenu = GetSubMenu(GetMenu(wnd), 0);
    ASSERT_NE(fileMenu, nullptr);
    MenuProbe::Arm(fileMenu);
    TrackPopupMenu(fileMenu, TPM_LEFTALIGN | TPM_TOPALIGN, bar.left, bar.bottom, 0, wnd, nullptr);
    Pump();
    EXPECT_TRUE(MenuProbe::found);
    EXPECT_GT(mainPaint.draws, barDraws);
    EXPECT_GT(mainPaint.measures, 0);
    EXPECT_EQ(MenuProbe::seen, RGB(255, 255, 0));
    // The pop-up menu at a point of the form.
    RECT fr;
    GetWindowRect(wnd, &fr);
    MenuProbe::Arm(popup->Handle());
    popup->Popup(fr.left + 100, fr.top + 120);
    Pump();
    EXPECT_TRUE(MenuProbe::found);
    EXPECT_GT(popupPaint.draws, 0);
    EXPECT_EQ(MenuProbe::seen, RGB(0, 255, 255));
    for (TMenuItem* root : {mainMenu->Items(), popup->Items()}) PaintItems(root, mainPaint);  // rebinding is harmless
}

// Every page photographed unskinned and then in the builder's skin, and the push buttons,
// check boxes and group boxes of the gallery dispatched to their skins. Runs last: the
// gallery stays skinned.
TEST_F(Gallery, ZEveryPageInTheSkinBesideItsUnskinnedTwin) {
    TPageControl* pc = form->PageControl1;
    auto eachPage = [&](const std::string& prefix) {
        for (int i = 0; i < pc->PageCount(); ++i) {
            pc->SetActivePageIndex(i);
            RedrawWindow(form->Handle(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump();
            EXPECT_GT(SavePageShot(form->Handle(), prefix + pc->Pages(i)->Caption()), 4) << pc->Pages(i)->Caption();
        }
    };
    eachPage("unskinned-");
    skin = new TSkinData(nullptr);
    skinform::ReadBuilderSkin(skin);
    ASSERT_FALSE(skin->SkinEmpty);
    // Known to the manager and switched on while the gallery is already shown, as a user
    // turns the skin on: the manager's skin-all action skins it.
    skin->Loaded();
    skin->SetActive(true);
    TTinselForm* formSkin = nullptr;
    const DWORD start = GetTickCount();
    while (!(formSkin = SkinManager ? SkinManager->FindSkinForm(form->Handle()) : nullptr) ||
           formSkin->LifeState != lsActive) {
        ASSERT_LT(GetTickCount() - start, 20000u)
            << "waited 20 s for the gallery's form skin; manager " << (SkinManager != nullptr) << " forms "
            << (SkinManager ? SkinManager->FormSkins().size() : 0) << " pending "
            << (SkinManager ? SkinManager->PendingAction() : -1) << " data "
            << (SkinManager ? SkinManager->CurrentData() != nullptr : false) << " state "
            << (formSkin ? formSkin->LifeState : -1);
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    std::function<void(TComponent*)> check = [&](TComponent* c) {
        const std::string name = c->ClassName();
        if (name == "TButton" || name == "TCheckBox" || name == "TRadioButton" || name == "TGroupBox") {
            EXPECT_TRUE(formSkin->IsControlSkinned(static_cast<TControl*>(c))) << c->Name() << ": " << name;
        }
        for (int i = 0; i < c->ComponentCount(); ++i) check(c->Components(i));
    };
    check(form);
    eachPage("skinned-");
}

// After the pages in the skin: the media player is covered by its skin's panel, which shows
// its nine buttons side by side.
TEST_F(Gallery, ZZTheMediaPlayerUnderItsSkinnedPanel) {
    ASSERT_NE(skin, nullptr) << "the gallery is in the skin";
    TTinselForm* formSkin = SkinManager->FindSkinForm(form->Handle());
    ASSERT_NE(formSkin, nullptr);
    TMediaPlayer* mp = form->MediaPlayer1;
    TSkinMP* mpSkin = nullptr;
    for (TSkinControl* c : formSkin->ControlSkins)
        if (c->Control == mp && c->State == scAttached) mpSkin = DynamicAs<TSkinMP>(c);
    ASSERT_NE(mpSkin, nullptr);
    TWMediaPlayer* panel = mpSkin->Panel;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Parent(), mp->Parent());
    EXPECT_EQ(panel->Left(), mp->Left());
    EXPECT_EQ(panel->Top(), mp->Top());
    EXPECT_EQ(panel->Width(), mp->Width());
    EXPECT_EQ(panel->Height(), mp->Height());
    form->PageControl1->SetActivePage(Find<TTabSheet>("AdditionalPage"));
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    EXPECT_EQ(panel->VisibleCount, 9);
    EXPECT_EQ(panel->ButtonWidth, mp->Width() / 9);
    EXPECT_EQ(panel->ButtonAt(panel->ButtonWidth * 8 + 1), btEject);
}

// In the skin, the scrollable controls of the gallery carry panels exactly over the bars the
// system reports, and the list view's header is skinned. Runs after the skinned photographs.
TEST_F(Gallery, ZZScrollableControlsHaveSkinnedBars) {
    ASSERT_NE(SkinManager, nullptr);
    TTinselForm* formSkin = SkinManager->FindSkinForm(form->Handle());
    ASSERT_NE(formSkin, nullptr);
    TPageControl* pc = form->PageControl1;
    const struct {
        const char* name;
        const char* skin;
        LONG bar;  // 0: the control may have no bar
    } rows[] = {{"Memo1", "TSkinScrollbar", OBJID_VSCROLL},
                {"ListBox1", "TSkinScrollbar", OBJID_VSCROLL},
                {"ScrollBox1", "TSkinScrollbar", OBJID_VSCROLL},
                {"ListView1", "TSkinListView", 0}};
    for (const auto& r : rows) {
        auto* c = Find<TWinControl>(r.name);
        ASSERT_NE(c, nullptr);
        for (int i = 0; i < pc->PageCount(); ++i)
            if (c->Parent() == pc->Pages(i)) pc->SetActivePageIndex(i);
        Pump();
        TSkinScrollbar* s = nullptr;
        for (TSkinControl* k : formSkin->ControlSkins)
            if (k->Control == c && k->State == scAttached) s = DynamicAs<TSkinScrollbar>(k);
        ASSERT_NE(s, nullptr) << r.name;
        EXPECT_EQ(s->ClassName(), r.skin) << r.name;
        if (!r.bar) continue;
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(SkinGetScrollBarInfo(c->Handle(), r.bar, info)) << r.name;
        ASSERT_FALSE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) << r.name << " has its bar";
        ASSERT_TRUE(s->VertPanel && s->VertPanel->Shown) << r.name;
        RECT p{};
        GetWindowRect(s->VertPanel->Handle(), &p);
        EXPECT_TRUE(EqualRect(&p, &info.rcScrollBar)) << r.name;
        EXPECT_TRUE(IsWindowVisible(s->VertPanel->Handle())) << r.name;
    }
    auto* lv = Find<TListView>("ListView1");
    HWND header = reinterpret_cast<HWND>(SendMessageA(lv->Handle(), LVM_GETHEADER, 0, 0));
    TSkinControl* h = formSkin->FindControlSkinByHandle(header);
    EXPECT_EQ(h ? h->ClassName() : std::string(), "TSkinHeader");
}

// After the pages were photographed in the skin: the bit button, speed button and status
// bar of the gallery carry their own kinds of skin.
TEST_F(Gallery, ZZGlyphButtonsAndTheStatusBarHaveTheirSkins) {
    TTinselForm* formSkin = SkinManager ? SkinManager->FindSkinForm(form->Handle()) : nullptr;
    ASSERT_NE(formSkin, nullptr) << "the gallery is skinned by the test before";
    const struct {
        const char* name;
        const char* skin;
    } rows[] = {{"BitBtn1", "TSkinBitButton"}, {"SpeedButton1", "TSkinSpeedButton"}, {"StatusBar1", "TSkinStatusBar"}};
    for (const auto& r : rows) {
        auto* c = DynamicAs<TControl>(form->FindComponent(r.name));
        ASSERT_NE(c, nullptr) << r.name;
        std::string found;
        for (TSkinControl* s : formSkin->ControlSkins)
            if ((s->Control == c || s->GraphicControl == c) && s->State == scAttached) found = s->ClassName();
        EXPECT_EQ(found, r.skin) << r.name;
    }
}

// The gallery's track bar, progress bar, up-down and edits in their skins (after the skinned
// photographs above).
TEST_F(Gallery, ZZTrackersAndEditsHaveTheirSkins) {
    ASSERT_NE(SkinManager, nullptr);
    TTinselForm* formSkin = SkinManager->FindSkinForm(form->Handle());
    ASSERT_NE(formSkin, nullptr);
    const std::set<std::string> kinds = {"TTrackBar", "TProgressBar", "TUpDown", "TEdit"};
    std::set<std::string> seen;
    std::function<void(TComponent*)> check = [&](TComponent* c) {
        if (kinds.count(c->ClassName())) {
            seen.insert(c->ClassName());
            EXPECT_TRUE(formSkin->IsControlSkinned(static_cast<TControl*>(c))) << c->Name() << ": " << c->ClassName();
        }
        for (int i = 0; i < c->ComponentCount(); ++i) check(c->Components(i));
    };
    check(form);
    EXPECT_EQ(seen, kinds);
}

// After the skinned photographs: the gallery's tabbed controls carry their tab skins.
TEST_F(Gallery, ZZTabbedControlsInTheSkin) {
    ASSERT_NE(skin, nullptr) << "the skinned photographs ran first";
    TTinselForm* formSkin = SkinManager ? SkinManager->FindSkinForm(form->Handle()) : nullptr;
    ASSERT_NE(formSkin, nullptr);
    auto skinOf = [&](const std::string& name) {
        TComponent* c = form->FindComponent(name);
        for (TSkinControl* s : formSkin->ControlSkins)
            if (c && s->Control == c && s->State == 1) return std::string(s->ClassName());
        return std::string();
    };
    EXPECT_EQ(skinOf("PageControl1"), "TSkinTab");
    EXPECT_EQ(skinOf("StandardPage"), "TSkinTabSheet");
    EXPECT_EQ(skinOf("TabControl1"), "TSkinTab");
    EXPECT_EQ(skinOf("TabSet1"), "TSkinTab31");
}

}  // namespace
