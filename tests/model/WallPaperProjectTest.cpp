// The project file under Wine's real private-profile functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ModelTestUtil.h"
#include "builder/WallPaperClass.h"
#include "classlib/SysUtils.h"

namespace {

// A model whose nineteen stored values all differ from the load defaults and
// from each other where they share a type.
void SetDistinctModel(TDriftpaneClass& m) {
    m.SetFlashFile("C:\\Movies\\Ocean Waves.swf");
    m.SetWallPaperName("Ocean Waves");
    m.SetMovieSize(2);
    m.SetMovieQuality(3);
    m.SetMovieHAligment(2);
    m.SetMovieVAligment(0);
    m.SetWallPaperPosition(1);
    m.SetBackgroundColor(0x00804020);
    m.SetBackgroundPic("C:\\Pictures\\sand & sea.jpg");
    m.SetLoop(false);
    m.SetMuteFlashSound(true);
    m.SetMoviePosition(10);
    m.SetMovieLeft(-12);
    m.SetMovieRight(60);
    m.SetMovieTop(34);
    m.SetMovieBottom(40);
    m.SetAuthor("Ann Author");
    m.SetEmail("ann@example.com");
    m.SetWebsite("http://www.example.com/ann");
}

TEST(ProjectFile, SectionOfAFixedModelMatchesTheFixture) {
    ScratchDir dir;
    TDriftpaneClass m;
    SetDistinctModel(m);
    const std::string path = dir.File("ocean.dpb");
    m.SaveToFile(path);
    EXPECT_EQ(m.ProjectFile, path);
    std::vector<std::string> got, want;
    ASSERT_TRUE(SplitCrLfLines(ReadWholeFile(path), got)) << ReadWholeFile(path);
    ASSERT_TRUE(SplitCrLfLines(ReadWholeFile(DataFile("model/project_section.dpb")), want));
    ASSERT_EQ(want.size(), 20u);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
}

TEST(ProjectFile, SaveThenLoadRestoresEveryValue) {
    ScratchDir dir;
    TDriftpaneClass saved;
    SetDistinctModel(saved);
    const std::string path = dir.File("p.dpb");
    saved.SaveToFile(path);

    TDriftpaneClass m;
    m.LoadFromFile(path);
    EXPECT_EQ(m.ProjectFile, path);
    EXPECT_EQ(m.FlashFile, saved.FlashFile);
    EXPECT_EQ(m.WallPaperName, saved.WallPaperName);
    EXPECT_EQ(m.MovieSize, 2);
    EXPECT_EQ(m.MovieQuality, 3);
    EXPECT_EQ(m.MovieHAligment, 2);
    EXPECT_EQ(m.MovieVAligment, 0);
    EXPECT_EQ(m.WallPaperPosition, 1);
    EXPECT_EQ(m.BackgroundColor, 0x00804020);
    EXPECT_EQ(m.BackgroundPic, saved.BackgroundPic);
    EXPECT_FALSE(m.Loop);
    EXPECT_TRUE(m.MuteFlashSound);
    EXPECT_EQ(m.MoviePosition, 10);
    EXPECT_EQ(m.MovieLeft, -12);
    EXPECT_EQ(m.MovieRight, 60);
    EXPECT_EQ(m.MovieTop, 34);
    EXPECT_EQ(m.MovieBottom, 40);
    EXPECT_EQ(m.Author, saved.Author);
    EXPECT_EQ(m.Email, saved.Email);
    EXPECT_EQ(m.Website, saved.Website);
    // Only quality and the two alignments get fresh texts from a load.
    EXPECT_EQ(m.QualityText, "AutoHight");
    EXPECT_EQ(m.HAlignLetter, "R");
    EXPECT_EQ(m.VAlignLetter, "T");
    EXPECT_EQ(m.ScaleText, "");
    EXPECT_EQ(m.ColorText, "");
    EXPECT_EQ(m.LoopText, "");
    EXPECT_EQ(m.FlashFileName, "");
    EXPECT_EQ(m.PictureFileName, "");
}

TEST(ProjectFile, OtherSectionsAndKeysStayUntouched) {
    ScratchDir dir;
    const std::string path = dir.File("p.dpb");
    WriteWholeFile(path,
                   "; kept comment\r\n"
                   "[Other]\r\n"
                   "Key=Value\r\n"
                   "\r\n"
                   "[Project]\r\n"
                   "Extra=kept\r\n"
                   "MovieSize=1\r\n"
                   "\r\n"
                   "[Last]\r\n"
                   "A=1\r\n");
    TDriftpaneClass m;
    SetDistinctModel(m);
    m.SaveToFile(path);
    const std::string text = ReadWholeFile(path);
    for (const char* kept : {"; kept comment\r\n", "[Other]\r\nKey=Value\r\n", "Extra=kept\r\n", "[Last]\r\nA=1\r\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " missing from\n" << text;
    EXPECT_NE(text.find("MovieSize=2\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("MovieSize=1"), std::string::npos) << text;
    char buf[64];
    GetPrivateProfileStringA("Other", "Key", "", buf, sizeof buf, path.c_str());
    EXPECT_STREQ(buf, "Value");
}

TEST(ProjectFile, MissingKeysGiveTheDefaults) {
    ScratchDir dir;
    const std::string path = dir.File("p.dpb");
    WriteWholeFile(path, "[Project]\r\nFlashFile=C:\\a.swf\r\nMovieLeft=7\r\n");
    TDriftpaneClass m;
    m.SetMovieQuality(4);
    m.SetMovieHAligment(2);
    m.LoadFromFile(path);
    EXPECT_EQ(m.FlashFile, "C:\\a.swf");
    EXPECT_EQ(m.MovieLeft, 7);
    EXPECT_EQ(m.MoviePosition, 5);
    EXPECT_TRUE(m.Loop);
    EXPECT_FALSE(m.MuteFlashSound);
    EXPECT_EQ(m.MovieQuality, 0);
    EXPECT_EQ(m.QualityText, "Low");
    EXPECT_EQ(m.HAlignLetter, "L");
    EXPECT_EQ(m.VAlignLetter, "T");
    EXPECT_EQ(m.WallPaperName, "");
    EXPECT_EQ(m.MovieRight, 0);
}

TEST(ProjectFile, AbsentFileOrSectionGivesAllDefaults) {
    ScratchDir dir;
    for (const char* content : {static_cast<const char*>(nullptr), "[Other]\r\nMoviePosition=1\r\nLoop=0\r\n"}) {
        const std::string path = dir.File("d.dpb");
        if (content) WriteWholeFile(path, content);
        TDriftpaneClass m;
        SetDistinctModel(m);
        m.LoadFromFile(path);
        EXPECT_EQ(m.ProjectFile, path);
        EXPECT_EQ(m.FlashFile, "");
        EXPECT_EQ(m.MovieSize, 0);
        EXPECT_EQ(m.BackgroundColor, 0);
        EXPECT_EQ(m.MoviePosition, 5);
        EXPECT_TRUE(m.Loop);
        EXPECT_FALSE(m.MuteFlashSound);
        EXPECT_EQ(m.MovieLeft, 0);
        EXPECT_EQ(m.Author, "");
        if (!content) {
            EXPECT_FALSE(FileExists(path)) << "loading must not create the file";
        }
    }
}

TEST(ProjectFile, NumbersAndBooleansAsTheyAreRead) {
    struct Case {
        const char* line;
        std::function<void(const TDriftpaneClass&)> check;
    };
    const Case cases[] = {
        {"MoviePosition=abc", [](const TDriftpaneClass& m) { EXPECT_EQ(m.MoviePosition, 5); }},
        {"MoviePosition=", [](const TDriftpaneClass& m) { EXPECT_EQ(m.MoviePosition, 5); }},
        {"MoviePosition=265", [](const TDriftpaneClass& m) { EXPECT_EQ(m.MoviePosition, 9); }},  // low byte
        {"MovieSize=258", [](const TDriftpaneClass& m) { EXPECT_EQ(m.MovieSize, 2); }},
        {"MovieLeft=-40", [](const TDriftpaneClass& m) { EXPECT_EQ(m.MovieLeft, -40); }},
        {"MovieTop=1x", [](const TDriftpaneClass& m) { EXPECT_EQ(m.MovieTop, 0); }},
        {"BackgroundColor=16711680", [](const TDriftpaneClass& m) { EXPECT_EQ(m.BackgroundColor, 0xFF0000); }},
        {"Loop=0", [](const TDriftpaneClass& m) { EXPECT_FALSE(m.Loop); }},
        {"Loop=yes", [](const TDriftpaneClass& m) { EXPECT_TRUE(m.Loop); }},
        {"MuteFlashSound=2", [](const TDriftpaneClass& m) { EXPECT_TRUE(m.MuteFlashSound); }},
        {"MuteFlashSound=-1", [](const TDriftpaneClass& m) { EXPECT_TRUE(m.MuteFlashSound); }},
        {"MuteFlashSound=no", [](const TDriftpaneClass& m) { EXPECT_FALSE(m.MuteFlashSound); }},
        {"MovieQuality=7",
         [](const TDriftpaneClass& m) {
             EXPECT_EQ(m.MovieQuality, 7);
             EXPECT_EQ(m.QualityText, "");
         }},
    };
    ScratchDir dir;
    const std::string path = dir.File("n.dpb");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteWholeFile(path, std::string("[Project]\r\n") + c.line + "\r\n");
        TDriftpaneClass m;
        m.LoadFromFile(path);
        c.check(m);
    }
}

TEST(ProjectFile, PureBlueIsStoredInDecimal) {
    ScratchDir dir;
    TDriftpaneClass m;
    m.SetBackgroundColor(0xFF0000);
    m.SaveToFile(dir.File("b.dpb"));
    EXPECT_NE(ReadWholeFile(dir.File("b.dpb")).find("\r\nBackgroundColor=16711680\r\n"), std::string::npos);
}

TEST(ProjectFile, SaveWithoutAProjectFileWritesNothing) {
    ScratchDir dir;
    TDriftpaneClass m;
    SetDistinctModel(m);
    EXPECT_FALSE(m.Save());
    std::error_code ec;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir.Path() + "\\*.*").c_str(), &fd);
    int entries = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (std::string(fd.cFileName) != "." && std::string(fd.cFileName) != "..") ++entries;
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    EXPECT_EQ(entries, 0);

    // After Clear the project counts as never saved again.
    m.SaveToFile(dir.File("x.dpb"));
    m.Clear();
    EXPECT_FALSE(m.Save());
}

TEST(ProjectFile, UnwritableFileRaisesTheIniError) {
    ScratchDir dir;
    const std::string missing = dir.File("no such folder\\p.dpb");
    TDriftpaneClass m;
    SetDistinctModel(m);
    try {
        m.SaveToFile(missing);
        FAIL() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + missing);
    }
    EXPECT_EQ(m.ProjectFile, missing);

    // A name taken by a folder cannot be written either (a read-only
    // attribute is no test here: the tests may run as the Unix superuser).
    const std::string folder = dir.File("taken.dpb");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    try {
        m.SaveToFile(folder);
        ADD_FAILURE() << "no error for a folder";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + folder);
    }
}

}  // namespace

