#include "tools/swfgen/SwfWriter.h"

#include <algorithm>
#include <stdexcept>

#include "tools/fixedmath/FixedSine.h"

namespace swfgen {

void PutU8(Bytes& out, uint8_t v) { out.push_back(v); }

void PutU16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

void PutBytes(Bytes& out, const Bytes& data) { out.insert(out.end(), data.begin(), data.end()); }

uint16_t GetU16(const Bytes& in, size_t at) { return static_cast<uint16_t>(in.at(at) | (in.at(at + 1) << 8)); }

uint32_t GetU32(const Bytes& in, size_t at) {
    return static_cast<uint32_t>(in.at(at)) | (static_cast<uint32_t>(in.at(at + 1)) << 8) |
           (static_cast<uint32_t>(in.at(at + 2)) << 16) | (static_cast<uint32_t>(in.at(at + 3)) << 24);
}

void BitWriter::UB(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        cur_ = (cur_ << 1) | ((value >> i) & 1u);
        if (++used_ == 8) {
            out_.push_back(static_cast<uint8_t>(cur_));
            cur_ = 0;
            used_ = 0;
        }
    }
}

void BitWriter::SB(int32_t value, int bits) {
    const uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u);
    UB(static_cast<uint32_t>(value) & mask, bits);
}

void BitWriter::Align() {
    if (used_ > 0) {
        out_.push_back(static_cast<uint8_t>(cur_ << (8 - used_)));
        cur_ = 0;
        used_ = 0;
    }
}

int UBitsFor(uint32_t value) {
    int n = 0;
    while (value != 0) {
        ++n;
        value >>= 1;
    }
    return n;
}

int SBitsFor(int32_t value) {
    // Magnitude bits plus the sign bit; ~v for negatives gives the same magnitude count.
    const uint32_t magnitude = value < 0 ? ~static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return UBitsFor(magnitude) + 1;
}

void PutRect(Bytes& out, const Rect& r) {
    int n = std::max({SBitsFor(r.xmin), SBitsFor(r.xmax), SBitsFor(r.ymin), SBitsFor(r.ymax)});
    BitWriter w(out);
    w.UB(static_cast<uint32_t>(n), 5);
    w.SB(r.xmin, n);
    w.SB(r.xmax, n);
    w.SB(r.ymin, n);
    w.SB(r.ymax, n);
}

void PutTag(Bytes& out, uint16_t code, const Bytes& data, TagHeader form) {
    if (code > 1023) throw std::invalid_argument("tag code above 1023");
    if (form == TagHeader::Auto) form = data.size() < 0x3F ? TagHeader::Short : TagHeader::Long;
    if (form == TagHeader::Short) {
        if (data.size() >= 0x3F) throw std::invalid_argument("short tag header for 63 or more bytes");
        PutU16(out, static_cast<uint16_t>((code << 6) | data.size()));
    } else {
        PutU16(out, static_cast<uint16_t>((code << 6) | 0x3F));
        PutU32(out, static_cast<uint32_t>(data.size()));
    }
    PutBytes(out, data);
}

Matrix Matrix::Translate(int32_t x, int32_t y) {
    Matrix m;
    m.tx = x;
    m.ty = y;
    return m;
}

Matrix Matrix::Rotate(int32_t angle, int32_t x, int32_t y) {
    Matrix m = Translate(x, y);
    // The 16.16 factors are the fixed-point sine and cosine themselves.
    m.scaleX = m.scaleY = fixedmath::Cos(angle);
    m.skew0 = fixedmath::Sin(angle);
    m.skew1 = -m.skew0;
    return m;
}

void PutMatrix(Bytes& out, const Matrix& m) {
    BitWriter w(out);
    const bool hasScale = m.scaleX != 0x10000 || m.scaleY != 0x10000;
    w.UB(hasScale ? 1 : 0, 1);
    if (hasScale) {
        int n = std::max(SBitsFor(m.scaleX), SBitsFor(m.scaleY));
        w.UB(static_cast<uint32_t>(n), 5);
        w.SB(m.scaleX, n);
        w.SB(m.scaleY, n);
    }
    const bool hasRotate = m.skew0 != 0 || m.skew1 != 0;
    w.UB(hasRotate ? 1 : 0, 1);
    if (hasRotate) {
        int n = std::max(SBitsFor(m.skew0), SBitsFor(m.skew1));
        w.UB(static_cast<uint32_t>(n), 5);
        w.SB(m.skew0, n);
        w.SB(m.skew1, n);
    }
    int n = (m.tx == 0 && m.ty == 0) ? 0 : std::max(SBitsFor(m.tx), SBitsFor(m.ty));
    w.UB(static_cast<uint32_t>(n), 5);
    w.SB(m.tx, n);
    w.SB(m.ty, n);
}

