#include "builder/SwfMute.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include <zlib.h>

#include "classlib/FileIO.h"

// ---------------------------------------------------------------------------
// TDecompressionStream

namespace {
constexpr int64_t kInflateInput = 64 * 1024;
}

struct TDecompressionStream::State {
    z_stream z{};
    std::unique_ptr<uint8_t[]> input;
    size_t inputSize = 0;
    int64_t produced = 0;
    bool ended = false;
};

TDecompressionStream::TDecompressionStream(TStream& source) : m_source(source), m_state(new State) {
    // No bigger an input buffer than what the source still holds (when it can tell).
    const int64_t left = source.Size() - source.Position();
    m_state->inputSize = static_cast<size_t>(left > 0 ? std::min(left, kInflateInput) : kInflateInput);
    m_state->input.reset(new uint8_t[m_state->inputSize]);
    if (inflateInit(&m_state->z) != Z_OK) {
        delete m_state;
        throw EDecompressionError("Cannot start decompression");
    }
}

TDecompressionStream::~TDecompressionStream() {
    inflateEnd(&m_state->z);
    delete m_state;
}

int64_t TDecompressionStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || m_state->ended) return 0;
    z_stream& z = m_state->z;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count && !m_state->ended) {
        // avail_out is 32-bit; larger requests go round the loop.
        const int64_t want = std::min<int64_t>(count - done, std::numeric_limits<uInt>::max());
        z.next_out = out + done;
        z.avail_out = static_cast<uInt>(want);
        if (z.avail_in == 0) {
            int64_t got = m_source.Read(m_state->input.get(), static_cast<int64_t>(m_state->inputSize));
            if (got <= 0) break;  // the source ran dry before the compressed data ended
            z.next_in = m_state->input.get();
            z.avail_in = static_cast<uInt>(got);
        }
        int rc = inflate(&z, Z_NO_FLUSH);
        done += want - static_cast<int64_t>(z.avail_out);
        if (rc == Z_STREAM_END) {
            m_state->ended = true;
        } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
            // Z_NEED_DICT: a preset dictionary is nothing a movie may use.
            throw EDecompressionError(z.msg ? z.msg : "Invalid compressed data");
        }
    }
    m_state->produced += done;
    return done;
}

int64_t TDecompressionStream::Write(const void*, int64_t) { throw EDecompressionError("Invalid stream operation"); }

int64_t TDecompressionStream::Seek(int64_t offset, TSeekOrigin origin) {
    if (offset == 0 && origin == soCurrent) return m_state->produced;
    throw EDecompressionError("Invalid stream operation");
}

// ---------------------------------------------------------------------------
// Muting

namespace {

constexpr uint32_t kMinRectByte = 9;  // header plus the byte that holds the RECT's width
constexpr size_t kWindow = 256 * 1024;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

unsigned long long AsULL(uint64_t v) { return static_cast<unsigned long long>(v); }

[[noreturn]] void Damaged(const std::string& name, const std::string& why) {
    throw ESwfError(Format("Damaged movie file %s: %s", name.c_str(), why.c_str()));
}

bool IsMutedCode(unsigned code) {
    switch (code) {
        case 14:  // DefineSound
        case 18:  // SoundStreamHead
        case 19:  // SoundStreamBlock
        case 24:  // Protect
        case 45:  // SoundStreamHead2
            return true;
        default: return false;
    }
}

// The run time's input/output error for an OS error code of FileIO.
[[noreturn]] void InOutError(uint32_t osCode) {
    int code = static_cast<int>(osCode);
#ifndef _WIN32
    // errno values to the Windows codes the run time reports.
    if (osCode == ENOENT)
        code = 2;
    else if (osCode == ENOTDIR)
        code = 3;
    else if (osCode == EACCES || osCode == EPERM || osCode == EISDIR)
        code = 5;
#endif
    switch (code) {
        case 2: throw EInOutError("File not found", code);
        case 3: throw EInOutError("Invalid filename", code);
        case 4: throw EInOutError("Too many open files", code);
        case 5: throw EInOutError("File access denied", code);
        default: throw EInOutError(Format("I/O error %d", code), code);
    }
}

// Walks the tags of the uncompressed movie as its bytes pass through a window: every
// offset is absolute (header included) and checked against FileLength in 64 bits.
class TTagWalk {
public:
    TTagWalk(uint64_t fileLength, const std::string& name) : m_fileLength(fileLength), m_name(name) {}

