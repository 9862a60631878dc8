// The skin container: names and entries as the packer writes them, the odd
// corners of the name list, and every package the reader must refuse without
// reading, allocating or writing outside what it holds.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "skin/SkinRead.h"
#include "tests/skinread/SkinTestUtil.h"
#include "tools/skinpack/SkinPack.h"

namespace {

using namespace skintest;
using skinpack::TSkinEntry;

// A container written byte by byte, so that its fields can lie.
Bytes RawContainer(const std::string& nameList, const std::vector<int32_t>& sizes, const Bytes& data,
                   int32_t tag = SkinTag, std::optional<int32_t> nameLength = std::nullopt) {
    Bytes c;
    PutI32(c, tag);
    PutI32(c, nameLength ? *nameLength : static_cast<int32_t>(nameList.size()));
    for (int i = 0; i < 8; ++i) c.push_back(static_cast<uint8_t>(0xA0 + i));
    Append(c, ToBytes(nameList));
    for (int32_t s : sizes) PutI32(c, s);
    Append(c, data);
    return c;
}

// A package that claims `size` container bytes over the given coded bytes.
Bytes PackageClaiming(int32_t size, const Bytes& coded) {
    Bytes p;
    PutI32(p, size);
    Append(p, coded);
    return p;
}

bool Load(TSkinReader& r, const Bytes& package) {
    TMemoryStream s;
    if (!package.empty()) s.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
    s.SetPosition(static_cast<int64_t>(package.size()) / 2);  // the reader rewinds
    return r.LoadFromStream(s);
}

std::string Entry(TSkinReader& r, const std::string& name) {
    TMemoryStream target;
    target.WriteString("left over");
    r.ReadEntry(name, target);
    EXPECT_EQ(target.Position(), 0);
    const Bytes b = StreamBytes(target);
    return std::string(b.begin(), b.end());
}

std::vector<std::string> NamesOf(const TSkinReader& r) {
    std::vector<std::string> out;
    for (int i = 0; i < r.Names.Count(); ++i) out.push_back(r.Names.Get(i));
    return out;
}

// Everything a caller can see of a reader.
struct State {
    std::vector<std::string> names;
    int count;
    std::vector<int32_t> sizes;
    Bytes data;
    int32_t tag, nameLength;
    Bytes reserved;
    bool operator==(const State&) const = default;
};

State StateOf(TSkinReader& r) {
    return {NamesOf(r),
            r.Count,
            std::vector<int32_t>(std::begin(r.Sizes), std::end(r.Sizes)),
            StreamBytes(r.Data),
            r.Head.Tag,
            r.Head.NameLength,
            Bytes(std::begin(r.Head.Reserved), std::end(r.Head.Reserved))};
}

class SkinReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        SkinMessageHook = nullptr;
        ClearRecordedSkinMessages();
    }
    void TearDown() override {
        SkinMessageHook = nullptr;
        ClearRecordedSkinMessages();
    }
    // A reader holding a small good skin, so that refusals can show it unchanged.
    void LoadGood(TSkinReader& r) {
        ASSERT_TRUE(Load(r, skinpack::SkinPackage({{"Good.bmp", ToBytes("BMgood")}, {"good.ini", ToBytes("[x]")}})));
        ClearRecordedSkinMessages();
    }
};

// ---------------------------------------------------------------------------
// What the packer writes

TEST_F(SkinReaderTest, LoadsWhatThePackerWrote) {
    const std::vector<TSkinEntry> entries = {
        {"my_MenuItem.bmp", ToBytes("BM menu item")},
        {"Checkbox.bmp", Noise(3000, 11)},
        {"brushed-steel.ini", ToBytes("[Form]\r\nCaption=steel\r\n")},
        {"\xC4rger.bmp", ToBytes("umlaut")},
    };
    const std::array<uint8_t, 8> reserved = {1, 2, 3, 4, 0xFD, 0xFE, 0xFF, 0};
    const Bytes container = skinpack::SkinContainer(entries, reserved);
    TSkinReader r;
    ASSERT_TRUE(Load(r, skinpack::SkinPackage(container)));
    EXPECT_TRUE(RecordedSkinMessages().empty());

    EXPECT_EQ(NamesOf(r),
              (std::vector<std::string>{"my_menuitem.bmp", "checkbox.bmp", "brushed-steel.ini", "\xC4rger.bmp"}));
    EXPECT_EQ(r.Count, 4);
    Bytes data;
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(r.Sizes[i], static_cast<int32_t>(entries[i].Data.size()));
        Append(data, entries[i].Data);
    }
    EXPECT_EQ(r.Sizes[4], 0);
    EXPECT_EQ(StreamBytes(r.Data), data);
    EXPECT_EQ(r.Head.Tag, 20000);
    EXPECT_EQ(r.Head.NameLength, 15 + 12 + 17 + 9 + 4 * 2);
    EXPECT_EQ(Bytes(std::begin(r.Head.Reserved), std::end(r.Head.Reserved)), Bytes(reserved.begin(), reserved.end()));

    struct Case {
        const char* name;
        std::string expected;
    };
    const std::string checkbox(entries[1].Data.begin(), entries[1].Data.end());
    const Case cases[] = {
        {"Checkbox.bmp", checkbox},
        {"checkbox.bmp", checkbox},
        {"CHECKBOX.BMP", checkbox},
        {"my_MenuItem.bmp", "BM menu item"},
        {"Brushed-Steel.INI", "[Form]\r\nCaption=steel\r\n"},
        {"\xC4RGER.BMP", "umlaut"},  // only A-Z are folded
        {"\xE4rger.bmp", ""},
        {"checkbox", ""},
        {"checkbox.bmp ", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Entry(r, c.name), c.expected);
    }
}

