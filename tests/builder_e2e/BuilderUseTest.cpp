// The skinned builder as a user meets it beyond the main road: its minimised window, the tabs
// after keyboard page changes, shared underlined letters, the keyboard's way to every control,
// files that are no movie, picture or project, and names too long for a path.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "BuilderDriver.h"
#include "tests/driver/TestDriver.h"

using namespace dptest;
using namespace builder_e2e;

namespace {

constexpr UINT kSkinQuery = 0x3523;

bool WaitSkinned(HWND w) {
    return WaitUntil(
        [&] {
            DWORD_PTR answer = 0;
            return SendMessageTimeoutA(w, kSkinQuery, 0, 0, SMTO_NORMAL, kWaitMs, &answer) && answer == 1;
        },
        kWaitMs, "skinned " + Describe(w, false));
}

// A real click at a screen point, on whatever lies there.
bool ScreenClick(int x, int y) {
    return SendMouseAt(x, y) && SendMouseAt(x, y, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
}

// The keys pressed in order, released in reverse order.
bool SendChord(std::vector<WORD> keys) {
    std::vector<INPUT> in;
    for (int up = 0; up < 2; ++up)
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT k{};
            k.type = INPUT_KEYBOARD;
            k.ki.wVk = keys[up ? keys.size() - 1 - i : i];
            k.ki.wScan = static_cast<WORD>(MapVirtualKeyA(k.ki.wVk, MAPVK_VK_TO_VSC));
            if (up) k.ki.dwFlags = KEYEVENTF_KEYUP;
            in.push_back(k);
        }
    return SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)) == in.size();
}

// A message box's text as one line: long runs are broken into lines to fit the screen.
std::string Unwrapped(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\n' && c != '\r') out += c;
    return out;
}

HWND VisibleMenu(DWORD pid) {
    for (HWND w : TopWindows(pid))
        if (ClassOf(w) == "#32768" && IsWindowVisible(w)) return w;
    return nullptr;
}

int CurrentPage(HWND tabs) {
    DWORD_PTR current = 0;
    SendMessageTimeoutA(tabs, TCM_GETCURSEL, 0, 0, SMTO_NORMAL, kWaitMs, &current);
    return static_cast<int>(current);
}

class BuilderUse : public Builder {
protected:
    // The builder with its definition's values (no sample, no tips), skinned and in front.
    void StartPlain() {
        ForgetBuilderSettings();
        WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Quest1", 0);
        WriteDword(HKEY_LOCAL_MACHINE, kRegKey, "Tips", 0);
        ASSERT_TRUE(Start());
        ASSERT_NE(WaitMain(), nullptr);
        ASSERT_TRUE(WaitSkinned(main_));
        ASSERT_TRUE(BringToFront(main_));
    }
    HWND Box(const std::string& what) {
        const DWORD pid = proc_.Pid();
        return WaitForWindow([&](HWND w) { return ClassOf(w) == "#32770" && ProcessOf(w) == pid && Text(w) == kTitle; },
                             what);
    }
};

