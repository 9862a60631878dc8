// Shared helpers of the skin package tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "skin/SkinRead.h"
#include "tools/skinpack/LzhPack.h"

namespace skintest {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes StreamBytes(TCustomMemoryStream& s) {
    const uint8_t* p = static_cast<const uint8_t*>(s.Memory());
    return p ? Bytes(p, p + s.Size()) : Bytes();
}

inline void PutI32(Bytes& out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// Deterministic bytes that do not compress.
inline Bytes Noise(size_t n, uint32_t seed) {
    Bytes b(n);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b[i] = static_cast<uint8_t>(x >> 24);
    }
    return b;
}

// Decodes count bytes of `coded` through TLZH's own stream callbacks.
inline Bytes Decode(const Bytes& coded, int32_t count) {
    TMemoryStream src;
    TMemoryStream dst;
    if (!coded.empty()) src.WriteBuffer(coded.data(), static_cast<int64_t>(coded.size()));
    src.SetPosition(0);
    TLZH lzh;
    lzh.Source = &src;
    lzh.Target = &dst;
    lzh.Unpack(
        count, [&lzh](const void* b, int l, int& w) { lzh.WriteCallback(b, l, w); },
        [&lzh](void* b, int want, int& got) { lzh.ReadCallback(b, want, got); });
    return StreamBytes(dst);
}

}  // namespace skintest
