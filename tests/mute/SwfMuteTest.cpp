// The movie copies beside a published page: plain and muted, on real files.
#include "builder/SwfMute.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "tools/swfgen/SwfPack.h"
#include "tools/swfgen/SwfWriter.h"

namespace {

using swfgen::Bytes;
using swfgen::MovieBuilder;
using swfgen::TagHeader;

// ---------------------------------------------------------------------------
// Files

std::string Scratch() {
    static std::string dir;
    if (dir.empty()) {
        dir = std::string(DP_TEST_BIN_DIR) + "/mute_scratch";
        CreateDir(dir);
    }
    return dir;
}

// A fresh path per test and role; any file left from an earlier run is removed.
std::string TempPath(const std::string& role) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name() + "_" + role;
    for (char& c : name)
        if (c == '/') c = '_';
    std::string path = Scratch() + "/" + name;
    DeleteFile(path);
    return path;
}

void WriteBytes(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), f), data.size());
    ASSERT_EQ(std::fclose(f), 0);
}

Bytes ReadBytes(const std::string& path) {
    Bytes out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

uint16_t WordAt(const Bytes& b, size_t at) { return swfgen::GetU16(b, at); }

Bytes Filled(size_t n, std::initializer_list<uint8_t> pattern) {
    Bytes out;
    while (out.size() < n)
        for (uint8_t b : pattern)
            if (out.size() < n) out.push_back(b);
    return out;
}

// The data of the tags below is made of words that read like sound tags (0x04D4 is a
// SoundStreamBlock of 20 bytes), so a walk that steps wrong rewrites something visible.
const std::initializer_list<uint8_t> kTrap = {0xD4, 0x04};

struct TagRow {
    uint16_t code;
    size_t length;
    TagHeader form;
    uint16_t wordAfter;  // the tag's word in the muted copy
};

// Each muted code in both header forms, and neighbours that must stay as they are.
const TagRow kTagRows[] = {
    {14, 27, TagHeader::Short, 0xFFDB},                                              // DefineSound
    {14, 100, TagHeader::Long, 0xFFFF},         {18, 4, TagHeader::Short, 0xFFC4},   // SoundStreamHead
    {18, 4, TagHeader::Long, 0xFFFF},           {19, 20, TagHeader::Short, 0xFFD4},  // SoundStreamBlock
    {19, 62, TagHeader::Short, 0xFFFE},         {19, 63, TagHeader::Auto, 0xFFFF},
    {19, 20, TagHeader::Long, 0xFFFF},          {24, 0, TagHeader::Short, 0xFFC0},         // Protect
    {24, 30, TagHeader::Long, 0xFFFF},          {45, 4, TagHeader::Short, 0xFFC4},         // SoundStreamHead2
    {45, 200, TagHeader::Long, 0xFFFF},         {15, 3, TagHeader::Short, (15 << 6) | 3},  // StartSound is not muted
    {2, 40, TagHeader::Long, (2 << 6) | 0x3F},                                             // long header of a shape
    {1, 0, TagHeader::Short, 1 << 6},                                                      // ShowFrame
    {1023, 5, TagHeader::Short, 0xFFC5},                                                   // already the skipped code
    {13, 10, TagHeader::Short, (13 << 6) | 10}, {46, 6, TagHeader::Short, (46 << 6) | 6},
    {25, 8, TagHeader::Short, (25 << 6) | 8},
};

struct BuiltMovie {
    Bytes fws;
    Bytes expected;  // the muted copy, byte for byte
};

BuiltMovie AllTagRowsMovie() {
    MovieBuilder m;
    std::vector<std::pair<size_t, uint16_t>> words;
    for (const TagRow& r : kTagRows) words.push_back({m.Tag(r.code, Filled(r.length, kTrap), r.form), r.wordAfter});
    m.End();
    BuiltMovie out{m.Fws(6), {}};
    out.expected = out.fws;
    for (auto [at, word] : words) {
        out.expected[at] = static_cast<uint8_t>(word & 0xFF);
        out.expected[at + 1] = static_cast<uint8_t>(word >> 8);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Good movies

TEST(MutedCopy, FwsWithoutSoundIsCopiedByteForByteUpToFileLength) {
    Bytes fws;
    for (const auto& fx : swfgen::Fixtures())
        if (fx.name == "plain.swf") fws = fx.fws;
    ASSERT_FALSE(fws.empty());
    Bytes file = fws;
    swfgen::PutBytes(file, Filled(300, {'J', 'U', 'N', 'K'}));  // past FileLength: not copied
    const std::string src = TempPath("src.swf"), dst = TempPath("dst.swf");
    WriteBytes(src, file);
    EXPECT_FALSE(CopySwfMuted(src, dst));
    EXPECT_EQ(ReadBytes(dst), fws);
}

TEST(MutedCopy, EachTagWordInFwsAndCws) {
    const BuiltMovie movie = AllTagRowsMovie();
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "CWS" : "FWS");
        const std::string src = TempPath(compressed ? "c.swf" : "f.swf"),
                          dst = TempPath(compressed ? "cm.swf" : "fm.swf");
        WriteBytes(src, compressed ? swfgen::Cws(movie.fws) : movie.fws);
        EXPECT_FALSE(CopySwfMuted(src, dst));
        const Bytes got = ReadBytes(dst);
        ASSERT_EQ(got.size(), movie.expected.size());
        EXPECT_EQ(got, movie.expected);
    }
}

TEST(MutedCopy, ShortBlockBecomesFFD4AndLongKeepsItsLength) {
    MovieBuilder m;
    const size_t shortAt = m.Tag(19, Filled(20, {1, 2, 3}), TagHeader::Short);
    const size_t longAt = m.Tag(19, Filled(700, {4, 5}), TagHeader::Long);
    m.ShowFrame();
    m.End();
    const std::string src = TempPath("src.swf"), dst = TempPath("dst.swf");
    WriteBytes(src, m.Fws());
    CopySwfMuted(src, dst);
    const Bytes got = ReadBytes(dst);
    ASSERT_EQ(got.size(), m.FileLength());
    EXPECT_EQ(WordAt(got, shortAt), 0xFFD4);
    EXPECT_EQ(WordAt(got, longAt), 0xFFFF);
    EXPECT_EQ(swfgen::GetU32(got, longAt + 2), 700u);
}

TEST(MutedCopy, CwsBecomesFwsOfFileLengthWithTheInflatedBody) {
    for (const auto& fx : swfgen::Fixtures()) {
        SCOPED_TRACE(fx.name);
        const std::string src = TempPath("c_" + fx.name), dst = TempPath("m_" + fx.name);
        const std::string fsrc = TempPath("f_" + fx.name), fdst = TempPath("fm_" + fx.name);
        WriteBytes(src, swfgen::Cws(fx.fws, 9));
        WriteBytes(fsrc, fx.fws);
        ASSERT_FALSE(CopySwfMuted(src, dst));
        ASSERT_FALSE(CopySwfMuted(fsrc, fdst));
        const Bytes got = ReadBytes(dst);
        ASSERT_EQ(got.size(), swfgen::GetU32(fx.fws, 4));
        EXPECT_EQ(std::string(got.begin(), got.begin() + 3), "FWS");
        EXPECT_EQ(got[3], fx.fws[3]);  // version
        // The body is the inflated body but for rewritten words: a high byte became 0xFF, a
        // low byte kept its six length bits under the two top bits of code 1023.
        ASSERT_EQ(got.size(), fx.fws.size());
        for (size_t i = 8; i < got.size(); ++i)
            if (got[i] != fx.fws[i]) {
                const bool highByte = got[i] == 0xFF && (got[i - 1] & 0xC0) == 0xC0;
                const bool lowByte = i + 1 < got.size() && got[i + 1] == 0xFF && (got[i] & 0xC0) == 0xC0 &&
                                     (got[i] & 0x3F) == (fx.fws[i] & 0x3F);
                EXPECT_TRUE(highByte || lowByte) << "offset " << i;
            }
        // Compressed or not, the muted copy is the same.
        EXPECT_EQ(got, ReadBytes(fdst));
    }
}

TEST(MutedCopy, SpriteInnerSoundTagsAreUntouched) {
    Bytes inner;
    swfgen::PutTag(inner, 18, Filled(4, {0x02, 0x32}));
    swfgen::PutTag(inner, 19, Filled(20, kTrap));
    swfgen::PutTag(inner, 1, {});
    swfgen::PutTag(inner, 19, Filled(300, kTrap));
    swfgen::PutTag(inner, 24, {});
    swfgen::PutTag(inner, 1, {});
    swfgen::PutTag(inner, 0, {});
    MovieBuilder m;
    const size_t spriteAt = m.Tag(39, swfgen::DefineSpriteData(7, 2, inner), TagHeader::Long);
    const size_t blockAt = m.Tag(19, Filled(20, kTrap));
    m.ShowFrame();
    m.End();
    const Bytes fws = m.Fws();
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "CWS" : "FWS");
        const std::string src = TempPath(compressed ? "c.swf" : "f.swf"),
                          dst = TempPath(compressed ? "cm.swf" : "fm.swf");
        WriteBytes(src, compressed ? swfgen::Cws(fws) : fws);
        CopySwfMuted(src, dst);
        const Bytes got = ReadBytes(dst);
        ASSERT_EQ(got.size(), fws.size());
        Bytes expected = fws;
        expected[blockAt] = 0xD4;
        expected[blockAt + 1] = 0xFF;
        EXPECT_EQ(got, expected);
        EXPECT_EQ(WordAt(got, spriteAt), (39 << 6) | 0x3F);
    }
}

