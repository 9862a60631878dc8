// The builder's main road with its skin on, driven by real mouse and keyboard input through the
// skinned menu bar, buttons, check boxes and dialogs: a new project, the movie, the settings,
// a preview and its cancel, an installer. Every window it meets answers the skin's query;
// controls are found by handle and class, never by the skin's pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "BuilderDriver.h"
#include "common/RecordHead.h"
#include "tests/driver/TestDriver.h"

using namespace dptest;
using namespace builder_e2e;

namespace {

// Every skinned window and control answers it with 1.
constexpr UINT kSkinQuery = 0x3523;

LRESULT SkinQuery(HWND w) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(w, kSkinQuery, 0, 0, SMTO_NORMAL, kWaitMs, &answer)) return 0;
    return static_cast<LRESULT>(answer);
}

bool WaitSkinned(HWND w, const std::string& what) {
    return WaitUntil([&] { return SkinQuery(w) == 1; }, kWaitMs, what + " skinned");
}

// The controls of the kinds whose skins the builder's windows get, anywhere in top.
std::vector<HWND> SkinnedKinds(HWND top) {
    static const char* const kinds[] = {"TButton", "TCheckBox", "TGroupBox", "Button"};
    std::vector<HWND> out;
    for (HWND c : Children(top)) {
        for (const char* k : kinds)
            if (ClassOf(c) == k) out.push_back(c);
        for (HWND inner : SkinnedKinds(c)) out.push_back(inner);
    }
    return out;
}

void ExpectControlsSkinned(HWND top, const std::string& what) {
    const std::vector<HWND> controls = SkinnedKinds(top);
    EXPECT_FALSE(controls.empty()) << what;
    for (HWND c : controls) EXPECT_TRUE(WaitSkinned(c, what + ": " + Describe(c, false)));
}

bool ClickMiddle(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return SendClick(w, r.right / 2, r.bottom / 2);
}

HWND WaitFileDialog(DWORD pid, const std::string& what) {
    return WaitForWindow([&](HWND w) { return IsFileDialog(w) && ProcessOf(w) == pid; }, what);
}

