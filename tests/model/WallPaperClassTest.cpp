// The wallpaper model: setters and their derived texts, Clear, and the page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelTestUtil.h"
#include "builder/WallPaperClass.h"
#include "classlib/SysUtils.h"

namespace {

TEST(WallPaperModel, FreshObjectHasEveryFieldEmpty) {
    TDriftpaneClass m;
    for (const std::string* t : {&m.ColorText, &m.FlashFileName, &m.QualityText, &m.LoopText, &m.ScaleText,
                                 &m.PositionText, &m.PictureFileName, &m.RepeatText, &m.HAlignLetter, &m.VAlignLetter,
                                 &m.ProjectFile, &m.FlashFile, &m.WallPaperName})
        EXPECT_EQ(*t, "");
    EXPECT_FALSE(m.Loop);
    EXPECT_FALSE(m.MuteFlashSound);
    EXPECT_EQ(m.BackgroundColor, 0);
    EXPECT_EQ(m.MoviePosition, 0);
    EXPECT_EQ(m.MovieQuality, 0);
    EXPECT_EQ(m.SavedWallpaperOptions.dwSize, 0u);
}

TEST(WallPaperModel, QualityWords) {
    struct Case {
        uint8_t value;
        const char* word;
    };
    const Case cases[] = {{0, "Low"}, {1, "High"}, {2, "AutoLow"}, {3, "AutoHight"}, {4, "Best"}};
    for (const Case& c : cases) {
        TDriftpaneClass m;
        m.SetMovieQuality(c.value);
        EXPECT_EQ(m.QualityText, c.word);
        EXPECT_EQ(m.MovieQuality, c.value);
    }
}

TEST(WallPaperModel, ValuesOutsideATableStoreTheValueAndKeepTheText) {
    TDriftpaneClass m;
    m.SetMovieQuality(2);
    m.SetMovieSize(2);
    m.SetMovieHAligment(0);
    m.SetMovieVAligment(2);
    m.SetWallPaperPosition(1);
    for (uint8_t v : {uint8_t(5), uint8_t(7), uint8_t(255)}) {
        m.SetMovieQuality(v);
        EXPECT_EQ(m.MovieQuality, v);
        EXPECT_EQ(m.QualityText, "AutoLow");
    }
    for (uint8_t v : {uint8_t(3), uint8_t(200)}) {
        m.SetMovieSize(v);
        EXPECT_EQ(m.MovieSize, v);
        EXPECT_EQ(m.ScaleText, "noscale");
        m.SetMovieHAligment(v);
        EXPECT_EQ(m.MovieHAligment, v);
        EXPECT_EQ(m.HAlignLetter, "L");
        m.SetMovieVAligment(v);
        EXPECT_EQ(m.MovieVAligment, v);
        EXPECT_EQ(m.VAlignLetter, "B");
        m.SetWallPaperPosition(v);
        EXPECT_EQ(m.WallPaperPosition, v);
        EXPECT_EQ(m.RepeatText, "no-repeat");
        EXPECT_EQ(m.PositionText, "Stretch");
    }
}

TEST(WallPaperModel, ScaleAlignmentAndPictureTables) {
    // The list's first entry reads "Exact Fit" but writes "showall".
    const char* scale[] = {"showall", "exactfit", "noscale"};
    const char* h[] = {"L", "C", "R"};
    const char* v[] = {"T", "C", "B"};
    const char* repeat[] = {"no-repeat", "no-repeat", "repeat"};
    const char* pos[] = {"Center", "Stretch", "Tile"};
    for (uint8_t i = 0; i < 3; ++i) {
        TDriftpaneClass m;
        m.SetMovieSize(i);
        m.SetMovieHAligment(i);
        m.SetMovieVAligment(i);
        m.SetWallPaperPosition(i);
        EXPECT_EQ(m.ScaleText, scale[i]);
        EXPECT_EQ(m.HAlignLetter, h[i]);
        EXPECT_EQ(m.VAlignLetter, v[i]);
        EXPECT_EQ(m.RepeatText, repeat[i]);
        EXPECT_EQ(m.PositionText, pos[i]);
        EXPECT_EQ(m.MovieSize, i);
    }
}

TEST(WallPaperModel, ColourText) {
    struct Case {
        int32_t color;
        const char* text;
    };
    const Case cases[] = {
        {0x000000, "#000000"},
        {0x0000FF, "#FF0000"},  // red is the lowest byte
        {0x00FF00, "#00FF00"},
        {0x800000, "#000080"},
        {0xFFFFFF, "#FFFFFF"},
        {0x00ABCDEF, "#EFCDAB"},
        {static_cast<int32_t>(0xFF00000Fu), "#0F0000"},  // the top byte is not shown
    };
    for (const Case& c : cases) {
        TDriftpaneClass m;
        m.SetBackgroundColor(c.color);
        EXPECT_EQ(m.ColorText, c.text);
        EXPECT_EQ(m.BackgroundColor, c.color);
    }
}

TEST(WallPaperModel, FileNameParts) {
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"C:\\Movies\\Ocean.swf", "Ocean.swf"},    {"Ocean.swf", "Ocean.swf"}, {"C:Ocean.swf", "Ocean.swf"},
        {"\\\\server\\share\\a b.swf", "a b.swf"}, {"C:\\Movies\\", ""},       {"", ""},
    };
    for (const Case& c : cases) {
        TDriftpaneClass m;
        m.SetFlashFile(c.path);
        m.SetBackgroundPic(c.path);
        EXPECT_EQ(m.FlashFile, c.path);
        EXPECT_EQ(m.FlashFileName, c.name);
        EXPECT_EQ(m.BackgroundPic, c.path);
        EXPECT_EQ(m.PictureFileName, c.name);
    }
}