Bytes SetBackgroundColorData(Rgb c) { return {c.r, c.g, c.b}; }

Bytes DefineShapeData(uint16_t id, const std::vector<Point>& polygon, Rgb fill, Rgb line) {
    if (polygon.size() < 3) throw std::invalid_argument("a shape needs three points");
    const int32_t lineWidth = 20;  // one pixel
    Rect bounds{polygon[0].x, polygon[0].x, polygon[0].y, polygon[0].y};
    for (const Point& p : polygon) {
        bounds.xmin = std::min(bounds.xmin, p.x);
        bounds.xmax = std::max(bounds.xmax, p.x);
        bounds.ymin = std::min(bounds.ymin, p.y);
        bounds.ymax = std::max(bounds.ymax, p.y);
    }
    bounds.xmin -= lineWidth / 2;
    bounds.ymin -= lineWidth / 2;
    bounds.xmax += lineWidth / 2;
    bounds.ymax += lineWidth / 2;

    Bytes out;
    PutU16(out, id);
    PutRect(out, bounds);
    // One solid fill, one line style.
    PutU8(out, 1);
    PutU8(out, 0x00);
    PutU8(out, fill.r);
    PutU8(out, fill.g);
    PutU8(out, fill.b);
    PutU8(out, 1);
    PutU16(out, static_cast<uint16_t>(lineWidth));
    PutU8(out, line.r);
    PutU8(out, line.g);
    PutU8(out, line.b);
    {
        BitWriter w(out);
        w.UB(1, 4);  // fill index bits
        w.UB(1, 4);  // line index bits
        // Style change: line style, fill on the right (clockwise on screen), move to the first point.
        const Point& p0 = polygon[0];
        int mb = std::max(SBitsFor(p0.x), SBitsFor(p0.y));
        w.UB(0, 1);  // not an edge
        w.UB(0, 1);  // no new styles
        w.UB(1, 1);  // line style
        w.UB(1, 1);  // fill style 1
        w.UB(0, 1);  // fill style 0
        w.UB(1, 1);  // move to
        w.UB(static_cast<uint32_t>(mb), 5);
        w.SB(p0.x, mb);
        w.SB(p0.y, mb);
        w.UB(1, 1);  // fill style 1 = first fill
        w.UB(1, 1);  // line style = first line
        for (size_t i = 0; i < polygon.size(); ++i) {
            const Point& a = polygon[i];
            const Point& b = polygon[(i + 1) % polygon.size()];
            int32_t dx = b.x - a.x, dy = b.y - a.y;
            int n = std::max({SBitsFor(dx), SBitsFor(dy), 2});
            w.UB(1, 1);  // edge
            w.UB(1, 1);  // straight
            w.UB(static_cast<uint32_t>(n - 2), 4);
            w.UB(1, 1);  // general line: both deltas
            w.SB(dx, n);
            w.SB(dy, n);
        }
        w.UB(0, 6);  // end of shape
    }
    return out;
}

Bytes PlaceObject2Data(uint16_t depth, const Matrix& m, int characterId) {
    Bytes out;
    uint8_t flags = 0x04;  // has matrix
    if (characterId >= 0)
        flags |= 0x02;  // has character
    else
        flags |= 0x01;  // move the character at this depth
    PutU8(out, flags);
    PutU16(out, depth);
    if (characterId >= 0) PutU16(out, static_cast<uint16_t>(characterId));
    PutMatrix(out, m);
    return out;
}

Bytes SoundStreamHeadData(const SoundFormat& f, uint16_t samplesPerFrame) {
    Bytes out;
    const uint8_t rateSizeType = static_cast<uint8_t>(((f.rate & 3) << 2) | (f.bits16 ? 2 : 0) | (f.stereo ? 1 : 0));
    PutU8(out, rateSizeType);  // four reserved bits, then the playback format
    PutU8(out, static_cast<uint8_t>(((f.compression & 0x0F) << 4) | rateSizeType));
    PutU16(out, samplesPerFrame);
    if (f.compression == 2) PutU16(out, 0);  // MP3 latency seek
    return out;
}

