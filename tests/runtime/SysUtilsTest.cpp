#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "tests/runtime/TempDir.h"

namespace {

using std::string;

// ---------------------------------------------------------------------------
// Trimming

struct TrimCase {
    string in, both, left, right;
};

TEST(SysUtils, TrimTable) {
    const TrimCase cases[] = {
        {"", "", "", ""},
        {"abc", "abc", "abc", "abc"},
        {"  a b  ", "a b", "a b  ", "  a b"},
        {"\t\r\n a\x01\x1f ", "a", "a\x01\x1f ", "\t\r\n a"},
        {"   ", "", "", ""},
        {string("\0x\0", 3), "x", string("x\0", 2), string("\0x", 2)},
        // bytes above 0x7F are characters, not blanks
        {"\x80 x \xA0", "\x80 x \xA0", "\x80 x \xA0", "\x80 x \xA0"},
        {" \xFF ", "\xFF", "\xFF ", " \xFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Trim(c.in), c.both) << c.in;
        EXPECT_EQ(TrimLeft(c.in), c.left) << c.in;
        EXPECT_EQ(TrimRight(c.in), c.right) << c.in;
    }
}

// ---------------------------------------------------------------------------
// Path parts

struct PathCase {
    string path, name, filePath, dir, ext;
};

TEST(SysUtils, PathPartTable) {
    const PathCase cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "C:\\dir\\", "C:\\dir", ".txt"},
        {"C:", "", "C:", "C:", ""},
        {"C:\\", "", "C:\\", "C:\\", ""},
        {"C:\\file", "file", "C:\\", "C:\\", ""},
        {"C:file.ext", "file.ext", "C:", "C:", ".ext"},
        {"a:b", "b", "a:", "a:", ""},
        {"file.tar.gz", "file.tar.gz", "", "", ".gz"},
        {"noext", "noext", "", "", ""},
        {"", "", "", "", ""},
        {".hidden", ".hidden", "", "", ".hidden"},
        {"dir.d\\file", "file", "dir.d\\", "dir.d", ""},
        {"\\file.x", "file.x", "\\", "\\", ".x"},
        {"C:\\dir\\", "", "C:\\dir\\", "C:\\dir", ""},
        {"C:\\a\\\\b", "b", "C:\\a\\\\", "C:\\a\\\\", ""},
        {"\\\\server\\share\\f.doc", "f.doc", "\\\\server\\share\\", "\\\\server\\share", ".doc"},
        // '/' is an ordinary character
        {"C:/x/y.txt", "/x/y.txt", "C:", "C:", ".txt"},
        {"name.", "name.", "", "", "."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(ExtractFilePath(c.path), c.filePath) << c.path;
        EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
        EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
    }
}

TEST(SysUtils, ChangeFileExtTable) {
    const struct {
        string path, ext, want;
    } cases[] = {
        {"a.txt", ".bak", "a.bak"},   {"a", ".bak", "a.bak"}, {"a.b.c", "", "a.b"},
        {"d.x\\a", ".y", "d.x\\a.y"}, {"C:", ".x", "C:.x"},   {"C:\\d\\movie.swf", ".htm", "C:\\d\\movie.htm"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChangeFileExt(c.path, c.ext), c.want) << c.path;
}

TEST(SysUtils, TrailingPathDelimiter) {
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\d"), "C:\\d\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\d\\"), "C:\\d\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\d\\"), "C:\\d");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\d"), "C:\\d");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("\\\\"), "\\");
    EXPECT_EQ(ExcludeTrailingPathDelimiter(""), "");
}

// ---------------------------------------------------------------------------
// Integer conversions

TEST(SysUtils, StrToIntAccepts) {
    const struct {
        string text;
        int32_t value;
    } cases[] = {
        {"0", 0},
        {"12", 12},
        {"-12", -12},
        {"+7", 7},
        {" 12", 12},
        {"   -3", -3},
        {"007", 7},
        {"$1F", 31},
        {"$1f", 31},
        {"0x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
        int32_t v = 12345;
        EXPECT_TRUE(TryStrToInt(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(StrToIntDef(c.text, 99), c.value) << c.text;
    }
}

TEST(SysUtils, StrToIntRejectsWithMessage) {
    const string bad[] = {
        "",    "-",   "+",    "12 ", "1 2", "2147483648", "-2147483649",         "$", "0x", "$100000000",
        "abc", "1.0", "\t12", "12a", "--1", "0x-1",       "99999999999999999999"};
    for (const auto& text : bad) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + text + "' is not a valid integer value");
        }
        int32_t v = 5;
        EXPECT_FALSE(TryStrToInt(text, v)) << text;
        EXPECT_EQ(v, 5) << "TryStrToInt touched the value for '" << text << "'";
        EXPECT_EQ(StrToIntDef(text, -77), -77) << text;
    }
}