TEST(WallPaperModel, LoopText) {
    TDriftpaneClass m;
    m.SetLoop(true);
    EXPECT_EQ(m.LoopText, "TRUE");
    EXPECT_TRUE(m.Loop);
    m.SetLoop(false);
    EXPECT_EQ(m.LoopText, "FALSE");
    EXPECT_FALSE(m.Loop);
}

TEST(WallPaperModel, ClearResetsSomeFieldsRawAndKeepsTheRest) {
    TDriftpaneClass m;
    m.ProjectFile = "C:\\p.dpb";
    m.SetFlashFile("C:\\m\\a.swf");
    m.SetWallPaperName("Ocean");
    m.SetMovieSize(2);
    m.SetMovieQuality(4);
    m.SetMovieHAligment(2);
    m.SetMovieVAligment(0);
    m.SetWallPaperPosition(2);
    m.SetBackgroundColor(0x123456);
    m.SetLoop(true);
    m.SetBackgroundPic("C:\\p\\b.jpg");
    m.SetMuteFlashSound(true);
    m.SetMoviePosition(10);
    m.SetMovieLeft(1);
    m.SetMovieTop(2);
    m.SetMovieRight(3);
    m.SetMovieBottom(4);
    m.SetAuthor("Ann");
    m.SetEmail("ann@example.com");
    m.SetWebsite("http://www.example.com");
    m.SavedWallpaper = "C:\\old.bmp";
    m.PreviewPage = "C:\\tmpPreview.htm";

    m.Clear();

    EXPECT_EQ(m.ProjectFile, "");
    EXPECT_EQ(m.FlashFile, "");
    EXPECT_EQ(m.WallPaperName, "");
    // Through the setters:
    EXPECT_EQ(m.MovieQuality, 1);
    EXPECT_EQ(m.QualityText, "High");
    EXPECT_EQ(m.MovieHAligment, 1);
    EXPECT_EQ(m.HAlignLetter, "C");
    EXPECT_EQ(m.MovieVAligment, 1);
    EXPECT_EQ(m.VAlignLetter, "C");
    // Raw: the values change, their texts stay those of the last setter calls.
    EXPECT_EQ(m.MovieSize, 0);
    EXPECT_EQ(m.ScaleText, "noscale");
    EXPECT_EQ(m.WallPaperPosition, 0);
    EXPECT_EQ(m.RepeatText, "repeat");
    EXPECT_EQ(m.PositionText, "Tile");
    EXPECT_EQ(m.BackgroundColor, 0);
    EXPECT_EQ(m.ColorText, "#563412");
    EXPECT_FALSE(m.Loop);
    EXPECT_EQ(m.LoopText, "TRUE");
    // The file name part is not cleared with the path.
    EXPECT_EQ(m.FlashFileName, "a.swf");
    // Untouched:
    EXPECT_EQ(m.BackgroundPic, "C:\\p\\b.jpg");
    EXPECT_EQ(m.PictureFileName, "b.jpg");
    EXPECT_TRUE(m.MuteFlashSound);
    EXPECT_EQ(m.MoviePosition, 10);
    EXPECT_EQ(m.MovieLeft, 1);
    EXPECT_EQ(m.MovieTop, 2);
    EXPECT_EQ(m.MovieRight, 3);
    EXPECT_EQ(m.MovieBottom, 4);
    EXPECT_EQ(m.Author, "Ann");
    EXPECT_EQ(m.Email, "ann@example.com");
    EXPECT_EQ(m.Website, "http://www.example.com");
    EXPECT_EQ(m.SavedWallpaper, "C:\\old.bmp");
    EXPECT_EQ(m.PreviewPage, "C:\\tmpPreview.htm");
}

