// The LZHUF decoder against our encoder: round trips, the position code seen
// from both sides, what the decoder does with short input and with fill bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "skin/SkinRead.h"
#include "tests/skinread/SkinTestUtil.h"
#include "tools/skinpack/LzhPack.h"

namespace {

using namespace skintest;
using skinpack::LzhCompress;
using skinpack::TLzhWriter;

// ---------------------------------------------------------------------------
// The position code

TEST(LzhPositionCode, DecoderTablesAtTheLengthBoundaries) {
    struct Case {
        int byte, code, len;
    };
    const Case cases[] = {
        {0x00, 0, 3},  {0x1F, 0, 3},  {0x20, 1, 4},  {0x2F, 1, 4},  {0x30, 2, 4},  {0x4F, 3, 4},
        {0x50, 4, 5},  {0x57, 4, 5},  {0x58, 5, 5},  {0x8F, 11, 5}, {0x90, 12, 6}, {0xBF, 23, 6},
        {0xC0, 24, 7}, {0xC1, 24, 7}, {0xEF, 47, 7}, {0xF0, 48, 8}, {0xFE, 62, 8}, {0xFF, 63, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(TLZH::d_code[c.byte], c.code);
        EXPECT_EQ(TLZH::d_len[c.byte], c.len);
    }
}

TEST(LzhPositionCode, EncoderAndDecoderTablesAreOneCode) {
    // Every byte starts with exactly the code of the value the decoder reads from it.
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const int v = TLZH::d_code[b];
        const int len = TLZH::d_len[b];
        ASSERT_EQ(skinpack::p_len[v], len);
        const int mask = (0xFF << (8 - len)) & 0xFF;
        EXPECT_EQ(b & mask, skinpack::p_code[v]);
    }
    // And every value's code leads the decoder back to it.
    for (int v = 0; v < 64; ++v) {
        SCOPED_TRACE(v);
        const int spare = (1 << (8 - skinpack::p_len[v])) - 1;
        EXPECT_EQ(TLZH::d_code[skinpack::p_code[v]], v);
        EXPECT_EQ(TLZH::d_code[skinpack::p_code[v] | spare], v);
    }
}

// Every one of the 4096 positions, coded by the writer, copies from where the
// format says: position p starts p + 1 bytes back in the history of 4036
// spaces followed by the output.
TEST(LzhPositionCode, EveryPositionRoundTrips) {
    const Bytes lead = Noise(4096, 7);
    TLzhWriter w;
    Bytes hist(TLZH::N - TLZH::F, ' ');
    for (uint8_t b : lead) {
        w.PutChar(b);
        hist.push_back(b);
    }
    for (int pos = 0; pos < 4096; ++pos) {
        const int length = 3 + pos % 58;
        w.PutChar(256 + length - 3);
        w.PutPosition(pos);
        const size_t from = hist.size() - static_cast<size_t>(pos) - 1;
        for (int k = 0; k < length; ++k) hist.push_back(hist[from + k]);
    }
    const Bytes expected(hist.begin() + (TLZH::N - TLZH::F), hist.end());
    EXPECT_EQ(Decode(w.Finish(), static_cast<int32_t>(expected.size())), expected);
}

// ---------------------------------------------------------------------------
// Streams written symbol by symbol

struct Symbol {
    int code;
    int position;  // for matches
};

struct SymbolCase {
    const char* name;
    std::vector<Symbol> symbols;
    int32_t count;
    std::string expected;
};

TEST(LzhDecoder, SymbolStreams) {
    const SymbolCase cases[] = {
        {"literals", {{'a', 0}, {'b', 0}}, 2, "ab"},
        {"the ring starts as spaces", {{256 + 7, 0}}, 10, std::string(10, ' ')},
        {"the oldest space", {{256, 4035}, {'x', 0}}, 4, "   x"},
        // Slots after the spaces hold nothing yet; a damaged stream reads zeros there.
        {"beyond the spaces", {{256 + 2, 4090}}, 5, std::string(5, '\0')},
        {"overlapping copy", {{'a', 0}, {'b', 0}, {256 + 5, 1}}, 10, "ababababab"},
        {"a match runs past the count", {{'q', 0}, {256 + 7, 0}}, 3, "qqqqqqqqqqq"},
        {"longest match", {{'z', 0}, {256 + 57, 0}}, 61, std::string(61, 'z')},
    };
    for (const SymbolCase& c : cases) {
        SCOPED_TRACE(c.name);
        TLzhWriter w;
        for (const Symbol& s : c.symbols) {
            w.PutChar(s.code);
            if (s.code >= 256) w.PutPosition(s.position);
        }
        const Bytes coded = w.Finish();
        EXPECT_EQ(Decode(coded, c.count), ToBytes(c.expected));
    }
}

// Skewed frequencies make codes longer than 16 bits; both sides must keep
// every bit of them. A few literals with counts that grow like Fibonacci
// numbers, starting at the weight of all the unused symbols together, stack
// the unused ones ever deeper.
TEST(LzhDecoder, CodesLongerThanSixteenBits) {
    TLzhWriter w;
    Bytes expected;
    auto put = [&](int sym) {
        w.PutChar(sym);
        expected.push_back(static_cast<uint8_t>(sym));
    };
    // Weights include the 1 every symbol starts with. Each chain symbol weighs
    // just over the subtree two steps down, so the subtree below it and the
    // symbol are always the two lightest nodes.
    const int chain = 9;
    int64_t below = TLZH::N_CHAR - chain;
    int64_t twoDown = below;
    for (int sym = 0; sym < chain; ++sym) {
        const int64_t count = twoDown;
        for (int64_t n = 0; n < count; ++n) put('A' + sym);
        twoDown = below;
        below += count + 1;
    }
    ASSERT_LT(below, TLZH::MAX_FREQ);  // no rebuild flattens the tree
    for (int sym = 128; sym < 256; ++sym) put(sym);
    ASSERT_GT(w.LongestCode(), 16);
    EXPECT_EQ(Decode(w.Finish(), static_cast<int32_t>(expected.size())), expected);
}

// ---------------------------------------------------------------------------
// Round trips through the encoder

Bytes Text(size_t n) {
    static const char* words[] = {"brushed", "steel",  "button",    "caption", "menu",    "border", "left", "right",
                                  "[Form]",  "Color=", "$00C0C0C0", "\r\n",    "Bitmap=", ".bmp",   " "};
    Bytes out;
    uint32_t x = 12345;
    while (out.size() < n) {
        x = x * 1103515245u + 12345u;
        const char* w = words[(x >> 16) % (sizeof words / sizeof words[0])];
        out.insert(out.end(), w, w + std::strlen(w));
    }
    out.resize(n);
    return out;
}

// Rows of a bitmap: runs and repeats at a distance of one row.
Bytes Bitmap(size_t rows, size_t rowBytes) {
    Bytes out;
    for (size_t y = 0; y < rows; ++y)
        for (size_t x = 0; x < rowBytes; ++x) out.push_back(static_cast<uint8_t>((x / 12 + y / 5) * 37));
    return out;
}

// Noise with a slice of what came before after every 100 bytes.
Bytes NoiseWithRepeats(size_t n) {
    const Bytes noise = Noise(n, 8);
    Bytes out;
    for (size_t i = 0; out.size() < n; i += 100) {
        out.insert(out.end(), noise.begin() + static_cast<std::ptrdiff_t>(i),
                   noise.begin() + static_cast<std::ptrdiff_t>(std::min(n, i + 100)));
        const size_t from = out.size() - 1 - (i * 7) % std::min<size_t>(out.size(), 4000);
        const size_t len = 3 + i % 40;
        for (size_t k = 0; k < len && from + k < out.size(); ++k) out.push_back(out[from + k]);
    }
    out.resize(n);
    return out;
}

Bytes Repeat(const Bytes& block, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) Append(out, block);
    return out;
}

