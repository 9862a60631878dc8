// The install and uninstall steps of TExpressPack under Wine: packages made
// with the records' own writer appended to a copy of a small program, installed
// into a temp folder with blanks in its name, then removed again.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>
#include <shlobj.h>
#include <ddeml.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/DdeMan.h"
#include "classlib/Dialogs.h"
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/uCustomModule.h"
#include "setup/DataExpress.h"
#include "setup/DataExpressCore.h"
#include "tests/install/InstallTestUtil.h"
#include "tests/install/PackageMaker.h"

namespace {

const std::string kBin = std::string(DP_TEST_BIN_DIR) + "/bin/";
constexpr const char* kTestKey = "Software\\DriftpaneInstallTest";

std::string Stub() { return ReadAll(kBin + "install_stub.exe"); }

std::string TempRoot() {
    char buf[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof buf, buf);
    return StripOneTrailingBackslash(std::string(buf, n)) + "\\dp install " + IntToStr(GetCurrentProcessId());
}

void WriteValue(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    TRegistry reg;
    reg.SetRootKey(root);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(name, text);
}

// Waits for the shell's asynchronous work (Program Manager macros, the batch).
bool WaitFor(const std::function<bool()>& done, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (done()) return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(100);
    }
    return done();
}

// Wine's Program Manager opens a folder window for each new group; close it.
void CloseGroupWindow(const std::string& group) {
    HWND w = nullptr;
    if (WaitFor([&] { return (w = FindWindowA(nullptr, group.c_str())) != nullptr; }, 10))
        PostMessageA(w, WM_CLOSE, 0, 0);
}

bool HaveDisplay() { return GetEnvironmentVariableA("DISPLAY", nullptr, 0) > 0; }

// Whether the shell's Program Manager server answers. Without it the install
// and uninstall runs would start Program Manager itself, which stays running.
bool g_progman = false;
#define NEED_PROGMAN() \
    if (!g_progman) GTEST_SKIP() << "Program Manager does not answer (the Wine desktop needs a display)"

// The Active Desktop stand-in, registered in this prefix when it has been built.
bool g_activeDesktop = false;

bool ActiveDesktopWorks() {
    InitComApartment();
    IActiveDesktop* ad = nullptr;
    if (FAILED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                reinterpret_cast<void**>(&ad))) ||
        !ad)
        return false;
    ad->Release();
    return FileExists(kBin + "dpactivedesktop.dll");
}

std::string CurrentWallpaper() {
    IActiveDesktop* ad = nullptr;
    if (FAILED(CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                reinterpret_cast<void**>(&ad))))
        return "<no object>";
    wchar_t buf[MAX_PATH] = {};
    ad->GetWallpaper(buf, MAX_PATH, 0);
    ad->Release();
    return WideCharToString(buf);
}

class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        InitComApartment();
        // Starts Wine's desktop process, which serves Program Manager's DDE.
        GetDesktopWindow();
        // The desktop process registers the server shortly after it starts.
        g_progman = HaveDisplay() && WaitFor(ProgmanAnswers, 30);
        const std::string reg = kBin + "standin_register.exe";
        if (FileExists(reg) && FileExists(kBin + "dpactivedesktop.dll")) {
            DWORD code = 1;
            StartProcess("\"" + reg + "\"", SW_HIDE, &code);
        }
        g_activeDesktop = ActiveDesktopWorks();
    }
};
const auto* const g_env = ::testing::AddGlobalTestEnvironment(new Environment);

struct StepLog {
    std::vector<std::pair<int, std::string>> steps;
    TSetupEvent Event() {
        return [this](TObject*, int n, const std::string& text) { steps.emplace_back(n, text); };
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& s : steps) out.push_back(s.second);
        return out;
    }
    bool Numbered() const {
        for (size_t i = 0; i < steps.size(); ++i)
            if (steps[i].first != static_cast<int>(i + 1)) return false;
        return true;
    }
};