TEST(MutedCopy, SampleMovieLosesItsSoundAndKeepsEverythingElse) {
    const std::string sample = std::string(DP_TEST_BIN_DIR) + "/bin/sample.swf";
    const Bytes fws = ReadBytes(sample);
    ASSERT_FALSE(fws.empty()) << "the build writes " << sample;
    EXPECT_EQ(fws, swfgen::SampleMovie());
    const std::string dst = TempPath("muted.swf");
    EXPECT_FALSE(CopySwfMuted(sample, dst));
    const Bytes got = ReadBytes(dst);
    ASSERT_EQ(got.size(), fws.size());

    // Walk both side by side: same tags and lengths; sound tags now carry code 1023.
    size_t pos = 8 + (5 + 4 * (fws[8] >> 3) + 7) / 8 + 4;
    int frames = 0, sound = 0, shapes = 0;
    for (;;) {
        ASSERT_LE(pos + 2, fws.size());
        const uint16_t before = WordAt(fws, pos), after = WordAt(got, pos);
        size_t len = before & 0x3F, data = pos + 2;
        if (len == 0x3F) {
            len = swfgen::GetU32(fws, pos + 2);
            data = pos + 6;
            EXPECT_EQ(swfgen::GetU32(got, pos + 2), len);
        }
        const unsigned code = before >> 6;
        EXPECT_EQ(after & 0x3F, before & 0x3F);
        if (code == 18 || code == 19) {
            ++sound;
            EXPECT_EQ(after >> 6, 1023u);
        } else {
            EXPECT_EQ(after, before) << "tag " << code;
        }
        frames += code == 1;
        shapes += code == 2;
        ASSERT_TRUE(std::equal(fws.begin() + data, fws.begin() + data + len, got.begin() + data));
        if (code == 0) break;
        pos = data + len;
    }
    EXPECT_EQ(pos + 2, fws.size());
    EXPECT_EQ(frames, 36);
    EXPECT_EQ(WordAt(fws, pos - 2 - 0) >> 6, 1u);  // the last frame is shown before the End tag
    EXPECT_EQ(frames, WordAt(fws, 8 + (5 + 4 * (fws[8] >> 3) + 7) / 8 + 2));
    EXPECT_EQ(sound, 37);  // the stream head and one block a frame
    EXPECT_EQ(shapes, 3);
}

