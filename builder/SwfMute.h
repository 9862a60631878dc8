// Copies of the movie beside a published page: byte for byte, or muted (every sound tag
// and the Protect tag turned into a tag code players skip, always written uncompressed).
#pragma once

#include <cstdint>
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// ---------------------------------------------------------------------------
// zlib decompression as a read-only stream

class EZlibError : public Exception {
public:
    using Exception::Exception;
};

class EDecompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

// Inflates a zlib stream (RFC 1950) read from the source's current position on. Read
// returns fewer bytes than asked only at the end of the compressed data or when the source
// runs dry; damaged data raises EDecompressionError. Writing and seeking are refused.
class TDecompressionStream : public TStream {
public:
    explicit TDecompressionStream(TStream& source);
    ~TDecompressionStream() override;
    TDecompressionStream(const TDecompressionStream&) = delete;
    TDecompressionStream& operator=(const TDecompressionStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Only asking for the position (bytes inflated so far) is allowed.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return -1; }

private:
    struct State;
    TStream& m_source;
    State* m_state;
};

// ---------------------------------------------------------------------------
// The movie copies

// A movie with the right signature that claims more than it holds or whose tags leave
// it. The message names the file.
class ESwfError : public Exception {
public:
    using Exception::Exception;
};

// Plain copy: an existing target is replaced. Raises EFOpenError / EFCreateError naming
// the file; a target left half-written by a failed write is removed.
void CopyFileStream(const std::string& src, const std::string& dst);

// Muted copy. Returns true when the source is no movie (its first three bytes are neither
// "FWS" nor "CWS"): nothing is written and nothing is reported. A source that cannot be
// opened raises EInOutError, a target that cannot be created EFCreateError naming it. A
// damaged movie raises ESwfError naming src and leaves dst as it was; otherwise dst
// becomes exactly FileLength bytes of uncompressed movie. The copy is written beside dst
// under a temporary name and takes dst's place only once the whole movie has passed.
bool CopySwfMuted(const std::string& src, const std::string& dst);

// Inflates exactly count bytes of the zlib stream that starts at the beginning of src into
// dst, which then holds only those bytes, positioned at 0. Fewer bytes raise EReadError,
// damaged data EDecompressionError (dst is emptied). dst grows only as data arrives.
void InflateSwfBody(int64_t count, TStream& src, TMemoryStream& dst);

// The 8 header bytes of a movie file as the muted copy reads them.
struct TSwfHeader {
    bool movie = false;       // "FWS" or "CWS"
    bool compressed = false;  // "CWS"
    uint8_t version = 0;
    uint32_t fileLength = 0;
};

// Reads the header from the start of src and checks FileLength against what src holds,
// before anything else is read. Bytes that are no movie give movie = false; a movie
// shorter than its header or with an impossible FileLength raises ESwfError naming name.
TSwfHeader ReadSwfHeader(TStream& src, const std::string& name);

// Writes the muted uncompressed movie of src (after its header) to dst, piece by piece,
// rewriting the word of every top-level sound and Protect tag. Raises ESwfError naming
// name when the frame header or a tag runs past FileLength, no End tag comes before it,
// or a compressed body is corrupt or inflates short; dst then holds a partial movie that
// the caller throws away. Memory use does not depend on the movie's size.
void WriteMutedSwf(TStream& src, const TSwfHeader& header, const std::string& name, TStream& dst);

// ReadSwfHeader, then WriteMutedSwf for a movie. False (dst untouched) for no movie.
bool MuteSwfStream(TStream& src, const std::string& name, TStream& dst);