class InstallSteps : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = TempRoot();
        RemoveTree(root_);
        ASSERT_TRUE(ForceDirectories(root_));
        dir_ = root_ + "\\Drift Pane Test";
        stub_ = Stub();
        ASSERT_GT(stub_.size(), 0u);
        name_ = "Drift Test " + IntToStr(GetCurrentProcessId());
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

    std::string WritePackage(const TestPackage& p) {
        const std::string path = root_ + "\\setup.exe";
        WriteAll(path, BuildPackage(stub_, p));
        return path;
    }

    // What setup does before the wizard and after it: load, check, install.
    // False when the package is refused.
    bool RunSetup(const std::string& package) {
        TExpressPack pack;
        try {
            if (!pack.LoadFromFile(package)) return false;
        } catch (const EReadError&) {
            return false;
        }
        if (!pack.CheckPackage().empty()) return false;
        pack.SetInstallDir(dir_);
        pack.Install();
        return true;
    }

    TestPackage FullPackage() {
        TestPackage p;
        p.ProgramName = name_;
        p.Files = {
            {name_ + ".html", "InstallDir", "", "<html><body>wallpaper</body></html>"},
            {"movie.swf", "InstallDir", "", std::string("FWS\x06\x20\0\0\0", 8) + std::string(5000, '\x5a')},
            {"picture.jpg", "InstallDir", "media", std::string("\xff\xd8\xff\xe0", 4) + std::string(70000, '\x01')},
            {"empty.txt", "InstallDir", "", ""},
            {"Uninstall.exe", "InstallDir", "", stub_}};
        p.Dirs = {MakeDir("InstallDir", ""), MakeDir("InstallDir", "media")};
        p.Links.push_back(MakeLink(lkCreateGroup, "InstallDir", "", "", name_));
        if (g_activeDesktop) p.Links.push_back(MakeLink(lkWallpaper, "InstallDir", "", name_ + ".html", ""));
        p.Links.push_back(MakeLink(lkAddItem, "InstallDir", "", "Uninstall.exe", "Uninstall"));
        p.Regs = {MakeReg(0x80000001u, kTestKey, "Path", "{InstallDir}\\a;{InstallDir}\\b"),
                  MakeReg(0x80000001u, kTestKey, "Other", "plain")};
        return p;
    }

    std::string root_, dir_, stub_, name_;
};

TEST_F(InstallSteps, MalformedPackagesAreRefusedWithNothingWritten) {
    struct Case {
        const char* what;
        void (*spoil)(std::string& bytes, TestPackage& p);
    } cases[] = {
        {"oversized count",
         [](std::string& b, TestPackage&) { PutU32(b, b.size() - PackHeadSize + 528, 0x7FFFFFFFu); }},
        {"offsets past the end",
         [](std::string& b, TestPackage&) {
             PutU32(b, b.size() - PackHeadSize + 548, static_cast<uint32_t>(b.size()));
         }},
        {"parent folder in a file name", nullptr},
        {"unknown root", nullptr},
    };
    for (const Case& c : cases) {
        TestPackage p = FullPackage();
        if (std::string(c.what) == "parent folder in a file name") p.Files[1].Name = "..\\escaped.swf";
        if (std::string(c.what) == "unknown root") p.Files[2].Root = "ProgramDir";
        std::string bytes = BuildPackage(stub_, p);
        if (c.spoil) c.spoil(bytes, p);
        const std::string package = root_ + "\\setup.exe";
        WriteAll(package, bytes);
        EXPECT_FALSE(RunSetup(package)) << c.what;
        EXPECT_FALSE(DirectoryExists(dir_)) << c.what;
        EXPECT_FALSE(FileExists(root_ + "\\escaped.swf")) << c.what;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_)) << c.what;
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey)) << c.what;
    }
}

TEST_F(InstallSteps, LoadsTheHeadAndCountsSteps) {
    const TestPackage p = FullPackage();
    const std::string package = WritePackage(p);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    EXPECT_EQ(pack.GetProgramName(), name_);
    EXPECT_EQ(pack.GetAuthor(), "An Author");
    EXPECT_EQ(pack.GetEmail(), "a@b.c");
    EXPECT_EQ(pack.GetWebSite(), "http://example.org");
    EXPECT_EQ(pack.GetStepCount(), static_cast<int>(5 + 2 + p.Links.size() + 2));
    EXPECT_EQ(pack.CheckPackage(), "");
    EXPECT_EQ(pack.GetPackageFileName(), package);

    // A file that carries no package: false, nothing loaded.
    TExpressPack none;
    WriteAll(root_ + "\\plain.exe", stub_ + std::string(600, '\0'));
    EXPECT_FALSE(none.LoadFromFile(root_ + "\\plain.exe"));
    EXPECT_EQ(none.GetStepCount(), 0);
    EXPECT_THROW(none.LoadFromFile(root_ + "\\missing.exe"), EFOpenError);
}

