#include "skin/ImgUtilCore.h"

#include <algorithm>
#include <array>

namespace {

int Channel(TColor c, int shift) { return (static_cast<uint32_t>(c) >> shift) & 0xFF; }

TColor Pack(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

struct TRampSlot {
    bool Filled = false;
    int32_t Count = 0;
    TColor From = 0;
    TColor To = 0;
    std::vector<TColor> Entries;
};

struct TRampCache {
    std::array<TRampSlot, kColorRampSlots> Slots;
    int32_t Next = 0;
};

TRampCache& Cache() {
    static TRampCache cache;
    return cache;
}

// (d div 2 + i * delta) div d rounds up steps only for rising channels; a falling
// channel rounds the same way mirrored, so it also ends on colour 2.
int Step(int64_t i, int delta, int32_t d) {
    const int64_t half = d / 2;
    return static_cast<int>(delta >= 0 ? (i * delta + half) / d : -((i * -int64_t(delta) + half) / d));
}

}  // namespace

TColor BlendRGB(TColor color1, TColor color2, int32_t weight) {
    const int32_t scale = weight < 100 ? 100 : 1000;
    const int64_t w = std::clamp<int32_t>(weight, 0, scale);
    auto mix = [&](int shift) {
        return static_cast<int>((Channel(color1, shift) * w + Channel(color2, shift) * (scale - w) + scale / 2) /
                                scale);
    };
    return Pack(mix(0), mix(8), mix(16));
}

int32_t ColorSaturation(TColor color) {
    const int r = Channel(color, 0), g = Channel(color, 8), b = Channel(color, 16);
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
    if (hi < 160) return 200;
    // Exact: (hi - lo) * 255 / hi with the remainder deciding the rounding.
    const int num = (hi - lo) * 255;
    int q = num / hi;
    const int twiceRem = 2 * (num % hi);
    if (twiceRem > hi || (twiceRem == hi && (q & 1))) ++q;
    return q;
}

std::vector<TColor> MakeColorRamp(int32_t count, TColor color1, TColor color2) {
    std::vector<TColor> ramp;
    if (count < 1) return ramp;
    const int r1 = Channel(color1, 0), g1 = Channel(color1, 8), b1 = Channel(color1, 16);
    const int dr = Channel(color2, 0) - r1, dg = Channel(color2, 8) - g1, db = Channel(color2, 16) - b1;
    ramp.resize(static_cast<size_t>(count));
    if (count == 1) {
        ramp[0] = Pack(r1 + dr / 2, g1 + dg / 2, b1 + db / 2);
        return ramp;
    }
    const int32_t d = count - 1;
    for (int32_t i = 0; i < count; ++i) ramp[i] = Pack(r1 + Step(i, dr, d), g1 + Step(i, dg, d), b1 + Step(i, db, d));
    return ramp;
}

int32_t GetColorRamp(int32_t count, TColor color1, TColor color2) {
    if (count < 1) return -1;
    color1 &= 0xFFFFFF;
    color2 &= 0xFFFFFF;
    TRampCache& cache = Cache();
    for (int32_t slot = kColorRampSlots - 1; slot >= 0; --slot) {
        const TRampSlot& s = cache.Slots[slot];
        if (s.Filled && s.Count == count && s.From == color1 && s.To == color2) return slot;
    }
    const int32_t slot = cache.Next;
    cache.Next = (cache.Next + 1) % kColorRampSlots;
    TRampSlot& s = cache.Slots[slot];
    s.Entries = MakeColorRamp(count, color1, color2);
    s.Filled = true;
    s.Count = count;
    s.From = color1;
    s.To = color2;
    return slot;
}

const std::vector<TColor>& ColorRamp(int32_t slot) {
    static const std::vector<TColor> none;
    if (slot < 0 || slot >= kColorRampSlots) return none;
    return Cache().Slots[slot].Entries;
}

void FreeColorRamps() {
    TRampCache& cache = Cache();
    for (TRampSlot& s : cache.Slots) s = TRampSlot();
    cache.Next = 0;
}
