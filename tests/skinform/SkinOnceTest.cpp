// A control never gets two skins: every kind the dispatch knows, by class, by class map and by
// window class, dispatched and then activated again, carries exactly the one skin it got first;
// a size grip made after activation is skinned at once; the date-time picker's gate.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "ForeignControls.h"
#include "SkinControlTestUtil.h"
#include "SkinFormTestUtil.h"
#include "classlib/Buttons.h"
#include "classlib/ComCtrls.h"
#include "classlib/DateTimePicker.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/ListViews.h"
#include "classlib/MPlayer.h"
#include "classlib/StdCtrls.h"
#include "classlib/TabControls.h"
#include "classlib/Tabs.h"
#include "classlib/Trackers.h"
#include "skin/SkinUpDown.h"
#include "skin/TinselData.h"
#include "skin/TinselFormSkin.h"
#include "skin/WinSubClass.h"

// Classes the test's class-map lines name, one for each kind.
#define ONCE_CLASS(Name, Base)       \
    class Name : public Base {       \
        DP_DECLARE_CLASS(Name, Base) \
    public:                          \
        using Base::Base;            \
    };                               \
    DP_PUBLISHED(Name){};

ONCE_CLASS(TOnceCombo, TComboBox)
ONCE_CLASS(TOnceEdit, TEdit)
ONCE_CLASS(TOnceRadio, TRadioButton)
ONCE_CLASS(TOncePanel, TPanel)
ONCE_CLASS(TOnceTrack, TTrackBar)
ONCE_CLASS(TOnceButton, TButton)
ONCE_CLASS(TOncePicker, TDateTimePicker)
ONCE_CLASS(TOncePlayer, TMediaPlayer)
ONCE_CLASS(TOnceBitBtn, TButton)
ONCE_CLASS(TOnceMenuBtn, TButton)
ONCE_CLASS(TOnceSpeed, TSpeedButton)
ONCE_CLASS(TOnceTabs, TTabControl)
ONCE_CLASS(TOnceProgress, TProgressBar)
ONCE_CLASS(TOnceScroll, TScrollBox)
ONCE_CLASS(TOnceSingle, TScrollBox)
ONCE_CLASS(TOnceEmbed, TPanel)
ONCE_CLASS(TOnceContainer, TPanel)
ONCE_CLASS(TOnceGroup, TGroupBox)
ONCE_CLASS(TOnceAdvPages, TPageControl)
ONCE_CLASS(TOnceRadioGroup, TPanel)
ONCE_CLASS(TOnceCheckGroup, TPanel)
ONCE_CLASS(TOnceCheck, TCheckBox)

namespace {
using namespace skinform;

const char* const kClassMap[] = {
    "TOnceCombo=combobox",        "TOnceEdit=edit",        "TOnceRadio=radiobutton",       "TOncePanel=panel",
    "TOnceTrack=trackbar",        "TOnceButton=button",    "TOncePicker=datetimepicker",   "TOncePlayer=mediaplayer",
    "TOnceBitBtn=bitbtn",         "TOnceMenuBtn=menubtn",  "TOnceSpeed=speedbutton",       "TOnceTabs=tab",
    "TOnceProgress=progress",     "TOnceScroll=scrollbar", "TOnceSingle=singlescrollbar",  "TOnceEmbed=embedscrollbar",
    "TOnceContainer=container",   "TOnceGroup=groupbox",   "TOnceAdvPages=advpagecontrol", "TOnceRadioGroup=radiogroup",
    "TOnceCheckGroup=checkgroup", "TOnceCheck=checkbox",
};

void AddClassMap() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const char* line : kClassMap) Skin()->Skin3rd()->Add(line);
}

// Every skin of the form's list that holds the control: by the control, as its windowless
// control, or by its window.
std::vector<TSkinControl*> SkinsHolding(TTinselForm* form, TControl* control) {
    auto* w = DynamicAs<TWinControl>(control);
    HWND wnd = w && w->HandleAllocated() ? w->Handle() : nullptr;
    std::vector<TSkinControl*> found;
    for (TSkinControl* s : form->ControlSkins)
        if (s->State != scDestroyed &&
            (s->Control == control || s->GraphicControl == control || (wnd && s->Handle == wnd)))
            found.push_back(s);
    return found;
}

std::vector<TSkinControl*> SkinsOfWindow(TTinselForm* form, HWND wnd) {
    std::vector<TSkinControl*> found;
    for (TSkinControl* s : form->ControlSkins)
        if (s->State != scDestroyed && s->Handle == wnd) found.push_back(s);
    return found;
}