    // Handles every tag whose header lies wholly in bytes [base, base + count) and rewrites
    // muted words there. Returns the offset up to which the bytes are final.
    uint64_t Advance(uint8_t* bytes, uint64_t base, uint64_t count) {
        const uint64_t end = base + count;
        if (m_state == State::Rect) {
            if (m_next >= end) return base;
            // RECT: five bits of width N, four values of N bits, padded to a byte; then the
            // frame rate and frame count.
            const uint64_t rectBits = 5 + 4 * static_cast<uint64_t>(bytes[m_next - base] >> 3);
            m_next = 8 + (rectBits + 7) / 8 + 4;
            if (m_next > m_fileLength)
                Damaged(m_name, Format("the frame header runs past FileLength %llu", AsULL(m_fileLength)));
            m_state = State::Tags;
        }
        while (m_state == State::Tags) {
            const uint64_t pos = m_next;
            if (pos + 2 > m_fileLength)
                Damaged(m_name, Format("no End tag before FileLength %llu", AsULL(m_fileLength)));
            if (pos + 2 > end) break;
            const uint16_t word = Le16(bytes + (pos - base));
            const unsigned code = word >> 6;
            uint64_t length = word & 0x3F;
            uint64_t data = pos + 2;
            if (length == 0x3F) {
                if (pos + 6 > m_fileLength)
                    Damaged(m_name, Format("the tag header at offset %llu runs past FileLength %llu", AsULL(pos),
                                           AsULL(m_fileLength)));
                if (pos + 6 > end) break;
                length = Le32(bytes + (pos - base) + 2);
                data = pos + 6;
            }
            if (code == 0) {
                // The End tag: everything up to FileLength is copied as it is.
                m_state = State::Done;
                break;
            }
            // A long length near 4 GiB must not wrap back into the movie.
            if (data + length > m_fileLength)
                Damaged(m_name, Format("tag %u at offset %llu (%llu bytes) runs past FileLength %llu", code, AsULL(pos),
                                       AsULL(length), AsULL(m_fileLength)));
            if (IsMutedCode(code)) {
                const uint16_t muted = static_cast<uint16_t>((word & 0x3F) | 0xFFC0);
                bytes[pos - base] = static_cast<uint8_t>(muted & 0xFF);
                bytes[pos - base + 1] = static_cast<uint8_t>(muted >> 8);
            }
            m_next = data + length;
        }
        // Bytes before the next tag header are settled; after the End tag, all of them.
        return m_state == State::Done ? end : std::min(m_next, end);
    }

    bool Done() const { return m_state == State::Done; }

private:
    enum class State { Rect, Tags, Done };
    uint64_t m_fileLength;
    const std::string& m_name;
    State m_state = State::Rect;
    uint64_t m_next = 8;
};

}  // namespace

TSwfHeader ReadSwfHeader(TStream& src, const std::string& name) {
    TSwfHeader h;
    const int64_t size = src.Size();
    src.SetPosition(0);
    uint8_t head[8];
    const int64_t headBytes = std::min<int64_t>(size, 8);
    if (headBytes > 0) src.ReadBuffer(head, headBytes);
    const bool fws = headBytes >= 3 && std::memcmp(head, "FWS", 3) == 0;
    const bool cws = headBytes >= 3 && std::memcmp(head, "CWS", 3) == 0;
    if (!fws && !cws) return h;
    if (size < 8)
        Damaged(name, Format("the file is shorter than its header (%lld bytes)", static_cast<long long>(size)));
    h.movie = true;
    h.compressed = cws;
    h.version = head[3];
    h.fileLength = Le32(head + 4);
    if (fws && h.fileLength > static_cast<uint64_t>(size))
        Damaged(name, Format("FileLength %llu is larger than the file (%lld bytes)", AsULL(h.fileLength),
                             static_cast<long long>(size)));
    if (cws && h.fileLength < 8)
        Damaged(name, Format("FileLength %llu is below the header's 8 bytes", AsULL(h.fileLength)));
    if (h.fileLength < kMinRectByte)
        Damaged(name, Format("FileLength %llu leaves no room for the frame size", AsULL(h.fileLength)));
    return h;
}