TEST(MutedCopy, LargeCompressedMovieMatchesItsUncompressedForm) {
    // Big enough that the buffer grows several times while the body inflates.
    const Bytes fws = swfgen::BulkMovie(3 * 1024 * 1024 + 17, 5);
    const std::string fsrc = TempPath("f.swf"), csrc = TempPath("c.swf");
    const std::string fdst = TempPath("fm.swf"), cdst = TempPath("cm.swf");
    WriteBytes(fsrc, fws);
    WriteBytes(csrc, swfgen::Cws(fws, 1));
    CopySwfMuted(fsrc, fdst);
    CopySwfMuted(csrc, cdst);
    const Bytes f = ReadBytes(fdst), c = ReadBytes(cdst);
    EXPECT_EQ(f.size(), fws.size());
    EXPECT_TRUE(f == c);
    EXPECT_FALSE(f == fws);  // it has sound to mute
}

TEST(MutedCopy, CopyOntoItselfMutesTheFile) {
    const BuiltMovie movie = AllTagRowsMovie();
    const std::string path = TempPath("self.swf");
    WriteBytes(path, swfgen::Cws(movie.fws));
    CopySwfMuted(path, path);
    EXPECT_EQ(ReadBytes(path), movie.expected);
}

TEST(MutedCopy, ReplacesALongerExistingTarget) {
    const BuiltMovie movie = AllTagRowsMovie();
    const std::string src = TempPath("src.swf"), dst = TempPath("dst.swf");
    WriteBytes(src, movie.fws);
    WriteBytes(dst, Filled(movie.fws.size() * 3, {0xAA}));
    CopySwfMuted(src, dst);
    EXPECT_EQ(ReadBytes(dst), movie.expected);
    EXPECT_FALSE(FileExists(dst + ".muting"));
}

