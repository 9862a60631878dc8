// driftpane.exe end to end: started from a folder of its own with the sample movie beside it,
// driven through its windows as a person would, checked through its files, the registry and
// what the Flash and Active Desktop stand-ins were told.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <shlobj.h>

#include "BuilderDriver.h"
#include "common/RecordHead.h"
#include "tests/driver/TestDriver.h"
#include "tests/setup_e2e/Wizard.h"

using namespace dptest;
using namespace builder_e2e;

namespace {

TEST_F(Builder, VeryFirstStartWritesTheSampleProjectPlaysItAndShowsTheTips) {
    ForgetBuilderSettings();
    ASSERT_TRUE(Start());
    HWND tips = WaitForWindow("Tip of days");
    ASSERT_NE(tips, nullptr);
    HWND box = NeedChild(tips, "TCheckBox", "Show tips on star");
    EXPECT_TRUE(IsChecked(box));
    Screenshot(tips, "tips");
    Click(NeedChild(tips, "TButton", "&Next Tip"));
    SetCheck(box, false);
    Click(NeedChild(tips, "TButton", "&OK"));
    EXPECT_TRUE(WaitWindowGone(tips));
    DWORD value = 1;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", value));
    EXPECT_EQ(value, 0u);

    ASSERT_NE(WaitMain(), nullptr);
    EXPECT_EQ(Text(main_), "Driftpane Maker 2.07-sample.dpb");
    EXPECT_TRUE(FileExists(ProgramDir() + "sample.dpb"));
    const std::string project = ReadFileText(ProgramDir() + "sample.dpb");
    EXPECT_NE(project.find("sample.swf"), std::string::npos) << project;
    EXPECT_NE(project.find("WallPaperName=New Project"), std::string::npos) << project;
    value = 1;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", value));
    EXPECT_EQ(value, 0u);
    // The preview control plays the sample movie.
    HWND flash = FindChild(main_, "DriftpaneFlashStandIn");
    ASSERT_NE(flash, nullptr) << Describe(main_);
    EXPECT_TRUE(WaitForText(flash, ProgramDir() + "sample.swf - Playing")) << Text(flash);
    EXPECT_EQ(Text(NameField()), "New Project");
    EXPECT_EQ(Text(MovieField()), ProgramDir() + "sample.swf");

    Screenshot(main_, "page1");
    SelectPage(1);
    Screenshot(main_, "page2");
    SelectPage(2);
    Screenshot(main_, "page3");

    // The first start leaves the project marked modified: closing asks; No closes.
    CloseAnswering(IDNO);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRegKey, "Quest2"), ProgramDir() + "sample.dpb");
}

TEST_F(Builder, WithoutQuestOneTheWindowKeepsItsDefinitionAndTheTipsStayAway) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    WriteText(HKEY_LOCAL_MACHINE, kRegKey, "Quest2", "");
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    EXPECT_EQ(Text(main_), "Driftpane Maker 2.07");
    EXPECT_EQ(Text(NameField()), "Driftpane Builder");
    EXPECT_EQ(Text(AuthorField()), "Orvell");
    EXPECT_FALSE(FileExists(ProgramDir() + "sample.dpb"));
    EXPECT_EQ(FindTopWindow("Tip of days"), nullptr);

    // Help > Tip of the days shows them anyway, with the box unchecked.
    ASSERT_TRUE(ChooseMenu(main_, "&Help|&Tip of the days..."));
    HWND tips = WaitForWindow("Tip of days");
    ASSERT_NE(tips, nullptr);
    EXPECT_FALSE(IsChecked(NeedChild(tips, "TCheckBox", "Show tips on star")));
    Click(NeedChild(tips, "TButton", "&OK"));
    WaitWindowGone(tips);

    // About: title in the caption.
    ASSERT_TRUE(ChooseMenu(main_, "&Help|&About"));
    HWND about = WaitForWindow("Driftpane Maker 2.07", "TfrmAbout");
    ASSERT_NE(about, nullptr);
    Screenshot(about, "about");
    Click(NeedChild(about, "TButton", "&OK"));
    EXPECT_TRUE(WaitWindowGone(about));

    // Nothing changed: no question on closing; "Quest2" is written empty.
    CloseAnswering(0);
    bool found = false;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRegKey, "Quest2", &found), "");
    EXPECT_TRUE(found);
}