TEST(SysUtils, StrToInt64Range) {
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("2147483648"), int64_t{2147483648});
    EXPECT_EQ(StrToInt64("$FFFFFFFF"), int64_t{4294967295});
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_THROW(StrToInt64("-9223372036854775809"), EConvertError);
    EXPECT_THROW(StrToInt64("$10000000000000000"), EConvertError);
    EXPECT_EQ(StrToInt64Def("x", 3), 3);
}

TEST(SysUtils, IntToStrAndHex) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToStr(INT64_MAX), "9223372036854775807");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0xABC, 2), "ABC");
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 1), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t{-1}, 1), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(uint8_t{200}, 1), "C8");
    EXPECT_EQ(IntToHex(uint32_t{0xDEADBEEF}, 8), "DEADBEEF");
    for (int32_t v : {0, 1, 15, 16, 4095, INT32_MAX, INT32_MIN, -2}) {
        EXPECT_EQ(StrToInt("$" + IntToHex(v, 8)), v);
        EXPECT_EQ(StrToInt(IntToStr(v)), v);
    }
}

TEST(SysUtils, BoolToStr) {
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false), "0");
    EXPECT_EQ(BoolToStr(true, true), "True");
    EXPECT_EQ(BoolToStr(false, true), "False");
}

// ---------------------------------------------------------------------------
// Case and comparison

TEST(SysUtils, CaseHelpersTouchOnlyAsciiLetters) {
    const string mixed = "AbC-\xC4\xE4\xC9\xFF@[`{Zz09";
    EXPECT_EQ(LowerCase(mixed), "abc-\xC4\xE4\xC9\xFF@[`{zz09");
    EXPECT_EQ(UpperCase(mixed), "ABC-\xC4\xE4\xC9\xFF@[`{ZZ09");
    EXPECT_TRUE(SameText("ABC\xC4", "abc\xC4"));
    EXPECT_FALSE(SameText("\xC4", "\xE4"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_EQ(CompareText("hello", "HELLO"), 0);
}

TEST(SysUtils, CompareOrder) {
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareText("_", "a"), 0);  // letters fold to upper case, which sorts before '_'
    EXPECT_LT(CompareText("ab", "ABC"), 0);
    EXPECT_GT(CompareText("\xE4", "z"), 0);  // bytes compare unsigned
    EXPECT_GT(CompareStr("a", "B"), 0);
    EXPECT_EQ(CompareStr("same", "same"), 0);
    EXPECT_LT(CompareStr("abc", "abd"), 0);
    EXPECT_GT(CompareStr("\x80", "\x7F"), 0);
}

TEST(SysUtils, PosCopyLastDelimiter) {
    EXPECT_EQ(Pos("b", "abc"), 2);
    EXPECT_EQ(Pos("abc", "abc"), 1);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("abcd", "abc"), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 6, 1), "");
    EXPECT_EQ(Copy("hello", 2, -1), "");
    EXPECT_EQ(LastDelimiter("\\:", "C:\\a\\b"), 5);
    EXPECT_EQ(LastDelimiter("\\", "abc"), 0);
}