// ---------------------------------------------------------------------------
// What is no movie, and what is a damaged one

TEST(MutedCopy, NoMovieGivesNoCopyAndNoError) {
    const std::vector<Bytes> inputs = {
        {},
        {'F', 'W'},
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0},
        {'B', 'M', 0x3E, 0, 0, 0, 0, 0, 0, 0},
        {'f', 'w', 's', 6, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {'Z', 'W', 'S', 13, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string src = TempPath("src" + std::to_string(i)), dst = TempPath("dst" + std::to_string(i));
        WriteBytes(src, inputs[i]);
        EXPECT_TRUE(CopySwfMuted(src, dst));
        EXPECT_FALSE(FileExists(dst));
    }
}

Bytes WithFileLength(Bytes movie, uint32_t length) {
    movie[4] = static_cast<uint8_t>(length);
    movie[5] = static_cast<uint8_t>(length >> 8);
    movie[6] = static_cast<uint8_t>(length >> 16);
    movie[7] = static_cast<uint8_t>(length >> 24);
    return movie;
}

// A movie of the given tag bytes whose FileLength is its size.
Bytes RawTags(const Bytes& tags) {
    MovieBuilder m;
    m.Raw(tags);
    return m.Fws();
}

struct DamagedCase {
    const char* what;
    std::function<Bytes()> make;
};

std::vector<DamagedCase> DamagedCases() {
    const BuiltMovie good = AllTagRowsMovie();
    const Bytes fws = good.fws;
    const Bytes cws = swfgen::Cws(fws);
    return {
        {"long length that wraps 32 bits",
         [] {
             Bytes t;
             swfgen::PutU16(t, (19 << 6) | 0x3F);
             swfgen::PutU32(t, 0xFFFFFFFAu);  // data start + this wraps to just before the tag
             swfgen::PutTag(t, 0, {});
             return RawTags(t);
         }},
        {"long length one past the end",
         [] {
             Bytes t;
             swfgen::PutU16(t, (19 << 6) | 0x3F);
             swfgen::PutU32(t, 3);
             swfgen::PutBytes(t, {0, 0});
             return RawTags(t);
         }},
        {"short tag past the end",
         [] {
             Bytes t;
             swfgen::PutU16(t, (2 << 6) | 40);
             swfgen::PutBytes(t, Filled(10, {0}));
             return RawTags(t);
         }},
        {"long header cut by the end",
         [] {
             Bytes t;
             swfgen::PutU16(t, (19 << 6) | 0x3F);
             swfgen::PutBytes(t, {0, 0});
             return RawTags(t);
         }},
        {"no End tag",
         [] {
             return RawTags({0x40, 0x00, 0x40, 0x00});
         }},
        {"tags end on an odd byte",
         [] {
             return RawTags({0x40, 0x00, 0x00});
         }},
        {"no tags at all", [] { return RawTags({}); }},
        {"RECT past FileLength",
         [] {
             Bytes b = swfgen::FwsHeader(6, 12);
             swfgen::PutBytes(b, {0xF8, 0, 0, 0});  // 31-bit values: 17 bytes of RECT
             return b;
         }},
        {"frame rate and count past FileLength",
         [] {
             Bytes b = swfgen::FwsHeader(6, 11);
             swfgen::PutBytes(b, {0x00, 0x0C, 0x00});  // 1-byte RECT, then three of the four bytes
             return b;
         }},
        {"FileLength of the bare header", [fws] { return Bytes(fws.begin(), fws.begin() + 8); }},
        {"FWS shorter than its header",
         [] {
             return Bytes{'F', 'W', 'S', 6, 30};
         }},
        {"CWS shorter than its header",
         [] {
             return Bytes{'C', 'W', 'S'};
         }},
        {"FWS FileLength larger than the file",
         [fws] { return WithFileLength(fws, static_cast<uint32_t>(fws.size() + 1)); }},
        {"FWS FileLength of 4 GiB", [fws] { return WithFileLength(fws, 0xFFFFFFFFu); }},
        {"FWS FileLength below the header", [fws] { return WithFileLength(fws, 5); }},
        {"FWS FileLength cuts the End tag",
         [fws] { return WithFileLength(fws, static_cast<uint32_t>(fws.size() - 1)); }},
        {"CWS FileLength below 8", [cws] { return WithFileLength(cws, 7); }},
        {"CWS FileLength of 0", [cws] { return WithFileLength(cws, 0); }},
        {"CWS that inflates short", [cws, fws] { return WithFileLength(cws, static_cast<uint32_t>(fws.size() + 1)); }},
        {"CWS FileLength of 4 GiB in 8 bytes", [] { return Bytes{'C', 'W', 'S', 6, 0xFF, 0xFF, 0xFF, 0xFF}; }},
        {"CWS FileLength of 4 GiB", [cws] { return WithFileLength(cws, 0xFFFFFFFFu); }},
        {"CWS cut in half", [cws] { return Bytes(cws.begin(), cws.begin() + cws.size() / 2); }},
        {"CWS with a corrupt stream",
         [cws] {
             Bytes b = cws;
             for (size_t i = 12; i < b.size() - 4; i += 7) b[i] ^= 0x5A;
             return b;
         }},
        {"CWS body that is no zlib stream",
         [fws] {
             Bytes b = fws;
             b[0] = 'C';
             return b;
         }},
        {"CWS whose body has no End tag",
         [] {
             Bytes b = RawTags({0x40, 0x00, 0x40, 0x00});
             return swfgen::Cws(b);
         }},
    };
}

TEST(MutedCopy, DamagedMovieRaisesAnErrorNamingTheFileAndWritesNothing) {
    for (const DamagedCase& c : DamagedCases()) {
        SCOPED_TRACE(c.what);
        const std::string src = TempPath("src.swf"), dst = TempPath("dst.swf");
        WriteBytes(src, c.make());
        try {
            CopySwfMuted(src, dst);
            ADD_FAILURE() << "no error";
        } catch (const ESwfError& e) {
            EXPECT_NE(e.Message().find(src), std::string::npos) << e.Message();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "other error: " << e.what();
        }
        EXPECT_FALSE(FileExists(dst));
        EXPECT_FALSE(FileExists(dst + ".muting"));  // nor the copy in the making
    }
}

TEST(MutedCopy, DamagedMovieLeavesAnExistingTargetAsItWas) {
    const std::string src = TempPath("src.swf"), dst = TempPath("dst.swf");
    WriteBytes(src, RawTags({0x40, 0x00}));
    WriteBytes(dst, {'o', 'l', 'd'});
    EXPECT_THROW(CopySwfMuted(src, dst), ESwfError);
    EXPECT_EQ(ReadBytes(dst), (Bytes{'o', 'l', 'd'}));
}

// A stream over borrowed bytes, as the fuzz target feeds them.
class TBytesStream : public TCustomMemoryStream {
public:
    explicit TBytesStream(const Bytes& b) {
        SetPointer(const_cast<uint8_t*>(b.data()), static_cast<int64_t>(b.size()));
    }
    int64_t Write(const void*, int64_t) override { return 0; }
};

TEST(MutedCopy, CompressedBodyTakesMemoryOnlyAsItInflates) {
    // Huge FileLengths over a few real bytes: what is written stays near the data's own size.
    const Bytes small = swfgen::Cws(AllTagRowsMovie().fws);
    const std::vector<Bytes> inputs = {
        {'C', 'W', 'S', 6, 0xFF, 0xFF, 0xFF, 0xFF},
        WithFileLength(small, 0xFFFFFFFFu),
        WithFileLength(small, 0x80000000u),
    };
    for (const Bytes& in : inputs) {
        TBytesStream s(in);
        TMemoryStream out;
        EXPECT_THROW(MuteSwfStream(s, "x.swf", out), ESwfError);
        EXPECT_LE(out.Capacity(), 1024 * 1024);
    }
}

// Hands out at most a few bytes per read, so that every tag header of a movie arrives
// split in every possible way.
class TTrickleStream : public TBytesStream {
public:
    using TBytesStream::TBytesStream;
    int64_t Read(void* buffer, int64_t count) override {
        if (Position() < 8) return TBytesStream::Read(buffer, count);  // the header is read in one piece
        m_turn = m_turn % 7 + 1;
        return TBytesStream::Read(buffer, std::min<int64_t>(count, m_turn));
    }

private:
    int64_t m_turn = 0;
};

TEST(MutedCopy, TagHeadersArrivingInPiecesAreMutedAlike) {
    const BuiltMovie movie = AllTagRowsMovie();
    for (int skew = 0; skew < 7; ++skew) {
        SCOPED_TRACE(skew);
        // A run of ShowFrame tags in front shifts every later header by two bytes per tag.
        MovieBuilder m;
        for (int k = 0; k < skew; ++k) m.ShowFrame();
        m.Raw(Bytes(movie.fws.begin() + static_cast<long>(MovieBuilder().TagStart()), movie.fws.end()));
        const Bytes fws = m.Fws();
        Bytes expected = movie.expected;
        expected.insert(expected.begin() + static_cast<long>(m.TagStart()),
                        fws.begin() + static_cast<long>(m.TagStart()),
                        fws.begin() + static_cast<long>(m.TagStart()) + 2 * skew);
        for (int k = 0; k < 4; ++k) expected[4 + k] = fws[4 + k];
        expected[m.TagStart() - 2] = fws[m.TagStart() - 2];  // frame count
        expected[m.TagStart() - 1] = fws[m.TagStart() - 1];
        TTrickleStream s(fws);
        TMemoryStream out;
        ASSERT_TRUE(MuteSwfStream(s, "x.swf", out));
        ASSERT_EQ(out.Size(), static_cast<int64_t>(expected.size()));
        EXPECT_EQ(std::memcmp(out.Memory(), expected.data(), expected.size()), 0);
    }
}

TEST(MutedCopy, MovieLargerThanTheCopysPiecesIsMutedAlike) {
    // Far larger than one piece the copy works in, with tags of many lengths, short and long.
    MovieBuilder m;
    std::vector<std::pair<size_t, uint16_t>> words;
    size_t i = 0;
    while (m.FileLength() < 900000) {
        const size_t len = (i * 7919) % 5000;
        const bool sound = i % 3 != 0;
        const uint16_t code = sound ? 19 : 21;
        const size_t at = m.Tag(code, Filled(len, kTrap), len < 63 && i % 2 ? TagHeader::Short : TagHeader::Long);
        if (sound) words.push_back({at, static_cast<uint16_t>(len < 63 && i % 2 ? 0xFFC0 | len : 0xFFFF)});
        ++i;
    }
    m.End();
    const Bytes fws = m.Fws();
    Bytes expected = fws;
    for (auto [at, word] : words) {
        expected[at] = static_cast<uint8_t>(word & 0xFF);
        expected[at + 1] = static_cast<uint8_t>(word >> 8);
    }
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "CWS" : "FWS");
        const Bytes in = compressed ? swfgen::Cws(fws) : fws;
        TBytesStream s(in);
        TMemoryStream out;
        ASSERT_TRUE(MuteSwfStream(s, "x.swf", out));
        ASSERT_EQ(out.Size(), static_cast<int64_t>(expected.size()));
        EXPECT_EQ(std::memcmp(out.Memory(), expected.data(), expected.size()), 0);
    }
}

