// setup.exe and uninstall.exe as a user meets them: a package made with the
// records' own writer is appended to a copy of setup.exe, driven through the
// wizard from another process, checked on disk, in the registry, in the Start
// menu and on the Active Desktop, then removed again by its uninstaller
// started from the Start-menu item.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>
#include <shlobj.h>
#include <ddeml.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/WallpaperName.h"
#include "setup/DataExpressCore.h"
#include "tests/driver/TestDriver.h"
#include "tests/install/InstallTestUtil.h"
#include "tests/install/PackageMaker.h"
#include "tests/setup_e2e/Wizard.h"

namespace {

constexpr const char* kTestKey = "Software\\DriftpaneSetupE2E";
constexpr const char* kTitle = "setup";  // the application's title: the program file's name

// The program a shortcut starts.
std::string LinkTarget(const std::string& lnk) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return std::string();
    std::string target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char path[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0))) target = path;
        }
        file->Release();
    }
    link->Release();
    return target;
}

std::string CurrentWallpaper() {
    IActiveDesktop* ad = nullptr;
    if (FAILED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                reinterpret_cast<void**>(&ad))) ||
        !ad)
        return "<no object>";
    wchar_t buf[MAX_PATH] = {};
    ad->GetWallpaper(buf, MAX_PATH, 0);
    ad->Release();
    char out[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, buf, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

bool g_progman = false;
bool g_activeDesktop = false;

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        CoInitialize(nullptr);
        // Wine's desktop process serves Program Manager's DDE.
        GetDesktopWindow();
        g_progman = dptest::PollUntil(ProgmanAnswers, 30000);
        const std::string reg = dptest::BinDir() + "standin_register.exe";
        if (dptest::FileExists(reg)) {
            dptest::TestProcess p;
            if (p.Start(reg)) p.WaitExit(60000);
        }
        g_activeDesktop = CurrentWallpaper() != "<no object>";
        std::printf("Program Manager answers: %s; Active Desktop stand-in: %s\n", g_progman ? "yes" : "no",
                    g_activeDesktop ? "yes" : "no");
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new Environment);

using dptest::Need;
using dptest::Visible;

class SetupE2E : public ::testing::Test {
protected:
    void SetUp() override {
        char buf[MAX_PATH + 1];
        const DWORD n = GetTempPathA(sizeof buf, buf);
        root_ = StripOneTrailingBackslash(std::string(buf, n)) + "\\dp setup e2e " + IntToStr(GetCurrentProcessId());
        RemoveTree(root_);
        ASSERT_TRUE(ForceDirectories(root_ + "\\package"));
        dir_ = root_ + "\\Drift Pane E2E";
        name_ = "Drift E2E " + IntToStr(GetCurrentProcessId());
        setupExe_ = dptest::BinDir() + "setup.exe";
        stub_ = ReadAll(setupExe_);
        ASSERT_GT(stub_.size(), 0u);
    }
    void TearDown() override {
        RemoveTree(root_);
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        reg.DeleteKey(kTestKey);
        TRegistry lm;
        lm.SetRootKey(HKEY_LOCAL_MACHINE);
        lm.DeleteKey(kUninstallKey + name_);
        const std::string group = FindGroupFolder(name_);
        if (!group.empty()) RemoveTree(group);
    }

    TestPackage FullPackage() {
        TestPackage p;
        p.ProgramName = name_;
        p.Files = {{name_ + ".html", "InstallDir", "", "<html><body><embed src=\"movie.swf\"></body></html>"},
                   {"movie.swf", "InstallDir", "", std::string("FWS\x06\x20\0\0\0", 8) + std::string(3000, '\x5a')},
                   {"picture.jpg", "InstallDir", "", std::string("\xff\xd8\xff\xe0", 4) + std::string(9000, '\x01')},
                   {"notes.txt", "InstallDir", "media", "in a subfolder"},
                   {"Uninstall.exe", "InstallDir", "", ReadAll(dptest::BinDir() + "uninstall.exe")}};
        p.Dirs = {MakeDir("InstallDir", ""), MakeDir("InstallDir", "media")};
        p.Links.push_back(MakeLink(lkCreateGroup, "InstallDir", "", "", name_));
        if (g_activeDesktop) p.Links.push_back(MakeLink(lkWallpaper, "InstallDir", "", name_ + ".html", ""));
        p.Links.push_back(MakeLink(lkAddItem, "InstallDir", "", "Uninstall.exe", "Uninstall"));
        p.Regs = {MakeReg(0x80000001u, kTestKey, "Path", "{InstallDir}\\a;{InstallDir}\\b")};
        return p;
    }

    std::string WritePackage(const TestPackage& p) {
        const std::string path = root_ + "\\package\\setup.exe";
        WriteAll(path, BuildPackage(stub_, p));
        return path;
    }

    // The Start-menu group's Uninstall item once the shell has made it (a failure when it does
    // not come); the folder window the shell opens for the new group is closed.
    std::string WaitUninstallItem() {
        std::string lnk;
        EXPECT_TRUE(dptest::WaitUntil(
            [&] {
                const std::string g = FindGroupFolder(name_);
                return !g.empty() && dptest::FileExists((lnk = g + "\\Uninstall.lnk"));
            },
            30000, "the group's Uninstall item"));
        if (HWND w = FindWindowA(nullptr, name_.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);
        return lnk;
    }
    HWND StartWizard(dptest::TestProcess& proc, const std::string& package) {
        return dptest::StartWizard(proc, package, name_);
    }

    std::string root_, dir_, name_, setupExe_, stub_;
};

TEST_F(SetupE2E, WithoutAPackageSetupEndsSilently) {
    dptest::TestProcess p;
    ASSERT_TRUE(p.Start(setupExe_));
    EXPECT_EQ(p.WaitExit(), 0);
    EXPECT_EQ(dptest::FindTopWindow("", "TfrmWelcome", p.Pid()), nullptr);
}

TEST_F(SetupE2E, CancelAsksAndNoKeepsTheWizard) {
    const std::string package = WritePackage(FullPackage());
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);

    // Page 1: Cancel, No: the wizard stays where it was.
    ASSERT_TRUE(dptest::Click(Need(top, "&Cancel")));
    std::string text = dptest::AnswerMessageBox(kTitle, IDNO);
    EXPECT_NE(text.find("the program will not be install."), std::string::npos) << text;
    EXPECT_NE(text.find("at the another time"), std::string::npos) << text;
    EXPECT_TRUE(proc.Running());
    EXPECT_TRUE(Visible(top, "&Next >"));