Bytes DefineSoundData(uint16_t id, const SoundFormat& f, const Bytes& samples, uint32_t sampleCount) {
    Bytes out;
    PutU16(out, id);
    PutU8(out, static_cast<uint8_t>(((f.compression & 0x0F) << 4) | ((f.rate & 3) << 2) | (f.bits16 ? 2 : 0) |
                                    (f.stereo ? 1 : 0)));
    PutU32(out, sampleCount);
    PutBytes(out, samples);
    return out;
}

Bytes ToneSamples(uint32_t milliHz, uint32_t rateMilliHz, uint32_t first, uint32_t count, int16_t amplitude) {
    if (rateMilliHz == 0) throw std::invalid_argument("tone at a sample rate of 0");
    Bytes out;
    out.reserve(count * 2u);
    for (uint32_t i = 0; i < count; ++i) {
        // The part of a turn sample n is into its period: n * hz / rate, kept below one turn.
        const uint64_t phase = (uint64_t{first + i} * milliHz) % rateMilliHz;
        const auto angle = static_cast<int64_t>(phase * fixedmath::TurnUnits / rateMilliHz);
        const auto s = static_cast<int16_t>(fixedmath::ScaleSin(amplitude, angle));
        PutU16(out, static_cast<uint16_t>(s));
    }
    return out;
}

Bytes DefineSpriteData(uint16_t id, uint16_t frames, const Bytes& tags) {
    Bytes out;
    PutU16(out, id);
    PutU16(out, frames);
    PutBytes(out, tags);
    return out;
}

MovieBuilder::MovieBuilder(Rect frame, uint16_t rate88) {
    PutRect(head_, frame);
    PutU16(head_, rate88);
}

size_t MovieBuilder::TagStart() const { return 8 + head_.size() + 2; }

size_t MovieBuilder::Tag(uint16_t code, const Bytes& data, TagHeader form) {
    size_t at = TagStart() + tags_.size();
    PutTag(tags_, code, data, form);
    if (code == kTagShowFrame && !explicitFrames_) ++frameCount_;
    return at;
}

size_t MovieBuilder::Raw(const Bytes& bytes) {
    size_t at = TagStart() + tags_.size();
    PutBytes(tags_, bytes);
    return at;
}

Bytes MovieBuilder::Body() const {
    Bytes body = head_;
    PutU16(body, frameCount_);
    PutBytes(body, tags_);
    return body;
}

uint32_t MovieBuilder::FileLength() const { return static_cast<uint32_t>(TagStart() + tags_.size()); }

Bytes FwsHeader(uint8_t version, uint32_t fileLength) {
    Bytes out{'F', 'W', 'S', version};
    PutU32(out, fileLength);
    return out;
}

Bytes MovieBuilder::Fws(uint8_t version) const {
    Bytes out = FwsHeader(version, FileLength());
    PutBytes(out, Body());
    return out;
}

namespace {

std::vector<Point> Square(int32_t half) { return {{-half, -half}, {half, -half}, {half, half}, {-half, half}}; }

std::vector<Point> Triangle(int32_t r) { return {{0, -r}, {r, r * 3 / 4}, {-r, r * 3 / 4}}; }

std::vector<Point> Diamond(int32_t r) { return {{0, -r}, {r * 2 / 3, 0}, {0, r}, {-r * 2 / 3, 0}}; }

// Samples of the 5.5 kHz stream that belong to frame f at 12 frames a second.
uint32_t StreamSampleAt(uint32_t f) { return f * 11025u / 24u; }

}  // namespace

