// The skin ini reader over texts in memory: line breaks, comments, sections found without
// regard to case, the first line of a key deciding, and the integer forms.
#include <gtest/gtest.h>

#include <string>

#include "classlib/Classes.h"
#include "skin/TinselIni.h"

namespace {

void Load(TQuickIni& ini, const std::string& text, int64_t skip = 0) {
    TMemoryStream s;
    s.WriteString(text);
    s.SetPosition(skip);
    ini.LoadFromStream(s);
}

std::string Joined(const TStrings& list) {
    std::string out;
    for (int i = 0; i < list.Count(); ++i) out += (i ? "|" : "") + list[i];
    return out;
}

const char* const kSkin =
    "; brushed metal\r\n"
    "\r\n"
    "[Colours]\r\n"
    "  ButtonText = 0x1F  \r\n"
    "Rightwidth=8\n"
    "Note = ab ; not a comment\r"
    "Empty=\r\n"
    "Empty=later\r\n"
    "Hex=0x\r\n"
    "Minus=-5\r\n"
    "Bad=12px\r\n"
    "Dollar=$10\r\n"
    "NoEquals\r\n"
    "[ Spaced ]\r\n"
    "Key=spaced\r\n"
    "[colours]\r\n"
    "ButtonText=second\r\n"
    "[Last]\r\n"
    "Key=last\r\n";

TEST(QuickIni, KeepsTrimmedLinesAndIndexesTheHeaders) {
    TQuickIni ini;
    Load(ini, kSkin);
    EXPECT_EQ(ini.Lines()[0], "[Colours]");
    EXPECT_EQ(ini.Lines()[1], "ButtonText = 0x1F");
    EXPECT_EQ(Joined(ini.Sections()), "[Colours]|[ Spaced ]|[colours]|[Last]");
    EXPECT_EQ(ini.SectionLine(1), 11);
    EXPECT_EQ(ini.FindSection("Last"), ini.Lines().Count() - 2);
    TStringList names;
    ini.ReadSections(names);
    EXPECT_EQ(Joined(names), "Colours|Spaced|colours|Last");
}

TEST(QuickIni, SectionsAreFoundByTheirFirstHeaderWithoutRegardToCase) {
    TQuickIni ini;
    Load(ini, kSkin);
    EXPECT_EQ(ini.FindSection("COLOURS"), 0);
    EXPECT_EQ(ini.ReadString("colours", "ButtonText", "-"), "0x1F");
    // The blanks inside the brackets are part of the name: the trimmed name does not find it.
    EXPECT_EQ(ini.FindSection("Spaced"), -1);
    EXPECT_EQ(ini.ReadString(" Spaced ", "Key", "-"), "spaced");
    EXPECT_EQ(ini.FindSection("Missing"), -1);
    // The system's ANSI letters fold too.
    Load(ini, "[\xC4rger]\r\nA=1\r\n");
    EXPECT_EQ(ini.FindSection("\xE4rger"), 0);
}

TEST(QuickIni, StringLookups) {
    TQuickIni ini;
    Load(ini, kSkin);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Colours", "RightWidth", "8"},             // keys without regard to case
        {"Colours", "Note", "ab ; not a comment"},  // a later ";" belongs to the value
        {"Colours", "Empty", "def"},                // the first line decides, even empty
        {"Colours", "NoEquals", "def"},
        {"Colours", "Key", "def"},  // the section ends at the next header
        {"Last", "Key", "last"},
        {"Missing", "Key", "def"},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.ReadString(c.section, c.key, "def"), c.expected) << c.key;
}

TEST(QuickIni, IntegerLookups) {
    TQuickIni ini;
    Load(ini, kSkin);
    struct Case {
        const char* key;
        int32_t expected;
    };
    const Case cases[] = {
        {"ButtonText", 31}, {"Rightwidth", 8}, {"Hex", 7},  {"Minus", -5},
        {"Bad", 7},         {"Dollar", 16},    {"Note", 7}, {"Absent", 7},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger("Colours", c.key, 7), c.expected) << c.key;
}

TEST(QuickIni, LineBreaksCommentsAndTheEndOfTheText) {
    struct Case {
        const char* name;
        std::string text;
        const char* lines;
    };
    const Case cases[] = {
        {"CR, LF and CR LF each one break", "a\rb\nc\r\nd", "a|b|c|d"},
        {"LF CR is two", "a\n\rb", "a|b"},
        {"comments and blank lines dropped", ";x\r\n  \r\n\t;y\r\n[S]\r\n", "[S]"},
        {"zero byte ends the text", std::string("[S]\r\nk=v\0[T]\r\n", 14), "[S]|k=v"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        TQuickIni ini;
        Load(ini, c.text);
        EXPECT_EQ(Joined(ini.Lines()), c.lines) << c.name;
    }
}

TEST(QuickIni, ReadsFromTheStreamPositionAndReplacesEarlierText) {
    TQuickIni ini;
    Load(ini, kSkin);
    Load(ini, "[Colours]\r\n[A]\r\nk=v\r\n", 11);
    EXPECT_EQ(ini.FindSection("Colours"), -1);
    EXPECT_EQ(ini.ReadString("A", "k", ""), "v");
    EXPECT_EQ(ini.Sections().Count(), 1);
}

}  // namespace