TEST_F(InstallSteps, FoldersResolveFromTheirRoots) {
    TExpressPack pack;
    EXPECT_TRUE(pack.SetInstallDir("C:\\"));
    EXPECT_EQ(pack.GetInstallDir(), "C:");
    EXPECT_EQ(pack.GetFilePath("InstallDir", "", "file.txt"), "C:\\file.txt");
    pack.SetInstallDir("C:\\A B\\\\");
    EXPECT_EQ(pack.GetFolder("InstallDir", ""), "C:\\A B\\");
    pack.SetInstallDir(dir_);
    EXPECT_EQ(pack.GetFolder("InstallDir", "x\\y"), dir_ + "\\x\\y");
    const std::string win = GetWindowsDir();
    ASSERT_FALSE(win.empty());
    EXPECT_NE(win.back(), '\\');
    EXPECT_TRUE(DirExists(win));
    EXPECT_EQ(pack.GetFolder("WindowsDir", ""), win);
    EXPECT_EQ(pack.GetFilePath("System32Dir", "drivers", "x.sys"), GetSystemDir() + "\\drivers\\x.sys");
    EXPECT_THROW(pack.GetFolder("Windowsdir", ""), Exception);
    EXPECT_THROW(pack.GetFolder("", ""), Exception);
    TExpressPack unset;
    EXPECT_THROW(unset.GetFolder("InstallDir", ""), Exception);
    EXPECT_EQ(pack.ExpandInstallDir("{InstallDir}|{InstallDir}"), dir_ + "|{InstallDir}");
    const int code = GetWinVersion();
    EXPECT_GE(code, 6);
    EXPECT_LE(code, 8);
}

TEST_F(InstallSteps, InstallsEverythingAndUninstallRemovesIt) {
    NEED_PROGMAN();
    const TestPackage p = FullPackage();
    const std::string package = WritePackage(p);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    ASSERT_EQ(pack.CheckPackage(), "");
    pack.SetInstallDir(dir_ + "\\");
    StepLog log;
    pack.SetOnStep(log.Event());
    pack.Install();

    // Steps: folders, files, then one per link.
    std::vector<std::string> want = {"Create directory " + dir_, "Create directory " + dir_ + "\\media"};
    for (const TestFile& f : p.Files) want.push_back("Copy file " + JoinSubFolder(dir_, f.Sub) + "\\" + f.Name);
    for (size_t i = 0; i < p.Links.size(); ++i) want.push_back("Create group");
    EXPECT_EQ(log.Texts(), want);
    EXPECT_TRUE(log.Numbered());

    // Files byte for byte.
    for (const TestFile& f : p.Files) EXPECT_EQ(ReadAll(JoinSubFolder(dir_, f.Sub) + "\\" + f.Name), f.Data) << f.Name;

    // Uninstall entry and registry records.
    const std::string entry = kUninstallKey + name_;
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "DisplayName"), name_);
    const std::string shortForm = ExtractShortPathName(dir_ + "\\Uninstall.exe");
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "UninstallString"), shortForm);
    EXPECT_EQ(shortForm.find(' '), std::string::npos);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Path"), dir_ + "\\a;{InstallDir}\\b");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Other"), "plain");

    // The Start-menu group with its item.
    {
        EXPECT_TRUE(WaitFor(
            [&] { return !FindGroupFolder(name_).empty() && FileExists(FindGroupFolder(name_) + "\\Uninstall.lnk"); },
            30))
            << "group folder " << ShellFolder(CSIDL_PROGRAMS) << "\\" << name_;
        CloseGroupWindow(name_);
        if (g_activeDesktop) {
            EXPECT_EQ(CurrentWallpaper(), dir_ + "\\" + name_ + ".html");
        }
    }

    // The installation record.
    const std::string record = ReadAll(dir_ + "\\uninstall001.dat");
    EXPECT_EQ(record, ExpectedUninstallData(p, static_cast<uint32_t>(stub_.size())));

    // Uninstall from the record, as the uninstaller beside it would.
    TExpressPack un;
    ASSERT_TRUE(un.LoadFromFile(dir_ + "\\uninstall001.dat"));
    EXPECT_EQ(un.GetProgramName(), name_);
    un.SetInstallDir(dir_ + "\\");
    StepLog ulog;
    un.SetOnStep(ulog.Event());
    un.Uninstall();
    std::vector<std::string> uwant;
    for (size_t i = 0; i < p.Links.size(); ++i) uwant.push_back("delete group");
    for (const TestFile& f : p.Files)
        if (f.Name != "Uninstall.exe") uwant.push_back("delete file " + JoinSubFolder(dir_, f.Sub) + "\\" + f.Name);
    uwant.push_back("delete directory " + dir_);
    uwant.push_back("delete directory " + dir_ + "\\media");
    EXPECT_EQ(ulog.Texts(), uwant);
    EXPECT_TRUE(ulog.Numbered());

    for (const TestFile& f : p.Files)
        if (f.Name != "Uninstall.exe") {
            EXPECT_FALSE(FileExists(JoinSubFolder(dir_, f.Sub) + "\\" + f.Name)) << f.Name;
        }
    EXPECT_TRUE(FileExists(dir_ + "\\Uninstall.exe"));
    EXPECT_FALSE(FileExists(dir_ + "\\uninstall001.dat"));
    EXPECT_FALSE(DirectoryExists(dir_ + "\\media"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Path"), "<none>");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Other"), "<none>");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kTestKey)) << "keys stay, only the values go";
    {
        EXPECT_TRUE(WaitFor([&] { return FindGroupFolder(name_).empty(); }, 30));
        if (g_activeDesktop) {
            EXPECT_EQ(CurrentWallpaper(), "");
        }
    }

    // The batch removes the uninstaller and then the folder.
    ASSERT_TRUE(StartSelfRemoval(dir_ + "\\Uninstall.exe", dir_ + "\\"));
    EXPECT_TRUE(WaitFor([&] { return !DirectoryExists(dir_); }, 60));
    EXPECT_FALSE(FileExists(dir_ + "\\Uninstall.exe"));
}