TEST_F(Builder, TheMainRoadThroughTheSkinnedBuilder) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\windows\\old.bmp");
    const std::string name = "Skinned Road";
    const std::string movie = SourceDir() + "drift.swf";
    const std::string target = SourceDir() + "Skinned Setup.exe";
    DeleteFileA(target.c_str());
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    const DWORD pid = proc_.Pid();
    ASSERT_TRUE(WaitSkinned(main_, "the main window"));
    ExpectControlsSkinned(main_, "the main window");
    Screenshot(main_, "skinned-start");

    // A new project from the skinned menu bar's File drop-down, by the keyboard.
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(SendKey('F', true));
    HWND menu = WaitForWindow(
        [&](HWND w) { return ClassOf(w) == "#32768" && ProcessOf(w) == pid && IsWindowVisible(w); }, "the File menu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(WaitSkinned(menu, "the File menu"));
    Screenshot(menu, "skinned-file-menu");
    ASSERT_TRUE(SendKey(VK_HOME));
    ASSERT_TRUE(SendKey(VK_RETURN));
    EXPECT_TRUE(WaitForText(main_, "Driftpane Maker 2.07-*")) << Text(main_);
    EXPECT_TRUE(WaitForText(NameField(), "New Project"));

    // The movie through the browse button and the skinned open dialog.
    HWND browse = Field("File Information", 0, "TButton");
    ASSERT_NE(browse, nullptr) << Describe(main_);
    ASSERT_TRUE(ClickMiddle(browse));
    HWND open = WaitFileDialog(pid, "the movie's open dialog");
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(WaitSkinned(open, "the open dialog"));
    AnswerFileDialog(movie);
    EXPECT_TRUE(WaitForText(MovieField(), movie)) << Text(MovieField());
    ASSERT_TRUE(SetEditText(NameField(), name));

    // Settings: the page by a real click on its tab, a list item, the mute box clicked.
    SelectPage(1, true);
    ASSERT_TRUE(SelectComboItem(ComboStartingWith(main_, "Low"), "Best"));
    HWND mute = NeedChild(main_, "TCheckBox", "Mute Flash Sound");
    ASSERT_NE(mute, nullptr);
    ASSERT_FALSE(IsChecked(mute));
    RECT box{};
    GetClientRect(mute, &box);
    ASSERT_TRUE(SendClick(mute, 7, box.bottom / 2));
    EXPECT_TRUE(WaitUntil([&] { return IsChecked(mute); }, kWaitMs, "the mute box checked by the click"));
    Screenshot(main_, "skinned-settings");

    // Preview, then cancel: the old wallpaper comes back.
    HWND preview = NeedChild(main_, "TButton", "&Preview");
    ASSERT_TRUE(ClickMiddle(preview));
    const std::string page = ProgramDir() + "tmpPreview.htm";
    EXPECT_TRUE(WaitUntil([&] { return CurrentWallpaper() == page; }, kWaitMs, "the preview wallpaper"))
        << CurrentWallpaper();
    EXPECT_TRUE(WaitForText(preview, "&Cancel"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
    ShowWindow(main_, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main_) == FALSE; }, kWaitMs, "the restored window"));
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(WaitSkinned(main_, "the restored main window"));
    ASSERT_TRUE(ClickMiddle(preview));
    EXPECT_TRUE(WaitForText(preview, "&Preview"));
    EXPECT_EQ(CurrentWallpaper(), "C:\\windows\\old.bmp");
    EXPECT_FALSE(FileExists(page));

    // An installer: the author on the third page, the button, the skinned save dialog.
    SelectPage(2, true);
    ASSERT_TRUE(SetEditText(AuthorField(), "Skin Author"));
    ASSERT_TRUE(ClickMiddle(NeedChild(main_, "TButton", "&Create A Installer")));
    HWND save = WaitFileDialog(pid, "the installer's save dialog");
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(WaitSkinned(save, "the save dialog"));
    AnswerFileDialog(target);
    const std::string setup = ReadFileText(BinDir() + "setup.exe");
    ASSERT_TRUE(WaitForFileWritten(target, setup.size() + PackHeadSize + 1));
    const WrittenInstaller w = ReadInstaller(ReadFileText(target));
    ASSERT_TRUE(PackHeadHasMagic(w.head));
    EXPECT_EQ(GetPackText(w.head.ProgramName), name);
    EXPECT_EQ(GetPackText(w.head.Author), "Skin Author");
    ASSERT_EQ(w.files.size(), 3u);
    EXPECT_EQ(GetPackText(w.files[0].FileName), name + ".html");
    EXPECT_EQ(GetPackText(w.files[1].FileName), "drift.swf");
    EXPECT_EQ(GetPackText(w.files[2].FileName), "Uninstall.exe");
    Screenshot(main_, "skinned-author");

    // Closing asks about the unsaved project in a skinned message box; No ends the program.
    RequestClose(main_);
    HWND question = WaitForWindow(
        [&](HWND w) { return ClassOf(w) == "#32770" && ProcessOf(w) == pid && Text(w) == kTitle; }, "the question");
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(WaitSkinned(question, "the message box"));
    ExpectControlsSkinned(question, "the message box");
    Screenshot(question, "skinned-question");
    EXPECT_EQ(AnswerMessageBox(kTitle, IDNO), "The current wallpaper has been modified and not save,save it now?");
    EXPECT_EQ(proc_.WaitExit(), 0);
    DeleteFileA(target.c_str());
    DeleteFileA((ProgramDir() + name + ".html").c_str());
    DeleteFileA((ProgramDir() + "drift.swf").c_str());
}

// From the very first start every window of the builder comes up in the skin: the tip of the
// day, the main window, About, the save question, the file, colour and picture dialogs.
TEST_F(Builder, EveryWindowOfTheBuilderIsSkinnedFromTheStart) {
    ForgetBuilderSettings();
    ASSERT_TRUE(Start());
    HWND tips = WaitForWindow("Tip of days");
    ASSERT_NE(tips, nullptr);
    const DWORD pid = ProcessOf(tips);
    EXPECT_TRUE(WaitSkinned(tips, "the tip of the day"));
    ExpectControlsSkinned(tips, "the tip of the day");
    ASSERT_TRUE(ClickMiddle(NeedChild(tips, "TButton", "&OK")));
    EXPECT_TRUE(WaitWindowGone(tips));
    ASSERT_NE(WaitMain(), nullptr);
    EXPECT_TRUE(WaitSkinned(main_, "the main window"));

    ASSERT_TRUE(ChooseMenu(main_, "&Help|&About"));
    HWND about = WaitForWindow("Driftpane Maker 2.07", "TfrmAbout");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(WaitSkinned(about, "About"));
    ExpectControlsSkinned(about, "About");
    ASSERT_TRUE(ClickMiddle(NeedChild(about, "TButton", "&OK")));
    EXPECT_TRUE(WaitWindowGone(about));

    // The first start leaves the sample project modified: opening another asks first.
    ASSERT_TRUE(ChooseMenu(main_, "&File|&Open Project"));
    HWND question = WaitForWindow(
        [&](HWND w) { return ClassOf(w) == "#32770" && ProcessOf(w) == pid && Text(w) == kTitle; }, "the question");
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(WaitSkinned(question, "the save question"));
    ExpectControlsSkinned(question, "the save question");
    AnswerMessageBox(kTitle, IDNO);
    HWND open = WaitFileDialog(pid, "the project's open dialog");
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(WaitSkinned(open, "the project's open dialog"));
    AnswerFileDialog("", false);

    SelectPage(1, true);
    HWND background = NeedChild(main_, "TGroupBox", "Background Setting");
    ASSERT_TRUE(SendClick(background, 140, 70));
    HWND colour =
        WaitForWindow([&](HWND w) { return ClassOf(w) == "#32770" && ProcessOf(w) == pid && FindChildById(w, 706); },
                      "the colour dialog");
    ASSERT_NE(colour, nullptr);
    EXPECT_TRUE(WaitSkinned(colour, "the colour dialog"));
    Screenshot(colour, "skinned-colour");
    PostMessageA(colour, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitWindowGone(colour));

    HWND pictureBrowse = Field("Background Setting", 0, "TButton");
    ASSERT_NE(pictureBrowse, nullptr) << Describe(main_);
    ASSERT_TRUE(ClickMiddle(pictureBrowse));
    HWND picture = WaitFileDialog(pid, "the picture's open dialog");
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(WaitSkinned(picture, "the picture's open dialog"));
    Screenshot(picture, "skinned-picture");
    AnswerFileDialog("", false);

    // The question was answered: nothing is marked modified any more.
    CloseAnswering(0);
}

}  // namespace