    // Page 2, then page 3: Cancel and No stay there too.
    ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "B&rowse..."); }, dptest::kWaitMs, "page 2"));
    ASSERT_TRUE(dptest::Click(Need(top, "&Cancel")));
    dptest::AnswerMessageBox(kTitle, IDNO);
    EXPECT_TRUE(Visible(top, "B&rowse..."));

    // The window's close button asks the same; Yes ends setup with nothing installed.
    ASSERT_TRUE(dptest::RequestClose(top));
    text = dptest::AnswerMessageBox(kTitle, IDYES);
    EXPECT_NE(text.find("Exit Setup?"), std::string::npos) << text;
    EXPECT_EQ(proc.WaitExit(), 0);
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\" + name_));
    EXPECT_FALSE(DirectoryExists(dir_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(SetupE2E, DestinationMustBeAFullPath) {
    const std::string package = WritePackage(FullPackage());
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "B&rowse..."); }, dptest::kWaitMs, "page 2"));
    HWND edit = dptest::NeedChild(top, "TEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(dptest::Text(edit), "C:\\Program Files\\" + name_);
    // Not a full path, or no folder Windows can make: a colon past the drive (typed, or a
    // path pasted twice), a reserved character or device name, a name Windows would change.
    const struct {
        std::string path;
        const char* says;
    } bad[] = {
        {"", "full path"},
        {"   ", "full path"},
        {"relative\\folder", "full path"},
        {"C:folder", "full path"},
        {"\\rooted", "full path"},
        {"\\\\server", "full path"},
        {dir_ + ":A", "cannot contain the character \":\""},
        {dir_ + "C:\\Program Files\\DriftCheckA", "cannot contain the character \":\""},
        {dir_ + "\\what?", "cannot contain the character \"?\""},
        {dir_ + "\\CON", "\"CON\": Windows keeps it for a device"},
        {dir_ + "\\lpt1.txt\\x", "\"lpt1.txt\": Windows keeps it for a device"},
        {dir_ + ".", "ends in a dot or a blank"},
        {"C:\\" + std::string(260, 'x'), "too long"},
    };
    for (const auto& b : bad) {
        ASSERT_TRUE(dptest::SetEditText(edit, b.path));
        ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
        const std::string text = dptest::AnswerMessageBox(kTitle, IDOK);
        EXPECT_NE(text.find(b.says), std::string::npos) << "'" << b.path << "': " << text;
        EXPECT_TRUE(Visible(top, "B&rowse...")) << b.path;
        EXPECT_FALSE(Visible(top, "&Install")) << b.path;
    }
    EXPECT_FALSE(DirectoryExists(dir_));
    EXPECT_FALSE(DirectoryExists(root_ + "\\Drift Pane E2EC:"));

    // Browsing and cancelling the folder dialog keeps the path box as it was.
    ASSERT_TRUE(dptest::SetEditText(edit, dir_));
    ASSERT_TRUE(dptest::Click(Need(top, "B&rowse...")));
    const DWORD pid = proc.Pid();
    HWND browse = dptest::WaitForWindow(
        [&](HWND w) { return dptest::ClassOf(w) == "#32770" && dptest::ProcessOf(w) == pid; }, "the folder dialog");
    ASSERT_NE(browse, nullptr);
    ASSERT_TRUE(dptest::Click(dptest::NeedChildById(browse, IDCANCEL)));
    ASSERT_TRUE(dptest::WaitWindowGone(browse));
    EXPECT_EQ(dptest::Text(edit), dir_);

    ASSERT_TRUE(dptest::Click(Need(top, "&Cancel")));
    dptest::AnswerMessageBox(kTitle, IDYES);
    EXPECT_EQ(proc.WaitExit(), 0);
}

// What an install may touch: the test's folder, the Start-menu programs, the
// uninstall entries and the test key.
std::string MachineState(const std::string& root) {
    return "folder:\n" + FolderListing(root) + "programs:\n" + FolderListing(ShellFolder(CSIDL_PROGRAMS)) +
           "uninstall entries:\n" + RegistryListing(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).substr(1)) +
           "test key:\n" + RegistryListing(HKEY_CURRENT_USER, kTestKey);
}