// What an install may touch: the test folder, the Start-menu programs, the
// uninstall entries, the test key and the wallpaper.
std::string MachineState(const std::string& root) {
    return "folder:\n" + FolderListing(root) + "programs:\n" + FolderListing(ShellFolder(CSIDL_PROGRAMS)) +
           "uninstall entries:\n" + RegistryListing(HKEY_LOCAL_MACHINE, std::string(kUninstallKey).substr(1)) +
           "test key:\n" + RegistryListing(HKEY_CURRENT_USER, kTestKey) +
           "wallpaper: " + (g_activeDesktop ? CurrentWallpaper() : std::string()) + "\n";
}

TEST_F(InstallSteps, AFailedRunLeavesTheMachineAsItWas) {
    // What was there before the run: a file the package replaces, a value it
    // overwrites beside one it never names, and an older wallpaper.
    ASSERT_TRUE(ForceDirectories(dir_));
    WriteAll(dir_ + "\\movie.swf", "the user's own movie");
    WriteValue(HKEY_CURRENT_USER, kTestKey, "Other", "before");
    WriteValue(HKEY_CURRENT_USER, kTestKey, "Unrelated", "stays");
    if (g_activeDesktop) {
        TExpressPack any;
        any.SetWallpaper(root_ + "\\older.htm");
    }
    const TestPackage p = FullPackage();
    const std::string package = WritePackage(p);

    // Steps reported: folders, files, and the links only when Program Manager answers.
    const int steps = static_cast<int>(p.Dirs.size() + p.Files.size() + (g_progman ? p.Links.size() : 0));
    // One run per failure point: the step event raising after that step, as any
    // step's error would; past the last step, the installation record failing.
    auto failAt = [&](int point) {
        SCOPED_TRACE("failing at step " + IntToStr(point));
        const bool atRecord = point > steps;
        // A folder where the record goes makes writing it fail.
        if (atRecord) {
            ASSERT_TRUE(CreateDirectoryA((dir_ + "\\uninstall001.dat").c_str(), nullptr));
        }
        const std::string start = MachineState(root_);
        TExpressPack pack;
        ASSERT_TRUE(pack.LoadFromFile(package));
        pack.SetInstallDir(dir_);
        pack.SetOnStep([&](TObject*, int n, const std::string& text) {
            if (n == point) throw EInOutError("failed at " + text);
        });
        std::string message;
        try {
            pack.Install();
        } catch (const Exception& e) {
            message = e.Message();
        }
        EXPECT_NE(message.find("Setup has undone its changes; nothing was installed."), std::string::npos) << message;
        EXPECT_TRUE(atRecord ? message.find("uninstall001.dat") != std::string::npos : message.find("failed at ") == 0)
            << message;
        // Program Manager removes a group asynchronously.
        WaitFor([&] { return MachineState(root_) == start; }, 30);
        // The window the shell may have opened for the group (none once it is gone).
        if (HWND w = FindWindowA(nullptr, name_.c_str())) PostMessageA(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(MachineState(root_), start);
        if (atRecord) {
            EXPECT_TRUE(RemoveDirectoryA((dir_ + "\\uninstall001.dat").c_str()));
        }
        EXPECT_FALSE(FileExists(dir_ + "\\uninstall001.dat"));
    };
    for (int point = 1; point <= steps + 1; ++point) failAt(point);
    // The replaced file and the overwritten value came back exactly.
    EXPECT_EQ(ReadAll(dir_ + "\\movie.swf"), "the user's own movie");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Other"), "before");
}

TEST_F(InstallSteps, AFailedRunKeepsAGroupThatWasThereBefore) {
    NEED_PROGMAN();
    const std::string group = ShellFolder(CSIDL_PROGRAMS) + "\\" + name_;
    ASSERT_TRUE(ForceDirectories(group));
    WriteAll(group + "\\notes.txt", "the user's own");
    TestPackage p;
    p.ProgramName = name_;
    p.Dirs = {MakeDir("InstallDir", "")};
    p.Links.push_back(MakeLink(lkCreateGroup, "InstallDir", "", "", name_));
    const std::string package = WritePackage(p);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    pack.SetInstallDir(dir_);
    pack.SetOnStep([](TObject*, int n, const std::string&) {
        if (n == 2) throw EInOutError("failed after the group");
    });
    EXPECT_THROW(pack.Install(), EInOutError);
    CloseGroupWindow(name_);
    EXPECT_FALSE(DirectoryExists(dir_));
    // Program Manager handles macros in turn: once a group asked for after the
    // run is there, a removal the run had asked for would have happened.
    const std::string marker = name_ + " marker";
    {
        TDdeClientConv conv;
        conv.ConnectMode = ddeManual;
        ASSERT_TRUE(conv.SetLink("ProgMan", "ProgMan"));
        ASSERT_TRUE(conv.OpenLink());
        const std::string macro = "[CreateGroup(" + marker + "," + marker + ")]";
        ASSERT_TRUE(conv.ExecuteMacro(macro.c_str(), false));
        EXPECT_TRUE(WaitFor([&] { return !FindGroupFolder(marker).empty(); }, 30));
        conv.CloseLink();
    }
    CloseGroupWindow(marker);
    RemoveTree(FindGroupFolder(marker));
    EXPECT_EQ(ReadAll(group + "\\notes.txt"), "the user's own");
}

TEST_F(InstallSteps, AReadOnlyTargetFailsTheRunHalfWayAndNothingStays) {
    ASSERT_TRUE(ForceDirectories(dir_));
    TestPackage p;
    p.ProgramName = name_;
    p.Files = {{"first.txt", "InstallDir", "", "first"},
               {"locked.txt", "InstallDir", "", "new"},
               {"third.txt", "InstallDir", "sub", "third"}};
    p.Dirs = {MakeDir("InstallDir", ""), MakeDir("InstallDir", "sub")};
    p.Regs = {MakeReg(0x80000001u, kTestKey, "Path", "{InstallDir}")};
    ReadOnlyTarget locked(dir_ + "\\locked.txt", "old");
    ASSERT_TRUE(locked.Ok());
    const std::string package = WritePackage(p);
    const std::string before = MachineState(root_);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    pack.SetInstallDir(dir_);
    StepLog log;
    pack.SetOnStep(log.Event());
    try {
        pack.Install();
        ADD_FAILURE() << "the read-only target did not fail the run";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find("Cannot create file " + dir_ + "\\locked.txt"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("nothing was installed"), std::string::npos) << e.Message();
    }
    // It got half-way: both folders and the first file were made.
    EXPECT_EQ(log.steps.size(), 3u);
    EXPECT_EQ(MachineState(root_), before);
    EXPECT_EQ(ReadAll(dir_ + "\\locked.txt"), "old");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
}

// A folder that cannot be made stops the run at its own step, naming it: no step
// reports it, and nothing later runs.
TEST_F(InstallSteps, AFolderThatCannotBeMadeFailsAtItsOwnStep) {
    ASSERT_TRUE(ForceDirectories(dir_));
    WriteAll(dir_ + "\\sub folder", "a file where the folder should be");
    TestPackage p;
    p.ProgramName = name_;
    p.Files = {{"first.txt", "InstallDir", "", "first"}};
    p.Dirs = {MakeDir("InstallDir", ""), MakeDir("InstallDir", "sub folder\\deeper"), MakeDir("InstallDir", "other")};
    const std::string package = WritePackage(p);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    pack.SetInstallDir(dir_);
    StepLog log;
    pack.SetOnStep(log.Event());
    try {
        pack.Install();
        ADD_FAILURE() << "the folder that cannot be made did not fail the run";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message().find("Cannot create directory " + dir_ + "\\sub folder\\deeper. A file of the name " +
                                   dir_ + "\\sub folder is in the way."),
                  0u)
            << e.Message();
        EXPECT_NE(e.Message().find("nothing was installed"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"Create directory " + dir_});
    EXPECT_FALSE(DirectoryExists(dir_ + "\\other"));
    EXPECT_FALSE(FileExists(dir_ + "\\first.txt"));
    EXPECT_EQ(ReadAll(dir_ + "\\sub folder"), "a file where the folder should be");
}

TEST_F(InstallSteps, RegistryRecordsUseTheirOwnKeysOnly) {
    // A value in a key that opens goes; a record whose key is missing touches
    // nothing, not even the same value name in the key opened before.
    WriteValue(HKEY_CURRENT_USER, kTestKey + std::string("\\A"), "W", "w");
    WriteValue(HKEY_CURRENT_USER, kTestKey + std::string("\\A"), "V", "v");
    TestPackage p;
    p.ProgramName = name_;
    p.Regs = {MakeReg(0x80000001u, kTestKey + std::string("\\A"), "W", "x"),
              MakeReg(0x80000001u, kTestKey + std::string("\\Missing"), "V", "x"),
              MakeReg(0x80000002u, "Software\\DriftpaneInstallTest", "LM", "{InstallDir}")};
    const std::string package = WritePackage(p);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    pack.SetInstallDir(dir_);
    pack.WriteRegistry();
    // The 32-bit root key value reaches the predefined key on either width.
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Software\\DriftpaneInstallTest", "LM"), dir_);
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.DeleteKey(kTestKey + std::string("\\Missing")));
    }
    pack.DeleteRegistry();
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey + std::string("\\A"), "W"), "<none>");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey + std::string("\\A"), "V"), "v");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Software\\DriftpaneInstallTest", "LM"), "<none>");
    TRegistry lm;
    lm.SetRootKey(HKEY_LOCAL_MACHINE);
    lm.DeleteKey("Software\\DriftpaneInstallTest");
}