struct RoundTrip {
    const char* name;
    Bytes data;
    size_t maxCoded;  // 0: no bound
};

std::vector<RoundTrip> RoundTrips() {
    Bytes allBytes;
    for (int i = 0; i < 256; ++i) allBytes.push_back(static_cast<uint8_t>(i));
    return {
        {"empty", {}, 0},
        {"one byte", {'A'}, 0},
        {"one space", {' '}, 0},
        {"run", Bytes(1000, 'x'), 60},
        {"spaces, matched into the starting ring", Bytes(5000, ' '), 200},
        {"every byte value", Repeat(allBytes, 20), 1000},
        {"text", Text(3000), 2000},
        {"noise", Noise(1000, 1), 0},
        {"text past the ring", Text(20000), 9000},
        {"block repeated inside the window", Repeat(Noise(4000, 2), 3), 6000},
        {"block repeated beyond the window", Repeat(Noise(4090, 3), 2), 0},
        {"noise through several rebuilds of the tree", Noise(100000, 4), 0},
        {"noise and matches through rebuilds of the tree", NoiseWithRepeats(80000), 0},
        {"bitmap as large as a whole skin", Bitmap(600, 330), 60000},
    };
}

TEST(LzhRoundTrip, DecodesWhatTheEncoderWrote) {
    for (const RoundTrip& c : RoundTrips()) {
        SCOPED_TRACE(c.name);
        const Bytes coded = LzhCompress(c.data);
        if (c.maxCoded) {
            EXPECT_LE(coded.size(), c.maxCoded);
        }
        EXPECT_EQ(Decode(coded, static_cast<int32_t>(c.data.size())), c.data);
    }
}

