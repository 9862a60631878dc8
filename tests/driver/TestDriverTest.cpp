// The driver against dp_driver_target.exe on a virtual desktop: every operation, checked
// through what the target logs.
#include <gtest/gtest-spi.h>

#include <algorithm>

#include "tests/driver/DriverTestUtil.h"

using namespace dptest;

namespace {

const auto* const g_desktop = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

TEST(DesktopTest, IsUpAndOurs) {
    ASSERT_TRUE(DesktopEnvironment::Ok());
    // Only explorer's windows so far: nothing of other test programs shows here.
    for (HWND w : TopWindows()) EXPECT_EQ(ClassOf(w), "Shell_TrayWnd") << Describe(w, false);
}

TEST_F(TargetTest, StartsInTheWorkingFolderAndOwnsItsWindow) {
    std::string dir = ArtifactDir();
    dir.pop_back();  // the trailing backslash
    EXPECT_EQ(Log().at(0), "start " + dir);
    EXPECT_EQ(ProcessOf(main_), target_.Pid());
    EXPECT_EQ(FindTopWindow("Driver Target", "dpdrivertarget"), main_);  // class names ignore case
    EXPECT_EQ(FindTopWindow("Driver Target", "", target_.Pid() + 1), nullptr);
}

struct FindCase {
    const char* cls;
    const char* text;
    int id;  // of the control expected
};

TEST_F(TargetTest, FindsControlsByClassAndText) {
    const FindCase cases[] = {
        {"Button", "&Press", kPress},                           // as written, and shown (a hidden namesake comes first)
        {"Button", "Press", kPress},                            // without the mnemonic marker
        {"button", "Loud", kLoud},    {"Button", "Off", kOff},  // disabled controls are still found
        {"ComboBox", "", kColour},    {"", "Manual", kManual},
    };
    for (const auto& c : cases) {
        HWND found = FindChild(main_, c.cls, c.text);
        ASSERT_NE(found, nullptr) << c.cls << " " << c.text;
        EXPECT_EQ(GetDlgCtrlID(found), c.id) << c.cls << " " << c.text;
    }
    EXPECT_EQ(FindChild(main_, "Button", "&Pres"), nullptr);
    EXPECT_EQ(FindChild(main_, "Edit", "Press"), nullptr);
}

TEST_F(TargetTest, FindsControlsByIdAndByZOrder) {
    EXPECT_EQ(ClassOf(FindChildById(main_, kColour)), "ComboBox");
    EXPECT_EQ(FindChildById(main_, 999), nullptr);
    const FindCase cases[] = {
        {"Button", nullptr, kHiddenPress}, {"Button", nullptr, kPress}, {"Button", nullptr, kLoud},
        {"Button", nullptr, kAsk},         {"Edit", nullptr, kName},    {"Edit", nullptr, kNotes},
    };
    int index[2] = {0, 0};
    for (const auto& c : cases) {
        int& i = index[std::string(c.cls) == "Edit"];
        EXPECT_EQ(GetDlgCtrlID(FindChildAt(main_, c.cls, i)), c.id) << c.cls << " #" << i;
        ++i;
    }
    EXPECT_EQ(FindChildAt(main_, "Edit", 2), nullptr);
    EXPECT_NONFATAL_FAILURE(NeedChildById(main_, 999), "no control with id 999");
}

TEST_F(TargetTest, ClickReturnsAfterTheProgramHandledIt) {
    ASSERT_TRUE(Click(Control(kPress)));
    // No wait: Click settles.
    EXPECT_TRUE(Logged("click press"));
    ASSERT_TRUE(Click(Control(kPress)));
    std::vector<std::string> log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "click press"), 2);
}

TEST_F(TargetTest, WaitsForControlsThatAppear) {
    HWND none = main_;
    EXPECT_NONFATAL_FAILURE(none = WaitForChild(main_, "Button", "Later", 200), "no visible control");
    EXPECT_EQ(none, nullptr);
    ASSERT_TRUE(Click(Control(kPress)));
    HWND later = WaitForChild(main_, "Button", "Later");
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(GetDlgCtrlID(later), kLater);
    // A hidden control cannot be clicked, whatever it is called.
    EXPECT_NONFATAL_FAILURE(Click(FindChildAt(main_, "Button", 0)), "is hidden");
}

TEST_F(TargetTest, RefusesToClickDisabledControls) {
    HWND off = Control(kOff);
    bool clicked = true;
    EXPECT_NONFATAL_FAILURE(clicked = Click(off), "is disabled");
    EXPECT_FALSE(clicked);
    ASSERT_TRUE(Click(Control(kPress)));
    EXPECT_FALSE(Logged("click off"));
}