TEST_F(InstallSteps, TamperedRecordsAreSkippedByTheUninstaller) {
    ASSERT_TRUE(ForceDirectories(dir_));
    WriteAll(root_ + "\\outside.txt", "keep");
    WriteAll(dir_ + "\\inside.txt", "go");
    TestPackage p;
    p.ProgramName = name_;
    p.Files = {{"..\\outside.txt", "InstallDir", "", ""},
               {"outside.txt", "InstallDir", "..", ""},
               {"inside.txt", "Elsewhere", "", ""},
               {"inside.txt", "InstallDir", "", ""}};
    p.Dirs = {MakeDir("InstallDir", "..")};
    TStringStream s;
    TPackIndex index;
    {
        TStringStream pkg(BuildPackage(stub_, p));
        ASSERT_TRUE(LoadPackIndex(pkg, index));
    }
    WriteUninstallData(s, index);
    WriteAll(dir_ + "\\uninstall001.dat", s.DataString());
    TExpressPack un;
    ASSERT_TRUE(un.LoadFromFile(dir_ + "\\uninstall001.dat"));
    un.SetInstallDir(dir_);
    StepLog log;
    un.SetOnStep(log.Event());
    un.DeleteFiles();
    un.DeleteDirectories();
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"delete file " + dir_ + "\\inside.txt"});
    EXPECT_EQ(ReadAll(root_ + "\\outside.txt"), "keep");
    EXPECT_FALSE(FileExists(dir_ + "\\inside.txt"));
    EXPECT_TRUE(DirectoryExists(root_));
}