// The stream ends after its last real symbol: the decoder fetches zeros past
// the end but never uses the fill bits of the last byte.
TEST(LzhRoundTrip, FillBitsOfTheLastByteAreNeverUsed) {
    for (const RoundTrip& c : RoundTrips()) {
        if (c.data.empty() || c.data.size() > 30000) continue;
        SCOPED_TRACE(c.name);
        int fill = -1;
        const Bytes coded = LzhCompress(c.data.data(), c.data.size(), &fill);
        ASSERT_GE(fill, 0);
        ASSERT_LE(fill, 7);
        Bytes filled = coded;
        filled.back() = static_cast<uint8_t>(filled.back() | ((1 << fill) - 1));
        EXPECT_EQ(Decode(filled, static_cast<int32_t>(c.data.size())), c.data);
    }
}

// The bit just before the fill is real: the writer does not count it as fill.
TEST(LzhRoundTrip, TheLastRealBitCounts) {
    const Bytes data = Noise(1001, 5);
    for (size_t n = data.size() - 8; n <= data.size(); ++n) {
        int fill = -1;
        const Bytes coded = LzhCompress(data.data(), n, &fill);
        if (fill == 7) continue;
        Bytes real = coded;
        real.back() = static_cast<uint8_t>(real.back() ^ (1 << fill));
        EXPECT_NE(Decode(real, static_cast<int32_t>(n)),
                  Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n)));
    }
}

// ---------------------------------------------------------------------------
// Input that is missing

TEST(LzhDecoder, CountZeroReadsAndWritesNothing) {
    for (int32_t count : {0, -1, -100000}) {
        SCOPED_TRACE(count);
        int reads = 0;
        int writes = 0;
        TLZH lzh;
        lzh.Unpack(
            count,
            [&](const void*, int, int& w) {
                ++writes;
                w = 1;
            },
            [&](void* b, int, int& got) {
                ++reads;
                *static_cast<uint8_t*>(b) = 0;
                got = 1;
            });
        EXPECT_EQ(reads, 0);
        EXPECT_EQ(writes, 0);
    }
}

