#include "skin/SkinRead.h"

#include <algorithm>
#include <cstring>
#include <new>

// ---------------------------------------------------------------------------
// TLZH

// The fixed position code: upper values 0..63 have codes of 3 (1 value),
// 4 (3), 5 (8), 6 (12), 7 (24) and 8 bits (16), canonical in value order.
const uint8_t TLZH::d_code[256] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02,
    0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x02, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03,
    0x03, 0x03, 0x03, 0x03, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x08, 0x08,
    0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A,
    0x0A, 0x0A, 0x0A, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0B, 0x0C, 0x0C, 0x0C, 0x0C, 0x0D, 0x0D, 0x0D, 0x0D,
    0x0E, 0x0E, 0x0E, 0x0E, 0x0F, 0x0F, 0x0F, 0x0F, 0x10, 0x10, 0x10, 0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12,
    0x12, 0x13, 0x13, 0x13, 0x13, 0x14, 0x14, 0x14, 0x14, 0x15, 0x15, 0x15, 0x15, 0x16, 0x16, 0x16, 0x16, 0x17, 0x17,
    0x17, 0x17, 0x18, 0x18, 0x19, 0x19, 0x1A, 0x1A, 0x1B, 0x1B, 0x1C, 0x1C, 0x1D, 0x1D, 0x1E, 0x1E, 0x1F, 0x1F, 0x20,
    0x20, 0x21, 0x21, 0x22, 0x22, 0x23, 0x23, 0x24, 0x24, 0x25, 0x25, 0x26, 0x26, 0x27, 0x27, 0x28, 0x28, 0x29, 0x29,
    0x2A, 0x2A, 0x2B, 0x2B, 0x2C, 0x2C, 0x2D, 0x2D, 0x2E, 0x2E, 0x2F, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F,
};

const uint8_t TLZH::d_len[256] = {
    0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03,
    0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x03, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04,
    0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04,
    0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04,
    0x04, 0x04, 0x04, 0x04, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07,
    0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07,
    0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x07, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08,
    0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08,
};

struct TLZH::Tables {
    uint8_t text[N + F - 1];
    uint16_t freq[T + 1];
    uint16_t prnt[T + N_CHAR];
    uint16_t son[T];
};

TLZH::TLZH() = default;
TLZH::~TLZH() = default;

void TLZH::InitTables() {
    // Value-initialised: the part of the ring that is not filled with spaces
    // reads as zeros, never as leftover memory, when a damaged stream reaches it.
    Tables* t = new (std::nothrow) Tables();
    if (!t) throw ElzhException(SLzhNoMemory);
    m_tables.reset(t);
}

// Releasing cannot fail here; SLzhFreeError stays for callers that name it.
void TLZH::FreeTables() { m_tables.reset(); }

void TLZH::StartHuff() {
    Tables& t = *m_tables;
    for (int i = 0; i < N_CHAR; ++i) {
        t.freq[i] = 1;
        t.son[i] = static_cast<uint16_t>(i + T);
        t.prnt[i + T] = static_cast<uint16_t>(i);
    }
    for (int i = 0, j = N_CHAR; j <= R; i += 2, ++j) {
        t.freq[j] = static_cast<uint16_t>(t.freq[i] + t.freq[i + 1]);
        t.son[j] = static_cast<uint16_t>(i);
        t.prnt[i] = t.prnt[i + 1] = static_cast<uint16_t>(j);
    }
    t.freq[T] = 0xFFFF;
    t.prnt[R] = 0;
}

void TLZH::Reconst() {
    Tables& t = *m_tables;
    // Leaves to the front, halved.
    int j = 0;
    for (int i = 0; i < T; ++i) {
        if (t.son[i] >= T) {
            t.freq[j] = static_cast<uint16_t>((t.freq[i] + 1) / 2);
            t.son[j] = t.son[i];
            ++j;
        }
    }
    // Inner nodes in order, each inserted where its frequency keeps the list sorted.
    for (int i = 0, node = N_CHAR; node < T; i += 2, ++node) {
        const unsigned f = t.freq[i] + t.freq[i + 1];
        int k = node;
        while (f < t.freq[k - 1]) --k;
        const size_t moved = static_cast<size_t>(node - k);
        std::memmove(&t.freq[k + 1], &t.freq[k], moved * sizeof t.freq[0]);
        std::memmove(&t.son[k + 1], &t.son[k], moved * sizeof t.son[0]);
        t.freq[k] = static_cast<uint16_t>(f);
        t.son[k] = static_cast<uint16_t>(i);
    }
    for (int i = 0; i < T; ++i) {
        const int k = t.son[i];
        t.prnt[k] = static_cast<uint16_t>(i);
        if (k < T) t.prnt[k + 1] = static_cast<uint16_t>(i);
    }
}