Bytes SampleMovie() {
    constexpr int kFrames = 36;
    constexpr uint32_t kRateMilliHz = 5512500;
    MovieBuilder m({0, 8000, 0, 6000}, 12 << 8);
    m.Tag(kTagSetBackgroundColor, SetBackgroundColorData({0x1E, 0x2A, 0x4A}));
    SoundFormat pcm;  // 5.5 kHz, 16-bit, mono, uncompressed
    m.Tag(kTagSoundStreamHead, SoundStreamHeadData(pcm, static_cast<uint16_t>(StreamSampleAt(1))));
    m.Tag(kTagDefineShape, DefineShapeData(1, Square(600), {0xE0, 0x44, 0x3C}, {0x70, 0x20, 0x1C}));
    m.Tag(kTagDefineShape, DefineShapeData(2, Triangle(700), {0x4C, 0xC0, 0x5A}, {0x20, 0x60, 0x28}));
    m.Tag(kTagDefineShape, DefineShapeData(3, Diamond(900), {0xF0, 0xA8, 0x30}, {0x78, 0x50, 0x10}));
    // One note a second: A, C sharp, E.
    const uint32_t notes[] = {440000, 554370, 659260};
    for (int f = 0; f < kFrames; ++f) {
        // Square and triangle cross the stage once, the triangle bobbing twice; the diamond turns once.
        const int32_t turn = fixedmath::TurnUnits * f / kFrames;
        Matrix square = Matrix::Translate(1200 + 5600 * f / kFrames, 1600);
        Matrix triangle = Matrix::Translate(6400 - 4800 * f / kFrames,
                                            static_cast<int32_t>(4400 + fixedmath::ScaleSin(900, 2 * turn)));
        Matrix diamond = Matrix::Rotate(turn, 4000, 3000);
        const int first = f == 0 ? 1 : -1;
        m.Tag(kTagPlaceObject2, PlaceObject2Data(1, square, first > 0 ? 1 : -1));
        m.Tag(kTagPlaceObject2, PlaceObject2Data(2, triangle, first > 0 ? 2 : -1));
        m.Tag(kTagPlaceObject2, PlaceObject2Data(3, diamond, first > 0 ? 3 : -1));
        uint32_t s0 = StreamSampleAt(static_cast<uint32_t>(f)), s1 = StreamSampleAt(static_cast<uint32_t>(f + 1));
        m.Tag(kTagSoundStreamBlock, ToneSamples(notes[(f / 12) % 3], kRateMilliHz, s0, s1 - s0, 6000), TagHeader::Long);
        m.ShowFrame();
    }
    m.End();
    return m.Fws(6);
}

namespace {

// Small fast generator so the bulk movies are the same on every machine.
struct Lcg {
    uint32_t s;
    uint32_t Next() {
        s = s * 1664525u + 1013904223u;
        return s >> 8;
    }
};

// Picture-like bytes: smooth ramps with a little noise, so they compress about as well
// as the bitmaps and shape tables of a real movie.
Bytes FillerData(Lcg& rng, size_t n) {
    Bytes out(n);
    uint32_t base = rng.Next();
    for (size_t i = 0; i < n; ++i) {
        uint32_t r = rng.Next();
        out[i] = static_cast<uint8_t>(((base + i / 5) & 0xFF) ^ (r & ((r >> 5) % 4 == 0 ? 0x0F : 0x00)));
    }
    return out;
}

}  // namespace

Bytes BulkMovie(uint32_t fileLength, uint32_t seed) {
    if (fileLength < 64) throw std::invalid_argument("bulk movie below 64 bytes");
    MovieBuilder m({0, 8000, 0, 6000}, 24 << 8);
    Lcg rng{seed};
    SoundFormat pcm;
    pcm.rate = 1;  // 11 kHz
    const size_t endTag = 2;
    const size_t kMaxFrame = 16384;
    m.Tag(kTagSetBackgroundColor, SetBackgroundColorData({0x10, 0x20, 0x30}));
    uint32_t sample = 0;
    uint16_t shapeId = 1;
    while (m.FileLength() + kMaxFrame + 64 < fileLength) {
        if (shapeId % 16 == 1) m.Tag(kTagSoundStreamHead2, SoundStreamHeadData(pcm, 459));
        m.Tag(kTagDefineShape, DefineShapeData(shapeId, Square(200 + static_cast<int32_t>(rng.Next() % 2000)),
                                               {0x80, 0x40, 0x20}, {0x10, 0x10, 0x10}));
        m.Tag(kTagPlaceObject2, PlaceObject2Data(1,
                                                 Matrix::Translate(static_cast<int32_t>(rng.Next() % 8000),
                                                                   static_cast<int32_t>(rng.Next() % 6000)),
                                                 shapeId == 1 ? shapeId : -1));
        ++shapeId;
        const uint32_t count = 459;
        m.Tag(kTagSoundStreamBlock, ToneSamples(1000u * (440u + (shapeId % 7u) * 55u), 11025000, sample, count, 5000));
        sample += count;
        m.Tag(kTagSoundStreamBlock, FillerData(rng, 20));  // short header
        m.Tag(21, FillerData(rng, 4096 + rng.Next() % 8192));
        m.ShowFrame();
    }
    // One filler tag takes what is left before the End tag, so the length comes out exact.
    size_t left = fileLength - m.FileLength() - endTag;
    if (left >= 6)
        m.Tag(21, FillerData(rng, left - 6), TagHeader::Long);
    else if (left >= 2)
        m.Tag(21, FillerData(rng, left - 2), TagHeader::Short);
    else if (left == 1)
        throw std::logic_error("bulk movie filler of one byte");
    m.End();
    Bytes out = m.Fws(8);
    if (out.size() != fileLength) throw std::logic_error("bulk movie length");
    return out;
}