struct CheckCase {
    const char* button;
    const char* movie;  // typed into the movie field; "<sample>" for the real one
    const char* picture;
    const char* message;
};

TEST_F(Builder, InputChecksShowTheirMessagesAndStop) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    const std::string sample = ProgramDir() + "sample.swf";
    const CheckCase cases[] = {
        {"&Preview", "  ", "", "Please select the flash movie file."},
        {"&Preview", "Z:\\no\\such.swf", "", "flash file do not exists."},
        {"&Active Wallpaper", "", "", "Please select the flash movie name."},
        {"&Active Wallpaper", "Z:\\no\\such.swf", "", "Flash file do not exists."},
        {"&Create A Installer", "Z:\\no\\such.swf", "", "Flash file do not exists."},
        {"&Preview", "<sample>", "Z:\\no\\such.jpg", "picture file do not exists."},
        {"&Create A Installer", "<sample>", "Z:\\no\\such.jpg", "picture file do not exists."},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " / " + c.movie + " / " + c.picture);
        SelectPage(0);
        SetEditText(MovieField(), std::string(c.movie) == "<sample>" ? sample : c.movie);
        SelectPage(1);
        SetEditText(PictureField(), c.picture);
        HWND button = NeedChild(main_, "TButton", c.button);
        PostMessageA(button, BM_CLICK, 0, 0);
        EXPECT_EQ(AnswerMessageBox(kTitle, IDOK), c.message);
    }
    // A preview was never started.
    EXPECT_NE(FindChild(main_, "TButton", "&Preview"), nullptr);
    RequestClose(main_);
    // edits of the movie field marked the project modified
    AnswerMessageBox(kTitle, IDNO);
    EXPECT_EQ(proc_.WaitExit(), 0);
}

// The tag codes of an uncompressed movie, in order, up to the End tag.
std::vector<int> TagCodes(const std::string& swf) {
    std::vector<int> codes;
    if (swf.size() < 9 || swf.compare(0, 3, "FWS") != 0) return codes;
    auto byte = [&](size_t i) { return i < swf.size() ? unsigned(uint8_t(swf[i])) : 0u; };
    const unsigned bits = byte(8) >> 3;
    size_t at = 8 + (5 + 4 * bits + 7) / 8 + 4;
    while (at + 2 <= swf.size()) {
        const unsigned word = byte(at) | byte(at + 1) << 8;
        size_t length = word & 0x3F, data = at + 2;
        if (length == 0x3F) {
            length = byte(at + 2) | byte(at + 3) << 8 | byte(at + 4) << 16 | size_t(byte(at + 5)) << 24;
            data = at + 6;
        }
        codes.push_back(int(word >> 6));
        if ((word >> 6) == 0) break;
        at = data + length;
    }
    return codes;
}