TEST_F(SetupE2E, AFailedInstallLeavesTheMachineAsItWasAndKeepsTheWizard) {
    struct Case {
        const char* what;
        bool byKeyboard;  // Enter on Install and Escape after the error, else clicks
    } cases[] = {{"a destination that cannot be written", true}, {"a read-only file half-way", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestPackage p;
        p.ProgramName = name_;
        p.Files = {{"first.txt", "InstallDir", "", "first"},
                   {"locked.txt", "InstallDir", "", "new"},
                   {"third.txt", "InstallDir", "sub", "third"},
                   {"Uninstall.exe", "InstallDir", "", ReadAll(dptest::BinDir() + "uninstall.exe")}};
        p.Dirs = {MakeDir("InstallDir", ""), MakeDir("InstallDir", "sub")};
        p.Regs = {MakeReg(0x80000001u, kTestKey, "Path", "{InstallDir}")};
        const std::string package = WritePackage(p);
        // A file where a folder of the destination should be; or a destination
        // that exists, with a read-only file the package would replace.
        std::string dest = dir_;
        std::unique_ptr<ReadOnlyTarget> locked;
        if (c.byKeyboard) {
            WriteAll(root_ + "\\blocker", "a file, not a folder");
            dest = root_ + "\\blocker\\Drift Pane E2E";
        } else {
            ASSERT_TRUE(ForceDirectories(dir_));
            locked = std::make_unique<ReadOnlyTarget>(dir_ + "\\locked.txt", "old");
            ASSERT_TRUE(locked->Ok());
        }
        const std::string before = MachineState(root_);

        dptest::TestProcess proc;
        HWND top = StartWizard(proc, package);
        ASSERT_NE(top, nullptr);
        ASSERT_TRUE(dptest::ToReadyPage(top, dest));
        if (c.byKeyboard) {
            // Install has the focus on its page.
            ASSERT_TRUE(dptest::WaitUntil([&] { return dptest::FocusText(top) == "&Install"; }, dptest::kWaitMs,
                                          "the focus on Install"));
            ASSERT_TRUE(dptest::KeyInto(top, VK_RETURN));
        } else {
            ASSERT_TRUE(dptest::Click(Need(top, "&Install")));
        }
        const std::string text = dptest::AnswerMessageBox(kTitle, IDOK);
        // At the step that failed, naming its folder or file and why.
        if (c.byKeyboard) {
            EXPECT_EQ(text.find("Cannot create directory " + dest + ". A file of the name " + root_ +
                                "\\blocker is in the way."),
                      0u)
                << text;
        } else {
            EXPECT_EQ(text.find("Cannot create file " + dir_ + "\\locked.txt. "), 0u) << text;
        }
        EXPECT_NE(text.find("Setup has undone its changes; nothing was installed."), std::string::npos) << text;
        // The wizard stays on the progress page, and nothing of the run is left.
        EXPECT_TRUE(proc.Running());
        EXPECT_EQ(dptest::PageShown(top), 4);
        dptest::Screenshot(top, std::string("failed_") + (c.byKeyboard ? "unwritable" : "read_only"));
        EXPECT_EQ(MachineState(root_), before);
        EXPECT_FALSE(dptest::FileExists(dest + "\\uninstall001.dat"));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
        // Cancel then ends setup.
        if (c.byKeyboard) {
            ASSERT_TRUE(dptest::KeyInto(top, VK_ESCAPE));
        } else {
            ASSERT_TRUE(dptest::Click(Need(top, "&Cancel")));
        }
        dptest::AnswerMessageBox(kTitle, IDYES);
        EXPECT_EQ(proc.WaitExit(), 0);
        EXPECT_EQ(MachineState(root_), before);
        locked.reset();
        DeleteFileA((root_ + "\\blocker").c_str());
        RemoveTree(dir_);
    }
}

TEST_F(SetupE2E, TheWholeInstallAndTheUninstallByKeyboardAlone) {
    if (!g_progman) GTEST_SKIP() << "Program Manager does not answer (Wine's desktop needs a display)";
    const TestPackage p = FullPackage();
    const std::string package = WritePackage(p);
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    using dptest::FocusText;
    using dptest::KeyInto;
    using dptest::WaitPage;
    auto focusIs = [&](const std::string& text) {
        return dptest::WaitUntil([&] { return FocusText(top) == text; }, dptest::kWaitMs, "the focus on " + text);
    };

    // Page 1: Next has the focus, Space presses it.
    ASSERT_TRUE(focusIs("&Next >"));
    ASSERT_TRUE(KeyInto(top, VK_SPACE));
    ASSERT_TRUE(WaitPage(top, 2));
    // Page 2: Next has the focus; Tab goes round the page's own controls, past
    // Cancel to the folder box.
    ASSERT_TRUE(focusIs("&Next >"));
    HWND edit = dptest::NeedChild(top, "TEdit");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(KeyInto(top, VK_TAB));
    ASSERT_TRUE(focusIs("&Cancel"));
    ASSERT_TRUE(KeyInto(top, VK_TAB));
    ASSERT_TRUE(
        dptest::WaitUntil([&] { return dptest::FocusedControl(top) == edit; }, dptest::kWaitMs, "the folder box"));
    // Tab selected the proposed folder, so typing replaces it; then Enter in the box: this
    // page's Next.
    ASSERT_TRUE(dptest::SendKeys(dir_));
    ASSERT_TRUE(dptest::WaitForText(edit, dir_));
    ASSERT_TRUE(KeyInto(top, VK_RETURN));
    ASSERT_TRUE(WaitPage(top, 3));
    EXPECT_TRUE(proc.Running());
    HWND memo = dptest::NeedChild(top, "TMemo");
    ASSERT_NE(memo, nullptr);
    EXPECT_NE(dptest::Text(memo).find("     " + dir_ + "\r\n"), std::string::npos) << dptest::Text(memo);
    dptest::Screenshot(top, "page3_ready_by_keyboard");
    // Alt+B and Alt+N: back to the folder, which kept what was typed, and on again.
    ASSERT_TRUE(KeyInto(top, 'B', true));
    ASSERT_TRUE(WaitPage(top, 2));
    EXPECT_EQ(dptest::Text(edit), dir_);
    ASSERT_TRUE(KeyInto(top, 'N', true));
    ASSERT_TRUE(WaitPage(top, 3));
    ASSERT_TRUE(focusIs("&Install"));
    // Alt+I installs; at the end Finish has the focus and Enter ends setup.
    ASSERT_TRUE(KeyInto(top, 'I', true));
    ASSERT_TRUE(WaitPage(top, 5, 60000));
    if (HWND w = FindWindowA(nullptr, name_.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(focusIs("&Finish"));
    ASSERT_TRUE(KeyInto(top, VK_RETURN));
    EXPECT_EQ(proc.WaitExit(), 0);
    for (const TestFile& f : p.Files) EXPECT_EQ(ReadAll(JoinSubFolder(dir_, f.Sub) + "\\" + f.Name), f.Data) << f.Name;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + name_, "DisplayName"), name_);
    EXPECT_EQ(ReadAll(dir_ + "\\uninstall001.dat"), ExpectedUninstallData(p, static_cast<uint32_t>(stub_.size())));

    // The uninstaller: Enter on its question (OK), Enter on Finish once it has the focus.
    dptest::TestProcess un;
    ASSERT_TRUE(un.Start(dir_ + "\\Uninstall.exe"));
    HWND box = dptest::WaitForWindow("Uninstall", "#32770");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(KeyInto(box, VK_RETURN));
    HWND bar = dptest::WaitForWindow(name_ + " Uninstall", "TfrmUninstallBar");
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(dptest::WaitUntil([&] { return FocusText(bar) == "&Finish"; }, 60000, "the focus on Finish"));
    ASSERT_TRUE(KeyInto(bar, VK_RETURN));
    EXPECT_EQ(un.WaitExit(), 0);
    EXPECT_TRUE(dptest::WaitUntil([&] { return !DirectoryExists(dir_); }, 60000, "the install folder to go"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
}

// Which button each key reaches on each page of the wizard.
TEST_F(SetupE2E, EveryKeyOfEveryPageReachesTheButtonOfThePageShown) {
    TestPackage p;
    p.ProgramName = name_;
    p.Files = {{"a.txt", "InstallDir", "", "a"}};
    p.Dirs = {MakeDir("InstallDir", "")};
    const std::string package = WritePackage(p);
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    const DWORD pid = proc.Pid();
    enum Reach { kPage1 = 1, kPage2, kPage3, kQuestion = 10, kBrowse, kLeavesTheBox };
    struct Case {
        int page;
        UINT vk;
        bool alt;
        bool shift;
        bool inBox;  // the page's box has the focus: the folder box, or the read-only summary
        Reach reaches;
        const char* what;
    } cases[] = {
        {1, VK_RETURN, false, false, false, kPage2, "Enter: Next"},
        {1, VK_ESCAPE, false, false, false, kQuestion, "Escape: Cancel"},
        {1, 'N', true, false, false, kPage2, "Alt+N: Next"},
        {1, 'C', true, false, false, kQuestion, "Alt+C: Cancel"},
        {1, 'N', false, false, false, kPage2, "N on the focused button: Next"},
        {2, VK_RETURN, false, false, false, kPage3, "Enter: Next"},
        {2, VK_RETURN, false, false, true, kPage3, "Enter in the folder box: this page's Next"},
        {2, VK_ESCAPE, false, false, false, kQuestion, "Escape: Cancel"},
        {2, VK_ESCAPE, false, false, true, kQuestion, "Escape in the folder box: Cancel"},
        {2, 'B', true, false, false, kPage1, "Alt+B: Back"},
        {2, 'B', true, false, true, kPage1, "Alt+B in the folder box: Back"},
        {2, 'N', true, false, false, kPage3, "Alt+N: Next"},
        {2, 'R', true, false, false, kBrowse, "Alt+R: Browse"},
        {2, 'C', true, false, false, kQuestion, "Alt+C: Cancel"},
        {2, 'B', false, false, false, kPage1, "B on the focused button: Back"},
        {2, VK_TAB, false, false, true, kLeavesTheBox, "Tab from the folder box"},
        {3, VK_ESCAPE, false, false, false, kQuestion, "Escape: Cancel"},
        {3, 'B', true, false, false, kPage2, "Alt+B: Back"},
        {3, 'C', true, false, false, kQuestion, "Alt+C: Cancel"},
        {3, VK_TAB, false, false, true, kLeavesTheBox, "Tab from the summary box"},
        {3, VK_TAB, false, true, true, kLeavesTheBox, "Shift+Tab from the summary box"},
        {3, VK_ESCAPE, false, false, true, kQuestion, "Escape in the summary box: Cancel"},
        {3, 'C', true, false, true, kQuestion, "Alt+C in the summary box: Cancel"},
        {3, 'B', true, false, true, kPage2, "Alt+B in the summary box: Back"},
    };
    // To a page by the mouse, never by the keys under test.
    auto goTo = [&](int page) {
        for (int guard = 0; guard < 4 && dptest::PageShown(top) != page; ++guard) {
            const int now = dptest::PageShown(top);
            if (!dptest::Click(Need(top, now < page ? "&Next >" : "< &Back"))) return false;
            if (!dptest::WaitPage(top, now < page ? now + 1 : now - 1)) return false;
        }
        return dptest::PageShown(top) == page;
    };
    // The page's box, given the focus by a click.
    auto intoBox = [&](int page) -> HWND {
        HWND box = dptest::NeedChild(top, page == 3 ? "TMemo" : "TEdit");
        if (!box || !dptest::ClickAt(box, 5, 5)) return nullptr;
        if (!dptest::WaitUntil([&] { return dptest::FocusedControl(top) == box; }, dptest::kWaitMs, "the box"))
            return nullptr;
        return box;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("page ") + std::to_string(c.page) + ", " + c.what);
        ASSERT_TRUE(goTo(c.page));
        HWND box = c.inBox ? intoBox(c.page) : nullptr;
        if (c.inBox) {
            ASSERT_NE(box, nullptr);
        }
        ASSERT_TRUE(dptest::KeyInto(top, c.vk, c.alt, c.shift));
        switch (c.reaches) {
            case kQuestion: {
                const std::string text = dptest::AnswerMessageBox(kTitle, IDNO);
                EXPECT_NE(text.find("Exit Setup?"), std::string::npos) << text;
                EXPECT_EQ(dptest::PageShown(top), c.page);
                break;
            }
            case kBrowse: {
                HWND browse = dptest::WaitForWindow(
                    [&](HWND w) { return dptest::ClassOf(w) == "#32770" && dptest::ProcessOf(w) == pid; },
                    "the folder dialog");
                ASSERT_NE(browse, nullptr);
                ASSERT_TRUE(dptest::Click(dptest::NeedChildById(browse, IDCANCEL)));
                ASSERT_TRUE(dptest::WaitWindowGone(browse));
                EXPECT_EQ(dptest::PageShown(top), c.page);
                break;
            }
            case kLeavesTheBox:
                EXPECT_TRUE(dptest::WaitUntil([&] { return dptest::FocusedControl(top) != box; }, dptest::kWaitMs,
                                              "the focus to leave the box"));
                EXPECT_EQ(dptest::PageShown(top), c.page);
                break;
            default: EXPECT_TRUE(dptest::WaitPage(top, c.reaches)); break;
        }
        // No key takes the page's controls away: the box and the panel that holds it stay.
        if (box && dptest::PageShown(top) == c.page) {
            EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box)) << dptest::Describe(top);
            EXPECT_TRUE(IsWindow(GetParent(box)) && IsWindowVisible(GetParent(box)));
        }
        ASSERT_TRUE(proc.Running());
    }
    // The summary box still shows its lines after all of it.
    ASSERT_TRUE(goTo(3));
    HWND memo = dptest::NeedChild(top, "TMemo");
    ASSERT_NE(memo, nullptr);
    EXPECT_NE(dptest::Text(memo).find("Destination location:"), std::string::npos);
    ASSERT_TRUE(goTo(2));
    ASSERT_TRUE(dptest::SetEditText(dptest::NeedChild(top, "TEdit"), dir_));
    // Enter in the summary box is the page's Install. The last page: Escape reaches nothing
    // there (no question comes in the way of what follows), Alt+F is Finish.
    ASSERT_TRUE(goTo(3));
    ASSERT_NE(intoBox(3), nullptr);
    ASSERT_TRUE(dptest::KeyInto(top, VK_RETURN));
    ASSERT_TRUE(dptest::WaitPage(top, 5, 60000));
    ASSERT_TRUE(dptest::KeyInto(top, VK_ESCAPE));
    ASSERT_TRUE(dptest::KeyInto(top, 'F', true));
    EXPECT_EQ(proc.WaitExit(), 0);
    EXPECT_EQ(ReadAll(dir_ + "\\a.txt"), "a");
}