TEST_F(TargetTest, SetEditTextRaisesTheChangeNotification) {
    struct {
        int id;
        const char* text;
        const char* logged;
    } cases[] = {
        {kName, "Hello world", "name change Hello world"},
        {kName, "", "name change "},
        // Multi-line edits do not notify WM_SETTEXT; the driver does as typing would.
        {kNotes, "two words", "notes change two words"},
        // The edit of an editable combo box, through the combo box.
        {kFont, "Mono", "font edit Mono"},
    };
    for (const auto& c : cases) {
        HWND edit = Control(c.id);
        ASSERT_TRUE(SetEditText(edit, c.text));
        EXPECT_EQ(Text(edit), c.text);
        EXPECT_TRUE(Logged(c.logged)) << c.logged;
    }
    // Exactly one notification per change.
    std::vector<std::string> log = Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), "notes change two words"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "font edit Mono"), 1);
    bool ok = true;
    EXPECT_NONFATAL_FAILURE(ok = SetEditText(Control(kColour), "Red"), "has no edit");
    EXPECT_FALSE(ok);
}

TEST_F(TargetTest, TypedCharactersAndKeysReachTheControl) {
    HWND edit = Control(kName);
    ASSERT_TRUE(TypeText(edit, "ab"));
    ASSERT_TRUE(PressKey(edit, VK_END));
    EXPECT_TRUE(WaitForText(edit, "ab"));
    EXPECT_TRUE(WaitLogged("keydown " + std::to_string(VK_END)));
    std::vector<std::string> log = Log();
    auto a = std::find(log.begin(), log.end(), "char 97");
    auto b = std::find(log.begin(), log.end(), "char 98");
    ASSERT_NE(a, log.end());
    EXPECT_LT(a, b);
    EXPECT_TRUE(Logged("name change ab"));
}

TEST_F(TargetTest, FocusFollowsAClickIntoAnEdit) {
    HWND edit = Control(kNotes);
    ASSERT_TRUE(ClickAt(edit, 5, 5));
    EXPECT_TRUE(WaitUntil([&] { return FocusedControl(main_) == edit; }, kWaitMs, "focus on the notes"));
}

TEST_F(TargetTest, SelectsComboItemsAsTheUserWould) {
    HWND combo = Control(kColour);
    EXPECT_EQ(ComboItems(combo), (std::vector<std::string>{"Red", "Green", "Blue"}));
    ASSERT_TRUE(SelectComboItem(combo, 2));
    EXPECT_TRUE(Logged("colour change 2 Blue"));
    ASSERT_TRUE(SelectComboItem(combo, "Green"));
    EXPECT_TRUE(Logged("colour change 1 Green"));
    EXPECT_EQ(Text(combo), "Green");
    bool ok = true;
    EXPECT_NONFATAL_FAILURE(ok = SelectComboItem(combo, "Purple"), "\"Red\", \"Green\", \"Blue\"");
    EXPECT_FALSE(ok);
    EXPECT_NONFATAL_FAILURE(ok = SelectComboItem(combo, 3), "no item 3");
    EXPECT_FALSE(ok);
    EXPECT_EQ(Text(combo), "Green");
}

TEST_F(TargetTest, SelectsListItems) {
    HWND list = Control(kSizes);
    EXPECT_EQ(ListItems(list), (std::vector<std::string>{"Small", "Medium", "Large"}));
    ASSERT_TRUE(SelectListItem(list, "Large"));
    EXPECT_EQ(SelectedListItem(list), 2);
    EXPECT_TRUE(Logged("sizes change 2"));
}

TEST_F(TargetTest, SetCheckClicksOnlyWhenTheStateDiffers) {
    // Loud toggles itself; Manual is toggled by the program on each click.
    for (int id : {kLoud, kManual}) {
        HWND box = Control(id);
        std::string name = id == kLoud ? "loud " : "manual ";
        EXPECT_FALSE(IsChecked(box));
        ASSERT_TRUE(SetCheck(box, true));
        EXPECT_TRUE(IsChecked(box));
        ASSERT_TRUE(SetCheck(box, true));
        ASSERT_TRUE(SetCheck(box, false));
        EXPECT_FALSE(IsChecked(box));
        std::vector<std::string> log = Log();
        EXPECT_EQ(std::count(log.begin(), log.end(), name + "1"), 1) << name;
        EXPECT_EQ(std::count(log.begin(), log.end(), name + "0"), 1) << name;
    }
}