TEST_F(Builder, PreviewShowsThePageBesideTheProgramAndCancelPutsTheOldWallpaperBack) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\windows\\old.bmp");
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    // The movie from elsewhere, so that the preview makes its copy.
    const std::string movie = SourceDir() + "drift.swf";
    SetEditText(MovieField(), movie);
    HWND preview = NeedChild(main_, "TButton", "&Preview");
    Click(preview);
    const std::string page = ProgramDir() + "tmpPreview.htm";
    EXPECT_TRUE(WaitUntil([&] { return CurrentWallpaper() == page; }, kWaitMs, "the preview wallpaper"))
        << CurrentWallpaper();
    EXPECT_TRUE(FileExists(page));
    EXPECT_TRUE(FileExists(ProgramDir() + "drift.swf"));
    EXPECT_TRUE(WaitForText(preview, "&Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
    ShowWindow(main_, SW_RESTORE);

    Click(preview);
    EXPECT_TRUE(WaitForText(preview, "&Preview"));
    EXPECT_EQ(CurrentWallpaper(), "C:\\windows\\old.bmp");
    EXPECT_FALSE(FileExists(page));
    EXPECT_FALSE(FileExists(ProgramDir() + "drift.swf"));
    EXPECT_TRUE(FileExists(movie));

    // Muted when asked: the copy's sound tags carry the code players skip.
    SelectPage(1);
    ASSERT_TRUE(SetCheck(NeedChild(main_, "TCheckBox", "Mute Flash Sound"), true));
    Click(preview);
    EXPECT_TRUE(WaitUntil([&] { return CurrentWallpaper() == page; }, kWaitMs, "the muted preview"));
    EXPECT_TRUE(WaitForText(preview, "&Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
    const std::string original = ReadFileText(movie), muted = ReadFileText(ProgramDir() + "drift.swf");
    EXPECT_EQ(muted.size(), original.size());
    const std::vector<int> before = TagCodes(original), after = TagCodes(muted);
    ASSERT_EQ(after.size(), before.size());
    int sound = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        const bool silenced = before[i] == 14 || before[i] == 18 || before[i] == 19 || before[i] == 45;
        sound += silenced;
        EXPECT_EQ(after[i], silenced ? 1023 : before[i]) << "tag " << i;
    }
    EXPECT_GT(sound, 0) << "the sample movie has sound";
    ShowWindow(main_, SW_RESTORE);
    Click(preview);
    EXPECT_TRUE(WaitForText(preview, "&Preview"));
    EXPECT_FALSE(FileExists(ProgramDir() + "drift.swf"));
    RequestClose(main_);
    AnswerMessageBox(kTitle, IDNO);
    EXPECT_EQ(proc_.WaitExit(), 0);
}

TEST_F(Builder, NewProjectAsksNothingUnchangedThenTheSaveQuestionGuardsTheClose) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    ASSERT_TRUE(ChooseMenu(main_, "&File|&New Project"));
    EXPECT_TRUE(WaitForText(main_, "Driftpane Maker 2.07-*")) << Text(main_);
    EXPECT_EQ(Text(NameField()), "New Project");
    // Yes, then the save dialog cancelled: the window stays.
    RequestClose(main_);
    EXPECT_EQ(AnswerMessageBox(kTitle, IDYES), "The current wallpaper has been modified and not save,save it now?");
    AnswerFileDialog("", false);
    Settle(main_);
    EXPECT_TRUE(proc_.Running());
    EXPECT_TRUE(IsWindowVisible(main_));
    // No closes without saving.
    CloseAnswering(IDNO);
    bool found = false;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRegKey, "Quest2", &found), "");
    EXPECT_TRUE(found);

    // The second start after the unsaved project: the definition's values, no project.
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    EXPECT_EQ(Text(main_), "Driftpane Maker 2.07");
    EXPECT_EQ(Text(NameField()), "Driftpane Builder");
    CloseAnswering(0);
}

void AnswerColorDialog(DWORD pid, int r, int g, int b) {
    HWND dlg =
        WaitForWindow([&](HWND w) { return ClassOf(w) == "#32770" && ProcessOf(w) == pid && FindChildById(w, 706); },
                      "the colour dialog");
    ASSERT_NE(dlg, nullptr);
    // "Define Custom Colors >>" shows the fields.
    ASSERT_TRUE(Click(NeedChildById(dlg, 719)));
    ASSERT_TRUE(
        WaitUntil([&] { return IsWindowVisible(FindChildById(dlg, 706)) != FALSE; }, kWaitMs, "the colour fields"));
    const int values[] = {r, g, b};
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(SetEditText(NeedChildById(dlg, 706 + i), std::to_string(values[i])));
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    WaitWindowGone(dlg);
}