std::vector<Fixture> Fixtures() {
    std::vector<Fixture> out;
    SoundFormat pcm;
    const Bytes tone20 = ToneSamples(440000, 5512500, 0, 10, 3000);    // 20 bytes
    const Bytes tone100 = ToneSamples(440000, 5512500, 10, 50, 3000);  // 100 bytes

    {
        // No sound at all; a long header on a shape shows other long tags stay as they are.
        MovieBuilder m;
        m.Tag(kTagSetBackgroundColor, SetBackgroundColorData({0xFF, 0xFF, 0xFF}));
        m.Tag(kTagDefineShape, DefineShapeData(1, Square(400), {0x00, 0x00, 0xFF}, {0, 0, 0}), TagHeader::Long);
        m.Tag(kTagPlaceObject2, PlaceObject2Data(1, Matrix::Translate(4000, 3000), 1));
        m.ShowFrame();
        m.Tag(kTagPlaceObject2, PlaceObject2Data(1, Matrix::Rotate(5215 /* half a radian */, 4000, 3000), -1));
        m.ShowFrame();
        m.End();
        out.push_back({"plain.swf", m.Fws(6)});
    }
    {
        // Every sound tag, in short and long form.
        MovieBuilder m;
        m.Tag(kTagSoundStreamHead, SoundStreamHeadData(pcm, 10));
        m.Tag(kTagSoundStreamHead2, SoundStreamHeadData(pcm, 10), TagHeader::Long);
        m.Tag(kTagDefineSound, DefineSoundData(1, pcm, tone20, 10));
        m.Tag(kTagDefineSound, DefineSoundData(2, pcm, tone100, 50));
        m.Tag(kTagSoundStreamBlock, tone20);
        m.ShowFrame();
        m.Tag(kTagSoundStreamBlock, tone100);
        m.ShowFrame();
        m.Tag(kTagSoundStreamBlock, tone20, TagHeader::Long);
        m.ShowFrame();
        m.End();
        out.push_back({"sound.swf", m.Fws(6)});
    }
    {
        // Sound inside a sprite stays; the top-level block next to it is muted.
        Bytes inner;
        PutTag(inner, kTagSoundStreamHead, SoundStreamHeadData(pcm, 10));
        PutTag(inner, kTagSoundStreamBlock, tone20);
        PutTag(inner, kTagShowFrame, {});
        PutTag(inner, kTagSoundStreamBlock, tone100);
        PutTag(inner, kTagShowFrame, {});
        PutTag(inner, kTagEnd, {});
        MovieBuilder m;
        m.Tag(kTagDefineSprite, DefineSpriteData(5, 2, inner));
        m.Tag(kTagPlaceObject2, PlaceObject2Data(1, Matrix::Translate(100, 100), 5));
        m.Tag(kTagSoundStreamHead, SoundStreamHeadData(pcm, 10));
        m.Tag(kTagSoundStreamBlock, tone20);
        m.ShowFrame();
        m.End();
        out.push_back({"sprite.swf", m.Fws(6)});
    }
    {
        // Protect with and without a password digest; StartSound is not one of the muted tags.
        MovieBuilder m;
        m.Tag(kTagProtect);
        Bytes digest{0, 0};
        for (char c : std::string("$1$x0$AbCdEfGhIjKlMnOpQrStU.")) digest.push_back(static_cast<uint8_t>(c));
        digest.push_back(0);
        m.Tag(kTagProtect, digest, TagHeader::Long);
        m.Tag(kTagDefineSound, DefineSoundData(1, pcm, tone20, 10));
        Bytes start;
        PutU16(start, 1);
        PutU8(start, 0);
        m.Tag(kTagStartSound, start);
        m.ShowFrame();
        m.End();
        out.push_back({"protect.swf", m.Fws(7)});
    }
    return out;
}

}  // namespace swfgen
