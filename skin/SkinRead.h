// Skin packages: the LZHUF decoder and the container of named entries it unpacks.
//
// A package is a little-endian signed 32-bit size N followed by the LZHUF-coded
// container of N bytes. The container is a 16-byte head (tag 20000, name list
// length L, 8 bytes nobody reads), L bytes of names one per line, one signed
// 32-bit size per name and the entries' bytes back to back.
//
// No Windows header: the reader takes untrusted bytes and is fuzzed natively.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// ---------------------------------------------------------------------------
// LZHUF decoder

constexpr const char* SLzhNoMemory = "LZH : Cannot get memory for dictionary tables";
constexpr const char* SLzhFreeError = "LZH : Error freeing memory for dictionary tables";

class ElzhException : public Exception {
public:
    using Exception::Exception;
};

// Input: fill Buffer with up to Wanted bytes and report how many in Got.
using TLzhReadProc = std::function<void(void* Buffer, int Wanted, int& Got)>;
// Output: take Length bytes from Buffer and report how many in Written.
using TLzhWriteProc = std::function<void(const void* Buffer, int Length, int& Written)>;

class TLZH {
public:
    static constexpr int N = 4096;                      // ring size
    static constexpr int F = 60;                        // longest match
    static constexpr int THRESHOLD = 2;                 // matches are longer than this
    static constexpr int N_CHAR = 256 - THRESHOLD + F;  // literals and match lengths
    static constexpr int T = 2 * N_CHAR - 1;            // tree nodes
    static constexpr int R = T - 1;                     // root
    static constexpr int MAX_FREQ = 0x8000;             // root frequency that rebuilds the tree

    // Upper 6 bits of a match position, and the length of its code, for each byte
    // that starts with that code.
    static const uint8_t d_code[256];
    static const uint8_t d_len[256];

    TLZH();
    ~TLZH();
    TLZH(const TLZH&) = delete;
    TLZH& operator=(const TLZH&) = delete;

    // The streams ReadCallback and WriteCallback work on.
    TStream* Source = nullptr;
    TStream* Target = nullptr;

    // Decodes until Count bytes have been produced: one WriteCallback call of
    // length 1 per byte, one ReadCallback call per input byte. An input byte the
    // callback does not deliver reads as 0, so a short input still yields Count
    // bytes. A match is delivered whole, so a damaged stream may produce up to 59
    // bytes past Count. Count <= 0 reads nothing. Raises ElzhException when the
    // tables cannot be allocated.
    void Unpack(int32_t Count, const TLzhWriteProc& WriteCallback, const TLzhReadProc& ReadCallback);

    // Got := Wanted, or what is left of Source when less; then reads that much.
    void ReadCallback(void* Buffer, int Wanted, int& Got);
    // Written := Length; writes Length bytes to Target.
    void WriteCallback(const void* Buffer, int Length, int& Written);

private:
    struct Tables;

    void InitTables();
    void FreeTables();
    void StartHuff();
    void Update(int c);
    void Reconst();
    void FillBits();
    int GetBit();
    int GetByte();
    int DecodeChar();
    int DecodePosition();

    const TLzhReadProc* m_read = nullptr;
    uint16_t m_bitBuf = 0;
    uint8_t m_bitCount = 0;
    std::unique_ptr<Tables> m_tables;
};

// ---------------------------------------------------------------------------
// Messages to the user

constexpr const char* SOlderSkinFile = "This is Older Skin File\rPlease update to new version !";
// A package that cannot be what it claims; a line saying why follows after #13.
constexpr const char* SDamagedSkinFile = "This skin file is damaged";

// Where the reader's messages go. The Windows side points it at its message
// box; while it is empty each text is kept in RecordedSkinMessages().
using TSkinMessageProc = std::function<void(const std::string& Text)>;
extern TSkinMessageProc SkinMessageHook;
void ShowSkinMessage(const std::string& Text);
const std::vector<std::string>& RecordedSkinMessages();
void ClearRecordedSkinMessages();

// ---------------------------------------------------------------------------
// Container

constexpr int32_t SkinTag = 20000;
constexpr int SkinHeadSize = 16;
constexpr int SkinMaxEntries = 1001;

// Package size field or container layout that does not fit its bytes. The
// message says what did not fit.
class ESkinReadError : public Exception {
public:
    using Exception::Exception;
};

struct TSkinHead {
    int32_t Tag = 0;
    int32_t NameLength = 0;  // L
    uint8_t Reserved[8] = {};
};

// The largest container a package with this many coded bytes can honestly
// hold: no input bit yields more than one longest match.
int64_t SkinMaxUnpackedSize(int64_t codedBytes);

class TSkinReader {
public:
    TSkinReader() = default;
    TSkinReader(const TSkinReader&) = delete;
    TSkinReader& operator=(const TSkinReader&) = delete;

    TStringList Names;                   // lower-cased (A-Z only), in list order
    int Count = 0;                       // number of names
    int32_t Sizes[SkinMaxEntries] = {};  // one per name; the slots after Count are 0
    TMemoryStream Data;                  // the entries' bytes back to back
    TSkinHead Head;

    // Rewinds both streams, reads N from Source's first 4 bytes and decodes the
    // container into Target, which then holds exactly N bytes. Raises
    // ESkinReadError, before decoding anything, when Source is shorter than 4
    // bytes, N is negative or N exceeds SkinMaxUnpackedSize of the coded bytes.
    void Unpack(TStream& Source, TStream& Target);

    // True when the container was accepted. A tag other than 20000 shows
    // SOlderSkinFile and returns False, with only Head changed. A package whose
    // size field, name list, size table or entries do not fit shows
    // SDamagedSkinFile with the reason and returns False, the reader unchanged;
    // so does a list of more than 1001 names. Only running out of memory
    // (ElzhException, EStreamError) or a stream that fails to read raises.
    bool LoadFromStream(TStream& Package);

    // Target := the entry whose name equals Name (A-Z lower-cased), rewound;
    // empty when there is none.
    void ReadEntry(const std::string& Name, TMemoryStream& Target);
    // Target := the first entry whose name contains Text (taken as it is, so
    // capitals never match), and FoundName := that name. With no match Target is
    // empty and FoundName keeps its value.
    void FindEntry(const std::string& Text, TMemoryStream& Target, std::string& FoundName);

private:
    // Copies entry `index` (its bytes start at `offset` in Data) into Target.
    void CopyEntry(int index, int64_t offset, TMemoryStream& Target);
    template <class Match>
    bool WalkEntries(const Match& match, TMemoryStream& Target, std::string* FoundName);
};