// Minimised, the skinned window is a caption bar: a click or a double click on it, or its
// restore button, brings the window back; its close button closes it; no key colour shows.
TEST_F(BuilderUse, TheMinimisedSkinnedWindowRestoresAndClosesAsAPlainOne) {
    StartPlain();
    const DWORD pid = proc_.Pid();
    RECT normal{};
    GetWindowRect(main_, &normal);
    enum Action { kCaption, kDoubleCaption, kRestoreButton, kIcon, kClose };
    bool pictured = false;
    for (Action action : {kCaption, kDoubleCaption, kRestoreButton, kIcon, kClose}) {
        SCOPED_TRACE(action);
        ShowWindow(main_, SW_MINIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
        ASSERT_TRUE(Settle(main_));
        RECT r{};
        GetWindowRect(main_, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        ASSERT_GT(w, 100);
        if (!pictured) {
            // The caption bar in the skin's colours, with no key-coloured pixel left.
            ASSERT_FALSE(Screenshot(main_, "main-minimized").empty());
            int cw = 0, ch = 0;
            std::vector<uint32_t> px;
            ASSERT_TRUE(CaptureWindow(main_, cw, ch, px));
            int magenta = 0;
            for (uint32_t p : px)
                if ((p & 0xFFFFFF) == 0xFF00FF) ++magenta;
            EXPECT_EQ(magenta, 0);
            pictured = true;
        }
        const int y = r.top + h / 2;
        switch (action) {
            case kCaption: ScreenClick(r.left + w / 2, y); break;
            case kDoubleCaption:
                ScreenClick(r.left + w / 2, y);
                ScreenClick(r.left + w / 2, y);
                break;
            // The skin's buttons lie 64 and 24 pixels from the right edge, 18 wide.
            case kRestoreButton: ScreenClick(r.right - 64 + 9, r.top + 5 + 8); break;
            case kIcon: ScreenClick(r.left + 6 + 8, r.top + 5 + 8); break;
            case kClose: ScreenClick(r.right - 24 + 9, r.top + 5 + 8); break;
        }
        if (action == kIcon) {
            // The icon shows the system menu, as a plain window's does; it stays minimised.
            HWND menu = nullptr;
            EXPECT_TRUE(WaitUntil([&] { return (menu = VisibleMenu(pid)) != nullptr; }, kWaitMs, "the system menu"));
            SendKey(VK_ESCAPE);
            EXPECT_TRUE(WaitUntil([&] { return !VisibleMenu(pid); }, kWaitMs, "the menu closed"));
            EXPECT_TRUE(IsIconic(main_));
            ShowWindow(main_, SW_RESTORE);
            ASSERT_TRUE(WaitUntil([&] { return !IsIconic(main_); }, kWaitMs, "restored"));
            continue;
        }
        if (action == kClose) {
            EXPECT_EQ(proc_.WaitExit(), 0);
            return;
        }
        EXPECT_TRUE(WaitUntil([&] { return !IsIconic(main_) && IsWindowVisible(main_); }, kWaitMs, "restored"));
        EXPECT_EQ(VisibleMenu(pid), nullptr) << "a menu of the bar opened";
        EXPECT_FALSE(FindChild(main_, "TButton", "&Cancel")) << "a preview started";
        Settle(main_);
        RECT back{};
        GetWindowRect(main_, &back);
        EXPECT_EQ(back.right - back.left, normal.right - normal.left);
        EXPECT_EQ(back.bottom - back.top, normal.bottom - normal.top);
    }
}

// After the keyboard changed the page, the mouse still changes it.
TEST_F(BuilderUse, TabsAnswerTheMouseAfterEveryKeyboardPageChange) {
    StartPlain();
    HWND tabs = NeedChild(main_, "TPageControl");
    const struct {
        std::vector<WORD> keys;
        int from, lands, click;
    } cases[] = {
        {{VK_RIGHT}, 0, 1, 2},
        {{VK_RIGHT}, 1, 2, 0},
        {{VK_LEFT}, 2, 1, 0},
        {{VK_CONTROL, VK_TAB}, 0, 1, 0},
        {{VK_CONTROL, VK_TAB}, 1, 2, 1},
        {{VK_CONTROL, VK_SHIFT, VK_TAB}, 0, 2, 1},
        {{VK_CONTROL, VK_SHIFT, VK_TAB}, 2, 1, 2},
    };
    // Clicks on a tab left or right of its middle: two at one point would be a double click.
    auto clickTab = [&](int index, int dx) {
        const int x[] = {60, 180, 300};
        ASSERT_TRUE(SendClick(tabs, x[index] + dx, 10));
        EXPECT_TRUE(WaitUntil([&] { return CurrentPage(tabs) == index; }, kWaitMs, "the clicked page"));
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " by key to " + std::to_string(c.lands) + ", click " +
                     std::to_string(c.click));
        clickTab(c.from, -15);  // the click also gives the tabs the focus
        ASSERT_TRUE(SendChord(c.keys));
        EXPECT_TRUE(WaitUntil([&] { return CurrentPage(tabs) == c.lands; }, kWaitMs, "the key's page"));
        clickTab(c.click, 15);
    }
    CloseAnswering(0);
}

// Alt+letter: the menu bar's item when it has the letter; a letter two buttons share moves the
// focus between them and presses neither.
TEST_F(BuilderUse, SharedLettersOpenTheMenuOrMoveTheFocusAndPressNothing) {
    StartPlain();
    const DWORD pid = proc_.Pid();
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\windows\\old.bmp");
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    // "&Active Wallpaper" and "&Action": the bar's item opens, the button is not pressed.
    ASSERT_TRUE(BringToFront(main_));
    ASSERT_TRUE(SendKey('A', true));
    HWND menu = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (menu = VisibleMenu(pid)) != nullptr; }, kWaitMs, "the Action menu"));
    if (menu) Screenshot(menu, "alt-a-menu");
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !VisibleMenu(pid); }, kWaitMs, "the menu closed"));
    EXPECT_EQ(CurrentWallpaper(), "C:\\windows\\old.bmp");

    // During a preview "&Cancel" and "&Create A Installer" share C.
    HWND preview = NeedChild(main_, "TButton", "&Preview");
    HWND publish = NeedChild(main_, "TButton", "&Create A Installer");
    Click(preview);
    ASSERT_TRUE(WaitForText(preview, "&Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main_) != FALSE; }, kWaitMs, "the minimised window"));
    ShowWindow(main_, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return !IsIconic(main_); }, kWaitMs, "restored"));
    ASSERT_TRUE(BringToFront(main_));
    std::vector<HWND> seen;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SendKey('C', true));
        const HWND before = seen.empty() ? nullptr : seen.back();
        HWND now = nullptr;
        EXPECT_TRUE(WaitUntil(
            [&] {
                now = FocusedControl(main_);
                return (now == preview || now == publish) && now != before;
            },
            kWaitMs, "the focus on the next button with C"));
        seen.push_back(now);
    }
    EXPECT_EQ(seen, (std::vector<HWND>{seen[0], seen[0] == preview ? publish : preview, seen[0]}));
    // Neither was pressed: the preview runs and no save dialog came.
    EXPECT_EQ(Text(preview), "&Cancel");
    EXPECT_EQ(CurrentWallpaper(), ProgramDir() + "tmpPreview.htm");
    for (HWND w : TopWindows(pid)) EXPECT_FALSE(IsFileDialog(w)) << Describe(w, false);
    Click(preview);
    EXPECT_TRUE(WaitForText(preview, "&Preview"));
    EXPECT_EQ(CurrentWallpaper(), "C:\\windows\\old.bmp");
    CloseAnswering(IDNO);
}

