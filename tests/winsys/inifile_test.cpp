#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "classlib/IniFiles.h"
#include "winsys_test_util.h"

namespace {

using winsys_test::FileThere;
using winsys_test::ReadWholeFile;
using winsys_test::TempFolder;
using winsys_test::WriteWholeFile;

std::string RawRead(const std::string& file, const char* section, const char* key) {
    char buf[4096] = "";
    GetPrivateProfileStringA(section, key, "<none>", buf, sizeof(buf), file.c_str());
    return buf;
}

std::string WriteErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EIniFileException& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

TEST(IniFileTest, ValuesRoundTripThroughAFreshObject) {
    TempFolder dir;
    std::string path = dir.File("project.dpb");
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.FileName(), path);
        ini.WriteString("Project", "FlashFile", "C:\\movies\\a b.swf");
        ini.WriteInteger("Project", "MovieLeft", -12);
        ini.WriteInteger("Project", "BackgroundColor", 16711680);
        ini.WriteBool("Project", "Loop", true);
        ini.WriteBool("Project", "MuteFlashSound", false);
    }
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Project", "FlashFile", ""), "C:\\movies\\a b.swf");
    EXPECT_EQ(ini.ReadInteger("Project", "MovieLeft", 0), -12);
    EXPECT_EQ(ini.ReadInteger("Project", "BackgroundColor", 0), 16711680);
    EXPECT_TRUE(ini.ReadBool("Project", "Loop", false));
    EXPECT_FALSE(ini.ReadBool("Project", "MuteFlashSound", true));

    std::string text = ReadWholeFile(path);
    EXPECT_NE(text.find("[Project]"), std::string::npos);
    EXPECT_NE(text.find("BackgroundColor=16711680"), std::string::npos);
    EXPECT_NE(text.find("MovieLeft=-12"), std::string::npos);
    EXPECT_NE(text.find("Loop=1"), std::string::npos);
    EXPECT_NE(text.find("MuteFlashSound=0"), std::string::npos);
}

TEST(IniFileTest, WritesLeaveOtherSectionsKeysAndCommentsAlone) {
    TempFolder dir;
    std::string path = dir.File("mixed.ini");
    WriteWholeFile(path,
                   "; kept comment\r\n[Other]\r\nFlashFile=other.swf\r\nA=1\r\n[Project]\r\nAuthor=me\r\n"
                   "FlashFile=old.swf\r\n[Tail]\r\nZ=last\r\n");
    TIniFile ini(path);
    ini.WriteString("Project", "FlashFile", "new.swf");
    ini.WriteString("Project", "Website", "http://example.org");
    ini.WriteInteger("Fresh", "N", 3);
    ini.UpdateFile();

    EXPECT_EQ(RawRead(path, "Project", "FlashFile"), "new.swf");
    EXPECT_EQ(RawRead(path, "Project", "Website"), "http://example.org");
    EXPECT_EQ(RawRead(path, "Project", "Author"), "me");
    EXPECT_EQ(RawRead(path, "Other", "FlashFile"), "other.swf");
    EXPECT_EQ(RawRead(path, "Other", "A"), "1");
    EXPECT_EQ(RawRead(path, "Tail", "Z"), "last");
    EXPECT_EQ(RawRead(path, "Fresh", "N"), "3");
    EXPECT_NE(ReadWholeFile(path).find("; kept comment"), std::string::npos);
}

TEST(IniFileTest, IntegersThatAreNotNumbersGiveTheDefault) {
    TempFolder dir;
    std::string path = dir.File("ints.ini");
    WriteWholeFile(path,
                   "[S]\r\nDec=12\r\nNeg=-7\r\nHex0x=0x1F\r\nHexDollar=$10\r\nWord=abc\r\nEmpty=\r\nTrail=12abc\r\n"
                   "Blanks=   5   \r\nBig=99999999999\r\n");
    struct Case {
        const char* key;
        int32_t expected;
    } cases[] = {
        {"Dec", 12},   {"Neg", -7},   {"Hex0x", 31}, {"HexDollar", 16}, {"Word", 42},
        {"Empty", 42}, {"Trail", 42}, {"Blanks", 5}, {"Big", 42},       {"Missing", 42},
    };
    TIniFile ini(path);
    for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger("S", c.key, 42), c.expected) << c.key;
    EXPECT_EQ(ini.ReadInteger("NoSection", "Dec", 5), 5);
}

TEST(IniFileTest, BooleansReadAnyNonZeroNumberAsTrue) {
    TempFolder dir;
    std::string path = dir.File("bools.ini");
    WriteWholeFile(path, "[S]\r\nOne=1\r\nZero=0\r\nTwo=2\r\nMinus=-1\r\nYes=yes\r\nTrue=True\r\n");
    struct Case {
        const char* key;
        bool def;
        bool expected;
    } cases[] = {
        {"One", false, true},   {"Zero", true, false},   {"Two", false, true},
        {"Minus", false, true}, {"Yes", true, true},     {"Yes", false, false},
        {"True", false, false}, {"Missing", true, true}, {"Missing", false, false},
    };
    TIniFile ini(path);
    for (const Case& c : cases) EXPECT_EQ(ini.ReadBool("S", c.key, c.def), c.expected) << c.key << " def " << c.def;
}

TEST(IniFileTest, MissingFileReadsDefaultsAndStaysMissing) {
    TempFolder dir;
    std::string path = dir.File("none.dpb");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Project", "FlashFile", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Project", "MoviePosition", 5), 5);
    EXPECT_TRUE(ini.ReadBool("Project", "Loop", true));
    EXPECT_FALSE(ini.SectionExists("Project"));
    EXPECT_FALSE(ini.ValueExists("Project", "Loop"));
    EXPECT_FALSE(FileThere(path));
}

