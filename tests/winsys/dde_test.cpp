#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/DdeMan.h"
#include "classlib/WinSys.h"
#include "winsys_test_util.h"

namespace {

using winsys_test::FileThere;
using winsys_test::FolderThere;
using winsys_test::ReadWholeFile;
using winsys_test::RunTag;
using winsys_test::WaitFor;

bool HaveDisplay() {
    char buf[256];
    return GetEnvironmentVariableA("DISPLAY", buf, sizeof(buf)) > 0;
}

std::string ProbeLog(const std::string& topic) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "winsys_probe_" + topic + ".log";
}

int CountOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

HDDEDATA CALLBACK IgnoreDde(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// A conversation opened with the raw library, to look at a server without our class.
bool ServerAnswers(const char* service, const char* topic) {
    DWORD inst = 0;
    if (DdeInitializeA(&inst, IgnoreDde, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
    HSZ s = DdeCreateStringHandleA(inst, service, CP_WINANSI);
    HSZ t = DdeCreateStringHandleA(inst, topic, CP_WINANSI);
    HCONV c = DdeConnect(inst, s, t, nullptr);
    if (c) DdeDisconnect(c);
    DdeFreeStringHandle(inst, s);
    DdeFreeStringHandle(inst, t);
    DdeUninitialize(inst);
    return c != nullptr;
}

class ProbeServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << "DDE between programs needs the Wine desktop, which needs a display";
        topic_ = "T" + RunTag() + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        DeleteFileA(ProbeLog(topic_).c_str());
    }
    void TearDown() override {
        // Stop a probe the test left running, then wait until it has gone.
        if (!topic_.empty() && ServerAnswers("winsys_probe", topic_.c_str())) {
            TDdeClientConv stop;
            stop.ConnectMode = ddeManual;
            stop.SetLink("winsys_probe", topic_);
            if (stop.OpenLink()) stop.ExecuteMacro("[Quit]", true);
        }
        if (!topic_.empty())
            WaitFor([&] { return ReadWholeFile(ProbeLog(topic_)).find("end\n") != std::string::npos; });
        DeleteFileA(ProbeLog(topic_).c_str());
    }
    std::string Log() { return ReadWholeFile(ProbeLog(topic_)); }

    std::string topic_;
};

TEST_F(ProbeServerTest, OpenLinkStartsTheServerMinimisedWithoutActivationAndConnects) {
    ASSERT_FALSE(ServerAnswers("winsys_probe", topic_.c_str()));
    TDdeClientConv conv;
    conv.ConnectMode = ddeManual;
    EXPECT_TRUE(conv.SetLink("winsys_probe", topic_));
    EXPECT_FALSE(conv.Connected());
    EXPECT_EQ(conv.DdeService(), "winsys_probe");
    EXPECT_EQ(conv.DdeTopic(), topic_);

    ASSERT_TRUE(conv.OpenLink());
    EXPECT_TRUE(conv.Connected());
    EXPECT_EQ(Log().substr(0, 7), "show=7\n") << Log();

    // The server is running now: a second conversation connects at once, no second start.
    TDdeClientConv other;
    other.ConnectMode = ddeManual;
    other.SetLink("winsys_probe", topic_);
    ASSERT_TRUE(other.OpenLink());
    other.CloseLink();
    EXPECT_FALSE(other.Connected());
    EXPECT_EQ(CountOf(Log(), "show="), 1) << Log();
}

TEST_F(ProbeServerTest, MacrosArriveAsSentWithOrWithoutWaiting) {
    TDdeClientConv conv;
    conv.ConnectMode = ddeManual;
    conv.SetLink("winsys_probe", topic_);
    ASSERT_TRUE(conv.OpenLink());

    EXPECT_TRUE(conv.ExecuteMacro("[CreateGroup(My Wall,My Wall)]", true));
    EXPECT_NE(Log().find("exec=[CreateGroup(My Wall,My Wall)]\n"), std::string::npos) << Log();
    // A refused macro is reported when waited for.
    EXPECT_FALSE(conv.ExecuteMacro("[Refuse(1)]", true));

    // Without waiting: handed over at once, carried out by the server in its own time.
    const char* async[] = {"[AddItem(C:\\a b\\x.exe,X)]", "[AddItem(C:\\y.exe,Y)]", "[DeleteGroup(Old)]"};
    for (const char* m : async) EXPECT_TRUE(conv.ExecuteMacro(m, false)) << m;
    conv.CloseLink();
    ASSERT_TRUE(WaitFor([&] { return Log().find("exec=[DeleteGroup(Old)]\n") != std::string::npos; })) << Log();
    std::string log = Log();
    size_t a = log.find("exec=[AddItem(C:\\a b\\x.exe,X)]\n");
    size_t b = log.find("exec=[AddItem(C:\\y.exe,Y)]\n");
    size_t c = log.find("exec=[DeleteGroup(Old)]\n");
    ASSERT_NE(a, std::string::npos) << log;
    ASSERT_NE(b, std::string::npos) << log;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
}

TEST_F(ProbeServerTest, AutomaticModeOpensOnSetLinkAndRequestsData) {
    TDdeClientConv conv;
    EXPECT_EQ(conv.ConnectMode, ddeAutomatic);
    ASSERT_TRUE(conv.SetLink("winsys_probe", topic_));
    EXPECT_TRUE(conv.Connected());
    EXPECT_EQ(conv.RequestData("Echo"), "echo:" + topic_);
}

TEST_F(ProbeServerTest, ServerGoingAwayDropsTheConversation) {
    TDdeClientConv conv;
    conv.ConnectMode = ddeManual;
    conv.SetLink("winsys_probe", topic_);
    ASSERT_TRUE(conv.OpenLink());
    EXPECT_TRUE(conv.ExecuteMacro("[Quit]", true));
    EXPECT_TRUE(WaitFor([&] { return !conv.Connected(); }));
    EXPECT_FALSE(conv.ExecuteMacro("[After]", false));
    EXPECT_EQ(Log().find("[After]"), std::string::npos);
}

TEST(DdeClientTest, NobodyToTalkToGivesNoLink) {
    TDdeClientConv conv;
    conv.ConnectMode = ddeManual;
    std::string service = "dp_no_such_server_" + RunTag();
    conv.SetLink(service, "Topic");
    EXPECT_FALSE(conv.OpenLink());
    EXPECT_FALSE(conv.Connected());
    EXPECT_FALSE(conv.ExecuteMacro("[CreateGroup(X,X)]", false));
    EXPECT_EQ(conv.RequestData("Groups"), "");
    conv.CloseLink();

    TDdeClientConv unnamed;
    EXPECT_FALSE(unnamed.OpenLink());
}

// Program Manager as the Wine shell serves it: groups are folders of the Start menu.
class ProgManTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << "the shell's Program Manager server runs only with a display";
        char path[MAX_PATH] = "";
        if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, path))) roots_.push_back(path);
        if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, path))) roots_.push_back(path);
        ASSERT_FALSE(roots_.empty());
        // The desktop process registers the server shortly after it starts; wait for
        // it here so that the class's fallback (starting "ProgMan ProgMan") stays out of play.
        ASSERT_TRUE(WaitFor([] { return ServerAnswers("ProgMan", "ProgMan"); }))
            << "the shell's Program Manager server does not answer";
    }
    void TearDown() override {
        for (const std::string& g : groups_) {
            CloseFolderWindows(g);
            for (const std::string& r : roots_) winsys_test::RemoveTree(r + "\\" + g);
        }
    }
    // The Start-menu folder of a group, empty while there is none.
    std::string GroupFolder(const std::string& group) {
        for (const std::string& r : roots_)
            if (FolderThere(r + "\\" + group)) return r + "\\" + group;
        return std::string();
    }
    // The Wine shell shows each new group in a folder window; close those we caused.
    struct WindowSearch {
        std::string title;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK CollectByTitle(HWND w, LPARAM lp) {
        auto* search = reinterpret_cast<WindowSearch*>(lp);
        char text[512] = "";
        GetWindowTextA(w, text, sizeof(text));
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != GetCurrentProcessId() && search->title == text) search->found.push_back(w);
        return TRUE;
    }
    static void CloseFolderWindows(const std::string& title) {
        WindowSearch search{title, {}};
        EnumWindows(CollectByTitle, reinterpret_cast<LPARAM>(&search));
        for (HWND w : search.found) PostMessageA(w, WM_CLOSE, 0, 0);
    }
    static bool FolderWindowShown(const std::string& title) {
        HWND w = FindWindowA(nullptr, title.c_str());
        return w != nullptr;
    }

    std::vector<std::string> roots_;
    std::vector<std::string> groups_;
};