std::string Names(const std::vector<TSkinControl*>& skins) {
    std::string names;
    for (TSkinControl* s : skins) names += (names.empty() ? "" : ", ") + s->ClassName();
    return names.empty() ? "none" : names;
}

struct Row {
    std::string what;
    TControl* control;
    std::string skin;  // "" = none
};

// A control of every kind of the dispatch on one form, with the rows saying which skin each gets.
struct EveryKind {
    std::vector<Row> rows;
    void Add(const std::string& what, TControl* c, const std::string& skin) { rows.push_back({what, c, skin}); }

    void Make(TForm* form) {
        int i = 0;
        auto at = [&](TWinControl* parent, auto* c, int w = 110, int h = 40) {
            c->SetParent(parent);
            if (parent == form) {
                c->SetBounds(8 + (i % 8) * 122, 8 + (i / 8) * 68, w, h);
                ++i;
            } else {
                c->SetBounds(6, 16, w, h);
            }
            return c;
        };
        const bool tabs = Skin()->SkinControls().Contains(xcTab) && Skin()->Tabs != nullptr;
        const std::string tab = tabs ? "TSkinTab" : "";

        // By class.
        auto* pages = at(form, new TPageControl(form));
        auto* sheet = new TTabSheet(form);
        sheet->SetPageControl(pages);
        sheet->SetCaption("Sheet");
        pages->SetActivePageIndex(0);
        Add("a page control", pages, tab);
        Add("its sheet", sheet, tabs ? "TSkinTabSheet" : "");
        auto* tabControl = at(form, new TTabControl(form));
        tabControl->Tabs()->Add("A");
        Add("a tab control", tabControl, tab);
        auto* tabSet = at(form, new TTabSet(form), 110, 22);
        tabSet->Tabs()->Add("A");
        Add("a tab set", tabSet, tabs ? "TSkinTab31" : "");
        auto* mvc = at(form, new TMVCPanel(form));
        Add("a button in a panel the dispatch walks into", at(mvc, new TButton(form), 60, 20), "TSkinButton");
        Add("a check box", at(form, new TCheckBox(form), 110, 20), "TSkinCheckBox");
        Add("a radio button", at(form, new TRadioButton(form), 110, 20), "TSkinRadioButton");
        Add("an up-down", at(form, new TUpDown(form), 16, 24), "TSkinUpDown");
        auto* across = at(form, new TUpDown(form), 40, 18);
        across->SetOrientation(udHorizontal);
        Add("an up-down lying across", across, "TSkinUpDown");
        auto* player = at(form, new TMediaPlayer(form), 100, 30);
        player->SetVisibleButtons({btPlay, btStop});
        Add("a media player", player, "TSkinMP");
        auto* navigator = at(form, new TDBNavigator(form));
        Add("a navigator", navigator, "TSkinBox");
        Add("a navigator's button", at(navigator, new TSpeedButton(form), 40, 20), "TSkinSpeedButton");
        Add("a check box of another library", at(form, new TRzCheckBox(form), 110, 20), "TSkinObjImage");
        Add("a radio button of another library", at(form, new TRzRadioButton(form), 110, 20), "TSkinObjImage");
        Add("a check box with properties", at(form, new TcxCheckBox(form), 110, 20), "TSkinObjImage");
        auto* radios = at(form, new TRadioGroup(form), 110, 60);
        radios->Items()->Add("One");
        radios->Items()->Add("Two");
        Add("a radio group", radios, "TSkinGroupBox");
        auto* group = at(form, new TGroupBox(form), 110, 60);
        Add("a group box", group, "TSkinGroupBox");
        Add("a button in the group box", at(group, new TButton(form), 60, 20), "TSkinButton");
        Add("a combo box", at(form, new TComboBox(form), 110, 24), "TSkinComBox");
        Add("a date-time picker", at(form, new TDateTimePicker(form), 110, 24), "TSkinDateTime");
        Add("a speed button", at(form, new TSpeedButton(form), 40, 24), "TSkinSpeedButton");
        auto* panel = at(form, new TPanel(form));
        Add("a panel", panel, "TSkinBox");
        Add("a button in the panel", at(panel, new TButton(form), 60, 20), "TSkinButton");
        Add("a track bar", at(form, new TTrackBar(form), 110, 30), "TSkinTrackBar");
        Add("a progress bar", at(form, new TProgressBar(form), 110, 18), "TSkinProgress");
        Add("a status bar", at(form, new TStatusBar(form), 110, 20), "TSkinStatusBar");
        auto* view = at(form, new TListView(form), 110, 60);
        view->SetViewStyle(vsReport);
        view->AddColumn()->SetCaption("Name");
        for (int n = 0; n < 10; ++n) view->AddItem()->SetCaption("Row " + std::to_string(n));
        Add("a list view", view, "TSkinListView");
        auto* header = at(form, new THeaderControl(form), 110, 20);
        header->AddSection()->SetText("Head");
        Add("a header control", header, "TSkinHeader");
        Add("a scroll-bar control", at(form, new TScrollBar(form), 110, 18), "TSkinScControl");
        auto* memo = at(form, new TMemo(form), 110, 60);
        memo->SetScrollBars(ssBoth);
        Add("a memo with scroll bars", memo, "TSkinScrollbar");
        Add("a bit button", at(form, new TBitBtn(form), 80, 26), "TSkinBitButton");
        Add("a button", at(form, new TButton(form), 80, 26), "TSkinButton");
        Add("an edit", at(form, new TEdit(form), 80, 22), "TSkinEdit");

        // By class map.
        Add("mapped combobox", at(form, new TOnceCombo(form), 110, 24), "TSkinComBox");
        Add("mapped edit", at(form, new TOnceEdit(form), 80, 22), "TSkinEdit");
        Add("mapped radiobutton", at(form, new TOnceRadio(form), 110, 20), "TSkinRadioButton");
        Add("mapped panel", at(form, new TOncePanel(form)), "TSkinBox");
        Add("mapped trackbar", at(form, new TOnceTrack(form), 110, 30), "TSkinTrackBar");
        Add("mapped button", at(form, new TOnceButton(form), 80, 26), "TSkinButton");
        Add("mapped datetimepicker", at(form, new TOncePicker(form), 110, 24), "TSkinDateTime");
        auto* mappedPlayer = at(form, new TOncePlayer(form), 100, 30);
        mappedPlayer->SetVisibleButtons({btPlay, btStop});
        Add("mapped mediaplayer", mappedPlayer, "TSkinMP");
        Add("mapped bitbtn", at(form, new TOnceBitBtn(form), 80, 26), "TSkinBitButton");
        Add("mapped pngbitbtn", at(form, new TPngBitBtn(form), 80, 26), "TSkinBitButton");
        Add("mapped menubtn", at(form, new TOnceMenuBtn(form), 80, 26), "TSkinMenuButton");
        Add("mapped speedbutton", at(form, new TOnceSpeed(form), 40, 24), "TSkinSpeedButton");
        auto* mappedTabs = at(form, new TOnceTabs(form));
        mappedTabs->Tabs()->Add("A");
        Add("mapped tab", mappedTabs, tab);
        Add("mapped progress", at(form, new TOnceProgress(form), 110, 18), "TSkinProgress");
        auto* scroll = at(form, new TOnceScroll(form), 110, 60);
        Add("mapped scrollbar", scroll, "TSkinScrollbar");
        Add("a button in it", at(scroll, new TButton(form), 60, 20), "TSkinButton");
        Add("mapped singlescrollbar", at(form, new TOnceSingle(form), 110, 60), "TSkinScrollbar");
        auto* embed = at(form, new TOnceEmbed(form), 110, 60);
        auto* embedded = at(embed, new TMemo(form), 90, 40);
        embedded->SetScrollBars(ssBoth);
        Add("mapped embedscrollbar", embed, "");
        Add("a memo inside it", embedded, "TSkinScrollbar");
        auto* container = at(form, new TOnceContainer(form));
        Add("mapped container", container, "");
        Add("a button inside it", at(container, new TButton(form), 60, 20), "TSkinButton");
        auto* adv = at(form, new TOnceAdvPages(form));
        auto* advSheet = new TTabSheet(form);
        advSheet->SetPageControl(adv);
        advSheet->SetCaption("Adv");
        Add("mapped advpagecontrol", adv, "TSkinAdvPage");
        const bool groupBoxes = Skin()->SkinControls().Contains(xcGroupBox);
        Add("mapped groupbox", at(form, new TOnceGroup(form), 110, 60), groupBoxes ? "TSkinGroupBox" : "");
        auto* radioGroup = at(form, new TOnceRadioGroup(form), 110, 60);
        Add("mapped radiogroup", radioGroup, groupBoxes ? "TSkinGroupBox" : "");
        Add("its radio button", at(radioGroup, new TRadioButton(form), 80, 20), "TSkinRadioButton");
        auto* checkGroup = at(form, new TOnceCheckGroup(form), 110, 60);
        Add("mapped checkgroup", checkGroup, groupBoxes ? "TSkinGroupBox" : "");
        Add("its check box", at(checkGroup, new TCheckBox(form), 80, 20), "TSkinCheckBox");
        auto* rzChecks = at(form, new TRzCheckGroup(form), 110, 60);
        Add("a check group of another library", rzChecks, groupBoxes ? "TSkinGroupBox" : "");
        Add("its item", at(rzChecks, new TRzCheckBox(form), 80, 20), "TSkinObjImage");
        Add("mapped checkbox", at(form, new TOnceCheck(form), 110, 20), "TSkinCheckBox");
    }
};

