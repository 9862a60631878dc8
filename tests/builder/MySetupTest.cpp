// The installer writer, checked against the package layout byte by byte and
// read back with the package reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "builder/MySetup.h"
#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"
#include "common/RecordHead.h"
#include "tests/builder/BuilderTestUtil.h"
#include "tests/model/ModelTestUtil.h"

using namespace builder_test;

namespace {

uint32_t U32At(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b.at(at + static_cast<size_t>(i)));
    return v;
}

// A fixed-width text field: the text, then zeros to the end of the field.
void ExpectField(const std::string& b, size_t at, size_t width, const std::string& text, const char* what) {
    ASSERT_LT(text.size(), width);
    EXPECT_EQ(b.substr(at, text.size()), text) << what;
    EXPECT_EQ(b.substr(at + text.size(), width - text.size()), std::string(width - text.size(), '\0')) << what;
}

struct Step {
    int number;
    std::string text;
};

class MySetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        page_ = scratch_.File("Drift Away.html");
        movie_ = scratch_.File("drift.swf");
        picture_ = scratch_.File("back.jpg");
        target_ = scratch_.File("DriftAway.exe");
        WriteWholeFile(page_, "<HTML>page</HTML>\r\n");
        WriteWholeFile(movie_, MovieWithSound());
        WriteWholeFile(picture_, std::string(5000, '\x7F') + "jpeg");
        setupBytes_ = ReadWholeFile(DP_SETUP_STANDIN);
        uninstallBytes_ = ReadWholeFile(DP_UNINSTALL_STANDIN);
    }

    // The package that Create Installer assembles, on a writer that logs its steps.
    void Assemble(TMySetup& s, bool withPicture) {
        setup_ = &s;
        s.SetProgramName("Drift Away");
        s.SetAuthor("A. Author");
        s.SetWebsite("http://drift.example");
        s.SetEmail("me@drift.example");
        s.SetOnStep([this](TObject* sender, int step, const std::string& text) {
            EXPECT_EQ(sender, setup_);
            steps_.push_back({step, text});
        });
        s.AddFile(page_, RootInstallDir, "");
        s.AddFile(movie_, RootInstallDir, "");
        if (withPicture) s.AddFile(picture_, RootInstallDir, "");
        s.AddDirectory(RootInstallDir, "");
        s.AddLink(0, RootInstallDir, "", "", "Drift Away");
        s.AddLink(4, RootInstallDir, "", "Drift Away.html", "");
    }

    ScratchDir scratch_;
    std::string page_, movie_, picture_, target_, setupBytes_, uninstallBytes_;
    std::vector<Step> steps_;
    TObject* setup_ = nullptr;
};

class BuilderPackage : public MySetupTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BuilderPackage, LaidOutByteForByte) {
    const bool withPicture = GetParam();
    TMySetup s(nullptr);
    Assemble(s, withPicture);
    ASSERT_TRUE(s.CreateSetup(target_)) << s.ErrorText();
    EXPECT_TRUE(s.ErrorText().empty());
    const std::string b = ReadWholeFile(target_);

    // 1. the setup program
    ASSERT_GE(b.size(), setupBytes_.size() + PackHeadSize);
    EXPECT_EQ(b.substr(0, setupBytes_.size()), setupBytes_);

    // 2. the stored files, in record order, with no gaps
    std::vector<std::pair<std::string, std::string>> stored = {{"Drift Away.html", ReadWholeFile(page_)},
                                                               {"drift.swf", MovieWithSound()}};
    if (withPicture) stored.push_back({"back.jpg", ReadWholeFile(picture_)});
    stored.push_back({"Uninstall.exe", uninstallBytes_});
    size_t at = setupBytes_.size();
    for (const auto& f : stored) {
        EXPECT_EQ(b.substr(at, f.second.size()), f.second) << f.first;
        at += f.second.size();
    }