void TLZH::Update(int symbol) {
    Tables& t = *m_tables;
    if (t.freq[R] == MAX_FREQ) Reconst();
    int c = t.prnt[symbol + T];
    do {
        const unsigned k = ++t.freq[c];
        if (k > t.freq[c + 1]) {
            // l: the last node whose frequency is below k. Frequencies rise with the
            // node index, so a binary search finds it; the sentinel freq[T] bounds it.
            const int l = static_cast<int>(std::lower_bound(&t.freq[c + 1], &t.freq[T + 1], k) - t.freq) - 1;
            t.freq[c] = t.freq[l];
            t.freq[l] = static_cast<uint16_t>(k);

            const int i = t.son[c];
            t.prnt[i] = static_cast<uint16_t>(l);
            if (i < T) t.prnt[i + 1] = static_cast<uint16_t>(l);
            const int j = t.son[l];
            t.son[l] = static_cast<uint16_t>(i);
            t.prnt[j] = static_cast<uint16_t>(c);
            if (j < T) t.prnt[j + 1] = static_cast<uint16_t>(c);
            t.son[c] = static_cast<uint16_t>(j);
            c = l;
        }
        c = t.prnt[c];
    } while (c != 0);
}

void TLZH::FillBits() {
    while (m_bitCount <= 8) {
        uint8_t b = 0;
        int got = 0;
        (*m_read)(&b, 1, got);
        if (got != 1) b = 0;
        m_bitBuf = static_cast<uint16_t>(m_bitBuf | (b << (8 - m_bitCount)));
        m_bitCount = static_cast<uint8_t>(m_bitCount + 8);
    }
}

int TLZH::GetBit() {
    FillBits();
    const int bit = m_bitBuf >> 15;
    m_bitBuf = static_cast<uint16_t>(m_bitBuf << 1);
    --m_bitCount;
    return bit;
}

int TLZH::GetByte() {
    FillBits();
    const int byte = m_bitBuf >> 8;
    m_bitBuf = static_cast<uint16_t>(m_bitBuf << 8);
    m_bitCount = static_cast<uint8_t>(m_bitCount - 8);
    return byte;
}

int TLZH::DecodeChar() {
    const Tables& t = *m_tables;
    int c = t.son[R];
    while (c < T) c = t.son[c + GetBit()];
    const int symbol = c - T;
    Update(symbol);
    return symbol;
}

int TLZH::DecodePosition() {
    int i = GetByte();
    const int high = d_code[i] << 6;
    for (int j = d_len[i] - 2; j > 0; --j) i = (i << 1) + GetBit();
    return high | (i & 0x3F);
}

void TLZH::Unpack(int32_t Count, const TLzhWriteProc& WriteCallback, const TLzhReadProc& ReadCallback) {
    InitTables();
    try {
        m_read = &ReadCallback;
        // Bits left over from an earlier call belong to another stream.
        m_bitBuf = 0;
        m_bitCount = 0;
        StartHuff();
        uint8_t* text = m_tables->text;
        std::memset(text, ' ', N - F);
        int r = N - F;
        int written = 0;
        auto deliver = [&](uint8_t byte) {
            WriteCallback(&byte, 1, written);
            text[r] = byte;
            r = (r + 1) & (N - 1);
        };
        for (int64_t produced = 0; produced < Count;) {
            const int c = DecodeChar();
            if (c < 256) {
                deliver(static_cast<uint8_t>(c));
                ++produced;
            } else {
                const int i = (r - DecodePosition() - 1) & (N - 1);
                const int length = c - 255 + THRESHOLD;
                for (int k = 0; k < length; ++k) deliver(text[(i + k) & (N - 1)]);
                produced += length;
            }
        }
    } catch (...) {
        m_read = nullptr;
        FreeTables();
        throw;
    }
    m_read = nullptr;
    FreeTables();
}

void TLZH::ReadCallback(void* Buffer, int Wanted, int& Got) {
    Got = 0;
    if (!Source || Wanted <= 0) return;
    const int64_t left = Source->Size() - Source->Position();
    Got = static_cast<int>(std::clamp<int64_t>(left, 0, Wanted));
    Source->ReadBuffer(Buffer, Got);
}

void TLZH::WriteCallback(const void* Buffer, int Length, int& Written) {
    Written = Length;
    if (Target) Target->WriteBuffer(Buffer, Length);
}

// ---------------------------------------------------------------------------
// Messages

TSkinMessageProc SkinMessageHook;

namespace {

std::vector<std::string>& Recorded() {
    static std::vector<std::string> texts;
    return texts;
}

}  // namespace

void ShowSkinMessage(const std::string& Text) {
    if (SkinMessageHook)
        SkinMessageHook(Text);
    else
        Recorded().push_back(Text);
}

const std::vector<std::string>& RecordedSkinMessages() { return Recorded(); }

void ClearRecordedSkinMessages() { Recorded().clear(); }

// ---------------------------------------------------------------------------
// TSkinReader