// ---------------------------------------------------------------------------
// Files that cannot be opened or created

TEST(MutedCopy, MissingSourceRaisesTheInputOutputError) {
    const std::string src = TempPath("absent.swf"), dst = TempPath("dst.swf");
    EXPECT_THROW(CopySwfMuted(src, dst), EInOutError);
    EXPECT_FALSE(FileExists(dst));
}

TEST(MovieCopies, TargetThatCannotBeCreatedRaisesTheCreationError) {
    const std::string src = TempPath("src.swf");
    WriteBytes(src, AllTagRowsMovie().fws);
    const std::string dst = Scratch() + "/no_such_folder/dst.swf";
    for (bool muted : {false, true}) {
        SCOPED_TRACE(muted ? "muted" : "plain");
        try {
            if (muted)
                CopySwfMuted(src, dst);
            else
                CopyFileStream(src, dst);
            ADD_FAILURE() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), "Cannot create file " + dst);
        }
    }
}

TEST(PlainCopy, CopiesEveryByteAndReplacesALongerTarget) {
    const std::vector<Bytes> sources = {
        {}, {'x'}, swfgen::Cws(AllTagRowsMovie().fws), swfgen::BulkMovie(200000, 3),  // several copy buffers long
    };
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string src = TempPath("src"), dst = TempPath("dst");
        WriteBytes(src, sources[i]);
        WriteBytes(dst, Filled(sources[i].size() + 5000, {0x55}));
        CopyFileStream(src, dst);
        EXPECT_TRUE(ReadBytes(dst) == sources[i]);
    }
}

