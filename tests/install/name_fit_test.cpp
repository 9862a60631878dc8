// The wizard's texts that carry the program name, fitted to their boxes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "setup/NameFit.h"

namespace {

class NameFit : public ::testing::Test {
protected:
    void SetUp() override {
        font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
        ASSERT_NE(font_, nullptr);
    }
    void TearDown() override { DeleteObject(font_); }
    HFONT font_ = nullptr;
};

TEST_F(NameFit, KeepsTheWholeNameWhereItFitsAndCutsOnlyTheName) {
    const std::string before = "Setup will install ", after = " into the following folder.";
    std::string words;
    while (words.size() < 250) words += "Extraordinary wallpaper ";
    words.resize(250);
    const std::string oneWord(250, 'W');
    struct Case {
        const char* what;
        std::string name;
        UINT flags;
        int height;  // two lines of the font, or one
        bool whole;
    } cases[] = {
        {"short, one line", "Drift", 0, 13, true},
        {"wraps onto the second line", "Drift Pane Extraordinary Wallpaper Of The Year", DT_WORDBREAK, 26, true},
        {"the same on one line", "Drift Pane Extraordinary Wallpaper Of The Year", 0, 13, false},
        {"250 characters in words", words, DT_WORDBREAK, 26, false},
        {"250 characters in one word", oneWord, DT_WORDBREAK, 26, false},
        {"an ampersand shown as it is", "Tom & Jerry", DT_WORDBREAK, 26, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string got = FitName(font_, c.flags, 300, c.height, before, c.name, after);
        EXPECT_TRUE(TextFits(font_, c.flags, 300, c.height, got)) << got;
        ASSERT_EQ(got.find(before), 0u) << got;
        ASSERT_GE(got.size(), before.size() + after.size());
        EXPECT_EQ(got.substr(got.size() - after.size()), after) << got;
        const std::string shown = got.substr(before.size(), got.size() - before.size() - after.size());
        if (c.whole) {
            EXPECT_EQ(shown, c.name);
        } else {
            // A start of the name, then "...": as much of it as fits, and some of it.
            ASSERT_GT(shown.size(), 3u) << got;
            EXPECT_EQ(shown.substr(shown.size() - 3), "...") << got;
            const std::string start = shown.substr(0, shown.size() - 3);
            EXPECT_EQ(c.name.find(start), 0u) << got;
            EXPECT_GT(start.size(), 5u) << got;
            const std::string oneMore = before + c.name.substr(0, start.size() + 1) + "..." + after;
            if (c.name[start.size()] != ' ') EXPECT_FALSE(TextFits(font_, c.flags, 300, c.height, oneMore)) << oneMore;
        }
    }
}

TEST_F(NameFit, APathKeepsItsFileNameAndLosesItsMiddle) {
    const std::string deep = "Copy file C:\\Program Files\\" + std::string(110, 'D') + "\\Sunset (HD).swf";
    struct Case {
        const char* what;
        std::string text;
        std::string start, end;  // what the shown text begins and ends with
        bool whole;
    } cases[] = {
        {"fits", "Copy file C:\\Drift\\a.swf", "Copy file C:\\Drift\\a.swf", "", true},
        {"a deep folder", deep, "Copy file C:\\Pro", "...\\Sunset (HD).swf", false},
        {"a name with an ampersand", "Copy file C:\\" + std::string(100, 'x') + "\\Tom & Jerry.html", "Copy file C:\\",
         "...\\Tom & Jerry.html", false},
        {"no backslash", "Create group " + std::string(200, 'g'), "Create group ggg", "...", false},
        {"a file name longer than the box", "delete file C:\\Drift\\" + std::string(200, 'f'),
         "delete file C:\\Drift\\fff", "...", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string got = FitPath(font_, 300, 13, c.text);
        EXPECT_TRUE(TextFits(font_, 0, 300, 13, got)) << got;
        if (c.whole) {
            EXPECT_EQ(got, c.text);
            continue;
        }
        EXPECT_EQ(got.find(c.start), 0u) << got;
        ASSERT_GE(got.size(), c.end.size()) << got;
        EXPECT_EQ(got.substr(got.size() - c.end.size()), c.end) << got;
    }
}

}  // namespace