// Every setting typed or picked, saved, checked in the file, and back in every control at the
// next start.
TEST_F(Builder, SavedSettingsComeBackAtTheNextStart) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    const std::string project = ProgramDir() + "round.dpb";
    const std::string movie = ProgramDir() + "sample.swf";
    const std::string picture = SourceDir() + "back.jpg";
    DeleteFileA(project.c_str());
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);

    struct Pick {
        const char* first;  // the combo's first item
        const char* item;
        int index;
        const char* key;
    };
    const Pick picks[] = {
        {"Low", "Best", 4, "MovieQuality"},
        {"Exact Fit", "No Scale", 2, "MovieSize"},
        {"Full Screen", "Custom", 10, "MoviePosition"},
        {"Center", "Tile", 2, "WallPaperPosition"},
    };
    struct Typed {
        const char* group;
        int index;
        int page;
        std::string text;
        const char* key;
    };
    const Typed typed[] = {
        {"File Information", 0, 0, "Round Trip", "WallPaperName"},
        {"File Information", 1, 0, movie, "FlashFile"},
        {"Movie Setting", 0, 1, "10", "MovieLeft"},
        {"Movie Setting", 1, 1, "20", "MovieTop"},
        {"Movie Setting", 2, 1, "30", "MovieRight"},
        {"Movie Setting", 3, 1, "40", "MovieBottom"},
        {"Background Setting", 0, 1, picture, "BackgroundPic"},
        {"Author Information", 0, 2, "Someone Else", "Author"},
        {"Author Information", 1, 2, "someone@example.com", "Email"},
        {"Author Information", 2, 2, "www.someone.example.com", "Website"},
    };
    SelectPage(1);
    for (const Pick& p : picks) ASSERT_TRUE(SelectComboItem(ComboStartingWith(main_, p.first), p.item)) << p.key;
    for (const Typed& t : typed) {
        SelectPage(t.page);
        ASSERT_TRUE(SetEditText(Field(t.group, t.index), t.text)) << t.key;
    }
    SelectPage(1);
    ASSERT_TRUE(SetCheck(NeedChild(main_, "TCheckBox", "Mute Flash Sound"), true));
    ASSERT_TRUE(SetCheck(NeedChild(main_, "TCheckBox", "Loop movie"), false));
    // The colour swatch opens the colour dialog.
    ASSERT_TRUE(ClickAt(NeedChild(main_, "TGroupBox", "Background Setting"), 140, 70));
    AnswerColorDialog(proc_.Pid(), 0x12, 0x34, 0x56);

    ASSERT_TRUE(ChooseMenu(main_, "&File|&Save Project"));
    AnswerFileDialog(project);
    EXPECT_TRUE(WaitForText(main_, "Driftpane Maker 2.07-round.dpb")) << Text(main_);
    ASSERT_TRUE(WaitForFile(project));
    const std::string text = ReadFileText(project);
    auto has = [&](const std::string& line) { return text.find(line + "\r\n") != std::string::npos; };
    for (const Pick& p : picks)
        EXPECT_TRUE(has(std::string(p.key) + "=" + std::to_string(p.index))) << p.key << "\n" << text;
    for (const Typed& t : typed) EXPECT_TRUE(has(std::string(t.key) + "=" + t.text)) << t.key << "\n" << text;
    // The alignment lists are never shown: their "Center" is stored all the same.
    EXPECT_TRUE(has("MovieHAligment=1")) << text;
    EXPECT_TRUE(has("MovieVAligment=1")) << text;
    EXPECT_TRUE(has("MuteFlashSound=1")) << text;
    EXPECT_TRUE(has("Loop=0")) << text;
    EXPECT_TRUE(has("BackgroundColor=" + std::to_string(0x563412))) << text;
    CloseAnswering(0);  // saved: no question
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kRegKey, "Quest2"), project);

    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    EXPECT_EQ(Text(main_), "Driftpane Maker 2.07-round.dpb");
    for (const Typed& t : typed) EXPECT_EQ(Text(Field(t.group, t.index)), t.text) << t.key;
    for (const Pick& p : picks)
        EXPECT_EQ(SendMessageA(ComboStartingWith(main_, p.first), CB_GETCURSEL, 0, 0), p.index) << p.key;
    EXPECT_TRUE(IsChecked(NeedChild(main_, "TCheckBox", "Mute Flash Sound")));
    EXPECT_FALSE(IsChecked(NeedChild(main_, "TCheckBox", "Loop movie")));
    // Custom position: its four fields are enabled.
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(IsWindowEnabled(Field("Movie Setting", i))) << i;
    // The swatch shows the colour: saving again writes it unchanged.
    DeleteFileA(project.c_str());
    ASSERT_TRUE(ChooseMenu(main_, "&File|&Save Project"));
    ASSERT_TRUE(WaitForFile(project));
    EXPECT_NE(ReadFileText(project).find("BackgroundColor=" + std::to_string(0x563412)), std::string::npos);
    CloseAnswering(0);  // loading marks nothing
}