void WriteMutedSwf(TStream& src, const TSwfHeader& header, const std::string& name, TStream& dst) {
    src.SetPosition(8);
    uint8_t head[8] = {'F', 'W', 'S', header.version};
    for (int i = 0; i < 4; ++i) head[4 + i] = static_cast<uint8_t>(header.fileLength >> (8 * i));
    dst.WriteBuffer(head, 8);

    std::unique_ptr<TDecompressionStream> inflater;
    if (header.compressed) inflater = std::make_unique<TDecompressionStream>(src);
    // Small movies get a small piece; it must still hold a long tag header.
    const uint64_t windowSize = std::max<uint64_t>(64, std::min<uint64_t>(kWindow, header.fileLength));
    std::unique_ptr<uint8_t[]> window(new uint8_t[windowSize]);
    TTagWalk walk(header.fileLength, name);
    uint64_t base = 8;    // offset of window[0] in the movie
    uint64_t have = 0;    // bytes in the window
    uint64_t pulled = 8;  // bytes of the movie read or inflated so far
    while (pulled < header.fileLength || have > 0) {
        if (pulled < header.fileLength && have < windowSize) {
            const int64_t want =
                static_cast<int64_t>(std::min<uint64_t>(windowSize - have, header.fileLength - pulled));
            int64_t got;
            if (inflater) {
                try {
                    got = inflater->Read(window.get() + have, want);
                } catch (const EDecompressionError& e) {
                    Damaged(name, "the compressed body is corrupt (" + e.Message() + ")");
                }
                if (got <= 0)
                    Damaged(name, Format("the compressed body ends after %llu of its %llu bytes", AsULL(pulled - 8),
                                         AsULL(header.fileLength - 8ull)));
            } else {
                got = src.Read(window.get() + have, want);
                if (got <= 0) throw EReadError();  // FileLength was checked: the file changed under us
            }
            have += static_cast<uint64_t>(got);
            pulled += static_cast<uint64_t>(got);
        }
        const uint64_t ready = walk.Advance(window.get(), base, have) - base;
        if (ready == 0 && pulled < header.fileLength && have < windowSize)
            continue;  // a tag header straddles what has arrived: read on
        if (ready > 0) dst.WriteBuffer(window.get(), static_cast<int64_t>(ready));
        // At most the five bytes of a split tag header stay behind.
        std::memmove(window.get(), window.get() + ready, static_cast<size_t>(have - ready));
        have -= ready;
        base += ready;
        if (pulled == header.fileLength && ready == 0 && have > 0)
            Damaged(name, "the walk stopped before FileLength");  // the walk raises first; never loop forever
    }
    // Every byte up to FileLength has passed the walk; without an End tag it raised.
    if (!walk.Done()) Damaged(name, Format("no End tag before FileLength %llu", AsULL(header.fileLength)));
}

bool MuteSwfStream(TStream& src, const std::string& name, TStream& dst) {
    const TSwfHeader header = ReadSwfHeader(src, name);
    if (!header.movie) return false;
    WriteMutedSwf(src, header, name, dst);
    return true;
}

void InflateSwfBody(int64_t count, TStream& src, TMemoryStream& dst) {
    dst.Clear();
    src.SetPosition(0);
    try {
        TDecompressionStream z(src);
        uint8_t chunk[64 * 1024];
        int64_t left = std::max<int64_t>(count, 0);
        while (left > 0) {
            int64_t got = z.Read(chunk, std::min<int64_t>(left, sizeof chunk));
            if (got <= 0) throw EReadError();
            dst.WriteBuffer(chunk, got);
            left -= got;
        }
    } catch (...) {
        dst.Clear();
        throw;
    }
    dst.SetPosition(0);
}

namespace {

// Closes a handle on every way out.
struct HandleGuard {
    TFileHandle h;
    ~HandleGuard() {
        if (h != kInvalidFileHandle) FileClose(h);
    }
};

}  // namespace

bool CopySwfMuted(const std::string& src, const std::string& dst) {
    // The copy goes to a file of its own beside the target: a movie found damaged half-way
    // leaves neither a partial target nor a lost old one.
    const std::string temp = dst + ".muting";
    {
        HandleGuard in{FileOpen(src, fmOpenRead | fmShareDenyWrite)};
        if (in.h == kInvalidFileHandle) InOutError(FileLastError());
        THandleStream stream(in.h);
        const TSwfHeader header = ReadSwfHeader(stream, src);
        if (!header.movie) return true;
        bool created = false;
        try {
            TFileStream out(temp, fmCreate);
            created = true;
            WriteMutedSwf(stream, header, src, out);
        } catch (const EFCreateError&) {
            if (created) DeleteFile(temp);
            throw EFCreateError(Format(SFCreateError, dst.c_str()));
        } catch (...) {
            if (created) DeleteFile(temp);
            throw;
        }
    }
    // The source is closed by now, so a copy onto itself works too.
    if (!ReplaceFileWith(temp, dst)) {
        DeleteFile(temp);
        throw EFCreateError(Format(SFCreateError, dst.c_str()));
    }
    return false;
}

void CopyFileStream(const std::string& src, const std::string& dst) {
    TFileStream in(src, fmOpenRead | fmShareDenyWrite);
    bool created = false;
    try {
        TFileStream out(dst, fmCreate);
        created = true;
        out.CopyFrom(in, 0);
    } catch (...) {
        if (created) DeleteFile(dst);
        throw;
    }
}
