#include "common/RecordHead.h"

#include <cstring>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

namespace {

// Field-by-field encoding: a cursor over a byte buffer of known size.
class Writer {
public:
    explicit Writer(uint8_t* out) : m_p(out) {}
    void U8(uint8_t v) { *m_p++ = v; }
    void U32(uint32_t v) {
        m_p[0] = static_cast<uint8_t>(v);
        m_p[1] = static_cast<uint8_t>(v >> 8);
        m_p[2] = static_cast<uint8_t>(v >> 16);
        m_p[3] = static_cast<uint8_t>(v >> 24);
        m_p += 4;
    }
    void Bytes(const void* src, size_t n) {
        std::memcpy(m_p, src, n);
        m_p += n;
    }
    template <size_t W>
    void Text(const char (&field)[W]) {
        Bytes(field, W);
    }

private:
    uint8_t* m_p;
};

class Reader {
public:
    explicit Reader(const uint8_t* in) : m_p(in) {}
    uint8_t U8() { return *m_p++; }
    uint32_t U32() {
        uint32_t v = static_cast<uint32_t>(m_p[0]) | (static_cast<uint32_t>(m_p[1]) << 8) |
                     (static_cast<uint32_t>(m_p[2]) << 16) | (static_cast<uint32_t>(m_p[3]) << 24);
        m_p += 4;
        return v;
    }
    void Bytes(void* dst, size_t n) {
        std::memcpy(dst, m_p, n);
        m_p += n;
    }
    template <size_t W>
    void Text(char (&field)[W]) {
        Bytes(field, W);
    }

private:
    const uint8_t* m_p;
};

template <class Rec, size_t Size, void (*Encode)(const Rec&, uint8_t*)>
void WriteOne(TStream& s, const Rec& rec) {
    uint8_t buf[Size];
    Encode(rec, buf);
    s.WriteBuffer(buf, Size);
}

template <class Rec, size_t Size, void (*Decode)(const uint8_t*, Rec&)>
void ReadOne(TStream& s, Rec& rec) {
    uint8_t buf[Size];
    s.ReadBuffer(buf, Size);
    Decode(buf, rec);
}

template <class Rec, size_t Size, void (*Encode)(const Rec&, uint8_t*)>
void WriteTable(TStream& s, const std::vector<Rec>& recs) {
    if (recs.empty()) return;
    std::vector<uint8_t> buf(recs.size() * Size);
    for (size_t i = 0; i < recs.size(); ++i) Encode(recs[i], buf.data() + i * Size);
    s.WriteBuffer(buf.data(), static_cast<int64_t>(buf.size()));
}

template <class Rec, size_t Size, void (*Decode)(const uint8_t*, Rec&)>
void ReadTable(TStream& s, uint32_t offset, uint32_t count, std::vector<Rec>& recs) {
    recs.clear();
    // 64-bit arithmetic: count * 1668 + offset cannot wrap.
    const uint64_t bytes = static_cast<uint64_t>(count) * Size;
    const int64_t size = s.Size();
    if (size < 0 || static_cast<uint64_t>(offset) + bytes > static_cast<uint64_t>(size)) throw EReadError();
    if (count == 0) return;
    s.SetPosition(offset);
    // Records are read one at a time through a fixed buffer, so memory follows
    // what the stream really holds.
    std::vector<Rec> out;
    out.reserve(count);
    uint8_t buf[Size];
    for (uint32_t i = 0; i < count; ++i) {
        s.ReadBuffer(buf, Size);
        Rec rec;
        Decode(buf, rec);
        out.push_back(rec);
    }
    recs.swap(out);
}

// The stored widths add up to the stored sizes.
static_assert(sizeof(TPackHead::Magic) + sizeof(TPackHead::ProgramName) + sizeof(TPackHead::Author) +
                  sizeof(TPackHead::Email) + sizeof(TPackHead::Website) + 1 + sizeof(TPackHead::Reserved2) + 8 * 4 ==
              PackHeadSize);
static_assert(3 * 256 + 4 + 4 == PackFileRecSize);
static_assert(sizeof(TPackDirRec::Root) + sizeof(TPackDirRec::SubFolder) == PackDirRecSize);
static_assert(1 + 4 * 256 == PackLinkRecSize);
static_assert(4 + sizeof(TPackRegRec::KeyPath) + sizeof(TPackRegRec::ValueName) + sizeof(TPackRegRec::ValueText) ==
              PackRegRecSize);

}  // namespace