// Sends the activation that runs the dispatch again.
void Activate(TTinselForm* skin, int times) {
    for (int n = 0; n < times; ++n) SendMessageA(skin->Handle, WM_SKIN_ACTIVATE, 0, 0);
}

}  // namespace

TEST(OneSkinEach, EveryKindOfTheDispatchKeepsOneSkinAcrossActivations) {
    AddClassMap();
    const TSkinControlTypes saved = Skin()->SkinControls();
    // With group boxes switched off the check and radio groups themselves stay unskinned and
    // are dispatched again on every activation.
    for (const bool groupBoxes : {true, false}) {
        SCOPED_TRACE(groupBoxes ? "group boxes on" : "group boxes off");
        Skin()->SetSkinControls(groupBoxes ? saved : saved - xcGroupBox);
        EveryKind kinds;
        auto f = MakeSkinnedForm("One skin each", {10, 10, 1000, 740}, [&](TForm* form) { kinds.Make(form); });
        ASSERT_NE(f->Skin, nullptr);
        std::vector<std::vector<TSkinControl*>> first;
        for (const Row& r : kinds.rows) {
            first.push_back(SkinsHolding(f->Skin, r.control));
            EXPECT_EQ(Names(first.back()), r.skin.empty() ? "none" : r.skin) << r.what << ", dispatched";
        }
        Activate(f->Skin, 3);
        for (size_t i = 0; i < kinds.rows.size(); ++i) {
            const Row& r = kinds.rows[i];
            EXPECT_EQ(SkinsHolding(f->Skin, r.control), first[i])
                << r.what << ": " << Names(SkinsHolding(f->Skin, r.control)) << " after three more activations";
        }
        // The parts skinned inside their controls keep one skin each too.
        for (const Row& r : kinds.rows) {
            auto* view = DynamicAs<TListView>(r.control);
            if (!view) continue;
            HWND header = reinterpret_cast<HWND>(SendMessageA(view->Handle(), LVM_GETHEADER, 0, 0));
            EXPECT_EQ(Names(SkinsOfWindow(f->Skin, header)), "TSkinHeader") << "the list view's header";
        }
    }
    Skin()->SetSkinControls(saved);
}