// Tab reaches the action buttons from the first page, Escape closes About and the tips, and
// the background colour is chosen with Space on its swatch.
TEST_F(BuilderUse, TheKeyboardReachesEveryControlAndEscapeClosesTheDialogs) {
    StartPlain();
    const DWORD pid = proc_.Pid();
    const std::vector<HWND> buttons = {NeedChild(main_, "TButton", "&Preview"),
                                       NeedChild(main_, "TButton", "&Active Wallpaper"),
                                       NeedChild(main_, "TButton", "&Create A Installer")};
    SelectPage(0, true);
    std::vector<HWND> order;
    for (int i = 0; i < 14; ++i) {
        const HWND before = FocusedControl(main_);
        ASSERT_TRUE(SendKey(VK_TAB));
        WaitUntil([&] { return FocusedControl(main_) != before; }, kWaitMs, "the focus moving on");
        order.push_back(FocusedControl(main_));
    }
    for (HWND b : buttons)
        EXPECT_NE(std::find(order.begin(), order.end(), b), order.end()) << Describe(b, false) << " never reached";
    EXPECT_EQ(CurrentPage(NeedChild(main_, "TPageControl")), 0);

    for (const char* path : {"&Help|&About", "&Help|&Tip of the days..."}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(ChooseMenu(main_, path));
        HWND dialog = WaitForWindow(
            [&](HWND w) {
                return ProcessOf(w) == pid && (ClassOf(w) == "TfrmAbout" || ClassOf(w) == "TfrmTips") &&
                       IsWindowVisible(w);
            },
            path);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(WaitSkinned(dialog));
        ASSERT_TRUE(BringToFront(dialog));
        ASSERT_TRUE(SendKey(VK_ESCAPE));
        EXPECT_TRUE(WaitWindowGone(dialog));
    }

    SelectPage(1, true);
    HWND swatch = FindChild(main_, "TColorSwatch");
    ASSERT_NE(swatch, nullptr) << Describe(main_);
    HWND position = ComboStartingWith(main_, "Center");
    ASSERT_NE(position, nullptr);
    ASSERT_TRUE(SendClick(position, 5, 5));  // opens the list: close it, the focus stays
    SendKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return FocusedControl(main_) == position; }, kWaitMs, "the position list focused"));
    ASSERT_TRUE(SendKey(VK_TAB));
    EXPECT_TRUE(WaitUntil([&] { return FocusedControl(main_) == swatch; }, kWaitMs, "the colour swatch focused"));
    ASSERT_TRUE(SendKey(VK_SPACE));
    HWND colour = WaitForWindow(
        [&](HWND w) { return ClassOf(w) == "#32770" && ProcessOf(w) == pid && FindChildById(w, 706); }, "colours");
    ASSERT_NE(colour, nullptr);
    PostMessageA(colour, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitWindowGone(colour));
    CloseAnswering(0);
}

