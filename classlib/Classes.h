// Portable runtime: string lists and streams.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "classlib/FileIO.h"
#include "classlib/SysUtils.h"

// ---------------------------------------------------------------------------
// Streams

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;

    // Transfer up to count bytes; return how many were transferred (0 on failure).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    // Exactly count bytes or EReadError / EWriteError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from src's position; count 0 copies all of src from its
    // start. Returns the number of bytes copied.
    int64_t CopyFrom(TStream& src, int64_t count);

    // Little-endian fixed-width fields; short reads raise EReadError.
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int32_t ReadI32();
    uint64_t ReadU64();
    int64_t ReadI64();
    void WriteU8(uint8_t v);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v);
    void WriteU64(uint64_t v);
    void WriteI64(int64_t v);
    // Raw bytes: reads exactly count bytes into a string (EReadError otherwise,
    // and never allocates more than the stream still holds).
    std::string ReadString(int64_t count);
    void WriteString(const std::string& s);
};

// A stream over a block of memory it does not necessarily own.
class TCustomMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return m_size; }
    void* Memory() const { return m_memory; }
    void SaveToStream(TStream& dst);
    void SaveToFile(const std::string& name);

protected:
    void SetPointer(void* memory, int64_t size);

    uint8_t* m_memory = nullptr;
    int64_t m_size = 0;
    int64_t m_position = 0;
};

// A growable in-memory stream. Bytes that appear by growing (SetSize, or a write
// after a seek beyond the end) read as zeros.
class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t newSize) override;
    void Clear();
    void LoadFromStream(TStream& src);
    void LoadFromFile(const std::string& name);
    int64_t Capacity() const { return m_capacity; }

private:
    void Reserve(int64_t needed);
    int64_t m_capacity = 0;
};

// A stream over an OS file handle it owns.
class THandleStream : public TStream {
public:
    explicit THandleStream(TFileHandle handle) : m_handle(handle) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;
    TFileHandle Handle() const { return m_handle; }

protected:
    TFileHandle m_handle;
};

class TFileStream : public THandleStream {
public:
    // mode: fmCreate, or an fmOpen* value or'ed with an fmShare* value.
    // Raises EFCreateError / EFOpenError naming the file.
    TFileStream(const std::string& name, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    const std::string& FileName() const { return m_fileName; }

private:
    std::string m_fileName;
};

// A stream over a std::string.
class TStringStream : public TStream {
public:
    explicit TStringStream(std::string data = std::string()) : m_data(std::move(data)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(m_data.size()); }
    void SetSize(int64_t newSize) override;
    const std::string& DataString() const { return m_data; }
    // Reads up to count bytes from the position.
    std::string ReadString(int64_t count);
    void WriteString(const std::string& s);

private:
    std::string m_data;
    int64_t m_position = 0;
};

// ---------------------------------------------------------------------------
// String lists

using TNotifyProc = std::function<void()>;

// The abstract list of strings with a pointer per line. Descendants provide
// storage (TStringList) or map onto a window's items; everything else is built
// on the virtual primitives.
class TStrings {
public:
    virtual ~TStrings() = default;