TEST_F(SetupE2E, InstallsThroughTheWizardAndUninstallRemovesEverything) {
    if (!g_progman) GTEST_SKIP() << "Program Manager does not answer (Wine's desktop needs a display)";
    const TestPackage p = FullPackage();
    const std::string package = WritePackage(p);
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    dptest::Screenshot(top, "page1_welcome");

    // Page 2 proposes the programs folder; Back and Next again reset a typed path.
    ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "B&rowse..."); }, dptest::kWaitMs, "page 2"));
    HWND edit = dptest::NeedChild(top, "TEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(dptest::Text(edit), "C:\\Program Files\\" + name_);
    ASSERT_TRUE(dptest::SetEditText(edit, dir_));
    ASSERT_TRUE(dptest::Click(Need(top, "< &Back")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "&Next >") && !Visible(top, "B&rowse..."); },
                                  dptest::kWaitMs, "page 1 again"));
    ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "B&rowse..."); }, dptest::kWaitMs, "page 2 again"));
    EXPECT_EQ(dptest::Text(edit), "C:\\Program Files\\" + name_);

    // A trailing backslash shows in the summary; the install folder drops it.
    ASSERT_TRUE(dptest::SetEditText(edit, dir_ + "\\"));
    dptest::Screenshot(top, "page2_destination");
    ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "&Install"); }, dptest::kWaitMs, "page 3"));
    HWND memo = dptest::NeedChild(top, "TMemo");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(dptest::Text(memo),
              "Destination location:\r\n     " + dir_ + "\\\r\n \r\nStart Menu folder:\r\n     " + name_ + "\r\n");
    ASSERT_TRUE(dptest::Click(Need(top, "< &Back")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "B&rowse..."); }, dptest::kWaitMs, "page 2 from 3"));
    EXPECT_EQ(dptest::Text(edit), dir_ + "\\");
    ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "&Install"); }, dptest::kWaitMs, "page 3 again"));
    dptest::Screenshot(top, "page3_ready");

    ASSERT_TRUE(dptest::Click(Need(top, "&Install")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "&Finish"); }, 60000, "page 5"));
    dptest::Screenshot(top, "page5_finished");
    ASSERT_TRUE(dptest::Click(Need(top, "&Finish")));
    EXPECT_EQ(proc.WaitExit(), 0);

    // Files byte for byte.
    for (const TestFile& f : p.Files) EXPECT_EQ(ReadAll(JoinSubFolder(dir_, f.Sub) + "\\" + f.Name), f.Data) << f.Name;
    // The uninstall entry and the registry record, only the first "{InstallDir}" replaced.
    const std::string entry = kUninstallKey + name_;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "DisplayName"), name_);
    const std::string shortForm = ExtractShortPathName(dir_ + "\\Uninstall.exe");
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(shortForm.find(' '), std::string::npos);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "UninstallString"), shortForm);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Path"), dir_ + "\\a;{InstallDir}\\b");
    // The Start-menu group with its item.
    const std::string lnk = WaitUninstallItem();
    if (g_activeDesktop) {
        EXPECT_EQ(CurrentWallpaper(), dir_ + "\\" + name_ + ".html");
    }
    // The installation record.
    EXPECT_EQ(ReadAll(dir_ + "\\uninstall001.dat"), ExpectedUninstallData(p, static_cast<uint32_t>(stub_.size())));

    // The uninstaller from the Start-menu item; Cancel on its question deletes nothing.
    std::string uninstaller = LinkTarget(lnk);
    EXPECT_TRUE(SameText(ExtractShortPathName(uninstaller), shortForm)) << uninstaller;
    if (uninstaller.empty()) uninstaller = dir_ + "\\Uninstall.exe";
    {
        dptest::TestProcess un;
        ASSERT_TRUE(un.Start(uninstaller));
        EXPECT_EQ(dptest::AnswerMessageBox("Uninstall", IDCANCEL),
                  "Are you sure you want to completely remove " + name_ + " and all its components?");
        un.WaitExit();
        EXPECT_TRUE(dptest::FileExists(dir_ + "\\uninstall001.dat"));
        EXPECT_TRUE(dptest::FileExists(dir_ + "\\Uninstall.exe"));
    }
    dptest::TestProcess un;
    ASSERT_TRUE(un.Start(uninstaller));
    dptest::AnswerMessageBox("Uninstall", IDOK);
    HWND bar = dptest::WaitForWindow(name_ + " Uninstall", "TfrmUninstallBar");
    ASSERT_NE(bar, nullptr);
    dptest::Screenshot(bar, "uninstall_window");
    ASSERT_TRUE(dptest::WaitUntil(
        [&] { return Visible(bar, "&Finish") && IsWindowEnabled(dptest::FindChild(bar, "", "&Finish")); }, 60000,
        "the uninstaller's Finish"));
    dptest::Screenshot(bar, "uninstall_finished");
    ASSERT_TRUE(dptest::Click(dptest::NeedChild(bar, "", "&Finish")));
    EXPECT_EQ(un.WaitExit(), 0);

    // Everything is gone, the folder with blanks in its name included.
    EXPECT_TRUE(dptest::WaitUntil([&] { return !DirectoryExists(dir_); }, 60000, "the install folder to go"));
    for (const TestFile& f : p.Files)
        EXPECT_FALSE(dptest::FileExists(JoinSubFolder(dir_, f.Sub) + "\\" + f.Name)) << f.Name;
    EXPECT_FALSE(dptest::FileExists(dir_ + "\\uninstall001.dat"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Path"), "<none>");
    EXPECT_TRUE(dptest::WaitUntil([&] { return FindGroupFolder(name_).empty(); }, 30000, "the group to go"));
    if (g_activeDesktop) {
        EXPECT_EQ(CurrentWallpaper(), "");
    }
}

// On 64-bit Windows a 32-bit program's folder is "C:\\Program Files (x86)\\...": the item's
// macro must carry the parentheses, as the group's carries a name with brackets and a comma.
TEST_F(SetupE2E, IntoProgramFilesX86TheUninstallItemIsMadeAndRemovesEverything) {
    if (!g_progman) GTEST_SKIP() << "Program Manager does not answer (Wine's desktop needs a display)";
    name_ = "Drift (x86), [E2E] " + IntToStr(GetCurrentProcessId());
    const std::string programs = "C:\\Program Files (x86)";
    const bool made = !DirectoryExists(programs);
    if (made) {
        ASSERT_TRUE(ForceDirectories(programs));
    }
    const std::string dir = programs + "\\" + name_;
    RemoveTree(dir);
    const std::string package = WritePackage(FullPackage());
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(dptest::InstallThroughWizard(proc, top, dir));

    const std::string lnk = WaitUninstallItem();
    const std::string uninstaller = LinkTarget(lnk);
    EXPECT_TRUE(SameText(ExtractShortPathName(uninstaller), ExtractShortPathName(dir + "\\Uninstall.exe")))
        << uninstaller;

    // The item starts the uninstaller, which takes everything away.
    ASSERT_FALSE(uninstaller.empty());
    ASSERT_TRUE(dptest::UninstallAll(uninstaller, name_));
    EXPECT_TRUE(dptest::WaitUntil([&] { return !DirectoryExists(dir); }, 60000, "the install folder to go"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
    EXPECT_TRUE(dptest::WaitUntil([&] { return FindGroupFolder(name_).empty(); }, 30000, "the group to go"));
    RemoveTree(dir);
    if (made) RemoveDirectoryA(programs.c_str());
}

TEST_F(SetupE2E, AnUninstallThatCannotRemoveAFileSaysWhatWasLeftAndASecondRunCompletes) {
    const TestPackage p = FullPackage();
    const std::string package = WritePackage(p);
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(dptest::InstallThroughWizard(proc, top, dir_));
    if (HWND w = FindWindowA(nullptr, name_.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);
    const std::string entry = kUninstallKey + name_;
    const std::string movie = dir_ + "\\movie.swf";
    const std::string uninstaller = dir_ + "\\Uninstall.exe";
    // A self-removal would write its batch over this one.
    char tmp[MAX_PATH + 1];
    const std::string batch =
        StripOneTrailingBackslash(std::string(tmp, GetTempPathA(sizeof tmp, tmp))) + "\\delme.bat";
    WriteAll(batch, "rem not started\r\n");

    {
        HANDLE busy = CreateFileA(movie.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(busy, INVALID_HANDLE_VALUE);
        dptest::TestProcess un;
        ASSERT_TRUE(un.Start(uninstaller));
        dptest::AnswerMessageBox("Uninstall", IDOK);
        HWND bar = dptest::WaitForWindow(name_ + " Uninstall", "TfrmUninstallBar");
        ASSERT_NE(bar, nullptr);
        const std::string text = dptest::AnswerMessageBox("Uninstall", IDOK, 60000);
        EXPECT_NE(text.find("    " + movie + "\r\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Uninstall.exe and its record stay in " + dir_), std::string::npos) << text;
        auto close = [&] { return dptest::FindChild(bar, "", "&Close"); };
        ASSERT_TRUE(dptest::WaitUntil([&] { return close() && IsWindowEnabled(close()); }, 60000, "Close"));
        dptest::Screenshot(bar, "uninstall_incomplete");
        ASSERT_TRUE(dptest::Click(close()));
        EXPECT_EQ(un.WaitExit(), 0);
        CloseHandle(busy);
    }
    EXPECT_EQ(ReadAll(batch), "rem not started\r\n") << "a failed run must not remove the uninstaller";
    DeleteFileA(batch.c_str());
    EXPECT_TRUE(dptest::FileExists(uninstaller));
    EXPECT_TRUE(dptest::FileExists(dir_ + "\\uninstall001.dat"));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "DisplayName"), name_);
    EXPECT_TRUE(dptest::FileExists(movie));
    EXPECT_FALSE(dptest::FileExists(dir_ + "\\picture.jpg"));
    EXPECT_FALSE(dptest::FileExists(dir_ + "\\media\\notes.txt"));

    // Nothing holds the file now: the second run completes and removes the uninstaller too.
    ASSERT_TRUE(dptest::UninstallAll(uninstaller, name_));
    EXPECT_TRUE(dptest::WaitUntil([&] { return !DirectoryExists(dir_); }, 60000, "the install folder to go"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
}

TEST_F(SetupE2E, CancelDuringTheInstallEndsWithoutTheLastPage) {
    TestPackage p;
    p.ProgramName = name_;
    p.Files = {{"a.txt", "InstallDir", "", "a"}, {"b.txt", "InstallDir", "", "b"}};
    p.Dirs = {MakeDir("InstallDir", "")};
    const std::string package = WritePackage(p);
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(dptest::ToReadyPage(top, dir_));
    // Both clicks wait in the queue: the Cancel of page 4 arrives while the
    // install runs, which lets messages through after every step.
    HWND cancel4 = nullptr;
    // Page 4's Cancel: the one on the only page without a Next, Install or Finish button.
    for (HWND page : dptest::Children(top)) {
        HWND c = dptest::FindChild(page, "", "&Cancel");
        if (c && !dptest::FindChild(page, "", "&Install") && !dptest::FindChild(page, "", "&Next >")) cancel4 = c;
    }
    ASSERT_NE(cancel4, nullptr) << dptest::Describe(top);
    PostMessageA(Need(top, "&Install"), BM_CLICK, 0, 0);
    PostMessageA(cancel4, BM_CLICK, 0, 0);
    // The install completes, then the wizard closes without asking and without page 5.
    EXPECT_EQ(proc.WaitExit(), 0);
    EXPECT_EQ(ReadAll(dir_ + "\\a.txt"), "a");
    EXPECT_EQ(ReadAll(dir_ + "\\b.txt"), "b");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + name_, "DisplayName"), name_);
    EXPECT_EQ(ReadAll(dir_ + "\\uninstall001.dat"), ExpectedUninstallData(p, static_cast<uint32_t>(stub_.size())));
}

TEST_F(SetupE2E, APackageWithoutStepsStillFinishes) {
    TestPackage p;
    p.ProgramName = name_;
    const std::string package = WritePackage(p);
    dptest::TestProcess proc;
    HWND top = StartWizard(proc, package);
    ASSERT_NE(top, nullptr);
    // No folder record creates it: an existing folder takes the record.
    ASSERT_TRUE(dptest::ToReadyPage(top, root_));
    ASSERT_TRUE(dptest::Click(Need(top, "&Install")));
    ASSERT_TRUE(dptest::WaitUntil([&] { return Visible(top, "&Finish"); }, 60000, "page 5"));
    // Closing the finished wizard asks nothing.
    ASSERT_TRUE(dptest::RequestClose(top));
    EXPECT_EQ(proc.WaitExit(), 0);
    EXPECT_EQ(ReadAll(root_ + "\\uninstall001.dat"), ExpectedUninstallData(p, static_cast<uint32_t>(stub_.size())));
}

TEST_F(SetupE2E, PackagesThatLeaveTheirFoldersAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(TestPackage& p);
    } cases[] = {
        {"..\\escaped.txt", [](TestPackage& p) { p.Files[1].Name = "..\\escaped.txt"; }},
        {"ProgramDir", [](TestPackage& p) { p.Files[2].Root = "ProgramDir"; }},
        {"..", [](TestPackage& p) { p.Dirs[1] = MakeDir("InstallDir", "..\\.."); }},
    };
    for (const Case& c : cases) {
        TestPackage p = FullPackage();
        c.spoil(p);
        const std::string package = WritePackage(p);
        dptest::TestProcess proc;
        ASSERT_TRUE(proc.Start(package));
        const std::string text = dptest::AnswerMessageBox(kTitle, IDOK);
        // One sentence a user understands, then the detail.
        EXPECT_EQ(text.find("This installer is damaged or unsafe; nothing was installed.\r\n"), 0u) << text;
        EXPECT_GT(text.size(), 70u) << c.what;
        EXPECT_EQ(proc.WaitExit(), 0) << c.what;
        EXPECT_EQ(dptest::FindTopWindow("", "TfrmWelcome", proc.Pid()), nullptr) << c.what;
        EXPECT_FALSE(DirectoryExists(dir_)) << c.what;
        EXPECT_FALSE(dptest::FileExists(root_ + "\\escaped.txt")) << c.what;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_)) << c.what;
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey)) << c.what;
        std::printf("refused (%s): %s\n", c.what, text.c_str());
    }
}