TEST(OneSkinEach, BareWindowsKeepOneSkinAcrossActivations) {
    InstallButtonStrip();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&icc);
    HWND bare = ShowBareWindow("Bare windows once", WS_OVERLAPPEDWINDOW, 120, 120, 640, 420);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    const HINSTANCE module = GetModuleHandleA(nullptr);
    auto child = [&](const char* cls, DWORD style, int x, int y, int w, int h, HWND parent = nullptr) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent ? parent : bare, nullptr,
                               module, nullptr);
    };
    HWND comboEx = child(WC_COMBOBOXEXA, CBS_DROPDOWNLIST, 10, 10, 150, 200);
    HWND dialog = child("#32770", 0, 10, 150, 200, 120);
    const struct {
        const char* what;
        HWND wnd;
        const char* skin;
    } rows[] = {
        {"a push button", child("BUTTON", BS_PUSHBUTTON, 200, 10, 80, 26), "TSkinButton"},
        {"a check box", child("BUTTON", BS_AUTOCHECKBOX, 200, 40, 80, 20), "TSkinCheckBox"},
        {"a radio button", child("BUTTON", BS_AUTORADIOBUTTON, 200, 70, 80, 20), "TSkinRadioButton"},
        {"a combo box", child("COMBOBOX", CBS_DROPDOWNLIST, 300, 10, 120, 200), "TSkinComBox"},
        {"the inner combo of an extended combo", GetTopWindow(comboEx), "TSkinComBox"},
        {"a size grip", child("SCROLLBAR", SBS_SIZEGRIP, 600, 360, 20, 20), "TSkinSizer"},
        {"a bare dialog", dialog, "TSkinBoxH"},
        {"a button on the dialog", child("BUTTON", BS_PUSHBUTTON, 10, 10, 80, 26, dialog), "TSkinButton"},
        {"a tab control", child(WC_TABCONTROLA, 0, 300, 60, 200, 60), "TSkinTab"},
        {"an edit", child("EDIT", WS_BORDER, 300, 140, 120, 22), "TSkinEdit"},
    };
    for (int n = 0; n < 4; ++n) SendMessageA(bare, WM_SKIN_ACTIVATE, 0, 0);
    for (const auto& r : rows) EXPECT_EQ(Names(SkinsOfWindow(form, r.wnd)), r.skin) << r.what;
    EXPECT_EQ(Names(SkinsOfWindow(form, comboEx)), "none") << "the extended combo itself";
    DestroyWindow(bare);
    Pump();
}