// ---------------------------------------------------------------------------
// The page

std::vector<std::string> PageLines(const std::string& path) {
    std::vector<std::string> lines;
    EXPECT_TRUE(SplitCrLfLines(ReadWholeFile(path), lines)) << "every line must end in CR LF";
    return lines;
}

void ExpectSameLines(const std::vector<std::string>& got, const std::vector<std::string>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
}

// The fixture model: every setter with a value that shows in the page.
void SetFixtureModel(TDriftpaneClass& m) {
    m.Clear();
    m.SetFlashFile("C:\\Movies\\Ocean Waves.swf");
    m.SetBackgroundPic("C:\\Pictures\\sand.jpg");
    m.SetBackgroundColor(0x00804020);
    m.SetLoop(true);
    m.SetMovieQuality(4);
    m.SetMovieSize(1);
    m.SetMovieHAligment(2);
    m.SetMovieVAligment(0);
    m.SetWallPaperPosition(2);
    m.SetMoviePosition(10);
    m.SetMovieLeft(-5);
    m.SetMovieTop(20);
    m.SetMovieRight(60);
    m.SetMovieBottom(40);
}

TEST(WallPaperPage, FixedModelMatchesTheFixtureByteForByte) {
    ScratchDir dir;
    TDriftpaneClass m;
    SetFixtureModel(m);
    const std::string path = dir.File("page.htm");
    m.WriteHtmlPage(path);
    const std::vector<std::string> got = PageLines(path);
    const std::vector<std::string> want = PageLines(DataFile("model/page_custom.htm"));
    ASSERT_EQ(want.size(), 37u);
    ExpectSameLines(got, want);
    EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(DataFile("model/page_custom.htm")));
}

TEST(WallPaperPage, ClearedModelAbovePositionTenLeavesTheMovieLayerOut) {
    ScratchDir dir;
    TDriftpaneClass m;
    m.Clear();
    m.SetFlashFile("sample.swf");
    m.SetMoviePosition(11);
    const std::string path = dir.File("p.htm");
    m.WriteHtmlPage(path);
    const std::vector<std::string> want = PageLines(DataFile("model/page_cleared_no_layer.htm"));
    ASSERT_EQ(want.size(), 36u);
    ExpectSameLines(PageLines(path), want);

    // The same model at position 0: the full-screen layer as line 13, the
    // rest unchanged.
    for (uint8_t pos : {uint8_t(0)}) {
        m.SetMoviePosition(pos);
        m.WriteHtmlPage(path);
        std::vector<std::string> with = want;
        with.insert(with.begin() + 12,
                    "<div style=\"left: 0; top: 0; width:100%; height:100%; z-index:3; position:absolute; visibility: "
                    "visible\">");
        ExpectSameLines(PageLines(path), with);
    }
    for (uint8_t pos : {uint8_t(12), uint8_t(255)}) {
        m.SetMoviePosition(pos);
        m.WriteHtmlPage(path);
        EXPECT_EQ(PageLines(path).size(), 36u) << int(pos);
    }
}

TEST(WallPaperPage, MovieLayerForEachPosition) {
    const char* boxes[11][4] = {
        {"0", "0", "100%", "100%"},   {"0", "0", "50%", "50%"},   {"25%", "0", "50%", "50%"},
        {"50%", "0", "50%", "50%"},   {"0", "25%", "50%", "50%"}, {"25%", "25%", "50%", "50%"},
        {"50%", "25%", "50%", "50%"}, {"0", "50%", "50%", "50%"}, {"25%", "50%", "50%", "50%"},
        {"50%", "50%", "50%", "50%"}, {"10", "20", "60%", "40%"},
    };
    ScratchDir dir;
    const std::string path = dir.File("p.htm");
    for (uint8_t pos = 0; pos <= 10; ++pos) {
        TDriftpaneClass m;
        m.SetMoviePosition(pos);
        m.SetMovieLeft(10);
        m.SetMovieTop(20);
        m.SetMovieRight(60);
        m.SetMovieBottom(40);
        m.WriteHtmlPage(path);
        const std::vector<std::string> lines = PageLines(path);
        ASSERT_EQ(lines.size(), 37u);
        EXPECT_EQ(lines[12], std::string("<div style=\"left: ") + boxes[pos][0] + "; top: " + boxes[pos][1] +
                                 "; width:" + boxes[pos][2] + "; height:" + boxes[pos][3] +
                                 "; z-index:3; position:absolute; visibility: visible\">")
            << int(pos);
    }
}