TEST_F(InstallSteps, ScreenSaverTakesTheShortPathAndKeepsTheSettingForAMissingFile) {
    const std::string key = "Control Panel\\desktop";
    const std::string before = ReadValue(HKEY_CURRENT_USER, key, "SCRNSAVE.EXE");
    ASSERT_TRUE(ForceDirectories(dir_));
    const std::string saver = dir_ + "\\long saver name.scr";
    WriteAll(saver, stub_);
    TExpressPack pack;
    pack.SetScreenSaver(saver);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "SCRNSAVE.EXE"), ExtractShortPathName(saver));
    pack.SetScreenSaver(dir_ + "\\not there.scr");
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "SCRNSAVE.EXE"), ExtractShortPathName(saver));
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey(key, false));
    if (before == "<none>")
        reg.DeleteValue("SCRNSAVE.EXE");
    else
        reg.WriteString("SCRNSAVE.EXE", before);
}

TEST_F(InstallSteps, LongUninstallPathIsQuotedWhenItHasNoShortForm) {
    NEED_PROGMAN();
    // Without the uninstaller in the package there is no file, so no short form.
    TestPackage p;
    p.ProgramName = name_;
    p.Dirs = {MakeDir("InstallDir", "")};
    const std::string package = WritePackage(p);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    pack.SetInstallDir(dir_);
    pack.Install();
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + name_, "UninstallString"),
              "\"" + dir_ + "\\Uninstall.exe\"");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kUninstallKey + name_, "DisplayName"), name_);
}

