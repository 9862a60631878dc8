// The package reader, the record rules, the installation record's bytes and
// the self-removal batch, on packages made with the records' own writer.
#include <gtest/gtest.h>

#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "common/WallpaperName.h"
#include "common/uCustomModuleCore.h"
#include "setup/DataExpressCore.h"
#include "tests/install/PackageMaker.h"

namespace {

const std::string kStub = std::string("MZ") + std::string(300, '\x90');

TestPackage SamplePackage() {
    TestPackage p;
    p.Files = {{"Drift Test.html", "InstallDir", "", "<html>page</html>"},
               {"movie.swf", "InstallDir", "", std::string("FWS\x06\0\0", 6)},
               {"empty.txt", "InstallDir", "sub", ""},
               {"Uninstall.exe", "InstallDir", "", "MZuninstaller"}};
    p.Dirs = {MakeDir("InstallDir", ""), MakeDir("InstallDir", "sub")};
    p.Links = {MakeLink(lkCreateGroup, "InstallDir", "", "", "Drift Test"),
               MakeLink(lkWallpaper, "InstallDir", "", "Drift Test.html", ""),
               MakeLink(lkAddItem, "InstallDir", "", "Uninstall.exe", "Uninstall")};
    p.Regs = {MakeReg(0x80000001u, "Software\\DriftTest", "Path", "{InstallDir}\\a;{InstallDir}\\b")};
    return p;
}

bool Load(const std::string& bytes, TPackIndex& index) {
    TStringStream s(bytes);
    return LoadPackIndex(s, index);
}

TEST(PackageReader, ReadsEveryTableOfAGoodPackage) {
    const TestPackage p = SamplePackage();
    const std::string bytes = BuildPackage(kStub, p);
    TPackIndex index;
    ASSERT_TRUE(Load(bytes, index));
    EXPECT_EQ(GetPackText(index.Head.ProgramName), "Drift Test");
    EXPECT_EQ(GetPackText(index.Head.Author), "An Author");
    EXPECT_EQ(GetPackText(index.Head.Email), "a@b.c");
    EXPECT_EQ(GetPackText(index.Head.Website), "http://example.org");
    ASSERT_EQ(index.Files.size(), 4u);
    ASSERT_EQ(index.Dirs.size(), 2u);
    ASSERT_EQ(index.Links.size(), 3u);
    ASSERT_EQ(index.Regs.size(), 1u);
    EXPECT_EQ(index.StepCount(), 10);
    // Each file's data is where its record says.
    for (size_t i = 0; i < p.Files.size(); ++i) {
        EXPECT_EQ(GetPackText(index.Files[i].FileName), p.Files[i].Name);
        EXPECT_EQ(bytes.substr(index.Files[i].Offset, index.Files[i].Size), p.Files[i].Data);
    }
    EXPECT_EQ(GetPackText(index.Files[2].SubFolder), "sub");
    EXPECT_EQ(index.Links[0].Kind, lkCreateGroup);
    EXPECT_EQ(index.Links[1].Kind, lkWallpaper);
    EXPECT_EQ(index.Links[2].Kind, lkAddItem);
    EXPECT_EQ(index.Regs[0].RootKey, 0x80000001u);
    EXPECT_EQ(CheckPackIndex(index, bytes.size() - PackHeadSize), "");
}

TEST(PackageReader, EmptyTablesLoadWithNoSteps) {
    TestPackage p;
    TPackIndex index;
    ASSERT_TRUE(Load(BuildPackage(kStub, p), index));
    EXPECT_EQ(index.StepCount(), 0);
    EXPECT_TRUE(index.Files.empty() && index.Dirs.empty() && index.Links.empty() && index.Regs.empty());
}

// Head field offsets: magic 0, counts and offsets from 520.
enum Field {
    RegCount = 520,
    RegOffset = 524,
    FileCount = 528,
    FileOffset = 532,
    LinkCount = 536,
    LinkOffset = 540,
    DirCount = 544,
    DirOffset = 548
};

struct Malformed {
    const char* what;
    Field field;
    // New value, from the package's size (head included).
    uint32_t (*value)(uint32_t size);
};

class MalformedPackage : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedPackage, RaisesReadErrorAndLoadsNothing) {
    std::string bytes = BuildPackage(kStub, SamplePackage());
    const uint32_t size = static_cast<uint32_t>(bytes.size());
    PutU32(bytes, size - PackHeadSize + GetParam().field, GetParam().value(size));
    TPackIndex index;
    index.Files.resize(1);
    EXPECT_THROW(Load(bytes, index), EReadError) << GetParam().what;
    EXPECT_EQ(index.StepCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MalformedPackage,
    ::testing::Values(Malformed{"oversized file count", FileCount, [](uint32_t) { return 0xFFFFFFFFu; }},
                      Malformed{"oversized registry count", RegCount, [](uint32_t) { return 0x00300000u; }},
                      Malformed{"file table past the end", FileOffset, [](uint32_t s) { return s; }},
                      Malformed{"folder offset far past the end", DirOffset, [](uint32_t) { return 0xFFFFFF00u; }},
                      Malformed{"link table reaching into the head", LinkOffset,
                                [](uint32_t s) { return s - static_cast<uint32_t>(PackHeadSize) - 1025 * 3 + 1; }},
                      Malformed{"registry table overlapping the head", RegOffset,
                                [](uint32_t s) { return s - static_cast<uint32_t>(PackHeadSize); }},
                      // 4190213 x 1025 wraps to 1029 in 32 bits.
                      Malformed{"count whose table size wraps 32 bits", LinkCount, [](uint32_t) { return 4190213u; }}));

TEST(PackageReader, ShortFileRaisesReadError) {
    TPackIndex index;
    EXPECT_THROW(Load(std::string("zem") + std::string(100, '\0'), index), EReadError);
    EXPECT_THROW(Load(std::string(), index), EReadError);
}

TEST(PackageReader, MagicIsCaseSensitiveAndNulTerminated) {
    struct Case {
        const char* magic;
        bool loads;
    } cases[] = {{"zem\0", true}, {"ZEM\0", false}, {"zemX", false}, {"ze\0\0", false}, {"\0zem", false}};
    for (const Case& c : cases) {
        std::string bytes = BuildPackage(kStub, SamplePackage());
        bytes.replace(bytes.size() - PackHeadSize, 4, std::string(c.magic, 4));
        TPackIndex index;
        EXPECT_EQ(Load(bytes, index), c.loads) << c.magic;
        if (!c.loads) {
            EXPECT_EQ(index.StepCount(), 0);
        }
    }
}

// --- record rules

TEST(PackageCheck, NamesTheFirstBadRecord) {
    struct Case {
        const char* what;
        void (*spoil)(TestPackage&);
        const char* mentions;
    } cases[] = {
        {"parent folder in a file name", [](TestPackage& p) { p.Files[1].Name = "..\\evil.dll"; }, "file record 2"},
        {"forward slash", [](TestPackage& p) { p.Files[0].Name = "a/b"; }, "file record 1"},
        {"drive in a name", [](TestPackage& p) { p.Files[0].Name = "C:x"; }, "file record 1"},
        {"dot name", [](TestPackage& p) { p.Files[3].Name = "."; }, "file record 4"},
        {"dot-dot name", [](TestPackage& p) { p.Files[3].Name = ".."; }, "file record 4"},
        {"control character", [](TestPackage& p) { p.Files[0].Name = "a\tb"; }, "file record 1"},
        {"empty name", [](TestPackage& p) { p.Files[0].Name = ""; }, "file record 1"},
        {"unknown root", [](TestPackage& p) { p.Files[2].Root = "TempDir"; }, "unknown root \"TempDir\""},
        {"root in other case", [](TestPackage& p) { p.Files[2].Root = "installdir"; }, "file record 3"},
        {"subfolder climbing up", [](TestPackage& p) { p.Files[2].Sub = "sub\\..\\.."; }, "file record 3"},
        {"absolute subfolder", [](TestPackage& p) { p.Files[2].Sub = "\\Windows"; }, "file record 3"},
        {"drive subfolder", [](TestPackage& p) { p.Files[2].Sub = "C:\\x"; }, "file record 3"},
        {"empty part", [](TestPackage& p) { p.Files[2].Sub = "a\\\\b"; }, "file record 3"},
        {"trailing separator", [](TestPackage& p) { p.Files[2].Sub = "a\\"; }, "file record 3"},
        {"folder climbing up", [](TestPackage& p) { p.Dirs[1] = MakeDir("InstallDir", ".."); }, "folder record 2"},
        {"folder with unknown root", [](TestPackage& p) { p.Dirs[0] = MakeDir("ProgramDir", ""); }, "folder record 1"},
        {"group caption with a quote", [](TestPackage& p) { p.Links[0] = MakeLink(0, "", "", "", "a\"b"); },
         "link record 1"},
        {"group caption climbing up", [](TestPackage& p) { p.Links[0] = MakeLink(0, "", "", "", ".."); },
         "link record 1"},
        {"group caption with a separator", [](TestPackage& p) { p.Links[0] = MakeLink(0, "", "", "", "..\\x"); },
         "link record 1"},
        {"item caption with a line feed",
         [](TestPackage& p) { p.Links[2] = MakeLink(1, "InstallDir", "", "Uninstall.exe", "a\nb"); }, "link record 3"},
        {"item file with a quote", [](TestPackage& p) { p.Links[2] = MakeLink(1, "InstallDir", "", "u\".exe", "U"); },
         "link record 3"},
        {"wallpaper outside its root",
         [](TestPackage& p) { p.Links[1] = MakeLink(4, "InstallDir", "..", "x.html", ""); }, "link record 2"},
        {"wallpaper with unknown root", [](TestPackage& p) { p.Links[1] = MakeLink(4, "Desktop", "", "x.html", ""); },
         "link record 2"},
        {"registry root not predefined", [](TestPackage& p) { p.Regs[0].RootKey = 0x12345678u; }, "registry record 1"},
        {"program name with a separator", [](TestPackage& p) { p.ProgramName = "a\\..\\b"; }, "wallpaper name"},
        {"empty program name", [](TestPackage& p) { p.ProgramName = ""; }, "wallpaper name"},
    };
    for (const Case& c : cases) {
        TestPackage p = SamplePackage();
        c.spoil(p);
        const std::string bytes = BuildPackage(kStub, p);
        TPackIndex index;
        ASSERT_TRUE(Load(bytes, index)) << c.what;
        const std::string msg = CheckPackIndex(index, bytes.size() - PackHeadSize);
        EXPECT_NE(msg.find(c.mentions), std::string::npos) << c.what << ": " << msg;
    }
}

TEST(PackageCheck, ProgramNameMustEndInsideItsField) {
    // All 256 bytes used: the installation record could not hold the name whole.
    std::string bytes = BuildPackage(kStub, SamplePackage());
    bytes.replace(bytes.size() - PackHeadSize + 4, 256, std::string(256, 'n'));
    TPackIndex index;
    ASSERT_TRUE(Load(bytes, index));
    EXPECT_NE(CheckPackIndex(index, bytes.size() - PackHeadSize).find("too long"), std::string::npos);
    // The longest name the builder's rule takes.
    bytes[bytes.size() - PackHeadSize + 4 + MaxWallpaperNameLength] = '\0';
    ASSERT_TRUE(Load(bytes, index));
    EXPECT_EQ(CheckPackIndex(index, bytes.size() - PackHeadSize), "");
}

TEST(PackageCheck, BracketsParenthesesAndCommasAreCarried) {
    const char* const names[] = {"Sunset (HD)", "Waves, calm", "[Blue]", "a)b(c", "Rock & Roll; 100% {x}!"};
    for (const char* name : names) {
        TestPackage p = SamplePackage();
        p.ProgramName = name;
        p.Files[0].Name = std::string(name) + ".html";
        p.Links[0] = MakeLink(lkCreateGroup, "InstallDir", "", "", name);
        p.Links[1] = MakeLink(lkWallpaper, "InstallDir", "", std::string(name) + ".html", "");
        p.Links[2] = MakeLink(lkAddItem, "InstallDir", "x], (y)", "Uninstall.exe", name);
        const std::string bytes = BuildPackage(kStub, p);
        TPackIndex index;
        ASSERT_TRUE(Load(bytes, index)) << name;
        EXPECT_EQ(CheckPackIndex(index, bytes.size() - PackHeadSize), "") << name;
    }
}

TEST(PackageCheck, UnusedLinkFieldsAreNotChecked) {
    TestPackage p = SamplePackage();
    p.Links.push_back(MakeLink(lkNothing, "Nowhere", "..", "a\\b", "(x)"));
    p.Links.push_back(MakeLink(77, "Nowhere", "..", "a\\b", "(x)"));
    p.Links[0] = MakeLink(lkCreateGroup, "Nowhere", "..", "", "Group");
    const std::string bytes = BuildPackage(kStub, p);
    TPackIndex index;
    ASSERT_TRUE(Load(bytes, index));
    EXPECT_EQ(CheckPackIndex(index, bytes.size() - PackHeadSize), "");
}

TEST(PackageCheck, FileDataMustLieInsideThePackage) {
    const std::string bytes = BuildPackage(kStub, SamplePackage());
    TPackIndex index;
    ASSERT_TRUE(Load(bytes, index));
    const uint64_t limit = bytes.size() - PackHeadSize;
    index.Files[1].Size = 0xFFFFFFFFu;
    EXPECT_NE(CheckPackIndex(index, limit).find("file record 2"), std::string::npos);
    index.Files[1].Size = 1;
    index.Files[1].Offset = static_cast<uint32_t>(limit);
    EXPECT_NE(CheckPackIndex(index, limit).find("file record 2"), std::string::npos);
    index.Files[1].Offset = static_cast<uint32_t>(limit - 1);
    EXPECT_EQ(CheckPackIndex(index, limit), "");
}

TEST(PathRules, SubFoldersAndNames) {
    EXPECT_TRUE(IsRelativeSubFolder(""));
    EXPECT_TRUE(IsRelativeSubFolder("a"));
    EXPECT_TRUE(IsRelativeSubFolder("a b\\c.d\\...x"));
    EXPECT_FALSE(IsRelativeSubFolder("a\\.\\b"));
    EXPECT_FALSE(IsRelativeSubFolder("\\\\server\\share"));
    EXPECT_TRUE(IsPlainFileName("Drift Test.html"));
    EXPECT_TRUE(IsPlainFileName("..x"));
    EXPECT_FALSE(IsPlainFileName(std::string("a\x7f", 2)));
    for (const char* good : {"C:\\Program Files (x86)\\Drift, [HD]\\Uninstall.exe", "a[b]", "(a,b)", ""})
        EXPECT_TRUE(IsDdeSafeText(good)) << good;
    for (const char* bad : {"a\"b", "a\nb", "a\tb", "\x7f"}) EXPECT_FALSE(IsDdeSafeText(bad)) << bad;
}

TEST(ProgmanMacros, EveryArgumentIsQuoted) {
    EXPECT_EQ(CreateGroupMacro("Sunset (HD), [Blue]"),
              "[CreateGroup(\"Sunset (HD), [Blue]\",\"Sunset (HD), [Blue]\")]");
    EXPECT_EQ(AddItemMacro("C:\\Program Files (x86)\\W, 1\\Uninstall.exe", "Uninstall"),
              "[AddItem(\"C:\\Program Files (x86)\\W, 1\\Uninstall.exe\",\"Uninstall\")]");
    EXPECT_EQ(DeleteGroupMacro("[Blue]"), "[DeleteGroup(\"[Blue]\")]");
    EXPECT_TRUE(IsLinkCaption("Sunset (HD)"));
    for (const char* bad : {"", ".", "..", "a\\b", "a\"b", "a:b"}) EXPECT_FALSE(IsLinkCaption(bad)) << bad;
}

TEST(InstallTexts, OnlyTheFirstInstallDirIsReplaced) {
    EXPECT_EQ(ReplaceFirstInstallDir("{InstallDir}\\a;{InstallDir}\\b", "C:\\D"), "C:\\D\\a;{InstallDir}\\b");
    EXPECT_EQ(ReplaceFirstInstallDir("x{installdir}", "C:\\D"), "x{installdir}");
    EXPECT_EQ(ReplaceFirstInstallDir("{InstallDir}", ""), "");
    EXPECT_EQ(ReplaceFirstInstallDir("none", "C:\\D"), "none");
}

TEST(InstallTexts, OneTrailingBackslashGoes) {
    EXPECT_EQ(StripOneTrailingBackslash("C:\\"), "C:");
    EXPECT_EQ(StripOneTrailingBackslash("C:\\x\\\\"), "C:\\x\\");
    EXPECT_EQ(StripOneTrailingBackslash("C:\\x"), "C:\\x");
    EXPECT_EQ(StripOneTrailingBackslash(""), "");
    EXPECT_EQ(JoinSubFolder("C:", ""), "C:");
    EXPECT_EQ(JoinSubFolder("C:\\a", "b\\c"), "C:\\a\\b\\c");
}

// --- installation record

TEST(UninstallData, MatchesTheLayoutByteForByte) {
    const TestPackage p = SamplePackage();
    const std::string bytes = BuildPackage(kStub, p);
    TPackIndex index;
    ASSERT_TRUE(Load(bytes, index));
    TStringStream out;
    WriteUninstallData(out, index);
    const std::string& rec = out.DataString();
    EXPECT_EQ(rec.size(), 4 * 776 + 2 * 512 + 3 * 1025 + 1668 + 552u);
    EXPECT_EQ(rec, ExpectedUninstallData(p, static_cast<uint32_t>(kStub.size())));
    // The record reads back like a package.
    TPackIndex back;
    ASSERT_TRUE(Load(rec, back));
    EXPECT_EQ(back.StepCount(), 10);
    EXPECT_EQ(GetPackText(back.Head.Author), "");
}

TEST(UninstallData, EmptyTablesSitAtTheEndOfThePrecedingOne) {
    TestPackage p;
    p.Files = {{"a.txt", "InstallDir", "", "abc"}};
    const std::string bytes = BuildPackage(kStub, p);
    TPackIndex index;
    ASSERT_TRUE(Load(bytes, index));
    TStringStream out;
    WriteUninstallData(out, index);
    const std::string& rec = out.DataString();
    ASSERT_EQ(rec.size(), 776 + 552u);
    EXPECT_EQ(rec, ExpectedUninstallData(p, static_cast<uint32_t>(kStub.size())));
    for (Field f : {DirOffset, LinkOffset, RegOffset}) EXPECT_EQ(GetU32(rec, 776 + f), 776u);
}

// --- self-removal batch

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos) break;
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

