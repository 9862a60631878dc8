#include "classlib/Classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/runtime/TempDir.h"

namespace {

using std::string;
using Lines = std::vector<string>;

Lines ToLines(const TStrings& list) {
    Lines out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
    return out;
}

void Fill(TStrings& list, const Lines& lines) {
    list.Clear();
    for (const auto& s : lines) list.Add(s);
}

string ListErrorText(const std::function<void()>& f) {
    try {
        f();
    } catch (const EListError& e) {
        return e.Message();
    }
    return "(no EListError)";
}

// ---------------------------------------------------------------------------
// Text

TEST(StringList, SetTextSplitsAtEveryBreakKind) {
    const struct {
        string text;
        Lines lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\n", {"a"}},
        {"a\r", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"a\n\nb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"\r\n\r\n", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"x\r\ny\r\n", {"x", "y"}},
        {string("a\0b\nc", 5), {string("a\0b", 3), "c"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.Add("stale");
        list.SetText(c.text);
        EXPECT_EQ(ToLines(list), c.lines) << "text: " << c.text;
    }
}

TEST(StringList, TextEndsEveryLineWithCrLf) {
    TStringList list;
    EXPECT_EQ(list.Text(), "");
    Fill(list, {""});
    EXPECT_EQ(list.Text(), "\r\n");
    Fill(list, {"a", "", "b"});
    EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
    TStringList again;
    again.SetText(list.Text());
    EXPECT_EQ(ToLines(again), ToLines(list));
}

// ---------------------------------------------------------------------------
// Items and indices

TEST(StringList, IndexIsChecked) {
    TStringList list;
    Fill(list, {"a", "b"});
    EXPECT_EQ(ListErrorText([&] { list.Strings(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorText([&] { list.Strings(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorText([&] { list[5] = "x"; }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorText([&] { list.Delete(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorText([&] { list.Insert(3, "x"); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorText([&] { list.Objects(7); }), "List index out of bounds (7)");
    list.Insert(2, "c");  // inserting at Count appends
    EXPECT_EQ(ToLines(list), (Lines{"a", "b", "c"}));
}

TEST(StringList, EditingOperations) {
    TStringList list;
    EXPECT_EQ(list.Add("one"), 0);
    EXPECT_EQ(list.Add("two"), 1);
    list.Insert(0, "zero");
    list[2] = "TWO";
    string second = list[1];
    EXPECT_EQ(second, "one");
    EXPECT_EQ(list[2] + "!", "TWO!");
    list.Delete(1);
    EXPECT_EQ(ToLines(list), (Lines{"zero", "TWO"}));
    list.Exchange(0, 1);
    EXPECT_EQ(ToLines(list), (Lines{"TWO", "zero"}));
    list.Add("end");
    list.Move(0, 2);
    EXPECT_EQ(ToLines(list), (Lines{"zero", "end", "TWO"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, IndexOfIgnoresAsciiCaseOnly) {
    TStringList list;
    Fill(list, {"Alpha", "beta", "\xC4rger", "beta"});
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("Beta"), 1);
    EXPECT_EQ(list.IndexOf("\xC4RGER"), 2);
    EXPECT_EQ(list.IndexOf("\xE4rger"), -1);
    EXPECT_EQ(list.IndexOf("gamma"), -1);
}

TEST(StringList, ObjectsTravelWithTheirLines) {
    int a = 1, b = 2;
    TStringList list;
    list.AddObject("a", &a);
    list.AddObject("b", &b);
    list.Add("none");
    EXPECT_EQ(list.Objects(0), &a);
    EXPECT_EQ(list.Objects(2), nullptr);
    list.Move(0, 2);
    EXPECT_EQ(list.Strings(2), "a");
    EXPECT_EQ(list.Objects(2), &a);
    EXPECT_EQ(list.IndexOfObject(&b), 0);
    TStringList copy;
    copy.Assign(list);
    EXPECT_EQ(copy.Objects(2), &a);
}

// ---------------------------------------------------------------------------
// Names and values

TEST(StringList, NamesAndValues) {
    TStringList list;
    Fill(list, {"Name=Value", "noequal", "=empty", "a=b=c", "KEY=x", "Name2="});
    const struct {
        int index;
        string name, valueFromIndex;
    } byIndex[] = {{0, "Name", "Value"}, {1, "", ""},     {2, "", "empty"},
                   {3, "a", "b=c"},      {4, "KEY", "x"}, {5, "Name2", ""}};
    for (const auto& c : byIndex) {
        EXPECT_EQ(list.Names(c.index), c.name) << c.index;
        EXPECT_EQ(list.ValueFromIndex(c.index), c.valueFromIndex) << c.index;
    }
    const struct {
        string name, value;
        int index;
    } byName[] = {{"name", "Value", 0}, {"A", "b=c", 3},     {"key", "x", 4}, {"", "empty", 2},
                  {"missing", "", -1},  {"noequal", "", -1}, {"Nam", "", -1}, {"name2", "", 5}};
    for (const auto& c : byName) {
        EXPECT_EQ(list.Values(c.name), c.value) << c.name;
        EXPECT_EQ(list.IndexOfName(c.name), c.index) << c.name;
    }
}

TEST(StringList, SetValuesReplacesAddsAndDeletes) {
    TStringList list;
    Fill(list, {"Name=Value", "a=1"});
    list.SetValues("NAME", "New");
    list.SetValues("b", "2");
    list.SetValues("a", "");
    list.SetValues("absent", "");
    EXPECT_EQ(ToLines(list), (Lines{"NAME=New", "b=2"}));
}

// ---------------------------------------------------------------------------
// Comma text

TEST(StringList, CommaTextParsing) {
    const struct {
        string text;
        Lines lines;
    } cases[] = {
        {"a,b,c", {"a", "b", "c"}},
        {" a, \"b c\" ,\"d\"\"e\",,f g,", {"a", "b c", "d\"e", "", "f", "g", ""}},
        {"\"unterminated", {"unterminated"}},
        {"", {}},
        {"   ", {}},
        {"\"\"", {""}},
        {"\"a\"b", {"a", "b"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetCommaText(c.text);
        EXPECT_EQ(ToLines(list), c.lines) << c.text;
    }
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
    TStringList list;
    Fill(list, {"a", "b c", "", "x,y", "q\"r"});
    EXPECT_EQ(list.CommaText(), "a,\"b c\",,\"x,y\",\"q\"\"r\"");
    TStringList back;
    back.SetCommaText(list.CommaText());
    EXPECT_EQ(ToLines(back), ToLines(list));
    Fill(list, {""});
    EXPECT_EQ(list.CommaText(), "\"\"");
}

TEST(StringList, OtherDelimiter) {
    TStringList list;
    list.Delimiter = ';';
    list.SetDelimitedText("a;b,c;\"d;e\"");
    EXPECT_EQ(ToLines(list), (Lines{"a", "b,c", "d;e"}));
    EXPECT_EQ(list.DelimitedText(), "a;b,c;\"d;e\"");
    EXPECT_EQ(list.CommaText(), "a,\"b,c\",d;e");
    EXPECT_EQ(list.Delimiter, ';');
}

// A list over its own storage that supplies only the primitives, the way a
// control's items do; everything else must come from the base class.
class MinimalStrings : public TStrings {
public:
    int Count() const override { return static_cast<int>(m_lines.size()); }
    std::string Get(int index) const override { return m_lines.at(static_cast<size_t>(index)); }
    void Insert(int index, const std::string& s) override {
        m_lines.insert(m_lines.begin() + index, s);
        Changed();
    }
    void Delete(int index) override {
        m_lines.erase(m_lines.begin() + index);
        Changed();
    }
    void Clear() override {
        m_lines.clear();
        Changed();
    }
    int updateStates = 0;

protected:
    void SetUpdateState(bool updating) override { updateStates += updating ? 1 : 10; }

private:
    Lines m_lines;
};

TEST(StringList, BaseClassWorksOnThePrimitivesAlone) {
    MinimalStrings list;
    list.SetText("k=v\r\nx\r\ny");
    EXPECT_EQ(list.updateStates, 11);
    EXPECT_EQ(list.Values("K"), "v");
    list[1] = "X";
    list.Move(2, 0);
    EXPECT_EQ(list.Text(), "y\r\nk=v\r\nX\r\n");
    list.SetValues("k", "w");
    EXPECT_EQ(list.Strings(1), "k=w");
    EXPECT_EQ(list.IndexOf("x"), 2);
    TStringList copy;
    copy.Assign(list);
    EXPECT_TRUE(copy.Equals(list));
}

// ---------------------------------------------------------------------------
// Sorting

TEST(StringList, SortedListsKeepOrderAndHandleDuplicates) {
    TStringList list;
    Fill(list, {"pear", "Apple", "fig"});
    list.SetSorted(true);
    EXPECT_EQ(ToLines(list), (Lines{"Apple", "fig", "pear"}));
    EXPECT_EQ(list.Add("banana"), 1);
    EXPECT_EQ(list.Add("APPLE"), 0);  // ignored duplicate: the existing index
    EXPECT_EQ(ToLines(list), (Lines{"Apple", "banana", "fig", "pear"}));
    EXPECT_EQ(list.IndexOf("PEAR"), 3);
    EXPECT_EQ(list.IndexOf("kiwi"), -1);
    EXPECT_EQ(ListErrorText([&] { list.Insert(0, "x"); }), "Operation not allowed on sorted string list");
    list.Duplicates = dupError;
    EXPECT_EQ(ListErrorText([&] { list.Add("fig"); }), "String list does not allow duplicates");
    list.Duplicates = dupAccept;
    list.Add("fig");
    EXPECT_EQ(list.Count(), 5);
}

// ---------------------------------------------------------------------------
// Change notification

TEST(StringList, OnChangeAfterEachChangeButOncePerUpdate) {
    TStringList list;
    int changes = 0, changing = 0;
    list.OnChange = [&] { ++changes; };
    list.OnChanging = [&] { ++changing; };
    list.Add("a");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(changing, 1);
    list.BeginUpdate();
    list.Add("b");
    list.BeginUpdate();
    list.Delete(0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);
    list.EndUpdate();
    EXPECT_EQ(changes, 2);
    list.SetText("x\r\ny\r\nz");
    EXPECT_EQ(changes, 3);
    TStringList other;
    Fill(other, {"1", "2"});
    list.Assign(other);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(ToLines(list), (Lines{"1", "2"}));
    list.Clear();
    list.Clear();  // nothing left to change
    EXPECT_EQ(changes, 5);
}

TEST(StringList, AssignAndAddStrings) {
    TStringList a, b;
    Fill(a, {"1", "2"});
    Fill(b, {"x"});
    b.AddStrings(a);
    EXPECT_EQ(ToLines(b), (Lines{"x", "1", "2"}));
    b.AddStrings(b);
    EXPECT_EQ(ToLines(b), (Lines{"x", "1", "2", "x", "1", "2"}));
    b.Assign(b);
    EXPECT_EQ(b.Count(), 6);
    b.Assign(a);
    EXPECT_TRUE(b.Equals(a));
    TStringList c(a);
    EXPECT_EQ(ToLines(c), ToLines(a));
    TStrings& asBase = c;
    asBase.Add("3");
    EXPECT_EQ(c.Count(), 3);
}

// ---------------------------------------------------------------------------
// Files and streams

TEST(StringList, SaveToFileWritesTextBytesAndReplaces) {
    TempDir tmp;
    const string name = tmp.File("lines.txt");
    WriteAll(name, string(1000, 'z'));
    TStringList list;
    Fill(list, {"first", "", "\xE4nd"});
    list.SaveToFile(name);
    EXPECT_EQ(ReadAll(name), "first\r\n\r\n\xE4nd\r\n");

    WriteAll(name, "a\nb\r\nc\rd");
    TStringList loaded;
    loaded.LoadFromFile(name);
    EXPECT_EQ(ToLines(loaded), (Lines{"a", "b", "c", "d"}));
}

TEST(StringList, FileErrorsNameTheFile) {
    TempDir tmp;
    const string missing = tmp.File("missing.txt");
    TStringList list;
    try {
        list.LoadFromFile(missing);
        ADD_FAILURE() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + missing);
    }
    const string nowhere = tmp.File("no\\such\\dir.txt");
    try {
        list.SaveToFile(nowhere);
        ADD_FAILURE() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + nowhere);
    }
}

TEST(StringList, StreamsFromThePosition) {
    TMemoryStream ms;
    ms.WriteString("skiphello\r\nworld");
    ms.SetPosition(4);
    TStringList list;
    list.LoadFromStream(ms);
    EXPECT_EQ(ToLines(list), (Lines{"hello", "world"}));
    TMemoryStream out;
    out.WriteString("head:");
    list.SaveToStream(out);
    EXPECT_EQ(string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size())),
              "head:hello\r\nworld\r\n");
}

}  // namespace