// An installer cut short anywhere behind its program, lengthened by a byte, or whose head
// names tables the file does not hold, says so and shows no wizard.
TEST_F(SetupE2E, ADamagedOrCutInstallerSaysSo) {
    TestPackage p;
    p.ProgramName = name_;
    p.Files = {{"a.txt", "InstallDir", "", std::string(20000, 'a')}, {"b.txt", "InstallDir", "", "b"}};
    p.Dirs = {MakeDir("InstallDir", "")};
    const std::string whole = BuildPackage(stub_, p);
    const size_t stub = stub_.size();
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"one byte appended", whole + "x"},
        {"the last byte cut", whole.substr(0, whole.size() - 1)},
        {"cut inside the head", whole.substr(0, whole.size() - 300)},
        {"cut inside the tables", whole.substr(0, whole.size() - 552 - 100)},
        {"cut inside the data", whole.substr(0, stub + 5000)},
        {"cut right behind the program", whole.substr(0, stub + 1)},
        // The head kept, part of the data gone: its tables now lie past the head.
        {"data missing before the head", whole.substr(0, stub + 1000) + whole.substr(stub + 15000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string package = root_ + "\\package\\setup.exe";
        WriteAll(package, c.bytes);
        dptest::TestProcess proc;
        ASSERT_TRUE(proc.Start(package));
        const std::string text = dptest::AnswerMessageBox(kTitle, IDOK);
        EXPECT_EQ(text, "This installer is damaged or incomplete. Please download it again.");
        EXPECT_EQ(proc.WaitExit(), 0);
        EXPECT_EQ(dptest::FindTopWindow("", "TfrmWelcome", proc.Pid()), nullptr);
        EXPECT_FALSE(DirectoryExists(dir_));
    }
}

