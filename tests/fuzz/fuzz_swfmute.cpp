// The muted movie copy on arbitrary bytes. It must never read or write outside what it
// holds, and it either writes nothing or exactly FileLength bytes of an "FWS" movie that
// differs from the (inflated) input only in rewritten tag words.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "builder/SwfMute.h"
#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

namespace {

class TBorrowedStream : public TCustomMemoryStream {
public:
    TBorrowedStream(const uint8_t* data, size_t size) {
        SetPointer(const_cast<uint8_t*>(data), static_cast<int64_t>(size));
    }
    int64_t Write(const void*, int64_t) override { return 0; }
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_swfmute: %s\n", what);
    std::abort();
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// The body as zlib itself inflates it, cut to `count` bytes.
std::vector<uint8_t> Reference(const uint8_t* z, size_t size, size_t count) {
    std::vector<uint8_t> out(count);
    z_stream s{};
    inflateInit(&s);
    s.next_in = const_cast<uint8_t*>(z);
    s.avail_in = static_cast<uInt>(size);
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(count);
    while (s.avail_out > 0) {
        int rc = inflate(&s, Z_NO_FLUSH);
        if (rc != Z_OK) break;
    }
    out.resize(count - s.avail_out);
    inflateEnd(&s);
    return out;
}

const std::string& Dir() {
    static const std::string dir = [] {
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string d = base + "/fuzz_swfmute." + std::to_string(getpid());
        CreateDir(d);
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory.
    TBorrowedStream in(data, size);
    TMemoryStream muted;
    bool movie = false, damaged = false;
    try {
        movie = MuteSwfStream(in, "fuzz.swf", muted);
    } catch (const ESwfError& e) {
        damaged = true;
        if (e.Message().find("fuzz.swf") == std::string::npos) Fail("error does not name the file");
    }
    const bool written = movie && !damaged;
    if (!movie && !damaged && muted.Size() != 0) Fail("output for bytes that are no movie");
    struct {
        const uint8_t* p;
        size_t n;
        const uint8_t* Data() const { return p; }
        size_t Size() const { return n; }
    } out{static_cast<const uint8_t*>(muted.Memory()), static_cast<size_t>(muted.Size())};
    if (written) {
        if (size < 8) Fail("a movie shorter than its header");
        const uint32_t fileLength = Le32(data + 4);
        if (out.Size() != fileLength) Fail("output is not FileLength bytes");
        if (std::memcmp(out.Data(), "FWS", 3) != 0 || out.Data()[3] != data[3] || Le32(out.Data() + 4) != fileLength)
            Fail("output header");
        std::vector<uint8_t> ref;
        if (data[0] == 'F') {
            ref.assign(data + 8, data + fileLength);
        } else {
            ref = Reference(data + 8, size - 8, fileLength - 8);
            if (ref.size() != fileLength - 8) Fail("output longer than the inflated body");
        }
        // Every difference is one byte of a rewritten word: 0xFF over code 1023's low bits.
        const uint8_t* o = out.Data() + 8;
        for (size_t i = 0; i < ref.size(); ++i) {
            if (o[i] == ref[i]) continue;
            const bool high = o[i] == 0xFF && i > 0 && (o[i - 1] & 0xC0) == 0xC0;
            const bool low =
                i + 1 < ref.size() && o[i + 1] == 0xFF && (o[i] & 0xC0) == 0xC0 && (o[i] & 0x3F) == (ref[i] & 0x3F);
            if (!high && !low) Fail("output differs from the body outside a tag word");
        }
    }

    // The same through files: a target exists exactly when a movie was muted, and holds it.
    const std::string src = Dir() + "/src.swf", dst = Dir() + "/dst.swf";
    if (FILE* f = std::fopen(src.c_str(), "wb")) {
        if (size > 0) std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        Fail("cannot write the source");
    }
    DeleteFile(dst);
    bool noMovie = false, fileDamaged = false;
    try {
        noMovie = CopySwfMuted(src, dst);
    } catch (const ESwfError&) {
        fileDamaged = true;
    }
    if (fileDamaged != damaged || noMovie != (!movie && !damaged)) Fail("file and memory disagree on the movie");
    if (FileExists(dst) != written) Fail("a target exists for a damaged movie, or none for a good one");
    if (written) {
        TMemoryStream copy;
        copy.LoadFromFile(dst);
        if (copy.Size() != static_cast<int64_t>(out.Size()) || std::memcmp(copy.Memory(), out.Data(), out.Size()) != 0)
            Fail("the file differs from the muted bytes");
    }
    return 0;
}