// A text file named like a movie or a picture is refused before anything is written: the
// message says what is wrong with the file chosen, the wallpaper and the page stay.
TEST_F(BuilderUse, FilesThatAreNoMovieOrPictureAreRefusedBeforeAnythingIsWritten) {
    const std::string fake = SourceDir() + "notamovie.swf";
    const std::string text = SourceDir() + "notapicture.jpg";
    {
        HANDLE f = CreateFileA(fake.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, "plain text, no movie", 20, &n, nullptr);
        CloseHandle(f);
        f = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        WriteFile(f, "plain text, no picture", 22, &n, nullptr);
        CloseHandle(f);
    }
    char win[MAX_PATH] = {};
    GetWindowsDirectoryA(win, MAX_PATH);
    const std::string web = std::string(win) + "\\Web\\Wallpaper";
    CreateDirectoryA((std::string(win) + "\\Web").c_str(), nullptr);
    CreateDirectoryA(web.c_str(), nullptr);
    const std::string page = web + "\\Driftpane.htm";
    {
        HANDLE f = CreateFileA(page.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, "the good page", 13, &n, nullptr);
        CloseHandle(f);
    }
    WriteText(HKEY_CURRENT_USER, kDesktopKey, "Wallpaper", "C:\\windows\\old.bmp");
    StartPlain();
    SelectPage(1);
    SetCheck(NeedChild(main_, "TCheckBox", "Mute Flash Sound"), true);
    SelectPage(0);
    const struct {
        const char* button;
        std::string movie, picture, says;
    } cases[] = {
        {"&Preview", fake, "", "notamovie.swf is not a Flash movie"},
        {"&Active Wallpaper", fake, "", "notamovie.swf is not a Flash movie"},
        {"&Create A Installer", fake, "", "notamovie.swf is not a Flash movie"},
        {"&Preview", SourceDir() + "drift.swf", text, "notapicture.jpg is not a picture the wallpaper page can show"},
        {"&Active Wallpaper", SourceDir() + "drift.swf", text,
         "notapicture.jpg is not a picture the wallpaper page can show"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.movie + " " + c.picture);
        SelectPage(0);
        SetEditText(MovieField(), c.movie);
        SelectPage(1);
        SetEditText(PictureField(), c.picture);
        PostMessageA(NeedChild(main_, "TButton", c.button), BM_CLICK, 0, 0);
        const std::string message = Unwrapped(AnswerMessageBox(kTitle, IDOK));
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(CurrentWallpaper(), "C:\\windows\\old.bmp");
        EXPECT_EQ(ReadFileText(page), "the good page");
        EXPECT_FALSE(FileExists(ProgramDir() + "tmpPreview.htm"));
        EXPECT_FALSE(FileExists(web + "\\notamovie.swf"));
        EXPECT_FALSE(FileExists(web + "\\notapicture.jpg"));
        for (HWND w : TopWindows(proc_.Pid())) EXPECT_FALSE(IsFileDialog(w)) << "Create Installer went on";
    }
    EXPECT_NE(FindChild(main_, "TButton", "&Preview"), nullptr);
    CloseAnswering(IDNO);
    DeleteFileA(fake.c_str());
    DeleteFileA(text.c_str());
}