TEST(PlainCopy, MissingSourceRaisesTheOpenErrorAndCreatesNothing) {
    const std::string src = TempPath("absent"), dst = TempPath("dst");
    try {
        CopyFileStream(src, dst);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + src);
    }
    EXPECT_FALSE(FileExists(dst));
}

#ifdef _WIN32
TEST(PlainCopy, CopyOntoItselfFailsWithoutHarmingTheSource) {
    // The source is open without write sharing, so replacing it is refused.
    const Bytes data = AllTagRowsMovie().fws;
    const std::string path = TempPath("self");
    WriteBytes(path, data);
    EXPECT_THROW(CopyFileStream(path, path), EFCreateError);
    EXPECT_EQ(ReadBytes(path), data);
}
#endif

// ---------------------------------------------------------------------------
// InflateSwfBody and the decompression stream

TEST(InflateSwfBody, InflatesExactlyTheCountFromTheStart) {
    const Bytes body = swfgen::BulkMovie(150000, 9);
    const Bytes z = swfgen::Deflate(body);
    for (int64_t count : {int64_t(0), int64_t(1), int64_t(65536), int64_t(body.size() - 1), int64_t(body.size())}) {
        SCOPED_TRACE(count);
        TMemoryStream src;
        src.WriteBuffer(z.data(), static_cast<int64_t>(z.size()));  // left at its end: it is rewound
        TMemoryStream dst;
        dst.WriteBuffer("stale", 5);
        InflateSwfBody(count, src, dst);
        ASSERT_EQ(dst.Size(), count);
        EXPECT_EQ(dst.Position(), 0);
        if (count > 0) {
            EXPECT_EQ(std::memcmp(dst.Memory(), body.data(), static_cast<size_t>(count)), 0);
        }
    }
}