TEST_F(Builder, ActiveWallpaperWritesThePageUnderTheWindowsFolderOrReportsTheMissingFolder) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    char win[MAX_PATH] = {};
    GetWindowsDirectoryA(win, MAX_PATH);
    const std::string web = std::string(win) + "\\Web\\Wallpaper";
    const std::string page = web + "\\Driftpane.htm";
    DeleteFileA(page.c_str());
    DeleteFileA((web + "\\drift.swf").c_str());
    RemoveDirectoryA(web.c_str());
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    HWND build = NeedChild(main_, "TButton", "&Active Wallpaper");
    // No Web\Wallpaper folder: the file error, and the wallpaper stays.
    const std::string before = CurrentWallpaper();
    PostMessageA(build, BM_CLICK, 0, 0);
    const std::string error = AnswerMessageBox(kTitle, IDOK);
    EXPECT_NE(error.find("drift.swf"), std::string::npos) << error;
    EXPECT_EQ(CurrentWallpaper(), before);

    CreateDirectoryA((std::string(win) + "\\Web").c_str(), nullptr);
    CreateDirectoryA(web.c_str(), nullptr);
    Click(build);
    EXPECT_TRUE(WaitUntil([&] { return CurrentWallpaper() == page; }, kWaitMs, "the active wallpaper"))
        << CurrentWallpaper();
    EXPECT_TRUE(FileExists(page));
    EXPECT_TRUE(FileExists(web + "\\drift.swf"));
    CloseAnswering(IDNO);
}

// The Active Desktop stand-in refuses one method while this lives.
class Refused {
public:
    explicit Refused(const std::string& method) : value_("Refuse" + method) {
        WriteDword(HKEY_CURRENT_USER, kStandInKey, value_.c_str(), static_cast<DWORD>(E_ACCESSDENIED));
    }
    ~Refused() {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kStandInKey, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        RegDeleteValueA(k, value_.c_str());
        RegCloseKey(k);
    }

private:
    static constexpr const char* kStandInKey = "Software\\DriftpaneTest\\ActiveDesktopStandIn";
    std::string value_;
};

