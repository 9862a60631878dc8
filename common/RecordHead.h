// Installer package records, shared by the builder, setup and uninstall.
//
// An installer is the setup program, the stored files' data, the file, folder,
// link and registry tables, and a 552-byte head as the last bytes of the file.
// Every number is a little-endian unsigned 32-bit value; every text field is a
// fixed-width, zero-terminated, zero-filled array of 8-bit characters. The
// records are encoded field by field here, never by copying the structs, so
// the stored layout does not depend on the compiler's padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TObject;
class TStream;

// ---------------------------------------------------------------------------
// Stored sizes

constexpr size_t PackHeadSize = 552;
constexpr size_t PackFileRecSize = 776;
constexpr size_t PackDirRecSize = 512;
constexpr size_t PackLinkRecSize = 1025;
constexpr size_t PackRegRecSize = 1668;

// The head's first field: these three letters and a zero byte.
constexpr const char* PackMagic = "zem";

// Root keywords of file, folder and link records.
constexpr const char* RootInstallDir = "InstallDir";
constexpr const char* RootWindowsDir = "WindowsDir";
constexpr const char* RootSystem32Dir = "System32Dir";

// Link kinds (the first byte of a link record).
constexpr uint8_t lkCreateGroup = 0;  // Program Manager group named by the caption
constexpr uint8_t lkAddItem = 1;      // item for the file in the current group
constexpr uint8_t lkNothing = 2;      // only counted as a step
constexpr uint8_t lkScreenSaver = 3;  // the file becomes the screen saver
constexpr uint8_t lkWallpaper = 4;    // the file becomes the Active Desktop wallpaper

// ---------------------------------------------------------------------------
// Records. A value-initialised record ({}) is all zeros, as a new one must be.
// Text fields hold the bytes exactly as stored; use SetPackText/GetPackText.

struct TPackHead {
    char Magic[4];
    char ProgramName[256];
    char Author[64];
    char Email[64];
    char Website[128];
    uint8_t Reserved1;
    uint8_t Reserved2[3];
    uint32_t RegCount;
    uint32_t RegOffset;
    uint32_t FileCount;
    uint32_t FileOffset;
    uint32_t LinkCount;
    uint32_t LinkOffset;
    uint32_t DirCount;
    uint32_t DirOffset;
};

struct TPackFileRec {
    char FileName[256];
    char Root[256];
    char SubFolder[256];
    uint32_t Offset;
    uint32_t Size;
};

struct TPackDirRec {
    char Root[256];
    char SubFolder[256];
};

struct TPackLinkRec {
    uint8_t Kind;
    char Root[256];
    char SubFolder[256];
    char FileName[256];
    char Caption[256];
};

struct TPackRegRec {
    uint32_t RootKey;
    char KeyPath[512];
    char ValueName[128];
    char ValueText[1024];
};

// Progress of a package writer or reader: who reports, the running step number
// (from 1) and what the step did.
using TSetupEvent = std::function<void(TObject* Sender, int Setupit, const std::string& Text)>;

// ---------------------------------------------------------------------------
// Text fields

// Copies text into a field of `width` bytes: at most width - 1 bytes of it,
// then zeros up to the end. A longer text is cut; it never spills.
void SetPackText(char* field, size_t width, const std::string& text);
template <size_t W>
inline void SetPackText(char (&field)[W], const std::string& text) {
    SetPackText(field, W, text);
}

// The bytes up to the first zero, or all `width` bytes when there is none.
std::string GetPackText(const char* field, size_t width);
template <size_t W>
inline std::string GetPackText(const char (&field)[W]) {
    return GetPackText(field, W);
}

// A head with the magic set and everything else zero.
TPackHead NewPackHead();
// True when the magic field, read as a zero-terminated text of at most four
// characters, is exactly "zem".
bool PackHeadHasMagic(const TPackHead& head);

// ---------------------------------------------------------------------------
// Byte forms. Encode writes exactly the record's stored size at `out`;
// Decode reads exactly that many bytes from `in`.

void EncodePackHead(const TPackHead& rec, uint8_t* out);
void DecodePackHead(const uint8_t* in, TPackHead& rec);
void EncodePackFileRec(const TPackFileRec& rec, uint8_t* out);
void DecodePackFileRec(const uint8_t* in, TPackFileRec& rec);
void EncodePackDirRec(const TPackDirRec& rec, uint8_t* out);
void DecodePackDirRec(const uint8_t* in, TPackDirRec& rec);
void EncodePackLinkRec(const TPackLinkRec& rec, uint8_t* out);
void DecodePackLinkRec(const uint8_t* in, TPackLinkRec& rec);
void EncodePackRegRec(const TPackRegRec& rec, uint8_t* out);
void DecodePackRegRec(const uint8_t* in, TPackRegRec& rec);

// ---------------------------------------------------------------------------
// Streams. Writers raise the stream's write error; readers read exactly one
// record at the stream's position or raise EReadError.

void WritePackRecord(TStream& s, const TPackHead& rec);
void WritePackRecord(TStream& s, const TPackFileRec& rec);
void WritePackRecord(TStream& s, const TPackDirRec& rec);
void WritePackRecord(TStream& s, const TPackLinkRec& rec);
void WritePackRecord(TStream& s, const TPackRegRec& rec);
void ReadPackRecord(TStream& s, TPackHead& rec);
void ReadPackRecord(TStream& s, TPackFileRec& rec);
void ReadPackRecord(TStream& s, TPackDirRec& rec);
void ReadPackRecord(TStream& s, TPackLinkRec& rec);
void ReadPackRecord(TStream& s, TPackRegRec& rec);

// Writes the records one after the other at the stream's position.
void WritePackTable(TStream& s, const std::vector<TPackFileRec>& recs);
void WritePackTable(TStream& s, const std::vector<TPackDirRec>& recs);
void WritePackTable(TStream& s, const std::vector<TPackLinkRec>& recs);
void WritePackTable(TStream& s, const std::vector<TPackRegRec>& recs);

// Reads `count` records starting at the absolute stream offset `offset`.
// A table that does not lie wholly inside the stream raises EReadError before
// anything is allocated or read, so counts and offsets from an untrusted file
// can never make the reader read or allocate beyond the file.
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackFileRec>& recs);
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackDirRec>& recs);
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackLinkRec>& recs);
void ReadPackTable(TStream& s, uint32_t offset, uint32_t count, std::vector<TPackRegRec>& recs);

// Reads the head from the last 552 bytes of the stream. Returns false when the
// magic is not "zem" (the file carries no package); a stream shorter than a
// head raises EReadError.
bool ReadPackHeadAtEnd(TStream& s, TPackHead& head);

// A whole package index: head and the four tables.
struct TPackIndex {
    TPackHead Head{};
    std::vector<TPackFileRec> Files;
    std::vector<TPackDirRec> Dirs;
    std::vector<TPackLinkRec> Links;
    std::vector<TPackRegRec> Regs;
    // One progress step per record of the four tables.
    int64_t StepCount() const {
        return static_cast<int64_t>(Files.size()) + static_cast<int64_t>(Dirs.size()) +
               static_cast<int64_t>(Links.size()) + static_cast<int64_t>(Regs.size());
    }
};

// Reads the head at the end of the stream, then the file, folder, link and
// registry tables in that order, wherever they lie. False on a wrong magic
// (nothing else is read); a head or table that does not fit inside the stream
// raises EReadError. On any failure `index` is left empty.
bool ReadPackIndex(TStream& s, TPackIndex& index);