// ---------------------------------------------------------------------------
// Text fields

void SetPackText(char* field, size_t width, const std::string& text) {
    if (width == 0) return;
    const size_t n = text.size() < width - 1 ? text.size() : width - 1;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, width - n);
}

std::string GetPackText(const char* field, size_t width) {
    const void* nul = std::memchr(field, 0, width);
    const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : width;
    return std::string(field, n);
}

TPackHead NewPackHead() {
    TPackHead head{};
    SetPackText(head.Magic, PackMagic);
    return head;
}

bool PackHeadHasMagic(const TPackHead& head) { return GetPackText(head.Magic) == PackMagic; }

// ---------------------------------------------------------------------------
// Byte forms

void EncodePackHead(const TPackHead& rec, uint8_t* out) {
    Writer w(out);
    w.Text(rec.Magic);
    w.Text(rec.ProgramName);
    w.Text(rec.Author);
    w.Text(rec.Email);
    w.Text(rec.Website);
    w.U8(rec.Reserved1);
    w.Bytes(rec.Reserved2, sizeof rec.Reserved2);
    w.U32(rec.RegCount);
    w.U32(rec.RegOffset);
    w.U32(rec.FileCount);
    w.U32(rec.FileOffset);
    w.U32(rec.LinkCount);
    w.U32(rec.LinkOffset);
    w.U32(rec.DirCount);
    w.U32(rec.DirOffset);
}

void DecodePackHead(const uint8_t* in, TPackHead& rec) {
    Reader r(in);
    r.Text(rec.Magic);
    r.Text(rec.ProgramName);
    r.Text(rec.Author);
    r.Text(rec.Email);
    r.Text(rec.Website);
    rec.Reserved1 = r.U8();
    r.Bytes(rec.Reserved2, sizeof rec.Reserved2);
    rec.RegCount = r.U32();
    rec.RegOffset = r.U32();
    rec.FileCount = r.U32();
    rec.FileOffset = r.U32();
    rec.LinkCount = r.U32();
    rec.LinkOffset = r.U32();
    rec.DirCount = r.U32();
    rec.DirOffset = r.U32();
}

void EncodePackFileRec(const TPackFileRec& rec, uint8_t* out) {
    Writer w(out);
    w.Text(rec.FileName);
    w.Text(rec.Root);
    w.Text(rec.SubFolder);
    w.U32(rec.Offset);
    w.U32(rec.Size);
}

void DecodePackFileRec(const uint8_t* in, TPackFileRec& rec) {
    Reader r(in);
    r.Text(rec.FileName);
    r.Text(rec.Root);
    r.Text(rec.SubFolder);
    rec.Offset = r.U32();
    rec.Size = r.U32();
}

void EncodePackDirRec(const TPackDirRec& rec, uint8_t* out) {
    Writer w(out);
    w.Text(rec.Root);
    w.Text(rec.SubFolder);
}

void DecodePackDirRec(const uint8_t* in, TPackDirRec& rec) {
    Reader r(in);
    r.Text(rec.Root);
    r.Text(rec.SubFolder);
}

void EncodePackLinkRec(const TPackLinkRec& rec, uint8_t* out) {
    Writer w(out);
    w.U8(rec.Kind);
    w.Text(rec.Root);
    w.Text(rec.SubFolder);
    w.Text(rec.FileName);
    w.Text(rec.Caption);
}

void DecodePackLinkRec(const uint8_t* in, TPackLinkRec& rec) {
    Reader r(in);
    rec.Kind = r.U8();
    r.Text(rec.Root);
    r.Text(rec.SubFolder);
    r.Text(rec.FileName);
    r.Text(rec.Caption);
}

void EncodePackRegRec(const TPackRegRec& rec, uint8_t* out) {
    Writer w(out);
    w.U32(rec.RootKey);
    w.Text(rec.KeyPath);
    w.Text(rec.ValueName);
    w.Text(rec.ValueText);
}

void DecodePackRegRec(const uint8_t* in, TPackRegRec& rec) {
    Reader r(in);
    rec.RootKey = r.U32();
    r.Text(rec.KeyPath);
    r.Text(rec.ValueName);
    r.Text(rec.ValueText);
}