TEST(LzhDecoder, OneCallbackCallPerByte) {
    const Bytes data = Text(5000);
    const Bytes coded = LzhCompress(data);
    size_t at = 0;
    int reads = 0;
    Bytes out;
    TLZH lzh;
    lzh.Unpack(
        static_cast<int32_t>(data.size()),
        [&](const void* b, int len, int& w) {
            ASSERT_EQ(len, 1);
            out.push_back(*static_cast<const uint8_t*>(b));
            w = len;
        },
        [&](void* b, int want, int& got) {
            ASSERT_EQ(want, 1);
            ++reads;
            got = at < coded.size() ? 1 : 0;
            if (got) *static_cast<uint8_t*>(b) = coded[at++];
        });
    EXPECT_EQ(out, data);
    // The bit buffer holds at most two bytes beyond the ones in use.
    EXPECT_GE(reads, static_cast<int>(coded.size()));
    EXPECT_LE(reads, static_cast<int>(coded.size()) + 2);
}

TEST(LzhDecoder, UndeliveredInputBytesReadAsZero) {
    const int32_t count = 3000;
    const Bytes zeros = Decode(Bytes(2000, 0), count);
    ASSERT_GE(zeros.size(), static_cast<size_t>(count));
    // Whatever a callback leaves in the buffer, a report other than 1 means 0.
    for (int report : {0, 2, -1}) {
        SCOPED_TRACE(report);
        Bytes out;
        TLZH lzh;
        lzh.Unpack(
            count,
            [&](const void* b, int, int& w) {
                out.push_back(*static_cast<const uint8_t*>(b));
                w = 1;
            },
            [&](void* b, int, int& got) {
                *static_cast<uint8_t*>(b) = 0xA5;
                got = report;
            });
        EXPECT_EQ(out, zeros);
    }
}

TEST(LzhDecoder, ATruncatedStreamDecodesAsIfZerosFollowed) {
    const Bytes data = Text(8000);
    const Bytes coded = LzhCompress(data);
    for (size_t cut : {size_t{1}, size_t{17}, coded.size() / 2, coded.size()}) {
        SCOPED_TRACE(cut);
        const Bytes shortened(coded.begin(), coded.end() - static_cast<std::ptrdiff_t>(cut));
        Bytes padded = shortened;
        padded.resize(coded.size() + 64, 0);
        const Bytes out = Decode(shortened, static_cast<int32_t>(data.size()));
        EXPECT_GE(out.size(), data.size());
        EXPECT_EQ(out, Decode(padded, static_cast<int32_t>(data.size())));
    }
}

TEST(LzhDecoder, UnpackTwiceOnOneDecoder) {
    const Bytes a = Text(3000);
    const Bytes b = Noise(3000, 9);
    const Bytes codedA = LzhCompress(a);
    const Bytes codedB = LzhCompress(b);
    TMemoryStream srcA, srcB, dst;
    srcA.WriteBuffer(codedA.data(), static_cast<int64_t>(codedA.size()));
    srcB.WriteBuffer(codedB.data(), static_cast<int64_t>(codedB.size()));
    TLZH lzh;
    lzh.Target = &dst;
    auto wr = [&lzh](const void* p, int l, int& w) { lzh.WriteCallback(p, l, w); };
    auto rd = [&lzh](void* p, int want, int& got) { lzh.ReadCallback(p, want, got); };
    for (TMemoryStream* src : {&srcA, &srcB}) {
        src->SetPosition(0);
        lzh.Source = src;
        lzh.Unpack(3000, wr, rd);
    }
    Bytes both = a;
    Append(both, b);
    EXPECT_EQ(StreamBytes(dst), both);
}

TEST(LzhDecoder, StreamCallbacks) {
    TMemoryStream src, dst;
    src.WriteString("abcde");
    src.SetPosition(3);
    TLZH lzh;
    lzh.Source = &src;
    lzh.Target = &dst;
    char buf[8] = {};
    int got = -1;
    lzh.ReadCallback(buf, 8, got);  // fewer than wanted remain
    EXPECT_EQ(got, 2);
    EXPECT_EQ(std::string(buf, 2), "de");
    lzh.ReadCallback(buf, 1, got);
    EXPECT_EQ(got, 0);
    int written = -1;
    lzh.WriteCallback("xyz", 3, written);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(StreamBytes(dst), ToBytes("xyz"));
}

}  // namespace