TEST_F(Builder, PreviewCancelAndActiveWallpaperThatTheDesktopRefusesShowTheErrorAndKeepTheWallpaper) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    const std::string old = "C:\\windows\\old.bmp";
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", old);
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    HWND preview = NeedChild(main_, "TButton", "&Preview");
    const std::string page = ProgramDir() + "tmpPreview.htm";

    // Preview: the error, the old wallpaper, no preview files, the window as it was.
    {
        Refused refused("ApplyChanges");
        PostMessageA(preview, BM_CLICK, 0, 0);
        const std::string error = AnswerMessageBox(kTitle, IDOK);
        EXPECT_NE(error.find("refused the wallpaper " + page), std::string::npos) << error;
        EXPECT_NE(error.find("ApplyChanges"), std::string::npos) << error;
    }
    Settle(main_);
    EXPECT_EQ(CurrentWallpaper(), old);
    EXPECT_FALSE(FileExists(page));
    EXPECT_FALSE(FileExists(ProgramDir() + "drift.swf"));
    EXPECT_EQ(Text(preview), "&Preview");
    EXPECT_FALSE(IsIconic(main_));

    // A preview that works, whose Cancel the desktop refuses: it still shows, with its files.
    Click(preview);
    EXPECT_TRUE(WaitUntil([&] { return CurrentWallpaper() == page; }, kWaitMs, "the preview wallpaper"));
    EXPECT_TRUE(WaitForText(preview, "&Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
    ShowWindow(main_, SW_RESTORE);
    {
        Refused refused("SetWallpaper");
        PostMessageA(preview, BM_CLICK, 0, 0);
        const std::string error = AnswerMessageBox(kTitle, IDOK);
        EXPECT_NE(error.find("refused the wallpaper " + old), std::string::npos) << error;
        EXPECT_NE(error.find("SetWallpaper"), std::string::npos) << error;
    }
    Settle(main_);
    EXPECT_EQ(CurrentWallpaper(), page);
    EXPECT_TRUE(FileExists(page));
    EXPECT_TRUE(FileExists(ProgramDir() + "drift.swf"));
    EXPECT_EQ(Text(preview), "&Cancel");
    // Cancel again, now taken.
    Click(preview);
    EXPECT_TRUE(WaitForText(preview, "&Preview"));
    EXPECT_EQ(CurrentWallpaper(), old);
    EXPECT_FALSE(FileExists(page));

    // Active Wallpaper.
    char win[MAX_PATH] = {};
    GetWindowsDirectoryA(win, MAX_PATH);
    CreateDirectoryA((std::string(win) + "\\Web").c_str(), nullptr);
    CreateDirectoryA((std::string(win) + "\\Web\\Wallpaper").c_str(), nullptr);
    {
        Refused refused("SetWallpaper");
        PostMessageA(NeedChild(main_, "TButton", "&Active Wallpaper"), BM_CLICK, 0, 0);
        const std::string error = AnswerMessageBox(kTitle, IDOK);
        EXPECT_NE(error.find("refused the wallpaper " + std::string(win) + "\\Web\\Wallpaper\\Driftpane.htm"),
                  std::string::npos)
            << error;
    }
    Settle(main_);
    EXPECT_EQ(CurrentWallpaper(), old);
    CloseAnswering(IDNO);
}

TEST_F(Builder, CreateInstallerRefusesUnusableNamesAndAsksBeforeReplacing) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    HWND publish = NeedChild(main_, "TButton", "&Create A Installer");
    for (const char* name : {"a/b", "what?", "dot."}) {
        SCOPED_TRACE(name);
        SetEditText(NameField(), name);
        PostMessageA(publish, BM_CLICK, 0, 0);
        const std::string message = AnswerMessageBox(kTitle, IDOK);
        EXPECT_NE(message.find("cannot be used as a file name"), std::string::npos) << message;
    }
    SetEditText(NameField(), "Good Name");
    const std::string target = ProgramDir() + "existing.exe";
    {
        HANDLE f = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, "keep", 4, &written, nullptr);
        CloseHandle(f);
    }
    PostMessageA(publish, BM_CLICK, 0, 0);
    AnswerFileDialog(target);
    EXPECT_EQ(AnswerMessageBox(kTitle, IDNO),
              "File " + target + " is already in existence,are you sure to replace it?");
    Settle(main_);
    EXPECT_EQ(ReadFileText(target), "keep");
    EXPECT_FALSE(FileExists(ProgramDir() + "Good Name.html"));
    CloseAnswering(IDNO);
}