// ---------------------------------------------------------------------------
// Streams

void WritePackRecord(TStream& s, const TPackHead& rec) { WriteOne<TPackHead, PackHeadSize, EncodePackHead>(s, rec); }
void WritePackRecord(TStream& s, const TPackFileRec& rec) {
    WriteOne<TPackFileRec, PackFileRecSize, EncodePackFileRec>(s, rec);
}
void WritePackRecord(TStream& s, const TPackDirRec& rec) {
    WriteOne<TPackDirRec, PackDirRecSize, EncodePackDirRec>(s, rec);
}
void WritePackRecord(TStream& s, const TPackLinkRec& rec) {
    WriteOne<TPackLinkRec, PackLinkRecSize, EncodePackLinkRec>(s, rec);
}
void WritePackRecord(TStream& s, const TPackRegRec& rec) {
    WriteOne<TPackRegRec, PackRegRecSize, EncodePackRegRec>(s, rec);
}

void ReadPackRecord(TStream& s, TPackHead& rec) { ReadOne<TPackHead, PackHeadSize, DecodePackHead>(s, rec); }
void ReadPackRecord(TStream& s, TPackFileRec& rec) {
    ReadOne<TPackFileRec, PackFileRecSize, DecodePackFileRec>(s, rec);
}
void ReadPackRecord(TStream& s, TPackDirRec& rec) { ReadOne<TPackDirRec, PackDirRecSize, DecodePackDirRec>(s, rec); }
void ReadPackRecord(TStream& s, TPackLinkRec& rec) {
    ReadOne<TPackLinkRec, PackLinkRecSize, DecodePackLinkRec>(s, rec);
}
void ReadPackRecord(TStream& s, TPackRegRec& rec) { ReadOne<TPackRegRec, PackRegRecSize, DecodePackRegRec>(s, rec); }

void WritePackTable(TStream& s, const std::vector<TPackFileRec>& recs) {
    WriteTable<TPackFileRec, PackFileRecSize, EncodePackFileRec>(s, recs);
}
void WritePackTable(TStream& s, const std::vector<TPackDirRec>& recs) {
    WriteTable<TPackDirRec, PackDirRecSize, EncodePackDirRec>(s, recs);
}
void WritePackTable(TStream& s, const std::vector<TPackLinkRec>& recs) {
    WriteTable<TPackLinkRec, PackLinkRecSize, EncodePackLinkRec>(s, recs);
}
void WritePackTable(TStream& s, const std::vector<TPackRegRec>& recs) {
    WriteTable<TPackRegRec, PackRegRecSize, EncodePackRegRec>(s, recs);
}

void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackFileRec>& recs) {
    ReadTable<TPackFileRec, PackFileRecSize, DecodePackFileRec>(s, offset, count, recs);
}
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackDirRec>& recs) {
    ReadTable<TPackDirRec, PackDirRecSize, DecodePackDirRec>(s, offset, count, recs);
}
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackLinkRec>& recs) {
    ReadTable<TPackLinkRec, PackLinkRecSize, DecodePackLinkRec>(s, offset, count, recs);
}
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackRegRec>& recs) {
    ReadTable<TPackRegRec, PackRegRecSize, DecodePackRegRec>(s, offset, count, recs);
}

bool ReadPackHeadAtEnd(TStream& s, TPackHead& head) {
    const int64_t size = s.Size();
    if (size < static_cast<int64_t>(PackHeadSize)) throw EReadError();
    s.SetPosition(size - static_cast<int64_t>(PackHeadSize));
    TPackHead h;
    ReadPackRecord(s, h);
    if (!PackHeadHasMagic(h)) return false;
    head = h;
    return true;
}

bool ReadPackIndex(TStream& s, TPackIndex& index) {
    index = TPackIndex();
    TPackIndex got;
    if (!ReadPackHeadAtEnd(s, got.Head)) return false;
    ReadPackTable(s, got.Head.FileOffset, got.Head.FileCount, got.Files);
    ReadPackTable(s, got.Head.DirOffset, got.Head.DirCount, got.Dirs);
    ReadPackTable(s, got.Head.LinkOffset, got.Head.LinkCount, got.Links);
    ReadPackTable(s, got.Head.RegOffset, got.Head.RegCount, got.Regs);
    index = std::move(got);
    return true;
}