TEST(IniFileTest, FailedWritesRaiseWithThePath) {
    TempFolder dir;
    std::string missingFolder = dir.File("no such folder\\p.dpb");
    std::string aFolder = dir.Path();
    struct Case {
        const char* what;
        std::string path;
    } cases[] = {{"missing folder", missingFolder}, {"path names a folder", aFolder}};
    for (const Case& c : cases) {
        TIniFile ini(c.path);
        std::string expected = "Unable to write to " + c.path;
        EXPECT_EQ(WriteErrorOf([&] { ini.WriteString("Project", "FlashFile", "x"); }), expected) << c.what;
        EXPECT_EQ(WriteErrorOf([&] { ini.WriteInteger("Project", "MovieLeft", 1); }), expected) << c.what;
        EXPECT_EQ(WriteErrorOf([&] { ini.WriteBool("Project", "Loop", true); }), expected) << c.what;
        EXPECT_EQ(WriteErrorOf([&] { ini.EraseSection("Project"); }), expected) << c.what;
    }
    // Erasing from a file that is not there yet is no error.
    TIniFile fresh(dir.File("fresh.ini"));
    EXPECT_EQ(WriteErrorOf([&] { fresh.EraseSection("Project"); }), "(nothing raised)");
    EXPECT_FALSE(winsys_test::FolderThere(dir.File("no such folder")));
}

TEST(IniFileTest, FileHeldOpenByAnotherHandleRaisesOnWrite) {
    TempFolder dir;
    std::string path = dir.File("locked.dpb");
    WriteWholeFile(path, "[Project]\r\nFlashFile=a.swf\r\n");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    TIniFile ini(path);
    EXPECT_EQ(WriteErrorOf([&] { ini.WriteString("Project", "FlashFile", "b.swf"); }), "Unable to write to " + path);
    CloseHandle(lock);
    EXPECT_EQ(RawRead(path, "Project", "FlashFile"), "a.swf");
}

TEST(IniFileTest, ReadOnlyFileRaisesOnWrite) {
    TempFolder dir;
    std::string path = dir.File("ro.dpb");
    WriteWholeFile(path, "[Project]\r\nFlashFile=a.swf\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "this process may write read-only files (Wine run as root)";
    }
    TIniFile ini(path);
    EXPECT_EQ(WriteErrorOf([&] { ini.WriteString("Project", "FlashFile", "b.swf"); }), "Unable to write to " + path);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(RawRead(path, "Project", "FlashFile"), "a.swf");
}

TEST(IniFileTest, BareFileNameLivesInTheWindowsFolder) {
    std::string name = "dp_winsys_" + winsys_test::RunTag() + ".ini";
    char windows[MAX_PATH] = "";
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string full = std::string(windows) + "\\" + name;
    {
        TIniFile ini(name);
        ini.WriteString("boot", "SCRNSAVE.EXE", "C:\\X.SCR");
    }
    EXPECT_TRUE(FileThere(full));
    EXPECT_EQ(TIniFile(full).ReadString("boot", "SCRNSAVE.EXE", ""), "C:\\X.SCR");
    EXPECT_EQ(TIniFile(name).ReadString("boot", "SCRNSAVE.EXE", ""), "C:\\X.SCR");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, full.c_str());
    DeleteFileA(full.c_str());
}

TEST(IniFileTest, LongValuesAreNotCut) {
    TempFolder dir;
    std::string path = dir.File("long.ini");
    std::string value;
    for (int i = 0; i < 6000; ++i) value += static_cast<char>('a' + i % 26);
    TIniFile ini(path);
    ini.WriteString("S", "Long", value);
    EXPECT_EQ(ini.ReadString("S", "Long", ""), value);
}

TEST(IniFileTest, SectionsAndKeysCanBeListedTestedAndRemoved) {
    TempFolder dir;
    std::string path = dir.File("lists.ini");
    WriteWholeFile(path, "[First]\r\nB=2\r\nA=1\r\n[Second]\r\nC=3\r\n[Third]\r\nD=4\r\nE=5\r\n");
    TIniFile ini(path);

    TStringList sections;
    ini.ReadSections(sections);
    ASSERT_EQ(sections.Count(), 3);
    EXPECT_EQ(sections[0], "First");
    EXPECT_EQ(sections[2], "Third");

    TStringList keys;
    ini.ReadSection("First", keys);
    ASSERT_EQ(keys.Count(), 2);
    EXPECT_EQ(keys[0], "B");
    EXPECT_EQ(keys[1], "A");

    TStringList values;
    ini.ReadSectionValues("Third", values);
    ASSERT_EQ(values.Count(), 2);
    EXPECT_EQ(values[0], "D=4");
    EXPECT_EQ(values[1], "E=5");

    EXPECT_TRUE(ini.SectionExists("second"));
    EXPECT_TRUE(ini.ValueExists("First", "a"));
    EXPECT_FALSE(ini.ValueExists("First", "C"));

    ini.EraseSection("Second");
    ini.DeleteKey("Third", "D");
    EXPECT_FALSE(ini.SectionExists("Second"));
    EXPECT_EQ(RawRead(path, "Second", "C"), "<none>");
    EXPECT_EQ(RawRead(path, "Third", "D"), "<none>");
    EXPECT_EQ(RawRead(path, "Third", "E"), "5");
    EXPECT_EQ(RawRead(path, "First", "B"), "2");
}

}  // namespace
