// Package records: stored layout at fixed offsets, text fields that never
// spill, and a table reader that stays inside its input.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "common/RecordHead.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U32At(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

std::string TextAt(const Bytes& b, size_t at, size_t width) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), width);
}

// The text followed by zeros up to width.
std::string Field(const std::string& text, size_t width) {
    std::string f = text;
    f.resize(width, '\0');
    return f;
}

template <class Rec>
Bytes Encoded(const Rec& rec, size_t size, void (*encode)(const Rec&, uint8_t*)) {
    Bytes b(size, 0xCC);
    encode(rec, b.data());
    return b;
}

TEST(PackRecords, HeadFieldsAtTheirOffsets) {
    TPackHead h = NewPackHead();
    SetPackText(h.ProgramName, "Ocean Waves");
    SetPackText(h.Author, "Ann Author");
    SetPackText(h.Email, "ann@example.com");
    SetPackText(h.Website, "http://www.example.com/");
    h.RegCount = 0x01020304;
    h.RegOffset = 0x11121314;
    h.FileCount = 0x21222324;
    h.FileOffset = 0x31323334;
    h.LinkCount = 0x41424344;
    h.LinkOffset = 0x51525354;
    h.DirCount = 0x61626364;
    h.DirOffset = 0xF1F2F3F4;
    const Bytes b = Encoded(h, PackHeadSize, EncodePackHead);

    EXPECT_EQ(TextAt(b, 0, 4), std::string("zem\0", 4));
    EXPECT_EQ(TextAt(b, 4, 256), Field("Ocean Waves", 256));
    EXPECT_EQ(TextAt(b, 260, 64), Field("Ann Author", 64));
    EXPECT_EQ(TextAt(b, 324, 64), Field("ann@example.com", 64));
    EXPECT_EQ(TextAt(b, 388, 128), Field("http://www.example.com/", 128));
    EXPECT_EQ(TextAt(b, 516, 4), std::string(4, '\0'));
    // Little-endian: the lowest byte first.
    EXPECT_EQ(b[520], 0x04);
    EXPECT_EQ(b[523], 0x01);
    EXPECT_EQ(U32At(b, 520), 0x01020304u);
    EXPECT_EQ(U32At(b, 524), 0x11121314u);
    EXPECT_EQ(U32At(b, 528), 0x21222324u);
    EXPECT_EQ(U32At(b, 532), 0x31323334u);
    EXPECT_EQ(U32At(b, 536), 0x41424344u);
    EXPECT_EQ(U32At(b, 540), 0x51525354u);
    EXPECT_EQ(U32At(b, 544), 0x61626364u);
    EXPECT_EQ(U32At(b, 548), 0xF1F2F3F4u);
}