// The 2 MiB drive the test run mounts (small_drive.sh), or "" when it could not.
std::string SmallDrive() {
    std::string dir = std::string(DP_TEST_BIN_DIR) + "/small_drive";
    for (char& c : dir)
        if (c == '/') c = '\\';
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExA((dir + "\\").c_str(), nullptr, &total, nullptr)) return std::string();
    return total.QuadPart <= 4u * 1024 * 1024 ? dir : std::string();
}

// A disk that fills up, in the middle of a file or at the installation record: the box
// names the file and says the disk is full, and the run is undone.
TEST_F(SetupE2E, AFullDiskIsNamedWithTheFile) {
    const std::string drive = SmallDrive();
    if (drive.empty()) GTEST_SKIP() << "no 2 MiB drive: the test run mounts one as a tmpfs, which needs root";
    const std::string dest = drive + "\\Drift Pane E2E";
    const std::string filler = drive + "\\filler.bin";
    struct Case {
        const char* what;
        bool atRecord;
    } cases[] = {{"mid-file", false}, {"at the record", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestPackage p;
        p.ProgramName = name_;
        p.Dirs = {MakeDir("InstallDir", "")};
        std::string file = "big.bin";
        if (c.atRecord) {
            // The files fit; the record, long with its links (kind 2: nothing to do), does not.
            ULARGE_INTEGER free{};
            ASSERT_TRUE(GetDiskFreeSpaceExA((drive + "\\").c_str(), &free, nullptr, nullptr));
            WriteAll(filler, std::string(static_cast<size_t>(free.QuadPart) - 12 * 1024, 'f'));
            p.Files = {{"small.txt", "InstallDir", "", "small"}};
            for (int i = 0; i < 40; ++i) p.Links.push_back(MakeLink(2, "InstallDir", "", "", "nothing"));
            file = "uninstall001.dat";
        } else {
            p.Files = {{"first.txt", "InstallDir", "", "first"},
                       {"big.bin", "InstallDir", "", std::string(3 * 1024 * 1024, 'b')}};
        }
        const std::string package = WritePackage(p);
        dptest::TestProcess proc;
        HWND top = StartWizard(proc, package);
        ASSERT_NE(top, nullptr);
        ASSERT_TRUE(dptest::ToReadyPage(top, dest));
        ASSERT_TRUE(dptest::Click(Need(top, "&Install")));
        const std::string text = dptest::AnswerMessageBox(kTitle, IDOK);
        EXPECT_EQ(text.find("There is not enough space on the disk to write the file " + dest + "\\" + file + "."), 0u)
            << text;
        EXPECT_NE(text.find("Setup has undone its changes; nothing was installed."), std::string::npos) << text;
        EXPECT_EQ(dptest::PageShown(top), 4);
        dptest::Screenshot(top, std::string("full_disk_") + (c.atRecord ? "record" : "file"));
        ASSERT_TRUE(dptest::Click(Need(top, "&Cancel")));
        dptest::AnswerMessageBox(kTitle, IDYES);
        EXPECT_EQ(proc.WaitExit(), 0);
        EXPECT_FALSE(DirectoryExists(dest));
        DeleteFileA(filler.c_str());
    }
}

// Finish by Enter or Alt+F ends setup every time, as the mouse does, with a package as the
// builder writes it (a group with its item, the wallpaper). The shell's window for the new
// group, when it opens one, gives the keyboard back to the wizard.
TEST_F(SetupE2E, FinishByKeyboardEndsSetupEveryTime) {
    const std::string package = WritePackage(FullPackage());
    int shellWindows = 0;
    for (int run = 0; run < 10; ++run) {
        const bool enter = run % 2 == 0;
        SCOPED_TRACE(std::string("run ") + std::to_string(run) + (enter ? ", Enter" : ", Alt+F"));
        dptest::TestProcess proc;
        HWND top = StartWizard(proc, package);
        ASSERT_NE(top, nullptr);
        ASSERT_TRUE(dptest::ToReadyPage(top, dir_));
        ASSERT_TRUE(dptest::KeyInto(top, VK_RETURN));
        ASSERT_TRUE(dptest::WaitPage(top, 5, 60000));
        // No click and no help from the test: the wizard is in front with Finish focused.
        if (g_progman && dptest::PollUntil([&] { return FindWindowA(nullptr, name_.c_str()) != nullptr; }, 5000))
            ++shellWindows;
        ASSERT_TRUE(
            dptest::WaitUntil([&] { return GetForegroundWindow() == top && dptest::FocusText(top) == "&Finish"; },
                              dptest::kWaitMs, "the wizard in front with the focus on Finish"));
        ASSERT_TRUE(dptest::SendKey(enter ? VK_RETURN : 'F', !enter));
        ASSERT_EQ(proc.WaitExit(), 0);
        EXPECT_TRUE(dptest::FileExists(dir_ + "\\movie.swf"));
        if (HWND w = FindWindowA(nullptr, name_.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);
        ASSERT_TRUE(dptest::UninstallAll(dir_ + "\\Uninstall.exe", name_));
        dptest::WaitUntil([&] { return !DirectoryExists(dir_); }, 60000, "the install folder to go");
    }
    std::printf("the shell opened a window for the group in %d of 10 runs\n", shellWindows);
}

// Every text that carries the name stays readable with the longest name the builder takes:
// wrapped, and shortened only where the whole cannot fit. For a person to look at.
TEST_F(SetupE2E, TheLongestNameIsLaidOutOnEveryPage) {
    std::string name = "Drift " + IntToStr(GetCurrentProcessId()) + " &";
    for (int i = 0; name.size() < MaxWallpaperNameLength; ++i)
        name += std::string(" ") + (i % 3 ? "wallpaper" : "Extraordinarily");
    name.resize(MaxWallpaperNameLength);
    TestPackage p;
    p.ProgramName = name;
    // The longest author, e-mail address and web site the head holds, too.
    p.Author = std::string(63, 'a');
    p.Email = std::string(50, 'e') + "@example.org";
    p.WebSite = "http://example.org/" + std::string(100, 'w') + "?a=1&b=2";
    p.Files = {{"a.txt", "InstallDir", "", "a"}};
    p.Dirs = {MakeDir("InstallDir", "")};
    const std::string package = WritePackage(p);
    auto shot = [&](HWND top, int page) { dptest::Screenshot(top, "wizard-long-name-" + std::to_string(page)); };

    // Pages 1 to 3, and page 4 as a failed run leaves it.
    {
        dptest::TestProcess proc;
        HWND top = dptest::StartWizard(proc, package, name);
        ASSERT_NE(top, nullptr);
        shot(top, 1);
        ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
        ASSERT_TRUE(dptest::WaitPage(top, 2));
        shot(top, 2);
        WriteAll(root_ + "\\blocker", "a file, not a folder");
        ASSERT_TRUE(dptest::SetEditText(dptest::NeedChild(top, "TEdit"), root_ + "\\blocker\\x"));
        ASSERT_TRUE(dptest::Click(Need(top, "&Next >")));
        ASSERT_TRUE(dptest::WaitPage(top, 3));
        shot(top, 3);
        ASSERT_TRUE(dptest::Click(Need(top, "&Install")));
        dptest::AnswerMessageBox(kTitle, IDOK);
        ASSERT_EQ(dptest::PageShown(top), 4);
        shot(top, 4);
        ASSERT_TRUE(dptest::Click(Need(top, "&Cancel")));
        dptest::AnswerMessageBox(kTitle, IDYES);
        EXPECT_EQ(proc.WaitExit(), 0);
    }
    // Page 5 after an install that went through.
    const std::string entry = kUninstallKey + name;
    dptest::TestProcess proc;
    HWND top = dptest::StartWizard(proc, package, name);
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(dptest::ToReadyPage(top, dir_));
    ASSERT_TRUE(dptest::Click(Need(top, "&Install")));
    auto box = [&] { return dptest::FindTopWindow(kTitle, "#32770", proc.Pid()); };
    ASSERT_TRUE(dptest::WaitUntil([&] { return dptest::PageShown(top) == 5 || box(); }, 60000, "page 5"));
    if (box()) FAIL() << dptest::AnswerMessageBox(kTitle, IDOK);
    shot(top, 5);
    ASSERT_TRUE(dptest::Click(Need(top, "&Finish")));
    EXPECT_EQ(proc.WaitExit(), 0);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "DisplayName"), name);
    TRegistry lm;
    lm.SetRootKey(HKEY_LOCAL_MACHINE);
    lm.DeleteKey(entry);
}