TEST_F(TargetTest, ChoosesMenuItemsWithTheMessagesOfARealMenu) {
    struct {
        const char* path;
        std::vector<std::string> logged;  // in this order, after what was logged before
    } cases[] = {
        {"&File|&Save", {"initmenu", "initmenupopup 0", "menu 202"}},
        {"File|Save", {"initmenu", "initmenupopup 0", "menu 202"}},
        {"File|Recent|Second", {"initmenu", "initmenupopup 0", "initmenupopup 4", "menu 212"}},
        {"&Help|&About", {"initmenu", "initmenupopup 1", "menu 301"}},
    };
    for (const auto& c : cases) {
        size_t before = Log().size();
        ASSERT_TRUE(ChooseMenu(main_, c.path)) << c.path;
        std::vector<std::string> log = Log();
        std::vector<std::string> added(log.begin() + static_cast<std::ptrdiff_t>(before), log.end());
        EXPECT_EQ(added, c.logged) << c.path;
    }
}

TEST_F(TargetTest, RefusesMissingAndDisabledMenuItems) {
    bool ok = true;
    EXPECT_NONFATAL_FAILURE(ok = ChooseMenu(main_, "File|Disabled"), "is disabled");
    EXPECT_FALSE(ok);
    EXPECT_NONFATAL_FAILURE(ok = ChooseMenu(main_, "File|Print"), "\"&Save\tCtrl+S\"");
    EXPECT_FALSE(ok);
    EXPECT_NONFATAL_FAILURE(ok = ChooseMenu(main_, "File"), "opens a submenu");
    EXPECT_FALSE(ok);
    EXPECT_NONFATAL_FAILURE(ok = ChooseMenu(main_, "File|Save|More"), "opens no submenu");
    EXPECT_FALSE(ok);
    for (const auto& line : Log()) EXPECT_NE(line.rfind("menu ", 0), 0u) << line;
}

TEST_F(TargetTest, ReadsMenusWithoutChoosing) {
    EXPECT_EQ(MenuItems(main_), (std::vector<std::string>{"&File", "&Help"}));
    EXPECT_EQ(MenuItems(main_, "File|Recent"), (std::vector<std::string>{"&First", "Second"}));
    MenuItemState disabled = MenuState(main_, "File|Disabled");
    EXPECT_TRUE(disabled.found);
    EXPECT_FALSE(disabled.enabled);
    EXPECT_EQ(MenuState(main_, "#0|#4|#1").id, 212u);  // File|Recent|Second by position
    EXPECT_FALSE(MenuState(main_, "#0|#9").found);
    MenuItemState save = MenuState(main_, "File|Save");
    EXPECT_TRUE(save.enabled);
    EXPECT_EQ(save.id, 202u);
    EXPECT_FALSE(MenuState(main_, "File|Nothing").found);
    EXPECT_FALSE(Logged("initmenu"));
}

TEST_F(TargetTest, AnswersMessageBoxes) {
    for (int button : {IDNO, IDYES, IDCANCEL}) {
        ASSERT_TRUE(Click(Control(kAsk)));  // returns while the box is up
        EXPECT_EQ(AnswerMessageBox("Target Question", button), "Save the changes to \"notes\"?");
        EXPECT_TRUE(WaitLogged("answer " + std::to_string(button)));
    }
}