// A long session by menus, system menus, dialogs and a failing save, then File > Exit: the
// program ends cleanly. A failure reported through the main window's handlers once left its skin
// counted as busy for good; freed only at the very end, after the menu registry, its system-menu
// items took the program down on exit.
TEST_F(Builder, ALongSessionEndsWithACleanExit) {
    ForgetBuilderSettings();
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
    WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
    ASSERT_TRUE(Start());
    ASSERT_NE(WaitMain(), nullptr);
    const DWORD pid = proc_.Pid();
    ASSERT_TRUE(WaitSkinned(main_, "the main window"));
    auto popupOf = [&](DWORD p) {
        return [p](HWND w) { return ClassOf(w) == "#32768" && ProcessOf(w) == p && IsWindowVisible(w); };
    };
    auto noPopup = [&] {
        return WaitUntil(
            [&] { return !FindTopWindow("", "#32768", pid) || !IsWindowVisible(FindTopWindow("", "#32768", pid)); },
            kWaitMs, "the menu closed");
    };
    // The skin's right-click system menu of a window, opened by Alt+Space and closed by Escape.
    auto systemMenu = [&](HWND w, const std::string& what) {
        ASSERT_TRUE(BringToFront(w));
        PostMessageA(w, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        ASSERT_NE(WaitForWindow(popupOf(pid), what + "'s system menu"), nullptr);
        ASSERT_TRUE(SendKey(VK_ESCAPE));
        ASSERT_TRUE(noPopup());
    };
    // The bar's item of that letter, as Alt+letter asks for it (a control of the page may claim
    // the letter from the keyboard itself).
    auto dropDown = [&](char key, const std::string& what) {
        ASSERT_TRUE(BringToFront(main_));
        PostMessageA(main_, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(key));
        ASSERT_NE(WaitForWindow(popupOf(pid), what), nullptr);
        ASSERT_TRUE(SendKey(VK_ESCAPE));
        ASSERT_TRUE(noPopup());
    };
    // A file the program cannot write: Save As there fails with the class library's message.
    const std::string locked = SourceDir() + "locked.dpb";
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        dropDown('f', "the File menu");
        dropDown('h', "the Help menu");
        systemMenu(main_, "the main window");
        SelectPage(round % 3);

        ASSERT_TRUE(ChooseMenu(main_, "&Help|&About"));
        HWND about = WaitForWindow("Driftpane Maker 2.07", "TfrmAbout");
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(WaitSkinned(about, "About"));
        systemMenu(about, "About");
        ASSERT_TRUE(ClickMiddle(NeedChild(about, "TButton", "&OK")));
        ASSERT_TRUE(WaitWindowGone(about));

        ASSERT_TRUE(ChooseMenu(main_, "&File|Save &As..."));
        HWND save = WaitFileDialog(pid, "the project's save dialog");
        ASSERT_NE(save, nullptr);
        ASSERT_TRUE(WaitSkinned(save, "the save dialog"));
        systemMenu(save, "the save dialog");
        if (round == 0) {
            AnswerFileDialog(locked);
            const std::string said = AnswerMessageBox(kTitle, IDOK);
            EXPECT_NE(said.find("locked.dpb"), std::string::npos) << said;
        } else {
            AnswerFileDialog("", false);
        }
    }
    SelectPage(0);
    CloseHandle(lock);
    DeleteFileA(locked.c_str());
    // File > Exit; "No" when the question comes.
    ASSERT_TRUE(ChooseMenu(main_, "&File|&Exit"));
    HWND question = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            question = FindTopWindow(kTitle, "#32770", pid);
            return question || !proc_.Running();
        },
        kWaitMs, "the save question or the end"));
    if (question) AnswerMessageBox(kTitle, IDNO);
    EXPECT_EQ(proc_.WaitExit(), 0);
}