// Answers the next message box captioned with the program's title and returns its text.
std::string AnswerBox(int button) {
    const std::string title = MessageBoxTitle();
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowA("#32770", title.c_str())) != nullptr; }, 20);
    if (!box) return "<no box>";
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return text;
}

TEST_F(InstallSteps, AskYesNoIsTrueOnlyForYes) {
    if (!HaveDisplay()) GTEST_SKIP() << "message boxes need a display";
    struct Case {
        int button;
        bool result;
    } cases[] = {{IDYES, true}, {IDNO, false}};
    for (const Case& c : cases) {
        std::string shown;
        std::thread answer([&] { shown = AnswerBox(c.button); });
        const bool got = AskYesNo(nullptr, "Exit Setup?\r\nReally?");
        answer.join();
        EXPECT_EQ(got, c.result);
        EXPECT_NE(shown.find("Exit Setup?"), std::string::npos) << shown;
    }
}

// The Active Desktop stand-in refuses SetWallpaper while this lives.
class RefusedWallpaper {
public:
    RefusedWallpaper() { SetRefusal(static_cast<DWORD>(E_ACCESSDENIED)); }
    ~RefusedWallpaper() { SetRefusal(0); }

private:
    static void SetRefusal(DWORD code) {
        HKEY h = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\DriftpaneTest\\ActiveDesktopStandIn", 0, nullptr, 0,
                            KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
            return;
        if (code)
            RegSetValueExA(h, "RefuseSetWallpaper", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&code), sizeof code);
        else
            RegDeleteValueA(h, "RefuseSetWallpaper");
        RegCloseKey(h);
    }
};