TEST(PackRecords, FileDirLinkRegFieldsAtTheirOffsets) {
    TPackFileRec f{};
    SetPackText(f.FileName, "Ocean Waves.html");
    SetPackText(f.Root, RootInstallDir);
    SetPackText(f.SubFolder, "Pages\\Sea");
    f.Offset = 0x00ABCDEF;
    f.Size = 0x80000001;
    Bytes b = Encoded(f, PackFileRecSize, EncodePackFileRec);
    EXPECT_EQ(TextAt(b, 0, 256), Field("Ocean Waves.html", 256));
    EXPECT_EQ(TextAt(b, 256, 256), Field("InstallDir", 256));
    EXPECT_EQ(TextAt(b, 512, 256), Field("Pages\\Sea", 256));
    EXPECT_EQ(U32At(b, 768), 0x00ABCDEFu);
    EXPECT_EQ(U32At(b, 772), 0x80000001u);

    TPackDirRec d{};
    SetPackText(d.Root, RootWindowsDir);
    SetPackText(d.SubFolder, "Web\\Wallpaper");
    b = Encoded(d, PackDirRecSize, EncodePackDirRec);
    EXPECT_EQ(TextAt(b, 0, 256), Field("WindowsDir", 256));
    EXPECT_EQ(TextAt(b, 256, 256), Field("Web\\Wallpaper", 256));

    TPackLinkRec l{};
    l.Kind = lkAddItem;
    SetPackText(l.Root, RootSystem32Dir);
    SetPackText(l.SubFolder, "sub");
    SetPackText(l.FileName, "Uninstall.exe");
    SetPackText(l.Caption, "Uninstall");
    b = Encoded(l, PackLinkRecSize, EncodePackLinkRec);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(TextAt(b, 1, 256), Field("System32Dir", 256));
    EXPECT_EQ(TextAt(b, 257, 256), Field("sub", 256));
    EXPECT_EQ(TextAt(b, 513, 256), Field("Uninstall.exe", 256));
    EXPECT_EQ(TextAt(b, 769, 256), Field("Uninstall", 256));

    TPackRegRec r{};
    r.RootKey = 0x80000002;
    SetPackText(r.KeyPath, "Software\\Example\\Driftpane");
    SetPackText(r.ValueName, "Path");
    SetPackText(r.ValueText, "{InstallDir}\\x.html");
    b = Encoded(r, PackRegRecSize, EncodePackRegRec);
    EXPECT_EQ(b[0], 0x02);
    EXPECT_EQ(b[3], 0x80);
    EXPECT_EQ(U32At(b, 0), 0x80000002u);
    EXPECT_EQ(TextAt(b, 4, 512), Field("Software\\Example\\Driftpane", 512));
    EXPECT_EQ(TextAt(b, 516, 128), Field("Path", 128));
    EXPECT_EQ(TextAt(b, 644, 1024), Field("{InstallDir}\\x.html", 1024));
}

// Every text field of every record: where it is stored and how wide it is.
struct TextFieldCase {
    const char* name;
    size_t recordSize;
    size_t offset;
    size_t width;
    // Sets the field of a zeroed record to text and returns the stored bytes.
    std::function<Bytes(const std::string&)> store;
};

template <class Rec, size_t W>
std::function<Bytes(const std::string&)> StorerW(char (Rec::*field)[W], size_t size,
                                                 void (*encode)(const Rec&, uint8_t*)) {
    return [=](const std::string& text) {
        Rec rec{};
        // A dirty field first: the setter must clear what it does not overwrite.
        std::memset(rec.*field, 'x', W);
        SetPackText(rec.*field, text);
        return Encoded(rec, size, encode);
    };
}

std::vector<TextFieldCase> TextFieldCases() {
    return {
        {"head.Magic", PackHeadSize, 0, 4, StorerW(&TPackHead::Magic, PackHeadSize, EncodePackHead)},
        {"head.ProgramName", PackHeadSize, 4, 256, StorerW(&TPackHead::ProgramName, PackHeadSize, EncodePackHead)},
        {"head.Author", PackHeadSize, 260, 64, StorerW(&TPackHead::Author, PackHeadSize, EncodePackHead)},
        {"head.Email", PackHeadSize, 324, 64, StorerW(&TPackHead::Email, PackHeadSize, EncodePackHead)},
        {"head.Website", PackHeadSize, 388, 128, StorerW(&TPackHead::Website, PackHeadSize, EncodePackHead)},
        {"file.FileName", PackFileRecSize, 0, 256,
         StorerW(&TPackFileRec::FileName, PackFileRecSize, EncodePackFileRec)},
        {"file.Root", PackFileRecSize, 256, 256, StorerW(&TPackFileRec::Root, PackFileRecSize, EncodePackFileRec)},
        {"file.SubFolder", PackFileRecSize, 512, 256,
         StorerW(&TPackFileRec::SubFolder, PackFileRecSize, EncodePackFileRec)},
        {"dir.Root", PackDirRecSize, 0, 256, StorerW(&TPackDirRec::Root, PackDirRecSize, EncodePackDirRec)},
        {"dir.SubFolder", PackDirRecSize, 256, 256, StorerW(&TPackDirRec::SubFolder, PackDirRecSize, EncodePackDirRec)},
        {"link.Root", PackLinkRecSize, 1, 256, StorerW(&TPackLinkRec::Root, PackLinkRecSize, EncodePackLinkRec)},
        {"link.SubFolder", PackLinkRecSize, 257, 256,
         StorerW(&TPackLinkRec::SubFolder, PackLinkRecSize, EncodePackLinkRec)},
        {"link.FileName", PackLinkRecSize, 513, 256,
         StorerW(&TPackLinkRec::FileName, PackLinkRecSize, EncodePackLinkRec)},
        {"link.Caption", PackLinkRecSize, 769, 256,
         StorerW(&TPackLinkRec::Caption, PackLinkRecSize, EncodePackLinkRec)},
        {"reg.KeyPath", PackRegRecSize, 4, 512, StorerW(&TPackRegRec::KeyPath, PackRegRecSize, EncodePackRegRec)},
        {"reg.ValueName", PackRegRecSize, 516, 128, StorerW(&TPackRegRec::ValueName, PackRegRecSize, EncodePackRegRec)},
        {"reg.ValueText", PackRegRecSize, 644, 1024,
         StorerW(&TPackRegRec::ValueText, PackRegRecSize, EncodePackRegRec)},
    };
}