TEST(SysUtils, StringReplaceTable) {
    const struct {
        string s, from, to;
        TReplaceFlags flags;
        string want;
    } cases[] = {
        {"aAaA", "a", "x", 0, "xAaA"},
        {"aAaA", "a", "x", rfReplaceAll, "xAxA"},
        {"aAaA", "a", "x", rfIgnoreCase, "xAaA"},
        {"aAaA", "A", "x", rfIgnoreCase, "xAaA"},
        {"aAaA", "a", "x", rfReplaceAll | rfIgnoreCase, "xxxx"},
        {"abc", "", "x", rfReplaceAll, "abc"},
        {"aaa", "aa", "a", rfReplaceAll, "aa"},
        {"a.b.c", ".", "..", rfReplaceAll, "a..b..c"},
        {"%TITLE% and %title%", "%title%", "T", rfReplaceAll | rfIgnoreCase, "T and T"},
        {"\xC4\xE4", "\xC4", "y", rfReplaceAll | rfIgnoreCase, "y\xE4"},
        {"none", "zz", "y", rfReplaceAll, "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.want) << c.s;
}

TEST(SysUtils, QuotedStr) {
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(QuotedStr(""), "''");
    EXPECT_EQ(QuotedStr("''"), "''''''");
}

// ---------------------------------------------------------------------------
// Format and exceptions

TEST(SysUtils, FormatAnyLength) {
    EXPECT_EQ(Format("%d-%s", 42, "x"), "42-x");
    EXPECT_EQ(Format("ControlOfs%.8X%.8X", 0x400000u, 0x1Au), "ControlOfs004000000000001A");
    EXPECT_EQ(Format("%lld", static_cast<long long>(INT64_MIN)), "-9223372036854775808");
    const string big(5000, 'q');
    EXPECT_EQ(Format("[%s]", big.c_str()), "[" + big + "]");
    EXPECT_EQ(Format("%s", ""), "");
}

TEST(SysUtils, ExceptionHierarchyAndMessages) {
    try {
        throw EReadError();
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    try {
        throw EWriteError();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Stream write error");
    }
    try {
        Abort();
    } catch (const EAbort& e) {
        EXPECT_FALSE(e.Message().empty());
    }
    EOSError os("failed", 5);
    EXPECT_EQ(os.ErrorCode, 5u);
    Exception e("first");
    e.SetMessage("second");
    EXPECT_STREQ(e.what(), "second");
    const std::exception& base = EFCreateError("x");
    EXPECT_STREQ(base.what(), "x");
    EXPECT_NE(dynamic_cast<const EStreamError*>(&base), nullptr);
}

// ---------------------------------------------------------------------------
// File helpers

TEST(SysUtils, FileHelpers) {
    TempDir tmp;
    const string file = tmp.File("a.txt");
    const string dir = tmp.File("sub");
    EXPECT_FALSE(FileExists(file));
    WriteAll(file, "12345");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_EQ(FileSizeByName(file), 5);
    EXPECT_EQ(FileSizeByName(tmp.File("missing")), -1);

    EXPECT_TRUE(CreateDir(dir));
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(FileExists(dir));
    EXPECT_FALSE(DeleteFile(dir));  // a folder is not a file
    EXPECT_TRUE(DirectoryExists(dir));

    const string moved = tmp.File("b.txt");
    EXPECT_TRUE(RenameFile(file, moved));
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(ReadAll(moved), "12345");
    WriteAll(file, "other");
    EXPECT_FALSE(RenameFile(moved, file));  // never replaces an existing file
    EXPECT_EQ(ReadAll(file), "other");
    EXPECT_TRUE(ReplaceFileWith(moved, file));  // does, in one step
    EXPECT_EQ(ReadAll(file), "12345");
    EXPECT_FALSE(FileExists(moved));
    EXPECT_FALSE(ReplaceFileWith(moved, file));  // nothing to put there: the target stays
    EXPECT_EQ(ReadAll(file), "12345");
    EXPECT_TRUE(RenameFile(file, moved));

    EXPECT_TRUE(DeleteFile(moved));
    EXPECT_FALSE(FileExists(moved));
    EXPECT_FALSE(DeleteFile(moved));
    EXPECT_TRUE(RemoveDir(dir));
    EXPECT_FALSE(DirectoryExists(dir));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(DirectoryExists(""));

    const string cwd = GetCurrentDir();
    EXPECT_FALSE(cwd.empty());
    EXPECT_TRUE(DirectoryExists(cwd));
}

TEST(SysUtils, ForceDirectoriesCreatesEveryLevel) {
    TempDir tmp;
    const string deep = tmp.File("a\\b\\c");
    EXPECT_TRUE(ForceDirectories(deep + "\\"));
    EXPECT_TRUE(DirectoryExists(tmp.File("a")));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));  // already there
    WriteAll(tmp.File("f"), "x");
    EXPECT_FALSE(ForceDirectories(tmp.File("f\\g")));  // a file is in the way
}

// Every input ends, odd ones included; a path with a colon past its drive makes nothing.
TEST(SysUtils, ForceDirectoriesEndsOnOddPaths) {
    TempDir tmp;
    string deep;
    while (deep.size() < 300) deep += "\\level";
    struct Case {
        string path;
        int result;   // 1 true, 0 false, -1 either (the platform's own limit decides)
        string made;  // a folder the call leaves, or "" for none to check
    } cases[] = {
        {"", 0, ""},
        {tmp.File("Drift:A"), 0, ""},
        {tmp.File("QA Keys\\DriftAC:\\Program Files\\DriftCheckA"), 0, ""},
        {tmp.File("end:"), 0, ""},
        {tmp.File(":"), 0, ""},
        {tmp.File("a\\\\b"), 1, tmp.File("a\\b")},
        {tmp.File("c//d\\/e\\\\"), 1, tmp.File("c\\d\\e")},
        {tmp.File(string(300, 'n')), 0, ""},
        {tmp.Path() + deep, -1, ""},
        {tmp.Path() + "\\", 1, tmp.Path()},
#ifdef _WIN32
        {"C:", 1, "C:\\"},
        {"C:\\", 1, "C:\\"},
        {"\\", 1, "\\"},
        {"\\\\server", 0, ""},
        {"\\\\server\\", 0, ""},
        {"\\\\", -1, ""},
        {"C:\\Drift:A", 0, ""},
        {"C:\\QA Keys\\DriftAC:\\Program Files\\DriftCheckA", 0, ""},
        {"1:\\x", 0, ""},
        {"::", 0, ""},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.path + "\"");
        const bool got = ForceDirectories(c.path);
        if (c.result >= 0) EXPECT_EQ(got, c.result == 1);
        if (!c.made.empty()) EXPECT_TRUE(DirectoryExists(c.made));
    }
    // Nothing of the refused paths was made.
    EXPECT_FALSE(DirectoryExists(tmp.File("QA Keys")));
    EXPECT_FALSE(DirectoryExists(tmp.File(string(300, 'n'))));
#ifdef _WIN32
    EXPECT_FALSE(DirectoryExists("C:\\QA Keys"));
#endif
}

}  // namespace