// What the window reports after opening a project: files that are no project, and each
// value that was missing or unusable with what it became.
TEST(ProjectFile, NotesNameEveryValueThatWasNotUsedAsWritten) {
    ScratchDir dir;
    const std::string full = dir.File("full.dpb");
    TDriftpaneClass m;
    SetDistinctModel(m);
    m.SaveToFile(full);
    EXPECT_TRUE(IsProjectFile(full));
    EXPECT_TRUE(ProjectFileNotes(full).empty());

    // Not a project: text, bytes, another section, nothing at all.
    const struct {
        const char* name;
        std::string bytes;
    } others[] = {{"text.dpb", "just some words\r\n"},
                  {"garbage.dpb", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
                  {"other.dpb", "[Settings]\r\nFlashFile=a.swf\r\n"},
                  {"empty.dpb", ""}};
    for (const auto& o : others) {
        WriteWholeFile(dir.File(o.name), o.bytes);
        EXPECT_FALSE(IsProjectFile(dir.File(o.name))) << o.name;
    }
    EXPECT_FALSE(IsProjectFile(dir.File("missing.dpb")));

    const struct {
        const char* line;  // replaces the key's line; empty: the key is left out
        const char* key;
        const char* note;
    } cases[] = {
        {"MovieSize=7", "MovieSize", "MovieSize=7 is out of range (0 to 2): it became no selection."},
        {"MoviePosition=265", "MoviePosition", "MoviePosition=265 is out of range (0 to 10): it became 9."},
        {"MovieQuality=-1", "MovieQuality", "MovieQuality=-1 is out of range (0 to 4): it became no selection."},
        {"MovieTop=1x", "MovieTop", "MovieTop=1x is not a number: it became 0."},
        {"Loop=yes", "Loop", "Loop=yes is not a number: it became 1."},
        {"", "MoviePosition", "MoviePosition is missing: it became 5."},
        {"", "Author", "Author is missing: it became empty."},
    };
    const std::string text = ReadWholeFile(full);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const std::string key = std::string("\r\n") + c.key + "=";
        const size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos);
        const size_t end = text.find("\r\n", at + 2);
        std::string changed = text.substr(0, at + 2) + c.line + (c.line[0] ? "\r\n" : "") + text.substr(end + 2);
        const std::string path = dir.File("bad.dpb");
        WriteWholeFile(path, changed);
        EXPECT_TRUE(IsProjectFile(path));
        const std::vector<std::string> notes = ProjectFileNotes(path);
        ASSERT_EQ(notes.size(), 1u) << changed;
        EXPECT_EQ(notes[0], c.note);
    }
    // A list left without a selection is stored as 255 and is no fault.
    const std::string none = dir.File("none.dpb");
    m.SetWallPaperPosition(255);
    m.SaveToFile(none);
    EXPECT_TRUE(ProjectFileNotes(none).empty());
    // A file cut short: every key after the cut is named.
    const std::string cut = dir.File("cut.dpb");
    WriteWholeFile(cut, text.substr(0, text.find("MovieLeft")));
    EXPECT_EQ(ProjectFileNotes(cut).size(), 7u);
}
