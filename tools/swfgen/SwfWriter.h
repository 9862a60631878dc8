// Writes Flash movies byte by byte: the sample movie that ships beside the builder and
// the movies the tests, the fuzz seeds and the benchmarks feed to the muted copy.
// Plain C++ with no dependency, so the host compiler can build the generator in any build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace swfgen {

using Bytes = std::vector<uint8_t>;

// Tag codes this generator writes.
enum : uint16_t {
    kTagEnd = 0,
    kTagShowFrame = 1,
    kTagDefineShape = 2,
    kTagSetBackgroundColor = 9,
    kTagDefineSound = 14,
    kTagStartSound = 15,
    kTagSoundStreamHead = 18,
    kTagSoundStreamBlock = 19,
    kTagProtect = 24,
    kTagPlaceObject2 = 26,
    kTagDefineSprite = 39,
    kTagSoundStreamHead2 = 45,
};

void PutU8(Bytes& out, uint8_t v);
void PutU16(Bytes& out, uint16_t v);
void PutU32(Bytes& out, uint32_t v);
void PutBytes(Bytes& out, const Bytes& data);
uint16_t GetU16(const Bytes& in, size_t at);
uint32_t GetU32(const Bytes& in, size_t at);

// Bits are packed from the most significant bit of each byte down; Align (also run by
// the destructor) pads the last byte with zeros.
class BitWriter {
public:
    explicit BitWriter(Bytes& out) : out_(out) {}
    ~BitWriter() { Align(); }
    BitWriter(const BitWriter&) = delete;
    BitWriter& operator=(const BitWriter&) = delete;

    void UB(uint32_t value, int bits);
    void SB(int32_t value, int bits);
    void Align();

private:
    Bytes& out_;
    uint32_t cur_ = 0;
    int used_ = 0;
};

// Smallest widths that hold a value as an unsigned or a two's complement bit field.
int UBitsFor(uint32_t value);
int SBitsFor(int32_t value);

struct Rect {
    int32_t xmin, xmax, ymin, ymax;  // twips
};
void PutRect(Bytes& out, const Rect& r);

struct Rgb {
    uint8_t r, g, b;
};

enum class TagHeader {
    Auto,   // short when the data fits in 62 bytes
    Short,  // length in the word's low six bits (data must be shorter than 63 bytes)
    Long,   // word with 0x3F and a 32-bit length
};

// Appends one tag: the code/length word, the 32-bit length in the long form, the data.
void PutTag(Bytes& out, uint16_t code, const Bytes& data, TagHeader form = TagHeader::Auto);

// 2x3 placement matrix in twips and 16.16 fixed scale/rotation factors.
struct Matrix {
    int32_t scaleX = 0x10000, scaleY = 0x10000;
    int32_t skew0 = 0, skew1 = 0;
    int32_t tx = 0, ty = 0;
    static Matrix Translate(int32_t x, int32_t y);
    // angle in fixedmath units: 65536 to the turn
    static Matrix Rotate(int32_t angle, int32_t x, int32_t y);
};
void PutMatrix(Bytes& out, const Matrix& m);

// Tag contents (without the tag header).
Bytes SetBackgroundColorData(Rgb c);
// A filled polygon with a one-pixel darker outline; points in twips, clockwise on screen.
struct Point {
    int32_t x, y;
};
Bytes DefineShapeData(uint16_t id, const std::vector<Point>& polygon, Rgb fill, Rgb line);
Bytes PlaceObject2Data(uint16_t depth, const Matrix& m, int characterId /* -1: move */);

struct SoundFormat {
    uint8_t compression = 3;  // 3: uncompressed little-endian PCM
    uint8_t rate = 0;         // 0: 5.5 kHz, 1: 11 kHz, 2: 22 kHz, 3: 44 kHz
    bool bits16 = true;
    bool stereo = false;
};
Bytes SoundStreamHeadData(const SoundFormat& f, uint16_t samplesPerFrame);
Bytes DefineSoundData(uint16_t id, const SoundFormat& f, const Bytes& samples, uint32_t sampleCount);
// Mono 16-bit PCM tone samples [first, first + count) of a sine wave at the given rate.
// Frequencies in thousandths of a hertz, so every build computes the same samples.
Bytes ToneSamples(uint32_t milliHz, uint32_t rateMilliHz, uint32_t first, uint32_t count, int16_t amplitude);
// DefineSprite: id, frame count, then its own tag list (which should end with an End tag).
Bytes DefineSpriteData(uint16_t id, uint16_t frames, const Bytes& tags);

// Assembles a movie: frame RECT, frame rate, frame count, then the tags added in order.
// Offsets returned are from the start of the movie file, the 8 header bytes included,
// as they are in an uncompressed movie.
class MovieBuilder {
public:
    explicit MovieBuilder(Rect frame = {0, 8000, 0, 6000}, uint16_t rate88 = 12 << 8);

    size_t Tag(uint16_t code, const Bytes& data = {}, TagHeader form = TagHeader::Auto);
    size_t Raw(const Bytes& bytes);  // anything, as it stands, in the tag stream
    size_t ShowFrame() { return Tag(kTagShowFrame); }
    size_t End() { return Tag(kTagEnd); }

    // Frame count written into the header; by default the number of top-level ShowFrame tags.
    void SetFrameCount(uint16_t n) {
        frameCount_ = n;
        explicitFrames_ = true;
    }

    size_t TagStart() const;  // offset of the first tag
    Bytes Body() const;       // everything after the 8 header bytes
    uint32_t FileLength() const;
    Bytes Fws(uint8_t version = 6) const;  // header with FileLength = 8 + body

private:
    Bytes head_;  // RECT, rate, (count written at assembly)
    Bytes tags_;
    uint16_t frameCount_ = 0;
    bool explicitFrames_ = false;
};

// An uncompressed movie header in front of a body.
Bytes FwsHeader(uint8_t version, uint32_t fileLength);

// The movie shipped as sample.swf: three shapes animated over 36 frames at 12 frames a
// second, with a streamed tone so that a muted copy is audibly different.
Bytes SampleMovie();

// A deterministic uncompressed movie of exactly fileLength bytes (at least 64): frames
// of shape data, sound stream blocks with short and long headers, and filler tags that
// compress like real content. Used for the large benchmark movies.
Bytes BulkMovie(uint32_t fileLength, uint32_t seed = 1);

// Named small movies covering each kind of tag the muted copy treats specially; the
// generator writes them with --fixtures and the tests build them through this call.
struct Fixture {
    std::string name;  // file name, "*.swf"
    Bytes fws;         // uncompressed form
};
std::vector<Fixture> Fixtures();

}  // namespace swfgen