std::string Letters(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>('A' + i % 26);
    return s;
}

TEST(PackRecords, LongTextIsCutToItsFieldAndNeverSpills) {
    const std::string text300 = Letters(300);
    const std::string text2000 = Letters(2000);
    for (const TextFieldCase& c : TextFieldCases()) {
        SCOPED_TRACE(c.name);
        for (const std::string* text : {&text300, &text2000}) {
            if (text->size() <= c.width) continue;
            const Bytes b = c.store(*text);
            ASSERT_EQ(b.size(), c.recordSize);
            // W - 1 bytes of the text, then one zero.
            EXPECT_EQ(TextAt(b, c.offset, c.width - 1), text->substr(0, c.width - 1));
            EXPECT_EQ(b[c.offset + c.width - 1], 0);
            // Every byte outside the field is still the zero of the empty record.
            for (size_t i = 0; i < b.size(); ++i) {
                if (i >= c.offset && i < c.offset + c.width) continue;
                ASSERT_EQ(b[i], 0) << "byte " << i << " outside the field changed";
            }
        }
    }
}

TEST(PackRecords, ShortAndBoundaryTextsAreZeroFilled) {
    for (const TextFieldCase& c : TextFieldCases()) {
        SCOPED_TRACE(c.name);
        for (size_t len : {size_t(0), size_t(1), c.width - 2, c.width - 1, c.width}) {
            const std::string text = Letters(len);
            const Bytes b = c.store(text);
            const size_t kept = len < c.width ? len : c.width - 1;
            EXPECT_EQ(TextAt(b, c.offset, c.width), Field(text.substr(0, kept), c.width)) << "length " << len;
        }
    }
}

TEST(PackRecords, GetPackTextStopsAtTheFirstZeroOrTheFieldEnd) {
    char field[8];
    std::memcpy(field, "ab\0cdefg", 8);
    EXPECT_EQ(GetPackText(field), "ab");
    std::memcpy(field, "abcdefgh", 8);  // no terminator: all eight, nothing beyond
    EXPECT_EQ(GetPackText(field), "abcdefgh");
    std::memset(field, 0, 8);
    EXPECT_EQ(GetPackText(field), "");
}

