#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "classlib/WinSys.h"
#include "winsys_test_util.h"

namespace {

using winsys_test::ProbePath;
using winsys_test::ReadWholeFile;
using winsys_test::TempFolder;
using winsys_test::WaitFor;

TEST(ComTest, ThreadJoinsASingleThreadedApartment) {
    HRESULT first = E_FAIL, second = E_FAIL, multi = E_FAIL;
    std::thread t([&] {
        first = InitComApartment();
        second = InitComApartment();
        // A thread already in an apartment cannot switch to the free-threaded model.
        multi = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(multi)) UninitCom();
        UninitCom();
        UninitCom();
    });
    t.join();
    EXPECT_EQ(first, S_OK);
    EXPECT_EQ(second, S_FALSE);
    EXPECT_EQ(multi, RPC_E_CHANGED_MODE);
}

TEST(ConversionTest, AnsiCodePageMapsBothWays) {
    if (GetACP() != 1252) GTEST_SKIP() << "table written for code page 1252, this system uses " << GetACP();
    struct Case {
        const char* ansi;
        const wchar_t* wide;
    } cases[] = {
        {"", L""},
        {"C:\\Windows\\x.htm", L"C:\\Windows\\x.htm"},
        {"caf\xE9", L"caf\u00E9"},
        {"\x80 and \x9F", L"\u20AC and \u0178"},  // where 1252 differs from Latin-1
        {"Gr\xFC\xDF"
         "e",
         L"Gr\u00FC\u00DFe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StringToWideString(c.ansi), std::wstring(c.wide)) << c.ansi;
        EXPECT_EQ(WideStringToString(c.wide), std::string(c.ansi)) << c.ansi;
        EXPECT_EQ(WideCharToString(c.wide), std::string(c.ansi)) << c.ansi;
    }
    EXPECT_EQ(WideStringToString(L"\u4E2D"), "?");
    EXPECT_EQ(WideCharToString(nullptr), "");
}

TEST(ConversionTest, FixedBufferIsCutAndAlwaysTerminated) {
    struct Case {
        const char* source;
        int size;
        const wchar_t* expected;
    } cases[] = {
        {"abcdef", 4, L"abc"}, {"abc", 4, L"abc"}, {"abcd", 4, L"abc"}, {"abc", 1, L""}, {"", 8, L""},
    };
    for (const Case& c : cases) {
        wchar_t buf[9];
        for (wchar_t& ch : buf) ch = L'#';
        EXPECT_EQ(StringToWideChar(c.source, buf, c.size), buf);
        EXPECT_EQ(std::wstring(buf), std::wstring(c.expected)) << c.source << " into " << c.size;
        EXPECT_EQ(buf[c.size], L'#') << "wrote past the buffer";
    }
    wchar_t untouched[2] = {L'#', L'#'};
    StringToWideChar("abc", untouched, 0);
    EXPECT_EQ(untouched[0], L'#');

    // The wallpaper path buffer: 259 characters and its NUL.
    std::string longPath(300, 'p');
    wchar_t wall[261];
    wall[260] = L'#';
    StringToWideChar(longPath, wall, 260);
    EXPECT_EQ(std::wstring(wall).size(), 259u);
    EXPECT_EQ(wall[260], L'#');
}

TEST(ConversionTest, OleStringsRoundTrip) {
    BSTR b = StringToOleStr("Movie.swf");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 9u);
    EXPECT_EQ(OleStrToString(b), "Movie.swf");
    SysFreeString(b);
    BSTR empty = StringToOleStr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);
}

TEST(PathTest, ShortNameNamesTheSameFile) {
    TempFolder dir;
    std::string folder = dir.File("A Long Folder Name");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string file = folder + "\\My Screen Saver File.scr";
    winsys_test::WriteWholeFile(file, "payload");

    std::string shortName = ExtractShortPathName(file);
    ASSERT_FALSE(shortName.empty());
    std::string last = shortName.substr(shortName.find_last_of('\\') + 1);
    size_t dot = last.find('.');
    EXPECT_LE(dot == std::string::npos ? last.size() : dot, 8u) << shortName;
    EXPECT_EQ(last.find(' '), std::string::npos) << shortName;
    EXPECT_EQ(shortName.find("A Long Folder Name"), std::string::npos) << shortName;
    EXPECT_EQ(ReadWholeFile(shortName), "payload");

    char longAgain[MAX_PATH] = "";
    ASSERT_GT(GetLongPathNameA(shortName.c_str(), longAgain, MAX_PATH), 0u);
    EXPECT_EQ(lstrcmpiA(longAgain, file.c_str()), 0) << longAgain;
}

