#include "classlib/Classes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "tests/runtime/TempDir.h"

namespace {

using std::string;

string Bytes(TCustomMemoryStream& ms) {
    return string(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size()));
}

string Pattern(size_t n) {
    string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

// ---------------------------------------------------------------------------
// Memory streams

TEST(MemoryStream, ManySmallWritesGrowGeometrically) {
    TMemoryStream ms;
    const string data = Pattern(1 << 20);
    std::set<int64_t> capacities;
    for (size_t i = 0; i < data.size(); i += 3) {
        ms.WriteBuffer(data.data() + i, static_cast<int64_t>(std::min<size_t>(3, data.size() - i)));
        capacities.insert(ms.Capacity());
    }
    EXPECT_EQ(ms.Size(), static_cast<int64_t>(data.size()));
    EXPECT_EQ(Bytes(ms), data);
    // growing by a fixed step would take well over a hundred reallocations for 1 MB
    EXPECT_LT(capacities.size(), 40u);
}

TEST(MemoryStream, SeekBeyondTheEndThenWriteLeavesZeros) {
    TMemoryStream ms;
    EXPECT_EQ(ms.Seek(10, soBeginning), 10);
    char c = 'x';
    EXPECT_EQ(ms.Read(&c, 1), 0);
    EXPECT_EQ(ms.Size(), 0);
    ms.WriteString("ab");
    EXPECT_EQ(ms.Size(), 12);
    EXPECT_EQ(Bytes(ms), string(10, '\0') + "ab");
    EXPECT_EQ(ms.Seek(-1, soEnd), 11);
    EXPECT_EQ(ms.ReadU8(), 'b');
    EXPECT_EQ(ms.Seek(-2, soCurrent), 10);
}

TEST(MemoryStream, RegrownBytesReadAsZeros) {
    TMemoryStream ms;
    ms.WriteString("abcdef");
    ms.SetSize(2);
    EXPECT_EQ(ms.Position(), 2);  // clamped to the new end
    ms.SetSize(6);
    EXPECT_EQ(Bytes(ms), string("ab\0\0\0\0", 6));
    ms.SetPosition(0);
    ms.SetSize(100);
    EXPECT_EQ(ms.Position(), 0);
    EXPECT_EQ(Bytes(ms).substr(6), string(94, '\0'));
    ms.Clear();
    EXPECT_EQ(ms.Size(), 0);
    EXPECT_EQ(ms.Position(), 0);
}

TEST(MemoryStream, NegativePositionTransfersNothing) {
    TMemoryStream ms;
    ms.WriteString("data");
    ms.Seek(-100, soCurrent);
    char buf[4];
    EXPECT_EQ(ms.Read(buf, 4), 0);
    EXPECT_EQ(ms.Write("zz", 2), 0);
    EXPECT_EQ(Bytes(ms), "data");
    EXPECT_THROW(ms.SetSize(-1), EStreamError);
}

TEST(Stream, ReadBufferShortRaisesReadError) {
    TMemoryStream ms;
    ms.WriteString("abc");
    ms.SetPosition(0);
    char buf[8] = {};
    try {
        ms.ReadBuffer(buf, 4);
        ADD_FAILURE() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    ms.SetPosition(1);
    try {
        ms.ReadU32();
        ADD_FAILURE() << "no exception";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    ms.SetPosition(0);
    ms.ReadBuffer(buf, 0);  // nothing asked, nothing raised
    EXPECT_EQ(ms.Position(), 0);
}

TEST(Stream, ReadStringRefusesLengthsBeyondTheData) {
    TMemoryStream ms;
    ms.WriteString("abcdef");
    ms.SetPosition(2);
    EXPECT_THROW(ms.ReadString(int64_t{1} << 40), EReadError);
    EXPECT_THROW(ms.ReadString(5), EReadError);
    EXPECT_THROW(ms.ReadString(-1), EReadError);
    EXPECT_EQ(ms.ReadString(4), "cdef");
}

TEST(Stream, LittleEndianFields) {
    TMemoryStream ms;
    ms.WriteU8(0x01);
    ms.WriteU16(0x0302);
    ms.WriteU32(0x07060504);
    ms.WriteI32(-2);
    ms.WriteU64(0x0F0E0D0C0B0A0908ull);
    ms.WriteI64(-3);
    EXPECT_EQ(Bytes(ms), string("\x01\x02\x03\x04\x05\x06\x07\xFE\xFF\xFF\xFF\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F", 19) +
                             string("\xFD\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8));
    ms.SetPosition(0);
    EXPECT_EQ(ms.ReadU8(), 0x01);
    EXPECT_EQ(ms.ReadU16(), 0x0302);
    EXPECT_EQ(ms.ReadU32(), 0x07060504u);
    EXPECT_EQ(ms.ReadI32(), -2);
    EXPECT_EQ(ms.ReadU64(), 0x0F0E0D0C0B0A0908ull);
    EXPECT_EQ(ms.ReadI64(), -3);
    EXPECT_THROW(ms.ReadU8(), EReadError);
}

// A source that produces a byte pattern and remembers the largest read it was asked for.
class PatternStream : public TStream {
public:
    explicit PatternStream(int64_t size) : m_size(size) {}
    int64_t Read(void* buffer, int64_t count) override {
        if (count > m_largestRead) m_largestRead = count;
        int64_t n = std::max<int64_t>(0, std::min(count, m_size - m_pos));
        auto* p = static_cast<uint8_t*>(buffer);
        for (int64_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>((m_pos + i) * 13);
        m_pos += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        m_pos = origin == soBeginning ? offset : origin == soCurrent ? m_pos + offset : m_size + offset;
        return m_pos;
    }
    int64_t m_largestRead = 0;

private:
    int64_t m_size;
    int64_t m_pos = 0;
};

TEST(Stream, CopyFromZeroCopiesTheWholeSourceThroughABuffer) {
    const int64_t size = 3000000;
    PatternStream src(size);
    src.Seek(1234, soBeginning);
    TMemoryStream dst;
    dst.WriteString("#");
    EXPECT_EQ(dst.CopyFrom(src, 0), size);
    EXPECT_EQ(dst.Size(), size + 1);
    // In pieces, never the whole source at once.
    EXPECT_LE(src.m_largestRead, 1024 * 1024);
    const string got = Bytes(dst);
    for (int64_t i = 0; i < size; ++i)
        if (static_cast<uint8_t>(got[static_cast<size_t>(i + 1)]) != static_cast<uint8_t>(i * 13)) {
            ADD_FAILURE() << "byte " << i;
            break;
        }
}

TEST(Stream, CopyFromPositiveCountStartsAtThePosition) {
    TMemoryStream src;
    src.WriteString("0123456789");
    src.SetPosition(3);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 4), 4);
    EXPECT_EQ(Bytes(dst), "3456");
    EXPECT_EQ(src.Position(), 7);
    EXPECT_THROW(dst.CopyFrom(src, 4), EReadError);  // only 3 left
    EXPECT_THROW(dst.CopyFrom(src, -1), EStreamError);
}

TEST(Stream, StringStream) {
    TStringStream ss("hello world");
    EXPECT_EQ(ss.ReadString(5), "hello");
    ss.Seek(1, soCurrent);
    ss.WriteString("W");
    EXPECT_EQ(ss.DataString(), "hello World");  // overwritten in place, the rest kept
    ss.Seek(0, soEnd);
    ss.WriteString("!");
    EXPECT_EQ(ss.DataString(), "hello World!");
    EXPECT_EQ(ss.Seek(100, soBeginning), 12);
    EXPECT_EQ(ss.Seek(-100, soCurrent), 0);
}

// ---------------------------------------------------------------------------
// File streams

TEST(FileStream, CreateWriteReopenRead) {
    TempDir tmp;
    const string name = tmp.File("data.bin");
    const string data = Pattern(200000);
    {
        TFileStream fs(name, fmCreate);
        fs.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        EXPECT_EQ(fs.Size(), static_cast<int64_t>(data.size()));
        EXPECT_EQ(fs.FileName(), name);
    }
    EXPECT_EQ(ReadAll(name), data);
    TFileStream fs(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(fs.Size(), static_cast<int64_t>(data.size()));
    EXPECT_EQ(fs.Seek(1000, soBeginning), 1000);
    EXPECT_EQ(fs.ReadString(10), data.substr(1000, 10));
    TMemoryStream ms;
    EXPECT_EQ(ms.CopyFrom(fs, 0), static_cast<int64_t>(data.size()));
    EXPECT_EQ(Bytes(ms), data);
}

TEST(FileStream, CreateReplacesTheOldContents) {
    TempDir tmp;
    const string name = tmp.File("r.txt");
    WriteAll(name, string(5000, 'o'));
    {
        TFileStream fs(name, fmCreate);
        fs.WriteString("new");
    }
    EXPECT_EQ(ReadAll(name), "new");
}

TEST(FileStream, OpenAndCreateErrorsNameTheFile) {
    TempDir tmp;
    const string missing = tmp.File("absent.dat");
    try {
        TFileStream fs(missing, fmOpenRead);
        ADD_FAILURE() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + missing);
    }
    const string bad = tmp.File("nodir\\x.dat");
    try {
        TFileStream fs(bad, fmCreate);
        ADD_FAILURE() << "created in a missing folder";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + bad);
    }
    EXPECT_THROW(TFileStream(tmp.Path(), fmOpenRead), EFOpenError);  // a folder is not a file
}

TEST(FileStream, WriteToReadOnlyRaisesWriteError) {
    TempDir tmp;
    const string name = tmp.File("ro.txt");
    WriteAll(name, "abc");
    {
        TFileStream fs(name, fmOpenRead);
        try {
            fs.WriteBuffer("x", 1);
            ADD_FAILURE() << "no exception";
        } catch (const EWriteError& e) {
            EXPECT_EQ(e.Message(), "Stream write error");
        }
    }
    EXPECT_EQ(ReadAll(name), "abc");
}

TEST(FileStream, ShareModes) {
    TempDir tmp;
    const string name = tmp.File("shared.txt");
    WriteAll(name, "shared");
    {
        TFileStream first(name, fmOpenRead | fmShareDenyNone);
        TFileStream second(name, fmOpenRead | fmShareDenyNone);
        EXPECT_EQ(second.ReadString(6), "shared");
        EXPECT_EQ(first.ReadString(6), "shared");
        TFileStream writer(name, fmOpenWrite | fmShareDenyNone);
        writer.WriteString("S");
    }
    EXPECT_EQ(ReadAll(name), "Shared");
#ifdef _WIN32
    {
        TFileStream exclusive(name, fmOpenRead | fmShareExclusive);
        EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
    }
    {
        TFileStream denyWrite(name, fmOpenRead | fmShareDenyWrite);
        TFileStream reader(name, fmOpenRead | fmShareDenyNone);
        EXPECT_THROW(TFileStream(name, fmOpenWrite | fmShareDenyNone), EFOpenError);
    }
    {
        TFileStream created(name, fmCreate);
        EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
    }
#endif
}

TEST(FileStream, SetSizeTruncatesAndExtends) {
    TempDir tmp;
    const string name = tmp.File("size.bin");
    WriteAll(name, "0123456789");
    {
        TFileStream fs(name, fmOpenReadWrite | fmShareExclusive);
        fs.SetPosition(2);
        fs.SetSize(4);
        EXPECT_EQ(fs.Size(), 4);
        EXPECT_EQ(fs.Position(), 2);
        fs.SetSize(6);
        EXPECT_EQ(fs.Size(), 6);
    }
    EXPECT_EQ(ReadAll(name), string("0123\0\0", 6));
}

TEST(MemoryStream, FileRoundTrip) {
    TempDir tmp;
    const string name = tmp.File("mem.bin");
    TMemoryStream out;
    const string data = Pattern(70000);
    out.WriteString(data);
    out.SaveToFile(name);
    EXPECT_EQ(ReadAll(name), data);
    TMemoryStream in;
    in.WriteString("previous contents that are longer than nothing");
    in.LoadFromFile(name);
    EXPECT_EQ(Bytes(in), data);
    EXPECT_EQ(in.Position(), 0);
    EXPECT_THROW(in.LoadFromFile(tmp.File("none")), EFOpenError);
}

}  // namespace