TEST(OneSkinEach, SizeGripMadeAfterActivationIsSkinnedAtOnce) {
    InstallButtonStrip();
    HWND bare = ShowBareWindow("Late size grip", WS_OVERLAPPEDWINDOW, 150, 150, 360, 240);
    TTinselForm* form = WaitSkinned(bare);
    ASSERT_NE(form, nullptr);
    auto f = MakeForm([](TForm*) {});
    ASSERT_NE(f->Skin, nullptr);
    const HINSTANCE module = GetModuleHandleA(nullptr);
    const struct {
        const char* what;
        TTinselForm* skin;
        HWND parent;
    } rows[] = {{"a bare window", form, bare}, {"a form of the class library", f->Skin, f->Form->Handle()}};
    for (const auto& r : rows) {
        // No activation, no pumping: the window's creation hands it over.
        HWND grip = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, 200, 100, 20, 20,
                                    r.parent, nullptr, module, nullptr);
        ASSERT_NE(grip, nullptr);
        EXPECT_EQ(Names(SkinsOfWindow(r.skin, grip)), "TSkinSizer") << r.what;
        EXPECT_EQ(SendMessageA(grip, WM_SKIN_QUERY, 0, 0), 1) << r.what;
        // A scroll bar that is no grip waits for the dispatch.
        HWND bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 10, 100, 100, 16, r.parent,
                                   nullptr, module, nullptr);
        EXPECT_EQ(Names(SkinsOfWindow(r.skin, bar)), "none") << r.what;
        SendMessageA(r.parent, WM_SKIN_ACTIVATE, 0, 0);
        EXPECT_EQ(Names(SkinsOfWindow(r.skin, grip)), "TSkinSizer") << r.what << ", activated again";
        DestroyWindow(grip);
        DestroyWindow(bar);
    }
    DestroyWindow(bare);
    Pump();
}

// A date-time picker is a drop-down: its skin is the combo kind's, so the combo option gates it,
// the same for the library's picker as for a class mapped to "datetimepicker".
TEST(OneSkinEach, DateTimePickersFollowTheComboOption) {
    AddClassMap();
    const TSkinControlTypes saved = Skin()->SkinControls();
    const struct {
        const char* what;
        TSkinControlTypes on;
        const char* skin;
    } rows[] = {
        {"combo and edit on", saved, "TSkinDateTime"},
        {"combo off, edit on", saved - xcCombo, ""},
        {"combo on, edit off", saved - xcEdit, "TSkinDateTime"},
    };
    for (const auto& r : rows) {
        Skin()->SetSkinControls(r.on);
        TDateTimePicker *picker = nullptr, *mapped = nullptr;
        auto f = MakeForm([&](TForm* form) {
            picker = Put<TDateTimePicker>(form, 20, 20, 160, 23);
            mapped = Put<TOncePicker>(form, 20, 60, 160, 23);
        });
        ASSERT_NE(f->Skin, nullptr);
        EXPECT_EQ(SkinNameOf(f->Skin, picker), r.skin) << r.what << ", the library's picker";
        EXPECT_EQ(SkinNameOf(f->Skin, mapped), r.skin) << r.what << ", a class mapped to datetimepicker";
    }
    Skin()->SetSkinControls(saved);
}