TEST(PathTest, ShortNameOfMissingFileIsEmpty) {
    TempFolder dir;
    EXPECT_EQ(ExtractShortPathName(dir.File("Not Installed Yet.exe")), "");
    EXPECT_EQ(ExtractShortPathName(""), "");
}

TEST(PathTest, ModuleFileNameIsThisProgram) {
    std::string self = GetModuleFileNameStr();
    ASSERT_GT(self.size(), 15u);
    EXPECT_EQ(lstrcmpiA(self.substr(self.size() - 15).c_str(), "winsys_test.exe"), 0) << self;
}

// The probe's record of how it was started.
std::string WaitForRecord(const std::string& path) {
    WaitFor([&] { return winsys_test::FileThere(path); });
    return ReadWholeFile(path);
}

TEST(LaunchTest, WinExecPassesTheShowMode) {
    TempFolder dir;
    struct Case {
        UINT show;
        const char* expected;
    } cases[] = {{SW_SHOWMINNOACTIVE, "show=7\n"}, {SW_HIDE, "show=0\n"}, {SW_RESTORE, "show=9\n"}};
    int i = 0;
    for (const Case& c : cases) {
        std::string rec = dir.File("rec" + std::to_string(++i) + ".txt");
        UINT rc = ExecCommandLine("\"" + ProbePath() + "\" /record \"" + rec + "\" one two", c.show);
        EXPECT_GT(rc, 31u);
        std::string text = WaitForRecord(rec);
        EXPECT_EQ(text.substr(0, std::strlen(c.expected)), c.expected) << text;
        EXPECT_NE(text.find("args=one|two\n"), std::string::npos) << text;
    }
}

TEST(LaunchTest, WinExecOfMissingProgramReportsAnError) {
    UINT rc = ExecCommandLine("dp_no_such_program_" + winsys_test::RunTag() + ".exe arg", SW_SHOWNORMAL);
    EXPECT_LE(rc, 31u);
}

TEST(LaunchTest, ShellExecuteStartsProgramsInTheGivenFolder) {
    TempFolder dir;
    std::string rec = dir.File("shell.txt");
    INT_PTR rc = ShellExecuteText(nullptr, "open", ProbePath(), "/record \"" + rec + "\" x", dir.Path(), SW_SHOWNORMAL);
    EXPECT_GT(rc, 32);
    std::string text = WaitForRecord(rec);
    EXPECT_EQ(text.substr(0, 7), "show=1\n") << text;
    EXPECT_NE(text.find("args=x\n"), std::string::npos) << text;
    size_t cwd = text.find("cwd=");
    ASSERT_NE(cwd, std::string::npos);
    std::string folder = text.substr(cwd + 4, text.find('\n', cwd) - cwd - 4);
    EXPECT_EQ(lstrcmpiA(folder.c_str(), dir.Path().c_str()), 0) << folder;

    // No verb: the default action, here opening the program as well.
    std::string rec2 = dir.File("shell2.txt");
    EXPECT_GT(ShellExecuteText(nullptr, "", ProbePath(), "/record \"" + rec2 + "\"", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(WaitForRecord(rec2).substr(0, 7), "show=1\n");
}

TEST(LaunchTest, ShellExecuteOfMissingFileFails) {
    TempFolder dir;
    EXPECT_LE(ShellExecuteText(nullptr, "open", dir.File("missing.exe"), "", "", SW_SHOWNORMAL), 32);
}

TEST(LaunchTest, StartProcessWaitsForTheExitCode) {
    TempFolder dir;
    std::string rec = dir.File("proc.txt");
    DWORD code = 0;
    ASSERT_TRUE(StartProcess("\"" + ProbePath() + "\" /record \"" + rec + "\" a", SW_HIDE, &code, dir.Path()));
    EXPECT_EQ(code, 7u);
    // Waited for: the record is complete without polling.
    std::string text = ReadWholeFile(rec);
    EXPECT_EQ(text.substr(0, 7), "show=0\n") << text;
    EXPECT_NE(text.find("args=a\n"), std::string::npos);
    EXPECT_FALSE(StartProcess("dp_no_such_program_" + winsys_test::RunTag() + ".exe", SW_HIDE, &code));
}

}  // namespace