namespace {

int32_t I32At(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace

int64_t SkinMaxUnpackedSize(int64_t codedBytes) { return TLZH::F * 8 * std::max<int64_t>(codedBytes, 0) + TLZH::F; }

void TSkinReader::Unpack(TStream& Source, TStream& Target) {
    Source.SetPosition(0);
    Target.SetPosition(0);
    const int64_t size = Source.Size();
    if (size < 4) throw ESkinReadError("The file is shorter than its size field");
    const int32_t n = Source.ReadI32();
    if (n < 0) throw ESkinReadError(Format("Its unpacked size (%d) is negative", n));
    const int64_t coded = size - 4;
    if (n > SkinMaxUnpackedSize(coded))
        throw ESkinReadError(
            Format("Its unpacked size (%d bytes) cannot come from %lld coded bytes", n, static_cast<long long>(coded)));
    TLZH lzh;
    lzh.Source = &Source;
    lzh.Target = &Target;
    lzh.Unpack(
        n, [&lzh](const void* b, int l, int& w) { lzh.WriteCallback(b, l, w); },
        [&lzh](void* b, int want, int& got) { lzh.ReadCallback(b, want, got); });
    // A damaged stream's last match may run past N; so may what Target held before.
    Target.SetSize(n);
}

bool TSkinReader::LoadFromStream(TStream& Package) {
    TMemoryStream temp;
    TSkinHead head;
    TStringList names;
    int32_t sizes[SkinMaxEntries] = {};
    int64_t dataStart = 0;
    try {
        Unpack(Package, temp);
        temp.SetPosition(0);
        const int64_t size = temp.Size();
        const uint8_t* bytes = static_cast<const uint8_t*>(temp.Memory());
        if (size < SkinHeadSize) throw ESkinReadError("The container is shorter than its head");
        head.Tag = I32At(bytes);
        head.NameLength = I32At(bytes + 4);
        std::memcpy(head.Reserved, bytes + 8, sizeof head.Reserved);
        if (head.Tag != SkinTag) {
            Head = head;
            ShowSkinMessage(SOlderSkinFile);
            return false;
        }

        const int32_t L = head.NameLength;
        if (L < 0 || L > size - SkinHeadSize)
            throw ESkinReadError(Format("The name list (%d bytes) runs past the container", L));
        names.SetText(
            LowerCase(std::string(reinterpret_cast<const char*>(bytes + SkinHeadSize), static_cast<size_t>(L))));
        const int count = names.Count();
        if (count > SkinMaxEntries)
            throw ESkinReadError(Format("It names %d entries; at most %d fit", count, SkinMaxEntries));

        const int64_t sizesStart = SkinHeadSize + static_cast<int64_t>(L);
        dataStart = sizesStart + 4 * static_cast<int64_t>(count);
        if (dataStart > size) throw ESkinReadError("The size table runs past the container");
        int64_t total = 0;
        for (int i = 0; i < count; ++i) {
            sizes[i] = I32At(bytes + sizesStart + 4 * i);
            if (sizes[i] < 0) throw ESkinReadError(Format("Entry %d has a negative size (%d)", i + 1, sizes[i]));
            total += sizes[i];
        }
        if (total > size - dataStart) throw ESkinReadError("The entries run past the container");
    } catch (const ESkinReadError& e) {
        ShowSkinMessage(std::string(SDamagedSkinFile) + "\r" + e.Message());
        return false;
    }

    const int64_t dataSize = temp.Size() - dataStart;
    Data.SetSize(dataSize);
    if (dataSize > 0)
        std::memcpy(Data.Memory(), static_cast<const uint8_t*>(temp.Memory()) + dataStart,
                    static_cast<size_t>(dataSize));
    Data.SetPosition(0);
    Names = names;
    Count = names.Count();
    std::copy(std::begin(sizes), std::end(sizes), std::begin(Sizes));
    Head = head;
    return true;
}

void TSkinReader::CopyEntry(int index, int64_t offset, TMemoryStream& Target) {
    const int32_t size = Sizes[index];
    if (size > 0) Target.WriteBuffer(static_cast<const uint8_t*>(Data.Memory()) + offset, size);
    Target.SetPosition(0);
}

template <class Match>
bool TSkinReader::WalkEntries(const Match& match, TMemoryStream& Target, std::string* FoundName) {
    Target.Clear();
    // Count, Sizes and Data are open to the caller: every entry is checked
    // against what Data holds before a byte is copied.
    const int count = std::min({Count, Names.Count(), SkinMaxEntries});
    int64_t offset = 0;
    for (int i = 0; i < count; ++i) {
        const int32_t size = Sizes[i];
        if (size < 0 || offset + size > Data.Size()) return false;
        const std::string name = Names.Get(i);
        if (match(name)) {
            CopyEntry(i, offset, Target);
            if (FoundName) *FoundName = name;
            return true;
        }
        offset += size;
    }
    return false;
}

void TSkinReader::ReadEntry(const std::string& Name, TMemoryStream& Target) {
    const std::string wanted = LowerCase(Name);
    WalkEntries([&wanted](const std::string& name) { return name == wanted; }, Target, nullptr);
}

void TSkinReader::FindEntry(const std::string& Text, TMemoryStream& Target, std::string& FoundName) {
    WalkEntries([&Text](const std::string& name) { return Pos(Text, name) > 0; }, Target, &FoundName);
}