    // 7. the head, the last 552 bytes
    const size_t headAt = b.size() - PackHeadSize;
    EXPECT_EQ(b.substr(headAt, 4), std::string("zem\0", 4));
    ExpectField(b, headAt + 4, 256, "Drift Away", "program name");
    ExpectField(b, headAt + 260, 64, "A. Author", "author");
    ExpectField(b, headAt + 324, 64, "me@drift.example", "e-mail");
    ExpectField(b, headAt + 388, 128, "http://drift.example", "web site");
    EXPECT_EQ(b.substr(headAt + 516, 4), std::string(4, '\0'));
    const uint32_t regCount = U32At(b, headAt + 520), regOffset = U32At(b, headAt + 524);
    const uint32_t fileCount = U32At(b, headAt + 528), fileOffset = U32At(b, headAt + 532);
    const uint32_t linkCount = U32At(b, headAt + 536), linkOffset = U32At(b, headAt + 540);
    const uint32_t dirCount = U32At(b, headAt + 544), dirOffset = U32At(b, headAt + 548);

    // 3.-6. the tables, in the order files, folders, links, registry, right after the data
    EXPECT_EQ(fileCount, stored.size());
    EXPECT_EQ(fileOffset, at);
    EXPECT_EQ(dirCount, 1u);
    EXPECT_EQ(dirOffset, fileOffset + fileCount * PackFileRecSize);
    EXPECT_EQ(linkCount, 3u);
    EXPECT_EQ(linkOffset, dirOffset + PackDirRecSize);
    EXPECT_EQ(regCount, 0u);
    EXPECT_EQ(regOffset, linkOffset + 3 * PackLinkRecSize);
    EXPECT_EQ(regOffset, headAt) << "an empty registry table sits where the head begins";

    size_t dataAt = setupBytes_.size();
    for (size_t i = 0; i < stored.size(); ++i) {
        const size_t r = fileOffset + i * PackFileRecSize;
        ExpectField(b, r, 256, stored[i].first, "file name");
        ExpectField(b, r + 256, 256, "InstallDir", "file root");
        ExpectField(b, r + 512, 256, "", "file subfolder");
        EXPECT_EQ(U32At(b, r + 768), dataAt) << stored[i].first;
        EXPECT_EQ(U32At(b, r + 772), stored[i].second.size()) << stored[i].first;
        dataAt += stored[i].second.size();
    }
    EXPECT_EQ(U32At(b, fileOffset + (stored.size() - 1) * PackFileRecSize + 772), uninstallBytes_.size())
        << "Uninstall.exe has the size of the UNINSTALL resource";

    ExpectField(b, dirOffset, 256, "InstallDir", "folder root");
    ExpectField(b, dirOffset + 256, 256, "", "folder subfolder");

    struct LinkExpect {
        uint8_t kind;
        const char* file;
        const char* caption;
    };
    const LinkExpect links[] = {{0, "", "Drift Away"}, {4, "Drift Away.html", ""}, {1, "Uninstall.exe", "Uninstall"}};
    for (size_t i = 0; i < 3; ++i) {
        const size_t r = linkOffset + i * PackLinkRecSize;
        EXPECT_EQ(static_cast<uint8_t>(b[r]), links[i].kind) << "link " << i;
        ExpectField(b, r + 1, 256, "InstallDir", "link root");
        ExpectField(b, r + 257, 256, "", "link subfolder");
        ExpectField(b, r + 513, 256, links[i].file, "link file");
        ExpectField(b, r + 769, 256, links[i].caption, "link caption");
    }

    // The package reader sees the same.
    TFileStream in(target_, fmOpenRead | fmShareDenyNone);
    TPackIndex index;
    ASSERT_TRUE(ReadPackIndex(in, index));
    EXPECT_EQ(GetPackText(index.Head.ProgramName), "Drift Away");
    ASSERT_EQ(index.Files.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(GetPackText(index.Files[i].FileName), stored[i].first);
        EXPECT_EQ(b.substr(index.Files[i].Offset, index.Files[i].Size), stored[i].second);
    }
    ASSERT_EQ(index.Links.size(), 3u);
    EXPECT_EQ(index.Links[2].Kind, 1);
    EXPECT_EQ(index.StepCount(), static_cast<int64_t>(stored.size()) + 4);