TEST(WallPaperPage, NegativeAndLargeCustomValues) {
    ScratchDir dir;
    TDriftpaneClass m;
    m.SetMoviePosition(10);
    m.SetMovieLeft(-2147483647 - 1);
    m.SetMovieTop(2147483647);
    m.SetMovieRight(-1);
    m.SetMovieBottom(0);
    m.WriteHtmlPage(dir.File("p.htm"));
    EXPECT_EQ(PageLines(dir.File("p.htm"))[12],
              "<div style=\"left: -2147483648; top: 2147483647; width:-1%; height:0%; z-index:3; position:absolute; "
              "visibility: visible\">");
}

TEST(WallPaperPage, ParameterValues) {
    ScratchDir dir;
    TDriftpaneClass m;
    m.SetMovieQuality(3);
    m.SetLoop(false);
    m.SetMovieHAligment(2);
    m.SetMovieVAligment(2);
    m.SetMovieSize(0);
    m.WriteHtmlPage(dir.File("p.htm"));
    const std::vector<std::string> lines = PageLines(dir.File("p.htm"));
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[18], "\t<PARAM NAME=\"QUALITY\" VALUE=\"AutoHight\">");
    EXPECT_EQ(lines[19], "\t<PARAM NAME=\"LOOP\" VALUE=\"FALSE\">");
    EXPECT_EQ(lines[20], "\t<PARAM NAME=\"SCALE\" VALUE=\"showall\">");
    EXPECT_EQ(lines[21], "\t<PARAM NAME=\"SALIGN\" VALUE=\"RB\">");
}

TEST(WallPaperPage, InsertedValuesAreNotEscaped) {
    ScratchDir dir;
    TDriftpaneClass m;
    m.SetBackgroundPic("C:\\p\\a\"b&c<d>.jpg");
    m.SetFlashFile("C:\\m\\x&y\".swf");
    m.SetMoviePosition(0);
    m.WriteHtmlPage(dir.File("p.htm"));
    const std::vector<std::string> lines = PageLines(dir.File("p.htm"));
    EXPECT_EQ(lines[4], "background-image:url(&quot;a\"b&c<d>.jpg&quot;);");
    EXPECT_EQ(lines[16], "\t<PARAM NAME=\"MOVIE\" VALUE=\"x&y\".swf\">");
}

TEST(WallPaperPage, EightBitTextIsWrittenAsItIs) {
    ScratchDir dir;
    TDriftpaneClass m;
    m.SetFlashFile("C:\\m\\Me\xE9r \xFC\x80.swf");
    m.WriteHtmlPage(dir.File("p.htm"));
    EXPECT_EQ(PageLines(dir.File("p.htm"))[16], "\t<PARAM NAME=\"MOVIE\" VALUE=\"Me\xE9r \xFC\x80.swf\">");
}

TEST(WallPaperPage, SecondWriteReplacesTheFirst) {
    ScratchDir dir;
    const std::string path = dir.File("p.htm");
    WriteWholeFile(path, std::string(5000, 'x'));  // longer than any page
    TDriftpaneClass m;
    SetFixtureModel(m);
    m.WriteHtmlPage(path);
    m.SetMoviePosition(11);
    m.WriteHtmlPage(path);
    const std::string bytes = ReadWholeFile(path);
    EXPECT_EQ(bytes.find('x' + std::string(10, 'x')), std::string::npos);
    EXPECT_EQ(PageLines(path).size(), 36u);
    EXPECT_EQ(bytes, m.HtmlPageText());
}

TEST(WallPaperPage, UnwritablePathRaisesTheCreateError) {
    ScratchDir dir;
    TDriftpaneClass m;
    const std::string path = dir.File("missing\\folder\\p.htm");
    try {
        m.WriteHtmlPage(path);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find("Cannot create file"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("p.htm"), std::string::npos) << e.Message();
    }
}

}  // namespace