TEST(PackRecords, DecodeGivesBackExactlyTheStoredBytes) {
    // Arbitrary bytes, including text fields without any terminator: a record
    // read from a package and written again (the installation record) is the same.
    struct Case {
        const char* name;
        size_t size;
        std::function<Bytes(const Bytes&)> roundTrip;
    };
    const Case cases[] = {
        {"head", PackHeadSize,
         [](const Bytes& in) {
             TPackHead r;
             DecodePackHead(in.data(), r);
             return Encoded(r, PackHeadSize, EncodePackHead);
         }},
        {"file", PackFileRecSize,
         [](const Bytes& in) {
             TPackFileRec r;
             DecodePackFileRec(in.data(), r);
             return Encoded(r, PackFileRecSize, EncodePackFileRec);
         }},
        {"dir", PackDirRecSize,
         [](const Bytes& in) {
             TPackDirRec r;
             DecodePackDirRec(in.data(), r);
             return Encoded(r, PackDirRecSize, EncodePackDirRec);
         }},
        {"link", PackLinkRecSize,
         [](const Bytes& in) {
             TPackLinkRec r;
             DecodePackLinkRec(in.data(), r);
             return Encoded(r, PackLinkRecSize, EncodePackLinkRec);
         }},
        {"reg", PackRegRecSize,
         [](const Bytes& in) {
             TPackRegRec r;
             DecodePackRegRec(in.data(), r);
             return Encoded(r, PackRegRecSize, EncodePackRegRec);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes in(c.size);
        uint32_t x = 2463534242u;
        for (uint8_t& v : in) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            v = static_cast<uint8_t>(x | 1);  // never zero
        }
        EXPECT_EQ(c.roundTrip(in), in);
    }
}

TEST(PackRecords, DecodedFieldsLandWhereTheyBelong) {
    Bytes b(PackLinkRecSize, 0);
    b[0] = 4;
    std::memcpy(&b[1], "InstallDir", 10);
    std::memcpy(&b[513], "Ocean.html", 10);
    TPackLinkRec l;
    DecodePackLinkRec(b.data(), l);
    EXPECT_EQ(l.Kind, lkWallpaper);
    EXPECT_EQ(GetPackText(l.Root), "InstallDir");
    EXPECT_EQ(GetPackText(l.SubFolder), "");
    EXPECT_EQ(GetPackText(l.FileName), "Ocean.html");
    EXPECT_EQ(GetPackText(l.Caption), "");

    Bytes h(PackHeadSize, 0);
    std::memcpy(&h[0], "zem", 3);
    h[528] = 3;
    h[532] = 0x10;
    h[533] = 0x27;  // 10000
    TPackHead head;
    DecodePackHead(h.data(), head);
    EXPECT_TRUE(PackHeadHasMagic(head));
    EXPECT_EQ(head.FileCount, 3u);
    EXPECT_EQ(head.FileOffset, 10000u);
}

TEST(PackRecords, MagicMustBeExactlyZem) {
    struct Case {
        const char bytes[4];
        bool accepted;
    };
    const Case cases[] = {
        {{'z', 'e', 'm', 0}, true},    {{'Z', 'E', 'M', 0}, false},  // letter case counts
        {{'z', 'e', 'm', 'X'}, false},                               // a four-character text
        {{'z', 'e', 0, 0}, false},     {{0, 'z', 'e', 'm'}, false}, {{'z', 'e', 'm', ' '}, false},
    };
    for (const Case& c : cases) {
        TPackHead h{};
        std::memcpy(h.Magic, c.bytes, 4);
        EXPECT_EQ(PackHeadHasMagic(h), c.accepted) << std::string(c.bytes, 4);
    }
    EXPECT_TRUE(PackHeadHasMagic(NewPackHead()));
}

// ---------------------------------------------------------------------------
// A package as the builder lays it out, read back through the stream reader.

struct BuiltPackage {
    TMemoryStream stream;
    TPackHead head;
    std::vector<TPackFileRec> files;
    std::vector<TPackDirRec> dirs;
    std::vector<TPackLinkRec> links;
};

void BuildPackage(BuiltPackage& p, const std::string& program, const std::vector<std::string>& data) {
    p.stream.WriteString(program);
    const char* names[] = {"Ocean.html", "Ocean.swf", "Uninstall.exe"};
    for (size_t i = 0; i < data.size(); ++i) {
        TPackFileRec f{};
        SetPackText(f.FileName, names[i % 3]);
        SetPackText(f.Root, RootInstallDir);
        f.Offset = static_cast<uint32_t>(p.stream.Size());
        f.Size = static_cast<uint32_t>(data[i].size());
        p.stream.WriteString(data[i]);
        p.files.push_back(f);
    }
    TPackDirRec d{};
    SetPackText(d.Root, RootInstallDir);
    p.dirs.push_back(d);
    TPackLinkRec l{};
    l.Kind = lkCreateGroup;
    SetPackText(l.Root, RootInstallDir);
    SetPackText(l.Caption, "Ocean");
    p.links.push_back(l);
    l = TPackLinkRec{};
    l.Kind = lkWallpaper;
    SetPackText(l.Root, RootInstallDir);
    SetPackText(l.FileName, "Ocean.html");
    p.links.push_back(l);
    l = TPackLinkRec{};
    l.Kind = lkAddItem;
    SetPackText(l.Root, RootInstallDir);
    SetPackText(l.FileName, "Uninstall.exe");
    SetPackText(l.Caption, "Uninstall");
    p.links.push_back(l);

    p.head = NewPackHead();
    SetPackText(p.head.ProgramName, "Ocean");
    SetPackText(p.head.Author, "Ann");
    p.head.FileOffset = static_cast<uint32_t>(p.stream.Size());
    p.head.FileCount = static_cast<uint32_t>(p.files.size());
    WritePackTable(p.stream, p.files);
    p.head.DirOffset = static_cast<uint32_t>(p.stream.Size());
    p.head.DirCount = static_cast<uint32_t>(p.dirs.size());
    WritePackTable(p.stream, p.dirs);
    p.head.LinkOffset = static_cast<uint32_t>(p.stream.Size());
    p.head.LinkCount = static_cast<uint32_t>(p.links.size());
    WritePackTable(p.stream, p.links);
    p.head.RegOffset = static_cast<uint32_t>(p.stream.Size());
    p.head.RegCount = 0;
    WritePackTable(p.stream, std::vector<TPackRegRec>());
    WritePackRecord(p.stream, p.head);
}

Bytes StreamBytes(TMemoryStream& s) {
    const uint8_t* p = static_cast<const uint8_t*>(s.Memory());
    return Bytes(p, p + s.Size());
}

TEST(PackReader, ReadsWhatTheWriterLaidOut) {
    BuiltPackage p;
    BuildPackage(p, "MZ-setup-program", {"<HTML>", "FWS-movie-bytes", "MZ-uninstall"});
    const int64_t size = p.stream.Size();
    const Bytes b = StreamBytes(p.stream);

    // Layout: the link table is three records, kinds 0, 4, 1, ending where the
    // empty registry table and then the head begin.
    EXPECT_EQ(p.head.LinkOffset + 3 * PackLinkRecSize, p.head.RegOffset);
    EXPECT_EQ(b[p.head.LinkOffset], 0);
    EXPECT_EQ(b[p.head.LinkOffset + PackLinkRecSize], 4);
    EXPECT_EQ(b[p.head.LinkOffset + 2 * PackLinkRecSize], 1);
    EXPECT_EQ(static_cast<int64_t>(p.head.RegOffset), size - static_cast<int64_t>(PackHeadSize));
    for (size_t i = 0; i + 1 < p.files.size(); ++i)
        EXPECT_EQ(p.files[i].Offset + p.files[i].Size, p.files[i + 1].Offset);
    EXPECT_EQ(p.files.back().Offset + p.files.back().Size, p.head.FileOffset);

    TPackIndex index;
    ASSERT_TRUE(ReadPackIndex(p.stream, index));
    EXPECT_EQ(GetPackText(index.Head.ProgramName), "Ocean");
    EXPECT_EQ(GetPackText(index.Head.Author), "Ann");
    ASSERT_EQ(index.Files.size(), 3u);
    ASSERT_EQ(index.Dirs.size(), 1u);
    ASSERT_EQ(index.Links.size(), 3u);
    EXPECT_TRUE(index.Regs.empty());
    EXPECT_EQ(index.StepCount(), 7);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(GetPackText(index.Files[i].FileName), GetPackText(p.files[i].FileName));
        EXPECT_EQ(index.Files[i].Offset, p.files[i].Offset);
        EXPECT_EQ(index.Files[i].Size, p.files[i].Size);
    }
    EXPECT_EQ(index.Links[0].Kind, lkCreateGroup);
    EXPECT_EQ(GetPackText(index.Links[0].Caption), "Ocean");
    EXPECT_EQ(index.Links[1].Kind, lkWallpaper);
    EXPECT_EQ(GetPackText(index.Links[2].FileName), "Uninstall.exe");

    // The stored data of a file record is where it says.
    const TPackFileRec& movie = index.Files[1];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[movie.Offset]), movie.Size), "FWS-movie-bytes");
}