TEST_F(SetupE2E, SetupAsksForElevationInItsManifest) {
    HMODULE m = LoadLibraryExA(setupExe_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(m, nullptr);
    HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(r, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(m, r)));
    const std::string manifest(data, SizeofResource(m, r));
    FreeLibrary(m);
    for (const char* part : {"name=\"Setup.exe\"", "version=\"1.0.0.0\"", "type=\"win32\"",
                             "level=\"requireAdministrator\"", "uiAccess=\"false\""})
        EXPECT_NE(manifest.find(part), std::string::npos) << part << " in\n" << manifest;
}

TEST_F(SetupE2E, UninstallerWithoutItsRecordSaysSo) {
    ASSERT_TRUE(ForceDirectories(dir_));
    const std::string exe = dir_ + "\\Uninstall.exe";
    ASSERT_TRUE(CopyFileA((dptest::BinDir() + "uninstall.exe").c_str(), exe.c_str(), FALSE));
    dptest::TestProcess un;
    ASSERT_TRUE(un.Start(exe));
    const std::string text = dptest::AnswerMessageBox("uninstall", IDOK);
    EXPECT_EQ(text, "File :" + dir_ + "\\uninstall001.dat does not exits,can not uninstall");
    EXPECT_EQ(un.WaitExit(), 0);
    EXPECT_TRUE(dptest::FileExists(exe));
}

}  // namespace