    // One step per stored file, then the five closing steps.
    std::vector<Step> expected = {{1, "Add file:" + page_}, {2, "Add file:" + movie_}};
    if (withPicture) expected.push_back({3, "Add file:" + picture_});
    const std::vector<std::string> closing = {"Install file", "Save index", "Save directory",
                                              "Save group",   "Save Reg",   "Create index"};
    for (const std::string& t : closing) expected.push_back({static_cast<int>(expected.size()) + 1, t});
    ASSERT_EQ(steps_.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(steps_[i].number, expected[i].number);
        EXPECT_EQ(steps_[i].text, expected[i].text);
    }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutPicture, BuilderPackage, ::testing::Bool());

TEST_F(MySetupTest, ProgramNameIsTakenWhenWritten) {
    TMySetup s(nullptr);
    Assemble(s, false);
    s.SetProgramName("Renamed Later");
    ASSERT_TRUE(s.CreateSetup(target_));
    const std::string b = ReadWholeFile(target_);
    ExpectField(b, b.size() - PackHeadSize + 4, 256, "Renamed Later", "program name");
}

TEST_F(MySetupTest, LongTextsAreCutAndNeverSpill) {
    TMySetup s(nullptr);
    Assemble(s, false);
    s.SetAuthor(std::string(100, 'a'));
    s.SetEmail(std::string(64, 'e'));
    s.SetWebsite(std::string(200, 'w'));
    ASSERT_TRUE(s.CreateSetup(target_));
    const std::string b = ReadWholeFile(target_);
    const size_t h = b.size() - PackHeadSize;
    ExpectField(b, h + 260, 64, std::string(63, 'a'), "author");
    ExpectField(b, h + 324, 64, std::string(63, 'e'), "e-mail");
    ExpectField(b, h + 388, 128, std::string(127, 'w'), "web site");
}

TEST_F(MySetupTest, PublishedPropertiesReachTheWriter) {
    TMySetup s(nullptr);
    SetStrProp(&s, "ProgramName", "By Name");
    EXPECT_EQ(s.ProgramName(), "By Name");
    int calls = 0;
    SetEventProp(&s, "OnStep", TSetupStepEvent([&](TObject*, int, const std::string&) { ++calls; }));
    s.DoStep(1, "x");
    EXPECT_EQ(calls, 1);
}

// ---------------------------------------------------------------------------
// Failures leave no installer behind

TEST_F(MySetupTest, MissingSourceWritesNothingAndSaysWhich) {
    WriteWholeFile(target_, "the installer of last week");
    TMySetup s(nullptr);
    Assemble(s, false);
    const std::string absent = scratch_.File("gone.swf");
    s.AddFile(absent, RootInstallDir, "");
    EXPECT_FALSE(s.CreateSetup(target_));
    EXPECT_NE(s.ErrorText().find(absent), std::string::npos) << s.ErrorText();
    EXPECT_EQ(ReadWholeFile(target_), "the installer of last week") << "checked before the target is touched";
}

TEST_F(MySetupTest, SourceVanishingWhileWritingLeavesNoPartialInstaller) {
    TMySetup s(nullptr);
    Assemble(s, true);
    // After the first file, the picture goes away.
    s.SetOnStep([this](TObject*, int step, const std::string&) {
        if (step == 1) RemoveFile(picture_);
    });
    EXPECT_FALSE(s.CreateSetup(target_));
    EXPECT_NE(s.ErrorText().find(picture_), std::string::npos) << s.ErrorText();
    EXPECT_FALSE(FileThere(target_));
    EXPECT_EQ(s.WritePackage(*std::make_unique<TStringStream>()), "FileNotExit");
}

TEST_F(MySetupTest, ReadErrorWhileWritingDeletesTheTargetAndNamesTheCause) {
    TMySetup s(nullptr);
    Assemble(s, true);
    HANDLE lock = INVALID_HANDLE_VALUE;
    s.SetOnStep([&](TObject*, int step, const std::string&) {
        if (step == 1) lock = CreateFileA(picture_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    });
    try {
        s.CreateSetup(target_);
        ADD_FAILURE() << "a source that cannot be opened must raise";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(picture_), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find(target_), std::string::npos) << e.Message();
    }
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    EXPECT_FALSE(FileThere(target_));
}