TEST(DelmeBatch, TriesABoundedNumberOfTimesThenRemovesTheFolderAndItself) {
    const std::string exe = "\"C:\\Program Files (x86)\\Drift (Test)\\Uninstall.exe\"";
    const std::vector<std::string> lines = Lines(DelmeBatchText(
        "C:\\Program Files (x86)\\Drift (Test)\\Uninstall.exe", "C:\\Program Files (x86)\\Drift (Test)\\",
        "C:\\Temp\\delme.bat", "C:\\Temp", "C:\\windows\\system32\\"));
    std::vector<std::string> want = {"@echo off"};
    for (int i = 0; i < DelmeTries; ++i) {
        want.push_back("if exist " + exe + " del " + exe);
        if (i + 1 < DelmeTries)
            want.push_back("if exist " + exe + " \"C:\\windows\\system32\\ping.exe\" -n 2 127.0.0.1 >nul");
    }
    want.push_back("cd /d \"C:\\Temp\"");
    want.push_back("rd \"C:\\Program Files (x86)\\Drift (Test)\"");
    want.push_back("del \"C:\\Temp\\delme.bat\"");
    EXPECT_EQ(lines, want);
    // No line jumps back: the batch ends whether or not the uninstaller ever goes.
    for (const std::string& line : lines) EXPECT_EQ(line.find("goto"), std::string::npos) << line;
}