TEST_F(TargetTest, ReportsAMissingMessageBoxButton) {
    ASSERT_TRUE(Click(Control(kAsk)));
    HWND box = WaitForWindow("Target Question", "#32770", target_.Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(DialogText(box), "Save the changes to \"notes\"?");
    EXPECT_FALSE(Screenshot(box, "question").empty());
    std::string text = "x";
    EXPECT_NONFATAL_FAILURE(text = AnswerMessageBox("Target Question", IDOK), "has no button 1");
    EXPECT_EQ(text, "");
    EXPECT_EQ(AnswerMessageBox("Target Question", IDYES), "Save the changes to \"notes\"?");
}

TEST_F(TargetTest, WaitsAreBoundedAndSayWhatTheyWaitedFor) {
    HWND none = main_;
    EXPECT_NONFATAL_FAILURE(none = WaitForWindow("No Such Window", "", 0, 200), "no window \"No Such Window\"");
    EXPECT_EQ(none, nullptr);
    EXPECT_NONFATAL_FAILURE(WaitUntil([] { return false; }, 100, "the moon"), "for the moon");
    EXPECT_NONFATAL_FAILURE(WaitForFile(ArtifactDir() + "never.txt", 100), "never.txt");
    EXPECT_NONFATAL_FAILURE(target_.WaitExit(100), "still runs");
    EXPECT_FALSE(PollUntil([] { return false; }, 100));
}

TEST_F(TargetTest, EndsByMenuCloseOrKill) {
    ASSERT_TRUE(ChooseMenu(main_, "File|Exit"));
    EXPECT_EQ(target_.WaitExit(), 3);
    EXPECT_TRUE(Logged("exit"));

    ASSERT_TRUE(target_.Start(BinDir() + "dp_driver_target.exe", "\"" + logPath_ + "\""));
    HWND second = WaitForWindow("Driver Target", "DpDriverTarget", target_.Pid());
    ASSERT_TRUE(RequestClose(second));
    EXPECT_EQ(target_.WaitExit(), 3);
    EXPECT_TRUE(Logged("close"));

    ASSERT_TRUE(target_.Start(BinDir() + "dp_driver_target.exe", "\"" + logPath_ + "\""));
    ASSERT_NE(WaitForWindow("Driver Target", "DpDriverTarget", target_.Pid()), nullptr);
    EXPECT_EQ(ProcessesNamed("DP_DRIVER_TARGET.EXE"), std::vector<DWORD>{target_.Pid()});
    target_.Kill();
    EXPECT_FALSE(target_.Running());
    EXPECT_TRUE(WaitNoProcess("dp_driver_target.exe"));
}

TEST_F(TargetTest, CapturesTheWindowWithItsFrameAsPng) {
    std::string path = ArtifactDir() + "target.png";
    ASSERT_TRUE(CaptureWindowPng(main_, path));
    TRgbImage png;
    std::string error;
    ASSERT_TRUE(ReadPng(ReadFileText(path), png, error)) << error;
    RECT r;
    GetWindowRect(main_, &r);
    EXPECT_EQ(png.Width, static_cast<uint32_t>(r.right - r.left));
    EXPECT_EQ(png.Height, static_cast<uint32_t>(r.bottom - r.top));
    POINT client{0, 0};
    ClientToScreen(main_, &client);
    size_t top = static_cast<size_t>(client.y - r.top);
    ASSERT_GT(top, 10u);  // caption and menu bar
    EXPECT_EQ(png.Pixels.at((top + 220) * png.Width + (client.x - r.left + 330)), kSwatchColour);
    // The caption bar, which Wine draws only on a virtual desktop (black without).
    uint32_t caption = png.Pixels.at(8 * png.Width + png.Width / 2);
    EXPECT_NE(caption, 0u);
    EXPECT_NE(caption, kSwatchColour);
    EXPECT_FALSE(Screenshot(main_, "named").empty());
    EXPECT_TRUE(FileExists(ArtifactDir() + "named.png"));
}

TEST(PngTest, WritesWhatItIsGiven) {
    std::vector<uint32_t> pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};
    std::string path = ArtifactDir() + "tiny.png";
    ASSERT_TRUE(WritePngFile(path, 3, 2, pixels));
    TRgbImage png;
    std::string error;
    ASSERT_TRUE(ReadPng(ReadFileText(path), png, error)) << error;
    EXPECT_EQ(png.Width, 3u);
    EXPECT_EQ(png.Height, 2u);
    EXPECT_EQ(png.Pixels, pixels);
    EXPECT_FALSE(WritePngFile(path, 4, 2, pixels));  // too few pixels
    EXPECT_FALSE(WritePngFile(path, 0, 0, {}));
}

TEST(TextMatchTest, MnemonicMarkersAndShortcuts) {
    struct {
        const char* actual;
        const char* wanted;
        bool menu;
        bool matches;
    } cases[] = {
        {"&Save", "&Save", false, true},
        {"&Save", "Save", false, true},
        {"&Save", "S&ave", false, false},
        {"Save && close", "Save & close", false, true},
        {"Save && close", "Save && close", false, true},
        {"&Save\tCtrl+S", "Save", false, false},
        {"&Save\tCtrl+S", "Save", true, true},
        {"&Save\tCtrl+S", "&Save", true, true},
        {"&Save\tCtrl+S", "&Save\tCtrl+S", true, true},
        {"Saves", "Save", true, false},
    };
    for (const auto& c : cases) {
        bool got = c.menu ? MenuTextMatches(c.actual, c.wanted) : TextMatches(c.actual, c.wanted);
        EXPECT_EQ(got, c.matches) << c.actual << " vs " << c.wanted;
    }
    EXPECT_EQ(StripAmpersands("a&&b&c&"), "a&bc");
}

}  // namespace