    // --- primitives
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s);
    virtual void* GetObjectAt(int index) const;
    virtual void PutObject(int index, void* obj);
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    // --- built on the primitives
    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, void* obj);
    void InsertObject(int index, const std::string& s, void* obj);
    virtual int IndexOf(const std::string& s) const;  // case-insensitive, -1 if absent
    void Move(int curIndex, int newIndex);
    void Exchange(int index1, int index2);

    std::string Strings(int index) const { return Get(index); }
    void SetStrings(int index, const std::string& s) { Put(index, s); }
    void* Objects(int index) const { return GetObjectAt(index); }
    void SetObjects(int index, void* obj) { PutObject(index, obj); }

    // Get/set proxy so that list[i] = "x" and std::string s = list[i] both work.
    class Ref {
    public:
        Ref(TStrings& owner, int index) : m_owner(owner), m_index(index) {}
        operator std::string() const { return m_owner.Get(m_index); }
        Ref& operator=(const std::string& s) {
            m_owner.Put(m_index, s);
            return *this;
        }
        Ref& operator=(const char* s) {
            m_owner.Put(m_index, s);
            return *this;
        }
        Ref& operator=(const Ref& other) {
            m_owner.Put(m_index, other.m_owner.Get(other.m_index));
            return *this;
        }
        std::string str() const { return m_owner.Get(m_index); }
        bool operator==(const std::string& s) const { return str() == s; }
        bool operator==(const char* s) const { return str() == s; }
        size_t size() const { return str().size(); }
        size_t length() const { return str().size(); }
        bool empty() const { return str().empty(); }
        friend std::string operator+(const Ref& a, const std::string& b) { return a.str() + b; }
        friend std::string operator+(const std::string& a, const Ref& b) { return a + b.str(); }
        friend std::string operator+(const Ref& a, const char* b) { return a.str() + b; }
        friend std::string operator+(const char* a, const Ref& b) { return a + b.str(); }
        friend std::ostream& operator<<(std::ostream& os, const Ref& r);

    private:
        TStrings& m_owner;
        int m_index;
    };
    Ref operator[](int index) { return Ref(*this, index); }
    std::string operator[](int index) const { return Get(index); }

    // Every line followed by CR LF, the last one too.
    virtual std::string Text() const;
    // Splits at CR LF, lone CR and lone LF; a final break adds no empty line.
    virtual void SetText(const std::string& text);

    // Delimited form: items holding blanks, quotes or the delimiter are quoted.
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& text);
    std::string CommaText() const;
    void SetCommaText(const std::string& text);
    char Delimiter = ',';
    char QuoteChar = '"';

    // name=value lines
    std::string Names(int index) const;  // "" when the line has no '='
    std::string Values(const std::string& name) const;
    // An empty value deletes the line; a new name is added at the end.
    void SetValues(const std::string& name, const std::string& value);
    std::string ValueFromIndex(int index) const;
    int IndexOfName(const std::string& name) const;  // case-insensitive

    int IndexOfObject(void* obj) const;
    virtual void Assign(const TStrings& src);
    void AddStrings(const TStrings& src);
    bool Equals(const TStrings& other) const;

    virtual void LoadFromFile(const std::string& name);
    virtual void SaveToFile(const std::string& name) const;
    // Reads from the stream's position to its end.
    virtual void LoadFromStream(TStream& src);
    virtual void SaveToStream(TStream& dst) const;

    // Change notifications are held back while an update is in progress; the
    // outermost EndUpdate reports one change.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }
    TNotifyProc OnChange;
    TNotifyProc OnChanging;

protected:
    TStrings() = default;
    TStrings(const TStrings&) = default;
    TStrings& operator=(const TStrings&) = default;
    // Called when the update state flips (descendants over windows may redraw).
    virtual void SetUpdateState(bool updating) {}
    [[noreturn]] static void ListError(const char* fmt, int index);
    std::string JoinDelimited(char delimiter, char quoteChar) const;
    void SplitDelimited(const std::string& text, char delimiter, char quoteChar);
    void Changing();
    void Changed();

private:
    int m_updateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
public:
    TStringList() = default;
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);
    ~TStringList() override = default;

    int Count() const override { return static_cast<int>(m_items.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void* GetObjectAt(int index) const override;
    void PutObject(int index, void* obj) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, void* obj) override;
    int IndexOf(const std::string& s) const override;

    // Sorted lists keep their order on Add (CompareText order); Insert and Put
    // raise EListError on them. Duplicates applies to sorted lists only.
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates = dupIgnore;
    virtual void Sort();
    // Binary search in a sorted list: true when found; index is the match or the
    // insertion point.
    bool Find(const std::string& s, int& index) const;

private:
    struct Item {
        std::string str;
        void* obj = nullptr;
    };
    void CheckIndex(int index) const;
    void InsertItem(int index, const std::string& s, void* obj);

    std::vector<Item> m_items;
    bool m_sorted = false;
};