TEST(DelmeBatch, PercentSignsStayLiteral) {
    const std::string text =
        DelmeBatchText("C:\\100% Drift\\Uninstall.exe", "C:\\100% Drift", "C:\\T\\delme.bat", "C:\\T", "C:\\W\\S");
    EXPECT_NE(text.find("rd \"C:\\100%% Drift\""), std::string::npos);
    // No lone percent sign is left for the batch to expand.
    EXPECT_EQ(StringReplace(text, "%%", "", rfReplaceAll).find('%'), std::string::npos);
    EXPECT_EQ(text.find("/s"), std::string::npos);
}

TEST(UninstallLeft, NamesEveryItemAndWhereTheUninstallerStays) {
    const std::string text = UninstallLeftText({"C:\\W\\movie.swf", "the desktop wallpaper: refused"}, "C:\\W\\");
    EXPECT_NE(text.find("\r\n    C:\\W\\movie.swf\r\n    the desktop wallpaper: refused\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("stay in C:\\W: "), std::string::npos) << text;
    EXPECT_NE(text.find("run Uninstall again"), std::string::npos) << text;
}

// --- version code

TEST(WinVersion, CodesFromTheReportedNumbers) {
    struct Case {
        bool nt;
        uint32_t major, minor, build;
        int code;
    } cases[] = {
        {true, 5, 0, 2195, 6},          {true, 5, 1, 2600, 8},          {true, 6, 0, 6000, 6},
        {true, 6, 1, 7601, 8},          {true, 10, 0, 19045, 6},        {true, 4, 0, 1381, 1},
        {true, 3, 51, 1057, 0},         {false, 3, 10, 0, 0},           {false, 4, 0, 950, 2},
        {false, 4, 0, 1111, 3},         {false, 4, 10, 1998, 4},        {false, 4, 10, 2222, 5},
        {false, 4, 10, 0x040A08AEu, 5}, {false, 4, 10, 0xFFFF0001u, 4}, {false, 4, 90, 3000, 7},
        {false, 4, 89, 0, 4},           {false, 4, 9, 0x0000FFFFu, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WinVersionCode(c.nt, c.major, c.minor, c.build), c.code)
            << c.nt << " " << c.major << "." << c.minor << " build " << c.build;
}

}  // namespace