// A name too long for an installer's paths is refused up front, in a box that fits the screen.
TEST_F(BuilderUse, ANameTooLongIsRefusedUpFrontInABoxThatFitsTheScreen) {
    StartPlain();
    SetEditText(MovieField(), SourceDir() + "drift.swf");
    const std::string name(240, 'n');
    SetEditText(NameField(), name);
    PostMessageA(NeedChild(main_, "TButton", "&Create A Installer"), BM_CLICK, 0, 0);
    HWND box = Box("the refusal");
    ASSERT_NE(box, nullptr);
    RECT r{};
    GetWindowRect(box, &r);
    Screenshot(box, "name-too-long");
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    const std::string message = Unwrapped(AnswerMessageBox(kTitle, IDOK));
    EXPECT_NE(message.find("The wallpaper name is too long"), std::string::npos) << message;
    for (HWND w : TopWindows(proc_.Pid())) EXPECT_FALSE(IsFileDialog(w)) << "the save dialog came";
    EXPECT_FALSE(FileExists(ProgramDir() + name + ".html"));
    CloseAnswering(IDNO);
}

// A file that is no project leaves the open project as it was; a project with unusable values
// loads with a message naming each and what it became.
TEST_F(BuilderUse, BadProjectFilesAreReportedAndNoProjectKeepsTheOpenOne) {
    const std::string garbage = SourceDir() + "garbage.dpb";
    const std::string bad = SourceDir() + "bad values.dpb";
    auto write = [](const std::string& path, const std::string& bytes) {
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        WriteFile(f, bytes.data(), DWORD(bytes.size()), &n, nullptr);
        CloseHandle(f);
    };
    write(garbage, std::string("\x7f"
                               "ELF\x01\x01\x01\0\0\0 not a project at all\r\n",
                               30));
    write(bad,
          "[Project]\r\nFlashFile=C:\\m.swf\r\nWallPaperName=Bad Values\r\nMovieSize=9\r\nMovieQuality=1\r\n"
          "MovieHAligment=1\r\nMovieVAligment=1\r\nWallPaperPosition=0\r\nBackgroundColor=0\r\nBackgroundPic=\r\n"
          "Loop=1\r\nMuteFlashSound=0\r\nMoviePosition=12\r\nMovieLeft=0\r\nMovieRight=0\r\nMovieTop=1x\r\n"
          "MovieBottom=0\r\nAuthor=A\r\nEmail=e\r\n");  // cut before Website
    StartPlain();
    SetEditText(NameField(), "Kept Name");
    const std::string caption = Text(main_);

    ASSERT_TRUE(ChooseMenu(main_, "&File|&Open Project"));
    AnswerMessageBox(kTitle, IDNO);  // the edit marked the project modified
    AnswerFileDialog(garbage);
    std::string message = Unwrapped(AnswerMessageBox(kTitle, IDOK));
    EXPECT_NE(message.find("garbage.dpb is not a Driftpane project"), std::string::npos) << message;
    EXPECT_NE(message.find("The open project stays as it was."), std::string::npos) << message;
    EXPECT_EQ(Text(NameField()), "Kept Name");
    EXPECT_EQ(Text(main_), caption);

    ASSERT_TRUE(ChooseMenu(main_, "&File|&Open Project"));
    AnswerFileDialog(bad);
    message = AnswerMessageBox(kTitle, IDOK);
    for (const char* note : {"MovieSize=9 is out of range (0 to 2): it became no selection.",
                             "MoviePosition=12 is out of range (0 to 10): it became no selection.",
                             "MovieTop=1x is not a number: it became 0.", "Website is missing: it became empty."})
        EXPECT_NE(message.find(note), std::string::npos) << note << "\n" << message;
    EXPECT_EQ(Text(NameField()), "Bad Values");
    EXPECT_EQ(Text(main_), "Driftpane Maker 2.07-bad values.dpb");
    CloseAnswering(0);
    DeleteFileA(garbage.c_str());
    DeleteFileA(bad.c_str());
}

}  // namespace