TEST(PackReader, HeadOnlyPackageLoadsEmpty) {
    TMemoryStream s;
    s.WriteString("program");
    TPackHead h = NewPackHead();
    h.FileOffset = h.DirOffset = h.LinkOffset = h.RegOffset = 7;
    WritePackRecord(s, h);
    TPackIndex index;
    ASSERT_TRUE(ReadPackIndex(s, index));
    EXPECT_EQ(index.StepCount(), 0);
    EXPECT_TRUE(index.Files.empty());
}

TEST(PackReader, WrongMagicMeansNoPackage) {
    BuiltPackage p;
    BuildPackage(p, "setup", {"a"});
    uint8_t* mem = static_cast<uint8_t*>(p.stream.Memory());
    const int64_t at = p.stream.Size() - static_cast<int64_t>(PackHeadSize);
    mem[at + 3] = 'X';  // "zemX"
    TPackIndex index;
    index.Files.resize(2);  // left over from before: must not survive
    EXPECT_FALSE(ReadPackIndex(p.stream, index));
    EXPECT_TRUE(index.Files.empty());
    mem[at + 3] = 0;
    mem[at] = 'Z';
    EXPECT_FALSE(ReadPackIndex(p.stream, index));
}

TEST(PackReader, InputShorterThanAHeadRaisesTheReadError) {
    for (size_t n : {size_t(0), size_t(3), PackHeadSize - 1}) {
        TMemoryStream s;
        s.WriteString(std::string(n, 'z'));
        TPackIndex index;
        try {
            ReadPackIndex(s, index);
            ADD_FAILURE() << "no error for " << n << " bytes";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Stream read error");
        }
    }
}