TEST_F(ProgManTest, GroupWithItemAppearsInTheStartMenuAndGoesAway) {
    std::string group = "DpWinsys " + RunTag();
    groups_.push_back(group);
    std::string item = winsys_test::ProbePath();

    TDdeClientConv conv;
    conv.ConnectMode = ddeManual;
    conv.SetLink("ProgMan", "ProgMan");
    ASSERT_TRUE(conv.OpenLink());

    // Setup's way: each macro handed over without waiting, a pause of its own after
    // the group, and the link closed right after the last item.
    std::string create = "[CreateGroup(" + group + "," + group + ")]";
    ASSERT_TRUE(conv.ExecuteMacro(create.c_str(), false));
    Sleep(1000);
    std::string add = "[AddItem(" + item + ",Probe Item)]";
    ASSERT_TRUE(conv.ExecuteMacro(add.c_str(), false));
    conv.CloseLink();
    EXPECT_FALSE(conv.Connected());

    ASSERT_TRUE(WaitFor([&] { return !GroupFolder(group).empty(); })) << group;
    EXPECT_TRUE(WaitFor([&] { return FileThere(GroupFolder(group) + "\\Probe Item.lnk"); })) << GroupFolder(group);

    // Asked on a conversation of its own: Wine's library never retires finished
    // asynchronous transactions, so a waited-for one behind them would time out.
    TDdeClientConv ask;
    ask.ConnectMode = ddeManual;
    ask.SetLink("ProgMan", "ProgMan");
    ASSERT_TRUE(ask.OpenLink());
    std::string groups = ask.RequestData("Groups");
    EXPECT_NE(groups.find(group + "\r\n"), std::string::npos) << groups;
    ask.CloseLink();

    if (WaitFor([&] { return FolderWindowShown(group); }, 10000)) CloseFolderWindows(group);

    // Uninstall's way: a fresh conversation, the macro without waiting, link closed at once.
    TDdeClientConv del;
    del.ConnectMode = ddeManual;
    del.SetLink("ProgMan", "ProgMan");
    ASSERT_TRUE(del.OpenLink());
    std::string remove = "[DeleteGroup(" + group + ")]";
    char buffer[1024];
    lstrcpynA(buffer, remove.c_str(), sizeof(buffer));
    EXPECT_TRUE(del.ExecuteMacro(buffer, false));
    del.CloseLink();
    EXPECT_TRUE(WaitFor([&] { return GroupFolder(group).empty(); })) << GroupFolder(group);
}

