#include "classlib/Classes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// Copy buffer of CopyFrom: streams are never copied in one piece, and pieces this large make a
// file-to-file copy (the installer's extraction among them) at least as fast as CopyFileA,
// which copies in 64 KiB pieces; 256 KiB was not, at the median.
constexpr int64_t kCopyBufferSize = 1024 * 1024;
// Memory streams grow in whole blocks of this size.
constexpr int64_t kMemoryDelta = 0x2000;

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t r;
    if (__builtin_add_overflow(a, b, &r))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// TStream

int64_t TStream::Size() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0) throw EReadError();
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0) throw EWriteError();
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(SWriteError, FileLastError());
}

int64_t TStream::CopyFrom(TStream& src, int64_t count) {
    if (count == 0) {
        src.SetPosition(0);
        count = src.Size();
    }
    if (count < 0) throw EReadError();
    const int64_t total = count;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kCopyBufferSize)));
    while (count > 0) {
        int64_t n = std::min(count, kCopyBufferSize);
        src.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        count -= n;
    }
    return total;
}

uint8_t TStream::ReadU8() {
    uint8_t b;
    ReadBuffer(&b, 1);
    return b;
}

uint16_t TStream::ReadU16() {
    uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t TStream::ReadU32() {
    uint8_t b[4];
    ReadBuffer(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

int32_t TStream::ReadI32() { return static_cast<int32_t>(ReadU32()); }

uint64_t TStream::ReadU64() {
    uint64_t lo = ReadU32();
    uint64_t hi = ReadU32();
    return lo | (hi << 32);
}

int64_t TStream::ReadI64() { return static_cast<int64_t>(ReadU64()); }

void TStream::WriteU8(uint8_t v) { WriteBuffer(&v, 1); }

void TStream::WriteU16(uint16_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    WriteBuffer(b, 2);
}

void TStream::WriteU32(uint32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    WriteBuffer(b, 4);
}

void TStream::WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }

void TStream::WriteU64(uint64_t v) {
    WriteU32(static_cast<uint32_t>(v));
    WriteU32(static_cast<uint32_t>(v >> 32));
}

void TStream::WriteI64(int64_t v) { WriteU64(static_cast<uint64_t>(v)); }

std::string TStream::ReadString(int64_t count) {
    if (count < 0) throw EReadError();
    if (count == 0) return std::string();
    // Size first, so a bogus length from the data cannot make us allocate.
    int64_t left = Size() - Position();
    if (count > left) throw EReadError();
    std::string s(static_cast<size_t>(count), '\0');
    ReadBuffer(s.data(), count);
    return s;
}

void TStream::WriteString(const std::string& s) { WriteBuffer(s.data(), static_cast<int64_t>(s.size())); }

// ---------------------------------------------------------------------------
// TCustomMemoryStream

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
    m_memory = static_cast<uint8_t*>(memory);
    m_size = size;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
    if (m_position < 0 || count <= 0 || m_position >= m_size) return 0;
    int64_t n = std::min(count, m_size - m_position);
    std::memmove(buffer, m_memory + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    switch (origin) {
        case soBeginning: m_position = offset; break;
        case soCurrent: m_position = SaturatingAdd(m_position, offset); break;
        case soEnd: m_position = SaturatingAdd(m_size, offset); break;
    }
    return m_position;
}

void TCustomMemoryStream::SaveToStream(TStream& dst) {
    if (m_size > 0) dst.WriteBuffer(m_memory, m_size);
}

void TCustomMemoryStream::SaveToFile(const std::string& name) {
    TFileStream fs(name, fmCreate);
    SaveToStream(fs);
}

// ---------------------------------------------------------------------------
// TMemoryStream

TMemoryStream::~TMemoryStream() { std::free(m_memory); }

void TMemoryStream::Reserve(int64_t needed) {
    if (needed <= m_capacity) return;
    int64_t grown = m_capacity + m_capacity / 2;
    int64_t cap = std::max(needed, grown);
    if (cap > std::numeric_limits<int64_t>::max() - kMemoryDelta) throw EStreamError(SMemoryStreamError);
    cap = (cap + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
    if (static_cast<uint64_t>(cap) > std::numeric_limits<size_t>::max()) throw EStreamError(SMemoryStreamError);
    void* p = std::realloc(m_memory, static_cast<size_t>(cap));
    if (!p) throw EStreamError(SMemoryStreamError);
    m_memory = static_cast<uint8_t*>(p);
    m_capacity = cap;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (m_position < 0 || count <= 0) return 0;
    int64_t end;
    if (__builtin_add_overflow(m_position, count, &end)) throw EStreamError(SMemoryStreamError);
    if (end > m_size) {
        Reserve(end);
        // A write after a seek beyond the end leaves a gap: it reads as zeros.
        if (m_position > m_size) std::memset(m_memory + m_size, 0, static_cast<size_t>(m_position - m_size));
        m_size = end;
    }
    std::memmove(m_memory + m_position, buffer, static_cast<size_t>(count));
    m_position = end;
    return count;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0) throw EWriteError();
    if (newSize > m_size) {
        Reserve(newSize);
        std::memset(m_memory + m_size, 0, static_cast<size_t>(newSize - m_size));
    }
    m_size = newSize;
    if (m_position > m_size) m_position = m_size;
}

void TMemoryStream::Clear() {
    std::free(m_memory);
    m_memory = nullptr;
    m_size = m_capacity = m_position = 0;
}

void TMemoryStream::LoadFromStream(TStream& src) {
    src.SetPosition(0);
    int64_t count = src.Size();
    if (count < 0) throw EReadError();
    SetSize(count);
    m_position = 0;
    if (count != 0) src.ReadBuffer(m_memory, count);
}

void TMemoryStream::LoadFromFile(const std::string& name) {
    TFileStream fs(name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(fs);
}

// ---------------------------------------------------------------------------
// THandleStream / TFileStream

int64_t THandleStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t r = FileRead(m_handle, buffer, count);
    return r < 0 ? 0 : r;
}

int64_t THandleStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t r = FileWrite(m_handle, buffer, count);
    return r < 0 ? 0 : r;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
    return FileSeek(m_handle, offset, static_cast<int>(origin));
}

void THandleStream::SetSize(int64_t newSize) {
    if (newSize < 0) throw EWriteError();
    int64_t old = Position();
    if (Seek(newSize, soBeginning) != newSize || !FileTruncate(m_handle)) throw EWriteError();
    if (old >= 0 && old < newSize) Seek(old, soBeginning);
}

TFileStream::TFileStream(const std::string& name, uint16_t mode) : THandleStream(kInvalidFileHandle), m_fileName(name) {
    if (mode == fmCreate) {
        m_handle = FileCreate(name);
        if (m_handle == kInvalidFileHandle) {
            const uint32_t code = FileLastError();
            throw EFCreateError(Format(SFCreateError, name.c_str()), code);
        }
    } else {
        m_handle = FileOpen(name, mode);
        if (m_handle == kInvalidFileHandle) {
            const uint32_t code = FileLastError();
            throw EFOpenError(Format(SFOpenError, name.c_str()), code);
        }
    }
}

TFileStream::~TFileStream() { FileClose(m_handle); }

// ---------------------------------------------------------------------------
// TStringStream

int64_t TStringStream::Read(void* buffer, int64_t count) {
    int64_t size = Size();
    if (count <= 0 || m_position >= size) return 0;
    int64_t n = std::min(count, size - m_position);
    std::memcpy(buffer, m_data.data() + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

int64_t TStringStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    // Overwrites in place and extends; the bytes after the written range stay.
    size_t pos = static_cast<size_t>(m_position);
    if (pos + static_cast<size_t>(count) > m_data.size()) m_data.resize(pos + static_cast<size_t>(count));
    std::memcpy(m_data.data() + pos, buffer, static_cast<size_t>(count));
    m_position += count;
    return count;
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t size = Size();
    int64_t pos = m_position;
    switch (origin) {
        case soBeginning: pos = offset; break;
        case soCurrent: pos = SaturatingAdd(m_position, offset); break;
        case soEnd: pos = SaturatingAdd(size, offset); break;
    }
    m_position = std::clamp<int64_t>(pos, 0, size);
    return m_position;
}

void TStringStream::SetSize(int64_t newSize) {
    if (newSize < 0) throw EWriteError();
    m_data.resize(static_cast<size_t>(newSize));
    if (m_position > newSize) m_position = newSize;
}

std::string TStringStream::ReadString(int64_t count) {
    int64_t size = Size();
    if (count <= 0 || m_position >= size) return std::string();
    int64_t n = std::min(count, size - m_position);
    std::string s = m_data.substr(static_cast<size_t>(m_position), static_cast<size_t>(n));
    m_position += n;
    return s;
}

void TStringStream::WriteString(const std::string& s) { Write(s.data(), static_cast<int64_t>(s.size())); }

// ---------------------------------------------------------------------------
// TStrings

void TStrings::ListError(const char* fmt, int index) { throw EListError(Format(fmt, index)); }

void TStrings::Changing() {
    if (m_updateCount == 0 && OnChanging) OnChanging();
}

void TStrings::Changed() {
    if (m_updateCount == 0 && OnChange) OnChange();
}

void TStrings::BeginUpdate() {
    if (m_updateCount == 0) {
        Changing();
        SetUpdateState(true);
    }
    ++m_updateCount;
}

void TStrings::EndUpdate() {
    if (m_updateCount > 0 && --m_updateCount == 0) {
        SetUpdateState(false);
        Changed();
    }
}

void TStrings::Put(int index, const std::string& s) {
    void* obj = GetObjectAt(index);
    Delete(index);
    InsertObject(index, s, obj);
}

void* TStrings::GetObjectAt(int) const { return nullptr; }

void TStrings::PutObject(int, void*) {}

int TStrings::Add(const std::string& s) {
    int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, void* obj) {
    int index = Add(s);
    PutObject(index, obj);
    return index;
}

void TStrings::InsertObject(int index, const std::string& s, void* obj) {
    Insert(index, s);
    PutObject(index, obj);
}

int TStrings::IndexOf(const std::string& s) const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    BeginUpdate();
    try {
        std::string s = Get(curIndex);
        void* obj = GetObjectAt(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Exchange(int index1, int index2) {
    BeginUpdate();
    try {
        std::string s1 = Get(index1), s2 = Get(index2);
        void* o1 = GetObjectAt(index1);
        void* o2 = GetObjectAt(index2);
        Put(index1, s2);
        PutObject(index1, o2);
        Put(index2, s1);
        PutObject(index2, o1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::Text() const {
    std::string out;
    for (int i = 0, n = Count(); i < n; ++i) {
        out += Get(i);
        out += "\r\n";
    }
    return out;
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    try {
        Clear();
        size_t i = 0;
        const size_t n = text.size();
        while (i < n) {
            size_t start = i;
            while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
            Add(text.substr(start, i - start));
            if (i < n && text[i] == '\r') ++i;
            if (i < n && text[i] == '\n') ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::DelimitedText() const { return JoinDelimited(Delimiter, QuoteChar); }

void TStrings::SetDelimitedText(const std::string& text) { SplitDelimited(text, Delimiter, QuoteChar); }

std::string TStrings::CommaText() const { return JoinDelimited(',', '"'); }

void TStrings::SetCommaText(const std::string& text) { SplitDelimited(text, ',', '"'); }

std::string TStrings::JoinDelimited(char delimiter, char quoteChar) const {
    const int n = Count();
    if (n == 1 && Get(0).empty()) return std::string(2, quoteChar);
    std::string out;
    for (int i = 0; i < n; ++i) {
        std::string s = Get(i);
        bool quote = false;
        for (char c : s)
            if (static_cast<unsigned char>(c) <= ' ' || c == quoteChar || c == delimiter) {
                quote = true;
                break;
            }
        if (quote) {
            std::string q(1, quoteChar);
            for (char c : s) {
                if (c == quoteChar) q += quoteChar;
                q += c;
            }
            q += quoteChar;
            s.swap(q);
        }
        if (i) out += delimiter;
        out += s;
    }
    return out;
}

void TStrings::SplitDelimited(const std::string& text, char delimiter, char quoteChar) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    BeginUpdate();
    try {
        Clear();
        size_t p = 0;
        const size_t n = text.size();
        while (p < n && blank(text[p])) ++p;
        while (p < n) {
            std::string s;
            if (text[p] == quoteChar) {
                // Quoted item: doubled quotes stand for one; an unterminated one runs to the end.
                ++p;
                while (p < n) {
                    if (text[p] == quoteChar) {
                        if (p + 1 < n && text[p + 1] == quoteChar) {
                            s += quoteChar;
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    s += text[p++];
                }
            } else {
                size_t start = p;
                while (p < n && !blank(text[p]) && text[p] != delimiter) ++p;
                s = text.substr(start, p - start);
            }
            Add(s);
            while (p < n && blank(text[p])) ++p;
            if (p < n && text[p] == delimiter) {
                if (p + 1 == n) Add(std::string());
                do ++p;
                while (p < n && blank(text[p]));
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::Names(int index) const {
    std::string s = Get(index);
    size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

int TStrings::IndexOfName(const std::string& name) const {
    for (int i = 0, n = Count(); i < n; ++i) {
        std::string s = Get(i);
        size_t p = s.find('=');
        if (p != std::string::npos && p == name.size() && CompareText(s.substr(0, p), name) == 0) return i;
    }
    return -1;
}

std::string TStrings::Values(const std::string& name) const {
    int i = IndexOfName(name);
    if (i < 0) return std::string();
    std::string s = Get(i);
    return s.substr(s.find('=') + 1);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
    int i = IndexOfName(name);
    if (!value.empty()) {
        if (i < 0)
            Add(name + "=" + value);
        else
            Put(i, name + "=" + value);
    } else if (i >= 0) {
        Delete(i);
    }
}

std::string TStrings::ValueFromIndex(int index) const {
    std::string s = Get(index);
    size_t p = s.find('=');
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

int TStrings::IndexOfObject(void* obj) const {
    for (int i = 0, n = Count(); i < n; ++i)
        if (GetObjectAt(i) == obj) return i;
    return -1;
}

void TStrings::Assign(const TStrings& src) {
    if (&src == this) return;
    BeginUpdate();
    try {
        Clear();
        Delimiter = src.Delimiter;
        QuoteChar = src.QuoteChar;
        AddStrings(src);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(const TStrings& src) {
    BeginUpdate();
    try {
        for (int i = 0, n = src.Count(); i < n; ++i) AddObject(src.Get(i), src.GetObjectAt(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
    int n = Count();
    if (n != other.Count()) return false;
    for (int i = 0; i < n; ++i)
        if (Get(i) != other.Get(i)) return false;
    return true;
}

void TStrings::LoadFromFile(const std::string& name) {
    TFileStream fs(name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(fs);
}

void TStrings::SaveToFile(const std::string& name) const {
    TFileStream fs(name, fmCreate);
    SaveToStream(fs);
}

void TStrings::LoadFromStream(TStream& src) {
    int64_t left = src.Size() - src.Position();
    SetText(left > 0 ? src.ReadString(left) : std::string());
}

void TStrings::SaveToStream(TStream& dst) const { dst.WriteString(Text()); }

// ---------------------------------------------------------------------------
// TStringList

TStringList::TStringList(const TStringList& other)
    : TStrings(), Duplicates(other.Duplicates), m_items(other.m_items), m_sorted(other.m_sorted) {
    Delimiter = other.Delimiter;
    QuoteChar = other.QuoteChar;
}

TStringList& TStringList::operator=(const TStringList& other) {
    if (this == &other) return *this;
    BeginUpdate();
    m_items = other.m_items;
    m_sorted = other.m_sorted;
    Duplicates = other.Duplicates;
    Delimiter = other.Delimiter;
    QuoteChar = other.QuoteChar;
    EndUpdate();
    return *this;
}

void TStringList::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) ListError(SListIndexError, index);
}

std::string TStringList::Get(int index) const {
    CheckIndex(index);
    return m_items[static_cast<size_t>(index)].str;
}

void TStringList::Put(int index, const std::string& s) {
    if (m_sorted) ListError(SSortedListError, 0);
    CheckIndex(index);
    Changing();
    m_items[static_cast<size_t>(index)].str = s;
    Changed();
}

void* TStringList::GetObjectAt(int index) const {
    CheckIndex(index);
    return m_items[static_cast<size_t>(index)].obj;
}

void TStringList::PutObject(int index, void* obj) {
    CheckIndex(index);
    Changing();
    m_items[static_cast<size_t>(index)].obj = obj;
    Changed();
}

void TStringList::InsertItem(int index, const std::string& s, void* obj) {
    Changing();
    m_items.insert(m_items.begin() + index, Item{s, obj});
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (m_sorted) ListError(SSortedListError, 0);
    if (index < 0 || index > Count()) ListError(SListIndexError, index);
    InsertItem(index, s, nullptr);
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    Changing();
    m_items.erase(m_items.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (m_items.empty()) return;
    Changing();
    m_items.clear();
    Changed();
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, void* obj) {
    int index;
    if (!m_sorted) {
        index = Count();
    } else if (Find(s, index)) {
        if (Duplicates == dupIgnore) return index;
        if (Duplicates == dupError) ListError(SDuplicateString, 0);
    }
    InsertItem(index, s, obj);
    return index;
}

int TStringList::IndexOf(const std::string& s) const {
    if (!m_sorted) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int& index) const {
    auto it = std::lower_bound(m_items.begin(), m_items.end(), s,
                               [](const Item& item, const std::string& key) { return CompareText(item.str, key) < 0; });
    index = static_cast<int>(it - m_items.begin());
    return it != m_items.end() && CompareText(it->str, s) == 0;
}

void TStringList::Sort() {
    if (m_sorted || m_items.size() < 2) return;
    Changing();
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const Item& a, const Item& b) { return CompareText(a.str, b.str) < 0; });
    Changed();
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == m_sorted) return;
    if (sorted) Sort();
    m_sorted = sorted;
}