// The underlined letters of the main window's buttons and menu bar, pressed on the keyboard.
TEST_F(Builder, AltLettersPreviewCreateAnInstallerAndOpenTheFileMenu) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\windows\\old.bmp");
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    SetEditText(NameField(), "Keys Test");
    HWND preview = NeedChild(main_, "TButton", "&Preview");
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(SendKey('P', true));
    EXPECT_TRUE(WaitUntil([&] { return CurrentWallpaper() == ProgramDir() + "tmpPreview.htm"; }, kWaitMs,
                          "the preview wallpaper"))
        << CurrentWallpaper();
    EXPECT_TRUE(WaitForText(preview, "&Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
    ShowWindow(main_, SW_RESTORE);
    Click(preview);
    EXPECT_TRUE(WaitForText(preview, "&Preview"));
    EXPECT_EQ(CurrentWallpaper(), "C:\\windows\\old.bmp");

    // Create Installer asks where to write the installer.
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(SendKey('C', true));
    AnswerFileDialog("", false);

    // The skinned menu bar's letters as well, whatever control has the focus.
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(SendKey('F', true));
    const DWORD pid = ProcessOf(main_);
    HWND menu = WaitForWindow(
        [&](HWND w) { return ClassOf(w) == "#32768" && ProcessOf(w) == pid && IsWindowVisible(w); }, "the File menu");
    ASSERT_NE(menu, nullptr);
    Screenshot(menu, "alt-f-menu");
    ASSERT_TRUE(SendKey(VK_ESCAPE));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, kWaitMs, "the menu to close"));
    CloseAnswering(IDNO);
}

std::string StartMenuGroup(const std::string& group) {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        char buf[MAX_PATH] = {};
        if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf))) continue;
        const std::string dir = std::string(buf) + "\\" + group;
        const DWORD a = GetFileAttributesA(dir.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return dir;
    }
    return "";
}