TEST_F(ProgManTest, GroupNamesTravelInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "names below are code page 1252";
    std::string group =
        "DpWinsys Gr\xFC\xDF"
        "e " +
        RunTag();
    groups_.push_back(group);
    std::wstring wideGroup = L"DpWinsys Gr\u00FC\u00DFe " + StringToWideString(RunTag());

    TDdeClientConv conv;
    conv.ConnectMode = ddeManual;
    conv.SetLink("ProgMan", "ProgMan");
    ASSERT_TRUE(conv.OpenLink());
    std::string create = "[CreateGroup(" + group + "," + group + ")]";
    ASSERT_TRUE(conv.ExecuteMacro(create.c_str(), true));
    // Checked through the wide API, so that no ANSI conversion of ours takes part.
    auto existsWide = [&] {
        for (const std::string& r : roots_) {
            std::wstring p = StringToWideString(r) + L"\\" + wideGroup;
            DWORD a = GetFileAttributesW(p.c_str());
            if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return true;
        }
        return false;
    };
    EXPECT_TRUE(WaitFor(existsWide));
    if (WaitFor([&] { return FolderWindowShown(group); }, 10000)) CloseFolderWindows(group);
    std::string remove = "[DeleteGroup(" + group + ")]";
    EXPECT_TRUE(conv.ExecuteMacro(remove.c_str(), true));
    EXPECT_TRUE(WaitFor([&] { return !existsWide(); }));
}

}  // namespace