TEST_F(InstallSteps, AnUninstallThatLeavesSomethingKeepsWhatRunsItAgainAndTheSecondRunCompletes) {
    const TestPackage p = FullPackage();
    ASSERT_TRUE(RunSetup(WritePackage(p)));
    CloseGroupWindow(name_);
    const std::string entry = kUninstallKey + name_;
    const std::string movie = dir_ + "\\movie.swf";
    {
        // In use, and the desktop will not clear the wallpaper.
        HANDLE busy = CreateFileA(movie.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(busy, INVALID_HANDLE_VALUE);
        std::unique_ptr<RefusedWallpaper> refused(g_activeDesktop ? new RefusedWallpaper : nullptr);
        TExpressPack un;
        ASSERT_TRUE(un.LoadFromFile(dir_ + "\\uninstall001.dat"));
        un.SetInstallDir(dir_);
        std::string message;
        try {
            un.Uninstall();
        } catch (const EUninstallIncomplete& e) {
            message = e.Message();
        }
        CloseHandle(busy);
        std::vector<std::string> left;
        if (g_activeDesktop && g_progman) left.push_back("the desktop wallpaper: ");
        left.push_back(movie);
        ASSERT_EQ(un.LeftBehind().size(), left.size()) << message;
        for (size_t i = 0; i < left.size(); ++i) EXPECT_EQ(un.LeftBehind()[i].find(left[i]), 0u) << un.LeftBehind()[i];
        EXPECT_NE(message.find("    " + movie + "\r\n"), std::string::npos) << message;
        EXPECT_NE(message.find("run Uninstall again"), std::string::npos) << message;
    }
    // What lets the user try again is all there; the rest went.
    EXPECT_TRUE(FileExists(dir_ + "\\uninstall001.dat"));
    EXPECT_TRUE(FileExists(dir_ + "\\Uninstall.exe"));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, entry, "DisplayName"), name_);
    EXPECT_TRUE(FileExists(movie));
    EXPECT_FALSE(FileExists(dir_ + "\\empty.txt"));
    EXPECT_FALSE(FileExists(dir_ + "\\media\\picture.jpg"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, kTestKey, "Path"), "<none>");

    TExpressPack again;
    ASSERT_TRUE(again.LoadFromFile(dir_ + "\\uninstall001.dat"));
    again.SetInstallDir(dir_);
    again.Uninstall();
    EXPECT_TRUE(again.LeftBehind().empty());
    EXPECT_FALSE(FileExists(movie));
    EXPECT_FALSE(FileExists(dir_ + "\\uninstall001.dat"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, entry));
    EXPECT_TRUE(FileExists(dir_ + "\\Uninstall.exe")) << "the batch removes it once the program has ended";
    if (g_activeDesktop && g_progman) {
        EXPECT_EQ(CurrentWallpaper(), "");
    }
    if (g_progman) {
        EXPECT_TRUE(WaitFor([&] { return FindGroupFolder(name_).empty(); }, 30));
    }
}

TEST_F(InstallSteps, SelfRemovalGivesUpOnAnUninstallerThatNeverGoes) {
    ASSERT_TRUE(ForceDirectories(dir_));
    const std::string exe = dir_ + "\\Uninstall.exe";
    WriteAll(exe, stub_);
    HANDLE held = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    char tmp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof tmp, tmp);
    const std::string batch = StripOneTrailingBackslash(std::string(tmp, n)) + "\\delme.bat";
    ASSERT_TRUE(StartSelfRemoval(exe, dir_));
    // The batch deletes itself as its last line: it ended.
    EXPECT_TRUE(WaitFor([&] { return !FileExists(batch); }, DelmeTries * 3 + 30));
    CloseHandle(held);
    EXPECT_TRUE(FileExists(exe));
    EXPECT_TRUE(DirectoryExists(dir_));
}

TEST_F(InstallSteps, PathsTooLongForWindowsAreRefusedBeforeAnythingIsWritten) {
    TestPackage p = FullPackage();
    // The folder itself fits; the page below it does not.
    const std::string deep = root_ + "\\" + std::string(200 - root_.size(), 'd');
    p.Files[0].Name = std::string(80, 'p') + ".html";
    const std::string package = WritePackage(p);
    const std::string before = MachineState(root_);
    TExpressPack pack;
    ASSERT_TRUE(pack.LoadFromFile(package));
    pack.SetInstallDir(deep);
    try {
        pack.Install();
        ADD_FAILURE() << "a path Windows cannot take was installed";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find(" is too long"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("choose another destination folder"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey + name_));
    EXPECT_EQ(MachineState(root_), before);
}

TEST_F(InstallSteps, WallpaperGoesThroughActiveDesktop) {
    if (!g_activeDesktop) GTEST_SKIP() << "the Active Desktop stand-in is not built or registered";
    TExpressPack pack;
    pack.SetWallpaper("C:\\some folder\\page.html");
    EXPECT_EQ(CurrentWallpaper(), "C:\\some folder\\page.html");
    pack.SetWallpaper("");
    EXPECT_EQ(CurrentWallpaper(), "");
}

}  // namespace