TEST_F(SkinReaderTest, FindEntryTakesTheFirstNameContainingTheText) {
    TSkinReader r;
    ASSERT_TRUE(Load(r, skinpack::SkinPackage({{"Menu.Initial.bmp", ToBytes("bitmap")},
                                               {"brushed-steel.ini", ToBytes("ini text")},
                                               {"close.bmp", ToBytes("close")}})));
    struct Case {
        const char* text;
        const char* found;  // nullptr: no match
        const char* bytes;
    };
    const Case cases[] = {
        // The bitmap listed first has ".ini" inside its name, so it is taken for the ini text.
        {".ini", "menu.initial.bmp", "bitmap"},
        {"steel", "brushed-steel.ini", "ini text"},
        {"e.bmp", "close.bmp", "close"},
        {"bmp", "menu.initial.bmp", "bitmap"},
        // The text is not lower-cased.
        {".INI", nullptr, ""},
        {"Close", nullptr, ""},
        {"", nullptr, ""},
        {"missing", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TMemoryStream target;
        target.WriteString("left over");
        std::string found = "kept";
        r.FindEntry(c.text, target, found);
        EXPECT_EQ(found, c.found ? c.found : "kept");
        EXPECT_EQ(StreamBytes(target), ToBytes(c.bytes));
        EXPECT_EQ(target.Position(), 0);
    }
}

// ---------------------------------------------------------------------------
// The name list

TEST_F(SkinReaderTest, NameListLines) {
    struct Case {
        const char* name;
        std::string nameList;
        std::vector<int32_t> sizes;
        std::vector<std::string> names;
        std::string entry, expected;
    };
    const Bytes data = ToBytes("aabbbcccc");
    const Case cases[] = {
        {"CR LF", "A\r\nb\r\nc\r\n", {2, 3, 4}, {"a", "b", "c"}, "c", "cccc"},
        {"no final break", "a\r\nb\r\nc", {2, 3, 4}, {"a", "b", "c"}, "c", "cccc"},
        {"lone CR and lone LF", "a\rb\nc", {2, 3, 4}, {"a", "b", "c"}, "b", "bbb"},
        // An empty line is an entry with an empty name and takes a size.
        {"empty line", "a\r\n\r\nc\r\n", {2, 3, 4}, {"a", "", "c"}, "c", "cccc"},
        {"empty line read by its empty name", "a\r\n\r\nc\r\n", {2, 3, 4}, {"a", "", "c"}, "", "bbb"},
        {"empty list", "", {}, {}, "a", ""},
        // The same name twice: the first one wins.
        {"name twice", "x\r\nX\r\n", {2, 3}, {"x", "x"}, "x", "aa"},
        {"size 0", "a\r\nnothing\r\nc\r\n", {2, 0, 7}, {"a", "nothing", "c"}, "nothing", ""},
        {"after a size 0", "a\r\nnothing\r\nc\r\n", {2, 0, 7}, {"a", "nothing", "c"}, "c", "bbbcccc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSkinReader r;
        ASSERT_TRUE(Load(r, skinpack::SkinPackage(RawContainer(c.nameList, c.sizes, data))));
        EXPECT_EQ(NamesOf(r), c.names);
        EXPECT_EQ(r.Count, static_cast<int>(c.names.size()));
        EXPECT_EQ(Entry(r, c.entry), c.expected);
    }
}

TEST_F(SkinReaderTest, ThousandAndOneEntriesFit) {
    std::vector<TSkinEntry> entries;
    for (int i = 0; i < SkinMaxEntries; ++i) entries.push_back({"e" + std::to_string(i), ToBytes(std::to_string(i))});
    TSkinReader r;
    ASSERT_TRUE(Load(r, skinpack::SkinPackage(entries)));
    EXPECT_EQ(r.Count, 1001);
    EXPECT_EQ(r.Sizes[1000], 4);
    EXPECT_EQ(Entry(r, "e1000"), "1000");
    EXPECT_EQ(Entry(r, "e0"), "0");
}

// ---------------------------------------------------------------------------
// Older and damaged packages

TEST_F(SkinReaderTest, OlderContainerShowsItsMessageAndKeepsTheSkin) {
    for (int32_t tag : {19999, 0, -20000, 20001}) {
        SCOPED_TRACE(tag);
        TSkinReader r;
        LoadGood(r);
        State before = StateOf(r);
        EXPECT_FALSE(Load(r, skinpack::SkinPackage(RawContainer("a\r\n", {1}, ToBytes("z"), tag))));
        ASSERT_EQ(RecordedSkinMessages().size(), 1u);
        EXPECT_EQ(RecordedSkinMessages()[0], "This is Older Skin File\rPlease update to new version !");
        // Only the head read from the file is new.
        EXPECT_EQ(r.Head.Tag, tag);
        before.tag = tag;
        before.nameLength = 3;
        before.reserved = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
        EXPECT_EQ(StateOf(r), before);
        ClearRecordedSkinMessages();
    }
}

struct Refusal {
    const char* name;
    Bytes package;
    const char* reason;
};

std::vector<Refusal> Refusals() {
    const Bytes tiny = skinpack::LzhCompress(ToBytes("x"));
    const int64_t bound = SkinMaxUnpackedSize(static_cast<int64_t>(tiny.size()));
    std::string many;
    std::vector<int32_t> manySizes;
    for (int i = 0; i < SkinMaxEntries + 1; ++i) {
        many += "n" + std::to_string(i) + "\r\n";
        manySizes.push_back(0);
    }
    auto pkg = [](const Bytes& container) { return skinpack::SkinPackage(container); };
    // The head alone, lying about the name list.
    Bytes headOnly = RawContainer("", {}, {}, SkinTag, 0);
    return {
        {"empty file", {}, "shorter than its size field"},
        {"three bytes", {1, 2, 3}, "shorter than its size field"},
        {"negative size", PackageClaiming(-1, tiny), "negative"},
        {"most negative size", PackageClaiming(INT32_MIN, tiny), "negative"},
        {"size past what the bytes can hold", PackageClaiming(static_cast<int32_t>(bound + 1), tiny),
         "cannot come from"},
        {"largest size", PackageClaiming(INT32_MAX, tiny), "cannot come from"},
        {"size with no coded bytes", PackageClaiming(61, {}), "cannot come from"},
        {"container shorter than its head", pkg(Bytes(headOnly.begin(), headOnly.begin() + 15)),
         "shorter than its head"},
        {"name list length negative", pkg(RawContainer("a\r\n", {1}, ToBytes("z"), SkinTag, -1)), "name list"},
        {"name list past the end", pkg(RawContainer("a\r\n", {1}, ToBytes("z"), SkinTag, 3 + 4 + 1 + 1)), "name list"},
        {"name list length huge", pkg(RawContainer("a\r\n", {1}, ToBytes("z"), SkinTag, INT32_MAX)), "name list"},
        {"1002 names", pkg(RawContainer(many, manySizes, {})), "1002 entries"},
        {"size table cut short", pkg(RawContainer("a\r\nb\r\n", {1}, {})), "size table"},
        {"negative entry size", pkg(RawContainer("a\r\nb\r\n", {1, -1}, ToBytes("z"))), "negative size"},
        {"entries past the end", pkg(RawContainer("a\r\nb\r\n", {5, 5}, ToBytes("123456789"))), "entries run past"},
        {"sizes summing past 32 bits", pkg(RawContainer("a\r\nb\r\n", {INT32_MAX, INT32_MAX}, ToBytes("12"))),
         "entries run past"},
    };
}

TEST_F(SkinReaderTest, DamagedPackagesAreRefusedAndChangeNothing) {
    for (const Refusal& c : Refusals()) {
        SCOPED_TRACE(c.name);
        TSkinReader r;
        LoadGood(r);
        const State before = StateOf(r);
        EXPECT_FALSE(Load(r, c.package));
        ASSERT_EQ(RecordedSkinMessages().size(), 1u);
        const std::string& msg = RecordedSkinMessages()[0];
        EXPECT_EQ(msg.rfind("This skin file is damaged\r", 0), 0u) << msg;
        EXPECT_NE(msg.find(c.reason), std::string::npos) << msg;
        EXPECT_EQ(StateOf(r), before);
        EXPECT_EQ(Entry(r, "good.bmp"), "BMgood");
        ClearRecordedSkinMessages();
    }
}

// A size at the bound is not refused for its size (the zeros after the
// coded byte then decode to something that is no container).
TEST_F(SkinReaderTest, SizeAtTheBoundIsDecoded) {
    const Bytes tiny = skinpack::LzhCompress(ToBytes("x"));
    const int64_t bound = SkinMaxUnpackedSize(static_cast<int64_t>(tiny.size()));
    EXPECT_EQ(bound, 60 * 8 * static_cast<int64_t>(tiny.size()) + 60);
    TSkinReader r;
    EXPECT_FALSE(Load(r, PackageClaiming(static_cast<int32_t>(bound), tiny)));
    ASSERT_EQ(RecordedSkinMessages().size(), 1u);
    EXPECT_EQ(RecordedSkinMessages()[0].find("cannot come from"), std::string::npos);
}

// Cut short, the package still decodes to its full size: zeros stand in for the
// missing bytes, so what came before the cut is intact.
TEST_F(SkinReaderTest, TruncatedPackageKeepsWhatCameBeforeTheCut) {
    const Bytes tail = Noise(4000, 21);
    const Bytes package = skinpack::SkinPackage({{"head.ini", ToBytes("[Form]")}, {"tail.bmp", tail}});
    for (size_t cut : {size_t{3}, size_t{50}, size_t{2000}}) {
        SCOPED_TRACE(cut);
        TSkinReader r;
        ASSERT_TRUE(Load(r, Bytes(package.begin(), package.end() - static_cast<std::ptrdiff_t>(cut))));
        EXPECT_EQ(Entry(r, "head.ini"), "[Form]");
        const std::string got = Entry(r, "tail.bmp");
        EXPECT_EQ(got.size(), tail.size());
        EXPECT_NE(got, std::string(tail.begin(), tail.end()));
    }
}

// ---------------------------------------------------------------------------
// Unpack

TEST_F(SkinReaderTest, UnpackLeavesExactlyTheContainer) {
    const Bytes container = RawContainer("a\r\n", {3}, ToBytes("abc"));
    const Bytes package = skinpack::SkinPackage(container);
    TMemoryStream src, dst;
    src.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
    dst.WriteBuffer(Noise(5000, 3).data(), 5000);  // longer than the container
    TSkinReader r;
    r.Unpack(src, dst);
    EXPECT_EQ(StreamBytes(dst), container);
}

// A damaged stream whose last match runs past N still leaves N bytes.
TEST_F(SkinReaderTest, UnpackCutsAMatchThatRunsPastTheSize) {
    skinpack::TLzhWriter w;
    for (char c : std::string("abc")) w.PutChar(c);
    w.PutChar(256 + 20);
    w.PutPosition(2);
    const Bytes package = PackageClaiming(5, w.Finish());
    TMemoryStream src, dst;
    src.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
    TSkinReader r;
    r.Unpack(src, dst);
    EXPECT_EQ(StreamBytes(dst), ToBytes("abcab"));
}

TEST_F(SkinReaderTest, UnpackRefusesBeforeDecoding) {
    TMemoryStream src, dst;
    Bytes package = PackageClaiming(1 << 30, Bytes(10, 0));
    src.WriteBuffer(package.data(), static_cast<int64_t>(package.size()));
    TSkinReader r;
    EXPECT_THROW(r.Unpack(src, dst), ESkinReadError);
    EXPECT_EQ(dst.Size(), 0);
    EXPECT_EQ(dst.Capacity(), 0);
}

// ---------------------------------------------------------------------------
// The message hook and a caller that changes the reader's fields

TEST_F(SkinReaderTest, MessagesGoThroughTheHook) {
    std::vector<std::string> shown;
    SkinMessageHook = [&shown](const std::string& text) { shown.push_back(text); };
    TSkinReader r;
    EXPECT_FALSE(Load(r, skinpack::SkinPackage(RawContainer("", {}, {}, 1))));
    EXPECT_FALSE(Load(r, {0}));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], SOlderSkinFile);
    EXPECT_EQ(shown[1], "This skin file is damaged\rThe file is shorter than its size field");
    EXPECT_TRUE(RecordedSkinMessages().empty());
}

TEST_F(SkinReaderTest, EntriesNeverReadOutsideData) {
    TSkinReader r;
    LoadGood(r);
    struct Case {
        const char* name;
        int count;
        int32_t size0;
    };
    const Case cases[] = {
        {"size beyond Data", 2, 1 << 30},
        {"negative size", 2, -6},
        {"count beyond the table", 5000, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        r.Count = c.count;
        r.Sizes[0] = c.size0;
        const bool sane = c.size0 == 6;
        EXPECT_EQ(Entry(r, "good.ini"), sane ? "[x]" : "");
        std::string found = "kept";
        TMemoryStream target;
        r.FindEntry("ini", target, found);
        EXPECT_EQ(found, sane ? "good.ini" : "kept");
    }
}

}  // namespace