// The names of the files in a folder, sorted.
std::vector<std::string> FolderFiles(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// Replacing an installer the user agreed to replace, with a write that fails after the
// setup program and the first stored file are in the new file: the old one stays byte for
// byte, and the file in the making is gone.
TEST_F(MySetupTest, FailedRewriteKeepsTheOldInstaller) {
    std::string old;
    {
        TMySetup first(nullptr);
        Assemble(first, true);
        first.SetProgramName("Last Week");
        ASSERT_TRUE(first.CreateSetup(target_));
        old = ReadWholeFile(target_);
    }
    const std::vector<std::string> before = FolderFiles(scratch_.Path());
    struct Failure {
        const char* what;
        bool raises;  // else CreateSetup answers false
    };
    for (const Failure f : {Failure{"the picture is deleted", false}, Failure{"the picture is locked", true}}) {
        SCOPED_TRACE(f.what);
        WriteWholeFile(picture_, std::string(5000, '\x7F') + "jpeg");
        TMySetup s(nullptr);
        Assemble(s, true);
        HANDLE lock = INVALID_HANDLE_VALUE;
        int64_t writtenAtFailure = -1;
        s.SetOnStep([&](TObject*, int step, const std::string&) {
            if (step != 1) return;
            writtenAtFailure = FileSizeByName(InstallerTempName(target_));
            if (f.raises)
                lock = CreateFileA(picture_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            else
                RemoveFile(picture_);
        });
        bool result = true;
        bool raised = false;
        try {
            result = s.CreateSetup(target_);
        } catch (const EFOpenError&) {
            raised = true;
        }
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        EXPECT_EQ(raised, f.raises);
        if (!f.raises) {
            EXPECT_FALSE(result);
        }
        EXPECT_GT(writtenAtFailure, static_cast<int64_t>(setupBytes_.size())) << "the failure comes part-way";
        EXPECT_TRUE(ReadWholeFile(target_) == old) << "the old installer, byte for byte";
        WriteWholeFile(picture_, std::string(5000, '\x7F') + "jpeg");
        EXPECT_EQ(FolderFiles(scratch_.Path()), before) << "no temporary file left";
    }
    // And a write that succeeds does replace it.
    TMySetup s(nullptr);
    Assemble(s, true);
    ASSERT_TRUE(s.CreateSetup(target_));
    const std::string now = ReadWholeFile(target_);
    EXPECT_NE(now, old);
    ExpectField(now, now.size() - PackHeadSize + 4, 256, "Drift Away", "program name");
    EXPECT_EQ(FolderFiles(scratch_.Path()), before);
}

TEST_F(MySetupTest, InstallerIsNeverWrittenOverOneOfItsSources) {
    TMySetup s(nullptr);
    Assemble(s, false);
    EXPECT_FALSE(s.CreateSetup(UpperCase(movie_)));
    EXPECT_NE(s.ErrorText().find(movie_), std::string::npos) << s.ErrorText();
    EXPECT_EQ(ReadWholeFile(movie_), MovieWithSound());
}

TEST_F(MySetupTest, InstallerPastFourGigabytesIsRefused) {
    // A sparse file just under 4 GiB: with the setup program and the tables the
    // installer would pass the 32-bit offsets.
    const std::string huge = scratch_.File("huge.swf");
    HANDLE h = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 0xFFFFF000LL;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);

    TMySetup s(nullptr);
    Assemble(s, false);
    s.AddFile(huge, RootInstallDir, "");
    EXPECT_FALSE(s.CreateSetup(target_));
    EXPECT_NE(s.ErrorText().find("4 GB"), std::string::npos) << s.ErrorText();
    EXPECT_FALSE(FileThere(target_));
    RemoveFile(huge);
}

TEST_F(MySetupTest, MissingSetupResourceRaisesAndWritesNothing) {
    TMySetup s(nullptr);
    Assemble(s, false);
    s.SetResourceModule(GetModuleHandleA("kernel32.dll"));
    EXPECT_THROW(s.CreateSetup(target_), EResNotFound);
    EXPECT_FALSE(FileThere(target_));
}

TEST_F(MySetupTest, UnwritableTargetRaisesNamingIt) {
    TMySetup s(nullptr);
    Assemble(s, false);
    const std::string target = scratch_.File("no such folder\\x.exe");
    try {
        s.CreateSetup(target);
        ADD_FAILURE() << "no folder, no installer";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(target), std::string::npos) << e.Message();
    }
}

}  // namespace