TEST(InflateSwfBody, ShortOrDamagedDataRaises) {
    const Bytes body = Filled(5000, {1, 2, 3, 4, 5, 6, 7});
    const Bytes z = swfgen::Deflate(body);
    {
        TMemoryStream src, dst;
        src.WriteBuffer(z.data(), static_cast<int64_t>(z.size()));
        try {
            InflateSwfBody(5001, src, dst);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), "Stream read error");
        }
        EXPECT_EQ(dst.Size(), 0);
    }
    {
        TMemoryStream src, dst;
        src.WriteBuffer(z.data(), static_cast<int64_t>(z.size() / 2));  // the stream stops half-way
        EXPECT_THROW(InflateSwfBody(5000, src, dst), EReadError);
    }
    {
        Bytes bad = z;
        bad[0] = 0x00;  // no zlib header
        TMemoryStream src, dst;
        src.WriteBuffer(bad.data(), static_cast<int64_t>(bad.size()));
        EXPECT_THROW(InflateSwfBody(10, src, dst), EDecompressionError);
    }
}

TEST(DecompressionStream, ReadsFromTheSourcePositionAndStopsAtTheStreamEnd) {
    const Bytes body = Filled(100000, {9, 8, 7, 6});
    Bytes in = {'h', 'e', 'a', 'd'};
    swfgen::PutBytes(in, swfgen::Deflate(body));
    swfgen::PutBytes(in, {'t', 'a', 'i', 'l'});  // after the stream: never inflated
    TMemoryStream src;
    src.WriteBuffer(in.data(), static_cast<int64_t>(in.size()));
    src.SetPosition(4);
    TDecompressionStream z(src);
    Bytes got(body.size() + 100);
    int64_t total = 0, n;
    while ((n = z.Read(got.data() + total, 777)) > 0) total += n;
    EXPECT_EQ(total, static_cast<int64_t>(body.size()));
    EXPECT_EQ(z.Position(), total);
    got.resize(static_cast<size_t>(total));
    EXPECT_TRUE(got == body);
    EXPECT_THROW(z.Write("x", 1), EDecompressionError);
    EXPECT_THROW(z.Seek(0, soBeginning), EDecompressionError);
}

}  // namespace