bool FolderExists(const std::string& dir) {
    const DWORD a = GetFileAttributesA(dir.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A leading blank, brackets, parentheses, a comma, an ampersand, a percent sign, an apostrophe,
// an exclamation mark, a semicolon, braces and a letter of the ANSI code page beyond ASCII: the
// hardest name the builder takes.
std::string HardestName() {
    char e[8] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u00e9", -1, e, sizeof e, nullptr, &lossy);
    return std::string(" Sunset (HD), [Blue] & 100% Rob's! ; {Caf") + (lossy ? "e" : e) + "}";
}

TEST_F(Builder, CreateInstallerWritesAPackageThatInstallsTheWallpaperAndUninstallsIt) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    const std::string name = HardestName();
    const std::string target = SourceDir() + "Drift Setup.exe";
    // As setup proposes it: a folder of the wallpaper's name.
    const std::string installed = SourceDir() + name;
    {
        HANDLE f = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(f);
    }
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    SetEditText(NameField(), name);
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    SelectPage(2);
    SetEditText(AuthorField(), "The Author");
    PostMessageA(NeedChild(main_, "TButton", "&Create A Installer"), BM_CLICK, 0, 0);
    AnswerFileDialog(target);
    EXPECT_EQ(AnswerMessageBox(kTitle, IDYES),
              "File " + target + " is already in existence,are you sure to replace it?");
    // Writing pumps messages, so only the closed file of more than setup.exe says it is done.
    const std::string setup = ReadFileText(BinDir() + "setup.exe");
    ASSERT_TRUE(WaitForFileWritten(target, setup.size() + PackHeadSize + 1));
    const std::string bytes = ReadFileText(target);
    CloseAnswering(IDNO);

    // Byte for byte: setup.exe, the page, the movie and uninstall.exe in this order, then the
    // file, folder and link tables, then the head.
    const std::string uninstall = ReadFileText(BinDir() + "uninstall.exe");
    const std::string movie = ReadFileText(SourceDir() + "drift.swf");
    ASSERT_GT(bytes.size(), setup.size() + PackHeadSize);
    EXPECT_EQ(bytes.compare(0, setup.size(), setup), 0);
    const WrittenInstaller w = ReadInstaller(bytes);
    ASSERT_TRUE(PackHeadHasMagic(w.head));
    EXPECT_EQ(GetPackText(w.head.ProgramName), name);
    EXPECT_EQ(GetPackText(w.head.Author), "The Author");
    ASSERT_EQ(w.files.size(), 3u);
    const std::string names[] = {name + ".html", "drift.swf", "Uninstall.exe"};
    uint64_t at = setup.size();
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(GetPackText(w.files[i].FileName), names[i]);
        EXPECT_EQ(GetPackText(w.files[i].Root), "InstallDir");
        EXPECT_EQ(w.files[i].Offset, at);
        at += w.files[i].Size;
    }
    EXPECT_EQ(bytes.substr(w.files[1].Offset, w.files[1].Size), movie);
    EXPECT_EQ(w.files[2].Size, uninstall.size());
    EXPECT_EQ(bytes.substr(w.files[2].Offset, w.files[2].Size), uninstall);
    EXPECT_EQ(w.head.FileOffset, at);
    EXPECT_EQ(w.head.DirOffset, at + 3 * PackFileRecSize);
    EXPECT_EQ(w.head.LinkOffset, w.head.DirOffset + PackDirRecSize);
    EXPECT_EQ(w.head.RegCount, 0u);
    EXPECT_EQ(uint64_t(w.head.LinkOffset) + 3 * PackLinkRecSize + PackHeadSize, bytes.size());
    ASSERT_EQ(w.dirs.size(), 1u);
    ASSERT_EQ(w.links.size(), 3u);
    const uint8_t kinds[] = {0, 4, 1};
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(w.links[i].Kind, kinds[i]) << i;
    EXPECT_EQ(GetPackText(w.links[0].Caption), name);
    EXPECT_EQ(GetPackText(w.links[1].FileName), name + ".html");
    EXPECT_EQ(GetPackText(w.links[2].FileName), "Uninstall.exe");

    // The written installer through its wizard.
    TestProcess setupProc;
    HWND wizard = StartWizard(setupProc, target, name);
    ASSERT_NE(wizard, nullptr);
    Screenshot(wizard, "hardest_name_welcome");
    ASSERT_TRUE(InstallThroughWizard(setupProc, wizard, installed));
    const std::string page = installed + "\\" + name + ".html";
    EXPECT_TRUE(FileExists(page));
    EXPECT_NE(ReadFileText(page).find("drift.swf"), std::string::npos);
    EXPECT_EQ(ReadFileText(installed + "\\drift.swf"), movie);
    EXPECT_EQ(ReadFileText(installed + "\\Uninstall.exe"), uninstall);
    EXPECT_EQ(CurrentWallpaper(), page);
    const std::string entry = "software\\microsoft\\windows\\currentversion\\uninstall\\" + name;
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, entry.c_str(), "DisplayName"), name);
    EXPECT_TRUE(WaitUntil([&] { return !StartMenuGroup(name).empty(); }, 30000, "the Start-menu group"));
    EXPECT_TRUE(WaitUntil([&] { return FileExists(StartMenuGroup(name) + "\\Uninstall.lnk"); }, 30000,
                          "the group's Uninstall item"));
    if (HWND w = FindWindowA(nullptr, name.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);

    // Its uninstaller takes it all away again.
    ASSERT_TRUE(UninstallAll(installed + "\\Uninstall.exe", name));
    EXPECT_TRUE(WaitUntil([&] { return !FolderExists(installed); }, 60000, "the install folder to go"));
    bool found = true;
    ReadText(HKEY_LOCAL_MACHINE, entry.c_str(), "DisplayName", &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(CurrentWallpaper(), "");
    EXPECT_TRUE(WaitUntil([&] { return StartMenuGroup(name).empty(); }, 30000, "the group to go"));
    DeleteFileA(target.c_str());
    DeleteFileA((ProgramDir() + name + ".html").c_str());
    DeleteFileA((ProgramDir() + "drift.swf").c_str());
}

}  // namespace