// Counts and offsets that reach past the input, including values whose
// products and sums wrap in 32 bits. None may read or allocate beyond it (the
// sanitizers fail the run on a huge allocation or a stray read).
TEST(PackReader, TablesOutsideTheInputRaiseTheReadError) {
    struct Case {
        const char* name;
        std::function<void(TPackHead&, uint32_t headAt)> spoil;
    };
    const Case cases[] = {
        {"file count 0xFFFFFFFF", [](TPackHead& h, uint32_t) { h.FileCount = 0xFFFFFFFFu; }},
        {"reg count 0xFFFFFFFF", [](TPackHead& h, uint32_t) { h.RegCount = 0xFFFFFFFFu; }},
        // count x 1025 is 1 and count x 776 is 8 in 32-bit arithmetic
        {"link count wrapping 32 bits",
         [](TPackHead& h, uint32_t) {
             h.LinkCount = 0xC00FFC01u;
             h.LinkOffset = 0;
         }},
        {"file count wrapping 32 bits",
         [](TPackHead& h, uint32_t) {
             h.FileCount = 0x1F02A3A1u;
             h.FileOffset = 0;
         }},
        {"file offset 0xFFFFFFFF", [](TPackHead& h, uint32_t) { h.FileOffset = 0xFFFFFFFFu; }},
        {"dir table one byte too long",
         [](TPackHead& h, uint32_t headAt) {
             h.DirCount = 1;
             h.DirOffset = headAt + static_cast<uint32_t>(PackHeadSize) - static_cast<uint32_t>(PackDirRecSize) + 1;
         }},
        {"offset plus size wraps",
         [](TPackHead& h, uint32_t) {
             h.DirCount = 2;
             h.DirOffset = 0xFFFFFE00u;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuiltPackage p;
        BuildPackage(p, "setup", {"abc", "defg", "hi"});
        const uint32_t headAt = static_cast<uint32_t>(p.stream.Size() - static_cast<int64_t>(PackHeadSize));
        TPackHead h = p.head;
        c.spoil(h, headAt);
        p.stream.SetPosition(headAt);
        WritePackRecord(p.stream, h);
        TPackIndex index;
        EXPECT_THROW(ReadPackIndex(p.stream, index), EReadError);
        EXPECT_TRUE(index.Files.empty());
        EXPECT_TRUE(index.Links.empty());
    }
}

TEST(PackReader, TableEndingExactlyAtTheInputEndIsRead) {
    // The format does not forbid a table that overlaps the head; one that ends
    // on the last byte is still inside the input.
    BuiltPackage p;
    BuildPackage(p, "setup", {"abc"});
    const uint32_t size = static_cast<uint32_t>(p.stream.Size());
    TPackHead h = p.head;
    h.DirCount = 1;
    h.DirOffset = size - static_cast<uint32_t>(PackDirRecSize);
    p.stream.SetPosition(size - PackHeadSize);
    WritePackRecord(p.stream, h);
    TPackIndex index;
    ASSERT_TRUE(ReadPackIndex(p.stream, index));
    EXPECT_EQ(index.Dirs.size(), 1u);
}

TEST(PackReader, RecordReaderRaisesOnAShortStream) {
    TMemoryStream s;
    s.WriteString(std::string(PackLinkRecSize - 1, 'a'));
    s.SetPosition(0);
    TPackLinkRec l;
    EXPECT_THROW(ReadPackRecord(s, l), EReadError);
}

}  // namespace

namespace {

// A package laid out by an independent script (the fuzz seed), read from a file.
TEST(PackReader, ReadsAPackageFileWrittenElsewhere) {
    TFileStream f(std::string(DP_TEST_DATA_DIR) + "/fuzz/fuzz_packhead/builder_package", fmOpenRead | fmShareDenyNone);
    TPackIndex index;
    ASSERT_TRUE(ReadPackIndex(f, index));
    EXPECT_EQ(GetPackText(index.Head.ProgramName), "Ocean");
    EXPECT_EQ(GetPackText(index.Head.Email), "ann@example.com");
    EXPECT_EQ(GetPackText(index.Head.Website), "http://www.example.com");
    ASSERT_EQ(index.Files.size(), 3u);
    EXPECT_EQ(GetPackText(index.Files[0].FileName), "Ocean.html");
    EXPECT_EQ(index.Files[0].Offset, 7u);  // right after the 7-byte program
    EXPECT_EQ(index.Files[0].Size, 17u);
    EXPECT_EQ(GetPackText(index.Files[2].FileName), "Uninstall.exe");
    EXPECT_EQ(GetPackText(index.Files[2].Root), "InstallDir");
    ASSERT_EQ(index.Links.size(), 3u);
    EXPECT_EQ(index.Links[0].Kind, 0);
    EXPECT_EQ(index.Links[1].Kind, 4);
    EXPECT_EQ(index.Links[2].Kind, 1);
    EXPECT_EQ(GetPackText(index.Links[2].Caption), "Uninstall");
    EXPECT_EQ(index.Dirs.size(), 1u);
    EXPECT_TRUE(index.Regs.empty());
    EXPECT_EQ(static_cast<int64_t>(index.Head.RegOffset), f.Size() - static_cast<int64_t>(PackHeadSize));

    TFileStream r(std::string(DP_TEST_DATA_DIR) + "/fuzz/fuzz_packhead/with_registry", fmOpenRead | fmShareDenyNone);
    ASSERT_TRUE(ReadPackIndex(r, index));
    ASSERT_EQ(index.Regs.size(), 1u);
    EXPECT_EQ(index.Regs[0].RootKey, 0x80000002u);
    EXPECT_EQ(GetPackText(index.Regs[0].KeyPath), "Software\\Example");
    EXPECT_EQ(GetPackText(index.Regs[0].ValueText), "{InstallDir}\\{InstallDir}");
    EXPECT_EQ(index.Links[0].Kind, lkScreenSaver);
}

}  // namespace
